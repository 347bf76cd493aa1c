#pragma once
// Writes the XML-RPC documents the program sends straight into UTF-8, in one pass and without
// building a document tree: the layout is the DOM serialiser's with one space of indent per
// level (an element with text on one line, an element without children as an empty-element
// tag), so the bytes are those the tree would give. Text keeps every character XML allows,
// those outside the basic plane included; the ones it forbids are left out.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

class CXmlRpcWriter
{
public:
    // The "methodCall" document of one call. An argument of a type XML-RPC cannot carry here
    // leaves its "param" empty.
    static QByteArray methodCall(const QString& method, const QList<QVariant>& args);
    // The "methodResponse" document of a fault.
    static QByteArray faultResponse(int code, const QString& text);

    // The text with the characters XML does not allow removed (controls other than tab, line
    // feed and carriage return, unpaired surrogates, U+FFFE and U+FFFF); pairs are kept.
    static QString allowedText(const QString& text);

private:
    void declaration();
    void open(const char* tag, int depth);
    void close(const char* tag, int depth);
    void empty(const char* tag, int depth);
    // <tag>text</tag> on a line of its own.
    void textElement(const char* tag, const QString& text, int depth);
    void textElement(const char* tag, const QByteArray& ascii, int depth);
    // A "value" element, or nothing for an unsupported type (false).
    bool value(const QVariant& arg, int depth);
    static bool supported(const QVariant& arg);
    void indent(int depth);
    void raw(const char* text);
    void escaped(const QString& text);
    // Writes unit i (and the low half of a pair, advancing i) as UTF-8 or its escape; out has
    // room for five bytes. Returns the end of what it wrote.
    char* writeUnit(const ushort* p, int n, int& i, char* out) const;
    // How many leading units are printable ASCII needing no escape, copied to out as bytes,
    // in whole blocks; 0 where the processor offers no vector instructions.
    static int plainAsciiRun(const ushort* p, int n, char* out);
    static constexpr int PlainBlock = 8;

    QByteArray m_Out;
};

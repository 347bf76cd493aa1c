#pragma once
// The XML-RPC codec of one call: turns variants into "value" elements and back, builds the
// "methodCall" document, and parses the answer into exactly one of its two signals, after
// which the object deletes itself.
#include <QDateTime>
#include <QDomDocument>
#include <QDomElement>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

class QNetworkReply;

class MaiaObject : public QObject
{
    Q_OBJECT
public:
    // Fault codes the program makes itself (the common XML-RPC interoperability codes).
    static constexpr int FaultNotWellFormed = -32700;
    static constexpr int FaultNotXmlRpc = -32600;
    static constexpr int FaultTransport = -32300;
    // Values nested deeper than this decode as invalid: a reply is untrusted, and the decoder
    // recurses once per level.
    static constexpr int MaxValueDepth = 64;
    // Answers whose elements nest deeper than this are refused unparsed.
    static constexpr int MaxDocumentDepth = 512;

    explicit MaiaObject(QObject* parent = nullptr);

    // A "value" element, or a null element for a type XML-RPC cannot carry here. Text loses
    // only the characters XML forbids.
    static QDomElement toXml(const QVariant& arg);
    static QDomElement toXml(QDomDocument& doc, const QVariant& arg);
    // The variant a "value" element holds; invalid when the element is not a "value".
    static QVariant fromXml(const QDomElement& elem);
    QString prepareCall(const QString& method, const QList<QVariant>& args);
    // The same document as the UTF-8 bytes the client sends.
    static QByteArray prepareCallBody(const QString& method, const QList<QVariant>& args);

    // The zone suffix written after a date-time: the plain difference of the current UTC hour
    // and the value's own hour, with "-" for zero (the service reads it that way).
    static QString zoneSuffix(int utcHour, int valueHour);
    // The general number form with six significant digits ("0.1", "2", "1e-05").
    static QString formatDouble(double value);
    // A date-time as it is sent: "yyyy-MM-ddThh:mm:ss" and the zone suffix.
    static QString dateTimeText(const QDateTime& value);

signals:
    void aresponse(QVariant&, QNetworkReply* reply);
    void fault(int, const QString&, QNetworkReply* reply);

public slots:
    void parseResponse(QString response, QNetworkReply* reply);

private:
    static QVariant fromXml(const QDomElement& elem, int depth);
    static QVariant decodeStruct(const QDomElement& structElem, int depth);
    static QVariant decodeArray(const QDomElement& arrayElem, int depth);
    // The line where the text nests deeper than MaxDocumentDepth; 0 when it does not.
    static int tooDeepAt(const QString& text);
};

#include "upload/XmlRpcWriter.h"

#include "upload/MaiaObject.h"

#include <QDateTime>
#include <QVariantMap>

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool isHighSurrogate(ushort c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(ushort c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// A character of the basic plane that XML allows on its own (surrogates are judged in pairs).
bool allowedSingle(ushort c)
{
    if (c < 0x20)
        return c == '\t' || c == '\n' || c == '\r';
    return (c < 0xD800 || c > 0xDFFF) && c != 0xFFFE && c != 0xFFFF;
}

} // namespace

QString CXmlRpcWriter::allowedText(const QString& text)
{
    const ushort* p = text.utf16();
    const int n = text.size();
    int i = 0;
    while (i < n && allowedSingle(p[i]))
        ++i;
    if (i == n)
        return text;
    QString out(text.constData(), i);
    out.reserve(n);
    for (; i < n; ++i) {
        const ushort c = p[i];
        if (allowedSingle(c)) {
            out.append(QChar(c));
        } else if (isHighSurrogate(c) && i + 1 < n && isLowSurrogate(p[i + 1])) {
            out.append(QChar(c));
            out.append(QChar(p[++i]));
        }
    }
    return out;
}

QByteArray CXmlRpcWriter::methodCall(const QString& method, const QList<QVariant>& args)
{
    CXmlRpcWriter w;
    w.m_Out.reserve(1024);
    w.declaration();
    w.open("methodCall", 0);
    w.textElement("methodName", method, 1);
    if (args.isEmpty()) {
        w.empty("params", 1);
    } else {
        w.open("params", 1);
        for (const QVariant& arg : args) {
            if (!supported(arg)) {
                w.empty("param", 2);
                continue;
            }
            w.open("param", 2);
            w.value(arg, 3);
            w.close("param", 2);
        }
        w.close("params", 1);
    }
    w.close("methodCall", 0);
    return w.m_Out;
}

QByteArray CXmlRpcWriter::faultResponse(int code, const QString& text)
{
    QVariantMap fault;
    fault[QStringLiteral("faultCode")] = code;
    fault[QStringLiteral("faultString")] = text;
    CXmlRpcWriter w;
    w.declaration();
    w.open("methodResponse", 0);
    w.open("fault", 1);
    w.value(fault, 2);
    w.close("fault", 1);
    w.close("methodResponse", 0);
    return w.m_Out;
}

bool CXmlRpcWriter::supported(const QVariant& arg)
{
    switch (static_cast<int>(arg.type())) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::Double:
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QDateTime:
    case QMetaType::QVariantMap:
    case QMetaType::QVariantList:
        return true;
    default:
        return false;
    }
}

bool CXmlRpcWriter::value(const QVariant& arg, int depth)
{
    if (!supported(arg))
        return false;
    open("value", depth);
    const int inner = depth + 1;
    // The variant's own type decides: an Int is always "int", a Double always "double".
    switch (static_cast<int>(arg.type())) {
    case QMetaType::Bool:
        textElement("boolean", QByteArray(arg.toBool() ? "1" : "0"), inner);
        break;
    case QMetaType::Int:
        textElement("int", QByteArray::number(arg.toInt()), inner);
        break;
    case QMetaType::Double:
        textElement("double", MaiaObject::formatDouble(arg.toDouble()).toLatin1(), inner);
        break;
    case QMetaType::QString:
        textElement("string", *static_cast<const QString*>(arg.constData()), inner);
        break;
    case QMetaType::QByteArray:
        textElement("base64", arg.toByteArray().toBase64(), inner);
        break;
    case QMetaType::QDateTime:
        textElement("dateTime.iso8601", MaiaObject::dateTimeText(arg.toDateTime()), inner);
        break;
    case QMetaType::QVariantMap: {
        const QVariantMap& map = *static_cast<const QVariantMap*>(arg.constData());
        if (map.isEmpty()) {
            empty("struct", inner);
            break;
        }
        open("struct", inner);
        for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
            open("member", inner + 1);
            textElement("name", it.key(), inner + 2);
            value(it.value(), inner + 2);
            close("member", inner + 1);
        }
        close("struct", inner);
        break;
    }
    case QMetaType::QVariantList: {
        const QVariantList& items = *static_cast<const QVariantList*>(arg.constData());
        open("array", inner);
        if (std::none_of(items.begin(), items.end(), supported)) {
            empty("data", inner + 1);
        } else {
            open("data", inner + 1);
            for (const QVariant& item : items)
                value(item, inner + 2);
            close("data", inner + 1);
        }
        close("array", inner);
        break;
    }
    default:
        break;
    }
    close("value", depth);
    return true;
}

void CXmlRpcWriter::declaration()
{
    raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
}

void CXmlRpcWriter::indent(int depth)
{
    m_Out.append(depth, ' ');
}

void CXmlRpcWriter::raw(const char* text)
{
    m_Out.append(text, int(std::strlen(text)));
}

void CXmlRpcWriter::open(const char* tag, int depth)
{
    indent(depth);
    m_Out.append('<');
    raw(tag);
    raw(">\n");
}

void CXmlRpcWriter::close(const char* tag, int depth)
{
    indent(depth);
    raw("</");
    raw(tag);
    raw(">\n");
}

void CXmlRpcWriter::empty(const char* tag, int depth)
{
    indent(depth);
    m_Out.append('<');
    raw(tag);
    raw("/>\n");
}

void CXmlRpcWriter::textElement(const char* tag, const QString& text, int depth)
{
    indent(depth);
    m_Out.append('<');
    raw(tag);
    m_Out.append('>');
    escaped(text);
    raw("</");
    raw(tag);
    raw(">\n");
}

void CXmlRpcWriter::textElement(const char* tag, const QByteArray& ascii, int depth)
{
    // Numbers, Base64 and the like: nothing to escape.
    indent(depth);
    m_Out.append('<');
    raw(tag);
    m_Out.append('>');
    m_Out.append(ascii);
    raw("</");
    raw(tag);
    raw(">\n");
}

void CXmlRpcWriter::escaped(const QString& text)
{
    const ushort* p = text.utf16();
    const int n = text.size();
    // Room for every remaining unit at one byte; a unit that needs more (an escape, a
    // character beyond ASCII) first makes room for itself and the rest.
    int at = m_Out.size();
    m_Out.resize(at + n);
    char* out = m_Out.data() + at;
    const char* limit = m_Out.constData() + m_Out.size();
    int i = 0;
    while (i < n) {
        const int plain = plainAsciiRun(p + i, n - i, out);
        i += plain;
        out += plain;
        // The block that held something else, unit by unit.
        const int stop = std::min(n, i + PlainBlock);
        for (; i < stop; ++i) {
            const ushort c = p[i];
            if (c < 0x80 && c >= 0x20 && c != '<' && c != '&' && c != '>') {
                *out++ = char(c);
                continue;
            }
            if (limit - out < (n - i) + 5) {
                at = int(out - m_Out.constData());
                m_Out.resize(at + (n - i) + 5);
                out = m_Out.data() + at;
                limit = m_Out.constData() + m_Out.size();
            }
            out = writeUnit(p, n, i, out);
        }
    }
    m_Out.resize(int(out - m_Out.constData()));
}

char* CXmlRpcWriter::writeUnit(const ushort* p, int n, int& i, char* out) const
{
    const ushort c = p[i];
    if (c < 0x80) {
        // The escapes the DOM serialiser writes in text: "<", "&", the ">" that would end a
        // "]]>", and the carriage return (which a parser would turn into a line feed).
        const char* escape = nullptr;
        if (c == '<')
            escape = "&lt;";
        else if (c == '&')
            escape = "&amp;";
        else if (c == '>' && out - m_Out.constData() >= 2 && out[-1] == ']' && out[-2] == ']')
            escape = "&gt;";
        else if (c == '\r')
            escape = "&#xd;";
        if (escape) {
            const size_t len = std::strlen(escape);
            std::memcpy(out, escape, len);
            return out + len;
        }
        if (c == '>' || c == '\t' || c == '\n')
            *out++ = char(c);
        return out;
    }
    if (c < 0x800) {
        *out++ = char(0xC0 | (c >> 6));
        *out++ = char(0x80 | (c & 0x3F));
        return out;
    }
    if (isHighSurrogate(c) && i + 1 < n && isLowSurrogate(p[i + 1])) {
        const uint code = 0x10000 + ((uint(c) - 0xD800) << 10) + (uint(p[++i]) - 0xDC00);
        *out++ = char(0xF0 | (code >> 18));
        *out++ = char(0x80 | ((code >> 12) & 0x3F));
        *out++ = char(0x80 | ((code >> 6) & 0x3F));
        *out++ = char(0x80 | (code & 0x3F));
        return out;
    }
    if (allowedSingle(c)) {
        *out++ = char(0xE0 | (c >> 12));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    }
    return out;
}

int CXmlRpcWriter::plainAsciiRun(const ushort* p, int n, char* out)
{
    // Readings are long runs of digits, commas and points: whole blocks of them are narrowed to
    // bytes at once. A block with anything else ends the run.
    int i = 0;
#if defined(__SSE2__)
    const __m128i lt = _mm_set1_epi16('<');
    const __m128i amp = _mm_set1_epi16('&');
    const __m128i gt = _mm_set1_epi16('>');
    const __m128i space = _mm_set1_epi16(0x20);
    const __m128i span = _mm_set1_epi16(0x7F - 0x20);
    const __m128i zero = _mm_setzero_si128();
    for (; i + PlainBlock <= n; i += PlainBlock) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        // 0x20 <= c <= 0x7F: c - 0x20, taken unsigned, does not exceed the span.
        const __m128i over = _mm_subs_epu16(_mm_sub_epi16(v, space), span);
        const __m128i markup = _mm_or_si128(_mm_cmpeq_epi16(v, amp), _mm_cmpeq_epi16(v, gt));
        const __m128i bad = _mm_or_si128(_mm_cmpeq_epi16(v, lt), markup);
        const __m128i good = _mm_andnot_si128(bad, _mm_cmpeq_epi16(over, zero));
        if (_mm_movemask_epi8(good) != 0xFFFF)
            break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(v, v));
    }
#else
    Q_UNUSED(p);
    Q_UNUSED(n);
    Q_UNUSED(out);
#endif
    return i;
}

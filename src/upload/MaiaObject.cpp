#include "upload/MaiaObject.h"

#include "upload/XmlRpcWriter.h"

#include <QDateTime>
#include <QNetworkReply>
#include <QPointer>
#include <QXmlStreamReader>

#include <cstdlib>

// The DOM library's own policy for invalid characters is left at accepting them: the one that
// drops them also drops every character outside the basic plane, both in the text of nodes
// made here and in the answers it parses. The encoders remove what XML forbids themselves.
MaiaObject::MaiaObject(QObject* parent) : QObject(parent)
{
}

QString MaiaObject::zoneSuffix(int utcHour, int valueHour)
{
    const int d = utcHour - valueHour;
    return (d > 0 ? QStringLiteral("+%1") : QStringLiteral("-%1")).arg(std::abs(d));
}

QString MaiaObject::formatDouble(double value)
{
    return QString::number(value, 'g', 6);
}

QString MaiaObject::dateTimeText(const QDateTime& value)
{
    return value.toString(QStringLiteral("yyyy-MM-ddThh:mm:ss"))
           + zoneSuffix(QDateTime::currentDateTimeUtc().time().hour(), value.time().hour());
}

QDomElement MaiaObject::toXml(const QVariant& arg)
{
    QDomDocument doc;
    return toXml(doc, arg);
}

QDomElement MaiaObject::toXml(QDomDocument& doc, const QVariant& arg)
{
    QString typeName;
    QString text;
    // The variant's own type decides: an Int is always "int", a Double always "double".
    switch (static_cast<int>(arg.type())) {
    case QMetaType::Bool:
        typeName = QStringLiteral("boolean");
        text = arg.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        break;
    case QMetaType::Int:
        typeName = QStringLiteral("int");
        text = QString::number(arg.toInt());
        break;
    case QMetaType::Double:
        typeName = QStringLiteral("double");
        text = formatDouble(arg.toDouble());
        break;
    case QMetaType::QString:
        typeName = QStringLiteral("string");
        text = CXmlRpcWriter::allowedText(arg.toString());
        break;
    case QMetaType::QByteArray:
        typeName = QStringLiteral("base64");
        text = QString::fromLatin1(arg.toByteArray().toBase64());
        break;
    case QMetaType::QDateTime: {
        typeName = QStringLiteral("dateTime.iso8601");
        text = dateTimeText(arg.toDateTime());
        break;
    }
    case QMetaType::QVariantMap: {
        QDomElement value = doc.createElement(QStringLiteral("value"));
        QDomElement structElem = doc.createElement(QStringLiteral("struct"));
        const QVariantMap map = arg.toMap();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
            QDomElement member = doc.createElement(QStringLiteral("member"));
            QDomElement name = doc.createElement(QStringLiteral("name"));
            name.appendChild(doc.createTextNode(CXmlRpcWriter::allowedText(it.key())));
            member.appendChild(name);
            member.appendChild(toXml(doc, it.value()));
            structElem.appendChild(member);
        }
        value.appendChild(structElem);
        return value;
    }
    case QMetaType::QVariantList: {
        QDomElement value = doc.createElement(QStringLiteral("value"));
        QDomElement array = doc.createElement(QStringLiteral("array"));
        QDomElement data = doc.createElement(QStringLiteral("data"));
        const QVariantList items = arg.toList();
        for (const QVariant& item : items)
            data.appendChild(toXml(doc, item));
        array.appendChild(data);
        value.appendChild(array);
        return value;
    }
    default:
        return QDomElement();
    }
    QDomElement value = doc.createElement(QStringLiteral("value"));
    QDomElement type = doc.createElement(typeName);
    type.appendChild(doc.createTextNode(text));
    value.appendChild(type);
    return value;
}

QVariant MaiaObject::fromXml(const QDomElement& elem)
{
    return fromXml(elem, 0);
}

QVariant MaiaObject::fromXml(const QDomElement& elem, int depth)
{
    if (elem.isNull() || elem.tagName().toLower() != QLatin1String("value") || depth > MaxValueDepth)
        return QVariant();
    const QDomNode first = elem.firstChild();
    if (!first.isElement())
        return QVariant(elem.text());
    const QDomElement typeElem = first.toElement();
    const QString type = typeElem.tagName().toLower();
    const QString text = typeElem.text();
    if (type == QLatin1String("string"))
        return QVariant(text);
    if (type == QLatin1String("i4") || type == QLatin1String("int")) {
        bool ok = false;
        const int v = text.toInt(&ok, 10);
        return QVariant(ok ? v : 0);
    }
    if (type == QLatin1String("double")) {
        bool ok = false;
        const double v = text.toDouble(&ok);
        return QVariant(ok ? v : 0.0);
    }
    if (type == QLatin1String("boolean"))
        return QVariant(text.toLower() == QLatin1String("true") || text == QLatin1String("1"));
    if (type == QLatin1String("base64"))
        return QVariant(QByteArray::fromBase64(text.toLatin1()));
    if (type == QLatin1String("datetime") || type == QLatin1String("datetime.iso8601"))
        return QVariant(QDateTime::fromString(text, QStringLiteral("yyyyMMddThh:mm:ss")));
    if (type == QLatin1String("array"))
        return decodeArray(typeElem, depth);
    if (type == QLatin1String("struct"))
        return decodeStruct(typeElem, depth);
    return QVariant();
}

QVariant MaiaObject::decodeArray(const QDomElement& arrayElem, int depth)
{
    QVariantList items;
    const QDomNodeList children = arrayElem.firstChild().childNodes();
    for (int i = 0; i < children.count(); ++i)
        items.append(fromXml(children.item(i).toElement(), depth + 1));
    return items;
}

QVariant MaiaObject::decodeStruct(const QDomElement& structElem, int depth)
{
    QVariantMap map;
    for (QDomNode child = structElem.firstChild(); !child.isNull(); child = child.nextSibling()) {
        const QDomElement member = child.toElement();
        if (member.isNull()) {
            map.insert(QString(), QVariant());
            continue;
        }
        const QDomElement name = member.elementsByTagName(QStringLiteral("name")).item(0).toElement();
        const QDomElement value = member.elementsByTagName(QStringLiteral("value")).item(0).toElement();
        map.insert(name.isNull() ? QString() : name.text(), fromXml(value, depth + 1));
    }
    return map;
}

QString MaiaObject::prepareCall(const QString& method, const QList<QVariant>& args)
{
    return QString::fromUtf8(prepareCallBody(method, args));
}

QByteArray MaiaObject::prepareCallBody(const QString& method, const QList<QVariant>& args)
{
    return CXmlRpcWriter::methodCall(method, args);
}

int MaiaObject::tooDeepAt(const QString& text)
{
    // The document parser recurses once per level of nesting: an answer nested deeper than
    // any real one is refused before it reaches it. Malformed text is left to the parser,
    // which reports it in its own words.
    QXmlStreamReader reader(text);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > MaxDocumentDepth)
            return int(reader.lineNumber());
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    return 0;
}

void MaiaObject::parseResponse(QString response, QNetworkReply* reply)
{
    // A receiver may tear down the client, and with it this object, while it runs.
    QPointer<MaiaObject> self(this);
    QDomDocument doc;
    QString errorMsg;
    int errorLine = 0;
    if (const int deepLine = tooDeepAt(response)) {
        emit fault(FaultNotWellFormed,
                   QStringLiteral("parse error: response nested too deeply at line %1").arg(deepLine), reply);
    } else if (!doc.setContent(response, &errorMsg, &errorLine)) {
        emit fault(FaultNotWellFormed,
                   QStringLiteral("parse error: response not well formed at line %1: %2").arg(errorLine).arg(errorMsg),
                   reply);
    } else {
        const QDomNode first = doc.documentElement().firstChild();
        const QString name = first.nodeName().toLower();
        if (first.isElement() && name == QLatin1String("params")) {
            const QDomNode param = first.firstChild();
            QVariant result;
            if (!param.isNull())
                result = fromXml(param.firstChildElement());
            emit aresponse(result, reply);
        } else if (first.isElement() && name == QLatin1String("fault")) {
            const QVariantMap map = fromXml(first.firstChildElement()).toMap();
            bool ok = false;
            int code = map.value(QStringLiteral("faultCode")).toInt(&ok);
            if (!ok)
                code = 0;
            emit fault(code, map.value(QStringLiteral("faultString")).toString(), reply);
        } else {
            emit fault(FaultNotXmlRpc, tr("parse error: invalid xml-rpc. not conforming to spec."), reply);
        }
    }
    if (self)
        delete this;
}

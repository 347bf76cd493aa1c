#pragma once
// A call document built as a DOM tree and serialised by the DOM library, as the codec once
// wrote it: the reference the streaming writer's bytes are held against.
#include "upload/MaiaObject.h"
#include "upload/XmlRpcWriter.h"

#include <QByteArray>
#include <QDomDocument>

inline QByteArray DomXmlRpcCall(const QString& method, const QList<QVariant>& args)
{
    QDomDocument doc;
    doc.appendChild(doc.createProcessingInstruction(QStringLiteral("xml"),
                                                    QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
    QDomElement call = doc.createElement(QStringLiteral("methodCall"));
    QDomElement name = doc.createElement(QStringLiteral("methodName"));
    name.appendChild(doc.createTextNode(CXmlRpcWriter::allowedText(method)));
    call.appendChild(name);
    QDomElement params = doc.createElement(QStringLiteral("params"));
    for (const QVariant& arg : args) {
        QDomElement param = doc.createElement(QStringLiteral("param"));
        param.appendChild(MaiaObject::toXml(doc, arg));
        params.appendChild(param);
    }
    call.appendChild(params);
    doc.appendChild(call);
    return doc.toString(1).toUtf8();
}

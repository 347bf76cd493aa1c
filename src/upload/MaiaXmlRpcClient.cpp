#include "upload/MaiaXmlRpcClient.h"

#include "upload/MaiaObject.h"
#include "upload/XmlRpcWriter.h"

#include <QNetworkReply>

namespace {
const char* const s_TooLargeProperty = "kvReplyTooLarge";
}

MaiaFault::MaiaFault(int faultCode, QString faultString, QObject* parent) : QObject(parent)
{
    m_Fault[QStringLiteral("faultCode")] = faultCode;
    m_Fault[QStringLiteral("faultString")] = faultString;
}

QString MaiaFault::toString() const
{
    const int code = m_Fault.value(QStringLiteral("faultCode")).toInt();
    const QString text = m_Fault.value(QStringLiteral("faultString")).toString();
    return QString::fromUtf8(CXmlRpcWriter::faultResponse(code, text));
}

MaiaXmlRpcClient::MaiaXmlRpcClient(QObject* parent) : QObject(parent)
{
    init();
}

MaiaXmlRpcClient::MaiaXmlRpcClient(QUrl url, QObject* parent) : QObject(parent)
{
    init();
    setUrl(url);
}

MaiaXmlRpcClient::MaiaXmlRpcClient(QUrl url, QString userAgent, QObject* parent) : QObject(parent)
{
    init();
    setUserAgent(userAgent);
    setUrl(url);
}

MaiaXmlRpcClient::~MaiaXmlRpcClient()
{
    // Calls still in flight end silently: their codec objects go with this client and the
    // manager's last reports must not reach a half-destroyed receiver.
    if (m_pManager)
        disconnect(m_pManager.get(), nullptr, this, nullptr);
    for (QNetworkReply* reply : m_CallMap.keys())
        disconnect(reply, nullptr, this, nullptr);
    m_CallMap.clear();
}

void MaiaXmlRpcClient::init()
{
    m_Request.setRawHeader("User-Agent", "libmaia/0.2");
    m_Request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("text/xml"));
    // A redirect is not followed: its body is parsed like any other answer.
    m_Request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    m_Request.setTransferTimeout(DefaultTransferTimeoutMs);
}

QNetworkAccessManager* MaiaXmlRpcClient::manager()
{
    if (!m_pManager) {
        m_pManager = std::make_unique<QNetworkAccessManager>();
        connect(m_pManager.get(), &QNetworkAccessManager::finished, this, &MaiaXmlRpcClient::replyFinished);
#ifndef QT_NO_SSL
        connect(m_pManager.get(), &QNetworkAccessManager::sslErrors, this, &MaiaXmlRpcClient::sslErrors);
#endif
    }
    return m_pManager.get();
}

void MaiaXmlRpcClient::setUrl(QUrl url)
{
    if (url.isValid())
        m_Request.setUrl(url);
}

void MaiaXmlRpcClient::setUserAgent(QString userAgent)
{
    m_Request.setRawHeader("User-Agent", userAgent.toLatin1());
}

void MaiaXmlRpcClient::setTransferTimeout(int ms)
{
    m_Request.setTransferTimeout(ms);
}

#ifndef QT_NO_SSL
void MaiaXmlRpcClient::setSslConfiguration(const QSslConfiguration& config)
{
    m_Request.setSslConfiguration(config);
}

QSslConfiguration MaiaXmlRpcClient::sslConfiguration() const
{
    return m_Request.sslConfiguration();
}
#endif

QNetworkReply* MaiaXmlRpcClient::call(QString method, QList<QVariant> args, QObject* responseObject,
                                      const char* responseSlot, QObject* faultObject, const char* faultSlot)
{
    MaiaObject* call = new MaiaObject(this);
    connect(call, SIGNAL(aresponse(QVariant&, QNetworkReply*)), responseObject, responseSlot);
    connect(call, SIGNAL(fault(int, const QString&, QNetworkReply*)), faultObject, faultSlot);
    QNetworkReply* reply = manager()->post(m_Request, MaiaObject::prepareCallBody(method, args));
    watchSize(reply);
    m_CallMap.insert(reply, call);
    return reply;
}

void MaiaXmlRpcClient::watchSize(QNetworkReply* reply)
{
    // An answer is untrusted: one that announces or delivers more than the limit is cut off
    // before it fills the memory.
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64 total) {
        if (received > MaxReplyBytes || total > MaxReplyBytes) {
            reply->setProperty(s_TooLargeProperty, true);
            reply->abort();
        }
    });
}

void MaiaXmlRpcClient::replyFinished(QNetworkReply* reply)
{
    auto it = m_CallMap.find(reply);
    if (it == m_CallMap.end())
        return;
    MaiaObject* call = it.value();
    QString text;
    if (reply->property(s_TooLargeProperty).toBool()) {
        text = MaiaFault(MaiaObject::FaultTransport,
                         QStringLiteral("response larger than %1 bytes refused").arg(MaxReplyBytes))
                   .toString();
    } else if (reply->error() == QNetworkReply::NoError) {
        QByteArray body = reply->read(MaxReplyBytes + 1);
        if (body.size() > MaxReplyBytes) {
            text = MaiaFault(MaiaObject::FaultTransport,
                             QStringLiteral("response larger than %1 bytes refused").arg(MaxReplyBytes))
                       .toString();
        } else {
            const int zero = body.indexOf('\0');
            if (zero >= 0)
                body.truncate(zero);
            text = QString::fromUtf8(body);
        }
    } else if (reply->error() == QNetworkReply::OperationCanceledError) {
        // Nothing else cancels a call than the transfer time-out: say so in plain words.
        text = MaiaFault(MaiaObject::FaultTransport,
                         QStringLiteral("no answer within %1 s").arg(m_Request.transferTimeout() / 1000.0))
                   .toString();
    } else {
        text = MaiaFault(MaiaObject::FaultTransport, reply->errorString()).toString();
    }
    m_CallMap.erase(it);
    reply->deleteLater();
    call->parseResponse(text, reply);
}

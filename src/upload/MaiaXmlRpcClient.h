#pragma once
// The XML-RPC client: every call is one HTTP POST of a "methodCall" document to one endpoint;
// its answer, a server fault, a malformed body or a transport error all reach the caller
// through the codec object made for that call.
#include <QMap>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <memory>

#ifndef QT_NO_SSL
#include <QSslConfiguration>
#include <QSslError>
#endif

class MaiaObject;
class QNetworkReply;

// A fault value, used to turn a transport error into a fault document.
class MaiaFault : public QObject
{
    Q_OBJECT
public:
    MaiaFault(int faultCode, QString faultString, QObject* parent = nullptr);
    QString toString() const;

private:
    QMap<QString, QVariant> m_Fault;
};

class MaiaXmlRpcClient : public QObject
{
    Q_OBJECT
public:
    // An answer larger than this is refused unread: the service answers in a few hundred bytes.
    static constexpr qint64 MaxReplyBytes = 1024 * 1024;
    // A call the service does not finish within this time ends as a transport fault.
    static constexpr int DefaultTransferTimeoutMs = 30000;

    explicit MaiaXmlRpcClient(QObject* parent = nullptr);
    MaiaXmlRpcClient(QUrl url, QObject* parent = nullptr);
    MaiaXmlRpcClient(QUrl url, QString userAgent, QObject* parent = nullptr);
    ~MaiaXmlRpcClient() override;

    // An invalid URL is ignored and the old one kept.
    void setUrl(QUrl url);
    QUrl url() const { return m_Request.url(); }
    void setUserAgent(QString userAgent);
    void setTransferTimeout(int ms);
#ifndef QT_NO_SSL
    void setSslConfiguration(const QSslConfiguration& config);
    QSslConfiguration sslConfiguration() const;
#endif

    // Sends the call; the reply is the key the answer comes back under.
    QNetworkReply* call(QString method, QList<QVariant> args, QObject* responseObject, const char* responseSlot,
                        QObject* faultObject, const char* faultSlot);
    int callsInFlight() const { return m_CallMap.size(); }

signals:
#ifndef QT_NO_SSL
    void sslErrors(QNetworkReply* reply, const QList<QSslError>& errors);
#endif

private slots:
    void replyFinished(QNetworkReply* reply);

private:
    void init();
    void watchSize(QNetworkReply* reply);
    // Made for the first call: a network manager starts the network configuration watch
    // (its plug-ins and a thread), which a session that never uploads does not need.
    QNetworkAccessManager* manager();

    std::unique_ptr<QNetworkAccessManager> m_pManager;
    QNetworkRequest m_Request;
    QMap<QNetworkReply*, MaiaObject*> m_CallMap;
};

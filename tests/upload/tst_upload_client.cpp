// The XML-RPC client against the stand-in service: each answer reaches the receivers of its own
// call whatever the order, faults and transport errors reach the fault slot, the request
// carries its headers, and a client destroyed with a call in flight calls nobody. Also where
// the service is reached: the settings file's host, the variable that overrides it.
#include "common/PrivateHome.h"
#include "common/TerravoxStandIn.h"

#include "Core/Data/Settings.h"
#include "upload/MaiaXmlRpcClient.h"
#include "upload/UploadEndpoint.h"

#include <QNetworkReply>
#include <QSettings>
#include <QTemporaryDir>
#include "common/TestMain.h"

namespace {

// Records what one call's receivers were given.
class CReceiver : public QObject
{
    Q_OBJECT
public:
    QVariant value;
    QNetworkReply* reply = nullptr;
    int faultCode = 0;
    QString faultText;
    int answers = 0;
    // The place of this receiver's last answer among all answers of the test.
    int order = 0;
    static int s_Answered;

public slots:
    void onResponse(QVariant& v, QNetworkReply* r)
    {
        value = v;
        reply = r;
        ++answers;
        order = ++s_Answered;
    }
    void onFault(int code, const QString& text, QNetworkReply* r)
    {
        faultCode = code;
        faultText = text;
        reply = r;
        ++answers;
        order = ++s_Answered;
    }
};

int CReceiver::s_Answered = 0;

QNetworkReply* callOn(MaiaXmlRpcClient& client, CReceiver& receiver, const QString& method, const QVariantList& args)
{
    return client.call(method, args, &receiver, SLOT(onResponse(QVariant&, QNetworkReply*)), &receiver,
                       SLOT(onFault(int, const QString&, QNetworkReply*)));
}

} // namespace

class TestUploadClient : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(UsePrivateHome(m_Home)); }
    void answersReachTheirOwnCallsInAnyOrder();
    void requestCarriesItsHeaders();
    void transportErrorsBecomeFaults_data();
    void transportErrorsBecomeFaults();
    void refusedConnection();
    void destroyedClientCallsNobody();
    void invalidUrlKeepsTheOldOne();
    void endpointFromSettingsAndVariable();
    void channelSettingsKeepTheHost();

private:
    QTemporaryDir m_Home;
};

void TestUploadClient::answersReachTheirOwnCallsInAnyOrder()
{
    CTerravoxStandIn service;
    QVERIFY(service.start({"--delay", "ValidateUser:1=3"}));
    MaiaXmlRpcClient client(service.url());
    CReceiver slow, quick;
    QNetworkReply* slowReply = callOn(client, slow, "ValidateUser", {QString("teacher"), QString("secret")});
    // The stand-in delays the first call it receives: send the second only once the first has
    // arrived, or a loaded machine may deliver them the other way round.
    QTRY_COMPARE_WITH_TIMEOUT(service.requests().size(), 1, 10000);
    QNetworkReply* quickReply = callOn(client, quick, "ValidateUser", {QString("teacher"), QString("wrong")});
    QCOMPARE(client.callsInFlight(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(quick.answers, 1, 10000);
    // The second call's answer came first (by order, not by a moment: a loaded machine may
    // deliver both in one turn of the event loop).
    QTRY_COMPARE_WITH_TIMEOUT(slow.answers, 1, 10000);
    QVERIFY(quick.order < slow.order);
    QCOMPARE(quick.reply, quickReply);
    QCOMPARE(quick.faultCode, 2);
    QCOMPARE(quick.faultText, QString("authentication failed"));
    QTRY_COMPARE_WITH_TIMEOUT(slow.answers, 1, 10000);
    QCOMPARE(slow.reply, slowReply);
    QCOMPARE(slow.value.toMap().value("name").toString(), QString("Ada Teacher"));
    QCOMPARE(client.callsInFlight(), 0);
    QCOMPARE(quick.answers + slow.answers, 2);
}

void TestUploadClient::requestCarriesItsHeaders()
{
    CTerravoxStandIn service;
    QVERIFY(service.start());
    MaiaXmlRpcClient client(service.url());
    CReceiver r;
    callOn(client, r, "StopExperiment", {QString("none")});
    QTRY_COMPARE_WITH_TIMEOUT(r.answers, 1, 10000);
    QCOMPARE(r.value, QVariant(3)); // no such experiment
    const QJsonObject http = service.requests().first();
    QCOMPARE(http.value("agent").toString(), QString("libmaia/0.2"));
    QCOMPARE(http.value("type").toString(), QString("text/xml"));
    QCOMPARE(http.value("path").toString(), QString("/"));
    QCOMPARE(http.value("body_start").toString(), QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
}

void TestUploadClient::transportErrorsBecomeFaults_data()
{
    QTest::addColumn<QStringList>("knobs");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("error status, fault body") << QStringList{"--status", "StopExperiment=500"} << -32300 << "";
    QTest::newRow("redirect is parsed") << QStringList{"--status", "StopExperiment=302"} << 3 << "with an error status";
    QTest::newRow("dropped") << QStringList{"--drop", "StopExperiment"} << -32300 << "";
    QTest::newRow("not xml") << QStringList{"--garbage", "StopExperiment"} << -32700 << "parse error: response not well formed at line 1";
    QTest::newRow("too large") << QStringList{"--huge", "StopExperiment"} << -32300 << "";
    QTest::newRow("server fault") << QStringList{"--fault", "StopExperiment=12"} << 12 << "stand-in fault 12";
}

void TestUploadClient::transportErrorsBecomeFaults()
{
    QFETCH(QStringList, knobs);
    QFETCH(int, code);
    QFETCH(QString, text);
    CTerravoxStandIn service;
    QVERIFY(service.start(knobs));
    MaiaXmlRpcClient client(service.url());
    CReceiver r;
    QNetworkReply* reply = callOn(client, r, "StopExperiment", {QString("x")});
    QTRY_COMPARE_WITH_TIMEOUT(r.answers, 1, 10000);
    QCOMPARE(r.faultCode, code);
    QCOMPARE(r.reply, reply);
    QVERIFY(!r.value.isValid());
    QVERIFY(!r.faultText.isEmpty());
    QVERIFY2(text.isEmpty() || r.faultText.startsWith(text), qPrintable(r.faultText));
    QTest::qWait(50);
    QCOMPARE(r.answers, 1);
}

void TestUploadClient::refusedConnection()
{
    QUrl dead;
    {
        CTerravoxStandIn service;
        QVERIFY(service.start());
        dead = service.url();
    }
    MaiaXmlRpcClient client(dead);
    CReceiver r;
    callOn(client, r, "ValidateUser", {QString("a"), QString("b")});
    QTRY_COMPARE_WITH_TIMEOUT(r.answers, 1, 10000);
    QCOMPARE(r.faultCode, -32300);
    QVERIFY2(r.faultText.contains("refused", Qt::CaseInsensitive), qPrintable(r.faultText));
}

void TestUploadClient::destroyedClientCallsNobody()
{
    CTerravoxStandIn service;
    QVERIFY(service.start({"--delay", "*=0.5"}));
    CReceiver r;
    {
        MaiaXmlRpcClient client(service.url());
        callOn(client, r, "ValidateUser", {QString("teacher"), QString("secret")});
        QTest::qWait(100);
    }
    QTest::qWait(800);
    QCOMPARE(r.answers, 0);
}

void TestUploadClient::invalidUrlKeepsTheOldOne()
{
    MaiaXmlRpcClient client(QUrl("http://example.invalid:8080"));
    client.setUrl(QUrl("http://[::1"));
    QCOMPARE(client.url(), QUrl("http://example.invalid:8080"));
    MaiaXmlRpcClient empty;
    QVERIFY(empty.url().isEmpty());
}

void TestUploadClient::endpointFromSettingsAndVariable()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("KV4Settings.ini");
    qunsetenv(TerravoxUrlVariable);
    QCOMPARE(TerravoxEndpoint(path), QUrl("http://localhost:8080"));
    {
        QSettings file(path, QSettings::IniFormat);
        file.setValue(TerravoxHostKey, "science.school.example");
    }
    QCOMPARE(TerravoxEndpoint(path), QUrl("http://science.school.example:8080"));
    {
        QSettings file(path, QSettings::IniFormat);
        file.setValue(TerravoxHostKey, "not a host/at all");
    }
    QCOMPARE(TerravoxEndpoint(path), QUrl("http://localhost:8080"));
    qputenv(TerravoxUrlVariable, "http://127.0.0.1:4567");
    QCOMPARE(TerravoxEndpoint(path), QUrl("http://127.0.0.1:4567"));
    qputenv(TerravoxUrlVariable, "ftp://127.0.0.1:4567");
    QCOMPARE(TerravoxEndpoint(path), QUrl("http://localhost:8080"));
    qunsetenv(TerravoxUrlVariable);
}

void TestUploadClient::channelSettingsKeepTheHost()
{
    // The channel settings share the file; saving them must not lose the service's host.
    QSettings(TerravoxSettingsPath(), QSettings::IniFormat).setValue(TerravoxHostKey, "kept.example");
    CSettings settings;
    settings.SetSensorInfoIndex(2, 5);
    QVERIFY(settings.SaveSettings());
    QCOMPARE(TerravoxEndpoint(), QUrl("http://kept.example:8080"));
    CSettings again;
    QCOMPARE(again.GetSensorInfoIndex(2), 5);
    QFile::remove(TerravoxSettingsPath());
}

KORVANTA_TEST_GUILESS_MAIN(TestUploadClient)
#include "tst_upload_client.moc"

// The upload controller, its packet queue and worker thread against the stand-in service over
// loopback: logins that succeed, are refused or fail on the network; text beyond the basic
// plane both ways; stored series sent in calls of bounded size; short, missing and too many
// series; a live run recorded while it is sent; a slow, a dropped and a stalled service; a
// live upload whose call fails, told once and closed at the service; and the worker's end.
#include "common/PlainLogicContext.h"
#include "common/TerravoxStandIn.h"

#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "upload/XMLRPC.h"

#include <QJsonArray>
#include <QSignalSpy>
#include "common/TestMain.h"

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

// A controller wired to a hub, a setup and a data store of its own.
struct CUploadRig
{
    CPlainLogicContext context;
    CDataManager data;
    std::unique_ptr<XMLRPC> controller;
    QStringList messages;
    std::vector<std::unique_ptr<CSesnorProperties>> sensors; // the setup's list does not own them

    CUploadRig()
    {
        controller = std::make_unique<XMLRPC>(nullptr);
        controller->SetContext(&context);
        controller->SetDataManager(&data);
        QObject::connect(&context.m_Hub, &CKorvantaSignals::GuiModallessMsg,
                         [this](QString title, QString text, bool) { messages << title + "|" + text; });
    }
    ~CUploadRig() { controller->Exit(); }

    // Logs in (by default as the stand-in's teacher); true when the service accepted.
    bool login(const QString& password = QStringLiteral("secret"),
               const QString& name = QStringLiteral("teacher"))
    {
        QSignalSpy replied(controller.get(), &XMLRPC::ValidationReplied);
        controller->m_LoginName = name;
        controller->m_Password = password;
        controller->Process(new XMLPacket(XMLPacket::Login));
        return replied.wait(10000) && replied.first().at(0).toBool();
    }

    // A branch of sensor `sensor` holding y = base + i for i < samples.
    int branch(int sensor, int samples, double base = 0.0, int rate = 9)
    {
        const int key = data.CreateDataBranch(sensor, 0.1, 0, 0, 0);
        CDataBranch* b = data.GetDataBranch(key);
        b->m_SensorIndex = sensor;
        b->m_RateCode = rate;
        for (int i = 0; i < samples; ++i)
            b->AddSample(i, base + i);
        return key;
    }

    // A live run about to start: `count` sensors of one measurement, `samples` rows at rate
    // index 12, and the run's empty branches.
    QList<int> liveRun(int count, int samples)
    {
        CSetupInfo& setup = context.m_Setup;
        QList<int> keys;
        for (int s = 0; s < count; ++s) {
            sensors.push_back(std::make_unique<CSesnorProperties>());
            sensors.back()->m_SensorIndex = 72 + s;
            sensors.back()->m_MeasurementList << new CMeasurementSetup;
            sensors.back()->m_MeasurementList.last()->m_bActive = true;
            setup.m_SelectedSensorList << sensors.back().get();
            keys << branch(72 + s, 0);
        }
        setup.m_RateCode = 12;
        setup.m_NumberOfSamples = samples;
        return keys;
    }

    // Stores rows from..from+count-1 (x = y = the row) in every branch, as a logger does.
    void store(const QList<int>& keys, int from, int count)
    {
        QVector<double> x(count);
        for (int j = 0; j < count; ++j)
            x[j] = from + j;
        for (int key : keys)
            data.GetDataBranch(key)->AppendSamples(x.constData(), x.constData(), count);
    }
};

QList<int> rowsOf(const CTerravoxStandIn& service)
{
    QList<int> rows;
    for (const QJsonObject& call : service.callsOf("SendReading"))
        rows << call.value("rows").toInt();
    return rows;
}

QStringList setsOf(const QJsonObject& call)
{
    QStringList sets;
    for (const QJsonValue& v : call.value("sets").toArray())
        sets << v.toString();
    return sets;
}

bool waitForMethod(const CTerravoxStandIn& service, const QString& method, int timeoutMs = 15000)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (service.methods().contains(method))
            return true;
        QTest::qWait(20);
    }
    return false;
}

} // namespace

class TestUploadController : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void loginSucceedsThenAWrongPasswordIsRefused();
    void loginEndsOnAnyRefusal_data();
    void loginEndsOnAnyRefusal();
    void loginWithNoServiceIsANetworkError();
    void logoutKeepsNameAndPassword();
    void textBeyondTheBasicPlaneBothWays();
    void codeMaps();
    void storedRunGoesOutInBoundedCalls();
    void emptyBranchesSendOneEmptyCall();
    void shortAndMissingBranchesSendGaps();
    void moreThanSixteenSeriesAreRefused();
    void unsupportedRateOrSensorStopsTheStart_data();
    void unsupportedRateOrSensorStopsTheStart();
    void nothingQueuedWhileLoggedOutOrLiveOff();
    void liveRunIsSentWhileItRecords();
    void slowServiceStillGetsEveryRowInOrder();
    void droppedServiceHaltsTheUploadAndStopClosesIt();
    void failedCallStopsTheUploadOnce_data();
    void failedCallStopsTheUploadOnce();
    void stopWhileAReplyIsAwaited();
    void exitReturnsWhileTheWorkerWaitsForSamples();
    void packetsCrossThreadsByValue();
    void packetsOfTheWrongTypeAreRefused();
};

void TestUploadController::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestUploadController::loginSucceedsThenAWrongPasswordIsRefused()
{
    CTerravoxStandIn service;
    QVERIFY(service.start());
    CUploadRig rig;
    QCOMPARE(rig.controller->Client()->url(), service.url());
    QVERIFY(rig.login());
    QVERIFY(rig.controller->m_bLoggedIn);
    QCOMPARE(rig.controller->m_DisplayName, QString("Ada Teacher"));
    QCOMPARE(rig.controller->m_PictureAddress, QString("http://127.0.0.1/avatars/teacher.png"));
    QVERIFY(rig.controller->m_Picture.isNull());

    QSignalSpy replied(rig.controller.get(), &XMLRPC::ValidationReplied);
    rig.controller->m_Password = "wrong";
    rig.controller->Process(new XMLPacket(XMLPacket::Login));
    QVERIFY(replied.wait(10000));
    QCOMPARE(replied.size(), 1);
    QCOMPARE(replied.first(), QVariantList({false, false}));
    QCOMPARE(rig.controller->LastFaultCode(), 2);
    // A failed login leaves the state as it was.
    QVERIFY(rig.controller->m_bLoggedIn);
    const QList<QJsonObject> calls = service.callsOf("ValidateUser");
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls.at(0).value("password_ok").toBool(), true);
    QCOMPARE(calls.at(1).value("password_ok").toBool(), false);
}

void TestUploadController::loginEndsOnAnyRefusal_data()
{
    QTest::addColumn<QStringList>("knobs");
    QTest::addColumn<bool>("network");
    QTest::addColumn<QString>("faultText");
    QTest::newRow("other fault code") << QStringList{"--fault", "ValidateUser=7"} << false << "stand-in fault 7";
    QTest::newRow("not xml") << QStringList{"--garbage", "ValidateUser"} << false << "parse error: response not well formed";
    QTest::newRow("an int") << QStringList{"--code", "ValidateUser=1"} << false << "";
    QTest::newRow("dropped") << QStringList{"--drop", "ValidateUser"} << true << "";
    QTest::newRow("huge") << QStringList{"--huge", "ValidateUser"} << true << "response larger than";
}

void TestUploadController::loginEndsOnAnyRefusal()
{
    QFETCH(QStringList, knobs);
    QFETCH(bool, network);
    QFETCH(QString, faultText);
    CTerravoxStandIn service;
    QVERIFY(service.start(knobs));
    CUploadRig rig;
    QSignalSpy replied(rig.controller.get(), &XMLRPC::ValidationReplied);
    QVERIFY(!rig.login());
    QTest::qWait(200);
    QCOMPARE(replied.size(), 1); // one reply ends the wait, nothing follows
    QCOMPARE(replied.first(), QVariantList({false, network}));
    QVERIFY(!rig.controller->m_bLoggedIn);
    QVERIFY2(faultText.isEmpty() || rig.controller->LastFaultText().startsWith(faultText),
             qPrintable(rig.controller->LastFaultText()));
}

void TestUploadController::loginWithNoServiceIsANetworkError()
{
    // A port nothing listens on: the stand-in is started and stopped to find one.
    QUrl dead;
    {
        CTerravoxStandIn service;
        QVERIFY(service.start());
        dead = service.url();
    }
    qputenv(TerravoxUrlVariable, dead.toString().toLatin1());
    CUploadRig rig;
    qunsetenv(TerravoxUrlVariable);
    QSignalSpy replied(rig.controller.get(), &XMLRPC::ValidationReplied);
    rig.controller->Process(new XMLPacket(XMLPacket::Login));
    QVERIFY(replied.wait(10000));
    QCOMPARE(replied.first(), QVariantList({false, true}));
    QCOMPARE(rig.controller->LastFaultCode(), -32300);
}

void TestUploadController::logoutKeepsNameAndPassword()
{
    CTerravoxStandIn service;
    QVERIFY(service.start());
    CUploadRig rig;
    QVERIFY(rig.login());
    rig.controller->DisableTerravox();
    QVERIFY(!rig.controller->m_bLoggedIn);
    QCOMPARE(rig.controller->m_LoginName, QString("teacher"));
    QCOMPARE(rig.controller->m_Password, QString("secret"));
    QVERIFY(rig.controller->m_DisplayName.isEmpty());
    QVERIFY(rig.controller->m_PictureAddress.isEmpty());
    QVERIFY(rig.controller->ExperimentId().isEmpty());
}

void TestUploadController::textBeyondTheBasicPlaneBothWays()
{
    // Python's xmlrpc.client behind the stand-in reads what is sent and writes what is read.
    CTerravoxStandIn service;
    QVERIFY(service.start({"--user", "%F0%9D%84%9Eada:p%F0%9F%98%80ss:Ada%20%F0%9D%84%9E%20%F0%9F%98%80"}));
    CUploadRig rig;
    const QString login = QString::fromUtf8("\xF0\x9D\x84\x9E" "ada");
    QVERIFY(rig.login(QString::fromUtf8("p\xF0\x9F\x98\x80ss"), login));
    QCOMPARE(service.callsOf("ValidateUser").first().value("login").toString(), login);
    QCOMPARE(rig.controller->m_DisplayName, QString::fromUtf8("Ada \xF0\x9D\x84\x9E \xF0\x9F\x98\x80"));
}

void TestUploadController::codeMaps()
{
    const QStringList rates{"0", "1", "B", "C", "2", "3", "4", "5", "6", "D", "7", "8", "9", "", "", "A"};
    for (int i = 0; i < rates.size(); ++i)
        QCOMPARE(XMLRPC::RateCode(i), rates.at(i));
    QCOMPARE(XMLRPC::RateCode(-1), QString());
    QCOMPARE(XMLRPC::RateCode(16), QString());
    const QList<QPair<int, int>> sensors{{-3, -3}, {0, 0}, {50, 50}, {51, -1}, {53, -1}, {54, 54}, {56, 56},
                                         {57, -1}, {71, -1}, {72, 372}, {148, 448}};
    for (const auto& s : sensors)
        QCOMPARE(XMLRPC::SensorCode(s.first), s.second);
}

void TestUploadController::storedRunGoesOutInBoundedCalls()
{
    CTerravoxStandIn service;
    QVERIFY(service.start());
    CUploadRig rig;
    QVERIFY(rig.login());
    QList<int> keys{rig.branch(72, 25000, 0.5), rig.branch(50, 25000, 1000000.0)};
    rig.controller->StartUploadOffLineExp(&keys);
    QVERIFY(waitForMethod(service, "StopExperiment", 30000));
    QCOMPARE(service.methods(), QStringList({"ValidateUser", "StartExperiment", "SendReading", "SendReading",
                                             "SendReading", "StopExperiment"}));
    const QJsonObject start = service.callsOf("StartExperiment").first();
    QCOMPARE(start.value("rate").toString(), QString("D"));
    QCOMPARE(start.value("sensors").toArray(), QJsonArray({372, 50}));
    QVERIFY(start.value("password_ok").toBool());
    QCOMPARE(rowsOf(service), QList<int>({10001, 10001, 4998}));
    const QList<QJsonObject> readings = service.callsOf("SendReading");
    for (const QJsonObject& r : readings)
        QCOMPARE(r.value("id").toString(), QString("exp-1"));
    const QStringList first = setsOf(readings.at(0));
    QCOMPARE(first.size(), 2);
    QVERIFY(first.at(0).startsWith("0.5,1.5,2.5,"));
    QVERIFY(first.at(1).startsWith("1e+06,1e+06,1e+06,"));
    const QStringList last = setsOf(readings.at(2)).at(0).split(',');
    QCOMPARE(last.size(), 4998);
    QCOMPARE(last.first(), QString("20002.5"));
    QCOMPARE(last.last(), QString("24999.5"));
    QCOMPARE(service.callsOf("StopExperiment").first().value("total_rows").toInt(), 25000);
    QTRY_VERIFY(!rig.controller->IsUploading());
    QCOMPARE(rig.controller->Queue()->PendingCount(), 0);
}

void TestUploadController::emptyBranchesSendOneEmptyCall()
{
    CTerravoxStandIn service;
    QVERIFY(service.start());
    CUploadRig rig;
    QVERIFY(rig.login());
    QList<int> keys{rig.branch(1, 0), rig.branch(2, 0)};
    rig.controller->StartUploadOffLineExp(&keys);
    QVERIFY(waitForMethod(service, "StopExperiment"));
    QCOMPARE(rowsOf(service), QList<int>({0}));
    QCOMPARE(setsOf(service.callsOf("SendReading").first()), QStringList({"", ""}));
}

void TestUploadController::shortAndMissingBranchesSendGaps()
{
    CTerravoxStandIn service;
    QVERIFY(service.start());
    CUploadRig rig;
    QVERIFY(rig.login());
    const int first = rig.branch(3, 4, 10.0);
    const int shorter = rig.branch(4, 2, 20.0);
    const int gone = rig.branch(5, 4);
    const int nameless = 987654;
    // Y values without their X (the repeat-last-value storage fills Y alone for a while).
    const int yOnly = rig.branch(6, 0);
    for (int i = 0; i < 4; ++i)
        rig.data.GetDataBranch(yOnly)->AddYSample(30 + i);
    QList<int> keys{first, nameless, shorter, gone, yOnly};
    rig.data.DeleteDataBranch(gone);
    rig.controller->StartUploadOffLineExp(&keys);
    QVERIFY(waitForMethod(service, "StopExperiment"));
    // Series that no longer exist are left out; a shorter one is sent with gaps.
    QCOMPARE(service.callsOf("StartExperiment").first().value("sensors").toArray(), QJsonArray({3, 4, 6}));
    QCOMPARE(setsOf(service.callsOf("SendReading").first()),
             QStringList({"10,11,12,13", "20,21,-9999999,-9999999", "30,31,32,33"}));
    QCOMPARE(service.callsOf("StopExperiment").first().value("total_rows").toInt(), 4);
}

void TestUploadController::moreThanSixteenSeriesAreRefused()
{
    CTerravoxStandIn service;
    QVERIFY(service.start());
    CUploadRig rig;
    QVERIFY(rig.login());
    QList<int> keys;
    for (int i = 0; i < 17; ++i)
        keys << rig.branch(1, 3);
    rig.controller->StartUploadOffLineExp(&keys);
    QCOMPARE(rig.messages, QStringList({"Terravox|At most 16 sensors can be uploaded."}));
    QCOMPARE(rig.controller->Queue()->PendingCount(), 0);
    // Sixteen go.
    keys.removeLast();
    rig.controller->StartUploadOffLineExp(&keys);
    QVERIFY(waitForMethod(service, "StopExperiment"));
    QCOMPARE(service.callsOf("StartExperiment").first().value("sensors").toArray().size(), 16);
    QCOMPARE(setsOf(service.callsOf("SendReading").first()).size(), 16);
}

void TestUploadController::unsupportedRateOrSensorStopsTheStart_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<QList<int>>("sensors");
    QTest::addColumn<QString>("message");
    QTest::newRow("rate 13") << 13 << QList<int>{1} << "Terravox|Unsupported rate";
    QTest::newRow("rate 14") << 14 << QList<int>{1} << "Terravox|Unsupported rate";
    // A series the service has no code for is named as the history shows it: the second here.
    QTest::newRow("second sensor 51") << 0 << QList<int>{1, 51} << "Run 7: Series 2 (kPa). Nothing was sent.";
    QTest::newRow("sensor 71") << 0 << QList<int>{71} << "Run 7: Series 1 (kPa). Nothing was sent.";
    QTest::newRow("no sensor") << 0 << QList<int>{-1} << "Run 7: Series 1 (kPa). Nothing was sent.";
}

void TestUploadController::unsupportedRateOrSensorStopsTheStart()
{
    QFETCH(int, rate);
    QFETCH(QList<int>, sensors);
    QFETCH(QString, message);
    CTerravoxStandIn service;
    QVERIFY(service.start());
    CUploadRig rig;
    QVERIFY(rig.login());
    QList<int> keys;
    for (int s : sensors)
        keys << rig.branch(s, 5, 0.0, rate);
    CDataFolder* run = rig.data.CreateDataFolder();
    run->m_Name = QStringLiteral("Run 7");
    for (int i = 0; i < keys.size(); ++i) {
        run->AddBranchKey(keys.at(i));
        rig.data.GetDataBranch(keys.at(i))->m_Name = QStringLiteral("Series %1").arg(i + 1);
        rig.data.GetDataBranch(keys.at(i))->m_Unit = QStringLiteral("kPa");
    }
    rig.controller->StartUploadOffLineExp(&keys);
    QTRY_COMPARE(rig.messages.size(), 1);
    // Only the series the service cannot take are named.
    QVERIFY(rig.messages.first().startsWith("Terravox|") && rig.messages.first().contains(message)
            && !(sensors.first() == 1 && rig.messages.first().contains("Series 1")));
    QTest::qWait(100);
    QCOMPARE(rig.messages.size(), 1);
    QCOMPARE(service.methods(), QStringList({"ValidateUser"}));
    // The halted upload is dropped when the next one starts, which then goes through.
    QList<int> good{rig.branch(2, 3)};
    rig.controller->StartUploadOffLineExp(&good);
    QVERIFY(waitForMethod(service, "StopExperiment"));
    QCOMPARE(service.methods(), QStringList({"ValidateUser", "StartExperiment", "SendReading", "StopExperiment"}));
}

void TestUploadController::nothingQueuedWhileLoggedOutOrLiveOff()
{
    CUploadRig rig;
    QList<int> keys{rig.branch(1, 5)};
    rig.controller->StartUploadOffLineExp(&keys);
    QCOMPARE(rig.controller->Queue()->PendingCount(), 0);
    rig.controller->m_bLoggedIn = true;
    rig.controller->StartUploadOnLineExp(keys); // live upload is off
    rig.controller->FinishUploadOnLineExp();
    QCOMPARE(rig.controller->Queue()->PendingCount(), 0);
    // Kinds the queue does not know are dropped; a stop with nothing under way queues nothing.
    for (int kind : {1, 7, 9})
        rig.controller->Process(new XMLPacket(kind));
    rig.controller->StopUploading();
    QCOMPARE(rig.controller->Queue()->PendingCount(), 0);
}

void TestUploadController::liveRunIsSentWhileItRecords()
{
    // A slow service, so the run ends while a part waits for its reply.
    CTerravoxStandIn service;
    QVERIFY(service.start({"--delay", "SendReading=0.3"}));
    CUploadRig rig;
    QVERIFY(rig.login());
    rig.controller->m_bOnlineUpload = true;
    // Two sensors; the run is stopped after 6000 of its 10000 samples.
    QList<int> keys = rig.liveRun(2, 10000);
    rig.controller->StartUploadOnLineExp(keys);
    // A storing thread appends blocks of rows while the upload runs, as a logger does.
    std::atomic<bool> done{false};
    std::thread logger([&] {
        CDataBranch* a = rig.data.GetDataBranch(keys.at(0));
        CDataBranch* b = rig.data.GetDataBranch(keys.at(1));
        for (int i = 0; i < 6000; i += 100) {
            QVector<double> x(100), y(100);
            for (int j = 0; j < 100; ++j) {
                x[j] = i + j;
                y[j] = (i + j) * 0.25;
            }
            a->AppendSamples(x.constData(), y.constData(), 100);
            b->AppendSamples(x.constData(), x.constData(), 100);
            std::this_thread::sleep_for(std::chrono::milliseconds(35));
        }
        done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 20000);
    logger.join();
    // The run's last rows are stored while a part is with the service, and the run ends then:
    // every row it stored still goes out, then the end.
    QTRY_VERIFY_WITH_TIMEOUT(rig.controller->Queue()->IsAwaitingReply(), 5000);
    rig.store(keys, 6000, 100);
    rig.controller->FinishUploadOnLineExp();
    QVERIFY(waitForMethod(service, "StopExperiment", 20000));
    const QJsonObject start = service.callsOf("StartExperiment").first();
    QCOMPARE(start.value("rate").toString(), QString("9"));
    QCOMPARE(start.value("sensors").toArray(), QJsonArray({372, 373}));
    // Sent in several parts while it recorded, every row once and in order.
    const QList<QJsonObject> readings = service.callsOf("SendReading");
    QVERIFY2(readings.size() >= 2, qPrintable(QString::number(readings.size())));
    QStringList all;
    for (const QJsonObject& r : readings) {
        const QStringList sets = setsOf(r);
        QCOMPARE(sets.size(), 2);
        if (!sets.at(1).isEmpty())
            all += sets.at(1).split(',');
    }
    QCOMPARE(all.size(), 6100);
    for (int i = 0; i < all.size(); i += 997)
        QCOMPARE(all.at(i), QString::number(i));
    QCOMPARE(service.callsOf("StopExperiment").first().value("total_rows").toInt(), 6100);
}

void TestUploadController::slowServiceStillGetsEveryRowInOrder()
{
    CTerravoxStandIn service;
    QVERIFY(service.start({"--delay", "SendReading=0.3", "--delay", "StartExperiment=0.3"}));
    CUploadRig rig;
    QVERIFY(rig.login());
    QList<int> keys{rig.branch(1, 21000)};
    rig.controller->StartUploadOffLineExp(&keys);
    // One call at a time: while the first part waits for its reply the rest waits too.
    QTRY_VERIFY(rig.controller->IsUploading() || service.methods().contains("SendReading"));
    QVERIFY(waitForMethod(service, "StopExperiment", 30000));
    QCOMPARE(rowsOf(service), QList<int>({10001, 10001, 998}));
    QCOMPARE(service.callsOf("StopExperiment").first().value("total_rows").toInt(), 21000);
}

void TestUploadController::droppedServiceHaltsTheUploadAndStopClosesIt()
{
    CTerravoxStandIn service;
    QVERIFY(service.start({"--drop", "SendReading"}));
    CUploadRig rig;
    QVERIFY(rig.login());
    QSignalSpy replied(rig.controller.get(), &XMLRPC::ValidationReplied);
    QList<int> keys{rig.branch(1, 20)};
    rig.controller->StartUploadOffLineExp(&keys);
    // The transport fault reaches whoever listens for logins; the upload halts, keeping the
    // program usable, and closes the experiment by itself. A stop given then adds nothing.
    QVERIFY(replied.wait(10000));
    QCOMPARE(replied.first(), QVariantList({false, true}));
    QVERIFY(waitForMethod(service, "StopExperiment"));
    QTRY_VERIFY(!rig.controller->IsUploading());
    rig.controller->StopUploading();
    QTest::qWait(200);
    QCOMPARE(service.callsOf("StopExperiment").size(), 1);
}

void TestUploadController::failedCallStopsTheUploadOnce_data()
{
    QTest::addColumn<QStringList>("knobs");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QStringList>("calls");
    const QStringList closed{"ValidateUser", "StartExperiment", "SendReading", "StopExperiment"};
    const auto refused = [](const char* why) -> QString { return "the service refused the call (" + QString(why); };
    const auto failed = [](const char* why) -> QString {
        return "the connection to the service failed (" + QString(why);
    };
    QTest::newRow("code 9") << QStringList{"--code", "SendReading:1=9"} << refused("result code 9).") << closed;
    QTest::newRow("not xml") << QStringList{"--garbage", "SendReading:1"}
                             << QString("the service's answer could not be read.") << closed;
    QTest::newRow("huge") << QStringList{"--huge", "SendReading:1"} << failed("response larger than") << closed;
    QTest::newRow("fault") << QStringList{"--fault", "SendReading:1=5"} << refused("fault 5: stand-in fault 5).")
                           << closed;
    QTest::newRow("error status") << QStringList{"--status", "SendReading:1=500"} << failed("") << closed;
    QTest::newRow("slow") << QStringList{"--delay", "SendReading:1=5"} << failed("no answer within 0.5 s).") << closed;
    // The end that closes it fails as well: still one message.
    QTest::newRow("stop fails too") << QStringList{"--status", "SendReading:1=500", "--fault", "StopExperiment=4"}
                                    << failed("") << closed;
    // Nothing was started at the service, so there is nothing to close there.
    QTest::newRow("start refused") << QStringList{"--fault", "StartExperiment=7"}
                                   << refused("fault 7: stand-in fault 7).") << QStringList(closed.mid(0, 2));
}

void TestUploadController::failedCallStopsTheUploadOnce()
{
    QFETCH(QStringList, knobs);
    QFETCH(QString, reason);
    QFETCH(QStringList, calls);
    CTerravoxStandIn service;
    QVERIFY(service.start(knobs));
    CUploadRig rig;
    // Only the slow service's row waits out the timeout: the others' answers, a huge one
    // among them, must be read whole however busy the machine is.
    rig.controller->Client()->setTransferTimeout(knobs.contains("--delay") ? 500 : 30000);
    QVERIFY(rig.login());
    QSignalSpy halted(rig.controller.get(), &XMLRPC::UploadHalted);
    rig.controller->m_bOnlineUpload = true;
    // A run half recorded when its upload starts: the first part goes out full at once, and
    // more rows follow while it is with the service.
    QList<int> keys = rig.liveRun(2, 20000);
    rig.store(keys, 0, 12000);
    rig.controller->StartUploadOnLineExp(keys);
    QVERIFY(halted.wait(15000));
    QTRY_COMPARE_WITH_TIMEOUT(service.requestedMethods(), calls, 10000);
    // The run goes on to its end: nothing more reaches the service, nothing more is said, and
    // every row stays stored.
    rig.store(keys, 12000, 8000);
    rig.controller->FinishUploadOnLineExp();
    QTest::qWait(300);
    QCOMPARE(service.requestedMethods(), calls);
    QCOMPARE(halted.size(), 1);
    const QString message = halted.first().at(0).toString();
    QVERIFY2(message.startsWith("The upload to Terravox stopped: " + reason)
                 && message.endsWith("\nThe recorded data are kept on this computer."), qPrintable(message));
    QVERIFY(!rig.controller->IsUploading());
    for (int key : keys)
        QCOMPARE(rig.data.GetDataBranch(key)->GetYSize(), 20000);
    // A later upload is not held back by the failed one.
    keys.removeLast();
    rig.controller->StartUploadOffLineExp(&keys);
    QTRY_COMPARE_WITH_TIMEOUT(service.requestedMethods().count("StartExperiment"), 2, 10000);
}

void TestUploadController::stopWhileAReplyIsAwaited()
{
    CTerravoxStandIn service;
    QVERIFY(service.start({"--delay", "SendReading=0.5"}));
    CUploadRig rig;
    QVERIFY(rig.login());
    QList<int> keys{rig.branch(1, 25000)};
    rig.controller->StartUploadOffLineExp(&keys);
    QTRY_VERIFY_WITH_TIMEOUT(rig.controller->IsUploading(), 5000);
    QTest::qWait(150); // the first part is with the service
    rig.controller->StopUploading();
    QVERIFY(!rig.controller->IsUploading());
    QVERIFY(waitForMethod(service, "StopExperiment"));
    QCOMPARE(rowsOf(service), QList<int>({10001}));
}

void TestUploadController::exitReturnsWhileTheWorkerWaitsForSamples()
{
    CTerravoxStandIn service;
    QVERIFY(service.start());
    CUploadRig rig;
    QVERIFY(rig.login());
    // A start that declares more rows than exist: the worker waits for samples that never come.
    const int key = rig.branch(1, 10);
    auto* start = new XMLStartPacket;
    start->rateIndex = 0;
    start->numberOfSamples = 1000000;
    start->sensorCount = 1;
    start->sensorCodes[0] = 1;
    auto* rows = new XMLDataPacket;
    rows->sensorCount = 1;
    rows->keys = {key};
    rig.controller->Process(start);
    rig.controller->Process(rows);
    QTRY_VERIFY_WITH_TIMEOUT(rig.controller->IsUploading(), 5000);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(rig.controller->Exit());
    QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
}

void TestUploadController::packetsCrossThreadsByValue()
{
    // The worker hands every packet over as a copy of its own, never a pointer it wrote through.
    for (const char* signal :
         {"StartExperiement(XMLStartPacket)", "SendReading(XMLDataPacket)", "EndExperiement(XMLPacket)"})
        QVERIFY2(CDataQueue::staticMetaObject.indexOfSignal(signal) >= 0, signal);
}

void TestUploadController::packetsOfTheWrongTypeAreRefused()
{
    // A start or data packet made as a plain packet would be read past its end.
    CUploadRig rig;
    rig.controller->m_bLoggedIn = true;
    rig.controller->Process(new XMLPacket(XMLPacket::Data));
    rig.controller->Process(new XMLPacket(XMLPacket::Start));
    QTest::qWait(50);
    QCOMPARE(rig.controller->Queue()->PendingCount(), 0);
    QVERIFY(!rig.controller->Queue()->IsActive());
}

KORVANTA_TEST_MAIN(TestUploadController)
#include "tst_upload_controller.moc"

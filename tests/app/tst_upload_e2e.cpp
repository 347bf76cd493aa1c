// The live upload through the real application: the main window built as start-up does it,
// the simulated Pelorin logger on a pseudo-terminal, the stand-in service on loopback; the
// user logs in, switches online upload on and records a run, which reaches the service while
// it records, every row once and in order. An upload that fails is told through the prompter.
#include "Core/Data/DataBranch.h"
#include "support/AppBench.h"
#include "upload/XMLRPC.h"
#include "common/TerravoxStandIn.h"

#include <QJsonArray>
#include <QSignalSpy>
#include "common/TestMain.h"

class TestUploadEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void liveRunReachesTheService();
    void haltedUploadIsToldThroughThePrompter();
};

void TestUploadEndToEnd::liveRunReachesTheService()
{
    CTerravoxStandIn service;
    QVERIFY(service.start());
    CAppBench bench;
    QVERIFY(bench.start());
    MainWindow& window = *bench.window;
    XMLRPC* upload = window.uploadController();
    QVERIFY(upload);
    QCOMPARE(upload->Client()->url(), service.url());

    // Logged in as the dialog does it.
    QSignalSpy replied(upload, &XMLRPC::ValidationReplied);
    upload->m_LoginName = "teacher";
    upload->m_Password = "secret";
    upload->Process(new XMLPacket(XMLPacket::Login));
    QVERIFY(replied.wait(10000));
    QCOMPARE(replied.first().at(0).toBool(), true);

    // 500 samples at 100 a second: five seconds of recording. The service hears of the first
    // rows a second after they are gathered, which a loaded machine under the sanitizers can
    // stretch well past that; a shorter run could end first.
    constexpr int Samples = 500;
    QVERIFY(bench.detectAndChoose(10, Samples));
    QCOMPARE(bench.detections->count(), 1);
    // Online upload switched on from its menu command, offered once logged in.
    window.updateActions();
    QVERIFY(window.findAction(54)->isEnabled());
    window.findAction(54)->trigger();
    QVERIFY(upload->m_bOnlineUpload);

    bench.pressRun();
    // Rows reach the service while the run still records.
    QTRY_VERIFY_WITH_TIMEOUT(!service.callsOf("SendReading").isEmpty(), 6000);
    const bool sentWhileRecording = bench.ended->isEmpty();
    QTRY_COMPARE_WITH_TIMEOUT(bench.ended->count(), 1, 12000);
    QTRY_VERIFY_WITH_TIMEOUT(service.methods().contains("StopExperiment"), 8000);
    QVERIFY(sentWhileRecording);

    CDataBranch* first = bench.runBranches(bench.logic()->m_DataManager.GetNumDataFolders() - 1).value(0);
    QVERIFY(first);
    QCOMPARE(first->GetNumSamples(), Samples);
    const QJsonObject start = service.callsOf("StartExperiment").first();
    QCOMPARE(start.value("sensors").toArray(), QJsonArray({372}));
    QStringList values;
    for (const QJsonObject& r : service.callsOf("SendReading")) {
        const QJsonArray sets = r.value("sets").toArray();
        QCOMPARE(sets.size(), 1);
        if (!sets.first().toString().isEmpty())
            values += sets.first().toString().split(',');
    }
    QCOMPARE(values.size(), Samples);
    for (int i = 0; i < Samples; i += 37)
        QCOMPARE(values.at(i).toDouble(), QString::number(first->GetYSample(i), 'g', 6).toDouble());
    QCOMPARE(service.callsOf("StopExperiment").first().value("total_rows").toInt(), Samples);
}

void TestUploadEndToEnd::haltedUploadIsToldThroughThePrompter()
{
    CScriptedPrompter prompter;
    MainWindow window(nullptr);
    window.init();
    // The controller says it once per upload; the box opens in a turn of its own, not inside
    // the handling of the failed answer.
    emit window.uploadController()->UploadHalted("The upload to Terravox stopped: why.");
    QVERIFY(prompter.m_Log.filter("Terravox").isEmpty());
    QTRY_COMPARE(prompter.m_Log.filter("Terravox"),
                 QStringList({"warn|Terravox|The upload to Terravox stopped: why."}));
}

KORVANTA_TEST_MAIN(TestUploadEndToEnd)
#include "tst_upload_e2e.moc"

// The live upload through the real application: the main window built as start-up does it,
// the simulated Pelorin logger on a pseudo-terminal, the stand-in service on loopback; the
// user logs in, switches online upload on and records a run, which reaches the service while
// it records, every row once and in order. An upload that fails is told through the prompter.
#include "app/shell/CustomRunButton.h"
#include "app/shell/MainWindow.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Logic/LogicManager.h"
#include "setup/SetupWindow.h"
#include "simulator/LoggerSimulator.h"
#include "simulator/ModelFactory.h"
#include "support/ScriptedPrompter.h"
#include "upload/XMLRPC.h"
#include "common/TerravoxStandIn.h"

#include <QJsonArray>
#include <QSignalSpy>
#include "common/TestMain.h"

#include <memory>

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
    CScriptedPrompter prompter;
    std::unique_ptr<kvsim::IDeviceModel> model = kvsim::createDeviceModel("pelorin");
    QVERIFY(model);
    const quint16 vendor = model->vendorId();
    const quint16 product = model->productId();
    kvsim::CLoggerSimulator sim(std::move(model));
    QVERIFY(sim.start());
    qputenv("KORVANTA_EXTRA_PORTS", QStringLiteral("%1:%2:%3")
                                        .arg(sim.portName())
                                        .arg(vendor, 4, 16, QLatin1Char('0'))
                                        .arg(product, 4, 16, QLatin1Char('0'))
                                        .toLocal8Bit());
    MainWindow window(nullptr);
    CKorvantaSignals* hub = window.windowsManager()->GetSignals();
    QSignalSpy detections(hub, &CKorvantaSignals::LoggerEndDtetection);
    QSignalSpy ended(hub, &CKorvantaSignals::LoggerExperimentEnd);
    window.init();
    window.show();
    qunsetenv("KORVANTA_EXTRA_PORTS");
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

    QTRY_COMPARE_WITH_TIMEOUT(detections.count(), 1, 8000);
    CSetupWindow* setup = window.windowsManager()->GetSetupWindow();
    QTRY_VERIFY_WITH_TIMEOUT(setup->getSetupInfo()->GetActiveMeasurementCount() > 0, 4000);
    QTRY_VERIFY_WITH_TIMEOUT(window.GetRunButton()->isEnabled(), 2000);
    // Online upload switched on from its menu command, offered once logged in.
    window.updateActions();
    QVERIFY(window.findAction(54)->isEnabled());
    window.findAction(54)->trigger();
    QVERIFY(upload->m_bOnlineUpload);

    // 500 samples at 100 a second: five seconds of recording. The service hears of the first
    // rows a second after they are gathered, which a loaded machine under the sanitizers can
    // stretch well past that; a shorter run could end first.
    constexpr int Samples = 500;
    const int rate = setup->m_UiRateCodes.indexOf(10);
    const int count = setup->m_SampleCounts.indexOf(Samples);
    QVERIFY(rate >= 0 && count >= 0);
    setup->rateChanged(rate);
    setup->durationChanged(count);
    CustomRunButton* button = window.GetRunButton();
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    // Rows reach the service while the run still records.
    QTRY_VERIFY_WITH_TIMEOUT(!service.callsOf("SendReading").isEmpty(), 6000);
    const bool sentWhileRecording = ended.isEmpty();
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 12000);
    QTRY_VERIFY_WITH_TIMEOUT(service.methods().contains("StopExperiment"), 8000);
    QVERIFY(sentWhileRecording);

    CDataFolder* run = window.logicManager()->m_DataManager.GetLastDataFolder();
    QVERIFY(run);
    CDataBranch* first = window.logicManager()->m_DataManager.GetDataBranch(run->GetBranchKey(0));
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

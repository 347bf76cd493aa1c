// The live upload through the real application: the main window built as start-up does it,
// the simulated Pelorin logger on a pseudo-terminal, the stand-in service on loopback; the
// user logs in, switches online upload on and records a run, which reaches the service while
// it records, every row once and in order. A service that refuses the run's rows midway: the
// user is told once, the experiment is closed there, and the run is recorded whole.
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

namespace {

// The application with a simulated Pelorin logger, logged in to the stand-in with online
// upload on and a run of `samples` at 100 a second set up, ready for the Run button.
class CLiveUploadApp
{
public:
    CLiveUploadApp() : m_Sim(kvsim::createDeviceModel("pelorin")) {}

    bool start(int samples)
    {
        if (!m_Sim.start())
            return false;
        qputenv("KORVANTA_EXTRA_PORTS", QStringLiteral("%1:%2:%3")
                                            .arg(m_Sim.portName())
                                            .arg(m_Sim.model()->vendorId(), 4, 16, QLatin1Char('0'))
                                            .arg(m_Sim.model()->productId(), 4, 16, QLatin1Char('0'))
                                            .toLocal8Bit());
        m_pWindow.reset(new MainWindow(nullptr));
        MainWindow& window = *m_pWindow;
        CKorvantaSignals* hub = window.windowsManager()->GetSignals();
        QSignalSpy detections(hub, &CKorvantaSignals::LoggerEndDtetection);
        m_pEnded.reset(new QSignalSpy(hub, &CKorvantaSignals::LoggerExperimentEnd));
        window.init();
        window.show();
        qunsetenv("KORVANTA_EXTRA_PORTS");
        XMLRPC* upload = window.uploadController();
        if (!upload)
            return false;
        // Logged in as the dialog does it.
        QSignalSpy replied(upload, &XMLRPC::ValidationReplied);
        upload->m_LoginName = "teacher";
        upload->m_Password = "secret";
        upload->Process(new XMLPacket(XMLPacket::Login));
        if (!replied.wait(10000) || !replied.first().at(0).toBool())
            return false;
        if (!QTest::qWaitFor([&] { return detections.count() == 1; }, 8000))
            return false;
        CSetupWindow* setup = window.windowsManager()->GetSetupWindow();
        if (!QTest::qWaitFor([&] { return setup->getSetupInfo()->GetActiveMeasurementCount() > 0; }, 4000)
            || !QTest::qWaitFor([&] { return window.GetRunButton()->isEnabled(); }, 2000))
            return false;
        // Online upload switched on from its menu command, offered once logged in.
        window.updateActions();
        if (!window.findAction(54)->isEnabled())
            return false;
        window.findAction(54)->trigger();
        const int rate = setup->m_UiRateCodes.indexOf(10);
        const int count = setup->m_SampleCounts.indexOf(samples);
        if (!upload->m_bOnlineUpload || rate < 0 || count < 0)
            return false;
        setup->rateChanged(rate);
        setup->durationChanged(count);
        return true;
    }

    void run()
    {
        CustomRunButton* button = m_pWindow->GetRunButton();
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    }

    int runsEnded() const { return m_pEnded->count(); }

    CDataBranch* lastRunFirstBranch()
    {
        CDataManager& data = m_pWindow->logicManager()->m_DataManager;
        CDataFolder* run = data.GetLastDataFolder();
        return run ? data.GetDataBranch(run->GetBranchKey(0)) : nullptr;
    }

private:
    kvsim::CLoggerSimulator m_Sim;
    std::unique_ptr<MainWindow> m_pWindow;
    std::unique_ptr<QSignalSpy> m_pEnded;
};

} // namespace

class TestUploadEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void liveRunReachesTheService();
    void refusedLiveUploadIsToldOnce();
};

void TestUploadEndToEnd::liveRunReachesTheService()
{
    CTerravoxStandIn service;
    QVERIFY(service.start());
    CScriptedPrompter prompter;
    // 500 samples at 100 a second: five seconds of recording. The service hears of the first
    // rows a second after they are gathered, which a loaded machine under the sanitizers can
    // stretch well past that; a shorter run could end first.
    constexpr int Samples = 500;
    CLiveUploadApp app;
    QVERIFY(app.start(Samples));
    app.run();
    // Rows reach the service while the run still records.
    QTRY_VERIFY_WITH_TIMEOUT(!service.callsOf("SendReading").isEmpty(), 6000);
    const bool sentWhileRecording = app.runsEnded() == 0;
    QTRY_COMPARE_WITH_TIMEOUT(app.runsEnded(), 1, 12000);
    QTRY_VERIFY_WITH_TIMEOUT(service.methods().contains("StopExperiment"), 8000);
    QVERIFY(sentWhileRecording);

    CDataBranch* first = app.lastRunFirstBranch();
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
    QVERIFY(!prompter.m_Log.join('\n').contains("Terravox"));
}

void TestUploadEndToEnd::refusedLiveUploadIsToldOnce()
{
    // The service refuses the run's first rows, a second into a run of two.
    CTerravoxStandIn service;
    QVERIFY(service.start({"--fault", "SendReading=5"}));
    CScriptedPrompter prompter;
    constexpr int Samples = 200;
    CLiveUploadApp app;
    QVERIFY(app.start(Samples));
    app.run();
    QTRY_VERIFY_WITH_TIMEOUT(prompter.m_Log.join('\n').contains("Terravox"), 8000);
    QTRY_VERIFY_WITH_TIMEOUT(service.requestedMethods().contains("StopExperiment"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(app.runsEnded(), 1, 10000);
    QTest::qWait(300);
    const QStringList told = prompter.m_Log.filter("Terravox");
    QCOMPARE(told, QStringList({"warn|Terravox|The upload to Terravox stopped: the service refused the call "
                                "(fault 5: stand-in fault 5).\nThe recorded data are kept on this computer."}));
    // Closed once at the service, nothing sent after the refusal, and the run kept whole.
    QCOMPARE(service.requestedMethods(),
             QStringList({"ValidateUser", "StartExperiment", "SendReading", "StopExperiment"}));
    CDataBranch* first = app.lastRunFirstBranch();
    QVERIFY(first);
    QCOMPARE(first->GetNumSamples(), Samples);
}

KORVANTA_TEST_MAIN(TestUploadEndToEnd)
#include "tst_upload_e2e.moc"

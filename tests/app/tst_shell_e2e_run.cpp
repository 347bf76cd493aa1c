// The road of one run through the real application: the main window built and initialised as
// start-up does it, the simulated Pelorin logger on a pseudo-terminal named in
// KORVANTA_EXTRA_PORTS, detection, the Run button pressed, the run received into the data store
// and the history, its end, and the return of the Run button to idle; a run stopped by a second
// press, a logger unplugged mid-run and plugged in again, the window closed during a run, and
// the same road with the Dravlet interface; triggered runs on both.
#include "app/shell/CustomRunButton.h"
#include "app/shell/HistoryWindow.h"
#include "app/shell/MainWindow.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Base/ILogger.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Logic/Detection/DeviceDetectionManager.h"
#include "Core/Logic/LogicManager.h"
#include "setup/FullSetupWindow.h"
#include "setup/SetupWindow.h"
#include "platform/TestPortEnumerator.h"
#include "simulator/LoggerSimulator.h"
#include "simulator/ModelFactory.h"
#include "simulator/PelorinDevice.h"
#include "support/AppBench.h"
#include "common/ScriptedPrompter.h"
#include "common/QueuedSpy.h"
#include "common/SimulatedLogger.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include "common/TestMain.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

const int kRate100PerSecond = 10;
const QString kRunLostText =
    QStringLiteral("The logger was disconnected, so the run has stopped. The samples recorded so far are kept.");
const QString kFailedToStart = QStringLiteral("warn|Logger|Logger failed to start running. Please reconnect the logger.");

} // namespace

class TestShellEndToEndRun : public QObject
{
    Q_OBJECT
private:
    // Starts the application against the simulator and waits until the Run button may be
    // pressed: the logger detected, its status read into the setup, the 500 ms rules applied.
    void startDetected(CAppBench& bench, bool testPorts = false);
    void checkRunBranches(const CAppBench& bench, int samples);
    // Starts against the simulated model, waits until Run may be pressed and opens the full
    // setup window; its form, or null after a failed check.
    Ui_CFullSetupWindow* openFullSetup(CAppBench& bench, const QString& model);

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void runFromTheButtonToItsEnd();
    void stopByASecondPressOrByClosingTheWindow();
    void unplugMidRunThenPlugInAgain();
    void dravletRunFromTheButtonToItsEnd();
    void unansweredStopGivesTheButtonBack();
    void dravletUnpluggedMidRunEndsTheRunOnce();
    void failedUpdateKeepsTheSetupAndTheBootLoaderIsReported();
    void fullSetupControlsChooseTheRun_data();
    void fullSetupControlsChooseTheRun();
    void manualXRunTakesTheTypedValues_data();
    void manualXRunTakesTheTypedValues();
    void runStartsAtItsTrigger_data();
    void runStartsAtItsTrigger();
    void manualPressShortOfTheLevelSaysWhy();
    void connectFindsALoggerThatFailedToStart_data();
    void connectFindsALoggerThatFailedToStart();
};

void TestShellEndToEndRun::startDetected(CAppBench& bench, bool testPorts)
{
    QVERIFY(bench.start(QStringLiteral("pelorin"), testPorts));
    // The button waits for a logger.
    QVERIFY(!bench.button()->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(bench.detections->count(), 1, 8000);
    QCOMPARE(bench.detections->at(0).at(0).toBool(), true);
    // The spy hears the detection on the logger's thread; the window manager's slot runs
    // when the interface thread gets to it.
    QTRY_VERIFY(bench.window->windowsManager()->IsLoggerDetected());
    QTRY_COMPARE(bench.window->windowsManager()->connectedLoggerType(), 70.0);
    QCOMPARE(bench.logic()->GetConnectedPortName(), bench.sim->portName());
    // The setup's status poll fills the selected sensors from what the logger reports.
    CSetupInfo* setup = bench.setup()->getSetupInfo();
    QTRY_VERIFY_WITH_TIMEOUT(setup->GetActiveMeasurementCount() > 0, 4000);
    QCOMPARE(setup->m_SelectedSensorList.size(), 1);
    QCOMPARE(setup->m_SelectedSensorList.first()->m_SensorIndex, 72);
    QTRY_VERIFY_WITH_TIMEOUT(bench.button()->isEnabled(), 2000);
    QCOMPARE(bench.state(), int(RunControl::Idle));
    // The "Trying to connect..." notice went away with the detection.
    QVERIFY(!bench.window->modelessMessageBox()->isVisible());
}

void TestShellEndToEndRun::checkRunBranches(const CAppBench& bench, int samples)
{
    const QList<CDataBranch*> branches = bench.runBranches(0);
    const CSetupInfo* setup = bench.setup()->getSetupInfo();
    QCOMPARE(branches.size(), setup->GetActiveMeasurementCount());
    const CSensorParametersInfo* type = bench.logic()->m_SensorInfo.GetSensorInfo(72);
    QVERIFY(type);
    for (CDataBranch* b : branches) {
        QCOMPARE(b->GetNumSamples(), samples);
        const CSensorMeasuremntInfo* m = type->GetMeasurement(b->m_Measurement);
        QVERIFY(m);
        for (int i = 0; i < samples; ++i) {
            // A run branch's X is the sample number; Y is a converted reading inside the
            // range the catalogue gives for the measurement.
            QCOMPARE(b->GetXSample(i), double(i));
            const double y = b->GetYSample(i);
            QVERIFY2(std::isfinite(y) && y >= m->m_Min && y <= m->m_Max,
                     qPrintable(QStringLiteral("sample %1 = %2 outside %3..%4").arg(i).arg(y).arg(m->m_Min).arg(m->m_Max)));
        }
        // The simulator's raw readings count up from 0. Raw 0 means no thermistor current: the
        // bottom of the range. From raw 7 on the thermistor reads far above 50 C (raw 20 is
        // about 296 C): the top of the range.
        QCOMPARE(b->GetYSample(0), m->m_Min);
        QCOMPARE(b->GetYSample(samples - 1), m->m_Max);
    }
}

void TestShellEndToEndRun::runFromTheButtonToItsEnd()
{
    CAppBench bench;
    startDetected(bench);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(bench.chooseRateAndSamples(kRate100PerSecond, 50));
    QSignalSpy played(bench.window->windowsManager(), &CWindowsManager::runBtns_play);
    QSignalSpy stopped(bench.window->windowsManager(), &CWindowsManager::runBtns_stop);

    bench.pressRun();
    // The start is on its way and the button is held until the logger confirms it.
    QCOMPARE(bench.state(), int(RunControl::StartSent));
    QVERIFY(!bench.button()->isEnabled());
    QVERIFY(bench.window->windowsManager()->isRunInProgress());

    QTRY_COMPARE_WITH_TIMEOUT(bench.started->count(), 1, 4000);
    QTRY_COMPARE(played.count(), 1);
    QVERIFY(bench.button()->isPlaying());
    int runs = 0;
    QVERIFY(bench.sim->invoke([&] { runs = bench.device()->runsStarted(); }));
    QCOMPARE(runs, 1);

    QTRY_COMPARE_WITH_TIMEOUT(bench.ended->count(), 1, 5000);
    QCOMPARE(bench.newData->count(), 50);
    QCOMPARE(bench.logic()->m_DataManager.GetNumDataFolders(), 1);
    checkRunBranches(bench, 50);
    // The history shows the run.
    QVERIFY(!bench.window->windowsManager()->GetHistoryWindow()->isEmpty());

    // The end holds the button for half a second, then gives the idle button back.
    QTRY_COMPARE(bench.state(), int(RunControl::Finishing));
    QVERIFY(!bench.button()->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Idle), 2000);
    QCOMPARE(stopped.count(), 1);
    QVERIFY(!bench.button()->isPlaying());
    QTRY_VERIFY(bench.button()->isEnabled());
    QVERIFY(!bench.window->windowsManager()->isRunInProgress());
    QVERIFY(bench.prompter.m_Log.isEmpty());
    // No stop was needed.
    QCOMPARE(HostFrames(*bench.sim, 0x02), 0);
}

void TestShellEndToEndRun::stopByASecondPressOrByClosingTheWindow()
{
    CAppBench bench;
    startDetected(bench);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(bench.chooseRateAndSamples(kRate100PerSecond, 5000));
    bench.pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Running), 4000);
    QTRY_VERIFY_WITH_TIMEOUT(bench.newData->count() >= 20, 4000);
    QVERIFY(bench.button()->isEnabled());

    bench.pressRun();
    QCOMPARE(bench.state(), int(RunControl::StopSent));
    QTRY_COMPARE_WITH_TIMEOUT(bench.ended->count(), 1, 4000);
    QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Idle), 2000);
    QVERIFY(!bench.button()->isPlaying());
    QVERIFY(!bench.window->windowsManager()->isRunInProgress());

    // Everything the logger sent before it stopped is kept, and nothing comes after the end.
    const QList<CDataBranch*> branches = bench.runBranches(0);
    QVERIFY(!branches.isEmpty());
    const int stored = branches.first()->GetNumSamples();
    QVERIFY2(stored >= 20 && stored < 5000, qPrintable(QString::number(stored)));
    QCOMPARE(stored, bench.newData->count());
    checkRunBranches(bench, stored);
    QTest::qWait(100);
    QCOMPARE(branches.first()->GetNumSamples(), stored);
    QVERIFY(bench.prompter.m_Log.isEmpty());

    // The next run is stopped by closing the window: the program asks, stops the run on Yes
    // and stays open.
    QTRY_VERIFY(bench.button()->isEnabled());
    bench.pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Running), 4000);
    QTRY_VERIFY_WITH_TIMEOUT(bench.newData->count() >= stored + 10, 4000);
    bench.prompter.m_bYes = true;
    QVERIFY(!bench.window->close());
    QCOMPARE(bench.prompter.m_Log, QStringList{"ask|Pavix|Logger is running, do you want to stop?"});
    QCOMPARE(bench.state(), int(RunControl::StopSent));
    QTRY_COMPARE_WITH_TIMEOUT(bench.ended->count(), 2, 4000);
    QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Idle), 2000);
    QVERIFY(bench.window->isVisible());
    QCOMPARE(bench.logic()->m_DataManager.GetNumDataFolders(), 2);

    // Closed again, the runs left unsaved: the loggers are shut down and the window closes.
    bench.prompter.m_SaveAnswer = IPrompter::SaveNo;
    QVERIFY(bench.window->close());
    QCOMPARE(bench.prompter.m_Log.last(), QStringLiteral("save?|Pavix|Do you want to save your changes?"));
    QVERIFY(!bench.window->isVisible());
    QVERIFY(!bench.logic());
    const int frames = bench.sim->frameCount();
    QTest::qWait(300);
    // Nothing talks to the logger any more.
    QCOMPARE(bench.sim->frameCount(), frames);
}

void TestShellEndToEndRun::unansweredStopGivesTheButtonBack()
{
    CAppBench bench;
    startDetected(bench);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(bench.chooseRateAndSamples(kRate100PerSecond, 5000));
    bench.pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Running), 4000);
    QTRY_VERIFY_WITH_TIMEOUT(bench.newData->count() >= 20, 4000);
    // Shorter than the silence the logic allows a running logger, so the watchdog acts first.
    bench.window->windowsManager()->SetStartWatchdogInterval(1000);
    // The logger hears the stop but never answers it.
    bench.sim->setSilent(true);
    bench.pressRun();
    QCOMPARE(bench.state(), int(RunControl::StopSent));
    QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Idle), 3000);
    QVERIFY(bench.button()->isEnabled());
    QVERIFY(!bench.button()->isPlaying());
    QVERIFY(!bench.window->windowsManager()->isRunInProgress());
    QCOMPARE(bench.prompter.m_Log.size(), 1);
    QVERIFY(bench.prompter.m_Log.first().startsWith(QStringLiteral("warn|Logger|The logger did not confirm")));
    // What arrived before the stop is kept.
    const QList<CDataBranch*> branches = bench.runBranches(0);
    QVERIFY(!branches.isEmpty());
    QVERIFY(branches.first()->GetNumSamples() >= 20);
}

void TestShellEndToEndRun::unplugMidRunThenPlugInAgain()
{
    CAppBench bench;
    startDetected(bench, true);
    if (QTest::currentTestFailed())
        return;
    CKorvantaSignals* hub = bench.window->windowsManager()->GetSignals();
    QSignalSpy lost(hub, &CKorvantaSignals::LoggerDisconnected);
    QSignalSpy notices(hub, &CKorvantaSignals::GuiLastingMsg);
    QVERIFY(bench.chooseRateAndSamples(kRate100PerSecond, 5000));
    bench.pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Running), 4000);
    QTRY_VERIFY_WITH_TIMEOUT(bench.newData->count() >= 20, 4000);

    // The cable is pulled: the run ends where it was, the button goes idle and waits for a
    // logger, and what arrived before stays stored.
    QVERIFY(bench.pullCable());
    QTRY_VERIFY_WITH_TIMEOUT(lost.count() >= 1, 5000);
    QTRY_COMPARE(bench.state(), int(RunControl::Idle));
    QVERIFY(!bench.button()->isPlaying());
    QVERIFY(!bench.window->windowsManager()->IsLoggerDetected());
    QVERIFY(!bench.window->windowsManager()->isRunInProgress());
    QTRY_VERIFY(!bench.button()->isEnabled());
    QVERIFY(!bench.logic()->IsLoggerConnected());
    const QList<CDataBranch*> branches = bench.runBranches(0);
    QVERIFY(!branches.isEmpty());
    const int stored = branches.first()->GetNumSamples();
    QVERIFY(stored >= 20);
    QCOMPARE(stored, bench.newData->count());
    QVERIFY2(bench.prompter.m_Log.isEmpty(), qPrintable(bench.prompter.m_Log.join('\n')));
    // One notice says why the run stopped.
    QCOMPARE(notices.count(), 1);
    QCOMPARE(notices.at(0).at(1).toString(), kRunLostText);
    QCOMPARE(bench.window->modelessMessageBox()->text(), kRunLostText);

    // Plugged in again under a new name: found by itself, and the next run works.
    QVERIFY(bench.plugIn());
    QTRY_COMPARE_WITH_TIMEOUT(bench.detections->count(), 2, 8000);
    QCOMPARE(bench.detections->at(1).at(0).toBool(), true);
    QCOMPARE(bench.logic()->GetConnectedPortName(), bench.sim->portName());
    QTRY_VERIFY_WITH_TIMEOUT(bench.button()->isEnabled(), 4000);
    // A teacher who was away still learns why the run is short: the notice waits to be closed.
    QMessageBox* box = bench.window->modelessMessageBox();
    QVERIFY(box->isVisible());
    QCOMPARE(box->text(), kRunLostText);
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    QVERIFY(!box->isVisible());
    QVERIFY(bench.chooseRateAndSamples(kRate100PerSecond, 20));
    bench.pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(bench.ended->count(), 2, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Idle), 2000);
    QCOMPARE(bench.logic()->m_DataManager.GetNumDataFolders(), 2);
    QCOMPARE(bench.runBranches(0).first()->GetNumSamples(), stored);
    QCOMPARE(bench.runBranches(1).first()->GetNumSamples(), 20);
}

void TestShellEndToEndRun::dravletRunFromTheButtonToItsEnd()
{
    // The sensor interface: the status is asked first, then the setup and the run are sent.
    CAppBench bench;
    QVERIFY(bench.start(QStringLiteral("dravlet")));
    QTRY_COMPARE_WITH_TIMEOUT(bench.detections->count(), 1, 8000);
    QCOMPARE(bench.detections->at(0).at(0).toBool(), true);
    // The interface reports its detection from the reader thread before its poller marks it
    // connected: the connection follows within a poll.
    QTRY_COMPARE_WITH_TIMEOUT(bench.window->windowsManager()->connectedLoggerType(), 12.0, 2000);
    CSetupInfo* setup = bench.setup()->getSetupInfo();
    QTRY_VERIFY_WITH_TIMEOUT(setup->GetActiveMeasurementCount() > 0, 4000);
    QTRY_VERIFY_WITH_TIMEOUT(bench.button()->isEnabled(), 2000);
    QVERIFY(bench.chooseRateAndSamples(kRate100PerSecond, 50));

    bench.pressRun();
    QCOMPARE(bench.state(), int(RunControl::StartSent));
    QTRY_COMPARE_WITH_TIMEOUT(bench.started->count(), 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(bench.ended->count(), 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Idle), 2000);
    QCOMPARE(bench.logic()->m_DataManager.GetNumDataFolders(), 1);
    const QList<CDataBranch*> branches = bench.runBranches(0);
    QCOMPARE(branches.size(), setup->GetActiveMeasurementCount());
    for (CDataBranch* b : branches) {
        QCOMPARE(b->GetNumSamples(), 50);
        for (int i = 0; i < 50; ++i)
            QVERIFY(std::isfinite(b->GetYSample(i)));
    }
    QVERIFY(bench.prompter.m_Log.isEmpty());
    QTRY_VERIFY(bench.button()->isEnabled());
}

void TestShellEndToEndRun::dravletUnpluggedMidRunEndsTheRunOnce()
{
    CAppBench bench;
    QVERIFY(bench.start(QStringLiteral("dravlet"), true));
    QTRY_COMPARE_WITH_TIMEOUT(bench.detections->count(), 1, 8000);
    CSetupInfo* setup = bench.setup()->getSetupInfo();
    QTRY_VERIFY_WITH_TIMEOUT(setup->GetActiveMeasurementCount() > 0, 4000);
    QTRY_VERIFY_WITH_TIMEOUT(bench.button()->isEnabled(), 2000);
    QVERIFY(bench.chooseRateAndSamples(kRate100PerSecond, 5000));
    CQueuedSpy lost(bench.window->windowsManager()->GetSignals(), &CKorvantaSignals::LoggerDisconnected);
    QSignalSpy notices(bench.window->windowsManager()->GetSignals(), &CKorvantaSignals::GuiLastingMsg);
    bench.pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Running), 4000);
    QTRY_VERIFY_WITH_TIMEOUT(bench.newData->count() >= 10, 4000);
    QVERIFY(bench.pullCable());
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 4000);
    QTRY_COMPARE_WITH_TIMEOUT(bench.ended->count(), 1, 4000);
    QTRY_COMPARE_WITH_TIMEOUT(notices.count(), 1, 4000);
    // Nothing of it comes twice.
    QTest::qWait(300);
    QCOMPARE(bench.ended->count(), 1);
    QCOMPARE(lost.count(), 1);
    QCOMPARE(notices.count(), 1);
    QCOMPARE(notices.at(0).at(1).toString(), kRunLostText);
    QCOMPARE(bench.state(), int(RunControl::Idle));
    const QList<CDataBranch*> branches = bench.runBranches(0);
    QVERIFY(!branches.isEmpty());
    QVERIFY(branches.first()->GetNumSamples() >= 10);
}

// A boot-loader that never takes the file: the update is given up and the setup the user chose
// stays. Connect then finds the logger waiting in its boot-loader, says so and ends; after the
// logger's reset it is back with that setup.
void TestShellEndToEndRun::failedUpdateKeepsTheSetupAndTheBootLoaderIsReported()
{
    CAppBench bench;
    startDetected(bench, true);
    if (QTest::currentTestFailed())
        return;
    FollowRestarts(*bench.sim, bench.ports.get(), bench.vendor, bench.product);
    QVERIFY(bench.sim->invoke([&] {
        bench.device()->setRestartAbsenceMs(50);
        bench.device()->setBootTransferReplies(0);
    }));
    CDeviceDetectionManager* detection = bench.logic()->GetDeviceDetectionManager();
    detection->SetPlugWaitScale(0.02);
    detection->SetFirmwareWaitScale(0.05);
    QVERIFY(bench.chooseRateAndSamples(kRate100PerSecond, 500));
    QTemporaryDir dir;
    bench.prompter.m_File = dir.filePath(QStringLiteral("logger_ver9.99.bin"));
    QFile file(bench.prompter.m_File);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(3000, 'x')) == 3000);
    file.close();
    QMessageBox* box = bench.window->modelessMessageBox();
    CSetupInfo* setup = bench.setup()->getSetupInfo();

    bench.window->windowsManager()->onFirmWareUpdate();
    QTRY_VERIFY_WITH_TIMEOUT(box->isVisible() && box->text().startsWith(QStringLiteral("There was a problem")), 8000);
    QCOMPARE(setup->m_RateCode, kRate100PerSecond);
    QCOMPARE(setup->m_NumberOfSamples, 500);

    bench.window->windowsManager()->onLoggerConnect();
    QTRY_VERIFY_WITH_TIMEOUT(box->text().startsWith(QStringLiteral("The logger is waiting in its boot-loader")), 5000);
    QVERIFY(box->isVisible());
    QVERIFY(!bench.logic()->IsLoggerConnected());
    QVERIFY(!bench.logic()->IsLoggerOnFirmwareUpdate());

    // The user's reset: the logger restarts with its firmware and is found by itself.
    QVERIFY(bench.sim->invoke([&] { bench.device()->restartFirmware(); }));
    QTRY_VERIFY_WITH_TIMEOUT(bench.button()->isEnabled(), 8000);
    QCOMPARE(setup->m_RateCode, kRate100PerSecond);
    QCOMPARE(setup->m_NumberOfSamples, 500);
}

Ui_CFullSetupWindow* TestShellEndToEndRun::openFullSetup(CAppBench& bench, const QString& model)
{
    if (!bench.start(model))
        return nullptr;
    if (!QTest::qWaitFor([&] { return bench.detections->count() == 1; }, 8000))
        return nullptr;
    CSetupInfo* setup = bench.setup()->getSetupInfo();
    if (!QTest::qWaitFor([&] { return setup->GetActiveMeasurementCount() > 0 && bench.button()->isEnabled(); }, 6000))
        return nullptr;
    bench.setup()->displaySetupWindow(1);
    CFullSetupWindow* full = bench.setup()->fullSetupWindow();
    if (!full || !QTest::qWaitFor([&] { return full->isVisible(); }, 2000))
        return nullptr;
    return full->form();
}

void TestShellEndToEndRun::fullSetupControlsChooseTheRun_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("samples");
    QTest::newRow("pelorin") << "pelorin" << 20;
    QTest::newRow("dravlet") << "dravlet" << 10;
}

// The user opens the full setup window, picks a rate and a number of samples in its boxes and
// presses Run: the stored run has that many samples at that period.
void TestShellEndToEndRun::fullSetupControlsChooseTheRun()
{
    QFETCH(QString, model);
    QFETCH(int, samples);
    CAppBench bench;
    Ui_CFullSetupWindow* f = openFullSetup(bench, model);
    QVERIFY2(f, "no logger detected, or the full setup window did not open");
    CSetupInfo* setup = bench.setup()->getSetupInfo();
    const int rate = bench.setup()->m_UiRateCodes.indexOf(kRate100PerSecond);
    const int count = bench.setup()->m_SampleCounts.indexOf(samples);
    QVERIFY(rate >= 0 && count >= 0);
    f->SamplingTypeCombo->setCurrentIndex(1);
    emit f->SamplingTypeCombo->activated(1);
    f->RateComboBox->setCurrentIndex(rate);
    emit f->RateComboBox->activated(rate);
    f->DurationComboBox->setCurrentIndex(count);
    emit f->DurationComboBox->activated(count);
    QCOMPARE(setup->m_RateCode, kRate100PerSecond);
    QCOMPARE(setup->m_NumberOfSamples, samples);

    bench.pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(bench.started->count(), 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(bench.ended->count(), 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Idle), 2000);
    const QList<CDataBranch*> branches = bench.runBranches(0);
    QVERIFY(!branches.isEmpty());
    for (CDataBranch* b : branches) {
        QCOMPARE(b->GetNumSamples(), samples);
        QCOMPARE(b->m_RateCode, kRate100PerSecond);
        QVERIFY(std::abs(b->m_Interval - 0.01) < 1e-9);
    }
    QVERIFY(bench.prompter.m_Log.isEmpty());
}

void TestShellEndToEndRun::manualXRunTakesTheTypedValues_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("trigger");  // 1 above a level, 2 below, 5 a delay of delayMs
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("pauseMs");  // before the last sample of the first run
    for (const char* model : {"pelorin", "dravlet"}) {
        QTest::addRow("%s", model) << model << 0 << 0 << 0;
        QTest::addRow("%s above a level", model) << model << 1 << 0 << 0;
        QTest::addRow("%s below a level", model) << model << 2 << 0 << 0;
        QTest::addRow("%s no delay", model) << model << 5 << 0 << 0;
        QTest::addRow("%s delay", model) << model << 5 << 300 << 0;
    }
    // Longer than the silence a run at any rate is allowed.
    QTest::newRow("dravlet long pause") << "dravlet" << 0 << 0 << 5500;
}

// Manual sampling with typed X values, two runs in a row: the first value is asked when Run is
// pressed, whatever the trigger, then one after every sample. Each sample keeps the value typed
// for it; the one typed after the last sample is stored nowhere and reaches no later run.
void TestShellEndToEndRun::manualXRunTakesTheTypedValues()
{
    QFETCH(QString, model);
    QFETCH(int, trigger);
    QFETCH(int, delayMs);
    QFETCH(int, pauseMs);
    CAppBench bench;
    Ui_CFullSetupWindow* f = openFullSetup(bench, model);
    QVERIFY2(f, "no logger detected, or the full setup window did not open");
    // Each run's first reading lies in the middle of the range, beyond the trigger levels.
    QVERIFY(bench.sim->invoke([&] { bench.sim->model()->setSignal({kvsim::SignalShape::Sine, 0.5, 10.0}); }));
    CSetupInfo* setup = bench.setup()->getSetupInfo();
    f->SamplingTypeCombo->setCurrentIndex(0);
    emit f->SamplingTypeCombo->activated(0);
    QCOMPARE(setup->m_RateCode, 0);
    QVERIFY(f->manualValuesCheckbox->isEnabled());
    QTest::mouseClick(f->manualValuesCheckbox, Qt::LeftButton);
    QVERIFY(setup->m_bManualX);
    QTest::keyClicks(f->xaxisTitleLineEdit, "Volume");
    QTest::keyClicks(f->xAxisUnitLineEdit, "ml");
    QCOMPARE(setup->m_ManualXName, QString("Volume"));
    QList<TriggerLevel> levels;  // from the top of the range down
    bench.logic()->GetTriggeringLevels(0, setup->m_SelectedSensorList.first()->m_SensorIndex, &levels);
    if (trigger != 0)
        bench.setup()->triggerChanged(true, 0, delayMs, levels.value(trigger == 1 ? levels.size() - 1 : 0).m_Code, trigger);

    // The user types 10, 20, 30, ... into each dialog asked, 100, 200, ... in the second run.
    QStringList labels;
    int typed = 0;
    double unit = 10.0;
    bench.prompter.m_DialogResult = QDialog::Accepted;
    bench.prompter.m_DialogHook = [&](QDialog* dialog) {
        auto* label = dialog->findChild<QLabel*>("nextvalueLabel");
        auto* edit = dialog->findChild<QLineEdit*>("valueLineEdit");
        QVERIFY(label && edit);
        labels << label->text();
        QTest::keyClicks(edit, QString::number(unit * ++typed));
    };
    for (int run = 0; run < 2; ++run) {
        typed = 0;
        unit = run == 0 ? 10.0 : 100.0;
        bench.pressRun();
        QCOMPARE(typed, 1);
        QTRY_COMPARE_WITH_TIMEOUT(bench.started->count(), run + 1, 8000);
        QTRY_VERIFY(bench.button()->isPlaying());
        // The run's first sample comes with its start. Then one question per sample request,
        // also when a slow machine has the logger answer a resent request twice.
        QTRY_COMPARE_WITH_TIMEOUT(typed, 2, 3000);
        for (int sample = 1; sample <= 3; ++sample) {
            if (sample == 3 && run == 0 && pauseMs > 0) {
                QTest::qWait(pauseMs);
                QCOMPARE(bench.state(), int(RunControl::Running));
            }
            bench.window->windowsManager()->OnManual();
            QTRY_COMPARE_WITH_TIMEOUT(typed, sample + 2, 3000);
        }
        bench.pressRun(); // stop
        QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Idle), 5000);
        QCOMPARE(typed, 5);
        // Four samples in every series; the X values are the first four typed, in order.
        CDataBranch* xBranch = nullptr;
        for (CDataBranch* b : bench.runBranches(run)) {
            QCOMPARE(b->GetNumSamples(), 4);
            if (b->m_SensorIndex == SensorIndexManualX)
                xBranch = b;
        }
        QVERIFY2(xBranch, "no branch holds the typed X values");
        for (int k = 0; k < 4; ++k)
            QCOMPARE(xBranch->GetYSample(k), unit * (k + 1));
    }
    QCOMPARE(labels.first(), QString("Enter next Volume value"));
    // One Run press, one run, numbered after the last.
    QCOMPARE(bench.logic()->m_DataManager.GetNumDataFolders(), 2);
    QCOMPARE(bench.logic()->m_DataManager.GetLastDataFolder()->m_Name, QString("Run 2"));
}

void TestShellEndToEndRun::runStartsAtItsTrigger_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("kind");      // 1 above, 2 below, 5 a delay of 600 ms
    QTest::addColumn<double>("share");  // where in the sensor's range the level lies
    for (const char* model : {"pelorin", "dravlet"}) {
        QTest::addRow("%s above", model) << model << 1 << 0.8;
        QTest::addRow("%s below", model) << model << 2 << 0.2;
        QTest::addRow("%s delay", model) << model << 5 << 0.0;
        QTest::addRow("%s already above", model) << model << 1 << 0.2;
        QTest::addRow("%s already below", model) << model << 2 << 0.8;
    }
}

// A triggered run shows the waiting button until the reading is beyond the level (or the delay
// is over), starts with the first reading beyond it and keeps its number of samples.
void TestShellEndToEndRun::runStartsAtItsTrigger()
{
    QFETCH(QString, model);
    QFETCH(int, kind);
    QFETCH(double, share);
    CAppBench bench;
    QVERIFY2(openFullSetup(bench, model), "no logger detected");
    // A sine over 80 % of the range, rising from its middle, 2 s a period: 80 % of the range is
    // passed after about 0.27 s, 20 % after 1.27 s.
    QVERIFY(bench.sim->invoke([&] { bench.sim->model()->setSignal({kvsim::SignalShape::Sine, 0.8, 2.0}); }));
    QVERIFY(bench.chooseRateAndSamples(kRate100PerSecond, 50));
    const int index = bench.setup()->getSetupInfo()->m_SelectedSensorList.first()->m_SensorIndex;
    const CSensorMeasuremntInfo* range = bench.logic()->m_SensorInfo.GetMeasurementInfo(index, 0);
    QVERIFY(range);
    const double width = range->m_Max - range->m_Min;
    QList<TriggerLevel> levels;
    bench.logic()->GetTriggeringLevels(0, index, &levels);
    QVERIFY(!levels.isEmpty());
    const double target = range->m_Min + share * width;
    const TriggerLevel level = *std::min_element(levels.begin(), levels.end(), [&](const auto& a, const auto& b) {
        return std::abs(a.m_Level - target) < std::abs(b.m_Level - target);
    });
    // As the trigger column hands it over (the level's place in the list is not read).
    bench.setup()->triggerChanged(true, 0, kind == 5 ? 600 : 0, level.m_Code, kind);
    QSignalSpy waiting(bench.window->windowsManager(), &CWindowsManager::runBtns_delayPlay);
    QElapsedTimer clock;
    clock.start();
    const bool already = (kind == 1 && share < 0.5) || (kind == 2 && share > 0.5);
    bench.pressRun();
    QCOMPARE(waiting.count(), 1);
    if (!already) {
        QTest::qWait(150);
        QCOMPARE(bench.state(), int(RunControl::WaitingTrigger));
        QCOMPARE(bench.started->count(), 0);
    }
    QTRY_COMPARE_WITH_TIMEOUT(bench.started->count(), 1, 8000);
    QVERIFY(kind != 5 || clock.elapsed() >= 600);
    QTRY_COMPARE_WITH_TIMEOUT(bench.ended->count(), 1, 8000);
    const QList<CDataBranch*> branches = bench.runBranches(0);
    QVERIFY(!branches.isEmpty());
    QCOMPARE(branches.first()->GetNumSamples(), 50);
    // Past the level by no more than the signal moves in a sample, and its noise; or, a level
    // passed before Run, the middle of the range where the signal starts.
    const double first = branches.first()->GetYSample(0);
    const double past = (kind == 1 ? first - level.m_Level : level.m_Level - first) / width;
    const double fromMiddle = std::abs(first - (range->m_Min + 0.5 * width)) / width;
    QVERIFY2(kind == 5 || (past > 0 && (already ? fromMiddle < 0.05 : past < 0.05)),
             qPrintable(QStringLiteral("%1, level %2").arg(first).arg(level.m_Level)));
    QVERIFY(bench.prompter.m_Log.isEmpty());
}

// A Dravlet run sampled by hand waits for its level: a press short of it takes no sample and a
// notice says why; the first press beyond it starts the run with its sample, and the notice goes.
void TestShellEndToEndRun::manualPressShortOfTheLevelSaysWhy()
{
    CAppBench bench;
    Ui_CFullSetupWindow* f = openFullSetup(bench, QStringLiteral("dravlet"));
    QVERIFY2(f, "no logger detected, or the full setup window did not open");
    const auto steady = [&](double share) {
        return bench.sim->invoke([&] { bench.sim->model()->setSignal({kvsim::SignalShape::Level, share, 10.0}); });
    };
    QVERIFY(steady(0.3));
    f->SamplingTypeCombo->setCurrentIndex(0);
    emit f->SamplingTypeCombo->activated(0);
    QList<TriggerLevel> levels;
    bench.logic()->GetTriggeringLevels(0, bench.setup()->getSetupInfo()->m_SelectedSensorList.first()->m_SensorIndex, &levels);
    bench.setup()->triggerChanged(true, 0, 0, levels.value(levels.size() / 2).m_Code, 1);
    QMessageBox* box = bench.window->modelessMessageBox();
    bench.pressRun();  // Run takes the first sample
    QTRY_VERIFY_WITH_TIMEOUT(box->isVisible() && box->text().startsWith("No sample was taken: the reading is not above"), 4000);
    QCOMPARE(bench.state(), int(RunControl::WaitingTrigger));
    QVERIFY(steady(0.7));
    bench.window->windowsManager()->OnManual();
    QTRY_COMPARE_WITH_TIMEOUT(bench.started->count(), 1, 4000);
    QTRY_VERIFY(!box->isVisible() && bench.runBranches(0).first()->GetNumSamples() == 1);
}

void TestShellEndToEndRun::connectFindsALoggerThatFailedToStart_data()
{
    QTest::addColumn<QString>("model");
    QTest::newRow("pelorin") << "pelorin";
    QTest::newRow("dravlet") << "dravlet";
}

// A logger that does not answer Run: the start is given up with the request to reconnect, the
// logger is let go, and Logger > Connect finds it again. Nothing of the Run given up is sent
// after that, and a run then works.
void TestShellEndToEndRun::connectFindsALoggerThatFailedToStart()
{
    QFETCH(QString, model);
    CAppBench bench;
    QVERIFY(bench.start(model));
    QVERIFY(bench.detectAndChoose(kRate100PerSecond, 20));
    // Given up well before the interface would stop asking for its status.
    bench.window->windowsManager()->SetStartWatchdogInterval(300);
    bench.sim->setSilent(true);
    bench.pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(bench.prompter.m_Log, QStringList{kFailedToStart}, 5000);
    QTRY_VERIFY(!bench.logic()->IsLoggerConnected());
    bench.window->windowsManager()->SetStartWatchdogInterval(CWindowsManager::s_StartWatchdogMs);
    bench.sim->clearLog();
    bench.sim->setSilent(false);
    bench.window->windowsManager()->onLoggerConnect();
    QTRY_COMPARE_WITH_TIMEOUT(bench.detections->count(), 2, 8000);
    QTRY_VERIFY(bench.window->windowsManager()->IsLoggerDetected());
    QVERIFY(bench.detectAndChoose(kRate100PerSecond, 20));
    bench.pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(bench.ended->count(), 1, 8000);
    QCOMPARE(HostFrames(*bench.sim, 0x01, model == QLatin1String("pelorin") ? 3 : 2), 1);
    QCOMPARE(bench.started->count(), 1);
    QVERIFY(!bench.runBranches(0).isEmpty());
    QCOMPARE(bench.runBranches(0).first()->GetNumSamples(), 20);
}

KORVANTA_TEST_MAIN(TestShellEndToEndRun)
#include "tst_shell_e2e_run.moc"

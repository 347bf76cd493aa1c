// Run control driven through the signal hub: every transition of the state table, the start
// watchdog, the trigger delay and the level trigger, the manual X value and the manual sample.
#include "support/ShellRig.h"

#include "Core/Base/KorvantaSignals.h"
#include "setup/ManualXValueDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSignalSpy>
#include "common/TestMain.h"

class TestShellRunControl : public QObject
{
    Q_OBJECT
private slots:
    void startsDisabledAndIdle();
    void detection();
    void normalRunToTheEnd();
    void watchdogGivesUp();
    void eventTimingWatchdogLetsPressCancel();
    void triggerDelayStartsWithWatchdog();
    void triggerDelayPressAfterElapsedCancels();
    void pressDuringTriggerDelayStops();
    void detectionDuringDelayEndsIt();
    void levelTrigger();
    void experimentEndWithoutLogger();
    void disconnectionFromAnyState_data();
    void disconnectionFromAnyState();
    void manualXValue();
    void manualSubButton();
    void staleWatchdogNeverStartsARun();
};

namespace {
void detect(CShellRig& rig)
{
    rig.hub().SignalLoggerEndDtetection(true);
    rig.button().setEnabled(true); // the action-state rule does this in the program
}
} // namespace

void TestShellRunControl::startsDisabledAndIdle()
{
    CShellRig rig;
    QCOMPARE(rig.state(), 0);
    QVERIFY(!rig.button().isEnabled());
    QVERIFY(!rig.manager.IsLoggerDetected());
    QCOMPARE(rig.manager.protectionTimer()->objectName(), QString("m_pLoggerProtectionTimer"));
    QVERIFY(rig.manager.progressDialog());
    QVERIFY(!rig.manager.progressDialog()->isVisible());
}

void TestShellRunControl::detection()
{
    CShellRig rig;
    rig.hub().SignalLoggerEndDtetection(false);
    QCOMPARE(rig.frame.m_Messages, QStringList("|Logger has not been detected|1"));
    QCOMPARE(rig.manager.connectedLoggerType(), 0.0);
    QVERIFY(!rig.manager.IsLoggerDetected());
    QVERIFY(!rig.controller().isStatusPollRunning());

    rig.hub().SignalLoggerEndDtetection(true);
    QVERIFY(rig.manager.IsLoggerDetected());
    QCOMPARE(rig.manager.connectedLoggerType(), 70.0);
    QCOMPARE(rig.frame.m_Hides, 1);
    QCOMPARE(rig.state(), 0);
    QVERIFY(rig.controller().isStatusPollRunning());
    QVERIFY(!rig.controller().RatesListEmpty());
    QCOMPARE(rig.controller().m_SampleCounts.last(), 250000);
}

void TestShellRunControl::normalRunToTheEnd()
{
    CShellRig rig;
    detect(rig);
    QSignalSpy started(&rig.hub(), &CKorvantaSignals::UserStartedRun);
    QSignalSpy play(&rig.manager, &CWindowsManager::runBtns_play);
    QSignalSpy stop(&rig.manager, &CWindowsManager::runBtns_stop);

    rig.manager.OnRun(); // press
    QCOMPARE(rig.state(), 1);
    QCOMPARE(started.count(), 1);
    QVERIFY(!rig.button().isEnabled());
    QVERIFY(rig.manager.isRunInProgress());
    QVERIFY(rig.manager.protectionTimer()->isActive());
    QCOMPARE(rig.manager.protectionTimer()->interval(), 7000);
    QVERIFY(rig.manager.protectionTimer()->isSingleShot());
    QVERIFY(!rig.controller().isStatusPollRunning());
    QVERIFY(!rig.controller().controlsEnabled());

    rig.manager.OnRun(); // a second press while the start is unconfirmed does nothing
    QCOMPARE(rig.state(), 1);
    QCOMPARE(rig.logger.SentIds().size(), 0);

    rig.hub().SignalLoggerStartedRun();
    QCOMPARE(rig.state(), 4);
    QVERIFY(rig.button().isEnabled());
    QVERIFY(rig.button().isPlaying());
    QCOMPARE(rig.button().currentFrame(), 3);
    QCOMPARE(play.count(), 1);
    QVERIFY(!rig.manager.protectionTimer()->isActive());

    rig.manager.OnRun(); // press: stop
    QCOMPARE(rig.state(), 2);
    QCOMPARE(rig.logger.count(CmdStop), 1);
    rig.manager.OnRun(); // press again: stop again
    QCOMPARE(rig.state(), 2);
    QCOMPARE(rig.logger.count(CmdStop), 2);

    rig.hub().SignalLoggerExperimentEnd();
    QCOMPARE(rig.state(), 6);
    QVERIFY(!rig.button().isEnabled());
    QVERIFY(!rig.manager.isRunInProgress());
    QCOMPARE(rig.manager.protectionTimer()->interval(), 500);
    QTRY_COMPARE_WITH_TIMEOUT(rig.state(), 0, 3000);
    QVERIFY(rig.button().isEnabled());
    QVERIFY(!rig.button().isPlaying());
    QCOMPARE(rig.button().currentFrame(), 0);
    QCOMPARE(stop.count(), 1);
    QVERIFY(rig.controller().controlsEnabled());
    QVERIFY(rig.controller().isStatusPollRunning());
    QVERIFY(rig.prompter.boxes("warn crit").isEmpty());
}

void TestShellRunControl::watchdogGivesUp()
{
    CShellRig rig;
    rig.manager.SetStartWatchdogInterval(50);
    detect(rig);
    QSignalSpy disconnected(&rig.hub(), &CKorvantaSignals::LoggerDisconnected);
    rig.manager.OnRun();
    QCOMPARE(rig.state(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(rig.prompter.boxes("warn crit").size(), 1, 3000);
    QCOMPARE(rig.prompter.boxes("warn crit").first(),
             QString("Logger|Logger failed to start running. Please reconnect the logger."));
    QCOMPARE(rig.state(), 0);
    QCOMPARE(disconnected.count(), 1);
    // The disconnection it raises disables the button and forgets the logger.
    QVERIFY(!rig.button().isEnabled());
    QVERIFY(!rig.manager.IsLoggerDetected());
    QVERIFY(!rig.button().isPlaying());
}

void TestShellRunControl::eventTimingWatchdogLetsPressCancel()
{
    CShellRig rig;
    rig.manager.SetStartWatchdogInterval(50);
    rig.frame.m_RunMode = 1;
    detect(rig);
    rig.manager.OnRun();
    QCOMPARE(rig.state(), 1);
    QVERIFY(!rig.button().isEnabled());
    // The watchdog does not fail an event-timing start, but hands the button back.
    QTRY_VERIFY_WITH_TIMEOUT(rig.button().isEnabled(), 3000);
    QCOMPARE(rig.state(), 1);
    QVERIFY(rig.prompter.boxes("warn crit").isEmpty());
    QSignalSpy stop(&rig.manager, &CWindowsManager::runBtns_stop);
    rig.manager.OnRun(); // press gives the start up
    QCOMPARE(rig.state(), 0);
    QCOMPARE(rig.logger.count(CmdStop), 1);
    QCOMPARE(stop.count(), 1);
    QVERIFY(rig.controller().controlsEnabled());
    // A logger that starts after all is still followed.
    rig.hub().SignalLoggerStartedRun();
    QCOMPARE(rig.state(), 4);
}

void TestShellRunControl::triggerDelayStartsWithWatchdog()
{
    CShellRig rig;
    rig.manager.SetStartWatchdogInterval(150);
    detect(rig);
    rig.setup().m_TriggerType = 5;
    rig.setup().m_TriggerLevel = 100; // ms
    QSignalSpy started(&rig.hub(), &CKorvantaSignals::UserStartedRun);
    QSignalSpy keepAlive(&rig.hub(), &CKorvantaSignals::UserStopKeepAliveTimer);
    QSignalSpy delayPlay(&rig.manager, &CWindowsManager::runBtns_delayPlay);
    rig.manager.OnRun();
    QCOMPARE(rig.state(), 7);
    QCOMPARE(rig.button().currentFrame(), 1);
    QVERIFY(rig.button().isPlaying());
    QCOMPARE(delayPlay.count(), 1);
    QCOMPARE(keepAlive.count(), 1);
    QCOMPARE(started.count(), 0);
    QVERIFY(rig.controller().triggerDelayTimer()->isActive());
    QCOMPARE(rig.controller().triggerDelayTimer()->interval(), 100);
    QVERIFY(!rig.manager.protectionTimer()->isActive());

    QTRY_COMPARE_WITH_TIMEOUT(rig.state(), 1, 3000);
    QCOMPARE(started.count(), 1);
    QVERIFY(rig.button().isPlaying());
    QCOMPARE(rig.button().currentFrame(), 3);
    QVERIFY(rig.manager.protectionTimer()->isActive());
    // The logger never reports its start: the watchdog ends the wait.
    QTRY_COMPARE_WITH_TIMEOUT(rig.prompter.boxes("warn crit").size(), 1, 3000);
    QCOMPARE(rig.state(), 0);
    QVERIFY(!rig.button().isPlaying());
}

void TestShellRunControl::triggerDelayPressAfterElapsedCancels()
{
    CShellRig rig;
    detect(rig);
    rig.setup().m_TriggerType = 5;
    rig.setup().m_TriggerLevel = 30;
    rig.manager.OnRun();
    QTRY_COMPARE_WITH_TIMEOUT(rig.state(), 1, 3000);
    QVERIFY(rig.button().isEnabled());
    // The start after a delay is playing, so the Manual sub-button takes a manual sample.
    rig.manager.OnManual();
    QCOMPARE(rig.logger.count(CmdManualSample), 1);
    rig.manager.OnRun();
    QCOMPARE(rig.state(), 0);
    QCOMPARE(rig.logger.count(CmdStop), 1);
    QVERIFY(!rig.manager.protectionTimer()->isActive());
    QVERIFY(!rig.button().isPlaying());
}

void TestShellRunControl::pressDuringTriggerDelayStops()
{
    CShellRig rig;
    detect(rig);
    rig.setup().m_TriggerType = 5;
    rig.setup().m_TriggerLevel = 5000;
    rig.manager.OnRun();
    QCOMPARE(rig.state(), 7);
    rig.manager.OnRun();
    QCOMPARE(rig.state(), 2);
    QVERIFY(!rig.controller().triggerDelayTimer()->isActive());
    QCOMPARE(rig.logger.count(CmdStop), 1);
    rig.hub().SignalLoggerEndDtetection(true);
    QCOMPARE(rig.state(), 0);
    QVERIFY(!rig.button().isPlaying());
}

void TestShellRunControl::detectionDuringDelayEndsIt()
{
    CShellRig rig;
    detect(rig);
    rig.setup().m_TriggerType = 5;
    rig.setup().m_TriggerLevel = 60;
    QSignalSpy started(&rig.hub(), &CKorvantaSignals::UserStartedRun);
    rig.manager.OnRun();
    rig.hub().SignalLoggerEndDtetection(true);
    QCOMPARE(rig.state(), 0);
    QTest::qWait(200);
    QCOMPARE(rig.state(), 0);
    QCOMPARE(started.count(), 0);
    // A delay timer firing late is ignored outside the wait.
    rig.manager.TriggerDelayTimout();
    QCOMPARE(rig.state(), 0);
    QCOMPARE(started.count(), 0);
}

void TestShellRunControl::levelTrigger()
{
    for (int type : {1, 2}) {
        CShellRig rig;
        detect(rig);
        rig.setup().m_TriggerType = type;
        QSignalSpy started(&rig.hub(), &CKorvantaSignals::UserStartedRun);
        rig.manager.OnRun();
        QCOMPARE(rig.state(), 7);
        QCOMPARE(started.count(), 1);
        QCOMPARE(rig.button().currentFrame(), 1);
        QVERIFY(!rig.manager.protectionTimer()->isActive());
        QVERIFY(!rig.controller().isStatusPollRunning());
        // The logger reports its start when the level is crossed.
        rig.hub().SignalLoggerStartedRun();
        QCOMPARE(rig.state(), 4);
        rig.manager.OnRun();
        QCOMPARE(rig.state(), 2);
        QCOMPARE(rig.logger.count(CmdStop), 1);
    }
}

void TestShellRunControl::experimentEndWithoutLogger()
{
    CShellRig rig;
    detect(rig);
    rig.manager.OnRun();
    rig.hub().SignalLoggerStartedRun();
    QCOMPARE(rig.state(), 4);
    rig.logger.m_bConnected = false;
    rig.hub().SignalLoggerExperimentEnd();
    QCOMPARE(rig.state(), 4);
    QVERIFY(!rig.manager.isRunInProgress());
}

void TestShellRunControl::disconnectionFromAnyState_data()
{
    QTest::addColumn<int>("state");
    for (int s = 0; s <= 7; ++s)
        QTest::newRow(qPrintable(QString::number(s))) << s;
}

void TestShellRunControl::disconnectionFromAnyState()
{
    QFETCH(int, state);
    CShellRig rig;
    detect(rig);
    rig.logic.m_NumOnLineFunctions = 3;
    rig.button().Play();
    rig.button().RunControlState = state;
    rig.manager.protectionTimer()->start(10000);
    rig.hub().SignalLoggerDisconnected();
    QCOMPARE(rig.state(), 0);
    QVERIFY(!rig.button().isEnabled());
    QVERIFY(!rig.button().isPlaying());
    QVERIFY(!rig.manager.protectionTimer()->isActive());
    QVERIFY(!rig.manager.IsLoggerDetected());
    QCOMPARE(rig.logic.m_NumOnLineFunctions, short(0));
    QVERIFY(rig.setup().m_SelectedSensorList.isEmpty());
}

void TestShellRunControl::manualXValue()
{
    CShellRig rig;
    detect(rig);
    rig.setup().m_bManualX = true;
    rig.setup().m_ManualXName = "Volume";
    rig.setup().m_ManualXUnit = "ml";
    rig.setup().m_RateCode = 0;
    QSignalSpy started(&rig.hub(), &CKorvantaSignals::UserStartedRun);
    // The manual X value dialog: its question kept, then refused or given the answer.
    QStringList asked;
    double answer = -1.0;   // negative: refused
    rig.prompter.m_DialogAnswer = [&](QDialog* d) {
        auto* x = qobject_cast<CManualXValueDialog*>(d);
        if (!x)
            return int(QDialog::Rejected);
        asked << x->form()->nextvalueLabel->text();
        if (answer < 0)
            return int(QDialog::Rejected);
        x->form()->valueLineEdit->setText(QString::number(answer));
        return int(QDialog::Accepted);
    };
    rig.manager.OnRun();
    QCOMPARE(asked, QStringList("Enter next Volume value"));
    QCOMPARE(rig.state(), 0);
    QCOMPARE(started.count(), 0);
    QVERIFY(rig.controller().isStatusPollRunning());

    answer = 2.5;
    rig.manager.OnRun();
    QCOMPARE(rig.state(), 1);
    QCOMPARE(rig.setup().m_ManualXValue, 2.5);
    QCOMPARE(started.count(), 1);

    // The following values are asked on the hub's request; a refusal stops the run.
    rig.hub().SignalLoggerStartedRun();
    answer = 5.0;
    rig.hub().SingalUserAskXValue();
    QCOMPARE(rig.setup().m_ManualXValue, 5.0);
    QCOMPARE(rig.logger.count(CmdStop), 0);
    answer = -1.0;
    rig.hub().SingalUserAskXValue();
    QCOMPARE(rig.logger.count(CmdStop), 1);
    QCOMPARE(rig.setup().m_ManualXValue, 5.0);
    // A question left over from a run that has ended stops nothing.
    rig.hub().SignalLoggerExperimentEnd();
    rig.hub().SingalUserAskXValue();
    QCOMPARE(rig.logger.count(CmdStop), 1);

    // Without a name and unit the manual-X run is not asked for.
    CShellRig plain;
    detect(plain);
    plain.setup().m_bManualX = true;
    plain.setup().m_RateCode = 0;
    plain.manager.OnRun();
    QCOMPARE(plain.prompter.count("dialog"), 0);
    QCOMPARE(plain.state(), 1);

    // An event-timing run takes no typed values: the manual setup's choice waits for later.
    CShellRig timing;
    detect(timing);
    timing.setup().m_bManualX = true;
    timing.setup().m_ManualXName = "Length";
    timing.setup().m_ManualXUnit = "cm";
    timing.setup().m_RateCode = 0;
    timing.frame.m_RunMode = int(ExperimentRunMode::Timing);
    timing.manager.OnRun();
    QCOMPARE(timing.prompter.count("dialog"), 0);
}

void TestShellRunControl::manualSubButton()
{
    CShellRig rig;
    detect(rig);
    QSignalSpy started(&rig.hub(), &CKorvantaSignals::UserStartedRun);
    rig.manager.OnManual(); // not playing: a step of the Run button
    QCOMPARE(rig.state(), 1);
    QCOMPARE(started.count(), 1);
    rig.manager.OnManual(); // state 1 after a normal start is not playing: nothing
    QCOMPARE(rig.logger.count(CmdManualSample), 0);
    rig.hub().SignalLoggerStartedRun();
    rig.manager.OnManual();
    rig.manager.OnManual();
    QCOMPARE(rig.logger.count(CmdManualSample), 2);
    QCOMPARE(rig.state(), 4);
}

void TestShellRunControl::staleWatchdogNeverStartsARun()
{
    CShellRig rig;
    detect(rig);
    QSignalSpy started(&rig.hub(), &CKorvantaSignals::UserStartedRun);
    // A watchdog expiry in a state that does not wait for one changes nothing. (A stop sent
    // waits for one: its expiry gives the idle button back.)
    for (int s : {0, 4, 7}) {
        rig.button().RunControlState = s;
        rig.manager.protectionTimer()->setSingleShot(true);
        rig.manager.protectionTimer()->start(1);
        QTest::qWait(30);
        QCOMPARE(rig.state(), s);
    }
    QCOMPARE(started.count(), 0);
    QCOMPARE(rig.logger.count(CmdStop), 0);
}

KORVANTA_TEST_MAIN(TestShellRunControl)
#include "tst_shell_runcontrol.moc"

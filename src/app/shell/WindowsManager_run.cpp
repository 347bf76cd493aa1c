// Run control: the state machine that turns presses of the Run button and the loggers' reports
// into the start, the stop and the end of a run. The state lives in the Run button.
#include "app/shell/WindowsManager.h"

#include "app/shell/CustomRunButton.h"
#include "windowbase/Prompter.h"
#include "app/shell/ShellFrame.h"
#include "app/shell/ShellServices.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Base/KorvantaSignals.h"
#include "setup/LogicQueries.h"
#include "setup/SetupWindow.h"

#include <QTimer>

#include <algorithm>

void CWindowsManager::startWatchdog(int ms)
{
    m_pLoggerProtectionTimer->setSingleShot(true);
    m_pLoggerProtectionTimer->start(std::max(ms, 0));
}

void CWindowsManager::stopSent()
{
    if (m_pLogic)
        m_pLogic->SendStopCmd();
}

void CWindowsManager::requestRun()
{
    CustomRunButton* b = runButton();
    m_pSetupWindow->disableSetup(true);
    m_pSetupWindow->stopTimers(true);
    // The state and the watchdog are in place before the hub hears of the start, so a start
    // report that follows at once finds the machine waiting for it.
    b->setDisabled(true);
    b->RunControlState = RunControl::StartSent;
    m_bPressCancelsStart = false;
    startWatchdog(m_StartWatchdogMs);
    m_pSignals->SignalUserStartedRun();
}

void CWindowsManager::giveBackIdleButton()
{
    CustomRunButton* b = runButton();
    m_pSetupWindow->enableSetup();
    b->setDisabled(false);
    b->Stop();
    emit runBtns_stop();
    b->RunControlState = RunControl::Idle;
    m_pSetupWindow->stopTimers(false);
}

void CWindowsManager::failedToStart()
{
    m_bPressCancelsStart = false;
    giveBackIdleButton();
    // The logger is let go as well as reported gone: the box asks for a reconnection, and
    // Connect then searches for it and finds it again.
    if (m_pShellLogic)
        m_pShellLogic->ReleaseLogger();
    m_pSignals->SignalLoggerDisconnected();
    prompter()->warning(this, tr("Logger"), tr("Logger failed to start running. Please reconnect the logger."));
}

void CWindowsManager::cancelUnconfirmedStart()
{
    // The logger was asked to run but never said it did: tell it to stop in case it did, and
    // give the user the idle button back.
    m_pLoggerProtectionTimer->stop();
    m_bPressCancelsStart = false;
    stopSent();
    giveBackIdleButton();
}

void CWindowsManager::stopUnconfirmed()
{
    // The logger never confirmed the stop: the user gets the idle button back, with what was
    // received kept, rather than a button that no press can change.
    m_pLoggerProtectionTimer->stop();
    m_bRunInProgress = false;
    giveBackIdleButton();
    prompter()->warning(this, tr("Logger"),
                        tr("The logger did not confirm the end of the run. The data received so far are kept."));
}

bool CWindowsManager::askFirstManualXValue()
{
    CSetupInfo* setup = m_pSetupWindow->getSetupInfo();
    // Only a run sampled by hand takes typed values: an event-timing run keeps the manual
    // setup's choice for later, and would store what is typed nowhere.
    if (!setup->m_bManualX || setup->m_RateCode != 0 || GetCurrentRunMode() == ExperimentRunMode::Timing)
        return true;
    // What was typed for an earlier run is never this run's.
    CDataManager* data = GetDataManager();
    if (data)
        data->BeginManualXValues();
    if (setup->xManualRunEnabled())
        return askManualXValue();
    // Without a name and unit nothing is asked before the run: its first reading takes what
    // an empty entry gives, and the questions after each reading keep their places.
    setup->m_ManualXValue = 0.0;
    if (data)
        data->AddManualXValue(0.0);
    return true;
}

void CWindowsManager::startFromIdle()
{
    CustomRunButton* b = runButton();
    CSetupInfo* setup = m_pSetupWindow->getSetupInfo();
    const bool delayed = setup->m_TriggerType == 5;
    const bool levelTriggered = setup->m_TriggerType == 1 || setup->m_TriggerType == 2;
    // A triggered run waits in the logger or for its delay; only a plain start asks first
    // whether the logger may run.
    if (!delayed && !levelTriggered && m_pLogic && !m_pLogic->IsLoggerAllowToRun())
        return;
    // A run with typed X values asks for its first value before it starts, however it is
    // triggered: the first reading, whenever it comes, is stored with that value.
    if (!askFirstManualXValue())
        return;
    if (delayed) {
        // The run is requested only when the delay has passed.
        b->RunControlState = RunControl::WaitingTrigger;
        b->DelayPlay(0);
        emit runBtns_delayPlay(0);
        m_pSetupWindow->disableSetup(true);
        m_pSignals->SignalUserStopKeepAliveTimer();
        m_pSetupWindow->triggerDelayTimer()->start(std::max(setup->m_TriggerLevel, 0));
    } else if (levelTriggered) {
        // The logger itself waits for the level.
        b->RunControlState = RunControl::WaitingTrigger;
        b->DelayPlay(0);
        emit runBtns_delayPlay(0);
        m_pSetupWindow->disableSetup(true);
        m_pSetupWindow->stopTimers(true);
        m_pSignals->SignalUserStartedRun();
    } else {
        requestRun();
    }
}

void CWindowsManager::OnRun()
{
    CustomRunButton* b = runButton();
    if (!b)
        return;
    const bool byWatchdog = sender() == m_pLoggerProtectionTimer;
    CSetupInfo* setup = m_pSetupWindow->getSetupInfo();
    switch (b->RunControlState) {
    case RunControl::Idle:
        if (!byWatchdog) // a stale expiry never starts a run
            startFromIdle();
        return;
    case RunControl::StartSent:
        if (!byWatchdog) {
            if (m_bPressCancelsStart)
                cancelUnconfirmedStart();
            return;
        }
        if (GetCurrentRunMode() == ExperimentRunMode::Timing) {
            // An event-timing logger may wait long for its first gate: no failure, but the
            // button comes back so a press can give up the start.
            m_bPressCancelsStart = true;
            b->setDisabled(false);
            return;
        }
        failedToStart();
        return;
    case RunControl::StopSent:
        if (!byWatchdog)
            stopSent();
        else
            stopUnconfirmed();
        return;
    case RunControl::LoggerStarted:
        m_pLoggerProtectionTimer->stop();
        m_bPressCancelsStart = false;
        b->setDisabled(false);
        b->Play();
        emit runBtns_play();
        b->RunControlState = RunControl::Running;
        return;
    case RunControl::Running:
        if (byWatchdog)
            return;
        stopSent();
        b->RunControlState = RunControl::StopSent;
        startWatchdog(m_StartWatchdogMs);
        return;
    case RunControl::LoggerEnded:
        b->setDisabled(true);
        b->RunControlState = RunControl::Finishing;
        startWatchdog(s_FinishingMs);
        return;
    case RunControl::Finishing:
        giveBackIdleButton();
        return;
    case RunControl::WaitingTrigger:
        if (byWatchdog)
            return;
        b->RunControlState = RunControl::StopSent;
        if (setup->m_TriggerType == 5)
            m_pSetupWindow->triggerDelayTimer()->stop();
        stopSent();
        startWatchdog(m_StartWatchdogMs);
        return;
    default:
        return;
    }
}

void CWindowsManager::OnManual()
{
    CustomRunButton* b = runButton();
    if (!b)
        return;
    if (!b->isPlaying())
        OnRun();
    else if (m_pLogic)
        m_pLogic->SendManualSampleCmd();
}

void CWindowsManager::TriggerDelayTimout()
{
    CustomRunButton* b = runButton();
    // Only a delay still being waited for starts the run; detection or disconnection ended it.
    if (!b || b->RunControlState != RunControl::WaitingTrigger)
        return;
    b->Play();
    emit runBtns_play();
    b->RunControlState = RunControl::StartSent;
    // Unlike the original start path the button stays live here: a press gives the start up,
    // and the watchdog catches a logger that never reports its start.
    m_bPressCancelsStart = true;
    startWatchdog(m_StartWatchdogMs);
    m_pSignals->SignalUserStartedRun();
}

void CWindowsManager::loggerStartedRunning()
{
    CustomRunButton* b = runButton();
    if (!b)
        return;
    uploadRunStarted();
    // What was said while the run waited for its trigger is over now.
    if (m_pFrame)
        m_pFrame->HideModallesMsgBox();
    b->RunControlState = RunControl::LoggerStarted;
    OnRun();
}

void CWindowsManager::loggerFinishedRunning()
{
    m_bRunInProgress = false;
    CustomRunButton* b = runButton();
    if (b && m_pLogic && m_pLogic->IsLoggerConnected()) {
        b->RunControlState = RunControl::LoggerEnded;
        OnRun();
    }
    uploadRunFinished();
}

void CWindowsManager::loggerDetected(bool detected)
{
    m_bLoggerDetected = detected;
    // Whatever was under way is over: no watchdog or delay may act on the new state.
    m_pLoggerProtectionTimer->stop();
    m_pSetupWindow->triggerDelayTimer()->stop();
    m_bPressCancelsStart = false;
    if (CustomRunButton* b = runButton()) {
        b->RunControlState = RunControl::Idle;
        b->Stop();
    }
    // A search that finds nothing leaves a setup that waits for its logger as it is.
    if (detected || !(m_pLogic && m_pLogic->IsSetupHeld()))
        m_pSetupWindow->loggerConnected(detected);
    else
        m_pSetupWindow->waitForLogger();
    if (!detected) {
        m_ConnectedLoggerType = 0.0;
        m_bConnectedViaBluetooth = false;
        m_pSignals->SignalGuiModallessMsg(QString(), tr("Logger has not been detected"), true);
        return;
    }
    m_ConnectedLoggerType = m_pLogic ? m_pLogic->GetConnectedLoggerType() : 0.0;
    m_bConnectedViaBluetooth = m_pLogic && m_pLogic->IsConnectedViaBlueThooth();
    if (m_pFrame)
        m_pFrame->HideModallesMsgBox();
}

void CWindowsManager::loggerDisconnected()
{
    const bool wasDetected = m_bLoggerDetected;
    m_bLoggerDetected = false;
    m_bRunInProgress = false;
    m_bConnectedViaBluetooth = false;
    m_ConnectedLoggerType = 0.0;
    m_pLoggerProtectionTimer->stop();
    m_pSetupWindow->triggerDelayTimer()->stop();
    m_bPressCancelsStart = false;
    if (CustomRunButton* b = runButton()) {
        b->RunControlState = RunControl::Idle;
        b->Stop();
        b->setEnabled(false);
    }
    // However the logger went (pulled out, restarted, fallen silent, on its way through a
    // firmware update), the teacher's setup waits for it, held as during a run: the first
    // status of the logger found next gives it back, or drops it for another logger. A
    // logger that never said what it is had no setup of its own; no connection ended when
    // none was detected.
    if (!wasDetected || (m_pLogic && m_pLogic->HoldSetupForReturn()))
        m_pSetupWindow->waitForLogger();
    else
        m_pSetupWindow->loggerConnected(false);
    // The online functions are part of the setup: they wait with it, and go only with it.
    if (m_pLogic && !m_pLogic->IsSetupHeld())
        m_pLogic->ClearOnlineFunctions();
}

void CWindowsManager::userStartedRun()
{
    if (m_pFrame)
        m_pFrame->HideModallesMsgBox();
    m_bRunInProgress = true;
}

void CWindowsManager::OnUserAskXvalue()
{
    if (askManualXValue())
        return;
    // Refused: the run ends. A question left over from a run that has already ended stops
    // nothing (a stop would read to the logger as the end of another run).
    if (m_bRunInProgress)
        stopSent();
}

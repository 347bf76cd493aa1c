// The users' requests to the detected logger and the keep-alive of runs whose link may be lost
// without notice.
#include "Core/Base/Diagnostics.h"
#include "Core/Base/ILogger.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/Detection/DeviceDetectionManager.h"
#include "Core/Logic/LogicManager.h"

#include <QThread>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
void Log(const char* text) { MyOutputDebugString(text, DiagLogic); }
} // namespace

void CLogicManager::UserStartedRun()
{
    Log("UserStartedRun");
    ILogger* logger = m_pDetectedLogger;
    const ExperimentRunMode mode = GetCurrentRunMode();
    if (mode == ExperimentRunMode::Timing) {
        Log("ExecuteHalvorenCmd");
        if (!logger)
            return;
        const ILoggerFace& face = FaceOf(logger);
        logger->ExecuteHalvorenCmd(face.TimingRunCommand());
        if (face.KeepsTimingRunAlive())
            startKeepAlive();
    } else if (mode == ExperimentRunMode::Sampling) {
        Log("ExecuteHalvorenCmd");
        if (!logger)
            return;
        logger->ExecuteHalvorenCmd(CmdRun);
        CSetupInfo* setup = GetSetupInfo();
        if (setup && FaceOf(logger).NeedsSamplingKeepAlive(setup->m_RateCode))
            startKeepAlive();
    }
}

void CLogicManager::startKeepAlive()
{
    m_KeepAliveStampMs = monotonicMs();
    m_TimingKeepAliveTimer.start(1000);
}

void CLogicManager::KeepAliveReplied()
{
    m_KeepAliveStampMs = monotonicMs();
}

void CLogicManager::timingRunSendKeepAlive()
{
    // Measured from the logger's last keep-alive answer (or the run's start before the first
    // one), so a link that keeps answering stays connected however long the run lasts.
    const qint64 silentMs = monotonicMs() - m_KeepAliveStampMs.load();
    if (silentMs <= KeepAliveWindowMs) {
        SendKeepAliveCmd(m_pDetectedLogger, true);
        return;
    }
    if (CKorvantaSignals* hub = GetSignals())
        emit hub->LoggerDisconnected();
    m_TimingKeepAliveTimer.stop();
    showDisconnectMessage();
}

void CLogicManager::UserDetectionModeChanged()
{
    Log("Cmd SendSetAutoDetectCmd");
    ILogger* logger = m_pDetectedLogger;
    CSetupInfo* setup = GetSetupInfo();
    if (!logger || !setup)
        return;
    CommandParametersStruct cmd(CmdSetInputMode);
    cmd.SetByte(ParFlag, setup->m_bAutoDetect ? 1 : 0);
    logger->SendCmd(cmd, true);
}

void CLogicManager::UserFirmwareUpdate()
{
    Log("Cmd SendHalvorenUploadFirmwareCmd");
    ILogger* logger = m_pDetectedLogger;
    // An update no logger takes must end at once, or its progress would wait for ever.
    if (!logger || !logger->IsConnected()) {
        firmwareNotSent(tr("No logger is connected, so no firmware was sent. Connect the logger and try again."));
        return;
    }
    const QString refusal = FaceOf(logger).FirmwareRefusal();
    if (!refusal.isEmpty()) {
        firmwareNotSent(refusal);
        return;
    }
    CommandParametersStruct cmd(CmdUploadFirmware);
    cmd.SetWord(ParFirmwareBlock, 0);
    cmd.SetByte(ParFirmwareFirst, 1);
    logger->SendCmd(cmd, true);
    if (m_pDeviceDetectionManager)
        m_pDeviceDetectionManager->WatchFirmwareUpdate();
}

void CLogicManager::firmwareNotSent(const QString& why)
{
    Log("Firmware update: no logger takes it");
    CKorvantaSignals* hub = GetSignals();
    if (!hub)
        return;
    // The result first, which closes the progress; then the reason.
    hub->SignalLoggerBootLoaderFinshed(0);
    hub->SignalGuiModallessMsg(tr("Firmware update"), why, true);
}

void CLogicManager::UserSetSensorRange()
{
    if (ILogger* logger = m_pDetectedLogger)
        logger->SendCmd(CommandParametersStruct(CmdSetSensorRange), true);
}

void CLogicManager::UserSnapshotRequest()
{
    Log("Cmd SnapshotCmd");
    if (ILogger* logger = m_pDetectedLogger)
        logger->SendCmd(CommandParametersStruct(CmdSnapshot), true);
}

void CLogicManager::UserWriteSensorId()
{
    ILogger* logger = m_pDetectedLogger;
    if (logger && FaceOf(logger).WritesSensorIds())
        SendWriteSensorId(logger, true);
}

void CLogicManager::UserStopKeepAliveTimer()
{
    ILogger* logger = m_pDetectedLogger;
    if (logger)
        FaceOf(logger).StopWatchdog();
}

void CLogicManager::UserStatusRequest(int)
{
    ILogger* logger = m_pDetectedLogger;
    if (!logger)
        return;
    if (!FaceOf(logger).TakesStatusRequest(logger, GetSetupInfo()))
        return;
    // An idle logger is asked for nothing else: requests that go unanswered mean it is gone,
    // as a silent run means it for the run.
    const bool idle = !logger->IsRunning() && !logger->IsFirmwareBusy();
    if (idle && statusRequestsUnanswered()) {
        Log("The logger answers no status requests: handled as gone");
        forgetStatusRequests();
        if (m_pDeviceDetectionManager)
            m_pDeviceDetectionManager->LoggerStoppedAnswering();
        return;
    }
    Log("Cmd StatusCmd");
    if (idle) {
        if (m_StatusUnanswered++ == 0)
            m_StatusAskedSinceMs = monotonicMs();
    }
    logger->SendCmd(CommandParametersStruct(CmdStatus), true);
}

void CLogicManager::forgetStatusRequests()
{
    m_StatusUnanswered = 0;
    m_StatusAskedSinceMs = -1;
}

bool CLogicManager::statusRequestsUnanswered() const
{
    return m_StatusUnanswered >= SilentStatusRequests && m_StatusAskedSinceMs >= 0
           && monotonicMs() - m_StatusAskedSinceMs >= SilentStatusMs;
}

void CLogicManager::stopKeepAliveTimer()
{
    // A stop may come from a logger's packet thread; the timer belongs to this object's thread.
    if (QThread::currentThread() == m_TimingKeepAliveTimer.thread())
        m_TimingKeepAliveTimer.stop();
    else
        QMetaObject::invokeMethod(
            &m_TimingKeepAliveTimer, [timer = &m_TimingKeepAliveTimer] { timer->stop(); }, Qt::QueuedConnection);
}

// ---- trigger levels

void CLogicManager::GetTriggeringLevels(int position, int index, QList<TriggerLevel>* levels,
                                        QList<TriggerLevel>* sensorLevels)
{
    if (!levels)
        return;
    const CSensorParametersInfo* record = m_SensorInfo.GetSensorInfo(index);
    if (!record)
        return;
    const CSensorMeasuremntInfo* range = record->GetMeasurement(0);
    const float minimum = range ? float(range->m_Min) : 0.0f;
    const float maximum = range ? float(range->m_Max) : 0.0f;
    const unsigned short kind = record->m_DataKind;
    ILogger* logger = m_pDetectedLogger;
    bool placeholder = false;
    CSetupInfo* setup = GetSetupInfo();
    if (setup && position >= 0 && position < setup->m_SelectedSensorList.size() &&
        setup->m_SelectedSensorList.at(position))
        placeholder = setup->m_SelectedSensorList.at(position)->m_bPlaceholder;
    // Levels that need the logger's conversion are offered only once a logger is there.
    const bool convertRaw = logger && FaceOf(logger).ConvertsRawTriggerLevels(kind, placeholder);
    const float step = (maximum - minimum) * 0.015625f;
    if (!(convertRaw && FaceOf(logger).ComparesTriggerInSensorDirection()))
        sensorLevels = nullptr;

    const int first = levels->size();
    TriggerLevel previous;
    for (int i = 0; i <= 64; ++i) {
        const int raw = i == 64 ? 0 : 4095 - 64 * i;
        TriggerLevel candidate = previous;
        float tested = 0.0f;
        TriggerLevel own;
        if (convertRaw) {
            // The range belongs to the sensor's own reading: a calibrated or zeroed level is
            // offered wherever the sensor reads within it.
            double reading = 0.0;
            candidate.m_Level = float(m_DataManager.GetDataConversion()->ConvertBySensorType(logger, position, position,
                                                                                            index, raw, &reading));
            candidate.m_Code = raw;
            tested = float(reading);
            own.m_Code = raw;
            own.m_Level = tested;
        } else if (kind == 3 || kind == 16384) {
            candidate.m_Level = maximum - float(i) * step;
            const double code = kind == 3 ? double(candidate.m_Level) * 1000.0 : double(candidate.m_Level);
            // A range too wide for an integer code offers no level there.
            if (!std::isfinite(code) || code < double(INT_MIN) || code > double(INT_MAX)) {
                previous = candidate;
                continue;
            }
            candidate.m_Code = int(code);
            tested = candidate.m_Level;
        }
        const bool inRange = tested >= minimum && tested <= maximum;
        if (inRange && (i == 0 || candidate.m_Level != previous.m_Level)) {
            levels->append(candidate);
            if (sensorLevels)
                sensorLevels->append(own);
        }
        previous = candidate;
    }
    // The list runs from the top level down, also where the value falls as the raw code rises
    // (a falling calibration or gain).
    if (levels->size() - first > 1 && levels->at(first).m_Level < levels->last().m_Level)
        std::reverse(levels->begin() + first, levels->end());
}

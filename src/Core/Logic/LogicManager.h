#pragma once
// The core object below the windows: it owns the experiment data and the sensor catalogue,
// knows the loggers, and turns the users' requests into logger commands. Reached through the
// global pointer p_LogicManager.
#include "Core/Data/DataManager.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SensorsCalibration.h"
#include "Core/Data/Settings.h"
#include "Core/Logic/CommandParameters.h"
#include "analysis/OnlineFunctions.h"

#include <QObject>
#include <QString>
#include <QTimer>

class CKorvantaSignals;
class CSetupInfo;
class ILogger;
class ILogicContext;

class CLogicManager : public QObject
{
    Q_OBJECT
public:
    static constexpr int NumLoggerSlots = 4;

    explicit CLogicManager(QObject* parent = nullptr, ILogicContext* context = nullptr);
    ~CLogicManager() override;

    void SetContext(ILogicContext* context);
    ILogicContext* GetContext() const { return m_pContext; }
    // Null when no context (or the context has none yet).
    CKorvantaSignals* GetSignals() const;
    CSetupInfo* GetSetupInfo() const;
    int GetCurrentRunMode() const;

    // Command operations: each builds one command record for the given logger and hands it to
    // ILogger::SendCmd with bStartNow. A null logger sends nothing.
    void SendStatusReqCmd(ILogger* logger, bool bStartNow);
    void SendRunCmd(ILogger* logger, bool bStartNow);
    void SendGetNotesCmd(ILogger* logger, bool bStartNow);
    void SendSetupCmd(ILogger* logger, bool bStartNow);
    void SendDownloadCmd(ILogger* logger, bool bStartNow);
    void SendStopCmd(ILogger* logger, bool bStartNow);
    void SendClearCmd(ILogger* logger, bool bStartNow);
    void SendGetLastExperimentNumberCmd(ILogger* logger, bool bStartNow);
    void SendSelectiveFetchCmd(ILogger* logger, unsigned char experiment, bool bStartNow);
    void SendUpdateNotesCmd(ILogger* logger, bool bStartNow);
    void SendGetStatusByteCmd(ILogger* logger, bool bStartNow);
    void SendGetTimingParametersCmd(ILogger* logger, bool bStartNow);
    void SendSetTimingParametersCmd(ILogger* logger, TimingParametersStruct& params, bool bStartNow);
    void SendTimingRunCmd(ILogger* logger, bool bStartNow);
    void SendRenameCmd(ILogger* logger, QString name, bool bStartNow);
    void SendManualSampleCmd(ILogger* logger, bool bStartNow);
    void SendSnapshotCmd(ILogger* logger, bool bStartNow);
    void SendLinkSetInputModeCmd(ILogger* logger, bool inputMode, bool bStartNow);
    void SendSetAutoDetectCmd(ILogger* logger, bool autoDetect, bool bStartNow);
    void SendSetAverageWindowCmd(ILogger* logger, unsigned char window, bool bStartNow);
    void SendUploadFirmwareCmd(ILogger* logger, bool bStartNow);
    void SendSetSensorRange(ILogger* logger, bool bStartNow);
    void SendSetCalibration(ILogger* logger, bool bStartNow);
    void SendWriteSensorId(ILogger* logger, bool bStartNow);
    void SendKeepAliveCmd(ILogger* logger, bool bStartNow);
    void SendUpdateUserDefinedSensorsCmd(ILogger* logger, bool bStartNow);
    // Has the detected logger carry out a command without parameter bytes.
    void ExecuteHalvorenCmd(short id);

    // Runs the registered online functions over the samples stored since the last call; the
    // data store calls it after each stored block, on the storing thread.
    void CalculateOnLineFunctions();

    CDataManager m_DataManager;
    // Functions computed while recording: the calculator, its table and the number of records.
    // Register, clear and bind through the calculator, which holds the table's lock.
    CCalculateOnLineFunctions m_CalculateOnLineFunctions;
    OnLineFunctionInfo m_OnLineFunctions[MaxOnLineFunctions];
    short m_NumOnLineFunctions = 0;
    // The sensor catalogue; filled by LoadSensorInfo() once at start-up.
    CSensorInfo m_SensorInfo;
    // User calibration per catalogue index (memory only) and the per-channel settings file.
    CSensorsCalibration m_SensorsCalibration{&m_SensorInfo};
    CSettings m_Settings;
    // The timing-run keep-alive (1000 ms); a stop command always stops it.
    QTimer m_TimingKeepAliveTimer;
    ILogger* m_pDetectedLogger = nullptr;
    double m_DetectedLoggerType = 0.0;
    ILogger* m_pLoggers[NumLoggerSlots] = {nullptr, nullptr, nullptr, nullptr};

private:
    void stopKeepAliveTimer();

    ILogicContext* m_pContext = nullptr;
};

extern CLogicManager* p_LogicManager;

#pragma once
// The core object below the windows: it owns the experiment data and the sensor catalogue,
// knows the loggers, and turns the users' requests into logger commands. Reached through the
// global pointer p_LogicManager.
#include "Core/Base/CommandParameters.h"
#include "Core/Base/ExperimentInterval.h"
#include "Core/Base/ExperimentRunMode.h"
#include "Core/Base/LoggerStatus.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/RunServices.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SensorsCalibration.h"
#include "Core/Data/Settings.h"
#include "Core/Logic/LoggerFace.h"
#include "Core/Logic/LoggerSetupHold.h"
#include "Core/Logic/LogicServices.h"
#include "analysis/OnlineFunctions.h"

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

#include <atomic>

class CDeviceDetectionManager;
class CKorvantaSignals;
class CSetupInfo;
class ILogger;
class ILogicContext;
class IPortEnumerator;

class CLogicManager : public QObject, public IRunServices, public ILogicServices
{
    Q_OBJECT
public:
    static constexpr int NumLoggerSlots = 4;
    // The keep-alive run is declared lost when the logger has not answered for this long.
    static constexpr qint64 KeepAliveWindowMs = 3000;
    // An idle logger that answered none of at least this many status requests of the setup's
    // poll, the first this long ago, has stopped answering (a lost reply alone is not enough).
    static constexpr int SilentStatusRequests = 2;
    static constexpr qint64 SilentStatusMs = 5000;

    explicit CLogicManager(QObject* parent = nullptr, ILogicContext* context = nullptr);
    ~CLogicManager() override;

    void SetContext(ILogicContext* context);
    ILogicContext* GetContext() const override { return m_pContext; }
    // Null when no context (or the context has none yet).
    CKorvantaSignals* GetSignals() const override;
    // The current setup record: the context's own, or the one the setup window's owner handed
    // over when the window was made (taken back, null, before the window goes). Set on the
    // interface thread; the logger threads read it.
    void SetSetupInfo(CSetupInfo* setup);
    CSetupInfo* GetSetupInfo() const override { return m_pSetupInfo.load(); }
    ExperimentRunMode GetCurrentRunMode() const override;

    // Creates the logger managers (once) and the device-detection manager.
    void InitLogicManager();
    // Raises LoggerStartDetection and, unless one is under way, starts the port enumeration
    // as a concurrent task.
    void StartLoggersDetection() override;
    // Runs on a pool thread: each logger's ports in the search order of the loggers' kinds.
    void StartLoggerEnumeration();
    bool IsEnumerationRunning() const { return m_EnumerationWatcher.isRunning(); }
    // From StartLoggersDetection until a logger was found or not: a search the user may give
    // up. Not during a firmware update, whose reconnection is no search of the user's.
    bool IsSearchUnderWay() const;
    // A logger works through a search of its own (the exit waits for it to end).
    bool IsLoggerSearchInProgress() const;
    // Gives the search up at once and leaves things as they were before it: the loggers stop
    // searching and close the ports they opened, and nothing is announced, now or later.
    void CancelLoggersDetection() override;

    // Queries over the logger slots.
    ILogger* GetActiveLogger();
    bool IsLoggerConnected() override;
    int GetNumConnLoggers();
    bool IsLoggerRunning() override;
    bool IsLoggerOnFirmwareUpdate() override;
    // From the firmware command until the update has ended, well or badly: the logger's
    // departures on the way belong to it.
    bool IsFirmwareUpdateUnderWay() const;
    int GetConnectedPort();
    // The device path of the first connected logger (port numbers do not exist on every
    // platform; the unplug handling compares names).
    QString GetConnectedPortName() override;
    double GetConnectedLoggerType();
    bool IsConnectedViaBlueThooth();
    bool IsLoggerAllowToRun();
    ILogger* GetLoggerByType(int type);
    ExperimentInterval GetExperimentInterval(short rate, short samples, short type);
    float ConvertDataSample(int channel, int position, int index, int measurement, int raw);

    // Services for the protocol handlers and the data store.
    void SetTables(ILogger* logger) override;
    void UpdateSenosrsInfo(ILogger* logger) override;
    // Copies the logger's state into the first logger status of the setup. channelStatus,
    // when given, holds the per-channel status values (one per reported sensor). Safe to call
    // from a logger thread: the setup record is written on the interface thread.
    void UpdateSetupInfoFromCore(ILogger* logger, const QList<int>* channelStatus = nullptr) override;
    // The teacher's setup across the logger's departures and returns (see CLoggerSetupHold):
    // held when it goes, given back or dropped by its first status after it is found again.
    bool HoldSetupForReturn() { return m_SetupHold.Hold(); }
    bool IsSetupHeld() const { return m_SetupHold.IsHolding(); }
    CLoggerSetupHold::Verdict ClaimHeldSetup(const CLoggerIdentity& found, QStringList* droppedFunctions = nullptr)
    {
        return m_SetupHold.Claim(found, droppedFunctions);
    }
    void ExperimentEnded(ILogger* logger);
    void CalculateOnLineFunctions() override;
    // The run services the data store calls (see IRunServices).
    const CSensorsCalibration* GetRunCalibration() const override { return &m_SensorsCalibration; }
    void BindOnlineFunctions(int folderKey, const int keyTable[NumKeyChannels][NumKeyMeasurements],
                             double interval) override;
    void UpdateSetupInfoToCore();
    void WaitHere(int ms) override;
    // sensorLevels, when given, gets the same codes as the sensor itself reads them (no
    // calibration, no zero), for a logger that compares triggers in its sensor's direction.
    void GetTriggeringLevels(int position, int index, QList<TriggerLevel>* levels,
                             QList<TriggerLevel>* sensorLevels = nullptr);
    // The value one code of those levels reads as now, also where the list leaves it out (a
    // value past the range after a zero); false for a sensor without such codes.
    bool GetTriggeringLevel(int position, int index, int code, float* level);
    void SortSensorsNames();
    const QVector<int>& GetSortedSensorIndexes() const { return m_SortedSensorIndexes; }

    // The logger answered a keep-alive request (any thread): the link is alive.
    void KeepAliveReplied() override;
    bool IsKeepAliveRunning() const { return m_TimingKeepAliveTimer.isActive(); }

    // The firmware file the next update sends (chosen by the user).
    void SetFirmwareFileName(const QString& path) { m_FirmwareFileName = path; }
    QString GetFirmwareFileName() const override { return m_FirmwareFileName; }

    // Shut-down: every logger closed and its threads ended. True when everything stopped.
    bool ExitLogicManager();
    bool IsShutDown() const override { return m_bExited; }
    void DetectExitLogicManager();

    // Lets the connected logger go: its link is closed (with a goodbye, as it may still be
    // listening), so that the next search finds it again.
    void ReleaseConnectedLogger();
    // The serial devices the detection watches; call before InitLogicManager (null: the
    // platform's own).
    void SetPortEnumerator(IPortEnumerator* enumerator) { m_pPortEnumerator = enumerator; }

    // The face of a logger: its model's live manager when there is one, else the model's own
    // answers (never null).
    ILoggerFace& FaceOf(ILogger* logger);
    ILoggerFace& FaceOfModel(LoggerModel model);
    // The faces of the loggers the program knows, in the order a search tries them.
    QList<ILoggerFace*> LiveFaces() const override;

    // ---- the rest of what the loggers' rooms are given (see ILogicServices)
    QObject* InterfaceObject() override { return this; }
    CDataManager& DataStore() override { return m_DataManager; }
    CSensorInfo& SensorCatalogue() override { return m_SensorInfo; }
    CSettings& LoggerSettings() override { return m_Settings; }
    void LoggerIdentified(ILogger* logger, LoggerModel model) override;
    int CountRun(bool timingRun) override;
    int RunCount() const override { return m_RunCounter; }
    void MarkTimingRun() override { m_TimingRunNumber = m_RunCounter.load(); }
    bool IsControlRelayOn() const override { return m_bControlRelay; }
    void SetControlRelay(bool on) override { m_bControlRelay = on; }
    ILoggerFace* ConnectedFace() override;
    ILoggerFace* LiveFace(LoggerModel model);
    void LoggerFound(ILoggerFace* face) override;

    CDeviceDetectionManager* GetDeviceDetectionManager() const { return m_pDeviceDetectionManager; }

    // Command operations: each builds one command record for the given logger and hands it to
    // ILogger::SendCmd with bStartNow. A null logger sends nothing.
    void SendStatusReqCmd(ILogger* logger, bool bStartNow);
    void SendGetNotesCmd(ILogger* logger, bool bStartNow);
    void SendDownloadCmd(ILogger* logger, bool bStartNow);
    void SendStopCmd(ILogger* logger, bool bStartNow) override;
    void SendClearCmd(ILogger* logger, bool bStartNow);
    void SendGetLastExperimentNumberCmd(ILogger* logger, bool bStartNow);
    void SendSelectiveFetchCmd(ILogger* logger, unsigned char experiment, bool bStartNow);
    void SendUpdateNotesCmd(ILogger* logger, bool bStartNow);
    void SendGetStatusByteCmd(ILogger* logger, bool bStartNow);
    void SendGetTimingParametersCmd(ILogger* logger, bool bStartNow);
    void SendSetTimingParametersCmd(ILogger* logger, TimingParametersStruct& params, bool bStartNow);
    void SendRenameCmd(ILogger* logger, QString name, bool bStartNow);
    void SendManualSampleCmd(ILogger* logger, bool bStartNow);
    void SendSnapshotCmd(ILogger* logger, bool bStartNow);
    void SendLinkSetInputModeCmd(ILogger* logger, bool inputMode, bool bStartNow);
    void SendSetAutoDetectCmd(ILogger* logger, bool autoDetect, bool bStartNow);
    void SendSetAverageWindowCmd(ILogger* logger, unsigned char window, bool bStartNow);
    void SendSetSensorRange(ILogger* logger, bool bStartNow);
    void SendSetCalibration(ILogger* logger, bool bStartNow);
    void SendWriteSensorId(ILogger* logger, bool bStartNow);
    void SendKeepAliveCmd(ILogger* logger, bool bStartNow);
    void SendUpdateUserDefinedSensorsCmd(ILogger* logger, bool bStartNow);
    // Has the detected logger carry out a command without parameter bytes.
    void ExecuteHalvorenCmd(short id);

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
    // Which logger is connected, and the setup (calibrations included) kept while it is away.
    CLoggerSetupHold m_SetupHold{&m_SensorsCalibration, &m_CalculateOnLineFunctions};
    CSettings m_Settings;
    QString m_NotesText;
    // The timing-run keep-alive (1000 ms); a stop command always stops it.
    QTimer m_TimingKeepAliveTimer;
    QTimer m_ExitTimer;
    // Written by the enumeration task on a pool thread, read everywhere.
    std::atomic<ILogger*> m_pDetectedLogger{nullptr};
    std::atomic<double> m_DetectedLoggerType{0.0};
    ILogger* m_pLoggers[NumLoggerSlots] = {nullptr, nullptr, nullptr, nullptr};
    // Runs started since the program started, and the number of the last timing run.
    std::atomic<int> m_RunCounter{0};
    std::atomic<int> m_TimingRunNumber{0};
    // The relay state kept for loggers with a control relay; a run of one without clears it.
    std::atomic<bool> m_bControlRelay{false};

public slots:
    void UserStartedRun();
    void UserDetectionModeChanged();
    void UserFirmwareUpdate();
    void UserSetSensorRange();
    void UserStopKeepAliveTimer();
    void UserWriteSensorId();
    void UserSetupModified(int SourceChannel);
    void UserStatusRequest(int senderID);
    void UserSnapshotRequest();
    void LoggerEnumerationFinished();
    void timingRunSendKeepAlive();
    void DoExitLogicManager();

private:
    void stopKeepAliveTimer();
    void startKeepAlive();
    // The idle logger's status requests since its last answer.
    void forgetStatusRequests();
    bool statusRequestsUnanswered() const;
    void connectHub();
    void applyLoggerStatus(const CLoggerIdentity& identity, const CCurrentLoggerStatus& status);
    static qint64 monotonicMs();
    // The parts that make and end the logger managers.
    void createLoggerManagers();
    void deleteLoggerManagers();
    void requestLoggersExit();
    void showDisconnectMessage();
    // A firmware update no logger takes ends at once: the result, then why.
    void firmwareNotSent(const QString& why);

    ILogicContext* m_pContext = nullptr;
    std::atomic<CSetupInfo*> m_pSetupInfo{nullptr};
    QFutureWatcher<void> m_EnumerationWatcher;
    std::atomic<bool> m_bEnumerationCancelled{false};
    // Touched on the interface thread only.
    bool m_bSearching = false;
    std::atomic<bool> m_bExited{false};
    // When the keep-alive run last heard from its logger (monotonic ms).
    std::atomic<qint64> m_KeepAliveStampMs{0};
    // Status requests sent to the idle logger since it last answered one, and when the first of
    // them went (monotonic ms; -1 none). Interface thread only.
    int m_StatusUnanswered = 0;
    qint64 m_StatusAskedSinceMs = -1;
    QString m_FirmwareFileName;
    QVector<int> m_SortedSensorIndexes;
    CKorvantaSignals* m_pConnectedHub = nullptr;

    IPortEnumerator* m_pPortEnumerator = nullptr;
    IPortEnumerator* m_pOwnPortEnumerator = nullptr;
    CDeviceDetectionManager* m_pDeviceDetectionManager = nullptr;
    // The managers as their faces, one for each kind in the registry's order (its slot).
    QList<ILoggerFace*> m_Managers;
    // The same, in the order a search tries them.
    QList<ILoggerFace*> m_LiveFaces;
};

extern CLogicManager* p_LogicManager;

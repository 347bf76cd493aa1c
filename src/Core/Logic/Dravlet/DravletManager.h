#pragma once
// CDravletManager: the ILogger of the Dravlet USB sensor interface. Finds the interface among
// the USB serial devices, keeps its worker threads (reader, command sender, packet processor,
// detection poller, status re-send), queues commands and sends them with acknowledgement
// waits and re-sends, and asks for the interface's status before a run or setup until it
// answers.
#include "Core/Base/ILogger.h"
#include "Core/Logic/Dravlet/DravletFace.h"
#include "Core/Logic/Dravlet/DravletProtocolHandler.h"
#include "Core/Logic/Transport/SafeQueue.h"
#include "Core/Logic/Transport/ThreadWorker.h"
#include "platform/PortEnumerator.h"

#include <QList>
#include <QMutex>
#include <QString>

#include <atomic>
#include <memory>

class CDravletManagerHost;
class ILogicServices;

class CDravletManager : public CDravletProtocolHandler, public ILogger, public CDravletFace
{
public:
    static constexpr quint16 s_VendorId = 0x1F0C;
    static constexpr quint16 s_ProductId = 0x1000;
    static constexpr int s_ReadChunk = 8192;
    static constexpr int s_ReaderMs = 10;
    static constexpr int s_PollerMs = 350;
    static constexpr int s_StatusResendMs = 250;
    static constexpr int s_MaxStatusTicks = 9;
    static constexpr int s_ShutdownWaitMs = 2000;

    // The enumerator is not owned; null uses an own CSerialPortEnumerator.
    explicit CDravletManager(IDravletHost* host, IPortEnumerator* enumerator = nullptr);
    // The manager as the logic manager keeps it: talking to the logic manager, its data store
    // and catalogue (which must be loaded already) through a manager host of its own.
    explicit CDravletManager(ILogicServices* logic, IPortEnumerator* enumerator = nullptr);
    // The manager keeps the host it was made with from now on.
    void AdoptHost(std::unique_ptr<CDravletManagerHost> host);
    ~CDravletManager() override;

    // ---- ILogger
    void StartDetection() override;
    void ExecuteHalvorenCmd(short id) override;
    void SendCmd(CommandParametersStruct cmd, bool bStartNow) override;
    void SendStatusReq() override { StatusReq(); }
    void SendStopReq() override { StopReq(4); }
    bool IsComInitilazied() override { return m_bPortOpen; }
    bool IsConnected() override { return m_bConnected; }
    bool IsRunning() override { return m_bRunning; }
    bool IsFirmwareBusy() override { return m_bFirmwareBusy; }
    bool IsAutoDetectMode() override { return IsAutoDetectFlag(); }
    int GetNumberOfSensors() override;
    int GetLoggerSensorList(unsigned char* list) override;
    int GetActiveSensorListIndex(unsigned char* list) override;
    int GetNumberOfSamples() override { return StateSnapshot().numberOfSamples; }
    int GetSampleRateCode() override { return StateSnapshot().loggerRateCode; }
    int GetNumberOfSamples(unsigned char code) override;
    int GetNumberOfSamplesCode(int samples) override { return CGlobalTable::GetNumberOfSamplesCode(samples); }
    int GetLoggerRateCode(int rateCode, int sensors) override { return CDravletProtocolTables::GetLoggerRateCode(rateCode, sensors); }
    int GetUiRateCode(int loggerCode) override { return CDravletProtocolTables::GetUiRateCode(loggerCode); }
    int GetMaxRate(short sensor) override { return MaxRate(sensor); }
    ExperimentInterval GetExperimentInterval(short rateCode, short samples) override;
    double GetZeroConst(int channel, int measurement) override;
    const char* GetName() override { return nullptr; }
    double GetType() override { return m_LoggerType; }
    int GetPortNumber() override;
    void GetVersion(int& v1, int& v2, int& v3, int& v4, int& v5, int& v6) override;
    void Exit() override;
    int GetExpirmentType() override { return m_ExperimentKind; }

    // ---- commands
    void ExecuteDravletCmd(short id);
    void SendCmdEx(unsigned char id, int ms);
    void StartSendCmdEx(int ms);
    void StartTxEvent();
    void AddSetupCmd(CommandParametersStruct cmd);
    void AddSafeCommand(CommandParametersStruct cmd, bool start);
    void CloseLogger(bool quiet);
    void ExitManager();
    void StartRxEvent();

    // ---- detection
    void StartDeviceDetection();
    void DeviceDetection();
    void PoolDeviceDetection();
    // The user gave the search up: the poller stops at its next step and closes the port the
    // search opened. Nothing is announced.
    void CancelDetection();
    void CheckDeviceOnComPort(const QString& name);
    void SearchDeviceComPorts();
    bool DeviceDetectionComSearchList();
    bool LastPortStillOurs() const;
    void DravletPreCommandGuiUpdate();

    // The port name with every "com" taken out, as a decimal number; 0 when it is none.
    static int PortNumberOf(const QString& name);

    short DetectionState() const { return m_DetectionState; }

    // ---- the face, with the live link behind it
    ILogger* Logger() override { return this; }
    bool SearchPorts() override { return DeviceDetectionComSearchList(); }
    void CancelSearch() override { CancelDetection(); }
    QString LinkPortName() const override { return portName(); }
    void Release(bool unplugged, std::function<void()> done = {}) override;
    // Its device coming and going: a plug starts its own detection; an unplug (or silence)
    // closes it, which ends a run under way with every sample received.
    void Plugged(const CPortInfo& info, ILoggerPlugs& plugs) override;
    void Unplugged(const CPortInfo& info, bool silent, ILoggerPlugs& plugs) override;
    void SetupChanged() override;
    int QueuedCommands() const { return m_Queue.count(); }

protected:
    qint64 MsSinceLastRun() const override { return MsSinceStop(); }

private:
    static void ReaderProc(void* self);
    static void SenderProc(void* self);
    static void ProcessorProc(void* self);
    static void PollerProc(void* self);
    static void StatusResendProc(void* self);
    void readOnce();
    void senderLoop();
    void processorLoop();
    void statusTick();
    void sendOne(const CommandParametersStruct& record);
    void drainReceived();
    void probeSilentRun();
    void reportSilentRun();

    std::unique_ptr<CDravletManagerHost> m_pOwnHost;
    IPortEnumerator* m_pEnumerator = nullptr;
    std::unique_ptr<IPortEnumerator> m_pOwnEnumerator;

    CThreadWorker m_Reader;
    CThreadWorker m_Sender;
    CThreadWorker m_Processor;
    CThreadWorker m_Poller;
    CThreadWorker m_StatusResend;
    CWakeEvent m_SenderWake;
    CWakeEvent m_ProcessorWake;
    // Held by the reader across a read and its copy into the ring, and by the close across its
    // last reads and the port's closing, so no chunk in flight lands after the ring was cleared.
    QMutex m_ReadLock;
    // Held while the receive machine works a step and while the sender changes the record the
    // machine compares acknowledgements with.
    QMutex m_CurrentLock;
    CommandParametersStruct m_Current;
    CSafeQueue<CommandParametersStruct> m_Queue;

    QList<CPortInfo> m_SearchList;
    std::atomic<bool> m_bExit{false};
    std::atomic<int> m_RetryCounter{0};
    std::atomic<int> m_PendingKind{0};
    std::atomic<int> m_StatusTicks{0};
    // Cleared when the manager goes: work handed to the interface thread checks it there.
    std::shared_ptr<std::atomic<bool>> m_pAlive = std::make_shared<std::atomic<bool>>(true);
};

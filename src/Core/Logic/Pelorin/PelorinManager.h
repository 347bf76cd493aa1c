#pragma once
// The Pelorin logger as the rest of the program sees it: one object that is the port, the
// receive ring, the protocol, the handler and the logger interface. It runs the link's worker
// threads (reader every 10 ms, command sender, packet processor, detection poller and, on
// Bluetooth links, the keep-alive watchdog), queues commands and sends them one at a time with
// acknowledgement waits and resends, finds the logger among the serial ports and transfers
// firmware to its boot-loader.
#include "Core/Base/ILogger.h"
#include "Core/Logic/Pelorin/PelorinFace.h"
#include "Core/Logic/Pelorin/PelorinManagerHost.h"
#include "Core/Logic/Pelorin/PelorinProtocolHandler.h"
#include "Core/Logic/Transport/SafeQueue.h"
#include "Core/Logic/Transport/ThreadWorker.h"
#include "platform/PortEnumerator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QWaitCondition>

#include <atomic>
#include <vector>
#include <deque>
#include <functional>

class ILogicServices;

class CPelorinManager : public CPelorinProtocolHandler, public ILogger, public CPelorinFace
{
public:
    // How long the sender waits for an acknowledgement, and how often it resends.
    static constexpr int RunAckTimeoutMs = 1800;
    static constexpr int AckTimeoutMs = 350;
    static constexpr int MaxResends = 3;
    static constexpr int OpenRetries = 40;
    static constexpr int MaxHelloTries = 50;
    static constexpr int WatchdogSilentTicks = 7;
    static const QString s_TimerDisconnectionName;

    explicit CPelorinManager(ILogicServices* logic);
    ~CPelorinManager() override;

    ILogger* Logger() override { return this; }

    // ---- the face, with the live link behind it
    bool NeedsSamplingKeepAlive(int rateCode) const override { return rateCode == 0 && IsBluetoothLink(); }
    bool OnBluetooth() const override { return IsBluetoothLink(); }
    void StopWatchdog() override { StopKeepAliveTimer(); }
    bool SearchPorts() override { return DeviceDetectionComSearchList(); }
    void CancelSearch() override { CancelDetection(); }
    bool IsSearching() const override { return detectionInProgress(); }
    QString LinkPortName() const override { return CurrentPortName(); }
    void Release(bool unplugged, std::function<void()> done = {}) override { CloseLogger(unplugged, std::move(done)); }
    // Its devices coming and going: a plug starts a search, or takes the firmware update under
    // way a step further; an unplug of the connected logger lets it go.
    void Plugged(const CPortInfo& info, ILoggerPlugs& plugs) override;
    void Unplugged(const CPortInfo& info, bool silent, ILoggerPlugs& plugs) override;
    void ForgetLostDevice() override { m_LostPort.clear(); }
    // The logger came back as a device in its boot-loader: reopened there and sent the file.
    void ResumeInBootLoader(const QString& portName, const std::function<void(int)>& wait);
    // The logger came back with its new firmware: its port is looked at again.
    void ReturnAfterUpdate(const QString& portName);

    // ---- ILogger
    void StartDetection() override;
    void ExecuteHalvorenCmd(short id) override;
    void SendCmd(CommandParametersStruct cmd, bool bStartNow) override;
    void SendStatusReq() override;
    void SendStopReq() override;
    bool IsComInitilazied() override { return m_bPortOpen; }
    bool IsConnected() override { return m_bConnected; }
    bool IsRunning() override { return m_bRunning; }
    bool IsFirmwareBusy() override { return m_bFirmwareBusy; }
    bool IsAutoDetectMode() override { return true; }
    int GetNumberOfSensors() override;
    int GetLoggerSensorList(unsigned char* list) override;
    int GetActiveSensorListIndex(unsigned char* list) override;
    int GetNumberOfSamples() override;
    int GetSampleRateCode() override;
    int GetNumberOfSamples(unsigned char code) override;
    int GetNumberOfSamplesCode(int samples) override;
    int GetLoggerRateCode(int rateCode, int sensors) override;
    int GetUiRateCode(int loggerCode) override;
    int GetMaxRate(short sensor) override;
    ExperimentInterval GetExperimentInterval(short rateCode, short samples) override;
    double GetZeroConst(int channel, int index) override;
    const char* GetName() override { return nullptr; }
    double GetType() override { return m_LoggerType; }
    int GetPortNumber() override;
    void GetVersion(int& v1, int& v2, int& v3, int& v4, int& v5, int& v6) override;
    void Exit() override;
    int GetExpirmentType() override { return m_ExperimentType; }

    // ---- commands
    void AddSafeCommand(const CommandParametersStruct& cmd, bool bStartNow);
    void StartTxEvent();
    int QueuedCommands();
    // Closes the link: bUnplugged for the unplug path (the device is gone already). The port
    // is closed at once; what was received before is still decoded and stored by the packet
    // processor, off the caller's thread, and `done` runs on the interface thread once it is.
    void CloseLogger(bool bUnplugged, std::function<void()> done = {});
    // Waits (bounded) until a close has stored everything received before it.
    bool WaitForClose(int timeoutMs);
    bool IsClosing() const { return m_bClosing; }
    void ExitManager();
    // Asks every retry and wait to give up (the application is closing).
    void RequestExit() override;
    bool detectionInProgress() const { return !m_bOpenFinished; }
    void PelorinPreCommandGuiUpdate() {}

    // ---- detection
    void StartDeviceDetection();
    void DeviceDetection();
    bool DeviceDetectionComSearchList();
    void SearchDeviceComPorts();
    void CheckDeviceOnComPort(const QString& name);
    bool StartRxEvent();
    void PoolDeviceDetection();
    // The user gave the search up: the poller stops after its step under way, which gives up
    // its waits, and the port the search opened closes. Nothing is announced.
    void CancelDetection();
    bool IsBluetoothLink() const { return m_bBluetooth; }
    // Whether the detection poller still works through its states.
    bool IsDetectionPolling() const { return m_DtWorker && m_DtWorker->IsWorking(); }
    short DetectionState() const { return m_DetectionState; }
    // The ports the last search found worth trying, in order.
    QStringList CandidatePortNames() const;
    // The port a detection tries first (the one the last detection found).
    void SetRememberedPort(const QString& name, bool valid);
    QString RememberedPort() const;
    bool IsRememberedPortValid() const { return m_bRememberedPortValid; }
    QString CurrentPortName() const { return portName(); }
    // The ports the search looks at; the device-detection manager hands its enumerator in.
    void SetPortEnumerator(IPortEnumerator* enumerator) { m_pEnumerator = enumerator; }
    // The unplug path of the watchdog and of the logger's shutdown frame: the loss is reported
    // as a removal through the port enumerator.
    void ReportPortRemoval(const QString& name, quint16 vendor, quint16 product);

    // ---- keep-alive watchdog (Bluetooth links)
    void StopKeepAliveTimer() override;
    void StartKeepAliveTimer();
    void LinkLost();
    void KeepAliveTimerFun();
    bool IsKeepAliveWatchdogRunning() const { return m_KeepAliveWorker && m_KeepAliveWorker->IsWorking(); }
    int KeepAliveTickMs() const { return m_KeepAliveTickMs; }

    // ---- firmware update
    // What an update under way waits for; the device-detection manager gives each wait its time.
    using FirmwareWait = ILoggerFace::FirmwareWait;
    FirmwareWait PendingFirmwareWait(qint64& waitedMs) const override;
    // Gives the update up: nothing is awaited any more, the busy and update flags are cleared.
    void AbandonFirmwareUpdate() override;
    void EnterBootLoaderModeAckHandler() override;
    void EnterBootLoaderModeInfoAckHandler() override;
    void BootLoaderInfoPacketAckHandler() override;
    void BootLoaderEndtAckHandler() override;
    void FwProgTick(int percent, const QString& text) override;
    bool IsBootLoaderFlag() const { return m_Logger.bootLoader; }
    bool IsFirmwareWritten() const override { return m_bKeepWaitingAfterUpdate; }
    // True once after the boot-loader refused the file it was sent.
    bool TakeFirmwareRefusal() override;
    void ClearFirmwareFlags() override;
    // Announces the firmware file's size to the boot-loader, which then asks for the blocks.
    void StartFirmwareTransfer();

    // Benchmarks measure the storage delay: after each stored block the observer gets the
    // time (steady clock, ns) at which the block's last byte was read from the port.
    void SetStoreObserver(std::function<void(qint64 arrivalNs, int rows)> observer);
    static qint64 NowNs();

    std::atomic<int> m_DetectionTries{0};
    // Hellos a port gets before the search moves on (tests shorten the search).
    std::atomic<int> m_MaxHelloTries{MaxHelloTries};
    std::atomic<bool> m_bExit{false};
    std::atomic<bool> m_bOpenRetryAbort{false};
    // Set by a cancelled search until the poller has stopped.
    std::atomic<bool> m_bDetectionCancelled{false};
    std::atomic<bool> m_bOpenFinished{true};
    std::atomic<bool> m_bPortOpen{false};
    // A read of the open port failed; cleared when the port opens again.
    std::atomic<bool> m_bLinkLost{false};
    std::atomic<bool> m_bTransferUnderWay{false};
    std::atomic<bool> m_bFirmwareRefused{false};
    // Counts the closes of the link: a command written before one is not written again after.
    std::atomic<int> m_LinkCloses{0};

protected:
    bool DetectionWanted() const override { return !m_bDetectionCancelled; }
    void StampDataReception() override;
    void StampStatusReception() override;

private:
    static void RxThreadProc(void* self);
    static void TxThreadProc(void* self);
    static void ProcessDataThreadProc(void* self);
    static void DtThreadProc(void* self);
    static void KeepAliveThreadProc(void* self);
    void PelorinRx();
    void PelorinTx();
    void ProcessLoop();
    void TxLoop();
    void WakeProcessor();
    bool WaitForAck(int ms);
    // Sleeps up to ms, returning early (false) when exit is requested.
    bool SleepUnlessExit(int ms);
    bool CommandExpectsAck(unsigned char id) const;
    bool PortPresent(const QString& name) const;
    void NoteArrival(int bytes);
    void OnRowsStored(int rows);
    void SendNextFirmwareBlock();
    // On the poller: ends a search the user gave up (stops, closes what it opened).
    bool EndCancelledDetection();
    std::vector<std::function<void()>> FinishClose();
    void RunCloseDone(std::vector<std::function<void()>> done);

    ILogicServices* m_pLogic = nullptr;
    CPelorinManagerHost m_Host;

    QMutex m_TxLock;
    QWaitCondition m_TxCond;
    bool m_bTxPending = false;
    QMutex m_ProcLock;
    QWaitCondition m_ProcCond;
    bool m_bProcPending = false;
    // Held by the reader across a read and its copy into the ring, so closing the port never
    // leaves a chunk in flight that lands after the ring was cleared.
    QMutex m_ReadLock;
    // Held around each pass of the receive machine; closing resets the machine under it.
    QMutex m_ProcessDataLock;
    // A close waits for the processor to store what was received; the callers' completions.
    std::atomic<bool> m_bClosing{false};
    QMutex m_CloseLock;
    std::vector<std::function<void()>> m_CloseDone;

    CThreadWorker* m_RxWorker = nullptr;
    CThreadWorker* m_TxWorker = nullptr;
    CThreadWorker* m_ProcWorker = nullptr;
    CThreadWorker* m_DtWorker = nullptr;
    CThreadWorker* m_KeepAliveWorker = nullptr;

    CSafeQueue<CommandParametersStruct> m_CommandQueue;
    CommandParametersStruct m_CurrentCommand;

    std::atomic<IPortEnumerator*> m_pEnumerator{nullptr};
    QList<CPortInfo> m_CandidatePorts;
    QString m_CandidateName;
    mutable QMutex m_PortNameLock;
    QString m_RememberedPort;
    // The port last handled as unplugged while connected (the interface thread's).
    QString m_LostPort;
    std::atomic<bool> m_bRememberedPortValid{false};

    // Keep-alive watchdog: reception stamps on a monotonic clock.
    QElapsedTimer m_Clock;
    std::atomic<qint64> m_KeepAliveDataTimeStamp{0};
    qint64 m_KeepAliveTimeOldStamp = 0;
    int m_KeepAliveCountWarn = 0;
    int m_KeepAliveTickMs = 1000;

    QFile m_FirmwareFile;
    void NoteFirmwareWait(FirmwareWait wait);
    std::atomic<FirmwareWait> m_FirmwareWait{FirmwareWait::None};
    std::atomic<qint64> m_FirmwareWaitSinceMs{0};

    // Storage-delay measurement (only while an observer is set).
    struct Arrival
    {
        qint64 endByte;
        qint64 ns;
    };
    std::atomic<bool> m_bObserveStores{false};
    QMutex m_ArrivalLock;
    std::deque<Arrival> m_Arrivals;
    qint64 m_BytesWritten = 0;
    std::function<void(qint64, int)> m_StoreObserver;
    bool m_bExited = false;
};

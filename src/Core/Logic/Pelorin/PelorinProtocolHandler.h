#pragma once
// The Pelorin protocol handler: runs the receive state machine over the ring, turns each frame
// into the logger's events (acknowledgements, status, runs, data packets, downloads, snapshots,
// timing events), dispatches outgoing commands, and owns the acknowledgement event the command
// sender waits on.
#include "Core/Base/CommandParameters.h"
#include "Core/Base/ILogger.h"
#include "Core/Logic/Pelorin/PelorinProtocol.h"
#include "Core/Logic/Pelorin/PelorinRxMachine.h"

#include <QMutex>
#include <QSemaphore>

#include <atomic>

class CPelorinProtocolHandler : public CPelorinProtocol, private Pelorin::IRxSink, private Pelorin::IRxSource
{
public:
    CPelorinProtocolHandler();
    ~CPelorinProtocolHandler() override;

    // The logger interface of the manager this handler belongs to; handed to the data store.
    void SetLogger(ILogger* logger);
    ILogger* Logger() const { return m_pLogger; }

    // One step of the receive machine; false when the state's bytes are not there yet.
    bool DataReceivedHandler();
    // Steps while the ring holds what the machine expects, and stops as soon as a step makes no
    // progress; returns the number of steps taken. The packet processor calls it at every wake-up
    // (it tests the ring itself), so a resynchronisation asked for by another thread is applied
    // even when the machine's last expected count is not met.
    int ProcessReceivedData(int maxSteps = 1 << 20);
    // Back to hunting for a frame head (a closed link, a lost one); takes effect at the next step.
    void ResetReceiveState();
    short ReceiveState() const { return m_Rx.state(); }

    void SendCommandHandler(CommandParametersStruct& cmd, unsigned char& unused);

    void SignalCmdRecivedEvent();
    void ResetCmdRecivedEvent();
    bool WaitforCmdRecivedEvent(int ms);
    int CmdRecivedEventTokens() const { return m_CmdEvent.available(); }

    void PreRunReqHandler();
    void PreRunResetVaribles();

    // Runs, packets, downloads, snapshots and timing events.
    void RunAckHandler();
    void ExperimentStartedHandler(int kind);
    void CreateDataEntry(int, int kind);
    void DataPacketHeaderHandler(const unsigned char* header);
    void DataPacketHandler(const unsigned char* data, int rows);
    // Packets of the run missing before the packet numbered `number` (under m_RecordLock).
    qint64 LostPacketsBefore(quint32 number) const;
    void SnapShotHandler(const unsigned char* data, int rows);
    void ConvertLoggerDataSample(const unsigned char* data, int rows, bool isSnapshot);
    void DownloadAckHandler();
    void DownloadFinshed();
    void ExperimentEndedHandler();
    void StopAckHandler();
    void CreateTimingData();
    void HandleTimingData(const unsigned char* event, int n);

    // Boot-loader replies: the transfer itself lives with the firmware update.
    virtual void EnterBootLoaderModeAckHandler();
    virtual void EnterBootLoaderModeInfoAckHandler() {}
    virtual void BootLoaderInfoPacketAckHandler() {}
    virtual void BootLoaderEndtAckHandler() {}

    // Logger state read through the logger interface.
    std::atomic<bool> m_bConnected{false};
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bFirmwareBusy{false};
    std::atomic<bool> m_bBluetooth{false};
    std::atomic<bool> m_bSnapShot{false};
    std::atomic<bool> m_bDownload{false};
    std::atomic<bool> m_bKeepWaitingAfterUpdate{false};
    // A run request went out and its run has not started yet.
    std::atomic<bool> m_bRunRequested{false};
    // The current Run request has had its run: further acknowledgements of it (a late one, the
    // answer to a resend) start nothing.
    std::atomic<bool> m_bRunAnswered{false};
    // The sender is writing a command again because its acknowledgement did not come.
    std::atomic<bool> m_bResending{false};
    // Samples of a manual-sampling run asked for and not yet received; -1 outside such a run.
    // A request written again after a late acknowledgement is answered twice by the logger,
    // but the user asked for one sample.
    std::atomic<int> m_ManualSamplesOwed{-1};
    std::atomic<int> m_ExperimentType{0};
    std::atomic<int> m_RateCode{0};
    std::atomic<short> m_DetectionState{0};
    std::atomic<double> m_LoggerType{0.0};
    // The run's work area and the timing-event counter the data store and logic manager reach.
    CLoggerProtocolState m_ProtocolState;

protected:
    // The keep-alive watchdog of Bluetooth links belongs to the manager.
    virtual void StopKeepAliveTimer() {}
    virtual void StampDataReception() {}
    virtual void ClearDataReceptionStamp() {}
    virtual void StampStatusReception() {}
    // False once the user gave the search up: a hello answered after that connects nothing.
    virtual bool DetectionWanted() const { return true; }
    void OnReceiveRingCleared() override { m_bResync = true; }
    bool LinkIsBluetooth() const override { return m_bBluetooth; }

private:
    // True when a live packet of a manual-sampling run answers a request still owed one.
    bool TakeOwedManualSample();
    // Receive-machine events.
    void OnHello(const unsigned char* p, int n) override;
    void OnStatus(const unsigned char* p, int n) override;
    void OnKeepAlive(const unsigned char* p, int n) override;
    void OnRunAck() override { RunAckHandler(); }
    void OnStopAck() override { StopAckHandler(); }
    void OnShutdown() override;
    void OnGoodbyeAck() override;
    void OnDownloadReply(const unsigned char* p, int n) override;
    void OnCalibrationSet() override;
    void OnSnapshotAck() override;
    void OnRangeSet() override;
    void OnSensorIdWritten() override;
    void OnTimingStart() override { CreateTimingData(); }
    void OnTimingEvent(const unsigned char* p, int n) override { HandleTimingData(p, n); }
    void OnStoredRunEnded() override;
    void OnBootEntered() override { EnterBootLoaderModeAckHandler(); }
    void OnBootReady() override { EnterBootLoaderModeInfoAckHandler(); }
    void OnBootBlockAck(const unsigned char* p, int n) override;
    void OnBootFinished(const unsigned char* p, int n) override;
    int DataRowBytes(int& channels) override;
    void OnDataHeader(const unsigned char* header) override { DataPacketHeaderHandler(header); }
    bool AcceptDataHeader(const unsigned char* header, int lengthByte) override;
    void OnDataBlock(const unsigned char* data, int rows) override;
    void OnAcknowledge() override { SignalCmdRecivedEvent(); }
    void OnBadFrame(const char* why) override;
    void OnReadFailed(const char* what) override;

    // The ring as the machine's byte source.
    bool HasExpected() const override;
    const unsigned char* Take(int count) override;
    void SetExpected(qint64 count) override;

    void Announce(PelorinEvent event, int arg = 0);
    bool SetupTriggered();
    void CheckResync();

    ILogger* m_pLogger = nullptr;
    Pelorin::CPelorinRxMachine m_Rx;
    std::atomic<bool> m_bResync{false};
    QSemaphore m_CmdEvent;
    QMutex m_CmdEventLock;

    // The decoding plan of the packet being received.
    Pelorin::PacketMode m_PlanMode = Pelorin::PacketMode::Live;
    Pelorin::DecodeChannel m_Plan[Pelorin::kMaxChannels];
    int m_PlanChannels = 0;
    unsigned char m_PlanPositions[Pelorin::kMaxPositions] = {};
    struct CalibrationPair
    {
        int position;
        float gain;
        float offset;
    };
    CalibrationPair m_PlanPair[Pelorin::kMaxChannels] = {};
    int m_PlanPairs = 0;
    std::vector<int> m_SelectedIndex;
    // Packet numbers of the run or download under way: the last one taken, and whether the
    // packet being received repeats one already stored.
    quint32 m_LastPacketNumber = 0;
    bool m_bRepeatedPacket = false;
    // Rows of the packets lost before the one being read, stored as gaps ahead of its rows.
    qint64 m_LostRows = 0;
    double m_Row[Pelorin::kMaxChannels] = {};
    std::vector<double> m_Block;
};

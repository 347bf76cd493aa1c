#pragma once
// CDravletProtocolHandler: turns the frames its receive machine cuts out of the receive ring
// into events (acknowledgements, handshake, status, data packets, timing values), maps a
// command record to its frame, and owns the acknowledgement event the command sender waits on.
#include "Core/Logic/Dravlet/DravletProtocol.h"
#include "Core/Logic/Dravlet/DravletRxMachine.h"

#include <QMutex>
#include <QSemaphore>
#include <QElapsedTimer>

#include <atomic>

class CDravletProtocolHandler : private Dravlet::IRxSource, private Dravlet::IRxSink, public CDravletProtocol
{
public:
    static constexpr quint16 s_IdleState = 15;
    static constexpr int s_MaxStopRequests = 9;
    // The most rows a packet hands to the store at once (a packet holds fewer).
    static constexpr int s_BlockRows = 32;

    enum DetectionState : short {
        DetectSearch = 1,
        DetectWaitHandshake = 3,
        DetectFound = 4,
        DetectNotFound = 5,
        DetectBootLoader = 6
    };

    CDravletProtocolHandler();
    ~CDravletProtocolHandler() override;

    // One step of the receive machine; the packet processor calls it while the ring holds the
    // expected length. `current` is the record the sender is working on.
    void DataReceivedHandler(CommandParametersStruct& current);
    void SendCommandHandler(CommandParametersStruct& command, unsigned char& reply);

    // ---- acknowledgement event (at most one permit is ever held)
    void SignalCmdRecivedEvent();
    void ResetCmdRecivedEvent();
    bool WaitforCmdRecivedEvent(int ms);

    // ---- steps
    void StopAckHandler(const CommandParametersStruct& current);
    void RunAckHandler(const CommandParametersStruct& current);
    void SnapShotAckHandler(const CommandParametersStruct& current);
    void ManualSampleShotAckHandler();
    void HandShakeHandler();
    void BootLoaderHandShake();
    void StatusResHandler(unsigned char commandId, const unsigned char* packet);
    void ExperimentEndHandler();

    void CreateTimingData() override;
    void CreateDataEntry(int channel, int kind);

    // Refreshes the active positions that stored rows are made of from the setup.
    void RefreshActiveSensors();

    quint16 ReceiveState() const { return m_Rx.state(); }
    // A streaming run whose data stopped for well beyond what its rate allows.
    bool RunFellSilent() const;
    static constexpr qint64 s_MinSilenceMs = 4000;
    // The shortest silence that counts (tests shorten it).
    std::atomic<qint64> m_MinSilenceMs{s_MinSilenceMs};
    // A run that fell silent is asked for the interface's status this often, and given up as
    // unplugged when no answer came within s_SilenceProbeMs.
    static constexpr qint64 s_SilenceProbeEveryMs = 500;
    static constexpr qint64 s_SilenceProbeMs = 1500;
    // Milliseconds since the last run ended; -1 before any run has ended.
    qint64 MsSinceStop() const { return m_StopTime.isValid() ? m_StopTime.elapsed() : -1; }
    qint64 PacketCounter() const { return m_ProtocolState.m_TimingEventCounter; }
    int StopCounter() const { return m_StopCounter; }
    qint64 TimingCounter() const { return m_TimingCounter; }

    std::atomic<bool> m_bCmdAcknowledged{false};
    std::atomic<bool> m_bPortOpen{false};
    std::atomic<bool> m_bConnected{false};
    std::atomic<bool> m_bBootLoaderMode{false};
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bRunStart{false};
    std::atomic<bool> m_bSnapshotPending{false};
    std::atomic<bool> m_bFirmwareBusy{false};
    std::atomic<bool> m_bStatusAnswered{false};
    // The user gave the search up: a handshake that comes after that connects nothing.
    std::atomic<bool> m_bDetectionCancelled{false};
    // The sender is writing its command again because the acknowledgement did not come.
    std::atomic<bool> m_bResending{false};
    // Samples of a manual-sampling run asked for and not yet received; -1 outside such a run.
    // A request written again after a late acknowledgement is answered twice by the interface,
    // but the user asked for one sample.
    std::atomic<int> m_ManualSamplesOwed{-1};
    std::atomic<short> m_DetectionState{DetectSearch};
    std::atomic<double> m_LoggerType{0.0};
    std::atomic<int> m_ExperimentKind{1};
    unsigned char m_LastOpcode = 0;

protected:
    // ---- data packets and timing values (DravletProtocolHandler_run.cpp)
    // A data packet, or null when its bytes were gone; false when it is refused.
    bool DataPacketStep(const unsigned char* packet);
    bool DataPacketHandle(const unsigned char* packet);
    bool AcceptDataPacket();
    // True when a packet of a manual-sampling run answers a request still owed one.
    bool TakeOwedManualSample();
    void NoteDataArrival();
    void ConvertLoggerDataSample(const unsigned char* packet, bool decodeOnly, bool store);
    bool TriggerHandler();
    // The trigger kind (1 above, 2 below) the teacher chose behind the interface's raw mode.
    int ChosenTriggerKind(int rawMode) const;
    void SnapShotDataPackHandler(const unsigned char* packet);
    // Timing values of `length` bytes, or null when they were gone.
    void TimingValueStep(const unsigned char* values, int length);
    // One passage (or pair of passages) through the data store's timing computation into the
    // run's timing branch; a, b, c, d, e as the store takes them.
    void StoreTimingResult(double a, double b, double c, double d, double e);
    void ShowDravletEventRecording();
    void StartLiveRun();
    void EndRunNow();
    // The interface answered while its run had fallen silent: a packet was lost on the way and
    // the run's count can never be reached. The run ends as a normal end with what it stored.
    void EndSilentRun();
    void ControlRelay();

    // ---- the frames of the receive machine (DravletProtocolHandler_rx.cpp)
    // Back to hunting with nothing given back (the link closed: its bytes are gone).
    void ResetReceive();
    // Skips `count` received bytes (given-back ones first) when that many are there; else nothing.
    void SkipReceived(int count);
    void FirmwareEchoStep(CommandParametersStruct& current, const unsigned char* echo);
    void Acknowledge();

    QElapsedTimer m_StopTime;
    QElapsedTimer m_RunStartTime;
    QSemaphore m_CmdEvent;
    QMutex m_CmdEventLock;

    int m_StopCounter = 0;
    qint64 m_TimingCounter = 0;
    bool m_WaitForTrigger = false;
    // When the last data packet of the run was taken and the silence allowed after it (0: the
    // run is not being watched). Written by the packet processor, read by the reader.
    QElapsedTimer m_DataClock;
    std::atomic<qint64> m_LastDataMs{0};
    std::atomic<qint64> m_SilenceLimitMs{0};
    // When the status of a silent run was first asked for (on m_DataClock); -1: not asked.
    std::atomic<qint64> m_SilenceProbeSinceMs{-1};
    std::atomic<qint64> m_SilenceProbeSentMs{-1};
    int m_TriggerChannel = -1;
    int m_TriggerLevel = -1;
    double m_RunValues[DravletData::s_MaxValues] = {};

    // Under m_StateLock.
    unsigned char m_ActivePositions[DravletSetupView::s_Channels] = {};
    int m_ActiveCount = 0;

    // The packet processor's copy of the state for the step it is working.
    void TakeView();
    DravletInterfaceState m_View;
    DravletRateInfo m_ViewRate;
    unsigned char m_ViewActive[DravletSetupView::s_Channels] = {};
    int m_ViewActiveCount = 0;

private:
    // The receive ring as the machine's byte source. The machine sets the length it needs at
    // every step, mostly the one it needed before: an unchanged length is not stored again.
    qint64 Available() const final { return AvailableBytes(); }
    const unsigned char* Take(int count) final;
    bool Skip(int count) final { return MoveSerialBufferIndex(count); }
    void SetExpected(qint64 count) final
    {
        if (m_expectedLength.load(std::memory_order_relaxed) != count) m_expectedLength.store(count);
    }

    // The machine's frames; `current` is the record of the step being run.
    void OnOpcode(unsigned char opcode) override { m_LastOpcode = opcode; }
    void OnRunAck() override { RunAckHandler(*m_pCurrent); }
    void OnStopAck() override { StopAckHandler(*m_pCurrent); }
    void OnSnapshotAck() override;
    void OnSetupAck(unsigned char opcode) override;
    void OnInputModeAck() override;
    void OnTimingRunStarted() override;
    void OnFirmwareStage(unsigned char opcode) override;
    void OnStatus(const unsigned char* packet) override;
    void OnHandshake(const unsigned char* packet) override;
    void OnBootLoaderHandshake() override { BootLoaderHandShake(); }
    bool OnDataPacket(const unsigned char* packet) override { return DataPacketStep(packet); }
    bool TimingHasTwoGates() override { return StateSnapshot().numberOfGates == 2; }
    void OnTimingValues(const unsigned char* values, int length) override { TimingValueStep(values, length); }
    void OnFirmwareEcho(const unsigned char* echo) override { FirmwareEchoStep(*m_pCurrent, echo); }

    Dravlet::CDravletRxMachine m_Rx;
    CommandParametersStruct* m_pCurrent = nullptr;
};

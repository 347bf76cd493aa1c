#include "Core/Logic/DravletProtocolHandler.h"

#include "Core/Base/Diagnostics.h"

#include <algorithm>

namespace {
enum ReceiveState : quint16 {
    StateHunt = 15,
    StateSync = 16,
    StateOpcode = 17,
    StateStatus = 19,
    StateHandshake = 20,
    StateData = 21,
    StateHandshakeKind = 22,
    StateTiming = 23,
    StateFirmwareEcho = 24
};
} // namespace

CDravletProtocolHandler::CDravletProtocolHandler() { m_DataClock.start(); }

CDravletProtocolHandler::~CDravletProtocolHandler() = default;

// ---------------------------------------------------------------------------------------------
// Acknowledgement event

void CDravletProtocolHandler::SignalCmdRecivedEvent()
{
    QMutexLocker lock(&m_CmdEventLock);
    if (m_CmdEvent.available() == 0) m_CmdEvent.release();
}

void CDravletProtocolHandler::ResetCmdRecivedEvent()
{
    QMutexLocker lock(&m_CmdEventLock);
    const int n = m_CmdEvent.available();
    if (n > 0) m_CmdEvent.acquire(n);
}

bool CDravletProtocolHandler::WaitforCmdRecivedEvent(int ms)
{
    return m_CmdEvent.tryAcquire(1, ms);
}

void CDravletProtocolHandler::Acknowledge()
{
    m_bCmdAcknowledged = true;
    SignalCmdRecivedEvent();
}

// ---------------------------------------------------------------------------------------------
// Command records to frames

void CDravletProtocolHandler::SendCommandHandler(CommandParametersStruct& command, unsigned char& reply)
{
    reply = 0;
    switch (command.CommandId()) {
    case CmdStatus: StatusReq(); break;
    case CmdRun:
        // In manual sampling the run starts with one sample.
        if (!m_bResending) m_ManualSamplesOwed = StateSnapshot().loggerRateCode == 0 ? 1 : -1;
        m_bRunStart = true;
        // Packets that arrive before the acknowledgement (when it was lost) start this run,
        // not the end of the last one.
        if (!m_bRunning) m_ProtocolState.m_TimingEventCounter = -1;
        RunReq();
        break;
    case CmdStop:
        StopReq(1);
        ExperimentEndHandler();
        if (m_pHost) m_pHost->LoggerExperimentEnd();
        break;
    case CmdTimingRun:
        m_ManualSamplesOwed = -1;
        m_bRunStart = true;
        CreateTimingData();
        TimingRunReq();
        break;
    case CmdManualSample:
        if (!m_bResending && m_ManualSamplesOwed >= 0) ++m_ManualSamplesOwed;
        m_bRunStart = true;
        SnapshotReq();
        break;
    case CmdSnapshot:
        m_bRunStart = true;
        SnapshotReq();
        break;
    case CmdSetInputMode: AutoDetectReq(command.GetByte(ParFlag) != 0); break;
    case CmdUploadFirmware:
        // The interface's firmware is not transferred by this program.
        command.SetWord(46, 0);
        m_bFirmwareBusy = false;
        break;
    case CmdDravletSetup1: Setup1Req(command); break;
    case CmdDravletSetup2: Setup2Req(command); break;
    default: break;
    }
}

// ---------------------------------------------------------------------------------------------
// Receive machine

const unsigned char* CDravletProtocolHandler::ReadRing(int count)
{
    long sum = 0;
    if (m_ReplayAt >= m_Replay.size() && !m_Replay.isEmpty()) {
        m_Replay.clear();
        m_ReplayAt = 0;
    }
    const int left = GivenBackLeft();
    if (left == 0 || count < 0) return ReadCycliceBuffer(count, sum);
    if (count <= left) {
        const auto* p = reinterpret_cast<const unsigned char*>(m_Replay.constData()) + m_ReplayAt;
        m_ReplayAt += count;
        return p;
    }
    const unsigned char* rest = ReadCycliceBuffer(count - left, sum);
    if (!rest) return nullptr;
    m_Joined = m_Replay.mid(m_ReplayAt);
    m_Joined.append(reinterpret_cast<const char*>(rest), count - left);
    m_Replay.clear();
    m_ReplayAt = 0;
    return reinterpret_cast<const unsigned char*>(m_Joined.constData());
}

void CDravletProtocolHandler::Expect(qint64 count)
{
    SetExpectedLength(std::max<qint64>(count - GivenBackLeft(), 0));
}

void CDravletProtocolHandler::GiveBack(const unsigned char* bytes, int count)
{
    if (!bytes || count < 1) return;
    // The bytes may lie in the given-back store itself: copied before it is rebuilt.
    QByteArray back(reinterpret_cast<const char*>(bytes), count);
    back.append(m_Replay.mid(m_ReplayAt));
    m_Replay = back;
    m_ReplayAt = 0;
}

void CDravletProtocolHandler::SkipReceived(int count)
{
    const int left = GivenBackLeft();
    if (left + AvailableBytes() < count) return;
    const int fromStore = std::min(left, count);
    m_ReplayAt += fromStore;
    if (count > fromStore) MoveSerialBufferIndex(count - fromStore);
}

void CDravletProtocolHandler::ToIdle()
{
    m_ReceiveState = StateHunt;
    Expect(1);
}

void CDravletProtocolHandler::ResetReceive()
{
    m_Replay.clear();
    m_ReplayAt = 0;
    m_Joined.clear();
    ToIdle();
}

void CDravletProtocolHandler::DataReceivedHandler(CommandParametersStruct& current)
{
    switch (m_ReceiveState) {
    case StateHunt: {
        const unsigned char* b = ReadRing(1);
        if (b && *b == DravletFrames::s_ReplySync0) m_ReceiveState = StateSync;
        Expect(1);
        break;
    }
    case StateSync: {
        const unsigned char* b = ReadRing(1);
        if (!b) break;
        if (*b == DravletFrames::s_ReplySync1) m_ReceiveState = StateOpcode;
        else if (*b != DravletFrames::s_ReplySync0) m_ReceiveState = StateHunt;
        Expect(1);
        break;
    }
    case StateOpcode: {
        const unsigned char* b = ReadRing(1);
        if (!b) break;
        m_LastOpcode = *b;
        Dispatch(*b, current);
        break;
    }
    case StateStatus: {
        const unsigned char* p = ReadRing(DravletFrames::s_StatusLength);
        if (p && m_bRunning && m_SilenceProbeSinceMs >= 0) EndSilentRun();
        else if (p) StatusResHandler(current.CommandId(), p);
        ToIdle();
        break;
    }
    case StateHandshake: {
        const unsigned char* p = ReadRing(DravletFrames::s_HandshakeLength);
        if (p && HandShakeRes(p, DravletFrames::s_HandshakeLength)) HandShakeHandler();
        ToIdle();
        break;
    }
    case StateData: DataPacketStep(); break;
    case StateHandshakeKind: {
        const unsigned char* b = ReadRing(1);
        if (b && *b == 0) {
            m_ReceiveState = StateHandshake;
            Expect(DravletFrames::s_HandshakeLength);
        } else {
            if (b) BootLoaderHandShake();
            ToIdle();
        }
        break;
    }
    case StateTiming: TimingValueStep(); break;
    case StateFirmwareEcho: FirmwareEchoStep(current); break;
    default: ToIdle(); break;
    }
}

void CDravletProtocolHandler::Dispatch(unsigned char opcode, CommandParametersStruct& current)
{
    const unsigned char id = current.CommandId();
    ToIdle();
    switch (opcode) {
    case 0x01: RunAckHandler(current); break;
    case 0x02: StopAckHandler(current); break;
    case 0x03:
        if (id == CmdManualSample) ManualSampleShotAckHandler();
        else SnapShotAckHandler(current);
        break;
    case 0x04:
        m_ReceiveState = StateStatus;
        Expect(DravletFrames::s_StatusLength);
        break;
    case 0x06:
    case 0x07:
        if ((opcode == 0x06 && id == CmdDravletSetup1) || (opcode == 0x07 && id == CmdDravletSetup2)) Acknowledge();
        m_ReceiveState = StateStatus;
        Expect(DravletFrames::s_StatusLength);
        break;
    case 0x08:
        m_ReceiveState = StateHandshakeKind;
        Expect(1);
        break;
    case 0x09:
        m_ReceiveState = StateData;
        Expect(DravletFrames::s_DataPacketLength);
        break;
    case 0x0A:
        if (id == CmdSetInputMode) {
            QMutexLocker lock(&m_StateLock);
            m_State.autoDetect = current.GetByte(ParFlag) != 0;
            Acknowledge();
        }
        break;
    case 0x0C:
        m_ProtocolState.m_TimingEventCounter = -1;
        m_RunStartTime.start();
        if (id == CmdTimingRun) Acknowledge();
        break;
    case 0x11:
        m_TimingLength = StateSnapshot().numberOfGates == 2 ? 16 : 8;
        m_ReceiveState = StateTiming;
        Expect(m_TimingLength);
        break;
    case 0xF1:
        if (current.GetByte(ParFirmwareFirst) == 1) {
            current.SetWord(48, current.GetWord(46));
            current.SetByte(ParFirmwareFirst, 2);
            m_bFirmwareBusy = true;
            current.SetWord(46, 0);
        }
        break;
    case 0xF2:
        if (current.GetByte(ParFirmwareFirst) == 2) {
            current.SetWord(48, quint16(current.GetWord(48) + current.GetWord(46)));
            current.SetByte(ParFirmwareFirst, 3);
            m_bFirmwareBusy = true;
            current.SetWord(46, 0);
        }
        break;
    case 0xF3:
        m_ReceiveState = StateFirmwareEcho;
        Expect(4);
        break;
    case 0xF4:
        if (current.GetByte(ParFirmwareFirst) == 0) Acknowledge();
        break;
    default: break; // unknown opcode: hunt for the next frame
    }
}

void CDravletProtocolHandler::FirmwareEchoStep(CommandParametersStruct& current)
{
    const unsigned char* p = ReadRing(4);
    if (p && current.GetByte(ParFirmwareFirst) == 3) {
        const quint16 total = quint16(current.GetWord(48) + current.GetWord(46));
        current.SetWord(48, total);
        const quint16 echoTotal = quint16((p[0] << 8) | p[1]);
        const quint16 echoBlock = quint16((p[2] << 8) | p[3]);
        if (echoTotal == total && echoBlock == current.GetWord(ParFirmwareBlock))
            current.SetWord(ParFirmwareBlock, quint16(current.GetWord(ParFirmwareBlock) + 64));
        current.SetByte(ParFirmwareFirst, 1);
        m_bFirmwareBusy = true;
        current.SetWord(46, 0);
    }
    ToIdle();
}

// ---------------------------------------------------------------------------------------------
// Steps

void CDravletProtocolHandler::RunAckHandler(const CommandParametersStruct& current)
{
    // The acknowledgement of a re-sent Run may come after the run's first packets: the run
    // then goes on in its folder instead of starting a second one.
    const bool streaming = m_bRunning && m_ProtocolState.m_TimingEventCounter >= 0;
    if (!streaming) {
        m_SilenceLimitMs = 0;
        m_SilenceProbeSinceMs = -1;
        m_ProtocolState.m_TimingEventCounter = -1;
        m_RunStartTime.start();
        m_StopCounter = 0;
        m_ProtocolState.ClearRunArea();
        if (m_pHost) m_pHost->InitBeforeRun();
    }
    if (current.CommandId() == CmdRun) {
        // The acknowledged Run is the run the coming packets belong to.
        m_bRunStart = true;
        Acknowledge();
    }
}

void CDravletProtocolHandler::StopAckHandler(const CommandParametersStruct& current)
{
    if (current.CommandId() != CmdStop) return;
    m_bRunning = false;
    if (m_pHost) m_pHost->LoggerExperimentEnd();
    Acknowledge();
}

void CDravletProtocolHandler::SnapShotAckHandler(const CommandParametersStruct& current)
{
    if (current.CommandId() == CmdSnapshot) m_bSnapshotPending = true;
    // What the interface sends behind this acknowledgement is not used.
    SkipReceived(DravletFrames::s_SnapshotSkipLength);
    Acknowledge();
}

void CDravletProtocolHandler::ManualSampleShotAckHandler()
{
    SkipReceived(DravletFrames::s_SnapshotSkipLength);
    Acknowledge();
    Acknowledge();
}

void CDravletProtocolHandler::HandShakeHandler()
{
    if (m_bDetectionCancelled) {
        MyOutputDebugString("Handshake after the search was given up: ignored", DiagDravletHan);
        return;
    }
    m_bConnected = true;
    const short previous = m_DetectionState.exchange(DetectFound);
    m_LoggerType = 12.0;
    if (m_pHost) {
        m_pHost->LoggerIdentified(true);
        if (previous != DetectFound) m_pHost->LoggerEndDetection(true);
    }
}

void CDravletProtocolHandler::BootLoaderHandShake()
{
    m_bBootLoaderMode = true;
    m_DetectionState = DetectBootLoader;
    m_LoggerType = 12.0;
    m_bConnected = true;
    if (m_pHost) {
        m_pHost->LoggerIdentified(false);
        m_pHost->RequestFirmwareUpload();
    }
}

void CDravletProtocolHandler::StatusResHandler(unsigned char commandId, const unsigned char* packet)
{
    if (!m_bStatusAnswered) {
        // The first answer only tells the status re-send worker that the interface is there.
        m_bStatusAnswered = true;
        if (!StateSnapshot().autoDetect) return;
    }
    if (commandId == CmdRun || commandId == CmdDravletSetup1) {
        if (m_pHost) m_pHost->LoggerStatusArrived(0);
        return;
    }
    StatusRes(packet, DravletFrames::s_StatusLength);
    if (commandId == CmdDravletSetup2) {
        if (m_pHost) m_pHost->LoggerStatusArrived(0);
        return;
    }
    if (m_pHost) {
        m_pHost->UpdateSetupInfoFromCore();
        m_pHost->LoggerStatusArrived(1);
    }
    Acknowledge();
}

void CDravletProtocolHandler::ExperimentEndHandler()
{
    m_StopTime.start();
    unsigned char positions[DravletSetupView::s_Channels] = {};
    int count = 0;
    {
        QMutexLocker lock(&m_StateLock);
        count = m_ActiveCount;
        for (int i = 0; i < count; ++i) positions[i] = m_ActivePositions[i];
    }
    if (m_pHost) m_pHost->ConvertAndStoreLastOnlineSamples(count, positions);
}

void CDravletProtocolHandler::RefreshActiveSensors()
{
    if (!m_pHost) return;
    const DravletSetupView setup = m_pHost->ReadSetup();
    int n = setup.activeCount;
    if (n < 0) n = 0;
    if (n > DravletSetupView::s_Channels) n = DravletSetupView::s_Channels;
    QMutexLocker lock(&m_StateLock);
    for (int i = 0; i < DravletSetupView::s_Channels; ++i)
        m_ActivePositions[i] = i < n ? setup.activePositions[i] : 0;
    m_ActiveCount = n;
}

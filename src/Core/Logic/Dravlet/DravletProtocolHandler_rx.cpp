// The Dravlet handler's receive machine: hunts for a frame head in the bytes of the receive
// ring, reads the frame its opcode announces and hands it to its step; a frame that cannot be
// right is given back and hunted through again.
#include "Core/Logic/Dravlet/DravletProtocolHandler.h"

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

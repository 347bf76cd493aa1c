#include "Core/Logic/Dravlet/DravletRxMachine.h"

#include <algorithm>

namespace Dravlet {

namespace {

// The opcodes of the interface's replies.
enum ReplyOpcode : unsigned char {
    ReplyRun = 0x01,
    ReplyStop = 0x02,
    ReplySnapshot = 0x03,
    ReplyStatus = 0x04,
    ReplySetup1 = 0x06,
    ReplySetup2 = 0x07,
    ReplyHandshake = 0x08,
    ReplyData = 0x09,
    ReplyInputMode = 0x0A,
    ReplyTimingRun = 0x0C,
    ReplyTimingValues = 0x11,
    ReplyFirmwareStage1 = 0xF1,
    ReplyFirmwareStage2 = 0xF2,
    ReplyFirmwareEcho = 0xF3,
    ReplyFirmwareDone = 0xF4
};

} // namespace

const unsigned char* CDravletRxMachine::TakeGivenBack(IRxSource& source, int count)
{
    if (m_ReplayAt >= m_Replay.size() && !m_Replay.isEmpty()) {
        m_Replay.clear();
        m_ReplayAt = 0;
    }
    const int left = GivenBackLeft();
    if (left == 0 || count < 0) return source.Take(count);
    if (count <= left) {
        const auto* p = reinterpret_cast<const unsigned char*>(m_Replay.constData()) + m_ReplayAt;
        m_ReplayAt += count;
        return p;
    }
    const unsigned char* rest = source.Take(count - left);
    if (!rest) return nullptr;
    m_Joined = m_Replay.mid(m_ReplayAt);
    m_Joined.append(reinterpret_cast<const char*>(rest), count - left);
    m_Replay.clear();
    m_ReplayAt = 0;
    return reinterpret_cast<const unsigned char*>(m_Joined.constData());
}

void CDravletRxMachine::GiveBack(const unsigned char* bytes, int count)
{
    if (!bytes || count < 1) return;
    // The bytes may lie in the given-back store itself: copied before it is rebuilt.
    QByteArray back(reinterpret_cast<const char*>(bytes), count);
    back.append(m_Replay.mid(m_ReplayAt));
    m_Replay = back;
    m_ReplayAt = 0;
}

void CDravletRxMachine::Skip(IRxSource& source, int count)
{
    const int left = GivenBackLeft();
    if (left + source.Available() < count) return;
    const int fromStore = std::min(left, count);
    m_ReplayAt += fromStore;
    if (count > fromStore) source.Skip(count - fromStore);
}

void CDravletRxMachine::Reset(IRxSource& source)
{
    m_Replay.clear();
    m_ReplayAt = 0;
    m_Joined.clear();
    ToIdle(source);
}

void CDravletRxMachine::StepFrame(IRxSource& source, IRxSink& sink)
{
    switch (m_State) {
    case Sync: {
        const unsigned char* b = Take(source, 1);
        if (!b) break;
        // Another "=" may still be the head: it stays in this state.
        if (*b == DravletFrames::s_ReplySync1) Next(source, Opcode, 1);
        else Next(source, *b == DravletFrames::s_ReplySync0 ? Sync : Hunt, 1);
        break;
    }
    case Opcode: {
        const unsigned char* b = Take(source, 1);
        if (!b) break;
        const unsigned char opcode = *b;
        sink.OnOpcode(opcode);
        Dispatch(source, sink, opcode);
        break;
    }
    case StatusReply: {
        const unsigned char* p = Take(source, kStatusLength);
        if (p) sink.OnStatus(p);
        ToIdle(source);
        break;
    }
    case Handshake: {
        const unsigned char* p = Take(source, kHandshakeLength);
        if (p) sink.OnHandshake(p);
        ToIdle(source);
        break;
    }
    case DataPacket: DataStep(source, sink); break;
    case HandshakeKind: {
        // A 0 before the handshake is the interface's own program; anything else its boot loader.
        const unsigned char* b = Take(source, 1);
        if (b && *b == 0) {
            Next(source, Handshake, kHandshakeLength);
        } else {
            if (b) sink.OnBootLoaderHandshake();
            ToIdle(source);
        }
        break;
    }
    case TimingValues: {
        const unsigned char* p = Take(source, m_TimingLength);
        ToIdle(source);
        sink.OnTimingValues(p, m_TimingLength);
        break;
    }
    case FirmwareEcho: {
        const unsigned char* p = Take(source, kEchoLength);
        if (p) sink.OnFirmwareEcho(p);
        ToIdle(source);
        break;
    }
    default: ToIdle(source); break;
    }
}

void CDravletRxMachine::DataStep(IRxSource& source, IRxSink& sink)
{
    const unsigned char* p = Take(source, kDataPacketLength);
    if (!sink.OnDataPacket(p) && p) GiveBack(p, kDataPacketLength);
    ToIdle(source);
}

void CDravletRxMachine::Dispatch(IRxSource& source, IRxSink& sink, unsigned char opcode)
{
    // Frames without a payload end here; the sink may still skip what follows them.
    ToIdle(source);
    switch (opcode) {
    case ReplyRun: sink.OnRunAck(); break;
    case ReplyStop: sink.OnStopAck(); break;
    case ReplySnapshot: sink.OnSnapshotAck(); break;
    case ReplyStatus: Next(source, StatusReply, kStatusLength); break;
    case ReplySetup1:
    case ReplySetup2:
        sink.OnSetupAck(opcode);
        Next(source, StatusReply, kStatusLength);
        break;
    case ReplyHandshake: Next(source, HandshakeKind, 1); break;
    case ReplyData: Next(source, DataPacket, kDataPacketLength); break;
    case ReplyInputMode: sink.OnInputModeAck(); break;
    case ReplyTimingRun: sink.OnTimingRunStarted(); break;
    case ReplyTimingValues:
        m_TimingLength = sink.TimingHasTwoGates() ? 2 * kTimingLength : kTimingLength;
        Next(source, TimingValues, m_TimingLength);
        break;
    case ReplyFirmwareStage1:
    case ReplyFirmwareStage2:
    case ReplyFirmwareDone: sink.OnFirmwareStage(opcode); break;
    case ReplyFirmwareEcho: Next(source, FirmwareEcho, kEchoLength); break;
    default: break; // unknown opcode: hunt for the next frame
    }
}

} // namespace Dravlet

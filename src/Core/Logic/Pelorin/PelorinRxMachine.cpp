#include "Core/Logic/Pelorin/PelorinRxMachine.h"

#include "Core/Logic/Pelorin/PelorinFrames.h"
#include "Core/Logic/Pelorin/PelorinTypes.h"

#include <algorithm>

namespace Pelorin {

namespace {

// Next state by opcode; 0 for opcodes the machine ignores.
short StateOfOpcode(unsigned char op)
{
    switch (op) {
    case OpRun: return CPelorinRxMachine::RunAck;
    case OpStop: return CPelorinRxMachine::StopAck;
    case OpStatus: return CPelorinRxMachine::StatusReply;
    case OpSetRange: return CPelorinRxMachine::RangeSet;
    case OpSnapshot: return CPelorinRxMachine::SnapshotAck;
    case OpHello: return CPelorinRxMachine::HelloReply;
    case OpData: return CPelorinRxMachine::DataHeader;
    case OpGoodbye: return CPelorinRxMachine::GoodbyeAck;
    case OpTimingRun: return CPelorinRxMachine::TimingStart;
    case OpTimingEvent: return CPelorinRxMachine::TimingEvent;
    case OpDownload: return CPelorinRxMachine::DownloadReply;
    case OpShutdown: return CPelorinRxMachine::ShuttingDown;
    case OpKeepAlive: return CPelorinRxMachine::KeepAliveReply;
    case OpSetCalibration: return CPelorinRxMachine::CalibrationSet;
    case OpWriteSensorId: return CPelorinRxMachine::SensorIdWritten;
    case OpBootEnter: return CPelorinRxMachine::BootEntered;
    case OpBootInfo: return CPelorinRxMachine::BootReady;
    case OpBootBlock: return CPelorinRxMachine::BootBlockAck;
    case OpBootLeave: return CPelorinRxMachine::BootFinished;
    default: return 0;
    }
}

}  // namespace

void CPelorinArraySource::Append(const QByteArray& bytes) { Append(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size()); }

void CPelorinArraySource::Append(const unsigned char* data, int n)
{
    if (!data || n < 1)
        return;
    // Drop what was consumed once it dominates, so a long stream does not grow without end.
    if (m_Pos > 65536 && m_Pos > m_Data.size() / 2) {
        m_Data.remove(0, m_Pos);
        m_Pos = 0;
    }
    m_Data.append(reinterpret_cast<const char*>(data), n);
}

const unsigned char* CPelorinArraySource::Take(int count)
{
    static const unsigned char s_Empty = 0;
    if (count < 0 || count > Available())
        return nullptr;
    if (count == 0)
        return &s_Empty;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(m_Data.constData()) + m_Pos;
    m_Pos += count;
    return p;
}

void CPelorinArraySource::Clear()
{
    m_Data.clear();
    m_Pos = 0;
    m_Expected = 1;
}

void CPelorinRxMachine::Reset(IRxSource* source)
{
    m_State = Sync0;
    m_Expected = 1;
    m_DataRows = 0;
    m_FrameLength = 0;
    m_Replay.clear();
    m_ReplayAt = 0;
    if (source)
        source->SetExpected(1);
}

const unsigned char* CPelorinRxMachine::Take(IRxSource& source, int count)
{
    if (m_ReplayAt > 0 && ReplayLeft() <= 0) {
        m_Replay.clear();
        m_ReplayAt = 0;
    }
    const int replay = ReplayLeft();
    const unsigned char* p = nullptr;
    if (replay <= 0 || count == 0) {
        p = source.Take(count);
    } else if (replay >= count) {
        p = reinterpret_cast<const unsigned char*>(m_Replay.constData()) + m_ReplayAt;
        m_ReplayAt += count;
    } else {
        const unsigned char* rest = source.Take(count - replay);
        if (!rest)
            return nullptr;
        m_Joined = m_Replay.mid(m_ReplayAt);
        m_Joined.append(reinterpret_cast<const char*>(rest), count - replay);
        m_Replay.clear();
        m_ReplayAt = 0;
        p = reinterpret_cast<const unsigned char*>(m_Joined.constData());
    }
    if (p)
        m_Consumed += count;
    return p;
}

void CPelorinRxMachine::Next(IRxSource& source, short state, qint64 expected)
{
    m_State = state;
    m_Expected = expected;
    // Given-back bytes count towards what the source must still deliver.
    source.SetExpected(expected > 0 ? std::max<qint64>(expected - ReplayLeft(), 0) : expected);
}

void CPelorinRxMachine::Record(const unsigned char* p, int n)
{
    for (int i = 0; i < n && m_FrameLength < int(sizeof(m_Frame)); ++i)
        m_Frame[m_FrameLength++] = p[i];
}

void CPelorinRxMachine::Refuse(IRxSource& source, IRxSink& sink, const char* why)
{
    sink.OnBadFrame(why);
    // Everything after the refused frame's first byte is hunted through again: the real frame
    // that garbage with a frame head ran into starts somewhere in there.
    if (m_FrameLength > 1) {
        QByteArray back(reinterpret_cast<const char*>(m_Frame + 1), m_FrameLength - 1);
        back.append(m_Replay.mid(m_ReplayAt));
        m_Replay = back;
        m_ReplayAt = 0;
    }
    m_FrameLength = 0;
    Next(source, Sync0, 1);
}

void CPelorinRxMachine::CommonEnding(IRxSource& source, IRxSink& sink)
{
    sink.OnAcknowledge();
    Next(source, Sync0, 1);
}

bool CPelorinRxMachine::Hunt(IRxSource& source, IRxSink&)
{
    const unsigned char* b = Take(source, 1);
    if (!b)
        return false;
    if (m_State == Sync0) {
        Next(source, *b == kDeviceHead0 ? Sync1 : Sync0, 1);
    } else if (*b == kDeviceHead1) {
        m_FrameLength = 0;
        const unsigned char head[2] = {kDeviceHead0, kDeviceHead1};
        Record(head, 2);
        Next(source, FrameHead, 2);
    } else {
        Next(source, Sync1, 1);  // keeps waiting for 0xB7
    }
    return true;
}

bool CPelorinRxMachine::FrameHeadStep(IRxSource& source, IRxSink& sink)
{
    const unsigned char* b = Take(source, 2);
    if (!b)
        return false;
    const int length = b[0];
    const unsigned char op = b[1];
    Record(b, 2);
    m_LengthByte = length;
    if (op == OpStoredRunEnded) {
        // The logger finished a run it recorded by itself; the frame is complete.
        Next(source, FrameHead, 2);
        sink.OnStoredRunEnded();
        return true;
    }
    const short next = StateOfOpcode(op);
    if (next == 0) {
        if (length == kDeviceHead0 && op == kDeviceHead1) {
            // The head of a following frame read as a pair: its length and opcode come next.
            m_FrameLength = 2;
            Next(source, FrameHead, 2);
        } else {
            // An opcode nobody knows: hunt for the next frame head, which also skips whatever
            // payload the frame had and keeps byte pairs from drifting out of step.
            Next(source, Sync0, 1);
        }
        return true;
    }
    if (length == 0) {
        // A length of 0 covers not even the opcode.
        Refuse(source, sink, "length byte 0");
        return true;
    }
    qint64 payload = length - 1;
    if (op == OpStop)
        payload = 0;
    else if (op == OpDownload)
        payload = length - 2;
    else if (op == OpKeepAlive)
        payload = 1;
    else if (op == OpData)
        payload = kDataHeaderSize;
    if (payload < 0) {
        Refuse(source, sink, "length byte too small");
        return true;
    }
    Next(source, next, payload);
    return true;
}

bool CPelorinRxMachine::DataHeaderStep(IRxSource& source, IRxSink& sink)
{
    const unsigned char* h = Take(source, kDataHeaderSize);
    if (!h) {
        sink.OnReadFailed("PELORIN_STATE_STREAMING_DATA_PACKET_HEADER FAILD TO READ");
        Next(source, Sync0, 1);
        return false;
    }
    Record(h, kDataHeaderSize);
    const int rows = ReadU16(h + 4);
    int channels = 0;
    const int rowBytes = sink.DataRowBytes(channels);
    const qint64 bytes = qint64(rows) * rowBytes;
    // The block size comes from the logger and from our channel table: refuse what cannot be a
    // packet instead of waiting for (or reading) a block that never ends.
    if (channels < 0 || channels > kMaxChannels || rowBytes < 0 || (rows > 0 && rowBytes == 0)
        || bytes > kMaxDataBlock) {
        Refuse(source, sink, "data packet size");
        return true;
    }
    if (!sink.AcceptDataHeader(h, m_LengthByte)) {
        Refuse(source, sink, "data packet header");
        return true;
    }
    m_FrameLength = 0;
    sink.OnDataHeader(h);
    m_DataRows = rows;
    Next(source, DataRows, bytes);
    return true;
}

bool CPelorinRxMachine::PayloadStep(IRxSource& source, IRxSink& sink)
{
    // States that act without reading their payload.
    switch (m_State) {
    case RunAck: sink.OnRunAck(); CommonEnding(source, sink); return true;
    case StopAck: sink.OnStopAck(); CommonEnding(source, sink); return true;
    case ShuttingDown: Next(source, Sync0, 1); sink.OnShutdown(); return true;
    case GoodbyeAck: Next(source, Sync0, 1); sink.OnGoodbyeAck(); return true;
    case CalibrationSet: sink.OnCalibrationSet(); CommonEnding(source, sink); return true;
    case SnapshotAck: sink.OnSnapshotAck(); CommonEnding(source, sink); return true;
    case RangeSet: sink.OnRangeSet(); CommonEnding(source, sink); return true;
    case SensorIdWritten: Next(source, Sync0, 1); sink.OnSensorIdWritten(); return true;
    case BootEntered: Next(source, Sync0, 1); sink.OnBootEntered(); return true;
    case BootReady: Next(source, Sync0, 1); sink.OnBootReady(); return true;
    default: break;
    }
    const int n = int(m_Expected);
    const unsigned char* p = Take(source, n);
    if (!p) {
        switch (m_State) {
        case StatusReply: sink.OnReadFailed("PELORIN_STATE_RESPOND_TO_STATUS FAILED"); break;
        case HelloReply: sink.OnReadFailed("PELORIN_STATE_RESPOND_TO_HELLO -FAILED"); break;
        case BootBlockAck: sink.OnReadFailed("PELORIN_STATE_ACK_BOOTLOADER_INFO_PACKET -FAILED"); break;
        case DataRows:
            sink.OnReadFailed("PELORIN_STATE_STREAMING_DATA_PACKET_DATA FAILED TO READ");
            Next(source, Sync0, 1);
            break;
        default: break;
        }
        return false;
    }
    const short state = m_State;
    // Back to hunting before the handler runs, so a handler that resets the machine wins.
    Next(source, Sync0, 1);
    switch (state) {
    case StatusReply: sink.OnStatus(p, n); sink.OnAcknowledge(); break;
    case KeepAliveReply: sink.OnKeepAlive(p, n); break;
    case HelloReply: sink.OnHello(p, n); break;
    case DownloadReply: sink.OnDownloadReply(p, n); sink.OnAcknowledge(); break;
    case TimingStart: sink.OnTimingStart(); sink.OnAcknowledge(); break;
    case TimingEvent: sink.OnTimingEvent(p, n); break;
    case BootBlockAck: sink.OnBootBlockAck(p, n); break;
    case BootFinished: sink.OnBootFinished(p, n); break;
    case DataRows: sink.OnDataBlock(p, m_DataRows); break;
    default: break;
    }
    return true;
}

bool CPelorinRxMachine::Step(IRxSource& source, IRxSink& sink)
{
    switch (m_State) {
    case Sync0:
    case Sync1: return Hunt(source, sink);
    case FrameHead: return FrameHeadStep(source, sink);
    case DataHeader: return DataHeaderStep(source, sink);
    case StatusReply: case KeepAliveReply: case DataRows: case HelloReply: case RunAck: case StopAck:
    case ShuttingDown: case GoodbyeAck: case DownloadReply: case CalibrationSet: case BootEntered:
    case BootFinished: case BootReady: case BootBlockAck: case SnapshotAck: case RangeSet:
    case SensorIdWritten: case TimingStart: case TimingEvent:
        return PayloadStep(source, sink);
    default:
        sink.OnBadFrame("blackBox protocol handler unknown state recived - returning to 1 sync byte");
        Next(source, Sync0, 1);
        return true;
    }
}

int CPelorinRxMachine::Run(IRxSource& source, IRxSink& sink, int maxSteps)
{
    int done = 0;
    while (done < maxSteps) {
        if (m_Expected != 0 && ReplayLeft() < m_Expected && !source.HasExpected())
            break;
        const qint64 before = m_Consumed;
        const short stateBefore = m_State;
        if (!Step(source, sink))
            break;
        // A step that consumed nothing and stayed in its state would repeat for ever.
        if (m_Consumed == before && m_State == stateBefore)
            break;
        ++done;
    }
    return done;
}

}  // namespace Pelorin

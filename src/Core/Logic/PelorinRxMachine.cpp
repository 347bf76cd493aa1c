#include "Core/Logic/PelorinRxMachine.h"

#include "Core/Logic/PelorinFrames.h"
#include "Core/Logic/PelorinTypes.h"

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
    if (source)
        source->SetExpected(1);
}

const unsigned char* CPelorinRxMachine::Take(IRxSource& source, int count)
{
    const unsigned char* p = source.Take(count);
    if (p)
        m_Consumed += count;
    return p;
}

void CPelorinRxMachine::Next(IRxSource& source, short state, qint64 expected)
{
    m_State = state;
    m_Expected = expected;
    source.SetExpected(expected);
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
    if (m_State == Sync0)
        Next(source, *b == kDeviceHead0 ? Sync1 : Sync0, 1);
    else if (*b == kDeviceHead1)
        Next(source, FrameHead, 2);
    else
        Next(source, Sync1, 1);  // keeps waiting for 0xB7
    return true;
}

bool CPelorinRxMachine::FrameHeadStep(IRxSource& source, IRxSink& sink)
{
    const unsigned char* b = Take(source, 2);
    if (!b)
        return false;
    const int length = b[0];
    const unsigned char op = b[1];
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
        sink.OnBadFrame("length byte 0");
        Next(source, Sync0, 1);
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
        sink.OnBadFrame("length byte too small");
        Next(source, Sync0, 1);
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
    const int rows = ReadU16(h + 4);
    int channels = 0;
    const int rowBytes = sink.DataRowBytes(channels);
    const qint64 bytes = qint64(rows) * rowBytes;
    // The block size comes from the logger and from our channel table: refuse what cannot be a
    // packet instead of waiting for (or reading) a block that never ends.
    if (channels < 0 || channels > kMaxChannels || rowBytes < 0 || (rows > 0 && rowBytes == 0)
        || bytes > kMaxDataBlock) {
        sink.OnBadFrame("data packet size");
        Next(source, Sync0, 1);
        return true;
    }
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
        if (m_Expected != 0 && !source.HasExpected())
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

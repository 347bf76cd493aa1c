#pragma once
// The receive state machine of the Pelorin link: cuts device frames ("=" 0xB7, length, opcode,
// payload) out of a byte source one state at a time and hands each to a sink. It owns no bytes
// and no threads, so it runs the same over the receive ring, a test script or a fuzz input.
#include <QByteArray>

namespace Pelorin {

// Where the machine takes its bytes from (the receive ring in the program).
class IRxSource
{
public:
    virtual ~IRxSource() = default;
    // True when at least the count last given to SetExpected is waiting.
    virtual bool HasExpected() const = 0;
    // count bytes, contiguous, or null (nothing consumed) when fewer are waiting. A count of 0
    // gives a valid empty block.
    virtual const unsigned char* Take(int count) = 0;
    // The machine's next need, for the caller's wait.
    virtual void SetExpected(qint64 count) = 0;
};

// What the machine reports. Payload pointers stay valid only during the call.
class IRxSink
{
public:
    virtual ~IRxSink() = default;
    virtual void OnHello(const unsigned char*, int) {}
    virtual void OnStatus(const unsigned char*, int) {}
    virtual void OnKeepAlive(const unsigned char*, int) {}
    virtual void OnRunAck() {}
    virtual void OnStopAck() {}
    virtual void OnShutdown() {}
    virtual void OnGoodbyeAck() {}
    virtual void OnDownloadReply(const unsigned char*, int) {}
    virtual void OnCalibrationSet() {}
    virtual void OnSnapshotAck() {}
    virtual void OnRangeSet() {}
    virtual void OnSensorIdWritten() {}
    virtual void OnTimingStart() {}
    virtual void OnTimingEvent(const unsigned char*, int) {}
    virtual void OnStoredRunEnded() {}
    virtual void OnBootEntered() {}
    virtual void OnBootReady() {}
    virtual void OnBootBlockAck(const unsigned char*, int) {}
    virtual void OnBootFinished(const unsigned char*, int) {}
    // Data packets: the bytes of one row for the coming packet and the channel count behind them
    // (asked before the header is accepted), then the header, then the rows.
    virtual int DataRowBytes(int& channels) = 0;
    // Whether a data header (and the frame's length byte) can belong to the packet expected
    // now; a header refused here is dropped and the machine hunts again from the byte after
    // its frame head, so a real frame hidden in it is still found.
    virtual bool AcceptDataHeader(const unsigned char* header, int lengthByte)
    {
        Q_UNUSED(header);
        Q_UNUSED(lengthByte);
        return true;
    }
    virtual void OnDataHeader(const unsigned char* header) { Q_UNUSED(header); }
    virtual void OnDataBlock(const unsigned char*, int rows) { Q_UNUSED(rows); }
    // A reply that ends a command the sender may be waiting on.
    virtual void OnAcknowledge() {}
    // A frame that cannot be right was dropped; the machine hunts for the next one.
    virtual void OnBadFrame(const char* why) { Q_UNUSED(why); }
    // Diagnostics of a failed read, named as the states are.
    virtual void OnReadFailed(const char* what) { Q_UNUSED(what); }
};

// A byte source over a plain growing array (scripts, recorded streams, fuzz inputs).
class CPelorinArraySource : public IRxSource
{
public:
    void Append(const QByteArray& bytes);
    void Append(const unsigned char* data, int n);
    qint64 Available() const { return m_Data.size() - m_Pos; }
    bool HasExpected() const override { return Available() >= m_Expected; }
    const unsigned char* Take(int count) override;
    void SetExpected(qint64 count) override { m_Expected = count; }
    qint64 expected() const { return m_Expected; }
    void Clear();

private:
    QByteArray m_Data;
    int m_Pos = 0;
    qint64 m_Expected = 1;
};

class CPelorinRxMachine
{
public:
    enum State : short {
        Sync0 = 100,
        Sync1 = 101,
        FrameHead = 102,
        StatusReply = 103,
        KeepAliveReply = 104,
        DataHeader = 105,
        DataRows = 106,
        HelloReply = 107,
        RunAck = 108,
        StopAck = 109,
        ShuttingDown = 110,
        GoodbyeAck = 111,
        DownloadReply = 112,
        CalibrationSet = 113,
        BootEntered = 114,
        BootFinished = 115,
        BootReady = 116,
        BootBlockAck = 117,
        SnapshotAck = 118,
        RangeSet = 119,
        SensorIdWritten = 120,
        TimingStart = 121,
        TimingEvent = 122
    };

    // Header and row sizes: the data-packet header, and the largest data block accepted (the
    // ring hands out at most this much in one read).
    static constexpr int kDataHeaderSize = 6;
    static constexpr qint64 kMaxDataBlock = 0x3FFFF;

    // One step: false when the state's bytes are not there yet (nothing consumed).
    bool Step(IRxSource& source, IRxSink& sink);
    // Steps while the source holds what the machine expects; stops when a step makes no
    // progress or maxSteps is reached. Returns the number of steps that did something.
    int Run(IRxSource& source, IRxSink& sink, int maxSteps = 1 << 20);

    void Reset(IRxSource* source = nullptr);
    short state() const { return m_State; }
    qint64 expected() const { return m_Expected; }
    // Test hook: any state value, also ones the machine never enters.
    void ForceState(short s) { m_State = s; }

private:
    const unsigned char* Take(IRxSource& source, int count);
    int ReplayLeft() const { return m_Replay.size() - m_ReplayAt; }
    void Record(const unsigned char* p, int n);
    void Refuse(IRxSource& source, IRxSink& sink, const char* why);
    void Next(IRxSource& source, short state, qint64 expected);
    bool Hunt(IRxSource& source, IRxSink& sink);
    bool FrameHeadStep(IRxSource& source, IRxSink& sink);
    bool DataHeaderStep(IRxSource& source, IRxSink& sink);
    bool PayloadStep(IRxSource& source, IRxSink& sink);
    void CommonEnding(IRxSource& source, IRxSink& sink);

    short m_State = Sync0;
    qint64 m_Expected = 1;
    int m_DataRows = 0;
    int m_LengthByte = 0;
    qint64 m_Consumed = 0;
    // The bytes of the frame being read, from its head up to its data header: given back to
    // the hunt when the frame is refused.
    unsigned char m_Frame[4 + kDataHeaderSize] = {};
    int m_FrameLength = 0;
    // Bytes given back, read before the source; and a block that spans both.
    QByteArray m_Replay;
    int m_ReplayAt = 0;
    QByteArray m_Joined;
};

}  // namespace Pelorin

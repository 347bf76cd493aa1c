#pragma once
// The receive state machine of the Dravlet link: hunts for the reply head ("=" 0xB7) in a byte
// source one state at a time, reads the opcode and the fixed-length payload it announces and
// hands each frame to a sink. It owns no bytes and no threads, so it runs the same over the
// receive ring, a test script or a fuzz input. A frame the sink refuses is given back and
// hunted through again.
#include "Core/Logic/Dravlet/DravletFrames.h"

#include <QByteArray>

namespace Dravlet {

// Where the machine takes its bytes from (the receive ring in the program).
class IRxSource
{
public:
    virtual ~IRxSource() = default;
    virtual qint64 Available() const = 0;
    // count bytes, contiguous, or null (nothing consumed) when fewer are waiting. Valid until
    // the next Take.
    virtual const unsigned char* Take(int count) = 0;
    // Drops count bytes; false (nothing dropped) when fewer are waiting.
    virtual bool Skip(int count) = 0;
    // The machine's next need, for the caller's wait.
    virtual void SetExpected(qint64 count) = 0;
};

// What the machine reports. Payload pointers stay valid only during the call.
class IRxSink
{
public:
    virtual ~IRxSink() = default;
    // Every frame's opcode, before its step.
    virtual void OnOpcode(unsigned char opcode) { Q_UNUSED(opcode); }
    virtual void OnRunAck() {}
    virtual void OnStopAck() {}
    // A snapshot or manual sample was taken. The bytes behind the frame carry nothing the
    // program uses; the sink has the machine skip them (CDravletRxMachine::Skip) when they
    // are there, before it wakes the command sender.
    virtual void OnSnapshotAck() {}
    // A setup frame (opcode 6 or 7) was taken; a status follows.
    virtual void OnSetupAck(unsigned char opcode) { Q_UNUSED(opcode); }
    virtual void OnInputModeAck() {}
    virtual void OnTimingRunStarted() {}
    // A firmware stage ended (opcodes 0xF1, 0xF2, 0xF4).
    virtual void OnFirmwareStage(unsigned char opcode) { Q_UNUSED(opcode); }
    virtual void OnStatus(const unsigned char* packet) { Q_UNUSED(packet); }
    virtual void OnHandshake(const unsigned char* packet) { Q_UNUSED(packet); }
    virtual void OnBootLoaderHandshake() {}
    // A data packet, or null when its bytes were gone (the ring was cleared under the
    // machine). False refuses the packet: its bytes are hunted through again.
    virtual bool OnDataPacket(const unsigned char* packet)
    {
        Q_UNUSED(packet);
        return true;
    }
    // Whether the timing values coming now are those of two gates (twice as long).
    virtual bool TimingHasTwoGates() { return false; }
    // Timing values, or null when their bytes were gone.
    virtual void OnTimingValues(const unsigned char* values, int length)
    {
        Q_UNUSED(values);
        Q_UNUSED(length);
    }
    virtual void OnFirmwareEcho(const unsigned char* echo) { Q_UNUSED(echo); }
};

class CDravletRxMachine
{
public:
    enum State : quint16 {
        Hunt = 15,
        Sync = 16,
        Opcode = 17,
        StatusReply = 19,
        Handshake = 20,
        DataPacket = 21,
        HandshakeKind = 22,
        TimingValues = 23,
        FirmwareEcho = 24
    };

    static constexpr int kStatusLength = DravletFrames::s_StatusLength;
    static constexpr int kHandshakeLength = DravletFrames::s_HandshakeLength;
    static constexpr int kDataPacketLength = DravletFrames::s_DataPacketLength;
    static constexpr int kTimingLength = 8;   // one gate; two gates send twice as much
    static constexpr int kEchoLength = 4;

    // One step: the state's bytes are read (when there), handed on, and the next state and
    // the length it needs are set. The hunt for the frame head runs once for every byte of
    // line noise: it is inline, so that a caller that knows its source pays no call for it.
    void Step(IRxSource& source, IRxSink& sink)
    {
        if (m_State != Hunt) {
            StepFrame(source, sink);
            return;
        }
        const unsigned char* b = Take(source, 1);
        Next(source, b && *b == DravletFrames::s_ReplySync0 ? Sync : Hunt, 1);
    }
    // Back to hunting with nothing given back (the link closed: its bytes are gone).
    void Reset(IRxSource& source);
    // Skips count bytes, given-back ones first, when that many are there; else nothing.
    void Skip(IRxSource& source, int count);

    quint16 state() const { return m_State; }

private:
    // count bytes, given-back ones first, then the source's; null (nothing taken) when fewer
    // are there. Valid until the next read. Bytes are rarely given back: the source's own
    // read is the common case, kept cheap.
    const unsigned char* Take(IRxSource& source, int count)
    {
        return m_Replay.isEmpty() ? source.Take(count) : TakeGivenBack(source, count);
    }
    const unsigned char* TakeGivenBack(IRxSource& source, int count);
    // The bytes of a refused frame are hunted through again: a real frame that garbage with a
    // frame head ran into starts among them.
    void GiveBack(const unsigned char* bytes, int count);
    int GivenBackLeft() const { return m_Replay.size() - m_ReplayAt; }
    // The next state needs count bytes: what was given back counts towards them.
    void Next(IRxSource& source, quint16 state, qint64 count)
    {
        m_State = state;
        const qint64 fromSource = count - GivenBackLeft();
        source.SetExpected(fromSource > 0 ? fromSource : 0);
    }
    void ToIdle(IRxSource& source) { Next(source, Hunt, 1); }
    // The steps of every state but the hunt.
    void StepFrame(IRxSource& source, IRxSink& sink);
    void Dispatch(IRxSource& source, IRxSink& sink, unsigned char opcode);
    void DataStep(IRxSource& source, IRxSink& sink);

    quint16 m_State = Hunt;
    int m_TimingLength = kTimingLength;
    // Given-back bytes, read from m_ReplayAt on; and a block that spans them and the source.
    QByteArray m_Replay;
    int m_ReplayAt = 0;
    QByteArray m_Joined;
};

} // namespace Dravlet

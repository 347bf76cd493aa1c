#pragma once
// The interface a simulated logger implements to sit behind CLoggerSimulator.
//
// Writing a device model:
//   1. Derive from kvsim::IDeviceModel.
//   2. frameLength() cuts the host's byte stream into frames. The simulator keeps the bytes
//      that have arrived so far (in whatever chunks the host wrote them) and calls it with the
//      pending bytes each time more arrive, until it returns 0. Use the helpers below for the
//      two host frame styles (length byte, or length fixed by opcode).
//   3. onFrame() is called once per whole host frame, in order, and answers through `out`.
//      onTick() is called every tickIntervalMs() (when above 0) for unsolicited output such as
//      streamed data packets.
//   4. Add the model to ModelFactory.cpp so korvanta-sim --model NAME can create it.
//
// Every call into a model happens on the simulator's own thread, one at a time, so a model
// needs no locks of its own. A test that wants to change a model's state while the simulator
// runs does it through CLoggerSimulator::post(), which runs the change on that thread.
#include "simulator/SignalShape.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace kvsim {

// Where a model's output goes. Each send() is one device frame: the simulator's knobs (delay,
// drop, duplicate, garbage prefix, byte-by-byte writes, silence, unplug) act on it as a whole.
class ISimOutput
{
public:
    virtual ~ISimOutput() = default;
    virtual void send(const QByteArray& frame) = 0;
    // Milliseconds since the simulator started (monotonic), for models that keep time.
    virtual qint64 elapsedMs() const = 0;
    // The device restarts the way a USB device does: once the frames sent so far are on the
    // wire it drops off the bus (its port goes away), and absentMs later it comes back as a new
    // device on a new port.
    virtual void restartAsNewDevice(int absentMs) { (void)absentMs; }
};

class IDeviceModel
{
public:
    virtual ~IDeviceModel() = default;

    // A short name for logs ("echo", "pelorin", "dravlet").
    virtual QString name() const = 0;
    // USB ids the model stands for; korvanta-sim prints a KORVANTA_EXTRA_PORTS entry with them.
    virtual quint16 vendorId() const { return 0; }
    virtual quint16 productId() const { return 0; }

    // Looks at the pending host bytes data[0..size) (size >= 1) and says:
    //   n > 0   a whole frame of n bytes (n <= size) starts at data[0];
    //   0       a frame may start at data[0] but more bytes are needed;
    //   n < 0   the first -n bytes cannot start a frame and are skipped (logged as garbage).
    virtual int frameLength(const unsigned char* data, int size) const = 0;

    virtual void onFrame(const QByteArray& frame, ISimOutput& out) = 0;

    virtual int tickIntervalMs() const { return 0; }
    virtual void onTick(ISimOutput& out) { (void)out; }

    // Called when the link comes up again after replug(); models reset their link state here.
    virtual void onReplug() {}

    // What the model's sensors read. Models made directly (the protocol tests) send the counting
    // pattern; the model factory gives them the simulator's settings, a sine by default.
    virtual void setSignal(const SignalSettings& settings) { (void)settings; }
};

// The two sync bytes every host frame of both loggers starts with.
constexpr unsigned char kHostSync0 = 0xBC;
constexpr unsigned char kHostSync1 = 0x9E;
// The two bytes every device frame starts with ('=' 0xB7).
constexpr unsigned char kDeviceSync0 = 0x3D;
constexpr unsigned char kDeviceSync1 = 0xB7;

// Skips to the next sync pair: returns the negative count of bytes before it, or 0 when
// data[0..1] already is the pair (or data is the single byte s0, which may be its start).
int SkipToSync(const unsigned char* data, int size, unsigned char s0 = kHostSync0,
               unsigned char s1 = kHostSync1);

// Frames "sync0 sync1 length opcode payload" where the length byte counts the bytes after it.
// A length byte of 0 is handed to zeroLength (called with the pending bytes from the sync
// pair on, answering like frameLength); without it such a frame is 3 bytes long.
int LengthByteFrame(const unsigned char* data, int size,
                    const std::function<int(const unsigned char*, int)>& zeroLength = {},
                    unsigned char s0 = kHostSync0, unsigned char s1 = kHostSync1);

// Frames "sync0 sync1 opcode params" whose whole length (sync bytes included) follows from the
// opcode; lengthOf returns it, or a value below 3 for an unknown opcode, whose sync pair is then
// skipped as garbage.
int OpcodeLengthFrame(const unsigned char* data, int size, const std::function<int(unsigned char)>& lengthOf,
                      unsigned char s0 = kHostSync0, unsigned char s1 = kHostSync1);

// Builds "sync0 sync1 length opcode payload" with the length byte counting opcode and payload
// (payloads over 254 bytes do not fit the length byte and yield an empty array).
QByteArray BuildLengthByteFrame(unsigned char opcode, const QByteArray& payload,
                                unsigned char s0 = kDeviceSync0, unsigned char s1 = kDeviceSync1);

} // namespace kvsim

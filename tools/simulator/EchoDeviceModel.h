#pragma once
// A tiny demonstration model: it answers every host frame "BC 9E len opcode payload" with the
// device frame "= B7 len opcode payload" carrying the same opcode and payload. Opcode 0x01
// starts a stream of counter packets (opcode 0x30, 4-byte big-endian count) every
// streamIntervalMs, opcode 0x02 stops it. It exists to test the harness and the serial port,
// not any logger.
#include "simulator/DeviceModel.h"

namespace kvsim {

class CEchoDeviceModel : public IDeviceModel
{
public:
    static constexpr unsigned char kStartStream = 0x01;
    static constexpr unsigned char kStopStream = 0x02;
    static constexpr unsigned char kStreamPacket = 0x30;

    explicit CEchoDeviceModel(int streamIntervalMs = 20) : m_streamIntervalMs(streamIntervalMs) {}

    QString name() const override { return QStringLiteral("echo"); }
    quint16 vendorId() const override { return 0x1209; }  // pid.codes test range
    quint16 productId() const override { return 0x0001; }
    int frameLength(const unsigned char* data, int size) const override;
    void onFrame(const QByteArray& frame, ISimOutput& out) override;
    int tickIntervalMs() const override { return m_streaming ? m_streamIntervalMs : 0; }
    void onTick(ISimOutput& out) override;
    void onReplug() override { m_streaming = false; }

    bool isStreaming() const { return m_streaming; }
    quint32 packetsStreamed() const { return m_counter; }

private:
    int m_streamIntervalMs;
    bool m_streaming = false;
    quint32 m_counter = 0;
};

} // namespace kvsim

#include "simulator/EchoDeviceModel.h"

namespace kvsim {

int CEchoDeviceModel::frameLength(const unsigned char* data, int size) const
{
    return LengthByteFrame(data, size);
}

void CEchoDeviceModel::onFrame(const QByteArray& frame, ISimOutput& out)
{
    if (frame.size() < 4) return; // a zero-length frame has no opcode to echo
    const auto opcode = static_cast<unsigned char>(frame.at(3));
    if (opcode == kStartStream) {
        m_streaming = true;
        m_counter = 0;
    } else if (opcode == kStopStream) {
        m_streaming = false;
    }
    out.send(BuildLengthByteFrame(opcode, frame.mid(4)));
}

void CEchoDeviceModel::onTick(ISimOutput& out)
{
    if (!m_streaming) return;
    QByteArray payload(4, '\0');
    payload[0] = char(m_counter >> 24);
    payload[1] = char(m_counter >> 16);
    payload[2] = char(m_counter >> 8);
    payload[3] = char(m_counter);
    ++m_counter;
    out.send(BuildLengthByteFrame(kStreamPacket, payload));
}

} // namespace kvsim

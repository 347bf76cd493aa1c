#include "simulator/PelorinDevice.h"

namespace kvsim {

namespace {

quint32 U32(const QByteArray& f, int at)
{
    return (quint32(quint8(f[at])) << 24) | (quint32(quint8(f[at + 1])) << 16) | (quint32(quint8(f[at + 2])) << 8)
         | quint8(f[at + 3]);
}

void Put(QByteArray& a, quint32 v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        a.append(char((v >> (8 * i)) & 0xFF));
}

} // namespace

CPelorinDevice::CPelorinDevice() : m_Version(QByteArray::fromHex("010902030405"))
{
    // A temperature sensor (sensor id 2) on the first channel: an id the program's catalogue
    // knows, so a run from the plain simulator records a real measurement.
    Sensor s;
    s.channel = 1;
    s.idLow = 2;
    // The thermistor reads these counts at about 30 and 15 degrees C: a room's temperatures.
    s.span = {2000, 2650};
    m_Sensors << s;
}

int CPelorinDevice::frameLength(const unsigned char* data, int size) const
{
    // The firmware block is the one frame with a length byte of 0: its size follows from the
    // byte count in the frame.
    return LengthByteFrame(data, size, [](const unsigned char* d, int n) {
        if (n < 8)
            return 0;
        const int count = (d[6] << 8) | d[7];
        if (d[3] != 0xF3 || count > 1024)
            return -2;
        return n >= 8 + count ? 8 + count : 0;
    });
}

quint16 CPelorinDevice::Crc16(quint16 crc, const unsigned char* data, int n)
{
    for (int i = 0; i < n; ++i) {
        crc ^= quint16(data[i] << 8);
        for (int b = 0; b < 8; ++b)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x8005) : quint16(crc << 1);
    }
    return crc;
}

quint32 CPelorinDevice::SampleValue(int valueIndex, qint64 sample, int width)
{
    if (width == 4)
        return quint32((sample + 1) * 256 + valueIndex * 16);
    return quint32((valueIndex * 100 + sample) % 4096);
}

QByteArray CPelorinDevice::Frame(unsigned char opcode, const QByteArray& payload, int lengthExtra)
{
    QByteArray f;
    f.append(char(kDeviceSync0));
    f.append(char(kDeviceSync1));
    f.append(char((payload.size() + 1 + lengthExtra) & 0xFF));
    f.append(char(opcode));
    f.append(payload);
    return f;
}

QByteArray CPelorinDevice::DataPacket(quint32 number, const QByteArray& rows, int count)
{
    QByteArray header;
    Put(header, number, 4);
    Put(header, quint32(count), 2);
    // The length byte covers the header only: a packet is longer than one byte can say.
    QByteArray f = Frame(0x09, header);
    f.append(rows);
    return f;
}

void CPelorinDevice::restartFirmware()
{
    m_BootLoader = false;
    m_ResetPending = m_RestartAbsenceMs >= 0;
}

void CPelorinDevice::Restart(ISimOutput& out)
{
    m_ResetPending = false;
    if (m_RestartAbsenceMs >= 0)
        out.restartAsNewDevice(m_RestartAbsenceMs);
}

void CPelorinDevice::onReplug()
{
    m_Running = false;
    m_Timing = false;
    m_StartPending = false;
}

void CPelorinDevice::onFrame(const QByteArray& f, ISimOutput& out)
{
    if (f.size() < 4)
        return;
    const unsigned char op = quint8(f[3]);
    if (m_BootLoader && op != 0x08 && op != 0xF0 && op != 0xF2 && op != 0xF3 && op != 0xF4)
        return;
    switch (op) {
    case 0x08: {
        QByteArray p;
        p.append(char(m_BootLoader ? 1 : 0));
        p.append(m_Version.leftJustified(6, '\0'));
        Put(p, 0x00012345, 4);
        Put(p, 0x0ABC, 2);
        Put(p, 0x0123, 2);
        out.send(Frame(0x08, p));
        break;
    }
    case 0x04: HandleStatus(out); break;
    case 0x01: HandleRun(f, out); break;
    case 0x02:
        m_Running = false;
        m_Timing = false;
        m_StartPending = false;
        out.send(Frame(0x02, {}));
        break;
    case 0x07: HandleSnapshot(out); break;
    case 0x12: HandleDownload(out); break;
    case 0x0C:
        m_GateChannel = f.size() > 9 ? quint8(f[9]) : 0;
        if (m_pFeed) {
            // The request names each gate's channel in a four-byte entry from byte 9 on.
            QVector<int> codes;
            for (int at = 9; at + 3 < f.size(); at += 4)
                codes << quint8(f[at]);
            m_pFeed->Start(codes, codes.size() >= 2);
        }
        HandleTiming(out);
        break;
    case 0x15: out.send(Frame(0x15, QByteArray(1, char(1)))); break;
    case 0x06:
        if (f.size() >= 6) {
            for (Sensor& s : m_Sensors)
                if (s.channel == quint8(f[4]))
                    s.range = quint8(f[5]);
        }
        out.send(Frame(0x06, {}));
        break;
    case 0x40:
        m_LastCalibration = f;
        out.send(Frame(0x40, {}));
        break;
    case 0x42:
        m_LastIdWrite = f;
        out.send(Frame(0x42, {}));
        break;
    case 0x0B: out.send(Frame(0x0B, {})); break;
    case 0xF0: case 0xF2: case 0xF3: case 0xF4: HandleBoot(op, f, out); break;
    default: break;
    }
}

void CPelorinDevice::HandleStatus(ISimOutput& out)
{
    QByteArray p;
    p.append(char(0));
    const quint32 word = m_LastRun.size() >= 8 ? U32(m_LastRun, 4) : 10u;
    const quint32 samples = m_LastRun.size() >= 12 ? (U32(m_LastRun, 8) & 0xFFFFFF) : 100u;
    Put(p, word, 4);
    Put(p, samples, 4);
    p.append(char(m_Running ? 1 : 0));
    p.append(QByteArray(4, '\0'));
    p.append(char(m_Sensors.size()));
    for (const Sensor& s : m_Sensors) {
        p.append(char(s.channel));
        p.append(char(s.idHigh));
        p.append(char(s.idLow));
        p.append(char(s.range));
        p.append(char(s.gain));
        p.append(char(s.offset));
    }
    out.send(Frame(0x04, p));
}

const CPelorinDevice::Sensor* CPelorinDevice::SensorOnChannel(unsigned char channel) const
{
    for (const Sensor& s : m_Sensors)
        if (s.channel == channel)
            return &s;
    return nullptr;
}

int CPelorinDevice::WidthOfChannel(unsigned char channel, int variant) const
{
    const Sensor* s = SensorOnChannel(channel);
    return (s && variant < s->valueWidths.size()) ? s->valueWidths[variant] : 2;
}

QVector<int> CPelorinDevice::RunWidths(const QByteArray& f, QVector<RawSpan>* spans) const
{
    QVector<int> widths;
    const int n = quint8(f[18]);
    for (int i = 0; i < n && 20 + 2 * i < f.size(); ++i) {
        const unsigned char channel = quint8(f[19 + 2 * i]);
        const unsigned char config = quint8(f[20 + 2 * i]);
        const int before = widths.size();
        if (config & 0x04) {
            for (int k = 0; k < 4; ++k)
                if (config & (0x10 << k))
                    widths << WidthOfChannel(channel, k);
        } else {
            widths << WidthOfChannel(channel, 0);
        }
        const Sensor* s = SensorOnChannel(channel);
        for (int k = before; spans && k < widths.size(); ++k)
            *spans << (s ? s->span : RawSpan());
    }
    return widths;
}

} // namespace kvsim

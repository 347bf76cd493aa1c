#include "simulator/DravletDevice.h"

#include <algorithm>
#include <iterator>

namespace kvsim {

namespace {

void put16(QByteArray& a, int at, quint16 v)
{
    a[at] = char(v >> 8);
    a[at + 1] = char(v & 0xFF);
}

void put32(QByteArray& a, int at, quint32 v)
{
    a[at] = char(v >> 24);
    a[at + 1] = char((v >> 16) & 0xFF);
    a[at + 2] = char((v >> 8) & 0xFF);
    a[at + 3] = char(v & 0xFF);
}

quint16 get16(const QByteArray& a, int at) { return quint16((quint8(a[at]) << 8) | quint8(a[at + 1])); }

int widthOf(quint16 kind)
{
    switch (kind) {
    case 0x1000: return 2;
    case 0x2000:
    case 0x3000:
    case 0x4000: return 4;
    default: return 0;
    }
}

bool unlimited(int samples) { return samples == 0 || samples == 89; }

} // namespace

CDravletDeviceModel::CDravletDeviceModel()
{
    for (quint16& z : m_zeroReading) z = 2047;
}

int CDravletDeviceModel::hostFrameLength(unsigned char opcode)
{
    switch (opcode) {
    case 0x08: return 3;
    case 0x01: case 0x02: case 0x03: case 0x04: case 0x0A: case 0x0B:
    case 0x0C: case 0x0F: case 0x10: case 0xF0: return 4;
    case 0x06: return 31;
    case 0x07: return 10;
    default: return 0;
    }
}

int CDravletDeviceModel::frameLength(const unsigned char* data, int size) const
{
    return OpcodeLengthFrame(data, size, [](unsigned char op) { return hostFrameLength(op); });
}

QByteArray CDravletDeviceModel::reply(unsigned char opcode, const QByteArray& payload)
{
    QByteArray f;
    f.append(char(kDeviceSync0));
    f.append(char(kDeviceSync1));
    f.append(char(opcode));
    f.append(payload);
    return f;
}

void CDravletDeviceModel::setSensors(const QVector<Sensor>& sensors) { m_sensors = sensors.mid(0, kChannels); }

void CDravletDeviceModel::setVersions(int fwMajor, int fwMinor, int hwMajor, int hwMinor)
{
    m_fwMajor = fwMajor;
    m_fwMinor = fwMinor;
    m_hwMajor = hwMajor;
    m_hwMinor = hwMinor;
}

void CDravletDeviceModel::setZeroReading(int channel, quint16 raw)
{
    if (channel >= 0 && channel < kChannels) m_zeroReading[channel] = raw;
}

void CDravletDeviceModel::restart(int absentMs)
{
    m_restartAbsentMs = std::max(0, absentMs);
}

void CDravletDeviceModel::queueTimingEvent(quint32 t1, quint32 t2, quint32 t3, quint32 t4)
{
    m_timingEvents.append({t1, t2, t3, t4});
}

void CDravletDeviceModel::onReplug()
{
    m_running = false;
    m_timingRun = false;
    m_relayOn = false;
}

QByteArray CDravletDeviceModel::handshakePayload() const
{
    QByteArray p(28, '\0');
    p[0] = char(m_fwMajor);
    p[1] = char(m_fwMinor);
    p[2] = char(m_hwMajor);
    p[3] = char(m_hwMinor);
    put16(p, 8, quint16(m_c1));
    put16(p, 10, quint16(m_c2));
    return p;
}

QByteArray CDravletDeviceModel::statusPayload() const
{
    QByteArray p(61, '\0');
    p[0] = char(m_autoDetect ? 1 : 0);
    for (int ch = 0; ch < kChannels; ++ch) {
        const int id = ch < m_sensors.size() ? (m_sensors[ch].id & 0xFFF) : 0xFFF;
        put16(p, 1 + 2 * ch, quint16(id));
    }
    p[17] = char(m_timerCount);
    p[18] = char(m_timerReload);
    put16(p, 19, m_ticks);
    put16(p, 22, quint16(m_numberOfSamples));
    p[24] = char(m_loggerRate);
    for (int ch = 0; ch < kChannels; ++ch) put16(p, 29 + 2 * ch, m_zeroReading[ch]);
    p[45] = char(m_timingMethod);
    p[46] = char(m_gates);
    p[47] = char(m_timingParam[0]);
    p[48] = char(m_timingParam[1]);
    put16(p, 49, m_triggerLevel);
    p[51] = char(m_triggerByte);
    return p;
}

qint64 CDravletDeviceModel::rawReading(int channel, int sample, double t) const
{
    const Sensor& s = m_sensors[channel];
    if (s.span.gate >= 0 && m_photogates && s.kind == 0x1000)
        return m_photogates->Raw(s.span.gate, t);
    if (m_signal.shape != SignalShape::Counter && s.kind == 0x1000)
        return std::clamp<qint64>(SignalReading(m_signal, s.span, channel, sample, t), 0, 0x0FFF);
    const qint64 v = s.base + s.step * sample;
    return s.kind == 0x1000 ? (v & 0x0FFF) : v;
}

double CDravletDeviceModel::samplePeriodSec() const
{
    // By logger rate code: 1 hour, 1 minute, 10 s, 1 s, 0.1 s, 25, 100, 500 and 1000 samples a
    // second, the fastest mode, 30 and 10 minutes, 50 a second. A manual sample counts a second.
    static const double kPeriods[] = {1.0, 3600.0, 60.0, 10.0, 1.0, 0.1, 0.04, 0.01, 0.002, 0.001, 0.0, 1800.0, 600.0, 0.02};
    static const double kFastest[] = {10000, 5000, 3333, 2500, 2000, 1666, 1428, 1250};
    if (m_loggerRate == 10) {
        const int n = std::clamp(int(m_sensors.size()), 1, int(std::size(kFastest)));
        return 1.0 / kFastest[n - 1];
    }
    return (m_loggerRate >= 0 && m_loggerRate < int(std::size(kPeriods))) ? kPeriods[m_loggerRate] : 1.0;
}

int CDravletDeviceModel::samplesPerPacket() const
{
    int width = 0;
    for (const Sensor& s : m_sensors) width += widthOf(s.kind);
    int n = (m_loggerRate == 10) ? m_perPacketSetting : 1;
    if (n < 1) n = 1;
    // A packet never carries more than its 28 data bytes hold.
    if (width > 0 && n * width > 28) n = 28 / width;
    return n < 1 ? 1 : n;
}

QByteArray CDravletDeviceModel::dataPacket(int firstSample, int samples, double atSec) const
{
    QByteArray p(29, '\0');
    p[0] = m_firstByteCounts ? char(m_packets & 0xFF) : '\0';
    int at = 1;
    for (int k = 0; k < samples; ++k) {
        for (int ch = 0; ch < m_sensors.size(); ++ch) {
            const int w = widthOf(m_sensors[ch].kind);
            if (at + w > 29) return p;
            const int n = firstSample + k;
            const qint64 v = rawReading(ch, n, atSec >= 0.0 ? atSec : n * samplePeriodSec());
            if (w == 2) put16(p, at, quint16(v));
            else if (w == 4) put32(p, at, quint32(v));
            at += w;
        }
    }
    return p;
}

void CDravletDeviceModel::applySetup1(const QByteArray& f)
{
    m_setup1 = f;
    m_autoDetect = f[3] != 0;
    m_timerCount = quint8(f[20]);
    m_timerReload = quint8(f[21]);
    m_ticks = get16(f, 22);
    m_perPacketSetting = quint8(f[24]);
    m_numberOfSamples = get16(f, 25);
    m_loggerRate = quint8(f[27]);
}

void CDravletDeviceModel::applySetup2(const QByteArray& f)
{
    m_setup2 = f;
    m_timingMethod = quint8(f[3]);
    m_gates = quint8(f[4]);
    m_timingParam[0] = quint8(f[5]);
    m_timingParam[1] = quint8(f[6]);
    m_triggerLevel = get16(f, 7);
    m_triggerByte = quint8(f[9]);
}

bool CDravletDeviceModel::startRun()
{
    // A resent Run while streaming is acknowledged again but does not restart the run. A Run
    // in manual sampling always starts one: the interface holds nothing between samples, so a
    // run whose stop never came is simply replaced.
    if (m_running && !manualSampling()) return false;
    m_running = true;
    m_sampleIndex = 0;
    m_overrunLeft = m_overrun;
    ++m_runs;
    return true;
}

void CDravletDeviceModel::sendNextSample(ISimOutput& out)
{
    out.send(reply(0x09, dataPacket(m_sampleIndex, 1)));
    ++m_sampleIndex;
    ++m_packets;
}

void CDravletDeviceModel::onFrame(const QByteArray& frame, ISimOutput& out)
{
    if (frame.size() < 3) return;
    const auto op = quint8(frame[2]);
    ++m_opcodeCount[op];
    switch (op) {
    case 0x08:
        if (m_bootLoader) out.send(reply(0x08, QByteArray(1, char(1))));
        else out.send(reply(0x08, QByteArray(1, '\0') + handshakePayload()));
        break;
    case 0x04: out.send(reply(0x04, statusPayload())); break;
    case 0x06:
        applySetup1(frame);
        out.send(reply(0x06, statusPayload()));
        break;
    case 0x07:
        applySetup2(frame);
        out.send(reply(0x07, statusPayload()));
        break;
    case 0x01: {
        const bool started = startRun();
        out.send(reply(0x01));
        // Manual sampling: every run starts with one sample; every further one is asked for.
        if (started && manualSampling()) sendNextSample(out);
        break;
    }
    case 0x02:
        // A device slow to stop keeps sending its overrun packets after the count.
        if (!(m_running && !unlimited(m_numberOfSamples) && m_sampleIndex >= m_numberOfSamples && m_overrunLeft > 0))
            m_running = false;
        m_timingRun = false;
        out.send(reply(0x02));
        break;
    case 0x03:
        out.send(reply(0x03, QByteArray(29, '\0')));
        if (m_running && manualSampling()) sendNextSample(out); // the next sample of the run
        else out.send(reply(0x09, dataPacket(m_sampleIndex, 1, out.elapsedMs() / 1000.0))); // readings now
        break;
    case 0x0A:
        m_autoDetect = frame.size() > 3 && frame[3] != 0;
        out.send(reply(0x0A));
        break;
    case 0x0C:
        m_timingRun = true;
        m_gates = (frame.size() > 3 && quint8(frame[3]) >= 2) ? 2 : 1;
        m_timingStartMs = out.elapsedMs();
        if (m_feed) m_feed->Start({0, 1}, m_gates == 2);
        out.send(reply(0x0C));
        break;
    case 0x0F:
        m_relayOn = true;
        m_relayBits = frame.size() > 3 ? quint8(frame[3]) : 0;
        break;
    case 0x10:
        m_relayOn = false;
        m_relayBits = frame.size() > 3 ? quint8(frame[3]) : 0;
        break;
    case 0xF0: m_bootLoaderRequested = true; break;
    default: break; // goodbye and anything else: nothing to answer
    }
}

int CDravletDeviceModel::tickIntervalMs() const
{
    const bool streaming = m_running && !manualSampling();
    // Photogate lessons sample fast passages: their packets keep to the run's rate, up to 1000
    // a second, so a run lasts its real time.
    if (streaming && m_photogates)
        return std::clamp(int(samplePeriodSec() * 1000.0 * samplesPerPacket()), 1, m_packetIntervalMs);
    if (m_restartAbsentMs >= 0) return 1;
    return (streaming || (m_timingRun && (!m_timingEvents.isEmpty() || m_feed))) ? m_packetIntervalMs : 0;
}

void CDravletDeviceModel::onTick(ISimOutput& out)
{
    if (m_restartAbsentMs >= 0) {
        // Back from its restart with the state it has when it is switched on.
        const int absent = m_restartAbsentMs;
        const CDravletDeviceModel fresh;
        m_restartAbsentMs = -1;
        m_running = m_timingRun = m_relayOn = false;
        m_autoDetect = fresh.m_autoDetect;
        m_loggerRate = fresh.m_loggerRate;
        m_numberOfSamples = fresh.m_numberOfSamples;
        m_setup1.clear();
        m_setup2.clear();
        out.restartAsNewDevice(absent);
        return;
    }
    if (m_timingRun && !m_timingEvents.isEmpty()) {
        const QVector<quint32> e = m_timingEvents.takeFirst();
        QByteArray p(m_gates == 2 ? 16 : 8, '\0');
        for (int i = 0; i < p.size() / 4; ++i) put32(p, 4 * i, e[i]);
        out.send(reply(0x11, p));
    }
    if (m_timingRun && m_feed)
        for (const QByteArray& p : m_feed->DravletDue(double(out.elapsedMs() - m_timingStartMs) / 1000.0))
            out.send(reply(0x11, p));
    if (!m_running || manualSampling()) return;
    int n = samplesPerPacket();
    // With a level trigger the program stores from the packet that passes it, so the run's
    // count starts there: the interface streams on until it is told to stop.
    const int triggerMode = m_triggerByte >> 4;
    const bool limited = !unlimited(m_numberOfSamples) && triggerMode != 1 && triggerMode != 2;
    if (limited && m_sampleIndex >= m_numberOfSamples) {
        // The count was reached: only the configured overrun packets follow.
        if (m_overrunLeft <= 0) {
            m_running = false;
            return;
        }
        --m_overrunLeft;
    } else if (limited && m_sampleIndex + n > m_numberOfSamples) {
        n = m_numberOfSamples - m_sampleIndex;
    }
    out.send(reply(0x09, dataPacket(m_sampleIndex, n)));
    m_sampleIndex += n;
    ++m_packets;
    if (limited && m_sampleIndex >= m_numberOfSamples && m_overrunLeft <= 0) m_running = false;
}

} // namespace kvsim

// Runs of the simulated Pelorin logger: streaming, offline recording, download, snapshot, photogate
// events and the boot-loader.
#include "simulator/PelorinDevice.h"

#include <algorithm>
#include <cmath>

namespace kvsim {

namespace {

quint32 U32(const QByteArray& f, int at)
{
    return (quint32(quint8(f[at])) << 24) | (quint32(quint8(f[at + 1])) << 16) | (quint32(quint8(f[at + 2])) << 8)
         | quint8(f[at + 3]);
}

quint16 U16(const QByteArray& f, int at) { return quint16((quint8(f[at]) << 8) | quint8(f[at + 1])); }

void Put(QByteArray& a, quint32 v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        a.append(char((v >> (8 * i)) & 0xFF));
}

double PerSecond(quint32 word)
{
    const double count = word & 0xFFFFFF;
    switch (word >> 24) {
    case 1: return count / 60.0;
    case 2: return count / 3600.0;
    default: return count;
    }
}

} // namespace

quint32 CPelorinDevice::Reading(int valueIndex, qint64 sample, int width, const RawSpan& span, double t) const
{
    if (span.gate >= 0 && m_pPhotogates && width == 2)
        return m_pPhotogates->Raw(span.gate, t);
    if (m_Signal.shape == SignalShape::Counter || width != 2)
        return SampleValue(valueIndex, sample, width);
    return quint32(std::clamp<qint64>(SignalReading(m_Signal, span, valueIndex, sample, t), 0, 0x0FFF));
}

QByteArray CPelorinDevice::Row(qint64 sample) const
{
    QByteArray row;
    const qint64 s = m_FirstSample + sample;
    for (int v = 0; v < m_RunWidths.size(); ++v)
        Put(row, Reading(v, s, m_RunWidths[v], m_RunSpans.value(v), s * m_SecondsPerSample), m_RunWidths[v]);
    return row;
}

int CPelorinDevice::TriggerValueIndex(const QByteArray& f) const
{
    const unsigned char t = quint8(f[13]);
    // A multi-range sensor's byte carries 0x20 and, in its top two bits, the range variant.
    const unsigned char channel = (t & 0x20) ? (t & 0x1F) : t;
    const int variant = (t & 0x20) ? (t >> 6) : 0;
    int value = 0;
    const int n = quint8(f[18]);
    for (int i = 0; i < n && 20 + 2 * i < f.size(); ++i) {
        const unsigned char entry = quint8(f[19 + 2 * i]);
        const unsigned char config = quint8(f[20 + 2 * i]);
        for (int k = 0; k < 4; ++k) {
            if ((config & 0x04) ? !(config & (0x10 << k)) : k > 0)
                continue;
            if (entry == channel && k == variant)
                return value < m_RunWidths.size() ? value : -1;
            ++value;
        }
    }
    return -1;
}

bool CPelorinDevice::TriggerPassed(qint64 sample) const
{
    const int v = m_TriggerValue;
    const RawSpan span = m_RunSpans.value(v);
    const qint64 raw = Reading(v, sample, m_RunWidths[v], span, sample * m_SecondsPerSample);
    const qint64 level = U16(m_LastRun, 14);
    // Above the level means a higher value, which a falling type reads as fewer counts.
    const bool above = quint8(m_LastRun[12]) == 1;
    return above != span.Falls() ? raw > level : raw < level;
}

bool CPelorinDevice::WaitForTrigger(qint64 nowMs)
{
    if (quint8(m_LastRun[12]) != 0 && m_TriggerDelayMs >= 0) {
        if (nowMs < m_AckMs + m_TriggerDelayMs)
            return false;
    } else if (quint8(m_LastRun[12]) != 0 && m_TriggerValue >= 0 && m_RatePerMs > 0.0) {
        // The sensors read on from the acknowledgement at the run's rate; the first sample past
        // the level is the run's first, at its own time.
        const qint64 due = 1 + qint64(std::floor(double(nowMs - m_AckMs) * m_RatePerMs));
        while (m_WaitSamples < due && !TriggerPassed(m_WaitSamples))
            ++m_WaitSamples;
        if (m_WaitSamples >= due)
            return false;
        m_FirstSample = m_WaitSamples;
        m_StartMs = m_AckMs + qint64(std::floor(double(m_FirstSample) / m_RatePerMs));
        return true;
    }
    m_StartMs = nowMs;
    return true;
}

void CPelorinDevice::HandleRun(const QByteArray& f, ISimOutput& out)
{
    if (f.size() < 19 || f.size() < 19 + 2 * quint8(f[18]))
        return;
    const quint32 word = U32(f, 4);
    out.send(Frame(0x01, {}));
    if (word == 0) {
        // Manual sampling: every request is one sample.
        if (!m_Running) {
            m_Running = true;
            m_SamplesDone = 0;
            m_FirstSample = 0;
            m_PacketNumber = 0;
            m_RunSpans.clear();
            m_RunWidths = RunWidths(f, &m_RunSpans);
            // Manual samples are as far apart as the user takes them: a second apiece.
            m_SecondsPerSample = 1.0;
            m_LastRun = f;
            ++m_RunsStarted;
        }
        out.send(DataPacket(++m_PacketNumber, Row(m_SamplesDone), 1));
        ++m_SamplesDone;
        ++m_PacketsSent;
        ++m_SamplesSent;
        return;
    }
    // A request resent because its acknowledgement got lost must not start the run again.
    if (m_Running || m_StartPending)
        return;
    m_LastRun = f;
    m_RunSpans.clear();
    m_RunWidths = RunWidths(f, &m_RunSpans);
    m_RatePerMs = PerSecond(word) / 1000.0;
    m_SecondsPerSample = m_RatePerMs > 0.0 ? 0.001 / m_RatePerMs : 1.0;
    m_Offline = quint8(f[8]) != 0;
    m_RunSamples = (U32(f, 8) & 0xFFFFFF);
    m_PacketSize = std::max<int>(1, U16(f, 16));
    m_SamplesDone = 0;
    m_FirstSample = 0;
    m_WaitSamples = 0;
    m_TriggerValue = (quint8(f[12]) == 1 || quint8(f[12]) == 2) ? TriggerValueIndex(f) : -1;
    m_PacketNumber = 0;
    m_OfflineRows.clear();
    m_AckMs = out.elapsedMs();
    m_StartPending = true;
    m_Running = true;
    ++m_RunsStarted;
    if (quint8(f[12]) == 0)
        StreamDue(out, m_AckMs);
}

void CPelorinDevice::StreamDue(ISimOutput& out, qint64 nowMs)
{
    if (!m_Running || m_Timing || m_LastRun.size() < 8 || U32(m_LastRun, 4) == 0)
        return;
    if (m_StartPending) {
        if (!WaitForTrigger(nowMs))
            return;
        m_StartPending = false;
    }
    const qint64 due = std::min<qint64>(m_RunSamples, 1 + qint64(std::floor(double(nowMs - m_StartMs) * m_RatePerMs)));
    while (m_SamplesDone < m_RunSamples && (due - m_SamplesDone >= m_PacketSize || due == m_RunSamples)) {
        const int count = int(std::min<qint64>(m_PacketSize, m_RunSamples - m_SamplesDone));
        QByteArray rows;
        for (int i = 0; i < count; ++i)
            rows += Row(m_SamplesDone + i);
        m_SamplesDone += count;
        if (m_Offline) {
            m_OfflineRows += rows;
        } else {
            out.send(DataPacket(++m_PacketNumber, rows, count));
            ++m_PacketsSent;
            m_SamplesSent += count;
        }
    }
    if (m_SamplesDone >= m_RunSamples) {
        m_Running = false;
        if (m_Offline)
            FinishOfflineRun(out);
    }
}

void CPelorinDevice::FinishOfflineRun(ISimOutput& out)
{
    StoredRun run;
    run.rateWord = U32(m_LastRun, 4);
    run.samples = qint32(m_SamplesDone);
    const int n = quint8(m_LastRun[18]);
    for (int i = 0; i < n; ++i) {
        const unsigned char channel = quint8(m_LastRun[19 + 2 * i]);
        for (const Sensor& s : m_Sensors) {
            if (s.channel != channel)
                continue;
            QByteArray e;
            e.append(char(s.idHigh));
            e.append(char(s.idLow));
            e.append(char(s.gain));
            e.append(char(s.offset));
            run.channels << e;
            run.widths << WidthOfChannel(channel, 0);
            run.spans << s.span;
            break;
        }
    }
    m_Stored = run;
    out.send(Frame(0x16, {}));
}

void CPelorinDevice::holdRecordedRun(qint32 samples, quint32 rateWord)
{
    StoredRun run;
    run.rateWord = rateWord;
    run.samples = std::max<qint32>(samples, 0);
    for (const Sensor& s : m_Sensors) {
        QByteArray e;
        e.append(char(s.idHigh));
        e.append(char(s.idLow));
        e.append(char(s.gain));
        e.append(char(s.offset));
        run.channels << e;
        run.widths << WidthOfChannel(s.channel, 0);
        run.spans << s.span;
    }
    m_Stored = run;
}

void CPelorinDevice::HandleDownload(ISimOutput& out)
{
    QByteArray p;
    const qint32 s = m_Stored.channels.isEmpty() ? 0 : m_Stored.samples;
    Put(p, 0, 4);
    Put(p, quint32(s), 4);
    Put(p, m_Stored.rateWord, 4);
    Put(p, quint32(s), 4);
    p.append(char(s > 0 ? m_Stored.channels.size() : 0));
    if (s > 0)
        for (const QByteArray& e : m_Stored.channels)
            p.append(e);
    // The download reply's length byte counts one byte more than opcode and payload.
    out.send(Frame(0x12, p, 1));
    quint32 number = 0;
    const double perSecond = PerSecond(m_Stored.rateWord);
    const double secondsPerSample = perSecond > 0.0 ? 1.0 / perSecond : 1.0;
    for (qint64 done = 0; done < s;) {
        const int count = int(std::min<qint64>(100, s - done));
        QByteArray rows;
        for (int i = 0; i < count; ++i)
            for (int c = 0; c < m_Stored.widths.size(); ++c)
                Put(rows, Reading(c, done + i, m_Stored.widths[c], m_Stored.spans.value(c), (done + i) * secondsPerSample),
                    m_Stored.widths[c]);
        out.send(DataPacket(++number, rows, count));
        done += count;
        ++m_PacketsSent;
    }
}

void CPelorinDevice::HandleSnapshot(ISimOutput& out)
{
    out.send(Frame(0x07, {}));
    // The readings move with the time since the start, so that live readings (and the two
    // points of a calibration) differ from one snapshot to the next.
    const double t = out.elapsedMs() / 1000.0;
    QByteArray row;
    int v = 0;
    for (const Sensor& s : m_Sensors)
        for (int w : s.valueWidths)
            Put(row, Reading(v++, 0, w, s.span, t), w);
    out.send(DataPacket(0, row, 1));
}

void CPelorinDevice::HandleTiming(ISimOutput& out)
{
    out.send(Frame(0x0C, {}));
    m_Timing = true;
    m_Running = true;
    m_EventCount = 0;
    m_NextEventMs = out.elapsedMs() + m_EventIntervalMs;
    m_TimingStartMs = out.elapsedMs();
    ++m_RunsStarted;
}

void CPelorinDevice::EmitTiming(ISimOutput& out, qint64 nowMs)
{
    if (m_Timing && m_pFeed) {
        for (const QByteArray& p : m_pFeed->PelorinDue(double(nowMs - m_TimingStartMs) / 1000.0))
            out.send(Frame(0x0D, p));
        return;
    }
    if (!m_Timing || nowMs < m_NextEventMs)
        return;
    m_NextEventMs = nowMs + m_EventIntervalMs;
    // Alternate block and unblock edges, 30 ms apart in the logger's microsecond clock.
    QByteArray p;
    p.append(char(m_GateChannel & 0x3F));
    p.append(char(m_EventCount % 2));
    const quint64 ticks = 1000000ull + quint64(m_EventCount) * 30000ull;
    p.append(char((ticks >> 32) & 0xFF));
    Put(p, quint32(ticks & 0xFFFFFFFFu), 4);
    ++m_EventCount;
    out.send(Frame(0x0D, p));
}

void CPelorinDevice::HandleBoot(unsigned char op, const QByteArray& f, ISimOutput& out)
{
    if (op != 0xF0 && m_BootRepliesLeft == 0)
        return;
    if (op != 0xF0 && m_BootRepliesLeft > 0)
        --m_BootRepliesLeft;
    switch (op) {
    case 0xF0:
        m_BootLoader = true;
        m_Running = false;
        m_Timing = false;
        out.send(Frame(0xF0, {}));
        Restart(out);
        break;
    case 0xF2:
        if (f.size() < 10)
            return;
        m_BootSize = U32(f, 6);
        m_BootReceived = 0;
        m_BootExpectBlock = 0;
        m_BootCrc = 0;
        m_BootBlocksOk = 0;
        m_BootCrcOk = false;
        out.send(Frame(0xF2, {}));
        break;
    case 0xF3: {
        if (f.size() < 8)
            return;
        const quint16 block = U16(f, 4);
        const int n = U16(f, 6);
        if (block == m_BootExpectBlock && n == f.size() - 8 && m_BootReceived + quint32(n) <= m_BootSize) {
            m_BootCrc = Crc16(m_BootCrc, reinterpret_cast<const unsigned char*>(f.constData()) + 8, n);
            m_BootReceived += quint32(n);
            ++m_BootExpectBlock;
            ++m_BootBlocksOk;
        }
        QByteArray p;
        Put(p, block, 2);
        out.send(Frame(0xF3, p));
        break;
    }
    case 0xF4: {
        if (f.size() < 6)
            return;
        m_BootCrcOk = U16(f, 4) == m_BootCrc && m_BootReceived == m_BootSize;
        m_BootLoader = false;
        out.send(Frame(0xF4, QByteArray(1, char(m_BootCrcOk ? 1 : 0))));
        Restart(out);
        break;
    }
    default: break;
    }
}

void CPelorinDevice::onTick(ISimOutput& out)
{
    if (m_ResetPending)
        Restart(out);
    while (!m_Unsolicited.isEmpty())
        out.send(m_Unsolicited.takeFirst());
    const qint64 now = out.elapsedMs();
    StreamDue(out, now);
    EmitTiming(out, now);
}

} // namespace kvsim

#include "analysis/ExtremeScan.h"

#include <algorithm>
#include <cmath>

CExtremeScan::CExtremeScan(ExtremeScanState& state, bool maxima, double minDistance, bool envelope, qint64 first)
    : m_State(state), m_bMaxima(maxima), m_MinDistance(minDistance), m_bEnvelope(envelope), m_First(first)
{
    if (m_State.m_Judged < m_First - 1) {
        m_State.m_Judged = m_First - 1;
        m_State.m_RunStart = m_First;
    }
}

qint64 CExtremeScan::NeedFrom() const
{
    // The next sample judged compares with the one before it and with three before its run.
    return std::max(m_First, std::min(m_State.m_RunStart, m_State.m_Judged + 1) - 3);
}

bool CExtremeScan::IsExtreme(const QVector<double>& y, qint64 base, qint64 p) const
{
    auto at = [&](qint64 i) { return y.at(static_cast<int>(i - base)); };
    const double v = at(p);
    // A sample that is not a number beats nothing, and nothing beats it.
    auto beyond = [&](qint64 i) { return m_bMaxima ? at(i) < v : at(i) > v; };
    auto reaches = [&](qint64 i) { return m_bMaxima ? at(i) <= v : at(i) >= v; };
    const qint64 run = m_State.m_RunStart;
    if (run <= m_First)
        return false; // nothing known before the run: it may be a slope cut off by the range
    // Of two equal tops within three samples the later one counts, as the end of a flat top
    // does; the run must rise to it, so a step of a falling staircase is no top.
    if (!beyond(p + 1) || !beyond(p + 2) || !beyond(p + 3) || !beyond(run - 1))
        return false;
    for (qint64 k = 2; k <= 3; ++k)
        if (run - k >= m_First && !reaches(run - k))
            return false;
    return true;
}

void CExtremeScan::AddCorner(qint64 index, double value)
{
    if (!std::isfinite(value))
        return; // no number to stay above (or below)
    QVector<EnvelopeCorner>& c = m_State.m_Corners;
    // A corner that lies on or inside the line from its predecessor to the new sample is no
    // corner any more: the line covers it.
    while (c.size() >= 2) {
        const EnvelopeCorner& a = c.at(c.size() - 2);
        const EnvelopeCorner& b = c.last();
        const double lhs = (b.value - a.value) * double(index - a.index);
        const double rhs = (value - a.value) * double(b.index - a.index);
        if (m_bMaxima ? lhs > rhs : lhs < rhs)
            break;
        c.removeLast();
    }
    c.append({index, value});
}

void CExtremeScan::Scan(const QVector<double>& y, qint64 base, const Sink& sink)
{
    if (base > NeedFrom())
        return;
    const qint64 end = base + y.size();
    while (m_State.m_Judged + 4 < end) {
        const qint64 p = ++m_State.m_Judged;
        const double v = y.at(static_cast<int>(p - base));
        if (p == m_First || !(v == y.at(static_cast<int>(p - 1 - base))))
            m_State.m_RunStart = p;
        if (m_bEnvelope && !m_State.m_Corners.isEmpty())
            AddCorner(p, v);
        if (!IsExtreme(y, base, p) || !(double(p) > double(m_State.m_Last) + m_MinDistance))
            continue;
        sink(p, m_State.m_Last, m_State.m_Corners);
        m_State.m_Last = p;
        if (m_bEnvelope)
            m_State.m_Corners = {{p, v}};
    }
}

void CExtremeScan::EnvelopeValues(const QVector<EnvelopeCorner>& corners, QVector<double>& out)
{
    for (int c = 1; c < corners.size(); ++c) {
        const EnvelopeCorner& a = corners.at(c - 1);
        const EnvelopeCorner& b = corners.at(c);
        const double span = double(b.index - a.index);
        for (qint64 k = a.index + 1; k < b.index; ++k)
            out.append(a.value + (b.value - a.value) * (double(k - a.index) / span));
        out.append(b.value);
    }
}

bool CExtremeScan::CycleFrequency(double xPrevious, double x, double secondsPerSample, double& frequency)
{
    const double seconds = (x - xPrevious) * secondsPerSample;
    if (seconds == 0.0)
        return false;
    frequency = 1.0 / seconds;
    return std::isfinite(frequency);
}

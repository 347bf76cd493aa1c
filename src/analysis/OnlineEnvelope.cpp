// Envelopes and frequency of the online functions: a walk from extreme to extreme.
#include <QVector>
#include <algorithm>
#include <cmath>

#include "Core/Data/DataBranch.h"
#include "analysis/OnlineFunctions.h"

namespace {

const qint64 kNoExtreme = -1000;

struct Walk
{
    qint64 base = 0;
    QVector<double> x, y;
    double X(qint64 i) const { return x[static_cast<int>(i - base)]; }
    double Y(qint64 i) const { return y[static_cast<int>(i - base)]; }
};

// Upper envelope and frequency look for peaks, the lower envelope for valleys.
bool IsExtreme(const Walk& w, qint64 p, bool peak)
{
    const double v = w.Y(p);
    if (peak)
        return w.Y(p - 1) <= v && w.Y(p - 2) < v && w.Y(p - 3) < v && w.Y(p + 1) <= v
               && w.Y(p + 2) < v && w.Y(p + 3) < v;
    return w.Y(p - 1) >= v && w.Y(p - 2) > v && w.Y(p - 3) > v && w.Y(p + 1) >= v
           && w.Y(p + 2) > v && w.Y(p + 3) > v;
}

// Down to a valley and up to a peak (or the reverse); stops at the last sample.
qint64 WalkToCandidate(const Walk& w, qint64 pos, qint64 n, bool peak)
{
    if (peak) {
        while (pos + 1 < n && w.Y(pos + 1) <= w.Y(pos))
            ++pos;
        while (pos + 1 < n && w.Y(pos + 1) >= w.Y(pos))
            ++pos;
    } else {
        while (pos + 1 < n && w.Y(pos + 1) >= w.Y(pos))
            ++pos;
        while (pos + 1 < n && w.Y(pos + 1) <= w.Y(pos))
            ++pos;
    }
    return pos;
}

struct PassState
{
    QVector<double> outX, outY;
    int stored = 0;      // points the output held before this pass
    double lastY = 0.0;  // last output value
};

// Appends the straight line from the previous extreme e to p, one point per source sample.
void JoinExtremes(const CDataBranch* g, const Walk& w, qint64 e, qint64 p, PassState& s)
{
    QVector<double> xs, ys;
    const double ye = e >= w.base ? w.Y(e) : g->GetYSample(static_cast<int>(e));
    if (e + 1 >= w.base) {
        for (qint64 k = e + 1; k <= p; ++k)
            xs.append(w.X(k));
    } else {
        // The previous extreme lies before this pass's window: fetch its line's X values.
        g->CopyRange(static_cast<int>(e + 1), static_cast<int>(p - e), xs, ys);
    }
    const double step = (w.Y(p) - ye) / static_cast<double>(p - e);
    for (double x : xs) {
        s.lastY += step;
        s.outX.append(x);
        s.outY.append(s.lastY);
    }
}

void Accept(const OnLineFunctionInfo& r, const CDataBranch* g, const Walk& w, qint64 e, qint64 p,
            PassState& s)
{
    if (r.m_FunctionId == 12) {
        if (e < 0)
            return; // the first extreme only opens the first period
        const double xe = e >= w.base ? w.X(e) : g->GetXSample(static_cast<int>(e));
        if (w.X(p) == xe)
            return;
        const double f = 1.0 / ((w.X(p) - xe) * g->m_Interval);
        if (std::isfinite(f)) {
            s.outX.append(w.X(p));
            s.outY.append(f);
        }
        return;
    }
    if (s.stored + s.outX.size() == 0 || e < 0) {
        s.lastY = w.Y(p);
        s.outX.append(w.X(p));
        s.outY.append(s.lastY);
        return;
    }
    JoinExtremes(g, w, e, p, s);
}

} // namespace

void ComputeEnvelopeOrFrequency(OnLineFunctionInfo& r, CDataBranch* output)
{
    const CDataBranch* g = r.m_pG1Branch;
    const qint64 n = g->GetNumSamples();
    if (n < 7) {
        r.m_ExtremePosition = kNoExtreme;
        r.m_G1Position = 0;
        r.m_ScanPosition = -1;
        return;
    }
    const bool peak = r.m_FunctionId != 8;
    qint64 e = r.m_ExtremePosition;
    if (e != kNoExtreme && (e < 0 || e >= n))
        e = kNoExtreme; // a position from another run or from outside: start afresh
    qint64 pos = e == kNoExtreme ? 0 : e + 1;
    if (r.m_ScanPosition > pos && r.m_ScanPosition < n)
        pos = r.m_ScanPosition;
    Walk w;
    w.base = std::max<qint64>(0, pos - 3);
    g->CopyRange(static_cast<int>(w.base), static_cast<int>(n - w.base), w.x, w.y);
    if (w.base + w.x.size() < n)
        return; // the branch shrank meanwhile; try again at the next pass
    PassState s;
    s.stored = output->GetNumSamples();
    if (s.stored > 0)
        s.lastY = output->GetYSample(s.stored - 1);
    while (pos + 1 < n) {
        const qint64 start = pos;
        pos = WalkToCandidate(w, pos, n, peak);
        const qint64 p = pos;
        if (p > e + r.m_A && p >= 4 && p + 3 < n && !(w.Y(p) < w.Y(p + 1) && w.Y(p + 2) <= w.Y(p))
            && IsExtreme(w, p, peak)) {
            Accept(r, g, w, e, p, s);
            e = p;
        }
        // Everything up to a candidate with three samples after it is final; the next pass
        // resumes the walk there.
        if (p + 3 < n)
            r.m_ScanPosition = p;
        // A sample that compares with nothing (NaN) must not hold the walk in place.
        if (pos == start)
            ++pos;
    }
    r.m_ExtremePosition = e;
    r.m_G1Position = pos;
    if (!s.outX.isEmpty())
        output->AppendSamples(s.outX.constData(), s.outY.constData(), s.outX.size());
}

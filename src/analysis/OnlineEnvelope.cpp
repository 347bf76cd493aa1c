// Envelopes and frequency of the online functions: the extreme scan of the finished-run
// functions, resumed at every pass over the samples stored since the last one.
#include <QVector>

#include "Core/Data/DataBranch.h"
#include "analysis/ExtremeScan.h"
#include "analysis/OnlineFunctions.h"

namespace {

// The X values of samples first .. last, from the pass's window where it holds them.
bool XValues(const CDataBranch* g, const QVector<double>& windowX, qint64 base, qint64 first, qint64 last,
             QVector<double>& out)
{
    const int count = static_cast<int>(last - first + 1);
    if (first >= base) {
        out = windowX.mid(static_cast<int>(first - base), count);
    } else {
        QVector<double> ys;
        g->CopyRange(static_cast<int>(first), count, out, ys);
    }
    return out.size() == count;
}

} // namespace

void ComputeEnvelopeOrFrequency(OnLineFunctionInfo& r, CDataBranch* output)
{
    const CDataBranch* g = r.m_pG1Branch;
    const qint64 n = g->GetNumSamples();
    ExtremeScanState& state = r.m_Extremes;
    if (state.m_Judged >= n)
        state = ExtremeScanState(); // a position from another run or from outside: start afresh
    const bool frequency = r.m_FunctionId == 12;
    CExtremeScan scan(state, r.m_FunctionId != 8, r.m_A, !frequency);
    const qint64 base = scan.NeedFrom();
    QVector<double> x, y;
    g->CopyRange(static_cast<int>(base), static_cast<int>(n - base), x, y);
    if (base + x.size() < n)
        return; // the branch shrank meanwhile; try again at the next pass
    QVector<double> outX, outY;
    const double interval = g->m_Interval;
    scan.Scan(y, base, [&](qint64 p, qint64 previous, const QVector<EnvelopeCorner>& corners) {
        const double xp = x.at(static_cast<int>(p - base));
        if (frequency) {
            double f = 0.0;
            const double xPrevious = previous < 0 ? 0.0 : previous >= base ? x.at(static_cast<int>(previous - base))
                                                                          : g->GetXSample(static_cast<int>(previous));
            if (previous >= 0 && CExtremeScan::CycleFrequency(xPrevious, xp, interval, f)) {
                outX.append(xp);
                outY.append(f);
            }
        } else if (corners.isEmpty()) {
            outX.append(xp);
            outY.append(y.at(static_cast<int>(p - base)));
        } else {
            QVector<double> xs;
            if (XValues(g, x, base, previous + 1, p, xs)) {
                outX += xs;
                CExtremeScan::EnvelopeValues(corners, outY);
            }
        }
    });
    r.m_G1Position = n - 1;
    if (!outX.isEmpty() && outX.size() == outY.size())
        output->AppendSamples(outX.constData(), outY.constData(), outX.size());
}

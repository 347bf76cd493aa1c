#include "analysis/OnlineFunctionsCompute.h"

#include <QVector>
#include <algorithm>
#include <cmath>
#include <vector>

#include "Core/Data/DataBranch.h"
#include "analysis/FunctionsSupport.h"
#include "analysis/OnlineFunctions.h"

namespace {

// Buffers of the passes of one storing thread, kept from pass to pass so a pass allocates
// nothing once they have grown to the block size.
struct Scratch
{
    QVector<double> ax, ay, bx, by;
    std::vector<double> ox, oy;
};

Scratch& LocalScratch()
{
    thread_local Scratch scratch;
    return scratch;
}

// A copy of source samples first..n-1, taken under one lock per list, so a pass reads its
// sources without a lock per sample.
struct SourceWindow
{
    qint64 base = 0;
    QVector<double>& x;
    QVector<double>& y;
    SourceWindow(QVector<double>& xs, QVector<double>& ys) : x(xs), y(ys) {}
    void Load(const CDataBranch* branch, qint64 first, qint64 size)
    {
        base = std::max<qint64>(0, first);
        const int count = static_cast<int>(std::max<qint64>(0, size - base));
        branch->CopyRange(static_cast<int>(base), count, x, y);
    }
    qint64 End() const { return base + x.size(); }
    double X(qint64 i) const { return x.at(static_cast<int>(i - base)); }
    double Y(qint64 i) const { return y.at(static_cast<int>(i - base)); }
};

// Points of one pass, appended to the output in one go at the end.
struct OutputBlock
{
    std::vector<double>& x;
    std::vector<double>& y;
    OutputBlock() : x(LocalScratch().ox), y(LocalScratch().oy)
    {
        x.clear();
        y.clear();
    }
    void Add(double px, double py)
    {
        x.push_back(px);
        y.push_back(py);
    }
    void Flush(CDataBranch* out)
    {
        if (!x.empty())
            out->AppendSamples(x.data(), y.data(), static_cast<int>(x.size()));
    }
};

qint64 SourceSize(const CDataBranch* b) { return b->GetNumSamples(); }

bool HonoursTime(int id)
{
    switch (id) {
    case 4: case 10: case 15: case 16: case 17: case 19: case 20: case 21: case 22: case 23:
    case 25:
        return true;
    default:
        return false;
    }
}

bool IsPointWise(int id)
{
    switch (id) {
    case 0: case 2: case 3: case 4: case 5: case 10: case 14: case 15: case 16: case 17:
    case 19: case 20: case 21: case 22: case 23: case 25:
        return true;
    default:
        return false;
    }
}

// Y of one point-wise function at value v (raw Y value y), as the stored-data function gives
// it; false when it is undefined there.
bool PointValue(int id, const OnLineFunctionInfo& r, double v, double y, double y0, double& out)
{
    const double A = r.m_A, B = r.m_B;
    switch (id) {
    case 0: out = A * std::fabs(B * y); return true;
    case 2: if (B * y < -1.0 || B * y > 1.0) return false; out = A * std::acos(B * y); return true;
    case 3: if (B * y < -1.0 || B * y > 1.0) return false; out = A * std::asin(B * y); return true;
    case 5: out = y - y0; return true;
    case 14: out = y * (A * 0.5) * y; return true;
    default: return AnalysisSupport::TransformPoint(id, v, A, B, r.m_C, out);
    }
}

void PointWise(OnLineFunctionInfo& r, OutputBlock& out)
{
    const CDataBranch* g = r.m_pG1Branch;
    const qint64 n = SourceSize(g);
    qint64 pos = std::max<qint64>(r.m_G1Position, -1);
    if (pos + 1 >= n)
        return;
    SourceWindow w(LocalScratch().ax, LocalScratch().ay);
    w.Load(g, pos + 1, n);
    const double dt = g->m_Interval;
    const bool asTime = r.m_bG1AsTime && HonoursTime(r.m_FunctionId);
    const double y0 = r.m_FunctionId == 5 ? g->GetYSample(0) : 0.0;
    while (pos + 1 < w.End()) {
        const qint64 i = ++pos;
        const double y = w.Y(i);
        const double v = asTime ? w.X(i) * dt : y;
        double value = 0.0;
        if (PointValue(r.m_FunctionId, r, v, y, y0, value))
            out.Add(w.X(i), value);
    }
    r.m_G1Position = pos;
}

// The slope from each sample to the next, placed on the later one: the stored-data derivative,
// one new sample at a time.
void Derivative(OnLineFunctionInfo& r, OutputBlock& out)
{
    const CDataBranch* g = r.m_pG1Branch;
    const qint64 n = SourceSize(g);
    // Sample 0 has nothing before it: the first slope is the step to sample 1.
    qint64 pos = std::max<qint64>(r.m_G1Position, 0);
    if (pos + 1 >= n)
        return;
    SourceWindow w(LocalScratch().ax, LocalScratch().ay);
    w.Load(g, pos, n);
    const double dt = g->m_Interval;
    auto value = [&](qint64 i) { return r.m_bG1AsTime ? w.X(i) * dt : w.Y(i); };
    while (pos + 1 < n) {
        const qint64 i = ++pos;
        const double dx = (w.X(i) - w.X(i - 1)) * dt;
        // Equal neighbours in X (or no interval) give no slope, as in the stored-data derivative.
        if (dx != 0.0)
            out.Add(double(i), (value(i) - value(i - 1)) / dx);
    }
    r.m_G1Position = pos;
}

void Integral(OnLineFunctionInfo& r, CDataBranch* output, OutputBlock& out)
{
    const CDataBranch* g = r.m_pG1Branch;
    const qint64 n = SourceSize(g);
    qint64 pos = r.m_G1Position;
    if (pos + 1 >= n)
        return;
    SourceWindow w(LocalScratch().ax, LocalScratch().ay);
    w.Load(g, std::max<qint64>(pos, 0), n);
    const double dt = g->m_Interval;
    double previous = r.m_A;
    if (pos < 0) {
        // The integral starts at sample 0 with its constant.
        pos = 0;
        out.Add(w.X(0), previous);
    } else {
        const int stored = output->GetNumSamples();
        if (stored > 0)
            previous = output->GetYSample(stored - 1);
    }
    while (pos + 1 < n) {
        const qint64 i = ++pos;
        const double v = r.m_bG1AsTime ? w.X(i) * dt : w.Y(i);
        previous = previous + (w.X(i) - w.X(i - 1)) * (v * dt) * r.m_B;
        out.Add(w.X(i), previous);
    }
    r.m_G1Position = pos;
}

// One point of a two-source function, as the stored-data function computes it; false for a
// zero divisor.
bool TwoSourceValue(int id, const OnLineFunctionInfo& r, double g, double h, double& out)
{
    switch (id) {
    case 1: out = r.m_A * g + r.m_B * h; return true;
    case 24: out = r.m_A * g - r.m_B * h; return true;
    case 18: out = (r.m_A * g) * r.m_B * h; return true;
    default: {
        const double divisor = r.m_B * h;
        if (divisor == 0.0)
            return false;
        out = (r.m_A * g) / divisor;
        return true;
    }
    }
}

// Aligns the two sources on equal X values and appends one point per match, as many as the
// stored samples allow, so the result keeps pace with its sources.
void TwoSources(OnLineFunctionInfo& r, OutputBlock& out)
{
    const CDataBranch* g1 = r.m_pG1Branch;
    const CDataBranch* g2 = r.m_pG2Branch;
    if (!g2)
        return;
    const qint64 N = SourceSize(g1), M = SourceSize(g2);
    qint64 p1 = std::max<qint64>(r.m_G1Position, 0), p2 = std::max<qint64>(r.m_G2Position, 0);
    if (p1 >= N || p2 >= M)
        return;
    SourceWindow a(LocalScratch().ax, LocalScratch().ay);
    SourceWindow b(LocalScratch().bx, LocalScratch().by);
    a.Load(g1, p1, N);
    b.Load(g2, p2, M);
    const double dt1 = g1->m_Interval, dt2 = g2->m_Interval;
    bool matched = r.m_bMatched;
    for (;;) {
        // A matched pair is done; the next pair needs a newer sample on both sides. Until the
        // first match the pair at hand is tried, so the first samples get their point at once.
        if (matched) {
            if (p1 + 1 >= N || p2 + 1 >= M)
                break;
            ++p1;
            ++p2;
        }
        const qint64 before1 = p1, before2 = p2;
        double x1 = a.X(p1), x2 = b.X(p2);
        if (x1 <= x2) {
            while (x1 < x2 && p1 + 1 < N)
                x1 = a.X(++p1);
        } else {
            while (x2 < x1 && p2 + 1 < M)
                x2 = b.X(++p2);
        }
        matched = (x1 == x2);
        if (matched) {
            const double g = r.m_bG1AsTime ? x1 * dt1 : a.Y(p1);
            const double h = r.m_bG2AsTime ? x2 * dt2 : b.Y(p2);
            double value = 0.0;
            if (TwoSourceValue(r.m_FunctionId, r, g, h, value))
                out.Add(x1, value);
        } else if (p1 == before1 && p2 == before2) {
            // Either the behind source waits for its next sample, or the X values never compare
            // (NaN): then the pair is stepped over instead of stalling.
            if (p1 + 1 >= N || p2 + 1 >= M)
                break;
            ++p1;
            ++p2;
        }
    }
    r.m_G1Position = p1;
    r.m_G2Position = p2;
    r.m_bMatched = matched;
}

} // namespace

void ComputeEnvelopeOrFrequency(OnLineFunctionInfo& r, CDataBranch* output);

void ComputeOnLineRecord(OnLineFunctionInfo& r)
{
    if (!r.m_pG1Branch || !r.m_pOutBranch)
        return;
    const int id = r.m_FunctionId;
    OutputBlock out;
    if (IsPointWise(id))
        PointWise(r, out);
    else if (id == 6)
        Derivative(r, out);
    else if (id == 13)
        Integral(r, r.m_pOutBranch, out);
    else if (id == 1 || id == 7 || id == 18 || id == 24)
        TwoSources(r, out);
    else if (id == 8 || id == 9 || id == 12)
        ComputeEnvelopeOrFrequency(r, r.m_pOutBranch);
    out.Flush(r.m_pOutBranch);
}

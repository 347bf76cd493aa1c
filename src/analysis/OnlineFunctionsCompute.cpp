#include "analysis/OnlineFunctionsCompute.h"

#include <QVector>
#include <algorithm>
#include <cmath>
#include <vector>

#include "Core/Data/DataBranch.h"
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

// Y of one point-wise function at value v (raw Y value y); false when it is undefined there.
bool PointValue(int id, const OnLineFunctionInfo& r, double v, double y, double y0, double& out)
{
    const double A = r.m_A, B = r.m_B, C = r.m_C;
    switch (id) {
    case 0: out = A * std::fabs(B * y); return true;
    case 2: if (B * y < -1.0 || B * y > 1.0) return false; out = A * std::acos(B * y); return true;
    case 3: if (B * y < -1.0 || B * y > 1.0) return false; out = A * std::asin(B * y); return true;
    case 4: out = A * std::cos(B * v + C); return true;
    case 5: out = y - y0; return true;
    case 10: out = A * std::exp(B * v) + C; return true;
    case 14: out = A * 0.5 * y * y; return true;
    case 15: out = A + B * v; return true;
    case 16: if (!(B * v > 0.0)) return false; out = A * std::log(B * v); return true;
    case 17: if (!(B * v > 0.0)) return false; out = A * std::log10(B * v); return true;
    case 19: out = A * v * v + B * v + C; return true;
    case 20: if (v + B == 0.0) return false; out = A / (v + B) + C; return true;
    case 21: out = A * std::sin(B * v + C); return true;
    case 22: out = A * v * v; return true;
    case 23: if (!(B * v + C >= 0.0)) return false; out = A * std::sqrt(B * v + C); return true;
    case 25: if (B * v + C == 1.0) return false; out = A * std::tan(B * v + C); return true;
    default: return false;
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

void Derivative(OnLineFunctionInfo& r, OutputBlock& out)
{
    const CDataBranch* g = r.m_pG1Branch;
    const qint64 n = SourceSize(g);
    if (n < 3) {
        if (n == 1)
            r.m_G1Position = 0;
        return;
    }
    // Sample 0 has no left neighbour: the first point is at index 1 whatever the position says.
    qint64 pos = std::max<qint64>(r.m_G1Position, 0);
    if (pos + 2 >= n)
        return;
    SourceWindow w(LocalScratch().ax, LocalScratch().ay);
    w.Load(g, pos, n);
    const double dt = g->m_Interval;
    auto value = [&](qint64 i) { return r.m_bG1AsTime ? w.X(i) * dt : w.Y(i); };
    while (pos + 2 < n) {
        const qint64 i = ++pos;
        const double dx = (w.X(i + 1) - w.X(i - 1)) * dt;
        // Equal neighbours in X (or no interval) give no slope, as in the offline derivative.
        if (dx != 0.0)
            out.Add(w.X(i), (value(i + 1) - value(i - 1)) / dx);
    }
    r.m_G1Position = pos;
}

void Integral(OnLineFunctionInfo& r, CDataBranch* output, OutputBlock& out)
{
    const CDataBranch* g = r.m_pG1Branch;
    const qint64 n = SourceSize(g);
    // Like every online function, the integral has no point for sample 0: its first point is
    // the step to sample 1.
    if (n < 2)
        return;
    qint64 pos = std::max<qint64>(r.m_G1Position, 0);
    const int stored = output->GetNumSamples();
    SourceWindow w(LocalScratch().ax, LocalScratch().ay);
    w.Load(g, pos, n);
    // The constant is the integral's value at the start, so it enters the sum once, with the
    // first step.
    double previous = stored == 0 ? r.m_A : output->GetYSample(stored - 1);
    const double dt = g->m_Interval;
    while (pos + 1 < n) {
        const qint64 i = ++pos;
        const double v = r.m_bG1AsTime ? w.X(i) * dt : w.Y(i);
        previous += (w.X(i) - w.X(i - 1)) * (v * r.m_B) * dt;
        out.Add(w.X(i), previous);
    }
    r.m_G1Position = pos;
}

double TwoSourceValue(int id, const OnLineFunctionInfo& r, double g, double h, double y2,
                      bool& ok)
{
    ok = true;
    switch (id) {
    case 1: return r.m_A * g + r.m_B * h;
    case 24: return r.m_A * g - r.m_B * h;
    case 18: return (r.m_A * g) * (r.m_B * h);
    default:
        if (y2 == 0.0) {
            ok = false;
            return 0.0;
        }
        return r.m_B * h == 0.0 ? 0.0 : (r.m_A * g) / (r.m_B * h);
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
    if (N == 0 || M == 0 || p1 + 1 >= N || p2 + 1 >= M)
        return;
    SourceWindow a(LocalScratch().ax, LocalScratch().ay);
    SourceWindow b(LocalScratch().bx, LocalScratch().by);
    a.Load(g1, p1, N);
    b.Load(g2, p2, M);
    const double dt1 = g1->m_Interval, dt2 = g2->m_Interval;
    bool matched = r.m_bMatched;
    while (p1 + 1 < N && p2 + 1 < M) {
        const qint64 before1 = p1, before2 = p2;
        if (matched) {
            ++p1;
            ++p2;
        }
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
            bool ok = false;
            const double value = TwoSourceValue(r.m_FunctionId, r, g, h, b.Y(p2), ok);
            if (ok)
                out.Add(x1, value);
        } else if (p1 == before1 && p2 == before2) {
            // X values that never compare (NaN): step over the pair instead of stalling.
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

#include "graph/PlotStrokes.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/SampleStore.h"
#include "graph/CurveLayer.h"
#include "graph/GraphRules.h"
#include "platform/Processors.h"

#include <QHash>
#include <QPainter>
#include <QPair>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <thread>

namespace {

constexpr int CopyChunk = 1 << 16;
// Pixel columns of a time curve worked out under one lock of the branch: short enough that a
// logger thread appending meanwhile hardly waits.
constexpr int ColumnsPerLock = 64;
// How many columns ahead the samples are asked for: far enough for them to arrive in time.
constexpr int PrefetchColumns = 4;

bool Gap(double v)
{
    return CSampleStore::isGap(v);
}

struct Span
{
    int s = 0;   // first sample
    int n = 0;   // end (exclusive), taken from the X list
    bool empty() const { return s >= n; }
};

Span CurveSpan(const CDataBranch& branch, long long from, long long to)
{
    const int nx = branch.GetXSize();
    Span sp;
    sp.n = (to >= 0 && to <= nx) ? int(to) : nx;
    sp.s = from < 0 ? 0 : int(std::min<long long>(from, sp.n));
    return sp;
}

// The Y value of the first point: the sample's own, or the next one when it is a gap.
double FirstY(const CDataBranch& branch, int s)
{
    const double y = branch.GetYSample(s);
    return Gap(y) ? branch.GetYSample(s + 1) : y;
}

bool FrameUsable(const CCurveFrame& f)
{
    return std::isfinite(f.m_XMax - f.m_XMin) && f.m_XMax != f.m_XMin;
}

} // namespace

void CColumnStepper::note(int px, int py)
{
    if (!m_Frame.m_bLive)
        return;
    const QRect& r = m_Frame.m_Rect;
    if (py < r.top() || py > r.bottom())
        m_pOut->m_bRescaleY = true;
    if (px < r.left() || px > r.left() + m_Frame.m_XThreshold * (r.right() - r.left()))
        m_pOut->m_bRescaleX = true;
}

void CColumnStepper::point(QPoint p)
{
    if (m_Frame.m_Style != 3) {
        if (m_pOut->m_Path.isEmpty())
            m_pOut->m_Path.append(m_Prev);
        m_pOut->m_Path.append(p);
    }
    if (m_Frame.m_Style == 2 || m_Frame.m_Style == 3)
        m_pOut->m_Dots.append(p);
    m_Prev = p;
}

void CColumnStepper::add(int px, int py, bool last)
{
    note(px, py);
    // The first sample is the point the curve starts from: it stands at the start of the path
    // already, as the first sample of every other column does. Taken into its column's extent
    // as well, it left a stroke of its own height at the next column, where no sample is.
    const bool startAgain = m_bAtStart && !last && QPoint(px, py) == m_Prev;
    m_bAtStart = false;
    if (startAgain)
        return;
    if (px == m_Prev.x()) {
        if (!m_bActive) {
            m_Low = m_High = py;
        } else {
            m_Low = std::min(m_Low, py);
            m_High = std::max(m_High, py);
        }
        if (!last) {
            m_bActive = true;
            return;
        }
        m_pOut->m_Columns.append(QLine(px, m_Low, px, m_High));
        m_bActive = false;
    } else if (m_bActive) {
        m_pOut->m_Columns.append(QLine(px, m_Low, px, m_High));
        m_bActive = false;
    }
    point(px, py);
}

void StrokeTimeCurveBySample(const CDataBranch& branch, long long from, long long to,
                             const CCurveFrame& frame, CPlotStrokes& out)
{
    const Span sp = CurveSpan(branch, from, to);
    if (sp.empty() || !FrameUsable(frame))
        return;
    const QRect& r = frame.m_Rect;
    const int ny = branch.GetYSize();
    CColumnStepper step(frame, &out);
    step.start(QPoint(GraphRules::ToPixelX(float(branch.GetXSample(sp.s)), frame.m_XMin, frame.m_XMax, r),
                      GraphRules::ToPixelY(float(FirstY(branch, sp.s)), frame.m_YMin, frame.m_YMax, r)));
    bool seen = false;
    QVector<double> xs, ys;
    for (int i0 = sp.s; i0 < sp.n; i0 += CopyChunk) {
        const int got = branch.CopyRange(i0, std::min(CopyChunk, sp.n - i0), xs, ys);
        for (int k = 0; k < got; ++k) {
            const int i = i0 + k;
            if (Gap(ys[k]))
                continue;
            if (!seen) {
                seen = true;
                if (ny < 4)
                    out.m_bRescaleY = true;
            }
            step.add(GraphRules::ToPixelX(float(xs[k]), frame.m_XMin, frame.m_XMax, r),
                     GraphRules::ToPixelY(float(ys[k]), frame.m_YMin, frame.m_YMax, r), i == sp.n - 1);
        }
        if (got < std::min(CopyChunk, sp.n - i0))
            break;   // the rest has no Y value: every such sample is passed over
    }
}

void StrokeTimeCurve(const CDataBranch& branch, long long from, long long to, const CCurveFrame& frame,
                     CPlotStrokes& out, CTimeProgress* progress)
{
    CTimeProgress resume;
    if (progress) {
        resume = *progress;
        progress->m_bValid = false;
    }
    if (!branch.IsXNonDecreasing()) {
        out.clear();
        StrokeTimeCurveBySample(branch, from, to, frame, out);
        return;
    }
    const Span sp = CurveSpan(branch, from, to);
    const int ny = branch.GetYSize();
    // Strokes made from more samples than the branch now holds belong to other data.
    if (resume.m_bValid && (resume.m_XCount > sp.n || resume.m_YCount > ny || resume.m_Start < sp.s
                            || resume.m_Path > out.m_Path.size() || resume.m_Columns > out.m_Columns.size()
                            || resume.m_Dots > out.m_Dots.size()))
        resume.m_bValid = false;
    if (!resume.m_bValid)
        out.clear();
    if (sp.empty() || !FrameUsable(frame))
        return;
    const QRect& r = frame.m_Rect;
    const int yEnd = std::min(sp.n, ny);
    auto px = [&](double x) { return GraphRules::ToPixelX(float(x), frame.m_XMin, frame.m_XMax, r); };
    auto py = [&](double y) { return GraphRules::ToPixelY(float(y), frame.m_YMin, frame.m_YMax, r); };
    CColumnStepper step(frame, &out);
    step.start(QPoint(px(branch.GetXSample(sp.s)), py(FirstY(branch, sp.s))));
    const int lastIndex = sp.n - 1;
    bool seen = false;
    int groupSize = 1;
    int i = sp.s;
    if (resume.m_bValid) {
        out.m_Path.resize(resume.m_Path);
        out.m_Columns.resize(resume.m_Columns);
        out.m_Dots.resize(resume.m_Dots);
        out.m_bRescaleX = resume.m_bRescaleX;
        out.m_bRescaleY = resume.m_bRescaleY;
        seen = resume.m_bSeen;
        step.restore(resume.m_State);
        i = resume.m_Start;
    }
    CTimeProgress mark;
    // One pass per pixel column: where the column ends, its first and last valid sample and
    // the extremes between them. The stepper sees the column's first sample, its extremes
    // and its last sample, which is all the column's strokes depend on.
    bool shrunk = false;
    while (i < yEnd && !shrunk) {
        branch.ReadLocked([&](const CSampleStore& xs, const CSampleStore& ys) {
            if (xs.size() < yEnd || ys.size() < yEnd) {
                shrunk = true;   // cleared meanwhile: what is left is drawn by the next paint
                return;
            }
            for (int n = 0; n < ColumnsPerLock && i < yEnd; ++n) {
                const int column = px(xs.at(i));
                if (progress) {
                    mark.m_Start = i;
                    mark.m_Column = column;
                    mark.m_State = step.state();
                    mark.m_Path = out.m_Path.size();
                    mark.m_Columns = out.m_Columns.size();
                    mark.m_Dots = out.m_Dots.size();
                    mark.m_bRescaleX = out.m_bRescaleX;
                    mark.m_bRescaleY = out.m_bRescaleY;
                    mark.m_bSeen = seen;
                    mark.m_bValid = true;
                }
                const int end = xs.partitionPointNear(i + 1, yEnd, i + groupSize,
                                                      [&](double x) { return px(x) > column; });
                groupSize = std::max(1, end - i);
                // Where the next columns likely end, loaded while this one is worked out: the X
                // values the search reads and the Y values the extremes are scanned from (the
                // run of the summary each end falls in, read from both sides).
                {
                    const int e = end + PrefetchColumns * groupSize;
                    xs.prefetch(e);
                    for (int k = e - CSampleStore::SummarySize; k <= e + CSampleStore::SummarySize; k += 8)
                        ys.prefetch(k);
                }
                const int f = ys.firstValid(i, end);
                if (f >= 0) {
                    if (!seen) {
                        seen = true;
                        if (ny < 4)
                            out.m_bRescaleY = true;
                    }
                    step.add(column, py(ys.at(f)), f == lastIndex);
                    float lo = std::numeric_limits<float>::infinity(), hi = -lo;
                    if (f + 1 < end && ys.minMax(f + 1, end, lo, hi)) {
                        const int l = ys.lastValid(f + 1, end);
                        step.add(column, py(lo), false);
                        step.add(column, py(hi), false);
                        step.add(column, py(ys.at(l)), l == lastIndex);
                    }
                }
                i = end;
            }
        });
    }
    if (progress && mark.m_bValid && ny >= 4) {
        mark.m_XCount = sp.n;
        mark.m_YCount = ny;
        *progress = mark;
    } else if (progress && resume.m_bValid && ny >= 4) {
        // No column was visited this time (no new sample with a Y value): the old mark holds.
        resume.m_XCount = sp.n;
        resume.m_YCount = ny;
        *progress = resume;
    }
}

void StrokeTimeCurves(QVector<CCurveJob>& jobs, int threads)
{
    // Detached here, on one thread: the workers then touch only their own jobs.
    CCurveJob* all = jobs.data();
    ParallelFor(jobs.size(), threads, [all](int i) {
        CCurveJob& job = all[i];
        job.m_Strokes.clear();
        if (job.m_pBranch)
            StrokeTimeCurve(*job.m_pBranch, job.m_From, job.m_To, job.m_Frame, job.m_Strokes);
    });
}

int CurveThreads()
{
    // Every processor shortens a paint of many long curves: the strips the curves are drawn in
    // cost the same whoever draws them. Past eight, thread starts and the strips' images (one
    // of the window's size per thread) add more than they save.
    return std::clamp(KorvantaPlatform::UsableProcessors(), 1, 8);
}

void VisibleSegments(const CPlotStrokes& strokes, QVector<QLine>& out)
{
    out.clear();
    const QVector<QPoint>& path = strokes.m_Path;
    if (path.size() < 2)
        return;
    // The filled rows of each column: a stroke at column c fills pixel columns c - 1 and c,
    // rows lo - 1 to hi. Per column the longest stroke is kept, in a table over the columns
    // the strokes span (a time curve's columns are near each other).
    int first = INT_MAX, last = INT_MIN;
    for (const QLine& c : strokes.m_Columns) {
        first = std::min(first, c.x1());
        last = std::max(last, c.x1());
    }
    const bool table = first <= last && (long long)last - first < 4 * (long long)strokes.m_Columns.size() + 64;
    QVector<QPair<int, int>> spans;   // lo > hi: no stroke
    QHash<int, QPair<int, int>> filled;
    if (table)
        spans.fill(qMakePair(1, 0), last - first + 1);
    for (const QLine& c : strokes.m_Columns) {
        const int lo = std::min(c.y1(), c.y2()) - 1, hi = std::max(c.y1(), c.y2());
        if (table) {
            QPair<int, int>& s = spans[c.x1() - first];
            if (s.first > s.second || hi - lo > s.second - s.first)
                s = qMakePair(lo, hi);
            continue;
        }
        auto it = filled.find(c.x1());
        if (it == filled.end())
            filled.insert(c.x1(), qMakePair(lo, hi));
        else if (hi - lo > it->second - it->first)
            *it = qMakePair(lo, hi);
    }
    auto covers = [&](int column, int top, int bottom) {
        if (table) {
            if (column < first || column > last)
                return false;
            const QPair<int, int>& s = spans.at(column - first);
            return s.first <= s.second && s.first <= top && s.second >= bottom;
        }
        auto it = filled.constFind(column);
        return it != filled.constEnd() && it->first <= top && it->second >= bottom;
    };
    out.reserve(path.size() - 1);
    for (int i = 1; i < path.size(); ++i) {
        const QPoint a = path.at(i - 1), b = path.at(i);
        // A stroke two pixels wide with square caps reaches at most 1.5 pixels beyond the
        // segment's box: pixel columns x - 2 to x + 2 and rows top - 2 to bottom + 1 for a
        // segment from column x to x + 1, filled by the strokes at x - 1, x + 1 and x + 2.
        if (b.x() == a.x() + 1) {
            const int top = std::min(a.y(), b.y()) - 2, bottom = std::max(a.y(), b.y()) + 1;
            const int x = a.x();
            if (covers(x - 1, top, bottom) && covers(x + 1, top, bottom) && covers(x + 2, top, bottom))
                continue;
        }
        out.append(QLine(a, b));
    }
}

int SettledXYSamples(const CDataBranch& branch, const CDataBranch& xBranch)
{
    const int n = std::min(branch.GetXSize(), branch.GetYSize());
    const double k = branch.GetXSample(0);
    const int xb = xBranch.GetYSize();
    const double lead = (std::isfinite(k) && k > 0.0) ? std::ceil(k) : 0.0;
    return int(std::clamp<double>(std::min<double>(n, double(xb) - lead), 0.0, n));
}

void StrokeXYCurveBySample(const CDataBranch& branch, const CDataBranch& xBranch, long long from, long long to,
                           const CCurveFrame& frame, CPlotStrokes& out, CXYProgress* progress)
{
    const Span sp = CurveSpan(branch, from, to);
    if (sp.empty() || !FrameUsable(frame))
        return;
    const QRect& r = frame.m_Rect;
    const int ny = branch.GetYSize();
    const int xbCount = xBranch.GetYSize();
    const float k = float(branch.GetXSample(0));
    auto px = [&](double x) { return GraphRules::ToPixelX(float(x), frame.m_XMin, frame.m_XMax, r); };
    auto py = [&](double y) { return GraphRules::ToPixelY(float(y), frame.m_YMin, frame.m_YMax, r); };
    // Index into the X branch of sample i; out of reach for a value that is no index at all.
    auto pair = [&](int i) -> long long {
        const float v = float(i) + k;
        return (std::isfinite(v) && std::fabs(v) < 2.0e9f) ? (long long)v : -1;
    };
    int firstIdx = sp.s;
    {
        const double x0 = branch.GetXSample(sp.s);
        if (std::isfinite(x0) && x0 > sp.s && x0 < 2.0e9)
            firstIdx = int(x0);
    }
    CCurveFrame solid = frame;
    if (solid.m_Style == 1)
        solid.m_Style = 0;
    CColumnStepper step(solid, &out);
    QPoint prev(px(xBranch.GetYSample(firstIdx)), py(FirstY(branch, sp.s)));
    bool seen = false, drawn = false;
    int start = sp.s;
    if (progress && progress->m_Next > sp.s) {
        start = progress->m_Next;
        prev = progress->m_Prev;
        seen = progress->m_bSeen;
        drawn = progress->m_bDrawn;
    }
    step.start(prev);
    const double lastX = xBranch.GetYSample(xbCount - 1);
    QVector<double> ys, ay;
    for (int i0 = start; i0 < sp.n; i0 += CopyChunk) {
        const int want = std::min(CopyChunk, sp.n - i0);
        const int got = branch.CopyYRange(i0, want, ys);
        // The X values this chunk pairs with, copied in one go. A chunk that starts before
        // the X branch does still pairs its later samples with X values.
        const long long j0 = std::max(0LL, pair(i0)), j1 = pair(i0 + std::max(got, 1) - 1);
        if (j1 >= j0)
            xBranch.CopyYRange(int(std::min<long long>(j0, INT_MAX)), int(std::min<long long>(j1 - j0 + 1, CopyChunk * 2)), ay);
        else
            ay.clear();
        for (int q = 0; q < got; ++q) {
            const int i = i0 + q;
            const double y = ys[q];
            if (Gap(y))
                continue;
            double x;
            if (i < xbCount) {
                const long long j = pair(i);
                x = (j >= j0 && j - j0 < ay.size()) ? ay[int(j - j0)] : double(CSampleStore::GapValue);
            } else {
                x = lastX;
            }
            if (Gap(x))
                continue;
            if (!seen) {
                seen = true;
                // A caller that continues a chain asks this on every paint itself.
                if (ny < 4 && !progress)
                    out.m_bRescaleY = true;
            }
            const QPoint p(px(x), py(y));
            // A point on the pixel of the one before adds nothing that is not drawn already.
            if (drawn && p == prev)
                continue;
            step.note(p.x(), p.y());
            step.point(p.x(), p.y());
            prev = p;
            drawn = true;
        }
        if (got < want)
            break;
    }
    if (progress) {
        progress->m_Next = std::max(start, sp.n);
        progress->m_Prev = prev;
        progress->m_bSeen = seen;
        progress->m_bDrawn = drawn;
    }
}

void StrokeBars(const CDataBranch& branch, long long from, long long to, const CCurveFrame& frame,
                QVector<CBarStroke>& bars, bool& rescaleX, bool& rescaleY)
{
    bars.clear();
    const Span sp = CurveSpan(branch, from, to);
    if (sp.empty() || !FrameUsable(frame))
        return;
    const QRect& r = frame.m_Rect;
    const int ny = branch.GetYSize();
    bool seen = false;
    QVector<double> xs, ys;
    const double limit = r.left() + 0.9 * (r.right() - r.left());
    for (int i0 = sp.s; i0 < sp.n; i0 += CopyChunk) {
        const int want = std::min(CopyChunk, sp.n - i0);
        const int got = branch.CopyRange(i0, want, xs, ys);
        for (int q = 0; q < got; ++q) {
            const int i = i0 + q;
            if (Gap(ys[q]))
                continue;
            if (!seen) {
                seen = true;
                if (ny < 4)
                    rescaleY = true;
            }
            const int px = GraphRules::ToPixelX(float(i), frame.m_XMin, frame.m_XMax, r);
            const int nextPx = GraphRules::ToPixelX(float(i + 1), frame.m_XMin, frame.m_XMax, r);
            const int py = GraphRules::ToPixelY(float(ys[q]), frame.m_YMin, frame.m_YMax, r);
            const int left = int(float(px) + float(nextPx - px) * 0.5f);
            bars.append(CBarStroke{QRect(QPoint(left, py), QPoint(nextPx, r.bottom() + 1)), ys[q]});
            if (py < r.top() || py > r.bottom())
                rescaleY = true;
            if (frame.m_bLive && (px < r.left() || nextPx > limit))
                rescaleX = true;
        }
        if (got < want)
            break;
    }
}

void DrawStraightLine(QPainter* painter, int x1, int y1, int x2, int y2)
{
    const QPen& pen = painter->pen();
    const QTransform device = painter->deviceTransform();
    const bool straight = x1 == x2 || y1 == y2;
    // A pen of width 0 or 1 is drawn one pixel wide unless it is scaled; a square or round cap
    // keeps the last pixel, a flat cap leaves it out.
    const bool plain = pen.style() == Qt::SolidLine && pen.widthF() <= 1.0 && pen.capStyle() != Qt::FlatCap
        && pen.brush().style() == Qt::SolidPattern && !painter->testRenderHint(QPainter::Antialiasing);
    const bool wholePixels = device.type() <= QTransform::TxTranslate && device.dx() == std::floor(device.dx())
        && device.dy() == std::floor(device.dy());
    if (!straight || !plain || !wholePixels) {
        painter->drawLine(x1, y1, x2, y2);
        return;
    }
    painter->fillRect(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2))),
                      pen.color());
}

void PaintStrokes(QPainter* painter, const QColor& colour, const CPlotStrokes& strokes, bool dashed)
{
    QPen pen(colour, 2, dashed ? Qt::DashLine : Qt::SolidLine);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    if (dashed) {
        // Each segment starts its own dash pattern, as separate lines do.
        QVector<QLine> lines;
        lines.reserve(strokes.segments() + strokes.m_Columns.size());
        for (int i = 1; i < strokes.m_Path.size(); ++i)
            lines.append(QLine(strokes.m_Path.at(i - 1), strokes.m_Path.at(i)));
        lines += strokes.m_Columns;
        painter->drawLines(lines);
    } else {
        // A solid vertical stroke two pixels wide on a whole column, square-capped, covers
        // exactly this rectangle: filled, it costs no outline to rasterise.
        // Whole-pixel rectangles need no smoothing; without it they take the fast fill.
        QVector<QRect> rects;
        rects.reserve(strokes.m_Columns.size());
        for (const QLine& c : strokes.m_Columns)
            rects.append(QRect(c.x1() - 1, std::min(c.y1(), c.y2()) - 1, 2, std::abs(c.y2() - c.y1()) + 2));
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(Qt::NoPen);
        painter->setBrush(QBrush(colour, Qt::SolidPattern));
        painter->drawRects(rects);
        painter->setBrush(Qt::NoBrush);
        painter->setPen(pen);
        painter->setRenderHint(QPainter::Antialiasing, true);
        QVector<QLine> lines;
        VisibleSegments(strokes, lines);
        if (!lines.isEmpty())
            painter->drawLines(lines);
    }
    if (strokes.m_Dots.isEmpty())
        return;
    painter->setPen(QPen(colour, 1, Qt::SolidLine));
    painter->setBrush(QBrush(colour, Qt::SolidPattern));
    for (const QPoint& p : strokes.m_Dots)
        painter->drawEllipse(QRect(QPoint(p.x() - 3, p.y() - 3), QPoint(p.x() + 2, p.y() + 2)));
    painter->setBrush(Qt::NoBrush);
}

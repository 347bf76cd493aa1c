// The strokes of an XY curve without reading every sample of a long run. Consecutive samples
// on the pixel drawn last add nothing to the curve, and once a run is long, nearly all of
// them do: a smooth curve crosses a few thousand pixels however many samples it holds. The
// store keeps the extremes of every run of SummarySize values of both lists; a run whose X
// and Y extremes both fall on the pixel drawn last is passed over unread. Every other run is
// read sample by sample exactly as StrokeXYCurveBySample reads it, so the chain, the dots and
// the autoscale requests are the same. A noisy run is different: every sample moves, but
// painted, its strokes soon land on pixels that already hold the curve's colour (CXYCanvas).
#include "graph/PlotStrokes.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/SampleStore.h"
#include "graph/GraphRules.h"
#include "graph/CurveLayer.h"
#include "graph/XYCoverage.h"

#include <QImage>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace {

constexpr int ReadChunk = 1 << 16;
// Run extremes copied at a time: a few pages, read under one lock.
constexpr int RunChunk = 4096;
// Below this every integer is a float, so the pairing of sample i with X index
// float(i) + k is the plain sum of two integers.
constexpr long long FloatExact = 1LL << 24;

bool Gap(double v)
{
    return CSampleStore::isGap(v);
}

// GraphRules::ToPixelX and ToPixelY with the frame's constants taken once: the same float
// arithmetic in the same order, so the same pixels, at a fraction of the cost per value.
struct CAxisMap
{
    // From first to last: left to right, or (up) bottom to top with first the top row.
    CAxisMap(float min, float max, int first, int last, bool up)
        : m_Min(min), m_Span(max - min), m_Size(float(last - first)), m_First(first), m_Last(last), m_bUp(up),
          m_bUsable(std::isfinite(m_Span) && m_Span != 0.0f)
    {
    }
    int operator()(float v) const
    {
        const int limit = GraphRules::PixelLimit;
        if (!m_bUsable)
            return std::clamp(m_bUp ? m_Last : m_First, -limit, limit);
        if (m_bUp)
            return std::clamp(m_Last - Truncate((v - m_Min) / m_Span * m_Size), -limit, limit);
        return Truncate((v - m_Min) / m_Span * m_Size + float(m_First));
    }
    // Values that surely fall on pixel p (an inner part of those that do: the float
    // arithmetic above is off by far less than the margin); false when there is none to give.
    bool inner(int p, double& lo, double& hi) const
    {
        const int limit = GraphRules::PixelLimit;
        if (!m_bUsable || m_Size == 0.0f || std::abs(p) >= limit - 1)
            return false;
        // The truncated quantity: the column itself, or the height above the bottom row.
        const int t = m_bUp ? m_Last - p : p;
        const double base = m_bUp ? 0.0 : double(m_First);
        // Each of the (up to) four single-precision steps is off by at most 2^-24 of its
        // result, all of which lie within |t| + |base| + size pixels: the margin is four times
        // their sum, and a thousandth of a pixel more.
        const double margin = 1.0e-3 + 1.0e-6 * (std::abs(double(t)) + std::abs(base) + std::abs(double(m_Size)));
        // Truncation goes towards zero: t >= 0 comes from [t, t + 1), t < 0 from (t - 1, t].
        const double a = (t >= 0 ? t : t - 1) + margin - base, b = (t >= 0 ? t + 1 : t) - margin - base;
        const double u = double(m_Min) + a / double(m_Size) * double(m_Span);
        const double v = double(m_Min) + b / double(m_Size) * double(m_Span);
        lo = std::min(u, v);
        hi = std::max(u, v);
        return true;
    }
    // NaN to 0, the rest clamped to the pixel limit: the same as GraphRules, written without
    // branches so that a loop of them is done several values at a time.
    static int Truncate(float v)
    {
        const float limit = float(GraphRules::PixelLimit);
        v = v == v ? v : 0.0f;
        return int(std::min(std::max(v, -limit), limit));
    }
    // The pixels of n values, as operator() gives them.
    void toPixels(const double* __restrict values, int* __restrict out, int n) const
    {
        const int limit = GraphRules::PixelLimit;
        // Members copied first: out could otherwise be taken to overlap them.
        const float min = m_Min, span = m_Span, size = m_Size, first = float(m_First);
        const int last = m_Last;
        if (!m_bUsable) {
            std::fill(out, out + n, (*this)(0.0f));
        } else if (m_bUp) {
            for (int q = 0; q < n; ++q)
                out[q] = std::min(std::max(last - Truncate((float(values[q]) - min) / span * size), -limit), limit);
        } else {
            for (int q = 0; q < n; ++q)
                out[q] = Truncate((float(values[q]) - min) / span * size + first);
        }
    }

    float m_Min, m_Span, m_Size;
    int m_First, m_Last;
    bool m_bUp, m_bUsable;
};

// An image an XY curve is painted into while it is stroked. Where a noisy curve crosses the
// same place over and over, its pixels come to hold the curve's opaque colour exactly; a
// stroke of that colour blends each pixel it touches with the colour itself, which leaves
// such a pixel as it is whatever the smoothing's coverage, so a segment that touches no
// other pixel need not be drawn.
class CXYCanvas
{
public:
    CXYCanvas(QImage& image, QPoint origin, const QColor& colour)
        : m_Image(image), m_Origin(origin), m_Colour(colour), m_Pixel(qPremultiply(colour.rgba()))
    {
    }
    // Whether every pixel a stroke from corner a to corner b can touch holds the colour, as
    // far as they lie in the image (a stroke leaves the rest untouched).
    bool covered(QPoint a, QPoint b) const
    {
        // Smoothed, a whole-number point lies on a pixel corner, and a pen two pixels wide with
        // square caps covers points at most sqrt(2) from the segment. Every pixel that reaches
        // within Reach of it is checked, row by row: in row y those beside the part of the
        // segment within Reach of the row.
        constexpr double Reach = 1.75;
        const QImage& image = m_Image;   // read without detaching it
        const double ax = a.x() - m_Origin.x(), ay = a.y() - m_Origin.y();
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        const int top = std::max(0, int(std::floor(std::min(ay, ay + dy) - Reach)));
        const int bottom = std::min(image.height() - 1, int(std::floor(std::max(ay, ay + dy) + Reach)));
        for (int y = top; y <= bottom; ++y) {
            double t0 = 0.0, t1 = 1.0;
            if (dy != 0.0) {
                const double u = (y - Reach - ay) / dy, v = (y + 1 + Reach - ay) / dy;
                t0 = std::max(0.0, std::min(u, v));
                t1 = std::min(1.0, std::max(u, v));
                if (t0 > t1)
                    continue;
            }
            const double x0 = ax + dx * t0, x1 = ax + dx * t1;
            const int left = std::max(0, int(std::floor(std::min(x0, x1) - Reach)));
            const int right = std::min(image.width() - 1, int(std::floor(std::max(x0, x1) + Reach)));
            const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = left; x <= right; ++x)
                if (line[x] != m_Pixel)
                    return false;
        }
        return true;
    }
    // Draws as PaintStrokes draws a plain line's segments.
    void paint(const QVector<QLine>& lines)
    {
        if (lines.isEmpty())
            return;
        QPainter p(&m_Image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.translate(-m_Origin);
        p.setPen(QPen(m_Colour, 2, Qt::SolidLine));
        p.setBrush(Qt::NoBrush);
        p.drawLines(lines);
    }

private:
    QImage& m_Image;
    const QPoint m_Origin;
    const QColor m_Colour;
    const QRgb m_Pixel;
};

class CXYWalker
{
public:
    CXYWalker(const CDataBranch& branch, const CDataBranch& xBranch, const CCurveFrame& frame, CPlotStrokes& out,
              bool requestShort)
        : m_Branch(branch), m_XBranch(xBranch), m_Frame(frame), m_Solid(frame), m_Out(out),
          m_Step(m_Solid, &out), m_bRequestShort(requestShort),
          m_PX(frame.m_XMin, frame.m_XMax, frame.m_Rect.left(), frame.m_Rect.right(), false),
          m_PY(frame.m_YMin, frame.m_YMax, frame.m_Rect.top(), frame.m_Rect.bottom(), true)
    {
        if (m_Solid.m_Style == 1)
            m_Solid.m_Style = 0;
    }
    ~CXYWalker() { awaitCoverage(); }
    CXYWalker(const CXYWalker&) = delete;
    CXYWalker& operator=(const CXYWalker&) = delete;

    void begin(QPoint prev, bool seen, bool drawn)
    {
        m_Prev = prev;
        m_bSeen = seen;
        m_bDrawn = drawn;
        m_bKnown = false;
        m_bKnownDue = false;
        m_Step.start(prev);
    }
    // Samples [a, b) of the plotted branch whose X index is i + shift, all stored in both.
    void walk(int a, int b, int shift);
    // Samples [a, b) in any other case: read by the reference, which continues the chain.
    void readBySample(long long from, int a, long long to);
    // From now on the chain is painted into canvas in batches while it is walked, leaving
    // out the segments whose strokes would fall on pixels it already holds in full.
    void paintInto(CXYCanvas* canvas) { m_pCanvas = canvas; }
    // From segment `from` of the curve on (counted from `painted`, those painted before), the
    // batches go to coverage instead; from < 0: never.
    void paintCoverage(CXYCoverage* coverage, long long painted, long long from)
    {
        m_pCoverage = coverage;
        m_Segments = painted;
        m_CoverageFrom = coverage ? from : -1;
        nextBatch();
    }
    // Paints the chain so far, keeping only its last point. Coverage's share goes on painting
    // while the walk reads on, until the next batch or awaitCoverage.
    void flush();
    // Waits until coverage has painted every batch handed to it.
    void awaitCoverage() { m_CoverageJob.wait(); }
    int m_LeftOut = 0;   // segments left out as already painted
    long long m_Segments = 0;   // segments of the curve painted

    QPoint m_Prev;
    bool m_bSeen = false;
    bool m_bDrawn = false;

private:
    // The runs of [a, b) (of size SummarySize2 when coarse) judged one by one; with coarse,
    // a run that cannot be passed over is judged again by its fine runs.
    void runs(int a, int b, int shift, bool coarse);
    // Asks memory for the samples of the fine runs r0 + [0, count) that cross a pixel edge,
    // which the walk reads next: the reads then overlap instead of each waiting in turn.
    void prefetchCrossing(int r0, int count, int lead, int straddle, const float* yl, const float* yh,
                          const float* xl, const float* xh, int shift);
    std::vector<unsigned char> m_Crossing;
    std::vector<int> m_Starts, m_XStarts;
    // Whether the run [i, i + size) with these extremes can be passed over unread; the
    // samples before it are read first when that depends on the pixel drawn last.
    bool passOver(int i, int size, int shift, float xl, float xh, float yl, float yh);
    void read(int a, int b, int shift);
    // Reads run [i, i + size) whose X values all fall on column m_RunColumn (or whose Y values
    // all fall on row m_RunRow) from the other list alone; the list left unread holds no gap
    // there, so every sample is a point of that column (row).
    void readAlong(int i, int size, int shift);
    // Reads run [i, i + size), whose points all fall on one pixel, only up to its first point
    // when that is found at once; false when the run has to be read whole.
    bool probe(int i, int size, int shift);
    void moveTo(QPoint p)
    {
        m_Prev = p;
        m_bDrawn = true;
        m_bKnownDue = true;
    }
    void take(double x, double y)
    {
        if (Gap(y) || Gap(x))
            return;
        const float fx = float(x), fy = float(y);
        if (m_bSeen && known(fx, fx, fy, fy))
            return;   // on the pixel drawn last
        take(QPoint(m_PX(fx), m_PY(fy)));
    }
    // The point of a sample that is no gap.
    void take(QPoint p)
    {
        if (!m_bSeen) {
            m_bSeen = true;
            if (m_bRequestShort)
                m_Out.m_bRescaleY = true;
        }
        if (m_bDrawn && p == m_Prev)
            return;
        m_Step.note(p.x(), p.y());
        m_Step.point(p);
        moveTo(p);
        if (m_pCanvas && m_Out.m_Path.size() >= m_BatchPoints)
            flush();
    }
    bool coverageNow() const { return m_CoverageFrom >= 0 && m_Segments >= m_CoverageFrom; }
    // The points of the next batch: a batch for the painter ends where coverage takes over, so
    // that it does so at the same segment however the curve is painted in stretches.
    void nextBatch()
    {
        if (coverageNow())
            m_BatchPoints = CoverageBatch >> std::max(FirstCoverageShift - m_CoverageBatches, 0);
        else if (m_CoverageFrom >= 0)
            m_BatchPoints = int(std::min<long long>(Batch, m_CoverageFrom - m_Segments + 1));
        else
            m_BatchPoints = Batch;
    }
    // A run whose extremes lie where values surely fall on the pixel drawn last, found
    // without a division once those values are worked out (when first asked: in a noisy run
    // every sample moves the pixel, and nothing asks).
    bool known(float xl, float xh, float yl, float yh)
    {
        if (m_bKnownDue) {
            m_bKnownDue = false;
            m_bKnown = m_PX.inner(m_Prev.x(), m_Known[0], m_Known[1]) && m_PY.inner(m_Prev.y(), m_Known[2], m_Known[3]);
        }
        return m_bKnown && xl >= m_Known[0] && xh <= m_Known[1] && yl >= m_Known[2] && yh <= m_Known[3];
    }

    const CDataBranch& m_Branch;
    const CDataBranch& m_XBranch;
    const CCurveFrame& m_Frame;
    CCurveFrame m_Solid;
    CPlotStrokes& m_Out;
    CColumnStepper m_Step;
    const bool m_bRequestShort;
    const CAxisMap m_PX, m_PY;
    // Whether the walked part of each list is free of gaps, so that a run whose values in that
    // list share one pixel is read from the other list alone.
    bool m_bXWhole = false;
    bool m_bYWhole = false;
    // The pixel all values of the run last judged to cross a pixel edge share in X (in Y), when
    // that run can be read from the other list alone; NoPixel otherwise.
    static constexpr int NoPixel = INT_MIN;
    int m_RunColumn = NoPixel;
    int m_RunRow = NoPixel;
    int m_Pending = 0;   // samples from here on are still to be read
    int m_Passed = 0;    // runs passed over so far
    int m_Dense = 0;     // coarse runs in a row none of whose fine runs was passed over
    int m_ReadWhole = 0; // coarse runs still to be read whole without judging their fine runs
    bool m_bKnown = false;
    bool m_bKnownDue = false;   // m_Known is still to be worked out for the pixel drawn last
    double m_Known[4] = {0.0, 0.0, 0.0, 0.0};
    // Points of the chain painted at a time. A batch's segments are checked against the image
    // as the batches before left it, which holds the colour in fewer pixels than the image
    // each segment is drawn over in order (once a pixel holds it, later strokes keep it).
    static constexpr int Batch = 4096;
    // Points handed to coverage at a time: enough for every thread's share to outweigh the
    // sorting into bands, few enough to stay in the caches.
    static constexpr int CoverageBatch = 1 << 17;
    // Coverage's first batches of a stroking are smaller (an eighth, a quarter, a half): the walk
    // of the first one has nothing beside it to overlap.
    static constexpr int FirstCoverageShift = 3;
    int m_CoverageBatches = 0;   // batches handed to coverage so far
    int m_BatchPoints = Batch;
    CXYCanvas* m_pCanvas = nullptr;
    CXYCoverage* m_pCoverage = nullptr;
    long long m_CoverageFrom = -1;
    std::vector<QPoint> m_CoveragePoints;   // the batch coverage is painting
    CCurveTask m_CoverageJob;
    QVector<QLine> m_Lines;
    QVector<double> m_Ys, m_Xs;
    std::vector<int> m_Pixels;
    QVector<float> m_Runs[2][4];
};

void CXYWalker::read(int a, int b, int shift)
{
    for (int i0 = a; i0 < b; i0 += ReadChunk) {
        const int want = std::min(ReadChunk, b - i0);
        const int got = std::min(m_Branch.CopyYRange(i0, want, m_Ys), m_XBranch.CopyYRange(i0 + shift, want, m_Xs));
        // The pixels of the whole chunk first, then the points that move.
        const double* xs = m_Xs.constData();
        const double* ys = m_Ys.constData();
        m_Pixels.resize(size_t(got) * 2);
        int* px = m_Pixels.data();
        int* py = px + got;
        m_PX.toPixels(xs, px, got);
        m_PY.toPixels(ys, py, got);
        for (int q = 0; q < got; ++q) {
            if (m_bSeen && m_bDrawn && px[q] == m_Prev.x() && py[q] == m_Prev.y())
                continue;
            if (!Gap(ys[q]) && !Gap(xs[q]))
                take(QPoint(px[q], py[q]));
        }
        if (got < want)
            return;
    }
}

void CXYWalker::readAlong(int i, int size, int shift)
{
    const bool column = m_RunColumn != NoPixel;
    QVector<double>& values = column ? m_Ys : m_Xs;
    const int got = column ? m_Branch.CopyYRange(i, size, values) : m_XBranch.CopyYRange(i + shift, size, values);
    m_Pixels.resize(size_t(got));
    int* pixels = m_Pixels.data();
    const double* v = values.constData();
    (column ? m_PY : m_PX).toPixels(v, pixels, got);
    for (int q = 0; q < got; ++q) {
        const QPoint p = column ? QPoint(m_RunColumn, pixels[q]) : QPoint(pixels[q], m_RunRow);
        if (m_bSeen && m_bDrawn && p == m_Prev)
            continue;
        if (!Gap(v[q]))
            take(p);
    }
}

bool CXYWalker::passOver(int i, int size, int shift, float xl, float xh, float yl, float yh)
{
    m_RunColumn = m_RunRow = NoPixel;
    if (!(yl <= yh) || !(xl <= xh)) {
        // No Y value or no X value: no point at all.
        read(m_Pending, i, shift);
        m_Pending = i + size;
        ++m_Passed;
        return true;
    }
    if (m_Pending == i && known(xl, xh, yl, yh)) {
        m_Pending = i + size;
        ++m_Passed;
        return true;
    }
    const QPoint p(m_PX(xl), m_PY(yl));
    const bool oneColumn = m_PX(xh) == p.x(), oneRow = m_PY(yh) == p.y();
    if (!oneColumn || !oneRow) {
        if (oneColumn && m_bXWhole)
            m_RunColumn = p.x();
        else if (oneRow && m_bYWhole)
            m_RunRow = p.y();
        return false;
    }
    // One pixel for the whole run: it adds nothing if that is the pixel drawn last once the
    // samples before it are in, and nothing but its first point otherwise.
    read(m_Pending, i, shift);
    m_Pending = i;
    if (!(m_bDrawn && m_Prev == p) && !probe(i, size, shift))
        return false;
    m_Pending = i + size;
    ++m_Passed;
    return true;
}

void CXYWalker::flush()
{
    const QVector<QPoint>& path = m_Out.m_Path;
    if (!m_pCanvas || path.size() < 2)
        return;
    const int segments = path.size() - 1;
    // The painter takes the segments before coverage's turn, coverage the rest.
    int painted = segments;
    if (m_CoverageFrom >= 0)
        painted = int(std::clamp<long long>(m_CoverageFrom - m_Segments, 0, segments));
    m_Lines.clear();
    m_Lines.reserve(painted);
    for (int k = 0; k < painted; ++k) {
        const QPoint a = path.at(k), b = path.at(k + 1);
        if (m_pCanvas->covered(a, b)) {
            ++m_LeftOut;
            continue;
        }
        m_Lines.append(QLine(a, b));
    }
    m_pCanvas->paint(m_Lines);
    if (painted < segments) {
        // Coverage paints the batch over the curve threads while this thread walks on to the
        // next one; the batches still go one after the other, in order. The image is coverage's
        // alone meanwhile: the painter's segments all came before.
        awaitCoverage();
        m_CoveragePoints.assign(path.constData() + painted, path.constData() + path.size());
        ++m_CoverageBatches;
        m_CoverageJob.start([this] {
            m_pCoverage->paint(m_CoveragePoints.data(), int(m_CoveragePoints.size()), CurveThreads());
        });
    }
    m_Segments += segments;
    const QPoint last = path.last();
    m_Out.m_Path.clear();
    m_Out.m_Path.append(last);
    nextBatch();
}

bool CXYWalker::probe(int i, int size, int shift)
{
    constexpr int Probe = 4;
    const int n = std::min(Probe, size);
    const int got = std::min(m_Branch.CopyYRange(i, n, m_Ys), m_XBranch.CopyYRange(i + shift, n, m_Xs));
    for (int q = 0; q < got; ++q) {
        if (!Gap(m_Ys.at(q)) && !Gap(m_Xs.at(q))) {
            take(m_Xs.at(q), m_Ys.at(q));
            return true;
        }
    }
    return false;
}

void CXYWalker::runs(int a, int b, int shift, bool coarse)
{
    const int size = coarse ? CSampleStore::SummarySize2 : CSampleStore::SummarySize;
    const int first = (a + size - 1) / size, end = b / size;
    if (coarse && first >= end) {
        runs(a, b, shift, false);
        return;
    }
    if (coarse)
        runs(a, first * size, shift, false);
    // Kept per level: the fine runs of a coarse run are judged while its level's are in use.
    QVector<float>& yLo = m_Runs[coarse][0];
    QVector<float>& yHi = m_Runs[coarse][1];
    QVector<float>& xLo = m_Runs[coarse][2];
    QVector<float>& xHi = m_Runs[coarse][3];
    for (int r0 = first; r0 < end; r0 += RunChunk) {
        const int count = std::min(RunChunk, end - r0);
        const int ys = m_Branch.CopyYRunExtremes(r0, count, yLo, yHi, coarse);
        // The X values of a run straddle two of the X list's runs unless the shift is a
        // whole number of runs; both are taken, which can only widen the extremes.
        const int x0 = (r0 * size + shift) / size;
        const int x1 = ((r0 + count) * size + shift - 1) / size;
        const int xs = m_XBranch.CopyYRunExtremes(x0, x1 - x0 + 1, xLo, xHi, coarse);
        // Read through plain pointers: the lists are not shared, and indexing them as
        // QVectors asks each time whether they are.
        const float* yl = yLo.constData();
        const float* yh = yHi.constData();
        const float* xl = xLo.constData();
        const float* xh = xHi.constData();
        // Run r0 + q takes X run q + lead and, unless the shift is a whole number of runs, the
        // one after (i + shift >= 0 throughout).
        const int lead = (r0 * size + shift) / size - x0;
        const int straddle = (shift % size) != 0 ? 1 : 0;
        if (!coarse)
            prefetchCrossing(r0, std::min({count, ys, xs - lead - straddle}), lead, straddle, yl, yh, xl, xh, shift);
        for (int q = 0; q < count; ++q) {
            const int i = (r0 + q) * size;
            const int xa = q + lead, xb = xa + straddle;
            const bool atHand = q < ys && xb < xs;   // else the run stays to be read
            if (atHand && passOver(i, size, shift, std::min(xl[xa], xl[xb]), std::max(xh[xa], xh[xb]), yl[q], yh[q]))
                continue;
            if (!coarse) {
                // A run that crosses in one direction only is read now, from one list; the
                // others wait to be read with the runs after them.
                if (atHand && (m_RunColumn != NoPixel || m_RunRow != NoPixel)) {
                    read(m_Pending, i, shift);
                    readAlong(i, size, shift);
                    m_Pending = i + size;
                }
                continue;
            }
            // Where every sample moves (noise), no fine run is passed over: judging them
            // costs more than reading them, so after a few such coarse runs the next ones
            // are read whole, a longer stretch the longer it lasts.
            if (m_ReadWhole > 0) {
                --m_ReadWhole;
                continue;
            }
            const int passed = m_Passed;
            runs(i, i + size, shift, false);
            if (m_Passed != passed)
                m_Dense = 0;
            else if (++m_Dense >= 4)
                m_ReadWhole = std::min(m_Dense, 64);
        }
    }
    if (coarse)
        runs(end * size, b, shift, false);
}

void CXYWalker::prefetchCrossing(int r0, int count, int lead, int straddle, const float* yl, const float* yh,
                                 const float* xl, const float* xh, int shift)
{
    if (!m_PX.m_bUsable || !m_PY.m_bUsable || count <= 0)
        return;
    constexpr int Fine = CSampleStore::SummarySize;
    // Whole pixels apart, roughly (truncated, NaN to the lower bound): a run this misses is
    // read all the same, only not asked for ahead.
    const float kx = m_PX.m_Size / m_PX.m_Span, ky = m_PY.m_Size / m_PY.m_Span;
    const float ymin = m_PY.m_Min, xmin = m_PX.m_Min;
    const auto cell = [](float v) {
        constexpr float Far = 1.0e6f;
        return int(std::min(Far, std::max(-Far, v)));
    };
    // Bit 0: crosses a row edge; bit 1: a column edge.
    m_Crossing.resize(size_t(count));
    unsigned char* crossing = m_Crossing.data();
    for (int q = 0; q < count; ++q)
        crossing[q] = (cell((yl[q] - ymin) * ky) != cell((yh[q] - ymin) * ky))
            | (cell((xl[q + lead] - xmin) * kx) != cell((xh[q + lead + straddle] - xmin) * kx)) << 1;
    // A list is read unless the run stays on one pixel of it and it holds no gap.
    m_Starts.clear();
    m_XStarts.clear();
    for (int q = 0; q < count; ++q) {
        if (!crossing[q])
            continue;
        if ((crossing[q] & 1) || !m_bYWhole)
            m_Starts.push_back((r0 + q) * Fine);
        if ((crossing[q] & 2) || !m_bXWhole)
            m_XStarts.push_back((r0 + q) * Fine);
    }
    if (!m_Starts.empty())
        m_Branch.PrefetchY(m_Starts.data(), int(m_Starts.size()), 0, Fine);
    if (!m_XStarts.empty())
        m_XBranch.PrefetchY(m_XStarts.data(), int(m_XStarts.size()), shift, Fine);
}

void CXYWalker::walk(int a, int b, int shift)
{
    m_bYWhole = !m_Branch.YMayHoldGap(a, b);
    m_bXWhole = !m_XBranch.YMayHoldGap(a + shift, b + shift);
    m_Pending = a;
    runs(a, b, shift, true);
    read(m_Pending, b, shift);
}

void CXYWalker::readBySample(long long from, int a, long long to)
{
    CXYProgress at;
    at.m_Next = a;
    at.m_Prev = m_Prev;
    at.m_bSeen = m_bSeen;
    at.m_bDrawn = m_bDrawn;
    const bool seen = m_bSeen;
    StrokeXYCurveBySample(m_Branch, m_XBranch, from, to, m_Frame, m_Out, &at);
    if (!seen && at.m_bSeen && m_bRequestShort)
        m_Out.m_bRescaleY = true;
    begin(at.m_Prev, at.m_bSeen, at.m_bDrawn);
}

// StrokeXYCurve, painting into canvas when one is given (and from segment coverageFrom on
// with coverage, when that is given); returns the segments left out as already painted.
int StrokeXY(const CDataBranch& branch, const CDataBranch& xBranch, long long from, long long to,
             const CCurveFrame& frame, CPlotStrokes& out, CXYProgress* progress, CXYCanvas* canvas,
             CXYCoverage* coverage = nullptr, long long coverageFrom = -1)
{
    const int nx = branch.GetXSize();
    const int n = (to >= 0 && to <= nx) ? int(to) : nx;
    const int s = from < 0 ? 0 : int(std::min<long long>(from, n));
    if (s >= n || !std::isfinite(frame.m_XMax - frame.m_XMin) || frame.m_XMax == frame.m_XMin)
        return 0;
    const int ny = branch.GetYSize();
    const int xbCount = xBranch.GetYSize();
    const float k = float(branch.GetXSample(0));
    CXYWalker walker(branch, xBranch, frame, out, ny < 4 && !progress);
    walker.paintInto(canvas);
    walker.paintCoverage(coverage, progress ? progress->m_Segments : 0, coverageFrom);
    // The chain starts where the reference starts it.
    int firstIdx = s;
    const double x0 = branch.GetXSample(s);
    if (std::isfinite(x0) && x0 > s && x0 < 2.0e9)
        firstIdx = int(x0);
    double y0 = branch.GetYSample(s);
    if (Gap(y0))
        y0 = branch.GetYSample(s + 1);
    walker.begin(QPoint(GraphRules::ToPixelX(float(xBranch.GetYSample(firstIdx)), frame.m_XMin, frame.m_XMax, frame.m_Rect),
                        GraphRules::ToPixelY(float(y0), frame.m_YMin, frame.m_YMax, frame.m_Rect)),
                 false, false);
    int start = s;
    if (progress && progress->m_Next > s) {
        start = progress->m_Next;
        walker.begin(progress->m_Prev, progress->m_bSeen, progress->m_bDrawn);
    }
    // The samples paired by plain integer addition with a stored X value; the rest (a
    // fractional or huge first X value, samples before the X list starts or past its end)
    // go through the reference.
    int lo = start, hi = start;
    if (std::isfinite(k) && k == std::floor(k) && std::fabs(k) < float(FloatExact)) {
        const long long shift = (long long)k;
        const long long end = std::min({(long long)std::min(n, ny), (long long)xbCount, xbCount - shift,
                                        FloatExact, FloatExact - shift});
        lo = int(std::clamp<long long>(-shift, start, n));
        hi = int(std::clamp<long long>(end, lo, n));
        if (lo > start)
            walker.readBySample(from, start, lo);
        if (hi > lo)
            walker.walk(lo, hi, int(shift));
    }
    if (hi < n)
        walker.readBySample(from, hi, to);
    if (progress) {
        progress->m_Next = std::max(start, n);
        progress->m_Prev = walker.m_Prev;
        progress->m_bSeen = walker.m_bSeen;
        progress->m_bDrawn = walker.m_bDrawn;
    }
    walker.flush();
    walker.awaitCoverage();
    if (progress)
        progress->m_Segments = walker.m_Segments;
    return walker.m_LeftOut;
}

} // namespace

void StrokeXYCurve(const CDataBranch& branch, const CDataBranch& xBranch, long long from, long long to,
                   const CCurveFrame& frame, CPlotStrokes& out, CXYProgress* progress)
{
    StrokeXY(branch, xBranch, from, to, frame, out, progress, nullptr);
}

int PaintXYCurve(QImage& image, QPoint origin, const QColor& colour, const CDataBranch& branch,
                 const CDataBranch& xBranch, long long from, long long to, const CCurveFrame& frame,
                 CPlotStrokes& out, CXYProgress* progress, long long coverageFrom)
{
    // Only an opaque colour painted over itself is sure to leave a pixel as it is; dots are
    // drawn after all the lines, which batches would interleave.
    const bool plain = frame.m_Style == 0 || frame.m_Style == 1;
    const bool formatKnown = (image.format() == QImage::Format_ARGB32_Premultiplied
                              || image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32)
        && image.devicePixelRatio() == 1.0;
    if (!plain || colour.alpha() != 255 || !formatKnown) {
        StrokeXY(branch, xBranch, from, to, frame, out, progress, nullptr);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.translate(-origin);
        PaintStrokes(&p, colour, out, false);
        out.m_Path.clear();
        out.m_Dots.clear();
        return 0;
    }
    CXYCanvas canvas(image, origin, colour);
    const bool coverageFits = coverageFrom >= 0 && CXYCoverage::Handles(image, colour);
    if (progress && !progress->m_pCoverageMaps)
        progress->m_pCoverageMaps = std::make_shared<CXYCoverageMaps>();
    CXYCoverage coverage(image, origin, colour, progress ? progress->m_pCoverageMaps.get() : nullptr);
    const int leftOut = StrokeXY(branch, xBranch, from, to, frame, out, progress, &canvas,
                                 coverageFits ? &coverage : nullptr, coverageFrom);
    out.m_Path.clear();
    return leftOut;
}

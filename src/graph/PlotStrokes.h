#pragma once
// Turns a data branch into the strokes of its curve: the lines and dots one paint draws, and
// the autoscale requests the points raise. A time curve is reduced to pixel columns: the
// samples that fall into one column become one vertical stroke, so the cost of a curve
// follows the width of the plot area, not the length of the run. The reduction reads the
// branch's summaries (extremes per run of samples) under short locks and draws nothing; the
// window paints the strokes afterwards with no lock held.
#include <QLine>
#include <QPoint>
#include <QRect>
#include <QVector>

#include <memory>

class CDataBranch;
class QColor;
class QImage;
class QPainter;
struct CXYCoverageMaps;

// The segments joining the points of a curve form one chain (each starts where the one before
// ended), kept as its points; the vertical strokes of the pixel columns are kept apart, so
// the window can stroke the chain in one call and fill the strokes as rectangles.
struct CPlotStrokes
{
    QVector<QPoint> m_Path;      // the chain: segment k runs from point k to point k + 1
    QVector<QLine> m_Columns;    // vertical strokes, top and bottom row of each
    QVector<QPoint> m_Dots;
    bool m_bRescaleX = false;
    bool m_bRescaleY = false;
    void clear()
    {
        m_Path.clear();
        m_Columns.clear();
        m_Dots.clear();
        m_bRescaleX = m_bRescaleY = false;
    }
    int segments() const { return m_Path.size() > 1 ? m_Path.size() - 1 : 0; }
};

// What one curve is drawn against.
struct CCurveFrame
{
    QRect m_Rect;         // the plot area
    float m_XMin = 0.0f, m_XMax = 10.0f;
    float m_YMin = 0.0f, m_YMax = 10.0f;
    int m_Style = 0;      // 0 line, 1 dashed, 2 line with dots, 3 dots
    bool m_bLive = false; // a run or playback is drawn: points outside raise autoscale requests
    double m_XThreshold = 0.7;   // share of the width past which the X axis is to scroll
};

// The pixel-column stepping of a time curve, one sample after the other: a sample in the
// column of the previous point widens that column's extent; the first sample of a new column
// closes the old column with one vertical stroke (drawn at the new column) and is joined to
// the previous point.
class CColumnStepper
{
public:
    CColumnStepper(const CCurveFrame& frame, CPlotStrokes* out) : m_Frame(frame), m_pOut(out) {}
    // What the stepping carries from one column to the next.
    struct State
    {
        QPoint prev;
        bool active = false;
        bool atStart = false;
        int low = 0, high = 0;
    };
    State state() const { return State{m_Prev, m_bActive, m_bAtStart, m_Low, m_High}; }
    void restore(const State& s)
    {
        m_Prev = s.prev;
        m_bActive = s.active;
        m_bAtStart = s.atStart;
        m_Low = s.low;
        m_High = s.high;
    }
    // The curve's first point, which its first sample then adds again.
    void start(QPoint first)
    {
        m_Prev = first;
        m_bAtStart = true;
    }
    void add(int px, int py, bool last);
    // Raises the autoscale requests a drawn point calls for.
    void note(int px, int py);
    // Joins the point to the previous one (and dots it, by style).
    void point(int px, int py) { point(QPoint(px, py)); }
    // The same for a point at hand whole: passed in one register, it reaches the path's
    // out-of-line append as one 8-byte value (two 4-byte halves stored apart would stall the
    // append's read of it, once for every point of a noisy curve).
    void point(QPoint p);

private:
    const CCurveFrame& m_Frame;
    CPlotStrokes* m_pOut;
    QPoint m_Prev;
    bool m_bActive = false;
    bool m_bAtStart = false;   // nothing added since start
    int m_Low = 0, m_High = 0;
};

// Where the reduction of a time curve reached: the start of its last pixel column, the only
// one that later samples of a growing run can still change, with everything the strokes
// before it depend on. A reduction given it again, with the same branch, span start and
// frame, drops what that column produced and goes on from there.
struct CTimeProgress
{
    bool m_bValid = false;
    int m_Start = 0;        // first sample of the last column
    int m_Column = 0;       // its pixel column: nothing left of it changes
    int m_XCount = 0;       // X and Y counts the strokes were made from
    int m_YCount = 0;
    CColumnStepper::State m_State;
    int m_Path = 0, m_Columns = 0, m_Dots = 0;   // the strokes' sizes before the column
    bool m_bRescaleX = false, m_bRescaleY = false, m_bSeen = false;
};

// Samples [from, to) of a time curve (to -1 or past the end: all). Reads the branch's
// summaries when its X values never decrease, otherwise a bulk copy of every sample. With
// progress, out must hold the strokes that progress describes; they are brought up to date
// (progress is left invalid where the curve cannot be continued: X values out of order or a
// branch of fewer than 4 samples, which raises a request on every paint).
void StrokeTimeCurve(const CDataBranch& branch, long long from, long long to, const CCurveFrame& frame,
                     CPlotStrokes& out, CTimeProgress* progress = nullptr);
// One time curve of a graph to reduce: its branch, samples [from, to), frame and strokes.
struct CCurveJob
{
    const CDataBranch* m_pBranch = nullptr;
    long long m_From = 0;
    long long m_To = -1;
    CCurveFrame m_Frame;
    CPlotStrokes m_Strokes;
};
// Reduces every job's curve as StrokeTimeCurve does, spread over up to `threads` threads (the
// caller's among them). The reduction only reads the branches under their short locks and
// draws nothing, so the curves of a graph need not wait for each other; the caller must keep
// the branches alive until it returns.
void StrokeTimeCurves(QVector<CCurveJob>& jobs, int threads);
// Threads worth using for the curves of one paint on this machine.
int CurveThreads();

// The same sample by sample over a bulk copy; the reference the reduction must match.
void StrokeTimeCurveBySample(const CDataBranch& branch, long long from, long long to,
                             const CCurveFrame& frame, CPlotStrokes& out);

// Where the strokes of an XY curve stopped, so that later samples continue the same chain.
struct CXYProgress
{
    int m_Next = -1;   // first sample not stroked yet; -1: none stroked
    QPoint m_Prev;
    bool m_bSeen = false;
    bool m_bDrawn = false;
    long long m_Segments = 0;   // segments PaintXYCurve painted of the curve so far
    // What its rasteriser knows of the image, for the next stretch into the same image.
    std::shared_ptr<CXYCoverageMaps> m_pCoverageMaps;
};
// An XY curve: X from the Y values of xBranch, paired by the plotted branch's first X value.
// Consecutive samples on the same pixel add nothing to the picture and are left out. With
// progress, the strokes start where it stopped and it records where they end. Runs of
// samples that the store's summaries place on the pixel drawn last are passed over unread
// (XYStrokes.cpp).
void StrokeXYCurve(const CDataBranch& branch, const CDataBranch& xBranch, long long from, long long to,
                   const CCurveFrame& frame, CPlotStrokes& out, CXYProgress* progress = nullptr);
// Strokes an XY curve as StrokeXYCurve does and paints it into image (translated by -origin)
// as PaintStrokes would, a batch of segments at a time, so that the chain of a long run is
// never held whole. Where the colour is opaque and the curve a plain line, a segment whose
// stroke would only touch pixels that already hold the colour is left out: painting an
// opaque colour over itself changes nothing, so the picture is the same. out receives the
// autoscale requests (the chain itself is painted and dropped). Returns the segments left out.
// From segment coverageFrom of the curve on (counted in progress across calls; -1: never), such
// a curve's segments are painted by CXYCoverage over the graph's threads instead, which the
// painter's picture matches within a level per channel.
int PaintXYCurve(QImage& image, QPoint origin, const QColor& colour, const CDataBranch& branch,
                 const CDataBranch& xBranch, long long from, long long to, const CCurveFrame& frame,
                 CPlotStrokes& out, CXYProgress* progress = nullptr, long long coverageFrom = -1);
// The same sample by sample over a bulk copy; the reference StrokeXYCurve must match.
void StrokeXYCurveBySample(const CDataBranch& branch, const CDataBranch& xBranch, long long from, long long to,
                           const CCurveFrame& frame, CPlotStrokes& out, CXYProgress* progress = nullptr);
// The segments of a time curve's chain that show anything once its column strokes are filled
// (solid strokes only). A segment between neighbouring columns whose every touched pixel lies
// inside the filled strokes beside it changes no pixel; dense curves have mostly such.
void VisibleSegments(const CPlotStrokes& strokes, QVector<QLine>& out);

// Paints a curve's strokes in its colour: pen two pixels wide (dashed for a dashed time
// curve), dots of six pixels; the painter's antialiasing stays on for what it smooths.
void PaintStrokes(QPainter* painter, const QColor& colour, const CPlotStrokes& strokes, bool dashed);

// Draws the line from (x1, y1) to (x2, y2) with the painter's pen, as drawLine does. A line
// along a row or a column in a solid pen one pixel wide, unsmoothed and on whole device
// pixels, is filled as the rectangle of pixels drawLine sets: the line rasteriser sets them a
// call each, which makes a full-length grid line cost tens of times more than the fill.
void DrawStraightLine(QPainter* painter, int x1, int y1, int x2, int y2);

// The samples of an XY curve whose X value can no longer change: those paired with an X sample
// that exists (a sample past the X branch's end takes its last value, which moves on).
int SettledXYSamples(const CDataBranch& branch, const CDataBranch& xBranch);

// The bars of a timing-results graph: one rectangle per valid sample, with its value.
struct CBarStroke
{
    QRect m_Rect;
    double m_Value;
};
void StrokeBars(const CDataBranch& branch, long long from, long long to, const CCurveFrame& frame,
                QVector<CBarStroke>& bars, bool& rescaleX, bool& rescaleY);

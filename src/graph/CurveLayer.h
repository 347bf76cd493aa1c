#pragma once
// Painting the strokes of many curves into an image of the plot area, several threads at once.
// The image is cut into vertical strips; each thread paints every curve, in order, into the
// strips it takes, so each pixel sees the same operations in the same order as one painter
// stroking the curves one after the other would give it. Column strokes of an opaque colour are
// written straight into the pixels: they are whole-pixel rectangles, and filling them through
// a painter took a third of the time a dense curve's painting took.
#include "graph/PlotStrokes.h"

#include <QColor>
#include <QImage>
#include <QLine>
#include <QVector>

#include <functional>
#include <memory>

// One solid curve to paint: its colour, its strokes and the segments of its chain that show
// (VisibleSegments of the strokes).
struct CCurveInk
{
    QColor m_Color;
    const CPlotStrokes* m_pStrokes = nullptr;
    QVector<QLine> m_Visible;
};

// Runs fn(0) .. fn(count - 1), each once, over up to `threads` threads: the caller's and the
// graph's own thread pool's; returns when all have run. The caller's thread runs callerFirst
// (if any) before it joins in: work that must stay on it (or may run beside the rest) overlaps
// the others' share. Safe to call from several threads at once and from inside fn: when the
// pool is busy the caller runs what no helper took. fn and callerFirst must not throw: a throw
// ends the program, on the caller's thread as on a helper's.
void ParallelFor(int count, int threads, const std::function<void(int)>& fn,
                 const std::function<void()>& callerFirst = {}) noexcept;

// One piece of work at a time run on the graph's thread pool beside the caller's own work:
// start() hands it over and returns at once; wait() returns once it has run, running it on the
// caller's thread when no pool thread has taken it up yet (so a busy pool never holds the
// caller up), and otherwise taking indices of the ParallelFor the work is in meanwhile (its
// outermost one), so that the waiting thread's processor is not left idle. start() waits for
// the work before; so does the destructor. fn must not throw.
class CCurveTask
{
public:
    CCurveTask();
    ~CCurveTask();
    CCurveTask(const CCurveTask&) = delete;
    CCurveTask& operator=(const CCurveTask&) = delete;

    void start(std::function<void()> fn);
    void wait();

private:
    // A split job the work runs opens itself to the waiter (ParallelFor asks the runner).
    friend void ParallelFor(int, int, const std::function<void(int)>&, const std::function<void()>&) noexcept;
    class CRunner;
    std::unique_ptr<CRunner> m_pRunner;
};

// Paints the curves, in order, into the part `area` of image (in the image's pixels) as
// PaintStrokes paints each solid one on a painter of the image translated by -origin, clipped
// to area, antialiased. The image must be of a 32-bit format (it is detached first); pixels
// outside area stay as they were. Dashed strokes are not handled here.
void PaintCurvesInStrips(QImage& image, QPoint origin, const QRect& area, const QVector<CCurveInk>& curves,
                         int threads);

// Fills the rectangles a solid pen two pixels wide covers over each column stroke (the image
// showing the area whose top left corner is origin, clipped to its edges) with an opaque
// colour: what a painter's fill of the same rectangles writes. False, drawing nothing, for a
// colour that is not opaque or an image that is not of a 32-bit format.
bool FillColumnStrokes(QImage& image, QPoint origin, const QColor& colour, const QVector<QLine>& columns);

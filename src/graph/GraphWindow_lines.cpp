// The curves: the strokes of each visible plot (reduced to pixel columns on a time graph),
// the bars of a timing-results graph and the mid-point marks of a derivative.
#include "graph/GraphWindow.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "graph/GraphRules.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTimer>

#include <climits>

namespace {

CCurveFrame Frame(const QRect& rect, float xMin, float xMax, const CGraphPlot& plot, bool live, double threshold)
{
    CCurveFrame f;
    f.m_Rect = rect;
    f.m_XMin = xMin;
    f.m_XMax = xMax;
    f.m_YMin = plot.m_Min;
    f.m_YMax = plot.m_Max;
    f.m_Style = plot.m_Style;
    f.m_bLive = live;
    f.m_XThreshold = threshold;
    return f;
}

} // namespace

void CGraphWindow::DrawLineGraph(QPainter* painter, QRect&)
{
    DrawLines(painter, 0, long(m_LastShownSample));
    DrawPredictPlots(painter);
}

void CGraphWindow::DrawLines(QPainter* painter, long from, long to)
{
    if (!m_bRepaintBeyondToolBar || m_bUpdatingPlots)
        return;
    painter->setClipRect(m_GraphRect);
    if (m_GraphType == TimeGraph) {
        if (!drawLiveLayer(painter, from, to))
            drawTimeCurves(painter, from, to);
        painter->setClipping(false);
        return;
    }
    dropPaintCaches();
    for (int i = 0; i < m_Plots.size(); ++i) {
        if (!m_Plots.at(i).m_bVisible)
            continue;
        if (m_GraphType == XYGraph)
            DrawPlotLine(painter, i, from, to);
        else
            DrawPlotLine_optimized(painter, i, from, to);
        if (m_GraphType == BarGraph)
            break;
    }
    painter->setClipping(false);
}

// The curves of a time graph: all reduced first (side by side), then painted in plot order
// exactly as DrawPlotLine_optimized paints one.
void CGraphWindow::drawTimeCurves(QPainter* painter, long from, long to)
{
    dropPaintCaches();
    QVector<CCurveJob> jobs;
    QVector<int> plotOf;
    const GraphRules::XAxisContent axis = m_X.TimeAxisContent();
    for (int i = 0; i < m_Plots.size(); ++i) {
        const CGraphPlot& plot = m_Plots.at(i);
        const CDataBranch* branch = m_X.PlotIsDrawn(i, axis) ? GetDataBranch(i) : nullptr;
        if (!branch)
            continue;
        CCurveJob job;
        job.m_pBranch = branch;
        job.m_From = from;
        job.m_To = m_X.PlotSampleEnd(i, to);
        // Each curve is reduced along its own sample numbers, in the axis range they span.
        const GraphRules::Range x = m_X.PlotRange(i);
        job.m_Frame = Frame(m_GraphRect, x.min, x.max, plot, isLive(), 0.7);
        jobs.append(job);
        plotOf.append(i);
    }
    if (jobs.isEmpty())
        return;
    m_BarDataList.clear();
    if (paintTimeLayer(painter, jobs, plotOf))
        return;
    StrokeTimeCurves(jobs, CurveThreads());
    for (int j = 0; j < jobs.size(); ++j) {
        const CGraphPlot& plot = m_Plots.at(plotOf.at(j));
        const CPlotStrokes& strokes = jobs.at(j).m_Strokes;
        m_X.NoteBeyond(strokes.m_bRescaleX);
        m_bRescaleY = m_bRescaleY || strokes.m_bRescaleY;
        PaintStrokes(painter, plot.m_Color, strokes, plot.m_Style == CGraphPlot::StyleDashed);
        DrawMidPoints(painter, plotOf.at(j), jobs.at(j).m_pBranch);
    }
}

void CGraphWindow::dropPaintCaches()
{
    m_CurveCaches.clear();
    m_PlotBackground = QImage();
    m_PlotLayer = QImage();
    m_LayerSignature.clear();
    m_LayerRedrawLeft = -1;
    m_LayerReach = INT_MIN;
}

namespace {

// Everything the plot area without curves, and the frames of the curves, are drawn from: the
// area, the X axis, the grid, the two scales' plots, the graph type and every plot's look.
QVector<double> LayerSignature(const QRect& g, const CGraphX& x, bool grid, int leftScale, int rightScale,
                               int graphType, const QList<CGraphPlot>& plots)
{
    QVector<double> s{double(g.left()), double(g.top()), double(g.right()), double(g.bottom()), x.Min(), x.Max(),
                      double(grid), double(leftScale), double(rightScale),
                      double(graphType), double(x.PlotKey()), x.AxisStep(), double(plots.size())};
    for (const CGraphPlot& p : plots)
        s << double(p.m_Key) << double(p.m_bVisible) << p.m_Min << p.m_Max << double(p.m_Color.rgba())
          << double(p.m_Style) << double(p.m_Decimals) << double(p.m_UnitPrefix) << double(p.m_bScientific);
    return s;
}

bool SameFrame(const CCurveFrame& a, const CCurveFrame& b)
{
    return a.m_Rect == b.m_Rect && a.m_XMin == b.m_XMin && a.m_XMax == b.m_XMax && a.m_YMin == b.m_YMin
        && a.m_YMax == b.m_YMax && a.m_Style == b.m_Style && a.m_bLive == b.m_bLive
        && a.m_XThreshold == b.m_XThreshold;
}

// The strokes of a time curve that reach pixel column left or beyond; the chain is kept from
// the segment that enters them. The chain's columns never decrease along a time curve.
CPlotStrokes StrokesFrom(const CPlotStrokes& all, int left)
{
    CPlotStrokes part;
    const QVector<QPoint>& path = all.m_Path;
    int k = path.size();
    while (k > 0 && path.at(k - 1).x() >= left)
        --k;
    if (k < path.size())
        part.m_Path = path.mid(std::max(0, k - 1));
    for (const QLine& c : all.m_Columns)
        if (c.x1() >= left)
            part.m_Columns.append(c);
    for (const QPoint& d : all.m_Dots)
        if (d.x() >= left - 2)
            part.m_Dots.append(d);
    return part;
}

// The rightmost pixel column the strokes' points reach; INT_MIN for none.
int RightmostColumn(const CPlotStrokes& strokes)
{
    int right = INT_MIN;
    for (const QPoint& p : strokes.m_Path)
        right = std::max(right, p.x());
    for (const QLine& c : strokes.m_Columns)
        right = std::max(right, std::max(c.x1(), c.x2()));
    for (const QPoint& d : strokes.m_Dots)
        right = std::max(right, d.x());
    return right;
}

} // namespace

bool CGraphWindow::updateLiveLayer(long from, long to)
{
    const QRect g = m_GraphRect;
    bool usable =
        m_RepaintMode == RepaintLiveTick && isLive() && !m_Plots.isEmpty() && g.width() > 4 && g.height() > 4;
    const GraphRules::XAxisContent axis = m_X.TimeAxisContent();
    for (int i = 0; usable && i < m_Plots.size(); ++i) {
        const CDataBranch* b = m_X.PlotIsDrawn(i, axis) ? GetDataBranch(i) : nullptr;
        // Mid-point marks carry text and follow another branch, and the painter runs a dash
        // pattern on from one line to the next, so part of a dashed curve cannot be drawn
        // again alone: such graphs are drawn whole.
        if (b && (!b->m_MarkedPositions.isEmpty() || !b->IsXNonDecreasing()
                  || m_Plots.at(i).m_Style == CGraphPlot::StyleDashed))
            usable = false;
    }
    if (!usable) {
        dropPaintCaches();
        return false;
    }
    const QVector<double> signature =
        LayerSignature(m_GraphRect, m_X, m_PaintSettings.m_bShowGrid, m_LeftScalePlot, m_RightScalePlot, m_GraphType, m_Plots);
    bool whole = signature != m_LayerSignature || m_PlotLayer.size() != g.size();
    m_CurveCaches.resize(size_t(m_Plots.size()));
    int changed = INT_MAX;
    m_BarDataList.clear();
    for (int i = 0; i < m_Plots.size(); ++i) {
        const CGraphPlot& plot = m_Plots.at(i);
        const CDataBranch* b = m_X.PlotIsDrawn(i, axis) ? GetDataBranch(i) : nullptr;
        CCurveCache& cache = m_CurveCaches[size_t(i)];
        if (!b) {
            cache = CCurveCache();
            continue;
        }
        const GraphRules::Range x = m_X.PlotRange(i);
        const CCurveFrame frame = Frame(g, x.min, x.max, plot, true, 0.7);
        const long end = m_X.PlotSampleEnd(i, to);
        const bool same = !whole && cache.m_Key == plot.m_Key && cache.m_pBranch == b && cache.m_From == from
            && cache.m_To == end && SameFrame(cache.m_Frame, frame) && cache.m_Progress.m_bValid;
        if (!same) {
            cache = CCurveCache();
            cache.m_Key = plot.m_Key;
            cache.m_pBranch = b;
            cache.m_Frame = frame;
            cache.m_From = from;
            cache.m_To = end;
            whole = true;
        }
        const int column = cache.m_Progress.m_Column;
        const int xCount = cache.m_Progress.m_XCount, yCount = cache.m_Progress.m_YCount;
        StrokeTimeCurve(*b, from, end, frame, cache.m_Strokes, &cache.m_Progress);
        // A curve that could not go on from its mark was made afresh.
        if (same && !cache.m_Progress.m_bValid)
            whole = true;
        // One that got no samples since is as it was.
        if (!same || cache.m_Progress.m_XCount != xCount || cache.m_Progress.m_YCount != yCount)
            changed = std::min(changed, column);
        m_X.NoteBeyond(cache.m_Strokes.m_bRescaleX);
        m_bRescaleY = m_bRescaleY || cache.m_Strokes.m_bRescaleY;
    }
    if (whole) {
        m_PlotBackground = QImage(g.size(), QImage::Format_ARGB32_Premultiplied);
        paintPlotBackground(m_PlotBackground, g.topLeft());
        m_PlotLayer = m_PlotBackground;
        m_LayerSignature = signature;
        m_LayerRedrawLeft = g.left();
        m_LayerRedrawRight = g.right();
        m_LayerReach = INT_MIN;
    } else {
        // What changed reaches a few pixels left of the oldest changed column (smoothing, caps,
        // dots). The strip from well left of it is drawn again, everything left of that
        // stands; the strokes drawn into it start further left still, so that a segment is
        // left out as hidden under the filled columns beside it exactly as in a whole paint.
        m_LayerRedrawLeft = std::max(g.left(), changed == INT_MAX ? g.right() + 1 : changed - 16);
    }
    if (m_LayerRedrawLeft <= g.right()) {
        std::vector<CPlotStrokes> parts(m_CurveCaches.size());
        int reach = m_LayerReach;
        for (size_t i = 0; i < m_CurveCaches.size(); ++i) {
            const CCurveCache& cache = m_CurveCaches[i];
            if (!cache.m_pBranch)
                continue;
            parts[i] = whole ? cache.m_Strokes : StrokesFrom(cache.m_Strokes, m_LayerRedrawLeft - 16);
            reach = std::max(reach, RightmostColumn(parts[i]));
        }
        m_LayerReach = reach;
        // Right of what any stroke reaches, with its pen and smoothing, the plot area stays bare.
        if (!whole)
            m_LayerRedrawRight = reach == INT_MIN ? m_LayerRedrawLeft : std::min(g.right(), reach + 4);
        const QRect region(QPoint(m_LayerRedrawLeft, g.top()), QPoint(m_LayerRedrawRight, g.bottom()));
        QPainter lp(&m_PlotLayer);
        lp.translate(-g.topLeft());
        lp.setClipRect(region);
        lp.setCompositionMode(QPainter::CompositionMode_Source);
        lp.drawImage(region.topLeft(), m_PlotBackground, region.translated(-g.topLeft()));
        lp.setCompositionMode(QPainter::CompositionMode_SourceOver);
        lp.setRenderHint(QPainter::Antialiasing, true);
        for (size_t i = 0; i < m_CurveCaches.size(); ++i) {
            if (!m_CurveCaches[i].m_pBranch)
                continue;
            const CGraphPlot& plot = m_Plots.at(int(i));
            PaintStrokes(&lp, plot.m_Color, parts[i], plot.m_Style == CGraphPlot::StyleDashed);
        }
    }
    m_bLayerWhole = whole;
    return true;
}

bool CGraphWindow::drawLiveLayer(QPainter* painter, long from, long to)
{
    if (!updateLiveLayer(from, to))
        return false;
    painter->drawImage(m_GraphRect.topLeft(), m_PlotLayer);
    m_bLiveAreaShown = true;
    return true;
}

QRegion CGraphWindow::liveTickRegion()
{
    // The rest of the window stands as the last paint left it only if that paint showed this
    // layer over the whole plot area and nothing the scales are drawn from has changed since.
    m_RepaintMode = RepaintLiveTick;
    const QRect g = m_GraphRect;
    if (!m_bLiveAreaShown || m_bUpdatingPlots || m_GraphType != TimeGraph || m_PlotLayer.size() != g.size()
        || LayerSignature(m_GraphRect, m_X, m_PaintSettings.m_bShowGrid, m_LeftScalePlot, m_RightScalePlot,
                          m_GraphType, m_Plots)
               != m_LayerSignature
        || !updateLiveLayer(0, long(m_LastShownSample)))
        return QRegion(rect());
    if (m_bLayerWhole)
        return QRegion(g);
    if (m_LayerRedrawLeft > g.right()) {
        m_RepaintMode = RepaintFull;
        return QRegion();
    }
    return QRegion(QRect(QPoint(m_LayerRedrawLeft, g.top()), QPoint(m_LayerRedrawRight, g.bottom())));
}

void CGraphWindow::paintLiveTick(QPainter* painter, const QRect& rect)
{
    const QRect g = m_GraphRect;
    ++m_PartialTicks;
    painter->drawImage(rect.topLeft(), m_PlotLayer, rect.translated(-g.topLeft()));
    // What a full paint draws over the curves, with the painter as the scales leave it.
    painter->setFont(GraphRules::ScaleFont());
    painter->setPen(Qt::black);
    painter->setBrush(Qt::NoBrush);
    DrawPredictPlots(painter);
    if (m_bDrawCursors) {
        DrawCursor(painter);
        DrawCursor2(painter);
    }
    DrawAnnotations(painter);
}

void CGraphWindow::DrawPlotLine_optimized(QPainter* painter, int plotIndex, long from, long to)
{
    const CGraphPlot plot = GetPlot(plotIndex);
    const CDataBranch* branch = GetDataBranch(plotIndex);
    if (!branch)
        return;
    m_BarDataList.clear();
    if (m_GraphType == BarGraph) {
        QVector<CBarStroke> bars;
        bool rescaleX = false, rescaleY = false;
        StrokeBars(*branch, from, to, Frame(m_GraphRect, m_X.Min(), m_X.Max(), plot, isLive(), 0.9), bars, rescaleX,
                   rescaleY);
        m_X.NoteBeyond(rescaleX);
        m_bRescaleY = m_bRescaleY || rescaleY;
        painter->setPen(QPen(plot.m_Color, 1));
        painter->setBrush(QBrush(plot.m_Color, Qt::SolidPattern));
        for (const CBarStroke& b : bars) {
            painter->drawRect(b.m_Rect);
            m_BarDataList.append(CBarData{b.m_Rect, b.m_Value});
        }
        painter->setBrush(Qt::NoBrush);
        return;
    }
    m_Strokes.clear();
    const GraphRules::Range x = m_X.PlotRange(plotIndex);
    StrokeTimeCurve(*branch, from, m_X.PlotSampleEnd(plotIndex, to), Frame(m_GraphRect, x.min, x.max, plot, isLive(), 0.7),
                    m_Strokes);
    m_X.NoteBeyond(m_Strokes.m_bRescaleX);
    m_bRescaleY = m_bRescaleY || m_Strokes.m_bRescaleY;
    PaintStrokes(painter, plot.m_Color, m_Strokes, plot.m_Style == CGraphPlot::StyleDashed);
    DrawMidPoints(painter, plotIndex, branch);
}

void CGraphWindow::DrawPlotLine(QPainter* painter, int plotIndex, long from, long to)
{
    const CGraphPlot plot = GetPlot(plotIndex);
    const CDataBranch* branch = GetDataBranch(plotIndex);
    // Without X values of its own run an XY curve has nothing to stand on; it is left out.
    const CDataBranch* xBranch = m_X.XBranchOfPlot(plotIndex);
    if (!branch || !xBranch)
        return;
    const CCurveFrame frame = Frame(m_GraphRect, m_X.Min(), m_X.Max(), plot, isLive(), 0.7);
    while (m_XYLayers.size() <= plotIndex)
        m_XYLayers.append(CXYLayer());
    CXYLayer& layer = m_XYLayers[plotIndex];
    const int settled = int(std::min<long long>(SettledXYSamples(*branch, *xBranch), to >= 0 ? to : LLONG_MAX));
    const bool same = layer.m_Key == plot.m_Key && layer.m_XKey == xBranch->m_Key && layer.m_Color == plot.m_Color
        && layer.m_Frame.m_Rect == frame.m_Rect && layer.m_Frame.m_XMin == frame.m_XMin
        && layer.m_Frame.m_XMax == frame.m_XMax && layer.m_Frame.m_YMin == frame.m_YMin
        && layer.m_Frame.m_YMax == frame.m_YMax && layer.m_Frame.m_Style == frame.m_Style
        && layer.m_Frame.m_bLive == frame.m_bLive && layer.m_From == from && layer.m_To == to
        && layer.m_Progress.m_Next <= settled && !layer.m_Image.isNull();
    if (!same) {
        layer = CXYLayer();
        layer.m_Key = plot.m_Key;
        layer.m_XKey = xBranch->m_Key;
        layer.m_Color = plot.m_Color;
        layer.m_Frame = frame;
        layer.m_From = from;
        layer.m_To = to;
        layer.m_Image = QImage(m_GraphRect.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        layer.m_Image.fill(Qt::transparent);
    }
    // On screen the layer is extended a stretch at a time until the paint's time is up, each
    // stretch as long as the slowest rate of the ones before lets it be in the time left: a
    // noisy run costs more where its strokes land on pixels not yet filled, and a stretch sized
    // by a quick one before it would run past the time. The first stretch of a paint goes by
    // the last paint's slowest rate, with a tenth to spare: the rate changes little from one
    // paint to the next, and a paint of one long stretch keeps the curve threads busy where
    // short ones, each waited for to its end, leave them idle at every start and end.
    const bool bounded = m_bPaintingOnScreen && m_PaintClock.isValid();
    const qint64 budget = qint64(std::max(m_PaintSettings.m_XYPaintBudgetMs, 0)) * 1000000;
    const auto sized = [](double nsLeft, double nsPerSample) {
        return std::clamp<long long>((long long)(nsLeft / nsPerSample), 1 << 10, 1 << 22);
    };
    long long stretch = 1 << 14;
    if (bounded && layer.m_NsPerSample > 0.0)
        stretch = sized(double(std::max<qint64>(budget - m_PaintClock.nsecsElapsed(), 0)), 1.1 * layer.m_NsPerSample);
    double slowest = 0.0, slowestLong = 0.0;   // ns per sample, of all stretches and of long ones
    const long long coverageFrom = m_PaintSettings.m_XYCoverageShare < 0.0
        ? -1
        : (long long)(m_PaintSettings.m_XYCoverageShare * double(m_GraphRect.width()) * double(m_GraphRect.height()));
    while (layer.m_Progress.m_Next < settled) {
        // A paint makes one stretch at least, of the first curve not yet whole; the later curves
        // of a graph of many wait until the time is left for them.
        if (bounded && m_XYStretches > 0 && m_PaintClock.nsecsElapsed() >= budget)
            break;
        ++m_XYStretches;
        const long long at = std::max<long long>(layer.m_Progress.m_Next, from);
        // Stretches end on whole runs of the store's coarse summary, which the walk passes over.
        const long long end = bounded ? std::min<long long>(settled, std::max((at + stretch) / 1024 * 1024, at + 1))
                                      : settled;
        const qint64 before = m_PaintClock.nsecsElapsed();
        m_Strokes.clear();
        layer.m_LeftOut += PaintXYCurve(layer.m_Image, m_GraphRect.topLeft(), plot.m_Color, *branch, *xBranch,
                                         from, end, frame, m_Strokes, &layer.m_Progress, coverageFrom);
        // Without a usable frame nothing is stroked, and nothing will be: that counts as done.
        layer.m_Progress.m_Next = int(std::max<long long>(layer.m_Progress.m_Next, end));
        layer.m_bRescaleX = layer.m_bRescaleX || m_Strokes.m_bRescaleX;
        layer.m_bRescaleY = layer.m_bRescaleY || m_Strokes.m_bRescaleY;
        if (!bounded)
            continue;
        const qint64 now = m_PaintClock.nsecsElapsed();
        const double perSample = double(std::max<qint64>(now - before, 1)) / double(std::max<long long>(end - at, 1));
        slowest = std::max(slowest, perSample);
        // Short stretches pay their start and end over few samples: they would make the next
        // paint's first stretch needlessly short.
        if (end - at >= 1 << 14)
            slowestLong = std::max(slowestLong, perSample);
        stretch = sized(double(std::max<qint64>(budget - now, 0)), slowest);
    }
    if (slowestLong > 0.0)
        layer.m_NsPerSample = slowestLong;
    painter->drawImage(m_GraphRect.topLeft(), layer.m_Image);
    if (layer.m_Progress.m_Next < settled) {
        // The rest on the next paints; the unsettled samples at the end wait for them too.
        if (!m_bXYPaintPending) {
            m_bXYPaintPending = true;
            QTimer::singleShot(0, this, [this] {
                m_bXYPaintPending = false;
                update();
            });
        }
        m_X.NoteBeyond(layer.m_bRescaleX);
        m_bRescaleY = m_bRescaleY || layer.m_bRescaleY;
        DrawMidPoints(painter, plotIndex, branch);
        return;
    }
    // The samples whose X value may still move are drawn afresh on every paint.
    CXYProgress tail = layer.m_Progress;
    m_Strokes.clear();
    StrokeXYCurve(*branch, *xBranch, from, to, frame, m_Strokes, &tail);
    PaintStrokes(painter, plot.m_Color, m_Strokes, false);
    m_X.NoteBeyond(layer.m_bRescaleX || m_Strokes.m_bRescaleX);
    m_bRescaleY = m_bRescaleY || layer.m_bRescaleY || m_Strokes.m_bRescaleY;
    // A branch of fewer than four samples asks for a Y autoscale on every paint.
    const int ny = branch->GetYSize();
    if (ny < 4 && branch->FirstValidY(0, ny) >= 0)
        m_bRescaleY = true;
    DrawMidPoints(painter, plotIndex, branch);
}

void CGraphWindow::DrawMidPoints(QPainter* painter, int plotIndex, const CDataBranch* branch)
{
    CDataManager* data = dataStore();
    if (!branch || branch->m_MarkedPositions.isEmpty() || !data)
        return;
    const CDataBranch* parent = data->GetDataBranch(branch->m_RelatedKey);
    if (!parent)
        return;
    const CDataBranch* xBranch = m_X.PlotKey() != -1 ? m_X.XBranchOfPlot(plotIndex) : nullptr;
    if (m_X.PlotKey() != -1 && !xBranch)
        return;
    int parentPlot = -1;
    for (int i = 0; i < m_Plots.size(); ++i)
        if (m_Plots.at(i).m_Key == parent->m_Key)
            parentPlot = i;
    if (parentPlot == -1)
        return;
    const CGraphPlot pp = GetPlot(parentPlot);
    // The marks stand on the parent's curve, at its samples' times.
    const GraphRules::Range xr = xBranch ? GraphRules::Range{m_X.Min(), m_X.Max()} : m_X.PlotRange(parentPlot);
    const QColor colour = GetPlot(plotIndex).m_Color;
    int k = 0;
    SafeDoubleToInt(branch->GetXSample(0), k, 0);
    const QRect& g = m_GraphRect;
    for (int m : branch->m_MarkedPositions) {
        const long long j = (long long)m + k;
        if (j < 0 || j > INT_MAX)
            continue;
        const double x = xBranch ? xBranch->GetYSample(int(j)) : parent->GetXSample(int(j));
        const double y = parent->GetYSample(int(j));
        const int px = GraphRules::ToPixelX(float(x), xr.min, xr.max, g);
        const int py = GraphRules::ToPixelY(float(y), pp.m_Min, pp.m_Max, g);
        painter->setPen(QPen(colour, 1));
        painter->setBrush(QBrush(colour, Qt::SolidPattern));
        painter->drawEllipse(QRect(QPoint(px - 3, py - 3), QPoint(px + 2, py + 2)));
        painter->drawLine(px - 6, py, px - 14, py);
        painter->drawLine(px + 6, py, px + 14, py);
        painter->drawLine(px, py - 6, px, py - 14);
        painter->drawLine(px, py + 6, px, py + 14);
        const QString label = m_X.MidPointLabel(parentPlot, x, y);
        const int w = StringWidth(painter, label);
        const int h = QFontInfo(painter->font()).pixelSize();
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRect(QPoint(px + 20, py - 20), QPoint(px + 29 + w, py - 17 + h)));
        painter->setPen(QPen(Qt::black, 1));
        painter->drawText(QRect(px + 25, py - 18, w + 10, h + 4), 0, label);
        painter->drawLine(px + 3, py - 3, px + 20, py - 10);
        painter->setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter->drawLine(px, py - 5, px, g.top());
        painter->drawLine(px, py + 5, px, g.bottom());
    }
}

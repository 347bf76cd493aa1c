// The curves: the strokes of each visible plot (reduced to pixel columns on a time graph),
// the bars of a timing-results graph and the mid-point marks of a derivative.
#include "graph/GraphWindow.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "graph/GraphRules.h"

#include <QFontMetrics>
#include <QPainter>

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

void CGraphWindow::drawPlotStrokes(QPainter* painter, const CGraphPlot& plot, const CPlotStrokes& strokes, bool dashed)
{
    PaintStrokes(painter, plot.m_Color, strokes, dashed);
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
        StrokeBars(*branch, from, to, Frame(m_GraphRect, m_XMin, m_XMax, plot, isLive(), 0.9), bars, rescaleX,
                   rescaleY);
        m_bRescaleX = m_bRescaleX || rescaleX;
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
    StrokeTimeCurve(*branch, from, to, Frame(m_GraphRect, m_XMin, m_XMax, plot, isLive(), 0.7), m_Strokes);
    m_bRescaleX = m_bRescaleX || m_Strokes.m_bRescaleX;
    m_bRescaleY = m_bRescaleY || m_Strokes.m_bRescaleY;
    drawPlotStrokes(painter, plot, m_Strokes, plot.m_Style == CGraphPlot::StyleDashed);
    DrawMidPoints(painter, plotIndex, branch);
}

void CGraphWindow::DrawPlotLine(QPainter* painter, int plotIndex, long from, long to)
{
    const CGraphPlot plot = GetPlot(plotIndex);
    const CDataBranch* branch = GetDataBranch(plotIndex);
    // Without its X-axis branch an XY curve has nothing to stand on; it is left out.
    const CDataBranch* xBranch = (dataStore() && m_XPlot.m_Key != -1) ? dataStore()->GetDataBranch(m_XPlot.m_Key)
                                                                        : nullptr;
    if (!branch || !xBranch)
        return;
    const CCurveFrame frame = Frame(m_GraphRect, m_XMin, m_XMax, plot, isLive(), 0.7);
    while (m_XYLayers.size() <= plotIndex)
        m_XYLayers.append(CXYLayer());
    CXYLayer& layer = m_XYLayers[plotIndex];
    const int settled = int(std::min<long long>(SettledXYSamples(*branch, *xBranch), to >= 0 ? to : LLONG_MAX));
    const bool same = layer.m_Key == plot.m_Key && layer.m_XKey == m_XPlot.m_Key && layer.m_Color == plot.m_Color
        && layer.m_Frame.m_Rect == frame.m_Rect && layer.m_Frame.m_XMin == frame.m_XMin
        && layer.m_Frame.m_XMax == frame.m_XMax && layer.m_Frame.m_YMin == frame.m_YMin
        && layer.m_Frame.m_YMax == frame.m_YMax && layer.m_Frame.m_Style == frame.m_Style
        && layer.m_Frame.m_bLive == frame.m_bLive && layer.m_From == from && layer.m_To == to
        && layer.m_Progress.m_Next <= settled && !layer.m_Image.isNull();
    if (!same) {
        layer = CXYLayer();
        layer.m_Key = plot.m_Key;
        layer.m_XKey = m_XPlot.m_Key;
        layer.m_Color = plot.m_Color;
        layer.m_Frame = frame;
        layer.m_From = from;
        layer.m_To = to;
        layer.m_Image = QImage(m_GraphRect.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        layer.m_Image.fill(Qt::transparent);
    }
    if (settled > layer.m_Progress.m_Next) {
        m_Strokes.clear();
        StrokeXYCurve(*branch, *xBranch, from, settled, frame, m_Strokes, &layer.m_Progress);
        layer.m_bRescaleX = layer.m_bRescaleX || m_Strokes.m_bRescaleX;
        layer.m_bRescaleY = layer.m_bRescaleY || m_Strokes.m_bRescaleY;
        QPainter lp(&layer.m_Image);
        lp.setRenderHint(QPainter::Antialiasing, true);
        lp.translate(-m_GraphRect.topLeft());
        drawPlotStrokes(&lp, plot, m_Strokes, false);
    }
    painter->drawImage(m_GraphRect.topLeft(), layer.m_Image);
    // The samples whose X value may still move are drawn afresh on every paint.
    CXYProgress tail = layer.m_Progress;
    m_Strokes.clear();
    StrokeXYCurve(*branch, *xBranch, from, to, frame, m_Strokes, &tail);
    drawPlotStrokes(painter, plot, m_Strokes, false);
    m_bRescaleX = m_bRescaleX || layer.m_bRescaleX || m_Strokes.m_bRescaleX;
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
    const CDataBranch* xBranch = m_XPlot.m_Key != -1 ? data->GetDataBranch(m_XPlot.m_Key) : nullptr;
    int parentPlot = -1;
    for (int i = 0; i < m_Plots.size(); ++i)
        if (m_Plots.at(i).m_Key == parent->m_Key)
            parentPlot = i;
    if (parentPlot == -1)
        return;
    const CGraphPlot pp = GetPlot(parentPlot);
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
        const int px = GraphRules::ToPixelX(float(x), m_XMin, m_XMax, g);
        const int py = GraphRules::ToPixelY(float(y), pp.m_Min, pp.m_Max, g);
        painter->setPen(QPen(colour, 1));
        painter->setBrush(QBrush(colour, Qt::SolidPattern));
        painter->drawEllipse(QRect(QPoint(px - 3, py - 3), QPoint(px + 2, py + 2)));
        painter->drawLine(px - 6, py, px - 14, py);
        painter->drawLine(px + 6, py, px + 14, py);
        painter->drawLine(px, py - 6, px, py - 14);
        painter->drawLine(px, py + 6, px, py + 14);
        const QString label = QStringLiteral("X=") + Double2String(x, 2, false, false) + QStringLiteral(",Y=")
            + Double2String(y, 2, false, false);
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

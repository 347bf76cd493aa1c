// The graph's paint handler: repaint modes over the saved image, the layout of title strip,
// plot area, scale bands and bottom band, the drawing order, the two scale titles and the
// remove button at the first point of the plot under cursor 1.
#include "graph/GraphWindow.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/Globals.h"
#include "graph/GraphRules.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QToolBar>

void CGraphWindow::paintEvent(QPaintEvent* event)
{
    const bool liveAreaShown = m_bLiveAreaShown;
    m_bLiveAreaShown = false;
    // A window never shown has no bar yet.
    m_bRepaintBeyondToolBar = !m_pToolBar || !m_pToolBar->geometry().contains(event->rect());
    CKorvantaWindow::paintEvent(event);
    if (windowState() & Qt::WindowMinimized)
        return;
    m_bPaintingOnScreen = isVisible() && !m_bTakingPicture;
    m_PaintClock.start();
    m_XYStretches = 0;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    switch (m_RepaintMode) {
    case RepaintWithoutCursors:
        m_bDrawCursors = false;
        DrawGraphWindow(&painter);
        m_bDrawCursors = true;
        break;
    case RepaintCursorDrag:
        // A cursor drag: only the cursors are drawn, over the image of the graph saved at the press.
        painter.drawPixmap(0, 0, m_GraphPixmap);
        DrawCursor(&painter);
        DrawCursor2(&painter);
        break;
    case RepaintZoomBand:
        painter.drawPixmap(0, 0, m_GraphPixmap);
        painter.fillRect(m_ZoomRect, QBrush(QColor(128, 128, 164, 128)));
        break;
    default:
        if (m_RepaintMode == RepaintLiveTick && liveAreaShown && m_GraphRect.contains(event->rect())
            && m_PlotLayer.size() == m_GraphRect.size()) {
            paintLiveTick(&painter, event->rect());
            m_bLiveAreaShown = true;
            break;
        }
        DrawGraphWindow(&painter);
        // A picture of the window, or a paint of part of it, leaves the screen's plot area as
        // it was.
        if (m_bTakingPicture || !(QRegion(m_GraphRect) - event->region()).isEmpty())
            m_bLiveAreaShown = false;
        break;
    }
    painter.end();
    m_RepaintMode = RepaintFull;
    m_bPaintingOnScreen = false;
    // The combo boxes are placed by the plot area, which only a paint lays out: when it moved
    // since they were placed, they follow once the paint is over.
    if (m_GraphRect != m_ScaleCombosRect) {
        m_ScaleCombosRect = m_GraphRect;
        QTimer::singleShot(0, this, [this] { RepositionScaleCombos(); });
    }
}

void CGraphWindow::DrawGraphWindow(QPainter* painter)
{
    const QMargins m = contentsMargins();
    const int w = width(), h = height();
    const int title = GetTitleBarHeight();
    // Curves on a shared scale follow it, however it was changed since the last paint; the
    // searches ask the store again what the positions count.
    m_X.ForgetPositions();
    shareScales(ScaleMap());
    const QRect band(QPoint(m.left(), h - m.bottom() - (s_BottomBand - 1)), QPoint(w - m.right() - 1, h - m.bottom()));
    painter->fillRect(band, toolbarBackColor);
    QRect area = graphArea();
    QRect plot(QPoint(m.left() + 1, title + 44), QPoint(w - m.right() - 2, h - m.bottom() - 90));
    int leftWidth = s_MinScaleWidth;
    if (!m_bUpdatingPlots && m_LeftScalePlot >= 0 && !m_Plots.isEmpty())
        leftWidth = std::max(s_MinScaleWidth, DrawYScale(painter, plot, true, m_LeftScalePlot, true));
    plot.setLeft(plot.left() + leftWidth);
    plot.setRight(plot.right() - GetRightMargin(painter));
    if (m_GraphType == XYGraph) {
        plot.setLeft(plot.left() + 4);
        plot.setRight(plot.right() - 4);
    }
    m_GraphRect = plot;
    painter->fillRect(QRect(QPoint(m_GraphRect.left(), title), QPoint(m_GraphRect.right(), m_GraphRect.top())),
                      topBarColor);
    DrawGraph(painter, area);
}

QRect CGraphWindow::graphArea()
{
    const QMargins m = contentsMargins();
    return QRect(QPoint(m.left(), GetTitleBarHeight()),
                 QPoint(width() - m.right() - 1, height() - m.bottom() - s_BottomBand));
}

void CGraphWindow::DrawGraph(QPainter* painter, QRect& area)
{
    painter->fillRect(m_GraphRect, QColor(255, 255, 255, 255));
    DrawYScales(painter, area);
    DrawXScale(painter, area);
    DrawLegend(painter);
    if (m_GraphType == TimeGraph || m_GraphType == XYGraph || m_GraphType == BarGraph)
        DrawLineGraph(painter, area);
    if (m_GraphType == TimeGraph || m_GraphType == XYGraph) {
        DrawFitEquations(painter);
        if (m_bDrawCursors) {
            DrawCursor(painter);
            DrawCursor2(painter);
        }
        DrawAnnotations(painter);
    }
}

void CGraphWindow::DrawYScales(QPainter* painter, QRect& area)
{
    if (m_Plots.isEmpty()) {
        QRect band(QPoint(area.left(), area.top()), QPoint(area.left() + s_MinScaleWidth, area.bottom()));
        DrawYScale(painter, band, true, -1, false);
        return;
    }
    int w = s_MinScaleWidth;
    if (!m_bUpdatingPlots && m_LeftScalePlot >= 0)
        w = std::max(s_MinScaleWidth, DrawYScale(painter, area, true, m_LeftScalePlot, true));
    QRect band(QPoint(area.left(), area.top()), QPoint(area.left() + w, area.bottom()));
    DrawYScale(painter, band, true, m_LeftScalePlot, false);
    if (m_Plots.size() >= 2) {
        QRect right(QPoint(area.right() - GetRightMargin(painter), area.top()), QPoint(area.right(), area.bottom()));
        DrawYScale(painter, right, false, m_RightScalePlot, false);
    }
}

void CGraphWindow::DrawLegend(QPainter* painter)
{
    const int count = GetNumVisiblePlots();
    painter->setFont(GraphRules::ScaleFont());
    painter->setPen(Qt::black);
    if (count == 0)
        return;
    const QString left = CGraphX::PlotTitle(GetPlot(m_LeftScalePlot));
    painter->drawText(QPoint(m_GraphRect.left() + 20, m_GraphRect.top() - 14), left);
    if (count >= 2) {
        const QString right = CGraphX::PlotTitle(GetPlot(m_RightScalePlot));
        painter->drawText(QPoint(m_GraphRect.right() - 20 - StringWidth(painter, right), m_GraphRect.top() - 14),
                          right);
    }
}

void CGraphWindow::SaveGraph()
{
    m_RepaintMode = RepaintWithoutCursors;
    m_bTakingPicture = true;
    m_GraphPixmap = grab();
    m_bTakingPicture = false;
    m_RepaintMode = RepaintFull;
}

CGraphWindow::CPaintCounts CGraphWindow::PaintCounts() const
{
    CPaintCounts counts{m_LayerRedrawLeft, m_LayerRedrawRight, m_PartialTicks, m_StripPaints, !m_PlotLayer.isNull(),
                        m_RepaintMode, m_bRepaintBeyondToolBar, {}};
    for (const CXYLayer& layer : m_XYLayers)
        counts.m_XYLayers.append(CPaintCounts::CXYLayerCounts{layer.m_Progress.m_Next, layer.m_LeftOut, layer.m_Image});
    return counts;
}

void CGraphWindow::SetPaintSettings(const CPaintSettings& settings)
{
    m_PaintSettings = settings;
    // What earlier paints kept was drawn by the settings before.
    dropPaintCaches();
    m_XYLayers.clear();
}

QRect CGraphWindow::GetPlotRemoveButonRect(int plotIndex)
{
    const CGraphPlot p = GetPlot(plotIndex);
    const CDataBranch* b = GetDataBranch(plotIndex);
    if (!b || b->GetNumSamples() == 0)
        return QRect();
    const GraphRules::Range x = m_X.PlotRange(plotIndex);
    const int px = GraphRules::ToPixelX(float(b->GetXSample(0)), x.min, x.max, m_GraphRect);
    const int py = GraphRules::ToPixelY(float(b->GetYSample(0)), p.m_Min, p.m_Max, m_GraphRect);
    return QRect(QPoint(px + 3, py - 16), QPoint(px + 16, py - 3));
}

void CGraphWindow::DrawPlotRemoveButon(QPainter* painter)
{
    const CGraphPlot p = GetPlot(m_Cursors.First().m_Plot);
    const QRect r = GetPlotRemoveButonRect(m_Cursors.First().m_Plot);
    if (r.isNull())
        return;
    painter->setBrush(QBrush(p.m_Color, Qt::SolidPattern));
    painter->drawEllipse(r);
    painter->setPen(QPen(Qt::white, 2));
    painter->drawLine(r.left() + 4, r.top() + 4, r.right() - 4, r.bottom() - 4);
    painter->drawLine(r.right() - 4, r.top() + 4, r.left() + 4, r.bottom() - 4);
}

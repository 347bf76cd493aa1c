// A full paint of a time graph on the screen: the curves are reduced side by side, then painted
// into an image of the plot area several strips at once, over the plot area without curves,
// and the image is shown in one go. The picture is the one drawTimeCurves paints stroke by
// stroke; that route stays for what cannot be painted in strips (dashes run on from one line
// to the next, mid-point marks carry text) and for painters that do not work in whole pixels
// (a scaled screen, a printer).
#include "graph/GraphWindow.h"

#include "Core/Data/DataBranch.h"
#include "graph/CurveLayer.h"

#include <QPaintEngine>
#include <QPainter>

namespace {

// Below this many curves the drawing of the plot area a second time and the copies of the
// strips cost more than painting in strips saves.
constexpr int MinStripCurves = 4;

} // namespace

bool CGraphWindow::paintTimeLayer(QPainter* painter, QVector<CCurveJob>& jobs, const QVector<int>& plotOf)
{
    const QRect g = m_GraphRect;
    if (!m_PaintSettings.m_bPaintInStrips || jobs.size() < MinStripCurves || g.width() < 1 || g.height() < 1
        || !painter->paintEngine()
        || painter->paintEngine()->type() != QPaintEngine::Raster
        || painter->deviceTransform().type() > QTransform::TxTranslate)
        return false;
    for (int j = 0; j < jobs.size(); ++j)
        if (m_Plots.at(plotOf.at(j)).m_Style == CGraphPlot::StyleDashed
            || !jobs.at(j).m_pBranch->m_MarkedPositions.isEmpty())
            return false;
    const int threads = CurveThreads();
    // An image of the whole window of which only the plot area is drawn: each pixel keeps its
    // place, so the curves' smoothing comes out as on the window.
    if (m_StripLayer.size() != size())
        m_StripLayer = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    if (m_StripLayer.isNull())
        return false;
    QImage& layer = m_StripLayer;
    QVector<CCurveInk> inks(jobs.size());
    // The plot area without curves is drawn on this thread while the others reduce the curves.
    ParallelFor(
        jobs.size(), threads,
        [&](int j) {
            CCurveJob& job = jobs[j];
            StrokeTimeCurve(*job.m_pBranch, job.m_From, job.m_To, job.m_Frame, job.m_Strokes);
            VisibleSegments(job.m_Strokes, inks[j].m_Visible);
        },
        [&] { paintPlotBackground(layer, QPoint(0, 0)); });
    for (int j = 0; j < jobs.size(); ++j) {
        const CPlotStrokes& strokes = jobs.at(j).m_Strokes;
        inks[j].m_Color = m_Plots.at(plotOf.at(j)).m_Color;
        inks[j].m_pStrokes = &strokes;
        m_X.NoteBeyond(strokes.m_bRescaleX);
        m_bRescaleY = m_bRescaleY || strokes.m_bRescaleY;
    }
    PaintCurvesInStrips(layer, QPoint(0, 0), g, inks, threads);
    painter->drawImage(g.topLeft(), layer, g);
    // Left as stroking the last curve leaves it, for whatever is drawn next.
    const CPlotStrokes& last = jobs.constLast().m_Strokes;
    painter->setPen(QPen(inks.constLast().m_Color, last.m_Dots.isEmpty() ? 2 : 1, Qt::SolidLine));
    painter->setBrush(Qt::NoBrush);
    ++m_StripPaints;
    return true;
}

void CGraphWindow::paintPlotBackground(QImage& image, QPoint topLeft)
{
    // The scales draw the grid across the plot area; their bands and labels fall outside.
    const QRect g = m_GraphRect;
    QPainter bp(&image);
    bp.setRenderHint(QPainter::Antialiasing, true);
    bp.translate(-topLeft);
    bp.setClipRect(g);
    bp.fillRect(g, QColor(255, 255, 255, 255));
    QRect area = graphArea();
    DrawYScales(&bp, area);
    DrawXScale(&bp, area);
}

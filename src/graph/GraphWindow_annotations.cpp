// Text annotations on the graph: a line from a sample's point to a yellow box with the text,
// the box remembered where it was drawn so the mouse can find it again.
#include "graph/GraphWindow.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "analysis/XSeries.h"
#include "graph/GraphRules.h"

#include <QPainter>

#include <cmath>

void CGraphWindow::DrawAnnotations(QPainter* painter)
{
    if (!m_bShowAnnotations || m_Plots.isEmpty())
        return;
    for (int p = 0; p < m_Plots.size(); ++p) {
        // A note points at a sample of a drawn curve.
        if (!m_X.PlotIsDrawn(p))
            continue;
        for (int a = 0; a < m_Plots.at(p).GetNumAnnotations(); ++a)
            Draw1Annotation(painter, a, p, a == m_SelAnnotation && p == m_SelAnnotationPlot);
    }
}

void CGraphWindow::Draw1Annotation(QPainter* painter, int annotationIndex, int plotIndex, bool)
{
    CGraphPlot plot = GetPlot(plotIndex);
    if (plot.m_Key == -1 || annotationIndex < 0 || annotationIndex >= plot.GetNumAnnotations())
        return;
    CDataManager* data = dataStore();
    const CDataBranch* branch = data ? data->GetDataBranch(plot.m_Key) : nullptr;
    // A plot whose branch is gone has no point to attach the text to.
    if (!branch)
        return;
    CGraphTextAnnotation note = plot.GetAnnoation(annotationIndex);
    const int a = note.m_Sample;
    const float y = float(branch->GetYSample(a));
    // On an XY graph the sample stands where its curve draws it: on the X entry of its own run
    // that the pairing rule gives (a fitted curve's sample i on the entry its range began at
    // plus i), not on entry i.
    const double at = m_X.PlotKey() == -1 ? branch->GetXSample(a) : m_X.XYSampleX(plotIndex, a);
    if (m_X.PlotKey() != -1 && !IsUsableX(at))
        return;
    const float x = float(at);
    const GraphRules::Range xr = m_X.PlotRange(plotIndex);
    const int px = GraphRules::ToPixelX(x, xr.min, xr.max, m_GraphRect);
    const int py = GraphRules::ToPixelY(y, plot.m_Min, plot.m_Max, m_GraphRect);
    const double angle = std::isfinite(note.m_Angle) ? note.m_Angle : 0.0;
    const double distance = std::isfinite(note.m_Length) ? std::clamp(note.m_Length, -32000.0, 32000.0) : 0.0;

    const int r = GraphRules::TruncClamped(distance - 3);
    const int len = r * std::cos(angle) < 0 ? r - 10 : r;
    painter->setPen(QPen(Qt::black, 1));
    painter->drawLine(px, py, GraphRules::TruncClamped(px + len * std::sin(angle)), GraphRules::TruncClamped(py - len * std::cos(angle)));

    painter->setFont(GraphRules::ScaleFont());
    const int ex = GraphRules::TruncClamped(px + distance * std::sin(angle));
    const int ey = GraphRules::TruncClamped(py - distance * std::cos(angle));
    const int w = StringWidth(painter, note.m_Text) + 10;
    const int h = w / 2;
    const QRect textRect(QPoint(ex - h, ey - 12), QPoint(ex + h, ey));
    const QRect box = painter->boundingRect(textRect, Qt::AlignCenter, note.m_Text).adjusted(-2, -2, 2, 2);
    painter->setBrush(QBrush(Qt::yellow, Qt::SolidPattern));
    painter->setPen(QPen(Qt::lightGray));
    painter->drawRoundedRect(box, 1, 1, Qt::AbsoluteSize);
    painter->setPen(Qt::black);
    painter->drawText(box, Qt::AlignCenter, note.m_Text);

    note.m_TextRect = box;
    plot.m_Annotations[annotationIndex] = note;
    UpdatePlot(plot, plotIndex);

    if (m_MouseMode == MouseMoveAnnotation) {
        painter->setBrush(QBrush(Qt::black, Qt::SolidPattern));
        painter->drawEllipse(QRect(box.topLeft(), QPoint(box.left() + 13, box.top() + 13)));
        painter->setPen(QPen(Qt::white, 2));
        painter->drawLine(box.left() + 4, box.top() + 4, box.left() + 9, box.top() + 9);
        painter->drawLine(box.left() + 9, box.top() + 4, box.left() + 4, box.top() + 9);
    }
}

int CGraphWindow::PtInAnnotation(QPoint point, int& annotationIndex)
{
    for (int p = 0; p < m_Plots.size(); ++p) {
        const CGraphPlot& plot = m_Plots.at(p);
        if (!m_X.PlotIsDrawn(p))
            continue;
        for (int a = 0; a < plot.m_Annotations.size(); ++a) {
            if (plot.m_Annotations.at(a).m_TextRect.contains(point)) {
                annotationIndex = a;
                return p;
            }
        }
    }
    annotationIndex = -1;
    return -1;
}

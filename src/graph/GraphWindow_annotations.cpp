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

namespace {

// A note's line from its point (px, py) and its yellow box with the text; the box is returned
// for the mouse to find. The mode that moves notes marks each box with its removal cross.
QRect DrawNote(QPainter* painter, const CGraphTextAnnotation& note, int px, int py, bool removable)
{
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

    if (removable) {
        painter->setBrush(QBrush(Qt::black, Qt::SolidPattern));
        painter->drawEllipse(QRect(box.topLeft(), QPoint(box.left() + 13, box.top() + 13)));
        painter->setPen(QPen(Qt::white, 2));
        painter->drawLine(box.left() + 4, box.top() + 4, box.left() + 9, box.top() + 9);
        painter->drawLine(box.left() + 9, box.top() + 4, box.left() + 4, box.top() + 9);
    }
    return box;
}

} // namespace

void CGraphWindow::DrawAnnotations(QPainter* painter)
{
    if (!m_bShowAnnotations || m_Plots.isEmpty())
        return;
    CDataManager* data = dataStore();
    for (int p = 0; p < m_Plots.size(); ++p) {
        // A note points at a sample of a drawn curve.
        if (!m_X.PlotIsDrawn(p))
            continue;
        for (int a = 0; a < m_Plots.at(p).GetNumAnnotations(); ++a) {
            CGraphPlot plot = GetPlot(p);
            // A plot whose branch is gone has no point to attach the text to.
            const CDataBranch* branch = plot.m_Key == -1 || !data ? nullptr : data->GetDataBranch(plot.m_Key);
            if (!branch)
                continue;
            CGraphTextAnnotation note = plot.GetAnnoation(a);
            const float y = float(branch->GetYSample(note.m_Sample));
            // On an XY graph the sample stands where its curve draws it: on the X entry of its
            // own run that the pairing rule gives (a fitted curve's sample i on the entry its
            // range began at plus i), not on entry i.
            const double at = m_X.PlotKey() == -1 ? branch->GetXSample(note.m_Sample) : m_X.XYSampleX(p, note.m_Sample);
            if (m_X.PlotKey() != -1 && !IsUsableX(at))
                continue;
            const GraphRules::Range xr = m_X.PlotRange(p);
            const int px = GraphRules::ToPixelX(float(at), xr.min, xr.max, m_GraphRect);
            const int py = GraphRules::ToPixelY(y, plot.m_Min, plot.m_Max, m_GraphRect);
            note.m_TextRect = DrawNote(painter, note, px, py, m_MouseMode == MouseMoveAnnotation);
            plot.m_Annotations[a] = note;
            UpdatePlot(plot, p);
        }
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

// Prediction curves: predict mode holds the data plots at the sample count they had when it
// was switched on, and the user's points make free-hand curves drawn over the data. The curves
// and the mode are CGraphPredictions; the window switches them, turns presses into points
// and draws them.
#include "graph/GraphWindow.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/Globals.h"
#include "graph/GraphRules.h"

#include <QPainter>

namespace {

// A new curve takes the range of the first plot, or 0..10 on a graph without plots.
void AddCurveOver(CGraphPredictions& predictions, const QList<CGraphPlot>& plots)
{
    if (plots.isEmpty())
        predictions.AddCurve(0.0f, 10.0f);
    else
        predictions.AddCurve(plots.first().m_Min, plots.first().m_Max);
}

void DrawCurve(QPainter* painter, const CPredictPlot& c, float xMin, float xMax, const QRect& area)
{
    const int n = std::min(c.m_X.size(), c.m_Y.size());
    if (n == 0)
        return;
    const float missing = float(MissingValue);
    auto pixel = [&](int i) {
        return QPoint(GraphRules::ToPixelX(c.m_X.at(i), xMin, xMax, area),
                      GraphRules::ToPixelY(c.m_Y.at(i), c.m_Plot.m_Min, c.m_Plot.m_Max, area));
    };
    bool havePrevious = c.m_Y.at(0) != missing;
    QPoint previous = havePrevious ? pixel(0) : QPoint();
    painter->save();
    painter->setClipRect(area);
    painter->setPen(QPen(c.m_Plot.m_Color, 2, Qt::SolidLine));
    for (int i = 0; i < n; ++i) {
        if (c.m_Y.at(i) == missing)
            continue;
        const QPoint p = pixel(i);
        painter->drawLine(havePrevious ? previous : p, p);
        previous = p;
        havePrevious = true;
    }
    painter->restore();
}

} // namespace

void CGraphWindow::OnPredict()
{
    if (!m_Predictions.IsOn()) {
        m_Predictions.SetOn(true);
        m_MouseMode = MouseAddPredict;
        if (m_Plots.isEmpty()) {
            m_LastShownSample = -1;
        } else if (const CDataBranch* b = GetDataBranch(0)) {
            m_LastShownSample = b->GetXSize();
        }
        if (m_Predictions.Curves().isEmpty())
            AddCurveOver(m_Predictions, m_Plots);
    } else {
        m_Predictions.SetOn(false);
        m_MouseMode = MouseNormal;
        m_LastShownSample = -1;
        RepaintGraph(RepaintPredictOff);
    }
    UpdateButtons();
}

void CGraphWindow::OnAddPredict()
{
    AddCurveOver(m_Predictions, m_Plots);
    UpdateButtons();
}

void CGraphWindow::OnErasePredict()
{
    m_MouseMode = m_MouseMode == MouseErasePredict ? MouseNormal : MouseErasePredict;
    UpdateButtons();
}

void CGraphWindow::DrawPredictPlots(QPainter* painter)
{
    if (!painter)
        return;
    for (const CPredictPlot& curve : m_Predictions.Curves())
        DrawCurve(painter, curve, m_X.Min(), m_X.Max(), m_GraphRect);
}

void CGraphWindow::pressForPrediction(QPoint p)
{
    if (m_MouseMode == MouseErasePredict) {
        if (m_Predictions.EraseNear(p, m_X.Min(), m_X.Max(), m_GraphRect))
            RepaintGraph(RepaintWithoutCursors);
        return;
    }
    if (m_Predictions.Curves().isEmpty())
        AddCurveOver(m_Predictions, m_Plots);
    const CPredictPlot& c = m_Predictions.Curves().last();
    const float L = float(m_GraphRect.left()), T = float(m_GraphRect.top());
    const float R = float(m_GraphRect.right()), B = float(m_GraphRect.bottom());
    if (R <= L || B <= T)
        return;
    const float x = m_X.Min() + (m_X.Max() - m_X.Min()) * (float(p.x()) - L) / (R - L);
    const float y = c.m_Plot.m_Min + (c.m_Plot.m_Max - c.m_Plot.m_Min) * (B - float(p.y())) / (B - T);
    m_Predictions.AddPoint(x, y);
    RepaintGraph(RepaintWithoutCursors);
}

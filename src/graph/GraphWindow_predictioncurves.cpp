// Prediction curves: predict mode holds the data plots at the sample count they had when it
// was switched on, and the user's points make free-hand curves drawn over the data.
#include "graph/GraphWindow.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/Globals.h"
#include "graph/GraphRules.h"

#include <QPainter>

#include <cmath>

namespace {
// A point further right than this is refused: the fillers before it would take the memory
// of the whole machine.
constexpr double s_MaxPredictX = 20.0e6;
}

void CGraphWindow::OnPredict()
{
    TogglePredictMode();
    UpdateButtons();
}

void CGraphWindow::OnAddPredict()
{
    AddPredictPlot();
    UpdateButtons();
}

void CGraphWindow::OnErasePredict()
{
    m_MouseMode = m_MouseMode == MouseErasePredict ? MouseNormal : MouseErasePredict;
    UpdateButtons();
}

void CGraphWindow::TogglePredictMode()
{
    if (!m_bPredictMode) {
        m_bPredictMode = true;
        m_MouseMode = MouseAddPredict;
        if (m_Plots.isEmpty()) {
            m_LastShownSample = -1;
        } else if (const CDataBranch* b = GetDataBranch(0)) {
            m_LastShownSample = b->GetXSize();
        }
        if (m_PredictPlots.isEmpty())
            AddPredictPlot();
        return;
    }
    m_bPredictMode = false;
    m_MouseMode = MouseNormal;
    m_LastShownSample = -1;
    RepaintGraph(RepaintPredictOff);
}

void CGraphWindow::AddPredictPlot()
{
    CPredictPlot curve;
    // A curve in a pale palette colour disappears into the white area and its grid lines
    // (the grid's own blue and tan are such colours): those entries are passed over (the
    // palette has strong colours, so the walk ends).
    curve.m_Plot.m_Color = GetNextGlobalColor();
    for (int i = 0; i < 12 && !GraphRules::StandsOutOnPlotArea(curve.m_Plot.m_Color); ++i)
        curve.m_Plot.m_Color = GetNextGlobalColor();
    curve.m_Plot.m_bAutoScale = false;
    if (!m_Plots.isEmpty()) {
        curve.m_Plot.m_Min = m_Plots.first().m_Min;
        curve.m_Plot.m_Max = m_Plots.first().m_Max;
    } else {
        curve.m_Plot.m_Min = 0.0f;
        curve.m_Plot.m_Max = 10.0f;
    }
    m_PredictPlots.append(curve);
}

void CGraphWindow::AddPredictPoint(double x, double y, bool add)
{
    Q_UNUSED(add);
    if (m_PredictPlots.isEmpty())
        AddPredictPlot();
    if (!(x >= 0.0) || x > s_MaxPredictX || !std::isfinite(y))
        return;
    CPredictPlot& c = m_PredictPlots.last();
    // The counter is as wide as the list: a narrower one would wrap and never end.
    const long long whole = static_cast<long long>(x);
    for (long long k = c.m_X.size(); k <= whole; ++k) {
        c.m_X.append(float(k - 1));
        c.m_Y.append(float(MissingValue));
    }
    c.m_X.append(float(x));
    c.m_Y.append(float(y));
}

void CGraphWindow::DrawPredictPlots(QPainter* painter)
{
    for (int i = 0; i < m_PredictPlots.size(); ++i)
        DrawPredict1Plot(painter, i);
}

void CGraphWindow::DrawPredict1Plot(QPainter* painter, int index)
{
    if (!painter || index < 0 || index >= m_PredictPlots.size())
        return;
    const CPredictPlot c = m_PredictPlots.at(index);
    const int n = std::min(c.m_X.size(), c.m_Y.size());
    if (n == 0)
        return;
    const float missing = float(MissingValue);
    auto pixel = [&](int i) {
        return QPoint(GraphRules::ToPixelX(c.m_X.at(i), m_X.Min(), m_X.Max(), m_GraphRect),
                      GraphRules::ToPixelY(c.m_Y.at(i), c.m_Plot.m_Min, c.m_Plot.m_Max, m_GraphRect));
    };
    bool havePrevious = c.m_Y.at(0) != missing;
    QPoint previous = havePrevious ? pixel(0) : QPoint();
    painter->save();
    painter->setClipRect(m_GraphRect);
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

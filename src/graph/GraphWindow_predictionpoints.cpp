// Prediction points by mouse: a press in the plot area adds a point to the current prediction
// curve; in erase mode a press on a point removes the curve that owns it.
#include "graph/GraphWindow.h"

#include "Core/Data/Globals.h"
#include "graph/GraphRules.h"

#include <cmath>

void CGraphWindow::DoAddPredictPoint(QPoint p, bool flag)
{
    if (m_PredictPlots.isEmpty())
        AddPredictPlot();
    const CPredictPlot& c = m_PredictPlots.last();
    const float L = float(m_GraphRect.left()), T = float(m_GraphRect.top());
    const float R = float(m_GraphRect.right()), B = float(m_GraphRect.bottom());
    if (R <= L || B <= T)
        return;
    const float x = m_X.Min() + (m_X.Max() - m_X.Min()) * (float(p.x()) - L) / (R - L);
    const float y = c.m_Plot.m_Min + (c.m_Plot.m_Max - c.m_Plot.m_Min) * (B - float(p.y())) / (B - T);
    AddPredictPoint(x, y, !flag);
    RepaintGraph(RepaintWithoutCursors);
}

void CGraphWindow::DoErasePredictPoint(QPoint p)
{
    if (m_PredictPlots.isEmpty())
        return;
    int bx = 99999999, by = 99999999, best = -1;
    // Counted in int: a long sketch holds more points than a 16-bit count reaches.
    for (int c = 0; c < m_PredictPlots.size(); ++c) {
        const CPredictPlot& curve = m_PredictPlots.at(c);
        const int n = std::min(curve.m_X.size(), curve.m_Y.size());
        for (int k = 0; k < n; ++k) {
            if (curve.m_Y.at(k) == float(MissingValue))
                continue;
            const int px = GraphRules::ToPixelX(curve.m_X.at(k), m_X.Min(), m_X.Max(), m_GraphRect);
            const int py = GraphRules::ToPixelY(curve.m_Y.at(k), curve.m_Plot.m_Min, curve.m_Plot.m_Max, m_GraphRect);
            const int dx = std::abs(px - p.x()), dy = std::abs(py - p.y());
            if (dx < bx && dx <= 4 && dy < 5 && dy < by) {
                bx = dx;
                by = dy;
                best = c;
            }
        }
    }
    if (best == -1)
        return;
    m_PredictPlots.removeAt(best);
    RepaintGraph(RepaintWithoutCursors);
}

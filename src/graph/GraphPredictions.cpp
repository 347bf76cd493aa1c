#include "graph/GraphPredictions.h"

#include "Core/Data/Globals.h"
#include "graph/GraphRules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
// A point further right than this is refused: the fillers before it would take the memory
// of the whole machine.
constexpr double s_MaxPredictX = 20.0e6;
} // namespace

void CGraphPredictions::AddCurve(float min, float max)
{
    CPredictPlot curve;
    // A curve in a pale palette colour disappears into the white area and its grid lines
    // (the grid's own blue and tan are such colours): those entries are passed over (the
    // palette has strong colours, so the walk ends).
    curve.m_Plot.m_Color = GetNextGlobalColor();
    for (int i = 0; i < 12 && !GraphRules::StandsOutOnPlotArea(curve.m_Plot.m_Color); ++i)
        curve.m_Plot.m_Color = GetNextGlobalColor();
    curve.m_Plot.m_bAutoScale = false;
    curve.m_Plot.m_Min = min;
    curve.m_Plot.m_Max = max;
    m_Curves.append(curve);
}

bool CGraphPredictions::AddPoint(double x, double y)
{
    if (m_Curves.isEmpty() || !(x >= 0.0) || x > s_MaxPredictX || !std::isfinite(y))
        return false;
    CPredictPlot& c = m_Curves.last();
    // The counter is as wide as the list: a narrower one would wrap and never end.
    const long long whole = static_cast<long long>(x);
    for (long long k = c.m_X.size(); k <= whole; ++k) {
        c.m_X.append(float(k - 1));
        c.m_Y.append(float(MissingValue));
    }
    c.m_X.append(float(x));
    c.m_Y.append(float(y));
    return true;
}

bool CGraphPredictions::EraseNear(QPoint p, float xMin, float xMax, const QRect& area)
{
    int bx = 99999999, by = 99999999, best = -1;
    // Counted in int: a long sketch holds more points than a 16-bit count reaches.
    for (int c = 0; c < m_Curves.size(); ++c) {
        const CPredictPlot& curve = m_Curves.at(c);
        const int n = std::min(curve.m_X.size(), curve.m_Y.size());
        for (int k = 0; k < n; ++k) {
            if (curve.m_Y.at(k) == float(MissingValue))
                continue;
            const int px = GraphRules::ToPixelX(curve.m_X.at(k), xMin, xMax, area);
            const int py = GraphRules::ToPixelY(curve.m_Y.at(k), curve.m_Plot.m_Min, curve.m_Plot.m_Max, area);
            const int dx = std::abs(px - p.x()), dy = std::abs(py - p.y());
            if (dx < bx && dx <= 4 && dy < 5 && dy < by) {
                bx = dx;
                by = dy;
                best = c;
            }
        }
    }
    if (best == -1)
        return false;
    m_Curves.removeAt(best);
    return true;
}

void CGraphPredictions::StretchMaxima(float ratio)
{
    for (CPredictPlot& curve : m_Curves)
        if (!curve.m_X.isEmpty())
            curve.m_Plot.m_Max = curve.m_Plot.m_DragStartMax * ratio;
}

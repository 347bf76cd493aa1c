// Axis ranges from the data: each plot's Y range, the X range after a run or on command, the
// scrolling X range while a run is drawn, and explicit limits.
#include "graph/GraphWindow.h"
#include "graph/GraphRules.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"

#include <algorithm>
#include <cmath>

void CGraphWindow::FindMinMaxValues(const CDataBranch* branch, bool yValues, long from, long to, float& min,
                                    float& max, float multiplier) const
{
    if (branch) {
        const int count = yValues ? branch->GetYSize() : branch->GetXSize();
        const int last = int(std::min<long>(to, count));
        if (yValues)
            branch->GetYMinMax(int(from), last, min, max);
        else
            branch->GetXMinMax(int(from), last, min, max);
    }
    min *= multiplier;
    max *= multiplier;
}

void CGraphWindow::AutoScaleAllAxis(bool scrolling)
{
    QVector<bool> which(m_Plots.size());
    for (int i = 0; i < m_Plots.size(); ++i)
        which[i] = m_Plots.at(i).m_bAutoScale && m_Plots.at(i).m_bVisible;
    autoScaleYAxes(which);
    if (m_X.AutoScale() && !m_Plots.isEmpty())
        AutoScaleXAxis(scrolling);
}

void CGraphWindow::autoScaleYAxes(const QVector<bool>& which)
{
    // Which scale each curve is drawn on is found once for the pass: a graph of every run of a
    // large workspace must not look at every plot for every plot.
    const CScaleMap map = ScaleMap();
    const int n = m_Plots.size();
    QVector<QVector<int>> drawnOn(n);
    for (int j = 0; j < n; ++j) {
        const int s = map.m_ScaleOf.at(j);
        if (s != j && m_Plots.at(j).m_bVisible)
            drawnOn[s].append(j);
    }
    // A curve drawn on another's scale takes that scale's range below, not one of its own.
    for (int i = 0; i < n && i < which.size(); ++i)
        if (which.at(i) && map.m_ScaleOf.at(i) == i)
            autoScaleY(i, 0, 0, false, map, drawnOn.at(i));
    shareScales(map);
}

void CGraphWindow::autoScaleY(int plot, long first, long last, bool force, const CScaleMap& map,
                              const QVector<int>& drawnOnIt)
{
    if (plot < 0 || plot >= m_Plots.size() || plot >= map.m_Branches.size())
        return;
    CGraphPlot p = m_Plots.at(plot);
    const CDataBranch* branch = map.m_Branches.at(plot);
    if (!branch || (!p.m_bAutoScale && !force))
        return;
    // A plot's range is in its stored values, as its curve is drawn: the unit prefix it is shown
    // in changes its scale's numbers alone.
    const int count = branch->GetYSize();
    float lo = 9999999.0f, hi = -9999999.0f;
    FindMinMaxValues(branch, true, first, last == 0 ? count : last, lo, hi, 1.0f);
    // The curves drawn on this scale are taken in too.
    for (int j : drawnOnIt) {
        const CDataBranch* other = j >= 0 && j < map.m_Branches.size() ? map.m_Branches.at(j) : nullptr;
        if (!other)
            continue;
        float l = 9999999.0f, h = -9999999.0f;
        FindMinMaxValues(other, true, 0, other->GetYSize(), l, h, 1.0f);
        if (l <= h) {
            lo = std::min(lo, l);
            hi = std::max(hi, h);
        }
    }
    const GraphRules::Range r = GraphRules::YAutoscale(count == 0, lo, hi, m_GraphType == BarGraph);
    SetAxisMinMax(short(plot), r.min, r.max, true);
    p.m_Min = r.min;
    p.m_Max = r.max;
    UpdatePlot(p, plot);
}

void CGraphWindow::AutoScaleXAxis(bool scrolling, short)
{
    if (!scrolling) {
        if (m_GraphType == BarGraph || m_Plots.isEmpty())
            return;
        float lo = 9999999.0f, hi = -9999999.0f;
        if (m_GraphType == XYGraph && m_X.PlotKey() != -1) {
            // Every drawn curve stands on the X values of its own run: the axis spans them all.
            if (!m_X.AutoScale() || !m_X.DrawnXRange(lo, hi))
                return;
        } else {
            const int longest = m_X.LongestVisiblePlot();
            const CDataBranch* b = GetDataBranch(longest);
            if (!b || b->GetXSize() < 2) {
                SetAxisMinMax(-1, 0.0f, 10.0f, true);
                return;
            }
            FindMinMaxValues(b, false, 0, b->GetXSize(), lo, hi, float(m_X.PlotScale(longest)));
        }
        if (lo == hi) {
            lo *= 0.9f;
            hi *= 1.1f;
        }
        // A single value of 0 (or none at all) would leave an axis without length.
        if (!(hi > lo) && !(lo > hi)) {
            lo = 0.0f;
            hi = 10.0f;
        }
        SetAxisMinMax(-1, lo, hi, true);
        return;
    }

    const int longestPlot = m_X.LongestVisiblePlot();
    const CDataBranch* longest = GetDataBranch(longestPlot);
    if (m_Plots.isEmpty()) {
        SetAxisMinMax(-1, 0.0f, 11.0f, true);
        return;
    }
    long long span = 10;
    if (m_bTimingRun) {
        span = 11;
    } else if (GetCommonRate() <= 0) {
        const CDataBranch* first = GetDataBranch(0);
        const double sps = first ? first->m_Interval : 1.0;
        const double s = (sps > 0.0 && std::isfinite(sps)) ? 10.0 / sps : 10.0;
        span = (s >= 1.0 && s < 1.0e9) ? (long long)s : 10;
    }
    if (m_GraphType == XYGraph) {
        // A range the user fixed for the X-axis plot stays while the run goes on.
        if (m_X.PlotKey() == -1 || !m_X.AutoScale())
            return;
        const CDataBranch* xb = dataStore() ? dataStore()->GetDataBranch(m_X.PlotKey()) : nullptr;
        if (!xb)
            return;
        double lo, hi;
        float flo = 9999999.0f, fhi = -9999999.0f;
        if (xb->GetYSize() < 2 || !m_X.DrawnXRange(flo, fhi)) {
            lo = m_X.Plot().m_Min;
            hi = double(m_X.Plot().m_Max) + 1.0;
        } else {
            lo = flo;
            hi = fhi;
        }
        if (lo == hi) {
            hi = hi + 0.2 * hi;
            lo = lo - 0.2 * lo;
        }
        if (lo == hi)   // both 0: keep an axis with a length
            hi = lo + 1.0;
        SetAxisMinMax(-1, float(lo), float(hi), true);
        return;
    }
    long long lastPos = 0;
    if (longest) {
        const int count = longest->GetXSize();
        if (count == 1) {
            lastPos = 11;
        } else if (m_bVideoPlayback || m_bVideoAnalysisRun) {
            lastPos = std::max<long long>(m_LastShownSample, span);
        } else if (count > 1) {
            int last = 0;
            SafeDoubleToInt(longest->GetXSample(count - 1) * m_X.PlotScale(longestPlot), last, 0);
            lastPos = last;
        }
    }
    if (m_GraphType == BarGraph)
        lastPos += 2;
    GraphRules::Range r{m_X.Min(), m_X.Max()};
    bool autoOn = m_X.AutoScale();
    if (GraphRules::ScrollXRange(lastPos, span, m_bTimingRun, m_X.Min(), r, autoOn))
        m_X.ScaleTo(r.min, r.max, autoOn);
}

void CGraphWindow::takeXAxisScaleFromPlot(bool autoRangeFound)
{
    if (m_GraphType != XYGraph)
        return;
    const bool wasAuto = m_X.AutoScale();
    const CGraphPlot* chosen = m_X.TakeScaleChoice();
    if (!chosen)
        return;
    const CGraphPlot plot = *chosen;
    if (plot.m_bAutoScale) {
        if (!(autoRangeFound && wasAuto))
            AutoScaleXAxis(isLive());
    } else if (plot.m_Min != plot.m_Max && std::isfinite(plot.m_Min) && std::isfinite(plot.m_Max))
        SetAxisMinMax(-1, plot.m_Min, plot.m_Max, false);
}

void CGraphWindow::SetAxisMinMax(short axis, float min, float max, bool autoscale)
{
    if (axis == -1) {
        m_X.ScaleTo(min, max, autoscale);
        return;
    }
    if (axis < 0 || axis >= m_Plots.size())
        return;
    CGraphPlot p = GetPlot(axis);
    if (p.m_Key == -1 || !(max > min))
        return;
    p.m_bAutoScale = autoscale;
    p.m_Min = min;
    p.m_Max = max;
    UpdatePlot(p, axis);
}

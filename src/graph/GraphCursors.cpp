// The two cursors' state and the rules that move them, without the window.
#include "graph/GraphCursors.h"

#include "Core/Data/DataBranch.h"
#include "graph/GraphRules.h"
#include "graph/GraphX.h"

#include <QRect>

#include <algorithm>
#include <cmath>

void CGraphCursors::Off()
{
    m_First.m_Plot = m_Second.m_Plot = -1;
    m_First.m_Sample = m_Second.m_Sample = -1;
    m_SampleDelta = 0;
}

void CGraphCursors::DropPlots()
{
    m_First.m_Plot = m_Second.m_Plot = -1;
}

void CGraphCursors::FirstOff()
{
    m_First.m_Plot = -1;
    m_SampleDelta = 0;
}

void CGraphCursors::SecondOff()
{
    m_Second.m_Plot = -1;
    m_Second.m_Sample = -1;
    m_SampleDelta = 0;
}

void CGraphCursors::Detach(bool keepSecond)
{
    m_First.m_Plot = -1;
    m_First.m_Sample = -1;
    if (!keepSecond)
        SecondOff();
}

void CGraphCursors::Place(int which, int plot, int sample, float x, float y)
{
    CCursor& c = edit(which);
    c.m_Plot = plot;
    c.m_Sample = sample;
    c.m_X = x;
    c.m_Y = y;
}

void CGraphCursors::PlaceSecond(const CDataBranch* branch, const CGraphX& x, bool xyGraph)
{
    const int plot = m_First.m_Plot;
    const int count = plot != -1 && branch ? branch->GetNumSamples() : 0;
    if (count == 0) {
        SecondOff();
        return;
    }
    m_Second.m_Plot = plot;
    if (xyGraph) {
        const CDataBranch* xBranch = x.XBranchOfPlot(plot);
        // Only samples that stand on an X value have a point.
        const long long onX = xBranch ? xBranch->GetYSize() - x.XYSampleOffset(plot) : 0;
        const int points = int(std::clamp<long long>(onX, 0, count));
        m_Second.m_Sample = Cursor2Sample(m_First.m_Sample, m_Second.m_Sample, m_SampleDelta, points);
        m_Second.m_X = points > 0 ? float(x.XYSampleX(plot, m_Second.m_Sample)) : 0.0f;
        m_Second.m_Y = float(branch->GetYSample(m_Second.m_Sample));
    } else {
        const double first = branch->GetXSample(0);
        const GraphRules::Range xr = x.PlotRange(plot);
        const float hi = std::min(float(branch->GetXSample(count - 1)), xr.max);
        const float lo = std::max(float(first), xr.min);
        const int loI = std::max(GraphRules::TruncClamped(lo), m_First.m_Sample);
        long long idx;
        if (m_Second.m_Sample < 0 || GraphRules::TruncClamped(hi) <= m_Second.m_Sample || m_SampleDelta == 0)
            idx = GraphRules::TruncClamped((loI + GraphRules::TruncClamped(hi)) / 2 - first);
        else
            idx = (long long)m_First.m_Sample + m_SampleDelta;
        // A kept distance may reach past the end of a shorter branch: the cursor stops at its end.
        m_Second.m_Sample = GraphRules::ClampSample(idx, count);
        m_Second.m_X = float(branch->GetXSample(m_Second.m_Sample));
        m_Second.m_Y = float(branch->GetYSample(m_Second.m_Sample));
    }
    m_SampleDelta = m_Second.m_Sample - m_First.m_Sample;
}

int CGraphCursors::Cursor2Sample(int cursor1, int cursor2, int delta, int points)
{
    if (points <= 0)
        return 0;
    const int c1 = std::clamp(cursor1, 0, points - 1);
    // A distance kept from before stays while it lands inside the data.
    if (cursor2 >= 0 && delta != 0 && (long long)c1 + delta >= 0 && (long long)c1 + delta < points)
        return c1 + delta;
    // Otherwise half-way from cursor 1 to the farther end of the data, so that the two cursors
    // and their read-outs stand apart: never on cursor 1 while there is another sample.
    if (c1 < points / 2)
        return c1 + (points - c1) / 2;
    return c1 / 2;
}

int CGraphCursors::HandleAt(const QPoint& p) const
{
    auto onHandle = [&p](const QPoint& c) { return QRect(c.x() - 5, c.y() - 5, 10, 10).contains(p); };
    if (m_Second.m_Plot != -1 && onHandle(m_Second.m_Point))
        return 2;
    if (m_First.m_Plot != -1 && onHandle(m_First.m_Point))
        return 1;
    return 0;
}

void CGraphCursors::MoveTo(int which, int sample, float x, float y)
{
    CCursor& c = edit(which);
    c.m_X = x;
    c.m_Y = y;
    c.m_Sample = sample;
    if (m_Second.m_Plot != -1)
        m_SampleDelta = m_Second.m_Sample - m_First.m_Sample;
}

double CGraphCursors::DeltaX(bool xyGraph) const
{
    return xyGraph ? double(m_Second.m_X) - double(m_First.m_X) : double(m_SampleDelta);
}

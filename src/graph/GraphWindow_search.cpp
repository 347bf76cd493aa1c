// The searches behind the cursors: the plot nearest a mouse point, the sample of a branch at
// an X position, the sample whose value is nearest a given value; and the read-only queries
// through which the analysis commands learn the cursor range and the X axis.
#include "graph/GraphWindow.h"
#include "graph/GraphSearch.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SampleStore.h"
#include "graph/GraphRules.h"
#include "analysis/FourierSpectrum.h"
#include "analysis/XSeries.h"

#include <QVector>

#include <climits>
#include <cmath>
#include <limits>

namespace {

constexpr float s_NoValue = 9999999.0f;
constexpr int s_Chunk = 4096;

// A value used as a sample position, cut toward zero and kept inside the int range.
int TruncIndex(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 1.0e9)
        return 1000000000;
    if (v <= -1.0e9)
        return -1000000000;
    return int(v);
}

} // namespace

float FindNearestY(CDataBranch* branch, float value, int& index)
{
    float best = s_NoValue;
    int bestIndex = 0;
    if (branch) {
        QVector<double> chunk;
        for (int first = 0;;) {
            const int n = branch->CopyYRange(first, s_Chunk, chunk);
            if (n <= 0)
                break;
            for (int k = 0; k < n; ++k) {
                const float y = float(chunk.at(k));
                if (std::fabs(value - y) < std::fabs(value - best)) {
                    best = y;
                    bestIndex = first + k;
                }
            }
            first += n;
        }
    }
    index = bestIndex;
    return best;
}

float FindMatchingY(CDataBranch* branch, float x, float tolerance, int& index, int start)
{
    if (!branch) {
        index = 0;
        return 0.0f;
    }
    const double dt = branch->m_Interval;
    const double target = dt * double(x);
    const double tol = double(tolerance);
    auto matches = [&](double xv) { return std::fabs(double(float(xv)) * dt - target) <= tol; };
    // Ordered samples, the usual case, are searched with the locks held once: the search for
    // the curve under the pointer asks this of every curve on every move.
    enum class Found { NoSamples, Beyond, Unordered, Match, NoMatch } found = Found::NoSamples;
    const int i = start < 0 ? 0 : start;
    int match = 0;
    double y = 0.0;
    branch->ReadLocked([&](const CSampleStore& xs, const CSampleStore& ys) {
        const int count = xs.size();
        if (count == 0)
            return;
        if (i >= count) {
            found = Found::Beyond;
            return;
        }
        if (!(dt > 0.0 && xs.isNonDecreasing())) {
            found = Found::Unordered;
            return;
        }
        // On ordered samples the matching ones form one stretch: its first is the first
        // sample not left of the band.
        const int j =
            xs.partitionPointNear(i, count, i, [&](double xv) { return double(float(xv)) * dt - target >= -tol; });
        found = j < count && matches(xs.at(j)) ? Found::Match : Found::NoMatch;
        match = j;
        y = j < ys.size() ? ys.at(j) : MissingValue;
    });
    switch (found) {
    case Found::NoSamples:
        index = 0;
        return 0.0f;
    case Found::Match:
        index = match + 1;
        return float(y);
    case Found::Beyond:
    case Found::NoMatch:
        return float(MissingValue);
    case Found::Unordered:
        break;
    }
    // Unordered samples are read one at a time, the logger free to append between reads.
    for (int k = i; k < branch->GetXSize(); ++k) {
        if (matches(branch->GetXSample(k))) {
            index = k + 1;
            return float(branch->GetYSample(k));
        }
    }
    return float(MissingValue);
}

float FindMatchingTimeY(CDataBranch* branch, float x, int& index, int start)
{
    const int count = branch ? branch->GetXSize() : 0;
    if (count == 0) {
        index = 0;
        return 0.0f;
    }
    const int first = std::max(0, TruncIndex(double(start) - branch->GetXSample(0)));
    // Beyond the samples there is nothing to read: no sample, index unchanged.
    if (first >= count)
        return float(MissingValue);
    int i = count;
    if (branch->IsXNonDecreasing()) {
        i = branch->PartitionXNear(first, count, first, [x](double xv) { return float(xv) >= x; });
    } else {
        for (int k = first; k < branch->GetXSize(); ++k) {
            if (float(branch->GetXSample(k)) >= x) {
                i = k;
                break;
            }
        }
    }
    if (i >= branch->GetXSize())
        return float(MissingValue);
    const float xi = float(branch->GetXSample(i));
    const float prev = i == 0 ? float(MissingValue) : float(branch->GetXSample(i - 1));
    const int pick = std::fabs(double(x) - double(xi)) > std::fabs(double(x) - double(prev)) ? i - 1 : i;
    index = pick;
    return float(branch->GetYSample(pick));
}

CGraphPlot CGraphWindow::FindNearestPlot(QPoint* point, int& plotIndex)
{
    CGraphPlot result;
    if (!point)
        return result;
    double best = 9999999.0;
    // As PlotIsDrawn and CGraphX::PlotScale answer, with what the positions count remembered.
    CDataBranch* first = m_Plots.isEmpty() ? nullptr : GetDataBranch(0);
    const GraphRules::XAxisContent axis
        = m_GraphType == BarGraph ? GraphRules::XAxisContent::Events : m_X.RememberedPositionContent(0, first);
    const double column = double(m_X.ColumnToX(point->x(), m_GraphRect));
    const double next = double(m_X.ColumnToX(point->x() + 1, m_GraphRect));
    for (int i = 0; i < m_Plots.size(); ++i) {
        const CGraphPlot& plot = m_Plots.at(i);
        // A cursor stands on a curve that is drawn.
        if (!plot.m_bVisible)
            continue;
        // Plot 0's series was looked up above.
        CDataBranch* branch = i == 0 ? first : GetDataBranch(i);
        if (!branch)
            continue;
        // A spectrum's frequency axis and a fit against an X-axis series both name another
        // series as related; a series that names none is neither, and is not asked.
        const bool relates = branch->m_RelatedKey >= 0;
        if (m_X.PlotKey() != -1
                ? !m_X.XBranchOfPlot(i)
                : (relates && (IsFourierFrequencyAxis(dataStore(), branch) || FittedXKey(*branch) >= 0))
                      || !GraphRules::SameTimeAxis(m_X.RememberedPositionContent(i, branch), axis))
            continue;
        // The pointer's X in this curve's own sample numbers.
        double scale = 1.0;
        if (m_GraphType == TimeGraph && i > 0 && !(first && first->m_Interval == branch->m_Interval))
            scale = GraphRules::PositionsPerSample(axis, first ? first->m_Interval : 1.0,
                                                   m_X.RememberedPositionContent(i, branch), branch->m_Interval);
        const float x = float(column / scale);
        float tolerance = std::fabs(float(next / scale) - x);
        const int hint = (m_GraphType == TimeGraph || m_GraphType == BarGraph) ? std::max(TruncIndex(x) - 2, 1) : 1;
        if (m_GraphType == TimeGraph)
            tolerance = float(branch->m_Interval);
        const int start = TruncIndex(double(hint) - branch->GetXSample(0));
        int index = 0;
        const float y = FindMatchingY(branch, x, tolerance, index, start);
        const double d = std::abs(GraphRules::ToPixelY(y, plot.m_Min, plot.m_Max, m_GraphRect) - point->y());
        if (d < best) {
            best = d;
            result = plot;
            plotIndex = i;
        }
    }
    return result;
}

CGraphPlot CGraphWindow::FindNearestXYPlot(QPoint* point, int& plotIndex, int& sample)
{
    CGraphPlot result;
    CDataManager* data = dataStore();
    if (!point || !data || !data->GetDataBranch(m_X.PlotKey()))
        return result;
    int bestPlot = -1, bestSample = -1;
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < m_Plots.size(); ++i) {
        if (!m_Plots.at(i).m_bVisible)
            continue;
        double d2 = 0.0;
        const int s = m_X.NearestXYSample(i, *point, m_GraphRect, &d2);
        if (s >= 0 && d2 < best) {
            best = d2;
            result = m_Plots.at(i);
            bestPlot = i;
            bestSample = s;
        }
    }
    plotIndex = bestPlot;
    sample = bestSample;
    return result;
}

int CGraphWindow::GetCursorsInfo(int& cursor1Sample, int& cursor2Sample, int& xAxisKey)
{
    if (m_Cursors.First().m_Plot < 0 || m_Cursors.First().m_Plot >= m_Plots.size())
        return -1;
    cursor1Sample = m_Cursors.First().m_Sample;
    cursor2Sample = m_Cursors.Second().m_Plot == -1 ? -1 : m_Cursors.Second().m_Sample;
    xAxisKey = m_X.PlotKey();
    return m_Plots.at(m_Cursors.First().m_Plot).m_Key;
}

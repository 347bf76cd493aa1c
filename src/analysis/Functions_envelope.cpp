// Envelope (straight lines from extreme to extreme) and frequency (one point per cycle between
// successive maxima), built on one forward-only peak finder.
#include "analysis/Functions.h"

#include "Core/Data/DataBranch.h"
#include "analysis/FunctionsSupport.h"

#include <functional>

using namespace AnalysisSupport;

namespace {

// Walks y[s..e] forward and hands every accepted extreme to onExtreme.
// minDistance: a candidate p must lie beyond the last accepted extreme + minDistance, both as
// sample indices of the branch (offset is the branch index of y[0]); before the first
// acceptance the last extreme counts as index -1000.
// anchorFollows: the neighbour test is skipped within 3 samples after the anchor, which is s
// or (when true) the last accepted extreme.
void findExtremes(const QVector<double>& y, int s, int e, long offset, bool maxima,
                  double minDistance, bool anchorFollows, const std::function<void(int)>& onExtreme)
{
    if (s >= e)
        return;
    auto before = [&](int k) { return maxima ? y.at(k) >= y.at(k + 1) : y.at(k + 1) >= y.at(k); };
    auto after = [&](int k) { return maxima ? y.at(k + 1) >= y.at(k) : y.at(k) >= y.at(k + 1); };
    auto dominates = [&](int p, int q, bool orEqual) {
        if (maxima)
            return orEqual ? y.at(p) >= y.at(q) : y.at(p) > y.at(q);
        return orEqual ? y.at(p) <= y.at(q) : y.at(p) < y.at(q);
    };

    long last = -1000;
    int anchor = s;
    int i = s;
    while (i < e) {
        int k = i;
        while (k < e && before(k)) // away from the previous extreme
            ++k;
        while (k < e && after(k)) // towards the next one
            ++k;
        const int p = k;
        if (p == i) {
            // Neither run moved (a sample that is not a number): pass over it.
            ++i;
            continue;
        }
        // A run stopped by the end of the range says nothing about what follows it.
        if (p >= e)
            break;
        if (double(p + offset) > double(last) + minDistance) {
            const bool nearEdge = p + 3 >= e || p - 3 <= anchor;
            const bool isPeak = nearEdge
                || (dominates(p, p - 1, true) && dominates(p, p - 2, false)
                    && dominates(p, p - 3, false) && dominates(p, p + 1, true)
                    && dominates(p, p + 2, false) && dominates(p, p + 3, false));
            if (isPeak) {
                onExtreme(p);
                last = p + offset;
                if (anchorFollows)
                    anchor = p;
            }
        }
        i = p;
    }
}

} // namespace

CDataBranch* CFunctions::FunctionEnvelope(CDataBranch* g1, double A, long start, long end,
                                          bool upper, QString name)
{
    if (!g1)
        return nullptr;
    BranchRange range;
    ReadRange(g1, start, end, range);
    QVector<double> outX;
    QVector<double> outY;
    int previous = -1;
    findExtremes(range.y, 0, range.count() - 1, range.start, upper, A, true, [&](int p) {
        if (previous < 0) {
            outX.append(range.x.at(p));
            outY.append(range.y.at(p));
        } else {
            const double slope = (range.y.at(p) - range.y.at(previous)) / double(p - previous);
            for (int k = previous + 1; k <= p; ++k) {
                outX.append(range.x.at(k));
                outY.append(outY.last() + slope);
            }
        }
        previous = p;
    });
    if (!HoldsTwo(*this, outX.size()))
        return nullptr;
    return AddFunctionBranch(g1->m_Key, outX, outY, name, name, g1->m_Interval, g1->m_Unit,
                             g1->m_UnitPrefix, FunctionResultIndex);
}

CDataBranch* CFunctions::FunctionFrequency(CDataBranch* g1, double A, long start, long end,
                                           QString name, QString unit)
{
    if (!g1)
        return nullptr;
    BranchRange range;
    ReadRange(g1, start, end, range);
    const double interval = g1->m_Interval;
    QVector<double> outX;
    QVector<double> outY;
    int previous = -1;
    findExtremes(range.y, 0, range.count() - 1, range.start, true, A, false, [&](int p) {
        if (previous >= 0) {
            // A cycle of no duration (equal X values, or no sample interval) has no frequency.
            const double seconds = (range.x.at(p) - range.x.at(previous)) * interval;
            if (seconds != 0.0) {
                outX.append(range.x.at(p));
                outY.append(1.0 / seconds);
            }
        }
        previous = p;
    });
    if (!HoldsTwo(*this, outX.size()))
        return nullptr;
    return AddFunctionBranch(g1->m_Key, outX, outY, name, name, interval, unit,
                             g1->m_UnitPrefix, FunctionResultIndex);
}

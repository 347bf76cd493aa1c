// Envelope (straight lines from extreme to extreme, bending only where a sample would stand
// outside) and frequency (one point per cycle between successive maxima), both by the extreme
// scan that the functions computed while recording use too.
#include "analysis/Functions.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/SeriesNames.h"
#include "analysis/ExtremeScan.h"
#include "analysis/FunctionsSupport.h"

using namespace AnalysisSupport;

CDataBranch* CFunctions::FunctionEnvelope(CDataBranch* g1, double A, long start, long end,
                                          bool upper, QString name)
{
    if (!g1)
        return nullptr;
    BranchRange range;
    ReadRange(g1, start, end, range);
    QVector<double> outX;
    QVector<double> outY;
    ExtremeScanState state;
    CExtremeScan scan(state, upper, A, true, range.start);
    scan.Scan(range.y, range.start, [&](qint64 p, qint64 previous, const QVector<EnvelopeCorner>& corners) {
        const int at = static_cast<int>(p - range.start);
        if (corners.isEmpty()) {
            outX.append(range.x.at(at));
            outY.append(range.y.at(at));
            return;
        }
        for (qint64 k = previous + 1; k <= p; ++k)
            outX.append(range.x.at(static_cast<int>(k - range.start)));
        CExtremeScan::EnvelopeValues(corners, outY);
    });
    if (!HoldsTwo(*this, outX.size()))
        return nullptr;
    return AddFunctionBranch(g1->m_Key, outX, outY, name, name, g1->m_Interval, SeriesNames::UnitOf(*g1),
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
    ExtremeScanState state;
    CExtremeScan scan(state, true, A, false, range.start);
    scan.Scan(range.y, range.start, [&](qint64 p, qint64 previous, const QVector<EnvelopeCorner>&) {
        if (previous < range.start)
            return; // the first maximum only opens the first cycle
        const double x = range.x.at(static_cast<int>(p - range.start));
        double frequency = 0.0;
        if (CExtremeScan::CycleFrequency(range.x.at(static_cast<int>(previous - range.start)), x, interval, frequency)) {
            outX.append(x);
            outY.append(frequency);
        }
    });
    if (!HoldsTwo(*this, outX.size()))
        return nullptr;
    return AddFunctionBranch(g1->m_Key, outX, outY, name, name, interval, unit,
                             g1->m_UnitPrefix, FunctionResultIndex);
}

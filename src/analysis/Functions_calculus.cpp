// Derivative by forward differences (against time or the graph's X-axis branch) and the
// running integral over time.
#include "analysis/Functions.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SeriesNames.h"
#include "analysis/FunctionsSupport.h"
#include "Core/Data/Globals.h"
#include "analysis/XSeries.h"

using namespace AnalysisSupport;

namespace {

// Indices j after which the values stop rising: a fall that follows a rise (or a flat part).
QList<int> findMidPoints(const QVector<double>& y)
{
    QList<int> points;
    bool rising = false;
    for (int j = 0; j + 1 < y.size(); ++j) {
        if (y.at(j + 1) >= y.at(j))
            rising = true;
        if (rising && y.at(j + 1) < y.at(j)) {
            rising = false;
            points.append(j);
        }
    }
    return points;
}

} // namespace

CDataBranch* CFunctions::FunctionDerivative(CDataBranch* g1, bool g1AsTime, long start,
                                            long end, QString name, CDataBranch* xAxis)
{
    if (!g1)
        return nullptr;
    BranchRange range;
    ReadRange(g1, start, end, range);
    const double interval = g1->m_Interval;
    const int pairs = range.count();

    // X source: on an XY graph the X-axis values each sample is drawn at (sample i on the
    // entry the pairing rule gives), in their own unit; else the samples' times. A sample
    // without an X value (beyond a shorter X series, on a gap) gives no point.
    QVector<double> xs = range.x;
    double step = interval;
    if (xAxis) {
        xs = XSeriesValues(*xAxis, g1->GetXSample(0), range.start, pairs);
        step = 1.0;
    }
    // Y source: the values, or the samples' times.
    QVector<double> ys = range.y;
    if (g1AsTime) {
        for (int i = 0; i < pairs; ++i)
            ys[i] = range.x.at(i) * interval;
    }

    // Written through raw pointers: this loop runs over whole recordings.
    QVector<double> outX(qMax(pairs - 1, 0));
    QVector<double> outY(qMax(pairs - 1, 0));
    const double* xIn = xs.constData();
    const double* yIn = ys.constData();
    double* xOut = outX.data();
    double* yOut = outY.data();
    int points = 0;
    for (int i = 0; i + 1 < pairs; ++i) {
        if (xAxis && (!IsUsableX(xIn[i]) || !IsUsableX(xIn[i + 1])))
            continue;
        const double dx = (xIn[i + 1] - xIn[i]) * step;
        if (dx == 0.0)
            continue; // equal X values (or no sample interval): no slope to give
        xOut[points] = double(range.start + i + 1);
        yOut[points] = (yIn[i + 1] - yIn[i]) / dx;
        ++points;
    }
    outX.resize(points);
    outY.resize(points);
    if (!HoldsTwo(*this, outX.size()))
        return nullptr;

    // Per second, or per unit of the X the slope was taken along. A slope against an X in the
    // unit of the values (a tracked Y against the tracked X, both in px) is a pure number.
    const QString of = SeriesNames::UnitOf(*g1);
    const QString per = xAxis ? SeriesNames::UnitOf(*xAxis) : tr("s");
    const bool pure = of == per;
    const QString unit = pure ? QString() : per.isEmpty() ? of : QStringLiteral("%1/%2").arg(of, per);
    if (name.isEmpty())
        name = QStringLiteral("%1(%2) / %3").arg(tr("d"), g1->m_Name, xAxis ? tr("dx") : tr("dt"));
    CDataBranch* result = AddFunctionBranch(g1->m_Key, outX, outY, name, name, interval, unit,
                                            g1AsTime || pure ? short(0) : g1->m_UnitPrefix,
                                            FunctionResultIndex);
    // The graph marks where a manually sampled or X-axis derivative stops rising.
    const CDataManager* data = GetDataManager();
    if (result && (xAxis || (data && data->IsSampledByHand(g1->m_Key)))) {
        const QList<int> points = findMidPoints(outY);
        if (!points.isEmpty()) {
            result->m_MarkedPositions = points;
            result->m_RelatedKey = g1->m_Key;
        }
    }
    return result;
}

CDataBranch* CFunctions::FunctionIntegral(CDataBranch* g1, bool g1AsTime, long start, long end,
                                          double A, double B, QString name)
{
    BranchRange range;
    // The first point needs a sample at the start of the range; a single one gives no area.
    if (!ReadRangeOfTwo(*this, g1, start, end, range))
        return nullptr;
    const double interval = g1->m_Interval;
    const int n = range.count();
    QVector<double> outY(n);
    const double* x = range.x.constData();
    const double* y = range.y.constData();
    double* out = outY.data();
    out[0] = A;
    for (int i = 1; i < n; ++i) {
        const double operand = g1AsTime ? x[i] * interval : y[i];
        out[i] = out[i - 1] + (x[i] - x[i - 1]) * (operand * interval) * B;
    }
    if (name.isEmpty()) {
        const auto number = [](double v) { return Double2String(v, 5, false, false); };
        const QString start = A == 0.0 ? QString()
                                       : (A > 0.0 ? number(A) : QLatin1Char('(') + number(A) + QLatin1Char(')'))
                                             + QStringLiteral(" + ");
        const QString factor = B == 1.0 ? QString()
                                        : (B >= 0.0 ? number(B) : QLatin1Char('(') + number(B) + QLatin1Char(')'))
                                              + QStringLiteral(" * ");
        name = QStringLiteral("%1%2(%3%4)").arg(start, tr("Integral"), factor, g1->m_Name);
    }
    const QString unit = SeriesNames::UnitOf(*g1) + QLatin1Char('*') + tr("s");
    return AddFunctionBranch(g1->m_Key, range.x, outY, name, name, interval, unit,
                             g1AsTime ? short(0) : g1->m_UnitPrefix, FunctionResultIndex);
}

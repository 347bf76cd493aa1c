#include "analysis/Statistics.h"

#include <algorithm>
#include <cmath>
#include <QtConcurrent>

#include "Core/Base/Diagnostics.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "analysis/Functions.h"
#include "analysis/FunctionsSupport.h"
#include "analysis/XSeries.h"

namespace {

// A sample that holds no reading: the store's missing-value mark, or NaN from a damaged file
// or a function with no result there. Minimum, maximum and median pass over them, as the
// curves and scale searches do, so they do not depend on where such a sample sits.
bool IsMissingSample(double value)
{
    return std::isnan(value) || value == MissingValue;
}

// The mean of two doubles without overflow: the halves are added only where the sum overflows.
double Midpoint(double a, double b)
{
    const double sum = a + b;
    return std::isinf(sum) && std::isfinite(a) && std::isfinite(b) ? a / 2.0 + b / 2.0 : sum / 2.0;
}

double Median(QVector<double>& valid)
{
    const int count = valid.size();
    const int half = count / 2;
    auto middle = valid.begin() + half;
    std::nth_element(valid.begin(), middle, valid.end());
    const double upper = *middle;
    if (count % 2 != 0)
        return upper;
    // The lower middle is the largest of the values before the upper one.
    return Midpoint(*std::max_element(valid.begin(), middle), upper);
}

} // namespace

CStatisticsInfo ComputeStatistics(const QVector<double>& values, double multiplier,
                                  double secondsPerSample, const QVector<double>& xs)
{
    CStatisticsInfo info;
    const int count = values.size();
    if (count == 0)
        return info;
    info.m_rate = 1.0 / secondsPerSample;
    info.m_samples = count;
    // The scaled readings, missing samples left out: a gap is no reading of value -9999999,
    // so it counts in no figure but the number of samples.
    QVector<double> valid;
    valid.reserve(count);
    double sum = 0.0;
    double area = 0.0;
    const bool alongX = !xs.isEmpty();
    for (int i = 0; i < count; ++i) {
        if (!IsMissingSample(values[i])) {
            valid.append(values[i] * multiplier);
            sum += valid.last();
        }
        if (i + 1 >= count || IsMissingSample(values[i + 1]))
            continue;
        if (!alongX)
            area += values[i + 1] * secondsPerSample;
        else if (i + 1 < xs.size() && IsUsableX(xs[i]) && IsUsableX(xs[i + 1]))
            area += values[i + 1] * (xs[i + 1] - xs[i]);
    }
    info.m_sum = sum;
    info.m_area = area;
    // A range without a single reading has no minimum, maximum, mean or median: the missing mark.
    if (valid.isEmpty()) {
        info.m_min = info.m_max = info.m_average = info.m_stdev = info.m_median = MissingValue;
        return info;
    }
    info.m_min = *std::min_element(valid.begin(), valid.end());
    info.m_max = *std::max_element(valid.begin(), valid.end());
    info.m_average = sum / valid.size();
    double squares = 0.0;
    for (double x : valid) {
        const double d = x - info.m_average;
        squares += d * d;
    }
    info.m_stdev = std::sqrt(squares / valid.size());
    info.m_median = Median(valid);
    return info;
}

// ---- CFunctions ------------------------------------------------------------------------

namespace {

// What a statistics task needs of its branch, taken on the calling thread.
struct StatisticsInput
{
    QVector<double> values;
    QVector<double> xs;   // on an XY graph, the X each value stands at
    double multiplier = 1.0;
    double interval = 0.0;
    bool found = false;
    bool noX = false;     // an XY graph whose X axis holds no values of the series' run
    bool byHand = false;  // the series' run was sampled by hand
};

StatisticsInput CopyStatisticsInput(const CFunctions& engine, int key, long start, long end,
                                    int xAxisKey)
{
    StatisticsInput input;
    CDataManager* manager = engine.GetDataManager();
    const CDataBranch* branch = manager ? manager->GetDataBranch(key) : nullptr;
    if (!branch || branch->GetYSize() == 0)
        return input;
    MyOutputDebugString("Start calculate statistics", DiagGui);
    if (CKorvantaSignals* hub = engine.GetSignalHub())
        hub->SignalUserStopKeepAliveTimer();
    CFunctions::ValidateStartEndIndexes(start, end, branch->GetYSize());
    QVector<double> xs;
    if (end >= start)
        branch->CopyRange(static_cast<int>(start), static_cast<int>(end - start + 1), xs,
                          input.values);
    input.multiplier = AnalysisSupport::DisplayMultiplier(engine, branch);
    input.interval = branch->m_Interval;
    input.byHand = manager->IsSampledByHand(key);
    input.found = true;
    if (xAxisKey >= 0 && !input.values.isEmpty()) {
        const CDataBranch* xSeries = manager->GetOwnXBranch(key, xAxisKey);
        input.noX = !xSeries;
        if (xSeries)
            input.xs = XSeriesValues(*xSeries, branch->GetXSample(0), start, input.values.size());
    }
    return input;
}

CStatisticsInfo StatisticsOf(const StatisticsInput& input)
{
    if (!input.found)
        return CStatisticsInfo();
    CStatisticsInfo info = ComputeStatistics(input.values, input.multiplier, input.interval, input.xs);
    info.m_bByHand = input.byHand;
    // An area along an axis the series is not drawn on would be a number of nothing.
    if (input.noX)
        info.m_area = MissingValue;
    return info;
}

} // namespace

CStatisticsInfo CFunctions::FunctionStatistics(int key, long start, long end, int xAxisKey)
{
    return StatisticsOf(CopyStatisticsInput(*this, key, start, end, xAxisKey));
}

QFuture<CStatisticsInfo> CFunctions::StartStatistics(int key, long start, long end, int xAxisKey)
{
    const StatisticsInput input = CopyStatisticsInput(*this, key, start, end, xAxisKey);
    return QtConcurrent::run([input]() { return StatisticsOf(input); });
}

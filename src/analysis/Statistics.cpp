#include "analysis/Statistics.h"

#include <algorithm>
#include <cmath>
#include <QtConcurrent>

#include "Core/Base/Diagnostics.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "analysis/Functions.h"

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
                                  double secondsPerSample)
{
    CStatisticsInfo info;
    const int count = values.size();
    if (count == 0)
        return info;
    info.m_rate = 1.0 / secondsPerSample;
    info.m_samples = count;
    // The scaled readings, missing samples left out, for minimum, maximum and median.
    QVector<double> valid;
    valid.reserve(count);
    double sum = 0.0;
    double area = 0.0;
    for (int i = 0; i < count; ++i) {
        const double x = values[i] * multiplier;
        sum += x;
        if (!IsMissingSample(values[i]))
            valid.append(x);
        if (i + 1 < count)
            area += values[i + 1] * secondsPerSample;
    }
    info.m_sum = sum;
    // A range without a single reading has no minimum, maximum or median: the missing mark.
    info.m_min = valid.isEmpty() ? MissingValue : *std::min_element(valid.begin(), valid.end());
    info.m_max = valid.isEmpty() ? MissingValue : *std::max_element(valid.begin(), valid.end());
    info.m_average = sum / count;
    info.m_area = area;
    double squares = 0.0;
    for (int i = 0; i < count; ++i) {
        const double d = values[i] * multiplier - info.m_average;
        squares += d * d;
    }
    info.m_stdev = std::sqrt(squares / count);
    info.m_median = valid.isEmpty() ? MissingValue : Median(valid);
    return info;
}

// ---- CFunctions ------------------------------------------------------------------------

namespace {

// What a statistics task needs of its branch, taken on the calling thread.
struct StatisticsInput
{
    QVector<double> values;
    double multiplier = 1.0;
    double interval = 0.0;
    bool found = false;
};

// The stored values are shown in the unit prefix of the sensor type's first measurement;
// results of functions and anything that is not a catalogue index stay as stored.
double StatisticsMultiplier(const CDataBranch* branch)
{
    const int index = branch->m_SensorIndex;
    if (index < 0 || index > 148)
        return 1.0;
    const CSensorInfo* catalogue = CFunctions::GetSensorCatalogue();
    const CSensorMeasuremntInfo* first = catalogue ? catalogue->GetMeasurementInfo(index, 0) : nullptr;
    if (!first)
        return 1.0;
    // Only the four prefix codes scale; a code outside them (some slots carry -1) must not
    // turn into GetMultiplier's quarter factor.
    const short code = first->m_UnitPrefix;
    return (code >= 0 && code <= 3) ? GetMultiplier(0, code) : 1.0;
}

StatisticsInput CopyStatisticsInput(int key, long start, long end)
{
    StatisticsInput input;
    CDataManager* manager = CFunctions::GetDataManager();
    const CDataBranch* branch = manager ? manager->GetDataBranch(key) : nullptr;
    if (!branch || branch->GetYSize() == 0)
        return input;
    MyOutputDebugString("Start calculate statistics", DiagGui);
    if (CKorvantaSignals* hub = CFunctions::GetSignalHub())
        hub->SignalUserStopKeepAliveTimer();
    CFunctions::ValidateStartEndIndexes(start, end, branch->GetYSize());
    QVector<double> xs;
    if (end >= start)
        branch->CopyRange(static_cast<int>(start), static_cast<int>(end - start + 1), xs,
                          input.values);
    input.multiplier = StatisticsMultiplier(branch);
    input.interval = branch->m_Interval;
    input.found = true;
    return input;
}

CStatisticsInfo StatisticsOf(const StatisticsInput& input)
{
    return input.found ? ComputeStatistics(input.values, input.multiplier, input.interval)
                       : CStatisticsInfo();
}

} // namespace

CStatisticsInfo CFunctions::FunctionStatistics(int key, long start, long end)
{
    return StatisticsOf(CopyStatisticsInput(key, start, end));
}

QFuture<CStatisticsInfo> CFunctions::StartStatistics(int key, long start, long end)
{
    const StatisticsInput input = CopyStatisticsInput(key, start, end);
    return QtConcurrent::run([input]() { return StatisticsOf(input); });
}

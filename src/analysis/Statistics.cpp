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

// A total order even with NaN among the values (NaN last): std::sort needs one, and a stray
// NaN must not corrupt the sort.
bool LessWithNaNLast(double a, double b)
{
    if (std::isnan(a))
        return false;
    if (std::isnan(b))
        return true;
    return a < b;
}

double Median(QVector<double>& scaled)
{
    const int count = scaled.size();
    const int half = count / 2;
    auto middle = scaled.begin() + half;
    std::nth_element(scaled.begin(), middle, scaled.end(), LessWithNaNLast);
    const double upper = *middle;
    if (count % 2 != 0)
        return upper;
    // The lower middle is the largest of the values before the upper one.
    const double lower = *std::max_element(scaled.begin(), middle, LessWithNaNLast);
    return (lower + upper) / 2.0;
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
    QVector<double> scaled(count);
    double sum = 0.0;
    double area = 0.0;
    double smallest = values[0] * multiplier;
    double largest = smallest;
    for (int i = 0; i < count; ++i) {
        const double x = values[i] * multiplier;
        scaled[i] = x;
        sum += x;
        smallest = std::min(smallest, x);
        largest = std::max(largest, x);
        if (i + 1 < count)
            area += values[i + 1] * secondsPerSample;
    }
    info.m_sum = sum;
    info.m_min = smallest;
    info.m_max = largest;
    info.m_average = sum / count;
    info.m_area = area;
    double squares = 0.0;
    for (int i = 0; i < count; ++i) {
        const double d = scaled[i] - info.m_average;
        squares += d * d;
    }
    info.m_stdev = std::sqrt(squares / count);
    info.m_median = Median(scaled);
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

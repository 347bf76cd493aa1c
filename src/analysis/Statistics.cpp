#include "analysis/Statistics.h"

#include <algorithm>
#include <cmath>

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

#include "analysis/MovingAverage.h"

#include <algorithm>

namespace {

qint64 SamplesBefore(qint64 i, qint64 width)
{
    return (i > 0 && width >= 3) ? std::min((width - 1) / 2, i) : 0;
}

qint64 SamplesFrom(qint64 i, qint64 width, qint64 listSize)
{
    return i < listSize ? std::min(width / 2 + 1, listSize - i) : 0;
}

} // namespace

void MovingAverageSpan(qint64 first, qint64 last, qint64 width, qint64 listSize, qint64& lo,
                       qint64& hi)
{
    lo = first - SamplesBefore(first, width);
    hi = last + SamplesFrom(last, width, listSize) - 1;
}

bool MovingAverageOfRange(const QVector<double>& slice, qint64 offset, qint64 listSize,
                          qint64 first, qint64 last, qint64 width, QVector<double>& out)
{
    if (first < 0 || last < first || last >= listSize || width < 1)
        return false;
    qint64 lo = 0, hi = 0;
    MovingAverageSpan(first, last, width, listSize, lo, hi);
    if (lo < offset || hi >= offset + slice.size())
        return false;
    // Extended precision keeps the differences of large prefix sums close to the direct sums.
    std::vector<long double> prefix(static_cast<size_t>(hi - lo + 2));
    prefix[0] = 0.0L;
    for (qint64 k = lo; k <= hi; ++k)
        prefix[k - lo + 1] = prefix[k - lo] + slice[static_cast<int>(k - offset)];
    QVector<double> result;
    result.reserve(static_cast<int>(last - first + 1));
    for (qint64 i = first; i <= last; ++i) {
        const qint64 before = SamplesBefore(i, width);
        const qint64 from = SamplesFrom(i, width, listSize);
        const qint64 count = before + from;
        const long double sum = prefix[i + from - lo] - prefix[i - before - lo];
        result.append(count > 0 ? static_cast<double>(sum / count) : 0.0);
    }
    out = result;
    return true;
}

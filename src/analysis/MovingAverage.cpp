#include "analysis/MovingAverage.h"

#include <algorithm>

#include "Core/Data/DataBranch.h"
#include "Core/Data/SeriesNames.h"
#include "analysis/Functions.h"
#include "analysis/FunctionsSupport.h"

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

// ---- CFunctions ------------------------------------------------------------------------

double CFunctions::FunctionAverage(CSafeArray<double>* values, long index, long width)
{
    if (!values)
        return 0.0;
    const long n = values->GetSize();
    double sum = 0.0;
    long count = 0;
    if (index > 0 && width >= 3) {
        const long left = std::min((width - 1) / 2, index);
        for (long k = 1; k <= left; ++k)
            sum += values->GetAt(static_cast<int>(index - k));
        count = left;
    }
    if (index >= 0 && index < n) {
        const long right = std::min(width / 2 + 1, n - index);
        for (long k = 0; k < right; ++k)
            sum += values->GetAt(static_cast<int>(index + k));
        count += right;
    }
    return count > 0 ? sum / count : 0.0;
}

CDataBranch* CFunctions::CalculateArraysAverage(CDataBranch* branch, long width, int start,
                                                int end, QString name)
{
    if (!branch)
        return nullptr;
    const qint64 n = branch->GetNumSamples();
    qint64 first = start, last = end;
    if (last < 0) {
        first = 0;
        last = n - 1;
    }
    // The range comes from outside: put it in order and clip it to the branch.
    if (last < first)
        std::swap(first, last);
    first = std::max<qint64>(first, 0);
    last = std::min<qint64>(last, n - 1);
    qint64 w = std::min<qint64>(width, n / 2);
    if (w <= 0)
        w = 1;
    QVector<double> xs, averages;
    if (first <= last) {
        qint64 lo = 0, hi = 0;
        MovingAverageSpan(first, last, w, n, lo, hi);
        QVector<double> spanX, spanY;
        branch->CopyRange(static_cast<int>(lo), static_cast<int>(hi - lo + 1), spanX, spanY);
        if (MovingAverageOfRange(spanY, lo, n, first, last, w, averages))
            xs = spanX.mid(static_cast<int>(first - lo), averages.size());
    }
    if (name.isEmpty())
        name = QString("%1(%2)").arg(tr("Avg"), branch->m_Name);
    if (!AnalysisSupport::HoldsTwo(*this, xs.size()))
        return nullptr;
    return AddFunctionBranch(branch->m_Key, xs, averages, name, name, branch->m_Interval,
                             SeriesNames::UnitOf(*branch), branch->m_UnitPrefix, FunctionResultIndex);
}

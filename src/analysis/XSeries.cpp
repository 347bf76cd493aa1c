#include "analysis/XSeries.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/Globals.h"
#include "analysis/Functions.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

bool XSeriesOffset(double firstX, long long& offset)
{
    // Sample numbers are whole and far inside the int range; anything else read from a damaged
    // file pairs with nothing rather than with a wrapped index.
    if (!std::isfinite(firstX) || std::fabs(firstX) >= 2.0e9)
        return false;
    offset = (long long)std::trunc(firstX);
    return true;
}

long long XSeriesIndex(double firstX, long long sample)
{
    long long offset = 0;
    if (sample < 0 || !XSeriesOffset(firstX, offset))
        return -1;
    const long long index = sample + offset;
    return index >= 0 ? index : -1;
}

QVector<double> XSeriesValues(const CDataBranch& xSeries, double firstX, long first, int count)
{
    QVector<double> out(std::max(count, 0), std::numeric_limits<double>::quiet_NaN());
    long long offset = 0;
    if (count <= 0 || first < 0 || !XSeriesOffset(firstX, offset))
        return out;
    // The entries are consecutive: one copy from the first that exists.
    const long long start = first + offset;
    const long long skip = std::max<long long>(0, -start);
    if (skip >= count || start + skip > INT_MAX)
        return out;
    QVector<double> values;
    const int got = xSeries.CopyYRange(int(start + skip), int(count - skip), values);
    for (int k = 0; k < got; ++k)
        out[int(skip) + k] = values.at(k);
    return out;
}

int FittedXKey(const CDataBranch& series)
{
    // A derivative's related key names the series its marks stand on, a spectrum's its
    // frequency axis: only a fit's names its X.
    if (series.m_SensorIndex != CFunctions::CurveFitResultIndex || !series.m_MarkedPositions.isEmpty())
        return -1;
    return series.m_RelatedKey >= 0 && series.m_RelatedKey != series.m_Key ? series.m_RelatedKey : -1;
}

void SetFittedX(CDataBranch& fit, const CDataBranch* xSeries)
{
    fit.m_RelatedKey = xSeries ? xSeries->m_Key : -1;
}

QString FitSubject(const CDataBranch& source, const CDataBranch* xSeries)
{
    if (!xSeries)
        return source.m_Name;
    const QString x = xSeries->m_Name.isEmpty() ? CFunctions::tr("X") : xSeries->m_Name;
    return CFunctions::tr("%1 vs %2").arg(source.m_Name, x);
}

#include "analysis/Smoothing.h"
#include "analysis/Functions.h"

bool SmoothMovingAverageValues(const QVector<double>& values, int width, QVector<double>& out)
{
    if (width < 0)
        return false;
    const int h = width / 2;
    const int n = values.size();
    // 64-bit so a huge width cannot overflow the length test.
    if (static_cast<qint64>(n) < 2 * static_cast<qint64>(h) + 3)
        return false;
    const double window = 2.0 * h + 1.0;
    QVector<double> y(values);
    double sum = 0.0;
    for (int k = 1; k <= 2 * h + 1; ++k)
        sum += values[k];
    y[h + 1] = sum;
    for (int k = h + 2; k < n - h - 1; ++k) {
        sum = sum - values[k - h - 1] + values[k + h];
        y[k] = sum;
    }
    for (int k = h + 1; k <= n - h - 2; ++k)
        y[k] /= window;
    for (int j = 0; j <= h; ++j) {
        y[j] = y[h + 1];
        y[n - 1 - j] = y[n - h - 2];
    }
    out = y;
    return true;
}

// ---- CFunctions ------------------------------------------------------------------------

CSafeArray<double>* CFunctions::SmoothGraphWithMovingAvarage(CSafeArray<double>* values,
                                                              int width)
{
    auto* result = new CSafeArray<double>;
    if (!values)
        return result;
    const QVector<double> input = values->Snapshot();
    QVector<double> smoothed;
    if (!SmoothMovingAverageValues(input, width, smoothed))
        smoothed = input;
    result->AddRange(smoothed.constData(), smoothed.size());
    return result;
}

#include "Core/Data/ConversionFormulas.h"

#include <algorithm>
#include <cmath>

namespace ConversionFormulas {

double Linear(float gain, double raw, int zero)
{
    const float offset = static_cast<float>(-zero) * gain;
    return static_cast<double>(gain) * raw + static_cast<double>(offset);
}

double Fahrenheit(double celsius) { return celsius * 1.7999999523162842 + 32.0; }

double ThermistorA(double raw)
{
    return 3977.0 / (std::log(raw * 4700.0 / (4095.0 - raw) / 10000.0) + 13.338923360724468) - 273.15;
}

double ThermistorA3V(double raw)
{
    return 3977.0 / (std::log(raw * 30000.0 / (13513.5 - 3.0 * raw) / 10000.0) + 13.338923360724468) - 273.15;
}

double ThermistorB(double raw, int correction)
{
    const float r = static_cast<float>(raw);
    const float ratio = r * 10000.0f * 3.0f / (13513.5f - 3.0f * r) / 10000.0f;
    const float t = 3380.0f / (std::log(ratio) + 11.3365755f) - 273.15f - static_cast<float>(correction) - 1.0f;
    return static_cast<double>(t);
}

double Platinum(double q)
{
    const double s = q / 100.0;
    if (q >= 100.0)
        return (std::sqrt((s - 1.0) * -2.32076e-06 + 1.5272464e-05) - 0.003908) / -1.16038e-06;
    if (!std::isfinite(q)) return q;
    // The fixed-point iteration settles in a handful of steps for any real resistance; the
    // bound keeps a pathological input from spinning the logger thread.
    double t = 0.0;
    for (int i = 0; i < 1000; ++i) {
        const double next = (t * t * -5.8019e-07 + t * t * t * -4.2735e-12 + (1.3849981 - s)) / -0.003791962;
        const bool settled = std::abs(next - t) <= 0.1;
        t = next;
        if (settled || !std::isfinite(t)) break;
    }
    return t + 100.0;
}

double Thermocouple(double x)
{
    const double c[] = {0.0, 19.8, -0.2, 0.0104, -0.000255, 3.59e-06, -5.34e-08, 5.1e-10};
    double sum = 0.0;
    double p = 1.0;
    for (double k : c) {
        sum += k * p;
        p *= x;
    }
    return sum;
}

namespace {
double Poly(const double* c, int n, double x)
{
    double sum = 0.0;
    double p = 1.0;
    for (int i = 0; i < n; ++i) {
        sum += c[i] * p;
        p *= x;
    }
    return sum;
}
}  // namespace

double HighTemperature(double x)
{
    static const double a[] = {0.0, 25.1, 0.0786, -0.25, 0.0832, -0.0123, 0.00098, -4.41e-05, 1.06e-06, -1.05e-08};
    static const double b[] = {-132.0, 48.3, -1.65, 0.0546, -0.000965, 8.8e-06, -3.11e-08};
    const double t = Poly(a, 10, x);
    if (t >= 0.0 && t <= 500.0) return t;
    return Poly(b, 7, x);
}

double Spirometer(double raw)
{
    if (raw >= 0.0 && raw < 1392.0) return raw * 0.102 - 342.85;
    if (raw >= 1393.0 && raw < 2705.0) return raw * 0.303 - 621.0;
    if (raw >= 2705.0 && raw <= 4095.0) return raw * 0.102 - 75.102;
    return 0.0;
}

double SteinhartHart(double lnR)
{
    return 1.0 / (0.00112914815977492 + 0.000234124574152889 * lnR + 8.76741378796317e-08 * lnR * lnR * lnR) - 273.15;
}

double CarbonDioxide(double raw, float b)
{
    if (b < 0.0f) b = 128.0f - b;
    const float bracket = b * 16.0f + 8.0f;
    return std::max(350.0, 390.0 * std::pow(10.0, (static_cast<double>(bracket) - raw) * 0.002067));
}

}  // namespace ConversionFormulas

#include "simulator/SignalShape.h"

#include <algorithm>
#include <cmath>

namespace kvsim {

namespace {

struct ShapeName
{
    SignalShape shape;
    const char* name;
};

constexpr ShapeName kShapes[] = {
    {SignalShape::Counter, "counter"}, {SignalShape::Sine, "sine"},   {SignalShape::Step, "step"},
    {SignalShape::Ramp, "ramp"},       {SignalShape::Noise, "noise"},   {SignalShape::Level, "level"},
};

// The noise a sine, step or ramp carries, as a share of the span.
constexpr double kLittleNoise = 0.02;

// A value in [-1, 1] that depends on the channel and the sample only, so a run can be
// recomputed.
double NoiseAt(int channel, qint64 sample)
{
    quint64 z = quint64(sample) * 0x9E3779B97F4A7C15ull + quint64(channel + 1) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return double(z >> 11) / double(1ull << 52) - 1.0;
}

// Channels start a different share of a period apart (the golden ratio's fraction never
// repeats a phase).
double PhaseOf(int channel)
{
    const double p = channel * 0.6180339887498949;
    return p - std::floor(p);
}

} // namespace

QStringList SignalShapeNames()
{
    QStringList names;
    for (const ShapeName& s : kShapes)
        names << QLatin1String(s.name);
    return names;
}

bool ParseSignalShape(const QString& name, SignalShape& shape)
{
    for (const ShapeName& s : kShapes) {
        if (name.compare(QLatin1String(s.name), Qt::CaseInsensitive) == 0) {
            shape = s.shape;
            return true;
        }
    }
    return false;
}

bool SignalSettingsFrom(const QString& shape, const QString& amplitude, const QString& period, SignalSettings& out,
                        QString& error)
{
    SignalSettings s;
    if (!shape.isEmpty() && !ParseSignalShape(shape, s.shape)) {
        error = QStringLiteral("unknown signal '%1'; known: %2").arg(shape, SignalShapeNames().join(QStringLiteral(", ")));
        return false;
    }
    bool ok = true;
    if (!amplitude.isEmpty()) {
        s.amplitude = amplitude.toDouble(&ok);
        if (!ok || !(s.amplitude >= 0.0 && s.amplitude <= 1.0)) {
            error = QStringLiteral("amplitude '%1' is not a share from 0 to 1").arg(amplitude);
            return false;
        }
    }
    if (!period.isEmpty()) {
        s.periodSec = period.toDouble(&ok);
        if (!ok || !std::isfinite(s.periodSec) || s.periodSec <= 0.0 || s.periodSec > 1.0e7) {
            error = QStringLiteral("period '%1' is not a number of seconds above 0").arg(period);
            return false;
        }
    }
    out = s;
    return true;
}

double SignalLevel(const SignalSettings& settings, int channel, qint64 sample, double t)
{
    const double a = std::clamp(settings.amplitude, 0.0, 1.0);
    const double period = settings.periodSec > 0.0 ? settings.periodSec : 1.0;
    double cycle = t / period + PhaseOf(channel);
    cycle -= std::floor(cycle);
    const double noise = NoiseAt(channel, sample);
    double level = 0.5;
    switch (settings.shape) {
    case SignalShape::Sine: level = 0.5 + 0.5 * a * std::sin(2.0 * M_PI * cycle) + kLittleNoise * noise; break;
    case SignalShape::Step: level = (cycle < 0.5 ? 0.5 - 0.5 * a : 0.5 + 0.5 * a) + kLittleNoise * noise; break;
    case SignalShape::Ramp: level = 0.5 - 0.5 * a + a * cycle + kLittleNoise * noise; break;
    case SignalShape::Noise: level = 0.5 + 0.5 * a * noise; break;
    case SignalShape::Level: level = a; break;
    case SignalShape::Counter: break;
    }
    return std::isfinite(level) ? std::clamp(level, 0.0, 1.0) : 0.5;
}

qint64 SignalReading(const SignalSettings& settings, const RawSpan& span, int channel, qint64 sample, double t)
{
    const double level = SignalLevel(settings, channel, sample, t);
    if (span.curve && !span.curve->isEmpty())
        return span.curve->at(int(std::lround(level * double(span.curve->size() - 1))));
    return span.low + qint64(std::llround(level * double(span.high - span.low)));
}

} // namespace kvsim

#pragma once
// What a simulated sensor reads: by default a slow sine with a little noise, or a step, a ramp
// or plain noise, each channel at its own phase, placed on the sensor's range (the readings
// from the bottom to the top of its catalogue range, or a span of raw counts a test chose), so
// graphs, meters and tables show a plausible, moving signal. The counting pattern the protocol
// tests recompute is kept as one more shape, and a steady level without noise, which a test of
// a calibration can read back exactly.
#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

#include <memory>

namespace kvsim {

enum class SignalShape { Counter, Sine, Step, Ramp, Noise, Level };

struct SignalSettings
{
    SignalShape shape = SignalShape::Sine;
    // Share of the sensor's range the signal sweeps (0 to 1), about the range's middle; for the
    // steady level, where in the range it stands.
    double amplitude = 0.5;
    // Period of the sine, the step and the ramp, in seconds of the run's time.
    double periodSec = 10.0;
};

// The raw counts a sensor reads from the bottom to the top of its range: evenly spaced levels
// of the range in `curve` when the sensor type's conversion is known, else low to high.
struct RawSpan
{
    qint64 low = 1024;
    qint64 high = 3072;
    // A photogate's index: its readings follow the photogate lesson, not the signal.
    int gate = -1;
    std::shared_ptr<const QVector<quint16>> curve = nullptr;

    // True when the counts fall as the value rises (a thermistor's, for one).
    bool Falls() const { return curve && curve->size() > 1 && curve->first() > curve->last(); }
};

// "counter", "sine", "step", "ramp", "noise", "level".
QStringList SignalShapeNames();
bool ParseSignalShape(const QString& name, SignalShape& shape);
// Checks the command-line values; false (with the reason) when one is unusable.
bool SignalSettingsFrom(const QString& shape, const QString& amplitude, const QString& period, SignalSettings& out,
                        QString& error);

// Where in [0, 1] the signal of `channel` is at sample `sample`, taken `t` seconds into the run.
double SignalLevel(const SignalSettings& settings, int channel, qint64 sample, double t);
// The raw reading of that level on `span`.
qint64 SignalReading(const SignalSettings& settings, const RawSpan& span, int channel, qint64 sample, double t);

} // namespace kvsim

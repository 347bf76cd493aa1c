#include "analysis/PhotogateTiming.h"

#include <QCoreApplication>
#include <cmath>

#include "Core/Data/Globals.h"
#include "Core/Data/DataBranch.h"
#include "analysis/Functions.h"

namespace {

const double kThreshold = 2.5;

// Rise and fall markers of one gate: a rise is taken only after the last pulse fell, a fall
// only after a rise. A sample of exactly the threshold moves neither.
struct Gate
{
    double rise = -2.0;
    double fall = -1.0;
    bool RiseSet() const { return rise > -1.0; }
    bool Complete() const { return RiseSet() && fall > rise; }
    // True when this sample ended a pulse.
    bool Update(double value, qint64 index)
    {
        if (value > kThreshold && fall > rise) {
            rise = static_cast<double>(index);
        } else if (value < kThreshold && rise > fall) {
            fall = static_cast<double>(index);
            return true;
        }
        return false;
    }
    double Duration(double dt) const { return (fall - rise) * dt; }
};

// One output line: the first value after its prefix, the rest after ",  ".
struct Line
{
    QString prefix, unit, text;
    int decimals = 2;
    int values = 0;
    void Add(double value)
    {
        // An infinite or undefined value (two events on one sample) is no measurement.
        if (!std::isfinite(value))
            return;
        const QString number = Double2String(value, decimals, false, false) + " " + unit;
        text += values == 0 ? prefix + number : ",  " + number;
        ++values;
    }
};

int DecimalsFor(double dt)
{
    if (dt >= 0.1)
        return 1;
    if (dt >= 0.01)
        return 2;
    if (dt >= 0.001)
        return 3;
    if (dt >= 0.0005)
        return 4;
    return 5;
}

double Acceleration(const Gate& a, const Gate& b, double flag, double dt)
{
    const double v1 = flag / a.Duration(dt);
    const double v2 = flag / b.Duration(dt);
    return (v2 - v1) / (((b.rise + b.fall) - (a.rise + a.fall)) * 0.5 * dt);
}

void OneGate(const QVector<double>& g, qint64 first, qint64 last, int method, double flag,
             double dt, Line& line)
{
    Gate pulse, second;
    bool pairing = false;
    for (qint64 i = first; i <= last; ++i) {
        const double v = g[static_cast<int>(i)];
        if (method != 2) {
            if (pulse.Update(v, i))
                line.Add(method == 0 ? pulse.Duration(dt) : flag / pulse.Duration(dt));
            continue;
        }
        if (!pairing) {
            pairing = pulse.Update(v, i);
            if (pairing)
                second = Gate{-1.0, pulse.fall};
        } else if (second.Update(v, i)) {
            line.Add(Acceleration(pulse, second, flag, dt));
            pulse = Gate{-1.0, second.fall};
            pairing = false;
        }
    }
}

void BetweenGates(const QVector<double>& g1, const QVector<double>& g2, qint64 first, qint64 last,
                  int method, double flag, double distance, double dt, Line& line)
{
    Gate a, b;
    auto value = [&](const Gate& x, const Gate& y) {
        if (method == 10)
            return std::fabs(y.rise - x.rise) * dt;
        if (method == 11)
            return distance / ((y.rise - x.rise) * dt);
        const double acc = Acceleration(x, y, flag, dt);
        return x.rise > y.rise ? -acc : acc;
    };
    for (qint64 i = first; i <= last; ++i) {
        a.Update(g1[static_cast<int>(i)], i);
        b.Update(g2[static_cast<int>(i)], i);
        if (a.Complete() && b.Complete()) {
            line.Add(value(a, b));
            a.rise = -1.0;
            b.rise = -1.0;
        }
    }
    if (method != 12 && a.RiseSet() && b.RiseSet())
        line.Add(value(a, b));
}

void Pendulum(const QVector<double>& g, qint64 first, qint64 last, double dt, Line& line)
{
    int edges = 0;
    qint64 opened = -1;
    for (qint64 i = first; i <= last; ++i) {
        const double v = g[static_cast<int>(i)];
        const bool rising = v > kThreshold
                            && (i == first || !(g[static_cast<int>(i - 1)] >= kThreshold));
        if (!rising)
            continue;
        ++edges;
        if (edges % 2 == 0)
            continue;
        if (opened >= 0)
            line.Add((i - opened) * dt);
        opened = i;
    }
}

} // namespace

QString PhotogateTimingMessage()
{
    return QCoreApplication::translate(
        "CFunctions", "Please verify data displayed matches selected measurement and/or method");
}

QString EvaluatePhotogateTiming(const QVector<double>& gate1, const QVector<double>* gate2,
                                qint64 first, qint64 last, unsigned char method,
                                double flagLengthCm, double gateDistanceCm, double dt)
{
    const bool twoGates = (method >= 10 && method <= 19) || method == 21;
    if (first < 0 || last < first || last >= gate1.size() || !(dt > 0.0) || !std::isfinite(dt))
        return PhotogateTimingMessage();
    if (twoGates && (!gate2 || gate2->size() <= last))
        return PhotogateTimingMessage();
    const double flag = flagLengthCm / 100.0;
    const double distance = gateDistanceCm / 100.0;
    const int decimals = DecimalsFor(dt);
    const QString s = QCoreApplication::translate("CFunctions", "s");
    const QString ms = QCoreApplication::translate("CFunctions", "m/s");
    const QString ms2 = QCoreApplication::translate("CFunctions", "m/s²");
    Line line{"t = ", s, QString(), decimals, 0};
    switch (method) {
    case 0: OneGate(gate1, first, last, 0, flag, dt, line); break;
    case 1: line.prefix = "v = "; line.unit = ms; OneGate(gate1, first, last, 1, flag, dt, line); break;
    case 2: line.prefix = "a = "; line.unit = ms2; OneGate(gate1, first, last, 2, flag, dt, line); break;
    case 10: BetweenGates(gate1, *gate2, first, last, 10, flag, distance, dt, line); break;
    case 11:
        line.prefix = "v = "; line.unit = ms;
        BetweenGates(gate1, *gate2, first, last, 11, flag, distance, dt, line);
        break;
    case 12:
        line.prefix = "a = "; line.unit = ms2;
        BetweenGates(gate1, *gate2, first, last, 12, flag, distance, dt, line);
        break;
    case 20: Pendulum(gate1, first, last, dt, line); break;
    case 21: {
        Line second{"v2 = ", ms, QString(), decimals, 0};
        line.prefix = "v1 = "; line.unit = ms;
        OneGate(gate1, first, last, 1, flag, dt, line);
        OneGate(*gate2, first, last, 1, flag, dt, second);
        if (line.values == 0 && second.values == 0)
            return PhotogateTimingMessage();
        return line.text + "\n" + second.text;
    }
    default: return PhotogateTimingMessage();
    }
    return line.values == 0 ? PhotogateTimingMessage() : line.text;
}

// ---- CFunctions ------------------------------------------------------------------------

QString CFunctions::FunctionTiming(CDataBranch* gate1, CDataBranch* gate2, long start, long end,
                                   unsigned char methodId, double flagLength,
                                   double gateDistance)
{
    const bool twoGates = (methodId >= 10 && methodId <= 19) || methodId == 21;
    if (!gate1)
        return PhotogateTimingMessage();
    if (twoGates && (!gate2 || gate2->GetXSize() != gate1->GetXSize()))
        return PhotogateTimingMessage();
    ValidateStartEndIndexes(start, end, gate1->GetYSize());
    if (end < start)
        return PhotogateTimingMessage();
    const int count = static_cast<int>(end - start + 1);
    QVector<double> x1, y1, x2, y2;
    gate1->CopyRange(static_cast<int>(start), count, x1, y1);
    if (gate2)
        gate2->CopyRange(static_cast<int>(start), count, x2, y2);
    if (y1.isEmpty())
        return PhotogateTimingMessage();
    return EvaluatePhotogateTiming(y1, gate2 ? &y2 : nullptr, 0, y1.size() - 1, methodId,
                                   flagLength, gateDistance, gate1->m_Interval);
}

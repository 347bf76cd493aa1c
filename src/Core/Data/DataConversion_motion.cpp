// Counting and motion sensors: drop counters and rain gauge, distance, smart pulleys, rotary.
#include <cmath>

#include "Core/Base/Diagnostics.h"
#include "Core/Base/LoggerModel.h"
#include "Core/Data/ConversionFormulas.h"
#include "Core/Data/DataConversion.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SensorsCalibration.h"

using ConversionMarkers::s_NoSample;

double CDataConversion::Counter(Call& c)
{
    ChannelState& s = Own(c);
    if (c.sample == 0) {
        s.m_CounterTotal = 0.0;
        if (c.index != 47) s.m_LastCountedSample = 0;
    }
    // One addition per sample, however many of the sensor's measurements are converted.
    if (c.sample != s.m_LastCountedSample) {
        if (std::isfinite(c.raw)) s.m_CounterTotal += c.raw;
        s.m_LastCountedSample = c.sample;
    }
    const double total = s.m_CounterTotal;
    switch (c.index) {
    case 33: {
        const double base = StoredLoggerTraitsOf(c.loggerType).counterRateIsLinear ? c.linear : 0.0;
        return c.m == 0 ? total : (c.m == 1 ? total * 0.2 : base);
    }
    case 109: return c.m == 0 ? total : (c.m == 1 ? total * 0.04 : 0.0);
    default: return total * 0.2;
    }
}

void CDataConversion::AdvanceMotion(ChannelState& s, double d, double period)
{
    s.m_Position = d;
    s.m_Velocity = period > 0.0 ? (s.m_Position - s.m_PreviousPosition) / period : 0.0;
    s.m_Acceleration = period > 0.0 ? (s.m_Velocity - s.m_PreviousVelocity) / period : 0.0;
}

double CDataConversion::CalcOnlyDistance(Call& c, double d)
{
    ChannelState& s = Own(c);
    s.m_MotionValue = d;
    if (c.sample == 0) {
        if (c.run) ResetDistanceAveraging(c.logger, c.channel);
        const CSensorParametersInfo* record = Record(c.index);
        s.m_AveragingWindow = 2 * (record ? record->m_ExtraSamplesB : 0) + 1;
    }
    if (c.last) {
        for (int k = 3; k > 0; --k) s.m_History[k] = s.m_History[k - 1];
        s.m_History[0] = d;
    }
    if (d == s_NoSample) return d;
    // The run's counters are the run's: a trigger level converted meanwhile leaves them.
    if (c.run) MarkDistanceCounter(c.logger, c.channel, c.sample);
    return d;
}

// The first call of a sample moves the motion state; the sensor's further measurements of
// the same sample read it. A sample number that is not the one just handled starts a new
// step, so a skipped or restarted numbering cannot freeze the sensor.
static bool FirstCallOfSample(long counter, long sample) { return sample != counter - 1; }

double CDataConversion::Motion(Call& c)
{
    ChannelState& s = Own(c);
    double d = 0.0;
    if (c.index == 103) d = c.version[1] < 14 ? c.raw / 100.0 : c.raw / 1000.0;
    const double divisor = StoredLoggerTraitsOf(c.loggerType).distanceDivisor;
    if (divisor > 0.0) d = c.raw / divisor;
    // A live reading shows the distance and leaves the run's motion state alone.
    if (c.plain) return d;

    const bool first = FirstCallOfSample(s.m_SampleCounter, c.sample);
    if (first && CalcOnlyDistance(c, d) != s_NoSample) AdvanceMotion(s, d, c.period);
    double result;
    if (s.m_MotionValue == s_NoSample) {
        // No distance this sample: its velocity and acceleration have no value either.
        result = s_NoSample;
    } else {
        switch (c.m) {
        case 0: result = s.m_Position; break;
        case 1: result = s.m_Velocity; break;
        case 2: result = s.m_Acceleration; break;
        case 3: result = -s.m_Velocity; break;
        case 4: result = -s.m_Acceleration; break;
        default: result = 0.0; break;
        }
    }
    if (first) {
        s.m_SampleCounter = c.sample + 1;
        s.m_PreviousPosition = s.m_Position;
        s.m_PreviousVelocity = s.m_Velocity;
    }
    return result;
}

double CDataConversion::CountedDistance(Call& c)
{
    ChannelState& s = Own(c);
    const double d = std::isfinite(c.raw) ? std::trunc(c.raw) / 400.0 : 0.0;
    const bool first = FirstCallOfSample(s.m_SampleCounter, c.sample);
    if (first) AdvanceMotion(s, d, c.period);
    double result;
    switch (c.m) {
    case 0: result = d; break;
    case 1: result = d * 100.0; break;
    case 2: result = s.m_Velocity; break;
    case 3: result = s.m_Acceleration; break;
    default: result = 0.0; break;
    }
    if (first) {
        s.m_SampleCounter = c.sample + 1;
        s.m_PreviousPosition = s.m_Position;
        s.m_PreviousVelocity = s.m_Velocity;
    }
    return result;
}

double CDataConversion::Pulley(Call& c)
{
    ChannelState& s = Own(c);
    const CSensorParametersInfo* pulley = Record(36);
    const double gain = pulley ? static_cast<double>(pulley->m_Gain) : 0.0;
    const double v = c.raw != 0.0 ? gain * 0.20475 / c.raw : 0.0;
    if (c.m == 0) return v;
    if (c.m == 2) {
        if (c.sample < 2) {
            s.m_MotionValue = s_NoSample;
        } else {
            // Central difference: the value belongs to the sample before this one.
            *c.flag = -1;
            s.m_MotionValue = c.period > 0.0 ? (v - s.m_History[1]) / (2.0 * c.period) : 0.0;
        }
    } else if (c.m == 1) {
        if (c.sample < 2) {
            s.m_AccumulatedDistance = 0.0;
            s.m_MotionValue = 0.0;
        } else {
            s.m_AccumulatedDistance += c.period * v;
            s.m_MotionValue = s.m_AccumulatedDistance;
        }
    }
    if (c.last) {
        s.m_History[1] = s.m_History[0];
        s.m_History[0] = v;
    }
    return s.m_MotionValue;
}

double CDataConversion::PulseTimerPulley(Call& c)
{
    ChannelState& s = Own(c);
    const long long word = std::isfinite(c.raw) && std::abs(c.raw) < 1e15 ? static_cast<long long>(c.raw) : 0;
    static const double s_Divisors[4] = {1000000.0, 100000.0, 10000.0, 1000.0};
    const int code = static_cast<int>((word >> 14) & 3);
    const double t = static_cast<double>(word & 0x3FFF) / s_Divisors[code];
    const double v = t != 0.0 ? 0.02 / t : 0.0;
    switch (c.m) {
    case 0:
        return v;
    case 2:
        if (c.sample < 2) {
            s.m_MotionValue = s_NoSample;
        } else {
            s.m_MotionValue = c.period > 0.0 ? (v - s.m_History[0]) / c.period : 0.0;
            s.m_History[0] = v;
        }
        break;
    case 1:
        if (c.sample < 2) {
            s.m_AccumulatedDistance = 0.0;
            s.m_MotionValue = 0.0;
        } else {
            s.m_AccumulatedDistance += t * v;
            s.m_MotionValue = s.m_AccumulatedDistance;
        }
        break;
    default:
        break;
    }
    return s.m_MotionValue;
}

double CDataConversion::Rotary(Call& c)
{
    if (DiagnosticsEnabled(DiagDataManager))
        MyOutputDebugString(QStringLiteral("raw rotary ") + QString::number(c.raw), DiagDataManager);
    const double factor = m_pCalibration ? m_pCalibration->GetCalibration(c.index).factor : 0.0;
    return SignalProcessing::CalcRotary(Own(c).m_Rotary, c.m, c.raw, c.gain, c.zero, c.sample, c.period, factor,
                                        m_RawFullScale);
}

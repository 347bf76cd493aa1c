#include "Core/Data/SignalProcessing.h"

#include <algorithm>
#include <cmath>

#include "Core/Data/ConversionMarkers.h"

namespace {
const double s_Pi = 3.14159265358979323846;

// Whole part of a double, 0 for NaN/inf and clamped to the int range, so a wild reading can
// never become undefined behaviour in a cast.
int TruncToInt(double v)
{
    if (!std::isfinite(v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(v);
}
}  // namespace

// ---------------------------------------------------------------- low-pass filter

CButterWorthFilter::CButterWorthFilter() : m_Cutoff(-1.0), m_FirstSample(true), m_Enabled(false)
{
    for (int i = 0; i < s_Sections; ++i) {
        m_A[i] = m_C1[i] = m_C2[i] = 0.0;
        for (double& y : m_Y[i]) y = 0.0;
    }
    for (double& x : m_X) x = 0.0;
}

void CButterWorthFilter::initButterWorthFilter(double fc, double fs)
{
    m_Cutoff = fc;
    m_FirstSample = true;
    // A run without a usable sample period has no sampling frequency to filter against.
    m_Enabled = std::isfinite(fc) && std::isfinite(fs) && fs > 0.0 && fc >= 0.0 && fc <= fs / 2.0;
    if (!m_Enabled) return;
    static const double B[s_Sections] = {1.9318516526, 1.4142135623730951, 0.5176380902};
    const double w = std::tan(fc * 3.14159 / fs);
    for (int i = 0; i < s_Sections; ++i) {
        const double d = 1.0 + B[i] * w + w * w;
        m_A[i] = w * w / d;
        m_C1[i] = (2.0 * w * w - 2.0) / d;
        m_C2[i] = (1.0 - B[i] * w + w * w) / d;
    }
}

double CButterWorthFilter::filter(double x)
{
    if (m_FirstSample) {
        m_FirstSample = false;
        for (double& v : m_X) v = x;
        for (auto& section : m_Y)
            for (double& v : section) v = x;
    }
    m_X[2] = m_X[1];
    m_X[1] = m_X[0];
    m_X[0] = x;
    const double* in = m_X;
    for (int s = 0; s < s_Sections; ++s) {
        double* y = m_Y[s];
        const double out = (in[0] + 2.0 * in[1] + in[2]) * m_A[s] - m_C1[s] * y[0] - m_C2[s] * y[1];
        y[2] = y[1];
        y[1] = y[0];
        y[0] = out;
        // The section's own history holds out, then the two outputs before it: shift so the
        // next section reads (current, previous, one before).
        in = y;
    }
    return m_Y[s_Sections - 1][0];
}

// ---------------------------------------------------------------- beat detectors

CPelorinHeartRateCalc::CPelorinHeartRateCalc() { Reset(); }

void CPelorinHeartRateCalc::Reset()
{
    m_State = 0;
    m_BeatsBeforeAveraging = 3;
    m_MinAmplitude = 5.0;
    m_TimeConstant = 0.05;
    m_LongestGap = 3;
    m_ValueAfterReset = 0.0;
    m_RingIndex = 0;
    m_HeartRate = 0.0;
    m_Filtered = 0.0;
    m_Period = 0.0;
    for (double& r : m_Ring) r = 0.0;
    m_Frequency = 0.0;
    m_Alpha = 0.0;
    m_Beta = 0.0;
    m_Threshold = 0.3;
    m_Time = 0.0;
    m_PreviousTime = 0.0;
    m_LastMinimum = 0.0;
    m_BeatCount = 0;
    m_LastRingUsed = 0;
    m_SampleCount = 0;
    m_LastPeak = 0;
}

int CPelorinHeartRateCalc::CalcNewVersion(double raw, double period) { return Calc(raw, period, false); }

int CPelorinHeartRateCalc::CalcAnalog(double raw, double period)
{
    // Whole volts of the 3 V input.
    const int millivolts = TruncToInt(static_cast<double>(TruncToInt(raw)) * 1000.0 * 3.0 / 4095.0);
    return Calc(static_cast<double>(millivolts / 1000), period, true);
}

void CPelorinHeartRateCalc::Restart(double t)
{
    m_BeatCount = 0;
    m_RingIndex = 0;
    for (double& r : m_Ring) r = t;
    m_Threshold = 0.3;
    m_LastMinimum = 0.0;
    m_HeartRate = m_ValueAfterReset;
}

void CPelorinHeartRateCalc::RegisterBeat(double peakValue, int i, bool analog)
{
    if (!analog) m_LastPeak = TruncToInt(peakValue);
    const int before = m_BeatCount++;
    if (m_Threshold > 1.0) m_Threshold = 0.3;
    if (before >= m_BeatsBeforeAveraging) m_Threshold = (m_PreviousTime - m_Ring[i]) / 2.0;
    m_Ring[m_RingIndex] = m_PreviousTime;
    m_RingIndex = (m_RingIndex + 1) % s_Ring;
    const int b = m_BeatCount;
    const int k = m_BeatsBeforeAveraging;
    double span = 0.0;
    double beats = 0.0;
    if (b - k >= s_Ring) {
        span = m_PreviousTime - m_Ring[m_RingIndex];
        beats = 9.0;
    } else if (b > k) {
        span = m_PreviousTime - m_Ring[k - 1];
        beats = b - k;
    }
    // Beats are at least the threshold apart, but a restart fills the ring with one time.
    if (beats > 0.0 && span > 0.0) m_HeartRate = beats * 60.0 / span;
}

int CPelorinHeartRateCalc::Calc(double input, double period, bool analog)
{
    if (!(period > 0.0) || !std::isfinite(period) || !std::isfinite(input)) return TruncToInt(m_HeartRate);
    const double timeConstant = analog ? 0.25 : m_TimeConstant;
    const double minAmplitude = analog ? 0.03 : m_MinAmplitude;
    if (m_SampleCount == 0) {
        m_Period = period;
        m_Frequency = 1.0 / period;
        m_Beta = std::exp(-1.0 / (m_Frequency * timeConstant));
        m_Alpha = 1.0 - m_Beta;
    }
    const double t = static_cast<double>(m_SampleCount) * m_Period;
    ++m_SampleCount;
    m_PreviousTime = m_Time;
    m_Time = t;

    const bool gapTest = analog || m_LastRingUsed >= 2;
    if (gapTest && t - m_Ring[m_LastRingUsed] > m_LongestGap) Restart(t);

    const double previous = m_Filtered;
    m_Filtered = m_Alpha * input + m_Beta * previous;

    if (m_State == 1) {
        if (m_Filtered > previous) {
            m_State = 0;
            m_LastMinimum = previous;
            if (!analog) {
                if (m_LastPeak > previous) m_MinAmplitude = (m_LastPeak - previous) / 5.0;
                if (m_MinAmplitude < 10.0) m_MinAmplitude = 5.0;
            }
        }
    } else if (!(m_Filtered > previous)) {
        const int i = m_RingIndex == 0 ? s_Ring - 1 : m_RingIndex - 1;
        m_LastRingUsed = i;
        if (m_PreviousTime - m_Ring[i] > m_Threshold && previous - m_LastMinimum > minAmplitude)
            RegisterBeat(previous, i, analog);
        m_State = 1;
    }
    return TruncToInt(m_HeartRate);
}

// ---------------------------------------------------------------- wind speed

CSensor_WindSpeed::CSensor_WindSpeed()
    : m_Slot(-1), m_LastSample(-1), m_N(0), m_Full(false), m_Sum(0.0),
      m_Scale{1.0058f, 5.003778457641602f, 3.1092023849487305f, 2.701817750930786f}
{
}

double CSensor_WindSpeed::calcWindSpeed(double raw, long sample, int measurement, double frequency)
{
    if (sample == 0) {
        m_Slot = -1;
        m_LastSample = -1;
        m_Full = false;
        m_Sum = 0.0;
        m_N = (std::isfinite(frequency) && frequency >= 1.0) ? TruncToInt(std::min(frequency, double(s_MaxWindow))) : 0;
        m_Buffer.assign(m_N >= 2 ? static_cast<size_t>(m_N) : 0u, 0.0f);
    }
    double v = raw * static_cast<double>(m_Scale[0]) * m_N;
    if (m_N >= 2 && static_cast<int>(m_Buffer.size()) == m_N) {
        if (sample > m_LastSample) {
            m_LastSample = sample;
            m_Slot = static_cast<int>(sample % m_N);
            if (!m_Full && sample >= 1 && m_Slot == 0) m_Full = true;
            if (!m_Full) {
                m_Buffer[m_Slot] = static_cast<float>(v);
                m_Sum += static_cast<float>(v);
                v = 0.0;
            } else {
                m_Sum -= m_Buffer[m_Slot];
                m_Buffer[m_Slot] = static_cast<float>(v);
                m_Sum += m_Buffer[m_Slot];
                v = m_Sum / m_N;
            }
        } else {
            v = m_Full ? m_Sum / m_N : 0.0;
        }
    }
    if (v < 0.01) v = 0.0;
    switch (measurement) {
    case 0: return v;
    case 1: return v * static_cast<double>(m_Scale[1]);
    case 2: return v * static_cast<double>(m_Scale[2]);
    case 3: return v * static_cast<double>(m_Scale[3]);
    default: return 0.0;
    }
}

// ---------------------------------------------------------------- running windows

void CRunningWindow::Clear()
{
    m_Count = 0;
    m_N = 0;
    m_FirstFrame = true;
    m_Mean = 0.0;
    m_Sum = 0.0;
    m_WriteIndex = 0;
}

bool CRunningWindow::Feed(float value, int n, int capacity, double& sumOut)
{
    if (n < 1) return false;
    if (m_Count == 0) {
        // Allocated on first use and sized for this run only: most channels never need one.
        m_N = std::min(n, capacity);
        if (static_cast<int>(m_Values.size()) != m_N) m_Values.assign(static_cast<size_t>(m_N), 0.0f);
    }
    if (m_Count < m_N) {
        m_Values[m_Count++] = value;
        return false;
    }
    if (m_FirstFrame) {
        m_FirstFrame = false;
        double mean = 0.0;
        if (m_AroundMean) {
            for (float v : m_Values) mean += v;
            mean /= m_N;
        }
        m_Mean = mean;
        m_Sum = 0.0;
        for (float v : m_Values) {
            const double d = v - mean;
            m_Sum += static_cast<float>(d * d);
        }
        m_WriteIndex = 0;
        return false;
    }
    const double oldest = m_Values[m_WriteIndex];
    const double dn = value - m_Mean;
    const double d0 = oldest - m_Mean;
    m_Sum += dn * dn - d0 * d0;
    if (m_Sum < 0.0) m_Sum = 0.0;
    m_Values[m_WriteIndex] = value;
    m_WriteIndex = (m_WriteIndex + 1) % m_N;
    sumOut = m_Sum;
    return true;
}

// ---------------------------------------------------------------- rotary motion

namespace {
// Replaces entries 1..n-1 by the straight line from entry 0 to entry n-1.
void StraightenTail(double* v, int n)
{
    const double first = v[0];
    const double last = v[n - 1];
    for (int k = 1; k < n; ++k) v[k] = first + (last - first) * k / (n - 1);
}

double MeanOfDiffs(const double* v, int from, int count, double period)
{
    double sum = 0.0;
    for (int k = from; k < from + count; ++k) sum += (v[k + 1] - v[k]) / period;
    return sum / count;
}

// A sample whose step deviates wildly from the steps before and after it is a read glitch;
// the window is redrawn as a straight line over it.
void RepairGlitches(double* v, int n, int firstTested, int lastTested, double limit, double period)
{
    const double early = MeanOfDiffs(v, 0, 3, period);
    const double late = MeanOfDiffs(v, n - 4, 3, period);
    for (int k = firstTested; k <= lastTested; ++k) {
        const double d = (v[k + 1] - v[k]) / period;
        if (std::abs(TruncToInt(d - early)) > limit && std::abs(TruncToInt(d - late)) > limit) {
            StraightenTail(v, n);
            return;
        }
    }
}

void AdvanceRotary(CRotaryState& s, double raw, double gain, int zero, long sample, double period,
                   double fullScale)
{
    const float lineOffset = static_cast<float>(-zero) * static_cast<float>(gain);
    double used;
    const double p = s.m_OlderRaw;
    int turn = 0;
    if (p > fullScale - 300 && raw < 300) turn = 1;
    else if (p < 300 && raw > fullScale - 300) turn = -1;
    if (turn != 0) {
        s.m_Turns += turn;
        s.m_NewerRaw = s.m_OlderRaw = raw;
        used = raw;
    } else {
        used = s.m_NewerRaw;
        s.m_OlderRaw = s.m_NewerRaw;
        s.m_NewerRaw = raw;
    }
    s.m_LastSample = sample;
    s.m_Position = gain * used + lineOffset + 256.0 * s.m_Turns - s.m_StartPosition;
    std::copy(s.m_Window + 1, s.m_Window + 10, s.m_Window);
    s.m_Window[9] = s.m_Position;
    if (period > 0.0) RepairGlitches(s.m_Window, 10, 3, 5, 50, period);
    double angle = s.m_Window[0];
    if (std::abs(angle) < 0.1) angle = 0.0;
    s.m_Angle = angle;
    double omega = period > 0.0 ? (angle - s.m_PreviousAngle) / period * s_Pi / 180.0 : 0.0;
    if (std::abs(omega) < 1.0) omega = 0.0;
    std::copy(s.m_Ring + 1, s.m_Ring + 40, s.m_Ring);
    s.m_Ring[39] = omega;
    if (period > 0.0) RepairGlitches(s.m_Ring, 40, 3, 36, 100, period);
    s.m_PreviousAngle = angle;
}
}  // namespace

double SignalProcessing::CalcRotary(CRotaryState& s, int measurement, double raw, double gain, int zero,
                                    long sample, double period, double radius, double fullScale)
{
    if (!std::isfinite(raw)) raw = s.m_NewerRaw;
    if (sample == 0) {
        s.Reset();
        s.m_NewerRaw = s.m_OlderRaw = raw;
        s.m_StartPosition = gain * raw + static_cast<float>(-zero) * static_cast<float>(gain);
        s.m_AdvancingMeasurement = measurement;
        s.m_LastSample = 0;
    } else if (sample != s.m_LastSample) {
        // The history moves once per sample, whichever measurements of the sensor are active.
        AdvanceRotary(s, raw, gain, zero, sample, period, fullScale);
    }
    const double angle = s.m_Angle;
    const bool settled = sample >= 40 && period > 0.0;
    switch (measurement) {
    case 0: return std::abs(std::fmod(angle, 360.0));
    case 1: return std::abs(std::fmod(angle, 360.0)) * s_Pi / 180.0;
    case 2: {
        const double metres = angle / 360.0 * 2.0 * radius * s_Pi;
        return std::abs(metres) < 0.0001 ? 0.0 : metres;
    }
    case 3: return sample > 39 ? s.m_Ring[0] : 0.0;
    case 4: return settled ? (s.m_Ring[39] - s.m_Ring[0]) / (39.0 * period) : ConversionMarkers::s_NoSample;
    case 5: return settled ? radius * s.m_Ring[0] : ConversionMarkers::s_NoSample;
    case 6: return settled ? radius * (s.m_Ring[39] - s.m_Ring[0]) / (39.0 * period) : ConversionMarkers::s_NoSample;
    default: return s.m_Position;
    }
}

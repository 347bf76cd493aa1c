#pragma once
// Stateful signal processing behind some sensor types: the per-channel low-pass filter, the two
// heart-beat detectors, the one-second wind-speed averager, the sound-level meter, the true-RMS
// voltmeter and the rotary-motion tracker. Each works on plain numbers so it can be exercised
// without a logger; CDataConversion owns the instances and feeds them.
#include <vector>

// Sixth-order low-pass (three second-order sections), one per channel.
class CButterWorthFilter
{
public:
    CButterWorthFilter();

    // Enabled only when 0 <= fc <= fs / 2 (and fs is a usable frequency).
    void initButterWorthFilter(double fc, double fs);
    double filter(double x);
    bool IsEnabled() const { return m_Enabled; }

private:
    static constexpr int s_Sections = 3;
    double m_A[s_Sections];
    double m_C1[s_Sections];
    double m_C2[s_Sections];
    double m_X[3];                // current input and the two before it
    double m_Y[s_Sections][3];    // per section: current output and the two before it
    double m_Cutoff;
    bool m_FirstSample;
    bool m_Enabled;
};

// Beat detector of the heart-rate sensors. The "new" detector serves the later pulse sensors,
// the "analog" one the older ear-clip and exercise sensors (whole-volt input).
class CPelorinHeartRateCalc
{
public:
    CPelorinHeartRateCalc();

    void Reset();
    // Beats per minute (truncated), 0 until enough beats were seen.
    int CalcNewVersion(double raw, double period);
    int CalcAnalog(double raw, double period);

private:
    int Calc(double input, double period, bool analog);
    void Restart(double t);
    void RegisterBeat(double peakValue, int ringSlot, bool analog);

    static constexpr int s_Ring = 10;
    int m_State;
    int m_BeatsBeforeAveraging;
    double m_MinAmplitude;
    double m_TimeConstant;
    int m_LongestGap;
    double m_ValueAfterReset;
    int m_RingIndex;
    double m_HeartRate;
    double m_Filtered;
    double m_Period;
    double m_Ring[s_Ring];
    double m_Frequency;
    double m_Alpha;
    double m_Beta;
    double m_Threshold;
    double m_Time;
    double m_PreviousTime;
    double m_LastMinimum;
    int m_BeatCount;
    int m_LastRingUsed;
    long m_SampleCount;
    int m_LastPeak;
};

// Moving average of the anemometer over one second of samples.
class CSensor_WindSpeed
{
public:
    CSensor_WindSpeed();

    double calcWindSpeed(double raw, long sample, int measurement, double frequency);

    // Longest window taken: one second at the fastest rate a logger offers.
    static constexpr int s_MaxWindow = 200000;

private:
    int m_Slot;
    long m_LastSample;
    int m_N;
    bool m_Full;
    std::vector<float> m_Buffer;
    double m_Sum;
    float m_Scale[4];
};

// Running window of the last N values with the statistic kept up to date on every new value.
// Sound level uses the spread around the first frame's mean, true RMS the plain squares.
class CRunningWindow
{
public:
    explicit CRunningWindow(bool aroundMean) : m_AroundMean(aroundMean) {}

    void Clear();
    // Feeds one value into a window of n values (n at most capacity); true with sumOut set
    // once the window runs, false while it is still filling (and on the filling call).
    bool Feed(float value, int n, int capacity, double& sumOut);
    bool IsAllocated() const { return !m_Values.empty(); }

private:
    bool m_AroundMean;
    std::vector<float> m_Values;
    int m_N = 0;
    int m_Count = 0;
    bool m_FirstFrame = true;
    double m_Mean = 0.0;
    double m_Sum = 0.0;
    int m_WriteIndex = 0;
};

// Rotary-motion tracker of one channel.
struct CRotaryState
{
    double m_NewerRaw = 0.0;
    double m_OlderRaw = 0.0;
    int m_Turns = 0;
    double m_StartPosition = 0.0;
    long m_LastSample = -1;
    double m_Window[10] = {};
    double m_Ring[40] = {};
    double m_PreviousAngle = 0.0;
    int m_AdvancingMeasurement = 0;
    // The angle and position reached on the first call of the current sample; later
    // measurements of the same sample read these instead of moving the history again.
    double m_Angle = 0.0;
    double m_Position = 0.0;

    void Reset() { *this = CRotaryState(); }
};

namespace SignalProcessing {
// One rotary conversion. gain/zero are the catalogue line, radius the calibrated wheel radius
// in metres, fullScale the logger's raw count range.
double CalcRotary(CRotaryState& s, int measurement, double raw, double gain, int zero, long sample,
                  double period, double radius, double fullScale);
}

#pragma once
// Raw logger reading -> value of one measurement in its unit. Every conversion runs the same
// pipeline: optional low-pass filter, the formula of the sensor type, the user calibration,
// the clamp to the catalogue limits, the user's zero.
//
// One instance, inside the data manager, serves every channel. A run's conversions keep state
// between readings (the filter, motion history, counters, running windows): they run without a
// lock on the thread that stores the run, and each channel's state moves once per raw reading,
// however many of its measurements are converted. Live readings (the setup's current reading,
// trigger levels) are converted with a fresh state of their own, from any thread, so they never
// move or race a run's.
#include <atomic>
#include <functional>
#include <memory>

#include "Core/Data/ConversionMarkers.h"
#include "Core/Data/SignalProcessing.h"

class ILogger;
class IRunServices;
class CSensorInfo;
class CSensorParametersInfo;
class CSensorsCalibration;
struct SensorCalibrationInfo;
class CSetupInfo;
class CDataManager;
class CDataBranch;

class CDataConversion
{
public:
    static constexpr int s_MaxChannels = 32;
    static constexpr int s_SoundCapacity = 12500;
    static constexpr int s_TrueRmsCapacity = 300000;
    static constexpr int s_NumSetupPairs = 8;

    CDataConversion();
    ~CDataConversion();
    CDataConversion(const CDataConversion&) = delete;
    CDataConversion& operator=(const CDataConversion&) = delete;

    // What the conversion reads. The logic manager hands over its parts when it builds the
    // data manager; a test hands over its own.
    void SetRunServices(IRunServices* services) { m_pRunServices = services; }
    void SetSensorInfo(const CSensorInfo* info) { m_pSensorInfo = info; }
    void SetCalibration(const CSensorsCalibration* calibration) { m_pCalibration = calibration; }
    void SetSetupInfo(CSetupInfo* setup) { m_pSetupInfo = setup; }
    void SetDataManager(CDataManager* data) { m_pDataManager = data; }
    // The run's sample period in seconds (stored when the run's entries are created; live
    // readings on another thread read it too).
    void SetSamplePeriod(double seconds) { m_SamplePeriod.store(seconds, std::memory_order_relaxed); }
    double GetSamplePeriod() const { return m_SamplePeriod.load(std::memory_order_relaxed); }
    // Evaluates a finished cuff-pressure series. The window layer installs it; it is called
    // on the storing thread and must hand its work over to the user-interface thread.
    void SetBloodPressureEvaluator(std::function<void(CDataBranch*)> evaluator) { m_BloodPressureEvaluator = std::move(evaluator); }

    // One measurement of a run's raw reading. A reading begins with the first call for its
    // channel after the call that said lastMeasurement (or with another sample number), and
    // only that call moves the channel's state: the reading's other measurements are converted
    // from the same filtered reading and the same motion step.
    double ConvertDataSample(ILogger* logger, int channel, int position, int index, double raw, long sample,
                             short& flag, short measurement, bool lastMeasurement, bool plainReading);
    double ConvertDefaultSample(ILogger* logger, int channel, int position, int index, double raw, long sample,
                                short& flag, short measurement, bool lastMeasurement, bool plainReading, int& zero);
    // A reading shown outside a run's samples (the setup's current reading, a snapshot),
    // converted as the run's first sample would be but in a state of its own.
    double ConvertLiveSample(ILogger* logger, int channel, int position, int index, double raw, short measurement);
    // Measurement 0 of a single reading, as trigger levels need it, in a state of its own.
    // sensorReading, when given, receives the sensor's own reading within its limits, before
    // the user's calibration and zero.
    double ConvertBySensorType(ILogger* logger, int channel, int position, int index, double raw,
                               double* sensorReading = nullptr);

    void InitBeforRun(ILogger* logger);
    void ResetVar();
    void SetTables(ILogger* logger, IRunServices* services);
    int GetZero(ILogger* logger, short channel, int index);
    double GetTrueVal(double raw, int zero, int index);

    const CSensorInfo* GetSensorInfo() const { return m_pSensorInfo; }
    double GetRawFullScale() const { return m_RawFullScale; }
    CDataBranch* GetLastRunBranch(int channel) const;

private:
    struct ChannelState
    {
        CButterWorthFilter m_Filter;
        CPelorinHeartRateCalc m_HeartRate;
        CSensor_WindSpeed m_Wind;
        CRotaryState m_Rotary;
        std::unique_ptr<CRunningWindow> m_TrueRms;  // made when a channel first needs it
        double m_CounterTotal = 0.0;
        long m_LastCountedSample = 0;
        bool m_BloodPressureArmed = false;
        CDataBranch* m_pLastRunBranch = nullptr;
        double m_Position = 0.0;
        double m_Velocity = 0.0;
        double m_Acceleration = 0.0;
        double m_PreviousPosition = 0.0;
        double m_PreviousVelocity = 0.0;
        long m_SampleCounter = 0;
        double m_AccumulatedDistance = 0.0;
        int m_AveragingWindow = 1;
        double m_History[4] = {};  // current, previous, two older
        double m_RawConductivity = 0.0, m_RawSalinity = 0.0, m_RawOxygen = 0.0;
        double m_TempConductivity = 0.0, m_TempSalinity = 0.0, m_TempOxygen = 0.0;
        bool m_CO2Ready = false;  // indexed by sensor position, not channel
        double m_MotionValue = 0.0;  // distance or pulley value of the current sample
        std::unique_ptr<CRunningWindow> m_Sound;  // made when a channel first needs it
        // The current reading, filtered once, and whether more of its measurements may follow.
        double m_Reading = 0.0;
        long m_ReadingSample = -1;
        bool m_ReadingOpen = false;

        void Reset();
    };

    // What conversions keep between readings.
    struct State
    {
        ChannelState m_Channels[s_MaxChannels];
    };

    // Everything a formula looks at for one call.
    struct Call
    {
        State* state;
        bool run;    // the run's own state: the call may act on the run (stop it, mark counters)
        ILogger* logger;
        int channel;
        int position;
        int index;
        double raw;
        long sample;
        short* flag;
        int m;
        bool last;
        bool plain;
        int zero;
        float gain;
        double period;
        int version[6];
        double loggerType;
        double linear;
    };

    // Formula families (ConversionFormulas_*.cpp).
    double Dispatch(Call& c);
    double DispatchOwn(Call& c, bool& handled);
    double DispatchSpecial(Call& c, bool& handled);
    double Counter(Call& c);
    double Motion(Call& c);
    double CountedDistance(Call& c);
    double CalcOnlyDistance(Call& c, double d);
    void AdvanceMotion(ChannelState& s, double d, double period);
    double Pulley(Call& c);
    double PulseTimerPulley(Call& c);
    double BloodPressure(Call& c, double pressure);
    double Force(Call& c);
    double Co2(Call& c);
    double Ise(Call& c);
    double Chemistry(Call& c);
    double RmsVoltage(Call& c);
    double SoundLevel(Call& c, double offset);
    double Rotary(Call& c);

    double Convert(State& state, ILogger* logger, int channel, int position, int index, double raw, long sample,
                   short& flag, short measurement, bool lastMeasurement, bool plainReading, double* sensorReading);
    bool PrepareCall(Call& c, State& state, ILogger* logger, int channel, int position, int index, double raw,
                     long sample, short& flag, short measurement, bool lastMeasurement, bool plainReading);
    // Starts a reading or continues the one in progress; true when it starts one.
    static bool BeginReading(ChannelState& s, long sample, bool lastMeasurement)
    {
        const bool first = !s.m_ReadingOpen || sample != s.m_ReadingSample;
        s.m_ReadingSample = sample;
        s.m_ReadingOpen = !lastMeasurement;
        return first;
    }
    ChannelState& Own(const Call& c) const { return c.state->m_Channels[c.channel]; }

    // Pipeline steps. The calibration gets the sensor's reading as its formula gave it and as
    // the catalogue's limits cut it.
    double ApplyCalibration(const Call& c, double own, double clamped);
    // Sensors whose every measurement is a line of the raw reading, with no state: their
    // formula may be evaluated again at another raw (DataConversion_dispatch.cpp).
    static bool IsRawLine(int index);
    double CalibrateRawLine(const Call& c, const SensorCalibrationInfo& cal, double own, double clamped);
    double LineAt(const Call& c, double raw);
    double ApplyClamp(int index, int measurement, double value) const;
    double ApplyZero(int position, int index, int measurement, double value) const;

    // Context reads (DataConversion_context.cpp): every read of the setup record, the logger's
    // run counters and the data store goes through these, with bounds checked there.
    const CSensorParametersInfo* Record(int index) const;
    bool SetupPair(int entry, float& a, float& b) const;
    int IseId(int position) const;
    bool ZeroOf(int position, int index, int measurement, double& zero) const;
    int ActiveSensorCount() const;
    void ResetDistanceAveraging(ILogger* logger, int channel);
    void MarkDistanceCounter(ILogger* logger, int channel, long sample);
    void SendStop(ILogger* logger);
    CDataBranch* FetchLastRunBranch(int index) const;
    void ReadVersion(ILogger* logger, int* version) const;

    static bool ValidChannel(int channel) { return channel >= 0 && channel < s_MaxChannels; }

    IRunServices* m_pRunServices = nullptr;
    const CSensorInfo* m_pSensorInfo = nullptr;
    const CSensorsCalibration* m_pCalibration = nullptr;
    CSetupInfo* m_pSetupInfo = nullptr;
    CDataManager* m_pDataManager = nullptr;
    std::function<void(CDataBranch*)> m_BloodPressureEvaluator;

    State m_Run;
    std::atomic<double> m_SamplePeriod{0.0};
    double m_RawFullScale = 4096.0;
};

#pragma once
// Raw logger reading -> value of one measurement in its unit. Every conversion runs the same
// pipeline: optional low-pass filter, the formula of the sensor type, the user calibration,
// the clamp to the catalogue limits, the user's zero.
//
// One instance, inside the data manager, serves every channel. It runs without a lock on the
// thread that stores a run; live readings come from the user-interface thread while no run
// records.
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
    // The run's sample period in seconds (stored when the run's entries are created).
    void SetSamplePeriod(double seconds) { m_SamplePeriod = seconds; }
    double GetSamplePeriod() const { return m_SamplePeriod; }
    // Evaluates a finished cuff-pressure series. The window layer installs it; it is called
    // on the storing thread and must hand its work over to the user-interface thread.
    void SetBloodPressureEvaluator(std::function<void(CDataBranch*)> evaluator) { m_BloodPressureEvaluator = std::move(evaluator); }

    double ConvertDataSample(ILogger* logger, int channel, int position, int index, double raw, long sample,
                             short& flag, short measurement, bool lastMeasurement, bool plainReading);
    double ConvertDefaultSample(ILogger* logger, int channel, int position, int index, double raw, long sample,
                                short& flag, short measurement, bool lastMeasurement, bool plainReading, int& zero);
    // Measurement 0 of a single reading, as trigger levels need it. sensorReading, when given,
    // receives the sensor's own reading within its limits, before the user's calibration and zero.
    double ConvertBySensorType(ILogger* logger, int channel, int position, int index, double raw,
                               double* sensorReading = nullptr);

    void InitBeforRun(ILogger* logger);
    void ResetVar();
    void SetTables(ILogger* logger, IRunServices* services);
    int GetZero(ILogger* logger, short channel, int index);
    double GetTrueVal(double raw, int zero, int index);

    const CSensorInfo* GetSensorInfo() const { return m_pSensorInfo; }
    double GetRawFullScale() const { return m_RawFullScale; }
    double GetCurrentMotionValue() const { return m_CurrentMotionValue; }
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

        void Reset();
    };

    // Everything a formula looks at for one call.
    struct Call
    {
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

    double Convert(ILogger* logger, int channel, int position, int index, double raw, long sample, short& flag,
                   short measurement, bool lastMeasurement, bool plainReading, double* sensorReading);
    bool PrepareCall(Call& c, ILogger* logger, int channel, int position, int index, double raw, long sample,
                     short& flag, short measurement, bool lastMeasurement, bool plainReading);

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

    ChannelState m_Channels[s_MaxChannels];
    CRunningWindow m_SoundLow{true};   // 45-80 dB sensor
    CRunningWindow m_SoundHigh{true};  // 65-110 dB sensor
    double m_CurrentMotionValue = 0.0;
    double m_SamplePeriod = 0.0;
    double m_RawFullScale = 4096.0;
};

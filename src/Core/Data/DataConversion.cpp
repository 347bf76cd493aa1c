#include "Core/Data/DataConversion.h"

#include <cmath>

#include "Core/Base/Diagnostics.h"
#include "Core/Base/ILogger.h"
#include "Core/Data/ConversionFormulas.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SensorsCalibration.h"

using ConversionMarkers::s_Missing;
using ConversionMarkers::s_NoSample;

void CDataConversion::ChannelState::Reset()
{
    m_HeartRate.Reset();
    m_Rotary.Reset();
    m_CounterTotal = 0.0;
    m_LastCountedSample = 0;
    m_BloodPressureArmed = false;
    m_pLastRunBranch = nullptr;
    m_Position = m_Velocity = m_Acceleration = 0.0;
    m_PreviousPosition = m_PreviousVelocity = 0.0;
    m_SampleCounter = 0;
    m_AccumulatedDistance = 0.0;
    m_AveragingWindow = 1;
    for (double& h : m_History) h = 0.0;
    m_RawConductivity = m_RawSalinity = m_RawOxygen = 0.0;
    m_TempConductivity = m_TempSalinity = m_TempOxygen = 0.0;
    m_CO2Ready = false;
    m_MotionValue = 0.0;
    m_Reading = 0.0;
    m_ReadingSample = -1;
    m_ReadingOpen = false;
}

CDataConversion::CDataConversion() { ResetVar(); }

CDataConversion::~CDataConversion() = default;

void CDataConversion::ResetVar()
{
    for (ChannelState& s : m_Run.m_Channels) s.Reset();
    MyOutputDebugString("Reset Variable", DiagDataManager);
}

void CDataConversion::InitBeforRun(ILogger* logger)
{
    unsigned char positions[s_MaxChannels] = {};
    int count = 0;
    if (logger) count = logger->GetActiveSensorListIndex(positions);
    if (count < 0) count = 0;
    if (count > s_MaxChannels) count = s_MaxChannels;
    ResetVar();
    for (int ch = 0; ch < count; ++ch) m_Run.m_Channels[ch].m_pLastRunBranch = FetchLastRunBranch(positions[ch]);
}

CDataBranch* CDataConversion::GetLastRunBranch(int channel) const
{
    return ValidChannel(channel) ? m_Run.m_Channels[channel].m_pLastRunBranch : nullptr;
}

void CDataConversion::SetTables(ILogger* logger, IRunServices* services)
{
    if (services) m_pRunServices = services;
    if (logger) m_RawFullScale = 4096.0;
}

int CDataConversion::GetZero(ILogger* logger, short channel, int index)
{
    if (!logger) {
        const CSensorParametersInfo* r = Record(index);
        return r ? r->m_Zero : 0;
    }
    const double z = logger->GetZeroConst(channel, index);
    // The constant comes from the logger; a wild value must not reach an int conversion.
    if (!std::isfinite(z) || z >= 2147483647.0 || z <= -2147483648.0) return 0;
    return static_cast<int>(z);
}

double CDataConversion::GetTrueVal(double raw, int zero, int index)
{
    const CSensorParametersInfo* r = Record(index);
    return r ? ConversionFormulas::Linear(r->m_Gain, raw, zero) : 0.0;
}

// Inlined into the entry points below: the run's one is the store's hot path.
inline double CDataConversion::Convert(State& state, ILogger* logger, int channel, int position, int index,
                                       double raw, long sample, short& flag, short measurement, bool lastMeasurement,
                                       bool plainReading, double* sensorReading)
{
    flag = 0;
    if (sensorReading) *sensorReading = 0.0;
    const CSensorParametersInfo* record = Record(index);
    if (!record || index < 1 || !ValidChannel(channel)) return 0.0;
    ChannelState& s = state.m_Channels[channel];
    if (BeginReading(s, sample, lastMeasurement)) {
        if (sample == 0) {
            const double period = GetSamplePeriod();
            s.m_Filter.initButterWorthFilter(record->m_FilterCutoff, period > 0.0 ? 1.0 / period : 0.0);
        }
        s.m_Reading = (s.m_Filter.IsEnabled() && std::isfinite(raw)) ? s.m_Filter.filter(raw) : raw;
    }
    raw = s.m_Reading;

    Call c{};
    if (!PrepareCall(c, state, logger, channel, position, index, raw, sample, flag, measurement, lastMeasurement,
                     plainReading))
        return 0.0;
    const double own = Dispatch(c);
    // No value, or a value the formula itself declared missing: nothing to calibrate or zero.
    if (own == s_NoSample || own == s_Missing || std::isnan(own)) {
        const double none = std::isnan(own) ? s_Missing : own;
        if (sensorReading) *sensorReading = none;
        return none;
    }
    // The catalogue's limits are the sensor's own: they cut its reading before a calibration
    // rescales it, so a calibrated value is cut only where the sensor itself is at its end.
    const double clamped = ApplyClamp(index, measurement, own);
    if (sensorReading) *sensorReading = clamped;
    const double value = ApplyCalibration(c, own, clamped);
    // An impossible reading (a thermistor read past its end, a zero denominator) is stored as
    // a gap rather than as NaN or infinity, which no graph or file could use.
    if (!std::isfinite(value)) return s_Missing;
    return ApplyZero(position, index, measurement, value);
}

double CDataConversion::ConvertBySensorType(ILogger* logger, int channel, int position, int index, double raw,
                                            double* sensorReading)
{
    short flag = 0;
    const std::unique_ptr<State> own(new State);
    return Convert(*own, logger, channel, position, index, raw, 1, flag, 0, true, false, sensorReading);
}

double CDataConversion::ConvertLiveSample(ILogger* logger, int channel, int position, int index, double raw,
                                          short measurement)
{
    short flag = 0;
    const std::unique_ptr<State> own(new State);
    return Convert(*own, logger, channel, position, index, raw, 0, flag, measurement, true, true, nullptr);
}

double CDataConversion::ConvertDataSample(ILogger* logger, int channel, int position, int index, double raw,
                                          long sample, short& flag, short measurement, bool lastMeasurement,
                                          bool plainReading)
{
    return Convert(m_Run, logger, channel, position, index, raw, sample, flag, measurement, lastMeasurement,
                   plainReading, nullptr);
}

double CDataConversion::ApplyCalibration(const Call& c, double own, double clamped)
{
    if (!m_pCalibration || c.index < 0 || c.index >= CSensorsCalibration::s_NumOfRecords) return clamped;
    // A copy: the interface thread may change the record meanwhile.
    const SensorCalibrationInfo cal = m_pCalibration->GetCalibration(c.index);
    switch (cal.type) {
    case 1:
        return clamped + cal.offset;
    case 2: {
        // The electrode inputs apply their fit inside the concentration formula.
        if (CSensorInfo::IsISEIndex(c.index)) return clamped;
        if (IsRawLine(c.index)) return CalibrateRawLine(c, cal, own, clamped);
        // Curves and compensated readings: the calibrated line against the catalogue line.
        const double catalogueLine = static_cast<double>(c.gain) * c.raw + static_cast<double>(static_cast<float>(-c.zero) * c.gain);
        const double calibratedLine = cal.slope * c.raw + cal.offset;
        // At the zero count the catalogue line is 0: the ratio has no value there, and the
        // calibrated line itself is the reading the user asked for.
        if (catalogueLine == 0.0 || !std::isfinite(catalogueLine)) return calibratedLine;
        return clamped * calibratedLine / catalogueLine;
    }
    case 3:
        if (c.m == 1) return cal.factor * Own(c).m_CounterTotal;
        return clamped;
    default:
        return clamped;
    }
}

// Every measurement of such a sensor is a line of the raw reading, so the calibration is a
// line of raw readings too: it takes the raw to the one at which the sensor, uncalibrated, would
// show the calibrated value in the measurement the user calibrated. Each measurement is then
// its own formula at that raw, so sign, factor and offset between measurements stay as they are.
double CDataConversion::CalibrateRawLine(const Call& c, const SensorCalibrationInfo& cal, double own, double clamped)
{
    // The calibrated measurement as the calibration dialog showed it, at both locked raws.
    Call shown = c;
    shown.m = cal.measurement;
    shown.plain = true;
    const double shown1 = LineAt(shown, cal.raw1);
    const double shown2 = LineAt(shown, cal.raw2);
    const double perCount = (shown2 - shown1) / (static_cast<double>(cal.raw2) - cal.raw1);
    // A measurement that does not follow the raw reading cannot carry a line.
    if (!std::isfinite(perCount) || perCount == 0.0) return clamped;
    const double target = cal.slope * c.raw + cal.offset;
    const double mapped = cal.raw1 + (target - shown1) / perCount;
    // The line's stretch in the sensor's own units: a reading cut at a limit moves the
    // calibrated value by the cut times the stretch.
    const double stretch = cal.slope / perCount;
    return LineAt(c, mapped) + stretch * (clamped - own);
}

double CDataConversion::LineAt(const Call& c, double raw)
{
    Call at = c;
    at.raw = raw;
    at.linear = ConversionFormulas::Linear(at.gain, raw, at.zero);
    short flag = 0;
    at.flag = &flag;
    return Dispatch(at);
}

double CDataConversion::ApplyClamp(int index, int measurement, double value) const
{
    const CSensorParametersInfo* record = Record(index);
    if (!record || measurement < 0 || measurement >= CSensorParametersInfo::s_MaxMeasurements) return value;
    const CSensorMeasuremntInfo& m = record->m_Measurements[measurement];
    if (m.m_ClampToMax && value > m.m_Max) value = m.m_Max;
    if (m.m_ClampToMin && value < m.m_Min) value = m.m_Min;
    return value;
}

double CDataConversion::ApplyZero(int position, int index, int measurement, double value) const
{
    const CSensorParametersInfo* record = Record(index);
    if (!record || !record->m_ZeroAllowed) return value;
    double zero = 0.0;
    if (ZeroOf(position, index, measurement, zero)) value -= zero;
    return value;
}

const CSensorParametersInfo* CDataConversion::Record(int index) const
{
    return m_pSensorInfo ? m_pSensorInfo->GetSensorInfo(index) : nullptr;
}

bool CDataConversion::PrepareCall(Call& c, State& state, ILogger* logger, int channel, int position, int index,
                                  double raw, long sample, short& flag, short measurement, bool lastMeasurement,
                                  bool plainReading)
{
    flag = 0;
    const CSensorParametersInfo* record = Record(index);
    if (!record || index < 1 || index > 148 || !ValidChannel(channel)) return false;
    c.state = &state;
    c.run = &state == &m_Run;
    c.logger = logger;
    c.channel = channel;
    c.position = position;
    c.index = index;
    c.raw = raw;
    c.sample = sample;
    c.flag = &flag;
    c.m = measurement;
    c.last = lastMeasurement;
    c.plain = plainReading;
    c.gain = record->m_Gain;
    c.zero = (logger && logger->IsAutoDetectMode()) ? GetZero(logger, static_cast<short>(channel), index) : record->m_Zero;
    c.period = GetSamplePeriod();
    ReadVersion(logger, c.version);
    c.loggerType = logger ? logger->GetType() : 0.0;
    c.linear = ConversionFormulas::Linear(c.gain, raw, c.zero);
    return true;
}

double CDataConversion::ConvertDefaultSample(ILogger* logger, int channel, int position, int index, double raw,
                                             long sample, short& flag, short measurement, bool lastMeasurement,
                                             bool plainReading, int& zero)
{
    Call c{};
    if (!PrepareCall(c, m_Run, logger, channel, position, index, raw, sample, flag, measurement, lastMeasurement,
                     plainReading))
        return 0.0;
    const double value = Dispatch(c);
    zero = c.zero;
    return value;
}

// Sensors that lean on the setup or on neighbouring channels: blood pressure, force and
// voltage with the logger's calibration pair, CO2, ion-selective electrodes, temperature-
// compensated chemistry, sound level and true RMS.
#include <cmath>

#include "Core/Base/ILogger.h"
#include "Core/Data/ConversionFormulas.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataConversion.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SensorsCalibration.h"

using ConversionMarkers::s_Missing;

double CDataConversion::BloodPressure(Call& c, double pressure)
{
    // Only a run's own readings watch the cuff: a live reading neither stops nor evaluates a run.
    if (!c.run || !c.logger || c.logger->GetExpirmentType() == 2) return pressure;
    ChannelState& s = Own(c);
    if (pressure > 170.0) {
        s.m_BloodPressureArmed = true;
    } else if (s.m_BloodPressureArmed && pressure < 50.0) {
        // The cuff has been let down: the measurement is over.
        s.m_BloodPressureArmed = false;
        if (ActiveSensorCount() == 1) SendStop(c.logger);
        CDataBranch* branch = s.m_pLastRunBranch;
        if (branch && branch->GetNumSamples() > 0 && m_BloodPressureEvaluator) m_BloodPressureEvaluator(branch);
    }
    return pressure;
}

double CDataConversion::Force(Call& c)
{
    float a = 1.0f;
    float b = 0.0f;
    SetupPair(c.channel, a, b);
    const float shifted = static_cast<float>(c.raw - b);
    const float offset = static_cast<float>(-c.zero) * c.gain;
    const float v = a * (c.gain * shifted + offset);
    return c.m == 0 ? -static_cast<double>(v) : static_cast<double>(v);
}

double CDataConversion::Co2(Call& c)
{
    if (c.position < 0 || c.position >= s_MaxChannels) return 0.0;
    bool& ready = c.state->m_Channels[c.position].m_CO2Ready;
    if (c.sample == 0) ready = false;
    if (!ready) {
        // The sensor reads low while it warms up; its first reading of 2000 or more says ready.
        if (!(c.raw >= 2000.0)) return 0.0;
        ready = true;
    }
    float a = 1.0f;
    float b = 0.0f;
    SetupPair(c.position, a, b);
    return ConversionFormulas::CarbonDioxide(c.raw, b);
}

double CDataConversion::Ise(Call& c)
{
    if (!m_pSensorInfo) return s_Missing;
    const ISEInfo electrode = m_pSensorInfo->getISEInfo(IseId(c.position));
    double slope = electrode.m_Slope;
    double offset = electrode.m_Offset;
    // A copy: the calibration dialog may rewrite the record meanwhile.
    const SensorCalibrationInfo record = m_pCalibration ? m_pCalibration->GetCalibration(c.index) : SensorCalibrationInfo();
    const SensorCalibrationInfo* cal = m_pCalibration ? &record : nullptr;
    // A calibration replaces the electrode's line only when its fit produced one.
    if (cal && cal->real1 != -1.0 && cal->slope != 0.0 && std::isfinite(cal->slope)) {
        slope = cal->slope;
        offset = cal->offset;
    }
    if (slope == 0.0 || !std::isfinite(slope)) return s_Missing;
    return std::pow(10.0, (electrode.m_MvPerCount * c.raw + electrode.m_MvAtZeroCount - offset) / slope);
}

namespace {
double Compensation(double temperature) { return (temperature - 25.0) * 0.02 + 1.0; }
}  // namespace

double CDataConversion::Chemistry(Call& c)
{
    ChannelState& own = Own(c);
    // A temperature channel stores its reading beside the channel it compensates, which is
    // the one before it; on channel 0 there is none and nothing is stored.
    ChannelState* partner = c.channel > 0 ? &c.state->m_Channels[c.channel - 1] : nullptr;
    const double r = c.raw;
    switch (c.index) {
    case 134: {
        const double conc = r * 8.26 / 1.9320000000000002 * 0.0007326007326007326;
        own.m_RawOxygen = conc;
        if (c.sample < 1) return conc;
        const double x = 1.0 / (own.m_TempOxygen + 273.5);
        return conc * std::exp(-139.344 + 157570.1 * x - 66423080.0 * x * x + 12438000000.0 * x * x * x -
                               862194900000.0 * x * x * x * x) / 8.26;
    }
    case 136: {
        const double conc = (3549.0 - r) * 1000.0 / (r * 1000.0);
        own.m_RawConductivity = conc;
        if (c.sample < 1) return conc;
        return conc / Compensation(own.m_TempConductivity);
    }
    case 145: {
        const double conc = (3549.0 - r) * 1000000.0 / (r * 1000.0);
        const double k = c.sample < 1 ? conc : own.m_RawSalinity / Compensation(own.m_TempSalinity);
        own.m_RawSalinity = conc;
        return 0.5527 * k + 0.000001 * k * k - 77.857;
    }
    case 135: {
        const double t = ConversionFormulas::SteinhartHart(std::log(r * 30000.0 / (13513.5 - 3.0 * r)));
        if (partner) partner->m_TempOxygen = t;
        return t;
    }
    default: {
        const double t = ConversionFormulas::SteinhartHart(std::log((12285.0 / (3.0 * r) - 1.0) * 10000.0));
        if (partner) (c.index == 137 ? partner->m_TempConductivity : partner->m_TempSalinity) = t;
        return t;
    }
    }
}

double CDataConversion::RmsVoltage(Call& c)
{
    float a = 1.0f;
    float b = 0.0f;
    SetupPair(c.position, a, b);
    const float v = static_cast<float>((b + c.raw - 2047.5) / 0.04704 * a * 0.0007326007326007326);
    if (c.m == 0) return v;
    ChannelState& s = Own(c);
    if (!s.m_TrueRms) s.m_TrueRms.reset(new CRunningWindow(false));
    if (c.sample == 0) s.m_TrueRms->Clear();
    if (!(c.period > 0.0)) return 0.0;
    const double n = static_cast<double>(0.3f) / c.period;
    // A window longer than the capacity (periods under 1 µs) is cut to the capacity.
    const int window = n >= s_TrueRmsCapacity ? s_TrueRmsCapacity : static_cast<int>(n);
    double sum = 0.0;
    if (!s.m_TrueRms->Feed(v, window, s_TrueRmsCapacity, sum)) return 0.0;
    return std::sqrt(sum / window);
}

double CDataConversion::SoundLevel(Call& c, double offset)
{
    if (!c.logger || !c.logger->IsRunning() || c.period == 0.0) return 0.0;
    // Each channel keeps its own window: two meters on two inputs must not feed one.
    std::unique_ptr<CRunningWindow>& own = Own(c).m_Sound;
    if (!own) own.reset(new CRunningWindow(true));
    CRunningWindow& w = *own;
    if (c.sample == 0) w.Clear();
    if (!(c.period > 0.0)) return 0.0;
    const double n = 0.125 / c.period;
    const int window = n >= s_SoundCapacity ? s_SoundCapacity : static_cast<int>(n);
    const float u = static_cast<float>(c.raw / 4095.0 * 3.0);
    double sum = 0.0;
    if (!w.Feed(u, window, s_SoundCapacity, sum)) return 0.0;
    return static_cast<float>(10.0 * std::log10(sum / window) + 94.0 + offset);
}

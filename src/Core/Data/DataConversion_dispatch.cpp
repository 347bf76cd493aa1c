// The formula of each sensor type, chosen by catalogue index and then by measurement.
#include <cmath>

#include "Core/Base/LoggerModel.h"
#include "Core/Data/ConversionFormulas.h"
#include "Core/Data/DataConversion.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SensorsCalibration.h"

using namespace ConversionFormulas;

namespace {
bool IsLinear(int index)
{
    switch (index) {
    case 1: case 2: case 3: case 7: case 11: case 16: case 24: case 26: case 27:
    case 30: case 32: case 35: case 37: case 40: case 46: case 52: case 53: case 54: case 55:
    case 56: case 57: case 58: case 59: case 60: case 65: case 66: case 67: case 68: case 69:
    case 70: case 74: case 75: case 76: case 77: case 78: case 81: case 84: case 85: case 86:
    case 87: case 88: case 90: case 92: case 95: case 112: case 113: case 114: case 115:
    case 116: case 117: case 123: case 124: case 125: case 132: case 133: case 138: case 139:
    case 140: case 141: case 143: case 144: case 148:
        return true;
    default:
        return false;
    }
}

// Derived value of measurement 1 unless the caller wants the basic reading.
double Second(int m, bool plain, double base, double derived) { return (m == 1 && !plain) ? derived : base; }
}  // namespace

bool CDataConversion::IsRawLine(int index)
{
    if (IsLinear(index)) return true;
    switch (index) {
    case 4: case 5: case 6: case 8: case 9: case 10: case 12: case 13: case 14: case 17: case 22: case 23:
    case 28: case 38: case 39: case 41: case 42: case 43: case 44: case 45: case 49: case 50: case 51:
    case 62: case 63: case 64: case 71: case 73: case 80: case 82: case 89: case 91: case 96: case 98:
    case 99: case 106: case 107: case 118: case 119: case 120: case 122:
        return true;
    default:
        return false;
    }
}

double CDataConversion::Dispatch(Call& c)
{
    if (IsLinear(c.index)) return c.linear;
    bool handled = false;
    double v = DispatchOwn(c, handled);
    if (handled) return v;
    v = DispatchSpecial(c, handled);
    return handled ? v : 0.0;
}

// Sensors whose value follows from the reading alone (plus fixed constants).
double CDataConversion::DispatchOwn(Call& c, bool& handled)
{
    handled = true;
    const double L = c.linear;
    const double r = c.raw;
    const int m = c.m;
    switch (c.index) {
    case 4: case 10: case 12: return L / 1000.0;
    case 5: return Second(m, c.plain, L, L / 0.683);
    case 6: case 44: return Second(m, c.plain, L, L / 683.0);
    case 8: {
        const double g = (r - 2048.0) * 108.0 / 28.0 / 10.0 / 100.0;
        return m == 1 ? g * 9.81 : g;
    }
    case 9: case 42: return Second(m, c.plain, L, -L);
    // The linear temperatures' second measurement is the catalogue's °F: the same reading in
    // Fahrenheit, not the Celsius value under a °F name.
    case 13: case 14: case 17: return m == 1 ? Fahrenheit(L) : L;
    case 15: {
        const double t = ThermistorA(r);
        return m == 1 ? Fahrenheit(t) : t;
    }
    case 18: case 105: {
        const double q = c.index == 18 ? (r + 181.02) / 13.6619646 : r * 3.0 * 0.000244140625 * 1300.0 / 15.312500000000002;
        const double t = Platinum(q);
        return m == 1 ? Fahrenheit(t) : t;
    }
    case 19: {
        const double t = Thermocouple(r / 74.76);
        return m == 1 ? Fahrenheit(t) : t;
    }
    case 20: case 97: {
        const double x = c.index == 20 ? r / 66.0 : (r * 124.825 - 17038.677) / 10000.0;
        const double t = HighTemperature(x);
        return m == 1 ? Fahrenheit(t) : t;
    }
    case 22: return c.period > 0.0 ? L / c.period : 0.0;
    case 23: {
        const double p = L + 106.0;
        if (c.plain) return p;
        return m == 2 ? p / 10.0 : (m == 1 ? p / 1013.25 : p);
    }
    case 28: return r * 0.06125;
    case 31: case 108: {
        const double flow = Spirometer(r);
        return m == 1 ? flow / 60.0 : flow;
    }
    case 38: return m == 0 ? -L : L;
    case 39: case 43: case 119: case 120: return Second(m, c.plain, L, L * 10.0);
    case 41: return m == 2 ? L * 0.009869 : (m == 1 ? L * 10.0 : L);
    case 45: return m == 2 ? r * 0.048828125 : (m == 1 ? r * 0.244140625 : L / 1000.0);
    case 50: return Second(m, c.plain, L, L / 10000.0);
    case 51: return r * 0.1221;
    case 71: return m == 2 ? L * 0.00986923267 : (m == 1 ? L * 10.0 : L);
    case 72: {
        const bool step = c.version[3] == 1 && StoredLoggerTraitsOf(c.loggerType).thermistorRevisionStep;
        const int correction = step ? 1 : 0;
        const double t = ThermistorB(r, correction);
        return m == 1 ? Fahrenheit(t) : t;
    }
    case 73: return c.version[3] == 1 ? L + 12.0 : L;
    case 80: case 122: return r;
    case 82: {
        const double p = (r + 34.48) / 9.91;
        return m == 2 ? p * 0.009869 : (m == 1 ? p * 10.0 : p);
    }
    case 89: case 118: return r * 0.00048828125 * 1.5 - 1.5;
    case 91: return m == 0 ? L : r * 0.07925;
    case 96: return m == 2 ? L / 10.0 : (m == 1 ? L / 1013.25 : L);
    case 101: case 102: {
        const double t = ThermistorA3V(r);
        return m == 1 ? Fahrenheit(t) : t;
    }
    case 106: case 107: return r * 0.00332998778998779 - 7.5;
    case 111: {
        const double units = r / 2048.0;
        return (std::isfinite(units) && std::trunc(units) > 0.0) ? 3.0 : 0.0;
    }
    default:
        handled = false;
        return 0.0;
    }
}

// Sensors with state, with the logger's or the setup's values, or with several families.
double CDataConversion::DispatchSpecial(Call& c, bool& handled)
{
    handled = true;
    const double L = c.linear;
    const double r = c.raw;
    const int m = c.m;
    ChannelState& s = Own(c);
    switch (c.index) {
    case 21: case 29: return m == 0 ? s.m_HeartRate.CalcAnalog(r, c.period) : L;
    case 79: case 126:
        if (c.plain || m == 1) return r * 3.0 / 4095.0;
        return m == 0 ? s.m_HeartRate.CalcNewVersion(r, c.period) : 0.0;
    case 93: return c.plain ? r * 3.0 / 4095.0 : s.m_HeartRate.CalcNewVersion(r, c.period);
    case 128: case 129: return s.m_HeartRate.CalcNewVersion(r, c.period);
    case 25: case 103: return Motion(c);
    case 142: return CountedDistance(c);
    case 33: case 47: case 109: return Counter(c);
    case 34: case 147: return s.m_Wind.calcWindSpeed(r, c.sample, m, c.period > 0.0 ? 1.0 / c.period : 0.0);
    case 36: return Pulley(c);
    case 110: return PulseTimerPulley(c);
    case 48: case 127: return Rotary(c);
    case 49: {
        const double p = L;
        if (c.plain) return p;
        switch (m) {
        case 1: return p / 100.0;
        case 2: return p * 0.009869;
        case 3: return p * 10.19784;
        case 4: {
            const double f = m_pCalibration ? m_pCalibration->GetCalibration(49).factor : 0.0;
            return p * 10.19784 * 3.14159265358979323846 * f * f / 4000.0;
        }
        default: return p;
        }
    }
    case 61: return BloodPressure(c, L / 1000.0);
    case 94: return BloodPressure(c, (r / 4095.0 * 3.0 - 0.132) * 126.26);
    case 62: case 63: case 64:
        // These sensors are zeroed by the logger itself: its constant is the line's zero.
        c.zero = GetZero(c.logger, static_cast<short>(c.channel), c.index);
        return Linear(c.gain, r, c.zero);
    case 83: return SoundLevel(c, -15.0);
    case 100: return SoundLevel(c, 14.0);
    case 98: case 99: return Force(c);
    case 104: return Co2(c);
    case 121: return RmsVoltage(c);
    case 130: case 131: return Ise(c);
    case 134: case 135: case 136: case 137: case 145: case 146: return Chemistry(c);
    default:
        handled = false;
        return 0.0;
    }
}

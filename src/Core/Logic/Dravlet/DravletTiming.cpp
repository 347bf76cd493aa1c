#include "Core/Logic/Dravlet/DravletTiming.h"

#include "Core/Data/SetupInfo.h"
#include "Core/Data/TimingData.h"

#include <cmath>

namespace {
// Width and distance are entered in centimetres; every formula works in metres.
double DravletMetres(double centimetres) { return centimetres / 100.0; }
bool UsableDivisor(double divisor) { return divisor != 0.0 && std::isfinite(divisor); }
} // namespace

double CDravletTiming::Result(unsigned char method, double a, double b, double c, double d, double e,
                              const CSetupInfo* setup)
{
    const double W = setup ? setup->m_TimingWidth : 3.0;
    const double D = setup ? setup->m_TimingDistance : 20.0;
    switch (method) {
    case TimingMethodId::Reset:
        m_PendulumCounter = 0;
        m_PreviousVelocity = m_PreviousTime = -1.0;
        return 0.0;
    case TimingMethodId::TimeAtGate: return a;
    case TimingMethodId::VelocityAtGate: return UsableDivisor(a) ? DravletMetres(W) / a : s_NoResult;
    case TimingMethodId::AccelerationAtGate: {
        const double v = UsableDivisor(e - d) ? DravletMetres(W) / (e - d) : b;
        const double middle = (d + e) * 0.5;
        if (m_PreviousVelocity >= 0.0 && m_PreviousTime >= 0.0) {
            if (a - m_PreviousTime == 0.0 || !UsableDivisor(middle - m_PreviousTime)) return s_NoResult;
            const double result = (v - m_PreviousVelocity) / (middle - m_PreviousTime);
            // The two bars of one flag make a pair; the next passage opens the next pair.
            m_PreviousVelocity = m_PreviousTime = -1.0;
            return result;
        }
        m_PreviousVelocity = v;
        m_PreviousTime = middle;
        return s_NoResult;
    }
    case TimingMethodId::TimeBetweenGates: return b;
    case TimingMethodId::VelocityBetweenGates: return UsableDivisor(b) ? DravletMetres(D) / b : s_NoResult;
    // Each cart of a collision is timed by its flag at its own gate: a is that passage.
    case TimingMethodId::Collision: return UsableDivisor(a) ? DravletMetres(W) / a : s_NoResult;
    case TimingMethodId::AccelerationBetweenGates: {
        const double L = DravletMetres(W);
        const double span = (2.0 * b + c - a) * 0.5;
        if (!UsableDivisor(a) || !UsableDivisor(c) || !UsableDivisor(span)) return s_NoResult;
        return (L / c - L / a) / span;
    }
    case TimingMethodId::Pendulum: {
        const int n = m_PendulumCounter++;
        if (n == 0) {
            m_PendulumReference = e;
            return -1.0;
        }
        if (n % 2 == 1) return -1.0;
        const double period = e - m_PendulumReference;
        m_PendulumReference = e;
        return period;
    }
    default: return 0.0;
    }
}

#include "Core/Logic/Pelorin/PelorinTiming.h"

#include "Core/Data/SetupInfo.h"
#include "Core/Data/TimingData.h"

#include <cmath>

namespace {
// Width and distance are entered in centimetres; every formula works in metres.
double PelorinMetres(double centimetres) { return centimetres / 100.0; }
double FlagWidth(const CSetupInfo* setup) { return setup ? setup->m_TimingWidth : 3.0; }
double GateDistance(const CSetupInfo* setup) { return setup ? setup->m_TimingDistance : 20.0; }
} // namespace

double CPelorinTiming::Edge(int gate, qint64 time, bool unblock, const CSetupInfo* setup, bool& valid)
{
    if (gate < 0) {
        *this = CPelorinTiming();
        return s_NoResult;
    }
    // The gate number comes from the logger; only the gates of the table exist.
    if (gate >= s_NumGates) return s_NoResult;
    const int method = setup ? TimingMethodOf(setup->m_TimingMeasurement, setup->m_TimingApproach) : -1;
    if (unblock) m_Gates[gate].m_UnblockTime = time;
    else m_Gates[gate].m_BlockTime = time;
    if (m_FirstGate < 0) m_FirstGate = gate;
    else if (m_SecondGate < 0 && gate != m_FirstGate) m_SecondGate = gate;
    switch (method) {
    case TimingMethodId::TimeAtGate:
    case TimingMethodId::VelocityAtGate:
    case TimingMethodId::AccelerationAtGate: return oneGate(method, m_FirstGate, setup, valid);
    // Each cart of a collision is timed by its flag at the gate it passes.
    case TimingMethodId::Collision: {
        const double v = oneGate(TimingMethodId::VelocityAtGate, gate, setup, valid);
        if (valid)
            m_ResultSlot = gate == m_FirstGate ? 0 : 1;
        return v;
    }
    case TimingMethodId::TimeBetweenGates:
    case TimingMethodId::VelocityBetweenGates:
    case TimingMethodId::AccelerationBetweenGates: return twoGates(method, setup, valid);
    case TimingMethodId::Pendulum: {
        CGateEdges& F = m_Gates[m_FirstGate];
        if (F.m_BlockTime == -1) return s_NoResult;
        const double block = static_cast<double>(F.m_BlockTime);
        F.m_BlockTime = -1;
        const int n = m_PendulumCounter++;
        if (n == 0) {
            m_PendulumReference = block;
            return s_NoResult;
        }
        if (n % 2 == 1) return s_NoResult;
        const double period = (block - m_PendulumReference) / 1e6;
        m_PendulumReference = block;
        valid = true;
        return period;
    }
    default: return s_NoResult;
    }
}

int CPelorinTiming::TakeResultSlot()
{
    const int slot = m_ResultSlot;
    m_ResultSlot = -1;
    return slot;
}

double CPelorinTiming::oneGate(int method, int gate, const CSetupInfo* setup, bool& valid)
{
    CGateEdges& F = m_Gates[gate];
    if (F.m_BlockTime == -1 || F.m_UnblockTime == -1) return s_NoResult;
    const double bF = static_cast<double>(F.m_BlockTime);
    const double uF = static_cast<double>(F.m_UnblockTime);
    const double dF = std::abs(bF - uF) / 1e6;
    F = CGateEdges();
    if (method == TimingMethodId::TimeAtGate) {
        valid = true;
        return dF;
    }
    // A gate blocked and unblocked in the same microsecond gives no speed.
    if (dF == 0.0) return s_NoResult;
    const double v = PelorinMetres(FlagWidth(setup)) / dF;
    if (method == TimingMethodId::VelocityAtGate) {
        valid = true;
        return v;
    }
    // Accelerations are referred to the middle of each passage, the first one included.
    const double middle = (bF + uF) * 0.5;
    if (m_PreviousVelocity >= 0.0 && m_PreviousTime >= 0.0) {
        if (middle == m_PreviousTime) return dF;
        const double result = (v - m_PreviousVelocity) / ((middle - m_PreviousTime) / 1e6);
        // The two bars of one flag make a pair; the next passage opens the next pair.
        m_PreviousVelocity = m_PreviousTime = -1.0;
        valid = true;
        return result;
    }
    m_PreviousVelocity = v;
    m_PreviousTime = middle;
    return dF;
}

double CPelorinTiming::twoGates(int method, const CSetupInfo* setup, bool& valid)
{
    if (m_SecondGate < 0) return s_NoResult;
    CGateEdges& F = m_Gates[m_FirstGate];
    CGateEdges& S = m_Gates[m_SecondGate];
    if (F.m_BlockTime == -1 || S.m_BlockTime == -1) return s_NoResult;
    const bool needsWidths = method == TimingMethodId::AccelerationBetweenGates;
    if (needsWidths && (F.m_UnblockTime == -1 || S.m_UnblockTime == -1)) return s_NoResult;
    const double bF = static_cast<double>(F.m_BlockTime);
    const double bS = static_cast<double>(S.m_BlockTime);
    const double dF = std::abs(bF - static_cast<double>(F.m_UnblockTime)) / 1e6;
    const double dS = std::abs(bS - static_cast<double>(S.m_UnblockTime)) / 1e6;
    F = CGateEdges();
    S = CGateEdges();
    const double between = (bS - bF) / 1e6;
    double result = 0.0;
    if (method == TimingMethodId::TimeBetweenGates) {
        result = between;
    } else if (method == TimingMethodId::AccelerationBetweenGates) {
        const double L = PelorinMetres(FlagWidth(setup));
        const double span = (2.0 * std::abs(between) + dS - dF) * 0.5;
        if (dF == 0.0 || dS == 0.0 || span == 0.0) return s_NoResult;
        result = (L / dS - L / dF) / span;
    } else {
        if (between == 0.0) return s_NoResult;
        result = PelorinMetres(GateDistance(setup)) / between;
    }
    valid = true;
    return result;
}

// Timing-run results: the Dravlet interface hands over ready time differences, the Pelorin
// logger single gate edges that are paired here.
#include <algorithm>
#include <cmath>

#include "Core/Data/DataManager.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SetupInfo.h"

namespace {
// The Dravlet handler stores nothing at or below -1000: this result is "no value".
const double s_DravletNoResult = -2000.0;
// The Pelorin form answers -1 with valid left untouched when there is no result.
const double s_PelorinNoResult = -1.0;

// Width and distance are entered in centimetres; every formula works in metres.
double Metres(double centimetres) { return centimetres / 100.0; }

bool Usable(double divisor) { return divisor != 0.0 && std::isfinite(divisor); }
}  // namespace

double CDataManager::CalculateTimingValue(unsigned char method, double a, double b, double c, double d, double e,
                                          ILogger* logger)
{
    if (!logger) return 0.0;
    CTimingState& t = m_TimingState;
    const double W = m_pSetupInfo ? m_pSetupInfo->m_TimingWidth : 3.0;
    const double D = m_pSetupInfo ? m_pSetupInfo->m_TimingDistance : 20.0;
    switch (method) {
    case TimingMethodId::Reset:
        t.m_PendulumCounter = 0;
        t.m_PreviousVelocity = t.m_PreviousTime = -1.0;
        return 0.0;
    case TimingMethodId::TimeAtGate: return a;
    case TimingMethodId::VelocityAtGate: return Usable(a) ? Metres(W) / a : s_DravletNoResult;
    case TimingMethodId::AccelerationAtGate: {
        const double v = Usable(e - d) ? Metres(W) / (e - d) : b;
        const double middle = (d + e) * 0.5;
        if (t.m_PreviousVelocity >= 0.0 && t.m_PreviousTime >= 0.0) {
            if (a - t.m_PreviousTime == 0.0 || !Usable(middle - t.m_PreviousTime)) return s_DravletNoResult;
            const double result = (v - t.m_PreviousVelocity) / (middle - t.m_PreviousTime);
            // The two bars of one flag make a pair; the next passage opens the next pair.
            t.m_PreviousVelocity = t.m_PreviousTime = -1.0;
            return result;
        }
        t.m_PreviousVelocity = v;
        t.m_PreviousTime = middle;
        return s_DravletNoResult;
    }
    case TimingMethodId::TimeBetweenGates: return b;
    case TimingMethodId::VelocityBetweenGates: return Usable(b) ? Metres(D) / b : s_DravletNoResult;
    // Each cart of a collision is timed by its flag at its own gate: a is that passage.
    case TimingMethodId::Collision: return Usable(a) ? Metres(W) / a : s_DravletNoResult;
    case TimingMethodId::AccelerationBetweenGates: {
        const double L = Metres(W);
        const double span = (2.0 * b + c - a) * 0.5;
        if (!Usable(a) || !Usable(c) || !Usable(span)) return s_DravletNoResult;
        return (L / c - L / a) / span;
    }
    case TimingMethodId::Pendulum: {
        const int n = t.m_PendulumCounter++;
        if (n == 0) {
            t.m_PendulumReference = e;
            return -1.0;
        }
        if (n % 2 == 1) return -1.0;
        const double period = e - t.m_PendulumReference;
        t.m_PendulumReference = e;
        return period;
    }
    default: return 0.0;
    }
}

int CDataManager::PelorinTimingMethod() const
{
    if (!m_pSetupInfo) return -1;
    const int kind = m_pSetupInfo->m_TimingMeasurement;
    const int approach = m_pSetupInfo->m_TimingApproach;
    static const int s_Table[8] = {0, 10, 20, 1, 11, 21, 2, 12};
    if (kind < 0 || kind > 2 || approach < 0 || approach > 2) return -1;
    const int entry = kind * 3 + approach;
    return entry < 8 ? s_Table[entry] : -1;
}

double CDataManager::CalculatePelorinTimingValue(int gate, long time, bool unblock, ILogger* logger, bool& valid)
{
    CTimingState& t = m_TimingState;
    if (gate < 0) {
        t.Reset();
        return s_PelorinNoResult;
    }
    // The gate number comes from the logger; only the 14 gates of the table exist.
    if (!logger || gate >= CTimingState::s_NumGates) return s_PelorinNoResult;
    if (static_cast<int>(t.m_Gates.size()) != CTimingState::s_NumGates) t.m_Gates.assign(CTimingState::s_NumGates, CTimingData());
    const int method = PelorinTimingMethod();
    if (unblock) t.m_Gates[gate].m_UnblockTime = time;
    else t.m_Gates[gate].m_BlockTime = time;
    if (t.m_FirstGate < 0) t.m_FirstGate = gate;
    else if (t.m_SecondGate < 0 && gate != t.m_FirstGate) t.m_SecondGate = gate;
    switch (method) {
    case TimingMethodId::TimeAtGate:
    case TimingMethodId::VelocityAtGate:
    case TimingMethodId::AccelerationAtGate: return PelorinOneGate(method, t.m_FirstGate, valid);
    // Each cart of a collision is timed by its flag at the gate it passes.
    case TimingMethodId::Collision: {
        const double v = PelorinOneGate(TimingMethodId::VelocityAtGate, gate, valid);
        if (valid)
            t.m_ResultSlot = gate == t.m_FirstGate ? 0 : 1;
        return v;
    }
    case TimingMethodId::TimeBetweenGates:
    case TimingMethodId::VelocityBetweenGates:
    case TimingMethodId::AccelerationBetweenGates: return PelorinTwoGates(method, valid);
    case TimingMethodId::Pendulum: {
        CTimingData& F = t.m_Gates[t.m_FirstGate];
        if (F.m_BlockTime == -1) return s_PelorinNoResult;
        const double block = static_cast<double>(F.m_BlockTime);
        F.m_BlockTime = -1;
        const int n = t.m_PendulumCounter++;
        if (n == 0) {
            t.m_PendulumReference = block;
            return s_PelorinNoResult;
        }
        if (n % 2 == 1) return s_PelorinNoResult;
        const double period = (block - t.m_PendulumReference) / 1e6;
        t.m_PendulumReference = block;
        valid = true;
        return period;
    }
    default: return s_PelorinNoResult;
    }
}

double CDataManager::PelorinOneGate(int method, int gate, bool& valid)
{
    CTimingState& t = m_TimingState;
    CTimingData& F = t.m_Gates[gate];
    if (F.m_BlockTime == -1 || F.m_UnblockTime == -1) return s_PelorinNoResult;
    const double bF = static_cast<double>(F.m_BlockTime);
    const double uF = static_cast<double>(F.m_UnblockTime);
    const double dF = std::abs(bF - uF) / 1e6;
    F = CTimingData();
    const double W = m_pSetupInfo ? m_pSetupInfo->m_TimingWidth : 3.0;
    if (method == TimingMethodId::TimeAtGate) {
        valid = true;
        return dF;
    }
    // A gate blocked and unblocked in the same microsecond gives no speed.
    if (dF == 0.0) return s_PelorinNoResult;
    const double v = Metres(W) / dF;
    if (method == TimingMethodId::VelocityAtGate) {
        valid = true;
        return v;
    }
    // Accelerations are referred to the middle of each passage, the first one included.
    const double middle = (bF + uF) * 0.5;
    if (t.m_PreviousVelocity >= 0.0 && t.m_PreviousTime >= 0.0) {
        if (middle == t.m_PreviousTime) return dF;
        const double result = (v - t.m_PreviousVelocity) / ((middle - t.m_PreviousTime) / 1e6);
        // The two bars of one flag make a pair; the next passage opens the next pair.
        t.m_PreviousVelocity = t.m_PreviousTime = -1.0;
        valid = true;
        return result;
    }
    t.m_PreviousVelocity = v;
    t.m_PreviousTime = middle;
    return dF;
}

double CDataManager::PelorinTwoGates(int method, bool& valid)
{
    CTimingState& t = m_TimingState;
    if (t.m_SecondGate < 0) return s_PelorinNoResult;
    CTimingData& F = t.m_Gates[t.m_FirstGate];
    CTimingData& S = t.m_Gates[t.m_SecondGate];
    if (F.m_BlockTime == -1 || S.m_BlockTime == -1) return s_PelorinNoResult;
    const bool needsWidths = method == TimingMethodId::AccelerationBetweenGates;
    if (needsWidths && (F.m_UnblockTime == -1 || S.m_UnblockTime == -1)) return s_PelorinNoResult;
    const double bF = static_cast<double>(F.m_BlockTime);
    const double bS = static_cast<double>(S.m_BlockTime);
    const double dF = std::abs(bF - static_cast<double>(F.m_UnblockTime)) / 1e6;
    const double dS = std::abs(bS - static_cast<double>(S.m_UnblockTime)) / 1e6;
    F = CTimingData();
    S = CTimingData();
    const double between = (bS - bF) / 1e6;
    double result = 0.0;
    if (method == TimingMethodId::TimeBetweenGates) {
        result = between;
    } else if (method == TimingMethodId::AccelerationBetweenGates) {
        const double L = Metres(m_pSetupInfo ? m_pSetupInfo->m_TimingWidth : 3.0);
        const double span = (2.0 * std::abs(between) + dS - dF) * 0.5;
        if (dF == 0.0 || dS == 0.0 || span == 0.0) return s_PelorinNoResult;
        result = (L / dS - L / dF) / span;
    } else {
        if (between == 0.0) return s_PelorinNoResult;
        result = Metres(m_pSetupInfo ? m_pSetupInfo->m_TimingDistance : 20.0) / between;
    }
    valid = true;
    return result;
}

bool CDataManager::AppendTimingResult(double x, double y)
{
    const CDataFolder* folder = GetLastDataFolder();
    CDataBranch* branch = (folder && folder->GetNumberBranches() > 0) ? GetDataBranch(folder->GetBranchKey(0)) : nullptr;
    if (!branch)
        return false;
    // A collision's results take turns, the first gate's and then the other's: where a
    // passage was missed a gap keeps the turns, so every result stays under its gate.
    const int slot = m_TimingState.m_ResultSlot;
    m_TimingState.m_ResultSlot = -1;
    double at = std::max(x, double(branch->GetXSize()));
    if (slot >= 0 && branch->GetXSize() % 2 != slot) {
        branch->AddSample(at, MissingValue);
        at += 1.0;
    }
    return branch->AddSample(at, y);
}

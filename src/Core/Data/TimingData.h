#pragma once
// Photogate events of a timing run and what the data store keeps between them.
#include <QtGlobal>
#include <vector>

// One gate's last block and unblock time (microseconds; -1 none).
struct CTimingData
{
    qint64 m_BlockTime = -1;
    qint64 m_UnblockTime = -1;
};

struct CTimingState
{
    static constexpr int s_NumGates = 14;

    std::vector<CTimingData> m_Gates = std::vector<CTimingData>(s_NumGates);
    int m_FirstGate = -1;
    int m_SecondGate = -1;
    int m_PendulumCounter = 0;
    double m_PendulumReference = -1.0;
    double m_PreviousVelocity = -1.0;
    double m_PreviousTime = -1.0;
    // The gate of a collision result not yet stored: 0 the first gate passed in the run, 1 the
    // other; -1 for every other method.
    int m_ResultSlot = -1;

    void Reset() { *this = CTimingState(); }
};

namespace TimingMethodId {
enum {
    TimeAtGate = 0,
    VelocityAtGate = 1,
    AccelerationAtGate = 2,
    TimeBetweenGates = 10,
    VelocityBetweenGates = 11,
    AccelerationBetweenGates = 12,
    Pendulum = 20,
    Collision = 21,
    Reset = 255
};
}

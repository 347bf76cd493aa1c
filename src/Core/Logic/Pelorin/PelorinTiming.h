#pragma once
// What the Pelorin's timing runs compute: the logger reports single gate edges (block and
// unblock, in microseconds), paired here into times, speeds and accelerations with the
// setup's flag width and gate distance. The host keeps one for the logger; it is used on the
// handler's thread only.
#include <QtGlobal>

#include <vector>

class CSetupInfo;

class CPelorinTiming
{
public:
    // The gates a logger reports (numbers 0 to 13).
    static constexpr int s_NumGates = 14;
    // The answer when an edge gives no result (valid is left untouched then).
    static constexpr double s_NoResult = -1.0;

    // One edge of gate at time: the result it completes, with valid set, or s_NoResult. A
    // negative gate starts a new run. The method, width and distance are the setup's (with
    // none, no method, 3 cm and 20 cm).
    double Edge(int gate, qint64 time, bool unblock, const CSetupInfo* setup, bool& valid);
    // The gate of the collision result last completed, taken once: 0 the first gate passed in
    // the run, 1 the other; -1 for every other result.
    int TakeResultSlot();

private:
    // One gate's last block and unblock time (-1 none).
    struct CGateEdges
    {
        qint64 m_BlockTime = -1;
        qint64 m_UnblockTime = -1;
    };
    double oneGate(int method, int gate, const CSetupInfo* setup, bool& valid);
    double twoGates(int method, const CSetupInfo* setup, bool& valid);

    std::vector<CGateEdges> m_Gates = std::vector<CGateEdges>(s_NumGates);
    int m_FirstGate = -1;
    int m_SecondGate = -1;
    int m_PendulumCounter = 0;
    double m_PendulumReference = -1.0;
    double m_PreviousVelocity = -1.0;
    double m_PreviousTime = -1.0;
    int m_ResultSlot = -1;
};

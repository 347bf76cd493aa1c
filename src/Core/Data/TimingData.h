#pragma once
// The methods of a timing run, as the setup chooses them and the loggers' timing formulas
// (each in its logger's room) compute them.

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

// The method of the setup's choice of measurement (0 time, 1 velocity, 2 acceleration) and
// approach (0 one gate, 1 between gates, 2 pendulum or collision); -1 for none.
inline int TimingMethodOf(int measurement, int approach)
{
    static const int s_Table[8] = {0, 10, 20, 1, 11, 21, 2, 12};
    if (measurement < 0 || measurement > 2 || approach < 0 || approach > 2) return -1;
    const int entry = measurement * 3 + approach;
    return entry < 8 ? s_Table[entry] : -1;
}

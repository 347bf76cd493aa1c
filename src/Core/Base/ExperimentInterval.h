#pragma once
// The interval record of a rate code: the sample period in seconds, the same period in the
// display unit, and that unit's code (0 ms, 1 s, 2 min, 3 h; 6 for an unknown rate).
struct ExperimentInterval
{
    double m_PeriodSec = 0.0;
    double m_PeriodDisplay = 0.0;
    short m_UnitCode = 0;
};

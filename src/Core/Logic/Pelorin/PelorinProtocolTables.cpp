#include "Core/Logic/Pelorin/PelorinProtocolTables.h"

#include <algorithm>

ExperimentInterval CPelorinProtocolTables::GetLoggertExperimentInterval(short rate, short samples) const
{
    ExperimentInterval e;
    double period = 0.0;
    if (rate >= 10000 || rate == 14 || rate == 15)
        period = 1.0 / (100000.0 / std::max<short>(samples, 1));
    else if (rate == 12)
        period = 0.001;
    else if (rate == 13)
        period = 0.0001;
    else
        return GlobalExperimentInterval(rate, samples);
    e.m_PeriodSec = period;
    e.m_PeriodDisplay = period * 1000.0;
    e.m_UnitCode = 0;
    return e;
}

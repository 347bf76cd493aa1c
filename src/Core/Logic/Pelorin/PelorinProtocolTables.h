#pragma once
// Rate tables of the Pelorin logger: the rate words it takes for a rate and a number of
// sensors, and the intervals of its fast rates; the slower ones are the shared table's.
#include "Core/Base/ExperimentInterval.h"
#include "Core/Base/GlobalTable.h"
#include "Core/Logic/Pelorin/PelorinFrames.h"

class CPelorinProtocolTables : public CGlobalTable
{
public:
    int GetLoggerRateCode(int rate, int sensors) const { return int(Pelorin::LoggerRateWord(rate, sensors)); }
    int GetUiRateCode(int word) const { return Pelorin::UiRateCode(quint32(word)); }
    int MaxRate(int sensors) const { return Pelorin::MaxRate(sensors); }
    // Rates above 100 per second divide the logger's 100 kHz among the sensors; the others are
    // the shared table's.
    ExperimentInterval GetLoggertExperimentInterval(short rate, short samples) const;
};

#pragma once
// The running logger under the name the data store's benchmarks and fuzz target use: the shared
// fake, running, with a sample period of its own for the interval.
#include "../../../common/FakeLogger.h"

class CFakeRunLogger : public CFakeLogger
{
public:
    CFakeRunLogger() { MakeRunning(); }

    ExperimentInterval GetExperimentInterval(short rate, short sensors) override
    {
        CFakeLogger::GetExperimentInterval(rate, sensors);
        return {m_Period, m_Period, 1};
    }

    double m_Period = 0.1;
};

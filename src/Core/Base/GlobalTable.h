#pragma once
// CGlobalTable: the tables both logger models share: the codes of a run's number of samples
// and the sampling interval of each rate code. Each model's rate tables derive from it.
#include "Core/Base/ExperimentInterval.h"

#include <QtGlobal>

class CGlobalTable
{
public:
    // Unit code of the record given for a rate code this table does not know.
    static constexpr short kUnknownUnit = 6;
    static constexpr int kSampleCodeCount = 17;

    // Number of samples of a sample-count code; 0 for a code above 16.
    static qint64 GetNumberOfSamples(unsigned char code);
    // Code of an exact number of samples; any number not in the table gives 3 (100 samples).
    static int GetNumberOfSamplesCode(long samples);
    // Interval of a rate code. `samples` matters only for rate code 16 (period samples/5720 s),
    // where fewer than one sample would make a zero period: that gives the unknown-rate record.
    static ExperimentInterval GlobalExperimentInterval(short rate, short samples);
    // The rate code whose period is `seconds` (the shared codes 1 to 15 before the others); 0,
    // the code of no rate, when none is.
    static short RateOfPeriod(double seconds);
};

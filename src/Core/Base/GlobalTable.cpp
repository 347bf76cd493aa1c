#include "Core/Base/GlobalTable.h"

#include <cmath>

namespace {

const qint64 s_sampleCounts[CGlobalTable::kSampleCodeCount] = {
    10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 15000, 20000, 32000, 40000, 50000, 100000,
    89, // code 16 was added after the table was in use, hence out of order
};

struct RateInterval
{
    short rate;
    double seconds;
    double display;
    short unit;
};

// Unit codes: 0 ms, 1 s, 2 min, 3 h. Rates 76 to 83 keep the six-digit periods the loggers
// were specified with, while their display values are the exact quotients.
const RateInterval s_intervals[] = {
    {1, 3600.0, 1.0, 3},          {2, 1800.0, 30.0, 2},       {3, 600.0, 10.0, 2},
    {4, 60.0, 1.0, 2},            {5, 10.0, 10.0, 1},         {6, 1.0, 1.0, 1},
    {7, 0.1, 0.1, 1},             {8, 0.04, 40.0, 0},         {9, 0.02, 20.0, 0},
    {10, 0.01, 10.0, 0},          {11, 0.002, 2.0, 0},        {12, 0.001, 1.0, 0},
    {13, 0.0001, 0.1, 0},         {14, 0.00001, 0.01, 0},     {66, 1.0 / 20800.0, 1000.0 / 20800.0, 0},
    {68, 1200.0, 20.0, 2},        {69, 900.0, 15.0, 2},       {70, 300.0, 5.0, 2},
    {71, 30.0, 30.0, 1},          {72, 20.0, 20.0, 1},        {73, 15.0, 15.0, 1},
    {74, 5.0, 5.0, 1},            {75, 0.05, 50.0, 0},        {76, 0.033333, 100.0 / 3.0, 0},
    {77, 0.025, 25.0, 0},         {78, 0.016667, 50.0 / 3.0, 0}, {79, 0.014286, 100.0 / 7.0, 0},
    {80, 0.0125, 12.5, 0},        {81, 0.011111, 100.0 / 9.0, 0}, {82, 0.008, 8.0, 0},
    {83, 0.006667, 20.0 / 3.0, 0}, {84, 0.005, 5.0, 0},       {85, 0.0025, 2.5, 0},
    {86, 1.0 / 600.0, 1.0 / 600.0, 1},
};

ExperimentInterval makeInterval(double seconds, double display, short unit)
{
    ExperimentInterval interval; // every field starts from zero
    interval.m_PeriodSec = seconds;
    interval.m_PeriodDisplay = display;
    interval.m_UnitCode = unit;
    return interval;
}

} // namespace

qint64 CGlobalTable::GetNumberOfSamples(unsigned char code)
{
    return code < kSampleCodeCount ? s_sampleCounts[code] : 0;
}

int CGlobalTable::GetNumberOfSamplesCode(long samples)
{
    for (int code = 0; code < kSampleCodeCount; ++code)
        if (s_sampleCounts[code] == samples) return code;
    return 3;
}

ExperimentInterval CGlobalTable::GlobalExperimentInterval(short rate, short samples)
{
    if (rate == 16) {
        if (samples < 1) return makeInterval(1.0, 1.0, kUnknownUnit);
        return makeInterval(samples / 5720.0, samples * 1000.0 / 5720.0, 0);
    }
    for (const RateInterval& entry : s_intervals)
        if (entry.rate == rate) return makeInterval(entry.seconds, entry.display, entry.unit);
    return makeInterval(1.0, 1.0, kUnknownUnit);
}

short CGlobalTable::RateOfPeriod(double seconds)
{
    // The periods of the longer tables are kept to six digits: a relative tolerance finds them.
    for (const RateInterval& entry : s_intervals)
        if (std::abs(entry.seconds - seconds) <= 1.0e-6 * entry.seconds)
            return entry.rate;
    return 0;
}

#pragma once
// Rate tables of the Dravlet USB sensor interface: the timer settings the interface needs for
// each rate, and the translations between the program's rate codes and the interface's own.
#include <cstdint>

#include "Core/Base/ExperimentInterval.h"
#include "Core/Base/GlobalTable.h"

// One rate record, as the interface's setup frame carries it. The meaning of the timer bytes
// and the rate word inside the device is not ours to know; they are sent as listed.
struct DravletRateInfo
{
    uint8_t timerCount = 0;      // byte 0
    uint8_t timerReload = 0;     // byte 1
    uint16_t ticks = 0;          // 250 ms ticks per sample for the slow rates
    uint8_t groupPosition = 0;   // byte 4
    uint8_t unused = 0;          // byte 5
    uint16_t groupPosition2 = 0; // bytes 6-7
    uint16_t rateWord = 0;       // bytes 8-9
    uint8_t samplesPerPacket = 0;
    uint8_t rateCode = 0;        // the program's rate code 1..15

    bool operator==(const DravletRateInfo& o) const
    {
        return timerCount == o.timerCount && timerReload == o.timerReload && ticks == o.ticks &&
               groupPosition == o.groupPosition && unused == o.unused &&
               groupPosition2 == o.groupPosition2 && rateWord == o.rateWord &&
               samplesPerPacket == o.samplesPerPacket && rateCode == o.rateCode;
    }
};

class CDravletProtocolTables : public CGlobalTable
{
public:
    static constexpr int s_NumOfRateRecords = 20;
    static constexpr int s_MaxChannels = 8;
    // The interface's code of its fastest rates; data packets then carry several samples.
    static constexpr int s_FastLoggerRate = 10;

    CDravletProtocolTables();

    // Program rate code (0..15) to the interface's rate code; 0 for anything else.
    int GetLoggerRateCode(int rateCode, int sensors = 0) const;
    // Interface rate code (0..13) to the program's rate code; 0 for anything else.
    int GetUiRateCode(int loggerCode) const;
    // Fastest samples per second with this many active channels; 1 outside 1..8.
    int MaxRate(int channels) const;

    // The record for an interface rate and channel count; it becomes the current record.
    // With no match the rate-6 record is returned and the current record stays as it was.
    DravletRateInfo GetRateInfo(int loggerRate, int channels);
    // The current record becomes the first one whose timer bytes and ticks match what a status
    // reported; the rate-10 record when none does.
    void UpdateRateInfo(uint8_t timerCount, uint8_t timerReload, uint16_t ticks);

    // The interval of one sample at a program rate code with this many active channels: the
    // fastest rates depend on the channels, the rest come from the shared table.
    ExperimentInterval GetLoggertExperimentInterval(int rate, int channels) const;

    static const DravletRateInfo& RateRecord(int position);

    DravletRateInfo m_CurrentRateInfo;

private:
    static const DravletRateInfo* findByRateCode(int rateCode);
};

#include "Core/Logic/Dravlet/DravletProtocolTables.h"

namespace {

DravletRateInfo rec(uint8_t b0, uint8_t b1, uint16_t ticks, uint8_t b4, uint16_t b6, uint16_t word,
                    uint8_t perPacket, uint8_t rateCode)
{
    DravletRateInfo r;
    r.timerCount = b0;
    r.timerReload = b1;
    r.ticks = ticks;
    r.groupPosition = b4;
    r.groupPosition2 = b6;
    r.rateWord = word;
    r.samplesPerPacket = perPacket;
    r.rateCode = rateCode;
    return r;
}

// The first eight records are the fastest rate, one per number of active channels.
const DravletRateInfo s_rateTable[CDravletProtocolTables::s_NumOfRateRecords] = {
    rec(1, 11, 1, 0, 0, 2400, 13, 15),   rec(1, 23, 1, 1, 1, 4800, 7, 15),
    rec(1, 36, 1, 2, 2, 7200, 3, 15),    rec(1, 49, 1, 3, 3, 9600, 2, 15),
    rec(1, 61, 1, 4, 4, 12000, 1, 15),   rec(1, 74, 1, 5, 5, 14400, 1, 15),
    rec(1, 86, 1, 6, 6, 16800, 1, 15),   rec(1, 99, 1, 7, 7, 19200, 1, 15),
    rec(1, 124, 1, 0, 0, 24064, 0, 12),  rec(1, 249, 1, 1, 0, 24064, 0, 11),
    rec(9, 249, 1, 3, 0, 30208, 0, 10),  rec(19, 249, 1, 4, 0, 30208, 0, 9),
    rec(39, 249, 1, 5, 0, 30208, 0, 8),  rec(99, 249, 1, 5, 1, 37504, 0, 7),
    rec(255, 245, 4, 5, 22, 32767, 0, 6), rec(255, 245, 40, 5, 220, 32767, 0, 5),
    rec(255, 245, 240, 0, 0, 0, 0, 4),   rec(255, 245, 2400, 0, 0, 0, 0, 3),
    rec(255, 245, 7200, 0, 0, 0, 0, 2),  rec(255, 245, 14400, 0, 0, 0, 0, 1),
};

const int s_rateToLogger[16] = {0, 1, 11, 12, 2, 3, 4, 5, 6, 13, 7, 8, 9, 10, 0, 10};
const int s_loggerToRate[14] = {0, 1, 4, 5, 6, 7, 8, 10, 11, 12, 15, 2, 3, 9};
const int s_maxRate[8] = {10000, 5000, 3333, 2500, 2000, 1666, 1428, 1250};

} // namespace

CDravletProtocolTables::CDravletProtocolTables()
{
    // Until the interface reports otherwise it is taken to run at one sample a second.
    m_CurrentRateInfo = *findByRateCode(6);
}

int CDravletProtocolTables::GetLoggerRateCode(int rateCode, int /*sensors*/) const
{
    return (rateCode >= 0 && rateCode < 16) ? s_rateToLogger[rateCode] : 0;
}

int CDravletProtocolTables::GetUiRateCode(int loggerCode) const
{
    return (loggerCode >= 0 && loggerCode < 14) ? s_loggerToRate[loggerCode] : 0;
}

int CDravletProtocolTables::MaxRate(int channels) const
{
    return (channels >= 1 && channels <= s_MaxChannels) ? s_maxRate[channels - 1] : 1;
}

const DravletRateInfo& CDravletProtocolTables::RateRecord(int position)
{
    if (position < 0 || position >= s_NumOfRateRecords) return s_rateTable[0];
    return s_rateTable[position];
}

const DravletRateInfo* CDravletProtocolTables::findByRateCode(int rateCode)
{
    for (const DravletRateInfo& r : s_rateTable)
        if (r.rateCode == rateCode) return &r;
    return nullptr;
}

DravletRateInfo CDravletProtocolTables::GetRateInfo(int loggerRate, int channels)
{
    const int rateCode = GetUiRateCode(loggerRate);
    const DravletRateInfo* found = nullptr;
    if (rateCode == 15) {
        // The fastest rate depends on how many channels share it.
        if (channels >= 1 && channels <= s_MaxChannels) found = &s_rateTable[channels - 1];
    } else if (rateCode != 0) {
        found = findByRateCode(rateCode);
    }
    if (!found) return *findByRateCode(6);
    m_CurrentRateInfo = *found;
    return m_CurrentRateInfo;
}

void CDravletProtocolTables::UpdateRateInfo(uint8_t timerCount, uint8_t timerReload, uint16_t ticks)
{
    for (const DravletRateInfo& r : s_rateTable) {
        if (r.timerCount == timerCount && r.timerReload == timerReload && r.ticks == ticks) {
            m_CurrentRateInfo = r;
            return;
        }
    }
    m_CurrentRateInfo = *findByRateCode(10);
}

ExperimentInterval CDravletProtocolTables::GetLoggertExperimentInterval(int rate, int channels) const
{
    ExperimentInterval e;
    if (rate == 15) {
        if (channels >= 1 && channels <= s_MaxChannels) {
            const double perSecond = MaxRate(channels);
            e.m_PeriodSec = 1.0 / perSecond;
            e.m_PeriodDisplay = 1000.0 / perSecond;
        } else {
            e.m_PeriodSec = 1.0;
            e.m_PeriodDisplay = 1000.0;
        }
        e.m_UnitCode = 0;
        return e;
    }
    if (rate == 12) {
        e.m_PeriodSec = 0.001;
        e.m_PeriodDisplay = 1.0;
        e.m_UnitCode = 0;
        return e;
    }
    const short r = (rate >= -32768 && rate <= 32767) ? short(rate) : short(0);
    const short c = (channels >= -32768 && channels <= 32767) ? short(channels) : short(0);
    return GlobalExperimentInterval(r, c);
}

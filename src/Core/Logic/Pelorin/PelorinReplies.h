#pragma once
// Pelorin wire format, logger to host: the reply payload parsers that fill the logger record and
// the decoding of data-packet rows. Every parser is handed the payload bytes actually received and
// reads nothing beyond them; every count read from the logger is checked against the tables.
#include "Core/Logic/Pelorin/PelorinTypes.h"

namespace Pelorin {

// Gain byte: bit 7 the integer part, bits 0-6 hundredths. Offset byte: bits 0-6 the value, bit 7
// the sign.
float GainOfByte(unsigned char g);
float OffsetOfByte(unsigned char o);

// Each returns false when the payload was too short for its fixed part; fields that were not
// received are left cleared.
bool ParseHelloRes(const unsigned char* p, int n, LoggerRecord& r);
// skipLowChannels: the logger reports channels 0-5 twice (hello version byte 6 equal to 16).
bool ParseStatusRes(const unsigned char* p, int n, bool skipLowChannels, const ICatalogView& catalog,
                    LoggerRecord& r);
bool ParseDownloadDataRes(const unsigned char* p, int n, const ICatalogView& catalog, LoggerRecord& r);
bool ParseKeepAliveRes(const unsigned char* p, int n, LoggerRecord& r);

// How one channel of a row is decoded.
struct DecodeChannel
{
    unsigned short kind = 0;
    bool calibrated = false;
    float gain = 1.0f;
    float offset = 0.0f;
    int width = 2;
};

// Bytes one value of a data kind takes in a row: 2 for the analogue kinds, 4 for the timer,
// counter and echo kinds, 0 for kinds the logger does not send.
int KindWidth(unsigned short kind);

// Which channel table a packet is decoded against.
enum class PacketMode { Live, Snapshot, Download };

// Fills plan[0..channels-1] for a packet; returns the bytes of one row. channels receives the
// channel count, which may exceed kMaxChannels only when the record says so (the caller refuses
// such a packet; the plan holds at most kMaxChannels entries).
int BuildDecodePlan(const LoggerRecord& r, const ICatalogView& catalog, const std::vector<int>& selectedIndex,
                    PacketMode mode, DecodeChannel* plan, int& channels);

// Decodes one row of `channels` values into row (values of kinds without bytes keep what row
// held); returns the bytes consumed.
int DecodeRow(const DecodeChannel* plan, int channels, const unsigned char* data, double* row);

// The channel-table index a packet channel reads (the run's position for a live packet).
inline int TableIndexOf(const LoggerRecord& r, PacketMode mode, int channel)
{
    return mode == PacketMode::Live ? (channel < kMaxPositions ? r.positions[channel] : -1) : channel;
}

}  // namespace Pelorin

#include "Core/Logic/Dravlet/DravletReplies.h"

#include "Core/Logic/Dravlet/DravletFrames.h"

#include <cmath>

// ---------------------------------------------------------------------------------------------
// Replies

namespace DravletReplies {

namespace {
int16_t readS16(const unsigned char* p) { return int16_t(uint16_t((p[0] << 8) | p[1])); }
uint16_t readU16(const unsigned char* p) { return uint16_t((p[0] << 8) | p[1]); }
} // namespace

bool ParseHandshake(const unsigned char* packet, int length, DravletInterfaceState& state)
{
    if (!packet || length < DravletFrames::s_HandshakeLength) return false;
    state.firmwareMajor = packet[0];
    state.firmwareMinor = packet[1];
    state.hardwareMajor = packet[2];
    state.hardwareMinor = packet[3];
    state.firmwareVersion = packet[0] + packet[1] / 100.0;
    state.hardwareVersion = packet[2] + packet[3] / 100.0;
    const int c1 = readS16(packet + 8);
    const int c2 = readS16(packet + 10);
    if (c1 != c2) {
        state.gain = 2048.0 / (c1 - c2);
        state.offset = (2047.0 * c1 - 4095.0 * c2) / (c1 - c2);
        state.calibrated = true;
    } else {
        state.gain = 1.0;
        state.offset = 0.0;
        state.calibrated = false;
    }
    state.triggerMode = 0;
    state.loggerRateCode = 6;
    return true;
}

int ChannelId(const unsigned char* packet, int channel)
{
    if (!packet || channel < 0 || channel >= DravletInterfaceState::s_Channels) return 0xFFF;
    return ((packet[1 + 2 * channel] & 0x0F) << 8) | packet[2 + 2 * channel];
}

namespace {

void identifyChannels(const unsigned char* packet, const CDravletSensorTypes& types,
                      DravletInterfaceState& state)
{
    state.sensorCount = 0;
    for (int& index : state.channelIndex) index = 0;
    const DravletSensorType& entry2 = types.Type(2);
    for (int ch = 0; ch < DravletInterfaceState::s_Channels; ++ch) {
        int id = ChannelId(packet, ch);
        if (id > 4080) break; // no sensor from here on
        if (id >= 151 && id <= 179) id = (entry2.idLow + entry2.idHigh) / 2;
        const int index = types.IndexOfId(id);
        if (index == 0) break; // unknown sensor: the channel stays empty
        state.channelIndex[ch] = index;
        ++state.sensorCount;
    }
}

int chooseZero(int reading, int index, const CDravletSensorTypes& types, const DravletInterfaceState& state)
{
    const DravletSensorType& type = types.Type(index);
    if (index < 1 || !CDravletSensorTypes::IsValidIndex(index) || !type.zeroAllowed) return type.defaultZero;
    const double z = std::trunc(reading * state.gain + state.offset);
    if (!std::isfinite(z)) return type.defaultZero;
    const double distance = std::fabs(z - double(type.defaultZero));
    return distance < 164.0 ? int(z) : type.defaultZero;
}

} // namespace

bool ParseStatus(const unsigned char* packet, int length, const CDravletSensorTypes& types,
                 CDravletProtocolTables& tables, DravletInterfaceState& state)
{
    if (!packet || length < DravletFrames::s_StatusLength) return false;
    state.autoDetect = (packet[0] & 0x01) != 0;
    identifyChannels(packet, types, state);
    tables.UpdateRateInfo(packet[17], packet[18], readU16(packet + 19));
    state.numberOfSamples = readU16(packet + 22);
    state.loggerRateCode = packet[24];
    tables.m_CurrentRateInfo.rateCode = packet[24];
    for (int ch = 0; ch < DravletInterfaceState::s_Channels; ++ch)
        state.zeroConst[ch] = chooseZero(readU16(packet + 29 + 2 * ch), state.channelIndex[ch], types, state);
    state.timingMethod = packet[45];
    state.numberOfGates = packet[46];
    state.timingParameter[0] = packet[47];
    state.timingParameter[1] = packet[48];
    state.triggerLevel = readU16(packet + 49);
    state.triggerMode = packet[51] >> 4;
    state.triggerChannel = packet[51] & 0x0F;
    return true;
}

} // namespace DravletReplies

// ---------------------------------------------------------------------------------------------
// Data packets

namespace DravletData {

uint32_t ReadU32(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

int32_t ReadS32(const unsigned char* p) { return int32_t(ReadU32(p)); }

int SamplesPerPacket(int loggerRateCode, const DravletRateInfo& current)
{
    if (loggerRateCode == CDravletProtocolTables::s_FastLoggerRate) return current.samplesPerPacket;
    return 1;
}

namespace {
int widthOf(uint16_t word)
{
    switch (word) {
    case 0x1000: return 2;
    case 0x2000:
    case 0x3000:
    case 0x4000: return 4;
    default: return 0;
    }
}

int channelsToRead(const DravletInterfaceState& state)
{
    int n = state.sensorCount;
    if (n < 0) n = 0;
    return n > DravletInterfaceState::s_Channels ? DravletInterfaceState::s_Channels : n;
}
} // namespace

int SampleWidth(const DravletInterfaceState& state, const CDravletSensorTypes& types)
{
    int width = 0;
    for (int ch = 0; ch < channelsToRead(state); ++ch) width += widthOf(types.Type(state.channelIndex[ch]).interfaceWord);
    return width;
}

bool DecodeSample(const unsigned char* packet, int length, int& position,
                  const DravletInterfaceState& state, const CDravletSensorTypes& types, double* values)
{
    if (!packet || !values || position < 0) return false;
    if (position + SampleWidth(state, types) > length) return false;
    int at = position;
    for (int ch = 0; ch < channelsToRead(state); ++ch) {
        const uint16_t word = types.Type(state.channelIndex[ch]).interfaceWord;
        const unsigned char* p = packet + at;
        switch (word) {
        case 0x1000: {
            const int reading = ((p[0] & 0x0F) << 8) | p[1];
            values[ch] = std::trunc(reading * state.gain + state.offset);
            break;
        }
        case 0x2000:
            values[ch] = double(int32_t(ReadU32(p) & 0xFFFFFFF0u)) / s_ClockHz;
            break;
        case 0x3000: values[ch] = double(ReadS32(p)); break;
        case 0x4000: values[ch] = double(ReadS32(p)) / s_ClockHz * 0.5 * 342.0; break;
        default: break; // a type the interface does not read
        }
        at += widthOf(word);
    }
    position = at;
    return true;
}

double CountsToSeconds(uint32_t count) { return double(count) / s_ClockHz; }

double CountDifferenceSeconds(uint32_t later, uint32_t earlier)
{
    const int64_t diff = int64_t(later) - int64_t(earlier);
    return double(diff) / s_ClockHz;
}

} // namespace DravletData

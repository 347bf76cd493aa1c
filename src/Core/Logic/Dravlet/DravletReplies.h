#pragma once
// The Dravlet USB sensor interface's replies, free of ports and threads: the handshake and
// status parsers and the data-packet decoder, with the state they fill. The protocol classes
// call these with their own state; tests and the fuzz target with plain bytes.
#include "Core/Logic/Dravlet/DravletProtocolTables.h"
#include "Core/Logic/Dravlet/DravletSensorTypes.h"

#include <cstdint>

// The interface's state as the handshake and status replies fill it.
struct DravletInterfaceState
{
    static constexpr int s_Channels = 8;

    double firmwareVersion = 0.0;
    double hardwareVersion = 0.0;
    int firmwareMajor = 0, firmwareMinor = 0, hardwareMajor = 0, hardwareMinor = 0;
    bool autoDetect = false;
    int sensorCount = 0;
    int channelIndex[s_Channels] = {};
    int numberOfSamples = 0; // 89: no limit
    int loggerRateCode = 0;
    int zeroConst[s_Channels] = {};
    int timingMethod = 0;
    int numberOfGates = 1;
    unsigned char timingParameter[2] = {};
    int triggerLevel = 0;
    int triggerMode = 0;
    int triggerChannel = 0;
    // Converts a 12-bit reading so that the handshake's two reference counts become 4095 and 2047.
    double gain = 1.0;
    double offset = 0.0;
    bool calibrated = false;
};

namespace DravletReplies {

// Reads the 28 handshake bytes. Returns false (state untouched) when fewer bytes are given.
// When the two reference counts are equal the calibration cannot be formed: readings are then
// used as they come (gain 1, offset 0) and `calibrated` is false.
bool ParseHandshake(const unsigned char* packet, int length, DravletInterfaceState& state);

// Reads the 61 status bytes; returns false (state untouched) when fewer bytes are given.
bool ParseStatus(const unsigned char* packet, int length, const CDravletSensorTypes& types,
                 CDravletProtocolTables& tables, DravletInterfaceState& state);

// The 12-bit sensor id of channel `channel` in a status packet.
int ChannelId(const unsigned char* packet, int channel);

} // namespace DravletReplies

namespace DravletData {

constexpr double s_ClockHz = 24000000.0;
constexpr int s_MaxValues = 32;

// Samples one data packet carries: several only at the interface's fastest rate.
int SamplesPerPacket(int loggerRateCode, const DravletRateInfo& current);

// Bytes one sample of the identified channels occupies in a data packet.
int SampleWidth(const DravletInterfaceState& state, const CDravletSensorTypes& types);

// Decodes the sample that starts at `position` of a packet into values[channel], advancing
// `position`. A sample whose bytes would run past the packet's end is not decoded: false, and
// neither the values nor the position change.
bool DecodeSample(const unsigned char* packet, int length, int& position,
                  const DravletInterfaceState& state, const CDravletSensorTypes& types,
                  double* values);

// Timing clock counts to seconds. The difference of two unsigned counts is taken in a signed
// 64-bit type so that an earlier second value gives a negative time, not a huge one.
double CountsToSeconds(uint32_t count);
double CountDifferenceSeconds(uint32_t later, uint32_t earlier);

uint32_t ReadU32(const unsigned char* p);
int32_t ReadS32(const unsigned char* p);

} // namespace DravletData

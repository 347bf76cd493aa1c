#pragma once
// Byte-level code of the Dravlet USB sensor interface, free of ports and threads: the request
// frames, the handshake and status parsers and the data-packet decoder. The protocol classes
// call these with their own state; tests and the fuzz target call them with plain bytes.
#include <QByteArray>
#include <cstdint>

#include "Core/Logic/DravletProtocolTables.h"

class CSensorInfo;

// What the interface code needs of one catalogue entry.
struct DravletSensorType
{
    uint16_t interfaceWord = 0; // 0x1000 analogue, 0x2000 time, 0x3000 count, 0x4000 echo distance
    int idLow = 0;              // reported ids idLow <= id < idHigh belong to the type
    int idHigh = 0;
    bool zeroAllowed = false;
    int defaultZero = 0;
};

// The catalogue seen through the interface's eyes. Every lookup is bounded: an index outside
// the catalogue reads as the empty entry.
class CDravletSensorTypes
{
public:
    static constexpr int s_NumOfTypes = 149;

    CDravletSensorTypes() = default;
    void Load(const CSensorInfo& catalogue);

    const DravletSensorType& Type(int index) const;
    void SetType(int index, const DravletSensorType& type);
    static bool IsValidIndex(int index) { return index >= 0 && index < s_NumOfTypes; }

    // The setup word that describes a type to the interface: its interface word with the middle
    // of its id window in the low twelve bits.
    uint16_t SetupWord(int index) const;
    // Catalogue index 1..148 whose window holds a reported 12-bit id; 0 when none does.
    int IndexOfId(int id) const;

private:
    DravletSensorType m_Types[s_NumOfTypes];
};

namespace DravletFrames {

constexpr unsigned char s_Sync0 = 0xBC;
constexpr unsigned char s_Sync1 = 0x9E;
constexpr unsigned char s_ReplySync0 = 0x3D; // "="
constexpr unsigned char s_ReplySync1 = 0xB7;

constexpr int s_Setup1Length = 31;
constexpr int s_Setup2Length = 10;
constexpr int s_HandshakeLength = 28;
constexpr int s_StatusLength = 61;
constexpr int s_DataPacketLength = 29;
constexpr int s_SnapshotSkipLength = 29;
constexpr int s_CommandRecordLength = 52;
constexpr int s_NoSampleLimit = 89; // a run's number of samples that means "until stopped"

constexpr uint16_t s_NoSensorWord = 0x0FFF;
constexpr uint16_t s_TimingWord = 0x209B;
constexpr uint16_t s_RelayWord = 0x5FFF;

// Interface opcodes of the host's requests.
enum HostOpcode : unsigned char {
    OpRun = 0x01,
    OpStop = 0x02,
    OpSnapshot = 0x03,
    OpStatus = 0x04,
    OpSetup1 = 0x06,
    OpSetup2 = 0x07,
    OpDetect = 0x08,
    OpAutoDetect = 0x0A,
    OpGoodbye = 0x0B,
    OpTimingRun = 0x0C,
    OpRelayOn = 0x0F,
    OpRelayOff = 0x10,
    OpBootLoader = 0xF0
};

extern const unsigned char DravletStopString[4];
extern const unsigned char DravletBootloaderModeString[4];
extern const unsigned char DravletRunString[4];
extern const unsigned char DravletSnapshotString[4];
extern const unsigned char DravletStatusString[4];
extern const unsigned char DravletGoodByeString[4];

QByteArray DetectString();
QByteArray AutoDetect(bool on);
QByteArray TimingRun(int numberOfGates);
// The relay frames exist for trigger channels 0..3 only; any other channel gives an empty frame.
QByteArray TurnOnControlRelay(int triggerChannel);
QByteArray TurnOffControlRelay(int triggerChannel);

// One channel of the setup as the setup frame needs it.
struct ChannelSelection
{
    int catalogueIndex = 0;
    bool hasActiveMeasurement = false;
};

// Builds the 31-byte first setup frame from a command record (52 bytes). Writes back into the
// record the number of active channels (bytes 2-3) and, for event recording, the rate used
// (bytes 4-5). The rate record chosen becomes the tables' current record.
QByteArray Setup1(unsigned char* record, bool autoDetect, const ChannelSelection* channels,
                  int numChannels, const CDravletSensorTypes& types, CDravletProtocolTables& tables);

// The timing method of a timing row (result kind) and column (approach). Pairs outside the
// table, including the unset -1 defaults, give method 0.
int TimingMethod(int row, int column);
int NumberOfGates(int method);
// A timing parameter as the byte the interface takes: 0 when not finite or out of 0..255.
unsigned char TimingParameterByte(double value);

// The 10-byte second setup frame. `method` and `gates` receive what the interface keeps.
QByteArray Setup2(const unsigned char* record, int timingRow, int timingColumn, double parameter1,
                  double parameter2, int& method, int& gates);

} // namespace DravletFrames

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

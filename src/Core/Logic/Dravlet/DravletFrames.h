#pragma once
// The Dravlet USB sensor interface's request frames, free of ports and threads: the protocol
// classes call these with their own state; tests and the fuzz target with plain records.
#include "Core/Logic/Dravlet/DravletProtocolTables.h"
#include "Core/Logic/Dravlet/DravletSensorTypes.h"

#include <QByteArray>
#include <cstdint>

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

#pragma once
// Pelorin wire format, host to logger: the fixed five-byte requests, the built request frames, the
// rate-word table and the packet size. Every builder works on plain values (the setup view, the
// catalogue view) and returns the exact bytes to write.
#include "Core/Logic/Pelorin/PelorinTypes.h"

#include <QByteArray>
#include <QDateTime>

namespace Pelorin {

constexpr unsigned char kHostHead0 = 0xBC;
constexpr unsigned char kHostHead1 = 0x9E;
constexpr unsigned char kDeviceHead0 = 0x3D;  // "="
constexpr unsigned char kDeviceHead1 = 0xB7;

// Opcodes of both directions.
enum Opcode : unsigned char {
    OpRun = 0x01,
    OpStop = 0x02,
    OpStatus = 0x04,
    OpDigitalOut = 0x05,
    OpSetRange = 0x06,
    OpSnapshot = 0x07,
    OpHello = 0x08,
    OpData = 0x09,
    OpGoodbye = 0x0B,
    OpTimingRun = 0x0C,
    OpTimingEvent = 0x0D,
    OpRename = 0x11,
    OpDownload = 0x12,
    OpShutdown = 0x14,
    OpKeepAlive = 0x15,
    OpStoredRunEnded = 0x16,
    OpUartOpen = 0x22,
    OpUartClose = 0x23,
    OpUartSend = 0x24,
    OpUartRead = 0x25,
    OpSendLog = 0x27,
    OpSetCalibration = 0x40,
    OpWriteSensorId = 0x42,
    OpBootEnter = 0xF0,
    OpBootInfo = 0xF2,
    OpBootBlock = 0xF3,
    OpBootLeave = 0xF4
};

// The fixed requests: 0xBC 0x9E 0x01 opcode 0x00, written whole (the trailing 0x00 lies outside the
// frame). The shutdown constant carries the logger's own frame head.
extern const unsigned char PelorinGoodByeString[5];
extern const unsigned char PelorinStopString[5];
extern const unsigned char PelorinStatusString[5];
extern const unsigned char PelorinOpenUartBridgeString[5];
extern const unsigned char PelorinCloseUartBridgeString[5];
extern const unsigned char PelorinSendUartBridgeDataString[5];
extern const unsigned char PelorinReadUartBridgeDataString[5];
extern const unsigned char PelorinSendLogString[5];
extern const unsigned char PelorinDownloadDataString[5];
extern const unsigned char PelorinKeepAliveString[5];
extern const unsigned char PelorinEnterBootloaderModeString[5];
extern const unsigned char PelorinShutdownString[5];
constexpr int kFixedRequestSize = 5;

// Largest firmware block of one data-block frame.
constexpr int kBootBlockSize = 1024;

// Rate tables.
quint32 LoggerRateWord(int rateCode, int sensors);
int UiRateCode(quint32 word);
int MaxRate(int sensors);
// Samples per data packet for a rate code and the number of active sensors; at least 1.
int PacketSize(int rateCode, int activeSensors);
// ceil(samples / packetSize), 0 for no samples.
qint32 PacketsExpected(qint64 samples, int packetSize);

// One sensor entry of a run or snapshot request: the channel byte and the configuration byte.
struct RequestEntry
{
    unsigned char channel = 0;
    unsigned char config = 0;
};

// Entries of a run request for the run's sensor positions.
std::vector<RequestEntry> RunEntries(const SetupView& setup, const ICatalogView& catalog,
                                     const std::vector<unsigned char>& positions);
// Entries of a snapshot request: one per status sensor, multi-range plugs folded into one.
std::vector<RequestEntry> SnapshotEntries(const SetupView& setup, const ICatalogView& catalog);
// Byte 13 of a run request.
unsigned char TriggerSensorByte(const SetupView& setup, const ICatalogView& catalog);

struct RunRequest
{
    quint32 rateWord = 0;
    bool offline = false;
    qint64 numberOfSamples = 0;
    int triggerType = 0;
    unsigned char triggerSensor = 0;
    int triggerLevel = 0;
    int packetSize = 1;
    std::vector<RequestEntry> entries;
};

QByteArray BuildHelloReq(const QDateTime& now);
QByteArray BuildRunReq(const RunRequest& run);
QByteArray BuildSnapShotReq(const std::vector<RequestEntry>& entries);
QByteArray BuildSetCalibrationReq(const std::vector<CalibrationEntry>& list);
QByteArray BuildSetSensorRangeReq(const SetupView& setup, const ICatalogView& catalog);
QByteArray BuildWriteSensorIdReq(const SetupView& setup);
// photogates receives the number of photogate entries the request carries.
QByteArray BuildTimingRunReq(const SetupView& setup, const ICatalogView& catalog, int& photogates,
                             unsigned char* gatePositions = nullptr);
QByteArray BuildOpenDigitalOutReq();
QByteArray BuildRenameReq();
QByteArray BuildBootloaderInfoReq(quint32 fileSize);
// n is clamped to 0..1024.
QByteArray BuildBootloaderDataPacketReq(quint16 block, const unsigned char* data, int n);
QByteArray BuildLeaveBootloaderReq(quint16 crc);

// CRC-16 polynomial 0x8005, initial 0, no reflection, no final XOR, continued from crc.
quint16 Crc16Update(quint16 crc, const unsigned char* data, int n);

}  // namespace Pelorin

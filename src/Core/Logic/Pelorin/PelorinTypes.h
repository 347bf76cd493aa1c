#pragma once
// Plain records shared by the Pelorin frame builders, reply parsers, receive machine and row
// decoder. They carry only what the wire format needs, so those parts can be driven (and tested,
// fuzzed, benchmarked) from plain values, while the protocol class fills them from the setup
// record and the sensor catalogue.
#include <QtGlobal>

#include <cstdint>
#include <vector>

namespace Pelorin {

// Fixed sizes of the logger record: the channel table and the row buffer hold at most 32
// channels, a run carries at most 8 sensor positions.
constexpr int kMaxChannels = 32;
constexpr int kMaxPositions = 8;
constexpr int kMaxVariants = 8;
// Catalogue records a Pelorin logger reports by sensor id.
constexpr int kFirstLoggerIndex = 71;
constexpr int kLastLoggerIndex = 148;
constexpr int kCatalogueSize = 149;
// A stored run is downloaded in packets of this many rows.
constexpr int kDownloadPacketRows = 100;

// Data kinds of the catalogue that the protocol looks at.
enum DataKind : unsigned short {
    KindMultiRange = 4,
    KindGeneric = 0x99,
    KindTime = 0x2000,
    KindCount = 0x3000,
    KindEcho = 0x4000,
    KindDigital = 0x1000
};

// What the protocol reads of one catalogue record. The variant ids are the ids of the sibling
// records a multi-range or multi-sensor plug reports: the first four are addressed by bits 2-3 and
// the next four by bits 0-1 of a downloaded sensor id; variantCount counts the first group.
struct SensorTypeView
{
    bool valid = false;
    unsigned short dataKind = 0;
    int sensorId = 0;
    bool loggerCalibration = false;
    int variantCount = 0;
    int variantIds[kMaxVariants] = {};
    int zero = 0;
};

// The catalogue as the protocol sees it. Implemented over CSensorInfo in the running program and
// by small tables in tests.
class ICatalogView
{
public:
    virtual ~ICatalogView() = default;
    // False (and out untouched) for an index outside the catalogue.
    virtual bool TypeAt(int index, SensorTypeView& out) const = 0;
};

// Catalogue index of the first record among 71..148 whose sensor id is id; 0 ("Empty") when none.
int IndexBySensorId(const ICatalogView& catalog, int id);
// Catalogue index of the first record (whole catalogue) whose sensor id is id; -1 when none.
int IndexOfAnySensorId(const ICatalogView& catalog, int id);

// One entry of the logger's channel table (status or download reply).
struct ChannelEntry
{
    int channel = 0;
    int catalogIndex = 0;
    int range = 0;
    float gain = 1.0f;
    float offset = 0.0f;
    float extraA = 0.0f;
    float extraB = 0.0f;
};

// One entry of the first logger status's sensor list: the channel byte the logger reported and
// the catalogue index it maps to.
struct StatusSensor
{
    unsigned char channel = 0;
    int catalogIndex = 0;
};

// One entry of the setup's calibration list.
struct CalibrationEntry
{
    unsigned char channel = 0;
    unsigned char second = 0;
    float first = 0.0f;
    float secondValue = 0.0f;
};

// The fields of the current setup that the requests read.
struct SetupView
{
    int rateCode = 0;
    int numberOfSamples = -1;
    int triggerType = 0;
    int triggerPosition = -1;  // list position of the trigger sensor
    int triggerLevel = 0;
    int rangeChangePosition = 0;
    int rangeValue = 0;
    int idWriteChannel = 0;
    int idWriteCatalogIndex = 0;
    int timingFirst = -1;   // first timing value (result kind)
    int timingSecond = -1;  // second timing value (approach)
    // Catalogue index per list position of the selected-sensor list (the position is the
    // channel) and whether any of its measurements is active.
    std::vector<int> selectedIndex;
    std::vector<bool> selectedActive;
    std::vector<StatusSensor> statusSensors;
    std::vector<CalibrationEntry> calibration;
    // The list positions of the selected non-empty active sensors, at most eight.
    std::vector<unsigned char> RunPositions() const;
};

// What the logger told us about itself (hello, status, download replies) and the run counters.
struct LoggerRecord
{
    bool bootLoader = false;
    unsigned char version[6] = {};
    quint32 helloNumber = 0;
    int helloTwelveA = 0;
    int helloTwelveB = 0;
    unsigned char keepAliveByte = 0;
    unsigned char rateUnit = 0;
    quint32 rateCount = 0;
    qint32 numberOfSamples = 0;
    unsigned char stateByte = 0;
    qint32 storedSamples = 0;
    quint32 packetNumber = 0;
    quint16 samplesPerPacket = 0;
    // Samples per packet the last run request asked for (the headers carry their own counts).
    quint16 runPacketSize = 0;
    qint32 packetCounter = 0;
    qint32 packetsExpected = 0;
    ChannelEntry channels[kMaxChannels];
    int channelCount = 0;
    int downloadChannelCount = 0;
    unsigned char positions[kMaxPositions] = {};
    int positionCount = 0;
    bool offline = false;

    // Clears everything (the start of every detection).
    void Reset() { *this = LoggerRecord(); }
    quint32 RateWord() const { return (quint32(rateUnit) << 24) | (rateCount & 0xFFFFFFu); }
};

// Big-endian readers; the caller has checked the bounds.
inline quint16 ReadU16(const unsigned char* p) { return quint16((p[0] << 8) | p[1]); }
inline quint32 ReadU24(const unsigned char* p) { return (quint32(p[0]) << 16) | (quint32(p[1]) << 8) | p[2]; }
inline quint32 ReadU32(const unsigned char* p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
}

}  // namespace Pelorin

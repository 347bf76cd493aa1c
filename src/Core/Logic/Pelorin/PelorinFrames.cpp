#include "Core/Logic/Pelorin/PelorinFrames.h"

#include <algorithm>
#include <cmath>

namespace Pelorin {

#define PELORIN_FIXED(name, op) const unsigned char name[5] = {kHostHead0, kHostHead1, 0x01, op, 0x00}
PELORIN_FIXED(PelorinGoodByeString, OpGoodbye);
PELORIN_FIXED(PelorinStopString, OpStop);
PELORIN_FIXED(PelorinStatusString, OpStatus);
PELORIN_FIXED(PelorinOpenUartBridgeString, OpUartOpen);
PELORIN_FIXED(PelorinCloseUartBridgeString, OpUartClose);
PELORIN_FIXED(PelorinSendUartBridgeDataString, OpUartSend);
PELORIN_FIXED(PelorinReadUartBridgeDataString, OpUartRead);
PELORIN_FIXED(PelorinSendLogString, OpSendLog);
PELORIN_FIXED(PelorinDownloadDataString, OpDownload);
PELORIN_FIXED(PelorinKeepAliveString, OpKeepAlive);
PELORIN_FIXED(PelorinEnterBootloaderModeString, OpBootEnter);
#undef PELORIN_FIXED
const unsigned char PelorinShutdownString[5] = {kDeviceHead0, kDeviceHead1, 0x01, OpShutdown, 0x00};

int IndexBySensorId(const ICatalogView& catalog, int id)
{
    SensorTypeView t;
    for (int i = kFirstLoggerIndex; i <= kLastLoggerIndex; ++i) {
        if (catalog.TypeAt(i, t) && t.sensorId == id)
            return i;
    }
    return 0;
}

int IndexOfAnySensorId(const ICatalogView& catalog, int id)
{
    SensorTypeView t;
    for (int i = 0; i < kCatalogueSize; ++i) {
        if (catalog.TypeAt(i, t) && t.sensorId == id)
            return i;
    }
    return -1;
}

std::vector<unsigned char> SetupView::RunPositions() const
{
    std::vector<unsigned char> out;
    const size_t n = std::min(selectedIndex.size(), selectedActive.size());
    for (size_t i = 0; i < n && out.size() < size_t(kMaxPositions); ++i) {
        if (selectedIndex[i] != 0 && selectedActive[i])
            out.push_back(static_cast<unsigned char>(i));
    }
    return out;
}

namespace {

struct RateRow
{
    int code;
    quint32 word;
};

constexpr quint32 PerMinute(quint32 n) { return (1u << 24) | n; }
constexpr quint32 PerHour(quint32 n) { return (2u << 24) | n; }

// The fixed part of the table; codes 14 and 15 depend on the sensor count.
const RateRow kRates[] = {
    {0, 0},           {1, PerHour(1)},    {2, PerHour(2)},    {3, PerHour(6)},    {4, PerMinute(1)},
    {5, PerMinute(6)}, {6, 1},            {7, 10},            {8, 25},            {9, 50},
    {10, 100},        {11, 500},          {12, 1000},         {13, 10000},        {67, 5000},
    {68, PerHour(3)}, {69, PerHour(4)},   {70, PerHour(12)},  {71, PerMinute(2)}, {72, PerMinute(3)},
    {73, PerMinute(4)}, {74, PerMinute(12)}, {75, 20},        {76, 30},           {77, 40},
    {78, 60},         {79, 70},           {80, 80},           {81, 90},           {82, 125},
    {83, 150},        {84, 200},          {85, 400},          {86, 600}};

bool TypeOf(const ICatalogView& catalog, int index, SensorTypeView& out)
{
    out = SensorTypeView();
    return catalog.TypeAt(index, out);
}

int VariantCount(const SensorTypeView& t)
{
    // Only four variant ids are addressed by the channel's bits; a larger count from the
    // catalogue would read past them.
    return std::clamp(t.variantCount, 0, 4);
}

int SelectedIndexAt(const SetupView& setup, int position)
{
    if (position < 0 || position >= int(setup.selectedIndex.size()))
        return 0;
    return setup.selectedIndex[size_t(position)];
}

void AppendU16(QByteArray& a, quint32 v)
{
    a.append(char((v >> 8) & 0xFF));
    a.append(char(v & 0xFF));
}

QByteArray Head(unsigned char length, unsigned char opcode)
{
    QByteArray a;
    a.reserve(32);
    a.append(char(kHostHead0));
    a.append(char(kHostHead1));
    a.append(char(length));
    a.append(char(opcode));
    return a;
}

}  // namespace

quint32 LoggerRateWord(int rateCode, int sensors)
{
    if (rateCode == 14 || rateCode == 15)
        return (sensors >= 1 && sensors <= 10) ? quint32(100000 / sensors) : 10000u;
    for (const RateRow& r : kRates) {
        if (r.code == rateCode)
            return r.word;
    }
    return 0;
}

int UiRateCode(quint32 word)
{
    if (word == 100000)
        return 14;
    for (const RateRow& r : kRates) {
        if (r.word == word)
            return r.code;
    }
    // Rates 14 and 15 divide 100000 among the sensors.
    if (word >= 10001 && word <= 99999)
        return 15;
    return 0;
}

int MaxRate(int sensors) { return 100000 / std::max(1, sensors); }

int PacketSize(int rateCode, int activeSensors)
{
    int base = 0;
    switch (rateCode) {
    case 9: base = 50; break;
    case 10: base = 100; break;
    case 11: base = 500; break;
    case 12: base = 1000; break;
    case 13: base = 10000; break;
    case 14:
    case 15: base = 100000; break;
    case 67: base = 5000; break;
    default: return 1;
    }
    // A packet must carry at least one sample: a size of 0 would make the logger's packet count
    // (and ours) meaningless.
    const int size = base / 25 / std::max(1, activeSensors);
    return std::clamp(size, 1, 0xFFFF);
}

qint32 PacketsExpected(qint64 samples, int packetSize)
{
    if (samples <= 0)
        return 0;
    const qint64 size = std::max(1, packetSize);
    return qint32(std::min<qint64>((samples + size - 1) / size, 0x7FFFFFFF));
}

std::vector<RequestEntry> RunEntries(const SetupView& setup, const ICatalogView& catalog,
                                     const std::vector<unsigned char>& positions)
{
    std::vector<RequestEntry> out;
    size_t j = 0;
    while (j < positions.size()) {
        const int pos = positions[j];
        RequestEntry e;
        e.channel = pos < int(setup.statusSensors.size()) ? setup.statusSensors[size_t(pos)].channel
                                                         : static_cast<unsigned char>(pos);
        SensorTypeView t;
        TypeOf(catalog, SelectedIndexAt(setup, pos), t);
        size_t consumed = 1;
        if (t.dataKind == KindCount) {
            e.config = 2;
        } else if (t.dataKind == KindGeneric) {
            e.config = 0;
        } else if (t.dataKind == KindMultiRange) {
            // The sibling measurements of one plug follow each other; they go out as one entry.
            const int count = VariantCount(t);
            for (int k = 0; k < count && j + size_t(k) < positions.size(); ++k) {
                SensorTypeView tk;
                TypeOf(catalog, SelectedIndexAt(setup, positions[j + size_t(k)]), tk);
                if ((tk.sensorId & 0xFF0) == t.variantIds[k]) {
                    e.config = static_cast<unsigned char>(e.config | 0x04 | (0x10 << k));
                    consumed = std::max(consumed, size_t(k) + 1);
                } else if (k > 0) {
                    break;
                }
            }
        } else {
            e.config = static_cast<unsigned char>(t.dataKind & 0xFF);
        }
        out.push_back(e);
        j += consumed;
    }
    return out;
}

std::vector<RequestEntry> SnapshotEntries(const SetupView& setup, const ICatalogView& catalog)
{
    std::vector<RequestEntry> out;
    size_t i = 0;
    while (i < setup.statusSensors.size()) {
        RequestEntry e;
        e.channel = setup.statusSensors[i].channel;
        SensorTypeView t;
        TypeOf(catalog, setup.statusSensors[i].catalogIndex, t);
        size_t step = 1;
        if (t.dataKind == KindMultiRange) {
            const int count = VariantCount(t);
            for (int k = 0; k < count; ++k)
                e.config = static_cast<unsigned char>(e.config | 0x04 | (0x10 << k));
            step = size_t(std::max(count, 1));
        } else if (t.dataKind != KindGeneric) {
            e.config = static_cast<unsigned char>(t.dataKind & 0xFF);
        }
        out.push_back(e);
        i += step;
    }
    return out;
}

unsigned char TriggerSensorByte(const SetupView& setup, const ICatalogView& catalog)
{
    if (setup.triggerType != 1 && setup.triggerType != 2)
        return 0;
    const int pos = setup.triggerPosition;
    if (pos < 0 || pos >= int(setup.statusSensors.size()))
        return 0;
    const unsigned char channel = setup.statusSensors[size_t(pos)].channel;
    SensorTypeView t;
    TypeOf(catalog, SelectedIndexAt(setup, pos), t);
    if (t.dataKind != KindMultiRange)
        return channel;
    const int count = VariantCount(t);
    for (int k = 0; k < count; ++k) {
        if (t.variantIds[k] == (t.sensorId & 0xFF0))
            return static_cast<unsigned char>(channel | 0x20 | (0x40 * k));
    }
    return 0;
}

QByteArray BuildHelloReq(const QDateTime& now)
{
    QByteArray a = Head(0x08, OpHello);
    const QDate d = now.date();
    const QTime t = now.time();
    a.append(char(d.day()));
    a.append(char(d.month()));
    a.append(char(d.year() & 0xFF));
    a.append(char(t.hour()));
    a.append(char(t.minute()));
    a.append(char(t.second()));
    a.append(char(0x00));
    return a;
}

QByteArray BuildRunReq(const RunRequest& run)
{
    // The length byte must hold 16 + 2n.
    const size_t n = std::min<size_t>(run.entries.size(), 119);
    QByteArray a = Head(static_cast<unsigned char>(16 + 2 * n), OpRun);
    const quint32 w = run.rateWord;
    a.append(char(w >> 24));
    a.append(char(w >> 16));
    a.append(char(w >> 8));
    a.append(char(w));
    a.append(char(run.offline ? 1 : 0));
    const quint32 samples = quint32(std::clamp<qint64>(run.numberOfSamples, 0, 0xFFFFFF));
    a.append(char(samples >> 16));
    a.append(char(samples >> 8));
    a.append(char(samples));
    const bool trigger = run.triggerType == 1 || run.triggerType == 2;
    a.append(char(trigger ? run.triggerType : 0));
    a.append(char(trigger ? run.triggerSensor : 0));
    AppendU16(a, trigger ? quint32(run.triggerLevel) : 0u);
    AppendU16(a, quint32(run.packetSize));
    a.append(char(n));
    for (size_t i = 0; i < n; ++i) {
        a.append(char(run.entries[i].channel));
        a.append(char(run.entries[i].config));
    }
    return a;
}

QByteArray BuildSnapShotReq(const std::vector<RequestEntry>& entries)
{
    const size_t n = std::min<size_t>(entries.size(), 119);
    QByteArray a = Head(static_cast<unsigned char>(16 + 2 * n), OpSnapshot);
    a.append(QByteArray(12, '\0'));
    AppendU16(a, 1);
    a.append(char(n));
    for (size_t i = 0; i < n; ++i) {
        a.append(char(entries[i].channel));
        a.append(char(entries[i].config));
    }
    return a;
}

QByteArray BuildSetCalibrationReq(const std::vector<CalibrationEntry>& list)
{
    // 4n + 2 must fit the length byte.
    const size_t n = std::min<size_t>(list.size(), 63);
    QByteArray a = Head(static_cast<unsigned char>(4 * n + 2), OpSetCalibration);
    a.append(char(n));
    for (size_t i = 0; i < n; ++i) {
        const CalibrationEntry& e = list[i];
        a.append(char(e.channel));
        a.append(char(e.second));
        // The integer parts travel as one byte each; a value that is not a number sends 0.
        auto byteOf = [](float v) { return std::isfinite(v) ? char(qint64(std::clamp(v, -1e9f, 1e9f)) & 0xFF) : char(0); };
        a.append(byteOf(e.first));
        a.append(byteOf(e.secondValue));
    }
    return a;
}

QByteArray BuildSetSensorRangeReq(const SetupView& setup, const ICatalogView& catalog)
{
    const int p = setup.rangeChangePosition;
    const int listSize = int(setup.statusSensors.size());
    const unsigned char channel = (p >= 0 && p < listSize) ? setup.statusSensors[size_t(p)].channel : 0;
    int changedIndex = SelectedIndexAt(setup, p);
    if (changedIndex == 0 && p >= 0 && p < listSize)
        changedIndex = setup.statusSensors[size_t(p)].catalogIndex;
    SensorTypeView t;
    TypeOf(catalog, changedIndex, t);
    unsigned char range = static_cast<unsigned char>(setup.rangeValue);
    if (t.dataKind == KindMultiRange) {
        const int count = VariantCount(t);
        int k0 = 0;
        for (int k = 0; k < count; ++k) {
            if (t.variantIds[k] == (t.sensorId & 0xFF0)) {
                k0 = k;
                break;
            }
        }
        range = 0;
        for (int k = 0; k < count; ++k) {
            const int q = p - k0 + k;
            if (q < 0 || q >= listSize)
                continue;
            int contribution;
            if (setup.statusSensors[size_t(q)].catalogIndex == changedIndex) {
                contribution = setup.rangeValue;
            } else {
                SensorTypeView tq;
                TypeOf(catalog, setup.statusSensors[size_t(q)].catalogIndex, tq);
                contribution = tq.sensorId & 0x0F;
            }
            range = static_cast<unsigned char>(range | ((contribution << (2 * k)) & 0xFF));
        }
    }
    QByteArray a = Head(0x03, OpSetRange);
    a.append(char(channel));
    a.append(char(range));
    return a;
}

QByteArray BuildWriteSensorIdReq(const SetupView& setup)
{
    QByteArray a = Head(0x05, OpWriteSensorId);
    a.append(char(0x01));
    a.append(char(setup.idWriteChannel));
    AppendU16(a, quint32(setup.idWriteCatalogIndex + 180) & 0xFFFF);
    return a;
}

QByteArray BuildTimingRunReq(const SetupView& setup, const ICatalogView& catalog, int& photogates,
                             unsigned char* gatePositions)
{
    const bool twoGates = setup.timingSecond == 1 || (setup.timingSecond == 2 && setup.timingFirst == 1);
    const int wanted = twoGates ? 2 : 1;
    QByteArray body;
    photogates = 0;
    for (size_t i = 0; i < setup.statusSensors.size() && photogates < wanted; ++i) {
        SensorTypeView t;
        if (!TypeOf(catalog, setup.statusSensors[i].catalogIndex, t))
            continue;
        if (t.sensorId != 0x4A && t.sensorId != 0x4C)
            continue;
        if (gatePositions)
            gatePositions[photogates] = static_cast<unsigned char>(i);
        body.append(char(setup.statusSensors[i].channel));
        body.append(char(0x00));
        body.append(char(0x08));
        body.append(char(0x00));
        ++photogates;
    }
    QByteArray a = Head(static_cast<unsigned char>(6 + 4 * photogates), OpTimingRun);
    a.append(QByteArray(4, '\0'));
    a.append(char(wanted));
    a.append(body);
    return a;
}

QByteArray BuildOpenDigitalOutReq()
{
    QByteArray a = Head(0x03, OpDigitalOut);
    a.append(QByteArray(2, '\0'));
    return a;
}

QByteArray BuildRenameReq() { return Head(0x02, OpRename); }

QByteArray BuildBootloaderInfoReq(quint32 fileSize)
{
    QByteArray a = Head(0x07, OpBootInfo);
    a.append(QByteArray(2, '\0'));
    a.append(char(fileSize >> 24));
    a.append(char(fileSize >> 16));
    a.append(char(fileSize >> 8));
    a.append(char(fileSize));
    return a;
}

QByteArray BuildBootloaderDataPacketReq(quint16 block, const unsigned char* data, int n)
{
    n = data ? std::clamp(n, 0, kBootBlockSize) : 0;
    QByteArray a = Head(0x00, OpBootBlock);
    AppendU16(a, block);
    AppendU16(a, quint32(n));
    a.append(reinterpret_cast<const char*>(data), n);
    return a;
}

QByteArray BuildLeaveBootloaderReq(quint16 crc)
{
    QByteArray a = Head(0x03, OpBootLeave);
    AppendU16(a, crc);
    return a;
}

quint16 Crc16Update(quint16 crc, const unsigned char* data, int n)
{
    for (int i = 0; i < n && data; ++i) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool dataBit = (data[i] >> bit) & 1;
            const bool top = crc & 0x8000;
            crc = quint16(crc << 1);
            if (top != dataBit)
                crc ^= 0x8005;
        }
    }
    return crc;
}

}  // namespace Pelorin

#include "Core/Logic/Pelorin/PelorinReplies.h"

#include "Core/Logic/Pelorin/PelorinFrames.h"

#include <algorithm>

namespace Pelorin {

float GainOfByte(unsigned char g) { return float(g >> 7) + float(g & 0x7F) / 100.0f; }

float OffsetOfByte(unsigned char o)
{
    const float v = float(o & 0x7F);
    return (o & 0x80) ? -v : v;
}

bool ParseHelloRes(const unsigned char* p, int n, LoggerRecord& r)
{
    auto at = [&](int i) -> unsigned char { return (p && i < n) ? p[i] : 0; };
    r.bootLoader = at(0) != 0;
    for (int i = 0; i < 6; ++i)
        r.version[i] = at(1 + i);
    r.helloNumber = (quint32(at(7)) << 24) | (quint32(at(8)) << 16) | (quint32(at(9)) << 8) | at(10);
    r.helloTwelveA = (at(11) & 0x0F) * 256 + at(12);
    r.helloTwelveB = (at(13) & 0x0F) * 256 + at(14);
    return p && n >= 15;
}

namespace {

void AddEntry(LoggerRecord& r, const ChannelEntry& e)
{
    if (r.channelCount < kMaxChannels)
        r.channels[r.channelCount++] = e;
}

// A multi-range plug: one table entry per variant of the record whose sensor id is high * 256.
void AddMultiRangeEntries(LoggerRecord& r, const ICatalogView& catalog, int channel, int high, int low)
{
    const int family = IndexBySensorId(catalog, high * 256);
    SensorTypeView f;
    if (family == 0 || !catalog.TypeAt(family, f))
        return;
    const int count = std::clamp(f.variantCount, 0, 4);
    for (int k = 0; k < count; ++k) {
        ChannelEntry e;
        e.channel = channel;
        e.catalogIndex = IndexBySensorId(catalog, f.variantIds[k] | ((low >> (2 * k)) & 3));
        e.range = 4;
        e.gain = 1.0f;
        e.offset = 0.0f;
        e.extraA = 1.0f;
        e.extraB = 0.0f;
        AddEntry(r, e);
    }
}

}  // namespace

bool ParseStatusRes(const unsigned char* p, int n, bool skipLowChannels, const ICatalogView& catalog,
                    LoggerRecord& r)
{
    r.channelCount = 0;
    if (!p || n < 15)
        return false;
    r.rateUnit = p[1];
    r.rateCount = ReadU24(p + 2);
    r.numberOfSamples = qint32(ReadU32(p + 5));
    r.stateByte = p[9];
    if (r.numberOfSamples < 0) {
        r.numberOfSamples = 500;
        r.rateUnit = 0;
        r.rateCount = 10;
    }
    // Only the entries actually received are read, whatever the count byte claims.
    const int m = std::min<int>(p[14], (n - 15) / 6);
    for (int i = 0; i < m; ++i) {
        const unsigned char* e = p + 15 + 6 * i;
        const int channel = e[0];
        if (skipLowChannels && channel <= 5)
            continue;
        if (e[1] == 0) {
            ChannelEntry c;
            c.channel = channel;
            c.catalogIndex = IndexBySensorId(catalog, e[2]);
            c.range = e[3];
            c.gain = GainOfByte(e[4]);
            c.offset = OffsetOfByte(e[5]);
            AddEntry(r, c);
        } else {
            AddMultiRangeEntries(r, catalog, channel, e[1], e[2]);
        }
    }
    return p[14] == m;
}

namespace {

int DownloadedIndex(const ICatalogView& catalog, int high, int low)
{
    const int id = high * 256 + low;
    if (id < 180)
        return IndexBySensorId(catalog, id);
    if (id < 256)
        return (id - 180) < kCatalogueSize ? id - 180 : 0;
    const int family = IndexBySensorId(catalog, high * 256);
    SensorTypeView f;
    if (family == 0 || !catalog.TypeAt(family, f))
        return 0;
    return IndexBySensorId(catalog, (high * 256) | f.variantIds[(low >> 2) & 3] | f.variantIds[4 + (low & 3)]);
}

}  // namespace

bool ParseDownloadDataRes(const unsigned char* p, int n, const ICatalogView& catalog, LoggerRecord& r)
{
    r.packetCounter = 0;
    r.channelCount = 0;
    r.downloadChannelCount = 0;
    if (!p || n < 17) {
        r.storedSamples = 0;
        r.packetsExpected = 0;
        return false;
    }
    r.packetNumber = ReadU32(p);
    r.storedSamples = qint32(ReadU32(p + 4));
    r.rateUnit = p[8];
    r.rateCount = ReadU24(p + 9);
    r.numberOfSamples = qint32(ReadU32(p + 12));
    r.packetsExpected = PacketsExpected(r.storedSamples, kDownloadPacketRows);
    // The channel count indexes the fixed table: no more than it holds, and no more entries than
    // the bytes received carry.
    const int m = std::min({int(p[16]), (n - 17) / 4, kMaxChannels});
    for (int i = 0; i < m; ++i) {
        const unsigned char* e = p + 17 + 4 * i;
        ChannelEntry c;
        c.channel = i;
        c.catalogIndex = DownloadedIndex(catalog, e[0], e[1]);
        c.range = 4;
        c.extraA = 1.0f;
        if (e[0] == 0) {
            c.gain = GainOfByte(e[2]);
            c.offset = OffsetOfByte(e[3]);
        }
        r.channels[i] = c;
    }
    r.channelCount = m;
    r.downloadChannelCount = m;
    return p[16] == m;
}

bool ParseKeepAliveRes(const unsigned char* p, int n, LoggerRecord& r)
{
    if (!p || n < 1)
        return false;
    r.keepAliveByte = p[0];
    return true;
}

int KindWidth(unsigned short kind)
{
    switch (kind) {
    case 0: case 1: case 2: case 3: case 4: case KindGeneric: case KindDigital:
        return 2;
    case KindTime: case KindCount: case KindEcho:
        return 4;
    default:
        return 0;
    }
}

int BuildDecodePlan(const LoggerRecord& r, const ICatalogView& catalog, const std::vector<int>& selectedIndex,
                    PacketMode mode, DecodeChannel* plan, int& channels)
{
    channels = mode == PacketMode::Live ? r.positionCount
             : mode == PacketMode::Snapshot ? r.channelCount
                                            : r.downloadChannelCount;
    if (channels < 0 || channels > kMaxChannels)
        return 0;
    int rowBytes = 0;
    for (int ch = 0; ch < channels; ++ch) {
        DecodeChannel d;
        const int t = TableIndexOf(r, mode, ch);
        SensorTypeView type;
        if (t >= 0 && t < r.channelCount) {
            const ChannelEntry& e = r.channels[t];
            d.gain = e.gain;
            d.offset = e.offset;
            catalog.TypeAt(e.catalogIndex, type);
            if (type.dataKind == KindGeneric && mode != PacketMode::Download) {
                // A generic input reads as the sensor the user chose for it.
                SensorTypeView chosen;
                const int sel = t < int(selectedIndex.size()) ? selectedIndex[size_t(t)] : 0;
                if (catalog.TypeAt(sel, chosen)) {
                    type = chosen;
                    switch (type.dataKind) {
                    case KindDigital: type.dataKind = 0; break;
                    case KindTime: type.dataKind = 1; break;
                    case KindCount: type.dataKind = 2; break;
                    case KindEcho: type.dataKind = 3; break;
                    default: break;
                    }
                }
            }
        }
        d.kind = type.dataKind;
        d.calibrated = type.loggerCalibration;
        d.width = KindWidth(d.kind);
        plan[ch] = d;
        rowBytes += d.width;
    }
    return rowBytes;
}

int DecodeRow(const DecodeChannel* plan, int channels, const unsigned char* data, double* row)
{
    int at = 0;
    for (int ch = 0; ch < channels; ++ch) {
        const DecodeChannel& d = plan[ch];
        const unsigned char* b = data + at;
        switch (d.width) {
        case 2: {
            const unsigned mask = (d.kind == 1 || d.kind == 3) ? 0xFFFFu : 0x0FFFu;
            const unsigned raw = ReadU16(b) & mask;
            row[ch] = d.calibrated ? double(int(d.offset + d.gain * float(raw))) : double(raw);
            break;
        }
        case 4:
            if (d.kind == KindTime) {
                const qint32 v = qint32((ReadU32(b)) & 0xFFFFFFF0u);
                row[ch] = double(v) / 24000000.0;
            } else if (d.kind == KindCount) {
                row[ch] = double(qint32(ReadU32(b)));
            } else {
                row[ch] = double(ReadU32(b)) / 24000000.0 * 0.5 * 342.0;
            }
            break;
        default:
            break;
        }
        at += d.width;
    }
    return at;
}

}  // namespace Pelorin

// Arbitrary bytes from the Pelorin logger: the receive machine cuts frames, the reply parsers fill
// the logger record, and data packets are decoded against the channel table the stream itself
// set up. Nothing may read outside its buffers, hang or fail a sanitizer check.
#include "Core/Logic/Pelorin/PelorinFrames.h"
#include "Core/Logic/Pelorin/PelorinReplies.h"
#include "Core/Logic/Pelorin/PelorinRxMachine.h"

#include <cstddef>
#include <cstdint>

namespace {

using namespace Pelorin;

// Every kind the decoder knows, on ids 0x40.., plus a two-sensor plug and a multi-range family.
class CFuzzCatalog : public ICatalogView
{
public:
    bool TypeAt(int index, SensorTypeView& out) const override
    {
        if (index < 0 || index >= kCatalogueSize)
            return false;
        static const unsigned short kinds[] = {0, 1, 2, 3, 4, 0x99, 0x1000, 0x2000, 0x3000, 0x4000, 0x5000};
        out = SensorTypeView();
        out.valid = true;
        out.dataKind = kinds[index % 11];
        out.sensorId = index >= kFirstLoggerIndex ? 0x40 + (index - kFirstLoggerIndex) : -1;
        out.loggerCalibration = index % 3 == 0;
        if (index == 140 || index == 141) {
            out.dataKind = 4;
            out.sensorId = index == 140 ? 0x300 : 0x3A0;
            out.variantCount = index == 140 ? 2 : 9;  // 9: more than the channel bits address
            out.variantIds[0] = 0x300;
            out.variantIds[1] = 0x3A0;
            out.variantIds[5] = 0x301;
        }
        return true;
    }
};

class CFuzzSink : public IRxSink
{
public:
    CFuzzCatalog catalog;
    LoggerRecord record;
    std::vector<int> selected;
    PacketMode mode = PacketMode::Live;
    DecodeChannel plan[kMaxChannels];
    int channels = 0;
    double row[kMaxChannels] = {};
    double checksum = 0;

    void OnHello(const unsigned char* p, int n) override { ParseHelloRes(p, n, record); }
    void OnStatus(const unsigned char* p, int n) override
    {
        ParseStatusRes(p, n, record.version[5] == 16, catalog, record);
        mode = PacketMode::Live;
    }
    void OnDownloadReply(const unsigned char* p, int n) override
    {
        ParseDownloadDataRes(p, n, catalog, record);
        mode = PacketMode::Download;
    }
    void OnKeepAlive(const unsigned char* p, int n) override { ParseKeepAliveRes(p, n, record); }
    void OnSnapshotAck() override { mode = PacketMode::Snapshot; }
    void OnTimingEvent(const unsigned char* p, int n) override
    {
        if (n >= 7)
            checksum += double(p[0] & 0x3F) + double(ReadU32(p + 3));
    }
    int DataRowBytes(int& c) override
    {
        const int bytes = BuildDecodePlan(record, catalog, selected, mode, plan, channels);
        c = channels;
        return bytes;
    }
    void OnDataBlock(const unsigned char* p, int rows) override
    {
        int at = 0;
        for (int r = 0; r < rows; ++r) {
            at += DecodeRow(plan, channels, p + at, row);
            checksum += row[0];
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > 65536)
        return 0;
    CFuzzSink sink;
    // The first byte chooses the run's sensor positions (up to 8) and the selected sensors.
    sink.record.positionCount = data[0] & 0x0F;
    for (int i = 0; i < kMaxPositions; ++i)
        sink.record.positions[i] = static_cast<unsigned char>((data[0] >> 4) + i * 3);
    for (int i = 0; i < 40; ++i)
        sink.selected.push_back((data[1] * 7 + i * 13) % 160 - 5);
    CPelorinArraySource source;
    CPelorinRxMachine machine;
    // Fed in uneven chunks, as the serial reader delivers them.
    size_t at = 2;
    size_t chunk = 1;
    while (at < size) {
        const size_t n = std::min(chunk, size - at);
        source.Append(data + at, int(n));
        at += n;
        chunk = chunk * 3 % 97 + 1;
        machine.Run(source, sink);
    }
    machine.Run(source, sink);
    return sink.checksum == 1.2345 ? 1 : 0;
}

// A recorded stream of Pelorin data packets (a four-sensor run at 25000 samples per second and
// sensor) pushed through the receive ring, the receive machine and the row decoding, and, in the
// second benchmark, through conversion and storage in the data store as well.
#include "Core/Logic/PelorinHandler.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

using namespace Pelorin;

namespace {

constexpr int kChannels = 4;
constexpr int kRowsPerPacket = 1000;
constexpr int kPackets = 100;

// Catalogue of four 12-bit analogue sensors on ids 0x10..0x13.
class CBenchCatalog : public ICatalogView
{
public:
    bool TypeAt(int index, SensorTypeView& out) const override
    {
        if (index < 0 || index >= kCatalogueSize)
            return false;
        out = SensorTypeView();
        out.valid = true;
        out.sensorId = index >= 80 && index < 84 ? 0x10 + index - 80 : -1;
        return true;
    }
};

// Counts what reaches the data store.
class CCountingHost : public IPelorinHost
{
public:
    SetupView setup;
    qint64 samples = 0;
    double sum = 0;
    CBenchCatalog catalog;

    const ICatalogView& Catalog() override { return catalog; }
    bool ReadSetup(SetupView& out) override
    {
        out = setup;
        return true;
    }
    void SelectedIndexes(std::vector<int>& out) override { out = setup.selectedIndex; }
    void WriteCalibrationPair(int, float, float) override {}
    void WriteSnapshot(const QList<int>&) override {}
    void WriteDownloadedSamples(int) override {}
    void CreateDataEntries(ILogger*, unsigned char) override {}
    void ConvertAndStoreRows(ILogger*, const double* rows, int rowCount, int count, const unsigned char*, bool) override
    {
        samples += qint64(rowCount) * count;
        sum += rows[0];
    }
    double CalculatePelorinTimingValue(int, qint64, bool, ILogger*, bool&) override { return 0; }
    bool HasTimingBranch() override { return false; }
    bool AppendTimingResult(double, double) override { return false; }
    void InitBeforeRun(ILogger*) override {}
    void UpdateSetupInfoFromCore(ILogger*, const LoggerRecord&) override {}
    void LoggerIdentified(ILogger*, bool) override {}
    void CountRun(bool) override {}
    void ClearControlRelay() override {}
    void KeepAliveReplied() override {}
    void WaitHere(int) override {}
    void ReportPortRemoval(const QString&, quint16, quint16) override {}
    void StopSetupTimers() override {}
    void Announce(PelorinEvent, int) override {}
};

QByteArray Recording()
{
    QByteArray stream = QByteArray::fromHex("3DB7 1C 04 00 00 000064 00000003 00 00000000 04"
                                            "01 00 10 00 00 00 02 00 11 00 00 00 03 00 12 00 00 00 04 00 13 00 00 00");
    stream += QByteArray::fromHex("3DB70101");
    for (int p = 0; p < kPackets; ++p) {
        QByteArray f = QByteArray::fromHex("3DB70709");
        const quint32 n = quint32(p + 1);
        f.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
        f.append(char(kRowsPerPacket >> 8)).append(char(kRowsPerPacket & 0xFF));
        for (int r = 0; r < kRowsPerPacket; ++r)
            for (int c = 0; c < kChannels; ++c) {
                const int v = (r * 7 + c * 300) & 0x0FFF;
                f.append(char(v >> 8)).append(char(v & 0xFF));
            }
        stream += f;
    }
    return stream;
}

class CBenchHandler : public CPelorinProtocolHandler
{
protected:
    void WriteFrame(const QByteArray&) override {}
};

void Setup(SetupView& s)
{
    s.rateCode = 14;
    s.numberOfSamples = kRowsPerPacket * kPackets;
    s.selectedIndex = {80, 81, 82, 83};
    s.selectedActive = {true, true, true, true};
    s.statusSensors = {{1, 80}, {2, 81}, {3, 82}, {4, 83}};
}

// The reader hands the ring at most 8192 bytes at a time; the processor runs after each.
void Push(CPelorinProtocolHandler& h, const QByteArray& stream)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(stream.constData());
    for (int at = 0; at < stream.size(); at += 8192) {
        h.WriteCycliceBuffer(std::min(8192, stream.size() - at), p + at);
        h.ProcessReceivedData();
    }
}

void BM_PelorinDecode(benchmark::State& state)
{
    const QByteArray stream = Recording();
    CCountingHost host;
    Setup(host.setup);
    qint64 total = 0;
    for (auto _ : state) {
        CBenchHandler h;
        h.SetHost(&host);
        CommandParametersStruct run(CmdRun);
        unsigned char unused = 0;
        h.SendCommandHandler(run, unused);
        host.samples = 0;
        Push(h, stream);
        total += host.samples;
        benchmark::DoNotOptimize(host.sum);
    }
    state.counters["samples/s"] = benchmark::Counter(double(total), benchmark::Counter::kIsRate);
    state.counters["samples"] = double(host.samples);
}
BENCHMARK(BM_PelorinDecode)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

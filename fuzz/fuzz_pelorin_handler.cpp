// Arbitrary logger bytes through the whole Pelorin protocol handler (receive ring, machine, reply
// parsing, run and download bookkeeping, row decoding into blocks, snapshots, timing events),
// with a host that accepts everything. The first input bytes choose the setup and the commands
// sent before the stream.
#include "Core/Logic/Pelorin/PelorinProtocolHandler.h"

#include <cstddef>
#include <cstdint>

namespace {

using namespace Pelorin;

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
        out.sensorId = index >= kFirstLoggerIndex ? index - kFirstLoggerIndex : -1;
        out.loggerCalibration = index % 2 == 0;
        out.variantCount = index % 5;
        for (int k = 0; k < kMaxVariants; ++k)
            out.variantIds[k] = (k + 1) * 0x10;
        return true;
    }
};

class CFuzzHost : public IPelorinHost
{
public:
    CFuzzCatalog catalog;
    SetupView setup;
    double sum = 0;

    const ICatalogView& Catalog() override { return catalog; }
    bool ReadSetup(SetupView& out) override
    {
        out = setup;
        return true;
    }
    void SelectedIndexes(std::vector<int>& out) override { out = setup.selectedIndex; }
    void WriteCalibrationPair(int, float g, float o) override { sum += double(g) + double(o); }
    void WriteSnapshot(const QList<int>& v) override { sum += v.size(); }
    void WriteDownloadedSamples(int) override {}
    void CreateDataEntries(ILogger*, unsigned char) override {}
    void ConvertAndStoreRows(ILogger*, const double* rows, int rowCount, int count, const unsigned char* positions,
                             bool) override
    {
        for (int i = 0; i < rowCount * count; ++i)
            sum += rows[i];
        for (int i = 0; positions && i < count; ++i)
            sum += positions[i];
    }
    double CalculateTimingValue(int gate, qint64 time, bool, ILogger*, bool& valid) override
    {
        valid = gate % 2 == 1;
        return double(time % 1000);
    }
    bool HasTimingBranch() override { return true; }
    bool AppendTimingResult(double x, double y) override
    {
        sum += x + y;
        return true;
    }
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

class CFuzzHandler : public CPelorinProtocolHandler
{
protected:
    void WriteFrame(const QByteArray&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4 || size > 65536)
        return 0;
    CFuzzHost host;
    host.setup.rateCode = data[0] % 20;
    host.setup.numberOfSamples = data[1] * 3;
    host.setup.triggerType = data[2] % 3;
    for (int i = 0; i < 10; ++i) {
        host.setup.selectedIndex.push_back((data[1] + i * 17) % 151);
        host.setup.selectedActive.push_back((data[2] >> (i % 8)) & 1);
        host.setup.statusSensors.push_back({static_cast<unsigned char>(i), (data[0] + i * 29) % 151});
    }
    static CFuzzHandler* handler = new CFuzzHandler();  // the ring is large: build it once
    CFuzzHandler& h = *handler;
    h.SetHost(&host);
    h.ClearCyclicCBuffer();
    h.ResetReceiveState();
    h.ResetLoggerInfo();
    h.m_bRunning = false;
    h.m_bDownload = false;
    h.m_bSnapShot = false;
    // The command byte chooses what was asked before the stream.
    static const unsigned char commands[] = {CmdRun, CmdSnapshot, CmdDownload, CmdTimingRun, CmdManualSample, CmdStatus};
    CommandParametersStruct cmd(commands[data[3] % 6]);
    unsigned char unused = 0;
    h.SendCommandHandler(cmd, unused);
    size_t at = 4;
    size_t chunk = 1;
    while (at < size) {
        const size_t n = std::min(chunk, size - at);
        h.WriteCycliceBuffer(int(n), data + at);
        h.ProcessReceivedData();
        at += n;
        chunk = chunk * 5 % 113 + 1;
    }
    h.SetHost(nullptr);
    return host.sum == 0.125 ? 1 : 0;
}

// A recorded stream of Pelorin data packets (a four-sensor run at 25000 samples per second and
// sensor) pushed through the receive ring, the receive machine and the row decoding, and, in the
// second benchmark, through conversion and storage in the data store as well.
#include "../tests/common/PlainLogicContext.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/LogicManager.h"
#include "Core/Logic/Pelorin/PelorinCoreHost.h"
#include "Core/Logic/Pelorin/PelorinProtocolHandler.h"

#include "support/BenchProcess.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QGuiApplication>

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
    double CalculateTimingValue(int, qint64, bool, ILogger*, bool&) override { return 0; }
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

// ---- full pipeline: conversion and storage in the data store
using CBenchContext = CPlainLogicContext;

class CBenchLogger : public CBenchHandler, public ILogger
{
public:
    CBenchLogger() { SetLogger(this); }
    void StartDetection() override {}
    void ExecuteHalvorenCmd(short) override {}
    void SendCmd(CommandParametersStruct, bool) override {}
    void SendStatusReq() override {}
    void SendStopReq() override {}
    bool IsComInitilazied() override { return true; }
    bool IsConnected() override { return true; }
    bool IsRunning() override { return m_bRunning; }
    bool IsFirmwareBusy() override { return false; }
    bool IsAutoDetectMode() override { return true; }
    int GetNumberOfSensors() override { return m_Logger.channelCount; }
    int GetLoggerSensorList(unsigned char* l) override { return LoggerSensorList(l); }
    int GetActiveSensorListIndex(unsigned char* l) override { return ActiveSensorListIndex(l); }
    int GetNumberOfSamples() override { return m_Logger.numberOfSamples; }
    int GetSampleRateCode() override { return int(m_Logger.RateWord()); }
    int GetNumberOfSamples(unsigned char) override { return 0; }
    int GetNumberOfSamplesCode(int) override { return 3; }
    int GetLoggerRateCode(int r, int s) override { return CPelorinProtocolTables::GetLoggerRateCode(r, s); }
    int GetUiRateCode(int w) override { return CPelorinProtocolTables::GetUiRateCode(w); }
    int GetMaxRate(short s) override { return MaxRate(s); }
    ExperimentInterval GetExperimentInterval(short r, short s) override { return GetLoggertExperimentInterval(r, s); }
    double GetZeroConst(int, int) override { return 0.0; }
    const char* GetName() override { return nullptr; }
    double GetType() override { return 70.0; }
    int GetPortNumber() override { return 0; }
    void GetVersion(int& a, int& b, int& c, int& d, int& e, int& f) override { Version(a, b, c, d, e, f); }
    void Exit() override {}
    int GetExpirmentType() override { return m_ExperimentType; }
};

// Four voltage sensors (catalogue 87, id 11, analogue, logger calibration) as the setup selects
// them; the recording reports the same ids.
QByteArray FullRecording()
{
    QByteArray stream = Recording();
    // Same stream, with the status reply naming catalogue ids 11 (voltage) on all four channels.
    const QByteArray ids = QByteArray::fromHex("0B");
    for (int i = 0; i < 4; ++i)
        stream[15 + 4 + 6 * i + 2] = ids[0];
    return stream;
}


void BM_PelorinConvertAndStore(benchmark::State& state)
{
    EnsureOffscreenGuiApplication();
    const QByteArray stream = FullRecording();
    CBenchContext context;
    CLogicManager logic(nullptr, &context);
    logic.m_SensorInfo.LoadSensorInfo();
    QList<CSesnorProperties*> sensors;
    for (int c = 0; c < kChannels; ++c) {
        auto* s = new CSesnorProperties;
        s->m_Channel = c;
        s->m_SensorIndex = 87;
        auto* m = new CMeasurementSetup;
        m->m_bActive = true;
        s->m_MeasurementList << m;
        sensors << s;
    }
    context.m_Setup.m_SelectedSensorList = sensors;
    context.m_Setup.m_RateCode = 14;
    context.m_Setup.m_NumberOfSamples = kRowsPerPacket * kPackets;
    CPelorinCoreHost host(&logic);
    qint64 total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        logic.m_DataManager.ClearAllData();
        CBenchLogger h;
        h.SetHost(&host);
        CommandParametersStruct run(CmdRun);
        unsigned char unused = 0;
        h.SendCommandHandler(run, unused);
        state.ResumeTiming();
        Push(h, stream);
        const CDataFolder* folder = logic.m_DataManager.GetLastDataFolder();
        const qint64 stored = folder && folder->GetNumberBranches() > 0
                                  ? qint64(logic.m_DataManager.GetDataBranch(folder->GetBranchKey(0))->GetXSize()) * kChannels
                                  : 0;
        total += stored;
        state.counters["samples"] = double(stored);
    }
    state.counters["samples/s"] = benchmark::Counter(double(total), benchmark::Counter::kIsRate);
    qDeleteAll(sensors);
}
BENCHMARK(BM_PelorinConvertAndStore)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// A recorded Dravlet stream pushed through the receive ring and the protocol handler: a
// two-sensor run at the interface's fastest rate (seven samples of both channels a packet),
// with line noise and frames of unknown opcodes between the packets, as a long run brings them.
// The first benchmark counts the rows the handler hands over; the second feeds noise alone, so
// the hunt for the frame head is what is measured.
#include "Core/Logic/Dravlet/DravletProtocolHandler.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

#include <algorithm>

namespace {

constexpr int kPackets = 20000;

// Counts what reaches the data store; everything else is accepted and forgotten.
class CCountingHost : public IDravletHost
{
public:
    DravletSetupView setup;
    qint64 rows = 0;
    double sum = 0;

    DravletSetupView ReadSetup() override { return setup; }
    void CreateDataEntries(int) override {}
    void InitBeforeRun() override { rows = 0; }
    void ConvertAndStoreRows(const double* block, int rowCount, int, const unsigned char*) override
    {
        rows += rowCount;
        sum += block[0];
    }
    void ConvertAndStoreLastOnlineSamples(int, const unsigned char*) override {}
    qint64 SamplesStored() override { return rows; }
    double CalculateTimingValue(unsigned char, double, double, double, double, double) override { return 0.0; }
    bool AppendTimingResult(double, double) override { return false; }
    void LoggerIdentified(bool) override {}
    bool HasTimingBranch() override { return false; }
    void UpdateSetupInfoFromCore() override {}
    void RequestFirmwareUpload() override {}
    void WriteSnapshot(const QList<int>&) override {}
    bool RelayOn() override { return false; }
    void SetRelayOn(bool) override {}
    int PreviousEventValue() override { return -1; }
    void SetPreviousEventValue(int) override {}
    void SetLastTimingRun() override {}
    QString LastPort() override { return QString(); }
    bool LastPortKnown() override { return false; }
    void SetLastPort(const QString&) override {}
    void SetLastPortKnown(bool) override {}
    void SaveSettings() override {}
    void UpdateSensorsInfo() override {}
    void SendSetupCmd(bool) override {}
    void SendRunCmd(bool) override {}
    void SendTimingRunCmd(bool) override {}
    void SendManualSampleCmd(bool) override {}
    ExperimentRunMode RunMode() override { return ExperimentRunMode(0); }
    void Announce(DravletEvent, int) override {}
};

class CBenchHandler : public CDravletProtocolHandler
{
public:
    CBenchHandler() { m_StopDelayMs = 0; }

protected:
    bool WriteFrame(const unsigned char*, int) override { return true; }
};

QByteArray Frame(unsigned char opcode, const QByteArray& payload = QByteArray())
{
    QByteArray f;
    f.append(char(0x3D)).append(char(0xB7)).append(char(opcode)).append(payload);
    return f;
}

QByteArray Handshake()
{
    QByteArray p(28, '\0');
    p[0] = 2; p[1] = 5; p[2] = 1; p[3] = 3;
    p[8] = char(0x0F); p[9] = char(0xFF);
    p[10] = char(0x07); p[11] = char(0xFF);
    return QByteArray(1, '\0') + p;
}

// Two sensors plugged, the fastest logger rate, no sample limit.
QByteArray Status()
{
    QByteArray p(61, '\0');
    p[0] = 1;
    const int ids[2] = {110, 130};
    for (int ch = 0; ch < 8; ++ch) {
        const int id = ch < 2 ? ids[ch] : 0xFFF;
        p[1 + 2 * ch] = char(id >> 8);
        p[2 + 2 * ch] = char(id & 0xFF);
    }
    const DravletRateInfo r = CDravletProtocolTables::RateRecord(1);
    p[17] = char(r.timerCount); p[18] = char(r.timerReload);
    p[19] = char(r.ticks >> 8); p[20] = char(r.ticks & 0xFF);
    p[23] = char(DravletFrames::s_NoSampleLimit);
    p[24] = 10;
    for (int ch = 0; ch < 8; ++ch) p[29 + 2 * ch] = 0x08;
    p[46] = 1;
    return p;
}

QByteArray Packet(int n)
{
    QByteArray p(29, '\0');
    for (int at = 1; at + 2 <= 29; at += 2) {
        const int v = (n * 7 + at * 100) & 0x0FFF;
        p[at] = char(v >> 8);
        p[at + 1] = char(v & 0xFF);
    }
    return p;
}

// Every sixteenth packet comes after a few bytes of noise and a frame nobody knows.
QByteArray RunRecording()
{
    QByteArray stream;
    for (int n = 0; n < kPackets; ++n) {
        if (n % 16 == 15)
            stream += QByteArray::fromHex("00ff3d41b7") + Frame(0x55);
        stream += Frame(0x09, Packet(n));
    }
    return stream;
}

QByteArray NoiseRecording()
{
    QByteArray stream(kPackets * 32, '\0');
    for (int i = 0; i < stream.size(); ++i)
        stream[i] = char((i * 131 + 17) % 253 == 0x3D ? 0x3D : (i * 131 + 17) % 251);
    return stream;
}

// The reader hands the ring at most 4096 bytes at a time; the processor drains after each.
void Push(CDravletProtocolHandler& h, const QByteArray& stream, CommandParametersStruct& current)
{
    const auto* p = reinterpret_cast<const unsigned char*>(stream.constData());
    for (int at = 0; at < stream.size(); at += 4096) {
        h.WriteCycliceBuffer(std::min(4096, stream.size() - at), p + at);
        while (h.SomethingInCycliceBufferFunction())
            h.DataReceivedHandler(current);
    }
}

CDravletSensorTypes Types()
{
    CDravletSensorTypes t;
    t.SetType(5, {0x1000, 100, 120, true, 2048});
    t.SetType(6, {0x1000, 120, 140, true, 2048});
    return t;
}

void Connect(CBenchHandler& h, CCountingHost& host)
{
    host.setup.numChannels = 2;
    host.setup.activeCount = 2;
    for (int ch = 0; ch < 2; ++ch) {
        host.setup.channels[ch] = {5 + ch, true};
        host.setup.activePositions[ch] = static_cast<unsigned char>(ch);
    }
    h.SetHost(&host);
    h.SensorTypes() = Types();
    CommandParametersStruct status(CmdStatus);
    Push(h, Frame(0x08, Handshake()) + Frame(0x04, Status()) + Frame(0x04, Status()), status);
    CommandParametersStruct run(CmdRun);
    unsigned char reply = 0;
    h.SendCommandHandler(run, reply);
    Push(h, Frame(0x01), run);
}

void BM_DravletRun(benchmark::State& state)
{
    const QByteArray stream = RunRecording();
    CCountingHost host;
    qint64 total = 0;
    for (auto _ : state) {
        CBenchHandler h;
        Connect(h, host);
        CommandParametersStruct run(CmdRun);
        Push(h, stream, run);
        total += host.rows;
        benchmark::DoNotOptimize(host.sum);
    }
    state.counters["rows/s"] = benchmark::Counter(double(total), benchmark::Counter::kIsRate);
    state.counters["rows"] = double(host.rows);
    state.SetBytesProcessed(int64_t(state.iterations()) * stream.size());
}
BENCHMARK(BM_DravletRun)->Unit(benchmark::kMillisecond);

void BM_DravletHunt(benchmark::State& state)
{
    const QByteArray stream = NoiseRecording();
    CCountingHost host;
    CBenchHandler h;
    h.SetHost(&host);
    CommandParametersStruct current(CmdStatus);
    for (auto _ : state)
        Push(h, stream, current);
    state.SetBytesProcessed(int64_t(state.iterations()) * stream.size());
}
BENCHMARK(BM_DravletHunt)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

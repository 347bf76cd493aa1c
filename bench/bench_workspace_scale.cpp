// Loading time against the number of records: workspace files of 1k to 64k runs, and older
// files of 1k to 64k folder or branch records, read by the loader itself into a data store
// (windows and the history tree left out). The counter us_per_record should stay flat.
#include <benchmark/benchmark.h>

#include "../tests/workspace/support/FakeWorkspaceHost.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "workspace/WorkspaceLoader.h"
#include "workspace/WorkspaceSaver.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

namespace {

QString scratchPath(const char* name)
{
    static QTemporaryDir dir;
    return dir.filePath(QString::fromLatin1(name));
}

// runs runs of two series of ten samples each, as the saver writes them.
QString writeRuns(int runs)
{
    const QString path = scratchPath("runs.kvb");
    CFakeWorkspaceHost host;
    const double x[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (int r = 0; r < runs; ++r) {
        CDataFolder* folder = host.m_Data.CreateDataFolder();
        for (int s = 0; s < 2; ++s) {
            const int key = host.m_Data.CreateDataBranch(-1, 0.1, s, 0, folder->m_Key);
            folder->AddBranchKey(key);
            host.m_Data.GetDataBranch(key)->AppendSamples(x, x, 10);
        }
    }
    CWorkspaceSaver::getInstance()->saveWorkspaceToFile(&host, path);
    return path;
}

void appendRecord(QByteArray& data, qint16 tag, quint32 length)
{
    char header[6];
    qToLittleEndian<qint16>(tag, header);
    qToLittleEndian<quint32>(length, header + 2);
    data.append(header, 6);
}

// An older file of one folder record per run, or of one folder holding that many branches.
QByteArray olderFile(int records, bool branches)
{
    QByteArray data = QByteArray::fromHex("0000000000000400");
    if (branches)
        appendRecord(data, 10, 0);
    for (int i = 0; i < records; ++i)
        appendRecord(data, branches ? 8 : 10, 0);
    return data;
}

// An older file of one run with one series of n X and n Y values (16 bytes a sample).
QByteArray olderValues(int n)
{
    QByteArray data = QByteArray::fromHex("0000000000000400");
    appendRecord(data, 10, 0);
    appendRecord(data, 8, 0);
    for (qint16 tag : {qint16(806), qint16(807)}) {
        appendRecord(data, tag, quint32(16 + 8 * n));
        // Marker 1000, four bytes, the count, marker 1001, four bytes, then the values.
        char frame[16] = {};
        qToLittleEndian<qint16>(1000, frame);
        qToLittleEndian<qint32>(n, frame + 6);
        qToLittleEndian<qint16>(1001, frame + 10);
        data.append(frame, 16);
        for (int i = 0; i < n; ++i) {
            char v[8];
            qToLittleEndian<double>(i * 0.25, v);
            data.append(v, 8);
        }
    }
    return data;
}

void report(benchmark::State& state, double seconds, int records)
{
    state.counters["records"] = records;
    state.counters["us_per_record"] = seconds * 1e6 / (double(state.iterations()) * records);
}

void BM_LoadRuns(benchmark::State& state)
{
    const int runs = int(state.range(0));
    const QString path = writeRuns(runs);
    CFakeWorkspaceHost host;
    CWorkspaceLoader loader;
    loader.SetHost(&host);
    double seconds = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        host.m_Data.ClearAllData();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        if (loader.loadWorkspaceFromKvbFile(file) != 0 || host.m_Data.GetNumDataFolders() != runs)
            state.SkipWithError("load failed");
        seconds += clock.nsecsElapsed() * 1e-9;
    }
    report(state, seconds, runs);
}

void BM_ClearRuns(benchmark::State& state)
{
    const int runs = int(state.range(0));
    const QString path = writeRuns(runs);
    CFakeWorkspaceHost host;
    CWorkspaceLoader loader;
    loader.SetHost(&host);
    double seconds = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        loader.loadWorkspaceFromKvbFile(file);
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        host.m_Data.ClearAllData();
        seconds += clock.nsecsElapsed() * 1e-9;
    }
    report(state, seconds, runs);
}

void loadOlder(benchmark::State& state, bool branches)
{
    const int records = int(state.range(0));
    const QByteArray data = olderFile(records, branches);
    CFakeWorkspaceHost host;
    CWorkspaceLoader loader;
    loader.SetHost(&host);
    double seconds = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        host.m_Data.ClearAllData();
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        if (loader.loadPvxData(data) != 0)
            state.SkipWithError("load failed");
        seconds += clock.nsecsElapsed() * 1e-9;
    }
    report(state, seconds, records);
}

void BM_LoadOlderFolders(benchmark::State& state)
{
    loadOlder(state, false);
}

void BM_LoadOlderBranches(benchmark::State& state)
{
    loadOlder(state, true);
}

// Older files of 1 M to 16 M bytes of samples: the time per sample should stay flat.
void BM_LoadOlderValues(benchmark::State& state)
{
    const int n = int(state.range(0));
    const QByteArray data = olderValues(n);
    CFakeWorkspaceHost host;
    CWorkspaceLoader loader;
    loader.SetHost(&host);
    double seconds = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        host.m_Data.ClearAllData();
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        if (loader.loadPvxData(data) != 0 || host.m_Data.GetDataBranchByIndex(0)->GetNumSamples() != n)
            state.SkipWithError("load failed");
        seconds += clock.nsecsElapsed() * 1e-9;
    }
    state.counters["MB"] = data.size() / 1e6;
    state.counters["ns_per_sample"] = seconds * 1e9 / (double(state.iterations()) * n);
}

} // namespace

BENCHMARK(BM_LoadOlderValues)->RangeMultiplier(4)->Range(1 << 16, 1 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadRuns)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Arg(40000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ClearRuns)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadOlderFolders)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadOlderBranches)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

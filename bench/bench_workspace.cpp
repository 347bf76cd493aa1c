// Saving and loading a workspace of 10 runs x 8 series against writing and reading the same
// number of bytes with a plain QFile, in the same process and on the same disk; and a load
// paired with a plain read of the same file in every iteration (BM_LoadAgainstPlainRead).
#include <benchmark/benchmark.h>

#include "../tests/workspace/support/FakeWorkspaceHost.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "workspace/WorkspaceLoader.h"
#include "workspace/WorkspaceSaver.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace {

constexpr int Runs = 10;
constexpr int SeriesPerRun = 8;

void fill(CDataManager& dm, int samples)
{
    std::vector<double> x(static_cast<size_t>(samples)), y(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i) {
        x[size_t(i)] = i * 0.001;
        y[size_t(i)] = (i % 977) * 0.25;
    }
    for (int r = 0; r < Runs; ++r) {
        CDataFolder* folder = dm.CreateDataFolder();
        for (int s = 0; s < SeriesPerRun; ++s) {
            const int key = dm.CreateDataBranch(-1, 0.001, s, 0, folder->m_Key);
            folder->AddBranchKey(key);
            dm.GetDataBranch(key)->AppendSamples(x.data(), y.data(), samples);
        }
    }
}

QString workspacePath()
{
    static QTemporaryDir dir;
    return dir.filePath("bench.kvb");
}

size_t storeBytes(const CDataManager& dm)
{
    size_t bytes = 0;
    for (int i = 0; i < dm.GetNumDataBranches(); ++i)
        bytes += dm.GetDataBranchByIndex(i)->SampleBytesReserved();
    return bytes;
}

void BM_SaveWorkspace(benchmark::State& state)
{
    CFakeWorkspaceHost host;
    fill(host.m_Data, int(state.range(0)));
    for (auto _ : state)
        if (CWorkspaceSaver::getInstance()->saveWorkspaceToFile(&host, workspacePath()) != 0)
            state.SkipWithError("save failed");
    state.SetBytesProcessed(state.iterations() * QFile(workspacePath()).size());
}

void BM_LoadWorkspace(benchmark::State& state)
{
    {
        CFakeWorkspaceHost writer;
        fill(writer.m_Data, int(state.range(0)));
        CWorkspaceSaver::getInstance()->saveWorkspaceToFile(&writer, workspacePath());
    }
    CFakeWorkspaceHost host;
    CWorkspaceLoader loader;
    loader.SetHost(&host);
    for (auto _ : state) {
        // Freeing the previous workspace is the clearing's cost, not the reading's.
        state.PauseTiming();
        host.m_Data.ClearAllData();
        QFile file(workspacePath());
        file.open(QIODevice::ReadOnly);
        state.ResumeTiming();
        if (loader.loadWorkspaceFromKvbFile(file) != 0)
            state.SkipWithError("load failed");
    }
    const double samples = double(Runs) * SeriesPerRun * double(state.range(0));
    state.counters["store_bytes_per_sample"] = double(storeBytes(host.m_Data)) / samples;
    state.SetBytesProcessed(state.iterations() * QFile(workspacePath()).size());
}

// The same number of bytes as the workspace, written and read in 1 MiB blocks.
qint64 workspaceBytes(int samples)
{
    return qint64(Runs) * SeriesPerRun * 2 * 8 * qint64(samples);
}

void writePlain(qint64 total)
{
    const QByteArray block(1 << 20, 'k');
    QFile file(workspacePath() + ".plain");
    file.open(QIODevice::WriteOnly);
    for (qint64 done = 0; done < total; done += block.size())
        file.write(block.constData(), qMin<qint64>(block.size(), total - done));
}

void BM_PlainWrite(benchmark::State& state)
{
    const qint64 total = workspaceBytes(int(state.range(0)));
    for (auto _ : state)
        writePlain(total);
    state.SetBytesProcessed(state.iterations() * total);
}

void BM_PlainRead(benchmark::State& state)
{
    QByteArray block(1 << 20, '\0');
    const qint64 total = workspaceBytes(int(state.range(0)));
    writePlain(total);
    for (auto _ : state) {
        QFile file(workspacePath() + ".plain");
        file.open(QIODevice::ReadOnly);
        qint64 done = 0;
        while (done < total) {
            const qint64 n = file.read(block.data(), block.size());
            if (n <= 0)
                break;
            done += n;
        }
        benchmark::DoNotOptimize(block.data());
    }
    state.SetBytesProcessed(state.iterations() * total);
}

} // namespace

BENCHMARK(BM_PlainWrite)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveWorkspace)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
// Reading into memory allocated for the purpose, as a load must: the price of the pages alone.
void BM_PlainReadIntoNewMemory(benchmark::State& state)
{
    const qint64 total = workspaceBytes(int(state.range(0)));
    writePlain(total);
    for (auto _ : state) {
        std::vector<std::unique_ptr<char[]>> blocks;
        QFile file(workspacePath() + ".plain");
        file.open(QIODevice::ReadOnly);
        for (qint64 done = 0; done < total; done += 1 << 20) {
            blocks.emplace_back(new char[1 << 20]);
            file.read(blocks.back().get(), 1 << 20);
        }
        benchmark::DoNotOptimize(blocks.data());
        state.PauseTiming();
        blocks.clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * total);
}

BENCHMARK(BM_PlainReadIntoNewMemory)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The workspace file read whole into memory allocated for it, in blocks of the store's size.
double readIntoNewMemory(const QString& path)
{
    using Clock = std::chrono::steady_clock;
    std::vector<std::unique_ptr<char[]>> blocks;
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const auto t0 = Clock::now();
    for (;;) {
        blocks.emplace_back(new char[2 << 20]);
        if (file.read(blocks.back().get(), 2 << 20) < (2 << 20))
            break;
    }
    const auto t1 = Clock::now();
    benchmark::DoNotOptimize(blocks.data());
    return std::chrono::duration<double>(t1 - t0).count();
}

// Load and a plain read of the same file, one after the other in every iteration (the order
// alternating), so a busy machine slows both alike: the ratio is the figure to look at.
void BM_LoadAgainstPlainRead(benchmark::State& state)
{
    {
        CFakeWorkspaceHost writer;
        fill(writer.m_Data, int(state.range(0)));
        CWorkspaceSaver::getInstance()->saveWorkspaceToFile(&writer, workspacePath());
    }
    CFakeWorkspaceHost host;
    CWorkspaceLoader loader;
    loader.SetHost(&host);
    using Clock = std::chrono::steady_clock;
    double loadSeconds = 0.0, readSeconds = 0.0;
    std::vector<double> ratios;
    int round = 0;
    for (auto _ : state) {
        double read = 0.0, load = 0.0;
        for (int step = 0; step < 2; ++step) {
            if ((step + round) % 2 == 0) {
                read = readIntoNewMemory(workspacePath());
                continue;
            }
            host.m_Data.ClearAllData();
            QFile file(workspacePath());
            file.open(QIODevice::ReadOnly);
            const auto t0 = Clock::now();
            if (loader.loadWorkspaceFromKvbFile(file) != 0)
                state.SkipWithError("load failed");
            load = std::chrono::duration<double>(Clock::now() - t0).count();
        }
        ++round;
        loadSeconds += load;
        readSeconds += read;
        ratios.push_back(load / read);
        state.SetIterationTime(load + read);
    }
    std::sort(ratios.begin(), ratios.end());
    state.counters["load_ms"] = loadSeconds * 1e3 / double(state.iterations());
    state.counters["read_ms"] = readSeconds * 1e3 / double(state.iterations());
    state.counters["load/read"] = loadSeconds / readSeconds;
    state.counters["load/read_median"] = ratios[ratios.size() / 2];
    state.SetBytesProcessed(state.iterations() * QFile(workspacePath()).size());
}

BENCHMARK(BM_LoadAgainstPlainRead)->Arg(100000)->Iterations(10)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_LoadAgainstPlainRead)->Arg(1000000)->Iterations(6)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_PlainRead)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadWorkspace)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

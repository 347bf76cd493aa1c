// Saving and loading a workspace of 10 runs x 8 series against writing and reading the same
// number of bytes with a plain QFile, in the same process and on the same disk; and a load
// paired in every iteration with a plain read of the same file into touched memory, its
// partner, and (a second line) into fresh memory (BM_LoadAgainstPlainRead).
#include <benchmark/benchmark.h>

#include "../tests/workspace/support/FakeWorkspaceHost.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "workspace/WorkspaceLoader.h"
#include "workspace/WorkspaceSaver.h"
#include "support/BenchProcess.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include <sys/mman.h>
#include <sys/resource.h>

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
// The baselines of a load: the file read into memory, 2 MiB at a time as the store takes it.
// "Fresh" memory is mapped anew for every read and never touched before it, as a load's is in a
// program that has not loaded before: every page costs a fault. The C library's heap would not
// do: once other work in the process freed blocks, it hands them out again, already faulted
// in, and the figure then depends on what ran before. "Touched" memory is mapped once and
// written before the first read: the price of the copy alone.
class CReadTarget
{
public:
    explicit CReadTarget(qint64 bytes) : m_Bytes(size_t(bytes)) {}
    ~CReadTarget() { unmap(); }
    CReadTarget(const CReadTarget&) = delete;
    CReadTarget& operator=(const CReadTarget&) = delete;

    // Never-touched pages (fresh), or the same pages again, written once before (touched).
    char* pages(bool fresh)
    {
        if (fresh || !m_pPages) {
            unmap();
            void* p = mmap(nullptr, m_Bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            m_pPages = p == MAP_FAILED ? nullptr : static_cast<char*>(p);
            if (m_pPages && !fresh)
                std::memset(m_pPages, 1, m_Bytes);
        }
        return m_pPages;
    }
    void unmap()
    {
        if (m_pPages)
            munmap(m_pPages, m_Bytes);
        m_pPages = nullptr;
    }
    size_t size() const { return m_Bytes; }

private:
    const size_t m_Bytes;
    char* m_pPages = nullptr;
};

long minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Reads the file at path into the target's pages; the seconds it took and the page faults.
bool readInto(const QString& path, CReadTarget& target, bool fresh, double& seconds, long& faults)
{
    using Clock = std::chrono::steady_clock;
    char* pages = target.pages(fresh);
    QFile file(path);
    if (!pages || !file.open(QIODevice::ReadOnly) || size_t(file.size()) > target.size())
        return false;
    constexpr qint64 Block = 2 << 20;
    const long faults0 = minorFaults();
    const auto t0 = Clock::now();
    for (size_t done = 0; done < target.size();) {
        const qint64 n = file.read(pages + done, std::min<qint64>(Block, qint64(target.size() - done)));
        if (n <= 0)
            break;
        done += size_t(n);
    }
    seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    faults = minorFaults() - faults0;
    benchmark::DoNotOptimize(pages);
    return true;
}

void plainReadIntoMemory(benchmark::State& state, bool fresh)
{
    const qint64 total = workspaceBytes(int(state.range(0)));
    writePlain(total);
    CReadTarget target(total);
    long faults = 0;
    for (auto _ : state) {
        double seconds = 0.0;
        long f = 0;
        if (!readInto(workspacePath() + ".plain", target, fresh, seconds, f))
            state.SkipWithError("read failed");
        state.SetIterationTime(seconds);
        faults += f;
    }
    state.counters["faults"] = double(faults) / double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.SetBytesProcessed(state.iterations() * total);
}

void BM_PlainReadIntoFreshMemory(benchmark::State& state)
{
    plainReadIntoMemory(state, true);
}

void BM_PlainReadIntoTouchedMemory(benchmark::State& state)
{
    plainReadIntoMemory(state, false);
}

BENCHMARK(BM_PlainReadIntoFreshMemory)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_PlainReadIntoTouchedMemory)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseManualTime();

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// A load and a plain read of the same file, one after the other in every iteration (the order
// turning), so that a busy machine slows both alike: the ratio is the figure to look at. The
// load is quoted against the read into touched memory (fresh 0), the price of the copy alone.
// The second line reads into fresh memory instead: most of its time is page faults, whose price
// is the host's, so its ratio swings from machine to machine.
void BM_LoadAgainstPlainRead(benchmark::State& state)
{
    const bool fresh = state.range(1) != 0;
    {
        CFakeWorkspaceHost writer;
        fill(writer.m_Data, int(state.range(0)));
        CWorkspaceSaver::getInstance()->saveWorkspaceToFile(&writer, workspacePath());
    }
    CFakeWorkspaceHost host;
    CWorkspaceLoader loader;
    loader.SetHost(&host);
    CReadTarget target(QFile(workspacePath()).size());
    using Clock = std::chrono::steady_clock;
    double sums[2] = {0.0, 0.0};   // load, read
    long faults = 0;
    std::vector<double> ratios;
    for (auto _ : state) {
        double seconds[2] = {0.0, 0.0};
        for (int step = 0; step < 2; ++step) {
            if ((step + int(ratios.size())) % 2 == 1) {
                long f = 0;
                if (!readInto(workspacePath(), target, fresh, seconds[1], f))
                    state.SkipWithError("read failed");
                faults += f;
                continue;
            }
            host.m_Data.ClearAllData();
            QFile file(workspacePath());
            file.open(QIODevice::ReadOnly);
            const auto t0 = Clock::now();
            if (loader.loadWorkspaceFromKvbFile(file) != 0)
                state.SkipWithError("load failed");
            seconds[0] = std::chrono::duration<double>(Clock::now() - t0).count();
        }
        sums[0] += seconds[0];
        sums[1] += seconds[1];
        ratios.push_back(seconds[0] / seconds[1]);
        state.SetIterationTime(seconds[0]);
    }
    const double n = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["load_ms"] = sums[0] * 1e3 / n;
    state.counters["read_ms"] = sums[1] * 1e3 / n;
    state.counters["load/read_median"] = median(ratios);
    state.counters["read_faults"] = double(faults) / n;
    state.SetLabel(fresh ? "against a read into fresh memory" : "against a read into touched memory");
    state.SetBytesProcessed(state.iterations() * QFile(workspacePath()).size());
}

BENCHMARK(BM_LoadAgainstPlainRead)
    ->ArgNames({"samples", "fresh"})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(BM_LoadAgainstPlainRead)
    ->ArgNames({"samples", "fresh"})
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->Iterations(6)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(BM_PlainRead)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadWorkspace)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    // The store's blocks are then fresh pages, as the fresh partner's are.
    MapLargeBlocksAfresh();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

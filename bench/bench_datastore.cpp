// Data branch storage: samples appended one by one and in blocks, a range copied out, and the
// memory held per stored sample, with a plain memcpy of the same bytes measured in the same run
// for comparison.
#include "Core/Data/DataBranch.h"
#include "Core/Data/SampleStore.h"
#include "support/BenchProcess.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QVector>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

constexpr int SamplesPerRun = 1 << 20;

std::vector<double> ramp(int n, double scale)
{
    std::vector<double> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[size_t(i)] = i * scale;
    return v;
}


void BM_AppendPerSample(benchmark::State& state)
{
    for (auto _ : state) {
        CDataBranch branch;
        for (int i = 0; i < SamplesPerRun; ++i)
            branch.AddSample(double(i), i * 0.5);
        benchmark::DoNotOptimize(branch.GetNumSamples());
    }
    state.counters["samples/s"] = benchmark::Counter(double(state.iterations()) * SamplesPerRun,
                                                     benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AppendPerSample)->Unit(benchmark::kMillisecond);

// The partner's memory, taken as the store takes its own: page-aligned blocks of BlockSize
// values from the C library, in every iteration, given back at its end. Fresh or handed back
// by the heap, both sides then copy into memory of one kind.
class CStoreLikeMemory
{
public:
    explicit CStoreLikeMemory(int values)
    {
        for (int done = 0; done < values; done += CSampleStore::BlockSize) {
            void* p = nullptr;
            m_Blocks.push_back(posix_memalign(&p, CSampleStore::PageBytes, CSampleStore::BlockSize * sizeof(double)) == 0
                                   ? static_cast<double*>(p)
                                   : nullptr);
        }
    }
    ~CStoreLikeMemory()
    {
        for (double* b : m_Blocks)
            std::free(b);
    }
    CStoreLikeMemory(const CStoreLikeMemory&) = delete;
    CStoreLikeMemory& operator=(const CStoreLikeMemory&) = delete;
    bool ok() const { return std::find(m_Blocks.begin(), m_Blocks.end(), nullptr) == m_Blocks.end(); }
    // Copies values[0, n) to positions first.. , block by block.
    void copy(int first, const double* values, int n)
    {
        for (int done = 0; done < n;) {
            const int at = first + done, offset = at & CSampleStore::BlockMask;
            const int part = std::min(n - done, CSampleStore::BlockSize - offset);
            std::memcpy(m_Blocks[size_t(at >> CSampleStore::BlockShift)] + offset, values + done, size_t(part) * sizeof(double));
            done += part;
        }
    }

private:
    std::vector<double*> m_Blocks;
};

// Appends the same 2^20 pairs in blocks of state.range(0) to a fresh branch and copies the same
// bytes (X and Y) with memcpy, block for block, into memory taken as the branch takes its own
// (CStoreLikeMemory, fresh pages as the branch's are: see main), the two in turn first; the
// ratio is append time over memcpy time.
void BM_AppendBlock(benchmark::State& state)
{
    const int block = int(state.range(0));
    const std::vector<double> x = ramp(SamplesPerRun, 1.0);
    const std::vector<double> y = ramp(SamplesPerRun, 0.5);
    double appendSeconds = 0.0;
    double memcpySeconds = 0.0;
    using Clock = std::chrono::steady_clock;
    int round = 0;
    for (auto _ : state) {
        CDataBranch branch;
        CStoreLikeMemory dx(SamplesPerRun), dy(SamplesPerRun);
        if (!dx.ok() || !dy.ok()) {
            state.SkipWithError("no memory for the partner");
            break;
        }
        for (int step = 0; step < 2; ++step) {
            const auto t0 = Clock::now();
            if ((step + round) % 2 == 0) {
                for (int done = 0; done < SamplesPerRun; done += block)
                    branch.AppendSamples(x.data() + done, y.data() + done, std::min(block, SamplesPerRun - done));
                appendSeconds += std::chrono::duration<double>(Clock::now() - t0).count();
            } else {
                for (int done = 0; done < SamplesPerRun; done += block) {
                    const int n = std::min(block, SamplesPerRun - done);
                    dx.copy(done, x.data() + done, n);
                    dy.copy(done, y.data() + done, n);
                }
                benchmark::ClobberMemory();
                memcpySeconds += std::chrono::duration<double>(Clock::now() - t0).count();
            }
        }
        ++round;
        benchmark::DoNotOptimize(branch.GetNumSamples());
    }
    const double samples = double(state.iterations()) * SamplesPerRun;
    state.counters["append samples/s"] = samples / appendSeconds;
    state.counters["memcpy samples/s"] = samples / memcpySeconds;
    state.counters["append/memcpy time"] = appendSeconds / memcpySeconds;
}
BENCHMARK(BM_AppendBlock)->Arg(64)->Arg(1024)->Arg(SamplesPerRun)->Unit(benchmark::kMillisecond);

// One block of 2^20 values appended to a fresh store (rising values: arg 0; noisy values with
// gaps, which keep a summary: arg 1) against memcpy of the same values into fresh memory; both
// pay for their new pages.
void BM_StoreAppendBlock(benchmark::State& state)
{
    std::vector<double> v = ramp(SamplesPerRun, 0.5);
    if (state.range(0) == 1)
        for (int i = 0; i < SamplesPerRun; ++i)
            v[size_t(i)] = i % 97 == 0 ? -9999999.0 : double((i * 7919) % 1000) - 500.0;
    using Clock = std::chrono::steady_clock;
    double appendSeconds = 0.0, memcpySeconds = 0.0;
    for (auto _ : state) {
        auto* store = new CSampleStore;
        auto* plain = static_cast<double*>(std::malloc(v.size() * sizeof(double)));
        const auto t0 = Clock::now();
        store->append(v.data(), SamplesPerRun);
        const auto t1 = Clock::now();
        std::memcpy(plain, v.data(), v.size() * sizeof(double));
        const auto t2 = Clock::now();
        benchmark::DoNotOptimize(plain);
        benchmark::DoNotOptimize(store->size());
        appendSeconds += std::chrono::duration<double>(t1 - t0).count();
        memcpySeconds += std::chrono::duration<double>(t2 - t1).count();
        std::free(plain);
        delete store;
    }
    state.counters["append ms"] = appendSeconds * 1e3 / double(state.iterations());
    state.counters["memcpy ms"] = memcpySeconds * 1e3 / double(state.iterations());
    state.counters["append/memcpy time"] = appendSeconds / memcpySeconds;
}
BENCHMARK(BM_StoreAppendBlock)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Copies 2^20 pairs out of a branch of 10 million, against memcpy of the same bytes.
void BM_CopyRange(benchmark::State& state)
{
    constexpr int Stored = 10000000;
    CDataBranch branch;
    const std::vector<double> x = ramp(Stored, 1.0);
    const std::vector<double> y = ramp(Stored, 0.25);
    branch.AppendSamples(x.data(), y.data(), Stored);
    QVector<double> cx, cy;
    std::vector<double> mx(static_cast<size_t>(SamplesPerRun)), my(static_cast<size_t>(SamplesPerRun));
    double copySeconds = 0.0;
    double memcpySeconds = 0.0;
    using Clock = std::chrono::steady_clock;
    int first = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        branch.CopyRange(first, SamplesPerRun, cx, cy);
        auto t1 = Clock::now();
        std::memcpy(mx.data(), x.data() + first, size_t(SamplesPerRun) * sizeof(double));
        std::memcpy(my.data(), y.data() + first, size_t(SamplesPerRun) * sizeof(double));
        auto t2 = Clock::now();
        benchmark::DoNotOptimize(cx.data());
        benchmark::DoNotOptimize(mx.data());
        benchmark::DoNotOptimize(my.data());
        copySeconds += std::chrono::duration<double>(t1 - t0).count();
        memcpySeconds += std::chrono::duration<double>(t2 - t1).count();
        first = (first + 3 * SamplesPerRun + 12345) % (Stored - SamplesPerRun);
    }
    const double samples = double(state.iterations()) * SamplesPerRun;
    state.counters["copied samples/s"] = samples / copySeconds;
    state.counters["memcpy samples/s"] = samples / memcpySeconds;
    state.counters["copy/memcpy time"] = copySeconds / memcpySeconds;
}
BENCHMARK(BM_CopyRange)->Unit(benchmark::kMillisecond);

// Memory held per stored pair after 10 million samples appended one by one: the branch's own
// accounting of its lists, and the growth of the process's resident memory.
void BM_MemoryPerSample(benchmark::State& state)
{
    constexpr int Stored = 10000000;
    for (auto _ : state) {
        const long long before = ResidentBytes();
        auto* branch = new CDataBranch;
        for (int i = 0; i < Stored; ++i)
            branch->AddSample(double(i), i * 0.5);
        const long long after = ResidentBytes();
        state.counters["bytes/sample (held)"] = double(branch->SampleBytesReserved()) / Stored;
        state.counters["bytes/sample (resident)"] = double(after - before) / Stored;
        delete branch;
    }
}
BENCHMARK(BM_MemoryPerSample)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    MapLargeBlocksAfresh();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

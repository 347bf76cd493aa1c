// Data branch storage: samples appended one by one and in blocks, a range copied out, and the
// memory held per stored sample, with a plain memcpy of the same bytes measured in the same run
// for comparison.
#include "Core/Data/DataBranch.h"
#include "Core/Data/SampleStore.h"
#include "support/BenchProcess.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QVector>
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

// Appends the same 2^20 pairs in blocks of state.range(0) and copies the same bytes (X and Y)
// with memcpy into a buffer of the same size; the ratio is append time over memcpy time.
void BM_AppendBlock(benchmark::State& state)
{
    const int block = int(state.range(0));
    const std::vector<double> x = ramp(SamplesPerRun, 1.0);
    const std::vector<double> y = ramp(SamplesPerRun, 0.5);
    std::vector<double> dx(x.size()), dy(y.size());
    double appendSeconds = 0.0;
    double memcpySeconds = 0.0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        CDataBranch branch;
        auto t0 = Clock::now();
        for (int done = 0; done < SamplesPerRun; done += block)
            branch.AppendSamples(x.data() + done, y.data() + done, std::min(block, SamplesPerRun - done));
        auto t1 = Clock::now();
        for (int done = 0; done < SamplesPerRun; done += block) {
            const int n = std::min(block, SamplesPerRun - done);
            std::memcpy(dx.data() + done, x.data() + done, size_t(n) * sizeof(double));
            std::memcpy(dy.data() + done, y.data() + done, size_t(n) * sizeof(double));
        }
        auto t2 = Clock::now();
        benchmark::DoNotOptimize(dx.data());
        benchmark::DoNotOptimize(dy.data());
        benchmark::DoNotOptimize(branch.GetNumSamples());
        appendSeconds += std::chrono::duration<double>(t1 - t0).count();
        memcpySeconds += std::chrono::duration<double>(t2 - t1).count();
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

BENCHMARK_MAIN();

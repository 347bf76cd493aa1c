// Range analyses and online functions: Fourier spectrum against a bare cv::dft and against
// numpy, statistics and moving average on a million samples, and the cost the online functions
// add to each stored block of a run.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <opencv2/core.hpp>
#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include <QProcess>

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "analysis/Functions.h"
#include "analysis/FourierSpectrum.h"
#include "analysis/MovingAverage.h"
#include "analysis/OnlineFunctions.h"
#include "analysis/Statistics.h"
#include "support/BenchProcess.h"

namespace {

QVector<double> Noise(int n)
{
    std::mt19937 gen(3);
    std::normal_distribution<double> d(1.0, 2.0);
    QVector<double> v(n);
    for (double& x : v)
        x = d(gen);
    return v;
}

void BM_FourierSpectrum(benchmark::State& state)
{
    const QVector<double> y = Noise(static_cast<int>(state.range(0)));
    QVector<double> mag;
    for (auto _ : state) {
        FourierMagnitudes(y.constData(), y.size(), mag);
        benchmark::DoNotOptimize(mag.data());
    }
    state.counters["samples/s"] =
        benchmark::Counter(static_cast<double>(y.size()) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_PlainDft(benchmark::State& state)
{
    const QVector<double> y = Noise(static_cast<int>(state.range(0)));
    cv::Mat input(1, y.size(), CV_64F, const_cast<double*>(y.constData()));
    cv::Mat out;
    for (auto _ : state) {
        cv::dft(input, out, cv::DFT_COMPLEX_OUTPUT);
        benchmark::DoNotOptimize(out.data);
    }
    state.counters["samples/s"] =
        benchmark::Counter(static_cast<double>(y.size()) * state.iterations(), benchmark::Counter::kIsRate);
}

// Our spectrum against numpy's (bench/fourier_numpy.py, beside this program, fed the very same
// values through the one Python the comparisons use): the calls alternate, one of ours, then
// one of numpy's on request, so that a drift of the machine's speed hits both alike. Both
// sides time single calls; the minimum and the median of each, and the ratios ours over
// numpy's. The label says which numpy and which Python answered.
void BM_FourierAgainstNumpy(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    const int calls = int(state.range(1));
    const QVector<double> y = Noise(static_cast<int>(state.range(0)));
    QVector<double> mag;
    std::vector<double> ours, theirs;
    QString numpy;
    for (auto _ : state) {
        const QString path = BenchScript(QStringLiteral("fourier_numpy.py"));
        QProcess script;
        if (!path.isEmpty())
            script.start(BenchPython(), {path});
        if (path.isEmpty() || !script.waitForStarted(30000)) {
            state.SkipWithError("fourier_numpy.py is not beside the program, or Python does not start");
            return;
        }
        const qint64 n = y.size();
        script.write(reinterpret_cast<const char*>(&n), sizeof(n));
        script.write(reinterpret_cast<const char*>(y.constData()), qint64(y.size() * sizeof(double)));
        // One line from the script; empty when it ended or said nothing for a minute.
        const auto answer = [&script]() -> QByteArray {
            while (!script.canReadLine())
                if (!script.waitForReadyRead(60000))
                    return QByteArray();
            return script.readLine().trimmed();
        };
        numpy = QString::fromUtf8(answer());   // after its untimed first call
        FourierMagnitudes(y.constData(), y.size(), mag);   // ours, untimed, likewise
        ours.clear();
        theirs.clear();
        for (int i = 0; i < calls; ++i) {
            const auto t0 = Clock::now();
            FourierMagnitudes(y.constData(), y.size(), mag);
            ours.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
            benchmark::DoNotOptimize(mag.data());
            script.write("t\n");
            const QByteArray line = answer();
            if (!line.startsWith("ms "))
                break;
            theirs.push_back(line.mid(3).toDouble());
        }
        script.write("q\n");
        script.closeWriteChannel();
        script.waitForFinished(30000);
        if (int(theirs.size()) != calls || !numpy.startsWith(QStringLiteral("numpy "))) {
            state.SkipWithError(("fourier_numpy.py failed: " + script.readAllStandardError().trimmed()).constData());
            return;
        }
    }
    const auto minAndMedian = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return std::make_pair(v.front(), (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2.0);
    };
    const auto o = minAndMedian(ours);
    const auto t = minAndMedian(theirs);
    state.counters["ours_min_ms"] = o.first;
    state.counters["ours_median_ms"] = o.second;
    state.counters["numpy_min_ms"] = t.first;
    state.counters["numpy_median_ms"] = t.second;
    state.counters["ours/numpy_min"] = o.first / t.first;
    state.counters["ours/numpy_median"] = o.second / t.second;
    state.SetLabel(QStringLiteral("%1 calls each, alternating; %2, %3")
                       .arg(calls).arg(numpy, BenchPythonDescribed()).toStdString());
}

// The whole analysis function: one copy of the range, the transform, and the two result
// branches (frequency axis of N samples, spectrum of N/2), which are deleted between rounds.
void BM_FunctionFourier(benchmark::State& state)
{
    CDataManager manager;
    const QVector<double> y = Noise(static_cast<int>(state.range(0)));
    QVector<double> x(y.size());
    for (int i = 0; i < x.size(); ++i)
        x[i] = i;
    CDataBranch* source = manager.GetDataBranch(manager.CreateDataBranch(-1, 0.001, 0, 0, -1));
    source->AppendSamples(x.constData(), y.constData(), y.size());
    CFunctions functions(&manager);
    for (auto _ : state) {
        CDataBranch* axis = nullptr;
        CDataBranch* spectrum = functions.FunctionFourier(source, 0, -1, "S", "", &axis);
        state.PauseTiming();
        if (spectrum)
            manager.DeleteDataBranch(spectrum->m_Key);
        if (axis)
            manager.DeleteDataBranch(axis->m_Key);
        state.ResumeTiming();
    }
}

// Statistics and moving average as the dialogs run them: through a stored branch.
void BM_FunctionStatistics(benchmark::State& state)
{
    CDataManager manager;
    const QVector<double> y = Noise(1000000);
    QVector<double> x(y.size(), 0.0);
    CDataBranch* source = manager.GetDataBranch(manager.CreateDataBranch(-1, 0.001, 0, 0, -1));
    source->AppendSamples(x.constData(), y.constData(), y.size());
    CFunctions functions(&manager);
    for (auto _ : state) {
        CStatisticsInfo info = functions.StartStatistics(source->m_Key, 0, -1).result();
        benchmark::DoNotOptimize(info.m_median);
    }
}

void BM_CalculateArraysAverage(benchmark::State& state)
{
    CDataManager manager;
    const QVector<double> y = Noise(1000000);
    QVector<double> x(y.size(), 0.0);
    CDataBranch* source = manager.GetDataBranch(manager.CreateDataBranch(-1, 0.001, 0, 0, -1));
    source->AppendSamples(x.constData(), y.constData(), y.size());
    CFunctions functions(&manager);
    for (auto _ : state) {
        CDataBranch* avg = functions.CalculateArraysAverage(source, state.range(0), 0, -1, "a");
        state.PauseTiming();
        if (avg)
            manager.DeleteDataBranch(avg->m_Key);
        state.ResumeTiming();
    }
}

// A length with a large prime factor (1,000,003 is prime) goes the chirp route.
void BM_FourierSpectrumPrimeLength(benchmark::State& state)
{
    const QVector<double> y = Noise(1000003);
    QVector<double> mag;
    for (auto _ : state) {
        FourierMagnitudes(y.constData(), y.size(), mag);
        benchmark::DoNotOptimize(mag.data());
    }
}

void BM_Statistics(benchmark::State& state)
{
    const QVector<double> y = Noise(1000000);
    for (auto _ : state) {
        CStatisticsInfo info = ComputeStatistics(y, 1000.0, 0.001);
        benchmark::DoNotOptimize(info.m_median);
    }
}

void BM_MovingAverage(benchmark::State& state)
{
    const QVector<double> y = Noise(1000000);
    QVector<double> out;
    for (auto _ : state) {
        MovingAverageOfRange(y, 0, y.size(), 0, y.size() - 1, state.range(0), out);
        benchmark::DoNotOptimize(out.data());
    }
}

// One stored block of a run: AppendSamples on the source branches, with or without a pass of
// the online functions after it. Branches are refilled after 200,000 samples so the runs stay
// at a realistic length.
struct Run
{
    static const int kSources = 2;
    CDataBranch sources[kSources];
    OnLineFunctionInfo table[MaxOnLineFunctions];
    short count = 0;
    CCalculateOnLineFunctions calc;
    CDataBranch outputs[MaxOnLineFunctions];
    QVector<double> x, y;
    int block = 0;
    int next = 0;
    Run(int blockSize, const std::vector<short>& ids) : block(blockSize)
    {
        // The samples are made beforehand so the timing holds only the storing (and computing).
        for (int i = 0; i < 200000 + block; ++i) {
            x.append(i);
            y.append(std::sin(i * 0.05) + 0.001 * (i % 7));
        }
        calc.SetTable(table, &count);
        for (CDataBranch& s : sources)
            s.m_Interval = 0.001;
        for (short id : ids) {
            const int i = count;
            calc.AddOnLineFunction(1, 1, 0, 1, 0, 0, 0, 0, "f", "", 0, id, 10, 1, 0, 1, 2, false,
                                   false);
            table[i].m_pG1Branch = &sources[i % kSources];
            table[i].m_pG2Branch = &sources[(i + 1) % kSources];
            table[i].m_pOutBranch = &outputs[i];
            CCalculateOnLineFunctions::ResetRunProgress(table[i]);
        }
    }
    void StoreBlock()
    {
        for (CDataBranch& s : sources)
            s.AppendSamples(x.constData() + next, y.constData() + next, block);
        next += block;
        if (count > 0)
            calc.CalculateOnLineFunctions();
    }
    void Restart()
    {
        for (CDataBranch& s : sources)
            s.ClearSamples();
        for (CDataBranch& o : outputs)
            o.ClearSamples();
        for (int i = 0; i < count; ++i)
            CCalculateOnLineFunctions::ResetRunProgress(table[i]);
        next = 0;
    }
};

void StoreBlocks(benchmark::State& state, const std::vector<short>& ids)
{
    Run run(static_cast<int>(state.range(0)), ids);
    for (auto _ : state) {
        if (run.next >= 200000) {
            state.PauseTiming();
            run.Restart();
            state.ResumeTiming();
        }
        run.StoreBlock();
    }
    state.counters["blocks/s"] = benchmark::Counter(state.iterations(), benchmark::Counter::kIsRate);
}

// For comparison: the block stored sample by sample with AddSample (two locks per sample).
void BM_StoreBlockPerSample(benchmark::State& state)
{
    Run run(static_cast<int>(state.range(0)), {});
    for (auto _ : state) {
        if (run.next >= 200000) {
            state.PauseTiming();
            run.Restart();
            state.ResumeTiming();
        }
        for (CDataBranch& s : run.sources)
            for (int i = 0; i < run.block; ++i)
                s.AddSample(run.x[run.next + i], run.y[run.next + i]);
        run.next += run.block;
    }
}

// Two sources stored, nothing computed: the reference cost of storing a block.
void BM_StoreBlock(benchmark::State& state) { StoreBlocks(state, {}); }
// The same plus one online function of the id given as second argument.
void BM_StoreBlockWithOneFunction(benchmark::State& state)
{
    StoreBlocks(state, {static_cast<short>(state.range(1))});
}
// The same plus eight functions of every kind.
void BM_StoreBlockWithEightFunctions(benchmark::State& state)
{
    StoreBlocks(state, {21, 6, 13, 1, 9, 12, 15, 0});
}

} // namespace

BENCHMARK(BM_FourierSpectrum)->Arg(65536)->Arg(1048576)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainDft)->Arg(65536)->Arg(1048576)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FourierAgainstNumpy)
    ->ArgNames({"samples", "calls"})
    ->Args({65536, 101})
    ->Args({1048576, 21})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FunctionFourier)->Arg(65536)->Arg(1048576)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FourierSpectrumPrimeLength)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FunctionStatistics)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovingAverage)->Arg(3)->Arg(101)->Arg(10001)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalculateArraysAverage)->Arg(3)->Arg(101)->Arg(10001)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreBlockPerSample)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreBlock)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
// Ids: 15 linear, 21 sine, 6 derivative, 13 integral, 1 sum of two sources, 9 upper envelope,
// 12 frequency.
BENCHMARK(BM_StoreBlockWithOneFunction)
    ->ArgsProduct({{10, 100, 1000}, {15, 21, 6, 13, 1, 9, 12}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreBlockWithEightFunctions)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
int main(int argc, char** argv)
{
    // The runs are restarted every 200,000 samples; without this, glibc hands the freed sample
    // blocks back to the system and the next run pays page faults that depend on the order of
    // frees rather than on the code measured.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

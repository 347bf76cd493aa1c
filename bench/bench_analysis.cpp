// Figures of the analysis engine: derivative, integral and linear fit over one million samples
// next to one plain pass that reads and sums the same samples; formula evaluation rate.
#include "Core/Data/DataManager.h"
#include "analysis/FormulaParser.h"
#include "analysis/Functions.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>

namespace {

constexpr int s_Samples = 1000000;

// Seconds per pass of the two plain sums, measured first; the function benchmarks report
// their time as multiples of them: "x_plain" against reading the samples out of the branch
// and summing them, "x_memory" against summing samples already held in memory.
double s_PlainSeconds = 0.0;
double s_MemorySeconds = 0.0;

struct Source
{
    CDataManager manager;
    CDataBranch* branch = nullptr;
    Source()
    {
        const int key = manager.CreateDataBranch(-1, 0.001, 0, 0, -1);
        branch = manager.GetDataBranch(key);
        QVector<double> x(s_Samples);
        QVector<double> y(s_Samples);
        for (int i = 0; i < s_Samples; ++i) {
            x[i] = i;
            y[i] = 2.0 + std::sin(i * 0.001) + 0.01 * (i % 7);
        }
        branch->AppendSamples(x.constData(), y.constData(), s_Samples);
        branch->m_Name = QStringLiteral("Signal");
        // A run recorded at 1000 samples per second (rate code 12), as a million samples are.
        branch->m_RateCode = 12;
        branch->m_Unit = QStringLiteral("V");
    }
};

Source& source()
{
    static Source s;
    return s;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_PlainSum(benchmark::State& state)
{
    CDataBranch* branch = source().branch;
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QVector<double> x;
        QVector<double> y;
        branch->CopyRange(0, s_Samples, x, y);
        double sum = 0.0;
        for (int i = 0; i < y.size(); ++i)
            sum += y.at(i);
        benchmark::DoNotOptimize(sum);
        seconds += secondsSince(start);
    }
    s_PlainSeconds = seconds / double(state.iterations());
    state.counters["samples/s"] =
        benchmark::Counter(double(s_Samples) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlainSum)->Unit(benchmark::kMillisecond);

void BM_PlainSumInMemory(benchmark::State& state)
{
    const QVector<double> y = source().branch->GetYSnapshot();
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        double sum = 0.0;
        for (int i = 0; i < y.size(); ++i)
            sum += y.at(i);
        benchmark::DoNotOptimize(sum);
        seconds += secondsSince(start);
    }
    s_MemorySeconds = seconds / double(state.iterations());
    state.counters["samples/s"] =
        benchmark::Counter(double(s_Samples) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlainSumInMemory)->Unit(benchmark::kMillisecond);

template <typename Run>
void runFunction(benchmark::State& state, Run run)
{
    Source& s = source();
    CFunctions functions(&s.manager);
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        CDataBranch* result = run(functions, s.branch);
        seconds += secondsSince(start);
        if (!result) {
            state.SkipWithError("the function made no branch");
            break;
        }
        state.PauseTiming();
        s.manager.DeleteDataBranch(result->m_Key);
        state.ResumeTiming();
    }
    state.counters["samples/s"] =
        benchmark::Counter(double(s_Samples) * state.iterations(), benchmark::Counter::kIsRate);
    const double perPass = state.iterations() > 0 ? seconds / double(state.iterations()) : 0.0;
    if (s_PlainSeconds > 0)
        state.counters["x_plain"] = perPass / s_PlainSeconds;
    if (s_MemorySeconds > 0)
        state.counters["x_memory"] = perPass / s_MemorySeconds;
}

void BM_Derivative(benchmark::State& state)
{
    runFunction(state, [](CFunctions& f, CDataBranch* b) {
        return f.FunctionDerivative(b, false, 0, -1, QString(), nullptr);
    });
}
BENCHMARK(BM_Derivative)->Unit(benchmark::kMillisecond);

void BM_Integral(benchmark::State& state)
{
    runFunction(state, [](CFunctions& f, CDataBranch* b) {
        return f.FunctionIntegral(b, false, 0, -1, 0.0, 1.0);
    });
}
BENCHMARK(BM_Integral)->Unit(benchmark::kMillisecond);

void BM_LinearFit(benchmark::State& state)
{
    runFunction(state, [](CFunctions& f, CDataBranch* b) {
        return f.FunctionLinearRegression(b, 0, -1);
    });
}
BENCHMARK(BM_LinearFit)->Unit(benchmark::kMillisecond);

void BM_ExponentialFit(benchmark::State& state)
{
    runFunction(state, [](CFunctions& f, CDataBranch* b) {
        return f.FunctionExponentialRegression(b, 0, -1);
    });
}
BENCHMARK(BM_ExponentialFit)->Unit(benchmark::kMillisecond);

// A typical calculator line of 20 characters: two functions, brackets and three operators.
const char* const s_TypicalFormula = "SIN(30)*2+SQRT(16)/4";

void BM_FormulaEvaluation(benchmark::State& state)
{
    CFormulaParser parser;
    const QString formula = QString::fromLatin1(s_TypicalFormula);
    double sum = 0.0;
    for (auto _ : state) {
        int error = 0;
        sum += parser.calc(formula, &error);
        benchmark::DoNotOptimize(error);
    }
    benchmark::DoNotOptimize(sum);
    state.counters["formulas/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FormulaEvaluation);

} // namespace

BENCHMARK_MAIN();

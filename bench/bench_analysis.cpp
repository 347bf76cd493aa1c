// Figures of the analysis engine: formula evaluation rate.
#include "analysis/FormulaParser.h"

#include <benchmark/benchmark.h>

namespace {

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

// The CSV export of a graph: four plots of a recorded run written as text, at run lengths
// from 10 k to 1 M samples, into memory and through a save file on disk. The cost is per
// sample (every sample becomes a cell); the figures say how long a teacher waits.
#include <benchmark/benchmark.h>

#include "graph/GraphCsv.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cmath>

namespace {

QList<CCsvColumn> Columns(int samples)
{
    QList<CCsvColumn> columns;
    for (int p = 0; p < 4; ++p) {
        CCsvColumn c;
        c.m_Name = QStringLiteral("Run 1-Sensor %1").arg(p);
        c.m_Unit = QStringLiteral("V");
        c.m_bHasBranch = true;
        c.m_PositionStep = 0.01;
        c.m_X.resize(samples);
        c.m_Y.resize(samples);
        for (int i = 0; i < samples; ++i) {
            c.m_X[i] = i;
            c.m_Y[i] = 20.0 + 5.0 * std::sin(i * 0.001 * (p + 1));
        }
        columns.append(c);
    }
    return columns;
}

void BM_CsvToMemory(benchmark::State& state)
{
    const QList<CCsvColumn> columns = Columns(int(state.range(0)));
    for (auto _ : state) {
        const QString text = GraphCsv::Build(columns, QLocale::c(), QStringLiteral("Time"), QStringLiteral("Samples"));
        benchmark::DoNotOptimize(text.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * 4);
}
BENCHMARK(BM_CsvToMemory)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_CsvToFile(benchmark::State& state)
{
    const QList<CCsvColumn> columns = Columns(int(state.range(0)));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.CSV"));
    for (auto _ : state) {
        const bool ok = GraphCsv::WriteFile(path, columns, QLocale(QLocale::German), QStringLiteral("Time"),
                                            QStringLiteral("Samples"));
        if (!ok)
            state.SkipWithError("write failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * 4);
}
BENCHMARK(BM_CsvToFile)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

// A full paint of a graph window into an image: a 1600 x 1000 graph with 16 plots of
// recorded samples, one plot at run lengths from 100 k to 10 M samples (the cost of a paint
// must not follow the run), an XY graph, and the redraw of a live run at the fastest rate
// (5000 new rows per 50 ms tick), whose time per tick is the CPU share the redraw takes.
// A paint shares its curves out over the graph's threads: the time of a paint is the wall
// clock's, and "CPU" is the processor time of every thread of the process.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <memory>

#include "../tests/common/GraphTestHost.h"
#include "affinity/ProcessAffinity.h"
#include "graph/GraphWindow.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

namespace {

struct Rig
{
    CGraphTestHost host;
    CGraphWindow* graph = nullptr;
    QImage image;

    // The picture is the same at every run length: the waves' periods follow it.
    Rig(int plots, long long samples, bool xy = false)
    {
        graph = new CGraphWindow(&host);
        host.SetLastActiveGraph(graph);
        graph->resize(1600, 1000);
        image = QImage(graph->size(), QImage::Format_ARGB32_Premultiplied);
        CDataFolder* run = host.addRun();
        for (int p = 0; p < plots + (xy ? 1 : 0); ++p) {
            CDataBranch* b = host.addBranch(run, SensorIndexOnlineFunction, 0.00001);
            b->m_Color = colorsTable[p % colorTableSize];
            append(b, 0, samples, p, samples);
        }
        emit host.m_Hub.LoggerStartedRun();
        emit host.m_Hub.LoggerExperimentEnd();
        if (xy)
            graph->OnXScaleComboChanged(plots + 1);
        graph->AutoScaleAllAxis(false);
    }
    // Noisy waves, one block of rows at a time as a logger download stores them.
    static void append(CDataBranch* b, long long first, long long count, int phase, long long length = 1000000)
    {
        const int block = 1 << 16;
        QVector<double> x(block), y(block);
        for (long long done = 0; done < count;) {
            const int n = int(std::min<long long>(block, count - done));
            for (int i = 0; i < n; ++i) {
                const long long s = first + done + i;
                x[i] = double(s);
                y[i] = std::sin(double(s) * 18.85 / double(length) + phase) + ((s * 2654435761u) % 1000) * 1e-4;
            }
            b->AppendSamples(x.constData(), y.constData(), n);
            done += n;
        }
    }
    void paint()
    {
        graph->RepaintGraph(CGraphWindow::RepaintFull);
        graph->render(&image);
    }
};

void BM_PaintSixteenPlots(benchmark::State& state)
{
    Rig rig(16, state.range(0));
    for (auto _ : state)
        rig.paint();
    state.counters["samples"] = double(state.range(0)) * 16;
}
BENCHMARK(BM_PaintSixteenPlots)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_PaintOnePlot(benchmark::State& state)
{
    Rig rig(1, state.range(0));
    for (auto _ : state)
        rig.paint();
}
BENCHMARK(BM_PaintOnePlot)
    ->Arg(0)->Arg(100000)->Arg(1000000)->Arg(10000000)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The reduction of one curve alone, without drawing: what a paint reads of the store.
void BM_ReduceOnePlot(benchmark::State& state)
{
    Rig rig(1, state.range(0));
    CCurveFrame f;
    f.m_Rect = QRect(QPoint(50, 66), QPoint(1590, 870));
    f.m_XMax = float(state.range(0));
    f.m_YMin = -1.5f;
    f.m_YMax = 1.5f;
    CPlotStrokes out;
    for (auto _ : state) {
        out.clear();
        StrokeTimeCurve(*rig.graph->GetDataBranch(0), 0, -1, f, out);
        benchmark::DoNotOptimize(out.m_Path.data());
    }
    state.counters["columns"] = double(out.m_Columns.size());
    QVector<QLine> visible;
    VisibleSegments(out, visible);
    state.counters["segments drawn"] = double(visible.size());
}
BENCHMARK(BM_ReduceOnePlot)->Arg(100000)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

// The reduction of the 16 curves of the full paint one after the other on one thread: every
// curve's samples have left the processor's caches by the time it comes round again.
void BM_ReduceSixteenPlots(benchmark::State& state)
{
    Rig rig(16, state.range(0));
    rig.paint();
    const QRect r = rig.graph->GraphRect();
    std::vector<CPlotStrokes> out(16);
    for (auto _ : state) {
        for (int p = 0; p < 16; ++p) {
            CCurveFrame f;
            f.m_Rect = r;
            f.m_XMin = rig.graph->X().Min();
            f.m_XMax = rig.graph->X().Max();
            f.m_YMin = rig.graph->GetPlot(p).m_Min;
            f.m_YMax = rig.graph->GetPlot(p).m_Max;
            out[size_t(p)].clear();
            StrokeTimeCurve(*rig.graph->GetDataBranch(p), 0, -1, f, out[size_t(p)]);
        }
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ReduceSixteenPlots)->Arg(1000000)->Unit(benchmark::kMillisecond);

// An XY curve is stroked once into an image of the plot area; later paints show it and
// stroke only new samples. The first paint reads and strokes every sample.
void BM_PaintXY(benchmark::State& state)
{
    Rig rig(1, state.range(0), true);
    rig.paint();
    for (auto _ : state)
        rig.paint();
}
BENCHMARK(BM_PaintXY)->Arg(100000)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_PaintXYFirst(benchmark::State& state)
{
    Rig rig(1, state.range(0), true);
    for (auto _ : state) {
        rig.graph->BranchValuesChanged(rig.graph->X().PlotKey());   // the curves drawn anew
        rig.paint();
    }
}
BENCHMARK(BM_PaintXYFirst)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The first paint of an XY graph of a damped oscillation, velocity against position: a
// spiral of eight turns at every run length. Arg 0: smooth; 1: both channels with sensor noise
// of 2 % of the swing, each its own. An XY curve cannot be reduced to pixel columns; its cost
// is the pixels it crosses (smooth) or the samples it holds (noisy, where every sample moves).
struct XYRig
{
    CGraphTestHost host;
    CGraphWindow* graph = nullptr;
    QImage image;

    XYRig(bool noisy, long long samples)
    {
        graph = new CGraphWindow(&host);
        host.SetLastActiveGraph(graph);
        graph->resize(1600, 1000);
        image = QImage(graph->size(), QImage::Format_ARGB32_Premultiplied);
        CDataFolder* run = host.addRun();
        CDataBranch* position = host.addBranch(run, SensorIndexOnlineFunction, 0.00001);
        CDataBranch* velocity = host.addBranch(run, SensorIndexOnlineFunction, 0.00001);
        const int block = 1 << 16;
        QVector<double> t(block), p(block), v(block);
        const double omega = 8 * 2 * M_PI, decay = 0.25;
        for (long long done = 0; done < samples;) {
            const int n = int(std::min<long long>(block, samples - done));
            for (int i = 0; i < n; ++i) {
                const long long s = done + i;
                const double u = double(s) / double(samples);
                const double e = std::exp(-u / decay);
                t[i] = double(s);
                p[i] = e * std::cos(omega * u);
                v[i] = -e * (std::cos(omega * u) / decay + omega * std::sin(omega * u)) / omega;
                if (noisy) {
                    p[i] += ((s * 2654435761u) % 1000) * 4e-5 - 0.02;
                    v[i] += ((s * 40503u + 977u) % 1009) * 4e-5 - 0.02;
                }
            }
            position->AppendSamples(t.constData(), p.constData(), n);
            velocity->AppendSamples(t.constData(), v.constData(), n);
            done += n;
        }
        emit host.m_Hub.LoggerStartedRun();
        emit host.m_Hub.LoggerExperimentEnd();
        graph->OnXScaleComboChanged(1);
        // Position against itself would add a diagonal: only the spiral is drawn.
        CGraphPlot x = graph->GetPlot(0);
        x.m_bVisible = false;
        graph->UpdatePlot(x, 0);
        graph->AutoScaleAllAxis(false);
        graph->RepaintGraph(CGraphWindow::RepaintFull);
        graph->render(&image);   // lays the plot area out
        if (!qEnvironmentVariableIsEmpty("KORVANTA_BENCH_SHOTS")) {
            image.save(qEnvironmentVariable("KORVANTA_BENCH_SHOTS")
                       + QStringLiteral("/xy_%1_%2.png").arg(noisy).arg(samples));
        }
    }
    CCurveFrame frame() const
    {
        CCurveFrame f;
        f.m_Rect = graph->GraphRect();
        f.m_XMin = graph->X().Min();
        f.m_XMax = graph->X().Max();
        const CGraphPlot plot = graph->GetPlot(1);
        f.m_YMin = plot.m_Min;
        f.m_YMax = plot.m_Max;
        return f;
    }
    int reduce(CPlotStrokes& strokes, bool bySample = false) const
    {
        strokes.clear();
        (bySample ? StrokeXYCurveBySample : StrokeXYCurve)(*graph->GetDataBranch(1), *graph->GetDataBranch(0), 0, -1,
                                                           frame(), strokes, nullptr);
        return strokes.segments();
    }
};

// On a machine others load, the time the paint would take on free processors lies near its
// processor time divided by the curve threads.
void BM_PaintXYFull(benchmark::State& state)
{
    XYRig rig(state.range(0) != 0, state.range(1));
    for (auto _ : state) {
        rig.graph->BranchValuesChanged(rig.graph->X().PlotKey());   // the curves drawn anew
        rig.graph->RepaintGraph(CGraphWindow::RepaintFull);
        rig.graph->render(&rig.image);
    }
    CPlotStrokes strokes;
    state.counters["segments"] = double(rig.reduce(strokes));
    // Segments not drawn as they would only have touched pixels holding the colour already.
    state.counters["left out"] = double(rig.graph->PaintCounts().m_XYLayers.value(1).m_LeftOut);
}
BENCHMARK(BM_PaintXYFull)
    ->ArgNames({"noisy", "samples"})
    ->ArgsProduct({{0, 1}, {100000, 1000000, 10000000}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The same first paint in a window on screen, where a paint strokes for its share of time only
// (CGraphWindow::CPaintSettings::m_XYPaintBudgetMs), shows what it has and leaves the rest to
// the paints that follow. The time is that of one paint; "paints" counts those until the curve
// is whole, "whole ms" is how long they take together and "longest ms" the longest of them (the
// window does not answer meanwhile).
void BM_PaintXYOnScreen(benchmark::State& state)
{
    XYRig rig(state.range(0) != 0, state.range(1));
    rig.host.resize(rig.graph->size());
    rig.host.show();
    rig.graph->show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        rig.graph->BranchValuesChanged(rig.graph->X().PlotKey());   // the curves drawn anew
        rig.graph->repaint();
    }
    rig.graph->BranchValuesChanged(rig.graph->X().PlotKey());   // the curves drawn anew
    QElapsedTimer clock, one;
    clock.start();
    int paints = 0;
    qint64 longest = 0;
    do {
        one.start();
        rig.graph->repaint();
        longest = std::max(longest, one.nsecsElapsed());
        ++paints;
    } while (rig.graph->PaintCounts().m_XYLayers.value(1).m_Next < state.range(1) && paints < 1000000);
    state.counters["paints"] = paints;
    state.counters["whole ms"] = double(clock.elapsed());
    state.counters["longest ms"] = double(longest) / 1e6;
}
BENCHMARK(BM_PaintXYOnScreen)
    ->ArgNames({"noisy", "samples"})
    ->ArgsProduct({{0, 1}, {100000, 1000000, 10000000}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The reduction of the same curves alone, without drawing; bySample 1: read sample by sample
// (the reference, and what every paint did before runs were passed over).
void BM_ReduceXY(benchmark::State& state)
{
    XYRig rig(state.range(0) != 0, state.range(1));
    CPlotStrokes strokes;
    for (auto _ : state)
        benchmark::DoNotOptimize(rig.reduce(strokes, state.range(2) != 0));
    state.counters["segments"] = double(strokes.segments());
}
BENCHMARK(BM_ReduceXY)
    ->ArgNames({"noisy", "samples", "bySample"})
    ->ArgsProduct({{0, 1}, {100000, 1000000, 10000000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// The whole first paint of the noisy spiral, off screen in one paint or (screen 1) on screen in
// paints of a share of time each until the curve is whole; its wall clock, its processor time
// over every thread of the process and the paints it took.
struct CPaintTimes
{
    double wall = 0.0, cpu = 0.0;
    int paints = 0;
};

double ProcessSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

CPaintTimes PaintWhole(XYRig& rig, bool screen, long long samples)
{
    CPaintTimes times;
    rig.graph->BranchValuesChanged(rig.graph->X().PlotKey());   // the curves drawn anew
    const double cpu = ProcessSeconds();
    QElapsedTimer clock;
    clock.start();
    if (!screen) {
        rig.graph->RepaintGraph(CGraphWindow::RepaintFull);
        rig.graph->render(&rig.image);
        times.paints = 1;
    } else {
        do {
            rig.graph->repaint();
            ++times.paints;
        } while (rig.graph->PaintCounts().m_XYLayers.value(1).m_Next < samples && times.paints < 1000000);
    }
    times.wall = double(clock.nsecsElapsed()) * 1e-9;
    times.cpu = ProcessSeconds() - cpu;
    return times;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2.0;
}

// The same paint with the process pinned to 1, 2 or 4 of the processors it may run on (a
// school's laptop has two to four), set here for every thread of the process, and on all of
// them, one after the other in every iteration with the order turning, so that a busy machine
// slows both alike. The time is the pinned paint's wall clock; "cpu ms" is its processor time,
// "all ms" the wall clock on all processors and "vs all" the pinned paint's over it (medians);
// "min ms" and "median ms" are the pinned paint's.
void BM_PaintXYOnProcessors(benchmark::State& state)
{
    const int processors = int(state.range(0));
    const bool screen = state.range(1) != 0;
    const long long samples = state.range(2);
    const cpu_set_t all = CurrentProcessors();
    if (CPU_COUNT(&all) < processors) {
        state.SkipWithError(QStringLiteral("the process may run on %1 processors only").arg(CPU_COUNT(&all)).toUtf8().constData());
        return;
    }
    XYRig rig(true, samples);
    if (screen) {
        rig.host.resize(rig.graph->size());
        rig.host.show();
        rig.graph->show();
        QCoreApplication::processEvents();
    }
    std::vector<double> wall, cpu, allWall, allCpu, ratio;
    int paints = 0;
    for (auto _ : state) {
        CPaintTimes pinned, everywhere;
        for (int step = 0; step < 2; ++step) {
            if ((step + int(wall.size())) % 2 == 0) {
                CPinnedProcess pin(FirstProcessors(all, processors));
                if (!pin.pinned())
                    state.SkipWithError("the process could not be pinned");
                pinned = PaintWhole(rig, screen, samples);
            } else {
                everywhere = PaintWhole(rig, screen, samples);
            }
        }
        state.SetIterationTime(pinned.wall);
        wall.push_back(pinned.wall * 1e3);
        cpu.push_back(pinned.cpu * 1e3);
        allWall.push_back(everywhere.wall * 1e3);
        allCpu.push_back(everywhere.cpu * 1e3);
        ratio.push_back(pinned.wall / everywhere.wall);
        paints = pinned.paints;
    }
    state.counters["min ms"] = *std::min_element(wall.begin(), wall.end());
    state.counters["median ms"] = Median(wall);
    state.counters["cpu ms"] = Median(cpu);
    state.counters["all ms"] = Median(allWall);
    state.counters["all cpu ms"] = Median(allCpu);
    state.counters["vs all"] = Median(ratio);
    state.counters["paints"] = paints;
}
BENCHMARK(BM_PaintXYOnProcessors)
    ->ArgNames({"processors", "screen", "samples"})
    ->ArgsProduct({{1, 2, 4}, {0, 1}, {10000000}})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

// A live run of 8 measurements at 100 000 rows a second: each tick stores 5000 rows per
// branch (outside the timing, as the logger thread would), serves the pending autoscales and
// repaints. The time per tick over 50 ms is the share of one core the redraw takes.
void BM_LiveRedrawTick(benchmark::State& state)
{
    Rig rig(0, 0);
    CDataFolder* run = rig.host.addRun(QStringLiteral("Run2"));
    for (int p = 0; p < 8; ++p)
        rig.host.addBranch(run, SensorIndexOnlineFunction, 0.00001);
    emit rig.host.m_Hub.LoggerStartedRun();
    const long long preload = state.range(0);
    for (int p = 0; p < 8; ++p)
        Rig::append(rig.graph->GetDataBranch(p), 0, preload, p);
    long long next = preload;
    for (auto _ : state) {
        state.PauseTiming();
        for (int p = 0; p < 8; ++p)
            Rig::append(rig.graph->GetDataBranch(p), next, 5000, p);
        next += 5000;
        state.ResumeTiming();
        rig.graph->UpdateNewData();
        // What the redraw timer repaints, rendered into the one image as into the screen's.
        const QRegion region = rig.graph->liveTickRegion();
        if (!region.isEmpty())
            rig.graph->render(&rig.image, region.boundingRect().topLeft(), region);
    }
    emit rig.host.m_Hub.LoggerExperimentEnd();
}
BENCHMARK(BM_LiveRedrawTick)
    ->Arg(0)->Arg(2000000)
    ->Unit(benchmark::kMillisecond)->Iterations(100)->MeasureProcessCPUTime()->UseRealTime();

// One mouse move of a cursor drag over 16 plots: the nearest-plot search at the mouse, the
// cursor moved to its sample and the paint of the cursors over the graph image saved at the
// press. It has to fit in one 60 Hz frame (16.7 ms) whatever the run length.
void BM_CursorDragMove(benchmark::State& state)
{
    Rig rig(16, state.range(0));
    rig.paint();
    CGraphWindow* g = rig.graph;
    // Arg 1: with the area between the cursors shaded and summed.
    g->EnableAreaMode(state.range(1) != 0);
    g->SelectCursorPlot(-1, true, nullptr);
    g->SelectCursor2Plot(nullptr, false);
    rig.paint();
    g->SaveGraph();
    g->Cursors().StartDrag(1);
    const QRect r = g->GraphRect();
    int step = 0;
    for (auto _ : state) {
        const QPoint p(r.left() + 10 + (step * 37) % (r.width() - 20), r.center().y());
        ++step;
        g->DoDragCursor(p);
        g->RepaintGraph(CGraphWindow::RepaintCursorDrag);
        g->render(&rig.image);
    }
    state.counters["samples"] = double(state.range(0)) * 16;
}
BENCHMARK(BM_CursorDragMove)
    ->Args({100000, 0})->Args({1000000, 0})->Args({1000000, 1})
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The nearest-plot search alone over 16 plots, at changing mouse columns.
void BM_NearestPlot(benchmark::State& state)
{
    Rig rig(16, state.range(0));
    rig.paint();
    const QRect r = rig.graph->GraphRect();
    int step = 0, plot = -1;
    for (auto _ : state) {
        QPoint p(r.left() + (step * 53) % r.width(), r.top() + (step * 29) % r.height());
        ++step;
        benchmark::DoNotOptimize(rig.graph->FindNearestPlot(&p, plot).m_Key);
    }
}
BENCHMARK(BM_NearestPlot)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

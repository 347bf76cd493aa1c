// Rebuilding the history tree from the data store (what opening a workspace does): runs of 16
// series each, 200 and 400 runs, with the time per row to compare the two sizes; adding a run
// live; and workspaces of 16,000 to 100,000 runs opened, scrolled and thinned, with the heap the
// history takes per row.
#include "windowbase/ChildWindowHost.h"
#include "app/shell/HistoryRows.h"
#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryWindow.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QWidget>

#include <ctime>
#include <malloc.h>
#include <memory>

namespace {

constexpr int SeriesPerRun = 16;

double ThreadCpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) * 1e-6;
}

class CBenchHost : public QWidget, public IChildWindowHost
{
public:
    bool AlignToGrid() const override { return false; }
    CKorvantaSignals* GetSignals() const override { return const_cast<CKorvantaSignals*>(&m_Hub); }
    CKorvantaSignals m_Hub;
};

void fill(CDataManager& data, int runs)
{
    for (int r = 0; r < runs; ++r) {
        CDataFolder* folder = data.CreateDataFolder();
        for (int s = 0; s < SeriesPerRun; ++s) {
            const int key = data.CreateDataBranch(1 + s % 40, 0.01, s % 8, s / 8, folder->m_Key);
            data.GetDataBranch(key)->m_Unit = QStringLiteral("m/s");
            folder->AddBranchKey(key);
        }
    }
}

void BM_HistoryRestore(benchmark::State& state)
{
    const int runs = int(state.range(0));
    CDataManager data;
    fill(data, runs);
    CBenchHost host;
    CHistoryWindow window(&host, Qt::SubWindow);
    window.SetDataManager(&data);
    window.initWindow();
    for (auto _ : state) {
        state.PauseTiming();
        window.Clean();
        // The row widgets of the removed rows go at the next event loop turn.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
        window.Restore(true);
    }
    const int rows = runs * (SeriesPerRun + 1);
    if (window.model()->rowCount() != runs)
        state.SkipWithError("tree incomplete");
    state.counters["rows"] = rows;
    state.counters["us/row"] = benchmark::Counter(double(rows) * 1e-6, benchmark::Counter::kIsIterationInvariantRate
                                                                          | benchmark::Counter::kInvert);
    state.counters["rows/s"] = benchmark::Counter(double(rows), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_HistoryRestore)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond)->UseRealTime();

// Everything the interface thread has left to do: the view's deferred layout, the placing of
// the row widgets and the painting each come at a later turn of the event loop. They run in a
// real event loop, as in the program: outside one Qt keeps objects released with deleteLater
// (single-shot timers among them) waiting, and its list of posted events only ever grows.
void FinishEventLoopTurns()
{
    QEventLoop loop;
    QTimer::singleShot(3, &loop, &QEventLoop::quit);
    loop.exec();
}

// Adding one run while the user watches: the tree already holds state.range(0) runs of 16
// series; a new run's folder and series appear in the data store and the hub announces the
// start of the run, as the logger does when Run is pressed (the window adds the run, every
// row locks its delete button), then the interface thread finishes what it deferred (relayout,
// row widgets, painting). The end of the run, untimed, unlocks the rows again. The window is shown, as it is on the screen. The time
// per added run at 1,600 runs against the time at 100 is the figure to watch.
void BM_HistoryAddRunLive(benchmark::State& state)
{
    const int runs = int(state.range(0));
    CDataManager data;
    fill(data, runs);
    CBenchHost host;
    host.resize(800, 600);
    CHistoryWindow window(&host, Qt::SubWindow);
    window.SetDataManager(&data);
    window.initWindow();
    window.Restore(true);
    host.show();
    window.show();
    FinishEventLoopTurns();
    double insertMs = 0.0, deferredMs = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        fill(data, 1);
        state.ResumeTiming();
        const double t0 = ThreadCpuMs();
        emit host.m_Hub.LoggerStartedRun();
        const double t1 = ThreadCpuMs();
        FinishEventLoopTurns();
        const double t2 = ThreadCpuMs();
        state.PauseTiming();
        insertMs += t1 - t0;
        deferredMs += t2 - t1;
        emit host.m_Hub.LoggerExperimentEnd();
        // Keep the tree at its size: the added run goes again (its row widgets with it).
        const int last = window.model()->rowCount() - 1;
        window.model()->removeRows(last, 1, QModelIndex());
        CDataFolder* folder = data.GetLastDataFolder();
        const QVector<int> keys = folder->GetBranchKeys();
        for (int key : keys)
            data.DeleteDataBranch(key);
        data.DeleteDataFolder(folder->m_Key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        FinishEventLoopTurns();
        state.ResumeTiming();
    }
    if (window.model()->rowCount() != runs)
        state.SkipWithError("tree size changed");
    state.counters["runs"] = runs;
    // What the toolkit walks on every change of the tree: the row widgets that exist.
    state.counters["row widgets"] = window.treeView()->viewport()->findChildren<QWidget*>().size();
    // Processor time of the interface thread, split into the insertion itself and what the
    // event loop did afterwards (layout, row widgets, painting).
    state.counters["insert cpu ms"] = insertMs / double(state.iterations());
    state.counters["deferred cpu ms"] = deferredMs / double(state.iterations());
}
BENCHMARK(BM_HistoryAddRunLive)->Arg(100)->Arg(400)->Arg(1600)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->MinTime(2.0);

// Bytes the heap has handed out and not taken back.
double HeapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks) + double(info.hblkhd);
}

// Opening a workspace of state.range(0) runs of two series each, the data already in the
// store: the tree rebuilt and shown until the window has laid it out and painted it (the time
// the window is blocked), then scrolled to its end, then one run in the middle deleted (its
// data and its row) until the window has painted again. The heap the history holds beyond the
// data, per run (its row and its series' rows) and per row, is the memory figure.
void BM_HistoryManyRuns(benchmark::State& state)
{
    const int runs = int(state.range(0));
    CDataManager data;
    for (int r = 0; r < runs; ++r) {
        CDataFolder* folder = data.CreateDataFolder();
        for (int s = 0; s < 2; ++s)
            folder->AddBranchKey(data.CreateDataBranch(1 + s, 0.01, s, 0, folder->m_Key));
    }
    double openMs = 0.0, scrollMs = 0.0, deleteMs = 0.0, heap = 0.0;
    // The figures are timed by hand; the loop's own time includes the set-up of each round.
    for (auto _ : state) {
        // Put back what the previous round deleted, so each round opens the same size.
        if (data.GetNumDataFolders() < runs) {
            CDataFolder* folder = data.CreateDataFolder();
            for (int s = 0; s < 2; ++s)
                folder->AddBranchKey(data.CreateDataBranch(1 + s, 0.01, s, 0, folder->m_Key));
        }
        const double heapBefore = HeapBytes();
        auto host = std::make_unique<CBenchHost>();
        host->resize(800, 600);
        auto window = std::make_unique<CHistoryWindow>(host.get(), Qt::SubWindow);
        window->SetDataManager(&data);
        window->initWindow();
        host->show();
        window->show();
        FinishEventLoopTurns();
        QElapsedTimer clock;
        clock.start();
        window->Restore(true);
        FinishEventLoopTurns();
        openMs += clock.nsecsElapsed() * 1e-6;
        heap += HeapBytes() - heapBefore;
        QTreeView* view = window->treeView();
        clock.restart();
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
        FinishEventLoopTurns();
        scrollMs += clock.nsecsElapsed() * 1e-6;
        clock.restart();
        const int middle = runs / 2;
        CDataFolder* victim = data.GetDataFolderByIndex(middle);
        for (int key : victim->GetBranchKeys())
            data.DeleteDataBranch(key);
        data.DeleteDataFolder(victim->m_Key);
        window->model()->removeRows(middle, 1, QModelIndex());
        FinishEventLoopTurns();
        deleteMs += clock.nsecsElapsed() * 1e-6;
        if (window->model()->rowCount() != runs - 1)
            state.SkipWithError("tree size wrong");
        window.reset();
        host.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    const double n = double(state.iterations());
    state.counters["runs"] = runs;
    state.counters["open ms"] = openMs / n;
    state.counters["scroll ms"] = scrollMs / n;
    state.counters["delete ms"] = deleteMs / n;
    // A run's row with its two series rows, and any one row.
    state.counters["heap B/run"] = heap / n / runs;
    state.counters["heap B/row"] = heap / n / (3.0 * runs);
}
BENCHMARK(BM_HistoryManyRuns)->Arg(16000)->Arg(40000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Open in the program itself (main window off screen): a workspace file of n runs, and an older
// file of n folder records or of one folder of n branch records, read, windows built and the
// history tree rebuilt. The time is that of the open command alone; "history_us_per_run" is a
// rebuild of the history tree timed apart, after the timed opens (the open made one already), so
// the loader's share is roughly the difference. Rows come in order of size. The rows of runs shown
// in a graph open a workspace whose graph draws one series of every run, beside its partner: the
// same runs saved with an empty graph, opened in the same row; each open into a program just
// started.
#include "../tests/common/ScriptedPrompter.h"
#include "../tests/app/support/ScriptedServices.h"
#include "app/shell/HistoryWindow.h"
#include "app/shell/MainWindow.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Logic/LogicManager.h"
#include "graph/GraphWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <map>
#include <utility>

namespace {

QString scratch(const QString& name)
{
    static QTemporaryDir dir;
    return dir.filePath(name);
}

struct CShell
{
    CShell()
    {
        window.SetShellLogic(&logic);
        window.init();
    }
    CDataManager& data() { return window.logicManager()->m_DataManager; }
    CScriptedPrompter prompter;
    CScriptedLogic logic;
    MainWindow window;
};

CGraphWindow* graphOf(CShell& shell)
{
    CWindowsManager* wm = shell.window.windowsManager();
    CKorvantaWindow* graph = wm->GetLastGraphWindow();
    return qobject_cast<CGraphWindow*>(graph ? graph : wm->ShowGraphWindow());
}

// How the graph of a written workspace shows its runs: not at all, one series of every run
// against time, or against the masses typed for each run (an XY graph whose X axis is Run 1's).
enum class Shown { None, AgainstTime, AgainstMass };

// n runs of two series of ten samples, written by the program's own Save As; shown against the
// masses, the second series of each run is its masses.
QString writeRuns(int runs, Shown shown = Shown::None)
{
    const QString path = scratch(QStringLiteral("runs%1-%2.kvb").arg(runs).arg(int(shown)));
    CShell shell;
    const double x[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    QList<int> plotted;
    for (int r = 0; r < runs; ++r) {
        CDataFolder* folder = shell.data().CreateDataFolder();
        for (int s = 0; s < 2; ++s) {
            const int key = shell.data().CreateDataBranch(-1, 0.1, s, 0, folder->m_Key);
            folder->AddBranchKey(key);
            CDataBranch* branch = shell.data().GetDataBranch(key);
            branch->AppendSamples(x, x, 10);
            if (s == 0)
                plotted.append(key);
            if (s == 1 && shown == Shown::AgainstMass) {
                branch->m_SensorIndex = SensorIndexManualX;
                branch->m_Name = QStringLiteral("Mass");
                branch->m_Unit = QStringLiteral("g");
                if (r == 0)
                    plotted.prepend(key);
            }
        }
    }
    if (shown != Shown::None)
        graphOf(shell)->AddPlotsFromKeyArray(plotted);
    if (shown == Shown::AgainstMass)
        graphOf(shell)->OnXScaleComboChanged(1);
    shell.prompter.m_SaveFile = path;
    shell.window.windowsManager()->OnSaveAs();
    return path;
}

// n folder records, or one folder of n branch records (the graph of the last run shows them all).
QString writeOlder(int records, bool branches)
{
    const QString path = scratch(QStringLiteral("older%1%2.pvx").arg(records).arg(branches));
    QByteArray data = QByteArray::fromHex("0000000000000400");
    const char folder[6] = {10, 0, 0, 0, 0, 0}, branch[6] = {8, 0, 0, 0, 0, 0};
    if (branches)
        data.append(folder, 6);
    for (int i = 0; i < records; ++i)
        data.append(branches ? branch : folder, 6);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(data);
    return path;
}

double openOnce(CShell& shell, const QString& path)
{
    shell.prompter.m_File = path;
    QElapsedTimer clock;
    clock.start();
    shell.window.windowsManager()->OnOpen();
    return clock.nsecsElapsed() * 1e-9;
}

void open(benchmark::State& state, const QString& path, int folders)
{
    const int records = int(state.range(0));
    CShell shell;
    CWindowsManager* wm = shell.window.windowsManager();
    shell.prompter.m_File = path;
    double openSeconds = 0.0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        wm->OnOpen();
        const double seconds = clock.nsecsElapsed() * 1e-9;
        state.SetIterationTime(seconds);
        openSeconds += seconds;
        if (shell.data().GetNumDataFolders() != folders)
            state.SkipWithError("open failed");
    }
    QElapsedTimer clock;
    clock.start();
    wm->GetHistoryWindow()->Restore(true);
    const double historySeconds = clock.nsecsElapsed() * 1e-9;
    state.counters["open_us_per_run"] = openSeconds * 1e6 / (double(state.iterations()) * records);
    state.counters["history_us_per_run"] = historySeconds * 1e6 / records;
}

void BM_OpenRuns(benchmark::State& state)
{
    open(state, writeRuns(int(state.range(0))), int(state.range(0)));
}

void BM_OpenOlderFolders(benchmark::State& state)
{
    open(state, writeOlder(int(state.range(0)), false), int(state.range(0)));
}

void BM_OpenOlderBranches(benchmark::State& state)
{
    open(state, writeOlder(int(state.range(0)), true), 1);
}

// The whole open of n runs shown in a graph, by size and X axis, for the growth at four times
// the size.
std::map<std::pair<int, int>, double> s_ShownSeconds;

// One open of the file into a program just started, as a teacher opens a lesson: the open
// clears an empty workspace only.
double openFresh(const QString& path, int runs, int plots, bool* ok)
{
    CShell shell;
    const double seconds = openOnce(shell, path);
    CGraphWindow* graph = graphOf(shell);
    *ok = shell.data().GetNumDataFolders() == runs && graph && graph->GetNumPlots() == plots;
    return seconds;
}

// Rows: runs, and 1 when the graph shows them against the masses of each run.
void BM_OpenRunsShownInGraph(benchmark::State& state)
{
    const int runs = int(state.range(0));
    const bool xy = state.range(1) != 0;
    const QString shown = writeRuns(runs, xy ? Shown::AgainstMass : Shown::AgainstTime);
    const QString bare = writeRuns(runs);
    // The fastest of three opens of each, taken in turns, so that a busy moment of the machine
    // weighs on neither alone.
    double seconds = 0.0, partner = 0.0;
    for (auto _ : state) {
        double best = 1e30, bestPartner = 1e30;
        for (int round = 0; round < 3; ++round) {
            bool ok = false, okPartner = false;
            best = std::min(best, openFresh(shown, runs, xy ? runs + 1 : runs, &ok));
            bestPartner = std::min(bestPartner, openFresh(bare, runs, 0, &okPartner));
            if (!ok || !okPartner)
                state.SkipWithError("open failed");
        }
        state.SetIterationTime(best);
        seconds += best;
        partner += bestPartner;
    }
    seconds /= double(state.iterations());
    partner /= double(state.iterations());
    state.counters["open_us_per_run"] = seconds * 1e6 / runs;
    state.counters["without_graph_us_per_run"] = partner * 1e6 / runs;
    state.counters["vs_without_graph"] = partner > 0.0 ? seconds / partner : 0.0;
    s_ShownSeconds[{runs, int(xy)}] = seconds;
    // A cost that grows with the runs reads 4 here; with their square, 16.
    const auto quarter = s_ShownSeconds.find({runs / 4, int(xy)});
    if (runs % 4 == 0 && quarter != s_ShownSeconds.end() && quarter->second > 0.0)
        state.counters["x_cost_of_quarter"] = seconds / quarter->second;
}

} // namespace

// 40,000 runs: the workspace size users have reported slow opens of, in its place by size; the
// plain opens of runs also at the sizes of the rows shown in a graph (5,000 and 20,000), which
// are measured against them.
static void Sizes(benchmark::internal::Benchmark* b, bool reported, bool graphSizes = false)
{
    for (int records : {1 << 10, 1 << 12, 5000, 1 << 14, 20000, 40000, 1 << 16})
        if ((reported || records != 40000) && (graphSizes || (records != 5000 && records != 20000)))
            b->Arg(records);
    b->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();
}
BENCHMARK(BM_OpenRuns)->Apply([](benchmark::internal::Benchmark* b) { Sizes(b, true, true); });
BENCHMARK(BM_OpenOlderFolders)->Apply([](benchmark::internal::Benchmark* b) { Sizes(b, true); });
BENCHMARK(BM_OpenOlderBranches)->Apply([](benchmark::internal::Benchmark* b) { Sizes(b, false); });
// 20,000 runs shown: the workspace reported to open in 40 s; its quarter and sixteenth beside it,
// against time and against the masses of each run.
BENCHMARK(BM_OpenRunsShownInGraph)
    ->ArgsProduct({{1250, 5000, 20000}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

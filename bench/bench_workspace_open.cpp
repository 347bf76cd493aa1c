// Open in the program itself (main window off screen): a workspace file of n runs, and an older
// file of n folder records or of one folder of n branch records, read, windows built and the
// history tree rebuilt. The time is that of the open command alone; "history_us_per_run" is a
// rebuild of the history tree timed apart, after the timed opens (the open made one already), so
// the loader's share is roughly the difference. Rows come in order of size.
#include "../tests/common/ScriptedPrompter.h"
#include "../tests/app/support/ScriptedServices.h"
#include "app/shell/HistoryWindow.h"
#include "app/shell/MainWindow.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Logic/LogicManager.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

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

// n runs of two series of ten samples, written by the program's own Save As.
QString writeRuns(int runs)
{
    const QString path = scratch(QStringLiteral("runs%1.kvb").arg(runs));
    CShell shell;
    const double x[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (int r = 0; r < runs; ++r) {
        CDataFolder* folder = shell.data().CreateDataFolder();
        for (int s = 0; s < 2; ++s) {
            const int key = shell.data().CreateDataBranch(-1, 0.1, s, 0, folder->m_Key);
            folder->AddBranchKey(key);
            shell.data().GetDataBranch(key)->AppendSamples(x, x, 10);
        }
    }
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

} // namespace

// 40,000 runs: the workspace size users have reported slow opens of, in its place by size.
static void Sizes(benchmark::internal::Benchmark* b, bool reported)
{
    for (int records : {1 << 10, 1 << 12, 1 << 14, 40000, 1 << 16})
        if (reported || records != 40000)
            b->Arg(records);
    b->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();
}
BENCHMARK(BM_OpenRuns)->Apply([](benchmark::internal::Benchmark* b) { Sizes(b, true); });
BENCHMARK(BM_OpenOlderFolders)->Apply([](benchmark::internal::Benchmark* b) { Sizes(b, true); });
BENCHMARK(BM_OpenOlderBranches)->Apply([](benchmark::internal::Benchmark* b) { Sizes(b, false); });

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

// The shell's workspace commands with the real workspace files: Save As writes a file and names
// the window after it, by the name's own suffix, Open brings the runs back, and a failed save
// says so. An open that is cancelled, or a damaged file (cut, a broken frame, no workspace at
// all), leaves the workspace as it was, the latter with a message; a long load shows its progress
// and can be cancelled.
#include "app/shell/HistoryWindow.h"
#include "app/shell/MainWindow.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Logic/LogicManager.h"
#include "common/ScriptedPrompter.h"
#include "support/ScriptedServices.h"
#include "app/shell/ShellServices.h"
#include "graph/GraphWindow.h"
#include "Core/Base/KorvantaSignals.h"
#include "analysis/Functions.h"

#include <QMdiSubWindow>
#include <QProgressDialog>
#include <QRandomGenerator>
#include <QTimer>

#include <QStandardPaths>
#include <QTemporaryDir>
#include "common/TestMain.h"

namespace {
struct Rig
{
    Rig()
    {
        window.SetShellLogic(&logic);
        window.init();
        CDataManager& dm = window.logicManager()->m_DataManager;
        CDataFolder* run = dm.CreateDataFolder();
        const int key = dm.CreateDataBranch(-1, 0.5, 0, 0, run->m_Key);
        run->AddBranchKey(key);
        dm.GetDataBranch(key)->AddSample(0.0, 21.5);
        window.windowsManager()->GetHistoryWindow()->insertFolder(run->m_Key, true);
    }
    IWorkspaceFiles* files() { return window.windowsManager()->GetWorkspaceFiles(); }
    CDataManager& data() { return window.logicManager()->m_DataManager; }

    CScriptedPrompter prompter;
    CScriptedLogic logic;
    MainWindow window;
    QTemporaryDir dir;
};
} // namespace

class TestShellWorkspace : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void saveAsThenOpen();
    void suffixOfTheNameAlone();
    void windowsComeBack();
    void cancelledOpenKeepsWorkspace();
    void failedOpenKeepsPath();
    void failedSaveIsReported();
    void damagedFilesLeaveWorkspace();
    void longLoadShowsProgressAndCancelKeepsWorkspace();
    void graphOfEveryRunOpensWithLookUpsInProportion();
    void runsOpenWithoutScansOfEverySeries();
    void whatGraphsShowComesBack();
};

void TestShellWorkspace::saveAsThenOpen()
{
    Rig r;
    r.prompter.m_SaveFile = r.dir.filePath("lesson");
    r.window.windowsManager()->OnSaveAs();
    const QString path = r.dir.filePath("lesson.kvb");
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(r.files()->savePath(), path);
    QVERIFY(r.window.windowTitle().endsWith("-lesson"));
    QVERIFY(!r.window.windowsManager()->hasDataToSave());

    r.window.windowsManager()->OnNew();
    QCOMPARE(r.data().GetNumDataFolders(), 0);
    QVERIFY(r.files()->savePath().isEmpty());
    r.prompter.m_File = path;
    r.window.windowsManager()->OnOpen();
    QCOMPARE(r.data().GetNumDataFolders(), 1);
    QCOMPARE(r.data().GetDataBranchByIndex(0)->GetYSample(0), 21.5);
    QVERIFY(!r.window.windowsManager()->GetHistoryWindow()->isEmpty());
    QCOMPARE(r.files()->savePath(), path);
}

void TestShellWorkspace::suffixOfTheNameAlone()
{
    Rig r;
    // A folder whose name holds both suffixes: the file is still a workspace file of its own name.
    QVERIFY(QDir(r.dir.path()).mkdir("kvb-lessons.pvx"));
    r.prompter.m_SaveFile = r.dir.filePath("kvb-lessons.pvx/run1");
    r.window.windowsManager()->OnSaveAs();
    const QString path = r.prompter.m_SaveFile + ".kvb";
    QCOMPARE(r.files()->savePath(), path);
    r.window.windowsManager()->OnNew();
    r.prompter.m_File = path;
    r.window.windowsManager()->OnOpen();
    QCOMPARE(r.data().GetNumDataBranches(), 1);
    QCOMPARE(r.files()->savePath(), path);
}

namespace {
QStringList windowKinds(CWindowsManager* wm)
{
    QStringList kinds;
    for (QMdiSubWindow* w : wm->subWindowList(QMdiArea::CreationOrder))
        for (const char* kind : {"CGraphWindow", "CTableWindow", "cnoteswindow"})
            if (w->inherits(kind))
                kinds << kind;
    return kinds;
}
} // namespace

void TestShellWorkspace::windowsComeBack()
{
    Rig r;
    CWindowsManager* wm = r.window.windowsManager();
    auto* graph = qobject_cast<CGraphWindow*>(wm->GetLastGraphWindow());
    QVERIFY(graph);
    const int key = r.data().GetDataBranchByIndex(0)->m_Key;
    graph->AddPlotsFromKeyArray({key, 9999});
    wm->ShowTableWindow();
    wm->ShowNotesWindow();
    const QStringList before = windowKinds(wm);
    r.prompter.m_SaveFile = r.dir.filePath("windows.kvb");
    wm->OnSaveAs();
    QVERIFY(QFileInfo::exists(r.prompter.m_SaveFile));

    r.prompter.m_File = r.prompter.m_SaveFile;
    wm->OnNew();
    wm->OnOpen();
    QCOMPARE(windowKinds(wm), before);
    auto* again = qobject_cast<CGraphWindow*>(wm->GetLastGraphWindow());
    QVERIFY(again);
    // The unknown key was never a plot; the run's branch is plotted again.
    QCOMPARE(again->GetNumPlots(), 1);
    QCOMPARE(again->GetPlot(0).m_Key, key);
}

void TestShellWorkspace::cancelledOpenKeepsWorkspace()
{
    Rig r;
    CWindowsManager* wm = r.window.windowsManager();
    wm->ShowTableWindow();
    wm->onHasNewDataToSave();
    const QStringList before = windowKinds(wm);
    r.prompter.m_SaveAnswer = IPrompter::SaveNo;
    r.prompter.m_File.clear();
    wm->OnOpen();
    QVERIFY(r.prompter.m_Log.last().startsWith("file|Load File|"));
    QCOMPARE(windowKinds(wm), before);
    QCOMPARE(r.data().GetNumDataBranches(), 1);
    QVERIFY(!wm->GetHistoryWindow()->isEmpty());
    QVERIFY(wm->hasDataToSave());
}

void TestShellWorkspace::failedOpenKeepsPath()
{
    Rig r;
    const QString good = r.dir.filePath("good.kvb");
    r.prompter.m_SaveFile = good;
    r.window.windowsManager()->OnSaveAs();
    QVERIFY(QFileInfo::exists(good));

    // A file whose magic text is wrong, which shows only once it is being read.
    const QString bad = r.dir.filePath("bad.kvb");
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QDataStream(&f) << qint16(1) << QString("korvanta4 file");
    f.close();
    r.prompter.m_File = bad;
    r.prompter.m_Log.clear();
    r.window.windowsManager()->OnOpen();
    QCOMPARE(r.prompter.m_Log.last(), QString("warn|Pavix|The file could not be read completely."));
    QCOMPARE(r.files()->savePath(), good);
    QVERIFY(r.window.windowTitle().endsWith("-good"));
    // The workspace is whole again: Save writes it to its own file without asking.
    r.prompter.m_Log.clear();
    r.window.windowsManager()->OnSaveCommand();
    QVERIFY(r.prompter.m_Log.isEmpty());
}

void TestShellWorkspace::failedSaveIsReported()
{
    Rig r;
    QFile plain(r.dir.filePath("plain"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    r.prompter.m_SaveFile = r.dir.filePath("plain/ws.kvb");
    r.window.windowsManager()->OnSaveAs();
    QCOMPARE(r.prompter.m_Log.last(), QString("warn|Pavix|Save failed"));
}

namespace {
// The rig's run grown to n samples, drawn in the graph, with a table and a notes window, saved to path.
QByteArray saveRichWorkspace(Rig& r, const QString& path, int n)
{
    CWindowsManager* wm = r.window.windowsManager();
    CDataBranch* branch = r.data().GetDataBranchByIndex(0);
    for (int i = 1; i < n; ++i)
        branch->AddSample(i * 0.5, 20.0 + (i % 7));
    qobject_cast<CGraphWindow*>(wm->GetLastGraphWindow())->AddPlotsFromKeyArray({branch->m_Key});
    wm->ShowTableWindow();
    wm->ShowNotesWindow();
    r.prompter.m_SaveFile = path;
    wm->OnSaveAs();
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Cuts inside the runs and inside each window record, bytes that break a record's frame, and
// files that are no workspace at all; a name ending in .pvx is opened as the older format.
QList<QPair<QString, QByteArray>> damagedCopies(const QByteArray& good)
{
    auto at = [&good](const char* hex) { return good.indexOf(QByteArray::fromHex(hex)); };
    QList<QPair<QString, QByteArray>> list;
    const int runs = at("000a02bc"), windows = at("04510459");   // the first folder, the graph
    for (int k = 0; k < 17; ++k)
        list << qMakePair(QString("cut %1").arg(k), good.left(runs + 1 + (windows - runs - 1) * k / 17));
    for (const char* record : {"04510459", "04530459", "04550459"})   // graph, table, notes
        list << qMakePair(QString("cut in %1").arg(record), good.left(at(record) + 7));
    // The magic text, an array marker, a branch's tag, a folder name's and a title's length.
    const QList<QPair<const char*, int>> flips = {
        {"004b004f0052", 1}, {"03e8", 0}, {"000c0320", 0}, {"000a02bc", 4}, {"0459044c", 4}};
    for (const auto& flip : flips) {
        QByteArray bytes = good;
        const int i = at(flip.first) + flip.second;
        bytes[i] = char(bytes.at(i) ^ 0xFF);
        list << qMakePair(QString("flip %1").arg(flip.first), bytes);
    }
    QByteArray noise(1 << 20, '\0');
    QRandomGenerator(42).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    list << qMakePair(QString("empty"), QByteArray()) << qMakePair(QString("empty.pvx"), QByteArray())
         << qMakePair(QString("noise"), noise) << qMakePair(QString("noise.pvx"), noise);
    return list;
}
} // namespace

void TestShellWorkspace::damagedFilesLeaveWorkspace()
{
    Rig r;
    CWindowsManager* wm = r.window.windowsManager();
    const QString goodPath = r.dir.filePath("good.kvb");
    const QByteArray good = saveRichWorkspace(r, goodPath, 2000);
    r.prompter.m_File = goodPath;
    wm->OnOpen();
    const QString title = r.window.windowTitle();
    const QStringList kinds = windowKinds(wm);
    const int nextKey = r.data().GetNextKey();
    for (const auto& d : damagedCopies(good)) {
        r.prompter.m_File = r.dir.filePath(d.first.endsWith(".pvx") ? "damaged.pvx" : "damaged.kvb");
        QFile f(r.prompter.m_File);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(d.second) == d.second.size());
        f.close();
        wm->OnOpen();
        // Said so, nothing of the file kept: the open workspace as it was, under its own name.
        QVERIFY2(r.prompter.m_Log.last() == "warn|Pavix|The file could not be read completely.", qPrintable(d.first));
        QVERIFY(r.files()->savePath() == goodPath && r.files()->loadPath() == goodPath && r.window.windowTitle() == title);
        QVERIFY(r.data().GetNumDataBranches() == 1 && r.data().GetDataBranchByIndex(0)->GetNumSamples() == 2000);
        QVERIFY(r.data().GetNextKey() == nextKey && !wm->GetHistoryWindow()->isEmpty());
        QCOMPARE(windowKinds(wm), kinds);
        auto* graph = qobject_cast<CGraphWindow*>(wm->GetLastGraphWindow());
        QVERIFY(graph->isVisibleTo(&r.window) && graph->GetNumPlots() == 1);
        QVERIFY(wm->GetCurrent(CWindowsManager::GraphKind) == graph);
    }
}

void TestShellWorkspace::longLoadShowsProgressAndCancelKeepsWorkspace()
{
    Rig r;
    CWindowsManager* wm = r.window.windowsManager();
    r.prompter.m_File = r.dir.filePath("long.kvb");
    saveRichWorkspace(r, r.prompter.m_File, 400000);
    wm->SetLoadProgressDelay(0);
    // Looks for the dialog whenever the load lets events through; the second open is cancelled.
    int open = 0, seen = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QProgressDialog* p : wm->findChildren<QProgressDialog*>())
            if (p->isVisible() && p->labelText() == "Opening the workspace...") {
                seen = open;
                if (open == 2)
                    p->cancel();
            }
    });
    watch.start(0);
    open = 1;
    wm->OnOpen();
    QCOMPARE(seen, 1);
    QCOMPARE(r.data().GetDataBranchByIndex(0)->GetNumSamples(), 400000);
    QCOMPARE(windowKinds(wm).size(), 3);
    open = 2;
    r.prompter.m_Log.clear();
    wm->OnOpen();
    QCOMPARE(seen, 2);
    // A failed open without a message, the user asked for it; the workspace read before stays.
    QVERIFY(!r.prompter.m_Log.join('\n').contains("warn|"));
    QVERIFY(r.files()->savePath() == r.prompter.m_File && r.data().GetDataBranchByIndex(0)->GetNumSamples() == 400000);
    QCOMPARE(windowKinds(wm).size(), 3);
}

namespace {
// Series looked up by key while a workspace of n runs opens whose graph shows one series of each.
quint64 LookUpsToOpenGraphOfRuns(int runs, const QString& path)
{
    {
        Rig r;
        QList<int> shown;
        const double x[4] = {0, 1, 2, 3};
        for (int i = 0; i < runs; ++i) {
            CDataFolder* run = r.data().CreateDataFolder();
            const int key = r.data().CreateDataBranch(-1, 0.1, 0, 0, run->m_Key);
            run->AddBranchKey(key);
            r.data().GetDataBranch(key)->AppendSamples(x, x, 4);
            shown << key;
        }
        qobject_cast<CGraphWindow*>(r.window.windowsManager()->GetLastGraphWindow())->AddPlotsFromKeyArray(shown);
        r.prompter.m_SaveFile = path;
        r.window.windowsManager()->OnSaveAs();
    }
    Rig r;
    r.prompter.m_File = path;
    const quint64 before = r.data().BranchLookups();
    r.window.windowsManager()->OnOpen();
    const quint64 lookUps = r.data().BranchLookups() - before;
    auto* graph = qobject_cast<CGraphWindow*>(r.window.windowsManager()->GetLastGraphWindow());
    return graph && graph->GetNumPlots() == runs ? lookUps : 0;
}
} // namespace

// A graph of every run in a large workspace: its scales, shared scales and autoscale look each
// series up a few times, so four times the runs cost four times the look-ups, not sixteen.
void TestShellWorkspace::graphOfEveryRunOpensWithLookUpsInProportion()
{
    Rig r;
    const quint64 small = LookUpsToOpenGraphOfRuns(150, r.dir.filePath("150.kvb"));
    const quint64 large = LookUpsToOpenGraphOfRuns(600, r.dir.filePath("600.kvb"));
    QVERIFY2(small > 0 && large > 0, "a graph of every run did not come back");
    QVERIFY2(large < 5 * small, qPrintable(QStringLiteral("%1 look-ups for 150 runs, %2 for 600").arg(small).arg(large)));
}

// Runs of three series, the first one the masses typed by hand in every other run: while a run's
// first series is read its others are not yet, and a look-up of them must not search every series
// read so far. The series a look-up visits when its key is not indexed stay a few per run, at
// 100 runs as at 400, and the series read after the masses still know their run was sampled by
// hand (no rate).
void TestShellWorkspace::runsOpenWithoutScansOfEverySeries()
{
    Rig r;
    for (int runs : {100, 400}) {
        const QString path = r.dir.filePath(QStringLiteral("scan%1.kvb").arg(runs));
        {
            Rig saved;
            saved.window.windowsManager()->OnNew();
            const double x[3] = {0, 1, 2};
            for (int i = 0; i < runs; ++i) {
                CDataFolder* run = saved.data().CreateDataFolder();
                for (int s = 0; s < 3; ++s) {
                    const int key = saved.data().CreateDataBranch(-1, 0.1, s, 0, run->m_Key);
                    run->AddBranchKey(key);
                    CDataBranch* b = saved.data().GetDataBranch(key);
                    b->AppendSamples(x, x, 3);
                    if (s == 0 && i % 2 == 1)
                        b->m_SensorIndex = SensorIndexManualX;
                }
            }
            saved.prompter.m_SaveFile = path;
            saved.window.windowsManager()->OnSaveAs();
        }
        Rig opened;
        opened.prompter.m_File = path;
        const quint64 before = opened.data().BranchesScanned();
        opened.window.windowsManager()->OnOpen();
        const quint64 visits = opened.data().BranchesScanned() - before;
        QCOMPARE(opened.data().GetNumDataBranches(), 3 * runs);
        QVERIFY2(visits <= quint64(2 * runs),
                 qPrintable(QStringLiteral("%1 series visited in scans to open %2 runs").arg(visits).arg(runs)));
        int byHand = 0, timed = 0;
        for (int i = 0; i < opened.data().GetNumDataBranches(); ++i) {
            const CDataBranch* b = opened.data().GetDataBranchByIndex(i);
            const bool hand = opened.data().GetDataBranchByIndex(i - i % 3)->m_SensorIndex == SensorIndexManualX;
            QVERIFY2(hand == (b->m_RateCode == 0), qPrintable(QStringLiteral("series %1").arg(i)));
            ++(hand ? byHand : timed);
        }
        QCOMPARE(QPoint(byHand, timed), QPoint(3 * runs / 2, 3 * runs / 2));
    }
}

namespace {
// What a teacher reads on each graph: its X axis, every curve's title and whether it is drawn,
// the fits' equations, the two scales, and both cursors' read-outs as the tool bar places them.
QList<QStringList> Readings(CWindowsManager* wm)
{
    QList<QStringList> all;
    for (QMdiSubWindow* w : wm->subWindowList(QMdiArea::CreationOrder)) {
        auto* g = qobject_cast<CGraphWindow*>(w);
        if (!g)
            continue;
        QStringList seen{g->X().AxisTitle()};
        for (int i = 0; i < g->GetNumPlots(); ++i)
            seen << CGraphX::PlotTitle(g->GetPlot(i)) + (g->X().PlotIsDrawn(i) ? " drawn" : " not drawn");
        seen << g->FitEquations() << QString::number(g->LeftScalePlot()) << QString::number(g->RightScalePlot());
        g->OnCursor();
        g->OnCursor2();
        g->grab();
        all << (seen << g->Cursors().First().m_Text << g->Cursors().Second().m_Text);
    }
    return all;
}
} // namespace

// A run's temperature and pressure with a line fitted against time and a derivative; its
// spectrum, which goes to a graph of its own; the temperature against the pressure with a line
// fitted against the pressure and the ribbon's derivative along it. After Save and Open every
// graph reads as it did.
void TestShellWorkspace::whatGraphsShowComesBack()
{
    Rig r;
    CWindowsManager* wm = r.window.windowsManager();
    CDataManager& dm = r.data();
    wm->OnNew();
    QCOMPARE(dm.CreateDataBranch(-1, 0.1, 0, 0, -1), 0);   // key 0: no graph's X
    CDataFolder* run = dm.CreateDataFolder();
    auto series = [&](const QString& name, const QString& unit, int period) {
        CDataBranch* b = dm.GetDataBranch(dm.CreateDataBranch(-1, 0.1, 0, 0, run->m_Key));
        run->AddBranchKey(b->m_Key);
        b->m_Name = name;
        b->m_Unit = unit;
        for (int i = 0; i < 100; ++i)
            b->AddSample(i, 100.0 + std::abs(i % period - period / 2));
        return b;
    };
    CDataBranch* t = series("Temperature", "\u00b0C", 20);
    CDataBranch* p = series("Pressure", "kPa", 46);
    CFunctions* engine = wm->AnalysisEngine();
    auto announce = [&](CDataBranch* made) { emit wm->AnalysisHub()->newFunctionData(made->m_Key, t->m_Key, -1); };
    wm->SetLastActiveGraph(wm->GetLastGraphWindow());
    qobject_cast<CGraphWindow*>(wm->GetLastGraphWindow())->AddPlotsFromKeyArray({t->m_Key, p->m_Key});
    announce(engine->FunctionLinearRegression(t, 10, 60, nullptr));
    announce(engine->FunctionDerivative(t, false, 0, -1, QString(), nullptr));
    CDataBranch* axis = nullptr;
    CDataBranch* spectrum = engine->FunctionFourier(t, 0, -1, QStringLiteral("FFT"), QString(), &axis);
    for (CDataBranch* made : {axis, spectrum})
        announce(made);
    auto* xy = qobject_cast<CGraphWindow*>(wm->ShowGraphWindow());
    wm->SetLastActiveGraph(xy);
    xy->AddPlotsFromKeyArray({t->m_Key, p->m_Key});
    xy->OnXScaleComboChanged(2);
    announce(engine->FunctionLinearRegression(t, 5, 70, p));
    xy->OnCursor();
    xy->OnCursor2();
    wm->onDerivativeMathFunc();
    xy->OnCursor();   // off again: the reading places both
    QCOMPARE(CGraphX::PlotTitle(xy->GetPlot(xy->GetNumPlots() - 1)), QStringLiteral("d(Temperature) / dx(\u00b0C/kPa)"));
    // The time graph, the spectrum's own graph whose axis spans its bins (0 to 4.9 Hz, the cursor
    // in the middle), the XY graph with its fit.
    const QList<QStringList> before = Readings(wm);
    QVERIFY(before.size() == 3 && before.at(1).first() == QStringLiteral("Frequency (Hz)"));
    QVERIFY(before.at(1).join('|').contains(QStringLiteral("x=2.5Hz")));
    r.prompter.m_SaveFile = r.prompter.m_File = r.dir.filePath("graphs.kvb");
    wm->OnSaveAs();
    wm->OnNew();
    wm->OnOpen();
    QCOMPARE(Readings(wm), before);
}

KORVANTA_TEST_MAIN(TestShellWorkspace)
#include "tst_shell_workspace.moc"

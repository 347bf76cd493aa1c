// The shell's workspace commands with the real workspace files: Save As writes a file and names
// the window after it, Open brings the runs back, a failed open never leaves a path that the next
// Save would overwrite, and a failed save says so.
#include "app/shell/HistoryWindow.h"
#include "app/shell/MainWindow.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Logic/LogicManager.h"
#include "support/ScriptedPrompter.h"
#include "support/ScriptedServices.h"
#include "app/shell/ShellServices.h"
#include "graph/GraphWindow.h"

#include <QMdiSubWindow>

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
    void windowsComeBack();
    void failedOpenForgetsPath();
    void failedSaveIsReported();
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

void TestShellWorkspace::failedOpenForgetsPath()
{
    Rig r;
    const QString good = r.dir.filePath("good.kvb");
    r.prompter.m_SaveFile = good;
    r.window.windowsManager()->OnSaveAs();
    const QByteArray saved = [&] {
        QFile f(good);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QVERIFY(!saved.isEmpty());

    // A file whose magic text is wrong: the workspace was cleared before that showed.
    const QString bad = r.dir.filePath("bad.kvb");
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QDataStream(&f) << qint16(1) << QString("korvanta4 file");
    f.close();
    r.prompter.m_File = bad;
    r.prompter.m_Log.clear();
    r.window.windowsManager()->OnOpen();
    QCOMPARE(r.prompter.m_Log.last(), QString("warn|Pavix|The file could not be read completely."));
    QVERIFY(r.files()->savePath().isEmpty());
    QVERIFY(!r.window.windowTitle().contains("good"));
    // Save now asks for a name instead of writing the cleared workspace over good.kvb.
    r.prompter.m_SaveFile.clear();
    r.window.windowsManager()->OnSaveCommand();
    QVERIFY(r.prompter.m_Log.last().startsWith("savefile|Save File|"));
    QFile again(good);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), saved);
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

KORVANTA_TEST_MAIN(TestShellWorkspace)
#include "tst_shell_workspace.moc"

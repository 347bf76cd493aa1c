// Arbitrary bytes as a workspace file, read by the real loader into the real window manager:
// run folders and branches go to the store, each window record to a new window of its kind
// (graph, table, notes, video; a fifth video record is read past with a warning), in the
// offscreen document area. The loader answers with one of its codes; no more video windows
// are open than may be; and a workspace it accepted is written again and reads back to the
// same windows and the same store. The area is cleared before and after every input, so that
// what an input made is gone with it.
//
// With KV_FUZZ_SEEDS=DIR set, the target writes seeds instead (DIR/window_dispatch/ a saved
// workspace with a window of each kind over a run, DIR/video_record/ that video window's own
// record) and exits.
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "app/shell/HistoryWindow.h"
#include "app/shell/WindowsManager.h"
#include "graph/GraphWindow.h"
#include "table/TableWindow.h"
#include "video/VideoAnlysisWindow.h"
#include "video/support/VideoHost.h"
#include "windowbase/KorvantaStyle.h"
#include "workspace/WorkspaceFormat.h"
#include "workspace/WorkspaceLoader.h"
#include "workspace/WorkspaceSaver.h"
#include "WindowFuzzing.h"

#include <QApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QTemporaryDir>

#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

class CFuzzPrompter : public CScriptedPrompter
{
public:
    // Made the shell's prompter by the fixture.
    CFuzzPrompter() : CScriptedPrompter(false) {}
    // A dialog a record might open is never shown.
    int runDialog(QDialog*) override { return 0; }
};

// The fixture's folder (in memory where there is one), removed when the process ends: the
// fixture itself is never destroyed, its windows may not outlive the application.
QTemporaryDir& Folder()
{
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/korvanta-fuzz-XXXXXX")
                                 : QDir::tempPath() + "/korvanta-fuzz-XXXXXX");
    return dir;
}

struct Fixture
{
    int argc = 1;
    char name[21] = "fuzz_window_dispatch";
    char* argv[2] = {name, nullptr};
    QApplication* app;
    CFuzzPrompter prompter;
    CDataManager data;
    QTemporaryDir& dir = Folder();
    CWindowsManager* manager;
    CWorkspaceLoader loader;

    Fixture()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("GST_REGISTRY_FORK", "no");
        app = new QApplication(argc, argv);
        // The program's style, as main() sets it: its standard icons are made once, not read
        // from their files for every window's title bar.
        QApplication::setStyle(new CKorvantaStyle);
        SetShellPrompter(&prompter);
        manager = new CWindowsManager(nullptr);
        manager->SetPrompter(&prompter);
        manager->GetHistoryWindow()->SetDataManager(&data);
        manager->resize(1000, 800);
        loader.SetHost(manager);
        // Videos named in records are looked up beside the workspace file: the folder is empty.
        CWorkspaceLoader::getInstance()->m_LastPath = dir.filePath(QStringLiteral("lesson.kvb"));
        // The area is never shown, and a graph makes its tool bar when it is first shown: one
        // graph is shown once, so that the bar's making is still run under the sanitizers.
        CGraphWindow shown(nullptr);
        shown.show();
        QCoreApplication::processEvents();
    }
};

Fixture& Shared()
{
    static Fixture* f = new Fixture;
    return *f;
}

// Graph, table, notes and video windows open in the area, and the store's folders and branches.
std::array<int, 6> Counts(Fixture& f)
{
    std::array<int, 6> n{};
    for (QMdiSubWindow* w : f.manager->subWindowList()) {
        n[0] += qobject_cast<CGraphWindow*>(w) != nullptr;
        n[1] += qobject_cast<CTableWindow*>(w) != nullptr;
        n[2] += w->inherits("cnoteswindow");
        n[3] += qobject_cast<CVideoAnlysisWindow*>(w) != nullptr;
    }
    n[4] = f.data.GetNumDataFolders();
    n[5] = f.data.GetNumDataBranches();
    return n;
}

void Settle()
{
    // Loads the windows asked for later, and windows closed meanwhile, as the event loop would.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The area as the Open command leaves it before it reads a file: no window, no run. (The shell's
// own clearing for a load would also make and drop a start-up graph each time.)
void Clear(Fixture& f)
{
    f.manager->clearWorkSpace();
    f.manager->GetHistoryWindow()->Clean();
    Settle();
}

int Load(Fixture& f, const QByteArray& bytes)
{
    Clear(f);
    QDataStream in(bytes);
    const int rc = f.loader.loadWorkspaceFromStream(in);
    Settle();
    return rc;
}

// Written as the Save command writes it, into the fixture's folder (in memory where there is
// one); the saver's path is cleared again, so no record places a video copy on the next load.
QByteArray Save(Fixture& f)
{
    const QString path = f.dir.filePath(QStringLiteral("again.kvb"));
    CWorkspaceSaver* saver = CWorkspaceSaver::getInstance();
    const int rc = saver->saveWorkspaceToFile(f.manager, path);
    saver->m_CurrentPath.clear();
    QFile file(path);
    if (rc != WorkspaceOk || !file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

void WriteSeeds(Fixture& f, const QString& root)
{
    Clear(f);
    CDataFolder* run = f.data.CreateDataFolder();
    run->m_Name = QStringLiteral("Run1");
    QVector<int> keys;
    for (int i = 0; i < 3; ++i) {
        const int key = f.data.CreateDataBranch(1, 0.1, i, 0, run->m_Key);
        run->AddBranchKey(key);
        for (int s = 0; s < 10; ++s)
            f.data.GetDataBranch(key)->AddSample(s, s * (i + 1));
        keys << key;
    }
    f.manager->ShowGraphOfBranches(keys);
    qobject_cast<CTableWindow*>(f.manager->ShowTableWindow())->insertAllFolderBranches(run->m_Key);
    f.manager->ShowNotesWithText(QStringLiteral("Notes of the lesson"));
    // The video is a stand-in file: the records name its copy, which no load finds.
    const QString videoPath = f.dir.filePath(QStringLiteral("run1.avi"));
    QFile stand(videoPath);
    if (!stand.open(QIODevice::WriteOnly) || stand.write("RIFF") != 4)
        std::abort();
    stand.close();
    CVideoAnlysisWindow* video = f.manager->ShowVideoWindow(true);
    video->SetVideoFile(videoPath);
    video->SetLinkedFolderKey(run->m_Key);
    video->axisOrigin = QPoint(50, 300);
    video->axisAngle = 15.0;
    Settle();
    const QByteArray workspace = Save(f);
    QByteArray record;
    QDataStream out(&record, QIODevice::WriteOnly);
    CWorkspaceSaver::getInstance()->m_CurrentPath = f.dir.filePath(QStringLiteral("seed.kvb"));
    if (video->saveToFile(&out) != 0)
        std::abort();
    CWorkspaceSaver::getInstance()->m_CurrentPath.clear();
    for (const auto& seed : {qMakePair(QStringLiteral("window_dispatch/saved.kvb"), workspace),
                             qMakePair(QStringLiteral("video_record/saved.rec"), record)}) {
        QDir().mkpath(QFileInfo(root + QLatin1Char('/') + seed.first).path());
        QFile file(root + QLatin1Char('/') + seed.first);
        if (!file.open(QIODevice::WriteOnly) || file.write(seed.second) != seed.second.size())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    KvFuzz::PerInputLeakChecksOff(argc, argv);
    const QByteArray seeds = qgetenv("KV_FUZZ_SEEDS");
    if (!seeds.isEmpty()) {
        WriteSeeds(Shared(), QString::fromLocal8Bit(seeds));
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 16)
        return 0;
    Fixture& f = Shared();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    const int rc = Load(f, bytes);
    // A damaged or foreign file is refused with its reason; nothing else may come back.
    if (rc != WorkspaceOk && rc != WorkspaceNotWorkspace && rc != WorkspaceTruncated && rc != WorkspaceUnreadable)
        std::abort();
    if (CVideoAnlysisWindow::currentVideoWindowsCounter > CVideoAnlysisWindow::s_MaxWindows)
        std::abort();
    if (rc == WorkspaceOk) {
        const std::array<int, 6> before = Counts(f);
        const QByteArray again = Save(f);
        if (Load(f, again) != WorkspaceOk || Counts(f) != before)
            std::abort();
    }
    Clear(f);
    f.prompter.m_Log.clear();
    return 0;
}

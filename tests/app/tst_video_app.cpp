// The video analysis through the real main window: the ribbon's video command opens a window,
// its Open command loads a generated video, Next Frame and Play run it, and an object selected
// with the mouse is tracked into a run that the history shows and the current graph draws. A
// workspace holding such a window, saved and opened again, comes back as it was saved.
#include "windowbase/MultiAction.h"
#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryWindow.h"
#include "app/shell/MainWindow.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "graph/GraphWindow.h"
#include "common/ScriptedPrompter.h"
#include "../video/support/VideoFixture.h"
#include "../video/support/VideoHost.h"
#include "../video/support/VideoDrag.h"
#include "video/VideoAnlysisWindow.h"

#include <QTemporaryDir>
#include "common/TestMain.h"

#include <cmath>
#include <memory>

class TestVideoApp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup() { m_pWindow.reset(); }
    void openPlayStepAndTrack();
    void reopenedWorkspaceShowsWhatWasSaved();

private:
    QTemporaryDir m_Dir;
    SquareVideo m_Video;
    QString m_Path;
    CScriptedPrompter m_Prompter;
    std::unique_ptr<MainWindow> m_pWindow;
};

void TestVideoApp::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_Video.frames = 24;
    m_Video.fps = 12.0;
    m_Path = m_Dir.filePath(QStringLiteral("cart.avi"));
    QVERIFY(m_Video.write(m_Path));
}

void TestVideoApp::init()
{
    m_Prompter.m_File.clear();
    m_pWindow = std::make_unique<MainWindow>(nullptr);
    m_pWindow->init();
    m_pWindow->show();
}

namespace {
// Loaded, stopped on a frame and not waiting for another.
bool settled(CVideoAnlysisWindow* w)
{
    return w->playState == CVideoAnlysisWindow::Stopped && w->videoDuration > 0 && !w->frameImage.isNull()
           && !w->isStepping && w->RequestedFrame() < 0;
}

// A trail dot drawn in the picture: the track's green, where the light background would be.
bool dotDrawnAt(CVideoAnlysisWindow* w, const QPoint& framePoint)
{
    const QImage view = w->label()->pixmap(Qt::ReturnByValue).toImage();
    const QPoint p = w->PointToVideoView(framePoint);
    return view.valid(p) && qGreen(view.pixel(p)) > 150 && qRed(view.pixel(p)) < 100;
}
} // namespace

void TestVideoApp::openPlayStepAndTrack()
{
    const SquareVideo& v = m_Video;
    m_Prompter.m_File = m_Path;
    MainWindow* window = m_pWindow.get();
    CWindowsManager* wm = window->windowsManager();
    QCOMPARE(wm->videoWindowsCount(), 0);
    MultiAction* videoCommand = window->findAction(24);
    QVERIFY(videoCommand);
    window->updateActions();
    QVERIFY(videoCommand->isEnabled());
    videoCommand->trigger();
    QCOMPARE(wm->videoWindowsCount(), 1);
    CVideoAnlysisWindow* w = wm->GetLastVideoWindow();
    QVERIFY(w);
    // The active-stream check of a window opened without a file passes first.
    QTest::qWait(1200);

    w->action(CVideoAnlysisWindow::KeyOpen)->trigger();
    QCOMPARE(w->VideoFile(), m_Path);
    QTRY_VERIFY_WITH_TIMEOUT(w->playState == CVideoAnlysisWindow::Stopped && w->videoDuration > 0
                                 && !w->frameImage.isNull(), 10000);
    QTest::qWait(1200);
    QCOMPARE(w->frameCount, qint64(v.frames));

    w->action(CVideoAnlysisWindow::KeyNextFrame)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(SquareFrameIndex(w->frameImage, v), 1, 5000);

    QSignalSpy stops(wm->GetSignals(), &CKorvantaSignals::VideoPlaybackStop);
    w->UpdateButtons();
    w->action(CVideoAnlysisWindow::KeyPlay)->trigger();
    QCOMPARE(w->playState, int(CVideoAnlysisWindow::Playing));
    QTRY_VERIFY_WITH_TIMEOUT(stops.count() >= 1, 10000);
    QCOMPARE(w->playState, int(CVideoAnlysisWindow::Stopped));
    QVERIFY(SquareFrameIndex(w->frameImage, v) >= 20);

    // Select the object of the first frame by dragging over it.
    w->OnSetObject();
    const QPoint corner = v.cornerAt(SquareFrameIndex(w->frameImage, v));
    DragOnWindow(w, WindowPointOfFrame(w, corner - QPoint(3, 3)), WindowPointOfFrame(w, corner + QPoint(22, 22)));
    QVERIFY(w->templateSet);

    w->UpdateButtons();
    QVERIFY(w->action(CVideoAnlysisWindow::KeyStartTracking)->isEnabled());
    // The graph that takes new runs draws the tracking run while it is made.
    auto* graph = qobject_cast<CGraphWindow*>(wm->GetLastActiveGraph());
    if (!graph)
        graph = qobject_cast<CGraphWindow*>(wm->ShowGraphWindow());
    QVERIFY(graph);
    w->action(CVideoAnlysisWindow::KeyStartTracking)->trigger();
    QVERIFY(w->isTracking);
    QVERIFY(wm->isVideoTracking());
    QVERIFY(graph->IsRunning());
    QCOMPARE(graph->GetNumPlots(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(!w->isTracking, 15000);
    QVERIFY(!wm->isVideoTracking());
    QVERIFY(!graph->IsRunning());

    CDataManager* data = wm->GetDataManager();
    CDataFolder* run = data->GetLastDataFolder();
    QVERIFY(run);
    QVERIFY(run->m_Name.startsWith(QStringLiteral("Video Analysis ")));
    QCOMPARE(run->GetNumberBranches(), 2);
    CDataBranch* x = data->GetDataBranch(run->GetBranchKey(0));
    QVERIFY(x && x->GetNumSamples() >= 8);
    QList<int> plotted;
    graph->GetPlotKeys(&plotted);
    QCOMPARE(plotted, (QList<int>{run->GetBranchKey(0), run->GetBranchKey(1)}));
    QCOMPARE(graph->GetDataBranch(0), x);
    // Autoscaled to the track when it ended: the X axis spans the tracked samples.
    QCOMPARE(graph->X().Max(), float(x->GetLastXSample()));
    // The history lists the run.
    CHistoryTreeModel* model = wm->GetHistoryWindow()->model();
    int listed = 0;
    for (int r = 0; r < model->rowCount(); ++r) {
        const QModelIndex row = model->index(r, 0);
        if (row.data().toInt() == run->m_Key) {
            ++listed;
            QCOMPARE(model->rowCount(row), 2);
        }
    }
    QCOMPARE(listed, 1);
}

void TestVideoApp::reopenedWorkspaceShowsWhatWasSaved()
{
    const SquareVideo& v = m_Video;
    CWindowsManager* wm = m_pWindow->windowsManager();

    // A tracked video with its axis moved, a graph of the track kept minimised, a table and notes.
    CVideoAnlysisWindow* w = wm->ShowVideoWindow(true);
    QVERIFY(w && w->LoadVideoFile(m_Path));
    w->SetVideoFile(m_Path);
    QTRY_VERIFY_WITH_TIMEOUT(settled(w), 10000);
    w->axisOrigin = QPoint(50, 60);
    w->OnSetObject();
    DragOnWindow(w, WindowPointOfFrame(w, v.cornerAt(0) - QPoint(3, 3)), WindowPointOfFrame(w, v.cornerAt(0) + QPoint(22, 22)));
    QVERIFY(w->templateSet);
    w->OnStartTrack();
    QTRY_VERIFY_WITH_TIMEOUT(!w->isTracking, 15000);
    const QVector<QPoint> trail = w->TrackingRun().m_Trail;
    QCOMPARE(trail.size(), v.frames);
    // Made wider than the picture's shape by the user: a newly opened file would refit it.
    w->setGeometry(300, 200, 760, 420);
    const QSize videoSize = w->size();
    auto* graph = qobject_cast<CGraphWindow*>(wm->ShowGraphWindow());
    QVERIFY(graph);
    const CDataFolder* run = wm->GetDataManager()->GetLastDataFolder();
    graph->AddPlotsFromKeyArray({run->GetBranchKey(0), run->GetBranchKey(1)});
    graph->setGeometry(40, 60, 520, 380);
    const QRect graphPlace = graph->geometry();
    graph->showMinimized();
    wm->ShowTableWindow();
    wm->ShowNotesWindow();
    m_Prompter.m_SaveFile = m_Dir.filePath(QStringLiteral("lesson.kvb"));
    wm->OnSaveAs();
    QVERIFY(!wm->hasDataToSave());

    m_Prompter.m_File = m_Prompter.m_SaveFile;
    wm->OnOpen();
    CVideoAnlysisWindow* back = wm->GetLastVideoWindow();
    QVERIFY(back && back != w);
    // The video comes back on its first frame with the axis and the dots of the track drawn.
    QTRY_VERIFY_WITH_TIMEOUT(settled(back), 10000);
    QCOMPARE(back->axisOrigin, QPoint(50, 60));
    QCOMPARE(back->size(), videoSize);
    QCOMPARE(back->TrackingRun().m_Trail, trail);
    for (int k : {0, v.frames / 2, v.frames - 1})
        QVERIFY2(dotDrawnAt(back, trail.at(k)), qPrintable(QString::number(k)));
    // The graph is minimised again, and shown normally it has its place. Nothing the windows
    // did while coming back is a change of the workspace.
    CKorvantaWindow* graphBack = wm->GetLastGraphWindow();
    QVERIFY(graphBack && graphBack->isMinimized() && !wm->hasDataToSave());
    graphBack->showNormal();
    QCOMPARE(graphBack->geometry(), graphPlace);
}

KORVANTA_TEST_MAIN(TestVideoApp)
#include "tst_video_app.moc"

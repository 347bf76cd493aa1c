// The window manager's video share on the shell's test rig: at most four video windows,
// opening the video of a run, and the active video window handed on when one closes.
#include "Core/Base/KorvantaSignals.h"
#include "ShellRig.h"
#include "app/shell/HistoryWindow.h"
#include "app/shell/HistoryTreeModel.h"
#include "../video/support/VideoFixture.h"
#include "video/VideoAnlysisWindow.h"

#include <QTemporaryDir>
#include "common/TestMain.h"

class TestVideoWindowsManager : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void atMostFourWindows();
    void openVideoOfRun();
    void openVideoTwiceMakesOneWindow();
    void openVideoWithFourOpenUsesLast();
    void closingActiveHandsRoleOn();
    void trackingRunReachesHistory();
    void deletingReturnsWhenTrackingEnds();

private:
    void closeAll(CShellRig& rig);
    QTemporaryDir m_Dir;
    QString m_Path;
};

void TestVideoWindowsManager::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    SquareVideo v;
    v.frames = 10;
    m_Path = m_Dir.filePath(QStringLiteral("run.avi"));
    QVERIFY(v.write(m_Path));
}

void TestVideoWindowsManager::closeAll(CShellRig& rig)
{
    for (QMdiSubWindow* w : rig.manager.subWindowList())
        if (qobject_cast<CVideoAnlysisWindow*>(w))
            delete w;
}

void TestVideoWindowsManager::atMostFourWindows()
{
    CShellRig rig;
    const int before = CVideoAnlysisWindow::videoWindowsCounter;
    QList<QPointer<CVideoAnlysisWindow>> made;
    for (int i = 0; i < 4; ++i) {
        CVideoAnlysisWindow* w = rig.manager.ShowVideoWindow(false);
        QVERIFY(w);
        QCOMPARE(w->serialNumber, before + i);
        made << w;
    }
    QCOMPARE(rig.manager.videoWindowsCount(), 4);
    QVERIFY(!rig.manager.ShowVideoWindow(false));
    QCOMPARE(rig.manager.videoWindowsCount(), 4);
    QCOMPARE(rig.manager.GetLastVideoWindow(), made.last().data());
    // After one closes a new one opens, with the next serial number.
    made.first()->close();
    QTRY_VERIFY(made.first().isNull());
    QCOMPARE(rig.manager.videoWindowsCount(), 3);
    CVideoAnlysisWindow* again = rig.manager.ShowVideoWindow(false);
    QVERIFY(again);
    QCOMPARE(again->serialNumber, before + 4);
    closeAll(rig);
    QCOMPARE(rig.manager.videoWindowsCount(), 0);
}

void TestVideoWindowsManager::openVideoOfRun()
{
    CShellRig rig;
    rig.manager.OpenVideoWindow(m_Path, 7);
    CVideoAnlysisWindow* w = rig.manager.GetLastVideoWindow();
    QVERIFY(w);
    QCOMPARE(w->LinkedFolderKey(), 7);
    QCOMPARE(w->VideoFile(), m_Path);
    QTRY_VERIFY_WITH_TIMEOUT(!w->frameImage.isNull(), 10000);
    // The window made for a file does not clear it a second later.
    QTest::qWait(1500);
    QCOMPARE(w->VideoFile(), m_Path);
    closeAll(rig);
}

void TestVideoWindowsManager::openVideoTwiceMakesOneWindow()
{
    CShellRig rig;
    rig.manager.OpenVideoWindow(m_Path, 3);
    rig.manager.OpenVideoWindow(m_Path, 3);
    QCOMPARE(rig.manager.videoWindowsCount(), 1);
    // The same file for another run is another window.
    rig.manager.OpenVideoWindow(m_Path, 4);
    QCOMPARE(rig.manager.videoWindowsCount(), 2);
    // A missing file leaves the window without a video, and says so.
    rig.manager.OpenVideoWindow(m_Dir.filePath(QStringLiteral("none.avi")), 5);
    QCOMPARE(rig.manager.videoWindowsCount(), 3);
    QVERIFY(rig.manager.GetLastVideoWindow()->VideoFile().isEmpty());
    QCOMPARE(rig.manager.GetLastVideoWindow()->LinkedFolderKey(), 5);
    QVERIFY(rig.prompter.boxes("warn crit").join(QLatin1Char('\n')).contains(QStringLiteral("Video file not found.")));
    closeAll(rig);
}

void TestVideoWindowsManager::openVideoWithFourOpenUsesLast()
{
    CShellRig rig;
    for (int i = 0; i < 4; ++i)
        QVERIFY(rig.manager.ShowVideoWindow(false));
    CVideoAnlysisWindow* last = rig.manager.GetLastVideoWindow();
    rig.manager.OpenVideoWindow(m_Path, 11);
    QCOMPARE(rig.manager.videoWindowsCount(), 4);
    QCOMPARE(last->LinkedFolderKey(), 11);
    QCOMPARE(last->VideoFile(), m_Path);
    closeAll(rig);
}

void TestVideoWindowsManager::closingActiveHandsRoleOn()
{
    CShellRig rig;
    CVideoAnlysisWindow* a = rig.manager.ShowVideoWindow(true);
    CVideoAnlysisWindow* b = rig.manager.ShowVideoWindow(true);
    rig.manager.SetActiveVideoWindow(b);
    QCOMPARE(rig.manager.GetActiveVideoWindow(), b);
    b->close();
    QCOMPARE(rig.manager.GetActiveVideoWindow(), a);
    rig.manager.SetActiveVideoWindow(a);
    a->close();
    QCOMPARE(rig.manager.GetActiveVideoWindow(), nullptr);
    // Only video windows take the role.
    rig.manager.SetActiveVideoWindow(rig.manager.GetHistoryWindow());
    QCOMPARE(rig.manager.GetActiveVideoWindow(), nullptr);
}

void TestVideoWindowsManager::trackingRunReachesHistory()
{
    CShellRig rig;
    rig.manager.GetHistoryWindow()->SetDataManager(&rig.logic.m_DataManager);
    CVideoAnlysisWindow* w = rig.manager.ShowVideoWindow(true);
    QVERIFY(w);
    QSignalSpy on(&rig.hub(), &CKorvantaSignals::VideoAnalysisStart);
    w->InitTrackingData();
    CDataFolder* folder = rig.manager.GetDataManager()->GetLastDataFolder();
    QVERIFY(folder);
    QVERIFY(folder->m_Name.startsWith(QStringLiteral("Video Analysis ")));
    QVERIFY(folder->m_bVideoAnalysis);
    QVERIFY(!rig.manager.GetHistoryWindow()->isEmpty());
    // The window manager knows tracking is on from the hub and refuses to exit meanwhile.
    rig.hub().SignalVideoAnalysisStart(folder->m_Key);
    QVERIFY(rig.manager.isVideoTracking());
    rig.hub().SignalVideoAnalysisStop();
    QVERIFY(!rig.manager.isVideoTracking());
    closeAll(rig);
}

// Deleting is locked while a tracking lasts and comes back however it ends: by the track
// command, or by a search that cannot start. A logger run's own lock outlasts it.
void TestVideoWindowsManager::deletingReturnsWhenTrackingEnds()
{
    CShellRig rig;
    CHistoryWindow* history = rig.manager.GetHistoryWindow();
    history->SetDataManager(&rig.logic.m_DataManager);
    rig.manager.OpenVideoWindow(m_Path, -1);
    CVideoAnlysisWindow* w = rig.manager.GetLastVideoWindow();
    QTRY_VERIFY_WITH_TIMEOUT(w && !w->frameImage.isNull(), 10000);
    const auto deletable = [history] { return history->rowLook(history->model()->index(0, 0)).deletable; };
    for (VideoTrackingMode mode : {VideoTrackingMode::Manual, VideoTrackingMode::Automatic}) {
        w->trackingMode = mode;
        w->OnStartTrack();
        QVERIFY(!w->isTracking || !deletable());
        if (mode == VideoTrackingMode::Manual)
            w->OnStartTrack();
        QTRY_VERIFY_WITH_TIMEOUT(!w->isTracking && deletable(), 10000);
    }
    rig.hub().SignalLoggerStartedRun();
    rig.hub().SignalVideoAnalysisStop();
    QVERIFY(!deletable());
    closeAll(rig);
}

KORVANTA_TEST_MAIN(TestVideoWindowsManager)
#include "tst_video_windowsmanager.moc"

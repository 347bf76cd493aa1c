// The window manager's graph windows: the one made at start-up, more from the command, the
// last activated one taking a run, the fresh graph of a cleaned workspace, and the current
// graph after one closes.
#include "support/ShellRig.h"

#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "app/shell/HistoryWindow.h"
#include "graph/GraphWindow.h"

#include "common/TestMain.h"

class TestShellGraphs : public QObject
{
    Q_OBJECT
private slots:
    void startUpGraphIsCurrent()
    {
        CShellRig rig;
        rig.manager.GetHistoryWindow()->SetDataManager(&rig.logic.m_DataManager);
        auto* graph = qobject_cast<CGraphWindow*>(rig.manager.GetCurrent(CWindowsManager::GraphKind));
        QVERIFY(graph);
        QCOMPARE(rig.manager.GetLastMade(CWindowsManager::GraphKind), graph);
        QCOMPARE(rig.manager.GetLastActiveGraph(), graph);
        QCOMPARE(rig.manager.GetLastGraphWindow(), graph);
        QVERIFY(rig.manager.subWindowList().contains(graph));
        // It reaches the setup and the data store through the manager.
        // Made before the store was handed over, it finds the store through the manager.
        QVERIFY(rig.manager.GetDataManager());
        CDataFolder* run = rig.manager.GetDataManager()->CreateDataFolder();
        const int key = rig.manager.GetDataManager()->CreateDataBranch(SensorIndexOnlineFunction, 0.01, -1, -1, run->m_Key);
        emit rig.hub().newFunctionData(key, -1, -1);
        QCOMPARE(graph->GetNumPlots(), 1);
        QVERIFY(graph->GetDataBranch(0));
        QCOMPARE(rig.manager.GetSetupInfo(), rig.manager.GetSetupWindow()->getSetupInfo());
    }

    void onlyTheLastActivatedGraphTakesARun()
    {
        CShellRig rig;
        rig.manager.GetHistoryWindow()->SetDataManager(&rig.logic.m_DataManager);
        auto* first = qobject_cast<CGraphWindow*>(rig.manager.GetCurrent(CWindowsManager::GraphKind));
        rig.manager.onOpenGraphWindow();
        auto* second = qobject_cast<CGraphWindow*>(rig.manager.GetCurrent(CWindowsManager::GraphKind));
        QVERIFY(second && second != first);
        QCOMPARE(rig.manager.GetLastGraphWindow(), second);
        // Activated while maximised it does not register; plainly activated it does.
        emit first->windowStateChanged(Qt::WindowNoState, Qt::WindowMaximized | Qt::WindowActive);
        QCOMPARE(rig.manager.GetLastActiveGraph(), second);
        emit first->windowStateChanged(Qt::WindowNoState, Qt::WindowActive);
        QCOMPARE(rig.manager.GetLastActiveGraph(), first);

        CDataManager* data = rig.manager.GetDataManager();
        CDataFolder* run = data->CreateDataFolder();
        const int key = data->CreateDataBranch(SensorIndexOnlineFunction, 0.01, -1, -1, run->m_Key);
        run->AddBranchKey(key);
        emit rig.hub().LoggerStartedRun();
        QCOMPARE(first->GetNumPlots(), 1);
        QCOMPARE(first->GetPlot(0).m_Key, key);
        QVERIFY(first->IsRunning());
        QCOMPARE(second->GetNumPlots(), 0);
        QVERIFY(!second->IsRunning());
        emit rig.hub().LoggerExperimentEnd();
        QVERIFY(!first->IsRunning());
    }

    void closingTheCurrentGraphFallsBack()
    {
        CShellRig rig;
        CKorvantaWindow* first = rig.manager.GetCurrent(CWindowsManager::GraphKind);
        CKorvantaWindow* second = rig.manager.ShowGraphWindow();
        QCOMPARE(rig.manager.GetCurrent(CWindowsManager::GraphKind), second);
        QPointer<CKorvantaWindow> gone(second);
        second->close();
        QCOMPARE(rig.manager.GetCurrent(CWindowsManager::GraphKind), first);
        QTRY_VERIFY(gone.isNull());   // deleted on close
    }

    void cleanWorkspaceLeavesOneFreshGraph()
    {
        CShellRig rig;
        QPointer<CKorvantaWindow> old(rig.manager.GetCurrent(CWindowsManager::GraphKind));
        rig.manager.ShowGraphWindow();
        rig.manager.CleanWorkspace();
        QVERIFY(old.isNull());
        int graphs = 0;
        for (QMdiSubWindow* w : rig.manager.subWindowList())
            graphs += qobject_cast<CGraphWindow*>(w) ? 1 : 0;
        QCOMPARE(graphs, 1);
        QVERIFY(qobject_cast<CGraphWindow*>(rig.manager.GetCurrent(CWindowsManager::GraphKind)));
        QCOMPARE(rig.manager.GetLastActiveGraph(), rig.manager.GetCurrent(CWindowsManager::GraphKind));
    }

    void downloadLandsInTheLastActiveGraph()
    {
        CShellRig rig;
        rig.manager.GetHistoryWindow()->SetDataManager(&rig.logic.m_DataManager);
        auto* first = qobject_cast<CGraphWindow*>(rig.manager.GetCurrent(CWindowsManager::GraphKind));
        auto* second = qobject_cast<CGraphWindow*>(rig.manager.ShowGraphWindow());
        emit first->windowStateChanged(Qt::WindowNoState, Qt::WindowActive);
        CDataManager* data = rig.manager.GetDataManager();
        for (int run = 0; run < 3; ++run) {
            CDataFolder* f = data->CreateDataFolder();
            for (int b = 0; b <= run; ++b)
                f->AddBranchKey(data->CreateDataBranch(SensorIndexOnlineFunction, 0.01, -1, -1, f->m_Key));
        }
        // Raised on the logger's thread, the signal arrives queued.
        QMetaObject::invokeMethod(&rig.hub(), "LoggerDownloadFinshed", Qt::QueuedConnection, Q_ARG(bool, true));
        QTRY_COMPARE(first->GetNumPlots(), 3);
        QList<int> keys;
        first->GetPlotKeys(&keys);
        QCOMPARE(keys, data->GetLastDataFolder()->GetBranchKeys().toList());
        QCOMPARE(second->GetNumPlots(), 0);
    }

    void slopeAndAreaReadOutsFollowTheCursors()
    {
        CShellRig rig;
        rig.manager.GetHistoryWindow()->SetDataManager(&rig.logic.m_DataManager);
        auto* graph = qobject_cast<CGraphWindow*>(rig.manager.GetCurrent(CWindowsManager::GraphKind));
        CDataManager* data = rig.manager.GetDataManager();
        CDataFolder* f = data->CreateDataFolder();
        const int key = data->CreateDataBranch(SensorIndexOnlineFunction, 0.01, -1, -1, f->m_Key);
        f->AddBranchKey(key);
        graph->AddPlotsFromKeyArray({key});
        // No cursor: refused with the message, the read-outs stay off.
        rig.manager.onSlopeFunc();
        rig.manager.onAreaFunc();
        QCOMPARE(rig.prompter.boxes("warn crit"), (QStringList{QStringLiteral("Error|Please select plot."),
                                                    QStringLiteral("Error|Please place two cursors on a plot.")}));
        QVERIFY(!graph->SlopeMode() && !graph->AreaMode());
        // Cursor 1 on the plot: the slope toggles; the area still needs the second cursor.
        graph->Cursors().SetPlot(1, 0);
        graph->Cursors().SetSample(1, 3);
        rig.manager.onSlopeFunc();
        QVERIFY(graph->SlopeMode());
        rig.manager.onAreaFunc();
        QVERIFY(!graph->AreaMode());
        graph->Cursors().SetPlot(2, 0);
        graph->Cursors().SetSample(2, 8);
        rig.manager.onAreaFunc();
        QVERIFY(graph->AreaMode());
        rig.manager.onSlopeFunc();
        QVERIFY(!graph->SlopeMode());
        QCOMPARE(rig.prompter.boxes("warn crit").size(), 3);
    }
};

KORVANTA_TEST_MAIN(TestShellGraphs)
#include "tst_shell_graphs.moc"

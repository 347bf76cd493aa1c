// The window manager: the arrangement of setup, history and graph, guarded window records,
// and the main window built around it (layout, minimum size, ribbon, notices, keep-awake).
#include "windowbase/KorvantaWindow.h"
#include "app/shell/HistoryWindow.h"
#include "app/shell/MainWindow.h"
#include "platform/KeepAwake.h"
#include "setup/FullSetupWindow.h"
#include "support/ShellRig.h"

#include "Core/Base/KorvantaSignals.h"

#include <QBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QToolBar>
#include "common/TestMain.h"

namespace {
class CCountingKeepAwake : public IKeepAwake
{
public:
    void UpdateSystemActivity() override { ++m_Calls; }
    int m_Calls = 0;
};
} // namespace

class TestShellWindowsManager : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void initialArrangement_data();
    void initialArrangement();
    void updatedArrangement();
    void graphPlacedAfterInit();
    void setupSummaryKeepsItsPlace();
    void newWindowsOpenInsideTheArea();
    void fullSetupOpensInFront();
    void freePlacement_data();
    void freePlacement();
    void recordsAreGuarded();
    void lastActiveOnClose();
    void hubMarksUnsavedData();
    void setupRecordLentToTheLogicManager();
    void mainWindowLayout();
    void ribbonStaysPutWhenManualButtonShows();
    void mainWindowNoticesAndRunRule();
    void noticeShowsItsWholeTitle_data();
    void noticeShowsItsWholeTitle();
    void keepAwakeOnlyWithLogger();
    void exitAsksWhileRunning();
};

void TestShellWindowsManager::initialArrangement_data()
{
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("setupH");
    QTest::addColumn<int>("historyH");
    QTest::newRow("900") << 900 << 600 << 300;
    QTest::newRow("901") << 901 << 600 << 300; // third 300.33
    QTest::newRow("902") << 902 << 601 << 300; // third 300.67, twice 601.33
}

void TestShellWindowsManager::initialArrangement()
{
    QFETCH(int, h);
    QFETCH(int, setupH);
    QFETCH(int, historyH);
    const auto a = CWindowsManager::InitialArrangement(1280, h);
    QCOMPARE(a.setup, QRect(0, 0, 380, setupH));
    QCOMPARE(a.history, QRect(0, setupH, 380, historyH));
    QCOMPARE(a.graph, QRect(380, 0, 900, h));
    // Later updates divide in integers: 902 gives 600 and 300 there.
    const auto u = CWindowsManager::UpdatedArrangement(1280, h, true, true, QRect());
    QCOMPARE(u.setup, QRect(0, 0, 380, 2 * (h / 3)));
    QCOMPARE(u.history, QRect(0, 2 * (h / 3), 380, h / 3));
    QVERIFY(u.graph.isNull());
}

void TestShellWindowsManager::updatedArrangement()
{
    const QRect graph(100, 20, 500, 400);
    auto a = CWindowsManager::UpdatedArrangement(1000, 900, false, true, graph);
    QCOMPARE(a.history, QRect(0, 0, 380, 900));
    QVERIFY(a.setup.isNull());
    QCOMPARE(a.graph, QRect(380, 20, 120, 400));
    a = CWindowsManager::UpdatedArrangement(1000, 900, true, false, graph);
    QCOMPARE(a.setup, QRect(0, 0, 380, 900));
    QVERIFY(a.history.isNull());
    a = CWindowsManager::UpdatedArrangement(1000, 900, false, false, graph);
    QCOMPARE(a.graph, QRect(0, 0, 1000, 900));
    a = CWindowsManager::UpdatedArrangement(1000, 900, true, true, QRect(400, 5, 300, 300));
    QCOMPARE(a.graph, QRect(400, 5, 300, 300));
    // A graph narrower than the side column keeps a usable width.
    a = CWindowsManager::UpdatedArrangement(1000, 900, true, true, QRect(0, 0, 200, 300));
    QCOMPARE(a.graph, QRect(380, 0, CKorvantaWindow::s_MinWindowSize, 300));
    // So does the graph of a start-up area narrower than the side column.
    QCOMPARE(CWindowsManager::InitialArrangement(300, 600).graph.width(), CKorvantaWindow::s_MinWindowSize);
}

void TestShellWindowsManager::graphPlacedAfterInit()
{
    CShellRig rig;
    rig.manager.onAlign2Grid(false);
    rig.frame.resize(1000, 900);
    rig.manager.setGeometry(0, 0, 1000, 900);
    rig.frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.frame));
    auto* graph = new CKorvantaWindow(&rig.manager, Qt::SubWindow);
    rig.manager.AddChildWindow(graph, CWindowsManager::GraphKind);
    graph->show();
    QCOMPARE(rig.manager.GetCurrent(CWindowsManager::GraphKind), graph);
    rig.manager.InitWindowsArrangement();
    QCOMPARE(graph->geometry(), QRect(380, 0, rig.manager.viewport()->width() - 380, rig.manager.viewport()->height()));
    QCOMPARE(rig.manager.background().color(), QColor(96, 96, 96));
}

void TestShellWindowsManager::setupSummaryKeepsItsPlace()
{
    CShellRig rig;
    rig.manager.setGeometry(0, 0, 1000, 900);
    rig.manager.init();
    rig.frame.show();
    rig.manager.InitWindowsArrangement();
    CSetupWindow* setup = rig.manager.GetSetupWindow();
    // The summary had the whole side when the history came back over the full setup.
    rig.manager.onOpenHisoryWindow(false);
    setup->displaySetupWindow(1);
    rig.manager.onOpenHisoryWindow(true);
    setup->currentWindow()->close();
    QVERIFY(setup->summaryWidget()->isVisible());
    QCOMPARE(setup->summaryWidget()->geometry(), QRect(0, 0, 380, 2 * (rig.manager.height() / 3)));
}

void TestShellWindowsManager::newWindowsOpenInsideTheArea()
{
    // The document area of a 1280 x 800 screen below the menus and the ribbon.
    CShellRig rig;
    rig.frame.resize(1280, 680);
    rig.manager.setGeometry(0, 0, 1280, 680);
    rig.frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.frame));
    CWindowsManager& m = rig.manager;
    m.InitWindowsArrangement();
    const QRect band = m.GetHistoryWindow()->geometry() | rig.controller().currentWindow()->geometry();
    // Twice each: the second opens beside the first; graphs and tables beside the side column.
    for (int twice = 0; twice < 2; ++twice) {
        QVERIFY(!m.ShowGraphWindow()->geometry().intersects(band));
        QVERIFY(!m.ShowTableWindow()->geometry().intersects(band));
        m.ShowMetersWindow();
        m.ShowCalcWindow();
        m.ShowNotesWindow();
        m.ShowVideoWindow(true);
    }
    QCOMPARE(m.subWindowList().size(), 4 + 12);   // with setup, summary, history and the first graph
    for (QMdiSubWindow* w : m.subWindowList())
        if (w->isVisible())
            QVERIFY2(m.viewport()->rect().contains(w->geometry()), qPrintable(w->windowTitle()));
}

// At 1280 x 800 the history's place lies across the foot of the full setup: opened from the
// summary, the full setup is in front of it and takes the keyboard.
void TestShellWindowsManager::fullSetupOpensInFront()
{
    CShellRig rig;
    rig.manager.setGeometry(0, 0, 1280, 680);
    rig.frame.show();
    rig.manager.InitWindowsArrangement();
    rig.manager.setActiveSubWindow(rig.manager.GetHistoryWindow());
    QTest::mouseClick(rig.controller().summaryWidget()->findChild<QPushButton*>("FullSetupButton"), Qt::LeftButton);
    QMdiSubWindow* full = rig.controller().fullSetupWindow();
    QVERIFY(full->geometry().intersects(rig.manager.GetHistoryWindow()->geometry()));
    QCOMPARE(rig.manager.activeSubWindow(), full);
    QCOMPARE(rig.manager.subWindowList(QMdiArea::StackingOrder).last(), full);
}

void TestShellWindowsManager::freePlacement_data()
{
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QRect>("band");
    QTest::addColumn<QVector<QPoint>>("corners");
    QTest::addColumn<QRect>("place");
    const QSize small(40, 40);
    const QRect side(0, 0, 380, 900);
    // A 500 x 400 window in a 1600 x 900 area.
    QTest::newRow("beside the side") << small << side << QVector<QPoint>{} << QRect(380, 0, 500, 400);
    // A corner near a place (snapped to the grid) takes it too.
    QTest::newRow("past corners") << small << side << QVector<QPoint>{{380, 0}, {410, 30}} << QRect(460, 80, 500, 400);
    QTest::newRow("no side") << small << QRect() << QVector<QPoint>{} << QRect(0, 0, 500, 400);
    // The full setup is wider than the column and ends off the windows' grid.
    QTest::newRow("beside the full setup") << small << QRect(0, 0, 1182, 600) << QVector<QPoint>{}
                                           << QRect(1200, 0, 400, 400);
    QTest::newRow("minimum past the free part")
        << QSize(500, 300) << QRect(0, 0, 1182, 600) << QVector<QPoint>{{0, 0}} << QRect(40, 40, 500, 400);
    QTest::newRow("a sliver") << small << QRect(0, 0, 1360, 600) << QVector<QPoint>{} << QRect(0, 0, 500, 400);
}

void TestShellWindowsManager::freePlacement()
{
    QFETCH(QSize, minimum);
    QFETCH(QRect, band);
    QFETCH(QVector<QPoint>, corners);
    QFETCH(QRect, place);
    QCOMPARE(CWindowsManager::FreePlacement(QSize(1600, 900), band, QSize(500, 400), minimum, corners), place);
}

void TestShellWindowsManager::recordsAreGuarded()
{
    CShellRig rig;
    // The graph window made at start-up is the current one until it goes.
    QVERIFY(rig.manager.GetCurrent(CWindowsManager::GraphKind));
    delete rig.manager.GetCurrent(CWindowsManager::GraphKind);
    auto* table = new CKorvantaWindow(&rig.manager, Qt::SubWindow);
    rig.manager.AddChildWindow(table, CWindowsManager::TableKind);
    QCOMPARE(rig.manager.GetLastMade(CWindowsManager::TableKind), table);
    QVERIFY(!rig.manager.GetCurrent(CWindowsManager::GraphKind));
    auto* graph = new CKorvantaWindow(&rig.manager, Qt::SubWindow);
    rig.manager.AddChildWindow(graph, CWindowsManager::GraphKind);
    QCOMPARE(rig.manager.GetCurrent(CWindowsManager::GraphKind), graph);
    delete graph;
    delete table;
    // A deleted window is no longer a record anybody can reach.
    QVERIFY(!rig.manager.GetCurrent(CWindowsManager::GraphKind));
    QVERIFY(!rig.manager.GetLastMade(CWindowsManager::GraphKind));
    QVERIFY(!rig.manager.GetLastMade(CWindowsManager::TableKind));
    QVERIFY(!rig.manager.GetLastOfKind(CWindowsManager::GraphKind));
    QVERIFY(!rig.manager.GetLastMade(CWindowsManager::WindowKind(99)));
}

void TestShellWindowsManager::lastActiveOnClose()
{
    CShellRig rig;
    delete rig.manager.GetCurrent(CWindowsManager::GraphKind);
    auto* first = new CKorvantaWindow(&rig.manager, Qt::SubWindow);
    auto* second = new CKorvantaWindow(&rig.manager, Qt::SubWindow);
    auto* notes = new CKorvantaWindow(&rig.manager, Qt::SubWindow);
    rig.manager.AddChildWindow(first, CWindowsManager::GraphKind);
    rig.manager.AddChildWindow(second, CWindowsManager::GraphKind);
    rig.manager.AddChildWindow(notes, CWindowsManager::NotesKind);
    QCOMPARE(rig.manager.GetCurrent(CWindowsManager::GraphKind), second);
    rig.manager.SetLastActive(CWindowsManager::GraphKind, second);
    QCOMPARE(rig.manager.GetCurrent(CWindowsManager::GraphKind), first);
    rig.manager.SetLastActive(CWindowsManager::GraphKind, first);
    QCOMPARE(rig.manager.GetCurrent(CWindowsManager::GraphKind), second);
    delete second;
    rig.manager.SetLastActive(CWindowsManager::GraphKind, first);
    QVERIFY(!rig.manager.GetCurrent(CWindowsManager::GraphKind));
}

void TestShellWindowsManager::hubMarksUnsavedData()
{
    CShellRig rig;
    QVERIFY(!rig.manager.hasDataToSave());
    auto* w = new CKorvantaWindow(&rig.manager, Qt::SubWindow);
    rig.manager.AddChildWindow(w, CWindowsManager::NotesKind);
    w->notifyHasNewDataToSave();
    QVERIFY(rig.manager.hasDataToSave());
    QVERIFY(rig.manager.AlignToGrid());
    rig.manager.onAlign2Grid(false);
    QVERIFY(!rig.manager.AlignToGrid());
}

void TestShellWindowsManager::setupRecordLentToTheLogicManager()
{
    // The logic manager reads the setup window's record directly, from the moment it meets the
    // window manager until the setup window goes; detaching it alone leaves the record with it.
    CLogicManager logic;
    QCOMPARE(logic.GetSetupInfo(), static_cast<CSetupInfo*>(nullptr));
    auto* manager = new CWindowsManager(nullptr);
    CSetupInfo* record = manager->GetSetupWindow()->getSetupInfo();
    QVERIFY(record);
    manager->SetLogicManagerObject(&logic);
    QCOMPARE(logic.GetSetupInfo(), record);
    QCOMPARE(logic.m_DataManager.GetSetupInfo(), record);
    QCOMPARE(manager->GetLogicManagerObject(), static_cast<QObject*>(&logic));
    manager->SetLogicManagerObject(nullptr);
    QCOMPARE(logic.GetSetupInfo(), record);
    delete manager;
    QCOMPARE(logic.GetSetupInfo(), static_cast<CSetupInfo*>(nullptr));
    QCOMPARE(logic.m_DataManager.GetSetupInfo(), static_cast<CSetupInfo*>(nullptr));
}

void TestShellWindowsManager::mainWindowLayout()
{
    CScriptedPrompter prompter;
    MainWindow window;
    window.init();
    QCOMPARE(p_MainWindow, &window);
    QVERIFY(window.logicManager());
    QCOMPARE(window.logicManager()->GetSetupInfo(), window.windowsManager()->GetSetupWindow()->getSetupInfo());
    QCOMPARE(window.logicManager()->GetSignals(), window.windowsManager()->GetSignals());
    QCOMPARE(window.applicationTitle(), QString("Pavix"));
    QCOMPARE(window.minimumSize(), QSize(500, 500));
    QVERIFY(window.windowState() & Qt::WindowMaximized);
    CustomRunButton* run = window.GetRunButton();
    QCOMPARE(run->objectName(), QString("m_pRunButton"));
    QVERIFY(run->manualButton() && run->manualButton()->isHidden());
    QCOMPARE(run->width(), 60);
    QVERIFY(!run->isEnabled());

    // Header, from the left: Run button, 5-pixel gap, experiment-mode button, tabs.
    QWidget* header = run->parentWidget();
    auto* layout = qobject_cast<QHBoxLayout*>(header->layout());
    QVERIFY(layout);
    QCOMPARE(layout->itemAt(0)->widget(), static_cast<QWidget*>(run));
    QVERIFY(layout->itemAt(1)->spacerItem());
    QCOMPARE(layout->itemAt(1)->spacerItem()->sizeHint().width(), 5);
    QCOMPARE(layout->itemAt(2)->widget(), static_cast<QWidget*>(window.experimentModeButton()));
    QCOMPARE(layout->itemAt(3)->widget(), static_cast<QWidget*>(window.tabs()));
    QCOMPARE(window.experimentModeButton()->size(), QSize(32, 32));

    QCOMPARE(window.tabs()->count(), 3);
    QCOMPARE(window.tabs()->tabText(0), QString("Basic Tools"));
    QCOMPARE(window.tabs()->tabText(2), QString("Analysis"));
    QCOMPARE(window.tabs()->currentIndex(), 0);
    auto* basic = qobject_cast<QToolBar*>(window.tabs()->widget(0));
    QVERIFY(basic);
    QCOMPARE(basic->actions().size(), 3);
    auto* work = qobject_cast<QToolBar*>(window.tabs()->widget(1));
    QCOMPARE(work->actions().size(), 9);
    // Every ribbon action carries its four pictures and its tool button is watched.
    for (int i = 0; i < 3; ++i) {
        auto* bar = qobject_cast<QToolBar*>(window.tabs()->widget(i));
        for (QAction* a : bar->actions()) {
            auto* m = qobject_cast<MultiAction*>(a);
            QVERIFY(m);
            QVERIFY2(!m->icon().pixmap(32, 32).isNull(), qPrintable(m->text()));
            QCOMPARE(m->associatedWidget(), bar->widgetForAction(a));
        }
    }
    // Aligning to the grid and the window commands are offered.
    MultiAction* align = window.findAction(27);
    QVERIFY(align && align->isEnabled() && align->isChecked());
    align->setChecked(false);
    QVERIFY(!window.windowsManager()->AlignToGrid());
    QVERIFY(window.findAction(22) && window.findAction(22)->isEnabled());
    QVERIFY(window.findAction(21) && window.findAction(21)->isEnabled());
    // New works on the data; with an empty history the first tick disables it.
    window.updateActions();
    QVERIFY(window.findAction(7) && !window.findAction(7)->isEnabled());
    QVERIFY(!window.findAction(4242));
    QVERIFY(window.updateTimer()->isActive());
    QCOMPARE(window.updateTimer()->interval(), 500);
    QCOMPARE(window.keepAwakeTimer()->interval(), 30000);
}

void TestShellWindowsManager::ribbonStaysPutWhenManualButtonShows()
{
    CScriptedPrompter prompter;
    MainWindow window;
    window.init();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto places = [&window]() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        return QList<QPoint>{window.experimentModeButton()->mapTo(&window, QPoint()),
                             window.tabs()->mapTo(&window, QPoint())};
    };
    const QList<QPoint> before = places();
    window.GetRunButton()->ShowManualButton(true);
    QCOMPARE(window.GetRunButton()->width(), 102);
    QCOMPARE(places(), before);
    window.GetRunButton()->ShowManualButton(false);
    QCOMPARE(places(), before);
}

void TestShellWindowsManager::mainWindowNoticesAndRunRule()
{
    CScriptedPrompter prompter;
    MainWindow window;
    window.init();
    // (While the start-up search runs, a notice without a button offers Cancel for it.)
    QTRY_VERIFY(!window.logicManager()->IsSearchUnderWay());
    CKorvantaSignals* hub = window.windowsManager()->GetSignals();
    hub->SignalGuiModallessMsg(QString(), "Hello", false);
    QVERIFY(window.modelessMessageBox()->isVisible());
    QCOMPARE(window.modelessMessageBox()->windowTitle(), QString("Pavix"));
    QCOMPARE(window.modelessMessageBox()->text(), QString("Hello"));
    QCOMPARE(window.modelessMessageBox()->standardButtons(), QMessageBox::NoButton);
    hub->SignalUserStartedRun();
    QVERIFY(!window.modelessMessageBox()->isVisible());

    window.SetCurrentRunMode(ExperimentRunMode::Timing);
    QCOMPARE(window.GetRunButton()->runMode(), 1);
    QCOMPARE(window.logicManager()->GetCurrentRunMode(), ExperimentRunMode::Timing);

    // The Run button rule: without a detected logger and active measurements it stays off.
    QTest::qWait(600);
    QVERIFY(!window.GetRunButton()->isEnabled());
    QVERIFY(!window.experimentModeButton()->isEnabled());
}

void TestShellWindowsManager::noticeShowsItsWholeTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("update's notice") << "Firmware update";
    QTest::newRow("program's title") << "";
}

// A short notice is still as wide as its title, with room for the title bar's icon and buttons.
void TestShellWindowsManager::noticeShowsItsWholeTitle()
{
    QFETCH(QString, title);
    CScriptedPrompter prompter;
    MainWindow window;
    window.showModelessMessage(title, "OK", true);
    QMessageBox* box = window.modelessMessageBox();
    QFont bold = box->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    QVERIFY(box->isVisible() && box->width() >= metrics.horizontalAdvance(box->windowTitle()) + 6 * metrics.height());
}

void TestShellWindowsManager::keepAwakeOnlyWithLogger()
{
    CScriptedPrompter prompter;
    MainWindow window;
    CCountingKeepAwake keepAwake;
    window.SetKeepAwake(&keepAwake);
    window.init();
    QMetaObject::invokeMethod(&window, "OnPreventSleepTimer");
    QCOMPARE(keepAwake.m_Calls, 0);
    CFakeLogger logger;
    window.logicManager()->m_pLoggers[0] = &logger;
    QMetaObject::invokeMethod(&window, "OnPreventSleepTimer");
    QCOMPARE(keepAwake.m_Calls, 1);
    logger.m_bConnected = false;
    QMetaObject::invokeMethod(&window, "OnPreventSleepTimer");
    QCOMPARE(keepAwake.m_Calls, 1);
    window.logicManager()->m_pLoggers[0] = nullptr;
}

void TestShellWindowsManager::exitAsksWhileRunning()
{
    CScriptedPrompter prompter;
    MainWindow window;
    window.init();
    CFakeLogger logger;
    window.logicManager()->m_pLoggers[0] = &logger;
    window.logicManager()->m_pDetectedLogger = &logger;
    window.GetRunButton()->Play();
    window.GetRunButton()->RunControlState = RunControl::Running;
    prompter.m_bYes = false;
    QVERIFY(!window.close());
    QCOMPARE(prompter.boxes("ask"), QStringList("Pavix|Logger is running, do you want to stop?"));
    QCOMPARE(logger.count(CmdStop), 0);
    prompter.m_bYes = true;
    QVERIFY(!window.close()); // stops the run, stays open
    QCOMPARE(logger.count(CmdStop), 1);
    QCOMPARE(window.GetRunButton()->RunControlState, int(RunControl::StopSent));
    window.GetRunButton()->Stop();
    window.GetRunButton()->RunControlState = RunControl::Idle;
    window.logicManager()->m_pLoggers[0] = nullptr;
    window.logicManager()->m_pDetectedLogger = nullptr;
    QVERIFY(window.close());
    QVERIFY(!window.logicManager());
}

KORVANTA_TEST_MAIN(TestShellWindowsManager)
#include "tst_shell_windowsmanager.moc"

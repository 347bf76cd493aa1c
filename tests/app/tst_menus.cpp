// The main window's menus and ribbon: order, keys, texts, shortcuts (none ambiguous), the
// online-service check mark, and the enabled states the 500 ms rules give in the states that
// matter.
#include "app/shell/CustomRunButton.h"
#include "app/shell/HistoryWindow.h"
#include "Core/Logic/LogicManager.h"
#include <QPushButton>
#include "Core/Base/KorvantaSignals.h"
#include "app/shell/MainWindow.h"
#include "graph/GraphWindow.h"
#include "common/ScriptedPrompter.h"
#include "support/ScriptedServices.h"
#include "windowbase/KorvantaStyle.h"

#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProxyStyle>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QToolBar>
#include "common/TestMain.h"

namespace {
// An action of a child window in the document area (its system menu, its tool bar).
bool ownedBySubWindow(const QObject* action)
{
    for (const QObject* o = action->parent(); o; o = o->parent())
        if (qobject_cast<const QMdiSubWindow*>(o))
            return true;
    return false;
}

QStringList entries(const QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->menu() ? a->text() + ">" : a->text());
    return out;
}

QMenu* submenu(const QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions())
        if (a->menu() && a->text() == text)
            return a->menu();
    return nullptr;
}

QList<int> keys(const QToolBar* bar)
{
    QList<int> out;
    for (QAction* a : bar->actions())
        out << qobject_cast<MultiAction*>(a)->getKey();
    return out;
}

// A desktop style that leaves Alt alone out of the menu bar.
struct CNoAltStyle : QProxyStyle
{
    CNoAltStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    int styleHint(StyleHint hint, const QStyleOption* o, const QWidget* w, QStyleHintReturn* r) const override
    {
        return hint == SH_MenuBar_AltKeyNavigation ? 0 : QProxyStyle::styleHint(hint, o, w, r);
    }
};

// Shows the window and gives it the keyboard once the start-up search for loggers is over: the
// notice that none was found is one to be answered, and takes the keyboard when it comes.
bool showAfterTheSearch(MainWindow& window)
{
    window.show();
    QMessageBox* box = window.modelessMessageBox();
    if (!QTest::qWaitFor([box] { return box->isVisible() && box->text() == QLatin1String("Logger has not been detected"); },
                         30000))
        return false;
    box->button(QMessageBox::Ok)->click();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

using Inputs = MainWindow::ActionInputs;
} // namespace

class TestMenus : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void menuOrder();
    void ribbonOrderAndCheckables();
    void keysTagTheirActions();
    void shortcutsAreUnambiguous();
    void shortcutFiresOnce();
    void keyboardReachesConnect_data();
    void keyboardReachesConnect();
    void shortcutsWorkOnEveryTabAndInChildWindows();
    void searchNoticeLeavesTheKeyboard();
    void checkedMenuItem();
    void statesWithoutLogger();
    void statesWhileRunning();
    void statesWithDravletAndBluetooth();
    void statesHistoryAndVideoWindows();
    void statesOnlineService();
    void ticksFollowWindowsAndServices();
    void analysisFollowsTheCurrentGraph();
};

void TestMenus::menuOrder()
{
    CScriptedPrompter prompter;
    MainWindow window;
    window.init();
    QStringList top;
    for (QAction* a : window.menuBar()->actions())
        top << a->text();
    QCOMPARE(top, QStringList({"&File", "&Edit", "&Logger", "&Help"}));
    const QList<QAction*> bar = window.menuBar()->actions();
    QMenu* file = bar.at(0)->menu();
    QCOMPARE(entries(file), QStringList({"&New", "&Open>", "&Save", "Save &As", "&Language>", "A&bout", "-", "E&xit"}));
    QCOMPARE(entries(submenu(file, "&Open")), QStringList({"Open &file", "&Samples"}));
    QCOMPARE(submenu(file, "&Language")->actions().size(), 9);
    QCOMPARE(entries(bar.at(1)->menu()), QStringList({"&Undo", "&Redo", "Cu&t", "&Copy", "&Paste"}));
    QMenu* logger = bar.at(2)->menu();
    QCOMPARE(entries(logger), QStringList({"&Download", "&Connect", "&Firmware update", "&Terravox>"}));
    QCOMPARE(entries(submenu(logger, "&Terravox")),
             QStringList({"&Login to Terravox", "&Upload to Terravox", "&Stop uploading to Terravox", "-",
                          "&Online Upload to Terravox"}));
    QCOMPARE(entries(bar.at(3)->menu()), QStringList({"&Help"}));
    // No print command among the main window's own (graph windows carry their own tool bar).
    for (QAction* a : window.findChildren<QAction*>())
        if (!ownedBySubWindow(a))
            QVERIFY(!a->text().contains("Print"));
}

void TestMenus::ribbonOrderAndCheckables()
{
    CScriptedPrompter prompter;
    MainWindow window;
    window.init();
    QTabWidget* tabs = window.tabs();
    QCOMPARE(tabs->tabText(0), QString("Basic Tools"));
    QCOMPARE(tabs->tabText(1), QString("Work Space"));
    QCOMPARE(tabs->tabText(2), QString("Analysis"));
    QCOMPARE(keys(qobject_cast<QToolBar*>(tabs->widget(0))), QList<int>({7, 1, 8}));
    QCOMPARE(keys(qobject_cast<QToolBar*>(tabs->widget(1))), QList<int>({19, 20, 22, 21, 23, 24, 25, 26, 27}));
    QCOMPARE(keys(qobject_cast<QToolBar*>(tabs->widget(2))), QList<int>({28, 32, 33, 36, 37, 38, 39}));
    for (int key : {19, 20, 27, 36, 37, 51, 54})
        QVERIFY2(window.findAction(key)->isCheckable(), qPrintable(QString::number(key)));
    for (int key : {7, 1, 8, 21, 22, 28, 32, 52, 53})
        QVERIFY2(!window.findAction(key)->isCheckable(), qPrintable(QString::number(key)));
    // Toggling Align to Grid reaches the window manager both ways.
    MultiAction* align = window.findAction(27);
    align->setChecked(false);
    QVERIFY(!window.windowsManager()->AlignToGrid());
    align->setChecked(true);
    QVERIFY(window.windowsManager()->AlignToGrid());
}

void TestMenus::keysTagTheirActions()
{
    CScriptedPrompter prompter;
    MainWindow window;
    window.init();
    QStringList openTexts;
    for (MultiAction* a : window.actionsWithKey(1))
        openTexts << a->text();
    QCOMPARE(openTexts, QStringList({"&Open...", "Open &file"}));
    QCOMPARE(window.actionsWithKey(7).size(), 2);
    QCOMPARE(window.actionsWithKey(8).size(), 2);
    QCOMPARE(window.findAction(2)->text(), QString("&Samples"));
    QCOMPARE(window.findAction(6)->text(), QString("A&bout"));
    QCOMPARE(window.findAction(26)->text(), QString("notes"));
    QCOMPARE(window.findAction(50)->text(), QString("&Help"));
    QCOMPARE(window.findAction(54)->text(), QString("&Online Upload to Terravox"));
    QVERIFY(!window.findAction(0));
    QVERIFY(!window.findAction(3));
    // Ribbon pictures: the normal one is shown, menu entries carry none.
    QVERIFY(!window.findAction(22)->icon().isNull());
    QVERIFY(window.findAction(16)->icon().isNull());
}

void TestMenus::shortcutsAreUnambiguous()
{
    CScriptedPrompter prompter;
    MainWindow window;
    window.init();
    QHash<QString, QStringList> owners;
    // A child window's own actions (its system menu) act on that window alone.
    for (QAction* a : window.findChildren<QAction*>())
        if (!a->shortcut().isEmpty() && !ownedBySubWindow(a))
            owners[a->shortcut().toString()] << a->text();
    for (auto it = owners.constBegin(); it != owners.constEnd(); ++it)
        QVERIFY2(it.value().size() == 1, qPrintable(it.key() + ": " + it.value().join(", ")));
    const auto shortcutOf = [&window](int key, const QString& text) {
        for (MultiAction* a : window.actionsWithKey(key))
            if (QString(a->text()).remove('&') == text)
                return a->shortcut();
        return QKeySequence();
    };
    // The menu entries keep New and Save; the ribbon's Open keeps Open.
    QCOMPARE(window.actionsWithKey(7).at(1)->shortcut(), QKeySequence(QKeySequence::New));
    QVERIFY(window.actionsWithKey(7).at(0)->shortcut().isEmpty());
    QCOMPARE(window.actionsWithKey(8).at(1)->shortcut(), QKeySequence(QKeySequence::Save));
    QCOMPARE(shortcutOf(1, "Open..."), QKeySequence(QKeySequence::Open));
    // Where the desktop gives Save As no key, it takes the one most desktops give it.
    const QKeySequence saveAs(QKeySequence::SaveAs);
    QCOMPARE(shortcutOf(9, "Save As"), saveAs.isEmpty() ? QKeySequence("Ctrl+Shift+S") : saveAs);
    QCOMPARE(shortcutOf(11, "Undo"), QKeySequence(QKeySequence::Undo));
    QCOMPARE(shortcutOf(15, "Paste"), QKeySequence(QKeySequence::Paste));
    const QKeySequence quit(QKeySequence::Quit);
    QCOMPARE(window.exitAction()->shortcut(), quit.isEmpty() ? QKeySequence("Ctrl+Q") : quit);
    QVERIFY(shortcutOf(16, "Download").isEmpty());
}

void TestMenus::shortcutFiresOnce()
{
    CScriptedPrompter prompter;
    MainWindow window;
    window.init();
    QVERIFY(showAfterTheSearch(window));
    MultiAction* menuNew = window.actionsWithKey(7).at(1);
    MultiAction* ribbonNew = window.actionsWithKey(7).at(0);
    QSignalSpy menuSpy(menuNew, &QAction::triggered);
    QSignalSpy ribbonSpy(ribbonNew, &QAction::triggered);
    // The state timer disables New while the history is empty; on a slow machine it may have
    // ticked already. This test is about the shortcut's ambiguity, not the enable rule.
    menuNew->setEnabled(true);
    ribbonNew->setEnabled(true);
    QTest::keySequence(&window, QKeySequence(QKeySequence::New));
    QCOMPARE(menuSpy.count() + ribbonSpy.count(), 1);
}

void TestMenus::keyboardReachesConnect_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("style");
    const QString alone = QStringLiteral("Alt Right Right Down C");
    QTest::newRow("Alt+L, C") << "Alt+L C" << QString();
    QTest::newRow("F10, across to Logger, C") << "F10 Right Right C" << QString();
    QTest::newRow("Alt alone, across to Logger, down, C") << alone << QString();
    QTest::newRow("Alt alone, Fusion") << alone << "Fusion";
    QTest::newRow("Alt alone, a style without it") << alone << "no Alt";
}

// Connect is reached without the mouse from a child window; after Alt alone the menu under the
// keyboard is drawn unlike the others.
void TestMenus::keyboardReachesConnect()
{
    QFETCH(QString, keys);
    QFETCH(QString, style);
    // The application's style over a desktop's, as start-up makes it; put back for the next test.
    const QString before = QApplication::style()->objectName();
    const auto back = qScopeGuard([&] { QApplication::setStyle(before); });
    if (!style.isEmpty())
        QApplication::setStyle(new CKorvantaStyle(style == "Fusion" ? QStyleFactory::create(style) : new CNoAltStyle));
    CScriptedPrompter prompter;
    MainWindow window;
    window.init();
    window.updateTimer()->stop();
    QVERIFY(showAfterTheSearch(window));
    window.findAction(17)->disconnect();
    window.findAction(17)->setEnabled(true);
    QSignalSpy triggered(window.findAction(17), &QAction::triggered);
    window.windowsManager()->GetHistoryWindow()->findChild<QTreeView*>()->setFocus();
    QMenuBar* bar = window.menuBar();
    for (const QString& key : keys.split(' ')) {
        QWidget* target = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::focusWidget();
        if (key != "Alt") {
            QTest::keySequence(target, QKeySequence(key));
            continue;
        }
        QTest::keyPress(target, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(target, Qt::Key_Alt);
        QTRY_VERIFY(bar->activeAction());
        const QImage face = bar->grab().toImage();
        QVERIFY(face.pixel(bar->actionGeometry(bar->activeAction()).topLeft() + QPoint(2, 2))
                != face.pixel(bar->actionGeometry(bar->actions().last()).topLeft() + QPoint(2, 2)));
    }
    QTRY_COMPARE(triggered.count(), 1);
}

void TestMenus::shortcutsWorkOnEveryTabAndInChildWindows()
{
    CScriptedPrompter prompter;
    MainWindow window;
    window.init();
    window.updateTimer()->stop();
    QVERIFY(showAfterTheSearch(window));
    // Only whether each key reaches its command counts here, not what the command does.
    int hits = 0;
    QList<QKeySequence> keys;
    for (int key : {1, 7, 8, 9, 11, 12, 13, 14, 15})
        for (MultiAction* a : window.actionsWithKey(key))
            if (!a->shortcut().isEmpty()) {
                a->disconnect();
                a->setEnabled(true);
                keys << a->shortcut();
                connect(a, &QAction::triggered, [&hits] { ++hits; });
            }
    QCOMPARE(keys.size(), 9);
    QWidget* history = window.windowsManager()->GetHistoryWindow()->findChild<QTreeView*>();
    QWidget* graph = window.windowsManager()->GetCurrent(CWindowsManager::GraphKind);
    for (int tab = 0; tab < window.tabs()->count(); ++tab) {
        window.tabs()->setCurrentIndex(tab);
        for (QWidget* focus : {static_cast<QWidget*>(&window), history, graph}) {
            focus->setFocus();
            for (const QKeySequence& key : keys) {
                const int before = hits;
                QTest::keySequence(QApplication::focusWidget() ? QApplication::focusWidget() : &window, key);
                QVERIFY2(hits == before + 1, qPrintable(key.toString()));
            }
        }
    }
}

// The notice of a logger search comes up while the teacher works in the main window: the window
// stays active, the focus where it was, and the next key reaches the main window.
void TestMenus::searchNoticeLeavesTheKeyboard()
{
    CScriptedPrompter prompter;
    MainWindow window;
    window.init();
    window.updateTimer()->stop();
    QVERIFY(showAfterTheSearch(window));
    QWidget* history = window.windowsManager()->GetHistoryWindow()->findChild<QTreeView*>();
    history->setFocus();
    QAction* open = nullptr;
    for (QAction* a : window.actions())
        open = a->shortcut() == QKeySequence(QKeySequence::Open) ? a : open;
    QVERIFY(open);
    open->disconnect();
    open->setEnabled(true);
    QSignalSpy opened(open, &QAction::triggered);
    QMessageBox* box = window.modelessMessageBox();
    window.showModelessMessage(QString(), QStringLiteral("Trying to connect..."), false);
    QVERIFY(QTest::qWaitForWindowExposed(box));
    // Whatever the showing set going is delivered by now.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::activeWindow(), &window);
    QCOMPARE(QApplication::focusWidget(), history);
    QTest::keySequence(QApplication::focusWidget(), QKeySequence(QKeySequence::Open));
    QCOMPARE(opened.count(), 1);
    QVERIFY(box->isVisible());
    // A notice to be answered still takes the keyboard.
    window.showModelessMessage(QString(), QStringLiteral("Battery low"), true);
    QTRY_COMPARE(QApplication::activeWindow(), box);
}

void TestMenus::checkedMenuItem()
{
    CScriptedPrompter prompter;
    MainWindow window;
    window.init();
    window.SetCheckedMenuItem(true, 51);
    QVERIFY(window.findAction(51)->isChecked());
    QVERIFY(!window.findAction(54)->isChecked());
    window.SetCheckedMenuItem(true, 4242);
    QVERIFY(!window.findAction(54)->isChecked());
    window.SetCheckedMenuItem(false, 51);
    QVERIFY(!window.findAction(51)->isChecked());
}

void TestMenus::statesWithoutLogger()
{
    Inputs in;
    in.historyEmpty = false;
    const QHash<int, bool> s = MainWindow::ComputeActionStates(in);
    QVERIFY(!s[16]);
    QVERIFY(s[17]);
    QVERIFY(!s[18]); // neither a logger nor the Control key
    in.controlHeld = true;
    QVERIFY(MainWindow::ComputeActionStates(in)[18]);
    in.loggerDetected = true;
    in.loggerType = 70.0;
    in.controlHeld = false;
    const QHash<int, bool> d = MainWindow::ComputeActionStates(in);
    QVERIFY(d[16] && !d[17] && d[18]);
    // Rules that do not apply leave keys out, so those actions keep their state.
    QVERIFY(!s.contains(19) && !s.contains(27) && !s.contains(50) && !s.contains(51));
}

void TestMenus::statesWhileRunning()
{
    Inputs in;
    in.loggerDetected = true;
    in.loggerType = 70.0;
    in.historyEmpty = false;
    in.hasDataToSave = true;
    in.hasGraph = true;
    in.graphFunctions = true;
    in.uploadPresent = true;
    in.loggedIn = true;
    const QHash<int, bool> idle = MainWindow::ComputeActionStates(in);
    for (int key : {1, 2, 7, 8, 9, 11, 12, 13, 14, 15, 16, 18, 28, 32, 33, 36, 37, 38, 39, 51, 52, 54})
        QVERIFY2(idle[key], qPrintable(QString::number(key)));
    for (bool tracking : {false, true}) {
        Inputs busy = in;
        busy.runInProgress = !tracking;
        busy.videoTracking = tracking;
        const QHash<int, bool> s = MainWindow::ComputeActionStates(busy);
        for (int key : {1, 2, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 28, 32, 33, 36, 37, 38, 39, 51, 52, 54})
            QVERIFY2(!s[key], qPrintable(QString::number(key)));
        QVERIFY(!s[53]);
        busy.uploading = true;
        QVERIFY(MainWindow::ComputeActionStates(busy)[53]); // stopping stays possible
    }
}

void TestMenus::statesWithDravletAndBluetooth()
{
    Inputs in;
    in.loggerDetected = true;
    in.loggerType = 12.0;
    QVERIFY(!MainWindow::ComputeActionStates(in)[16]);
    in.loggerType = 70.0;
    in.bluetooth = true;
    in.controlHeld = true;
    const QHash<int, bool> s = MainWindow::ComputeActionStates(in);
    QVERIFY(s[16]);
    QVERIFY(!s[18]);
}

void TestMenus::statesHistoryAndVideoWindows()
{
    Inputs in;
    QHash<int, bool> s = MainWindow::ComputeActionStates(in);
    QVERIFY(!s[7] && !s[9] && !s[8]);
    in.hasDataToSave = true;
    s = MainWindow::ComputeActionStates(in);
    QVERIFY(!s[7] && !s[9] && s[8]);
    in.historyEmpty = false;
    in.hasDataToSave = false;
    s = MainWindow::ComputeActionStates(in);
    QVERIFY(s[7] && s[9] && !s[8]);
    in.videoWindows = 3;
    QVERIFY(MainWindow::ComputeActionStates(in)[24]);
    in.videoWindows = 4;
    QVERIFY(!MainWindow::ComputeActionStates(in)[24]);
    // A timing-results graph offers no analysis.
    in.hasGraph = true;
    QVERIFY(!MainWindow::ComputeActionStates(in)[33]);
}

void TestMenus::statesOnlineService()
{
    Inputs in;
    in.uploadPresent = true;
    QHash<int, bool> s = MainWindow::ComputeActionStates(in);
    QVERIFY(s[51] && !s[52] && !s[53] && !s[54]);
    in.loggedIn = true;
    in.uploading = true;
    s = MainWindow::ComputeActionStates(in);
    QVERIFY(!s[52] && s[53] && s[54]);
}

void TestMenus::ticksFollowWindowsAndServices()
{
    CScriptedPrompter prompter;
    MainWindow window;
    CScriptedLogic logic;
    window.SetShellLogic(&logic);
    window.init();
    // Before the first tick every available command is offered.
    QVERIFY(window.findAction(7)->isEnabled());
    window.updateActions();
    QVERIFY(!window.findAction(7)->isEnabled()); // empty history
    QVERIFY(window.findAction(17)->isEnabled()); // Connect, no logger
    QVERIFY(!window.findAction(16)->isEnabled());
    // Commands whose windows and services are not in the program stay off whatever the rule.
    // The online service is there: login is offered, the rest waits for it.
    for (int key : {8, 9, 52, 53, 54})
        QVERIFY2(!window.findAction(key)->isEnabled(), qPrintable(QString::number(key)));
    // The analysis commands act on the graph the window opens with.
    for (int key : {28, 32, 33, 38, 39})
        QVERIFY2(window.findAction(key)->isEnabled(), qPrintable(QString::number(key)));
    // Opening a workspace file needs nothing but the workspace files; the graph, tables, meters,
    // video, calculator and notes windows and the notes' edit commands are in the program.
    for (int key : {1, 2, 6, 11, 15, 19, 20, 21, 22, 23, 24, 25, 26, 27, 50, 51})
        QVERIFY2(window.findAction(key)->isEnabled(), qPrintable(QString::number(key)));
    QVERIFY(!window.GetRunButton()->isEnabled());
    QVERIFY(!window.experimentModeButton()->isEnabled());
    // A run in the history enables New.
    CDataManager& data = window.logicManager()->m_DataManager;
    CDataFolder* run = data.CreateDataFolder();
    window.windowsManager()->GetHistoryWindow()->insertFolder(run->m_Key, true);
    window.updateActions();
    QVERIFY(window.findAction(7)->isEnabled());
    QVERIFY(window.actionsWithKey(7).at(1)->isEnabled());
    // Closing the history unchecks its entry at the next tick, without calling its slot.
    window.windowsManager()->GetHistoryWindow()->close();
    window.updateActions();
    QVERIFY(!window.findAction(19)->isChecked());
    window.findAction(19)->trigger();
    QVERIFY(window.windowsManager()->GetHistoryWindow()->m_bHistoryShown);
    window.updateActions();
    QVERIFY(window.findAction(19)->isChecked());
    // Connect and Download reach the logger services.
    window.findAction(17)->trigger();
    QCOMPARE(logic.m_Log, QStringList{"detect"});
}

void TestMenus::analysisFollowsTheCurrentGraph()
{
    CScriptedPrompter prompter;
    MainWindow window;
    window.init();
    auto* graph = qobject_cast<CGraphWindow*>(window.windowsManager()->GetCurrent(CWindowsManager::GraphKind));
    QVERIFY(graph);
    window.updateActions();
    for (int key : {32, 36, 37, 38})
        QVERIFY2(window.findAction(key)->isEnabled(), qPrintable(QString::number(key)));
    // Timing results offer no analysis.
    graph->m_GraphType = CGraphWindow::BarGraph;
    window.updateActions();
    for (int key : {32, 36, 37, 38})
        QVERIFY2(!window.findAction(key)->isEnabled(), qPrintable(QString::number(key)));
    graph->m_GraphType = CGraphWindow::XYGraph;
    window.updateActions();
    QVERIFY(window.findAction(36)->isEnabled());
}

KORVANTA_TEST_MAIN(TestMenus)
#include "tst_menus.moc"

// Every menu, submenu and ribbon tab of the main window opened on a real X server, each
// photographed: the picture must show the open menu drawn (its white face and dark entries,
// greyed entries where the command is off), not a blank or a missing window. And a notice takes
// the keyboard there, where no window manager gives it.
#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryWindow.h"
#include "app/shell/MainWindow.h"
#include "Core/Logic/LogicManager.h"
#include "windowbase/Prompter.h"

#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTreeView>
#include "common/TestMain.h"

namespace {
// Answers nothing: no box may open during the pictures.
class CSilentPrompter : public IPrompter
{
public:
    void information(QWidget*, const QString&, const QString&) override {}
    void warning(QWidget*, const QString&, const QString&) override {}
    bool question(QWidget*, const QString&, const QString&) override { return false; }
};

// Counts the distinct grey levels of an area (a drawn menu has many, a blank area one).
int greyLevels(const QImage& image)
{
    QSet<int> levels;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            levels.insert(qGray(image.pixel(x, y)) / 8);
    return levels.size();
}
} // namespace

class TestMenusXvfb : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void menus_data();
    void menus();
    void ribbonTabs();
    void historyRows();
    void noticeTakesTheKeyboard();

private:
    QImage shoot(const QString& name);
    CSilentPrompter m_Prompter;
    MainWindow* m_pWindow = nullptr;
    QDir m_Dir;
};

void TestMenusXvfb::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run under Xvfb)");
    QStandardPaths::setTestModeEnabled(true);
    SetShellPrompter(&m_Prompter);
    m_Dir = QDir(QStringLiteral(SCREENSHOT_DIR));
    m_Dir.mkpath(QStringLiteral("."));
    m_pWindow = new MainWindow;
    m_pWindow->init();
    m_pWindow->updateActions();
    // Xvfb has no window manager to maximise it.
    m_pWindow->resize(1400, 900);
    m_pWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
    QTest::qWait(300);
}

void TestMenusXvfb::cleanupTestCase()
{
    delete m_pWindow;
    m_pWindow = nullptr;
    SetShellPrompter(nullptr);
}

void TestMenusXvfb::cleanup()
{
    // A failed row must not leave its menu over the next picture.
    if (!m_pWindow)
        return;
    for (QMenu* menu : m_pWindow->findChildren<QMenu*>())
        menu->hide();
    QTest::qWait(100);
}

QImage TestMenusXvfb::shoot(const QString& name)
{
    QTest::qWait(400);
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    image.save(m_Dir.filePath(name + ".png"));
    return image;
}

void TestMenusXvfb::menus_data()
{
    QTest::addColumn<int>("menu");
    QTest::addColumn<QString>("submenu");
    QTest::newRow("file") << 0 << QString();
    QTest::newRow("file-open") << 0 << QString("Open");
    QTest::newRow("file-language") << 0 << QString("Language");
    QTest::newRow("edit") << 1 << QString();
    QTest::newRow("logger") << 2 << QString();
    QTest::newRow("logger-terravox") << 2 << QString("Terravox");
    QTest::newRow("help") << 3 << QString();
}

void TestMenusXvfb::menus()
{
    QFETCH(int, menu);
    QFETCH(QString, submenu);
    QMenuBar* bar = m_pWindow->menuBar();
    QAction* top = bar->actions().at(menu);
    QMenu* shown = nullptr;
    QImage face;
    // Without a window manager a popup can lose the pointer grab of the one just closed and
    // close at once; it is opened again, at most three times.
    for (int attempt = 0; attempt < 3; ++attempt) {
        cleanup();
        shown = top->menu();
        shown->popup(bar->mapToGlobal(bar->actionGeometry(top).bottomLeft()));
        QTRY_VERIFY(shown->isVisible());
        if (!submenu.isEmpty()) {
            QAction* entry = nullptr;
            for (QAction* a : shown->actions())
                if (a->menu() && QString(a->text()).remove('&') == submenu)
                    entry = a;
            QVERIFY(entry);
            shown->setActiveAction(entry);
            QMenu* sub = entry->menu();
            sub->popup(shown->mapToGlobal(shown->actionGeometry(entry).topRight()));
            QTRY_VERIFY(sub->isVisible());
            shown = sub;
        }
        const QImage image = shoot(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(!image.isNull());
        const QRect area = shown->geometry().intersected(image.rect());
        QVERIFY(area.width() > 40 && area.height() > 20);
        face = image.copy(area);
        if (shown->isVisible() && greyLevels(face) >= 3)
            break;
    }
    QVERIFY2(greyLevels(face) >= 3, "the menu is not drawn");
    // The menus are white; entries that work are black, the others grey.
    int white = 0, dark = 0, grey = 0;
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x) {
            const int g = qGray(face.pixel(x, y));
            white += g > 240;
            dark += g < 80;
            grey += g > 150 && g < 215;
        }
    QVERIFY(white > face.width() * face.height() / 3);
    bool anyEnabled = false;
    for (QAction* a : shown->actions())
        anyEnabled = anyEnabled || (!a->isSeparator() && a->isEnabled());
    if (anyEnabled)
        QVERIFY(dark > 20);
    else
        QVERIFY2(grey > 20 && dark < 10, "entries of commands to come should be grey");
}

void TestMenusXvfb::ribbonTabs()
{
    QTabWidget* tabs = m_pWindow->tabs();
    const QStringList names{"tab-basic", "tab-workspace", "tab-analysis"};
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        const QImage image = shoot(names.at(i));
        const QRect area(tabs->mapToGlobal(QPoint(0, 0)), tabs->size());
        QVERIFY(greyLevels(image.copy(area.intersected(image.rect()))) >= 3);
    }
    tabs->setCurrentIndex(0);
}

void TestMenusXvfb::historyRows()
{
    CDataManager& data = m_pWindow->logicManager()->m_DataManager;
    for (int r = 0; r < 2; ++r) {
        CDataFolder* folder = data.CreateDataFolder();
        for (int s = 0; s < 3; ++s) {
            const int key = data.CreateDataBranch(1 + s, 0.1, s, 0, folder->m_Key);
            folder->AddBranchKey(key);
        }
    }
    CHistoryWindow* history = m_pWindow->windowsManager()->GetHistoryWindow();
    history->Restore(true);
    history->treeView()->expandAll();
    const QImage image = shoot(QStringLiteral("history"));
    const QRect area(history->mapToGlobal(QPoint(0, 0)), history->size());
    // Eight rows, each with its picture and caption drawn.
    QCOMPARE(history->model()->rowCount(), 2);
    QVERIFY(greyLevels(image.copy(area.intersected(image.rect()))) >= 6);
}

// Return closes a notice rather than reaching the main window.
void TestMenusXvfb::noticeTakesTheKeyboard()
{
    m_pWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_pWindow));
    QMessageBox* box = m_pWindow->modelessMessageBox();
    m_pWindow->showModelessMessage(QStringLiteral("Firmware update"), QStringLiteral("There was a problem."), true);
    QTRY_COMPARE(QApplication::activeWindow(), box);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY(!box->isVisible());
}

KORVANTA_TEST_MAIN(TestMenusXvfb)
#include "tst_menus_xvfb.moc"

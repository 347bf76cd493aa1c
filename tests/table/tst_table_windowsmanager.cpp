// The window manager's tables: every command makes one more table, the newest or the one
// activated last follows runs, and a closing table hands that record to the last other one.
#include "app/shell/HistoryWindow.h"
#include "app/shell/WindowsManager.h"
#include "support/TableRig.h"

#include <QtTest>

class TestTableWindowsManager : public QObject
{
    Q_OBJECT
private slots:
    void tablesComeOnCommandAndTheRecordFollowsActivation();
};

void TestTableWindowsManager::tablesComeOnCommandAndTheRecordFollowsActivation()
{
    CTablePrompter prompter;
    CWindowsManager manager(nullptr);
    manager.resize(1000, 800);
    manager.show();
    QVERIFY(QTest::qWaitForWindowExposed(&manager));
    QVERIFY(!manager.GetLastActiveTable());
    auto* first = qobject_cast<CTableWindow*>(manager.ShowTableWindow());
    auto* second = qobject_cast<CTableWindow*>(manager.ShowTableWindow());
    QVERIFY(first && second && first != second);
    QCOMPARE(manager.GetLastActiveTable(), second);
    QVERIFY(second->isLastActiveTable());
    QVERIFY(!first->isLastActiveTable());
    // Only a table's own activation moves the record: a table is the active window.
    manager.setActiveSubWindow(first);
    QTRY_COMPARE(manager.GetLastActiveTable(), first);
    manager.SetLastActiveTable(manager.GetHistoryWindow());
    QCOMPARE(manager.GetLastActiveTable(), first);
    QVERIFY(first->close());
    QCOMPARE(manager.GetLastActiveTable(), second);
    QVERIFY(second->close());
    QVERIFY(!manager.GetLastActiveTable());
}

QTEST_MAIN(TestTableWindowsManager)
#include "tst_table_windowsmanager.moc"

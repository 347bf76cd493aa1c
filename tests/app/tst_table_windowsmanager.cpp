// The window manager's tables: every command makes one more table, the newest or the one
// activated last follows runs, and a closing table hands that record to the last other one.
#include "app/shell/HistoryWindow.h"
#include "app/shell/WindowsManager.h"
#include "common/TableRig.h"
#include "table/TableDelegate.h"

#include "common/TestMain.h"

class TestTableWindowsManager : public QObject
{
    Q_OBJECT
private slots:
    void tablesComeOnCommandAndTheRecordFollowsActivation();
    void aTableRecordInAWorkspaceMakesATable();
};

void TestTableWindowsManager::tablesComeOnCommandAndTheRecordFollowsActivation()
{
    CScriptedPrompter prompter;
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

void TestTableWindowsManager::aTableRecordInAWorkspaceMakesATable()
{
    CScriptedPrompter prompter;
    CDataManager data;
    CWindowsManager manager(nullptr);
    manager.GetHistoryWindow()->SetDataManager(&data);
    CDataFolder* run = data.CreateDataFolder();
    for (int i = 0; i < 3; ++i) {
        const int key = data.CreateDataBranch(1, 0.1, i, 0, run->m_Key);
        run->AddBranchKey(key);
        data.GetDataBranch(key)->AddSample(0, i);
    }
    auto* table = qobject_cast<CTableWindow*>(manager.ShowTableWindow());
    table->insertAllFolderBranches(run->m_Key);
    // What the saver writes for the table: its tag, then the table's record.
    // The setup windows are written too, as bare tags; the table is the one with a record.
    const QVector<IWorkspaceHost::SavedWindow> saved = manager.WindowsToSave();
    QVector<IWorkspaceHost::SavedWindow> tables;
    for (const IWorkspaceHost::SavedWindow& w : saved) {
        if (w.tag == 1107)
            tables << w;
        else
            QVERIFY(!w.save && (w.tag == 1117 || w.tag == 1119));
    }
    QCOMPARE(tables.size(), 1);
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        QCOMPARE(tables.first().save(&out), 0);
    }
    QDataStream in(bytes);
    bool handled = false;
    QCOMPARE(manager.LoadWindowRecord(1107, &in, &handled), 0);
    QVERIFY(handled);
    auto* copy = qobject_cast<CTableWindow*>(manager.GetLastActiveTable());
    QVERIFY(copy && copy != table);
    QCOMPARE(copy->dataColumnCount(), 3);
    QCOMPARE(copy->bodyDelegate()->dataColumn(2)->m_Key, run->GetBranchKey(2));
}

KORVANTA_TEST_MAIN(TestTableWindowsManager)
#include "tst_table_windowsmanager.moc"

// The history window over a real data manager: rows for runs and series, their order and
// captions, rebuilds, damaged owner chains, deletion from the rows and closing.
#include "windowbase/ChildWindowHost.h"
#include "app/shell/HistoryRows.h"
#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryWindow.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "common/ScriptedPrompter.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTreeView>
#include "common/TestMain.h"

class CHistoryHost : public QWidget, public IChildWindowHost
{
    Q_OBJECT
public:
    bool AlignToGrid() const override { return false; }
    CKorvantaSignals* GetSignals() const override { return const_cast<CKorvantaSignals*>(&m_Hub); }
    CKorvantaSignals m_Hub;
    int m_Arrangements = 0;
public slots:
    void UpdateWindowsArrangement() { ++m_Arrangements; }
};

class TestHistoryWindow : public QObject
{
    Q_OBJECT
private:
    struct Rig
    {
        Rig() : window(&host, Qt::SubWindow), tester(window.model(), QAbstractItemModelTester::FailureReportingMode::QtTest)
        {
            window.SetDataManager(&data);
            window.initWindow();
        }
        // A run with n series named S1..Sn; the second has no unit.
        CDataFolder* addRun(int n)
        {
            CDataFolder* folder = data.CreateDataFolder();
            for (int i = 0; i < n; ++i) {
                const int key = data.CreateDataBranch(1, 0.1, i, 0, folder->m_Key);
                CDataBranch* b = data.GetDataBranch(key);
                b->m_Name = QStringLiteral("S%1").arg(i + 1);
                b->m_Unit = i == 1 ? QString() : QStringLiteral("m");
                folder->AddBranchKey(key);
            }
            return folder;
        }
        int keyAt(const QModelIndex& i) { return window.model()->data(i, Qt::EditRole).toInt(); }
        // The rows above a series row are opened first, innermost first, as the user opens them
        // to reach it.
        std::unique_ptr<DataBranchEditor> branchRow(const QModelIndex& i)
        {
            for (QModelIndex up = i.parent(); up.isValid(); up = up.parent())
                window.treeView()->expand(up);
            return window.branchRow(i);
        }
        CScriptedPrompter prompter;
        CHistoryHost host;
        CDataManager data;
        CHistoryWindow window;
        QAbstractItemModelTester tester;
    };

private slots:
    void newFolderOrderCaptionsAndLocks();
    void insertChildUnknownParentOrBranch();
    void insertFolderUnknownKeyAddsNothing();
    void derivedSeriesAndOwnerCycle();
    void restoreRebuildsWithoutDuplicates();
    void restoreSurvivesChildCycle();
    void downloadFinishedAndInitOnce();
    void deletingLastRunKeepsUnsavedMark();
    void deletingSeriesRemovesDerivedRows();
    void closeHidesAndRearranges();
    void rowsFollowTheStoreAsRunsComeAndGo();
};

void TestHistoryWindow::newFolderOrderCaptionsAndLocks()
{
    Rig r;
    QVERIFY(r.window.isEmpty());
    CDataFolder* run = r.addRun(3);
    QSignalSpy unsaved(&r.host.m_Hub, &CKorvantaSignals::HasNewDataToSave);
    emit r.host.m_Hub.LoggerStartedRun();
    QCOMPARE(r.window.model()->rowCount(), 1);
    const QModelIndex folder = r.window.model()->index(0, 0);
    QCOMPARE(r.keyAt(folder), run->m_Key);
    QCOMPARE(r.window.model()->rowCount(folder), 3);
    // The newest series is inserted at the top: third, second, first.
    for (int row = 0; row < 3; ++row)
        QCOMPARE(r.keyAt(r.window.model()->index(row, 0, folder)), run->GetBranchKey(2 - row));
    std::unique_ptr<DataBranchEditor> third = r.branchRow(r.window.model()->index(0, 0, folder));
    std::unique_ptr<DataBranchEditor> second = r.branchRow(r.window.model()->index(1, 0, folder));
    QVERIFY(third && second);
    QCOMPARE(third->caption(), QStringLiteral("S3 (m)"));
    QCOMPARE(second->caption(), QStringLiteral("S2"));
    QCOMPARE(third->folderName(), run->m_Name);
    QVERIFY(!third->deleteEnabled());
    std::unique_ptr<DataFolderEditor> folderRow = r.window.folderRow(folder);
    QVERIFY(folderRow);
    QCOMPARE(folderRow->caption(), run->m_Name);
    QVERIFY(!folderRow->deleteEnabled());
    QVERIFY(r.window.treeView()->isExpanded(folder));
    QVERIFY(unsaved.count() >= 1);
    QCOMPARE(r.window.lastRecordedRow(), r.window.model()->index(0, 0, folder));
    // The end of the run lets the user delete again.
    emit r.host.m_Hub.LoggerExperimentEnd();
    QVERIFY(third->deleteEnabled());
    QVERIFY(folderRow->deleteEnabled());
    r.window.ExpandLastBranch();
    QVERIFY(r.window.treeView()->isExpanded(folder));
}

void TestHistoryWindow::insertChildUnknownParentOrBranch()
{
    Rig r;
    CDataFolder* run = r.addRun(1);
    QVERIFY(r.window.insertFolder(run->m_Key, true).isValid());
    QVERIFY(!r.window.insertChild(9999, run->GetBranchKey(0)).isValid());
    QCOMPARE(r.window.model()->rowCount(r.window.model()->index(0, 0)), 0);
    // A series that does not exist gets no empty row.
    QVERIFY(!r.window.insertChild(run->m_Key, 8888).isValid());
    QCOMPARE(r.window.model()->rowCount(r.window.model()->index(0, 0)), 0);
    QVERIFY(r.window.insertChild(run->m_Key, run->GetBranchKey(0), true).isValid());
    QVERIFY(r.branchRow(r.window.model()->index(0, 0, r.window.model()->index(0, 0)))->deleteEnabled());
}

void TestHistoryWindow::insertFolderUnknownKeyAddsNothing()
{
    Rig r;
    QSignalSpy inserted(r.window.model(), &QAbstractItemModel::rowsInserted);
    QVERIFY(!r.window.insertFolder(4242, true).isValid());
    QCOMPARE(inserted.count(), 0);
    QVERIFY(r.window.isEmpty());
    // No folder at all: a new run announcement adds nothing.
    emit r.host.m_Hub.LoggerStartedRun();
    QVERIFY(r.window.isEmpty());
}

void TestHistoryWindow::derivedSeriesAndOwnerCycle()
{
    Rig r;
    CDataFolder* run = r.addRun(2);
    r.window.Restore(true);
    const int source = run->GetBranchKey(0);
    const int derived = r.data.CreateDataBranch(20481, 0.1, -1, -1, source);
    r.data.GetDataBranch(derived)->m_Name = QStringLiteral("Derivative");
    r.data.AddChildBranch(derived, source);
    const QModelIndex row = r.window.insertChild(source, derived);
    QVERIFY(row.isValid());
    QCOMPARE(r.keyAt(row.parent()), source);
    QCOMPARE(r.branchRow(row)->folderName(), run->m_Name);
    QCOMPARE(r.branchRow(row)->caption(), QStringLiteral("Derivative"));
    QCOMPARE(r.window.FindRunKey(derived), run->m_Key);
    // Two series owning each other (a damaged file) must not hang the walk.
    const int a = r.data.CreateDataBranch(1, 0.1, 0, 0, -1);
    const int b = r.data.CreateDataBranch(1, 0.1, 0, 0, a);
    r.data.GetDataBranch(a)->m_OwnerKey = b;
    QCOMPARE(r.window.FindRunKey(a), -1);
    r.data.GetDataBranch(b)->m_OwnerKey = b;
    QCOMPARE(r.window.FindRunKey(b), -1);
    r.data.GetDataBranch(b)->m_OwnerKey = a;
    QVERIFY(r.window.insertChild(source, a).isValid());
    // The run of a row under a is looked for from a: a -> b -> a.
    const QModelIndex orphan = r.window.insertChild(a, b);
    QVERIFY(orphan.isValid());
    QCOMPARE(r.branchRow(orphan)->folderName(), QString());
}

void TestHistoryWindow::restoreRebuildsWithoutDuplicates()
{
    Rig r;
    r.addRun(2);
    CDataFolder* second = r.addRun(3);
    r.window.Restore(false);
    r.window.Restore(true);
    QCOMPARE(r.window.model()->rowCount(), 2);
    const QModelIndex folder = r.window.model()->index(1, 0);
    QCOMPARE(r.keyAt(folder), second->m_Key);
    QCOMPARE(r.window.model()->rowCount(folder), 3);
    QVERIFY(r.branchRow(r.window.model()->index(0, 0, folder))->deleteEnabled());
    // The last recorded row is the last series restored, which sits at the top of its run.
    QCOMPARE(r.keyAt(r.window.lastRecordedRow()), second->GetBranchKey(2));
    r.window.Clean();
    QVERIFY(r.window.isEmpty());
    QVERIFY(!r.window.lastRecordedRow().isValid());
    r.window.Clean();
    QVERIFY(r.window.isEmpty());
}

void TestHistoryWindow::restoreSurvivesChildCycle()
{
    Rig r;
    CDataFolder* run = r.addRun(1);
    const int source = run->GetBranchKey(0);
    const int derived = r.data.CreateDataBranch(20481, 0.1, -1, -1, source);
    r.data.AddChildBranch(derived, source);
    r.data.AddChildBranch(source, derived); // a loop a damaged file can hold
    r.data.AddChildBranch(derived, derived);
    run->AddBranchKey(source); // listed twice
    r.window.Restore(true);
    const QModelIndex folder = r.window.model()->index(0, 0);
    QCOMPARE(r.window.model()->rowCount(folder), 1);
    const QModelIndex src = r.window.model()->index(0, 0, folder);
    QCOMPARE(r.window.model()->rowCount(src), 1);
    QCOMPARE(r.window.model()->rowCount(r.window.model()->index(0, 0, src)), 0);
}

void TestHistoryWindow::downloadFinishedAndInitOnce()
{
    Rig r;
    r.window.initWindow(); // a second call adds no connections
    r.addRun(1);
    emit r.host.m_Hub.LoggerStartedRun();
    QCOMPARE(r.window.model()->rowCount(), 1);
    emit r.host.m_Hub.LoggerDownloadFinshed(true);
    QCOMPARE(r.window.model()->rowCount(), 1);
    QTest::qWait(260);
    QCOMPARE(r.window.model()->rowCount(), 1);
    // A download of a stored run adds it at once and, 200 ms later, rebuilds every row deletable.
    r.addRun(2);
    emit r.host.m_Hub.LoggerDownloadFinshed(false);
    QCOMPARE(r.window.model()->rowCount(), 2);
    QVERIFY(!r.branchRow(r.window.model()->index(0, 0, r.window.model()->index(1, 0)))->deleteEnabled());
    QTRY_VERIFY(r.branchRow(r.window.model()->index(0, 0, r.window.model()->index(1, 0)))
                && r.branchRow(r.window.model()->index(0, 0, r.window.model()->index(1, 0)))->deleteEnabled());
    QCOMPARE(r.window.model()->rowCount(), 2);
}

void TestHistoryWindow::deletingLastRunKeepsUnsavedMark()
{
    Rig r;
    CDataFolder* run = r.addRun(2);
    const int folderKey = run->m_Key;
    const int b0 = run->GetBranchKey(0);
    r.window.Restore(true);
    std::unique_ptr<DataFolderEditor> row = r.window.folderRow(r.window.model()->index(0, 0));
    QVERIFY(row);
    r.prompter.m_bConfirm = false;
    row->onDelete();
    QCOMPARE(r.window.model()->rowCount(), 1);
    QVERIFY(r.data.GetDataFolder(folderKey));
    QSignalSpy unsaved(&r.host.m_Hub, &CKorvantaSignals::HasNewDataToSave);
    QSignalSpy deleted(&r.host.m_Hub, &CKorvantaSignals::dataKeyIsDeleted);
    r.prompter.m_bConfirm = true;
    row->onDelete();
    QVERIFY(r.window.isEmpty());
    QVERIFY(!r.data.GetDataFolder(folderKey));
    QVERIFY(!r.data.GetDataBranch(b0));
    QCOMPARE(deleted.count(), 2);
    // The workspace changed: the mark stays, whatever else is unsaved.
    QCOMPARE(unsaved.count(), 1);
    QVERIFY(r.prompter.m_Log.last().contains("Are you sure you want to delete this data?"));
}

void TestHistoryWindow::deletingSeriesRemovesDerivedRows()
{
    Rig r;
    CDataFolder* run = r.addRun(2);
    const int source = run->GetBranchKey(0);
    const int derived = r.data.CreateDataBranch(20481, 0.1, -1, -1, source);
    r.data.AddChildBranch(derived, source);
    r.window.Restore(true);
    const QModelIndex folder = r.window.model()->index(0, 0);
    const QModelIndex srcRow = r.window.model()->findKey(source);
    QCOMPARE(r.window.model()->rowCount(srcRow), 1);
    QSignalSpy deleted(&r.host.m_Hub, &CKorvantaSignals::dataKeyIsDeleted);
    r.branchRow(srcRow)->onDelete();
    QCOMPARE(r.window.model()->rowCount(folder), 1);
    QVERIFY(!r.window.model()->findKey(derived).isValid());
    QVERIFY(!r.data.GetDataBranch(derived));
    QCOMPARE(deleted.count(), 2);
}

void TestHistoryWindow::closeHidesAndRearranges()
{
    Rig r;
    r.window.show();
    QVERIFY(r.window.m_bHistoryShown);
    r.window.close();
    QVERIFY(!r.window.m_bHistoryShown);
    QVERIFY(!r.window.isVisible());
    QTRY_COMPARE(r.host.m_Arrangements, 1);
    QCOMPARE(r.window.windowTitle(), QStringLiteral("History"));
    QDataStream s;
    QCOMPARE(r.window.saveToFile(&s), 0);
}

void TestHistoryWindow::rowsFollowTheStoreAsRunsComeAndGo()
{
    Rig r;
    for (int i = 0; i < 4; ++i)
        r.addRun(1)->m_Name = QStringLiteral("R%1").arg(i);
    r.window.Restore(true);
    const auto look = [&r](int row) { return r.window.rowLook(r.window.model()->index(row, 0)); };
    QCOMPARE(look(3).caption, QStringLiteral("R3"));
    const auto drop = [&r](int index) {
        CDataFolder* run = r.data.GetDataFolderByIndex(index);
        r.data.DeleteDataBranch(run->GetBranchKey(0));
        r.data.DeleteDataFolder(run->m_Key);
    };
    // A run leaves the store: the runs after it move up the store's list, their rows keep
    // showing them, and the run's own row shows nothing.
    drop(1);
    QVERIFY(!look(1).valid);
    QCOMPARE(look(2).caption, QStringLiteral("R2"));
    QCOMPARE(look(3).caption, QStringLiteral("R3"));
    // The last run goes and a new one comes: as many runs as before, and the new one shows.
    drop(2);
    r.addRun(1)->m_Name = QStringLiteral("R4");
    const QModelIndex added = r.window.insertFolder(r.data.GetLastDataFolder()->m_Key, true);
    QCOMPARE(r.window.rowLook(added).caption, QStringLiteral("R4"));
    QVERIFY(!look(3).valid);
    QCOMPARE(r.window.folderRow(r.window.model()->index(2, 0))->caption(), QStringLiteral("R2"));
}

KORVANTA_TEST_MAIN(TestHistoryWindow)
#include "tst_history_window.moc"

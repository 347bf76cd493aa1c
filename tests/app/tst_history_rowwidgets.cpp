// The rows of the history tree follow what shows: a series row shows while every row above it
// is expanded, and not otherwise; no row has a widget of its own. What the user set or the hub
// said while a run was closed shows when it opens, and deleting works whatever is open.
#include "support/HistoryHost.h"
#include "app/shell/HistoryRows.h"
#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryTreeView.h"
#include "app/shell/HistoryWindow.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "common/ScriptedPrompter.h"

#include <QAbstractItemModelTester>
#include <QScrollBar>
#include <QSignalSpy>
#include "common/TestMain.h"

#include <functional>

namespace {

// Runs something while the delete question is open, as the event loop of a real box would.
class CHookedPrompter : public CScriptedPrompter
{
public:
    bool confirm(QWidget* parent, const QString& title, const QString& text) override
    {
        if (m_WhileAsking)
            m_WhileAsking();
        return CScriptedPrompter::confirm(parent, title, text);
    }
    std::function<void()> m_WhileAsking;
};

} // namespace

// What the hub announces between the rebuild and the opening of a run.
enum class Hub { StartedRun, ExperimentEnd, DownloadStored };
Q_DECLARE_METATYPE(QVector<Hub>)

class TestHistoryRowWidgets : public QObject
{
    Q_OBJECT
private:
    struct Rig
    {
        // runs runs of three series each, S1..S3 with unit m, rebuilt as opening a workspace does.
        explicit Rig(int runs, bool loaded = true)
            : window(&host, Qt::SubWindow), tester(window.model(), QAbstractItemModelTester::FailureReportingMode::QtTest)
        {
            for (int r = 0; r < runs; ++r)
                addRun();
            window.SetDataManager(&data);
            window.initWindow();
            window.Restore(loaded);
        }
        CDataFolder* addRun()
        {
            CDataFolder* folder = data.CreateDataFolder();
            for (int s = 0; s < 3; ++s) {
                const int key = data.CreateDataBranch(1, 0.1, s, 0, folder->m_Key);
                data.GetDataBranch(key)->m_Name = QStringLiteral("S%1").arg(s + 1);
                data.GetDataBranch(key)->m_Unit = QStringLiteral("m");
                folder->AddBranchKey(key);
            }
            return folder;
        }
        // A series derived from series seriesIndex of run runIndex, then the tree rebuilt.
        int addDerived(int runIndex, int seriesIndex)
        {
            const int source = data.GetDataFolderByIndex(runIndex)->GetBranchKey(seriesIndex);
            const int derived = data.CreateDataBranch(20481, 0.1, -1, -1, source);
            data.GetDataBranch(derived)->m_Name = QStringLiteral("Derivative");
            data.AddChildBranch(derived, source);
            window.Restore(true);
            return derived;
        }
        void show(int height)
        {
            host.resize(400, height);
            window.setGeometry(0, 0, 370, height);
            host.show();
            window.show();
        }
        CHistoryTreeView* view() { return static_cast<CHistoryTreeView*>(window.treeView()); }
        QModelIndex run(int row) { return window.model()->index(row, 0); }
        QModelIndex series(int runRow, int row) { return window.model()->index(row, 0, run(runRow)); }
        // Whether the view lays the row out (every row above it is expanded), and whether it
        // lies on screen.
        bool shows(const QModelIndex& index) { return view()->visualRect(index).isValid(); }
        bool onScreen(const QModelIndex& index)
        {
            return shows(index) && view()->viewport()->rect().contains(view()->visualRect(index));
        }
        std::unique_ptr<DataBranchEditor> seriesRow(const QModelIndex& index)
        {
            return shows(index) ? window.branchRow(index) : nullptr;
        }
        // Rows the view lays out, top to bottom.
        int liveRowWidgets()
        {
            int rows = 0;
            for (QModelIndex index = run(0); index.isValid(); index = view()->indexBelow(index))
                ++rows;
            return rows;
        }
        CHookedPrompter prompter;
        CHistoryTestHost host;
        CDataManager data;
        CHistoryWindow window;
        QAbstractItemModelTester tester;
    };

private slots:
    void closedRunsHaveOnlyTheirOwnRowWidgets();
    void expandingMakesSeriesWidgetsCollapsingRemovesThem();
    void derivedRowsComeBackWithTheirRun();
    void namesChangedWhileClosedShowWhenOpened();
    void deleteLockWhileClosed_data();
    void deleteLockWhileClosed();
    void newRunAloneGetsSeriesWidgets();
    void deletingAClosedRunDeletesAllItsSeries();
    void deletingASeriesTakesItsClosedDerivedRows();
    void removedOpenRowsLeaveNoWidgetsBehind();
    void rowRebuiltDuringTheQuestionIsLeftAlone();
    void rowsOpenedWithoutSignalGetWidgetsOnScreen();
    void rowsOffScreenTakeTheLockWhenTheyShow();
};

void TestHistoryRowWidgets::closedRunsHaveOnlyTheirOwnRowWidgets()
{
    Rig r(4);
    QCOMPARE(r.liveRowWidgets(), 4);
    // The rows are drawn, not made of widgets; they share one delete picture, with its
    // disabled state.
    QVERIFY(r.view()->viewport()->findChildren<QWidget*>().isEmpty());
    const QIcon icon = r.window.deleteIcon();
    QVERIFY(!icon.pixmap(24, QIcon::Disabled).isNull());
    for (int run = 0; run < 4; ++run) {
        QVERIFY(r.window.folderRow(r.run(run)));
        for (int s = 0; s < 3; ++s)
            QVERIFY(!r.shows(r.series(run, s)));
    }
}

void TestHistoryRowWidgets::expandingMakesSeriesWidgetsCollapsingRemovesThem()
{
    Rig r(3);
    CDataFolder* second = r.data.GetDataFolderByIndex(1);
    r.view()->expand(r.run(1));
    QCOMPARE(r.liveRowWidgets(), 3 + 3);
    // Newest series first, each with its caption, run name and key.
    for (int s = 0; s < 3; ++s) {
        std::unique_ptr<DataBranchEditor> row = r.seriesRow(r.series(1, s));
        QVERIFY(row);
        QCOMPARE(row->key(), second->GetBranchKey(2 - s));
        QCOMPARE(row->caption(), QStringLiteral("S%1 (m)").arg(3 - s));
        QCOMPARE(row->folderName(), second->m_Name);
        QCOMPARE(row->parentKey(), second->m_Key);
        QVERIFY(row->deleteEnabled());
    }
    QVERIFY(!r.shows(r.series(0, 0)));
    r.view()->collapse(r.run(1));
    for (int s = 0; s < 3; ++s)
        QVERIFY(!r.shows(r.series(1, s)));
    QCOMPARE(r.liveRowWidgets(), 3);
    // Opening again makes them again.
    r.view()->expand(r.run(1));
    QVERIFY(r.seriesRow(r.series(1, 0)));
    QCOMPARE(r.liveRowWidgets(), 6);
}

void TestHistoryRowWidgets::derivedRowsComeBackWithTheirRun()
{
    Rig r(1);
    CDataFolder* run = r.data.GetDataFolderByIndex(0);
    const int source = run->GetBranchKey(0);
    const int derived = r.addDerived(0, 0);
    const QModelIndex sourceRow = r.window.model()->findKey(source);
    const QModelIndex derivedRow = r.window.model()->findKey(derived);
    QCOMPARE(derivedRow.parent(), sourceRow);
    // The series opened inside a closed run: still nothing shows.
    r.view()->expand(sourceRow);
    QVERIFY(!r.shows(sourceRow));
    QVERIFY(!r.shows(derivedRow));
    r.view()->expand(r.run(0));
    QVERIFY(r.seriesRow(sourceRow));
    QCOMPARE(r.seriesRow(derivedRow)->caption(), QStringLiteral("Derivative"));
    QCOMPARE(r.seriesRow(derivedRow)->folderName(), run->m_Name);
    QCOMPARE(r.seriesRow(derivedRow)->parentKey(), source);
    // Closing the run takes the widgets of every level; the series stays open for next time.
    r.view()->collapse(r.run(0));
    QVERIFY(!r.shows(sourceRow));
    QVERIFY(!r.shows(derivedRow));
    QCOMPARE(r.liveRowWidgets(), 1);
    r.view()->expand(r.run(0));
    QVERIFY(r.view()->isExpanded(sourceRow));
    QVERIFY(r.seriesRow(derivedRow));
    QCOMPARE(r.liveRowWidgets(), 1 + 3 + 1);
}

void TestHistoryRowWidgets::namesChangedWhileClosedShowWhenOpened()
{
    Rig r(2);
    CDataFolder* first = r.data.GetDataFolderByIndex(0);
    r.view()->expand(r.run(0));
    QCOMPARE(r.seriesRow(r.series(0, 0))->caption(), QStringLiteral("S3 (m)"));
    r.view()->collapse(r.run(0));
    CDataBranch* third = r.data.GetDataBranch(first->GetBranchKey(2));
    third->m_Name = QStringLiteral("Speed");
    third->m_Unit.clear();
    first->m_Name = QStringLiteral("Ramp");
    r.view()->expand(r.run(0));
    QCOMPARE(r.seriesRow(r.series(0, 0))->caption(), QStringLiteral("Speed"));
    QCOMPARE(r.seriesRow(r.series(0, 0))->folderName(), QStringLiteral("Ramp"));
    QCOMPARE(r.seriesRow(r.series(0, 1))->caption(), QStringLiteral("S2 (m)"));
}

void TestHistoryRowWidgets::deleteLockWhileClosed_data()
{
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QVector<Hub>>("events");
    QTest::addColumn<bool>("deletable");
    QTest::newRow("opened file") << true << QVector<Hub>{} << true;
    QTest::newRow("rebuilt during a run") << false << QVector<Hub>{} << false;
    QTest::newRow("run ends") << false << QVector<Hub>{Hub::ExperimentEnd} << true;
    QTest::newRow("run starts") << true << QVector<Hub>{Hub::StartedRun} << false;
    QTest::newRow("run starts and ends") << true << QVector<Hub>{Hub::StartedRun, Hub::ExperimentEnd} << true;
    QTest::newRow("stored run downloaded") << false << QVector<Hub>{Hub::DownloadStored} << true;
    QTest::newRow("ends then starts") << false << QVector<Hub>{Hub::ExperimentEnd, Hub::StartedRun} << false;
}

void TestHistoryRowWidgets::deleteLockWhileClosed()
{
    QFETCH(bool, loaded);
    QFETCH(QVector<Hub>, events);
    QFETCH(bool, deletable);
    Rig r(3, loaded);
    // Run 0 is open while the hub speaks, run 1 opens afterwards: both must agree.
    r.view()->expand(r.run(0));
    std::unique_ptr<DataBranchEditor> early = r.seriesRow(r.series(0, 0));
    QVERIFY(early);
    for (Hub event : events) {
        if (event == Hub::StartedRun) {
            r.addRun();
            emit r.host.m_Hub.LoggerStartedRun();
        } else if (event == Hub::ExperimentEnd) {
            emit r.host.m_Hub.LoggerExperimentEnd();
        } else {
            emit r.host.m_Hub.LoggerDownloadFinshed(true);
        }
    }
    r.view()->expand(r.run(1));
    std::unique_ptr<DataBranchEditor> late = r.seriesRow(r.series(1, 0));
    QVERIFY(late);
    QCOMPARE(late->deleteEnabled(), deletable);
    QCOMPARE(r.window.folderRow(r.run(1))->deleteEnabled(), deletable);
    // The earlier row may be hidden if a new run closed its run; if not, it agrees.
    if (r.shows(early->index()))
        QCOMPARE(early->deleteEnabled(), deletable);
}

void TestHistoryRowWidgets::newRunAloneGetsSeriesWidgets()
{
    Rig r(5);
    r.view()->expand(r.run(2));
    CDataFolder* added = r.addRun();
    emit r.host.m_Hub.LoggerStartedRun();
    // Every run's own row, and the new run's series: the run opened before is closed again.
    QCOMPARE(r.liveRowWidgets(), 6 + 3);
    QVERIFY(!r.shows(r.series(2, 0)));
    std::unique_ptr<DataBranchEditor> newest = r.seriesRow(r.series(5, 0));
    QVERIFY(newest);
    QCOMPARE(newest->key(), added->GetBranchKey(2));
    QVERIFY(!newest->deleteEnabled());
    emit r.host.m_Hub.LoggerExperimentEnd();
    QVERIFY(newest->deleteEnabled());
}

void TestHistoryRowWidgets::deletingAClosedRunDeletesAllItsSeries()
{
    Rig r(3);
    CDataFolder* middle = r.data.GetDataFolderByIndex(1);
    const int folderKey = middle->m_Key;
    const QVector<int> keys = middle->GetBranchKeys();
    const int lastFolderKey = r.data.GetDataFolderByIndex(2)->m_Key;
    QSignalSpy deleted(&r.host.m_Hub, &CKorvantaSignals::dataKeyIsDeleted);
    r.window.folderRow(r.run(1))->onDelete();
    QCOMPARE(r.window.model()->rowCount(), 2);
    QVERIFY(!r.data.GetDataFolder(folderKey));
    for (int key : keys) {
        QVERIFY(!r.data.GetDataBranch(key));
        QVERIFY(!r.window.model()->findKey(key).isValid());
    }
    QCOMPARE(deleted.count(), 3);
    // The run below moved up and still opens with its series.
    QCOMPARE(r.window.model()->data(r.run(1), Qt::EditRole).toInt(), lastFolderKey);
    r.view()->expand(r.run(1));
    QVERIFY(r.seriesRow(r.series(1, 2)));
    QCOMPARE(r.liveRowWidgets(), 2 + 3);
}

void TestHistoryRowWidgets::deletingASeriesTakesItsClosedDerivedRows()
{
    Rig r(1);
    const int source = r.data.GetDataFolderByIndex(0)->GetBranchKey(1);
    const int derived = r.addDerived(0, 1);
    r.view()->expand(r.run(0));
    const QModelIndex sourceRow = r.window.model()->findKey(source);
    QVERIFY(!r.view()->isExpanded(sourceRow));
    QVERIFY(!r.shows(r.window.model()->findKey(derived)));
    r.seriesRow(sourceRow)->onDelete();
    QVERIFY(!r.data.GetDataBranch(source));
    QVERIFY(!r.data.GetDataBranch(derived));
    QVERIFY(!r.window.model()->findKey(derived).isValid());
    QCOMPARE(r.window.model()->rowCount(r.run(0)), 2);
    QCOMPARE(r.liveRowWidgets(), 1 + 2);
}

void TestHistoryRowWidgets::removedOpenRowsLeaveNoWidgetsBehind()
{
    Rig r(3);
    const int source = r.data.GetDataFolderByIndex(0)->GetBranchKey(0);
    r.addDerived(0, 0);
    r.view()->expand(r.window.model()->findKey(source));
    r.view()->expand(r.run(0));
    r.view()->expand(r.run(2));
    QCOMPARE(r.liveRowWidgets(), 3 + 4 + 3);
    // A run deleted while open takes its series' and derived series' widgets with it.
    r.window.folderRow(r.run(0))->onDelete();
    QCOMPARE(r.liveRowWidgets(), 2 + 3);
    r.window.Clean();
    QCOMPARE(r.liveRowWidgets(), 0);
}

void TestHistoryRowWidgets::rowRebuiltDuringTheQuestionIsLeftAlone()
{
    Rig r(2);
    r.view()->expand(r.run(0));
    std::unique_ptr<DataBranchEditor> row = r.seriesRow(r.series(0, 0));
    const int key = row->key();
    const int sibling = r.data.GetDataFolderByIndex(0)->GetBranchKey(0);
    // The tree is rebuilt while the box is open (a download finishing): the widget's row is
    // gone; its delete takes the new row of its series and no other.
    r.prompter.m_WhileAsking = [&r] { r.window.Restore(true); };
    row->onDelete();
    QVERIFY(!r.data.GetDataBranch(key));
    QVERIFY(r.data.GetDataBranch(sibling));
    QCOMPARE(r.window.model()->rowCount(), 2);
    QCOMPARE(r.window.model()->rowCount(r.run(0)), 2);
    QVERIFY(!r.window.model()->findKey(key).isValid());
    QVERIFY(r.window.model()->findKey(sibling).isValid());
}

void TestHistoryRowWidgets::rowsOpenedWithoutSignalGetWidgetsOnScreen()
{
    Rig r(2);
    r.show(400);
    // Opening everything at once announces no single row; the rows that come on screen still
    // get their widgets when the view places them.
    r.view()->expandAll();
    QTRY_VERIFY(r.seriesRow(r.series(0, 0)) && r.onScreen(r.series(0, 0)));
    QCOMPARE(r.seriesRow(r.series(0, 0))->caption(), QStringLiteral("S3 (m)"));
}

void TestHistoryRowWidgets::rowsOffScreenTakeTheLockWhenTheyShow()
{
    Rig r(60);
    r.show(300);
    std::unique_ptr<DataFolderEditor> last = r.window.folderRow(r.run(59));
    QVERIFY(last);
    // Sixty runs do not fit in 300 pixels: the last run's row is placed off screen.
    QTRY_VERIFY(r.onScreen(r.run(0)) && !r.onScreen(r.run(59)));
    r.addRun();
    emit r.host.m_Hub.LoggerStartedRun();
    QVERIFY(!last->deleteEnabled());
    // The button the user sees once the row scrolls into view, not through the row's accessor.
    r.view()->verticalScrollBar()->setValue(r.view()->verticalScrollBar()->maximum());
    QTRY_VERIFY(r.onScreen(last->index()));
    QCOMPARE(r.view()->deleteButtonMode(last->index()), QIcon::Disabled);
    emit r.host.m_Hub.LoggerExperimentEnd();
    QCOMPARE(r.view()->deleteButtonMode(last->index()), QIcon::Normal);
    r.view()->verticalScrollBar()->setValue(0);
    QTRY_VERIFY(r.onScreen(r.run(0)));
    QCOMPARE(r.view()->deleteButtonMode(r.run(0)), QIcon::Normal);
}

KORVANTA_TEST_MAIN(TestHistoryRowWidgets)
#include "tst_history_rowwidgets.moc"

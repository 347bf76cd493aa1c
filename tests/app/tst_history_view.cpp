// The history tree view with many rows: the rows on screen are the ones laid out there, rows
// scroll into view, collapsing the tree closes every expanded row, and the rows' delete buttons
// answer the pointer.
#include "support/HistoryHost.h"
#include "app/shell/HistoryRowDelegate.h"
#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryTreeView.h"
#include "app/shell/HistoryWindow.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "common/ScriptedPrompter.h"

#include <QHoverEvent>
#include <QScrollBar>
#include "common/TestMain.h"

namespace {

// Lets the view finish its deferred layout.
void Settle()
{
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QTest::qWait(1);
    }
}

} // namespace

class TestHistoryView : public QObject
{
    Q_OBJECT
private:
    struct Rig
    {
        explicit Rig(int runs) : window(&host, Qt::SubWindow)
        {
            for (int r = 0; r < runs; ++r) {
                CDataFolder* folder = data.CreateDataFolder();
                for (int s = 0; s < 3; ++s) {
                    const int key = data.CreateDataBranch(1, 0.1, s, 0, folder->m_Key);
                    folder->AddBranchKey(key);
                }
            }
            window.SetDataManager(&data);
            window.initWindow();
            window.Restore(true);
            host.resize(400, 300);
            window.setGeometry(0, 0, 370, 300);
            host.show();
            window.show();
            Settle();
        }
        CHistoryTreeView* view() { return static_cast<CHistoryTreeView*>(window.treeView()); }
        // Whether a row is laid out, and on screen.
        bool shows(const QModelIndex& index) { return view()->visualRect(index).isValid(); }
        bool onScreen(const QModelIndex& index)
        {
            return shows(index) && view()->visualRect(index).intersects(view()->viewport()->rect());
        }
        bool onScreen(int row) { return onScreen(window.model()->index(row, 0)); }
        QPoint deleteButton(int row)
        {
            return HistoryRowLayout::deleteButtonRect(view()->visualRect(window.model()->index(row, 0))).center();
        }
        int questions() { return prompter.m_Log.filter(QStringLiteral("confirm|")).size(); }
        CScriptedPrompter prompter;
        CHistoryTestHost host;
        CDataManager data;
        CHistoryWindow window;
    };

private slots:
    void onlyRowsOnScreenShowTheirWidgets()
    {
        Rig r(80);
        QVERIFY(r.onScreen(0));
        // Eighty runs do not fit in 300 pixels: the last run's row is off screen.
        QVERIFY(!r.onScreen(79));
        // Series rows inside collapsed runs are not laid out at all.
        const QModelIndex series = r.window.model()->index(0, 0, r.window.model()->index(0, 0));
        QVERIFY(!r.shows(series));
    }

    void scrolledRowsGetTheirWidgets()
    {
        Rig r(80);
        r.view()->verticalScrollBar()->setValue(r.view()->verticalScrollBar()->maximum());
        Settle();
        QVERIFY(r.onScreen(79));
        QVERIFY(!r.onScreen(0));
    }

    void expandedRunShowsItsSeriesAndCollapsesAgain()
    {
        Rig r(5);
        const QModelIndex run = r.window.model()->index(1, 0);
        r.view()->expand(run);
        r.view()->expand(r.window.model()->index(3, 0));
        Settle();
        QCOMPARE(r.view()->expandedCount(), 2);
        QVERIFY(r.onScreen(r.window.model()->index(0, 0, run)));
        r.view()->collapseEverything();
        Settle();
        QCOMPARE(r.view()->expandedCount(), 0);
        QVERIFY(!r.view()->isExpanded(run));
        QVERIFY(!r.view()->isExpanded(r.window.model()->index(3, 0)));
        QVERIFY(!r.shows(r.window.model()->index(0, 0, run)));
    }

    void addedRunIsExpandedAloneWithItsSeriesLastToFirst()
    {
        Rig r(30);
        r.view()->expand(r.window.model()->index(2, 0));
        CDataFolder* folder = r.data.CreateDataFolder();
        QVector<int> keys;
        for (int s = 0; s < 4; ++s) {
            keys << r.data.CreateDataBranch(1, 0.1, s, 0, folder->m_Key);
            folder->AddBranchKey(keys.last());
        }
        r.window.newFolder();
        Settle();
        const QModelIndex run = r.window.model()->index(30, 0);
        QVERIFY(r.view()->isExpanded(run));
        QVERIFY(!r.view()->isExpanded(r.window.model()->index(2, 0)));
        QCOMPARE(r.window.model()->rowCount(run), 4);
        for (int row = 0; row < 4; ++row)
            QCOMPARE(r.window.model()->data(r.window.model()->index(row, 0, run), Qt::EditRole).toInt(), keys.at(3 - row));
        QCOMPARE(QModelIndex(r.window.lastRecordedRow()), r.window.model()->index(0, 0, run));
    }

    // A press and a release on a run's delete button: asked and deleted only when both land on
    // a button that may delete, and the user says yes.
    void deleteButtonDeletesOnReleaseOverIt_data()
    {
        QTest::addColumn<bool>("duringRun");
        QTest::addColumn<bool>("releasedOnIt");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("questions");
        QTest::newRow("released on it, yes") << false << true << true << 1;
        QTest::newRow("released on it, no") << false << true << false << 1;
        QTest::newRow("released beside it") << false << false << true << 0;
        QTest::newRow("greyed during a run") << true << true << true << 0;
    }

    void deleteButtonDeletesOnReleaseOverIt()
    {
        QFETCH(bool, duringRun);
        QFETCH(bool, releasedOnIt);
        QFETCH(bool, answer);
        QFETCH(int, questions);
        Rig r(5);
        if (duringRun)
            r.window.Restore(false);
        Settle();
        r.prompter.m_bConfirm = answer;
        const int key = r.data.GetDataFolderByIndex(2)->m_Key;
        const QModelIndex run = r.window.model()->index(2, 0);
        QTest::mousePress(r.view()->viewport(), Qt::LeftButton, Qt::NoModifier, r.deleteButton(2));
        QCOMPARE(r.view()->deleteButtonMode(run), duringRun ? QIcon::Disabled : QIcon::Active);
        const QPoint release = releasedOnIt ? r.deleteButton(2) : r.view()->visualRect(run).center();
        QTest::mouseRelease(r.view()->viewport(), Qt::LeftButton, Qt::NoModifier, release);
        QCOMPARE(r.questions(), questions);
        const bool deleted = questions == 1 && answer;
        QCOMPARE(r.data.GetDataFolder(key) == nullptr, deleted);
        QCOMPARE(r.window.model()->rowCount(), deleted ? 4 : 5);
        // Nothing of the button's press is left behind on the row that takes its place.
        QCOMPARE(r.view()->deleteButtonMode(r.window.model()->index(2, 0)), duringRun ? QIcon::Disabled : QIcon::Normal);
    }

    void deleteKeyAsksLikeTheButton()
    {
        Rig r(5);
        r.prompter.m_bConfirm = true;
        r.view()->setCurrentIndex(r.window.model()->index(3, 0));
        QTest::keyClick(r.view(), Qt::Key_Delete);
        QCOMPARE(r.questions(), 1);
        QCOMPARE(r.window.model()->rowCount(), 4);
    }

    void deleteButtonShowsThePointerOverIt()
    {
        Rig r(5);
        QHoverEvent over(QEvent::HoverMove, r.deleteButton(1), QPoint());
        QCoreApplication::sendEvent(r.view()->viewport(), &over);
        QCOMPARE(r.view()->deleteButtonMode(r.window.model()->index(1, 0)), QIcon::Selected);
        QCOMPARE(r.view()->deleteButtonMode(r.window.model()->index(0, 0)), QIcon::Normal);
        QHoverEvent away(QEvent::HoverLeave, QPoint(-1, -1), r.deleteButton(1));
        QCoreApplication::sendEvent(r.view()->viewport(), &away);
        QCOMPARE(r.view()->deleteButtonMode(r.window.model()->index(1, 0)), QIcon::Normal);
    }
};

KORVANTA_TEST_MAIN(TestHistoryView)
#include "tst_history_view.moc"

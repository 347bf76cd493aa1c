// A history of 100,000 runs opens, shows, scrolls, opens a run and deletes runs (through a row
// and through the delete button under the pointer) without a widget per row: a widget per run
// overflowed the stack while the toolkit painted 40,000 of them. Run offscreen and, as
// history_large_xvfb, on an X server.
#include "support/HistoryHost.h"
#include "app/shell/HistoryRowDelegate.h"
#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryTreeView.h"
#include "app/shell/HistoryWindow.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "common/ScriptedPrompter.h"

#include <QSet>
#include "common/TestMain.h"

namespace {

// Distinct colours in the viewport's picture: rows drawn give many, a blank view one.
int Colours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    return colours.size();
}

} // namespace

class TestHistoryLarge : public QObject
{
    Q_OBJECT
private slots:
    void hundredThousandRunsOpenScrollAndDelete();
};

void TestHistoryLarge::hundredThousandRunsOpenScrollAndDelete()
{
    const int runs = 100000;
    CScriptedPrompter prompter;
    CHistoryTestHost host;
    CDataManager data;
    // The store is filled directly: reading a file this size is the workspace loader's matter.
    for (int r = 0; r < runs; ++r) {
        CDataFolder* folder = data.CreateDataFolder();
        folder->AddBranchKey(data.CreateDataBranch(1, 0.1, 0, 0, folder->m_Key));
    }
    CHistoryWindow window(&host, Qt::SubWindow);
    window.SetDataManager(&data);
    window.initWindow();
    window.Restore(true);
    QCOMPARE(window.model()->rowCount(), runs);
    auto* view = static_cast<CHistoryTreeView*>(window.treeView());
    host.resize(420, 320);
    window.setGeometry(0, 0, 400, 300);
    host.show();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    // Scrolls a row into view and waits until the view has drawn it there.
    const auto bring = [view](const QModelIndex& index) {
        view->scrollTo(index);
        return QTest::qWaitFor([&] { return view->viewport()->rect().contains(view->visualRect(index)); })
               && Colours(view->viewport()->grab().toImage()) > 8;
    };
    QVERIFY(bring(window.model()->index(0, 0)));
    QVERIFY(view->viewport()->findChildren<QWidget*>().isEmpty());
    // The last run opens with its series at the end.
    view->expand(window.model()->index(runs - 1, 0));
    QVERIFY(bring(window.model()->index(0, 0, window.model()->index(runs - 1, 0))));

    // A run in the middle goes through its row, the last one through its button.
    const int middleKey = data.GetDataFolderByIndex(runs / 2)->m_Key;
    window.folderRow(window.model()->index(runs / 2, 0))->onDelete();
    QVERIFY(!data.GetDataFolder(middleKey));
    const QModelIndex last = window.model()->index(runs - 2, 0);
    const int lastKey = window.model()->data(last, Qt::EditRole).toInt();
    QVERIFY(bring(last));
    const QPoint button = HistoryRowLayout::deleteButtonRect(view->visualRect(last)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, button);
    QVERIFY(!data.GetDataFolder(lastKey));
    QCOMPARE(window.model()->rowCount(), runs - 2);
    QCOMPARE(data.GetNumDataFolders(), runs - 2);

    // A new run joins the end, open, showing its name.
    CDataFolder* added = data.CreateDataFolder();
    added->AddBranchKey(data.CreateDataBranch(1, 0.1, 0, 0, added->m_Key));
    emit host.m_Hub.LoggerStartedRun();
    QCOMPARE(window.rowLook(window.model()->index(runs - 2, 0)).caption, added->m_Name);
    QVERIFY(bring(window.lastRecordedRow()));
}

KORVANTA_TEST_MAIN(TestHistoryLarge)
#include "tst_history_large.moc"

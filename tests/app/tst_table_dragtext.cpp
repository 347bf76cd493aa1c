// The drag text of runs and series, the rules a table applies to a dropped text, and the
// deletion of runs and series from the data-tree rows with their announcements.
#include "app/shell/HistoryRowDelegate.h"
#include "app/shell/HistoryRows.h"
#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryWindow.h"
#include "common/TableRig.h"
#include "table/TableDelegate.h"
#include "windowbase/BranchDragText.h"
#include "table/TableModel.h"

#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTreeView>
#include "common/TestMain.h"

namespace {
// Run 1 holding branches 3 and 4 (keys as the store hands them out: the folder is 0), with
// 7 derived from 3 and 9 from 7.
struct CTreeData
{
    explicit CTreeData(CTableHost& host) : h(host)
    {
        folder = h.m_Data.CreateDataFolder();   // key 0
        a = h.m_Data.CreateDataBranch(1, 0.1, 0, 0, folder->m_Key);
        b = h.m_Data.CreateDataBranch(2, 0.1, 0, 0, folder->m_Key);
        folder->AddBranchKey(a);
        folder->AddBranchKey(b);
        h.fill(a, 3, 0, 1);
        h.fill(b, 3, 0, 2);
        c = h.addDerived(a, 3);
        d = h.addDerived(c, 3);
    }
    CTableHost& h;
    CDataFolder* folder;
    int a, b, c, d;
};

QDropEvent dropOf(const QString& text, QMimeData& mime)
{
    mime.setText(text);
    return QDropEvent(QPointF(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
}

// Straight to the window's handler: the application only routes drops that its own drag
// manager started.
void deliver(QObject* window, QEvent* event)
{
    window->event(event);
}

// The history window over the rig's store, rebuilt so it holds a row for every run and series.
struct CTree
{
    explicit CTree(CTableHost& host) : window(&host, Qt::SubWindow)
    {
        window.SetDataManager(&host.m_Data);
        window.initWindow();
        window.Restore(true);
    }
    // The rows above a series row are opened first, as the user opens them to reach it.
    template <typename Row>
    std::unique_ptr<Row> row(int key)
    {
        const QModelIndex index = window.model()->findKey(key);
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
            window.treeView()->expand(up);
        std::unique_ptr<CHistoryRow> found = window.rowAt(index);
        if (!dynamic_cast<Row*>(found.get()))
            return nullptr;
        return std::unique_ptr<Row>(static_cast<Row*>(found.release()));
    }
    CHistoryWindow window;
};
} // namespace

class TestTableDragText : public QObject
{
    Q_OBJECT
private slots:
    void folderAndBranchRowsDragTheirTrees();
    void emptyFolderDragsItsNameAlone();
    void commaInARunNameStaysOneElement();
    void parsedKeysSkipTheNameAndWhatIsNoKey_data();
    void parsedKeysSkipTheNameAndWhatIsNoKey();
    void onlyALeftPressOnThePictureDrags();
    void dropAddsEachNewKnownKeyOnce();
    void dropRefusesAnotherKindOfData_data();
    void dropRefusesAnotherKindOfData();
    void dropRefusedWhileRunning();
    void deletingABranchAnnouncesDerivedFirstBeforeTheDataGo();
    void deletingAFolderWithADanglingKeyEnds();
    void deletedBranchLeavesTheTable();
    void deleteAnsweredNoKeepsEverything();
};

void TestTableDragText::folderAndBranchRowsDragTheirTrees()
{
    CTableHost host;
    CTreeData data(host);
    data.folder->m_Name = "Run 1";
    CTree tree(host);
    const QString folderText = QStringLiteral("Run 1,%1,%2,%3,%4").arg(data.a).arg(data.c).arg(data.d).arg(data.b);
    QCOMPARE(tree.row<DataFolderEditor>(data.folder->m_Key)->dragText(), folderText);
    QCOMPARE(tree.row<DataBranchEditor>(data.c)->dragText(), QStringLiteral("Run 1,%1,%2").arg(data.c).arg(data.d));
    // The branch row starts with the run's name, not its own caption.
    QCOMPARE(tree.row<DataBranchEditor>(data.b)->dragText(), QStringLiteral("Run 1,%1").arg(data.b));
}

void TestTableDragText::emptyFolderDragsItsNameAlone()
{
    CTableHost host;
    CDataFolder* folder = host.m_Data.CreateDataFolder();
    CTree tree(host);
    QCOMPARE(tree.row<DataFolderEditor>(folder->m_Key)->dragText(), folder->m_Name);
    QVERIFY(!folder->m_Name.contains(','));
}

void TestTableDragText::commaInARunNameStaysOneElement()
{
    CTableHost host;
    CTreeData data(host);
    data.folder->m_Name = QStringLiteral("Run,%1").arg(data.b);
    CTree tree(host);
    const QString text = tree.row<DataFolderEditor>(data.folder->m_Key)->dragText();
    QCOMPARE(ParseBranchDragKeys(text), (QList<int>{data.a, data.c, data.d, data.b}));
    QCOMPARE(text.split(',').size(), 5);
}

void TestTableDragText::parsedKeysSkipTheNameAndWhatIsNoKey_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("keys");
    QTest::newRow("plain") << "Run 1,3,7" << QList<int>{3, 7};
    QTest::newRow("name that is a number") << "12,3" << QList<int>{3};
    QTest::newRow("name alone") << "Run 1" << QList<int>{};
    QTest::newRow("empty") << "" << QList<int>{};
    QTest::newRow("empty parts") << "Run,,5," << QList<int>{5};
    QTest::newRow("negative") << "Run,-3,4" << QList<int>{4};
    QTest::newRow("blanks and signs") << "Run, 3,+4,5 ,6" << QList<int>{6};
    QTest::newRow("too large") << "Run,99999999999,2147483647,8" << QList<int>{8};
    QTest::newRow("not decimal") << "Run,0x10,1e3,7" << QList<int>{7};
}

void TestTableDragText::parsedKeysSkipTheNameAndWhatIsNoKey()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, keys);
    QCOMPARE(ParseBranchDragKeys(text), keys);
}

void TestTableDragText::onlyALeftPressOnThePictureDrags()
{
    CTableHost host;
    CTreeData data(host);
    CTree tree(host);
    QVERIFY(tree.row<DataBranchEditor>(data.a));
    // The row's place in the view, 300 pixels wide.
    const QRect row(40, 56, 300, HistoryRowLayout::RowHeight);
    using namespace HistoryRowLayout;
    const QPoint picture = pictureRect(row).center();
    QVERIFY(startsDragAt(row, picture, Qt::LeftButton));
    QVERIFY(startsDragAt(row, pictureRect(row).bottomRight() + QPoint(1, 1), Qt::LeftButton));
    QVERIFY(!startsDragAt(row, picture, Qt::RightButton));
    QVERIFY(!startsDragAt(row, picture, Qt::MiddleButton));
    QVERIFY(!startsDragAt(row, QPoint(190, 70), Qt::LeftButton));                     // caption
    QVERIFY(!startsDragAt(row, deleteButtonRect(row).center(), Qt::LeftButton));      // delete
}

void TestTableDragText::dropAddsEachNewKnownKeyOnce()
{
    CTableHost host;
    CTreeData data(host);
    CTableWindow* table = host.newTable();
    QSignalSpy unsaved(&host.m_Hub, &CKorvantaSignals::HasNewDataToSave);
    QMimeData mime;
    QDropEvent first = dropOf(QStringLiteral("Run 1,%1,%1,12345,%2").arg(data.a).arg(data.b), mime);
    deliver(table, &first);
    QCOMPARE(table->dataColumnCount(), 2);
    QMimeData again;
    QDropEvent second = dropOf(QStringLiteral("Run 1,%1").arg(data.a), again);
    deliver(table, &second);
    QCOMPARE(table->dataColumnCount(), 2);
    QCOMPARE(unsaved.count(), 1);
    QCOMPARE(table->bodyModel()->rowCount(), 3);
}

void TestTableDragText::dropRefusesAnotherKindOfData_data()
{
    QTest::addColumn<int>("firstKind");
    QTest::addColumn<int>("droppedKind");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("two catalogue sensors") << 1 << 45 << true;
    QTest::newRow("function onto a sensor") << 1 << 20480 << false;
    QTest::newRow("sensor onto a function") << 20480 << 1 << false;
    QTest::newRow("function onto a function") << 20480 << 20480 << true;
    QTest::newRow("video track onto a fit") << 20481 << 20482 << false;
}

void TestTableDragText::dropRefusesAnotherKindOfData()
{
    QFETCH(int, firstKind);
    QFETCH(int, droppedKind);
    QFETCH(bool, accepted);
    CTableHost host;
    host.addRun({firstKind, droppedKind}, 3);
    CTableWindow* table = host.newTable();
    table->addColumnByKey(1, nullptr);
    QMimeData mime;
    mime.setText("Run 1,999,2");   // 999 names nothing and is passed over
    QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(table, &enter);
    QCOMPARE(enter.isAccepted(), accepted);
}

void TestTableDragText::dropRefusedWhileRunning()
{
    CTableHost host;
    host.addRun({1, 2}, 3);
    CTableWindow* table = host.newTable();
    host.m_Hub.SignalLoggerStartedRun();
    QVERIFY(table->isRunning());
    QMimeData mime;
    mime.setText("Run 1,1");
    QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(table, &enter);
    QVERIFY(!enter.isAccepted());
}

void TestTableDragText::deletingABranchAnnouncesDerivedFirstBeforeTheDataGo()
{
    CTableHost host;
    CDataFolder* run = host.addRun({1}, 3);
    const int b = run->GetBranchKey(0);
    const int c1 = host.addDerived(b, 2);
    const int c2 = host.addDerived(b, 2);
    const int d = host.addDerived(c2, 2);
    CTree tree(host);
    QList<int> announced;
    QList<bool> stillThere;
    connect(&host.m_Hub, &CKorvantaSignals::dataKeyIsDeleted, this, [&](int key) {
        announced << key;
        stillThere << (host.m_Data.GetDataBranch(key) != nullptr);
    });
    tree.row<DataBranchEditor>(b)->onDelete();
    QCOMPARE(announced, (QList<int>{d, c2, c1, b}));
    QCOMPARE(stillThere, (QList<bool>{true, true, true, true}));
    for (int key : {b, c1, c2, d})
        QVERIFY(!host.m_Data.GetDataBranch(key));
    QCOMPARE(run->GetNumberBranches(), 0);
    QCOMPARE(host.m_Prompter.said(), QStringList{"Are you sure you want to delete this data?"});
}

void TestTableDragText::deletingAFolderWithADanglingKeyEnds()
{
    CTableHost host;
    CDataFolder* run = host.addRun({1, 2}, 3);
    const int folderKey = run->m_Key;
    CTree tree(host);
    run->m_BranchKeys.Add(777);   // names no branch
    run->m_BranchKeys.Add(1);     // listed twice
    QList<int> announced;
    connect(&host.m_Hub, &CKorvantaSignals::dataKeyIsDeleted, this, [&](int key) { announced << key; });
    tree.row<DataFolderEditor>(folderKey)->onDelete();
    QCOMPARE(announced, (QList<int>{1, 2}));
    QVERIFY(!host.m_Data.GetDataFolder(folderKey));
    QCOMPARE(host.m_Data.GetNumDataBranches(), 0);
    QVERIFY(tree.window.isEmpty());
}

void TestTableDragText::deletedBranchLeavesTheTable()
{
    CTableHost host;
    CTreeData data(host);
    CTableWindow* table = host.newTable();
    table->insertAllFolderBranches(data.folder->m_Key);
    QCOMPARE(table->dataColumnCount(), 4);
    CTree tree(host);
    tree.row<DataBranchEditor>(data.c)->onDelete();
    QCOMPARE(table->dataColumnCount(), 2);
    QCOMPARE(table->bodyDelegate()->dataColumn(0)->m_Key, data.a);
    QCOMPARE(table->bodyDelegate()->dataColumn(1)->m_Key, data.b);
}

void TestTableDragText::deleteAnsweredNoKeepsEverything()
{
    CTableHost host;
    CTreeData data(host);
    CTree tree(host);
    host.m_Prompter.m_bConfirm = false;
    QSignalSpy announced(&host.m_Hub, &CKorvantaSignals::dataKeyIsDeleted);
    tree.row<DataFolderEditor>(data.folder->m_Key)->onDelete();
    QCOMPARE(announced.count(), 0);
    QCOMPARE(host.m_Data.GetNumDataBranches(), 4);
    QVERIFY(!tree.window.isEmpty());
}

KORVANTA_TEST_MAIN(TestTableDragText)
#include "tst_table_dragtext.moc"

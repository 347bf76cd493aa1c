// The history tree's item model: item bookkeeping, refusals that leave the tree unchanged, the
// announcements the views rely on (checked by the toolkit's model tester), and key lookup.
#include "app/shell/HistoryTreeModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include "common/TestMain.h"

class TestHistoryModel : public QObject
{
    Q_OBJECT
private slots:
    void itemChildrenAndNumbers();
    void newModelAndRoot();
    void insertAndRemoveRefusals();
    void zeroRowsAnnounceNothing();
    void setDataRolesAndFlags();
    void removingFolderTakesSubtree();
    void findKeyInTreeOrder();
    void testerOnGrowingTree();
};

void TestHistoryModel::itemChildrenAndNumbers()
{
    HistoryTreeItem root(QVariant(0), nullptr);
    QCOMPARE(root.childNumber(), 0);
    QVERIFY(!root.insertChildren(1, 1));
    QVERIFY(!root.insertChildren(-1, 1));
    QVERIFY(root.insertChildren(0, 3));
    QCOMPARE(root.childCount(), 3);
    QCOMPARE(root.child(0)->data(), QVariant(true));
    QCOMPARE(root.child(2)->childNumber(), 2);
    QVERIFY(!root.child(3));
    QVERIFY(!root.child(-1));
    QVERIFY(root.insertChildren(0, 0));
    QCOMPARE(root.childCount(), 3);
    QVERIFY(!root.removeChildren(2, 2));
    QVERIFY(!root.removeChildren(-1, 1));
    QCOMPARE(root.childCount(), 3);
    root.child(1)->setData(42);
    QVERIFY(root.removeChildren(0, 1));
    QCOMPARE(root.child(0)->data().toInt(), 42);
    QCOMPARE(root.child(0)->parentItem(), &root);
    QCOMPARE(root.columnCount(), 1);
}

void TestHistoryModel::newModelAndRoot()
{
    CHistoryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 1);
    QCOMPARE(model.getItem(QModelIndex())->data(), QVariant(0));
    QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::DisplayRole).isValid());
    QCOMPARE(model.mimeTypes(), QStringList{"application/vnd.text.list"});
    QVERIFY(!model.mimeData({}));
    QCOMPARE(model.supportedDropActions(), Qt::CopyAction | Qt::MoveAction);
}

void TestHistoryModel::insertAndRemoveRefusals()
{
    CHistoryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QVERIFY(!model.insertRows(1, 1));
    QCOMPARE(inserted.count(), 0);
    QVERIFY(model.insertRows(0, 2));
    QVERIFY(model.insertRows(2, 1)); // exactly the row count appends
    QCOMPARE(model.rowCount(), 3);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QVERIFY(!model.removeRows(2, 2));
    QVERIFY(!model.removeRows(-1, 1));
    QCOMPARE(removed.count(), 0);
    QCOMPARE(model.rowCount(), 3);
    // A parent in another column has no children.
    const QModelIndex first = model.index(0, 0);
    QVERIFY(!model.index(0, 0, first.sibling(0, 0)).isValid());
    QVERIFY(!model.index(0, 1).isValid());
    QVERIFY(!model.index(5, 0).isValid());
    QVERIFY(model.insertColumns(0, 2));
    QVERIFY(!model.insertColumns(-1, 1));
    QCOMPARE(model.columnCount(), 1);
}

void TestHistoryModel::zeroRowsAnnounceNothing()
{
    CHistoryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy aboutInsert(&model, &QAbstractItemModel::rowsAboutToBeInserted);
    QSignalSpy aboutRemove(&model, &QAbstractItemModel::rowsAboutToBeRemoved);
    QVERIFY(model.insertRows(0, 0));
    QVERIFY(model.removeRows(0, 0));
    QCOMPARE(aboutInsert.count(), 0);
    QCOMPARE(aboutRemove.count(), 0);
    QCOMPARE(model.rowCount(), 0);
}

void TestHistoryModel::setDataRolesAndFlags()
{
    CHistoryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.insertRows(0, 1);
    const QModelIndex row = model.index(0, 0);
    QVERIFY(!model.setData(row, 7, Qt::DisplayRole));
    QCOMPARE(model.data(row, Qt::DisplayRole), QVariant(true));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(model.setData(row, 7, Qt::EditRole));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).value<QModelIndex>(), row);
    QCOMPARE(model.data(row, Qt::DisplayRole).toInt(), 7);
    QCOMPARE(model.data(row, Qt::EditRole).toInt(), 7);
    QVERIFY(!model.data(row, Qt::ToolTipRole).isValid());
    QVERIFY(!model.data(QModelIndex(), Qt::DisplayRole).isValid());
    QCOMPARE(int(model.flags(row)), 39);
    QCOMPARE(int(model.flags(QModelIndex())), 0);
}

void TestHistoryModel::removingFolderTakesSubtree()
{
    CHistoryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.insertRows(0, 2);
    const QModelIndex folder = model.index(0, 0);
    model.insertRows(0, 2, folder);
    const QModelIndex series = model.index(1, 0, folder);
    model.insertRows(0, 1, series);
    QCOMPARE(model.parent(model.index(0, 0, series)), series);
    QCOMPARE(model.parent(series), folder);
    QVERIFY(!model.parent(folder).isValid());
    QVERIFY(model.removeRows(0, 1));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.rowCount(model.index(0, 0)), 0);
}

void TestHistoryModel::findKeyInTreeOrder()
{
    CHistoryTreeModel model;
    model.insertRows(0, 2);
    model.setData(model.index(0, 0), 1);
    model.setData(model.index(1, 0), 5);
    const QModelIndex first = model.index(0, 0);
    model.insertRows(0, 1, first);
    model.setData(model.index(0, 0, first), 9);
    model.insertRows(0, 1, model.index(0, 0, first));
    model.setData(model.index(0, 0, model.index(0, 0, first)), 5); // a duplicate deeper in run 1
    QCOMPARE(model.findKey(9), model.index(0, 0, first));
    // Depth first: the deep duplicate comes before the second top-level row.
    QCOMPARE(model.findKey(5), model.index(0, 0, model.index(0, 0, first)));
    QVERIFY(!model.findKey(77).isValid());
    // A fresh row holds true, which must not read as key 1.
    model.insertRows(0, 1, model.index(1, 0));
    QCOMPARE(model.findKey(1), first);
}

void TestHistoryModel::testerOnGrowingTree()
{
    CHistoryTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (int run = 0; run < 5; ++run) {
        QVERIFY(model.insertRows(model.rowCount(), 1));
        const QModelIndex folder = model.index(model.rowCount() - 1, 0);
        model.setData(folder, run * 100);
        for (int s = 0; s < 4; ++s) {
            QVERIFY(model.insertRows(0, 1, folder));
            model.setData(model.index(0, 0, folder), run * 100 + s + 1);
        }
    }
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.rowCount(model.index(2, 0)), 4);
    QCOMPARE(model.data(model.index(0, 0, model.index(2, 0)), Qt::EditRole).toInt(), 204);
    QVERIFY(model.removeRows(1, 3));
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(1, 0), Qt::EditRole).toInt(), 400);
}

KORVANTA_TEST_GUILESS_MAIN(TestHistoryModel)
#include "tst_history_model.moc"

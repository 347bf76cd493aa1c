// Cell texts of the index, time and data columns, read directly and within a paint pass, and
// cell editing: what is stored, what is refused, and that an edit marks the workspace.
#include "common/TableRig.h"
#include "Core/Data/Globals.h"
#include "table/TableDelegate.h"
#include "table/TableModel.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QStandardItemModel>
#include "common/TestMain.h"

class TestTableCells : public QObject
{
    Q_OBJECT
private slots:
    void indexAndTimeTexts_data();
    void indexAndTimeTexts();
    void timeIsMinusOneWithoutColumns();
    void branchStartingLaterLeavesEmptyRows();
    void manualXValuesFillTheTimeColumn();
    void timeColumnFollowsTheFirstColumnsRun_data();
    void timeColumnFollowsTheFirstColumnsRun();
    void paintPassReadsTheSameTextsAsDirectReads();
    void paintPassOfAViewShowsNewestRows();
    void editingStoresANumberAndMarksTheWorkspace();
    void editingRefusesWhatIsNotARealNumber_data();
    void editingRefusesWhatIsNotARealNumber();
    void cellsOutsideTheDataAreNotEditable();
};

void TestTableCells::indexAndTimeTexts_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("time");
    QTest::newRow("first row") << 0 << "1" << "0";
    QTest::newRow("row 5 at 0.1 s") << 5 << "6" << "0.5";
    QTest::newRow("last row with data") << 9 << "10" << "0.9";
    QTest::newRow("after the data") << 10 << "" << "";
}

void TestTableCells::indexAndTimeTexts()
{
    QFETCH(int, row);
    QFETCH(QString, index);
    QFETCH(QString, time);
    CTableHost host;
    host.addRun({1}, 10, 0.1);
    CTableWindow* table = host.newTable();
    table->addColumnByKey(1, nullptr);
    CTableDelegate* cells = table->bodyDelegate();
    QCOMPARE(cells->cellText(row, 0), index);
    QCOMPARE(cells->cellText(row, 1), time);
}

void TestTableCells::timeIsMinusOneWithoutColumns()
{
    CTableHost host;
    CTableWindow* table = host.newTable();
    QCOMPARE(table->bodyDelegate()->getTimeColumnTextByRow(3), QString("-1"));
    QCOMPARE(table->bodyDelegate()->getMaxSizeDataColumn(), 0);
}

void TestTableCells::branchStartingLaterLeavesEmptyRows()
{
    CTableHost host;
    host.addRun({1}, 4, 0.1, 3);   // x = 3..6, y = 100..103
    CTableWindow* table = host.newTable();
    table->addColumnByKey(1, nullptr);
    CTableDelegate* cells = table->bodyDelegate();
    for (int row = 0; row < 3; ++row)
        QCOMPARE(cells->getDataText(row, 0), QString());
    QCOMPARE(cells->getDataText(3, 0), QString("100"));
    QCOMPARE(cells->getDataText(6, 0), QString("103"));
    QCOMPARE(cells->getDataText(7, 0), QString());
    QCOMPARE(cells->getMaxSizeDataColumn(), 7);
    QCOMPARE(cells->getDataText(0, 5), QString());   // no such column
}

void TestTableCells::manualXValuesFillTheTimeColumn()
{
    CTableHost host;
    CDataFolder* run = host.addRun({1}, 3);
    const int manual = host.m_Data.CreateDataBranch(20484, 0.0, 0, 0, run->m_Key);
    run->AddBranchKey(manual);
    CDataBranch* x = host.m_Data.GetDataBranch(manual);
    x->AddSample(0, 2.26);
    x->AddSample(1, 7.0);
    CTableWindow* table = host.newTable();
    table->addColumnByKey(1, nullptr);
    QCOMPARE(table->bodyDelegate()->getTimeColumnTextByRow(0), QString("2.3"));
    QCOMPARE(table->bodyDelegate()->getTimeColumnTextByRow(1), QString("7"));
    QCOMPARE(table->bodyDelegate()->getTimeColumnTextByRow(2), QString());
}

void TestTableCells::timeColumnFollowsTheFirstColumnsRun_data()
{
    QTest::addColumn<int>("first");   // the run whose first series is dropped; 5 a series computed from run 1
    QTest::addColumn<QStringList>("cells");   // the time column's title, its first two cells, the data's
    QTest::newRow("run sampled by hand") << 0 << QStringList{"Samples", "0", "1", "100", "101"};
    QTest::newRow("run with typed masses") << 1 << QStringList{"Mass(g)", "10", "20", "100", "101"};
    QTest::newRow("series computed from it") << 5 << QStringList{"Mass(g)", "10", "20", "1000", "1001"};
    // A collision whose struck cart missed its gate: the gap is an empty cell.
    QTest::newRow("photogate results") << 2 << QStringList{"Event", "0", "1", "100", ""};
}

void TestTableCells::timeColumnFollowsTheFirstColumnsRun()
{
    QFETCH(int, first);
    QFETCH(QStringList, cells);
    // Runs 1 and 3 typed masses (the last run's may show in no other run's table).
    CTableHost host;
    QList<CDataFolder*> runs{host.addRun({72}, 3, 1.0), host.addRun({72, SensorIndexManualX}, 3, 1.0),
                             host.addRun({SensorIndexTimingResult}, 3, 1.0)};
    runs << host.addRun({72, SensorIndexManualX}, 3, 1.0);
    for (CDataFolder* run : {runs[1], runs[3]}) {
        CDataBranch* x = host.m_Data.GetDataBranch(run->GetBranchKey(1));
        x->m_Name = "Mass";
        x->m_Unit = "g";
        for (int i = 0; i < 3; ++i)
            x->SetYSample(i, (run == runs[1] ? 10.0 : 50.0) * (i + 1));
    }
    host.m_Data.GetDataBranch(runs[2]->GetBranchKey(0))->SetYSample(1, MissingValue);
    const int key = first == 5 ? host.addDerived(runs[1]->GetBranchKey(0), 3) : runs[first]->GetBranchKey(0);
    CTableWindow* table = host.newTable();
    QMimeData mime;   // dropped from the data tree
    mime.setText(QStringLiteral("Run,%1").arg(key));
    QDropEvent drop(QPointF(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(table)->event(&drop);
    CTableDelegate* d = table->bodyDelegate();
    QCOMPARE((QStringList{d->timeColumn()->m_Name, d->cellText(0, 1), d->cellText(1, 1), d->cellText(0, 2),
                          d->cellText(1, 2)}),
             cells);
}

void TestTableCells::paintPassReadsTheSameTextsAsDirectReads()
{
    CTableHost host;
    host.addRun({1, 2}, 1000, 0.01);
    host.fill(2, 500, 1000, 7.5);   // the second branch is longer
    CTableWindow* table = host.newTable();
    table->addColumnByKey(1, nullptr);
    table->addColumnByKey(2, nullptr);
    CTableDelegate* cells = table->bodyDelegate();
    QStringList direct;
    const QList<int> rows = {0, 1, 63, 64, 65, 255, 256, 700, 999, 1000, 1200, 1499, 1500, 4000, 3, 0};
    for (int row : rows)
        for (int c = 0; c < 5; ++c)
            direct << cells->cellText(row, c);
    QStringList pass;
    cells->beginPass();
    for (int row : rows)
        for (int c = 0; c < 5; ++c)
            pass << cells->cellText(row, c);
    cells->endPass();
    QCOMPARE(pass, direct);
    QCOMPARE(direct.at(12 * 5 + 3), QString());        // row 1500: past both branches
    QCOMPARE(direct.at(11 * 5 + 3), QString("506.5")); // row 1499 of the second branch
}

void TestTableCells::paintPassOfAViewShowsNewestRows()
{
    CTableHost host;
    host.addRun({1}, 300);
    CTableWindow* table = host.newTable();
    table->addColumnByKey(1, nullptr);
    table->bodyModel()->setRowCount(300);
    table->resize(400, 400);
    table->show();
    table->bodyView()->scrollToBottom();
    QImage image(table->bodyView()->viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    table->bodyView()->viewport()->render(&image);
    // The cells are painted in the background grey: no black left inside the viewport.
    QCOMPARE(QColor(image.pixel(5, 5)), QColor(238, 238, 238));
    QCOMPARE(QColor(image.pixel(image.width() / 2, image.height() / 2)).red(), 238);
}

void TestTableCells::editingStoresANumberAndMarksTheWorkspace()
{
    CTableHost host;
    host.addRun({1}, 5, 0.1, 3);
    CTableWindow* table = host.newTable();
    table->addColumnByKey(1, nullptr);
    QSignalSpy unsaved(&host.m_Hub, &CKorvantaSignals::HasNewDataToSave);
    CTableDelegate* cells = table->bodyDelegate();
    const QModelIndex cell = table->bodyModel()->index(3, 2);
    QWidget* editor = cells->createEditor(table->bodyView()->viewport(), QStyleOptionViewItem(), cell);
    QVERIFY(editor);
    cells->setEditorData(editor, cell);
    auto* line = qobject_cast<QLineEdit*>(editor);
    QCOMPARE(line->text(), QString("100"));
    line->setText("2.5");
    cells->setModelData(editor, table->bodyModel(), cell);
    QCOMPARE(host.m_Data.GetDataBranch(1)->GetYSample(0), 2.5);
    QCOMPARE(host.m_Data.GetDataBranch(1)->GetXSample(0), 3.0);
    QCOMPARE(unsaved.count(), 1);
    delete editor;
}

void TestTableCells::editingRefusesWhatIsNotARealNumber_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("letters") << "abc";
    QTest::newRow("comma decimal") << "2,5";
    QTest::newRow("infinity") << "inf";
    QTest::newRow("not a number") << "nan";
    QTest::newRow("empty") << "";
}

void TestTableCells::editingRefusesWhatIsNotARealNumber()
{
    QFETCH(QString, typed);
    CTableHost host;
    host.addRun({1}, 5);
    CTableWindow* table = host.newTable();
    table->addColumnByKey(1, nullptr);
    QSignalSpy unsaved(&host.m_Hub, &CKorvantaSignals::HasNewDataToSave);
    CTableDelegate* cells = table->bodyDelegate();
    const QModelIndex cell = table->bodyModel()->index(2, 2);
    QWidget* editor = cells->createEditor(table->bodyView()->viewport(), QStyleOptionViewItem(), cell);
    qobject_cast<QLineEdit*>(editor)->setText(typed);
    cells->setModelData(editor, table->bodyModel(), cell);
    QCOMPARE(host.m_Data.GetDataBranch(1)->GetYSample(2), 102.0);
    QCOMPARE(host.m_Prompter.said(), QStringList{"Only real numbers can be inserted to table"});
    QCOMPARE(unsaved.count(), 0);
    delete editor;
}

void TestTableCells::cellsOutsideTheDataAreNotEditable()
{
    CTableHost host;
    host.addRun({1}, 5);
    CTableWindow* table = host.newTable();
    table->addColumnByKey(1, nullptr);
    CTableDelegate* cells = table->bodyDelegate();
    QWidget* parent = table->bodyView()->viewport();
    QVERIFY(!cells->createEditor(parent, QStyleOptionViewItem(), table->bodyModel()->index(1, 0)));
    QVERIFY(!cells->createEditor(parent, QStyleOptionViewItem(), table->bodyModel()->index(1, 1)));
    QVERIFY(!cells->createEditor(parent, QStyleOptionViewItem(), table->bodyModel()->index(5, 2)));
    QVERIFY(!cells->createEditor(parent, QStyleOptionViewItem(), table->bodyModel()->index(1, 3)));
    QVERIFY(!table->headerDelegate()->createEditor(parent, QStyleOptionViewItem(), table->headerModel()->index(0, 2)));
}

KORVANTA_TEST_MAIN(TestTableCells)
#include "tst_table_cells.moc"

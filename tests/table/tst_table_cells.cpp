// Cell texts of the index, time and data columns, read directly and within a paint pass, and
// cell editing: what is stored, what is refused, and that an edit marks the workspace.
#include "support/TableRig.h"
#include "graph/GraphWindow.h"
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
    void aMissingResultShowsAsAnEmptyCell();
    void paintPassReadsTheSameTextsAsDirectReads();
    void paintPassOfAViewShowsNewestRows();
    void editingStoresANumberAndMarksTheWorkspace();
    void anEditRedrawsEveryWindowShowingTheSeries();
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
    QTest::addColumn<QString>("first");    // the series of the table's first column
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("texts");   // the time column's first two cells
    QTest::newRow("run sampled by hand") << "hand" << "Samples" << QStringList{"0", "1"};
    QTest::newRow("run with typed masses") << "massRun" << "Mass(g)" << QStringList{"10", "20"};
    QTest::newRow("series computed from it") << "derived" << "Mass(g)" << QStringList{"10", "20"};
    QTest::newRow("timed run") << "auto" << "Time" << QStringList{"0", "0.1"};
    QTest::newRow("photogate results") << "timing" << "Event" << QStringList{"0", "1"};
    QTest::newRow("last run's own masses") << "lastRun" << "Length(cm)" << QStringList{"3", "6"};
}

void TestTableCells::timeColumnFollowsTheFirstColumnsRun()
{
    QFETCH(QString, first);
    QFETCH(QString, title);
    QFETCH(QStringList, texts);
    // Runs in the order recorded: the last one has manual X values of its own, which no other
    // run's column may show.
    CTableHost host;
    QHash<QString, int> key;
    auto typed = [&](CDataFolder* run, const QString& name, const QString& unit, double step) {
        const int k = host.m_Data.CreateDataBranch(SensorIndexManualX, 1.0, -1, -1, run->m_Key);
        run->AddBranchKey(k);
        CDataBranch* x = host.m_Data.GetDataBranch(k);
        x->m_Name = name;
        x->m_Unit = unit;
        host.fill(k, 3, 0, 0.0);
        for (int i = 0; i < 3; ++i)
            x->SetYSample(i, step * (i + 1));
    };
    host.m_Setup.m_RateCode = 0;
    key["hand"] = host.addRun({72}, 3, 1.0)->GetBranchKey(0);
    CDataFolder* masses = host.addRun({72}, 3, 1.0);
    key["massRun"] = masses->GetBranchKey(0);
    typed(masses, "Mass", "g", 10.0);
    key["derived"] = host.addDerived(key["massRun"], 3);
    key["timing"] = host.addRun({SensorIndexTimingResult}, 3, 1.0)->GetBranchKey(0);
    host.m_Setup.m_RateCode = 7;
    key["auto"] = host.addRun({72}, 3, 0.1)->GetBranchKey(0);
    host.m_Setup.m_RateCode = 0;
    CDataFolder* last = host.addRun({72}, 3, 1.0);
    key["lastRun"] = last->GetBranchKey(0);
    typed(last, "Length", "cm", 3.0);

    // Dropped from the data tree into a new table.
    CTableWindow* table = host.newTable();
    QMimeData mime;
    mime.setText(QStringLiteral("Run,%1").arg(key[first]));
    QDropEvent drop(QPointF(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(table)->event(&drop);
    CTableDelegate* cells = table->bodyDelegate();
    QCOMPARE(table->dataColumnCount(), 1);
    QCOMPARE(cells->timeColumn()->m_Name, title);
    QCOMPARE((QStringList{cells->cellText(0, 1), cells->cellText(1, 1)}), texts);
}

void TestTableCells::aMissingResultShowsAsAnEmptyCell()
{
    // A collision whose struck cart missed its gate: the gap holds that gate's turn.
    CTableHost host;
    CDataFolder* run = host.addRun({SensorIndexTimingResult}, 3, 1.0);
    host.m_Data.GetDataBranch(run->GetBranchKey(0))->SetYSample(1, MissingValue);
    CTableWindow* table = host.newTable();
    table->addColumnByKey(run->GetBranchKey(0), nullptr);
    CTableDelegate* cells = table->bodyDelegate();
    QCOMPARE((QStringList{cells->cellText(0, 2), cells->cellText(1, 2), cells->cellText(2, 2)}),
             (QStringList{"100", "", "102"}));
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

void TestTableCells::anEditRedrawsEveryWindowShowingTheSeries()
{
    CTableHost host;
    host.addRun({1}, 5);
    CTableWindow* table = host.newTable();
    table->addColumnByKey(1, nullptr);
    auto* graph = new CGraphWindow(&host, Qt::SubWindow);
    host.addSubWindow(graph);
    graph->initWindow();
    graph->AddPlotsFromKeyArray({1});
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    struct PaintCount : QObject
    {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override { return paints += e->type() == QEvent::Paint, false; }
    } count;
    graph->installEventFilter(&count);
    QCoreApplication::processEvents();
    count.paints = 0;
    CTableDelegate* cells = table->bodyDelegate();
    const QModelIndex cell = table->bodyModel()->index(2, 2);
    QWidget* editor = cells->createEditor(table->bodyView()->viewport(), QStyleOptionViewItem(), cell);
    qobject_cast<QLineEdit*>(editor)->setText("-40");
    cells->setModelData(editor, table->bodyModel(), cell);
    delete editor;
    QCoreApplication::processEvents();
    QVERIFY(count.paints > 0);
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
    QCOMPARE(host.m_Prompter.m_Said, QStringList{"Only real numbers can be inserted to table"});
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

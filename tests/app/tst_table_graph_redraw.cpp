// A table and a graph window side by side over one series: an edit in the table redraws the
// graph as well.
#include "common/TableRig.h"
#include "graph/GraphWindow.h"
#include "table/TableDelegate.h"
#include "table/TableModel.h"

#include <QLineEdit>
#include "common/TestMain.h"

class TestTableGraphRedraw : public QObject
{
    Q_OBJECT
private slots:
    void anEditRedrawsEveryWindowShowingTheSeries();
};

void TestTableGraphRedraw::anEditRedrawsEveryWindowShowingTheSeries()
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

KORVANTA_TEST_MAIN(TestTableGraphRedraw)
#include "tst_table_graph_redraw.moc"

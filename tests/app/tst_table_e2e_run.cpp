// A table in the real application against the simulated Pelorin logger: opened from its
// ribbon command, it follows a run started with the Run button and fills live while the run
// records; afterwards a series dragged from the history tree goes into a second table.
#include "app/shell/HistoryRows.h"
#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryWindow.h"
#include "support/AppBench.h"
#include "graph/GraphWindow.h"
#include "table/TableDelegate.h"
#include "table/TableModel.h"
#include "table/TableWindow.h"

#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QStandardPaths>
#include "common/TestMain.h"

class TestTableEndToEndRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void runFromTheButtonFillsTheTableLive();
};

void TestTableEndToEndRun::runFromTheButtonFillsTheTableLive()
{
    CAppBench bench;
    QVERIFY(bench.start());
    MainWindow* window = bench.window.get();
    window->resize(1400, 900);
    CWindowsManager* wm = window->windowsManager();
    QVERIFY(bench.detectAndChoose(10, 200));   // 100 samples a second
    QCOMPARE(bench.detections->count(), 1);

    // The user opens a table from the ribbon.
    MultiAction* tableCommand = window->findAction(21);
    QVERIFY(tableCommand && tableCommand->isEnabled());
    tableCommand->trigger();
    auto* table = qobject_cast<CTableWindow*>(wm->GetLastActiveTable());
    QVERIFY(table);
    QSignalSpy resets(table->bodyModel(), &QAbstractItemModel::modelReset);

    bench.pressRun();
    QTRY_VERIFY_WITH_TIMEOUT(table->isRunning(), 4000);
    const int resetsAtStart = resets.count();
    const int branches = bench.setup()->getSetupInfo()->GetActiveMeasurementCount();
    QCOMPARE(table->dataColumnCount(), branches);
    // Live: rows with data appear while the run still records.
    QTRY_VERIFY_WITH_TIMEOUT(table->bodyDelegate()->getMaxSizeDataColumn() > 20, 4000);
    QVERIFY(table->isRunning());
    QVERIFY(table->bodyDelegate()->getMaxSizeDataColumn() < 200);
    QTRY_COMPARE_WITH_TIMEOUT(bench.ended->count(), 1, 6000);
    QVERIFY(!table->isRunning());
    QCOMPARE(resets.count(), resetsAtStart);
    QCOMPARE(table->bodyDelegate()->getMaxSizeDataColumn(), 200);
    CDataManager* data = wm->GetDataManager();
    CDataBranch* first = data->GetDataBranch(table->bodyDelegate()->dataColumn(0)->m_Key);
    QVERIFY(first);
    QCOMPARE(table->bodyDelegate()->getDataText(199, 0), QString::number(first->GetYSample(199), 'g', 6));
    QCOMPARE(table->bodyDelegate()->getIndexColumnTextByRow(199), QString("200"));

    // A second table takes one series dragged from the history tree.
    wm->ShowTableWindow();
    auto* second = qobject_cast<CTableWindow*>(wm->GetLastActiveTable());
    QVERIFY(second && second != table);
    CHistoryWindow* history = wm->GetHistoryWindow();
    const QModelIndex row = history->model()->findKey(first->m_Key);
    std::unique_ptr<DataBranchEditor> branchRow = history->branchRow(row);
    QVERIFY(branchRow);
    QMimeData mime;
    mime.setText(branchRow->dragText());
    QDropEvent drop(QPointF(10, 10), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(second)->event(&drop);
    QCOMPARE(second->dataColumnCount(), 1);
    QCOMPARE(second->bodyDelegate()->dataColumn(0)->m_Key, first->m_Key);
    QCOMPARE(second->bodyModel()->rowCount(), 200);

    // One colour everywhere: the curve and both tables' columns have the setup's colour.
    const QColor set = bench.setup()->getSetupInfo()->Measurement(first->m_Channel, first->m_SensorIndex, first->m_Measurement)->m_Color;
    QColor curve;
    for (const CGraphPlot& plot : qobject_cast<CGraphWindow*>(wm->GetLastGraphWindow())->m_Plots)
        curve = plot.m_Key == first->m_Key ? plot.m_Color : curve;
    QCOMPARE((QList<QColor>{curve, table->bodyDelegate()->dataColumn(0)->m_Color, second->bodyDelegate()->dataColumn(0)->m_Color}),
             (QList<QColor>{set, set, set}));
}

KORVANTA_TEST_MAIN(TestTableEndToEndRun)
#include "tst_table_e2e_run.moc"

// The table window on the road of a run: the last active table takes the run's branches, grows
// with the data on its redraw timer without resetting its models, follows the newest rows, ends
// with the run; other tables keep their columns; closing, downloads, columns and fonts.
#include "common/TableRig.h"
#include "table/TableDelegate.h"
#include "table/TableModel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolBar>
#include "common/TestMain.h"

namespace {
// Appends n samples to every branch of the folder, as the store does during a run.
void record(CTableHost& host, CDataFolder* run, int n)
{
    for (int key : run->GetBranchKeys()) {
        CDataBranch* b = host.m_Data.GetDataBranch(key);
        const int start = b->GetXSize();
        for (int i = 0; i < n; ++i)
            b->AddSample(start + i, 0.5 * (start + i));
    }
}
} // namespace

class TestTableWindow : public QObject
{
    Q_OBJECT
private slots:
    void runStartShapesTheModels_data();
    void runStartShapesTheModels();
    void runThroughTheHubGrowsTheTableWithoutResets();
    void viewsTakeTheStripGrey();
    void runEndShowsTheLastSamples();
    void pressingTheScrollBarStopsTracking();
    void onlyTheLastActiveTableFollowsARun();
    void closingDuringARunDoesNothing();
    void closingHandsTheRecordOver();
    void downloadFillsTheLastActiveTable();
    void removingAColumnAsksFirst();
    void fontForAllColumnsWidensThemAndMarksTheWorkspace();
    void timeTitleFollowsTheRate();
    void videoAnalysisRunShowsOnlyTrackBranches();
    void videoPlaybackLimitsTheRowsShown();
    void dropBeyondTheFirstFiftyColumnsShowsThem();
};

void TestTableWindow::runStartShapesTheModels_data()
{
    QTest::addColumn<int>("branches");
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::newRow("three branches") << 3 << 500 << 50 << 500;
    QTest::newRow("sixty branches") << 60 << 10 << 62 << 100;
    QTest::newRow("manual sampling") << 1 << -1 << 50 << 100;
}

void TestTableWindow::runStartShapesTheModels()
{
    QFETCH(int, branches);
    QFETCH(int, samples);
    QFETCH(int, columns);
    QFETCH(int, rows);
    CTableHost host;
    host.m_Setup.m_NumberOfSamples = samples;
    CTableWindow* table = host.newTable();
    QList<int> sensors;
    for (int i = 0; i < branches; ++i)
        sensors << 1;
    host.addRun(sensors, 0);
    host.m_Hub.SignalLoggerStartedRun();
    QCOMPARE(table->dataColumnCount(), branches);
    QCOMPARE(table->bodyModel()->columnCount(), columns);
    QCOMPARE(table->headerModel()->columnCount(), columns);
    QCOMPARE(table->bodyModel()->rowCount(), rows);
    QVERIFY(table->isRunning());
    QVERIFY(!table->toolBar()->isEnabled());
}

// Both views and the cells' area behind them are the tool strip's grey.
void TestTableWindow::viewsTakeTheStripGrey()
{
    CTableHost host;
    CTableWindow* table = host.newTable();
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(table->headerView()),
                                    static_cast<QAbstractItemView*>(table->bodyView())}) {
        for (QWidget* w : {static_cast<QWidget*>(view), view->viewport()})
            for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base})
                QCOMPARE(w->palette().color(role), CTableWindow::table_toolbarBackColor);
    }
}

void TestTableWindow::runThroughTheHubGrowsTheTableWithoutResets()
{
    CTableHost host;
    host.m_Setup.m_NumberOfSamples = 100;
    CTableWindow* table = host.newTable();
    table->resize(400, 400);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    CDataFolder* run = host.addRun({1, 2}, 0);
    host.m_Hub.SignalLoggerStartedRun();
    QSignalSpy resets(table->bodyModel(), &QAbstractItemModel::modelReset);
    QSignalSpy inserts(table->bodyModel(), &QAbstractItemModel::rowsInserted);
    // Every stored row is announced; the table only notes it until its redraw timer runs.
    for (int block = 0; block < 30; ++block) {
        const int before = inserts.count();
        record(host, run, 10);
        for (int i = 0; i < 10; ++i)
            host.m_Hub.SignalLoggerNewDataArrived();
        QVERIFY(table->hasPendingData());
        QCOMPARE(inserts.count(), before);
        table->RefreshNewData();
    }
    QCOMPARE(resets.count(), 0);
    QVERIFY(table->bodyModel()->rowCount() >= 300);
    // Rows came in a few batches, not one per redraw.
    QVERIFY2(inserts.count() <= 6, qPrintable(QString::number(inserts.count())));
    QCOMPARE(table->bodyDelegate()->getDataText(299, 1), QString("149.5"));
    // Tracking keeps the newest row in view.
    const int first = table->bodyView()->rowAt(0);
    const int last = table->bodyView()->rowAt(table->bodyView()->viewport()->height() - 1);
    QVERIFY2(first <= 299 && (last < 0 || last >= 295), qPrintable(QString("%1 %2").arg(first).arg(last)));
}

void TestTableWindow::runEndShowsTheLastSamples()
{
    CTableHost host;
    CTableWindow* table = host.newTable();
    CDataFolder* run = host.addRun({1}, 0);
    host.m_Hub.SignalLoggerStartedRun();
    record(host, run, 250);
    host.m_Hub.SignalLoggerNewDataArrived();
    host.m_Hub.SignalLoggerExperimentEnd();
    QVERIFY(!table->isRunning());
    QVERIFY(table->toolBar()->isEnabled());
    QVERIFY(table->bodyModel()->rowCount() >= 250);
}

void TestTableWindow::pressingTheScrollBarStopsTracking()
{
    CTableHost host;
    CTableWindow* table = host.newTable();
    host.addRun({1}, 0);
    host.m_Hub.SignalLoggerStartedRun();
    QVERIFY(table->trackCheckBox()->isChecked());
    emit table->bodyView()->verticalScrollBar()->sliderPressed();
    QVERIFY(!table->trackCheckBox()->isChecked());
    host.m_Hub.SignalLoggerExperimentEnd();
    host.addRun({1}, 0);
    host.m_Hub.SignalLoggerStartedRun();
    QVERIFY(table->trackCheckBox()->isChecked());
}

void TestTableWindow::onlyTheLastActiveTableFollowsARun()
{
    CTableHost host;
    host.addRun({1}, 5);
    CTableWindow* other = host.newTable(false);
    other->addColumnByKey(1, nullptr);
    CTableWindow* last = host.newTable(true);
    host.addRun({2, 2, 2}, 0);
    host.m_Hub.SignalLoggerStartedRun();
    QCOMPARE(other->dataColumnCount(), 1);
    QCOMPARE(other->bodyDelegate()->dataColumn(0)->m_Key, 1);
    QVERIFY(!other->isRunning());
    QCOMPARE(last->dataColumnCount(), 3);
}

void TestTableWindow::closingDuringARunDoesNothing()
{
    CTableHost host;
    CTableWindow* table = host.newTable();
    host.addRun({1}, 0);
    host.m_Hub.SignalLoggerStartedRun();
    QCloseEvent close;
    QApplication::sendEvent(table, &close);
    QVERIFY(!close.isAccepted());
    QCOMPARE(host.m_Handovers, 0);
}

void TestTableWindow::closingHandsTheRecordOver()
{
    CTableHost host;
    CTableWindow* table = host.newTable();
    QCloseEvent close;
    QApplication::sendEvent(table, &close);
    QVERIFY(close.isAccepted());
    QCOMPARE(host.m_Handovers, 1);
}

void TestTableWindow::downloadFillsTheLastActiveTable()
{
    CTableHost host;
    host.m_Setup.m_NumberOfSamples = 20;
    CTableWindow* table = host.newTable();
    CDataFolder* run = host.addRun({1, 2}, 400);
    host.addDerived(run->GetBranchKey(0), 400);
    host.m_Hub.SignalLoggerDownloadFinshed(true);
    QCOMPARE(table->dataColumnCount(), 3);
    // A downloaded run longer than the setup's sample count shows whole.
    QVERIFY(table->bodyModel()->rowCount() >= 400);
    QVERIFY(!table->isRunning());
}

void TestTableWindow::removingAColumnAsksFirst()
{
    CTableHost host;
    host.addRun({1, 2}, 3);
    CTableWindow* table = host.newTable();
    table->addColumnByKey(1, nullptr);
    table->addColumnByKey(2, nullptr);
    host.m_Prompter.m_bYes = false;
    table->removeColumnFromTable(2);
    QCOMPARE(table->dataColumnCount(), 2);
    QCOMPARE(host.m_Prompter.said(), QStringList{"Remove column?"});
    host.m_Prompter.m_bYes = true;
    table->removeColumnFromTable(2);
    QCOMPARE(table->dataColumnCount(), 1);
    QCOMPARE(table->bodyDelegate()->dataColumn(0)->m_Key, 2);
    // A column that goes while the question is open is not replaced by its neighbour.
    table->addColumnByKey(1, nullptr);
    host.m_Prompter.m_QuestionHook = [&]() { table->removeColumnByKey(2); };
    table->removeColumnFromTable(2);
    host.m_Prompter.m_QuestionHook = nullptr;
    QCOMPARE(table->dataColumnCount(), 1);
    QCOMPARE(table->bodyDelegate()->dataColumn(0)->m_Key, 1);
    table->removeColumnFromTable(1);   // the time column is not removable
    table->removeColumnFromTable(7);   // nor a column that is not there
    QCOMPARE(table->dataColumnCount(), 1);
}

void TestTableWindow::fontForAllColumnsWidensThemAndMarksTheWorkspace()
{
    CTableHost host;
    host.addRun({1}, 3);
    CTableWindow* table = host.newTable();
    table->addColumnByKey(1, nullptr);
    QSignalSpy unsaved(&host.m_Hub, &CKorvantaSignals::HasNewDataToSave);
    CTableColumn* column = table->bodyDelegate()->dataColumn(0);
    QFont big("DejaVu Sans");
    big.setPointSize(30);
    CTableWindow::SetFontChooser([&](QWidget*, const QFont&, QFont* chosen) {
        *chosen = big;
        return true;
    });
    table->on_btn_font_clicked();
    CTableWindow::SetFontChooser(nullptr);
    QCOMPARE(column->getColumnFont().pointSize(), 30);
    QCOMPARE(table->bodyDelegate()->timeColumn()->getColumnFont().pointSize(), 30);
    QCOMPARE(table->bodyDelegate()->defaultFont().pointSize(), 30);
    QVERIFY(column->getColumnWidth() > CTableColumn::COLUMN_CELL_BASE_WIDTH);
    QVERIFY(column->m_CellHeight > CTableColumn::COLUMN_CELL_BASE_HEIGHT);
    QCOMPARE(unsaved.count(), 1);
}

void TestTableWindow::timeTitleFollowsTheRate()
{
    CTableHost host;
    CTableWindow* table = host.newTable();
    host.m_Setup.m_RateCode = 0;
    host.addRun({1}, 0);
    host.m_Hub.SignalLoggerStartedRun();
    QCOMPARE(table->bodyDelegate()->timeColumn()->m_Name, QString("Samples"));
    host.m_Hub.SignalLoggerExperimentEnd();
    host.m_Setup.m_RateCode = 10;
    host.addRun({1}, 0);
    host.m_Hub.SignalLoggerStartedRun();
    QCOMPARE(table->bodyDelegate()->timeColumn()->m_Name, QString("Time"));
}

void TestTableWindow::videoAnalysisRunShowsOnlyTrackBranches()
{
    CTableHost host;
    CTableWindow* table = host.newTable();
    CDataFolder* run = host.addRun({20482, 1, 20482}, 5);
    host.m_Hub.SignalVideoAnalysisStart(run->m_Key);
    QVERIFY(table->isRunning());
    QCOMPARE(table->dataColumnCount(), 2);
    QCOMPARE(table->bodyDelegate()->dataColumn(1)->m_Key, run->GetBranchKey(2));
    host.m_Hub.SignalVideoAnalysisStop();
    QVERIFY(!table->isRunning());
}

void TestTableWindow::videoPlaybackLimitsTheRowsShown()
{
    CTableHost host;
    CDataFolder* other = host.addRun({1}, 30);
    CDataFolder* video = host.addRun({1, 2}, 30);
    CTableWindow* table = host.newTable();
    table->addColumnByKey(other->GetBranchKey(0), nullptr);
    table->addColumnByKey(video->GetBranchKey(0), nullptr);
    host.m_Hub.SignalVideoPlaybackStart(video->m_Key);
    // The last active table switches to the playing run's folder.
    QCOMPARE(table->dataColumnCount(), 2);
    QCOMPARE(table->bodyDelegate()->dataColumn(0)->m_Key, video->GetBranchKey(0));
    host.m_Hub.SignalVideoPlaybackSample(4);
    QCOMPARE(table->bodyDelegate()->cellText(4, 2), QString("104"));
    QCOMPARE(table->bodyDelegate()->cellText(5, 2), QString());
    QCOMPARE(table->bodyDelegate()->cellText(5, 0), QString());
    host.m_Hub.SignalVideoPlaybackStop();
    QCOMPARE(table->bodyDelegate()->cellText(5, 2), QString("105"));
}

void TestTableWindow::dropBeyondTheFirstFiftyColumnsShowsThem()
{
    CTableHost host;
    QList<int> sensors;
    for (int i = 0; i < 55; ++i)
        sensors << 1;
    CDataFolder* run = host.addRun(sensors, 4);
    CTableWindow* table = host.newTable();
    QStringList parts{run->m_Name};
    for (int key : run->GetBranchKeys())
        parts << QString::number(key);
    QMimeData mime;
    mime.setText(parts.join(','));
    QDropEvent drop(QPointF(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(table)->event(&drop);
    QCOMPARE(table->dataColumnCount(), 55);
    QCOMPARE(table->bodyModel()->columnCount(), 57);
    QCOMPARE(table->headerModel()->columnCount(), 57);
    QCOMPARE(table->bodyModel()->rowCount(), 4);
}

KORVANTA_TEST_MAIN(TestTableWindow)
#include "tst_table_window.moc"

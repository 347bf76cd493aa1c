// The table's costs: painting one screen of 8 data columns at 10 k and 10 M rows (the paint
// must not grow with the run: compare the two), and the interface-thread work of a live run at
// the fastest logger rate (100,000 rows a second, one hub signal per row, the redraw timer every
// 40 ms), given as the share of one core it takes.
#include "windowbase/ChildWindowHost.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SetupInfo.h"
#include "table/TableDelegate.h"
#include "table/TableModel.h"
#include "table/TableWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMdiArea>
#include <QScrollBar>

#include <thread>
#include <vector>

namespace {

constexpr int Columns = 8;
// Distinct series behind the 8 columns: two columns per series keeps a 10 M-row table under
// 1 GB (about 820 MB at its peak) while every column still reads its own block.
constexpr int Series = 4;

class CBenchHost : public QMdiArea, public IChildWindowHost
{
public:
    CBenchHost() : m_Data(&m_Setup) {}
    bool AlignToGrid() const override { return false; }
    CKorvantaSignals* GetSignals() const override { return const_cast<CKorvantaSignals*>(&m_Hub); }
    CDataManager* GetDataManager() const override { return const_cast<CDataManager*>(&m_Data); }
    void SetLastActiveTable(CKorvantaWindow* t) override { m_pLast = t; }
    CKorvantaWindow* GetLastActiveTable() const override { return m_pLast; }
    CKorvantaSignals m_Hub{nullptr};
    CSetupInfo m_Setup{nullptr};
    CDataManager m_Data;
    CKorvantaWindow* m_pLast = nullptr;
};

void appendRows(CDataManager& data, const QVector<int>& keys, int from, int count)
{
    std::vector<double> x(static_cast<size_t>(count));
    std::vector<double> y(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        x[size_t(i)] = from + i;
        y[size_t(i)] = 0.001 * (from + i);
    }
    for (int key : keys)
        data.GetDataBranch(key)->AppendSamples(x.data(), y.data(), count);
}

CDataFolder* makeRun(CBenchHost& host, int rows)
{
    CDataFolder* run = host.m_Data.CreateDataFolder();
    for (int s = 0; s < Series; ++s) {
        const int key = host.m_Data.CreateDataBranch(1 + s, 0.00001, s, 0, run->m_Key);
        run->AddBranchKey(key);
    }
    const QVector<int> keys = run->GetBranchKeys();
    for (int done = 0; done < rows; done += 1 << 20)
        appendRows(host.m_Data, keys, done, std::min(1 << 20, rows - done));
    return run;
}

CTableWindow* makeTable(CBenchHost& host)
{
    auto* table = new CTableWindow(&host, Qt::SubWindow);
    host.addSubWindow(table);
    table->initWindow();
    host.m_pLast = table;
    host.resize(1200, 1100);
    table->setGeometry(0, 0, 1150, 1080);
    host.show();
    return table;
}

void BM_TablePaintScreen(benchmark::State& state)
{
    const int rows = int(state.range(0));
    CBenchHost host;
    CDataFolder* run = makeRun(host, rows);
    CTableWindow* table = makeTable(host);
    const QVector<int> keys = run->GetBranchKeys();
    for (int c = 0; c < Columns; ++c)
        table->addColumnByKey(keys.at(c % Series), nullptr);
    table->bodyModel()->setRowCount(rows);
    QCoreApplication::processEvents();
    CTableView* view = table->bodyView();
    QImage screen(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    QScrollBar* bar = view->verticalScrollBar();
    int step = 0;
    for (auto _ : state) {
        // A different place each time, from the start to the end of the run.
        bar->setValue(int((qint64(step++) * 7919 * 997) % std::max(1, bar->maximum())));
        view->viewport()->render(&screen);
    }
    state.counters["rows"] = rows;
    state.counters["visible_rows"] = view->viewport()->height() / std::max(1, view->rowHeight(0));
}
BENCHMARK(BM_TablePaintScreen)->Arg(10000)->Arg(10000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// One second of a live run: 25 redraws, each after 4,000 stored rows and 4,000 announcements.
void BM_TableLiveRunSecond(benchmark::State& state)
{
    constexpr int RowsPerSecond = 100000;
    constexpr int Redraws = 1000 / CTableWindow::s_RedrawMs;
    constexpr int RowsPerRedraw = RowsPerSecond / Redraws;
    const int startRows = int(state.range(0));
    CBenchHost host;
    host.m_Setup.m_NumberOfSamples = 100;
    CTableWindow* table = makeTable(host);
    CDataFolder* run = makeRun(host, startRows);
    host.m_Hub.SignalLoggerStartedRun();
    QCoreApplication::processEvents();
    const QVector<int> keys = run->GetBranchKeys();
    QImage screen(table->bodyView()->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    int stored = startRows;
    for (auto _ : state) {
        for (int r = 0; r < Redraws; ++r) {
            state.PauseTiming();
            appendRows(host.m_Data, keys, stored, RowsPerRedraw);
            stored += RowsPerRedraw;
            state.ResumeTiming();
            for (int i = 0; i < RowsPerRedraw; ++i)
                host.m_Hub.SignalLoggerNewDataArrived();
            table->RefreshNewData();
            table->bodyView()->viewport()->render(&screen);
        }
    }
    // Time per simulated second of run = the share of one core (1 s = 100 %).
    state.counters["rows_at_end"] = stored;
    state.counters["columns"] = table->dataColumnCount();
}
BENCHMARK(BM_TableLiveRunSecond)->Arg(0)->Arg(5000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The same second with the announcements raised on another thread, as the logger's processor
// raises them: the interface thread's time is the events it handles and the redraws.
void BM_TableLiveRunSecondFromLoggerThread(benchmark::State& state)
{
    constexpr int RowsPerSecond = 100000;
    constexpr int Redraws = 1000 / CTableWindow::s_RedrawMs;
    constexpr int RowsPerRedraw = RowsPerSecond / Redraws;
    CBenchHost host;
    host.m_Setup.m_NumberOfSamples = 100;
    CTableWindow* table = makeTable(host);
    CDataFolder* run = makeRun(host, 0);
    host.m_Hub.SignalLoggerStartedRun();
    QCoreApplication::processEvents();
    const QVector<int> keys = run->GetBranchKeys();
    int stored = 0;
    for (auto _ : state) {
        for (int r = 0; r < Redraws; ++r) {
            state.PauseTiming();
            appendRows(host.m_Data, keys, stored, RowsPerRedraw);
            stored += RowsPerRedraw;
            std::thread logger([&host]() {
                for (int i = 0; i < RowsPerRedraw; ++i)
                    host.m_Hub.SignalLoggerNewDataArrived();
            });
            logger.join();
            state.ResumeTiming();
            // The announcements that reached the interface thread, the redraw, and the paint
            // it asks for, as the event loop runs them.
            QCoreApplication::processEvents();
            table->RefreshNewData();
            QCoreApplication::processEvents();
        }
    }
    state.counters["rows_at_end"] = stored;
}
BENCHMARK(BM_TableLiveRunSecondFromLoggerThread)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

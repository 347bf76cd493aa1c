// Sixteen meters windows following a live run at the loggers' fastest rate (100000 samples per
// second in all): a logger thread appends a block to each followed branch every 10 ms and
// announces it through the hub, as the data store does; the windows run in the interface
// thread with their redraw ticks, drawn by the offscreen platform. Reported: the interface
// thread's processor time as a share of one core, and the face repaints per second.
#include "../tests/meters/support/MeterRig.h"
#include "Core/Data/DataBranch.h"
#include "table/MetersWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <cmath>
#include <ctime>
#include <thread>
#include <vector>

namespace {
constexpr int kMeters = 16;
constexpr int kRunMs = 3000;
constexpr int kBlockMs = 10;
constexpr int kSamplesPerSecond = 100000;

QApplication& App()
{
    static int argc = 1;
    static char name[] = "bench_meters";
    static char* argv[] = {name, nullptr};
    static bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    (void)offscreen;
    return app;
}

double ThreadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct PaintCounter : QObject
{
    std::atomic<int> paints{0};
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void BM_SixteenMetersLiveRun(benchmark::State& state)
{
    App();
    const CMetersView::MeterType face = CMetersView::MeterType(state.range(0));
    for (auto _ : state) {
        CMeterRig rig;
        rig.resize(1600, 1000);
        int sensor = 1;
        for (int i = 1; i < CSensorInfo::s_NumOfSensors; ++i) {
            const CSensorParametersInfo* s = rig.m_pCatalogue->GetSensorInfo(i);
            if (s && !s->m_HiddenSensor && !CSensorInfo::IsISEIndex(i)) {
                sensor = i;
                break;
            }
        }
        for (int i = 0; i < kMeters; ++i)
            rig.addSensor(sensor, {true});
        PaintCounter counter;
        std::vector<CMetersWindow*> windows;
        for (int i = 0; i < kMeters; ++i) {
            auto* w = new CMetersWindow(&rig, Qt::SubWindow);
            rig.addSubWindow(w);
            w->initWindow();
            w->resize(400, 250);
            w->findChild<QComboBox*>()->setCurrentIndex(i);
            w->setCurrentMeterType(face);
            w->view()->installEventFilter(&counter);
            windows.push_back(w);
        }
        rig.show();
        QList<int> sensors;
        for (int i = 0; i < kMeters; ++i)
            sensors << sensor;
        const QList<int> keys = rig.addRun(sensors);
        emit rig.m_Hub.LoggerStartedRun();
        QApplication::processEvents();
        counter.paints = 0;

        std::atomic<bool> stop{false};
        std::thread logger([&]() {
            const int block = kSamplesPerSecond * kBlockMs / 1000 / kMeters;
            std::vector<double> x(block), y(block);
            double t = 0.0;
            while (!stop) {
                for (int k : keys) {
                    for (int j = 0; j < block; ++j) {
                        x[j] = t + j * 1e-5;
                        y[j] = 2.5 + 2.0 * std::sin(x[j] * 3.0);
                    }
                    if (CDataBranch* b = rig.m_Data.GetDataBranch(k))
                        b->AppendSamples(x.data(), y.data(), block);
                }
                t += block * 1e-5;
                rig.m_Hub.SignalLoggerNewDataArrived();
                std::this_thread::sleep_for(std::chrono::milliseconds(kBlockMs));
            }
        });
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = ThreadCpuSeconds();
        QEventLoop loop;
        QTimer::singleShot(kRunMs, &loop, &QEventLoop::quit);
        loop.exec();
        const double cpu = ThreadCpuSeconds() - cpu0;
        const double seconds = wall.elapsed() / 1000.0;
        stop = true;
        logger.join();
        state.counters["gui_cpu_percent"] = 100.0 * cpu / seconds;
        state.counters["repaints_per_s"] = counter.paints / seconds;
        state.counters["meters"] = kMeters;
        for (CMetersWindow* w : windows)
            w->view()->removeEventFilter(&counter);
    }
}
BENCHMARK(BM_SixteenMetersLiveRun)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->ArgName("face")->Iterations(1)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();

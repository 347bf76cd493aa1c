// A live Pelorin run at the logger's fastest rate (100000 samples per second, one sensor) for
// 10 seconds, through the real worker threads: the simulated logger streams over a
// pseudo-terminal, the reader fills the receive ring every 10 ms, the packet processor decodes
// and the data store converts and stores. Reported: samples stored per second, samples lost,
// and the delay from a packet's arrival at the port to its storage (median, 95th percentile,
// maximum).
#include "../tests/common/PlainLogicContext.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/LogicManager.h"
#include "Core/Logic/Pelorin/PelorinManager.h"
#include "platform/TestPortEnumerator.h"
#include "simulator/LoggerSimulator.h"
#include "simulator/PelorinDevice.h"

#include "support/BenchProcess.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMutex>

#include <algorithm>
#include <vector>

namespace {

constexpr int kRateCode = 14;           // 100000 per second with one sensor
constexpr int kSamples = 1000000;       // 10 s at that rate

using CBenchContext = CPlainLogicContext;


bool WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    const size_t at = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[at];
}

void BM_PelorinLiveRun(benchmark::State& state)
{
    EnsureOffscreenGuiApplication();
    for (auto _ : state) {
        auto device = std::make_unique<kvsim::CPelorinDevice>();
        kvsim::CPelorinDevice* model = device.get();
        kvsim::CLoggerSimulator sim(std::move(device));
        if (!sim.start()) {
            state.SkipWithError("no pseudo-terminal");
            return;
        }
        CBenchContext context;
        CTestPortEnumerator ports;
        CLogicManager logic(nullptr, &context);
        logic.m_SensorInfo.LoadSensorInfo();
        logic.SetPortEnumerator(&ports);
        logic.InitLogicManager();
        sim.invoke([model] {
            kvsim::CPelorinDevice::Sensor s;
            s.channel = 1;
            s.idLow = 3;
            model->setSensors({s});
        });
        ports.plug(CTestPortEnumerator::makePort(sim.portName(), 0x0483, 0x5740));
        CPelorinManager* pelorin = PelorinManagerOf(logic.LiveFace(LoggerModel::Pelorin));
        if (!WaitFor([&] { return logic.IsLoggerConnected() && !pelorin->IsDetectionPolling(); }, 10000)) {
            state.SkipWithError("logger not detected");
            return;
        }
        int statusReplies = 0;
        QObject::connect(&context.m_Hub, &CKorvantaSignals::LoggerStatusArrived, [&] { ++statusReplies; });
        logic.SendStatusReqCmd(pelorin->Logger(), true);
        WaitFor([&] { return statusReplies > 0; }, 3000);

        CSesnorProperties sensor;
        sensor.m_Channel = 0;
        sensor.m_SensorIndex = context.m_Setup.m_LoggerStatusList.first().m_SensorList.value(0).m_SensorIndex;
        auto* m = new CMeasurementSetup;
        m->m_bActive = true;
        sensor.m_MeasurementList << m;
        context.m_Setup.m_SelectedSensorList = {&sensor};
        context.m_Setup.m_RateCode = kRateCode;
        context.m_Setup.m_NumberOfSamples = kSamples;

        QMutex delayLock;
        std::vector<double> delaysMs;
        delaysMs.reserve(kSamples / 100);
        pelorin->SetStoreObserver([&](qint64 arrivalNs, int rows) {
            const double ms = double(CPelorinManager::NowNs() - arrivalNs) / 1e6;
            QMutexLocker lock(&delayLock);
            delaysMs.push_back(ms);
            (void)rows;
        });
        bool ended = false;
        QObject::connect(&context.m_Hub, &CKorvantaSignals::LoggerExperimentEnd, [&] { ended = true; });

        QElapsedTimer clock;
        clock.start();
        emit context.m_Hub.UserStartedRun();
        const bool finished = WaitFor([&] { return ended; }, 30000);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        pelorin->SetStoreObserver(nullptr);

        CDataFolder* folder = logic.m_DataManager.GetDataFolderByIndex(0);
        CDataBranch* branch = folder ? logic.m_DataManager.GetDataBranch(folder->GetBranchKey(0)) : nullptr;
        const qint64 stored = branch ? branch->GetNumSamples() : 0;
        const qint64 sent = model->samplesSent();
        state.counters["finished"] = finished ? 1 : 0;
        state.counters["samples_sent"] = double(sent);
        state.counters["samples_stored"] = double(stored);
        state.counters["samples_lost"] = double(sent - stored);
        state.counters["ring_bytes_dropped"] = double(pelorin->DroppedBytes());
        state.counters["stored_per_s"] = seconds > 0 ? double(stored) / seconds : 0.0;
        state.counters["run_s"] = seconds;
        QMutexLocker lock(&delayLock);
        state.counters["delay_median_ms"] = Percentile(delaysMs, 0.5);
        state.counters["delay_p95_ms"] = Percentile(delaysMs, 0.95);
        state.counters["delay_max_ms"] = Percentile(delaysMs, 1.0);
        state.counters["blocks"] = double(delaysMs.size());
        context.m_Setup.m_SelectedSensorList.clear();
    }
}

} // namespace

BENCHMARK(BM_PelorinLiveRun)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

BENCHMARK_MAIN();

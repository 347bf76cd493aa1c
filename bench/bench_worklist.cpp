// A long live run through the data store's packet path: one sensor, packets of 1,000 rows (a
// 100,000-per-second run delivers that every 10 ms), converted, stored in the run's series and
// kept in the per-position raw work list, up to 50 million samples (counts, or fractions). Reported: the slowest
// packet among the first million samples and among the last million, their ratio, and the
// memory the run holds per sample (series plus raw list), counted by the stores themselves and
// by the growth of the process's resident memory. A packet's time is the storing thread's own
// processor time (page faults included): on a shared machine the wall-clock time also counts
// the moments the thread waited for a processor, which says nothing about the store. The
// wall-clock worst is reported beside it.
#include "../tests/Core/Data/support/FakeRunLogger.h"
#include "../tests/common/PlainLogicContext.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SampleStore.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicManager.h"
#include "support/BenchProcess.h"

#include <benchmark/benchmark.h>


#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr int kPacketRows = 1000;
constexpr long long kMillion = 1000000;

double ThreadCpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) * 1e-6;
}


void BM_LongRunPackets(benchmark::State& state)
{
    EnsureOffscreenGuiApplication();
    const long long total = state.range(0) * kMillion;
    for (auto _ : state) {
        CPlainLogicContext context;
        CLogicManager logic(nullptr, &context);
        logic.m_SensorInfo.LoadSensorInfo();
        context.m_Setup.m_RateCode = 14;
        CSesnorProperties sensor;
        sensor.m_SensorIndex = 1;  // voltage: one measurement
        sensor.m_Channel = 0;
        auto* measurement = new CMeasurementSetup;
        measurement->m_bActive = true;
        sensor.m_MeasurementList.append(measurement);
        context.m_Setup.m_SelectedSensorList.append(&sensor);
        CFakeRunLogger logger;
        logger.m_pProtocolState = &logger.m_State;
        logger.m_Active.push_back(0);
        logger.m_RateCode = 14;
        CDataManager& dm = logic.m_DataManager;
        dm.CreateDataEntries(&logger, 0);
        CDataBranch* branch = dm.GetDataBranch(dm.GetLastDataFolder()->GetBranchKey(0));
        if (!branch) {
            state.SkipWithError("no run branch");
            return;
        }
        std::vector<double> rows(kPacketRows);
        // Raw counts, as an analogue sensor sends them; or (second argument 1) fractions,
        // as a timing channel's seconds, which the raw list cannot keep in single precision.
        const double fraction = state.range(1) ? 1.0 / 3.0 : 0.0;
        for (int i = 0; i < kPacketRows; ++i)
            rows[size_t(i)] = 2048 + (i % 200) + fraction;
        unsigned char position = 0;
        using Clock = std::chrono::steady_clock;
        double worstFirst = 0.0, worstLast = 0.0, wallFirst = 0.0, wallLast = 0.0;
        // The same without the packets that open a new storage block: those wait for the
        // kernel to hand out fresh memory, which costs the same at any length but varies with
        // the machine's memory state.
        double plainFirst = 0.0, plainLast = 0.0;
        const long long before = ResidentBytes();
        for (long long stored = 0; stored < total; stored += kPacketRows) {
            const auto t0 = Clock::now();
            const double c0 = ThreadCpuMs();
            dm.ConvertAndStoreBlock(&logger, rows.data(), kPacketRows, 1, &position, true, false);
            const double ms = ThreadCpuMs() - c0;
            const double wall = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
            const bool opensBlock = (stored % CSampleStore::BlockSize) + kPacketRows > CSampleStore::BlockSize;
            if (stored < kMillion) {
                if (!opensBlock)
                    plainFirst = std::max(plainFirst, ms);
                worstFirst = std::max(worstFirst, ms);
                wallFirst = std::max(wallFirst, wall);
            }
            if (stored >= total - kMillion) {
                if (!opensBlock)
                    plainLast = std::max(plainLast, ms);
                worstLast = std::max(worstLast, ms);
                wallLast = std::max(wallLast, wall);
            }
        }
        const long long after = ResidentBytes();
        if (branch->GetNumSamples() != total || dm.m_WorkLists[0].GetSize() != total) {
            state.SkipWithError("samples lost");
            return;
        }
        const double held = double(branch->SampleBytesReserved() + dm.m_WorkLists[0].BytesReserved());
        state.counters["worst packet ms (first 1M)"] = worstFirst;
        state.counters["worst packet ms (last 1M)"] = worstLast;
        state.counters["last/first"] = worstLast / worstFirst;
        state.counters["no-new-block worst ms (first 1M)"] = plainFirst;
        state.counters["no-new-block worst ms (last 1M)"] = plainLast;
        state.counters["wall worst ms (first 1M)"] = wallFirst;
        state.counters["wall worst ms (last 1M)"] = wallLast;
        const double inUse = double(branch->SampleBytesInUse() + dm.m_WorkLists[0].BytesInUse());
        state.counters["bytes/sample (held)"] = held / double(total);
        state.counters["bytes/sample (in use)"] = inUse / double(total);
        state.counters["bytes/sample (resident)"] = double(after - before) / double(total);
        context.m_Setup.m_SelectedSensorList.clear();
    }
}
BENCHMARK(BM_LongRunPackets)->Args({1, 0})->Args({50, 0})->Args({50, 1})->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();

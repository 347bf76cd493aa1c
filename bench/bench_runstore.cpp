// ConvertAndStore for a run of four active measurements (a voltage sensor and a three-
// measurement pressure sensor), fed as single-row packets (as the Pelorin handler hands them
// over) and as blocks of rows (a Dravlet data packet or a download).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <memory>
#include <vector>

#include "../tests/common/PlainLogicContext.h"
#include "../tests/Core/Data/support/FakeRunLogger.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/LogicManager.h"
#include "analysis/Functions.h"
#include "analysis/OnlineFunctions.h"

namespace {

constexpr int RowsPerRun = 1 << 18;
constexpr int MeasurementsPerRow = 4;

using Context = CPlainLogicContext;

struct Rig
{
    Context ctx;
    std::unique_ptr<CLogicManager> logic;
    std::vector<std::unique_ptr<CSesnorProperties>> sensors;
    CFakeRunLogger logger;

    Rig()
    {
        logic.reset(new CLogicManager(nullptr, &ctx));
        logic->m_SensorInfo.LoadSensorInfo();
        ctx.m_Setup.m_RateCode = 12;
        logger.m_Period = 0.001;
        Add(1, 1);
        Add(23, 3);
    }

    void Add(int index, int measurements)
    {
        auto sensor = std::make_unique<CSesnorProperties>();
        sensor->m_SensorIndex = index;
        sensor->m_Channel = ctx.m_Setup.m_SelectedSensorList.size();
        for (int j = 0; j < measurements; ++j) {
            auto* ms = new CMeasurementSetup;
            ms->m_bActive = true;
            sensor->m_MeasurementList.append(ms);
        }
        ctx.m_Setup.m_SelectedSensorList.append(sensor.get());
        logger.m_Active.push_back(static_cast<unsigned char>(sensor->m_Channel));
        sensors.push_back(std::move(sensor));
    }

    // Registers `count` online functions on the voltage channel (linear and derivative in turn),
    // or clears the table for count 0.
    void SetOnlineFunctions(int count)
    {
        CCalculateOnLineFunctions& calc = logic->m_CalculateOnLineFunctions;
        calc.ClearOnLineFunctions();
        for (int i = 0; i < count; ++i) {
            const short id = (i % 2 == 0) ? CFunctions::IdLinear : CFunctions::IdDerivative;
            calc.AddOnLineFunction(1, -1, 0, -1, 0, 255, 0, 0, QStringLiteral("f%1").arg(i),
                                   QStringLiteral("V"), 0, id, 2.0, 1.0, 0.0, -1, -1, false, false);
        }
    }

    void NewRun()
    {
        logic->m_DataManager.ClearAllData();
        logger.m_State.ClearRunArea();
        logic->m_DataManager.CreateDataEntries(&logger, 0);
    }
};

Rig& TheRig()
{
    static int argc = 1;
    static char name[] = "bench_runstore";
    static char* argv[] = {name, nullptr};
    // The catalogue loads its icons, which needs a GUI application (no display is used).
    static bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    (void)offscreen;
    static Rig rig;
    return rig;
}

std::vector<double> Rows()
{
    std::vector<double> raw(size_t(RowsPerRun) * 2);
    for (int r = 0; r < RowsPerRun; ++r) {
        raw[size_t(r) * 2] = 2048 + (r % 2000);
        raw[size_t(r) * 2 + 1] = 1000 + (r % 3000);
    }
    return raw;
}

void BM_ConvertAndStore(benchmark::State& state)
{
    Rig& rig = TheRig();
    const int block = int(state.range(0));
    std::vector<double> raw = Rows();
    unsigned char positions[2] = {0, 1};
    for (auto _ : state) {
        state.PauseTiming();
        rig.NewRun();
        state.ResumeTiming();
        CDataManager& dm = rig.logic->m_DataManager;
        for (int r = 0; r < RowsPerRun; r += block) {
            if (block == 1)
                dm.ConvertAndStore(&rig.logger, &raw[size_t(r) * 2], 2, positions, true, false);
            else
                dm.ConvertAndStoreBlock(&rig.logger, &raw[size_t(r) * 2], block, 2, positions, true, false);
        }
        benchmark::DoNotOptimize(dm.GetLastDataFolder());
    }
    const CDataFolder* folder = rig.logic->m_DataManager.GetLastDataFolder();
    const CDataBranch* last = rig.logic->m_DataManager.GetDataBranch(folder->GetBranchKey(3));
    if (!last || last->GetNumSamples() != RowsPerRun) state.SkipWithError("samples missing");
    state.counters["samples/s"] = benchmark::Counter(double(state.iterations()) * RowsPerRun * MeasurementsPerRow,
                                                     benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConvertAndStore)->Arg(1)->Arg(16)->Arg(256)->Unit(benchmark::kMillisecond);

// The same storage with online functions registered: (rows per packet, functions). Compare each
// against BM_ConvertAndStore with the same packet size for the share the functions add.
void BM_ConvertAndStoreWithOnline(benchmark::State& state)
{
    Rig& rig = TheRig();
    const int block = int(state.range(0));
    rig.SetOnlineFunctions(int(state.range(1)));
    std::vector<double> raw = Rows();
    unsigned char positions[2] = {0, 1};
    for (auto _ : state) {
        state.PauseTiming();
        rig.NewRun();
        state.ResumeTiming();
        CDataManager& dm = rig.logic->m_DataManager;
        for (int r = 0; r < RowsPerRun; r += block) {
            if (block == 1)
                dm.ConvertAndStore(&rig.logger, &raw[size_t(r) * 2], 2, positions, true, false);
            else
                dm.ConvertAndStoreBlock(&rig.logger, &raw[size_t(r) * 2], block, 2, positions, true, false);
        }
    }
    const CDataBranch* out = rig.logic->m_OnLineFunctions[0].m_pOutBranch;
    if (!out || out->GetNumSamples() < RowsPerRun - 2) state.SkipWithError("online results missing");
    rig.SetOnlineFunctions(0);
    state.counters["samples/s"] = benchmark::Counter(double(state.iterations()) * RowsPerRun * MeasurementsPerRow,
                                                     benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConvertAndStoreWithOnline)
    ->Args({1, 1})->Args({16, 1})->Args({256, 1})->Args({16, 4})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Received raw values through the real conversion and storage: the sensors of a run, its mode
// (live or download) and rate, and the raw values of its packets all come from the input; the
// data store converts every value by its sensor's formula and stores it in the run's series.
// The logic manager, the catalogue and the logger stand-in are built once; each input starts a
// new run on a cleared store and clears it again before it returns: libFuzzer takes an input
// that ends with more blocks than it began with for a possible leak, and after a thousand of
// them turns its leak check off.
#include "../tests/Core/Data/support/FakeRunLogger.h"
#include "../tests/common/PlainLogicContext.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicManager.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kMaxSensors = 6;

struct Fixture
{
    int argc = 1;
    char name[24] = "fuzz_received_values";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QGuiApplication> app;
    CPlainLogicContext context;
    std::unique_ptr<CLogicManager> logic;
    CFakeRunLogger logger;
    std::vector<std::unique_ptr<CSesnorProperties>> sensors;

    Fixture()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app.reset(new QGuiApplication(argc, argv)); // the catalogue loads its icons
        logic.reset(new CLogicManager(nullptr, &context));
        logic->m_SensorInfo.LoadSensorInfo();
    }

    // What a run left: its folder and series, its sensors, the logger's lists of them and the
    // commands the conversion sent it (a stop, for one).
    void EndRun()
    {
        logger.ForgetCommands();
        logic->m_DataManager.ClearAllData();
        context.m_Setup.m_SelectedSensorList.clear();
        sensors.clear();
        logger.m_Active.clear();
        logger.m_SensorList.clear();
    }

    void NewRun(const uint8_t* layout, int sensorCount)
    {
        EndRun();
        logger.m_State = CLoggerProtocolState();
        logger.m_pProtocolState = &logger.m_State;
        for (int s = 0; s < sensorCount; ++s) {
            auto sensor = std::make_unique<CSesnorProperties>();
            sensor->m_SensorIndex = layout[2 * s] % 149;
            sensor->m_Channel = s;
            for (int j = 0; j < 8; ++j) {
                auto* ms = new CMeasurementSetup;
                ms->m_bActive = (layout[2 * s + 1] >> j) & 1;
                sensor->m_MeasurementList.append(ms);
            }
            context.m_Setup.m_SelectedSensorList.append(sensor.get());
            logger.m_Active.push_back(static_cast<unsigned char>(s));
            logger.m_SensorList.push_back(static_cast<unsigned char>(layout[2 * s] % 149));
            sensors.push_back(std::move(sensor));
        }
    }
};

Fixture& Shared()
{
    static Fixture* fixture = new Fixture;
    return *fixture;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3 || size > 16384)
        return 0;
    Fixture& f = Shared();
    // Byte 0: mode, whether raw values are whole doubles, rate code; byte 1: sensor count.
    const bool download = data[0] & 1;
    const bool wide = data[0] & 2;
    const int sensorCount = 1 + data[1] % kMaxSensors;
    size_t at = 2 + size_t(2 * sensorCount);
    if (size < at)
        return 0;
    f.context.m_Setup.m_RateCode = (data[0] >> 2) % 16;
    f.logger.m_RateCode = f.context.m_Setup.m_RateCode;
    f.NewRun(data + 2, sensorCount);
    CDataManager& dm = f.logic->m_DataManager;
    dm.CreateDataEntries(&f.logger, download ? 2 : 0);
    dm.GetDataConversion()->InitBeforRun(&f.logger);

    const int count = sensorCount;
    const size_t width = wide ? sizeof(double) : sizeof(int16_t);
    std::vector<double> rows;
    unsigned char positions[kMaxSensors];
    for (int i = 0; i < count; ++i)
        positions[i] = static_cast<unsigned char>(i);
    int fed = 0;
    while (at < size) {
        // A block of 1 to 16 rows, as the protocol handlers hand them over.
        const int wanted = 1 + data[at++] % 16;
        const size_t rowBytes = width * size_t(count);
        const int available = int((size - at) / rowBytes);
        const int n = std::min(wanted, available);
        if (n <= 0)
            break;
        rows.resize(size_t(n) * size_t(count));
        for (size_t k = 0; k < rows.size(); ++k, at += width) {
            if (wide) {
                std::memcpy(&rows[k], data + at, sizeof(double));
            } else {
                int16_t v;
                std::memcpy(&v, data + at, sizeof v);
                rows[k] = v;
            }
        }
        dm.ConvertAndStoreBlock(&f.logger, rows.data(), n, count, positions, true, download);
        fed += n;
    }
    // Every series of the run holds as many X values as Y values, and never more than fed.
    if (CDataFolder* folder = dm.GetLastDataFolder()) {
        for (int b = 0; b < folder->GetNumberBranches(); ++b) {
            CDataBranch* branch = dm.GetDataBranch(folder->GetBranchKey(b));
            if (!branch)
                continue;
            if (branch->GetXSize() != branch->GetYSize() || branch->GetYSize() > fed)
                std::abort();
        }
    }
    f.EndRun();
    return 0;
}

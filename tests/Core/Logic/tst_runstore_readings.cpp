// What a run stores of one raw stream does not depend on what else happens to the same readings:
// which of the sensor's other measurements are ticked, and live readings converted meanwhile
// (the setup's current reading, trigger levels), on the storing thread or another one.
#include "common/TestMain.h"
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "common/FakeLogger.h"
#include "common/PlainLogicContext.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/LogicManager.h"

namespace {

struct Series
{
    std::vector<double> x, y;
};
using RunSeries = std::map<std::pair<int, int>, Series>;  // by channel and measurement

// A varied raw stream: a noisy sine, a noisy ramp, then jumps across the range (wheel turns,
// glitches, steps a filter rings on).
std::vector<double> RawStream()
{
    std::mt19937 random(84);
    std::uniform_int_distribution<int> noise(-150, 150);
    std::vector<double> raws;
    for (int i = 0; i < 80; ++i) raws.push_back(std::round(2048.0 + 1200.0 * std::sin(i * 0.27)) + noise(random));
    for (int i = 0; i < 80; ++i) raws.push_back(300.0 + i * 44.0 + noise(random) / 4);
    for (int i = 0; i < 80; ++i) raws.push_back(((i / 7) % 2 ? 3950.0 : 120.0) + noise(random) / 8);
    return raws;
}

// The packets the stream arrives in: single rows as the Pelorin hands them over, then blocks.
const int s_Blocks[] = {1, 1, 1, 5, 16, 3, 40, 1, 7, 64, 2, 99};

struct Rig
{
    // Declared in the order they may be torn down: the setup lists the sensors, the manager
    // knows the logger.
    std::vector<std::unique_ptr<CSesnorProperties>> sensors;
    std::unique_ptr<CFakeLogger> logger = CFakeLogger::Running();
    CPlainLogicContext ctx;
    CLogicManager logic{nullptr, &ctx};

    Rig() { logic.m_SensorInfo.LoadSensorInfo(); }

    int Measurements(int index)
    {
        const CSensorParametersInfo* record = logic.m_SensorInfo.GetSensorInfo(index);
        return record ? std::min<int>(record->m_NumOfMeasurements, CDataManager::NumKeyMeasurements) : 0;
    }

    // A new run of a sensor on each of the first `channels` channels with the given
    // measurements ticked, as a handler starts one.
    void StartRun(int index, const QList<int>& ticked, double loggerType, double period, int channels = 1)
    {
        CSetupInfo& setup = ctx.m_Setup;
        setup.m_SelectedSensorList.clear();
        sensors.clear();
        logger->m_Active.clear();
        for (int channel = 0; channel < channels; ++channel) {
            auto sensor = std::make_unique<CSesnorProperties>();
            sensor->m_SensorIndex = index;
            sensor->m_Channel = channel;
            for (int j = 0; j < Measurements(index); ++j) {
                auto* ms = new CMeasurementSetup;
                ms->m_bActive = ticked.contains(j);
                sensor->m_MeasurementList.append(ms);
            }
            setup.m_SelectedSensorList.append(sensor.get());
            logger->m_Active.push_back(static_cast<unsigned char>(channel));
            sensors.push_back(std::move(sensor));
        }
        setup.m_RateCode = 10;
        logger->m_Type = loggerType;
        logger->m_Interval = {period, period, 1};
        logger->m_State.ClearRunArea();
        CDataManager& dm = logic.m_DataManager;
        dm.ClearAllData();
        dm.CreateDataEntries(logger.get(), 0);
        dm.GetDataConversion()->InitBeforRun(logger.get());
    }

    // Stores the rows (one value per channel each) block by block; `between` runs before each
    // block with its first row.
    void Store(const std::vector<double>& values, int channels = 1, const std::function<void(int)>& between = {})
    {
        const unsigned char positions[2] = {0, 1};
        const int total = int(values.size()) / channels;
        int row = 0;
        for (int k = 0; row < total; k = (k + 1) % int(std::size(s_Blocks))) {
            const int rows = std::min(s_Blocks[k], total - row);
            if (between) between(row);
            logic.m_DataManager.ConvertAndStoreBlock(logger.get(), values.data() + size_t(row) * channels, rows,
                                                     channels, positions, true, false);
            row += rows;
        }
    }

    RunSeries Stored()
    {
        RunSeries series;
        CDataManager& dm = logic.m_DataManager;
        CDataFolder* folder = dm.GetLastDataFolder();
        for (int k = 0; folder && k < folder->GetNumberBranches(); ++k) {
            CDataBranch* b = dm.GetDataBranch(folder->GetBranchKey(k));
            if (!b) continue;
            Series& s = series[{b->m_Channel, b->m_Measurement}];
            for (int i = 0; i < b->GetNumSamples(); ++i) {
                s.x.push_back(b->GetXSample(i));
                s.y.push_back(b->GetYSample(i));
            }
        }
        return series;
    }

    RunSeries Run(int index, const QList<int>& ticked, double loggerType, double period,
                  const std::vector<double>& raws, const std::function<void(int)>& between = {})
    {
        StartRun(index, ticked, loggerType, period);
        Store(raws, 1, between);
        return Stored();
    }

    // What the setup window and the trigger dialog ask while the run goes on.
    void LiveReadings(int index, int raw)
    {
        for (int m = 0; m < Measurements(index); ++m) logic.ConvertDataSample(0, 0, index, m, raw);
        float level = 0.0f;
        logic.GetTriggeringLevel(0, index, raw, &level);
    }
};

// Empty when every series of `expected` is in `got` bit for bit, else the first difference.
QString Difference(int index, const RunSeries& expected, const RunSeries& got)
{
    const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    for (const auto& entry : expected) {
        const Series& a = entry.second;
        const Series& b = got.count(entry.first) ? got.at(entry.first) : Series();
        const QString where = QStringLiteral("sensor %1 measurement %2: ").arg(index).arg(entry.first.second);
        if (a.y.size() != b.y.size()) return where + QStringLiteral("%1 samples against %2").arg(a.y.size()).arg(b.y.size());
        for (size_t i = 0; i < a.y.size(); ++i)
            if (!same(a.x[i], b.x[i]) || !same(a.y[i], b.y[i]))
                return where + QStringLiteral("sample %1: (%2, %3) against (%4, %5)")
                    .arg(i).arg(a.x[i]).arg(a.y[i], 0, 'g', 17).arg(b.x[i]).arg(b.y[i], 0, 'g', 17);
    }
    return QString();
}

int NonEmpty(const RunSeries& series)
{
    return int(std::count_if(series.begin(), series.end(), [](const auto& e) { return !e.second.y.empty(); }));
}

void AddLoggerRates()
{
    QTest::addColumn<double>("loggerType");
    QTest::addColumn<double>("period");
    for (const auto& logger : {std::make_pair("pelorin", 70.0), std::make_pair("dravlet", 12.0)})
        for (int rate : {10, 25, 50, 100, 1000})
            QTest::newRow(qPrintable(QStringLiteral("%1 %2/s").arg(logger.first).arg(rate)))
                << logger.second << 1.0 / rate;
}
}  // namespace

class TestRunStoreReadings : public QObject
{
    Q_OBJECT

private slots:
    void measurementSeriesDoNotDependOnTheOthersTicked_data() { AddLoggerRates(); }
    void measurementSeriesDoNotDependOnTheOthersTicked()
    {
        QFETCH(double, loggerType);
        QFETCH(double, period);
        Rig rig;
        const std::vector<double> raws = RawStream();
        std::vector<double> pairs;  // the stream beside itself backwards
        for (size_t i = 0; i < raws.size(); ++i) pairs.insert(pairs.end(), {raws[i], raws[raws.size() - 1 - i]});
        int compared = 0;
        for (int index = 1; index < CSensorInfo::s_NumOfSensors; ++index) {
            const int count = rig.Measurements(index);
            QList<int> all;
            for (int m = 0; m < count; ++m) all << m;
            // All ticked, and the same sensor type on the next channel with a stream of its own.
            rig.StartRun(index, all, loggerType, period, 2);
            rig.Store(pairs, 2);
            const RunSeries together = rig.Stored();
            for (int m = 0; m < count; ++m) {
                const RunSeries alone = rig.Run(index, {m}, loggerType, period, raws);
                const QString difference = Difference(index, alone, together);
                QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("alone against all, ") + difference));
                compared += NonEmpty(alone);  // a hidden sensor stores nothing either way
            }
        }
        QVERIFY2(compared > 100, qPrintable(QString::number(compared)));
    }

    void liveReadingsBetweenSamplesLeaveTheRunAlone_data() { AddLoggerRates(); }
    void liveReadingsBetweenSamplesLeaveTheRunAlone()
    {
        QFETCH(double, loggerType);
        QFETCH(double, period);
        Rig rig;
        rig.logic.m_pDetectedLogger = rig.logger.get();
        const std::vector<double> raws = RawStream();
        int compared = 0;
        for (int index = 1; index < CSensorInfo::s_NumOfSensors; ++index) {
            QList<int> all;
            for (int m = 0; m < rig.Measurements(index); ++m) all << m;
            const RunSeries quiet = rig.Run(index, all, loggerType, period, raws);
            // The readings between the samples differ from the run's own, as a snapshot would.
            const RunSeries watched = rig.Run(index, all, loggerType, period, raws,
                                              [&](int row) { rig.LiveReadings(index, int(4095 - raws[size_t(row)])); });
            const QString difference = Difference(index, quiet, watched);
            QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("with live readings, ") + difference));
            compared += NonEmpty(quiet);
        }
        QVERIFY2(compared > 100, qPrintable(QString::number(compared)));
        rig.logic.m_pDetectedLogger = nullptr;
    }

    // The run stores on a thread of its own while live readings are converted on this one: each
    // block waits for a live reading after the one before it, and the two overlap as they may.
    void liveReadingsOnAnotherThreadLeaveTheRunAlone()
    {
        Rig rig;
        rig.logic.m_pDetectedLogger = rig.logger.get();
        const std::vector<double> raws = RawStream();
        for (int index : {72, 71, 25, 48}) {
            QList<int> all;
            for (int m = 0; m < rig.Measurements(index); ++m) all << m;
            const RunSeries quiet = rig.Run(index, all, 70.0, 0.04, raws);
            rig.StartRun(index, all, 70.0, 0.04);
            std::atomic<int> live{0};
            std::atomic<bool> stored{false};
            std::atomic<bool> timedOut{false};
            std::thread run([&] {
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
                int seen = 0;
                rig.Store(raws, 1, [&](int) {
                    while (live.load() == seen && !timedOut.load()) {
                        if (std::chrono::steady_clock::now() > deadline) timedOut = true;
                        std::this_thread::yield();
                    }
                    seen = live.load();
                });
                stored = true;
            });
            for (int k = 0; !stored.load(); ++k) {
                rig.LiveReadings(index, 100 + (k * 37) % 3900);
                ++live;
            }
            run.join();
            QVERIFY(!timedOut.load());
            QCOMPARE(NonEmpty(quiet), all.size());
            const QString difference = Difference(index, quiet, rig.Stored());
            QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("with live readings on another thread, ") + difference));
        }
        rig.logic.m_pDetectedLogger = nullptr;
    }
};

KORVANTA_TEST_MAIN(TestRunStoreReadings)
#include "tst_runstore_readings.moc"

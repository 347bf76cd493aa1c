// A run created and filled from packets through a scripted logger: branches, X counters,
// markers, hidden sensors, downloads, timing runs, manual X and online functions.
#include <QSignalSpy>
#include "common/TestMain.h"
#include <memory>
#include <vector>

#include "common/PlainLogicContext.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/LogicManager.h"
#include "analysis/OnlineFunctions.h"
#include "common/FakeLogger.h"

using ConversionMarkers::s_NoSample;
using ConversionMarkers::s_RepeatLast;

namespace {
using Context = CPlainLogicContext;
}  // namespace

class TestRunStore : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Context> m_ctx;
    std::unique_ptr<CLogicManager> m_logic;
    std::vector<std::unique_ptr<CSesnorProperties>> m_sensors;
    std::unique_ptr<CFakeLogger> m_logger;

    CDataManager& dm() { return m_logic->m_DataManager; }
    CSetupInfo& setup() { return m_ctx->m_Setup; }

    // One entry per channel; 'active' lists the active measurements.
    void AddSensor(int index, std::initializer_list<int> active, int measurements)
    {
        auto sensor = std::make_unique<CSesnorProperties>();
        sensor->m_SensorIndex = index;
        sensor->m_Channel = setup().m_SelectedSensorList.size();
        for (int j = 0; j < measurements; ++j) {
            auto* ms = new CMeasurementSetup;
            ms->m_bActive = std::find(active.begin(), active.end(), j) != active.end();
            sensor->m_MeasurementList.append(ms);
        }
        setup().m_SelectedSensorList.append(sensor.get());
        m_logger->m_Active.push_back(static_cast<unsigned char>(sensor->m_Channel));
        m_sensors.push_back(std::move(sensor));
    }

    CDataBranch* RunBranch(int k)
    {
        CDataFolder* folder = dm().GetLastDataFolder();
        return folder ? dm().GetDataBranch(folder->GetBranchKey(k)) : nullptr;
    }

    void Packet(double a, double b)
    {
        double samples[2] = {a, b};
        unsigned char positions[2] = {0, 1};
        dm().ConvertAndStore(m_logger.get(), samples, 2, positions, true, false);
    }

private slots:
    void init()
    {
        m_ctx.reset(new Context);
        m_logic.reset(new CLogicManager(nullptr, m_ctx.get()));
        m_logic->m_SensorInfo.LoadSensorInfo();
        m_sensors.clear();
        m_logger = CFakeLogger::Running();
        setup().m_RateCode = 10;
    }

    void cleanup()
    {
        m_logic.reset();
        m_ctx.reset();
    }

    void fourBranchRun()
    {
        AddSensor(1, {0}, 1);          // voltage: one measurement
        AddSensor(23, {0, 1, 2}, 3);   // pressure: three
        QSignalSpy started(&m_ctx->m_Hub, &CKorvantaSignals::LoggerStartedRun);
        dm().CreateDataEntries(m_logger.get(), 0);
        QCOMPARE(started.count(), 1);
        CDataFolder* folder = dm().GetLastDataFolder();
        QVERIFY(folder);
        QCOMPARE(folder->GetNumberBranches(), 4);
        QCOMPARE(m_logger->m_LastIntervalRate, 10);
        QCOMPARE(m_logger->m_LastIntervalSensors, 2);
        QCOMPARE(dm().m_InputViewCount, short(4));
        QCOMPARE(dm().m_InputViewPositions[3], short(1));
        QCOMPARE(dm().m_InputViewMeasurements[3], short(2));
        const int measurements[4] = {0, 0, 1, 2};
        for (int k = 0; k < 4; ++k) {
            CDataBranch* b = RunBranch(k);
            QVERIFY(b);
            QCOMPARE(b->m_Measurement, measurements[k]);
            QCOMPARE(b->m_Interval, 0.1);
            QCOMPARE(b->m_OwnerKey, folder->m_Key);
        }
        QCOMPARE(RunBranch(0)->m_SensorIndex, 1);
        QCOMPARE(RunBranch(3)->m_SensorIndex, 23);

        for (int p = 0; p < 3; ++p) Packet(3048, 3000);
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(RunBranch(k)->GetNumSamples(), 3);
            for (int i = 0; i < 3; ++i) QCOMPARE(RunBranch(k)->GetXSample(i), double(i));
        }
        // 0.01225 x 1000; pressure p = 0.27174 x 3000 + 106 = 921.22 -> /1013.25, /10
        QVERIFY(qAbs(RunBranch(0)->GetYSample(2) - 12.25) < 1e-5);
        QVERIFY(qAbs(RunBranch(1)->GetYSample(0) - 921.22) < 1e-3);
        QVERIFY(qAbs(RunBranch(2)->GetYSample(0) - 921.22 / 1013.25) < 1e-6);
        QVERIFY(qAbs(RunBranch(3)->GetYSample(0) - 92.122) < 1e-4);
        QCOMPARE(m_logger->m_State.m_SampleCounter[0], qint64(3));
        QCOMPARE(dm().m_WorkLists[1].GetSize(), 3);

        // A block of five rows is stored in one go and continues the X counters.
        const double rows[10] = {2048, 3000, 2148, 3000, 2248, 3000, 2348, 3000, 2448, 3000};
        unsigned char positions[2] = {0, 1};
        dm().ConvertAndStoreBlock(m_logger.get(), rows, 5, 2, positions, true, false);
        QCOMPARE(RunBranch(0)->GetNumSamples(), 8);
        QCOMPARE(RunBranch(3)->GetXSample(7), 7.0);
        QVERIFY(qAbs(RunBranch(0)->GetYSample(4) - 0.01225 * 100) < 1e-5);
        QCOMPARE(dm().m_WorkLists[0].GetSize(), 8);
    }

    void storeMarkers()
    {
        AddSensor(1, {0}, 1);
        dm().CreateDataEntries(m_logger.get(), 0);
        const int position = dm().GetBranchPostion(dm().GetLastDataFolder()->GetBranchKey(0));
        // Empty branch: the repeat marker stores X and 0.
        dm().StoreDataSample(m_logger.get(), s_RepeatLast, position, 0, 0);
        QCOMPARE(RunBranch(0)->GetNumSamples(), 1);
        QCOMPARE(RunBranch(0)->GetYSample(0), 0.0);
        dm().StoreDataSample(m_logger.get(), 4.5, position, 0, 0);
        m_logger->m_State.m_SampleCounter[0] = 2;
        dm().StoreDataSample(m_logger.get(), s_RepeatLast, position, 0, 0);
        QCOMPARE(RunBranch(0)->GetXSample(2), 2.0);
        QCOMPARE(RunBranch(0)->GetYSample(2), 4.5);
        // The flag moves X back by one (central differences).
        dm().StoreDataSample(m_logger.get(), 1.0, position, 0, -1);
        QCOMPARE(RunBranch(0)->GetXSample(3), 1.0);
        // Positions outside the 32 counters are refused.
        dm().StoreDataSample(m_logger.get(), 1.0, position, 40, 0);
        QCOMPARE(RunBranch(0)->GetNumSamples(), 4);
    }

    void noSampleMarkerKeepsBranchesAligned()
    {
        m_logger->m_Type = 12.0;
        AddSensor(25, {0, 1}, 5);  // distance and velocity
        AddSensor(1, {0}, 1);
        dm().CreateDataEntries(m_logger.get(), 0);
        QCOMPARE(dm().GetLastDataFolder()->GetNumberBranches(), 3);
        Packet(s_NoSample, 3048);  // no echo this time
        QCOMPARE(RunBranch(0)->GetNumSamples(), 0);
        QCOMPARE(RunBranch(1)->GetNumSamples(), 0);
        // The voltage lands in the voltage branch, not in the velocity branch before it.
        QCOMPARE(RunBranch(2)->GetNumSamples(), 1);
        QVERIFY(qAbs(RunBranch(2)->GetYSample(0) - 12.25) < 1e-5);
        Packet(2.0, 3048);
        QCOMPARE(RunBranch(0)->GetNumSamples(), 1);
        QCOMPARE(RunBranch(0)->GetXSample(0), 1.0);
        QCOMPARE(RunBranch(0)->GetYSample(0), 2.0);
    }

    void hiddenSensorGetsNoBranch()
    {
        AddSensor(136, {0}, 1);  // conductivity
        AddSensor(137, {0}, 1);  // its temperature: converted, never stored
        dm().CreateDataEntries(m_logger.get(), 0);
        QCOMPARE(dm().GetLastDataFolder()->GetNumberBranches(), 1);
        Packet(1000, 1365);
        Packet(1000, 1365);
        QCOMPARE(RunBranch(0)->GetNumSamples(), 2);
        QCOMPARE(RunBranch(0)->m_SensorIndex, 136);
        // The second sample is compensated with the stored 9.9 degC.
        QVERIFY(qAbs(RunBranch(0)->GetYSample(1) - 3.6519741431) < 1e-6);
    }

    void downloadCreatesOneBranchPerLoggerSensor()
    {
        AddSensor(1, {0}, 1);
        m_logger->m_SensorList = {1, 23};
        QSignalSpy started(&m_ctx->m_Hub, &CKorvantaSignals::LoggerStartedRun);
        dm().CreateDataEntries(m_logger.get(), 2);
        QCOMPARE(started.count(), 0);
        QCOMPARE(dm().GetLastDataFolder()->GetNumberBranches(), 2);
        QCOMPARE(RunBranch(1)->m_SensorIndex, 23);
        QCOMPARE(RunBranch(1)->m_Measurement, 0);
        double samples[2] = {3048, 3000};
        dm().ConvertAndStore(m_logger.get(), samples, 2, nullptr, false, true);
        QCOMPARE(RunBranch(0)->GetNumSamples(), 1);
        QVERIFY(qAbs(RunBranch(1)->GetYSample(0) - 921.22) < 1e-3);
    }

    void timingRunBranch()
    {
        AddSensor(111, {0}, 1);
        setup().m_TimingMeasurement = 1;
        // Manual values ticked in an earlier hand-sampled setup are none of this run's.
        setup().m_RateCode = 0;
        setup().m_bManualX = true;
        QSignalSpy started(&m_ctx->m_Hub, &CKorvantaSignals::LoggerStartedRun);
        dm().CreateDataEntries(m_logger.get(), 3);
        QCOMPARE(started.count(), 1);
        QCOMPARE(dm().GetLastDataFolder()->GetNumberBranches(), 1);
        CDataBranch* b = RunBranch(0);
        QCOMPARE(b->m_SensorIndex, 20483);
        QCOMPARE(b->m_Name, QString("Velocity"));
        QCOMPARE(b->m_Unit, QString("m/s"));
        QCOMPARE(b->m_Interval, 1.0);
        QCOMPARE(b->m_RateCode, 0);
        // A collision's results take turns at the two gates, and its series says so.
        setup().m_TimingApproach = 2;
        dm().CreateDataEntries(m_logger.get(), 3);
        QCOMPARE(RunBranch(0)->m_Name, QString("Velocity (gate 1, gate 2 in turn)"));
    }

    void twoSensorsOfOneKindNameTheirPorts()
    {
        for (int s : {111, 111, 1})
            AddSensor(s, {0}, 1);
        dm().CreateDataEntries(m_logger.get(), 0);
        QCOMPARE((QStringList{RunBranch(0)->m_Name, RunBranch(1)->m_Name, RunBranch(2)->m_Name}),
                 (QStringList{"PhotoGate (port 1)", "PhotoGate (port 2)", "Voltage"}));
    }

    void thermometerKeepsItsNameAndTakesItsSetupColours()
    {
        // °C and °F differ by unit, no port is added; each has its setup colour, its curves'.
        AddSensor(15, {0, 1}, 2);
        setup().m_SelectedSensorList.first()->m_MeasurementList.at(1)->m_Color = QColor(0, 169, 163);
        dm().CreateDataEntries(m_logger.get(), 0);
        QCOMPARE(RunBranch(0)->m_Name + RunBranch(1)->m_Name + RunBranch(1)->m_Unit, QString("TemperatureTemperature°F"));
        QCOMPARE(RunBranch(1)->m_Color, QColor(0, 169, 163));
    }

    void manualXRun()
    {
        AddSensor(1, {0}, 1);
        setup().m_RateCode = 0;
        setup().m_bManualX = true;
        setup().m_ManualXName = "Mass";
        setup().m_ManualXUnit = "g";
        dm().CreateDataEntries(m_logger.get(), 0);
        CDataBranch* manual = dm().GetXManualBranch();
        QVERIFY(manual);
        QCOMPARE(manual->m_Name, QString("Mass"));
        QCOMPARE(manual->m_Unit, QString("g"));
        QSignalSpy ask(&m_ctx->m_Hub, &CKorvantaSignals::UserAskXvalue);
        QSignalSpy shown(&m_ctx->m_Hub, &CKorvantaSignals::LoggerNewDataArrived);
        dm().AddManualXValue(5.0);
        double one[1] = {3048};
        dm().ConvertAndStore(m_logger.get(), one, 1, nullptr, true, false);
        // A reading that comes before its value waits for it; a value for a reading that never
        // comes is stored nowhere.
        dm().ConvertAndStore(m_logger.get(), one, 1, nullptr, true, false);
        QCOMPARE(manual->GetNumSamples(), 1);
        dm().AddManualXValue(7.5);
        dm().AddManualXValue(9.0);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(ask.count(), 2);
        QCOMPARE(manual->GetNumSamples(), 2);
        QCOMPARE(manual->GetXSample(0), 0.0);
        QCOMPARE(manual->GetXSample(1), 1.0);
        QCOMPARE(manual->GetYSample(0), 5.0);
        QCOMPARE(manual->GetYSample(1), 7.5);
        QCOMPARE(manual->GetNumManualTimes(), 2);
        QCOMPARE(manual->GetManualTime(0), 0.0);
        QVERIFY(manual->GetManualTime(1) >= 0.0 && manual->GetManualTime(1) < 5.0);
        // The measured series itself got its two samples.
        QCOMPARE(RunBranch(0)->GetNumSamples(), 2);
    }

    void bloodPressureWatchStopsAndEvaluates()
    {
        AddSensor(61, {0}, 1);  // cuff pressure: 82 x raw / 1000 mmHg
        dm().CreateDataEntries(m_logger.get(), 0);
        // The next run's conversion knows the last run's cuff series.
        CDataConversion* conv = dm().GetDataConversion();
        conv->InitBeforRun(m_logger.get());
        QCOMPARE(conv->GetLastRunBranch(0), RunBranch(0));
        CDataBranch* evaluated = nullptr;
        conv->SetBloodPressureEvaluator([&](CDataBranch* b) { evaluated = b; });
        double samples[1] = {2500};  // 205 mmHg arms the watch
        dm().ConvertAndStore(m_logger.get(), samples, 1, nullptr, true, false);
        QVERIFY(qAbs(RunBranch(0)->GetYSample(0) - 205.0) < 1e-3);
        samples[0] = 1000;           // 82 mmHg: still deflating
        dm().ConvertAndStore(m_logger.get(), samples, 1, nullptr, true, false);
        QCOMPARE(m_logger->Sent().size(), 0);
        samples[0] = 500;            // 41 mmHg: done
        dm().ConvertAndStore(m_logger.get(), samples, 1, nullptr, true, false);
        QCOMPARE(m_logger->Sent().size(), 1);  // the only active sensor: the run is stopped
        QCOMPARE(evaluated, RunBranch(0));
        // Disarmed: a further low value neither stops nor evaluates again.
        evaluated = nullptr;
        dm().ConvertAndStore(m_logger.get(), samples, 1, nullptr, true, false);
        QCOMPARE(m_logger->Sent().size(), 1);
        QVERIFY(!evaluated);
    }

    void packetWithoutRun()
    {
        AddSensor(1, {0}, 1);
        double one[1] = {3048};
        QVERIFY(!dm().ConvertAndStore(m_logger.get(), one, 1, nullptr, true, false));
        QCOMPARE(dm().GetNumDataBranches(), 0);
        QVERIFY(!dm().ConvertAndStore(nullptr, one, 1, nullptr, true, false));
        QVERIFY(!dm().ConvertAndStore(m_logger.get(), nullptr, 1, nullptr, true, false));
        dm().CreateDataFolder();  // a folder without branches
        QVERIFY(!dm().ConvertAndStore(m_logger.get(), one, 1, nullptr, true, false));
        dm().CreateDataEntries(nullptr, 0);
        QCOMPARE(dm().GetNumDataFolders(), 1);
    }

    void oversizedPacketIsCut()
    {
        AddSensor(1, {0}, 1);
        dm().CreateDataEntries(m_logger.get(), 0);
        std::vector<double> many(200, 3048.0);
        std::vector<unsigned char> positions(200, 0);
        dm().ConvertAndStore(m_logger.get(), many.data(), 200, positions.data(), true, false);
        // Only the first 32 positions are taken; position 0 is the voltage each time.
        QCOMPARE(RunBranch(0)->GetNumSamples(), 1);
    }

    void onlineFunctionsBoundAndComputed()
    {
        AddSensor(1, {0}, 1);
        // 2 x |voltage| from channel 0, and one whose source channel is not a channel.
        QVERIFY(m_logic->m_CalculateOnLineFunctions.AddOnLineFunction(1, -1, 0, -1, 0, 0, 0, 0, "Double", "V", 0, 0,
                                                                        2.0, 1.0, 0.0, -1, -1, false, false));
        QVERIFY(m_logic->m_CalculateOnLineFunctions.AddOnLineFunction(1, -1, 40, -1, 0, 0, 9, 0, "Stray", "V", 0, 0,
                                                                        2.0, 1.0, 0.0, -1, -1, false, false));
        dm().CreateDataEntries(m_logger.get(), 0);
        QCOMPARE(dm().GetLastDataFolder()->GetNumberBranches(), 3);
        CDataBranch* out = RunBranch(1);
        QCOMPARE(out->m_SensorIndex, 20480);
        QCOMPARE(out->m_Name, QString("Double"));
        const OnLineFunctionInfo& e = m_logic->m_OnLineFunctions[0];
        QCOMPARE(e.m_pG1Branch, RunBranch(0));
        QCOMPARE(e.m_G1Key, RunBranch(0)->m_Key);
        QCOMPARE(e.m_pOutBranch, out);
        // The output belongs to the run and names the series it is computed from.
        QCOMPARE(out->m_OwnerKey, dm().GetLastDataFolder()->m_Key);
        QCOMPARE(out->m_ParentKey, RunBranch(0)->m_Key);
        QCOMPARE(RunBranch(2)->m_ParentKey, -1);
        QCOMPARE(m_logic->m_OnLineFunctions[1].m_G1Key, -1);
        QVERIFY(!m_logic->m_OnLineFunctions[1].m_pG1Branch);
        double one[1] = {3048};
        dm().ConvertAndStore(m_logger.get(), one, 1, nullptr, true, false);
        dm().ConvertAndStore(m_logger.get(), one, 1, nullptr, true, false);
        // Computed after each packet (how many of the first samples the calculator takes is
        // its own business): the newest result is there and is 2 x 12.25.
        const int n = out->GetNumSamples();
        QVERIFY(n >= 1);
        QCOMPARE(out->GetXSample(n - 1), 1.0);
        QVERIFY(qAbs(out->GetYSample(n - 1) - 24.5) < 1e-4);
        dm().ConvertAndStore(m_logger.get(), one, 1, nullptr, true, false);
        QCOMPARE(out->GetNumSamples(), n + 1);
    }
};

KORVANTA_TEST_MAIN(TestRunStore)
#include "tst_runstore.moc"

// A Dravlet run through the real logic manager, data store and conversion: detection, the
// status re-send, setup and run commands built from the setup record, the run's folder and
// branch, and the converted samples; then a timing run's results.
#include "common/TestMain.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/SafeSampleList.h"
#include "Core/Data/Settings.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/Dravlet/DravletCoreHost.h"
#include "Core/Logic/Dravlet/DravletManager.h"
#include "Core/Logic/Dravlet/DravletManagerHost.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/LogicManager.h"
#include "platform/TestPortEnumerator.h"
#include "simulator/DravletDevice.h"
#include "simulator/LoggerSimulator.h"

using kvsim::CDravletDeviceModel;
using kvsim::CLoggerSimulator;

namespace {

class Context : public ILogicContext
{
public:
    CKorvantaSignals hub;
    CSetupInfo setup;
    int runMode = 0;
    CKorvantaSignals* GetSignals() override { return &hub; }
    CSetupInfo* GetSetupInfo() override { return &setup; }
    ExperimentRunMode GetCurrentRunMode() override { return ExperimentRunMode(runMode); }
};

bool waitFor(const std::function<bool()>& done, int ms)
{
    // The times given are what an idle machine needs; the suite runs beside a sanitizer build,
    // where the interface thread can take several times as long. A wait ends when it is done.
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5 * ms) {
        QCoreApplication::processEvents();
        if (done()) return true;
        QThread::msleep(5);
    }
    return done();
}

} // namespace

class TestDravletStore : public QObject
{
    Q_OBJECT

    std::unique_ptr<Context> m_ctx;
    std::unique_ptr<CLogicManager> m_logic;
    std::unique_ptr<CLoggerSimulator> m_sim;
    CDravletDeviceModel* m_device = nullptr;
    std::unique_ptr<CTestPortEnumerator> m_ports;
    std::unique_ptr<CDravletCoreHost> m_host;
    std::unique_ptr<CDravletManager> m_m;
    CSesnorProperties m_sensor;
    std::atomic<int> m_started{0}, m_ended{0}, m_detected{0};

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_ctx = std::make_unique<Context>();
        m_logic = std::make_unique<CLogicManager>(nullptr, m_ctx.get());
        m_logic->m_SensorInfo.LoadSensorInfo();
        // Voltage (catalogue entry 1) on channel 0, its one measurement active.
        m_sensor.m_Channel = 0;
        m_sensor.m_SensorIndex = 1;
        qDeleteAll(m_sensor.m_MeasurementList);
        m_sensor.m_MeasurementList.clear();
        auto* m = new CMeasurementSetup;
        m->m_bActive = true;
        m_sensor.m_MeasurementList << m;
        m_ctx->setup.m_SelectedSensorList = {&m_sensor};
        m_ctx->setup.m_RateCode = 8;          // 25 per second: interface code 6
        m_ctx->setup.m_NumberOfSamples = 10;

        m_started = m_ended = m_detected = 0;
        QObject::connect(&m_ctx->hub, &CKorvantaSignals::LoggerStartedRun, &m_ctx->hub, [this] { ++m_started; }, Qt::DirectConnection);
        QObject::connect(&m_ctx->hub, &CKorvantaSignals::LoggerExperimentEnd, &m_ctx->hub, [this] { ++m_ended; }, Qt::DirectConnection);
        QObject::connect(&m_ctx->hub, &CKorvantaSignals::LoggerEndDtetection, &m_ctx->hub, [this](bool f) { if (f) ++m_detected; }, Qt::DirectConnection);

        auto model = std::make_unique<CDravletDeviceModel>();
        m_device = model.get();
        m_sim = std::make_unique<CLoggerSimulator>(std::move(model));
        QVERIFY(m_sim->start());
        QVERIFY(m_sim->invoke([this] {
            CDravletDeviceModel::Sensor s;
            s.id = 95;
            s.base = 2100;
            s.step = 1;
            m_device->setSensors({s});
            m_device->setPacketIntervalMs(10);
        }));
        m_ports = std::make_unique<CTestPortEnumerator>();
        m_ports->setPorts({CTestPortEnumerator::makePort(m_sim->portName(), 0x1F0C, 0x1000)});
        m_host = std::make_unique<CDravletCoreHost>(m_logic.get());
        m_m = std::make_unique<CDravletManager>(m_host.get(), m_ports.get());
        m_host->SetLogger(m_m.get());
        // No types given: the manager reads them from the logic manager's catalogue when
        // detection starts.
        QCOMPARE(int(m_m->SensorTypes().SetupWord(1)), 0);
        m_m->m_StopDelayMs = 0;
        m_logic->m_pLoggers[1] = m_m.get();
    }

    void cleanup()
    {
        m_m->Exit();
        m_m.reset();
        m_host.reset();
        m_sim.reset();
        m_logic.reset();
        m_ctx->setup.m_SelectedSensorList.clear();
        m_ctx.reset();
    }

    void liveRunStoredAndConverted()
    {
        m_m->StartDetection();
        QVERIFY(waitFor([&] { return m_m->IsConnected() && m_detected == 1; }, 4000));
        QCOMPARE(m_logic->m_DetectedLoggerType, 12.0);
        m_m->ExecuteHalvorenCmd(CmdRun);
        QVERIFY(waitFor([&] { return m_ended >= 1; }, 8000));
        QCOMPARE(m_started.load(), 1);
        // The setup frame the interface got was built from the setup record.
        QByteArray s1;
        QVERIFY(m_sim->invoke([&] { s1 = m_device->lastSetup1(); }));
        QCOMPARE(s1.mid(4, 4), QByteArray::fromHex("105f0fff"));
        QCOMPARE(int(quint8(s1[27])), 6);
        QCOMPARE(s1.mid(25, 2), QByteArray::fromHex("000a"));

        CDataFolder* folder = m_logic->m_DataManager.GetLastDataFolder();
        QVERIFY(folder);
        CDataBranch* branch = m_logic->m_DataManager.GetDataBranch(folder->GetBranchKey(0));
        QVERIFY(branch);
        QVERIFY(waitFor([&] { return branch->GetYSize() == 10; }, 2000));
        // Raw 2100 + n at 0.01225 V per count. The setup went out before any status had been
        // read, so it switched the interface's own sensor detection off and the catalogue's
        // zero (2048) applies rather than the one the interface reports (2047).
        QVERIFY(!m_m->IsAutoDetectMode());
        for (int n = 0; n < 10; ++n) {
            QCOMPARE(branch->GetXSample(n), double(n));
            QVERIFY(qAbs(branch->GetYSample(n) - 0.01225 * (52 + n)) < 1e-4);
        }
        QCOMPARE(m_m->GetZeroConst(0, 0), 2047.0);
        QCOMPARE(m_host->RunCounter(), 1);
        QVERIFY(waitFor([&] { return !m_m->IsRunning(); }, 2000));
    }

    // A snapshot's readings go to the status record's snapshot list; the channel's zero
    // constant, the run's recorded readings and the user's choice of measurements stay.
    void snapshotReadingsLeaveZeroRunAndSettingsAlone()
    {
        m_m->StartDetection();
        QVERIFY(waitFor([&] { return m_m->IsConnected() && m_detected == 1; }, 4000));
        m_m->ExecuteHalvorenCmd(CmdRun);
        QVERIFY(waitFor([&] { return m_ended >= 1 && !m_m->IsRunning(); }, 8000));
        CSafeSampleList& raw = m_logic->m_DataManager.m_WorkLists[0];
        QCOMPARE(raw.GetSize(), 10);
        QVector<double> before;
        for (int i = 0; i < raw.GetSize(); ++i) before << raw.GetAt(i);
        // Channel 0 holds catalogue entry 1; its measurement 1 is off.
        CSettings& settings = m_logic->m_Settings;
        for (int m = 0; m < CSettings::s_NumOfMeasurements; ++m) settings.SetMeasurementActive(0, m, m == 0);

        std::atomic<int> snapshots{0};
        QObject::connect(&m_ctx->hub, &CKorvantaSignals::LoggerSnapShotArrived, &m_ctx->hub, [&] { ++snapshots; }, Qt::DirectConnection);
        const double zero = m_m->GetZeroConst(0, 1);
        m_m->SendCmd(CommandParametersStruct(CmdSnapshot), true);
        CSetupInfo& setup = m_ctx->setup;
        QVERIFY(waitFor([&] { return snapshots == 1 && !setup.m_LoggerStatusList.first().m_SnapshotList.isEmpty(); }, 3000));

        // The interface reads sample 10 of its ramp now: raw 2110, identity calibration.
        QCOMPARE(setup.m_LoggerStatusList.first().m_SnapshotList, QList<int>{2110});
        QCOMPARE(m_m->GetZeroConst(0, 1), zero);
        QVERIFY(zero != 2110.0);
        QCOMPARE(raw.GetSize(), 10);
        for (int i = 0; i < raw.GetSize(); ++i) QCOMPARE(raw.GetAt(i), before.at(i));
        for (int m = 0; m < CSettings::s_NumOfMeasurements; ++m) QCOMPARE(settings.IsMeasurementActive(0, m), m == 0);
        // What was saved reads back the same.
        CSettings reread(settings.GetFilePath());
        for (int m = 0; m < CSettings::s_NumOfMeasurements; ++m) QCOMPARE(reread.IsMeasurementActive(0, m), m == 0);
    }

    void managerAsTheLogicManagerKeepsIt()
    {
        CDravletManager own(m_logic.get(), m_ports.get());
        own.m_StopDelayMs = 0;
        m_logic->m_pLoggers[1] = &own;
        QCOMPARE(own.GetType(), 0.0);
        QCOMPARE(int(own.SensorTypes().SetupWord(1)), 0x1000 | 95);
        own.StartDetection();
        QVERIFY(waitFor([&] { return own.IsConnected(); }, 4000));
        QCOMPARE(m_logic->m_pDetectedLogger, static_cast<ILogger*>(&own));
        QCOMPARE(m_logic->m_DetectedLoggerType, 12.0);
        own.Exit();
        m_logic->m_pLoggers[1] = m_m.get();
    }

    // The sender and the packet processor read the setup as it stood when the last command was
    // given on the interface thread, never the record the interface thread is changing.
    void loggerThreadsReadTheSetupOfTheLastCommand()
    {
        CDravletManagerHost host(m_logic.get(), nullptr);
        const auto fromLoggerThread = [&host] {
            DravletSetupView view;
            std::thread([&] { view = host.ReadSetup(); }).join();
            return view;
        };
        m_ctx->setup.m_TriggerChannel = 0;
        m_ctx->setup.m_TriggerValue = 40;
        host.RefreshSetup();
        m_ctx->setup.m_TriggerValue = 77;
        m_ctx->setup.m_SelectedSensorList.clear();
        DravletSetupView view = fromLoggerThread();
        QCOMPARE(view.triggerLevel, 40);
        QCOMPARE(view.numChannels, 1);
        QCOMPARE(view.channels[0].catalogueIndex, 1);
        host.RefreshSetup();
        view = fromLoggerThread();
        QCOMPARE(view.triggerLevel, 77);
        QCOMPARE(view.numChannels, 0);
    }

    void timingRunResults()
    {
        m_ctx->setup.m_TimingMeasurement = 1; // velocity
        m_ctx->setup.m_TimingApproach = 0;    // at one gate
        m_ctx->setup.m_TimingWidth = 3.0;
        m_ctx->runMode = 1;
        m_m->StartDetection();
        QVERIFY(waitFor([&] { return m_m->IsConnected(); }, 4000));
        // Block for 0.1 s, then for 0.05 s.
        QVERIFY(m_sim->invoke([this] {
            m_device->queueTimingEvent(0, 2400000);
            m_device->queueTimingEvent(24000000, 25200000);
        }));
        m_m->ExecuteHalvorenCmd(CmdRun);
        CDataBranch* branch = nullptr;
        QVERIFY(waitFor([&] {
            CDataFolder* f = m_logic->m_DataManager.GetLastDataFolder();
            branch = f ? m_logic->m_DataManager.GetDataBranch(f->GetBranchKey(0)) : nullptr;
            return branch && branch->GetYSize() == 2;
        }, 8000));
        QCOMPARE(m_m->GetExpirmentType(), 3);
        QCOMPARE(branch->m_SensorIndex, 20483);
        // Velocity at one gate: a 3 cm flag through the gate in 0.1 s and in 0.05 s.
        QVERIFY(qAbs(branch->GetYSample(0) - 0.03 / 0.1) < 1e-9);
        QVERIFY(qAbs(branch->GetYSample(1) - 0.03 / 0.05) < 1e-9);
        QCOMPARE(branch->GetXSample(1), 1.0);
    }
};

KORVANTA_TEST_MAIN(TestDravletStore)
#include "tst_dravlet_store.moc"

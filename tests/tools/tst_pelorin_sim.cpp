// The Pelorin stack end to end against the simulated logger over a pseudo-terminal: the real
// serial port, receive ring, protocol handler, catalogue, data store, conversion and hub, driven
// by a small single-threaded driver in place of the manager's worker threads.
#include "common/PlainLogicContext.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/LogicManager.h"
#include "Core/Logic/Pelorin/PelorinCoreHost.h"
#include "Core/Logic/Pelorin/PelorinProtocolHandler.h"
#include "simulator/LoggerSimulator.h"
#include "simulator/PelorinDevice.h"
#include "common/FakeLogger.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>
#include "common/TestMain.h"

using kvsim::CLoggerSimulator;
using kvsim::CPelorinDevice;

namespace {

using CContext = CPlainLogicContext;

// The reader, processor and sender of the manager folded into one thread: read what came, run
// the receive machine, send with resends. The handler reports through the shared fake logger,
// whose answers it knows itself are taken from it.
class CSimDriver : public CPelorinProtocolHandler
{
public:
    CSimDriver() { SetLogger(&m_Face); }

    void Pump(int ms)
    {
        QElapsedTimer t;
        t.start();
        char buffer[8192];
        do {
            const int n = Read(buffer, sizeof buffer);
            if (n > 0) {
                WriteCycliceBuffer(n, reinterpret_cast<unsigned char*>(buffer));
                ProcessReceivedData();
            } else {
                QThread::msleep(1);
            }
        } while (t.elapsed() < ms);
    }
    // Sends like the command sender: reset the acknowledgement, send, wait, resend at most three
    // times. A resend repeats the frame only.
    bool Command(unsigned char id, int waitMs = 350)
    {
        ResetCmdRecivedEvent();
        CommandParametersStruct cmd(id);
        unsigned char unused = 0;
        SendCommandHandler(cmd, unused);
        for (int attempt = 0; attempt < 4; ++attempt) {
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < waitMs) {
                Pump(5);
                if (WaitforCmdRecivedEvent(0))
                    return true;
            }
            ++resends;
            if (id == CmdRun)
                RunReq();
            else
                SendCommandHandler(cmd, unused);
        }
        return false;
    }
    template <typename Pred>
    bool PumpUntil(Pred done, int ms)
    {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms)
            Pump(5);
        return done();
    }

    int resends = 0;

private:
    class CFace : public CFakeLogger
    {
    public:
        explicit CFace(CSimDriver& driver) : d(driver) { m_SamplesCode = 3; }
        using CFakeLogger::GetNumberOfSamples; // the count of a samples code stays the fake's
        void ExecuteHalvorenCmd(short id) override { d.Command(static_cast<unsigned char>(id)); }
        void SendCmd(CommandParametersStruct cmd, bool) override { d.Command(cmd.CommandId()); }
        void SendStatusReq() override { d.StatusReq(); }
        void SendStopReq() override { d.StopReq(); }
        bool IsComInitilazied() override { return d.isOpen(); }
        bool IsConnected() override { return d.m_bConnected; }
        bool IsRunning() override { return d.m_bRunning; }
        bool IsFirmwareBusy() override { return d.m_bFirmwareBusy; }
        int GetNumberOfSensors() override { return d.m_Logger.channelCount; }
        int GetLoggerSensorList(unsigned char* list) override { return d.LoggerSensorList(list); }
        int GetActiveSensorListIndex(unsigned char* list) override { return d.ActiveSensorListIndex(list); }
        int GetNumberOfSamples() override { return d.m_Logger.numberOfSamples; }
        int GetSampleRateCode() override { return int(d.m_Logger.RateWord()); }
        int GetLoggerRateCode(int rate, int sensors) override { return d.CPelorinProtocolTables::GetLoggerRateCode(rate, sensors); }
        int GetUiRateCode(int word) override { return d.CPelorinProtocolTables::GetUiRateCode(word); }
        int GetMaxRate(short sensors) override { return d.MaxRate(sensors); }
        ExperimentInterval GetExperimentInterval(short rate, short samples) override
        {
            return d.GetLoggertExperimentInterval(rate, samples);
        }
        double GetType() override { return d.m_LoggerType; }
        void GetVersion(int& a, int& b, int& c, int& e, int& f, int& g) override { d.Version(a, b, c, e, f, g); }
        int GetExpirmentType() override { return d.m_ExperimentType; }

    private:
        CSimDriver& d;
    };
    CFace m_Face{*this};
};

CSesnorProperties* Sensor(int channel, int index, std::initializer_list<bool> active)
{
    auto* s = new CSesnorProperties;
    s->m_Channel = channel;
    s->m_SensorIndex = index;
    for (bool a : active) {
        auto* m = new CMeasurementSetup;
        m->m_bActive = a;
        s->m_MeasurementList << m;
    }
    return s;
}

struct Rig
{
    CContext context;
    CLogicManager logic{nullptr, &context};
    CPelorinCoreHost host;
    CSimDriver driver;
    std::unique_ptr<CLoggerSimulator> sim;
    CPelorinDevice* device = nullptr;
    QList<CSesnorProperties*> owned;

    Rig()
    {
        logic.m_SensorInfo.LoadSensorInfo();
        driver.SetHost(&host);
        auto model = std::make_unique<CPelorinDevice>();
        device = model.get();
        // Temperature (id 2) on channel 1 and voltage (id 11) on channel 2.
        CPelorinDevice::Sensor a;
        a.channel = 1;
        a.idLow = 2;
        CPelorinDevice::Sensor b;
        b.channel = 2;
        b.idLow = 11;
        device->setSensors({a, b});
        sim = std::make_unique<CLoggerSimulator>(std::move(model));
    }
    ~Rig()
    {
        driver.ClosePort();
        sim->stop();
        qDeleteAll(owned);
    }
    // Reads the model's state on the simulator's thread.
    template <typename F>
    auto Ask(F f)
    {
        decltype(f()) value{};
        sim->invoke([&] { value = f(); });
        return value;
    }
    bool Connect()
    {
        if (!sim->start())
            return false;
        driver.setPortName(sim->portName());
        if (!driver.OpenPort(115200))
            return false;
        driver.HelloReq();
        return driver.PumpUntil([this] { return bool(driver.m_bConnected); }, 2000);
    }
    // One sensor of catalogue index `index` at position 0.
    void SelectOne(int index)
    {
        owned << Sensor(0, index, {true});
        context.m_Setup.m_SelectedSensorList = owned;
    }
    void SelectSensors()
    {
        owned << Sensor(0, 72, {true, false}) << Sensor(1, 87, {true});
        context.m_Setup.m_SelectedSensorList = owned;
    }
};

} // namespace

class TestPelorinSim : public QObject
{
    Q_OBJECT
private slots:
    void helloAndStatus()
    {
        Rig r;
        QSignalSpy detected(&r.context.m_Hub, &CKorvantaSignals::LoggerEndDtetection);
        QVERIFY(r.Connect());
        QCOMPARE(r.driver.m_LoggerType.load(), 70.0);
        QCOMPARE(r.logic.m_DetectedLoggerType, 70.0);
        QCOMPARE(detected.count(), 1);
        QVERIFY(r.driver.Command(CmdStatus));
        QCOMPARE(r.driver.m_Logger.channelCount, 2);
        QCOMPARE(r.driver.m_Logger.channels[0].catalogIndex, 72);
        QCOMPARE(r.driver.m_Logger.channels[1].catalogIndex, 87);
        const CCurrentLoggerStatus& st = r.context.m_Setup.m_LoggerStatusList.first();
        QCOMPARE(st.m_SensorList.size(), 2);
        QCOMPARE(st.m_SensorList[1].m_Port, 2);
        QCOMPARE(st.m_SensorList[1].m_SensorIndex, 87);
    }
    void liveRunIsStored()
    {
        Rig r;
        QVERIFY(r.Connect());
        QVERIFY(r.driver.Command(CmdStatus));
        r.SelectSensors();
        r.context.m_Setup.m_RateCode = 12;  // 1000 per second
        r.context.m_Setup.m_NumberOfSamples = 200;
        QSignalSpy started(&r.context.m_Hub, &CKorvantaSignals::LoggerStartedRun);
        QSignalSpy ended(&r.context.m_Hub, &CKorvantaSignals::LoggerExperimentEnd);
        QSignalSpy rows(&r.context.m_Hub, &CKorvantaSignals::LoggerNewDataArrived);
        QVERIFY(r.driver.Command(CmdRun, 1800));
        QVERIFY(r.driver.PumpUntil([&] { return ended.count() > 0; }, 5000));
        QCOMPARE(started.count(), 1);
        QCOMPARE(rows.count(), 200);
        QCOMPARE(int(r.driver.m_Logger.samplesPerPacket), 20);
        const CDataFolder* folder = r.logic.m_DataManager.GetLastDataFolder();
        QVERIFY(folder);
        QCOMPARE(folder->GetNumberBranches(), 2);
        for (int b = 0; b < 2; ++b) {
            CDataBranch* branch = r.logic.m_DataManager.GetDataBranch(folder->GetBranchKey(b));
            QVERIFY(branch);
            QCOMPARE(branch->GetXSize(), 200);
            QCOMPARE(branch->GetXSample(199), 199.0);
        }
        QVERIFY(!r.driver.m_bRunning);
        QCOMPARE(r.Ask([&] { return r.device->runsStarted(); }), 1);
    }
    void bentLinkLosesNothing()
    {
        Rig r;
        QVERIFY(r.Connect());
        QVERIFY(r.driver.Command(CmdStatus));
        r.SelectSensors();
        r.context.m_Setup.m_RateCode = 12;
        r.context.m_Setup.m_NumberOfSamples = 100;
        // Replies arrive byte by byte after a burst of noise, and the run's acknowledgement is lost.
        r.sim->setSplitWrites(true);
        r.sim->setGarbagePrefix(QByteArray::fromHex("3DB700FF3D"), -1);
        r.sim->dropReplies(1);
        QSignalSpy ended(&r.context.m_Hub, &CKorvantaSignals::LoggerExperimentEnd);
        // The run's first packet answers the request: nothing is sent again.
        QVERIFY(r.driver.Command(CmdRun, 1800));
        QVERIFY(r.driver.PumpUntil([&] { return ended.count() > 0; }, 8000));
        QCOMPARE(r.sim->repliesDropped(), 1);
        QCOMPARE(r.driver.resends, 0);
        QCOMPARE(r.Ask([&] { return r.device->runsStarted(); }), 1);
        const CDataFolder* folder = r.logic.m_DataManager.GetLastDataFolder();
        QVERIFY(folder);
        CDataBranch* branch = r.logic.m_DataManager.GetDataBranch(folder->GetBranchKey(0));
        QVERIFY(branch);
        QCOMPARE(branch->GetXSize(), 100);
        QCOMPARE(r.logic.m_DataManager.GetNumDataFolders(), 1);
    }
    void resentRunRequestStartsOneRun()
    {
        Rig r;
        QVERIFY(r.Connect());
        QVERIFY(r.driver.Command(CmdStatus));
        r.SelectSensors();
        r.context.m_Setup.m_RateCode = 12;
        r.context.m_Setup.m_NumberOfSamples = 60;
        r.context.m_Setup.m_TriggerType = 1;
        r.context.m_Setup.m_TriggerChannel = 0;
        r.context.m_Setup.m_TriggerValue = 0x800;
        QVERIFY(r.sim->invoke([&] { r.device->setTriggerDelayMs(800); }));
        r.sim->dropReplies(1);
        QSignalSpy ended(&r.context.m_Hub, &CKorvantaSignals::LoggerExperimentEnd);
        QSignalSpy started(&r.context.m_Hub, &CKorvantaSignals::LoggerStartedRun);
        // No answer within the wait: the request goes out again and is acknowledged.
        QVERIFY(r.driver.Command(CmdRun, 300));
        QCOMPARE(r.driver.resends, 1);
        QCOMPARE(started.count(), 0);
        QVERIFY(r.driver.PumpUntil([&] { return ended.count() > 0; }, 5000));
        QCOMPARE(started.count(), 1);
        QCOMPARE(r.Ask([&] { return r.device->runsStarted(); }), 1);
        const QByteArray request = r.Ask([&] { return r.device->lastRunRequest(); });
        QCOMPARE(request.mid(12, 4), QByteArray::fromHex("01 01 0800"));
        const CDataFolder* folder = r.logic.m_DataManager.GetLastDataFolder();
        QVERIFY(folder);
        QCOMPARE(r.logic.m_DataManager.GetDataBranch(folder->GetBranchKey(0))->GetXSize(), 60);
    }
    void snapshotAndStop()
    {
        Rig r;
        QVERIFY(r.Connect());
        QVERIFY(r.driver.Command(CmdStatus));
        r.SelectSensors();
        QSignalSpy snap(&r.context.m_Hub, &CKorvantaSignals::LoggerSnapShotArrived);
        QVERIFY(r.driver.Command(CmdSnapshot));
        QVERIFY(r.driver.PumpUntil([&] { return snap.count() > 0; }, 2000));
        QCOMPARE(r.context.m_Setup.m_LoggerStatusList.first().m_SnapshotList, QList<int>({0, 100}));
        r.context.m_Setup.m_RateCode = 6;  // 1 per second: stopped long before its end
        r.context.m_Setup.m_NumberOfSamples = 1000;
        QSignalSpy ended(&r.context.m_Hub, &CKorvantaSignals::LoggerExperimentEnd);
        QVERIFY(r.driver.Command(CmdRun, 1800));
        r.driver.Pump(100);
        QVERIFY(r.driver.Command(CmdStop));
        QCOMPARE(ended.count(), 1);
        QVERIFY(!r.driver.m_bRunning);
        QVERIFY(!r.Ask([&] { return r.device->isRunning(); }));
    }
    void timingRunStoresGateTimes()
    {
        Rig r;
        // A photogate (id 0x4C) on channel 3.
        CPelorinDevice::Sensor gate;
        gate.channel = 3;
        gate.idLow = 0x4C;
        QVERIFY(r.sim->invoke([&] {
            r.device->setSensors({gate});
            r.device->setTimingEventIntervalMs(15);
        }));
        QVERIFY(r.Connect());
        QVERIFY(r.driver.Command(CmdStatus));
        r.SelectOne(111);
        r.context.m_Setup.m_TimingMeasurement = 0;  // time at one gate
        r.context.m_Setup.m_TimingApproach = 0;
        QSignalSpy started(&r.context.m_Hub, &CKorvantaSignals::LoggerStartedRun);
        r.driver.m_ProtocolState.m_TimingEventCounter = -1;
        QVERIFY(r.driver.Command(CmdTimingRun));
        QCOMPARE(started.count(), 1);
        QCOMPARE(r.driver.Logger()->GetExpirmentType(), 3);
        const CDataFolder* folder = r.logic.m_DataManager.GetLastDataFolder();
        QVERIFY(folder);
        CDataBranch* branch = r.logic.m_DataManager.GetDataBranch(folder->GetBranchKey(0));
        QVERIFY(branch);
        QVERIFY(r.driver.PumpUntil([&] { return branch->GetXSize() >= 3; }, 3000));
        QVERIFY(r.driver.Command(CmdStop));
        // Each block and unblock pair 30 ms apart in the logger's clock is one time of 0.03 s.
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(branch->GetXSample(i), double(i));
            QVERIFY(qAbs(branch->GetYSample(i) - 0.03) < 1e-9);
        }
    }
    void offlineRunIsFetchedWhenTheLoggerEndsIt()
    {
        Rig r;
        QVERIFY(r.Connect());
        QVERIFY(r.driver.Command(CmdStatus));
        r.SelectSensors();
        // Too fast for a Bluetooth link: the logger records and announces the end itself.
        r.driver.m_bBluetooth = true;
        r.context.m_Setup.m_RateCode = 14;
        r.context.m_Setup.m_NumberOfSamples = 300;
        QSignalSpy ended(&r.context.m_Hub, &CKorvantaSignals::LoggerExperimentEnd);
        QSignalSpy finished(&r.context.m_Hub, &CKorvantaSignals::LoggerDownloadFinshed);
        QVERIFY(r.driver.Command(CmdRun, 1800));
        QCOMPARE(r.Ask([&] { return r.device->lastRunRequest(); }).at(8), char(1));
        QVERIFY(r.driver.PumpUntil([&] { return finished.count() > 0; }, 8000));
        QCOMPARE(ended.count(), 1);
        QCOMPARE(finished.first().first().toBool(), true);
        QCOMPARE(r.logic.m_DataManager.GetNumDataFolders(), 1);
        const CDataFolder* folder = r.logic.m_DataManager.GetLastDataFolder();
        QCOMPARE(r.logic.m_DataManager.GetDataBranch(folder->GetBranchKey(0))->GetXSize(), 300);
        QVERIFY(!r.driver.m_bRunning);
    }
    void storedRunIsDownloaded()
    {
        Rig r;
        QVERIFY(r.Connect());
        r.SelectSensors();
        CPelorinDevice::StoredRun run;
        run.rateWord = 10;
        run.samples = 250;
        run.channels << QByteArray::fromHex("00028000");
        run.widths << 2;
        QVERIFY(r.sim->invoke([&] { r.device->setStoredRun(run); }));
        QSignalSpy finished(&r.context.m_Hub, &CKorvantaSignals::LoggerDownloadFinshed);
        QVERIFY(r.driver.Command(CmdDownload));
        QVERIFY(r.driver.PumpUntil([&] { return finished.count() > 0; }, 3000));
        const CDataFolder* folder = r.logic.m_DataManager.GetLastDataFolder();
        QVERIFY(folder);
        QCOMPARE(folder->GetNumberBranches(), 1);
        QCOMPARE(r.logic.m_DataManager.GetDataBranch(folder->GetBranchKey(0))->GetXSize(), 250);
        QVERIFY(!r.driver.m_bRunning);
    }
};

KORVANTA_TEST_MAIN(TestPelorinSim)
#include "tst_pelorin_sim.moc"

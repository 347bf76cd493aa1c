// The Dravlet protocol handler over a real pseudo-terminal against the simulated interface:
// detection (normal and boot-loader), status, setup echoed in the status, a run to its count,
// stop, snapshot, timing events and the relay, also with split and garbled replies.
#include "common/TestMain.h"

#include <functional>
#include <memory>

#include "Core/Data/SensorInfo.h"
#include "simulator/DravletDevice.h"
#include "simulator/LoggerSimulator.h"
#include "support/DravletTestHost.h"

using kvsim::CDravletDeviceModel;
using kvsim::CLoggerSimulator;

namespace {

// The handler reading its own port, as the reader and packet processor would.
class CWireHandler : public CDravletProtocolHandler
{
public:
    CWireHandler() { m_StopDelayMs = 0; }
    CommandParametersStruct current;

    bool pumpUntil(const std::function<bool()>& done, int ms)
    {
        QElapsedTimer t;
        t.start();
        unsigned char buf[8192];
        while (t.elapsed() < ms) {
            const int n = Read(buf, sizeof buf);
            if (n > 0) {
                WriteCycliceBuffer(n, buf);
                while (SomethingInCycliceBufferFunction()) DataReceivedHandler(current);
            }
            if (done()) return true;
            QThread::msleep(2);
        }
        return done();
    }
    void send(unsigned char id)
    {
        current = CommandParametersStruct(id);
        ResetCmdRecivedEvent(); // as the sender does before each frame
        unsigned char reply = 0;
        SendCommandHandler(current, reply);
    }
    void send(const CommandParametersStruct& c)
    {
        current = c;
        ResetCmdRecivedEvent();
        unsigned char reply = 0;
        SendCommandHandler(current, reply);
    }
    DravletInterfaceState& state() { return m_State; }
};

CDravletDeviceModel::Sensor analog(int id, qint64 base, qint64 step)
{
    CDravletDeviceModel::Sensor s;
    s.id = id;
    s.kind = 0x1000;
    s.base = base;
    s.step = step;
    return s;
}

} // namespace

class TestDravletWire : public QObject
{
    Q_OBJECT

    CSensorInfo m_catalogue;
    std::unique_ptr<CLoggerSimulator> m_sim;
    CDravletDeviceModel* m_device = nullptr;
    std::unique_ptr<CWireHandler> m_h;
    std::unique_ptr<CDravletTestHost> m_hostPtr;
    CDravletTestHost* m_pHost = nullptr;

    void invoke(const std::function<void(CDravletDeviceModel&)>& fn)
    {
        QVERIFY(m_sim->invoke([&] { fn(*m_device); }));
    }
    bool detect()
    {
        m_h->DetectStringReq();
        return m_h->pumpUntil([&] { return bool(m_h->m_bConnected); }, 3000);
    }
    // The first answer only marks the interface as answering; the second is parsed.
    bool status()
    {
        m_h->send(CmdStatus);
        if (!m_h->pumpUntil([&] { return bool(m_h->m_bStatusAnswered); }, 3000)) return false;
        m_h->send(CmdStatus);
        return m_h->pumpUntil([&] { return m_h->WaitforCmdRecivedEvent(0); }, 3000);
    }
    CommandParametersStruct setupRecord(int loggerRate, int samples)
    {
        CommandParametersStruct c(CmdSetup);
        c.SetWord(ParSetupRateCode, quint16(loggerRate));
        c.SetWord(ParSetupSamples, quint16(samples));
        c.SetWord(ParSetupTriggerLevel, 0xFFFF);
        c.SetWord(ParSetupTriggerChannel, 0xFFFF);
        return c;
    }
    bool setup(int loggerRate, int samples)
    {
        CommandParametersStruct c = setupRecord(loggerRate, samples);
        c.SetCommandId(CmdDravletSetup1);
        m_h->send(c);
        if (!m_h->pumpUntil([&] { return m_h->WaitforCmdRecivedEvent(0); }, 3000)) return false;
        c.SetCommandId(CmdDravletSetup2);
        m_h->send(c);
        return m_h->pumpUntil([&] { return m_h->WaitforCmdRecivedEvent(0); }, 3000);
    }

private slots:
    void initTestCase() { m_catalogue.LoadSensorInfo(); }

    void init()
    {
        auto model = std::make_unique<CDravletDeviceModel>();
        m_device = model.get();
        m_sim = std::make_unique<CLoggerSimulator>(std::move(model));
        QVERIFY(m_sim->start());
        m_hostPtr = std::make_unique<CDravletTestHost>();
        m_pHost = m_hostPtr.get();
        DravletSetupView s;
        s.numChannels = 2;
        s.channels[0] = {1, true};
        s.channels[1] = {2, true};
        s.activeCount = 2;
        s.activePositions[0] = 0;
        s.activePositions[1] = 1;
        s.timingRow = 1;
        s.timingColumn = 1;
        s.timingParameter1 = 3.0;
        s.timingParameter2 = 20.0;
        m_pHost->setSetup(s);
        m_h = std::make_unique<CWireHandler>();
        m_h->SetHost(m_pHost);
        m_h->SensorTypes().Load(m_catalogue);
        m_h->setPortName(m_sim->portName());
        QVERIFY(m_h->OpenPort(CDravletProtocol::s_Baud));
        // Voltage (entry 1, ids 86..103) and the shared window of entry 2.
        invoke([](CDravletDeviceModel& d) {
            d.setSensors({analog(95, 100, 10), analog(165, 2047, 0)});
            d.setCalibration(3000, 1000);
        });
    }

    void cleanup()
    {
        m_h->ClosePort();
        m_h.reset();
        m_sim.reset();
    }

    void detectionAndStatus()
    {
        QVERIFY(detect());
        QCOMPARE(m_h->state().gain, 1.024);
        QCOMPARE(m_h->state().offset, 1023.0);
        QCOMPARE(m_h->state().firmwareVersion, 2.05);
        QCOMPARE(m_pHost->count("end-detection 1"), 1);
        QVERIFY(status());
        QCOMPARE(m_h->state().sensorCount, 2);
        QCOMPARE(m_h->state().channelIndex[0], 1);
        QCOMPARE(m_h->state().channelIndex[1], 2);
        QCOMPARE(m_sim->frames().at(0), QByteArray::fromHex("bc9e08"));
        QCOMPARE(m_sim->frames().at(1), QByteArray::fromHex("bc9e0400"));
    }

    void bootLoaderDetection()
    {
        invoke([](CDravletDeviceModel& d) { d.setBootLoader(true); });
        QVERIFY(detect());
        QVERIFY(m_h->m_bBootLoaderMode);
        QCOMPARE(m_pHost->count("firmware"), 1);
    }

    void setupEchoedInTheStatus()
    {
        QVERIFY(detect());
        QVERIFY(status());
        QVERIFY(setup(2, 500));
        QCOMPARE(m_h->state().numberOfSamples, 500);
        QCOMPARE(m_h->state().loggerRateCode, 2);
        QCOMPARE(m_h->state().timingMethod, 11);
        QCOMPARE(m_h->state().numberOfGates, 2);
        QCOMPARE(int(m_h->m_CurrentRateInfo.rateCode), 2); // status carries the logger code here
        int samples = 0, rate = 0;
        invoke([&](CDravletDeviceModel& d) { samples = d.numberOfSamples(); rate = d.loggerRateCode(); });
        QCOMPARE(samples, 500);
        QCOMPARE(rate, 2);
        QByteArray s1;
        invoke([&](CDravletDeviceModel& d) { s1 = d.lastSetup1(); });
        QCOMPARE(s1.size(), 31);
        QCOMPARE(s1.mid(4, 6), QByteArray::fromHex("105f10a50fff"));
    }

    void runToItsCountUnderSplitAndGarbledReplies()
    {
        QVERIFY(detect());
        QVERIFY(status());
        QVERIFY(setup(6, 5));
        m_sim->setSplitWrites(true);
        m_sim->setGarbagePrefix(QByteArray::fromHex("3d00b7ff"), 3);
        invoke([](CDravletDeviceModel& d) { d.setOverrunPackets(3); });
        m_h->RefreshActiveSensors();
        m_h->send(CmdRun);
        QVERIFY(m_h->pumpUntil([&] { return m_pHost->count("end") == 1 && !m_h->m_bRunning; }, 5000));
        QVERIFY(m_h->pumpUntil([&] { return m_sim->frames().count(QByteArray::fromHex("bc9e0200")) >= 3; }, 3000));
        const auto rows = m_pHost->rows();
        QCOMPARE(rows.size(), 5);
        // Raw 100 + 10n through gain 1.024 and offset 1023.
        for (int n = 0; n < 5; ++n) QCOMPARE(rows.at(n).at(0), std::trunc((100 + 10 * n) * 1.024 + 1023.0));
        QCOMPARE(rows.at(4).at(1), std::trunc(2047 * 1.024 + 1023.0));
        QCOMPARE(m_pHost->m_entries, 1);
    }

    // Manual sampling: each run starts with one sample, and each request brings exactly one.
    void manualSamplingGivesOneSamplePerRequest()
    {
        QVERIFY(detect());
        QVERIFY(status());
        QVERIFY(setup(0, 89));
        m_h->RefreshActiveSensors();
        m_h->send(CmdRun);
        QVERIFY(m_h->pumpUntil([&] { return m_pHost->rows().size() == 1; }, 3000));
        QVERIFY(m_h->m_bRunning);
        // Nothing more arrives unasked.
        m_h->pumpUntil([] { return false; }, 400);
        QCOMPARE(m_pHost->rows().size(), 1);
        for (int n = 2; n <= 3; ++n) {
            m_h->send(CmdManualSample);
            QVERIFY(m_h->pumpUntil([&] { return m_pHost->rows().size() == n; }, 3000));
            QVERIFY(m_h->WaitforCmdRecivedEvent(0));
        }
        m_h->pumpUntil([] { return false; }, 300);
        const auto rows = m_pHost->rows();
        QCOMPARE(rows.size(), 3);
        // Raw 100 + 10n: each request took the next sample.
        for (int n = 0; n < 3; ++n) QCOMPARE(rows.at(n).at(0), std::trunc((100 + 10 * n) * 1.024 + 1023.0));
        int sent = 0;
        invoke([&](CDravletDeviceModel& d) { sent = d.samplesSent(); });
        QCOMPARE(sent, 3);
        QCOMPARE(m_pHost->m_entries.load(), 1);

        // A run the program ended without a stop reaching the interface: the next Run is still
        // a new run, which starts with its own first sample.
        m_h->m_bRunning = false;
        m_h->send(CmdRun);
        QVERIFY(m_h->pumpUntil([&] { return m_pHost->rows().size() == 4; }, 3000));
        QCOMPARE(m_pHost->m_entries.load(), 2);
        QCOMPARE(m_pHost->rows().at(3).at(0), std::trunc(100 * 1.024 + 1023.0));
        int runs = 0;
        invoke([&](CDravletDeviceModel& d) { runs = d.runsStarted(); });
        QCOMPARE(runs, 2);
    }

    void replyBehindAGarbageHeadIsStillFound()
    {
        QVERIFY(detect());
        // A data-packet head with no run asked for swallows the first 26 bytes of the reply.
        m_sim->setGarbagePrefix(QByteArray::fromHex("3db709"), 2);
        QVERIFY(status());
        QCOMPARE(m_pHost->count("status 1"), 1);
        QVERIFY(m_pHost->rows().isEmpty());
        QCOMPARE(m_pHost->m_entries.load(), 0);
    }

    void stopMidRun()
    {
        QVERIFY(detect());
        QVERIFY(status());
        QVERIFY(setup(6, 89));
        m_h->RefreshActiveSensors();
        m_h->send(CmdRun);
        QVERIFY(m_h->pumpUntil([&] { return m_pHost->rows().size() >= 3; }, 3000));
        m_h->send(CmdStop);
        QVERIFY(m_h->pumpUntil([&] { return m_h->WaitforCmdRecivedEvent(0); }, 3000));
        bool running = true;
        invoke([&](CDravletDeviceModel& d) { running = d.isRunning(); });
        QVERIFY(!running);
        QVERIFY(!m_h->m_bRunning);
    }

    void snapshotReadings()
    {
        QVERIFY(detect());
        QVERIFY(status());
        m_h->send(CmdSnapshot);
        QVERIFY(m_h->pumpUntil([&] { return m_pHost->count("snapshot") == 1; }, 3000));
        QCOMPARE(m_pHost->m_snapshot.size(), 2);
        QCOMPARE(m_pHost->m_snapshot.at(0), int(std::trunc(100 * 1.024 + 1023.0)));
        QVERIFY(m_pHost->rows().isEmpty());
    }

    void timingEvents()
    {
        QVERIFY(detect());
        QVERIFY(status());
        QVERIFY(setup(6, 89));
        m_pHost->m_timingResults = {0.0, 0.25, 0.5}; // the first answers the reset
        invoke([](CDravletDeviceModel& d) {
            d.queueTimingEvent(0, 2400000, 4800000, 7200000);
            d.queueTimingEvent(24000000, 24240000, 48000000, 48240000);
        });
        m_h->ProtocolState()->m_TimingEventCounter = -1;
        m_h->send(CmdTimingRun);
        QVERIFY(m_h->pumpUntil([&] { return m_pHost->m_timingStored.size() == 2; }, 3000));
        QCOMPARE(m_sim->frames().last(), QByteArray::fromHex("bc9e0c02"));
        QCOMPARE(m_pHost->m_timingArgs.at(1), (QVector<double>{11, 0.1, 0.2, 0.1, 0.0, 0.1}));
        QCOMPARE(m_pHost->m_timingStored.at(1), qMakePair(1.0, 0.5));
    }

    void relayFollowsTheReadings()
    {
        QVERIFY(detect());
        QVERIFY(status());
        CommandParametersStruct c = setupRecord(6, 89);
        c.SetWord(ParSetupTriggerType, 4);
        c.SetWord(ParSetupTriggerLevel, 1200);
        c.SetWord(ParSetupTriggerChannel, 0);
        c.SetCommandId(CmdDravletSetup1);
        m_h->send(c);
        QVERIFY(m_h->pumpUntil([&] { return m_h->WaitforCmdRecivedEvent(0); }, 3000));
        c.SetCommandId(CmdDravletSetup2);
        m_h->send(c);
        QVERIFY(m_h->pumpUntil([&] { return m_h->WaitforCmdRecivedEvent(0); }, 3000));
        QCOMPARE(m_h->state().triggerMode, 4);
        QCOMPARE(m_h->state().triggerLevel, 1200);
        m_h->RefreshActiveSensors();
        m_h->send(CmdRun);
        // Readings 1125, 1135, ... cross 1200 at the eighth sample.
        bool on = false;
        QVERIFY(m_h->pumpUntil([&] {
            m_sim->invoke([&] { on = m_device->relayOn(); });
            return on;
        }, 5000));
        int bits = 0;
        invoke([&](CDravletDeviceModel& d) { bits = d.relayChannelBits(); });
        QCOMPARE(bits, 0x10);
    }
};

KORVANTA_TEST_MAIN(TestDravletWire)
#include "tst_dravlet_wire.moc"

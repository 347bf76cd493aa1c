// The Dravlet manager end to end against the simulated interface on a pseudo-terminal:
// detection, the status re-send, setup and run, stop, snapshot, missing acknowledgements and
// an unplugged cable in the middle of a run.
#include "common/TestMain.h"

#include <atomic>
#include <functional>
#include <memory>

#include "Core/Data/SensorInfo.h"
#include "Core/Logic/Dravlet/DravletManager.h"
#include "platform/TestPortEnumerator.h"
#include "simulator/DravletDevice.h"
#include "simulator/LoggerSimulator.h"
#include "support/DravletTestHost.h"

using kvsim::CDravletDeviceModel;
using kvsim::CLoggerSimulator;

namespace {

bool waitFor(const std::function<bool()>& done, int ms)
{
    // The times given are what an idle machine needs; the suite runs beside a sanitizer build,
    // where the interface thread can take several times as long. A wait ends when it is done.
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5 * ms) {
        if (done()) return true;
        QThread::msleep(5);
    }
    return done();
}

QByteArray hex(const char* t) { return QByteArray::fromHex(t); }

} // namespace

class TestDravletManager : public QObject
{
    Q_OBJECT

    CSensorInfo m_catalogue;
    std::unique_ptr<CLoggerSimulator> m_sim;
    CDravletDeviceModel* m_device = nullptr;
    std::unique_ptr<CTestPortEnumerator> m_ports;
    std::unique_ptr<CDravletTestHost> m_host;
    std::unique_ptr<CDravletManager> m_m;

    int framesOf(const QByteArray& f) const { return m_sim->frames().count(f); }
    int framesWithOpcode(unsigned char op) const
    {
        int n = 0;
        for (const QByteArray& f : m_sim->frames()) n += (f.size() > 2 && quint8(f[2]) == op) ? 1 : 0;
        return n;
    }
    bool detect()
    {
        m_m->StartDetection();
        return waitFor([&] { return m_m->IsConnected() && m_host->count("update-sensors") == 1; }, 4000);
    }

private slots:
    void initTestCase() { m_catalogue.LoadSensorInfo(); }

    void init()
    {
        auto model = std::make_unique<CDravletDeviceModel>();
        m_device = model.get();
        m_sim = std::make_unique<CLoggerSimulator>(std::move(model));
        QVERIFY(m_sim->start());
        QVERIFY(m_sim->invoke([this] {
            CDravletDeviceModel::Sensor s;
            s.id = 95;
            s.base = 100;
            s.step = 1;
            m_device->setSensors({s});
            m_device->setPacketIntervalMs(10);
        }));
        m_ports = std::make_unique<CTestPortEnumerator>();
        m_ports->setPorts({CTestPortEnumerator::makePort(QStringLiteral("/dev/decoy"), 0x0483, 0x5740),
                           CTestPortEnumerator::makePort(m_sim->portName(), 0x1F0C, 0x1000)});
        m_host = std::make_unique<CDravletTestHost>();
        DravletSetupView s;
        s.numChannels = 1;
        s.channels[0] = {1, true};
        s.activeCount = 1;
        m_host->setSetup(s);
        m_m = std::make_unique<CDravletManager>(m_host.get(), m_ports.get());
        m_host->m_pLogger = m_m.get();
        m_m->SensorTypes().Load(m_catalogue);
        m_m->m_StopDelayMs = 0;
        m_m->m_MinSilenceMs = 800;
    }

    void cleanup()
    {
        m_m->Exit();
        m_m.reset();
        m_sim.reset();
    }

    void detectionFindsTheInterface()
    {
        QCOMPARE(m_m->GetType(), 0.0);
        QVERIFY(detect());
        QCOMPARE(m_host->count("start-detection"), 1);
        QCOMPARE(m_host->count("end-detection 1"), 1);
        QCOMPARE(m_m->GetType(), 12.0);
        QCOMPARE(m_host->LastPort(), m_sim->portName());
        QVERIFY(m_host->LastPortKnown());
        QCOMPARE(m_sim->frames().first(), hex("bc9e08"));
        int v[6];
        m_m->GetVersion(v[0], v[1], v[2], v[3], v[4], v[5]);
        QCOMPARE(QVector<int>(v, v + 6), (QVector<int>{2, 5, 1, 3, 1, 0}));
        QVERIFY(m_m->GetName() == nullptr);
    }

    void knownPortIsTriedFirst()
    {
        QVERIFY(detect());
        m_m->CloseLogger(false);
        // The port is no longer listed, but it is the known last port: it is opened directly.
        m_ports->setPorts({});
        m_m->StartDetection();
        QVERIFY(waitFor([&] { return m_m->IsConnected() && m_host->count("update-sensors") == 2; }, 4000));
        QCOMPARE(m_host->count("end-detection 1"), 2);
    }

    void interfaceBackUnderANewNameIsNotTakenForTheDeviceOnItsOldOne()
    {
        QVERIFY(detect());
        m_m->CloseLogger(false);
        // Ours comes back on another port; the old name now belongs to another interface,
        // which stays reachable there but is no longer listed as ours.
        auto model = std::make_unique<CDravletDeviceModel>();
        CDravletDeviceModel* back = model.get();
        CLoggerSimulator returned(std::move(model));
        QVERIFY(returned.start());
        QVERIFY(returned.invoke([back] { back->setVersions(3, 1, 1, 3); }));
        m_ports->setPorts({CTestPortEnumerator::makePort(returned.portName(), 0x1F0C, 0x1000)});
        m_sim->clearLog();
        m_m->StartDetection();
        QVERIFY(waitFor([&] { return m_m->IsConnected() && m_host->count("update-sensors") == 2; }, 4000));
        QCOMPARE(m_host->LastPort(), returned.portName());
        // The old interface was never asked for its handshake. (The goodbye of the closing may
        // reach it after the log was cleared, on a loaded machine.)
        QCOMPARE(framesWithOpcode(0x08), 0);
        int v[6];
        m_m->GetVersion(v[0], v[1], v[2], v[3], v[4], v[5]);
        QCOMPARE(v[0], 3);
        m_m->CloseLogger(false);
    }

    void bootLoaderIsConnectedButTakesNoCommands()
    {
        QVERIFY(m_sim->invoke([this] { m_device->setBootLoader(true); }));
        m_m->StartDetection();
        QVERIFY(waitFor([&] { return m_m->IsConnected() && m_host->count("update-sensors") == 1; }, 4000));
        QCOMPARE(m_host->count("firmware"), 1);
        QCOMPARE(int(m_m->DetectionState()), int(CDravletProtocolHandler::DetectBootLoader));
        m_sim->clearLog();
        m_m->ExecuteHalvorenCmd(CmdRun);
        QThread::msleep(600);
        QCOMPARE(m_sim->frameCount(), 0);
    }

    void silentInterfaceIsAskedThreeTimesThenGivenUp()
    {
        m_sim->setSilent(true);
        m_m->StartDetection();
        QVERIFY(waitFor([&] { return m_host->count("end-detection 0") == 1; }, 9000));
        QCOMPARE(framesOf(hex("bc9e08")), 3);
        QVERIFY(!m_m->IsConnected());
        QVERIFY(!m_host->LastPortKnown());
    }

    void noPortMeansNotFound()
    {
        m_ports->setPorts({});
        m_m->StartDetection();
        QVERIFY(waitFor([&] { return m_host->count("end-detection 0") == 1; }, 3000));
        QCOMPARE(m_sim->frameCount(), 0);
    }

    void commandWhileNotConnectedIsDropped()
    {
        m_m->SendCmd(CommandParametersStruct(CmdRun), true);
        QCOMPARE(m_m->QueuedCommands(), 0);
        QThread::msleep(300);
        QCOMPARE(m_sim->frameCount(), 0);
    }

    void setupAndRunEndToEnd()
    {
        QVERIFY(detect());
        m_host->m_setupLoggerRate = 6;
        m_host->m_setupSamples = 5;
        m_sim->clearLog();
        m_m->ExecuteHalvorenCmd(CmdRun);
        QVERIFY(waitFor([&] { return m_host->count("end") >= 1; }, 6000));
        QCOMPARE(m_host->rows().size(), 5);
        QCOMPARE(m_host->rows().at(4).at(0), 104.0);
        QCOMPARE(m_host->m_entries.load(), 1);
        // Status first (until answered), then setup 1 and 2, each acknowledged, then Run. A
        // frame whose acknowledgement is late on a slow machine is written again, the same.
        QStringList order;
        for (const QByteArray& f : m_sim->frames()) order << QString::number(quint8(f[2]), 16);
        order.removeDuplicates();
        QCOMPARE(order.mid(0, 4), (QStringList{"4", "6", "7", "1"}));
        for (unsigned char op : {0x06, 0x07, 0x01}) {
            QByteArrayList sent;
            for (const QByteArray& f : m_sim->frames())
                if (f.size() > 2 && quint8(f[2]) == op) sent << f;
            QVERIFY2(!sent.isEmpty(), qPrintable(QString::number(op, 16)));
            QCOMPARE(sent.count(sent.first()), sent.size());
        }
        // The interface took the setup and ran once with it.
        int samples = 0, runs = 0;
        QVERIFY(m_sim->invoke([&] {
            samples = m_device->numberOfSamples();
            runs = m_device->runsStarted();
        }));
        QCOMPARE(samples, 5);
        QCOMPARE(runs, 1);
        QCOMPARE(m_m->GetNumberOfSamples(), 5);
        QVERIFY(waitFor([&] { return !m_m->IsRunning(); }, 2000));
    }

    void stopEndsAStreamingRun()
    {
        QVERIFY(detect());
        m_host->m_setupSamples = 89;
        m_m->ExecuteHalvorenCmd(CmdRun);
        QVERIFY(waitFor([&] { return m_host->rows().size() >= 5; }, 5000));
        QVERIFY(m_m->IsRunning());
        m_m->SendCmd(CommandParametersStruct(CmdStop), true);
        QVERIFY(waitFor([&] { return !m_m->IsRunning(); }, 3000));
        bool running = true;
        QVERIFY(m_sim->invoke([&] { running = m_device->isRunning(); }));
        QVERIFY(!running);
        QCOMPARE(framesOf(hex("bc9e0200")), 1);
    }

    void missingAcknowledgementsAreResentThreeTimes()
    {
        QVERIFY(detect());
        m_sim->setSilent(true);
        m_sim->clearLog();
        QElapsedTimer t;
        t.start();
        m_m->SendCmd(CommandParametersStruct(CmdRun), true);
        QVERIFY(waitFor([&] { return framesOf(hex("bc9e0100")) == 4; }, 3000));
        // Three waits of 300 ms separate the four frames.
        QVERIFY(t.elapsed() >= 850);
        m_m->SendCmd(CommandParametersStruct(CmdStop), true);
        QThread::msleep(1500);
        QCOMPARE(framesOf(hex("bc9e0100")), 4);
        QCOMPARE(framesOf(hex("bc9e0200")), 1);
    }

    void lostRunAcknowledgementKeepsOneRun()
    {
        QVERIFY(detect());
        m_host->m_pLogger->SendCmd(CommandParametersStruct(CmdStatus), true);
        QVERIFY(waitFor([&] { return m_m->GetNumberOfSensors() == 1; }, 3000));
        // A finished run first, so the packet counter is no longer at its not-started value.
        m_host->m_setupSamples = 3;
        m_m->ExecuteHalvorenCmd(CmdRun);
        QVERIFY(waitFor([&] { return m_host->count("end") >= 1 && !m_m->IsRunning(); }, 5000));
        QCOMPARE(m_host->m_entries.load(), 1);
        QThread::msleep(300);
        m_sim->clearLog();
        // The next Run's acknowledgement is lost; the device streams anyway and the resent Run
        // is acknowledged late.
        QVERIFY(m_sim->invoke([this] { m_device->setPacketIntervalMs(40); }));
        m_host->m_setupSamples = 89;
        m_host->SendSetupCmd(true);
        QVERIFY(waitFor([&] { return m_m->GetNumberOfSamples() == 89; }, 3000));
        QThread::msleep(300);
        const int rowsBefore = m_host->rows().size();
        m_sim->dropReplies(1);
        m_m->SendCmd(CommandParametersStruct(CmdRun), true);
        QVERIFY(waitFor([&] { return m_host->rows().size() >= rowsBefore + 15; }, 5000));
        // Written again for the lost acknowledgement (and once more should the next one be late
        // on a slow machine): however often, the interface started one run for it.
        QVERIFY(framesOf(hex("bc9e0100")) >= 2);
        int runs = 0;
        QVERIFY(m_sim->invoke([&] { runs = m_device->runsStarted(); }));
        QCOMPARE(runs, 2);
        // One new folder for the run, and its samples in order from its first packet.
        QCOMPARE(m_host->m_entries.load(), 2);
        QCOMPARE(m_host->m_entryRows.last(), rowsBefore);
        const auto rows = m_host->rows();
        for (int i = rowsBefore; i < rows.size(); ++i) QCOMPARE(rows.at(i).at(0), double(100 + i - rowsBefore));
    }

    void statusResendGivesUpAfterNine()
    {
        QVERIFY(detect());
        m_sim->setSilent(true);
        m_sim->clearLog();
        m_m->ExecuteHalvorenCmd(CmdSetup);
        QVERIFY(waitFor([&] { return framesOf(hex("bc9e0400")) >= 9; }, 8000));
        QThread::msleep(800); // a tenth request would have come by now
        QCOMPARE(framesOf(hex("bc9e0400")), 9);
        QCOMPARE(m_host->count("setup-cmd"), 0);
    }

    // A Run still waiting for the interface's status when the link closes goes with it: the
    // statuses of the next connection carry out nothing.
    void closingDropsACommandWaitingForTheStatus()
    {
        QVERIFY(detect());
        m_sim->setSilent(true);
        m_sim->clearLog();
        m_m->ExecuteHalvorenCmd(CmdRun);
        QVERIFY(waitFor([&] { return framesOf(hex("bc9e0400")) >= 1; }, 2000));
        m_m->CloseLogger(false);
        m_sim->setSilent(false);
        m_m->StartDetection();
        QVERIFY(waitFor([&] { return m_m->IsConnected() && m_host->count("update-sensors") == 2; }, 4000));
        // As long as the Run would have gone on asking (nine requests 250 ms apart).
        QThread::msleep(CDravletManager::s_MaxStatusTicks * CDravletManager::s_StatusResendMs);
        QCOMPARE(m_host->count("setup-cmd"), 0);
        QCOMPARE(m_host->count("run-cmd"), 0);
        QCOMPARE(framesOf(hex("bc9e0100")), 0);
    }

    void snapshotThroughTheQueue()
    {
        QVERIFY(detect());
        m_host->m_pLogger->SendCmd(CommandParametersStruct(CmdStatus), true);
        QVERIFY(waitFor([&] { return m_m->GetNumberOfSensors() == 1; }, 3000));
        const double zero = m_m->GetZeroConst(0, 0);
        m_m->SendCmd(CommandParametersStruct(CmdSnapshot), true);
        QVERIFY(waitFor([&] { return m_host->count("snapshot") == 1; }, 3000));
        QCOMPARE(m_host->m_snapshot, QVector<int>{100});
        QCOMPARE(m_m->GetZeroConst(0, 0), zero);
        QVERIFY(zero != 100.0);
        QCOMPARE(m_m->GetZeroConst(9, 0), 0.0);
        unsigned char list[ILogger::MaxSensorList] = {};
        QCOMPARE(m_m->GetLoggerSensorList(list), 1);
        QCOMPARE(int(list[0]), 1);
    }

    // A manual sample request written again because its acknowledgement came late is answered
    // twice by the interface; the user asked for one sample.
    void lateAcknowledgedManualSampleIsStoredOnce()
    {
        QVERIFY(detect());
        m_host->m_setupLoggerRate = 0;
        m_m->ExecuteHalvorenCmd(CmdRun);
        QVERIFY(waitFor([&] { return m_host->rows().size() == 1 && m_m->IsRunning(); }, 5000));
        QCOMPARE(m_m->GetSampleRateCode(), 0);
        QThread::msleep(300);
        m_sim->clearLog();
        m_sim->setReplyDelay(400);
        // The Manual button during the run.
        m_host->SendManualSampleCmd(true);
        QVERIFY(waitFor([&] { return m_host->rows().size() >= 2; }, 3000));
        QThread::msleep(1500);
        QVERIFY2(framesWithOpcode(0x03) >= 2, "the request was not written again");
        QCOMPARE(m_host->rows().size(), 2);
        m_sim->setReplyDelay(0);
        m_host->SendManualSampleCmd(true);
        QVERIFY(waitFor([&] { return m_host->rows().size() == 3; }, 3000));
        QThread::msleep(300);
        QCOMPARE(m_host->rows().size(), 3);
        QCOMPARE(m_host->count("manual-cmd"), 2);
    }

    void unplugMidRunLosesNothingReceived()
    {
        QVERIFY(detect());
        m_host->m_setupSamples = 89;
        m_m->ExecuteHalvorenCmd(CmdRun);
        QVERIFY(waitFor([&] { return m_host->rows().size() >= 20; }, 5000));
        // The device goes quiet for a moment first, so that every packet it counts has been
        // written to the wire rather than still queued in the simulator when the cable goes.
        int sent = 0;
        QVERIFY(m_sim->invoke([&] { m_device->setPacketIntervalMs(100000); }));
        QThread::msleep(150);
        QVERIFY(m_sim->invoke([&] { sent = m_device->samplesSent(); }));
        m_sim->unplug();
        // What the device-detection manager does when the port goes away.
        m_m->CloseLogger(true);
        QCOMPARE(m_host->rows().size(), sent);
        for (int i = 0; i < sent; ++i) QCOMPARE(m_host->rows().at(i).at(0), double(100 + i));
        QVERIFY(!m_m->IsRunning());
        QVERIFY(!m_m->IsConnected());
        QVERIFY(!m_m->IsComInitilazied());
        QCOMPARE(m_host->count("end"), 1);
    }

    // The run reaches its count whether the interface's first packet byte stays the same or
    // counts the packets.
    void runReachesItsCountWhateverThePacketsFirstByte_data()
    {
        QTest::addColumn<bool>("counting");
        QTest::newRow("constant") << false;
        QTest::newRow("counting") << true;
    }
    void runReachesItsCountWhateverThePacketsFirstByte()
    {
        QFETCH(bool, counting);
        QVERIFY(m_sim->invoke([&] { m_device->setFirstByteCounting(counting); }));
        QVERIFY(detect());
        m_host->m_setupSamples = 30;
        m_m->ExecuteHalvorenCmd(CmdRun);
        QVERIFY(waitFor([&] { return m_host->count("end") >= 1; }, 6000));
        const QList<QVector<double>> rows = m_host->rows();
        QCOMPARE(rows.size(), 30);
        for (int i = 0; i < rows.size(); ++i) QCOMPARE(rows.at(i).at(0), double(100 + i));
        QCOMPARE(m_host->count("end"), 1);
    }

    void packetOutsideARequestedRunIsDropped()
    {
        QVERIFY(detect());
        // Bytes that look like a data packet, though no run was asked for.
        QByteArray fake = hex("3db709");
        fake.append(QByteArray(29, '\x01'));
        m_sim->inject(fake);
        QThread::msleep(300);
        QCOMPARE(m_host->rows().size(), 0);
        QCOMPARE(m_host->m_entries.load(), 0);
        QVERIFY(!m_m->IsRunning());
        // A real run afterwards is whole.
        m_host->m_setupSamples = 5;
        m_m->ExecuteHalvorenCmd(CmdRun);
        QVERIFY(waitFor([&] { return m_host->count("end") >= 1; }, 6000));
        QCOMPARE(m_host->rows().size(), 5);
        QCOMPARE(m_host->rows().at(0).at(0), 100.0);
    }

    void silentInterfaceEndsTheRunAsAnUnplug()
    {
        QVERIFY(detect());
        std::atomic<int> removed{0};
        // Counted where it is raised (the reader thread), read here through the atomic.
        connect(m_ports.get(), &IPortEnumerator::deviceRemoved, this, [&] { ++removed; }, Qt::DirectConnection);
        m_host->m_setupSamples = 89;
        m_m->ExecuteHalvorenCmd(CmdRun);
        QVERIFY(waitFor([&] { return m_host->rows().size() >= 5; }, 5000));
        QThread::msleep(1000);
        QCOMPARE(removed.load(), 0);
        m_sim->setSilent(true);
        QVERIFY(waitFor([&] { return removed.load() == 1; }, 8000));
        // The unplug handling closes the interface; the run ends with what arrived.
        const int stored = m_host->rows().size();
        m_m->CloseLogger(true);
        QCOMPARE(m_host->rows().size(), stored);
        QCOMPARE(m_host->count("end"), 1);
        QThread::msleep(200);
        QCOMPARE(removed.load(), 1);
        disconnect(m_ports.get(), nullptr, this, nullptr);
    }

    // A packet lost on the way leaves the run's count out of reach. The interface still
    // answers, so the run ends as a normal end with what it stored, and the next run works.
    void lostPacketEndsTheRunNormally()
    {
        QVERIFY(detect());
        std::atomic<int> removed{0};
        connect(m_ports.get(), &IPortEnumerator::deviceRemoved, this, [&] { ++removed; }, Qt::DirectConnection);
        QVERIFY(m_sim->invoke([&] { m_device->setPacketIntervalMs(30); }));
        m_host->m_setupSamples = 20;
        m_m->ExecuteHalvorenCmd(CmdRun);
        QVERIFY(waitFor([&] { return m_host->rows().size() >= 5; }, 5000));
        m_sim->dropReplies(1);
        QVERIFY(waitFor([&] { return m_host->count("end") >= 1; }, 9000));
        QCOMPARE(m_host->rows().size(), 19);
        QVERIFY(!m_m->IsRunning());
        QVERIFY(m_m->IsConnected());
        QCOMPARE(removed.load(), 0);
        m_host->m_setupSamples = 5;
        m_m->ExecuteHalvorenCmd(CmdRun);
        QVERIFY(waitFor([&] { return m_host->count("end") >= 2; }, 6000));
        QCOMPARE(m_host->m_entries.load(), 2);
        QCOMPARE(m_host->rows().size(), 24);
        QCOMPARE(m_host->rows().last().at(0), 104.0);
        QCOMPARE(removed.load(), 0);
        disconnect(m_ports.get(), nullptr, this, nullptr);
    }

    void portNumbers()
    {
        QCOMPARE(CDravletManager::PortNumberOf(QStringLiteral("com12")), 12);
        QCOMPARE(CDravletManager::PortNumberOf(QStringLiteral("/dev/pts/5")), 0);
        QCOMPARE(CDravletManager::PortNumberOf(QString()), 0);
        QCOMPARE(CDravletManager::PortNumberOf(QStringLiteral("comcom3")), 3);
    }

    void tablesThroughTheInterface()
    {
        ILogger* l = m_m.get();
        QCOMPARE(l->GetLoggerRateCode(15, 2), 10);
        QCOMPARE(l->GetUiRateCode(10), 15);
        QCOMPARE(l->GetMaxRate(2), 5000);
        QCOMPARE(l->GetNumberOfSamples(static_cast<unsigned char>(16)), 89);
        QCOMPARE(l->GetNumberOfSamplesCode(300), 3);
        const ExperimentInterval e = l->GetExperimentInterval(15, 4);
        QCOMPARE(e.m_PeriodSec, 1.0 / 2500);
        QCOMPARE(e.m_PeriodDisplay, 0.4);
        QCOMPARE(int(e.m_UnitCode), 0);
        QCOMPARE(l->GetExperimentInterval(12, 1).m_PeriodSec, 0.001);
        QCOMPARE(l->GetExperimentInterval(15, 9).m_PeriodSec, 1.0);
        QCOMPARE(l->GetExperimentInterval(6, 1).m_UnitCode, short(1));
    }
};

KORVANTA_TEST_MAIN(TestDravletManager)
#include "tst_dravlet_manager.moc"

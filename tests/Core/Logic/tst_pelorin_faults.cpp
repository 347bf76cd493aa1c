// The Pelorin logger under link faults, end to end against the simulated logger: lost and
// repeated replies, a logger that falls silent, a port that dies while still listed.
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/Globals.h"
#include "support/PelorinRig.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include "common/TestMain.h"

namespace {

const QString kNewData = QStringLiteral("NewData");
const QString kEnd = QStringLiteral("ExperimentEnd");
const QString kLost = QStringLiteral("Disconnected");

QList<QVector<double>> RunValues(CLogicManager& logic, int folder)
{
    QList<QVector<double>> out;
    CDataFolder* f = logic.m_DataManager.GetDataFolderByIndex(folder);
    for (int i = 0; f && i < f->GetNumberBranches(); ++i) {
        CDataBranch* b = logic.m_DataManager.GetDataBranch(f->GetBranchKey(i));
        QVector<double> ys;
        for (int s = 0; b && s < b->GetNumSamples(); ++s)
            ys << b->GetYSample(s);
        out << ys;
    }
    return out;
}

// Waits until the simulator has logged `count` host frames; the time it took, or -1.
qint64 FrameSeenAfter(const kvsim::CLoggerSimulator& sim, int count, const QElapsedTimer& clock, int timeoutMs)
{
    while (clock.elapsed() < timeoutMs) {
        if (sim.frameCount() >= count)
            return clock.elapsed();
        QTest::qWait(5);
    }
    return -1;
}

} // namespace

class TestPelorinFaults : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<CPelorinRig> rig;

    void startConnected()
    {
        rig = std::make_unique<CPelorinRig>();
        QVERIFY(rig->StartConnectedWithTwoSensors());
    }

    void runToEnd(int rateCode, int samples, int ends)
    {
        rig->Setup().m_RateCode = rateCode;
        rig->Setup().m_NumberOfSamples = samples;
        emit rig->Hub().UserStartedRun();
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(kEnd), ends, 8000);
    }

private slots:
    void cleanup() { rig.reset(); }

    void nextCommandLeavesSoonAfterTheLastResend()
    {
        startConnected();
        rig->Setup().m_RateCode = 10;
        rig->Setup().m_NumberOfSamples = 100;
        rig->m_Sim->setSilent(true);
        rig->m_Sim->clearLog();
        QElapsedTimer clock;
        clock.start();
        emit rig->Hub().UserStartedRun();
        rig->m_pLogic->SendStatusReqCmd(rig->Logger(), true);
        // Four writes of the unanswered Run, 1800 ms apart; then the status 100 ms later, not
        // after a fifth wait.
        const qint64 lastRun = FrameSeenAfter(*rig->m_Sim, 4, clock, 9000);
        QVERIFY(lastRun > 0);
        const qint64 status = FrameSeenAfter(*rig->m_Sim, 5, clock, 12000);
        QVERIFY(status > 0);
        const QList<QByteArray> frames = rig->m_Sim->frames();
        for (int i = 0; i < 4; ++i)
            QCOMPARE(quint8(frames[i][3]), quint8(0x01));
        QCOMPARE(quint8(frames[4][3]), quint8(0x04));
        QVERIFY2(status - lastRun < 1000, qPrintable(QString::number(status - lastRun)));
    }

    void repeatedRunAcknowledgementStartsOneRun()
    {
        startConnected();
        // The acknowledgement comes twice, both before the first data packet.
        rig->m_Sim->duplicateReplies(1);
        runToEnd(12, 100, 1);
        QTest::qWait(300);
        QCOMPARE(rig->m_Recorder->Count(QStringLiteral("StartedRun")), 1);
        QCOMPARE(rig->m_pLogic->m_DataManager.GetNumDataFolders(), 1);
        QCOMPARE(rig->m_Recorder->Count(kNewData), 100);
    }

    void repeatedDataPacketIsStoredOnce()
    {
        // Packets of many samples, whose readings still differ from one sample to the next.
        const int rateCode = 13;
        const int samples = 3000;
        startConnected();
        runToEnd(rateCode, samples, 1);
        const QList<QVector<double>> clean = RunValues(*rig->m_pLogic, 0);
        QCOMPARE(clean.size(), 2);
        QCOMPARE(clean[0].size(), samples);

        // The same run again, with one data packet in its middle delivered twice.
        rig->Setup().m_NumberOfSamples = samples;
        emit rig->Hub().UserStartedRun();
        QTRY_VERIFY_WITH_TIMEOUT(rig->m_Recorder->Count(kNewData) >= samples + samples / 3, 8000);
        rig->m_Sim->duplicateReplies(1);
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(kEnd), 2, 8000);
        QTest::qWait(300);
        QCOMPARE(rig->m_Recorder->Count(kEnd), 2);
        QCOMPARE(rig->m_pLogic->m_DataManager.GetNumDataFolders(), 2);
        QCOMPARE(RunValues(*rig->m_pLogic, 1), clean);
    }

    // Lost packets leave gaps (missing values) in their places: every later sample keeps its
    // true time.
    void lostPacketsKeepTheTimeOfLaterSamples_data()
    {
        QTest::addColumn<int>("lost");
        QTest::newRow("one packet") << 1;
        QTest::newRow("three packets") << 3;
    }
    void lostPacketsKeepTheTimeOfLaterSamples()
    {
        QFETCH(int, lost);
        const int samples = 1000;
        // Two pH inputs: their readings go through no filter, so a sample converts to the same
        // value wherever it arrives in the run.
        rig = std::make_unique<CPelorinRig>();
        QVERIFY(rig->Start() && rig->OnDevice([](kvsim::CPelorinDevice& d) {
            kvsim::CPelorinDevice::Sensor ph;
            ph.idLow = 22;
            ph.channel = 1;
            kvsim::CPelorinDevice::Sensor second = ph;
            second.channel = 2;
            d.setSensors({ph, second});
        }) && rig->PlugAndDetect() && rig->RequestStatus());
        rig->SelectReportedSensors(0);
        runToEnd(12, samples, 1);
        const QList<QVector<double>> clean = RunValues(*rig->m_pLogic, 0);
        rig->Setup().m_NumberOfSamples = samples;
        emit rig->Hub().UserStartedRun();
        QTRY_VERIFY_WITH_TIMEOUT(rig->m_Recorder->Count(kNewData) >= samples + 200, 8000);
        rig->m_Sim->dropReplies(lost);
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(kEnd), 2, 8000);
        QCOMPARE(rig->m_Recorder->Count(kLost), 0);
        const int packetRows = rig->Pelorin()->RecordCopy().runPacketSize;
        QVERIFY(packetRows > 1);
        CDataFolder* run = rig->m_pLogic->m_DataManager.GetDataFolderByIndex(1);
        QVERIFY(run);
        QCOMPARE(run->GetNumberBranches(), clean.size());
        for (int i = 0; i < run->GetNumberBranches(); ++i) {
            CDataBranch* b = rig->m_pLogic->m_DataManager.GetDataBranch(run->GetBranchKey(i));
            QCOMPARE(b->GetNumSamples(), samples);
            int gaps = 0;
            for (int s = 0; s < samples; ++s) {
                QCOMPARE(b->GetXSample(s), double(s));
                if (b->GetYSample(s) == MissingValue)
                    ++gaps;
                else
                    QCOMPARE(b->GetYSample(s), clean[i][s]);
            }
            QCOMPARE(gaps, lost * packetRows);
        }
    }

    void garbageWithAFrameHeadIsDropped()
    {
        startConnected();
        runToEnd(13, 3000, 1);
        const QList<QVector<double>> clean = RunValues(*rig->m_pLogic, 0);
        // Before one packet in the middle of the next run: a frame head with a header that
        // promises 32767 rows and runs into the real packet.
        rig->Setup().m_NumberOfSamples = 3000;
        emit rig->Hub().UserStartedRun();
        QTRY_VERIFY_WITH_TIMEOUT(rig->m_Recorder->Count(kNewData) >= 3000 + 1000, 8000);
        rig->m_Sim->setGarbagePrefix(QByteArray::fromHex("3db70709ffff"), 1);
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(kEnd), 2, 8000);
        QCOMPARE(RunValues(*rig->m_pLogic, 1), clean);
        QCOMPARE(rig->m_Recorder->Count(kLost), 0);
    }

    // A manual sample request written again because its acknowledgement came late or not at
    // all is answered by the logger twice; the user asked for one sample.
    void manualSampleAnsweredTwiceIsStoredOnce_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("late acknowledgement") << "late";
        QTest::newRow("acknowledgement lost") << "lost";
        QTest::newRow("replies repeated") << "repeated";
    }
    void manualSampleAnsweredTwiceIsStoredOnce()
    {
        QFETCH(QString, fault);
        startConnected();
        rig->Setup().m_RateCode = 0;
        emit rig->Hub().UserStartedRun();
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(kNewData), 1, 5000);
        QTest::qWait(300);

        rig->m_Sim->clearLog();
        if (fault == "late")
            rig->m_Sim->setReplyDelay(int(CPelorinManager::AckTimeoutMs) + 150);
        else if (fault == "lost")
            rig->m_Sim->dropReplies(1);
        else
            rig->m_Sim->duplicateReplies(2);
        rig->m_pLogic->SendManualSampleCmd(rig->Logger(), true);
        QTRY_VERIFY_WITH_TIMEOUT(rig->m_Recorder->Count(kNewData) >= 2, 5000);
        // Long enough for the answer to every resend to have arrived.
        QTest::qWait(1500);
        QCOMPARE(rig->m_Recorder->Count(kNewData), 2);
        if (fault != "repeated")
            QVERIFY2(rig->m_Sim->frameCount() >= 2, "the request was not written again");

        // The next request on a sound link gives its one sample.
        rig->m_Sim->setReplyDelay(0);
        rig->m_pLogic->SendManualSampleCmd(rig->Logger(), true);
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(kNewData), 3, 5000);
        QTest::qWait(500);
        QCOMPARE(rig->m_Recorder->Count(kNewData), 3);
        const QList<QVector<double>> values = RunValues(*rig->m_pLogic, 0);
        QCOMPARE(values.size(), 2);
        QCOMPARE(values[0].size(), 3);
        QCOMPARE(rig->m_pLogic->m_DataManager.GetNumDataFolders(), 1);
    }

    void silentLoggerEndsTheRunKeepingItsSamples()
    {
        startConnected();
        rig->Setup().m_RateCode = 10;  // 100 per second
        rig->Setup().m_NumberOfSamples = 5000;
        emit rig->Hub().UserStartedRun();
        QTRY_VERIFY_WITH_TIMEOUT(rig->m_Recorder->Count(kNewData) >= 30, 5000);
        rig->m_Sim->setSilent(true);
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(kEnd), 1, 8000);
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(kLost), 1, 3000);
        QVERIFY(!rig->m_pLogic->IsLoggerRunning());
        const QList<QVector<double>> values = RunValues(*rig->m_pLogic, 0);
        QCOMPARE(values.size(), 2);
        QCOMPARE(values[0].size(), rig->m_Recorder->Count(kNewData));
        QVERIFY(values[0].size() >= 30);
    }

    void closeLeavesTheBacklogToTheProcessor()
    {
        startConnected();
        rig->Setup().m_RateCode = 10;  // 100 per second, a packet each
        rig->Setup().m_NumberOfSamples = 5000;
        // Storage slower than the logger: a backlog builds up in the receive ring.
        rig->Pelorin()->SetStoreObserver([](qint64, int) { QThread::msleep(25); });
        emit rig->Hub().UserStartedRun();
        QTRY_VERIFY_WITH_TIMEOUT(rig->m_Recorder->Count(kNewData) >= 20, 5000);
        QTest::qWait(800);
        rig->m_Sim->setSilent(true);
        QTest::qWait(100);  // the reader has taken everything the logger sent
        qint64 sent = 0;
        QVERIFY(rig->m_Sim->invoke([&] { sent = rig->m_pDevice->samplesSent(); }));
        bool done = false;
        rig->Pelorin()->CloseLogger(true, [&done] { done = true; });
        // The caller is not held up by the backlog ...
        QVERIFY(rig->Pelorin()->IsClosing());
        QVERIFY(!done);
        QVERIFY(!rig->Logger()->IsConnected());
        // ... and nothing of it is lost.
        QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
        rig->Pelorin()->SetStoreObserver(nullptr);
        QVERIFY(!rig->Logger()->IsRunning());
        const QList<QVector<double>> values = RunValues(*rig->m_pLogic, 0);
        QCOMPARE(qint64(values[0].size()), sent);
    }

    void slowRunIsNotCutShort()
    {
        startConnected();
        rig->Setup().m_RateCode = 6;  // one sample every second
        rig->Setup().m_NumberOfSamples = 4;
        emit rig->Hub().UserStartedRun();
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(kEnd), 1, 9000);
        QCOMPARE(rig->m_Recorder->Count(kLost), 0);
        QCOMPARE(rig->m_Recorder->Count(kNewData), 4);
        QVERIFY(rig->m_pLogic->IsLoggerConnected());
    }

    void deadPortStillListedIsAnUnplug()
    {
        startConnected();
        rig->Setup().m_RateCode = 10;
        rig->Setup().m_NumberOfSamples = 5000;
        emit rig->Hub().UserStartedRun();
        QTRY_VERIFY_WITH_TIMEOUT(rig->m_Recorder->Count(kNewData) >= 20, 5000);
        // The cable is gone but the enumerator still lists the port: the failing read tells.
        rig->m_Sim->unplug();
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(kLost), 1, 2500);
        QCOMPARE(rig->m_Recorder->Count(kEnd), 1);
        QVERIFY(!rig->m_pLogic->IsLoggerConnected());
        const QList<QVector<double>> values = RunValues(*rig->m_pLogic, 0);
        QCOMPARE(values[0].size(), rig->m_Recorder->Count(kNewData));
        // The port poll's later report of the same port is no second unplug.
        rig->m_Ports.unplug(rig->DevicePort().portName);
        QTest::qWait(300);
        QCOMPARE(rig->m_Recorder->Count(kLost), 1);
        QCOMPARE(rig->m_Recorder->Count(kEnd), 1);
    }
};

KORVANTA_TEST_MAIN(TestPelorinFaults)
#include "tst_pelorin_faults.moc"

// The Pelorin logger end to end: the logic manager, the Pelorin manager's threads and the
// data store against the simulated logger over a pseudo-terminal.
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "support/PelorinRig.h"

#include <QSignalSpy>
#include "common/TestMain.h"

namespace {

using kvsim::CPelorinDevice;

const QString kNewData = QStringLiteral("NewData");
const QString kEnd = QStringLiteral("ExperimentEnd");

int HostFrames(const kvsim::CLoggerSimulator& sim, unsigned char opcode)
{
    int n = 0;
    for (const QByteArray& f : sim.frames())
        if (f.size() >= 4 && quint8(f[3]) == opcode)
            ++n;
    return n;
}

// Whether the simulated logger is running, read on the simulator's own thread.
bool DeviceRunning(CPelorinRig& rig)
{
    bool running = true;
    rig.OnDevice([&](kvsim::CPelorinDevice& d) { running = d.isRunning(); });
    return running;
}

// Samples stored in the branches of the run folder at index `folder`.
QList<CDataBranch*> RunBranches(CLogicManager& logic, int folder)
{
    QList<CDataBranch*> out;
    CDataFolder* f = logic.m_DataManager.GetDataFolderByIndex(folder);
    if (!f)
        return out;
    for (int i = 0; i < f->GetNumberBranches(); ++i)
        if (CDataBranch* b = logic.m_DataManager.GetDataBranch(f->GetBranchKey(i)))
            out << b;
    return out;
}

} // namespace

class TestPelorinEndToEnd : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<CPelorinRig> rig;

    void startConnected()
    {
        rig = std::make_unique<CPelorinRig>();
        QVERIFY(rig->StartConnectedWithTwoSensors());
    }

    // Checks a finished run: every row of the logger stored in order in each branch (a run
    // branch's X is the sample number).
    void checkRun(const QList<CDataBranch*>& branches, int samples)
    {
        QVERIFY(!branches.isEmpty());
        for (CDataBranch* b : branches) {
            QCOMPARE(b->GetNumSamples(), samples);
            for (int i = 0; i < samples; ++i)
                QVERIFY2(b->GetXSample(i) == double(i), qPrintable(QStringLiteral("x of sample %1").arg(i)));
        }
    }

private slots:
    void cleanup() { rig.reset(); }

    void detectsTheLoggerAndReadsItsSensors()
    {
        startConnected();
        ILogger* logger = rig->m_pLogic->GetActiveLogger();
        QVERIFY(logger == rig->Logger());
        QCOMPARE(logger->GetType(), 70.0);
        QCOMPARE(rig->m_pLogic->m_DetectedLoggerType.load(), 70.0);
        QVERIFY(!rig->m_pLogic->IsConnectedViaBlueThooth());
        // A device path holds no port number.
        QCOMPARE(logger->GetPortNumber(), 0);
        int v[6];
        logger->GetVersion(v[0], v[1], v[2], v[3], v[4], v[5]);
        QCOMPARE(v[0], 1);
        QCOMPARE(v[1], 9);
        const CCurrentLoggerStatus& status = rig->Setup().m_LoggerStatusList.first();
        QCOMPARE(status.m_SensorList, (QList<CLoggerChannel>{CLoggerChannel(1, 72), CLoggerChannel(2, 73)}));
        QCOMPARE(logger->GetNumberOfSensors(), 2);
    }

    void liveRunStoresEverySample()
    {
        startConnected();
        rig->Setup().m_RateCode = 13;          // 10000 per second
        rig->Setup().m_NumberOfSamples = 4000;
        emit rig->Hub().UserStartedRun();
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(kEnd), 1, 8000);
        QCOMPARE(rig->m_Recorder->Count(QStringLiteral("StartedRun")), 1);
        QCOMPARE(rig->m_Recorder->Count(kNewData), 4000);
        QCOMPARE(rig->m_pLogic->m_DataManager.GetNumDataFolders(), 1);
        const QList<CDataBranch*> branches = RunBranches(*rig->m_pLogic, 0);
        QCOMPARE(branches.size(), 2);
        checkRun(branches, 4000);
        // The humidity channel's raw values rise by one per sample (100 to 4095, then 0 on):
        // its converted values never fall until the raw value wraps, and they do rise.
        const CDataBranch* humidity = branches[1];
        for (int i = 1; i < 3996; ++i)
            QVERIFY2(humidity->GetYSample(i) >= humidity->GetYSample(i - 1), qPrintable(QString::number(i)));
        QVERIFY(humidity->GetYSample(3995) > humidity->GetYSample(0));
        QVERIFY(!rig->Logger()->IsRunning());
        QCOMPARE(rig->m_pLogic->m_RunCounter.load(), 1);
        // The end came after the last data announcement.
        QCOMPARE(rig->m_Recorder->m_Events.lastIndexOf(kEnd), rig->m_Recorder->m_Events.size() - 1);
    }

    void stopEndsTheRunEarly()
    {
        startConnected();
        rig->Setup().m_RateCode = 10;          // 100 per second
        rig->Setup().m_NumberOfSamples = 5000;
        emit rig->Hub().UserStartedRun();
        QTRY_VERIFY_WITH_TIMEOUT(rig->m_Recorder->Count(kNewData) >= 30, 5000);
        rig->m_pLogic->SendStopCmd(rig->m_pLogic->GetActiveLogger(), true);
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(kEnd), 1, 3000);
        QTRY_VERIFY(!DeviceRunning(*rig));
        QVERIFY(!rig->Logger()->IsRunning());
        const QList<CDataBranch*> branches = RunBranches(*rig->m_pLogic, 0);
        QCOMPARE(branches.size(), 2);
        const int stored = branches[0]->GetNumSamples();
        QVERIFY(stored >= 30 && stored < 5000);
        checkRun(branches, stored);
        QTest::qWait(200);
        QCOMPARE(branches[0]->GetNumSamples(), stored);
    }

    void unansweredRequestIsResentThreeTimes()
    {
        startConnected();
        rig->m_Sim->clearLog();
        rig->m_Sim->dropReplies(4);
        const int before = rig->m_Recorder->Count(QStringLiteral("StatusArrived"));
        rig->m_pLogic->SendStatusReqCmd(rig->Logger(), true);
        // Four writes 350 ms apart, then the sender gives up.
        QTRY_COMPARE_WITH_TIMEOUT(HostFrames(*rig->m_Sim, 0x04), 4, 3000);
        QTest::qWait(600);
        QCOMPARE(HostFrames(*rig->m_Sim, 0x04), 4);
        QCOMPARE(rig->m_Sim->repliesDropped(), 4);
        QCOMPARE(rig->m_Recorder->Count(QStringLiteral("StatusArrived")), before);
        // The next command goes out normally; one lost reply costs one resend.
        rig->m_Sim->clearLog();
        rig->m_Sim->dropReplies(1);
        rig->m_pLogic->SendStatusReqCmd(rig->Logger(), true);
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(QStringLiteral("StatusArrived")), before + 1, 3000);
        QCOMPARE(HostFrames(*rig->m_Sim, 0x04), 2);
    }

    void unplugMidRunKeepsTheSamplesAndRecovers()
    {
        startConnected();
        rig->Setup().m_RateCode = 10;
        rig->Setup().m_NumberOfSamples = 5000;
        emit rig->Hub().UserStartedRun();
        QTRY_VERIFY_WITH_TIMEOUT(rig->m_Recorder->Count(kNewData) >= 40, 5000);
        const QString port = rig->m_Sim->portName();
        rig->m_Sim->unplug();
        QVERIFY(rig->m_Ports.unplug(port));
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(QStringLiteral("Disconnected")), 1, 3000);
        QCOMPARE(rig->m_Recorder->Count(kEnd), 1);
        QVERIFY(rig->m_Recorder->m_Events.indexOf(kEnd) < rig->m_Recorder->m_Events.indexOf(QStringLiteral("Disconnected")));
        QVERIFY(!rig->m_pLogic->IsLoggerConnected());
        QVERIFY(!rig->m_pLogic->IsLoggerRunning());
        QVERIFY(rig->Setup().m_LoggerStatusList.first().m_SensorList.isEmpty());
        // Every sample that arrived is stored, in order, and stays.
        const QList<CDataBranch*> branches = RunBranches(*rig->m_pLogic, 0);
        QCOMPARE(branches.size(), 2);
        const int stored = branches[0]->GetNumSamples();
        QCOMPARE(stored, rig->m_Recorder->Count(kNewData));
        QVERIFY(stored >= 40);
        checkRun(branches, stored);
        QTest::qWait(200);
        QCOMPARE(branches[0]->GetNumSamples(), stored);

        // Plugged in again (under a new name), the logger is found and runs again.
        QVERIFY(rig->m_Sim->replug());
        QVERIFY(rig->PlugAndDetect());
        QVERIFY(rig->RequestStatus());
        rig->SelectReportedSensors(0);
        rig->Setup().m_RateCode = 12;
        rig->Setup().m_NumberOfSamples = 100;
        emit rig->Hub().UserStartedRun();
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(kEnd), 2, 5000);
        QCOMPARE(rig->m_pLogic->m_DataManager.GetNumDataFolders(), 2);
        checkRun(RunBranches(*rig->m_pLogic, 1), 100);
    }

    void downloadsAStoredRun()
    {
        startConnected();
        QVERIFY(rig->OnDevice([](CPelorinDevice& d) {
            CPelorinDevice::StoredRun run;
            run.rateWord = 10;     // 10 per second
            run.samples = 250;
            run.channels << QByteArray::fromHex("00028000") << QByteArray::fromHex("00038000");
            run.widths = {2, 2};
            d.setStoredRun(run);
        }));
        rig->m_pLogic->SendDownloadCmd(rig->Logger(), true);
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(QStringLiteral("DownloadFinished")), 1, 5000);
        QCOMPARE(rig->m_Recorder->Count(QStringLiteral("DownloadStarted")), 1);
        // Downloaded rows are stored without a new-data announcement for each.
        QCOMPARE(rig->m_Recorder->Count(kNewData), 0);
        QCOMPARE(rig->m_pLogic->m_DataManager.GetNumDataFolders(), 1);
        const QList<CDataBranch*> branches = RunBranches(*rig->m_pLogic, 0);
        QVERIFY(!branches.isEmpty());
        for (CDataBranch* b : branches)
            QCOMPARE(b->GetNumSamples(), 250);
        QVERIFY(!rig->Logger()->IsRunning());
        QCOMPARE(rig->Logger()->GetExpirmentType(), 2);
    }

    void downloadOfNothingSaysSo()
    {
        startConnected();
        QSignalSpy notices(&rig->Hub(), &CKorvantaSignals::GuiModallessMsg);
        rig->m_pLogic->SendDownloadCmd(rig->Logger(), true);
        const QString text = QStringLiteral("The logger holds no stored run to download.");
        QTRY_VERIFY_WITH_TIMEOUT(!notices.isEmpty() && notices.last().at(1).toString() == text, 3000);
        QCOMPARE(rig->m_Recorder->Count(QStringLiteral("DownloadStarted")), 0);
        QCOMPARE(rig->m_pLogic->m_DataManager.GetNumDataFolders(), 0);
    }

    void snapshotReportsOneReadingPerChannel()
    {
        startConnected();
        rig->m_pLogic->UserSnapshotRequest();
        QTRY_COMPARE_WITH_TIMEOUT(rig->m_Recorder->Count(QStringLiteral("SnapShot")), 1, 3000);
        // The simulated logger sends value index x 100 for the first sample of each channel.
        QCOMPARE(rig->Setup().m_LoggerStatusList.first().m_SnapshotList, (QList<int>{0, 100}));
        // A snapshot stores nothing.
        QCOMPARE(rig->m_pLogic->m_DataManager.GetNumDataFolders(), 0);
    }

    void timingRunStaysConnectedWhileTheLoggerAnswers()
    {
        startConnected();
        rig->m_Context.m_RunMode = 1;
        QSignalSpy lost(&rig->Hub(), &CKorvantaSignals::LoggerDisconnected);
        rig->m_Sim->clearLog();
        QElapsedTimer clock;
        clock.start();
        emit rig->Hub().UserStartedRun();
        QVERIFY(rig->m_pLogic->IsKeepAliveRunning());
        QTRY_VERIFY_WITH_TIMEOUT(HostFrames(*rig->m_Sim, 0x15) >= 4, 6000);
        // One keep-alive a second, each written once: its answer carries no acknowledgement,
        // so waiting for one would only resend it and hold up the commands behind it.
        QVERIFY2(clock.elapsed() >= 3500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(lost.count(), 0);
        QVERIFY(rig->m_pLogic->IsKeepAliveRunning());
        QCOMPARE(HostFrames(*rig->m_Sim, 0x0C), 1);
        rig->m_pLogic->SendStopCmd(rig->Logger(), true);
        QVERIFY(!rig->m_pLogic->IsKeepAliveRunning());
        QTRY_VERIFY(!DeviceRunning(*rig));
    }

    void silentLoggerEndsTheTimingRun()
    {
        startConnected();
        rig->m_Context.m_RunMode = 1;
        QSignalSpy lost(&rig->Hub(), &CKorvantaSignals::LoggerDisconnected);
        QSignalSpy message(&rig->Hub(), &CKorvantaSignals::GuiModallessMsg);
        emit rig->Hub().UserStartedRun();
        QTRY_VERIFY_WITH_TIMEOUT(HostFrames(*rig->m_Sim, 0x0C) == 1, 2000);
        rig->m_Sim->setSilent(true);
        QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 6000);
        QVERIFY(!rig->m_pLogic->IsKeepAliveRunning());
        QVERIFY(message.count() >= 1);
        QVERIFY(message.last().at(1).toString().startsWith(QStringLiteral("Logger is disconnected.")));
    }
};

KORVANTA_TEST_MAIN(TestPelorinEndToEnd)
#include "tst_pelorin_e2e.moc"

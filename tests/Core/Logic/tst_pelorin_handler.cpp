// The Pelorin protocol handler: frames in, requests out, and what reaches the data store and the
// hub for runs, packets, downloads, snapshots, timing events and the logger's own frames.
#include "Core/Logic/Pelorin/PelorinProtocolHandler.h"
#include "support/PelorinScriptHost.h"

#include "common/TestMain.h"

using namespace Pelorin;
using C = CPelorinTestCatalog;

namespace {

QByteArray Hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

class CCapturingHandler : public CPelorinProtocolHandler
{
public:
    QList<QByteArray> frames;
    CPelorinScriptHost host;

    CCapturingHandler() { SetHost(&host); }
    void Feed(const QByteArray& bytes)
    {
        WriteCycliceBuffer(bytes.size(), reinterpret_cast<const unsigned char*>(bytes.constData()));
        ProcessReceivedData();
    }
    void Command(unsigned char id)
    {
        CommandParametersStruct cmd(id);
        unsigned char unused = 0;
        SendCommandHandler(cmd, unused);
    }

protected:
    void WriteFrame(const QByteArray& frame) override { frames << frame; }
};

// Two sensors at positions 0 and 1: a 12-bit analogue one with the logger's calibration on
// channel 1 and a counter on 2.
void TwoSensorSetup(CPelorinScriptHost& h, int rate, int samples)
{
    h.setup.rateCode = rate;
    h.setup.numberOfSamples = samples;
    h.setup.selectedIndex = {C::Calibrated, C::Count};
    h.setup.selectedActive = {true, true};
    h.setup.statusSensors = {{1, C::Calibrated}, {2, C::Count}};
}

// The status reply that goes with it.
const char* kTwoSensorStatus = "3DB7 1C 04 00 00 000064 00000003 00 00000000 02 01 00 12 00 B2 83 02 00 21 00 00 00";

QByteArray Packet(quint32 number, int rows, const QByteArray& data)
{
    QByteArray f = Hex("3DB7 07 09");
    for (int i = 3; i >= 0; --i)
        f.append(char(number >> (8 * i)));
    f.append(char(rows >> 8));
    f.append(char(rows));
    return f + data;
}

} // namespace

class TestPelorinHandler : public QObject
{
    Q_OBJECT
private slots:
    void helloIdentifiesTheLogger()
    {
        CCapturingHandler h;
        h.Feed(Hex("3DB7 10 08 00 01 09 02 03 10 05 00012345 0ABC 0123"));
        QVERIFY(h.m_bConnected);
        QCOMPARE(h.m_LoggerType.load(), 70.0);
        QCOMPARE(int(h.m_DetectionState), 4);
        QCOMPARE(h.host.calls, QStringList({"identified 0", "signal EndDetection 1"}));
        QCOMPARE(h.CmdRecivedEventTokens(), 0);
        int v[6];
        h.Version(v[0], v[1], v[2], v[3], v[4], v[5]);
        QCOMPARE(QList<int>({v[0], v[1], v[2], v[3], v[4], v[5]}), QList<int>({1, 9, 0x10, 5, 2, 3}));
        CCapturingHandler boot;
        boot.Feed(Hex("3DB7 10 08 01 01 09 02 03 10 05 00012345 0ABC 0123"));
        QCOMPARE(int(boot.m_DetectionState), 6);
        QCOMPARE(boot.host.calls, QStringList({"identified 1"}));
    }
    void statusReplyReachesTheSetupAndAcknowledges()
    {
        CCapturingHandler h;
        h.Feed(Hex(kTwoSensorStatus));
        QCOMPARE(h.m_Logger.channelCount, 2);
        QCOMPARE(h.m_Logger.channels[1].catalogIndex, int(C::Count));
        QCOMPARE(h.host.calls, QStringList({"status to setup", "signal StatusArrived 1"}));
        QCOMPARE(h.CmdRecivedEventTokens(), 1);
        unsigned char list[32];
        QCOMPARE(h.LoggerSensorList(list), 2);
        QCOMPARE(int(list[0]), int(C::Calibrated));
        QCOMPARE(int(list[1]), int(C::Count));
    }
    void liveRunFromRequestToEnd()
    {
        CCapturingHandler h;
        TwoSensorSetup(h.host, 10, 3);
        h.Feed(Hex(kTwoSensorStatus));
        h.host.calls.clear();
        h.m_Logger.packetCounter = 5;
        h.Command(CmdRun);
        QCOMPARE(h.frames.size(), 1);
        QCOMPARE(h.frames[0], Hex("BC9E 14 01 00000064 00 000003 00 00 0000 0002 02 0100 0202"));
        QCOMPARE(h.m_Logger.packetCounter, 0);
        QCOMPARE(h.m_Logger.packetsExpected, 2);
        unsigned char pos[8];
        QCOMPARE(h.ActiveSensorListIndex(pos), 2);
        h.Feed(Hex("3DB7 01 01"));
        QCOMPARE(h.host.calls, QStringList({"entries 1", "count run 0", "init"}));
        QVERIFY(h.m_bRunning);
        h.host.calls.clear();
        // Rows of 2 + 4 bytes: a 12-bit value and a signed 32-bit count.
        h.Feed(Packet(1, 2, Hex("F123 00000007 0456 FFFFFFFE")));
        QCOMPARE(h.host.calls, QStringList({"store [433 7] at [0 1]", "store [1662 -2] at [0 1]",
                                            "signal NewDataArrived 0", "signal NewDataArrived 0"}));
        // The first channel's record takes the logger's gain 1.5 and offset -3.
        QCOMPARE(h.host.pairs[0][0], 1.5f);
        QCOMPARE(h.host.pairs[0][1], -3.0f);
        QVERIFY(h.m_bRunning);
        h.host.calls.clear();
        h.Feed(Packet(2, 1, Hex("0001 00000009")));
        QCOMPARE(h.host.calls, QStringList({"store [-1 9] at [0 1]", "signal NewDataArrived 0", "signal ExperimentEnd 0"}));
        QVERIFY(!h.m_bRunning);
        QCOMPARE(h.m_Logger.packetCounter, 0);
    }
    void runOf1001SamplesEndsAfterTheEleventhPacket()
    {
        CCapturingHandler h;
        h.host.setup.rateCode = 13;
        h.host.setup.numberOfSamples = 1001;
        h.host.setup.selectedIndex = {C::Wide, C::Wide, C::Wide, C::Wide};
        h.host.setup.selectedActive = {true, true, true, true};
        h.Command(CmdRun);
        QCOMPARE(int(h.m_Logger.samplesPerPacket), 100);
        QCOMPARE(h.m_Logger.packetsExpected, 11);
        h.Feed(Hex("3DB7 01 01"));
        const QByteArray row = Hex("0001 0002 0003 0004");
        for (int p = 1; p <= 10; ++p)
            h.Feed(Packet(quint32(p), 100, row.repeated(100)));
        QVERIFY(h.host.Calls("signal ExperimentEnd").isEmpty());
        QCOMPARE(h.host.Calls("store").size(), 1000);
        h.Feed(Packet(11, 1, row));
        QCOMPARE(h.host.Calls("signal ExperimentEnd").size(), 1);
        QCOMPARE(h.host.Calls("store").size(), 1001);
    }
    void triggeredRunStartsWithItsFirstPacket()
    {
        CCapturingHandler h;
        TwoSensorSetup(h.host, 10, 4);
        h.host.setup.triggerType = 1;
        h.host.setup.triggerPosition = 0;
        h.Feed(Hex(kTwoSensorStatus));
        h.Command(CmdRun);
        h.host.calls.clear();
        h.Feed(Hex("3DB7 01 01"));
        QVERIFY(h.host.Calls("entries").isEmpty());
        QVERIFY(!h.m_bRunning);
        h.Feed(Packet(1, 1, Hex("0100 00000001")));
        QCOMPARE(h.host.calls.mid(0, 3), QStringList({"entries 1", "count run 0", "init"}));
        QVERIFY(h.m_bRunning);
    }
    void manualSamplingStartsOnceAndAddsRows()
    {
        CCapturingHandler h;
        TwoSensorSetup(h.host, 0, -1);
        h.Feed(Hex(kTwoSensorStatus));
        h.Command(CmdRun);
        QCOMPARE(h.frames.last().mid(4, 4), Hex("00000000"));
        h.Feed(Hex("3DB7 01 01") + Packet(1, 1, Hex("0010 00000001")));
        h.Command(CmdManualSample);
        QCOMPARE(h.frames.size(), 2);
        h.Feed(Hex("3DB7 01 01") + Packet(2, 1, Hex("0020 00000002")));
        QCOMPARE(h.host.Calls("entries").size(), 1);
        QCOMPARE(h.host.Calls("store").size(), 2);
        QVERIFY(h.m_bRunning);
    }
    void snapshotFillsTheStatusAndStoresNothing()
    {
        CCapturingHandler h;
        TwoSensorSetup(h.host, 10, 3);
        h.Feed(Hex(kTwoSensorStatus));
        h.Command(CmdSnapshot);
        QCOMPARE(h.frames.last(), Hex("BC9E 14 07 000000000000000000000000 0001 02 0100 0200"));
        h.host.calls.clear();
        h.Feed(Hex("3DB7 01 07"));
        QVERIFY(h.m_bSnapShot);
        QCOMPARE(h.CmdRecivedEventTokens(), 1);
        h.Feed(Packet(0, 1, Hex("03E8 00000064")));
        QCOMPARE(h.host.snapshot, QList<int>({1497, 100}));
        QCOMPARE(h.host.calls, QStringList({"signal SnapShotArrived 0"}));
        QVERIFY(!h.m_bSnapShot);
    }
    void downloadOfAStoredRun()
    {
        CCapturingHandler h;
        h.host.setup.selectedIndex = {C::Analog};
        h.Command(CmdDownload);
        QCOMPARE(h.frames.last(), Hex("BC9E011200"));
        // 150 samples of two channels (ids 0x10 and 0x21: analogue and counter).
        h.Feed(Hex("3DB7 1B 12 00000000 00000096 00 00000A 00000096 02 00 10 80 00 00 21 80 00"));
        QCOMPARE(h.host.calls, QStringList({"downloaded 150", "entries 2", "count run 0", "init", "signal DownloadStarted 0"}));
        QVERIFY(h.m_bDownload);
        h.host.calls.clear();
        h.Feed(Packet(1, 100, Hex("0005 00000006").repeated(100)));
        QCOMPARE(h.host.calls.size(), 100);
        QCOMPARE(h.host.calls.first(), QStringLiteral("store [5 6] at [] download"));
        h.Feed(Packet(2, 50, Hex("0005 00000006").repeated(50)));
        QCOMPARE(h.host.calls.size(), 151);
        QCOMPARE(h.host.calls.last(), QStringLiteral("signal DownloadFinished 0"));
        QVERIFY(!h.m_bDownload);
        QVERIFY(!h.m_bRunning);
    }
    void emptyDownloadRaisesNothing()
    {
        CCapturingHandler h;
        h.Feed(Hex("3DB7 13 12 00000000 00000000 00 00000A 00000000 00"));
        QCOMPARE(h.host.calls, QStringList({"downloaded 0"}));
        QVERIFY(!h.m_bDownload);
        QCOMPARE(h.CmdRecivedEventTokens(), 1);
    }
    void stopAcknowledgementEndsTheRun()
    {
        CCapturingHandler h;
        h.m_bRunning = true;
        h.m_Logger.packetCounter = 4;
        h.Feed(Hex("3DB7 01 02"));
        QVERIFY(!h.m_bRunning);
        QCOMPARE(h.m_Logger.packetCounter, 0);
        QCOMPARE(h.host.calls, QStringList({"signal ExperimentEnd 0"}));
    }
    void stopRequestDropsAHalfReceivedPacket()
    {
        CCapturingHandler h;
        TwoSensorSetup(h.host, 10, 100);
        h.Feed(Hex(kTwoSensorStatus));
        h.Command(CmdRun);
        h.Feed(Hex("3DB7 01 01"));
        // Half a packet, then the user stops: the rest never comes.
        h.Feed(Packet(1, 10, Hex("0001 00000001 0002")));
        h.host.calls.clear();
        h.Command(CmdStop);
        QCOMPARE(h.frames.last(), Hex("BC9E010200"));
        h.Feed(Hex("3DB7 01 02"));
        QCOMPARE(h.host.calls, QStringList({"signal ExperimentEnd 0"}));
    }
    void lostRunAcknowledgementLosesNoData()
    {
        CCapturingHandler h;
        TwoSensorSetup(h.host, 10, 4);
        h.Feed(Hex(kTwoSensorStatus));
        h.Command(CmdRun);
        h.host.calls.clear();
        h.ResetCmdRecivedEvent();
        // The acknowledgement is lost; the first packet starts the run and answers the request.
        h.Feed(Packet(1, 2, Hex("0001 00000001 0002 00000002")));
        QCOMPARE(h.host.Calls("entries"), QStringList({"entries 1"}));
        QCOMPARE(h.CmdRecivedEventTokens(), 1);
        QCOMPARE(h.host.Calls("store").size(), 2);
        // The answer to the resent request neither restarts the run nor its packet count.
        h.Feed(Hex("3DB7 01 01"));
        QCOMPARE(h.host.Calls("entries").size(), 1);
        QCOMPARE(h.m_Logger.packetCounter, 1);
        h.Feed(Packet(2, 2, Hex("0003 00000003 0004 00000004")));
        QCOMPARE(h.host.Calls("signal ExperimentEnd").size(), 1);
    }
    void packetsAfterTheEndOfARunAreDropped()
    {
        CCapturingHandler h;
        TwoSensorSetup(h.host, 10, 100);
        h.Feed(Hex(kTwoSensorStatus));
        h.Command(CmdRun);
        h.Feed(Hex("3DB7 01 01") + Packet(1, 1, Hex("0001 00000001")) + Hex("3DB7 01 02"));
        h.host.calls.clear();
        h.Feed(Packet(2, 1, Hex("0002 00000002")));
        QVERIFY(h.host.calls.isEmpty());
        QCOMPARE(h.m_Logger.packetCounter, 0);
    }
    void storedRunEndedFetchesTheRun()
    {
        CCapturingHandler h;
        h.m_Logger.packetCounter = 7;
        h.Feed(Hex("3DB7 01 16"));
        QCOMPARE(h.host.calls, QStringList({"signal ExperimentEnd 0", "wait 3000"}));
        QCOMPARE(h.frames.last(), Hex("BC9E011200"));
        QCOMPARE(h.m_Logger.packetCounter, 0);
    }
    void timingRun()
    {
        CCapturingHandler h;
        h.host.setup.timingSecond = 0;
        h.host.setup.statusSensors = {{3, C::Gate}};
        h.m_ProtocolState.m_TimingEventCounter = -1;
        h.Command(CmdTimingRun);
        QCOMPARE(h.frames.last(), Hex("BC9E 0A 0C 00000000 01 03000800"));
        QCOMPARE(h.m_Logger.packetCounter, -1);
        h.host.timingResults = {-1.0, 1.0, 0.5};
        h.Feed(Hex("3DB7 01 0C"));
        QCOMPARE(h.host.calls, QStringList({"entries 3", "count run 1", "init", "timing -1 0 0"}));
        QCOMPARE(h.m_ExperimentType.load(), 3);
        h.host.calls.clear();
        h.Feed(Hex("3DB7 08 0D 03 00 00000F4240 3DB7 08 0D 03 01 00000FB770 3DB7 08 0D 43 00 01 00000000"));
        QCOMPARE(h.host.Calls("timing"), QStringList({"timing 3 1000000 0", "timing 3 1030000 1", "timing 3 4294967296 0"}));
        QCOMPARE(h.host.Calls("signal NewDataArrived").size(), 3);
        QCOMPARE(h.host.timingPoints, (QList<QPair<double, double>>{{0.0, 1.0}, {1.0, 0.5}}));
        // A second timing-start frame of the same run starts nothing.
        h.host.calls.clear();
        h.Feed(Hex("3DB7 01 0C"));
        QVERIFY(h.host.Calls("entries").isEmpty());
    }
    void timingEventsOutsideTheGateTableOrTooShort()
    {
        CCapturingHandler h;
        h.host.timingResults = {2.0, 2.0};
        // Gate 20 does not exist; a 3-byte event carries no time.
        h.Feed(Hex("3DB7 08 0D 14 00 00000F4240 3DB7 04 0D 01 00 00"));
        QVERIFY(h.host.Calls("timing").isEmpty());
        QVERIFY(h.host.timingPoints.isEmpty());
        // Without a run branch nothing is computed, but the windows still hear of the event.
        h.host.timingBranch = false;
        h.Feed(Hex("3DB7 08 0D 01 00 00000F4240"));
        QVERIFY(h.host.Calls("timing").isEmpty());
        QCOMPARE(h.host.Calls("signal NewDataArrived").size(), 1);
        // A result that is not finite is not stored.
        h.host.timingBranch = true;
        h.host.timingResults = {qInf()};
        h.Feed(Hex("3DB7 08 0D 01 00 00000F4240"));
        QVERIFY(h.host.timingPoints.isEmpty());
    }
    void acknowledgementEventHoldsOneToken()
    {
        CCapturingHandler h;
        h.Feed(Hex("3DB7 01 01 3DB7 01 06"));
        QCOMPARE(h.CmdRecivedEventTokens(), 1);
        QVERIFY(h.WaitforCmdRecivedEvent(0));
        QVERIFY(!h.WaitforCmdRecivedEvent(10));
        h.SignalCmdRecivedEvent();
        h.ResetCmdRecivedEvent();
        QVERIFY(!h.WaitforCmdRecivedEvent(0));
        // Replies that acknowledge nothing leave the event alone.
        h.Feed(Hex("3DB7 02 15 01 3DB7 01 42 3DB7 01 0B 3DB7 10 08 00 01 09 02 03 10 05 00012345 0ABC 0123"));
        QCOMPARE(h.CmdRecivedEventTokens(), 0);
        QCOMPARE(h.host.Calls("keep-alive").size(), 1);
        QCOMPARE(int(h.m_Logger.keepAliveByte), 1);
    }
    void shutdownAnnouncement()
    {
        CCapturingHandler h;
        h.Feed(Hex("3DB7 01 14"));
        QCOMPARE(h.host.calls, QStringList({"stop setup timers", "signal ShutDown 0"}));
        CCapturingHandler bt;
        bt.m_bBluetooth = true;
        bt.Feed(Hex("3DB7 01 14"));
        QCOMPARE(bt.host.calls, QStringList({"removal '' 0483 5740", "stop setup timers", "signal ShutDown 0"}));
    }
    void commandsAndTheirFrames()
    {
        CCapturingHandler h;
        h.host.setup.idWriteChannel = 2;
        h.host.setup.idWriteCatalogIndex = 1;
        for (unsigned char id : {CmdStatus, CmdKeepAlive, CmdGoodbye, CmdUploadFirmware, CmdWriteSensorId,
                                 CmdSetCalibration, CmdGetNotes, CmdSetup, CmdLogClear})
            h.Command(id);
        QCOMPARE(h.frames, (QList<QByteArray>{Hex("BC9E010400"), Hex("BC9E011500"), Hex("BC9E010B00"),
                                              Hex("BC9E01F000"), Hex("BC9E 05 42 01 02 00B5"), Hex("BC9E 02 40 00")}));
        h.frames.clear();
        h.Command(CmdHello);
        QCOMPARE(h.frames.size(), 1);
        QCOMPARE(h.frames[0].left(4), Hex("BC9E0808"));
        QCOMPARE(h.frames[0].size(), 11);
        // Requests that need the setup send nothing without one.
        h.host.hasSetup = false;
        h.frames.clear();
        h.Command(CmdRun);
        h.Command(CmdSnapshot);
        QVERIFY(h.frames.isEmpty());
    }
    void unknownStateOrGarbageNeverStalls()
    {
        CCapturingHandler h;
        QByteArray junk;
        for (int i = 0; i < 5000; ++i)
            junk.append(char((i * 37) & 0xFF));
        h.Feed(junk);
        h.ResetReceiveState();
        h.Feed(Hex("3DB7 01 01"));
        QVERIFY(h.CmdRecivedEventTokens() == 1);
        QCOMPARE(h.ReceiveState(), short(100));
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestPelorinHandler)
#include "tst_pelorin_handler.moc"

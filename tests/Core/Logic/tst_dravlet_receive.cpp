// The Dravlet receive machine fed scripted byte streams: synchronisation, split and garbled
// input, acknowledgements, handshake, status, data packets, triggers, relay, snapshots and
// timing values.
#include "common/TestMain.h"

#include "support/DravletTestHost.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Logic/Dravlet/DravletCoreHost.h"

#include <QSignalSpy>

namespace {

QByteArray hex(const char* t) { return QByteArray::fromHex(t); }
QByteArray frame(unsigned char opcode, const QByteArray& payload = QByteArray())
{
    QByteArray f;
    f.append(char(0x3D)).append(char(0xB7)).append(char(opcode)).append(payload);
    return f;
}

QByteArray handshake(int c1 = 4095, int c2 = 2047)
{
    QByteArray p(28, '\0');
    p[0] = 2; p[1] = 5; p[2] = 1; p[3] = 3;
    p[8] = char(c1 >> 8); p[9] = char(c1 & 0xFF);
    p[10] = char(c2 >> 8); p[11] = char(c2 & 0xFF);
    return QByteArray(1, '\0') + p;
}

// Status of an interface with `ids` plugged, at a logger rate, with a run length and trigger.
QByteArray status(QVector<int> ids, int loggerRate, int samples, int triggerByte = 0, int level = 0,
                  int method = 0, int gates = 1, bool autoDetect = true)
{
    QByteArray p(61, '\0');
    p[0] = char(autoDetect ? 1 : 0);
    for (int ch = 0; ch < 8; ++ch) {
        const int id = ch < ids.size() ? ids[ch] : 0xFFF;
        p[1 + 2 * ch] = char(id >> 8);
        p[2 + 2 * ch] = char(id & 0xFF);
    }
    const DravletRateInfo r = loggerRate == 10 ? CDravletProtocolTables::RateRecord(ids.size() - 1)
                                               : CDravletProtocolTables::RateRecord(14);
    p[17] = char(r.timerCount); p[18] = char(r.timerReload);
    p[19] = char(r.ticks >> 8); p[20] = char(r.ticks & 0xFF);
    p[22] = char(samples >> 8); p[23] = char(samples & 0xFF);
    p[24] = char(loggerRate);
    for (int ch = 0; ch < 8; ++ch) { p[29 + 2 * ch] = 0x08; p[30 + 2 * ch] = 0x00; }
    p[45] = char(method); p[46] = char(gates);
    p[49] = char(level >> 8); p[50] = char(level & 0xFF);
    p[51] = char(triggerByte);
    return p;
}

QByteArray analogPacket(QVector<int> readings)
{
    QByteArray p(29, '\0');
    int at = 1;
    for (int r : readings) {
        if (at + 2 > 29) break;
        p[at] = char((r >> 8) & 0x0F);
        p[at + 1] = char(r & 0xFF);
        at += 2;
    }
    return p;
}

QByteArray be32(quint32 v)
{
    QByteArray b(4, '\0');
    b[0] = char(v >> 24); b[1] = char((v >> 16) & 0xFF); b[2] = char((v >> 8) & 0xFF); b[3] = char(v & 0xFF);
    return b;
}

CDravletSensorTypes handTypes()
{
    CDravletSensorTypes t;
    t.SetType(5, {0x1000, 100, 120, true, 2048});
    t.SetType(6, {0x1000, 120, 140, true, 2048});
    return t;
}

DravletSetupView setupOf(int channels, int triggerChannel = -1, int level = -1)
{
    DravletSetupView s;
    s.numChannels = channels;
    for (int ch = 0; ch < channels; ++ch) {
        s.channels[ch] = {ch == 0 ? 5 : 6, true};
        s.activePositions[ch] = static_cast<unsigned char>(ch);
    }
    s.activeCount = channels;
    s.triggerChannel = triggerChannel;
    s.triggerLevel = level;
    return s;
}

struct Rig
{
    CDravletTestHost host;
    CCapturingDravletHandler h;
    CommandParametersStruct current;
    Rig()
    {
        h.SetHost(&host);
        h.SensorTypes() = handTypes();
        host.setSetup(setupOf(1));
    }
    void feed(const QByteArray& b) { h.feed(b, current); }
    void as(unsigned char id) { current = CommandParametersStruct(id); }
    // The sender's part of a run start: the Run frame goes out, then its acknowledgement.
    void startRun()
    {
        as(CmdRun);
        unsigned char reply = 0;
        h.SendCommandHandler(current, reply);
        feed(frame(0x01));
    }
    // Connected, status answered once, with the given status applied.
    void connect(const QByteArray& st)
    {
        feed(frame(0x08, handshake()));
        as(CmdStatus);
        feed(frame(0x04, st)); // the first answer only marks the status as answered
        feed(frame(0x04, st));
    }
};

} // namespace

class TestDravletReceive : public QObject
{
    Q_OBJECT

private slots:
    void synchronisesAfterGarbage()
    {
        Rig r;
        r.feed(hex("0102ffb73d3d") + QByteArray(1, char(0xB7)) + QByteArray(1, 0x08) + handshake());
        QVERIFY(r.h.m_bConnected);
        QCOMPARE(int(r.h.m_DetectionState), int(CDravletProtocolHandler::DetectFound));
        QCOMPARE(r.h.m_LoggerType.load(), 12.0);
        QCOMPARE(r.host.count("end-detection 1"), 1);
        QCOMPARE(r.host.count("identified"), 1);
        QCOMPARE(int(r.h.ReceiveState()), 15);
        QCOMPARE(int(r.h.ExpectedLength()), 1);
        // A second handshake while found does not announce the detection again.
        r.feed(frame(0x08, handshake()));
        QCOMPARE(r.host.count("end-detection 1"), 1);
        QCOMPARE(r.host.count("identified"), 2);
    }

    // Garbage with a data-packet head outside a run swallows the start of the real frame
    // behind it; the refused packet's bytes are hunted through again, so that frame is still
    // found.
    void refusedPacketIsHuntedThroughAgain_data()
    {
        QTest::addColumn<QByteArray>("garbage");
        QTest::addColumn<bool>("bytewise");
        QTest::newRow("whole") << hex("3db709") << false;
        QTest::newRow("byte by byte") << hex("3db709") << true;
        QTest::newRow("head twice") << hex("3db7093db709") << false;
    }
    void refusedPacketIsHuntedThroughAgain()
    {
        QFETCH(QByteArray, garbage);
        QFETCH(bool, bytewise);
        Rig r;
        const QByteArray all = garbage + frame(0x08, handshake());
        if (bytewise) {
            for (char c : all) r.feed(QByteArray(1, c));
        } else {
            r.feed(all);
        }
        QVERIFY(r.h.m_bConnected);
        QCOMPARE(r.host.count("end-detection 1"), 1);
        QVERIFY(r.host.rows().isEmpty());
        QCOMPARE(r.host.m_entries.load(), 0);
        QCOMPARE(int(r.h.ReceiveState()), 15);
        QCOMPARE(int(r.h.ExpectedLength()), 1);
        QCOMPARE(int(r.h.AvailableBytes()), 0);
    }

    void splitDeliveryByteByByte()
    {
        Rig r;
        const QByteArray all = frame(0x08, handshake(3000, 1000)) + frame(0x04, status({110}, 6, 89));
        r.as(CmdStatus);
        for (char c : all) r.feed(QByteArray(1, c));
        QVERIFY(r.h.m_bConnected);
        QCOMPARE(r.h.state().gain, 1.024);
        QVERIFY(r.h.m_bStatusAnswered);
    }

    void unknownOpcodesAreIgnored()
    {
        Rig r;
        r.as(CmdRun);
        r.feed(frame(0x05) + frame(0x0B) + frame(0x0D) + frame(0xF5));
        QCOMPARE(int(r.h.ReceiveState()), 15);
        QVERIFY(r.host.events().isEmpty());
        QVERIFY(!r.h.WaitforCmdRecivedEvent(0));
        // The machine still answers the next real frame.
        r.feed(frame(0x01));
        QVERIFY(r.h.WaitforCmdRecivedEvent(0));
    }

    void acknowledgementsMatchTheCurrentCommand()
    {
        Rig r;
        r.as(CmdStatus);
        r.feed(frame(0x01));
        QVERIFY(!r.h.WaitforCmdRecivedEvent(0));
        r.as(CmdRun);
        r.feed(frame(0x01) + frame(0x01));
        // Two acknowledgements leave a single permit.
        QVERIFY(r.h.WaitforCmdRecivedEvent(0));
        QVERIFY(!r.h.WaitforCmdRecivedEvent(0));
        QCOMPARE(r.h.PacketCounter(), qint64(-1));

        r.as(CmdManualSample);
        r.feed(frame(0x03, QByteArray(29, '\x3d')));
        QVERIFY(r.h.WaitforCmdRecivedEvent(0));
        QVERIFY(!r.h.WaitforCmdRecivedEvent(0));
        QVERIFY(!r.h.m_bSnapshotPending);
        QCOMPARE(int(r.h.AvailableBytes()), 0);

        r.as(CmdStop);
        r.h.m_bRunning = true;
        r.feed(frame(0x02));
        QVERIFY(r.h.WaitforCmdRecivedEvent(0));
        QVERIFY(!r.h.m_bRunning);
        QCOMPARE(r.host.count("end"), 1);

        r.as(CmdSetInputMode);
        r.current.SetByte(ParFlag, 1);
        r.feed(frame(0x0A));
        QVERIFY(r.h.WaitforCmdRecivedEvent(0));
        QVERIFY(r.h.IsAutoDetectFlag());
        r.h.ResetCmdRecivedEvent();
        r.h.SignalCmdRecivedEvent();
        r.h.ResetCmdRecivedEvent();
        QVERIFY(!r.h.WaitforCmdRecivedEvent(0));
    }

    void setupAcknowledgementsLeadToTheStatus()
    {
        Rig r;
        r.feed(frame(0x08, handshake()));
        r.h.m_bStatusAnswered = true;
        // Setup-1 acknowledged while another command is current: no acknowledgement, but the
        // status behind it is still read.
        r.as(CmdStatus);
        r.feed(frame(0x06, status({110}, 6, 100)));
        QCOMPARE(r.host.count("status 1"), 1);
        QVERIFY(r.h.WaitforCmdRecivedEvent(0)); // from the status answer itself
        QCOMPARE(r.h.state().numberOfSamples, 100);

        r.as(CmdDravletSetup1);
        r.feed(frame(0x06, status({110}, 6, 200)));
        QVERIFY(r.h.WaitforCmdRecivedEvent(0));
        QCOMPARE(r.host.count("status 0"), 1);
        QCOMPARE(r.h.state().numberOfSamples, 100); // not parsed for setup 1

        r.as(CmdDravletSetup2);
        r.feed(frame(0x07, status({110}, 6, 300)));
        QVERIFY(r.h.WaitforCmdRecivedEvent(0));
        QCOMPARE(r.host.count("status 0"), 2);
        QCOMPARE(r.h.state().numberOfSamples, 300);
        QCOMPARE(r.host.count("update-setup"), 1);
    }

    void firstStatusOnlyMarksTheAnswer()
    {
        Rig r;
        r.as(CmdStatus);
        r.feed(frame(0x04, status({110}, 6, 50)));
        QVERIFY(r.h.m_bStatusAnswered);
        QVERIFY(r.host.events().isEmpty());
        QCOMPARE(r.h.state().sensorCount, 0);
        r.feed(frame(0x04, status({110}, 6, 50)));
        QCOMPARE(r.h.state().sensorCount, 1);
        QCOMPARE(r.host.count("status 1"), 1);
    }

    void liveRunStoresAndStopsOnTheCount()
    {
        Rig r;
        r.connect(status({110}, 6, 3));
        r.startRun();
        for (int i = 0; i < 12; ++i) r.feed(frame(0x09, analogPacket({100 + i})));
        QCOMPARE(r.host.m_entries, 1);
        QCOMPARE(r.host.rows().size(), 3);
        QCOMPARE(r.host.rows().at(2).at(0), 102.0);
        // Run end announced once (on the packet that completed the run)...
        QCOMPARE(r.host.count("end"), 1);
        QVERIFY(!r.h.m_bRunning);
        // ...and exactly nine stop requests, one per packet from there on.
        QCOMPARE(r.h.sentCount(hex("bc9e0200")), 9);
        QCOMPARE(r.host.newData(), 3);
    }

    // The answer to a handshake the search repeated may come after the run began: the run goes
    // on in its folder to its count.
    void lateHandshakeLeavesTheRunWhole()
    {
        Rig r;
        r.connect(status({110}, 6, 5));
        r.startRun();
        for (int i = 0; i < 2; ++i) r.feed(frame(0x09, analogPacket({100 + i})));
        r.feed(frame(0x08, handshake()));
        for (int i = 2; i < 5; ++i) r.feed(frame(0x09, analogPacket({100 + i})));
        QCOMPARE(r.host.m_entries, 1);
        QCOMPARE(r.host.rows().size(), 5);
        QCOMPARE(r.host.rows().at(4).at(0), 104.0);
        QCOMPARE(r.host.count("end"), 1);
    }

    void noLimitRunNeverStops()
    {
        Rig r;
        r.connect(status({110}, 6, 89));
        r.as(CmdRun);
        r.feed(frame(0x01));
        for (int i = 0; i < 120; ++i) r.feed(frame(0x09, analogPacket({i})));
        QCOMPARE(r.host.rows().size(), 120);
        QCOMPARE(r.h.sentCount(hex("bc9e0200")), 0);
        QVERIFY(r.h.m_bRunning);
    }

    void zeroSamplesMeansNoLimit()
    {
        // Zero already lets every sample through the per-sample check; the end-of-run check
        // must agree instead of ending the run on its first packet.
        Rig r;
        r.connect(status({110}, 6, 0));
        r.startRun();
        for (int i = 0; i < 20; ++i) r.feed(frame(0x09, analogPacket({i})));
        QCOMPARE(r.host.rows().size(), 20);
        QCOMPARE(r.h.sentCount(hex("bc9e0200")), 0);
        QCOMPARE(r.host.count("end"), 0);
    }

    void fastestRateCarriesSevenSamplesOfTwoChannels()
    {
        Rig r;
        r.host.setSetup(setupOf(2));
        r.connect(status({110, 130}, 10, 89));
        r.as(CmdRun);
        r.feed(frame(0x01));
        r.feed(frame(0x09, analogPacket({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14})));
        QCOMPARE(r.host.rows().size(), 7);
        QCOMPARE(r.host.rows().at(6), (QVector<double>{13, 14}));
        QCOMPARE(r.host.newData(), 1);
    }

    void rowsFollowTheActivePositions()
    {
        Rig r;
        DravletSetupView s = setupOf(2);
        s.activeCount = 1;
        s.activePositions[0] = 1; // only the second channel is active
        r.host.setSetup(s);
        r.connect(status({110, 130}, 6, 89));
        r.as(CmdRun);
        r.feed(frame(0x01));
        r.feed(frame(0x09, analogPacket({111, 222})));
        QCOMPARE(r.host.rows().at(0), QVector<double>{222});
        QCOMPARE(r.host.m_positions, QVector<int>{1});
    }

    void levelTriggerWaitsThenStoresTheFiringPacket()
    {
        Rig r;
        r.host.setSetup(setupOf(1, 0, 2000));
        r.connect(status({110}, 6, 89, 0x10));
        r.as(CmdRun);
        r.feed(frame(0x01));
        r.feed(frame(0x09, analogPacket({1000})) + frame(0x09, analogPacket({1999})));
        QCOMPARE(r.host.m_entries, 0);
        QVERIFY(r.host.rows().isEmpty());
        r.feed(frame(0x09, analogPacket({2500})) + frame(0x09, analogPacket({10})));
        QCOMPARE(r.host.m_entries, 1);
        QCOMPARE(r.host.rows().size(), 2);
        QCOMPARE(r.host.rows().at(0).at(0), 2500.0);

        Rig below;
        below.host.setSetup(setupOf(1, 0, 2000));
        below.connect(status({110}, 6, 89, 0x20));
        below.as(CmdRun);
        below.feed(frame(0x01) + frame(0x09, analogPacket({2500})));
        QCOMPARE(below.host.m_entries, 0);
        below.feed(frame(0x09, analogPacket({1500})));
        QCOMPARE(below.host.m_entries, 1);
    }

    void manualPressShortOfTheLevelNamesTheChosenKind_data()
    {
        QTest::addColumn<int>("chosen");    // 1 above, 2 below
        QTest::addColumn<bool>("falls");    // a falling calibration: the interface is sent the other kind
        QTest::addColumn<QString>("word");
        QTest::newRow("above") << 1 << false << "above";
        QTest::newRow("below") << 2 << false << "below";
        QTest::newRow("above, falling calibration") << 1 << true << "above";
        QTest::newRow("below, falling calibration") << 2 << true << "below";
    }
    // A press of a run sampled by hand whose reading has not crossed the level yet takes no
    // sample; the notice names the kind the teacher chose, whatever the interface was sent.
    void manualPressShortOfTheLevelNamesTheChosenKind()
    {
        QFETCH(int, chosen);
        QFETCH(bool, falls);
        QFETCH(QString, word);
        const int raw = falls ? 3 - chosen : chosen;
        Rig r;
        DravletSetupView setup = setupOf(1, 0, 2000);
        setup.fromRecord = true;
        setup.triggerType = chosen;
        setup.rawTriggerType = raw;
        r.host.setSetup(setup);
        r.connect(status({110}, 0, 0, raw << 4));
        r.startRun();
        // Short of the level as the interface compares it: below it for "above", above for "below".
        r.feed(frame(0x09, analogPacket({raw == 1 ? 1000 : 2500})));
        QCOMPARE(r.host.m_entries, 0);
        QCOMPARE(r.host.count(QStringLiteral("press-before-trigger %1").arg(chosen)), 1);

        CKorvantaSignals hub;
        QSignalSpy shown(&hub, &CKorvantaSignals::GuiModallessMsg);
        RaiseDravletEvent(&hub, DravletEvent::PressBeforeTrigger, chosen);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.at(0).at(1).toString().startsWith(
                     QStringLiteral("No sample was taken: the reading is not %1 the trigger level yet.").arg(word)),
                 qPrintable(shown.at(0).at(1).toString()));
    }

    void triggerOnAChannelOutsideThePacketStartsAtOnce()
    {
        Rig r;
        r.host.setSetup(setupOf(1, 40, 2000));
        r.connect(status({110}, 6, 89, 0x10));
        r.as(CmdRun);
        r.feed(frame(0x01) + frame(0x09, analogPacket({5})));
        QCOMPARE(r.host.m_entries, 1);
    }

    void eventRecordingStopsOnACrossing()
    {
        Rig r;
        r.host.setSetup(setupOf(1, 0, 2000));
        r.connect(status({110}, 12, 0, 0x30));
        r.as(CmdRun);
        r.feed(frame(0x01) + frame(0x09, analogPacket({1500})));
        QCOMPARE(r.host.m_previous, 1500);
        QCOMPARE(r.h.sentCount(hex("bc9e0200")), 0);
        r.feed(frame(0x09, analogPacket({2600})));
        QCOMPARE(r.h.sentCount(hex("bc9e0200")), 1);
        QCOMPARE(r.host.m_previous, 2600);
        QCOMPARE(r.host.m_entries, 0); // event recording always waits
    }

    void controlRelayFollowsTheLevel()
    {
        Rig r;
        r.connect(status({110}, 6, 89, 0x40, 2000));
        r.as(CmdRun);
        r.feed(frame(0x01) + frame(0x09, analogPacket({1000})) + frame(0x09, analogPacket({2500})));
        QCOMPARE(r.h.sentCount(hex("bc9e0f10")), 1);
        QVERIFY(r.host.m_relay);
        r.feed(frame(0x09, analogPacket({2600})) + frame(0x09, analogPacket({1500})));
        QCOMPARE(r.h.sentCount(hex("bc9e0f10")), 1);
        QCOMPARE(r.h.sentCount(hex("bc9e1010")), 1);
        QVERIFY(!r.host.m_relay);
    }

    // A snapshot is the readings of the moment; the channels' zeros stay those of the status.
    void snapshotIsAReadingNotAZero()
    {
        Rig r;
        r.host.setSetup(setupOf(2));
        r.connect(status({110, 130}, 6, 89));
        const int zero = r.h.state().zeroConst[0];
        r.as(CmdSnapshot);
        r.feed(frame(0x03, QByteArray(29, '\0')) + frame(0x09, analogPacket({2100, 1990})));
        QCOMPARE(r.host.m_snapshot, (QVector<int>{2100, 1990}));
        QCOMPARE(r.h.state().zeroConst[0], zero);
        QVERIFY(zero != 2100);
        QCOMPARE(r.host.count("snapshot"), 1);
        QCOMPARE(r.host.m_entries, 0);
        QVERIFY(r.host.rows().isEmpty());
    }

    void timingValuesTwoGates()
    {
        Rig r;
        r.connect(status({110}, 6, 89, 0, 0, 11, 2));
        r.as(CmdTimingRun);
        r.h.ProtocolState()->m_TimingEventCounter = -1; // as the logic manager does
        unsigned char reply = 0;
        r.h.SendCommandHandler(r.current, reply);
        QCOMPARE(r.host.m_entries, 1);
        QCOMPARE(r.h.m_ExperimentKind.load(), 3);
        QCOMPARE(r.h.sentCount(hex("bc9e0c02")), 1);
        QCOMPARE(r.host.m_timingArgs.at(0).at(0), 255.0); // reset first
        r.feed(frame(0x0C));
        QVERIFY(r.h.WaitforCmdRecivedEvent(0));

        r.host.m_timingResults = {0.5, -2000.0, qInf()};
        r.feed(frame(0x11, be32(24000000) + be32(36000000) + be32(48000000) + be32(54000000)));
        const QVector<double> args = r.host.m_timingArgs.at(1);
        QCOMPARE(args, (QVector<double>{11, 0.5, 1.0, 0.25, 1.0, 1.5}));
        QCOMPARE(r.host.m_timingStored.size(), 1);
        QCOMPARE(r.host.m_timingStored.at(0), qMakePair(0.0, 0.5));
        // A missing-value marker and a division by zero are not stored, yet announced.
        r.feed(frame(0x11, QByteArray(16, '\0')) + frame(0x11, QByteArray(16, '\0')));
        QCOMPARE(r.host.m_timingStored.size(), 1);
        QCOMPARE(r.host.newData(), 3);
    }

    void timingValueOneGateAndWrappedCounts()
    {
        Rig r;
        r.connect(status({110}, 6, 89, 0, 0, 0, 1));
        r.as(CmdStatus);
        r.host.m_timingResults = {1.0};
        // The second count is the smaller: the time is negative, not 178 seconds.
        r.feed(frame(0x11, be32(24000000) + be32(0)));
        QCOMPARE(r.host.m_timingArgs.at(0).at(1), -1.0);
        QCOMPARE(int(r.h.ReceiveState()), 15);
        // Without a run folder nothing is computed.
        r.host.m_hasTimingBranch = false;
        r.feed(frame(0x11, be32(0) + be32(1)));
        QCOMPARE(r.host.m_timingArgs.size(), 1);
        QCOMPARE(r.host.newData(), 2);
    }

    void pendulumStoresPeriodsOnly()
    {
        Rig r;
        r.connect(status({110}, 6, 89, 0, 0, 20, 1));
        r.as(CmdStatus);
        // The first passage and the half swing answer -1; the third passage closes a period.
        r.host.m_timingResults = {-1.0, -1.0, 2.0};
        const QByteArray passage = frame(0x11, be32(0) + be32(1));
        r.feed(passage + passage + passage);
        QCOMPARE(r.host.m_timingStored, (QList<QPair<double, double>>{qMakePair(0.0, 2.0)}));
        QCOMPARE(r.host.newData(), 3);
    }

    void bootLoaderHandshake()
    {
        Rig r;
        r.feed(frame(0x08, QByteArray(1, char(1))));
        QVERIFY(r.h.m_bBootLoaderMode);
        QVERIFY(r.h.m_bConnected);
        QCOMPARE(int(r.h.m_DetectionState), int(CDravletProtocolHandler::DetectBootLoader));
        QCOMPARE(r.host.count("firmware"), 1);
        QCOMPARE(r.host.count("end-detection 1"), 0);
    }

    void packetLostToAClosedLinkEndsTheRun()
    {
        Rig r;
        r.connect(status({110}, 6, 89));
        r.as(CmdRun);
        r.feed(frame(0x01) + frame(0x09, analogPacket({1})));
        r.feed(frame(0x09) + QByteArray(10, '\0'));
        QCOMPARE(int(r.h.ReceiveState()), 21);
        r.h.ClearCyclicCBuffer();
        r.h.DataReceivedHandler(r.current);
        QVERIFY(!r.h.m_bRunning);
        QCOMPARE(r.host.count("end"), 1);
        QCOMPARE(r.host.count("last"), 1);
        QCOMPARE(int(r.h.ReceiveState()), 15);
    }

    void commandRecordsToFrames()
    {
        Rig r;
        unsigned char reply = 0;
        auto send = [&](unsigned char id) {
            CommandParametersStruct c(id);
            r.h.SendCommandHandler(c, reply);
            return c;
        };
        send(CmdStatus);
        send(CmdRun);
        send(CmdSnapshot);
        send(CmdManualSample);
        QCOMPARE(r.h.m_sent, (QList<QByteArray>{hex("bc9e0400"), hex("bc9e0100"), hex("bc9e0300"), hex("bc9e0300")}));
        QVERIFY(r.h.m_bRunStart);
        r.h.m_sent.clear();
        CommandParametersStruct fw(CmdUploadFirmware);
        fw.SetWord(46, 0x1234);
        r.h.m_bFirmwareBusy = true;
        r.h.SendCommandHandler(fw, reply);
        QCOMPARE(int(fw.GetWord(46)), 0);
        QVERIFY(!r.h.m_bFirmwareBusy);
        send(CmdDownload);
        send(CmdKeepAlive);
        QVERIFY(r.h.m_sent.isEmpty());
        send(CmdDravletSetup1);
        send(CmdDravletSetup2);
        QCOMPARE(r.h.m_sent.size(), 2);
        QCOMPARE(r.h.m_sent.at(0).size(), 31);
        QCOMPARE(r.h.m_sent.at(1).size(), 10);
        send(CmdStop);
        QCOMPARE(r.h.m_sent.last(), hex("bc9e0200"));
        QCOMPARE(r.host.count("end"), 1);
        QVERIFY(r.h.MsSinceStop() >= 0);
    }

    void firmwareRepliesAdvanceTheRecord()
    {
        Rig r;
        r.as(CmdUploadFirmware);
        r.current.SetByte(ParFirmwareFirst, 1);
        r.current.SetWord(46, 10);
        r.feed(frame(0xF1));
        QCOMPARE(int(r.current.GetByte(ParFirmwareFirst)), 2);
        QCOMPARE(int(r.current.GetWord(48)), 10);
        r.current.SetWord(46, 5);
        r.feed(frame(0xF2));
        QCOMPARE(int(r.current.GetByte(ParFirmwareFirst)), 3);
        QCOMPARE(int(r.current.GetWord(48)), 15);
        r.current.SetWord(46, 1);
        r.current.SetWord(ParFirmwareBlock, 64);
        r.feed(frame(0xF3, hex("00100040")));
        QCOMPARE(int(r.current.GetWord(ParFirmwareBlock)), 128);
        QCOMPARE(int(r.current.GetByte(ParFirmwareFirst)), 1);
        QVERIFY(r.h.m_bFirmwareBusy);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestDravletReceive)
#include "tst_dravlet_receive.moc"

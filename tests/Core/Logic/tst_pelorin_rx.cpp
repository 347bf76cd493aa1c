// The Pelorin receive state machine fed scripted byte streams.
#include "Core/Logic/Pelorin/PelorinRxMachine.h"

#include "common/TestMain.h"

using namespace Pelorin;

namespace {

QByteArray Hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

// Writes every event as a short text.
class CRecordingSink : public IRxSink
{
public:
    QStringList events;
    int rowBytes = 4;
    int channels = 2;

    void Add(const char* what, const unsigned char* p = nullptr, int n = -1)
    {
        QString s = QString::fromLatin1(what);
        if (n >= 0)
            s += QLatin1Char(':') + QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(p), n).toHex());
        events << s;
    }
    void OnHello(const unsigned char* p, int n) override { Add("hello", p, n); }
    void OnStatus(const unsigned char* p, int n) override { Add("status", p, n); }
    void OnKeepAlive(const unsigned char* p, int n) override { Add("keepalive", p, n); }
    void OnRunAck() override { Add("run"); }
    void OnStopAck() override { Add("stop"); }
    void OnShutdown() override { Add("shutdown"); }
    void OnGoodbyeAck() override { Add("goodbye"); }
    void OnDownloadReply(const unsigned char* p, int n) override { Add("download", p, n); }
    void OnCalibrationSet() override { Add("calibration"); }
    void OnSnapshotAck() override { Add("snapshot"); }
    void OnRangeSet() override { Add("range"); }
    void OnSensorIdWritten() override { Add("sensorid"); }
    void OnTimingStart() override { Add("timingstart"); }
    void OnTimingEvent(const unsigned char* p, int n) override { Add("event", p, n); }
    void OnStoredRunEnded() override { Add("storedend"); }
    void OnBootEntered() override { Add("bootentered"); }
    void OnBootReady() override { Add("bootready"); }
    void OnBootBlockAck(const unsigned char* p, int n) override { Add("bootblock", p, n); }
    void OnBootFinished(const unsigned char* p, int n) override { Add("bootfinished", p, n); }
    int DataRowBytes(int& c) override
    {
        c = channels;
        return rowBytes;
    }
    void OnDataHeader(const unsigned char* h) override { Add("header", h, 6); }
    void OnDataBlock(const unsigned char* p, int rows) override
    {
        Add("rows", p, rows * rowBytes);
    }
    // Headers of more rows than this are refused (-1: every header is taken).
    int maxRows = -1;
    bool AcceptDataHeader(const unsigned char* h, int lengthByte) override
    {
        return maxRows < 0 || (lengthByte == 7 && ((h[4] << 8) | h[5]) <= maxRows);
    }
    void OnAcknowledge() override { Add("ack"); }
    void OnBadFrame(const char*) override { Add("bad"); }
};

struct Rig
{
    CPelorinArraySource source;
    CRecordingSink sink;
    CPelorinRxMachine machine;

    QStringList Feed(const QByteArray& bytes)
    {
        source.Append(bytes);
        machine.Run(source, sink);
        return sink.events;
    }
};

}  // namespace

class TestPelorinRx : public QObject
{
    Q_OBJECT
private slots:
    void strayBytesBeforeAndInsideTheHead()
    {
        Rig r;
        r.Feed(Hex("00 3D 11 B7 04 04"));
        QCOMPARE(int(r.machine.state()), int(CPelorinRxMachine::StatusReply));
        QCOMPARE(r.machine.expected(), qint64(3));
        QCOMPARE(r.source.expected(), qint64(3));
        QVERIFY(r.sink.events.isEmpty());
        QCOMPARE(r.Feed(Hex("AA BB CC")), QStringList({"status:aabbcc", "ack"}));
        QCOMPARE(int(r.machine.state()), int(CPelorinRxMachine::Sync0));
    }
    void stopAcknowledgementNeedsNoPayload()
    {
        Rig r;
        QCOMPARE(r.Feed(Hex("3D B7 01 02")), QStringList({"stop", "ack"}));
        // Even when the length byte claims a payload.
        Rig r2;
        QCOMPARE(r2.Feed(Hex("3D B7 05 02")), QStringList({"stop", "ack"}));
    }
    void keepAliveReadsOneByteWhateverTheLength()
    {
        Rig r;
        QCOMPARE(r.Feed(Hex("3D B7 05 15 2A 3D B7 01 01")), QStringList({"keepalive:2a", "run", "ack"}));
    }
    void ignoredOpcodeThenRunAck()
    {
        Rig r;
        QCOMPARE(r.Feed(Hex("3D B7 01 03 3D B7 01 01")), QStringList({"run", "ack"}));
        // An ignored opcode with a payload length leaves no stale payload count: the machine hunts
        // for the next head, skipping the unknown frame's payload.
        Rig r2;
        r2.Feed(Hex("3D B7 09 03"));
        QCOMPARE(int(r2.machine.state()), int(CPelorinRxMachine::Sync0));
        QCOMPARE(r2.machine.expected(), qint64(1));
        QCOMPARE(r2.Feed(Hex("01 02 03 3D B7 01 01")), QStringList({"run", "ack"}));
        // An odd number of stray bytes after a head does not shift the following frames.
        Rig r3;
        QCOMPARE(r3.Feed(Hex("3D B7 01 03 01 3D B7 01 01")), QStringList({"run", "ack"}));
        Rig r4;
        QCOMPARE(r4.Feed(Hex("3D B7 00 FF 3D 3D B7 01 01")), QStringList({"run", "ack"}));
    }
    void strayHeadPairResynchronises()
    {
        Rig r;
        QCOMPARE(r.Feed(Hex("3D B7 3D B7 01 02")), QStringList({"stop", "ack"}));
        Rig r2;
        QCOMPARE(r2.Feed(Hex("3D B7 3D B7 3D B7 3D B7 01 0B")), QStringList({"goodbye"}));
    }
    void framesSplitAtEveryByte()
    {
        Rig r;
        const QByteArray stream = Hex("3D B7 04 04 01 02 03 3D B7 01 01 3D B7 01 06");
        for (char c : stream)
            r.Feed(QByteArray(1, c));
        QCOMPARE(r.sink.events, QStringList({"status:010203", "ack", "run", "ack", "range", "ack"}));
    }
    void repeatedAcknowledgements()
    {
        Rig r;
        QCOMPARE(r.Feed(Hex("3D B7 01 01 3D B7 01 01 3D B7 01 07 3D B7 01 40")),
                 QStringList({"run", "ack", "run", "ack", "snapshot", "ack", "calibration", "ack"}));
    }
    void repliesWithoutAcknowledgement()
    {
        Rig r;
        QCOMPARE(r.Feed(Hex("3D B7 01 42 3D B7 01 0B 3D B7 01 14 3D B7 03 08 01 02")),
                 QStringList({"sensorid", "goodbye", "shutdown", "hello:0102"}));
    }
    void zeroLengthByteIsABadFrame()
    {
        Rig r;
        QCOMPARE(r.Feed(Hex("3D B7 00 04 3D B7 01 01")), QStringList({"bad", "run", "ack"}));
        Rig r2;
        QCOMPARE(r2.Feed(Hex("3D B7 00 12 3D B7 01 12 3D B7 01 01")), QStringList({"bad", "bad", "run", "ack"}));
    }
    void zeroLengthPayloads()
    {
        Rig r;
        QCOMPARE(r.Feed(Hex("3D B7 01 04 3D B7 01 08 3D B7 02 12 3D B7 01 0D")),
                 QStringList({"status:", "ack", "hello:", "download:", "ack", "event:"}));
        QCOMPARE(int(r.machine.state()), int(CPelorinRxMachine::Sync0));
    }
    void dataPacketSizedByRowWidth()
    {
        Rig r;
        r.sink.rowBytes = 6;
        QCOMPARE(r.Feed(Hex("3D B7 07 09 00000005 0002")), QStringList({"header:000000050002"}));
        QCOMPARE(r.machine.expected(), qint64(12));
        r.Feed(Hex("0102 03040506 0708 090A0B0C"));
        QCOMPARE(r.sink.events.last(), QStringLiteral("rows:0102030405060708090a0b0c"));
        QCOMPARE(int(r.machine.state()), int(CPelorinRxMachine::Sync0));
        // A packet of no rows is complete at its header.
        r.sink.events.clear();
        QCOMPARE(r.Feed(Hex("3D B7 07 09 00000006 0000")), QStringList({"header:000000060000", "rows:"}));
    }
    void absurdDataPacketsAreRefused()
    {
        Rig r;
        r.sink.rowBytes = 8;
        QCOMPARE(r.Feed(Hex("3D B7 07 09 00000001 FFFF 3D B7 01 01")), QStringList({"bad", "run", "ack"}));
        r.sink.events.clear();
        r.sink.rowBytes = 0;
        QCOMPARE(r.Feed(Hex("3D B7 07 09 00000001 0003 3D B7 01 02")), QStringList({"bad", "stop", "ack"}));
        r.sink.events.clear();
        r.sink.rowBytes = 66;
        r.sink.channels = 33;
        QCOMPARE(r.Feed(Hex("3D B7 07 09 00000001 0001 3D B7 01 02")), QStringList({"bad", "stop", "ack"}));
    }
    void storedRunEndedKeepsReadingHeaders()
    {
        Rig r;
        QCOMPARE(r.Feed(Hex("3D B7 01 16 3D B7 01 02")), QStringList({"storedend", "stop", "ack"}));
    }
    void timingFrames()
    {
        Rig r;
        QCOMPARE(r.Feed(Hex("3D B7 03 0C 00 00 3D B7 08 0D 03 01 0000000102")),
                 QStringList({"timingstart", "ack", "event:03010000000102"}));
    }
    void bootLoaderReplies()
    {
        Rig r;
        QCOMPARE(r.Feed(Hex("3D B7 01 F0 3D B7 01 F2 3D B7 03 F3 00 05 3D B7 02 F4 01")),
                 QStringList({"bootentered", "bootready", "bootblock:0005", "bootfinished:01"}));
    }
    void unknownStateReturnsToHunting()
    {
        Rig r;
        r.machine.ForceState(999);
        QCOMPARE(r.Feed(Hex("3D B7 01 01")), QStringList({"bad", "run", "ack"}));
    }
    void runStopsWithoutBytes()
    {
        Rig r;
        r.Feed(Hex("3D B7 10 04 01 02"));
        QCOMPARE(int(r.machine.state()), int(CPelorinRxMachine::StatusReply));
        // Nothing more arrives: a further run does nothing and returns.
        QCOMPARE(r.machine.Run(r.source, r.sink), 0);
        QVERIFY(!r.machine.Step(r.source, r.sink));
        QVERIFY(r.sink.events.isEmpty());
    }
    void refusedHeaderIsHuntedThroughAgain_data()
    {
        QTest::addColumn<QByteArray>("garbage");
        // A head whose header runs into the real packet's head.
        QTest::newRow("header over the next head") << Hex("3D B7 07 09 FF FF");
        // A plausible-looking head with a wrong length byte.
        QTest::newRow("length byte") << Hex("3D B7 08 09");
        // A length byte of 0 just before the real head.
        QTest::newRow("length 0") << Hex("3D B7 00 09");
    }
    void refusedHeaderIsHuntedThroughAgain()
    {
        QFETCH(QByteArray, garbage);
        Rig r;
        r.sink.maxRows = 2;
        const QByteArray packet = Hex("3D B7 07 09 00 00 00 01 00 01 0A 0B 0C 0D");
        // Whole, and one byte at a time.
        const QStringList events = r.Feed(garbage + packet);
        QCOMPARE(events.mid(events.size() - 2), QStringList({"header:000000010001", "rows:0a0b0c0d"}));
        QCOMPARE(events.count(QStringLiteral("header:000000010001")), 1);
        Rig bytewise;
        bytewise.sink.maxRows = 2;
        const QByteArray all = garbage + packet + Hex("3D B7 01 01");
        for (char c : all)
            bytewise.Feed(QByteArray(1, c));
        QCOMPARE(bytewise.sink.events.mid(bytewise.sink.events.size() - 4),
                 QStringList({"header:000000010001", "rows:0a0b0c0d", "run", "ack"}));
    }
    void resetGoesBackToHunting()
    {
        Rig r;
        r.Feed(Hex("3D B7 10 04 01 02"));
        r.machine.Reset(&r.source);
        QCOMPARE(int(r.machine.state()), int(CPelorinRxMachine::Sync0));
        QCOMPARE(r.source.expected(), qint64(1));
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestPelorinRx)
#include "tst_pelorin_rx.moc"

// Request frames, rate tables and reply parsers of the Dravlet interface, checked byte by byte
// against setups worked out by hand.
#include "common/TestMain.h"

#include <cmath>
#include <cstring>

#include "Core/Data/SensorInfo.h"
#include "Core/Logic/Dravlet/DravletFrames.h"
#include "Core/Logic/Dravlet/DravletReplies.h"

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

QByteArray bytes(const unsigned char* p, int n) { return QByteArray(reinterpret_cast<const char*>(p), n); }

// A small hand-made catalogue so that the expected words can be computed on paper.
CDravletSensorTypes handTypes()
{
    CDravletSensorTypes t;
    t.SetType(2, {0x1000, 160, 170, false, 2048});   // the shared window of ids 151..179
    t.SetType(5, {0x1000, 100, 120, true, 3000});    // word 0x1000 | 110 = 0x106E
    t.SetType(7, {0x1000, 150, 155, false, 0});      // would catch id 152 if it were not mapped
    t.SetType(38, {0x1000, 200, 211, true, 2000});   // word 0x1000 | 205 = 0x10CD
    t.SetType(40, {0x2000, 300, 310, false, 0});     // time
    t.SetType(41, {0x3000, 310, 320, false, 0});     // count
    t.SetType(42, {0x4000, 320, 330, false, 0});     // echo distance
    t.SetType(43, {0x5000, 330, 340, false, 0});     // a type the interface does not read
    return t;
}

struct Record
{
    unsigned char b[DravletFrames::s_CommandRecordLength] = {};
    void word(int at, int v)
    {
        b[at] = uint8_t(v & 0xFF);
        b[at + 1] = uint8_t((v >> 8) & 0xFF);
    }
};

Record setupRecord(int loggerRate, int samples, int triggerType = 0, int level = -1, int triggerChannel = -1)
{
    Record r;
    r.b[0] = 3;
    r.word(4, loggerRate);
    r.word(8, samples);
    r.word(10, triggerType);
    r.word(12, level);
    r.word(14, triggerChannel);
    return r;
}

QByteArray handshake(int c1, int c2)
{
    QByteArray p(28, '\0');
    p[0] = 2; p[1] = 5; p[2] = 1; p[3] = 3;
    p[8] = char((c1 >> 8) & 0xFF); p[9] = char(c1 & 0xFF);
    p[10] = char((c2 >> 8) & 0xFF); p[11] = char(c2 & 0xFF);
    return p;
}

} // namespace

class TestDravletFrames : public QObject
{
    Q_OBJECT

private slots:
    void constantFrames()
    {
        using namespace DravletFrames;
        QCOMPARE(bytes(DravletStatusString, 4), hex("bc9e0400"));
        QCOMPARE(bytes(DravletStopString, 4), hex("bc9e0200"));
        QCOMPARE(bytes(DravletRunString, 4), hex("bc9e0100"));
        QCOMPARE(bytes(DravletSnapshotString, 4), hex("bc9e0300"));
        QCOMPARE(bytes(DravletGoodByeString, 4), hex("bc9e0b00"));
        QCOMPARE(bytes(DravletBootloaderModeString, 4), hex("bc9ef000"));
    }

    void builtSmallFrames()
    {
        using namespace DravletFrames;
        QCOMPARE(DetectString(), hex("bc9e08"));
        QCOMPARE(AutoDetect(false), hex("bc9e0a00"));
        QCOMPARE(AutoDetect(true), hex("bc9e0a01"));
        QCOMPARE(TimingRun(1), hex("bc9e0c01"));
        QCOMPARE(TimingRun(2), hex("bc9e0c02"));
        QCOMPARE(TimingRun(0), hex("bc9e0c01"));
        QCOMPARE(TurnOnControlRelay(0), hex("bc9e0f10"));
        QCOMPARE(TurnOnControlRelay(3), hex("bc9e0f80"));
        QCOMPARE(TurnOffControlRelay(1), hex("bc9e1020"));
        QCOMPARE(TurnOffControlRelay(2), hex("bc9e1040"));
        // Only channels 0..3 have a relay bit; others must not shift past the byte.
        QVERIFY(TurnOnControlRelay(4).isEmpty());
        QVERIFY(TurnOffControlRelay(-1).isEmpty());
    }

    void rateCodeTables()
    {
        CDravletProtocolTables t;
        QCOMPARE(t.GetLoggerRateCode(14), 0);
        QCOMPARE(t.GetLoggerRateCode(15), 10);
        QCOMPARE(t.GetLoggerRateCode(13), 10);
        QCOMPARE(t.GetLoggerRateCode(2), 11);
        QCOMPARE(t.GetLoggerRateCode(16), 0);
        QCOMPARE(t.GetLoggerRateCode(-3), 0);
        QCOMPARE(t.GetUiRateCode(10), 15);
        QCOMPARE(t.GetUiRateCode(13), 9);
        QCOMPARE(t.GetUiRateCode(14), 0);
        QCOMPARE(t.GetUiRateCode(-1), 0);
        QCOMPARE(t.MaxRate(1), 10000);
        QCOMPARE(t.MaxRate(3), 3333);
        QCOMPARE(t.MaxRate(8), 1250);
        QCOMPARE(t.MaxRate(0), 1);
        QCOMPARE(t.MaxRate(9), 1);
    }

    void rateRecordLookups()
    {
        CDravletProtocolTables t;
        DravletRateInfo r = t.GetRateInfo(10, 2);
        QCOMPARE(int(r.timerReload), 23);
        QCOMPARE(int(r.samplesPerPacket), 7);
        QCOMPARE(t.m_CurrentRateInfo, r);
        // Fastest rate with an impossible channel count: the rate-6 record, current unchanged.
        r = t.GetRateInfo(10, 9);
        QCOMPARE(int(r.rateCode), 6);
        QCOMPARE(int(r.ticks), 4);
        QCOMPARE(int(t.m_CurrentRateInfo.timerReload), 23);
        r = t.GetRateInfo(6, 1); // rate code 8
        QCOMPARE(int(r.timerCount), 39);
        QCOMPARE(int(r.rateWord), 30208);
        t.UpdateRateInfo(255, 245, 40);
        QCOMPARE(int(t.m_CurrentRateInfo.rateCode), 5);
        t.UpdateRateInfo(1, 2, 3);
        QCOMPARE(int(t.m_CurrentRateInfo.rateCode), 10);
        QCOMPARE(int(t.m_CurrentRateInfo.timerCount), 9);
    }

    void setup1TwoSensors()
    {
        CDravletSensorTypes types = handTypes();
        CDravletProtocolTables tables;
        Record r = setupRecord(6, 500);
        const DravletFrames::ChannelSelection ch[3] = {{5, true}, {38, true}, {5, false}};
        const QByteArray f = DravletFrames::Setup1(r.b, false, ch, 3, types, tables);
        QCOMPARE(f.size(), 31);
        QCOMPARE(f, hex("bc9e0600" "106e10cd0fff0fff0fff0fff0fff0fff" "27f9000100" "01f4" "06" "000000"));
        QCOMPARE(int(r.b[2]), 2);
        QCOMPARE(int(tables.m_CurrentRateInfo.rateCode), 8);
    }

    void setup1FastRateAutoDetectAndEmptyChannel()
    {
        CDravletSensorTypes types = handTypes();
        CDravletProtocolTables tables;
        Record r = setupRecord(10, 89);
        // An active channel with catalogue index 0 counts for the rate but is described as empty.
        const DravletFrames::ChannelSelection ch[2] = {{0, true}, {38, true}};
        const QByteArray f = DravletFrames::Setup1(r.b, true, ch, 2, types, tables);
        QCOMPARE(f, hex("bc9e0601" "0fff10cd0fff0fff0fff0fff0fff0fff" "0117000107" "0059" "0a" "000000"));
        QCOMPARE(int(r.b[2]), 2);
    }

    void setup1RelayEventAndTiming()
    {
        CDravletSensorTypes types = handTypes();
        CDravletProtocolTables tables;
        const DravletFrames::ChannelSelection ch[1] = {{5, true}};

        Record relay = setupRecord(6, 100, 4, 10, 1);
        QByteArray f = DravletFrames::Setup1(relay.b, false, ch, 1, types, tables);
        QCOMPARE(f.mid(4, 16), hex("106e0fff0fff0fff0fff5fff0fff0fff"));

        Record event = setupRecord(6, 0, 3, 10, 0);
        f = DravletFrames::Setup1(event.b, false, ch, 1, types, tables);
        QCOMPARE(f.mid(20, 5), hex("fff5096000"));
        QCOMPARE(int(uint8_t(f[27])), 12);
        QCOMPARE(int(event.b[4]), 12);

        Record timing = setupRecord(6, 100);
        timing.b[50] = 1;
        const DravletFrames::ChannelSelection two[2] = {{5, true}, {38, true}};
        f = DravletFrames::Setup1(timing.b, false, two, 2, types, tables);
        QCOMPARE(f.mid(4, 6), hex("209b209b0fff"));
    }

    void setup1BoundsOnBadSelections()
    {
        CDravletSensorTypes types = handTypes();
        CDravletProtocolTables tables;
        Record r = setupRecord(6, 10);
        // Twelve selected entries and a catalogue index past the table: still 31 bytes, the
        // bad index reads as no sensor and only eight channels are described.
        DravletFrames::ChannelSelection ch[12];
        for (auto& c : ch) c = {5, true};
        ch[1].catalogueIndex = 500;
        const QByteArray f = DravletFrames::Setup1(r.b, false, ch, 12, types, tables);
        QCOMPARE(f.size(), 31);
        QCOMPARE(f.mid(4, 4), hex("106e0fff"));
        QCOMPARE(int(r.b[2]), 8);
        QCOMPARE(DravletFrames::Setup1(r.b, false, nullptr, 3, types, tables).size(), 31);
        // A window beyond twelve bits must not turn an analogue word into another kind.
        types.SetType(9, {0x1000, 5000, 5002, false, 0});
        QCOMPARE(int(types.SetupWord(9)), 0x1000 | (5001 & 0x0FFF));
    }

    void setup2Frames()
    {
        Record r = setupRecord(6, 100, 1, 0x0123, 2);
        int method = -1, gates = -1;
        QByteArray f = DravletFrames::Setup2(r.b, 1, 1, 3.7, 20.0, method, gates);
        QCOMPARE(f, hex("bc9e070b0203140123" "12"));
        QCOMPARE(method, 11);
        QCOMPARE(gates, 2);
        f = DravletFrames::Setup2(r.b, 0, 2, 0, 0, method, gates);
        QCOMPARE(method, 20);
        QCOMPARE(gates, 1);
        QCOMPARE(f.size(), 10);
        // The unset defaults and the one pair without a method fall back to method 0.
        DravletFrames::Setup2(r.b, -1, -1, 0, 0, method, gates);
        QCOMPARE(method, 0);
        DravletFrames::Setup2(r.b, 2, 2, 0, 0, method, gates);
        QCOMPARE(method, 0);
        QCOMPARE(gates, 1);
        // Parameters that are no byte are sent as 0.
        f = DravletFrames::Setup2(r.b, 2, 1, qQNaN(), 300.0, method, gates);
        QCOMPARE(method, 12);
        QCOMPARE(f.mid(5, 2), hex("0000"));
    }

    void handshakeGainAndOffset()
    {
        DravletInterfaceState s;
        QByteArray p = handshake(3000, 1000);
        QVERIFY(DravletReplies::ParseHandshake(reinterpret_cast<const unsigned char*>(p.constData()), 28, s));
        QCOMPARE(s.gain, 1.024);
        QCOMPARE(s.offset, 1023.0);
        QCOMPARE(3000 * s.gain + s.offset, 4095.0);
        QCOMPARE(s.firmwareVersion, 2.05);
        QCOMPARE(s.hardwareVersion, 1.03);
        QCOMPARE(s.loggerRateCode, 6);
        QVERIFY(s.calibrated);

        p = handshake(100, -100);
        QVERIFY(DravletReplies::ParseHandshake(reinterpret_cast<const unsigned char*>(p.constData()), 28, s));
        QCOMPARE(s.gain, 10.24);
        QCOMPARE(s.offset, 3071.0);
        QCOMPARE(-100 * s.gain + s.offset, 2047.0);
    }

    void handshakeEqualConstantsDoNotDivideByZero()
    {
        DravletInterfaceState s;
        const QByteArray p = handshake(500, 500);
        QVERIFY(DravletReplies::ParseHandshake(reinterpret_cast<const unsigned char*>(p.constData()), 28, s));
        QVERIFY(!s.calibrated);
        QCOMPARE(s.gain, 1.0);
        QCOMPARE(s.offset, 0.0);
        QVERIFY(!DravletReplies::ParseHandshake(reinterpret_cast<const unsigned char*>(p.constData()), 27, s));
    }

    void statusParsing()
    {
        CDravletSensorTypes types = handTypes();
        CDravletProtocolTables tables;
        DravletInterfaceState s;
        s.gain = 1.024;
        s.offset = 1023.0;
        QByteArray p(61, '\0');
        p[0] = 0x03;                            // auto-detect: bit 0 only
        p[1] = char(0xF0); p[2] = 0x6E;         // id 110 (high nibble ignored) -> index 5
        p[3] = 0x00; p[4] = char(152);          // id 152 -> middle of entry 2 -> index 2
        p[5] = 0x0F; p[6] = char(0xFF);         // no sensor: ends the scan
        p[7] = 0x00; p[8] = 0x6E;               // not read
        p[17] = 39; p[18] = char(249); p[19] = 0; p[20] = 1;
        p[22] = 0x01; p[23] = char(0xF4);
        p[24] = 6;
        p[29] = 0x07; p[30] = char(0xD0);       // 2000 -> 2048 + 1023 = 3071, near 3000
        p[31] = 0x01; p[32] = 0x00;
        p[45] = 11; p[46] = 2; p[47] = 3; p[48] = 20;
        p[49] = 0x08; p[50] = 0x00;
        p[51] = 0x41;
        QVERIFY(DravletReplies::ParseStatus(reinterpret_cast<const unsigned char*>(p.constData()), 61, types, tables, s));
        QVERIFY(s.autoDetect);
        QCOMPARE(s.sensorCount, 2);
        QCOMPARE(s.channelIndex[0], 5);
        QCOMPARE(s.channelIndex[1], 2);
        QCOMPARE(s.channelIndex[3], 0);
        QCOMPARE(s.numberOfSamples, 500);
        QCOMPARE(s.loggerRateCode, 6);
        QCOMPARE(int(tables.m_CurrentRateInfo.timerCount), 39);
        QCOMPARE(s.zeroConst[0], 3071);
        QCOMPARE(s.zeroConst[1], 2048);                 // type cannot be zeroed
        QCOMPARE(s.zeroConst[2], 0);
        QCOMPARE(s.timingMethod, 11);
        QCOMPARE(s.numberOfGates, 2);
        QCOMPARE(int(s.timingParameter[1]), 20);
        QCOMPARE(s.triggerLevel, 2048);
        QCOMPARE(s.triggerMode, 4);
        QCOMPARE(s.triggerChannel, 1);

        // A reading far from the type's default zero is not trusted.
        p[29] = 0x0A; p[30] = 0x00;                     // 2560 -> 2621 + 1023 = 3644
        QVERIFY(DravletReplies::ParseStatus(reinterpret_cast<const unsigned char*>(p.constData()), 61, types, tables, s));
        QCOMPARE(s.zeroConst[0], 3000);
    }

    void realCatalogueView()
    {
        CSensorInfo catalogue;
        catalogue.LoadSensorInfo();
        CDravletSensorTypes types;
        types.Load(catalogue);
        // Entry 1: analogue, window 86..104 -> word 0x1000 | 95.
        QCOMPARE(int(types.SetupWord(1)), 0x1000 | 95);
        QCOMPARE(types.IndexOfId(95), 1);
        QVERIFY(types.IndexOfId(104) != 1); // upper bound excluded
        // Entry 2 owns 151..178; its middle identifies it.
        QCOMPARE(types.IndexOfId((151 + 179) / 2), 2);
        QCOMPARE(types.Type(1).defaultZero, 2048);
        QVERIFY(types.Type(1).zeroAllowed);
        QCOMPARE(int(types.Type(25).interfaceWord), 0x4000);
        QCOMPARE(types.Type(0).idHigh, 0);
        QCOMPARE(types.IndexOfId(0xFFF), 0);
        QCOMPARE(&types.Type(149), &types.Type(0));
        QCOMPARE(&types.Type(-1), &types.Type(0));
    }

    void statusWithoutSensorsAndShortPackets()
    {
        CDravletSensorTypes types = handTypes();
        CDravletProtocolTables tables;
        DravletInterfaceState s;
        s.sensorCount = 3;
        QByteArray p(61, '\0');
        p[1] = 0x0F; p[2] = char(0xFF);
        p[3] = 0x00; p[4] = 0x6E;
        QVERIFY(DravletReplies::ParseStatus(reinterpret_cast<const unsigned char*>(p.constData()), 61, types, tables, s));
        QCOMPARE(s.sensorCount, 0);
        QCOMPARE(s.channelIndex[1], 0);

        // An id no window holds leaves that channel empty and ends the scan.
        p[1] = 0x00; p[2] = 0x05;
        QVERIFY(DravletReplies::ParseStatus(reinterpret_cast<const unsigned char*>(p.constData()), 61, types, tables, s));
        QCOMPARE(s.sensorCount, 0);

        s.sensorCount = 5;
        QVERIFY(!DravletReplies::ParseStatus(reinterpret_cast<const unsigned char*>(p.constData()), 60, types, tables, s));
        QCOMPARE(s.sensorCount, 5);
        QVERIFY(!DravletReplies::ParseStatus(nullptr, 61, types, tables, s));
    }
};

// The catalogue draws its icons, which needs a GUI application.
KORVANTA_TEST_MAIN(TestDravletFrames)
#include "tst_dravlet_frames.moc"

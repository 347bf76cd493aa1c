// Decoding of Dravlet data packets of every data kind, the packet boundary and the timing clock.
#include "common/TestMain.h"

#include "Core/Logic/Dravlet/DravletReplies.h"

namespace {

CDravletSensorTypes kinds()
{
    CDravletSensorTypes t;
    t.SetType(10, {0x1000, 100, 110, false, 0});
    t.SetType(11, {0x2000, 110, 120, false, 0});
    t.SetType(12, {0x3000, 120, 130, false, 0});
    t.SetType(13, {0x4000, 130, 140, false, 0});
    t.SetType(14, {0x5000, 140, 150, false, 0}); // not read by the interface
    return t;
}

DravletInterfaceState withChannels(std::initializer_list<int> indices)
{
    DravletInterfaceState s;
    int ch = 0;
    for (int i : indices) s.channelIndex[ch++] = i;
    s.sensorCount = ch;
    return s;
}

void put32(QByteArray& p, int at, uint32_t v)
{
    p[at] = char(v >> 24);
    p[at + 1] = char((v >> 16) & 0xFF);
    p[at + 2] = char((v >> 8) & 0xFF);
    p[at + 3] = char(v & 0xFF);
}

const unsigned char* u(const QByteArray& p) { return reinterpret_cast<const unsigned char*>(p.constData()); }

} // namespace

class TestDravletDecode : public QObject
{
    Q_OBJECT

private slots:
    void everyKindInOneSample()
    {
        const CDravletSensorTypes t = kinds();
        DravletInterfaceState s = withChannels({10, 14, 11, 12, 13});
        s.gain = 1.024;
        s.offset = 1023.0;
        QByteArray p(29, '\0');
        p[1] = char(0xF8); p[2] = 0x00;      // reading 0x800; the high nibble is not part of it
        put32(p, 3, 24000000u | 0x0Fu);      // one second; the low four bits are flags
        put32(p, 7, 0xFFFFFFFEu);            // count -2
        put32(p, 11, 12000000u);             // half a second of echo
        double v[32];
        for (double& x : v) x = -5.0;
        int pos = 1;
        QVERIFY(DravletData::DecodeSample(u(p), 29, pos, s, t, v));
        QCOMPARE(pos, 15);
        QCOMPARE(v[0], 3120.0);              // trunc(2048 * 1.024 + 1023)
        QCOMPARE(v[1], -5.0);                // unreadable type: value unchanged, no bytes used
        QCOMPARE(v[2], 1.0);
        QCOMPARE(v[3], -2.0);
        QCOMPARE(v[4], 85.5);                // 0.5 s * 0.5 * 342 m/s
        QCOMPARE(DravletData::SampleWidth(s, t), 14);
        // A second sample fits exactly; a third would run past the packet.
        QVERIFY(DravletData::DecodeSample(u(p), 29, pos, s, t, v));
        QCOMPARE(pos, 29);
        QVERIFY(!DravletData::DecodeSample(u(p), 29, pos, s, t, v));
        QCOMPARE(pos, 29);
    }

    void negativeTimeAndTruncation()
    {
        const CDravletSensorTypes t = kinds();
        DravletInterfaceState s = withChannels({11, 10});
        s.gain = 0.5;
        s.offset = -0.75;
        QByteArray p(29, '\0');
        put32(p, 1, 0xFE91CA00u);            // -24,000,000: minus one second
        p[5] = 0x00; p[6] = 0x03;            // 3 * 0.5 - 0.75 = 0.75 -> 0
        double v[32] = {};
        int pos = 1;
        QVERIFY(DravletData::DecodeSample(u(p), 29, pos, s, t, v));
        QCOMPARE(v[0], -1.0);
        QCOMPARE(v[1], 0.0);
        p[6] = 0x00;                         // -0.75 truncates toward zero
        pos = 1;
        QVERIFY(DravletData::DecodeSample(u(p), 29, pos, s, t, v));
        QCOMPARE(v[1], 0.0);
    }

    void wideChannelsStopAtThePacketBoundary()
    {
        CDravletSensorTypes t = kinds();
        // Eight 4-byte channels need 32 bytes; a packet has 28 after its first byte.
        DravletInterfaceState s = withChannels({12, 12, 12, 12, 12, 12, 12, 12});
        QByteArray p(29, char(0x01));
        double v[32] = {};
        int pos = 1;
        QVERIFY(!DravletData::DecodeSample(u(p), 29, pos, s, t, v));
        QCOMPARE(v[0], 0.0);
        // Seven fit exactly.
        s.sensorCount = 7;
        QVERIFY(DravletData::DecodeSample(u(p), 29, pos, s, t, v));
        QCOMPARE(pos, 29);
        QCOMPARE(v[6], double(0x01010101));
        // The fastest one-channel rate claims 13 samples; with a 4-byte channel only 7 fit.
        s = withChannels({12});
        DravletRateInfo fast = CDravletProtocolTables::RateRecord(0);
        const int perPacket = DravletData::SamplesPerPacket(10, fast);
        QCOMPARE(perPacket, 13);
        pos = 1;
        int decoded = 0;
        for (int k = 0; k < perPacket; ++k) {
            if (!DravletData::DecodeSample(u(p), 29, pos, s, t, v)) break;
            ++decoded;
        }
        QCOMPARE(decoded, 7);
    }

    void samplesPerPacketByRate()
    {
        QCOMPARE(DravletData::SamplesPerPacket(6, CDravletProtocolTables::RateRecord(0)), 1);
        QCOMPARE(DravletData::SamplesPerPacket(10, CDravletProtocolTables::RateRecord(1)), 7);
        QCOMPARE(DravletData::SamplesPerPacket(10, CDravletProtocolTables::RateRecord(9)), 0);
    }

    void sensorCountOutsideTheChannelsIsBounded()
    {
        const CDravletSensorTypes t = kinds();
        DravletInterfaceState s = withChannels({10});
        s.sensorCount = 40;                  // never more than eight channels are read
        s.channelIndex[1] = 9999;            // and a bad index reads as the empty entry
        QCOMPARE(DravletData::SampleWidth(s, t), 2);
        QByteArray p(29, '\0');
        double v[32] = {};
        int pos = 1;
        QVERIFY(DravletData::DecodeSample(u(p), 29, pos, s, t, v));
        QCOMPARE(pos, 3);
        s.sensorCount = -2;
        QCOMPARE(DravletData::SampleWidth(s, t), 0);
    }

    void timingClock()
    {
        QCOMPARE(DravletData::CountsToSeconds(24000000u), 1.0);
        QCOMPARE(DravletData::CountsToSeconds(0xFFFFFFFFu), 4294967295.0 / 24e6);
        QCOMPARE(DravletData::CountDifferenceSeconds(24001000u, 1000u), 1.0);
        // An earlier second count is a negative time, not four thousand million counts.
        QCOMPARE(DravletData::CountDifferenceSeconds(1000u, 24001000u), -1.0);
        QCOMPARE(DravletData::CountDifferenceSeconds(0u, 0xFFFFFFFFu), -4294967295.0 / 24e6);
        const unsigned char b[4] = {0x80, 0, 0, 0};
        QCOMPARE(DravletData::ReadU32(b), 0x80000000u);
        QCOMPARE(DravletData::ReadS32(b), int32_t(0x80000000u));
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestDravletDecode)
#include "tst_dravlet_decode.moc"

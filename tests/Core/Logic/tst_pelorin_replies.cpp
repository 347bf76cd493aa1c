// Reply payloads of the Pelorin logger and the decoding of data rows.
#include "Core/Logic/Pelorin/PelorinReplies.h"
#include "support/PelorinTestCatalog.h"

#include "common/TestMain.h"

using namespace Pelorin;
using C = CPelorinTestCatalog;

namespace {

QByteArray Hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }
const unsigned char* U(const QByteArray& a) { return reinterpret_cast<const unsigned char*>(a.constData()); }

}  // namespace

class TestPelorinReplies : public QObject
{
    Q_OBJECT
private slots:
    void gainAndOffsetBytes()
    {
        QCOMPARE(GainOfByte(0x85), 1.05f);
        QCOMPARE(GainOfByte(0xB2), 1.5f);
        QCOMPARE(GainOfByte(0x00), 0.0f);
        QCOMPARE(OffsetOfByte(0x83), -3.0f);
        QCOMPARE(OffsetOfByte(0x03), 3.0f);
        QCOMPARE(OffsetOfByte(0xFF), -127.0f);
    }
    void hello()
    {
        LoggerRecord r;
        const QByteArray p = Hex("00 01 02 03 10 05 06 11223344 F1 23 A4 56");
        QVERIFY(ParseHelloRes(U(p), p.size(), r));
        QVERIFY(!r.bootLoader);
        QCOMPARE(int(r.version[0]), 1);
        QCOMPARE(int(r.version[3]), 0x10);
        QCOMPARE(int(r.version[5]), 6);
        QCOMPARE(r.helloNumber, 0x11223344u);
        QCOMPARE(r.helloTwelveA, 0x123);
        QCOMPARE(r.helloTwelveB, 0x456);
        // A short reply fills what it carries and nothing else.
        LoggerRecord s;
        const QByteArray shortOne = Hex("01 07 08");
        QVERIFY(!ParseHelloRes(U(shortOne), shortOne.size(), s));
        QVERIFY(s.bootLoader);
        QCOMPARE(int(s.version[1]), 8);
        QCOMPARE(int(s.version[2]), 0);
        QCOMPARE(s.helloNumber, 0u);
        QVERIFY(!ParseHelloRes(nullptr, 20, s));
    }
    void statusWithPlainAndMultiRangeEntries()
    {
        C catalog;
        LoggerRecord r;
        const QByteArray p = Hex("00 01 000005 000003E8 07 00000000 02"
                                 "01 00 10 02 85 83"
                                 "02 01 01 00 00 00");
        QVERIFY(ParseStatusRes(U(p), p.size(), false, catalog, r));
        QCOMPARE(int(r.rateUnit), 1);
        QCOMPARE(r.rateCount, 5u);
        QCOMPARE(r.RateWord(), 0x01000005u);
        QCOMPARE(r.numberOfSamples, 1000);
        QCOMPARE(int(r.stateByte), 7);
        QCOMPARE(r.channelCount, 2);
        QCOMPARE(r.channels[0].channel, 1);
        QCOMPARE(r.channels[0].catalogIndex, int(C::Analog));
        QCOMPARE(r.channels[0].range, 2);
        QCOMPARE(r.channels[0].gain, 1.05f);
        QCOMPARE(r.channels[0].offset, -3.0f);
        QCOMPARE(r.channels[1].channel, 2);
        QCOMPARE(r.channels[1].catalogIndex, int(C::VoltB));
        QCOMPARE(r.channels[1].range, 4);
        QCOMPARE(r.channels[1].gain, 1.0f);
        QCOMPARE(r.channels[1].extraA, 1.0f);
    }
    void statusOfTwoSensorPlugAndUnknownIds()
    {
        C catalog;
        LoggerRecord r;
        // Plug 0x300 with both variant bits 0: oxygen and its temperature; then an id the
        // catalogue lacks, and a family the catalogue lacks (no entry at all).
        const QByteArray p = Hex("00 00 00000A 00000064 00 00000000 03"
                                 "04 03 00 00 00 00"
                                 "05 00 77 00 00 00"
                                 "06 0E 00 00 00 00");
        QVERIFY(ParseStatusRes(U(p), p.size(), false, catalog, r));
        QCOMPARE(r.channelCount, 3);
        QCOMPARE(r.channels[0].catalogIndex, int(C::Oxygen));
        QCOMPARE(r.channels[1].catalogIndex, int(C::OxygenTemp));
        QCOMPARE(r.channels[1].channel, 4);
        QCOMPARE(r.channels[2].catalogIndex, 0);
        QCOMPARE(r.channels[2].channel, 5);
    }
    void statusNegativeSamplesAndSkippedChannels()
    {
        C catalog;
        LoggerRecord r;
        const QByteArray p = Hex("00 02 000003 FFFFFFFF 00 00000000 02 03 00 10 00 00 00 06 00 10 00 00 00");
        QVERIFY(ParseStatusRes(U(p), p.size(), true, catalog, r));
        QCOMPARE(r.numberOfSamples, 500);
        QCOMPARE(r.RateWord(), 10u);
        QCOMPARE(r.channelCount, 1);
        QCOMPARE(r.channels[0].channel, 6);
    }
    void statusCountsAreCheckedAgainstBytesAndTable()
    {
        C catalog;
        LoggerRecord r;
        // The count byte says 32 but one entry arrived.
        QByteArray p = Hex("00 00 00000A 00000064 00 00000000 20 01 00 10 00 00 00");
        QVERIFY(!ParseStatusRes(U(p), p.size(), false, catalog, r));
        QCOMPARE(r.channelCount, 1);
        // 40 entries received: the table keeps 32.
        p = Hex("00 00 00000A 00000064 00 00000000 28");
        for (int i = 0; i < 40; ++i)
            p += Hex("01 00 10 00 00 00");
        QVERIFY(ParseStatusRes(U(p), p.size(), false, catalog, r));
        QCOMPARE(r.channelCount, kMaxChannels);
        // 20 two-sensor plugs expand to 40 entries: still 32.
        p = Hex("00 00 00000A 00000064 00 00000000 14");
        for (int i = 0; i < 20; ++i)
            p += Hex("04 03 00 00 00 00");
        ParseStatusRes(U(p), p.size(), false, catalog, r);
        QCOMPARE(r.channelCount, kMaxChannels);
        // Too short for the fixed part.
        QVERIFY(!ParseStatusRes(U(p), 14, false, catalog, r));
        QCOMPARE(r.channelCount, 0);
    }
    void download()
    {
        C catalog;
        LoggerRecord r;
        r.packetCounter = 9;
        const QByteArray p = Hex("00000007 0000012D 00 00000A 0000012D 03"
                                 "00 B7 B2 83"
                                 "00 10 00 00"
                                 "01 05 00 00");
        QVERIFY(ParseDownloadDataRes(U(p), p.size(), catalog, r));
        QCOMPARE(r.packetNumber, 7u);
        QCOMPARE(r.storedSamples, 301);
        QCOMPARE(r.packetsExpected, 4);
        QCOMPARE(r.packetCounter, 0);
        QCOMPARE(r.RateWord(), 10u);
        QCOMPARE(r.numberOfSamples, 301);
        QCOMPARE(r.downloadChannelCount, 3);
        QCOMPARE(r.channels[0].catalogIndex, 3);
        QCOMPARE(r.channels[0].gain, 1.5f);
        QCOMPARE(r.channels[0].offset, -3.0f);
        QCOMPARE(r.channels[0].range, 4);
        QCOMPARE(r.channels[1].catalogIndex, int(C::Analog));
        QCOMPARE(r.channels[2].catalogIndex, int(C::VoltB));
        QCOMPARE(r.channels[2].gain, 1.0f);
        QCOMPARE(r.channels[2].offset, 0.0f);
    }
    void downloadCountsAreChecked()
    {
        C catalog;
        LoggerRecord r;
        QByteArray p = Hex("00000001 00000064 00 00000A 00000064 C8");
        for (int i = 0; i < 50; ++i)
            p += Hex("00 10 00 00");
        QVERIFY(!ParseDownloadDataRes(U(p), p.size(), catalog, r));
        QCOMPARE(r.downloadChannelCount, kMaxChannels);
        p = Hex("00000001 00000064 00 00000A 00000064 05 00 10 00 00");
        QVERIFY(!ParseDownloadDataRes(U(p), p.size(), catalog, r));
        QCOMPARE(r.downloadChannelCount, 1);
        // Ids 180 to 255 address the catalogue directly.
        p = Hex("00000001 00000064 00 00000A 00000064 01 00 FF 00 00");
        QVERIFY(ParseDownloadDataRes(U(p), p.size(), catalog, r));
        QCOMPARE(r.channels[0].catalogIndex, 75);
        QVERIFY(!ParseDownloadDataRes(U(p), 10, catalog, r));
        QCOMPARE(r.storedSamples, 0);
        QCOMPARE(r.downloadChannelCount, 0);
    }
    void keepAlive()
    {
        LoggerRecord r;
        const unsigned char b = 0x42;
        QVERIFY(ParseKeepAliveRes(&b, 1, r));
        QCOMPARE(int(r.keepAliveByte), 0x42);
        QVERIFY(!ParseKeepAliveRes(&b, 0, r));
    }
    void rowDecodingOfEveryKind()
    {
        DecodeChannel plan[8];
        const unsigned short kinds[] = {0, 1, 0x2000, 0x3000, 0x4000, 0x5000, 3, 0x1000};
        for (int i = 0; i < 8; ++i) {
            plan[i].kind = kinds[i];
            plan[i].width = KindWidth(kinds[i]);
        }
        const QByteArray row = Hex("F123 F123 016E360F FFFFFFFE 0003A980 F0F0 0FFF");
        double v[8] = {0, 0, 0, 0, 0, 0, 77.5, 0};
        // Kind 0x5000 takes no bytes: the next channel reads right after the echo value.
        plan[5].width = 0;
        QCOMPARE(DecodeRow(plan, 8, U(row), v), row.size());
        QCOMPARE(v[0], double(0x123));
        QCOMPARE(v[1], double(0xF123));
        QCOMPARE(v[2], 1.0);
        QCOMPARE(v[3], -2.0);
        QVERIFY(qAbs(v[4] - 1.71) < 1e-12);
        QCOMPARE(v[5], 0.0);
        QCOMPARE(v[6], double(0xF0F0));
        QCOMPARE(v[7], double(0xFFF));
        // A negative time: the low four bits are not part of it.
        const QByteArray neg = Hex("FFFFFFFF");
        DecodeChannel t;
        t.kind = 0x2000;
        t.width = 4;
        DecodeRow(&t, 1, U(neg), v);
        QCOMPARE(v[0], -16.0 / 24000000.0);
    }
    void calibratedRowsUseTheLoggersGainAndOffset()
    {
        DecodeChannel d;
        d.calibrated = true;
        d.gain = GainOfByte(0xB2);
        d.offset = OffsetOfByte(0x83);
        const QByteArray raw = Hex("03E8");
        double v = 0;
        DecodeRow(&d, 1, U(raw), &v);
        QCOMPARE(v, 1497.0);
    }
    void decodePlanSizesRowsByRealWidths()
    {
        C catalog;
        LoggerRecord r;
        r.channelCount = 3;
        r.channels[0].catalogIndex = C::Analog;
        r.channels[1].catalogIndex = C::Count;
        r.channels[2].catalogIndex = C::Generic;
        r.positionCount = 3;
        r.positions[0] = 0;
        r.positions[1] = 1;
        r.positions[2] = 2;
        DecodeChannel plan[kMaxChannels];
        int channels = 0;
        // A generic input read as the selected time sensor: 16 bits.
        const std::vector<int> selected = {C::Analog, C::Count, C::Time};
        QCOMPARE(BuildDecodePlan(r, catalog, selected, PacketMode::Live, plan, channels), 2 + 4 + 2);
        QCOMPARE(channels, 3);
        QCOMPARE(int(plan[2].kind), 1);
        // A download keeps the generic input as it is.
        r.downloadChannelCount = 3;
        QCOMPARE(BuildDecodePlan(r, catalog, selected, PacketMode::Download, plan, channels), 8);
        QCOMPARE(int(plan[2].kind), 0x99);
        // Positions beyond the table read as plain 2-byte values, never outside the table.
        r.positions[2] = 31;
        QCOMPARE(BuildDecodePlan(r, catalog, selected, PacketMode::Live, plan, channels), 8);
        QCOMPARE(int(plan[2].kind), 0);
        r.positionCount = 40;
        QCOMPARE(BuildDecodePlan(r, catalog, selected, PacketMode::Live, plan, channels), 0);
        QCOMPARE(channels, 40);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestPelorinReplies)
#include "tst_pelorin_replies.moc"

// The simulated Pelorin logger on its own: host frames in, logger frames out, with the clock in
// the test's hand.
#include "simulator/PelorinDevice.h"
#include "support/SimDriver.h"

#include "common/TestMain.h"

using kvsim::CPelorinDevice;

namespace {

QByteArray Hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

QByteArray RunRequest(const char* rate, const char* samples, const char* packet, const char* trigger = "00 00 0000",
                      const char* offline = "00")
{
    return Hex("BC9E 14 01") + Hex(rate) + Hex(offline) + Hex(samples) + Hex(trigger) + Hex(packet) + Hex("02 0100 0200");
}

quint16 Crc(const QByteArray& a)
{
    // The bitwise form, independent of the model's.
    quint16 crc = 0;
    for (char c : a)
        for (int bit = 7; bit >= 0; --bit) {
            const bool top = crc & 0x8000;
            crc = quint16(crc << 1);
            if (top != bool((quint8(c) >> bit) & 1))
                crc ^= 0x8005;
        }
    return crc;
}

} // namespace

class TestPelorinDevice : public QObject
{
    Q_OBJECT
private slots:
    void framesAreCutFromTheHostStream()
    {
        CPelorinDevice d;
        const QByteArray stop = Hex("BC9E010200");
        QCOMPARE(d.frameLength(reinterpret_cast<const unsigned char*>(stop.constData()), stop.size()), 4);
        const QByteArray block = Hex("BC9E00F3 0000 0003 AABBCC");
        QCOMPARE(d.frameLength(reinterpret_cast<const unsigned char*>(block.constData()), block.size()), 11);
        QCOMPARE(d.frameLength(reinterpret_cast<const unsigned char*>(block.constData()), 9), 0);
        const QByteArray huge = Hex("BC9E00F3 0000 0500");
        QVERIFY(d.frameLength(reinterpret_cast<const unsigned char*>(huge.constData()), huge.size()) < 0);
    }
    void helloStatusAndSmallReplies()
    {
        CPelorinDevice d;
        CClockOutput out;
        d.setVersion(Hex("010902031005"));
        Feed(d, out, Hex("BC9E0808 07 03 EA 0E 05 09 00"));
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 10 08 00 010902031005 00012345 0ABC 0123")}));
        CPelorinDevice::Sensor s;
        s.channel = 3;
        s.idLow = 0x21;
        s.gain = 0xB2;
        s.offset = 0x83;
        s.valueWidths = {4};
        d.setSensors({s});
        Feed(d, out, Hex("BC9E010400"));
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 16 04 00 0000000A 00000064 00 00000000 01 03 00 21 00 B2 83")}));
        Feed(d, out, Hex("BC9E011500 BC9E 03 06 03 02 BC9E 05 42 01 03 0118 BC9E 02 40 00 BC9E010B00"));
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 02 15 01"), Hex("3DB7 01 06"), Hex("3DB7 01 42"), Hex("3DB7 01 40"),
                                                Hex("3DB7 01 0B")}));
        QCOMPARE(d.lastSensorIdWrite(), Hex("BC9E 05 42 01 03 0118"));
    }
    void streamsARunAtItsRateAndCount()
    {
        CPelorinDevice d;
        CClockOutput out;
        CPelorinDevice::Sensor a;
        a.channel = 1;
        CPelorinDevice::Sensor b;
        b.channel = 2;
        b.valueWidths = {4};
        d.setSensors({a, b});
        // 100 samples per second, 5 samples, packets of 2.
        Feed(d, out, RunRequest("00000064", "000005", "0002"));
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 01 01")}));
        out.now = 15;  // samples 0 and 1 are due
        d.onTick(out);
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 07 09 00000001 0002 0000 00000110 0001 00000210")}));
        // A resent run request is acknowledged but starts nothing.
        Feed(d, out, RunRequest("00000064", "000005", "0002"));
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 01 01")}));
        QCOMPARE(d.runsStarted(), 1);
        out.now = 35;
        d.onTick(out);
        QCOMPARE(out.Take().size(), 1);
        QVERIFY(d.isRunning());
        out.now = 60;
        d.onTick(out);
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 07 09 00000003 0001 0004 00000510")}));
        QVERIFY(!d.isRunning());
        QCOMPARE(d.samplesSent(), qint64(5));
    }
    void triggeredRunWaitsAndStopEndsIt()
    {
        CPelorinDevice d;
        CClockOutput out;
        d.setTriggerDelayMs(100);
        Feed(d, out, RunRequest("00000064", "0003E8", "0001", "01 01 0800"));
        out.Take();
        out.now = 50;
        d.onTick(out);
        QVERIFY(out.Take().isEmpty());
        out.now = 100;
        d.onTick(out);
        QCOMPARE(out.Take().size(), 1);
        Feed(d, out, Hex("BC9E010200"));
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 01 02")}));
        out.now = 500;
        d.onTick(out);
        QVERIFY(out.Take().isEmpty());
    }
    void manualSamplesOnePerRequest()
    {
        CPelorinDevice d;
        CClockOutput out;
        Feed(d, out, RunRequest("00000000", "000000", "0001"));
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 01 01"), Hex("3DB7 07 09 00000001 0001 0000 0064")}));
        Feed(d, out, RunRequest("00000000", "000000", "0001"));
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 01 01"), Hex("3DB7 07 09 00000002 0001 0001 0065")}));
        QCOMPARE(d.runsStarted(), 1);
    }
    void offlineRunIsStoredAndDownloaded()
    {
        CPelorinDevice d;
        CClockOutput out;
        CPelorinDevice::Sensor s;
        s.channel = 1;
        s.idLow = 0x10;
        d.setSensors({s});
        Feed(d, out, RunRequest("00000064", "000096", "0004", "00 00 0000", "01"));
        out.Take();
        out.now = 2000;
        d.onTick(out);
        // Nothing streamed; the logger says its stored run ended.
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 01 16")}));
        QCOMPARE(d.storedRun().samples, 150);
        Feed(d, out, Hex("BC9E011200"));
        const QList<QByteArray> got = out.Take();
        QCOMPARE(got.size(), 3);
        QCOMPARE(got[0], Hex("3DB7 17 12 00000000 00000096 00000064 00000096 01 00 10 80 00"));
        QCOMPARE(got[1].mid(4, 6), Hex("00000001 0064"));
        QCOMPARE(got[2].mid(4, 6), Hex("00000002 0032"));
        QCOMPARE(got[2].size(), 10 + 50 * 2);
    }
    void emptyDownloadSnapshotAndTiming()
    {
        CPelorinDevice d;
        CClockOutput out;
        Feed(d, out, Hex("BC9E011200"));
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 13 12 00000000 00000000 0000000A 00000000 00")}));
        Feed(d, out, Hex("BC9E 10 07 000000000000000000000000 0001 01 0100"));
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 01 07"), Hex("3DB7 07 09 00000000 0001 0000")}));
        d.setTimingEventIntervalMs(10);
        Feed(d, out, Hex("BC9E 0A 0C 00000000 01 03000800"));
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 01 0C")}));
        out.now = 10;
        d.onTick(out);
        out.now = 20;
        d.onTick(out);
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 08 0D 03 00 00 000F4240"), Hex("3DB7 08 0D 03 01 00 000FB770")}));
        Feed(d, out, Hex("BC9E010200"));
        out.Take();
        out.now = 100;
        d.onTick(out);
        QVERIFY(out.Take().isEmpty());
    }
    void shutdownAnnouncement()
    {
        CPelorinDevice d;
        CClockOutput out;
        d.announceShutdown();
        d.onTick(out);
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 01 14")}));
    }
    void bootLoaderChecksTheCrc()
    {
        CPelorinDevice d;
        CClockOutput out;
        Feed(d, out, Hex("BC9E01F000"));
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 01 F0")}));
        QVERIFY(d.inBootLoader());
        Feed(d, out, Hex("BC9E0808 07 03 EA 0E 05 09 00"));
        QCOMPARE(out.Take().first().mid(4, 1), Hex("01"));
        // Requests other than the boot-loader's are not answered meanwhile.
        Feed(d, out, Hex("BC9E010400"));
        QVERIFY(out.Take().isEmpty());
        QByteArray file(1500, '\0');
        for (int i = 0; i < file.size(); ++i)
            file[i] = char(i * 7);
        Feed(d, out, Hex("BC9E 07 F2 0000 000005DC"));
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 01 F2")}));
        Feed(d, out, Hex("BC9E 00 F3 0000 0400") + file.left(1024));
        Feed(d, out, Hex("BC9E 00 F3 0001 01DC") + file.mid(1024));
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 03 F3 0000"), Hex("3DB7 03 F3 0001")}));
        QCOMPARE(d.bootBlocks(), 2);
        const quint16 crc = Crc(file);
        QCOMPARE(d.bootCrc(), crc);
        QByteArray leave = Hex("BC9E 03 F4");
        leave.append(char(crc >> 8)).append(char(crc & 0xFF));
        Feed(d, out, leave);
        QCOMPARE(out.Take(), QList<QByteArray>({Hex("3DB7 02 F4 01")}));
        QVERIFY(d.bootCrcMatched());
        QVERIFY(!d.inBootLoader());
        // A wrong CRC fails.
        Feed(d, out, Hex("BC9E01F000 BC9E 07 F2 0000 00000003 BC9E 00 F3 0000 0003 616263 BC9E 03 F4 CADC"));
        QCOMPARE(out.Take().last(), Hex("3DB7 02 F4 00"));
        QCOMPARE(d.bootCrc(), quint16(0xCADB));
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestPelorinDevice)
#include "tst_pelorin_device.moc"

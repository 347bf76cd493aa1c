// Request frames of the Pelorin logger, byte by byte, for small worked setups.
#include "Core/Logic/Pelorin/PelorinFrames.h"
#include "support/PelorinTestCatalog.h"

#include "common/TestMain.h"

using namespace Pelorin;
using C = CPelorinTestCatalog;

namespace {

QByteArray Hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

QByteArray Fixed(const unsigned char* f) { return QByteArray(reinterpret_cast<const char*>(f), kFixedRequestSize); }

SetupView TwoSensorSetup()
{
    SetupView s;
    s.rateCode = 10;
    s.numberOfSamples = 1001;
    s.selectedIndex = {C::Analog, C::Count};
    s.selectedActive = {true, true};
    s.statusSensors = {{1, C::Analog}, {2, C::Count}};
    return s;
}

RunRequest RunOf(const SetupView& s, const C& catalog)
{
    const std::vector<unsigned char> pos = s.RunPositions();
    RunRequest r;
    r.rateWord = LoggerRateWord(s.rateCode, int(pos.size()));
    r.numberOfSamples = s.numberOfSamples;
    r.triggerType = s.triggerType;
    r.triggerSensor = TriggerSensorByte(s, catalog);
    r.triggerLevel = s.triggerLevel;
    r.packetSize = PacketSize(s.rateCode, int(pos.size()));
    r.entries = RunEntries(s, catalog, pos);
    return r;
}

}  // namespace

class TestPelorinFrames : public QObject
{
    Q_OBJECT
private slots:
    void fixedRequests()
    {
        QCOMPARE(Fixed(PelorinStopString), Hex("BC9E010200"));
        QCOMPARE(Fixed(PelorinStatusString), Hex("BC9E010400"));
        QCOMPARE(Fixed(PelorinGoodByeString), Hex("BC9E010B00"));
        QCOMPARE(Fixed(PelorinDownloadDataString), Hex("BC9E011200"));
        QCOMPARE(Fixed(PelorinKeepAliveString), Hex("BC9E011500"));
        QCOMPARE(Fixed(PelorinEnterBootloaderModeString), Hex("BC9E01F000"));
        QCOMPARE(Fixed(PelorinSendLogString), Hex("BC9E012700"));
        QCOMPARE(Fixed(PelorinReadUartBridgeDataString), Hex("BC9E012500"));
        QCOMPARE(Fixed(PelorinShutdownString), Hex("3DB7011400"));
    }
    void helloCarriesLocalDateAndTime()
    {
        const QDateTime t(QDate(2026, 3, 7), QTime(14, 5, 9));
        QCOMPARE(BuildHelloReq(t), Hex("BC9E0808 07 03 EA 0E 05 09 00"));
        QCOMPARE(BuildHelloReq(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58))), Hex("BC9E0808 1F 0C CF 17 3B 3A 00"));
    }
    void rateWords()
    {
        QCOMPARE(LoggerRateWord(14, 4), 25000u);
        QCOMPARE(LoggerRateWord(14, 11), 10000u);
        QCOMPARE(LoggerRateWord(15, 0), 10000u);
        QCOMPARE(LoggerRateWord(15, 3), 33333u);
        QCOMPARE(LoggerRateWord(3, 1), 0x02000006u);
        QCOMPARE(LoggerRateWord(74, 1), 0x0100000Cu);
        QCOMPARE(LoggerRateWord(86, 1), 600u);
        QCOMPARE(LoggerRateWord(16, 1), 0u);
        QCOMPARE(LoggerRateWord(-1, 1), 0u);
        QCOMPARE(UiRateCode(0x02000006u), 3);
        QCOMPARE(UiRateCode(1), 6);
        QCOMPARE(UiRateCode(80), 80);
        QCOMPARE(UiRateCode(0), 0);
        QCOMPARE(UiRateCode(100000), 14);
        QCOMPARE(UiRateCode(10000), 13);
        QCOMPARE(UiRateCode(25000), 15);
        QCOMPARE(UiRateCode(10001), 15);
        QCOMPARE(UiRateCode(99999), 15);
        QCOMPARE(UiRateCode(100001), 0);
        QCOMPARE(UiRateCode(0x01000003u), 72);
        // 15 per second is no rate of the table (and certainly not three per hour).
        QCOMPARE(UiRateCode(15), 0);
        for (int code : {1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 67, 68, 70, 75, 81, 86})
            QCOMPARE(UiRateCode(LoggerRateWord(code, 1)), code);
        QCOMPARE(MaxRate(4), 25000);
        QCOMPARE(MaxRate(0), 100000);
    }
    void packetSizes()
    {
        QCOMPARE(PacketSize(14, 4), 1000);
        QCOMPARE(PacketSize(10, 1), 4);
        QCOMPARE(PacketSize(67, 2), 100);
        QCOMPARE(PacketSize(6, 3), 1);
        QCOMPARE(PacketSize(99, 1), 1);
        // 50 / 25 / 3 has no whole sample: the packet still carries one.
        QCOMPARE(PacketSize(9, 3), 1);
        QCOMPARE(PacketSize(10, 0), 4);
        QCOMPARE(PacketsExpected(1001, 100), 11);
        QCOMPARE(PacketsExpected(1000, 100), 10);
        QCOMPARE(PacketsExpected(0, 100), 0);
        QCOMPARE(PacketsExpected(-5, 100), 0);
        QCOMPARE(PacketsExpected(7, 0), 7);
    }
    void runRequestOfTwoSensors()
    {
        C catalog;
        const SetupView s = TwoSensorSetup();
        QCOMPARE(BuildRunReq(RunOf(s, catalog)),
                 Hex("BC9E 14 01 00000064 00 0003E9 00 00 0000 0002 02 0100 0202"));
    }
    void runRequestWithTriggerAndOfflineFlag()
    {
        C catalog;
        SetupView s = TwoSensorSetup();
        s.triggerType = 2;
        s.triggerPosition = 1;
        s.triggerLevel = 0x0800;
        RunRequest r = RunOf(s, catalog);
        r.offline = true;
        QCOMPARE(BuildRunReq(r), Hex("BC9E 14 01 00000064 01 0003E9 02 02 0800 0002 02 0100 0202"));
        // A delay trigger is no logger trigger: no sensor, no level.
        s.triggerType = 5;
        QCOMPARE(BuildRunReq(RunOf(s, catalog)), Hex("BC9E 14 01 00000064 00 0003E9 00 00 0000 0002 02 0100 0202"));
        // More samples than 24 bits hold are clamped rather than wrapped.
        s.numberOfSamples = 0x1000001;
        QCOMPARE(BuildRunReq(RunOf(s, catalog)).mid(9, 3), Hex("FFFFFF"));
    }
    void multiRangeTriggerSensor()
    {
        C catalog;
        SetupView s;
        s.selectedIndex = {C::Analog, C::VoltB};
        s.selectedActive = {true, true};
        s.statusSensors = {{1, C::Analog}, {3, C::VoltB}};
        s.triggerType = 1;
        s.triggerPosition = 1;
        QCOMPARE(int(TriggerSensorByte(s, catalog)), 0x23);
        s.triggerPosition = 0;
        QCOMPARE(int(TriggerSensorByte(s, catalog)), 1);
        s.triggerPosition = 7;  // no such status entry
        QCOMPARE(int(TriggerSensorByte(s, catalog)), 0);
    }
    void multiSensorPlugIsOneEntry()
    {
        C catalog;
        SetupView s;
        s.rateCode = 6;
        s.numberOfSamples = 10;
        s.selectedIndex = {C::Oxygen, C::OxygenTemp, C::Analog, C::Empty, C::Time};
        s.selectedActive = {true, true, true, true, false};
        s.statusSensors = {{4, C::Oxygen}, {4, C::OxygenTemp}, {5, C::Analog}};
        const std::vector<unsigned char> pos = s.RunPositions();
        QCOMPARE(pos.size(), size_t(3));
        const std::vector<RequestEntry> e = RunEntries(s, catalog, pos);
        QCOMPARE(e.size(), size_t(2));
        QCOMPARE(int(e[0].channel), 4);
        QCOMPARE(int(e[0].config), 0x34);
        QCOMPARE(int(e[1].channel), 5);
        QCOMPARE(int(e[1].config), 0);
        QCOMPARE(BuildRunReq(RunOf(s, catalog)), Hex("BC9E 14 01 00000001 00 00000A 00 00 0000 0001 02 0434 0500"));
    }
    void snapshotRequest()
    {
        C catalog;
        SetupView s;
        s.statusSensors = {{4, C::Oxygen}, {4, C::OxygenTemp}, {5, C::Wide}, {6, C::Count}, {7, C::Generic}};
        QCOMPARE(BuildSnapShotReq(SnapshotEntries(s, catalog)),
                 Hex("BC9E 18 07 000000000000000000000000 0001 04 0434 0501 0600 0700"));
        QCOMPARE(BuildSnapShotReq({}), Hex("BC9E 10 07 000000000000000000000000 0001 00"));
    }
    void setCalibration()
    {
        std::vector<CalibrationEntry> list = {{1, 2, 3.7f, -1.2f}, {5, 0, 200.9f, 0.0f}};
        QCOMPARE(BuildSetCalibrationReq(list), Hex("BC9E 0A 40 02 010203FF 0500C800"));
        QCOMPARE(BuildSetCalibrationReq({}), Hex("BC9E 02 40 00"));
        list = {{1, 1, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}};
        QCOMPARE(BuildSetCalibrationReq(list), Hex("BC9E 06 40 01 01010000"));
        // The length byte cannot describe more than 63 entries.
        list.assign(70, CalibrationEntry{});
        const QByteArray big = BuildSetCalibrationReq(list);
        QCOMPARE(int(uchar(big[2])), 254);
        QCOMPARE(big.size(), 3 + 254);
    }
    void setSensorRange()
    {
        C catalog;
        SetupView s;
        s.selectedIndex = {C::Analog, C::Wide};
        s.statusSensors = {{2, C::Analog}, {3, C::Wide}};
        s.rangeChangePosition = 1;
        s.rangeValue = 2;
        QCOMPARE(BuildSetSensorRangeReq(s, catalog), Hex("BC9E 03 06 03 02"));
        // Two sensors on one plug: the changed one gives the new range, its sibling its own bits.
        s.selectedIndex = {C::Oxygen, C::OxygenTemp};
        s.statusSensors = {{4, C::Oxygen}, {4, C::OxygenTemp}};
        QCOMPARE(BuildSetSensorRangeReq(s, catalog), Hex("BC9E 03 06 04 08"));
        s.rangeChangePosition = 0;
        s.rangeValue = 3;
        QCOMPARE(BuildSetSensorRangeReq(s, catalog), Hex("BC9E 03 06 04 03"));
        // A position without a status entry reads no list entry outside it.
        s.rangeChangePosition = 9;
        QCOMPARE(BuildSetSensorRangeReq(s, catalog), Hex("BC9E 03 06 00 03"));
    }
    void writeSensorId()
    {
        SetupView s;
        s.idWriteChannel = 3;
        s.idWriteCatalogIndex = 100;
        QCOMPARE(BuildWriteSensorIdReq(s), Hex("BC9E 05 42 01 03 0118"));
    }
    void timingRunCarriesPhotogates()
    {
        C catalog;
        SetupView s;
        s.statusSensors = {{1, C::Analog}, {2, C::Gate}, {3, C::Gate2}, {4, C::Gate}};
        s.timingSecond = 1;
        int gates = -1;
        unsigned char where[2] = {};
        QCOMPARE(BuildTimingRunReq(s, catalog, gates, where), Hex("BC9E 0E 0C 00000000 02 02000800 03000800"));
        QCOMPARE(gates, 2);
        QCOMPARE(int(where[0]), 1);
        QCOMPARE(int(where[1]), 2);
        s.timingSecond = 0;
        QCOMPARE(BuildTimingRunReq(s, catalog, gates), Hex("BC9E 0A 0C 00000000 01 02000800"));
        QCOMPARE(gates, 1);
        s.timingSecond = 2;
        s.timingFirst = 1;
        QCOMPARE(BuildTimingRunReq(s, catalog, gates).at(8), char(2));
        s.statusSensors = {{1, C::Analog}};
        QCOMPARE(BuildTimingRunReq(s, catalog, gates), Hex("BC9E 06 0C 00000000 02"));
        QCOMPARE(gates, 0);
    }
    void smallRequests()
    {
        QCOMPARE(BuildOpenDigitalOutReq(), Hex("BC9E 03 05 0000"));
        QCOMPARE(BuildRenameReq(), Hex("BC9E 02 11"));
    }
    void bootLoaderFrames()
    {
        QCOMPARE(BuildBootloaderInfoReq(70000), Hex("BC9E 07 F2 0000 00011170"));
        const unsigned char one[] = {0x5A};
        QCOMPARE(BuildBootloaderDataPacketReq(2, one, 1), Hex("BC9E 00 F3 0002 0001 5A"));
        QByteArray block(1500, 'x');
        QCOMPARE(BuildBootloaderDataPacketReq(0, reinterpret_cast<const unsigned char*>(block.constData()), 1500).size(),
                 8 + 1024);
        QCOMPARE(BuildLeaveBootloaderReq(0xCADB), Hex("BC9E 03 F4 CADB"));
    }
    void crc16()
    {
        const QByteArray digits("123456789");
        QCOMPARE(Crc16Update(0, reinterpret_cast<const unsigned char*>(digits.constData()), 9), quint16(0xFEE8));
        const QByteArray abc("abc");
        QCOMPARE(Crc16Update(0, reinterpret_cast<const unsigned char*>(abc.constData()), 3), quint16(0xCADB));
        // Running over blocks gives the CRC of the whole.
        quint16 crc = Crc16Update(0, reinterpret_cast<const unsigned char*>(digits.constData()), 4);
        crc = Crc16Update(crc, reinterpret_cast<const unsigned char*>(digits.constData()) + 4, 5);
        QCOMPARE(crc, quint16(0xFEE8));
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestPelorinFrames)
#include "tst_pelorin_frames.moc"

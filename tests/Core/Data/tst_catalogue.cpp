// The sensor catalogue after loading: record defaults, the shape of the table, texts, ids and
// the checked access by stored index.
#include "Core/Data/SensorInfo.h"

#include <QImage>
#include <QMap>
#include "common/TestMain.h"

#include <memory>

namespace {

QImage imageOf(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage resourceImage(const char* name)
{
    return QImage(QStringLiteral(":/images/Sensors/") + QLatin1String(name))
        .convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

    std::unique_ptr<CSensorInfo> m_info;

    const CSensorParametersInfo& s(int k) const { return m_info->m_Sensors[k]; }
    const CSensorMeasuremntInfo& m(int k, int slot) const
    {
        return m_info->m_Sensors[k].m_Measurements[slot];
    }

private slots:
    void initTestCase()
    {
        m_info.reset(new CSensorInfo);
        m_info->LoadSensorInfo();
    }

    void recordDefaults()
    {
        const CSensorParametersInfo r;
        QVERIFY(r.m_Name.isEmpty());
        QCOMPARE(r.m_SensorId, short(0));
        QCOMPARE(r.m_NumOfMeasurements, short(0));
        QCOMPARE(r.m_TriggerAllowed, true);
        QCOMPARE(r.m_FilterCutoff, -1.0);
        QCOMPARE(r.m_AltId, -1);
        QCOMPARE(r.m_HiddenSensor, false);
        QVERIFY(r.m_Icon.isNull());
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(r.m_RangeIds[i], 0);
            QCOMPARE(r.m_SiblingIds[i], 0);
            QVERIFY(r.m_RangeNames[i].isEmpty());
        }
        const CSensorMeasuremntInfo& mm = r.m_Measurements[7];
        QCOMPARE(mm.m_ClampToMax, true);
        QCOMPARE(mm.m_ClampToMin, true);
        QCOMPARE(mm.m_FastestRateCode, short(999));
        QCOMPARE(mm.m_SlowestRateCode, short(999));
        QCOMPARE(mm.m_DefaultActive, false);
        QCOMPARE(mm.m_Min, 0.0);

        const CSensorInfo fresh;
        QCOMPARE(fresh.m_SensorCount, (unsigned char)0);
        QCOMPARE(fresh.m_SensorCount2, (unsigned char)0);
        QVERIFY(fresh.m_Sensors[5].m_Name.isEmpty());
        QVERIFY(fresh.m_ISEInfo[0].m_Name.isEmpty());
    }

    void emptyEntry()
    {
        QCOMPARE(s(0).m_Name, QStringLiteral("Empty"));
        QCOMPARE(s(0).m_SensorId, short(180));
        QCOMPARE(s(0).m_NumOfMeasurements, short(1));
        QCOMPARE(m(0, 0).m_Name, QStringLiteral("Empty"));
        QVERIFY(m(0, 0).m_Unit.isEmpty());
        QVERIFY(m(0, 0).m_RangeText.isEmpty());
        QCOMPARE(m(0, 0).m_Max, 0.0);
        QCOMPARE(s(0).m_DataKind, (unsigned short)0);
        QCOMPARE(imageOf(s(0).m_Icon), resourceImage("Sensor-Icon.png"));
    }

    void everyEntryHasNameIconAndCount()
    {
        int measurements = 0;
        for (int k = 0; k < CSensorInfo::s_NumOfSensors; ++k) {
            QVERIFY2(!s(k).m_Name.isEmpty(), qPrintable(QString::number(k)));
            QVERIFY2(!s(k).m_Icon.isNull(), qPrintable(QString::number(k)));
            QVERIFY(s(k).m_NumOfMeasurements >= 1 && s(k).m_NumOfMeasurements <= 7);
            measurements += s(k).m_NumOfMeasurements;
            for (int j = 0; j < s(k).m_NumOfMeasurements; ++j)
                QCOMPARE(m(k, j).m_Comment, QStringLiteral("Sensors List"));
        }
        // Every counted slot of every entry, summed by hand from the entry list.
        QCOMPARE(measurements, 226);
    }

    void slotsBeyondTheCount()
    {
        // Filled although not counted: the raw-volt slot of the heart-rate entries and the
        // unnamed eighth slot of the two rotary-motion entries.
        for (int k : {21, 29, 79, 93, 126}) {
            QCOMPARE(s(k).m_NumOfMeasurements, short(1));
            QCOMPARE(m(k, 1).m_Unit, QStringLiteral("V"));
            QCOMPARE(m(k, 1).m_UnitPrefix, short(-1));
            QCOMPARE(m(k, 1).m_RangeText, QStringLiteral("0 - 5V"));
            QCOMPARE(m(k, 1).m_Max, 5.0);
        }
        QCOMPARE(m(21, 1).m_Name, QStringLiteral("Heart rate (Exercise)"));
        for (int k : {48, 127}) {
            QCOMPARE(s(k).m_NumOfMeasurements, short(7));
            QVERIFY(m(k, 7).m_Name.isEmpty());
            QCOMPARE(m(k, 7).m_Unit, QStringLiteral("V"));
            QCOMPARE(m(k, 7).m_RangeText, QStringLiteral("±2.5V"));
            QCOMPARE(m(k, 7).m_Comment, QStringLiteral("Sensors List"));
        }
        QCOMPARE(m(48, 7).m_Min, -2.5);
        QCOMPARE(m(127, 7).m_Min, -3.0);
        // A slot nobody fills keeps its defaults.
        QVERIFY(m(1, 1).m_Name.isEmpty());
        QVERIFY(m(1, 1).m_Comment.isEmpty());
        QCOMPARE(m(1, 1).m_FastestRateCode, short(999));
    }

    void defaultActiveSlots()
    {
        for (int k = 0; k < CSensorInfo::s_NumOfSensors; ++k) {
            QVERIFY(m(k, 0).m_DefaultActive);
            for (int j = 1; j < 8; ++j) {
                const bool expected = (k == 121 && j == 1);
                QVERIFY2(m(k, j).m_DefaultActive == expected, qPrintable(QString("%1.%2").arg(k).arg(j)));
            }
        }
        QCOMPARE(m(121, 0).m_FastestRateCode, short(15));
        QCOMPARE(m(121, 0).m_SlowestRateCode, short(1));
        QCOMPARE(m(121, 1).m_SlowestRateCode, short(12));
    }

    void sensorIdsAndDuplicates()
    {
        for (int k = 0; k <= 69; ++k)
            if (k != 47) QCOMPARE(int(s(k).m_SensorId), 180 + k);
        QMap<int, QList<int>> byId;
        for (int k = 0; k < CSensorInfo::s_NumOfSensors; ++k)
            byId[s(k).m_SensorId] << k;
        QMap<int, QList<int>> duplicates;
        for (auto it = byId.cbegin(); it != byId.cend(); ++it)
            if (it.value().size() > 1) duplicates.insert(it.key(), it.value());
        QMap<int, QList<int>> expected;
        expected.insert(0, {47, 70});
        expected.insert(38, {79, 93});
        QCOMPARE(duplicates, expected);
        // Ids wider than a byte survive as 16-bit values.
        QCOMPARE(s(123).m_SensorId, short(256));
        QCOMPARE(s(130).m_SensorId, short(1792));
        QCOMPARE(s(147).m_SensorId, short(43));
        QCOMPARE(s(148).m_SensorId, short(44));
    }

    void hiddenSensorsAndDataKinds()
    {
        QList<int> hidden;
        QMap<int, QList<int>> byKind;
        for (int k = 0; k < CSensorInfo::s_NumOfSensors; ++k) {
            if (s(k).m_HiddenSensor) hidden << k;
            byKind[s(k).m_DataKind] << k;
        }
        QCOMPARE(hidden, QList<int>({135, 137, 146}));
        QCOMPARE(byKind.value(4), QList<int>({130, 131, 132, 133, 134, 135, 136, 137, 139, 140, 141, 142, 143,
                                              144, 145, 146}));
        QCOMPARE(byKind.value(153), QList<int>({80, 122}));
        QCOMPARE(byKind.value(1), QList<int>({110, 129}));
        QCOMPARE(byKind.value(2), QList<int>({109, 147}));
        QCOMPARE(byKind.value(3), QList<int>({103}));
        QCOMPARE(byKind.value(8192), QList<int>({36}));
        QCOMPARE(byKind.value(16384), QList<int>({25}));
        QCOMPARE(byKind.value(12288), QList<int>({22, 32, 33, 34, 47}));
        QCOMPARE(byKind.value(4096).size(), 62);
        QVERIFY(!byKind.value(4096).contains(70));
        for (int k = 71; k < CSensorInfo::s_NumOfSensors; ++k)
            QVERIFY(s(k).m_DataKind < 4096);
        QVERIFY(CSensorInfo::IsISEIndex(130) && CSensorInfo::IsISEIndex(131));
        QVERIFY(!CSensorInfo::IsISEIndex(129) && !CSensorInfo::IsISEIndex(132) &&
                !CSensorInfo::IsISEIndex(-130));
        QVERIFY(s(130).m_IseFlag && s(131).m_IseFlag && !s(132).m_IseFlag);
    }

    void numbersOfSelectedEntries()
    {
        QCOMPARE(s(1).m_Gain, 0.01225f);
        QCOMPARE(s(1).m_Zero, 2048);
        QCOMPARE(s(1).m_IdWindowLow, short(86));
        QCOMPARE(s(1).m_IdWindow2High, short(107));
        QCOMPARE(s(2).m_IdWindowLow, short(151));
        QCOMPARE(s(2).m_IdWindowHigh, short(179));
        QCOMPARE(s(19).m_IdWindow2Low, short(2931));
        QCOMPARE(s(19).m_IdWindow2High, short(0));
        QCOMPARE(s(60).m_Gain, 1.2195122e-05f);
        QCOMPARE(s(71).m_Zero, -34);
        QCOMPARE(s(82).m_Zero, 34);
        QCOMPARE(s(92).m_Gain, -0.0037313432f);
        QCOMPARE(s(7).m_SlowestRateCode, short(13));
        QCOMPARE(s(94).m_FastestRateCode, short(11));
        QCOMPARE(s(94).m_SlowestRateCode, short(7));
        QCOMPARE(s(25).m_FilterCutoff, 15.0);
        QCOMPARE(s(74).m_FilterCutoff, 150.0);
        QCOMPARE(s(133).m_FilterCutoff, -1.0);
        QCOMPARE(s(132).m_FilterCutoff, 10.0);
        QCOMPARE(s(48).m_CalibrationKind, 4);
        QCOMPARE(s(33).m_CalibrationKind, 3);
        QCOMPARE(s(14).m_TriggerAllowed, false);
        QCOMPARE(s(16).m_TriggerAllowed, true);
        QCOMPARE(s(1).m_AltId, -10007);
        QCOMPARE(s(9).m_AltId, -10007);
        QCOMPARE(s(4).m_AltId, -1);
        QCOMPARE(s(64).m_AltId, -10051);
        QCOMPARE(s(65).m_AltId, -1);
        QCOMPARE(s(32).m_InputOption, (unsigned char)8);
        QCOMPARE(s(8).m_InputFlag, false);
        QCOMPARE(s(8).m_UseLoggerCalibration, true);
        QCOMPARE(m(33, 0).m_Max, 12500000.0);
        QCOMPARE(m(33, 0).m_ClampToMax, false);
        QCOMPARE(m(33, 1).m_ClampToMin, false);
        QCOMPARE(m(104, 0).m_ClampToMax, true);
        QCOMPARE(m(104, 0).m_ClampToMin, false);
        QCOMPARE(m(58, 0).m_ClampToMax, false);
        // Within the 1200 °C of its range text and of its Fahrenheit twin.
        QCOMPARE(m(97, 0).m_Max, 1200.0);
        QCOMPARE(m(4, 0).m_UnitPrefix, short(2));
        QCOMPARE(m(53, 0).m_UnitPrefix, short(3));
    }

    void exactTexts()
    {
        const QString bar12 = QStringLiteral("±12m/s²") + QString(9, ' ') + QStringLiteral("|  ±12m/s²");
        const QString bar10 = QStringLiteral("±10m/s") + QString(8, ' ') + QStringLiteral("|  ±10m/s");
        for (int k : {25, 103}) {
            QCOMPARE(m(k, 2).m_RangeText, bar12);
            QCOMPARE(m(k, 3).m_RangeText, bar10);
            QCOMPARE(m(k, 4).m_RangeText, bar12);
        }
        QCOMPARE(s(136).m_Name, QStringLiteral("Conductivity "));
        QCOMPARE(m(136, 0).m_Name, QStringLiteral("Conductivity"));
        QCOMPARE(s(139).m_Name, QStringLiteral("Accelerometer X axis "));
        QCOMPARE(s(145).m_Name, QStringLiteral("Salinity "));
        QCOMPARE(m(38, 0).m_RangeText, QStringLiteral("± 10N"));
        QCOMPARE(m(50, 1).m_RangeText, QStringLiteral("±0.2T"));
        QCOMPARE(m(54, 0).m_RangeText, QStringLiteral("0-150Klx"));
        QCOMPARE(m(61, 0).m_RangeText, QStringLiteral("0 - 250 mmHg"));
        QCOMPARE(m(49, 3).m_Unit, QStringLiteral("cm H2O"));
        QCOMPARE(m(5, 1).m_Unit, QStringLiteral("W/m²"));
        QCOMPARE(m(5, 1).m_Unit.size(), 4);
        QCOMPARE(m(14, 0).m_Unit, QStringLiteral("°C"));
        QCOMPARE(s(83).m_Name, QStringLiteral("Sound 45-80db"));
        QCOMPARE(m(83, 0).m_RangeText, QStringLiteral("45-80dB"));
        QCOMPARE(m(34, 0).m_Unit, QStringLiteral("kph"));
        QCOMPARE(m(34, 2).m_RangeText, QStringLiteral("Speed 4 - 280km/h"));
        QCOMPARE(m(36, 1).m_RangeText, QStringLiteral("infinite"));
        QCOMPARE(m(109, 1).m_RangeText, QStringLiteral("0 - 1023 * Drop Volume"));
        QCOMPARE(m(128, 0).m_RangeText, QStringLiteral("bpm"));
        QVERIFY(m(128, 0).m_Unit.isEmpty());
        QCOMPARE(m(129, 0).m_Unit, QStringLiteral("bpm"));
        QVERIFY(m(129, 0).m_RangeText.isEmpty());
        QCOMPARE(m(60, 0).m_Name, QStringLiteral("Charge ±0.025"));
        QCOMPARE(s(60).m_Name, QStringLiteral("Charge"));
        QCOMPARE(m(148, 0).m_RangeText, QStringLiteral("Direction 0 - 360°"));
        QCOMPARE(imageOf(s(145).m_Icon), resourceImage("salinity.png"));
        QCOMPARE(imageOf(s(58).m_Icon), resourceImage("Chloride.png"));
    }

    void rangeFamilies()
    {
        QCOMPARE(s(74).m_NumOfRanges, 3);
        QCOMPARE(s(74).m_RangeIds[2], 6);
        QCOMPARE(s(74).m_RangeNames[0], QStringLiteral("0-150klx"));
        QCOMPARE(s(89).m_RangeNames[1], QStringLiteral("Sensitive"));
        QCOMPARE(s(123).m_NumOfSiblings, 1);
        QCOMPARE(s(123).m_SiblingIds[0], 256);
        QCOMPARE(s(141).m_NumOfSiblings, 3);
        QCOMPARE(s(141).m_SiblingIds[2], 1200);
        QCOMPARE(s(137).m_SiblingIds[0], 512);
        QCOMPARE(s(137).m_NumOfRanges, 0);
        // Each member of a family lists its own id once, and every id of the list leads to an
        // entry with the same list and names.
        int families = 0;
        for (int k = 0; k < CSensorInfo::s_NumOfSensors; ++k) {
            const int n = s(k).m_NumOfRanges;
            if (n < 2) continue;
            ++families;
            int own = 0;
            for (int i = 0; i < n; ++i) {
                if (s(k).m_RangeIds[i] == s(k).m_SensorId) ++own;
                const int other = m_info->GetIndexbyID(s(k).m_RangeIds[i]);
                QVERIFY2(other >= 0, qPrintable(QString::number(k)));
                QCOMPARE(s(other).m_NumOfRanges, n);
                for (int j = 0; j < n; ++j) {
                    QCOMPARE(s(other).m_RangeIds[j], s(k).m_RangeIds[j]);
                    QCOMPARE(s(other).m_RangeNames[j], s(k).m_RangeNames[j]);
                }
            }
            QCOMPARE(own, 1);
        }
        QCOMPARE(families, 29);
    }

    void indexByIdLookups()
    {
        QCOMPARE(m_info->GetIndexbyID(196), 16);
        QCOMPARE(m_info->GetIndexbyID(217), 37);
        QCOMPARE(m_info->GetIndexbyID(195), 15);
        QCOMPARE(m_info->GetIndexbyID(218), 38);
        QCOMPARE(m_info->GetIndexbyID(227), -1);
        QCOMPARE(m_info->GetIndexbyID(0), 47);
        QCOMPARE(m_info->GetIndexbyID(38), 79);
        QCOMPARE(m_info->GetIndexbyID(63), 86);
        QCOMPARE(m_info->GetIndexbyID(64), 85);
        QCOMPARE(m_info->GetIndexbyID(65), 84);
        QCOMPARE(m_info->GetIndexbyID(59), 83);
        QCOMPARE(m_info->GetIndexbyID(60), 100);
        QCOMPARE(m_info->GetIndexbyID(1792), 130);
        QCOMPARE(m_info->GetIndexbyID(1793), 131);
        QCOMPARE(m_info->GetIndexbyID(1200), 141);
        const int ids106[] = {16, 17, 40, 75, 45, 76, 30,  78,  77,  28, 26,
                              25, 58, 48, 52, 53, 79, 256, 257, 258, 84};
        for (int i = 0; i < 21; ++i)
            QCOMPARE(m_info->GetIndexbyID(ids106[i]), 106 + i);
        // Values that do not fit a 16-bit id never match a wrapped one.
        QCOMPARE(m_info->GetIndexbyID(65536 + 180), -1);
        QCOMPARE(m_info->GetIndexbyID(-65536 + 38), -1);
        QCOMPARE(m_info->GetIndexbyID(-1), -1);
        // Both ways: every entry whose id is unique is found at its own index.
        for (int k = 0; k < CSensorInfo::s_NumOfSensors; ++k) {
            if (k == 70 || k == 93) continue;
            QCOMPARE(m_info->GetIndexbyID(s(k).m_SensorId), k);
        }
    }

    void iconByIdLookups()
    {
        const QImage def = resourceImage("Sensor-Icon.png");
        QCOMPARE(imageOf(m_info->GetIconByID(38)), imageOf(s(79).m_Icon));
        QCOMPARE(imageOf(m_info->GetIconByID(38)), resourceImage("Heart-Rate.png"));
        QCOMPARE(imageOf(m_info->GetIconByID(7)), resourceImage("UVA.png"));
        QCOMPARE(imageOf(m_info->GetIconByID(75)), resourceImage("Rain-Collector.png"));
        QCOMPARE(imageOf(m_info->GetIconByID(79)), def);
        QCOMPARE(imageOf(m_info->GetIconByID(28)), resourceImage("UVA.png"));
        QCOMPARE(imageOf(m_info->GetIconByID(1024)), resourceImage("Acceleration.png"));
        // Ids of entries below 71 are not searched by sensor id.
        QCOMPARE(imageOf(m_info->GetIconByID(196)), def);
        QCOMPARE(imageOf(m_info->GetIconByID(180)), def);
        QCOMPARE(imageOf(m_info->GetIconByID(0)), def);
        QCOMPARE(imageOf(m_info->GetIconByID(9999)), def);
        // Secondary ids reach entries 0..70; the lower index wins.
        QCOMPARE(imageOf(m_info->GetIconByID(-10007)), resourceImage("Voltage.png"));
        QCOMPARE(imageOf(m_info->GetIconByID(-10013)), resourceImage("Voltage.png"));
        QCOMPARE(imageOf(m_info->GetIconByID(-10059)), resourceImage("Heart-Rate.png"));
        QCOMPARE(imageOf(m_info->GetIconByID(-10029)), resourceImage("Colorimeter.png"));
        QCOMPARE(imageOf(m_info->GetIconByID(-10060)), resourceImage("Rain-Collector.png"));
        QCOMPARE(imageOf(m_info->GetIconByID(-10043)), resourceImage("Light.png"));
        QCOMPARE(imageOf(m_info->GetIconByID(-10046)), resourceImage("Soil-Moisture.png"));
        QCOMPARE(imageOf(m_info->GetIconByID(-10048)), resourceImage("Blood-Pressure.png"));
        QCOMPARE(imageOf(m_info->GetIconByID(-10051)), resourceImage("Magnetic-Field-Dual-Axis.png"));
        QCOMPARE(imageOf(m_info->GetIconByID(-1)), def);
        QCOMPARE(imageOf(m_info->GetIconByID(-2)), def);
        // Fixed answers before any record search.
        QCOMPARE(imageOf(m_info->GetIconByID(-101)), resourceImage("Microphone.png"));
        QCOMPARE(imageOf(m_info->GetIconByID(-100)), resourceImage("Acceleration.png"));
        QCOMPARE(imageOf(m_info->GetIconByID(-102)), def);
        QCOMPARE(imageOf(m_info->GetIconByID(-103)), def);
        CSensorInfo altered;
        altered.LoadSensorInfo();
        altered.m_Sensors[5].m_AltId = -102;
        QCOMPARE(imageOf(altered.GetIconByID(-102)), def);
        altered.m_Sensors[5].m_AltId = -104;
        QCOMPARE(imageOf(altered.GetIconByID(-104)), resourceImage("Light.png"));
    }

    void checkedAccessByStoredIndex()
    {
        QCOMPARE(m_info->GetSensorInfo(0), &m_info->m_Sensors[0]);
        QCOMPARE(m_info->GetSensorInfo(148), &m_info->m_Sensors[148]);
        QVERIFY(!m_info->GetSensorInfo(149));
        QVERIFY(!m_info->GetSensorInfo(-1));
        QVERIFY(!m_info->GetSensorInfo(20480));
        QVERIFY(!m_info->GetSensorInfo(INT_MIN));
        QCOMPARE(m_info->GetMeasurementInfo(25, 4), &m_info->m_Sensors[25].m_Measurements[4]);
        QVERIFY(!m_info->GetMeasurementInfo(25, 8));
        QVERIFY(!m_info->GetMeasurementInfo(25, -1));
        QVERIFY(!m_info->GetMeasurementInfo(150, 0));
        QVERIFY(CSensorInfo::IsValidIndex(0) && CSensorInfo::IsValidIndex(148));
        QVERIFY(!CSensorInfo::IsValidIndex(149) && !CSensorInfo::IsValidIndex(-1));
    }

    void copiesAreIndependent()
    {
        CSensorParametersInfo copy(s(25));
        QCOMPARE(copy.m_Name, s(25).m_Name);
        QCOMPARE(copy.m_Measurements[3].m_RangeText, m(25, 3).m_RangeText);
        copy.m_Name = QStringLiteral("changed");
        copy.m_Measurements[0].m_Unit = QStringLiteral("cm");
        copy.m_RangeNames[0] = QStringLiteral("x");
        QCOMPARE(s(25).m_Name, QStringLiteral("Distance"));
        QCOMPARE(m(25, 0).m_Unit, QStringLiteral("m"));
        QVERIFY(s(25).m_RangeNames[0].isEmpty());
        CSensorMeasuremntInfo slot = m(121, 1);
        slot.m_Name.clear();
        QCOMPARE(m(121, 1).m_Name, QStringLiteral("TRMS"));
    }

    void electrodeTable()
    {
        const char* names[] = {"Ammonium", "Bromide", "Calcium",   "Chloride", "Fluoride",
                               "Lead",     "Nitrate", "Potassium", "Sodium"};
        for (int k = 0; k < 9; ++k) {
            QCOMPARE(m_info->getISEName(5000 + k), QString::fromLatin1(names[k]));
            QCOMPARE(m_info->m_ISEInfo[k].m_Name, QString::fromLatin1(names[k]));
        }
        for (int id : {0, -1, 4999, 5009, INT_MAX, INT_MIN})
            QCOMPARE(m_info->getISEName(id), QStringLiteral("ISE Amplifier"));
        const ISEInfo none = m_info->getISEInfo(0);
        QVERIFY(none.m_Name.isEmpty());
        QCOMPARE(none.m_MinConcentration, 0.0);
        QCOMPARE(none.m_MaxConcentration, 5.0);
        const ISEInfo fluoride = m_info->getISEInfo(5004);
        QCOMPARE(fluoride.m_MinConcentration, 0.02);
        QCOMPARE(fluoride.m_MaxConcentration, 1000000.0);
        QCOMPARE(fluoride.m_Slope, -56.0);
        QCOMPARE(fluoride.m_Offset, 120.0);
        QCOMPARE(m_info->getISEInfo(5000).m_Offset, 0.0);
        QCOMPARE(m_info->getISEInfo(5002).m_MvPerCount, 0.09165521);
        QCOMPARE(m_info->getISEInfo(5005).m_MvAtZeroCount, -187.664);
        QCOMPARE(m_info->getISEInfo(5008).m_Name, QStringLiteral("Sodium"));
        // Ids above the table are answered like "no electrode", never read past it.
        for (int id : {5009, 6000, INT_MAX}) {
            const ISEInfo above = m_info->getISEInfo(id);
            QVERIFY(above.m_Name.isEmpty());
            QCOMPARE(above.m_MaxConcentration, 5.0);
        }
    }
};

KORVANTA_TEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"

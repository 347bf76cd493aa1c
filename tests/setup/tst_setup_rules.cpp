// The rules behind the setup columns and dialogs, without a window: the sensor choice, the
// range display, the trigger a row reports, typed numbers under a comma locale, the
// calibration capture and its arithmetic, the wheel radius and the drop volume.
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SensorsCalibration.h"
#include "Core/Data/SetupInfo.h"
#include "setup/SetupColumnRules.h"

#include "common/TestMain.h"

#include <cfloat>

using namespace SetupColumnRules;

class TestSetupRules : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void sensorMapSortedEmptyFirst();
    void sensorMapPelorinRules_data();
    void sensorMapPelorinRules();
    void sensorMapShortList();
    void rangeDisplay();
    void zeroReading();
    void triggerOnSelection_data();
    void triggerOnSelection();
    void triggerLevelDirection();
    void delayInMilliseconds_data();
    void delayInMilliseconds();
    void numbersUnderLocale_data();
    void numbersUnderLocale();
    void validatorBottomFollowsRange();
    void calibrateEnabled_data();
    void calibrateEnabled();
    void buildCalibrationRefusals();
    void calibrationArithmetic_data();
    void calibrationArithmetic();
    void radiusItems_data();
    void radiusItems();
    void dropVolume_data();
    void dropVolume();

private:
    QStringList names() const;
    CSensorInfo m_Catalogue;
};

void TestSetupRules::initTestCase()
{
    m_Catalogue.LoadSensorInfo();
}

QStringList TestSetupRules::names() const
{
    QStringList list;
    for (int i = 0; i < CSensorInfo::s_NumOfSensors; ++i)
        list << m_Catalogue.m_Sensors[i].m_Name;
    return list;
}

void TestSetupRules::sensorMapSortedEmptyFirst()
{
    const QStringList all = names();
    const SensorNameMap map = BuildSensorNameMap(all, 0.0, false);
    QCOMPARE(map.m_Names.size(), 71);
    QCOMPARE(map.m_Indices.size(), 71);
    QCOMPARE(map.m_Indices.first(), 0);
    QCOMPARE(map.m_Names.first(), all.at(0));
    for (int k = 1; k < map.m_Names.size(); ++k) {
        QCOMPARE(map.m_Names.at(k), all.at(map.m_Indices.at(k)));
        QVERIFY2(map.m_Indices.at(k) >= 1 && map.m_Indices.at(k) <= 70, qPrintable(map.m_Names.at(k)));
        if (k > 1)
            QVERIFY(map.m_Names.at(k - 1).toUpper() <= map.m_Names.at(k).toUpper());
    }
}

void TestSetupRules::sensorMapPelorinRules_data()
{
    QTest::addColumn<double>("type");
    QTest::addColumn<bool>("keep");
    QTest::addColumn<QList<int>>("missing");
    QTest::addColumn<QList<int>>("present");
    QTest::newRow("no logger") << 0.0 << false << QList<int>{} << QList<int>{21, 23, 25, 48, 61};
    QTest::newRow("dravlet") << 12.0 << false << QList<int>{} << QList<int>{21, 23, 25, 48, 61};
    QTest::newRow("pelorin") << 70.0 << false << QList<int>{21, 23, 25, 48, 61} << QList<int>{20, 22};
    QTest::newRow("pelorin keeps") << 70.0 << true << QList<int>{25} << QList<int>{21, 23, 48, 61};
}

void TestSetupRules::sensorMapPelorinRules()
{
    QFETCH(double, type);
    QFETCH(bool, keep);
    QFETCH(QList<int>, missing);
    QFETCH(QList<int>, present);
    const SensorNameMap map = BuildSensorNameMap(names(), type, keep);
    for (int i : missing)
        QVERIFY2(!map.m_Indices.contains(i), qPrintable(QString::number(i)));
    for (int i : present)
        QVERIFY2(map.m_Indices.contains(i), qPrintable(QString::number(i)));
    QCOMPARE(map.m_Indices.size(), 71 - missing.size());
}

void TestSetupRules::sensorMapShortList()
{
    const SensorNameMap map = BuildSensorNameMap({"Empty", "b", "A", "a"}, 0.0, false);
    // Equal names (ignoring case) go before the one already placed.
    QCOMPARE(map.m_Names, (QStringList{"Empty", "a", "A", "b"}));
    QCOMPARE(map.m_Indices, (QList<int>{0, 3, 2, 1}));
    QVERIFY(BuildSensorNameMap({}, 70.0, false).m_Indices.isEmpty());
}

void TestSetupRules::rangeDisplay()
{
    int single = -1, multi = -1;
    for (int i = 1; i < CSensorInfo::s_NumOfSensors && (single < 0 || multi < 0); ++i) {
        const CSensorParametersInfo& s = m_Catalogue.m_Sensors[i];
        if (single < 0 && s.m_NumOfRanges < 2 && !s.m_Measurements[0].m_RangeText.isEmpty())
            single = i;
        if (multi < 0 && s.m_NumOfRanges >= 2 && !CSensorInfo::IsISEIndex(i))
            multi = i;
    }
    QVERIFY(single > 0 && multi > 0);

    const RangeDisplay one = BuildRangeDisplay(&m_Catalogue, single, 0);
    QVERIFY(!one.m_bCombo);
    QCOMPARE(one.m_Label, m_Catalogue.m_Sensors[single].m_Measurements[0].m_RangeText);

    const CSensorParametersInfo& s = m_Catalogue.m_Sensors[multi];
    const RangeDisplay many = BuildRangeDisplay(&m_Catalogue, multi, 0);
    QVERIFY(many.m_bCombo);
    QCOMPARE(many.m_Items.size(), s.m_NumOfRanges);
    int expected = -1;
    for (int k = 0; k < s.m_NumOfRanges; ++k)
        if (s.m_RangeIds[k] == s.m_SensorId)
            expected = k;
    QCOMPARE(many.m_Selected, expected);
    QCOMPARE(many.m_ToolTip, expected >= 0 ? s.m_RangeNames[expected] : QString());

    if (m_Catalogue.m_Sensors[130].m_NumOfRanges >= 2) {
        const RangeDisplay none = BuildRangeDisplay(&m_Catalogue, 130, 0);
        QVERIFY(!none.m_bCombo);
        QCOMPARE(none.m_Label, Double2String(0.0, 3) + " - " + Double2String(5.0, 3));
        // A damaged electrode id never reads past the electrode table.
        QCOMPARE(BuildRangeDisplay(&m_Catalogue, 131, 9999).m_Label, none.m_Label);
    }
    QVERIFY(BuildRangeDisplay(&m_Catalogue, 400, 0).m_Label.isEmpty());
    QVERIFY(BuildRangeDisplay(nullptr, 1, 0).m_Label.isEmpty());
}

void TestSetupRules::zeroReading()
{
    QCOMPARE(ZeroReadingText(1.5, "m"), QString("1.500 (m)"));
    QCOMPARE(ZeroReadingText(-0.0004, QString()), QString("-0.000"));
    CSetupInfo setup;
    auto* heart = new CSesnorProperties;
    heart->m_SensorIndex = 79;
    heart->m_MeasurementList << new CMeasurementSetup;
    heart->m_MeasurementList.first()->m_Unit = "bpm";
    auto* plain = new CSesnorProperties;
    plain->m_SensorIndex = 1;
    plain->m_MeasurementList << new CMeasurementSetup;
    plain->m_MeasurementList.first()->m_Unit = "m";
    setup.m_SelectedSensorList << heart << plain;
    QCOMPARE(ZeroReadingUnit(&setup, 0, 0), QString("V"));
    QCOMPARE(ZeroReadingUnit(&setup, 1, 0), QString("m"));
    QCOMPARE(ZeroReadingUnit(&setup, 1, 3), QString());
    QCOMPARE(ZeroReadingUnit(&setup, 7, 0), QString());
    qDeleteAll(setup.m_SelectedSensorList);
    setup.m_SelectedSensorList.clear();
}

void TestSetupRules::triggerOnSelection_data()
{
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("levels");
    QTest::addColumn<bool>("active");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("type");
    // Level entry k has the code 4095 - 64 k.
    QTest::newRow("not allowed") << false << 1 << 0 << 3 << false << -1 << -1 << 0;
    QTest::newRow("delay") << true << 5 << 2 << 3 << true << 2500 << -1 << 5;
    QTest::newRow("above") << true << 1 << 2 << 3 << true << 2 << 4095 - 128 << 1;
    QTest::newRow("below") << true << 2 << 0 << 3 << true << 0 << 4095 << 2;
    QTest::newRow("none") << true << 0 << 2 << 3 << false << 0 << 0 << 0;
    QTest::newRow("no levels") << true << 1 << 0 << 0 << false << -1 << -1 << 0;
    QTest::newRow("level past end") << true << 2 << 3 << 3 << false << -1 << -1 << 0;
    QTest::newRow("negative level") << true << 1 << -1 << 3 << false << -1 << -1 << 0;
}

void TestSetupRules::triggerOnSelection()
{
    QFETCH(bool, allowed);
    QFETCH(int, kind);
    QFETCH(int, level);
    QFETCH(int, levels);
    QList<TriggerLevel> list;
    for (int k = 0; k < levels; ++k)
        list.append(TriggerLevel{4095 - 64 * k, float(k)});
    const TriggerReport r = TriggerOnSelection(allowed, kind, level, 2500, list);
    QTEST(r.m_bActive, "active");
    QTEST(r.m_LevelIndex, "index");
    QTEST(r.m_Value, "value");
    QTEST(r.m_Type, "type");
}

// Whether a trigger level's value falls as its code rises (codes 4095, 4031, ... in list order).
void TestSetupRules::triggerLevelDirection()
{
    const auto list = [](float a, float b, float c) { return QList<TriggerLevel>{{4095, a}, {4031, b}, {3967, c}}; };
    QVERIFY(!TriggerLevelFalls(list(5, 4, 3), 4031) && TriggerLevelFalls(list(3, 4, 5), 4000));
    // Past a clamped end; a flat list tells nothing.
    QVERIFY(TriggerLevelFalls(list(0, 0, 1), 4095) && !TriggerLevelFalls(list(9, 5, 5), 3967) && !TriggerLevelFalls(list(1, 1, 1), 4031));
}

void TestSetupRules::delayInMilliseconds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("ms");
    QTest::newRow("ms") << "250" << 0 << 250;
    QTest::newRow("seconds") << "5" << 1 << 5000;
    QTest::newRow("five digits of seconds") << "99999" << 1 << 99999000;
    QTest::newRow("empty") << "" << 1 << 0;
    QTest::newRow("spaces of a mask") << "  " << 0 << 0;
    QTest::newRow("not a number") << "1a" << 0 << 0;
    QTest::newRow("other unit") << "5" << 2 << 0;
    QTest::newRow("overflow") << "3000000" << 1 << 0;
    QTest::newRow("decimal seconds") << "1.5" << 1 << 1500;
    QTest::newRow("decimal comma") << "0,25" << 1 << 250;
    QTest::newRow("to the millisecond") << "12345.678" << 1 << 12345678;
    QTest::newRow("finer than a millisecond") << "1.2345" << 1 << 0;
    QTest::newRow("decimal milliseconds") << "1.5" << 0 << 0;
    QTest::newRow("negative") << "-5" << 1 << 0;
    QTest::newRow("six digits of ms") << "100000" << 0 << 0;
}

void TestSetupRules::delayInMilliseconds()
{
    QFETCH(QString, text);
    QFETCH(int, unit);
    QTEST(ConvertToMillisecond(text, unit), "ms");
    // Shown again (as Cancel does), a delay reads back the same.
    QFETCH(int, ms);
    int shownUnit = -1;
    const QString shown = TriggerDelayText(ms, &shownUnit);
    QCOMPARE(ConvertToMillisecond(shown, shownUnit), ms);
}

void TestSetupRules::numbersUnderLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("comma decimal") << "de_DE" << "2,5" << true << 2.5;
    QTest::newRow("negative comma") << "de_DE" << "-0,25" << true << -0.25;
    QTest::newRow("point under comma locale") << "de_DE" << "2.5" << true << 2.5;
    QTest::newRow("grouping is not a decimal") << "de_DE" << "1.500,5" << false << 0.0;
    QTest::newRow("point") << "en_US" << "2.5" << true << 2.5;
    QTest::newRow("comma under point locale") << "en_US" << "2,5" << false << 0.0;
    QTest::newRow("empty") << "de_DE" << "" << false << 0.0;
    QTest::newRow("letters") << "de_DE" << "12a" << false << 0.0;
    QTest::newRow("infinite") << "en_US" << "inf" << false << 0.0;
}

void TestSetupRules::numbersUnderLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    double read = -123.0;
    QCOMPARE(ParseNumber(QLocale(locale), text, &read), ok);
    QCOMPARE(read, ok ? value : -123.0);
    if (ok) {
        // What we write back reads again in the same locale.
        double again = 0.0;
        QVERIFY(ParseNumber(QLocale(locale), FormatNumber(QLocale(locale), value, 'f', 3), &again));
        QCOMPARE(again, value);
    }
}

void TestSetupRules::validatorBottomFollowsRange()
{
    QCOMPARE(CalibrationValidatorBottom(-25.0), -25.0);
    QCOMPARE(CalibrationValidatorBottom(0.0), -DBL_MIN);
    QCOMPARE(CalibrationValidatorBottom(10.0), -DBL_MIN);
    QCOMPARE(CalibrationValidatorBottom(std::numeric_limits<double>::quiet_NaN()), -DBL_MIN);
    QVERIFY(RealValueInRange(-25.0, -25.0, 25.0));
    QVERIFY(RealValueInRange(25.0, -25.0, 25.0));
    QVERIFY(!RealValueInRange(25.001, -25.0, 25.0));
    QCOMPARE(OutOfRangeText(-25, 25), QString("The value is out of range\r\nSensor Range is:\r\n-25 to 25"));
}

void TestSetupRules::calibrateEnabled_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("point");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("other");
    QTest::addColumn<bool>("changes");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("one point locked") << 1 << 1 << true << false << true << true;
    QTest::newRow("one point unlocked") << 1 << 1 << false << false << true << false;
    QTest::newRow("two points, first alone") << 2 << 1 << true << false << true << false;
    QTest::newRow("two points, both") << 2 << 1 << true << true << true << true;
    QTest::newRow("two points, second after first") << 2 << 2 << true << true << true << true;
    QTest::newRow("two points, second unlocked") << 2 << 2 << false << true << true << false;
    QTest::newRow("rotary, first untouched") << 4 << 1 << true << true << false << false;
    QTest::newRow("other kind, second") << 0 << 2 << true << true << true << true;
}

void TestSetupRules::calibrateEnabled()
{
    QFETCH(int, kind);
    QFETCH(int, point);
    QFETCH(bool, checked);
    QFETCH(bool, other);
    bool changes = false;
    const bool enabled = CalibrateEnabledAfterLock(kind, point, checked, other, &changes);
    QTEST(changes, "changes");
    if (changes)
        QTEST(enabled, "enabled");
}

void TestSetupRules::buildCalibrationRefusals()
{
    const QLocale de("de_DE");
    CalibrationValues v;
    QCOMPARE(BuildCalibration(2, {"1", "2,000", "3", "2,000"}, de, &v), CalibrationEqualReadings);
    QCOMPARE(BuildCalibration(2, {"1", "2,000", "", "3,000"}, de, &v), CalibrationMissingValue);
    QCOMPARE(BuildCalibration(1, {"abc", "2,000", "", ""}, de, &v), CalibrationMissingValue);
    // A refusal leaves the record as it was.
    QCOMPARE(v.real1, -1.0);
    QCOMPARE(v.type, 0);
    // "2,5" is two and a half, never a silent zero.
    QCOMPARE(BuildCalibration(1, {"2,5", "2,000", "", ""}, de, &v), CalibrationAccepted);
    QCOMPARE(v.real1, 2.5);
    QCOMPARE(v.measured1, 2.0);
    QCOMPARE(v.real2, -1.0);
    QCOMPARE(v.type, 1);
    CalibrationValues rotary;
    QCOMPARE(BuildCalibration(4, {}, de, &rotary), CalibrationAccepted);
    QCOMPARE(rotary.type, 4);
}

void TestSetupRules::calibrationArithmetic_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("raw1");
    QTest::addColumn<int>("raw2");
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("slope");
    QTest::addColumn<double>("offset");
    // offset = real1 - measured1 = 2.5 - 2.0
    QTest::newRow("one point") << 1 << QStringList{"2,5", "2,000", "", ""} << 100 << -1 << 1 << 0.0 << 0.5;
    // slope = (30 - 10) / (3000 - 1000) = 0.01, offset = 10 - 1000 x 0.01 = 0
    QTest::newRow("two points") << 2 << QStringList{"10", "9,000", "30", "31,000"} << 1000 << 3000 << 2 << 0.01 << 0.0;
    // slope = (15 - (-5)) / (2500 - 500) = 0.01, offset = -5 - 500 x 0.01 = -10
    QTest::newRow("negative reference") << 2 << QStringList{"-5", "-4,000", "15", "14,000"} << 500 << 2500 << 2 << 0.01
                                        << -10.0;
    // Equal raw values give no line: the record falls back to no calibration.
    QTest::newRow("equal raw") << 2 << QStringList{"1", "1,000", "2", "2,000"} << 700 << 700 << 0 << 0.0 << 0.0;
}

void TestSetupRules::calibrationArithmetic()
{
    QFETCH(int, kind);
    QFETCH(QStringList, entries);
    CalibrationValues v;
    QFETCH(int, raw1);
    QFETCH(int, raw2);
    v.raw1 = raw1;
    v.raw2 = raw2;
    QCOMPARE(BuildCalibration(kind, {entries[0], entries[1], entries[2], entries[3]}, QLocale("de_DE"), &v),
             CalibrationAccepted);
    CSensorsCalibration table(&m_Catalogue);
    table.RestoreDefaults();
    table.setCalibrationValues(v, 1);
    const SensorCalibrationInfo r = table.GetCalibration(1);
    QTEST(r.type, "type");
    QFETCH(double, slope);
    QFETCH(double, offset);
    QVERIFY2(qAbs(r.slope - slope) < 1e-12, qPrintable(QString::number(r.slope)));
    QVERIFY2(qAbs(r.offset - offset) < 1e-12, qPrintable(QString::number(r.offset)));
}

void TestSetupRules::radiusItems_data()
{
    QTest::addColumn<double>("metres");
    QTest::addColumn<int>("item");
    QTest::newRow("5 mm") << 0.005 << 0;
    QTest::newRow("15 mm") << 0.015 << 1;
    QTest::newRow("25 mm from a float") << double(0.025f) << 2;
    QTest::newRow("within 0.1 mm") << 0.01509 << 1;
    QTest::newRow("just outside") << 0.0151 << -1;
    QTest::newRow("default 1 m") << 1.0 << -1;
}

void TestSetupRules::radiusItems()
{
    QFETCH(double, metres);
    QTEST(RadiusItemForMetres(metres), "item");
    QCOMPARE(RadiusMm(0), 5.0);
    QCOMPARE(RadiusMm(2), 25.0);
    QCOMPARE(RadiusMm(3), 0.0);
}

void TestSetupRules::dropVolume_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("volume");
    QTest::newRow("default") << "0.04" << true << 0.04;
    QTest::newRow("comma") << "0,05" << true << 0.05;
    QTest::newRow("zero") << "0" << false << 0.0;
    QTest::newRow("negative") << "-0.1" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("text") << "drop" << false << 0.0;
}

void TestSetupRules::dropVolume()
{
    QFETCH(QString, text);
    double volume = 0.0;
    QTEST(ParseDropVolume(QLocale("de_DE"), text, &volume), "ok");
    QTEST(volume, "volume");
}

KORVANTA_TEST_MAIN(TestSetupRules)
#include "tst_setup_rules.moc"

// Calibration records: what each type stores and derives, the electrode fit, the defaults.
#include "common/TestMain.h"
#include <memory>

#include "Core/Data/SensorInfo.h"
#include "Core/Data/SensorsCalibration.h"

class TestCalibration : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CSensorInfo> m_info;
    std::unique_ptr<CSensorsCalibration> m_cal;

private slots:
    void init()
    {
        m_info.reset(new CSensorInfo);
        m_info->LoadSensorInfo();
        m_cal.reset(new CSensorsCalibration(m_info.get()));
    }

    void defaultsAfterConstruction()
    {
        QCOMPARE(m_cal->GetNumOfRecords(), 149);
        QCOMPARE(m_cal->GetCalibration(33).factor, 0.04);
        QCOMPARE(m_cal->GetCalibration(109).factor, 0.04);
        QCOMPARE(m_cal->GetCalibration(48).factor, 0.02500000037252903);
        QCOMPARE(m_cal->GetCalibration(127).factor, 0.02500000037252903);
        QCOMPARE(m_cal->GetCalibration(49).factor, 1.0);
        QCOMPARE(m_cal->GetCalibration(1).factor, 0.0);
        const SensorCalibrationInfo r = m_cal->GetCalibration(5);
        QCOMPARE(r.type, 0);
        QCOMPARE(r.real1, -1.0);
        QCOMPARE(r.measured2, -1.0);
        QCOMPARE(r.raw1, -1);
        QCOMPARE(r.raw2, -1);
        QVERIFY(r.dateTime.isNull());
        QVERIFY(m_cal->GetFilePath().endsWith("/KV4Calibration.ini"));
    }

    void indexOutsideTableIsHarmless()
    {
        QVERIFY(!m_cal->GetRecord(-1));
        QVERIFY(!m_cal->GetRecord(149));
        QCOMPARE(m_cal->GetCalibration(500).type, 0);
        CalibrationValues v;
        v.type = 1;
        m_cal->setCalibrationValues(v, 149);
        m_cal->RestoreSensorDefault(-4);
    }

    void offsetType()
    {
        CalibrationValues v;
        v.type = 1;
        v.real1 = 20.0;
        v.measured1 = 18.5;
        v.dateTime = QDateTime(QDate(2026, 3, 1), QTime(10, 0));
        m_cal->setCalibrationValues(v, 1);
        const SensorCalibrationInfo r = m_cal->GetCalibration(1);
        QCOMPARE(r.type, 1);
        QCOMPARE(r.offset, 1.5);
        QCOMPARE(r.dateTime, v.dateTime);
    }

    void twoPointLine()
    {
        CalibrationValues v;
        v.type = 2;
        v.real1 = 2.0;
        v.raw1 = 1000;
        v.real2 = 7.0;
        v.raw2 = 3000;
        m_cal->setCalibrationValues(v, 23);
        const SensorCalibrationInfo r = m_cal->GetCalibration(23);
        QCOMPARE(r.slope, 0.0025);      // 5 / 2000
        QCOMPARE(r.offset, -0.5);       // 2 - 1000 x 0.0025
        // Equal raws: no line, type 0, the points kept.
        v.raw2 = 1000;
        m_cal->setCalibrationValues(v, 23);
        QCOMPARE(m_cal->GetCalibration(23).type, 0);
        QCOMPARE(m_cal->GetCalibration(23).raw2, 1000);
        QCOMPARE(m_cal->GetCalibration(23).real2, 7.0);
    }

    void electrodeFit()
    {
        // Ammonium: k1 = 0.147923372 mV per count; 10 ppm at raw 2000, 100 ppm at raw 2400.
        CalibrationValues v;
        v.type = 2;
        v.real1 = 1.0;
        v.measured1 = 10.0;
        v.raw1 = 2000;
        v.real2 = 2.0;
        v.measured2 = 100.0;
        v.raw2 = 2400;
        v.iseId = 5000;
        m_cal->setCalibrationValues(v, 130);
        const SensorCalibrationInfo r = m_cal->GetCalibration(130);
        QVERIFY(qAbs(r.slope - 0.147923372 * 400) < 1e-9);                        // per decade
        QVERIFY(qAbs(r.offset - (0.147923372 * 2000 - 1.0 * 0.147923372 * 400)) < 1e-9);
        // Equal concentrations give no decade: slope and offset stay.
        v.measured2 = 10.0;
        m_cal->setCalibrationValues(v, 130);
        QCOMPARE(m_cal->GetCalibration(130).slope, r.slope);
        QCOMPARE(m_cal->GetCalibration(130).offset, r.offset);
        // A concentration of 0 has no logarithm: nothing changes either.
        v.measured1 = 0.0;
        v.measured2 = 50.0;
        m_cal->setCalibrationValues(v, 131);
        QCOMPARE(m_cal->GetCalibration(131).slope, 0.0);
    }

    void factorTypesKeepTheirFactor()
    {
        m_cal->GetRecord(48)->factor = 0.015;
        CalibrationValues v;
        v.type = 4;
        m_cal->setCalibrationValues(v, 48);
        QCOMPARE(m_cal->GetCalibration(48).type, 4);
        QCOMPARE(m_cal->GetCalibration(48).factor, 0.015);
    }

    void restoreSensorDefault()
    {
        CalibrationValues v;
        v.type = 1;
        v.real1 = 3;
        v.measured1 = 1;
        m_cal->setCalibrationValues(v, 1);
        m_cal->RestoreSensorDefault(1);  // kind 2: restored, factor 1.0
        QCOMPARE(m_cal->GetCalibration(1).type, 0);
        QCOMPARE(m_cal->GetCalibration(1).offset, 0.0);
        QCOMPARE(m_cal->GetCalibration(1).factor, 1.0);
        m_cal->GetRecord(33)->factor = 0.5;
        m_cal->RestoreSensorDefault(33);
        QCOMPARE(m_cal->GetCalibration(33).factor, 0.04);
        // Index 15 offers no calibration: the record is left as it is.
        m_cal->setCalibrationValues(v, 15);
        m_cal->RestoreSensorDefault(15);
        QCOMPARE(m_cal->GetCalibration(15).type, 1);
        m_cal->RestoreDefaults();
        QCOMPARE(m_cal->GetCalibration(15).type, 0);
    }

    void metaTypeRegistered()
    {
        QVERIFY(QMetaType::type("CalibrationValues") != QMetaType::UnknownType);
        CalibrationValues v;
        v.type = 2;
        v.raw2 = 77;
        const QVariant var = QVariant::fromValue(v);
        QCOMPARE(var.value<CalibrationValues>().raw2, 77);
    }
};

KORVANTA_TEST_MAIN(TestCalibration)
#include "tst_calibration.moc"

// Live readings: one raw reading of a channel converted for the measurement the setup shows.
#include "support/SetupRig.h"

#include "common/TestMain.h"

class TestSetupLiveReadings : public QObject
{
    Q_OBJECT
private slots:
    void readingOfEachMeasurement_data();
    void readingOfEachMeasurement();
    void fahrenheitFollowsCelsius();
    void noLoggerOrBadMeasurement();
};

void TestSetupLiveReadings::readingOfEachMeasurement_data()
{
    QTest::addColumn<double>("type");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("measurement");
    QTest::addColumn<int>("raw");
    QTest::addColumn<double>("value");
    // Acceleration: g = (raw - 2048) x 108 / 28 / 10 / 100, and m/s² = 9.81 g.
    // 2328: 280 x 108 / 28000 = 1.08 g = 10.5948 m/s².
    QTest::newRow("g, Dravlet") << 12.0 << 8 << 0 << 2328 << 1.08;
    QTest::newRow("m/s², Dravlet") << 12.0 << 8 << 1 << 2328 << 10.5948;
    QTest::newRow("m/s², Pelorin") << 70.0 << 8 << 1 << 2328 << 10.5948;
    // 1768: -280 -> -1.08 g = -10.5948 m/s².
    QTest::newRow("negative m/s²") << 70.0 << 8 << 1 << 1768 << -10.5948;
    // pH: 0.005125 per count above the zero count the logger reports (0 here): 2048 -> 10.496.
    QTest::newRow("pH") << 12.0 << 13 << 0 << 2048 << 10.496;
}

void TestSetupLiveReadings::readingOfEachMeasurement()
{
    QFETCH(double, type);
    QFETCH(int, index);
    QFETCH(int, measurement);
    QFETCH(int, raw);
    QFETCH(double, value);
    CFakeSetupHost host;
    host.plugLogger(type);
    const float reading = host.m_Logic.ConvertDataSample(0, 0, index, measurement, raw);
    QVERIFY2(qAbs(double(reading) - value) < 1e-4, qPrintable(QString::number(reading)));
}

void TestSetupLiveReadings::fahrenheitFollowsCelsius()
{
    CFakeSetupHost host;
    host.plugLogger(12.0);
    for (const int raw : {1200, 2048, 3100}) {
        const double c = host.m_Logic.ConvertDataSample(1, 1, 15, 0, raw);
        const double f = host.m_Logic.ConvertDataSample(1, 1, 15, 1, raw);
        QVERIFY2(qAbs(f - (c * 9.0 / 5.0 + 32.0)) < 1e-3, qPrintable(QString("%1 %2").arg(c).arg(f)));
    }
}

void TestSetupLiveReadings::noLoggerOrBadMeasurement()
{
    CFakeSetupHost host;
    QCOMPARE(host.m_Logic.ConvertDataSample(0, 0, 8, 1, 2328), 0.0f);
    host.plugLogger(12.0);
    QCOMPARE(host.m_Logic.ConvertDataSample(0, 0, 8, -1, 2328), 0.0f);
    QCOMPARE(host.m_Logic.ConvertDataSample(0, 0, 8, 8, 2328), 0.0f);
    QCOMPARE(host.m_Logic.ConvertDataSample(0, 0, 400, 0, 2328), 0.0f);
}

KORVANTA_TEST_MAIN(TestSetupLiveReadings)
#include "tst_setup_live_readings.moc"

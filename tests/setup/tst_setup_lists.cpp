// The lists the setup offers: sensor names, rates (bounded by the active measurements and the
// logger), numbers of samples, and the run-duration text.
#include "support/SetupRig.h"

#include <QRegularExpression>
#include "common/TestMain.h"

class TestSetupLists : public QObject
{
    Q_OBJECT
private slots:
    void sensorNames();
    void ratesWithoutSensors();
    void ratesShareTheTopRate();
    void ratesBoundedBySensorType();
    void sampleCounts();
    void durationTable_data();
    void durationTable();
    void durationOutOfRange();
    void durationFromSetup();

private:
    static QList<int> codes(const CSetupWindow& c) { return c.m_UiRateCodes; }
    static QList<int> range(int from, int to)
    {
        QList<int> l;
        for (int i = from; i <= to; ++i)
            l << i;
        return l;
    }
    // n sensors of catalogue index 1 (one measurement, no rate limit of its own), active.
    static void activeVoltages(CFakeSetupHost& host, int n)
    {
        for (int i = 0; i < n; ++i) {
            host.m_pController->addSensor2ActiveSensorList(1, i, i);
            host.setup().m_SelectedSensorList.at(i)->GetMeasurement(0)->m_bActive = true;
        }
    }
};

void TestSetupLists::sensorNames()
{
    CFakeSetupHost host;
    CSetupWindow& c = *host.m_pController;
    c.createSensorList();
    QCOMPARE(c.m_SensorNames.size(), 149);
    QCOMPARE(c.m_SensorNames.at(0), QString("Empty"));
    QCOMPARE(c.m_SensorNames.at(1), QString::fromUtf8("Voltage ±25V"));
    QCOMPARE(c.m_SensorNames.at(2), QString("Voltage 0 - 5V"));
}

void TestSetupLists::ratesWithoutSensors()
{
    CFakeSetupHost host;
    CSetupWindow& c = *host.m_pController;
    c.createRateList(12.0);
    QCOMPARE(codes(c), range(1, 13));
    QCOMPARE(c.m_RateNames.first(), QString("Every hour"));
    QCOMPARE(c.m_RateNames.last(), QString("10000 samples per second"));
    c.createRateList(70.0);
    QCOMPARE(codes(c), range(1, 14));
    QCOMPARE(c.m_RateNames.last(), QString("100000 samples per second"));
    QCOMPARE(c.m_RateNames.at(5), QString("Every second"));
    QVERIFY(!c.RatesListEmpty());
    // A logger of no known type is offered what the Dravlet interface is.
    c.createRateList(0.0);
    QCOMPARE(codes(c), range(1, 13));
}

void TestSetupLists::ratesShareTheTopRate()
{
    CFakeSetupHost host;
    CSetupWindow& c = *host.m_pController;
    const CSensorParametersInfo* voltage = host.m_Logic.m_SensorInfo.GetSensorInfo(1);
    QCOMPARE(int(voltage->m_FastestRateCode), 15);
    QCOMPARE(int(voltage->m_SlowestRateCode), 1);
    activeVoltages(host, 3);
    c.createRateList(12.0);
    QCOMPARE(codes(c), range(1, 12) << 15);
    QCOMPARE(c.m_RateNames.last(), QString("3333 samples per second"));
    CFakeSetupHost pelorin;
    activeVoltages(pelorin, 2);
    pelorin.m_pController->createRateList(70.0);
    QCOMPARE(codes(*pelorin.m_pController), range(1, 13) << 15);
    QCOMPARE(pelorin.m_pController->m_RateNames.at(12), QString("10000 samples per second"));
    QCOMPARE(pelorin.m_pController->m_RateNames.last(), QString("50000 samples per second"));
    // Inactive measurements do not count.
    for (CSesnorProperties* s : pelorin.setup().m_SelectedSensorList)
        s->GetMeasurement(0)->m_bActive = false;
    pelorin.m_pController->createRateList(70.0);
    QCOMPARE(codes(*pelorin.m_pController), range(1, 14));
}

void TestSetupLists::ratesBoundedBySensorType()
{
    // The microphone (index 7) samples no slower than code 13; the distance sensor (25) no
    // faster than code 8.
    CFakeSetupHost host;
    CSetupWindow& c = *host.m_pController;
    const CSensorParametersInfo* mic = host.m_Logic.m_SensorInfo.GetSensorInfo(7);
    const CSensorParametersInfo* distance = host.m_Logic.m_SensorInfo.GetSensorInfo(25);
    QCOMPARE(int(mic->m_SlowestRateCode), 13);
    QCOMPARE(int(distance->m_FastestRateCode), 8);
    c.addSensor2ActiveSensorList(25, 0, 0);
    for (CMeasurementSetup* m : host.setup().m_SelectedSensorList.at(0)->m_MeasurementList)
        m->m_bActive = false;
    host.setup().m_SelectedSensorList.at(0)->GetMeasurement(0)->m_bActive = true;
    const CSensorMeasuremntInfo* mi = distance->GetMeasurement(0);
    const int fastest = mi->m_FastestRateCode != 999 && mi->m_FastestRateCode < 15 ? mi->m_FastestRateCode
                                                                                   : distance->m_FastestRateCode;
    c.createRateList(70.0);
    QCOMPARE(codes(c), range(1, fastest));
    c.addSensor2ActiveSensorList(7, 0, 0);
    host.setup().m_SelectedSensorList.at(0)->GetMeasurement(0)->m_bActive = true;
    c.createRateList(12.0);
    QCOMPARE(codes(c), QList<int>{15});
    QCOMPARE(c.m_RateNames.first(), QString("10000 samples per second"));
}

void TestSetupLists::sampleCounts()
{
    CFakeSetupHost host;
    CSetupWindow& c = *host.m_pController;
    c.createDurationList(12.0);
    QCOMPARE(c.m_SampleCounts.size(), 13);
    QCOMPARE(c.m_SampleCounts.last(), 32000);
    QCOMPARE(c.m_SampleCountNames.last(), QString("32000"));
    c.createDurationList(70.0);
    QCOMPARE(c.m_SampleCounts.size(), 14);
    QCOMPARE(c.m_SampleCounts.at(12), 100000);
    QCOMPARE(c.m_SampleCountNames.last(), QString("250000"));
    QCOMPARE(c.m_SampleCountNames.first(), QString("10"));
}

void TestSetupLists::durationTable_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0.0 << "0 seconds";
    QTest::newRow("0.5") << 0.5 << "0.5 seconds";
    QTest::newRow("50") << 50.0 << "50 seconds";
    QTest::newRow("just below 60") << 59.999999999 << "1 minutes";
    QTest::newRow("60") << 60.0 << "1 minutes";
    QTest::newRow("90.5") << 90.5 << "1 minutes 30 seconds";
    QTest::newRow("100") << 100.0 << "1 minutes 40 seconds";
    QTest::newRow("3600") << 3600.0 << "1 hours";
    QTest::newRow("3605") << 3605.0 << "1 hours 5 seconds";
    QTest::newRow("3660") << 3660.0 << "1 hours 1 minutes";
    QTest::newRow("3661") << 3661.0 << "1 hours 1 minutes 1 seconds";
    QTest::newRow("86400") << 86400.0 << "1 days";
    QTest::newRow("86405") << 86405.0 << "1 days 5 seconds";
    QTest::newRow("86460") << 86460.0 << "1 days 1 minutes";
    QTest::newRow("90000") << 90000.0 << "1 days 1 hours";
    QTest::newRow("90005") << 90005.0 << "1 days 1 hours 5 seconds";
    QTest::newRow("93784") << 93784.0 << "1 days 2 hours 3 minutes 4 seconds";
    QTest::newRow("250000 h") << 250000.0 * 3600.0 << "10416 days 16 hours";
    QTest::newRow("nan") << qQNaN() << "";
    QTest::newRow("negative") << -1.0 << "";
}

void TestSetupLists::durationTable()
{
    QFETCH(double, seconds);
    QFETCH(QString, text);
    QCOMPARE(CSetupWindow::FormatDuration(seconds), text);
}

void TestSetupLists::durationOutOfRange()
{
    // Totals no run reaches are bounded, not converted past the integer range.
    const QString huge = CSetupWindow::FormatDuration(1e300);
    QVERIFY2(QRegularExpression("^\\d{11} days( \\d+ (hours|minutes|seconds))*$").match(huge).hasMatch(),
             qPrintable(huge));
    QCOMPARE(CSetupWindow::FormatDuration(qInf()), QString());
}

void TestSetupLists::durationFromSetup()
{
    CFakeSetupHost host;
    CSetupWindow& c = *host.m_pController;
    QString text = "unchanged";
    host.setup().m_NumberOfSamples = -1;
    QVERIFY(!c.durationText(&text));
    QCOMPARE(text, QString("unchanged"));
    host.setup().m_NumberOfSamples = 100;
    host.setup().m_RateCode = 6;
    QVERIFY(c.durationText(&text)); // no logger: empty
    QCOMPARE(text, QString());
    host.plugLogger(70.0);
    host.m_Logger.m_Interval.m_PeriodSec = 36.0;
    QVERIFY(c.durationText(&text));
    QCOMPARE(text, QString("1 hours"));
    host.setup().m_RateCode = 0; // manual sampling
    QVERIFY(c.durationText(&text));
    QCOMPARE(text, QString());
    host.setup().m_RateCode = 6;
    host.m_Logger.m_Interval.m_PeriodSec = qInf(); // a broken interval gives no number, not a crash
    QVERIFY(c.durationText(&text));
    QCOMPARE(text, QString("0 seconds"));
}

KORVANTA_TEST_MAIN(TestSetupLists)
#include "tst_setup_lists.moc"

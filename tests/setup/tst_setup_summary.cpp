// The setup summary: one line per shown sensor with its active measurements, the paired Pelorin
// ports, switching sensors and measurements, read-only during a run.
#include "common/ScriptedPrompter.h"
#include "support/SetupRig.h"

#include "Core/Data/SensorInfo.h"
#include "setup/FullSetupWindow.h"
#include "setup/MeasurementColumns.h"
#include "setup/SetupSummary.h"
#include "setup/SetupWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include "common/TestMain.h"

namespace {
struct SummaryBench
{
    explicit SummaryBench(double type)
    {
        host.plugLogger(type);
        host.m_pController->initWindow();
        host.m_pController->loggerConnected(true);
    }
    // Adds a sensor at the next position with the given active measurements.
    CSesnorProperties* add(int index, const QList<bool>& active, int port = -1)
    {
        CSetupInfo& s = host.setup();
        const int position = s.m_SelectedSensorList.size();
        host.m_pController->addSensor2ActiveSensorList(index, position, port);
        CSesnorProperties* sensor = s.m_SelectedSensorList.at(position);
        for (int m = 0; m < sensor->m_MeasurementList.size(); ++m)
            sensor->m_MeasurementList.at(m)->m_bActive = m < active.size() && active.at(m);
        return sensor;
    }
    CMinimalSetupWindow& w() { return *host.m_pController->summaryWindow(); }
    QTableWidget* t() { return w().table(); }
    template <class T> QList<T*> lines()
    {
        QList<T*> out;
        for (int row = 0; row < t()->rowCount(); ++row)
            if (auto* line = qobject_cast<T*>(t()->cellWidget(row, 0)))
                out << line;
        return out;
    }

    CScriptedPrompter prompter;
    CFakeAreaSetupHost host;
};
} // namespace

class TestSetupSummary : public QObject
{
    Q_OBJECT
private slots:
    void rowsPerSensor();
    void emptySensorWithDravlet();
    void triggerAndZeroMarks();
    void pairedPorts();
    void switchingSensorsAndMeasurements();
    void removeThenTickAgreesInBothViews();
    void readOnlyDuringRun();
    void opensFullSetup();
    void bandSaysWhatTheRunWillDo_data();
    void bandSaysWhatTheRunWillDo();
    void measurementsAreNamedAsTheirSeriesWillBe();
};

void TestSetupSummary::rowsPerSensor()
{
    SummaryBench b(70.0);
    b.w().updateMinimalSetupWindow();
    QCOMPARE(b.t()->rowCount(), 0);
    b.add(8, {false, false});
    b.w().updateMinimalSetupWindow();
    QCOMPARE(b.t()->rowCount(), 2);
    QVERIFY(!b.lines<CSetupSummaryRow>().first()->form()->sesnorCheckBox->isChecked());
    b.add(15, {true, true});
    b.w().updateMinimalSetupWindow();
    QCOMPARE(b.t()->rowCount(), 2 + 6);
    QCOMPARE(b.t()->rowHeight(2), 40);
    QCOMPARE(b.t()->rowHeight(3), 2);
    QCOMPARE(b.lines<CSetupSummaryMeasurement>().size(), 2);
    QVERIFY(b.lines<CSetupSummaryRow>().at(1)->form()->sesnorCheckBox->isChecked());
    const QString unit = b.host.m_Logic.m_SensorInfo.m_Sensors[15].m_Measurements[1].m_Unit;
    QVERIFY(b.lines<CSetupSummaryMeasurement>().at(1)->form()->measurementLabel->toolTip().endsWith("(" + unit + ")"));
}

void TestSetupSummary::emptySensorWithDravlet()
{
    SummaryBench dravlet(12.0);
    dravlet.add(0, {});
    dravlet.add(1, {true});
    dravlet.w().updateMinimalSetupWindow();
    QCOMPARE(dravlet.lines<CSetupSummaryRow>().size(), 1);
    SummaryBench pelorin(70.0);
    pelorin.add(0, {});
    pelorin.add(1, {true});
    pelorin.w().updateMinimalSetupWindow();
    QCOMPARE(pelorin.lines<CSetupSummaryRow>().size(), 2);
}

void TestSetupSummary::triggerAndZeroMarks()
{
    SummaryBench b(70.0);
    b.add(8, {true, true});
    CSesnorProperties* second = b.add(15, {true, true});
    second->m_MeasurementList.at(1)->m_bZero = true;
    b.host.setup().m_TriggerChannel = 1;
    b.w().updateMinimalSetupWindow();
    const QList<CSetupSummaryMeasurement*> m = b.lines<CSetupSummaryMeasurement>();
    QCOMPARE(m.size(), 4);
    const QList<bool> trigger{false, false, true, false};
    const QList<bool> zero{false, false, false, true};
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(!m.at(k)->form()->triggerIconLabel->isHidden(), trigger.at(k));
        QCOMPARE(!m.at(k)->form()->zeroIconLabel->isHidden(), zero.at(k));
    }
    QCOMPARE(m.at(2)->colour(), second->m_MeasurementList.at(0)->m_Color);
}

void TestSetupSummary::pairedPorts()
{
    SummaryBench b(70.0);
    b.add(1, {true}, 6);
    b.add(1, {true}, 7);
    b.add(1, {true}, 8);
    b.add(1, {true}, 5);
    b.w().updateMinimalSetupWindow();
    const QList<CSetupSummaryRow*> rows = b.lines<CSetupSummaryRow>();
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows.at(0)->form()->portNumberLabel->text(), QString("1-1"));
    QCOMPARE(rows.at(1)->form()->portNumberLabel->text(), QString("1-2"));
    QCOMPARE(rows.at(2)->form()->portNumberLabel->text(), QString("2"));
    QCOMPARE(rows.at(3)->form()->portNumberLabel->toolTip(), QString("Sensor Port"));
}

void TestSetupSummary::switchingSensorsAndMeasurements()
{
    SummaryBench b(70.0);
    // The full window's row follows the logger's status; the summary mirrors into it.
    b.host.setStatus({15});
    b.host.m_pController->updateSetupWindow(1);
    CSesnorProperties* sensor = b.host.setup().m_SelectedSensorList.first();
    sensor->m_MeasurementList.at(0)->m_bActive = true;
    sensor->m_MeasurementList.at(1)->m_bActive = true;
    b.w().updateMinimalSetupWindow();
    b.lines<CSetupSummaryRow>().first()->form()->sesnorCheckBox->click();
    QVERIFY(!sensor->m_MeasurementList.at(0)->m_bActive);
    QVERIFY(!sensor->m_MeasurementList.at(1)->m_bActive);
    QCOMPARE(b.t()->rowCount(), 2);
    b.lines<CSetupSummaryRow>().first()->form()->sesnorCheckBox->click();
    QVERIFY(sensor->m_MeasurementList.at(0)->m_bActive);
    QVERIFY(!sensor->m_MeasurementList.at(1)->m_bActive);
    QVERIFY(b.host.m_Settings.IsMeasurementActive(0, 0));

    b.w().SensorMeasurementClosed(0, 0);
    QVERIFY(!sensor->m_MeasurementList.at(0)->m_bActive);
    QVERIFY(!b.host.m_Settings.IsMeasurementActive(0, 0));
    QCOMPARE(b.host.m_RunButtonEnabled, 0);
}

void TestSetupSummary::removeThenTickAgreesInBothViews()
{
    SummaryBench b(70.0);
    b.host.setStatus({15});
    b.host.m_pController->updateSetupWindow(1);
    auto* column = b.host.m_pController->fullSetupWindow()->cell<FullSetupMeasurementsColumn>(
        0, CFullSetupWindow::MeasurementColumn);
    const CMeasurementSetup* first = b.host.setup().m_SelectedSensorList.first()->m_MeasurementList.first();
    // Without the event loop between rounds, the rows the full window dropped still exist.
    for (int round = 0; round < 6; ++round) {
        b.w().SensorMeasurementClosed(0, 0);
        b.lines<CSetupSummaryRow>().first()->form()->sesnorCheckBox->click();
        QCOMPARE(column->table()->cellWidget(0, 0)->findChild<QCheckBox*>()->isChecked(), first->m_bActive);
    }
}

void TestSetupSummary::readOnlyDuringRun()
{
    SummaryBench b(70.0);
    CSesnorProperties* sensor = b.add(15, {true});
    b.w().updateMinimalSetupWindow();
    emit b.host.m_Hub.LoggerStartedRun();
    QVERIFY(b.w().isRunning());
    QVERIFY(!b.lines<CSetupSummaryRow>().first()->form()->sesnorCheckBox->isEnabled());
    b.w().SensorMeasurementClosed(0, 0);
    QVERIFY(sensor->m_MeasurementList.at(0)->m_bActive);
    emit b.host.m_Hub.LoggerExperimentEnd();
    QVERIFY(b.lines<CSetupSummaryRow>().first()->form()->sesnorCheckBox->isEnabled());
}

void TestSetupSummary::opensFullSetup()
{
    SummaryBench b(70.0);
    b.host.m_pController->displaySetupWindow(0);
    QVERIFY(!b.w().isHidden());
    b.w().form()->FullSetupButton->click();
    QCOMPARE(b.host.m_pController->setupWindowType(), 1);
    QVERIFY(b.w().isHidden());
    QVERIFY(!b.host.m_pController->fullSetupWindow()->isHidden());
    b.host.m_pController->fullSetupWindow()->form()->MinimalSetupButton->click();
    QCOMPARE(b.host.m_pController->setupWindowType(), 0);
}

void TestSetupSummary::bandSaysWhatTheRunWillDo_data()
{
    QTest::addColumn<QList<int>>("state");   // the sampling combo (1 auto, 0 manual), run mode (1 timing), logger
    QTest::addColumn<QStringList>("band");
    QTest::newRow("automatic") << QList<int>{1, 0, 1} << QStringList{"10 samples per second", "10 seconds"};
    QTest::newRow("manual") << QList<int>{0, 0, 1} << QStringList{"Manual: a sample per press", "Up to 100 samples"};
    QTest::newRow("event timing") << QList<int>{1, 1, 1} << QStringList{"Event timing: velocity", "Until Run is pressed again"};
    QTest::newRow("no logger, no run") << QList<int>{0, 0, 0} << QStringList{"10 samples per second", ""};
}

void TestSetupSummary::bandSaysWhatTheRunWillDo()
{
    QFETCH(QList<int>, state);
    QFETCH(QStringList, band);
    SummaryBench b(70.0);
    b.add(8, {true, false});
    CSetupWindow& c = *b.host.m_pController;
    c.OnSetupSummaryChanged();
    // 100 samples at 10 a second, chosen as the full window's combo boxes choose them.
    b.host.m_Logger.m_Interval = ExperimentInterval{0.1, 100.0, 0};
    c.fullSetupWindow()->form()->RateComboBox->setCurrentIndex(c.m_UiRateCodes.indexOf(7));
    c.rateChanged(c.m_UiRateCodes.indexOf(7));
    c.samplingTypeChanged(state[0]);
    b.host.m_RunMode = state[1];
    b.host.setup().m_TimingMeasurement = 1;
    if (!state[2])
        b.host.m_Logic.m_pLoggers[0] = nullptr;
    c.durationChanged(c.m_SampleCounts.indexOf(100));
    QCOMPARE((QStringList{b.w().rateLabel()->text(), b.w().durationLabel()->text()}), band);
}

void TestSetupSummary::measurementsAreNamedAsTheirSeriesWillBe()
{
    // Named as their series will be: the Dravlet's two gates by their ports, units with prefixes.
    for (const QList<int>& sensors : {QList<int>{2, 2}, QList<int>{71, 15}}) {
        SummaryBench b(sensors.first() == 2 ? 12.0 : 70.0);
        for (int index : sensors)
            b.add(index, {true, true});
        b.w().updateMinimalSetupWindow();
        b.host.m_pController->fullSetupWindow()->updateXAxisCombo();
        QStringList shown;
        for (const CSetupSummaryMeasurement* line : b.lines<CSetupSummaryMeasurement>())
            shown << line->form()->measurementLabel->toolTip();
        QComboBox* axis = b.host.m_pController->fullSetupWindow()->form()->XAxisTypeCombo;
        for (int i = 1; i < axis->count(); ++i)
            shown << axis->itemText(i);
        const QStringList lines = sensors.first() == 2 ? QStringList{"Voltage (port 1) (V)", "Voltage (port 2) (V)"}
                                                       : QStringList{"Pressure (kPa)", "Pressure (mbar)", "Temperature (°C)", "Temperature (°F)"};
        QCOMPARE(shown, lines + lines);
    }
}

KORVANTA_TEST_MAIN(TestSetupSummary)
#include "tst_setup_summary.moc"

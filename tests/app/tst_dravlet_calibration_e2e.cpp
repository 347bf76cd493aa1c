// Calibrating a sensor on the Dravlet interface through the real application: the simulated
// interface on a pseudo-terminal reads a steady level the test moves, the calibration dialog
// opened from the full setup window shows that reading live, and the two-point calibration
// made there is what the next runs store.
#include "Core/Data/DataBranch.h"
#include "Core/Data/SensorsCalibration.h"
#include "Core/Data/SetupInfo.h"
#include "setup/CalibrationDialog.h"
#include "setup/FullSetupWindow.h"
#include "setup/MeasurementColumns.h"
#include "setup/TriggerCalibrateColumns.h"
#include "simulator/SignalShape.h"
#include "support/AppBench.h"
#include "common/TestMain.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>

namespace {

const int kRate100PerSecond = 10;
// Two places in the voltage sensor's range, as shares of it.
const double kLow = 0.3;
const double kHigh = 0.7;

// Frames the program sent to the interface with the given opcode (BC 9E opcode ...).
int DravletFrames(const kvsim::CLoggerSimulator& sim, unsigned char opcode)
{
    int n = 0;
    for (const QByteArray& f : sim.frames())
        if (f.size() >= 3 && quint8(f[2]) == opcode)
            ++n;
    return n;
}

} // namespace

class TestDravletCalibrationE2E : public QObject
{
    Q_OBJECT
private:
    CAppBench m_Bench;
    CFullSetupWindow* m_pFull = nullptr;

    void setLevel(double share)
    {
        QVERIFY(m_Bench.sim->invoke(
            [&] { m_Bench.sim->model()->setSignal(kvsim::SignalSettings{kvsim::SignalShape::Level, share}); }));
    }
    FullSetupSetZeroColumn* zeroColumn() const
    {
        return m_pFull->cell<FullSetupSetZeroColumn>(0, CFullSetupWindow::ZeroColumn);
    }
    FullSetupCalibrateColumn* calibrateColumn() const
    {
        return m_pFull->cell<FullSetupCalibrateColumn>(0, CFullSetupWindow::CalibrateColumn);
    }
    // The number the setup's current reading shows, such as 1.250 of "1.250 (V)".
    double currentReading() const { return zeroColumn()->readingLabel()->text().section(' ', 0, 0).toDouble(); }
    // The values the last run stored for the voltage.
    QList<double> lastRunValues() const;
    void calibrateInTheDialog(CalibrationDialog* dialog);

private slots:
    void initTestCase();
    void dialogReadsTheSignalLive();
    void twoPointCalibration();
    void calibrationAppliesToTheNextRuns_data();
    void calibrationAppliesToTheNextRuns();
};

void TestDravletCalibrationE2E::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_Bench.start(QStringLiteral("dravlet"), false, kvsim::SignalSettings{kvsim::SignalShape::Level, kLow}));
    QTRY_COMPARE_WITH_TIMEOUT(m_Bench.detections->count(), 1, 8000);
    CSetupInfo* setup = m_Bench.setup()->getSetupInfo();
    QTRY_VERIFY_WITH_TIMEOUT(setup->GetActiveMeasurementCount() > 0 && m_Bench.button()->isEnabled(), 6000);
    m_Bench.setup()->displaySetupWindow(1);
    m_pFull = m_Bench.setup()->fullSetupWindow();
    QVERIFY(m_pFull);
    QTRY_VERIFY(m_pFull->isVisible());
    QVERIFY(zeroColumn() && calibrateColumn());
    // The interface's readings are not asked for outside a calibration.
    QCOMPARE(zeroColumn()->readingLabel()->text(), QStringLiteral("N/A"));
}

QList<double> TestDravletCalibrationE2E::lastRunValues() const
{
    QList<double> values;
    for (CDataBranch* b : m_Bench.runBranches(m_Bench.logic()->m_DataManager.GetNumDataFolders() - 1))
        if (b->m_Channel == 0 && b->m_Measurement == 0)
            for (int i = 0; i < b->GetNumSamples(); ++i)
                values << b->GetYSample(i);
    return values;
}

// While the dialog is open the measured reading, and the setup's current reading, follow the
// level; when it closes the interface is asked no more and the setup says so again.
void TestDravletCalibrationE2E::dialogReadsTheSignalLive()
{
    QStringList readings;
    QList<double> current;
    m_Bench.prompter.m_DialogHook = [&](QDialog* d) {
        auto* dialog = qobject_cast<CalibrationDialog*>(d);
        QVERIFY(dialog);
        Ui_CalibrationDialog* f = dialog->form();
        dialog->prepareOpening();
        for (double share : {kLow, kHigh, kLow}) {
            setLevel(share);
            const QString before = readings.isEmpty() ? QString() : readings.last();
            QTRY_VERIFY_WITH_TIMEOUT(!f->currentReadingEdit1->text().isEmpty() && f->currentReadingEdit1->text() != before,
                                     5000);
            readings << f->currentReadingEdit1->text();
            QTRY_VERIFY(qAbs(currentReading() - readings.last().toDouble()) < 0.0015);
            current << currentReading();
        }
        QTest::mouseClick(f->cancelButton, Qt::LeftButton);
    };
    QTest::mouseClick(calibrateColumn()->setButton(), Qt::LeftButton);
    QCOMPARE(readings.size(), 3);
    // The higher level reads higher; back at the first level, the first reading again.
    QVERIFY2(readings[1].toDouble() > readings[0].toDouble() + 1.0, qPrintable(readings.join(' ')));
    QCOMPARE(readings[2], readings[0]);
    QVERIFY(current[1] > current[0] + 1.0);

    QCOMPARE(zeroColumn()->readingLabel()->text(), QStringLiteral("N/A"));
    QVERIFY(!zeroColumn()->setButton()->isEnabled());
    const int snapshots = DravletFrames(*m_Bench.sim, 0x03);
    const int polls = DravletFrames(*m_Bench.sim, 0x04);
    QTRY_VERIFY_WITH_TIMEOUT(DravletFrames(*m_Bench.sim, 0x04) >= polls + 2, 5000);
    QCOMPARE(DravletFrames(*m_Bench.sim, 0x03), snapshots);
    QCOMPARE(zeroColumn()->readingLabel()->text(), QStringLiteral("N/A"));
}

// Locks the low level as point 1 (real value 1) and the high level as point 2 (real value 2),
// then calibrates.
void TestDravletCalibrationE2E::calibrateInTheDialog(CalibrationDialog* dialog)
{
    QVERIFY(dialog);
    Ui_CalibrationDialog* f = dialog->form();
    setLevel(kLow);
    dialog->prepareOpening();
    QTRY_VERIFY_WITH_TIMEOUT(f->set1Button->isEnabled(), 5000);
    const QString low = f->currentReadingEdit1->text();
    QTest::keyClicks(f->firstRealValueEdit, QStringLiteral("1"));
    QTest::mouseClick(f->set1Button, Qt::LeftButton);
    QVERIFY(f->set1Button->isChecked());
    setLevel(kHigh);
    QTRY_VERIFY_WITH_TIMEOUT(f->currentReadingEdit2->text() != low, 5000);
    // The locked point keeps its reading.
    QCOMPARE(f->currentReadingEdit1->text(), low);
    QTest::keyClicks(f->secondRealValueEdit, QStringLiteral("2"));
    QTest::mouseClick(f->set2Button, Qt::LeftButton);
    QVERIFY(f->calibrateButton->isEnabled());
    QTest::mouseClick(f->calibrateButton, Qt::LeftButton);
}

void TestDravletCalibrationE2E::twoPointCalibration()
{
    bool ran = false;
    m_Bench.prompter.m_DialogHook = [&](QDialog* d) {
        ran = true;
        calibrateInTheDialog(qobject_cast<CalibrationDialog*>(d));
    };
    QTest::mouseClick(calibrateColumn()->setButton(), Qt::LeftButton);
    QVERIFY(ran);
    const int index = m_Bench.setup()->getSetupInfo()->m_SelectedSensorList.first()->m_SensorIndex;
    const SensorCalibrationInfo record = m_Bench.logic()->m_SensorsCalibration.GetCalibration(index);
    QCOMPARE(record.type, 2);
    QVERIFY(record.raw2 > record.raw1);
    QVERIFY(calibrateColumn()->useCheckBox()->isChecked());
    QVERIFY(m_Bench.prompter.m_Log.filter(QStringLiteral("crit|")).isEmpty());
}

void TestDravletCalibrationE2E::calibrationAppliesToTheNextRuns_data()
{
    QTest::addColumn<double>("share");
    QTest::addColumn<double>("real");
    QTest::newRow("point 1") << kLow << 1.0;
    QTest::newRow("point 2") << kHigh << 2.0;
    QTest::newRow("between") << 0.5 * (kLow + kHigh) << 1.5;
}

// A run at a calibrated point stores the real value typed for it; between them, the line
// through both.
void TestDravletCalibrationE2E::calibrationAppliesToTheNextRuns()
{
    QFETCH(double, share);
    QFETCH(double, real);
    const int index = m_Bench.setup()->getSetupInfo()->m_SelectedSensorList.first()->m_SensorIndex;
    QCOMPARE(m_Bench.logic()->m_SensorsCalibration.GetCalibration(index).type, 2);
    setLevel(share);
    QVERIFY(m_Bench.chooseRateAndSamples(kRate100PerSecond, 20));
    const int runs = m_Bench.ended->count();
    QTRY_VERIFY_WITH_TIMEOUT(m_Bench.button()->isEnabled(), 4000);
    m_Bench.pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(m_Bench.ended->count(), runs + 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(m_Bench.state(), int(RunControl::Idle), 3000);
    const QList<double> values = lastRunValues();
    QCOMPARE(values.size(), 20);
    // The middle level lies half-way in raw counts up to their rounding.
    const double tolerance = real == 1.5 ? 0.01 : 1e-4;
    for (double v : values)
        QVERIFY2(qAbs(v - real) < tolerance, qPrintable(QString::number(v, 'g', 10)));
}

KORVANTA_TEST_MAIN(TestDravletCalibrationE2E)
#include "tst_dravlet_calibration_e2e.moc"

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
    // The number the setup's current reading shows, such as 1.250 of "1.250 (V)".
    double currentReading() const { return zeroColumn()->readingLabel()->text().section(' ', 0, 0).toDouble(); }
    void lockPoint(Ui_CalibrationDialog* f, int point, double share);

private slots:
    void initTestCase();
    void twoPointCalibrationOnLiveReadings();
    void calibrationAppliesToTheNextRuns_data();
    void calibrationAppliesToTheNextRuns();
};

void TestDravletCalibrationE2E::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_Bench.start(QStringLiteral("dravlet"), false, kvsim::SignalSettings{kvsim::SignalShape::Level, kLow}));
    QTRY_VERIFY_WITH_TIMEOUT(m_Bench.detections->count() == 1 && m_Bench.button()->isEnabled(), 8000);
    m_Bench.setup()->displaySetupWindow(1);
    m_pFull = m_Bench.setup()->fullSetupWindow();
    QVERIFY(m_pFull && zeroColumn());
    // The interface's readings are not asked for outside a calibration.
    QCOMPARE(zeroColumn()->readingLabel()->text(), QStringLiteral("N/A"));
}

// Moves the level, waits for the point's reading to follow (the setup's current reading with
// it), then locks the point with the real value 1 or 2.
void TestDravletCalibrationE2E::lockPoint(Ui_CalibrationDialog* f, int point, double share)
{
    QLineEdit* reading = point == 1 ? f->currentReadingEdit1 : f->currentReadingEdit2;
    const QString before = f->currentReadingEdit1->text();
    setLevel(share);
    QTRY_VERIFY_WITH_TIMEOUT(f->set1Button->isEnabled() && !reading->text().isEmpty() && reading->text() != before,
                             5000);
    QTRY_VERIFY(qAbs(currentReading() - reading->text().toDouble()) < 0.0015);
    QTest::keyClicks(point == 1 ? f->firstRealValueEdit : f->secondRealValueEdit, QString::number(point));
    QTest::mouseClick(point == 1 ? f->set1Button : f->set2Button, Qt::LeftButton);
}

// The dialog's reading and the setup's current reading follow the level while the dialog is
// open; the two points locked at two levels make the calibration; afterwards the interface is
// asked no more and the setup says so again.
void TestDravletCalibrationE2E::twoPointCalibrationOnLiveReadings()
{
    auto* calibrate = m_pFull->cell<FullSetupCalibrateColumn>(0, CFullSetupWindow::CalibrateColumn);
    QVERIFY(calibrate);
    QString low, high;
    m_Bench.prompter.m_DialogHook = [&](QDialog* d) {
        auto* dialog = qobject_cast<CalibrationDialog*>(d);
        QVERIFY(dialog);
        Ui_CalibrationDialog* f = dialog->form();
        dialog->prepareOpening();
        lockPoint(f, 1, kLow);
        lockPoint(f, 2, kHigh);
        low = f->currentReadingEdit1->text();
        high = f->currentReadingEdit2->text();
        QTest::mouseClick(f->calibrateButton, Qt::LeftButton);
    };
    QTest::mouseClick(calibrate->setButton(), Qt::LeftButton);
    // The higher level reads higher (the range is ±25 V).
    QVERIFY2(high.toDouble() > low.toDouble() + 1.0, qPrintable(low + " " + high));
    const int index = m_Bench.setup()->getSetupInfo()->m_SelectedSensorList.first()->m_SensorIndex;
    QCOMPARE(m_Bench.logic()->m_SensorsCalibration.GetCalibration(index).type, 2);
    QVERIFY(calibrate->useCheckBox()->isChecked());
    QVERIFY(m_Bench.prompter.m_Log.filter(QStringLiteral("crit|")).isEmpty());

    QCOMPARE(zeroColumn()->readingLabel()->text(), QStringLiteral("N/A"));
    QVERIFY(!zeroColumn()->setButton()->isEnabled());
    const int snapshots = DravletFrames(*m_Bench.sim, 0x03);
    const int polls = DravletFrames(*m_Bench.sim, 0x04);
    QTRY_VERIFY_WITH_TIMEOUT(DravletFrames(*m_Bench.sim, 0x04) >= polls + 2, 5000);
    QCOMPARE(DravletFrames(*m_Bench.sim, 0x03), snapshots);
    QCOMPARE(zeroColumn()->readingLabel()->text(), QStringLiteral("N/A"));
}

void TestDravletCalibrationE2E::calibrationAppliesToTheNextRuns_data()
{
    QTest::addColumn<double>("share");
    QTest::addColumn<double>("real");
    QTest::newRow("point 1") << kLow << 1.0;
    QTest::newRow("point 2") << kHigh << 2.0;
}

// A run at a calibrated point stores the real value typed for it.
void TestDravletCalibrationE2E::calibrationAppliesToTheNextRuns()
{
    QFETCH(double, share);
    QFETCH(double, real);
    setLevel(share);
    QVERIFY(m_Bench.chooseRateAndSamples(kRate100PerSecond, 20));
    const int runs = m_Bench.ended->count();
    QTRY_VERIFY_WITH_TIMEOUT(m_Bench.button()->isEnabled(), 4000);
    m_Bench.pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(m_Bench.ended->count(), runs + 1, 5000);
    const QList<CDataBranch*> branches = m_Bench.runBranches(m_Bench.logic()->m_DataManager.GetNumDataFolders() - 1);
    QVERIFY(!branches.isEmpty());
    QCOMPARE(branches.first()->GetNumSamples(), 20);
    for (int i = 0; i < 20; ++i)
        QVERIFY2(qAbs(branches.first()->GetYSample(i) - real) < 1e-4,
                 qPrintable(QString::number(branches.first()->GetYSample(i), 'g', 10)));
    QTRY_COMPARE_WITH_TIMEOUT(m_Bench.state(), int(RunControl::Idle), 3000);
}

KORVANTA_TEST_MAIN(TestDravletCalibrationE2E)
#include "tst_dravlet_calibration_e2e.moc"

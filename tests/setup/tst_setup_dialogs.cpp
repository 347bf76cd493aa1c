// The trigger, calibration and drop-counter dialogs, offscreen and answered by a scripted
// prompter: what each writes into the setup record or the calibration table, its refusals,
// typed numbers under a comma locale, and that each draws.
#include "common/ScriptedPrompter.h"
#include "support/SetupRig.h"

#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "setup/CalibrationDialog.h"
#include "setup/DropCounterCalibration.h"
#include "setup/TriggerCalibrateColumns.h"
#include "setup/TriggerDialog.h"

#include <QComboBox>
#include <QDoubleValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include "common/TestMain.h"

namespace {
bool drawsSomething(QWidget* w)
{
    const QImage image = w->grab().toImage();
    if (image.isNull())
        return false;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            if (image.pixel(x, y) != first)
                return true;
    return false;
}

// A calibration dialog for a sensor of the wanted calibration kind, on a test bench.
struct CalibrationBench
{
    explicit CalibrationBench(int kind, bool negativeRange = false)
    {
        host.m_Logic.m_SensorsCalibration.RestoreDefaults();
        const CSensorInfo& c = host.m_Logic.m_SensorInfo;
        for (int i = 1; i < CSensorInfo::s_NumOfSensors && sensor < 0; ++i)
            if (c.m_Sensors[i].m_CalibrationKind == kind && !CSensorInfo::IsISEIndex(i)
                && (!negativeRange || c.m_Sensors[i].m_Measurements[0].m_Min < 0))
                sensor = i;
        dialog = new CalibrationDialog(nullptr, sensor);
        dialog->setSetupWindow(host.m_pController);
        dialog->setSourceChannel(0);
        dialog->setSensorID(sensor, 0);
    }
    ~CalibrationBench() { delete dialog; }
    Ui_CalibrationDialog* f() const { return dialog->form(); }
    double min() const { return host.m_Logic.m_SensorInfo.m_Sensors[sensor].m_Measurements[0].m_Min; }
    double max() const { return host.m_Logic.m_SensorInfo.m_Sensors[sensor].m_Measurements[0].m_Max; }
    SensorCalibrationInfo* record() { return host.m_Logic.m_SensorsCalibration.GetRecord(sensor); }

    CScriptedPrompter prompter;
    CFakeSetupHost host;
    int sensor = -1;
    CalibrationDialog* dialog = nullptr;
};
} // namespace

class TestSetupDialogs : public QObject
{
    Q_OBJECT
private slots:
    void triggerDelay_data();
    void triggerDelay();
    void triggerLevelNone();
    void triggerCancelKeepsRecord();
    void twoPointCapture();
    void returnLocksOnlyItsOwnPoint();
    void equalReadingsRefused();
    void lockNeedsRealValue();
    void outOfRangeAndCancelIntent();
    void negativeReferenceAccepted();
    void commaLocale();
    void calibratedSensorIsFrozen();
    void wheelRadius();
    void dravletReadingsSwitchedOff();
    void dropCounter();
    void dialogsDraw();
    void calibrationTextsAreWhole();
};

void TestSetupDialogs::triggerDelay_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("ms");
    QTest::newRow("5 seconds") << "5" << 1 << 5000;
    QTest::newRow("750 ms") << "750" << 0 << 750;
    QTest::newRow("empty") << "" << 1 << 0;
    QTest::newRow("1.5 seconds") << "1.5" << 1 << 1500;
    QTest::newRow("0,25 seconds") << "0,25" << 1 << 250;
    // Refused (-1): the message names the range, the dialog stays open as typed.
    QTest::newRow("negative") << "-5" << 1 << -1;
    QTest::newRow("decimal ms") << "1.5" << 0 << -1;
    QTest::newRow("six digits") << "100000" << 0 << -1;
}

void TestSetupDialogs::triggerDelay()
{
    QFETCH(QString, text);
    QFETCH(int, unit);
    QFETCH(int, ms);
    CFakeSetupHost host;
    host.plugLogger(70.0);
    host.m_Queries.scriptLevels(5);
    FullSetupTriggerColumn column(2, 1, host.m_pController);
    column.init();
    QSignalSpy changed(host.m_pController, &CSetupWindow::setupChanged);
    QSignalSpy spy(&column, &FullSetupTriggerColumn::sensorTriggerModified);
    Ui_TriggerDialog* f = column.dialog()->form();
    f->DelayRadioButton->setChecked(true);
    QVERIFY(f->DelaySamplingEdit->isEnabled());
    QVERIFY(!f->TriggerLevelCombo->isEnabled());
    f->DelaySamplingEdit->clear();
    QTest::keyClicks(f->DelaySamplingEdit, text);
    f->DelayUnitCombo->setCurrentIndex(unit);
    CScriptedPrompter prompter;
    column.setPrompter(&prompter);
    column.dialog()->show();
    f->OkButton->click();
    if (ms < 0) {
        QVERIFY(prompter.m_Log.size() == 1 && prompter.m_Log.first().contains(" from 0 to 99999"));
        QVERIFY(column.dialog()->isVisible() && f->DelaySamplingEdit->text() == text);
        QVERIFY(spy.isEmpty() && host.setup().m_TriggerType == 0);
        return;
    }
    QVERIFY(prompter.m_Log.isEmpty() && !column.dialog()->isVisible());
    QCOMPARE(host.setup().m_TriggerType, 5);
    QCOMPARE(host.setup().m_TriggerLevel, ms);
    QCOMPARE(host.setup().m_TriggerChannel, 2);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.last().mid(0, 3), (QList<QVariant>{true, 2, ms}));
    QCOMPARE(spy.last().at(4).toInt(), 5);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(column.dialog()->delayMs(), ms);
    QCOMPARE(column.dialog()->result(), 0);
}

void TestSetupDialogs::triggerLevelNone()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    host.m_Queries.scriptLevels(5);
    FullSetupTriggerColumn column(1, 1, host.m_pController);
    column.init();
    Ui_TriggerDialog* f = column.dialog()->form();
    QCOMPARE(f->TriggerTypeCombo->count(), 3);
    QCOMPARE(f->TriggerLevelCombo->count(), column.dialog()->triggerLevels().size());
    QCOMPARE(f->TriggerLevelCombo->itemText(0),
             QString("%1").arg(double(column.dialog()->triggerLevels().first().m_Level), 0, 'f', 3));
    QVERIFY(f->TriggerLevelRadioButton->isChecked());
    QSignalSpy changed(host.m_pController, &CSetupWindow::setupChanged);
    QSignalSpy spy(&column, &FullSetupTriggerColumn::sensorTriggerModified);
    f->TriggerLevelCombo->setCurrentIndex(1);
    f->OkButton->click();
    const int code = column.dialog()->triggerLevels().at(1).m_Code;
    QCOMPARE(spy.last(), (QList<QVariant>{true, 1, 1, code, 0}));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.last().first().toInt(), -1);
    QCOMPARE(host.setup().m_TriggerType, 0);
    QCOMPARE(host.setup().m_TriggerLevel, 1);
    QCOMPARE(host.setup().m_TriggerValue, code);
}

void TestSetupDialogs::triggerCancelKeepsRecord()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    host.m_Queries.scriptLevels(5);
    FullSetupTriggerColumn column(0, 1, host.m_pController);
    column.init();
    Ui_TriggerDialog* f = column.dialog()->form();
    f->TriggerTypeCombo->setCurrentIndex(1);
    f->TriggerLevelCombo->setCurrentIndex(3);
    f->OkButton->click();
    const int value = host.setup().m_TriggerValue;

    f->DelayRadioButton->setChecked(true);
    f->DelaySamplingEdit->setText("9");
    f->DelayUnitCombo->setCurrentIndex(1);
    f->TriggerTypeCombo->setCurrentIndex(2);
    f->CancelButton->click();
    QCOMPARE(column.dialog()->result(), -1);
    QCOMPARE(host.setup().m_TriggerType, 1);
    QCOMPARE(host.setup().m_TriggerChannel, 0);
    QCOMPARE(host.setup().m_TriggerValue, value);
    QVERIFY(f->TriggerLevelRadioButton->isChecked());
    QCOMPARE(f->TriggerTypeCombo->currentIndex(), 1);
    QCOMPARE(f->TriggerLevelCombo->currentIndex(), 3);
    QCOMPARE(f->DelaySamplingEdit->text(), QString("0"));
    QCOMPARE(f->DelayUnitCombo->currentIndex(), 0);
}

void TestSetupDialogs::twoPointCapture()
{
    CalibrationBench b(2);
    QVERIFY(b.sensor > 0);
    QSignalSpy modified(b.dialog, &CalibrationDialog::calibrationModified);
    QSignalSpy on(b.dialog, &CalibrationDialog::CalibrationIsOn);
    b.dialog->prepareOpening();
    QVERIFY(!b.f()->set1Button->isEnabled());
    QVERIFY(!b.f()->point2Label->isHidden());
    QVERIFY(b.f()->radiusComboBox->isHidden());
    QVERIFY(!b.f()->defaultButton->isEnabled());

    // The row shows the sensor's second measurement: the points are locked on its readings and
    // typed in its unit, within its range.
    const CSensorMeasuremntInfo* second = b.host.m_Logic.m_SensorInfo.GetMeasurementInfo(b.sensor, 1);
    QVERIFY(second);
    const double low = second->m_Min + (second->m_Max - second->m_Min) * 0.25;
    const double high = second->m_Min + (second->m_Max - second->m_Min) * 0.75;
    b.dialog->setReading(1.0, 1000, 1);
    QCOMPARE(b.f()->unitLabel1->text(), GetUnitPrefix(second->m_UnitPrefix) + second->m_Unit);
    QVERIFY(b.f()->unitLabel1->text() != b.host.m_Logic.m_SensorInfo.m_Sensors[b.sensor].m_Measurements[0].m_Unit);
    QVERIFY(b.f()->set1Button->isEnabled());
    QCOMPARE(b.f()->currentReadingEdit1->text(), QString("1.000"));
    b.f()->firstRealValueEdit->setText(QString::number(low));
    b.f()->set1Button->click();
    QVERIFY(b.f()->firstRealValueEdit->isReadOnly());
    QVERIFY(!b.f()->calibrateButton->isEnabled());

    b.dialog->setReading(3.0, 3000, 1);
    QCOMPARE(b.f()->currentReadingEdit1->text(), QString("1.000"));
    QCOMPARE(b.f()->currentReadingEdit2->text(), QString("3.000"));
    b.f()->secondRealValueEdit->setText(QString::number(high));
    b.f()->set2Button->click();
    QVERIFY(b.f()->calibrateButton->isEnabled());
    // Unlocking a point makes its value editable again and disables Calibrate.
    b.f()->set2Button->click();
    QVERIFY(!b.f()->secondRealValueEdit->isReadOnly());
    QVERIFY(!b.f()->calibrateButton->isEnabled());
    b.f()->set2Button->click();

    b.f()->calibrateButton->click();
    QCOMPARE(modified.count(), 1);
    const CalibrationValues v = modified.last().first().value<CalibrationValues>();
    QCOMPARE(v.type, 2);
    QCOMPARE(v.real1, QString::number(low).toDouble());
    QCOMPARE(v.measured1, 1.0);
    QCOMPARE(v.raw1, 1000);
    QCOMPARE(v.real2, QString::number(high).toDouble());
    QCOMPARE(v.measured2, 3.0);
    QCOMPARE(v.raw2, 3000);
    QCOMPARE(v.measurement, 1);
    QVERIFY(v.dateTime.isValid());
    QCOMPARE(on.last(), (QList<QVariant>{true}));
    QCOMPARE(b.dialog->result(), 1);
    QVERIFY(b.prompter.m_Log.isEmpty());
}

// Return in a point's real value locks that point once; it never touches the other point and
// never calibrates.
void TestSetupDialogs::returnLocksOnlyItsOwnPoint()
{
    CalibrationBench b(2);
    b.dialog->setPrompter(&b.prompter);
    QSignalSpy modified(b.dialog, &CalibrationDialog::calibrationModified);
    b.dialog->prepareOpening();
    b.dialog->show();
    const double low = b.min() + (b.max() - b.min()) * 0.25;
    const double high = b.min() + (b.max() - b.min()) * 0.75;
    b.dialog->setReading(1.0, 1000, 0);
    b.f()->firstRealValueEdit->setText(QString::number(low));
    QTest::keyClick(b.f()->firstRealValueEdit, Qt::Key_Return);
    QVERIFY(b.f()->set1Button->isChecked());
    QCOMPARE(b.f()->currentReadingEdit1->text(), QString("1.000"));

    b.dialog->setReading(3.0, 3000, 0);
    b.f()->secondRealValueEdit->setText(QString::number(high));
    for (int press = 0; press < 2; ++press) {
        QTest::keyClick(b.f()->secondRealValueEdit, Qt::Key_Return);
        QVERIFY(b.f()->set1Button->isChecked());
        QCOMPARE(b.f()->currentReadingEdit1->text(), QString("1.000"));
        QVERIFY(b.f()->set2Button->isChecked());
        QCOMPARE(b.f()->currentReadingEdit2->text(), QString("3.000"));
    }
    QVERIFY(b.f()->calibrateButton->isEnabled());
    QVERIFY(b.dialog->isVisible());
    QCOMPARE(modified.count(), 0);
    QVERIFY(b.prompter.m_Log.isEmpty());
}

void TestSetupDialogs::equalReadingsRefused()
{
    CalibrationBench b(2);
    QSignalSpy modified(b.dialog, &CalibrationDialog::calibrationModified);
    b.dialog->prepareOpening();
    b.dialog->setReading(2.0, 2000);
    b.f()->firstRealValueEdit->setText(QString::number(b.min()));
    b.f()->set1Button->click();
    b.f()->secondRealValueEdit->setText(QString::number(b.max()));
    b.f()->set2Button->click();
    b.f()->calibrateButton->click();
    QCOMPARE(modified.count(), 0);
    QCOMPARE(b.prompter.m_Log.last(), QString("crit|Pavix|The measured values cannot be the same."));
    QCOMPARE(b.record()->type, 0);
}

void TestSetupDialogs::lockNeedsRealValue()
{
    CalibrationBench b(1);
    QVERIFY(b.sensor > 0);
    b.dialog->prepareOpening();
    QVERIFY(b.f()->point2Label->isHidden());
    b.dialog->setReading(0.5, 512);
    b.f()->set1Button->click();
    QVERIFY(!b.f()->set1Button->isChecked());
    QCOMPARE(b.prompter.m_Log.last(), QString("warn|Pavix|Please enter a real value"));
    b.f()->firstRealValueEdit->setText(QString::number(b.max()));
    b.f()->set1Button->click();
    QVERIFY(b.f()->set1Button->isChecked());
    QVERIFY(b.f()->calibrateButton->isEnabled());
}

void TestSetupDialogs::outOfRangeAndCancelIntent()
{
    CalibrationBench b(1);
    b.dialog->prepareOpening();
    b.dialog->setReading(0.5, 512);
    const QString above = QString::number(b.max() + 1.0);
    b.f()->firstRealValueEdit->setText(above);
    emit b.f()->firstRealValueEdit->editingFinished();
    QCOMPARE(b.prompter.m_Log.size(), 1);
    QCOMPARE(b.prompter.m_Log.last().section('|', 2), QString("The value is out of range\r\nSensor Range is:\r\n%1 to %2")
                                        .arg(b.min(), 0, 'g')
                                        .arg(b.max(), 0, 'g'));
    b.f()->set1Button->click();
    QVERIFY(!b.f()->set1Button->isChecked());
    // Still out of range: locking is refused again.
    b.f()->set1Button->click();
    QVERIFY(!b.f()->set1Button->isChecked());

    // Leaving the entry towards Cancel raises no range message; Cancel empties the entries.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(b.f()->cancelButton, &enter);
    const int shown = b.prompter.m_Log.size();
    emit b.f()->firstRealValueEdit->editingFinished();
    QCOMPARE(b.prompter.m_Log.size(), shown);
    b.f()->cancelButton->click();
    QVERIFY(b.f()->firstRealValueEdit->text().isEmpty());
    QVERIFY(b.f()->currentReadingEdit1->text().isEmpty());
    QCOMPARE(b.dialog->result(), 0);
}

void TestSetupDialogs::negativeReferenceAccepted()
{
    CalibrationBench b(2, true);
    QVERIFY2(b.sensor > 0, "no two-point sensor with a negative range");
    const QDoubleValidator* v = b.dialog->validator();
    QString text = QString::number(b.min());
    int pos = 0;
    QCOMPARE(v->validate(text, pos), QValidator::Acceptable);
    text = QString::number(b.min() / 2);
    QCOMPARE(v->validate(text, pos), QValidator::Acceptable);

    CalibrationBench positive(1);
    if (positive.min() >= 0) {
        text = "-1";
        QVERIFY(positive.dialog->validator()->validate(text, pos) != QValidator::Acceptable);
    }
}

void TestSetupDialogs::commaLocale()
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    {
        CalibrationBench b(1);
        QSignalSpy modified(b.dialog, &CalibrationDialog::calibrationModified);
        b.dialog->prepareOpening();
        b.dialog->setReading(0.25, 300);
        QCOMPARE(b.f()->currentReadingEdit1->text(), QString("0,250"));
        const double real = (b.min() + b.max()) / 2 + 0.5;
        const QString typed = QLocale().toString(real, 'f', 1);
        QVERIFY(typed.contains(','));
        b.f()->firstRealValueEdit->setText(typed);
        b.f()->set1Button->click();
        QVERIFY(b.f()->set1Button->isChecked());
        b.f()->calibrateButton->click();
        QCOMPARE(modified.count(), 1);
        const CalibrationValues v = modified.last().first().value<CalibrationValues>();
        QCOMPARE(v.real1, QLocale().toDouble(typed));
        QCOMPARE(v.measured1, 0.25);
        QVERIFY(v.real1 != 0.0);
    }
    QLocale::setDefault(before);
}

void TestSetupDialogs::calibratedSensorIsFrozen()
{
    CalibrationBench b(2);
    SensorCalibrationInfo* r = b.record();
    r->type = 2;
    r->real1 = 1.0;
    r->measured1 = 1.5;
    r->real2 = 4.0;
    r->measured2 = 4.5;
    r->dateTime = QDateTime(QDate(2026, 3, 4), QTime(10, 0));
    b.dialog->prepareOpening();
    QCOMPARE(b.f()->calibrateButton->text(), QString("Calibrated"));
    QVERIFY(!b.f()->timeStempLabel->isHidden());
    QVERIFY(b.f()->set1Button->isChecked());
    QVERIFY(!b.f()->firstRealValueEdit->isEnabled());
    QVERIFY(b.f()->defaultButton->isEnabled());
    QVERIFY(!b.f()->calibrateButton->isEnabled());
    QCOMPARE(b.f()->currentReadingEdit2->text(), QString("4.5"));
    b.dialog->setReading(9.0, 9000);
    QCOMPARE(b.f()->currentReadingEdit1->text(), QString("1.5"));

    QSignalSpy on(b.dialog, &CalibrationDialog::CalibrationIsOn);
    b.f()->defaultButton->click();
    QCOMPARE(on.last(), (QList<QVariant>{false}));
    QCOMPARE(b.record()->type, 0);
    QCOMPARE(b.dialog->calibrationValues().type, 0);
    QCOMPARE(b.dialog->calibrationValues().real1, -1.0);
    QVERIFY(b.f()->firstRealValueEdit->text().isEmpty());
}

void TestSetupDialogs::wheelRadius()
{
    CalibrationBench b(4);
    QVERIFY(b.sensor > 0);
    b.record()->factor = 0.015;
    b.dialog->setSensorID(b.sensor, 0);
    QCOMPARE(b.f()->radiusComboBox->currentIndex(), 1);
    b.record()->factor = 1.0;
    b.dialog->setSensorID(b.sensor, 0);
    QCOMPARE(b.f()->radiusComboBox->currentIndex(), 1);

    b.dialog->prepareOpening();
    QVERIFY(!b.f()->radiusComboBox->isHidden());
    QVERIFY(b.f()->set1Button->isHidden());
    QVERIFY(b.f()->label_3->isHidden());
    QVERIFY(b.f()->calibrateButton->isEnabled());
    b.f()->radiusComboBox->setCurrentIndex(0);
    b.f()->calibrateButton->click();
    QCOMPARE(b.record()->factor, 0.005);

    b.record()->type = 4;
    b.dialog->prepareOpening();
    b.f()->defaultButton->click();
    QCOMPARE(b.f()->radiusComboBox->currentIndex(), 2);
    QVERIFY(b.record()->factor != 0.005);

    // The same dialog on a point sensor shows its point rows again.
    CalibrationBench point(1);
    point.dialog->setSetupWindow(b.host.m_pController);
    point.dialog->setSensorID(point.sensor, 0);
    point.dialog->prepareOpening();
    QVERIFY(!point.f()->set1Button->isHidden());
}

void TestSetupDialogs::dravletReadingsSwitchedOff()
{
    CalibrationBench b(1);
    b.host.plugLogger(12.0);
    b.dialog->prepareOpening();
    QVERIFY(b.host.m_pController->calibrationSnapshot());
    b.f()->cancelButton->click();
    QVERIFY(!b.host.m_pController->calibrationSnapshot());
    QCOMPARE(b.host.m_Waits, (QList<int>{500}));
}

void TestSetupDialogs::dropCounter()
{
    CScriptedPrompter prompter;
    CFakeSetupHost host;
    CSensorsCalibration& table = host.m_Logic.m_SensorsCalibration;
    table.RestoreDefaults();
    DropCounterCalibration dialog;
    dialog.setSetupWindow(host.m_pController);
    QSignalSpy on(&dialog, &DropCounterCalibration::CalibrationIsOn);
    dialog.setSensorID(33);
    QCOMPARE(dialog.form()->VolumeLineEdit->text(), QLocale().toString(0.04));

    dialog.form()->okButton->click();
    QCOMPARE(table.GetRecord(33)->type, 0);
    QCOMPARE(on.count(), 0);

    dialog.form()->VolumeLineEdit->setText("0");
    dialog.form()->okButton->click();
    QCOMPARE(prompter.m_Log.last(), QString("warn|Pavix|Invalid input"));
    QCOMPARE(table.GetRecord(33)->factor, 0.04);

    dialog.form()->VolumeLineEdit->setText("0.05");
    dialog.form()->okButton->click();
    QCOMPARE(table.GetRecord(33)->factor, 0.05);
    QCOMPARE(table.GetRecord(33)->type, 3);
    QCOMPARE(on.last(), (QList<QVariant>{true}));

    dialog.form()->defaultButton->click();
    dialog.form()->CancelButton->click();
    QCOMPARE(table.GetRecord(33)->factor, 0.04);
    QCOMPARE(table.GetRecord(33)->type, 0);
    QCOMPARE(on.last(), (QList<QVariant>{false}));
}

void TestSetupDialogs::dialogsDraw()
{
    CalibrationBench b(2);
    b.dialog->prepareOpening();
    QVERIFY(drawsSomething(b.dialog));
    CFakeSetupHost host;
    FullSetupTriggerColumn column(0, 1, host.m_pController);
    column.init();
    QVERIFY(drawsSomething(column.dialog()));
    DropCounterCalibration drop;
    QVERIFY(drawsSomething(&drop));
}

void TestSetupDialogs::calibrationTextsAreWhole()
{
    // Two points, the zero note, a wheel radius: no label or button is narrower than its text
    // ("Remove calibration", "Measured Reading" outgrew the form's columns).
    for (int opening = 0; opening < 3; ++opening) {
        CalibrationBench b(opening == 2 ? 4 : 2);
        b.dialog->setZeroRemoved(opening == 1 ? QStringList{"Pressure"} : QStringList());
        b.dialog->prepareOpening();
        b.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(b.dialog));
        QVERIFY(b.dialog->height() >= CalibrationDialog::s_Height + (opening == 1) * CalibrationDialog::s_NoteHeight);
        for (QWidget* w : b.dialog->findChildren<QWidget*>())
            if (w->isVisible() && (qobject_cast<QPushButton*>(w) || qobject_cast<QLabel*>(w)) && !w->property("wordWrap").toBool())
                QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(w->property("text").toString()));
    }
}

KORVANTA_TEST_MAIN(TestSetupDialogs)
#include "tst_setup_dialogs.moc"

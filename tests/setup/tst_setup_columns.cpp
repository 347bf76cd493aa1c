// The cells of a full-setup row, offscreen: each signal carries value, channel and measurement;
// the port badge; the sensor and range choices with the range re-sent until confirmed; the
// measurement list; zero and scale; the trigger row and the calibration row.
#include "common/ScriptedPrompter.h"
#include "support/SetupRig.h"

#include "Core/Data/SensorInfo.h"
#include "setup/CalibrationDialog.h"
#include "setup/DropCounterCalibration.h"
#include "setup/MeasurementColumns.h"
#include "setup/SensorColumns.h"
#include "setup/SetupColumns.h"
#include "setup/TriggerCalibrateColumns.h"
#include "setup/TriggerDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include "common/TestMain.h"

class TestSetupColumns : public QObject
{
    Q_OBJECT
private slots:
    void colourSelection();
    void penStyle();
    void portBadge_data();
    void portBadge();
    void sensorNameManual();
    void sensorNameElectrode();
    void rangeResentUntilConfirmed();
    void rangeLabelAndUpdate();
    void measurements();
    void zeroWaitsForReading();
    void zeroDroppedWithCalibration();
    void scaleKeepsValueOnBadText();
    void triggerRowFlow();
    void triggerRowWithoutLevels();
    void triggerClearedWithSensor();
    void calibrateRowOpensDialogThatSuits();

private:
    static int findSensor(const CSensorInfo& catalogue, const std::function<bool(int, const CSensorParametersInfo&)>& test);
};

int TestSetupColumns::findSensor(const CSensorInfo& catalogue,
                                 const std::function<bool(int, const CSensorParametersInfo&)>& test)
{
    for (int i = 1; i < CSensorInfo::s_NumOfSensors; ++i)
        if (test(i, catalogue.m_Sensors[i]))
            return i;
    return -1;
}

void TestSetupColumns::colourSelection()
{
    CScriptedPrompter prompter;
    FullSetupColorSelection column(3);
    column.init();
    column.setMeasurementIndex(2);
    QSignalSpy spy(&column, &FullSetupColorSelection::colorModified);
    // Cancelled: nothing changes, nothing is raised.
    prompter.m_Color = QColor();
    column.buttonClicked();
    QCOMPARE(spy.count(), 0);
    QCOMPARE(column.color(), QColor(Qt::black));
    QCOMPARE(column.button()->styleSheet(), QString("background-color: #000000"));

    prompter.m_Color = QColor("#12ab34");
    column.buttonClicked();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.last().at(0).value<QColor>(), QColor("#12ab34"));
    QCOMPARE(spy.last().at(1).toInt(), 3);
    QCOMPARE(spy.last().at(2).toInt(), 2);
    QCOMPARE(column.button()->styleSheet(), QString("background-color: #12ab34"));
    // The same colour again is still an edit.
    column.buttonClicked();
    QCOMPARE(spy.count(), 2);
    QCOMPARE(prompter.m_Log.last(), QString("color|#12ab34"));
}

void TestSetupColumns::penStyle()
{
    FullSetupPenStyleColumn column(1);
    column.init();
    QCOMPARE(column.combo()->count(), 4);
    for (int k = 0; k < 4; ++k)
        QVERIFY(!column.combo()->itemIcon(k).isNull());
    column.setMeasurementIndex(4);
    QSignalSpy spy(&column, &FullSetupPenStyleColumn::PenStyleModified);
    column.setPlotStyle(2);
    QCOMPARE(column.combo()->currentIndex(), 2);
    QCOMPARE(spy.count(), 0);
    emit column.combo()->activated(2);
    emit column.combo()->activated(2);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.last(), (QList<QVariant>{2, 1, 4}));
}

void TestSetupColumns::portBadge_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("narrow") << 40;
    QTest::newRow("wide") << 201;
}

void TestSetupColumns::portBadge()
{
    QFETCH(int, width);
    QImage image(width, 50, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        FullSetupPortColumn::paintBadge(&painter, width, 6);
    }
    const int c = (width - 1) / 2;
    // The badge is 33 pixels wide wherever the column is: black on its rim at mid height,
    // white outside it.
    QCOMPARE(QColor(image.pixel(c - 15, 22)), QColor(Qt::black));
    QCOMPARE(QColor(image.pixel(c + 15, 22)), QColor(Qt::black));
    QCOMPARE(QColor(image.pixel(c, 8)), QColor(Qt::black));
    QCOMPARE(QColor(image.pixel(c - 18, 22)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(c + 18, 22)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(c, 42)), QColor(Qt::white));
    // The number is white inside the badge.
    int light = 0;
    for (int y = 14; y <= 30; ++y)
        for (int x = c - 8; x <= c + 8; ++x)
            light += qGray(image.pixel(x, y)) > 128 ? 1 : 0;
    QVERIFY(light > 0);
}

void TestSetupColumns::sensorNameManual()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    FullSetupSensorNameColumn column(2);
    column.setSetupWindow(host.m_pController);
    column.init();
    QStringList names;
    for (int i = 0; i < CSensorInfo::s_NumOfSensors; ++i)
        names << host.m_Logic.m_SensorInfo.m_Sensors[i].m_Name;
    column.setNames(names, 1, 0);
    QCOMPARE(column.mainCombo()->count(), 71 - 5);
    QCOMPARE(column.mainCombo()->itemText(0), names.at(0));
    column.setManual(0);
    QCOMPARE(column.mainCombo()->currentIndex(), 0);
    QVERIFY(!column.mainCombo()->isHidden());
    QVERIFY(column.label()->isHidden());

    QSignalSpy spy(&column, &FullSetupSensorNameColumn::sensorModified);
    const int pos = column.sensorMap().m_Indices.indexOf(7);
    QVERIFY(pos > 0);
    emit column.mainCombo()->activated(pos);
    QCOMPARE(spy.last(), (QList<QVariant>{7, 2}));
    column.setManual(25); // dropped with this logger: nothing selected
    QCOMPARE(column.mainCombo()->currentIndex(), -1);

    column.setAuto(7);
    QCOMPARE(column.currentSensor(), 7);
    QCOMPARE(column.label()->text(), names.at(7));
    QVERIFY(column.mainCombo()->isHidden());
    QVERIFY(!column.label()->isHidden());
}

void TestSetupColumns::sensorNameElectrode()
{
    CFakeSetupHost host;
    FullSetupSensorNameColumn column(0);
    column.setSetupWindow(host.m_pController);
    column.init();
    column.setNames({}, 130, 0);
    QCOMPARE(column.mainCombo()->count(), 0);
    QCOMPARE(column.subCombo()->count(), 10);
    QCOMPARE(column.subCombo()->itemText(0), QString("ISE amplifier"));
    column.setAuto(130);
    QVERIFY(!column.subCombo()->isHidden());
    QVERIFY(column.label()->isHidden());

    QSignalSpy spy(&column, &FullSetupSensorNameColumn::subSensorModified);
    emit column.subCombo()->activated(0);
    QCOMPARE(spy.last(), (QList<QVariant>{0, 0}));
    QCOMPARE(column.subCombo()->count(), 10);
    emit column.subCombo()->activated(3);
    QCOMPARE(spy.last(), (QList<QVariant>{5002, 0}));
    QCOMPARE(column.subCombo()->count(), 9);
    QCOMPARE(column.subCombo()->itemData(0).toInt(), 5000);

    FullSetupSensorNameColumn chosen(1);
    chosen.setSetupWindow(host.m_pController);
    chosen.init();
    chosen.setNames({}, 131, 5004);
    QCOMPARE(chosen.subCombo()->count(), 9);
    QCOMPARE(chosen.subCombo()->currentData().toInt(), 5004);
}

void TestSetupColumns::rangeResentUntilConfirmed()
{
    CFakeSetupHost host;
    host.m_pController->initWindow();
    const int multi = findSensor(host.m_Logic.m_SensorInfo, [](int i, const CSensorParametersInfo& s) {
        return s.m_NumOfRanges >= 2 && !CSensorInfo::IsISEIndex(i);
    });
    QVERIFY(multi > 0);
    FullSetupSensorRangeColumn column(4, multi);
    column.setSetupWindow(host.m_pController);
    column.init();
    QVERIFY(!column.combo()->isHidden());
    QVERIFY(column.label()->isHidden());
    QSignalSpy spy(&column, &FullSetupSensorRangeColumn::sensorRangeModified);

    emit column.combo()->activated(1);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.last(), (QList<QVariant>{1, 4}));
    QVERIFY(!column.combo()->isEnabled());
    QCOMPARE(column.combo()->toolTip(), column.combo()->itemText(1));
    // No confirmation: the same request again at each expiry.
    column.onChangeRangeTimer();
    column.onChangeRangeTimer();
    QCOMPARE(spy.count(), 3);
    QCOMPARE(spy.last(), (QList<QVariant>{1, 4}));

    host.m_Hub.SignalLoggerSetRangeFinished();
    QVERIFY(!column.isPending());
    QVERIFY(column.combo()->isEnabled());
    column.onChangeRangeTimer();
    QCOMPARE(spy.count(), 3);
}

void TestSetupColumns::rangeLabelAndUpdate()
{
    CFakeSetupHost host;
    const CSensorInfo& catalogue = host.m_Logic.m_SensorInfo;
    const int single = findSensor(catalogue, [](int, const CSensorParametersInfo& s) { return s.m_NumOfRanges < 2; });
    const int multi = findSensor(catalogue, [](int i, const CSensorParametersInfo& s) {
        return s.m_NumOfRanges >= 2 && !CSensorInfo::IsISEIndex(i);
    });
    FullSetupSensorRangeColumn column(0, single);
    column.setSetupWindow(host.m_pController);
    column.init();
    QVERIFY(column.combo()->isHidden());
    QCOMPARE(column.label()->text(), catalogue.m_Sensors[single].m_Measurements[0].m_RangeText);

    column.update(multi);
    QCOMPARE(column.combo()->count(), catalogue.m_Sensors[multi].m_NumOfRanges);
    column.combo()->setCurrentIndex(1);
    // The same sensor again: no refill, no reselection.
    column.update(multi);
    QCOMPARE(column.combo()->currentIndex(), 1);
    QCOMPARE(column.combo()->count(), catalogue.m_Sensors[multi].m_NumOfRanges);
}

void TestSetupColumns::measurements()
{
    FullSetupMeasurementsColumn column(5);
    column.addMeasurement(0, "Temperature");
    column.addMeasurement(1, "Pressure");
    column.addMeasurement(2, "Humidity");
    column.addSeperators();
    QCOMPARE(column.table()->rowCount(), 6);
    QCOMPARE(column.table()->rowHeight(1), 2);
    QCOMPARE(column.measurements(), (QList<bool>{false, false, false}));
    QVERIFY(column.setButtonGroup()->button(0)->isChecked());
    QVERIFY(column.setButtonGroup()->exclusive());

    QSignalSpy modified(&column, &FullSetupMeasurementsColumn::measurementModified);
    QSignalSpy configure(&column, &FullSetupMeasurementsColumn::configureMeasurement);
    column.setMeasurement(1, true);
    QCOMPARE(modified.count(), 0);
    QCOMPARE(column.measurements(), (QList<bool>{false, true, false}));

    auto* box = column.table()->cellWidget(4, 0)->findChild<QCheckBox*>();
    QVERIFY(box);
    QCOMPARE(box->text(), QString("Humidity"));
    box->click();
    QCOMPARE(modified.count(), 1);
    QCOMPARE(modified.last().at(0).value<QList<bool>>(), (QList<bool>{false, true, true}));
    QCOMPARE(modified.last().at(1).toInt(), 5);

    column.setButtonGroup()->button(2)->click();
    QCOMPARE(configure.count(), 1);
    QCOMPARE(configure.last(), (QList<QVariant>{5, 2}));
    QVERIFY(!column.setButtonGroup()->button(0)->isChecked());

    column.clearMeasurements();
    QCOMPARE(column.table()->rowCount(), 0);
    QVERIFY(column.measurements().isEmpty());
    column.setMeasurement(0, true); // nothing to set: ignored
}

void TestSetupColumns::zeroWaitsForReading()
{
    CFakeSetupHost host;
    host.setup().m_SelectedSensorList << new CSesnorProperties;
    host.setup().m_SelectedSensorList.first()->m_SensorIndex = 1;
    host.setup().m_SelectedSensorList.first()->m_MeasurementList << new CMeasurementSetup;
    host.setup().m_SelectedSensorList.first()->m_MeasurementList.first()->m_Unit = "m";
    FullSetupSetZeroColumn column(0, host.m_pController);
    column.init();
    QCOMPARE(column.readingLabel()->text(), QString("Wait"));
    QVERIFY(!column.setButton()->isEnabled());

    QSignalSpy spy(&column, &FullSetupSetZeroColumn::zeroModified);
    column.setReading(1.5);
    QCOMPARE(column.readingLabel()->text(), QString("1.500 (m)"));
    QVERIFY(column.setButton()->isEnabled());
    column.setButton()->click();
    QCOMPARE(spy.last(), (QList<QVariant>{true, 1.5, 0, 0}));
    QCOMPARE(column.setButton()->text(), QString("Reset"));

    // Another measurement: its reading has not come yet, but the zero set can be reset.
    column.setMeasurementIndex(1);
    QCOMPARE(column.readingLabel()->text(), QString("Wait"));
    QVERIFY(column.setButton()->isEnabled());
    column.setButton()->click();
    QCOMPARE(spy.last().at(0).toBool(), false);
    QCOMPARE(column.setButton()->text(), QString("Set"));
    QVERIFY(!column.setButton()->isEnabled());

    column.setReading(2.0);
    column.setDisabled(true);
    QVERIFY(!column.setButton()->isEnabled());
    QVERIFY(!column.readingLabel()->isEnabled());
    column.setDisabled(false);
    QVERIFY(column.setButton()->isEnabled());
    column.UnsupportShowReading();
    QCOMPARE(column.readingLabel()->text(), QString("N/A"));
    QVERIFY(!column.readingLabel()->isEnabled());
    // The logger back: its readings show in black again, unless the column itself is disabled.
    column.setReading(2.5);
    QVERIFY(column.readingLabel()->isEnabled());
    column.setDisabled(true);
    column.setReading(3.0);
    QVERIFY(!column.readingLabel()->isEnabled());
}

void TestSetupColumns::zeroDroppedWithCalibration()
{
    CFakeSetupHost host;
    FullSetupSetZeroColumn column(2, host.m_pController);
    column.init();
    column.setReading(0.25);
    column.setButton()->click();
    QSignalSpy spy(&column, &FullSetupSetZeroColumn::zeroModified);
    column.UsingCalibration(true, 2);
    QCOMPARE(spy.count(), 0);
    column.UsingCalibration(false, 2);
    // Once from unchecking, once from the explicit signal.
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.last(), (QList<QVariant>{false, 0.25, 2, 0}));
    QVERIFY(!column.setButton()->isChecked());
}

void TestSetupColumns::scaleKeepsValueOnBadText()
{
    FullSetupSensorScaleColumn column(3);
    QSignalSpy type(&column, &FullSetupSensorScaleColumn::sensorScaleTypeChanged);
    QSignalSpy scale(&column, &FullSetupSensorScaleColumn::sensorScaleModified);
    column.init();
    QCOMPARE(type.count(), 1);
    QCOMPARE(type.last(), (QList<QVariant>{0, 3, 0}));
    QVERIFY(column.minEdit()->isHidden());

    column.setMeasurementIndex(1);
    column.setScale(-2.5, 10.0);
    QCOMPARE(column.maxEdit()->text(), QString("10"));
    QCOMPARE(scale.count(), 0);
    column.setScaleType(1);
    QCOMPARE(type.last(), (QList<QVariant>{1, 3, 1}));
    QVERIFY(!column.minEdit()->isHidden());
    column.setScaleType(1);
    QCOMPARE(type.count(), 2);

    QTest::keyClicks(column.maxEdit(), "a");
    QCOMPARE(scale.count(), 0);
    QCOMPARE(column.maximum(), 10.0);
    column.maxEdit()->clear();
    QTest::keyClicks(column.maxEdit(), "12");
    QCOMPARE(scale.last(), (QList<QVariant>{-2.5, 12.0, 3, 1}));
    // A half-typed minimum keeps the minimum: the next maximum edit sends no zeroed bound.
    column.minEdit()->clear();
    QTest::keyClick(column.minEdit(), '-');
    QCOMPARE(column.minimum(), -2.5);
    QTest::keyClicks(column.maxEdit(), "0");
    QCOMPARE(scale.last(), (QList<QVariant>{-2.5, 120.0, 3, 1}));

    column.setScaleType(0);
    QVERIFY(column.maxEdit()->isHidden());
    QCOMPARE(column.maximum(), 120.0);
}

void TestSetupColumns::triggerRowFlow()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    host.m_Queries.scriptLevels(5);
    const int sensor = 1;
    QVERIFY(host.m_Logic.m_SensorInfo.m_Sensors[sensor].m_TriggerAllowed);
    FullSetupTriggerColumn column(0, sensor, host.m_pController);
    column.init();
    QButtonGroup group;
    group.addButton(column.getTriggerRadioButton());
    QSignalSpy spy(&column, &FullSetupTriggerColumn::sensorTriggerModified);
    QVERIFY(!column.dialog()->triggerLevels().isEmpty());

    // A fresh dialog has no kind: selecting the row reports "no trigger".
    column.getTriggerRadioButton()->click();
    QCOMPARE(spy.last(), (QList<QVariant>{false, 0, 0, 0, 0}));
    QVERIFY(column.getTriggerRadioButton()->isChecked());
    QVERIFY(!column.setButton()->isHidden());

    // A second click unchecks the row although the group is exclusive.
    column.getTriggerRadioButton()->click();
    QCOMPARE(spy.last(), (QList<QVariant>{false, 0, -1, -1, 0}));
    QVERIFY(!column.getTriggerRadioButton()->isChecked());
    QVERIFY(column.setButton()->isHidden());
    QVERIFY(group.exclusive());

    // Confirm "Below level" on the third level in the dialog, then select the row again.
    Ui_TriggerDialog* f = column.dialog()->form();
    f->TriggerTypeCombo->setCurrentIndex(2);
    f->TriggerLevelCombo->setCurrentIndex(2);
    f->OkButton->click();
    const int code = column.dialog()->triggerLevels().at(2).m_Code;
    QCOMPARE(spy.last(), (QList<QVariant>{true, 0, 2, code, 2}));
    column.getTriggerRadioButton()->click();
    QCOMPARE(spy.last(), (QList<QVariant>{true, 0, 2, code, 2}));
}

void TestSetupColumns::triggerRowWithoutLevels()
{
    CFakeSetupHost host;
    const int forbidden = findSensor(host.m_Logic.m_SensorInfo,
                                     [](int, const CSensorParametersInfo& s) { return !s.m_TriggerAllowed; });
    QVERIFY(forbidden > 0);
    FullSetupTriggerColumn column(1, forbidden, host.m_pController);
    column.init();
    QSignalSpy spy(&column, &FullSetupTriggerColumn::sensorTriggerModified);
    column.getTriggerRadioButton()->click();
    QCOMPARE(spy.last(), (QList<QVariant>{false, 1, -1, -1, 0}));
    QVERIFY(column.getTriggerRadioButton()->isChecked());

    // A sensor that allows triggering but offers no level: a level trigger confirmed in the dialog never reads past the empty list.
    host.m_Queries.scriptLevels(0);
    FullSetupTriggerColumn empty(2, 1, host.m_pController);
    empty.init();
    QVERIFY(empty.dialog()->triggerLevels().isEmpty());
    QSignalSpy emptySpy(&empty, &FullSetupTriggerColumn::sensorTriggerModified);
    empty.dialog()->form()->TriggerTypeCombo->setCurrentIndex(1);
    empty.dialog()->form()->OkButton->click();
    QCOMPARE(emptySpy.last(), (QList<QVariant>{false, 2, -1, -1, 0}));
    empty.getTriggerRadioButton()->click();
    QCOMPARE(emptySpy.last(), (QList<QVariant>{false, 2, 0, 0, 0}));
}

void TestSetupColumns::triggerClearedWithSensor()
{
    CFakeSetupHost host;
    host.plugLogger(70.0);
    host.m_Queries.scriptLevels(5);
    FullSetupTriggerColumn column(0, 1, host.m_pController);
    column.init();
    connect(&column, &FullSetupTriggerColumn::sensorTriggerModified, host.m_pController, &CSetupWindow::triggerChanged);
    Ui_TriggerDialog* f = column.dialog()->form();
    f->TriggerTypeCombo->setCurrentIndex(1);
    f->OkButton->click();
    column.getTriggerRadioButton()->click();
    QVERIFY(column.isSelected());
    QCOMPARE(host.setup().m_TriggerChannel, 0);
    QCOMPARE(host.setup().m_TriggerType, 1);

    QSignalSpy spy(&column, &FullSetupTriggerColumn::sensorTriggerModified);
    column.updateTriggerList(7);
    QVERIFY(!column.isSelected());
    QVERIFY(!column.getTriggerRadioButton()->isChecked());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.last(), (QList<QVariant>{false, 0, -1, -1, 0}));
    QCOMPARE(host.setup().m_TriggerType, 0);
    QCOMPARE(host.setup().m_TriggerChannel, -1);
    QCOMPARE(column.dialog()->triggerType(), 0);

    // A row that was not the trigger reports nothing: the trigger of another row stays.
    host.setup().m_TriggerChannel = 3;
    host.setup().m_TriggerType = 2;
    column.updateTriggerList(1);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(host.setup().m_TriggerChannel, 3);
    // The next click selects the row again.
    column.getTriggerRadioButton()->click();
    QVERIFY(column.isSelected());
}

void TestSetupColumns::calibrateRowOpensDialogThatSuits()
{
    CScriptedPrompter prompter;
    CFakeSetupHost host;
    CSensorsCalibration& table = host.m_Logic.m_SensorsCalibration;
    FullSetupCalibrateColumn column(1, host.m_pController);
    column.init();
    QSignalSpy use(&column, &FullSetupCalibrateColumn::UseCalibrationChanged);

    column.setSensorID(109, 0);
    column.setButton()->click();
    QCOMPARE(use.count(), 1);
    QCOMPARE(use.last(), (QList<QVariant>{false, 1}));
    QCOMPARE(prompter.m_pLastDialog, static_cast<QDialog*>(column.dropCounterDialog()));
    QCOMPARE(column.dropCounterDialog()->sensorIndex(), 109);

    column.setSensorID(1, 0);
    column.setButton()->click();
    QCOMPARE(prompter.m_pLastDialog, static_cast<QDialog*>(column.calibrationDialog()));

    // The box shows "calibrated" for one- and two-point records only.
    const QList<int> types{1, 2, 3, 4, 0};
    const QList<bool> shown{true, true, false, false, false};
    for (int k = 0; k < types.size(); ++k) {
        table.GetRecord(12)->type = types[k];
        column.setSensorID(12, 0);
        QCOMPARE(column.useCheckBox()->isChecked(), shown[k]);
    }
    QVERIFY(!column.useCheckBox()->isEnabled());

    QSignalSpy changed(&column, &FullSetupCalibrateColumn::calibrationChanged);
    CalibrationValues v;
    v.type = 1;
    v.real1 = 3.0;
    emit column.calibrationDialog()->calibrationModified(v);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.last().at(0).value<CalibrationValues>().real1, 3.0);
    QCOMPARE(changed.last().at(1).toInt(), 1);
    emit column.calibrationDialog()->CalibrationIsOn(true);
    QVERIFY(column.useCheckBox()->isChecked());
    QCOMPARE(use.last(), (QList<QVariant>{true, 1}));
}

KORVANTA_TEST_MAIN(TestSetupColumns)
#include "tst_setup_columns.moc"

// The full setup window on a window area: its rows follow the logger's status, the run controls
// reach the setup record, a new sensor reloads its row, and snapshot readings reach the cells;
// it asks its questions through its host's prompter and hands that prompter to its cells and
// their dialogs.
#include "common/ScriptedPrompter.h"
#include "support/SetupRig.h"

#include "windowbase/ChildWindowHost.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "setup/CalibrationDialog.h"
#include "setup/DropCounterCalibration.h"
#include "setup/FullSetupWindow.h"
#include "setup/MeasurementColumns.h"
#include "setup/SensorColumns.h"
#include "setup/SetupColumns.h"
#include "setup/SetupSummary.h"
#include "setup/TriggerCalibrateColumns.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include "common/TestMain.h"

namespace {
template <class Host = CFakeAreaSetupHost> struct FullBench
{
    explicit FullBench(double type, const QList<int>& status)
    {
        host.plugLogger(type);
        c().initWindow();
        c().loggerConnected(true);
        host.setStatus(status);
        c().displaySetupWindow(1);
        c().updateSetupWindow(1);
    }
    CSetupWindow& c() { return *host.m_pController; }
    CFullSetupWindow& w() { return *host.m_pController->fullSetupWindow(); }
    QTableWidget* t() { return w().table(); }
    int find(const std::function<bool(int, const CSensorParametersInfo&)>& test)
    {
        for (int i = 1; i < CSensorInfo::s_NumOfSensors; ++i)
            if (test(i, host.m_Logic.m_SensorInfo.m_Sensors[i]))
                return i;
        return -1;
    }
    QColor background(int channel, int column)
    {
        return t()->item(w().findTableRow(channel), column)->background().color();
    }

    CScriptedPrompter prompter;
    Host host;
};

// A window area that hosts its child windows with a prompter of its own, not the shell's.
class CPromptingArea : public QMdiArea, public IChildWindowHost
{
public:
    bool AlignToGrid() const override { return false; }
    IPrompter* GetPrompter() const override { return const_cast<CScriptedPrompter*>(&m_Own); }
    CScriptedPrompter m_Own{false};
};

int measurementsOf(const CSensorParametersInfo& s)
{
    return s.m_NumOfMeasurements;
}
} // namespace

class TestSetupFullWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { CFullSetupWindow::s_bRateChosenOnce = false; }
    void rowsFollowStatus();
    void manualDetectionPadsToEight();
    void runControlsReachRecord();
    void loggerAwayHoldsEveryEdit();
    void newSensorReloadsRow();
    void snapshotReachesCells();
    void calibrationSaysWhichZeroWentOff_data();
    void calibrationSaysWhichZeroWentOff();
    void calibrationGoesOnTheChosenMeasurement_data();
    void calibrationGoesOnTheChosenMeasurement();
    void cellsAndDialogsAskTheHost();
    void channelWithoutRowChangesNothing();
    void dravletShowsNoReading();
    void drawsOnScreen();
    void tabVisitsEveryControlAndWraps();
};

void TestSetupFullWindow::rowsFollowStatus()
{
    CFakeSetupHost probe;
    const CSensorInfo& cat = probe.m_Logic.m_SensorInfo;
    int hidden = -1, two = -1, three = -1, one = -1;
    for (int i = 1; i < CSensorInfo::s_NumOfSensors; ++i) {
        const CSensorParametersInfo& s = cat.m_Sensors[i];
        if (s.m_HiddenSensor && hidden < 0)
            hidden = i;
        else if (!s.m_HiddenSensor && s.m_DataKind != 153 && !CSensorInfo::IsISEIndex(i)) {
            if (measurementsOf(s) == 1 && one < 0)
                one = i;
            if (measurementsOf(s) == 2 && two < 0)
                two = i;
            if (measurementsOf(s) == 3 && three < 0)
                three = i;
        }
    }
    QVERIFY(hidden > 0 && one > 0 && two > 0 && three > 0);
    FullBench b(70.0, {one, two, hidden, three});
    QCOMPARE(b.t()->rowCount(), 3);
    QCOMPARE(b.w().findTableRow(0), 0);
    QCOMPARE(b.w().findTableRow(1), 1);
    QCOMPARE(b.w().findTableRow(2), -1);
    QCOMPARE(b.w().findTableRow(3), 2);
    QCOMPARE(b.t()->rowHeight(0), 70);
    QCOMPARE(b.t()->rowHeight(1), 74);
    QCOMPARE(b.t()->rowHeight(2), 111);
    QCOMPARE(b.background(0, CFullSetupWindow::PortColumn), QColor(255, 255, 255));
    QCOMPARE(b.background(1, CFullSetupWindow::PortColumn), QColor(227, 227, 227));
    for (int column : {CFullSetupWindow::ColorColumn, CFullSetupWindow::PlotColumn, CFullSetupWindow::ScaleColumn,
                       CFullSetupWindow::ZeroColumn})
        QCOMPARE(b.background(1, column), QColor(179, 203, 227));
    auto* name = b.w().cell<FullSetupSensorNameColumn>(3, CFullSetupWindow::NameColumn);
    QVERIFY(name);
    QCOMPARE(name->currentSensor(), three);
    QCOMPARE(b.w().cell<FullSetupMeasurementsColumn>(3, CFullSetupWindow::MeasurementColumn)->table()->rowCount(), 6);
    // The Pelorin logger detects its sensors itself.
    QVERIFY(!b.w().form()->DetectionModeCombo->isEnabled());
}

void TestSetupFullWindow::manualDetectionPadsToEight()
{
    FullBench b(12.0, {1, 8});
    QCOMPARE(b.t()->rowCount(), 2);
    QVERIFY(b.w().form()->DetectionModeCombo->isEnabled());
    emit b.w().form()->DetectionModeCombo->activated(1);
    QCOMPARE(b.t()->rowCount(), 8);
    QCOMPARE(b.host.setup().m_SelectedSensorList.size(), 8);
    for (int k = 0; k < 8; ++k) {
        auto* name = b.w().cell<FullSetupSensorNameColumn>(k, CFullSetupWindow::NameColumn);
        QVERIFY(name);
        QVERIFY(!name->mainCombo()->isHidden());
    }
    QCOMPARE(b.w().cell<FullSetupSensorNameColumn>(1, CFullSetupWindow::NameColumn)->currentSensor(), 8);
    QCOMPARE(b.w().form()->DetectionModeCombo->currentIndex(), 1);
}

void TestSetupFullWindow::runControlsReachRecord()
{
    FullBench b(12.0, {1});
    Ui_CFullSetupWindow* f = b.w().form();
    QVERIFY(f->RateComboBox->count() > 1);
    QCOMPARE(f->RateComboBox->count(), b.c().m_UiRateCodes.size());
    QCOMPARE(f->DurationComboBox->count(), b.c().m_SampleCounts.size());

    emit f->SamplingTypeCombo->activated(1);
    f->RateComboBox->setCurrentIndex(2);
    emit f->RateComboBox->activated(2);
    QCOMPARE(b.host.setup().m_RateCode, b.c().m_UiRateCodes.at(2));
    f->DurationComboBox->setCurrentIndex(1);
    emit f->DurationComboBox->activated(1);
    QCOMPARE(b.host.setup().m_NumberOfSamples, b.c().m_SampleCounts.at(1));
    QVERIFY(!f->DurationLabel->text().isEmpty());
    QCOMPARE(f->DurationLabel->text(), b.c().currentDurationText());
    QVERIFY(f->RateComboBox->isEnabled());
    QVERIFY(!f->manualValuesCheckbox->isEnabled());
    QCOMPARE(f->XAxisTypeCombo->itemText(0), QString("Time"));

    // Manual sampling: no rate, sample numbers on the X axis, manual X values offered.
    f->SamplingTypeCombo->setCurrentIndex(0);
    emit f->SamplingTypeCombo->activated(0);
    QCOMPARE(b.host.setup().m_RateCode, 0);
    QVERIFY(!f->RateComboBox->isEnabled());
    QCOMPARE(f->XAxisTypeCombo->itemText(0), QString("Sample"));
    QVERIFY(f->manualValuesCheckbox->isEnabled());
    QVERIFY(!f->xaxisTitleLineEdit->isEnabled());
    f->manualValuesCheckbox->click();
    QVERIFY(b.host.setup().m_bManualX);
    QVERIFY(f->xaxisTitleLineEdit->isEnabled());
    f->xaxisTitleLineEdit->clear();
    QTest::keyClicks(f->xaxisTitleLineEdit, "Mass");
    QTest::keyClicks(f->xAxisUnitLineEdit, "g");
    QCOMPARE(b.host.setup().m_ManualXName, QString("Mass"));
    QCOMPARE(b.host.setup().m_ManualXUnit, QString("g"));
    // The lists are rebuilt under manual sampling (a measurement switched on or off): going
    // back to timed sampling takes up the rate picked before, not the list's first.
    b.c().OnSetupSummaryChanged();
    QCOMPARE(b.host.setup().m_RateCode, 0);
    f->SamplingTypeCombo->setCurrentIndex(1);
    emit f->SamplingTypeCombo->activated(1);
    QCOMPARE(b.host.setup().m_RateCode, b.c().m_UiRateCodes.at(2));
    QCOMPARE(f->RateComboBox->currentIndex(), 2);
    f->SamplingTypeCombo->setCurrentIndex(0);
    emit f->SamplingTypeCombo->activated(0);

    // A run holds the controls.
    b.c().disableSetup(true);
    QVERIFY(!f->SensorsTable->isEnabled());
    QVERIFY(!f->RateComboBox->isEnabled());
    b.c().enableSetup();
    QVERIFY(f->SensorsTable->isEnabled());
    // After the run the sampling is still manual: the rate stays out of reach.
    QVERIFY(!f->RateComboBox->isEnabled());
}

// While the logger is away the setup is held: the typed-X controls of Full Setup and the
// summary's sensor boxes grey with the rest, and come back with the logger.
void TestSetupFullWindow::loggerAwayHoldsEveryEdit()
{
    FullBench b(70.0, {8, 1});
    Ui_CFullSetupWindow* f = b.w().form();
    f->SamplingTypeCombo->setCurrentIndex(0);
    emit f->SamplingTypeCombo->activated(0);
    f->manualValuesCheckbox->click();
    QVERIFY(b.host.setup().m_bManualX);
    CMinimalSetupWindow* summary = b.c().summaryWindow();
    summary->updateMinimalSetupWindow();
    const auto boxes = [&] {
        QList<QCheckBox*> out;
        for (int row = 0; row < summary->table()->rowCount(); ++row)
            if (auto* line = qobject_cast<CSetupSummaryRow*>(summary->table()->cellWidget(row, 0)))
                out << line->form()->sesnorCheckBox;
        return out;
    };
    QVERIFY(!boxes().isEmpty());
    const QList<QWidget*> edits{f->manualValuesCheckbox, f->xaxisTitleLineEdit, f->xAxisUnitLineEdit};
    for (QWidget* w : edits)
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));

    b.c().waitForLogger();
    for (QWidget* w : edits)
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    for (QCheckBox* box : boxes())
        QVERIFY(!box->isEnabled());
    // Nor does the summary take a change that reaches it some other way.
    CMeasurementSetup* first = b.host.setup().GetSelectedSensor(0)->GetMeasurement(0);
    const bool active = first->m_bActive;
    summary->SensorActiveCheckBoxClicked(0, 0, !active);
    QCOMPARE(first->m_bActive, active);
    QVERIFY(!boxes().isEmpty());
    summary->updateMinimalSetupWindow();
    for (QCheckBox* box : boxes())
        QVERIFY(!box->isEnabled());

    b.c().enableSetup();
    for (QWidget* w : edits)
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    for (QCheckBox* box : boxes())
        QVERIFY(box->isEnabled());
}

void TestSetupFullWindow::newSensorReloadsRow()
{
    FullBench b(12.0, {1});
    emit b.w().form()->DetectionModeCombo->activated(1);
    auto* name = b.w().cell<FullSetupSensorNameColumn>(2, CFullSetupWindow::NameColumn);
    const int pos = name->sensorMap().m_Indices.indexOf(8);
    QVERIFY(pos > 0);
    emit name->mainCombo()->activated(pos);
    QCOMPARE(b.host.setup().m_SelectedSensorList.at(2)->m_SensorIndex, 8);
    QCOMPARE(b.w().getSensorIdAtSourceChannel(2), 8);
    const int measurements = b.host.m_Logic.m_SensorInfo.m_Sensors[8].m_NumOfMeasurements;
    QCOMPARE(b.w().cell<FullSetupMeasurementsColumn>(2, CFullSetupWindow::MeasurementColumn)->table()->rowCount(),
             2 * measurements);
    QVERIFY(b.w().cell<FullSetupColorSelection>(2, CFullSetupWindow::ColorColumn)->button()->isEnabled());
    QCOMPARE(b.background(2, CFullSetupWindow::ColorColumn), QColor(179, 203, 227));

    // The second measurement's button shows it in the colour, plot, scale and reading cells.
    auto* m = b.w().cell<FullSetupMeasurementsColumn>(2, CFullSetupWindow::MeasurementColumn);
    m->setButtonGroup()->button(1)->click();
    QCOMPARE(b.w().cell<FullSetupColorSelection>(2, CFullSetupWindow::ColorColumn)->measurementIndex(), 1);
    QCOMPARE(b.w().cell<FullSetupSetZeroColumn>(2, CFullSetupWindow::ZeroColumn)->measurementIndex(), 1);

    // A sensor that cannot trigger greys the row's trigger button, and its tooltip says why.
    const int forbidden = b.find([](int, const CSensorParametersInfo& s) { return !s.m_TriggerAllowed; });
    auto* trigger = b.w().cell<FullSetupTriggerColumn>(2, CFullSetupWindow::TriggerColumn);
    QVERIFY(forbidden > 0 && trigger->getTriggerRadioButton()->isEnabled() && trigger->toolTip().isEmpty());
    b.w().updateTriggerColumn(2, forbidden);
    QVERIFY(!trigger->getTriggerRadioButton()->isEnabled());
    QVERIFY(trigger->getTriggerRadioButton()->toolTip().contains("cannot start a run"));
}

void TestSetupFullWindow::snapshotReachesCells()
{
    FullBench b(70.0, {8, 1});
    auto* zero = b.w().cell<FullSetupSetZeroColumn>(0, CFullSetupWindow::ZeroColumn);
    QVERIFY(zero);
    b.host.setup().m_LoggerStatusList.first().m_SnapshotList = {2328, 2048, 100, 200};
    b.c().SendQueuedRequest(CSetupWindow::SnapshotRequest);
    QCOMPARE(b.c().requestPending(), 1);
    emit b.host.m_Hub.LoggerSnapShotArrived();
    QCOMPARE(b.c().requestPending(), 0);
    // (2328 - 2048) x 108 / 28000 = 1.08 g
    QCOMPARE(zero->readingLabel()->text(), QString("1.080 (g)"));
    QVERIFY(zero->hasReading());
    auto* m = b.w().cell<FullSetupMeasurementsColumn>(0, CFullSetupWindow::MeasurementColumn);
    m->setButtonGroup()->button(1)->click();
    emit b.host.m_Hub.LoggerSnapShotArrived();
    QVERIFY2(zero->readingLabel()->text().startsWith("10.595"), qPrintable(zero->readingLabel()->text()));
}

void TestSetupFullWindow::calibrationSaysWhichZeroWentOff_data()
{
    QTest::addColumn<bool>("zeroed");
    QTest::newRow("zero on") << true;
    QTest::newRow("no zero") << false;
}

// Opening the calibration switches the row's zero off (a calibration reads without it); the
// dialog says so when there was one, and says nothing when there was none. Closed without a
// calibration, it leaves the zero as it was.
void TestSetupFullWindow::calibrationSaysWhichZeroWentOff()
{
    QFETCH(bool, zeroed);
    FullBench b(70.0, {8, 1});
    const int sensor = b.find([](int, const CSensorParametersInfo& s) { return s.m_ZeroAllowed && s.m_CalibrationKind == 2; });
    QVERIFY(sensor > 0);
    b.w().updateFullSetupWindow(sensor, 0);
    auto* zero = b.w().cell<FullSetupSetZeroColumn>(0, CFullSetupWindow::ZeroColumn);
    auto* calibrate = b.w().cell<FullSetupCalibrateColumn>(0, CFullSetupWindow::CalibrateColumn);
    QVERIFY(zero && calibrate);
    CMeasurementSetup* measurement = b.host.setup().GetSelectedSensor(0)->GetMeasurement(zero->measurementIndex());
    if (zeroed) {
        zero->setReading(1.5);
        QTest::mouseClick(zero->setButton(), Qt::LeftButton);
        QVERIFY(measurement->m_bZero);
    }
    QLabel* note = calibrate->calibrationDialog()->form()->zeroNoteLabel;
    QString said;   // what the open dialog shows
    b.prompter.m_DialogHook = [&](QDialog* d) { said = note->isVisibleTo(d) ? note->text() : QString(); };
    QTest::mouseClick(calibrate->setButton(), Qt::LeftButton);
    QCOMPARE(b.prompter.m_pLastDialog, static_cast<QDialog*>(calibrate->calibrationDialog()));
    QCOMPARE(measurement->m_bZero && zero->setButton()->isChecked(), zeroed);
    QCOMPARE(said.contains(measurement->m_Name) && said.contains("switched off"), zeroed);
    QCOMPARE(said.isEmpty(), !zeroed);
}

void TestSetupFullWindow::calibrationGoesOnTheChosenMeasurement_data()
{
    QTest::addColumn<bool>("firstTicked");
    QTest::addColumn<int>("shown"); // the measurement whose "Set >" was pressed last
    QTest::newRow("second shown, both ticked") << true << 1;
    QTest::newRow("only the second ticked") << false << 0;
}

// The calibration dialog names the measurement its line goes on, reads it, and puts the line
// on it: the one shown when it is ticked, else the ticked one.
void TestSetupFullWindow::calibrationGoesOnTheChosenMeasurement()
{
    QFETCH(bool, firstTicked);
    QFETCH(int, shown);
    FullBench b(70.0, {8, 1});
    const int sensor = b.find([](int i, const CSensorParametersInfo& s) {
        return s.m_CalibrationKind == 2 && s.m_NumOfMeasurements >= 2 && !s.m_HiddenSensor && !CSensorInfo::IsISEIndex(i)
            && s.m_Measurements[0].m_Name != s.m_Measurements[1].m_Name;
    });
    QVERIFY(sensor > 0);
    b.host.setStatus({sensor, 1});
    b.c().updateSetupWindow(1);
    const CSensorMeasuremntInfo* second = b.host.m_Logic.m_SensorInfo.GetMeasurementInfo(sensor, 1);
    const CSensorMeasuremntInfo* first = b.host.m_Logic.m_SensorInfo.GetMeasurementInfo(sensor, 0);
    QVERIFY(first && second);
    auto* measurements = b.w().cell<FullSetupMeasurementsColumn>(0, CFullSetupWindow::MeasurementColumn);
    auto* calibrate = b.w().cell<FullSetupCalibrateColumn>(0, CFullSetupWindow::CalibrateColumn);
    QVERIFY(measurements && calibrate);
    for (QCheckBox* box : measurements->findChildren<QCheckBox*>()) {
        const bool isFirst = box->text().startsWith(first->m_Name + " (");
        const bool wanted = isFirst ? firstTicked : true;
        if (box->isChecked() != wanted)
            box->click();
    }
    const CSesnorProperties* row = b.host.setup().GetSelectedSensor(0);
    QCOMPARE(row->GetMeasurement(0)->m_bActive, firstTicked);
    QVERIFY(row->GetMeasurement(1)->m_bActive);
    measurements->setButtonGroup()->button(shown)->click();
    b.host.setup().m_LoggerStatusList.first().m_SnapshotList = {3000, 2048};

    QString name, unit;
    int lockedOn = -1;
    b.prompter.m_DialogHook = [&](QDialog*) {
        CalibrationDialog* d = calibrate->calibrationDialog();
        emit b.host.m_Hub.LoggerSnapShotArrived();
        name = d->form()->sensorNameLabel->text();
        unit = d->form()->unitLabel1->text();
        d->form()->firstRealValueEdit->setText(QString::number((second->m_Min + second->m_Max) / 2));
        d->form()->set1Button->click();
        lockedOn = d->calibrationValues().measurement;
    };
    calibrate->setButton()->click();
    QCOMPARE(name, second->m_Name);
    QCOMPARE(unit, GetUnitPrefix(second->m_UnitPrefix) + second->m_Unit);
    QCOMPARE(lockedOn, 1);
}

void TestSetupFullWindow::cellsAndDialogsAskTheHost()
{
    // Channel 0: a sensor that takes a trigger and a two-point calibration; channel 1: a drop
    // counter, whose calibration is the drop volume.
    FullBench<CFakeSetupHostOn<CPromptingArea>> b(70.0, {1, 33});
    const CScriptedPrompter& own = b.host.m_Own;
    const int sensor = b.find([](int i, const CSensorParametersInfo& s) {
        return !s.m_HiddenSensor && s.m_TriggerAllowed && s.m_CalibrationKind != 0 && !CSensorInfo::IsISEIndex(i) && i != 33;
    });
    QVERIFY(sensor > 0);
    b.host.setStatus({sensor, 33});
    b.c().updateSetupWindow(1);
    auto* colour = b.w().cell<FullSetupColorSelection>(0, CFullSetupWindow::ColorColumn);
    auto* trigger = b.w().cell<FullSetupTriggerColumn>(0, CFullSetupWindow::TriggerColumn);
    auto* calibrate = b.w().cell<FullSetupCalibrateColumn>(0, CFullSetupWindow::CalibrateColumn);
    auto* drops = b.w().cell<FullSetupCalibrateColumn>(1, CFullSetupWindow::CalibrateColumn);
    QVERIFY(colour && trigger && calibrate && drops);
    colour->button()->click();
    trigger->setButton()->click();
    calibrate->setButton()->click();
    drops->setButton()->click();
    drops->dropCounterDialog()->form()->VolumeLineEdit->setText("0");
    drops->dropCounterDialog()->form()->okButton->click();

    QCOMPARE(own.m_Log.size(), 5);
    QVERIFY2(own.m_Log.at(0).startsWith("color|"), qPrintable(own.m_Log.at(0)));
    QCOMPARE(own.m_Log.mid(1), (QStringList{"dialog|TriggerDialog", "dialog|CalibrationDialog",
                                            "dialog|DropCounterCalibration", "warn|Pavix|Invalid input"}));
    QCOMPARE(b.prompter.m_Log, QStringList());
}

void TestSetupFullWindow::channelWithoutRowChangesNothing()
{
    FullBench b(70.0, {1, 8});
    b.w().updateFullSetupWindow(15, 5);
    b.w().highlightMeasurementInfo(5, 1);
    QCOMPARE(b.w().getSensorIdAtSourceChannel(1), 8);
    QCOMPARE(b.w().getSensorIdAtSourceChannel(5), 0);
    QCOMPARE(b.w().cell<FullSetupSensorNameColumn>(1, CFullSetupWindow::NameColumn)->currentSensor(), 8);
    QVERIFY(!b.w().cell<FullSetupSetZeroColumn>(5, CFullSetupWindow::ZeroColumn));
    // A setup from a damaged settings file names a sensor past the catalogue: nothing to show.
    b.w().updateFullSetupWindow(400, 1);
    b.w().updateMeasurementColumn(1, -3);
    QCOMPARE(b.w().cell<FullSetupMeasurementsColumn>(1, CFullSetupWindow::MeasurementColumn)->table()->rowCount(), 0);
}

void TestSetupFullWindow::dravletShowsNoReading()
{
    FullBench b(12.0, {1, 8});
    for (int k = 0; k < 2; ++k)
        QCOMPARE(b.w().cell<FullSetupSetZeroColumn>(k, CFullSetupWindow::ZeroColumn)->readingLabel()->text(),
                 QString("N/A"));
}

void TestSetupFullWindow::drawsOnScreen()
{
    FullBench b(70.0, {8, 1, 15});
    b.host.resize(1300, 700);
    const QImage image = b.w().grab().toImage();
    QVERIFY(!image.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            colours.insert(image.pixel(x, y));
    QVERIFY(colours.size() > 4);
}

void TestSetupFullWindow::tabVisitsEveryControlAndWraps()
{
    FullBench b(12.0, {1, 8});
    emit b.w().form()->SamplingTypeCombo->activated(0);
    b.w().form()->manualValuesCheckbox->click();
    b.host.resize(1300, 800);
    b.host.show();
    QApplication::setActiveWindow(&b.host);
    QVERIFY(QTest::qWaitForWindowActive(&b.host));
    QWidget* first = b.w().form()->SamplingTypeCombo;
    first->setFocus(Qt::TabFocusReason);
    QList<QWidget*> chain{first};
    for (int i = 0; i < 100 && (chain.size() == 1 || chain.last() != first); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        chain << QApplication::focusWidget();
    }
    QCOMPARE(chain.last(), first);
    // Every control Tab may stop at was visited (of a group of radio buttons, the one Tab
    // enters the group by), the cells of both rows among them.
    QSet<QWidget*> stops;
    for (QWidget* w : b.w().findChildren<QWidget*>())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&b.w()) && w->isEnabled() && !w->focusProxy())
            stops.insert(w);
    QCOMPARE(QSet<QWidget*>(chain.begin(), chain.end()), stops);
    QVERIFY(stops.size() > 15);
    QTest::keyClick(first, Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), chain.at(chain.size() - 2));
}

KORVANTA_TEST_MAIN(TestSetupFullWindow)
#include "tst_setup_full_window.moc"

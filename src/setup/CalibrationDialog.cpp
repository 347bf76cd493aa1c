#include "setup/CalibrationDialog.h"
#include "Core/Logic/LoggerFace.h"
#include "windowbase/DeferredIcon.h"
#include "windowbase/DialogKeys.h"

#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "windowbase/Prompter.h"
#include "windowbase/TextFit.h"
#include "setup/SetupColumnRules.h"
#include "setup/SetupWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cfloat>

using namespace SetupColumnRules;

namespace {
// A logger that reads only for a calibration gets this long to settle after it stops.
constexpr int kSettleMs = 500;
constexpr int kRotaryKind = 4;
} // namespace

void Ui_CalibrationDialog::setupUi(QDialog* dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("CalibrationDialog"));
    dialog->setFixedSize(CalibrationDialog::s_Width, CalibrationDialog::s_Height);
    gridLayout = new QGridLayout(dialog);
    const auto label = [dialog](const char* name) {
        auto* l = new QLabel(dialog);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    const auto edit = [dialog](const char* name) {
        auto* e = new QLineEdit(dialog);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    const auto button = [dialog](const char* name) {
        auto* b = new QPushButton(dialog);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    sensorIconLabel = label("sensorIconLabel");
    sensorNameLabel = label("sensorNameLabel");
    label_3 = label("label_3");
    label_4 = label("label_4");
    point1Label = label("point1Label");
    point2Label = label("point2Label");
    firstRealValueEdit = edit("firstRealValueEdit");
    secondRealValueEdit = edit("secondRealValueEdit");
    currentReadingEdit1 = edit("currentReadingEdit1");
    currentReadingEdit2 = edit("currentReadingEdit2");
    unitLabel1 = label("unitLabel1");
    unitLabel2 = label("unitLabel2");
    unitLabel3 = label("unitLabel3");
    unitLabel4 = label("unitLabel4");
    set1Button = button("set1Button");
    set2Button = button("set2Button");
    for (QPushButton* b : {set1Button, set2Button}) {
        b->setCheckable(true);
        QIcon icon = KorvantaIcons::Deferred();
        icon.addFile(":/images/Video/Lock_Open.png", QSize(), QIcon::Normal, QIcon::Off);
        icon.addFile(":/images/Video/Lock_Close.png", QSize(), QIcon::Normal, QIcon::On);
        b->setIcon(icon);
    }
    calibrateButton = button("calibrateButton");
    timeStempLabel = label("timeStempLabel");
    defaultButton = button("defaultButton");
    cancelButton = button("cancelButton");
    rotaryLabel = label("rotaryLabel");
    radiusComboBox = new QComboBox(dialog);
    radiusComboBox->setObjectName(QStringLiteral("radiusComboBox"));
    zeroNoteLabel = label("zeroNoteLabel");
    zeroNoteLabel->setWordWrap(true);
    // The note takes the width the point rows leave; it does not widen their columns.
    zeroNoteLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Minimum);
    zeroNoteLabel->hide();

    gridLayout->addWidget(sensorIconLabel, 0, 0);
    gridLayout->addWidget(sensorNameLabel, 0, 1, 1, 4);
    gridLayout->addWidget(label_3, 1, 1);
    gridLayout->addWidget(label_4, 1, 3);
    gridLayout->addWidget(point1Label, 2, 0);
    gridLayout->addWidget(firstRealValueEdit, 2, 1);
    gridLayout->addWidget(unitLabel1, 2, 2);
    gridLayout->addWidget(currentReadingEdit1, 2, 3);
    gridLayout->addWidget(unitLabel3, 2, 4);
    gridLayout->addWidget(set1Button, 2, 5);
    gridLayout->addWidget(point2Label, 3, 0);
    gridLayout->addWidget(secondRealValueEdit, 3, 1);
    gridLayout->addWidget(unitLabel2, 3, 2);
    gridLayout->addWidget(currentReadingEdit2, 3, 3);
    gridLayout->addWidget(unitLabel4, 3, 4);
    gridLayout->addWidget(set2Button, 3, 5);
    gridLayout->addWidget(rotaryLabel, 4, 0);
    gridLayout->addWidget(radiusComboBox, 4, 1);
    gridLayout->addWidget(timeStempLabel, 5, 0, 1, 2);
    gridLayout->addWidget(calibrateButton, 5, 2, 1, 2);
    gridLayout->addWidget(defaultButton, 5, 4);
    gridLayout->addWidget(cancelButton, 5, 5);
    gridLayout->addWidget(zeroNoteLabel, 6, 0, 1, 6);
    retranslateUi(dialog);
}

void Ui_CalibrationDialog::retranslateUi(QDialog* dialog)
{
    const auto tr = [](const char* s) { return QCoreApplication::translate("CalibrationDialog", s); };
    dialog->setWindowTitle(tr("Calibration"));
    label_3->setText(tr("Real Reading"));
    label_4->setText(tr("Measured Reading"));
    point1Label->setText(tr("Point 1:"));
    point2Label->setText(tr("Point 2:"));
    calibrateButton->setText(tr("Calibrate"));
    timeStempLabel->setText(tr("00:00:0000"));
    defaultButton->setText(tr("Remove calibration"));
    cancelButton->setText(tr("Cancel"));
    rotaryLabel->setText(tr("Wheel Radius"));
    radiusComboBox->clear();
    radiusComboBox->addItems({tr("5 mm"), tr("15 mm"), tr("25 mm")});
}

CalibrationDialog::CalibrationDialog(QWidget* parent, int sensorIndex)
    : QDialog(parent), ui(new Ui_CalibrationDialog), m_SensorIndex(sensorIndex),
      m_pValidator(new QDoubleValidator(this))
{
    CSensorsCalibration::RegisterMetaType();
    ui->setupUi(this);
    setWindowTitle(tr("Calibration"));
    m_pValidator->setRange(-DBL_MIN, DBL_MAX, 3);
    connect(ui->calibrateButton, &QPushButton::released, this, &CalibrationDialog::CalibrateReleased);
    connect(this, &CalibrationDialog::FirstReadingHasArrived, ui->set1Button, &QPushButton::setEnabled);
    connect(this, &CalibrationDialog::FirstReadingHasArrived, ui->set2Button, &QPushButton::setEnabled);
    connect(ui->set1Button, &QPushButton::toggled, this, &CalibrationDialog::Set1Checked);
    connect(ui->set2Button, &QPushButton::toggled, this, &CalibrationDialog::Set2Checked);
    connect(ui->firstRealValueEdit, &QLineEdit::editingFinished, this, &CalibrationDialog::valueEditFinished);
    connect(ui->secondRealValueEdit, &QLineEdit::editingFinished, this, &CalibrationDialog::valueEditFinished);
    QMetaObject::connectSlotsByName(this);
    ui->cancelButton->setAttribute(Qt::WA_Hover, true);
    ui->cancelButton->installEventFilter(this);
    ui->firstRealValueEdit->setValidator(m_pValidator);
    ui->secondRealValueEdit->setValidator(m_pValidator);
    ui->currentReadingEdit1->setReadOnly(true);
    ui->currentReadingEdit2->setReadOnly(true);
    // Calibrate is not the dialog's one action (each point has its lock): no button answers
    // Return. Return in a point's real value locks that point, and never the other.
    DialogKeys::AcceptOnReturn(this, nullptr);
    connect(ui->firstRealValueEdit, &QLineEdit::returnPressed, this, [this] { lockOnReturn(1); });
    connect(ui->secondRealValueEdit, &QLineEdit::returnPressed, this, [this] { lockOnReturn(2); });
    fitSize();
}

void CalibrationDialog::lockOnReturn(int point)
{
    QPushButton* button = point == 1 ? ui->set1Button : ui->set2Button;
    const QLineEdit* real = point == 1 ? ui->firstRealValueEdit : ui->secondRealValueEdit;
    if (button->isHidden() || !button->isEnabled() || button->isChecked())
        return;
    // A value outside the sensor's range is named as the entry finishes; it is not locked.
    double value = 0.0, minimum = 0.0, maximum = 0.0;
    if (ParseNumber(m_pValidator->locale(), real->text(), &value) && sensorRange(&minimum, &maximum)
        && !RealValueInRange(value, minimum, maximum))
        return;
    button->setChecked(true);
}

void CalibrationDialog::fitSize()
{
    // The form's size, or more where its texts need it: "Remove calibration" and "Measured
    // Reading" do not fit the form's width in every font.
    const int height = ui->zeroNoteLabel->isHidden() ? s_Height : s_Height + s_NoteHeight;
    TextFit::FixSize(this, QSize(s_Width, height));
}

CalibrationDialog::~CalibrationDialog()
{
    delete ui;
}

int CalibrationDialog::catalogueKind() const
{
    const CSensorInfo* catalogue = m_pSetupWindow ? m_pSetupWindow->sensorCatalogue() : nullptr;
    const CSensorParametersInfo* record = catalogue ? catalogue->GetSensorInfo(m_SensorIndex) : nullptr;
    return record ? record->m_CalibrationKind : 0;
}

bool CalibrationDialog::sensorRange(double* minimum, double* maximum) const
{
    const CSensorInfo* catalogue = m_pSetupWindow ? m_pSetupWindow->sensorCatalogue() : nullptr;
    const CSensorMeasuremntInfo* shown = catalogue ? catalogue->GetMeasurementInfo(m_SensorIndex, m_LastMeasurement) : nullptr;
    if (!shown)
        return false;
    *minimum = shown->m_Min;
    *maximum = shown->m_Max;
    return true;
}

// The points are typed in the unit of the measurement whose readings the dialog shows, and the
// calibration is made on that measurement.
void CalibrationDialog::showMeasurement(int measurement)
{
    m_LastMeasurement = measurement;
    const CSensorInfo* catalogue = m_pSetupWindow ? m_pSetupWindow->sensorCatalogue() : nullptr;
    const CSensorMeasuremntInfo* shown = catalogue ? catalogue->GetMeasurementInfo(m_SensorIndex, measurement) : nullptr;
    const QString unit = shown ? GetUnitPrefix(shown->m_UnitPrefix) + shown->m_Unit : QString();
    // The dialog names the measurement the line goes on, not the sensor's first.
    if (CSensorInfo::IsISEIndex(m_SensorIndex) && catalogue)
        ui->sensorNameLabel->setText(catalogue->getISEName(m_IseId));
    else
        ui->sensorNameLabel->setText(shown ? shown->m_Name : QString());
    for (QLabel* l : {ui->unitLabel1, ui->unitLabel2, ui->unitLabel3, ui->unitLabel4})
        l->setText(unit);
    double minimum = 0.0, maximum = 0.0;
    if (sensorRange(&minimum, &maximum))
        m_pValidator->setBottom(CalibrationValidatorBottom(minimum));
}

bool CalibrationDialog::readsOnlyWhileCalibrating() const
{
    return m_pSetupWindow && m_pSetupWindow->detectedFace().ReadsOnlyWhileCalibrating();
}

// The Dravlet interface stops sending readings and gets time to settle before the dialog reads
// its edits or closes.
void CalibrationDialog::stopLiveReadings()
{
    if (!readsOnlyWhileCalibrating())
        return;
    m_pSetupWindow->setCalibrationSnapshot(false);
    m_pSetupWindow->WaitHere(kSettleMs);
}

void CalibrationDialog::setZeroRemoved(const QStringList& measurements)
{
    if (measurements.isEmpty()) {
        ui->zeroNoteLabel->clear();
        ui->zeroNoteLabel->hide();
        fitSize();
        return;
    }
    ui->zeroNoteLabel->setText(tr("The zero of %1 is switched off: a calibration is made on readings without a "
                                  "zero. Set the zero again after calibrating if you need it.")
                                   .arg(measurements.join(QStringLiteral(", "))));
    ui->zeroNoteLabel->show();
    fitSize();
}

QString CalibrationDialog::readingText(double value) const
{
    return FormatNumber(m_pValidator->locale(), value, 'f', 3);
}

void CalibrationDialog::setSensorID(int sensorIndex, int iseId, int measurement)
{
    m_SensorIndex = sensorIndex;
    m_IseId = iseId;
    const CSensorInfo* catalogue = m_pSetupWindow ? m_pSetupWindow->sensorCatalogue() : nullptr;
    const CSensorParametersInfo* record = catalogue ? catalogue->GetSensorInfo(sensorIndex) : nullptr;
    ui->sensorIconLabel->setPixmap(record ? record->m_Icon : QPixmap());
    m_LastReading = s_NoReading;
    showMeasurement(measurement);
    if (record && record->m_CalibrationKind == kRotaryKind && m_pSetupWindow && m_pSetupWindow->calibrationTable()) {
        const int item = RadiusItemForMetres(m_pSetupWindow->calibrationTable()->GetCalibration(sensorIndex).factor);
        if (item >= 0)
            ui->radiusComboBox->setCurrentIndex(item);
    }
    fitSize();
}

void CalibrationDialog::setPointRowEnabled(int point, bool enabled)
{
    const QList<QWidget*> row = point == 1
        ? QList<QWidget*>{ui->point1Label, ui->unitLabel1, ui->unitLabel3, ui->firstRealValueEdit, ui->currentReadingEdit1}
        : QList<QWidget*>{ui->point2Label, ui->unitLabel2, ui->unitLabel4, ui->secondRealValueEdit, ui->currentReadingEdit2};
    for (QWidget* w : row)
        w->setEnabled(enabled);
}

void CalibrationDialog::setPointRowVisible(int point, bool visible)
{
    const QList<QWidget*> row = point == 1
        ? QList<QWidget*>{ui->point1Label, ui->currentReadingEdit1, ui->firstRealValueEdit, ui->set1Button,
                          ui->unitLabel1, ui->unitLabel3}
        : QList<QWidget*>{ui->point2Label, ui->currentReadingEdit2, ui->secondRealValueEdit, ui->set2Button,
                          ui->unitLabel2, ui->unitLabel4};
    for (QWidget* w : row)
        w->setVisible(visible);
}

void CalibrationDialog::prepareOpening()
{
    ui->set1Button->setEnabled(false);
    ui->set2Button->setEnabled(false);
    ui->calibrateButton->setEnabled(false);
    CSensorsCalibration* table = m_pSetupWindow ? m_pSetupWindow->calibrationTable() : nullptr;
    const SensorCalibrationInfo stored = table ? table->GetCalibration(m_SensorIndex) : SensorCalibrationInfo();
    m_Values.type = stored.type;
    const QLocale locale = m_pValidator->locale();
    if (m_Values.type != 0) {
        ui->timeStempLabel->show();
        ui->calibrateButton->setText(tr("Calibrated"));
        m_Values.real1 = stored.real1;
        m_Values.measured1 = stored.measured1;
        m_Values.real2 = stored.real2;
        m_Values.measured2 = stored.measured2;
        m_Values.dateTime = stored.dateTime;
        m_Values.measurement = stored.measurement;
        showMeasurement(stored.measurement);
        ui->timeStempLabel->setText(stored.dateTime.toString());
        ui->currentReadingEdit1->setText(FormatNumber(locale, stored.measured1));
        ui->currentReadingEdit2->setText(FormatNumber(locale, stored.measured2));
        ui->firstRealValueEdit->setText(FormatNumber(locale, stored.real1));
        ui->secondRealValueEdit->setText(FormatNumber(locale, stored.real2));
        {
            // Showing a stored calibration locks nothing new.
            const QSignalBlocker b1(ui->set1Button), b2(ui->set2Button);
            ui->set1Button->setChecked(true);
            ui->set2Button->setChecked(true);
        }
        setPointRowEnabled(1, false);
        setPointRowEnabled(2, false);
        ui->defaultButton->setEnabled(true);
    } else {
        ui->firstRealValueEdit->setFocus();
        ui->calibrateButton->setText(tr("Calibrate"));
        ui->timeStempLabel->hide();
        ui->set1Button->setChecked(false);
        ui->set2Button->setChecked(false);
        ui->firstRealValueEdit->setReadOnly(false);
        ui->secondRealValueEdit->setReadOnly(false);
        setPointRowEnabled(1, true);
        setPointRowEnabled(2, true);
        ui->defaultButton->setEnabled(false);
        if (readsOnlyWhileCalibrating())
            m_pSetupWindow->setCalibrationSnapshot(true);
    }
    const int kind = catalogueKind();
    if (kind == 1 || kind == 2) {
        // The same dialog may have shown a rotary sensor before: the point rows come back.
        ui->label_3->show();
        ui->label_4->show();
        setPointRowVisible(1, true);
        setPointRowVisible(2, kind == 2);
        ShowRotary(false);
    } else if (kind == kRotaryKind) {
        ShowRotary(true);
    }
    // The button reads "Calibrated" or "Calibrate", the rows shown differ by sensor.
    fitSize();
}

int CalibrationDialog::exec()
{
    prepareOpening();
    return QDialog::exec();
}

void CalibrationDialog::ShowRotary(bool show)
{
    if (!show) {
        ui->rotaryLabel->hide();
        ui->radiusComboBox->hide();
        return;
    }
    ui->rotaryLabel->show();
    ui->radiusComboBox->show();
    setPointRowVisible(1, false);
    setPointRowVisible(2, false);
    ui->label_3->hide();
    ui->label_4->hide();
    ui->calibrateButton->setEnabled(true);
}

void CalibrationDialog::setReading(double reading, int raw, int measurement)
{
    if (m_Values.type != 0)
        return;
    if (ui->currentReadingEdit1->isReadOnly() && ui->currentReadingEdit2->isReadOnly())
        emit FirstReadingHasArrived(true);
    m_LastReading = reading;
    m_LastRaw = raw;
    if (measurement != m_LastMeasurement)
        showMeasurement(measurement);
    const QString text = readingText(reading);
    if (!ui->set1Button->isChecked())
        ui->currentReadingEdit1->setText(text);
    if (!ui->set2Button->isChecked())
        ui->currentReadingEdit2->setText(text);
}

void CalibrationDialog::valueEditFinished()
{
    if (m_bCancelIntent)
        return;
    auto* edit = qobject_cast<QLineEdit*>(sender());
    double minimum = 0.0, maximum = 0.0, value = 0.0;
    if (!edit || !sensorRange(&minimum, &maximum) || !ParseNumber(m_pValidator->locale(), edit->text(), &value))
        return;
    if (RealValueInRange(value, minimum, maximum)) {
        m_bOutOfRange = false;
        return;
    }
    m_bOutOfRange = true;
    PrompterOrShell(m_pPrompter)->critical(this, tr("Pavix"), OutOfRangeText(minimum, maximum));
    edit->setFocus();
    edit->setCursorPosition(0);
}

bool CalibrationDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->cancelButton) {
        if (event->type() == QEvent::HoverEnter || event->type() == QEvent::Enter)
            m_bCancelIntent = true;
        else if (event->type() == QEvent::HoverLeave || event->type() == QEvent::Leave)
            m_bCancelIntent = false;
        else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            m_bCancelIntent = true;
    }
    return QDialog::eventFilter(watched, event);
}

void CalibrationDialog::lockPoint(int point, bool checked)
{
    QPushButton* button = point == 1 ? ui->set1Button : ui->set2Button;
    QLineEdit* real = point == 1 ? ui->firstRealValueEdit : ui->secondRealValueEdit;
    QLineEdit* reading = point == 1 ? ui->currentReadingEdit1 : ui->currentReadingEdit2;
    if (checked) {
        double value = 0.0, minimum = 0.0, maximum = 0.0;
        const bool number = ParseNumber(m_pValidator->locale(), real->text(), &value);
        // The range is checked again here: a value the entry never confirmed (it stopped
        // at the validator) must not be locked either.
        const bool outside = number && sensorRange(&minimum, &maximum) && !RealValueInRange(value, minimum, maximum);
        if (m_bOutOfRange || !number || outside) {
            m_bOutOfRange = false;
            {
                const QSignalBlocker blocker(button);
                button->setChecked(false);
            }
            button->setDown(false);
            if (outside && number)
                PrompterOrShell(m_pPrompter)->critical(this, tr("Pavix"), OutOfRangeText(minimum, maximum));
            else
                PrompterOrShell(m_pPrompter)->warning(this, tr("Pavix"), tr("Please enter a real value"));
            return;
        }
    }
    const int kind = catalogueKind();
    const bool otherLocked = point == 1 ? ui->set2Button->isChecked() : ui->set1Button->isChecked();
    bool changes = false;
    const bool enable = CalibrateEnabledAfterLock(kind, point, checked, otherLocked, &changes);
    if (changes)
        ui->calibrateButton->setEnabled(enable);
    reading->setText(readingText(m_LastReading));
    real->setReadOnly(checked);
    (point == 1 ? m_Values.raw1 : m_Values.raw2) = m_LastRaw;
    // The real values are typed against readings of this measurement: the line belongs to it.
    m_Values.measurement = m_LastMeasurement;
}

void CalibrationDialog::Set1Checked(bool checked)
{
    lockPoint(1, checked);
}

void CalibrationDialog::Set2Checked(bool checked)
{
    lockPoint(2, checked);
}

void CalibrationDialog::CalibrateReleased()
{
    stopLiveReadings();
    const int kind = catalogueKind();
    CalibrationValues values = m_Values;
    const CalibrationEntries entries{ui->firstRealValueEdit->text(), ui->currentReadingEdit1->text(),
                                     ui->secondRealValueEdit->text(), ui->currentReadingEdit2->text()};
    const CalibrationRefusal refusal = BuildCalibration(kind, entries, m_pValidator->locale(), &values);
    if (refusal == CalibrationEqualReadings) {
        PrompterOrShell(m_pPrompter)->critical(this, tr("Pavix"), tr("The measured values cannot be the same."));
        return;
    }
    if (refusal == CalibrationMissingValue) {
        PrompterOrShell(m_pPrompter)->warning(this, tr("Pavix"), tr("Please enter a real value"));
        return;
    }
    values.iseId = m_IseId;
    values.dateTime = QDateTime::currentDateTime();
    values.type = kind;
    CSensorsCalibration* table = m_pSetupWindow ? m_pSetupWindow->calibrationTable() : nullptr;
    if (kind == kRotaryKind && table) {
        if (SensorCalibrationInfo* record = table->GetRecord(m_SensorIndex))
            record->factor = RadiusMm(ui->radiusComboBox->currentIndex()) / 1000.0;
    }
    m_Values = values;
    emit calibrationModified(m_Values);
    emit CalibrationIsOn(true);
    done(1);
}

void CalibrationDialog::on_cancelButton_released()
{
    stopLiveReadings();
    const QLocale locale = m_pValidator->locale();
    if (m_Values.type != 0) {
        ui->firstRealValueEdit->setText(FormatNumber(locale, m_Values.real1));
        ui->currentReadingEdit1->setText(FormatNumber(locale, m_Values.measured1));
        ui->secondRealValueEdit->setText(FormatNumber(locale, m_Values.real2));
        ui->currentReadingEdit2->setText(FormatNumber(locale, m_Values.measured2));
    } else {
        for (QLineEdit* e : {ui->firstRealValueEdit, ui->currentReadingEdit1, ui->secondRealValueEdit, ui->currentReadingEdit2})
            e->clear();
    }
    done(0);
}

void CalibrationDialog::on_defaultButton_released()
{
    stopLiveReadings();
    for (QLineEdit* e : {ui->firstRealValueEdit, ui->currentReadingEdit1, ui->secondRealValueEdit, ui->currentReadingEdit2})
        e->clear();
    if (CSensorsCalibration* table = m_pSetupWindow ? m_pSetupWindow->calibrationTable() : nullptr) {
        table->RestoreSensorDefault(m_SensorIndex);
        const SensorCalibrationInfo stored = table->GetCalibration(m_SensorIndex);
        m_Values.type = stored.type;
        m_Values.real1 = stored.real1;
        m_Values.measured1 = stored.measured1;
        m_Values.raw1 = stored.raw1;
        m_Values.real2 = stored.real2;
        m_Values.measured2 = stored.measured2;
        m_Values.raw2 = stored.raw2;
        m_Values.dateTime = stored.dateTime;
        m_Values.iseId = stored.iseId;
        m_Values.measurement = stored.measurement;
    }
    if (catalogueKind() == kRotaryKind)
        ui->radiusComboBox->setCurrentIndex(2);
    emit CalibrationIsOn(false);
    done(0);
}

void CalibrationDialog::closeEvent(QCloseEvent* event)
{
    if (isVisible())
        on_cancelButton_released();
    event->accept();
}

void CalibrationDialog::reject()
{
    on_cancelButton_released();
}

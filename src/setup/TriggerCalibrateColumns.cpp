#include "setup/TriggerCalibrateColumns.h"

#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "windowbase/Prompter.h"
#include "setup/CalibrationDialog.h"
#include "setup/DropCounterCalibration.h"
#include "setup/SetupColumnRules.h"
#include "setup/SetupWindow.h"
#include "setup/TriggerDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
bool isDropCounter(int index)
{
    return index == 33 || index == 109;
}

// What the conversion reads of a record: equal, every reading converts as before.
bool sameConversion(const SensorCalibrationInfo& a, const SensorCalibrationInfo& b)
{
    return a.type == b.type && a.factor == b.factor && a.slope == b.slope && a.offset == b.offset
           && a.real1 == b.real1 && a.raw1 == b.raw1 && a.iseId == b.iseId;
}
} // namespace

void Ui_FullSetupTriggerColumn::setupUi(QWidget* form)
{
    if (form->objectName().isEmpty())
        form->setObjectName(QStringLiteral("FullSetupTriggerColumn"));
    horizontalLayout_2 = new QHBoxLayout(form);
    horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
    horizontalLayout_2->setSpacing(0);
    horizontalLayout_2->setContentsMargins(0, 0, 0, 0);
    verticalLayout = new QVBoxLayout();
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    TriggerRadioButton = new QRadioButton(form);
    TriggerRadioButton->setObjectName(QStringLiteral("TriggerRadioButton"));
    TriggerRadioButton->setLayoutDirection(Qt::RightToLeft);
    TriggerRadioButton->setAutoFillBackground(false);
    TriggerRadioButton->setStyleSheet(QStringLiteral("QRadioButton :: indicator    {position: center;}"));
    horizontalLayout->addWidget(TriggerRadioButton);
    horizontalLayout->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    verticalLayout->addLayout(horizontalLayout);
    SetButton = new QPushButton(form);
    SetButton->setObjectName(QStringLiteral("SetButton"));
    SetButton->setCursor(Qt::PointingHandCursor);
    verticalLayout->addWidget(SetButton);
    horizontalLayout_2->addLayout(verticalLayout);
    retranslateUi(form);
}

void Ui_FullSetupTriggerColumn::retranslateUi(QWidget*)
{
    SetButton->setText(QCoreApplication::translate("FullSetupTriggerColumn", "Set"));
}

FullSetupTriggerColumn::FullSetupTriggerColumn(int channel, int sensorIndex, CSetupWindow* setup, QWidget* parent)
    : QWidget(parent), m_Channel(channel), m_pSetupWindow(setup), m_SensorIndex(sensorIndex),
      m_pTriggerDialog(nullptr), ui(new Ui_FullSetupTriggerColumn)
{
    ui->setupUi(this);
    m_pTriggerDialog = new TriggerDialog(this, channel, sensorIndex, setup);
    ui->verticalLayout->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    ui->SetButton->hide();
    connect(ui->TriggerRadioButton, &QRadioButton::toggled, this, &FullSetupTriggerColumn::TriggerToggled);
    connect(ui->TriggerRadioButton, &QRadioButton::clicked, this, &FullSetupTriggerColumn::TriggerClicked);
    QMetaObject::connectSlotsByName(this);
}

FullSetupTriggerColumn::~FullSetupTriggerColumn()
{
    delete ui;
}

void FullSetupTriggerColumn::init()
{
    m_pTriggerDialog->init();
}

void FullSetupTriggerColumn::setPrompter(IPrompter* prompter)
{
    m_pPrompter = prompter;
    m_pTriggerDialog->setPrompter(prompter);
}

QRadioButton* FullSetupTriggerColumn::getTriggerRadioButton() const
{
    return ui->TriggerRadioButton;
}

QPushButton* FullSetupTriggerColumn::setButton() const
{
    return ui->SetButton;
}

void FullSetupTriggerColumn::setDisabled(bool disabled)
{
    ui->TriggerRadioButton->setDisabled(disabled);
}

void FullSetupTriggerColumn::TriggerToggled(bool checked)
{
    ui->SetButton->setVisible(checked);
}

void FullSetupTriggerColumn::uncheckRadioButton()
{
    // An exclusive group does not let its checked button be unchecked.
    QButtonGroup* group = ui->TriggerRadioButton->group();
    if (group)
        group->setExclusive(false);
    ui->TriggerRadioButton->setChecked(false);
    if (group)
        group->setExclusive(true);
}

void FullSetupTriggerColumn::TriggerClicked(bool)
{
    using namespace SetupColumnRules;
    TriggerReport report;
    if (m_bSelected) {
        m_bSelected = false;
        uncheckRadioButton();
        report = TriggerCleared();
    } else {
        m_bSelected = true;
        const CSensorInfo* catalogue = m_pSetupWindow ? m_pSetupWindow->sensorCatalogue() : nullptr;
        const CSensorParametersInfo* record = catalogue ? catalogue->GetSensorInfo(m_SensorIndex) : nullptr;
        report = TriggerOnSelection(record && record->m_TriggerAllowed, m_pTriggerDialog->triggerType(),
                                    m_pTriggerDialog->levelIndex(), m_pTriggerDialog->delayMs(),
                                    m_pTriggerDialog->triggerLevels());
    }
    emit sensorTriggerModified(report.m_bActive, m_Channel, report.m_LevelIndex, report.m_Value, report.m_Type);
}

void FullSetupTriggerColumn::on_SetButton_released()
{
    PrompterOrShell(m_pPrompter)->runDialog(m_pTriggerDialog);
}

// A new sensor on the row starts without a trigger: a selection made for the sensor before
// is dropped (and reported, so the setup forgets it) rather than carried over to this one.
void FullSetupTriggerColumn::updateTriggerList(int sensorIndex)
{
    m_SensorIndex = sensorIndex;
    m_pTriggerDialog->updateTriggerValues(m_Channel, sensorIndex);
    ui->SetButton->hide();
    if (m_bSelected)
        TriggerClicked(false);
    else if (ui->TriggerRadioButton->isChecked())
        uncheckRadioButton();
}

void FullSetupTriggerColumn::refreshLevels()
{
    using namespace SetupColumnRules;
    // The code stays: only a level that moved in the list is recorded again, at its new place.
    if (!m_pTriggerDialog->refreshLevels() || !m_bSelected || m_pTriggerDialog->triggerType() == TriggerDelay)
        return;
    const CSensorInfo* catalogue = m_pSetupWindow ? m_pSetupWindow->sensorCatalogue() : nullptr;
    const CSensorParametersInfo* record = catalogue ? catalogue->GetSensorInfo(m_SensorIndex) : nullptr;
    const TriggerReport report = TriggerOnSelection(record && record->m_TriggerAllowed, m_pTriggerDialog->triggerType(),
                                                    m_pTriggerDialog->levelIndex(), m_pTriggerDialog->delayMs(),
                                                    m_pTriggerDialog->triggerLevels());
    emit sensorTriggerModified(report.m_bActive, m_Channel, report.m_LevelIndex, report.m_Value, report.m_Type);
    // As the dialog's OK does: the logger's copy of the setup follows.
    if (m_pSetupWindow)
        emit m_pSetupWindow->setupChanged(-1);
}

void FullSetupTriggerColumn::setTriggerAllowed(bool hasSensor, const QString& refusal)
{
    setDisabled(!hasSensor || !refusal.isEmpty());
    // On the cell as well: a greyed button under the pointer may not show its own tooltip.
    setToolTip(refusal);
    ui->TriggerRadioButton->setToolTip(refusal);
}

// ---- calibration

void Ui_FullSetupCalibrateColumn::setupUi(QWidget* form)
{
    if (form->objectName().isEmpty())
        form->setObjectName(QStringLiteral("FullSetupCalibrateColumn"));
    verticalLayout_3 = new QVBoxLayout(form);
    verticalLayout_3->setObjectName(QStringLiteral("verticalLayout_3"));
    verticalLayout_3->setSpacing(0);
    verticalLayout_3->setContentsMargins(0, 0, 0, 0);
    verticalLayout_2 = new QVBoxLayout();
    verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));
    verticalLayout_2->setSpacing(0);
    horizontalLayout_2 = new QHBoxLayout();
    horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
    horizontalLayout_2->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    useCheckBox = new QCheckBox(form);
    useCheckBox->setObjectName(QStringLiteral("useCheckBox"));
    useCheckBox->setCheckable(true);
    useCheckBox->setEnabled(false);
    useCheckBox->setFocusPolicy(Qt::NoFocus);
    horizontalLayout_2->addWidget(useCheckBox);
    horizontalLayout_2->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    verticalLayout_2->addLayout(horizontalLayout_2);
    setButton = new QPushButton(form);
    setButton->setObjectName(QStringLiteral("setButton"));
    setButton->setCursor(Qt::PointingHandCursor);
    verticalLayout_2->addWidget(setButton);
    verticalLayout_3->addLayout(verticalLayout_2);
    retranslateUi(form);
}

void Ui_FullSetupCalibrateColumn::retranslateUi(QWidget*)
{
    setButton->setText(QCoreApplication::translate("FullSetupCalibrateColumn", "Set"));
}

FullSetupCalibrateColumn::FullSetupCalibrateColumn(int channel, CSetupWindow* setup, QWidget* parent)
    : QWidget(parent), m_Channel(channel), m_pSetupWindow(setup), ui(new Ui_FullSetupCalibrateColumn)
{
    ui->setupUi(this);
    ui->verticalLayout_2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    const int sensor = setup ? setup->getSensorIdAtSourceChannel(channel) : 0;
    m_pCalibrationDialog = new CalibrationDialog(this, sensor);
    m_pCalibrationDialog->setSetupWindow(setup);
    m_pDropCounter = new DropCounterCalibration(this);
    m_pDropCounter->setSetupWindow(setup);
    QMetaObject::connectSlotsByName(this);
}

void FullSetupCalibrateColumn::setPrompter(IPrompter* prompter)
{
    m_pPrompter = prompter;
    m_pCalibrationDialog->setPrompter(prompter);
    m_pDropCounter->setPrompter(prompter);
}

FullSetupCalibrateColumn::~FullSetupCalibrateColumn()
{
    delete m_pCalibrationDialog;
    delete m_pDropCounter;
    delete ui;
}

QCheckBox* FullSetupCalibrateColumn::useCheckBox() const
{
    return ui->useCheckBox;
}

QPushButton* FullSetupCalibrateColumn::setButton() const
{
    return ui->setButton;
}

void FullSetupCalibrateColumn::init()
{
    connect(m_pCalibrationDialog, &CalibrationDialog::calibrationModified, this, &FullSetupCalibrateColumn::setCalibration);
    connect(m_pCalibrationDialog, &CalibrationDialog::CalibrationIsOn, ui->useCheckBox, &QCheckBox::setChecked);
    connect(m_pDropCounter, &DropCounterCalibration::CalibrationIsOn, ui->useCheckBox, &QCheckBox::setChecked);
    connect(ui->useCheckBox, &QCheckBox::toggled, this, &FullSetupCalibrateColumn::UseChecked);
    m_pCalibrationDialog->setSourceChannel(m_Channel);
}

void FullSetupCalibrateColumn::setCalibrationValues(const CalibrationValues& values)
{
    m_pCalibrationDialog->setCalibrationValues(values);
}

void FullSetupCalibrateColumn::setSensorID(int sensorIndex, int iseId)
{
    m_SensorIndex = sensorIndex;
    m_IseId = iseId;
    CSensorsCalibration* table = m_pSetupWindow ? m_pSetupWindow->calibrationTable() : nullptr;
    const int type = table ? table->GetCalibration(sensorIndex).type : 0;
    ui->useCheckBox->setChecked(type == 1 || type == 2);
}

int FullSetupCalibrateColumn::calibrationMeasurement() const
{
    return SetupColumnRules::CalibrationMeasurement(m_pSetupWindow ? m_pSetupWindow->getSetupInfo() : nullptr,
                                                    m_Channel, m_ShownMeasurement);
}

void FullSetupCalibrateColumn::setReading(double reading, int raw, int measurement)
{
    m_pCalibrationDialog->setReading(reading, raw, measurement);
}

void FullSetupCalibrateColumn::setDisabled(bool disabled)
{
    ui->setButton->setDisabled(disabled);
}

void FullSetupCalibrateColumn::setCalibration(const CalibrationValues& values)
{
    emit calibrationChanged(values, m_Channel);
}

void FullSetupCalibrateColumn::UseChecked(bool use)
{
    emit UseCalibrationChanged(use, m_Channel);
}

QStringList FullSetupCalibrateColumn::zeroedMeasurements() const
{
    QStringList names;
    const CSetupInfo* setup = m_pSetupWindow ? m_pSetupWindow->getSetupInfo() : nullptr;
    const CSesnorProperties* sensor = setup ? setup->GetSelectedSensor(m_Channel) : nullptr;
    for (int m = 0; sensor && m < sensor->GetNumMeasurements(); ++m)
        if (const CMeasurementSetup* measurement = sensor->GetMeasurement(m))
            if (measurement->m_bZero)
                names << measurement->m_Name;
    return names;
}

void FullSetupCalibrateColumn::on_setButton_clicked()
{
    // A calibration is made on readings without a zero: the row's zero column switches its
    // zero off on hearing this. The dialog says which zero went, rather than dropping it unseen.
    const QStringList zeroed = zeroedMeasurements();
    emit UseCalibrationChanged(false, m_Channel);
    const QStringList still = zeroedMeasurements();
    QStringList removed;
    for (const QString& name : zeroed)
        if (!still.contains(name))
            removed << name;
    m_pCalibrationDialog->setZeroRemoved(removed);
    CSensorsCalibration* table = m_pSetupWindow ? m_pSetupWindow->calibrationTable() : nullptr;
    const SensorCalibrationInfo before = table ? table->GetCalibration(m_SensorIndex) : SensorCalibrationInfo();
    if (isDropCounter(m_SensorIndex)) {
        m_pDropCounter->setSensorID(m_SensorIndex);
        PrompterOrShell(m_pPrompter)->runDialog(m_pDropCounter);
    } else {
        m_pCalibrationDialog->setSensorID(m_SensorIndex, m_IseId, calibrationMeasurement());
        PrompterOrShell(m_pPrompter)->runDialog(m_pCalibrationDialog);
    }
    // A zero level is a reading in the units of the conversion it was taken under: it holds
    // while that conversion does.
    if (table && sameConversion(before, table->GetCalibration(m_SensorIndex)))
        emit calibrationLeftAsItWas(m_Channel);
}

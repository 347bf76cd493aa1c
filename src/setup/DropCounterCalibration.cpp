#include "setup/DropCounterCalibration.h"
#include "windowbase/DialogKeys.h"

#include "windowbase/Prompter.h"
#include "setup/SetupColumnRules.h"
#include "setup/SetupWindow.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kDropVolumeKind = 3;
}

void Ui_DropCounterCalibration::setupUi(QDialog* dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("DropCounterCalibration"));
    dialog->setFixedSize(400, 300);
    auto* outer = new QVBoxLayout(dialog);
    groupBox = new QGroupBox(dialog);
    groupBox->setObjectName(QStringLiteral("groupBox"));
    auto* inner = new QHBoxLayout(groupBox);
    label = new QLabel(groupBox);
    label->setObjectName(QStringLiteral("label"));
    inner->addWidget(label);
    VolumeLineEdit = new QLineEdit(groupBox);
    VolumeLineEdit->setObjectName(QStringLiteral("VolumeLineEdit"));
    inner->addWidget(VolumeLineEdit);
    outer->addWidget(groupBox);
    auto* buttons = new QHBoxLayout();
    okButton = new QPushButton(dialog);
    okButton->setObjectName(QStringLiteral("okButton"));
    CancelButton = new QPushButton(dialog);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    defaultButton = new QPushButton(dialog);
    defaultButton->setObjectName(QStringLiteral("defaultButton"));
    buttons->addWidget(defaultButton);
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(CancelButton);
    outer->addLayout(buttons);
    retranslateUi(dialog);
}

void Ui_DropCounterCalibration::retranslateUi(QDialog* dialog)
{
    const auto tr = [](const char* s) { return QCoreApplication::translate("DropCounterCalibration", s); };
    dialog->setWindowTitle(tr("Calibration"));
    groupBox->setTitle(tr("Drop Volume"));
    label->setText(tr("Drop Volume (mL):"));
    okButton->setText(tr("OK"));
    CancelButton->setText(tr("Cancel"));
    defaultButton->setText(tr("Defaults"));
}

DropCounterCalibration::DropCounterCalibration(QWidget* parent) : QDialog(parent), ui(new Ui_DropCounterCalibration)
{
    ui->setupUi(this);
    connect(ui->okButton, &QPushButton::released, this, &DropCounterCalibration::onOK);
    connect(ui->CancelButton, &QPushButton::released, this, &DropCounterCalibration::onCancel);
    connect(ui->defaultButton, &QPushButton::released, this, &DropCounterCalibration::onDefaults);
    DialogKeys::AcceptOnReturn(this, ui->okButton);
}

DropCounterCalibration::~DropCounterCalibration()
{
    delete ui;
}

SensorCalibrationInfo* DropCounterCalibration::record() const
{
    CSensorsCalibration* table = m_pSetupWindow ? m_pSetupWindow->calibrationTable() : nullptr;
    return table ? table->GetRecord(m_SensorIndex) : nullptr;
}

void DropCounterCalibration::showVolume()
{
    const SensorCalibrationInfo* r = record();
    ui->VolumeLineEdit->setText(r ? SetupColumnRules::FormatNumber(QLocale(), r->factor) : QString());
}

void DropCounterCalibration::setSensorID(int sensorIndex)
{
    m_SensorIndex = sensorIndex;
    showVolume();
}

void DropCounterCalibration::onOK()
{
    double volume = 0.0;
    if (!SetupColumnRules::ParseDropVolume(QLocale(), ui->VolumeLineEdit->text(), &volume)) {
        PrompterOrShell(m_pPrompter)->warning(this, tr("Pavix"), tr("Invalid input"));
        return;
    }
    SensorCalibrationInfo* r = record();
    if (r && volume != r->factor) {
        r->factor = volume;
        r->type = kDropVolumeKind;
        emit CalibrationIsOn(true);
    }
    done(0);
}

void DropCounterCalibration::onCancel()
{
    done(0);
}

void DropCounterCalibration::onDefaults()
{
    CSensorsCalibration* table = m_pSetupWindow ? m_pSetupWindow->calibrationTable() : nullptr;
    if (table) {
        table->RestoreSensorDefault(m_SensorIndex);
        if (SensorCalibrationInfo* r = table->GetRecord(m_SensorIndex))
            r->type = 0;
    }
    emit CalibrationIsOn(false);
    showVolume();
}

#include "setup/TriggerDialog.h"
#include "windowbase/DialogKeys.h"

#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "setup/LogicQueries.h"
#include "setup/SetupColumnRules.h"
#include "setup/SetupWindow.h"
#include "setup/TriggerCalibrateColumns.h"
#include "windowbase/NumberField.h"
#include "windowbase/Prompter.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

void Ui_TriggerDialog::setupUi(QDialog* dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("TriggerDialog"));
    dialog->setFixedSize(600, 150);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(12);
    dialog->setFont(font);
    gridLayout = new QGridLayout(dialog);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    DelayRadioButton = new QRadioButton(dialog);
    DelayRadioButton->setObjectName(QStringLiteral("DelayRadioButton"));
    gridLayout->addWidget(DelayRadioButton, 0, 0);
    DelaySamplingEdit = new QLineEdit(dialog);
    DelaySamplingEdit->setObjectName(QStringLiteral("DelaySamplingEdit"));
    // No input mask: a mask drops what it does not take (the point of "1.5", the sign of "-5")
    // and leaves another number than the one typed. OK reads the entry and refuses what is not
    // a delay, saying what the entry takes.
    NumberField::Restrict(DelaySamplingEdit);
    DelaySamplingEdit->setCursorPosition(0);
    gridLayout->addWidget(DelaySamplingEdit, 0, 1);
    DelayUnitCombo = new QComboBox(dialog);
    DelayUnitCombo->setObjectName(QStringLiteral("DelayUnitCombo"));
    DelayUnitCombo->setMinimumWidth(135);
    gridLayout->addWidget(DelayUnitCombo, 0, 2);
    TriggerLevelRadioButton = new QRadioButton(dialog);
    TriggerLevelRadioButton->setObjectName(QStringLiteral("TriggerLevelRadioButton"));
    gridLayout->addWidget(TriggerLevelRadioButton, 1, 0);
    TriggerTypeCombo = new QComboBox(dialog);
    TriggerTypeCombo->setObjectName(QStringLiteral("TriggerTypeCombo"));
    TriggerTypeCombo->setMinimumWidth(135);
    gridLayout->addWidget(TriggerTypeCombo, 1, 1);
    TriggerLevelCombo = new QComboBox(dialog);
    TriggerLevelCombo->setObjectName(QStringLiteral("TriggerLevelCombo"));
    gridLayout->addWidget(TriggerLevelCombo, 1, 2);
    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    OkButton = new QPushButton(dialog);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    horizontalLayout->addWidget(OkButton);
    CancelButton = new QPushButton(dialog);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    horizontalLayout->addWidget(CancelButton);
    gridLayout->addLayout(horizontalLayout, 2, 1);
    retranslateUi(dialog);
}

void Ui_TriggerDialog::retranslateUi(QDialog* dialog)
{
    const auto tr = [](const char* s) { return QCoreApplication::translate("TriggerDialog", s); };
    dialog->setWindowTitle(tr("Triggering"));
    DelayRadioButton->setText(tr("Delay sampling for"));
    TriggerLevelRadioButton->setText(tr("Start sampling when"));
    OkButton->setText(tr("Ok"));
    CancelButton->setText(tr("Cancel"));
}

TriggerDialog::TriggerDialog(QWidget* parent, int channel, int sensorIndex, CSetupWindow* setupWindow)
    : QDialog(parent), ui(new Ui_TriggerDialog), m_Channel(channel), m_SensorIndex(sensorIndex),
      m_pSetupWindow(setupWindow), m_pColumn(qobject_cast<FullSetupTriggerColumn*>(parent))
{
    ui->setupUi(this);
    DialogKeys::AcceptOnReturn(this, ui->OkButton);
}

TriggerDialog::~TriggerDialog()
{
    delete ui;
}

void TriggerDialog::init()
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        m_TriggerType = 0;
        ui->TriggerTypeCombo->addItem(tr("None"));
        ui->TriggerTypeCombo->addItem(tr("Above level"));
        ui->TriggerTypeCombo->addItem(tr("Below level"));
        ui->DelayUnitCombo->addItem(tr("millisecond"));
        ui->DelayUnitCombo->addItem(tr("second"));
        connect(ui->OkButton, &QPushButton::clicked, this, &TriggerDialog::onOk);
        connect(ui->CancelButton, &QPushButton::clicked, this, &TriggerDialog::onCancel);
        connect(ui->DelayRadioButton, &QRadioButton::toggled, this, &TriggerDialog::onTimeDelayRadioButton);
        connect(ui->TriggerLevelRadioButton, &QRadioButton::toggled, this, &TriggerDialog::onTriggerRadioButton);
    }
    showDelay();
    updateTriggerValues(m_Channel, m_SensorIndex);
}

void TriggerDialog::updateTriggerValues(int channel, int sensorIndex)
{
    m_Channel = channel;
    m_SensorIndex = sensorIndex;
    m_TriggerType = 0;
    m_LevelIndex = 0;
    m_DelayMs = 0;
    if (!fillLevels())
        return;
    ui->TriggerLevelRadioButton->setChecked(true);
    m_LevelIndex = 0;
}

bool TriggerDialog::fillLevels()
{
    ui->TriggerLevelCombo->clear();
    m_TriggerLevels.clear();
    const CSensorInfo* catalogue = m_pSetupWindow ? m_pSetupWindow->sensorCatalogue() : nullptr;
    const CSensorParametersInfo* record = catalogue ? catalogue->GetSensorInfo(m_SensorIndex) : nullptr;
    if (!record || !record->m_TriggerAllowed)
        return false;
    if (ILogicQueries* logic = m_pSetupWindow->logicQueries())
        logic->GetTriggeringLevels(m_Channel, m_SensorIndex, &m_TriggerLevels);
    for (const TriggerLevel& level : qAsConst(m_TriggerLevels))
        ui->TriggerLevelCombo->addItem(SetupColumnRules::TriggerLevelText(level.m_Level));
    return true;
}

bool TriggerDialog::refreshLevels()
{
    const int before = m_LevelIndex;
    const bool hadLevel = m_LevelIndex >= 0 && m_LevelIndex < m_TriggerLevels.size();
    const TriggerLevel chosen = hadLevel ? m_TriggerLevels.at(m_LevelIndex) : TriggerLevel();
    fillLevels();
    if (!hadLevel) {
        m_LevelIndex = 0;
        return false;
    }
    // The logger compares codes: the chosen code stays the threshold, only what it reads as is new.
    int index = SetupColumnRules::TriggerLevelWithCode(m_TriggerLevels, chosen.m_Code);
    if (index < 0)
        index = keepLevel(chosen);
    m_LevelIndex = index;
    ui->TriggerLevelCombo->setCurrentIndex(index);
    return index != before;
}

int TriggerDialog::keepLevel(const TriggerLevel& chosen)
{
    // The list no longer offers the code (its value lies past the range now): it stays in the
    // list, in the list's order of codes, with the value it reads as now where that can be told.
    TriggerLevel kept = chosen;
    ILogicQueries* logic = m_pSetupWindow ? m_pSetupWindow->logicQueries() : nullptr;
    float level = 0.0f;
    if (logic && logic->GetTriggeringLevel(m_Channel, m_SensorIndex, chosen.m_Code, &level))
        kept.m_Level = level;
    const int n = m_TriggerLevels.size();
    const bool codesFall = n < 2 || m_TriggerLevels.first().m_Code > m_TriggerLevels.last().m_Code;
    int at = 0;
    while (at < n && (codesFall ? m_TriggerLevels.at(at).m_Code > kept.m_Code : m_TriggerLevels.at(at).m_Code < kept.m_Code))
        ++at;
    m_TriggerLevels.insert(at, kept);
    ui->TriggerLevelCombo->insertItem(at, SetupColumnRules::TriggerLevelText(kept.m_Level));
    return at;
}

void TriggerDialog::onTimeDelayRadioButton(bool checked)
{
    if (!checked)
        return;
    ui->DelaySamplingEdit->setEnabled(true);
    ui->DelayUnitCombo->setEnabled(true);
    ui->TriggerTypeCombo->setEnabled(false);
    ui->TriggerLevelCombo->setEnabled(false);
}

void TriggerDialog::onTriggerRadioButton(bool checked)
{
    if (!checked)
        return;
    ui->TriggerTypeCombo->setEnabled(true);
    ui->TriggerLevelCombo->setEnabled(true);
    ui->DelaySamplingEdit->setEnabled(false);
    ui->DelayUnitCombo->setEnabled(false);
}

int TriggerDialog::ConvertToMillisecond(int unitIndex) const
{
    return SetupColumnRules::ConvertToMillisecond(ui->DelaySamplingEdit->text(), unitIndex);
}

void TriggerDialog::recordTrigger(bool active, int levelIndex, int value, int type)
{
    if (m_pSetupWindow)
        m_pSetupWindow->setTrigger(active, m_Channel, levelIndex, value, type);
}

void TriggerDialog::reportTrigger(bool active, int levelIndex, int value, int type)
{
    if (m_pColumn)
        emit m_pColumn->sensorTriggerModified(active, m_Channel, levelIndex, value, type);
}

void TriggerDialog::onOk()
{
    const int levelIndex = ui->TriggerLevelCombo->currentIndex();
    const int kind = ui->TriggerTypeCombo->currentIndex();
    const bool haveLevel = levelIndex >= 0 && levelIndex < m_TriggerLevels.size();
    const int value = haveLevel ? m_TriggerLevels.at(levelIndex).m_Code : -1;

    if (ui->TriggerLevelRadioButton->isChecked()) {
        if (kind > 0 && !haveLevel) {
            // A level trigger on a sensor that offers no level can never fire: set none.
            m_TriggerType = 0;
            m_LevelIndex = 0;
            recordTrigger(false, -1, -1, 0);
            reportTrigger(false, -1, -1, 0);
            done(0);
            return;
        }
        m_LevelIndex = std::max(levelIndex, 0);
        m_TriggerType = std::max(kind, 0);
        recordTrigger(true, m_LevelIndex, haveLevel ? value : 0, m_TriggerType);
        if (m_pSetupWindow)
            emit m_pSetupWindow->setupChanged(-1);
        reportTrigger(true, m_LevelIndex, haveLevel ? value : 0, m_TriggerType);
    } else {
        const int unit = ui->DelayUnitCombo->currentIndex();
        int delay = 0;
        if (!SetupColumnRules::ReadTriggerDelay(ui->DelaySamplingEdit->text(), unit, &delay)) {
            // Refused, the dialog stays open with the entry as typed, ready to be corrected.
            PrompterOrShell(m_pPrompter)->critical(this, windowTitle(), SetupColumnRules::TriggerDelayRefusal(unit));
            ui->DelaySamplingEdit->setFocus();
            ui->DelaySamplingEdit->selectAll();
            return;
        }
        m_DelayMs = delay;
        m_TriggerType = SetupColumnRules::TriggerDelay;
        recordTrigger(true, m_DelayMs, value, m_TriggerType);
        reportTrigger(true, m_DelayMs, value, m_TriggerType);
    }
    done(0);
}

// Cancel keeps the last confirmed trigger, in the controls and in the setup record.
void TriggerDialog::onCancel()
{
    showDelay();
    if (m_TriggerType != SetupColumnRules::TriggerDelay) {
        ui->TriggerTypeCombo->setCurrentIndex(m_TriggerType);
        ui->TriggerLevelCombo->setCurrentIndex(m_LevelIndex < ui->TriggerLevelCombo->count() ? m_LevelIndex : -1);
        ui->TriggerLevelRadioButton->setChecked(true);
    } else {
        ui->DelayRadioButton->setChecked(true);
    }
    done(-1);
}

void TriggerDialog::showDelay()
{
    int unit = 0;
    ui->DelaySamplingEdit->setText(SetupColumnRules::TriggerDelayText(m_DelayMs, &unit));
    ui->DelayUnitCombo->setCurrentIndex(unit);
}

void TriggerDialog::reject()
{
    onCancel();
}

void TriggerDialog::closeEvent(QCloseEvent* event)
{
    onCancel();
    event->accept();
}

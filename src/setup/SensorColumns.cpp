#include "setup/SensorColumns.h"

#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "setup/SetupWindow.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

namespace {
constexpr int kKeepSensor = 122;
}

FullSetupSensorNameColumn::FullSetupSensorNameColumn(int channel, QWidget* parent)
    : VerticalLayoutWidget(parent), m_pMainCombo(new QComboBox(this)), m_pSubCombo(new QComboBox(this)),
      m_pLabel(new QLabel(this)), m_Channel(channel)
{
    setAlignment(Qt::AlignTop);
}

void FullSetupSensorNameColumn::init()
{
    const QString sheet = QStringLiteral("QComboBox QAbstractItemView {min-width: 250px}");
    m_pMainCombo->setStyleSheet(sheet);
    m_pSubCombo->setStyleSheet(sheet);
    connect(m_pMainCombo, QOverload<int>::of(&QComboBox::activated), this, &FullSetupSensorNameColumn::ComboModified);
    m_pSubCombo->hide();
    connect(m_pSubCombo, QOverload<int>::of(&QComboBox::activated), this,
            &FullSetupSensorNameColumn::subSensorsComboModified);
    addWidget(m_pMainCombo);
    addWidget(m_pSubCombo);
    addWidget(m_pLabel);
}

void FullSetupSensorNameColumn::setNames(const QStringList& names, int reportedSensor, int iseId)
{
    if (!CSensorInfo::IsISEIndex(reportedSensor)) {
        m_Names = names;
        const double type = m_pSetupWindow ? m_pSetupWindow->loggerType() : 0.0;
        m_Map = SetupColumnRules::BuildSensorNameMap(m_Names, type, reportedSensor == kKeepSensor);
        m_pMainCombo->addItems(m_Map.m_Names);
        return;
    }
    m_pSubCombo->clear();
    m_pSubCombo->addItem(tr("ISE amplifier"), 0);
    const CSensorInfo* catalogue = m_pSetupWindow ? m_pSetupWindow->sensorCatalogue() : nullptr;
    for (int id = CSensorInfo::s_FirstISEId; id <= CSensorInfo::s_LastISEId; ++id)
        m_pSubCombo->addItem(catalogue ? catalogue->getISEName(id) : QString::number(id), id);
    if (iseId >= CSensorInfo::s_FirstISEId && iseId <= CSensorInfo::s_LastISEId) {
        m_pSubCombo->removeItem(0);
        m_pSubCombo->setCurrentIndex(iseId - CSensorInfo::s_FirstISEId);
    }
}

void FullSetupSensorNameColumn::setAuto(int sensorIndex)
{
    m_CurrentSensor = sensorIndex;
    const CSensorInfo* catalogue = m_pSetupWindow ? m_pSetupWindow->sensorCatalogue() : nullptr;
    const CSensorParametersInfo* record = catalogue ? catalogue->GetSensorInfo(sensorIndex) : nullptr;
    if (record)
        m_pLabel->setText(record->m_Name);
    else if (sensorIndex >= 0 && sensorIndex < m_Names.size())
        m_pLabel->setText(m_Names.at(sensorIndex));
    if (!CSensorInfo::IsISEIndex(sensorIndex)) {
        m_pMainCombo->hide();
        m_pLabel->show();
    } else {
        m_pSubCombo->show();
        m_pMainCombo->hide();
        m_pLabel->hide();
    }
}

void FullSetupSensorNameColumn::setManual(int sensorIndex)
{
    m_CurrentSensor = sensorIndex;
    m_pMainCombo->setCurrentIndex(m_Map.m_Indices.indexOf(sensorIndex));
    m_pMainCombo->show();
    m_pLabel->hide();
}

void FullSetupSensorNameColumn::ComboModified(int comboIndex)
{
    if (comboIndex < 0 || comboIndex >= m_Map.m_Indices.size())
        return;
    emit sensorModified(m_Map.m_Indices.at(comboIndex), m_Channel);
}

void FullSetupSensorNameColumn::subSensorsComboModified(int comboIndex)
{
    if (comboIndex < 0 || comboIndex >= m_pSubCombo->count())
        return;
    const int id = m_pSubCombo->itemData(comboIndex).toInt();
    if (id != 0 && m_pSubCombo->itemData(0).toInt() == 0)
        m_pSubCombo->removeItem(0);
    emit subSensorModified(id, m_Channel);
}

// ---- range

namespace {
// The text width the range column offers (its 80 pixels less the cell's and layout's margins).
const int s_LabelWidth = 60;
} // namespace

void Ui_FullSetupSensorRangeColumn::setupUi(QWidget* form)
{
    if (form->objectName().isEmpty())
        form->setObjectName(QStringLiteral("FullSetupSensorRangeColumn"));
    retranslateUi(form);
}

void Ui_FullSetupSensorRangeColumn::retranslateUi(QWidget* form)
{
    form->setWindowTitle(QCoreApplication::translate("FullSetupSensorRangeColumn", "Form"));
}

FullSetupSensorRangeColumn::FullSetupSensorRangeColumn(int channel, int sensorIndex, QWidget* parent)
    : VerticalLayoutWidget(parent), ui(new Ui_FullSetupSensorRangeColumn), m_pLabel(new QLabel(this)),
      m_pCombo(new QComboBox(this)), m_SensorIndex(sensorIndex), m_Channel(channel)
{
    ui->setupUi(this);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

FullSetupSensorRangeColumn::~FullSetupSensorRangeColumn()
{
    delete ui;
}

void FullSetupSensorRangeColumn::init()
{
    m_pCombo->setStyleSheet(QStringLiteral("QComboBox QAbstractItemView {min-width: 125px}"));
    connect(m_pCombo, QOverload<int>::of(&QComboBox::activated), this, &FullSetupSensorRangeColumn::rangeComboModified);
    if (CKorvantaSignals* hub = m_pSetupWindow ? m_pSetupWindow->signalHub() : nullptr)
        connect(hub, &CKorvantaSignals::LoggerSetRangeFinished, this, &FullSetupSensorRangeColumn::onLoggerSetRangeFinished);
    addWidget(m_pLabel);
    addWidget(m_pCombo);
    showRange();
}

void FullSetupSensorRangeColumn::update(int sensorIndex)
{
    if (sensorIndex == m_SensorIndex)
        return;
    m_SensorIndex = sensorIndex;
    m_pCombo->clear();
    showRange();
}

void FullSetupSensorRangeColumn::showRange()
{
    const CSensorInfo* catalogue = m_pSetupWindow ? m_pSetupWindow->sensorCatalogue() : nullptr;
    const CSetupInfo* setup = m_pSetupWindow ? m_pSetupWindow->getSetupInfo() : nullptr;
    const int iseId = setup ? setup->GetISEId(m_Channel) : 0;
    const SetupColumnRules::RangeDisplay display = SetupColumnRules::BuildRangeDisplay(catalogue, m_SensorIndex, iseId);
    if (!display.m_bCombo) {
        // The column is narrow: a range too wide for it breaks after its dash rather than
        // being cut.
        QString text = display.m_Label;
        if (m_pLabel->fontMetrics().horizontalAdvance(text) > s_LabelWidth)
            text.replace(QStringLiteral(" - "), QStringLiteral(" -\n"));
        m_pLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        m_pLabel->setText(text);
        m_pLabel->setToolTip(display.m_Label);
        m_pLabel->show();
        m_pCombo->hide();
        return;
    }
    m_pLabel->hide();
    m_pCombo->show();
    m_pCombo->addItems(display.m_Items);
    m_pCombo->setCurrentIndex(display.m_Selected);
    m_pCombo->setToolTip(display.m_ToolTip);
}

void FullSetupSensorRangeColumn::rangeComboModified(int index)
{
    m_pCombo->setToolTip(m_pCombo->itemText(index));
    emit sensorRangeModified(index, m_Channel);
    m_bPending = true;
    m_PendingRangeIndex = index;
    m_PendingChannel = m_Channel;
    m_pCombo->setDisabled(true);
    QTimer::singleShot(s_RangeResendMs, this, &FullSetupSensorRangeColumn::onChangeRangeTimer);
}

void FullSetupSensorRangeColumn::onChangeRangeTimer()
{
    if (!m_bPending)
        return;
    emit sensorRangeModified(m_PendingRangeIndex, m_PendingChannel);
    QTimer::singleShot(s_RangeResendMs, this, &FullSetupSensorRangeColumn::onChangeRangeTimer);
}

void FullSetupSensorRangeColumn::onLoggerSetRangeFinished()
{
    m_bPending = false;
    m_pCombo->setEnabled(true);
}

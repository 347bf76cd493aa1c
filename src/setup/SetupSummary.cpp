// The setup summary window: the sensor and measurement lines, rate and duration, the switch to
// the full setup window.
#include "setup/SetupSummary.h"

#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LoggerKinds.h"
#include "setup/FullSetupWindow.h"
#include "setup/SetupWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr unsigned short kPlaceholderKind = 153;
constexpr int kLineHeight = 40;
} // namespace

void Ui_CMinimalSetupWindow::setupUi(QWidget* form)
{
    if (form->objectName().isEmpty())
        form->setObjectName(QStringLiteral("CMinimalSetupWindow"));
    verticalLayout = new QVBoxLayout(form);
    SensorsTable = new QTableWidget(form);
    SensorsTable->setObjectName(QStringLiteral("SensorsTable"));
    SensorsTable->setColumnCount(1);
    SensorsTable->setRowCount(0);
    SensorsTable->horizontalHeader()->setVisible(false);
    SensorsTable->verticalHeader()->setVisible(false);
    SensorsTable->setShowGrid(false);
    SensorsTable->setSelectionMode(QAbstractItemView::NoSelection);
    SensorsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SensorsTable->setAutoScroll(false);
    SensorsTable->setTabKeyNavigation(false);
    SensorsTable->setTextElideMode(Qt::ElideMiddle);
    SensorsTable->setWordWrap(true);
    SensorsTable->setCornerButtonEnabled(false);
    SensorsTable->horizontalHeader()->setDefaultSectionSize(120);
    SensorsTable->horizontalHeader()->setStretchLastSection(true);
    SensorsTable->verticalHeader()->setDefaultSectionSize(75);
    SensorsTable->verticalHeader()->setMinimumSectionSize(1);
    verticalLayout->addWidget(SensorsTable, 1);

    auto* info = new QWidget(form);
    auto* grid = new QGridLayout(info);
    SetupIconLabel = new QLabel(info);
    SetupIconLabel->setObjectName(QStringLiteral("SetupIconLabel"));
    SetupIconLabel->setPixmap(QPixmap(QStringLiteral(":/images/Setup/watch-Icon.png")));
    RateTitleLabel = new QLabel(info);
    RateTitleLabel->setObjectName(QStringLiteral("RateTitleLabel"));
    RateLabel = new QLabel(info);
    RateLabel->setObjectName(QStringLiteral("RateLabel"));
    DurationTitleLabel = new QLabel(info);
    DurationTitleLabel->setObjectName(QStringLiteral("DurationTitleLabel"));
    DurationLabel = new QLabel(info);
    DurationLabel->setObjectName(QStringLiteral("DurationLabel"));
    QFont ten = RateTitleLabel->font();
    ten.setPointSize(10);
    RateTitleLabel->setFont(ten);
    DurationTitleLabel->setFont(ten);
    grid->addWidget(SetupIconLabel, 0, 0, 2, 1);
    grid->addWidget(RateTitleLabel, 0, 1);
    grid->addWidget(RateLabel, 0, 2);
    grid->addWidget(DurationTitleLabel, 1, 1);
    grid->addWidget(DurationLabel, 1, 2);
    grid->setColumnStretch(2, 1);
    verticalLayout->addWidget(info);

    auto* bottom = new QWidget(form);
    bottom->setStyleSheet(QStringLiteral("background-color: rgb(211, 211, 211);"));
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setSpacing(0);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    FullSetupButton = new QPushButton(bottom);
    FullSetupButton->setObjectName(QStringLiteral("FullSetupButton"));
    FullSetupButton->setFlat(true);
    FullSetupButton->setFocusPolicy(Qt::NoFocus);
    FullSetupButton->setDefault(false);
    FullSetupButton->setAutoDefault(false);
    bottomLayout->addWidget(FullSetupButton, 0, Qt::AlignRight);
    verticalLayout->addWidget(bottom);
    retranslateUi(form);
}

void Ui_CMinimalSetupWindow::retranslateUi(QWidget*)
{
    const auto tr = [](const char* s) { return QCoreApplication::translate("CMinimalSetupWindow", s); };
    RateTitleLabel->setText(tr("Sampling rate:"));
    RateLabel->setText(tr("&Rate"));
    DurationTitleLabel->setText(tr("Duration:"));
    DurationLabel->setText(tr("&Duration"));
    FullSetupButton->setText(tr("Full Setup >>"));
}

CMinimalSetupWindow::CMinimalSetupWindow(QWidget* parent, Qt::WindowFlags flags)
    : CKorvantaWindow(parent, flags), ui(new Ui_CMinimalSetupWindow)
{
    if (QMenu* menu = systemMenu())
        menu->clear();
    for (QAction* action : findChildren<QAction*>())
        action->setShortcut(QKeySequence());
}

CMinimalSetupWindow::~CMinimalSetupWindow()
{
    delete ui;
}

QLabel* CMinimalSetupWindow::rateLabel() const
{
    return ui->RateLabel;
}

QLabel* CMinimalSetupWindow::durationLabel() const
{
    return ui->DurationLabel;
}

QTableWidget* CMinimalSetupWindow::table() const
{
    return ui->SensorsTable;
}

void CMinimalSetupWindow::initWindow()
{
    if (m_pContent)
        return;
    CKorvantaWindow::initWindow();
    m_pContent = new QWidget(this);
    ui->setupUi(m_pContent);
    setWidget(m_pContent);
    setWindowTitle(tr("Current Setup Summary"));
    setGeometry(0, 300, 370, 272);
    connect(ui->FullSetupButton, &QPushButton::pressed, this, &CMinimalSetupWindow::on_FullSetupButton_clicked);
    if (CKorvantaSignals* hub = m_pSetupWindow ? m_pSetupWindow->signalHub() : nullptr) {
        connect(hub, &CKorvantaSignals::LoggerStartedRun, this, &CMinimalSetupWindow::StartRunning);
        connect(hub, &CKorvantaSignals::LoggerExperimentEnd, this, &CMinimalSetupWindow::EndRunning);
    }
    ui->SensorsTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
}

void CMinimalSetupWindow::resizeEvent(QResizeEvent* event)
{
    CKorvantaWindow::resizeEvent(event);
}

void CMinimalSetupWindow::closeEvent(QCloseEvent* event)
{
    if (m_pSetupWindow) {
        m_pSetupWindow->m_bSetupShown = false;
        if (QWidget* manager = parentWidget()) {
            QObject* target = manager;
            while (target && target->metaObject()->indexOfSlot("UpdateWindowsArrangement()") < 0)
                target = target->parent();
            if (target)
                QTimer::singleShot(10, target, [target] { QMetaObject::invokeMethod(target, "UpdateWindowsArrangement"); });
        }
    }
    event->accept();
}

void CMinimalSetupWindow::removeAllRows()
{
    for (int row = ui->SensorsTable->rowCount() - 1; row >= 0; --row)
        ui->SensorsTable->removeRow(row);
}

void CMinimalSetupWindow::addSeperator(int row)
{
    QTableWidget* t = ui->SensorsTable;
    t->insertRow(row);
    t->setRowHeight(row, 2);
    for (int column = 0; column < t->columnCount(); ++column) {
        auto* line = new QWidget;
        line->setStyleSheet(QStringLiteral("background-color: rgb(227,227,227);"));
        t->setCellWidget(row, column, line);
    }
}

void CMinimalSetupWindow::updateMinimalSetupWindow()
{
    removeAllRows();
    CSetupInfo* setup = m_pSetupWindow ? m_pSetupWindow->getSetupInfo() : nullptr;
    const CSensorInfo* catalogue = m_pSetupWindow ? m_pSetupWindow->sensorCatalogue() : nullptr;
    if (!setup || !catalogue || !m_pContent)
        return;
    const ILoggerFace& face = LoggerFaceOf(LoggerModelOf(m_pSetupWindow->loggerType()));
    QTableWidget* t = ui->SensorsTable;
    int row = 0;
    CSetupSummaryRow* previous = nullptr;
    for (int i = 0; i < setup->m_SelectedSensorList.size(); ++i) {
        const CSesnorProperties* sensor = setup->m_SelectedSensorList.at(i);
        const CSensorParametersInfo* r = sensor ? catalogue->GetSensorInfo(sensor->m_SensorIndex) : nullptr;
        if (!r || (!face.ListsEmptyChannels() && sensor->m_SensorIndex == 0) || r->m_DataKind == kPlaceholderKind || r->m_HiddenSensor)
            continue;
        t->insertRow(row);
        auto* line = new CSetupSummaryRow;
        line->setSetup(setup, catalogue, m_pSetupWindow->calibrationTable());
        line->SetSensorIndexes(i, 0);
        t->setRowHeight(row, kLineHeight);
        connect(line, &CSetupSummaryRow::activeSensorCheckboxClicked, this, &CMinimalSetupWindow::SensorActiveCheckBoxClicked);
        connect(line, &CSetupSummaryRow::propertiesButtonClicked, this, &CMinimalSetupWindow::on_FullSetupButton_clicked);
        if (face.IsPairedPort(sensor->m_Port)) {
            line->setPairedPort(true);
            line->UpdatePortLabel();
            if (previous) {
                previous->setPairedPort(true);
                previous->UpdatePortLabel();
            }
        }
        line->SetCheckEnabled(takesEdits());
        t->setCellWidget(row, 0, line);
        int next = row + 1;
        bool shown = false;
        for (int m = 0; m < sensor->m_MeasurementList.size(); ++m) {
            const CMeasurementSetup* ms = sensor->m_MeasurementList.at(m);
            if (!ms || !ms->m_bActive)
                continue;
            addSeperator(next);
            t->insertRow(next + 1);
            auto* measurement = new CSetupSummaryMeasurement;
            t->setRowHeight(next + 1, kLineHeight);
            measurement->setMarks(setup->m_TriggerChannel == i && m == 0, ms->m_bZero);
            measurement->setSetup(setup, catalogue);
            measurement->SetSensorIndexes(i, m);
            connect(measurement, &CSetupSummaryMeasurement::closeMeasurementClicked, this,
                    &CMinimalSetupWindow::SensorMeasurementClosed);
            t->setCellWidget(next + 1, 0, measurement);
            next += 2;
            shown = true;
        }
        if (shown)
            line->SetActive(true);
        addSeperator(next);
        row = next + 1;
        previous = line;
    }
}

void CMinimalSetupWindow::on_FullSetupButton_clicked()
{
    if (m_pSetupWindow)
        m_pSetupWindow->displaySetupWindow(1);
}

void CMinimalSetupWindow::statusChanged()
{
    QObject* target = parentWidget();
    while (target && target->metaObject()->indexOfSlot("OnLoggerStatusArrived(int)") < 0)
        target = target->parent();
    if (target)
        QMetaObject::invokeMethod(target, "OnLoggerStatusArrived", Q_ARG(int, 0));
}

void CMinimalSetupWindow::SensorActiveCheckBoxClicked(int sensorIndex, int measrementIndex, bool checked)
{
    if (!takesEdits())
        return;
    CSetupInfo* setup = m_pSetupWindow ? m_pSetupWindow->getSetupInfo() : nullptr;
    CSesnorProperties* sensor = setup ? setup->GetSelectedSensor(sensorIndex) : nullptr;
    if (!sensor)
        return;
    for (int m = 0; m < sensor->m_MeasurementList.size(); ++m)
        if (CMeasurementSetup* ms = sensor->m_MeasurementList.at(m))
            ms->m_bActive = checked && m == 0;
    updateMinimalSetupWindow();
    if (CFullSetupWindow* full = m_pSetupWindow->fullSetupWindow())
        full->UpdateMeasurements(sensor->m_Channel, sensor->m_SensorIndex, checked);
    m_pSetupWindow->UpdateSettingsFile(sensor->m_SensorIndex, sensor->m_Channel, measrementIndex, checked);
    statusChanged();
}

void CMinimalSetupWindow::SensorMeasurementClosed(int sensorIndex, int measrementIndex)
{
    if (!takesEdits())
        return;
    CSetupInfo* setup = m_pSetupWindow ? m_pSetupWindow->getSetupInfo() : nullptr;
    CSesnorProperties* sensor = setup ? setup->GetSelectedSensor(sensorIndex) : nullptr;
    CMeasurementSetup* ms = sensor ? sensor->GetMeasurement(measrementIndex) : nullptr;
    if (!ms)
        return;
    ms->m_bActive = false;
    updateMinimalSetupWindow();
    if (CFullSetupWindow* full = m_pSetupWindow->fullSetupWindow())
        full->UpdateMeasurementCheck(sensor->m_Channel, measrementIndex, false);
    m_pSetupWindow->UpdateSettingsFile(sensor->m_SensorIndex, sensor->m_Channel, measrementIndex, false);
    statusChanged();
}

void CMinimalSetupWindow::setRowsCheckEnabled(bool enabled)
{
    QTableWidget* t = ui->SensorsTable;
    for (int row = 0; row < t->rowCount(); ++row)
        if (auto* line = qobject_cast<CSetupSummaryRow*>(t->cellWidget(row, 0)))
            line->SetCheckEnabled(enabled);
}

void CMinimalSetupWindow::StartRunning()
{
    m_bRunning = true;
    setRowsCheckEnabled(takesEdits());
}

void CMinimalSetupWindow::EndRunning()
{
    m_bRunning = false;
    setRowsCheckEnabled(takesEdits());
}

void CMinimalSetupWindow::setSetupHeld(bool held)
{
    m_bSetupHeld = held;
    setRowsCheckEnabled(takesEdits());
}

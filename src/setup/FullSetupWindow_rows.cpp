// The full setup window: its form and the building of the channel rows.
#include "setup/FullSetupWindow.h"
#include "Core/Logic/LoggerKinds.h"
#include "windowbase/ChildWindowHost.h"
#include "windowbase/Prompter.h"

#include "Core/Base/ILogger.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "setup/LogicQueries.h"
#include "setup/MeasurementColumns.h"
#include "setup/SensorColumns.h"
#include "setup/SetupColumnRules.h"
#include "setup/SetupColumns.h"
#include "setup/SetupWindow.h"
#include "setup/TriggerCalibrateColumns.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr unsigned short kPlaceholderKind = 153;
const int kColumnWidths[CFullSetupWindow::NumColumns] = {45, 140, 80, 80, 240, 50, 90, 120, 120, 70, 65};
} // namespace

void Ui_CFullSetupWindow::setupUi(QWidget* form)
{
    if (form->objectName().isEmpty())
        form->setObjectName(QStringLiteral("CFullSetupWindow"));
    form->resize(1174, 547);
    auto* outer = new QVBoxLayout(form);
    auto* strip = new QHBoxLayout();
    DetectionModeLabel = new QLabel(form);
    DetectionModeLabel->setObjectName(QStringLiteral("DetectionModeLabel"));
    DetectionModeCombo = new QComboBox(form);
    DetectionModeCombo->setObjectName(QStringLiteral("DetectionModeCombo"));
    DetectionModeCombo->addItem(QString());
    DetectionModeCombo->addItem(QString());
    strip->addWidget(DetectionModeLabel);
    strip->addWidget(DetectionModeCombo);
    strip->addStretch();
    outer->addLayout(strip);

    SensorsTable = new QTableWidget(form);
    SensorsTable->setObjectName(QStringLiteral("SensorsTable"));
    SensorsTable->setColumnCount(CFullSetupWindow::NumColumns);
    SensorsTable->setFrameShape(QFrame::NoFrame);
    SensorsTable->setFocusPolicy(Qt::NoFocus);
    // Tab belongs to the controls in the cells; the table would take it to move its own
    // current cell, which nobody sees, and keep the keyboard there.
    SensorsTable->setTabKeyNavigation(false);
    SensorsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SensorsTable->setSelectionMode(QAbstractItemView::NoSelection);
    SensorsTable->setDragDropMode(QAbstractItemView::NoDragDrop);
    SensorsTable->setDropIndicatorShown(false);
    SensorsTable->setAlternatingRowColors(false);
    SensorsTable->setShowGrid(true);
    SensorsTable->setGridStyle(Qt::SolidLine);
    SensorsTable->setWordWrap(true);
    SensorsTable->setCornerButtonEnabled(false);
    SensorsTable->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    SensorsTable->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    SensorsTable->setTextElideMode(Qt::ElideMiddle);
    QHeaderView* h = SensorsTable->horizontalHeader();
    h->setSectionsClickable(false);
    h->setHighlightSections(false);
    h->setDefaultSectionSize(90);
    h->setMinimumSectionSize(40);
    h->setStretchLastSection(true);
    SensorsTable->verticalHeader()->setVisible(false);
    SensorsTable->verticalHeader()->setDefaultSectionSize(100);
    SensorsTable->verticalHeader()->setMinimumSectionSize(17);
    outer->addWidget(SensorsTable, 1);

    RateGroupBox = new QGroupBox(form);
    RateGroupBox->setObjectName(QStringLiteral("RateGroupBox"));
    QFont bold = RateGroupBox->font();
    bold.setBold(true);
    RateGroupBox->setFont(bold);
    auto* grid = new QGridLayout(RateGroupBox);
    const auto label = [this](const char* name) {
        auto* l = new QLabel(RateGroupBox);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    const auto combo = [this](const char* name) {
        auto* c = new QComboBox(RateGroupBox);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };
    samplingLabel = label("samplingLabel");
    SamplingTypeCombo = combo("SamplingTypeCombo");
    label_2 = label("label_2");
    RateComboBox = combo("RateComboBox");
    label_3 = label("label_3");
    DurationComboBox = combo("DurationComboBox");
    label_4 = label("label_4");
    DurationLabel = label("DurationLabel");
    manualValuesCheckbox = new QCheckBox(RateGroupBox);
    manualValuesCheckbox->setObjectName(QStringLiteral("manualValuesCheckbox"));
    xAxisTitleLabel = label("xAxisTitleLabel");
    xaxisTitleLineEdit = new QLineEdit(RateGroupBox);
    xaxisTitleLineEdit->setObjectName(QStringLiteral("xaxisTitleLineEdit"));
    xAxisUnitLabel = label("xAxisUnitLabel");
    xAxisUnitLineEdit = new QLineEdit(RateGroupBox);
    xAxisUnitLineEdit->setObjectName(QStringLiteral("xAxisUnitLineEdit"));
    grid->addWidget(samplingLabel, 0, 0);
    grid->addWidget(SamplingTypeCombo, 0, 1);
    grid->addWidget(label_2, 0, 2);
    grid->addWidget(RateComboBox, 0, 3);
    grid->addWidget(label_3, 0, 4);
    grid->addWidget(DurationComboBox, 0, 5);
    grid->addWidget(label_4, 0, 6);
    grid->addWidget(DurationLabel, 0, 7);
    grid->addWidget(manualValuesCheckbox, 1, 0, 1, 2);
    grid->addWidget(xAxisTitleLabel, 1, 2);
    grid->addWidget(xaxisTitleLineEdit, 1, 3);
    grid->addWidget(xAxisUnitLabel, 1, 4);
    grid->addWidget(xAxisUnitLineEdit, 1, 5);
    outer->addWidget(RateGroupBox);

    groupBox = new QGroupBox(form);
    groupBox->setObjectName(QStringLiteral("groupBox"));
    auto* axis = new QHBoxLayout(groupBox);
    label_5 = new QLabel(groupBox);
    label_5->setObjectName(QStringLiteral("label_5"));
    XAxisTypeCombo = new QComboBox(groupBox);
    XAxisTypeCombo->setObjectName(QStringLiteral("XAxisTypeCombo"));
    // Filled after the window is first shown, with names longer than "Time".
    XAxisTypeCombo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    axis->addWidget(label_5);
    axis->addWidget(XAxisTypeCombo);
    axis->addStretch();
    outer->addWidget(groupBox);

    MinimalSetupButton = new QPushButton(form);
    MinimalSetupButton->setObjectName(QStringLiteral("MinimalSetupButton"));
    MinimalSetupButton->setFlat(true);
    QFont small = MinimalSetupButton->font();
    small.setPointSize(10);
    MinimalSetupButton->setFont(small);
    MinimalSetupButton->setText(QStringLiteral("<< Minimal Setup"));
    outer->addWidget(MinimalSetupButton, 0, Qt::AlignLeft);
    retranslateUi(form);
}

void Ui_CFullSetupWindow::retranslateUi(QWidget*)
{
    const auto tr = [](const char* s) { return QCoreApplication::translate("CFullSetupWindow", s); };
    DetectionModeLabel->setText(tr("Sensors"));
    DetectionModeCombo->setItemText(0, tr(" Auto Detection"));
    DetectionModeCombo->setItemText(1, tr("Manual"));
    samplingLabel->setText(tr("Sampling"));
    label_2->setText(tr("Rate"));
    label_3->setText(tr("Samples"));
    label_4->setText(tr("Duration"));
    manualValuesCheckbox->setText(tr("Manual Values"));
    xAxisTitleLabel->setText(tr("X Axis Title"));
    xAxisUnitLabel->setText(tr("Set Unit"));
    label_5->setText(tr("X Axis"));
    SensorsTable->setHorizontalHeaderLabels({tr("Port"), tr("Name"), tr("Range"), tr("Icon"), tr("Measurements"),
                                             tr("Color"), tr("Plot"), tr("Scale"), tr("Current Reading"),
                                             tr("Trigger"), tr("Calibrate")});
}

bool CFullSetupWindow::s_bRateChosenOnce = false;

CFullSetupWindow::CFullSetupWindow(QWidget* parent, Qt::WindowFlags flags)
    : CKorvantaWindow(parent, flags), ui(new Ui_CFullSetupWindow), m_pTriggerGroup(new QButtonGroup(this)),
      m_OddColor(227, 227, 227), m_EvenColor(255, 255, 255), m_ActiveColor(179, 203, 227)
{
    m_pTriggerGroup->setExclusive(true);
    // Hidden until the controller shows it, but its frame's menu must not hold shortcuts of
    // its own meanwhile.
    if (QMenu* menu = systemMenu())
        menu->clear();
    for (QAction* action : findChildren<QAction*>())
        action->setShortcut(QKeySequence());
}

CFullSetupWindow::~CFullSetupWindow()
{
    delete ui;
}

QTableWidget* CFullSetupWindow::table() const
{
    return ui->SensorsTable;
}

IPrompter* CFullSetupWindow::prompter() const
{
    return m_pHost ? m_pHost->GetPrompter() : ShellPrompter();
}

void CFullSetupWindow::initWindow()
{
    if (m_pCentralWidget)
        return;
    CKorvantaWindow::initWindow();
    m_pCentralWidget = new QWidget(this);
    ui->setupUi(m_pCentralWidget);
    const QSize size(1174, 547);
    m_pCentralWidget->setFixedSize(size);
    setWidget(m_pCentralWidget);
    setFixedSize(size.width() + 8, size.height() + 35);
    move(0, 0);
    ui->RateComboBox->addItem(QString());
    ui->RateComboBox->setEnabled(false);
    ui->DurationComboBox->addItem(QString());
    ui->DurationComboBox->setEnabled(false);
    setWindowTitle(tr("Full Setup"));
    QFont headerFont = ui->SensorsTable->horizontalHeader()->font();
    headerFont.setWeight(72);
    ui->SensorsTable->horizontalHeader()->setFont(headerFont);
    ui->MinimalSetupButton->setText(tr("<< Minimal Setup"));
    const CSetupInfo* s = setup();
    ui->xaxisTitleLineEdit->setText(s ? s->m_ManualXName : QString());
    ui->xAxisUnitLineEdit->setText(s ? s->m_ManualXUnit : QString());
    for (QWidget* w : {static_cast<QWidget*>(ui->xaxisTitleLineEdit), static_cast<QWidget*>(ui->xAxisUnitLineEdit),
                       static_cast<QWidget*>(ui->xAxisTitleLabel), static_cast<QWidget*>(ui->xAxisUnitLabel)})
        w->setEnabled(false);
    initSamplingType();
    if (m_pSetupWindow) {
        connect(ui->DetectionModeCombo, QOverload<int>::of(&QComboBox::activated), m_pSetupWindow,
                &CSetupWindow::detectionTypeChanged);
        connect(ui->RateComboBox, QOverload<int>::of(&QComboBox::activated), m_pSetupWindow, &CSetupWindow::rateChanged);
        connect(ui->DurationComboBox, QOverload<int>::of(&QComboBox::activated), m_pSetupWindow,
                &CSetupWindow::durationChanged);
        connect(ui->XAxisTypeCombo, QOverload<int>::of(&QComboBox::activated), m_pSetupWindow,
                &CSetupWindow::XAxisChanged);
    }
    connect(ui->manualValuesCheckbox, &QCheckBox::clicked, this, &CFullSetupWindow::on_manualValuesCheckbox_clicked);
    connect(ui->xaxisTitleLineEdit, &QLineEdit::textEdited, this, &CFullSetupWindow::on_manualTitleEditted);
    connect(ui->xAxisUnitLineEdit, &QLineEdit::textEdited, this, &CFullSetupWindow::on_manualUnitEditted);
    connect(ui->MinimalSetupButton, &QPushButton::pressed, this, &CFullSetupWindow::on_MinimalSetupButton_pressed);
}

void CFullSetupWindow::closeEvent(QCloseEvent* event)
{
    // Closing the full window goes back to the summary in its place, as "<< Minimal Setup"
    // does: closing both would leave the setup's place empty and the Setup command would bring
    // back this window, never the summary.
    if (!m_pSetupWindow) {
        event->accept();
        return;
    }
    event->ignore();
    m_pSetupWindow->displaySetupWindow(0);
}

void CFullSetupWindow::fixCursor()
{
    // The window has a fixed size: its frame offers no resizing.
    const Qt::CursorShape shape = cursor().shape();
    if (shape == Qt::SizeVerCursor || shape == Qt::SizeHorCursor || shape == Qt::SizeBDiagCursor
        || shape == Qt::SizeFDiagCursor)
        setCursor(Qt::ArrowCursor);
}

void CFullSetupWindow::mousePressEvent(QMouseEvent* event)
{
    CKorvantaWindow::mousePressEvent(event);
    fixCursor();
}

void CFullSetupWindow::mouseMoveEvent(QMouseEvent* event)
{
    CKorvantaWindow::mouseMoveEvent(event);
    fixCursor();
}

// ---- helpers

CSetupInfo* CFullSetupWindow::setup() const
{
    return m_pSetupWindow ? m_pSetupWindow->getSetupInfo() : nullptr;
}

const CSensorParametersInfo* CFullSetupWindow::record(int sensorIndex) const
{
    const CSensorInfo* catalogue = m_pSetupWindow ? m_pSetupWindow->sensorCatalogue() : nullptr;
    return catalogue ? catalogue->GetSensorInfo(sensorIndex) : nullptr;
}

double CFullSetupWindow::currentLoggerType() const
{
    ILogicQueries* logic = m_pSetupWindow ? m_pSetupWindow->logicQueries() : nullptr;
    ILogger* logger = logic ? logic->GetCurrentLogger() : nullptr;
    return logger ? logger->GetType() : 0.0;
}

double CFullSetupWindow::activeLoggerType() const
{
    ILogicQueries* logic = m_pSetupWindow ? m_pSetupWindow->logicQueries() : nullptr;
    ILogger* logger = logic ? logic->GetActiveLogger() : nullptr;
    return logger ? logger->GetType() : 0.0;
}

int CFullSetupWindow::reportedSensor(int channel) const
{
    const CSetupInfo* s = setup();
    if (!s || s->m_LoggerStatusList.isEmpty())
        return 0;
    const QList<CLoggerChannel>& list = s->m_LoggerStatusList.first().m_SensorList;
    if (channel < 0 || channel >= list.size())
        return 0;
    const int index = list.at(channel).m_SensorIndex;
    return CSensorInfo::IsValidIndex(index) ? index : 0;
}

// A channel that has no row is found nowhere: an edit or a reading meant for it must not
// land on another channel's row.
int CFullSetupWindow::findTableRow(int channel) const
{
    const QTableWidget* t = ui->SensorsTable;
    for (int row = 0; row < t->rowCount(); ++row) {
        auto* name = qobject_cast<FullSetupSensorNameColumn*>(t->cellWidget(row, NameColumn));
        if (name && name->channel() == channel)
            return row;
    }
    return -1;
}

int CFullSetupWindow::buildRow(int channel) const
{
    const int row = findTableRow(channel);
    if (row >= 0)
        return row;
    // The row being built has no sensor cell yet: it is the channel's row.
    if (m_BuildRow >= 0 && m_BuildRow < ui->SensorsTable->rowCount()
        && !ui->SensorsTable->cellWidget(m_BuildRow, NameColumn))
        return m_BuildRow;
    return -1;
}

QWidget* CFullSetupWindow::cellWidget(int channel, int column) const
{
    const int row = findTableRow(channel);
    return row >= 0 ? ui->SensorsTable->cellWidget(row, column) : nullptr;
}

void CFullSetupWindow::placeWidget(int channel, int column, QWidget* widget, int width)
{
    const int row = buildRow(channel);
    if (row < 0) {
        delete widget;
        return;
    }
    ui->SensorsTable->setCellWidget(row, column, widget);
    ui->SensorsTable->setColumnWidth(column, width);
}

void CFullSetupWindow::setCellColour(int channel, int column, const QColor& colour)
{
    const int row = buildRow(channel);
    QTableWidgetItem* item = row >= 0 ? ui->SensorsTable->item(row, column) : nullptr;
    if (item)
        item->setBackground(colour);
}

QColor CFullSetupWindow::cellColour(int channel, int column) const
{
    const int row = buildRow(channel);
    const QTableWidgetItem* item = row >= 0 ? ui->SensorsTable->item(row, column) : nullptr;
    return item ? item->background().color() : parityColour(channel);
}

int CFullSetupWindow::rowSensor(int channel) const
{
    const int row = buildRow(channel);
    auto* name = row >= 0 ? qobject_cast<FullSetupSensorNameColumn*>(ui->SensorsTable->cellWidget(row, NameColumn))
                          : nullptr;
    return name ? name->currentSensor() : 0;
}

bool CFullSetupWindow::rowHasSensor(int channel) const
{
    const int s = rowSensor(channel);
    if (s == 0)
        return false;
    const CSetupInfo* info = setup();
    return !CSensorInfo::IsISEIndex(s) || (info && info->GetISEId(channel) != 0);
}

// ---- rows

void CFullSetupWindow::insertSourceChannel(int channel)
{
    QTableWidget* t = ui->SensorsTable;
    const int row = t->rowCount();
    t->insertRow(row);
    for (int column = 0; column < NumColumns; ++column) {
        auto* item = new QTableWidgetItem;
        item->setBackground(parityColour(channel));
        t->setItem(row, column, item);
    }
    m_BuildRow = row;
}

void CFullSetupWindow::removeAllRows()
{
    QTableWidget* t = ui->SensorsTable;
    for (int row = t->rowCount() - 1; row >= 0; --row)
        t->removeRow(row);
    m_BuildRow = -1;
}

void CFullSetupWindow::setPortColumn(int channel)
{
    placeWidget(channel, PortColumn, new FullSetupPortColumn(channel), kColumnWidths[PortColumn]);
}

void CFullSetupWindow::setNameColumn(int channel, bool autoChoice)
{
    auto* name = new FullSetupSensorNameColumn(channel);
    name->setSetupWindow(m_pSetupWindow);
    name->init();
    placeWidget(channel, NameColumn, name, kColumnWidths[NameColumn]);
    if (findTableRow(channel) < 0)
        return;
    const int s = reportedSensor(channel);
    const CSetupInfo* info = setup();
    name->setNames(m_pSetupWindow ? m_pSetupWindow->m_SensorNames : QStringList(), s, info ? info->GetISEId(channel) : 0);
    connect(name, &FullSetupSensorNameColumn::sensorModified, m_pSetupWindow, &CSetupWindow::sensorChanged);
    connect(name, &FullSetupSensorNameColumn::subSensorModified, m_pSetupWindow, &CSetupWindow::subSensorChanged);
    const int row = findTableRow(channel);
    if (autoChoice) {
        name->setAuto(s);
        const CSensorParametersInfo* r = record(s);
        const int count = r ? std::clamp<int>(r->m_NumOfMeasurements, 0, CSensorParametersInfo::s_MaxMeasurements) : 0;
        ui->SensorsTable->setRowHeight(row, std::max(s_RowHeightPerMeasurement * count, s_MinRowHeight));
    } else {
        name->setManual(0);
        ui->SensorsTable->setRowHeight(row, s_MinRowHeight);
    }
}

void CFullSetupWindow::setRangeColumn(int channel)
{
    auto* range = new FullSetupSensorRangeColumn(channel, rowSensor(channel));
    range->setSetupWindow(m_pSetupWindow);
    range->init();
    range->setDisabled(rowSensor(channel) == 0);
    connect(range, &FullSetupSensorRangeColumn::sensorRangeModified, m_pSetupWindow, &CSetupWindow::rangeChanged);
    placeWidget(channel, RangeColumn, range, kColumnWidths[RangeColumn]);
}

void CFullSetupWindow::setIconColumn(int channel)
{
    auto* icon = new FullSetupIconColumn(channel);
    const CSensorParametersInfo* r = record(rowSensor(channel));
    icon->setPixmap(r ? r->m_Icon : QPixmap());
    placeWidget(channel, IconColumn, icon, kColumnWidths[IconColumn]);
}

void CFullSetupWindow::addMeasurementEntries(int channel, int s, bool fromSettings)
{
    auto* column = cell<FullSetupMeasurementsColumn>(channel, MeasurementColumn);
    const CSensorParametersInfo* r = record(s);
    if (!column)
        return;
    if (s != 0 && r && r->m_DataKind != kPlaceholderKind) {
        const CSetupInfo* info = setup();
        const CSensorInfo* catalogue = m_pSetupWindow->sensorCatalogue();
        const int count = std::clamp<int>(r->m_NumOfMeasurements, 0, CSensorParametersInfo::s_MaxMeasurements);
        for (int m = 0; m < count; ++m) {
            const CMeasurementSetup* ms = info ? info->Measurement(channel, s, m) : nullptr;
            const CSensorMeasuremntInfo* mi = r->GetMeasurement(m);
            QString name = ms ? ms->m_Name : (mi ? mi->m_Name : QString());
            QString unit = ms ? ms->m_Unit : (mi ? mi->m_Unit : QString());
            if (CSensorInfo::IsISEIndex(s) && catalogue && info)
                name = catalogue->getISEName(info->GetISEId(channel));
            column->addMeasurement(m, unit.isEmpty() ? name : name + " (" + unit + ")");
            column->setMeasurement(m, fromSettings && m_pSetupWindow->GetSettingsMeasurmentActive(channel, m));
        }
    }
    column->addSeperators();
}

void CFullSetupWindow::setMeasurementColumn(int channel)
{
    auto* column = new FullSetupMeasurementsColumn(channel);
    placeWidget(channel, MeasurementColumn, column, kColumnWidths[MeasurementColumn]);
    if (findTableRow(channel) < 0)
        return;
    const int s = rowSensor(channel);
    const CSensorParametersInfo* r = record(s);
    if (s != 0 && r && r->m_DataKind != kPlaceholderKind)
        addMeasurementEntries(channel, s, true);
    column->setStyleSheet(QString("background-color: %1").arg(cellColour(channel, ZeroColumn).name()));
    connect(column, &FullSetupMeasurementsColumn::measurementModified, m_pSetupWindow, &CSetupWindow::measurementChanged);
    connect(column, &FullSetupMeasurementsColumn::configureMeasurement, this, &CFullSetupWindow::highlightMeasurementInfo);
}

namespace {
const CMeasurementSetup* firstMeasurement(const CSetupInfo* info, int channel)
{
    const CSesnorProperties* sensor = info ? info->GetSelectedSensor(channel) : nullptr;
    return sensor ? sensor->GetMeasurement(0) : nullptr;
}
} // namespace

void CFullSetupWindow::setColorColumn(int channel)
{
    auto* colour = new FullSetupColorSelection(channel);
    colour->init();
    colour->setPrompter(prompter());
    if (const CMeasurementSetup* m = firstMeasurement(setup(), channel))
        colour->setColor(m->m_Color);
    const bool has = rowHasSensor(channel);
    setCellColour(channel, ColorColumn, has ? m_ActiveColor : parityColour(channel));
    colour->setDisabled(!has);
    colour->setMeasurementIndex(0);
    connect(colour, &FullSetupColorSelection::colorModified, m_pSetupWindow, &CSetupWindow::colorChanged);
    placeWidget(channel, ColorColumn, colour, kColumnWidths[ColorColumn]);
}

void CFullSetupWindow::setPlotColumn(int channel)
{
    auto* plot = new FullSetupPenStyleColumn(channel);
    plot->init();
    const bool has = rowHasSensor(channel);
    if (has) {
        if (const CMeasurementSetup* m = firstMeasurement(setup(), channel))
            plot->setPlotStyle(m->m_PlotStyle);
    }
    setCellColour(channel, PlotColumn, has ? m_ActiveColor : cellColour(channel, ZeroColumn));
    plot->setDisabled(!has);
    plot->setMeasurementIndex(0);
    connect(plot, &FullSetupPenStyleColumn::PenStyleModified, m_pSetupWindow, &CSetupWindow::plotStyleChanged);
    placeWidget(channel, PlotColumn, plot, kColumnWidths[PlotColumn]);
}

void CFullSetupWindow::setScaleColumn(int channel)
{
    auto* scale = new FullSetupSensorScaleColumn(channel);
    scale->init();
    const bool has = rowHasSensor(channel);
    const int s = rowSensor(channel);
    if (has) {
        const CSensorParametersInfo* r = record(s);
        const CSensorMeasuremntInfo* first = r ? r->GetMeasurement(0) : nullptr;
        if (CSensorInfo::IsISEIndex(s)) {
            const ISEInfo ise = m_pSetupWindow->sensorCatalogue()->getISEInfo(setup()->GetISEId(channel));
            scale->setScale(ise.m_MinConcentration, ise.m_MaxConcentration);
        } else if (first) {
            scale->setScale(first->m_Min, first->m_Max);
        }
        scale->setUnit(first ? first->m_Unit : QString());
    }
    setCellColour(channel, ScaleColumn, has ? m_ActiveColor : parityColour(channel));
    scale->setDisabled(!has);
    scale->setMeasurementIndex(0);
    connect(scale, &FullSetupSensorScaleColumn::sensorScaleModified, m_pSetupWindow, &CSetupWindow::scaleChanged);
    connect(scale, &FullSetupSensorScaleColumn::sensorScaleTypeChanged, m_pSetupWindow, &CSetupWindow::scaleTypeChanged);
    placeWidget(channel, ScaleColumn, scale, kColumnWidths[ScaleColumn]);
}

void CFullSetupWindow::setZeroColumn(int channel)
{
    auto* zero = new FullSetupSetZeroColumn(channel, m_pSetupWindow);
    zero->init();
    if (LoggerFaceOf(LoggerModelOf(activeLoggerType())).ReadsOnlyWhileCalibrating())
        zero->UnsupportShowReading();
    const int s = rowSensor(channel);
    const CSensorParametersInfo* r = record(s);
    setCellColour(channel, ZeroColumn, s == 0 ? parityColour(channel) : m_ActiveColor);
    zero->setDisabled(s == 0 || !r || !r->m_ZeroAllowed);
    connect(zero, &FullSetupSetZeroColumn::zeroModified, m_pSetupWindow, &CSetupWindow::zeroChanged);
    placeWidget(channel, ZeroColumn, zero, kColumnWidths[ZeroColumn]);
}

void CFullSetupWindow::setTriggerColumn(int channel)
{
    const int s = rowSensor(channel);
    auto* trigger = new FullSetupTriggerColumn(channel, s, m_pSetupWindow);
    trigger->init();
    trigger->setPrompter(prompter());
    m_pTriggerGroup->addButton(trigger->getTriggerRadioButton());
    const CSensorParametersInfo* r = record(s);
    trigger->setTriggerAllowed(s != 0 && r, SetupColumnRules::TriggerRefusal(r, s));
    connect(trigger, &FullSetupTriggerColumn::sensorTriggerModified, m_pSetupWindow, &CSetupWindow::triggerChanged);
    placeWidget(channel, TriggerColumn, trigger, kColumnWidths[TriggerColumn]);
}

void CFullSetupWindow::setCalibrateColumn(int channel)
{
    auto* calibrate = new FullSetupCalibrateColumn(channel, m_pSetupWindow);
    calibrate->setPrompter(prompter());
    const int s = rowSensor(channel);
    CSensorsCalibration* table = m_pSetupWindow ? m_pSetupWindow->calibrationTable() : nullptr;
    const SensorCalibrationInfo stored = table ? table->GetCalibration(s) : SensorCalibrationInfo();
    calibrate->setCalibrationValues(SetupColumnRules::CalibrationValuesOf(stored));
    calibrate->init();
    const CSensorParametersInfo* r = record(s);
    const int ise = CSensorInfo::IsISEIndex(s) && setup() ? setup()->GetISEId(channel) : 0;
    const bool usable = s != 0 && r && r->m_CalibrationKind != 0 && (!CSensorInfo::IsISEIndex(s) || ise != 0);
    if (usable)
        calibrate->setSensorID(s, ise);
    calibrate->setDisabled(!usable);
    connect(calibrate, &FullSetupCalibrateColumn::calibrationChanged, m_pSetupWindow, &CSetupWindow::calibrationChanged);
    connect(calibrate, &FullSetupCalibrateColumn::UseCalibrationChanged, m_pSetupWindow,
            &CSetupWindow::UseCalibrationChanged);
    if (auto* zero = qobject_cast<FullSetupSetZeroColumn*>(ui->SensorsTable->cellWidget(buildRow(channel), ZeroColumn)))
    {
        connect(calibrate, &FullSetupCalibrateColumn::UseCalibrationChanged, zero, &FullSetupSetZeroColumn::UsingCalibration);
        connect(calibrate, &FullSetupCalibrateColumn::calibrationLeftAsItWas, zero, &FullSetupSetZeroColumn::restoreZero);
    }
    placeWidget(channel, CalibrateColumn, calibrate, kColumnWidths[CalibrateColumn]);
}

void CFullSetupWindow::buildRowColumns(int channel, bool autoChoice)
{
    insertSourceChannel(channel);
    setPortColumn(channel);
    setNameColumn(channel, autoChoice);
    setRangeColumn(channel);
    setIconColumn(channel);
    setMeasurementColumn(channel);
    setColorColumn(channel);
    setPlotColumn(channel);
    setScaleColumn(channel);
    setZeroColumn(channel);
    setTriggerColumn(channel);
    setCalibrateColumn(channel);
    m_BuildRow = -1;
}

void CFullSetupWindow::initDetectionType()
{
    ILogicQueries* logic = m_pSetupWindow ? m_pSetupWindow->logicQueries() : nullptr;
    ILogger* logger = logic ? logic->GetCurrentLogger() : nullptr;
    if (logger)
        ui->DetectionModeCombo->setEnabled(!LoggerFaceOf(LoggerModelOf(logger)).DetectsSensorsItself());
}

void CFullSetupWindow::autoDetect()
{
    removeAllRows();
    ui->DetectionModeCombo->setCurrentIndex(0);
    initDetectionType();
    const CSetupInfo* info = setup();
    const int channels = info && !info->m_LoggerStatusList.isEmpty() ? info->m_LoggerStatusList.first().m_SensorList.size() : 0;
    for (int k = 0; k < channels; ++k) {
        const int c = reportedSensor(k);
        const CSensorParametersInfo* r = record(c);
        if (r && r->m_HiddenSensor)
            continue;
        buildRowColumns(k, !(r && r->m_DataKind == kPlaceholderKind));
    }
    if (CKorvantaSignals* hub = m_pSetupWindow ? m_pSetupWindow->signalHub() : nullptr)
        emit hub->sensorListHasChanged();
    if (m_pSetupWindow && currentLoggerType() != 0.0) {
        m_pSetupWindow->createRateList(currentLoggerType());
        m_pSetupWindow->createDurationList(currentLoggerType());
    }
    initRateAndDuration();
    updateXAxisCombo();
}

void CFullSetupWindow::manualDetect()
{
    ui->DetectionModeCombo->setCurrentIndex(1);
    const int rows = ui->SensorsTable->rowCount();
    for (int k = 0; k < rows; ++k)
        updateNameColumn(k, rowSensor(k), false);
    for (int k = rows; k < s_ManualRows; ++k)
        if (findTableRow(k) < 0)
            buildRowColumns(k, false);
}

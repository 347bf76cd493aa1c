#include "setup/MeasurementColumns.h"
#include "Core/Data/SetupInfo.h"
#include "windowbase/DeferredIcon.h"

#include "setup/SetupColumnRules.h"
#include "setup/SetupWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSignalMapper>
#include <QTableWidget>
#include <QVBoxLayout>

void Ui_FullSetupMeasurementsColumn::setupUi(QWidget* form)
{
    if (form->objectName().isEmpty())
        form->setObjectName(QStringLiteral("FullSetupMeasurementsColumn"));
    verticalLayout = new QVBoxLayout(form);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(0);
    verticalLayout->setContentsMargins(0, 0, 0, 0);
    MeasurementTable = new QTableWidget(form);
    MeasurementTable->setObjectName(QStringLiteral("MeasurementTable"));
    MeasurementTable->setColumnCount(2);
    MeasurementTable->setRowCount(0);
    MeasurementTable->setFrameShape(QFrame::NoFrame);
    MeasurementTable->setLineWidth(0);
    MeasurementTable->setAutoScrollMargin(16);
    MeasurementTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MeasurementTable->setTabKeyNavigation(false);
    // The table only lays out its rows' controls; Tab goes to those, not to it.
    MeasurementTable->setFocusPolicy(Qt::NoFocus);
    MeasurementTable->setProperty("showDropIndicator", QVariant(false));
    MeasurementTable->setDragDropOverwriteMode(false);
    MeasurementTable->setSelectionMode(QAbstractItemView::NoSelection);
    MeasurementTable->setShowGrid(false);
    MeasurementTable->setCornerButtonEnabled(false);
    MeasurementTable->horizontalHeader()->setVisible(false);
    MeasurementTable->horizontalHeader()->setDefaultSectionSize(200);
    MeasurementTable->horizontalHeader()->setHighlightSections(false);
    MeasurementTable->horizontalHeader()->setProperty("showSortIndicator", QVariant(false));
    MeasurementTable->horizontalHeader()->setStretchLastSection(true);
    MeasurementTable->verticalHeader()->setVisible(false);
    MeasurementTable->verticalHeader()->setHighlightSections(false);
    // Separator rows are two pixels high.
    MeasurementTable->verticalHeader()->setMinimumSectionSize(1);
    verticalLayout->addWidget(MeasurementTable);
}

FullSetupMeasurementsColumn::FullSetupMeasurementsColumn(int channel, QWidget* parent)
    : QWidget(parent), ui(new Ui_FullSetupMeasurementsColumn), m_Channel(channel), m_pMapper(new QSignalMapper(this)),
      m_pSetButtonGroup(new QButtonGroup(this))
{
    ui->setupUi(this);
    m_pSetButtonGroup->setObjectName(QStringLiteral("m_pSetButtonGroup"));
    m_pSetButtonGroup->setExclusive(true);
    connect(m_pMapper, &QSignalMapper::mappedInt, this, &FullSetupMeasurementsColumn::measurmentSelected);
    connect(m_pSetButtonGroup, &QButtonGroup::idReleased, this, &FullSetupMeasurementsColumn::setMeasurementClicked);
}

FullSetupMeasurementsColumn::~FullSetupMeasurementsColumn()
{
    delete ui;
}

QTableWidget* FullSetupMeasurementsColumn::table() const
{
    return ui->MeasurementTable;
}

void FullSetupMeasurementsColumn::addMeasurement(int measurementIndex, const QString& name)
{
    auto* boxHolder = new QWidget(this);
    auto* buttonHolder = new QWidget(this);
    auto* box = new QCheckBox(this);
    auto* button = new QPushButton(tr("Set >"), this);

    button->setObjectName(QString("setButton: %1").arg(measurementIndex));
    button->setFlat(true);
    button->setCheckable(true);
    m_pSetButtonGroup->addButton(button, measurementIndex);
    button->setChecked(measurementIndex == 0);
    button->setCursor(Qt::PointingHandCursor);
    button->setFixedSize(40, 30);
    button->setStyleSheet(
        "QPushButton:checked {background-color: rgb(179,203,227); }QPushButton:checked:hover {background-color: "
        "rgb(179,203,227); }QPushButton:hover {background-color: rgb(216,226,237); }QPushButton "
        "{border-top-left-radius: 15px; }QPushButton {border-bottom-left-radius: 15px;}");
    auto* buttonLayout = new QHBoxLayout(buttonHolder);
    buttonLayout->addWidget(button, 0, Qt::AlignRight);
    buttonLayout->setContentsMargins(0, 0, 0, 0);

    box->setMinimumWidth(60);
    box->setFixedHeight(30);
    box->setText(name);
    auto* boxLayout = new QHBoxLayout(boxHolder);
    boxLayout->addWidget(box, 0, Qt::AlignLeft);
    boxLayout->setContentsMargins(10, 0, 0, 0);

    connect(box, &QCheckBox::clicked, m_pMapper, QOverload<>::of(&QSignalMapper::map));
    m_pMapper->setMapping(box, measurementIndex);

    QTableWidget* t = ui->MeasurementTable;
    const int row = std::min(std::max(measurementIndex, 0), t->rowCount());
    t->insertRow(row);
    t->setCellWidget(row, 0, boxHolder);
    t->setColumnWidth(0, 200);
    t->setCellWidget(row, 1, buttonHolder);
    t->setColumnWidth(1, 25);
    m_Active.append(false);
}

void FullSetupMeasurementsColumn::addSeperators()
{
    QTableWidget* t = ui->MeasurementTable;
    const int rows = t->rowCount();
    for (int row = 1; row < 2 * rows; row += 2) {
        t->insertRow(row);
        t->setRowHeight(row, 2);
        for (int column = 0; column < 2; ++column) {
            auto* line = new QWidget(this);
            line->setStyleSheet("background-color: rgb(212,212,212);");
            t->setCellWidget(row, column, line);
        }
    }
}

void FullSetupMeasurementsColumn::clearMeasurements()
{
    m_Active.clear();
    // The table deletes the widgets of removed rows only later; until then their boxes and
    // buttons would still answer to their measurement numbers and shadow the new rows' ones.
    for (QCheckBox* box : findChildren<QCheckBox*>())
        m_pMapper->removeMappings(box);
    for (QAbstractButton* button : m_pSetButtonGroup->buttons())
        m_pSetButtonGroup->removeButton(button);
    QTableWidget* t = ui->MeasurementTable;
    for (int row = t->rowCount() - 1; row >= 0; --row)
        t->removeRow(row);
}

void FullSetupMeasurementsColumn::setMeasurement(int measurementIndex, bool active)
{
    if (measurementIndex < 0 || measurementIndex >= m_Active.size())
        return;
    m_Active[measurementIndex] = active;
    if (auto* box = qobject_cast<QCheckBox*>(m_pMapper->mapping(measurementIndex)))
        box->setChecked(active);
}

void FullSetupMeasurementsColumn::measurmentSelected(int measurementIndex)
{
    auto* box = qobject_cast<QCheckBox*>(m_pMapper->mapping(measurementIndex));
    if (!box || measurementIndex < 0 || measurementIndex >= m_Active.size())
        return;
    m_Active[measurementIndex] = box->isChecked();
    emit measurementModified(m_Active, m_Channel);
}

void FullSetupMeasurementsColumn::setMeasurementClicked(int measurementIndex)
{
    emit configureMeasurement(m_Channel, measurementIndex);
}

// ---- zero

void Ui_FullSetupSetZeroColumn::setupUi(QWidget* form)
{
    if (form->objectName().isEmpty())
        form->setObjectName(QStringLiteral("FullSetupSetZeroColumn"));
    horizontalLayout = new QHBoxLayout(form);
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->setSpacing(6);
    horizontalLayout->setContentsMargins(0, 0, 0, 0);
    verticalLayout = new QVBoxLayout();
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(2);
    currentReadingLabel = new QLabel(form);
    currentReadingLabel->setObjectName(QStringLiteral("currentReadingLabel"));
    currentReadingLabel->setAlignment(Qt::AlignCenter);
    currentReadingLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    // A short row squeezes the column: the reading keeps a whole line of text. Disabled, it
    // stays legible on the blue of the active cells.
    currentReadingLabel->setMinimumHeight(currentReadingLabel->fontMetrics().height() + 2);
    // (The cell's style sheet wins over a palette, so the colour is a style sheet as well.)
    currentReadingLabel->setStyleSheet(QStringLiteral("QLabel:disabled { color: rgb(88, 96, 106); }"));
    verticalLayout->addWidget(currentReadingLabel);
    setButton = new QPushButton(form);
    setButton->setObjectName(QStringLiteral("setButton"));
    setButton->setCursor(Qt::PointingHandCursor);
    setButton->setCheckable(true);
    setButton->setFlat(false);
    QIcon icon = KorvantaIcons::Deferred();
    icon.addFile(":/images/Setup/checked_icon.png", QSize(), QIcon::Normal, QIcon::On);
    icon.addFile(":/images/Setup/unchecked-icon.png", QSize(), QIcon::Normal, QIcon::Off);
    setButton->setIcon(icon);
    verticalLayout->addWidget(setButton);
    horizontalLayout->addLayout(verticalLayout);
    retranslateUi(form);
}

void Ui_FullSetupSetZeroColumn::retranslateUi(QWidget*)
{
    currentReadingLabel->setText(QCoreApplication::translate("FullSetupSetZeroColumn", "Wait"));
    setButton->setText(QCoreApplication::translate("FullSetupSetZeroColumn", "Set"));
}

FullSetupSetZeroColumn::FullSetupSetZeroColumn(int channel, CSetupWindow* setup, QWidget* parent)
    : QWidget(parent), m_Channel(channel), m_pSetupWindow(setup), ui(new Ui_FullSetupSetZeroColumn)
{
    ui->setupUi(this);
    ui->verticalLayout->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    updateButtonState();
}

FullSetupSetZeroColumn::~FullSetupSetZeroColumn()
{
    delete ui;
}

QPushButton* FullSetupSetZeroColumn::setButton() const
{
    return ui->setButton;
}

QLabel* FullSetupSetZeroColumn::readingLabel() const
{
    return ui->currentReadingLabel;
}

void FullSetupSetZeroColumn::init()
{
    connect(ui->setButton, &QPushButton::toggled, this, &FullSetupSetZeroColumn::setPressed);
}

void FullSetupSetZeroColumn::updateButtonState()
{
    // A zero already set can always be reset; a new one needs a reading to take.
    ui->setButton->setEnabled(!m_bDisabled && (m_bHasReading || ui->setButton->isChecked()));
}

void FullSetupSetZeroColumn::setReading(double value)
{
    m_LastReading = value;
    m_bHasReading = true;
    const QString unit = SetupColumnRules::ZeroReadingUnit(m_pSetupWindow ? m_pSetupWindow->getSetupInfo() : nullptr,
                                                           m_Channel, m_MeasurementIndex);
    ui->currentReadingLabel->setText(SetupColumnRules::ZeroReadingText(value, unit));
    // A reading shown is current: the grey of a logger that was away goes with it.
    ui->currentReadingLabel->setEnabled(!m_bDisabled);
    updateButtonState();
}

void FullSetupSetZeroColumn::setPressed(bool checked)
{
    m_bZeroEnabled = checked;
    ui->setButton->setText(checked ? tr("Reset") : tr("Set"));
    emit zeroModified(checked, m_LastReading, m_Channel, m_MeasurementIndex);
    updateButtonState();
}

void FullSetupSetZeroColumn::UsingCalibration(bool Use, int)
{
    if (Use)
        return;
    // Switching off writes the last reading as the level: the level in use is kept first.
    const CSetupInfo* setup = m_pSetupWindow ? m_pSetupWindow->getSetupInfo() : nullptr;
    const CSesnorProperties* sensor = setup ? setup->GetSelectedSensor(m_Channel) : nullptr;
    const CMeasurementSetup* m = sensor ? sensor->GetMeasurement(m_MeasurementIndex) : nullptr;
    m_bZeroHeld = ui->setButton->isChecked() && m && m->m_bZero;
    m_HeldMeasurement = m_MeasurementIndex;
    m_HeldLevel = m ? m->m_ZeroLevel : 0.0;
    ui->setButton->setChecked(false);
    emit ui->setButton->toggled(false);
}

void FullSetupSetZeroColumn::restoreZero()
{
    if (!m_bZeroHeld)
        return;
    m_bZeroHeld = false;
    {
        const QSignalBlocker blocker(ui->setButton);
        ui->setButton->setChecked(true);
    }
    m_bZeroEnabled = true;
    ui->setButton->setText(tr("Reset"));
    emit zeroModified(true, m_HeldLevel, m_Channel, m_HeldMeasurement);
    updateButtonState();
}

void FullSetupSetZeroColumn::setMeasurementIndex(int index)
{
    m_MeasurementIndex = index;
    // The last reading belongs to the measurement shown before.
    m_bHasReading = false;
    ui->currentReadingLabel->setText(tr("Wait"));
    updateButtonState();
}

void FullSetupSetZeroColumn::UnsupportShowReading()
{
    // No reading is shown, so none can be taken as the zero.
    m_bHasReading = false;
    ui->currentReadingLabel->setText(tr("N/A"));
    ui->currentReadingLabel->setDisabled(true);
    updateButtonState();
}

void FullSetupSetZeroColumn::setDisabled(bool disabled)
{
    m_bDisabled = disabled;
    ui->currentReadingLabel->setDisabled(disabled);
    updateButtonState();
}

// ---- scale

void Ui_SensorScaleSetupColumn::setupUi(QWidget* form)
{
    if (form->objectName().isEmpty())
        form->setObjectName(QStringLiteral("SensorScaleSetupColumn"));
    form->setMinimumSize(50, 0);
    form->setMaximumSize(400, 434);
    horizontalLayout_2 = new QHBoxLayout(form);
    horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
    verticalLayout = new QVBoxLayout();
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    ScaleTypeCombo = new QComboBox(form);
    ScaleTypeCombo->setObjectName(QStringLiteral("ScaleTypeCombo"));
    ScaleTypeCombo->addItem(QString());
    ScaleTypeCombo->addItem(QString());
    verticalLayout->addWidget(ScaleTypeCombo);
    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    MinTextEdit = new QLineEdit(form);
    MinTextEdit->setObjectName(QStringLiteral("MinTextEdit"));
    horizontalLayout->addWidget(MinTextEdit);
    MaxTextEdit = new QLineEdit(form);
    MaxTextEdit->setObjectName(QStringLiteral("MaxTextEdit"));
    horizontalLayout->addWidget(MaxTextEdit);
    verticalLayout->addLayout(horizontalLayout);
    horizontalLayout_2->addLayout(verticalLayout);
    retranslateUi(form);
}

void Ui_SensorScaleSetupColumn::retranslateUi(QWidget* form)
{
    form->setWindowTitle(QCoreApplication::translate("SensorScaleSetupColumn", "Form"));
    ScaleTypeCombo->setItemText(0, QCoreApplication::translate("SensorScaleSetupColumn", "Auto"));
    ScaleTypeCombo->setItemText(1, QCoreApplication::translate("SensorScaleSetupColumn", "From - to"));
}

FullSetupSensorScaleColumn::FullSetupSensorScaleColumn(int channel, QWidget* parent)
    : QWidget(parent), m_Channel(channel), ui(new Ui_SensorScaleSetupColumn)
{
    ui->setupUi(this);
    ui->verticalLayout->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

FullSetupSensorScaleColumn::~FullSetupSensorScaleColumn()
{
    delete ui;
}

QComboBox* FullSetupSensorScaleColumn::typeCombo() const
{
    return ui->ScaleTypeCombo;
}

QLineEdit* FullSetupSensorScaleColumn::minEdit() const
{
    return ui->MinTextEdit;
}

QLineEdit* FullSetupSensorScaleColumn::maxEdit() const
{
    return ui->MaxTextEdit;
}

void FullSetupSensorScaleColumn::init()
{
    connect(ui->ScaleTypeCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &FullSetupSensorScaleColumn::typeChanged);
    connect(ui->MaxTextEdit, &QLineEdit::textEdited, this, &FullSetupSensorScaleColumn::maxChanged);
    connect(ui->MinTextEdit, &QLineEdit::textEdited, this, &FullSetupSensorScaleColumn::minChanged);
    m_ScaleType = 0;
    ui->MinTextEdit->hide();
    ui->MaxTextEdit->hide();
    emit sensorScaleTypeChanged(0, m_Channel, m_MeasurementIndex);
}

void FullSetupSensorScaleColumn::typeChanged(int type)
{
    m_ScaleType = type;
    ui->MinTextEdit->setVisible(type != 0);
    ui->MaxTextEdit->setVisible(type != 0);
    emit sensorScaleTypeChanged(type, m_Channel, m_MeasurementIndex);
}

void FullSetupSensorScaleColumn::setScaleType(int type)
{
    ui->ScaleTypeCombo->setCurrentIndex(type == 1 ? 1 : 0);
}

void FullSetupSensorScaleColumn::setScale(double min, double max)
{
    m_Min = min;
    m_Max = max;
    ui->MaxTextEdit->setText(SetupColumnRules::FormatNumber(QLocale(), max));
    ui->MinTextEdit->setText(SetupColumnRules::FormatNumber(QLocale(), min));
}

// A half-typed or foreign text keeps the value the scale had: storing 0 for it would send a
// zeroed bound with the next edit of the other one.
void FullSetupSensorScaleColumn::minChanged(const QString& text)
{
    if (SetupColumnRules::ParseNumber(QLocale(), text, &m_Min))
        emit sensorScaleModified(m_Min, m_Max, m_Channel, m_MeasurementIndex);
}

void FullSetupSensorScaleColumn::maxChanged(const QString& text)
{
    if (SetupColumnRules::ParseNumber(QLocale(), text, &m_Max))
        emit sensorScaleModified(m_Min, m_Max, m_Channel, m_MeasurementIndex);
}

void FullSetupSensorScaleColumn::setDisabled(bool disabled)
{
    ui->ScaleTypeCombo->setDisabled(disabled);
}

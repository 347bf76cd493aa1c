#include "analysis_dialogs/FunctionsDialog.h"
#include "windowbase/DialogKeys.h"

#include "analysis/Functions.h"
#include "analysis/OnlineFunctions.h"
#include "analysis_dialogs/AnalysisHost.h"
#include "analysis_dialogs/FunctionNames.h"
#include "windowbase/Prompter.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SeriesNames.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHash>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>

#include <cmath>
#include <functional>

namespace {

struct FunctionRow
{
    const char* text;
    const char* description;
    int controls;
};

using F = FunctionsDialog;
const FunctionRow s_Functions[FunctionsDialog::s_NumFunctions] = {
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Absolute"), QT_TRANSLATE_NOOP("FunctionsDialog", "A * abs(B * G1)"), F::UsesA | F::UsesB},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Add"), QT_TRANSLATE_NOOP("FunctionsDialog", "(A * G1) + (B * G2)"), F::UsesG2 | F::UsesA | F::UsesB},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Arccosine"), QT_TRANSLATE_NOOP("FunctionsDialog", "A * Arccosine(B * G1) argument in radians"), F::UsesA | F::UsesB},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Arcsine"), QT_TRANSLATE_NOOP("FunctionsDialog", "A * Arcsine(B * G1) argument in radians"), F::UsesA | F::UsesB},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Cosine"), QT_TRANSLATE_NOOP("FunctionsDialog", "A * cosine(B * G1 + C) argument in radians"), F::UsesA | F::UsesB | F::UsesC},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Delta Y"), QT_TRANSLATE_NOOP("FunctionsDialog", "G1 minus first sampling point value"), 0},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Derivative"), QT_TRANSLATE_NOOP("FunctionsDialog", "d(G1)/dt"), 0},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Divide"), QT_TRANSLATE_NOOP("FunctionsDialog", "(A * G1) / (B * G2)"), F::UsesG2 | F::UsesA | F::UsesB},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Envelope (lower)"), QT_TRANSLATE_NOOP("FunctionsDialog", "Lower Envelope with tolerance of A values of G1"), F::UsesA},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Envelope (upper)"), QT_TRANSLATE_NOOP("FunctionsDialog", "Upper Envelope with tolerance of A values of G1"), F::UsesA},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Exp."), QT_TRANSLATE_NOOP("FunctionsDialog", "A * exp(B * G1) + C"), F::UsesA | F::UsesB | F::UsesC},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Fourier Transform"), QT_TRANSLATE_NOOP("FunctionsDialog", "District Fourier Transform of G1"), 0},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Frequency"), QT_TRANSLATE_NOOP("FunctionsDialog", "Calculate the Frequency of G1 (minimum A in one cycle)"), F::UsesA},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Integral"), QT_TRANSLATE_NOOP("FunctionsDialog", "A + (B * Sum of G1 * dt)"), F::UsesA | F::UsesB},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Kinetic Energy"), QT_TRANSLATE_NOOP("FunctionsDialog", "0.5*A*G1²"), F::UsesA},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Linear"), QT_TRANSLATE_NOOP("FunctionsDialog", "A * G1 + B"), F::UsesA | F::UsesB},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Ln"), QT_TRANSLATE_NOOP("FunctionsDialog", "A * ln(B * G1)"), F::UsesA | F::UsesB},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Log10"), QT_TRANSLATE_NOOP("FunctionsDialog", "A * log10(B * G1)"), F::UsesA | F::UsesB},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Multiply"), QT_TRANSLATE_NOOP("FunctionsDialog", "(A * G1) * (B * G2)"), F::UsesG2 | F::UsesA | F::UsesB},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Quadratic (y=Ax²+Bx+C)"), QT_TRANSLATE_NOOP("FunctionsDialog", "A*G1²+B*G1+C"), F::UsesA | F::UsesB | F::UsesC},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Reciprocal (1/X)"), QT_TRANSLATE_NOOP("FunctionsDialog", "A / (G1 + B) + C"), F::UsesA | F::UsesB | F::UsesC},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Sine"), QT_TRANSLATE_NOOP("FunctionsDialog", "A * sine(B * G1 + C) argument in radians"), F::UsesA | F::UsesB | F::UsesC},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Square (X²)"), QT_TRANSLATE_NOOP("FunctionsDialog", "A * (B * G1)²"), F::UsesA | F::UsesB},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Square root"), QT_TRANSLATE_NOOP("FunctionsDialog", "A * sqrt(B * G1 + C)"), F::UsesA | F::UsesB | F::UsesC},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Subtract"), QT_TRANSLATE_NOOP("FunctionsDialog", "(A * G1) - (B * G2)"), F::UsesG2 | F::UsesA | F::UsesB},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Tan"), QT_TRANSLATE_NOOP("FunctionsDialog", "A * tan(B * G1 + C) argument in radians"), F::UsesA | F::UsesB | F::UsesC},
    {QT_TRANSLATE_NOOP("FunctionsDialog", "Blood Pressure"), QT_TRANSLATE_NOOP("FunctionsDialog", "Calculate: Systolic, Diastolic, MAP and heart rate of G1"), 0},
};

bool IsStored(int type)
{
    return type == SourceStoredTime || type == SourceStoredValues;
}

bool IsLive(int type)
{
    return type == SourceLiveTime || type == SourceLiveValues;
}

QLabel* BoldLabel(const QString& name, QWidget* parent, int points)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setPointSize(points);
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

// ---- form -----------------------------------------------------------------------------------

void Ui_FunctionsDialog::setupUi(QDialog* dialog)
{
    dialog->setObjectName(QStringLiteral("FunctionsDialog"));
    dialog->resize(481, 337);
    auto* outer = new QVBoxLayout(dialog);
    gridLayout = new QGridLayout;
    FunctionLabel = new QLabel(dialog);
    FunctionCombo = new QComboBox(dialog);
    FunctionCombo->setObjectName(QStringLiteral("FunctionCombo"));
    NameLabel = new QLabel(dialog);
    FunctionNameEdit = new QLineEdit(dialog);
    FunctionNameEdit->setObjectName(QStringLiteral("FunctionNameEdit"));
    UnitLabel = new QLabel(dialog);
    UnitEdit = new QLineEdit(dialog);
    UnitEdit->setObjectName(QStringLiteral("UnitEdit"));
    UnitEdit->setMinimumWidth(69);
    gridLayout->addWidget(FunctionLabel, 0, 0);
    gridLayout->addWidget(FunctionCombo, 0, 1, 1, 3);
    gridLayout->addWidget(NameLabel, 1, 0);
    gridLayout->addWidget(FunctionNameEdit, 1, 1);
    gridLayout->addWidget(UnitLabel, 1, 2);
    gridLayout->addWidget(UnitEdit, 1, 3);
    outer->addLayout(gridLayout);

    functionDiscriptionLabel = BoldLabel(QStringLiteral("functionDiscriptionLabel"), dialog, 18);
    functionDiscriptionLabel->setAlignment(Qt::AlignCenter);
    functionDiscriptionLabel->setFrameShape(QFrame::StyledPanel);
    functionDiscriptionLabel->setWordWrap(true);
    outer->addWidget(functionDiscriptionLabel);

    auto* sources = new QGridLayout;
    const QString popupWidth = QStringLiteral("QComboBox QAbstractItemView {min-width: 200px}");
    G1_Label = BoldLabel(QStringLiteral("G1_Label"), dialog, 10);
    G1_Combo = new QComboBox(dialog);
    G1_Combo->setObjectName(QStringLiteral("G1_Combo"));
    G2_Label = BoldLabel(QStringLiteral("G2_Label"), dialog, 10);
    G2_Combo = new QComboBox(dialog);
    G2_Combo->setObjectName(QStringLiteral("G2_Combo"));
    for (QComboBox* combo : {G1_Combo, G2_Combo}) {
        combo->setMinimumWidth(133);
        combo->setStyleSheet(popupWidth);
    }
    A_Label = BoldLabel(QStringLiteral("A_Label"), dialog, 10);
    A_Edit = new QLineEdit(dialog);
    A_Edit->setObjectName(QStringLiteral("A_Edit"));
    B_Label = BoldLabel(QStringLiteral("B_Label"), dialog, 10);
    B_Edit = new QLineEdit(dialog);
    B_Edit->setObjectName(QStringLiteral("B_Edit"));
    C_Label = BoldLabel(QStringLiteral("C_Label"), dialog, 10);
    C_Edit = new QLineEdit(dialog);
    C_Edit->setObjectName(QStringLiteral("C_Edit"));
    int row = 0;
    for (auto pair : {std::make_pair(G1_Label, static_cast<QWidget*>(G1_Combo)), std::make_pair(G2_Label, static_cast<QWidget*>(G2_Combo)),
                      std::make_pair(A_Label, static_cast<QWidget*>(A_Edit)), std::make_pair(B_Label, static_cast<QWidget*>(B_Edit)),
                      std::make_pair(C_Label, static_cast<QWidget*>(C_Edit))}) {
        sources->addWidget(pair.first, row, 0);
        sources->addWidget(pair.second, row, 1);
        ++row;
    }
    outer->addLayout(sources);

    auto* buttons = new QHBoxLayout;
    resetButton = new QPushButton(dialog);
    resetButton->setObjectName(QStringLiteral("resetButton"));
    CancelButton = new QPushButton(dialog);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    OkButton = new QPushButton(dialog);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    // Return means Ok, also with the cursor in a coefficient: the reset forgets every online
    // function without a question, so it takes a click of its own and is never the default.
    DialogKeys::AcceptOnReturn(dialog, OkButton);
    buttons->addWidget(resetButton);
    buttons->addStretch();
    buttons->addWidget(CancelButton);
    buttons->addWidget(OkButton);
    outer->addLayout(buttons);
    retranslateUi(dialog);
}

void Ui_FunctionsDialog::retranslateUi(QDialog* dialog)
{
    auto tr = [](const char* text) { return QCoreApplication::translate("FunctionsDialog", text); };
    dialog->setWindowTitle(tr("Math Function"));
    FunctionLabel->setText(tr("Function:"));
    NameLabel->setText(tr("Name:"));
    UnitLabel->setText(tr("Unit:"));
    functionDiscriptionLabel->setText(tr("(A*G1) + (B*G2)"));
    G1_Label->setText(tr("G1:"));
    G2_Label->setText(tr("G2:"));
    A_Label->setText(tr("A:"));
    B_Label->setText(tr("B:"));
    C_Label->setText(tr("C:"));
    resetButton->setText(tr("Reset online functions"));
    CancelButton->setText(tr("Cancel"));
    OkButton->setText(tr("Ok"));
}

// ---- dialog ---------------------------------------------------------------------------------

FunctionsDialog::FunctionsDialog(QWidget* parent, IAnalysisHost* host)
    : QDialog(parent), ui(new Ui_FunctionsDialog), m_pWindowsManager(host ? host : dynamic_cast<IAnalysisHost*>(parent))
{
    ui->setupUi(this);
}

FunctionsDialog::~FunctionsDialog()
{
    delete ui;
}

bool FunctionsDialog::IsFunctionAsTimeSupport(int id)
{
    if (id > 26)
        return true;
    return id >= 0 && ((0x3FFA4D2u >> id) & 1u);
}

int FunctionsDialog::EnabledControls(int id)
{
    return id >= 0 && id < s_NumFunctions ? s_Functions[id].controls : 0;
}

void FunctionsDialog::init()
{
    connect(ui->FunctionCombo, QOverload<int>::of(&QComboBox::activated), this, &FunctionsDialog::functionComboChanged);
    connect(ui->OkButton, &QPushButton::clicked, this, &FunctionsDialog::onOk);
    connect(ui->CancelButton, &QPushButton::clicked, this, &FunctionsDialog::onCancel);
    connect(ui->G1_Combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &FunctionsDialog::G1ComboChanged);
    connect(ui->G2_Combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &FunctionsDialog::G2ComboChanged);
    connect(ui->resetButton, &QPushButton::clicked, this, &FunctionsDialog::onReset);
    for (QLineEdit* edit : {ui->A_Edit, ui->B_Edit, ui->C_Edit})
        connect(edit, &QLineEdit::textChanged, this, &FunctionsDialog::A_B_C_Changed);

    initFunctionList();
    ui->functionDiscriptionLabel->setText(m_descriptions.value(0));
    updateCoefficients(0);
    updateFunctionNameAndUnit(0);
    ui->A_Edit->setText(QStringLiteral("1"));
    ui->B_Edit->setText(QStringLiteral("1"));
    ui->C_Edit->setText(QStringLiteral("0"));

    if (m_pWindowsManager && m_pWindowsManager->HasCurrentGraph()) {
        int start = m_startIndex, end = m_endIndex, xKey = m_G2Key;
        const int key = m_pWindowsManager->CurrentGraphCursors(start, end, xKey);
        if (key != -1) {
            m_G1Key = key;
            m_startIndex = start;
            m_endIndex = end;
            m_G2Key = xKey;
        }
    }
    initG1AndG2();

    if (m_G1Key >= 0 || m_G2Key >= 0) {
        for (int row = 0; row < m_sources.size(); ++row) {
            const FunctionSourceInfo& s = m_sources.at(row);
            if (s.type != SourceStoredValues)
                continue;
            if (s.key == m_G1Key)
                ui->G1_Combo->setCurrentIndex(row);
            if (s.key == m_G2Key)
                ui->G2_Combo->setCurrentIndex(row);
        }
    } else {
        ui->G1_Combo->setCurrentIndex(ui->G1_Combo->count() > 0 ? 0 : -1);
        ui->G2_Combo->setCurrentIndex(ui->G2_Combo->count() > 0 ? 0 : -1);
    }
    if (ui->G1_Combo->count() == 0)
        ui->OkButton->setEnabled(false);
}

void FunctionsDialog::initFunctionList()
{
    for (int id = 0; id < s_NumFunctions; ++id) {
        m_functionIds.append(short(id));
        ui->FunctionCombo->addItem(tr(s_Functions[id].text));
        m_descriptions.append(tr(s_Functions[id].description));
    }
}

int FunctionsDialog::currentFunctionId() const
{
    return m_functionIds.value(ui->FunctionCombo->currentIndex(), -1);
}

const FunctionSourceInfo* FunctionsDialog::currentSource(const QComboBox* combo) const
{
    const int row = combo->currentIndex();
    return row >= 0 && row < m_sources.size() ? &m_sources.at(row) : nullptr;
}

void FunctionsDialog::functionComboChanged(int comboIndex)
{
    ui->functionDiscriptionLabel->setText(m_descriptions.value(comboIndex));
    updateCoefficients(comboIndex);
    updateFunctionNameAndUnit(comboIndex);
}

void FunctionsDialog::updateCoefficients(int comboIndex)
{
    const int id = m_functionIds.value(comboIndex, -1);
    ui->A_Edit->setText(QStringLiteral("1"));
    ui->B_Edit->setText(QStringLiteral("1"));
    ui->C_Edit->setText(QStringLiteral("0"));
    if (id >= 0 && id < s_NumFunctions) {
        const int on = s_Functions[id].controls;
        for (QWidget* w : {static_cast<QWidget*>(ui->G2_Label), static_cast<QWidget*>(ui->G2_Combo)})
            w->setEnabled(on & UsesG2);
        for (QWidget* w : {static_cast<QWidget*>(ui->A_Label), static_cast<QWidget*>(ui->A_Edit)})
            w->setEnabled(on & UsesA);
        for (QWidget* w : {static_cast<QWidget*>(ui->B_Label), static_cast<QWidget*>(ui->B_Edit)})
            w->setEnabled(on & UsesB);
        for (QWidget* w : {static_cast<QWidget*>(ui->C_Label), static_cast<QWidget*>(ui->C_Edit)})
            w->setEnabled(on & UsesC);
        if (id == CFunctions::IdIntegral)
            ui->A_Edit->setText(QStringLiteral("0"));
    }
    initG1AndG2();
}

int FunctionsDialog::getFolderKey(int branchKey)
{
    CDataManager* data = m_pWindowsManager ? m_pWindowsManager->AnalysisData() : nullptr;
    if (!data)
        return -1;
    // Owner keys come from workspace files; a chain that comes back on itself ends the walk.
    QSet<int> seen;
    int key = branchKey;
    while (!data->GetDataFolder(key)) {
        const CDataBranch* branch = data->GetDataBranch(key);
        if (!branch || seen.contains(key))
            return -1;
        seen.insert(key);
        key = branch->m_OwnerKey;
    }
    return key;
}

void FunctionsDialog::addSourceRow(const FunctionSourceInfo& info, const QString& text)
{
    // The entry goes in first: adding the first row changes the current row at once, and the
    // name builder reads the entry of that row.
    m_sources.append(info);
    // Where a row comes from: a series already recorded, or a measurement of the setup that
    // the function will follow in the next runs.
    const bool stored = info.type == SourceStoredTime || info.type == SourceStoredValues;
    const QString origin =
        stored ? tr("A recorded series")
               : tr("A measurement of the current setup: the function is computed during the next runs");
    for (QComboBox* combo : {ui->G1_Combo, ui->G2_Combo}) {
        combo->addItem(text);
        combo->setItemData(combo->count() - 1, origin, Qt::ToolTipRole);
    }
}

void FunctionsDialog::proposeG1()
{
    const auto find = [this](const std::function<bool(const FunctionSourceInfo&)>& wanted) {
        for (int row = 0; row < m_sources.size(); ++row)
            if (wanted(m_sources.at(row)))
                return row;
        return -1;
    };
    int row = m_G1Key < 0 ? -1 : find([this](const FunctionSourceInfo& s) {
        return s.type == SourceStoredValues && s.key == m_G1Key;
    });
    if (row < 0)
        row = find([](const FunctionSourceInfo& s) { return s.type == SourceStoredValues; });
    if (row < 0)
        row = find([](const FunctionSourceInfo& s) { return s.type == SourceLiveValues; });
    if (row >= 0)
        ui->G1_Combo->setCurrentIndex(row);
}

namespace {

// A source row before it is listed: its text, and the longer one that tells it from a row that
// reads alike (a run's °C and °F series share a name; two thermometers' inputs a sensor name).
struct PendingRow
{
    FunctionSourceInfo info;
    QString text;
    QString distinct;
};

void TellRowsApart(QVector<PendingRow>& rows)
{
    QHash<QString, int> uses;
    for (const PendingRow& row : rows)
        ++uses[row.text];
    for (PendingRow& row : rows)
        if (uses.value(row.text) > 1)
            row.text = row.distinct;
}

} // namespace

void FunctionsDialog::initG1AndG2()
{
    ui->G1_Combo->clear();
    ui->G2_Combo->clear();
    m_sources.clear();
    const bool time = IsFunctionAsTimeSupport(currentFunctionId());
    if (!m_pWindowsManager)
        return;
    QVector<PendingRow> rows;
    const QString timeRow = QStringLiteral("%1(%2): %3");
    CDataManager* data = m_pWindowsManager->AnalysisData();
    if (data && m_pWindowsManager->HasCurrentGraph()) {
        for (int key : m_pWindowsManager->CurrentGraphPlotKeys()) {
            const CDataBranch* branch = data->GetDataBranch(key);
            if (!branch)
                continue;
            const CDataFolder* folder = data->GetDataFolder(getFolderKey(key));
            const QString folderName = folder ? folder->m_Name : QString();
            const QString named = SeriesNames::WithUnit(branch->m_Name, branch->m_Unit);
            FunctionSourceInfo info;
            info.key = key;
            if (time) {
                info.type = SourceStoredTime;
                rows.append({info, timeRow.arg(folderName, branch->m_Name, tr("Time")),
                             timeRow.arg(folderName, named, tr("Time"))});
            }
            info.type = SourceStoredValues;
            rows.append({info, QStringLiteral("%1: %2").arg(folderName, branch->m_Name),
                         QStringLiteral("%1: %2").arg(folderName, named)});
        }
    }
    const CSetupInfo* setup = m_pWindowsManager->AnalysisSetup();
    const CSensorInfo* catalogue = m_pWindowsManager->AnalysisCatalogue();
    for (int i = 0; setup && i < setup->m_SelectedSensorList.size(); ++i) {
        const CSesnorProperties* sensor = setup->m_SelectedSensorList.at(i);
        if (!sensor)
            continue;
        const CSensorParametersInfo* record = catalogue ? catalogue->GetSensorInfo(sensor->m_SensorIndex) : nullptr;
        if (record && record->m_HiddenSensor)
            continue;
        QString sensorName = sensor->m_Name;
        if (CSensorInfo::IsISEIndex(sensor->m_SensorIndex) && catalogue)
            sensorName = catalogue->getISEName(setup->GetISEId(sensor->m_Channel));
        for (int j = 0; j < sensor->m_MeasurementList.size(); ++j) {
            const CMeasurementSetup* m = sensor->m_MeasurementList.at(j);
            if (!m || !m->m_bActive)
                continue;
            // The measurement as the run's series will be named: by its port where another
            // sensor of its kind measures the same.
            const QString named =
                catalogue ? SeriesNames::WithUnit(SeriesNames::OfSetupMeasurement(*setup, *catalogue, i, j),
                                                  SeriesNames::SetupMeasurementUnit(*setup, *catalogue, i, j))
                          : SeriesNames::WithUnit(m->m_Name, m->m_Unit);
            FunctionSourceInfo info;
            info.sensorListIndex = i;
            info.measurementIndex = j;
            info.sensorInfoIndex = sensor->m_SensorIndex;
            if (time) {
                info.type = SourceLiveTime;
                rows.append({info, timeRow.arg(tr("input"), sensor->m_Name, tr("Time")),
                             timeRow.arg(tr("input"), named, tr("Time"))});
            }
            info.type = SourceLiveValues;
            rows.append({info, tr("input:") + sensorName, tr("input:") + named});
        }
    }
    TellRowsApart(rows);
    for (const PendingRow& row : qAsConst(rows))
        addSourceRow(row.info, row.text);
    proposeG1();
}

void FunctionsDialog::G1ComboChanged(int)
{
    updateFunctionNameAndUnit(ui->FunctionCombo->currentIndex());
}

void FunctionsDialog::G2ComboChanged(int)
{
    updateFunctionNameAndUnit(ui->FunctionCombo->currentIndex());
}

void FunctionsDialog::A_B_C_Changed(QString)
{
    updateFunctionNameAndUnit(ui->FunctionCombo->currentIndex());
}

void FunctionsDialog::nameTimeRow(const FunctionSourceInfo& info, QString& name, QString& unit)
{
    // A time row feeds the function the sample times of its series, not its values: the
    // result is named after what it is computed from.
    if (info.type == SourceStoredTime || info.type == SourceLiveTime) {
        name = tr("Time");
        unit = tr("s");
    }
}

bool FunctionsDialog::sourceNameAndUnit(const FunctionSourceInfo& info, QString& name, QString& unit) const
{
    if (!m_pWindowsManager)
        return false;
    if (IsStored(info.type)) {
        CDataManager* data = m_pWindowsManager->AnalysisData();
        const CDataBranch* branch = data ? data->GetDataBranch(info.key) : nullptr;
        if (!branch)
            return false;
        name = branch->m_Name;
        unit = branch->m_Unit;
        nameTimeRow(info, name, unit);
        return true;
    }
    if (IsLive(info.type)) {
        const CSetupInfo* setup = m_pWindowsManager->AnalysisSetup();
        const CSesnorProperties* sensor = setup ? setup->m_SelectedSensorList.value(info.sensorListIndex) : nullptr;
        const CMeasurementSetup* m = sensor ? sensor->m_MeasurementList.value(info.measurementIndex) : nullptr;
        if (!m)
            return false;
        name = sensor->m_Name;
        unit = m->m_Unit;
        nameTimeRow(info, name, unit);
        return true;
    }
    return false;
}

void FunctionsDialog::updateFunctionNameAndUnit(int comboIndex)
{
    const int id = m_functionIds.value(comboIndex, -1);
    const FunctionSourceInfo* g1 = currentSource(ui->G1_Combo);
    if (!g1)
        return;
    QString name, unit;
    // A row that names nothing leaves every text as it was.
    if (!sourceNameAndUnit(*g1, name, unit))
        return;
    m_G1Name = name;
    m_G1Unit = unit;
    const FunctionSourceInfo* g2 = currentSource(ui->G2_Combo);
    if (!g2 || !sourceNameAndUnit(*g2, name, unit))
        return;
    m_G2Name = name;
    m_G2Unit = unit;

    auto coefficient = [](const QLineEdit* edit) {
        return edit->isEnabled() ? FunctionNames::CoefficientValue(edit->text()) : 0.0;
    };
    const int xKey = m_pWindowsManager ? m_pWindowsManager->CurrentGraphXAxisKey() : -1;
    const bool timeAxis = xKey < 0;
    const CDataManager* data = m_pWindowsManager ? m_pWindowsManager->AnalysisData() : nullptr;
    const CDataBranch* xSeries = data && !timeAxis ? data->GetDataBranch(xKey) : nullptr;
    const FunctionNames::Sources sources{m_G1Name, m_G1Unit, m_G2Name, m_G2Unit,
                                         xSeries ? xSeries->m_Unit : QString()};
    QString builtUnit;
    if (!FunctionNames::Compose(id, sources, coefficient(ui->A_Edit), coefficient(ui->B_Edit), coefficient(ui->C_Edit),
                                timeAxis, m_defaultName, builtUnit))
        return;
    ui->UnitEdit->setText(builtUnit);
    ui->FunctionNameEdit->setText(m_defaultName);
}

bool FunctionsDialog::IsStringValidDouble(QString text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (ok && std::isfinite(value))
        return true;
    if (IPrompter* prompter = m_pWindowsManager ? m_pWindowsManager->AnalysisPrompter() : ShellPrompter())
        prompter->warning(this, tr("Invalid input"), tr("Valid input '0'-'9', '.' ,'-'"));
    return false;
}

void FunctionsDialog::onOk()
{
    double values[3] = {0.0, 0.0, 0.0};
    QLineEdit* edits[3] = {ui->A_Edit, ui->B_Edit, ui->C_Edit};
    for (int i = 0; i < 3; ++i) {
        if (!edits[i]->isEnabled())
            continue;
        if (!IsStringValidDouble(edits[i]->text())) {
            edits[i]->setText(tr("1"));
            return;
        }
        values[i] = edits[i]->text().toDouble();
    }
    const int id = currentFunctionId();
    const FunctionSourceInfo* g1 = currentSource(ui->G1_Combo);
    const FunctionSourceInfo* g2 = currentSource(ui->G2_Combo);
    const bool g1AsTime = g1 && (g1->type == SourceLiveTime || g1->type == SourceStoredTime);
    const bool g2AsTime = g2 && (g2->type == SourceLiveTime || g2->type == SourceStoredTime);
    const bool usesG2 = EnabledControls(id) & UsesG2;
    IPrompter* prompter = m_pWindowsManager ? m_pWindowsManager->AnalysisPrompter() : ShellPrompter();

    // A function of one source is decided by G1 alone; the G2 row it does not read must
    // neither turn a recorded series into a function of the next runs nor the other way round.
    const bool g1Stored = g1 && IsStored(g1->type);
    const bool g1Live = g1 && IsLive(g1->type);
    const bool g2Stored = g2 && IsStored(g2->type);
    const bool g2Live = g2 && IsLive(g2->type);
    if (usesG2 && ((g1Stored && g2Live) || (g1Live && g2Stored))) {
        // A recorded series and a live input belong to different runs: paired sample by
        // sample they would give values that mean nothing.
        if (prompter)
            prompter->critical(this, tr("Math Function"),
                               tr("A recorded series cannot be combined with a live input. Choose two recorded "
                                  "series or two live inputs."));
        return;
    }
    const bool compute = g1Stored && (!usesG2 || g2Stored);
    const bool online = g1Live && (!usesG2 || g2Live);
    if (compute) {
        CalculateBranchFunction(g1AsTime, usesG2 && g2AsTime, values[0], values[1], values[2]);
        done(0);
        return;
    }
    if (online) {
        CCalculateOnLineFunctions* table = m_pWindowsManager ? m_pWindowsManager->OnlineFunctions() : nullptr;
        if (!table)
            return;
        if (table->GetNumOnLineFunctions() >= MaxOnLineFunctions) {
            if (prompter)
                prompter->critical(this, tr("Online function"),
                                   tr("You are already displaying the maximum allowable amount of 10 online functions!"));
            return;
        }
        const CSensorInfo* catalogue = m_pWindowsManager->AnalysisCatalogue();
        auto kind = [&](const FunctionSourceInfo* s) {
            const CSensorParametersInfo* r = (s && catalogue) ? catalogue->GetSensorInfo(s->sensorInfoIndex) : nullptr;
            return r ? int(r->m_DataKind & 0xFF) : 255;
        };
        // The second side takes part only for a function of two sources.
        const FunctionSourceInfo none;
        const FunctionSourceInfo* side2 = usesG2 ? g2 : &none;
        table->AddOnLineFunction(g1->sensorInfoIndex, side2->sensorInfoIndex, g1->sensorListIndex, side2->sensorListIndex,
                                 kind(g1), kind(side2), g1->measurementIndex, side2->measurementIndex,
                                 ui->FunctionNameEdit->text(), ui->UnitEdit->text(), 0, short(id), values[0], values[1],
                                 values[2], -1, -1, g1AsTime, usesG2 && g2AsTime);
        done(0);
        return;
    }
    done(0);
}

void FunctionsDialog::CalculateBranchFunction(bool g1AsTime, bool g2AsTime, double A, double B, double C)
{
    const FunctionSourceInfo* g1 = currentSource(ui->G1_Combo);
    const FunctionSourceInfo* g2 = currentSource(ui->G2_Combo);
    m_G1Key = g1 ? g1->key : -1;
    m_G2Key = g2 ? g2->key : -1;
    const QString name = ui->FunctionNameEdit->text();
    const QString unit = ui->UnitEdit->text();
    const int id = currentFunctionId();
    CFunctions* engine = m_pWindowsManager ? m_pWindowsManager->AnalysisEngine() : nullptr;
    CDataManager* data = m_pWindowsManager ? m_pWindowsManager->AnalysisData() : nullptr;
    if (!engine || !data)
        return;
    const int xKey = m_pWindowsManager->HasCurrentGraph() ? m_pWindowsManager->CurrentGraphXAxisKey() : -1;
    CKorvantaSignals* hub = m_pWindowsManager->AnalysisHub();
    auto announce = [&](CDataBranch* made) {
        m_pWindowsManager->HistoryInsertChild(m_G1Key, made->m_Key, true);
        if (hub)
            emit hub->newFunctionData(made->m_Key, m_G1Key, m_G2Key);
    };
    if (id == CFunctions::IdFourier) {
        CDataBranch* second = nullptr;
        CDataBranch* made = engine->FunctionFourier(data->GetDataBranch(m_G1Key), m_startIndex, m_endIndex, name, unit,
                                                    &second);
        if (made) {
            if (second)
                announce(second);
            announce(made);
        }
    } else {
        CDataBranch* made = engine->QuickFunctions(short(id), m_G1Key, g1AsTime, m_startIndex, m_endIndex, m_G2Key,
                                                   g2AsTime, xKey, A, B, C, name, unit);
        if (made) {
            // The series carries the unit the user accepted in the dialog, not the source's.
            made->m_Unit = unit;
            announce(made);
        }
    }
}

void FunctionsDialog::onReset()
{
    initG1AndG2();
    ui->FunctionCombo->setCurrentIndex(0);
    functionComboChanged(0);
    if (CCalculateOnLineFunctions* table = m_pWindowsManager ? m_pWindowsManager->OnlineFunctions() : nullptr)
        table->ClearOnLineFunctions();
    ui->A_Edit->setText(tr("1"));
    ui->B_Edit->setText(tr("1"));
    ui->C_Edit->setText(tr("0"));
}

void FunctionsDialog::onCancel()
{
    done(-1);
}

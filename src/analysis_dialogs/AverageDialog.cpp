#include "analysis_dialogs/AverageDialog.h"
#include "windowbase/DialogKeys.h"

#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "analysis/Functions.h"
#include "analysis_dialogs/AnalysisHost.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>

#include <utility>

void Ui_AverageDialog::setupUi(QDialog* dialog)
{
    dialog->setObjectName(QStringLiteral("AverageDialog"));
    dialog->resize(400, 300);
    dialog->setMaximumSize(800, 600);
    verticalLayout_2 = new QVBoxLayout(dialog);
    verticalLayout = new QVBoxLayout;
    splitter = new QSplitter(Qt::Horizontal, dialog);
    label = new QLabel(splitter);
    label->setObjectName(QStringLiteral("label"));
    nameEdit = new QLineEdit(splitter);
    nameEdit->setObjectName(QStringLiteral("nameEdit"));
    verticalLayout->addWidget(splitter);
    auto radio = [&](const char* name) {
        auto* button = new QRadioButton(dialog);
        button->setObjectName(QLatin1String(name));
        verticalLayout->addWidget(button);
        return button;
    };
    minimalRadioButton = radio("minimalRadioButton");
    lowRadioButton = radio("lowRadioButton");
    mediumRadioButton = radio("mediumRadioButton");
    highRadioButton = radio("highRadioButton");
    customRadioButton = radio("customRadioButton");
    customRadioButton->setText(QStringLiteral("Custom"));
    splitter_2 = new QSplitter(Qt::Horizontal, dialog);
    label_2 = new QLabel(splitter_2);
    label_2->setObjectName(QStringLiteral("label_2"));
    pointsCombo = new QSpinBox(splitter_2);
    pointsCombo->setObjectName(QStringLiteral("pointsCombo"));
    verticalLayout->addWidget(splitter_2);
    horizontalWidget = new QWidget(dialog);
    horizontalLayout = new QHBoxLayout(horizontalWidget);
    cancelButton = new QPushButton(horizontalWidget);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    OKButton = new QPushButton(horizontalWidget);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    horizontalLayout->addWidget(cancelButton);
    horizontalLayout->addWidget(OKButton);
    verticalLayout->addWidget(horizontalWidget);
    verticalLayout_2->addLayout(verticalLayout);
    retranslateUi(dialog);
}

void Ui_AverageDialog::retranslateUi(QDialog* dialog)
{
    auto tr = [](const char* text) { return QCoreApplication::translate("AverageDialog", text); };
    dialog->setWindowTitle(tr("Averaging"));
    label->setText(tr("Name:"));
    minimalRadioButton->setText(tr("Minimal"));
    lowRadioButton->setText(tr("Low"));
    mediumRadioButton->setText(tr("Medium"));
    highRadioButton->setText(tr("High"));
    label_2->setText(tr("Points per side:"));
    cancelButton->setText(tr("Cancel"));
    OKButton->setText(tr("OK"));
}

AverageDialog::AverageDialog(QWidget* parent, IAnalysisHost* host)
    : QDialog(parent), ui(new Ui_AverageDialog), m_pWindowsManager(host ? host : dynamic_cast<IAnalysisHost*>(parent))
{
    ui->setupUi(this);
    setFixedSize(size());
    DialogKeys::AcceptOnReturn(this, ui->OKButton);
}

AverageDialog::~AverageDialog()
{
    delete ui;
}

AverageDialog::Presets AverageDialog::PresetsFor(int samples)
{
    return Presets{samples >= 5, samples >= 11, samples >= 41, samples >= 5};
}

void AverageDialog::init(int key, int start, int end)
{
    m_Key = key;
    m_Start = start;
    m_End = end;
    connect(ui->OKButton, &QPushButton::clicked, this, &AverageDialog::onOK);
    connect(ui->cancelButton, &QPushButton::clicked, this, &AverageDialog::onCancel);
    connect(ui->minimalRadioButton, &QRadioButton::clicked, this, &AverageDialog::onMinimal);
    connect(ui->lowRadioButton, &QRadioButton::clicked, this, &AverageDialog::onLow);
    connect(ui->mediumRadioButton, &QRadioButton::clicked, this, &AverageDialog::onMedium);
    connect(ui->highRadioButton, &QRadioButton::clicked, this, &AverageDialog::onHigh);
    connect(ui->customRadioButton, &QRadioButton::clicked, this, &AverageDialog::onCustom);
    ui->pointsCombo->setEnabled(false);

    CDataManager* data = m_pWindowsManager ? m_pWindowsManager->AnalysisData() : nullptr;
    const CDataBranch* branch = data ? data->GetDataBranch(key) : nullptr;
    const QString sourceName = branch ? branch->m_Name : QString();
    ui->nameEdit->setText(QStringLiteral("%1(%2)").arg(tr("Average"), sourceName));
    const int n = branch ? branch->GetYSize() : 0;
    ui->pointsCombo->setMaximum(n / 4);
    ui->pointsCombo->setMinimum(1);
    ui->customRadioButton->setText(tr("Custom  (%1 - %2)").arg(QStringLiteral("0")).arg(n / 4));

    const Presets offered = PresetsFor(n);
    ui->minimalRadioButton->setEnabled(true);
    ui->lowRadioButton->setEnabled(offered.low);
    ui->mediumRadioButton->setEnabled(offered.medium);
    ui->highRadioButton->setEnabled(offered.high);
    ui->customRadioButton->setEnabled(offered.custom);
    ui->pointsCombo->setEnabled(offered.custom);
    // Minimal is in force until the user picks another, without showing as picked.
    onMinimal();
}

void AverageDialog::preset(int window, int points)
{
    ui->pointsCombo->setEnabled(false);
    m_WindowSize = window;
    ui->pointsCombo->setValue(points);
}

void AverageDialog::onMinimal()
{
    preset(2, 1);
}

void AverageDialog::onLow()
{
    preset(5, 2);
}

void AverageDialog::onMedium()
{
    preset(11, 5);
}

void AverageDialog::onHigh()
{
    preset(41, 20);
}

void AverageDialog::onCustom()
{
    ui->pointsCombo->setEnabled(true);
}

void AverageDialog::onOK()
{
    close();
    CDataManager* data = m_pWindowsManager ? m_pWindowsManager->AnalysisData() : nullptr;
    CFunctions* engine = m_pWindowsManager ? m_pWindowsManager->AnalysisEngine() : nullptr;
    CDataBranch* source = data ? data->GetDataBranch(m_Key) : nullptr;
    if (!engine || !source)
        return;
    const QString name = ui->nameEdit->text();
    if (ui->customRadioButton->isChecked())
        m_WindowSize = 2 * ui->pointsCombo->value() + 1;
    // The cursors may stand in either order; the range runs from the left one to the right
    // one, as every other analysis of the cursor range reads it.
    int start = m_Start;
    int end = m_End;
    if (end >= 0 && start > end)
        std::swap(start, end);
    CDataBranch* made = engine->CalculateArraysAverage(source, m_WindowSize, start, end, name);
    if (!made)
        return;
    m_pWindowsManager->HistoryInsertChild(m_Key, made->m_Key, false);
    if (CKorvantaSignals* hub = m_pWindowsManager->AnalysisHub())
        emit hub->newFunctionData(made->m_Key, m_Key, -1);
}

void AverageDialog::onCancel()
{
    close();
}

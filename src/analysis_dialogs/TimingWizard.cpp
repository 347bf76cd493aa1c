#include "analysis_dialogs/TimingWizard.h"

#include "analysis/Functions.h"
#include "analysis_dialogs/AnalysisHost.h"
#include "windowbase/NumberField.h"
#include "windowbase/Prompter.h"
#include "windowbase/TimingLength.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SetupInfo.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWizardPage>

namespace {

// The catalogue entries of the photogates.
bool IsPhotogate(int sensorIndex)
{
    return sensorIndex == 2 || sensorIndex == 111;
}

QRadioButton* Radio(const char* name, QWidget* parent, QLayout* layout)
{
    auto* button = new QRadioButton(parent);
    button->setObjectName(QLatin1String(name));
    layout->addWidget(button);
    return button;
}

} // namespace

void Ui_TimingWizard::setupUi(QWizard* wizard)
{
    wizard->setObjectName(QStringLiteral("TimingWizard"));
    wizard->resize(520, 420);
    wizardPage1 = new QWizardPage(wizard);
    wizardPage1->setObjectName(QStringLiteral("wizardPage1"));
    auto* page1 = new QVBoxLayout(wizardPage1);
    questionLabel = new QLabel(wizardPage1);
    questionLabel->setObjectName(QStringLiteral("questionLabel"));
    page1->addWidget(questionLabel);
    pictureLabel = new QLabel(wizardPage1);
    pictureLabel->setObjectName(QStringLiteral("pictureLabel"));
    pictureLabel->setPixmap(QPixmap(QStringLiteral(":/images/TimingWizard/timming-wizard1.png")));
    page1->addWidget(pictureLabel);
    timeRadioButton = Radio("timeRadioButton", wizardPage1, page1);
    velocityRadioButton = Radio("velocityRadioButton", wizardPage1, page1);
    accelerationRadioButton = Radio("accelerationRadioButton", wizardPage1, page1);
    wizard->addPage(wizardPage1);

    wizardPage2 = new QWizardPage(wizard);
    wizardPage2->setObjectName(QStringLiteral("wizardPage2"));
    auto* page2 = new QVBoxLayout(wizardPage2);
    TimingTypeIconLable = new QLabel(wizardPage2);
    TimingTypeIconLable->setObjectName(QStringLiteral("TimingTypeIconLable"));
    TimingTypeIconLable->setPixmap(QPixmap(QStringLiteral(":/images/TimingWizard/timming-wizard2.png")));
    page2->addWidget(TimingTypeIconLable);
    timeOneGateRadioButton = Radio("timeOneGateRadioButton", wizardPage2, page2);
    velocityOneGateRadioButton = Radio("velocityOneGateRadioButton", wizardPage2, page2);
    accelerationOneGateRadioButton = Radio("accelerationOneGateRadioButton", wizardPage2, page2);
    timeBetweenGatesRadionButton = Radio("timeBetweenGatesRadionButton", wizardPage2, page2);
    velocityBetweenGatesRadionButton = Radio("velocityBetweenGatesRadionButton", wizardPage2, page2);
    accelerationBetweenGatesRadionButton = Radio("accelerationBetweenGatesRadionButton", wizardPage2, page2);
    timePendulumRadioButton = Radio("timePendulumRadioButton", wizardPage2, page2);
    velocityColissionRadioButton = Radio("velocityColissionRadioButton", wizardPage2, page2);
    auto* lengthRow = new QHBoxLayout;
    lengthTypeLabel = new QLabel(wizardPage2);
    lengthTypeLabel->setObjectName(QStringLiteral("lengthTypeLabel"));
    lengthLineEdit = new QLineEdit(wizardPage2);
    lengthLineEdit->setObjectName(QStringLiteral("lengthLineEdit"));
    lengthUnit = new QLabel(wizardPage2);
    lengthUnit->setObjectName(QStringLiteral("lengthUnit"));
    lengthRow->addWidget(lengthTypeLabel);
    lengthRow->addWidget(lengthLineEdit);
    lengthRow->addWidget(lengthUnit);
    lengthRow->addStretch();
    page2->addLayout(lengthRow);
    wizard->addPage(wizardPage2);
    retranslateUi(wizard);
}

void Ui_TimingWizard::retranslateUi(QWizard* wizard)
{
    auto tr = [](const char* text) { return QCoreApplication::translate("TimingWizard", text); };
    wizard->setWindowTitle(tr("Timing Wizard: Step 1 of 2 - Measurement"));
    questionLabel->setText(tr("What do you want to messure?"));
    timeRadioButton->setText(tr("Time"));
    velocityRadioButton->setText(tr("Velocity"));
    accelerationRadioButton->setText(tr("Acceleration"));
    for (QRadioButton* b : {timeOneGateRadioButton, velocityOneGateRadioButton, accelerationOneGateRadioButton})
        b->setText(tr("At one gate"));
    for (QRadioButton* b : {timeBetweenGatesRadionButton, velocityBetweenGatesRadionButton,
                            accelerationBetweenGatesRadionButton})
        b->setText(tr("Between gates"));
    timePendulumRadioButton->setText(tr("Pendulum (one gate)"));
    velocityColissionRadioButton->setText(tr("Collission (two gates)"));
    lengthTypeLabel->setText(tr("Distance:"));
    lengthUnit->setText(tr("cm"));
}

TimingWizard::TimingWizard(QWidget* parent, IAnalysisHost* host)
    : QWizard(parent), ui(new Ui_TimingWizard), m_pWindowsManager(host ? host : dynamic_cast<IAnalysisHost*>(parent))
{
    ui->setupUi(this);
    NumberField::Restrict(ui->lengthLineEdit);
    // The lengths start as the setup keeps them, the sampling-mode dialog's own.
    if (const CSetupInfo* setup = m_pWindowsManager ? m_pWindowsManager->AnalysisSetup() : nullptr) {
        m_Width = setup->m_TimingWidth;
        m_Distance = setup->m_TimingDistance;
    }
    connect(ui->lengthLineEdit, &QLineEdit::textEdited, this, &TimingWizard::lengthEdited);
    m_pMeasurementGroup = new QButtonGroup(this);
    m_pMeasurementGroup->addButton(ui->timeRadioButton, 0);
    m_pMeasurementGroup->addButton(ui->velocityRadioButton, 1);
    m_pMeasurementGroup->addButton(ui->accelerationRadioButton, 2);
    m_pMethodGroup = new QButtonGroup(this);
    m_pMethodGroup->addButton(ui->timeOneGateRadioButton, 0);
    m_pMethodGroup->addButton(ui->velocityOneGateRadioButton, 1);
    m_pMethodGroup->addButton(ui->accelerationOneGateRadioButton, 2);
    m_pMethodGroup->addButton(ui->timeBetweenGatesRadionButton, 10);
    m_pMethodGroup->addButton(ui->velocityBetweenGatesRadionButton, 11);
    m_pMethodGroup->addButton(ui->accelerationBetweenGatesRadionButton, 12);
    m_pMethodGroup->addButton(ui->timePendulumRadioButton, 20);
    m_pMethodGroup->addButton(ui->velocityColissionRadioButton, 21);
}

TimingWizard::~TimingWizard()
{
    delete ui;
}

QString TimingWizard::MethodPicture(int id)
{
    switch (id) {
    case 0:
    case 1: return QStringLiteral(":/images/TimingWizard/timming-wizard2.png");
    case 2: return QStringLiteral(":/images/TimingWizard/timming-wizard8.png");
    case 10:
    case 11: return QStringLiteral(":/images/TimingWizard/timming-wizard3.png");
    case 12: return QStringLiteral(":/images/TimingWizard/timming-wizard9.png");
    case 20: return QStringLiteral(":/images/TimingWizard/timming-wizard4.png");
    case 21: return QStringLiteral(":/images/TimingWizard/timming-wizard7.png");
    default: return QString();
    }
}

QList<int> TimingWizard::MethodsOf(int measurement)
{
    switch (measurement) {
    case 0: return {0, 10, 20};
    case 1: return {1, 11, 21};
    case 2: return {2, 12};
    default: return {};
    }
}

double* TimingWizard::keptLength(TimingLength::Kind kind)
{
    if (kind == TimingLength::Kind::None)
        return nullptr;
    return kind == TimingLength::Kind::Distance ? &m_Distance : &m_Width;
}

void TimingWizard::lengthEdited(const QString& text)
{
    // Only a usable length is kept; while the field holds anything else, Finish names it.
    double value = 0.0;
    double* kept = keptLength(TimingLength::OfMethodCode(m_MethodId));
    if (kept && NumberField::Read(text, TimingLength::Range(), &value))
        *kept = value;
}

void TimingWizard::showLength(int methodId)
{
    const TimingLength::Kind kind = TimingLength::OfMethodCode(methodId);
    const double* kept = keptLength(kind);
    ui->lengthTypeLabel->setText(TimingLength::Label(kind));
    ui->lengthLineEdit->setText(kept ? QString::number(*kept, 'g', 6) : QString());
    for (QWidget* w : {static_cast<QWidget*>(ui->lengthTypeLabel), static_cast<QWidget*>(ui->lengthLineEdit),
                       static_cast<QWidget*>(ui->lengthUnit)})
        w->setVisible(kind != TimingLength::Kind::None);
}

void TimingWizard::init()
{
    setWindowTitle(tr("Timing Wizard: Step 1 of 2 - Measurement"));
    connect(button(QWizard::NextButton), &QAbstractButton::clicked, this, &TimingWizard::onNext);
    connect(button(QWizard::BackButton), &QAbstractButton::clicked, this, &TimingWizard::onBack);
    connect(button(QWizard::CancelButton), &QAbstractButton::clicked, this, &TimingWizard::onCancel);
    connect(button(QWizard::FinishButton), &QAbstractButton::clicked, this, &TimingWizard::onFinish);
    connect(m_pMeasurementGroup, &QButtonGroup::idReleased, this, &TimingWizard::timingType);
    connect(m_pMethodGroup, &QButtonGroup::idReleased, this, &TimingWizard::timingMethod);
    setButtonText(QWizard::NextButton, tr("Next"));
    setButtonText(QWizard::BackButton, tr("Back"));
    setButtonText(QWizard::CancelButton, tr("Cancel"));
    setButtonText(QWizard::FinishButton, tr("Finish"));
    ui->timeRadioButton->setChecked(true);
    emit m_pMeasurementGroup->idReleased(0);
}

void TimingWizard::timingType(int id)
{
    m_Measurement = id;
    const QList<int> shown = MethodsOf(id);
    for (QAbstractButton* b : m_pMethodGroup->buttons())
        b->setVisible(shown.contains(m_pMethodGroup->id(b)));
    // Next starts page 2 at one gate: its row already shows that method's length.
    showLength(id);
}

void TimingWizard::onNext()
{
    setWindowTitle(tr("Timing Wizard : Step 2 of 2 - Method"));
    if (QAbstractButton* oneGate = m_pMethodGroup->button(m_Measurement)) {
        oneGate->setChecked(true);
        emit m_pMethodGroup->idReleased(m_Measurement);
    }
}

void TimingWizard::onBack()
{
    setWindowTitle(tr("Timing Wizard: Step 1 of 2 - Measurement"));
}

void TimingWizard::timingMethod(int id)
{
    m_MethodId = id;
    m_FirstKey = -1;
    m_SecondKey = -1;
    m_Cursor1 = -1;
    m_Cursor2 = -1;
    CDataManager* data = m_pWindowsManager ? m_pWindowsManager->AnalysisData() : nullptr;
    // Without a graph there is nothing to evaluate: both keys stay -1 and Finish says so.
    if (m_pWindowsManager && m_pWindowsManager->HasCurrentGraph()) {
        int xKey = -1;
        m_FirstKey = m_pWindowsManager->CurrentGraphCursors(m_Cursor1, m_Cursor2, xKey);
        for (int key : m_pWindowsManager->CurrentGraphPlotKeys()) {
            const CDataBranch* branch = data ? data->GetDataBranch(key) : nullptr;
            if (!branch || !IsPhotogate(branch->m_SensorIndex))
                continue;
            if (m_FirstKey == -1)
                m_FirstKey = key;
            else
                m_SecondKey = key;
        }
    }
    ui->TimingTypeIconLable->setPixmap(QPixmap(MethodPicture(id)));
    showLength(id);
}

void TimingWizard::onFinish()
{
    IPrompter* prompter = m_pWindowsManager ? m_pWindowsManager->AnalysisPrompter() : ShellPrompter();
    const QString title = m_pWindowsManager ? m_pWindowsManager->MessageTitle() : tr("Pavix");
    // The length the method computes with takes what the sampling-mode dialog takes, and is kept
    // where that dialog keeps it; a method without one needs nothing typed.
    double typed = 0.0;
    const TimingLength::Kind kind = TimingLength::OfMethodCode(m_MethodId);
    if (double* kept = keptLength(kind)) {
        if (!NumberField::Check(prompter, this, title, ui->lengthLineEdit, ui->lengthTypeLabel->text(),
                                TimingLength::Range(), &typed))
            return;
        *kept = typed;
        if (double* setup = TimingLength::Kept(m_pWindowsManager ? m_pWindowsManager->AnalysisSetup() : nullptr, kind))
            *setup = typed;
    }
    m_Length = typed;
    const double width = *keptLength(TimingLength::Kind::Width);
    const double distance = *keptLength(TimingLength::Kind::Distance);
    CDataManager* data = m_pWindowsManager ? m_pWindowsManager->AnalysisData() : nullptr;
    CFunctions* engine = m_pWindowsManager ? m_pWindowsManager->AnalysisEngine() : nullptr;
    CDataBranch* first = data ? data->GetDataBranch(m_FirstKey) : nullptr;
    CDataBranch* second = data ? data->GetDataBranch(m_SecondKey) : nullptr;
    const QString text = first && engine
                             ? engine->FunctionTiming(first, second, m_Cursor1, m_Cursor2, static_cast<unsigned char>(m_MethodId),
                                                      width, distance)
                             : tr("No suitable plot !");
    const bool retry = prompter && prompter->retryOrClose(this, title, text);
    done(retry ? int(QMessageBox::Retry) : int(QMessageBox::Close));
}

void TimingWizard::done(int code)
{
    // The wizard's own accept and reject leave it open: only Cancel, closing the window and the
    // Close button of the result end it, so a result can be retried with other choices.
    if (code == s_CancelCode || code == int(QMessageBox::Close))
        QDialog::done(code);
}

void TimingWizard::onCancel()
{
    done(s_CancelCode);
}

void TimingWizard::closeEvent(QCloseEvent* event)
{
    done(s_CancelCode);
    event->accept();
}

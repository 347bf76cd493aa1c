#include "analysis_dialogs/CurveFitDialog.h"
#include "windowbase/DialogKeys.h"

#include "analysis/Functions.h"
#include "analysis_dialogs/AnalysisHost.h"
#include "windowbase/Prompter.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

void Ui_CurveFitDialog::setupUi(QDialog* dialog)
{
    dialog->setObjectName(QStringLiteral("CurveFitDialog"));
    dialog->resize(487, 222);
    dialog->setSizeGripEnabled(false);
    auto* outer = new QVBoxLayout(dialog);
    auto* grid = new QGridLayout;
    QFont bold = dialog->font();
    bold.setPointSize(10);
    bold.setBold(true);
    label = new QLabel(dialog);
    label->setObjectName(QStringLiteral("label"));
    label->setFont(bold);
    curveFitCombo = new QComboBox(dialog);
    curveFitCombo->setObjectName(QStringLiteral("curveFitCombo"));
    label_2 = new QLabel(dialog);
    label_2->setObjectName(QStringLiteral("label_2"));
    label_2->setFont(bold);
    orderCombo = new QComboBox(dialog);
    orderCombo->setObjectName(QStringLiteral("orderCombo"));
    grid->addWidget(label, 0, 0);
    grid->addWidget(curveFitCombo, 0, 1);
    grid->addWidget(label_2, 1, 0);
    grid->addWidget(orderCombo, 1, 1);
    // The two choices stand in the middle of the fixed-size box, with room between them,
    // rather than at its top over an empty band.
    grid->setVerticalSpacing(14);
    grid->setHorizontalSpacing(12);
    grid->setColumnStretch(1, 1);
    outer->setContentsMargins(24, 12, 24, 12);
    outer->addStretch(1);
    outer->addLayout(grid);
    outer->addStretch(1);
    auto* buttons = new QHBoxLayout;
    okButton = new QPushButton(dialog);
    okButton->setObjectName(QStringLiteral("okButton"));
    cancelButton = new QPushButton(dialog);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    outer->addLayout(buttons);
    for (int i = 0; i < 4; ++i)
        curveFitCombo->addItem(QString());
    for (int i = 0; i < 6; ++i)
        orderCombo->addItem(QString::number(i + 1));
    retranslateUi(dialog);
}

void Ui_CurveFitDialog::retranslateUi(QDialog* dialog)
{
    auto tr = [](const char* text) { return QCoreApplication::translate("CurveFitDialog", text); };
    dialog->setWindowTitle(tr("Curve Fit"));
    okButton->setText(tr("OK"));
    cancelButton->setText(tr("Cancel"));
    const char* kinds[] = {QT_TRANSLATE_NOOP("CurveFitDialog", "Linear"), QT_TRANSLATE_NOOP("CurveFitDialog", "Polynomial"),
                           QT_TRANSLATE_NOOP("CurveFitDialog", "Power"), QT_TRANSLATE_NOOP("CurveFitDialog", "Exponential")};
    for (int i = 0; i < 4; ++i)
        curveFitCombo->setItemText(i, tr(kinds[i]));
    label->setText(tr("Curve fit :"));
    label_2->setText(tr("Order :"));
}

CurveFitDialog::CurveFitDialog(QWidget* parent, IAnalysisHost* host)
    : QDialog(parent), ui(new Ui_CurveFitDialog), m_pWindowsManager(host ? host : dynamic_cast<IAnalysisHost*>(parent))
{
    ui->setupUi(this);
    setFixedSize(487, 222);
    DialogKeys::AcceptOnReturn(this, ui->okButton);
}

CurveFitDialog::~CurveFitDialog()
{
    delete ui;
}

void CurveFitDialog::init()
{
    connect(ui->okButton, &QPushButton::clicked, this, &CurveFitDialog::onOK);
    connect(ui->cancelButton, &QPushButton::clicked, this, &CurveFitDialog::onCancel);
    connect(ui->curveFitCombo, QOverload<int>::of(&QComboBox::activated), this, &CurveFitDialog::curveComboChanged);
    ui->orderCombo->setEnabled(false);
}

void CurveFitDialog::curveComboChanged(int index)
{
    ui->orderCombo->setEnabled(index == Polynomial);
}

void CurveFitDialog::onOK()
{
    const int kind = ui->curveFitCombo->currentIndex();
    int start = -1, end = -1, xKey = -1;
    int key = -1;
    IAnalysisHost* host = m_pWindowsManager;
    if (host && host->HasCurrentGraph())
        key = host->CurrentGraphAnalysisRange(start, end, xKey);
    if (key == -1) {
        if (IPrompter* prompter = host ? host->AnalysisPrompter() : ShellPrompter())
            prompter->warning(this, tr("Error"), IAnalysisHost::NoCurveText());
        return;
    }
    CFunctions* engine = host->AnalysisEngine();
    CDataManager* data = host->AnalysisData();
    CDataBranch* source = data ? data->GetDataBranch(key) : nullptr;
    CDataBranch* made = nullptr;
    if (engine && source) {
        switch (kind) {
        case Polynomial: {
            // On an XY graph the polynomial is one of the graph's X axis, as the other kinds are.
            CDataBranch* xSeries = nullptr;
            if (engine->XAxisSeriesOf(source, xKey, xSeries))
                made = engine->FunctionPolynomialRegression(source, start, end,
                                                            short(ui->orderCombo->currentIndex() + 2), xSeries);
            break;
        }
        case Power:
        case Exponential:
        case Linear: {
            const short id = kind == Linear ? CFunctions::IdLinearRegression
                             : kind == Power ? CFunctions::IdPowerRegression
                                             : CFunctions::IdExponentialRegression;
            made = engine->QuickFunctions(id, key, false, start, end, xKey, false, -1, 1.0, 1.0, 0.0, QString(), QString());
            break;
        }
        default:
            break;
        }
    }
    if (made) {
        host->HistoryInsertChild(key, made->m_Key, false);
        host->HistoryExpandLastBranch();
        if (CKorvantaSignals* hub = host->AnalysisHub())
            emit hub->newFunctionData(made->m_Key, key, xKey);
    }
    close();
}

void CurveFitDialog::onCancel()
{
    close();
}

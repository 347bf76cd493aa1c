#include "setup/ManualXValueDialog.h"
#include "windowbase/DialogKeys.h"

#include "windowbase/NumberField.h"
#include "windowbase/Prompter.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QLabel>
#include <QLineEdit>

#include <cmath>

void Ui_CManualXValueDialog::setupUi(QDialog* dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("CManualXValueDialog"));
    dialog->resize(364, 202);
    nextvalueLabel = new QLabel(dialog);
    nextvalueLabel->setObjectName(QStringLiteral("nextvalueLabel"));
    nextvalueLabel->setGeometry(QRect(30, 30, 311, 31));
    valueLineEdit = new QLineEdit(dialog);
    valueLineEdit->setObjectName(QStringLiteral("valueLineEdit"));
    valueLineEdit->setGeometry(QRect(30, 80, 301, 31));
    buttonBox = new QDialogButtonBox(dialog);
    buttonBox->setObjectName(QStringLiteral("buttonBox"));
    buttonBox->setGeometry(QRect(20, 150, 321, 32));
    buttonBox->setOrientation(Qt::Horizontal);
    buttonBox->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    retranslateUi(dialog);
    QObject::connect(buttonBox, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttonBox, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
}

void Ui_CManualXValueDialog::retranslateUi(QDialog* dialog)
{
    dialog->setWindowTitle(QString());
    nextvalueLabel->setText(QCoreApplication::translate("CManualXValueDialog", "Enter Next"));
}

CManualXValueDialog::CManualXValueDialog(QWidget* parent) : QDialog(parent), ui(new Ui_CManualXValueDialog)
{
    ui->setupUi(this);
    ui->valueLineEdit->setValidator(new QDoubleValidator(ui->valueLineEdit));
    DialogKeys::AcceptOnReturn(this, ui->buttonBox->button(QDialogButtonBox::Ok));
}

CManualXValueDialog::~CManualXValueDialog()
{
    delete ui;
}

void CManualXValueDialog::setValueTitle(const QString& title)
{
    m_Name = title;
    ui->nextvalueLabel->setText(tr("Enter next", "part of string 'Enter next value'") + QLatin1Char(' ') + title
                                + QLatin1Char(' ') + tr("value", "part of string 'Enter next value'"));
    ui->valueLineEdit->setFocus();
}

bool CManualXValueDialog::readValue(double* value) const
{
    // The validator follows the user's locale, so a comma typed as the decimal point is read
    // as one rather than turning the value into 0.
    const QString text = ui->valueLineEdit->text().trimmed();
    bool ok = false;
    double v = QLocale().toDouble(text, &ok);
    if (!ok)
        v = QLocale::c().toDouble(text, &ok);
    // An infinite or undefined X value would poison every derived column of the run.
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

double CManualXValueDialog::getValue() const
{
    double value = 0.0;
    return readValue(&value) ? value : 0.0;
}

void CManualXValueDialog::accept()
{
    double value = 0.0;
    if (!readValue(&value)) {
        const QString field = m_Name.trimmed().isEmpty() ? tr("The X value") : m_Name;
        PrompterOrShell(m_pPrompter)->critical(this, windowTitle(), NumberField::RefusalText(field, CNumberRange()));
        ui->valueLineEdit->setFocus();
        ui->valueLineEdit->selectAll();
        return;
    }
    QDialog::accept();
}

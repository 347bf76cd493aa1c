#include "graph/AnnotationTextDialog.h"
#include "windowbase/DialogKeys.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QTextEdit>
#include <QVBoxLayout>

CAddAnnotationDialog::CAddAnnotationDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CAddAnnotationDialog"));
    setModal(true);
    setFont(QFont(QStringLiteral("Arial"), 12));
    setWindowTitle(tr("Annotation"));
    auto* layout = new QVBoxLayout(this);
    m_pLabel = new QLabel(tr("Annotation Text"), this);
    m_pLabel->setObjectName(QStringLiteral("annotLabel"));
    m_pEdit = new QTextEdit(this);
    m_pEdit->setObjectName(QStringLiteral("annotEdit"));
    // The text is kept as plain text: pasted formatting would be lost anyway.
    m_pEdit->setAcceptRichText(false);
    m_pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pButtons->setObjectName(QStringLiteral("buttonBox"));
    layout->addWidget(m_pLabel);
    layout->addWidget(m_pEdit);
    layout->addWidget(m_pButtons);
    connect(m_pButtons, &QDialogButtonBox::accepted, this, &CAddAnnotationDialog::accept);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &CAddAnnotationDialog::reject);
    // Return in the text makes a new line; elsewhere it means OK.
    DialogKeys::AcceptOnReturn(this, m_pButtons->button(QDialogButtonBox::Ok));
}

void CAddAnnotationDialog::SetEditText(const QString& value)
{
    m_pEdit->setPlainText(value);
}

void CAddAnnotationDialog::accept()
{
    QDialog::accept();
    text = m_pEdit->toPlainText();
}

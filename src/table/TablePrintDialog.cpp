#include "table/TablePrintDialog.h"
#include "windowbase/DialogKeys.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

Dialog_printTable::Dialog_printTable(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Print Preview"));
    auto* layout = new QVBoxLayout(this);
    m_pGroup = new QGroupBox(tr("Print Type"), this);
    m_pGroup->setObjectName(QStringLiteral("gb_printType"));
    auto* grid = new QGridLayout(m_pGroup);
    m_pAll = new QRadioButton(tr("All"), m_pGroup);
    m_pAll->setObjectName(QStringLiteral("RB_printAll"));
    m_pAll->setAutoExclusive(true);
    m_pAll->setChecked(true);
    m_pLines = new QRadioButton(tr("Lines"), m_pGroup);
    m_pLines->setObjectName(QStringLiteral("RB_printLines"));
    m_pLines->setAutoExclusive(true);
    m_pFrom = new QLineEdit(m_pGroup);
    m_pFrom->setObjectName(QStringLiteral("LE_fromLine"));
    m_pFrom->setEnabled(false);
    m_pToLabel = new QLabel(tr("To"), m_pGroup);
    m_pToLabel->setObjectName(QStringLiteral("label_to_line"));
    m_pTo = new QLineEdit(m_pGroup);
    m_pTo->setObjectName(QStringLiteral("LE_toLine"));
    m_pTo->setEnabled(false);
    grid->addWidget(m_pAll, 0, 0);
    grid->addWidget(m_pLines, 1, 0);
    grid->addWidget(m_pFrom, 1, 1);
    grid->addWidget(m_pToLabel, 1, 2);
    grid->addWidget(m_pTo, 1, 3);
    layout->addWidget(m_pGroup);
    auto* buttons = new QHBoxLayout;
    m_pPrint = new QPushButton(tr("Print"), this);
    m_pPrint->setObjectName(QStringLiteral("btn_print"));
    m_pPreview = new QPushButton(tr("Preview"), this);
    m_pPreview->setObjectName(QStringLiteral("btn_preview"));
    m_pCancel = new QPushButton(tr("Cancel"), this);
    m_pCancel->setObjectName(QStringLiteral("btn_cancel"));
    buttons->addWidget(m_pPrint);
    buttons->addWidget(m_pPreview);
    buttons->addWidget(m_pCancel);
    layout->addLayout(buttons);
    QMetaObject::connectSlotsByName(this);
    DialogKeys::AcceptOnReturn(this, m_pPrint);
}

void Dialog_printTable::setPrintLineValidatorLimits(int first, int last)
{
    m_FromLine = m_FirstLine = first;
    m_ToLine = m_LastLine = last;
    delete m_pValidator;
    m_pValidator = new QIntValidator(first, last, this);
    m_pFrom->setValidator(m_pValidator);
    m_pTo->setValidator(m_pValidator);
    m_pFrom->setText(QString::number(first));
    m_pTo->setText(QString::number(last));
    const bool any = last != 0;
    m_pPrint->setEnabled(any);
    m_pPreview->setEnabled(any);
    (any ? m_pPrint : m_pCancel)->setFocus();
}

int Dialog_printTable::getFromLineToPrint() const
{
    return m_pAll->isChecked() ? m_FirstLine : m_FromLine;
}

int Dialog_printTable::getToLineToPrint() const
{
    return m_pAll->isChecked() ? m_LastLine : m_ToLine;
}

void Dialog_printTable::on_RB_printLines_toggled(bool checked)
{
    m_pFrom->setEnabled(checked);
    m_pTo->setEnabled(checked);
}

void Dialog_printTable::on_LE_fromLine_editingFinished()
{
    m_FromLine = m_pFrom->text().toInt();
    if (m_FromLine > m_ToLine)
        m_pTo->setText(m_pFrom->text());
}

void Dialog_printTable::on_LE_toLine_editingFinished()
{
    m_ToLine = m_pTo->text().toInt();
    if (m_ToLine < m_FromLine)
        m_pFrom->setText(m_pTo->text());
}

void Dialog_printTable::on_btn_cancel_clicked()
{
    close();
}

void Dialog_printTable::on_btn_preview_clicked()
{
    close();
    emit btnPrintPreviewClicked();
}

void Dialog_printTable::on_btn_print_clicked()
{
    close();
    emit btnPrintClicked();
}

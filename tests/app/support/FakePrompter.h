#pragma once
// Answers the shell's questions in tests and records what was asked.
#include "windowbase/Prompter.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>

class CFakePrompter : public IPrompter
{
public:
    CFakePrompter() { SetShellPrompter(this); }
    ~CFakePrompter() override { SetShellPrompter(nullptr); }

    void information(QWidget*, const QString& title, const QString& text) override
    {
        m_Infos << title + "|" + text;
    }
    void warning(QWidget*, const QString& title, const QString& text) override
    {
        m_Warnings << title + "|" + text;
    }
    bool question(QWidget*, const QString& title, const QString& text) override
    {
        m_Questions << title + "|" + text;
        return m_bAnswerYes;
    }
    // The manual X value dialog: its question is recorded and the answer typed into it.
    int runDialog(QDialog* dialog) override
    {
        QLabel* label = dialog ? dialog->findChild<QLabel*>("nextvalueLabel") : nullptr;
        QLineEdit* edit = dialog ? dialog->findChild<QLineEdit*>("valueLineEdit") : nullptr;
        if (!label || !edit)
            return QDialog::Rejected;
        m_XQuestions << label->text();
        if (!m_bAcceptX)
            return QDialog::Rejected;
        edit->setText(m_XText.isNull() ? QString::number(m_XAnswer) : m_XText);
        return QDialog::Accepted;
    }

    QStringList m_Infos;
    QStringList m_Warnings;
    QStringList m_XQuestions;
    QStringList m_Questions;
    bool m_bAnswerYes = true;
    bool m_bAcceptX = true;
    double m_XAnswer = 0.0;
    // Typed instead of m_XAnswer when set.
    QString m_XText;
};

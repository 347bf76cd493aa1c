#pragma once
// Answers the shell's questions in tests and records what was asked.
#include "app/base/Prompter.h"

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
    bool askManualXValue(QWidget*, const QString& name, double* value) override
    {
        m_XQuestions << name;
        if (!m_bAcceptX)
            return false;
        if (value)
            *value = m_XAnswer;
        return true;
    }

    QStringList m_Infos;
    QStringList m_Warnings;
    QStringList m_XQuestions;
    QStringList m_Questions;
    bool m_bAnswerYes = true;
    bool m_bAcceptX = true;
    double m_XAnswer = 0.0;
};

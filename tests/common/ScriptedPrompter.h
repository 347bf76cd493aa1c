#pragma once
// The one test prompter: scripted answers for every question a window asks, each question
// recorded in m_Log as "kind|title|text" (a chooser as "kind|caption|filter", a dialog as
// "dialog|ClassName").
#include "windowbase/Prompter.h"

#include <QColor>
#include <QDialog>
#include <QStringList>

#include <algorithm>
#include <functional>

class CScriptedPrompter : public IPrompter
{
public:
    // The shell's prompter while it lives; one a test hands to a single host is not (shell false).
    explicit CScriptedPrompter(bool shell = true) : m_bShell(shell)
    {
        if (m_bShell)
            SetShellPrompter(this);
    }
    ~CScriptedPrompter() override
    {
        if (m_bShell)
            SetShellPrompter(nullptr);
    }

    void information(QWidget*, const QString& title, const QString& text) override { m_Log << "info|" + title + "|" + text; }
    void warning(QWidget*, const QString& title, const QString& text) override { m_Log << "warn|" + title + "|" + text; }
    void critical(QWidget*, const QString& title, const QString& text) override { m_Log << "crit|" + title + "|" + text; }
    bool question(QWidget*, const QString& title, const QString& text) override
    {
        m_Log << "ask|" + title + "|" + text;
        // What may happen while a real question box is open.
        if (m_QuestionHook)
            m_QuestionHook();
        return m_bYes;
    }
    int askSaveChanges(QWidget*, const QString& title, const QString& text) override
    {
        m_Log << "save?|" + title + "|" + text;
        return m_SaveAnswer;
    }
    bool confirm(QWidget*, const QString& title, const QString& text) override
    {
        m_Log << "confirm|" + title + "|" + text;
        return m_bConfirm;
    }
    QString getOpenFileName(QWidget*, const QString& caption, const QString& dir, const QString& filter) override
    {
        m_Log << "file|" + caption + "|" + filter;
        m_LastDir = dir;
        return m_File;
    }
    QString getSaveFileName(QWidget*, const QString& caption, const QString& dir, const QString& filter) override
    {
        m_Log << "savefile|" + caption + "|" + filter;
        m_LastDir = dir;
        return m_SaveFile;
    }
    QColor getColor(QWidget*, const QColor& initial) override
    {
        m_Log << "color|" + initial.name();
        return m_Color;
    }
    // The timing wizard's result box: recorded, then closed.
    bool retryOrClose(QWidget*, const QString& title, const QString& text) override
    {
        m_Log << "result|" + title + "|" + text;
        return false;
    }
    // m_DialogAnswer, when set, plays the user and says how the dialog ended; else m_DialogHook
    // (when set) plays the user and the dialog ends with m_DialogResult.
    int runDialog(QDialog* dialog) override
    {
        m_Log << "dialog|" + (dialog ? QString::fromLatin1(dialog->metaObject()->className()) : QString());
        m_pLastDialog = dialog;
        if (m_DialogAnswer)
            return m_DialogAnswer(dialog);
        if (m_DialogHook)
            m_DialogHook(dialog);
        return m_DialogResult;
    }

    // "title|text" of each box of the kinds named ("info warn crit ask confirm"), in order.
    QStringList boxes(const QString& kinds) const
    {
        const QStringList wanted = kinds.split(' ');
        QStringList out;
        for (const QString& entry : m_Log)
            if (wanted.contains(entry.section('|', 0, 0)))
                out << entry.section('|', 1);
        return out;
    }
    // The texts of the notices, warnings and questions shown, in order.
    QStringList said() const
    {
        QStringList out;
        for (const QString& box : boxes("info warn crit ask confirm"))
            out << box.section('|', 1);
        return out;
    }
    // How many entries of a kind the log holds ("dialog", "file", ...).
    int count(const QString& kind) const
    {
        return int(std::count_if(m_Log.begin(), m_Log.end(), [&](const QString& e) { return e.startsWith(kind + '|'); }));
    }

    QStringList m_Log;
    bool m_bYes = true;
    bool m_bConfirm = true;
    int m_SaveAnswer = SaveCancel;
    QString m_File;
    QString m_SaveFile;
    QString m_LastDir;
    QColor m_Color;   // invalid: the colour chooser is cancelled
    int m_DialogResult = 0;
    QDialog* m_pLastDialog = nullptr;
    std::function<void(QDialog*)> m_DialogHook;
    std::function<int(QDialog*)> m_DialogAnswer;
    std::function<void()> m_QuestionHook;

private:
    bool m_bShell;
};

#pragma once
// A prompter with scripted answers for every question the shell asks, recording each one.
#include "windowbase/Prompter.h"

#include <QDialog>
#include <QStringList>

class CScriptedPrompter : public IPrompter
{
public:
    CScriptedPrompter() { SetShellPrompter(this); }
    ~CScriptedPrompter() override { SetShellPrompter(nullptr); }

    void information(QWidget*, const QString& title, const QString& text) override { m_Log << "info|" + title + "|" + text; }
    void warning(QWidget*, const QString& title, const QString& text) override { m_Log << "warn|" + title + "|" + text; }
    void critical(QWidget*, const QString& title, const QString& text) override { m_Log << "crit|" + title + "|" + text; }
    bool question(QWidget*, const QString& title, const QString& text) override
    {
        m_Log << "ask|" + title + "|" + text;
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
    // The timing wizard's result box: recorded, then closed.
    bool retryOrClose(QWidget*, const QString& title, const QString& text) override
    {
        m_Log << "result|" + title + "|" + text;
        return false;
    }
    int runDialog(QDialog* dialog) override
    {
        m_Log << "dialog|" + (dialog ? QString::fromLatin1(dialog->metaObject()->className()) : QString());
        m_pLastDialog = dialog;
        if (m_DialogHook)
            m_DialogHook(dialog);
        return m_DialogResult;
    }

    QStringList m_Log;
    bool m_bYes = true;
    bool m_bConfirm = true;
    int m_SaveAnswer = SaveCancel;
    QString m_File;
    QString m_SaveFile;
    QString m_LastDir;
    int m_DialogResult = 0;
    QDialog* m_pLastDialog = nullptr;
    std::function<void(QDialog*)> m_DialogHook;
};

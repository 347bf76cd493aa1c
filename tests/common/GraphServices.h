#pragma once
// Answers for the graph's questions in tests: a prompter that records every notice, answers
// the save chooser with a set path and lets a test play the user of a modal dialog; platform
// services that record what would have been opened.
#include "windowbase/PlatformServices.h"
#include "windowbase/Prompter.h"
#include "common/RecordingPlatform.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class CGraphTestPrompter : public IPrompter
{
public:
    QStringList m_Notices;
    QString m_SaveAnswer;
    QString m_SaveCaption, m_SaveDir, m_SaveFilter;
    QColor m_ColorAnswer;   // invalid: the colour chooser is cancelled
    // Plays the user of a dialog run modally; returns its result (Rejected when unset).
    std::function<int(QDialog*)> m_OnDialog;
    int m_Dialogs = 0;

    void information(QWidget*, const QString&, const QString& text) override { m_Notices << text; }
    void warning(QWidget*, const QString&, const QString& text) override { m_Notices << text; }
    bool question(QWidget*, const QString&, const QString& text) override
    {
        m_Notices << text;
        return false;
    }
    QString getSaveFileName(QWidget*, const QString& caption, const QString& dir, const QString& filter) override
    {
        m_SaveCaption = caption;
        m_SaveDir = dir;
        m_SaveFilter = filter;
        return m_SaveAnswer;
    }
    int runDialog(QDialog* dialog) override
    {
        ++m_Dialogs;
        return m_OnDialog ? m_OnDialog(dialog) : int(QDialog::Rejected);
    }
    QColor getColor(QWidget*, const QColor&) override { return m_ColorAnswer; }
};

using CGraphTestPlatform = CRecordingPlatform;

// Installs both for the life of a test.
struct CGraphServicesScope
{
    CGraphTestPrompter prompter;
    CGraphTestPlatform platform;
    CGraphServicesScope()
    {
        SetShellPrompter(&prompter);
        SetWindowPlatformServices(&platform);
    }
    ~CGraphServicesScope()
    {
        SetShellPrompter(nullptr);
        SetWindowPlatformServices(nullptr);
    }
};

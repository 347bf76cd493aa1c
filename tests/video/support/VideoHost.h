#pragma once
// A document area that hosts video windows in tests: its own hub, data store and a prompter
// that answers file choosers and records every box.
#include "windowbase/ChildWindowHost.h"
#include "windowbase/Prompter.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "video/VideoAnlysisWindow.h"

#include <QMdiArea>
#include <QPointer>
#include <QStringList>

class CVideoTestPrompter : public IPrompter
{
public:
    void information(QWidget*, const QString& title, const QString& text) override { m_Infos << title + "|" + text; }
    void warning(QWidget*, const QString& title, const QString& text) override { m_Criticals << title + "|" + text; }
    bool question(QWidget*, const QString&, const QString&) override { return true; }
    void critical(QWidget*, const QString& title, const QString& text) override { m_Criticals << title + "|" + text; }
    QString getOpenFileName(QWidget*, const QString&, const QString& dir, const QString& filter) override
    {
        m_LastDir = dir;
        m_LastFilter = filter;
        return m_OpenAnswer;
    }

    QString m_OpenAnswer;
    QString m_LastDir;
    QString m_LastFilter;
    QStringList m_Infos;
    QStringList m_Criticals;
};

class CVideoHost : public QMdiArea, public IChildWindowHost
{
public:
    CVideoHost()
    {
        resize(1000, 800);
        CVideoAnlysisWindow::CountLoadedRuns(m_Data);
    }
    bool AlignToGrid() const override { return false; }
    CKorvantaSignals* GetSignals() const override { return const_cast<CKorvantaSignals*>(&m_Signals); }
    CDataManager* GetDataManager() const override { return const_cast<CDataManager*>(&m_Data); }
    IPrompter* GetPrompter() const override { return const_cast<CVideoTestPrompter*>(&m_Prompter); }
    CKorvantaWindow* GetActiveVideoWindow() const override { return m_pActive; }
    void SetActiveVideoWindow(CKorvantaWindow* w) override { m_pActive = w; }
    void SetLastVideoWindowActive(CKorvantaWindow*) override { m_pActive = nullptr; ++m_Handovers; }
    void HistoryNewFolder() override { ++m_NewFolders; }
    void HistoryRestore(bool) override { ++m_Restores; }

    CKorvantaSignals m_Signals;
    CDataManager m_Data;
    CVideoTestPrompter m_Prompter;
    QPointer<CKorvantaWindow> m_pActive;
    int m_Handovers = 0;
    int m_NewFolders = 0;
    int m_Restores = 0;
};

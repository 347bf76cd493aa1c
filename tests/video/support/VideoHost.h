#pragma once
// A document area that hosts video windows in tests: its own hub, data store and a prompter
// that answers file choosers and records every box.
#include "windowbase/ChildWindowHost.h"
#include "../../common/ScriptedPrompter.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "video/VideoAnlysisWindow.h"

#include <QMdiArea>
#include <QPointer>
#include <QStringList>

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
    IPrompter* GetPrompter() const override { return const_cast<CScriptedPrompter*>(&m_Prompter); }
    CKorvantaWindow* GetActiveVideoWindow() const override { return m_pActive; }
    void SetActiveVideoWindow(CKorvantaWindow* w) override { m_pActive = w; }
    void SetLastVideoWindowActive(CKorvantaWindow*) override { m_pActive = nullptr; ++m_Handovers; }
    void HistoryNewFolder() override { ++m_NewFolders; }
    void HistoryRestore(bool) override { ++m_Restores; }

    CKorvantaSignals m_Signals;
    CDataManager m_Data;
    CScriptedPrompter m_Prompter{false};
    QPointer<CKorvantaWindow> m_pActive;
    int m_Handovers = 0;
    int m_NewFolders = 0;
    int m_Restores = 0;
};

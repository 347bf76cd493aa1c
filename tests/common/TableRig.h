#pragma once
// A table window hosted as the window manager would host it, over a data store of its own:
// the hub, the setup record, a prompter that answers and records, and the last-active-table
// record the window manager keeps.
#include "windowbase/ChildWindowHost.h"
#include "common/ScriptedPrompter.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SetupInfo.h"
#include "table/TableWindow.h"

#include <QMdiArea>
#include <QPointer>

class CTableHost : public QMdiArea, public IChildWindowHost
{
public:
    CTableHost() : m_Data(&m_Setup) { resize(1000, 800); }
    bool AlignToGrid() const override { return false; }
    CKorvantaSignals* GetSignals() const override { return const_cast<CKorvantaSignals*>(&m_Hub); }
    CDataManager* GetDataManager() const override { return const_cast<CDataManager*>(&m_Data); }
    IPrompter* GetPrompter() const override { return const_cast<CScriptedPrompter*>(&m_Prompter); }
    void SetLastActiveTable(CKorvantaWindow* table) override { m_Last = table; }
    CKorvantaWindow* GetLastActiveTable() const override { return m_Last.data(); }
    void SetLastTableActive(CKorvantaWindow* closing) override
    {
        ++m_Handovers;
        if (m_Last == closing)
            m_Last = nullptr;
    }

    CTableWindow* newTable(bool lastActive = true)
    {
        auto* table = new CTableWindow(this, Qt::SubWindow);
        addSubWindow(table);
        table->initWindow();
        if (lastActive)
            m_Last = table;
        return table;
    }

    // A run folder with one branch per (sensor index) entry, each filled with n samples
    // y = base + i, x = first + i.
    CDataFolder* addRun(const QList<int>& sensors, int n, double interval = 0.1, int first = 0)
    {
        CDataFolder* folder = m_Data.CreateDataFolder();
        // Flagged as the data store flags a run recorded without a sample rate.
        folder->m_bSampledByHand = m_Setup.m_RateCode == 0;
        for (int s : sensors) {
            const int key = m_Data.CreateDataBranch(s, interval, 0, 0, folder->m_Key);
            folder->AddBranchKey(key);
            fill(key, n, first, 100.0 * folder->GetNumberBranches());
        }
        return folder;
    }
    // A branch derived from parent (sensor index 20480), n samples.
    int addDerived(int parentKey, int n)
    {
        const int key = m_Data.CreateDataBranch(20480, 0.1, 0, 0, parentKey);
        m_Data.GetDataBranch(key)->m_ParentKey = parentKey;
        m_Data.AddChildBranch(key, parentKey);
        fill(key, n, 0, 1000.0);
        return key;
    }
    void fill(int key, int n, int first, double base)
    {
        CDataBranch* b = m_Data.GetDataBranch(key);
        for (int i = 0; i < n; ++i)
            b->AddSample(first + i, base + i);
    }

    CKorvantaSignals m_Hub{nullptr};
    CSetupInfo m_Setup{nullptr};
    CDataManager m_Data;
    CScriptedPrompter m_Prompter;
    QPointer<CKorvantaWindow> m_Last;
    int m_Handovers = 0;
};

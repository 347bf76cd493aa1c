// The window manager's share of the online upload: the login dialog, the upload of the current
// graph's series, and the live upload that follows the run control.
#include "app/shell/WindowsManager.h"

#include "windowbase/KorvantaWindow.h"
#include "windowbase/Prompter.h"
#include "app/shell/ShellServices.h"
#include "Core/Data/DataManager.h"

void CWindowsManager::onEnableTerravox()
{
    if (m_pUpload)
        m_pUpload->RunLoginDialog(this);
}

void CWindowsManager::onUpload2Terravox()
{
    QList<int> keys;
    if (CKorvantaWindow* graph = GetCurrent(GraphKind))
        graph->GetPlotKeys(&keys);
    if (keys.isEmpty()) {
        prompter()->warning(this, tr("Error"), tr("No plots"));
        return;
    }
    if (m_pUpload)
        m_pUpload->StartUploadOffLineExp(&keys);
}

void CWindowsManager::uploadRunStarted()
{
    CDataManager* data = GetDataManager();
    const CDataFolder* run = data ? data->GetLastDataFolder() : nullptr;
    if (!m_pUpload || !run)
        return;
    QList<int> keys;
    for (int key : run->GetBranchKeys())
        keys.append(key);
    m_pUpload->StartUploadOnLineExp(keys);
}

// A run the user stops ends like any other: the live upload is not cut at the press, so the
// rows stored until the logger's end still reach the service before the run is closed there.
void CWindowsManager::uploadRunFinished()
{
    if (m_pUpload)
        m_pUpload->FinishUploadOnLineExp();
}

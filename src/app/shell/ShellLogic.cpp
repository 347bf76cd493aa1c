#include "app/shell/ShellLogic.h"

#include "Core/Logic/LogicManager.h"
#include "setup/LogicQueries.h"

void CLogicManagerShell::StartLoggersDetection()
{
    // The logger managers and their detection join the logic manager separately; until then
    // there is nothing to start.
}

bool CLogicManagerShell::IsDetectionInProgress()
{
    return false;
}

void CLogicManagerShell::DetectExitLogicManager() {}

void CLogicManagerShell::ExitLogicManager() {}

void CLogicManagerShell::SetFirmwareFileName(const QString&) {}

void CLogicManagerShell::SendDownloadCmd()
{
    if (m_pManager && m_pQueries)
        m_pManager->SendDownloadCmd(m_pQueries->GetCurrentLogger(), true);
}

bool CLogicManagerShell::CanDetect()
{
    return false;
}

bool CLogicManagerShell::CanUpdateFirmware()
{
    return false;
}

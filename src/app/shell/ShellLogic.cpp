#include "app/shell/ShellLogic.h"

#include "Core/Logic/Detection/DeviceDetectionManager.h"
#include "Core/Logic/LoggerFace.h"
#include "Core/Logic/LogicManager.h"
#include "setup/LogicQueries.h"

void CLogicManagerShell::StartLoggersDetection()
{
    if (m_pManager)
        m_pManager->StartLoggersDetection();
}

bool CLogicManagerShell::IsDetectionInProgress()
{
    return m_pManager && m_pManager->IsLoggerSearchInProgress();
}

void CLogicManagerShell::DetectExitLogicManager()
{
    if (m_pManager)
        m_pManager->DetectExitLogicManager();
}

void CLogicManagerShell::ExitLogicManager()
{
    if (m_pManager)
        m_pManager->ExitLogicManager();
}

void CLogicManagerShell::SetFirmwareFileName(const QString& path)
{
    if (m_pManager)
        m_pManager->SetFirmwareFileName(path);
}

void CLogicManagerShell::SendDownloadCmd()
{
    if (m_pManager && m_pQueries)
        m_pManager->SendDownloadCmd(m_pQueries->GetCurrentLogger(), true);
}

bool CLogicManagerShell::CanDetect()
{
    return m_pManager != nullptr;
}

bool CLogicManagerShell::CanUpdateFirmware()
{
    return m_pManager != nullptr;
}

QString CLogicManagerShell::FirmwareRefusal()
{
    ILoggerFace* face = m_pManager ? m_pManager->ConnectedFace() : nullptr;
    return face ? face->FirmwareRefusal() : QString();
}

bool CLogicManagerShell::IsFirmwareUpdateUnderWay()
{
    return m_pManager && m_pManager->IsFirmwareUpdateUnderWay();
}

bool CLogicManagerShell::IsWaitingForUpdatedLogger()
{
    const CDeviceDetectionManager* detection = m_pManager ? m_pManager->GetDeviceDetectionManager() : nullptr;
    return detection && detection->IsWaitingForUpdatedLogger();
}

void CLogicManagerShell::StopWaitingForUpdatedLogger()
{
    if (CDeviceDetectionManager* detection = m_pManager ? m_pManager->GetDeviceDetectionManager() : nullptr)
        detection->StopWaitingForUpdatedLogger();
}

bool CLogicManagerShell::IsSearchUnderWay()
{
    return m_pManager && m_pManager->IsSearchUnderWay();
}

void CLogicManagerShell::CancelSearch()
{
    if (m_pManager)
        m_pManager->CancelLoggersDetection();
}

void CLogicManagerShell::ReleaseLogger()
{
    if (m_pManager)
        m_pManager->ReleaseConnectedLogger();
}

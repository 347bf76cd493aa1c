#pragma once
// The window manager's logger services answered by the logic manager.
#include "app/shell/ShellServices.h"

class CLogicManager;
class ILogicQueries;

class CLogicManagerShell : public IShellLogic
{
public:
    CLogicManagerShell(CLogicManager* manager, ILogicQueries* queries) : m_pManager(manager), m_pQueries(queries) {}

    void StartLoggersDetection() override;
    bool IsDetectionInProgress() override;
    void DetectExitLogicManager() override;
    void ExitLogicManager() override;
    void SetFirmwareFileName(const QString& path) override;
    void SendDownloadCmd() override;
    bool CanDetect() override;
    bool CanUpdateFirmware() override;
    QString FirmwareRefusal() override;
    bool IsFirmwareUpdateUnderWay() override;
    bool IsWaitingForUpdatedLogger() override;
    void StopWaitingForUpdatedLogger() override;
    bool IsSearchUnderWay() override;
    void CancelSearch() override;
    void ReleaseLogger() override;

private:
    CLogicManager* m_pManager;
    ILogicQueries* m_pQueries;
};

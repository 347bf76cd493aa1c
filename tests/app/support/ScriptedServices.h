#pragma once
// Logger and workspace services with scripted results, recording what they were asked.
#include "app/shell/ShellServices.h"

#include <QStringList>

class CScriptedLogic : public IShellLogic
{
public:
    void StartLoggersDetection() override { m_Log << "detect"; }
    bool IsDetectionInProgress() override { return m_bDetecting; }
    void DetectExitLogicManager() override { m_Log << "deferred-exit"; }
    void ExitLogicManager() override { m_Log << "exit"; }
    void SetFirmwareFileName(const QString& path) override { m_Log << "firmware|" + path; }
    void SendDownloadCmd() override { m_Log << "download"; }
    bool CanDetect() override { return true; }
    bool CanUpdateFirmware() override { return true; }

    QStringList m_Log;
    bool m_bDetecting = false;
};

class CScriptedWorkspace : public IWorkspaceFiles
{
public:
    int saveWorkspaceToFile(CWindowsManager*, const QString& path) override
    {
        m_Log << "save|" + path;
        if (m_SaveResult == 0 && path.isEmpty())
            m_SavePath = m_ChosenPath;
        return m_SaveResult;
    }
    int loadWorkspaceFromFile(CWindowsManager*) override
    {
        m_Log << "load";
        if (m_LoadResult == 0)
            m_LoadPath = m_ChosenPath;
        return m_LoadResult;
    }
    QString savePath() const override { return m_SavePath; }
    void setSavePath(const QString& path) override { m_SavePath = path; }
    QString loadPath() const override { return m_LoadPath; }
    void setLoadPath(const QString& path) override { m_LoadPath = path; }

    QStringList m_Log;
    int m_SaveResult = 0;
    int m_LoadResult = 0;
    QString m_SavePath;
    QString m_LoadPath;
    QString m_ChosenPath = QStringLiteral("/tmp/lab/pendulum.kvb");
};

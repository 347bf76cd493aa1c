#pragma once
// The logger, workspace and upload services the window manager's commands reach. The main
// window hands in the real ones; tests hand in scripted ones. A missing service disables the
// commands that need it (the main window's action states ask the Has... questions).
#include <QList>
#include <QString>

class QWidget;

class CWindowsManager;

class IShellLogic
{
public:
    virtual ~IShellLogic() = default;
    virtual void StartLoggersDetection() = 0;
    // True while a Pelorin detection is under way (exit then waits for it).
    virtual bool IsDetectionInProgress() = 0;
    // Quits the application once the detection has ended, without further questions.
    virtual void DetectExitLogicManager() = 0;
    // Closes every logger and stops the worker threads.
    virtual void ExitLogicManager() = 0;
    virtual void SetFirmwareFileName(const QString& path) = 0;
    virtual void SendDownloadCmd() = 0;
    // Whether the logic layer can search for loggers and update firmware at all.
    virtual bool CanDetect() = 0;
    virtual bool CanUpdateFirmware() = 0;
    // Why this program cannot update the connected logger's firmware; empty when it can (or no
    // logger is connected: the update itself says so).
    virtual QString FirmwareRefusal() { return QString(); }
    // From the firmware command until the update has ended, well or badly.
    virtual bool IsFirmwareUpdateUnderWay() { return false; }
    // After the new firmware is written, the wait for the logger's return, which the user may
    // give up.
    virtual bool IsWaitingForUpdatedLogger() { return false; }
    virtual void StopWaitingForUpdatedLogger() {}
    // A search for loggers the user may give up, and giving it up: the search stops at once
    // and nothing it would still find or miss is reported.
    virtual bool IsSearchUnderWay() { return false; }
    virtual void CancelSearch() {}
    // The connected logger is let go (its link closed) after it failed to start a run, so that
    // Connect searches for it again.
    virtual void ReleaseLogger() {}
};

// Writing and reading workspace files (codes: 0 done, -1 the user cancelled, others failures).
class IWorkspaceFiles
{
public:
    virtual ~IWorkspaceFiles() = default;
    // An empty path asks the user for one.
    virtual int saveWorkspaceToFile(CWindowsManager* manager, const QString& path) = 0;
    virtual int loadWorkspaceFromFile(CWindowsManager* manager) = 0;
    virtual QString savePath() const = 0;
    virtual void setSavePath(const QString& path) = 0;
    virtual QString loadPath() const = 0;
    virtual void setLoadPath(const QString& path) = 0;
};

// The online service's upload object as the commands and the action states see it.
class IUploadService
{
public:
    virtual ~IUploadService() = default;
    virtual bool IsLoggedIn() = 0;
    virtual bool IsUploading() = 0;
    virtual bool IsLiveUpload() = 0;
    virtual void SetLiveUpload(bool on) = 0;
    virtual void StopUploading() = 0;
    // The upload share of the commands and the run control (a fake answers what its test uses).
    virtual void StartUploadOffLineExp(QList<int>*) {}
    virtual void StartUploadOnLineExp(QList<int>&) {}
    virtual void FinishUploadOnLineExp() {}
    // Runs the login dialog modally over parent.
    virtual void RunLoginDialog(QWidget*) {}
};

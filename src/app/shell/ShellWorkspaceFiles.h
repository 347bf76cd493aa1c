#pragma once
// The workspace files as the shell's commands use them: the process-wide saver and loader.
#include "app/shell/ShellServices.h"

class CDataManager;

class CShellWorkspaceFiles : public IWorkspaceFiles
{
public:
    // The folders the store reads from a file find their video beside that file.
    explicit CShellWorkspaceFiles(CDataManager& data);
    int saveWorkspaceToFile(CWindowsManager* manager, const QString& path) override;
    int loadWorkspaceFromFile(CWindowsManager* manager) override;
    QString savePath() const override;
    void setSavePath(const QString& path) override;
    QString loadPath() const override;
    void setLoadPath(const QString& path) override;
};

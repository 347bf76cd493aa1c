#pragma once
// The workspace files as the shell's commands use them: the process-wide saver and loader.
#include "app/shell/ShellServices.h"

class CShellWorkspaceFiles : public IWorkspaceFiles
{
public:
    CShellWorkspaceFiles();
    ~CShellWorkspaceFiles() override;
    int saveWorkspaceToFile(CWindowsManager* manager, const QString& path) override;
    int loadWorkspaceFromFile(CWindowsManager* manager) override;
    QString savePath() const override;
    void setSavePath(const QString& path) override;
    QString loadPath() const override;
    void setLoadPath(const QString& path) override;
};

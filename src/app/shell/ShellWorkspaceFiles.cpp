#include "app/shell/ShellWorkspaceFiles.h"

#include "app/shell/WindowsManager.h"
#include "Core/Data/DataFolder.h"
#include "workspace/WorkspaceLoader.h"
#include "workspace/WorkspaceSaver.h"

CShellWorkspaceFiles::CShellWorkspaceFiles()
{
    // A folder read from a file finds its video beside the workspace file being read.
    CDataFolder::s_WorkspacePathProvider = []() { return CWorkspaceLoader::getInstance()->m_LastPath; };
}

CShellWorkspaceFiles::~CShellWorkspaceFiles()
{
    CDataFolder::s_WorkspacePathProvider = nullptr;
}

int CShellWorkspaceFiles::saveWorkspaceToFile(CWindowsManager* manager, const QString& path)
{
    return CWorkspaceSaver::getInstance()->saveWorkspaceToFile(manager, path);
}

int CShellWorkspaceFiles::loadWorkspaceFromFile(CWindowsManager* manager)
{
    return CWorkspaceLoader::getInstance()->loadWorkspaceFromFile(manager);
}

QString CShellWorkspaceFiles::savePath() const
{
    return CWorkspaceSaver::getInstance()->m_CurrentPath;
}

void CShellWorkspaceFiles::setSavePath(const QString& path)
{
    CWorkspaceSaver::getInstance()->m_CurrentPath = path;
}

QString CShellWorkspaceFiles::loadPath() const
{
    return CWorkspaceLoader::getInstance()->m_LastPath;
}

void CShellWorkspaceFiles::setLoadPath(const QString& path)
{
    CWorkspaceLoader::getInstance()->m_LastPath = path;
}

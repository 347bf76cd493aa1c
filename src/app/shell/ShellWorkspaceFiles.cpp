#include "app/shell/ShellWorkspaceFiles.h"

#include "app/shell/WindowsManager.h"
#include "Core/Data/DataManager.h"
#include "workspace/WorkspaceLoader.h"
#include "workspace/WorkspaceSaver.h"

CShellWorkspaceFiles::CShellWorkspaceFiles(CDataManager& data)
{
    data.SetWorkspacePathProvider([]() { return CWorkspaceLoader::getInstance()->m_LastPath; });
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

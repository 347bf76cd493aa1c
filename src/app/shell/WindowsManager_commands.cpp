// The window manager's workspace, help, firmware-update and window commands.
#include "app/shell/WindowsManager.h"

#include "app/shell/AboutDialog.h"
#include "app/shell/HistoryWindow.h"
#include "windowbase/KorvantaWindow.h"
#include "app/shell/MultiLanguage.h"
#include "windowbase/PlatformServices.h"
#include "windowbase/Prompter.h"
#include "app/shell/ShellFrame.h"
#include "app/shell/ShellServices.h"
#include "Core/Data/DataManager.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Logic/LoggerKinds.h"
#include "setup/LogicQueries.h"
#include "setup/SetupWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QProgressDialog>
#include <QStandardPaths>

namespace {
const char* const s_kv4Folder = "Korvanta";
}

QString CWindowsManager::getKV4FolderPath()
{
    const QStringList documents = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        return QString();
    QDir dir(documents.first());
    if (!dir.cd(QString::fromLatin1(s_kv4Folder))) {
        dir.mkpath(QString::fromLatin1(s_kv4Folder));
        dir.cd(QString::fromLatin1(s_kv4Folder));
    }
    return dir.path();
}

QString CWindowsManager::HelpFilePath(const QString& appDir, const QString& code)
{
    const auto page = [&appDir](const QString& language) {
        return appDir + "/" + "Help" + "/" + language + "/" + "index.html";
    };
    const QString file = page(code);
    return QFileInfo::exists(file) ? file : page(QStringLiteral("en"));
}

void CWindowsManager::ShowHelp()
{
    const QString code = m_pLanguages ? m_pLanguages->SelectedCode() : QStringLiteral("en");
    const QString file = HelpFilePath(QCoreApplication::applicationDirPath(), code);
    // Without a program that shows web pages (no browser, no xdg-open) nothing would open and the
    // command would look dead: say where the guide is instead.
    if (!WindowPlatformServices()->openLocalFile(file))
        prompter()->information(this, tr("Help"),
                                tr("The user guide could not be opened in a web browser. It is here:\n%1")
                                    .arg(QDir::toNativeSeparators(file)));
}

QString CWindowsManager::FirmwareVersionText(const QString& path)
{
    // The version is read from the file's own name: a folder such as "/home/oliver/..." must
    // not be taken for it.
    const QString name = QFileInfo(path).fileName();
    const int at = name.indexOf(QStringLiteral("ver"));
    if (at < 0)
        return QString();
    return name.mid(at + 3, 4);
}

void CWindowsManager::onFirmWareUpdate()
{
    if (!m_pShellLogic || (m_pLogic && m_pLogic->IsConnectedViaBlueThooth()))
        return;
    // A logger this program cannot update is told before a file is asked for, which would only
    // be thrown away.
    const QString refusal = m_pShellLogic->FirmwareRefusal();
    if (!refusal.isEmpty()) {
        prompter()->information(this, tr("Firmware update"), refusal);
        return;
    }
    const QStringList documents = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation);
    const QString start = documents.isEmpty() ? QDir::homePath() : getKV4FolderPath();
    const QString file = prompter()->getOpenFileName(this, tr("Select firmware file", "For firmware update"), start,
                                                     tr("Firmware Files") + " (*.bin)");
    if (file.isEmpty())
        return;
    // Refused before the logger is sent to its boot-loader: a wrong file would otherwise leave
    // it there.
    const QString problem = FirmwareFileProblem(file);
    if (!problem.isEmpty()) {
        prompter()->warning(this, tr("Firmware update"), problem + "\n" + tr("Nothing was sent to the logger."));
        return;
    }
    QString version = FirmwareVersionText(file);
    if (version.isEmpty())
        version = QFileInfo(file).completeBaseName();
    m_pShellLogic->SetFirmwareFileName(file);
    m_pSetupWindow->stopTimers(true);
    if (m_pProgressDialog) {
        m_pProgressDialog->setRange(0, 100);
        m_pProgressDialog->setValue(0);
        m_pProgressDialog->setLabelText(
            tr("Updating firmware to version %1, please do not turn off or disconnect your logger").arg(version));
        m_pProgressDialog->setModal(false);
        m_pProgressDialog->show();
    }
    m_pSignals->SignalUserFirmwareUpdate();
}

// ---- workspace ----

void CWindowsManager::onNoMoredataToSave()
{
    const QString path = m_pWorkspaceFiles ? m_pWorkspaceFiles->savePath() : QString();
    if (m_pFrame)
        m_pFrame->SetWindowTitleText(m_AppTitle + "-" + QFileInfo(path).baseName());
    m_bHasDataToSave = false;
}

int CWindowsManager::OnSave()
{
    // Without the workspace files nothing can be written: a failure, never a silent success.
    if (!m_pWorkspaceFiles)
        return -2;
    return saveWorkspace(m_pWorkspaceFiles->savePath());
}

void CWindowsManager::OnSaveCommand()
{
    reportSaveFailure(OnSave());
}

void CWindowsManager::OnSaveAs()
{
    if (m_pWorkspaceFiles)
        reportSaveFailure(saveWorkspace(QString()));
}

void CWindowsManager::reportSaveFailure(int result)
{
    // The previous file, if any, is untouched; the user must know this one was not written.
    if (result != 0 && result != -1)
        prompter()->warning(this, QStringLiteral("Pavix"), tr("Save failed"));
}

int CWindowsManager::saveWorkspace(const QString& path)
{
    const int result = m_pWorkspaceFiles->saveWorkspaceToFile(this, path);
    if (result == 0) {
        m_pWorkspaceFiles->setLoadPath(m_pWorkspaceFiles->savePath());
        onNoMoredataToSave();
    }
    return result;
}

QList<QMdiSubWindow*> CWindowsManager::dataWindows() const
{
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : subWindowList(QMdiArea::CreationOrder))
        if (window != m_pHistoryWindow && window != m_pSetupWindow->currentWindow()
            && !window->inherits("CMinimalSetupWindow") && !window->inherits("CFullSetupWindow")
            && !window->inherits("CHistoryWindow"))
            windows << window;
    return windows;
}

void CWindowsManager::clearWorkSpace()
{
    for (QMdiSubWindow* window : dataWindows()) {
        removeSubWindow(window);
        delete window;
    }
    if (CDataManager* data = m_pHistoryWindow->dataManager())
        data->ClearAllData();
    for (int kind = 0; kind < NumWindowKinds; ++kind)
        m_pCurrent[kind] = nullptr;
}

void CWindowsManager::clearForNewWorkspace()
{
    clearWorkSpace();
    if (CDataManager* data = m_pHistoryWindow->dataManager())
        data->ClearAllData();
    m_pHistoryWindow->Clean();
}

void CWindowsManager::CleanWorkspace()
{
    clearForNewWorkspace();
    ShowGraphWindow();
}

void CWindowsManager::freshStart()
{
    ShowGraphWindow();
    if (m_pFrame)
        m_pFrame->SetWindowTitleText(m_AppTitle);
    if (m_pWorkspaceFiles)
        m_pWorkspaceFiles->setSavePath(QString());
    m_bHasDataToSave = false;
    InitWindowsArrangement();
}

bool CWindowsManager::settleUnsavedChanges()
{
    if (!m_bHasDataToSave)
        return true;
    const int answer = m_pFrame ? m_pFrame->exit_hasDataToSave() : IPrompter::SaveCancel;
    if (answer == IPrompter::SaveNo)
        return true;
    if (answer != IPrompter::SaveYes)
        return false;
    const int result = OnSave();
    reportSaveFailure(result);
    return result == 0;
}

void CWindowsManager::OnNew()
{
    if (!settleUnsavedChanges())
        return;
    clearForNewWorkspace();
    freshStart();
}

void CWindowsManager::OnOpen()
{
    if (!m_pWorkspaceFiles)
        return;
    if (!settleUnsavedChanges())
        return;
    // Nothing is cleared here: the workspace is set aside only once a file has been opened, and
    // comes back, with its path, when no file is chosen or the file cannot be read.
    const QString loadPath = m_pWorkspaceFiles->loadPath();
    beginLoad();
    const int result = m_pWorkspaceFiles->loadWorkspaceFromFile(this);
    endLoad(result == 0);
    if (result != 0) {
        m_pWorkspaceFiles->setLoadPath(loadPath);
        reportFailedOpen(result);
        return;
    }
    m_pWorkspaceFiles->setSavePath(m_pWorkspaceFiles->loadPath());
    m_pHistoryWindow->Restore(true);
    onNoMoredataToSave();
}

// ---- windows ----

void CWindowsManager::ShowHistoryWindow(bool show)
{
    m_pHistoryWindow->m_bHistoryShown = show;
    if (show) {
        m_pHistoryWindow->initWindow();
        m_pHistoryWindow->show();
    } else {
        m_pHistoryWindow->hide();
    }
}

void CWindowsManager::onOpenHisoryWindow(bool toggled)
{
    // As for the setup: a click on a mark not yet cleared after a close brings the window back.
    if (!toggled && !m_pHistoryWindow->m_bHistoryShown)
        toggled = true;
    toggleSideWindow([this, toggled] { ShowHistoryWindow(toggled); });
}

void CWindowsManager::onAbout()
{
    aboutDialog dialog(this, m_pSetupWindow->getSetupInfo());
    prompter()->runDialog(&dialog);
}

// The window manager's share of video analysis: making video windows (at most four), opening
// the video of a run, the active video window, and the history updates of a tracking run.
#include "app/shell/WindowsManager.h"

#include "app/shell/HistoryWindow.h"
#include "video/VideoAnlysisWindow.h"

#include <QPointer>
#include <QTimer>

int CWindowsManager::videoWindowsCount() const
{
    return CVideoAnlysisWindow::currentVideoWindowsCounter;
}

CVideoAnlysisWindow* CWindowsManager::ShowVideoWindow(bool fileFollows)
{
    // Video windows set aside while a file is read do not count: they go once it has been read.
    if (CVideoAnlysisWindow::currentVideoWindowsCounter - previousVideoWindows() >= CVideoAnlysisWindow::s_MaxWindows)
        return nullptr;
    auto* window = new CVideoAnlysisWindow(this, Qt::SubWindow);
    window->initWindow();
    // Added before it is shown, so it never flashes up as a window of its own.
    AddChildWindow(window, VideoKind);
    showMadeWindow(window);
    if (!fileFollows)
        window->StartActiveStreamTimer();
    return window;
}

CVideoAnlysisWindow* CWindowsManager::GetLastVideoWindow() const
{
    return qobject_cast<CVideoAnlysisWindow*>(GetLastOfKind(VideoKind));
}

void CWindowsManager::OpenVideoWindow(const QString& path, int folderKey)
{
    const QList<QMdiSubWindow*> windows = subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* w : windows) {
        auto* video = qobject_cast<CVideoAnlysisWindow*>(w);
        if (video && video->VideoFile() == path && video->LinkedFolderKey() == folderKey)
            return;
    }
    // A fifth window is refused; the video then goes into the last one open.
    ShowVideoWindow(true);
    QPointer<CVideoAnlysisWindow> window = GetLastVideoWindow();
    if (!window)
        return;
    window->SetLinkedFolderKey(folderKey);
    const bool loaded = window->LoadVideoFile(path);
    if (window && loaded)
        window->SetVideoFile(path);
}

void CWindowsManager::SetActiveVideoWindow(CKorvantaWindow* window)
{
    if (qobject_cast<CVideoAnlysisWindow*>(window))
        m_pCurrent[VideoKind] = window;
}

void CWindowsManager::HistoryNewFolder()
{
    if (m_pHistoryWindow)
        m_pHistoryWindow->newFolder();
}

void CWindowsManager::HistoryRestore(bool allowDelete)
{
    if (m_pHistoryWindow)
        m_pHistoryWindow->Restore(allowDelete);
}

void CWindowsManager::OnVideoRecordButton()
{
    if (!m_bVideoRecordArmed)
        return;
    m_bVideoRecordArmed = false;
    QTimer::singleShot(5000, this, &CWindowsManager::OnVideoRecordButtonTimer);
}

void CWindowsManager::OnVideoRecordButtonTimer()
{
    m_bVideoRecordArmed = true;
}

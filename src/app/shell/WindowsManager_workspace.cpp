// The window manager as the workspace files see it: choosers, clearing, and the windows that
// write and read their records.
#include "app/shell/WindowsManager.h"

#include "windowbase/KorvantaWindow.h"
#include "windowbase/Prompter.h"
#include "graph/GraphWindow.h"
#include "video/VideoAnlysisWindow.h"
#include "table/NotesWindow.h"
#include "workspace/WorkspaceFormat.h"
#include "workspace/WorkspaceVideo.h"

#include "app/shell/ShellServices.h"
#include "app/shell/HistoryWindow.h"
#include "Core/Data/DataManager.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QMdiSubWindow>
#include <QProgressDialog>

#include <utility>

namespace {
// Steps of the load's progress bar, and how often a long load lets the window paint.
constexpr int s_LoadSteps = 1000;
constexpr int s_LoadPaintMs = 40;
} // namespace

QString CWindowsManager::ChooseSaveFile(const QString& title, const QString& start, const QString& filter)
{
    return prompter()->getSaveFileName(this, title, start, filter);
}

QString CWindowsManager::ChooseOpenFile(const QString& title, const QString& start, const QString& filter)
{
    return prompter()->getOpenFileName(this, title, start, filter);
}

void CWindowsManager::Warn(const QString& title, const QString& text)
{
    prompter()->warning(this, title, text);
}

void CWindowsManager::ClearForLoad()
{
    // Open sets the workspace aside instead, so a file that cannot be read gives it back.
    if (m_bLoadingWorkspace) {
        setAsidePrevious();
        return;
    }
    CleanWorkspace();
    clearWorkSpace();
}

void CWindowsManager::beginLoad()
{
    m_bLoadingWorkspace = true;
    m_HeldBackWindows.clear();
    m_LoadClock.start();
    m_LoadPaintClock.invalidate();
}

void CWindowsManager::showMadeWindow(QMdiSubWindow* window)
{
    if (m_bLoadingWorkspace) {
        m_HeldBackWindows.append(window);
        return;
    }
    window->show();
    PlaceInsideArea(window);
}

void CWindowsManager::endLoad(bool loaded)
{
    m_bLoadingWorkspace = false;
    delete m_pLoadProgress.data();
    const QVector<QPointer<QMdiSubWindow>> held = m_HeldBackWindows;
    m_HeldBackWindows.clear();
    if (!loaded) {
        restorePrevious();
        return;
    }
    dropPrevious();
    for (const QPointer<QMdiSubWindow>& window : held)
        if (window) {
            window->show();
            PlaceInsideArea(window);
            // Minimised or maximised only now: the state keeps the place it was shown in as the
            // window's normal geometry.
            if (auto* stored = qobject_cast<CKorvantaWindow*>(window.data()))
                stored->ApplyStoredState();
        }
}

void CWindowsManager::setAsidePrevious()
{
    CDataManager* data = m_pHistoryWindow->dataManager();
    if (m_Previous.held) {
        // Cleared twice in one load: only what the file gave so far goes.
        discardLoaded();
        if (data)
            data->HoldBackAllData();
        return;
    }
    m_Previous.held = true;
    m_Previous.unsaved = m_bHasDataToSave;
    m_Previous.active = activeSubWindow();
    for (int kind = 0; kind < NumWindowKinds; ++kind) {
        m_Previous.lastMade[kind] = m_pLastMade[kind];
        m_Previous.current[kind] = m_pCurrent[kind];
        m_pCurrent[kind] = nullptr;
    }
    // The history window keeps its rows: they come back with the runs they show, or are
    // rebuilt from the file's runs once it has been read.
    for (QMdiSubWindow* window : dataWindows()) {
        window->hide();
        m_Previous.windows.append(window);
    }
    if (data)
        data->HoldBackAllData();
}

void CWindowsManager::restorePrevious()
{
    if (!m_Previous.held)
        return;
    discardLoaded();
    if (CDataManager* data = m_pHistoryWindow->dataManager())
        data->RestoreHeldBackData();
    PreviousWorkspace previous;
    std::swap(previous, m_Previous);
    for (const QPointer<QMdiSubWindow>& window : previous.windows)
        if (window)
            window->show();
    if (previous.active)
        setActiveSubWindow(previous.active);
    for (int kind = 0; kind < NumWindowKinds; ++kind) {
        m_pLastMade[kind] = previous.lastMade[kind];
        m_pCurrent[kind] = previous.current[kind];
    }
    m_bHasDataToSave = previous.unsaved;
}

void CWindowsManager::discardLoaded()
{
    for (QMdiSubWindow* window : dataWindows())
        if (!m_Previous.windows.contains(window)) {
            removeSubWindow(window);
            delete window;
        }
}

void CWindowsManager::dropPrevious()
{
    PreviousWorkspace previous;
    std::swap(previous, m_Previous);
    for (const QPointer<QMdiSubWindow>& window : previous.windows)
        if (window) {
            removeSubWindow(window);
            delete window.data();
        }
    if (CDataManager* data = m_pHistoryWindow->dataManager())
        data->DropHeldBackData();
}

int CWindowsManager::previousVideoWindows() const
{
    int count = 0;
    for (const QPointer<QMdiSubWindow>& window : m_Previous.windows)
        count += qobject_cast<CVideoAnlysisWindow*>(window.data()) != nullptr;
    return count;
}

void CWindowsManager::reportFailedOpen(int result)
{
    // No file chosen, a load the user stopped, or a file whose refusal was already explained.
    if (result == WorkspaceCancelled || result == WorkspaceAborted || result == WorkspaceRefused)
        return;
    prompter()->warning(this, QStringLiteral("Pavix"), tr("The file could not be read completely."));
}

bool CWindowsManager::LoadProgress(qint64 done, qint64 total)
{
    if (!m_bLoadingWorkspace)
        return true;
    if (!m_pLoadProgress) {
        if (m_LoadClock.elapsed() < m_LoadProgressDelayMs)
            return true;
        m_pLoadProgress = new QProgressDialog(tr("Opening the workspace..."), tr("Cancel"), 0, s_LoadSteps, this);
        m_pLoadProgress->setWindowModality(Qt::WindowModal);
        m_pLoadProgress->setAutoReset(false);
        m_pLoadProgress->setAutoClose(false);
        m_pLoadProgress->setMinimumDuration(0);
        m_pLoadProgress->show();
    }
    // Events are handled a few times a second, not per record: a repaint costs far more than
    // reading one. The modal dialog keeps the user's input to itself meanwhile.
    if (!m_LoadPaintClock.isValid() || m_LoadPaintClock.elapsed() >= s_LoadPaintMs) {
        m_LoadPaintClock.start();
        const qint64 step = total > 0 ? qBound<qint64>(0, done * s_LoadSteps / total, s_LoadSteps) : 0;
        m_pLoadProgress->setValue(int(step));
        QCoreApplication::processEvents();
    }
    return m_pLoadProgress && !m_pLoadProgress->wasCanceled();
}

QVector<IWorkspaceHost::SavedWindow> CWindowsManager::WindowsToSave()
{
    // The class names are the record kinds; each window is one of them at most.
    static const struct
    {
        const char* className;
        quint16 tag;
    } kinds[] = {{"CGraphWindow", TagGraphWindow},          {"CTableWindow", TagTableWindow},
                 {"cnoteswindow", TagNotesWindow},          {"CVideoAnlysisWindow", TagVideoWindow},
                 {"CFullSetupWindow", TagFullSetupWindow}, {"CMinimalSetupWindow", TagMinimalSetupWindow}};
    QVector<SavedWindow> saved;
    for (QMdiSubWindow* sub : subWindowList(QMdiArea::CreationOrder)) {
        for (const auto& kind : kinds) {
            if (!sub->inherits(kind.className))
                continue;
            SavedWindow entry;
            entry.tag = kind.tag;
            // The setup windows are bare tags: they keep nothing in the file.
            if (kind.tag != TagFullSetupWindow && kind.tag != TagMinimalSetupWindow) {
                QPointer<CKorvantaWindow> window = qobject_cast<CKorvantaWindow*>(sub);
                entry.save = [window](QDataStream* out) { return window ? window->saveToFile(out) : 0; };
            }
            saved.append(entry);
            break;
        }
    }
    return saved;
}

int CWindowsManager::LoadWindowRecord(quint16 tag, QDataStream* stream, bool* handled)
{
    *handled = true;
    switch (tag) {
    case TagHistoryWindow:
    case TagFullSetupWindow:
    case TagMinimalSetupWindow:
        // Windows that live as long as the program: their records hold nothing.
        return 0;
    default:
        break;
    }
    if (CKorvantaWindow* window = windowForRecord(tag))
        return window->loadFromFile(stream);
    if (tag == TagVideoWindow) {
        // Only four video-analysis windows can be open; a further record is read past, never
        // into a window that already shows another video.
        Warn(QStringLiteral("Pavix"), tr("The workspace holds more video-analysis windows than can be open at once. "
                                         "The extra video window was not opened."));
        return SkipVideoRecord(*stream);
    }
    *handled = false;
    return 0;
}

CKorvantaWindow* CWindowsManager::windowForRecord(quint16 tag)
{
    switch (tag) {
    case TagTableWindow:
        return ShowTableWindow();
    case TagGraphWindow:
        return ShowGraphWindow();
    case TagVideoWindow:
        // Null past the fourth window: the record is then read past with a warning.
        return ShowVideoWindow(true);
    case TagNotesWindow:
        return ShowNotesWindow();
    default:
        return nullptr;
    }
}

void CWindowsManager::ShowGraphOfBranches(const QVector<int>& keys)
{
    if (auto* graph = qobject_cast<CGraphWindow*>(ShowGraphWindow()))
        graph->AddPlotsFromKeyArray(keys.toList());
}

void CWindowsManager::ShowNotesWithText(const QString& text)
{
    QString notes = text;
    ShowNotesWindowWithText(notes);
}

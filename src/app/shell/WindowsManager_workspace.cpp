// The window manager as the workspace files see it: choosers, clearing, and the windows that
// write and read their records.
#include "app/shell/WindowsManager.h"

#include "app/base/KorvantaWindow.h"
#include "app/base/Prompter.h"
#include "graph/GraphWindow.h"
#include "video/VideoAnlysisWindow.h"
#include "table/NotesWindow.h"
#include "workspace/WorkspaceFormat.h"
#include "workspace/WorkspaceVideo.h"

#include "app/shell/ShellServices.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QMdiSubWindow>
#include <QProgressDialog>

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
    if (!loaded)
        return;
    for (const QPointer<QMdiSubWindow>& window : held)
        if (window) {
            window->show();
            PlaceInsideArea(window);
        }
}

void CWindowsManager::reportFailedOpen(int result)
{
    if (result == WorkspaceCancelled)
        return;   // no file chosen
    if (result != WorkspaceOpenFailed) {
        // The workspace was cleared for the file: what was read of it goes too, and the
        // workspace starts afresh under no name, so a Save asks for one instead of writing a
        // part of the file over it.
        clearForNewWorkspace();
        freshStart();
        m_pWorkspaceFiles->setLoadPath(QString());
    }
    // A cancelled load needs no message, nor a file whose refusal was already explained.
    if (result != WorkspaceAborted && result != WorkspaceRefused)
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

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

#include <QDataStream>
#include <QMdiSubWindow>

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

// The window manager's meters, calculator and notes windows, and the edit commands that reach
// the notes editor.
#include "app/shell/WindowsManager.h"

#include "table/Calculator.h"
#include "table/MetersWindow.h"
#include "table/NotesWindow.h"

void CWindowsManager::ShowMetersWindow()
{
    auto* window = new CMetersWindow(this, Qt::SubWindow);
    AddChildWindow(window, MetersKind);
    window->initWindow();
    window->show();
    PlaceInsideArea(window);
    PlaceInFreeArea(window);
}

void CWindowsManager::ShowCalcWindow()
{
    auto* window = new CCalculator(this, Qt::WindowFlags());
    AddChildWindow(window, CalculatorKind);
    window->initWindow();
    window->show();
    PlaceInsideArea(window);
    PlaceInFreeArea(window);
}

cnoteswindow* CWindowsManager::ShowNotesWindow()
{
    auto* window = new cnoteswindow(this, Qt::WindowFlags());
    AddChildWindow(window, NotesKind);
    window->initWindow();
    showMadeWindow(window);
    PlaceInFreeArea(window);
    return window;
}

void CWindowsManager::ShowNotesWindowWithText(QString& text)
{
    if (text.isEmpty())
        return;
    auto* window = new cnoteswindow(this, Qt::WindowFlags());
    AddChildWindow(window, NotesKind);
    window->initWindow();
    window->SetText(text);
    showMadeWindow(window);
    PlaceInFreeArea(window);
}

cnoteswindow* CWindowsManager::activeNotesWindow() const
{
    return qobject_cast<cnoteswindow*>(activeSubWindow());
}

void CWindowsManager::onUndo()
{
    if (cnoteswindow* notes = activeNotesWindow())
        notes->undo();
}

void CWindowsManager::onRedo()
{
    if (cnoteswindow* notes = activeNotesWindow())
        notes->redo();
}

void CWindowsManager::onCut()
{
    if (cnoteswindow* notes = activeNotesWindow())
        notes->cut();
}

void CWindowsManager::onCopy()
{
    if (cnoteswindow* notes = activeNotesWindow())
        notes->copy();
}

void CWindowsManager::onPaste()
{
    if (cnoteswindow* notes = activeNotesWindow())
        notes->paste();
}

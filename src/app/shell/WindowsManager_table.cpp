// The window manager's tables: making one on command and the record of the last active table,
// the one that follows runs, downloads and video.
#include "app/shell/WindowsManager.h"

#include "table/TableWindow.h"

CKorvantaWindow* CWindowsManager::ShowTableWindow()
{
    auto* table = new CTableWindow(this, Qt::SubWindow);
    AddChildWindow(table, TableKind);
    table->initWindow();
    showMadeWindow(table);
    PlaceInFreeArea(table);
    // The new table is the active window now; it follows the next run without a click.
    SetLastActiveTable(table);
    return table;
}

void CWindowsManager::onOpenTableWindow()
{
    ShowTableWindow();
}

void CWindowsManager::SetLastActiveTable(CKorvantaWindow* table)
{
    if (qobject_cast<CTableWindow*>(table))
        m_pCurrent[TableKind] = table;
}

CKorvantaWindow* CWindowsManager::GetLastActiveTable() const
{
    return GetCurrent(TableKind);
}

void CWindowsManager::SetLastTableActive(CKorvantaWindow* closing)
{
    SetLastActive(TableKind, closing);
}

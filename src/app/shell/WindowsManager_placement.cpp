// Where the windows made on command open: beside the setup and history column, never over it,
// and never over another window's title bar.
#include "app/shell/WindowsManager.h"

#include "app/shell/HistoryWindow.h"
#include "setup/SetupWindow.h"
#include "windowbase/KorvantaWindow.h"

#include <QMdiSubWindow>

#include <algorithm>
#include <cstdlib>

namespace {

// A window counts when it stands where the user can see it (the main window may be minimized).
bool Showing(const QWidget* window)
{
    return window && !window->isHidden() && !window->isMinimized();
}

bool NearAny(const QPoint& at, const QVector<QPoint>& corners, int distance)
{
    for (const QPoint& c : corners)
        if (std::abs(c.x() - at.x()) < distance && std::abs(c.y() - at.y()) < distance)
            return true;
    return false;
}

} // namespace

QRect CWindowsManager::FreePlacement(QSize area, QRect band, QSize window, QSize minimum,
                                     const QVector<QPoint>& corners)
{
    QRect free(QPoint(0, 0), area);
    // The free part starts on the windows' grid, which snaps a place down and so would pull
    // the window back over the band's edge.
    const int grid = CKorvantaWindow::s_GridStep;
    const int left = band.isValid() ? (band.right() + grid) / grid * grid : 0;
    // A strip narrower than the window's minimum, or than a side column where the window wants
    // more, would squeeze it to a sliver: it goes over the band then.
    const int needed = std::max(minimum.width(), std::min(window.width(), s_SideWidth));
    if (left > 0 && area.width() - left >= needed)
        free.setLeft(left);
    const QSize size = window.boundedTo(free.size()).expandedTo(minimum);
    // Down the diagonal from the free part's corner: the first place no other window's corner
    // is near. When every place is taken the last one that fits is used.
    QPoint at = free.topLeft();
    QPoint chosen = at;
    while (at.x() + size.width() <= free.right() + 1 && at.y() + size.height() <= free.bottom() + 1) {
        chosen = at;
        if (!NearAny(at, corners, s_CascadeStep / 2))
            break;
        at += QPoint(s_CascadeStep, s_CascadeStep);
    }
    return QRect(chosen, size);
}

void CWindowsManager::PlaceInFreeArea(QMdiSubWindow* window)
{
    // A window that a workspace brings back keeps the place it was saved with.
    if (!window || m_bLoadingWorkspace || window->isMaximized())
        return;
    QRect band;
    QWidget* setup = m_pSetupWindow ? m_pSetupWindow->currentWindow() : nullptr;
    for (QWidget* side : {setup, static_cast<QWidget*>(m_pHistoryWindow)})
        if (Showing(side))
            band |= side->geometry();
    QVector<QPoint> corners;
    for (QMdiSubWindow* other : subWindowList())
        if (other != window && Showing(other) && other != setup && other != m_pHistoryWindow)
            corners.append(other->geometry().topLeft());
    const QRect place = FreePlacement(viewport()->size(), band, window->size(), window->minimumSize(), corners);
    if (!place.isEmpty() && place != window->geometry())
        window->setGeometry(place);
}

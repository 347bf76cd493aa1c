// The window manager's analysis and upload commands. They act on the current graph window and
// its two cursors; with no graph window every command finds no plot selected.
#include "app/shell/WindowsManager.h"

#include "app/base/Prompter.h"
#include "app/shell/ShellServices.h"
#include "graph/GraphWindow.h"

#include <QAction>

int CWindowsManager::cursorInfo(int* cursor1, int* cursor2, int* xAxisKey) const
{
    *cursor1 = -1;
    *cursor2 = -1;
    *xAxisKey = -1;
    auto* graph = qobject_cast<CGraphWindow*>(GetLastActiveGraph());
    return graph ? graph->GetCursorsInfo(*cursor1, *cursor2, *xAxisKey) : -1;
}

void CWindowsManager::onStatisticsFunc()
{
    int c1, c2, x;
    if (cursorInfo(&c1, &c2, &x) == -1)
        prompter()->information(this, tr("Error"), tr("Please select plot."));
}

void CWindowsManager::onSlopeFunc()
{
    int c1, c2, x;
    cursorInfo(&c1, &c2, &x);
    if (c1 != -1) {
        if (auto* graph = qobject_cast<CGraphWindow*>(GetLastActiveGraph()))
            graph->EnableSlopeMode(!graph->m_bSlopeMode);
        return;
    }
    prompter()->information(this, tr("Error"), tr("Please select plot."));
    // The ribbon button latched on the press; the graph shows no slope, so neither may it.
    if (auto* action = qobject_cast<QAction*>(sender()))
        action->setChecked(false);
}

void CWindowsManager::onAreaFunc()
{
    int c1, c2, x;
    const int plot = cursorInfo(&c1, &c2, &x);
    if (plot != -1 && c2 != -1) {
        if (auto* graph = qobject_cast<CGraphWindow*>(GetLastActiveGraph()))
            graph->EnableAreaMode(!graph->m_bAreaMode);
        return;
    }
    prompter()->information(this, tr("Error"), tr("Please place two cursors on a plot."));
    if (auto* action = qobject_cast<QAction*>(sender()))
        action->setChecked(false);
}

void CWindowsManager::onAveragingFunc()
{
    int c1, c2, x;
    cursorInfo(&c1, &c2, &x);
    if (c1 == -1)
        prompter()->information(this, tr("Error"), tr("Please select plot."));
}

void CWindowsManager::quickFunction(int)
{
    int c1, c2, x;
    if (cursorInfo(&c1, &c2, &x) == -1)
        prompter()->information(this, tr("Error"), tr("Please select plot."));
}

void CWindowsManager::onLinearCurveFitFunc()
{
    quickFunction(27);
}

void CWindowsManager::onQuadraticCurveFitFunc()
{
    quickFunction(28);
}

void CWindowsManager::onDerivativeMathFunc()
{
    quickFunction(6);
}

void CWindowsManager::onIntegralMathFunc()
{
    quickFunction(13);
}

void CWindowsManager::onStopUpload2Terravox()
{
    if (m_pUpload)
        m_pUpload->StopUploading();
}

void CWindowsManager::onOnlineUpload2Terravox()
{
    if (m_pUpload && m_pUpload->IsLoggedIn())
        m_pUpload->SetLiveUpload(!m_pUpload->IsLiveUpload());
}

// The window manager's share of the graph: making graph windows, the last activated graph
// (the one that takes new runs and analysis results) and what a graph asks of its host.
#include "app/shell/WindowsManager.h"

#include "graph/GraphWindow.h"
#include "setup/LogicQueries.h"
#include "setup/SetupWindow.h"

CKorvantaWindow* CWindowsManager::ShowGraphWindow()
{
    auto* graph = new CGraphWindow(this, Qt::SubWindow);
    AddChildWindow(graph, GraphKind);
    showMadeWindow(graph);
    PlaceInFreeArea(graph);
    return graph;
}

void CWindowsManager::ShowInGraphOfItsOwn(int key)
{
    auto* graph = qobject_cast<CGraphWindow*>(ShowGraphWindow());
    if (!graph)
        return;
    // The new graph takes this result as a new result, and those that follow it.
    SetLastActiveGraph(graph);
    graph->NewFunctionData(key, -1, -1);
}

void CWindowsManager::onOpenGraphWindow()
{
    ShowGraphWindow();
}

CKorvantaWindow* CWindowsManager::GetLastGraphWindow() const
{
    return GetLastOfKind(GraphKind);
}

void CWindowsManager::SetLastGraphActive(CKorvantaWindow* closing)
{
    SetLastActive(GraphKind, closing);
}

CKorvantaWindow* CWindowsManager::GetLastActiveGraph() const
{
    return GetCurrent(GraphKind);
}

void CWindowsManager::SetLastActiveGraph(CKorvantaWindow* graph)
{
    if (qobject_cast<CGraphWindow*>(graph))
        m_pCurrent[GraphKind] = graph;
}

CSetupInfo* CWindowsManager::GetSetupInfo() const
{
    return m_pSetupWindow ? m_pSetupWindow->getSetupInfo() : nullptr;
}

CSensorInfo* CWindowsManager::GetSensorCatalogue() const
{
    return m_pLogic ? m_pLogic->GetSensorCatalogue() : nullptr;
}

ExperimentInterval CWindowsManager::GetExperimentInterval(short rate, short samples, short loggerType) const
{
    return m_pLogic ? m_pLogic->GetExperimentInterval(rate, samples, loggerType) : ExperimentInterval{};
}

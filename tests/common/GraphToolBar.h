#pragma once
// A graph window's tool-bar actions as a user finds them: on the window's one tool bar (made
// when the window is first shown), by the text each button tells.
#include "graph/GraphWindow.h"
#include "windowbase/MultiAction.h"

#include <QTimer>
#include <QToolBar>

inline QToolBar* GraphToolBar(const CGraphWindow* graph)
{
    return graph->findChild<QToolBar*>(QString(), Qt::FindDirectChildrenOnly);
}

// The action at a tool-bar position (CGraphWindow::ToolAction); null where the window has no
// such action or no tool bar yet.
inline MultiAction* GraphAction(const CGraphWindow* graph, int action)
{
    static const char* const texts[CGraphWindow::NumToolActions] = {
        "Zoom", "Pan", "Autoscale", "Cursor", "Second Cursor", "Add Annotation", "Move Annotation",
        "Properties", "Copy Graph", "Export", "Predict", "Add Prediction", "Erase Prediction", "Print"};
    const QToolBar* bar = GraphToolBar(graph);
    if (!bar || action < 0 || action >= CGraphWindow::NumToolActions)
        return nullptr;
    for (QAction* a : bar->actions())
        if (a->text() == QLatin1String(texts[action]))
            return qobject_cast<MultiAction*>(a);
    return nullptr;
}

// The window's timers by their names: "redrawTimer" (the ticks of a live run) and
// "toolBarTimer" (the tool bar's states).
inline QTimer* GraphTimer(const CGraphWindow* graph, const char* name)
{
    return graph->findChild<QTimer*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

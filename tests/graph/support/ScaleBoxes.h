#pragma once
// The graph's three scale boxes, found and used as a user finds and uses them: by their names,
// a plot picked by its title.
#include "graph/GraphWindow.h"
#include "graph/GraphX.h"

#include <QComboBox>
#include <QLatin1String>

inline QComboBox* ScaleBox(const CGraphWindow* graph, const char* name)
{
    return graph->findChild<QComboBox*>(QLatin1String(name));
}

// Chooses a plot in a scale box as a click on its entry does; false where the box lists no
// such plot.
inline bool ChooseScale(CGraphWindow* graph, const char* box, int plot)
{
    QComboBox* combo = ScaleBox(graph, box);
    const int index = combo && plot >= 0 && plot < graph->GetNumPlots()
                          ? combo->findText(CGraphX::PlotTitle(graph->GetPlot(plot))) : -1;
    if (index < 0)
        return false;
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    return true;
}

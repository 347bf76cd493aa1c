// The graph's own commands behind its tool bar (properties, copy, export, print, prediction)
// and what the main window and the window manager ask of it: whether analysis functions
// apply, whether the X axis allows them, and the slope and area read-outs.
#include "graph/GraphWindow.h"

#include "windowbase/MultiAction.h"
#include "windowbase/Prompter.h"
#include "Core/Data/DataBranch.h"
#include "graph/GraphProperties.h"

#include <QAction>

void CGraphWindow::ConnectCommands()
{
    if (m_ToolBarActions.size() != NumToolActions)
        return;
    const QList<MultiAction*>& a = m_ToolBarActions;
    connect(a.at(ActProperties), &QAction::triggered, this, &CGraphWindow::OnProperties);
    connect(a.at(ActCopyGraph), &QAction::triggered, this, &CGraphWindow::OnCopyGraph);
    connect(a.at(ActExport), &QAction::triggered, this, &CGraphWindow::OnExportGraph);
    connect(a.at(ActPredict), &QAction::triggered, this, &CGraphWindow::OnPredict);
    connect(a.at(ActAddPredict), &QAction::triggered, this, &CGraphWindow::OnAddPredict);
    connect(a.at(ActErasePredict), &QAction::triggered, this, &CGraphWindow::OnErasePredict);
    connect(a.at(ActPrint), &QAction::triggered, this, &CGraphWindow::OnPrint);
}

void CGraphWindow::OnProperties()
{
    // The dialog edits plots; a graph without any has nothing to show in it.
    if (m_Plots.isEmpty())
        return;
    CGraphProperties dialog(nullptr);
    dialog.SetPrompter(GraphPrompter(m_pHost));
    dialog.Init(this);
    QList<bool> autoBefore;
    for (const CGraphPlot& p : m_Plots)
        autoBefore << p.m_bAutoScale;
    if (GraphPrompter(m_pHost)->runDialog(&dialog) != QDialog::Accepted)
        return;
    // A plot switched to automatic scaling takes its data's range now, not at the next run.
    QVector<bool> switched(m_Plots.size());
    for (int i = 0; i < m_Plots.size() && i < autoBefore.size(); ++i)
        switched[i] = m_Plots.at(i).m_bAutoScale && !autoBefore.at(i) && i != m_X.PlotIndex();
    autoScaleYAxes(switched);
    takeXAxisScaleFromPlot();
    RetitleScaleCombos();
    RepaintGraph(RepaintFull);
    notifyHasNewDataToSave();
    RepositionScaleCombos();
}

void CGraphWindow::EnableSlopeMode(bool on)
{
    m_bSlopeMode = on;
    RepaintGraph(RepaintFull);
}

void CGraphWindow::EnableAreaMode(bool on)
{
    m_bAreaMode = on;
    RepaintGraph(RepaintFull);
}

bool CGraphWindow::EnableFunctions() const
{
    return m_GraphType != BarGraph;
}

bool CGraphWindow::XAxisFuntionsAreLegal() const
{
    if (m_X.PlotIndex() < 0)
        return true;
    const CDataBranch* x = GetDataBranch(m_X.PlotIndex());
    if (!x)
        return true;
    const QVector<double> y = x->GetYSnapshot();
    for (int i = 1; i < y.size(); ++i)
        if (!(y.at(i - 1) < y.at(i)))
            return false;
    return true;
}

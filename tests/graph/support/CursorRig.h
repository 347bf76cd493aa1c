#pragma once
// A graph window over known data for the cursor, mouse and drop tests: two plots on one run
// (a ramp y = i / 2 and a constant 40, 101 samples at 0.1 s), fixed axes 0..100 and 0..50,
// painted once so the plot area is laid out; and a prompter that answers the graph's
// questions and its annotation dialog.
#include "common/GraphTestHost.h"
#include "common/ScriptedPrompter.h"
#include "graph/GraphRules.h"
#include "graph/GraphWindow.h"

#include <QDialog>
#include <QStringList>
#include <QTextEdit>

// The annotation dialog answered: what it showed kept in m_Shown, m_Text typed, accepted unless
// m_bAccept is false.
struct CCursorRigPrompter : CScriptedPrompter
{
    CCursorRigPrompter()
    {
        m_DialogAnswer = [this](QDialog* dialog) {
            auto* edit = dialog ? dialog->findChild<QTextEdit*>(QStringLiteral("annotEdit")) : nullptr;
            if (!edit)
                return int(QDialog::Rejected);
            m_Shown << edit->toPlainText();
            if (!m_bAccept) {
                dialog->reject();
                return int(QDialog::Rejected);
            }
            edit->setPlainText(m_Text);
            dialog->accept();
            return dialog->result();
        };
    }
    QStringList m_Shown;
    bool m_bAccept = true;
    QString m_Text;
};

struct CCursorRig
{
    CCursorRigPrompter prompter;
    CGraphTestHost host;
    CGraphWindow* graph = nullptr;
    CDataFolder* run = nullptr;
    CDataBranch* ramp = nullptr;
    CDataBranch* flat = nullptr;

    explicit CCursorRig(int samples = 101)
    {
        host.resize(1000, 800);
        graph = new CGraphWindow(&host);
        graph->resize(800, 600);
        host.SetLastActiveGraph(graph);
        host.show();
        run = host.addRun(QStringLiteral("Run1"));
        ramp = host.addBranch(run, SensorIndexOnlineFunction, 0.1, QStringLiteral("Ramp"));
        flat = host.addBranch(run, SensorIndexOnlineFunction, 0.1, QStringLiteral("Flat"));
        CGraphTestHost::fill(ramp, samples, [](int i) { return i * 0.5; });
        CGraphTestHost::fill(flat, samples, [](int) { return 40.0; });
        graph->AddPlotsFromKeyArray({ramp->m_Key, flat->m_Key});
        setAxes(0.0f, 100.0f, 0.0f, 50.0f);
    }
    // Fixed axes (autoscale off, so nothing moves them) and a paint to lay the area out.
    void setAxes(float xMin, float xMax, float yMin, float yMax)
    {
        graph->X().ScaleTo(xMin, xMax, false);
        for (int i = 0; i < graph->m_Plots.size(); ++i) {
            graph->m_Plots[i].m_Min = yMin;
            graph->m_Plots[i].m_Max = yMax;
            graph->m_Plots[i].m_bAutoScale = false;
        }
        paint();
    }
    // A picture of the whole window, taken as the window takes its own: on screen a paint
    // strokes its XY curves for a share of time only, and a slow machine would show them part way.
    QImage paint()
    {
        return graph->GraphPicture(CGraphWindow::PictureWindow).toImage();
    }
    // The pixel of a value of plot 0's axes.
    QPoint pixel(float x, float y) const
    {
        const CGraphPlot& p = graph->m_Plots.at(0);
        return QPoint(GraphRules::ToPixelX(x, graph->X().Min(), graph->X().Max(), graph->GraphRect()),
                      GraphRules::ToPixelY(y, p.m_Min, p.m_Max, graph->GraphRect()));
    }
};

// Data branches dragged from the data tree onto the graph: which drags are taken, the plots a
// drop adds, the X axis from a single branch dropped on the X scale, and the video window of
// a run recorded with a video.
#include "graph/GraphWindow.h"

#include "windowbase/ChildWindowHost.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

namespace {
const QString s_Mime = QStringLiteral("text/plain");
// Drags of branches stay far below this; a longer text is not a drag of the data tree.
constexpr int s_MaxDropKeys = 10000;
} // namespace

QList<int> CGraphWindow::droppedKeys(const QString& text) const
{
    QList<int> keys;
    CDataManager* data = dataStore();
    const QStringList parts = text.split(QLatin1Char(','));
    for (int i = 1; i < parts.size() && keys.size() < s_MaxDropKeys; ++i) {
        bool ok = false;
        const int key = parts.at(i).toInt(&ok, 10);
        // The text comes from outside: only keys of stored branches are taken.
        if (!ok || key == -1 || !data || !data->GetDataBranch(key))
            continue;
        keys.append(key);
    }
    return keys;
}

void CGraphWindow::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* mime = event->mimeData();
    if (!mime || !mime->hasFormat(s_Mime) || m_bRunning || m_bVideoPlayback)
        return;
    CDataManager* data = dataStore();
    if (!m_Plots.isEmpty() && data) {
        const CDataBranch* first = GetDataBranch(0);
        const int s0 = first ? first->m_SensorIndex : 0;
        for (int key : droppedKeys(mime->text())) {
            const int s = data->GetDataBranch(key)->m_SensorIndex;
            if (s != s0 && (s >= SensorIndexOnlineFunction || s0 >= SensorIndexOnlineFunction))
                return;
        }
    }
    event->acceptProposedAction();
}

void CGraphWindow::dragMoveEvent(QDragMoveEvent*)
{
}

void CGraphWindow::dragLeaveEvent(QDragLeaveEvent*)
{
}

void CGraphWindow::dropEvent(QDropEvent* event)
{
    if (m_bRunning) {
        event->ignore();
        return;
    }
    CDataManager* data = dataStore();
    const QMimeData* mime = event->mimeData();
    if (!data || !mime)
        return;
    if (!m_pDataManager)
        m_pDataManager = data;
    const QPoint p = event->posF().toPoint();
    const QString text = mime->text();
    const QString caption = text.section(QLatin1Char(','), 0, 0);
    bool videoAsked = false;
    QList<int> added;
    QStringList labels;
    // An XY graph takes only series whose own run holds values of its X axis.
    QStringList runsWithoutX;
    const QList<int> dropped = droppedKeys(text);
    const QList<int> refused = KeysWithoutOwnX(dropped, &runsWithoutX);
    for (int key : dropped) {
        if (refused.contains(key))
            continue;
        event->acceptProposedAction();
        const CDataBranch* branch = data->GetDataBranch(key);
        CGraphPlot plot;
        plot.m_Key = key;
        plot.m_Name = branch->m_Name;
        plot.m_Min = 1.0f;
        plot.m_Max = -1.0f;
        // Shown as its run's graph shows it: the unit beside its prefix.
        const CPlotUnit unit = PlotUnitOf(*branch);
        plot.m_Unit = unit.unit;
        plot.m_UnitPrefix = plot.m_DataUnitPrefix = unit.prefix;
        plot.m_Color = branch->m_Color;
        plot.m_RateCode = branch->m_RateCode;
        m_Plots.append(plot);
        added.append(m_Plots.size() - 1);
        labels.append(caption + QStringLiteral("-") + branch->m_Name);
        if (branch->m_SensorIndex == SensorIndexTimingResult)
            m_GraphType = BarGraph;
        notifyHasNewDataToSave();
        if (!videoAsked) {
            const CDataFolder* folder = data->GetDataFolder(branch->m_OwnerKey);
            if (folder && !folder->m_VideoFile.isEmpty() && folder->GetNumVideoFrames() > 0 && m_pHost) {
                m_pHost->RequestVideoWindow(folder->m_VideoFile, folder->m_Key);
                videoAsked = true;
            }
        }
    }
    if (!runsWithoutX.isEmpty()) {
        // Said once the drag has ended: a box inside the drop would hold the drag's source.
        QTimer::singleShot(0, this, [this, runsWithoutX] { SayNoOwnX(runsWithoutX); });
    }
    if (added.isEmpty())
        return;

    m_bRescaleY = true;
    m_bRescaleX = false;
    m_XPlotIndex = -1;
    BuildScaleCombos();
    // The scales go to the first curves shown, never to the hidden X-axis plot.
    chooseFirstVisibleScales();
    // The dropped plots are named in the combo boxes by run and branch.
    for (int k = 0; k < added.size(); ++k) {
        const int index = added.at(k);
        const int visible = m_ScaleComboPlots.indexOf(index);
        if (visible >= 0) {
            m_pLeftScaleCombo->setItemText(visible, labels.at(k));
            m_pRightScaleCombo->setItemText(visible, labels.at(k));
        }
        if (index + 1 < m_pXScaleCombo->count())
            m_pXScaleCombo->setItemText(index + 1, labels.at(k));
    }
    const ExperimentInterval interval = m_pHost ? m_pHost->GetExperimentInterval(GetCommonRate(), 1, 12)
                                                : ExperimentInterval{};
    m_XMin = 0.0f;
    if (m_bTimingRun && interval.m_PeriodSec > 0.0 && interval.m_PeriodSec < 60.0)
        m_XMax = float(10.0 / interval.m_PeriodSec);
    else
        m_XMax = 10.0f;
    AutoScaleAllAxis(false);
    RepaintGraph(RepaintFull);
    ResizeScaleCombos();
    if (added.size() == 1 && CheckMouseInScale(p) == -1 && m_GraphType != BarGraph) {
        const int index = added.first();
        CGraphPlot plot = GetPlot(index);
        SetXPlot(&plot, false, index);
        m_GraphType = XYGraph;
        m_XPlotIndex = index;
        m_XPlot.m_bAutoScale = true;
        AutoScaleAllAxis(false);
        ResizeScaleCombos();
        RepaintGraph(RepaintFull);
    }
    UpdateButtons();
}

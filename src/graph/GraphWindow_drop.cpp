// Data branches dragged from the data tree onto the graph: the plots a drop adds of the series
// that stand on the graph's X axis and the notice naming those that do not, the X axis from a
// single branch dropped on the X scale, and the video window of a run recorded with a video.
#include "graph/GraphWindow.h"

#include "windowbase/ChildWindowHost.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "analysis/XSeries.h"
#include "graph/GraphRules.h"
#include "windowbase/Prompter.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMap>
#include <QMimeData>
#include <QSet>
#include <QTimer>

namespace {
const QString s_Mime = QStringLiteral("text/plain");
// Drags of branches stay far below this; a longer text is not a drag of the data tree.
constexpr int s_MaxDropKeys = 10000;

QSet<int> toSet(const QList<int>& keys)
{
    return QSet<int>(keys.cbegin(), keys.cend());
}

// Dropped text: the keys to plot, each looked up; unknown ones are left out.
QList<int> DroppedKeys(const CDataManager* data, const QString& text)
{
    QList<int> keys;
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

// A dropped series' name: its run's name (else the drag's caption), "-" and its own.
QString DroppedPlotName(const CDataManager* data, const CDataBranch& branch, const QString& caption)
{
    // Named as a run's own graph names its series ("Run 4-Temperature"), so that the series of
    // runs dropped side by side are told apart in the scale lists, the legend and the CSV. The
    // store knows the run; the caption is only the drag's word for it.
    const CDataFolder* run = data ? data->GetRunOfBranch(branch.m_Key) : nullptr;
    const QString runName = run ? run->m_Name : caption;
    return runName.isEmpty() ? branch.m_Name : runName + QStringLiteral("-") + branch.m_Name;
}
} // namespace

void CGraphWindow::dragEnterEvent(QDragEnterEvent* event)
{
    // Every drag of series is taken: the drop draws what stands on this graph's X and says why
    // it leaves out the rest, rather than a refusal that tells the teacher nothing.
    const QMimeData* mime = event->mimeData();
    if (!mime || !mime->hasFormat(s_Mime) || m_bRunning || m_bVideoPlayback)
        return;
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
    const QList<int> dropped = DroppedKeys(dataStore(), text);
    // Series whose X values are not of the kind this graph's X axis shows (frequencies on a time
    // axis, events among curves) are left out and named; so, on an XY graph, are those whose run
    // holds no values of its X axis.
    QString graphX;
    QMap<QString, QList<int>> offAxis;
    QSet<int> refused = toSet(m_X.KeysOffTheXAxis(dropped, &graphX, &offAxis));
    QStringList runsWithoutX;
    refused.unite(toSet(m_X.KeysWithoutOwnX(dropped, &runsWithoutX)));
    for (int key : dropped) {
        if (refused.contains(key))
            continue;
        event->acceptProposedAction();
        const CDataBranch* branch = data->GetDataBranch(key);
        CGraphPlot plot;
        plot.m_Key = key;
        plot.m_Name = DroppedPlotName(dataStore(), *branch, caption);
        plot.m_Min = 1.0f;
        plot.m_Max = -1.0f;
        // Shown as its run's graph shows it: the unit beside its prefix.
        const CPlotUnit unit = PlotUnitOf(m_pHost ? m_pHost->GetSensorCatalogue() : nullptr, *branch);
        plot.m_Unit = unit.unit;
        plot.m_UnitPrefix = plot.m_DataUnitPrefix = unit.prefix;
        plot.m_Color = branch->m_Color;
        plot.m_RateCode = branch->m_RateCode;
        m_Plots.append(plot);
        added.append(m_Plots.size() - 1);
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
    QStringList notices;
    for (auto it = offAxis.cbegin(); it != offAxis.cend(); ++it) {
        QStringList names;
        bool fitted = false;
        for (int key : it.value()) {
            const CDataBranch* b = data->GetDataBranch(key);
            names << DroppedPlotName(data, *b, caption);
            fitted = fitted || FittedXKey(*b) >= 0;
        }
        notices << CGraphX::OffTheXAxisText(graphX, it.key(), names, fitted);
    }
    if (!runsWithoutX.isEmpty() || !notices.isEmpty()) {
        // Said once the drag has ended: a box inside the drop would hold the drag's source.
        QTimer::singleShot(0, this, [this, runsWithoutX, notices] {
            CDataManager* store = dataStore();
            if (!runsWithoutX.isEmpty() && store && store->GetDataBranch(m_X.PlotKey()))
                GraphPrompter(m_pHost)->information(this, tr("Graph"), CGraphX::NoOwnXText(runsWithoutX, m_X.XSeriesTitle()));
            if (!notices.isEmpty())
                GraphPrompter(m_pHost)->information(this, tr("Graph"), notices.join(QStringLiteral("\n\n")));
        });
    }
    if (added.isEmpty())
        return;

    m_bRescaleY = true;
    BuildScaleCombos();
    // The scales go to the first curves shown, never to the hidden X-axis plot.
    chooseFirstVisibleScales();
    const ExperimentInterval interval = m_pHost ? m_pHost->GetExperimentInterval(GetCommonRate(), 1, 12)
                                                : ExperimentInterval{};
    m_X.OpenRun(m_bTimingRun, interval.m_PeriodSec);
    AutoScaleAllAxis(false);
    RepaintGraph(RepaintFull);
    ResizeScaleCombos();
    if (added.size() == 1 && CheckMouseInScale(p) == -1 && m_GraphType != BarGraph) {
        const int index = added.first();
        CGraphPlot plot = GetPlot(index);
        SetXPlot(&plot, false, index);
        m_GraphType = XYGraph;
        m_X.ScaleTo(m_X.Min(), m_X.Max(), true);
        AutoScaleAllAxis(false);
        ResizeScaleCombos();
        RepaintGraph(RepaintFull);
    }
    UpdateButtons();
}

// The graph window's state: construction, the plot list and its queries, the run cycle
// (start, live redraw, end), new analysis branches, deleted branches and the X-axis plot.
#include "graph/GraphWindow.h"

#include "windowbase/ChildWindowHost.h"
#include "Core/Base/Diagnostics.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QTimer>

namespace {
constexpr int s_GraphModule = 44;
}

CGraphWindow::CGraphWindow(QWidget* parent, Qt::WindowFlags flags) : CKorvantaWindow(parent, flags)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_LayoutUsesWidgetRect);
    setWindowTitle(tr("Graph"));
    setAcceptDrops(true);
    initWindow();
}

CGraphWindow::~CGraphWindow()
{
    // The sub-window base still changes its state while it goes; by then this is no graph
    // window any more, so nothing may reach its slots.
    disconnect(this, nullptr, this, nullptr);
    // The host may be going too (windows go with their area): its hub is reached through the
    // guarded pointer kept when the window was wired, never through the host.
    if (m_pHub)
        disconnect(m_pHub.data(), nullptr, this, nullptr);
}

void CGraphWindow::initWindow()
{
    CKorvantaWindow::initWindow();
    m_GraphType = TimeGraph;
    m_pDataManager = nullptr;
    m_X.Reset();
    m_PaintSettings.m_bShowGrid = true;
    m_LeftScalePlot = 0;
    m_RightScalePlot = 1;
    m_bRescaleY = m_bRunning = m_bTimingRun = false;
    m_LastShownSample = -1;
    m_bVideoAnalysisRun = false;
    m_Predictions.SetOn(false);
    m_MouseMode = MouseNormal;
    m_bZooming = m_bPanning = false;

    m_pHub = m_pHost ? m_pHost->GetSignals() : nullptr;
    if (CKorvantaSignals* hub = m_pHub.data()) {
        // What the positions of the series count is asked afresh after any change of the store
        // (connected first: the graph's own slots then see the new answers).
        const auto forget = [this] { m_X.ForgetPositions(); };
        for (const auto signal : {&CKorvantaSignals::LoggerStartedRun, &CKorvantaSignals::LoggerExperimentEnd,
                                  &CKorvantaSignals::VideoAnalysisStop})
            connect(hub, signal, this, forget);
        connect(hub, &CKorvantaSignals::dataKeyIsDeleted, this, forget);
        connect(hub, &CKorvantaSignals::newFunctionData, this, forget);
        connect(hub, &CKorvantaSignals::LoggerDownloadFinshed, this, forget);
        connect(hub, &CKorvantaSignals::VideoAnalysisStart, this, forget);
        connect(hub, &CKorvantaSignals::branchValuesChanged, this, forget);
        connect(hub, &CKorvantaSignals::LoggerStartedRun, this, &CGraphWindow::StartRunning);
        connect(hub, &CKorvantaSignals::LoggerExperimentEnd, this, &CGraphWindow::EndRunning);
        // Arrives once per stored row: the slot only serves pending autoscales; drawing waits
        // for the redraw timer.
        connect(hub, &CKorvantaSignals::LoggerNewDataArrived, this, &CGraphWindow::UpdateNewData);
        connect(hub, &CKorvantaSignals::dataKeyIsDeleted, this, &CGraphWindow::DataDeleted);
        connect(hub, &CKorvantaSignals::newFunctionData, this, &CGraphWindow::NewFunctionData);
        ConnectReactions(hub);
    }
    // windowDeleted is not tied to destroyed(): that signal comes from the QObject part of a
    // window whose graph part is already gone, and the slot has nothing to do.
    connect(this, &QMdiSubWindow::windowStateChanged, this, &CGraphWindow::onGraphWindowStateChanged);
    m_pRedrawTimer = new QTimer(this);
    m_pToolBarTimer = new QTimer(this);
    m_pRedrawTimer->setObjectName(QStringLiteral("redrawTimer"));
    m_pToolBarTimer->setObjectName(QStringLiteral("toolBarTimer"));
    connect(m_pRedrawTimer, &QTimer::timeout, this, &CGraphWindow::UpdateTimer);
    connect(m_pToolBarTimer, &QTimer::timeout, this, &CGraphWindow::UpdateButtons);
    m_pToolBarTimer->start(s_ToolBarMs);

    InitToolBar();
    resize(600, 500);
    setMinimumSize(500, 300);

    m_Cursors.Off();
    m_bSlopeMode = m_bAreaMode = false;
    m_bDrawCursors = true;
    m_Cursors.EndDrag();
    m_pDataManager = m_pHost ? m_pHost->GetDataManager() : nullptr;
    m_bShowAnnotations = true;
    m_bDraggingAnnotation = false;
    m_DragScale = -2;
    m_Predictions.SetOn(false);
    m_bUpdatingPlots = false;
    m_bVideoPlayback = false;
    m_RepaintMode = RepaintFull;
    UpdateButtons();
}

// ---- plot bookkeeping ----

CDataManager* CGraphWindow::dataStore() const
{
    if (m_pDataManager)
        return m_pDataManager;
    return m_pHost ? m_pHost->GetDataManager() : nullptr;
}

CGraphPlot CGraphWindow::GetPlot(int index) const
{
    return (index >= 0 && index < m_Plots.size()) ? m_Plots.at(index) : CGraphPlot();
}

void CGraphWindow::UpdatePlot(const CGraphPlot& plot, int plotIndex)
{
    if (plotIndex >= 0 && plotIndex < m_Plots.size())
        m_Plots[plotIndex] = plot;
}

CDataBranch* CGraphWindow::GetDataBranch(int index) const
{
    CDataManager* data = dataStore();
    if (index < 0 || index >= m_Plots.size() || !data)
        return nullptr;
    const int key = m_Plots.at(index).m_Key;
    return key == -1 ? nullptr : data->GetDataBranch(key);
}

int CGraphWindow::GetNumVisiblePlots() const
{
    int n = 0;
    for (const CGraphPlot& p : m_Plots)
        n += p.m_bVisible ? 1 : 0;
    return n;
}

int CGraphWindow::PlotIndexToVisiblePlotIndex(int index) const
{
    if (m_Plots.isEmpty() || index < 0)
        return -1;
    const int last = std::min(index, m_Plots.size() - 1);
    int n = 0;
    for (int i = 0; i <= last; ++i)
        n += m_Plots.at(i).m_bVisible ? 1 : 0;
    return n - 1;
}

short CGraphWindow::GetCommonRate() const
{
    return m_Plots.isEmpty() ? short(6) : short(m_Plots.first().m_RateCode);
}

CDataBranch* CGraphWindow::GetLongestVisibleSensorBranch() const
{
    CDataBranch* best = nullptr;
    int bestCount = -1;
    for (int i = m_Plots.size() - 1; i >= 0; --i) {
        const CGraphPlot& p = m_Plots.at(i);
        if (!p.m_bVisible || p.m_Key == -1)
            continue;
        CDataBranch* b = GetDataBranch(i);
        if (!b)
            continue;
        const int count = b->GetXSize();
        if (count > bestCount) {
            best = b;
            bestCount = count;
        }
    }
    return best;
}

void CGraphWindow::chooseFirstVisibleScales()
{
    m_LeftScalePlot = m_RightScalePlot = -1;
    // Curves that are drawn take the scales first: a scale beside no curve (a series without X
    // values of its own on an XY graph) would name what is not there.
    for (const bool drawnOnly : {true, false}) {
        for (int i = 0; i < m_Plots.size() && m_RightScalePlot == -1; ++i) {
            if (!m_Plots.at(i).m_bVisible || (drawnOnly && !m_X.PlotIsDrawn(i)) || i == m_LeftScalePlot)
                continue;
            if (m_LeftScalePlot == -1)
                m_LeftScalePlot = i;
            else
                m_RightScalePlot = i;
        }
    }
}

CGraphX& CGraphWindow::X()
{
    return m_X;
}

const CGraphX& CGraphWindow::X() const
{
    return m_X;
}

void CGraphWindow::SetXPlot(CGraphPlot* plot, bool timeAxis, int index)
{
    takeXPlot(plot, timeAxis, index);
    BuildScaleCombos();
    chooseFirstVisibleScales();
    ResizeScaleCombos();
}

void CGraphWindow::takeXPlot(CGraphPlot* plot, bool timeAxis, int index)
{
    if (m_X.PlotKey() != -1) {
        for (int i = 0; i < m_Plots.size(); ++i) {
            if (m_Plots.at(i).m_Key != m_X.PlotKey())
                continue;
            CGraphPlot p = GetPlot(i);
            p.m_bVisible = true;
            UpdatePlot(p, i);
        }
    }
    if (plot && !timeAxis) {
        plot->m_bVisible = false;
        UpdatePlot(*plot, index);
        m_X.ChoosePlot(index);
    } else {
        m_X.DropPlot();
    }
}

void CGraphWindow::RepaintGraph(RepaintMode mode)
{
    m_RepaintMode = mode;
    repaint();
}

bool CGraphWindow::isLastActiveGraph() const
{
    return m_pHost && m_pHost->GetLastActiveGraph() == this;
}

void CGraphWindow::windowDeleted(QObject*)
{
}

void CGraphWindow::onGraphWindowStateChanged(Qt::WindowStates, Qt::WindowStates newState)
{
    if (newState == Qt::WindowActive && m_pHost)
        m_pHost->SetLastActiveGraph(this);
}

void CGraphWindow::changeEvent(QEvent* event)
{
    CKorvantaWindow::changeEvent(event);
}

void CGraphWindow::closeEvent(QCloseEvent* event)
{
    // A run or a tracking run drawn live keeps its graph.
    if (m_bRunning) {
        event->ignore();
        return;
    }
    m_pRedrawTimer->stop();
    if (m_pHost)
        m_pHost->GraphWindowClosing(this);
    CKorvantaWindow::closeEvent(event);
}

// ---- the run cycle ----

void FillRunPlot(CGraphPlot& plot, const CDataBranch& branch, const QString& runName, const CSensorInfo* catalogue,
                 CSetupInfo* setup)
{
    const int index = branch.m_SensorIndex;
    if (index == SensorIndexTimingResult) {
        plot.m_Name = branch.m_Name;
        plot.m_Unit = branch.m_Unit;
        plot.m_Min = 0.0f;
        plot.m_Max = 1.0f;
        plot.m_Color = branch.m_Color;
        return;
    }
    if (index >= SensorIndexOnlineFunction || index < 0) {
        // Results, video tracks, manual X values and fitted curves start with an empty range
        // that the first autoscale replaces.
        // A function computed during the run is named with it, as the run's measurements are:
        // the same function made afterwards from the run's data is then told apart from it.
        plot.m_Name = index == SensorIndexOnlineFunction ? runName + QStringLiteral("-") + branch.m_Name
                                                         : branch.m_Name;
        plot.m_Unit = branch.m_Unit;
        plot.m_Min = 1.0f;
        plot.m_Max = -1.0f;
        plot.m_Color = branch.m_Color;
        return;
    }
    const CSensorMeasuremntInfo* m = catalogue ? catalogue->GetMeasurementInfo(index, branch.m_Measurement) : nullptr;
    // The series' own name: it tells apart two sensors of one kind by their ports.
    const QString name = branch.m_Name.isEmpty() && m ? m->m_Name : branch.m_Name;
    plot.m_Name = runName + QStringLiteral("-") + name;
    const CGraphWindow::CPlotUnit unit = PlotUnitOf(catalogue, branch);
    plot.m_Unit = unit.unit;
    plot.m_UnitPrefix = plot.m_DataUnitPrefix = unit.prefix;
    CMeasurementSetup* ms = setup ? setup->Measurement(branch.m_Channel, index, branch.m_Measurement) : nullptr;
    if (!ms) {
        // No setup record for the branch (the setup changed since): the plot keeps its
        // defaults, coloured like its branch.
        plot.m_Color = branch.m_Color;
        return;
    }
    plot.m_Min = float(ms->m_Min);
    plot.m_Max = float(ms->m_Max);
    plot.m_Color = ms->m_Color;
    plot.m_bAutoScale = ms->m_ScaleType == 0;
    plot.m_Style = (ms->m_PlotStyle >= 0 && ms->m_PlotStyle <= 3) ? ms->m_PlotStyle : 0;
}

void CGraphWindow::StartRunning()
{
    if (!isLastActiveGraph())
        return;
    m_bRunning = true;
    m_pDataManager = m_pHost->GetDataManager();
    m_GraphType = TimeGraph;
    m_Cursors.DropPlots();
    m_Plots.clear();
    m_XYLayers.clear();
    m_bTimingRun = false;
    HideScaleCombos(true);
    m_X.DropPlot();
    m_MouseMode = MouseNormal;
    int xIndex = -1;

    CDataFolder* folder = (m_pDataManager && m_pDataManager->GetNumDataFolders() > 0)
                              ? m_pDataManager->GetLastDataFolder() : nullptr;
    if (folder) {
        const QString runName = folder->m_Name;
        CSetupInfo* setup = m_pHost->GetSetupInfo();
        const QVector<int> keys = folder->GetBranchKeys();
        for (int key : keys) {
            CDataBranch* branch = m_pDataManager->GetDataBranch(key);
            if (!branch)
                continue;   // a key that names no branch any more is passed over
            CGraphPlot plot;
            plot.m_Key = key;
            FillRunPlot(plot, *branch, runName, m_pHost ? m_pHost->GetSensorCatalogue() : nullptr,
                        m_pHost ? m_pHost->GetSetupInfo() : nullptr);
            if (setup) {
                if (setup->m_bManualX && setup->m_RateCode == 0) {
                    if (branch->m_SensorIndex == SensorIndexManualX)
                        xIndex = m_Plots.size();
                } else if (!setup->m_bXAxisDefault && branch->m_Channel == setup->m_XAxisChannel
                           && branch->m_Measurement == setup->m_XAxisMeasurement) {
                    xIndex = m_Plots.size();
                }
            }
            plot.m_RateCode = branch->m_RateCode;
            if (branch->m_SensorIndex == SensorIndexTimingResult) {
                m_GraphType = BarGraph;
                m_bTimingRun = true;
            }
            m_Plots.append(plot);
        }
        if (xIndex != -1) {
            CGraphPlot x = GetPlot(xIndex);
            SetXPlot(&x, false, xIndex);
        }
        notifyHasNewDataToSave();
    }
    BuildScaleCombos();
    m_bRescaleY = true;
    const ExperimentInterval interval = m_pHost->GetExperimentInterval(GetCommonRate(), 1, 12);
    m_X.OpenRun(m_bTimingRun, interval.m_PeriodSec);
    chooseFirstVisibleScales();
    if (m_X.PlotIndex() >= 0 && m_GraphType != BarGraph)
        m_GraphType = XYGraph;
    m_RepaintMode = RepaintFull;
    repaint();
    m_pRedrawTimer->start(s_RedrawMs);
    UpdateButtons();
    ResizeScaleCombos();
}

void CGraphWindow::UpdateTimer()
{
    const QRegion region = liveTickRegion();
    if (!region.isEmpty())
        repaint(region);
    m_RepaintMode = RepaintFull;
    RepositionScaleCombos();
}

void CGraphWindow::UpdateNewData()
{
    if (!isLive())
        return;
    if (m_bRescaleY) {
        QVector<bool> which(m_Plots.size());
        for (int i = 0; i < m_Plots.size(); ++i)
            which[i] = m_Plots.at(i).m_bAutoScale;
        autoScaleYAxes(which);
        update();
        m_bRescaleY = false;
    }
    if (m_X.TakeRescale()) {
        if (m_X.AutoScale())
            AutoScaleXAxis(true);
        MyOutputDebugString("graph update x", s_GraphModule);
        update();
    }
}

void CGraphWindow::EndRunning()
{
    if (m_bRunning) {
        m_bRunning = false;
        if (m_GraphType != BarGraph)
            AutoScaleAllAxis(false);
        update();
        m_pRedrawTimer->stop();
    }
    UpdateButtons();
}

// ---- branches made and deleted elsewhere ----

void CGraphWindow::DataDeleted(int key)
{
    m_bUpdatingPlots = true;
    bool removed = false;
    const CGraphX::FirstPositions before = m_X.FirstPlotPositions();
    for (int i = m_Plots.size() - 1; i >= 0; --i) {
        if (m_Plots.at(i).m_Key == key) {
            m_Plots.removeAt(i);
            removed = true;
        }
    }
    if (removed) {
        // The X-axis plot follows to its new position; the graph goes back to the time axis
        // when it went with the branch.
        const bool hadX = m_X.PlotIndex() >= 0;
        if (!m_X.PlotsRemoved(before) && hadX && m_GraphType == XYGraph)
            m_GraphType = TimeGraph;
        m_XYLayers.clear();
        m_Cursors.Detach(m_GraphType == BarGraph);
        BuildScaleCombos();
        ResizeScaleCombos();
    }
    m_bUpdatingPlots = false;
}

void CGraphWindow::OnAutoscale()
{
    AutoScaleAllAxis(isLive());
    m_RepaintMode = RepaintFull;
    repaint();
    UpdateButtons();
}

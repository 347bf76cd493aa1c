// What the graph does on downloads of stored runs, video-analysis runs and video playback:
// the last activated graph takes a downloaded run and a tracking run; every graph follows a
// playback of a run it shows up to the sample of the current frame.
#include "graph/GraphWindow.h"

#include "windowbase/ChildWindowHost.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"

#include <QComboBox>
#include <QTimer>

void CGraphWindow::ConnectReactions(CKorvantaSignals* hub)
{
    if (!hub)
        return;
    connect(hub, &CKorvantaSignals::LoggerDownloadFinshed, this, &CGraphWindow::LoggerDownloadNewData);
    connect(hub, &CKorvantaSignals::VideoAnalysisStart, this, &CGraphWindow::StartVideoAnalysisRun);
    connect(hub, &CKorvantaSignals::VideoAnalysisStop, this, &CGraphWindow::StopVideoAnalysisRun);
    connect(hub, &CKorvantaSignals::VideoPlaybackStart, this, &CGraphWindow::OnVideoPlaybackStart);
    connect(hub, &CKorvantaSignals::VideoPlaybackSample, this, &CGraphWindow::OnVideoPlaybackSample);
    connect(hub, &CKorvantaSignals::VideoPlaybackStop, this, &CGraphWindow::OnVideoPlaybackStop);
    connect(hub, &CKorvantaSignals::branchValuesChanged, this, &CGraphWindow::BranchValuesChanged);
}

void CGraphWindow::BranchValuesChanged(int key)
{
    bool shown = m_X.PlotKey() == key;
    for (const CGraphPlot& p : m_Plots)
        shown = shown || p.m_Key == key;
    if (!shown)
        return;
    // An XY curve keeps its settled samples as a picture: the edited one must be drawn anew.
    for (int i = m_XYLayers.size() - 1; i >= 0; --i)
        if (m_XYLayers.at(i).m_Key == key || m_XYLayers.at(i).m_XKey == key)
            m_XYLayers.removeAt(i);
    m_RepaintMode = RepaintFull;
    update();
}

void CGraphWindow::resetForNewPlots()
{
    if (m_pHost && m_pHost->GetDataManager())
        m_pDataManager = m_pHost->GetDataManager();
    HideScaleCombos(true);
    m_ScaleComboPlots.clear();
    m_X.DropPlot();
    m_GraphType = TimeGraph;
    m_Cursors.Off();
    m_Plots.clear();
    m_XYLayers.clear();
    m_MouseMode = MouseNormal;
}

CGraphPlot CGraphWindow::PlotFromBranch(const CDataBranch& branch) const
{
    CGraphPlot plot;
    plot.m_Key = branch.m_Key;
    plot.m_Name = branch.m_Name;
    const CPlotUnit unit = PlotUnitOf(m_pHost ? m_pHost->GetSensorCatalogue() : nullptr, branch);
    plot.m_Unit = unit.unit;
    plot.m_UnitPrefix = plot.m_DataUnitPrefix = unit.prefix;
    plot.m_Color = branch.m_Color.isValid() ? branch.m_Color : plot.m_Color;
    plot.m_RateCode = branch.m_RateCode;
    // An empty range that the autoscale after the plots are made replaces.
    plot.m_Min = 1.0f;
    plot.m_Max = -1.0f;
    return plot;
}

void CGraphWindow::appendFolderPlots(int folderKey)
{
    CDataManager* data = dataStore();
    const CDataFolder* folder = data ? data->GetDataFolder(folderKey) : nullptr;
    if (!folder)
        return;
    for (int key : folder->GetBranchKeys())
        if (const CDataBranch* branch = data->GetDataBranch(key))
            m_Plots.append(PlotFromBranch(*branch));
}

void CGraphWindow::prepareAxesForNewRun()
{
    m_bRescaleY = true;
    m_LeftScalePlot = 0;
    m_RightScalePlot = 1;
    // A scrolling graph opens on ten seconds' worth of samples (a rate the tables do not know
    // gives no period, and no such window).
    const ExperimentInterval interval =
        m_pHost ? m_pHost->GetExperimentInterval(GetCommonRate(), 1, 12) : ExperimentInterval{};
    m_X.OpenRun(m_bTimingRun, interval.m_PeriodSec);
}

void CGraphWindow::LoggerDownloadNewData(bool offlineRun)
{
    Q_UNUSED(offlineRun);
    if (!isLastActiveGraph())
        return;
    resetForNewPlots();
    CDataManager* data = dataStore();
    if (!data || data->GetNumDataFolders() == 0)
        return;
    // A downloaded run is shown as a run recorded here is: "Run N-" before each name, its
    // measurements in their setup colours and ranges.
    if (const CDataFolder* last = data->GetLastDataFolder()) {
        for (int key : last->GetBranchKeys()) {
            const CDataBranch* branch = data->GetDataBranch(key);
            if (!branch)
                continue;
            CGraphPlot plot;
            plot.m_Key = key;
            FillRunPlot(plot, *branch, last->m_Name, m_pHost ? m_pHost->GetSensorCatalogue() : nullptr,
                        m_pHost ? m_pHost->GetSetupInfo() : nullptr);
            plot.m_RateCode = branch->m_RateCode;
            m_Plots.append(plot);
        }
    }
    RepaintGraph(RepaintFull);
    AutoScaleAllAxis(false);
    BuildScaleCombos();
    chooseFirstVisibleScales();
    ResizeScaleCombos();
    notifyHasNewDataToSave();
    UpdateButtons();
    // The repaint above came before the scales fitted the run: without another the screen kept
    // the empty graph until something else redrew it.
    m_RepaintMode = RepaintFull;
    update();
}

void CGraphWindow::StartVideoAnalysisRun(int folderKey)
{
    if (!isLastActiveGraph())
        return;
    m_bRunning = true;
    m_bVideoAnalysisRun = true;
    resetForNewPlots();
    m_bTimingRun = false;
    appendFolderPlots(folderKey);
    notifyHasNewDataToSave();
    BuildScaleCombos();
    prepareAxesForNewRun();
    RepaintGraph(RepaintFull);
    m_pRedrawTimer->start(s_RedrawMs);
    UpdateButtons();
    ResizeScaleCombos();
}

void CGraphWindow::StopVideoAnalysisRun()
{
    // A tracking run ends as a logger run does.
    m_bVideoAnalysisRun = false;
    EndRunning();
}

void CGraphWindow::OnVideoPlaybackStart(int folderKey)
{
    CDataManager* data = dataStore();
    if (!data)
        return;
    for (int i = 0; i < m_Plots.size(); ++i) {
        const CDataFolder* folder = m_Plots.at(i).m_Key == -1 ? nullptr : data->GetDataFolderByBranch(m_Plots.at(i).m_Key);
        if (!folder || folder->m_Key != folderKey)
            continue;
        m_bVideoPlayback = true;
        prepareAxesForNewRun();
        return;
    }
}

void CGraphWindow::OnVideoPlaybackSample(int sample)
{
    if (!m_bVideoPlayback)
        return;
    m_LastShownSample = sample < 0 ? 0 : sample;
    UpdateNewData();
    RepaintGraph(RepaintFull);
}

void CGraphWindow::OnVideoPlaybackStop()
{
    m_LastShownSample = -1;
    m_bVideoPlayback = false;
    AutoScaleAllAxis(false);
    RepaintGraph(RepaintFull);
}

// The graph window's workspace record: the window, its plots with their annotations, the X-axis
// branch and the scale plots; and a graph built from a list of branch keys.
#include "graph/GraphWindow.h"

#include "analysis/FourierSpectrum.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/RecordIO.h"
#include "Core/Data/SensorInfo.h"
#include "windowbase/ChildWindowHost.h"

#include <QDataStream>

#include <algorithm>

namespace {
// The prefixes of a plot read from a record that did not hold them, from the unit its series is
// shown in. Such a record holds the unit without its prefix ("Pa" over kPa values) where the
// plot was made with one: the series says which. A unit the series does not show this way (the
// plot of a result, "kPa/s" with no prefix) stays as it was.
void TakePrefixes(CGraphPlot& plot, const CGraphWindow::CPlotUnit& unit)
{
    if (unit.prefix != 0 && plot.m_Unit == unit.unit)
        plot.m_UnitPrefix = plot.m_DataUnitPrefix = unit.prefix;
}

enum GraphRecordTag : qint16 { TagWindowBase = 1113, TagXKey = 1450, TagLeftScale = 1451, TagRightScale = 1452, TagGraphEnd = 1106 };
}

int CGraphWindow::saveToFile(QDataStream* stream)
{
    if (!stream)
        return -2;
    const int base = CKorvantaWindow::saveToFile(stream);
    if (base != 0)
        return base;
    QDataStream& out = *stream;
    for (const CGraphPlot& plot : m_Plots)
        plot.saveToFile(stream);
    const int xKey = m_GraphType == XYGraph ? m_X.PlotKey() : -1;
    out << qint16(TagXKey) << qint32(xKey);
    out << qint16(TagLeftScale) << qint32(m_LeftScalePlot);
    out << qint16(TagRightScale) << qint32(m_RightScalePlot);
    out << qint16(TagGraphEnd);
    return out.status() == QDataStream::Ok ? 0 : -2;
}

int CGraphWindow::loadFromFile(QDataStream* stream)
{
    if (!stream)
        return -4;
    QDataStream& in = *stream;
    m_GraphType = TimeGraph;
    m_Cursors.DropPlots();
    m_Plots.clear();
    m_XYLayers.clear();
    m_X.DropPlot();
    CDataManager* data = dataStore();
    qint32 xKey = -1;
    qint32 leftScale = -1, rightScale = -1;
    for (;;) {
        if (in.atEnd())
            return -4;
        quint16 tag = 0;
        in >> tag;
        if (in.status() != QDataStream::Ok)
            return -4;
        if (tag == TagGraphEnd)
            break;
        switch (tag) {
        case TagWindowBase: {
            const int result = CKorvantaWindow::loadFromFile(stream);
            if (result != 0)
                return result;
            break;
        }
        case CGraphPlot::TagStart: {
            CGraphPlot plot;
            if (plot.loadFromFile(stream) != 0)
                return -4;
            // A plot whose branch is gone is kept: it draws nothing until removed.
            const CDataBranch* branch = data ? data->GetDataBranch(plot.m_Key) : nullptr;
            if (branch && branch->m_SensorIndex == SensorIndexTimingResult)
                m_GraphType = BarGraph;
            if (branch && !plot.m_bPrefixesRead)
                TakePrefixes(plot, PlotUnitOf(m_pHost ? m_pHost->GetSensorCatalogue() : nullptr, *branch));
            m_Plots.append(plot);
            break;
        }
        case TagXKey:
            RecordIO::ReadField(in, xKey);
            break;
        case TagLeftScale:
            RecordIO::ReadField(in, leftScale);
            break;
        case TagRightScale:
            RecordIO::ReadField(in, rightScale);
            break;
        default:
            break;
        }
        if (in.status() != QDataStream::Ok)
            return -4;
    }
    // Files of earlier versions list a spectrum's frequency axis among the plots: it is the
    // spectrum's X, so it goes, and the saved scales keep naming the plots they named.
    for (int i = m_Plots.size() - 1; i >= 0; --i) {
        const CDataBranch* branch = data ? data->GetDataBranch(m_Plots.at(i).m_Key) : nullptr;
        if (!branch || m_Plots.at(i).m_Key == xKey || !IsFourierFrequencyAxis(data, branch))
            continue;
        m_Plots.removeAt(i);
        for (qint32* scale : {&leftScale, &rightScale})
            *scale = *scale == i ? -1 : (*scale > i ? *scale - 1 : *scale);
    }
    if (xKey != -1) {
        const int withoutXAxis = m_GraphType;
        m_GraphType = XYGraph;
        int index = -1;
        for (int i = 0; i < m_Plots.size(); ++i)
            if (m_Plots.at(i).m_Key == xKey)
                index = i;
        if (index >= 0) {
            CGraphPlot plot = m_Plots.at(index);
            // The scale combos are built once, below, for the whole plot list.
            takeXPlot(&plot, false, index);
            chooseFirstVisibleScales();
        } else {
            // The X-axis branch is none of the plots read (a damaged record): an XY graph
            // would have no X values to place its samples by, so it shows them against time.
            m_GraphType = withoutXAxis;
        }
    }
    // The pass over the plots has just found an autoscaled X range as a graph that is not live
    // takes it; the X plot's scale choice does not find it again.
    finishPlotsChange();
    takeXAxisScaleFromPlot(!isLive());
    // Bars of timing results show the last events as the end of their run showed them; left at
    // the axis' first ten, the later bars of a longer run were off the graph after an open.
    if (m_GraphType == BarGraph) {
        m_bTimingRun = true;
        AutoScaleXAxis(true);
    }
    // The scales the graph was saved with, where they still name a shown plot; otherwise the
    // first shown plots chosen above stay.
    auto shown = [this](qint32 index) { return index >= 0 && index < m_Plots.size() && m_Plots.at(index).m_bVisible; };
    if (shown(leftScale))
        m_LeftScalePlot = leftScale;
    if (shown(rightScale))
        m_RightScalePlot = rightScale;
    ResizeScaleCombos();
    RepaintGraph(RepaintFull);
    return 0;
}

CGraphWindow::CPlotUnit PlotUnitOf(const CSensorInfo* catalogue, const CDataBranch& branch)
{
    const bool measured = branch.m_SensorIndex >= 0 && branch.m_SensorIndex < SensorIndexOnlineFunction;
    const CSensorMeasuremntInfo* m =
        measured && catalogue ? catalogue->GetMeasurementInfo(branch.m_SensorIndex, branch.m_Measurement) : nullptr;
    if (m)
        return CGraphWindow::CPlotUnit{m->m_Unit, std::clamp<int>(m->m_UnitPrefix, 0, 3)};
    const short prefix = branch.m_UnitPrefix;
    const QString letter = GetUnitPrefix(prefix);
    if (prefix >= 1 && prefix <= 3 && branch.m_Unit.size() > letter.size() && branch.m_Unit.startsWith(letter))
        return CGraphWindow::CPlotUnit{branch.m_Unit.mid(letter.size()), prefix};
    // A tracked position reads "px" on the scale and at the cursors, as in the CSV export.
    return CGraphWindow::CPlotUnit{GraphCsv::ColumnUnit(branch.m_SensorIndex, branch.m_Unit), 0};
}

void CGraphWindow::AddPlotsFromKeyArray(const QList<int>& keys)
{
    CDataManager* data = dataStore();
    if (!data)
        return;
    const CSensorInfo* catalogue = m_pHost ? m_pHost->GetSensorCatalogue() : nullptr;
    bool added = false;
    for (int key : keys) {
        // Keys come from older files: each is looked up, one that names no branch is skipped.
        const CDataBranch* branch = key == -1 ? nullptr : data->GetDataBranch(key);
        if (!branch)
            continue;
        // The prefix the catalogue gives the measurement, else the series' own: older files
        // keep the unit text and its prefix apart ("V" beside milli).
        CGraphPlot plot = PlotFromBranch(*branch);
        const CSensorMeasuremntInfo* m =
            catalogue ? catalogue->GetMeasurementInfo(branch->m_SensorIndex, branch->m_Measurement) : nullptr;
        const int prefix = m ? m->m_UnitPrefix : branch->m_UnitPrefix;
        plot.m_UnitPrefix = plot.m_DataUnitPrefix = (prefix >= 0 && prefix <= 3) ? prefix : 0;
        m_Plots.append(plot);
        added = true;
    }
    if (added)
        notifyHasNewDataToSave();
    if (keys.isEmpty())
        return;
    // The combo boxes are rebuilt whole so their entries and the plot positions behind them
    // stay in step.
    BuildScaleCombos();
    prepareAxesForNewRun();
    chooseFirstVisibleScales();
    AutoScaleAllAxis(false);
    RepaintGraph(RepaintFull);
    ResizeScaleCombos();
}

void CGraphWindow::finishPlotsChange()
{
    AutoScaleAllAxis(false);
    BuildScaleCombos();
    chooseFirstVisibleScales();
    ResizeScaleCombos();
    RepaintGraph(RepaintFull);
}

void CGraphWindow::GetPlotKeys(QList<int>* keys)
{
    if (!keys)
        return;
    keys->clear();
    for (const CGraphPlot& plot : m_Plots)
        if (plot.m_Key != -1)
            keys->append(plot.m_Key);
}

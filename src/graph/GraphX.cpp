// What the X axis of a graph is and what a position on it is worth. An XY graph draws every
// curve against the X-axis quantity of the curve's own run: Run 3's temperature against Run 3's
// masses, never against the masses typed for another run. A run that holds no such values has
// no place on the axis; its series are not drawn, and a drop of them is answered with why.
#include "graph/GraphX.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "analysis/FourierSpectrum.h"
#include "analysis/Functions.h"
#include "analysis/XSeries.h"

#include <QCoreApplication>
#include <QSet>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace {

constexpr int s_XYChunk = 4096;

// The notices keep the window's translation context.
QString XText(const char* text)
{
    return QCoreApplication::translate("CGraphWindow", text);
}

QString XSeriesTitleOf(const CDataBranch& x)
{
    return x.m_Unit.isEmpty() ? x.m_Name : x.m_Name + QLatin1Char('(') + x.m_Unit + QLatin1Char(')');
}

} // namespace

CGraphX::CGraphX(const QList<CGraphPlot>& plots, const int& graphType, std::function<CDataManager*()> store)
    : m_Plots(plots), m_GraphType(graphType), m_Store(std::move(store))
{
}

void CGraphX::Reset()
{
    m_XMin = 0.0f;
    m_XMax = 10.0f;
    m_bRescaleX = false;
    DropPlot();
}

void CGraphX::OpenRun(bool timingRun, double periodSec)
{
    m_bRescaleX = false;
    m_XMin = 0.0f;
    m_XMax = OpeningSpan(timingRun, periodSec);
}

void CGraphX::ZoomTo(float a, float b)
{
    m_XMin = std::min(a, b);
    m_XMax = std::max(a, b);
}

void CGraphX::ScaleTo(float a, float b, bool autoscale)
{
    m_XPlot.m_bAutoScale = autoscale;
    ZoomTo(a, b);
}

void CGraphX::PanBy(float d)
{
    m_XMin -= d;
    m_XMax -= d;
}

void CGraphX::KeepInside(float count)
{
    const float span = m_XMax - m_XMin;
    if (m_XMin < 0.0f) {
        m_XMin = 0.0f;
        m_XMax = span;
    }
    if (m_XMax > count) {
        m_XMin = count - span;
        m_XMax = count;
    }
}

bool CGraphX::TakeRescale()
{
    const bool was = m_bRescaleX;
    m_bRescaleX = false;
    return was;
}

void CGraphX::takePlot(const CGraphPlot& plot)
{
    m_XPlot.init();
    m_XPlot.m_Key = plot.m_Key;
    m_XPlot.m_Min = plot.m_Min;
    m_XPlot.m_Max = plot.m_Max;
    m_XPlot.m_Color = plot.m_Color;
    m_XPlot.m_Name = plot.m_Name;
    m_XPlot.m_Unit = plot.m_Unit;
    m_XPlot.m_bAutoScale = plot.m_bAutoScale;
}

void CGraphX::ChoosePlot(int index)
{
    if (index < 0 || index >= m_Plots.size()) {
        DropPlot();
        return;
    }
    takePlot(m_Plots.at(index));
    m_XPlotIndex = index;
}

int CGraphX::ChoosePlotByKey(int key)
{
    int index = -1;
    for (int i = 0; key != -1 && i < m_Plots.size(); ++i)
        if (m_Plots.at(i).m_Key == key)
            index = i;
    ChoosePlot(index);
    return index;
}

void CGraphX::DropPlot()
{
    m_XPlot.init();
    m_XPlotIndex = -1;
}

bool CGraphX::FollowPlot()
{
    int found = -1;
    for (int i = 0; m_XPlot.m_Key != -1 && i < m_Plots.size(); ++i)
        if (m_Plots.at(i).m_Key == m_XPlot.m_Key)
            found = i;
    if (found == -1)
        DropPlot();
    m_XPlotIndex = found;
    return found != -1;
}

const CGraphPlot* CGraphX::TakeScaleChoice()
{
    if (m_XPlotIndex < 0 || m_XPlotIndex >= m_Plots.size())
        return nullptr;
    const CGraphPlot& plot = m_Plots.at(m_XPlotIndex);
    if (plot.m_Key != m_XPlot.m_Key)
        return nullptr;
    m_XPlot.m_bAutoScale = plot.m_bAutoScale;
    return &plot;
}

CGraphX::Kind CGraphX::KindOf(GraphRules::XAxisContent content)
{
    switch (content) {
    case GraphRules::XAxisContent::Time:
        return Kind::Time;
    case GraphRules::XAxisContent::Events:
        return Kind::Events;
    case GraphRules::XAxisContent::Frequency:
        return Kind::Frequency;
    case GraphRules::XAxisContent::Samples:
        break;
    }
    return Kind::Samples;
}

CGraphX::Kind CGraphX::AxisKind() const
{
    if (m_GraphType == XYGraph && m_XPlot.m_Key != -1)
        return Kind::Series;
    return KindOf(TimeAxisContent());
}

CDataBranch* CGraphX::Series(int index) const
{
    CDataManager* data = m_Store ? m_Store() : nullptr;
    if (index < 0 || index >= m_Plots.size() || !data)
        return nullptr;
    const int key = m_Plots.at(index).m_Key;
    return key == -1 ? nullptr : data->GetDataBranch(key);
}

GraphRules::XAxisContent CGraphX::SeriesPositionContent(const CDataBranch* branch) const
{
    CDataManager* data = m_Store ? m_Store() : nullptr;
    const int sensor = branch ? branch->m_SensorIndex : SensorIndexNone;
    const bool fourier = branch && IsFourierResult(data, branch);
    // How the series' run was sampled is what the run's record says: a series read from a file
    // has lost its rate code.
    const bool byHand = branch && data && data->IsSampledByHand(branch->m_Key);
    // Without a series the positions count seconds of one second each.
    const double interval = branch ? branch->m_Interval : 1.0;
    return GraphRules::TimeAxisContent(false, sensor, fourier,
                                       byHand ? GraphRules::Sampling::ByHand : GraphRules::Sampling::Timed, interval);
}

GraphRules::XAxisContent CGraphX::PositionContent(int index) const
{
    // A bar graph's bars are events, whatever their series.
    if (m_GraphType == BarGraph)
        return GraphRules::XAxisContent::Events;
    return SeriesPositionContent(Series(index));
}

GraphRules::XAxisContent CGraphX::RememberedPositionContent(int index, const CDataBranch* branch) const
{
    if (!branch || index < 0)
        return SeriesPositionContent(branch);
    if (size_t(index) >= m_PositionMemo.size())
        m_PositionMemo.resize(size_t(index) + 1);
    CPositionMemo& m = m_PositionMemo[index];
    if (m.m_pBranch != branch || m.m_Key != branch->m_Key || m.m_SensorIndex != branch->m_SensorIndex
        || m.m_RelatedKey != branch->m_RelatedKey || !(m.m_Interval == branch->m_Interval)
        || !branch->m_MarkedPositions.isEmpty())
        m = CPositionMemo{branch, branch->m_Key, branch->m_SensorIndex, branch->m_RelatedKey, branch->m_Interval,
                          SeriesPositionContent(branch)};
    return m.m_Content;
}

double CGraphX::PositionStep(int index) const
{
    const CDataBranch* b = Series(index);
    return GraphRules::PositionStep(PositionContent(index), b ? b->m_Interval : 1.0);
}

QString CGraphX::PositionText(int index, double positions) const
{
    const CDataBranch* b = Series(index);
    return GraphRules::PositionText(positions, PositionContent(index), b ? b->m_Interval : 1.0);
}

GraphRules::XAxisContent CGraphX::TimeAxisContent() const
{
    return PositionContent(0);
}

double CGraphX::AxisStep() const
{
    // The labels are positions times what a position of the first plot's series is worth: that
    // series says what they count.
    return PositionStep(0);
}

double CGraphX::PlotScale(int index) const
{
    if (m_GraphType != TimeGraph || index <= 0 || index >= m_Plots.size())
        return 1.0;
    const CDataBranch* axis = Series(0);
    const CDataBranch* own = Series(index);
    // Series at one interval stand one sample a position, whatever they count: the common
    // case asks nothing of the store.
    if (!own || (axis && axis->m_Interval == own->m_Interval))
        return 1.0;
    return GraphRules::PositionsPerSample(PositionContent(0), axis ? axis->m_Interval : 1.0, PositionContent(index),
                                          own->m_Interval);
}

GraphRules::Range CGraphX::PlotRange(int index) const
{
    const double s = PlotScale(index);
    if (s == 1.0)
        return GraphRules::Range{m_XMin, m_XMax};
    return GraphRules::Range{float(double(m_XMin) / s), float(double(m_XMax) / s)};
}

float CGraphX::ColumnToX(int column, const QRect& rect) const
{
    const int w = rect.right() - rect.left();
    if (w == 0)
        return m_XMin;
    return m_XMin + (m_XMax - m_XMin) * (float(column - rect.left()) / float(w));
}

float CGraphX::PlotColumnToX(int index, int column, const QRect& rect) const
{
    return float(double(ColumnToX(column, rect)) / PlotScale(index));
}

long CGraphX::PlotSampleEnd(int index, long to) const
{
    const double s = PlotScale(index);
    if (to < 0 || s == 1.0)
        return to;
    // The samples that stand left of the position: a partly shown position shows its sample.
    const double end = std::ceil(double(to) / s - 1.0e-9);
    return end >= double(LONG_MAX / 2) ? LONG_MAX / 2 : long(end);
}

CGraphX::FirstPositions CGraphX::FirstPlotPositions() const
{
    const CDataBranch* first = m_Plots.isEmpty() ? nullptr : Series(0);
    return first ? FirstPositions{PositionContent(0), first->m_Interval} : FirstPositions{};
}

void CGraphX::KeepRange(const FirstPositions& before)
{
    if (m_GraphType != TimeGraph || before.interval <= 0.0)
        return;
    const FirstPositions now = FirstPlotPositions();
    if (now.interval <= 0.0)
        return;
    // Positions of the old first series times this are positions of the new one (1 where they
    // count different things or the ratio is out of reach).
    const double s = GraphRules::PositionsPerSample(now.content, now.interval, before.content, before.interval);
    if (s == 1.0)
        return;
    m_XMin = float(double(m_XMin) * s);
    m_XMax = float(double(m_XMax) * s);
}

bool CGraphX::PlotsRemoved(const FirstPositions& before)
{
    KeepRange(before);
    return FollowPlot();
}

int CGraphX::LongestVisiblePlot() const
{
    // Longest in time: a run at a higher rate holds more samples over the same seconds.
    int best = -1;
    double bestSpan = -1.0;
    for (int i = m_Plots.size() - 1; i >= 0; --i) {
        const CGraphPlot& p = m_Plots.at(i);
        if (!p.m_bVisible || p.m_Key == -1)
            continue;
        const CDataBranch* b = Series(i);
        if (!b)
            continue;
        const double span = double(b->GetXSize()) * PlotScale(i);
        if (span > bestSpan) {
            best = i;
            bestSpan = span;
        }
    }
    return best;
}

QString CGraphX::PlotTitle(const CGraphPlot& plot)
{
    if (plot.m_Unit.isEmpty())
        return plot.m_Name;
    return plot.m_Name + QStringLiteral("(") + GetUnitPrefix(short(plot.m_UnitPrefix)) + plot.m_Unit
        + QStringLiteral(")");
}

CGraphPlot CGraphX::AxisPlot() const
{
    if (m_XPlot.m_Key == -1)
        return m_XPlot;
    if (m_XPlotIndex >= 0 && m_XPlotIndex < m_Plots.size() && m_Plots.at(m_XPlotIndex).m_Key == m_XPlot.m_Key)
        return m_Plots.at(m_XPlotIndex);
    for (const CGraphPlot& p : m_Plots)
        if (p.m_Key == m_XPlot.m_Key)
            return p;
    return m_XPlot;
}

double CGraphX::AxisMultiplier() const
{
    const CGraphPlot p = AxisPlot();
    const double m = GetMultiplier(short(p.m_DataUnitPrefix), short(p.m_UnitPrefix));
    return std::isfinite(m) && m > 0.0 ? m : 1.0;
}

QString CGraphX::AxisUnit() const
{
    const CGraphPlot p = AxisPlot();
    return p.m_Unit.isEmpty() ? QString() : GetUnitPrefix(short(p.m_UnitPrefix)) + p.m_Unit;
}

QString CGraphX::AxisTitle() const
{
    if (m_GraphType == XYGraph)
        return PlotTitle(AxisPlot());
    if (m_GraphType != TimeGraph && m_GraphType != BarGraph)
        return QString();
    return GraphRules::TimeAxisTitle(TimeAxisContent());
}

QString CGraphX::CsvTitle() const
{
    // The rows are positions of the first series written, and say what the axis says they are.
    for (int i = 0; i < m_Plots.size(); ++i)
        if (Series(i))
            return GraphRules::TimeAxisCsvTitle(PositionContent(i));
    return GraphRules::TimeAxisName(GraphRules::XAxisContent::Samples);
}

CDataBranch* CGraphX::XBranchOfPlot(int index) const
{
    CDataManager* data = m_Store ? m_Store() : nullptr;
    if (!data || m_XPlot.m_Key == -1 || index < 0 || index >= m_Plots.size())
        return nullptr;
    const CDataBranch* branch = data->GetDataBranch(m_Plots.at(index).m_Key);
    CDataBranch* own = branch ? data->GetOwnXBranch(branch->m_Key, m_XPlot.m_Key) : nullptr;
    return own && StandsOnXSeries(*branch, *own) ? own : nullptr;
}

bool CGraphX::StandsOnTimeAxis(const CDataBranch& series, GraphRules::XAxisContent axis) const
{
    // A fitted curve's equation is in the X series it was fitted on, not in time.
    if (FittedXKey(series) >= 0)
        return false;
    return GraphRules::SameTimeAxis(SeriesPositionContent(&series), axis);
}

bool CGraphX::StandsOnXSeries(const CDataBranch& series, const CDataBranch& ownX) const
{
    // A fitted curve is the curve of its equation only against the series it was fitted on.
    if (series.m_SensorIndex == CFunctions::CurveFitResultIndex)
        return FittedXKey(series) == ownX.m_Key;
    // Sample i stands on entry i of the X values: both count positions of one kind (the bins of
    // a spectrum stand on its frequency axis, not on a run's pressures).
    return GraphRules::SameTimeAxis(SeriesPositionContent(&series), SeriesPositionContent(&ownX));
}

QString CGraphX::SeriesXTitle(const CDataBranch& series) const
{
    CDataManager* data = m_Store ? m_Store() : nullptr;
    if (const CDataBranch* x = data ? data->GetDataBranch(FittedXKey(series)) : nullptr)
        return XSeriesTitleOf(*x);
    return GraphRules::TimeAxisTitle(SeriesPositionContent(&series));
}

QString CGraphX::XSeriesTitle() const
{
    CDataManager* data = m_Store ? m_Store() : nullptr;
    const CDataBranch* x = data ? data->GetDataBranch(m_XPlot.m_Key) : nullptr;
    return x ? XSeriesTitleOf(*x) : QString();
}

long long CGraphX::XYSampleOffset(int index) const
{
    const CDataBranch* branch = Series(index);
    long long offset = 0;
    if (!branch || branch->GetXSize() == 0 || !XSeriesOffset(branch->GetXSample(0), offset))
        return 0;
    return offset;
}

double CGraphX::XYSampleX(int index, long long sample) const
{
    const CDataBranch* xBranch = XBranchOfPlot(index);
    const long long entry = sample + XYSampleOffset(index);
    if (!xBranch || sample < 0 || entry < 0 || entry >= xBranch->GetYSize())
        return MissingValue;
    return xBranch->GetYSample(int(entry));
}

int CGraphX::NearestXYSample(int index, const QPoint& point, const QRect& rect, double* distance2) const
{
    // Each curve stands on the X values of its own run.
    const CDataBranch* xBranch = XBranchOfPlot(index);
    const CDataBranch* branch = Series(index);
    if (!xBranch || !branch)
        return -1;
    const CGraphPlot& plot = m_Plots.at(index);
    int bestSample = -1;
    double best = std::numeric_limits<double>::infinity();
    QVector<double> xs, ys;
    // Only samples that stand on an X value have a point: sample i on entry i + offset, as the
    // curve is drawn (a fitted curve's first sample stands where its range began).
    const long long offset = XYSampleOffset(index);
    const long long from = std::max<long long>(0, -offset);
    if (from > INT_MAX || from + offset > INT_MAX)
        return -1;
    for (int first = int(from);;) {
        const long long entry = first + offset;
        if (entry > INT_MAX)
            break;
        const int n = std::min(branch->CopyYRange(first, s_XYChunk, ys), xBranch->CopyYRange(int(entry), s_XYChunk, xs));
        if (n <= 0)
            break;
        for (int k = 0; k < n; ++k) {
            const double px = GraphRules::ToPixelX(float(xs.at(k)), m_XMin, m_XMax, rect);
            const double py = GraphRules::ToPixelY(float(ys.at(k)), plot.m_Min, plot.m_Max, rect);
            const double d2 = (py - point.y()) * (py - point.y()) + (px - point.x()) * (px - point.x());
            if (d2 < best) {
                best = d2;
                bestSample = first + k;
            }
        }
        first += n;
    }
    if (distance2)
        *distance2 = best;
    return bestSample;
}

bool CGraphX::PlotIsDrawn(int index) const
{
    return PlotIsDrawn(index, m_XPlot.m_Key == -1 ? TimeAxisContent() : GraphRules::XAxisContent::Samples);
}

bool CGraphX::PlotIsDrawn(int index, GraphRules::XAxisContent axis) const
{
    if (index < 0 || index >= m_Plots.size() || !m_Plots.at(index).m_bVisible)
        return false;
    // Asked also while the X axis changes, before the graph type follows it.
    if (m_XPlot.m_Key != -1)
        return XBranchOfPlot(index);
    const CDataBranch* branch = Series(index);
    if (branch && IsFourierFrequencyAxis(m_Store ? m_Store() : nullptr, branch))
        return false;
    return !branch || StandsOnTimeAxis(*branch, axis);
}

bool CGraphX::DrawnXRange(float& lo, float& hi) const
{
    float l = 9999999.0f, h = -9999999.0f;
    bool any = false;
    QSet<int> seen;
    for (int i = 0; i < m_Plots.size(); ++i) {
        // A plot is drawn on an XY graph where it is visible and has X values (PlotIsDrawn):
        // those are looked up once.
        const CDataBranch* xb = m_Plots.at(i).m_bVisible ? XBranchOfPlot(i) : nullptr;
        if (!xb || seen.contains(xb->m_Key))
            continue;
        seen.insert(xb->m_Key);
        any = xb->GetYMinMax(0, xb->GetYSize(), l, h) || any;
    }
    if (!any)
        return false;
    // In stored values, as the axis range is kept.
    lo = l;
    hi = h;
    return true;
}

QList<int> CGraphX::KeysWithoutOwnX(const QList<int>& keys, QStringList* runs) const
{
    QList<int> refused;
    CDataManager* data = m_Store ? m_Store() : nullptr;
    if (!data || m_GraphType != XYGraph || m_XPlot.m_Key == -1)
        return refused;
    QSet<QString> named = runs ? QSet<QString>(runs->cbegin(), runs->cend()) : QSet<QString>();
    for (int key : keys) {
        if (data->GetOwnXBranch(key, m_XPlot.m_Key))
            continue;
        refused.append(key);
        const CDataFolder* run = data->GetRunOfBranch(key);
        const QString name = run ? run->m_Name : QString();
        if (runs && !name.isEmpty() && !named.contains(name)) {
            named.insert(name);
            runs->append(name);
        }
    }
    return refused;
}

QString CGraphX::NoOwnXText(const QStringList& runs, const QString& xTitle)
{
    return XText("%1 has no %2 values: its series cannot be drawn against %2.\n"
                     "Drag it into another graph, or choose another X axis for this one.")
        .arg(runs.join(QStringLiteral(", ")), xTitle);
}

QList<int> CGraphX::KeysOffTheXAxis(const QList<int>& keys, QString* graphX, QMap<QString, QList<int>>* byX) const
{
    QList<int> refused;
    CDataManager* data = m_Store ? m_Store() : nullptr;
    if (!data)
        return refused;
    // The X this graph stands on: its first plot's, or, on an empty graph, that of the first
    // series dropped that can stand on a time axis. An XY graph places each series on the X
    // values of its own run.
    const bool xy = m_GraphType == XYGraph && m_XPlot.m_Key != -1;
    bool known = !m_Plots.isEmpty();
    GraphRules::XAxisContent axis = known && !xy ? PositionContent(0) : GraphRules::XAxisContent::Time;
    QString title = known ? AxisTitle() : QString();
    for (int key : keys) {
        const CDataBranch* b = data->GetDataBranch(key);
        if (!b)
            continue;
        if (xy) {
            // A run without values of the X axis is named by KeysWithoutOwnX.
            const CDataBranch* own = data->GetOwnXBranch(key, m_XPlot.m_Key);
            if (!own || StandsOnXSeries(*b, *own))
                continue;
        } else if (!known && FittedXKey(*b) < 0) {
            axis = SeriesPositionContent(b);
            title = GraphRules::TimeAxisTitle(axis);
            known = true;
            continue;
        } else if (known && StandsOnTimeAxis(*b, axis)) {
            continue;
        }
        refused.append(key);
        if (byX)
            (*byX)[SeriesXTitle(*b)].append(key);
    }
    if (graphX)
        *graphX = known ? title : GraphRules::TimeAxisTitle(GraphRules::XAxisContent::Time);
    return refused;
}

QString CGraphX::OffTheXAxisText(const QString& graphX, const QString& theirX, const QStringList& series, bool fitted)
{
    // A long drop is named by its first few series.
    constexpr int shown = 6;
    QString names = QStringList(series.mid(0, shown)).join(QStringLiteral(", "));
    if (series.size() > shown)
        names += QLatin1Char(' ') + XText("and %1 more").arg(series.size() - shown);
    // A curve fitted against a series is drawn only against that series: a graph of its own,
    // whose X would be time, would not show it either.
    if (fitted)
        return XText("Not drawn: %1.\nThey were fitted against %2, and this graph's X axis is %3. "
                         "They are drawn on a graph whose X axis is %2.")
            .arg(names, theirX, graphX);
    return XText("Not drawn: %1.\nTheir X values are %2, and this graph's X axis is %3. "
                     "Drag them into a graph of their own.")
        .arg(names, theirX, graphX);
}

QStringList CGraphX::NotDrawnTexts() const
{
    CDataManager* data = m_Store ? m_Store() : nullptr;
    QMap<QString, QStringList> offAxis;
    QSet<QString> fitted;
    QStringList runs;
    const GraphRules::XAxisContent axis = m_XPlot.m_Key == -1 ? TimeAxisContent() : GraphRules::XAxisContent::Samples;
    for (int i = 0; i < m_Plots.size(); ++i) {
        const CDataBranch* b = Series(i);
        if (!data || !b || !m_Plots.at(i).m_bVisible || PlotIsDrawn(i, axis))
            continue;
        if (m_XPlot.m_Key != -1 && !data->GetOwnXBranch(b->m_Key, m_XPlot.m_Key)) {
            const CDataFolder* run = data->GetRunOfBranch(b->m_Key);
            if (run && !runs.contains(run->m_Name))
                runs << run->m_Name;
            continue;
        }
        const QString theirX = SeriesXTitle(*b);
        offAxis[theirX] << m_Plots.at(i).m_Name;
        if (FittedXKey(*b) >= 0)
            fitted.insert(theirX);
    }
    QStringList texts;
    const QString graphX = AxisTitle();
    for (auto it = offAxis.cbegin(); it != offAxis.cend(); ++it)
        texts << OffTheXAxisText(graphX, it.key(), it.value(), fitted.contains(it.key()));
    if (!runs.isEmpty())
        texts << NoOwnXText(runs, graphX);
    return texts;
}

QString CGraphX::MidPointLabel(int parentPlot, double x, double y) const
{
    // A time graph's positions count samples: the label reads them in the axis's unit.
    const QString xText = m_GraphType == XYGraph ? Double2String(x * AxisMultiplier(), 2, false, false) + AxisUnit()
                                                 : PositionText(parentPlot, x);
    const CGraphPlot plot = (parentPlot >= 0 && parentPlot < m_Plots.size()) ? m_Plots.at(parentPlot) : CGraphPlot();
    const double m = GetMultiplier(short(plot.m_DataUnitPrefix), short(plot.m_UnitPrefix));
    return QStringLiteral("X=") + xText + QStringLiteral(",Y=") + Double2String(y * m, 2, false, false)
        + GetUnitPrefix(short(plot.m_UnitPrefix)) + plot.m_Unit;
}


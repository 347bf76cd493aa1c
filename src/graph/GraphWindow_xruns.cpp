// An XY graph draws every curve against the X-axis quantity of the curve's own run: Run 3's
// temperature against Run 3's masses, never against the masses typed for another run. A run
// that holds no such values has no place on the axis; its series are not drawn, and a drop of
// them is answered with why.
#include "graph/GraphWindow.h"

#include "windowbase/Prompter.h"
#include "analysis/XSeries.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "analysis/Functions.h"

#include <QMap>
#include <QSet>
#include <QStringList>

CDataBranch* CGraphWindow::XBranchOfPlot(int index) const
{
    CDataManager* data = dataStore();
    if (!data || m_XPlot.m_Key == -1 || index < 0 || index >= m_Plots.size())
        return nullptr;
    const CDataBranch* branch = data->GetDataBranch(m_Plots.at(index).m_Key);
    CDataBranch* own = branch ? data->GetOwnXBranch(branch->m_Key, m_XPlot.m_Key) : nullptr;
    return own && StandsOnXSeries(*branch, *own) ? own : nullptr;
}

bool CGraphWindow::StandsOnTimeAxis(const CDataBranch& series, GraphRules::XAxisContent axis) const
{
    // A fitted curve's equation is in the X series it was fitted on, not in time.
    if (FittedXKey(series) >= 0)
        return false;
    return GraphRules::SameTimeAxis(SeriesPositionContent(&series), axis);
}

bool CGraphWindow::StandsOnXSeries(const CDataBranch& series, const CDataBranch& ownX) const
{
    // A fitted curve is the curve of its equation only against the series it was fitted on.
    if (series.m_SensorIndex == CFunctions::CurveFitResultIndex)
        return FittedXKey(series) == ownX.m_Key;
    // Sample i stands on entry i of the X values: both count positions of one kind (the bins of
    // a spectrum stand on its frequency axis, not on a run's pressures).
    return GraphRules::SameTimeAxis(SeriesPositionContent(&series),
                                    SeriesPositionContent(&ownX));
}

QString CGraphWindow::SeriesXTitle(const CDataBranch& series) const
{
    CDataManager* data = dataStore();
    if (const CDataBranch* x = data ? data->GetDataBranch(FittedXKey(series)) : nullptr)
        return x->m_Unit.isEmpty() ? x->m_Name : x->m_Name + QLatin1Char('(') + x->m_Unit + QLatin1Char(')');
    return GraphRules::TimeAxisTitle(SeriesPositionContent(&series));
}

long long CGraphWindow::XYSampleOffset(int index) const
{
    const CDataBranch* branch = GetDataBranch(index);
    long long offset = 0;
    if (!branch || branch->GetXSize() == 0 || !XSeriesOffset(branch->GetXSample(0), offset))
        return 0;
    return offset;
}

double CGraphWindow::XYSampleX(int index, long long sample) const
{
    const CDataBranch* xBranch = XBranchOfPlot(index);
    const long long entry = sample + XYSampleOffset(index);
    if (!xBranch || sample < 0 || entry < 0 || entry >= xBranch->GetYSize())
        return MissingValue;
    return xBranch->GetYSample(int(entry));
}

bool CGraphWindow::PlotIsDrawn(int index) const
{
    return PlotIsDrawn(index, m_XPlot.m_Key == -1 ? timeAxisContent() : GraphRules::XAxisContent::Samples);
}

bool CGraphWindow::PlotIsDrawn(int index, GraphRules::XAxisContent axis) const
{
    if (index < 0 || index >= m_Plots.size() || !m_Plots.at(index).m_bVisible)
        return false;
    // Asked also while the X axis changes, before the graph type follows it.
    if (m_XPlot.m_Key != -1)
        return XBranchOfPlot(index);
    const CDataBranch* branch = GetDataBranch(index);
    return !branch || StandsOnTimeAxis(*branch, axis);
}

bool CGraphWindow::DrawnXRange(float& lo, float& hi) const
{
    float l = 9999999.0f, h = -9999999.0f;
    bool any = false;
    QSet<int> seen;
    for (int i = 0; i < m_Plots.size(); ++i) {
        const CDataBranch* xb = PlotIsDrawn(i) ? XBranchOfPlot(i) : nullptr;
        if (!xb || seen.contains(xb->m_Key))
            continue;
        seen.insert(xb->m_Key);
        any = xb->GetYMinMax(0, xb->GetYSize(), l, h) || any;
    }
    if (!any)
        return false;
    const float f = float(GetMultiplier(0, short(m_XPlot.m_DataUnitPrefix)));
    lo = l * f;
    hi = h * f;
    return true;
}

QList<int> CGraphWindow::KeysWithoutOwnX(const QList<int>& keys, QStringList* runs) const
{
    QList<int> refused;
    CDataManager* data = dataStore();
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

QString CGraphWindow::NoOwnXText(const QStringList& runs, const QString& xTitle)
{
    return tr("%1 has no %2 values: its series cannot be drawn against %2.\n"
              "Drag it into another graph, or choose another X axis for this one.")
        .arg(runs.join(QStringLiteral(", ")), xTitle);
}

void CGraphWindow::SayNoOwnX(const QStringList& runs)
{
    CDataManager* data = dataStore();
    const CDataBranch* x = data ? data->GetDataBranch(m_XPlot.m_Key) : nullptr;
    if (runs.isEmpty() || !x)
        return;
    const QString title = x->m_Unit.isEmpty() ? x->m_Name : x->m_Name + QLatin1Char('(') + x->m_Unit + QLatin1Char(')');
    graphPrompter()->information(this, tr("Graph"), NoOwnXText(runs, title));
}

QStringList CGraphWindow::NotDrawnTexts() const
{
    CDataManager* data = dataStore();
    QMap<QString, QStringList> offAxis;
    QSet<QString> fitted;
    QStringList runs;
    const GraphRules::XAxisContent axis = m_XPlot.m_Key == -1 ? timeAxisContent() : GraphRules::XAxisContent::Samples;
    for (int i = 0; i < m_Plots.size(); ++i) {
        const CDataBranch* b = GetDataBranch(i);
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
    const QString graphX = XAxisTitle();
    for (auto it = offAxis.cbegin(); it != offAxis.cend(); ++it)
        texts << OffTheXAxisText(graphX, it.key(), it.value(), fitted.contains(it.key()));
    if (!runs.isEmpty())
        texts << NoOwnXText(runs, graphX);
    return texts;
}

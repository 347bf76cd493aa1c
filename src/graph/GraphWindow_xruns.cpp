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

#include <QSet>
#include <QStringList>

CDataBranch* CGraphWindow::XBranchOfPlot(int index) const
{
    CDataManager* data = dataStore();
    if (!data || m_XPlot.m_Key == -1 || index < 0 || index >= m_Plots.size())
        return nullptr;
    return data->GetOwnXBranch(m_Plots.at(index).m_Key, m_XPlot.m_Key);
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
    if (index < 0 || index >= m_Plots.size() || !m_Plots.at(index).m_bVisible)
        return false;
    // Asked also while the X axis changes, before the graph type follows it.
    return m_XPlot.m_Key == -1 || XBranchOfPlot(index);
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

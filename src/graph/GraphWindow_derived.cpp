// Series derived from a shown one (fits, functions, derivatives): the scale a derived curve
// shares with its source when both are in one unit, the colour a new one takes, and the
// equations of the fits written in the plot area in the units of its axes.
#include "graph/GraphWindow.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SeriesNames.h"
#include "analysis/FitEquation.h"
#include "analysis/FourierSpectrum.h"
#include "analysis/Functions.h"
#include "analysis/XSeries.h"
#include "graph/GraphRules.h"
#include "windowbase/ChildWindowHost.h"
#include "windowbase/Prompter.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

// The colours of the curves shown (the X axis' among them).
QList<QColor> ShownColors(const QList<CGraphPlot>& plots, const CGraphX& x)
{
    QList<QColor> colors;
    for (const CGraphPlot& p : plots)
        if (p.m_bVisible)
            colors << p.m_Color;
    if (x.PlotKey() != -1)
        colors << x.Plot().m_Color;
    return colors;
}

// A fitted curve of a fitted curve of ...: a chain longer than this is no chain we made.
constexpr int s_MaxDerivation = 8;

bool IsDerived(const CDataBranch& b)
{
    return b.m_SensorIndex == CFunctions::FunctionResultIndex || b.m_SensorIndex == CFunctions::CurveFitResultIndex;
}

// The series a derived one was computed from. A function computed while a run records belongs
// to the run's folder, so its source is named by its parent key; a result of stored data belongs
// to its source.
int SourceKeyOf(const CDataBranch& b)
{
    return b.m_ParentKey >= 0 ? b.m_ParentKey : b.m_OwnerKey;
}

// Whether a derived series is in the unit of its source (the unit text holds the prefix: "kPa"
// is one unit whatever prefix code either names). The results of a tracked position are in its
// px, a slope of it against the tracked X is a pure number; a fit read from an older file
// carries the empty unit of the position it was fitted to.
bool InSourceUnit(const CDataBranch& source, const CDataBranch& derived)
{
    if (SeriesNames::UnitOf(source) == SeriesNames::UnitOf(derived))
        return true;
    return derived.m_SensorIndex == CFunctions::CurveFitResultIndex && source.m_Unit == derived.m_Unit;
}

} // namespace

CGraphWindow::CScaleMap CGraphWindow::ScaleMap() const
{
    const int n = m_Plots.size();
    CScaleMap map;
    map.m_Branches.resize(n);
    map.m_ScaleOf.resize(n);
    CDataManager* data = dataStore();
    // The first shown plot of each series, so that a source is found by its key, not by a walk
    // of the list for every derived plot.
    QHash<int, int> firstShown;
    firstShown.reserve(n);
    for (int i = 0; i < n; ++i) {
        const CGraphPlot& p = m_Plots.at(i);
        map.m_Branches[i] = (data && p.m_Key != -1) ? data->GetDataBranch(p.m_Key) : nullptr;
        if (p.m_bVisible && p.m_Key != -1 && !firstShown.contains(p.m_Key))
            firstShown.insert(p.m_Key, i);
    }
    // One step from each plot: the shown plot of its source when the two are in one unit.
    QVector<int> step(n);
    for (int i = 0; i < n; ++i) {
        step[i] = i;
        const CDataBranch* b = map.m_Branches.at(i);
        // A spectrum is in its source's unit but holds amplitudes of frequencies, not values.
        if (!b || !IsDerived(*b) || SourceKeyOf(*b) < 0 || IsFourierResult(data, b))
            continue;
        const int source = firstShown.value(SourceKeyOf(*b), -1);
        const CDataBranch* s = source >= 0 && source != i ? map.m_Branches.at(source) : nullptr;
        if (s && InSourceUnit(*s, *b))
            step[i] = source;
    }
    for (int i = 0; i < n; ++i) {
        int current = i;
        for (int depth = 0; depth < s_MaxDerivation && step.at(current) != current; ++depth)
            current = step.at(current);
        map.m_ScaleOf[i] = current;
    }
    return map;
}

int CGraphWindow::ScalePlotOf(int index) const
{
    if (index < 0 || index >= m_Plots.size())
        return index;
    return ScaleMap().m_ScaleOf.at(index);
}

void CGraphWindow::shareScales(const CScaleMap& map)
{
    for (int i = 0; i < m_Plots.size() && i < map.m_ScaleOf.size(); ++i) {
        const int s = map.m_ScaleOf.at(i);
        if (s == i)
            continue;
        const CGraphPlot& source = m_Plots.at(s);
        CGraphPlot& p = m_Plots[i];
        p.m_Min = source.m_Min;
        p.m_Max = source.m_Max;
        p.m_bLogScale = source.m_bLogScale;
        p.m_UnitPrefix = source.m_UnitPrefix;
        p.m_DataUnitPrefix = source.m_DataUnitPrefix;
        p.m_Unit = source.m_Unit;
    }
}

void CGraphWindow::NewFunctionData(int datKey, int sourceKey1, int)
{
    if (!isLastActiveGraph())
        return;
    if (!m_pDataManager)
        m_pDataManager = dataStore();
    CDataBranch* branch = dataStore() ? dataStore()->GetDataBranch(datKey) : nullptr;
    // A spectrum's frequency axis is its X, which the spectrum's graph shows as its axis.
    if (!branch || IsFourierFrequencyAxis(dataStore(), branch) || !takesNewResult(*branch))
        return;
    CGraphPlot plot;
    plot.m_Key = datKey;
    // A new curve is told apart from every one already shown.
    plot.m_Color = GraphRules::UnusedPaletteColor(ShownColors(m_Plots, m_X), m_Plots.size());
    // The series keeps the colour it is drawn in, so that a table showing it heads its column in
    // that colour, as a measured series has its setup's colour everywhere.
    branch->m_Color = plot.m_Color;
    plot.m_Name = branch->m_Name;
    // Its titles, read-outs and X caption name the unit it is in; a series' unit text holds
    // its prefix already ("kPa/s").
    plot.m_Unit = branch->m_Unit;
    if (branch->m_SensorIndex == SensorIndexDerivedFunction) {
        for (const CGraphPlot& p : m_Plots) {
            if (p.m_Key == sourceKey1) {
                plot.m_Min = p.m_Min;
                plot.m_Max = p.m_Max;
            }
        }
    }
    const int left = m_LeftScalePlot, right = m_RightScalePlot;
    const bool first = m_Plots.isEmpty();
    m_Plots.append(plot);
    const int index = m_Plots.size() - 1;
    const int source = ScalePlotOf(index);
    // The pickers name the new curve with the unit it shares.
    shareScales(ScaleMap());
    BuildScaleCombos();
    // The Y autoscale of one scale over the whole of the curves drawn on it.
    const auto autoScaleYOf = [this](int scale) {
        const CScaleMap map = ScaleMap();
        QVector<int> drawnOnIt;
        for (int j = 0; j < map.m_ScaleOf.size(); ++j)
            if (j != scale && map.m_ScaleOf.at(j) == scale && m_Plots.at(j).m_bVisible)
                drawnOnIt.append(j);
        autoScaleY(scale, 0, 0, false, map, drawnOnIt);
    };
    if (source != index) {
        // Drawn on its source's scale: that scale takes the new curve in, and the scales
        // shown stay as they were.
        autoScaleYOf(source);
        shareScales(ScaleMap());
        m_LeftScalePlot = left;
        m_RightScalePlot = right >= 0 && right < index ? right : index;
    } else {
        autoScaleYOf(index);
        // On a scale of its own the new curve takes the right scale; the left one stays the
        // teacher's choice.
        m_LeftScalePlot = left >= 0 && left < index && m_Plots.at(left).m_bVisible ? left : m_LeftScalePlot;
        m_RightScalePlot = index;
    }
    // The first curve of a graph sets its X axis: the axis spans it.
    if (first && m_X.AutoScale())
        AutoScaleXAxis(false);
    ResizeScaleCombos();
    m_RepaintMode = RepaintFull;
    repaint();
    notifyHasNewDataToSave();
}

bool CGraphWindow::takesNewResult(const CDataBranch& branch)
{
    CDataManager* data = dataStore();
    bool stands = true;
    if (m_X.PlotKey() != -1) {
        const CDataBranch* own = data ? data->GetOwnXBranch(branch.m_Key, m_X.PlotKey()) : nullptr;
        stands = own && m_X.StandsOnXSeries(branch, *own);
    } else if (!m_Plots.isEmpty()) {
        stands = m_X.StandsOnTimeAxis(branch, m_X.TimeAxisContent());
    } else {
        stands = FittedXKey(branch) < 0;
    }
    if (stands)
        return true;
    // Drawn here it would stand on an X it is not a value of (a spectrum's hertz on a time axis,
    // a run's samples against another run's X). A result whose X a graph can show goes to a
    // graph of its own, where it sets the axis (the results that follow go there too); a fit of
    // an X series this graph does not show is named.
    if (FittedXKey(branch) < 0 && m_pHost) {
        m_pHost->ShowInGraphOfItsOwn(branch.m_Key);
        return false;
    }
    const QString graphX = m_Plots.isEmpty() ? GraphRules::TimeAxisTitle(GraphRules::XAxisContent::Time) : m_X.AxisTitle();
    GraphPrompter(m_pHost)->information(this, tr("Graph"), CGraphX::OffTheXAxisText(graphX, m_X.SeriesXTitle(branch), {branch.m_Name}, true));
    return false;
}

QStringList CGraphWindow::FitEquations(QList<QColor>* colors) const
{
    QStringList texts;
    for (int i = 0; i < m_Plots.size(); ++i) {
        const CGraphPlot& p = m_Plots.at(i);
        const CDataBranch* b = GetDataBranch(i);
        // The equation of a curve not drawn here (fitted against another X) would name an X
        // this graph does not show.
        if (!b || b->m_SensorIndex != CFunctions::CurveFitResultIndex || b->m_FunctionText.isEmpty() || !m_X.PlotIsDrawn(i))
            continue;
        texts << p.m_Name + QStringLiteral(":  ") + FormulaTextAsShown(i);
        if (colors)
            *colors << p.m_Color;
    }
    return texts;
}

QString CGraphWindow::FormulaTextAsShown(int index) const
{
    const CDataBranch* b = GetDataBranch(index);
    if (!b)
        return QString();
    if (b->m_SensorIndex != CFunctions::CurveFitResultIndex || index < 0 || index >= m_Plots.size())
        return b->m_FunctionText;
    // A fit's equation is in the units it was fitted in: the stored values of its X (seconds on
    // a time axis) and of its source.
    const CGraphPlot& plot = m_Plots.at(index);
    const double x = m_GraphType == XYGraph ? m_X.AxisMultiplier() : 1.0;
    const double y = GetMultiplier(short(plot.m_DataUnitPrefix), short(plot.m_UnitPrefix));
    return RescaledFormulaText(b->m_FunctionText, x, y);
}

void CGraphWindow::DrawFitEquations(QPainter* painter)
{
    QList<QColor> colors;
    const QStringList texts = FitEquations(&colors);
    if (texts.isEmpty())
        return;
    painter->save();
    painter->setFont(GraphRules::ScaleFont());
    const int rowHeight = QFontMetrics(painter->font()).height();
    for (int row = 0; row < texts.size(); ++row) {
        const QRect box = GraphRules::FitLabelRect(m_GraphRect, row, StringWidth(painter, texts.at(row)), rowHeight);
        if (box.bottom() > m_GraphRect.bottom())
            break;
        painter->setPen(QPen(colors.at(row), 1));
        painter->setBrush(QColor(255, 255, 255, 230));
        painter->drawRect(box);
        painter->fillRect(GraphRules::FitSwatchRect(box), colors.at(row));
        painter->setPen(Qt::black);
        painter->drawText(box.adjusted(22, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, texts.at(row));
    }
    painter->restore();
}

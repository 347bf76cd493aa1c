// The Y scales beside the plot area and the X scale below it: bands, icons, numbered ticks
// at rounded steps, half-step ticks, grid lines and the X title. The step and rounding rules
// are in GraphRules.
#include "graph/GraphWindow.h"

#include "windowbase/ChildWindowHost.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "analysis/FourierSpectrum.h"
#include "graph/GraphRules.h"
#include "graph/PlotStrokes.h"

#include <QFontMetrics>
#include <QPainter>

#include <climits>
#include <cmath>

namespace {

int ClampRow(double v)
{
    return int(std::clamp(v, double(-GraphRules::PixelLimit), double(GraphRules::PixelLimit)));
}

double ShownValue(double v)
{
    return std::fabs(v) < 0.000001 ? 0.0 : v;
}

QPixmap XAxisIcon(int sensorIndex, const CSensorInfo* catalogue)
{
    if (sensorIndex == SensorIndexManualX)
        return QPixmap(QStringLiteral(":/images/Sensors/general_icon.png"));
    if (sensorIndex >= SensorIndexOnlineFunction && sensorIndex <= SensorIndexVideoTrack)
        return QPixmap(QStringLiteral(":/images/History/Function_normal.png"));
    if (sensorIndex >= 0 && sensorIndex < SensorIndexOnlineFunction && catalogue)
        return GetSensorIcon(sensorIndex, -1, catalogue);
    return QPixmap();
}

} // namespace

int CGraphWindow::DrawYScale(QPainter* painter, QRect& rect, bool left, int plotIndex, bool measureOnly)
{
    painter->setFont(GraphRules::ScaleFont());
    const bool hasPlot = plotIndex >= 0;
    CGraphPlot plot;
    const CDataBranch* branch = nullptr;
    if (hasPlot) {
        // An index the plot list no longer has is treated like a plot whose branch is gone.
        if (plotIndex >= m_Plots.size())
            return 0;
        plot = m_Plots.at(plotIndex);
        branch = (dataStore() && plot.m_Key != -1) ? dataStore()->GetDataBranch(plot.m_Key) : nullptr;
        if (!branch)
            return 0;
    }
    double mn = plot.m_Min, mx = plot.m_Max;
    if (mn > mx)
        std::swap(mn, mx);
    if (mn == 0.0 && mx == 0.0) {
        mn = -0.1;
        mx = 0.1;
    }
    const double range = mx - mn;
    const QFontMetrics fm(painter->font());
    const QRect& g = m_GraphRect;
    const int limit = int(float(g.bottom() - g.top()) / float(fm.height() + 5));
    if (!measureOnly) {
        painter->fillRect(rect, QBrush(plot.m_Color, Qt::SolidPattern));
        if (hasPlot) {
            const CSensorInfo* catalogue = m_pHost ? m_pHost->GetSensorCatalogue() : nullptr;
            const QPixmap icon = GetSensorIcon(branch->m_SensorIndex, branch->m_IconVariant, catalogue);
            // The icon stays inside its band, off the plot area and its titles.
            const int side = std::min({icon.width(), icon.height(), rect.width() - 4});
            if (!icon.isNull() && side > 0)
                painter->drawPixmap(rect.left() + 2, rect.top() + 4,
                                    side == icon.width() ? icon : icon.scaledToWidth(side, Qt::SmoothTransformation));
        }
    }
    const GraphRules::TickPlan plan = GraphRules::PlanYTicks(mn, mx, limit);
    if (!plan.ok || !(range > 0.0))
        return 0;
    const double m = hasPlot ? GetMultiplier(short(plot.m_DataUnitPrefix), short(plot.m_UnitPrefix)) : 1.0;
    // The measured width follows from the range, the plot area's height, the labels' form and
    // the font alone.
    QString memoKey;
    if (measureOnly) {
        memoKey = QString::asprintf("%.17g %.17g %d %d %d %.17g %d %d %d", mn, mx, g.top(), g.bottom(), m_GraphType,
                                    m, hasPlot ? plot.m_Decimals : 0, int(plot.m_bScientific), limit)
            + painter->font().key();
        const auto it = m_ScaleWidths.constFind(memoKey);
        if (it != m_ScaleWidths.constEnd())
            return *it;
        if (m_ScaleWidths.size() > 64)
            m_ScaleWidths.clear();
    }
    const int d = GraphRules::LabelDecimals(hasPlot ? plot.m_Decimals : 0, plan.step, m);
    const double t0 = (m_GraphType == BarGraph && !m_Plots.isEmpty()) ? 0.0 : plan.lo;
    const double e = plan.hi >= 0 ? plan.hi - t0 : t0 - plan.hi;
    const double end = plan.hi + e / 100.0;
    const float h = float(g.bottom() - g.top());
    auto row = [&](double t) { return std::clamp(g.bottom() - ClampRow(float(t - mn) / float(range) * h),
                                                 -GraphRules::PixelLimit, GraphRules::PixelLimit); };
    // Ticks are counted, not accumulated, so a step too small for the value cannot stall the
    // walk; the walk starts just below the range, where the first visible tick can lie.
    long long k = 0;
    const double skip = std::floor((mn - t0) / plan.step) - 1.0;
    if (skip > 0.0 && skip < 1.0e15)
        k = (long long)skip;
    int widest = 0;
    bool numbered = false;
    for (int count = 0; count < GraphRules::MaxTicks; ++count, ++k) {
        const double t = t0 + double(k) * plan.step;
        if (!(t <= end))
            break;
        const int y = row(t);
        const int yNext = row(t + plan.step);
        if (g.top() < y && y <= g.bottom()) {
            const float v = float(t * m);
            numbered = true;
            if (measureOnly) {
                widest = std::max(widest, StringWidth(painter, Double2String(ShownValue(v), d, true, plot.m_bScientific)));
            } else {
                DrawYOneTick(painter, short(y), v, left, short(d), plot.m_bScientific, &rect);
                if (left && m_PaintSettings.m_bShowGrid) {
                    painter->setRenderHint(QPainter::Antialiasing, false);
                    painter->setPen(gridOrange);
                    DrawStraightLine(painter, g.left(), y, g.right(), y);
                    painter->setRenderHint(QPainter::Antialiasing, true);
                }
            }
        }
        if (measureOnly)
            continue;
        const int gap = y - yNext;
        const double mid = gap <= 1 ? y + 0.5 : y + gap / 2.0;
        if (g.top() < mid && mid < g.bottom()) {
            const int r = int(mid);
            if (left) {
                painter->setPen(Qt::gray);
                painter->drawLine(rect.right() - 1, r, rect.right() - 3, r);
                if (m_PaintSettings.m_bShowGrid) {
                    painter->setRenderHint(QPainter::Antialiasing, false);
                    DrawStraightLine(painter, g.left(), r, g.right(), r);
                    painter->setRenderHint(QPainter::Antialiasing, true);
                }
            } else {
                painter->drawLine(rect.left(), r, rect.left() + 2, r);
            }
        }
    }
    if (!measureOnly)
        return 0;
    const int width = numbered ? widest + 9 : 0;
    m_ScaleWidths.insert(memoKey, width);
    return width;
}

void CGraphWindow::DrawYOneTick(QPainter* painter, short y, float value, bool left, short decimals, bool scientific,
                                QRect* rect)
{
    if (y < rect->top())
        return;
    painter->setFont(GraphRules::ScaleFont());
    painter->setPen(Qt::black);
    const QString text = Double2String(ShownValue(value), decimals, false, scientific);
    const QFontMetrics fm(painter->font());
    // The labels at the ends move inside the plot area's height rather than under the X band.
    const int baseline = std::clamp(y + fm.ascent() / 2, m_GraphRect.top() + fm.ascent(),
                                    std::max(m_GraphRect.top() + fm.ascent(), m_GraphRect.bottom() - fm.descent()));
    if (left) {
        painter->drawLine(rect->right() - 1, y, rect->right() - 5, y);
        painter->drawText(QPoint(rect->right() - 6 - StringWidth(painter, text), baseline), text);
    } else {
        painter->drawLine(rect->left() + 2, y, rect->left() + 6, y);
        painter->drawText(QPoint(rect->left() + 9, baseline), text);
    }
}

int CGraphWindow::GetRightMargin(QPainter* painter)
{
    if (m_Plots.isEmpty() || GetNumVisiblePlots() < 2)
        return 0;
    QRect unused = m_GraphRect;
    return std::max(s_MinScaleWidth, DrawYScale(painter, unused, false, m_RightScalePlot, true));
}

void CGraphWindow::DrawXScale(QPainter* painter, QRect& rect)
{
    const QRect& g = m_GraphRect;
    const QRect band(QPoint(rect.left(), g.bottom() + 1), QPoint(rect.right(), rect.bottom()));
    painter->fillRect(band, QBrush(m_X.PlotKey() == -1 ? xScaleColor : m_X.Plot().m_Color, Qt::SolidPattern));
    painter->setFont(GraphRules::ScaleFont());
    painter->setPen(Qt::black);
    if (!m_Plots.isEmpty()) {
        QPixmap icon;
        if (m_X.PlotKey() == -1) {
            icon = QPixmap(QStringLiteral(":/images/Setup/watch-Icon.png"));
        } else if (const CDataBranch* xb = dataStore() ? dataStore()->GetDataBranch(m_X.PlotKey()) : nullptr) {
            icon = XAxisIcon(xb->m_SensorIndex, m_pHost ? m_pHost->GetSensorCatalogue() : nullptr);
        }
        if (!icon.isNull())
            painter->drawPixmap(rect.left() + 2, g.bottom() + 5, icon);
    }
    const int width = g.right() - g.left();
    int w = 0;
    double span = 1.0;
    if (m_GraphType == TimeGraph || m_GraphType == BarGraph) {
        if (!m_Plots.isEmpty()) {
            // The widest label: the end value with room for the decimals of a 2.5 step.
            const double step = m_X.AxisStep();
            w = std::max(StringWidth(painter, GraphRules::TimeLabel(0.0, step)),
                         StringWidth(painter, GraphRules::TimeLabel(m_X.Max(), step)))
                + StringWidth(painter, QStringLiteral(".00")) + 25;
            span = width != 0 ? double(w) / width * (double(m_X.Max()) - m_X.Min()) : 0.0;
        } else {
            span = width / 9;
        }
    } else if (m_GraphType == XYGraph) {
        w = StringWidth(painter, QString::asprintf("%5.2f", double(m_X.Max()) * m_X.AxisMultiplier())) + 10;
        span = width != 0 ? double(w) / width * (double(m_X.Max()) - m_X.Min()) : 0.0;
    }
    const int limit = width / (w + 10) + 1;
    // A time axis counts sample positions but is labelled in seconds: its ticks are planned
    // in seconds, so the labels come out round, and placed back at their positions. An XY
    // axis is planned in the unit it is shown in likewise.
    double unit = 1.0;
    if (m_GraphType == TimeGraph && !m_Plots.isEmpty()) {
        const double sps = m_X.AxisStep() * GetTimeMultiplier(1, 1);
        if (sps > 0.0 && std::isfinite(sps))
            unit = sps;
    } else if (m_GraphType == XYGraph) {
        unit = m_X.AxisMultiplier();
    }
    GraphRules::TickPlan plan;
    if (m_Plots.isEmpty()) {
        m_X.ZoomTo(0.0f, 10.0f);
        plan.lo = 0.0;
        plan.hi = 10.0;
        plan.step = 1.0;
        plan.ok = true;
    } else {
        plan = GraphRules::PlanXTicks(m_X.Min() * unit, m_X.Max() * unit, span * unit, limit);
    }
    if (m_GraphType == BarGraph && std::isfinite(m_X.Min()) && std::isfinite(m_X.Max())) {
        plan.lo = std::floor(m_X.Min());
        plan.hi = std::floor(m_X.Max());
        plan.step = 1.0;
        plan.ok = true;
    }
    if (plan.ok && plan.step > 0.0) {
        // Counted, not accumulated: at large positions t + s == t and an added step never ends.
        long long k = 0;
        const double skip = std::floor((double(m_X.Min()) * unit - plan.lo) / plan.step) - 1.0;
        if (skip > 0.0 && skip < 1.0e15)
            k = (long long)skip;
        const double end = plan.hi + plan.step * 1e-9;
        for (int count = 0; count < GraphRules::MaxTicks; ++count, ++k) {
            const double shown = plan.lo + double(k) * plan.step;
            if (!(shown <= end))
                break;
            const float t = float(shown / unit);
            const int x = GraphRules::ToPixelX(t, m_X.Min(), m_X.Max(), g);
            const int xNext = GraphRules::ToPixelX(float((shown + plan.step) / unit), m_X.Min(), m_X.Max(), g);
            short spacing = short(std::clamp(xNext - x, -32000, 32000));
            if (g.left() <= x && x < g.right()) {
                DrawXOneTick(painter, short(x), t, &spacing, &m_GraphRect);
                if (m_PaintSettings.m_bShowGrid) {
                    painter->setPen(gridBlue);
                    painter->setRenderHint(QPainter::Antialiasing, false);
                    DrawStraightLine(painter, x, g.top(), x, g.bottom());
                    painter->setRenderHint(QPainter::Antialiasing, true);
                }
            }
            const double mid = x - spacing / 2.0;
            if (g.left() < mid && mid < g.right()) {
                const int c = int(mid);
                if (m_GraphType != BarGraph) {
                    painter->setPen(xScaleTextColor);
                    painter->drawLine(c, g.bottom() + 2, c, g.bottom() + 4);
                }
                if (m_PaintSettings.m_bShowGrid) {
                    painter->setPen(gridBlue);
                    painter->setRenderHint(QPainter::Antialiasing, false);
                    DrawStraightLine(painter, c, g.top(), c, g.bottom());
                    painter->setRenderHint(QPainter::Antialiasing, true);
                }
            }
        }
    }
    if (m_Plots.isEmpty())
        return;
    const QString title = m_X.AxisTitle();
    painter->setFont(GraphRules::ScaleFont());
    painter->setPen(Qt::black);
    painter->drawText(QPoint(g.left() + 20, rect.bottom() - 14), title);
}

void CGraphWindow::DrawXOneTick(QPainter* painter, short x, float value, short* spacing, QRect* plotRect)
{
    if (x > plotRect->right())
        return;
    painter->setFont(GraphRules::ScaleFont());
    painter->setPen(xScaleTextColor);
    const int b = plotRect->bottom();
    QString text;
    if (m_GraphType == BarGraph) {
        text = GraphRules::TimeLabel(std::floor(value), m_X.AxisStep());
    } else {
        painter->drawLine(x, b + 2, x, b + 6);
        text = m_GraphType == TimeGraph ? GraphRules::TimeLabel(value, m_X.AxisStep())
                                        : Double2String(double(value) * m_X.AxisMultiplier(), 3, false, false);
    }
    const int w = StringWidth(painter, text);
    const int h = QFontMetrics(painter->font()).height();
    int left = m_GraphType == BarGraph ? int(x + 3.0 * *spacing / 4.0 - w / 2) : x - w / 2;
    // A label at either end of the axis stays inside the window's graph area.
    const QRect area = graphArea();
    left = std::max(area.left(), std::min(left, area.right() - w));
    painter->drawText(QRect(left, b + 6, w, h), Qt::AlignCenter, text);
}

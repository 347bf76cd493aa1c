// The two cursors: attaching them to plots and samples, drawing cursor 1 with its read-out and
// slope, cursor 2 with the differences to cursor 1 and the shaded area between them.
#include "graph/GraphWindow.h"
#include "graph/GraphSearch.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "analysis/Functions.h"
#include "analysis/XSeries.h"
#include "graph/GraphRules.h"
#include "graph/PlotStrokes.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <cmath>

namespace {

// The read-out box beside a cursor: 8 right and 16 up, moved left of the cursor when it would
// pass the plot area's right edge.
void DrawReadout(QPainter* painter, const QPoint& at, const QRect& area, const QColor& color, const QString& text)
{
    const int w = StringWidth(painter, text);
    QRect box(QPoint(at.x() + 8, at.y() - 16), QPoint(at.x() + 14 + w, at.y() - 3));
    if (box.right() > area.right())
        box.translate(-(box.right() - box.left() + 15), 0);
    // Moved left, a long read-out (a fit's equation after the values) would start under the
    // left scale and lose its first words, the values: it starts at the plot area's edge.
    if (box.left() < area.left())
        box.moveLeft(area.left());
    QColor c = color;
    c.setAlpha(200);
    painter->setBrush(QBrush(c, Qt::SolidPattern));
    painter->setPen(c);
    painter->drawRoundedRect(box, 10, 20, Qt::RelativeSize);
    // White on a pale plot colour cannot be read: the text takes whichever of black and white
    // stands out on the box.
    painter->setPen(GraphRules::ReadoutTextColor(c, c.alpha()));
    painter->drawText(box, Qt::AlignCenter, text);
}

void DrawCross(QPainter* painter, const QPoint& p, const QRect& area)
{
    painter->setPen(QPen(Qt::black, 1));
    painter->setRenderHint(QPainter::Antialiasing, false);
    DrawStraightLine(painter, area.left(), p.y(), area.right(), p.y());
    DrawStraightLine(painter, p.x(), area.top(), p.x(), area.bottom());
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(QBrush(Qt::black, Qt::NoBrush));
    painter->drawRoundedRect(QRect(p.x() - 5, p.y() - 5, 10, 10), 2.0, 2.0, Qt::AbsoluteSize);
}

// Stored values times this are the values in the unit the plot is shown in.
float DisplayMultiplier(const CGraphPlot& plot)
{
    return float(GetMultiplier(short(plot.m_DataUnitPrefix), short(plot.m_UnitPrefix)));
}

QPoint CursorPixel(float x, float y, float xMin, float xMax, const CGraphPlot& plot, const QRect& area)
{
    return QPoint(GraphRules::ToPixelX(x, xMin, xMax, area), GraphRules::ToPixelY(y, plot.m_Min, plot.m_Max, area));
}

bool InCursorArea(const QPoint& p, const QRect& area)
{
    return p.x() >= area.left() && p.x() <= area.right() + 1 && p.y() >= area.top() && p.y() <= area.bottom() + 1;
}

} // namespace

// ---- attaching ----

void CGraphWindow::SelectCursorPlot(int, bool switchOn, QPoint* point)
{
    if (m_GraphType == BarGraph)
        return;
    if (!switchOn && !point) {
        m_Cursors.FirstOff();
        return;
    }
    if (switchOn) {
        const int plotIndex = m_LeftScalePlot;
        // A curve that is not drawn carries no cursor.
        if (plotIndex == -1 || !m_X.PlotIsDrawn(plotIndex)) {
            m_Cursors.SetPlot(1, -1);
            return;
        }
        CDataBranch* branch = GetDataBranch(plotIndex);
        const int count = branch ? branch->GetNumSamples() : 0;
        if (count == 0) {
            // Nothing to stand on: the cursor stays off.
            m_Cursors.SetPlot(1, -1);
            return;
        }
        if (m_GraphType == XYGraph) {
            CDataBranch* xBranch = m_X.XBranchOfPlot(plotIndex);
            if (!xBranch) {
                // A curve not drawn (no X values of its own run) carries no cursor.
                m_Cursors.SetPlot(1, -1);
                return;
            }
            int idx = 0;
            FindNearestY(xBranch, (m_X.Max() + m_X.Min()) * 0.5f, idx);
            // The X entry nearest the middle; the sample is the one that stands on it.
            idx = GraphRules::ClampSample(idx - m_X.XYSampleOffset(plotIndex), count);
            m_Cursors.Place(1, plotIndex, idx, float(m_X.XYSampleX(plotIndex, idx)), float(branch->GetYSample(idx)));
            return;
        }
        const float last = float(branch->GetLastXSample());
        const GraphRules::Range xr = m_X.PlotRange(plotIndex);
        const float hi = std::min(last, xr.max);
        const int x = GraphRules::TruncClamped((hi - xr.min) * 0.5 + xr.min + 1.0);
        // The middle of the visible data is an X value; it becomes a sample of the branch.
        const int idx = GraphRules::ClampSample(x - GraphRules::TruncClamped(branch->GetXSample(0)), count);
        m_Cursors.Place(1, plotIndex, idx, float(branch->GetXSample(idx)), float(branch->GetYSample(idx)));
        return;
    }

    int n = -1, s = -1;
    const CGraphPlot plot = m_GraphType == XYGraph ? FindNearestXYPlot(point, n, s) : FindNearestPlot(point, n);
    if (plot.m_Key == -1)
        return;
    CDataBranch* branch = GetDataBranch(n);
    const int count = branch ? branch->GetNumSamples() : 0;
    if (count == 0)
        return;
    if (m_GraphType == XYGraph) {
        s = GraphRules::ClampSample(s, count);
        m_Cursors.Place(1, n, s, m_X.XBranchOfPlot(n) ? float(m_X.XYSampleX(n, s)) : 0.0f, float(branch->GetYSample(s)));
        return;
    }
    float x = m_X.PlotColumnToX(n, point->x(), m_GraphRect);
    const int last = branch->GetLastXSample();
    if (x > float(last))
        x = float(last);
    const int start = GraphRules::TruncClamped(x) - 2 > 0 ? GraphRules::TruncClamped(x) - 2 : 1;
    int sample = -1;
    float y = FindMatchingTimeY(branch, x, sample, start);
    if (sample < 0) {
        // No sample from the hint on reaches x (X values out of order): the nearer end.
        sample = x < float(branch->GetXSample(0)) ? 0 : count - 1;
        y = float(branch->GetYSample(sample));
    }
    sample = GraphRules::ClampSample(sample, count);
    m_Cursors.Place(1, n, sample, float(branch->GetXSample(sample)), y);
}

void CGraphWindow::SelectCursor2Plot(QPoint*, bool)
{
    if (m_GraphType == BarGraph)
        return;
    m_Cursors.PlaceSecond(GetDataBranch(m_Cursors.First().m_Plot), m_X, m_GraphType == XYGraph);
}

// ---- drawing ----

float CGraphWindow::CalculateSlope(long sample, int plotIndex)
{
    CDataBranch* branch = GetDataBranch(plotIndex);
    if (!branch)
        return float(MissingValue);
    const int count = branch->GetYSize();
    if (sample < 1 || sample + 1 >= count)
        return float(MissingValue);
    const int i = int(sample);
    // Per second on a time graph; on an XY graph per unit of the X axis, between the X values
    // the curve draws the two neighbours at (a repeated X has no slope).
    float dt = 0.0f;
    if (m_GraphType == XYGraph) {
        const double before = m_X.XYSampleX(plotIndex, i - 1), after = m_X.XYSampleX(plotIndex, i + 1);
        if (!IsUsableX(before) || !IsUsableX(after))
            return float(MissingValue);
        dt = float(after - before);
    } else {
        dt = float(branch->m_Interval * (branch->GetXSample(i + 1) - branch->GetXSample(i - 1)));
    }
    if (dt == 0.0f || !std::isfinite(dt))
        return float(MissingValue);
    return float((branch->GetYSample(i + 1) - branch->GetYSample(i - 1)) / dt);
}

void CGraphWindow::DrawCursor(QPainter* painter)
{
    if (m_Cursors.First().m_Plot == -1)
        return;
    const CGraphPlot plot = GetPlot(m_Cursors.First().m_Plot);
    CDataBranch* branch = GetDataBranch(m_Cursors.First().m_Plot);
    const float m = DisplayMultiplier(plot);
    const GraphRules::Range xr = m_X.PlotRange(m_Cursors.First().m_Plot);
    const CGraphCursors::CCursor& c1 = m_Cursors.First();
    const QPoint at = CursorPixel(c1.m_X, c1.m_Y, xr.min, xr.max, plot, m_GraphRect);
    m_Cursors.DrawnAt(1, at);
    if (!branch || !InCursorArea(at, m_GraphRect))
        return;
    const int x = at.x(), y = at.y();
    DrawCross(painter, at, m_GraphRect);

    QString slopeText;
    const int i = c1.m_Sample;
    if (m_bSlopeMode && i > 0 && i < branch->GetXSize() - 1) {
        // The tangent runs along the curve as drawn: on an XY graph against the X axis.
        const bool xy = m_GraphType == XYGraph;
        const float x0 = float(xy ? m_X.XYSampleX(m_Cursors.First().m_Plot, i - 1) : branch->GetXSample(i - 1));
        const float x2 = float(xy ? m_X.XYSampleX(m_Cursors.First().m_Plot, i + 1) : branch->GetXSample(i + 1));
        const float y0 = float(branch->GetYSample(i - 1)), y2 = float(branch->GetYSample(i + 1));
        const double yPerPixel = double(plot.m_Max - plot.m_Min) / double(m_GraphRect.bottom() - m_GraphRect.top());
        const double xPerPixel = double(xr.max - xr.min) / double(m_GraphRect.right() - m_GraphRect.left());
        // The range is in stored values, as the curve is drawn.
        const double dy = (double(y2) - double(y0)) / yPerPixel;
        const double dx = double(x2 - x0) / xPerPixel;
        // A flat range, two neighbours at one X or one without an X give no direction to draw.
        const bool known = !xy || (IsUsableX(x0) && IsUsableX(x2));
        if (known && std::isfinite(dy) && std::isfinite(dx) && dx != 0.0) {
            const double angle = std::atan(dy / dx);
            // Near an edge the tangent would run on over the scales: it ends at the plot area.
            painter->save();
            painter->setClipRect(m_GraphRect, Qt::IntersectClip);
            painter->setPen(QPen(plot.m_Color, 3));
            painter->drawLine(GraphRules::TruncClamped(x - 70 * std::cos(angle)), GraphRules::TruncClamped(y + 70 * std::sin(angle)),
                              GraphRules::TruncClamped(x + 70 * std::cos(angle)), GraphRules::TruncClamped(y - 70 * std::sin(angle)));
            painter->restore();
        }
        // The slope is read in the data's own units (per second, or per stored unit of the X),
        // whatever prefix the scales show; no unit follows it.
        slopeText = tr(" Slope = ") + Double2String(CalculateSlope(i, m_Cursors.First().m_Plot), 2, false, false);
    }
    painter->setFont(GraphRules::ScaleFont());
    QString text;
    if (m_GraphType == XYGraph)
        text = QStringLiteral("x=") + Double2String(c1.m_X * m_X.AxisMultiplier(), 2, false, false) + m_X.AxisUnit();
    else
        text = QStringLiteral("x=") + m_X.PositionText(m_Cursors.First().m_Plot, double(c1.m_X));
    text += QStringLiteral("  y=") + Double2String(double(m * c1.m_Y), 2, false, false)
        + GetUnitPrefix(short(plot.m_UnitPrefix)) + plot.m_Unit + slopeText + QStringLiteral(" ")
        + FormulaTextAsShown(m_Cursors.First().m_Plot);
    m_Cursors.SetText(1, text);
    DrawReadout(painter, at, m_GraphRect, plot.m_Color, text);
    DrawPlotRemoveButon(painter);
}

void CGraphWindow::DrawCursor2(QPainter* painter)
{
    if (m_Cursors.Second().m_Plot == -1)
        return;
    const CGraphPlot plot = GetPlot(m_Cursors.Second().m_Plot);
    CDataBranch* branch = GetDataBranch(m_Cursors.Second().m_Plot);
    const float m = DisplayMultiplier(plot);
    const GraphRules::Range xr = m_X.PlotRange(m_Cursors.Second().m_Plot);
    const CGraphCursors::CCursor& c1 = m_Cursors.First();
    const CGraphCursors::CCursor& c2 = m_Cursors.Second();
    const QPoint at = CursorPixel(c2.m_X, c2.m_Y, xr.min, xr.max, plot, m_GraphRect);
    m_Cursors.DrawnAt(2, at);
    m_Cursors.SetAreaText(QString());
    if (!branch || !InCursorArea(at, m_GraphRect))
        return;
    DrawCross(painter, at, m_GraphRect);

    if (m_GraphType == TimeGraph && m_bAreaMode) {
        long start = c1.m_Sample, end = c2.m_Sample;
        CFunctions::ValidateStartEndIndexes(start, end, branch->GetYSize());
        int y0 = GraphRules::ToPixelY(0.0f, plot.m_Min, plot.m_Max, m_GraphRect);
        y0 = std::clamp(y0, m_GraphRect.top(), m_GraphRect.bottom());
        QColor fill = plot.m_Color;
        fill.setAlpha(80);
        painter->setBrush(QBrush(fill, Qt::SolidPattern));
        painter->setPen(QPen(QColor(0, 0, 0, 0)));
        // On a long range many samples share a pixel column: one quadrilateral per column
        // pair keeps a paint short whatever the range.
        const long span = end - start;
        const int columns = std::max(1, m_GraphRect.width());
        const long stride = span > 4L * columns ? span / (2L * columns) : 1;
        auto pt = [&](long k) {
            return QPoint(GraphRules::ToPixelX(float(branch->GetXSample(int(k))), xr.min, xr.max, m_GraphRect),
                          GraphRules::ToPixelY(float(branch->GetYSample(int(k))), plot.m_Min, plot.m_Max,
                                               m_GraphRect));
        };
        QPoint a = pt(start);
        for (long k = start; k < end; k += stride) {
            const QPoint b = pt(std::min(k + stride, end));
            QPolygon quad;
            quad << a << QPoint(a.x(), y0) << QPoint(b.x(), y0) << b;
            painter->drawPolygon(quad, Qt::OddEvenFill);
            a = b;
        }
        // Right-endpoint sum: the first sample of the range does not count, the last does. Each
        // sample stands for one position of the X axis, in the axis' unit.
        float area = 0.0f;
        const float dt = float(m_X.PositionStep(m_Cursors.Second().m_Plot));
        QVector<double> ys;
        for (long first = start + 1; first <= end;) {
            const int n = branch->CopyYRange(int(first), int(std::min<long>(65536, end - first + 1)), ys);
            if (n <= 0)
                break;
            for (int j = 0; j < n; ++j)
                area = float(double(area) + ys.at(j) * double(dt));
            first += n;
        }
        const QString xUnit = GraphRules::TimeAxisUnit(m_X.PositionContent(m_Cursors.Second().m_Plot));
        m_Cursors.SetAreaText(tr("Area = ") + Double2String(area, 3, false, false) + QStringLiteral(" (")
            + GetUnitPrefix(short(plot.m_UnitPrefix)) + plot.m_Unit
            + (xUnit.isEmpty() ? QString() : QStringLiteral("*") + xUnit) + QStringLiteral(")"));
    }

    painter->setFont(GraphRules::ScaleFont());
    QString text, dx;
    if (m_GraphType == XYGraph) {
        // On an XY graph the distance between the cursors is the difference of their X values,
        // in the X axis' own unit.
        const double mx = m_X.AxisMultiplier();
        text = QStringLiteral("x=") + Double2String(c2.m_X * mx, 2, false, false) + m_X.AxisUnit();
        dx = Double2String(m_Cursors.DeltaX(true) * mx, 2, false, false) + m_X.AxisUnit();
    } else {
        // Both in what the axis shows: seconds, hertz, or counted samples and events.
        text = QStringLiteral("x=") + m_X.PositionText(m_Cursors.Second().m_Plot, double(c2.m_X));
        dx = m_X.PositionText(m_Cursors.Second().m_Plot, m_Cursors.DeltaX(false));
    }
    const QString unit = GetUnitPrefix(short(plot.m_UnitPrefix)) + plot.m_Unit;
    // Both differences run from cursor 1 to cursor 2, so a value that rose reads positive.
    text += QStringLiteral("  y=") + Double2String(double(c2.m_Y * m), 2, false, false) + unit + tr(" dx=") + dx
        + tr(" dy=") + Double2String(double(m * m_Cursors.DeltaY()), 2, false, false) + unit;
    m_Cursors.SetText(2, text);
    DrawReadout(painter, at, m_GraphRect, plot.m_Color, text);
    if (!m_Cursors.AreaText().isEmpty()) {
        QColor c = plot.m_Color;
        c.setAlpha(200);
        painter->setPen(c);
        QFont bold = GraphRules::ScaleFont();
        bold.setWeight(QFont::Bold);
        painter->setFont(bold);
        painter->drawText(QRect(QPoint(m_GraphRect.left() + 2, m_GraphRect.bottom() - 12), m_GraphRect.bottomRight()),
                          Qt::AlignLeft, m_Cursors.AreaText());
    }
}

// The graph's mouse work: what a press, a move, a release and a double click do by mouse mode
// and by where the mouse is; the rubber-band zoom, the pan, the stretching of the scales, the
// cursor and annotation drags, the bar tooltip and the tool-bar actions that switch modes.
#include "graph/GraphWindow.h"
#include "graph/GraphSearch.h"

#include "windowbase/ChildWindowHost.h"
#include "windowbase/Prompter.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "graph/AnnotationTextDialog.h"
#include "graph/GraphRules.h"

#include <QMouseEvent>
#include <QSet>
#include <QToolTip>

#include <cmath>

namespace {

enum Zone { ZoneNone = -2, ZoneX = -1, ZoneLeft = 1, ZoneRight = 2 };
// The narrowest Y span a scale drag leaves.
constexpr double s_MinSpan = 0.001;

// The value of the bar under p as its tooltip. Showing a tip can repaint the window, which
// rebuilds its list: the bars come as a copy.
void ShowBarTip(QWidget* window, const QList<CBarData> bars, QPoint p)
{
    for (const CBarData& bar : bars) {
        if (!bar.m_Rect.contains(p))
            continue;
        const QPoint at = window->mapToGlobal(QPoint(bar.m_Rect.left(), bar.m_Rect.top() - 40));
        QToolTip::showText(at, Double2String(bar.m_Value, 3, false, false), window, bar.m_Rect);
    }
}

bool Inside(const QRect& r, const QPoint& p)
{
    return p.x() >= r.left() && p.x() <= r.right() && p.y() >= r.top() && p.y() <= r.bottom();
}

// The maxima a scale drag starts from: of the plot dragged (branch its series) and of the
// plots of the series it came from and of those derived from it.
void RecordDragStartMaxima(QList<CGraphPlot>& plots, int plot, const CDataBranch* branch)
{
    if (plot < 0 || plot >= plots.size())
        return;
    plots[plot].m_DragStartMax = plots.at(plot).m_Max;
    if (!branch)
        return;
    for (CGraphPlot& p : plots)
        if (p.m_Key == branch->m_OwnerKey)
            p.m_DragStartMax = p.m_Max;
    const int n = branch->m_DerivedKeys.GetSize();
    for (int k = 0; k < n; ++k) {
        const int key = branch->m_DerivedKeys.GetAt(k);
        for (CGraphPlot& p : plots)
            if (p.m_Key == key)
                p.m_DragStartMax = p.m_Max;
    }
}

// The graph's yes/no questions and its annotation-text dialog go through the host's prompter.
IPrompter* HostPrompter(IChildWindowHost* host)
{
    return host ? host->GetPrompter() : ShellPrompter();
}

bool Confirm(IChildWindowHost* host, const QString& text)
{
    IPrompter* prompter = HostPrompter(host);
    return prompter && prompter->question(nullptr, QStringLiteral("Pavix"), text);
}

bool AskAnnotationText(QWidget* parent, IChildWindowHost* host, const QString& initial, QString& text)
{
    CAddAnnotationDialog dialog(parent);
    if (!initial.isNull())
        dialog.SetEditText(initial);
    IPrompter* prompter = HostPrompter(host);
    const int result = prompter ? prompter->runDialog(&dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return false;
    text = dialog.text;
    return true;
}

} // namespace

// ---- tool-bar actions that switch what the mouse does ----

void CGraphWindow::OnZoom()
{
    m_MouseMode = m_MouseMode == MouseZoom ? MouseNormal : MouseZoom;
    UpdateButtons();
}

void CGraphWindow::OnPan()
{
    m_MouseMode = m_MouseMode == MousePan ? MouseNormal : MousePan;
    UpdateButtons();
}

void CGraphWindow::OnMoveAnnotation()
{
    m_MouseMode = m_MouseMode == MouseMoveAnnotation ? MouseNormal : MouseMoveAnnotation;
    UpdateButtons();
    RepaintGraph(RepaintFull);
}

void CGraphWindow::OnCursor()
{
    if (m_Cursors.First().m_Plot != -1) {
        SelectCursorPlot(-1, false, nullptr);
        if (m_GraphType != BarGraph)
            m_Cursors.SecondOff();
    } else {
        SelectCursorPlot(-1, true, nullptr);
    }
    UpdateButtons();
    RepaintGraph(RepaintFull);
}

void CGraphWindow::OnCursor2()
{
    if (m_Cursors.Second().m_Plot == -1) {
        SelectCursor2Plot(nullptr, false);
    } else if (m_GraphType != BarGraph) {
        m_Cursors.SecondOff();
    }
    RepaintGraph(RepaintFull);
    UpdateButtons();
}

void CGraphWindow::OnAddAnnotation()
{
    if (m_Cursors.First().m_Plot < 0 || m_Cursors.First().m_Plot >= m_Plots.size())
        return;
    QString text;
    if (!AskAnnotationText(this, m_pHost, QString(), text) || text.isEmpty())
        return;
    CGraphPlot plot = GetPlot(m_Cursors.First().m_Plot);
    CGraphTextAnnotation note;
    note.m_Sample = m_Cursors.First().m_Sample;
    note.m_Text = text;
    note.m_Angle = 45.0;
    note.m_Length = 60.0;
    plot.AddAnnotation(note);
    UpdatePlot(plot, m_Cursors.First().m_Plot);
    notifyHasNewDataToSave();
    UpdateButtons();
    RepaintGraph(RepaintFull);
}

// ---- zones ----

int CGraphWindow::CheckMouseInScale(QPoint p)
{
    const QMargins m = contentsMargins();
    const QRect& g = m_GraphRect;
    if (Inside(QRect(QPoint(g.left(), g.bottom()), QPoint(g.right(), height() - 72)), p))
        return ZoneX;
    if (Inside(QRect(QPoint(m.left(), g.top()), QPoint(g.left(), g.bottom())), p))
        return ZoneLeft;
    if (Inside(QRect(QPoint(g.right(), g.top()), QPoint(width() - 1 - m.right(), g.bottom())), p))
        return GetNumVisiblePlots() > 1 ? ZoneRight : ZoneNone;
    return ZoneNone;
}

// ---- events ----

void CGraphWindow::mousePressEvent(QMouseEvent* event)
{
    CKorvantaWindow::mousePressEvent(event);
    mousePress(event->localPos().toPoint(), false);
}

void CGraphWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePress(event->localPos().toPoint(), true);
}

void CGraphWindow::mousePress(QPoint p, bool doubleClick)
{
    repaint();
    SaveGraph();
    if (m_Predictions.IsOn() && (m_MouseMode == MouseAddPredict || m_MouseMode == MouseErasePredict)
        && Inside(m_GraphRect, p))
        pressForPrediction(p);
    if (m_bRunning)
        return;
    if (!m_Plots.isEmpty() && pressOnScale(p))
        return;
    if (m_Cursors.First().m_Plot != -1 && pressOnCursorPlot(p, doubleClick))
        return;
    switch (m_MouseMode) {
    case MouseNormal:
        pressForCursors(p);
        break;
    case MouseZoom:
        if (Inside(m_GraphRect, p)) {
            m_ZoomRect = QRect(p, p);
            m_PressPoint = p;
            m_LastMousePoint = p;
            m_bZooming = true;
        }
        break;
    case MousePan:
        if (Inside(m_GraphRect, p)) {
            m_bPanning = true;
            m_PressPoint = p;
            m_LastMousePoint = p;
        }
        break;
    case MouseMoveAnnotation:
        pressOnAnnotation(p, doubleClick);
        break;
    default:
        break;
    }
}

bool CGraphWindow::pressOnScale(QPoint p)
{
    switch (CheckMouseInScale(p)) {
    case ZoneRight:
    case ZoneLeft:
        m_DragScale = CheckMouseInScale(p);
        // A scale shared with a derived curve is its source's: dragging it stretches that.
        m_DragScalePlot = ScalePlotOf(m_DragScale == ZoneRight ? m_RightScalePlot : m_LeftScalePlot);
        m_DragStartPoint = p;
        RecordDragStartMaxima(m_Plots, m_DragScalePlot, GetDataBranch(m_DragScalePlot));
        return true;
    case ZoneX:
        if (m_GraphType == BarGraph)
            return true;
        if (m_X.PlotKey() == -1)
            m_DragStartXMax = m_X.Max();
        m_DragScale = ZoneX;
        m_DragStartPoint = p;
        return true;
    default:
        return false;
    }
}

bool CGraphWindow::pressOnCursorPlot(QPoint p, bool doubleClick)
{
    if (doubleClick && m_Cursors.Second().m_Plot == -1) {
        SelectCursor2Plot(nullptr, false);
        RepaintGraph(RepaintFull);
        UpdateButtons();
        RepaintGraph(RepaintFull);
    }
    const QRect button = GetPlotRemoveButonRect(m_Cursors.First().m_Plot);
    if (button.isNull() || !Inside(button, p) || !Confirm(m_pHost, tr("Are you sure you want to remove this plot?")))
        return false;
    const int index = m_Cursors.First().m_Plot;
    if (m_GraphType != BarGraph)
        m_Cursors.SecondOff();
    SelectCursorPlot(-1, false, nullptr);
    const CGraphX::FirstPositions before = m_X.FirstPlotPositions();
    if (index >= 0 && index < m_Plots.size())
        m_Plots.removeAt(index);
    // The X-axis plot keeps its place in the list only by key: a removal before it shifts it.
    m_X.PlotsRemoved(before);
    m_XYLayers.clear();
    m_SelAnnotationPlot = -1;
    BuildScaleCombos();
    chooseFirstVisibleScales();
    ResizeScaleCombos();
    UpdateButtons();
    RepaintGraph(RepaintFull);
    return true;
}

void CGraphWindow::pressForCursors(QPoint p)
{
    if (Inside(m_GraphRect, p) && m_Cursors.First().m_Plot == -1 && !m_Plots.isEmpty()) {
        SelectCursorPlot(-1, false, &p);
        RepaintGraph(RepaintFull);
        UpdateButtons();
    }
    m_Cursors.StartDrag(m_Cursors.HandleAt(p));
    if (m_Cursors.Dragged() != 0) {
        m_DragStartPoint = p;
        SaveGraph();
    }
}

void CGraphWindow::pressOnAnnotation(QPoint p, bool doubleClick)
{
    int index = -1;
    m_SelAnnotationPlot = PtInAnnotation(p, index);
    m_SelAnnotation = index;
    if (m_SelAnnotationPlot == -1) {
        m_DragStartPoint = p;
        m_LastMousePoint = p;
        return;
    }
    CGraphPlot plot = GetPlot(m_SelAnnotationPlot);
    CGraphTextAnnotation note = plot.GetAnnoation(index);
    if (doubleClick) {
        QString text;
        if (AskAnnotationText(this, m_pHost, note.m_Text, text)) {
            note.m_Text = text;
            plot.m_Annotations[index] = note;
            UpdatePlot(plot, m_SelAnnotationPlot);
        }
        m_SelAnnotationPlot = -1;
        m_bDraggingAnnotation = false;
        RepaintGraph(RepaintFull);
        return;
    }
    const QRect& box = note.m_TextRect;
    if (Inside(QRect(box.topLeft(), QPoint(box.left() + 13, box.top() + 13)), p)) {
        if (Confirm(m_pHost, tr("Are you sure you want to remove this annotation?"))) {
            plot.RemoveAnnotation(index);
            UpdatePlot(plot, m_SelAnnotationPlot);
            m_SelAnnotationPlot = -1;
            UpdateButtons();
            RepaintGraph(RepaintFull);
        }
        m_bDraggingAnnotation = false;
        return;
    }
    note.m_StartAngle = note.m_Angle;
    note.m_StartLength = note.m_Length;
    plot.m_Annotations[index] = note;
    UpdatePlot(plot, m_SelAnnotationPlot);
    m_bDraggingAnnotation = true;
    m_DragStartPoint = p;
    m_LastMousePoint = p;
}

void CGraphWindow::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    CKorvantaWindow::mouseMoveEvent(event);
    const QPoint p = event->localPos().toPoint();
    const QMargins m = contentsMargins();
    if (p.x() < m.left() || p.x() > width() - 1 - m.right() || p.y() < m.top() || p.y() > height() - m.bottom())
        return;
    if (m_GraphType == BarGraph)
        ShowBarTip(this, m_BarDataList, p);
    if (m_bRunning)
        return;
    const int n = m_Plots.size();
    switch (CheckMouseInScale(p)) {
    case ZoneRight:
        if (n < 2)
            return;
        setCursor(Qt::SizeVerCursor);
        if (m_DragScale == ZoneRight)
            DoDragScale(p);
        return;
    case ZoneLeft:
        if (n < 1)
            return;
        setCursor(Qt::SizeVerCursor);
        if (m_DragScale == ZoneLeft)
            DoDragScale(p);
        return;
    case ZoneX:
        if (n < 1 || m_GraphType == BarGraph)
            return;
        setCursor(Qt::SizeHorCursor);
        if (m_DragScale == ZoneX)
            DoDragScale(p);
        return;
    default:
        break;
    }
    setCursor(Qt::ArrowCursor);
    switch (m_MouseMode) {
    case MouseNormal:
        if (m_Cursors.Dragged() != 0)
            DoDragCursor(p);
        break;
    case MouseZoom:
        if (m_bZooming) {
            m_PrevZoomRect = m_ZoomRect;
            const QRect& g = m_GraphRect;
            m_ZoomRect = QRect(QPoint(std::max(std::min(m_PressPoint.x(), p.x()), g.left()),
                                      std::max(std::min(m_PressPoint.y(), p.y()), g.top())),
                               QPoint(std::min(std::max(m_PressPoint.x(), p.x()), g.right()),
                                      std::min(std::max(m_PressPoint.y(), p.y()), g.bottom())));
            m_RepaintMode = RepaintZoomBand;
            repaint();
            m_LastMousePoint = p;
        }
        break;
    case MousePan:
        DoDragPan(p);
        if (Inside(m_GraphRect, p))
            setCursor(Qt::OpenHandCursor);
        break;
    case MouseMoveAnnotation: {
        int index = -1;
        if (PtInAnnotation(p, index) != -1)
            setCursor(Qt::OpenHandCursor);
        if (m_SelAnnotationPlot != -1 && m_bDraggingAnnotation)
            DoDragAnnotation(p);
        break;
    }
    default:
        break;
    }
}

void CGraphWindow::mouseReleaseEvent(QMouseEvent* event)
{
    CKorvantaWindow::mouseReleaseEvent(event);
    m_Cursors.EndDrag();
    m_RepaintMode = RepaintFull;
    m_DragScale = ZoneNone;
    switch (m_MouseMode) {
    case MouseNormal:
        m_bDrawCursors = true;
        RepaintGraph(RepaintFull);
        break;
    case MouseZoom: {
        // The band's X and Y ranges become the axes', where each is at least one unit wide.
        const int x1 = m_ZoomRect.left(), y1 = m_ZoomRect.top(), x2 = m_ZoomRect.right(), y2 = m_ZoomRect.bottom();
        const float L = float(m_GraphRect.left()), T = float(m_GraphRect.top());
        const float R = float(m_GraphRect.right()), B = float(m_GraphRect.bottom());
        if (x1 <= x2 && y1 <= y2 && R > L && B > T) {
            const float a = m_X.Min() + (float(x1) - L) / (R - L) * (m_X.Max() - m_X.Min());
            const float b = m_X.Min() + (float(x2) - L) / (R - L) * (m_X.Max() - m_X.Min());
            if (b - 1.0f >= a)
                m_X.ZoomTo(a, b);
            for (int i = 0; i < m_Plots.size(); ++i) {
                const CGraphPlot p = m_Plots.at(i);
                if (!p.m_bVisible)
                    continue;
                const float top = p.m_Min + (B - float(y1)) / (B - T) * (p.m_Max - p.m_Min);
                const float bottom = p.m_Min + (B - float(y2)) / (B - T) * (p.m_Max - p.m_Min);
                if (double(top) - 0.0001 > double(bottom))
                    SetAxisMinMax(short(i), bottom, top, p.m_bAutoScale);
            }
        }
        m_ZoomRect = QRect(QPoint(0, 0), QPoint(0, 0));
        m_bZooming = false;
        RepaintGraph(RepaintFull);
        notifyHasNewDataToSave();
        break;
    }
    case MousePan:
        m_bPanning = false;
        break;
    case MouseMoveAnnotation:
        m_bDraggingAnnotation = false;
        notifyHasNewDataToSave();
        break;
    default:
        break;
    }
}

// ---- zoom, pan and scales ----

void CGraphWindow::DoDragPan(QPoint p)
{
    if (p == m_LastMousePoint || !m_bPanning)
        return;
    const float L = float(m_GraphRect.left()), T = float(m_GraphRect.top());
    const float R = float(m_GraphRect.right()), B = float(m_GraphRect.bottom());
    if (R <= L || B <= T)
        return;
    const float xPrev = m_X.Min() + (float(m_LastMousePoint.x()) - L) / (R - L) * (m_X.Max() - m_X.Min());
    const float xNow = m_X.Min() + (float(p.x()) - L) / (R - L) * (m_X.Max() - m_X.Min());
    const float d = xNow - xPrev;
    m_X.PanBy(d);
    if (m_GraphType == BarGraph) {
        if (const CDataBranch* branch = GetDataBranch(0))
            m_X.KeepInside(float(branch->GetXSize()));
        RepaintGraph(RepaintFull);
        m_LastMousePoint = p;
        return;
    }
    for (int i = 0; i < m_Plots.size(); ++i) {
        CGraphPlot plot = GetPlot(i);
        const float dy = ((B - float(p.y())) - (B - float(m_LastMousePoint.y()))) / (B - T) * (plot.m_Max - plot.m_Min);
        plot.m_Min -= dy;
        plot.m_Max -= dy;
        UpdatePlot(plot, i);
    }
    RepaintGraph(RepaintFull);
    m_LastMousePoint = p;
}

void CGraphWindow::DoDragScale(QPoint p)
{
    const QPoint a = m_DragStartPoint;
    const float bx = a.x() - m_GraphRect.left() > 0 ? float(a.x() - m_GraphRect.left()) : 1.0f;
    const float by = a.y() - m_GraphRect.top() > 0 ? float(a.y() - m_GraphRect.top()) : 1.0f;
    const float rx = float(p.x() - m_GraphRect.left()) / bx;
    const float ry = float(p.y() - m_GraphRect.top()) / by;
    if (m_DragScale == ZoneX) {
        // The mouse on (or left of) the plot area's left edge would stretch the axis without end.
        if (rx == 1.0f || rx <= 0.0f)
            return;
        m_DragStartPoint = p;
        const float m = m_DragStartXMax / rx;
        if (m > m_X.Min() && std::isfinite(m)) {
            m_X.ZoomTo(m_X.Min(), m);
            m_DragStartXMax = m;
        } else {
            m_DragStartXMax = m_X.Max();
        }
        RepaintGraph(RepaintFull);
        return;
    }
    if ((m_DragScale != ZoneLeft && m_DragScale != ZoneRight) || ry == 1.0f)
        return;
    if (m_DragScalePlot < 0 || m_DragScalePlot >= m_Plots.size())
        return;
    CGraphPlot plot = GetPlot(m_DragScalePlot);
    const CDataBranch* branch = GetDataBranch(m_DragScalePlot);
    if (!branch)
        return;
    // A fitted curve is stretched with the series it was fitted to. (A function computed while a
    // run recorded also names its source as its parent, but is on this scale only when it is
    // in a unit of its own.)
    if (branch->m_ParentKey >= 0 && branch->m_SensorIndex == SensorIndexDerivedFunction) {
        for (int j = 0; j < m_Plots.size(); ++j)
            if (m_Plots.at(j).m_Key == branch->m_OwnerKey)
                DoDragScaleFactor(j, rx, ry);
        return;
    }
    double top = double(plot.m_Min) + double(plot.m_DragStartMax - plot.m_Min) * double(ry);
    if (top - double(plot.m_Min) < s_MinSpan)
        top = double(plot.m_Min) + s_MinSpan;
    plot.m_Max = float(top);
    UpdatePlot(plot, m_DragScalePlot);
    SetAxisMinMax(short(m_DragScalePlot), plot.m_Min, float(top), plot.m_bAutoScale);
    const int n = branch->m_DerivedKeys.GetSize();
    for (int k = 0; k < n; ++k) {
        const int key = branch->m_DerivedKeys.GetAt(k);
        for (int j = 0; j < m_Plots.size(); ++j)
            if (m_Plots.at(j).m_Key == key)
                DoDragScaleFactor(j, rx, ry);
    }
    m_Predictions.StretchMaxima(ry);
    RepaintGraph(RepaintFull);
}

void CGraphWindow::DoDragScaleFactor(int plotIndex, float xRatio, float yRatio)
{
    // Fitted curves name each other in their key lists; a list that leads back to a plot
    // already stretched in this step must not send the stretch round again.
    QSet<int> visited;
    QList<int> pending{plotIndex};
    while (!pending.isEmpty()) {
        const int j = pending.takeFirst();
        if (j < 0 || j >= m_Plots.size() || yRatio == 1.0f || visited.contains(j))
            continue;
        visited.insert(j);
        CGraphPlot q = GetPlot(j);
        double top = double(q.m_Min) + double(q.m_DragStartMax - q.m_Min) * double(yRatio);
        if (top - double(q.m_Min) < s_MinSpan)
            top = double(q.m_Min) + s_MinSpan;
        q.m_Max = float(top);
        UpdatePlot(q, j);
        SetAxisMinMax(short(j), q.m_Min, float(top), false);
        const CDataBranch* branch = GetDataBranch(j);
        const int n = branch ? branch->m_DerivedKeys.GetSize() : 0;
        for (int k = 0; k < n; ++k) {
            const int key = branch->m_DerivedKeys.GetAt(k);
            for (int i = 0; i < m_Plots.size(); ++i)
                if (m_Plots.at(i).m_Key == key)
                    pending.append(i);
        }
    }
    Q_UNUSED(xRatio);
    RepaintGraph(RepaintFull);
}

// ---- cursor and annotation drags ----

void CGraphWindow::DoDragCursor(QPoint p)
{
    const int k = m_Cursors.Dragged();
    if (k != 1 && k != 2)
        return;
    // The cursor under the pointer moves along its own curve; the other one stays where it is,
    // on its curve, whatever other curve the pointer passes.
    const int plotIndex = m_Cursors.Cursor(k).m_Plot;
    CDataBranch* branch = GetDataBranch(plotIndex);
    if (!branch)
        return;
    const float prevY = m_Cursors.Cursor(k).m_Y;
    const int count = branch->GetXSize();
    float x = 0.0f, y = 0.0f;
    int sample = m_Cursors.Cursor(k).m_Sample;
    if (m_GraphType == XYGraph) {
        const CDataBranch* xBranch = m_X.XBranchOfPlot(plotIndex);
        const int s = m_X.NearestXYSample(plotIndex, p, m_GraphRect, nullptr);
        if (s < 0 || !xBranch)
            return;
        sample = s;
        y = float(branch->GetYSample(s));
        x = float(m_X.XYSampleX(plotIndex, s));
    } else {
        x = m_X.PlotColumnToX(plotIndex, p.x(), m_GraphRect);
        const int start = x - 3.0f > 0.0f ? GraphRules::TruncClamped(x - 3.0f) : 0;
        const double rel = double(x) - branch->GetXSample(0);
        // Left of the first sample or beyond the last: the cursor stays where it was.
        if (count == 0 || rel > double(count) || rel < 0.0)
            return;
        y = FindMatchingTimeY(branch, x, sample, start);
        if (y == float(MissingValue)) {
            y = prevY;
            x = 0.0f;
        }
        int s2 = sample;
        const int start2 = x - 3.0f > 0.0f ? GraphRules::TruncClamped(x - 3.0f) : 0;
        FindMatchingTimeY(branch, x, s2, start2);
        x = float(s2 + branch->GetXSample(0));
    }
    // Whatever the search gave, the stored sample stays one of the branch's.
    sample = std::clamp(sample, 0, std::max(0, count - 1));
    m_Cursors.MoveTo(k, sample, x, y);
    m_bDrawCursors = false;
    m_RepaintMode = RepaintCursorDrag;
    repaint();
}

void CGraphWindow::DoDragAnnotation(QPoint p)
{
    if (p == m_LastMousePoint)
        return;
    const int dx = p.x() - m_DragStartPoint.x();
    const int dy = p.y() - m_DragStartPoint.y();
    m_LastMousePoint = p;
    CGraphPlot plot = GetPlot(m_SelAnnotationPlot);
    if (m_SelAnnotation < 0 || m_SelAnnotation >= plot.GetNumAnnotations())
        return;
    CGraphTextAnnotation note = plot.GetAnnoation(m_SelAnnotation);
    const CDataBranch* branch = GetDataBranch(m_SelAnnotationPlot);
    if (!branch)
        return;
    const float x = float(branch->GetXSample(note.m_Sample));
    const float y = float(branch->GetYSample(note.m_Sample));
    const GraphRules::Range xr = m_X.PlotRange(m_SelAnnotationPlot);
    const int px = GraphRules::ToPixelX(x, xr.min, xr.max, m_GraphRect);
    const int py = GraphRules::ToPixelY(y, plot.m_Min, plot.m_Max, m_GraphRect);
    const int lx = GraphRules::TruncClamped(px + std::sin(note.m_StartAngle) * note.m_StartLength);
    const int ly = GraphRules::TruncClamped(py - std::cos(note.m_StartAngle) * note.m_StartLength);
    const int ox = dx - px + lx;
    const int oy = dy - py + ly;
    note.m_Angle = std::atan2(double(oy), double(ox)) + 1.5707963267948966;
    note.m_Length = std::sqrt(double(ox) * ox + double(oy) * oy);
    plot.m_Annotations[m_SelAnnotation] = note;
    UpdatePlot(plot, m_SelAnnotationPlot);
    RepaintGraph(RepaintFull);
}

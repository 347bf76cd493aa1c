// The graph's tool bar along its bottom edge, the button that opens and closes it, the
// enabled and checked states of its actions, and the three scale combo boxes at the corners
// of the plot area.
#include "graph/GraphWindow.h"
#include "graph/GraphRules.h"
#include "windowbase/DeferredIcon.h"
#include "windowbase/FlatToolBar.h"

#include "windowbase/MultiAction.h"
#include "windowbase/Prompter.h"
#include "Core/Data/Globals.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QToolBar>
#include <QToolButton>

namespace {

struct ActionEntry
{
    const char* text;
    int key;
    bool checkable;
    const char* images[4];   // normal, hover, pressed, disabled
};
enum ImageState { ImageNormal = 0, ImageHover, ImagePressed, ImageDisabled };

// The hover image of Move Annotation is stored under a shortened name; Print shows the table
// window's print images.
const ActionEntry s_Actions[CGraphWindow::NumToolActions] = {
    {QT_TRANSLATE_NOOP("CGraphWindow", "Zoom"), 40, true,
     {":/images/GraphToolbar/Graph_Normal/Zoom-to-selection_normal.png",
      ":/images/GraphToolbar/Graph_ Rollover/Zoom-to-selection_Rollover.png",
      ":/images/GraphToolbar/Graph_Press/Zoom-to-selection_press.png",
      ":/images/GraphToolbar/Graph_Disable/Zoom-to-selection_disable.png"}},
    {QT_TRANSLATE_NOOP("CGraphWindow", "Pan"), 41, true,
     {":/images/GraphToolbar/Graph_Normal/Pan_normal.png",
      ":/images/GraphToolbar/Graph_ Rollover/Pan_Rollover.png",
      ":/images/GraphToolbar/Graph_Press/Pan_press.png",
      ":/images/GraphToolbar/Graph_Disable/Pan_disable.png"}},
    {QT_TRANSLATE_NOOP("CGraphWindow", "Autoscale"), 42, false,
     {":/images/GraphToolbar/Graph_Normal/Autoscale_normal.png",
      ":/images/GraphToolbar/Graph_ Rollover/Autoscale_Rollover.png",
      ":/images/GraphToolbar/Graph_Press/Autoscale_press.png",
      ":/images/GraphToolbar/Graph_Disable/Autoscale_disable.png"}},
    {QT_TRANSLATE_NOOP("CGraphWindow", "Cursor"), 43, true,
     {":/images/GraphToolbar/Graph_Normal/First-cursor_normal.png",
      ":/images/GraphToolbar/Graph_ Rollover/First-cursor_Rollover.png",
      ":/images/GraphToolbar/Graph_Press/First-cursor_press.png",
      ":/images/GraphToolbar/Graph_Disable/First-cursor_disable.png"}},
    {QT_TRANSLATE_NOOP("CGraphWindow", "Second Cursor"), 44, true,
     {":/images/GraphToolbar/Graph_Normal/Second-cursor_normal.png",
      ":/images/GraphToolbar/Graph_ Rollover/Second-cursor_Rollover.png",
      ":/images/GraphToolbar/Graph_Press/Second-cursor_press.png",
      ":/images/GraphToolbar/Graph_Disable/Second-cursor_disable.png"}},
    {QT_TRANSLATE_NOOP("CGraphWindow", "Add Annotation"), 45, false,
     {":/images/GraphToolbar/Graph_Normal/Add-annotation_normal.png",
      ":/images/GraphToolbar/Graph_ Rollover/Add-annotation_Rollover.png",
      ":/images/GraphToolbar/Graph_Press/Add-annotation_press.png",
      ":/images/GraphToolbar/Graph_Disable/Add-annotation_disable.png"}},
    {QT_TRANSLATE_NOOP("CGraphWindow", "Move Annotation"), 46, true,
     {":/images/GraphToolbar/Graph_Normal/Move-annotation_normal.png",
      ":/images/GraphToolbar/Graph_ Rollover/Move-annotatio_Rollover.png",
      ":/images/GraphToolbar/Graph_Press/Move-annotation_press.png",
      ":/images/GraphToolbar/Graph_Disable/Move-annotation_disable.png"}},
    {QT_TRANSLATE_NOOP("CGraphWindow", "Properties"), 47, false,
     {":/images/GraphToolbar/Graph_Normal/Properties_normal.png",
      ":/images/GraphToolbar/Graph_ Rollover/Properties_Rollover.png",
      ":/images/GraphToolbar/Graph_Press/Properties_press.png",
      ":/images/GraphToolbar/Graph_Disable/Properties_disable.png"}},
    {QT_TRANSLATE_NOOP("CGraphWindow", "Copy Graph"), 48, false,
     {":/images/GraphToolbar/Graph_Normal/Split-graph_normal.png",
      ":/images/GraphToolbar/Graph_ Rollover/Split-graph_Rollover.png",
      ":/images/GraphToolbar/Graph_Press/Split-graph_press.png",
      ":/images/GraphToolbar/Graph_Disable/Split-graph_disable.png"}},
    {QT_TRANSLATE_NOOP("CGraphWindow", "Export"), 49, false,
     {":/images/GraphToolbar/Graph_Normal/Export-to-Excel_normal.png",
      ":/images/GraphToolbar/Graph_ Rollover/Export-to-Excel_Rollover.png",
      ":/images/GraphToolbar/Graph_Press/Export-to-Excel_press.png",
      ":/images/GraphToolbar/Graph_Disable/Export-to-Excel_disable.png"}},
    {QT_TRANSLATE_NOOP("CGraphWindow", "Predict"), 49, true,
     {":/images/GraphToolbar/Graph_Normal/Predict_normal.png",
      ":/images/GraphToolbar/Graph_ Rollover/Predict_Rollover.png",
      ":/images/GraphToolbar/Graph_Press/Predict_press.png",
      ":/images/GraphToolbar/Graph_Disable/Predict_disable.png"}},
    {QT_TRANSLATE_NOOP("CGraphWindow", "Add Prediction"), 49, false,
     {":/images/GraphToolbar/Graph_Normal/Add-Prediction_normal.png",
      ":/images/GraphToolbar/Graph_ Rollover/Add-Prediction_Rollover.png",
      ":/images/GraphToolbar/Graph_Press/Add-Prediction_press.png",
      ":/images/GraphToolbar/Graph_Disable/Add-Prediction_disable.png"}},
    {QT_TRANSLATE_NOOP("CGraphWindow", "Erase Prediction"), 49, true,
     {":/images/GraphToolbar/Graph_Normal/Erase-prediction_normal.png",
      ":/images/GraphToolbar/Graph_ Rollover/Erase-prediction_Rollover.png",
      ":/images/GraphToolbar/Graph_Press/Erase-prediction_press.png",
      ":/images/GraphToolbar/Graph_Disable/Erase-prediction_disable.png"}},
    {QT_TRANSLATE_NOOP("CGraphWindow", "Print"), 49, false,
     {":/images/table/Print_normal.png",
      ":/images/table/Print_Rollover.png",
      ":/images/table/Print_press.png",
      ":/images/table/Print_disable.png"}},
};

// The commands this window carries out so far; the others keep their actions disabled.
bool CommandAvailable(int action)
{
    return action >= 0 && action < CGraphWindow::NumToolActions;
}

QIcon Image(int action, ImageState state)
{
    return KorvantaIcons::Deferred(QString::fromLatin1(s_Actions[action].images[state]));
}

QPalette ToolBarPalette(const QPalette& base)
{
    QPalette p = base;
    for (QPalette::ColorRole role : {QPalette::Button, QPalette::Light, QPalette::Midlight, QPalette::Dark,
                                     QPalette::Mid, QPalette::Shadow, QPalette::Window})
        p.setBrush(role, QBrush(toolbarBackColor, Qt::SolidPattern));
    return p;
}

// A scale combo box is no more than its pop-up arrow on the strip it lies on: the box paints
// the strip's colour and the arrow itself (pressed in by a pixel while the list is open). A
// style sheet per box did the same, but every box of every graph window made then parsed its
// sheet and went through the style-sheet style, which took a good part of the time of showing
// a graph's first plot. The list opens as before.
class CScaleCombo : public QComboBox
{
public:
    CScaleCombo(const QColor& background, QWidget* parent) : QComboBox(parent), m_Background(background) {}

    // The list is only made when it first opens (asking for the view would make it), and
    // then grows with its widest entry as it did under the style sheet.
    void showPopup() override
    {
        view()->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Ignored);
        m_bOpen = true;
        update();
        QComboBox::showPopup();
    }
    void hidePopup() override
    {
        m_bOpen = false;
        update();
        QComboBox::hidePopup();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), m_Background);
        // The arrow centred in the 20-pixel drop-down area at the right of the box.
        QRect arrow(0, 0, 12, 12);
        arrow.moveCenter(QRect(width() - 20, 0, 20, height()).center());
        if (m_bOpen)
            arrow.translate(1, 1);
        painter.drawPixmap(arrow, QPixmap(QStringLiteral(":/images/GraphToolbar/down_arrow.png")));
    }

private:
    QColor m_Background;
    bool m_bOpen = false;
};

// The bar along the window's bottom edge, right of the button that opens and closes it.
void PlaceToolBar(const QWidget* window, QWidget* bar, QWidget* toggle)
{
    if (!bar)
        return;
    const QMargins m = window->contentsMargins();
    const int w = window->width(), h = window->height();
    bar->move(m.left() + 40, h - 41);
    bar->resize(w - m.left() - m.right(), 40);
    toggle->move(m.left(), h - 40);
    toggle->resize(40, 40 - m.bottom());
}

} // namespace

// The actions are made with the window (the commands and their states live in them); the bar
// and its buttons only when the window is first shown: a graph that is never shown (a picture
// taken, a workspace read and written again) needs none, and the bar's fourteen buttons were
// a good part of the cost of making a graph window, and of deleting it.
void CGraphWindow::InitToolBar()
{
    QList<MultiAction*> made;
    for (int i = 0; i < NumToolActions; ++i) {
        auto* a = new MultiAction(Image(i, ImageDisabled), tr(s_Actions[i].text), this);
        a->setKey(s_Actions[i].key);
        a->setPressedIcon(Image(i, ImagePressed));
        a->setHoverIcon(Image(i, ImageHover));
        a->setNormalIcon(Image(i, ImageNormal));
        a->setDisabledIcon(Image(i, ImageDisabled));
        a->setCheckable(s_Actions[i].checkable);
        made.append(a);
    }
    connect(made.at(ActAutoscale), &QAction::triggered, this, &CGraphWindow::OnAutoscale);
    connect(made.at(ActZoom), &QAction::triggered, this, &CGraphWindow::OnZoom);
    connect(made.at(ActPan), &QAction::triggered, this, &CGraphWindow::OnPan);
    connect(made.at(ActCursor), &QAction::triggered, this, &CGraphWindow::OnCursor);
    connect(made.at(ActCursor2), &QAction::triggered, this, &CGraphWindow::OnCursor2);
    connect(made.at(ActAddAnnotation), &QAction::triggered, this, &CGraphWindow::OnAddAnnotation);
    connect(made.at(ActMoveAnnotation), &QAction::triggered, this, &CGraphWindow::OnMoveAnnotation);
    m_ToolBarActions = made;
    ConnectCommands();
}

void CGraphWindow::showEvent(QShowEvent* event)
{
    CKorvantaWindow::showEvent(event);
    if (m_pToolBar)
        return;
    // The bar fills no background: the window paints the strip it lies on.
    m_pToolBar = new CFlatToolBar(this);
    m_pToolBar->setPalette(ToolBarPalette(m_pToolBar->palette()));
    m_pToolBar->setMovable(false);
    m_pToolBar->resize(200, 26);
    m_pToolBar->setWindowOpacity(0.0);
    m_pToolBar->setIconSize(QSize(24, 24));
    for (MultiAction* a : m_ToolBarActions) {
        m_pToolBar->addAction(a);
        if (QWidget* button = m_pToolBar->widgetForAction(a)) {
            a->setAssociatedWidget(button);
            button->installEventFilter(a);
        }
    }

    m_pToolBarToggle = new QPushButton(KorvantaIcons::Deferred(QStringLiteral(":/images/GraphToolbar/Closing-toolbar.png")),
                                       tr(""), this);
    m_pToolBarToggle->setFlat(true);
    m_pToolBarToggle->setCheckable(true);
    m_pToolBarToggle->setAutoFillBackground(true);
    m_pToolBarToggle->setPalette(m_pToolBar->palette());
    connect(m_pToolBarToggle, &QPushButton::clicked, this, &CGraphWindow::OnGraphToggle);
    // Below the scale boxes, should they be there already, as when the bar came first.
    if (m_pLeftScaleCombo)
        for (QWidget* w : {static_cast<QWidget*>(m_pToolBar), static_cast<QWidget*>(m_pToolBarToggle)})
            w->stackUnder(m_pLeftScaleCombo);
    PlaceToolBar(this, m_pToolBar, m_pToolBarToggle);
    m_pToolBar->show();
    m_pToolBarToggle->show();
}

void CGraphWindow::OnGraphToggle()
{
    if (m_pToolBar->isVisible()) {
        m_pToolBar->hide();
        m_pToolBarToggle->setIcon(KorvantaIcons::Deferred(QStringLiteral(":/images/GraphToolbar/Opening-toolbar.png")));
    } else {
        m_pToolBar->show();
        m_pToolBarToggle->setIcon(KorvantaIcons::Deferred(QStringLiteral(":/images/GraphToolbar/Closing-toolbar.png")));
    }
}

CGraphWindow::ToolState GraphToolStates(const CGraphWindow::ToolInput& in)
{
    using W = CGraphWindow;
    W::ToolState st;
    const bool notBar = in.graphType != W::BarGraph;
    const bool base = !in.running && in.plots > 0;
    for (int i = 0; i < W::NumToolActions; ++i) {
        st.enabled[i] = st.image[i] = base;
        st.checked[i] = false;
    }
    auto enable = [&](int a, bool on) { st.enabled[a] = st.image[a] = on; };
    st.checked[W::ActZoom] = in.mouseMode == W::MouseZoom;
    st.enabled[W::ActZoom] = notBar;
    st.checked[W::ActPan] = in.mouseMode == W::MousePan;
    st.enabled[W::ActAutoscale] = notBar;
    st.checked[W::ActCursor] = in.cursor1;
    enable(W::ActCursor, in.plots > 0 && notBar);
    st.checked[W::ActCursor2] = in.cursor2;
    enable(W::ActCursor2, in.cursor1 && notBar);
    enable(W::ActAddAnnotation, in.cursor1);
    enable(W::ActMoveAnnotation, in.annotations);
    st.checked[W::ActMoveAnnotation] = in.mouseMode == W::MouseMoveAnnotation;
    enable(W::ActPredict, notBar);
    st.checked[W::ActPredict] = in.mouseMode == W::MouseAddPredict;
    enable(W::ActAddPredict, in.predictMode && in.predictCurves && notBar);
    enable(W::ActErasePredict, in.predictMode && notBar);
    st.checked[W::ActErasePredict] = in.mouseMode == W::MouseErasePredict;
    return st;
}

void CGraphWindow::UpdateButtons()
{
    if (m_ToolBarActions.size() != NumToolActions)
        return;
    ToolInput in;
    in.running = m_bRunning;
    in.plots = m_Plots.size();
    in.graphType = m_GraphType;
    in.mouseMode = m_MouseMode;
    in.cursor1 = m_Cursors.First().m_Plot != -1;
    in.cursor2 = m_Cursors.Second().m_Plot != -1;
    for (const CGraphPlot& p : m_Plots)
        in.annotations = in.annotations || p.GetNumAnnotations() > 0;
    in.predictMode = m_Predictions.IsOn();
    in.predictCurves = !m_Predictions.Curves().isEmpty();
    const ToolState st = GraphToolStates(in);
    for (int i = 0; i < NumToolActions; ++i) {
        MultiAction* a = m_ToolBarActions.at(i);
        const bool available = CommandAvailable(i);
        a->SetEnabledWithIcon(st.image[i] && available);
        a->setEnabled(st.enabled[i] && available);
        if (a->isCheckable())
            a->setChecked(st.checked[i]);
    }
}

// ---- scale combo boxes ----

// Made with the first plot: a graph without one never shows them, and the three boxes were a
// good part of the cost of opening (and of closing) an empty graph.
// They stack above the tool bar (made on first show, below them).
void CGraphWindow::InitScaleCombos()
{
    if (m_pLeftScaleCombo)
        return;
    m_pLeftScaleCombo = new CScaleCombo(QColor(232, 232, 232), this);
    m_pRightScaleCombo = new CScaleCombo(QColor(232, 232, 232), this);
    m_pXScaleCombo = new CScaleCombo(QColor(128, 128, 128), this);
    m_pLeftScaleCombo->setObjectName(QStringLiteral("leftScaleCombo"));
    m_pRightScaleCombo->setObjectName(QStringLiteral("rightScaleCombo"));
    m_pXScaleCombo->setObjectName(QStringLiteral("xScaleCombo"));
    for (QComboBox* c : {m_pLeftScaleCombo, m_pRightScaleCombo, m_pXScaleCombo})
        c->hide();
}

void CGraphWindow::HideScaleCombos(bool clear)
{
    if (!m_pLeftScaleCombo)
        return;
    for (QComboBox* c : {m_pLeftScaleCombo, m_pRightScaleCombo, m_pXScaleCombo}) {
        c->hide();
        if (clear)
            c->clear();
    }
}

void CGraphWindow::BuildScaleCombos()
{
    InitScaleCombos();
    disconnect(m_pLeftScaleCombo, QOverload<int>::of(&QComboBox::activated), this, nullptr);
    disconnect(m_pRightScaleCombo, QOverload<int>::of(&QComboBox::activated), this, nullptr);
    disconnect(m_pXScaleCombo, QOverload<int>::of(&QComboBox::activated), this, nullptr);
    m_pLeftScaleCombo->clear();
    m_pRightScaleCombo->clear();
    m_pXScaleCombo->clear();
    m_ScaleComboPlots.clear();
    // Each combo takes its entries in one insertion: one by one, a graph of every run of a large
    // workspace spent its opening in the combos' bookkeeping of each new row.
    QStringList scaleTitles, xTitles;
    xTitles.append(GraphRules::TimeAxisName(m_X.TimeAxisContent()));
    for (int i = 0; i < m_Plots.size(); ++i) {
        const CGraphPlot& p = m_Plots.at(i);
        const QString title = CGraphX::PlotTitle(p);
        if (p.m_bVisible) {
            scaleTitles.append(title);
            m_ScaleComboPlots.append(i);
        }
        if (m_Plots.size() >= 2)
            xTitles.append(title);
    }
    m_pLeftScaleCombo->addItems(scaleTitles);
    m_pRightScaleCombo->addItems(scaleTitles);
    m_pXScaleCombo->addItems(xTitles);
    m_LeftScalePlot = 0;
    m_RightScalePlot = 1;
    m_pXScaleCombo->setEnabled(m_GraphType != BarGraph);
    connect(m_pLeftScaleCombo, QOverload<int>::of(&QComboBox::activated), this,
            &CGraphWindow::OnLeftScaleComboChanged);
    connect(m_pRightScaleCombo, QOverload<int>::of(&QComboBox::activated), this,
            &CGraphWindow::OnRightScaleComboChanged);
    connect(m_pXScaleCombo, QOverload<int>::of(&QComboBox::activated), this,
            &CGraphWindow::OnXScaleComboChanged);
}

void CGraphWindow::ResizeScaleCombos()
{
    HideScaleCombos(false);
    const int visible = GetNumVisiblePlots();
    if (visible == 0)
        return;
    InitScaleCombos();
    const QRect& r = m_GraphRect;
    m_ScaleCombosRect = r;
    m_pLeftScaleCombo->resize(20, 20);
    m_pLeftScaleCombo->move(r.left(), r.top() - 28);
    m_pLeftScaleCombo->show();
    m_pLeftScaleCombo->setCurrentIndex(PlotIndexToVisiblePlotIndex(m_LeftScalePlot));
    if (visible >= 2) {
        m_pRightScaleCombo->resize(20, 20);
        m_pRightScaleCombo->move(r.right() - 20, r.top() - 28);
        m_pRightScaleCombo->show();
        m_pRightScaleCombo->setCurrentIndex(PlotIndexToVisiblePlotIndex(m_RightScalePlot));
    }
    m_pXScaleCombo->resize(20, 20);
    m_pXScaleCombo->move(r.left(), r.bottom() + 22);
    m_pXScaleCombo->setCurrentIndex(m_X.PlotIndex() + 1);
    m_pXScaleCombo->show();
}

void CGraphWindow::RepositionScaleCombos()
{
    if (m_Plots.isEmpty() || !m_pLeftScaleCombo)
        return;
    const QRect& r = m_GraphRect;
    m_ScaleCombosRect = r;
    m_pLeftScaleCombo->move(r.left(), r.top() - 28);
    if (m_Plots.size() >= 2)
        m_pRightScaleCombo->move(r.right() - 20, r.top() - 28);
    m_pXScaleCombo->move(r.left(), r.bottom() + 22);
}

void CGraphWindow::RetitleScaleCombos()
{
    if (!m_pLeftScaleCombo)
        return;
    for (int k = 0; k < m_ScaleComboPlots.size(); ++k) {
        const QString title = CGraphX::PlotTitle(GetPlot(m_ScaleComboPlots.at(k)));
        if (k < m_pLeftScaleCombo->count())
            m_pLeftScaleCombo->setItemText(k, title);
        if (k < m_pRightScaleCombo->count())
            m_pRightScaleCombo->setItemText(k, title);
    }
    // The X list holds Time, then every plot when there are two or more.
    for (int i = 0; i + 1 < m_pXScaleCombo->count() && i < m_Plots.size(); ++i)
        m_pXScaleCombo->setItemText(i + 1, CGraphX::PlotTitle(m_Plots.at(i)));
}

void CGraphWindow::OnLeftScaleComboChanged(int index)
{
    if (index < 0 || index >= m_ScaleComboPlots.size())
        return;
    m_LeftScalePlot = m_ScaleComboPlots.at(index);
    update();
    notifyHasNewDataToSave();
}

void CGraphWindow::OnRightScaleComboChanged(int index)
{
    if (index < 0 || index >= m_ScaleComboPlots.size())
        return;
    m_RightScalePlot = m_ScaleComboPlots.at(index);
    update();
    notifyHasNewDataToSave();
}

void CGraphWindow::OnXScaleComboChanged(int index)
{
    if (m_GraphType == BarGraph || index < 0 || index > m_Plots.size())
        return;
    if (index == 0) {
        SetXPlot(nullptr, true, 0);
        m_GraphType = TimeGraph;
    } else {
        CGraphPlot p = GetPlot(index - 1);
        SetXPlot(&p, false, index - 1);
        m_GraphType = XYGraph;
        m_X.ScaleTo(p.m_Min, p.m_Max, true);
    }
    AutoScaleAllAxis(isLive());
    // The samples the cursors stood on lie elsewhere on the new axis: both go.
    m_Cursors.Detach(m_GraphType == BarGraph);
    // A scale chosen beside a curve the new axis does not draw goes to a drawn one.
    if (!m_X.PlotIsDrawn(m_LeftScalePlot) || (GetNumVisiblePlots() >= 2 && !m_X.PlotIsDrawn(m_RightScalePlot))) {
        chooseFirstVisibleScales();
        ResizeScaleCombos();
    }
    update();
    // What the new axis leaves out is said, so that no curve goes without a word.
    const QStringList notices = m_X.NotDrawnTexts();
    if (!notices.isEmpty())
        GraphPrompter(m_pHost)->information(this, tr("Graph"), notices.join(QStringLiteral("\n\n")));
}

void CGraphWindow::resizeEvent(QResizeEvent* event)
{
    CKorvantaWindow::resizeEvent(event);
    if (windowState() & Qt::WindowMinimized)
        return;
    PlaceToolBar(this, m_pToolBar, m_pToolBarToggle);
    ResizeScaleCombos();
}

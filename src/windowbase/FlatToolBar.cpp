#include "windowbase/FlatToolBar.h"

#include <QEvent>
#include <QLayout>
#include <QStyle>
#include <QStyleOptionToolBar>

CFlatToolBar::CFlatToolBar(QWidget* parent) : QToolBar(parent)
{
    // The buttons keep the application's palette and font instead of taking the bar's (whose
    // colours are the strip's behind them), as buttons on a bar with a style sheet do: a
    // checked button is drawn light on the grey bar.
    setAttribute(Qt::WA_StyleSheet);
    dropFrameMargin();
}

void CFlatToolBar::dropFrameMargin()
{
    if (!layout())
        return;
    QStyleOptionToolBar option;
    initStyleOption(&option);
    const int margin = style()->pixelMetric(QStyle::PM_ToolBarItemMargin, &option, this);
    layout()->setContentsMargins(margin, margin, margin, margin);
}

void CFlatToolBar::changeEvent(QEvent* event)
{
    QToolBar::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        dropFrameMargin();
}

void CFlatToolBar::paintEvent(QPaintEvent*)
{
    // Nothing but the buttons is drawn: the bar lies on its window's background, and outside a
    // main window's tool-bar area it never floats nor lays itself open over its neighbours (its
    // extension button opens a menu instead).
}

#include "windowbase/TextFit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLayout>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace TextFit {

void FixSize(QWidget* w, const QSize& designed)
{
    if (!w)
        return;
    QSize size = designed;
    if (QLayout* layout = w->layout()) {
        // The layout's own minimum: every label and button at the width of its text.
        layout->activate();
        size = size.expandedTo(layout->totalMinimumSize());
    }
    w->setFixedSize(size);
}

int TitleWidth(const QWidget* w)
{
    if (!w)
        return 0;
    QFont font = QApplication::font();
    font.setBold(true);
    const int needed = QFontMetrics(font).horizontalAdvance(w->windowTitle()) + TitleBarRoom;
    const QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? std::min(needed, screen->availableGeometry().width()) : needed;
}

void FitTitle(QWidget* w)
{
    if (w)
        w->setMinimumWidth(std::max(w->minimumWidth(), TitleWidth(w)));
}

} // namespace TextFit

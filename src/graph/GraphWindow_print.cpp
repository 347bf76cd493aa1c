// The graph as a picture on the clipboard, and as a vector drawing on one printed page.
#include "graph/GraphWindow.h"

#include "windowbase/Prompter.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <cmath>

QRect CGraphWindow::PictureRect()
{
    // The window without its title bar and without the tool bar band along the bottom.
    const QMargins m = contentsMargins();
    const int top = GetTitleBarHeight();
    return QRect(QPoint(m.left(), top), QPoint(width() - 1 - m.right(), height() - 42));
}

QPixmap CGraphWindow::GraphPicture(PictureArea area)
{
    m_RepaintMode = RepaintFull;
    if (area == PictureWindow) {
        m_bTakingPicture = true;
        const QPixmap picture = grab();
        m_bTakingPicture = false;
        return picture;
    }
    const QRect r = PictureRect();
    if (r.width() <= 0 || r.height() <= 0)
        return QPixmap();
    m_bTakingPicture = true;
    // The scale choosers are controls, not part of the graph: the picture leaves them out.
    QList<QWidget*> shown;
    for (QWidget* combo : {static_cast<QWidget*>(m_pLeftScaleCombo), static_cast<QWidget*>(m_pRightScaleCombo),
                           static_cast<QWidget*>(m_pXScaleCombo)})
        if (combo && combo->isVisibleTo(this)) {
            shown << combo;
            combo->setVisible(false);
        }
    const QPixmap picture = grab(r);
    for (QWidget* combo : shown)
        combo->setVisible(true);
    m_bTakingPicture = false;
    return picture;
}

void CGraphWindow::OnCopyGraph()
{
    const QPixmap picture = GraphPicture();
    if (picture.isNull())
        return;
    if (QClipboard* clipboard = QApplication::clipboard())
        clipboard->setImage(picture.toImage(), QClipboard::Clipboard);
}

void CGraphWindow::OnPrint()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (GraphPrompter(m_pHost)->runDialog(&dialog) == QDialog::Accepted)
        on_print(&printer);
}

void CGraphWindow::on_print(QPrinter* printer)
{
    if (!printer)
        return;
    const QRect r = PictureRect();
    if (r.width() <= 0 || r.height() <= 0)
        return;
    // The graph is painted straight onto the page, so lines and text stay vector drawings. The
    // page counts in the window's own dots per inch, so the scale fonts keep their size
    // relative to the graph, and the whole picture is then scaled to the printable area.
    printer->setResolution(logicalDpiY() > 0 ? logicalDpiY() : 96);
    QPainter painter;
    if (!painter.begin(printer))
        return;
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    const double scale = std::min(page.width() / r.width(), page.height() / r.height());
    if (scale > 0.0 && std::isfinite(scale)) {
        painter.translate((page.width() - r.width() * scale) / 2.0, 0.0);
        painter.scale(scale, scale);
        painter.translate(-r.topLeft());
        painter.setClipRect(r);
        painter.setRenderHint(QPainter::Antialiasing, true);
        m_RepaintMode = RepaintFull;
        m_bTakingPicture = true;
        const bool beyondToolBar = m_bRepaintBeyondToolBar;
        m_bRepaintBeyondToolBar = true;
        DrawGraphWindow(&painter);
        m_bRepaintBeyondToolBar = beyondToolBar;
        m_bTakingPicture = false;
    }
    painter.end();
}

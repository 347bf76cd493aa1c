// The graph as a picture: on the clipboard and on one printed page.
#include "graph/GraphWindow.h"

#include "app/base/Prompter.h"

#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

QRect CGraphWindow::PictureRect()
{
    // The window without its title bar and without the tool bar band along the bottom.
    const QMargins m = contentsMargins();
    const int top = GetTitleBarHeight();
    return QRect(QPoint(m.left(), top), QPoint(width() - 1 - m.right(), height() - 42));
}

QPixmap CGraphWindow::GraphPicture()
{
    const QRect r = PictureRect();
    if (r.width() <= 0 || r.height() <= 0)
        return QPixmap();
    m_RepaintMode = RepaintFull;
    m_bTakingPicture = true;
    const QPixmap picture = grab(r);
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
    if (graphPrompter()->runDialog(&dialog) == QDialog::Accepted)
        on_print(&printer);
}

void CGraphWindow::on_print(QPrinter* printer)
{
    if (!printer)
        return;
    const QPixmap picture = GraphPicture();
    QPainter painter;
    if (!painter.begin(printer))
        return;
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    if (!picture.isNull() && page.width() > 0)
        painter.drawPixmap(0, 0, picture.scaledToWidth(page.width(), Qt::FastTransformation));
    painter.end();
}

// Printing a table: its rows as a plain grid of the screen's texts, page after page.
#include "table/TableWindow.h"

#include "table/TableDelegate.h"
#include "table/TablePrintDialog.h"

#include <QDateTime>
#include <QLocale>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>

namespace {
const int s_MaxPrintPoints = 36;
}

QFont CTableWindow::getRestrictedFont(QFont font)
{
    if (font.pointSize() > s_MaxPrintPoints)
        font.setPointSize(s_MaxPrintPoints);
    return font;
}

int CTableWindow::getMaxFontPointSize() const
{
    int largest = std::max(m_pDelegate->indexColumn()->getColumnFont().pointSize(),
                           m_pDelegate->timeColumn()->getColumnFont().pointSize());
    for (const CTableColumn* column : m_pDelegate->columns())
        largest = std::max(largest, column->getColumnFont().pointSize());
    return largest;
}

Dialog_printTable* CTableWindow::printDialog()
{
    if (!m_pPrintDialog) {
        m_pPrintDialog = new Dialog_printTable(this);
        connect(m_pPrintDialog, &Dialog_printTable::btnPrintPreviewClicked, this, &CTableWindow::onFilePrintPreview);
        connect(m_pPrintDialog, &Dialog_printTable::btnPrintClicked, this, &CTableWindow::onFilePrinterSetupDialog);
    }
    return m_pPrintDialog;
}

void CTableWindow::on_btn_print_clicked()
{
    const int n = m_pDelegate->getMaxSizeDataColumn();
    Dialog_printTable* dialog = printDialog();
    dialog->setPrintLineValidatorLimits(n != 0 ? 1 : 0, n);
    dialog->show();
}

void CTableWindow::onFilePrintPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &CTableWindow::on_print);
    preview.exec();
}

void CTableWindow::onFilePrinterSetupDialog()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        on_print(&printer);
}

void CTableWindow::paintPageTopText(QPainter& painter, const QRect& pageRect, int, int page)
{
    painter.drawText(pageRect, Qt::AlignLeft | Qt::AlignTop,
                     QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
    painter.drawText(pageRect, Qt::AlignRight | Qt::AlignTop, tr("Page ") + QString::number(page));
}

void CTableWindow::paintTableRow(QPainter& painter, int x, int y, int, int lineHeight, int row)
{
    int left = x;
    const int last = dataColumnCount() + 1;
    for (int c = 0; c <= last; ++c) {
        painter.setFont(getRestrictedFont(m_pDelegate->getColumnFont(c)));
        const float cellWidth = float(calcColumnCellSizeByFontAndTextLength(painter.fontMetrics(), c).width()) * 1.3f;
        const int right = int(float(left) + cellWidth);
        painter.drawLine(left, y, left, y + lineHeight);
        const QString text = c == 0 ? m_pDelegate->getIndexColumnTextByRow(row)
                             : c == 1 ? m_pDelegate->getTimeColumnTextByRow(row)
                                      : m_pDelegate->getDataText(row, c - 2);
        painter.drawText(QRect(QPoint(left, y), QPoint(right - 1, y + lineHeight - 1)), Qt::AlignCenter, text);
        left = right;
    }
    painter.drawLine(x, y, left, y);
    painter.drawLine(x, y + lineHeight, left, y + lineHeight);
    painter.drawLine(left, y, left, y + lineHeight);
}

void CTableWindow::on_print(QPrinter* printer)
{
    if (!printer || !m_pDelegate)
        return;
    QPainter painter;
    if (!painter.begin(printer))
        return;
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    const int w = page.width();
    const int h = page.height();
    const QRect pageRect(0, 0, w, h);
    QFont top = painter.font();
    top.setPointSize(std::max(1, getMaxFontPointSize()));
    top.setWeight(QFont::Bold);
    top = getRestrictedFont(top);
    painter.setFont(top);
    const int lineHeight = std::max(1, painter.fontMetrics().height());
    const Dialog_printTable* dialog = printDialog();
    const int last = dialog->getToLineToPrint();
    const int first = dialog->getFromLineToPrint();
    if (first > last || last <= 0) {
        painter.end();
        return;
    }
    const int left = int(w * 0.05);
    const int topMargin = int(h * 0.05);
    const int bottom = int(h * 0.95);
    int row = std::max(first, 1) - 1;
    int pageNumber = 1;
    paintPageTopText(painter, pageRect, 0, pageNumber);
    int y = topMargin + 2 * lineHeight;
    // Each page reads its rows as one pass: a block of samples per column.
    m_pDelegate->beginPass();
    for (;;) {
        while (y < bottom && row < last) {
            paintTableRow(painter, left, y, 0, lineHeight, row);
            ++row;
            y += lineHeight;
        }
        if (row >= last)
            break;
        printer->newPage();
        ++pageNumber;
        painter.setFont(top);
        paintPageTopText(painter, pageRect, 0, pageNumber);
        y = topMargin;
    }
    m_pDelegate->endPass();
    painter.end();
}

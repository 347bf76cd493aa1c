// Printing a table to a PDF file: the pages a range of rows takes, the print dialog's ranges
// and the font cap.
#include "common/TableRig.h"
#include "table/TableDelegate.h"
#include "table/TablePrintDialog.h"

#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include "common/TestMain.h"

#include <cmath>

namespace {
int pdfPages(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    return bytes.count("/Type /Page") - bytes.count("/Type /Pages");
}

void pdfPrinter(QPrinter& printer, const QString& path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
}

// The pages the layout rule gives for n lines: the first page starts two lines below the top
// margin, later pages at it; lines go on while their top is above the bottom margin.
int expectedPages(QPrinter& printer, int pointSize, int n)
{
    QFont font;
    font.setPointSize(pointSize);
    font.setWeight(QFont::Bold);
    QPainter painter(&printer);
    painter.setFont(font);
    const int lh = painter.fontMetrics().height();
    painter.end();
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int top = int(page.height() * 0.05);
    const int bottom = int(page.height() * 0.95);
    const int first = int(std::ceil(double(bottom - top - 2 * lh) / lh));
    const int later = int(std::ceil(double(bottom - top) / lh));
    if (n <= first)
        return 1;
    return 1 + int(std::ceil(double(n - first) / later));
}
} // namespace

class TestTablePrint : public QObject
{
    Q_OBJECT
private slots:
    void allRowsTakeThePagesTheLayoutGives();
    void aRangeOfThreeLinesIsOnePage();
    void dialogRangesAndButtons();
    void typedFirstLineBeyondTheLastMovesIt();
    void fontsAboveThirtySixPointsAreCapped();
};

void TestTablePrint::allRowsTakeThePagesTheLayoutGives()
{
    CTableHost host;
    host.addRun({1, 2}, 250);
    CTableWindow* table = host.newTable();
    table->addColumnByKey(1, nullptr);
    table->addColumnByKey(2, nullptr);
    table->on_btn_print_clicked();
    table->printDialog()->hide();
    QCOMPARE(table->printDialog()->getFromLineToPrint(), 1);
    QCOMPARE(table->printDialog()->getToLineToPrint(), 250);
    QTemporaryDir dir;
    const QString path = dir.filePath("table.pdf");
    QPrinter printer(QPrinter::HighResolution);
    pdfPrinter(printer, path);
    table->on_print(&printer);
    QPrinter probe(QPrinter::HighResolution);
    pdfPrinter(probe, dir.filePath("probe.pdf"));
    const int expected = expectedPages(probe, 10, 250);
    QVERIFY(expected > 1);
    QCOMPARE(pdfPages(path), expected);
}

void TestTablePrint::aRangeOfThreeLinesIsOnePage()
{
    CTableHost host;
    host.addRun({1}, 250);
    CTableWindow* table = host.newTable();
    table->addColumnByKey(1, nullptr);
    table->on_btn_print_clicked();
    Dialog_printTable* dialog = table->printDialog();
    dialog->hide();
    dialog->linesButton()->setChecked(true);
    dialog->fromEdit()->setText("10");
    dialog->on_LE_fromLine_editingFinished();
    dialog->toEdit()->setText("12");
    dialog->on_LE_toLine_editingFinished();
    QCOMPARE(dialog->getFromLineToPrint(), 10);
    QCOMPARE(dialog->getToLineToPrint(), 12);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    pdfPrinter(printer, dir.filePath("lines.pdf"));
    table->on_print(&printer);
    QCOMPARE(pdfPages(dir.filePath("lines.pdf")), 1);
}

void TestTablePrint::dialogRangesAndButtons()
{
    Dialog_printTable dialog;
    QVERIFY(dialog.allButton()->isChecked());
    QVERIFY(!dialog.fromEdit()->isEnabled());
    dialog.setPrintLineValidatorLimits(0, 0);
    QVERIFY(!dialog.printButton()->isEnabled());
    QVERIFY(!dialog.previewButton()->isEnabled());
    dialog.setPrintLineValidatorLimits(1, 40);
    QVERIFY(dialog.printButton()->isEnabled());
    QCOMPARE(dialog.fromEdit()->text(), QString("1"));
    QCOMPARE(dialog.toEdit()->text(), QString("40"));
    dialog.linesButton()->setChecked(true);
    QVERIFY(dialog.fromEdit()->isEnabled() && dialog.toEdit()->isEnabled());
    // The validator refuses lines outside the table.
    int pos = 0;
    QString beyond = "41";
    QCOMPARE(dialog.fromEdit()->validator()->validate(beyond, pos), QValidator::Intermediate);
    QSignalSpy preview(&dialog, &Dialog_printTable::btnPrintPreviewClicked);
    dialog.on_btn_preview_clicked();
    QCOMPARE(preview.count(), 1);
}

void TestTablePrint::typedFirstLineBeyondTheLastMovesIt()
{
    Dialog_printTable dialog;
    dialog.setPrintLineValidatorLimits(1, 30);
    dialog.linesButton()->setChecked(true);
    dialog.toEdit()->setText("15");
    dialog.on_LE_toLine_editingFinished();
    dialog.fromEdit()->setText("20");
    dialog.on_LE_fromLine_editingFinished();
    QCOMPARE(dialog.toEdit()->text(), QString("20"));
    dialog.on_LE_toLine_editingFinished();
    QCOMPARE(dialog.getFromLineToPrint(), 20);
    QCOMPARE(dialog.getToLineToPrint(), 20);
}

void TestTablePrint::fontsAboveThirtySixPointsAreCapped()
{
    QFont big;
    big.setPointSize(48);
    QCOMPARE(CTableWindow::getRestrictedFont(big).pointSize(), 36);
    big.setPointSize(36);
    QCOMPARE(CTableWindow::getRestrictedFont(big).pointSize(), 36);
    big.setPointSize(12);
    QCOMPARE(CTableWindow::getRestrictedFont(big).pointSize(), 12);
}

KORVANTA_TEST_MAIN(TestTablePrint)
#include "tst_table_print.moc"

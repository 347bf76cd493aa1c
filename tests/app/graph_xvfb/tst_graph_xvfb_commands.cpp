// The graph's commands in the real main window on a real X server after a run of the
// simulated logger: the CSV export a spreadsheet reads (one row per sample, every cell a
// number), the picture on the X clipboard, the printed PDF page, prediction, properties and
// autoscale from the tool bar, and a screenshot of the result.
#include "common/GraphServices.h"
#include "support/AppBench.h"
#include "common/GraphToolBar.h"
#include "windowbase/MultiAction.h"
#include "Core/Data/DataBranch.h"
#include "graph/GraphRules.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>
#include "common/AwaitScreen.h"
#include "common/TestMain.h"

class TestGraphXvfbCommands : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void commandsAfterARun();
};

void TestGraphXvfbCommands::commandsAfterARun()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (scripts/test.sh runs it under Xvfb)");
    QTemporaryDir dir;
    CGraphTestPlatform platform;
    SetWindowPlatformServices(&platform);
    CAppBench run;
    QVERIFY(run.start());
    QVERIFY(QTest::qWaitForWindowExposed(run.window.get()));
    QVERIFY(run.detectAndChoose(10, 500));
    CGraphWindow* graph = run.graph();
    QVERIFY(graph);
    run.pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(run.ended->count(), 1, 60000);
    QTRY_VERIFY(!graph->IsRunning());
    graph->UpdateButtons();
    auto action = [&](int a) { return GraphAction(graph, a); };

    // Export: the file the spreadsheet is given.
    run.prompter.m_SaveFile = dir.filePath(QStringLiteral("run.CSV"));
    QVERIFY(action(CGraphWindow::ActExport)->isEnabled());
    action(CGraphWindow::ActExport)->trigger();
    QCOMPARE(platform.m_Opened, QStringList{run.prompter.m_SaveFile});
    QFile csv(run.prompter.m_SaveFile);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    const int samples = graph->GetDataBranch(0)->GetNumSamples();
    QCOMPARE(lines.size(), samples + 2);   // header, one row per sample, nothing after the last CR LF
    QVERIFY(lines.first().startsWith("Time(s),"));
    QVERIFY(lines.last().isEmpty());
    for (int i = 1; i <= samples; ++i) {
        QVERIFY(lines.at(i).endsWith('\r'));
        const QList<QByteArray> cells = lines.at(i).chopped(1).split(',');
        QCOMPARE(cells.size(), graph->GetNumPlots() + 1);
        for (const QByteArray& cell : cells) {
            bool number = false;
            cell.toDouble(&number);
            QVERIFY2(number, cell.constData());
        }
    }

    // Copy: the picture on the X server's clipboard.
    action(CGraphWindow::ActCopyGraph)->trigger();
    QTRY_VERIFY(!QGuiApplication::clipboard()->image().isNull());
    QCOMPARE(QGuiApplication::clipboard()->image().size(), graph->PictureRect().size());

    // Print: one PDF page; the print command itself asks first (answered Cancel here).
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("graph.pdf")));
    graph->on_print(&printer);
    QFile pdf(printer.outputFileName());
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QCOMPARE(bytes.count("/Type /Page") - bytes.count("/Type /Pages"), 1);
    run.prompter.m_DialogResult = QDialog::Rejected;
    action(CGraphWindow::ActPrint)->trigger();
    QVERIFY(run.prompter.m_Log.last().startsWith(QStringLiteral("dialog|QPrintDialog")));

    // Properties: the first plot dotted, confirmed with OK.
    run.prompter.m_DialogHook = [](QDialog* d) {
        d->findChild<QComboBox*>(QStringLiteral("plotStyleComboBox"))->setCurrentIndex(3);
        d->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Ok)->click();
    };
    run.prompter.m_DialogResult = QDialog::Accepted;
    action(CGraphWindow::ActProperties)->trigger();
    QCOMPARE(graph->GetPlot(0).m_Style, 3);
    run.prompter.m_DialogHook = nullptr;

    // Prediction: predict mode, a curve of two points, back to all data.
    action(CGraphWindow::ActPredict)->trigger();
    QVERIFY(graph->Predictions().IsOn());
    QVERIFY(action(CGraphWindow::ActAddPredict)->isEnabled());
    const CGraphPlot& first = graph->m_Plots.first();
    // The two points pressed where those values are drawn.
    auto pointAt = [&](float x, float y) {
        return QPoint(GraphRules::ToPixelX(x, graph->X().Min(), graph->X().Max(), graph->GraphRect()),
                      GraphRules::ToPixelY(y, first.m_Min, first.m_Max, graph->GraphRect()));
    };
    const QPoint left = pointAt(graph->X().Max() * 0.2f, first.m_Min + (first.m_Max - first.m_Min) * 0.8f);
    const QPoint right = pointAt(graph->X().Max() * 0.8f, first.m_Min + (first.m_Max - first.m_Min) * 0.2f);
    graph->mousePress(left, false);
    graph->mousePress(right, false);
    action(CGraphWindow::ActPredict)->trigger();
    QVERIFY(!graph->Predictions().IsOn());
    action(CGraphWindow::ActAutoscale)->trigger();

    // The prediction line crosses the middle of the plot area in its own colour, once the
    // paint has reached the screen.
    const QColor predicted = graph->Predictions().Curves().first().m_Plot.m_Color;
    const QRect area(graph->mapToGlobal(graph->GraphRect().topLeft()), graph->GraphRect().size());
    // Its edges are smoothed: a pixel near the colour counts.
    auto near = [&](const QColor& c) {
        return std::abs(c.red() - predicted.red()) + std::abs(c.green() - predicted.green())
                   + std::abs(c.blue() - predicted.blue()) < 40;
    };
    QString problem;
    const QImage shot = KorvantaTest::AwaitScreen(
        [&](const QImage& screen) {
            int drawn = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                drawn += near(screen.pixelColor(area.center().x(), y)) ? 1 : 0;
            return drawn > 0 ? QString() : QStringLiteral("no prediction line in the middle column");
        },
        &problem);
    shot.save(QDir(SCREENSHOT_DIR).filePath("korvanta-graph-commands.png"));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    SetWindowPlatformServices(nullptr);
}

KORVANTA_TEST_MAIN(TestGraphXvfbCommands)
#include "tst_graph_xvfb_commands.moc"

// A graph drawing a live run on a real X server: the screen is grabbed while the simulated
// logger records, and the graph's plot area shows the white page, its grid and the curve.
#include "support/AppBench.h"
#include "common/GraphToolBar.h"
#include "Core/Data/DataBranch.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>
#include "common/AwaitScreen.h"
#include "common/TestMain.h"

class TestGraphXvfbLive : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void liveGraphOnScreen();
};

void TestGraphXvfbLive::liveGraphOnScreen()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (scripts/test.sh runs it under Xvfb)");
    CAppBench run;
    QVERIFY(run.start());
    QVERIFY(QTest::qWaitForWindowExposed(run.window.get()));
    // 1000 samples at 100 a second: a run of ten seconds, stopped here once the pictures are
    // checked (a loaded machine may take long over them).
    QVERIFY(run.detectAndChoose(10, 1000));
    CGraphWindow* graph = run.graph();
    QVERIFY(graph);
    run.pressRun();
    QTRY_VERIFY_WITH_TIMEOUT(graph->IsRunning(), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(graph->GetDataBranch(0) && graph->GetDataBranch(0)->GetNumSamples() > 150, 60000);
    const CDataBranch* branch = graph->GetDataBranch(0);

    // What the X server shows, not what the window would paint: grabbed until the redraw
    // ticks have brought the curve there.
    const QRect area(graph->mapToGlobal(graph->GraphRect().topLeft()), graph->GraphRect().size());
    const QColor curve = graph->GetPlot(0).m_Color;
    QString problem;
    const QImage shot = KorvantaTest::AwaitScreen(
        [&](const QImage& screen) -> QString {
            if (!screen.rect().contains(area))
                return QStringLiteral("plot area %1,%2 %3x%4 off the screen").arg(area.x()).arg(area.y())
                    .arg(area.width()).arg(area.height());
            int white = 0, grid = 0, drawn = 0, samples = 0;
            for (int y = area.top(); y <= area.bottom(); y += 2)
                for (int x = area.left(); x <= area.right(); ++x) {
                    const QColor c = screen.pixelColor(x, y);
                    ++samples;
                    white += c == QColor(Qt::white) ? 1 : 0;
                    grid += (c == QColor(233, 211, 135) || c == QColor(168, 211, 231)) ? 1 : 0;
                    drawn += c == curve ? 1 : 0;
                }
            if (white <= samples / 2 || grid <= area.width() || drawn <= 20)
                return QStringLiteral("white %1 of %2, grid %3, curve %4").arg(white).arg(samples).arg(grid).arg(drawn);
            return QString();
        },
        &problem);
    shot.save(QDir(SCREENSHOT_DIR).filePath("korvanta-live-graph.png"));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(graph->IsRunning());

    // Ticks repaint only the strip their samples changed, and the X server keeps the rest of
    // the window: left of the last strip, where no sample has changed anything since, the
    // screen shows what a full paint draws. The ticks are driven here, each once new samples
    // have come, so that nothing is painted or rescaled between the last one and the pictures
    // taken. Several in a row, so that strips of earlier ticks lie left of the last one. The
    // curve's axis is held from here on, wide enough for the whole run: a rescale paints the
    // whole window, and the climbing curve would rescale it every few ticks, sooner the more
    // samples a loaded machine lets each tick draw.
    GraphTimer(graph, "redrawTimer")->stop();
    const CGraphPlot plot = graph->GetPlot(0);
    const float reach = (plot.m_Max - plot.m_Min) * 1000.0f / float(branch->GetNumSamples());
    graph->SetAxisMinMax(0, plot.m_Min - reach / 2, plot.m_Max + 2 * reach, false);
    graph->RepaintGraph(CGraphWindow::RepaintFull);
    int partial = 0;
    for (int tick = 0; tick < 80 && partial < 6; ++tick) {
        const int samples = branch->GetNumSamples();
        QTRY_VERIFY_WITH_TIMEOUT(branch->GetNumSamples() > samples, 30000);
        const int before = graph->PaintCounts().m_PartialTicks;
        graph->UpdateTimer();
        if (graph->PaintCounts().m_PartialTicks == before)
            partial = 0;   // the whole window was painted
        else if (graph->PaintCounts().m_RedrawLeft > graph->GraphRect().left() + 20)
            ++partial;
    }
    QCOMPARE(partial, 6);
    QVERIFY(graph->IsRunning());
    const int settled = graph->PaintCounts().m_RedrawLeft;
    const QImage full = graph->grab().toImage();
    const QPoint origin = graph->mapToGlobal(QPoint(0, 0));
    KorvantaTest::AwaitScreen(
        [&](const QImage& screen) -> QString {
            int differ = 0, compared = 0;
            for (int y = graph->GraphRect().top(); y <= graph->GraphRect().bottom(); ++y)
                for (int x = graph->GraphRect().left(); x < settled; ++x) {
                    const QColor a = screen.pixelColor(origin + QPoint(x, y)), b = full.pixelColor(x, y);
                    ++compared;
                    differ += std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                                        std::abs(a.blue() - b.blue())}) > 2 ? 1 : 0;
                }
            if (compared <= 10000 || differ != 0)
                return QStringLiteral("%1 of %2 pixels differ from a full paint").arg(differ).arg(compared);
            return QString();
        },
        &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    // Stopped by a second press, the run ends once.
    QVERIFY(graph->IsRunning());
    run.pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(run.ended->count(), 1, 30000);
}

KORVANTA_TEST_MAIN(TestGraphXvfbLive)
#include "tst_graph_xvfb_live.moc"

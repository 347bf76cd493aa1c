// A graph drawing a live run on a real X server: the screen is grabbed while the simulated
// logger records, and the graph's plot area shows the white page, its grid and the curve.
#include "support/AppBench.h"
#include "Core/Data/DataBranch.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>
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
    QVERIFY(run.detectAndChoose(10, 500));
    CGraphWindow* graph = run.graph();
    QVERIFY(graph);
    run.pressRun();
    QTRY_VERIFY_WITH_TIMEOUT(graph->m_bRunning, 4000);
    QTRY_VERIFY_WITH_TIMEOUT(graph->GetDataBranch(0) && graph->GetDataBranch(0)->GetNumSamples() > 150, 5000);
    QTest::qWait(120);   // two more redraw ticks

    // What the X server shows, not what the window would paint.
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    QVERIFY(graph->m_bRunning);
    shot.save(QDir(SCREENSHOT_DIR).filePath("korvanta-live-graph.png"));
    const QRect area(graph->mapToGlobal(graph->m_GraphRect.topLeft()), graph->m_GraphRect.size());
    QVERIFY2(shot.rect().contains(area), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(area.x()).arg(area.y())
                                                         .arg(area.width()).arg(area.height())));
    const QColor curve = graph->GetPlot(0).m_Color;
    int white = 0, grid = 0, drawn = 0, samples = 0;
    for (int y = area.top(); y <= area.bottom(); y += 2)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            ++samples;
            white += c == QColor(Qt::white) ? 1 : 0;
            grid += (c == QColor(233, 211, 135) || c == QColor(168, 211, 231)) ? 1 : 0;
            drawn += c == curve ? 1 : 0;
        }
    QVERIFY2(white > samples / 2, qPrintable(QStringLiteral("%1 of %2").arg(white).arg(samples)));
    QVERIFY2(grid > area.width(), qPrintable(QString::number(grid)));
    QVERIFY2(drawn > 20, qPrintable(QString::number(drawn)));

    // Ticks repaint only the strip their samples changed, and the X server keeps the rest of
    // the window: left of the last strip, where no sample has changed anything since, the
    // screen shows what a full paint draws. The ticks are driven here, so that nothing is
    // painted or rescaled between the last one and the pictures taken.
    // Several in a row, so that strips of earlier ticks lie left of the last one.
    graph->m_pRedrawTimer->stop();
    int partial = 0;
    for (int tick = 0; tick < 80 && partial < 6; ++tick) {
        QTest::qWait(60);
        const int before = graph->m_PartialTicks;
        graph->UpdateTimer();
        if (graph->m_PartialTicks == before)
            partial = 0;   // the whole window was painted
        else if (graph->m_LayerRedrawLeft > graph->m_GraphRect.left() + 20)
            ++partial;
    }
    QCOMPARE(partial, 6);
    QVERIFY(graph->m_bRunning);
    const int settled = graph->m_LayerRedrawLeft;
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QImage full = graph->grab().toImage();
    const QPoint origin = graph->mapToGlobal(QPoint(0, 0));
    int differ = 0, compared = 0;
    for (int y = graph->m_GraphRect.top(); y <= graph->m_GraphRect.bottom(); ++y)
        for (int x = graph->m_GraphRect.left(); x < settled; ++x) {
            const QColor a = screen.pixelColor(origin + QPoint(x, y)), b = full.pixelColor(x, y);
            ++compared;
            differ += std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                                std::abs(a.blue() - b.blue())}) > 2 ? 1 : 0;
        }
    QVERIFY2(compared > 10000, qPrintable(QString::number(compared)));
    QCOMPARE(differ, 0);
    QTRY_COMPARE_WITH_TIMEOUT(run.ended->count(), 1, 10000);
}

KORVANTA_TEST_MAIN(TestGraphXvfbLive)
#include "tst_graph_xvfb_live.moc"

// Both cursors and an annotation on a real X server: placed with the mouse on a graph of known
// data, the screen is grabbed and shows the cursor lines, the read-out boxes and the yellow
// annotation box where the window says it drew them.
#include "../support/CursorRig.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include "common/AwaitScreen.h"
#include "common/TestMain.h"

class TestGraphXvfbCursors : public QObject
{
    Q_OBJECT
private slots:
    void cursorsAndAnnotationOnScreen();
};

void TestGraphXvfbCursors::cursorsAndAnnotationOnScreen()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (scripts/test.sh runs it under Xvfb)");
    CCursorRig rig;
    CGraphWindow* g = rig.graph;
    QVERIFY(QTest::qWaitForWindowExposed(&rig.host));
    rig.setAxes(0.0f, 100.0f, 0.0f, 50.0f);
    g->EnableSlopeMode(true);
    QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, rig.pixel(30.2f, 16.0f));
    QTest::mouseDClick(g, Qt::LeftButton, Qt::NoModifier, rig.pixel(80.0f, 5.0f));
    rig.prompter.m_Text = QStringLiteral("Start of rise");
    g->OnAddAnnotation();
    QCOMPARE(g->Cursors().First().m_Plot, 0);
    QCOMPARE(g->Cursors().Second().m_Plot, 0);
    g->RepaintGraph(CGraphWindow::RepaintFull);
    const QRect box = g->m_Plots[0].GetAnnoation(0).m_TextRect;
    QVERIFY(!box.isNull());
    auto onScreen = [&](QPoint p) { return g->mapToGlobal(p); };
    const QColor plotColor = g->m_Plots[0].m_Color;
    QString problem;
    const QImage shot = KorvantaTest::AwaitScreen(
        [&](const QImage& screen) -> QString {
            // The vertical lines of both cursors run through the plot area in black.
            for (const QPoint& c : {g->Cursors().First().m_Point, g->Cursors().Second().m_Point}) {
                int black = 0;
                for (int y = g->GraphRect().top() + 2; y < g->GraphRect().bottom() - 2; y += 4)
                    black += screen.pixelColor(onScreen(QPoint(c.x(), y))) == QColor(Qt::black) ? 1 : 0;
                if (black <= g->GraphRect().height() / 8)
                    return QStringLiteral("cursor line at %1: %2 black").arg(c.x()).arg(black);
            }
            // The annotation box, yellow where the window stored it.
            int yellow = 0;
            for (int y = box.top() + 1; y < box.bottom(); ++y)
                for (int x = box.left() + 1; x < box.right(); ++x)
                    yellow += screen.pixelColor(onScreen(QPoint(x, y))) == QColor(Qt::yellow) ? 1 : 0;
            if (yellow <= box.width() * box.height() / 3)
                return QStringLiteral("annotation box: %1 yellow").arg(yellow);
            // The read-out of cursor 1 lies in the plot's colour right of the cursor.
            const QColor readout = screen.pixelColor(onScreen(g->Cursors().First().m_Point + QPoint(9, -9)));
            if (std::abs(readout.red() - plotColor.red()) >= 60 || std::abs(readout.blue() - plotColor.blue()) >= 60)
                return QStringLiteral("read-out in %1").arg(readout.name());
            return QString();
        },
        &problem);
    shot.save(QDir(SCREENSHOT_DIR).filePath("korvanta-graph-cursors.png"));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(g->Cursors().First().m_Text.contains(QStringLiteral("Slope = 5")));
}

KORVANTA_TEST_MAIN(TestGraphXvfbCursors)
#include "tst_graph_xvfb_cursors.moc"

// A run recorded from the simulated logger, then worked on with the graph's tool bar and the
// mouse on a real X server: zoomed, panned, read with both cursors and annotated; the screen
// is grabbed at the end.
#include "support/AppBench.h"
#include "common/GraphToolBar.h"
#include "windowbase/MultiAction.h"
#include "Core/Data/DataBranch.h"
#include "graph/GraphRules.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QStandardPaths>
#include <QTextEdit>
#include "common/AwaitScreen.h"
#include "common/TestMain.h"

class TestGraphXvfbRecorded : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void zoomPanCursorsAndAnnotation();
};

namespace {
void Drag(QWidget* w, QPoint from, QPoint to)
{
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from);
    for (int k = 1; k <= 4; ++k) {
        const QPoint p = from + (to - from) * k / 4;
        QMouseEvent move(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &move);
    }
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, to);
}
} // namespace

void TestGraphXvfbRecorded::zoomPanCursorsAndAnnotation()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (scripts/test.sh runs it under Xvfb)");
    CAppBench run;
    QVERIFY(run.start());
    QVERIFY(QTest::qWaitForWindowExposed(run.window.get()));
    QVERIFY(run.detectAndChoose(10, 200));
    CGraphWindow* g = run.graph();
    QVERIFY(g);
    run.pressRun();
    QTRY_VERIFY_WITH_TIMEOUT(g->IsRunning(), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(run.ended->count(), 1, 60000);
    QTRY_VERIFY_WITH_TIMEOUT(!g->IsRunning(), 30000);
    // In front of the other windows of the area, so the screen shows it whole.
    g->showMaximized();
    QVERIFY(g->isMaximized());
    g->UpdateButtons();
    auto action = [g](int a) { return GraphAction(g, a); };
    for (int a : {CGraphWindow::ActZoom, CGraphWindow::ActPan, CGraphWindow::ActCursor})
        QVERIFY2(action(a)->isEnabled(), qPrintable(action(a)->text()));
    g->RepaintGraph(CGraphWindow::RepaintFull);
    const QRect r = g->GraphRect();

    // Zoom to the middle half.
    action(CGraphWindow::ActZoom)->trigger();
    QCOMPARE(g->GetMouseMode(), int(CGraphWindow::MouseZoom));
    const float span = g->X().Max() - g->X().Min();
    Drag(g, QPoint(r.left() + r.width() / 4, r.top() + 5), QPoint(r.left() + r.width() * 3 / 4, r.bottom() - 5));
    QVERIFY2(g->X().Max() - g->X().Min() < span * 0.6f, qPrintable(QString::number(g->X().Max() - g->X().Min())));
    // Pan right by a quarter of the width: the axis moves left.
    action(CGraphWindow::ActPan)->trigger();
    QCOMPARE(g->GetMouseMode(), int(CGraphWindow::MousePan));
    const float before = g->X().Min();
    Drag(g, r.center(), r.center() + QPoint(r.width() / 4, 0));
    QVERIFY(g->X().Min() < before);
    action(CGraphWindow::ActPan)->trigger();
    QCOMPARE(g->GetMouseMode(), int(CGraphWindow::MouseNormal));

    // Both cursors from the tool bar, then an annotation at cursor 1.
    action(CGraphWindow::ActCursor)->trigger();
    QVERIFY(g->Cursors().First().m_Plot >= 0);
    QVERIFY(action(CGraphWindow::ActCursor2)->isEnabled());
    action(CGraphWindow::ActCursor2)->trigger();
    QVERIFY(g->Cursors().Second().m_Plot >= 0);
    int s1 = -1, s2 = -1, xKey = 0;
    QVERIFY(g->GetCursorsInfo(s1, s2, xKey) >= 0);
    QVERIFY(s1 >= 0 && s2 > s1);
    QCOMPARE(xKey, -1);
    run.prompter.m_DialogResult = QDialog::Accepted;
    run.prompter.m_DialogHook = [](QDialog* d) {
        if (auto* edit = d->findChild<QTextEdit*>(QStringLiteral("annotEdit")))
            edit->setPlainText(QStringLiteral("Recorded"));
        d->accept();
    };
    QVERIFY(action(CGraphWindow::ActAddAnnotation)->isEnabled());
    action(CGraphWindow::ActAddAnnotation)->trigger();
    QCOMPARE(g->GetPlot(g->Cursors().First().m_Plot).GetNumAnnotations(), 1);
    g->RepaintGraph(CGraphWindow::RepaintFull);
    QVERIFY(!g->Cursors().First().m_Text.isEmpty());
    QVERIFY(g->Cursors().Second().m_Text.contains(QStringLiteral("dx=")));

    // The annotation box is yellow on the screen, once the paint has reached it.
    const QRect box = g->GetPlot(g->Cursors().First().m_Plot).GetAnnoation(0).m_TextRect;
    QVERIFY(!box.isNull());
    const QPoint inBox = g->mapToGlobal(box.topLeft() + QPoint(1, box.height() / 2));
    QString problem;
    const QImage shot = KorvantaTest::AwaitScreen(
        [&](const QImage& screen) {
            const QColor c = screen.pixelColor(inBox);
            return c == QColor(Qt::yellow) ? QString() : QStringLiteral("annotation box shows %1").arg(c.name());
        },
        &problem);
    shot.save(QDir(SCREENSHOT_DIR).filePath("korvanta-recorded-graph.png"));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

KORVANTA_TEST_MAIN(TestGraphXvfbRecorded)
#include "tst_graph_xvfb_recorded.moc"

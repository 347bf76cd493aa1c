// A run from the Run button of the real main window against the simulated Pelorin logger
// appears in the start-up graph: a plot per recorded series, repainted by the redraw timer
// while the run records, its axes following the data, the curve drawn in the plot area.
#include "support/AppBench.h"
#include "common/GraphToolBar.h"
#include "Core/Data/DataBranch.h"

#include <QImage>
#include <QStandardPaths>
#include <QTimer>
#include "common/TestMain.h"

namespace {

// Counts the paints a widget receives.
class CPaintCounter : public QObject
{
public:
    int m_Paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++m_Paints;
        return false;
    }
};

} // namespace

class TestGraphEndToEndRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void runAppearsInTheGraph();
};

void TestGraphEndToEndRun::runAppearsInTheGraph()
{
    CAppBench run;
    QVERIFY(run.start());
    CWindowsManager* wm = run.window->windowsManager();
    // The start-up graph is the one a run goes to.
    CGraphWindow* graph = run.graph();
    QVERIFY(graph);
    QCOMPARE(wm->GetLastActiveGraph(), graph);
    QCOMPARE(wm->GetLastGraphWindow(), graph);
    CPaintCounter paints;
    graph->installEventFilter(&paints);
    // 100 samples a second for 200 samples: two seconds of recording.
    QVERIFY(run.detectAndChoose(10, 200));

    run.pressRun();
    QTRY_VERIFY_WITH_TIMEOUT(graph->IsRunning(), 4000);
    const int measurements = run.setup()->getSetupInfo()->GetActiveMeasurementCount();
    QCOMPARE(graph->GetNumPlots(), measurements);
    QVERIFY(GraphTimer(graph, "redrawTimer")->isActive());
    QVERIFY(graph->GetPlot(0).m_Name.startsWith(QStringLiteral("Run")));
    // While it records the graph keeps painting, and its X axis follows the newest sample.
    const int before = paints.m_Paints;
    // (A loaded machine paints less often for the same samples: the paints are waited for.)
    QTRY_VERIFY2_WITH_TIMEOUT(graph->GetDataBranch(0) && graph->GetDataBranch(0)->GetNumSamples() > 60
                                  && paints.m_Paints >= before + 3,
                              qPrintable(QString::number(paints.m_Paints - before)), 8000);
    QVERIFY(graph->X().Max() > 10.0f);

    QTRY_COMPARE_WITH_TIMEOUT(run.ended->count(), 1, 8000);
    QVERIFY(!graph->IsRunning());
    QVERIFY(!GraphTimer(graph, "redrawTimer")->isActive());
    const CDataBranch* branch = graph->GetDataBranch(0);
    QVERIFY(branch);
    QCOMPARE(branch->GetNumSamples(), 200);
    // After the end the X axis fits the run exactly.
    QCOMPARE(graph->X().Min(), 0.0f);
    QCOMPARE(graph->X().Max(), 199.0f);

    // The curve is drawn in the plot area in its plot's colour.
    const QImage img = graph->GraphPicture(CGraphWindow::PictureWindow).toImage();
    const QColor colour = graph->GetPlot(0).m_Color;
    int hits = 0;
    const QRect r = graph->GraphRect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); x += 2)
            hits += img.pixelColor(x, y) == colour ? 1 : 0;
    QVERIFY2(hits > r.width() / 4, qPrintable(QString::number(hits)));
}

KORVANTA_TEST_MAIN(TestGraphEndToEndRun)
#include "tst_graph_e2e_run.moc"

// An XY graph of Run 2's temperature against its typed masses takes dropped runs only where
// they hold masses of their own, draws them against those, spans its X axis over them, says
// why a run is refused, and keeps its scales on curves that are shown.
#include "graph/GraphWindow.h"
#include "graph/GraphRules.h"
#include "support/GraphRig.h"

#include <QDropEvent>
#include <QMimeData>
#include "common/TestMain.h"

namespace {

// Run 1 sampled by hand (six samples, no masses), Run 2 and Run 3 with typed masses; the graph
// shows Run 2's temperature against Run 2's masses.
struct CMassGraph : CGraphRig
{
    QHash<QString, CDataBranch*> b;

    CDataBranch* series(CDataFolder* run, int sensorIndex, const QString& name, const QString& unit,
                        const QVector<double>& y, const QColor& colour)
    {
        CDataBranch* s = host.addBranch(run, sensorIndex, 1.0, name, 0);
        s->m_Unit = unit;
        s->m_Color = colour;
        CGraphTestHost::fill(s, y.size(), [&y](int i) { return y.at(i); });
        return s;
    }
    CMassGraph()
    {
        const int temperature = SensorIndexOnlineFunction;
        b["T1"] = series(host.addRun("Run 1"), temperature, "Temperature", "°C", {20, 21, 22, 23, 24, 25}, Qt::red);
        CDataFolder* run2 = host.addRun("Run 2");
        b["T2"] = series(run2, temperature, "Temperature", "°C", {20, 22, 24, 26}, Qt::darkRed);
        b["M2"] = series(run2, SensorIndexManualX, "Mass", "g", {10, 20, 30, 40}, Qt::magenta);
        CDataFolder* run3 = host.addRun("Run 3");
        b["T3"] = series(run3, temperature, "Temperature", "°C", {21, 23, 25, 27}, QColor(0, 160, 0));
        b["M3"] = series(run3, SensorIndexManualX, "Mass", "g", {50, 60, 70, 80}, Qt::blue);
        graph->AddPlotsFromKeyArray({b["T2"]->m_Key, b["M2"]->m_Key});
        CGraphPlot x = graph->GetPlot(1);
        graph->SetXPlot(&x, false, 1);
        graph->m_GraphType = CGraphWindow::XYGraph;
        graph->m_XPlotIndex = 1;
        graph->AutoScaleAllAxis(false);
    }
    bool drop(const QStringList& keys)
    {
        QString text = QStringLiteral("Run");
        for (const QString& k : keys)
            text += QLatin1Char(',') + QString::number(b[k]->m_Key);
        QMimeData mime;
        mime.setText(text);
        QDragEnterEvent enter(graph->m_GraphRect.center(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(graph, &enter);
        QDropEvent event(graph->m_GraphRect.center(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(graph, &event);
        return event.isAccepted();
    }
    QImage paint()
    {
        graph->m_RepaintMode = CGraphWindow::RepaintFull;
        return graph->grab().toImage();
    }
    // Whether a pixel of the colour lies in the plot area within a few columns of X value x.
    bool curveNear(const QImage& image, double x, const QColor& colour) const
    {
        const QRect& r = graph->m_GraphRect;
        const int column = GraphRules::ToPixelX(float(x), graph->m_XMin, graph->m_XMax, r);
        for (int px = std::max(r.left(), column - 3); px <= std::min(r.right(), column + 3); ++px)
            for (int py = r.top(); py <= r.bottom(); ++py)
                if (image.pixelColor(px, py) == colour)
                    return true;
        return false;
    }
};

} // namespace

class TestGraphOwnX : public QObject
{
    Q_OBJECT
private slots:
    void droppedRunsStandOnTheirOwnMasses_data()
    {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<int>("added");
        QTest::addColumn<double>("xMax");   // the X axis reaches this at least
        QTest::addColumn<QString>("notice");
        QTest::newRow("run sampled by hand") << QStringList{"T1"} << 0 << 40.0
                                             << "Run 1 has no Mass(g) values";
        QTest::newRow("run with masses of its own") << QStringList{"T3"} << 1 << 80.0 << "";
        QTest::newRow("both in one drop") << QStringList{"T1", "T3"} << 1 << 80.0 << "Run 1 has no Mass(g) values";
    }
    void droppedRunsStandOnTheirOwnMasses()
    {
        QFETCH(QStringList, dropped);
        QFETCH(int, added);
        QFETCH(double, xMax);
        QFETCH(QString, notice);
        CMassGraph g;
        CGraphWindow* w = g.graph;
        const int before = w->m_Plots.size();
        QCOMPARE(g.drop(dropped), added > 0);
        QCOMPARE(w->m_Plots.size(), before + added);
        for (int i = 0; i < w->m_Plots.size(); ++i) {
            // Every plot of the graph stands on the masses of its own run.
            const CDataBranch* x = w->XBranchOfPlot(i);
            const bool run3 = w->m_Plots.at(i).m_Key == g.b["T3"]->m_Key;
            QCOMPARE(x ? x->m_Key : -1, run3 ? g.b["M3"]->m_Key : g.b["M2"]->m_Key);
        }
        QVERIFY2(w->m_XMin <= 10.0f && w->m_XMax >= float(xMax), qPrintable(QString::number(w->m_XMax)));
        // The scales name curves that are shown, never the hidden mass plot.
        for (int s : {w->m_LeftScalePlot, w->m_RightScalePlot})
            QVERIFY(s == -1 || (w->PlotIsDrawn(s) && w->m_Plots.at(s).m_Key != g.b["M2"]->m_Key));
        const QImage image = g.paint();
        // Run 3's last point stands at its own 80 g, beyond every mass of Run 2.
        QCOMPARE(g.curveNear(image, 80.0, QColor(0, 160, 0)), added > 0);
        QVERIFY(g.curveNear(image, 40.0, QColor(Qt::darkRed)));
        if (notice.isEmpty()) {
            QCoreApplication::processEvents();
            QVERIFY(g.services.prompter.m_Notices.isEmpty());
        } else {
            QTRY_COMPARE(g.services.prompter.m_Notices.size(), 1);
            QVERIFY2(g.services.prompter.m_Notices.first().startsWith(notice),
                     qPrintable(g.services.prompter.m_Notices.first()));
        }
    }

    void runWithoutMassesIsNotDrawnOnceTheAxisChanges()
    {
        // A time graph of Run 1 and Run 2 turned into an XY graph of Run 2's masses: Run 1
        // stays listed but has nothing to stand on, and no scale or cursor goes to it.
        CMassGraph g;
        CGraphWindow* w = g.graph;
        w->m_Plots.clear();
        w->m_XPlot.init();
        w->m_GraphType = CGraphWindow::TimeGraph;
        w->AddPlotsFromKeyArray({g.b["T1"]->m_Key, g.b["T2"]->m_Key, g.b["M2"]->m_Key});
        w->OnXScaleComboChanged(3);   // Run 2's masses, as the X picker chooses them
        QCOMPARE(w->m_GraphType, int(CGraphWindow::XYGraph));
        QVERIFY(!w->PlotIsDrawn(0));
        QVERIFY(w->PlotIsDrawn(1));
        QCOMPARE(w->m_LeftScalePlot, 1);
        w->SelectCursorPlot(0, true, nullptr);
        QCOMPARE(w->m_Cursor1Plot, 1);
    }
};

KORVANTA_TEST_MAIN(TestGraphOwnX)
#include "tst_graph_own_x.moc"

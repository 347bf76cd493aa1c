// The graph window through its hub: construction, the run cycle (start, autoscale requests
// served by new data, end), timing and manual-X runs, new and deleted branches, the scale
// choice, the tool-bar states, and what a paint puts where the layout rules say.
#include "common/GraphTestHost.h"
#include "support/ScaleBoxes.h"
#include "windowbase/MultiAction.h"
#include "graph/GraphRules.h"
#include "graph/GraphWindow.h"
#include "common/GraphToolBar.h"
#include "analysis/Functions.h"
#include "analysis/IMessageSink.h"
#include "Core/Data/Globals.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPaintEvent>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTimer>
#include <QToolBar>
#include "common/TestMain.h"

#include <memory>

namespace {

// The window's tool bar, as a user finds it: its one tool bar.
QToolBar* toolBar(CGraphWindow* g)
{
    return g->findChild<QToolBar*>(QString(), Qt::FindDirectChildrenOnly);
}

struct CRig
{
    CGraphTestHost host;
    CGraphWindow* graph = nullptr;

    CRig()
    {
        host.resize(1000, 800);
        graph = new CGraphWindow(&host);
        graph->resize(800, 600);
        host.SetLastActiveGraph(graph);
        // Shown (off screen), so the window gets its resize and lays out its tool bar.
        host.show();
    }
    // A run of the given branches as the logger's start makes it.
    CDataFolder* startRun(const QList<int>& sensorIndexes, int n = 0, int rateCode = 10)
    {
        CDataFolder* run = host.addRun(QStringLiteral("Run%1").arg(host.m_Data.GetNumDataFolders() + 1));
        for (int idx : sensorIndexes) {
            CDataBranch* b = host.addBranch(run, idx, 0.1, QStringLiteral("B%1").arg(run->GetNumberBranches()), rateCode);
            b->m_Color = QColor(200, 0, 0);
            CGraphTestHost::fill(b, n, [](int i) { return 1.0 + (i % 10) * 0.1; });
        }
        emit host.m_Hub.LoggerStartedRun();
        return run;
    }
    QImage paint()
    {
        // Taken whole, as the window takes its own pictures (on screen a paint strokes its XY
        // curves for a share of time only).
        const QImage img = graph->GraphPicture(CGraphWindow::PictureWindow).toImage();
        // For a look at what a test drew: KORVANTA_GRAPH_SHOTS names a folder.
        const QString dir = qEnvironmentVariable("KORVANTA_GRAPH_SHOTS");
        if (!dir.isEmpty())
            img.save(dir + QStringLiteral("/%1.png").arg(QString::fromLatin1(QTest::currentTestFunction())));
        return img;
    }
};

// The analysis engine over the rig's store, its messages dropped.
struct CEngine : IMessageSink
{
    explicit CEngine(CRig& rig) : functions(&rig.host.m_Data, this) {}
    void criticalMessage(const QString&, const QString&) override {}
    CFunctions functions;
};

} // namespace

class TestGraphWindow : public QObject
{
    Q_OBJECT
private slots:
    void construction()
    {
        CRig rig;
        CGraphWindow* g = rig.graph;
        QCOMPARE(g->windowTitle(), QStringLiteral("Graph"));
        QCOMPARE(toolBar(g)->actions().size(), int(CGraphWindow::NumToolActions));
        QCOMPARE(GraphAction(g, CGraphWindow::ActPrint)->getKey(), 49);
        QVERIFY(GraphAction(g, CGraphWindow::ActZoom)->isCheckable());
        QVERIFY(!GraphAction(g, CGraphWindow::ActAutoscale)->isCheckable());
        QVERIFY(GraphTimer(g, "toolBarTimer")->isActive());
        QCOMPARE(GraphTimer(g, "toolBarTimer")->interval(), 500);
        QVERIFY(!GraphTimer(g, "redrawTimer")->isActive());
        QCOMPARE(g->minimumSize(), QSize(500, 300));
        QCOMPARE(g->GetCommonRate(), short(6));
        QCOMPARE(g->GetPlot(0).m_Key, -1);
        QVERIFY(!ScaleBox(g, "leftScaleCombo") || !ScaleBox(g, "leftScaleCombo")->isVisible());
    }

    // The scale boxes come with the first plot (an empty graph has none to show) and are then
    // in their corners, stacked above the tool bar as when they were made with the window.
    void scaleCombosComeWithTheFirstPlot()
    {
        CRig rig;
        CGraphWindow* g = rig.graph;
        g->resize(600, 500);
        QVERIFY(g->findChildren<QComboBox*>().isEmpty());
        g->OnAutoscale();
        g->resize(640, 520);
        QVERIFY(g->findChildren<QComboBox*>().isEmpty());
        CDataFolder* run = rig.host.addRun();
        CDataBranch* t = rig.host.addBranch(run, 7, 0.1, QStringLiteral("Temperature"));
        CDataBranch* p = rig.host.addBranch(run, 71, 0.1, QStringLiteral("Pressure"));
        CGraphTestHost::fill(t, 20, [](int i) { return 10.0 + i; });
        CGraphTestHost::fill(p, 20, [](int i) { return 100.0 - i; });
        g->AddPlotsFromKeyArray({t->m_Key, p->m_Key});
        g->resize(660, 520);
        QCOMPARE(g->findChildren<QComboBox*>().size(), 3);
        const QRect r = g->GraphRect();
        QCOMPARE(ScaleBox(g, "leftScaleCombo")->pos(), QPoint(r.left(), r.top() - 28));
        QCOMPARE(ScaleBox(g, "rightScaleCombo")->pos(), QPoint(r.right() - 20, r.top() - 28));
        QCOMPARE(ScaleBox(g, "xScaleCombo")->pos(), QPoint(r.left(), r.bottom() + 22));
        QCOMPARE(ScaleBox(g, "leftScaleCombo")->count(), 2);
        QCOMPARE(ScaleBox(g, "xScaleCombo")->count(), 3);
        QVERIFY(toolBar(g));
        for (QComboBox* c : {ScaleBox(g, "leftScaleCombo"), ScaleBox(g, "rightScaleCombo"), ScaleBox(g, "xScaleCombo")}) {
            QVERIFY(!c->isHidden());
            QVERIFY(g->children().indexOf(c) > g->children().indexOf(toolBar(g)));
        }
    }

    void everyToolBarImageLoads()
    {
        CRig rig;
        const QStringList states = {QStringLiteral("normal"), QStringLiteral("Rollover"), QStringLiteral("press"),
                                    QStringLiteral("disable")};
        // The images are reached through the actions' icons, which hold the paths' pixmaps.
        for (QAction* a : toolBar(rig.graph)->actions())
            QVERIFY2(!a->icon().pixmap(24, 24).isNull(), qPrintable(a->text()));
        for (const char* path : {":/images/GraphToolbar/Graph_ Rollover/Move-annotatio_Rollover.png",
                                 ":/images/GraphToolbar/Graph_Press/Predict_press.png",
                                 ":/images/GraphToolbar/Closing-toolbar.png", ":/images/GraphToolbar/Opening-toolbar.png",
                                 ":/images/GraphToolbar/down_arrow.png", ":/images/table/Print_disable.png"})
            QVERIFY2(!QImage(QString::fromLatin1(path)).isNull(), path);
        QCOMPARE(states.size(), 4);
    }

    void runCycleThroughTheHub()
    {
        CRig rig;
        CGraphWindow* g = rig.graph;
        rig.startRun({SensorIndexOnlineFunction, SensorIndexOnlineFunction});
        QVERIFY(g->IsRunning());
        QCOMPARE(g->GetNumPlots(), 2);
        QVERIFY(GraphTimer(g, "redrawTimer")->isActive());
        QCOMPARE(GraphTimer(g, "redrawTimer")->interval(), 50);
        QCOMPARE(g->LeftScalePlot(), 0);
        QCOMPARE(g->RightScalePlot(), 1);
        // An online function of the run is named with it, as its measurements are.
        QCOMPARE(g->GetPlot(0).m_Name, QStringLiteral("Run1-B0"));
        QCOMPARE(g->GetPlot(0).m_Min, 1.0f);    // an empty range the first autoscale replaces
        QCOMPARE(g->GetPlot(0).m_Max, -1.0f);
        QCOMPARE(g->GetCommonRate(), short(10));
        QVERIFY(g->m_bRescaleY);
        QCOMPARE(g->X().Max(), 10.0f);
        // Samples arrive; the next paint finds them far right of 70 % and asks for a new X range.
        CDataBranch* b = g->GetDataBranch(0);
        CGraphTestHost::fill(b, 40, [](int i) { return 2.0 + i % 3; });
        CGraphTestHost::fill(g->GetDataBranch(1), 40, [](int) { return -4.0; });
        rig.paint();
        QVERIFY(g->X().Rescale());
        emit rig.host.m_Hub.LoggerNewDataArrived();
        QVERIFY(!g->X().Rescale());
        QVERIFY(!g->m_bRescaleY);
        QCOMPARE(g->X().Min(), 0.0f);
        QCOMPARE(g->X().Max(), 7.0f * 39.0f);
        QVERIFY(qFuzzyCompare(g->GetPlot(0).m_Min, 1.4f));
        QVERIFY(qFuzzyCompare(g->GetPlot(0).m_Max, 5.2f));
        QVERIFY(qFuzzyCompare(g->GetPlot(1).m_Min, -5.2f));
        // The end: the timer stops and the X axis fits the data exactly.
        emit rig.host.m_Hub.LoggerExperimentEnd();
        QVERIFY(!g->IsRunning());
        QVERIFY(!GraphTimer(g, "redrawTimer")->isActive());
        QCOMPARE(g->X().Min(), 0.0f);
        QCOMPARE(g->X().Max(), 39.0f);
        // New data after the end serve nothing.
        g->m_bRescaleY = true;
        emit rig.host.m_Hub.LoggerNewDataArrived();
        QVERIFY(g->m_bRescaleY);
    }

    void anotherGraphKeepsItsPlots()
    {
        CRig rig;
        auto* other = new CGraphWindow(&rig.host);
        rig.startRun({SensorIndexOnlineFunction});
        QCOMPARE(rig.graph->GetNumPlots(), 1);
        QCOMPARE(other->GetNumPlots(), 0);
        QVERIFY(!GraphTimer(other, "redrawTimer")->isActive());
        QVERIFY(!other->IsRunning());
    }

    void runWithoutFolderGivesAnEmptyTimeGraph()
    {
        CRig rig;
        emit rig.host.m_Hub.LoggerStartedRun();
        QCOMPARE(rig.graph->GetNumPlots(), 0);
        QVERIFY(GraphTimer(rig.graph, "redrawTimer")->isActive());
        QCOMPARE(rig.graph->X().Max(), 10.0f);
        // A live paint of an empty graph, then new data: the X axis keeps its length.
        rig.paint();
        rig.graph->X().NoteBeyond(true);
        emit rig.host.m_Hub.LoggerNewDataArrived();
        QVERIFY(rig.graph->X().Max() > rig.graph->X().Min());
    }

    void timingRunIsABarGraph()
    {
        CRig rig;
        rig.host.m_Interval.m_PeriodSec = 0.5;
        rig.startRun({SensorIndexTimingResult});
        CGraphWindow* g = rig.graph;
        QCOMPARE(g->GraphType(), int(CGraphWindow::BarGraph));
        QVERIFY(g->m_bTimingRun);
        QCOMPARE(g->X().Max(), 20.0f);
        QCOMPARE(g->GetPlot(0).m_Max, 1.0f);
        QVERIFY(!ScaleBox(g, "xScaleCombo")->isEnabled());
        // A rate the tables do not know: ten samples' worth has no value, the axis is 0 to 10.
        rig.host.m_Interval.m_PeriodSec = 0.0;
        rig.startRun({SensorIndexTimingResult});
        QCOMPARE(g->X().Max(), 10.0f);
    }

    // Opened again, a graph of 25 cart passes shows the bars the end of its run showed.
    void timingRunOpensOnItsLastBars()
    {
        CRig rig;
        rig.startRun({SensorIndexTimingResult});
        CGraphWindow* g = rig.graph;
        CGraphTestHost::fill(g->GetDataBranch(0), 25, [](int i) { return 0.5 + 0.01 * i; });
        // A paint finds bars beyond the axis and asks for a scroll, which the next data serve.
        rig.paint();
        emit rig.host.m_Hub.LoggerNewDataArrived();
        emit rig.host.m_Hub.LoggerExperimentEnd();
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        QVERIFY(g->X().Max() > 24.0f && g->saveToFile(&out) == 0);
        auto* again = new CGraphWindow(&rig.host);
        QDataStream in(bytes);
        QCOMPARE(again->loadFromFile(&in), 0);
        QCOMPARE(QPointF(again->X().Min(), again->X().Max()), QPointF(g->X().Min(), g->X().Max()));
    }

    void timingResultsPaintOneBarEach()
    {
        CRig rig;
        rig.startRun({SensorIndexTimingResult});
        CGraphTestHost::fill(rig.graph->GetDataBranch(0), 3, [](int i) { return i == 1 ? 1.5 : 0.5 + 0.25 * i; });
        emit rig.host.m_Hub.LoggerNewDataArrived();
        emit rig.host.m_Hub.LoggerExperimentEnd();
        const QImage img = rig.paint();
        // A bar is a run of plot-area columns holding the plot's colour, as tall as its tallest.
        const QRect r = rig.graph->GraphRect();
        QVector<int> heights;
        for (int x = r.left() + 1, previous = 0; x < r.right(); ++x) {
            int h = 0;
            for (int y = r.top() + 1; y <= r.bottom(); ++y)
                h += img.pixelColor(x, y) == QColor(200, 0, 0) ? 1 : 0;
            if (h > 0 && previous == 0)
                heights << 0;
            if (h > 0)
                heights.last() = std::max(heights.last(), h);
            previous = h;
        }
        QCOMPARE(heights.size(), 3);  // results 0.5, 1.5, 1.0
        QVERIFY(heights.at(0) < heights.at(2) && heights.at(2) < heights.at(1));
    }

    void manualXRunIsAnXYGraph()
    {
        CRig rig;
        rig.host.m_Setup.m_bManualX = true;
        rig.host.m_Setup.m_RateCode = 0;
        rig.startRun({SensorIndexOnlineFunction, SensorIndexManualX}, 5, 0);
        CGraphWindow* g = rig.graph;
        QCOMPARE(g->GraphType(), int(CGraphWindow::XYGraph));
        QCOMPARE(g->X().PlotIndex(), 1);
        QVERIFY(!g->GetPlot(1).m_bVisible);
        QCOMPARE(g->X().PlotKey(), g->GetPlot(1).m_Key);
        QCOMPARE(g->GetNumVisiblePlots(), 1);
        QCOMPARE(ScaleBox(g, "xScaleCombo")->itemText(0), QStringLiteral("Samples"));
        QCOMPARE(ScaleBox(g, "leftScaleCombo")->count(), 1);
        QCOMPARE(g->RightScalePlot(), -1);
    }

    void deletingTheXAxisBranchReturnsToTime()
    {
        CRig rig;
        rig.host.m_Setup.m_bManualX = true;
        rig.host.m_Setup.m_RateCode = 0;
        rig.startRun({SensorIndexManualX, SensorIndexOnlineFunction}, 5, 0);
        CGraphWindow* g = rig.graph;
        QCOMPARE(g->X().PlotIndex(), 0);
        const int xKey = g->X().PlotKey();
        rig.host.m_Data.DeleteDataBranch(xKey);
        emit rig.host.m_Hub.dataKeyIsDeleted(xKey);
        QCOMPARE(g->GetNumPlots(), 1);
        QCOMPARE(g->X().PlotIndex(), -1);
        QCOMPARE(g->X().PlotKey(), -1);
        QCOMPARE(g->GraphType(), int(CGraphWindow::TimeGraph));
        rig.paint();   // must not read the plot that is gone
    }

    void deletingAPlotBeforeTheXAxisFollowsIt()
    {
        CRig rig;
        rig.host.m_Setup.m_bManualX = true;
        rig.host.m_Setup.m_RateCode = 0;
        rig.startRun({SensorIndexOnlineFunction, SensorIndexManualX}, 5, 0);
        CGraphWindow* g = rig.graph;
        const int first = g->GetPlot(0).m_Key;
        emit rig.host.m_Hub.dataKeyIsDeleted(first);
        QCOMPARE(g->X().PlotIndex(), 0);
        QCOMPARE(g->GetPlot(0).m_Key, g->X().PlotKey());
    }

    void branchShownTwiceIsDeletedOnce()
    {
        CRig rig;
        rig.startRun({SensorIndexOnlineFunction, SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 5);
        CGraphWindow* g = rig.graph;
        CGraphPlot copy = g->GetPlot(1);
        g->m_Plots.append(copy);
        g->Cursors().SetPlot(1, 1);
        g->Cursors().SetPlot(2, 2);
        QVERIFY(ChooseScale(g, "leftScaleCombo", 2));
        emit rig.host.m_Hub.dataKeyIsDeleted(copy.m_Key);
        QCOMPARE(g->GetNumPlots(), 2);
        QCOMPARE(g->Cursors().First().m_Plot, -1);
        QCOMPARE(g->Cursors().Second().m_Plot, -1);
        QCOMPARE(g->LeftScalePlot(), 0);
        QCOMPARE(g->RightScalePlot(), 1);
    }

    void newAnalysisBranchTakesThePalette()
    {
        CRig rig;
        CDataFolder* run = rig.host.addRun();
        CDataBranch* b = rig.host.addBranch(run, SensorIndexOnlineFunction, 0.1, QStringLiteral("d/dt"));
        CGraphTestHost::fill(b, 10, [](int i) { return double(i); });
        emit rig.host.m_Hub.newFunctionData(b->m_Key, -1, -1);
        CGraphWindow* g = rig.graph;
        QCOMPARE(g->GetNumPlots(), 1);
        QCOMPARE(g->GetPlot(0).m_Color, colorsTable[0]);
        QCOMPARE(g->GetPlot(0).m_Name, QStringLiteral("d/dt"));
        QCOMPARE(g->RightScalePlot(), 0);
        QVERIFY(qFuzzyCompare(g->GetPlot(0).m_Max, 9.0f * 1.3f));
        // A window that is not the last activated graph takes nothing.
        rig.host.SetLastActiveGraph(nullptr);
        emit rig.host.m_Hub.newFunctionData(b->m_Key, -1, -1);
        QCOMPARE(g->GetNumPlots(), 1);
    }

    void derivedSeriesShareTheirSourcesScale_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("scale");   // the plot whose scale it is drawn on; -1 its own
        QTest::newRow("linear fit") << "fit" << 0;
        QTest::newRow("function in degrees") << "linear" << 0;
        QTest::newRow("derivative in degrees per second") << "derivative" << -1;
        QTest::newRow("Fourier spectrum, in a graph of its own") << "fourier" << -1;
    }
    void derivedSeriesShareTheirSourcesScale()
    {
        // Temperature (10 to 30 on a fixed 0 to 50) and pressure of one run.
        CRig rig;
        CEngine engine(rig);
        CGraphWindow* g = rig.graph;
        CDataFolder* run = rig.host.addRun();
        CDataBranch* t = rig.host.addBranch(run, 7, 0.1, QStringLiteral("Temperature"));
        CDataBranch* p = rig.host.addBranch(run, 71, 0.1, QStringLiteral("Pressure"));
        CGraphTestHost::fill(t, 101, [](int i) { return 10.0 + 0.2 * i; });
        g->AddPlotsFromKeyArray({t->m_Key, p->m_Key});
        g->m_Plots[0].m_Color = colorsTable[0];
        g->m_Plots[1].m_Color = colorsTable[2];
        g->SetAxisMinMax(0, 0.0f, 50.0f, false);
        // The teacher shows pressure on the left; no new curve takes that choice back.
        g->OnLeftScaleComboChanged(1);
        QFETCH(QString, kind);
        CDataBranch* axis = nullptr;
        CDataBranch* made = kind == "fit" ? engine.functions.FunctionLinearRegression(t, 0, -1)
            : kind == "linear" ? engine.functions.FunctionLinear(t, false, 1.0, 2.0, 0, -1, QStringLiteral("T+2"))
            : kind == "derivative" ? engine.functions.FunctionDerivative(t, false, 0, -1, QString(), nullptr)
                                   : engine.functions.FunctionFourier(t, 0, -1, QStringLiteral("FFT"), QString(), &axis);
        emit rig.host.m_Hub.newFunctionData(made->m_Key, t->m_Key, -1);
        // A spectrum's hertz are no positions of this time axis: it goes to a graph of its own.
        QCOMPARE(rig.host.m_OwnGraphKeys, kind == "fourier" ? QList<int>{made->m_Key} : QList<int>());
        if (kind == "fourier")
            return;
        QFETCH(int, scale);
        // The first strong colour no curve has: pressure's pale blue (entry 2) is passed. The
        // series keeps it, for the tables that show it.
        QCOMPARE(g->GetPlot(2).m_Color, colorsTable[3]);
        QCOMPARE(made->m_Color, colorsTable[3]);
        // A curve on its source's scale leaves the right scale as it was, also through a
        // switch of that scale to it and back.
        QCOMPARE(g->RightScalePlot(), scale < 0 ? 2 : 1);
        QCOMPARE(g->LeftScalePlot(), 1);
        g->OnRightScaleComboChanged(2);
        g->OnRightScaleComboChanged(1);
        const QImage shot = rig.paint();
        QCOMPARE(g->GetPlot(2).m_Max == 50.0f, scale >= 0);
        // A fit's equation is written beside a swatch of its colour.
        const QRect label = GraphRules::FitLabelRect(g->GraphRect(), 0, 0, QFontMetrics(GraphRules::ScaleFont()).height());
        QCOMPARE(shot.pixelColor(GraphRules::FitSwatchRect(label).center()) == colorsTable[3], kind == "fit");
    }

    // A tracked Y against the tracked X, both in px: the slope is a pure number drawn on a scale
    // of its own (on the px scale it would lie flat), while a fit of Y stays on Y's scale.
    void slopeOfTrackedPositionsHasAScaleOfItsOwn()
    {
        CRig rig;
        CEngine engine(rig);
        CGraphWindow* g = rig.graph;
        CDataFolder* run = rig.host.addRun();
        CDataBranch* x = rig.host.addBranch(run, SensorIndexVideoTrack, 0.04, QStringLiteral("X Position"));
        CDataBranch* y = rig.host.addBranch(run, SensorIndexVideoTrack, 0.04, QStringLiteral("Y Position"));
        CGraphTestHost::fill(x, 50, [](int i) { return 10.0 * i; });
        CGraphTestHost::fill(y, 50, [](int i) { return 400.0 - 0.3 * i * i; });
        g->AddPlotsFromKeyArray({x->m_Key, y->m_Key});
        g->OnXScaleComboChanged(1);
        CDataBranch* slope = engine.functions.FunctionDerivative(y, false, 0, -1, QString(), x);
        CDataBranch* fit = engine.functions.FunctionLinearRegression(y, 0, -1, x);
        for (CDataBranch* made : {slope, fit})
            emit rig.host.m_Hub.newFunctionData(made->m_Key, y->m_Key, x->m_Key);
        QCOMPARE(g->m_Plots.size(), 4);
        QCOMPARE(g->ScalePlotOf(2), 2);
        QCOMPARE(g->ScalePlotOf(3), 1);
        rig.paint();
        // No unit beside its name, and a scale that spans its values (0 to -3), not 400 px.
        QCOMPARE(g->GetPlot(2).m_Unit, QString());
        QVERIFY2(g->GetPlot(2).m_Max - g->GetPlot(2).m_Min < 20.0f, qPrintable(QString::number(g->GetPlot(2).m_Max)));
        QCOMPARE(g->GetPlot(3).m_Unit, QStringLiteral("px"));
    }

    void onlineFunctionSharesItsSourcesScaleWhileRecorded_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<bool>("shared");
        QTest::newRow("envelope in degrees") << QStringLiteral("\u00b0C") << true;
        QTest::newRow("rate in degrees per second") << QStringLiteral("\u00b0C/s") << false;
    }
    // A function computed while the run records belongs to the run's folder and names its
    // source as its parent: in the source's unit it is drawn on the source's scale, which takes
    // it in, so on screen it never dips under the data it lies above.
    void onlineFunctionSharesItsSourcesScaleWhileRecorded()
    {
        QFETCH(QString, unit);
        CRig rig;
        CDataFolder* run = rig.host.addRun(QStringLiteral("Run1"));
        CDataBranch* t = rig.host.addBranch(run, SensorIndexOnlineFunction, 0.1, QStringLiteral("Temperature"));
        CDataBranch* envelope = rig.host.addBranch(run, SensorIndexOnlineFunction, 0.1, QStringLiteral("Envelope"));
        t->m_Unit = QStringLiteral("\u00b0C");
        envelope->m_Unit = unit;
        envelope->m_ParentKey = t->m_Key;
        emit rig.host.m_Hub.LoggerStartedRun();
        CGraphTestHost::fill(t, 50, [](int i) { return 20.0 + (i % 10); });
        CGraphTestHost::fill(envelope, 50, [](int) { return 40.0; });
        emit rig.host.m_Hub.LoggerExperimentEnd();
        rig.paint();
        QFETCH(bool, shared);
        const CGraphPlot source = rig.graph->GetPlot(0), fn = rig.graph->GetPlot(1);
        QCOMPARE(fn.m_Min == source.m_Min && fn.m_Max == source.m_Max, shared);
        // Temperature's scale spans both curves when they share it, its own data alone when not.
        QCOMPARE(source.m_Max >= 40.0f, shared);
    }

    void visiblePlotPositions()
    {
        CRig rig;
        CGraphWindow* g = rig.graph;
        QCOMPARE(g->PlotIndexToVisiblePlotIndex(0), -1);
        for (bool v : {true, false, true}) {
            CGraphPlot p;
            p.m_bVisible = v;
            g->m_Plots.append(p);
        }
        QCOMPARE(g->PlotIndexToVisiblePlotIndex(0), 0);
        QCOMPARE(g->PlotIndexToVisiblePlotIndex(1), 0);
        QCOMPARE(g->PlotIndexToVisiblePlotIndex(2), 1);
        QCOMPARE(g->PlotIndexToVisiblePlotIndex(7), 1);
        QCOMPARE(g->PlotIndexToVisiblePlotIndex(-1), -1);
        QCOMPARE(g->GetNumVisiblePlots(), 2);
    }

    void axisLimits()
    {
        CRig rig;
        rig.startRun({SensorIndexOnlineFunction}, 5);
        CGraphWindow* g = rig.graph;
        g->SetAxisMinMax(-1, 8.0f, 2.0f, false);
        QCOMPARE(g->X().Min(), 2.0f);
        QCOMPARE(g->X().Max(), 8.0f);
        QVERIFY(!g->X().AutoScale());
        const CGraphPlot before = g->GetPlot(0);
        g->SetAxisMinMax(0, 2.0f, 2.0f, true);
        QCOMPARE(g->GetPlot(0).m_Min, before.m_Min);
        QCOMPARE(g->GetPlot(0).m_Max, before.m_Max);
        // Not scrolling, one sample: 0 to 10; all X values equal to 4: 3.6 to 4.4.
        emit rig.host.m_Hub.LoggerExperimentEnd();
        CDataBranch* b = g->GetDataBranch(0);
        b->ClearSamples();
        b->AddSample(4.0, 1.0);
        g->AutoScaleXAxis(false);
        QCOMPARE(g->X().Max(), 10.0f);
        b->AddSample(4.0, 2.0);
        g->AutoScaleXAxis(false);
        QVERIFY(qFuzzyCompare(g->X().Min(), 3.6f));
        QVERIFY(qFuzzyCompare(g->X().Max(), 4.4f));
        // Scrolling with no plots: 0 to 11.
        g->m_Plots.clear();
        g->AutoScaleXAxis(true);
        QCOMPARE(g->X().Max(), 11.0f);
    }

    void toolStates()
    {
        CGraphWindow::ToolInput in;
        CGraphWindow::ToolState s = GraphToolStates(in);
        // Empty time graph: Zoom and Autoscale usable but shown disabled; Predict enabled.
        QVERIFY(s.enabled[CGraphWindow::ActZoom] && !s.image[CGraphWindow::ActZoom]);
        QVERIFY(s.enabled[CGraphWindow::ActAutoscale] && !s.image[CGraphWindow::ActAutoscale]);
        QVERIFY(s.enabled[CGraphWindow::ActPredict] && s.image[CGraphWindow::ActPredict]);
        QVERIFY(!s.enabled[CGraphWindow::ActCursor] && !s.enabled[CGraphWindow::ActPrint]);
        in.plots = 2;
        in.graphType = CGraphWindow::BarGraph;
        s = GraphToolStates(in);
        for (int a : {CGraphWindow::ActZoom, CGraphWindow::ActAutoscale, CGraphWindow::ActCursor,
                      CGraphWindow::ActCursor2, CGraphWindow::ActPredict, CGraphWindow::ActErasePredict})
            QVERIFY2(!s.enabled[a], qPrintable(QString::number(a)));
        QVERIFY(s.enabled[CGraphWindow::ActPrint]);
        in.graphType = CGraphWindow::TimeGraph;
        in.cursor1 = true;
        in.mouseMode = CGraphWindow::MousePan;
        s = GraphToolStates(in);
        QVERIFY(s.enabled[CGraphWindow::ActCursor2] && s.checked[CGraphWindow::ActPan] && s.checked[CGraphWindow::ActCursor]);
        in.running = true;
        s = GraphToolStates(in);
        QVERIFY(!s.image[CGraphWindow::ActProperties] && !s.enabled[CGraphWindow::ActProperties]);
    }

    void comboTitlesAndPlacement()
    {
        CRig rig;
        CGraphWindow* g = rig.graph;
        rig.startRun({SensorIndexOnlineFunction}, 3);
        CGraphPlot p = g->GetPlot(0);
        p.m_Unit = QStringLiteral("V");
        p.m_UnitPrefix = 2;
        g->UpdatePlot(p, 0);
        g->BuildScaleCombos();
        QCOMPARE(ScaleBox(g, "leftScaleCombo")->itemText(0), QStringLiteral("Run1-B0(mV)"));
        QCOMPARE(ScaleBox(g, "xScaleCombo")->count(), 1);   // one plot: Time only
        rig.paint();
        g->ResizeScaleCombos();
        QVERIFY(!ScaleBox(g, "leftScaleCombo")->isHidden());
        QVERIFY(ScaleBox(g, "rightScaleCombo")->isHidden());
        QCOMPARE(ScaleBox(g, "leftScaleCombo")->pos(), QPoint(g->GraphRect().left(), g->GraphRect().top() - 28));
        QCOMPARE(ScaleBox(g, "xScaleCombo")->pos(), QPoint(g->GraphRect().left(), g->GraphRect().bottom() + 22));
    }

    void xComboMakesAPlotTheXAxis()
    {
        CRig rig;
        CGraphWindow* g = rig.graph;
        rig.startRun({SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 20);
        emit rig.host.m_Hub.LoggerExperimentEnd();
        g->OnXScaleComboChanged(2);
        QCOMPARE(g->GraphType(), int(CGraphWindow::XYGraph));
        QCOMPARE(g->X().PlotIndex(), 1);
        QVERIFY(!g->GetPlot(1).m_bVisible);
        g->OnXScaleComboChanged(0);
        QCOMPARE(g->GraphType(), int(CGraphWindow::TimeGraph));
        QCOMPARE(g->X().PlotIndex(), -1);
        QVERIFY(g->GetPlot(1).m_bVisible);
    }

    void emptyGraphLayout()
    {
        CRig rig;
        CGraphWindow* g = rig.graph;
        const QImage img = rig.paint();
        const QMargins m = g->contentsMargins();
        const QRect r = g->GraphRect();
        QCOMPARE(r.top(), 66);
        QCOMPARE(r.bottom(), g->height() - m.bottom() - 90);
        QCOMPARE(r.left(), m.left() + 1 + 44);
        QCOMPARE(r.right(), g->width() - m.right() - 2);
        // White plot area, the grey title strip above it, the bottom band, the X band.
        QCOMPARE(img.pixelColor(r.left() + 1, r.top() + 1), QColor(Qt::white));
        QCOMPARE(img.pixelColor(r.right() - 1, r.bottom() - 3), QColor(Qt::white));
        QCOMPARE(img.pixelColor(r.center().x(), 40), QColor(232, 232, 232));
        QCOMPARE(img.pixelColor(r.center().x(), r.bottom() + 30), QColor(128, 128, 128));
        QCOMPARE(img.pixelColor(g->width() - m.right() - 5, g->height() - m.bottom() - 20), QColor(192, 192, 192));
        // The default scale: a grey band; the X range became 0 to 10.
        QCOMPARE(img.pixelColor(m.left() + 10, r.center().y()), QColor(Qt::gray));
        QCOMPARE(g->X().Max(), 10.0f);
    }

    void curveAndGridWhereTheRulesPlaceThem()
    {
        CRig rig;
        CGraphWindow* g = rig.graph;
        rig.startRun({SensorIndexOnlineFunction}, 0);
        emit rig.host.m_Hub.LoggerExperimentEnd();
        CDataBranch* b = g->GetDataBranch(0);
        CGraphTestHost::fill(b, 1001, [](int) { return 3.0; });
        g->SetAxisMinMax(-1, 0.0f, 1000.0f, false);
        g->SetAxisMinMax(0, 0.0f, 10.0f, false);
        g->m_bRescaleY = false;
        QImage img = rig.paint();
        const QRect r = g->GraphRect();
        const int row = r.bottom() - int(0.3f * float(r.bottom() - r.top()));
        const int col = r.left() + (r.right() - r.left()) / 3;
        QCOMPARE(img.pixelColor(col, row), QColor(200, 0, 0));
        QVERIFY(img.pixelColor(col, row - 6) != QColor(200, 0, 0));
        // A numbered tick of the left scale carries an orange grid line across the plot area.
        const int tick = r.bottom() - int(0.8f * float(r.bottom() - r.top()));
        QCOMPARE(img.pixelColor(col + 3, tick), QColor(233, 211, 135));
        // The scale band is the plot's colour.
        QCOMPARE(img.pixelColor(r.left() - 30, r.top() + 60), QColor(200, 0, 0));
        QVERIFY(!g->m_bRescaleY);   // not live: no requests
    }

    void toolBarOnlyRepaintDrawsNoCurve()
    {
        CRig rig;
        CGraphWindow* g = rig.graph;
        rig.startRun({SensorIndexOnlineFunction}, 3);
        g->m_bRescaleY = false;
        QImage img(g->size(), QImage::Format_ARGB32);
        const QRect inside(toolBar(g)->pos() + QPoint(2, 2), QSize(10, 10));
        g->render(&img, inside.topLeft(), QRegion(inside));
        QVERIFY(!g->PaintCounts().m_bBeyondToolBar);
        QVERIFY(!g->m_bRescaleY);   // no curve was drawn, so three samples asked for nothing
        rig.paint();
        QVERIFY(g->PaintCounts().m_bBeyondToolBar);
        QVERIFY(g->m_bRescaleY);
    }

    void liveTicksExtendThePictureOfAFullPaint_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("grid");
        QTest::addColumn<bool>("overlays");
        QTest::newRow("lines over the grid") << 0 << true << false;
        QTest::newRow("dots, no grid") << 2 << false << false;
        QTest::newRow("dashed") << 1 << true << false;
        QTest::newRow("under a cursor and a note") << 0 << true << true;
    }
    void liveTicksExtendThePictureOfAFullPaint()
    {
        // Redraw ticks of a live run draw only the columns the new samples reach; what they
        // show must be what a full paint of the same data shows.
        QFETCH(int, style);
        QFETCH(bool, grid);
        QFETCH(bool, overlays);
        CRig rig;
        CGraphWindow* g = rig.graph;
        rig.startRun({SensorIndexOnlineFunction, SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 0);
        CGraphWindow::CPaintSettings settings = g->PaintSettings();
        settings.m_bShowGrid = grid;
        g->SetPaintSettings(settings);
        const QColor colours[] = {QColor(200, 0, 0), QColor(0, 120, 0), QColor(0, 0, 220)};
        for (int p = 0; p < 3; ++p) {
            CGraphPlot plot = g->GetPlot(p);
            plot.m_Color = colours[p];
            plot.m_Style = style;
            g->UpdatePlot(plot, p);
            g->SetAxisMinMax(short(p), -1.5f, 1.5f, false);
        }
        g->SetAxisMinMax(-1, 0.0f, 20000.0f, false);
        if (overlays) {
            // The cursor's lines cross the whole plot area, so every strip a tick draws again
            // cuts through them.
            g->Cursors().SetPlot(1, 0);
            g->Cursors().SetSample(1, 50);
            g->Cursors().SetX(1, 50.0f);
            g->Cursors().SetY(1, 0.5f);
            CGraphPlot plot = g->GetPlot(1);
            CGraphTextAnnotation note;
            note.m_Text = QStringLiteral("start");
            note.m_Sample = 100;
            plot.AddAnnotation(note);
            g->UpdatePlot(plot, 1);
        }
        QImage ticks(g->size(), QImage::Format_ARGB32_Premultiplied), whole(ticks.size(), ticks.format());
        ticks.fill(Qt::magenta);   // the window leaves its rounded corners unpainted
        whole.fill(Qt::magenta);
        QRandomGenerator rng(3);
        int stored = 0;
        for (int tick = 0; tick < 12; ++tick) {
            const int burst = 200 + int(rng.bounded(900));
            for (int p = 0; p < 3; ++p)
                CGraphTestHost::fill(g->GetDataBranch(p), burst, [&](int i) {
                    return i % 53 == 0 ? MissingValue : std::sin(i * 0.003 + p) + rng.generateDouble() * 0.2;
                }, stored);
            stored += burst;
            g->X().TakeRescale();
            g->m_bRescaleY = false;
            // As the redraw timer does it, with the window rendered into one image throughout.
            const QRegion region = g->liveTickRegion();
            if (!region.isEmpty())
                g->render(&ticks, region.boundingRect().topLeft(), region);
            // After the first tick only a strip at the curves' ends is drawn again: it starts
            // a few pixels left of where the samples before this burst ended.
            const QRect& r = g->GraphRect();
            const int reached = r.left() + int(float(stored - burst) / 20000.0f * float(r.right() - r.left()));
            if (tick > 0 && style == CGraphPlot::StyleDashed) {
                QCOMPARE(g->PaintCounts().m_RedrawLeft, -1);   // dashes run on from line to line: drawn whole
                QCOMPARE(region, QRegion(g->rect()));
            } else if (tick > 0) {
                QVERIFY2(std::abs(g->PaintCounts().m_RedrawLeft - reached) < 20,
                         qPrintable(QStringLiteral("%1 %2").arg(g->PaintCounts().m_RedrawLeft).arg(reached)));
                // and ends a few pixels right of where they end now.
                const int end = r.left() + int(float(stored) / 20000.0f * float(r.right() - r.left()));
                QVERIFY2(g->PaintCounts().m_RedrawRight <= end + 6 && g->PaintCounts().m_RedrawRight >= end - 2,
                         qPrintable(QStringLiteral("%1 %2").arg(g->PaintCounts().m_RedrawRight).arg(end)));
                QCOMPARE(region, QRegion(QRect(QPoint(g->PaintCounts().m_RedrawLeft, r.top()),
                                               QPoint(g->PaintCounts().m_RedrawRight, r.bottom()))));
            }
        }
        // Nothing new: nothing to repaint.
        const QRegion rest = g->liveTickRegion();
        QCOMPARE(rest.isEmpty(), style != CGraphPlot::StyleDashed);
        if (!rest.isEmpty())   // the tick's paint, as the redraw timer makes it
            g->render(&ticks, rest.boundingRect().topLeft(), rest);
        QCOMPARE(!g->PaintCounts().m_bLayerKept, style == CGraphPlot::StyleDashed);
        QCOMPARE(int(g->PaintCounts().m_NextRepaint), int(CGraphWindow::RepaintFull));
        g->render(&whole);
        QVERIFY(!g->PaintCounts().m_bLayerKept);   // a full paint keeps no picture to extend
        // The whole window: what the ticks left outside their strips stands as it should.
        int differ = 0, coloured = 0;
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x) {
                const QColor a = ticks.pixelColor(x, y), b = whole.pixelColor(x, y);
                const int d = std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                                        std::abs(a.blue() - b.blue())});
                differ += d > 2 ? 1 : 0;
                coloured += b == colours[2] ? 1 : 0;
            }
        QVERIFY(coloured > 1000);   // the last curve is there to compare
        QCOMPARE(differ, 0);
    }

    void measuredScaleFollowsItsLabels()
    {
        // A scale measured again after its labels changed is measured afresh, not remembered.
        CRig rig;
        CGraphWindow* g = rig.graph;
        rig.startRun({SensorIndexOnlineFunction}, 10);
        g->SetAxisMinMax(0, 0.0f, 1000.0f, false);
        rig.paint();
        QImage img(10, 10, QImage::Format_ARGB32);
        QPainter p(&img);
        QRect band(0, 0, 44, 300);
        const int plain = g->DrawYScale(&p, band, true, 0, true);
        CGraphPlot plot = g->GetPlot(0);
        plot.m_bScientific = true;   // +1E+03 is wider than +1000
        g->UpdatePlot(plot, 0);
        const int scientific = g->DrawYScale(&p, band, true, 0, true);
        QVERIFY(plain > 9);
        QVERIFY(scientific > plain);
        plot.m_bScientific = false;
        g->UpdatePlot(plot, 0);
        g->SetAxisMinMax(0, 0.0f, 1000000.0f, false);
        QVERIFY(g->DrawYScale(&p, band, true, 0, true) > plain);
        plot.m_Min = 0.0f;
        plot.m_Max = 1000.0f;
        g->UpdatePlot(plot, 0);
        QCOMPARE(g->DrawYScale(&p, band, true, 0, true), plain);
    }

    void firstPaintWithoutPlotAreaEnds()
    {
        // A paint before any layout: the tick limit from a null plot area must not hang.
        CRig rig;
        CGraphWindow* g = rig.graph;
        rig.host.hide();   // the run's start paints nothing, so lays nothing out
        rig.startRun({SensorIndexOnlineFunction, SensorIndexOnlineFunction}, 10);
        QVERIFY(g->GraphRect().isNull());
        QImage img(10, 10, QImage::Format_ARGB32);
        QPainter p(&img);
        QRect band(0, 0, 44, 300);
        QCOMPARE(g->DrawYScale(&p, band, true, 0, true), 0);
        // A huge X range with a tiny span: the walk is counted, not accumulated.
        g->SetAxisMinMax(-1, 1.0e9f, 1.0e9f + 200.0f, false);
        rig.paint();
        QVERIFY(g->GraphRect().isValid());
    }
};

KORVANTA_TEST_MAIN(TestGraphWindow)
#include "tst_graph_window.moc"

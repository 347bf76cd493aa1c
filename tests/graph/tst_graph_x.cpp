// The graph's X axis without a window: what a position is worth for each kind of axis, the
// X value a sample of an XY curve stands on, the range kept in the same times when the first
// plot changes, and the remembered position kinds following the store.
#include "graph/GraphX.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SetupInfo.h"
#include "analysis/Functions.h"

#include "common/TestMain.h"

namespace {

// A store, a plot list and a graph type, as a graph window holds them.
struct CXRig
{
    CSetupInfo setup{nullptr};
    CDataManager data{&setup};
    QList<CGraphPlot> plots;
    int graphType = CGraphX::TimeGraph;
    CGraphX x{plots, graphType, [this] { return &data; }};

    CDataFolder* run(bool byHand = false)
    {
        CDataFolder* f = data.CreateDataFolder();
        f->m_Name = QStringLiteral("Run%1").arg(f->m_Key);
        f->m_bSampledByHand = byHand;
        return f;
    }
    // A series of n samples 0..n-1 with y = 10 + i, plotted.
    CDataBranch* series(CDataFolder* f, int sensor, double interval, int n = 8, bool plot = true)
    {
        const int key = data.CreateDataBranch(sensor, interval, -1, -1, f->m_Key);
        f->AddBranchKey(key);
        CDataBranch* b = data.GetDataBranch(key);
        QVector<double> xs(n), ys(n);
        for (int i = 0; i < n; ++i) {
            xs[i] = i;
            ys[i] = 10.0 + i;
        }
        b->AppendSamples(xs.constData(), ys.constData(), n);
        if (plot) {
            CGraphPlot p;
            p.m_Key = key;
            p.m_Name = QStringLiteral("S%1").arg(key);
            plots.append(p);
        }
        return b;
    }
};

} // namespace

class TestGraphX : public QObject
{
    Q_OBJECT
private slots:
    void positionWorth_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("axisKind");      // CGraphX::Kind
        QTest::addColumn<double>("step");       // what one position is worth
        QTest::addColumn<QString>("text");      // 14 positions as the cursors read them
        QTest::addColumn<QString>("title");     // the axis title
        QTest::addColumn<QString>("csv");       // the export's first header cell
        QTest::newRow("timed run") << "timed" << int(CGraphX::Kind::Time) << 0.5 << "7s" << "Time (s)" << "Time(s)";
        QTest::newRow("run sampled by hand") << "byhand" << int(CGraphX::Kind::Samples) << 1.0 << "14" << "Samples"
                                             << "Samples";
        QTest::newRow("Fourier spectrum") << "spectrum" << int(CGraphX::Kind::Frequency) << 0.25 << "3.5Hz"
                                          << "Frequency (Hz)" << "Frequency(Hz)";
        QTest::newRow("timing results") << "events" << int(CGraphX::Kind::Events) << 1.0 << "14" << "Event" << "Event";
        QTest::newRow("bar graph of a timed run") << "bars" << int(CGraphX::Kind::Events) << 1.0 << "14" << "Event"
                                                  << "Event";
        QTest::newRow("no series") << "none" << int(CGraphX::Kind::Time) << 1.0 << "14s" << "Time (s)" << "Samples";
    }
    // What the axis counts is what the first plot's series counts: a run's record says whether it
    // was sampled by hand (its series lost their rate code in the file), a spectrum and its
    // frequency axis name each other, and a bar graph's bars are events whatever their series.
    void positionWorth()
    {
        QFETCH(QString, kind);
        CXRig rig;
        CDataFolder* run = rig.run(kind == "byhand");
        if (kind == "spectrum") {
            CDataBranch* spectrum = rig.series(run, SensorIndexOnlineFunction, 0.25);
            CDataBranch* axis = rig.series(run, SensorIndexOnlineFunction, 0.25, 8, false);
            spectrum->m_RelatedKey = axis->m_Key;
            axis->m_RelatedKey = spectrum->m_Key;
        } else if (kind != "none") {
            rig.series(run, kind == "events" ? int(SensorIndexTimingResult) : SensorIndexOnlineFunction,
                       kind == "byhand" ? 1.0 : 0.5);
        }
        if (kind == "bars")
            rig.graphType = CGraphX::BarGraph;
        QTEST(int(rig.x.AxisKind()), "axisKind");
        QTEST(rig.x.PositionStep(0), "step");
        QTEST(rig.x.PositionText(0, 14.0), "text");
        QTEST(rig.x.AxisTitle(), "title");
        QTEST(rig.x.CsvTitle(), "csv");
    }

    // On a time graph every curve stands at its own samples' times: a run at 0.1 s under a
    // first plot at 0.5 s spans five times the positions per sample; the range read in its own
    // samples follows, and a pixel column reads as its sample. Series of one kind at one
    // interval stand one sample a position.
    void curvesAtOtherRatesStandAtTheirTimes()
    {
        CXRig rig;
        rig.series(rig.run(), SensorIndexOnlineFunction, 0.5);
        rig.series(rig.run(), SensorIndexOnlineFunction, 0.1, 100);
        rig.series(rig.run(true), SensorIndexOnlineFunction, 1.0);
        rig.x.ZoomTo(0.0f, 20.0f);
        QCOMPARE(rig.x.PlotScale(0), 1.0);
        QCOMPARE(rig.x.PlotScale(1), 0.2);
        QCOMPARE(rig.x.PlotScale(2), 1.0);   // counted samples are no time
        QCOMPARE(rig.x.PlotRange(1).max, 100.0f);
        const QRect area(QPoint(100, 0), QPoint(300, 100));   // 200 pixels for 20 positions
        QCOMPARE(rig.x.ColumnToX(150, area), 5.0f);
        QCOMPARE(rig.x.PlotColumnToX(1, 150, area), 25.0f);
        QCOMPARE(rig.x.PlotSampleEnd(1, 3), 15L);
        QCOMPARE(rig.x.LongestVisiblePlot(), 1);   // 100 samples of 0.1 s outlast 8 of 0.5 s
        rig.graphType = CGraphX::BarGraph;
        QCOMPARE(rig.x.PlotScale(1), 1.0);
    }

    // Removing the first plot keeps the seconds shown: 0-10 s in positions of 0.5 s (0-20)
    // become 0-100 positions of the new first plot's 0.1 s.
    void rangeKeepsItsTimesWhenTheFirstPlotChanges()
    {
        CXRig rig;
        rig.series(rig.run(), SensorIndexOnlineFunction, 0.5);
        rig.series(rig.run(), SensorIndexOnlineFunction, 0.1);
        rig.x.ZoomTo(0.0f, 20.0f);
        const CGraphX::FirstPositions before = rig.x.FirstPlotPositions();
        rig.plots.removeFirst();
        rig.x.KeepRange(before);
        QCOMPARE(rig.x.Min(), 0.0f);
        QCOMPARE(rig.x.Max(), 100.0f);
        // A first plot that counts samples keeps the numbers as they were.
        rig.series(rig.run(true), SensorIndexOnlineFunction, 1.0);
        const CGraphX::FirstPositions timed = rig.x.FirstPlotPositions();
        rig.plots.move(1, 0);
        rig.x.KeepRange(timed);
        QCOMPARE(rig.x.Max(), 100.0f);
    }

    void plotSampleEnd_data()
    {
        QTest::addColumn<double>("firstInterval");
        QTest::addColumn<double>("ownInterval");
        QTest::addColumn<int>("to");         // axis positions
        QTest::addColumn<int>("expected");   // samples of the second plot
        QTest::newRow("one interval") << 0.5 << 0.5 << 7 << 7;
        QTest::newRow("0.1 s under 0.5 s") << 0.5 << 0.1 << 3 << 15;
        QTest::newRow("0.3 s under 0.5 s, whole") << 0.5 << 0.3 << 3 << 5;
        QTest::newRow("0.3 s under 0.5 s, a partly shown position") << 0.5 << 0.3 << 5 << 9;
        QTest::newRow("0.5 s under 0.3 s") << 0.3 << 0.5 << 7 << 5;
        QTest::newRow("all") << 0.5 << 0.3 << -1 << -1;
    }
    // The samples of a plot that axis positions [0, to) hold, where its rate is not the first
    // plot's: a position partly shown shows its sample.
    void plotSampleEnd()
    {
        QFETCH(double, firstInterval);
        QFETCH(double, ownInterval);
        QFETCH(int, to);
        CXRig rig;
        rig.series(rig.run(), SensorIndexOnlineFunction, firstInterval);
        rig.series(rig.run(), SensorIndexOnlineFunction, ownInterval, 40);
        QTEST(int(rig.x.PlotSampleEnd(1, to)), "expected");
    }

    void longestVisiblePlot_data()
    {
        QTest::addColumn<double>("firstInterval");
        QTest::addColumn<int>("firstSamples");
        QTest::addColumn<double>("secondInterval");
        QTest::addColumn<int>("secondSamples");
        QTest::addColumn<bool>("secondShown");
        QTest::addColumn<int>("expected");
        QTest::newRow("more samples and longer") << 0.5 << 8 << 0.1 << 100 << true << 1;
        QTest::newRow("fewer samples but longer: 4 s against 3 s") << 0.1 << 30 << 0.5 << 8 << true << 1;
        QTest::newRow("the longer one hidden") << 0.1 << 30 << 0.5 << 8 << false << 0;
    }
    // The plot whose series spans the most time, not the most samples.
    void longestVisiblePlot()
    {
        QFETCH(double, firstInterval);
        QFETCH(int, firstSamples);
        QFETCH(double, secondInterval);
        QFETCH(int, secondSamples);
        QFETCH(bool, secondShown);
        CXRig rig;
        rig.series(rig.run(), SensorIndexOnlineFunction, firstInterval, firstSamples);
        rig.series(rig.run(), SensorIndexOnlineFunction, secondInterval, secondSamples);
        rig.plots[1].m_bVisible = secondShown;
        QTEST(rig.x.LongestVisiblePlot(), "expected");
    }

    // The sample of a long XY curve nearest a click is found in whatever block of samples it
    // lies, not only the first.
    void nearestSampleOfALongXYCurve()
    {
        CXRig rig;
        CDataFolder* run = rig.run(true);
        const int n = 10000;
        rig.series(run, SensorIndexOnlineFunction, 1.0, n);
        rig.series(run, SensorIndexManualX, 1.0, n);
        rig.graphType = CGraphX::XYGraph;
        rig.x.ChoosePlot(1);
        // Both series run 10 ... n + 9: the curve is the diagonal, two pixels a sample.
        const float top = float(n + 10);
        rig.x.ZoomTo(0.0f, top);
        rig.plots[0].m_Min = 0.0f;
        rig.plots[0].m_Max = top;
        const QRect area(0, 0, 2 * (n + 10) + 1, 2 * (n + 10) + 1);
        for (int sample : {9, 4500, 9990}) {
            const float v = float(sample + 10);
            const QPoint at(GraphRules::ToPixelX(v, 0.0f, top, area), GraphRules::ToPixelY(v, 0.0f, top, area));
            double d2 = -1.0;
            QCOMPARE(rig.x.NearestXYSample(0, at, area, &d2), sample);
            QCOMPARE(d2, 0.0);
        }
    }

    void fitsStandOnlyOnTheirOwnX_data()
    {
        QTest::addColumn<bool>("againstMass");
        QTest::addColumn<bool>("drawn");
        QTest::newRow("fitted against the X axis' mass") << true << true;
        QTest::newRow("fitted against the run's pressure") << false << false;
    }
    // On an XY graph of Mass a fit of the same run is the curve of its equation only when it
    // was fitted against Mass; one fitted against Pressure is not drawn against the masses.
    void fitsStandOnlyOnTheirOwnX()
    {
        QFETCH(bool, againstMass);
        CXRig rig;
        CDataFolder* run = rig.run(true);
        rig.series(run, SensorIndexOnlineFunction, 1.0, 6);   // temperature
        CDataBranch* pressure = rig.series(run, SensorIndexOnlineFunction, 1.0, 6);
        CDataBranch* mass = rig.series(run, SensorIndexManualX, 1.0, 6);
        CDataBranch* fit = rig.series(run, CFunctions::CurveFitResultIndex, 1.0, 6);
        fit->m_RelatedKey = againstMass ? mass->m_Key : pressure->m_Key;
        rig.graphType = CGraphX::XYGraph;
        rig.x.ChoosePlot(2);
        QVERIFY(rig.x.PlotIsDrawn(0));
        QTEST(rig.x.PlotIsDrawn(3), "drawn");
        QTEST(rig.x.XBranchOfPlot(3) == mass, "drawn");
    }

    // The X plot is chosen by position or by key and followed by its key when plots leave the
    // list: index and key always name the same plot, or none at all.
    void plotIndexAndKeyStayTogether()
    {
        CXRig rig;
        CDataFolder* run = rig.run(true);
        for (int i = 0; i < 3; ++i)
            rig.series(run, SensorIndexOnlineFunction, 1.0, 4);
        rig.graphType = CGraphX::XYGraph;
        rig.plots[2].m_bAutoScale = false;
        rig.plots[2].m_Min = 3.0f;
        const int k1 = rig.plots.at(1).m_Key, k2 = rig.plots.at(2).m_Key;
        auto named = [&rig] { return QPoint(rig.x.PlotIndex(), rig.x.PlotKey()); };
        rig.x.ChoosePlot(1);
        QCOMPARE(named(), QPoint(1, k1));
        QCOMPARE(rig.x.ChoosePlotByKey(k2), 2);
        QCOMPARE(named(), QPoint(2, k2));
        QVERIFY(!rig.x.AutoScale());
        QCOMPARE(rig.x.Plot().m_Min, 3.0f);
        QVERIFY(rig.x.TakeScaleChoice() == &rig.plots.at(2));
        // Out of the list: none.
        rig.x.ChoosePlot(3);
        QCOMPARE(named(), QPoint(-1, -1));
        QVERIFY(!rig.x.TakeScaleChoice());
        QCOMPARE(rig.x.ChoosePlotByKey(k2 + 100), -1);
        QCOMPARE(rig.x.PlotKey(), -1);
        // A plot before it leaves: it moves up; it leaves itself: the axis has none.
        rig.x.ChoosePlotByKey(k2);
        CGraphX::FirstPositions before = rig.x.FirstPlotPositions();
        rig.plots.removeFirst();
        QVERIFY(rig.x.PlotsRemoved(before));
        QCOMPARE(named(), QPoint(1, k2));
        before = rig.x.FirstPlotPositions();
        rig.plots.removeLast();
        QVERIFY(!rig.x.PlotsRemoved(before));
        QCOMPARE(named(), QPoint(-1, -1));
        rig.x.ChoosePlot(0);
        rig.x.DropPlot();
        QCOMPARE(named(), QPoint(-1, -1));
    }

    void rangeOperations_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<float>("min");
        QTest::addColumn<float>("max");
        QTest::addColumn<bool>("autoscale");
        // From a fixed 2-6.
        QTest::newRow("zoom, ends either way") << "zoom" << 1.0f << 5.0f << false;
        QTest::newRow("scale following the data") << "scale" << 1.0f << 5.0f << true;
        QTest::newRow("pan") << "pan" << 4.5f << 8.5f << false;
        QTest::newRow("pan below the first bar") << "panLow" << 0.0f << 4.0f << false;
        QTest::newRow("pan beyond the last bar") << "panHigh" << 3.0f << 7.0f << false;
        QTest::newRow("opening of a timing run at 0.5 s") << "open" << 0.0f << 20.0f << false;
        QTest::newRow("reset") << "reset" << 0.0f << 10.0f << true;
    }
    // The range is changed by what the graph asks for, never left with its ends crossed.
    void rangeOperations()
    {
        QFETCH(QString, op);
        CXRig rig;
        rig.series(rig.run(), SensorIndexOnlineFunction, 1.0, 4);
        rig.x.ChoosePlot(0);
        rig.x.ScaleTo(6.0f, 2.0f, false);
        if (op == "zoom")
            rig.x.ZoomTo(5.0f, 1.0f);
        else if (op == "scale")
            rig.x.ScaleTo(5.0f, 1.0f, true);
        else if (op == "pan")
            rig.x.PanBy(-2.5f);
        else if (op == "panLow" || op == "panHigh") {
            rig.x.PanBy(op == "panLow" ? 3.0f : -3.0f);
            rig.x.KeepInside(7.0f);
        } else if (op == "open")
            rig.x.OpenRun(true, 0.5);
        else if (op == "reset")
            rig.x.Reset();
        QTEST(rig.x.Min(), "min");
        QTEST(rig.x.Max(), "max");
        QTEST(rig.x.AutoScale(), "autoscale");
    }

    // A paint that found samples beyond the axis marks it once, for the next autoscale to take.
    void samplesBeyondAreTakenOnce()
    {
        CXRig rig;
        rig.x.NoteBeyond(true);
        rig.x.NoteBeyond(false);
        QVERIFY(rig.x.Rescale());
        QVERIFY(rig.x.TakeRescale());
        QVERIFY(!rig.x.Rescale());
        QVERIFY(!rig.x.TakeRescale());
        rig.x.NoteBeyond(true);
        rig.x.OpenRun(true, 0.1);
        QVERIFY(!rig.x.Rescale());
        QCOMPARE(rig.x.Max(), 100.0f);
    }

    // An XY curve's sample i stands on entry i of its own run's X values: Run 2's temperature on
    // Run 2's masses, none on a run without masses; the mid-point label reads the X plot's unit.
    void xyCurvesStandOnTheirOwnRunsX()
    {
        CXRig rig;
        CDataFolder* run1 = rig.run(true);
        CDataFolder* run2 = rig.run(true);
        CDataBranch* t1 = rig.series(run1, SensorIndexOnlineFunction, 1.0, 4);
        CDataBranch* t2 = rig.series(run2, SensorIndexOnlineFunction, 1.0, 4);
        CDataBranch* m2 = rig.series(run2, SensorIndexManualX, 1.0, 4);
        m2->m_Unit = QStringLiteral("g");
        rig.graphType = CGraphX::XYGraph;
        rig.plots[2].m_Unit = QStringLiteral("g");
        rig.x.ChoosePlot(2);
        QCOMPARE(int(rig.x.AxisKind()), int(CGraphX::Kind::Series));
        QCOMPARE(rig.x.XBranchOfPlot(1), m2);
        QVERIFY(!rig.x.XBranchOfPlot(0));   // Run 1 has no masses
        QVERIFY(!rig.x.PlotIsDrawn(0));
        QVERIFY(rig.x.PlotIsDrawn(1));
        QCOMPARE(rig.x.XYSampleX(1, 3), 13.0);
        QCOMPARE(rig.x.XYSampleX(1, 4), double(MissingValue));
        QCOMPARE(rig.x.XYSampleX(0, 1), double(MissingValue));
        QCOMPARE(rig.x.KeysWithoutOwnX({t1->m_Key, t2->m_Key}, nullptr), QList<int>{t1->m_Key});
        QCOMPARE(rig.x.MidPointLabel(1, 12.0, 11.0), QStringLiteral("X=12g,Y=11"));
        float lo = 0.0f, hi = 0.0f;
        QVERIFY(rig.x.DrawnXRange(lo, hi));
        QCOMPARE(lo, 10.0f);
        QCOMPARE(hi, 13.0f);
    }

    // The kinds the searches remember follow the plot's series and its interval at once, and
    // the store's answer (a run now sampled by hand) after they are forgotten.
    void rememberedKindsFollowTheStore()
    {
        CXRig rig;
        CDataFolder* run = rig.run();
        CDataBranch* b = rig.series(run, SensorIndexOnlineFunction, 0.5);
        CDataBranch* other = rig.series(rig.run(true), SensorIndexOnlineFunction, 0.5, 8, false);
        QCOMPARE(rig.x.RememberedPositionContent(0, b), GraphRules::XAxisContent::Time);
        QCOMPARE(rig.x.RememberedPositionContent(0, other), GraphRules::XAxisContent::Samples);
        b->m_Interval = 0.0;   // no step: counted
        QCOMPARE(rig.x.RememberedPositionContent(0, b), GraphRules::XAxisContent::Samples);
        b->m_Interval = 0.5;
        QCOMPARE(rig.x.RememberedPositionContent(0, b), GraphRules::XAxisContent::Time);
        run->m_bSampledByHand = true;
        rig.x.ForgetPositions();
        QCOMPARE(rig.x.RememberedPositionContent(0, b), GraphRules::XAxisContent::Samples);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestGraphX)
#include "tst_graph_x.moc"

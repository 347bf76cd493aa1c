// The searches behind the cursors, the cursor information the analysis commands read, the
// placing of both cursors, their read-outs, the slope and the area between them.
#include "support/CursorRig.h"

#include "Core/Data/Globals.h"
#include "analysis/Functions.h"
#include "graph/GraphSearch.h"
#include "graph/PlotStrokes.h"

#include <QMouseEvent>

#include "common/FitEquationReader.h"
#include "common/TestMain.h"

namespace {

// A lone branch (not on any graph) with X values xs and Y values ys.
CDataBranch* MakeBranch(CGraphTestHost& host, const QVector<double>& xs, const QVector<double>& ys,
                        double interval = 1.0)
{
    CDataBranch* b = host.addBranch(nullptr, SensorIndexOnlineFunction, interval);
    b->AppendSamples(xs.constData(), ys.constData(), std::min(xs.size(), ys.size()));
    return b;
}

} // namespace

class TestGraphCursors : public QObject
{
    Q_OBJECT
private slots:
    void nearestValue_data()
    {
        QTest::addColumn<QVector<double>>("ys");
        QTest::addColumn<float>("value");
        QTest::addColumn<float>("expected");
        QTest::addColumn<int>("index");
        QTest::newRow("tie keeps the earlier") << QVector<double>{1, 3, 5} << 4.0f << 3.0f << 1;
        QTest::newRow("last") << QVector<double>{1, 3, 5} << 9.0f << 5.0f << 2;
        QTest::newRow("empty") << QVector<double>{} << 4.0f << 9999999.0f << 0;
    }
    void nearestValue()
    {
        QFETCH(QVector<double>, ys);
        QFETCH(float, value);
        CCursorRig rig;
        QVector<double> xs(ys.size());
        for (int i = 0; i < xs.size(); ++i)
            xs[i] = i;
        int index = -5;
        QFETCH(float, expected);
        QCOMPARE(FindNearestY(MakeBranch(rig.host, xs, ys), value, index), expected);
        QTEST(index, "index");
    }

    void matchingSample()
    {
        CCursorRig rig;
        CDataBranch* b = MakeBranch(rig.host, {0, 1, 2, 3, 4}, {10, 11, 12, 13, 14}, 0.5);
        int index = 77;
        // Beyond the last sample: no value, index untouched.
        QCOMPARE(FindMatchingY(b, 2.0f, 0.5f, index, 9), float(MissingValue));
        QCOMPARE(index, 77);
        // The first sample within the tolerance, reported one past its position.
        // The tolerance is in seconds: |X x 0.5 - 1.7| <= 0.5 first holds at X 3.
        QCOMPARE(FindMatchingY(b, 3.4f, 0.5f, index, 0), 13.0f);
        QCOMPARE(index, 4);
        QCOMPARE(FindMatchingY(b, 2.2f, 0.5f, index, -3), 12.0f);
        QCOMPARE(index, 3);
        // Nothing within the tolerance.
        index = 77;
        QCOMPARE(FindMatchingY(b, 20.0f, 0.5f, index, 0), float(MissingValue));
        QCOMPARE(index, 77);
        // Without a time base every sample matches: the first from the start.
        CDataBranch* untimed = MakeBranch(rig.host, {0, 1, 2, 3}, {5, 6, 7, 8}, 0.0);
        QCOMPARE(FindMatchingY(untimed, 99.0f, 0.5f, index, 2), 7.0f);
        QCOMPARE(index, 3);
        // Samples out of order are scanned: the first one in the band wins.
        CDataBranch* shuffled = MakeBranch(rig.host, {3, 0, 2, 1}, {30, 0, 20, 10}, 1.0);
        QCOMPARE(FindMatchingY(shuffled, 1.0f, 0.5f, index, 0), 10.0f);
        QCOMPARE(index, 4);
    }

    void matchingTime_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<int>("start");
        QTest::addColumn<float>("expected");
        QTest::addColumn<int>("index");
        QTest::newRow("nearer the earlier") << 2.4f << 0 << 12.0f << 2;
        QTest::newRow("tie takes the later") << 2.5f << 0 << 13.0f << 3;
        QTest::newRow("below the first") << -4.0f << 0 << 10.0f << 0;
        QTest::newRow("hint past the answer") << 1.0f << 3 << 12.0f << 2;
        QTest::newRow("beyond the last") << 9.0f << 0 << float(MissingValue) << 55;
        QTest::newRow("start at the count") << 1.0f << 4 << float(MissingValue) << 55;
        QTest::newRow("start beyond the count") << 1.0f << 400 << float(MissingValue) << 55;
    }
    void matchingTime()
    {
        QFETCH(float, x);
        QFETCH(int, start);
        QFETCH(float, expected);
        CCursorRig rig;
        for (bool ordered : {true, false}) {
            // The same X values once in order (binary search) and once with an out-of-order
            // sample appended past the end (scan); the answers agree.
            QVector<double> xs{0, 1, 2, 3}, ys{10, 11, 12, 13};
            CDataBranch* b = MakeBranch(rig.host, xs, ys);
            if (!ordered) {
                b->AddSample(-1.0, 99.0);
                QVERIFY(!b->IsXNonDecreasing());
            }
            int index = 55;
            const float y = FindMatchingTimeY(b, x, index, start);
            const QString row = QStringLiteral("ordered=%1").arg(ordered);
            if (!ordered && QTest::currentDataTag() == QByteArray("beyond the last"))
                continue;   // the appended sample lies beyond: not the same branch then
            QVERIFY2(y == expected || !ordered, qPrintable(row));
            if (ordered)
                QTEST(index, "index");
        }
        int index = 3;
        QCOMPARE(FindMatchingTimeY(MakeBranch(rig.host, {}, {}), 1.0f, index, 0), 0.0f);
        QCOMPARE(index, 0);
    }

    void matchingTimeStartsAtTheFirstX()
    {
        // A branch whose samples start at X 1000: the hint is a position in X, not an index.
        CCursorRig rig;
        QVector<double> xs, ys;
        for (int i = 0; i < 50; ++i) {
            xs << 1000 + i;
            ys << i;
        }
        CDataBranch* b = MakeBranch(rig.host, xs, ys);
        int index = -1;
        QCOMPARE(FindMatchingTimeY(b, 1020.2f, index, 1018), 20.0f);
        QCOMPARE(index, 20);
    }

    void nearestPlot()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        int plot = -7;
        QPoint nearRamp = rig.pixel(60.0f, 28.0f);   // ramp is 30 there, flat 40
        QCOMPARE(g->FindNearestPlot(&nearRamp, plot).m_Key, rig.ramp->m_Key);
        QCOMPARE(plot, 0);
        QPoint nearFlat = rig.pixel(60.0f, 37.0f);
        QCOMPARE(g->FindNearestPlot(&nearFlat, plot).m_Key, rig.flat->m_Key);
        QCOMPARE(plot, 1);
        // The flat branch shown twice: the earlier of the two equal curves wins.
        g->AddPlotsFromKeyArray({rig.flat->m_Key});
        rig.setAxes(0.0f, 100.0f, 0.0f, 50.0f);
        QPoint tie = rig.pixel(80.0f, 44.0f);
        QCOMPARE(g->FindNearestPlot(&tie, plot).m_Key, rig.flat->m_Key);
        QCOMPARE(plot, 1);
        // Every plot hidden: the default plot, the index untouched.
        g->m_Plots[0].m_bVisible = g->m_Plots[1].m_bVisible = g->m_Plots[2].m_bVisible = false;
        plot = -7;
        QCOMPARE(g->FindNearestPlot(&tie, plot).m_Key, -1);
        QCOMPARE(plot, -7);
    }

    void nearestXYPlot()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        int plot = 5, sample = 5;
        QPoint p(100, 100);
        // No X-axis branch: outs untouched.
        QCOMPARE(g->FindNearestXYPlot(&p, plot, sample).m_Key, -1);
        QCOMPARE(plot, 5);
        // The ramp as X axis of the flat plot: the sample under the click on the line y = 40.
        g->OnXScaleComboChanged(1);
        rig.setAxes(0.0f, 50.0f, 0.0f, 50.0f);
        QPoint at = rig.pixel(20.0f, 41.0f);   // X value 20 is ramp sample 40
        QCOMPARE(g->FindNearestXYPlot(&at, plot, sample).m_Key, rig.flat->m_Key);
        QCOMPARE(plot, 1);
        QCOMPARE(sample, 40);
        // Plot samples past the end of the X-axis branch have no point and are never chosen.
        CDataBranch* shortX = rig.host.addBranch(rig.run, SensorIndexOnlineFunction, 0.1);
        CGraphTestHost::fill(shortX, 10, [](int i) { return double(i); });
        // (as the X axis, the ramp hidden so that the flat line is the only curve)
        g->AddPlotsFromKeyArray({shortX->m_Key});
        CGraphPlot sx = g->GetPlot(2);
        g->SetXPlot(&sx, false, 2);
        CGraphPlot hidden = g->GetPlot(0);
        hidden.m_bVisible = false;
        g->UpdatePlot(hidden, 0);
        rig.setAxes(0.0f, 50.0f, 0.0f, 50.0f);
        QPoint farRight = rig.pixel(50.0f, 40.0f);
        g->FindNearestXYPlot(&farRight, plot, sample);
        QCOMPARE(sample, 9);
        // No visible plot: both outs -1.
        g->m_Plots[1].m_bVisible = false;
        QCOMPARE(g->FindNearestXYPlot(&at, plot, sample).m_Key, -1);
        QCOMPARE(plot, -1);
        QCOMPARE(sample, -1);
    }

    void cursorsInfo()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        int s1 = 11, s2 = 22, xKey = 33;
        QCOMPARE(g->GetCursorsInfo(s1, s2, xKey), -1);
        QCOMPARE(s1, 11);
        QCOMPARE(xKey, 33);
        QCOMPARE(g->X().PlotKey(), -1);
        g->SelectCursorPlot(-1, true, nullptr);
        QCOMPARE(g->GetCursorsInfo(s1, s2, xKey), rig.ramp->m_Key);
        QCOMPARE(s1, 51);   // truncate((100 - 0) * 0.5 + 0 + 1)
        QCOMPARE(s2, -1);
        QCOMPARE(xKey, -1);
        g->SelectCursor2Plot(nullptr, false);
        QCOMPARE(g->GetCursorsInfo(s1, s2, xKey), rig.ramp->m_Key);
        QCOMPARE(s2, 75);   // half-way from cursor 1 to the end of the visible data
        QCOMPARE(g->Cursors().SampleDelta(), 24);
        QList<int> keys{1, 2};
        CCursorRig empty(0);
        empty.graph->m_Plots.clear();
        empty.graph->GetPlotKeys(&keys);
        QVERIFY(keys.isEmpty());
    }

    void cursorOnAtItsDefaultPlace_data()
    {
        QTest::addColumn<int>("samples");
        QTest::addColumn<float>("xMin");
        QTest::addColumn<float>("xMax");
        QTest::addColumn<int>("sample");
        QTest::newRow("middle of the visible data") << 100 << 0.0f << 200.0f << 50;
        // The middle of an axis that starts past the data is no sample: the last one.
        QTest::newRow("axis right of a short plot") << 10 << 50.0f << 100.0f << 9;
        QTest::newRow("one sample") << 1 << 0.0f << 100.0f << 0;
    }
    void cursorOnAtItsDefaultPlace()
    {
        QFETCH(int, samples);
        CCursorRig rig(samples);
        QFETCH(float, xMin);
        QFETCH(float, xMax);
        rig.setAxes(xMin, xMax, 0.0f, 50.0f);
        rig.graph->SelectCursorPlot(-1, true, nullptr);
        QCOMPARE(rig.graph->Cursors().First().m_Plot, 0);
        QTEST(rig.graph->Cursors().First().m_Sample, "sample");
        QCOMPARE(rig.graph->Cursors().First().m_Y, float(rig.graph->Cursors().First().m_Sample * 0.5));
        // An empty left plot gives no cursor.
        CCursorRig none(0);
        none.graph->SelectCursorPlot(-1, true, nullptr);
        QCOMPARE(none.graph->Cursors().First().m_Plot, -1);
    }

    void clickPlacesCursorOne()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        QPoint p = rig.pixel(30.2f, 16.0f);
        g->SelectCursorPlot(-1, false, &p);
        QCOMPARE(g->Cursors().First().m_Plot, 0);
        QCOMPARE(g->Cursors().First().m_Sample, 30);
        QCOMPARE(g->Cursors().First().m_X, 30.0f);
        QCOMPARE(g->Cursors().First().m_Y, 15.0f);
        // Right of the data: the last sample.
        rig.setAxes(0.0f, 300.0f, 0.0f, 50.0f);
        g->SelectCursorPlot(-1, false, nullptr);
        QPoint right = rig.pixel(250.0f, 49.0f);
        g->SelectCursorPlot(-1, false, &right);
        QCOMPARE(g->Cursors().First().m_Sample, 100);
        QCOMPARE(g->Cursors().First().m_Y, 50.0f);
        // Off: the plot goes, the sample stays.
        g->SelectCursorPlot(-1, false, nullptr);
        QCOMPARE(g->Cursors().First().m_Plot, -1);
        QCOMPARE(g->Cursors().First().m_Sample, 100);
    }

    void cursorTwoKeepsItsDistanceOnlyInsideTheData()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        // A shorter third plot.
        CDataBranch* shortB = rig.host.addBranch(rig.run, SensorIndexOnlineFunction, 0.1, QStringLiteral("Short"));
        CGraphTestHost::fill(shortB, 20, [](int i) { return double(i); });
        g->AddPlotsFromKeyArray({shortB->m_Key});
        rig.setAxes(0.0f, 100.0f, 0.0f, 50.0f);
        g->Cursors().SetPlot(1, 0);
        g->Cursors().SetSample(1, 10);
        g->SelectCursor2Plot(nullptr, false);
        QCOMPARE(g->Cursors().Second().m_Sample, 55);
        QCOMPARE(g->Cursors().SampleDelta(), 45);
        // Beyond the short plot's end the kept distance is given up: half-way again.
        g->Cursors().SetPlot(1, 2);
        g->SelectCursor2Plot(nullptr, false);
        QCOMPARE(g->Cursors().Second().m_Sample, 14);
        // Cursor 1 near the short plot's end: the kept distance would pass it.
        g->Cursors().SetPlot(1, 0);
        g->Cursors().SetSample(1, 10);
        g->Cursors().SetSample(2, 15);
        g->Cursors().SetSampleDelta(5);
        g->Cursors().SetPlot(1, 2);
        g->Cursors().SetSample(1, 17);
        g->SelectCursor2Plot(nullptr, false);
        QCOMPARE(g->Cursors().Second().m_Plot, 2);
        QCOMPARE(g->Cursors().Second().m_Sample, 19);
        QCOMPARE(g->Cursors().Second().m_Y, 19.0f);
        // Cursor 1 off: cursor 2 goes too.
        g->Cursors().SetPlot(1, -1);
        g->SelectCursor2Plot(nullptr, false);
        QCOMPARE(g->Cursors().Second().m_Plot, -1);
        QCOMPARE(g->Cursors().Second().m_Sample, -1);
        QCOMPARE(g->Cursors().SampleDelta(), 0);
    }

    // A run at 25/s beside the rig's 10/s ramp, along y = 5 t + 5: it is drawn, read by a
    // click and autoscaled at its own samples' times, not at the sample numbers of the first.
    void runAtAnotherRateStandsAtItsOwnTimes()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        CDataFolder* run2 = rig.host.addRun(QStringLiteral("Run2"));
        CDataBranch* fast = rig.host.addBranch(run2, SensorIndexOnlineFunction, 0.04, QStringLiteral("Fast"));
        CGraphTestHost::fill(fast, 301, [](int i) { return 5.0 * 0.04 * i + 5.0; });
        g->AddPlotsFromKeyArray({fast->m_Key});
        g->m_Plots[2].m_Color = QColor(0, 0, 220);
        rig.setAxes(0.0f, 100.0f, 0.0f, 50.0f);
        const QImage img = rig.paint();
        // 2 s, 5 s and 8 s are positions 20, 50 and 80 of the first plot's axis.
        for (const float t : {2.0f, 5.0f, 8.0f}) {
            const QPoint at = rig.pixel(10.0f * t, 5.0f * t + 5.0f);
            int hits = 0;
            for (int k = 0; k < 9; ++k)
                hits += img.pixelColor(at + QPoint(k % 3 - 1, k / 3 - 1)) == QColor(0, 0, 220) ? 1 : 0;
            QVERIFY2(hits > 0, qPrintable(QString::number(double(t))));
        }
        QPoint click = rig.pixel(50.0f, 30.0f);
        g->SelectCursorPlot(-1, false, &click);
        QCOMPARE(g->Cursors().First().m_Plot, 2);
        QCOMPARE(g->Cursors().First().m_Sample, 125);
        rig.paint();
        QVERIFY(g->Cursors().First().m_Text.startsWith(QStringLiteral("x=5s  y=30")));
        QVERIFY((g->Cursors().First().m_Point - rig.pixel(50.0f, 30.0f)).manhattanLength() <= 2);
        // The fast run lasts 12 s: 120 positions of the first plot's, not its 301 samples.
        g->AutoScaleXAxis(false);
        QVERIFY(std::abs(g->X().Max() - 120.0f) < 0.01f);
        // The 10/s plots go: the axis keeps showing 2 s to 8 s, now in the fast run's positions.
        g->X().ZoomTo(20.0f, 80.0f);
        g->DataDeleted(rig.ramp->m_Key);
        QCOMPARE(g->X().Max(), 80.0f);
        g->DataDeleted(rig.flat->m_Key);
        QCOMPARE(g->X().Min(), 50.0f);
        QCOMPARE(g->X().Max(), 200.0f);
    }

    // The slope mode's tangent at either end of the data ends at the plot area's edge: outside it
    // the window is as without slope mode.
    void slopeTangentStaysInsideThePlotArea()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        rig.setAxes(0.0f, 100.0f, 0.0f, 100.0f);
        for (const int sample : {1, 99}) {
            g->Cursors().SetPlot(1, 0);
            g->Cursors().SetSample(1, sample);
            g->Cursors().SetX(1, float(sample));
            g->Cursors().SetY(1, float(rig.ramp->GetYSample(sample)));
            g->EnableSlopeMode(false);
            const QImage plain = rig.paint();
            g->EnableSlopeMode(true);
            const QImage sloped = rig.paint();
            int outside = 0, inside = 0;
            for (int y = 0; y < plain.height(); ++y)
                for (int x = 0; x < plain.width(); ++x)
                    if (plain.pixel(x, y) != sloped.pixel(x, y))
                        ++(g->GraphRect().contains(x, y) ? inside : outside);
            QVERIFY(inside > 0);
            QCOMPARE(outside, 0);
        }
    }

    void slope()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        // Ramp: 0.5 per sample, 0.1 s per sample: 5 per second.
        QCOMPARE(g->CalculateSlope(1, 0), 5.0f);
        QCOMPARE(g->CalculateSlope(0, 0), float(MissingValue));
        QCOMPARE(g->CalculateSlope(100, 0), float(MissingValue));
        QCOMPARE(g->CalculateSlope(5, 7), float(MissingValue));
        // Neighbours at one X: no slope rather than a division by zero.
        CDataBranch* same = rig.host.addBranch(rig.run, SensorIndexOnlineFunction, 0.1);
        same->AppendSamples(QVector<double>{1, 2, 1}.constData(), QVector<double>{0, 5, 9}.constData(), 3);
        g->AddPlotsFromKeyArray({same->m_Key});
        QCOMPARE(g->CalculateSlope(1, 2), float(MissingValue));
        // A plot of one sample in slope mode paints without a tangent.
        CCursorRig one(1);
        one.graph->EnableSlopeMode(true);
        one.graph->SelectCursorPlot(-1, true, nullptr);
        one.paint();
        QVERIFY(!one.graph->Cursors().First().m_Text.isEmpty());
        QVERIFY(!one.graph->Cursors().First().m_Text.contains(QStringLiteral("Slope")));
    }

    void readouts()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        g->EnableSlopeMode(true);
        g->Cursors().SetPlot(1, 0);
        g->Cursors().SetSample(1, 20);
        g->Cursors().SetX(1, 20.0f);
        g->Cursors().SetY(1, 10.0f);
        rig.paint();
        QCOMPARE(g->Cursors().First().m_Text, QStringLiteral("x=2s  y=10 Slope = 5 "));
        QCOMPARE(g->Cursors().First().m_Point, rig.pixel(20.0f, 10.0f));
        // Shown in milli over data stored without prefix: y times 1000, the slope as stored.
        g->m_Plots[0].m_UnitPrefix = 2;
        g->m_Plots[0].m_Unit = QStringLiteral("V");
        rig.paint();
        QCOMPARE(g->Cursors().First().m_Text, QStringLiteral("x=2s  y=10000mV Slope = 5 "));
        // A derivative's mid-point mark on this curve reads as the cursor does, not in sample
        // numbers and stored units.
        QCOMPARE(g->X().MidPointLabel(0, 20.0, 10.0), QStringLiteral("X=2s,Y=10000mV"));
        g->m_Plots[0].m_UnitPrefix = 0;
        g->m_Plots[0].m_Unit.clear();
        // Cursor 2 left of cursor 1 and lower: both differences from cursor 1 to cursor 2.
        g->Cursors().SetPlot(2, 0);
        g->Cursors().SetSample(2, 10);
        g->Cursors().SetX(2, 10.0f);
        g->Cursors().SetY(2, 5.0f);
        g->Cursors().SetSampleDelta(-10);
        rig.paint();
        QCOMPARE(g->Cursors().Second().m_Text, QStringLiteral("x=1s  y=5 dx=-1s dy=-5"));
        // Outside the axes nothing is drawn, the position is still kept.
        g->Cursors().SetX(2, 500.0f);
        rig.paint();
        QVERIFY(g->Cursors().Second().m_Point.x() > g->GraphRect().right());
    }

    void xyCursorsPlacedByClicksReadTheXUnit_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("prefix");
        QTest::addColumn<int>("dataPrefix");
        QTest::addColumn<QString>("text2");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("slope");   // of the ramp at cursor 1, in stored units whatever is shown
        QTest::newRow("kPa as stored") << "Pa" << 1 << 1 << "x=215kPa  y=32.5 dx=35kPa dy=17.5" << "X(kPa)"
                                       << "Slope = 0.5 ";
        QTest::newRow("Pa of kPa stored") << "Pa" << 0 << 1 << "x=215000Pa  y=32.5 dx=35000Pa dy=17.5" << "X(Pa)"
                                          << "Slope = 0.5 ";
        QTest::newRow("no unit") << "" << 0 << 0 << "x=215  y=32.5 dx=35 dy=17.5" << "X" << "Slope = 0.5 ";
    }
    void xyCursorsPlacedByClicksReadTheXUnit()
    {
        // The ramp (i / 2) against X = 150 + i.
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        CDataBranch* x = rig.host.addBranch(rig.run, SensorIndexOnlineFunction, 0.1, QStringLiteral("X"));
        CGraphTestHost::fill(x, 101, [](int i) { return 150.0 + i; });
        g->AddPlotsFromKeyArray({x->m_Key});
        g->OnXScaleComboChanged(3);
        QFETCH(QString, unit);
        QFETCH(int, prefix);
        QFETCH(int, dataPrefix);
        g->m_Plots[2].m_Unit = unit;
        g->m_Plots[2].m_UnitPrefix = prefix;
        g->m_Plots[2].m_DataUnitPrefix = dataPrefix;
        rig.setAxes(150.0f, 250.0f, 0.0f, 50.0f);
        // A click places cursor 1 on sample 30, a double click cursor 2 half-way to the end.
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, rig.pixel(180.0f, 15.0f));
        QTest::mouseDClick(g, Qt::LeftButton, Qt::NoModifier, rig.pixel(180.0f, 15.0f));
        QCOMPARE(g->Cursors().First().m_Sample, 30);
        QCOMPARE(g->Cursors().Second().m_Sample, 65);
        rig.paint();
        QTEST(g->Cursors().Second().m_Text, "text2");
        QTEST(g->X().AxisTitle(), "title");
        QFETCH(QString, slope);
        g->EnableSlopeMode(true);
        rig.paint();
        QVERIFY2(g->Cursors().First().m_Text.contains(slope), qPrintable(g->Cursors().First().m_Text));
        g->EnableSlopeMode(false);
        // Cursor 1 dragged towards the flat curve stays on the ramp; cursor 2 stays put.
        const QPoint to = rig.pixel(200.0f, 40.0f);
        QTest::mousePress(g, Qt::LeftButton, Qt::NoModifier, g->Cursors().First().m_Point);
        QMouseEvent move(QEvent::MouseMove, to, g->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(g, &move);
        QTest::mouseRelease(g, Qt::LeftButton, Qt::NoModifier, to);
        QCOMPARE(QPoint(g->Cursors().First().m_Plot, g->Cursors().Second().m_Plot), QPoint(0, 0));
        QVERIFY(g->Cursors().First().m_Sample > 30);
        QCOMPARE(g->Cursors().Second().m_Sample, 65);
        // Cursor 1 near the end: a new cursor 2 goes half-way back, not onto the next sample.
        g->Cursors().SetSample(1, 95);
        g->Cursors().SetSample(2, -1);
        g->SelectCursor2Plot(nullptr, false);
        QCOMPARE(g->Cursors().Second().m_Sample, 47);
        // Another X axis: both cursors go.
        g->OnXScaleComboChanged(0);
        QCOMPARE(g->Cursors().First().m_Plot + g->Cursors().Second().m_Plot, -2);
    }

    void area_data()
    {
        QTest::addColumn<int>("c1");
        QTest::addColumn<int>("c2");
        QTest::addColumn<QString>("text");
        // Constant 2 at 0.5 s: samples 11..14 count, 4 x 2 x 0.5.
        QTest::newRow("cursor 2 right") << 10 << 14 << QStringLiteral("Area = 4 (*s)");
        QTest::newRow("cursor 2 left") << 14 << 10 << QStringLiteral("Area = 4 (*s)");
        QTest::newRow("same sample") << 12 << 12 << QStringLiteral("Area = 0 (*s)");
        // Negative samples count against the sum: 21..24 are -1.
        QTest::newRow("below zero") << 16 << 28 << QStringLiteral("Area = 0 (*s)");
    }
    void area()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        CDataBranch* b = rig.host.addBranch(rig.run, SensorIndexOnlineFunction, 0.5);
        CGraphTestHost::fill(b, 40, [](int i) { return i <= 20 ? 2.0 : -1.0; });
        g->m_Plots.clear();
        g->AddPlotsFromKeyArray({b->m_Key});
        g->m_Plots[0].m_Color = QColor(200, 0, 0);
        rig.setAxes(0.0f, 40.0f, -3.0f, 3.0f);
        g->EnableAreaMode(true);
        QFETCH(int, c1);
        QFETCH(int, c2);
        g->Cursors().SetPlot(1, 0);
        g->Cursors().SetPlot(2, 0);
        g->Cursors().SetSample(1, c1);
        g->Cursors().SetSample(2, c2);
        g->Cursors().SetX(1, float(c1));
        g->Cursors().SetX(2, float(c2));
        g->Cursors().SetY(1, float(b->GetYSample(c1)));
        g->Cursors().SetY(2, float(b->GetYSample(c2)));
        const QImage img = rig.paint();
        QTEST(g->Cursors().AreaText(), "text");
        if (c1 != c2) {
            // Half-way between the curve and zero the shading tints what is there without it.
            const int mid = (c1 + c2) / 2;
            const QPoint at = rig.pixel(float(mid) + 0.3f, float(b->GetYSample(mid)) / 2.0f);
            g->EnableAreaMode(false);
            const QImage plain = rig.paint();
            QVERIFY(img.pixelColor(at) != plain.pixelColor(at));
            g->EnableAreaMode(true);
        }
        // On an XY graph there is no area.
        g->m_GraphType = CGraphWindow::XYGraph;
        rig.paint();
        QVERIFY(g->Cursors().AreaText().isEmpty());
    }

    // The ramp against an X that swings back and forth (a loop), its line fitted over 20..80: drawn
    // as a line, read by a click at the X it was fitted at, its slope there the line's per unit X.
    void xyFitStandsOnTheXItWasFittedAt()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        CDataBranch* x = rig.host.addBranch(rig.run, SensorIndexOnlineFunction, 0.1, QStringLiteral("X"));
        CGraphTestHost::fill(x, 101, [](int i) { return 25.0 + 20.0 * std::sin(i / 6.0); });
        g->AddPlotsFromKeyArray({x->m_Key});
        g->OnXScaleComboChanged(3);
        CFunctions engine(&rig.host.m_Data);
        CDataBranch* fit = engine.FunctionLinearRegression(rig.ramp, 20, 80, x);
        QVERIFY(fit);
        g->NewFunctionData(fit->m_Key, rig.ramp->m_Key, x->m_Key);
        const int f = g->m_Plots.size() - 1;
        rig.setAxes(0.0f, 50.0f, 0.0f, 50.0f);

        // Every point of the drawn curve lies on one straight line (no loop).
        CCurveFrame frame;
        frame.m_Rect = g->GraphRect();
        frame.m_XMax = frame.m_YMax = 50.0f;
        CPlotStrokes drawn;
        StrokeXYCurve(*fit, *x, 0, -1, frame, drawn);
        const auto ends = std::minmax_element(drawn.m_Path.begin(), drawn.m_Path.end(),
                                              [](const QPoint& a, const QPoint& b) { return a.x() < b.x(); });
        const QPointF a = *ends.first, d = QPointF(*ends.second) - a;
        QVERIFY(drawn.m_Path.size() > 10 && d.x() > 200);
        for (const QPoint& p : drawn.m_Path)
            QVERIFY(std::abs(d.x() * (p.y() - a.y()) - d.y() * (p.x() - a.x())) / std::hypot(d.x(), d.y()) < 1.5);

        // Only the fit shown: a click on its sample 30 (drawn at the X of sample 50).
        for (int i = 0; i < f; ++i)
            g->m_Plots[i].m_bVisible = false;
        rig.paint();
        const QPoint click = rig.pixel(float(x->GetYSample(50)), float(fit->GetYSample(30)));
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, click);
        QCOMPARE(g->Cursors().First().m_Plot, f);
        const int on = g->Cursors().First().m_Sample;
        QCOMPARE(g->Cursors().First().m_X, float(x->GetYSample(on + 20)));
        QCOMPARE(g->Cursors().First().m_Y, float(fit->GetYSample(on)));
        // The slope at the cursor: the line's rise per unit of X, in the read-out too.
        const double slope = (fit->GetYSample(1) - fit->GetYSample(0)) / (x->GetYSample(21) - x->GetYSample(20));
        QVERIFY(std::abs(g->CalculateSlope(on, f) - slope) < 1e-4 * std::abs(slope));
        g->EnableSlopeMode(true);
        rig.paint();
        QVERIFY((g->Cursors().First().m_Point - click).manhattanLength() <= 2);
        QVERIFY(g->Cursors().First().m_Text.contains(QStringLiteral(" Slope = ") + Double2String(slope, 2, false, false)));
    }

    // Pressure stored in kPa shown in Pa, the fitted series shown in milli-units: each fit's
    // equation in the plot area gives its curve at the X the axis reads, as the scales do.
    void fitEquationsFollowThePrefixesShown()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        CDataBranch* x = rig.host.addBranch(rig.run, SensorIndexOnlineFunction, 0.1, QStringLiteral("Pressure"));
        CGraphTestHost::fill(x, 101, [](int i) { return 100.0 + 2.5 * i + 0.01 * i * i; });
        g->AddPlotsFromKeyArray({x->m_Key});
        g->OnXScaleComboChanged(3);
        CFunctions engine(&rig.host.m_Data);
        const QList<CDataBranch*> fits{engine.FunctionLinearRegression(rig.ramp, 10, 90, x),
                                       engine.FunctionPolynomialRegression(rig.ramp, 10, 90, 3, x),
                                       engine.FunctionPowerRegression(rig.ramp, 10, 90, x),
                                       engine.FunctionExponentialRegression(rig.ramp, 10, 90, x)};
        for (CDataBranch* fit : fits)
            g->NewFunctionData(fit->m_Key, rig.ramp->m_Key, x->m_Key);
        g->m_Plots[2].m_DataUnitPrefix = 1;
        g->m_Plots[2].m_UnitPrefix = 0;
        g->m_Plots[0].m_UnitPrefix = 2;
        rig.paint();
        const QStringList shown = g->FitEquations();
        QCOMPARE(shown.size(), fits.size());
        for (int k = 0; k < fits.size(); ++k) {
            for (int i : {0, 40, 80}) {
                const double at = 1000.0 * x->GetYSample(10 + i), value = 1000.0 * fits[k]->GetYSample(i);
                QVERIFY2(std::abs(EvaluateFitEquation(shown[k], at) - value) < 45.0, qPrintable(shown[k]));
            }
        }
    }

    // A line fitted on that loop against X belongs with X: a time graph neither draws it nor takes
    // it, and says why; back on X it is drawn. A note on it points at the X its sample is drawn at.
    void xyFitIsDrawnOnItsXAlone()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        CDataBranch* x = rig.host.addBranch(rig.run, SensorIndexOnlineFunction, 0.1, QStringLiteral("X"));
        CGraphTestHost::fill(x, 101, [](int i) { return 25.0 + 20.0 * std::sin(i / 6.0); });
        g->AddPlotsFromKeyArray({x->m_Key});
        g->OnXScaleComboChanged(3);
        CFunctions engine(&rig.host.m_Data);
        CDataBranch* fit = engine.FunctionLinearRegression(rig.ramp, 20, 80, x);
        g->NewFunctionData(fit->m_Key, rig.ramp->m_Key, x->m_Key);
        const int f = g->m_Plots.size() - 1;
        CGraphTextAnnotation note;
        note.m_Text = QStringLiteral("start");
        note.m_Angle = 0.0;
        g->m_Plots[f].AddAnnotation(note);
        rig.setAxes(0.0f, 50.0f, 0.0f, 50.0f);
        auto fitPixels = [&](const QImage& shot) {
            const QImage area = shot.copy(g->GraphRect()).convertToFormat(QImage::Format_RGB32);
            const QRgb* p = reinterpret_cast<const QRgb*>(area.constBits());
            return std::count(p, p + area.width() * area.height(), g->m_Plots.at(f).m_Color.rgb());
        };
        QVERIFY(fitPixels(rig.paint()) > 50 && g->FitEquations().size() == 1);
        const int noteX = g->m_Plots.at(f).m_Annotations.at(0).m_TextRect.center().x();
        QVERIFY2(std::abs(noteX - rig.pixel(float(x->GetYSample(20)), 0.0f).x()) <= 1, qPrintable(QString::number(noteX)));
        rig.prompter.m_Log.clear();
        g->OnXScaleComboChanged(0);
        g->NewFunctionData(fit->m_Key, rig.ramp->m_Key, x->m_Key);
        QVERIFY(!g->X().PlotIsDrawn(f) && g->m_Plots.size() == f + 1);
        QVERIFY(fitPixels(rig.paint()) == 0 && g->FitEquations().isEmpty());
        QCOMPARE(g->X().KeysOffTheXAxis({rig.ramp->m_Key, fit->m_Key}, nullptr, nullptr), QList<int>{fit->m_Key});
        const QString notice = CGraphX::OffTheXAxisText(g->X().AxisTitle(), QStringLiteral("X"), {fit->m_Name}, true);
        QCOMPARE(rig.prompter.m_Log, QStringList({"info|Graph|" + notice, "info|Graph|" + notice}));
        g->OnXScaleComboChanged(3);
        QVERIFY(g->X().PlotIsDrawn(f) && fitPixels(rig.paint()) > 50 && g->FitEquations().size() == 1);
    }
};

KORVANTA_TEST_MAIN(TestGraphCursors)
#include "tst_graph_cursors.moc"

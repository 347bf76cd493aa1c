// The prediction curves without a window: the gaps before a point, the points refused, the
// curve the points go to, the palette colours new curves take, erasing by the pixels the
// points are drawn at, and a stretched scale.
#include "graph/GraphPredictions.h"

#include "Core/Data/Globals.h"
#include "graph/GraphRules.h"

#include "common/TestMain.h"

#include <cmath>

namespace {
const float s_Gap = float(MissingValue);
// A plot area of 101 pixels square with X and Y over 0..100 (one pixel a unit).
const QRect s_Area(0, 0, 101, 101);
} // namespace

class TestGraphPredictions : public QObject
{
    Q_OBJECT
private slots:
    void pointsAndTheirGaps_data()
    {
        QTest::addColumn<QVector<double>>("xs");   // points added in turn, Y = X + 1
        QTest::addColumn<QVector<float>>("x");      // the curve's X list after them
        QTest::addColumn<QVector<float>>("y");
        QTest::newRow("first point past 3") << QVector<double>{3.4} << QVector<float>{-1, 0, 1, 2, 3.4f}
                                            << QVector<float>{s_Gap, s_Gap, s_Gap, s_Gap, 4.4f};
        QTest::newRow("gaps up to the next") << QVector<double>{3.4, 5.2}
                                             << QVector<float>{-1, 0, 1, 2, 3.4f, 4, 5.2f}
                                             << QVector<float>{s_Gap, s_Gap, s_Gap, s_Gap, 4.4f, s_Gap, 6.2f};
        // A point left of the curve's end needs no gap.
        QTest::newRow("back to the left") << QVector<double>{3.4, 5.2, 3.9}
                                          << QVector<float>{-1, 0, 1, 2, 3.4f, 4, 5.2f, 3.9f}
                                          << QVector<float>{s_Gap, s_Gap, s_Gap, s_Gap, 4.4f, s_Gap, 6.2f, 4.9f};
        QTest::newRow("at 0") << QVector<double>{0.0} << QVector<float>{-1, 0} << QVector<float>{s_Gap, 1.0f};
    }
    void pointsAndTheirGaps()
    {
        QFETCH(QVector<double>, xs);
        CGraphPredictions p;
        p.AddCurve(0.0f, 10.0f);
        for (double x : xs)
            QVERIFY(p.AddPoint(x, x + 1.0));
        QCOMPARE(p.Curves().size(), 1);
        QTEST(p.Curves().at(0).m_X, "x");
        QTEST(p.Curves().at(0).m_Y, "y");
    }

    void pointsRefused_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::newRow("left of 0") << -0.5 << 1.0;
        QTest::newRow("x not a number") << double(qQNaN()) << 1.0;
        QTest::newRow("too far right") << 1.0e12 << 1.0;
        QTest::newRow("y not a number") << 2.0 << double(qQNaN());
        QTest::newRow("y infinite") << 2.0 << double(qInf());
    }
    void pointsRefused()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        CGraphPredictions p;
        QVERIFY(!p.AddPoint(1.0, 1.0));   // no curve yet
        QVERIFY(p.Curves().isEmpty());
        p.AddCurve(0.0f, 10.0f);
        QVERIFY(p.AddPoint(1.0, 1.0));
        QVERIFY(!p.AddPoint(x, y));
        QCOMPARE(p.Curves().at(0).m_X.size(), 3);
        QCOMPARE(p.Curves().at(0).m_X.last(), 1.0f);
    }

    void fillersPastTheSixteenBitRangeEnd()
    {
        CGraphPredictions p;
        p.AddCurve(0.0f, 10.0f);
        QVERIFY(p.AddPoint(40000.5, 1.0));
        const CPredictPlot& c = p.Curves().at(0);
        QCOMPARE(c.m_X.size(), 40002);
        QCOMPARE(c.m_X.at(40000), 39999.0f);
        QCOMPARE(c.m_X.last(), 40000.5f);
    }

    void pointsGoToTheLastCurve()
    {
        CGraphPredictions p;
        p.AddCurve(-2.0f, 8.0f);
        p.AddCurve(0.0f, 10.0f);
        QVERIFY(p.AddPoint(1.0, 1.0));
        QVERIFY(p.Curves().at(0).m_X.isEmpty());
        QCOMPARE(p.Curves().at(1).m_X.size(), 3);
        // Each keeps the range it was made with, fixed.
        QCOMPARE(p.Curves().at(0).m_Plot.m_Min, -2.0f);
        QCOMPARE(p.Curves().at(0).m_Plot.m_Max, 8.0f);
        QVERIFY(!p.Curves().at(0).m_Plot.m_bAutoScale);
    }

    void newCurvesTakePaletteColoursThatStandOut_data()
    {
        QTest::addColumn<int>("from");    // the palette slot the walk starts at
        QTest::addColumn<int>("first");   // the slots the next two curves take
        QTest::addColumn<int>("second");
        QTest::newRow("slot 0") << 0 << 0 << 1;
        // The grid's blue and orange (slots 7 and 8) are passed over.
        QTest::newRow("slot 6") << 6 << 6 << 9;
        // So is the pale yellow of slot 11.
        QTest::newRow("slot 11") << 11 << 0 << 1;
    }
    void newCurvesTakePaletteColoursThatStandOut()
    {
        QFETCH(int, from);
        QFETCH(int, first);
        QFETCH(int, second);
        InitGlobalColors();
        globalColorIndex = from;
        CGraphPredictions p;
        p.AddCurve(0.0f, 10.0f);
        p.AddCurve(0.0f, 10.0f);
        QCOMPARE(p.Curves().at(0).m_Plot.m_Color, colorsTable[first]);
        QCOMPARE(p.Curves().at(1).m_Plot.m_Color, colorsTable[second]);
        QVERIFY(GraphRules::StandsOutOnPlotArea(p.Curves().at(1).m_Plot.m_Color));
    }

    void erasingByTheDrawnPoints_data()
    {
        QTest::addColumn<QPoint>("press");   // the point (40, 30) is drawn at pixel (40, 70)
        QTest::addColumn<bool>("erased");
        QTest::newRow("on it") << QPoint(40, 70) << true;
        QTest::newRow("4 across") << QPoint(44, 70) << true;
        QTest::newRow("4 down") << QPoint(40, 74) << true;
        QTest::newRow("5 across") << QPoint(45, 70) << false;
        QTest::newRow("5 up") << QPoint(40, 65) << false;
        // The gaps before the point are drawn nowhere.
        QTest::newRow("on a gap") << QPoint(10, 100) << false;
    }
    void erasingByTheDrawnPoints()
    {
        QFETCH(QPoint, press);
        QFETCH(bool, erased);
        CGraphPredictions p;
        QVERIFY(!p.EraseNear(press, 0.0f, 100.0f, s_Area));   // no curves
        p.AddCurve(0.0f, 100.0f);
        QVERIFY(p.AddPoint(40.0, 30.0));
        p.AddCurve(0.0f, 100.0f);
        QVERIFY(p.AddPoint(90.0, 90.0));
        QCOMPARE(p.EraseNear(press, 0.0f, 100.0f, s_Area), erased);
        QCOMPARE(p.Curves().size(), erased ? 1 : 2);
        QCOMPARE(p.Curves().last().m_X.last(), 90.0f);
    }

    void erasingFindsPointsPastA16BitCount()
    {
        CGraphPredictions p;
        p.AddCurve(0.0f, 50.0f);
        QVERIFY(p.AddPoint(90.0, 45.0));
        p.AddCurve(0.0f, 50.0f);
        // 40001 gaps, then the point: it is the 40002nd entry of its curve.
        QVERIFY(p.AddPoint(40000.0, 10.0));
        QVERIFY(p.EraseNear(QPoint(100, 80), 39900.0f, 40000.0f, s_Area));
        QCOMPARE(p.Curves().size(), 1);
        QCOMPARE(p.Curves().first().m_X.size(), 92);
    }

    void stretchedScaleMovesTheMaximaOfCurvesWithPoints()
    {
        CGraphPredictions p;
        p.AddCurve(0.0f, 10.0f);
        QVERIFY(p.AddPoint(1.0, 1.0));
        p.AddCurve(0.0f, 10.0f);
        p.StretchMaxima(0.5f);
        // From the maximum a drag starts at: 10 unless the drag recorded another.
        QCOMPARE(p.Curves().at(0).m_Plot.m_Max, 5.0f);
        QCOMPARE(p.Curves().at(1).m_Plot.m_Max, 10.0f);
    }

    void modeKeepsTheCurves()
    {
        CGraphPredictions p;
        QVERIFY(!p.IsOn());
        p.SetOn(true);
        p.AddCurve(0.0f, 10.0f);
        p.SetOn(false);
        QVERIFY(!p.IsOn());
        QCOMPARE(p.Curves().size(), 1);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestGraphPredictions)
#include "tst_graph_predictions.moc"

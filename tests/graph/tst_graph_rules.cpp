// The graph's arithmetic on hand-computed cases: transforms, first steps, tick plans (and
// their guards), label decimals, the Y autoscale margins, the scrolling X range, time labels.
#include "graph/GraphRules.h"

#include "Core/Data/Globals.h"

#include "common/TestMain.h"

#include <cmath>
#include <limits>

using namespace GraphRules;

class TestGraphRules : public QObject
{
    Q_OBJECT
private slots:
    // Whatever a series holds, its numbers become pixels and sample numbers that are defined.
    void truncatesAndClampsNumbers()
    {
        const double inf = std::numeric_limits<double>::infinity();
        QCOMPARE(TruncClamped(2.9), 2);
        QCOMPARE(TruncClamped(-2.9), -2);
        QCOMPARE(TruncClamped(std::nan("")), 0);
        QCOMPARE(TruncClamped(inf), 1000000000);
        QCOMPARE(TruncClamped(-1.0e300), -1000000000);
        QCOMPARE(ClampSample(-5, 10), 0);
        QCOMPARE(ClampSample(7, 10), 7);
        QCOMPARE(ClampSample(1LL << 40, 10), 9);
        QCOMPARE(ClampSample(3, 0), 0);
    }
    void transforms()
    {
        const QRect r(QPoint(100, 50), QPoint(500, 450));   // 400 wide, 400 high
        QCOMPARE(ToPixelX(0.0f, 0.0f, 10.0f, r), 100);
        QCOMPARE(ToPixelX(10.0f, 0.0f, 10.0f, r), 500);
        QCOMPARE(ToPixelX(2.5f, 0.0f, 10.0f, r), 200);
        QCOMPARE(ToPixelY(0.0f, 0.0f, 10.0f, r), 450);
        QCOMPARE(ToPixelY(10.0f, 0.0f, 10.0f, r), 50);
        // The product is truncated before it is taken from the bottom.
        QCOMPARE(ToPixelY(0.01f, 0.0f, 10.0f, r), 450);
        QCOMPARE(ToPixelY(-0.01f, 0.0f, 10.0f, r), 450);
        QCOMPARE(ToPixelX(1.0e12f, 0.0f, 10.0f, r), PixelLimit);
        QCOMPARE(ToPixelY(-1.0e12f, 0.0f, 10.0f, r), PixelLimit);
        // An axis without length puts everything on the edge instead of dividing by zero.
        QCOMPARE(ToPixelX(3.0f, 4.0f, 4.0f, r), 100);
        QCOMPARE(ToPixelY(std::numeric_limits<float>::quiet_NaN(), 0.0f, 1.0f, r), 450);
    }

    void firstStep_data()
    {
        QTest::addColumn<double>("range");
        QTest::addColumn<double>("step");
        QTest::newRow("10") << 10.0 << 1.0;
        QTest::newRow("5") << 5.0 << 1.0;
        QTest::newRow("3") << 3.0 << 0.1;
        QTest::newRow("1") << 1.0 << 0.1;
        QTest::newRow("0.5") << 0.5 << 0.01;
        QTest::newRow("0.2") << 0.2 << 0.01;
        QTest::newRow("0.05") << 0.05 << 0.001;
        QTest::newRow("zero") << 0.0 << 0.0;
        QTest::newRow("negative") << -4.0 << 0.0;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 0.0;
    }
    void firstStep()
    {
        QFETCH(double, range);
        QFETCH(double, step);
        QVERIFY(qFuzzyCompare(1.0 + FirstStep(range), 1.0 + step));
    }

    void yTicksOfTheDefaultScale()
    {
        // 0 to 10 with room for 11 rows: steps of 1, the ends on the range.
        const TickPlan p = PlanYTicks(0.0, 10.0, 11);
        QVERIFY(p.ok);
        QCOMPARE(p.step, 1.0);
        QCOMPARE(p.lo, 0.0);
        QCOMPARE(p.hi, 10.0);
        // Room for 3 rows: the step grows through the round steps 2 and 2.5 to 5.
        const TickPlan q = PlanYTicks(0.0, 10.0, 3);
        QCOMPARE(q.step, 5.0);
        QCOMPARE(q.lo, 0.0);
        QCOMPARE(q.hi, 10.0);
    }

    void yTicksEndWithoutHeight()
    {
        // No plot area yet (a limit of 0 or less) and a range across zero: the thinning must
        // end rather than spin.
        const TickPlan p = PlanYTicks(-5.0, 5.0, 0);
        QVERIFY(p.ok);
        QVERIFY((p.hi - p.lo) / p.step <= 2.0 + 1e-9);
        const TickPlan n = PlanYTicks(-5.0, 5.0, -7);
        QVERIFY(n.ok);
        // A range of no length (log of zero) gives no ticks at all.
        QVERIFY(!PlanYTicks(4.0, 4.0, 10).ok);
    }

    void labelSpanWiderThanTheRange()
    {
        // The ends no longer spread around one rounded value: they are the multiples of the
        // (round) label span either side of the range, negative too.
        const TickPlan p = PlanXTicks(3.25, 3.75, 100.0, 5000);
        QVERIFY(p.ok);
        QCOMPARE(p.step, 100.0);
        QCOMPARE(p.lo, 0.0);
        QCOMPARE(p.hi, 100.0);
        const TickPlan n = PlanXTicks(-3.75, -3.25, 100.0, 5000);
        QCOMPARE(n.lo, -100.0);
        QCOMPARE(n.hi, 0.0);
    }

    void roundSteps_data()
    {
        QTest::addColumn<double>("rough");
        QTest::addColumn<double>("step");
        QTest::newRow("1") << 1.0 << 1.0;
        QTest::newRow("1.01") << 1.01 << 2.0;
        QTest::newRow("2.2") << 2.2 << 2.5;
        QTest::newRow("3") << 3.0 << 5.0;
        QTest::newRow("7") << 7.0 << 10.0;
        QTest::newRow("0.0031") << 0.0031 << 0.005;
        QTest::newRow("2400") << 2400.0 << 2500.0;
        QTest::newRow("zero") << 0.0 << 0.0;
    }
    void roundSteps()
    {
        QFETCH(double, rough);
        QFETCH(double, step);
        QVERIFY(qFuzzyCompare(1.0 + RoundStep(rough), 1.0 + step));
    }

    // Zoomed ranges as a user leaves them: every numbered value is a whole multiple of a step of
    // 1, 2, 2.5 or 5 times a power of ten, the ticks cover the range and stay within the room.
    void ticksAreRoundAtEveryZoom_data()
    {
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("labelSpan");
        QTest::addColumn<int>("limit");
        QTest::newRow("after a zoom") << 0.84968 << 2.449 << 0.0 << 9;
        QTest::newRow("narrow zoom") << 12.3456 << 12.3711 << 0.0 << 6;
        QTest::newRow("wide label") << 0.84968 << 2.449 << 0.4 << 20;
        QTest::newRow("negative") << -0.0372 << 0.0119 << 0.0 << 8;
        QTest::newRow("large") << 123456.0 << 987654.0 << 0.0 << 12;
        QTest::newRow("tiny") << 1.0e-6 << 7.3e-6 << 0.0 << 5;
        QTest::newRow("cramped") << -30.0 << 50.0 << 0.0 << 2;
    }
    void ticksAreRoundAtEveryZoom()
    {
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(double, labelSpan);
        QFETCH(int, limit);
        const TickPlan p = labelSpan > 0.0 ? PlanXTicks(min, max, labelSpan, limit) : PlanYTicks(min, max, limit);
        QVERIFY(p.ok);
        const double decade = std::pow(10.0, std::floor(std::log10(p.step)));
        const double mantissa = p.step / decade;
        QVERIFY2(qFuzzyCompare(mantissa, 1.0) || qFuzzyCompare(mantissa, 2.0) || qFuzzyCompare(mantissa, 2.5)
                     || qFuzzyCompare(mantissa, 5.0),
                 qPrintable(QString::number(p.step)));
        QVERIFY(p.step >= labelSpan);
        QVERIFY(p.lo <= min && p.hi >= max);
        QVERIFY((p.hi - p.lo) / p.step <= std::max(limit, 2) + 1e-6);
        for (double t = p.lo; t <= p.hi + p.step / 2; t += p.step) {
            const double multiple = t / p.step;
            QVERIFY2(std::fabs(multiple - std::round(multiple)) < 1e-6, qPrintable(QString::number(t, 'g', 17)));
        }
    }

    void xTicksAtHalfSecondSamples()
    {
        // 0 to 100 samples, label span 10, room for 11 labels: ticks every 10 samples.
        const TickPlan p = PlanXTicks(0.0, 100.0, 10.0, 11);
        QVERIFY(p.ok);
        QCOMPARE(p.step, 10.0);
        QCOMPARE(p.lo, 0.0);
        QCOMPARE(p.hi, 100.0);
        QCOMPARE(TimeLabel(10.0, 0.5), QStringLiteral("5"));
        QCOMPARE(TimeLabel(25.0, 0.1), QStringLiteral("2.5"));
        QCOMPARE(TimeLabel(30.0, 0.1), QStringLiteral("3"));
    }

    void labelDecimals()
    {
        QCOMPARE(LabelDecimals(0, 1.0, 1.0), 0);
        QCOMPARE(LabelDecimals(0, 0.1, 1.0), 1);
        QCOMPARE(LabelDecimals(0, 0.01, 1.0), 2);
        QCOMPARE(LabelDecimals(2, 1.0, 1.0), 2);      // never below the start
        QCOMPARE(LabelDecimals(0, 1e-9, 1.0), 6);     // capped at six
        QCOMPARE(LabelDecimals(8, 1e-9, 1.0), 8);     // a start above six stays
        QCOMPARE(LabelDecimals(0, 0.001, 1000.0), 0); // the display multiplier counts
    }

    void yAutoscale_data()
    {
        QTest::addColumn<bool>("empty");
        QTest::addColumn<float>("lo");
        QTest::addColumn<float>("hi");
        QTest::addColumn<bool>("bar");
        QTest::addColumn<float>("wantMin");
        QTest::addColumn<float>("wantMax");
        QTest::newRow("all zero") << false << 0.0f << 0.0f << false << -1.3f << 1.3f;
        QTest::newRow("no samples") << true << 0.0f << 0.0f << false << -1.3f << 1.3f;
        QTest::newRow("all 5") << false << 5.0f << 5.0f << false << 3.5f << 6.5f;
        QTest::newRow("-2 to 4") << false << -2.0f << 4.0f << false << -2.6f << 5.2f;
        QTest::newRow("all -5") << false << -5.0f << -5.0f << false << -6.5f << -3.5f;
        QTest::newRow("bar from 0") << false << -2.0f << 4.0f << true << 0.0f << 5.2f;
    }
    void yAutoscale()
    {
        QFETCH(bool, empty);
        QFETCH(float, lo);
        QFETCH(float, hi);
        QFETCH(bool, bar);
        QFETCH(float, wantMin);
        QFETCH(float, wantMax);
        const Range r = YAutoscale(empty, lo, hi, bar);
        QVERIFY2(qFuzzyCompare(r.min + 10.0f, wantMin + 10.0f), qPrintable(QString::number(r.min)));
        QVERIFY2(qFuzzyCompare(r.max + 10.0f, wantMax + 10.0f), qPrintable(QString::number(r.max)));
    }

    void scrollingXRange()
    {
        Range r{0.0f, 10.0f};
        bool autoOn = false;
        // Newest X 7.9 truncated to 7, rate above 0: 0 to 49.
        QVERIFY(ScrollXRange(7, 10, false, 0.0f, r, autoOn));
        QCOMPARE(r.min, 0.0f);
        QCOMPARE(r.max, 49.0f);
        // A bar graph's last bar at 20 (22 with the two added), span 11: 10 to 21.
        QVERIFY(ScrollXRange(22, 11, true, 0.0f, r, autoOn));
        QCOMPARE(r.min, 10.0f);
        QCOMPARE(r.max, 21.0f);
        QVERIFY(autoOn);
        // Last bar at 5: 0 to 11.
        QVERIFY(ScrollXRange(7, 11, true, 0.0f, r, autoOn));
        QCOMPARE(r.max, 11.0f);
        // No sample past the start: the axis keeps a length instead of 0 to 0.
        QVERIFY(ScrollXRange(0, 10, false, 0.0f, r, autoOn));
        QCOMPARE(r.min, 0.0f);
        QCOMPARE(r.max, 10.0f);
        // Scrolled ahead of the data: the range stays.
        r = Range{500.0f, 900.0f};
        QVERIFY(!ScrollXRange(300, 10, false, 500.0f, r, autoOn));
        QCOMPARE(r.min, 500.0f);
    }

    // The one rule the axis title, the cursors and the CSV header share: a spectrum reads in
    // hertz, events and hand-counted samples as counts, never in seconds.
    void timeAxisTitles_data()
    {
        QTest::addColumn<bool>("bar");
        QTest::addColumn<int>("sensor");
        QTest::addColumn<bool>("fourier");
        QTest::addColumn<int>("rate");
        QTest::addColumn<double>("interval");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("csv");
        QTest::addColumn<QString>("cursor");   // 25 positions as a cursor reads them
        QTest::newRow("timed run") << false << 7 << false << 6 << 0.1 << "Time (s)" << "Time(s)" << "2.5s";
        QTest::newRow("sampled by hand") << false << 7 << false << 0 << 1.0 << "Samples" << "Samples" << "25";
        QTest::newRow("photogate events") << true << int(SensorIndexTimingResult) << false << 0 << 0.5 << "Event"
                                          << "Event" << "25";
        QTest::newRow("video, manual setup") << false << int(SensorIndexVideoTrack) << false << 0 << 0.04
                                             << "Time (s)" << "Time(s)" << "1s";
        QTest::newRow("Fourier") << false << int(SensorIndexOnlineFunction) << true << 0 << 0.25 << "Frequency (Hz)"
                                 << "Frequency(Hz)" << "6.25Hz";
        QTest::newRow("no time between samples") << false << 7 << false << 6 << 0.0 << "Samples" << "Samples" << "25";
        QTest::newRow("damaged interval") << false << int(SensorIndexOnlineFunction) << true << 6 << qQNaN()
                                          << "Samples" << "Samples" << "25";
    }
    void timeAxisTitles()
    {
        QFETCH(bool, bar);
        QFETCH(int, sensor);
        QFETCH(bool, fourier);
        QFETCH(int, rate);
        QFETCH(double, interval);
        // Rate code 0 stands for a run sampled by hand, as its record says.
        const XAxisContent content = TimeAxisContent(bar, sensor, fourier, rate ? Sampling::Timed : Sampling::ByHand, interval);
        QTEST(TimeAxisTitle(content), "title");
        QTEST(TimeAxisCsvTitle(content), "csv");
        QTEST(PositionText(25.0, content, interval), "cursor");
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestGraphRules)
#include "tst_graph_rules.moc"

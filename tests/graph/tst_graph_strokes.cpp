// Curves reduced to pixel columns must be the curves drawn sample by sample: the same lines,
// dots and autoscale requests, over gaps, steps, upside-down ranges and live runs; and the
// store's summaries they stand on must stay right as values arrive and are edited.
#include "common/GraphTestHost.h"
#include "Core/Data/SampleStore.h"
#include "graph/GraphRules.h"
#include "graph/PlotStrokes.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include "common/TestMain.h"

#include <cmath>
#include <limits>

namespace {

CCurveFrame FrameOf(QRect rect, float xMin, float xMax, float yMin, float yMax, int style = 0, bool live = false)
{
    CCurveFrame f;
    f.m_Rect = rect;
    f.m_XMin = xMin;
    f.m_XMax = xMax;
    f.m_YMin = yMin;
    f.m_YMax = yMax;
    f.m_Style = style;
    f.m_bLive = live;
    return f;
}

// Both routes over the same branch give the same chain, strokes, dots and requests.
void ExpectSameStrokes(const CDataBranch& b, long long from, long long to, const CCurveFrame& f)
{
    CPlotStrokes fast, slow;
    StrokeTimeCurve(b, from, to, f, fast);
    StrokeTimeCurveBySample(b, from, to, f, slow);
    QCOMPARE(fast.m_Path, slow.m_Path);
    QCOMPARE(fast.m_Columns, slow.m_Columns);
    // A curve of many more samples than chain points has columns of several samples.
    const long long samples = (to < 0 ? b.GetNumSamples() : to) - from;
    QVERIFY(!slow.m_Columns.isEmpty() || slow.m_Path.size() < 50 || slow.m_Path.size() > samples / 2);
    QCOMPARE(fast.m_Dots.size(), slow.m_Dots.size());
    QCOMPARE(fast.m_bRescaleX, slow.m_bRescaleX);
    QCOMPARE(fast.m_bRescaleY, slow.m_bRescaleY);
}

} // namespace

class TestGraphStrokes : public QObject
{
    Q_OBJECT
private slots:
    void summaryFollowsAppendsAndEdits()
    {
        CSampleStore s;
        QVector<double> v(5000);
        for (int i = 0; i < v.size(); ++i)
            v[i] = std::sin(i * 0.01) * 100.0;
        v[1234] = 777.0;
        v[4000] = -9999999.0;   // a gap is no minimum
        s.append(v.constData(), 3000);
        for (int i = 3000; i < v.size(); ++i)
            s.append(v[i]);
        auto brute = [&](int a, int b, float& lo, float& hi) {
            lo = std::numeric_limits<float>::infinity();
            hi = -lo;
            for (int i = a; i < b; ++i)
                if (v[i] != -9999999.0) {
                    lo = std::min(lo, float(v[i]));
                    hi = std::max(hi, float(v[i]));
                }
        };
        const int cases[][2] = {{0, 5000}, {1, 4999}, {1000, 1300}, {31, 33}, {2000, 4096}, {4000, 4001}, {1023, 2049}};
        for (const auto& c : cases) {
            float lo = std::numeric_limits<float>::infinity(), hi = -lo, wlo, whi;
            const bool found = s.minMax(c[0], c[1], lo, hi);
            brute(c[0], c[1], wlo, whi);
            QCOMPARE(found, wlo <= whi);
            if (found) {
                QCOMPARE(lo, wlo);
                QCOMPARE(hi, whi);
            }
        }
        // An edit lowers the maximum again: the summary is rebuilt, not only widened.
        s.set(1234, 1.0);
        v[1234] = 1.0;
        float lo = 1e30f, hi = -1e30f, wlo, whi;
        QVERIFY(s.minMax(0, 5000, lo, hi));
        brute(0, 5000, wlo, whi);
        QCOMPARE(hi, whi);
        QCOMPARE(s.firstValid(4000, 4001), -1);
        QCOMPARE(s.firstValid(4000, 4002), 4001);
        QCOMPARE(s.lastValid(3990, 4001), 3999);
        QVERIFY(s.isNonDecreasing() == false);
    }

    void orderAndSearch()
    {
        CSampleStore s;
        for (int i = 0; i < 100000; ++i)
            s.append(i * 0.5);
        QVERIFY(s.isNonDecreasing());
        auto atLeast = [](double limit) { return [limit](double x) { return x >= limit; }; };
        QCOMPARE(s.partitionPoint(0, s.size(), atLeast(100.0)), 200);
        for (int hint : {0, 150, 199, 200, 201, 5000, 99999})
            QCOMPARE(s.partitionPointNear(0, s.size(), hint, atLeast(100.0)), 200);
        QCOMPARE(s.partitionPointNear(0, s.size(), 10, atLeast(1e9)), s.size());
        s.append(1.0);   // a step back
        QVERIFY(!s.isNonDecreasing());
        s.clear();
        QVERIFY(s.isNonDecreasing());
        float lo = 0, hi = 0;
        QVERIFY(!s.minMax(0, 10, lo, hi));
    }

    void reductionMatchesSampleBySample_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("live");
        QTest::addColumn<bool>("gaps");
        QTest::addColumn<float>("yMin");
        QTest::addColumn<float>("yMax");
        QTest::addColumn<float>("xMax");
        QTest::newRow("dense line") << 50000 << 0 << false << false << -1.5f << 1.5f << 50000.0f;
        QTest::newRow("dense dots") << 20000 << 3 << false << false << -1.5f << 1.5f << 20000.0f;
        QTest::newRow("line with dots, gaps") << 30000 << 2 << false << true << -1.5f << 1.5f << 30000.0f;
        QTest::newRow("sparse, live, leaves the area") << 300 << 0 << true << false << -0.5f << 0.5f << 350.0f;
        QTest::newRow("upside-down range") << 10000 << 1 << false << true << 1.5f << -1.5f << 10000.0f;
        QTest::newRow("zoomed into the middle") << 40000 << 0 << true << true << -1.2f << 1.2f << 25000.0f;
        QTest::newRow("three samples") << 3 << 0 << false << false << -1.5f << 1.5f << 10.0f;
    }
    void reductionMatchesSampleBySample()
    {
        QFETCH(int, count);
        QFETCH(int, style);
        QFETCH(bool, live);
        QFETCH(bool, gaps);
        QFETCH(float, yMin);
        QFETCH(float, yMax);
        QFETCH(float, xMax);
        CGraphTestHost host;
        CDataBranch* b = host.addBranch(host.addRun());
        QRandomGenerator rng(17);
        CGraphTestHost::fill(b, count, [&](int i) {
            if (gaps && rng.bounded(50) == 0)
                return MissingValue;
            return std::sin(i * 0.003) + (rng.bounded(1000) - 500) / 2000.0;
        });
        const CCurveFrame f = FrameOf(QRect(QPoint(60, 66), QPoint(1500, 860)), 0.0f, xMax, yMin, yMax, style, live);
        ExpectSameStrokes(*b, 0, -1, f);
        ExpectSameStrokes(*b, 17, count / 2, f);
    }

    void firstAndLastSamplesMissing()
    {
        CGraphTestHost host;
        CDataBranch* b = host.addBranch(host.addRun());
        CGraphTestHost::fill(b, 2000, [](int i) { return (i < 2 || i == 1999) ? MissingValue : std::cos(i * 0.01); });
        ExpectSameStrokes(*b, 0, -1, FrameOf(QRect(0, 0, 300, 200), 0.0f, 2000.0f, -1.0f, 1.0f));
    }

    void columnsBoundTheStrokes()
    {
        // 200 samples in 50 columns: at most one stroke and one segment per column.
        CGraphTestHost host;
        CDataBranch* b = host.addBranch(host.addRun());
        CGraphTestHost::fill(b, 200, [](int i) { return double(i % 7); });
        CPlotStrokes out;
        StrokeTimeCurve(*b, 0, -1, FrameOf(QRect(QPoint(0, 0), QPoint(50, 100)), 0.0f, 200.0f, 0.0f, 7.0f), out);
        QVERIFY2(out.segments() <= 51, qPrintable(QString::number(out.segments())));
        QVERIFY2(out.m_Columns.size() <= 51, qPrintable(QString::number(out.m_Columns.size())));
        QVERIFY(out.segments() >= 49);
        for (const QLine& c : out.m_Columns)
            QCOMPARE(c.x1(), c.x2());
        QVERIFY(out.m_Dots.isEmpty());
    }

    void firstSampleIsAPointOfTheChainOnly()
    {
        // Samples a column or more apart are joined point to point, the first one included:
        // no column stroke stands anywhere (one at the second column, at the first sample's
        // height, showed as a dot where no sample is). A sample alone is still drawn.
        CGraphTestHost host;
        CDataBranch* b = host.addBranch(host.addRun());
        CGraphTestHost::fill(b, 20, [](int i) { return i == 0 ? -30.0 : 50.0; });
        const CCurveFrame f = FrameOf(QRect(0, 0, 400, 100), 0.0f, 20.0f, -40.0f, 60.0f);
        CPlotStrokes out;
        StrokeTimeCurve(*b, 0, -1, f, out);
        auto pixel = [&](int i) {
            return QPoint(GraphRules::ToPixelX(float(i), f.m_XMin, f.m_XMax, f.m_Rect),
                          GraphRules::ToPixelY(i == 0 ? -30.0f : 50.0f, f.m_YMin, f.m_YMax, f.m_Rect));
        };
        QVERIFY(out.m_Columns.isEmpty());
        QCOMPARE(out.m_Path.size(), 20);
        QCOMPARE(out.m_Path.at(0), pixel(0));
        QCOMPARE(out.m_Path.at(1), pixel(1));
        ExpectSameStrokes(*b, 0, -1, f);
        out.clear();
        StrokeTimeCurve(*b, 3, 4, f, out);
        QCOMPARE(out.m_Columns, QVector<QLine>{QLine(pixel(3), pixel(3))});
    }

    void fewSamplesAskForAYAutoscale()
    {
        CGraphTestHost host;
        CDataBranch* b = host.addBranch(host.addRun());
        CGraphTestHost::fill(b, 3, [](int) { return 1.0; });
        CPlotStrokes out;
        StrokeTimeCurve(*b, 0, -1, FrameOf(QRect(0, 0, 100, 100), 0.0f, 10.0f, 0.0f, 2.0f), out);
        QVERIFY(out.m_bRescaleY);
        QVERIFY(!out.m_bRescaleX);   // not live: the X axis is left alone
    }

    void xyCurveSkipsRepeatedPixels()
    {
        CGraphTestHost host;
        CDataFolder* run = host.addRun();
        CDataBranch* x = host.addBranch(run);
        CDataBranch* y = host.addBranch(run);
        // 100000 samples slowly walking a circle: far fewer distinct pixels than samples.
        CGraphTestHost::fill(x, 100000, [](int i) { return std::cos(i * 6.2832 / 100000); });
        CGraphTestHost::fill(y, 100000, [](int i) { return std::sin(i * 6.2832 / 100000); });
        CPlotStrokes out;
        StrokeXYCurve(*y, *x, 0, -1, FrameOf(QRect(0, 0, 400, 400), -1.1f, 1.1f, -1.1f, 1.1f, 1), out);
        QVERIFY(out.segments() > 500);
        QVERIFY(out.segments() < 5000);
        // After the first segment (from the first point to its own sample), no point lies on
        // its predecessor's pixel.
        for (int i = 2; i < out.m_Path.size(); ++i)
            QVERIFY(out.m_Path.at(i) != out.m_Path.at(i - 1));
        QVERIFY(out.m_Columns.isEmpty());
        // The first point sits on the circle's right at mid-height.
        QCOMPARE(out.m_Path.first(), QPoint(380, 200));
    }

    void xyChainContinuesWhereItStopped()
    {
        // Stroked in two goes, the chain is the one stroked in one go.
        CGraphTestHost host;
        CDataFolder* run = host.addRun();
        CDataBranch* x = host.addBranch(run);
        CDataBranch* y = host.addBranch(run);
        CGraphTestHost::fill(x, 3000, [](int i) { return std::cos(i * 0.01) * (1 + i % 5); });
        CGraphTestHost::fill(y, 3000, [](int i) { return i % 97 == 0 ? MissingValue : std::sin(i * 0.013); });
        const CCurveFrame f = FrameOf(QRect(0, 0, 500, 300), -6.0f, 6.0f, -1.2f, 1.2f, 2);
        CPlotStrokes whole, first, rest;
        StrokeXYCurve(*y, *x, 0, -1, f, whole);
        CXYProgress progress;
        StrokeXYCurve(*y, *x, 0, 1234, f, first, &progress);
        QCOMPARE(progress.m_Next, 1234);
        StrokeXYCurve(*y, *x, 0, -1, f, rest, &progress);
        QVector<QPoint> joined = first.m_Path;
        joined += rest.m_Path.mid(1);   // the second chain starts at the first one's end
        QCOMPARE(joined, whole.m_Path);
        QCOMPARE(first.m_Dots.size() + rest.m_Dots.size(), whole.m_Dots.size());
        // Only samples paired with an existing X sample are settled.
        y->AddSample(3000, 0.5);
        QCOMPARE(SettledXYSamples(*y, *x), 3000);
    }

    void growingCurveContinuesFromItsLastColumn_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("gapEvery");
        QTest::addColumn<int>("perColumn");
        QTest::newRow("line, dense") << 0 << 0 << 40;
        QTest::newRow("dots and gaps, dense") << 2 << 7 << 40;
        QTest::newRow("dashed, sparse") << 1 << 0 << 0;
        QTest::newRow("gaps, sparse") << 0 << 3 << 0;
    }
    void growingCurveContinuesFromItsLastColumn()
    {
        // A run stored in uneven bursts (some within one pixel column, some ending on a gap):
        // strokes carried from burst to burst are the strokes made afresh from all samples,
        // requests included.
        QFETCH(int, style);
        QFETCH(int, gapEvery);
        QFETCH(int, perColumn);
        CGraphTestHost host;
        CDataBranch* b = host.addBranch(host.addRun());
        const int total = perColumn > 0 ? 300 * perColumn : 250;
        const CCurveFrame f = FrameOf(QRect(QPoint(10, 10), QPoint(309, 209)), 0.0f, float(total), -1.0f, 1.0f,
                                      style, true);
        QRandomGenerator rng(11);
        CPlotStrokes carried;
        CTimeProgress progress;
        int stored = 0, resumed = 0;
        while (stored < total) {
            const int burst = std::min(total - stored, 1 + int(rng.bounded(3 * std::max(perColumn, 1))));
            CGraphTestHost::fill(b, burst, [&](int i) {
                // A few values leave the range, so requests come and go with the samples.
                return (gapEvery && i % gapEvery == 0) ? MissingValue : std::sin(i * 0.02) * 1.1 + rng.generateDouble() * 0.1;
            }, stored);
            stored += burst;
            resumed += progress.m_bValid ? 1 : 0;
            StrokeTimeCurve(*b, 0, -1, f, carried, &progress);
            CPlotStrokes fresh;
            StrokeTimeCurve(*b, 0, -1, f, fresh);
            QCOMPARE(carried.m_Path, fresh.m_Path);
            QCOMPARE(carried.m_Columns, fresh.m_Columns);
            QCOMPARE(carried.m_Dots, fresh.m_Dots);
            QCOMPARE(carried.m_bRescaleX, fresh.m_bRescaleX);
            QCOMPARE(carried.m_bRescaleY, fresh.m_bRescaleY);
        }
        QVERIFY(resumed > 10);
        // The mark is the last column's start: everything stroked before it lies left of it.
        QVERIFY(progress.m_bValid);
        for (int i = 0; i < progress.m_Path; ++i)
            QVERIFY(carried.m_Path.at(i).x() <= progress.m_Column);
    }

    void curvesReducedSideBySideMatchOneByOne()
    {
        // More curves than threads, one without a branch: each job gets its own curve's strokes.
        CGraphTestHost host;
        CDataFolder* run = host.addRun();
        QVector<CCurveJob> jobs;
        for (int p = 0; p < 7; ++p) {
            CDataBranch* b = host.addBranch(run);
            CGraphTestHost::fill(b, 20000 + p * 3000, [p](int i) { return std::sin(i * 0.001 * (p + 1)); });
            CCurveJob job;
            job.m_pBranch = p == 4 ? nullptr : b;
            job.m_Frame = FrameOf(QRect(0, 0, 300, 200), 0.0f, 40000.0f, -1.0f + 0.1f * p, 1.0f, p % 4, true);
            job.m_Strokes.m_Path.append(QPoint(1, 1));   // left over from an earlier paint
            jobs.append(job);
        }
        StrokeTimeCurves(jobs, 3);
        for (int p = 0; p < jobs.size(); ++p) {
            CPlotStrokes one;
            if (jobs.at(p).m_pBranch)
                StrokeTimeCurve(*jobs.at(p).m_pBranch, 0, -1, jobs.at(p).m_Frame, one);
            QCOMPARE(jobs.at(p).m_Strokes.m_Path, one.m_Path);
            QCOMPARE(jobs.at(p).m_Strokes.m_Columns, one.m_Columns);
            QCOMPARE(jobs.at(p).m_Strokes.m_Dots, one.m_Dots);
        }
        QVERIFY(jobs.at(4).m_Strokes.m_Path.isEmpty());
        QVERIFY(!jobs.at(6).m_Strokes.m_Columns.isEmpty());
    }

    void carriedStrokesRestartForOtherData()
    {
        // A mark from more samples than the branch holds (a branch cleared and filled again)
        // is not continued: the strokes are made afresh.
        CGraphTestHost host;
        CDataBranch* b = host.addBranch(host.addRun());
        CGraphTestHost::fill(b, 500, [](int i) { return std::sin(i * 0.05); });
        const CCurveFrame f = FrameOf(QRect(0, 0, 200, 100), 0.0f, 500.0f, -1.0f, 1.0f);
        CPlotStrokes carried;
        CTimeProgress progress;
        StrokeTimeCurve(*b, 0, -1, f, carried, &progress);
        QVERIFY(progress.m_bValid);
        b->ClearSamples();
        CGraphTestHost::fill(b, 100, [](int i) { return std::cos(i * 0.05); });
        StrokeTimeCurve(*b, 0, -1, f, carried, &progress);
        CPlotStrokes fresh;
        StrokeTimeCurve(*b, 0, -1, f, fresh);
        QCOMPARE(carried.m_Path, fresh.m_Path);
        QCOMPARE(carried.m_Columns, fresh.m_Columns);
        // Three samples ask for a Y autoscale on every paint: no mark is kept for them.
        b->ClearSamples();
        CGraphTestHost::fill(b, 3, [](int) { return 0.5; });
        StrokeTimeCurve(*b, 0, -1, f, carried, &progress);
        QVERIFY(!progress.m_bValid);
        QVERIFY(carried.m_bRescaleY);
    }

    void paintedStrokesAreTheLinesTheyStandFor_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("noise");
        QTest::newRow("dense and noisy") << 200000 << 0.3;
        QTest::newRow("dense and smooth") << 200000 << 0.0;
        QTest::newRow("sparse") << 300 << 0.2;
    }
    void paintedStrokesAreTheLinesTheyStandFor()
    {
        // Filled columns and the segments left after dropping the covered ones must paint what
        // every stroke drawn as a smoothed line two pixels wide paints.
        QFETCH(int, count);
        QFETCH(double, noise);
        CGraphTestHost host;
        CDataBranch* b = host.addBranch(host.addRun());
        QRandomGenerator rng(5);
        CGraphTestHost::fill(b, count, [&](int i) { return std::sin(i * 12.0 / count) + noise * rng.generateDouble(); });
        CPlotStrokes strokes;
        const QRect area(QPoint(20, 20), QPoint(619, 419));
        StrokeTimeCurve(*b, 0, -1, FrameOf(area, 0.0f, float(count), -1.5f, 1.5f), strokes);
        QVERIFY(!strokes.m_Columns.isEmpty() || count < 1000);
        const QColor colour(0, 169, 163);
        QImage mine(640, 440, QImage::Format_ARGB32_Premultiplied), lines(mine.size(), mine.format());
        mine.fill(Qt::white);
        lines.fill(Qt::white);
        {
            QPainter p(&mine);
            p.setRenderHint(QPainter::Antialiasing, true);
            PaintStrokes(&p, colour, strokes, false);
        }
        {
            QPainter p(&lines);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(QPen(colour, 2));
            for (int i = 1; i < strokes.m_Path.size(); ++i)
                p.drawLine(strokes.m_Path.at(i - 1), strokes.m_Path.at(i));
            for (const QLine& c : strokes.m_Columns)
                p.drawLine(c);
        }
        int differ = 0, worst = 0;
        for (int y = 0; y < mine.height(); ++y)
            for (int x = 0; x < mine.width(); ++x) {
                const QColor a = mine.pixelColor(x, y), c = lines.pixelColor(x, y);
                const int d = std::max({std::abs(a.red() - c.red()), std::abs(a.green() - c.green()),
                                        std::abs(a.blue() - c.blue())});
                worst = std::max(worst, d);
                differ += d > 2 ? 1 : 0;
            }
        // Blending a colour over itself may round by a level; nothing more may differ.
        QVERIFY2(differ == 0, qPrintable(QStringLiteral("%1 pixels, worst %2").arg(differ).arg(worst)));
    }

    void straightLinesSetThePixelsDrawLineSets_data()
    {
        QTest::addColumn<QLine>("line");
        QTest::addColumn<QPen>("pen");
        QTest::addColumn<QTransform>("transform");
        QTest::addColumn<bool>("smooth");
        const QPen grid(QColor(255, 200, 150));
        const QTransform none;
        QTest::newRow("row") << QLine(3, 7, 30, 7) << grid << none << false;
        QTest::newRow("column drawn upwards") << QLine(12, 25, 12, 2) << grid << none << false;
        QTest::newRow("row drawn leftwards, half out") << QLine(35, 4, -6, 4) << grid << none << false;
        QTest::newRow("one pixel") << QLine(9, 9, 9, 9) << grid << none << false;
        QTest::newRow("cosmetic, see-through") << QLine(2, 11, 33, 11) << QPen(QColor(0, 0, 255, 90), 0) << none
                                               << false;
        QTest::newRow("moved") << QLine(2, 3, 20, 3) << grid << QTransform::fromTranslate(5, 6) << false;
        // Drawn as lines: each would differ from a one-pixel fill.
        QTest::newRow("flat cap") << QLine(3, 7, 30, 7) << QPen(QBrush(Qt::red), 1, Qt::SolidLine, Qt::FlatCap)
                                  << none << false;
        QTest::newRow("dashed") << QLine(3, 7, 30, 7) << QPen(Qt::red, 1, Qt::DashLine) << none << false;
        QTest::newRow("wide") << QLine(3, 7, 30, 7) << QPen(Qt::red, 3) << none << false;
        QTest::newRow("smoothed") << QLine(3, 7, 30, 7) << grid << none << true;
        QTest::newRow("half-pixel move") << QLine(3, 7, 30, 7) << grid << QTransform::fromTranslate(0.5, 0.5) << false;
        QTest::newRow("scaled") << QLine(3, 7, 14, 7) << grid << QTransform::fromScale(2, 2) << false;
        QTest::newRow("slanted") << QLine(3, 7, 30, 20) << grid << none << false;
    }
    void straightLinesSetThePixelsDrawLineSets()
    {
        QFETCH(QLine, line);
        QFETCH(QPen, pen);
        QFETCH(QTransform, transform);
        QFETCH(bool, smooth);
        QImage filled(40, 30, QImage::Format_ARGB32_Premultiplied);
        filled.fill(Qt::white);
        QImage drawn = filled.copy();
        const auto paint = [&](QImage& image, bool straight) {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing, smooth);
            p.setTransform(transform);
            p.setPen(pen);
            if (straight)
                DrawStraightLine(&p, line.x1(), line.y1(), line.x2(), line.y2());
            else
                p.drawLine(line);
        };
        paint(filled, true);
        paint(drawn, false);
        QVERIFY(filled != QImage(filled.size(), filled.format()));
        QCOMPARE(filled, drawn);
    }

    void barsCoverTheRightHalfOfTheirSlot()
    {
        CGraphTestHost host;
        CDataBranch* b = host.addBranch(host.addRun(), SensorIndexTimingResult);
        CGraphTestHost::fill(b, 4, [](int i) { return i == 2 ? MissingValue : 1.0 + i; });
        QVector<CBarStroke> bars;
        bool rx = false, ry = false;
        const QRect r(QPoint(0, 0), QPoint(100, 100));
        StrokeBars(*b, 0, -1, FrameOf(r, 0.0f, 10.0f, 0.0f, 10.0f, 0, true), bars, rx, ry);
        QCOMPARE(bars.size(), 3);
        QCOMPARE(bars.at(0).m_Rect, QRect(QPoint(5, 90), QPoint(10, 101)));
        QCOMPARE(bars.at(2).m_Value, 4.0);
        QVERIFY(!rx);
    }
};

KORVANTA_TEST_MAIN(TestGraphStrokes)
#include "tst_graph_strokes.moc"

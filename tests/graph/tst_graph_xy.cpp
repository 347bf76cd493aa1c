// XY curves stroked from the store's run extremes must be the curves stroked sample by sample:
// the same chain, dots, requests and progress, over smooth, noisy and stepped curves, gaps,
// self-crossing figures, shifted pairings and odd frames; and a graph window must paint them
// as the plain stroke of every sample paints them.
#include "common/GraphTestHost.h"
#include "Core/Data/SampleStore.h"
#include "graph/GraphWindow.h"
#include "graph/PlotStrokes.h"
#include "graph/XYCoverage.h"
#include "common/GraphServices.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include "common/TestMain.h"

#include <cmath>
#include <functional>
#include <limits>

namespace {

using Fn = std::function<double(int)>;

// n samples with X values x(i) and Y values y(i).
void FillXY(CDataBranch* b, int n, const Fn& x, const Fn& y)
{
    QVector<double> xs(n), ys(n);
    for (int i = 0; i < n; ++i) {
        xs[i] = x(i);
        ys[i] = y(i);
    }
    b->AppendSamples(xs.constData(), ys.constData(), n);
}

double Index(int i)
{
    return double(i);
}

// A noise value in [-1, 1) that depends on the sample and the channel only.
double Noise(int i, unsigned channel)
{
    return double((unsigned(i) * 2654435761u + channel * 40503u) % 2000u) / 1000.0 - 1.0;
}

struct CXYCase
{
    int n = 0;           // samples of the plotted branch
    int xn = 0;          // samples of the X branch
    Fn xValue;           // the X branch's values (the curve's horizontal position)
    Fn yValue;           // the plotted branch's values
    Fn time = Index;     // the plotted branch's X values (its first one pairs the two)
    float yMin = -1.2f, yMax = 1.2f;
};

CCurveFrame FrameFor(const CXYCase& c, int style, bool live)
{
    CCurveFrame f;
    f.m_Rect = QRect(QPoint(40, 30), QPoint(639, 429));
    f.m_XMin = -1.2f;
    f.m_XMax = 1.2f;
    f.m_YMin = c.yMin;
    f.m_YMax = c.yMax;
    f.m_Style = style;
    f.m_bLive = live;
    return f;
}

void ExpectSame(const CPlotStrokes& fast, const CPlotStrokes& slow)
{
    QCOMPARE(fast.m_Path.size(), slow.m_Path.size());
    QCOMPARE(fast.m_Path, slow.m_Path);
    QCOMPARE(fast.m_Dots, slow.m_Dots);
    QVERIFY(fast.m_Columns.isEmpty());
    QCOMPARE(fast.m_bRescaleX, slow.m_bRescaleX);
    QCOMPARE(fast.m_bRescaleY, slow.m_bRescaleY);
}

const double Gap = MissingValue;

// The X branch and the plotted branch of a case, in a run of their own.
struct CXYBranches
{
    CGraphTestHost host;
    CDataBranch* x = nullptr;
    CDataBranch* y = nullptr;
    explicit CXYBranches(const CXYCase& c)
    {
        CDataFolder* run = host.addRun();
        x = host.addBranch(run);
        y = host.addBranch(run);
        FillXY(x, c.xn, Index, c.xValue);
        FillXY(y, c.n, c.time, c.yValue);
    }
};

// Strokes painted alone into an image of the plot area r, as the window's XY layer holds them.
QImage PaintedAlone(const CPlotStrokes& strokes, const QRect& r, const QColor& colour)
{
    QImage image(r.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(-r.topLeft());
    PaintStrokes(&p, colour, strokes, false);
    return image;
}

// The largest difference of any channel between two images of one size.
int WorstChannel(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return worst;
}

} // namespace

Q_DECLARE_METATYPE(CXYCase)

// An XY graph of a Lissajous figure of n samples (with noise, and a gap every gapEvery
// samples when not 0) against fixed axes, in a window of 800 x 600.
CGraphWindow* XYWindow(CGraphTestHost& host, int n, double noise, int gapEvery, int style, CDataBranch*& xb,
                       CDataBranch*& yb)
{
    CGraphWindow* g = new CGraphWindow(&host);
    host.SetLastActiveGraph(g);
    g->resize(800, 600);
    CDataFolder* run = host.addRun();
    xb = host.addBranch(run);
    yb = host.addBranch(run);
    const double tau = 6.283185307179586;
    FillXY(xb, n, Index, [&](int i) { return std::sin(i * tau * 3 / n) + noise * Noise(i, 1); });
    FillXY(yb, n, Index, [&](int i) {
        return gapEvery && i % gapEvery == 0 ? Gap : std::sin(i * tau * 2 / n) * std::exp(-i * 1.0 / n) + noise * Noise(i, 2);
    });
    emit host.m_Hub.LoggerStartedRun();
    emit host.m_Hub.LoggerExperimentEnd();
    g->OnXScaleComboChanged(1);
    CGraphPlot xp = g->GetPlot(0);
    xp.m_bVisible = false;
    g->UpdatePlot(xp, 0);
    CGraphPlot plot = g->GetPlot(1);
    plot.m_Style = style;
    plot.m_Color = QColor(0, 90, 200);
    g->UpdatePlot(plot, 1);
    g->SetAxisMinMax(-1, -1.3f, 1.3f, false);
    g->SetAxisMinMax(1, -1.3f, 1.3f, false);
    g->X().TakeRescale();
    g->m_bRescaleY = false;
    return g;
}

class TestGraphXY : public QObject
{
    Q_OBJECT
private slots:
    void runExtremesAreTheRunsMinimaAndMaxima()
    {
        // Fine and coarse runs, a run of gaps only, a partial last run; a store without a
        // summary answers the same from its values. The longer list spans three blocks, so the
        // runs asked for lie in more than one.
        for (const int n : {5 * CSampleStore::SummarySize2 + 7, 2 * CSampleStore::BlockSize + 100}) {
            CSampleStore kept, plain(CSampleStore::WithoutSummary);
            for (int i = 0; i < n; ++i) {
                const bool gap = i >= CSampleStore::SummarySize && i < 2 * CSampleStore::SummarySize;
                const double v = gap ? Gap : std::sin(i * 0.01) * 10.0 + (i == 3000 ? 50.0 : 0.0);
                kept.append(v);
                plain.append(v);
            }
            for (bool coarse : {false, true}) {
                const int size = coarse ? CSampleStore::SummarySize2 : CSampleStore::SummarySize;
                const int runs = (n + size - 1) / size;
                QVector<float> lo(runs + 3), hi(runs + 3), plo(runs + 3), phi(runs + 3);
                QCOMPARE(kept.runExtremes(0, runs + 3, lo.data(), hi.data(), coarse), runs);
                QCOMPARE(plain.runExtremes(0, runs + 3, plo.data(), phi.data(), coarse), runs);
                for (int r = 0; r < runs; ++r) {
                    float l = std::numeric_limits<float>::infinity(), h = -l;
                    const bool any = kept.minMax(r * size, (r + 1) * size, l, h);
                    QCOMPARE(lo[r] <= hi[r], any);
                    if (any) {
                        QCOMPARE(lo[r], l);
                        QCOMPARE(hi[r], h);
                    }
                    QCOMPARE(plo[r], lo[r]);
                    QCOMPARE(phi[r], hi[r]);
                }
                // Asking from the middle (across a block's end when there is one), and past the end.
                const int from = std::min(CSampleStore::BlockSize / size, runs) - 2;
                QVector<float> mlo(5), mhi(5);
                const int got = kept.runExtremes(from, 5, mlo.data(), mhi.data(), coarse);
                QCOMPARE(got, std::min(5, runs - from));
                for (int k = 0; k < got; ++k) {
                    QCOMPARE(mlo[k], lo[from + k]);
                    QCOMPARE(mhi[k], hi[from + k]);
                }
                QCOMPARE(kept.runExtremes(runs, 10, lo.data(), hi.data(), coarse), 0);
                QCOMPARE(kept.runExtremes(-1, 10, lo.data(), hi.data(), coarse), 0);
            }
            float lo = 0, hi = 0;
            QVERIFY(kept.runExtremes(1, 1, &lo, &hi) == 1 && !(lo <= hi));   // gaps only
        }
    }

    void strokesMatchTheSampleBySampleStroke_data()
    {
        QTest::addColumn<CXYCase>("c");
        const double tau = 6.283185307179586;
        auto row = [](const char* name, int n, int xn, Fn x, Fn y, Fn time = Index, float yMin = -1.2f,
                      float yMax = 1.2f) { QTest::newRow(name) << CXYCase{n, xn, x, y, time, yMin, yMax}; };
        auto cosine = [=](int turns, int n) { return [=](int i) { return std::cos(i * tau * turns / n); }; };
        auto sine = [=](int turns, int n) { return [=](int i) { return std::sin(i * tau * turns / n); }; };
        // Many samples per pixel: most runs are passed over.
        row("smooth spiral", 300000, 300000, [=](int i) { return std::cos(i * tau * 3 / 300000) * std::exp(-i / 200000.0); },
            [=](int i) { return std::sin(i * tau * 3 / 300000) * std::exp(-i / 200000.0); });
        // Every sample on a new pixel, the figure crossing itself.
        row("noisy Lissajous", 40000, 40000, [=](int i) { return std::sin(i * tau * 3 / 40000) + Noise(i, 1) * 0.03; },
            [=](int i) { return std::sin(i * tau * 2 / 40000) + Noise(i, 2) * 0.03; });
        // Runs read whole for a while, then passed over again.
        row("noise, then calm", 300000, 300000,
            [=](int i) { return std::cos(i * tau / 300000) + (i < 120000 ? Noise(i, 3) * 0.05 : 0.0); },
            [=](int i) { return std::sin(i * tau / 300000) + (i < 120000 ? Noise(i, 4) * 0.05 : 0.0); });
        // Scattered gaps in both lists, never at the same sample; whole fine and coarse runs missing.
        row("Lissajous with gaps", 120000, 120000, [=](int i) { return i % 89 == 5 ? Gap : std::cos(i * tau * 5 / 120000); },
            [=](int i) { return i % 97 == 3 ? Gap : std::sin(i * tau * 7 / 120000); });
        row("long gaps", 100000, 100000, [=](int i) { return (i >= 40000 && i < 42100) ? Gap : std::cos(i * tau / 100000); },
            [=](int i) { return (i >= 20000 && i < 23000) || i == 70001 ? Gap : std::sin(i * tau / 100000); });
        // Constant stretches longer than a coarse run; slow drift back and forth over a pixel edge.
        row("steps", 90000, 90000, [](int i) { return (i / 7000) % 3 * 0.5 - 0.5; },
            [](int i) { return (i / 5000) % 4 * 0.4 - 0.6; });
        row("creeping across pixel edges", 200000, 200000, [](int i) { return 0.0005 * std::sin(i * 0.001) + i * 1e-6; },
            [](int i) { return 0.3 + 0.002 * std::sin(i * 0.0007); });
        // Values within three steps of single precision from pixel edges (599 columns and 399
        // rows over -1.2 to 1.2), each run of 32 samples on one side of its edge: whether a run
        // surely lies on the pixel drawn last must be decided exactly there.
        auto onEdges = [](int pixels, int stride) {
            return [=](int i) {
                float v = float(double((i / stride) % pixels) / pixels * 2.4 - 1.2);
                for (int k = (i / 32) % 7 - 3; k != 0; k += k > 0 ? -1 : 1)
                    v = std::nextafter(v, k > 0 ? 1.0f : -1.0f);
                return double(v);
            };
        };
        row("values on pixel edges", 200000, 200000, onEdges(599, 3000), onEdges(399, 2000));
        // The first X value pairs sample i with X sample i + 37 (off the runs' grid), i - 50 (the
        // first samples pair with nothing) or i + 2.5 (not a plain shift).
        row("pairing shifted by 37", 100000, 100100, cosine(2, 100000),
            [=](int i) { return i % 500 == 0 ? Gap : std::sin(i * tau * 3 / 100000); }, [](int i) { return i + 37.0; });
        row("pairing shifted back by 50", 100000, 100000, cosine(1, 100000), sine(1, 100000), [](int i) { return i - 50.0; });
        row("fractional pairing", 50000, 50000, cosine(1, 50000), sine(1, 50000), [](int i) { return i + 2.5; });
        // The X list ends first: later samples take its last value.
        row("short X list", 80000, 60000, cosine(1, 80000), sine(4, 80000));
        // Odd frames: upside down, far outside (pixels held at the drawing's limit), no height.
        row("upside-down", 100000, 100000, cosine(1, 100000), sine(1, 100000), Index, 1.2f, -1.2f);
        row("beyond the pixel limit", 100000, 100000, [=](int i) { return std::cos(i * tau / 100000) * 1.0e5; },
            [=](int i) { return std::sin(i * tau / 100000) * 1.0e5; });
        row("flat Y range", 100000, 100000, cosine(1, 100000), sine(1, 100000), Index, 0.5f, 0.5f);
        // NaN values, and values too large for single precision (infinite once converted).
        row("NaN and overflow", 100000, 100000,
            [=](int i) { return i % 97 == 3 ? std::nan("") : std::cos(i * tau / 100000); },
            [=](int i) { return i % 101 == 7 ? 1.0e300 : (i % 103 == 11 ? -1.0e300 : std::sin(i * tau / 100000)); });
    }
    void strokesMatchTheSampleBySampleStroke()
    {
        QFETCH(CXYCase, c);
        const CXYBranches b(c);
        CDataBranch* x = b.x;
        CDataBranch* y = b.y;
        for (int style = 0; style <= 3; ++style) {
            const bool live = style % 2 == 1;
            const CCurveFrame f = FrameFor(c, style, live);
            CPlotStrokes fast, slow;
            StrokeXYCurve(*y, *x, 0, -1, f, fast);
            StrokeXYCurveBySample(*y, *x, 0, -1, f, slow);
            ExpectSame(fast, slow);
            // A span that starts and ends off the runs' grid.
            fast.clear();
            slow.clear();
            StrokeXYCurve(*y, *x, 1234, c.n - 777, f, fast);
            StrokeXYCurveBySample(*y, *x, 1234, c.n - 777, f, slow);
            ExpectSame(fast, slow);
            // In two goes, the second going on from where the first stopped.
            CXYProgress pf, ps;
            CPlotStrokes fast2, slow2;
            fast.clear();
            slow.clear();
            StrokeXYCurve(*y, *x, 0, c.n / 3 + 5, f, fast, &pf);
            StrokeXYCurveBySample(*y, *x, 0, c.n / 3 + 5, f, slow, &ps);
            ExpectSame(fast, slow);
            StrokeXYCurve(*y, *x, 0, -1, f, fast2, &pf);
            StrokeXYCurveBySample(*y, *x, 0, -1, f, slow2, &ps);
            ExpectSame(fast2, slow2);
            QCOMPARE(pf.m_Next, ps.m_Next);
            QCOMPARE(pf.m_Prev, ps.m_Prev);
            QCOMPARE(pf.m_bSeen, ps.m_bSeen);
            QCOMPARE(pf.m_bDrawn, ps.m_bDrawn);
        }
    }

    void shortBranchAsksForAScaleOnce()
    {
        // Three samples: the first drawn one asks for a Y autoscale, as sample by sample.
        CGraphTestHost host;
        CDataFolder* run = host.addRun();
        CDataBranch* x = host.addBranch(run);
        CDataBranch* y = host.addBranch(run);
        FillXY(x, 3, Index, [](int i) { return i * 0.1; });
        FillXY(y, 3, Index, [](int i) { return i == 0 ? Gap : 0.5; });
        CXYCase c;
        CPlotStrokes fast, slow;
        StrokeXYCurve(*y, *x, 0, -1, FrameFor(c, 0, false), fast);
        StrokeXYCurveBySample(*y, *x, 0, -1, FrameFor(c, 0, false), slow);
        QVERIFY(slow.m_bRescaleY);
        ExpectSame(fast, slow);
    }

    void samplesBeforeTheXListStartsStillPairLaterOnes()
    {
        // A chunk that starts before the X list does: its samples paired with stored X values
        // are drawn (they were once dropped with the whole first chunk).
        CGraphTestHost host;
        CDataFolder* run = host.addRun();
        CDataBranch* x = host.addBranch(run);
        CDataBranch* y = host.addBranch(run);
        FillXY(x, 1000, Index, [](int i) { return i * 0.002 - 1.0; });
        FillXY(y, 1000, [](int i) { return i - 10.0; }, [](int) { return 0.0; });
        CXYCase c;
        CPlotStrokes slow;
        StrokeXYCurveBySample(*y, *x, 0, -1, FrameFor(c, 0, false), slow);
        // Samples 10 onwards pair with X samples 0 onwards: a line across the left part.
        QVERIFY(slow.m_Path.size() > 300);
        QCOMPARE(slow.m_Path.at(1).x(), 40 + int((-1.0f + 1.2f) / 2.4f * 599.0f));
    }

    void paintingOverThePaintedCurveLeavesSegmentsOut_data()
    {
        QTest::addColumn<CXYCase>("c");
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("live");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<bool>("leaves");   // whether segments are to be left out
        const double tau = 6.283185307179586;
        const QColor blue(0, 90, 200);
        auto row = [](const char* name, int n, Fn x, Fn y, int style, bool live, QColor colour, bool leaves) {
            QTest::newRow(name) << CXYCase{n, n, x, y, Index, -1.2f, 1.2f} << style << live << colour << leaves;
        };
        // A noisy Lissajous figure traced ten times over: later turns fall on painted pixels.
        auto lissX = [=](int i) { return std::sin(i * tau * 30 / 400000) + Noise(i, 1) * 0.04; };
        auto lissY = [=](int i) { return std::sin(i * tau * 20 / 400000) + Noise(i, 2) * 0.04; };
        row("noisy Lissajous, ten times over", 400000, lissX, lissY, 0, false, blue, true);
        row("the same, live (requests kept)", 400000, lissX, lissY, 1, true, blue, true);
        // A long noisy run around one slowly moving point: it keeps landing on its own trail.
        row("long noisy run", 600000, [=](int i) { return 0.3 * std::cos(i * tau / 600000) + Noise(i, 3) * 0.05; },
            [=](int i) { return i % 61 == 0 ? Gap : 0.3 * std::sin(i * tau / 600000) + Noise(i, 4) * 0.05; }, 0, false,
            Qt::red, true);
        // A partly transparent colour changes the pixels it covers again; dots are not a line.
        row("translucent colour", 200000, lissX, lissY, 0, false, QColor(0, 90, 200, 128), false);
        row("line and dots", 200000, lissX, lissY, 2, false, blue, false);
    }
    void paintingOverThePaintedCurveLeavesSegmentsOut()
    {
        // The picture must be the one every sample's strokes paint, in one go and in two.
        QFETCH(CXYCase, c);
        QFETCH(int, style);
        QFETCH(bool, live);
        QFETCH(QColor, colour);
        QFETCH(bool, leaves);
        const CXYBranches b(c);
        const CCurveFrame f = FrameFor(c, style, live);
        const QPoint origin = f.m_Rect.topLeft();
        CPlotStrokes slow;
        StrokeXYCurveBySample(*b.y, *b.x, 0, -1, f, slow);
        const QImage expected = PaintedAlone(slow, f.m_Rect, colour);
        auto blank = [&] {
            QImage image(f.m_Rect.size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            return image;
        };
        QImage whole = blank();
        CPlotStrokes fast;
        const int leftOut = PaintXYCurve(whole, origin, colour, *b.y, *b.x, 0, -1, f, fast);
        QCOMPARE(fast.m_bRescaleX, slow.m_bRescaleX);
        QCOMPARE(fast.m_bRescaleY, slow.m_bRescaleY);
        QVERIFY(fast.m_Path.isEmpty());   // painted, not handed back
        if (leaves)
            QVERIFY2(leftOut > slow.segments() / 20, qPrintable(QString::number(leftOut)));
        else
            QCOMPARE(leftOut, 0);
        QVERIFY(whole == expected);

        // In two goes, the second going on from where the first stopped.
        QImage twice = blank();
        CXYProgress progress, reference;
        CPlotStrokes first, second, ignored;
        PaintXYCurve(twice, origin, colour, *b.y, *b.x, 0, c.n / 3 + 5, f, first, &progress);
        PaintXYCurve(twice, origin, colour, *b.y, *b.x, 0, -1, f, second, &progress);
        StrokeXYCurveBySample(*b.y, *b.x, 0, -1, f, ignored, &reference);
        QCOMPARE(progress.m_Next, reference.m_Next);
        QCOMPARE(progress.m_Prev, reference.m_Prev);
        QCOMPARE(progress.m_bDrawn, reference.m_bDrawn);
        QVERIFY(twice == expected);
    }

    void aPaintOnScreenStrokesAShareAndTheNextPaintsGoOn()
    {
        // A long noisy curve is stroked a stretch per paint on screen, the window shown
        // meanwhile; the picture it comes to is the one a single paint makes. A picture taken
        // while it is still being drawn (copy, print) is whole.
        CGraphServicesScope services;
        CGraphTestHost host;
        CDataBranch *xb = nullptr, *yb = nullptr;
        const int n = 300000;
        CGraphWindow* whole = XYWindow(host, n, 0.05, 0, 0, xb, yb);
        QImage image(whole->size(), QImage::Format_ARGB32_Premultiplied);
        whole->render(&image);
        QCOMPARE(whole->PaintCounts().m_XYLayers.size(), 2);
        QCOMPARE(whole->PaintCounts().m_XYLayers.at(1).m_Next, n);
        const QImage expected = whole->PaintCounts().m_XYLayers.at(1).m_Image;

        for (const bool grabMidway : {false, true}) {
            CGraphWindow* g = XYWindow(host, n, 0.05, 0, 0, xb, yb);
            CGraphWindow::CPaintSettings settings = g->PaintSettings();
            settings.m_XYPaintBudgetMs = 0;   // one stretch a paint
            g->SetPaintSettings(settings);
            host.resize(g->size());
            host.show();
            QVERIFY(QTest::qWaitForWindowExposed(&host));
            g->show();
            g->repaint();
            QCOMPARE(g->PaintCounts().m_XYLayers.size(), 2);
            const int reached = g->PaintCounts().m_XYLayers.at(1).m_Next;
            QVERIFY2(reached > 0 && reached < n, qPrintable(QString::number(reached)));
            if (grabMidway) {
                const QPixmap picture = g->GraphPicture();
                QVERIFY(!picture.isNull());
                QCOMPARE(g->PaintCounts().m_XYLayers.at(1).m_Next, n);
            } else {
                QTRY_COMPARE_WITH_TIMEOUT(g->PaintCounts().m_XYLayers.at(1).m_Next, n, 30000);
            }
            QVERIFY(g->PaintCounts().m_XYLayers.at(1).m_Image == expected);
            delete g;
        }
        delete whole;
    }

    void windowPaintsWhatThePlainStrokePaints_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<double>("noise");
        QTest::addColumn<int>("gapEvery");
        QTest::addColumn<bool>("leaves");   // whether the noise lets segments be left out
        QTest::addColumn<double>("coverage");   // CGraphWindow::CPaintSettings::m_XYCoverageShare
        QTest::newRow("line, smooth") << 0 << 0.0 << 0 << false << -1.0;
        QTest::newRow("line, noisy") << 0 << 0.05 << 0 << true << -1.0;
        QTest::newRow("line, noisy with gaps") << 0 << 0.02 << 41 << true << -1.0;
        QTest::newRow("dashed setting, smooth with gaps") << 1 << 0.0 << 97 << false << -1.0;
        QTest::newRow("line and dots, noisy") << 2 << 0.05 << 0 << false << -1.0;
        QTest::newRow("dots, smooth") << 3 << 0.0 << 0 << false << -1.0;
        // Painted by our own rasteriser from the first segment on.
        QTest::newRow("line, noisy, rasterised") << 0 << 0.05 << 0 << false << 0.0;
        QTest::newRow("line, noisy with gaps, rasterised") << 0 << 0.02 << 41 << false << 0.0;
    }
    void windowPaintsWhatThePlainStrokePaints()
    {
        // The window's paint of an XY graph against the curve stroked sample by sample into
        // an image of its own and laid over the graph painted without it. Pixels may differ
        // by the antialiasing's rounding (2 levels a channel), none by more.
        QFETCH(int, style);
        QFETCH(double, noise);
        QFETCH(int, gapEvery);
        QFETCH(bool, leaves);
        QFETCH(double, coverage);
        CGraphServicesScope services;
        CGraphTestHost host;
        CDataBranch *xb = nullptr, *yb = nullptr;
        CGraphWindow* g = XYWindow(host, 150000, noise, gapEvery, style, xb, yb);
        CGraphWindow::CPaintSettings settings = g->PaintSettings();
        settings.m_XYCoverageShare = coverage;
        g->SetPaintSettings(settings);
        const CGraphPlot plot = g->GetPlot(1);
        g->X().TakeRescale();
        g->m_bRescaleY = false;
        QImage shown(g->size(), QImage::Format_ARGB32_Premultiplied);
        g->RepaintGraph(CGraphWindow::RepaintFull);
        g->render(&shown);
        const QRect r = g->GraphRect();
        QVERIFY(r.width() > 400);
        QCOMPARE(g->PaintCounts().m_XYLayers.size(), 2);
        const int leftOut = g->PaintCounts().m_XYLayers.at(1).m_LeftOut;
        QVERIFY2(leaves ? leftOut > 1000 : leftOut == 0, qPrintable(QString::number(leftOut)));

        // The same graph with the curve in a colour that shows nothing (the layout stays),
        // and the curve stroked from every sample over it.
        QImage expected(g->size(), QImage::Format_ARGB32_Premultiplied);
        CGraphPlot clear = g->GetPlot(1);
        clear.m_Color = Qt::transparent;
        g->UpdatePlot(clear, 1);
        g->RepaintGraph(CGraphWindow::RepaintFull);
        g->render(&expected);
        QCOMPARE(g->GraphRect(), r);
        CCurveFrame f;
        f.m_Rect = r;
        f.m_XMin = g->X().Min();
        f.m_XMax = g->X().Max();
        f.m_YMin = g->GetPlot(1).m_Min;
        f.m_YMax = g->GetPlot(1).m_Max;
        f.m_Style = style;
        CPlotStrokes strokes;
        StrokeXYCurveBySample(*yb, *xb, 0, -1, f, strokes);
        const QImage layer = PaintedAlone(strokes, r, plot.m_Color);
        {
            QPainter p(&expected);
            p.drawImage(r.topLeft(), layer);
        }
        int differ = 0, coloured = 0, worst = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor a = shown.pixelColor(x, y), b = expected.pixelColor(x, y);
                const int d = std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                                        std::abs(a.blue() - b.blue())});
                worst = std::max(worst, d);
                differ += d > 2 ? 1 : 0;
                coloured += b == plot.m_Color ? 1 : 0;
            }
        QVERIFY2(coloured > 2000, qPrintable(QString::number(coloured)));   // a curve to compare
        QVERIFY2(differ == 0, qPrintable(QStringLiteral("%1 pixels differ, by up to %2").arg(differ).arg(worst)));
    }

    void coveragePaintsWhatThePainterPaints_data()
    {
        QTest::addColumn<QVector<QPoint>>("points");
        QRandomGenerator random(7);
        QVector<QPoint> noisy, wandering, straight, anywhere;
        for (int i = 0; i < 12000; ++i) {
            const double t = i * 6.283185307179586 / 3000;
            noisy.append(QPoint(150 + int(100 * std::sin(t) + random.bounded(-12, 13)),
                                100 + int(70 * std::sin(1.5 * t) + random.bounded(-9, 10))));
            // Over the edges and corners of the image, and out of it.
            wandering.append(QPoint(150 + int(190 * std::cos(t)) + random.bounded(-6, 7),
                                    100 + int(130 * std::sin(2 * t)) + random.bounded(-6, 7)));
            const QPoint last = straight.isEmpty() ? QPoint(150, 100) : straight.last();
            straight.append(i % 2 ? QPoint(last.x(), random.bounded(-5, 205)) : QPoint(random.bounded(-5, 305), last.y()));
            anywhere.append(QPoint(random.bounded(-400, 700), random.bounded(-300, 500)));
        }
        QTest::newRow("noisy") << noisy;
        QTest::newRow("leaving the image") << wandering;
        QTest::newRow("along rows and columns") << straight;
        QTest::newRow("long strokes anywhere") << anywhere.mid(0, 3000);
    }
    void coveragePaintsWhatThePainterPaints()
    {
        // Our rasteriser against the painter's strokes of the same segments, over pictures where
        // strokes cross each other thousands of times: within the live tolerance (2 levels a
        // channel). Painted over threads, in bands, or in batches, it is the same to the bit.
        QFETCH(QVector<QPoint>, points);
        const QColor colour(0, 90, 200);
        const QPoint origin(40, 30);
        auto blank = [] {
            QImage image(300, 200, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            return image;
        };
        QImage expected = blank();
        {
            QVector<QLine> lines;
            for (int k = 0; k + 1 < points.size(); ++k)
                lines.append(QLine(points[k] + origin, points[k + 1] + origin));
            QPainter p(&expected);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.translate(-origin);
            p.setPen(QPen(colour, 2, Qt::SolidLine));
            p.drawLines(lines);
        }
        for (QPoint& p : points)
            p += origin;
        QVERIFY(CXYCoverage::Handles(expected, colour));
        QImage alone = blank(), shared = blank(), batched = blank();
        CXYCoverage(alone, origin, colour).paint(points.constData(), points.size(), 1);
        CXYCoverage(shared, origin, colour).paint(points.constData(), points.size(), 4);
        CXYCoverage inBatches(batched, origin, colour);
        const int cut = points.size() / 3;
        inBatches.paint(points.constData(), cut + 1, 3);
        inBatches.paint(points.constData() + cut, points.size() - cut, 3);
        const int worst = WorstChannel(alone, expected);
        QVERIFY2(worst <= 2, qPrintable(QStringLiteral("off by %1 levels").arg(worst)));
        QVERIFY(shared == alone);
        QVERIFY(batched == alone);
        QVERIFY(alone != blank());

        // Later paintings take up the maps an earlier one left, unless the image changed since:
        // then the picture is that of a painting without them.
        CXYCoverageMaps maps;
        QImage stretched = blank(), changed = blank(), reference = blank();
        CXYCoverage(stretched, origin, colour, &maps).paint(points.constData(), cut + 1, 3);
        CXYCoverage(stretched, origin, colour, &maps).paint(points.constData() + cut, points.size() - cut, 3);
        QVERIFY(stretched == alone);
        CXYCoverage(changed, origin, colour, &maps).paint(points.constData(), cut + 1, 3);
        CXYCoverage(reference, origin, colour).paint(points.constData(), cut + 1, 3);
        for (QImage* image : {&changed, &reference})
            QPainter(image).fillRect(QRect(60, 40, 180, 120), Qt::white);
        CXYCoverage(changed, origin, colour, &maps).paint(points.constData() + cut, points.size() - cut, 3);
        CXYCoverage(reference, origin, colour).paint(points.constData() + cut, points.size() - cut, 3);
        QVERIFY(changed == reference);
    }

    void aLongRunInOnePaintIsTheRunInSmallBatches()
    {
        // More segments than the tiles take at once, over a window that moves across the image
        // so that the last segments still change pixels: one painting, split up inside, against
        // batches small enough to be painted in order without tiles. On one thread the tiles take
        // the most segments a chunk can number.
        const int n = 300001;
        QRandomGenerator random(11);
        QVector<QPoint> points;
        for (int i = 0; i < n; ++i) {
            const double u = double(i) / n;
            points.append(QPoint(20 + int(760 * u) + random.bounded(-8, 9),
                                 200 + int(150 * std::sin(u * 125.66370614359172)) + random.bounded(-8, 9)));
        }
        auto blank = [] {
            QImage image(800, 400, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            return image;
        };
        const QColor colour(200, 40, 10);
        QImage whole = blank(), batched = blank(), early = blank();
        CXYCoverage(whole, QPoint(0, 0), colour).paint(points.constData(), n, 1);
        CXYCoverage inBatches(batched, QPoint(0, 0), colour);
        for (int k = 0; k + 1 < n; k += 3000)
            inBatches.paint(points.constData() + k, std::min(3001, n - k), 1);
        QVERIFY(whole == batched);
        // The last stretch of the run changes what the first of it left.
        CXYCoverage(early, QPoint(0, 0), colour).paint(points.constData(), n - 20000, 3);
        QVERIFY(early != whole);
    }
};

KORVANTA_TEST_MAIN(TestGraphXY)
#include "tst_graph_xy.moc"

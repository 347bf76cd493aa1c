// Curves painted into an image in strips, several threads at once, with their column strokes
// written straight into the pixels, must be the very pixels a painter stroking the curves one
// after the other gives: over every style, opaque and see-through colours, plot areas of many
// widths, strokes reaching past the edges, and in a whole graph window.
#include "common/GraphTestHost.h"
#include "affinity/ProcessAffinity.h"
#include "graph/CurveLayer.h"
#include "graph/GraphWindow.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include "common/TestMain.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <sched.h>

namespace {

// Pixels that differ between two images of one size, with the first one named.
QString Differences(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return QStringLiteral("sizes differ");
    int count = 0, worst = 0;
    QString first;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
                if (count++ == 0)
                    first = QStringLiteral(" first at %1,%2: %3 vs %4")
                                .arg(x)
                                .arg(y)
                                .arg(a.pixel(x, y), 8, 16)
                                .arg(b.pixel(x, y), 8, 16);
            }
    return count == 0 ? QString() : QStringLiteral("%1 pixels differ, worst %2;").arg(count).arg(worst) + first;
}

// A plot area that is not plain: blending over it shows in every channel.
QImage Background(QSize size, QImage::Format format)
{
    QImage img(size, format);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(x, y, qRgb(255 - (x * 3) % 60, 255 - (y * 5) % 80, 200 + (x + y) % 56));
    return img;
}

// Strokes of a noisy wave as the reduction makes them, in the area r (points above and below
// it included: the Y range is narrower than the wave).
CPlotStrokes WaveStrokes(const QRect& r, int style, int samples, double phase, quint32 seed)
{
    CGraphTestHost host;
    CDataBranch* b = host.addBranch(host.addRun(), SensorIndexOnlineFunction, 0.01);
    QRandomGenerator rng(seed);
    CGraphTestHost::fill(b, samples, [&](int i) {
        return std::sin(i * 12.0 / samples + phase) * 1.3 + rng.generateDouble() * 0.3;
    });
    CCurveFrame f;
    f.m_Rect = r;
    f.m_XMin = float(samples) * -0.02f;   // the curve starts inside the area and ends beyond it
    f.m_XMax = float(samples) * 0.97f;
    f.m_YMin = -1.2f;
    f.m_YMax = 1.2f;
    f.m_Style = style;
    CPlotStrokes out;
    StrokeTimeCurve(*b, 0, -1, f, out);
    return out;
}

// What a painter on the image of area r gives, stroking the curves one after the other.
QImage Reference(const QImage& background, const QRect& r, const QVector<CCurveInk>& curves)
{
    QImage img = background.copy();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(-r.topLeft());
    p.setClipRect(r);
    for (const CCurveInk& c : curves)
        PaintStrokes(&p, c.m_Color, *c.m_pStrokes, false);
    return img;
}

} // namespace

class TestGraphCurveLayer : public QObject
{
    Q_OBJECT
private slots:
    void stripsPaintWhatOnePainterPaints_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("alpha");
        QTest::addColumn<int>("format");
        QTest::newRow("narrow, one strip") << 37 << 4 << 0 << 255 << int(QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("wide, lines") << 1203 << 4 << 0 << 255 << int(QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("wide, lines with dots") << 701 << 3 << 2 << 255 << int(QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("dots only") << 640 << 4 << 3 << 255 << int(QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("see-through colours") << 900 << 4 << 0 << 140 << int(QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("one thread") << 500 << 1 << 2 << 255 << int(QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("opaque image") << 777 << 4 << 0 << 255 << int(QImage::Format_RGB32);
    }
    void stripsPaintWhatOnePainterPaints()
    {
        QFETCH(int, width);
        QFETCH(int, threads);
        QFETCH(int, style);
        QFETCH(int, alpha);
        QFETCH(int, format);
        const QRect r(QPoint(45, 66), QSize(width, 300));
        const int samples[] = {200, 5000, 60000, 3000};
        const QColor colours[] = {QColor(200, 0, 0, alpha), QColor(0, 120, 0, alpha), QColor(0, 0, 220, alpha),
                                  QColor(250, 160, 20, alpha)};
        QVector<CPlotStrokes> strokes;
        for (int c = 0; c < 4; ++c)
            strokes.append(WaveStrokes(r, style, samples[c], c * 1.7, quint32(c + 1)));
        QVector<CCurveInk> curves(4);
        int columns = 0;
        for (int c = 0; c < 4; ++c) {
            curves[c].m_Color = colours[c];
            curves[c].m_pStrokes = &strokes.at(c);
            VisibleSegments(strokes.at(c), curves[c].m_Visible);
            columns += strokes.at(c).m_Columns.size();
        }
        // The case covers what it means to: filled columns, and dots where the style has them.
        QVERIFY(columns > width / 2);
        QCOMPARE(strokes.at(0).m_Dots.isEmpty(), style == 0);
        const QImage background = Background(r.size(), QImage::Format(format));
        const QImage expected = Reference(background, r, curves);
        QImage strips = background.copy();
        PaintCurvesInStrips(strips, r.topLeft(), strips.rect(), curves, threads);
        QVERIFY(strips != background);
        const QString diff = Differences(strips, expected);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    void strokesAcrossEveryStripEdge()
    {
        // Hand-made strokes at every column of a narrow area: steep and flat segments, columns
        // and dots reaching past all four edges, so that each strip edge cuts through some.
        const QRect r(QPoint(-20, 10), QSize(240, 120));
        CPlotStrokes s;
        QRandomGenerator rng(11);
        for (int x = r.left() - 6; x <= r.right() + 6; ++x) {
            const int y = r.top() - 10 + int(rng.bounded(r.height() + 20));
            s.m_Path.append(QPoint(x, y));
            if (x % 3 == 0)
                s.m_Columns.append(QLine(x, y, x, y + int(rng.bounded(40)) - 20));
            if (x % 7 == 0)
                s.m_Dots.append(QPoint(x, y));
        }
        CCurveInk ink;
        ink.m_Color = QColor(30, 90, 160);
        ink.m_pStrokes = &s;
        VisibleSegments(s, ink.m_Visible);
        QVERIFY(ink.m_Visible.size() > 200);
        const QImage background = Background(r.size(), QImage::Format_ARGB32_Premultiplied);
        const QImage expected = Reference(background, r, {ink});
        for (int threads : {2, 5, 8}) {
            QImage strips = background.copy();
            PaintCurvesInStrips(strips, r.topLeft(), strips.rect(), {ink}, threads);
            const QString diff = Differences(strips, expected);
            QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("%1 threads: ").arg(threads) + diff));
        }
    }

    void columnFillIsThePaintersFill_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<bool>("filled");
        QTest::newRow("premultiplied") << int(QImage::Format_ARGB32_Premultiplied) << QColor(10, 200, 30) << true;
        QTest::newRow("plain alpha") << int(QImage::Format_ARGB32) << QColor(250, 0, 99) << true;
        QTest::newRow("opaque image") << int(QImage::Format_RGB32) << QColor(0, 0, 0) << true;
        QTest::newRow("see-through colour") << int(QImage::Format_ARGB32_Premultiplied) << QColor(0, 0, 255, 128)
                                            << false;
        QTest::newRow("16-bit image") << int(QImage::Format_RGB16) << QColor(10, 200, 30) << false;
    }
    void columnFillIsThePaintersFill()
    {
        QFETCH(int, format);
        QFETCH(QColor, colour);
        QFETCH(bool, filled);
        const QPoint origin(100, 50);
        // Up, down, one pixel high, and past each edge of the 60 x 40 image.
        const QVector<QLine> columns{QLine(110, 60, 110, 70), QLine(120, 80, 120, 62), QLine(130, 65, 130, 65),
                                     QLine(100, 40, 100, 55), QLine(160, 85, 160, 99),  QLine(141, 20, 141, 200),
                                     QLine(99, 60, 99, 61),   QLine(161, 60, 161, 61)};
        const QImage background = Background(QSize(60, 40), QImage::Format(format));
        QImage direct = background.copy();
        QCOMPARE(FillColumnStrokes(direct, origin, colour, columns), filled);
        if (!filled) {
            QCOMPARE(direct, background);
            return;
        }
        QImage painted = background.copy();
        {
            QPainter p(&painted);
            p.translate(-origin);
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            for (const QLine& c : columns)
                p.drawRect(QRect(c.x1() - 1, std::min(c.y1(), c.y2()) - 1, 2, std::abs(c.y2() - c.y1()) + 2));
        }
        QVERIFY(painted != background);
        const QString diff = Differences(direct, painted);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }

    void everyIndexRunsOnce()
    {
        for (int threads : {1, 3, 16}) {
            QVector<int> runs(37, 0);
            ParallelFor(runs.size(), threads, [&](int i) { ++runs[i]; });
            QCOMPARE(runs, QVector<int>(37, 1));
        }
        int calls = 0;
        ParallelFor(0, 4, [&](int) { ++calls; });
        QCOMPARE(calls, 0);
    }

    // Pinned to one processor, a paint uses one thread, whatever the machine's count.
    void curveThreadsFollowTheAffinity()
    {
        cpu_set_t before;
        QCOMPARE(sched_getaffinity(0, sizeof before, &before), 0);
        int first = 0;
        while (!CPU_ISSET(first, &before))
            ++first;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(first, &one);
        QCOMPARE(sched_setaffinity(0, sizeof one, &one), 0);
        const int threads = CurveThreads();
        sched_setaffinity(0, sizeof before, &before);
        QCOMPARE(threads, 1);
    }

    // A split job run as a task, as the XY coverage runs its batches, with the process pinned
    // to two (and four) processors: as many threads as processors take its indices, the task's
    // and the one waiting for it among them, and no more. Each index waits until that many have
    // come (up to a deadline, so that a pool that leaves a processor idle fails, not hangs).
    void splitTaskKeepsEveryProcessorBusy_data()
    {
        QTest::addColumn<int>("processors");
        QTest::newRow("two") << 2;
        QTest::newRow("four") << 4;
    }
    void splitTaskKeepsEveryProcessorBusy()
    {
        QFETCH(int, processors);
        const cpu_set_t all = CurrentProcessors();
        if (CPU_COUNT(&all) < processors)
            QSKIP("the test may run on fewer processors");
        CPinnedProcess pin(FirstProcessors(all, processors));
        QVERIFY(pin.pinned());
        QCOMPARE(CurveThreads(), processors);
        std::mutex mutex;
        std::condition_variable arrived;
        std::set<std::thread::id> ran;
        const std::thread::id waiter = std::this_thread::get_id();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        CCurveTask task;
        task.start([&] {
            ParallelFor(256, CurveThreads(), [&](int) {
                std::unique_lock<std::mutex> lock(mutex);
                ran.insert(std::this_thread::get_id());
                arrived.notify_all();
                arrived.wait_until(lock, deadline, [&] { return int(ran.size()) >= processors; });
            });
        });
        task.wait();
        QCOMPARE(int(ran.size()), processors);
        QVERIFY(ran.count(waiter) == 1);
    }

    // Callers on three threads at once, each job calling again: far more helpers wanted than the
    // pool has, yet every index runs once, and each caller's own share stays on its thread.
    void nestedAndParallelCallsRunEveryIndexOnce()
    {
        constexpr int Callers = 3, Outer = 8, Inner = 16;
        std::vector<std::atomic<int>> runs(Callers * Outer * Inner);
        std::atomic<int> firstOnCaller{0};
        auto call = [&](int c) {
            const std::thread::id self = std::this_thread::get_id();
            ParallelFor(
                Outer, 16,
                [&, c](int i) { ParallelFor(Inner, 16, [&, c, i](int j) { ++runs[size_t((c * Outer + i) * Inner + j)]; }); },
                [&] { firstOnCaller += std::this_thread::get_id() == self ? 1 : 0; });
        };
        std::thread second(call, 1), third(call, 2);
        call(0);
        second.join();
        third.join();
        QCOMPARE(firstOnCaller.load(), Callers);
        for (const std::atomic<int>& r : runs)
            QCOMPARE(r.load(), 1);
    }

    void fullPaintOfAWindowIsTheStrokedOne_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("grid");
        QTest::addColumn<int>("alpha");
        QTest::newRow("lines over the grid") << 0 << true << 255;
        QTest::newRow("lines with dots") << 2 << false << 255;
        QTest::newRow("dots, see-through") << 3 << true << 120;
    }
    void fullPaintOfAWindowIsTheStrokedOne()
    {
        QFETCH(int, style);
        QFETCH(bool, grid);
        QFETCH(int, alpha);
        CGraphTestHost host;
        host.resize(1000, 800);
        CGraphWindow* g = new CGraphWindow(&host);
        g->resize(900, 600);
        host.SetLastActiveGraph(g);
        host.show();
        CDataFolder* run = host.addRun();
        const int plots = 6;
        for (int p = 0; p < plots; ++p) {
            CDataBranch* b = host.addBranch(run, SensorIndexOnlineFunction, 0.01);
            b->m_Color = QColor(40 * p, 200 - 30 * p, 100 + 20 * p, alpha);
            CGraphTestHost::fill(b, 20000 + 7000 * p, [p](int i) {
                return i % 97 == 0 ? MissingValue : std::sin(i * 0.0007 + p) + (i * 2654435761u % 1000) * 2e-4;
            });
        }
        emit host.m_Hub.LoggerStartedRun();
        emit host.m_Hub.LoggerExperimentEnd();
        CGraphWindow::CPaintSettings settings = g->PaintSettings();
        settings.m_bShowGrid = grid;
        g->SetPaintSettings(settings);
        for (int p = 0; p < plots; ++p) {
            CGraphPlot plot = g->GetPlot(p);
            plot.m_Style = style;
            g->UpdatePlot(plot, p);
            g->SetAxisMinMax(short(p), -1.1f, 1.1f, false);
        }
        g->SetAxisMinMax(-1, 0.0f, 50000.0f, false);
        QImage strips(g->size(), QImage::Format_ARGB32_Premultiplied), stroked(strips.size(), strips.format());
        strips.fill(Qt::black);
        stroked.fill(Qt::black);
        // Shown, the window's last paint left the next one a full paint (RepaintGraph would
        // paint it on screen first).
        QCOMPARE(int(g->PaintCounts().m_NextRepaint), int(CGraphWindow::RepaintFull));
        g->render(&strips);
        QCOMPARE(g->PaintCounts().m_StripPaints, 1);
        settings.m_bPaintInStrips = false;
        g->SetPaintSettings(settings);
        QCOMPARE(int(g->PaintCounts().m_NextRepaint), int(CGraphWindow::RepaintFull));
        g->render(&stroked);
        QCOMPARE(g->PaintCounts().m_StripPaints, 1);
        const QString diff = Differences(strips, stroked);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        // A curve is there to compare: its colour fills a column stroke or a dot somewhere.
        int coloured = 0;
        const QRgb last = QColor(200, 50, 200).rgb();
        const QRect r = g->GraphRect();
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                coloured += (strips.pixel(x, y) & 0xffffff) == (last & 0xffffff) ? 1 : 0;
        QVERIFY(alpha < 255 || coloured > 200);
    }

    void fewOrDashedCurvesAreStrokedOnTheWindow()
    {
        // Dashes run on from one line to the next, and a few curves are stroked sooner than
        // the plot area is drawn twice: such graphs take the stroke-by-stroke route.
        CGraphTestHost host;
        CGraphWindow* g = new CGraphWindow(&host);
        g->resize(600, 400);
        host.SetLastActiveGraph(g);
        CDataFolder* run = host.addRun();
        for (int p = 0; p < 6; ++p)
            CGraphTestHost::fill(host.addBranch(run, SensorIndexOnlineFunction, 0.01), 5000,
                                 [p](int i) { return std::sin(i * 0.01 + p); });
        emit host.m_Hub.LoggerStartedRun();
        emit host.m_Hub.LoggerExperimentEnd();
        QImage img(g->size(), QImage::Format_ARGB32_Premultiplied);
        auto paint = [&] {
            g->RepaintGraph(CGraphWindow::RepaintFull);
            g->render(&img);
        };
        paint();
        QCOMPARE(g->PaintCounts().m_StripPaints, 1);
        CGraphPlot plot = g->GetPlot(2);
        plot.m_Style = CGraphPlot::StyleDashed;
        g->UpdatePlot(plot, 2);
        paint();
        QCOMPARE(g->PaintCounts().m_StripPaints, 1);
        plot.m_Style = CGraphPlot::StyleLine;
        g->UpdatePlot(plot, 2);
        paint();
        QCOMPARE(g->PaintCounts().m_StripPaints, 2);
        for (int p = 0; p < 3; ++p) {
            CGraphPlot hidden = g->GetPlot(p);
            hidden.m_bVisible = false;
            g->UpdatePlot(hidden, p);
        }
        paint();
        QCOMPARE(g->PaintCounts().m_StripPaints, 2);
    }
};

KORVANTA_TEST_MAIN(TestGraphCurveLayer)
#include "tst_graph_curvelayer.moc"

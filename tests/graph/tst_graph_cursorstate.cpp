// The graph's two cursors without a window: where cursor 2 goes, the distance it keeps, which
// handle a press holds, what a drag and the commands that switch them off leave, and the
// differences the read-out of cursor 2 shows.
#include "graph/GraphCursors.h"
#include "graph/GraphX.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SetupInfo.h"

#include "common/TestMain.h"

namespace {

// A store, a plot list and its X axis, as a graph window holds them, and the cursors.
struct CCursorStateRig
{
    CSetupInfo setup{nullptr};
    CDataManager data{&setup};
    QList<CGraphPlot> plots;
    int graphType = CGraphX::TimeGraph;
    CGraphX x{plots, graphType, [this] { return &data; }};
    CGraphCursors cursors;
    CDataFolder* run = nullptr;

    CCursorStateRig() { run = data.CreateDataFolder(); }
    // A plotted series of n samples at 0.1 s with y = 2 i.
    CDataBranch* series(int n, int sensor = SensorIndexOnlineFunction)
    {
        const int key = data.CreateDataBranch(sensor, 0.1, -1, -1, run->m_Key);
        run->AddBranchKey(key);
        CDataBranch* b = data.GetDataBranch(key);
        QVector<double> xs(n), ys(n);
        for (int i = 0; i < n; ++i) {
            xs[i] = i;
            ys[i] = 2.0 * i;
        }
        b->AppendSamples(xs.constData(), ys.constData(), n);
        CGraphPlot p;
        p.m_Key = key;
        plots.append(p);
        return b;
    }
};

} // namespace

class TestGraphCursorState : public QObject
{
    Q_OBJECT
private slots:
    void secondCursorOnATimeGraph_data()
    {
        QTest::addColumn<int>("samples");    // of cursor 1's plot
        QTest::addColumn<int>("cursor1");
        QTest::addColumn<int>("cursor2");    // from before (-1: none)
        QTest::addColumn<int>("delta");      // kept from before
        QTest::addColumn<int>("expected");
        // The axis shows 0-100 positions.
        QTest::newRow("first time: half-way to the end of the visible data") << 101 << 10 << -1 << 0 << 55;
        QTest::newRow("the distance kept") << 101 << 20 << 15 << 5 << 25;
        QTest::newRow("no distance kept: half-way") << 101 << 20 << 15 << 0 << 60;
        QTest::newRow("cursor 2 beyond a short plot's end: half-way") << 20 << 10 << 55 << 45 << 14;
        QTest::newRow("the kept distance passes the end: stops at it") << 20 << 17 << 15 << 5 << 19;
        QTest::newRow("the visible data ends before the plot") << 301 << 40 << -1 << 0 << 70;
    }
    void secondCursorOnATimeGraph()
    {
        QFETCH(int, samples);
        QFETCH(int, cursor1);
        QFETCH(int, cursor2);
        QFETCH(int, delta);
        QFETCH(int, expected);
        CCursorStateRig rig;
        CDataBranch* b = rig.series(samples);
        rig.x.ZoomTo(0.0f, 100.0f);
        rig.cursors.Place(1, 0, cursor1, float(cursor1), float(2 * cursor1));
        rig.cursors.SetSample(2, cursor2);
        rig.cursors.SetSampleDelta(delta);
        rig.cursors.PlaceSecond(b, rig.x, false);
        QCOMPARE(rig.cursors.Second().m_Plot, 0);
        QCOMPARE(rig.cursors.Second().m_Sample, expected);
        QCOMPARE(rig.cursors.SampleDelta(), expected - cursor1);
        QCOMPARE(rig.cursors.Second().m_X, float(expected));
        QCOMPARE(rig.cursors.Second().m_Y, float(2 * expected));
        QCOMPARE(rig.cursors.DeltaX(false), double(expected - cursor1));
        QCOMPARE(rig.cursors.DeltaY(), float(2 * (expected - cursor1)));
    }

    void cursor2Sample_data()
    {
        QTest::addColumn<int>("cursor1");
        QTest::addColumn<int>("cursor2");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("expected");
        QTest::newRow("distance kept") << 10 << 14 << 4 << 14;
        QTest::newRow("beyond the data: half-way on") << 95 << 99 << 10 << 47;
        QTest::newRow("no cursor 2 yet") << 10 << -1 << 4 << 55;
        QTest::newRow("cursor 1 past the end") << 500 << -1 << 0 << 49;
    }
    // Cursor 2 of an XY graph of 100 points.
    void cursor2Sample()
    {
        QFETCH(int, cursor1);
        QFETCH(int, cursor2);
        QFETCH(int, delta);
        QTEST(CGraphCursors::Cursor2Sample(cursor1, cursor2, delta, 100), "expected");
        QCOMPARE(CGraphCursors::Cursor2Sample(cursor1, cursor2, delta, 0), 0);
    }

    // On an XY graph cursor 2 goes among the samples that stand on an X value, and reads it.
    void secondCursorOnAnXYGraph()
    {
        CCursorStateRig rig;
        CDataBranch* y = rig.series(100);
        CDataBranch* xs = rig.series(40, SensorIndexManualX);
        Q_UNUSED(xs);
        rig.graphType = CGraphX::XYGraph;
        rig.x.ChoosePlot(1);
        rig.cursors.Place(1, 0, 10, 10.0f, 20.0f);
        rig.cursors.PlaceSecond(y, rig.x, true);
        // Half-way from 10 to the end of the 40 samples that have an X, not of the 100.
        QCOMPARE(rig.cursors.Second().m_Sample, 25);
        QCOMPARE(rig.cursors.Second().m_X, 50.0f);   // the X series' value there
        QCOMPARE(rig.cursors.DeltaX(true), 40.0);
        QCOMPARE(rig.cursors.SampleDelta(), 15);
    }

    // Without cursor 1 or without samples cursor 2 goes, and keeps no distance.
    void secondCursorGoesWithoutFirst()
    {
        CCursorStateRig rig;
        CDataBranch* b = rig.series(50);
        rig.cursors.Place(2, 0, 30, 30.0f, 60.0f);
        rig.cursors.SetSampleDelta(10);
        rig.cursors.PlaceSecond(b, rig.x, false);
        QCOMPARE(QPoint(rig.cursors.Second().m_Plot, rig.cursors.Second().m_Sample), QPoint(-1, -1));
        QCOMPARE(rig.cursors.SampleDelta(), 0);
        rig.cursors.Place(1, 0, 10, 10.0f, 20.0f);
        rig.cursors.Place(2, 0, 30, 30.0f, 60.0f);
        rig.cursors.PlaceSecond(nullptr, rig.x, false);   // the series went
        QCOMPARE(rig.cursors.Second().m_Plot, -1);
    }

    void handleAt_data()
    {
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<bool>("secondOn");
        QTest::addColumn<int>("expected");
        // Cursor 1 drawn at (100, 100), cursor 2 at (104, 100).
        QTest::newRow("on cursor 1 alone") << QPoint(96, 100) << true << 1;
        QTest::newRow("on both: cursor 2") << QPoint(102, 100) << true << 2;
        QTest::newRow("on both, cursor 2 off: cursor 1") << QPoint(102, 100) << false << 1;
        QTest::newRow("left of the square") << QPoint(94, 100) << true << 0;
        QTest::newRow("its last pixel") << QPoint(100, 104) << false << 1;
        QTest::newRow("below it") << QPoint(100, 105) << false << 0;
    }
    // A press holds the handle of the cursor whose ten-pixel square holds it.
    void handleAt()
    {
        QFETCH(QPoint, press);
        QFETCH(bool, secondOn);
        CGraphCursors c;
        c.Place(1, 0, 1, 0.0f, 0.0f);
        c.DrawnAt(1, QPoint(100, 100));
        c.Place(2, secondOn ? 0 : -1, 2, 0.0f, 0.0f);
        c.DrawnAt(2, QPoint(104, 100));
        QTEST(c.HandleAt(press), "expected");
        c.StartDrag(c.HandleAt(press));
        QTEST(c.Dragged(), "expected");
        c.EndDrag();
        QCOMPARE(c.Dragged(), 0);
    }

    // A drag moves one cursor along its plot; the distance follows only while cursor 2 is on.
    void dragMovesOneCursor()
    {
        CGraphCursors c;
        c.Place(1, 0, 10, 10.0f, 1.0f);
        c.MoveTo(1, 12, 12.0f, 3.0f);
        QCOMPARE(c.SampleDelta(), 0);
        c.Place(2, 0, 20, 20.0f, 2.0f);
        c.MoveTo(2, 30, 30.0f, 4.0f);
        QCOMPARE(c.SampleDelta(), 18);
        QCOMPARE(QPointF(c.Second().m_X, c.Second().m_Y), QPointF(30.0, 4.0));
        c.MoveTo(1, 35, 35.0f, 5.0f);
        QCOMPARE(c.SampleDelta(), -5);
        QCOMPARE(c.First().m_Sample, 35);
        QCOMPARE(c.DeltaY(), -1.0f);
    }

    void switchingOff_data()
    {
        QTest::addColumn<QString>("how");
        // After: cursor 1's plot and sample, cursor 2's plot and sample, the distance.
        QTest::addColumn<QVector<int>>("after");
        QTest::newRow("both off") << "off" << QVector<int>{-1, -1, -1, -1, 0};
        QTest::newRow("plots only") << "plots" << QVector<int>{-1, 10, -1, 15, 5};
        QTest::newRow("cursor 1 off") << "first" << QVector<int>{-1, 10, 1, 15, 0};
        QTest::newRow("cursor 2 off") << "second" << QVector<int>{1, 10, -1, -1, 0};
        QTest::newRow("detached") << "detach" << QVector<int>{-1, -1, -1, -1, 0};
        QTest::newRow("detached, cursor 2 kept (bars)") << "detachKeep" << QVector<int>{-1, -1, 1, 15, 5};
    }
    void switchingOff()
    {
        QFETCH(QString, how);
        CGraphCursors c;
        c.Place(1, 1, 10, 1.0f, 1.0f);
        c.Place(2, 1, 15, 1.5f, 1.0f);
        c.SetSampleDelta(5);
        if (how == "off")
            c.Off();
        else if (how == "plots")
            c.DropPlots();
        else if (how == "first")
            c.FirstOff();
        else if (how == "second")
            c.SecondOff();
        else
            c.Detach(how == "detachKeep");
        const QVector<int> state{c.First().m_Plot, c.First().m_Sample, c.Second().m_Plot, c.Second().m_Sample,
                                 c.SampleDelta()};
        QTEST(state, "after");
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestGraphCursorState)
#include "tst_graph_cursorstate.moc"

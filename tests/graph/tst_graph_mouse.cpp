// The graph under the mouse, through real mouse events: attaching and dragging the cursors,
// zoom, pan, scale stretching, removing plots, annotations added, moved, edited and removed,
// branches dropped from the data tree (a run on an XY graph against its own X) and prediction
// points drawn and erased.
#include "support/CursorRig.h"
#include "support/ScaleBoxes.h"
#include "support/GraphRig.h"

#include "Core/Data/Globals.h"
#include "graph/GraphCsv.h"
#include "graph/AnnotationTextDialog.h"
#include "windowbase/BranchDragText.h"

#include <QComboBox>
#include <QMimeData>
#include <QPainter>
#include <QToolTip>
#include "common/TestMain.h"

#include <cmath>

namespace {

void Press(CGraphWindow* g, QPoint p) { QTest::mousePress(g, Qt::LeftButton, Qt::NoModifier, p); }
// A move with the left button held, sent straight to the window (the offscreen platform turns
// no cursor movement into events).
void Move(CGraphWindow* g, QPoint p)
{
    QMouseEvent move(QEvent::MouseMove, p, g->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(g, &move);
}
void Release(CGraphWindow* g, QPoint p) { QTest::mouseRelease(g, Qt::LeftButton, Qt::NoModifier, p); }
void Drag(CGraphWindow* g, QPoint from, QPoint to)
{
    Press(g, from);
    Move(g, QPoint((from.x() + to.x()) / 2, (from.y() + to.y()) / 2));
    Move(g, to);
    Release(g, to);
}

// A host that records the video windows a drop asks for.
class CVideoHost : public CGraphTestHost
{
public:
    void RequestVideoWindow(const QString& path, int folderKey) override { m_Videos << QStringLiteral("%1#%2").arg(path).arg(folderKey); }
    QStringList m_Videos;
};

// Whether a picture shows cursor 1's cross at column x: its line down the plot area.
bool ShowsCrossAt(const QImage& image, const QRect& area, int x)
{
    int black = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        black += image.pixelColor(x, y) == QColor(Qt::black) ? 1 : 0;
    return black > area.height() / 2;
}

bool Drop(CGraphWindow* g, const QString& text, QPoint at, bool* accepted = nullptr)
{
    QMimeData mime;
    mime.setText(text);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(g, &enter);
    if (accepted)
        *accepted = enter.isAccepted();
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(g, &drop);
    return drop.isAccepted();
}

} // namespace

class TestGraphMouse : public QObject
{
    Q_OBJECT
private slots:
    void scaleZones()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        const QRect r = g->GraphRect();
        QCOMPARE(g->CheckMouseInScale(r.bottomLeft()), -1);
        QCOMPARE(g->CheckMouseInScale(QPoint(r.left(), r.center().y())), 1);
        QCOMPARE(g->CheckMouseInScale(QPoint(r.right() + 5, r.center().y())), 2);
        QCOMPARE(g->CheckMouseInScale(r.center()), -2);
        // One visible plot: no right scale zone.
        g->m_Plots[1].m_bVisible = false;
        QCOMPARE(g->CheckMouseInScale(QPoint(r.right() + 5, r.center().y())), -2);
    }

    void clickAttachesCursorOneWithReadoutAndSlope()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        g->EnableSlopeMode(true);
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, rig.pixel(30.2f, 16.0f));
        QCOMPARE(g->Cursors().First().m_Plot, 0);
        QCOMPARE(g->Cursors().First().m_Sample, 30);
        rig.paint();
        // Sample 30 at 0.1 s is 3 s; the ramp is 15 there and rises 0.5 per 0.1 s.
        QCOMPARE(g->Cursors().First().m_Text, QStringLiteral("x=3s  y=15 Slope = 5 "));
        // A click near the flat curve does not move a cursor that is on.
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, rig.pixel(60.0f, 40.0f));
        QCOMPARE(g->Cursors().First().m_Plot, 0);
        QCOMPARE(g->Cursors().First().m_Sample, 30);
    }

    void doubleClickAddsCursorTwoWithDifferences()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, rig.pixel(30.2f, 16.0f));
        QTest::mouseDClick(g, Qt::LeftButton, Qt::NoModifier, rig.pixel(80.0f, 5.0f));
        QCOMPARE(g->Cursors().Second().m_Plot, 0);
        // Half-way between cursor 1 (30) and the end of the visible data (100).
        QCOMPARE(g->Cursors().Second().m_Sample, 65);
        QCOMPARE(g->Cursors().SampleDelta(), 35);
        rig.paint();
        QCOMPARE(g->Cursors().Second().m_Text, QStringLiteral("x=6.5s  y=32.5 dx=3.5s dy=17.5"));
        // The Second Cursor action takes it off again, the Cursor action both.
        g->OnCursor2();
        QCOMPARE(g->Cursors().Second().m_Plot, -1);
        g->OnCursor2();
        QCOMPARE(g->Cursors().Second().m_Sample, 65);
        g->OnCursor();
        QCOMPARE(g->Cursors().First().m_Plot, -1);
        QCOMPARE(g->Cursors().Second().m_Plot, -1);
        g->OnCursor();
        QCOMPARE(g->Cursors().First().m_Sample, 51);
    }

    void draggingCursors()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, rig.pixel(30.2f, 16.0f));
        g->OnCursor2();
        rig.paint();
        Press(g, g->Cursors().First().m_Point);
        QCOMPARE(int(g->Cursors().Dragged()), 1);
        Move(g, rig.pixel(50.2f, 25.0f));
        // During the drag only the cursors are drawn over the saved picture: a full paint
        // meanwhile leaves them out.
        QVERIFY(!ShowsCrossAt(rig.paint(), g->GraphRect(), rig.pixel(g->Cursors().First().m_X, 0.0f).x()));
        QCOMPARE(g->Cursors().First().m_Sample, 50);
        QCOMPARE(g->Cursors().First().m_Y, 25.0f);
        QCOMPARE(g->Cursors().SampleDelta(), g->Cursors().Second().m_Sample - 50);
        // Across to the flat curve: cursor 1 stays on its own, cursor 2 where it was.
        const int second = g->Cursors().Second().m_Sample;
        Move(g, rig.pixel(70.2f, 40.0f));
        QCOMPARE(QPoint(g->Cursors().First().m_Plot, g->Cursors().Second().m_Plot), QPoint(0, 0));
        QCOMPARE(g->Cursors().First().m_Y, 35.0f);
        QCOMPARE(g->Cursors().Second().m_Sample, second);
        Release(g, rig.pixel(70.2f, 40.0f));
        QVERIFY(ShowsCrossAt(rig.paint(), g->GraphRect(), rig.pixel(g->Cursors().First().m_X, 0.0f).x()));
        QCOMPARE(int(g->Cursors().Dragged()), 0);
        // Dragging cursor 2 leaves both on their plot.
        rig.paint();
        const int before = g->Cursors().Second().m_Sample;
        Drag(g, g->Cursors().Second().m_Point, rig.pixel(20.2f, 40.0f));
        QCOMPARE(g->Cursors().Second().m_Sample, 20);
        QVERIFY(before != 20);
        QCOMPARE(g->Cursors().First().m_Plot, 0);
        QCOMPARE(g->Cursors().Second().m_Plot, 0);
        // A mouse left of the data leaves the cursor where it was.
        rig.setAxes(-50.0f, 100.0f, 0.0f, 50.0f);
        Press(g, g->Cursors().Second().m_Point);
        Move(g, rig.pixel(-20.0f, 40.0f));
        Release(g, rig.pixel(-20.0f, 40.0f));
        QCOMPARE(g->Cursors().Second().m_Sample, 20);
    }

    void zoom()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        QSignalSpy changed(&rig.host.m_Hub, &CKorvantaSignals::HasNewDataToSave);
        g->OnZoom();
        QCOMPARE(g->GetMouseMode(), int(CGraphWindow::MouseZoom));
        Drag(g, rig.pixel(20.0f, 40.0f), rig.pixel(60.0f, 10.0f));
        // Within a pixel of the band's edges.
        const float perPixel = 100.0f / g->GraphRect().width();
        QVERIFY(std::fabs(g->X().Min() - 20.0f) <= 2 * perPixel);
        QVERIFY(std::fabs(g->X().Max() - 60.0f) <= 2 * perPixel);
        QVERIFY(std::fabs(g->m_Plots[0].m_Min - 10.0f) < 0.5f);
        QVERIFY(std::fabs(g->m_Plots[0].m_Max - 40.0f) < 0.5f);
        QVERIFY(!g->m_Plots[0].m_bAutoScale);
        QVERIFY(changed.count() >= 1);
        // The band is gone with the zoom: the window shows what a full paint draws.
        const QPoint inBand = rig.pixel(40.0f, 25.0f);
        QCOMPARE(g->grab().toImage().pixelColor(inBand), rig.paint().pixelColor(inBand));
        // A band narrower than one X unit changes only the Y ranges.
        rig.setAxes(0.0f, 100.0f, 0.0f, 50.0f);
        const QPoint a = rig.pixel(50.0f, 30.0f);
        Drag(g, a, a + QPoint(0, 40));
        QCOMPARE(g->X().Min(), 0.0f);
        QCOMPARE(g->X().Max(), 100.0f);
        QVERIFY(g->m_Plots[0].m_Max < 31.0f);
        // A click without movement changes nothing.
        rig.setAxes(0.0f, 100.0f, 0.0f, 50.0f);
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, a);
        QCOMPARE(g->m_Plots[0].m_Max, 50.0f);
        g->OnPan();
        QCOMPARE(g->GetMouseMode(), int(CGraphWindow::MousePan));
        g->OnPan();
        QCOMPARE(g->GetMouseMode(), int(CGraphWindow::MouseNormal));
    }

    void pan()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        g->OnPan();
        const QPoint from = rig.pixel(50.0f, 25.0f);
        const QPoint to = rig.pixel(40.0f, 30.0f);
        const float dx = g->X().ColumnToX(to.x(), g->GraphRect()) - g->X().ColumnToX(from.x(), g->GraphRect());
        Drag(g, from, to);
        // The curves follow the mouse: the axes move the other way.
        QVERIFY(std::fabs(g->X().Min() + dx) < 0.01f);
        QVERIFY(std::fabs(g->X().Max() - (100.0f - dx)) < 0.01f);
        QVERIFY(std::fabs(g->m_Plots[0].m_Min + 5.0f) < 0.2f);
        QVERIFY(std::fabs(g->m_Plots[1].m_Max - 45.0f) < 0.2f);
        // The pan ends with the release: a move with the button held after it moves nothing.
        const float xMin = g->X().Min();
        Move(g, from);
        QCOMPARE(g->X().Min(), xMin);
    }

    void barGraphPanStaysOnTheBars()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        g->m_GraphType = CGraphWindow::BarGraph;
        rig.setAxes(0.0f, 50.0f, 0.0f, 50.0f);
        g->OnPan();
        Drag(g, rig.pixel(10.0f, 25.0f), rig.pixel(40.0f, 25.0f));
        QCOMPARE(g->X().Min(), 0.0f);
        QCOMPARE(g->X().Max(), 50.0f);
        const QRect r = g->GraphRect();
        const int y = r.center().y();
        for (int k = 0; k < 2; ++k)
            Drag(g, QPoint(r.left() + r.width() * 8 / 10, y), QPoint(r.left() + r.width() / 50, y));
        QCOMPARE(g->X().Max(), 101.0f);   // the sample count
        QCOMPARE(g->X().Min(), 51.0f);
    }

    void stretchingScales()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        QRect r = g->GraphRect();
        const int x = r.left() - 10;
        const int by = r.height() / 2;
        // Left scale: half the distance from the top edge halves the span above the minimum.
        Drag(g, QPoint(x, r.top() + by), QPoint(x, r.top() + by / 2));
        QVERIFY(std::fabs(g->m_Plots[0].m_Max - 25.0f) < 0.3f);
        QCOMPARE(g->m_Plots[0].m_Min, 0.0f);
        QCOMPARE(g->m_Plots[1].m_Max, 50.0f);
        // Onto the top edge: the span stops at 0.001.
        Drag(g, QPoint(x, r.top() + by), QPoint(x, r.top()));
        QCOMPARE(double(g->m_Plots[0].m_Max), double(float(0.001)));
        // X scale: twice as far from the left edge halves the X maximum.
        rig.setAxes(0.0f, 100.0f, 0.0f, 50.0f);
        r = g->GraphRect();
        const int y = r.bottom() + 10;
        Drag(g, QPoint(r.left() + 100, y), QPoint(r.left() + 200, y));
        QCOMPARE(g->X().Max(), 50.0f);
        QCOMPARE(g->X().Min(), 0.0f);
        // Onto the left edge: no step (it would divide by zero).
        Press(g, QPoint(r.left() + 100, y));
        Move(g, QPoint(r.left(), y));
        Release(g, QPoint(r.left(), y));
        QCOMPARE(g->X().Max(), 50.0f);
    }

    void fittedCurvesNamingEachOtherStretchOnce()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        // Two curves listing each other: the stretch must end.
        rig.ramp->m_DerivedKeys.Add(rig.flat->m_Key);
        rig.flat->m_DerivedKeys.Add(rig.ramp->m_Key);
        g->m_Plots[0].m_DragStartMax = 50.0f;
        g->m_Plots[1].m_DragStartMax = 50.0f;
        g->DoDragScaleFactor(0, 1.0f, 0.5f);
        QCOMPARE(g->m_Plots[0].m_Max, 25.0f);
        QCOMPARE(g->m_Plots[1].m_Max, 25.0f);
        // A zero ratio leaves the smallest span, never a zero range.
        g->DoDragScaleFactor(1, 1.0f, 0.0f);
        QVERIFY(g->m_Plots[1].m_Max > g->m_Plots[1].m_Min);
    }

    void removingThePlotUnderCursorOne()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        g->OnCursor();
        g->OnCursor2();
        rig.paint();
        const QPoint button = g->GetPlotRemoveButonRect(0).center();
        rig.prompter.m_bYes = false;
        Press(g, button);
        Release(g, button);
        QCOMPARE(rig.prompter.boxes("ask").value(0), QStringLiteral("Pavix|Are you sure you want to remove this plot?"));
        QCOMPARE(g->m_Plots.size(), 2);
        QCOMPARE(g->Cursors().Second().m_Plot, 0);
        rig.prompter.m_bYes = true;
        Press(g, button);
        Release(g, button);
        QCOMPARE(g->m_Plots.size(), 1);
        QCOMPARE(g->m_Plots[0].m_Key, rig.flat->m_Key);
        QCOMPARE(g->Cursors().First().m_Plot, -1);
        QCOMPARE(g->Cursors().Second().m_Plot, -1);
        QCOMPARE(g->Cursors().Second().m_Sample, -1);
    }

    void removingAPlotBeforeTheXAxis()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        CDataBranch* xb = rig.host.addBranch(rig.run, SensorIndexOnlineFunction, 0.1, QStringLiteral("X"));
        CGraphTestHost::fill(xb, 101, [](int i) { return double(i); });
        g->AddPlotsFromKeyArray({xb->m_Key});
        g->OnXScaleComboChanged(3);
        rig.setAxes(0.0f, 100.0f, 0.0f, 50.0f);
        g->OnCursor();
        QCOMPARE(g->Cursors().First().m_Plot, 0);
        rig.paint();
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, g->GetPlotRemoveButonRect(0).center());
        QCOMPARE(g->m_Plots.size(), 2);
        // The X axis is still the same branch, now one place earlier in the list.
        QCOMPARE(g->X().PlotIndex(), 1);
        QCOMPARE(g->X().PlotKey(), xb->m_Key);
        QCOMPARE(ScaleBox(g, "xScaleCombo")->currentIndex(), 2);
        QCOMPARE(g->LeftScalePlot(), 0);
    }

    void annotations()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, rig.pixel(30.2f, 16.0f));
        // Rejected and empty texts add nothing.
        rig.prompter.m_bAccept = false;
        g->OnAddAnnotation();
        rig.prompter.m_bAccept = true;
        rig.prompter.m_Text.clear();
        g->OnAddAnnotation();
        QCOMPARE(g->m_Plots[0].GetNumAnnotations(), 0);
        rig.prompter.m_Text = QStringLiteral("Start\nof rise");
        g->OnAddAnnotation();
        QCOMPARE(g->m_Plots[0].GetNumAnnotations(), 1);
        CGraphTextAnnotation note = g->m_Plots[0].GetAnnoation(0);
        QCOMPARE(note.m_Sample, 30);
        QCOMPARE(note.m_Text, QStringLiteral("Start\nof rise"));
        QCOMPARE(note.m_Angle, 45.0);
        QCOMPARE(note.m_Length, 60.0);
        // Straight above its point, 60 pixels away.
        g->m_Plots[0].m_Annotations[0].m_Angle = 0.0;
        g->m_Plots[0].m_Annotations[0].m_Text = QStringLiteral("Start of rise");
        rig.paint();
        const QPoint point = rig.pixel(30.0f, 15.0f);
        QRect box = g->m_Plots[0].GetAnnoation(0).m_TextRect;
        QVERIFY(!box.isNull());
        QVERIFY(std::abs(box.center().x() - point.x()) <= 1);
        QVERIFY(box.bottom() < point.y() - 50 && box.bottom() > point.y() - 66);
        int index = -5;
        QCOMPARE(g->PtInAnnotation(box.center(), index), 0);
        QCOMPARE(index, 0);
        QCOMPARE(g->PtInAnnotation(point, index), -1);
        QCOMPARE(index, -1);

        // Moved in the move-annotation mode: the box follows the mouse.
        g->OnMoveAnnotation();
        QCOMPARE(g->GetMouseMode(), int(CGraphWindow::MouseMoveAnnotation));
        rig.paint();
        box = g->m_Plots[0].GetAnnoation(0).m_TextRect;
        const QPoint grip = box.center() + QPoint(0, 3);
        QSignalSpy changed(&rig.host.m_Hub, &CKorvantaSignals::HasNewDataToSave);
        Drag(g, grip, grip + QPoint(30, 0));
        QVERIFY(changed.count() >= 1);
        note = g->m_Plots[0].GetAnnoation(0);
        QVERIFY(std::fabs(note.m_Length - std::sqrt(60.0 * 60.0 + 30.0 * 30.0)) < 1.5);
        QVERIFY(note.m_Angle > 0.4 && note.m_Angle < 0.5);   // atan(30 / 60)
        rig.paint();
        QVERIFY(std::abs(g->m_Plots[0].GetAnnoation(0).m_TextRect.center().x() - (box.center().x() + 30)) <= 1);

        // Edited by a double click.
        box = g->m_Plots[0].GetAnnoation(0).m_TextRect;
        rig.prompter.m_Text = QStringLiteral("Rise");
        QTest::mouseDClick(g, Qt::LeftButton, Qt::NoModifier, box.center() + QPoint(0, 3));
        QCOMPARE(rig.prompter.m_Shown.last(), QStringLiteral("Start of rise"));
        QCOMPARE(g->m_Plots[0].GetAnnoation(0).m_Text, QStringLiteral("Rise"));
        // The edit leaves no note held: a move after it drags none.
        const double length = g->m_Plots[0].GetAnnoation(0).m_Length;
        Move(g, box.center() + QPoint(40, 40));
        QCOMPARE(g->m_Plots[0].GetAnnoation(0).m_Length, length);

        // Removed through the mark on its corner, after a Yes.
        rig.paint();
        box = g->m_Plots[0].GetAnnoation(0).m_TextRect;
        rig.prompter.m_bYes = false;
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, box.topLeft() + QPoint(3, 3));
        QCOMPARE(g->m_Plots[0].GetNumAnnotations(), 1);
        rig.prompter.m_bYes = true;
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, box.topLeft() + QPoint(3, 3));
        QCOMPARE(rig.prompter.boxes("ask").last(),
                 QStringLiteral("Pavix|Are you sure you want to remove this annotation?"));
        QCOMPARE(g->m_Plots[0].GetNumAnnotations(), 0);
        g->OnMoveAnnotation();
        QCOMPARE(g->GetMouseMode(), int(CGraphWindow::MouseNormal));
    }

    void annotationDialog()
    {
        CAddAnnotationDialog accepted(nullptr);
        QCOMPARE(accepted.windowTitle(), QStringLiteral("Annotation"));
        accepted.SetEditText(QStringLiteral("first line\nsecond line"));
        accepted.accept();
        QCOMPARE(accepted.result(), int(QDialog::Accepted));
        QCOMPARE(accepted.text, QStringLiteral("first line\nsecond line"));
        // Formatting pasted into the box comes back as its plain text.
        CAddAnnotationDialog formatted(nullptr);
        formatted.m_pEdit->setHtml(QStringLiteral("<b>bold</b> and <i>slanted</i>"));
        formatted.accept();
        QCOMPARE(formatted.text, QStringLiteral("bold and slanted"));
        CAddAnnotationDialog cancelled(nullptr);
        cancelled.SetEditText(QStringLiteral("kept out"));
        cancelled.reject();
        QCOMPARE(cancelled.result(), int(QDialog::Rejected));
        QVERIFY(cancelled.text.isEmpty());
    }

    void annotationDraggedOntoItsPoint()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        CGraphTextAnnotation note;
        note.m_Sample = 40;
        note.m_Angle = 0.0;
        note.m_Length = 60.0;
        note.m_Text = QStringLiteral("a note wide enough to hold");
        g->m_Plots[0].AddAnnotation(note);
        g->OnMoveAnnotation();
        rig.paint();
        // The box's start point is 60 above the point: a drag 60 down puts it on the point.
        const QPoint grip = g->m_Plots[0].GetAnnoation(0).m_TextRect.center() + QPoint(0, 3);
        Drag(g, grip, grip + QPoint(0, 60));
        note = g->m_Plots[0].GetAnnoation(0);
        QCOMPARE(note.m_Length, 0.0);
        QCOMPARE(note.m_Angle, 1.5707963267948966);
    }

    void dropAddsPlotsAndSkipsUnknownKeys()
    {
        CCursorRigPrompter prompter;
        CVideoHost host;
        host.resize(1000, 800);
        auto* g = new CGraphWindow(&host);
        g->resize(800, 600);
        host.show();
        g->grab();
        CDataFolder* run = host.addRun(QStringLiteral("Run7"));
        CDataBranch* a = host.addBranch(run, 5, 0.1, QStringLiteral("Force"));
        CDataBranch* b = host.addBranch(run, 6, 0.1, QStringLiteral("Speed"));
        CGraphTestHost::fill(a, 30, [](int i) { return double(i); });
        CGraphTestHost::fill(b, 30, [](int i) { return 2.0 * i; });
        run->m_VideoFile = QStringLiteral("/videos/run7.avi");
        run->AddVideoFrameAndSampleIndex(0, 0);
        const QString text = QStringLiteral("Run7,%1,999999,abc,-1,,%2,2147483647999").arg(a->m_Key).arg(b->m_Key);
        bool entered = false;
        QVERIFY(Drop(g, text, g->GraphRect().center(), &entered));
        QVERIFY(entered);
        QCOMPARE(g->m_Plots.size(), 2);
        QCOMPARE(g->m_Plots[0].m_Key, a->m_Key);
        QCOMPARE(g->m_Plots[1].m_Key, b->m_Key);
        QCOMPARE(g->m_Plots[1].m_Name, QStringLiteral("Run7-Speed"));
        QCOMPARE(ScaleBox(g, "leftScaleCombo")->itemText(1), QStringLiteral("Run7-Speed"));
        QCOMPARE(ScaleBox(g, "xScaleCombo")->itemText(1), QStringLiteral("Run7-Force"));
        QCOMPARE(g->GraphType(), int(CGraphWindow::TimeGraph));
        // One video window per drop, however many branches of the run.
        QCOMPARE(host.m_Videos, QStringList{QStringLiteral("/videos/run7.avi#%1").arg(run->m_Key)});
        // The same run again: each branch twice.
        Drop(g, text, g->GraphRect().center());
        QCOMPARE(g->m_Plots.size(), 4);
        // A caption alone, or only unknown keys, adds nothing.
        QVERIFY(!Drop(g, QStringLiteral("Run7"), g->GraphRect().center()));
        QVERIFY(!Drop(g, QStringLiteral("Run7,424242"), g->GraphRect().center()));
        QCOMPARE(g->m_Plots.size(), 4);
        // Nothing while running: a run started in this graph shows the run's two branches and
        // takes no drop.
        host.SetLastActiveGraph(g);
        emit host.m_Hub.LoggerStartedRun();
        QVERIFY(g->IsRunning());
        QCOMPARE(g->m_Plots.size(), 2);
        QVERIFY(!Drop(g, text, g->GraphRect().center(), &entered));
        QVERIFY(!entered);
        QCOMPARE(g->m_Plots.size(), 2);
    }

    // Runs dropped side by side are told apart in every list and in the CSV header, each series
    // named by its run and shown with its unit, as a run's own graph shows it.
    void droppedRunsAreNamedByRunAndUnit()
    {
        CGraphRig g;
        QStringList expected;
        for (const QString& run : {QStringLiteral("Run 4"), QStringLiteral("Run 5")}) {
            CDataFolder* f = g.host.addRun(run);
            QString text = run;
            for (const QString& unit : {QStringLiteral("°C"), QStringLiteral("V")}) {
                CDataBranch* b = g.host.addBranch(f, SensorIndexOnlineFunction, 0.5, unit == "V" ? "Voltage" : "Temperature");
                b->m_Unit = unit;
                CGraphTestHost::fill(b, 3, [](int i) { return 20.0 + i; });
                text += QLatin1Char(',') + QString::number(b->m_Key);
                expected << run + QLatin1Char('-') + b->m_Name + QLatin1Char('(') + unit + QLatin1Char(')');
            }
            Drop(g.graph, text, g.graph->GraphRect().center());
        }
        CGraphWindow* w = g.graph;
        QStringList left, x;
        for (int i = 0; i < ScaleBox(w, "leftScaleCombo")->count(); ++i)
            left << ScaleBox(w, "leftScaleCombo")->itemText(i);
        for (int i = 1; i < ScaleBox(w, "xScaleCombo")->count(); ++i)
            x << ScaleBox(w, "xScaleCombo")->itemText(i);
        QCOMPARE(left, expected);
        QCOMPARE(x, expected);
        const QString csv = GraphCsv::Build(w->CsvColumns(), QLocale::c(), w->X().CsvTitle(), QStringLiteral("Samples"));
        QCOMPARE(csv.section(QStringLiteral("\r\n"), 0, 0), QStringLiteral("Time(s),") + expected.join(QLatin1Char(',')));
    }

    void dropKinds()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        // A graph of sensor branches takes another sensor, and a result computed over samples
        // of one: both stand on its time axis.
        CDataBranch* sensor = rig.host.addBranch(rig.run, 7, 0.1, QStringLiteral("Temp"));
        CDataBranch* result = rig.host.addBranch(rig.run, SensorIndexOnlineFunction, 0.1, QStringLiteral("Sum"));
        CGraphTestHost::fill(sensor, 10, [](int i) { return double(i); });
        g->m_Plots.clear();
        g->AddPlotsFromKeyArray({rig.host.addBranch(rig.run, 9, 0.1)->m_Key});
        bool entered = false;
        Drop(g, QStringLiteral("Run1,%1").arg(result->m_Key), g->GraphRect().center(), &entered);
        QVERIFY(entered);
        QCOMPARE(g->GetPlot(1).m_Key, result->m_Key);
        entered = false;
        Drop(g, QStringLiteral("Run1,%1").arg(sensor->m_Key), g->GraphRect().center(), &entered);
        QVERIFY(entered);
        // One branch dropped on the X scale becomes the X axis, its unit text (which holds
        // its prefix) shown once.
        CCursorRig xy;
        xy.ramp->m_Unit = QStringLiteral("kPa/s");
        xy.ramp->m_UnitPrefix = 1;
        xy.graph->m_Plots.clear();
        xy.graph->AddPlotsFromKeyArray({xy.flat->m_Key});
        xy.paint();
        Drop(xy.graph, QStringLiteral("Run1,%1").arg(xy.ramp->m_Key),
             QPoint(xy.graph->GraphRect().center().x(), xy.graph->GraphRect().bottom() + 5));
        QCOMPARE(xy.graph->GraphType(), int(CGraphWindow::XYGraph));
        QCOMPARE(xy.graph->X().PlotKey(), xy.ramp->m_Key);
        QCOMPARE(xy.graph->X().AxisUnit(), QStringLiteral("kPa/s"));
        QVERIFY(!xy.graph->m_Plots[1].m_bVisible);
        // Timing results make a bar graph.
        CCursorRig bars;
        bars.graph->m_Plots.clear();
        CDataBranch* timing = bars.host.addBranch(bars.run, SensorIndexTimingResult, 0.5, QStringLiteral("Gate"));
        CGraphTestHost::fill(timing, 5, [](int i) { return 0.5 + i; });
        Drop(bars.graph, QStringLiteral("Run1,%1").arg(timing->m_Key), bars.graph->GraphRect().center());
        QCOMPARE(bars.graph->GraphType(), int(CGraphWindow::BarGraph));
        // The text the data tree and the table write for a drag.
        CCursorRig tree;
        tree.graph->m_Plots.clear();
        Drop(tree.graph, BuildBranchDragText(QStringLiteral("Run1"), {tree.ramp->m_Key, tree.flat->m_Key}),
             tree.graph->GraphRect().center());
        QCOMPARE(tree.graph->m_Plots.size(), 2);
        QCOMPARE(ScaleBox(tree.graph, "leftScaleCombo")->itemText(0), QStringLiteral("Run1-Ramp"));
    }

    void dropDrawsWhatStandsOnTheGraphsX_data()
    {
        QTest::addColumn<QString>("graph");       // what the graph shows before the drop
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<int>("added");
        QTest::addColumn<QString>("notice");      // empty: nothing said
        QTest::newRow("run with a function computed while it recorded") << "time" << QStringList{"temp", "online"} << 2
                                                                         << "";
        QTest::newRow("run sampled by hand with its X values") << "time" << QStringList{"counted", "manualx"} << 2
                                                               << "";
        QTest::newRow("spectrum beside its run's series")
            << "time" << QStringList{"temp", "spectrum"} << 1
            << "Not drawn: Run2-Spectrum, Run2-Frequency.\nTheir X values are Frequency (Hz), and this graph's X axis "
               "is Time (s). Drag them into a graph of their own.";
        QTest::newRow("a run on the bars of events") << "bars" << QStringList{"temp", "events"} << 1
                                                     << "Not drawn: Run2-Temperature.\nTheir X values are Time (s), and "
                                                        "this graph's X axis is Event. Drag them into a graph of their own.";
        QTest::newRow("an empty graph takes the first series' X") << "empty" << QStringList{"spectrum", "temp"} << 2
                                                                  << "Not drawn: Run2-Temperature.\nTheir X values are "
                                                                     "Time (s), and this graph's X axis is Frequency (Hz). "
                                                                     "Drag them into a graph of their own.";
    }
    // A dropped run is drawn as far as its series stand on the graph's X axis; what does not is
    // named with why, and the drag itself is never refused silently.
    void dropDrawsWhatStandsOnTheGraphsX()
    {
        QFETCH(QString, graph);
        QFETCH(QStringList, dropped);
        CGraphRig g;
        CGraphEngine engine(g.host.m_Data);
        CDataFolder* first = g.host.addRun(QStringLiteral("Run 1"));
        if (graph != "empty") {
            const int kind = graph == "bars" ? int(SensorIndexTimingResult) : 7;
            CDataBranch* shown = g.host.addBranch(first, kind, 0.1, QStringLiteral("Shown"));
            CGraphTestHost::fill(shown, 20, [](int i) { return 1.0 + i; });
            g.graph->AddPlotsFromKeyArray({shown->m_Key});
            if (graph == "bars")
                g.graph->m_GraphType = CGraphWindow::BarGraph;
        }
        const int before = g.graph->GetNumPlots();
        CDataFolder* run = g.host.addRun(QStringLiteral("Run2"));
        QList<int> keys;
        for (const QString& kind : dropped) {
            const bool counted = kind == "counted" || kind == "manualx";
            const int index = kind == "online" ? int(SensorIndexOnlineFunction) : kind == "manualx" ? int(SensorIndexManualX)
                : kind == "events" ? int(SensorIndexTimingResult) : 7;
            const QString name = kind == "events" ? "Gate" : kind == "manualx" ? "Mass" : "Temperature";
            CDataBranch* b = g.host.addBranch(run, index, counted ? 1.0 : 0.1, name, counted ? 0 : 10);
            CGraphTestHost::fill(b, 64, [](int i) { return 20.0 + (i % 8); });
            if (kind != "spectrum") {
                keys << b->m_Key;
                continue;
            }
            CDataBranch* axis = nullptr;
            CDataBranch* spectrum = engine.functions.FunctionFourier(b, 0, -1, QStringLiteral("Spectrum"), QString(), &axis);
            QVERIFY(spectrum && axis);
            axis->m_Name = QStringLiteral("Frequency");
            keys << spectrum->m_Key << axis->m_Key;
        }
        QString text = QStringLiteral("Run2");
        for (int key : keys)
            text += QLatin1Char(',') + QString::number(key);
        bool entered = false;
        Drop(g.graph, text, g.graph->GraphRect().center(), &entered);
        QVERIFY(entered);
        QTEST(g.graph->GetNumPlots() - before, "added");
        QFETCH(QString, notice);
        QTRY_COMPARE(g.services.prompter.said(), notice.isEmpty() ? QStringList() : QStringList{notice});
    }

    void droppedRunsStandOnTheirOwnX_data()
    {
        QTest::addColumn<int>("run");
        QTest::newRow("run sampled by hand") << 1;
        QTest::newRow("run with masses of its own") << 3;
    }
    // An XY graph of Run 2's temperature against its typed masses draws a dropped run against
    // that run's own masses, refuses with a notice a run that has none, and keeps its scales
    // on curves that are drawn.
    void droppedRunsStandOnTheirOwnX()
    {
        QFETCH(int, run);
        CGraphRig g;
        CDataBranch *t[4], *m[4] = {};
        for (int r = 1; r <= 3; ++r) {
            CDataFolder* f = g.host.addRun(QStringLiteral("Run %1").arg(r));
            t[r] = g.host.addBranch(f, SensorIndexOnlineFunction, 1.0, "Temperature", 0);
            t[r]->m_Color = QColor(0, 60 * r, 0);
            CGraphTestHost::fill(t[r], 4, [](int i) { return 20.0 + i; });
            if (r > 1) {   // Run 1 was sampled by hand, without masses
                m[r] = g.host.addBranch(f, SensorIndexManualX, 1.0, "Mass", 0);
                m[r]->m_Unit = "g";
                CGraphTestHost::fill(m[r], 4, [r](int i) { return 40.0 * r - 70.0 + 10.0 * i; });   // 10..40, 50..80
            }
        }
        CGraphWindow* w = g.graph;
        w->AddPlotsFromKeyArray({t[2]->m_Key, m[2]->m_Key});
        w->OnXScaleComboChanged(2);   // Run 2's masses, as the X picker chooses them
        Drop(w, QStringLiteral("Run %1,%2").arg(run).arg(t[run]->m_Key), w->GraphRect().center());
        const bool taken = run == 3;
        QCOMPARE(w->m_Plots.size(), taken ? 3 : 2);
        QCOMPARE(w->X().XBranchOfPlot(2), m[run]);
        QVERIFY(w->X().Min() <= 10.0f && w->X().Max() >= (taken ? 80.0f : 40.0f));
        for (int s : {w->LeftScalePlot(), w->RightScalePlot()})
            QVERIFY(s == -1 || (w->X().PlotIsDrawn(s) && w->m_Plots.at(s).m_Key != m[2]->m_Key));
        // Run 3's last point stands at its own 80 g, beyond every mass of Run 2.
        // Whole: on screen the XY curves could come in later paints.
        const QImage image = w->GraphPicture(CGraphWindow::PictureWindow).toImage();
        const int x80 = GraphRules::ToPixelX(80.0f, w->X().Min(), w->X().Max(), w->GraphRect());
        bool at80 = false;
        for (int py = w->GraphRect().top(); py <= w->GraphRect().bottom(); ++py)
            at80 = at80 || image.pixelColor(x80 - 1, py) == t[3]->m_Color;
        QCOMPARE(at80, taken);
        QTRY_COMPARE(g.services.prompter.said().size(), taken ? 0 : 1);
        QVERIFY(taken || g.services.prompter.said().first().startsWith("Run 1 has no Mass(g) values"));
    }

    void predictionPoints()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        g->OnPredict();
        const QPoint p = rig.pixel(10.0f, 20.0f);
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, p);
        QCOMPARE(g->Predictions().Curves().size(), 1);
        const CPredictPlot& c = g->Predictions().Curves().first();
        // Whole X positions before the point are gaps, then the point itself.
        QVERIFY(c.m_X.size() >= 2);
        QVERIFY(std::fabs(c.m_X.last() - 10.0f) < 0.3f);
        QVERIFY(std::fabs(c.m_Y.last() - 20.0f) < 0.3f);
        QCOMPARE(c.m_Y.first(), float(MissingValue));
        // Left of X 0 no point is added.
        rig.setAxes(-50.0f, 100.0f, 0.0f, 50.0f);
        const int before = g->Predictions().Curves().first().m_X.size();
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, rig.pixel(-20.0f, 20.0f));
        QCOMPARE(g->Predictions().Curves().first().m_X.size(), before);

        // Erasing: 5 pixels away misses, 4 pixels away removes the curve.
        rig.setAxes(0.0f, 100.0f, 0.0f, 50.0f);
        g->OnErasePredict();
        const QPoint at = rig.pixel(g->Predictions().Curves().first().m_X.last(), g->Predictions().Curves().first().m_Y.last());
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, at + QPoint(5, 0));
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, at + QPoint(0, 5));
        QCOMPARE(g->Predictions().Curves().size(), 1);
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, at + QPoint(4, 0));
        QCOMPARE(g->Predictions().Curves().size(), 0);
    }

    void predictionCurveIsDrawnWhereItsPointsLie()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        InitGlobalColors();
        globalColorIndex = 0;
        g->OnPredict();
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, rig.pixel(20.0f, 20.0f));
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, rig.pixel(80.0f, 20.0f));
        const QColor color = g->Predictions().Curves().at(0).m_Plot.m_Color;
        QCOMPARE(color, colorsTable[0]);
        QImage image(g->size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        g->DrawPredictPlots(&painter);
        painter.end();
        // A horizontal line at Y 20 from X 20 to 80.
        QCOMPARE(image.pixelColor(rig.pixel(50.0f, 20.0f)), color);
        QCOMPARE(image.pixelColor(rig.pixel(50.0f, 35.0f)), QColor(Qt::white));
        QCOMPARE(image.pixelColor(rig.pixel(10.0f, 20.0f)), QColor(Qt::white));   // the fillers are not drawn
    }

    void barTooltip()
    {
        CCursorRig rig;
        CGraphWindow* g = rig.graph;
        CDataBranch* bars = rig.host.addBranch(rig.run, SensorIndexOnlineFunction, 0.1, QStringLiteral("Bars"));
        CGraphTestHost::fill(bars, 101, [](int) { return 1.25; });
        g->AddPlotsFromKeyArray({bars->m_Key});
        // A bar graph shows its first visible plot.
        for (int i : {0, 1}) {
            CGraphPlot hidden = g->GetPlot(i);
            hidden.m_bVisible = false;
            g->UpdatePlot(hidden, i);
        }
        g->m_GraphType = CGraphWindow::BarGraph;
        rig.setAxes(0.0f, 100.0f, 0.0f, 50.0f);
        // The mouse over the bar of sample 10, drawn from X 10.5 to 11 up from the bottom.
        Move(g, rig.pixel(10.75f, 0.5f));
        QCOMPARE(QToolTip::text(), QStringLiteral("1.25"));
    }
};

KORVANTA_TEST_MAIN(TestGraphMouse)
#include "tst_graph_mouse.moc"

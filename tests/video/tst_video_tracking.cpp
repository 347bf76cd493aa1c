// The geometry, button rules, playback arithmetic and tracking of the video analysis, without
// a window.
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/RecordIO.h"
#include "support/VideoFixture.h"
#include "opencv/plugin/ObjectTracker.h"
#include "opencv/plugin/TemplateMatch.h"
#include "tracking/TemplateTracker.h"
#include "tracking/TrackingRun.h"
#include "tracking/VideoAxis.h"
#include "tracking/VideoProbe.h"
#include "tracking/VideoRules.h"

#include <QTemporaryDir>
#include "common/TestMain.h"

#include <cmath>

class TestVideoTracking : public QObject
{
    Q_OBJECT
private slots:
    void axisPoint_data();
    void axisPoint();
    void mappings();
    void originBoxEdges_data();
    void originBoxEdges();
    void axisBandEdges_data();
    void axisBandEdges();
    void angleDrag_data();
    void angleDrag();
    void angleDragOnOriginIsIgnored();
    void selectionClamp_data();
    void selectionClamp();
    void buttonRules_data();
    void buttonRules();
    void playbackArithmetic();
    void playbackArithmeticRefusesZeros();
    void frameIndexOfTime_data();
    void frameIndexOfTime();
    void fittedGeometry_data();
    void fittedGeometry();
    void matchFindsMovingSquare();
    void matchRefusesBadTemplates();
    void largeFrameMatchIsExact_data();
    void largeFrameMatchIsExact();
    void movedPixelsTellObjectFromScenery_data();
    void movedPixelsTellObjectFromScenery();
    void sixteenBitImagesConvert();
    void trackerLearnsObjectFromScenery();
    void trackerFindsObjectBeyondSearchArea();
    void trackerRefusesBadInput();
    void trackerThroughPluginFollowsSquare();
    void probeReadsGeneratedVideo();
    void probeRefusesUnreadableAndEmpty();
    void probeRefusesZeroRateOrCount_data();
    void probeRefusesZeroRateOrCount();
    void trackingRunMakesFolderAndBranches();
    void runsAreNumberedAmongRuns();
};

void TestVideoTracking::axisPoint_data()
{
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<double>("angle");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<QPointF>("expected");
    QTest::addColumn<double>("tolerance");
    QTest::newRow("right of origin") << QPoint(30, 100) << 0.0 << QPointF(130, 100) << QPointF(100, 0) << 1e-9;
    QTest::newRow("up and right") << QPoint(30, 100) << 0.0 << QPointF(130, 0) << QPointF(100, 100) << 1e-9;
    QTest::newRow("origin") << QPoint(30, 100) << 0.0 << QPointF(30, 100) << QPointF(0, 0) << 1e-9;
    // Left of the origin the rounded pi shows: Y = 100 sin(pi - 3.14159).
    QTest::newRow("left of origin") << QPoint(30, 100) << 0.0 << QPointF(-70, 100) << QPointF(-100, 0.000265)
                                    << 1e-6;
    QTest::newRow("below origin") << QPoint(30, 100) << 0.0 << QPointF(30, 150) << QPointF(0, -50) << 1e-3;
    QTest::newRow("above origin") << QPoint(30, 100) << 0.0 << QPointF(30, 50) << QPointF(0, 50) << 1e-3;
    QTest::newRow("turned 90") << QPoint(30, 100) << 90.0 << QPointF(30, 90) << QPointF(10, 0) << 1e-3;
    // Turned 30 degrees: a point on the turned X axis at distance 100.
    QTest::newRow("turned 30 on axis") << QPoint(0, 0) << 30.0
                                       << QPointF(100 * std::cos(M_PI / 6), -100 * std::sin(M_PI / 6))
                                       << QPointF(100, 0) << 1e-3;
}

void TestVideoTracking::axisPoint()
{
    QFETCH(QPoint, origin);
    QFETCH(double, angle);
    QFETCH(QPointF, point);
    QFETCH(QPointF, expected);
    QFETCH(double, tolerance);
    const QPointF r = VideoAxis::PointToAxisPoint(point, origin, angle);
    QVERIFY2(std::abs(r.x() - expected.x()) <= tolerance && std::abs(r.y() - expected.y()) <= std::max(tolerance, std::abs(expected.y()) * 0.005),
             qPrintable(QString("%1,%2").arg(r.x(), 0, 'g', 9).arg(r.y(), 0, 'g', 9)));
}

void TestVideoTracking::mappings()
{
    // A 640x480 frame in a 320x240 label: halves, truncated.
    QCOMPARE(VideoAxis::VideoViewPointToView(QPoint(101, 51), QSize(640, 480), QSize(320, 240)), QPoint(202, 102));
    QCOMPARE(VideoAxis::PointToVideoView(QPoint(203, 103), QSize(640, 480), QSize(320, 240)), QPoint(101, 51));
    // Odd ratios truncate toward zero, also for negative points.
    QCOMPARE(VideoAxis::VideoViewPointToView(QPoint(-1, 10), QSize(100, 100), QSize(300, 300)), QPoint(0, 3));
    // Without a frame, or with an empty label, points stay as they are.
    QCOMPARE(VideoAxis::VideoViewPointToView(QPoint(7, 9), QSize(), QSize(300, 300)), QPoint(7, 9));
    QCOMPARE(VideoAxis::VideoViewPointToView(QPoint(7, 9), QSize(100, 100), QSize(0, 0)), QPoint(7, 9));
    QCOMPARE(VideoAxis::PointToVideoView(QPoint(7, 9), QSize(0, 10), QSize(300, 300)), QPoint(7, 9));
}

void TestVideoTracking::originBoxEdges_data()
{
    QTest::addColumn<QPoint>("p");
    QTest::addColumn<bool>("inside");
    QTest::newRow("5 both ways") << QPoint(105, 205) << true;
    QTest::newRow("-5 both ways") << QPoint(95, 195) << true;
    QTest::newRow("6 right") << QPoint(106, 200) << false;
    QTest::newRow("6 up") << QPoint(100, 194) << false;
}

void TestVideoTracking::originBoxEdges()
{
    QFETCH(QPoint, p);
    QFETCH(bool, inside);
    QCOMPARE(VideoAxis::InOriginBox(p, QPoint(100, 200)), inside);
}

void TestVideoTracking::axisBandEdges_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<QPoint>("p");
    QTest::addColumn<bool>("inside");
    QTest::newRow("4 above") << 0.0 << QPoint(300, 196) << true;
    QTest::newRow("4 below") << 0.0 << QPoint(300, 204) << true;
    QTest::newRow("5 above") << 0.0 << QPoint(300, 195) << false;
    QTest::newRow("5 below") << 0.0 << QPoint(300, 205) << false;
    QTest::newRow("left of origin") << 0.0 << QPoint(10, 202) << true;
    // 45 degrees: 100 to the right the line is 100 higher.
    QTest::newRow("45 on line") << 45.0 << QPoint(200, 100) << true;
    QTest::newRow("45 off line") << 45.0 << QPoint(200, 200) << false;
    // A stored angle of 90 degrees has an infinitely steep line: nothing but finite tests.
    QTest::newRow("90 degrees") << 90.0 << QPoint(300, 200) << false;
}

void TestVideoTracking::axisBandEdges()
{
    QFETCH(double, angle);
    QFETCH(QPoint, p);
    QFETCH(bool, inside);
    QCOMPARE(VideoAxis::InAxisLineBand(p, QPoint(100, 200), angle), inside);
}

void TestVideoTracking::angleDrag_data()
{
    QTest::addColumn<QPoint>("q");
    QTest::addColumn<double>("expected");
    QTest::newRow("upper right 45") << QPoint(110, 190) << 45.0;
    QTest::newRow("right flat") << QPoint(150, 200) << 0.0;
    QTest::newRow("lower right -30") << QPoint(100 + 173, 200 + 100) << -30.0;
    QTest::newRow("steep up clamps 80") << QPoint(101, 100) << 80.0;
    QTest::newRow("steep down clamps -45") << QPoint(101, 300) << -45.0;
    QTest::newRow("straight above") << QPoint(100, 150) << -45.0;
    QTest::newRow("straight below") << QPoint(100, 250) << 80.0;
    // Left of the origin the line through it follows: upper left is a negative slope.
    QTest::newRow("upper left") << QPoint(90, 190) << -45.0;
    QTest::newRow("lower left") << QPoint(80, 210) << 26.565;
}

void TestVideoTracking::angleDrag()
{
    QFETCH(QPoint, q);
    QFETCH(double, expected);
    double angle = 1234.0;
    QVERIFY(VideoAxis::AngleFromDrag(q, QPoint(100, 200), &angle));
    QVERIFY2(std::abs(angle - expected) < 0.05, qPrintable(QString::number(angle)));
}

void TestVideoTracking::angleDragOnOriginIsIgnored()
{
    double angle = 12.5;
    QVERIFY(!VideoAxis::AngleFromDrag(QPoint(100, 200), QPoint(100, 200), &angle));
    QCOMPARE(angle, 12.5);
    QVERIFY(!std::isnan(angle));
}

void TestVideoTracking::selectionClamp_data()
{
    QTest::addColumn<QRect>("selection");
    QTest::addColumn<QRect>("expected");
    const QSize frame(320, 240);
    Q_UNUSED(frame);
    QTest::newRow("inside") << QRect(10, 10, 20, 20) << QRect(10, 10, 20, 20);
    QTest::newRow("past right edge") << QRect(310, 10, 30, 20) << QRect(310, 10, 10, 20);
    QTest::newRow("past top-left") << QRect(QPoint(-5, -8), QPoint(9, 9)) << QRect(QPoint(0, 0), QPoint(9, 9));
    QTest::newRow("bigger than frame") << QRect(-10, -10, 400, 300) << QRect(0, 0, 320, 240);
    QTest::newRow("wholly outside") << QRect(400, 10, 20, 20) << QRect();
    QTest::newRow("null") << QRect() << QRect();
}

void TestVideoTracking::selectionClamp()
{
    QFETCH(QRect, selection);
    QFETCH(QRect, expected);
    QCOMPARE(VideoAxis::ClampSelection(selection, QSize(320, 240)), expected);
}

void TestVideoTracking::buttonRules_data()
{
    // Inputs: available, playing, tracking, templateSet, runInProgress, trackingMode.
    QTest::addColumn<QVector<int>>("in");
    // Enabled: play, step, slider, mode, setObject, track.
    QTest::addColumn<QVector<int>>("enabled");
    QTest::newRow("nothing loaded") << QVector<int>{0, 0, 0, 0, 0, 0} << QVector<int>{0, 0, 0, 1, 0, 0};
    QTest::newRow("loaded, no object") << QVector<int>{1, 0, 0, 0, 0, 0} << QVector<int>{1, 1, 1, 1, 1, 0};
    QTest::newRow("loaded, object") << QVector<int>{1, 0, 0, 1, 0, 0} << QVector<int>{1, 1, 1, 1, 1, 1};
    QTest::newRow("playing") << QVector<int>{1, 1, 0, 1, 0, 0} << QVector<int>{1, 1, 1, 0, 0, 0};
    QTest::newRow("tracking") << QVector<int>{1, 0, 1, 1, 0, 0} << QVector<int>{0, 0, 1, 0, 0, 1};
    QTest::newRow("manual without object") << QVector<int>{1, 0, 0, 0, 0, 1} << QVector<int>{1, 1, 1, 1, 0, 1};
    QTest::newRow("logger run") << QVector<int>{1, 0, 0, 1, 1, 0} << QVector<int>{1, 1, 1, 1, 1, 0};
    QTest::newRow("no picture, playing") << QVector<int>{0, 1, 0, 0, 0, 0} << QVector<int>{0, 0, 0, 0, 0, 0};
}

void TestVideoTracking::buttonRules()
{
    QFETCH(QVector<int>, in);
    QFETCH(QVector<int>, enabled);
    VideoButtonInputs i;
    i.available = in[0];
    i.playing = in[1];
    i.tracking = in[2];
    i.templateSet = in[3];
    i.runInProgress = in[4];
    i.trackingMode = VideoTrackingMode(in[5]);
    i.modeEnabledBefore = true;
    const VideoButtonStates s = VideoButtonRules(i);
    const QVector<int> got{s.playEnabled, s.stepEnabled, s.sliderEnabled, s.modeEnabled, s.setObjectEnabled,
                           s.trackEnabled};
    QCOMPARE(got, enabled);
    // Check marks follow the state only while there is a picture.
    QCOMPARE(s.applyPlayChecked, bool(in[0]));
    QCOMPARE(s.playChecked, bool(in[1]));
    QCOMPARE(s.trackChecked, bool(in[2]));
    QCOMPARE(s.modeChecked, in[5] == 0);
}

void TestVideoTracking::playbackArithmetic()
{
    using namespace VideoPlayback;
    // 30 fps: frame 1 starts at 33.3 ms and is reported at 33.
    QCOMPARE(FrameAtPosition(0, 30.0), 0);
    QCOMPARE(FrameAtPosition(33, 30.0), 1);
    QCOMPARE(FrameAtPosition(50, 30.0), 1);
    QCOMPARE(FrameAtPosition(66, 30.0), 2);
    QCOMPARE(FrameAtPosition(1000, 25.0), 25);
    QCOMPARE(PositionOfFrame(1, 100, 4000), qint64(60));
    QCOMPARE(PositionOfFrame(99, 100, 4000), qint64(3980));
    // Frame 2 of a 15 fps video starts at 133.3 ms: the position lands inside it.
    QCOMPARE(FrameAtPosition(PositionOfFrame(2, 30, 2000), 15.0), 2);
    QCOMPARE(SliderValue(2000, 4000), 100);
    QCOMPARE(SliderTargetFrame(100, 30), qint64(15));
    QCOMPARE(FramePeriodMs(25.0), 40);
    QCOMPARE(TimeText(60000, 45, 90), QStringLiteral("00:00:30.000"));
    QCOMPARE(TimeText(7200000, 30, 30), QStringLiteral("02:00:00.000"));
    // 480 high less 80 of tool bars: 400 rows of picture, a 4:3 picture 533 wide (+ margins).
    QCOMPARE(FittedWidth(480, 2, 0, 3, 0, 640, 480), 2 + 533 + 3);
}

void TestVideoTracking::playbackArithmeticRefusesZeros()
{
    using namespace VideoPlayback;
    QCOMPARE(FrameAtPosition(5000, 0.0), 0);
    QCOMPARE(FrameAtPosition(5000, std::nan("")), 0);
    QCOMPARE(PositionOfFrame(3, 0, 4000), qint64(0));
    QCOMPARE(SliderValue(100, 0), 0);
    QCOMPARE(FramePeriodMs(0.0), 0);
    QCOMPARE(TimeText(4000, 3, 0), QStringLiteral("00:00:00.000"));
    QCOMPARE(FittedWidth(480, 1, 0, 1, 0, 0, 0), 2);
}

void TestVideoTracking::frameIndexOfTime_data()
{
    QTest::addColumn<qint64>("startUs");
    QTest::addColumn<qint64>("firstUs");
    QTest::addColumn<double>("fps");
    QTest::addColumn<int>("expected");
    QTest::newRow("played frame 7 at 25 fps") << qint64(280000) << qint64(0) << 25.0 << 7;
    // 30 fps frame starts cut to whole microseconds lie just short of their frame.
    QTest::newRow("played frame 1 at 30 fps") << qint64(33333) << qint64(0) << 30.0 << 1;
    QTest::newRow("played frame 29 at 30 fps") << qint64(966666) << qint64(0) << 30.0 << 29;
    // After a seek the picture starts at the seek position, the middle of its frame.
    QTest::newRow("sought middle of frame 10") << qint64(420000) << qint64(0) << 25.0 << 10;
    // A container whose clock starts at 80 ms (H.264 with reordered frames).
    QTest::newRow("clock starting at 80 ms") << qint64(500000) << qint64(80000) << 25.0 << 10;
    QTest::newRow("past the last frame") << qint64(9000000) << qint64(0) << 25.0 << 99;
    QTest::newRow("no time") << qint64(-1) << qint64(0) << 25.0 << -1;
    QTest::newRow("no rate") << qint64(40000) << qint64(0) << 0.0 << -1;
}

void TestVideoTracking::frameIndexOfTime()
{
    QFETCH(qint64, startUs);
    QFETCH(qint64, firstUs);
    QFETCH(double, fps);
    QFETCH(int, expected);
    QCOMPARE(VideoPlayback::FrameIndexOfTime(startUs, firstUs, fps, 100), expected);
}

void TestVideoTracking::fittedGeometry_data()
{
    // Margins 4, 24, 4, 4; the document area is 1000 x 700.
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QRect>("expected");
    // 4:3 at 500 high: picture 392 high, 522 wide, plus 8.
    QTest::newRow("fits where it is") << QSize(640, 480) << QRect(10, 10, 600, 500) << QRect(10, 10, 530, 500);
    QTest::newRow("moved left of the right edge") << QSize(640, 480) << QRect(800, 10, 600, 500)
                                                  << QRect(470, 10, 530, 500);
    // Taller than the area: 700 high, 797 wide.
    QTest::newRow("taller than the area") << QSize(640, 480) << QRect(300, 50, 600, 900) << QRect(203, 0, 797, 700);
    // 3:1 is too wide at any place at 690 high: a picture 992 wide is 330 high.
    QTest::newRow("too wide at its height") << QSize(900, 300) << QRect(50, 0, 600, 690) << QRect(2, 0, 998, 438);
}

void TestVideoTracking::fittedGeometry()
{
    QFETCH(QSize, picture);
    QFETCH(QRect, window);
    QFETCH(QRect, expected);
    QCOMPARE(VideoPlayback::FittedGeometry(window, QSize(1000, 700), QMargins(4, 24, 4, 4), picture, QSize(500, 300)),
             expected);
}

void TestVideoTracking::matchFindsMovingSquare()
{
    SquareVideo v;
    v.size = QSize(320, 240);
    v.side = 20;
    const QImage first = v.frameImage(0);
    const QImage tmpl = first.copy(QRect(v.cornerAt(0), QSize(v.side, v.side)).adjusted(-3, -3, 3, 3));
    for (int i : {0, 3, 11, 25}) {
        QPoint loc(-1, -1);
        QString error;
        QVERIFY2(TrackTemplateMatch(v.frameImage(i), tmpl, &loc, &error), qPrintable(error));
        QCOMPARE(loc, v.cornerAt(i) - QPoint(3, 3));
    }
}

void TestVideoTracking::largeFrameMatchIsExact_data()
{
    QTest::addColumn<QPoint>("corner");
    QTest::newRow("odd position") << QPoint(333, 217);
    QTest::newRow("near left top") << QPoint(1, 2);
    QTest::newRow("at right bottom") << QPoint(1280 - 40, 720 - 40);
}

void TestVideoTracking::largeFrameMatchIsExact()
{
    // A 1280x720 frame with the 40x40 object and, elsewhere, a square of another colour.
    QFETCH(QPoint, corner);
    QImage frame(1280, 720, QImage::Format_RGB32);
    frame.fill(QColor(230, 225, 220));
    QImage object(48, 48, QImage::Format_RGB32);
    object.fill(QColor(230, 225, 220));
    for (int y = 4; y < 44; ++y)
        for (int x = 4; x < 44; ++x)
            object.setPixel(x, y, qRgb(200, 60 + x, 30 + y));
    // The object in the frame: the template's middle, with the background around it.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            frame.setPixel(corner.x() + x, corner.y() + y, object.pixel(x + 4, y + 4));
            frame.setPixel((corner.x() + 600) % 1200 + x, (corner.y() + 300) % 660 + y, qRgb(60, 60, 200));
        }
    QPoint loc;
    QString error;
    QVERIFY2(TrackTemplateMatch(frame, object, &loc, &error), qPrintable(error));
    // The template's best place may stick out of the frame at the edges; inside, it is exact.
    const QPoint expected(qBound(0, corner.x() - 4, 1280 - 48), qBound(0, corner.y() - 4, 720 - 48));
    QCOMPARE(loc, expected);
}

void TestVideoTracking::matchRefusesBadTemplates()
{
    const QImage frame = SquareVideo().frameImage(0);
    QPoint loc(7, 7);
    QString error;
    QVERIFY(!TrackTemplateMatch(frame, QImage(), &loc, &error));
    QVERIFY(!error.isEmpty());
    error.clear();
    QVERIFY(!TrackTemplateMatch(frame, QImage(400, 10, QImage::Format_RGB32), &loc, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!TrackTemplateMatch(QImage(), QImage(4, 4, QImage::Format_RGB32), &loc, &error));
    QCOMPARE(loc, QPoint(7, 7));
}

void TestVideoTracking::movedPixelsTellObjectFromScenery_data()
{
    // The object of a thrown-ball video, cut at frame 0 with scenery around it, against frame k.
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("noise");     // added to every channel of frame k, at most
    QTest::addColumn<QPoint>("shift");  // of the rectangle given as the place it was cut from
    QTest::addColumn<int>("shrink");    // of that rectangle's sides
    QTest::addColumn<bool>("told");
    QTest::newRow("object gone from its place") << 20 << 0 << QPoint() << 0 << true;
    QTest::newRow("object still in place") << 0 << 0 << QPoint() << 0 << false;
    QTest::newRow("only compression noise") << 0 << 12 << QPoint() << 0 << false;
    QTest::newRow("moved, with noise") << 20 << 12 << QPoint() << 0 << true;
    QTest::newRow("cut in another size") << 20 << 0 << QPoint() << 10 << false;
    QTest::newRow("cut past the frame") << 20 << 0 << QPoint(-1000, 0) << 0 << false;
}

void TestVideoTracking::movedPixelsTellObjectFromScenery()
{
    QFETCH(int, frame);
    QFETCH(int, noise);
    QFETCH(QPoint, shift);
    QFETCH(int, shrink);
    QFETCH(bool, told);
    BallVideo v;
    v.path = BallVideo::Throw;
    v.textured = true;
    v.size = QSize(320, 240);
    v.frames = 40;
    v.radius = 8;
    const QPoint c = v.centreAt(0);
    const cv::Rect object(c.x() - 24, c.y() - 24, 49, 49);
    const cv::Mat objectTemplate = v.frameMat(0)(object).clone();
    cv::Mat later = v.frameMat(frame), n(later.size(), CV_8UC3);
    cv::RNG(5).fill(n, cv::RNG::UNIFORM, 0, noise + 1);
    later += n;
    const cv::Rect where(object.x + shift.x(), object.y + shift.y(), object.width - shrink, object.height - shrink);
    const cv::Mat moved = MovedPixels(later, objectTemplate, where);
    QCOMPARE(!moved.empty(), told);
    // What differs is the ball the template holds (a disc of radius 8 in its middle), not the
    // scenery around it.
    const int inBall = told ? cv::countNonZero(moved(cv::Rect(24 - 9, 24 - 9, 19, 19))) : 150;
    QVERIFY(inBall >= 150 && (moved.empty() || cv::countNonZero(moved) - inBall <= 10));
}

void TestVideoTracking::sixteenBitImagesConvert()
{
    // A 16-bit image holds half the bytes a 32-bit one of its size would; it must be widened,
    // not read past its buffer.
    QImage rgb16(33, 17, QImage::Format_RGB16);
    rgb16.fill(QColor(255, 0, 0));
    const cv::Mat m = qimage_to_mat_cpy(rgb16, CV_8UC4);
    QCOMPARE(m.rows, 17);
    QCOMPARE(m.cols, 33);
    QCOMPARE(m.channels(), 3);
    const cv::Vec3b px = m.at<cv::Vec3b>(16, 32);
    QCOMPARE(int(px[0]), 255);   // red first
    QCOMPARE(int(px[2]), 0);
    QVERIFY(qimage_to_mat_cpy(rgb16, CV_8UC3).empty());
    QVERIFY(qimage_to_mat_cpy(QImage(), CV_8UC4).empty());
}

void TestVideoTracking::trackerLearnsObjectFromScenery()
{
    // The red ball thrown over a checker, selected at three times its width. A patch of the
    // ball's red beside the selection makes its colour a poor guess, which the frames mend.
    BallVideo v;
    v.path = BallVideo::Throw;
    v.textured = v.periodic = true;
    v.size = QSize(640, 480);
    v.frames = 75;
    v.radius = 18;
    const auto frame = [&v](int i) {
        cv::Mat m = v.frameMat(i);
        cv::rectangle(m, cv::Rect(0, 350, 20, 100), cv::Scalar(30, 30, 220), cv::FILLED);
        return m;
    };
    const int side = 108;
    const cv::Rect cut(v.centreAt(0).x() - side / 2, v.centreAt(0).y() - side / 2, side, side);
    CObjectTracker tracker;
    QString error;
    QVERIFY(tracker.Start(frame(0)(cut).clone(), cut, &error));
    QVERIFY(tracker.Weights().empty());
    // The ball's inside, and the scenery: everything beyond the ball's rim, including what the
    // ball crosses within the selection as it leaves.
    cv::Mat ball(side, side, CV_8U, cv::Scalar(0));
    cv::circle(ball, cv::Point(side / 2, side / 2), 14, cv::Scalar(255), cv::FILLED);
    cv::Mat scenery(side, side, CV_8U, cv::Scalar(255));
    cv::circle(scenery, cv::Point(side / 2, side / 2), 21, cv::Scalar(0), cv::FILLED);
    double guessed = 0.0;
    for (int k = 0; k < 20; ++k) {
        cv::Point at;
        QVERIFY(tracker.Track(frame(k), &at, &error));
        const QPoint moved = v.centreAt(k) - v.centreAt(0);
        QCOMPARE(at, cut.tl() + cv::Point(moved.x(), moved.y()));
        if (k == 0)
            guessed = cv::mean(tracker.Weights(), ball)[0];
    }
    const cv::Mat learnt = tracker.Weights();
    double sceneryWeight = 1.0;
    cv::minMaxLoc(learnt, nullptr, &sceneryWeight, nullptr, nullptr, scenery);
    QVERIFY2(guessed < 0.7 && cv::mean(learnt, ball)[0] > 0.9 && sceneryWeight <= 0.05,
             qPrintable(QString("ball %1 then %2, scenery up to %3").arg(guessed).arg(cv::mean(learnt, ball)[0]).arg(sceneryWeight)));
}

void TestVideoTracking::trackerFindsObjectBeyondSearchArea()
{
    // The square moves 5 pixels a frame, then shows up 200 pixels away (a cut in the video).
    SquareVideo v;
    SquareVideo jumped = v;
    jumped.start = v.start + QPoint(200, 80);
    const QPoint c = v.cornerAt(0) - QPoint(4, 4);
    const cv::Rect cut(c.x(), c.y(), v.side + 8, v.side + 8);
    CObjectTracker tracker;
    QString error;
    QVERIFY(tracker.Start(v.frameMat(0)(cut).clone(), cut, &error));
    cv::Point at;
    for (int k = 0; k < 4; ++k)
        QVERIFY(tracker.Track(v.frameMat(k), &at, &error));
    for (int k = 4; k < 7; ++k) {
        QVERIFY(tracker.Track(jumped.frameMat(k), &at, &error));
        const QPoint expected = jumped.cornerAt(k) - QPoint(4, 4);
        QCOMPARE(at, cv::Point(expected.x(), expected.y()));
    }
}

void TestVideoTracking::trackerRefusesBadInput()
{
    const cv::Mat frame(50, 50, CV_8UC3, cv::Scalar(9, 9, 9));
    CObjectTracker tracker;
    QString error;
    cv::Point at(7, 7);
    QVERIFY(!tracker.Track(frame, &at, &error));
    QVERIFY(!error.isEmpty());
    error.clear();
    QVERIFY(!tracker.Start(cv::Mat(), cv::Rect(), &error));
    QVERIFY(!error.isEmpty());
    // A cut place of another size than the object is not where it was cut.
    QVERIFY(tracker.Start(cv::Mat(20, 20, CV_8UC3, cv::Scalar(200, 9, 9)), cv::Rect(0, 0, 30, 30), &error));
    for (const cv::Mat& bad : {cv::Mat(10, 40, CV_8UC3, cv::Scalar::all(0)), cv::Mat(50, 50, CV_8UC1, cv::Scalar(0))}) {
        error.clear();
        QVERIFY(!tracker.Track(bad, &at, &error));
        QVERIFY(!error.isEmpty());
    }
    QCOMPARE(at, cv::Point(7, 7));
    QVERIFY(tracker.Track(frame, &at, &error));
    QVERIFY(tracker.Weights().empty());
}

void TestVideoTracking::trackerThroughPluginFollowsSquare()
{
    SquareVideo v;
    CTemplateTracker tracker;
    QString error;
    QPoint at(7, 7);
    QVERIFY(!tracker.Track(v.frameImage(0), &at, &error));
    QVERIFY(!error.isEmpty());
    error.clear();
    QVERIFY(!tracker.Start(QImage(), QRect(), &error));
    QVERIFY(!error.isEmpty() && !tracker.Started());
    const QRect cut(v.cornerAt(0) - QPoint(4, 4), QSize(v.side + 8, v.side + 8));
    QVERIFY2(tracker.Start(v.frameImage(0).copy(cut), cut, &error), qPrintable(error));
    for (int k = 0; k < 6; ++k) {
        QVERIFY2(tracker.Track(v.frameImage(k), &at, &error), qPrintable(error));
        QCOMPARE(at, v.cornerAt(k) - QPoint(4, 4));
    }
    tracker.Stop();
    QVERIFY(!tracker.Started() && !tracker.Track(v.frameImage(6), &at, &error));
}

void TestVideoTracking::probeReadsGeneratedVideo()
{
    QTemporaryDir dir;
    SquareVideo v;
    v.fps = 25.0;
    v.frames = 40;
    const QString path = dir.filePath(QStringLiteral("square clip.avi"));
    QVERIFY(v.write(path));
    CVideoAnalysisPlayer probe;
    qint64 frames = -1;
    double fps = -1.0;
    QVERIFY(probe.GetVideoInfo(path, &frames, &fps));
    QCOMPARE(frames, qint64(40));
    QCOMPARE(fps, 25.0);
}

void TestVideoTracking::probeRefusesUnreadableAndEmpty()
{
    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty.avi"));
    QFile(empty).open(QIODevice::WriteOnly);
    const QString junk = dir.filePath(QStringLiteral("junk.mp4"));
    {
        QFile f(junk);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, '\x5a'));
    }
    CVideoAnalysisPlayer probe;
    qint64 frames = 77;
    double fps = 7.0;
    QVERIFY(!probe.GetVideoInfo(empty, &frames, &fps));
    QVERIFY(!probe.GetVideoInfo(junk, &frames, &fps));
    QVERIFY(!probe.GetVideoInfo(dir.filePath(QStringLiteral("missing.avi")), &frames, &fps));
    QVERIFY(!probe.GetVideoInfo(QString(), &frames, &fps));
    QCOMPARE(frames, qint64(77));
    QCOMPARE(fps, 7.0);
}

void TestVideoTracking::probeRefusesZeroRateOrCount_data()
{
    QTest::addColumn<double>("count");
    QTest::addColumn<double>("fps");
    QTest::addColumn<bool>("usable");
    QTest::newRow("ordinary") << 300.0 << 30.0 << true;
    QTest::newRow("no frames") << 0.0 << 30.0 << false;
    QTest::newRow("stream count") << -1.0 << 30.0 << false;
    QTest::newRow("no rate") << 300.0 << 0.0 << false;
    QTest::newRow("nan rate") << 300.0 << std::nan("") << false;
    QTest::newRow("infinite count") << HUGE_VAL << 30.0 << false;
    QTest::newRow("absurd rate") << 300.0 << 1e9 << false;
}

void TestVideoTracking::probeRefusesZeroRateOrCount()
{
    QFETCH(double, count);
    QFETCH(double, fps);
    QFETCH(bool, usable);
    QCOMPARE(CVideoAnalysisPlayer::UsableVideoInfo(count, fps), usable);
}

void TestVideoTracking::trackingRunMakesFolderAndBranches()
{
    CDataManager data;
    CTrackingRun run;
    // A 25 frames/s video: point k is frame k, 0.04 s apart.
    QVERIFY(run.Init(&data, QStringLiteral("Video Analysis 1"), QStringLiteral("X Position"), QStringLiteral("Y Position"),
                     1.0 / 25.0));
    CDataFolder* folder = data.GetDataFolder(run.m_FolderKey);
    QVERIFY(folder);
    QCOMPARE(folder->m_Name, QStringLiteral("Video Analysis 1"));
    QVERIFY(folder->m_bVideoAnalysis);
    QCOMPARE(folder->GetBranchKeys(), (QVector<int>{run.m_XBranchKey, run.m_YBranchKey}));
    CDataBranch* x = data.GetDataBranch(run.m_XBranchKey);
    CDataBranch* y = data.GetDataBranch(run.m_YBranchKey);
    QVERIFY(x && y);
    QCOMPARE(x->m_Name, QStringLiteral("X Position"));
    QCOMPARE(y->m_Name, QStringLiteral("Y Position"));
    QCOMPARE(x->m_SensorIndex, int(SensorIndexVideoTrack));
    QCOMPARE(x->m_Interval, 0.04);
    QCOMPARE(y->m_Interval, 0.04);
    QVERIFY(x->m_Unit.isEmpty());
    run.Record(&data, QPointF(10.5, -3), QPoint(1, 2));
    run.Record(&data, QPointF(11.5, -4), QPoint(3, 4));
    QCOMPARE(x->GetNumSamples(), 2);
    QCOMPARE(x->GetXSample(1), 1.0);
    QCOMPARE(x->GetYSample(1), 11.5);
    QCOMPARE(y->GetYSample(0), -3.0);
    QCOMPARE(run.m_Trail, (QVector<QPoint>{QPoint(1, 2), QPoint(3, 4)}));
    // A second run starts a fresh trail and counter in a new folder.
    const int firstFolder = run.m_FolderKey;
    // A video whose frame rate is unknown counts a frame as a second.
    QVERIFY(run.Init(&data, QStringLiteral("Video Analysis 2"), QStringLiteral("X"), QStringLiteral("Y"), qQNaN()));
    QCOMPARE(data.GetDataBranch(run.m_XBranchKey)->m_Interval, 1.0);
    QVERIFY(run.m_FolderKey != firstFolder);
    QVERIFY(run.m_Trail.isEmpty());
    QCOMPARE(run.m_SampleCounter, 0.0);
    // Without a data store only the trail grows.
    CTrackingRun bare;
    QVERIFY(!bare.Init(nullptr, QString(), QString(), QString()));
    bare.Record(nullptr, QPointF(1, 1), QPoint(5, 5));
    QCOMPARE(bare.m_Trail.size(), 1);
    QCOMPARE(bare.m_SampleCounter, 0.0);
}

// Six runs and four video tracks: the next run is Run 7, also in a store that read them back.
void TestVideoTracking::runsAreNumberedAmongRuns()
{
    CDataManager made, read;
    for (int i = 0; i < 10; ++i)
        QVERIFY(i < 6 ? made.CreateDataFolder() != nullptr : CTrackingRun().Init(&made, "Video Analysis", "X", "Y"));
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    QCOMPARE(made.SaveAllBranchesAndFoldersToFile(&out), 0);
    QDataStream in(bytes);
    qint16 tag = 0;
    while (RecordIO::ReadTag(in, tag))
        QCOMPARE(tag == RecordIO::TagFolder ? read.LoadFolderFromFile(&in) : read.LoadBranchFromFile(&in), 0);
    for (CDataManager* data : {&made, &read})
        QCOMPARE(data->CreateDataFolder()->m_Name, QStringLiteral("Run 7"));
}

KORVANTA_TEST_GUILESS_MAIN(TestVideoTracking)
#include "tst_video_tracking.moc"

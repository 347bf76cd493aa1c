// The video-analysis window offscreen with the real media player: loading generated videos,
// stepping and seeking, the mouse on the picture, tracking into runs and a linked run.
#include "windowbase/MultiAction.h"
#include "windowbase/PngReader.h"
#include "support/VideoFixture.h"
#include "support/VideoHost.h"
#include "support/VideoDrag.h"
#include "video/VideoAnlysisWindow.h"
#include "video/VideoPositionSlider.h"
#include "video/VideoSurface_Player.h"
#include "tracking/VideoRules.h"
#include "Core/Data/DataFolder.h"
#include "workspace/WorkspaceLoader.h"
#include "workspace/WorkspaceSaver.h"
#include "workspace/WorkspaceVideo.h"

#include <QDataStream>

#include <QElapsedTimer>
#include <QSlider>
#include <QTemporaryDir>
#include <QLabel>
#include <QToolButton>
#include "common/RecordCuts.h"
#include "common/TestMain.h"

#include <algorithm>
#include <cmath>

class TestVideoWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void beforeLoadOnlyOpenAxesAndModeAreOpen();
    void toolBarsShowBarePictures();
    void playerMadeAtFirstVideoAndWindowCounted();
    void loadShowsFirstFrameAndStops();
    void h264Mp4Loads();
    void steppingLandsOnFrames();
    void sliderSeeksToFrame();
    void playShowsStartAndPlayingAtOnce_data();
    void playShowsStartAndPlayingAtOnce();
    void sliderGesturesMoveFrameAndHandle_data();
    void sliderGesturesMoveFrameAndHandle();
    void pictureKeepsItsShape();
    void failedOpenKeepsPreviousVideo();
    void illegalCharactersRefused();
    void missingFileRefused();
    void sixteenBitFramesWidened();
    void originAndAngleDrag();
    void angleDragOntoOriginKeepsAngle();
    void selectionPastEdgeIsClamped();
    void automaticTrackingFollowsSquare();
    void oversizedObjectStopsTrackingCleanly();
    void manualTrackingRecordsClicksAndSteps();
    void deletedTrackLeavesNoTrail();
    void linkedRunGetsSamples_data();
    void linkedRunGetsSamples();
    void dragTextWithoutVideoRefused();
    void loadWithBrokenStream();
    void waitEndsWhenWindowCloses();
    void zeroDurationReportedAndHarmless();
    void loadedAnalysisRunsAreCounted();
    void closeRefusedWhileTracking();
    void workspaceRecordKeepsCopyAxisAndTrail();
    void recordCutAtEveryByteKeepsUnreadFields();

private:
    CVideoAnlysisWindow* makeWindow();
    bool loadAndSettle(CVideoAnlysisWindow* w, const QString& path);
    // Waits for a frame with the square at the expected step.
    bool waitForFrame(CVideoAnlysisWindow* w, int expected);

    QTemporaryDir m_Dir;
    SquareVideo m_Video;
    QString m_Path;
    CVideoHost* m_pHost = nullptr;
};

void TestVideoWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // The program's own picture reader: the slider's handle is drawn through it.
    KorvantaImages::InstallPngReader();
    m_Video.size = QSize(320, 240);
    m_Video.fps = 15.0;
    m_Video.frames = 30;
    m_Video.side = 20;
    m_Video.start = QPoint(40, 100);
    m_Video.step = QPoint(5, 0);
    m_Path = m_Dir.filePath(QStringLiteral("square.avi"));
    QVERIFY(m_Video.write(m_Path));
}

void TestVideoWindow::init()
{
    m_pHost = new CVideoHost;
    m_pHost->show();
}

void TestVideoWindow::cleanup()
{
    for (QMdiSubWindow* w : m_pHost->subWindowList()) {
        if (auto* v = qobject_cast<CVideoAnlysisWindow*>(w))
            v->isTracking = false;
    }
    delete m_pHost;
    m_pHost = nullptr;
}

CVideoAnlysisWindow* TestVideoWindow::makeWindow()
{
    auto* w = new CVideoAnlysisWindow(m_pHost, Qt::SubWindow);
    w->initWindow();
    m_pHost->addSubWindow(w);
    w->show();
    return w;
}

bool TestVideoWindow::loadAndSettle(CVideoAnlysisWindow* w, const QString& path)
{
    if (!w->LoadVideoFile(path))
        return false;
    w->SetVideoFile(path);
    QElapsedTimer t;
    t.start();
    // Settled once the stop has fetched the first frame again.
    while (!(!w->frameImage.isNull() && w->playState == CVideoAnlysisWindow::Stopped && !w->isStepping
             && w->player()->isVideoAvailable() && w->videoDuration > 0)) {
        if (t.elapsed() > 30000)
            return false;
        QTest::qWait(20);
    }
    QTest::qWait(150);
    return true;
}

bool TestVideoWindow::waitForFrame(CVideoAnlysisWindow* w, int expected)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5000) {
        if (SquareFrameIndex(w->frameImage, m_Video) == expected)
            return true;
        QTest::qWait(10);
    }
    qWarning("frame shown: %d, expected %d", SquareFrameIndex(w->frameImage, m_Video), expected);
    return false;
}

void TestVideoWindow::beforeLoadOnlyOpenAxesAndModeAreOpen()
{
    CVideoAnlysisWindow* w = makeWindow();
    w->UpdateButtons();
    QVERIFY(w->action(CVideoAnlysisWindow::KeyOpen)->isEnabled());
    QVERIFY(w->action(CVideoAnlysisWindow::KeyShowAxes)->isEnabled());
    QVERIFY(w->action(CVideoAnlysisWindow::KeyTrackingMode)->isEnabled());
    for (int key : {CVideoAnlysisWindow::KeyPlay, CVideoAnlysisWindow::KeyPreviousFrame,
                    CVideoAnlysisWindow::KeyNextFrame, CVideoAnlysisWindow::KeySetObject,
                    CVideoAnlysisWindow::KeyStartTracking})
        QVERIFY2(!w->action(key)->isEnabled(), qPrintable(QString::number(key)));
    QVERIFY(!w->slider()->isEnabled());
    // Unchecking the mode switches to manual tracking.
    w->action(CVideoAnlysisWindow::KeyTrackingMode)->trigger();
    QCOMPARE(w->trackingMode, VideoTrackingMode::Manual);
}

// The tool bars' buttons are their pictures and no more: three pixels wider and taller than the
// picture (no taller than the bar), five pixels apart on the playback bar and touching on the
// others, and neither a checked nor a pressed button gets a panel or a frame. The label on the
// axis bar writes in dark grey.
void TestVideoWindow::toolBarsShowBarePictures()
{
    CVideoAnlysisWindow* w = makeWindow();
    w->UpdateButtons();
    QToolButton* mode = nullptr;
    QToolButton* open = nullptr;
    QList<QToolButton*> playback;
    for (QToolButton* b : w->findChildren<QToolButton*>()) {
        if (!b->isVisible())
            continue;
        const QSize icon = b->iconSize();
        QCOMPARE(b->size(), QSize(icon.width() + 3, qMin(icon.height() + 3, 36)));
        if (b->defaultAction() == w->action(CVideoAnlysisWindow::KeyTrackingMode))
            mode = b;
        if (b->defaultAction() == w->action(CVideoAnlysisWindow::KeyOpen))
            open = b;
        if (icon == QSize(23, 34))
            playback.append(b);
    }
    QVERIFY(mode && open);
    QCOMPARE(playback.size(), 3);
    std::sort(playback.begin(), playback.end(), [](QToolButton* a, QToolButton* b) { return a->x() < b->x(); });
    for (int i = 0; i < 3; ++i)
        QCOMPARE(playback[i]->x(), i * 31);

    // The window's background left of the button's bar, and the button's outer columns
    // (the picture fills its height).
    auto edgesAreBackground = [w](QToolButton* b) {
        const QImage shot = w->grab().toImage();
        const QRect r(b->mapTo(w, QPoint()), b->size());
        const QRgb background = shot.pixel(b->parentWidget()->mapTo(w, QPoint()).x() - 2, r.center().y());
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x : {r.left(), r.right()})
                if (shot.pixel(x, y) != background)
                    return false;
        return true;
    };
    QVERIFY(mode->isChecked());
    QVERIFY(edgesAreBackground(mode));
    QTest::mousePress(open, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(open->isDown());
    QVERIFY(edgesAreBackground(open));
    open->setDown(false);

    QLabel* label = nullptr;
    for (QLabel* l : w->findChildren<QLabel*>())
        if (l->text() == QStringLiteral("Track Object:"))
            label = l;
    QVERIFY(label);
    const QImage text = label->grab().toImage();
    int darkest = 255;
    for (int y = 0; y < text.height(); ++y)
        for (int x = 0; x < text.width(); ++x)
            darkest = qMin(darkest, qGray(text.pixel(x, y)));
    QCOMPARE(darkest, 64);
}

// A window with no video yet has no player: Play does nothing, it still counts among the open
// video windows, and the first video opened makes the player.
void TestVideoWindow::playerMadeAtFirstVideoAndWindowCounted()
{
    const int open = CVideoAnlysisWindow::currentVideoWindowsCounter;
    CVideoAnlysisWindow* w = makeWindow();
    QCOMPARE(CVideoAnlysisWindow::currentVideoWindowsCounter, open + 1);
    QVERIFY(!w->player());
    w->OnPlayVideo();
    QCOMPARE(w->playState, int(CVideoAnlysisWindow::Stopped));
    QCOMPARE(w->surface()->frameCounter, qint64(0));
    QVERIFY(loadAndSettle(w, m_Path));
    QVERIFY(w->player());
    QCOMPARE(w->player()->volume(), 50);
    delete w;
    QCOMPARE(CVideoAnlysisWindow::currentVideoWindowsCounter, open);
}

void TestVideoWindow::loadShowsFirstFrameAndStops()
{
    CVideoAnlysisWindow* w = makeWindow();
    QSignalSpy stops(&m_pHost->m_Signals, &CKorvantaSignals::VideoPlaybackStop);
    QVERIFY(loadAndSettle(w, m_Path));
    QCOMPARE(w->frameCount, qint64(30));
    QCOMPARE(w->frameRate, 15.0);
    QCOMPARE(w->frameImage.size(), QSize(320, 240));
    QCOMPARE(SquareFrameIndex(w->frameImage, m_Video), 0);
    QCOMPARE(w->axisOrigin, QPoint(30, 192));
    QCOMPARE(w->player()->volume(), 50);
    QVERIFY(stops.count() >= 1);
    // The window takes the picture's shape at its height: 4:3 over the picture area.
    const QMargins m = w->contentsMargins();
    const int expected = int(m.left() + (w->height() - 80 - m.top() - m.bottom()) * (320.0 / 240.0) + m.right());
    QVERIFY2(std::abs(w->width() - expected) <= 1, qPrintable(QString("%1 vs %2").arg(w->width()).arg(expected)));
    w->UpdateButtons();
    QVERIFY(w->action(CVideoAnlysisWindow::KeyPlay)->isEnabled());
    QVERIFY(w->action(CVideoAnlysisWindow::KeySetObject)->isEnabled());
    QVERIFY(!w->action(CVideoAnlysisWindow::KeyStartTracking)->isEnabled());
}

void TestVideoWindow::h264Mp4Loads()
{
    const QString mp4 = m_Dir.filePath(QStringLiteral("square.mp4"));
    if (!m_Video.write(mp4, true))
        QSKIP("no H.264 encoder to make the test video");
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(loadAndSettle(w, mp4));
    QCOMPARE(w->frameCount, qint64(30));
    QCOMPARE(SquareFrameIndex(w->frameImage, m_Video), 0);
    w->OnNextFrame();
    QVERIFY(waitForFrame(w, 1));
}

void TestVideoWindow::steppingLandsOnFrames()
{
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(loadAndSettle(w, m_Path));
    for (int i = 1; i <= 4; ++i) {
        w->OnNextFrame();
        QVERIFY(waitForFrame(w, i));
        QCOMPARE(w->surface()->frameCounter, qint64(i));
        QTest::qWait(50);
    }
    // Back goes one frame.
    w->OnPrevFrame();
    QVERIFY(waitForFrame(w, 3));
    QCOMPARE(w->surface()->frameCounter, qint64(3));
    QVERIFY(!w->isStepping);
    // At the last frame a step forward stays.
    w->surface()->frameCounter = 29;
    w->OnNextFrame();
    QTest::qWait(200);
    QCOMPARE(w->surface()->frameCounter, qint64(29));
}

void TestVideoWindow::sliderSeeksToFrame()
{
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(loadAndSettle(w, m_Path));
    w->slider()->setValue(100);
    w->OnSliderChanged();
    QCOMPARE(w->surface()->frameCounter, qint64(15));
    QVERIFY(waitForFrame(w, 15));
    // The value of the frame already shown does nothing.
    w->OnSliderChanged();
    QCOMPARE(w->surface()->frameCounter, qint64(15));
}

void TestVideoWindow::playShowsStartAndPlayingAtOnce_data()
{
    QTest::addColumn<bool>("stopByCommand");
    QTest::newRow("played to the end") << false;
    QTest::newRow("stopped by the command") << true;
}

// Play goes back to the start: the handle and the time show it before any frame comes, and the
// command shows a stop sign while the video plays, the play sign again once it stops.
void TestVideoWindow::playShowsStartAndPlayingAtOnce()
{
    QFETCH(bool, stopByCommand);
    auto picture = [](const QIcon& icon) { return icon.pixmap(38, 38).toImage(); };
    const QImage playSign = picture(QIcon(QStringLiteral("://images/Video/Play_normal.png")));
    const QImage stopSign = picture(QIcon(QStringLiteral("://images/Video/Stop_normal.png")));
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(playSign != stopSign && loadAndSettle(w, m_Path));
    MultiAction* play = w->action(CVideoAnlysisWindow::KeyPlay);
    w->slider()->setValue(100);
    w->OnSliderChanged();
    QVERIFY(waitForFrame(w, 15));
    QTRY_VERIFY(!w->isStepping);
    const QString start = VideoPlayback::TimeText(w->videoDuration, 0, w->frameCount);
    QVERIFY(w->slider()->value() > 0 && w->timeText()->text() != start && picture(play->icon()) == playSign);
    w->OnPlayVideo();
    QCOMPARE(w->slider()->value(), 0);
    QCOMPARE(w->timeText()->text(), start);
    QCOMPARE(picture(play->icon()), stopSign);
    if (stopByCommand)
        w->OnPlayVideo();
    QTRY_VERIFY_WITH_TIMEOUT(w->playState == CVideoAnlysisWindow::Stopped, 10000);
    QCOMPARE(picture(play->icon()), playSign);
}

void TestVideoWindow::sliderGesturesMoveFrameAndHandle_data()
{
    QTest::addColumn<double>("along");   // where on the bar the pointer ends; 0: Next Frame instead
    QTest::addColumn<bool>("grab");      // pressed on the handle, else on the bar where it ends
    QTest::addColumn<int>("frame");
    QTest::addColumn<qreal>("ratio");    // the handle is then drawn at this pixel ratio
    QTest::newRow("handle dragged") << 0.5 << true << 15 << 1.0;
    QTest::newRow("groove clicked") << 0.75 << false << 22 << 2.0;
    QTest::newRow("next frame") << 0.0 << false << 1 << 1.0;
}

void TestVideoWindow::sliderGesturesMoveFrameAndHandle()
{
    QFETCH(double, along);
    QFETCH(bool, grab);
    QFETCH(int, frame);
    QFETCH(qreal, ratio);
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(loadAndSettle(w, m_Path));
    w->UpdateButtons();
    CVideoPositionSlider* s = w->slider();
    const QPoint handle = s->handleRect().center(), to(int(s->width() * along), handle.y());
    if (along > 0.0)
        DragOnWindow(s, grab ? handle : to, to);
    else
        w->OnNextFrame();
    QTRY_VERIFY_WITH_TIMEOUT(std::abs(SquareFrameIndex(w->frameImage, m_Video) - frame) <= 1 && !w->isStepping, 5000);
    // The handle stands on the frame shown, and is drawn there: just above the thin groove its
    // dot covers the background that the same row shows at the bar's end.
    const int shown = SquareFrameIndex(w->frameImage, m_Video);
    QCOMPARE(VideoPlayback::SliderTargetFrame(s->value(), w->frameCount), qint64(shown));
    QImage shot(s->size() * ratio, QImage::Format_ARGB32);
    shot.setDevicePixelRatio(ratio);
    shot.fill(Qt::white);
    s->render(&shot);
    const QPoint dot = s->handleRect().center() - QPoint(0, 3);
    QVERIFY(shot.pixel(dot * ratio) != shot.pixel(QPoint(1, dot.y()) * ratio));
}

void TestVideoWindow::pictureKeepsItsShape()
{
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(loadAndSettle(w, m_Path));
    // Wider, then taller than the video: its light background is where the frame is drawn, at
    // the video's 4:3, centred between black bars.
    for (const QSize& grow : {QSize(300, 0), QSize(-300, 250)}) {
        w->resize(w->size() + grow);
        const QImage view = w->label()->pixmap(Qt::ReturnByValue).toImage();
        QRect light;
        for (int y = 0; y < view.height(); ++y)
            for (int x = 0; x < view.width(); ++x)
                if (qGray(view.pixel(x, y)) > 200)
                    light |= QRect(x, y, 1, 1);
        QVERIFY2(std::abs(light.width() * 3.0 / (light.height() * 4.0) - 1.0) < 0.01,
                 qPrintable(QString("%1 x %2").arg(light.width()).arg(light.height())));
        QVERIFY(light.width() == view.width() || light.height() == view.height());
        QVERIFY((light.center() - view.rect().center()).manhattanLength() <= 2);
    }
}

void TestVideoWindow::failedOpenKeepsPreviousVideo()
{
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(loadAndSettle(w, m_Path));
    const QString bad = m_Dir.filePath(QStringLiteral("broken.avi"));
    {
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a video at all");
    }
    m_pHost->m_Prompter.m_File = bad;
    w->OnOpenVideo();
    QCOMPARE(m_pHost->m_Prompter.boxes("warn crit").size(), 1);
    QVERIFY(m_pHost->m_Prompter.boxes("warn crit").first().endsWith(QStringLiteral("|Loading video file failed...")));
    QCOMPARE(w->VideoFile(), m_Path);
    QCOMPARE(w->frameCount, qint64(30));
    // The file chooser was offered the video filter.
    QVERIFY(m_pHost->m_Prompter.m_Log.filter("file|").last().endsWith(QStringLiteral("(*.mpg *.mp4 *.avi *.wmv *.mov)")));
    // Cancelling changes nothing and says nothing.
    m_pHost->m_Prompter.m_File.clear();
    w->OnOpenVideo();
    QCOMPARE(m_pHost->m_Prompter.boxes("warn crit").size(), 1);
}

void TestVideoWindow::illegalCharactersRefused()
{
    CVideoAnlysisWindow* w = makeWindow();
    for (const char* name : {"a%b/clip.avi", "clip#1.avi", "up^.avi", "back`tick.avi"}) {
        m_pHost->m_Prompter.m_File = m_Dir.filePath(QString::fromLatin1(name));
        w->OnOpenVideo();
    }
    QCOMPARE(m_pHost->m_Prompter.boxes("info").size(), 4);
    QVERIFY(m_pHost->m_Prompter.boxes("info").first().contains(QStringLiteral("illegal characters")));
    QVERIFY(m_pHost->m_Prompter.boxes("warn crit").isEmpty());
    QVERIFY(w->VideoFile().isEmpty());
}

void TestVideoWindow::missingFileRefused()
{
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(!w->LoadVideoFile(m_Dir.filePath(QStringLiteral("gone.avi"))));
    QCOMPARE(m_pHost->m_Prompter.boxes("warn crit"), QStringList{QStringLiteral("Video|Video file not found.")});
    QCOMPARE(w->playState, int(CVideoAnlysisWindow::Stopped));
}

void TestVideoWindow::sixteenBitFramesWidened()
{
    // A 3x2 RGB565 frame with a padded line of 8 bytes: pure red, green and blue pixels.
    const quint16 red = 0xF800, green = 0x07E0, blue = 0x001F;
    quint16 buf[8] = {red, green, blue, 0xFFFF, blue, green, red, 0xFFFF};
    const QImage img = CVideoSurface_Player::FrameToImage(reinterpret_cast<const uchar*>(buf), 3, 2, 8, sizeof buf,
                                                          QVideoFrame::Format_RGB565, false);
    QCOMPARE(img.format(), QImage::Format_ARGB32);
    QCOMPARE(img.size(), QSize(3, 2));
    QCOMPARE(img.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(img.pixel(1, 0), qRgb(0, 255, 0));
    QCOMPARE(img.pixel(2, 1), qRgb(255, 0, 0));
    // Turned upright when the frame runs bottom to top.
    const QImage turned = CVideoSurface_Player::FrameToImage(reinterpret_cast<const uchar*>(buf), 3, 2, 8, sizeof buf,
                                                             QVideoFrame::Format_RGB565, true);
    QCOMPARE(turned.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(turned.pixel(2, 0), qRgb(0, 0, 255));
    // A buffer shorter than its lines claim, or lines shorter than the width, give nothing.
    QVERIFY(CVideoSurface_Player::FrameToImage(reinterpret_cast<const uchar*>(buf), 3, 2, 8, 12,
                                               QVideoFrame::Format_RGB565, false).isNull());
    QVERIFY(CVideoSurface_Player::FrameToImage(reinterpret_cast<const uchar*>(buf), 3, 2, 4, sizeof buf,
                                               QVideoFrame::Format_RGB32, false).isNull());
    QVERIFY(CVideoSurface_Player::FrameToImage(reinterpret_cast<const uchar*>(buf), 3, 2, 8, sizeof buf,
                                               QVideoFrame::Format_YUV420P, false).isNull());
}

void TestVideoWindow::originAndAngleDrag()
{
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(loadAndSettle(w, m_Path));
    QCOMPARE(w->axisOrigin, QPoint(30, 192));
    // Drag the origin by its box to (60, 150).
    DragOnWindow(w, WindowPointOfFrame(w, QPoint(30, 192)), WindowPointOfFrame(w, QPoint(60, 150)));
    QVERIFY2((w->axisOrigin - QPoint(60, 150)).manhattanLength() <= 2,
             qPrintable(QString("%1,%2").arg(w->axisOrigin.x()).arg(w->axisOrigin.y())));
    const QPoint o = w->axisOrigin;
    // Grab the axis 100 to the right and pull it up by 100: 45 degrees.
    DragOnWindow(w, WindowPointOfFrame(w, o + QPoint(100, 0)), WindowPointOfFrame(w, o + QPoint(100, -100)));
    QVERIFY2(std::abs(w->axisAngle - 45.0) < 2.0, qPrintable(QString::number(w->axisAngle)));
    QCOMPARE(w->dragState, int(CVideoAnlysisWindow::DragNone));
}

void TestVideoWindow::angleDragOntoOriginKeepsAngle()
{
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(loadAndSettle(w, m_Path));
    w->axisAngle = 10.0;
    const QPoint o = w->axisOrigin;
    // Grab the line left of the origin, then land exactly on the origin.
    const QPoint grab = WindowPointOfFrame(w, QPoint(o.x() + 100, o.y() - int(std::tan(10.0 * M_PI / 180) * 100)));
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, grab);
    QCOMPARE(w->dragState, int(CVideoAnlysisWindow::DragAngle));
    const QPoint onOrigin = WindowPointOfFrame(w, o);
    QCOMPARE(w->WindowPointToFrame(onOrigin), o);
    QMouseEvent move(QEvent::MouseMove, onOrigin, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    QVERIFY(!std::isnan(w->axisAngle));
    QCOMPARE(w->axisAngle, 10.0);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, onOrigin);
}

void TestVideoWindow::selectionPastEdgeIsClamped()
{
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(loadAndSettle(w, m_Path));
    w->OnSetObject();
    QCOMPARE(w->axisMode, VideoAxisMode::SelectObject);
    // From (300, 50) to beyond the picture's right edge: the object keeps the part inside.
    const QPoint from = WindowPointOfFrame(w, QPoint(300, 50));
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from);
    const QPoint right(w->label()->pos().x() + w->label()->width() - 1, from.y() + 30);
    QMouseEvent move(QEvent::MouseMove, right, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, right);
    QVERIFY(w->templateSet);
    QVERIFY(w->selectionRect.right() <= 319);
    QVERIFY(w->selectionRect.left() >= 299 && w->selectionRect.left() <= 301);
    QCOMPARE(w->objectTemplate.size(), w->selectionRect.size());
    QVERIFY(QRect(0, 0, 320, 240).contains(w->selectionRect));
    // Still selecting after the release; Set Object leaves it.
    QCOMPARE(w->axisMode, VideoAxisMode::SelectObject);
    w->OnSetObject();
    QCOMPARE(w->axisMode, VideoAxisMode::None);
}

void TestVideoWindow::automaticTrackingFollowsSquare()
{
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(loadAndSettle(w, m_Path));
    w->OnSetObject();
    // A box around the square of frame 0 with 4 pixels to spare.
    const QPoint c = m_Video.cornerAt(0);
    DragOnWindow(w, WindowPointOfFrame(w, c - QPoint(4, 4)), WindowPointOfFrame(w, c + QPoint(22, 22)));
    QVERIFY(w->templateSet);
    const QRect sel = w->selectionRect;
    QVERIFY(sel.width() >= 20 && sel.height() >= 20);
    QSignalSpy starts(&m_pHost->m_Signals, &CKorvantaSignals::VideoAnalysisStart);
    QSignalSpy stops(&m_pHost->m_Signals, &CKorvantaSignals::VideoAnalysisStop);
    QSignalSpy data(&m_pHost->m_Signals, &CKorvantaSignals::LoggerNewDataArrived);
    const int runBefore = CVideoAnlysisWindow::trackingRunCounter;
    w->UpdateButtons();
    QVERIFY(w->action(CVideoAnlysisWindow::KeyStartTracking)->isEnabled());
    w->OnStartTrack();
    QVERIFY(w->isTracking);
    QCOMPARE(w->axisMode, VideoAxisMode::None);
    QCOMPARE(starts.count(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!w->isTracking, 20000);
    QCOMPARE(stops.count(), 1);
    QCOMPARE(CVideoAnlysisWindow::trackingRunCounter, runBefore + 1);

    const CTrackingRun& run = w->TrackingRun();
    CDataFolder* folder = m_pHost->m_Data.GetDataFolder(run.m_FolderKey);
    QVERIFY(folder);
    QCOMPARE(folder->m_Name, QStringLiteral("Video Analysis %1").arg(runBefore + 1));
    QCOMPARE(starts.first().first().toInt(), run.m_FolderKey);
    CDataBranch* x = m_pHost->m_Data.GetDataBranch(run.m_XBranchKey);
    CDataBranch* y = m_pHost->m_Data.GetDataBranch(run.m_YBranchKey);
    QVERIFY(x && y);
    const int n = x->GetNumSamples();
    QVERIFY2(n >= 10, qPrintable(QString::number(n)));
    QCOMPARE(data.count(), n);
    QCOMPARE(run.m_Trail.size(), n);
    QCOMPARE(m_pHost->m_NewFolders, 1);
    // Every point lies on the square's path: its centre, in axis units from the origin, is
    // (50 + 5 i - ox, oy - 110) for some frame i.
    const QPoint o = w->axisOrigin;
    const QPoint matchOffset = sel.topLeft() - c;
    // Point k is frame k: the branches count time in the video's frame period.
    QCOMPARE(x->m_Interval, 1.0 / w->frameRate);
    for (int k = 0; k < n; ++k) {
        QCOMPARE(x->GetXSample(k), double(k));
        const double ax = x->GetYSample(k);
        const double ay = y->GetYSample(k);
        // The recorded centre is the match corner plus half the selection.
        const double pathY = o.y() - (c.y() + matchOffset.y() + sel.height() / 2);
        QVERIFY2(std::abs(ay - pathY) <= 1.0, qPrintable(QString("sample %1: y %2 vs %3").arg(k).arg(ay).arg(pathY)));
        const double firstX = c.x() + matchOffset.x() + sel.width() / 2 - o.x();
        const double steps = (ax - firstX) / m_Video.step.x();
        QVERIFY2(std::abs(steps - std::round(steps)) * m_Video.step.x() <= 1.0 && steps > -0.5 && steps < 29.5,
                 qPrintable(QString("sample %1: x %2, first %3, selection %4,%5 %6x%7")
                                .arg(k).arg(ax).arg(firstX).arg(sel.x()).arg(sel.y()).arg(sel.width()).arg(sel.height())));
    }
    // The run went from the start to the end of the video.
    QVERIFY(x->GetYSample(0) < x->GetYSample(n - 1));
    QVERIFY(x->GetYSample(n - 1) - x->GetYSample(0) >= 5.0 * 20);
    // The trail stays after the run.
    QVERIFY(!run.m_Trail.isEmpty());
}

void TestVideoWindow::oversizedObjectStopsTrackingCleanly()
{
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(loadAndSettle(w, m_Path));
    // An object bigger than the frame (cut from another video) cannot be searched for.
    w->objectTemplate = QImage(400, 300, QImage::Format_RGB32);
    w->objectTemplate.fill(Qt::gray);
    w->selectionRect = QRect(0, 0, 400, 300);
    w->templateSet = true;
    QSignalSpy stops(&m_pHost->m_Signals, &CKorvantaSignals::VideoAnalysisStop);
    w->OnStartTrack();
    QTRY_VERIFY_WITH_TIMEOUT(!w->isTracking, 10000);
    QCOMPARE(stops.count(), 1);
    QTRY_COMPARE(m_pHost->m_Prompter.boxes("warn crit").size(), 1);
    QVERIFY(m_pHost->m_Prompter.boxes("warn crit").first().contains(QStringLiteral("Tracking stopped")));
    CDataBranch* x = m_pHost->m_Data.GetDataBranch(w->TrackingRun().m_XBranchKey);
    QVERIFY(x);
    QCOMPARE(x->GetNumSamples(), 0);
}

void TestVideoWindow::manualTrackingRecordsClicksAndSteps()
{
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(loadAndSettle(w, m_Path));
    w->action(CVideoAnlysisWindow::KeyTrackingMode)->trigger();
    QCOMPARE(w->trackingMode, VideoTrackingMode::Manual);
    w->axisOrigin = QPoint(0, 240);
    w->OnStartTrack();
    QVERIFY(w->isTracking);
    QTest::qWait(300);
    for (int i = 0; i < 3; ++i) {
        // The click maps to frame pixels through the place the picture is drawn.
        const QPoint click = WindowPointOfFrame(w, m_Video.centreAt(i));
        QCOMPARE(w->WindowPointToFrame(click), m_Video.centreAt(i));
        QTRY_VERIFY(w->RequestedFrame() < 0);
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, click);
    }
    const CTrackingRun& run = w->TrackingRun();
    CDataBranch* x = m_pHost->m_Data.GetDataBranch(run.m_XBranchKey);
    CDataBranch* y = m_pHost->m_Data.GetDataBranch(run.m_YBranchKey);
    QVERIFY(x && y);
    QCOMPARE(x->GetNumSamples(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(x->GetYSample(i), double(m_Video.centreAt(i).x()));
        QVERIFY(std::abs(y->GetYSample(i) - (240 - m_Video.centreAt(i).y())) < 1e-3);
    }
    QCOMPARE(run.m_Trail.first(), m_Video.centreAt(0));
    QVERIFY(w->isTracking);
    // The track command ends the run.
    w->OnStartTrack();
    QVERIFY(!w->isTracking);
}

// The History deletes a track's series one by one, telling every window first; the window
// draws no trail of a track that is gone.
void TestVideoWindow::deletedTrackLeavesNoTrail()
{
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(loadAndSettle(w, m_Path));
    w->action(CVideoAnlysisWindow::KeyTrackingMode)->trigger();
    w->axisOrigin = QPoint(0, 240);
    w->OnStartTrack();
    for (int i = 0; i < 3; ++i) {
        QTRY_VERIFY(w->RequestedFrame() < 0);
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, WindowPointOfFrame(w, m_Video.centreAt(i)));
    }
    w->OnStartTrack();
    QVERIFY(!w->isTracking);
    const auto dotAt = [w](const QPoint& framePoint) {
        const QImage view = w->label()->pixmap(Qt::ReturnByValue).toImage();
        const QPoint p = w->PointToVideoView(framePoint);
        return view.valid(p) && qGreen(view.pixel(p)) > 150 && qRed(view.pixel(p)) < 100;
    };
    const QPoint first = m_Video.centreAt(0);
    QTRY_VERIFY(dotAt(first));
    const CTrackingRun run = w->TrackingRun();
    QCOMPARE(run.m_Trail.size(), 3);
    // Another series going leaves the track alone.
    emit m_pHost->m_Signals.dataKeyIsDeleted(std::max(run.m_XBranchKey, run.m_YBranchKey) + 100);
    QCOMPARE(w->TrackingRun().m_Trail.size(), 3);

    for (int key : {run.m_XBranchKey, run.m_YBranchKey}) {
        emit m_pHost->m_Signals.dataKeyIsDeleted(key);
        m_pHost->m_Data.DeleteDataBranch(key);
    }
    m_pHost->m_Data.DeleteDataFolder(run.m_FolderKey);
    QVERIFY(w->TrackingRun().m_Trail.isEmpty());
    QVERIFY(!dotAt(first));
}

void TestVideoWindow::linkedRunGetsSamples_data()
{
    QTest::addColumn<int>("busyMs");
    // A frame held this long once the run's sample 100 was reached: the player's stream breaks off.
    QTest::addColumn<int>("stallMs");
    QTest::newRow("played at its pace") << 0 << 0;
    QTest::newRow("window busy for half a second") << 500 << 0;
    QTest::newRow("window busy past the video's end") << 2500 << 0;
    QTest::newRow("stream broken off half-way") << 0 << 600;
}

void TestVideoWindow::linkedRunGetsSamples()
{
    QFETCH(int, busyMs);
    QFETCH(int, stallMs);
    CVideoAnlysisWindow* w = makeWindow();
    CDataFolder* folder = m_pHost->m_Data.CreateDataFolder();
    const int branch = m_pHost->m_Data.CreateDataBranch(-1, 0.1, 0, 0, folder->m_Key);
    folder->AddBranchKey(branch);
    folder->m_VideoFile = m_Path;
    for (int f = 0; f < 30; ++f)
        folder->AddVideoFrameAndSampleIndex(f, 10 * f);
    // Dropping the run's data-tree entry links it and loads its video.
    QVERIFY(w->LinkRunFromDragText(QStringLiteral("Run 1,xx,%1").arg(branch)));
    QCOMPARE(w->LinkedFolderKey(), folder->m_Key);
    QCOMPARE(w->VideoFile(), m_Path);
    QTRY_VERIFY_WITH_TIMEOUT(w->playState == CVideoAnlysisWindow::Stopped && w->videoDuration > 0, 10000);
    QTest::qWait(1200);

    QSignalSpy samples(&m_pHost->m_Signals, &CKorvantaSignals::VideoPlaybackSample);
    for (int i = 1; i <= 3; ++i) {
        w->OnNextFrame();
        QVERIFY(waitForFrame(w, i));
        QTRY_VERIFY(!samples.isEmpty());
        QCOMPARE(samples.last().first().toInt(), 10 * i);
        QTest::qWait(50);
    }

    // Played through: start with the folder key, samples of the pairs in order, stop at the end.
    QSignalSpy starts(&m_pHost->m_Signals, &CKorvantaSignals::VideoPlaybackStart);
    QSignalSpy stops(&m_pHost->m_Signals, &CKorvantaSignals::VideoPlaybackStop);
    samples.clear();
    QSignalSpy errors(w->player(), QOverload<QMediaPlayer::Error>::of(&QMediaPlayer::error));
    bool stalled = false;
    const QMetaObject::Connection stall =
        connect(&m_pHost->m_Signals, &CKorvantaSignals::VideoPlaybackSample, w, [&](int sample) {
            if (stallMs > 0 && !stalled && sample >= 100) {
                stalled = true;
                w->surface()->stallNextFrameMs = stallMs;
            }
        });
    w->OnPlayVideo();
    // A busy window: the player drops the frames it cannot hand over meanwhile.
    QThread::msleep(busyMs);
    QCOMPARE(starts.count(), 1);
    QCOMPARE(starts.first().first().toInt(), folder->m_Key);
    QTRY_VERIFY_WITH_TIMEOUT(stops.count() >= 1, 15000);
    QCOMPARE(w->playState, int(CVideoAnlysisWindow::Stopped));
    // However many frames came, the play-through ends on the last one, and the run's sample
    // is that frame's.
    QCOMPARE(w->surface()->frameCounter, qint64(29));
    QCOMPARE(SquareFrameIndex(w->frameImage, m_Video), 29);
    QVERIFY(!samples.isEmpty());
    QCOMPARE(samples.last().first().toInt(), 290);
    int previous = -1;
    for (const QList<QVariant>& s : samples) {
        const int v = s.first().toInt();
        QCOMPARE(v % 10, 0);
        QVERIFY(v >= previous);
        previous = v;
    }
    QVERIFY(previous >= 100);
    disconnect(stall);
    // The held frame broke the stream off (a loaded machine may break it in any row).
    if (stallMs > 0)
        QVERIFY(!errors.isEmpty());
}

void TestVideoWindow::loadWithBrokenStream()
{
    // The first frame is held longer than the player waits for it: the stream breaks off
    // before the player has told the video's length.
    CVideoAnlysisWindow* w = makeWindow();
    w->surface()->stallNextFrameMs = 600;
    QVERIFY(w->LoadVideoFile(m_Path));
    QSignalSpy errors(w->player(), QOverload<QMediaPlayer::Error>::of(&QMediaPlayer::error));
    QTRY_VERIFY_WITH_TIMEOUT(w->playState == CVideoAnlysisWindow::Stopped && w->videoDuration > 0
                                 && !w->frameImage.isNull(), 10000);
    QTest::qWait(1500);
    QVERIFY(!errors.isEmpty());
    QCOMPARE(w->videoDuration, qint64(2000));
    QVERIFY(m_pHost->m_Prompter.boxes("warn crit").isEmpty());
    for (int i = 1; i <= 3; ++i) {
        w->OnNextFrame();
        QVERIFY(waitForFrame(w, i));
    }
}

void TestVideoWindow::dragTextWithoutVideoRefused()
{
    CVideoAnlysisWindow* w = makeWindow();
    CDataFolder* plain = m_pHost->m_Data.CreateDataFolder();
    const int branch = m_pHost->m_Data.CreateDataBranch(-1, 0.1, 0, 0, plain->m_Key);
    plain->AddBranchKey(branch);
    QCOMPARE(w->LinkableFolderOfDragText(QStringLiteral("Run 1,%1").arg(branch)), -1);
    plain->m_VideoFile = m_Path;   // a video but no frame pairs
    QCOMPARE(w->LinkableFolderOfDragText(QStringLiteral("Run 1,%1").arg(branch)), -1);
    plain->AddVideoFrameAndSampleIndex(0, 0);
    QCOMPARE(w->LinkableFolderOfDragText(QStringLiteral("Run 1,%1").arg(branch)), plain->m_Key);
    QCOMPARE(w->LinkableFolderOfDragText(QStringLiteral("Run 1")), -1);
    QCOMPARE(w->LinkableFolderOfDragText(QStringLiteral("Run 1,,99999,-3")), -1);
}

void TestVideoWindow::waitEndsWhenWindowCloses()
{
    CVideoAnlysisWindow* w = makeWindow();
    QPointer<CVideoAnlysisWindow> guard(w);
    QTimer::singleShot(50, w, [w] { w->close(); });
    QElapsedTimer t;
    t.start();
    const bool alive = w->WaitHere(3000);
    QVERIFY(!alive);
    QVERIFY(guard.isNull());
    QVERIFY(t.elapsed() < 2000);
}

void TestVideoWindow::closeRefusedWhileTracking()
{
    CVideoAnlysisWindow* w = makeWindow();
    QPointer<CVideoAnlysisWindow> guard(w);
    w->isTracking = true;
    w->close();
    QTest::qWait(20);
    QVERIFY(!guard.isNull());
    QVERIFY(w->isVisible());
    w->isTracking = false;
    m_pHost->SetActiveVideoWindow(w);
    w->close();
    QTRY_VERIFY(guard.isNull());
    QCOMPARE(m_pHost->m_Handovers, 1);
}

void TestVideoWindow::zeroDurationReportedAndHarmless()
{
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(loadAndSettle(w, m_Path));
    // A player that never learnt the video's length: the check reports the load as failed,
    // and seeking and stepping divide by nothing.
    w->videoDuration = 0;
    w->onCheckVideoAvailable();
    QCOMPARE(m_pHost->m_Prompter.boxes("warn crit").size(), 1);
    QVERIFY(m_pHost->m_Prompter.boxes("warn crit").first().startsWith(QStringLiteral("Video Analysis|Loading video file failed (")));
    w->slider()->setValue(120);
    w->OnSliderChanged();
    QCOMPARE(w->surface()->frameCounter, qint64(0));
    w->frameCount = 0;
    w->OnNextFrame();
    w->OnPlayerframeArrived(m_Video.frameImage(3), 0);
    QCOMPARE(w->timeText()->text(), QStringLiteral("00:00:00.000"));
}

void TestVideoWindow::loadedAnalysisRunsAreCounted()
{
    // A tracking run read back from a workspace counts, so the next run is numbered after it.
    CDataFolder saved;
    saved.m_Name = QStringLiteral("Video Analysis 1");
    saved.m_bVideoAnalysis = true;
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        QCOMPARE(saved.SaveToFile(&out), 0);
    }
    const int before = CVideoAnlysisWindow::trackingRunCounter;
    QDataStream in(bytes);
    QCOMPARE(m_pHost->m_Data.LoadFolderFromFile(&in), 0);
    QCOMPARE(CVideoAnlysisWindow::trackingRunCounter, before + 1);
    CVideoAnlysisWindow* w = makeWindow();
    w->InitTrackingData();
    QCOMPARE(m_pHost->m_Data.GetLastDataFolder()->m_Name, QStringLiteral("Video Analysis 2"));
    m_pHost->m_Data.ClearAllData();   // a new, empty workspace starts again at 1
    w->InitTrackingData();
    QCOMPARE(m_pHost->m_Data.GetLastDataFolder()->m_Name, QStringLiteral("Video Analysis 1"));
}

void TestVideoWindow::workspaceRecordKeepsCopyAxisAndTrail()
{
    CVideoAnlysisWindow* w = makeWindow();
    QVERIFY(loadAndSettle(w, m_Path));
    w->axisOrigin = QPoint(12, 34);
    w->axisAngle = 30.0;
    CDataFolder* run = m_pHost->m_Data.CreateDataFolder();
    w->SetLinkedFolderKey(run->m_Key);
    QTemporaryDir workspace;
    CWorkspaceSaver::getInstance()->m_CurrentPath = workspace.filePath("lab.kvb");
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        QCOMPARE(w->saveToFile(&out), 0);
    }
    // The video is copied beside the workspace file, and the run names the copy.
    const QString name = VideoCopyName(workspace.filePath("lab.kvb"), m_Path, w->serialNumber);
    QVERIFY(QFileInfo::exists(workspace.filePath(name)));
    QCOMPARE(run->m_VideoFile, name);

    CWorkspaceLoader::getInstance()->m_LastPath = workspace.filePath("lab.kvb");
    CVideoAnlysisWindow* back = makeWindow();
    QDataStream in(bytes);
    QCOMPARE(back->loadFromFile(&in), 0);
    QCOMPARE(back->videoFile, workspace.filePath(name));
    QCOMPARE(back->axisOrigin, QPoint(12, 34));
    QCOMPARE(back->axisAngle, 30.0);
    QCOMPARE(back->LinkedFolderKey(), run->m_Key);
    QCOMPARE(run->m_VideoFile, workspace.filePath(name));

    // A stored trail whose count disagrees with its points, and a name that tries to leave the
    // workspace folder.
    QByteArray record;
    {
        QDataStream out(&record, QIODevice::WriteOnly);
        out << qint16(1701) << QString("../../elsewhere/x.avi") << qint16(1702) << qint16(1703) << qint16(7)
            << qint16(1704) << qint16(1) << qint16(2) << qint16(1704) << qint16(3) << qint16(4) << qint16(1705)
            << qint16(1112);
    }
    CVideoAnlysisWindow* hand = makeWindow();
    QDataStream handIn(record);
    QCOMPARE(hand->loadFromFile(&handIn), 0);
    QCOMPARE(hand->TrackingRun().m_Trail, QVector<QPoint>({QPoint(1, 2), QPoint(3, 4)}));
    QCOMPARE(hand->videoFile, workspace.filePath("x.avi"));
    QDataStream cut(record.left(record.size() - 6));
    QCOMPARE(makeWindow()->loadFromFile(&cut), -4);
}

void TestVideoWindow::recordCutAtEveryByteKeepsUnreadFields()
{
    QByteArray record;
    {
        QDataStream out(&record, QIODevice::WriteOnly);
        out << qint16(1701) << QString("clip.avi") << qint16(1706) << qint16(12) << qint16(34) << qint16(1707) << 30.0
            << qint16(1702) << qint16(1703) << qint16(1) << qint16(1704) << qint16(5) << qint16(6) << qint16(1705)
            << qint16(1708) << qint32(3) << qint16(1112);
    }
    CWorkspaceLoader::getInstance()->m_LastPath = m_Dir.filePath("lab.kvb");
    // Starting values none of which a read past the end would give (0, empty).
    RecordCuts::CheckEveryCut(record, [this](QDataStream& in) {
        CVideoAnlysisWindow* w = makeWindow();
        w->videoFile = QStringLiteral("before");
        w->axisOrigin = QPoint(-7, -8);
        w->axisAngle = 11.0;
        w->SetLinkedFolderKey(9);
        const bool complete = w->loadFromFile(&in) == 0;
        const RecordCuts::Outcome got{complete, {w->videoFile, w->axisOrigin, w->axisAngle,
                                                 w->TrackingRun().m_Trail.size(), w->LinkedFolderKey()}};
        delete w;
        return got;
    });
}

KORVANTA_TEST_MAIN(TestVideoWindow)
#include "tst_video_window.moc"

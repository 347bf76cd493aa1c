// The video window on a real X server: a generated video loaded, the axis drawn, an object
// tracked to the end; the screen is saved and checked for the picture, the axis and the trail.
#include "../support/VideoFixture.h"
#include "../support/VideoHost.h"
#include "video/VideoAnlysisWindow.h"

#include <QScreen>

#include <functional>
#include <QTemporaryDir>
#include "common/AwaitScreen.h"
#include "common/TestMain.h"

class TestVideoXvfbScreenshot : public QObject
{
    Q_OBJECT
private slots:
    void trackedVideoOnScreen();
};

namespace {

int countPixels(const QImage& img, const QRect& area, const std::function<bool(QRgb)>& test)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(img.pixel(x, y)))
                ++n;
    return n;
}

} // namespace

void TestVideoXvfbScreenshot::trackedVideoOnScreen()
{
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    SquareVideo v;
    v.size = QSize(480, 360);
    v.frames = 40;
    v.fps = 20.0;
    v.side = 30;
    v.start = QPoint(60, 200);
    v.step = QPoint(6, -3);
    const QString path = dir.filePath(QStringLiteral("throw.avi"));
    QVERIFY(v.write(path));

    CVideoHost host;
    host.resize(900, 700);
    host.show();
    auto* w = new CVideoAnlysisWindow(&host, Qt::SubWindow);
    w->initWindow();
    host.addSubWindow(w);
    w->show();
    w->resize(640, 520);
    QVERIFY(QTest::qWaitForWindowExposed(&host, 30000));
    QVERIFY(w->LoadVideoFile(path));
    // Settled once the stop has shown the first frame again: the object is cut from it.
    QTRY_VERIFY_WITH_TIMEOUT(w->playState == CVideoAnlysisWindow::Stopped && !w->isStepping && w->videoDuration > 0
                                 && SquareFrameIndex(w->frameImage, v) == 0,
                             30000);

    // The object: the square of the first frame with a margin, as the user would drag it.
    w->selectionRect = QRect(v.cornerAt(0) - QPoint(4, 4), QSize(v.side + 8, v.side + 8));
    w->objectTemplate = w->frameImage.copy(w->selectionRect);
    w->templateSet = true;
    w->axisOrigin = QPoint(40, 300);
    w->axisAngle = 12.5;
    w->OnStartTrack();
    QTRY_VERIFY_WITH_TIMEOUT(!w->isTracking, 60000);
    w->updateVideoDisplay();

    const QRect label(w->label()->mapToGlobal(QPoint(0, 0)), w->label()->size());
    QString problem;
    const QImage shot = KorvantaTest::AwaitScreen(
        [&](const QImage& screen) -> QString {
            const QRect area = label.intersected(screen.rect());
            if (area.isEmpty())
                return QStringLiteral("the picture is off the screen");
            // The light background of the video fills most of the picture; the axis is yellow
            // and the trail green.
            const int light = countPixels(screen, area, [](QRgb p) { return qGray(p) > 200; });
            const int yellow = countPixels(screen, area, [](QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) < 80; });
            const int green = countPixels(screen, area, [](QRgb p) { return qGreen(p) > 150 && qRed(p) < 80 && qBlue(p) < 80; });
            if (light <= area.width() * area.height() / 2 || yellow <= 50 || green <= 20) {
                // Another program's window (a test run beside this one on the same server) may
                // cover the picture: the next look is taken with the window on top.
                host.raise();
                return QStringLiteral("light %1 of %2, axis %3, trail %4").arg(light).arg(area.width() * area.height())
                    .arg(yellow).arg(green);
            }
            return QString();
        },
        &problem);
    QVERIFY(!shot.isNull());
    QVERIFY(shot.save(QStringLiteral(SCREENSHOT_DIR "/video_window.png")));
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    delete w;
}

KORVANTA_TEST_MAIN(TestVideoXvfbScreenshot)
#include "tst_video_xvfb_screenshot.moc"

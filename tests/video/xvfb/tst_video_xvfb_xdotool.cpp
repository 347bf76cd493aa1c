// The student's path on a real X server with the pointer driven by real X events (xdotool, not
// Qt's synthetic ones): Set Object, a box dragged around the ball, Start Tracking, all clicked
// on the screen. The run must hold one point per frame, each within 2 video pixels of the ball.
#include "../support/VideoFixture.h"
#include "../support/VideoHost.h"
#include "windowbase/MultiAction.h"
#include "video/VideoAnlysisWindow.h"

#include <QGuiApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolButton>
#include "common/TestMain.h"

#include <cmath>

class TestVideoXvfbXdotool : public QObject
{
    Q_OBJECT
private slots:
    void selectAndTrackWithRealPointer();

private:
    bool xdotool(const QStringList& args);
    QString m_Xdotool;
};

namespace {

QStringList xy(const QPoint& p) { return {QString::number(p.x()), QString::number(p.y())}; }

// Screen coordinates, as xdotool takes them, of a frame pixel as drawn (the label point that
// the window maps back onto that pixel) and of a tool-bar button.
QStringList at(CVideoAnlysisWindow* w, const QPoint& framePixel)
{
    const QRect picture = w->videoArea();
    const QSize frame = w->frameImage.size();
    const QPoint shown(int(std::ceil(framePixel.x() * double(picture.width()) / frame.width())),
                       int(std::ceil(framePixel.y() * double(picture.height()) / frame.height())));
    return xy(w->mapToGlobal(picture.topLeft() + shown));
}

QStringList button(CVideoAnlysisWindow* w, int key)
{
    for (QWidget* widget : w->action(key)->associatedWidgets())
        if (qobject_cast<QToolButton*>(widget))
            return xy(widget->mapToGlobal(widget->rect().center()));
    return {};
}

} // namespace

bool TestVideoXvfbXdotool::xdotool(const QStringList& args)
{
    QProcess p;
    p.start(m_Xdotool, args);
    if (!p.waitForStarted(10000))
        return false;
    // The events reach the window while its loop runs; the tool itself ends at once. The
    // caller waits for what the events do. The tool's end may be taken up inside the event
    // loop, after which waitForFinished no longer says so: the process's state does.
    QElapsedTimer waited;
    waited.start();
    while (p.state() != QProcess::NotRunning) {
        if (waited.hasExpired(60000)) {
            p.kill();
            p.waitForFinished(5000);
            return false;
        }
        p.waitForFinished(10);
        QCoreApplication::processEvents();
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void TestVideoXvfbXdotool::selectAndTrackWithRealPointer()
{
    m_Xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (m_Xdotool.isEmpty())
        QSKIP("xdotool is not installed (scripts/install-deps.sh installs it)");
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server");
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    BallVideo v;
    const QString path = dir.filePath(QStringLiteral("ball.avi"));
    QVERIFY(v.write(path));

    CVideoHost host;
    host.setGeometry(0, 0, 1000, 800);
    host.show();
    auto* w = new CVideoAnlysisWindow(&host, Qt::SubWindow);
    w->initWindow();
    host.addSubWindow(w);
    w->show();
    w->move(40, 30);
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QVERIFY(w->LoadVideoFile(path));
    QTRY_VERIFY_WITH_TIMEOUT(w->playState == CVideoAnlysisWindow::Stopped && !w->isStepping && w->videoDuration > 0,
                             10000);
    // The picture drawn larger than the video, as on a classroom screen.
    w->resize(560, 480);
    QTRY_VERIFY(w->size() == QSize(560, 480) && w->videoArea().width() > v.size.width());
    QCOMPARE(BallVideo::FrameNumber(w->frameImage), 0);

    QVERIFY(xdotool(QStringList{"mousemove"} + button(w, CVideoAnlysisWindow::KeySetObject) + QStringList{"click", "1"}));
    QTRY_COMPARE(w->axisMode, VideoAxisMode::SelectObject);
    const QPoint ball = v.centreAt(0);
    const QPoint half(v.radius + 5, v.radius + 5);
    QVERIFY(xdotool(QStringList{"mousemove"} + at(w, ball - half) + QStringList{"mousedown", "1", "mousemove"}
                    + at(w, ball) + QStringList{"mousemove"} + at(w, ball + half) + QStringList{"mouseup", "1"}));
    QTRY_VERIFY(w->templateSet);

    const QPoint origin = w->axisOrigin;
    w->UpdateButtons();
    QVERIFY(xdotool(QStringList{"mousemove"} + button(w, CVideoAnlysisWindow::KeyStartTracking)
                    + QStringList{"click", "1"}));
    // Tracked to the end: a point for every frame.
    QTRY_VERIFY_WITH_TIMEOUT(!w->isTracking && host.m_Data.GetDataBranch(w->TrackingRun().m_XBranchKey)
                                 && host.m_Data.GetDataBranch(w->TrackingRun().m_XBranchKey)->GetNumSamples() == v.frames,
                             60000);
    const CDataBranch* x = host.m_Data.GetDataBranch(w->TrackingRun().m_XBranchKey);
    const CDataBranch* y = host.m_Data.GetDataBranch(w->TrackingRun().m_YBranchKey);
    QVERIFY(x && y);
    QCOMPARE(x->GetNumSamples(), v.frames);
    for (int k = 0; k < v.frames; ++k) {
        const QPoint c = v.centreAt(k);
        const double dx = x->GetYSample(k) - (c.x() - origin.x());
        const double dy = y->GetYSample(k) - (origin.y() - c.y());
        QVERIFY2(std::abs(dx) <= 2.0 && std::abs(dy) <= 2.0,
                 qPrintable(QString("point %1 off by %2, %3").arg(k).arg(dx).arg(dy)));
    }
    delete w;
}

KORVANTA_TEST_MAIN(TestVideoXvfbXdotool)
#include "tst_video_xvfb_xdotool.moc"

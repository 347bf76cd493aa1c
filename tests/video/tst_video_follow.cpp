// The lesson path through the real window, driven by mouse as a student drives it: a ball video
// opened, the axis origin dragged and turned, the ball boxed and tracked, with and without moves
// between press and release, at a picture smaller than, equal to and larger than the video.
#include "windowbase/MultiAction.h"
#include "support/VideoFixture.h"
#include "support/VideoHost.h"
#include "video/VideoAnlysisWindow.h"
#include "video/VideoSurface_Player.h"
#include "tracking/VideoRules.h"

#include <QTemporaryDir>
#include "common/TestMain.h"

#include <cmath>

class TestVideoFollow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_Circle.path = BallVideo::Circle;
        m_Steps.frames = 24;
        QVERIFY(m_Line.write(video("line.avi")) && m_Circle.write(video("circle.avi")));
        // Wider than the narrowest label the window allows, so the picture can be drawn smaller.
        for (BallVideo big : {m_Line, m_Circle}) {
            big.size = QSize(512, 384);
            QVERIFY(big.write(video(big.path == BallVideo::Line ? "line-big.avi" : "circle-big.avi")));
        }
        QVERIFY(m_Steps.write(video("steps.avi")));
        m_Throw.path = BallVideo::Throw;
        m_Throw.textured = true;
        m_Throw.size = QSize(640, 480);
        m_Throw.frames = 75;
        m_Throw.radius = 11;
        QVERIFY(m_Throw.write(video("throw.avi")));
        // A red ball 36 pixels wide over a black and white checker.
        m_Checker = m_Throw;
        m_Checker.periodic = true;
        m_Checker.radius = 18;
        QVERIFY(m_Checker.write(video("checker.avi")));
        m_bMp4 = m_Line.write(video("line.mp4"), true) && m_Circle.write(video("circle.mp4"), true)
                 && m_Steps.write(video("steps.mp4"), true) && m_Throw.write(video("throw.mp4"), true)
                 && m_Checker.write(video("checker.mp4"), true);
    }
    void init() { m_pHost = new CVideoHost; m_pHost->show(); }
    void cleanup() { delete m_pHost; m_pHost = nullptr; }
    void track_data()
    {
        // The videos are 320 x 240, the big ones 512 x 384; each size is driven with and without moves.
        QTest::addColumn<bool>("line");
        QTest::addColumn<bool>("big");
        QTest::addColumn<QSize>("label");
        QTest::addColumn<bool>("moves");
        QTest::addColumn<bool>("mp4");
        for (bool line : {true, false}) {
            const char* shape = line ? "line" : "circle";
            QTest::addRow("%s, video larger than label", shape) << line << true << QSize(496, 300) << !line << false;
            QTest::addRow("%s, video equal to label", shape) << line << true << QSize(512, 384) << line << false;
            QTest::addRow("%s, video smaller, mp4", shape) << line << false << QSize(640, 480) << !line << true;
        }
    }
    void track()
    {
        QFETCH(bool, line);
        QFETCH(bool, big);
        QFETCH(QSize, label);
        QFETCH(bool, moves);
        QFETCH(bool, mp4);
        // Without an H.264 encoder the MJPG video stands in.
        mp4 = mp4 && m_bMp4;
        const BallVideo& v = line ? m_Line : m_Circle;
        const QString name = QString(line ? "line" : "circle") + (big ? "-big" : "") + (mp4 ? ".mp4" : ".avi");
        CVideoAnlysisWindow* w = open(video(name), label);
        QVERIFY(w);

        // The origin dragged to (60, 210), then the axis turned by 30 degrees from a point on it.
        drag(w, w->axisOrigin, QPoint(60, 210), moves);
        QVERIFY((w->axisOrigin - QPoint(60, 210)).manhattanLength() <= 2);
        const QPoint o = w->axisOrigin;
        drag(w, o + QPoint(150, 0), o + QPoint(130, -75), moves);
        QVERIFY(std::abs(w->axisAngle - 30.0) <= 1.0);

        w->action(CVideoAnlysisWindow::KeySetObject)->trigger();
        const int half = v.radius + 5;
        drag(w, v.centreAt(0) - QPoint(half, half), v.centreAt(0) + QPoint(half, half), moves);
        QVERIFY(w->templateSet);
        w->UpdateButtons();
        w->action(CVideoAnlysisWindow::KeyStartTracking)->trigger();
        QVERIFY(w->isTracking);
        QTRY_VERIFY_WITH_TIMEOUT(!w->isTracking, 240000);

        // After the run the trail stays on the picture, the marker (its box) goes.
        const QImage view = w->label()->pixmap(Qt::ReturnByValue).toImage();
        auto green = [&view](const QPoint& p) { return qGreen(view.pixel(p)) > 150 && qRed(view.pixel(p)) < 100; };
        QVERIFY(green(w->PointToVideoView(v.centreAt(v.frames / 2))));
        QVERIFY(!green(w->PointToVideoView(w->lastTrackedPoint)));
        const CDataBranch* x = m_pHost->m_Data.GetDataBranch(w->TrackingRun().m_XBranchKey);
        const CDataBranch* y = m_pHost->m_Data.GetDataBranch(w->TrackingRun().m_YBranchKey);
        QVERIFY(x && y);
        QCOMPARE(x->GetNumSamples(), v.frames);
        // Point k is the ball of frame k, in the turned axis system (full-precision pi here).
        const double a = w->axisAngle * M_PI / 180.0;
        for (int k = 0; k < v.frames; ++k) {
            const double dx = v.centreAt(k).x() - w->axisOrigin.x();
            const double dy = w->axisOrigin.y() - v.centreAt(k).y();
            const QPointF expected(dx * std::cos(a) + dy * std::sin(a), dy * std::cos(a) - dx * std::sin(a));
            QCOMPARE(x->GetXSample(k), double(k));
            QVERIFY2(std::abs(x->GetYSample(k) - expected.x()) <= 2.0
                         && std::abs(y->GetYSample(k) - expected.y()) <= 2.0, qPrintable(QString::number(k)));
        }
    }
    void trackOnTexture_data()
    {
        // Selections a user draws around the ball, in screen pixels, on the window as it opens,
        // where the picture is drawn smaller than the video: three and six times the ball's width
        // of frame pixels, the rest of it scenery.
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("side");
        QTest::newRow("MJPG AVI, 58 px") << QStringLiteral("throw.avi") << 58;
        QTest::newRow("MJPG AVI, 106 px") << QStringLiteral("throw.avi") << 106;
        QTest::newRow("H.264 MP4, 58 px") << QStringLiteral("throw.mp4") << 58;
        QTest::newRow("H.264 MP4, 106 px") << QStringLiteral("throw.mp4") << 106;
    }
    void trackOnTexture()
    {
        QFETCH(QString, file);
        QFETCH(int, side);
        if (file.endsWith(QLatin1String(".mp4")) && !m_bMp4)
            QSKIP("no H.264 encoder to make the test video");
        CVideoAnlysisWindow* w = open(video(file));
        QVERIFY(w && w->pictureRect().width() < m_Throw.size.width());
        w->action(CVideoAnlysisWindow::KeySetObject)->trigger();
        const QPoint centre = shown(w, m_Throw.centreAt(0));
        QTest::mousePress(w->label(), Qt::LeftButton, Qt::NoModifier, centre - QPoint(side / 2, side / 2));
        QTest::mouseRelease(w->label(), Qt::LeftButton, Qt::NoModifier, centre + QPoint(side / 2, side / 2));
        QVERIFY(w->templateSet);
        trackBall(w, m_Throw, 1);
    }
    void trackOverPattern_data()
    {
        // Selections of twice and three times the ball's width, the rest of them a pattern that
        // fits itself every 48 pixels.
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("side");
        QTest::newRow("MJPG AVI, twice the ball") << QStringLiteral("checker.avi") << 72;
        QTest::newRow("MJPG AVI, three times the ball") << QStringLiteral("checker.avi") << 108;
        QTest::newRow("H.264 MP4, twice the ball") << QStringLiteral("checker.mp4") << 72;
        QTest::newRow("H.264 MP4, three times the ball") << QStringLiteral("checker.mp4") << 108;
    }
    void trackOverPattern()
    {
        QFETCH(QString, file);
        QFETCH(int, side);
        if (file.endsWith(QLatin1String(".mp4")) && !m_bMp4)
            QSKIP("no H.264 encoder to make the test video");
        CVideoAnlysisWindow* w = open(video(file));
        QVERIFY(w);
        w->action(CVideoAnlysisWindow::KeySetObject)->trigger();
        const QPoint half(side / 2, side / 2);
        drag(w, m_Checker.centreAt(0) - half, m_Checker.centreAt(0) + half, true);
        QVERIFY(w->templateSet);
        QVERIFY(std::abs(w->selectionRect.width() - side) <= 2 && std::abs(w->selectionRect.height() - side) <= 2);
        trackBall(w, m_Checker, 2);
    }
    void stepOneFrameBothWays_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("MJPG AVI") << QStringLiteral("steps.avi");
        QTest::newRow("H.264 MP4") << QStringLiteral("steps.mp4");
    }
    void stepOneFrameBothWays()
    {
        QFETCH(QString, file);
        if (file.endsWith(QLatin1String(".mp4")) && !m_bMp4)
            QSKIP("no H.264 encoder to make the test video");
        CVideoAnlysisWindow* w = open(video(file));
        QVERIFY(w);
        const int last = m_Steps.frames - 1;
        for (int i = 1; i <= last; ++i)
            step(w, &CVideoAnlysisWindow::OnNextFrame, i);
        step(w, &CVideoAnlysisWindow::OnNextFrame, last);
        for (int i = last - 1; i >= 0; --i)
            step(w, &CVideoAnlysisWindow::OnPrevFrame, i);
        w->OnPrevFrame();
        QCOMPARE(w->surface()->frameCounter, qint64(0));
        // Played to the end of the stream, the first Previous goes back one.
        w->OnPlayVideo();
        QTRY_VERIFY_WITH_TIMEOUT(w->playState == CVideoAnlysisWindow::Stopped, 10000);
        QCOMPARE(BallVideo::FrameNumber(w->frameImage), last);
        step(w, &CVideoAnlysisWindow::OnPrevFrame, last - 1);
    }
    void lateFrameAskedAgainThenRunEnds()
    {
        CVideoAnlysisWindow* w = open(video("steps.avi"));
        QVERIFY(w);
        w->selectionRect = QRect(m_Steps.centreAt(0) - QPoint(10, 10), QSize(21, 21));
        w->objectTemplate = w->frameImage.copy(w->selectionRect);
        w->templateSet = true;
        w->frameWaitMs = 150;
        // Frames that never reach the window: asked for again, then the run ends with a message.
        QObject::disconnect(w->surface(), &CVideoSurface_Player::frameArived, w, nullptr);
        QSignalSpy stops(&m_pHost->m_Signals, &CKorvantaSignals::VideoAnalysisStop);
        w->OnStartTrack();
        QTRY_VERIFY_WITH_TIMEOUT(!w->isTracking, 5000);
        QCOMPARE(stops.count(), 1);
        QCOMPARE(m_pHost->m_Prompter.boxes("warn crit").size(), 1);
        QVERIFY(m_pHost->m_Prompter.boxes("warn crit").first().contains(QStringLiteral("did not deliver frame 1 of 24")));
        // A frame that comes on the second asking: the run goes on to the end, one point a frame.
        w->OnStartTrack();
        QTest::qWait(200);
        QObject::connect(w->surface(), &CVideoSurface_Player::frameArived, w,
                         &CVideoAnlysisWindow::OnPlayerframeArrived, Qt::QueuedConnection);
        QTRY_VERIFY_WITH_TIMEOUT(!w->isTracking, 20000);
        QCOMPARE(m_pHost->m_Data.GetDataBranch(w->TrackingRun().m_XBranchKey)->GetNumSamples(), m_Steps.frames);
        QCOMPARE(m_pHost->m_Prompter.boxes("warn crit").size(), 1);
    }
    void openedVideoFitsDocumentArea()
    {
        // A tall window near the right edge: the picture's width at that height would run past it.
        CVideoAnlysisWindow* w = newWindow();
        w->setGeometry(600, 200, 600, 560);
        QVERIFY(w->LoadVideoFile(video("line.avi")));
        QTRY_VERIFY_WITH_TIMEOUT(w->playState == CVideoAnlysisWindow::Stopped && !w->frameImage.isNull(), 10000);
        const QRect area(QPoint(0, 0), m_pHost->viewport()->size());
        QVERIFY(area.contains(w->geometry()));
        // Moved, not squeezed: the picture's shape at the window's height.
        const QMargins m = w->contentsMargins();
        QCOMPARE(w->height(), 560);
        QCOMPARE(w->width(), VideoPlayback::FittedWidth(560, m.left(), m.top(), m.right(), m.bottom(), 320, 240));
    }
    void openDialogStartsInAFolderThatExists()
    {
        // A home without a Documents folder: the chooser starts in the home folder, not in a folder
        // name it would offer as the file name.
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        auto* w = new CVideoAnlysisWindow(m_pHost, Qt::SubWindow);
        w->initWindow();
        w->OnOpenVideo();
        qputenv("HOME", oldHome);
        QVERIFY(QFileInfo(m_pHost->m_Prompter.m_LastDir).isDir());
        delete w;
    }

private:
    QString video(const QString& name) const { return m_Dir.filePath(name); }
    CVideoAnlysisWindow* newWindow()
    {
        auto* w = new CVideoAnlysisWindow(m_pHost, Qt::SubWindow);
        w->initWindow();
        m_pHost->addSubWindow(w);
        w->show();
        return w;
    }
    CVideoAnlysisWindow* open(const QString& file, const QSize& labelSize = QSize())
    {
        CVideoAnlysisWindow* w = newWindow();
        if (!w->LoadVideoFile(file))
            return nullptr;
        if (!QTest::qWaitFor([w] { return w->playState == CVideoAnlysisWindow::Stopped && !w->isStepping
                                          && w->videoDuration > 0 && w->RequestedFrame() < 0
                                          && !w->frameImage.isNull(); }, 10000))
            return nullptr;
        if (labelSize.isValid()) {
            // The user's resize: the label takes the window less the tool bars and the margins.
            w->resize(w->width() + labelSize.width() - w->label()->width(),
                      w->height() + labelSize.height() - w->label()->height());
            if (w->label()->size() != labelSize)
                return nullptr;
        }
        return w;
    }
    QPoint shown(CVideoAnlysisWindow* w, const QPoint& framePixel) const
    {
        const QRect p = w->pictureRect();
        const QSize f = w->frameImage.size();
        return p.topLeft() + QPoint(int(std::ceil(framePixel.x() * double(p.width()) / f.width())),
                                    int(std::ceil(framePixel.y() * double(p.height()) / f.height())));
    }
    void drag(CVideoAnlysisWindow* w, const QPoint& fromFrame, const QPoint& toFrame, bool moves)
    {
        QWidget* picture = w->label();
        const QPoint from = shown(w, fromFrame), to = shown(w, toFrame);
        QTest::mousePress(picture, Qt::LeftButton, Qt::NoModifier, from);
        for (int i = 1; moves && i <= 4; ++i) {
            QMouseEvent move(QEvent::MouseMove, from + (to - from) * i / 4, Qt::LeftButton, Qt::LeftButton, {});
            QApplication::sendEvent(picture, &move);
        }
        QTest::mouseRelease(picture, Qt::LeftButton, Qt::NoModifier, to);
    }
    // Tracks the selected ball to the end of the video: point k is the ball of frame k, wherever
    // the selection put the ball in it, within tolerance pixels either way.
    void trackBall(CVideoAnlysisWindow* w, const BallVideo& v, int tolerance)
    {
        const QRect s = w->selectionRect;
        w->UpdateButtons();
        w->action(CVideoAnlysisWindow::KeyStartTracking)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!w->isTracking, 240000);
        const QVector<QPoint>& trail = w->TrackingRun().m_Trail;
        QCOMPARE(trail.size(), v.frames);
        const QPoint offset = s.topLeft() + QPoint(s.width() / 2, s.height() / 2) - v.centreAt(0);
        for (int k = 0; k < trail.size(); ++k) {
            const QPoint error = trail.at(k) - (v.centreAt(k) + offset);
            QVERIFY2(std::abs(error.x()) <= tolerance && std::abs(error.y()) <= tolerance,
                     qPrintable(QString("frame %1 off by %2, %3").arg(k).arg(error.x()).arg(error.y())));
        }
    }
    void step(CVideoAnlysisWindow* w, void (CVideoAnlysisWindow::*command)(), int expected)
    {
        (w->*command)();
        QVERIFY2(QTest::qWaitFor([w] { return w->RequestedFrame() < 0 && !w->isStepping; }, 5000),
                 "the step did not settle on a frame");
        QCOMPARE(BallVideo::FrameNumber(w->frameImage), expected);
        QCOMPARE(w->surface()->frameCounter, qint64(expected));
        QCOMPARE(w->timeText()->text(), VideoPlayback::TimeText(w->videoDuration, expected, w->frameCount));
    }

    QTemporaryDir m_Dir;
    BallVideo m_Line, m_Circle, m_Steps, m_Throw, m_Checker;
    bool m_bMp4 = false;
    CVideoHost* m_pHost = nullptr;
};

KORVANTA_TEST_MAIN(TestVideoFollow)
#include "tst_video_follow.moc"

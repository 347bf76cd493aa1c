// Video analysis: automatic tracking of a 40x40 object in 1280x720 frames on one core (frames
// per second, to compare with the video's own 30), by a search of each whole frame and by a
// tracking run's tracker, and the time from a Next Frame command to the new picture on the
// screen with the real media player.
#include "windowbase/ChildWindowHost.h"
#include "Core/Data/DataManager.h"
#include "Core/Base/KorvantaSignals.h"
#include "video/VideoAnlysisWindow.h"
#include "video/VideoSurface_Player.h"
#include "tracking/TemplateTracker.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QTemporaryDir>

#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

namespace {

constexpr int Width = 1280;
constexpr int Height = 720;
constexpr int Side = 40;

class CBenchHost : public QMdiArea, public IChildWindowHost
{
public:
    bool AlignToGrid() const override { return false; }
    CKorvantaSignals* GetSignals() const override { return const_cast<CKorvantaSignals*>(&m_Hub); }
    CDataManager* GetDataManager() const override { return const_cast<CDataManager*>(&m_Data); }
    CKorvantaSignals m_Hub;
    CDataManager m_Data;
};

cv::Mat frameMat(int i)
{
    cv::Mat m(Height, Width, CV_8UC3, cv::Scalar(230, 225, 220));
    cv::rectangle(m, cv::Rect(100 + 5 * i, 300 + 2 * i, Side, Side), cv::Scalar(30, 60, 200), cv::FILLED);
    return m;
}

QImage frameImage(int i)
{
    const cv::Mat m = frameMat(i);
    cv::Mat bgra;
    cv::cvtColor(m, bgra, cv::COLOR_BGR2BGRA);
    return QImage(bgra.data, bgra.cols, bgra.rows, int(bgra.step), QImage::Format_RGB32).copy();
}

void BM_TrackFrame1280x720(benchmark::State& state)
{
    cv::setNumThreads(1);
    QVector<QImage> frames;
    for (int i = 0; i < 30; ++i)
        frames << frameImage(i);
    const QImage object = frames.first().copy(96, 296, Side + 8, Side + 8);
    int i = 0;
    for (auto _ : state) {
        QPoint at;
        QString error;
        // As the window does it: both pictures converted anew for each frame.
        if (!TrackTemplateMatch(frames.at(i % frames.size()), object, &at, &error)) {
            state.SkipWithError(error.toUtf8().constData());
            break;
        }
        if (at != QPoint(96 + 5 * (i % 30), 296 + 2 * (i % 30))) {
            state.SkipWithError("object lost");
            break;
        }
        ++i;
    }
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TrackFrame1280x720)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same frames through a tracking run's tracker, as the window now tracks: the search near
// where the motion leads, with the pixels weighed and the weights learnt from every frame.
void BM_TrackRun1280x720(benchmark::State& state)
{
    cv::setNumThreads(1);
    QVector<QImage> frames;
    for (int i = 0; i < 30; ++i)
        frames << frameImage(i);
    const QRect cut(96, 296, Side + 8, Side + 8);
    const QImage object = frames.first().copy(cut);
    CTemplateTracker tracker;
    QString error;
    int i = 0;
    for (auto _ : state) {
        if (i % frames.size() == 0) {
            // A new run each time the square starts over, as a new run of the window would.
            state.PauseTiming();
            const bool started = tracker.Start(object, cut, &error);
            state.ResumeTiming();
            if (!started) {
                state.SkipWithError(error.toUtf8().constData());
                break;
            }
        }
        QPoint at;
        if (!tracker.Track(frames.at(i % frames.size()), &at, &error)) {
            state.SkipWithError(error.toUtf8().constData());
            break;
        }
        if (at != QPoint(96 + 5 * (i % 30), 296 + 2 * (i % 30))) {
            state.SkipWithError("object lost");
            break;
        }
        ++i;
    }
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TrackRun1280x720)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NextFrameShown(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.avi"));
    {
        cv::VideoWriter writer(path.toStdString(), cv::CAP_OPENCV_MJPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'),
                               30.0, cv::Size(Width, Height));
        for (int i = 0; i < 90; ++i)
            writer.write(frameMat(i));
    }
    CBenchHost host;
    host.resize(1400, 900);
    host.show();
    auto* w = new CVideoAnlysisWindow(&host, Qt::SubWindow);
    w->initWindow();
    host.addSubWindow(w);
    w->show();
    if (!w->LoadVideoFile(path)) {
        state.SkipWithError("load failed");
        return;
    }
    QElapsedTimer settle;
    settle.start();
    while ((w->playState != CVideoAnlysisWindow::Stopped || w->videoDuration <= 0) && settle.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    while (settle.elapsed() < 1500 + 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    for (auto _ : state) {
        if (w->surface()->frameCounter >= 80)
            w->surface()->frameCounter = 0;
        const qint64 before = w->frameImage.cacheKey();
        QElapsedTimer t;
        t.start();
        w->OnNextFrame();
        while (w->frameImage.cacheKey() == before && t.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        const double seconds = t.nsecsElapsed() * 1e-9;
        if (w->frameImage.cacheKey() == before) {
            state.SkipWithError("no frame within 2 s");
            break;
        }
        state.SetIterationTime(seconds);
        // Let the paused pipeline settle before the next step, as a user's clicks would.
        QElapsedTimer gap;
        gap.start();
        while (gap.elapsed() < 30)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    delete w;
}
BENCHMARK(BM_NextFrameShown)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(40);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#pragma once
// Reads a video file's frame rate and frame count before the file is handed to the media
// player. A thread object in name only: it is made for one query and used synchronously.
#include <QString>
#include <QThread>

#include <memory>

namespace cv {
class VideoCapture;
}

class CVideoAnalysisPlayer : public QThread
{
    Q_OBJECT
public:
    CVideoAnalysisPlayer();
    ~CVideoAnalysisPlayer() override;

    // True when the file opens and reports a usable frame rate and frame count; the values are
    // written only then. A file that reports no frames or no rate (or a nonsense one) is
    // refused, since every frame and time of the window is computed from them.
    bool GetVideoInfo(const QString& file, qint64* frameCount, double* fps);

    // The plausibility test of a probe's answer.
    static bool UsableVideoInfo(double frameCountProperty, double fps);

private:
    std::unique_ptr<cv::VideoCapture> m_pCapture;
};

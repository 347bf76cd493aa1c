#include "video/tracking/VideoProbe.h"

#include <opencv2/videoio.hpp>

#include <cmath>

namespace {
// Beyond these a property is not a video's: a rate above a fast camera's, or more frames than
// the int frame arithmetic of the window can count.
constexpr double s_MaxFps = 10000.0;
constexpr double s_MaxFrames = 2.0e9;
}

CVideoAnalysisPlayer::CVideoAnalysisPlayer() : m_pCapture(new cv::VideoCapture) {}

CVideoAnalysisPlayer::~CVideoAnalysisPlayer() = default;

bool CVideoAnalysisPlayer::UsableVideoInfo(double frameCountProperty, double fps)
{
    return std::isfinite(fps) && fps > 0.0 && fps <= s_MaxFps && std::isfinite(frameCountProperty)
           && frameCountProperty >= 1.0 && frameCountProperty <= s_MaxFrames;
}

bool CVideoAnalysisPlayer::GetVideoInfo(const QString& file, qint64* frameCount, double* fps)
{
    if (file.isEmpty())
        return false;
    const std::string path = file.toUtf8().toStdString();
    try {
        m_pCapture->release();
        // Only the readers of files are asked: left to choose, the capture also probes for
        // cameras (gphoto2 over USB), which is slow and never answers for a file.
        bool opened = false;
        for (int api : {int(cv::CAP_FFMPEG), int(cv::CAP_OPENCV_MJPEG)}) {
            if (m_pCapture->open(path, api)) {
                opened = true;
                break;
            }
        }
        if (!opened)
            return false;
        const double rate = m_pCapture->get(cv::CAP_PROP_FPS);
        const double count = m_pCapture->get(cv::CAP_PROP_FRAME_COUNT);
        m_pCapture->release();
        if (!UsableVideoInfo(count, rate))
            return false;
        if (fps)
            *fps = rate;
        if (frameCount)
            *frameCount = qint64(count);
        return true;
    } catch (const cv::Exception&) {
        m_pCapture->release();
        return false;
    }
}

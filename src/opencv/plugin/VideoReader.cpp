// Reads a video file's frame count and frame rate with OpenCV's file readers, for
// CVideoAnalysisPlayer (tracking/VideoProbe.cpp).
#include "opencv/OpenCvPlugin.h"

#include <opencv2/videoio.hpp>

extern "C" __attribute__((visibility("default"))) int korvanta_video_probe(const char* path, double* frameCount,
                                                                          double* fps)
{
    if (!path || !*path || !frameCount || !fps)
        return 0;
    try {
        cv::VideoCapture capture;
        // Only the readers of files are asked: left to choose, the capture also probes for
        // cameras (gphoto2 over USB), which is slow and never answers for a file.
        bool opened = false;
        for (int api : {int(cv::CAP_FFMPEG), int(cv::CAP_OPENCV_MJPEG)}) {
            if (capture.open(path, api)) {
                opened = true;
                break;
            }
        }
        if (!opened)
            return 0;
        *fps = capture.get(cv::CAP_PROP_FPS);
        *frameCount = capture.get(cv::CAP_PROP_FRAME_COUNT);
        capture.release();
        return 1;
    } catch (...) {
        return 0;
    }
}

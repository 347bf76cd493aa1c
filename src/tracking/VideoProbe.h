#pragma once
// Reads a video file's frame rate and frame count before the file is handed to the media
// player. A thread object in name only: it is made for one query and used synchronously. The
// reading itself is done by the video reader plugin, loaded at the first query, so the program
// starts without OpenCV's file readers and the codec libraries behind them.
#include <QString>
#include <QThread>

class CVideoAnalysisPlayer : public QThread
{
    Q_OBJECT
public:
    CVideoAnalysisPlayer();
    ~CVideoAnalysisPlayer() override;

    // True when the file opens and reports a usable frame rate and frame count; the values are
    // written only then. A file that reports no frames or no rate (or a nonsense one) is
    // refused, since every frame and time of the window is computed from them. False as well
    // when the reader plugin cannot be loaded.
    bool GetVideoInfo(const QString& file, qint64* frameCount, double* fps);

    // The plausibility test of a probe's answer.
    static bool UsableVideoInfo(double frameCountProperty, double fps);
    // Whether the reader plugin is loaded (it is loaded by the first GetVideoInfo).
    static bool ReaderLoaded();
};

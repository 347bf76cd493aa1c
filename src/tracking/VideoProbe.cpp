#include "tracking/VideoProbe.h"

#include "opencv/OpenCvLibrary.h"


#include <cmath>

namespace {
// Beyond these a property is not a video's: a rate above a fast camera's, or more frames than
// the int frame arithmetic of the window can count.
constexpr double s_MaxFps = 10000.0;
constexpr double s_MaxFrames = 2.0e9;

KorvantaVideoProbeFunction reader()
{
    static const auto f = KorvantaOpenCv::Entry<KorvantaVideoProbeFunction>(s_VideoReaderLibrary, s_VideoProbeSymbol);
    return f;
}
} // namespace

CVideoAnalysisPlayer::CVideoAnalysisPlayer() = default;

CVideoAnalysisPlayer::~CVideoAnalysisPlayer() = default;

bool CVideoAnalysisPlayer::ReaderLoaded()
{
    return KorvantaOpenCv::Loaded(s_VideoReaderLibrary);
}

bool CVideoAnalysisPlayer::UsableVideoInfo(double frameCountProperty, double fps)
{
    return std::isfinite(fps) && fps > 0.0 && fps <= s_MaxFps && std::isfinite(frameCountProperty)
           && frameCountProperty >= 1.0 && frameCountProperty <= s_MaxFrames;
}

bool CVideoAnalysisPlayer::GetVideoInfo(const QString& file, qint64* frameCount, double* fps)
{
    if (file.isEmpty())
        return false;
    const KorvantaVideoProbeFunction probe = reader();
    if (!probe)
        return false;
    double count = 0.0;
    double rate = 0.0;
    if (!probe(file.toUtf8().constData(), &count, &rate) || !UsableVideoInfo(count, rate))
        return false;
    if (fps)
        *fps = rate;
    if (frameCount)
        *frameCount = qint64(count);
    return true;
}

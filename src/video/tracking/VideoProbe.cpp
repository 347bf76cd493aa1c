#include "video/tracking/VideoProbe.h"

#include "Core/Base/Diagnostics.h"
#include "video/probe/VideoProbePlugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include <atomic>
#include <cmath>

namespace {
// Beyond these a property is not a video's: a rate above a fast camera's, or more frames than
// the int frame arithmetic of the window can count.
constexpr double s_MaxFps = 10000.0;
constexpr double s_MaxFrames = 2.0e9;

std::atomic<bool> s_ReaderLoaded {false};

// The plugin sits in lib/ beside the program's bin/; test and benchmark programs of a build
// tree find it in the tree's lib/.
KorvantaVideoProbeFunction loadReader()
{
    const QStringList folders = {QCoreApplication::applicationDirPath() + QStringLiteral("/../lib"),
                                 QStringLiteral(KORVANTA_PLUGIN_BUILD_DIR)};
    for (const QString& folder : folders) {
        // Never unloaded (QLibrary's destructor leaves it loaded): the codec libraries it brings
        // do not all survive being unloaded.
        QLibrary library(QDir(folder).filePath(QString::fromLatin1(s_VideoProbeLibrary)));
        if (library.load()) {
            if (auto f = reinterpret_cast<KorvantaVideoProbeFunction>(library.resolve(s_VideoProbeSymbol))) {
                s_ReaderLoaded = true;
                return f;
            }
        }
        MyOutputDebugString(QStringLiteral("video reader not loaded from %1: %2").arg(folder, library.errorString()),
                            DiagGui);
    }
    return nullptr;
}

KorvantaVideoProbeFunction reader()
{
    static const KorvantaVideoProbeFunction f = loadReader();
    return f;
}
} // namespace

CVideoAnalysisPlayer::CVideoAnalysisPlayer() = default;

CVideoAnalysisPlayer::~CVideoAnalysisPlayer() = default;

bool CVideoAnalysisPlayer::ReaderLoaded()
{
    return s_ReaderLoaded;
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

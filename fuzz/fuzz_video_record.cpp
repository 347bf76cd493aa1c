// Arbitrary bytes as a video-analysis window's record in the workspace file (what follows its
// window tag), read by a real window: the reader returns 0 or -4; a record it accepted draws its
// axis system and trail, maps the trail into axis units, looks for its video beside the
// workspace file (a missing one is refused with a box) and is written again to a record that
// reads back (to the same axis, trail and linked run when it names a video). Each input gets a window of its own, so no
// input inherits another's trail or a pending load.
#include "video/VideoAnlysisWindow.h"
#include "video/support/VideoHost.h"
#include "windowbase/KorvantaStyle.h"
#include "workspace/WorkspaceLoader.h"
#include "workspace/WorkspaceSaver.h"
#include "WindowFuzzing.h"

#include <QApplication>
#include <QByteArray>
#include <QDataStream>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

struct Fixture
{
    int argc = 1;
    char name[18] = "fuzz_video_record";
    char* argv[2] = {name, nullptr};
    QApplication* app;
    CVideoHost* host;

    Fixture()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // GStreamer's element registry is rebuilt by a forked scanner otherwise, once per run.
        qputenv("GST_REGISTRY_FORK", "no");
        app = new QApplication(argc, argv);
        // The program's style, as main() sets it: its standard icons are made once, not read
        // from their files for every window's title bar and tool bar.
        QApplication::setStyle(new CKorvantaStyle);
        host = new CVideoHost;
        // Stored names are looked up beside the workspace file: an empty folder holds none.
        // The folder outlives the fixture, which is never destroyed, and goes when the process ends.
        static QTemporaryDir dir;
        CWorkspaceLoader::getInstance()->m_LastPath = dir.filePath(QStringLiteral("lesson.kvb"));
        // No copy is placed when the record is written again.
        CWorkspaceSaver::getInstance()->m_CurrentPath.clear();
        CDataFolder* run = host->m_Data.CreateDataFolder();
        (void)run;
    }
};

Fixture& Shared()
{
    static Fixture* f = new Fixture;
    return *f;
}

QByteArray Record(CVideoAnlysisWindow& w)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    if (w.saveToFile(&out) != 0)
        std::abort();
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    KvFuzz::PerInputLeakChecksOff(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 8192)
        return 0;
    Fixture& f = Shared();
    auto* w = new CVideoAnlysisWindow(f.host, Qt::SubWindow);
    w->initWindow();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    QDataStream in(bytes);
    const int rc = w->loadFromFile(&in);
    if (rc != 0 && rc != -4)
        std::abort();
    if (rc == 0) {
        if (!std::isfinite(w->axisAngle) || std::abs(w->axisAngle) >= 360.0)
            std::abort();
        // Drawn over a picture of the usual size, as a shown frame would be.
        w->frameImage = QImage(320, 240, QImage::Format_RGB32);
        w->frameImage.fill(Qt::gray);
        QImage view(400, 300, QImage::Format_RGB32);
        w->DrawAxis(&view);
        w->DrawTrackingTrail(&view);
        for (const QPoint& p : w->TrackingRun().m_Trail) {
            const QPointF a = w->PointToAxisPoint(QPointF(p));
            if (!std::isfinite(a.x()) || !std::isfinite(a.y()))
                std::abort();
        }
        // What the window does once it stands in its place.
        if (!w->videoFile.isEmpty())
            w->LoadVideoFileSlot();
        // A window without a video keeps nothing but its place: axis and trail belong to a video.
        const QByteArray again = Record(*w);
        auto* back = new CVideoAnlysisWindow(f.host, Qt::SubWindow);
        back->initWindow();
        QDataStream backIn(again);
        if (back->loadFromFile(&backIn) != 0)
            std::abort();
        if (!w->videoFile.isEmpty() &&
            (back->axisOrigin != w->axisOrigin || back->axisAngle != w->axisAngle ||
             back->TrackingRun().m_Trail != w->TrackingRun().m_Trail || back->LinkedFolderKey() != w->LinkedFolderKey()))
            std::abort();
        delete back;
    }
    delete w;
    f.host->m_Prompter.m_Log.clear();
    // Loads the record asked for later find their window gone.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}

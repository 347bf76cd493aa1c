// Arbitrary text dropped on a graph window or a video-analysis window, as a drag from another
// program would bring it (the data tree's own drags are a caption and keys, comma separated).
// The first byte picks the window; the rest is the text, read as UTF-8. A graph takes plots of
// stored branches only, asks for the video of a dropped run at most once, and paints what it
// took; a video window links only a run that has a video, and a drop it refuses changes
// nothing. Over one store with runs of every branch kind and a run recorded with a video (whose
// file is not there: its load is refused with a box). A window that took something from an
// input goes with it; one that refused the drop is unchanged by it (a refused drop changes
// nothing) and serves the next input as a new one would: making a window costs far more than
// a drop.
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "common/GraphTestHost.h"
#include "graph/GraphWindow.h"
#include "video/VideoAnlysisWindow.h"
#include "video/support/VideoHost.h"
#include "windowbase/KorvantaStyle.h"
#include "WindowFuzzing.h"

#include <QApplication>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

class CDropGraphHost : public CGraphTestHost
{
public:
    void RequestVideoWindow(const QString& path, int folderKey) override
    {
        const CDataFolder* folder = m_Data.GetDataFolder(folderKey);
        if (!folder || folder->m_VideoFile != path)
            std::abort();
        ++m_VideoRequests;
    }
    int m_VideoRequests = 0;
};

// Two runs of ordinary, timing-result, tracked and calculated branches; the second was
// recorded with a video.
template <typename Store>
void FillStore(Store& data, const QString& videoFile)
{
    for (int run = 0; run < 2; ++run) {
        CDataFolder* folder = data.CreateDataFolder();
        folder->m_Name = QStringLiteral("Run%1").arg(run + 1);
        for (int index : {1, int(SensorIndexOnlineFunction), int(SensorIndexTimingResult), int(SensorIndexVideoTrack)}) {
            const int key = data.CreateDataBranch(index, 0.1, -1, -1, folder->m_Key);
            folder->AddBranchKey(key);
            CDataBranch* b = data.GetDataBranch(key);
            b->m_Name = QStringLiteral("B%1").arg(key);
            for (int i = 0; i < 20; ++i)
                b->AddSample(i, (i % 5) - 2.0);
        }
        if (run == 1) {
            folder->m_VideoFile = videoFile;
            for (int f = 0; f < 5; ++f)
                folder->AddVideoFrameAndSampleIndex(f, f * 4);
        }
    }
}

struct Fixture
{
    int argc = 1;
    char name[15] = "fuzz_drop_text";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
    std::unique_ptr<CDropGraphHost> graphHost;
    std::unique_ptr<CVideoHost> videoHost;
    // The windows that have refused every input since they were made.
    std::unique_ptr<CGraphWindow> graph;
    CVideoAnlysisWindow* video = nullptr;

    Fixture()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("GST_REGISTRY_FORK", "no");
        app = std::make_unique<QApplication>(argc, argv);
        // The program's style, as main() sets it: its standard icons are made once, not read
        // from their files for every window's title bar.
        QApplication::setStyle(new CKorvantaStyle);
        // The video's folder outlives the fixture, which is never destroyed, and goes when the
        // process ends.
        static QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("run2.avi"));
        graphHost = std::make_unique<CDropGraphHost>();
        FillStore(graphHost->m_Data, missing);
        videoHost = std::make_unique<CVideoHost>();
        FillStore(videoHost->m_Data, missing);
        // The graphs the inputs drop on are never shown, and a graph makes its tool bar when it
        // is first shown: one graph is shown once, so that the bar's making is still run under
        // the sanitizers.
        CGraphWindow shown(nullptr);
        shown.show();
        QCoreApplication::processEvents();
    }
};

Fixture& Shared()
{
    static Fixture* f = new Fixture;
    return *f;
}

// The drag as it arrives: an entry, then the drop if the entry was taken.
bool Drop(QWidget* target, const QString& text)
{
    QMimeData mime;
    mime.setText(text);
    QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(40, 40), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return true;
}

void DropOnGraph(Fixture& f, const QString& text)
{
    CDropGraphHost& host = *f.graphHost;
    host.m_VideoRequests = 0;
    if (!f.graph) {
        f.graph = std::make_unique<CGraphWindow>(&host);
        f.graph->resize(500, 300);
    }
    CGraphWindow* graph = f.graph.get();
    host.m_pActive = graph;
    Drop(graph, text);
    if (host.m_VideoRequests > 1)
        std::abort();
    QList<int> keys;
    graph->GetPlotKeys(&keys);
    for (int key : keys)
        if (!host.m_Data.GetDataBranch(key))
            std::abort();
    if (keys.isEmpty() && host.m_VideoRequests > 0)
        std::abort();
    // A graph that took plots paints them, and goes.
    if (!keys.isEmpty()) {
        QImage image(200, 120, QImage::Format_RGB32);
        QPainter painter(&image);
        graph->render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        painter.end();
    }
    host.m_pActive = nullptr;
    if (!keys.isEmpty())
        f.graph.reset();
}

// What an input left for the event loop runs before the next input, as it would in the program:
// the zero-time timers a paint starts (the scale boxes follow the plot area), objects deleted
// later. Left waiting, they piled up over a run, every timer started or stopped later went
// through all of them, and an input no longer began where the first one did.
void Settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void DropOnVideo(Fixture& f, const QString& text)
{
    CVideoHost& host = *f.videoHost;
    if (!f.video) {
        f.video = new CVideoAnlysisWindow(&host, Qt::SubWindow);
        f.video->initWindow();
    }
    CVideoAnlysisWindow* w = f.video;
    const int linkable = w->LinkableFolderOfDragText(text);
    if (linkable >= 0) {
        const CDataFolder* folder = host.m_Data.GetDataFolder(linkable);
        if (!folder || folder->m_VideoFile.isEmpty() || folder->GetNumVideoFrames() <= 0)
            std::abort();
    }
    const int before = w->LinkedFolderKey();
    const bool taken = Drop(w, text);
    if (taken != (linkable >= 0) || w->LinkedFolderKey() != (taken ? linkable : before))
        std::abort();
    if (!taken)
        return;
    delete w;
    f.video = nullptr;
    host.m_Prompter.m_Log.clear();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    KvFuzz::PerInputLeakChecksOff(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 4096)
        return 0;
    Fixture& f = Shared();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), int(size - 1));
    if (data[0] & 1)
        DropOnVideo(f, text);
    else
        DropOnGraph(f, text);
    Settle();
    return 0;
}

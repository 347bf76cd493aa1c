// Arbitrary bytes as a graph window's record in the workspace file (what follows its window
// tag): the reader returns 0 or -4, a graph it accepted writes a record that reads back to the
// same plots, and paints without reaching outside its plot list. One offscreen application,
// one store with a run of ordinary, timing-result and tracked branches, and one window serve
// every input.
#include "windowbase/ChildWindowHost.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SetupInfo.h"
#include "graph/GraphWindow.h"

#include <QApplication>
#include <QByteArray>
#include <QDataStream>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>

namespace {

class CFuzzHost : public QWidget, public IChildWindowHost
{
public:
    mutable CKorvantaSignals m_Hub{nullptr};
    mutable CSetupInfo m_Setup{nullptr};
    mutable CDataManager m_Data{&m_Setup};
    CKorvantaWindow* m_pGraph = nullptr;

    CFuzzHost()
    {
        CDataFolder* run = m_Data.CreateDataFolder();
        for (int index : {int(SensorIndexOnlineFunction), int(SensorIndexTimingResult), int(SensorIndexVideoTrack)}) {
            const int key = m_Data.CreateDataBranch(index, 0.1, -1, -1, run->m_Key);
            run->AddBranchKey(key);
            CDataBranch* b = m_Data.GetDataBranch(key);
            for (int i = 0; i < 50; ++i)
                b->AddSample(i, (i % 7) - 3.0);
        }
    }
    bool AlignToGrid() const override { return false; }
    CKorvantaSignals* GetSignals() const override { return &m_Hub; }
    CDataManager* GetDataManager() const override { return &m_Data; }
    CKorvantaWindow* GetLastActiveGraph() const override { return m_pGraph; }
    CSetupInfo* GetSetupInfo() const override { return &m_Setup; }
};

CGraphWindow& Graph()
{
    static int argc = 1;
    static char name[] = "fuzz_graph_record";
    static char* argv[] = {name, nullptr};
    static bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    static CFuzzHost* host = new CFuzzHost;
    static CGraphWindow* graph = new CGraphWindow(host);
    (void)offscreen;
    (void)app;
    host->m_pGraph = graph;
    graph->resize(500, 300);
    return *graph;
}

QByteArray Record(CGraphWindow& g)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    g.saveToFile(&out);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 8192)
        return 0;
    CGraphWindow& g = Graph();
    // The window goes back to the same empty graph after every input, so that an input leaves
    // no more allocations behind than it found (the leak check runs whenever it does).
    static const QByteArray empty = Record(g);
    struct Reset
    {
        CGraphWindow& g;
        ~Reset()
        {
            QDataStream in(empty);
            if (g.loadFromFile(&in) != 0)
                std::abort();
            // What the window posted for later is delivered, as the program's event loop
            // would: left in the queue it would pile up from input to input.
            QCoreApplication::sendPostedEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    } reset{g};
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    QDataStream in(bytes);
    const int rc = g.loadFromFile(&in);
    if (rc != 0 && rc != -4)
        std::abort();
    if (rc != 0)
        return 0;
    // A stored size may be huge; the picture is painted at an ordinary one.
    g.resize(500, 300);
    QImage image(200, 120, QImage::Format_RGB32);
    QPainter painter(&image);
    // The graph's own drawing only: its toolbar and scale lists are the toolkit's widgets.
    g.render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    painter.end();
    // What was accepted writes a record that reads back to the same plot keys.
    QList<int> keys;
    g.GetPlotKeys(&keys);
    const QByteArray again = Record(g);
    QDataStream back(again);
    if (g.loadFromFile(&back) != 0)
        std::abort();
    QList<int> keysAgain;
    g.GetPlotKeys(&keysAgain);
    if (keys != keysAgain)
        std::abort();
    return 0;
}

// A short lesson through korvanta for the README's pictures.
//
//   korvanta-lesson OUT_DIR
//
// Builds the main window as korvanta's main() does, with a simulated Pelorin logger (a
// temperature and a voltage sensor) on a pseudo-terminal named in KORVANTA_EXTRA_PORTS, and
// walks through a lesson: a run drawn live, the full setup, a table and a meter following a
// second run, a straight line fitted between the cursors, the statistics of that range, and
// the video window. After each step the whole screen is saved as a PNG in OUT_DIR. Run it on an X
// server of the size wanted (tools/screenshots.sh starts Xvfb); exits 0 when every picture
// was written.
#include "app/base/Fonts.h"
#include "app/shell/CustomRunButton.h"
#include "app/shell/MainWindow.h"
#include "app/shell/WindowsManager.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicManager.h"
#include "graph/GraphWindow.h"
#include "setup/SetupWindow.h"
#include "simulator/LoggerSimulator.h"
#include "simulator/ModelFactory.h"
#include "simulator/PelorinDevice.h"
#include "table/MetersWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

// Lets the event loop run until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

void settle(int ms)
{
    waitFor([] { return false; }, ms);
}

class CLesson
{
public:
    explicit CLesson(const QString& outDir) : m_Out(outDir) {}

    bool run()
    {
        if (!startLogger() || !startWindow())
            return false;
        return liveGraph() && fullSetup() && tableAndMeters() && analysis() && video();
    }

private:
    bool shoot(const QString& name)
    {
        settle(600);
        QScreen* screen = QGuiApplication::primaryScreen();
        const QString path = QDir(m_Out).filePath(name + QStringLiteral(".png"));
        const bool ok = screen && screen->grabWindow(0).save(path);
        std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
        return ok;
    }

    bool fail(const char* what)
    {
        std::fprintf(stderr, "lesson: %s\n", what);
        return false;
    }

    bool startLogger()
    {
        std::unique_ptr<kvsim::IDeviceModel> model = kvsim::createDeviceModel(QStringLiteral("pelorin"));
        if (!model)
            return fail("no simulated logger");
        const quint16 vendor = model->vendorId(), product = model->productId();
        m_pSim = std::make_unique<kvsim::CLoggerSimulator>(std::move(model));
        if (!m_pSim->start())
            return fail("the simulated logger did not start");
        kvsim::CPelorinDevice::Sensor temperature;
        temperature.channel = 1;
        temperature.idLow = 2;
        kvsim::CPelorinDevice::Sensor voltage;
        voltage.channel = 2;
        voltage.idLow = 1;
        m_pSim->invoke([&] { static_cast<kvsim::CPelorinDevice*>(m_pSim->model())->setSensors({temperature, voltage}); });
        qputenv("KORVANTA_EXTRA_PORTS", QStringLiteral("%1:%2:%3")
                                            .arg(m_pSim->portName())
                                            .arg(vendor, 4, 16, QLatin1Char('0'))
                                            .arg(product, 4, 16, QLatin1Char('0'))
                                            .toLocal8Bit());
        return true;
    }

    bool startWindow()
    {
        m_pWindow = std::make_unique<MainWindow>(nullptr);
        m_pWindow->setWindowTitle(m_pWindow->applicationTitle());
        m_pWindow->init();
        if (QScreen* screen = QGuiApplication::primaryScreen())
            m_pWindow->setGeometry(screen->availableGeometry());
        m_pWindow->show();
        CSetupInfo* setup = nullptr;
        const bool ready = waitFor(
            [&] {
                CSetupWindow* s = wm()->GetSetupWindow();
                setup = s ? s->getSetupInfo() : nullptr;
                return setup && setup->GetActiveMeasurementCount() > 1 && m_pWindow->GetRunButton()->isEnabled();
            },
            15000);
        return ready ? true : fail("the simulated logger was not detected");
    }

    CWindowsManager* wm() const { return m_pWindow->windowsManager(); }

    // The setup as the logger reports it (ten samples a second for ten seconds): the Run button.
    bool startRun()
    {
        m_pWindow->GetRunButton()->click();
        return waitFor([&] { return m_pWindow->GetRunButton()->RunControlState != 0; }, 5000);
    }

    bool waitForRunEnd()
    {
        return waitFor([&] { return m_pWindow->GetRunButton()->RunControlState == 0; }, 60000)
               && waitFor([&] { return m_pWindow->GetRunButton()->isEnabled(); }, 5000);
    }

    bool liveGraph()
    {
        if (!startRun())
            return fail("the run did not start");
        settle(4000);
        const bool shot = shoot(QStringLiteral("main-window-live-graph"));
        return waitForRunEnd() && shot;
    }

    bool fullSetup()
    {
        CSetupWindow* setup = wm()->GetSetupWindow();
        setup->displaySetupWindow(1);
        const bool shot = shoot(QStringLiteral("full-setup"));
        setup->displaySetupWindow(0);
        return shot;
    }

    CGraphWindow* graph() const
    {
        return qobject_cast<CGraphWindow*>(wm()->GetCurrent(CWindowsManager::GraphKind));
    }

    // The graph on the left, the meter above the table on the right of the document area.
    void arrange(QMdiSubWindow* meters, QMdiSubWindow* table)
    {
        const QRect area = wm()->viewport()->rect();
        const int side = std::min(460, area.width() / 3);
        const int left = area.width() - side;
        if (CGraphWindow* g = graph())
            g->setGeometry(g->x(), g->y(), left - g->x(), area.height() - g->y());
        if (meters)
            meters->setGeometry(left, 0, side, std::min(side, area.height() / 2));
        if (table)
            table->setGeometry(left, meters ? meters->height() : 0, side,
                               area.height() - (meters ? meters->height() : 0));
    }

    bool tableAndMeters()
    {
        wm()->ShowTableWindow();
        QMdiSubWindow* table = wm()->GetLastMade(CWindowsManager::TableKind);
        wm()->ShowMetersWindow();
        QMdiSubWindow* meters = wm()->GetLastMade(CWindowsManager::MetersKind);
        arrange(meters, table);
        if (!startRun())
            return fail("the second run did not start");
        // The meter follows the rising pressure, the second measurement of its list.
        settle(1000);
        if (meters)
            if (auto* list = meters->findChild<QComboBox*>(QStringLiteral("cb_sensors")))
                list->setCurrentIndex(1);
        settle(5000);
        const bool shot = shoot(QStringLiteral("table-and-meters"));
        return waitForRunEnd() && shot;
    }

    bool analysis()
    {
        CGraphWindow* g = graph();
        if (!g || g->GetNumPlots() < 2)
            return fail("no graph to analyse");
        wm()->setActiveSubWindow(g);
        // Both cursors on the rising pressure plot, a third and two thirds along the run.
        const int samples = 100;
        g->OnCursor();
        g->OnCursor2();
        const CDataBranch* pressure = g->GetDataBranch(1);
        if (!pressure || pressure->GetNumSamples() < samples)
            return fail("the pressure run is short");
        g->m_Cursor1Plot = g->m_Cursor2Plot = 1;
        g->m_Cursor1Sample = samples / 3;
        g->m_Cursor2Sample = 2 * samples / 3;
        g->m_CursorSampleDelta = g->m_Cursor2Sample - g->m_Cursor1Sample;
        g->m_Cursor1X = float(pressure->GetXSample(g->m_Cursor1Sample));
        g->m_Cursor1Y = float(pressure->GetYSample(g->m_Cursor1Sample));
        g->m_Cursor2X = float(pressure->GetXSample(g->m_Cursor2Sample));
        g->m_Cursor2Y = float(pressure->GetYSample(g->m_Cursor2Sample));
        const int plots = g->GetNumPlots();
        wm()->onLinearCurveFitFunc();
        // The fitted line on the scale of the plot it was fitted to, as a teacher would set it
        // in the graph's properties, so the two lie on each other.
        waitFor([&] { return g->GetNumPlots() > plots; }, 3000);
        if (g->GetNumPlots() > plots) {
            g->m_Plots[plots].m_Min = g->m_Plots[1].m_Min;
            g->m_Plots[plots].m_Max = g->m_Plots[1].m_Max;
            g->m_Plots[plots].m_bAutoScale = false;
            g->m_Plots[plots].m_Style = CGraphPlot::StyleDashed;
            g->m_Plots[plots].m_Color = QColor(0x1d, 0x3f, 0x8c);
            g->m_RightScalePlot = 1;
            g->update();
        }
        if (!shoot(QStringLiteral("analysis-linear-fit")))
            return false;
        // The statistics of the cursor range open as a modal box: the picture is taken while it
        // shows, then it is closed.
        bool shot = false;
        QTimer::singleShot(1500, [&] {
            shot = shoot(QStringLiteral("analysis-fit-and-statistics"));
            if (QWidget* box = QApplication::activeModalWidget())
                box->close();
        });
        wm()->onStatisticsFunc();
        return shot;
    }

    bool video()
    {
        wm()->ShowVideoWindow(false);
        return shoot(QStringLiteral("video-window"));
    }

    QString m_Out;
    std::unique_ptr<kvsim::CLoggerSimulator> m_pSim;
    std::unique_ptr<MainWindow> m_pWindow;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    KorvantaFonts::Install();
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: korvanta-lesson OUT_DIR\n");
        return 2;
    }
    if (!QDir().mkpath(args.at(1))) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(args.at(1)));
        return 1;
    }
    CLesson lesson(args.at(1));
    return lesson.run() ? 0 : 1;
}

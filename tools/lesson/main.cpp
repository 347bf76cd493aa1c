// A short lesson through korvanta for the README's pictures and the user guide's.
//
//   korvanta-lesson [--guide] OUT_DIR
//
// Builds the main window as korvanta's main() does, with a simulated Pelorin logger on a
// pseudo-terminal named in KORVANTA_EXTRA_PORTS, and walks through a lesson, saving the screen
// (or the one window a picture is about) as a PNG in OUT_DIR after each step. Run it on an X
// server of the size wanted (tools/screenshots.sh starts Xvfb); exits 0 when every picture was
// written.
//
// The README's lesson (a temperature and a pressure sensor): a run drawn live, the full setup,
// a table and a meter following a second run, a straight line fitted between the cursors, the
// statistics of that range, and the video window.
//
// The guide's lesson (--guide, a temperature sensor): a run, the Math Function dialog computing
// a series from it, the main window with both, the full setup window, and a video-analysis
// window with a generated video of a thrown ball tracked into a run.
#include "analysis_dialogs/FunctionsDialog.h"
#include "windowbase/Fonts.h"
#include "windowbase/MultiAction.h"
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
#include "video/VideoAnlysisWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <algorithm>
#include <cmath>
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

// A ball thrown across a plain dark wall (the axes and the trail are drawn light) above a floor,
// filmed from the side: the video the guide's video analysis tracks. Drawn without smoothing, so
// every frame shows the same ball to match.
struct ThrowVideo
{
    static constexpr int s_Width = 480, s_Height = 360, s_Frames = 40, s_Radius = 12;
    static constexpr double s_Fps = 25.0;
    static constexpr int s_FloorY = 318;

    // Where the ball's centre is in frame i: a steady pace across, a parabola up and down.
    static QPoint centreAt(int i)
    {
        return QPoint(50 + 9 * i, int(std::lround(300 - 14.0 * i + 0.35 * i * i)));
    }

    static cv::Mat frame(int i)
    {
        cv::Mat m(s_Height, s_Width, CV_8UC3, cv::Scalar(92, 78, 66));
        cv::rectangle(m, cv::Rect(0, s_FloorY, s_Width, s_Height - s_FloorY), cv::Scalar(70, 104, 136),
                      cv::FILLED);
        const QPoint c = centreAt(i);
        cv::circle(m, cv::Point(c.x(), c.y()), s_Radius, cv::Scalar(40, 110, 225), cv::FILLED, cv::LINE_8);
        return m;
    }

    // MJPG in AVI by OpenCV's own writer: no codec library needed.
    static bool write(const QString& path)
    {
        cv::VideoWriter writer;
        if (!writer.open(path.toStdString(), cv::CAP_OPENCV_MJPEG,
                         cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), s_Fps, cv::Size(s_Width, s_Height)))
            return false;
        for (int i = 0; i < s_Frames; ++i)
            writer.write(frame(i));
        writer.release();
        return true;
    }
};

class CLesson
{
public:
    CLesson(const QString& outDir, bool guide) : m_Out(outDir), m_bGuide(guide) {}

    bool run()
    {
        if (!startLogger() || !startWindow())
            return false;
        if (m_bGuide)
            return guideRun() && mathFunction() && shoot(QStringLiteral("main-window")) && fullSetup()
                   && trackedVideo();
        return liveGraph() && fullSetup() && tableAndMeters() && analysis() && video();
    }

private:
    // The whole screen, or only the given window where the picture is about that one.
    bool shoot(const QString& name, const QWidget* window = nullptr)
    {
        settle(600);
        QScreen* screen = QGuiApplication::primaryScreen();
        const QString path = QDir(m_Out).filePath(name + QStringLiteral(".png"));
        QPixmap picture;
        if (screen && window) {
            const QPoint corner = window->mapToGlobal(QPoint(0, 0));
            picture = screen->grabWindow(0, corner.x(), corner.y(), window->width(), window->height());
        } else if (screen) {
            picture = screen->grabWindow(0);
        }
        const bool ok = !picture.isNull() && picture.save(path);
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
        // The pictures were taken with the signal over 80 % of the spans below.
        std::unique_ptr<kvsim::IDeviceModel> model =
            kvsim::createDeviceModel(QStringLiteral("pelorin"), kvsim::SignalSettings{kvsim::SignalShape::Sine, 0.8});
        if (!model)
            return fail("no simulated logger");
        const quint16 vendor = model->vendorId(), product = model->productId();
        m_pSim = std::make_unique<kvsim::CLoggerSimulator>(std::move(model));
        if (!m_pSim->start())
            return fail("the simulated logger did not start");
        kvsim::CPelorinDevice::Sensor temperature;
        temperature.channel = 1;
        temperature.idLow = 2;
        // The counts the thermistor reads between about 15 and 30 degrees C, as the simulator's
        // own temperature sensor: a room's temperatures, inside the sensor's range.
        temperature.span = {2000, 2650};
        kvsim::CPelorinDevice::Sensor pressure;
        pressure.channel = 2;
        pressure.idLow = 1;
        QList<kvsim::CPelorinDevice::Sensor> sensors {temperature};
        if (!m_bGuide)
            sensors.append(pressure);
        m_Sensors = sensors.size();
        m_pSim->invoke([&] { static_cast<kvsim::CPelorinDevice*>(m_pSim->model())->setSensors(sensors); });
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
                return setup && setup->GetActiveMeasurementCount() >= m_Sensors
                       && m_pWindow->GetRunButton()->isEnabled();
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
        // Time for the current reading to come after the run.
        if (m_bGuide)
            settle(2500);
        // The guide shows the window alone, the README the window in the main window.
        const bool shot = shoot(QStringLiteral("full-setup"), m_bGuide ? setup->currentWindow() : nullptr);
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
        const int s1 = samples / 3, s2 = 2 * samples / 3;
        g->Cursors().Place(1, 1, s1, float(pressure->GetXSample(s1)), float(pressure->GetYSample(s1)));
        g->Cursors().Place(2, 1, s2, float(pressure->GetXSample(s2)), float(pressure->GetYSample(s2)));
        g->Cursors().SetSampleDelta(s2 - s1);
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
            g->OnRightScaleComboChanged(1);
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

    // The guide's run: the whole run of the setup the logger reports, drawn in the graph.
    bool guideRun()
    {
        if (!startRun() || !waitForRunEnd())
            return fail("the run did not end");
        return graph() && graph()->GetNumPlots() > 0 ? true : fail("the run was not drawn");
    }

    // The recorded temperature in degrees Fahrenheit, A * G1 + B: the proposed name kept, the
    // unit typed. The dialog is modal: it is filled in, its picture taken and its Ok pressed
    // from a timer while it shows.
    bool mathFunction()
    {
        CGraphWindow* g = graph();
        wm()->setActiveSubWindow(g);
        const int plots = g->GetNumPlots();
        bool shot = false;
        QTimer::singleShot(1000, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* dialog = qobject_cast<FunctionsDialog*>(modal);
            Ui_FunctionsDialog* form = dialog ? dialog->form() : nullptr;
            const int linear = form ? form->FunctionCombo->findText(QStringLiteral("Linear")) : -1;
            if (linear < 0) {
                if (modal)
                    modal->close();
                return;
            }
            // What a pick from the list sends.
            form->FunctionCombo->setCurrentIndex(linear);
            emit form->FunctionCombo->activated(linear);
            form->A_Edit->setText(QStringLiteral("1.8"));
            form->B_Edit->setText(QStringLiteral("32"));
            form->UnitEdit->setText(QStringLiteral("°F"));
            shot = shoot(QStringLiteral("math-function"), dialog);
            form->OkButton->click();
        });
        wm()->onMathFunc();
        if (!shot)
            return fail("the Math Function dialog did not show");
        if (!waitFor([&] { return g->GetNumPlots() > plots; }, 5000))
            return fail("the new series was not drawn");
        return true;
    }

    // Selects the object as the user does: Set Object, then a drag round it on the picture.
    static void selectObject(CVideoAnlysisWindow* w, const QRect& framePixels)
    {
        const QRect area = w->videoArea();
        auto toWindow = [&](const QPoint& p) {
            return area.topLeft()
                   + QPoint(int(std::ceil(p.x() * double(area.width()) / w->frameImage.width())),
                            int(std::ceil(p.y() * double(area.height()) / w->frameImage.height())));
        };
        const QPoint from = toWindow(framePixels.topLeft()), to = toWindow(framePixels.bottomRight());
        w->OnSetObject();
        QMouseEvent press(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &move);
        QApplication::sendEvent(w, &release);
    }

    // A generated video opened in a video-analysis window, the ball tracked into a new run that
    // the graph beside the window draws.
    bool trackedVideo()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("throw.avi"));
        if (!dir.isValid() || !ThrowVideo::write(path))
            return fail("the video could not be written");
        CVideoAnlysisWindow* w = wm()->ShowVideoWindow(true);
        if (!w || !w->LoadVideoFile(path))
            return fail("the video did not open");
        if (!waitFor([&] { return w->playState == CVideoAnlysisWindow::Stopped && w->videoDuration > 0
                                  && !w->frameImage.isNull(); },
                     10000))
            return fail("the video's first frame did not come");
        settle(1200);
        // The axes start where the ball leaves the hand; the object is the ball with a margin.
        w->axisOrigin = ThrowVideo::centreAt(0);
        const int r = ThrowVideo::s_Radius + 4;
        selectObject(w, QRect(ThrowVideo::centreAt(0) - QPoint(r, r), QSize(2 * r, 2 * r)));
        if (!w->templateSet)
            return fail("the ball was not selected");
        w->UpdateButtons();
        w->action(CVideoAnlysisWindow::KeyStartTracking)->trigger();
        if (!waitFor([&] { return !w->isTracking; }, 60000)
            || w->TrackingRun().m_Trail.size() < ThrowVideo::s_Frames / 2)
            return fail("the ball was not tracked");
        // The video window at the top left, the graph of the track filling the rest.
        const QRect area = wm()->viewport()->rect();
        w->move(0, 0);
        if (CGraphWindow* g = graph())
            g->setGeometry(w->width(), 0, area.width() - w->width(), area.height());
        w->updateVideoDisplay();
        return shoot(QStringLiteral("video-window"));
    }

    QString m_Out;
    bool m_bGuide = false;
    int m_Sensors = 0;
    std::unique_ptr<kvsim::CLoggerSimulator> m_pSim;
    std::unique_ptr<MainWindow> m_pWindow;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    KorvantaFonts::Install();
    QStringList args = app.arguments();
    const bool guide = args.size() > 1 && args.at(1) == QStringLiteral("--guide");
    if (guide)
        args.removeAt(1);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: korvanta-lesson [--guide] OUT_DIR\n");
        return 2;
    }
    if (!QDir().mkpath(args.at(1))) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(args.at(1)));
        return 1;
    }
    CLesson lesson(args.at(1), guide);
    return lesson.run() ? 0 : 1;
}

#pragma once
// The real main window as main() builds it, against a simulated logger on a pseudo-terminal:
// the road the end-to-end tests of the shell drive.
#include "app/shell/CustomRunButton.h"
#include "app/shell/MainWindow.h"
#include "app/shell/WindowsManager.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicManager.h"
#include "graph/GraphWindow.h"
#include "setup/SetupWindow.h"
#include "simulator/PelorinDevice.h"
#include "common/ScriptedPrompter.h"
#include "common/QueuedSpy.h"
#include "common/SimulatedLogger.h"

#include <QTest>

#include <memory>

// Host frames of the simulator log with the given opcode at byte `at` (3 for the Pelorin
// logger, 2 for the Dravlet interface).
inline int HostFrames(const kvsim::CLoggerSimulator& sim, unsigned char opcode, int at = 3)
{
    int n = 0;
    for (const QByteArray& f : sim.frames())
        n += f.size() > at && quint8(f[at]) == opcode;
    return n;
}

// The simulated logger, its port in the environment, and the main window as main() builds it.
struct CAppBench
{
    CScriptedPrompter prompter;
    std::unique_ptr<kvsim::CLoggerSimulator> sim;
    std::unique_ptr<CTestPortEnumerator> ports;
    std::unique_ptr<MainWindow> window;
    quint16 vendor = 0;
    quint16 product = 0;
    // The hub's logger signals come from the loggers' threads as well.
    std::unique_ptr<CQueuedSpy> detections;
    std::unique_ptr<CQueuedSpy> started;
    std::unique_ptr<CQueuedSpy> ended;
    std::unique_ptr<CQueuedSpy> newData;
    // The device answers nothing from the start.
    bool startSilent = false;

    // model: the simulated device as korvanta-sim names it. testPorts: the serial devices come
    // from a test enumerator (so the cable can be plugged in again under a new name) instead
    // of the real enumerator with the device in KORVANTA_EXTRA_PORTS.
    // signal: what the sensors read; by default raw counts that climb by one a sample, which
    // run checks can recompute. configure, when given, sets the model up further.
    bool start(const QString& modelName = QStringLiteral("pelorin"), bool testPorts = false,
               const kvsim::SignalSettings& signal = kvsim::SignalSettings{kvsim::SignalShape::Counter},
               const std::function<void(kvsim::IDeviceModel&)>& configure = {})
    {
        sim = StartSimulatedLogger(modelName, [&](kvsim::IDeviceModel& model) {
            model.setSignal(signal);
            if (configure)
                configure(model);
        });
        if (!sim)
            return false;
        vendor = sim->model()->vendorId();
        product = sim->model()->productId();
        sim->setSilent(startSilent);
        if (testPorts) {
            qunsetenv("KORVANTA_EXTRA_PORTS");
            ports = std::make_unique<CTestPortEnumerator>();
            ports->setPorts({CTestPortEnumerator::makePort(sim->portName(), vendor, product)});
        }
        window = std::make_unique<MainWindow>(nullptr);
        if (ports)
            window->logicManager()->SetPortEnumerator(ports.get());
        CKorvantaSignals* hub = window->windowsManager()->GetSignals();
        detections = std::make_unique<CQueuedSpy>(hub, &CKorvantaSignals::LoggerEndDtetection);
        started = std::make_unique<CQueuedSpy>(hub, &CKorvantaSignals::LoggerStartedRun);
        ended = std::make_unique<CQueuedSpy>(hub, &CKorvantaSignals::LoggerExperimentEnd);
        newData = std::make_unique<CQueuedSpy>(hub, &CKorvantaSignals::LoggerNewDataArrived);
        window->setWindowTitle(window->applicationTitle());
        window->init();
        window->show();
        return true;
    }

    // The members then go in reverse order: the spies, the window, the ports, the simulator.
    ~CAppBench()
    {
        if (sim)
            sim->setRestartListener({});
        qunsetenv("KORVANTA_EXTRA_PORTS");
    }

    // The cable pulled out: the device and its path go away.
    bool pullCable()
    {
        const QString old = sim->portName();
        sim->unplug();
        return ports && ports->unplug(old);
    }
    // Plugged in again: the simulator's new pair arrives as a new device.
    bool plugIn()
    {
        if (!ports || !sim->replug())
            return false;
        ports->plug(CTestPortEnumerator::makePort(sim->portName(), vendor, product));
        return true;
    }

    CustomRunButton* button() const { return window->GetRunButton(); }
    int state() const { return button()->RunControlState; }
    CSetupWindow* setup() const { return window->windowsManager()->GetSetupWindow(); }
    CLogicManager* logic() const { return window->logicManager(); }
    kvsim::CPelorinDevice* device() const { return dynamic_cast<kvsim::CPelorinDevice*>(sim->model()); }

    // What the user does in the setup: a rate and a number of samples from the offered lists.
    bool chooseRateAndSamples(int rateCode, int samples)
    {
        const int rate = setup()->m_UiRateCodes.indexOf(rateCode);
        const int count = setup()->m_SampleCounts.indexOf(samples);
        if (rate < 0 || count < 0)
            return false;
        setup()->rateChanged(rate);
        setup()->durationChanged(count);
        return true;
    }

    // Waits for the logger and its measurements, then chooses a rate and a number of samples.
    bool detectAndChoose(int rateCode, int samples)
    {
        return QTest::qWaitFor([&] { return !detections->isEmpty() && setup()->getSetupInfo()->GetActiveMeasurementCount() > 0; },
                               8000)
               && chooseRateAndSamples(rateCode, samples) && QTest::qWaitFor([&] { return button()->isEnabled(); }, 3000);
    }
    CGraphWindow* graph() const
    {
        return qobject_cast<CGraphWindow*>(window->windowsManager()->GetCurrent(CWindowsManager::GraphKind));
    }

    void pressRun() { QTest::mouseClick(button(), Qt::LeftButton, Qt::NoModifier, button()->rect().center()); }

    // The branches of the run folder at `index`, in folder order.
    QList<CDataBranch*> runBranches(int index) const
    {
        QList<CDataBranch*> out;
        CDataFolder* folder = logic()->m_DataManager.GetDataFolderByIndex(index);
        for (int i = 0; folder && i < folder->GetNumberBranches(); ++i)
            if (CDataBranch* b = logic()->m_DataManager.GetDataBranch(folder->GetBranchKey(i)))
                out << b;
        return out;
    }
};


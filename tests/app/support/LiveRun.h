#pragma once
// The real main window against the simulated Pelorin logger, detected and set to a rate and a
// number of samples, ready for the Run button; the start-up graph is the one a run goes to.
#include "ScriptedPrompter.h"
#include "app/shell/CustomRunButton.h"
#include "app/shell/MainWindow.h"
#include "app/shell/WindowsManager.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SetupInfo.h"
#include "graph/GraphWindow.h"
#include "setup/SetupWindow.h"
#include "simulator/LoggerSimulator.h"
#include "simulator/ModelFactory.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

struct CLiveRun
{
    CScriptedPrompter prompter;
    std::unique_ptr<kvsim::CLoggerSimulator> sim;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QSignalSpy> detected;
    std::unique_ptr<QSignalSpy> ended;

    ~CLiveRun()
    {
        ended.reset();
        detected.reset();
        window.reset();
        sim.reset();
        qunsetenv("KORVANTA_EXTRA_PORTS");
    }
    CWindowsManager* manager() const { return window->windowsManager(); }
    CSetupWindow* setup() const { return manager()->GetSetupWindow(); }
    CGraphWindow* graph() const { return qobject_cast<CGraphWindow*>(manager()->GetCurrent(CWindowsManager::GraphKind)); }

    // The simulator on its pseudo-terminal, named to the real enumerator, and the main window
    // as main() builds it.
    bool start()
    {
        // Raw counts that climb by one a sample, as the comparisons of live and full paints
        // were written for: a sloped curve's join pixels are blended once per tick that
        // draws them, a few levels off a full paint.
        std::unique_ptr<kvsim::IDeviceModel> model =
            kvsim::createDeviceModel(QStringLiteral("pelorin"), kvsim::SignalSettings{kvsim::SignalShape::Counter});
        if (!model)
            return false;
        const quint16 vendor = model->vendorId(), product = model->productId();
        sim = std::make_unique<kvsim::CLoggerSimulator>(std::move(model));
        if (!sim->start())
            return false;
        qputenv("KORVANTA_EXTRA_PORTS", QStringLiteral("%1:%2:%3").arg(sim->portName())
                                            .arg(vendor, 4, 16, QLatin1Char('0'))
                                            .arg(product, 4, 16, QLatin1Char('0')).toLocal8Bit());
        window = std::make_unique<MainWindow>(nullptr);
        CKorvantaSignals* hub = manager()->GetSignals();
        detected = std::make_unique<QSignalSpy>(hub, &CKorvantaSignals::LoggerEndDtetection);
        ended = std::make_unique<QSignalSpy>(hub, &CKorvantaSignals::LoggerExperimentEnd);
        window->setWindowTitle(window->applicationTitle());
        window->init();
        window->show();
        return true;
    }
    // Waits for the logger and chooses a rate code and a sample count from the setup's lists.
    bool detectAndChoose(int rateCode, int samples)
    {
        if (!QTest::qWaitFor([&] { return detected->count() > 0; }, 8000))
            return false;
        if (!QTest::qWaitFor([&] { return setup()->getSetupInfo()->GetActiveMeasurementCount() > 0; }, 4000))
            return false;
        const int rate = setup()->m_UiRateCodes.indexOf(rateCode);
        const int count = setup()->m_SampleCounts.indexOf(samples);
        if (rate < 0 || count < 0)
            return false;
        setup()->rateChanged(rate);
        setup()->durationChanged(count);
        return QTest::qWaitFor([&] { return window->GetRunButton()->isEnabled(); }, 3000);
    }
    void pressRun()
    {
        CustomRunButton* b = window->GetRunButton();
        QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
    }
};

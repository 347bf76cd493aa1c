// Photogate lessons through the real application, once per logger model, against the simulated
// logger with two photogates: event timing chosen in the Sampling Mode dialog, the timing run's
// stored results checked to the logger's clock tick against the lesson's speed, flag width, gate
// distance and period; then the gates sampled in an ordinary run and evaluated by the timing
// wizard, checked to the sample interval.
#include "analysis_dialogs/TimingWizard.h"
#include "app/shell/CustomRunButton.h"
#include "app/shell/MainWindow.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Logic/LogicManager.h"
#include "setup/ExperimentModeDialog.h"
#include "setup/SetupWindow.h"
#include "simulator/PhotogateModels.h"
#include "support/ScriptedPrompter.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include "common/SimulatedLogger.h"
#include "common/TestMain.h"

namespace {

// Carts at 1 m/s with a 2 cm flag through gates 50 cm apart, every 0.62 s; a pendulum of 1 s.
kvsim::PhotogateSettings Lesson(bool pendulum)
{
    kvsim::PhotogateSettings s;
    QString error;
    kvsim::PhotogateSettingsFrom("2", pendulum ? "pendulum" : "cart", "1", "2", "50", "1", "", "", "0.5", s, error);
    return s;
}

// The dialog's (and the wizard's) measurement and arrangement, the length in cm, the wizard's
// method; the result from the lesson (t = w / v, v = w / (w / v), v = d / (d / v), T) and the
// time it is measured over in seconds.
struct Case { const char *name, *measurement, *method, *length; int wizardMethod; double expected, interval; };
const Case s_Cases[] = {
    {"time at one gate", "Time", "At one gate", "", 0, 0.02, 0.02},
    {"velocity at one gate", "Velocity", "At one gate", "2", 1, 1.0, 0.02},
    {"velocity between gates", "Velocity", "Between gates", "50", 11, 1.0, 0.5},
    {"pendulum", "Time", "Pendulum (one gate)", "", 20, 1.0, 1.0},
};

} // namespace

class TestPhotogateEndToEndRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void lessons_data()
    {
        QTest::addColumn<double>("tick");  // of the logger's timing clock, s
        QTest::newRow("pelorin") << 1e-6;
        QTest::newRow("dravlet") << 1.0 / 24e6;
    }
    void lessons();
};

void TestPhotogateEndToEndRun::lessons()
{
    QFETCH(double, tick);
    const QString model = QTest::currentDataTag();
    CScriptedPrompter prompter;
    auto sim = StartSimulatedLogger(model, [](kvsim::IDeviceModel& m) { kvsim::ApplyPhotogates(m, Lesson(false)); });
    QVERIFY(sim);
    auto window = std::make_unique<MainWindow>(nullptr);
    CWindowsManager* wm = window->windowsManager();
    CDataManager& data = window->logicManager()->m_DataManager;
    CSetupWindow* setup = wm->GetSetupWindow();
    CustomRunButton* run = window->GetRunButton();
    QSignalSpy detected(wm->GetSignals(), &CKorvantaSignals::LoggerEndDtetection);
    QSignalSpy ended(wm->GetSignals(), &CKorvantaSignals::LoggerExperimentEnd);
    window->init();
    window->show();
    QTRY_COMPARE_WITH_TIMEOUT(detected.count(), 1, 8000);
    QTRY_VERIFY_WITH_TIMEOUT(run->isEnabled(), 6000);
    const auto pressRun = [run] { QTest::mouseClick(run, Qt::LeftButton, Qt::NoModifier, run->rect().center()); };
    const auto finished = [&](int before) {
        return QTest::qWaitFor([&] { return ended.count() > before && run->RunControlState == RunControl::Idle; }, 8000);
    };
    // Auto sampling at 500 samples a second for 1000 samples, or event timing as the case says.
    const auto chooseMode = [&](const Case* c) {
        wm->OnExperimentModeButton();
        Ui_CExperimentModeDialog* f = wm->experimentModeDialog()->form();
        (c ? f->timingRunButton : f->normalRunButton)->click();
        if (c) {
            f->measurementComboBox->setCurrentIndex(f->measurementComboBox->findText(c->measurement));
            f->methodComboBox->setCurrentIndex(f->methodComboBox->findText(c->method));
            f->timingParameterEdit->selectAll();
            QTest::keyClicks(f->timingParameterEdit, c->length);
        } else {
            setup->rateChanged(setup->m_UiRateCodes.indexOf(11));
            setup->durationChanged(setup->m_SampleCounts.indexOf(1000));
        }
        f->okButton->click();
        return window->GetCurrentRunMode() == (c ? 1 : 0);
    };
    for (const Case& c : s_Cases) {
        const QString name = c.name;
        sim->invoke([&] { kvsim::ApplyPhotogates(*sim->model(), Lesson(c.wizardMethod == 20)); });
        QVERIFY2(chooseMode(&c), c.name);
        CDataFolder* previous = data.GetLastDataFolder();
        int before = ended.count();
        pressRun();
        CDataBranch* results = nullptr;
        QTRY_VERIFY2_WITH_TIMEOUT(data.GetLastDataFolder() != previous
                                      && (results = data.GetDataBranch(data.GetLastDataFolder()->GetBranchKey(0)))
                                      && results->GetYSize() >= 2,
                                  c.name, 8000);
        pressRun();
        QVERIFY2(finished(before) && results->m_SensorIndex == 20483, c.name);
        // A result is a difference of two clock readings: off by at most a tick of each.
        for (int i = 0; i < 2; ++i)
            QVERIFY2(std::abs(results->GetYSample(i) - c.expected) <= c.expected * 2 * tick / c.interval + 1e-12,
                     qPrintable(name + ": " + QString::number(results->GetYSample(i), 'g', 12)));

        QVERIFY2(chooseMode(nullptr), c.name);
        before = ended.count();
        pressRun();
        QVERIFY2(finished(before), c.name);
        prompter.m_DialogHook = [&c](QDialog* dialog) {
            auto* w = qobject_cast<TimingWizard*>(dialog);
            w->show();
            Ui_TimingWizard* f = w->form();
            (c.wizardMethod % 10 == 0 ? f->timeRadioButton : f->velocityRadioButton)->click();
            w->button(QWizard::NextButton)->click();  // picks the method at one gate
            if (c.wizardMethod == 11)
                f->velocityBetweenGatesRadionButton->click();
            if (c.wizardMethod == 20)
                f->timePendulumRadioButton->click();
            f->lengthLineEdit->setText(c.length);
            w->button(QWizard::FinishButton)->click();
        };
        wm->onPhotogateFunc();
        const QString result = prompter.m_Log.last();
        // Passages seen at 500 samples a second: a sample either way, printed with 3 decimals.
        QRegularExpressionMatchIterator it = QRegularExpression("([0-9.]+) m?/?s").globalMatch(result);
        QVERIFY2(it.hasNext(), qPrintable(name + ": " + result));
        while (it.hasNext())
            QVERIFY2(std::abs(it.next().captured(1).toDouble() - c.expected) <= c.expected * 0.002 / (c.interval - 0.002) + 5e-4,
                     qPrintable(name + ": " + result));
    }
    window.reset();
    qunsetenv("KORVANTA_EXTRA_PORTS");
}

KORVANTA_TEST_MAIN(TestPhotogateEndToEndRun)
#include "tst_photogate_e2e_run.moc"

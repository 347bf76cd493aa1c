// Photogate lessons through the real application, once per logger model, against the simulated
// logger with two photogates: event timing chosen in the Sampling Mode dialog, the timing run's
// stored results checked to the logger's clock tick against the lesson's speed, flag width, gate
// distance and period; then the gates sampled in an ordinary run and evaluated by the timing
// wizard, checked to the sample interval. Every event mode is run (the last with one gate), and
// the dialog opened again shows the length typed under its label.
#include "analysis_dialogs/TimingWizard.h"
#include "Core/Data/DataBranch.h"
#include "setup/ExperimentModeDialog.h"
#include "simulator/PhotogateModels.h"
#include "support/AppBench.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include "common/TestMain.h"

namespace {

// The lesson with its gates and cart speed (a 2 cm flag, gates 50 cm apart, 0.5 m/s², a struck
// cart leaving at half the speed, a pendulum of 1 s); the dialog's (and the wizard's) measurement,
// arrangement, length label and length in cm; the wizard's method (-1: none); the results from the
// lesson, alternating (a collision times the cart at each gate); how far a result moves per second
// of clock error over the edges it uses; the time the wizard measures over.
struct Case { const char *name, *lesson; int gates; double speed; const char *measurement, *method, *label, *length;
              int wizardMethod; double expected[2], slope, interval; };
const Case s_Cases[] = {
    {"time at one gate", "cart", 2, 1.0, "Time", "At one gate", "", "", 0, {0.02, 0.02}, 2, 0.02},
    {"velocity at one gate", "cart", 2, 1.0, "Velocity", "At one gate", "Width", "2", 1, {1.0, 1.0}, 100, 0.02},
    {"velocity between gates", "cart", 2, 1.0, "Velocity", "Between gates", "Distance", "50", 11, {1.0, 1.0}, 4, 0.5},
    {"pendulum", "pendulum", 2, 1.0, "Time", "Pendulum (one gate)", "", "", 20, {1.0, 1.0}, 2, 1.0},
    {"acceleration between gates", "accel", 2, 0.5, "Acceleration", "Between gates", "Width", "2", -1, {0.5, 0.5},
     141, 0},
    {"collision", "collision", 2, 0.5, "Velocity", "Collision (two gates)", "Width", "2", -1, {0.5, 0.25}, 25, 0},
    // The flag has two bars as wide as the gap between them; one gate from here on.
    {"acceleration at one gate", "accel", 1, 0.5, "Acceleration", "At one gate", "Width", "2", -1, {0.5, 0.5},
     740, 0},
};

kvsim::PhotogateSettings Lesson(const Case& c)
{
    kvsim::PhotogateSettings s;
    QString error;
    kvsim::PhotogateSettingsFrom(QString::number(c.gates), c.lesson, QString::number(c.speed), "2", "50", "1", "0.5",
                                 "", "0.5", s, error);
    return s;
}

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
    CAppBench bench;
    QVERIFY(bench.start(model, false, kvsim::SignalSettings{kvsim::SignalShape::Counter},
                        [](kvsim::IDeviceModel& m) { kvsim::ApplyPhotogates(m, Lesson(s_Cases[0])); }));
    MainWindow* window = bench.window.get();
    CWindowsManager* wm = window->windowsManager();
    CDataManager& data = bench.logic()->m_DataManager;
    QTRY_COMPARE_WITH_TIMEOUT(bench.detections->count(), 1, 8000);
    QTRY_VERIFY_WITH_TIMEOUT(bench.button()->isEnabled(), 6000);
    const auto finished = [&](int before) {
        return QTest::qWaitFor([&] { return bench.ended->count() > before && bench.state() == RunControl::Idle; }, 8000);
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
        } else if (!bench.chooseRateAndSamples(11, 1000)) {
            return false;
        }
        f->okButton->click();
        return window->GetCurrentRunMode() == (c ? ExperimentRunMode::Timing : ExperimentRunMode::Sampling);
    };
    // The dialog opened again shows the length typed under its label.
    const auto kept = [&](const Case& c) {
        wm->OnExperimentModeButton();
        Ui_CExperimentModeDialog* f = wm->experimentModeDialog()->form();
        const QString shown =
            f->timingParameterEdit->isVisible() ? f->parameterLabel->text() + f->timingParameterEdit->text() : "";
        f->cancelButton->click();
        return shown == QString(c.label) + c.length;
    };
    for (const Case& c : s_Cases) {
        const QString name = QString(c.name) + ": ";
        bench.sim->invoke([&] { kvsim::ApplyPhotogates(*bench.sim->model(), Lesson(c)); });
        QTRY_COMPARE_WITH_TIMEOUT(wm->TimingCapableChannels(true), c.gates, 5000);
        QVERIFY2(chooseMode(&c), c.name);
        CDataFolder* previous = data.GetLastDataFolder();
        int before = bench.ended->count();
        bench.pressRun();
        CDataBranch* results = nullptr;
        QTRY_VERIFY2_WITH_TIMEOUT(data.GetLastDataFolder() != previous
                                      && (results = data.GetDataBranch(data.GetLastDataFolder()->GetBranchKey(0)))
                                      && results->GetYSize() >= 2,
                                  c.name, 8000);
        bench.pressRun();
        QVERIFY2(finished(before) && results->m_SensorIndex == 20483, c.name);
        // A result comes from clock readings each off by at most half a tick.
        for (int i = 0; i < 2; ++i)
            QVERIFY2(std::abs(results->GetYSample(i) - c.expected[i]) <= c.slope * tick + 1e-12,
                     qPrintable(name + QString::number(results->GetYSample(i), 'g', 12)));
        QVERIFY2(kept(c), c.name);
        if (c.wizardMethod < 0)
            continue;

        QVERIFY2(chooseMode(nullptr), c.name);
        before = bench.ended->count();
        bench.pressRun();
        QVERIFY2(finished(before), c.name);
        bench.prompter.m_DialogHook = [&c](QDialog* dialog) {
            auto* w = qobject_cast<TimingWizard*>(dialog);
            w->show();
            Ui_TimingWizard* f = w->form();
            (c.wizardMethod % 10 == 0 ? f->timeRadioButton : f->velocityRadioButton)->click();
            w->button(QWizard::NextButton)->click();  // picks the method at one gate
            if (c.wizardMethod == 11 || c.wizardMethod == 20)
                (c.wizardMethod == 11 ? f->velocityBetweenGatesRadionButton : f->timePendulumRadioButton)->click();
            f->lengthLineEdit->setText(c.length);
            w->button(QWizard::FinishButton)->click();
        };
        wm->onPhotogateFunc();
        const QString result = bench.prompter.m_Log.last();
        // Passages seen at 500 samples a second: a sample either way, printed with 3 decimals.
        QRegularExpressionMatchIterator it = QRegularExpression("([0-9.]+) m?/?s").globalMatch(result);
        QVERIFY2(it.hasNext(), qPrintable(name + result));
        while (it.hasNext())
            QVERIFY2(std::abs(it.next().captured(1).toDouble() - c.expected[0]) <= c.expected[0] * 0.002 / (c.interval - 0.002) + 5e-4,
                     qPrintable(name + result));
    }
}

KORVANTA_TEST_MAIN(TestPhotogateEndToEndRun)
#include "tst_photogate_e2e_run.moc"

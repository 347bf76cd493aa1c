// Photogate lessons through the real application, once per logger model: the simulated logger
// with two photogates, event timing chosen in the Sampling Mode dialog (measurement and gate
// arrangement), a timing run whose stored results are checked against the lesson's speed, flag
// width, gate distance and swing period to the logger's clock resolution; then the gates
// sampled in an ordinary run and evaluated by the timing wizard, checked to the sample interval.
#include "analysis_dialogs/TimingWizard.h"
#include "app/shell/CustomRunButton.h"
#include "app/shell/MainWindow.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicManager.h"
#include "setup/ExperimentModeDialog.h"
#include "setup/SetupWindow.h"
#include "simulator/DravletDevice.h"
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

#include <cmath>
#include <memory>

namespace {

class CResultPrompter : public CScriptedPrompter
{
public:
    bool retryOrClose(QWidget*, const QString&, const QString& text) override
    {
        m_Result = text;
        return false;
    }
    QString m_Result;
};

// The lessons: carts at 1 m/s with a 2 cm flag through gates 50 cm apart, a pendulum of 1 s.
kvsim::PhotogateSettings Lesson(bool pendulum)
{
    kvsim::PhotogateSettings s;
    s.gates = 2;
    s.lesson = pendulum ? kvsim::PhotogateLessonKind::Pendulum : kvsim::PhotogateLessonKind::Cart;
    s.speed = 1.0;
    s.widthCm = 2.0;
    s.distanceCm = 50.0;
    s.swingPeriod = 1.0;
    s.every = 0.5;
    return s;
}

struct Case
{
    const char* name;
    int measurement;      // 0 time, 1 velocity
    const char* method;   // the Sampling Mode dialog's gate arrangement
    const char* length;   // cm typed into the dialog and the wizard, or empty
    bool pendulum;
    int wizardMethod;     // the timing wizard's method id
    double expected;      // from the lesson: t = w / v, v = w / (w / v), v = d / (d / v), T
    double measured;      // the interval the result comes from, in seconds
};

const Case s_Cases[] = {
    {"time at one gate", 0, "At one gate", "", false, 0, 0.02, 0.02},
    {"velocity at one gate", 1, "At one gate", "2", false, 1, 1.0, 0.02},
    {"velocity between gates", 1, "Between gates", "50", false, 11, 1.0, 0.5},
    {"pendulum", 0, "Pendulum (one gate)", "", true, 20, 1.0, 1.0},
};

struct CPhotogateBench
{
    CResultPrompter prompter;
    std::unique_ptr<kvsim::CLoggerSimulator> sim;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QSignalSpy> ended;

    bool start(const QString& model)
    {
        sim = StartSimulatedLogger(model, [](kvsim::IDeviceModel& m) { kvsim::ApplyPhotogates(m, Lesson(false)); });
        if (!sim)
            return false;
        // Samples as fast as the rate asks for, so a sampled run lasts its real time.
        if (auto* dravlet = dynamic_cast<kvsim::CDravletDeviceModel*>(sim->model()))
            sim->invoke([dravlet] { dravlet->setPacketIntervalMs(2); });
        window = std::make_unique<MainWindow>(nullptr);
        CKorvantaSignals* hub = wm()->GetSignals();
        QSignalSpy detected(hub, &CKorvantaSignals::LoggerEndDtetection);
        ended = std::make_unique<QSignalSpy>(hub, &CKorvantaSignals::LoggerExperimentEnd);
        window->init();
        window->resize(1500, 950);
        window->show();
        return QTest::qWaitFor([&] { return detected.count() == 1; }, 8000)
               && QTest::qWaitFor([&] { return window->GetRunButton()->isEnabled(); }, 6000);
    }
    ~CPhotogateBench()
    {
        ended.reset();
        window.reset();
        sim.reset();
        qunsetenv("KORVANTA_EXTRA_PORTS");
    }
    CWindowsManager* wm() const { return window->windowsManager(); }
    CDataManager& data() const { return window->logicManager()->m_DataManager; }
    bool idle() const { return window->GetRunButton()->RunControlState == RunControl::Idle; }
    void pressRun() const
    {
        CustomRunButton* run = window->GetRunButton();
        QTest::mouseClick(run, Qt::LeftButton, Qt::NoModifier, run->rect().center());
    }
    void setLesson(bool pendulum)
    {
        kvsim::IDeviceModel* model = sim->model();
        sim->invoke([model, pendulum] { kvsim::ApplyPhotogates(*model, Lesson(pendulum)); });
    }

    // The Sampling Mode dialog as the user fills it: auto sampling (c null) or event timing.
    bool chooseMode(const Case* c)
    {
        wm()->OnExperimentModeButton();
        CExperimentModeDialog* dialog = wm()->experimentModeDialog();
        if (!dialog)
            return false;
        Ui_CExperimentModeDialog* f = dialog->form();
        if (!c) {
            f->normalRunButton->click();
        } else {
            if (!f->timingRunButton->isEnabled())
                return false;
            f->timingRunButton->click();
            f->measurementComboBox->setCurrentIndex(f->measurementComboBox->findText(c->measurement ? "Velocity" : "Time"));
            const int method = f->methodComboBox->findText(QString::fromLatin1(c->method));
            if (method < 0)
                return false;
            f->methodComboBox->setCurrentIndex(method);
            if (*c->length) {
                f->timingParameterEdit->selectAll();
                QTest::keyClicks(f->timingParameterEdit, QString::fromLatin1(c->length));
            }
        }
        f->okButton->click();
        return window->GetCurrentRunMode() == (c ? 1 : 0);
    }

    // A timing run until it holds `results` results; they, or nothing when they did not come.
    QList<double> timingRun(int results)
    {
        const int before = ended->count();
        CDataFolder* previous = data().GetLastDataFolder();
        pressRun();
        CDataBranch* branch = nullptr;
        const bool arrived = QTest::qWaitFor([&] {
            CDataFolder* folder = data().GetLastDataFolder();
            branch = folder && folder != previous ? data().GetDataBranch(folder->GetBranchKey(0)) : nullptr;
            return branch && branch->GetYSize() >= results;
        }, 8000);
        pressRun();
        if (!QTest::qWaitFor([&] { return ended->count() > before && idle(); }, 5000)
            || !arrived || branch->m_SensorIndex != 20483)
            return {};
        QList<double> values;
        for (int i = 0; i < results; ++i)
            values << branch->GetYSample(i);
        return values;
    }

    // An ordinary run of the gates at 500 samples a second (rate code 11), long enough for a
    // few passages, to its end.
    bool sampledRun(double seconds)
    {
        CSetupWindow* setup = wm()->GetSetupWindow();
        const int rate = setup->m_UiRateCodes.indexOf(11);
        int count = -1;
        for (int i = 0; i < setup->m_SampleCounts.size() && count < 0; ++i)
            if (setup->m_SampleCounts.at(i) >= seconds * 500.0)
                count = i;
        if (rate < 0 || count < 0)
            return false;
        setup->rateChanged(rate);
        setup->durationChanged(count);
        const int before = ended->count();
        pressRun();
        return QTest::qWaitFor([&] { return ended->count() > before && idle(); }, 20000);
    }

    // The timing wizard on the current graph, as the user steps through it; its result text.
    QString wizard(const Case& c)
    {
        prompter.m_Result.clear();
        prompter.m_DialogHook = [&c](QDialog* dialog) {
            auto* w = qobject_cast<TimingWizard*>(dialog);
            if (!w)
                return;
            w->show();
            Ui_TimingWizard* f = w->form();
            (c.measurement ? f->velocityRadioButton : f->timeRadioButton)->click();
            w->button(QWizard::NextButton)->click();
            const QList<QRadioButton*> methods = {f->timeOneGateRadioButton, f->velocityOneGateRadioButton,
                                                  f->velocityBetweenGatesRadionButton, f->timePendulumRadioButton};
            const QList<int> ids = {0, 1, 11, 20};
            methods.at(ids.indexOf(c.wizardMethod))->click();
            f->lengthLineEdit->setText(QString::fromLatin1(c.length));
            w->button(QWizard::FinishButton)->click();
        };
        wm()->onPhotogateFunc();
        prompter.m_DialogHook = nullptr;
        return prompter.m_Result;
    }
};

// The numbers of a wizard result ("v = 1 m/s,  0.99 m/s").
QList<double> Numbers(const QString& text)
{
    QList<double> out;
    QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("(-?[0-9.]+(?:e[-+]?[0-9]+)?) m?/?s")).globalMatch(text);
    while (it.hasNext())
        out << it.next().captured(1).toDouble();
    return out;
}

} // namespace

class TestPhotogateEndToEndRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void lessons_data();
    void lessons();
};

void TestPhotogateEndToEndRun::lessons_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<double>("tick");  // seconds of the logger's timing clock
    QTest::newRow("pelorin") << QStringLiteral("pelorin") << 1e-6;
    QTest::newRow("dravlet") << QStringLiteral("dravlet") << 1.0 / 24e6;
}

void TestPhotogateEndToEndRun::lessons()
{
    QFETCH(QString, model);
    QFETCH(double, tick);
    CPhotogateBench bench;
    QVERIFY(bench.start(model));
    for (const Case& c : s_Cases) {
        const QString name = QString::fromLatin1(c.name);
        bench.setLesson(c.pendulum);
        QVERIFY2(bench.chooseMode(&c), qPrintable(name));
        const QList<double> results = bench.timingRun(2);
        QVERIFY2(results.size() == 2, qPrintable(name));
        // Each result is a difference of two clock readings: off by at most a tick of each.
        const double clockTolerance = c.expected * 2.0 * tick / c.measured + 1e-12;
        for (double r : results)
            QVERIFY2(std::abs(r - c.expected) <= clockTolerance, qPrintable(QStringLiteral("%1: %2").arg(name).arg(r, 0, 'g', 12)));

        QVERIFY2(bench.chooseMode(nullptr), qPrintable(name));
        QVERIFY2(bench.sampledRun(c.pendulum ? 1.4 : 1.0), qPrintable(name));
        const QString text = bench.wizard(c);
        const QList<double> values = Numbers(text);
        QVERIFY2(!values.isEmpty(), qPrintable(name + ": " + text));
        // Passages seen at 500 samples a second: a sample interval either way, printed with
        // three decimals.
        const double dt = 0.002;
        const double sampleTolerance = c.expected * dt / (c.measured - dt) + 0.0005;
        for (double v : values)
            QVERIFY2(std::abs(v - c.expected) <= sampleTolerance, qPrintable(name + ": " + text));
    }
}

KORVANTA_TEST_MAIN(TestPhotogateEndToEndRun)
#include "tst_photogate_e2e_run.moc"

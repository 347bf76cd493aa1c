// The analysis commands of the ribbon on a run recorded from the simulated logger through the
// real application: a linear fit between the cursors becomes a series of the history and a
// plot of the graph; the engine's failures reach the user as boxes; the commands without a
// graph; a cuff-pressure run hands itself to the blood-pressure evaluation when the cuff is
// let down.
#include "common/PrivateHome.h"
#include "analysis_dialogs/CurveFitDialog.h"
#include "analysis_dialogs/AverageDialog.h"
#include "analysis_dialogs/FunctionsDialog.h"
#include "analysis_dialogs/StatisticsDialog.h"
#include "analysis_dialogs/TimingWizard.h"
#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryWindow.h"
#include "app/shell/MultiAction.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Base/KorvantaSignals.h"
#include "graph/GraphWindow.h"
#include "support/AppBench.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QLabel>
#include <QLineEdit>
#include <QComboBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include "common/TestMain.h"

#include <memory>

namespace {

struct CAnalysisBench : CAppBench
{
    // The application against the simulator, detected and ready to run; sensors replace the
    // simulator's own plug when given.
    bool start(const QList<kvsim::CPelorinDevice::Sensor>& sensors = {})
    {
        auto plug = [&](kvsim::IDeviceModel& model) {
            if (!sensors.isEmpty())
                static_cast<kvsim::CPelorinDevice&>(model).setSensors(sensors);
        };
        if (!CAppBench::start(QStringLiteral("pelorin"), false, kvsim::SignalSettings(), plug))
            return false;
        window->resize(1500, 950);
        return QTest::qWaitFor([&] { return detections->size() == 1; }, 8000)
               && QTest::qWaitFor([&] { return setup()->getSetupInfo()->GetActiveMeasurementCount() > 0 && button()->isEnabled(); },
                                  6000);
    }
    CWindowsManager* wm() const { return window->windowsManager(); }
    CDataManager& data() const { return logic()->m_DataManager; }

    // A run of `samples` samples at rate code `rate`, from the Run button to its end.
    bool record(int rate, int samples)
    {
        const int before = ended->size();
        if (!chooseRateAndSamples(rate, samples))
            return false;
        pressRun();
        return QTest::qWaitFor([&] { return ended->size() > before; }, 10000)
               && QTest::qWaitFor([&] { return button()->isEnabled(); }, 3000);
    }

    // With KORVANTA_SCREENSHOT_DIR set, the screen is saved there under the given name.
    static void shoot(QWidget* shown, const QString& name)
    {
        const QString dir = qEnvironmentVariable("KORVANTA_SCREENSHOT_DIR");
        if (dir.isEmpty())
            return;
        if (shown)
            shown->show();
        QTest::qWait(400);
        if (QScreen* screen = QGuiApplication::primaryScreen())
            screen->grabWindow(0).save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
    }

    // Places both cursors on one sample of a plot, which the tool bar does not do by itself.
    static void placeCursors(CGraphWindow* graph, int plot, int first, int second)
    {
        graph->Cursors().SetPlot(1, plot);
        graph->Cursors().SetSample(1, first);
        graph->Cursors().SetPlot(2, plot);
        graph->Cursors().SetSample(2, second);
    }
};

} // namespace

class TestAnalysisEndToEndRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(UsePrivateHome(m_Home)); }
    void linearFitOfARecordedRunIsPlotted();
    void engineFailureIsShown();
    void commandsWithoutAGraph();
    void commandsWithoutCursorsTakeTheWholeCurve();
    void cuffLetDownIsEvaluated();
    void onlineFunctionIsComputedDuringTheNextRun();

private:
    QTemporaryDir m_Home;
};

void TestAnalysisEndToEndRun::linearFitOfARecordedRunIsPlotted()
{
    CAnalysisBench bench;
    QVERIFY(bench.start());
    QVERIFY(bench.record(10, 50));
    CGraphWindow* graph = bench.graph();
    QVERIFY(graph);
    QTRY_VERIFY(graph->GetNumPlots() > 0);
    const int plots = graph->GetNumPlots();
    const int source = graph->GetPlot(0).m_Key;
    CDataBranch* sourceBranch = bench.data().GetDataBranch(source);
    QVERIFY(sourceBranch && sourceBranch->GetNumSamples() == 50);
    // The cursors as the tool bar places them: cursor 1 in the middle of the data, cursor 2
    // between it and the end.
    graph->OnCursor();
    graph->OnCursor2();
    int first = -1, second = -1, xAxis = -1;
    QCOMPARE(graph->GetCursorsInfo(first, second, xAxis), source);
    QVERIFY2(second - first >= 5, qPrintable(QStringLiteral("%1..%2").arg(first).arg(second)));
    QCOMPARE(xAxis, -1);

    // The ribbon offers the analysis commands on a time graph.
    bench.window->updateActions();
    MultiAction* fit = bench.window->findAction(28);
    QVERIFY(fit && fit->isEnabled());
    for (int key : {32, 33, 38, 39})
        QVERIFY2(bench.window->findAction(key)->isEnabled(), qPrintable(QString::number(key)));

    // The statistics of the cursor range, and the math functions offered on the run.
    bench.prompter.m_DialogHook = [&](QDialog* dialog) {
        auto* stats = qobject_cast<StatisticsDialog*>(dialog);
        QVERIFY(stats);
        QTRY_VERIFY(!stats->form()->resultGrid->isHidden());
        QCOMPARE(stats->form()->samplesLabel->text(), QString::number(second - first + 1));
        CAnalysisBench::shoot(stats, QStringLiteral("analysis_statistics"));
    };
    bench.window->findAction(32)->trigger();
    bench.prompter.m_DialogHook = [&](QDialog* dialog) {
        auto* functions = qobject_cast<FunctionsDialog*>(dialog);
        QVERIFY(functions);
        QCOMPARE(functions->form()->FunctionNameEdit->text(), QStringLiteral("abs(%1)").arg(sourceBranch->m_Name));
        QCOMPARE(functions->form()->G1_Combo->currentText(), QStringLiteral("%1: %2").arg(bench.data().GetLastDataFolder()->m_Name, sourceBranch->m_Name));
        CAnalysisBench::shoot(functions, QStringLiteral("analysis_functions"));
    };
    bench.window->findAction(33)->trigger();
    bench.prompter.m_DialogHook = [](QDialog* dialog) {
        auto* curve = qobject_cast<CurveFitDialog*>(dialog);
        QVERIFY(curve);
        CAnalysisBench::shoot(curve, QStringLiteral("analysis_curvefit"));
        curve->form()->okButton->click();
    };
    fit->trigger();
    QCOMPARE(bench.prompter.m_Log, (QStringList{"dialog|StatisticsDialog", "dialog|FunctionsDialog", "dialog|CurveFitDialog"}));

    // One new series under the source, shown by the graph as its newest plot.
    QTRY_COMPARE(graph->GetNumPlots(), plots + 1);
    const int made = graph->GetPlot(plots).m_Key;
    CDataBranch* line = bench.data().GetDataBranch(made);
    QVERIFY(line);
    QCOMPARE(line->m_Name, QStringLiteral("Linear(%1)").arg(sourceBranch->m_Name));
    QCOMPARE(line->m_ParentKey, source);
    QCOMPARE(line->m_Unit, sourceBranch->m_Unit);
    for (int i = 0; i < line->GetNumSamples(); ++i) {
        const double x = line->GetXSample(i);
        QVERIFY2(x >= first && x <= second, qPrintable(QString::number(x)));
    }
    QVERIFY(bench.wm()->GetHistoryWindow()->model()->findKey(made).isValid());
    CAnalysisBench::shoot(nullptr, QStringLiteral("analysis_fit_plotted"));
}

void TestAnalysisEndToEndRun::engineFailureIsShown()
{
    CAnalysisBench bench;
    QVERIFY(bench.start());
    QVERIFY(bench.record(10, 20));
    CGraphWindow* graph = bench.graph();
    QTRY_VERIFY(graph->GetNumPlots() > 0);
    // Both cursors on one sample: one averaged point is too few.
    CAnalysisBench::placeCursors(graph, 0, 7, 7);
    bench.prompter.m_DialogHook = [](QDialog* dialog) {
        auto* average = qobject_cast<AverageDialog*>(dialog);
        QVERIFY(average);
        CAnalysisBench::shoot(average, QStringLiteral("analysis_average"));
        average->form()->OKButton->click();
    };
    const int branches = bench.data().GetNumDataBranches();
    bench.window->findAction(38)->trigger();
    QCOMPARE(bench.prompter.m_Log, (QStringList{"dialog|AverageDialog", "crit|Pavix|Too few samples."}));
    QCOMPARE(bench.data().GetNumDataBranches(), branches);
}

void TestAnalysisEndToEndRun::commandsWithoutAGraph()
{
    CAnalysisBench bench;
    QVERIFY(bench.start());
    QVERIFY(bench.record(10, 20));
    QVERIFY(bench.graph());
    QVERIFY(bench.graph()->close());
    QTRY_VERIFY(!bench.graph());
    bench.wm()->onMathFunc();
    bench.wm()->onAveragingFunc();
    bench.wm()->onStatisticsFunc();
    QCOMPARE(bench.prompter.m_Log, (QStringList{"crit|Pavix|Sorry, but Pavix cannot display any functions on the collected data",
                                                "warn|Error|" + IAnalysisHost::NoCurveText(), "warn|Error|" + IAnalysisHost::NoCurveText()}));
    bench.prompter.m_Log.clear();
    // The wizard opens and answers that there is nothing to evaluate.
    bench.prompter.m_DialogHook = [](QDialog* dialog) {
        auto* wizard = qobject_cast<TimingWizard*>(dialog);
        QVERIFY(wizard);
        wizard->show();
        wizard->button(QWizard::NextButton)->click();
        CAnalysisBench::shoot(wizard, QStringLiteral("analysis_wizard"));
        wizard->button(QWizard::FinishButton)->click();
    };
    bench.wm()->onPhotogateFunc();
    QCOMPARE(bench.prompter.m_Log, (QStringList{"dialog|TimingWizard", "result|Pavix|No suitable plot !"}));
}

void TestAnalysisEndToEndRun::commandsWithoutCursorsTakeTheWholeCurve()
{
    // Temperature and pressure, no cursor, the pressure's scale on the left: statistics (named
    // after it), a fit and an average each take all 20 samples of the pressure.
    CAnalysisBench bench;
    auto plug = [](unsigned char channel, unsigned char id) { kvsim::CPelorinDevice::Sensor s; s.channel = channel; s.idLow = id; return s; };
    QVERIFY(bench.start({plug(1, 2), plug(2, 1)}));
    QVERIFY(bench.record(10, 20));
    CGraphWindow* graph = bench.graph();
    QTRY_COMPARE(graph->GetNumPlots(), 2);
    const int pressure = graph->GetPlot(1).m_Key;
    const CDataBranch* pressureSeries = bench.data().GetDataBranch(pressure);
    const QString title = "Statistics - " + bench.data().GetLastDataFolder()->m_Name + ": " + pressureSeries->m_Name + " ("
        + pressureSeries->m_Unit + ")";
    QSignalSpy made(bench.wm()->GetSignals(), &CKorvantaSignals::newFunctionData);
    bench.prompter.m_DialogHook = [&](QDialog* dialog) {
        if (auto* stats = qobject_cast<StatisticsDialog*>(dialog)) {
            QTRY_COMPARE(stats->form()->samplesLabel->text(), QStringLiteral("20"));
            QCOMPARE(stats->windowTitle(), title);
        } else if (auto* fit = qobject_cast<CurveFitDialog*>(dialog)) {
            fit->form()->okButton->click();
        } else {
            qobject_cast<AverageDialog*>(dialog)->form()->OKButton->click();
        }
    };
    for (auto command : {&CWindowsManager::onStatisticsFunc, &CWindowsManager::onCurveFitFunc, &CWindowsManager::onAveragingFunc}) {
        graph->OnLeftScaleComboChanged(1);
        (bench.wm()->*command)();
    }
    QCOMPARE(made.count(), 2);
    for (const QList<QVariant>& result : made) {
        const CDataBranch* b = bench.data().GetDataBranch(result.at(0).toInt());
        QVERIFY(b && result.at(1).toInt() == pressure && b->GetXSample(0) <= 1 && b->GetXSample(b->GetNumSamples() - 1) >= 18);
    }
    QCOMPARE(bench.prompter.m_Log, (QStringList{"dialog|StatisticsDialog", "dialog|CurveFitDialog", "dialog|AverageDialog"}));
}

void TestAnalysisEndToEndRun::cuffLetDownIsEvaluated()
{
    // The logger's blood-pressure sensor (id 69). The simulator's readings climb to 4095
    // counts (about 360 mmHg, the cuff pumped up) and wrap to 0 at sample 4096 (the cuff let
    // down): the conversion stops the run and the evaluation reports on the run.
    kvsim::CPelorinDevice::Sensor cuff;
    cuff.channel = 1;
    cuff.idLow = 69;
    CAnalysisBench bench;
    QVERIFY(bench.start({cuff}));
    QVERIFY(bench.sim->invoke([&] { bench.sim->model()->setSignal(kvsim::SignalSettings{kvsim::SignalShape::Counter}); }));
    QCOMPARE(bench.wm()->GetSetupWindow()->getSetupInfo()->m_SelectedSensorList.first()->m_SensorIndex, 94);
    QVERIFY(bench.record(11, 5000));
    CDataFolder* run = bench.data().GetLastDataFolder();
    QVERIFY(run);
    CDataBranch* pressure = bench.data().GetDataBranch(run->GetBranchKey(0));
    QVERIFY(pressure);
    // Stopped at the let-down, before the 5000 samples asked for.
    QVERIFY2(pressure->GetNumSamples() > 4096 && pressure->GetNumSamples() < 5000,
             qPrintable(QString::number(pressure->GetNumSamples())));
    QMessageBox* box = bench.window->modelessMessageBox();
    QTRY_VERIFY_WITH_TIMEOUT(box->isVisible() && box->windowTitle() == QStringLiteral("Blood Pressure"), 3000);
    // A saw-tooth is no pulse record: the evaluation says so rather than inventing figures.
    QCOMPARE(box->text(), QStringLiteral("Improper blood pressure measurement."));
}

void TestAnalysisEndToEndRun::onlineFunctionIsComputedDuringTheNextRun()
{
    CAnalysisBench bench;
    QVERIFY(bench.start());
    // No run yet: the Math Function dialog offers the setup's live input; Linear of it with
    // A = 2 and B = 1 is registered for the next run.
    bench.prompter.m_DialogHook = [](QDialog* dialog) {
        auto* functions = qobject_cast<FunctionsDialog*>(dialog);
        QVERIFY(functions);
        Ui_FunctionsDialog* f = functions->form();
        f->FunctionCombo->setCurrentIndex(15);
        emit f->FunctionCombo->activated(15);
        QCOMPARE(f->G1_Combo->count(), 2);
        f->G1_Combo->setCurrentIndex(1);
        f->A_Edit->setText(QStringLiteral("2"));
        f->OkButton->click();
    };
    bench.window->findAction(33)->trigger();
    QCOMPARE(bench.window->logicManager()->m_NumOnLineFunctions, short(1));
    QVERIFY(bench.record(10, 20));

    CDataFolder* run = bench.data().GetLastDataFolder();
    QVERIFY(run);
    CDataBranch* source = nullptr;
    CDataBranch* function = nullptr;
    for (int i = 0; i < run->GetNumberBranches(); ++i) {
        CDataBranch* b = bench.data().GetDataBranch(run->GetBranchKey(i));
        if (b && b->m_SensorIndex == CFunctions::FunctionResultIndex)
            function = b;
        else if (b && !source)
            source = b;
    }
    QVERIFY(source && function);
    QCOMPARE(function->m_Name, QStringLiteral("2 * %1 + 1").arg(source->m_Name));
    // Computed while recording, from the run's first sample on, as its name says.
    QTRY_COMPARE(function->GetNumSamples(), source->GetNumSamples());
    for (int i = 0; i < function->GetNumSamples(); ++i) {
        QCOMPARE(function->GetXSample(i), source->GetXSample(i));
        QCOMPARE(function->GetYSample(i), 2.0 * source->GetYSample(i) + 1.0);
    }
}

KORVANTA_TEST_MAIN(TestAnalysisEndToEndRun)
#include "tst_analysis_e2e_run.moc"

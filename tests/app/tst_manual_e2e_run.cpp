// Runs sampled by hand through the real application, against both simulated loggers on a
// pseudo-terminal: the X values typed for a run stay with their readings whatever trigger the
// setup holds, one Run press makes one run; a photogate run sampled by hand outlasts long
// pauses between presses; and a logger that failed to start a run is found again by Connect.
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "setup/ManualXValueDialog.h"
#include "simulator/PhotogateModels.h"
#include "support/AppBench.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include "common/TestMain.h"

#include <algorithm>
#include <cmath>

namespace {

const int kRate100PerSecond = 10;
const QString kFailedToStart = QStringLiteral("warn|Logger|Logger failed to start running. Please reconnect the logger.");

// Manual sampling with typed X values, chosen in the full setup window as the user does.
bool ChooseManualX(Ui_CFullSetupWindow* f, CSetupInfo* setup)
{
    f->SamplingTypeCombo->setCurrentIndex(0);
    emit f->SamplingTypeCombo->activated(0);
    if (setup->m_RateCode != 0 || !f->manualValuesCheckbox->isEnabled())
        return false;
    QTest::mouseClick(f->manualValuesCheckbox, Qt::LeftButton);
    QTest::keyClicks(f->xaxisTitleLineEdit, "Mass");
    QTest::keyClicks(f->xAxisUnitLineEdit, "g");
    return setup->m_bManualX && setup->m_ManualXName == QLatin1String("Mass");
}

// The user at the X value dialog: answers the questions in turn with the values given.
struct CTypist
{
    QList<double> values;
    int asked = 0;
    QStringList labels;

    void attach(CScriptedPrompter& prompter)
    {
        prompter.m_DialogResult = QDialog::Accepted;
        prompter.m_DialogHook = [this](QDialog* dialog) {
            auto* x = qobject_cast<CManualXValueDialog*>(dialog);
            QVERIFY(x);
            labels << x->form()->nextvalueLabel->text();
            QTest::keyClicks(x->form()->valueLineEdit, QString::number(values.value(asked++, -1.0)));
        };
    }
    void startRun(double unit)
    {
        values.clear();
        for (int k = 1; k <= 6; ++k)
            values << unit * k;
        asked = 0;
    }
};

// The run at `index`: its manual X series holds the typed values, one per reading and in the
// readings' order, and every measured series as many readings.
void CheckTypedRun(const CAppBench& bench, int index, const QList<double>& typed)
{
    const CDataFolder* folder = bench.logic()->m_DataManager.GetDataFolderByIndex(index);
    QVERIFY(folder);
    QCOMPARE(folder->m_Name, QStringLiteral("Run %1").arg(index + 1));
    const CDataBranch* x = nullptr;
    int measured = 0;
    for (CDataBranch* b : bench.runBranches(index)) {
        if (b->m_SensorIndex == SensorIndexManualX) {
            x = b;
            continue;
        }
        ++measured;
        QCOMPARE(b->GetNumSamples(), typed.size());
        for (int k = 0; k < typed.size(); ++k) {
            QCOMPARE(b->GetXSample(k), double(k));
            QVERIFY(std::isfinite(b->GetYSample(k)));
        }
    }
    QVERIFY(measured > 0);
    QVERIFY2(x, "the run has no manual X series");
    QCOMPARE(x->m_Name, QStringLiteral("Mass"));
    QCOMPARE(x->GetNumSamples(), typed.size());
    QCOMPARE(x->GetNumManualTimes(), typed.size());
    for (int k = 0; k < typed.size(); ++k) {
        QCOMPARE(x->GetXSample(k), double(k));
        QCOMPARE(x->GetYSample(k), typed.at(k));
    }
}

} // namespace

class TestManualEndToEndRun : public QObject
{
    Q_OBJECT
private:
    // A trigger of the kind given (1 above, 2 below, 5 a delay of delayMs), its level where
    // the first reading of a run is already beyond it.
    bool setTrigger(CAppBench& bench, int kind, int delayMs);

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void typedValuesStayWithTheirReadings_data();
    void typedValuesStayWithTheirReadings();
    void photogateRunSampledByHandOutlastsLongPauses();
    void connectFindsALoggerThatFailedToStart_data();
    void connectFindsALoggerThatFailedToStart();
};

bool TestManualEndToEndRun::setTrigger(CAppBench& bench, int kind, int delayMs)
{
    if (kind == 5) {
        bench.setup()->triggerChanged(true, 0, delayMs, 0, kind);
        return true;
    }
    const int index = bench.setup()->getSetupInfo()->m_SelectedSensorList.first()->m_SensorIndex;
    const CSensorMeasuremntInfo* range = bench.logic()->m_SensorInfo.GetMeasurementInfo(index, 0);
    QList<TriggerLevel> levels;
    bench.logic()->GetTriggeringLevels(0, index, &levels);
    if (!range || levels.isEmpty())
        return false;
    // The simulated sine starts each run in the middle of the range.
    const double target = range->m_Min + (kind == 1 ? 0.2 : 0.8) * (range->m_Max - range->m_Min);
    const TriggerLevel level = *std::min_element(levels.begin(), levels.end(), [&](const auto& a, const auto& b) {
        return std::abs(a.m_Level - target) < std::abs(b.m_Level - target);
    });
    bench.setup()->triggerChanged(true, 0, 0, level.m_Code, kind);
    return bench.setup()->getSetupInfo()->m_TriggerType == kind;
}

void TestManualEndToEndRun::typedValuesStayWithTheirReadings_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("trigger");  // 0 none, 1 above a level, 2 below, 5 a time delay
    QTest::addColumn<int>("delayMs");
    for (const char* model : {"pelorin", "dravlet"}) {
        QTest::addRow("%s without trigger", model) << model << 0 << 0;
        QTest::addRow("%s above a level", model) << model << 1 << 0;
        QTest::addRow("%s below a level", model) << model << 2 << 0;
        QTest::addRow("%s no delay", model) << model << 5 << 0;
        QTest::addRow("%s delay", model) << model << 5 << 300;
    }
}

// Two runs in a row, three readings each: the first value is asked before the run starts, one
// more after every reading. Each reading keeps the value typed for it, the value typed after
// the last reading is stored nowhere, and nothing typed in the first run reaches the second.
void TestManualEndToEndRun::typedValuesStayWithTheirReadings()
{
    QFETCH(QString, model);
    QFETCH(int, trigger);
    QFETCH(int, delayMs);
    CAppBench bench;
    Ui_CFullSetupWindow* f = bench.openFullSetup(model, kvsim::SignalSettings{kvsim::SignalShape::Sine, 0.5, 10.0});
    QVERIFY2(f, "no logger detected, or the full setup window did not open");
    QVERIFY(ChooseManualX(f, bench.setup()->getSetupInfo()));
    if (trigger != 0)
        QVERIFY(setTrigger(bench, trigger, delayMs));
    CTypist user;
    user.attach(bench.prompter);
    for (int run = 0; run < 2; ++run) {
        user.startRun(run == 0 ? 10.0 : 100.0);
        bench.pressRun();
        // Asked before anything starts.
        QCOMPARE(user.asked, 1);
        QCOMPARE(bench.started->count(), run);
        QTRY_COMPARE_WITH_TIMEOUT(bench.started->count(), run + 1, 8000);
        QTRY_COMPARE_WITH_TIMEOUT(user.asked, 2, 4000);
        for (int press = 0; press < 2; ++press) {
            QTRY_VERIFY(bench.button()->isPlaying());
            bench.window->windowsManager()->OnManual();
            QTRY_COMPARE_WITH_TIMEOUT(user.asked, press + 3, 4000);
        }
        bench.pressRun();
        QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Idle), 5000);
        // One question per reading and one before the run: none is left over.
        QCOMPARE(user.asked, 4);
        QCOMPARE(bench.logic()->m_DataManager.GetNumDataFolders(), run + 1);
        CheckTypedRun(bench, run, user.values.mid(0, 3));
        if (QTest::currentTestFailed())
            return;
    }
    QCOMPARE(user.labels.first(), QStringLiteral("Enter next Mass value"));
    QVERIFY2(bench.prompter.boxes("warn crit").isEmpty(), qPrintable(bench.prompter.m_Log.join('\n')));
}

// Photogates on the sensor interface, Auto Sampling left for Manual with typed values: the run
// is quiet between presses for as long as the user takes, and ends only when the user stops it.
// The next run starts as the first did.
void TestManualEndToEndRun::photogateRunSampledByHandOutlastsLongPauses()
{
    kvsim::PhotogateSettings gates;
    QString error;
    QVERIFY(kvsim::PhotogateSettingsFrom("2", "cart", "0.5", "2", "50", "2", "0.5", "", "1.5", gates, error));
    CAppBench bench;
    Ui_CFullSetupWindow* f = bench.openFullSetup("dravlet", kvsim::SignalSettings{kvsim::SignalShape::Counter},
                                                 [&](kvsim::IDeviceModel& m) { kvsim::ApplyPhotogates(m, gates); });
    QVERIFY2(f, "no logger detected, or the full setup window did not open");
    QVERIFY(ChooseManualX(f, bench.setup()->getSetupInfo()));
    CTypist user;
    user.attach(bench.prompter);
    for (int run = 0; run < 2; ++run) {
        user.startRun(run == 0 ? 1.0 : 10.0);
        bench.pressRun();
        QTRY_COMPARE_WITH_TIMEOUT(bench.started->count(), run + 1, 8000);
        QTRY_COMPARE_WITH_TIMEOUT(user.asked, 2, 4000);
        bench.window->windowsManager()->OnManual();
        QTRY_COMPARE_WITH_TIMEOUT(user.asked, 3, 4000);
        if (run == 0) {
            // Longer than the interface may stay silent in a run at any rate: once is enough.
            QTest::qWait(5500);
            QCOMPARE(bench.state(), int(RunControl::Running));
            QCOMPARE(bench.ended->count(), 0);
        }
        bench.window->windowsManager()->OnManual();
        QTRY_COMPARE_WITH_TIMEOUT(user.asked, 4, 4000);
        bench.pressRun();
        QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Idle), 5000);
        CheckTypedRun(bench, run, user.values.mid(0, 3));
        if (QTest::currentTestFailed())
            return;
    }
    QVERIFY(bench.logic()->IsLoggerConnected());
    QVERIFY2(bench.prompter.boxes("warn crit").isEmpty(), qPrintable(bench.prompter.m_Log.join('\n')));
}

void TestManualEndToEndRun::connectFindsALoggerThatFailedToStart_data()
{
    QTest::addColumn<QString>("model");
    QTest::newRow("pelorin") << "pelorin";
    QTest::newRow("dravlet") << "dravlet";
}

// A logger that does not answer the Run: the start is given up with the request to reconnect,
// the logger is let go, and Logger > Connect finds it again once it answers; a run then works.
void TestManualEndToEndRun::connectFindsALoggerThatFailedToStart()
{
    QFETCH(QString, model);
    CAppBench bench;
    QVERIFY(bench.start(model));
    QVERIFY(bench.detectAndChoose(kRate100PerSecond, 20));
    // Given up well before the interface stops asking for its status: a reconnection within
    // that time finds nothing of the Run left over.
    bench.window->windowsManager()->SetStartWatchdogInterval(300);
    bench.sim->setSilent(true);
    bench.pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(bench.prompter.m_Log, QStringList{kFailedToStart}, 5000);
    QCOMPARE(bench.state(), int(RunControl::Idle));
    QVERIFY(!bench.window->windowsManager()->IsLoggerDetected());
    QTRY_VERIFY(!bench.logic()->IsLoggerConnected());

    bench.window->windowsManager()->SetStartWatchdogInterval(CWindowsManager::s_StartWatchdogMs);
    bench.sim->clearLog();
    bench.sim->setSilent(false);
    bench.window->windowsManager()->onLoggerConnect();
    QTRY_COMPARE_WITH_TIMEOUT(bench.detections->count(), 2, 8000);
    QCOMPARE(bench.detections->last().at(0).toBool(), true);
    QTRY_VERIFY(bench.window->windowsManager()->IsLoggerDetected());
    QVERIFY(bench.logic()->IsLoggerConnected());
    QVERIFY(bench.detectAndChoose(kRate100PerSecond, 20));
    bench.pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(bench.ended->count(), 1, 8000);
    QTRY_COMPARE_WITH_TIMEOUT(bench.state(), int(RunControl::Idle), 2000);
    // One run: the Run given up before is not carried out after the reconnection.
    QCOMPARE(HostFrames(*bench.sim, 0x01, model == QLatin1String("pelorin") ? 3 : 2), 1);
    QCOMPARE(bench.started->count(), 1);
    QCOMPARE(bench.logic()->m_DataManager.GetNumDataFolders(), 1);
    const QList<CDataBranch*> branches = bench.runBranches(0);
    QVERIFY(!branches.isEmpty());
    QCOMPARE(branches.first()->GetNumSamples(), 20);
    QCOMPARE(bench.prompter.m_Log, QStringList{kFailedToStart});
}

KORVANTA_TEST_MAIN(TestManualEndToEndRun)
#include "tst_manual_e2e_run.moc"

// A logger that leaves and comes back, through the real application against a simulated logger
// on a pseudo-terminal: the same logger finds the teacher's whole setup kept on every road (an
// idle logger that falls silent noticed on the way), and other sensors start afresh.
#include "Core/Data/DataBranch.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/Pelorin/PelorinManager.h"
#include "Core/Logic/Detection/DeviceDetectionManager.h"
#include "setup/FullSetupWindow.h"
#include "setup/MeasurementColumns.h"
#include "setup/SetupSummary.h"
#include "setup/TriggerCalibrateColumns.h"
#include "simulator/CatalogueSensors.h"
#include "simulator/DravletDevice.h"
#include "support/AppBench.h"
#include "common/PrivateHome.h"
#include "common/TestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

enum class Road { Replug, ConnectThenReplug, UnplugDuringRun, Restart, FailedUpdate, FallsSilent };
const int kRate100PerSecond = 10;

// What the teacher set, as the setup record, the calibration table and the setup windows show it.
QString TeacherSetup(CAppBench& b)
{
    const CSetupInfo* s = b.setup()->getSetupInfo();
    CFullSetupWindow* full = b.setup()->fullSetupWindow();
    const Ui_CFullSetupWindow* f = full->form();
    QString text;
    QDebug d(&text);
    d << s->m_RateCode << s->m_NumberOfSamples << s->m_TriggerType << s->m_TriggerChannel << s->m_TriggerLevel
      << s->m_TriggerValue << s->m_ManualXName << s->m_ManualXUnit << s->m_TimingMeasurement << s->m_TimingApproach
      << s->m_TimingWidth << s->m_TimingDistance << f->SamplingTypeCombo->currentText() << f->RateComboBox->currentText()
      << f->DurationLabel->text() << b.setup()->summaryWindow()->rateLabel()->text();
    for (const CSesnorProperties* sensor : s->m_SelectedSensorList) {
        const SensorCalibrationInfo c = b.logic()->m_SensorsCalibration.GetCalibration(sensor->m_SensorIndex);
        const int k = sensor->m_Channel;
        d << "\n" << sensor->m_SensorIndex << sensor->m_Port << c.type << c.slope << c.offset
          << full->cell<FullSetupCalibrateColumn>(k, CFullSetupWindow::CalibrateColumn)->useCheckBox()->isChecked();
        for (const CMeasurementSetup* m : sensor->m_MeasurementList)
            d << m->m_bActive << m->m_Color << m->m_Max << m->m_bZero << m->m_ZeroLevel;
    }
    return text;
}

// An online function of the sensor on `channel` (its first measurement), as the Math Function
// dialog registers one: Linear, 2 x + 1.
bool AddLinearOf(CAppBench& b, int channel, const QString& name)
{
    const CSesnorProperties* sensor = b.setup()->getSetupInfo()->GetSelectedSensor(channel);
    return sensor
           && b.logic()->m_CalculateOnLineFunctions.AddOnLineFunction(sensor->m_SensorIndex, -1, channel, -1, 255, 255, 0, 0,
                                                                      name, QString(), 0, 15, 2.0, 1.0, 0.0, -1, -1,
                                                                      false, false);
}

// The online functions registered, by name, in table order.
QStringList OnlineFunctionNames(CAppBench& b)
{
    QStringList names;
    for (int i = 0; i < b.logic()->m_CalculateOnLineFunctions.GetNumOnLineFunctions(); ++i)
        names << b.logic()->m_OnLineFunctions[i].m_Name;
    return names;
}

} // namespace

Q_DECLARE_METATYPE(Road)

class TestLoggerReturnE2E : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<CAppBench> m_pBench;
    QTemporaryDir m_Dir;
    // The program's settings files (the channels' sensors and measurements, read when a window
    // is made and written at every detection) are this program's own: the other logger tests
    // running beside it write theirs with other sensors.
    QTemporaryDir m_Home;

    CAppBench& b() { return *m_pBench; }
    QMessageBox* box() { return b().window->modelessMessageBox(); }
    void startAndTeach(const QString& model);
    void leaveAndComeBack(Road road, bool pelorin);
    void runStoresCalibrated();

private slots:
    void initTestCase() { QVERIFY(UsePrivateHome(m_Home)); }
    // Each case starts from no settings, as it would alone, not from those the case before left.
    void init()
    {
        QVERIFY(QDir(QStandardPaths::writableLocation(QStandardPaths::ConfigLocation)).removeRecursively());
        m_pBench = std::make_unique<CAppBench>();
    }
    void cleanup() { m_pBench.reset(); }
    void setupSurvivesTheLoggersReturn_data();
    void setupSurvivesTheLoggersReturn();
    void otherSensorsStartAfresh();
    void onlineFunctionsComeBackWithTheirLogger_data();
    void onlineFunctionsComeBackWithTheirLogger();
    void otherSensorsDropTheFunctionsOfTheSensorsGone();
};

// A temperature sensor and one that can be zeroed and calibrated, both reading a steady level,
// and the teacher's setup: Auto at 100 a second for 200 samples, °F ticked, another colour and
// scale, the second sensor calibrated through two points at its reading (12 there), zeroed at 2
// and triggering (a level on the Pelorin logger, a delay on the Dravlet interface), a manual-X
// title and unit, and an event-timing method with its lengths.
void TestLoggerReturnE2E::startAndTeach(const QString& model)
{
    const bool pelorin = model == QLatin1String("pelorin");
    QVector<int> sensors;
    QString error;
    QVERIFY(kvsim::ResolveSensors(model, {QStringLiteral("temperature"), pelorin ? "pressure" : "voltage"}, sensors, error));
    QVERIFY(b().start(model, true, kvsim::SignalSettings{kvsim::SignalShape::Level, 0.6},
                      [&](kvsim::IDeviceModel& m) { kvsim::ApplySensors(m, sensors); }));
    CSetupWindow* c = b().setup();
    CSetupInfo* s = c->getSetupInfo();
    QTRY_VERIFY_WITH_TIMEOUT(b().button()->isEnabled() && s->GetActiveSensorsCount() == 2, 10000);
    c->displaySetupWindow(1);
    CFullSetupWindow* full = c->fullSetupWindow();
    full->form()->SamplingTypeCombo->setCurrentIndex(1);
    emit full->form()->SamplingTypeCombo->activated(1);
    QVERIFY(b().chooseRateAndSamples(kRate100PerSecond, 200));
    c->measurementChanged({true, true}, 0);
    c->colorChanged(QColor(0x12, 0x34, 0x56), 1, 0);
    c->scaleChanged(-5.0, 500.0, 1, 0);
    c->setCalibrationSnapshot(true);
    QTRY_VERIFY_WITH_TIMEOUT(s->m_LoggerStatusList.first().m_SnapshotList.size() > 1, 5000);
    c->setCalibrationSnapshot(false);
    const int raw = s->m_LoggerStatusList.first().m_SnapshotList.at(1);
    auto* calibrate = full->cell<FullSetupCalibrateColumn>(1, CFullSetupWindow::CalibrateColumn);
    calibrate->setCalibration(CalibrationValues{2, 12.0, 0.0, raw, 212.0, 1.0, raw + 200, QDateTime(), -1});
    calibrate->useCheckBox()->setChecked(true);
    c->zeroChanged(true, 2.0, 1, 0);
    // Above the lowest level (entry 64, code 0), or 300 ms after Run.
    c->triggerChanged(true, 1, pelorin ? 64 : 300, pelorin ? 0 : -1, pelorin ? 1 : 5);
    full->on_manualTitleEditted(QStringLiteral("Mass"));
    full->on_manualUnitEditted(QStringLiteral("g"));
    s->m_TimingMeasurement = s->m_TimingApproach = 1;
    s->m_TimingDistance = 50.0;
}

// The logger leaves by one road and comes back; meanwhile its setup waits for it.
void TestLoggerReturnE2E::leaveAndComeBack(Road road, bool pelorin)
{
    FollowRestarts(*b().sim, b().ports.get(), b().vendor, b().product);
    CQueuedSpy lost(b().window->windowsManager()->GetSignals(), &CKorvantaSignals::LoggerDisconnected);
    const int data = b().newData->count();
    switch (road) {
    case Road::UnplugDuringRun:
        QTRY_VERIFY_WITH_TIMEOUT(b().button()->isEnabled() && b().state() == int(RunControl::Idle), 4000);
        b().pressRun();
        QTRY_VERIFY_WITH_TIMEOUT(b().newData->count() >= data + 10, 5000);
        Q_FALLTHROUGH();
    case Road::Replug:
    case Road::ConnectThenReplug:
        QVERIFY(b().pullCable());
        QTRY_VERIFY(b().logic()->IsSetupHeld() && !b().logic()->IsLoggerConnected());
        QCOMPARE(b().setup()->fullSetupWindow()->cell<FullSetupSetZeroColumn>(1, CFullSetupWindow::ZeroColumn)
                     ->readingLabel()->text(), "N/A");
        if (road == Road::ConnectThenReplug) {
            b().window->windowsManager()->onLoggerConnect();
            QTRY_COMPARE_WITH_TIMEOUT(box()->text(), QStringLiteral("Logger has not been detected"), 10000);
        }
        QVERIFY(b().plugIn());
        break;
    case Road::Restart:
        QVERIFY(b().sim->invoke([&] {
            if (!pelorin)
                return dynamic_cast<kvsim::CDravletDeviceModel*>(b().sim->model())->restart(300);
            b().device()->setRestartAbsenceMs(300);
            b().device()->restartFirmware();
        }));
        break;
    case Road::FallsSilent: {
        // Noticed by the unanswered status requests of the idle setup; the notice offers Connect.
        b().sim->setSilent(true);
        QTRY_VERIFY_WITH_TIMEOUT(box()->isVisible() && box()->text().startsWith(QStringLiteral("The logger stopped")), 15000);
        QVERIFY(b().logic()->IsSetupHeld() && !b().button()->isEnabled());
        QAbstractButton* connect = box()->button(QMessageBox::Retry);
        QVERIFY(connect && connect->text() == QStringLiteral("Connect"));
        b().sim->setSilent(false);
        QTest::mouseClick(connect, Qt::LeftButton);
        break;
    }
    case Road::FailedUpdate: {
        b().prompter.m_File = m_Dir.filePath(QStringLiteral("logger_ver9.99.bin"));
        QFile file(b().prompter.m_File);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(3000, 'x')) == 3000);
        file.close();
        if (!pelorin) {
            // The interface takes no update: the teacher pulls its cable to get out of it.
            b().window->windowsManager()->onFirmWareUpdate();
            return leaveAndComeBack(Road::Replug, false);
        }
        // The boot-loader answers none of the transfer; the update fails, and the logger's
        // reset brings it back with its firmware.
        b().logic()->GetDeviceDetectionManager()->SetPlugWaitScale(0.02);
        b().logic()->GetDeviceDetectionManager()->SetFirmwareWaitScale(0.05);
        PelorinManagerOf(b().logic()->LiveFace(LoggerModel::Pelorin))->m_MaxHelloTries = 1;
        QVERIFY(b().sim->invoke([&] {
            b().device()->setRestartAbsenceMs(50);
            b().device()->setBootTransferReplies(0);
        }));
        b().window->windowsManager()->onFirmWareUpdate();
        QTRY_VERIFY_WITH_TIMEOUT(box()->text().startsWith(QStringLiteral("There was a problem")), 15000);
        QVERIFY(b().sim->invoke([&] { b().device()->restartFirmware(); }));
        break;
    }
    }
    QTRY_VERIFY_WITH_TIMEOUT(!lost.isEmpty(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!b().logic()->IsSetupHeld() && b().logic()->IsLoggerConnected() && b().button()->isEnabled(),
                             15000);
}

// One run of the setup: every value of the zeroed, calibrated measurement is the calibration's
// 12 at its reading less the zero of 2, and the temperature is recorded in °F as well.
void TestLoggerReturnE2E::runStoresCalibrated()
{
    QTRY_VERIFY_WITH_TIMEOUT(b().button()->isEnabled() && b().state() == int(RunControl::Idle), 8000);
    const int runs = b().ended->count();
    b().pressRun();
    // The simulated Dravlet sends one sample a packet, fifty packets a second: the run's 200
    // samples take 4 s there, and twice that and more on a loaded machine.
    QTRY_COMPARE_WITH_TIMEOUT(b().ended->count(), runs + 1, 30000);
    const QList<CDataBranch*> run = b().runBranches(b().logic()->m_DataManager.GetNumDataFolders() - 1);
    QCOMPARE(run.size(), 3);
    QCOMPARE(run.at(2)->GetNumSamples(), 200);
    for (int i = 0; i < 200; ++i)
        QVERIFY2(qAbs(run.at(2)->GetYSample(i) - 10.0) < 1e-3, qPrintable(QString::number(run.at(2)->GetYSample(i))));
    QVERIFY(qAbs(run.at(1)->GetYSample(0) - (run.at(0)->GetYSample(0) * 1.8 + 32.0)) < 1e-3);
}

void TestLoggerReturnE2E::setupSurvivesTheLoggersReturn_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<Road>("road");
    const QPair<const char*, Road> roads[] = {{"unplug, replug", Road::Replug},
                                              {"unplug, Connect, replug", Road::ConnectThenReplug},
                                              {"unplug during a run", Road::UnplugDuringRun},
                                              {"restart", Road::Restart},
                                              {"failed update", Road::FailedUpdate},
                                              {"silent while idle, Connect", Road::FallsSilent}};
    for (const char* model : {"pelorin", "dravlet"})
        for (const auto& road : roads)
            QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(model, road.first))) << QString(model) << road.second;
}

// Whichever road the logger takes away and back, the same logger with the same sensors finds
// every field of the teacher's setup as it was, and its next run stores calibrated values.
void TestLoggerReturnE2E::setupSurvivesTheLoggersReturn()
{
    QFETCH(QString, model);
    QFETCH(Road, road);
    startAndTeach(model);
    if (QTest::currentTestFailed())
        return;
    runStoresCalibrated();
    const QString before = TeacherSetup(b());
    leaveAndComeBack(road, model == QLatin1String("pelorin"));
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(TeacherSetup(b()), before);
    runStoresCalibrated();
}

// The same model with its sensors on each other's ports is another logger: the setup held for
// the one that went makes way for what any new logger gets.
void TestLoggerReturnE2E::otherSensorsStartAfresh()
{
    startAndTeach(QStringLiteral("pelorin"));
    if (QTest::currentTestFailed())
        return;
    const CSetupInfo* s = b().setup()->getSetupInfo();
    const QVector<int> swapped{s->m_SelectedSensorList.at(1)->m_SensorIndex, s->m_SelectedSensorList.at(0)->m_SensorIndex};
    QVERIFY(b().pullCable());
    QTRY_VERIFY(b().logic()->IsSetupHeld());
    QVERIFY(b().sim->invoke([&] { kvsim::ApplySensors(*b().sim->model(), swapped); }));
    QVERIFY(b().plugIn());
    QTRY_VERIFY_WITH_TIMEOUT(!b().logic()->IsSetupHeld() && b().button()->isEnabled(), 10000);
    QCOMPARE(s->m_SelectedSensorList.at(0)->m_SensorIndex, swapped.at(0));
    QCOMPARE((QList<int>{s->m_RateCode, s->m_TriggerType, b().logic()->m_SensorsCalibration.GetCalibration(swapped.at(0)).type}),
             (QList<int>{0, 0, 0}));
}

void TestLoggerReturnE2E::onlineFunctionsComeBackWithTheirLogger_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<Road>("road");
    for (const char* model : {"pelorin", "dravlet"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1: restart").arg(model))) << QString(model) << Road::Restart;
        QTest::newRow(qPrintable(QStringLiteral("%1: unplug, replug").arg(model))) << QString(model) << Road::Replug;
    }
}

// The online functions are part of the setup the logger finds again: the same logger with the
// same sensors computes them in its next run, and nobody is told of anything gone.
void TestLoggerReturnE2E::onlineFunctionsComeBackWithTheirLogger()
{
    QFETCH(QString, model);
    QFETCH(Road, road);
    startAndTeach(model);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(AddLinearOf(b(), 1, QStringLiteral("Linear of the second")) && AddLinearOf(b(), 0, QStringLiteral("Linear of the first")));
    const QStringList made = OnlineFunctionNames(b());
    leaveAndComeBack(road, model == QLatin1String("pelorin"));
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(OnlineFunctionNames(b()), made);
    QTRY_VERIFY_WITH_TIMEOUT(b().button()->isEnabled() && b().state() == int(RunControl::Idle), 8000);
    const int runs = b().ended->count();
    b().pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(b().ended->count(), runs + 1, 30000);
    QStringList computed;
    for (const CDataBranch* branch : b().runBranches(b().logic()->m_DataManager.GetNumDataFolders() - 1))
        if (branch->m_SensorIndex == SensorIndexOnlineFunction) {
            QTRY_COMPARE(branch->GetNumSamples(), 200);
            computed << branch->m_Name;
        }
    QCOMPARE(computed, made);
    QCOMPARE(b().prompter.count("info"), 0);
}

// The logger comes back with one sensor of the two: the function of the sensor still on its
// channel stays, the other goes, and the teacher is told its name.
void TestLoggerReturnE2E::otherSensorsDropTheFunctionsOfTheSensorsGone()
{
    startAndTeach(QStringLiteral("pelorin"));
    if (QTest::currentTestFailed())
        return;
    QVERIFY(AddLinearOf(b(), 0, QStringLiteral("Linear of temperature")) && AddLinearOf(b(), 1, QStringLiteral("Linear of pressure")));
    const int first = b().setup()->getSetupInfo()->m_SelectedSensorList.at(0)->m_SensorIndex;
    QVERIFY(b().pullCable());
    QTRY_VERIFY(b().logic()->IsSetupHeld());
    QVERIFY(b().sim->invoke([&] { kvsim::ApplySensors(*b().sim->model(), {first}); }));
    QVERIFY(b().plugIn());
    QTRY_VERIFY_WITH_TIMEOUT(!b().logic()->IsSetupHeld() && b().button()->isEnabled(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(b().prompter.count("info"), 1, 5000);
    const QString notice = b().prompter.m_Log.filter(QStringLiteral("info|")).first();
    QVERIFY2(notice.startsWith(QStringLiteral("info|Online functions|")) && notice.endsWith(QStringLiteral("\n\nLinear of pressure")),
             qPrintable(notice));
    QCOMPARE(OnlineFunctionNames(b()), QStringList{QStringLiteral("Linear of temperature")});
}

KORVANTA_TEST_MAIN(TestLoggerReturnE2E)
#include "tst_logger_return_e2e.moc"

// The loggers' own commands through the real application against a simulated logger on a
// pseudo-terminal: a search for a silent logger given up, a firmware update that shows its
// progress until "Update successful." and failed ones that keep the teacher's setup, and a
// two-point calibration of the Dravlet interface on its live readings.
#include "Core/Data/DataBranch.h"
#include "Core/Data/SensorsCalibration.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/Detection/DeviceDetectionManager.h"
#include "Core/Logic/Pelorin/PelorinManager.h"
#include "setup/CalibrationDialog.h"
#include "setup/FullSetupWindow.h"
#include "setup/MeasurementColumns.h"
#include "setup/SetupColumnRules.h"
#include "setup/TriggerCalibrateColumns.h"
#include "setup/TriggerDialog.h"
#include "simulator/CatalogueSensors.h"
#include "simulator/SignalShape.h"
#include "support/AppBench.h"
#include "common/SimulatedLogger.h"
#include "common/TestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>


namespace {

const int kRate100PerSecond = 10;
// How long a wait for the idle setup's next status polls may take: they come every two seconds or
// so, and later on a loaded machine; a wait ends as soon as they have come.
const int kPollsWaitMs = 30000;
const QString kTrying = QStringLiteral("Trying to connect...");
const QString kNotDetected = QStringLiteral("Logger has not been detected");
const QString kSuccess = QStringLiteral("Update successful.");

enum class GiveUp { CancelButton, Escape, CloseButton };

} // namespace

Q_DECLARE_METATYPE(GiveUp)

class TestLoggerE2E : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<CAppBench> m_pBench;
    QTemporaryDir m_Dir;
    bool m_bUnplugged = false;

    CAppBench& b() { return *m_pBench; }
    QMessageBox* box() { return b().window->modelessMessageBox(); }
    CWindowsManager* wm() { return b().window->windowsManager(); }
    bool startWithFirmwareFile(int size);
    void connectFindingNothing();
    void step(char what);
    // The logger with one sensor, detected, its full setup open; the first row's trigger column.
    FullSetupTriggerColumn* startOn(const QString& model, int sensor, const kvsim::SignalSettings& signal);
    // A level trigger of that kind chosen in the dialog, at the entry nearest target: the entry.
    TriggerLevel chooseTrigger(FullSetupTriggerColumn* column, int kind, double target);

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        m_pBench = std::make_unique<CAppBench>();
        m_bUnplugged = false;
    }
    void cleanup() { m_pBench.reset(); }
    void searchIsGivenUp_data();
    void searchIsGivenUp();
    void firmwareProgressShownUntilSuccess();
    void dravletFirmwareUpdateEndsAtOnce();
    void downloadFetchesTheRecordedRun();
    void failedFirmwareUpdateKeepsTheSetup_data();
    void failedFirmwareUpdateKeepsTheSetup();
    void dravletTwoPointCalibrationOnLiveReadings();
    void dravletTriggerFollowsCalibration();
    void fallingCalibrationTurnsTheTriggerAround_data();
    void fallingCalibrationTurnsTheTriggerAround();
    void zeroAndCancelledCalibrationKeepTheTriggerCode_data();
    void zeroAndCancelledCalibrationKeepTheTriggerCode();
};

void TestLoggerE2E::searchIsGivenUp_data()
{
    QTest::addColumn<GiveUp>("how");
    QTest::addColumn<bool>("byConnect");
    QTest::newRow("Cancel, at start-up") << GiveUp::CancelButton << false;
    QTest::newRow("Cancel, after Connect") << GiveUp::CancelButton << true;
    QTest::newRow("Escape, after Connect") << GiveUp::Escape << true;
    QTest::newRow("close button, after Connect") << GiveUp::CloseButton << true;
}

// The "Trying to connect..." notice offers Cancel, which stops the search at once: no poll, no
// open port, no "not detected" notice, the setup as it was; the next Connect finds the logger.
void TestLoggerE2E::searchIsGivenUp()
{
    QFETCH(GiveUp, how);
    QFETCH(bool, byConnect);
    b().startSilent = true;
    QVERIFY(b().start(QStringLiteral("pelorin"), true));
    CPelorinManager* pelorin = PelorinManagerOf(b().logic()->LiveFace(LoggerModel::Pelorin));
    QSignalSpy notices(wm()->GetSignals(), &CKorvantaSignals::GuiModallessMsg);
    QTRY_VERIFY(box()->isVisible() && box()->text() == kTrying);
    if (byConnect) {
        // The start-up search gives up by itself; its notice offers no Cancel. Connect searches again.
        pelorin->m_MaxHelloTries = 1;
        QTRY_VERIFY_WITH_TIMEOUT(b().detections->count() == 1 && box()->text() == kNotDetected, 10000);
        QVERIFY(!box()->button(QMessageBox::Cancel) && box()->button(QMessageBox::Ok));
        pelorin->m_MaxHelloTries = int(CPelorinManager::MaxHelloTries);
        box()->hide();
        wm()->onLoggerConnect();
        QTRY_VERIFY(box()->isVisible() && box()->text() == kTrying);
    }
    QTRY_VERIFY_WITH_TIMEOUT(pelorin->IsComInitilazied() && pelorin->IsDetectionPolling(), 5000);
    const int detections = b().detections->count();
    const int noticed = notices.count();
    CSetupInfo* setup = b().setup()->getSetupInfo();
    const QPoint rateAndSamples(setup->m_RateCode, setup->m_NumberOfSamples);
    auto* cancel = qobject_cast<QPushButton*>(box()->button(QMessageBox::Cancel));
    QVERIFY(cancel && cancel->isVisible());
    switch (how) {
    case GiveUp::CancelButton: QTest::mouseClick(cancel, Qt::LeftButton); break;
    case GiveUp::Escape: QTest::keyClick(box(), Qt::Key_Escape); break;
    case GiveUp::CloseButton: QVERIFY(box()->close()); break;
    }
    QVERIFY(!box()->isVisible() && !b().logic()->IsSearchUnderWay());
    QTRY_VERIFY_WITH_TIMEOUT(!pelorin->IsDetectionPolling() && !pelorin->IsComInitilazied(), 2000);
    // Whatever was on its way is delivered by now; none of it reports the search.
    QTRY_VERIFY(!b().logic()->IsEnumerationRunning());
    QCoreApplication::processEvents();
    QCOMPARE(b().detections->count(), detections);
    QCOMPARE(notices.count(), noticed);
    QCOMPARE(QPoint(setup->m_RateCode, setup->m_NumberOfSamples), rateAndSamples);
    QVERIFY(!box()->isVisible() && !wm()->IsLoggerDetected() && b().prompter.m_Log.isEmpty());

    b().sim->setSilent(false);
    wm()->onLoggerConnect();
    QTRY_COMPARE_WITH_TIMEOUT(b().detections->count(), detections + 1, 8000);
    QVERIFY(b().detections->last().at(0).toBool());
    QTRY_VERIFY_WITH_TIMEOUT(b().button()->isEnabled(), 4000);
    QVERIFY(!box()->isVisible());
}

// Starts against the simulated Pelorin logger, waits for it and chooses the file of the update.
bool TestLoggerE2E::startWithFirmwareFile(int size)
{
    if (!b().start(QStringLiteral("pelorin"), true)
        || !QTest::qWaitFor([&] { return b().detections->count() == 1 && b().button()->isEnabled(); }, 10000))
        return false;
    FollowRestarts(*b().sim, b().ports.get(), b().vendor, b().product);
    b().logic()->GetDeviceDetectionManager()->SetPlugWaitScale(0.02);
    PelorinManagerOf(b().logic()->LiveFace(LoggerModel::Pelorin))->m_MaxHelloTries = 1;
    b().prompter.m_File = m_Dir.filePath(QStringLiteral("logger_ver9.99.bin"));
    QFile file(b().prompter.m_File);
    return file.open(QIODevice::WriteOnly) && file.write(QByteArray(size, '\x3c')) == size;
}

// The logger leaves for its boot-loader, takes the file, restarts with it and is found again:
// all that time the progress stays on screen, and it goes with the success notice.
void TestLoggerE2E::firmwareProgressShownUntilSuccess()
{
    QVERIFY(startWithFirmwareFile(20 * 1024));
    QVERIFY(b().sim->invoke([&] { b().device()->setRestartAbsenceMs(300); }));
    QProgressDialog* progress = wm()->progressDialog();
    QSignalSpy steps(wm()->GetSignals(), &CKorvantaSignals::LoggerBootLoaderProgUpdate);
    box()->hide();
    wm()->onFirmWareUpdate();
    bool hiddenEarly = false, stacked = false, cancelAtReconnection = false;
    QVERIFY(QTest::qWaitFor([&] {
        const bool done = box()->isVisible() && box()->text() == kSuccess;
        hiddenEarly = hiddenEarly || (!done && !progress->isVisible());
        // The progress alone tells of the reconnection, and offers to give it up.
        stacked = stacked || (progress->isVisible() && box()->isVisible() && box()->text() == kTrying);
        cancelAtReconnection = cancelAtReconnection || (progress->isVisible() && progress->value() == 90 && progress->findChild<QPushButton*>());
        return done;
    }, 20000));
    QVERIFY(!hiddenEarly && !stacked && cancelAtReconnection);
    QTRY_VERIFY(!progress->isVisible());
    // Through every stage: the transfer, the logger's return and its success.
    QVERIFY(steps.count() > 3 && steps.at(steps.count() - 2).at(0).toInt() == 90);
    QCOMPARE(steps.last().at(0).toInt(), 100);
}

// The Dravlet's firmware is not transferred: the command says so before any file is asked for,
// and sends nothing.
void TestLoggerE2E::dravletFirmwareUpdateEndsAtOnce()
{
    QVERIFY(b().start(QStringLiteral("dravlet")));
    QTRY_VERIFY_WITH_TIMEOUT(b().detections->count() == 1 && b().button()->isEnabled(), 8000);
    b().prompter.m_File = m_Dir.filePath(QStringLiteral("fake.bin"));
    QFile file(b().prompter.m_File);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, '\x7e')) == 4096 && file.flush());
    const int frames = b().sim->frames().size();
    const int polls = HostFrames(*b().sim, 0x04, 2);
    wm()->onFirmWareUpdate();
    QCOMPARE(b().prompter.count(QStringLiteral("file")), 0);
    QCOMPARE(b().prompter.said().size(), 1);
    QVERIFY(b().prompter.said().at(0).startsWith(QStringLiteral("The firmware of the Dravlet")));
    QVERIFY(!wm()->progressDialog()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(HostFrames(*b().sim, 0x04, 2) >= polls + 2, kPollsWaitMs);
    for (const QByteArray& f : b().sim->frames().mid(frames))
        QVERIFY2(f.size() > 2 && quint8(f[2]) == 0x04, f.toHex().constData());
}

// Download from a logger without a stored run says so; one with a run (korvanta-sim
// --stored-run) gives it whole, drawn in the graph.
void TestLoggerE2E::downloadFetchesTheRecordedRun()
{
    QVERIFY(b().start(QStringLiteral("pelorin"), false, kvsim::SignalSettings{}));
    QTRY_VERIFY_WITH_TIMEOUT(b().detections->count() == 1 && b().button()->isEnabled(), 10000);
    b().window->findAction(16)->trigger();
    QTRY_COMPARE(box()->text(), QStringLiteral("The logger holds no stored run to download."));
    QVERIFY(b().sim->invoke([&] { b().device()->holdRecordedRun(230); }));
    // The logger's own sensors are stored, whatever the setup has ticked.
    for (CSesnorProperties* sensor : b().setup()->getSetupInfo()->m_SelectedSensorList)
        for (CMeasurementSetup* m : sensor->m_MeasurementList)
            m->m_bActive = false;
    b().window->findAction(16)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(b().logic()->m_DataManager.GetNumDataFolders() == 1 && !b().logic()->IsLoggerRunning()
                                 && b().runBranches(0).first()->GetNumSamples() == 230, 10000);
    CGraphWindow* graph = b().graph();
    QVERIFY(QTest::qWaitFor([&] { // the curve's colour on screen, along the plot area
        const QImage screen = b().window->screen()->grabWindow(b().window->winId()).toImage();
        // The graph window reaches past the main window's right edge: the part on screen is read.
        const QRect area = QRect(graph->mapTo(b().window.get(), graph->GraphRect().topLeft()), graph->GraphRect().size())
                               .intersected(screen.rect());
        if (area.width() < 100 || area.height() < 100)
            return false;
        int curve = 0;
        for (int i = 0; i < area.width() * area.height(); ++i)
            curve += QColor(screen.pixel(area.left() + i % area.width(), area.top() + i / area.width())) == graph->GetPlot(0).m_Color;
        return curve > area.width() / 4;
    }, 10000));
}

void TestLoggerE2E::connectFindingNothing()
{
    const int before = b().detections->count();
    wm()->onLoggerConnect();
    QTRY_COMPARE_WITH_TIMEOUT(b().detections->count(), before + 1, 10000);
    QVERIFY(!b().detections->last().at(0).toBool());
    QTRY_COMPARE(box()->text(), kNotDetected);
}

// U the cable pulled, F the update's failure, S a Connect while the logger is plugged in but
// silent, A a Connect while it is away, R the logger found again after its reset.
void TestLoggerE2E::step(char what)
{
    switch (what) {
    case 'U':
        // During the update: once the boot-loader has the file's size.
        if (!box()->text().startsWith(QStringLiteral("There was a problem")))
            QTRY_VERIFY_WITH_TIMEOUT(wm()->progressDialog()->value() >= 26, 8000);
        QVERIFY(b().pullCable());
        m_bUnplugged = true;
        QTRY_VERIFY(!b().logic()->IsLoggerConnected() && b().ports->getPorts().isEmpty());
        break;
    case 'F':
        QTRY_VERIFY_WITH_TIMEOUT(box()->isVisible() && box()->text().startsWith(QStringLiteral("There was a problem")),
                                 10000);
        break;
    case 'S':
        b().sim->setSilent(true);
        if (m_bUnplugged) {
            // Plugged in again, it is searched for at once; that search finds nothing either.
            const int before = b().detections->count();
            QVERIFY(b().plugIn());
            m_bUnplugged = false;
            QTRY_COMPARE_WITH_TIMEOUT(b().detections->count(), before + 1, 10000);
        }
        connectFindingNothing();
        break;
    case 'A': connectFindingNothing(); break;
    case 'R': {
        // The notice is looked for among those raised, not on the box, where another may
        // already stand in its place when the test looks.
        QSignalSpy notices(wm()->GetSignals(), &CKorvantaSignals::GuiModallessMsg);
        const auto bootLoaderNoticed = [&notices] {
            for (const QList<QVariant>& n : notices)
                if (n.at(1).toString().startsWith(QStringLiteral("The logger is waiting in its boot-loader")))
                    return true;
            return false;
        };
        b().sim->setSilent(false);
        if (m_bUnplugged)
            QVERIFY(b().plugIn());
        else
            wm()->onLoggerConnect();
        m_bUnplugged = false;
        // Finding the boot-loader and the logger after the restart are searches that walk every
        // port and wait out the ones that stay silent; beside a full build each took longer than
        // ten seconds once. The waits end when the search does.
        QTRY_VERIFY_WITH_TIMEOUT(bootLoaderNoticed(), 60000);
        QVERIFY(b().sim->invoke([&] { b().device()->restartFirmware(); }));
        QTRY_VERIFY_WITH_TIMEOUT(wm()->IsLoggerDetected() && b().button()->isEnabled(), 60000);
        break;
    }
    }
}

void TestLoggerE2E::failedFirmwareUpdateKeepsTheSetup_data()
{
    QTest::addColumn<QString>("steps");
    QTest::newRow("unplug, failure, silent Connect, found") << "UFSR";
    QTest::newRow("unplug, failure, found") << "UFR";
    QTest::newRow("unplug, Connect, failure, found") << "UAFR";
    QTest::newRow("unplug, failure, Connect, silent Connect, found") << "UFASR";
    QTest::newRow("failure, silent Connect, found") << "FSR";
    QTest::newRow("failure, unplug, Connect, found") << "FUAR";
}

// Whatever the order of the cable pulled, the failure, Connects that find nothing and the
// logger found again, the setup the teacher chose is held at every step and kept afterwards.
void TestLoggerE2E::failedFirmwareUpdateKeepsTheSetup()
{
    QFETCH(QString, steps);
    const bool unplugFirst = steps.startsWith('U');
    QVERIFY(startWithFirmwareFile(3000));
    // Pulled during the transfer, the logger answers the file's size and no block; left
    // plugged in, its boot-loader answers nothing.
    QVERIFY(b().sim->invoke([&] {
        b().device()->setRestartAbsenceMs(50);
        b().device()->setBootTransferReplies(unplugFirst ? 1 : 0);
    }));
    b().logic()->GetDeviceDetectionManager()->SetFirmwareWaitScale(unplugFirst ? 0.4 : 0.05);
    QVERIFY(b().chooseRateAndSamples(kRate100PerSecond, 500));
    CSetupInfo* setup = b().setup()->getSetupInfo();
    const int sensors = setup->m_SelectedSensorList.size();
    const QPoint chosen(kRate100PerSecond, 500);
    wm()->onFirmWareUpdate();
    for (const QChar what : steps) {
        step(what.toLatin1());
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(QPoint(setup->m_RateCode, setup->m_NumberOfSamples), chosen);
    }
    QCOMPARE(setup->m_SelectedSensorList.size(), sensors);
    // The found logger's statuses leave it so.
    const int polls = HostFrames(*b().sim, 0x04);
    QTRY_VERIFY_WITH_TIMEOUT(HostFrames(*b().sim, 0x04) >= polls + 2, kPollsWaitMs);
    QCOMPARE(QPoint(setup->m_RateCode, setup->m_NumberOfSamples), chosen);
}

// The Dravlet interface reads a steady level the test moves. The calibration dialog, opened
// from the full setup, and the setup's current reading follow it live; the two points locked
// at two levels make the calibration, which the next runs store; afterwards the interface is
// asked for no more readings and the setup says "N/A" again.
void TestLoggerE2E::dravletTwoPointCalibrationOnLiveReadings()
{
    const double levels[] = {0.3, 0.7};   // two places in the voltage sensor's range, as shares of it
    auto setLevel = [&](double share) {
        return b().sim->invoke(
            [&] { b().sim->model()->setSignal(kvsim::SignalSettings{kvsim::SignalShape::Level, share}); });
    };
    QVERIFY(b().start(QStringLiteral("dravlet"), false, kvsim::SignalSettings{kvsim::SignalShape::Level, levels[0]}));
    QTRY_VERIFY_WITH_TIMEOUT(b().detections->count() == 1 && b().button()->isEnabled(), 8000);
    b().setup()->displaySetupWindow(1);
    CFullSetupWindow* full = b().setup()->fullSetupWindow();
    auto* zero = full->cell<FullSetupSetZeroColumn>(0, CFullSetupWindow::ZeroColumn);
    auto* calibrate = full->cell<FullSetupCalibrateColumn>(0, CFullSetupWindow::CalibrateColumn);
    QVERIFY(zero && calibrate);
    QCOMPARE(zero->readingLabel()->text(), QStringLiteral("N/A"));
    QString read[2];
    b().prompter.m_DialogHook = [&](QDialog* d) {
        auto* dialog = qobject_cast<CalibrationDialog*>(d);
        QVERIFY(dialog);
        Ui_CalibrationDialog* f = dialog->form();
        dialog->prepareOpening();
        for (int point = 0; point < 2; ++point) {
            QLineEdit* reading = point == 0 ? f->currentReadingEdit1 : f->currentReadingEdit2;
            const QString before = f->currentReadingEdit1->text();
            QVERIFY(setLevel(levels[point]));
            QTRY_VERIFY_WITH_TIMEOUT(f->set1Button->isEnabled() && !reading->text().isEmpty()
                                         && reading->text() != before, 5000);
            // The setup's reading, such as 1.250 of "1.250 (V)", with it.
            QTRY_VERIFY(qAbs(zero->readingLabel()->text().section(' ', 0, 0).toDouble() - reading->text().toDouble())
                        < 0.0015);
            QTest::keyClicks(point == 0 ? f->firstRealValueEdit : f->secondRealValueEdit, QString::number(point + 1));
            QTest::mouseClick(point == 0 ? f->set1Button : f->set2Button, Qt::LeftButton);
            read[point] = reading->text();
        }
        QTest::mouseClick(f->calibrateButton, Qt::LeftButton);
    };
    QTest::mouseClick(calibrate->setButton(), Qt::LeftButton);
    // The higher level reads higher (the range is ±25 V).
    QVERIFY2(read[1].toDouble() > read[0].toDouble() + 1.0, qPrintable(read[0] + " " + read[1]));
    const int index = b().setup()->getSetupInfo()->m_SelectedSensorList.first()->m_SensorIndex;
    QCOMPARE(b().logic()->m_SensorsCalibration.GetCalibration(index).type, 2);
    QVERIFY(calibrate->useCheckBox()->isChecked() && b().prompter.m_Log.filter(QStringLiteral("crit|")).isEmpty());
    QVERIFY(!zero->setButton()->isEnabled());
    const int snapshots = HostFrames(*b().sim, 0x03, 2);
    const int polls = HostFrames(*b().sim, 0x04, 2);
    QTRY_VERIFY_WITH_TIMEOUT(HostFrames(*b().sim, 0x04, 2) >= polls + 2, kPollsWaitMs);
    QCOMPARE(HostFrames(*b().sim, 0x03, 2), snapshots);
    QCOMPARE(zero->readingLabel()->text(), QStringLiteral("N/A"));

    // A run at a calibrated point stores the real value typed for it.
    QVERIFY(b().chooseRateAndSamples(kRate100PerSecond, 20));
    for (int point = 0; point < 2; ++point) {
        QVERIFY(setLevel(levels[point]));
        QTRY_VERIFY_WITH_TIMEOUT(b().button()->isEnabled() && b().state() == int(RunControl::Idle), 4000);
        const int runs = b().ended->count();
        b().pressRun();
        QTRY_COMPARE_WITH_TIMEOUT(b().ended->count(), runs + 1, 5000);
        const QList<CDataBranch*> branches = b().runBranches(b().logic()->m_DataManager.GetNumDataFolders() - 1);
        QVERIFY(!branches.isEmpty());
        QCOMPARE(branches.first()->GetNumSamples(), 20);
        for (int i = 0; i < 20; ++i)
            QVERIFY2(qAbs(branches.first()->GetYSample(i) - (point + 1)) < 1e-4,
                     qPrintable(QString::number(branches.first()->GetYSample(i), 'g', 10)));
    }
}

// After a calibration the trigger's levels read calibrated over the same raw codes, and the chosen
// level keeps its raw code, the threshold the logger compares: it reads calibrated now.
void TestLoggerE2E::dravletTriggerFollowsCalibration()
{
    QVERIFY(b().start(QStringLiteral("dravlet")));
    QTRY_VERIFY_WITH_TIMEOUT(b().detections->count() == 1 && b().button()->isEnabled(), 8000);
    b().setup()->displaySetupWindow(1);
    auto* trigger = b().setup()->fullSetupWindow()->cell<FullSetupTriggerColumn>(0, CFullSetupWindow::TriggerColumn);
    TriggerDialog* dialog = trigger->dialog();
    const QList<TriggerLevel> plain = dialog->triggerLevels();
    QTest::mouseClick(trigger->getTriggerRadioButton(), Qt::LeftButton);
    dialog->form()->TriggerTypeCombo->setCurrentIndex(1);
    dialog->form()->TriggerLevelCombo->setCurrentIndex(SetupColumnRules::NearestTriggerLevel(plain, -6.0f));
    dialog->form()->OkButton->click();
    const TriggerLevel chosen = plain.at(dialog->levelIndex());
    // A two-point line through two raw codes that reads every value v as v / 2 + 3.
    const auto line = [](double v) { return v / 2.0 + 3.0; };
    CalibrationValues values;
    values.type = 2;
    values.raw1 = plain.first().m_Code, values.real1 = line(plain.first().m_Level);
    values.raw2 = plain.last().m_Code, values.real2 = line(plain.last().m_Level);
    b().setup()->calibrationChanged(values, 0);
    const QList<TriggerLevel> calibrated = dialog->triggerLevels();
    QCOMPARE(calibrated.size(), plain.size());
    for (int i = 0; i < plain.size(); ++i) // a few hundredths off the line: the conversion scales
        QVERIFY(calibrated.at(i).m_Code == plain.at(i).m_Code && qAbs(calibrated.at(i).m_Level - line(plain.at(i).m_Level)) < 0.1
                && dialog->form()->TriggerLevelCombo->itemText(i) == SetupColumnRules::TriggerLevelText(calibrated.at(i).m_Level));
    const TriggerLevel kept = calibrated.at(dialog->levelIndex());
    QVERIFY(kept.m_Code == chosen.m_Code && qAbs(kept.m_Level - line(chosen.m_Level)) < 0.1);
    QCOMPARE(b().setup()->getSetupInfo()->m_TriggerValue, chosen.m_Code);
}

FullSetupTriggerColumn* TestLoggerE2E::startOn(const QString& model, int sensor, const kvsim::SignalSettings& signal)
{
    if (!b().start(model, false, signal, [&](kvsim::IDeviceModel& m) { kvsim::ApplySensors(m, {sensor}); })
        || !QTest::qWaitFor([&] { return b().detections->count() == 1 && b().button()->isEnabled(); }, 10000))
        return nullptr;
    b().setup()->displaySetupWindow(1);
    return b().setup()->fullSetupWindow()->cell<FullSetupTriggerColumn>(0, CFullSetupWindow::TriggerColumn);
}

TriggerLevel TestLoggerE2E::chooseTrigger(FullSetupTriggerColumn* column, int kind, double target)
{
    Ui_TriggerDialog* form = column->dialog()->form();
    QTest::mouseClick(column->getTriggerRadioButton(), Qt::LeftButton);
    form->TriggerTypeCombo->setCurrentIndex(kind);
    form->TriggerLevelCombo->setCurrentIndex(SetupColumnRules::NearestTriggerLevel(column->dialog()->triggerLevels(), float(target)));
    form->OkButton->click();
    return column->dialog()->triggerLevels().value(column->dialog()->levelIndex());
}

void TestLoggerE2E::fallingCalibrationTurnsTheTriggerAround_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("kind");  // 1 above a level at 80 % of the range, 2 below one at 20 %
    for (const char* model : {"dravlet", "pelorin"})
        for (int kind : {1, 2})
            QTest::addRow("%s %s", model, kind == 1 ? "above" : "below") << QString(model) << kind;
}

// Calibrated upside down, a run still waits until the reading passes the level the chosen way,
// and starts with the sample that passed it.
void TestLoggerE2E::fallingCalibrationTurnsTheTriggerAround()
{
    QFETCH(QString, model);
    QFETCH(int, kind);
    const int sensor = model == QLatin1String("dravlet") ? 1 : 71;  // voltage, pressure
    FullSetupTriggerColumn* column = startOn(model, sensor, {kvsim::SignalShape::Sine, 0.8, 2.0});
    QVERIFY(column && column->dialog()->triggerLevels().size() > 8);
    const CSensorMeasuremntInfo* r = b().logic()->m_SensorInfo.GetMeasurementInfo(sensor, 0);
    const QList<TriggerLevel> plain = column->dialog()->triggerLevels();
    const TriggerLevel p1 = plain.at(plain.size() / 4), p2 = plain.at(3 * plain.size() / 4);
    CalibrationValues mirror;  // reads every value v as top + bottom - v
    mirror.type = 2;
    mirror.raw1 = p1.m_Code, mirror.real1 = r->m_Max + r->m_Min - p1.m_Level;
    mirror.raw2 = p2.m_Code, mirror.real2 = r->m_Max + r->m_Min - p2.m_Level;
    b().setup()->calibrationChanged(mirror, 0);
    const double width = r->m_Max - r->m_Min;
    const TriggerLevel level = chooseTrigger(column, kind, r->m_Min + (kind == 1 ? 0.8 : 0.2) * width);
    QVERIFY(b().chooseRateAndSamples(kRate100PerSecond, 50));
    b().pressRun();
    QTRY_COMPARE_WITH_TIMEOUT(b().ended->count(), 1, 10000);
    const QList<CDataBranch*> run = b().runBranches(0);
    QVERIFY(!run.isEmpty());
    const double past = (kind == 1 ? 1 : -1) * (run.first()->GetYSample(0) - level.m_Level) / width;
    QVERIFY2(past > 0 && past < 0.05, qPrintable(QString::number(run.first()->GetYSample(0))));
}

void TestLoggerE2E::zeroAndCancelledCalibrationKeepTheTriggerCode_data()
{
    QTest::addColumn<double>("kPa");  // the pressure reads 160 kPa: zeroed, 80 lies past the range
    QTest::newRow("80 kPa") << 80.0;
    QTest::newRow("320 kPa") << 320.0;
}

// Setting the zero, cancelling the calibration dialog and removing the zero change what the
// trigger's level reads as, never the code the logger compares; the cancelled dialog gives the
// zero back.
void TestLoggerE2E::zeroAndCancelledCalibrationKeepTheTriggerCode()
{
    QFETCH(double, kPa);
    FullSetupTriggerColumn* column = startOn(QStringLiteral("pelorin"), 71, {kvsim::SignalShape::Level, 0.4});
    QVERIFY(column);
    auto* zero = b().setup()->fullSetupWindow()->cell<FullSetupSetZeroColumn>(0, CFullSetupWindow::ZeroColumn);
    auto* calibrate = b().setup()->fullSetupWindow()->cell<FullSetupCalibrateColumn>(0, CFullSetupWindow::CalibrateColumn);
    const TriggerLevel chosen = chooseTrigger(column, 1, kPa);
    const CMeasurementSetup* pressure = b().setup()->getSetupInfo()->GetSelectedSensor(0)->GetMeasurement(0);
    const auto keeps = [&](double reads) {
        return b().setup()->getSetupInfo()->m_TriggerValue == chosen.m_Code
               && column->dialog()->triggerLevels().value(column->dialog()->levelIndex()).m_Code == chosen.m_Code
               && qAbs(column->dialog()->form()->TriggerLevelCombo->currentText().toDouble() - reads) < 0.01;
    };
    QTRY_VERIFY_WITH_TIMEOUT(zero->setButton()->isEnabled(), 5000);
    QTest::mouseClick(zero->setButton(), Qt::LeftButton);
    const double zeroLevel = pressure->m_ZeroLevel;
    QVERIFY(pressure->m_bZero && keeps(chosen.m_Level - zeroLevel));
    bool offWhileOpen = false;
    b().prompter.m_DialogHook = [&](QDialog* d) {
        offWhileOpen = !pressure->m_bZero && !calibrate->calibrationDialog()->form()->zeroNoteLabel->isHidden();
        QTest::mouseClick(static_cast<CalibrationDialog*>(d)->form()->cancelButton, Qt::LeftButton);
    };
    QTest::mouseClick(calibrate->setButton(), Qt::LeftButton);
    QVERIFY(offWhileOpen && pressure->m_bZero && pressure->m_ZeroLevel == zeroLevel && zero->setButton()->isChecked());
    QVERIFY(keeps(chosen.m_Level - zeroLevel));
    QTest::mouseClick(zero->setButton(), Qt::LeftButton);
    QVERIFY(!pressure->m_bZero && keeps(chosen.m_Level));
}

KORVANTA_TEST_MAIN(TestLoggerE2E)
#include "tst_logger_e2e.moc"

// Firmware updates through the real application against the simulated Pelorin logger on a
// pseudo-terminal. A good one shows its progress without a break until "Update successful.";
// for one that fails, whatever the order in which the cable is pulled, the update fails, a
// Connect finds nothing and the logger is found again, the setup the teacher chose is the one
// the logger comes back to.
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/DeviceDetectionManager.h"
#include "Core/Logic/PelorinManager.h"
#include "support/AppBench.h"
#include "common/SimulatedLogger.h"
#include "common/TestMain.h"

#include <QFile>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

const int kRate100PerSecond = 10;
const int kSamples = 500;
const QString kFailed = QStringLiteral("There was a problem");
const QString kNotDetected = QStringLiteral("Logger has not been detected");
const QString kInBootLoader = QStringLiteral("The logger is waiting in its boot-loader");

} // namespace

class TestFirmwareUpdateE2E : public QObject
{
    Q_OBJECT
private:
    struct Episode
    {
        CAppBench bench;
        QTemporaryDir dir;
        bool unplugged = false;
    };
    bool startUpdate(Episode& e, bool unplugFirst);
    void pullDuringTheUpdate(Episode& e);
    void waitForTheFailure(Episode& e);
    void connectToASilentLogger(Episode& e);
    void connectWithoutLogger(Episode& e);
    void findItAgain(Episode& e);

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void progressShownUntilSuccess();
    void setupSurvives_data();
    void setupSurvives();
};

bool TestFirmwareUpdateE2E::startUpdate(Episode& e, bool unplugFirst)
{
    CAppBench& b = e.bench;
    if (!b.start(QStringLiteral("pelorin"), true))
        return false;
    if (!QTest::qWaitFor([&] { return b.detections->count() == 1 && b.button()->isEnabled(); }, 10000))
        return false;
    CSetupInfo* setup = b.setup()->getSetupInfo();
    if (!QTest::qWaitFor([&] { return setup->GetActiveMeasurementCount() > 0; }, 4000))
        return false;
    FollowRestarts(*b.sim, b.ports.get(), b.vendor, b.product);
    // Pulled during the transfer, the logger answers the file's size and no block; left
    // plugged in, its boot-loader answers nothing.
    const int replies = unplugFirst ? 1 : 0;
    if (!b.sim->invoke([&] {
            b.device()->setRestartAbsenceMs(50);
            b.device()->setBootTransferReplies(replies);
        }))
        return false;
    CDeviceDetectionManager* detection = b.logic()->GetDeviceDetectionManager();
    detection->SetPlugWaitScale(0.02);
    detection->SetFirmwareWaitScale(unplugFirst ? 0.4 : 0.05);
    b.logic()->GetPelorinManager()->m_MaxHelloTries = 1;
    if (!b.chooseRateAndSamples(kRate100PerSecond, kSamples))
        return false;
    b.prompter.m_File = e.dir.filePath(QStringLiteral("logger_ver9.99.bin"));
    QFile file(b.prompter.m_File);
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(3000, 'x')) != 3000)
        return false;
    file.close();
    b.window->windowsManager()->onFirmWareUpdate();
    return true;
}

void TestFirmwareUpdateE2E::pullDuringTheUpdate(Episode& e)
{
    QProgressDialog* progress = e.bench.window->windowsManager()->progressDialog();
    // The boot-loader has the file's size and waits for the first block's answer.
    QTRY_VERIFY_WITH_TIMEOUT(progress->value() >= 26, 8000);
    QVERIFY(e.bench.pullCable());
    e.unplugged = true;
    QTRY_VERIFY(!e.bench.logic()->IsLoggerConnected());
}

void TestFirmwareUpdateE2E::waitForTheFailure(Episode& e)
{
    QMessageBox* box = e.bench.window->modelessMessageBox();
    QTRY_VERIFY_WITH_TIMEOUT(box->isVisible() && box->text().startsWith(kFailed), 10000);
}

void TestFirmwareUpdateE2E::connectToASilentLogger(Episode& e)
{
    CAppBench& b = e.bench;
    b.sim->setSilent(true);
    const int before = b.detections->count();
    if (e.unplugged) {
        // Plugged in again, it is searched for at once; that search finds nothing as well.
        QVERIFY(b.plugIn());
        e.unplugged = false;
        QTRY_COMPARE_WITH_TIMEOUT(b.detections->count(), before + 1, 10000);
    }
    const int searched = b.detections->count();
    b.window->windowsManager()->onLoggerConnect();
    QTRY_COMPARE_WITH_TIMEOUT(b.detections->count(), searched + 1, 10000);
    QVERIFY(!b.detections->last().at(0).toBool());
    QTRY_VERIFY(b.window->modelessMessageBox()->text() == kNotDetected);
}

void TestFirmwareUpdateE2E::connectWithoutLogger(Episode& e)
{
    CAppBench& b = e.bench;
    QVERIFY(e.unplugged);
    const int before = b.detections->count();
    b.window->windowsManager()->onLoggerConnect();
    QTRY_COMPARE_WITH_TIMEOUT(b.detections->count(), before + 1, 5000);
    QVERIFY(!b.detections->last().at(0).toBool());
}

// The logger is plugged in (and answers): it is found waiting in its boot-loader; the user's
// reset restarts it with its firmware and it is found again.
void TestFirmwareUpdateE2E::findItAgain(Episode& e)
{
    CAppBench& b = e.bench;
    b.sim->setSilent(false);
    if (e.unplugged) {
        QVERIFY(b.plugIn());
        e.unplugged = false;
    } else {
        b.window->windowsManager()->onLoggerConnect();
    }
    QMessageBox* box = b.window->modelessMessageBox();
    QTRY_VERIFY_WITH_TIMEOUT(box->text().startsWith(kInBootLoader), 10000);
    QVERIFY(b.sim->invoke([&] { b.device()->restartFirmware(); }));
    QTRY_VERIFY_WITH_TIMEOUT(b.window->windowsManager()->IsLoggerDetected() && b.button()->isEnabled(), 10000);
}

namespace {

// Notes the step the progress dialog showed whenever it was hidden.
class CHideWatch : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            m_Steps << static_cast<QProgressDialog*>(watched)->labelText();
        return QObject::eventFilter(watched, event);
    }
    QStringList m_Steps;
};

} // namespace

// The logger leaves for its boot-loader, takes the file, restarts with it and is found again:
// all that time the progress stays on screen, and it goes with the success notice.
void TestFirmwareUpdateE2E::progressShownUntilSuccess()
{
    Episode e;
    CAppBench& b = e.bench;
    QVERIFY(b.start(QStringLiteral("pelorin"), true));
    QTRY_VERIFY_WITH_TIMEOUT(b.detections->count() == 1 && b.button()->isEnabled(), 10000);
    FollowRestarts(*b.sim, b.ports.get(), b.vendor, b.product);
    QVERIFY(b.sim->invoke([&] { b.device()->setRestartAbsenceMs(300); }));
    b.logic()->GetDeviceDetectionManager()->SetPlugWaitScale(0.05);
    b.prompter.m_File = e.dir.filePath(QStringLiteral("logger_ver2.00.bin"));
    QFile file(b.prompter.m_File);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(20 * 1024, '\x3c')) == 20 * 1024);
    file.close();
    QProgressDialog* progress = b.window->windowsManager()->progressDialog();
    QMessageBox* box = b.window->modelessMessageBox();
    CHideWatch watch;
    progress->installEventFilter(&watch);
    QSignalSpy steps(b.window->windowsManager()->GetSignals(), &CKorvantaSignals::LoggerBootLoaderProgUpdate);

    b.window->windowsManager()->onFirmWareUpdate();
    QVERIFY(progress->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(box->isVisible() && box->text() == QStringLiteral("Update successful."), 20000);
    QTRY_VERIFY(!progress->isVisible());
    progress->removeEventFilter(&watch);
    QVERIFY(!watch.m_Steps.isEmpty());
    QVERIFY2(watch.m_Steps.filter(QStringLiteral("Update successful.")).size() == watch.m_Steps.size(),
             qPrintable(watch.m_Steps.join('|')));
    QCOMPARE(box->windowTitle(), QStringLiteral("Firmware update"));
    // It went through every stage: the transfer, the logger's return and its success.
    QList<int> percents;
    for (const QList<QVariant>& s : steps)
        percents << s.at(0).toInt();
    QVERIFY(percents.contains(26) && percents.contains(90));
    QCOMPARE(percents.last(), 100);
    bool matched = false;
    QVERIFY(b.sim->invoke([&] { matched = b.device()->bootCrcMatched(); }));
    QVERIFY(matched);
}

void TestFirmwareUpdateE2E::setupSurvives_data()
{
    // U the cable pulled during the update, F the update's failure, S a Connect while the
    // logger is plugged in but silent, A a Connect while it is away, R found again.
    QTest::addColumn<QString>("steps");
    QTest::newRow("unplug, failure, silent Connect, found") << "UFSR";
    QTest::newRow("unplug, failure, found") << "UFR";
    QTest::newRow("unplug, Connect, failure, found") << "UAFR";
    QTest::newRow("unplug, failure, Connect, silent Connect, found") << "UFASR";
    QTest::newRow("failure, silent Connect, found") << "FSR";
    QTest::newRow("failure, unplug, Connect, found") << "FUAR";
}

void TestFirmwareUpdateE2E::setupSurvives()
{
    QFETCH(QString, steps);
    Episode e;
    QVERIFY2(startUpdate(e, steps.startsWith('U')), "no logger, or the update did not start");
    CSetupInfo* setup = e.bench.setup()->getSetupInfo();
    const int sensors = setup->m_SelectedSensorList.size();
    for (const QChar step : steps) {
        switch (step.toLatin1()) {
        case 'U':
            if (e.bench.window->modelessMessageBox()->text().startsWith(kFailed)) {
                QVERIFY(e.bench.pullCable());
                e.unplugged = true;
                QTRY_VERIFY(e.bench.ports->getPorts().isEmpty());
            } else {
                pullDuringTheUpdate(e);
            }
            break;
        case 'F': waitForTheFailure(e); break;
        case 'S': connectToASilentLogger(e); break;
        case 'A': connectWithoutLogger(e); break;
        case 'R': findItAgain(e); break;
        default: QFAIL("unknown step");
        }
        if (QTest::currentTestFailed())
            return;
        // Held, not lost, at every step.
        QCOMPARE(setup->m_RateCode, kRate100PerSecond);
        QCOMPARE(setup->m_NumberOfSamples, kSamples);
    }
    QCOMPARE(setup->m_SelectedSensorList.size(), sensors);
    // The statuses of the found logger leave it so.
    const int polls = HostFrames(*e.bench.sim, 0x04);
    QTRY_VERIFY_WITH_TIMEOUT(HostFrames(*e.bench.sim, 0x04) >= polls + 2, 5000);
    QCOMPARE(setup->m_RateCode, kRate100PerSecond);
    QCOMPARE(setup->m_NumberOfSamples, kSamples);
}

KORVANTA_TEST_MAIN(TestFirmwareUpdateE2E)
#include "tst_firmware_update_e2e.moc"

// Firmware updates through the real application against the simulated Pelorin logger on a
// pseudo-terminal. A good one shows its progress without a break until "Update successful.";
// for one that fails, whatever the order in which the cable is pulled, the update fails, a
// Connect finds nothing and the logger is found again, the setup the teacher chose is the one
// the logger comes back to.
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/Detection/DeviceDetectionManager.h"
#include "Core/Logic/Pelorin/PelorinManager.h"
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
    std::unique_ptr<CAppBench> m_pBench;
    QTemporaryDir m_Dir;
    bool m_bUnplugged = false;

    // Starts against the simulated logger, waits for it and chooses the file of the update.
    bool startWithFirmwareFile(int size);
    void step(char what);
    // Connect, and the search that ends without a logger.
    void connectFindingNothing();

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        m_pBench = std::make_unique<CAppBench>();
        m_bUnplugged = false;
    }
    void cleanup() { m_pBench.reset(); }
    void progressShownUntilSuccess();
    void setupSurvives_data();
    void setupSurvives();
};

bool TestFirmwareUpdateE2E::startWithFirmwareFile(int size)
{
    CAppBench& b = *m_pBench;
    if (!b.start(QStringLiteral("pelorin"), true) ||
        !QTest::qWaitFor([&] { return b.detections->count() == 1 && b.button()->isEnabled(); }, 10000))
        return false;
    FollowRestarts(*b.sim, b.ports.get(), b.vendor, b.product);
    b.logic()->GetDeviceDetectionManager()->SetPlugWaitScale(0.02);
    b.logic()->GetPelorinManager()->m_MaxHelloTries = 1;
    b.prompter.m_File = m_Dir.filePath(QStringLiteral("logger_ver9.99.bin"));
    QFile file(b.prompter.m_File);
    return file.open(QIODevice::WriteOnly) && file.write(QByteArray(size, '\x3c')) == size;
}

void TestFirmwareUpdateE2E::connectFindingNothing()
{
    const int before = m_pBench->detections->count();
    m_pBench->window->windowsManager()->onLoggerConnect();
    QTRY_COMPARE_WITH_TIMEOUT(m_pBench->detections->count(), before + 1, 10000);
    QVERIFY(!m_pBench->detections->last().at(0).toBool());
    QTRY_VERIFY(m_pBench->window->modelessMessageBox()->text() == kNotDetected);
}

// U the cable pulled, F the update's failure, S a Connect while the logger is plugged in but
// silent, A a Connect while it is away, R the logger found again after its reset.
void TestFirmwareUpdateE2E::step(char what)
{
    CAppBench& b = *m_pBench;
    QMessageBox* box = b.window->modelessMessageBox();
    switch (what) {
    case 'U':
        // During the update: once the boot-loader has the file's size.
        if (!box->text().startsWith(kFailed))
            QTRY_VERIFY_WITH_TIMEOUT(b.window->windowsManager()->progressDialog()->value() >= 26, 8000);
        QVERIFY(b.pullCable());
        m_bUnplugged = true;
        QTRY_VERIFY(!b.logic()->IsLoggerConnected() && b.ports->getPorts().isEmpty());
        break;
    case 'F': QTRY_VERIFY_WITH_TIMEOUT(box->isVisible() && box->text().startsWith(kFailed), 10000); break;
    case 'S':
        b.sim->setSilent(true);
        if (m_bUnplugged) {
            // Plugged in again, it is searched for at once; that search finds nothing either.
            const int before = b.detections->count();
            QVERIFY(b.plugIn());
            m_bUnplugged = false;
            QTRY_COMPARE_WITH_TIMEOUT(b.detections->count(), before + 1, 10000);
        }
        connectFindingNothing();
        break;
    case 'A': connectFindingNothing(); break;
    case 'R':
        b.sim->setSilent(false);
        if (m_bUnplugged)
            QVERIFY(b.plugIn());
        else
            b.window->windowsManager()->onLoggerConnect();
        m_bUnplugged = false;
        QTRY_VERIFY_WITH_TIMEOUT(box->text().startsWith(kInBootLoader), 10000);
        QVERIFY(b.sim->invoke([&] { b.device()->restartFirmware(); }));
        QTRY_VERIFY_WITH_TIMEOUT(b.window->windowsManager()->IsLoggerDetected() && b.button()->isEnabled(), 10000);
        break;
    }
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
    CAppBench& b = *m_pBench;
    QVERIFY(startWithFirmwareFile(20 * 1024));
    QVERIFY(b.sim->invoke([&] { b.device()->setRestartAbsenceMs(300); }));
    QProgressDialog* progress = b.window->windowsManager()->progressDialog();
    CHideWatch watch;
    progress->installEventFilter(&watch);
    QSignalSpy steps(b.window->windowsManager()->GetSignals(), &CKorvantaSignals::LoggerBootLoaderProgUpdate);
    b.window->windowsManager()->onFirmWareUpdate();
    QVERIFY(progress->isVisible());
    QMessageBox* box = b.window->modelessMessageBox();
    QTRY_VERIFY_WITH_TIMEOUT(box->isVisible() && box->text() == QStringLiteral("Update successful."), 20000);
    QTRY_VERIFY(!progress->isVisible());
    progress->removeEventFilter(&watch);
    QVERIFY(!watch.m_Steps.isEmpty());
    QVERIFY2(watch.m_Steps.filter(QStringLiteral("Update successful.")).size() == watch.m_Steps.size(),
             qPrintable(watch.m_Steps.join('|')));
    // Through every stage: the transfer, the logger's return and its success.
    QVERIFY(steps.count() > 3 && steps.at(steps.count() - 2).at(0).toInt() == 90);
    QCOMPARE(steps.last().at(0).toInt(), 100);
}

void TestFirmwareUpdateE2E::setupSurvives_data()
{
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
    CAppBench& b = *m_pBench;
    const bool unplugFirst = steps.startsWith('U');
    QVERIFY(startWithFirmwareFile(3000));
    // Pulled during the transfer, the logger answers the file's size and no block; left
    // plugged in, its boot-loader answers nothing.
    QVERIFY(b.sim->invoke([&] {
        b.device()->setRestartAbsenceMs(50);
        b.device()->setBootTransferReplies(unplugFirst ? 1 : 0);
    }));
    b.logic()->GetDeviceDetectionManager()->SetFirmwareWaitScale(unplugFirst ? 0.4 : 0.05);
    QVERIFY(b.chooseRateAndSamples(kRate100PerSecond, kSamples));
    CSetupInfo* setup = b.setup()->getSetupInfo();
    const int sensors = setup->m_SelectedSensorList.size();
    b.window->windowsManager()->onFirmWareUpdate();
    for (const QChar what : steps) {
        step(what.toLatin1());
        if (QTest::currentTestFailed())
            return;
        // Held, not lost, at every step.
        QCOMPARE(setup->m_RateCode, kRate100PerSecond);
        QCOMPARE(setup->m_NumberOfSamples, kSamples);
    }
    QCOMPARE(setup->m_SelectedSensorList.size(), sensors);
    // The found logger's statuses leave it so.
    const int polls = HostFrames(*b.sim, 0x04);
    QTRY_VERIFY_WITH_TIMEOUT(HostFrames(*b.sim, 0x04) >= polls + 2, 5000);
    QCOMPARE(setup->m_RateCode, kRate100PerSecond);
    QCOMPARE(setup->m_NumberOfSamples, kSamples);
}

KORVANTA_TEST_MAIN(TestFirmwareUpdateE2E)
#include "tst_firmware_update_e2e.moc"

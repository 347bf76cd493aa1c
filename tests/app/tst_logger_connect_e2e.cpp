// Giving up the search for a logger that does not answer: the real application against a
// silent simulated Pelorin logger on a pseudo-terminal. The "Trying to connect..." notice offers
// Cancel; Cancel, Escape and the box's close button stop the search at once, and nothing of it
// turns up afterwards.
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/Pelorin/PelorinManager.h"
#include "support/AppBench.h"
#include "common/TestMain.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

namespace {

const QString kTrying = QStringLiteral("Trying to connect...");
const QString kNotDetected = QStringLiteral("Logger has not been detected");

enum class GiveUp { CancelButton, Escape, CloseButton };

} // namespace

Q_DECLARE_METATYPE(GiveUp)

class TestLoggerConnectE2E : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void searchIsGivenUp_data();
    void searchIsGivenUp();
};

void TestLoggerConnectE2E::searchIsGivenUp_data()
{
    QTest::addColumn<GiveUp>("how");
    QTest::addColumn<bool>("byConnect");
    QTest::newRow("Cancel, at start-up") << GiveUp::CancelButton << false;
    QTest::newRow("Cancel, after Connect") << GiveUp::CancelButton << true;
    QTest::newRow("Escape, after Connect") << GiveUp::Escape << true;
    QTest::newRow("close button, after Connect") << GiveUp::CloseButton << true;
}

// The search stops at once: no poll, no open port, no "not detected" notice; the device that
// answers afterwards is found only by the next Connect.
void TestLoggerConnectE2E::searchIsGivenUp()
{
    QFETCH(GiveUp, how);
    QFETCH(bool, byConnect);
    CAppBench bench;
    bench.startSilent = true;
    QVERIFY(bench.start(QStringLiteral("pelorin"), true));
    CPelorinManager* pelorin = bench.logic()->GetPelorinManager();
    QVERIFY(pelorin);
    QMessageBox* box = bench.window->modelessMessageBox();
    CWindowsManager* wm = bench.window->windowsManager();
    QSignalSpy notices(wm->GetSignals(), &CKorvantaSignals::GuiModallessMsg);
    QTRY_VERIFY(box->isVisible() && box->text() == kTrying);
    if (byConnect) {
        // The start-up search gives up by itself after a few hellos; Connect searches again.
        pelorin->m_MaxHelloTries = 1;
        QTRY_COMPARE_WITH_TIMEOUT(bench.detections->count(), 1, 10000);
        QTRY_VERIFY(box->text() == kNotDetected);
        // The search is over: its notice offers no Cancel.
        QVERIFY(!box->button(QMessageBox::Cancel) && box->button(QMessageBox::Ok));
        pelorin->m_MaxHelloTries = int(CPelorinManager::MaxHelloTries);
        box->hide();
        wm->onLoggerConnect();
        QTRY_VERIFY(box->isVisible() && box->text() == kTrying);
    }
    // The device has the hellos of the search in front of it.
    QTRY_VERIFY_WITH_TIMEOUT(pelorin->IsComInitilazied() && pelorin->IsDetectionPolling(), 5000);
    const int detections = bench.detections->count();
    const int noticed = notices.count();
    CSetupInfo* setup = bench.setup()->getSetupInfo();
    const int rate = setup->m_RateCode;
    const int samples = setup->m_NumberOfSamples;
    QPushButton* cancel = qobject_cast<QPushButton*>(box->button(QMessageBox::Cancel));
    QVERIFY(cancel && cancel->isVisible());

    switch (how) {
    case GiveUp::CancelButton: QTest::mouseClick(cancel, Qt::LeftButton); break;
    case GiveUp::Escape: QTest::keyClick(box, Qt::Key_Escape); break;
    case GiveUp::CloseButton: QVERIFY(box->close()); break;
    }
    QVERIFY(!box->isVisible());
    QVERIFY(!bench.logic()->IsSearchUnderWay());
    QTRY_VERIFY_WITH_TIMEOUT(!pelorin->IsDetectionPolling() && !pelorin->IsComInitilazied(), 2000);
    // Whatever was on its way is delivered by now; none of it reports the search.
    QTRY_VERIFY(!bench.logic()->IsEnumerationRunning());
    QCoreApplication::processEvents();
    QCOMPARE(bench.detections->count(), detections);
    QStringList texts;
    for (const auto& n : notices) texts << n.at(1).toString();
    QVERIFY2(notices.count() == noticed, qPrintable(texts.join('|')));
    QVERIFY(!box->isVisible());
    QCOMPARE(setup->m_RateCode, rate);
    QCOMPARE(setup->m_NumberOfSamples, samples);
    QVERIFY(!wm->IsLoggerDetected());
    QVERIFY(bench.prompter.m_Log.isEmpty());

    // The logger answers again: a cancelled search does not find it, the next Connect does.
    bench.sim->setSilent(false);
    const int frames = bench.sim->frameCount();
    wm->onLoggerConnect();
    QTRY_COMPARE_WITH_TIMEOUT(bench.detections->count(), detections + 1, 8000);
    QVERIFY(bench.detections->last().at(0).toBool());
    QVERIFY(bench.sim->frameCount() > frames);
    QTRY_VERIFY_WITH_TIMEOUT(bench.button()->isEnabled(), 4000);
    QVERIFY(!box->isVisible());
}

KORVANTA_TEST_MAIN(TestLoggerConnectE2E)
#include "tst_logger_connect_e2e.moc"

// A live run on the meters through the real application: the main window as start-up builds
// it, the simulated Pelorin logger named in KORVANTA_EXTRA_PORTS, an analog and a digital
// meters window opened from the ribbon, the Run button pressed, and both faces showing the
// run's latest reading; the calculator and notes commands of the ribbon open their windows.
// With KORVANTA_SCREENSHOT_DIR set, the screen is saved there at the end of the run.
#include "app/shell/MultiAction.h"
#include "Core/Data/DataBranch.h"
#include "support/AppBench.h"
#include "table/Calculator.h"
#include "table/MeterFaces.h"
#include "table/MetersWindow.h"
#include "table/NotesWindow.h"

#include <QScreen>
#include <QStandardPaths>
#include "common/TestMain.h"

class TestMetersEndToEndRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void liveRunOnAnalogAndDigitalMeters()
    {
        CAppBench bench;
        QVERIFY(bench.start());
        MainWindow* window = bench.window.get();
        window->resize(1500, 950);
        // Rate 100 per second, 50 samples, from the lists the setup offers.
        QVERIFY(bench.detectAndChoose(10, 50));
        QCOMPARE(bench.detections->count(), 1);

        CWindowsManager* wm = window->windowsManager();
        MultiAction* meters = window->findAction(23);
        QVERIFY(meters && meters->isEnabled());
        meters->trigger();
        auto* analog = qobject_cast<CMetersWindow*>(wm->GetLastMade(CWindowsManager::MetersKind));
        meters->trigger();
        auto* digital = qobject_cast<CMetersWindow*>(wm->GetLastMade(CWindowsManager::MetersKind));
        QVERIFY(analog && digital && analog != digital);
        digital->setCurrentMeterType(CMetersView::Digital);
        analog->setGeometry(420, 0, 420, 400);
        digital->setGeometry(840, 0, 420, 400);
        window->findAction(25)->trigger();
        window->findAction(26)->trigger();
        CKorvantaWindow* calculator = wm->GetLastMade(CWindowsManager::CalculatorKind);
        CKorvantaWindow* notes = wm->GetLastMade(CWindowsManager::NotesKind);
        QVERIFY(qobject_cast<CCalculator*>(calculator));
        QVERIFY(qobject_cast<cnoteswindow*>(notes));
        calculator->setGeometry(420, 400, 600, 340);
        notes->setGeometry(1020, 400, 320, 340);

        bench.pressRun();
        QTRY_COMPARE_WITH_TIMEOUT(bench.ended->count(), 1, 6000);

        const QList<CDataBranch*> run = bench.runBranches(bench.logic()->m_DataManager.GetNumDataFolders() - 1);
        CDataBranch* first = run.value(0);
        QVERIFY(first && first->GetYSize() == 50);
        const double last = first->GetYSample(49);
        QCOMPARE(analog->view()->followedKey(), first->m_Key);
        QCOMPARE(digital->view()->followedKey(), first->m_Key);
        QTRY_COMPARE(digital->view()->digitalMeter()->value(), last);
        const double lo = analog->view()->analogMeter()->minimum();
        const double hi = analog->view()->analogMeter()->maximum();
        QTRY_COMPARE(analog->view()->analogMeter()->needleAngle(), (last - lo) / (hi - lo) * 180.0);

        const QString shots = qEnvironmentVariable("KORVANTA_SCREENSHOT_DIR");
        if (!shots.isEmpty()) {
            QTest::qWait(300);
            window->grab().save(shots + QStringLiteral("/meters_run.png"));
            if (QScreen* screen = QGuiApplication::primaryScreen())
                screen->grabWindow(0).save(shots + QStringLiteral("/meters_run_screen.png"));
            // The two other faces, with the window enlarged to the medium backgrounds.
            analog->setCurrentMeterType(CMetersView::Bar);
            digital->setCurrentMeterType(CMetersView::Color);
            analog->setGeometry(0, 0, 460, 560);
            digital->setGeometry(460, 0, 460, 560);
            QTest::qWait(300);
            window->grab().save(shots + QStringLiteral("/meters_bar_colour.png"));
        }
    }
};

KORVANTA_TEST_MAIN(TestMetersEndToEndRun)
#include "tst_meters_e2e_run.moc"

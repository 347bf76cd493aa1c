// The meters window: its measurement list from the setup, following the last run's branch at
// the chosen position, a live run through the hub, the face buttons and two windows side by
// side.
#include "support/MeterRig.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/Globals.h"
#include "table/MeterFaces.h"
#include "table/MetersWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include "common/TestMain.h"

#include <atomic>
#include <thread>

namespace {
// The first catalogue sensor that gives data branches and whose first measurement has a range.
int PlainSensor(const CSensorInfo* catalogue)
{
    for (int index = 1; index < CSensorInfo::s_NumOfSensors; ++index) {
        const CSensorParametersInfo* s = catalogue->GetSensorInfo(index);
        if (s && !s->m_HiddenSensor && s->m_NumOfMeasurements >= 2 && !CSensorInfo::IsISEIndex(index)
            && s->m_Measurements[0].m_Max - s->m_Measurements[0].m_Min >= 2)
            return index;
    }
    return -1;
}

int HiddenSensor(const CSensorInfo* catalogue)
{
    for (int index = 1; index < CSensorInfo::s_NumOfSensors; ++index) {
        const CSensorParametersInfo* s = catalogue->GetSensorInfo(index);
        if (s && s->m_HiddenSensor)
            return index;
    }
    return -1;
}
} // namespace

class TestMetersWindow : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        CMeterRig rig;
        int sensor = -1;
        CMetersWindow* window = nullptr;
        Fixture()
        {
            sensor = PlainSensor(rig.m_pCatalogue);
            rig.addSensor(sensor, {true, true});
        }
        CMetersWindow* open()
        {
            window = new CMetersWindow(&rig, Qt::SubWindow);
            rig.addSubWindow(window);
            window->initWindow();
            return window;
        }
        QComboBox* list() const { return window->findChild<QComboBox*>(QStringLiteral("cb_sensors")); }
    };

private slots:
    void listFromTheSetup()
    {
        Fixture f;
        const int hidden = HiddenSensor(f.rig.m_pCatalogue);
        QVERIFY(hidden > 0);
        f.rig.addSensor(hidden, {true});
        f.rig.addSensor(f.sensor, {false, true});
        f.open();
        const CMeasurementSetup* first = f.rig.m_Setup.m_SelectedSensorList[0]->GetMeasurement(0);
        QCOMPARE(f.list()->count(), 3);
        QCOMPARE(f.list()->itemText(0), first->m_Name + " (" + first->m_Unit + ")");
        QCOMPARE(f.list()->currentIndex(), 0);
    }

    void electrodeInputsShowTheElectrodeName()
    {
        CMeterRig rig;
        CSesnorProperties* ise = rig.addSensor(130, {true});
        ise->GetMeasurement(0)->m_Unit = QStringLiteral("ppm");
        rig.m_Setup.m_ISEId[0] = CSensorInfo::s_FirstISEId;
        rig.addSensor(131, {true});
        rig.m_Setup.m_ISEId[1] = 77; // no such electrode
        const QStringList texts = CMetersWindow::MeasurementTexts(&rig.m_Setup, rig.m_pCatalogue);
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[0], rig.m_pCatalogue->getISEName(CSensorInfo::s_FirstISEId) + " (ppm)");
        QVERIFY(texts[1].startsWith(rig.m_pCatalogue->getISEName(77) + " ("));
    }

    void noRunLeavesTheViewAlone()
    {
        CMeterRig rig;
        CMetersWindow* window = new CMetersWindow(&rig, Qt::SubWindow);
        QCOMPARE(window->findChild<QComboBox*>()->count(), 0);
        window->setBranchOnView(0);
        QCOMPARE(window->view()->followedKey(), -1);
        emit rig.m_Hub.LoggerStartedRun();
        QCOMPARE(window->view()->followedKey(), -1);
        delete window;
    }

    void choosingAnEntryFollowsTheBranchAtItsPosition()
    {
        Fixture f;
        const QList<int> keys = f.rig.addRun({f.sensor, f.sensor});
        f.rig.m_Data.GetDataBranch(keys[1])->AddSample(0, 3.0);
        f.open();
        f.list()->setCurrentIndex(1);
        QCOMPARE(f.window->view()->followedKey(), keys[1]);
        f.window->setCurrentMeterType(CMetersView::Digital);
        QCOMPARE(f.window->view()->digitalMeter()->value(), 3.0);
        f.window->setBranchOnView(5); // beyond the folder: nothing changes
        QCOMPARE(f.window->view()->followedKey(), keys[1]);
    }

    void aRunThroughTheHubDrivesTheMeter()
    {
        Fixture f;
        f.open();
        f.rig.show();
        const QList<int> keys = f.rig.addRun({f.sensor, f.sensor});
        emit f.rig.m_Hub.LoggerStartedRun();
        QCOMPARE(f.window->view()->followedKey(), keys[0]);
        CDataBranch* branch = f.rig.m_Data.GetDataBranch(keys[0]);
        const CSensorMeasuremntInfo* m = f.rig.m_pCatalogue->GetMeasurementInfo(f.sensor, 0);
        const double lo = std::trunc(m->m_Min);
        const double hi = std::trunc(m->m_Max);
        const double middle = (lo + hi) / 2.0;
        // The logger's thread stores samples and announces them; the window takes the latest.
        std::atomic<bool> done{false};
        std::thread logger([&]() {
            for (int i = 0; i < 200; ++i) {
                branch->AddSample(i * 0.01, i < 199 ? lo : middle);
                f.rig.m_Hub.SignalLoggerNewDataArrived();
            }
            done = true;
        });
        QTRY_VERIFY(done.load());
        logger.join();
        QTRY_COMPARE(f.window->view()->analogMeter()->needleAngle(), 90.0);
        emit f.rig.m_Hub.LoggerExperimentEnd();
        QCOMPARE(f.window->view()->analogMeter()->needleAngle(), 90.0);
    }

    void burstsOfNewDataRepaintOncePerTick()
    {
        Fixture f;
        f.open();
        f.rig.show();
        const QList<int> keys = f.rig.addRun({f.sensor});
        emit f.rig.m_Hub.LoggerStartedRun();
        QVERIFY(QTest::qWaitForWindowExposed(&f.rig));
        QTest::qWait(100);
        struct PaintCounter : QObject
        {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Paint)
                    ++paints;
                return false;
            }
        } counter;
        f.window->view()->installEventFilter(&counter);
        CDataBranch* branch = f.rig.m_Data.GetDataBranch(keys[0]);
        for (int i = 0; i < 100; ++i) {
            branch->AddSample(i, 1.0);
            emit f.rig.m_Hub.LoggerNewDataArrived();
        }
        QCOMPARE(counter.paints, 0); // nothing is drawn inside the announcements
        QTRY_VERIFY(counter.paints >= 1);
        QTest::qWait(CMetersWindow::s_RedrawTickMs * 3);
        QCOMPARE(counter.paints, 1);
    }

    void faceButtonsSwapTheirIcons()
    {
        Fixture f;
        f.open();
        auto* bar = f.window->findChild<QPushButton*>(QStringLiteral("btn_bar"));
        auto* analog = f.window->findChild<QPushButton*>(QStringLiteral("btn_analog"));
        const QImage analogPressed = analog->icon().pixmap(30, 30).toImage();
        bar->click();
        QCOMPARE(f.window->view()->meterType(), CMetersView::Bar);
        QVERIFY(analog->icon().pixmap(30, 30).toImage() != analogPressed);
        QCOMPARE(bar->icon().pixmap(30, 30).toImage(),
                 QIcon(QStringLiteral(":/images/meters/bar_press.png")).pixmap(30, 30).toImage());
        analog->click();
        QCOMPARE(f.window->view()->meterType(), CMetersView::Analog);
        QCOMPARE(analog->icon().pixmap(30, 30).toImage(), analogPressed);
    }

    void twoWindowsFollowTheirOwnChoice()
    {
        Fixture f;
        const QList<int> keys = f.rig.addRun({f.sensor, f.sensor});
        CMetersWindow* first = f.open();
        CMetersWindow* second = f.open();
        f.list()->setCurrentIndex(1);
        second->setCurrentMeterType(CMetersView::Digital);
        QCOMPARE(first->view()->followedKey(), keys[0]);
        QCOMPARE(second->view()->followedKey(), keys[1]);
        QCOMPARE(first->view()->meterType(), CMetersView::Analog);
    }

    // A run recorded °C; the teacher then chooses °F, and °C again, while the logger is idle.
    // The faces follow at once, the dial drawn over the chosen unit's range (entry 14: -25 to
    // 125 °C, -13 to 257 °F), with the last run's reading only where it is of that unit.
    void idleMeterShowsTheChosenUnit()
    {
        CMeterRig rig;
        CSesnorProperties* sensor = rig.addSensor(14, {true, false});
        const int key = rig.addRun({14}).first();
        rig.m_Data.GetDataBranch(key)->AddSample(0, 20.0);
        auto* window = new CMetersWindow(&rig, Qt::SubWindow);
        rig.addSubWindow(window);
        window->resize(500, 500);
        CMetersView* view = window->view();
        for (bool fahrenheit : {true, false}) {
            const double lo = fahrenheit ? -13.0 : -25.0;
            const double hi = fahrenheit ? 257.0 : 125.0;
            sensor->GetMeasurement(0)->m_bActive = !fahrenheit;
            sensor->GetMeasurement(1)->m_bActive = fahrenheit;
            emit rig.m_Hub.sensorListHasChanged();
            QCOMPARE(view->digitalMeter()->unit(), QString(fahrenheit ? "°F" : "°C"));
            QCOMPARE(view->followedKey(), fahrenheit ? -1 : key);
            QVERIFY(!fahrenheit || !view->digitalMeter()->hasValue());
            QImage drawn(view->size(), QImage::Format_ARGB32);
            view->render(&drawn);
            const MeterScale::AnalogLayout& dial = view->analogMeter()->layout();
            QVERIFY(dial.ok && dial.ticks.first() >= lo && dial.ticks.first() < lo + dial.step);
            QVERIFY(dial.ticks.last() <= hi && dial.ticks.last() > hi - dial.step);
            QCOMPARE(view->barMeter()->maximum(), hi);
            QCOMPARE(view->analogMeter()->needleAngle(), fahrenheit ? 0.0 : (20.0 - lo) / (hi - lo) * 180.0);
        }
        // A run that records °F is drawn on the °F dial, not on the sensor's first (°C) one.
        const int fahrenheitKey = rig.addRun({14, 14}).last();
        view->setCurrentBranch(rig.m_Data.GetDataBranch(fahrenheitKey));
        QCOMPARE(view->analogMeter()->maximum(), 257.0);
    }

    void sensorListChangeFollowsTheFirstBranch()
    {
        Fixture f;
        const QList<int> keys = f.rig.addRun({f.sensor, f.sensor});
        f.open();
        f.list()->setCurrentIndex(1);
        emit f.rig.m_Hub.sensorListHasChanged();
        QCOMPARE(f.list()->currentIndex(), 0);
        QCOMPARE(f.window->view()->followedKey(), keys[0]);
    }
};

KORVANTA_TEST_MAIN(TestMetersWindow)
#include "tst_meters_window.moc"

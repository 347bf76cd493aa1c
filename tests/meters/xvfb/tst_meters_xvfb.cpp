// The meters, calculator and notes windows on a real X server: the screen, read back from the
// server, shows the meter's needle, the calculator's keys and the notes' yellow page.
#include "support/MeterRig.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/Globals.h"
#include "table/Calculator.h"
#include "table/MeterFaces.h"
#include "table/MetersWindow.h"
#include "table/NotesWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QScreen>
#include "common/AwaitScreen.h"
#include "common/TestMain.h"

namespace {
// How many pixels of a region are near a colour.
int CountNear(const QImage& image, const QRect& region, const QColor& colour)
{
    int n = 0;
    const QRect r = region.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 12 && std::abs(c.green() - colour.green()) < 12
                && std::abs(c.blue() - colour.blue()) < 12)
                ++n;
        }
    return n;
}

// How many different colours a region holds (a blank region holds one or two).
int Colours(const QImage& image, const QRect& region)
{
    QSet<QRgb> seen;
    const QRect r = region.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); y += 2)
        for (int x = r.left(); x <= r.right(); x += 2)
            seen.insert(image.pixel(x, y));
    return seen.size();
}
} // namespace

class TestMetersXvfb : public QObject
{
    Q_OBJECT
private slots:
    void windowsDrawOnTheServer()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        CMeterRig rig;
        rig.resize(1300, 800);
        rig.addSensor(SensorIndexOnlineFunction, {true});
        auto* meters = new CMetersWindow(&rig, Qt::SubWindow);
        rig.addSubWindow(meters);
        meters->initWindow();
        auto* calculator = new CCalculator(&rig, Qt::WindowFlags());
        rig.addSubWindow(calculator);
        calculator->initWindow();
        auto* notes = new cnoteswindow(&rig, Qt::WindowFlags());
        rig.addSubWindow(notes);
        notes->initWindow();
        meters->setGeometry(0, 0, 460, 560);
        calculator->setGeometry(460, 0, 600, 340);
        notes->setGeometry(460, 340, 420, 400);
        rig.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig));

        // A run of one function series; its reading of 7.5 puts the needle at 135 degrees.
        const QList<int> keys = rig.addRun({SensorIndexOnlineFunction});
        emit rig.m_Hub.LoggerStartedRun();
        rig.m_Data.GetDataBranch(keys[0])->AddSample(0, 7.5);
        emit rig.m_Hub.LoggerNewDataArrived();
        QTRY_COMPARE(meters->view()->analogMeter()->needleAngle(), 135.0);

        const QPoint origin = rig.mapToGlobal(QPoint(0, 0));
        auto onScreen = [&](QWidget* w) { return QRect(w->mapTo(&rig, QPoint(0, 0)) + origin, w->size()); };
        QString problem;
        const QImage screen = KorvantaTest::AwaitScreen(
            [&](const QImage& shot) -> QString {
                const int needle = CountNear(shot, onScreen(meters->view()), CAnalogMeter::s_NeedleColor);
                const int calculatorColours = Colours(shot, onScreen(calculator));
                const int page = CountNear(shot, onScreen(notes), QColor(0xFF, 0xFE, 0x9C));
                if (needle <= 50 || calculatorColours <= 8 || page <= 1000)
                    return QStringLiteral("needle %1, calculator colours %2, notes page %3").arg(needle).arg(calculatorColours).arg(page);
                return QString();
            },
            &problem);
        QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
        screen.save(QStringLiteral(SCREENSHOT_DIR "/meters_calculator_notes.png"));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

KORVANTA_TEST_MAIN(TestMetersXvfb)
#include "tst_meters_xvfb.moc"

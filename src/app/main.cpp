#include "windowbase/Fonts.h"
#include "windowbase/KorvantaStyle.h"
#include "windowbase/PngReader.h"
#include "app/shell/MainWindow.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Logic/LogicManager.h"
#include "platform/Processors.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QSharedMemory>
#include <QTextStream>
#include <QThreadPool>
#include <QTranslator>

#include <memory>

namespace {

// Says what the loaded catalogue holds, once the main window has filled it.
void reportCatalogue(const CSensorInfo& info, QTextStream& out)
{
    int hidden = 0, measurements = 0, active = 0;
    for (const CSensorParametersInfo& sensor : info.m_Sensors) {
        if (sensor.m_HiddenSensor) ++hidden;
        for (int j = 0; j < sensor.m_NumOfMeasurements; ++j) {
            const CSensorMeasuremntInfo* m = sensor.GetMeasurement(j);
            if (!m) break;
            ++measurements;
            if (m->m_DefaultActive) ++active;
        }
    }
    int electrodes = 0;
    for (const ISEInfo& ise : info.m_ISEInfo)
        if (!ise.m_Name.isEmpty()) ++electrodes;
    out << "Sensor catalogue: " << CSensorInfo::s_NumOfSensors << " sensor types ("
        << CSensorInfo::s_NumOfSensors - hidden << " listed, " << hidden << " hidden), " << measurements
        << " measurements (" << active << " active by default), " << electrodes
        << " ion-selective electrodes\n";
}

// Reports the time from the start of main to the first time the main window is on screen.
class CFirstShowProbe : public QObject
{
public:
    CFirstShowProbe(QElapsedTimer* clock, QTextStream* out) : m_pClock(clock), m_pOut(out) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The first paint of the window is the moment the user sees it.
        if (!m_bDone && event->type() == QEvent::Paint) {
            m_bDone = true;
            *m_pOut << "Main window shown after " << m_pClock->elapsed() << " ms\n";
            m_pOut->flush();
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    QElapsedTimer* m_pClock;
    QTextStream* m_pOut;
    bool m_bDone = false;
};

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer clock;
    clock.start();
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    KorvantaImages::InstallPngReader();
    QApplication app(argc, argv);
    // Qt sizes its own pool (image scaling, our background listings) by the machine's count.
    QThreadPool::globalInstance()->setMaxThreadCount(KorvantaPlatform::UsableProcessors());
    QApplication::setStyle(new CKorvantaStyle);
    KorvantaFonts::Install();
    QTextStream out(stdout);

    // A second running copy is not refused; the segment only marks that one runs.
    QSharedMemory shared;
    shared.setKey(QStringLiteral("Brondel_KV4"));
    shared.attach(QSharedMemory::ReadWrite);
    const QString appDir = QCoreApplication::applicationDirPath() + QStringLiteral("//");

    std::unique_ptr<MainWindow> window(new MainWindow(nullptr));
    window->languages()->LoadSelectedLanguage();
    const QString code = window->languages()->SelectedCode();
    std::unique_ptr<QTranslator> qtTranslator(new QTranslator);
    qtTranslator->load(appDir + QStringLiteral("qt_") + code);
    QApplication::installTranslator(qtTranslator.get());
    std::unique_ptr<QTranslator> appTranslator(new QTranslator);
    appTranslator->load(appDir + QStringLiteral("korvanta_") + code);
    QApplication::installTranslator(appTranslator.get());

    QApplication::setApplicationVersion(QStringLiteral("4.00.000"));
    QApplication::setOrganizationName(QStringLiteral("Brondel"));
    QApplication::setOrganizationDomain(QStringLiteral("brondel.example"));
    for (Qt::UIEffect effect : {Qt::UI_AnimateMenu, Qt::UI_FadeMenu, Qt::UI_AnimateCombo, Qt::UI_AnimateTooltip,
                                Qt::UI_FadeTooltip})
        QApplication::setEffectEnabled(effect, true);
    // Application sleep is a macOS setting; Linux has nothing to switch off.

    window->setWindowTitle(window->applicationTitle());
    window->init(false);
    out << "Korvanta " << QApplication::applicationVersion() << "\n";
    if (window->logicManager())
        reportCatalogue(window->logicManager()->m_SensorInfo, out);
    out.flush();

    CFirstShowProbe probe(&clock, &out);
    window->installEventFilter(&probe);
    window->show();
    const int rc = app.exec();

    appTranslator.reset();
    qtTranslator.reset();
    window.reset();
    return rc;
}

// The full setup window on a real X server with a detected logger: it draws its rows.
#include "support/SetupRig.h"

#include "setup/FullSetupWindow.h"

#include <QDir>
#include <QScreen>
#include "common/AwaitScreen.h"
#include "common/TestMain.h"

class TestSetupFullXvfb : public QObject
{
    Q_OBJECT
private slots:
    void fullSetupDraws()
    {
        CFakeAreaSetupHost host;
        host.resize(1300, 720);
        host.plugLogger(70.0);
        host.m_pController->initWindow();
        host.m_pController->loggerConnected(true);
        host.setStatus({15, 8, 1});
        host.m_pController->displaySetupWindow(1);
        host.m_pController->updateSetupWindow(1);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        // Drawn once the rows' active cells show in their own colour.
        QString problem;
        const QImage shot = KorvantaTest::AwaitScreen(
            [](const QImage& screen) -> QString {
                QSet<QRgb> colours;
                for (int y = 0; y < screen.height(); y += 5)
                    for (int x = 0; x < screen.width(); x += 5)
                        colours.insert(screen.pixel(x, y));
                if (colours.size() <= 8 || !colours.contains(qRgb(179, 203, 227)))
                    return QStringLiteral("%1 colours, active cells %2").arg(colours.size())
                        .arg(colours.contains(qRgb(179, 203, 227)) ? "shown" : "missing");
                return QString();
            },
            &problem, host.winId());
        QVERIFY(!shot.isNull());
        QDir().mkpath(SCREENSHOT_DIR);
        shot.save(QString(SCREENSHOT_DIR) + "/full_setup.png");
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

KORVANTA_TEST_MAIN(TestSetupFullXvfb)
#include "tst_setup_full_xvfb.moc"

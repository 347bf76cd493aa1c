// The full setup window on a real X server with a detected logger: it draws its rows.
#include "support/SetupRig.h"

#include "setup/FullSetupWindow.h"

#include <QDir>
#include <QScreen>
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
        QTest::qWait(200);
        const QImage shot = host.screen()->grabWindow(host.winId()).toImage();
        QVERIFY(!shot.isNull());
        QDir().mkpath(SCREENSHOT_DIR);
        shot.save(QString(SCREENSHOT_DIR) + "/full_setup.png");
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 5)
            for (int x = 0; x < shot.width(); x += 5)
                colours.insert(shot.pixel(x, y));
        QVERIFY(colours.size() > 8);
        // The rows' active cells are drawn in their own colour.
        QVERIFY(colours.contains(qRgb(179, 203, 227)));
    }
};

KORVANTA_TEST_MAIN(TestSetupFullXvfb)
#include "tst_setup_full_xvfb.moc"

// Keep-awake on Linux: with a screen saver on the session bus it is told of user activity;
// without one the call falls back quietly. A private bus daemon stands in for the desktop's.
#include "platform/KeepAwake.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>
#include "common/TestMain.h"

class CFakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    int m_Calls = 0;
public slots:
    void SimulateUserActivity() { ++m_Calls; }
};

class TestKeepAwake : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void fallsBackWithoutScreenSaver();
    void tellsTheScreenSaver();

private:
    QProcess m_Daemon;
};

void TestKeepAwake::initTestCase()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        QSKIP("no dbus-daemon to stand in for the desktop's bus");
    m_Daemon.start(daemon, {"--session", "--nofork", "--print-address=1"});
    QVERIFY(m_Daemon.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(m_Daemon.canReadLine(), 5000);
    const QByteArray address = m_Daemon.readLine().trimmed();
    QVERIFY(!address.isEmpty());
    // The session bus is looked up at its first use, which is after this.
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    QVERIFY(QDBusConnection::sessionBus().isConnected());
}

void TestKeepAwake::cleanupTestCase()
{
    if (m_Daemon.state() != QProcess::NotRunning) {
        m_Daemon.terminate();
        m_Daemon.waitForFinished(3000);
    }
}

void TestKeepAwake::fallsBackWithoutScreenSaver()
{
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    CLinuxKeepAwake keepAwake;
    keepAwake.UpdateSystemActivity();
    keepAwake.UpdateSystemActivity();
    QCOMPARE(keepAwake.calls(), 2);
    QCOMPARE(keepAwake.lastRoute(), CLinuxKeepAwake::RouteNone);
}

void TestKeepAwake::tellsTheScreenSaver()
{
    CFakeScreenSaver saver;
    QDBusConnection bus = QDBusConnection::sessionBus();
    QVERIFY(bus.registerObject("/ScreenSaver", &saver, QDBusConnection::ExportAllSlots));
    QVERIFY(bus.registerService("org.freedesktop.ScreenSaver"));
    CLinuxKeepAwake keepAwake;
    keepAwake.UpdateSystemActivity();
    QCOMPARE(keepAwake.lastRoute(), CLinuxKeepAwake::RouteScreenSaver);
    QTRY_COMPARE(saver.m_Calls, 1);
    keepAwake.UpdateSystemActivity();
    QTRY_COMPARE(saver.m_Calls, 2);
    bus.unregisterService("org.freedesktop.ScreenSaver");
    bus.unregisterObject("/ScreenSaver");
    keepAwake.UpdateSystemActivity();
    QVERIFY(keepAwake.lastRoute() != CLinuxKeepAwake::RouteScreenSaver);
    QCOMPARE(saver.m_Calls, 2);
}

KORVANTA_TEST_GUILESS_MAIN(TestKeepAwake)
#include "tst_shell_keepawake.moc"

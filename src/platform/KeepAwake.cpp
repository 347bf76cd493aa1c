#include "platform/KeepAwake.h"

#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>

#ifdef KORVANTA_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#endif

namespace {
Q_LOGGING_CATEGORY(lcKeepAwake, "korvanta.platform.keepawake", QtWarningMsg)
}

bool CLinuxKeepAwake::tellScreenSaver()
{
#ifdef KORVANTA_HAVE_DBUS
    const QString service = QStringLiteral("org.freedesktop.ScreenSaver");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(service).value())
        return false;
    // Sent without waiting for an answer: a busy desktop must not stall the interface.
    const QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/ScreenSaver"), service,
                                                             QStringLiteral("SimulateUserActivity"));
    return bus.send(call);
#else
    return false;
#endif
}

void CLinuxKeepAwake::UpdateSystemActivity()
{
    ++m_Calls;
    m_LastRoute = RouteNone;
    if (tellScreenSaver()) {
        m_LastRoute = RouteScreenSaver;
        return;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qCDebug(lcKeepAwake) << "UpdateSystemActivity: no desktop session";
        return;
    }
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-screensaver"));
    if (tool.isEmpty()) {
        qCDebug(lcKeepAwake) << "UpdateSystemActivity: no screen saver to tell";
        return;
    }
    if (QProcess::startDetached(tool, {QStringLiteral("reset")}))
        m_LastRoute = RouteXdgTool;
}

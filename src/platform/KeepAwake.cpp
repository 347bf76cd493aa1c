#include "platform/KeepAwake.h"

#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>

namespace {
Q_LOGGING_CATEGORY(lcKeepAwake, "korvanta.platform.keepawake", QtWarningMsg)
}

void CLinuxKeepAwake::UpdateSystemActivity()
{
    ++m_Calls;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qCDebug(lcKeepAwake) << "UpdateSystemActivity: no desktop session";
        return;
    }
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-screensaver"));
    if (tool.isEmpty()) {
        qCDebug(lcKeepAwake) << "UpdateSystemActivity: no xdg-screensaver";
        return;
    }
    QProcess::startDetached(tool, {QStringLiteral("reset")});
}

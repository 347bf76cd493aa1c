#include "BenchProcess.h"

#include <QFile>
#include <QGuiApplication>
#include <QList>

#include <unistd.h>

void EnsureOffscreenGuiApplication()
{
    static int argc = 1;
    static char name[] = "korvanta-bench";
    static char* argv[] = {name, nullptr};
    static bool offscreen = qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    (void)offscreen;
}

long long ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

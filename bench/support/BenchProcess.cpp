#include "BenchProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QList>
#include <QProcess>

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

QString BenchScript(const QString& name)
{
    const QFileInfo program(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
    const QString path = program.dir().filePath(name);
    return QFileInfo::exists(path) ? path : QString();
}

bool RunBenchScript(const QString& name, const QByteArray& input, QByteArray& output, QString& error,
                    const QString& interpreter, const QStringList& arguments)
{
    const QString path = BenchScript(name);
    if (path.isEmpty()) {
        error = QStringLiteral("%1 is not beside the benchmark program").arg(name);
        return false;
    }
    QProcess script;
    script.start(interpreter, QStringList{path} + arguments);
    if (!script.waitForStarted(30000)) {
        error = QStringLiteral("%1 could not be started for %2").arg(interpreter, path);
        return false;
    }
    script.write(input);
    script.closeWriteChannel();
    if (!script.waitForFinished(600000) || script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0) {
        error = QStringLiteral("%1 failed: %2").arg(path, QString::fromUtf8(script.readAllStandardError().trimmed()));
        return false;
    }
    output = script.readAllStandardOutput();
    return true;
}

#include "BenchProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QList>
#include <QProcess>

#include <malloc.h>
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

void MapLargeBlocksAfresh()
{
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
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

QString BenchPython()
{
    static const QString s_Python = QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                                         : QStringLiteral("python3");
    return s_Python;
}

QString BenchPythonDescribed()
{
    static QString s_Described;
    if (s_Described.isEmpty()) {
        QProcess python;
        python.start(BenchPython(), {QStringLiteral("-c"),
                                     QStringLiteral("import sys; print(sys.executable, sys.version.split()[0])")});
        s_Described = python.waitForFinished(30000) && python.exitCode() == 0
                          ? QStringLiteral("python ") + QString::fromUtf8(python.readAllStandardOutput().trimmed())
                          : QStringLiteral("python %1 (not started)").arg(BenchPython());
    }
    return s_Described;
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

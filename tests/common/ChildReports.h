#pragma once
// A program a test runs as a child process. In the sanitizer builds the child is built with the
// sanitizer too, and what it finds goes to the child's error output and exit, not the test's:
// a test lets its child end on its own (a killed child never reports what it finds at its
// end), reads the child's error output and fails on a report there as on one of its own.
#include <QByteArray>
#include <QProcess>
#include <QString>

namespace KorvantaTest {

// The sanitizer's exit code in the runs (scripts/tsan.sh and the probe tests set it).
constexpr int SanitizerExitCode = 66;

// What the sanitizers said in a child's error output, and an exit that only a sanitizer makes
// (a crash, its exit code); empty when there is none.
inline QString SanitizerReports(const QProcess& child, const QByteArray& errorOutput)
{
    static const char* const marks[] = {"WARNING: ThreadSanitizer:", "ERROR: AddressSanitizer:",
                                        "ERROR: LeakSanitizer:", "runtime error:"};
    QString found;
    for (const QByteArray& line : errorOutput.split('\n'))
        for (const char* mark : marks)
            if (line.contains(mark)) {
                found += QString::fromLocal8Bit(line.trimmed()) + QLatin1Char('\n');
                break;
            }
    if (child.state() == QProcess::NotRunning && child.exitStatus() == QProcess::CrashExit)
        found += QStringLiteral("the child crashed\n");
    else if (child.state() == QProcess::NotRunning && child.exitCode() == SanitizerExitCode)
        found += QStringLiteral("the child ended with the sanitizer's exit code\n");
    return found;
}

} // namespace KorvantaTest

#pragma once
// What several benchmarks need of their own process.

// Creates, once, the GUI application the sensor catalogue needs for its icons, on the
// offscreen platform (no display is used).
void EnsureOffscreenGuiApplication();
// Resident memory of this process in bytes; -1 when it cannot be read.
long long ResidentBytes();

#include <QByteArray>
#include <QString>
#include <QStringList>

// The path of a script the build puts beside the benchmark programs (NAME in the build's bench
// folder), found from the program's own place, so that any working directory will do; empty
// when it is not there.
QString BenchScript(const QString& name);
// Runs the script with the interpreter, input on its standard input and arguments after its
// path; true with its standard output in output, or false with what went wrong (no script, no
// interpreter, a failure and its messages) in error.
bool RunBenchScript(const QString& name, const QByteArray& input, QByteArray& output, QString& error,
                    const QString& interpreter = QStringLiteral("python3"), const QStringList& arguments = {});

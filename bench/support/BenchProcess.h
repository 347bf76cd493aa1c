#pragma once
// What several benchmarks need of their own process.

// Creates, once, the GUI application the sensor catalogue needs for its icons, on the
// offscreen platform (no display is used).
void EnsureOffscreenGuiApplication();
// Blocks of a megabyte and more are mapped afresh and handed back when freed, for the
// program's blocks and the partners' alike. Left to itself, the C library raises that threshold
// at the first such block freed and hands freed blocks out again, already touched, in an order
// that would favour one side of a comparison over the other. Called first thing in main.
void MapLargeBlocksAfresh();
// Resident memory of this process in bytes; -1 when it cannot be read.
long long ResidentBytes();

#include <QByteArray>
#include <QString>
#include <QStringList>

// The path of a script the build puts beside the benchmark programs (NAME in the build's bench
// folder), found from the program's own place, so that any working directory will do; empty
// when it is not there.
QString BenchScript(const QString& name);
// The one Python every comparison runs: Debian's own (/usr/bin/python3, where python3-numpy
// puts numpy), else the first python3 on the path. Described says which, and its version.
QString BenchPython();
QString BenchPythonDescribed();
// Runs the script with the interpreter, input on its standard input and arguments after its
// path; true with its standard output in output, or false with what went wrong (no script, no
// interpreter, a failure and its messages) in error.
bool RunBenchScript(const QString& name, const QByteArray& input, QByteArray& output, QString& error,
                    const QString& interpreter = BenchPython(), const QStringList& arguments = {});

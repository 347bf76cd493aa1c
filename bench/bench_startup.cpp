// Start-up: the time from exec to the first painted window of korvanta against a bare
// QMainWindow, both started in turn (A B A B ...) so that a drift of the machine's speed hits
// both alike. Each pair and its ratio is printed, then the medians. Both processes are timed
// from outside by a generic Qt plugin (startup/FirstPaintPlugin.cpp) and end at their first
// picture. Runs on the platform QT_QPA_PLATFORM names (offscreen under scripts/bench.sh).
//   bench_startup [--runs=N]   (other arguments, such as Google Benchmark's, are ignored)
#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QVector>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

struct Start
{
    double ms = -1.0;
    int libraries = -1;
};

long long monotonicNs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

Start startOnce(const QString& program, const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(STARTUP_PLUGIN_DIR));
    env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("korvanta_firstpaint"));
    // A fresh home: no settings or workspace of the user's are read or written.
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    env.insert(QStringLiteral("KORVANTA_STARTUP_T0_NS"), QString::number(monotonicNs()));
    process.setProcessEnvironment(env);
    process.start(program, QStringList());
    Start result;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(1000);
        return result;
    }
    const QString out = QString::fromLocal8Bit(process.readAll());
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("firstpaint_ms=([0-9.]+) libraries=([0-9]+)")).match(out);
    if (m.hasMatch()) {
        result.ms = m.captured(1).toDouble();
        result.libraries = m.captured(2).toInt();
    }
    return result;
}

double median(QVector<double> v)
{
    if (v.isEmpty())
        return 0.0;
    std::sort(v.begin(), v.end());
    const int n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int runs = 10;
    for (const QString& a : app.arguments().mid(1))
        if (a.startsWith(QStringLiteral("--runs=")))
            runs = qBound(1, a.mid(7).toInt(), 1000);
    QTemporaryDir home;
    const QString korvanta = QStringLiteral(STARTUP_KORVANTA);
    const QString bare = QStringLiteral(STARTUP_BARE_WINDOW);
    // One unmeasured start of each fills the file cache.
    startOnce(korvanta, home.path());
    startOnce(bare, home.path());
    QVector<double> a, b, ratio;
    std::printf("%-6s %14s %14s %8s %12s\n", "pair", "korvanta ms", "bare ms", "ratio", "libraries");
    for (int i = 0; i < runs; ++i) {
        const Start k = startOnce(korvanta, home.path());
        const Start q = startOnce(bare, home.path());
        if (k.ms < 0 || q.ms <= 0) {
            std::printf("%-6d start failed\n", i + 1);
            continue;
        }
        a << k.ms;
        b << q.ms;
        ratio << k.ms / q.ms;
        std::printf("%-6d %14.1f %14.1f %8.2f %6d/%d\n", i + 1, k.ms, q.ms, k.ms / q.ms, k.libraries, q.libraries);
    }
    std::printf("median %14.1f %14.1f %8.2f\n", median(a), median(b), median(ratio));
    return a.isEmpty() ? 1 : 0;
}

// Loaded into a starting Qt program, watches for the first paint of a top-level window, then
// prints the time since the launcher's clock reading (KORVANTA_STARTUP_T0_NS, CLOCK_MONOTONIC
// nanoseconds taken just before the exec) and the number of shared libraries mapped, and ends
// the process at once: what comes after the first picture is not start-up.
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QGenericPlugin>
#include <QSet>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

long long monotonicNs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

int mappedLibraries()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return -1;
    QSet<QByteArray> files;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const int slash = line.indexOf('/');
        if (slash >= 0 && line.contains(".so"))
            files.insert(line.mid(slash));
    }
    return files.size();
}

class CFirstPaintWatch : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = event->type() == QEvent::Paint ? qobject_cast<QWidget*>(watched) : nullptr;
        if (!m_bSeen && widget && widget->isWindow()) {
            m_bSeen = true;
            // Reported once this paint and its flush to the screen are done.
            QTimer::singleShot(0, [] { report(); });
        }
        return false;
    }

private:
    static void report()
    {
        const long long now = monotonicNs();
        const long long t0 = qEnvironmentVariable("KORVANTA_STARTUP_T0_NS").toLongLong();
        std::printf("firstpaint_ms=%.3f libraries=%d\n", t0 > 0 ? (now - t0) / 1e6 : -1.0, mappedLibraries());
        std::fflush(stdout);
        _exit(0);
    }
    bool m_bSeen = false;
};

class CFirstPaintPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "FirstPaintPlugin.json")
public:
    QObject* create(const QString&, const QString&) override
    {
        auto* watch = new CFirstPaintWatch;
        QCoreApplication::instance()->installEventFilter(watch);
        return watch;
    }
};

} // namespace

#include "FirstPaintPlugin.moc"

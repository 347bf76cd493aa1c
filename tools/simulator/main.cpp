// korvanta-sim: runs one simulated logger on a pseudo-terminal.
//
// The first line on standard output is the device path to open; the second is a
// KORVANTA_EXTRA_PORTS entry that points the application at it, through a symbolic link that
// follows the device when it restarts as a new device (the Pelorin logger does so on its way
// into its boot-loader and out of it): the application finds it again under the same name.
// Both lines are printed again whenever the device comes back on a new path. Host frames are
// logged to standard error. --sensors chooses the sensors from the catalogue; --signal,
// --amplitude and --period what they read (a slow sine with a little noise by default).
// --gates 1|2 puts photogates on the first channels instead, and --lesson with its knobs
// chooses what blocks them. --stored-run gives the Pelorin logger a run it recorded on its
// own, for the application's Download. While it runs, lines on standard input change the knobs:
//   split on|off [gapMs], delay MS, drop N, dup N, garbage HEX [N], silent on|off,
//   unplug, replug, inject HEX, quit
// and "reset" restarts the device: it presses the power button of a simulated Pelorin logger
// until its LED turns red (it leaves its boot-loader and restarts), and cycles the power of a
// simulated Dravlet interface.
#include "simulator/CatalogueSensors.h"
#include "simulator/DravletDevice.h"
#include "simulator/LoggerSimulator.h"
#include "simulator/ModelFactory.h"
#include "simulator/PelorinDevice.h"
#include "simulator/PhotogateModels.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

std::atomic<bool> s_quit{false};
// The longest run --stored-run holds (a thousand download packets).
constexpr int kMaxStoredSamples = 100000;

void onSignal(int)
{
    s_quit = true;
}

QString hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

void printPort(const kvsim::CLoggerSimulator& sim)
{
    const QString path = sim.portName();
    const QString link = sim.linkPath();
    const kvsim::IDeviceModel* model = sim.model();
    std::printf("%s\n", qPrintable(path));
    std::printf("KORVANTA_EXTRA_PORTS=%s:%04x:%04x\n", qPrintable(link.isEmpty() ? path : link),
                unsigned(model->vendorId()), unsigned(model->productId()));
    std::fflush(stdout);
}

// The stable name of the device, in the temporary folder; removed when the simulator stops.
void linkStablePath(kvsim::CLoggerSimulator& sim)
{
    const QString link = QDir(QDir::tempPath())
                             .filePath(QStringLiteral("korvanta-sim-%1-%2")
                                           .arg(sim.model()->name())
                                           .arg(QCoreApplication::applicationPid()));
    if (!sim.setLinkPath(link))
        std::fprintf(stderr, "no stable link: %s\n", qPrintable(sim.errorString()));
}

// A device that restarted by itself is back on a new path: the main loop says where, as the
// restart is heard on the simulator's thread.
void watchRestarts(kvsim::CLoggerSimulator& sim, std::atomic<bool>* portChanged)
{
    sim.setRestartListener([portChanged](const QString& before, const QString& now) {
        if (now.isEmpty())
            std::fprintf(stderr, "device left %s (restarting)\n", qPrintable(before));
        else
            portChanged->store(true);
    });
}

void resetDevice(kvsim::CLoggerSimulator& sim)
{
    if (auto* pelorin = dynamic_cast<kvsim::CPelorinDevice*>(sim.model()))
        sim.post([pelorin] { pelorin->restartFirmware(); });
    else if (auto* dravlet = dynamic_cast<kvsim::CDravletDeviceModel*>(sim.model()))
        sim.post([dravlet] { dravlet->restart(); });
    else
        std::fprintf(stderr, "reset is a command of the pelorin and dravlet models\n");
}

bool isOn(const QString& word)
{
    return word == QLatin1String("on") || word == QLatin1String("1") || word == QLatin1String("true");
}

// Returns false when the program should end.
bool runCommand(kvsim::CLoggerSimulator& sim, const QString& line)
{
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) return true;
    const QString cmd = words.at(0).toLower();
    const QString arg1 = words.value(1);
    const QString arg2 = words.value(2);
    if (cmd == QLatin1String("quit") || cmd == QLatin1String("exit")) return false;
    if (cmd == QLatin1String("split")) {
        sim.setSplitWrites(isOn(arg1), arg2.toInt());
    } else if (cmd == QLatin1String("delay")) {
        sim.setReplyDelay(arg1.toInt());
    } else if (cmd == QLatin1String("drop")) {
        sim.dropReplies(arg1.toInt());
    } else if (cmd == QLatin1String("dup")) {
        sim.duplicateReplies(arg1.toInt());
    } else if (cmd == QLatin1String("garbage")) {
        sim.setGarbagePrefix(QByteArray::fromHex(arg1.toLatin1()), arg2.isEmpty() ? 1 : arg2.toInt());
    } else if (cmd == QLatin1String("silent")) {
        sim.setSilent(isOn(arg1));
    } else if (cmd == QLatin1String("unplug")) {
        sim.unplug();
    } else if (cmd == QLatin1String("replug")) {
        if (sim.replug()) printPort(sim);
        else std::fprintf(stderr, "replug failed: %s\n", qPrintable(sim.errorString()));
    } else if (cmd == QLatin1String("reset")) {
        resetDevice(sim);
    } else if (cmd == QLatin1String("inject")) {
        sim.inject(QByteArray::fromHex(words.mid(1).join(QString()).toLatin1()));
    } else {
        std::fprintf(stderr, "unknown command: %s\n", qPrintable(cmd));
    }
    return true;
}

// Reads whole lines from standard input without blocking; false at end of input.
bool pollStdin(kvsim::CLoggerSimulator& sim, std::string& pending, bool& stdinOpen)
{
    if (!stdinOpen) return true;
    struct pollfd pfd = {STDIN_FILENO, POLLIN, 0};
    if (::poll(&pfd, 1, 0) <= 0) return true;
    char buffer[256];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        stdinOpen = false; // detached from a terminal: keep running until a signal
        return true;
    }
    pending.append(buffer, size_t(n));
    for (size_t eol = pending.find('\n'); eol != std::string::npos; eol = pending.find('\n')) {
        const QString line = QString::fromStdString(pending.substr(0, eol));
        pending.erase(0, eol + 1);
        if (!runCommand(sim, line)) return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvanta-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated Korvanta logger on a pseudo-terminal."));
    parser.addHelpOption();
    const QCommandLineOption modelOpt(QStringLiteral("model"),
                                      QStringLiteral("Device model (%1).").arg(kvsim::deviceModelNames().join(QStringLiteral(", "))),
                                      QStringLiteral("name"), QStringLiteral("echo"));
    const QCommandLineOption splitOpt(QStringLiteral("split"), QStringLiteral("Write replies one byte at a time."));
    const QCommandLineOption delayOpt(QStringLiteral("delay"), QStringLiteral("Delay every reply by ms."), QStringLiteral("ms"));
    const QCommandLineOption garbageOpt(QStringLiteral("garbage"), QStringLiteral("Hex bytes written before every reply."),
                                        QStringLiteral("hex"));
    const QCommandLineOption silentOpt(QStringLiteral("silent"), QStringLiteral("Read host frames but never answer."));
    const QCommandLineOption quietOpt(QStringLiteral("quiet"), QStringLiteral("Do not log host frames."));
    const kvsim::SignalSettings defaults;
    const QCommandLineOption signalOpt(
        QStringLiteral("signal"),
        QStringLiteral("What the sensors read: %1 (default sine, with a little noise; counter: raw counts that climb by one a sample).")
            .arg(kvsim::SignalShapeNames().join(QStringLiteral(", "))),
        QStringLiteral("shape"));
    const QCommandLineOption amplitudeOpt(
        QStringLiteral("amplitude"),
        QStringLiteral("Share of each sensor's measurement range in the catalogue that the signal sweeps about "
                       "its middle, 0 to 1 (default %1: half the range).")
            .arg(defaults.amplitude),
        QStringLiteral("share"));
    const QCommandLineOption periodOpt(
        QStringLiteral("period"),
        QStringLiteral("Period of the sine, step and ramp in seconds of the run (default %1).").arg(defaults.periodSec),
        QStringLiteral("seconds"));
    const QCommandLineOption countingOpt(
        QStringLiteral("count-first-byte"),
        QStringLiteral("dravlet: the first byte of every data packet counts packets (modulo 256) instead of "
                       "staying constant."));
    const QCommandLineOption sensorsOpt(
        QStringLiteral("sensors"),
        QStringLiteral("Sensors on the logger's channels, first channel first, comma separated: catalogue names (any "
                       "letter case; a name stands for the first type of that name the model reports) or catalogue "
                       "indices (pelorin, dravlet; default Temperature on the pelorin, Voltage on the dravlet). The "
                       "pelorin's Pressure (index 71) can be zeroed and calibrated, as in "
                       "--model pelorin --sensors temperature,pressure."),
        QStringLiteral("names"));
    const QCommandLineOption storedOpt(
        QStringLiteral("stored-run"),
        QStringLiteral("pelorin: the logger holds a run it recorded on its own, that many samples (1 to %1) of its "
                       "sensors at ten a second, for Logger > Download to fetch; without it the logger holds none.")
            .arg(kMaxStoredSamples),
        QStringLiteral("samples"));
    parser.addOptions({modelOpt, sensorsOpt, splitOpt, delayOpt, garbageOpt, silentOpt, quietOpt, signalOpt, amplitudeOpt,
                       periodOpt, countingOpt, storedOpt});
    const kvsim::PhotogateSettings lesson;
    const QCommandLineOption gatesOpt(
        QStringLiteral("gates"),
        QStringLiteral("Photogates on the first 1 or 2 channels, in place of the model's sensors (pelorin, dravlet)."),
        QStringLiteral("1|2"));
    const QCommandLineOption lessonOpt(
        QStringLiteral("lesson"),
        QStringLiteral("What passes the photogates: %1 (default cart). pendulum: the bob blocks the first gate once a "
                       "half swing; cart: a flag passes the gate(s) at a steady speed; accel: an accelerating cart, "
                       "whose flag has two bars (bar, gap, bar, each one width) when there is one gate; collision: a "
                       "cart through the first gate strikes one at rest half-way, which goes on through the second.")
            .arg(kvsim::PhotogateLessonNames().join(QStringLiteral(", "))),
        QStringLiteral("name"));
    const QCommandLineOption speedOpt(QStringLiteral("speed"),
                                      QStringLiteral("Speed of the cart at the first gate, or of the bob, in m/s (default %1).")
                                          .arg(lesson.speed),
                                      QStringLiteral("m/s"));
    const QCommandLineOption widthOpt(QStringLiteral("width"),
                                      QStringLiteral("Width of the flag or the bob in cm (default %1).").arg(lesson.widthCm),
                                      QStringLiteral("cm"));
    const QCommandLineOption distanceOpt(QStringLiteral("distance"),
                                         QStringLiteral("Distance between the two gates in cm (default %1).").arg(lesson.distanceCm),
                                         QStringLiteral("cm"));
    const QCommandLineOption swingOpt(QStringLiteral("swing"),
                                      QStringLiteral("Period of the pendulum in seconds (default %1).").arg(lesson.swingPeriod),
                                      QStringLiteral("seconds"));
    const QCommandLineOption accelOpt(QStringLiteral("accel"),
                                      QStringLiteral("Acceleration of the accelerating cart in m/s² (default %1).").arg(lesson.accel),
                                      QStringLiteral("m/s2"));
    const QCommandLineOption afterOpt(QStringLiteral("speed-after"),
                                      QStringLiteral("Speed of the struck cart after a collision in m/s (default half of --speed)."),
                                      QStringLiteral("m/s"));
    const QCommandLineOption everyOpt(QStringLiteral("every"),
                                      QStringLiteral("Seconds from one cart to the next (default %1; longer when a cart needs it).")
                                          .arg(lesson.every),
                                      QStringLiteral("seconds"));
    parser.addOptions({gatesOpt, lessonOpt, speedOpt, widthOpt, distanceOpt, swingOpt, accelOpt, afterOpt, everyOpt});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "unexpected argument '%s'\n", qPrintable(parser.positionalArguments().first()));
        return 2;
    }

    kvsim::SignalSettings signal;
    QString error;
    if (!kvsim::SignalSettingsFrom(parser.value(signalOpt), parser.value(amplitudeOpt), parser.value(periodOpt), signal,
                                   error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    auto model = kvsim::createDeviceModel(parser.value(modelOpt), signal);
    if (!model) {
        std::fprintf(stderr, "unknown model '%s'; known: %s\n", qPrintable(parser.value(modelOpt)),
                     qPrintable(kvsim::deviceModelNames().join(QStringLiteral(", "))));
        return 2;
    }
    if (parser.isSet(sensorsOpt)) {
        QVector<int> indices;
        const QStringList names = parser.value(sensorsOpt).split(QLatin1Char(','));
        if (!kvsim::ResolveSensors(parser.value(modelOpt), names, indices, error) || !kvsim::ApplySensors(*model, indices)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 2;
        }
    }
    kvsim::PhotogateSettings gates;
    if (!kvsim::PhotogateSettingsFrom(parser.value(gatesOpt), parser.value(lessonOpt), parser.value(speedOpt),
                                      parser.value(widthOpt), parser.value(distanceOpt), parser.value(swingOpt),
                                      parser.value(accelOpt), parser.value(afterOpt), parser.value(everyOpt), gates,
                                      error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    if (gates.gates > 0 && parser.isSet(sensorsOpt)) {
        std::fprintf(stderr, "--gates puts photogates in place of the sensors --sensors chooses: give one of them\n");
        return 2;
    }
    if (gates.gates > 0 && !kvsim::ApplyPhotogates(*model, gates)) {
        std::fprintf(stderr, "model '%s' has no photogates\n", qPrintable(parser.value(modelOpt)));
        return 2;
    }
    if (parser.isSet(storedOpt)) {
        auto* pelorin = dynamic_cast<kvsim::CPelorinDevice*>(model.get());
        bool ok = false;
        const int samples = parser.value(storedOpt).toInt(&ok);
        if (!pelorin) {
            std::fprintf(stderr, "--stored-run is a knob of the pelorin model\n");
            return 2;
        }
        if (!ok || samples < 1 || samples > kMaxStoredSamples) {
            std::fprintf(stderr, "--stored-run takes a number of samples from 1 to %d\n", kMaxStoredSamples);
            return 2;
        }
        // After the sensors and photogates: the run holds readings of those.
        pelorin->holdRecordedRun(samples);
    }
    if (parser.isSet(countingOpt)) {
        auto* dravlet = dynamic_cast<kvsim::CDravletDeviceModel*>(model.get());
        if (!dravlet) {
            std::fprintf(stderr, "--count-first-byte is a knob of the dravlet model\n");
            return 2;
        }
        dravlet->setFirstByteCounting(true);
    }
    std::atomic<bool> portChanged{false};
    kvsim::CLoggerSimulator sim(std::move(model));
    sim.setSplitWrites(parser.isSet(splitOpt));
    sim.setReplyDelay(parser.value(delayOpt).toInt());
    if (parser.isSet(garbageOpt)) sim.setGarbagePrefix(QByteArray::fromHex(parser.value(garbageOpt).toLatin1()), -1);
    sim.setSilent(parser.isSet(silentOpt));
    if (!sim.start()) {
        std::fprintf(stderr, "cannot start: %s\n", qPrintable(sim.errorString()));
        return 1;
    }
    linkStablePath(sim);
    watchRestarts(sim, &portChanged);
    printPort(sim);

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);
    const bool quiet = parser.isSet(quietOpt);
    std::string pending;
    bool stdinOpen = true;
    int logged = 0;
    while (!s_quit.load()) {
        if (!pollStdin(sim, pending, stdinOpen)) break;
        if (portChanged.exchange(false)) printPort(sim);
        if (!quiet) {
            const QList<QByteArray> frames = sim.frames();
            for (; logged < frames.size(); ++logged)
                std::fprintf(stderr, "HOST> %s\n", qPrintable(hex(frames.at(logged))));
        }
        ::usleep(20000);
    }
    sim.stop();
    return 0;
}

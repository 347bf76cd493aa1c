// The logger simulator harness, driven through the program's own serial port class.
#include "Core/Data/SensorInfo.h"
#include "Core/Logic/Pelorin/PelorinCatalog.h"
#include "Core/Logic/Pelorin/PelorinReplies.h"
#include "platform/SerialPort.h"
#include "simulator/EchoDeviceModel.h"
#include "simulator/LoggerSimulator.h"
#include "simulator/ModelFactory.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include "common/ChildReports.h"
#include "common/TestMain.h"

#include <thread>

using kvsim::CEchoDeviceModel;
using kvsim::CLoggerSimulator;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values) out.append(char(v));
    return out;
}

// Polls the port like the reader thread does until `count` bytes came or time ran out.
QByteArray readAtLeast(CSerialPort& port, int count, int timeoutMs, int* reads = nullptr)
{
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    char buffer[64];
    while (got.size() < count && timer.elapsed() < timeoutMs) {
        const int n = port.Read(buffer, sizeof buffer);
        if (n < 0) break;
        if (n > 0) {
            got.append(buffer, n);
            if (reads) ++*reads;
        } else {
            QThread::msleep(1);
        }
    }
    return got;
}

// Everything that arrives within windowMs.
QByteArray readFor(CSerialPort& port, int windowMs)
{
    return readAtLeast(port, 1 << 20, windowMs);
}

struct Rig
{
    std::unique_ptr<CLoggerSimulator> sim;
    CSerialPort port;
    CEchoDeviceModel* model = nullptr;

    bool up(int streamMs = 20)
    {
        auto m = std::make_unique<CEchoDeviceModel>(streamMs);
        model = m.get();
        sim = std::make_unique<CLoggerSimulator>(std::move(m));
        if (!sim->start()) return false;
        port.setPortName(sim->portName());
        return port.OpenPort(115200);
    }
};

const QByteArray kHostFrame = bytes({0xBC, 0x9E, 0x03, 0x05, 0xAA, 0xBB});
const QByteArray kEcho = bytes({0x3D, 0xB7, 0x03, 0x05, 0xAA, 0xBB});

} // namespace

class TestSerialSim : public QObject
{
    Q_OBJECT
private slots:
    void lengthByteFraming()
    {
        using kvsim::LengthByteFrame;
        const auto* f = reinterpret_cast<const unsigned char*>(kHostFrame.constData());
        QCOMPARE(LengthByteFrame(f, 6), 6);
        QCOMPARE(LengthByteFrame(f, 5), 0);
        QCOMPARE(LengthByteFrame(f, 2), 0);
        QCOMPARE(LengthByteFrame(f, 1), 0);
        const QByteArray noisy = bytes({0x00, 0x9E, 0xBC, 0x01, 0xBC, 0x9E, 0x01});
        const auto* n = reinterpret_cast<const unsigned char*>(noisy.constData());
        QCOMPARE(LengthByteFrame(n, noisy.size()), -4); // BC followed by 01 is no sync pair
        const QByteArray tailSync = bytes({0x11, 0x22, 0xBC});
        QCOMPARE(LengthByteFrame(reinterpret_cast<const unsigned char*>(tailSync.constData()), 3), -2);
        // A zero length byte goes to the caller's rule (here: 4 header bytes + 2-byte count).
        const QByteArray block = bytes({0xBC, 0x9E, 0x00, 0xF3, 0x00, 0x02, 0x55, 0x66});
        auto rule = [](const unsigned char* d, int size) {
            if (size < 6) return 0;
            const int total = 6 + (d[4] << 8 | d[5]);
            return size >= total ? total : 0;
        };
        const auto* b = reinterpret_cast<const unsigned char*>(block.constData());
        QCOMPARE(LengthByteFrame(b, 8, rule), 8);
        QCOMPARE(LengthByteFrame(b, 7, rule), 0);
        QCOMPARE(LengthByteFrame(b, 8), 3);
    }

    void opcodeLengthFraming()
    {
        auto lengthOf = [](unsigned char op) { return op == 0x08 ? 3 : op == 0x0A ? 4 : 0; };
        const QByteArray stream = bytes({0xBC, 0x9E, 0x08, 0xBC, 0x9E, 0x0A, 0x01});
        const auto* s = reinterpret_cast<const unsigned char*>(stream.constData());
        QCOMPARE(kvsim::OpcodeLengthFrame(s, 7, lengthOf), 3);
        QCOMPARE(kvsim::OpcodeLengthFrame(s + 3, 4, lengthOf), 4);
        QCOMPARE(kvsim::OpcodeLengthFrame(s + 3, 3, lengthOf), 0);
        const QByteArray unknown = bytes({0xBC, 0x9E, 0x77, 0x00});
        QCOMPARE(kvsim::OpcodeLengthFrame(reinterpret_cast<const unsigned char*>(unknown.constData()), 4, lengthOf), -2);
        QCOMPARE(kvsim::BuildLengthByteFrame(0x05, bytes({0xAA, 0xBB})), kEcho);
        QVERIFY(kvsim::BuildLengthByteFrame(0x05, QByteArray(255, 'x')).isEmpty());
    }

    void echoRoundTripAndFrameLog()
    {
        Rig rig;
        QVERIFY(rig.up());
        QVERIFY(QFile::exists(rig.sim->portName()));
        QVERIFY(rig.port.SendToMulti(kHostFrame));
        QCOMPARE(readAtLeast(rig.port, kEcho.size(), 2000), kEcho);
        QVERIFY(rig.sim->waitForFrames(1, 1000));
        QCOMPARE(rig.sim->frames(), QList<QByteArray>{kHostFrame});
        QCOMPARE(rig.sim->repliesWritten(), 1);
        QVERIFY(rig.sim->garbage().isEmpty());
    }

    void hostFramesReassembledFromAnyChunking()
    {
        Rig rig;
        QVERIFY(rig.up());
        // Garbage, then two frames cut at awkward places, one byte or a few at a time.
        const QByteArray second = bytes({0xBC, 0x9E, 0x01, 0x07});
        const QByteArray stream = bytes({0x00, 0x12}) + kHostFrame + bytes({0x00}) + second;
        const int cuts[] = {1, 2, 1, 3, 1, 1, 4};
        int at = 0;
        for (int i = 0; at < stream.size(); ++i) {
            const int n = qMin(cuts[i % 7], stream.size() - at);
            QCOMPARE(rig.port.Write(stream.constData() + at, n), n);
            at += n;
            QThread::msleep(3);
        }
        QVERIFY(rig.sim->waitForFrames(2, 2000));
        QCOMPARE(rig.sim->frames(), (QList<QByteArray>{kHostFrame, second}));
        QCOMPARE(rig.sim->garbage(), bytes({0x00, 0x12, 0x00}));
    }

    void splitWritesArriveInPiecesButWhole()
    {
        Rig rig;
        QVERIFY(rig.up());
        rig.sim->setSplitWrites(true, 20);
        QVERIFY(rig.port.SendToMulti(kHostFrame));
        int reads = 0;
        QCOMPARE(readAtLeast(rig.port, kEcho.size(), 3000, &reads), kEcho);
        QVERIFY2(reads > 1, "a reply written byte by byte 20 ms apart came in one read");
    }

    void dropDuplicateAndGarbageKnobs()
    {
        Rig rig;
        QVERIFY(rig.up());
        rig.sim->dropReplies(1);
        QVERIFY(rig.port.SendToMulti(kHostFrame));
        QVERIFY(rig.sim->waitForFrames(1, 1000));
        QVERIFY(readFor(rig.port, 200).isEmpty());
        QCOMPARE(rig.sim->repliesDropped(), 1);

        rig.sim->duplicateReplies(1);
        QVERIFY(rig.port.SendToMulti(kHostFrame));
        QCOMPARE(readAtLeast(rig.port, 2 * kEcho.size(), 2000), kEcho + kEcho);

        rig.sim->setGarbagePrefix(bytes({0xFF, 0x3D}), 1);
        QVERIFY(rig.port.SendToMulti(kHostFrame));
        QCOMPARE(readAtLeast(rig.port, kEcho.size() + 2, 2000), bytes({0xFF, 0x3D}) + kEcho);
        // The prefix was for one reply only.
        QVERIFY(rig.port.SendToMulti(kHostFrame));
        QCOMPARE(readAtLeast(rig.port, kEcho.size(), 2000), kEcho);
        QCOMPARE(rig.sim->frameCount(), 4);
    }

    void delayedReplyComesLate()
    {
        Rig rig;
        QVERIFY(rig.up());
        rig.sim->setReplyDelay(400);
        QVERIFY(rig.port.SendToMulti(kHostFrame));
        QVERIFY(rig.sim->waitForFrames(1, 1000));
        QVERIFY(readFor(rig.port, 100).isEmpty());
        QCOMPARE(readAtLeast(rig.port, kEcho.size(), 3000), kEcho);
    }

    void silentDeviceLogsButNeverAnswers()
    {
        Rig rig;
        QVERIFY(rig.up());
        rig.sim->setSilent(true);
        QVERIFY(rig.port.SendToMulti(kHostFrame));
        QVERIFY(rig.sim->waitForFrames(1, 1000));
        QVERIFY(readFor(rig.port, 200).isEmpty());
        rig.sim->setSilent(false);
        QVERIFY(rig.port.SendToMulti(kHostFrame));
        QCOMPARE(readAtLeast(rig.port, kEcho.size(), 2000), kEcho);
    }

    void streamingTicksProduceOrderedPackets()
    {
        Rig rig;
        QVERIFY(rig.up(5));
        QVERIFY(rig.port.SendToMulti(bytes({0xBC, 0x9E, 0x01, CEchoDeviceModel::kStartStream})));
        const QByteArray ack = bytes({0x3D, 0xB7, 0x01, CEchoDeviceModel::kStartStream});
        const QByteArray got = readAtLeast(rig.port, ack.size() + 3 * 8, 3000);
        QVERIFY(got.startsWith(ack));
        for (quint32 i = 0; i < 3; ++i) {
            const QByteArray packet = got.mid(ack.size() + int(i) * 8, 8);
            QCOMPARE(packet, bytes({0x3D, 0xB7, 0x05, 0x30, 0, 0, 0, int(i)}));
        }
        QVERIFY(rig.port.SendToMulti(bytes({0xBC, 0x9E, 0x01, CEchoDeviceModel::kStopStream})));
        bool stopped = false;
        QVERIFY(rig.sim->invoke([&] { stopped = !rig.model->isStreaming(); }));
        for (int i = 0; i < 100 && !stopped; ++i) {
            QThread::msleep(10);
            QVERIFY(rig.sim->invoke([&] { stopped = !rig.model->isStreaming(); }));
        }
        QVERIFY(stopped);
    }

    void injectBypassesTheModel()
    {
        Rig rig;
        QVERIFY(rig.up());
        rig.sim->setSilent(false);
        rig.sim->dropReplies(5); // knobs do not touch injected bytes
        rig.sim->inject(bytes({0x3D, 0xB7, 0x01, 0x14}));
        QCOMPARE(readAtLeast(rig.port, 4, 2000), bytes({0x3D, 0xB7, 0x01, 0x14}));
        QCOMPARE(rig.sim->frameCount(), 0);
    }

    void unplugFailsReadsAndReplugGivesANewPort()
    {
        Rig rig;
        QVERIFY(rig.up());
        const QString first = rig.sim->portName();
        rig.sim->unplug();
        QVERIFY(!rig.sim->isPlugged());
        QVERIFY(rig.sim->portName().isEmpty());
        char buffer[16];
        int rc = 0;
        for (int i = 0; i < 100 && rc == 0; ++i) {
            rc = rig.port.Read(buffer, sizeof buffer);
            if (rc == 0) QThread::msleep(5);
        }
        QVERIFY2(rc < 0, "a read after unplug must report the loss of the device");
        rig.port.ClosePort();
        QVERIFY2(!QFile::exists(first), "the device path of an unplugged logger must vanish");

        QVERIFY(rig.sim->replug());
        QVERIFY(!rig.sim->portName().isEmpty());
        rig.port.setPortName(rig.sim->portName());
        QVERIFY(rig.port.OpenPort(115200));
        QVERIFY(rig.port.SendToMulti(kHostFrame));
        QCOMPARE(readAtLeast(rig.port, kEcho.size(), 2000), kEcho);
    }

    void hostMayCloseAndReopenWithoutHangUp()
    {
        Rig rig;
        QVERIFY(rig.up());
        rig.port.ClosePort();
        QVERIFY(rig.port.OpenPort(115200));
        QVERIFY(rig.port.SendToMulti(kHostFrame));
        QCOMPARE(readAtLeast(rig.port, kEcho.size(), 2000), kEcho);
    }

    void factoryKnowsTheEchoModel()
    {
        QVERIFY(kvsim::deviceModelNames().contains(QStringLiteral("echo")));
        QVERIFY(kvsim::createDeviceModel(QStringLiteral("echo")) != nullptr);
        QVERIFY(kvsim::createDeviceModel(QStringLiteral("no-such-model")) == nullptr);
    }

    void programPrintsItsPortPath()
    {
        const QString exe = QStringLiteral(KORVANTA_SIM_EXE);
        if (!QFile::exists(exe)) QSKIP("korvanta-sim not built next to the tests");
        QProcess proc;
        proc.start(exe, {QStringLiteral("--quiet")});
        QVERIFY(proc.waitForStarted(3000));
        QVERIFY(proc.waitForReadyRead(3000));
        QElapsedTimer t;
        t.start();
        while (!proc.canReadLine() && t.elapsed() < 3000) proc.waitForReadyRead(100);
        const QString path = QString::fromLocal8Bit(proc.readLine()).trimmed();
        QVERIFY2(path.startsWith(QLatin1String("/dev/")), qPrintable(path));
        CSerialPort port;
        port.setPortName(path);
        QVERIFY(port.OpenPort(115200));
        QVERIFY(port.SendToMulti(kHostFrame));
        QCOMPARE(readAtLeast(port, kEcho.size(), 2000), kEcho);
        port.ClosePort();
        proc.write("quit\n");
        QVERIFY(proc.waitForFinished(3000));
        QCOMPARE(proc.exitCode(), 0);
        const QString reports = KorvantaTest::SanitizerReports(proc, proc.readAllStandardError());
        QVERIFY2(reports.isEmpty(), qPrintable(reports));
    }

    void countingFirstByteIsADravletKnob()
    {
        const QString exe = QStringLiteral(KORVANTA_SIM_EXE);
        if (!QFile::exists(exe)) QSKIP("korvanta-sim not built next to the tests");
        for (const char* model : {"dravlet", "pelorin"}) {
            QProcess proc;
            proc.start(exe, {"--quiet", "--model", model, "--count-first-byte"});
            QVERIFY(proc.waitForStarted(3000));
            const bool dravlet = qstrcmp(model, "dravlet") == 0;
            if (dravlet) {
                QVERIFY(proc.waitForReadyRead(3000));
                proc.write("quit\n");
            }
            QVERIFY(proc.waitForFinished(3000));
            QCOMPARE(proc.exitCode(), dravlet ? 0 : 2);
            const QString reports = KorvantaTest::SanitizerReports(proc, proc.readAllStandardError());
            QVERIFY2(reports.isEmpty(), qPrintable(reports));
        }
    }

    // --sensors: the program identifies the chosen sensors in the status; an unknown name is
    // refused with the names the model reports.
    void sensorsAreChosenFromTheCatalogue()
    {
        QProcess proc;
        proc.start(QStringLiteral(KORVANTA_SIM_EXE), {"--quiet", "--model", "pelorin", "--sensors", "temperature,Pressure"});
        QVERIFY(proc.waitForReadyRead(3000));
        CSerialPort port;
        port.setPortName(QString::fromLocal8Bit(proc.readLine()).trimmed());
        QVERIFY(port.OpenPort(115200) && port.SendToMulti(bytes({0xBC, 0x9E, 0x01, 0x04, 0x00})));
        const QByteArray reply = readAtLeast(port, 4 + 15 + 2 * 6, 2000).mid(4);
        port.ClosePort();
        proc.write("quit\n");
        QVERIFY(proc.waitForFinished(3000));
        QCOMPARE(proc.exitCode(), 0);
        QString reports = KorvantaTest::SanitizerReports(proc, proc.readAllStandardError());
        QVERIFY2(reports.isEmpty(), qPrintable(reports));
        CSensorInfo catalogue;
        catalogue.LoadSensorInfo();
        Pelorin::LoggerRecord status;
        QVERIFY(Pelorin::ParseStatusRes(reinterpret_cast<const unsigned char*>(reply.constData()), reply.size(), false,
                                        CPelorinCatalog(&catalogue), status));
        QCOMPARE(status.channelCount, 2);
        QCOMPARE(status.channels[0].catalogIndex, 72);
        QCOMPARE(status.channels[1].catalogIndex, 71);
        proc.start(QStringLiteral(KORVANTA_SIM_EXE), {"--model", "pelorin", "--sensors", "temperature,nosuch"});
        QVERIFY(proc.waitForFinished(3000));
        QCOMPARE(proc.exitCode(), 2);
        const QByteArray errorOutput = proc.readAllStandardError();
        reports = KorvantaTest::SanitizerReports(proc, errorOutput);
        QVERIFY2(reports.isEmpty(), qPrintable(reports));
        const QString error = QString::fromLocal8Bit(errorOutput);
        QVERIFY2(error.contains("'nosuch'") && error.contains("Pressure (71)"), qPrintable(error));
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestSerialSim)
#include "tst_serialsim.moc"

// CSerialPort over a real pseudo-terminal: whole frames under concurrent writers, reads in
// any chunking, and every refusal of a closed or failed port.
#include "platform/SerialPort.h"

#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QThread>
#include "common/TestMain.h"

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// The far end of the line: the master side of a raw pseudo-terminal pair.
struct Pty
{
    int master = -1;
    int slave = -1;
    QString path;

    bool open()
    {
        struct termios raw;
        std::memset(&raw, 0, sizeof raw);
        cfmakeraw(&raw);
        char name[256] = {0};
        if (::openpty(&master, &slave, name, &raw, nullptr) != 0) return false;
        path = QString::fromLocal8Bit(name);
        return true;
    }
    void closeMaster()
    {
        if (master >= 0) ::close(master);
        master = -1;
    }
    ~Pty()
    {
        closeMaster();
        if (slave >= 0) ::close(slave);
    }
    // Everything that arrives until `count` bytes came or timeoutMs passed.
    // A slow reader (small reads with pauses) keeps the line full, so writers meet partial
    // writes: exactly where unguarded frames would interleave.
    QByteArray read(int count, int timeoutMs, bool slow = false) const
    {
        QByteArray got;
        QElapsedTimer timer;
        timer.start();
        char buffer[4096];
        while (got.size() < count && timer.elapsed() < timeoutMs) {
            struct pollfd pfd = {master, POLLIN, 0};
            if (::poll(&pfd, 1, 10) <= 0) continue;
            const ssize_t n = ::read(master, buffer, slow ? 700 : sizeof buffer);
            if (n > 0) got.append(buffer, int(n));
            if (slow) QThread::usleep(700);
        }
        return got;
    }
    bool write(const QByteArray& bytes) const
    {
        return ::write(master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
};

QByteArray readFromPort(CSerialPort& port, int count, int timeoutMs, const std::vector<int>& chunkSizes)
{
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    char buffer[256];
    size_t turn = 0;
    while (got.size() < count && timer.elapsed() < timeoutMs) {
        const int n = port.Read(buffer, chunkSizes[turn++ % chunkSizes.size()]);
        if (n < 0) break;
        if (n == 0) QThread::msleep(1);
        got.append(buffer, n);
    }
    return got;
}

// Frame of one writer: BC 9E len writer seqHi seqLo payload...; len counts what follows it.
QByteArray makeFrame(int writer, int seq, int payloadSize)
{
    QByteArray f;
    f.append(char(0xBC));
    f.append(char(0x9E));
    f.append(char(3 + payloadSize));
    f.append(char(writer));
    f.append(char(seq >> 8));
    f.append(char(seq & 0xFF));
    for (int i = 0; i < payloadSize; ++i) f.append(char((writer * 31 + seq + i) & 0xFF));
    return f;
}

} // namespace

class TestSerialPort : public QObject
{
    Q_OBJECT
private slots:
    void openFailsCleanly()
    {
        CSerialPort port;
        QString empty;
        QVERIFY(port.PortReady(empty, 19200)); // the hook accepts every port
        QVERIFY(!port.OpenPort(115200));       // no name set
        QVERIFY(!port.errorString().isEmpty());
        port.setPortName(QStringLiteral("/dev/korvanta-no-such-port"));
        QVERIFY(!port.OpenPort(115200));
        QVERIFY(!port.isOpen());
        QTemporaryFile plain;
        QVERIFY(plain.open());
        port.setPortName(plain.fileName());
        QVERIFY2(!port.OpenPort(115200), "a plain file is no serial device");
        Pty pty;
        QVERIFY(pty.open());
        port.setPortName(pty.path);
        QVERIFY2(!port.OpenPort(12345), "a non-standard rate must be refused, not rounded");
        QVERIFY(port.OpenPort(19200));
        QVERIFY(port.isOpen());
        QVERIFY(port.ClosePort());
        QVERIFY(port.ClosePort()); // closing twice is harmless
    }

    void closedPortRefusesToSend()
    {
        Pty pty;
        QVERIFY(pty.open());
        CSerialPort port;
        port.setPortName(pty.path);
        static const unsigned char status[4] = {0xBC, 0x9E, 0x04, 0x00};
        const QByteArray built = makeFrame(1, 1, 4);
        char buffer[8];
        // Never opened.
        QVERIFY(!port.SendToMulti(status));
        QVERIFY(!port.SendToMulti(built));
        QVERIFY(port.Write(built.constData(), built.size()) < 0);
        QVERIFY(port.Read(buffer, sizeof buffer) < 0);
        // Opened, then closed.
        QVERIFY(port.OpenPort(115200));
        QVERIFY(port.ClosePort());
        QVERIFY(!port.SendToMulti(status));
        QVERIFY(!port.SendToMulti(built));
        QVERIFY(pty.read(1, 200).isEmpty());
        // Bad arguments on an open port are refused too.
        QVERIFY(port.OpenPort(115200));
        QVERIFY(!port.SendToMulti(QByteArray()));
        QVERIFY(!port.SendToMulti(static_cast<const unsigned char*>(nullptr), 4));
        QVERIFY(port.Write(built.constData(), 0) < 0);
        QVERIFY(port.Read(nullptr, 4) < 0);
        QCOMPARE(port.Read(buffer, 0), 0);
        QVERIFY(pty.read(1, 100).isEmpty());
    }

    void framesGoOutWholeAtTheirLength()
    {
        Pty pty;
        QVERIFY(pty.open());
        CSerialPort port;
        port.setPortName(pty.path);
        QVERIFY(port.OpenPort(19200));
        static const unsigned char status[4] = {0xBC, 0x9E, 0x04, 0x00};
        QVERIFY(port.SendToMulti(status));
        QCOMPARE(pty.read(100, 300), QByteArray::fromHex("bc9e0400"));
        static const unsigned char hello[5] = {0xBC, 0x9E, 0x01, 0x08, 0x00};
        QVERIFY(port.SendToMulti(hello, 5));
        QCOMPARE(pty.read(100, 300), QByteArray::fromHex("bc9e010800"));
        QByteArray setup1(31, '\0');
        for (int i = 0; i < 31; ++i) setup1[i] = char(i * 7);
        QVERIFY(port.SendToMulti(setup1));
        QCOMPARE(pty.read(100, 300), setup1);
        QCOMPARE(port.Write(setup1.constData(), 4), 4);
        QCOMPARE(pty.read(100, 300), setup1.left(4));
    }

    void concurrentWritersNeverInterleave()
    {
        Pty pty;
        QVERIFY(pty.open());
        CSerialPort port;
        port.setPortName(pty.path);
        QVERIFY(port.OpenPort(115200));
        constexpr int kWriters = 4;
        constexpr int kFrames = 250;
        int total = 0;
        for (int w = 0; w < kWriters; ++w)
            for (int s = 0; s < kFrames; ++s) total += makeFrame(w, s, (s * 37 + w * 11) % 240).size();
        std::atomic<int> failures{0};
        std::vector<std::thread> writers;
        for (int w = 0; w < kWriters; ++w) {
            writers.emplace_back([&, w] {
                for (int s = 0; s < kFrames; ++s)
                    if (!port.SendToMulti(makeFrame(w, s, (s * 37 + w * 11) % 240))) ++failures;
            });
        }
        const QByteArray wire = pty.read(total, 20000, true); // drains while the writers write
        for (auto& t : writers) t.join();
        QCOMPARE(failures.load(), 0);
        QCOMPARE(wire.size(), total);
        int nextSeq[kWriters] = {0};
        int at = 0;
        while (at < wire.size()) {
            QVERIFY2(at + 6 <= wire.size(), "truncated frame");
            QCOMPARE(quint8(wire[at]), quint8(0xBC));
            QCOMPARE(quint8(wire[at + 1]), quint8(0x9E));
            const int len = quint8(wire[at + 2]);
            const int writer = quint8(wire[at + 3]);
            const int seq = quint8(wire[at + 4]) << 8 | quint8(wire[at + 5]);
            QVERIFY(writer < kWriters);
            QCOMPARE(seq, nextSeq[writer]);
            ++nextSeq[writer];
            const QByteArray frame = wire.mid(at, 3 + len);
            QCOMPARE(frame, makeFrame(writer, seq, len - 3));
            at += 3 + len;
        }
        for (int w = 0; w < kWriters; ++w) QCOMPARE(nextSeq[w], kFrames);
    }

    void bytesReadBackInAnyChunking()
    {
        Pty pty;
        QVERIFY(pty.open());
        CSerialPort port;
        port.setPortName(pty.path);
        QVERIFY(port.OpenPort(115200));
        QByteArray sent;
        for (int i = 0; i < 3000; ++i) sent.append(char((i * 13 + 7) & 0xFF));
        std::thread feeder([&] {
            const int cuts[] = {1, 5, 64, 2, 200, 3, 999};
            int at = 0;
            for (int i = 0; at < sent.size(); ++i) {
                const int n = qMin(cuts[i % 7], sent.size() - at);
                pty.write(sent.mid(at, n));
                at += n;
                if (i % 3 == 0) QThread::usleep(500);
            }
        });
        const QByteArray got = readFromPort(port, sent.size(), 10000, {1, 3, 17, 64, 256, 2});
        feeder.join();
        QCOMPARE(got, sent);
        char buffer[16];
        QCOMPARE(port.Read(buffer, sizeof buffer), 0); // nothing more waits: 0, not an error
    }

    void lostDeviceReadsAsError()
    {
        Pty pty;
        QVERIFY(pty.open());
        CSerialPort port;
        port.setPortName(pty.path);
        QVERIFY(port.OpenPort(115200));
        QVERIFY(pty.write(QByteArray("ab")));
        QCOMPARE(readFromPort(port, 2, 1000, {16}), QByteArray("ab"));
        pty.closeMaster();
        char buffer[16];
        int rc = 0;
        for (int i = 0; i < 100 && rc == 0; ++i) {
            rc = port.Read(buffer, sizeof buffer);
            if (rc == 0) QThread::msleep(2);
        }
        QVERIFY(rc < 0);
        QVERIFY(port.ClosePort());
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"

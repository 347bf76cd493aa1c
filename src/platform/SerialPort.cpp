#include "platform/SerialPort.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Same category name as the logic layer's "Serial" module, so one logging rule shows both.
Q_LOGGING_CATEGORY(lcSerialPort, "korvanta.serial", QtInfoMsg)

// A frame that cannot go out within this time is given up (device stalled or gone).
constexpr int kWriteTimeoutMs = 2000;
// How long a close waits for already written bytes (a goodbye request) to leave.
constexpr int kDrainTimeoutMs = 200;

bool baudConstant(int baud, speed_t* out)
{
    struct Rate
    {
        int baud;
        speed_t constant;
    };
    static const Rate s_rates[] = {
        {1200, B1200},       {2400, B2400},       {4800, B4800},       {9600, B9600},
        {19200, B19200},     {38400, B38400},     {57600, B57600},     {115200, B115200},
        {230400, B230400},   {460800, B460800},   {500000, B500000},   {576000, B576000},
        {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
        {2000000, B2000000}, {3000000, B3000000}, {4000000, B4000000},
    };
    for (const Rate& rate : s_rates) {
        if (rate.baud == baud) {
            *out = rate.constant;
            return true;
        }
    }
    return false;
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

CSerialPort::CSerialPort() = default;

CSerialPort::~CSerialPort()
{
    ClosePort();
}

bool CSerialPort::PortReady(QString& name, int baud)
{
    Q_UNUSED(name);
    Q_UNUSED(baud);
    return true;
}

QString CSerialPort::errorString() const
{
    QMutexLocker lock(&m_errorLock);
    return m_error;
}

void CSerialPort::setError(const QString& text)
{
    {
        QMutexLocker lock(&m_errorLock);
        m_error = text;
    }
    qCDebug(lcSerialPort) << m_portName << text;
}

bool CSerialPort::OpenPort(int baud)
{
    ClosePort();
    speed_t speed = B0;
    if (!baudConstant(baud, &speed)) {
        setError(QStringLiteral("unsupported baud rate %1").arg(baud));
        return false;
    }
    if (m_portName.isEmpty()) {
        setError(QStringLiteral("no port name"));
        return false;
    }
    const QByteArray path = m_portName.toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        setError(QStringLiteral("open failed: %1").arg(errnoText()));
        return false;
    }
    struct termios tio;
    if (::tcgetattr(fd, &tio) != 0) {
        setError(QStringLiteral("not a serial device: %1").arg(errnoText()));
        ::close(fd);
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cflag &= ~tcflag_t(PARENB | CSTOPB | CSIZE | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    // VMIN 1 with O_NONBLOCK: an empty line reads as EAGAIN, so a read of 0 means hang-up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        setError(QStringLiteral("configuration failed: %1").arg(errnoText()));
        ::close(fd);
        return false;
    }
    ::tcflush(fd, TCIOFLUSH); // nothing from before this open belongs to us
    m_fd.store(fd);
    qCDebug(lcSerialPort) << "opened" << m_portName << baud;
    return true;
}

bool CSerialPort::ClosePort()
{
    QMutexLocker writeLock(&m_writeLock);
    QMutexLocker readLock(&m_readLock);
    const int fd = m_fd.exchange(-1);
    if (fd < 0) return true;
    QElapsedTimer timer;
    timer.start();
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && timer.elapsed() < kDrainTimeoutMs)
        QThread::msleep(2);
    ::tcflush(fd, TCIOFLUSH);
    ::close(fd);
    qCDebug(lcSerialPort) << "closed" << m_portName;
    return true;
}

int CSerialPort::Read(void* buffer, int size)
{
    if (!buffer || size < 0) return -1;
    QMutexLocker lock(&m_readLock); // only against a concurrent close; the reader never waits
    const int fd = m_fd.load();
    if (fd < 0) return -1;
    if (size == 0) return 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size_t(size));
        if (n > 0) return int(n);
        if (n == 0) return -1; // hang-up: the device went away
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        return -1;
    }
}

int CSerialPort::Write(const void* data, int size)
{
    if (!data || size < 1) return -1;
    QMutexLocker lock(&m_writeLock);
    const int fd = m_fd.load();
    if (fd < 0) return -1;
    const auto* bytes = static_cast<const char*>(data);
    int done = 0;
    QElapsedTimer timer;
    timer.start();
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, size_t(size - done));
        if (n > 0) {
            done += int(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            setError(QStringLiteral("write failed: %1").arg(errnoText()));
            return -1;
        }
        const qint64 left = kWriteTimeoutMs - timer.elapsed();
        if (left <= 0) {
            setError(QStringLiteral("write timed out after %1 of %2 bytes").arg(done).arg(size));
            return -1;
        }
        struct pollfd pfd = {fd, POLLOUT, 0};
        ::poll(&pfd, 1, int(left));
    }
    return done;
}

bool CSerialPort::SendToMulti(const unsigned char* frame, int size)
{
    if (!frame || size < 1 || !isOpen()) return false;
    return Write(frame, size) == size;
}

bool CSerialPort::SendToMulti(const QByteArray& frame)
{
    if (frame.isEmpty()) return false;
    if (lcSerialPort().isDebugEnabled())
        qCDebug(lcSerialPort).noquote() << "WRITE:" + QString::fromLatin1(frame.toHex(' ').toUpper());
    if (!isOpen()) return false;
    return Write(frame.constData(), frame.size()) == frame.size();
}

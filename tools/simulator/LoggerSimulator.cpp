#include "simulator/LoggerSimulator.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace kvsim {

class CLoggerSimulator::Output : public ISimOutput
{
public:
    explicit Output(CLoggerSimulator* sim) : m_sim(sim) {}
    void send(const QByteArray& frame) override { m_sim->queueReply(frame); }
    qint64 elapsedMs() const override { return m_sim->nowMs(); }
    void restartAsNewDevice(int absentMs) override { m_sim->requestRestart(absentMs); }

private:
    CLoggerSimulator* m_sim;
};

namespace {

constexpr size_t kMaxPendingWrites = 100000;
// How long a restarting device waits at most for the host to read what it said last.
constexpr qint64 kRestartFlushMs = 2000;
constexpr qint64 kLineSettleMs = 50;

qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void closeFd(int& fd)
{
    if (fd >= 0) ::close(fd);
    fd = -1;
}

} // namespace

CLoggerSimulator::CLoggerSimulator(std::unique_ptr<IDeviceModel> model)
    : m_model(std::move(model)), m_output(new Output(this)), m_startNs(monotonicNs())
{
}

CLoggerSimulator::~CLoggerSimulator()
{
    stop();
}

qint64 CLoggerSimulator::nowMs() const
{
    return (monotonicNs() - m_startNs) / 1000000;
}

QString CLoggerSimulator::errorString() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
}

QString CLoggerSimulator::portName() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_portName;
}

bool CLoggerSimulator::isPlugged() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_plugged;
}

bool CLoggerSimulator::openPair(QString* error)
{
    struct termios raw;
    std::memset(&raw, 0, sizeof raw);
    cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    int master = -1;
    int slave = -1;
    char name[256] = {0};
    if (::openpty(&master, &slave, name, &raw, nullptr) != 0) {
        if (error) *error = QStringLiteral("openpty failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_masterFd = master;
    m_slaveFd = slave;
    m_portName = QString::fromLocal8Bit(name);
    m_plugged = true;
    QString linkError;
    if (!updateLink(true, &linkError)) m_error = linkError;
    return true;
}

void CLoggerSimulator::closePair()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    closeFd(m_masterFd);
    closeFd(m_slaveFd);
    m_plugged = false;
    m_portName.clear();
    m_outgoing.clear();
    updateLink(false, nullptr);
}

bool CLoggerSimulator::start()
{
    if (m_running.load()) return true;
    QString error;
    if (!openPair(&error)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_error = error;
        return false;
    }
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        closePair();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_error = QStringLiteral("pipe2 failed");
        return false;
    }
    m_wakeRead = fds[0];
    m_wakeWrite = fds[1];
    m_stopRequested = false;
    m_running = true;
    m_thread = std::thread(&CLoggerSimulator::threadMain, this);
    return true;
}

void CLoggerSimulator::stop()
{
    if (m_thread.joinable()) {
        m_stopRequested = true;
        wake();
        m_thread.join();
    }
    m_running = false;
    closePair();
    closeFd(m_wakeRead);
    closeFd(m_wakeWrite);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_posted.clear();
    m_logChanged.notify_all();
}

void CLoggerSimulator::wake()
{
    if (m_wakeWrite < 0) return;
    const char byte = 1;
    ssize_t rc = ::write(m_wakeWrite, &byte, 1); // a full pipe already means "wake up"
    (void)rc;
}

// ---- knobs

void CLoggerSimulator::setSplitWrites(bool on, int gapMs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_split = on;
    m_splitGapMs = std::max(0, gapMs);
}

void CLoggerSimulator::setReplyDelay(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_delayMs = std::max(0, ms);
}

void CLoggerSimulator::dropReplies(int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_dropCount = std::max(0, count);
}

void CLoggerSimulator::duplicateReplies(int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_duplicateCount = std::max(0, count);
}

void CLoggerSimulator::setGarbagePrefix(const QByteArray& bytes, int replies)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_garbagePrefix = bytes;
    m_garbageReplies = replies;
}

void CLoggerSimulator::setSilent(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_silent = on;
}

void CLoggerSimulator::unplug()
{
    auto doUnplug = [this] {
        closePair();
        m_pendingIn.clear();
        // A restart of the device's own under way ends here: the cable is out.
        m_restartAbsentMs = -1;
        m_returnDueMs = -1;
    };
    if (!m_running.load() || std::this_thread::get_id() == m_thread.get_id()) {
        doUnplug();
        return;
    }
    invoke(doUnplug);
}

bool CLoggerSimulator::replug()
{
    // Shared, so a late run after an invoke() time-out still writes somewhere valid.
    auto ok = std::make_shared<std::atomic<bool>>(false);
    auto doReplug = [this, ok] {
        closePair();
        m_pendingIn.clear();
        m_restartAbsentMs = -1;
        m_returnDueMs = -1;
        QString error;
        const bool opened = openPair(&error);
        ok->store(opened);
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!opened) m_error = error;
        m_replugged = opened;
    };
    if (!m_running.load() || std::this_thread::get_id() == m_thread.get_id())
        doReplug();
    else if (!invoke(doReplug))
        return false;
    return ok->load();
}

void CLoggerSimulator::inject(const QByteArray& bytes)
{
    if (bytes.isEmpty()) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_plugged) return;
        qint64 due = nowMs();
        if (!m_outgoing.empty()) due = std::max(due, m_outgoing.back().dueMs);
        m_outgoing.push_back({due, bytes, false});
    }
    wake();
}

void CLoggerSimulator::post(std::function<void()> fn)
{
    if (!fn) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_posted.push_back(std::move(fn));
    }
    wake();
}

bool CLoggerSimulator::invoke(std::function<void()> fn, int timeoutMs)
{
    if (!fn) return true;
    if (!m_running.load() || std::this_thread::get_id() == m_thread.get_id()) {
        fn();
        return true;
    }
    struct Done
    {
        std::mutex mutex;
        std::condition_variable cv;
        bool done = false;
    };
    auto done = std::make_shared<Done>();
    post([fn = std::move(fn), done] {
        fn();
        std::lock_guard<std::mutex> lock(done->mutex);
        done->done = true;
        done->cv.notify_all();
    });
    std::unique_lock<std::mutex> lock(done->mutex);
    return done->cv.wait_for(lock, std::chrono::milliseconds(std::max(0, timeoutMs)), [&] { return done->done; });
}

// ---- log

QList<QByteArray> CLoggerSimulator::frames() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames;
}

int CLoggerSimulator::frameCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames.size();
}

bool CLoggerSimulator::waitForFrames(int count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_logChanged.wait_for(lock, std::chrono::milliseconds(std::max(0, timeoutMs)),
                                 [&] { return m_frames.size() >= count; });
}

QByteArray CLoggerSimulator::garbage() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_garbage;
}

int CLoggerSimulator::repliesWritten() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_repliesWritten;
}

int CLoggerSimulator::repliesDropped() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_repliesDropped;
}

qint64 CLoggerSimulator::bytesToHost() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bytesToHost;
}

void CLoggerSimulator::clearLog()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_frames.clear();
    m_garbage.clear();
    m_repliesWritten = 0;
    m_repliesDropped = 0;
    m_bytesToHost = 0;
}

// ---- simulator thread

void CLoggerSimulator::queueReply(const QByteArray& frame)
{
    if (frame.isEmpty()) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_plugged || m_silent) return;
    // A host that stopped reading must not make the simulator grow without bound.
    if (m_outgoing.size() > kMaxPendingWrites) {
        ++m_repliesDropped;
        return;
    }
    if (m_dropCount > 0) {
        --m_dropCount;
        ++m_repliesDropped;
        return;
    }
    QByteArray bytes;
    if (m_garbageReplies != 0 && !m_garbagePrefix.isEmpty()) {
        bytes = m_garbagePrefix;
        if (m_garbageReplies > 0) --m_garbageReplies;
    }
    bytes.append(frame);
    const int copies = m_duplicateCount > 0 ? 2 : 1;
    if (m_duplicateCount > 0) --m_duplicateCount;
    // The line is first-in first-out: a reply never overtakes one queued before it.
    qint64 due = nowMs() + m_delayMs;
    if (!m_outgoing.empty()) due = std::max(due, m_outgoing.back().dueMs);
    for (int copy = 0; copy < copies; ++copy) {
        if (!m_split) {
            m_outgoing.push_back({due, bytes, false});
        } else {
            for (int i = 0; i < bytes.size(); ++i) {
                m_outgoing.push_back({due, bytes.mid(i, 1), false});
                if (i + 1 < bytes.size()) due += m_splitGapMs;
            }
        }
        // The reply counts as written once its last piece is.
        m_outgoing.back().endsReply = true;
    }
}

int CLoggerSimulator::nextTimeoutMs() const
{
    // Called with m_mutex held.
    const qint64 now = nowMs();
    qint64 next = now + 50;
    if (!m_posted.empty()) return 0;
    if (!m_outgoing.empty()) next = std::min(next, m_outgoing.front().dueMs);
    if (m_model && m_model->tickIntervalMs() > 0 && m_plugged && !m_silent) next = std::min(next, m_nextTickMs);
    // A restart waits for the host to read the line: looked at again soon.
    if (m_restartAbsentMs >= 0) next = std::min(next, now + 5);
    if (m_returnDueMs >= 0) next = std::min(next, m_returnDueMs);
    return int(std::max<qint64>(0, next - now));
}

void CLoggerSimulator::threadMain()
{
    m_nextTickMs = nowMs();
    while (!m_stopRequested.load()) {
        pollOnce();
        runPosted();
        readHost();
        cutFrames();
        runTicks();
        flushDue();
        runRestart();
    }
}

void CLoggerSimulator::pollOnce()
{
    struct pollfd fds[2];
    int count = 0;
    int timeout = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        timeout = nextTimeoutMs();
        fds[count++] = {m_wakeRead, POLLIN, 0};
        if (m_masterFd >= 0) {
            short events = POLLIN;
            if (!m_outgoing.empty() && m_outgoing.front().dueMs <= nowMs()) events |= POLLOUT;
            fds[count++] = {m_masterFd, events, 0};
        }
    }
    ::poll(fds, nfds_t(count), timeout);
    char drain[64];
    while (::read(m_wakeRead, drain, sizeof drain) > 0) {
    }
}

void CLoggerSimulator::runPosted()
{
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_posted.empty()) break;
            fn = std::move(m_posted.front());
            m_posted.pop_front();
        }
        fn();
    }
    bool replugged = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::swap(replugged, m_replugged);
    }
    if (replugged && m_model) m_model->onReplug();
}

void CLoggerSimulator::readHost()
{
    int fd = -1;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        fd = m_masterFd;
    }
    if (fd < 0) return;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        m_pendingIn.append(buffer, int(n));
    }
}

void CLoggerSimulator::cutFrames()
{
    if (!m_model) {
        m_pendingIn.clear();
        return;
    }
    while (!m_pendingIn.isEmpty()) {
        const auto* data = reinterpret_cast<const unsigned char*>(m_pendingIn.constData());
        const int size = m_pendingIn.size();
        int n = m_model->frameLength(data, size);
        if (n == 0 || n > size) break; // a model asking for more than it has waits for it
        if (n < 0) {
            const int skip = std::min(-n, size);
            std::lock_guard<std::mutex> lock(m_mutex);
            m_garbage.append(m_pendingIn.left(skip));
            m_pendingIn.remove(0, skip);
            continue;
        }
        const QByteArray frame = m_pendingIn.left(n);
        m_pendingIn.remove(0, n);
        bool silent = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_frames.append(frame);
            silent = m_silent;
            m_logChanged.notify_all();
        }
        if (!silent) m_model->onFrame(frame, *m_output);
    }
}

void CLoggerSimulator::runTicks()
{
    if (!m_model) return;
    const int interval = m_model->tickIntervalMs();
    const qint64 now = nowMs();
    if (interval <= 0) {
        m_nextTickMs = now;
        return;
    }
    bool active = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        active = m_plugged && !m_silent;
    }
    if (now < m_nextTickMs) return;
    m_nextTickMs = now + interval;
    if (active) m_model->onTick(*m_output);
}

void CLoggerSimulator::flushDue()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const qint64 now = nowMs();
    while (m_masterFd >= 0 && !m_outgoing.empty()) {
        Pending& head = m_outgoing.front();
        if (head.dueMs > now) break;
        const ssize_t n = ::write(m_masterFd, head.bytes.constData(), size_t(head.bytes.size()));
        if (n <= 0) break; // the host is not reading: try again when the line drains
        m_bytesToHost += n;
        m_lastWriteMs = now;
        if (n < head.bytes.size()) {
            head.bytes.remove(0, int(n));
            break;
        }
        if (head.endsReply) ++m_repliesWritten;
        m_outgoing.pop_front();
    }
}

// ---- the device's own restarts

void CLoggerSimulator::setRestartListener(std::function<void(const QString&, const QString&)> listener)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_restartListener = std::move(listener);
}

QString CLoggerSimulator::linkPath() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_linkPath;
}

bool CLoggerSimulator::setLinkPath(const QString& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    updateLink(false, nullptr);
    m_linkPath = path;
    QString error;
    if (!updateLink(m_plugged, &error)) {
        m_error = error;
        m_linkPath.clear();
        return false;
    }
    return true;
}

bool CLoggerSimulator::updateLink(bool present, QString* error)
{
    // Called with m_mutex held. Only a symbolic link is ever replaced or removed: a path that
    // names anything else is left alone and refused.
    if (m_linkPath.isEmpty()) return true;
    const QByteArray link = m_linkPath.toLocal8Bit();
    struct stat st;
    const bool exists = ::lstat(link.constData(), &st) == 0;
    if (exists && !S_ISLNK(st.st_mode)) {
        if (error) *error = QStringLiteral("%1 exists and is not a symbolic link").arg(m_linkPath);
        return false;
    }
    if (!present) {
        if (exists) ::unlink(link.constData());
        return true;
    }
    // A new link under a temporary name replaces the old one in one step.
    const QByteArray fresh = link + ".new";
    ::unlink(fresh.constData());
    if (::symlink(m_portName.toLocal8Bit().constData(), fresh.constData()) != 0
        || ::rename(fresh.constData(), link.constData()) != 0) {
        if (error)
            *error = QStringLiteral("cannot link %1: %2").arg(m_linkPath, QString::fromLocal8Bit(std::strerror(errno)));
        ::unlink(fresh.constData());
        return false;
    }
    return true;
}

void CLoggerSimulator::requestRestart(int absentMs)
{
    // Called by the model on the simulator thread.
    m_restartAbsentMs = std::max(0, absentMs);
    m_restartAskedMs = nowMs();
}

void CLoggerSimulator::runRestart()
{
    QString before;
    QString now;
    std::function<void(const QString&, const QString&)> listener;
    if (m_restartAbsentMs >= 0) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            // What the device said before it restarts reaches the host first: written, and read
            // from the line (a closed pair takes unread bytes with it), unless the host has
            // stopped reading.
            // The line takes a moment to hand written bytes to the reading side.
            int unread = 0;
            if (m_slaveFd >= 0 && ::ioctl(m_slaveFd, FIONREAD, &unread) != 0) unread = 0;
            const bool flushed = m_outgoing.empty() && nowMs() - m_lastWriteMs >= kLineSettleMs && unread == 0;
            if (m_plugged && !flushed && nowMs() - m_restartAskedMs < kRestartFlushMs) return;
            before = m_portName;
        }
        m_returnDueMs = nowMs() + m_restartAbsentMs;
        m_restartAbsentMs = -1;
        closePair();
        m_pendingIn.clear();
    } else if (m_returnDueMs >= 0 && nowMs() >= m_returnDueMs) {
        m_returnDueMs = -1;
        QString error;
        if (!openPair(&error)) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_error = error;
            return;
        }
        if (m_model) m_model->onReplug();
        now = portName();
    } else {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        listener = m_restartListener;
    }
    if (listener) listener(before, now);
}

} // namespace kvsim

#pragma once
// CLoggerSimulator: a pseudo-terminal pair standing in for a logger's serial port.
//
// The program under test opens portName() (the slave side) exactly as it opens a USB serial
// device. The simulator reads the master side on its own thread, reassembles host frames with
// the device model's frameLength() from whatever chunks arrive, logs every frame, hands it to
// the model and writes the model's replies back, bent by the knobs below.
//
//   auto sim = std::make_unique<kvsim::CLoggerSimulator>(std::make_unique<MyModel>());
//   QVERIFY(sim->start());
//   port.setPortName(sim->portName());  ...
//   QVERIFY(sim->waitForFrames(1, 2000));
//   QCOMPARE(sim->frames().at(0), expectedBytes);
//
// The simulator keeps its own descriptor of the slave side open, so the host may close and
// reopen the port without the link hanging up. unplug() closes both sides: the host's reads
// fail and the device path disappears, like a pulled USB cable; replug() makes a new pair
// (with a new path) and tells the model. A model may also restart the device by itself
// (ISimOutput::restartAsNewDevice): it leaves and comes back on a new pair, which a restart
// listener hears of and a link (setLinkPath) follows.
//
// All public functions are thread-safe.
#include "simulator/DeviceModel.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace kvsim {

class CLoggerSimulator
{
public:
    explicit CLoggerSimulator(std::unique_ptr<IDeviceModel> model);
    ~CLoggerSimulator();
    CLoggerSimulator(const CLoggerSimulator&) = delete;
    CLoggerSimulator& operator=(const CLoggerSimulator&) = delete;

    // Opens the pseudo-terminal pair (raw mode) and starts the simulator thread.
    bool start();
    // Stops the thread and closes both sides. Called by the destructor.
    void stop();
    bool isRunning() const { return m_running.load(); }
    QString errorString() const;

    // The slave device path the host opens (e.g. "/dev/pts/7"); empty while unplugged.
    QString portName() const;
    IDeviceModel* model() const { return m_model.get(); }

    // ---- knobs (each takes effect for replies queued after the call)
    // Writes every reply one byte per write() call, gapMs apart.
    void setSplitWrites(bool on, int gapMs = 0);
    // Holds each reply back for ms milliseconds before writing it.
    void setReplyDelay(int ms);
    // Drops the next `count` replies (not written at all).
    void dropReplies(int count);
    // Writes each of the next `count` replies twice.
    void duplicateReplies(int count);
    // Writes `bytes` before the next `replies` replies (-1: before every reply).
    void setGarbagePrefix(const QByteArray& bytes, int replies = 1);
    // A silent device still reads and logs host frames but neither answers nor ticks.
    void setSilent(bool on);
    // Pulls the cable: both sides closed, pending replies discarded, host frames no longer read.
    void unplug();
    // Plugs in again on a fresh pair; portName() changes. False when the pair cannot be opened.
    bool replug();
    bool isPlugged() const;

    // ---- the device's own restarts (ISimOutput::restartAsNewDevice)
    // Told on the simulator thread when the device leaves by itself (now empty) and when it
    // comes back (before empty, now its new path); not for unplug() and replug().
    void setRestartListener(std::function<void(const QString& before, const QString& now)> listener);
    // A stable name for the device: a symbolic link at `path` to the slave side, there while
    // the device is plugged in and gone while it is away, as a USB serial device's node comes
    // and goes with it. The program finds the device again under this name after a restart.
    // False when the link cannot be made; an empty path removes it.
    bool setLinkPath(const QString& path);
    QString linkPath() const;

    // Writes raw bytes to the host at once, bypassing the model and the knobs.
    void inject(const QByteArray& bytes);
    // Runs fn on the simulator thread (between model calls); returns at once.
    void post(std::function<void()> fn);
    // Like post(), but waits up to timeoutMs for fn to have run. False on time-out.
    bool invoke(std::function<void()> fn, int timeoutMs = 2000);

    // ---- log
    QList<QByteArray> frames() const;
    int frameCount() const;
    // Waits until at least `count` host frames have been logged since the last clearLog().
    bool waitForFrames(int count, int timeoutMs) const;
    // Host bytes that could not start a frame, in arrival order.
    QByteArray garbage() const;
    int repliesWritten() const;   // whole replies put on the wire (a duplicate counts twice)
    int repliesDropped() const;  // by dropReplies(), or because the host stopped reading
    qint64 bytesToHost() const;
    void clearLog();

private:
    struct Pending
    {
        qint64 dueMs;
        QByteArray bytes;
        bool endsReply;
    };
    class Output;
    friend class Output;

    bool openPair(QString* error);
    void closePair();
    void threadMain();
    void pollOnce();
    void readHost();
    void cutFrames();
    void runTicks();
    void flushDue();
    void runPosted();
    void queueReply(const QByteArray& frame);
    // The device's own restart: leave once the replies are out, come back when due.
    void requestRestart(int absentMs);
    void runRestart();
    // Puts the link at the current slave side, or removes it. Called with m_mutex held.
    bool updateLink(bool present, QString* error);
    void wake();
    qint64 nowMs() const;
    int nextTimeoutMs() const;

    std::unique_ptr<IDeviceModel> m_model;
    std::unique_ptr<Output> m_output;

    mutable std::mutex m_mutex; // guards everything below that other threads touch
    mutable std::condition_variable m_logChanged;
    int m_masterFd = -1;
    int m_slaveFd = -1;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    QString m_portName;
    QString m_error;
    bool m_plugged = false;
    bool m_replugged = false;
    bool m_split = false;
    int m_splitGapMs = 0;
    int m_delayMs = 0;
    int m_dropCount = 0;
    int m_duplicateCount = 0;
    QByteArray m_garbagePrefix;
    int m_garbageReplies = 0;
    bool m_silent = false;
    std::deque<Pending> m_outgoing;
    std::deque<std::function<void()>> m_posted;
    QList<QByteArray> m_frames;
    QByteArray m_garbage;
    int m_repliesWritten = 0;
    int m_repliesDropped = 0;
    qint64 m_bytesToHost = 0;

    QString m_linkPath;
    std::function<void(const QString&, const QString&)> m_restartListener;

    // Simulator-thread only.
    QByteArray m_pendingIn;
    qint64 m_nextTickMs = 0;
    int m_restartAbsentMs = -1;  // a restart asked for: leave once the replies are out
    qint64 m_restartAskedMs = 0;
    qint64 m_lastWriteMs = 0;
    qint64 m_returnDueMs = -1;   // away after a restart: back at this time

    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stopRequested{false};
    qint64 m_startNs = 0;
    std::thread m_thread;
};

} // namespace kvsim

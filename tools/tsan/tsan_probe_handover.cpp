// Hand-overs through Qt's queues and pools. The quiet cases hand a value over cleanly (a queued
// call or signal to a receiver of Qt's own class, a task started on a second pool); the race
// cases are races of ours that pass through Qt (a record it copies and destroys for a queued
// signal, a function of ours on a thread a library started, a queued call after an unrelated
// signal or to a receiver of Qt's, a pool task beside a start on another pool). Each race
// names a function of ours that the report must show.
#include "TsanProbe.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent>

#include <dlfcn.h>

namespace {

long g_Value = 0;

// ---- A record of ours that Qt copies and destroys for a queued signal; the copy reads, and
// the copy's end reads, a value another thread writes unordered.
long g_ReadByCopy = 0;
long g_ReadByCopysEnd = 0;

__attribute__((noinline)) long ReadInRecordCopy()
{
    return g_ReadByCopy;
}

__attribute__((noinline)) long ReadInRecordDestroy()
{
    return g_ReadByCopysEnd;
}

struct CProbeRecord
{
    CProbeRecord() = default;
    CProbeRecord(const CProbeRecord& other) : value(other.value + ReadInRecordCopy()), copy(true) {}
    ~CProbeRecord()
    {
        if (copy)
            g_Value += ReadInRecordDestroy();
    }
    long value = 0;
    bool copy = false;
};

} // namespace

Q_DECLARE_METATYPE(CProbeRecord)

class CRecordEmitter : public QObject
{
    Q_OBJECT
signals:
    void record(const CProbeRecord& r);
};

namespace {

// The writer writes before the sender emits (told through a relaxed flag, no ordering), so
// the copy and its end come after the write; both threads stay until the main thread has
// handled (and destroyed) the queued copy.
int Queued(bool racyCopy)
{
    qRegisterMetaType<CProbeRecord>();
    CRecordEmitter emitter;
    struct Receiver : QObject {
    } receiver;
    QObject::connect(&emitter, &CRecordEmitter::record, &receiver, [](const CProbeRecord&) { QCoreApplication::quit(); },
                     Qt::QueuedConnection);
    std::atomic<bool> written{false};
    CMeeting after(3);
    QThread* writer = QThread::create([&] {
        (racyCopy ? g_ReadByCopy : g_ReadByCopysEnd) = 3;
        written.store(true, std::memory_order_relaxed);
        after.meet();
    });
    QThread* sender = QThread::create([&] {
        AwaitRelaxed([&] { return written.load(std::memory_order_relaxed); });
        emit emitter.record(CProbeRecord());
        after.meet();
    });
    writer->start();
    sender->start();
    QCoreApplication::exec();
    after.meet();
    writer->wait();
    sender->wait();
    delete writer;
    delete sender;
    return 0;
}

// ---- A function of ours that takes the pool as an argument: its name shows the pool's class.
__attribute__((noinline)) void CountBesidePool(QThreadPool* pool)
{
    Q_UNUSED(pool);
    ++g_Value;
}

int PoolArgument()
{
    QThreadPool pool;
    InTurn([&] { CountBesidePool(&pool); }, [&] { CountBesidePool(&pool); });
    return g_Value == 2 ? 0 : 1;
}

__attribute__((noinline)) void CountOnGlibThread()
{
    ++g_Value;
}

int GlibThread()
{
    // GLib is there already (Qt's event loop runs on it); its headers need not be.
    void* glib = dlopen("libglib-2.0.so.0", RTLD_NOW);
    using ThreadNew = void* (*)(const char*, void* (*)(void*), void*);
    using ThreadJoin = void* (*)(void*);
    const auto threadNew = reinterpret_cast<ThreadNew>(glib ? dlsym(glib, "g_thread_new") : nullptr);
    const auto threadJoin = reinterpret_cast<ThreadJoin>(glib ? dlsym(glib, "g_thread_join") : nullptr);
    if (!threadNew || !threadJoin)
        return 1;
    // GLib's thread counts first, then this one, the two meeting as InTurn's threads do.
    static CMeeting before(2), turn(2), after(2);
    void* thread = threadNew("probe", [](void*) -> void* {
        before.meet();
        CountOnGlibThread();
        turn.meet();
        after.meet();
        return nullptr;
    }, nullptr);
    before.meet();
    turn.meet();
    CountOnGlibThread();
    after.meet();
    threadJoin(thread);
    return g_Value == 2 ? 0 : 1;
}

__attribute__((noinline)) long ReadInUnrelatedCall()
{
    return g_Value;
}

// A worker does write and raises a relaxed flag (no ordering); a second thread, seeing the
// flag, queues to receiver a call that reads through read. The worker stays until the call has
// read, so that its slot in the checker is still its own when the read comes.
int QueuedReadAfterRelaxedFlag(QObject* receiver, const std::function<void()>& write, long (*read)(), long expected)
{
    std::atomic<bool> written{false};
    CMeeting after(2);
    long seen = 0;
    QThread* worker = QThread::create([&] {
        write();
        written.store(true, std::memory_order_relaxed);
        after.meet();
    });
    QThread* poster = QThread::create([&] {
        AwaitRelaxed([&] { return written.load(std::memory_order_relaxed); });
        QMetaObject::invokeMethod(receiver, [&] {
            seen = read();
            QCoreApplication::quit();
        }, Qt::QueuedConnection);
    });
    worker->start();
    poster->start();
    QCoreApplication::exec();
    after.meet();
    worker->wait();
    poster->wait();
    delete worker;
    delete poster;
    return seen == expected ? 0 : 1;
}

// The worker writes and emits a signal nobody on the main thread hears; the call goes to one of
// our own receivers.
int UnrelatedCall()
{
    CProbeEmitter emitter;
    struct Receiver : QObject {
    } receiver;
    return QueuedReadAfterRelaxedFlag(&receiver, [&] {
        g_Value = 21;
        emit emitter.ping();
    }, ReadInUnrelatedCall, 21);
}

// ---- Receivers of Qt's own classes: a plain object, a timer, the application.

long g_Handed[6];

int QtReceivers()
{
    QObject plain;
    QTimer timer;
    QObject* receivers[3] = {&plain, &timer, QCoreApplication::instance()};
    CProbeEmitter emitter;
    long seen[6] = {};
    int pending = 6;
    auto received = [&](int k, long value) {
        seen[k] = value;
        if (--pending == 0)
            QCoreApplication::quit();
    };
    for (int k = 0; k < 3; ++k)
        QObject::connect(&emitter, &CProbeEmitter::valued, receivers[k],
                         [&, k](long v) { received(3 + k, g_Handed[3 + k] + v); }, Qt::QueuedConnection);
    QThread* worker = QThread::create([&] {
        for (int k = 0; k < 3; ++k) {
            g_Handed[k] = k + 1;
            QMetaObject::invokeMethod(receivers[k], [&, k] { received(k, g_Handed[k]); }, Qt::QueuedConnection);
        }
        for (int k = 3; k < 6; ++k)
            g_Handed[k] = k + 1;
        emit emitter.valued(100);
    });
    worker->start();
    QCoreApplication::exec();
    worker->wait();
    delete worker;
    for (int k = 0; k < 6; ++k)
        if (seen[k] != k + 1 + (k < 3 ? 0 : 100))
            return 1;
    return 0;
}

__attribute__((noinline)) long ReadInQtReceiver()
{
    return g_Value;
}

// The worker only writes; the call goes to a plain QObject.
int QtReceiverRace()
{
    QObject plain;
    return QueuedReadAfterRelaxedFlag(&plain, [] { g_Value = 34; }, ReadInQtReceiver, 34);
}

// ---- Pools: a task sees what was done before its own pool's start, not before another's.

int PoolStart()
{
    QThreadPool second;
    for (long round = 0; round < 200; ++round) {
        g_Value = round;
        if (QtConcurrent::run(&second, [] { return g_Value; }).result() != round)
            return 1;
    }
    return 0;
}

__attribute__((noinline)) long ReadInPoolTask()
{
    return g_Value;
}

// One thread writes and starts a task on pool A; the main thread, told through a relaxed flag,
// starts a task on pool B that reads what was written. The writer stays until the task has read.
// On a loaded machine about one round in four hundred drew no report; in those rounds the two
// pools' threads came to be ordered inside Qt, out of the probe's reach. Rounds with pools of
// their own make a miss of all of them unheard of.
int PoolOther()
{
    for (int round = 0; round < 4; ++round) {
        QThreadPool first, second;
        std::atomic<bool> started{false};
        CMeeting after(2);
        QThread* writer = QThread::create([&] {
            g_Value = 55 + round;
            QtConcurrent::run(&first, [] {});
            started.store(true, std::memory_order_relaxed);
            after.meet();
        });
        writer->start();
        AwaitRelaxed([&] { return started.load(std::memory_order_relaxed); });
        QFuture<long> task = QtConcurrent::run(&second, [&] {
            const long v = ReadInPoolTask();
            after.meet();
            return v;
        });
        task.waitForFinished();
        writer->wait();
        delete writer;
        first.waitForDone();
    }
    return 0;
}

} // namespace

const ProbeCase g_HandOverCases[] = {{"queued_copy", [] { return Queued(true); }},
                                     {"queued_destroy", [] { return Queued(false); }},
                                     {"pool_argument", PoolArgument},
                                     {"glib_thread", GlibThread},
                                     {"unrelated_call", UnrelatedCall},
                                     {"qt_receivers", QtReceivers},
                                     {"qt_receiver_race", QtReceiverRace},
                                     {"pool_start", PoolStart},
                                     {"pool_other", PoolOther},
                                     {nullptr, nullptr}};

#include "tsan_probe_handover.moc"

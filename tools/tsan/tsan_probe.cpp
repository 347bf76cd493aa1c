// Runs one synchronisation pattern between two threads over a plain counter, for the
// ThreadSanitizer runs: every pattern but "race" is correctly ordered through a Qt primitive
// and must draw no report; "race" guards the counter with two different mutexes and must.
// The library patterns are races in our code that pass through a library (a copy it makes of
// our memory, our copy constructor it calls, our function on a thread it started, a queued
// call after an unrelated signal): each must still be reported, whatever the suppressions
// and the preload say about the library's own doings.
#include <QByteArray>
#include <QCoreApplication>
#include <QHostAddress>
#include <QImage>
#include <QMutex>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <QUdpSocket>
#include <QWaitCondition>
#include <QtConcurrent>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>

namespace {

constexpr int kRounds = 2000;
long g_Counter = 0; // deliberately plain: only the Qt primitive orders the accesses

template <typename Fn>
void TwoThreads(Fn body)
{
    QThread* a = QThread::create([&] { body(0); });
    QThread* b = QThread::create([&] { body(1); });
    a->start();
    b->start();
    a->wait();
    b->wait();
    delete a;
    delete b;
}

int Mutex()
{
    QMutex m;
    TwoThreads([&](int) {
        for (int i = 0; i < kRounds; ++i) {
            QMutexLocker lock(&m);
            ++g_Counter;
        }
    });
    return g_Counter == 2 * kRounds ? 0 : 1;
}

int Race()
{
    QMutex m[2];
    TwoThreads([&](int who) {
        for (int i = 0; i < kRounds; ++i) {
            QMutexLocker lock(&m[who]);
            ++g_Counter;
        }
    });
    return 0;
}

int Semaphore()
{
    // Ping-pong: each thread writes only while it holds the turn the other one released.
    QSemaphore turn[2];
    turn[0].release();
    TwoThreads([&](int who) {
        for (int i = 0; i < kRounds / 10; ++i) {
            turn[who].acquire();
            ++g_Counter;
            turn[1 - who].release();
        }
    });
    return g_Counter == 2 * (kRounds / 10) ? 0 : 1;
}

int WaitCondition()
{
    QMutex m;
    QWaitCondition ready;
    bool posted = false;
    long value = 0;
    QThread* producer = QThread::create([&] {
        value = 42; // written outside the lock, published by the wake
        QMutexLocker lock(&m);
        posted = true;
        ready.wakeAll();
    });
    producer->start();
    {
        QMutexLocker lock(&m);
        while (!posted)
            ready.wait(&m);
    }
    const long seen = value;
    producer->wait();
    delete producer;
    return seen == 42 ? 0 : 1;
}

int ThreadWait()
{
    QThread* t = QThread::create([] { g_Counter = 7; });
    t->start();
    t->wait();
    const long seen = g_Counter;
    delete t;
    return seen == 7 ? 0 : 1;
}

int Future()
{
    // Many rounds: the stored result is freed by whichever side lets go last, the task on its
    // pool thread or the caller's future, and both orders must stay quiet.
    for (long round = 0; round < kRounds / 10; ++round) {
        QFuture<long> f = QtConcurrent::run([round] {
            g_Counter = round;
            return round + 5;
        });
        const long r = f.result();
        f.waitForFinished();
        if (r != round + 5 || g_Counter != round)
            return 1;
    }
    return 0;
}

int QueuedCall()
{
    // A value written on a worker thread, then handed to the main thread by a queued call.
    long seen = 0;
    // A class of ours, as every receiver in the program is.
    struct Receiver : QObject {
    } receiver;
    QThread* t = QThread::create([&] {
        g_Counter = 13;
        QMetaObject::invokeMethod(&receiver, [&] {
            seen = g_Counter;
            QCoreApplication::quit();
        }, Qt::QueuedConnection);
    });
    t->start();
    QCoreApplication::exec();
    t->wait();
    delete t;
    return seen == 13 ? 0 : 1;
}

// ---- Races through libraries

char g_Bytes[4096];   // ours, written on one thread while a library reads it on another

__attribute__((noinline)) void WriteOurBytes()
{
    for (size_t i = 0; i < sizeof g_Bytes; ++i)
        g_Bytes[i] = char(i);
}

// One thread writes our bytes, the other hands them to the library, with nothing between.
template <typename Fn>
int WhileWritten(Fn readThroughLibrary)
{
    TwoThreads([&](int who) {
        if (who == 0)
            WriteOurBytes();
        else
            readThroughLibrary();
    });
    return 0;
}

int CopiedByCore()
{
    return WhileWritten([] {
        QByteArray copy;
        copy.append(g_Bytes, int(sizeof g_Bytes));
    });
}

int CopiedByGui()
{
    return WhileWritten([] {
        const QImage view(reinterpret_cast<const uchar*>(g_Bytes), 32, 32, QImage::Format_ARGB32);
        const QImage copy = view.copy();
        Q_UNUSED(copy);
    });
}

int SentByNetwork()
{
    return WhileWritten([] {
        QUdpSocket socket;
        socket.writeDatagram(g_Bytes, 512, QHostAddress::LocalHost, 9);
    });
}

// A record of ours that Qt copies and destroys for a queued signal; the copy reads, and the
// copy's end reads, a value another thread writes unordered.
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
            g_Counter += ReadInRecordDestroy();
    }
    long value = 0;
    bool copy = false;
};

} // namespace

Q_DECLARE_METATYPE(CProbeRecord)

class CProbeEmitter : public QObject
{
    Q_OBJECT
signals:
    void record(const CProbeRecord& r);
    void ping();
};

namespace {

int Queued(bool racyCopy)
{
    qRegisterMetaType<CProbeRecord>();
    CProbeEmitter emitter;
    struct Receiver : QObject {
    } receiver;
    QObject::connect(&emitter, &CProbeEmitter::record, &receiver, [](const CProbeRecord&) { QCoreApplication::quit(); },
                     Qt::QueuedConnection);
    QThread* writer = QThread::create([racyCopy] { (racyCopy ? g_ReadByCopy : g_ReadByCopysEnd) = 3; });
    QThread* sender = QThread::create([&] { emit emitter.record(CProbeRecord()); });
    writer->start();
    sender->start();
    QCoreApplication::exec();
    writer->wait();
    sender->wait();
    delete writer;
    delete sender;
    return 0;
}

// A function of ours that takes the pool as an argument: its name shows the pool's class.
__attribute__((noinline)) void CountBesidePool(QThreadPool* pool)
{
    Q_UNUSED(pool);
    ++g_Counter;
}

int PoolArgument()
{
    QThreadPool pool;
    TwoThreads([&](int) { CountBesidePool(&pool); });
    return 0;
}

__attribute__((noinline)) void CountOnGlibThread()
{
    ++g_Counter;
}

// Both sides wait for each other through relaxed flags (no ordering), then count side by side.
std::atomic<bool> g_Counted[2];

void CountThenMeet(int who)
{
    g_Counted[who].store(true, std::memory_order_relaxed);
    while (!g_Counted[1 - who].load(std::memory_order_relaxed))
        QThread::yieldCurrentThread();
    for (int round = 0; round < 100; ++round) {
        CountOnGlibThread();
        QThread::yieldCurrentThread();
    }
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
    void* thread = threadNew("probe", [](void*) -> void* {
        CountThenMeet(1);
        return nullptr;
    }, nullptr);
    CountThenMeet(0);
    threadJoin(thread);
    return 0;
}

__attribute__((noinline)) long ReadInUnrelatedCall()
{
    return g_Counter;
}

// A worker writes and emits a signal nobody on the main thread hears; a second thread, which
// only learns of that emission through a relaxed flag (no ordering), queues a call to the main
// thread that reads what the worker wrote.
int UnrelatedCall()
{
    CProbeEmitter emitter;
    struct Receiver : QObject {
    } receiver;
    std::atomic<bool> emitted{false};
    long seen = 0;
    QThread* worker = QThread::create([&] {
        g_Counter = 21;
        emit emitter.ping();
        emitted.store(true, std::memory_order_relaxed);
    });
    QThread* poster = QThread::create([&] {
        while (!emitted.load(std::memory_order_relaxed))
            QThread::yieldCurrentThread();
        QMetaObject::invokeMethod(&receiver, [&] {
            seen = ReadInUnrelatedCall();
            QCoreApplication::quit();
        }, Qt::QueuedConnection);
    });
    worker->start();
    poster->start();
    QCoreApplication::exec();
    worker->wait();
    poster->wait();
    delete worker;
    delete poster;
    return seen == 21 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const char* which = argc > 1 ? argv[1] : "";
    struct Case { const char* name; int (*run)(); };
    const Case cases[] = {{"mutex", Mutex}, {"race", Race}, {"semaphore", Semaphore},
                          {"waitcondition", WaitCondition}, {"threadwait", ThreadWait}, {"future", Future},
                          {"queued", QueuedCall}, {"core_copy", CopiedByCore}, {"gui_copy", CopiedByGui},
                          {"network_send", SentByNetwork}, {"queued_copy", [] { return Queued(true); }},
                          {"queued_destroy", [] { return Queued(false); }}, {"pool_argument", PoolArgument},
                          {"glib_thread", GlibThread}, {"unrelated_call", UnrelatedCall}};
    for (const Case& c : cases)
        if (std::strcmp(which, c.name) == 0)
            return c.run();
    std::fprintf(stderr, "usage: tsan_probe CASE (see the table in main)\n");
    return 2;
}

#include "tsan_probe.moc"

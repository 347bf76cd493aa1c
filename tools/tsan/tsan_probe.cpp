// Runs one synchronisation pattern between threads, for the ThreadSanitizer runs: the quiet
// cases are correctly ordered through a Qt primitive and must draw no report; the race cases
// are races of ours that must be reported, whatever the suppressions and the preload say about
// what the libraries do themselves. The cases live by kind: this file's orderings through
// Qt's primitives, copies of our memory a library makes (tsan_probe_copies.cpp), hand-overs
// through Qt's queues and pools (tsan_probe_handover.cpp), Qt's locks (tsan_probe_locks.cpp).
#include "TsanProbe.h"

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QMutex>
#include <QSemaphore>
#include <QThreadPool>
#include <QWaitCondition>
#include <QtConcurrent>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kRounds = 2000;
long g_Counter = 0; // deliberately plain: only the Qt primitive orders the accesses

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

__attribute__((noinline)) void CountUnderOwnMutex()
{
    ++g_Counter;
}

// Each thread counts under a mutex of its own, one after the other: two mutexes order nothing.
int Race()
{
    QMutex m[2];
    auto countUnder = [&](int which) {
        QMutexLocker lock(&m[which]);
        CountUnderOwnMutex();
    };
    InTurn([&] { countUnder(0); }, [&] { countUnder(1); });
    return g_Counter == 2 ? 0 : 1;
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

// A watcher's finished slot on the main thread reads what its task wrote on a pool thread.
int Watcher()
{
    for (long round = 0; round < 20; ++round) {
        QFutureWatcher<long> watcher;
        long seen = -1;
        QObject::connect(&watcher, &QFutureWatcherBase::finished, [&] {
            seen = g_Counter + watcher.result();
            QCoreApplication::quit();
        });
        watcher.setFuture(QtConcurrent::run([round] {
            g_Counter = round;
            return round;
        }));
        QCoreApplication::exec();
        if (seen != 2 * round)
            return 1;
    }
    return 0;
}

__attribute__((noinline)) long ReadInWatcherSlot()
{
    return g_Counter;
}

// A task on pool A that nobody watches writes; the main thread sees it end through isFinished()
// alone, which orders nothing; the finished slot of a watcher of another task (on pool B) then
// reads. The watcher's notification is ordered after its own task only. Both pools and the
// unwatched future outlive the read: a pool's end waits for its threads, and the last copy of a
// future acquires its state, either of which would order the write before the read.
int WatcherOther()
{
    QThreadPool first, second;
    QFuture<void> unwatched = QtConcurrent::run(&first, [] { g_Counter = 89; });
    AwaitRelaxed([&] { return unwatched.isFinished(); });
    QFutureWatcher<void> watcher;
    long seen = 0;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, [&] {
        seen = ReadInWatcherSlot();
        QCoreApplication::quit();
    });
    watcher.setFuture(QtConcurrent::run(&second, [] {}));
    QCoreApplication::exec();
    return seen == 89 ? 0 : 1;
}

int QueuedCall()
{
    // A value written on a worker thread, then handed to the main thread by a queued call.
    long seen = 0;
    // A class of ours, as most receivers in the program are.
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

} // namespace

const ProbeCase g_SyncCases[] = {{"mutex", Mutex}, {"race", Race}, {"semaphore", Semaphore},
                                 {"waitcondition", WaitCondition}, {"threadwait", ThreadWait}, {"future", Future},
                                 {"watcher", Watcher}, {"watcher_other", WatcherOther}, {"queued", QueuedCall}, {nullptr, nullptr}};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const char* which = argc > 1 ? argv[1] : "";
    for (const ProbeCase* table : {g_SyncCases, g_CopyCases, g_HandOverCases, g_LockCases})
        for (const ProbeCase* c = table; c->name; ++c)
            if (std::strcmp(which, c->name) == 0)
                return c->run();
    std::fprintf(stderr, "usage: tsan_probe CASE (see the case tables)\n");
    return 2;
}

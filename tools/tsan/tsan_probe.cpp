// Runs one synchronisation pattern between two threads over a plain counter, for the
// ThreadSanitizer runs: every pattern but "race" is correctly ordered through a Qt primitive
// and must draw no report; "race" guards the counter with two different mutexes and must.
#include <QCoreApplication>
#include <QMutex>
#include <QSemaphore>
#include <QThread>
#include <QWaitCondition>
#include <QtConcurrent>

#include <cstdio>
#include <cstring>

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

int Queued()
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const char* which = argc > 1 ? argv[1] : "";
    struct Case { const char* name; int (*run)(); };
    const Case cases[] = {{"mutex", Mutex}, {"race", Race}, {"semaphore", Semaphore},
                          {"waitcondition", WaitCondition}, {"threadwait", ThreadWait}, {"future", Future}, {"queued", Queued}};
    for (const Case& c : cases)
        if (std::strcmp(which, c.name) == 0)
            return c.run();
    std::fprintf(stderr, "usage: tsan_probe mutex|race|semaphore|waitcondition|threadwait|future|queued\n");
    return 2;
}

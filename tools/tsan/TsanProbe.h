#pragma once
// What the ThreadSanitizer probe cases share: the threads they run, the meetings that keep two
// racing accesses unordered for certain and in turn, and the emitter whose signals cross
// threads.
#include <QObject>
#include <QThread>

#include <atomic>
#include <climits>
#include <functional>

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

// Waits until the flag is up, seeing no ordering through it (a relaxed load). A millisecond
// between looks: the checker keeps a bounded history of each thread's accesses, and a thread
// spinning on the flag would push out of it the racing access a report has to show (the
// report is then dropped).
inline void AwaitRelaxed(const std::function<bool()>& up)
{
    while (!up())
        QThread::msleep(1);
}

// Threads that wait here for each other see no ordering through it. A race probe's threads
// meet before their racing accesses, so that both are running, and again after them, so that
// neither ends (and hands its place in the checker on to a later thread, whose accesses would
// then look ordered after its own) before the other has made its access. The wait sleeps in
// the kernel (a futex the checker does not see): a thread that polled while the other was
// kept off the processor for seconds would fill its history, and the checker drops a report
// whose earlier access it can no longer find there.
class CMeeting
{
public:
    explicit CMeeting(int parties) : m_Parties(parties) {}
    void meet()
    {
        int seen = m_Arrived.fetch_add(1, std::memory_order_relaxed) + 1;
        if (seen >= m_Parties) {
            futex(FUTEX_WAKE_PRIVATE, INT_MAX);
            return;
        }
        while (seen < m_Parties) {
            futex(FUTEX_WAIT_PRIVATE, seen);
            seen = m_Arrived.load(std::memory_order_relaxed);
        }
    }

private:
    void futex(int op, int value)
    {
        syscall(SYS_futex, reinterpret_cast<int*>(&m_Arrived), op, value, nullptr, nullptr, 0);
    }

    const int m_Parties;
    std::atomic<int> m_Arrived{0};
    static_assert(sizeof(std::atomic<int>) == sizeof(int), "the futex is the counter itself");
};

// Runs a() and b() on two threads of their own and waits for both.
template <typename A, typename B>
void OnTwoThreads(A a, B b)
{
    QThread* first = QThread::create(a);
    QThread* second = QThread::create(b);
    first->start();
    second->start();
    first->wait();
    second->wait();
    delete first;
    delete second;
}

// Runs body(0) and body(1) side by side on two threads that meet before and after it: the
// quiet probes, whose threads take turns through the Qt primitive they check.
template <typename Fn>
void TwoThreads(Fn body)
{
    CMeeting before(2), after(2);
    auto side = [&](int who) {
        before.meet();
        body(who);
        after.meet();
    };
    OnTwoThreads([&] { side(0); }, [&] { side(1); });
}

// Runs first() on one thread, then second() on another, the race probes' two accesses: the
// second thread makes its access only once the first has made its own (told through a
// meeting), and the first stays until the second is done, so the later access always finds
// the earlier one in the checker's history. Side by side, two threads that each counted
// under a mutex of their own now and then drew no report, in runs where both counted at once.
template <typename First, typename Second>
void InTurn(First first, Second second)
{
    CMeeting before(2), turn(2), after(2);
    OnTwoThreads(
        [&] {
            before.meet();
            first();
            turn.meet();
            after.meet();
        },
        [&] {
            before.meet();
            turn.meet();
            second();
            after.meet();
        });
}

class CProbeEmitter : public QObject
{
    Q_OBJECT
signals:
    void ping();
    void valued(long value);
};

// The cases of each file: name and function, returning the exit code (a probe that checks its
// own result returns 1 when it is wrong).
struct ProbeCase
{
    const char* name;
    int (*run)();
};
extern const ProbeCase g_SyncCases[];
extern const ProbeCase g_CopyCases[];
extern const ProbeCase g_HandOverCases[];
extern const ProbeCase g_LockCases[];

// Qt's locks as the checker sees them: a lock taken in two orders is a potential deadlock to
// report, a read lock does not keep two writers apart; locks held in one order, a read-write
// lock used as meant, a recursive mutex locked again by its holder and waits on a condition
// under a read-write lock stay quiet.
#include "TsanProbe.h"

#include <QMutex>
#include <QReadWriteLock>
#include <QRecursiveMutex>
#include <QWaitCondition>

namespace {

constexpr int kRounds = 1000;
long g_Guarded = 0;

// A locks B on one thread, B locks A on another, one after the other: no deadlock happens,
// and the checker must still see the inversion.
int MutexInversion()
{
    QMutex a, b;
    QThread* first = QThread::create([&] {
        QMutexLocker outer(&a);
        QMutexLocker inner(&b);
        ++g_Guarded;
    });
    first->start();
    first->wait();
    QThread* second = QThread::create([&] {
        QMutexLocker outer(&b);
        QMutexLocker inner(&a);
        ++g_Guarded;
    });
    second->start();
    second->wait();
    delete first;
    delete second;
    return g_Guarded == 2 ? 0 : 1;
}

__attribute__((noinline)) void WriteUnderReadLock()
{
    ++g_Guarded;
}

int ReadLockRace()
{
    QReadWriteLock lock;
    auto writeUnderRead = [&] {
        QReadLocker read(&lock);
        WriteUnderReadLock();
    };
    InTurn(writeUnderRead, writeUnderRead);
    return g_Guarded == 2 ? 0 : 1;
}

// Every lock taken in the same order everywhere, by lockers, by hand and by tries; the
// recursive mutex locked twice by its holder; both threads counting under the read-write
// lock's write lock, then waiting under its read lock, on a condition, for the other's count.
int LocksInOrder()
{
    QMutex outer, inner;
    QRecursiveMutex recursive;
    QReadWriteLock rw;
    QWaitCondition counted;
    long written = 0;
    TwoThreads([&](int) {
        for (int i = 0; i < kRounds; ++i) {
            QMutexLocker first(&outer);
            while (!inner.tryLock(10)) {
            }
            QMutexLocker again(&recursive);
            QMutexLocker twice(&recursive);
            ++g_Guarded;
            inner.unlock();
        }
        for (int i = 0; i < kRounds; ++i) {
            QWriteLocker write(&rw);
            ++written;
            counted.wakeAll();
        }
        QReadLocker read(&rw);
        while (written < 2 * kRounds)
            counted.wait(&rw);
    });
    return g_Guarded == 2 * kRounds && written == 2 * kRounds ? 0 : 1;
}

} // namespace

const ProbeCase g_LockCases[] = {{"mutex_inversion", MutexInversion},
                                 {"read_lock_race", ReadLockRace},
                                 {"locks_in_order", LocksInOrder},
                                 {nullptr, nullptr}};

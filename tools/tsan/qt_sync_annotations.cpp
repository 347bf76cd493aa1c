// Preloaded into the ThreadSanitizer test runs (LD_PRELOAD). Debian's Qt is not built with
// ThreadSanitizer, so the sanitizer cannot see that QMutex, QReadWriteLock, QSemaphore,
// QWaitCondition, QThread::wait and QFuture order memory between threads: it would report
// correctly locked data as races, and miss a lock taken in two orders. Each wrapper below calls
// the real Qt function (found with dlsym(RTLD_NEXT)) and tells the sanitizer what it did.
//
// Only calls that reach Qt through the dynamic linker are seen, which is every call our code
// makes (QMutexLocker and the read and write lockers are inline and call the out-of-line lock
// functions); Qt's calls into itself stay invisible and are covered by the suppression file.
#include "TsanPreload.h"

#include <QDeadlineTimer>
#include <QFutureInterfaceBase>
#include <QFutureWatcherBase>
#include <QMutex>
#include <QReadWriteLock>
#include <QSemaphore>
#include <QThread>
#include <QWaitCondition>

using namespace KvTsan;

namespace {
// A recursive mutex may be locked again by its holder; the flag goes with every lock, as the
// mutex may have been made inside Qt, out of this library's sight.
unsigned MutexFlags(const QMutex* m)
{
    KV_REAL(recursive, bool (*)(const QBasicMutex*), "_ZNK11QBasicMutex11isRecursiveEv");
    return recursive(m) ? __tsan_mutex_write_reentrant : 0;
}
} // namespace

// ---- QMutex (and QRecursiveMutex, which locks through it)

void QMutex::lock() noexcept
{
    KV_REAL(real, void (*)(QMutex*), "_ZN6QMutex4lockEv");
    const unsigned flags = MutexFlags(this);
    PreLock(this, flags);
    real(this);
    PostLock(this, flags);
}

bool QMutex::tryLock(int timeout) noexcept
{
    KV_REAL(real, bool (*)(QMutex*, int), "_ZN6QMutex7tryLockEi");
    const unsigned flags = MutexFlags(this) | __tsan_mutex_try_lock;
    PreLock(this, flags);
    const bool locked = real(this, timeout);
    PostLock(this, locked ? flags : flags | __tsan_mutex_try_lock_failed);
    return locked;
}

void QMutex::unlock() noexcept
{
    KV_REAL(real, void (*)(QMutex*), "_ZN6QMutex6unlockEv");
    PreUnlock(this, 0);
    real(this);
    PostUnlock(this, 0);
}

// The destructors end the checker's record of a lock, so that one made later at the same
// address (on the stack, say) starts afresh. Defined under Qt's names, without the base
// destructor a C++ definition would add.
#define KV_DESTRUCTOR(fn, type, mangled)                                                         \
    extern "C" void fn(type* self) __asm__(mangled);                                             \
    extern "C" void fn(type* self)                                                               \
    {                                                                                            \
        KV_REAL(real, void (*)(type*), mangled);                                                 \
        Destroyed(self);                                                                         \
        real(self);                                                                              \
    }
KV_DESTRUCTOR(KvMutexD1, QMutex, "_ZN6QMutexD1Ev")
KV_DESTRUCTOR(KvMutexD2, QMutex, "_ZN6QMutexD2Ev")
KV_DESTRUCTOR(KvRecursiveMutexD1, QRecursiveMutex, "_ZN15QRecursiveMutexD1Ev")
KV_DESTRUCTOR(KvRecursiveMutexD2, QRecursiveMutex, "_ZN15QRecursiveMutexD2Ev")
KV_DESTRUCTOR(KvReadWriteLockD1, QReadWriteLock, "_ZN14QReadWriteLockD1Ev")
KV_DESTRUCTOR(KvReadWriteLockD2, QReadWriteLock, "_ZN14QReadWriteLockD2Ev")

// ---- QReadWriteLock: a read lock is shared; a recursive lock says so when it is made.

namespace {
constexpr unsigned ReadLock = __tsan_mutex_read_lock;

// Whether the caller, which holds the lock, holds it to read.
bool HeldToRead(const QReadWriteLock* lock)
{
    KV_REAL(state, int (*)(const QReadWriteLock*), "_ZNK14QReadWriteLock21stateForWaitConditionEv");
    return state(lock) == 0;   // LockedForRead
}

template <typename Real>
bool TryLockAs(QReadWriteLock* self, unsigned mode, Real tryIt)
{
    PreLock(self, mode | __tsan_mutex_try_lock);
    const bool locked = tryIt();
    PostLock(self, mode | __tsan_mutex_try_lock | (locked ? 0 : __tsan_mutex_try_lock_failed));
    return locked;
}
} // namespace

#define KV_RWLOCK_CONSTRUCTOR(fn, mangled)                                                       \
    extern "C" void fn(QReadWriteLock* self, QReadWriteLock::RecursionMode mode) __asm__(mangled); \
    extern "C" void fn(QReadWriteLock* self, QReadWriteLock::RecursionMode mode)                 \
    {                                                                                            \
        KV_REAL(real, void (*)(QReadWriteLock*, QReadWriteLock::RecursionMode), mangled);        \
        real(self, mode);                                                                        \
        if (mode == QReadWriteLock::Recursive)                                                   \
            Created(self, __tsan_mutex_write_reentrant | __tsan_mutex_read_reentrant);           \
    }
KV_RWLOCK_CONSTRUCTOR(KvReadWriteLockC1, "_ZN14QReadWriteLockC1ENS_13RecursionModeE")
KV_RWLOCK_CONSTRUCTOR(KvReadWriteLockC2, "_ZN14QReadWriteLockC2ENS_13RecursionModeE")

void QReadWriteLock::lockForRead()
{
    KV_REAL(real, void (*)(QReadWriteLock*), "_ZN14QReadWriteLock11lockForReadEv");
    PreLock(this, ReadLock);
    real(this);
    PostLock(this, ReadLock);
}

void QReadWriteLock::lockForWrite()
{
    KV_REAL(real, void (*)(QReadWriteLock*), "_ZN14QReadWriteLock12lockForWriteEv");
    PreLock(this, 0);
    real(this);
    PostLock(this, 0);
}

bool QReadWriteLock::tryLockForRead()
{
    KV_REAL(real, bool (*)(QReadWriteLock*), "_ZN14QReadWriteLock14tryLockForReadEv");
    return TryLockAs(this, ReadLock, [this] { return real(this); });
}

bool QReadWriteLock::tryLockForRead(int timeout)
{
    KV_REAL(real, bool (*)(QReadWriteLock*, int), "_ZN14QReadWriteLock14tryLockForReadEi");
    return TryLockAs(this, ReadLock, [this, timeout] { return real(this, timeout); });
}

bool QReadWriteLock::tryLockForWrite()
{
    KV_REAL(real, bool (*)(QReadWriteLock*), "_ZN14QReadWriteLock15tryLockForWriteEv");
    return TryLockAs(this, 0, [this] { return real(this); });
}

bool QReadWriteLock::tryLockForWrite(int timeout)
{
    KV_REAL(real, bool (*)(QReadWriteLock*, int), "_ZN14QReadWriteLock15tryLockForWriteEi");
    return TryLockAs(this, 0, [this, timeout] { return real(this, timeout); });
}

void QReadWriteLock::unlock()
{
    KV_REAL(real, void (*)(QReadWriteLock*), "_ZN14QReadWriteLock6unlockEv");
    const unsigned mode = HeldToRead(this) ? ReadLock : 0;
    PreUnlock(this, mode);
    real(this);
    PostUnlock(this, mode);
}

// ---- QWaitCondition: the lock is given up during the wait and taken again after it (inside
// Qt, unseen); a wake orders what the waker did before it with what the woken thread does after.

namespace {
template <typename Lock, typename Wait>
bool WaitUnlocked(QWaitCondition* self, Lock* lock, unsigned mode, Wait wait)
{
    if (!lock)
        return wait();
    PreUnlock(lock, mode);
    PostUnlock(lock, mode);
    const bool woken = wait();
    PreLock(lock, mode);
    PostLock(lock, mode);
    Acquire(self);
    return woken;
}
} // namespace

bool QWaitCondition::wait(QMutex* mutex, QDeadlineTimer deadline)
{
    KV_REAL(real, bool (*)(QWaitCondition*, QMutex*, QDeadlineTimer), "_ZN14QWaitCondition4waitEP6QMutex14QDeadlineTimer");
    return WaitUnlocked(this, mutex, 0, [&] { return real(this, mutex, deadline); });
}

bool QWaitCondition::wait(QMutex* mutex, unsigned long time)
{
    KV_REAL(real, bool (*)(QWaitCondition*, QMutex*, unsigned long), "_ZN14QWaitCondition4waitEP6QMutexm");
    return WaitUnlocked(this, mutex, 0, [&] { return real(this, mutex, time); });
}

bool QWaitCondition::wait(QReadWriteLock* lock, QDeadlineTimer deadline)
{
    KV_REAL(real, bool (*)(QWaitCondition*, QReadWriteLock*, QDeadlineTimer),
            "_ZN14QWaitCondition4waitEP14QReadWriteLock14QDeadlineTimer");
    const unsigned mode = lock && HeldToRead(lock) ? ReadLock : 0;
    return WaitUnlocked(this, lock, mode, [&] { return real(this, lock, deadline); });
}

bool QWaitCondition::wait(QReadWriteLock* lock, unsigned long time)
{
    KV_REAL(real, bool (*)(QWaitCondition*, QReadWriteLock*, unsigned long), "_ZN14QWaitCondition4waitEP14QReadWriteLockm");
    const unsigned mode = lock && HeldToRead(lock) ? ReadLock : 0;
    return WaitUnlocked(this, lock, mode, [&] { return real(this, lock, time); });
}

void QWaitCondition::wakeOne()
{
    KV_REAL(real, void (*)(QWaitCondition*), "_ZN14QWaitCondition7wakeOneEv");
    Release(this);
    real(this);
}

void QWaitCondition::wakeAll()
{
    KV_REAL(real, void (*)(QWaitCondition*), "_ZN14QWaitCondition7wakeAllEv");
    Release(this);
    real(this);
}

// ---- QSemaphore

void QSemaphore::acquire(int n)
{
    KV_REAL(real, void (*)(QSemaphore*, int), "_ZN10QSemaphore7acquireEi");
    real(this, n);
    Acquire(this);
}

bool QSemaphore::tryAcquire(int n)
{
    KV_REAL(real, bool (*)(QSemaphore*, int), "_ZN10QSemaphore10tryAcquireEi");
    const bool got = real(this, n);
    if (got)
        Acquire(this);
    return got;
}

bool QSemaphore::tryAcquire(int n, int timeout)
{
    KV_REAL(real, bool (*)(QSemaphore*, int, int), "_ZN10QSemaphore10tryAcquireEii");
    const bool got = real(this, n, timeout);
    if (got)
        Acquire(this);
    return got;
}

void QSemaphore::release(int n)
{
    KV_REAL(real, void (*)(QSemaphore*, int), "_ZN10QSemaphore7releaseEi");
    Release(this);
    real(this, n);
}

// ---- QThread: what a thread did before it finished is ordered before a successful wait()
// for it. Qt announces the end with finished(), emitted on the thread itself before any waiter
// is let go; a direct connection made at start() releases there.

void QThread::start(QThread::Priority priority)
{
    KV_REAL(real, void (*)(QThread*, QThread::Priority), "_ZN7QThread5startENS_8PriorityE");
    QObject::connect(this, &QThread::finished, this, [this] { Release(this); }, Qt::DirectConnection);
    real(this, priority);
}

bool QThread::wait(QDeadlineTimer deadline)
{
    KV_REAL(real, bool (*)(QThread*, QDeadlineTimer), "_ZN7QThread4waitE14QDeadlineTimer");
    const bool done = real(this, deadline);
    if (done)
        Acquire(this);
    return done;
}

bool QThread::wait(unsigned long time)
{
    KV_REAL(real, bool (*)(QThread*, unsigned long), "_ZN7QThread4waitEm");
    const bool done = real(this, time);
    if (done)
        Acquire(this);
    return done;
}

// ---- QFuture: a task's results and finish are ordered before the waits that see them.

void QFutureInterfaceBase::reportFinished()
{
    KV_REAL(real, void (*)(QFutureInterfaceBase*), "_ZN20QFutureInterfaceBase14reportFinishedEv");
    Release(d);
    real(this);
}

void QFutureInterfaceBase::reportResultsReady(int beginIndex, int endIndex)
{
    KV_REAL(real, void (*)(QFutureInterfaceBase*, int, int), "_ZN20QFutureInterfaceBase18reportResultsReadyEii");
    Release(d);
    real(this, beginIndex, endIndex);
}

void QFutureInterfaceBase::waitForFinished()
{
    KV_REAL(real, void (*)(QFutureInterfaceBase*), "_ZN20QFutureInterfaceBase15waitForFinishedEv");
    real(this);
    Acquire(d);
}

void QFutureInterfaceBase::waitForResult(int resultIndex)
{
    KV_REAL(real, void (*)(QFutureInterfaceBase*, int), "_ZN20QFutureInterfaceBase13waitForResultEi");
    real(this, resultIndex);
    Acquire(d);
}

// The stored results belong to every copy of the future; the copy that drops the last
// reference frees them (inline code of ours), on whichever thread that is: the task's end on a
// pool thread as often as the caller's future after result(). What any copy did before letting
// go is ordered before that free, as with any reference count.
bool QFutureInterfaceBase::derefT() const
{
    KV_REAL(real, bool (*)(const QFutureInterfaceBase*), "_ZNK20QFutureInterfaceBase6derefTEv");
    Release(d);
    const bool stillHeld = real(this);
    if (!stillHeld)
        Acquire(d);
    return stillHeld;
}

// The shared state itself goes with the last copy of the future, in Qt's destructor, whose
// delete is a tail call: the sanitizer takes it for a free made by our caller, and would see
// what another copy's holder wrote into the state (our inline code clearing the results) as
// racing with it, Qt's count being out of its sight. The count (the state's first word) is
// dropped here instead, as Qt drops it: a copy letting go releases, the last one acquires
// before Qt frees the state. Defined under Qt's names, without the base destructor a C++
// definition would add.
#define KV_FUTURE_DESTRUCTOR(fn, mangled)                                                        \
    extern "C" void fn(QFutureInterfaceBase* self) __asm__(mangled);                             \
    extern "C" void fn(QFutureInterfaceBase* self)                                               \
    {                                                                                            \
        KV_REAL(real, void (*)(QFutureInterfaceBase*), mangled);                                 \
        auto* count = reinterpret_cast<QAtomicInt*>(self->d);                                    \
        Release(self->d);                                                                        \
        if (count->deref())                                                                      \
            return; /* all Qt's destructor does for a copy that is not the last */               \
        Acquire(self->d);                                                                        \
        count->ref(); /* the last copy: Qt's destructor drops it again and frees the state */    \
        real(self);                                                                              \
    }
KV_FUTURE_DESTRUCTOR(KvFutureBaseD1, "_ZN20QFutureInterfaceBaseD1Ev")
KV_FUTURE_DESTRUCTOR(KvFutureBaseD2, "_ZN20QFutureInterfaceBaseD2Ev")

// ---- Future watchers: the watcher's wait and its notifications see what its own future's task
// did before reporting, and nothing of any other task (the state is the one the task's reports
// release on; the watcher reaches it through its copy of the future). Qt posts the
// notifications and waits for the task inside itself, out of the sanitizer's sight.

void QFutureWatcherBase::waitForFinished()
{
    KV_REAL(real, void (*)(QFutureWatcherBase*), "_ZN18QFutureWatcherBase15waitForFinishedEv");
    real(this);
    Acquire(futureInterface().d);
}

bool QFutureWatcherBase::event(QEvent* e)
{
    KV_REAL(real, bool (*)(QFutureWatcherBase*, QEvent*), "_ZN18QFutureWatcherBase5eventEP6QEvent");
    Acquire(futureInterface().d);
    return real(this, e);
}

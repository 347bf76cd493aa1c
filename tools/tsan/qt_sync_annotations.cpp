// Preloaded into the ThreadSanitizer test runs (LD_PRELOAD). Debian's Qt is not built with
// ThreadSanitizer, so the sanitizer cannot see that QMutex, QSemaphore, QWaitCondition,
// QThread::wait and QFuture order memory between threads: it would report correctly locked
// data as races. Each wrapper below calls the real Qt function (found with dlsym(RTLD_NEXT))
// and tells the sanitizer about the ordering with __tsan_acquire / __tsan_release on the
// synchronisation object's address.
//
// Only calls that reach Qt through the dynamic linker are seen, which is every call our code
// makes; Qt's calls into itself stay invisible and are covered by the suppression file.
#include <QDeadlineTimer>
#include <QFutureInterfaceBase>
#include <QMutex>
#include <QSemaphore>
#include <QThread>
#include <QWaitCondition>

#include <dlfcn.h>
#include <cstdio>
#include <cstdlib>

// Weak: the preload is inherited by programs the sanitizer starts (its symbolizer), which
// carry no sanitizer runtime; there the wrappers only pass the calls on.
extern "C" {
void __tsan_acquire(void* addr) __attribute__((weak));
void __tsan_release(void* addr) __attribute__((weak));
}

namespace {

// The next definition of a symbol after this library, i.e. Qt's own.
template <typename Fn>
Fn Real(const char* mangled)
{
    void* p = dlsym(RTLD_NEXT, mangled);
    if (!p) {
        std::fprintf(stderr, "qt_sync_annotations: %s not found\n", mangled);
        std::abort();
    }
    Fn fn;
    static_assert(sizeof(fn) == sizeof(p), "function and object pointers differ in size");
    __builtin_memcpy(&fn, &p, sizeof(p));
    return fn;
}

// Finished futures, for the watchers that see them (the watcher keeps its own copy of the
// future, out of reach here).
char s_FinishGate;

// Member functions are called as free functions taking `this` first (Itanium ABI).
#define KV_REAL(var, type, mangled) static const auto var = Real<type>(mangled)

} // namespace

#define __tsan_acquire(a) (::__tsan_acquire ? ::__tsan_acquire(a) : void())
#define __tsan_release(a) (::__tsan_release ? ::__tsan_release(a) : void())

// ---- QMutex

void QMutex::lock() noexcept
{
    KV_REAL(real, void (*)(QMutex*), "_ZN6QMutex4lockEv");
    real(this);
    __tsan_acquire(this);
}

bool QMutex::tryLock(int timeout) noexcept
{
    KV_REAL(real, bool (*)(QMutex*, int), "_ZN6QMutex7tryLockEi");
    const bool locked = real(this, timeout);
    if (locked)
        __tsan_acquire(this);
    return locked;
}

void QMutex::unlock() noexcept
{
    KV_REAL(real, void (*)(QMutex*), "_ZN6QMutex6unlockEv");
    __tsan_release(this);
    real(this);
}

// ---- QWaitCondition: the mutex is given up during the wait and taken again after it; a wake
// orders what the waker did before it with what the woken thread does after.

bool QWaitCondition::wait(QMutex* mutex, QDeadlineTimer deadline)
{
    KV_REAL(real, bool (*)(QWaitCondition*, QMutex*, QDeadlineTimer), "_ZN14QWaitCondition4waitEP6QMutex14QDeadlineTimer");
    __tsan_release(mutex);
    const bool woken = real(this, mutex, deadline);
    __tsan_acquire(mutex);
    __tsan_acquire(this);
    return woken;
}

bool QWaitCondition::wait(QMutex* mutex, unsigned long time)
{
    KV_REAL(real, bool (*)(QWaitCondition*, QMutex*, unsigned long), "_ZN14QWaitCondition4waitEP6QMutexm");
    __tsan_release(mutex);
    const bool woken = real(this, mutex, time);
    __tsan_acquire(mutex);
    __tsan_acquire(this);
    return woken;
}

void QWaitCondition::wakeOne()
{
    KV_REAL(real, void (*)(QWaitCondition*), "_ZN14QWaitCondition7wakeOneEv");
    __tsan_release(this);
    real(this);
}

void QWaitCondition::wakeAll()
{
    KV_REAL(real, void (*)(QWaitCondition*), "_ZN14QWaitCondition7wakeAllEv");
    __tsan_release(this);
    real(this);
}

// ---- QSemaphore

void QSemaphore::acquire(int n)
{
    KV_REAL(real, void (*)(QSemaphore*, int), "_ZN10QSemaphore7acquireEi");
    real(this, n);
    __tsan_acquire(this);
}

bool QSemaphore::tryAcquire(int n)
{
    KV_REAL(real, bool (*)(QSemaphore*, int), "_ZN10QSemaphore10tryAcquireEi");
    const bool got = real(this, n);
    if (got)
        __tsan_acquire(this);
    return got;
}

bool QSemaphore::tryAcquire(int n, int timeout)
{
    KV_REAL(real, bool (*)(QSemaphore*, int, int), "_ZN10QSemaphore10tryAcquireEii");
    const bool got = real(this, n, timeout);
    if (got)
        __tsan_acquire(this);
    return got;
}

void QSemaphore::release(int n)
{
    KV_REAL(real, void (*)(QSemaphore*, int), "_ZN10QSemaphore7releaseEi");
    __tsan_release(this);
    real(this, n);
}

// ---- QThread: what a thread did before it finished is ordered before a successful wait()
// for it. Qt announces the end with finished(), emitted on the thread itself before any waiter
// is let go; a direct connection made at start() releases there.

void QThread::start(QThread::Priority priority)
{
    KV_REAL(real, void (*)(QThread*, QThread::Priority), "_ZN7QThread5startENS_8PriorityE");
    QObject::connect(this, &QThread::finished, this, [this] { __tsan_release(this); }, Qt::DirectConnection);
    real(this, priority);
}

bool QThread::wait(QDeadlineTimer deadline)
{
    KV_REAL(real, bool (*)(QThread*, QDeadlineTimer), "_ZN7QThread4waitE14QDeadlineTimer");
    const bool done = real(this, deadline);
    if (done)
        __tsan_acquire(this);
    return done;
}

bool QThread::wait(unsigned long time)
{
    KV_REAL(real, bool (*)(QThread*, unsigned long), "_ZN7QThread4waitEm");
    const bool done = real(this, time);
    if (done)
        __tsan_acquire(this);
    return done;
}

// ---- QFuture: a task's results and finish are ordered before the waits that see them.

void QFutureInterfaceBase::reportFinished()
{
    KV_REAL(real, void (*)(QFutureInterfaceBase*), "_ZN20QFutureInterfaceBase14reportFinishedEv");
    __tsan_release(d);
    __tsan_release(&s_FinishGate);
    real(this);
}

void QFutureInterfaceBase::reportResultsReady(int beginIndex, int endIndex)
{
    KV_REAL(real, void (*)(QFutureInterfaceBase*, int, int), "_ZN20QFutureInterfaceBase18reportResultsReadyEii");
    __tsan_release(d);
    real(this, beginIndex, endIndex);
}

void QFutureInterfaceBase::waitForFinished()
{
    KV_REAL(real, void (*)(QFutureInterfaceBase*), "_ZN20QFutureInterfaceBase15waitForFinishedEv");
    real(this);
    __tsan_acquire(d);
}

void QFutureInterfaceBase::waitForResult(int resultIndex)
{
    KV_REAL(real, void (*)(QFutureInterfaceBase*, int), "_ZN20QFutureInterfaceBase13waitForResultEi");
    real(this, resultIndex);
    __tsan_acquire(d);
}

// The stored results belong to every copy of the future; the copy that drops the last
// reference frees them (inline code of ours), on whichever thread that is: the task's end on a
// pool thread as often as the caller's future after result(). What any copy did before letting
// go is ordered before that free, as with any reference count.
bool QFutureInterfaceBase::derefT() const
{
    KV_REAL(real, bool (*)(const QFutureInterfaceBase*), "_ZNK20QFutureInterfaceBase6derefTEv");
    __tsan_release(d);
    const bool stillHeld = real(this);
    if (!stillHeld)
        __tsan_acquire(d);
    return stillHeld;
}

// ---- Queued calls and posted events: what the poster did before posting is ordered before
// the receiver's handling. Qt keeps its event queues under its own locks, which the sanitizer
// cannot see, so the posts and the handling are annotated instead, each hand-over on a gate of
// its own: a signal's emissions on the sender's (per signal), calls queued with invokeMethod
// and posted events on the receiver's. A gate is an address inside its object, so it goes
// when the object goes. (One gate for every hand-over would order each queued call after
// every emission anywhere, and hide the races between them.)
//   object + 0: the thread's end (QThread above)
//   object + 1 .. 7: the object's signals, by signal index
//   object + 8: calls and events posted to the object
//   object + 9: calls to the object handled (for the poster that frees the call)
//
// Qt makes the event, and copies a queued signal's arguments, inside the post, after the
// poster's release before it; the poster releases again once the post is done. A receiver
// quick enough to run the call before that would not see the event's making, so it waits
// (briefly: the poster is only returning) until no post through the gate is under way.

#include <QCoreApplication>
#include <QEvent>
#include <QRunnable>
#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace {
char s_PoolGate;

const void* SignalGate(const QObject* sender, int signalIndex)
{
    return reinterpret_cast<const char*>(sender) + 1 + unsigned(signalIndex) % 7u;
}
const void* PostGate(const QObject* receiver)
{
    return reinterpret_cast<const char*>(receiver) + 8;
}
const void* HandledGate(const QObject* receiver)
{
    return reinterpret_cast<const char*>(receiver) + 9;
}

// The head of Qt's queued-call event (QAbstractMetaCallEvent in Qt 5.15, whose header is
// private): laid out by the same rules, so its members land where Qt's are.
struct CMetaCallEventHead : QEvent
{
    int signalId;
    const QObject* sender;
    QSemaphore* semaphore;   // set for a blocking call, whose poster waits for the receiver
};

// Posts under way per gate, counted in buckets (gates sharing one only wait a little more).
// Plain atomics of this uninstrumented library: the sanitizer sees no ordering through them.
constexpr int FlightBits = 12;
std::atomic<int> s_Flights[1 << FlightBits];
// The gates this thread is posting through, innermost last (a slot called directly inside an
// emission can run the event loop, and must not wait for its own thread).
constexpr int OwnFlights = 32;
thread_local const void* t_OwnFlights[OwnFlights];
thread_local int t_OwnFlightCount = 0;

std::atomic<int>& FlightOf(const void* gate)
{
    return s_Flights[(uintptr_t(gate) * 0x9E3779B97F4A7C15ull) >> (64 - FlightBits)];
}

// A post through gate, from before Qt makes the event to after it is queued.
class CPosting
{
public:
    explicit CPosting(const void* gate) : m_pGate(gate)
    {
        FlightOf(gate).fetch_add(1);
        if (t_OwnFlightCount < OwnFlights)
            t_OwnFlights[t_OwnFlightCount] = gate;
        ++t_OwnFlightCount;
        __tsan_release(const_cast<void*>(gate));
    }
    ~CPosting()
    {
        __tsan_release(const_cast<void*>(m_pGate));
        --t_OwnFlightCount;
        FlightOf(m_pGate).fetch_sub(1);
    }
    CPosting(const CPosting&) = delete;
    CPosting& operator=(const CPosting&) = delete;

private:
    const void* const m_pGate;
};

// Waits until the posts through gate by other threads are done, a second at most (a poster
// whose emission also calls slots directly may take long; the wait only delays the report).
void AwaitPosts(const void* gate)
{
    for (int k = 0; k < std::min(t_OwnFlightCount, OwnFlights); ++k)
        if (t_OwnFlights[k] == gate)
            return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (FlightOf(gate).load() > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
}
} // namespace

bool QMetaObject::invokeMethodImpl(QObject* object, QtPrivate::QSlotObjectBase* slot, Qt::ConnectionType type, void* ret)
{
    KV_REAL(real, bool (*)(QObject*, QtPrivate::QSlotObjectBase*, Qt::ConnectionType, void*),
            "_ZN11QMetaObject16invokeMethodImplEP7QObjectPN9QtPrivate15QSlotObjectBaseEN2Qt14ConnectionTypeEPv");
    const bool queued = slot
                     && (type == Qt::QueuedConnection
                         || (type == Qt::AutoConnection && object && object->thread() != QThread::currentThread()));
    if (!queued)
        return real(object, slot, type, ret);
    // The call object is reference counted by Qt, out of the sanitizer's sight, so the poster
    // may be the one that frees it after the receiver ran: the poster keeps a reference of its
    // own through the post, and when dropping it finds it was the last, it acquires what the
    // receiver released once it had handled the call. (Acquired before the drop, it could come
    // before the receiver ran and let go.)
    slot->ref();
    bool posted = false;
    {
        const CPosting posting(PostGate(object));
        posted = real(object, slot, type, ret);
    }
    if (!slot->m_ref.deref()) {
        __tsan_acquire(const_cast<void*>(HandledGate(object)));
        slot->m_impl(QtPrivate::QSlotObjectBase::Destroy, slot, nullptr, nullptr, nullptr);
    }
    return posted;
}

// The index Qt gives an emission's event: the signal's, after the signals of the classes its
// class derives from (each class's count is the 14th word of its meta-object data).
int SignalIndex(const QMetaObject* meta, int localIndex)
{
    int offset = 0;
    for (const QMetaObject* m = meta->superClass(); m; m = m->superClass())
        offset += int(m->d.data[13]);
    return offset + localIndex;
}

void QMetaObject::activate(QObject* sender, const QMetaObject* meta, int localIndex, void** argv)
{
    KV_REAL(real, void (*)(QObject*, const QMetaObject*, int, void**), "_ZN11QMetaObject8activateEP7QObjectPKS_iPPv");
    const CPosting posting(SignalGate(sender, SignalIndex(meta, localIndex)));
    real(sender, meta, localIndex, argv);
}

void QMetaObject::activate(QObject* sender, int signalOffset, int localIndex, void** argv)
{
    KV_REAL(real, void (*)(QObject*, int, int, void**), "_ZN11QMetaObject8activateEP7QObjectiiPPv");
    const CPosting posting(SignalGate(sender, signalOffset + localIndex));
    real(sender, signalOffset, localIndex, argv);
}

void QCoreApplication::postEvent(QObject* receiver, QEvent* event, int priority)
{
    KV_REAL(real, void (*)(QObject*, QEvent*, int), "_ZN16QCoreApplication9postEventEP7QObjectP6QEventi");
    if (!receiver) {
        real(receiver, event, priority);
        return;
    }
    const CPosting posting(PostGate(receiver));
    real(receiver, event, priority);
}

bool QObject::event(QEvent* e)
{
    KV_REAL(real, bool (*)(QObject*, QEvent*), "_ZN7QObject5eventEP6QEvent");
    const bool call = e && e->type() == QEvent::MetaCall;
    if (call) {
        const auto* head = static_cast<const CMetaCallEventHead*>(e);
        const void* gate = head->sender ? SignalGate(head->sender, head->signalId) : PostGate(this);
        if (!head->semaphore)
            AwaitPosts(gate);
        __tsan_acquire(const_cast<void*>(gate));
    }
    const bool handled = real(this, e);
    if (call)
        __tsan_release(const_cast<void*>(HandledGate(this)));
    return handled;
}

// ---- The thread pool: a task handed to start() is ordered before its run (a concurrent task
// asks isCanceled() first thing).

void QThreadPool::start(QRunnable* runnable, int priority)
{
    KV_REAL(real, void (*)(QThreadPool*, QRunnable*, int), "_ZN11QThreadPool5startEP9QRunnablei");
    __tsan_release(&s_PoolGate);
    real(this, runnable, priority);
}

bool QThreadPool::tryStart(QRunnable* runnable)
{
    KV_REAL(real, bool (*)(QThreadPool*, QRunnable*), "_ZN11QThreadPool8tryStartEP9QRunnable");
    __tsan_release(&s_PoolGate);
    return real(this, runnable);
}

bool QFutureInterfaceBase::isCanceled() const
{
    KV_REAL(real, bool (*)(const QFutureInterfaceBase*), "_ZNK20QFutureInterfaceBase10isCanceledEv");
    __tsan_acquire(&s_PoolGate);
    return real(this);
}

// ---- Our memory through Qt's hands. What Qt does itself through the C library is ignored
// (the suppression file's called_from_lib lines): its allocations, and its copies too, so a
// copy it makes of a buffer of ours would go unseen, and a race on the buffer with it. The
// calls that read or write memory the caller hands in say so here, before or after the real
// call, as an instrumented copy would.

extern "C" {
void __tsan_read_range(void* addr, unsigned long size) __attribute__((weak));
void __tsan_write_range(void* addr, unsigned long size) __attribute__((weak));
}

namespace {
void ReadsOurs(const void* data, long long size)
{
    if (__tsan_read_range && data && size > 0)
        __tsan_read_range(const_cast<void*>(data), (unsigned long)size);
}
void WritesOurs(void* data, long long size)
{
    if (__tsan_write_range && data && size > 0)
        __tsan_write_range(data, (unsigned long)size);
}
} // namespace

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QUdpSocket>

#include <cstring>

QByteArray& QByteArray::append(const char* data, int size)
{
    KV_REAL(real, QByteArray& (*)(QByteArray*, const char*, int), "_ZN10QByteArray6appendEPKci");
    ReadsOurs(data, data && size < 0 ? (long long)std::strlen(data) : size);
    return real(this, data, size);
}

qint64 QIODevice::write(const char* data, qint64 size)
{
    KV_REAL(real, qint64 (*)(QIODevice*, const char*, qint64), "_ZN9QIODevice5writeEPKcx");
    ReadsOurs(data, size);
    return real(this, data, size);
}

qint64 QIODevice::read(char* data, qint64 size)
{
    KV_REAL(real, qint64 (*)(QIODevice*, char*, qint64), "_ZN9QIODevice4readEPcx");
    const qint64 got = real(this, data, size);
    WritesOurs(data, got);
    return got;
}

// An image may show memory of ours (made over a buffer we own), and its pixels are ours when
// our code writes them; a copy reads all of them. (Qt's Gui is not linked into this library:
// it is loaded into programs that have none; the calls are looked up when first made.)
QImage QImage::copy(const QRect& rect) const
{
    KV_REAL(real, QImage (*)(const QImage*, const QRect&), "_ZNK6QImage4copyERK5QRect");
    KV_REAL(bits, const uchar* (*)(const QImage*), "_ZNK6QImage9constBitsEv");
    KV_REAL(bytes, qsizetype (*)(const QImage*), "_ZNK6QImage11sizeInBytesEv");
    ReadsOurs(bits(this), bytes(this));
    return real(this, rect);
}

qint64 QUdpSocket::writeDatagram(const char* data, qint64 size, const QHostAddress& address, quint16 port)
{
    KV_REAL(real, qint64 (*)(QUdpSocket*, const char*, qint64, const QHostAddress&, quint16),
            "_ZN10QUdpSocket13writeDatagramEPKcxRK12QHostAddresst");
    ReadsOurs(data, size);
    return real(this, data, size, address, port);
}

// ---- Future watchers: the watcher's wait and its finished notification see the task's end.

#include <QFutureWatcherBase>

void QFutureWatcherBase::waitForFinished()
{
    KV_REAL(real, void (*)(QFutureWatcherBase*), "_ZN18QFutureWatcherBase15waitForFinishedEv");
    real(this);
    __tsan_acquire(&s_FinishGate);
}

bool QFutureWatcherBase::event(QEvent* e)
{
    KV_REAL(real, bool (*)(QFutureWatcherBase*, QEvent*), "_ZN18QFutureWatcherBase5eventEP6QEvent");
    __tsan_acquire(&s_FinishGate);
    return real(this, e);
}

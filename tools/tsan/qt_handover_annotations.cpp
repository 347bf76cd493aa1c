// Hand-overs through Qt's queues, for the preloaded ThreadSanitizer helper: queued calls and
// signals, posted events, and tasks started on a thread pool. Qt keeps its queues under its own
// locks, which the sanitizer cannot see, so each post and its handling are annotated instead,
// each hand-over on a gate of its own (one gate for every hand-over would order each queued
// call after every post anywhere, and hide the races between them):
//   a queued call made with invokeMethod: the call object this library wraps around the caller's;
//   a queued signal: the sender's gate for the signal (object + 1 .. 7, by signal index);
//   a call by name and a posted event: the receiver's gate (object + 8);
//   a task started on a pool: the pool's gate (object + 10).
// A gate is an address inside its object, so it goes when the object goes. The handling side is
// seen for every receiver, Qt's own classes included (a plain QObject, a timer, the
// application): Qt hands each event to a callback registered here before the receiver's
// event() runs.
#include "TsanPreload.h"

#include <QCoreApplication>
#include <QEvent>
#include <QRunnable>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <QWaitCondition>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <thread>
#include <typeinfo>

using namespace KvTsan;

namespace {
const void* SignalGate(const QObject* sender, int signalIndex)
{
    return reinterpret_cast<const char*>(sender) + 1 + unsigned(signalIndex) % 7u;
}
const void* PostGate(const QObject* receiver)
{
    return reinterpret_cast<const char*>(receiver) + 8;
}
const void* PoolGate(const void* poolPrivate)
{
    return static_cast<const char*>(poolPrivate) + 10;
}

// The head of Qt's queued-call event (QAbstractMetaCallEvent in Qt 5.15, whose header is
// private): laid out by the same rules, so its members land where Qt's are.
struct CMetaCallEventHead : QEvent
{
    int signalId;
    const QObject* sender;
    QSemaphore* semaphore;   // set for a blocking call, whose poster waits for the receiver
};

// Qt makes a queued signal's event, and copies its arguments, inside the post, after the
// poster's release before it; the poster releases again once the post is done. A receiver
// quick enough to run the call before that would not see the copies, so it waits (briefly: the
// poster is only returning) until no post through the gate is under way.
//
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
        Release(gate);
    }
    ~CPosting()
    {
        Release(m_pGate);
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

// Every event, on the receiver's thread, before any filter or event() of the receiver's sees
// it: a queued signal or call acquires its gate. (A call made with invokeMethod is ordered by
// its wrapped call object below.)
bool BeforeEvent(void** data)
{
    const auto* receiver = static_cast<const QObject*>(data[0]);
    const auto* e = static_cast<const QEvent*>(data[1]);
    if (!receiver || !e || e->type() != QEvent::MetaCall)
        return false;
    const auto* head = static_cast<const CMetaCallEventHead*>(e);
    const void* gate = head->sender ? SignalGate(head->sender, head->signalId) : PostGate(receiver);
    if (!head->semaphore)
        AwaitPosts(gate);
    Acquire(gate);
    return false;   // delivered as usual
}

__attribute__((constructor)) void WatchEvents()
{
    QInternal::registerCallback(QInternal::EventNotifyCallback, BeforeEvent);
}

// A queued call's function object, wrapped: the wrapper runs on the receiver's thread as the
// call, and on whichever thread drops the last reference as its end (Qt counts them out of the
// sanitizer's sight). What the poster did before posting is ordered before the call, and the
// call before the end: the poster frees the call itself when the receiver was done first.
class CGatedCall final : public QtPrivate::QSlotObjectBase
{
public:
    explicit CGatedCall(QtPrivate::QSlotObjectBase* call) : QSlotObjectBase(&Impl), m_pCall(call) {}

private:
    static void Impl(int which, QSlotObjectBase* base, QObject* receiver, void** args, bool* ret)
    {
        auto* self = static_cast<CGatedCall*>(base);
        switch (which) {
        case Call:
            Acquire(self);
            self->m_pCall->call(receiver, args);
            Release(self);
            break;
        case Destroy:
            Acquire(self);
            self->m_pCall->destroyIfLastRef();
            delete self;
            break;
        case Compare:
            if (ret)
                *ret = self->m_pCall->compare(args);
            break;
        }
    }

    QtPrivate::QSlotObjectBase* const m_pCall;
};
} // namespace

bool QMetaObject::invokeMethodImpl(QObject* object, QtPrivate::QSlotObjectBase* slot, Qt::ConnectionType type, void* ret)
{
    KV_REAL(real, bool (*)(QObject*, QtPrivate::QSlotObjectBase*, Qt::ConnectionType, void*),
            "_ZN11QMetaObject16invokeMethodImplEP7QObjectPN9QtPrivate15QSlotObjectBaseEN2Qt14ConnectionTypeEPv");
    const bool queued = slot && object
                     && (type == Qt::QueuedConnection || type == Qt::BlockingQueuedConnection
                         || (type == Qt::AutoConnection && object->thread() != QThread::currentThread()));
    if (!queued)
        return real(object, slot, type, ret);
    auto* gated = new CGatedCall(slot);
    Release(gated);
    return real(object, gated, type, ret);
}

// A call by name: Qt copies the arguments into the event inside the call.
bool QMetaObject::invokeMethod(QObject* object, const char* member, Qt::ConnectionType type, QGenericReturnArgument ret,
                               QGenericArgument a0, QGenericArgument a1, QGenericArgument a2, QGenericArgument a3,
                               QGenericArgument a4, QGenericArgument a5, QGenericArgument a6, QGenericArgument a7,
                               QGenericArgument a8, QGenericArgument a9)
{
    KV_REAL(real,
            bool (*)(QObject*, const char*, Qt::ConnectionType, QGenericReturnArgument, QGenericArgument, QGenericArgument,
                     QGenericArgument, QGenericArgument, QGenericArgument, QGenericArgument, QGenericArgument,
                     QGenericArgument, QGenericArgument, QGenericArgument),
            "_ZN11QMetaObject12invokeMethodEP7QObjectPKcN2Qt14ConnectionTypeE22QGenericReturnArgument16QGenericArgumentS7_S7_S7_S7_S7_S7_S7_S7_S7_");
    if (!object)
        return real(object, member, type, ret, a0, a1, a2, a3, a4, a5, a6, a7, a8, a9);
    const CPosting posting(PostGate(object));
    return real(object, member, type, ret, a0, a1, a2, a3, a4, a5, a6, a7, a8, a9);
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

// ---- The thread pool: a task handed to a pool's start() is ordered before its run on that
// pool (a concurrent task asks isCanceled() first thing on the pool's thread). The pool is known
// on its thread by the pointer Qt's pool thread keeps to the pool's private part, the first
// member after its wait condition (QThreadPoolThread in Qt 5.15); a probe test shows that the
// task of a pool sees what was done before its start, and not what was done before another
// pool's.

namespace {
const void* PoolOf(const QThreadPool* pool)
{
    return PoolGate(pool->d_ptr.data());
}

// The pool of the thread asking, or null off a pool's threads.
const void* PoolOfThisThread()
{
    thread_local const void* t_Pool = nullptr;
    thread_local bool t_Known = false;
    if (!t_Known) {
        t_Known = true;
        QThread* thread = QThread::currentThread();
        if (thread && std::strcmp(typeid(*thread).name(), "17QThreadPoolThread") == 0) {
            const char* at = reinterpret_cast<const char*>(thread) + sizeof(QThread) + sizeof(QWaitCondition);
            t_Pool = PoolGate(*reinterpret_cast<void* const*>(at));
        }
    }
    return t_Pool;
}
} // namespace

void QThreadPool::start(QRunnable* runnable, int priority)
{
    KV_REAL(real, void (*)(QThreadPool*, QRunnable*, int), "_ZN11QThreadPool5startEP9QRunnablei");
    Release(PoolOf(this));
    real(this, runnable, priority);
}

void QThreadPool::start(std::function<void()> functionToRun, int priority)
{
    KV_REAL(real, void (*)(QThreadPool*, std::function<void()>, int), "_ZN11QThreadPool5startESt8functionIFvvEEi");
    Release(PoolOf(this));
    real(this, std::move(functionToRun), priority);
}

bool QThreadPool::tryStart(QRunnable* runnable)
{
    KV_REAL(real, bool (*)(QThreadPool*, QRunnable*), "_ZN11QThreadPool8tryStartEP9QRunnable");
    Release(PoolOf(this));
    return real(this, runnable);
}

bool QThreadPool::tryStart(std::function<void()> functionToRun)
{
    KV_REAL(real, bool (*)(QThreadPool*, std::function<void()>), "_ZN11QThreadPool8tryStartESt8functionIFvvEE");
    Release(PoolOf(this));
    return real(this, std::move(functionToRun));
}

#include <QFutureInterfaceBase>

bool QFutureInterfaceBase::isCanceled() const
{
    KV_REAL(real, bool (*)(const QFutureInterfaceBase*), "_ZNK20QFutureInterfaceBase10isCanceledEv");
    if (const void* pool = PoolOfThisThread())
        Acquire(pool);
    return real(this);
}

#include "Core/Logic/Transport/ThreadWorker.h"

#include "Core/Base/Diagnostics.h"

#include <QEvent>

#include <chrono>

void ObjWorker::WorkFun()
{
    if (m_pWorker) m_pWorker->WorkToDo();
}

CThreadWorker::CThreadWorker(QObject* parent) : QThread(parent)
{
    // The object that runs the work is made and moved to the thread before the thread starts,
    // so a StartWork issued right after construction is queued for it and never lost.
    m_pObject = new ObjWorker(this);
    m_pObject->moveToThread(this);
    connect(this, &CThreadWorker::StartWorkingSignal, m_pObject, &ObjWorker::WorkFun, Qt::QueuedConnection);
    start(QThread::InheritPriority);
}

CThreadWorker::~CThreadWorker()
{
    if (!Shutdown(kDestroyWaitMs)) {
        // Destroying a running QThread aborts the program; its owner left a procedure
        // blocked, so the only safe course left is to keep waiting for it.
        MyOutputDebugString("CThreadWorker: thread still busy at destruction, waiting", DiagLogic);
        wait();
    }
    delete m_pObject;
}

void CThreadWorker::run()
{
    exec();
}

void CThreadWorker::InitProc(Procedure procedure, void* argument)
{
    m_argument.store(argument);
    m_procedure.store(procedure);
}

void CThreadWorker::StartWork(int ms)
{
    if (m_exiting.load()) return;
    if (!m_runOnce.load()) {
        if (m_loop.load()) return;
    }
    // Claiming the busy flag here, not on the worker thread, keeps two quick StartWork calls
    // from queueing the procedure twice.
    bool idle = false;
    if (!m_busy.compare_exchange_strong(idle, true)) return;
    if (!m_runOnce.load()) {
        m_periodMs.store(ms < 0 ? 0 : ms);
        m_loop.store(true);
    }
    emit StartWorkingSignal();
}

void CThreadWorker::pause()
{
    const int ms = m_periodMs.load();
    if (ms <= 0) return;
    std::unique_lock<std::mutex> lock(m_pauseMutex);
    m_pauseWake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !m_loop.load(); });
}

void CThreadWorker::WorkToDo()
{
    m_busy.store(true);
    const Procedure procedure = m_procedure.load();
    void* argument = m_argument.load();
    if (procedure) {
        if (m_runOnce.load()) {
            procedure(argument);
        } else {
            while (m_loop.load()) {
                procedure(argument);
                if (!m_loop.load()) break;
                pause();
            }
        }
    }
    m_loop.store(false);
    m_busy.store(false);
}

void CThreadWorker::StopWork()
{
    {
        std::lock_guard<std::mutex> lock(m_pauseMutex);
        m_loop.store(false);
    }
    m_pauseWake.notify_all();
}

void CThreadWorker::Exit()
{
    m_exiting.store(true);
    StopWork();
    exit(0);
}

bool CThreadWorker::Shutdown(int timeoutMs)
{
    Exit();
    return wait(unsigned(timeoutMs < 0 ? 0 : timeoutMs));
}

bool CThreadWorker::event(QEvent* e)
{
    if (e->type() == QEvent::DeferredDelete) StopWork();
    QThread::event(e); // may delete this object: touch nothing after it
    return false;
}

// ---- CWakeEvent

void CWakeEvent::wake()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending = true;
    }
    m_cv.notify_one();
}

bool CWakeEvent::wait(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto ready = [this] { return m_pending || m_released; };
    if (timeoutMs < 0)
        m_cv.wait(lock, ready);
    else if (!m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return false;
    if (m_released) return false;
    m_pending = false;
    return true;
}

void CWakeEvent::reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pending = false;
}

void CWakeEvent::release()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_released = true;
    }
    m_cv.notify_all();
}

void CWakeEvent::rearm()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_released = false;
    m_pending = false;
}

bool CWakeEvent::isReleased() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_released;
}

bool CWakeEvent::isPending() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pending;
}

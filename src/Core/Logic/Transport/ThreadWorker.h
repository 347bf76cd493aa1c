#pragma once
// CThreadWorker: one background activity of a logger manager (serial reader, command sender,
// packet processor, detection poller, status re-send). The thread starts at construction and
// idles in its event loop; StartWork runs the procedure once (run-once workers) or every
// `ms` milliseconds until StopWork (periodic workers).
//
// CWakeEvent: the wake-up a sender or processor sleeps on, and the acknowledgement a sender
// waits for. A wake that comes before the wait is kept, not lost, and release() lets every
// waiter go at shutdown.
#include <QObject>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <mutex>

class CThreadWorker;

// Lives on the worker's thread, so the work it starts runs there.
class ObjWorker : public QObject
{
    Q_OBJECT
public:
    explicit ObjWorker(CThreadWorker* worker) : m_pWorker(worker) {}
public slots:
    void WorkFun();

private:
    CThreadWorker* m_pWorker;
};

class CThreadWorker : public QThread
{
    Q_OBJECT
public:
    using Procedure = void (*)(void*);

    // How long the destructor waits for the thread before it warns (and keeps waiting).
    static constexpr int kDestroyWaitMs = 5000;

    explicit CThreadWorker(QObject* parent = nullptr);
    ~CThreadWorker() override;

    // Run-once workers ignore the period; set before the first StartWork.
    void SetRunOnce(bool runOnce) { m_runOnce.store(runOnce); }
    bool IsRunOnce() const { return m_runOnce.load(); }
    // Set once by the owner after construction, before the first StartWork.
    void InitProc(Procedure procedure, void* argument);

    // Nothing while busy (or, for a periodic worker, while its loop runs) or after Exit.
    void StartWork(int ms);
    // On the worker thread: the procedure once, or the periodic loop.
    void WorkToDo();
    // Ends the periodic loop after the running call; a pending pause ends at once.
    void StopWork();
    bool IsWorking() const { return m_busy.load(); }
    int PeriodMs() const { return m_periodMs.load(); }
    // Ends the loop and the thread's event loop; the thread finishes once its procedure returns.
    void Exit();
    // Exit, then wait at most timeoutMs for the thread. False when it is still running (its
    // procedure is blocked: the owner must wake it first). Never terminates the thread.
    bool Shutdown(int timeoutMs);

    bool event(QEvent* e) override;

signals:
    void StartWorkingSignal();

protected:
    void run() override;

private:
    void pause();

    std::atomic<bool> m_runOnce{false};
    std::atomic<Procedure> m_procedure{nullptr};
    std::atomic<void*> m_argument{nullptr};
    std::atomic<int> m_periodMs{0};
    std::atomic<bool> m_loop{false};
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_exiting{false};
    std::mutex m_pauseMutex;
    std::condition_variable m_pauseWake;
    ObjWorker* m_pObject = nullptr;
};

class CWakeEvent
{
public:
    // Marks a wake-up pending and wakes one waiter (a pending wake is kept until consumed).
    void wake();
    // Waits until a wake is pending, consumes it and returns true; false on time-out
    // (timeoutMs < 0 waits without limit) or when released.
    bool wait(int timeoutMs = -1);
    // Drops a pending wake (an acknowledgement from before the command was sent).
    void reset();
    // Shutdown: every current and later wait returns false at once, until rearm().
    void release();
    void rearm();
    bool isReleased() const;
    bool isPending() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_pending = false;
    bool m_released = false;
};

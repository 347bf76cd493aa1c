// CThreadWorker (start, period, stop, bounded shutdown), CWakeEvent (no lost wake-ups,
// release at shutdown) and CSafeQueue<CommandParametersStruct> under several producers.
#include "Core/Base/CommandParameters.h"
#include "Core/Logic/Transport/SafeQueue.h"
#include "Core/Logic/Transport/ThreadWorker.h"

#include <QElapsedTimer>
#include "common/TestMain.h"

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

struct Probe
{
    std::atomic<int> calls{0};
    std::atomic<bool> otherThread{false};
    std::thread::id mainThread = std::this_thread::get_id();
    CWakeEvent gate;     // a blocking probe waits here on every call
    bool blocks = false;
};

void probeProc(void* arg)
{
    auto* probe = static_cast<Probe*>(arg);
    if (std::this_thread::get_id() != probe->mainThread) probe->otherThread = true;
    ++probe->calls;
    if (probe->blocks) probe->gate.wait(5000);
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) return false;
        QThread::msleep(2);
    }
    return true;
}

CommandParametersStruct command(unsigned char id, unsigned char producer, unsigned short seq)
{
    CommandParametersStruct cmd(id);
    cmd.SetByte(1, producer);
    cmd.SetByte(2, static_cast<unsigned char>(seq >> 8));
    cmd.SetByte(3, static_cast<unsigned char>(seq & 0xFF));
    return cmd;
}

} // namespace

class TestWorker : public QObject
{
    Q_OBJECT
private slots:
    void periodicWorkerRunsUntilStopped()
    {
        Probe probe;
        CThreadWorker worker;
        worker.InitProc(probeProc, &probe);
        worker.StartWork(20);
        QVERIFY(worker.IsWorking());
        QVERIFY(waitUntil([&] { return probe.calls.load() >= 3; }, 3000));
        QVERIFY(probe.otherThread.load());
        worker.StartWork(1); // already looping: the first period stays
        QCOMPARE(worker.PeriodMs(), 20);
        worker.StopWork();
        QVERIFY(waitUntil([&] { return !worker.IsWorking(); }, 2000));
        const int after = probe.calls.load();
        QThread::msleep(80);
        QCOMPARE(probe.calls.load(), after);
        QVERIFY(worker.Shutdown(2000));
    }

    void stopWhileBusyThenStartDoesNothing()
    {
        Probe probe;
        probe.blocks = true;
        CThreadWorker worker;
        worker.InitProc(probeProc, &probe);
        worker.StartWork(10);
        QVERIFY(waitUntil([&] { return probe.calls.load() == 1; }, 2000));
        worker.StopWork();
        worker.StartWork(10); // the last iteration still runs: busy, ignored
        probe.gate.wake();
        QVERIFY(waitUntil([&] { return !worker.IsWorking(); }, 2000));
        QThread::msleep(50);
        QCOMPARE(probe.calls.load(), 1);
        QVERIFY(worker.Shutdown(2000));
    }

    void runOnceWorkerRunsOncePerStart()
    {
        Probe probe;
        probe.blocks = true;
        CThreadWorker worker;
        worker.SetRunOnce(true);
        worker.InitProc(probeProc, &probe);
        worker.StartWork(0);
        worker.StartWork(0); // queued twice would run the procedure twice
        QVERIFY(waitUntil([&] { return probe.calls.load() == 1; }, 2000));
        probe.gate.wake();
        QVERIFY(waitUntil([&] { return !worker.IsWorking(); }, 2000));
        QThread::msleep(30);
        QCOMPARE(probe.calls.load(), 1);
        probe.gate.wake(); // lets the next call through at once
        worker.StartWork(0);
        QVERIFY(waitUntil([&] { return probe.calls.load() == 2 && !worker.IsWorking(); }, 2000));
        QVERIFY(worker.Shutdown(2000));
    }

    void startRightAfterConstructionIsNeverLost()
    {
        for (int i = 0; i < 20; ++i) {
            Probe probe;
            auto worker = std::make_unique<CThreadWorker>();
            worker->SetRunOnce(true);
            worker->InitProc(probeProc, &probe);
            worker->StartWork(0);
            QVERIFY2(waitUntil([&] { return probe.calls.load() == 1; }, 2000), "a start before the thread ran was lost");
            QVERIFY(worker->Shutdown(2000));
        }
    }

    void stopEndsALongPauseAtOnce()
    {
        Probe probe;
        CThreadWorker worker;
        worker.InitProc(probeProc, &probe);
        worker.StartWork(60000);
        QVERIFY(waitUntil([&] { return probe.calls.load() == 1; }, 2000));
        QElapsedTimer timer;
        timer.start();
        QVERIFY2(worker.Shutdown(2000), "a worker in its pause must stop within the bound");
        QVERIFY(timer.elapsed() < 2000);
        QVERIFY(worker.isFinished());
    }

    void blockedProcedureMakesShutdownReportFailureNotHang()
    {
        Probe probe;
        probe.blocks = true;
        CThreadWorker worker;
        worker.SetRunOnce(true);
        worker.InitProc(probeProc, &probe);
        worker.StartWork(0);
        QVERIFY(waitUntil([&] { return probe.calls.load() == 1; }, 2000));
        QVERIFY(!worker.Shutdown(100)); // bounded: reports, does not terminate
        QVERIFY(worker.isRunning());
        probe.gate.wake();
        QVERIFY(worker.Shutdown(2000));
        worker.StartWork(0); // after Exit nothing starts
        QThread::msleep(20);
        QCOMPARE(probe.calls.load(), 1);
        QVERIFY(!worker.IsWorking());
    }

    void workersMadeAndDestroyedAtOnceDoNotHang()
    {
        // Exit can reach a thread before its event loop has started; it must still end.
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 50; ++i) {
            CThreadWorker worker;
            QVERIFY(worker.Shutdown(2000));
        }
        for (int i = 0; i < 50; ++i) {
            auto worker = std::make_unique<CThreadWorker>();
        } // the destructor alone shuts down
        QVERIFY(timer.elapsed() < 20000);
    }

    void workerWithoutProcedureStaysIdle()
    {
        CThreadWorker worker;
        worker.StartWork(5);
        QVERIFY(waitUntil([&] { return !worker.IsWorking(); }, 2000));
        QVERIFY(worker.Shutdown(2000));
    }

    void wakeBeforeWaitIsKept()
    {
        CWakeEvent event;
        event.wake();
        QVERIFY(event.isPending());
        QVERIFY(event.wait(0));
        QVERIFY(!event.wait(20)); // consumed
        event.wake();
        event.reset(); // a stale acknowledgement is dropped before sending
        QVERIFY(!event.wait(10));
        std::thread waker([&] {
            QThread::msleep(20);
            event.wake();
        });
        QVERIFY(event.wait(5000));
        waker.join();
    }

    void releaseWakesEveryWaiter()
    {
        CWakeEvent event;
        std::atomic<int> returned{0};
        std::atomic<int> woken{0};
        std::vector<std::thread> waiters;
        for (int i = 0; i < 4; ++i)
            waiters.emplace_back([&] {
                if (event.wait(-1)) ++woken;
                ++returned;
            });
        QThread::msleep(30);
        event.release();
        for (auto& t : waiters) t.join();
        QCOMPARE(returned.load(), 4);
        QCOMPARE(woken.load(), 0);
        QVERIFY(!event.wait(-1)); // released stays released
        event.rearm();
        QVERIFY(!event.wait(5));
        event.wake();
        QVERIFY(event.wait(5));
    }

    void queueKeepsOrderAndHandlesEmpty()
    {
        CSafeQueue<CommandParametersStruct> queue;
        queue.popfront(); // empty: nothing happens
        queue.ClearPacketQueue();
        QCOMPARE(queue.count(), 0);
        QCOMPARE(queue.front().CommandId(), (unsigned char)0);
        CommandParametersStruct out;
        QVERIFY(!queue.takeFront(out));
        queue.append(command(CmdRun, 0, 1));
        queue.append(command(CmdSetup, 0, 2));
        queue.append(command(CmdStatus, 0, 3));
        QCOMPARE(queue.count(), 3);
        QCOMPARE(queue.front().CommandId(), (unsigned char)CmdRun);
        queue.popfront();
        QVERIFY(queue.takeFront(out));
        QCOMPARE(out.CommandId(), (unsigned char)CmdSetup);
        QCOMPARE(out.GetByte(3), (unsigned char)2);
        queue.clearAndAppend(command(CmdStop, 0, 9));
        QCOMPARE(queue.count(), 1);
        QVERIFY(queue.takeFront(out));
        QCOMPARE(out.CommandId(), (unsigned char)CmdStop);
        QVERIFY(queue.isEmpty());
    }

    void queueUnderSeveralProducers()
    {
        CSafeQueue<CommandParametersStruct> queue;
        constexpr int kProducers = 4;
        constexpr int kEach = 2000;
        std::atomic<int> done{0};
        std::vector<std::thread> producers;
        for (int p = 0; p < kProducers; ++p)
            producers.emplace_back([&, p] {
                for (int s = 0; s < kEach; ++s) queue.append(command(CmdStatus, (unsigned char)p, (unsigned short)s));
                ++done;
            });
        int next[kProducers] = {0};
        int taken = 0;
        bool ordered = true;
        while (taken < kProducers * kEach) {
            CommandParametersStruct cmd;
            if (!queue.takeFront(cmd)) {
                if (done.load() == kProducers && queue.isEmpty()) break;
                std::this_thread::yield();
                continue;
            }
            const int p = cmd.GetByte(1);
            const int seq = cmd.GetByte(2) << 8 | cmd.GetByte(3);
            if (p >= kProducers || seq != next[p]) ordered = false;
            else ++next[p];
            ++taken;
        }
        for (auto& t : producers) t.join();
        QVERIFY(ordered);
        QCOMPARE(taken, kProducers * kEach);
        for (int p = 0; p < kProducers; ++p) QCOMPARE(next[p], kEach);
        QVERIFY(queue.isEmpty());
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestWorker)
#include "tst_worker.moc"

#pragma once
// Pins a running process to some of its processors, as taskset pins one at its start: every
// thread it has (the idle ones of its pools too) is moved, and threads started later inherit
// the set from the thread that starts them. sched_setaffinity alone moves the calling thread.
#include <QDir>
#include <QStringList>

#include <cerrno>

#include <sched.h>

// The processors the calling thread may run on.
inline cpu_set_t CurrentProcessors()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0)
        CPU_SET(0, &set);
    return set;
}

// The first n processors of `from`; fewer when it holds fewer.
inline cpu_set_t FirstProcessors(const cpu_set_t& from, int n)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int cpu = 0, taken = 0; cpu < CPU_SETSIZE && taken < n; ++cpu)
        if (CPU_ISSET(cpu, &from)) {
            CPU_SET(cpu, &set);
            ++taken;
        }
    return set;
}

// Moves every thread of the process onto `set`; false when one of them could not be moved (one
// that ended meanwhile needs no moving).
inline bool SetProcessProcessors(const cpu_set_t& set)
{
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    bool all = !tasks.isEmpty();
    for (const QString& task : tasks)
        if (sched_setaffinity(task.toInt(), sizeof set, &set) != 0 && errno != ESRCH)
            all = false;
    return all;
}

// Pins the process to `set` for the scope's life, then puts back the set the calling thread
// had for all of its threads.
class CPinnedProcess
{
public:
    explicit CPinnedProcess(const cpu_set_t& set) : m_Before(CurrentProcessors()), m_bPinned(SetProcessProcessors(set)) {}
    ~CPinnedProcess() { SetProcessProcessors(m_Before); }
    CPinnedProcess(const CPinnedProcess&) = delete;
    CPinnedProcess& operator=(const CPinnedProcess&) = delete;
    bool pinned() const { return m_bPinned; }

private:
    const cpu_set_t m_Before;
    const bool m_bPinned;
};

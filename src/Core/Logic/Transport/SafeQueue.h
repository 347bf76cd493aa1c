#pragma once
// CSafeQueue<T>: the first-in first-out command queue between the callers of a logger's
// SendCmd and its command-sender thread. Every operation takes the queue's lock for just that
// operation; records are copied in and out by value.
//
// Take the next record with takeFront(): a front() followed by popfront() is two locked steps,
// and a clear-and-append (a stop command emptying the queue) between them would make the
// popfront() remove the stop command instead of the record already taken.
#include <QMutex>
#include <QMutexLocker>

#include <deque>

template <typename T>
class CSafeQueue
{
public:
    void append(const T& record)
    {
        QMutexLocker lock(&m_lock);
        m_records.push_back(record);
    }
    void push_back(const T& record) { append(record); }

    int count() const
    {
        QMutexLocker lock(&m_lock);
        return int(m_records.size());
    }
    bool isEmpty() const { return count() == 0; }

    // A copy of the first record; a default record when the queue is empty.
    T front() const
    {
        QMutexLocker lock(&m_lock);
        return m_records.empty() ? T() : m_records.front();
    }

    // Removes the first record when there is one.
    void popfront()
    {
        QMutexLocker lock(&m_lock);
        if (!m_records.empty()) m_records.pop_front();
    }

    // Moves the first record into `out` in one locked step; false when the queue is empty.
    bool takeFront(T& out)
    {
        QMutexLocker lock(&m_lock);
        if (m_records.empty()) return false;
        out = m_records.front();
        m_records.pop_front();
        return true;
    }

    void ClearPacketQueue()
    {
        QMutexLocker lock(&m_lock);
        m_records.clear();
    }

    // Empties the queue and leaves `record` as its only entry, in one locked step.
    void clearAndAppend(const T& record)
    {
        QMutexLocker lock(&m_lock);
        m_records.clear();
        m_records.push_back(record);
    }

private:
    mutable QMutex m_lock;
    std::deque<T> m_records;
};

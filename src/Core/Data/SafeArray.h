#pragma once
// A list with its own mutex: every operation locks for its own duration, so logger threads
// and the interface thread may share it. A caller that iterates re-reads the size each time
// or takes a Snapshot().
#include <QMutex>
#include <algorithm>
#include <QMutexLocker>
#include <QVector>

template <typename T>
class CSafeArray
{
public:
    CSafeArray() = default;
    CSafeArray(const CSafeArray&) = delete;
    CSafeArray& operator=(const CSafeArray&) = delete;

    void Add(const T& value)
    {
        QMutexLocker lock(&m_Mutex);
        m_List.append(value);
    }
    // Appends count values under one lock.
    void AddRange(const T* values, int count)
    {
        if (!values || count <= 0)
            return;
        QMutexLocker lock(&m_Mutex);
        // Grow geometrically: reserving exactly size + count on every call would copy the
        // whole list each time a packet arrives.
        if (m_List.capacity() < m_List.size() + count)
            m_List.reserve(std::max(m_List.size() + count, 2 * m_List.size()));
        for (int i = 0; i < count; ++i)
            m_List.append(values[i]);
    }
    // The element at index, or a default-constructed T (null for pointers) outside the list.
    T GetAt(int index) const
    {
        QMutexLocker lock(&m_Mutex);
        return (index >= 0 && index < m_List.size()) ? m_List.at(index) : T();
    }
    // Writes the element at index; false (and nothing written) outside the list.
    bool SetAt(int index, const T& value)
    {
        QMutexLocker lock(&m_Mutex);
        if (index < 0 || index >= m_List.size())
            return false;
        m_List[index] = value;
        return true;
    }
    int GetSize() const
    {
        QMutexLocker lock(&m_Mutex);
        return m_List.size();
    }
    bool IsEmpty() const { return GetSize() == 0; }
    T First() const { return GetAt(0); }
    T Last() const
    {
        QMutexLocker lock(&m_Mutex);
        return m_List.isEmpty() ? T() : m_List.last();
    }
    void RemoveAt(int index)
    {
        QMutexLocker lock(&m_Mutex);
        if (index >= 0 && index < m_List.size())
            m_List.remove(index);
    }
    void RemoveValue(const T& value)
    {
        QMutexLocker lock(&m_Mutex);
        const int i = m_List.indexOf(value);
        if (i >= 0)
            m_List.remove(i);
    }
    int IndexOf(const T& value) const
    {
        QMutexLocker lock(&m_Mutex);
        return m_List.indexOf(value);
    }
    bool Contains(const T& value) const { return IndexOf(value) >= 0; }
    // Position of the first element for which pred is true, searched under one lock; -1 when
    // none. pred must not take other locks.
    template <typename Pred>
    int FindIndex(Pred pred) const
    {
        QMutexLocker lock(&m_Mutex);
        for (int i = 0; i < m_List.size(); ++i)
            if (pred(m_List.at(i)))
                return i;
        return -1;
    }
    // The first element for which pred is true, or a default-constructed T.
    template <typename Pred>
    T FindFirst(Pred pred) const
    {
        QMutexLocker lock(&m_Mutex);
        for (const T& item : m_List)
            if (pred(item))
                return item;
        return T();
    }
    void Clear()
    {
        QMutexLocker lock(&m_Mutex);
        m_List.clear();
    }
    // Removes and returns every element under one lock.
    QVector<T> TakeAll()
    {
        QMutexLocker lock(&m_Mutex);
        QVector<T> all;
        all.swap(m_List);
        return all;
    }
    // A copy of the whole list taken under one lock.
    QVector<T> Snapshot() const
    {
        QMutexLocker lock(&m_Mutex);
        return m_List;
    }

private:
    mutable QMutex m_Mutex;
    QVector<T> m_List;
};

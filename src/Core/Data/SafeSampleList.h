#pragma once
// A list of doubles with its own mutex, stored in fixed blocks: appending never copies what is
// already stored, so a long run's packets take the same short time under the lock at the
// fifty-millionth sample as at the first. Values that single precision holds exactly (a
// logger's raw counts) take 4 bytes each, others 8 (see CNarrowSampleStore).
#include "Core/Data/NarrowSampleStore.h"

#include <QMutex>
#include <QMutexLocker>

class CSafeSampleList
{
public:
    CSafeSampleList() = default;
    CSafeSampleList(const CSafeSampleList&) = delete;
    CSafeSampleList& operator=(const CSafeSampleList&) = delete;

    // Appends count values under one lock; returns how many were stored (fewer only when
    // memory ran out).
    int AddRange(const double* values, int count)
    {
        if (!values || count <= 0)
            return 0;
        QMutexLocker lock(&m_Mutex);
        return m_Store.append(values, count);
    }
    void Add(double value) { AddRange(&value, 1); }
    // The value at index, or 0.0 outside the list.
    double GetAt(int index) const
    {
        QMutexLocker lock(&m_Mutex);
        return (index >= 0 && index < m_Store.size()) ? m_Store.at(index) : 0.0;
    }
    int GetSize() const
    {
        QMutexLocker lock(&m_Mutex);
        return m_Store.size();
    }
    void Clear()
    {
        QMutexLocker lock(&m_Mutex);
        m_Store.clear();
    }
    // Bytes held for values, for memory accounting.
    size_t BytesReserved() const
    {
        QMutexLocker lock(&m_Mutex);
        return m_Store.bytesReserved();
    }
    // Bytes the values occupy in memory (see CNarrowSampleStore::bytesInUse).
    size_t BytesInUse() const
    {
        QMutexLocker lock(&m_Mutex);
        return m_Store.bytesInUse();
    }

private:
    mutable QMutex m_Mutex;
    // Written on every packet, never drawn: compact, and without a drawing summary.
    CNarrowSampleStore m_Store;
};

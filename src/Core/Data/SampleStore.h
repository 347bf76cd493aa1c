#pragma once
// Compact storage of one list of doubles, kept in fixed blocks so that a long run never
// reallocates (and copies) its whole history while a reader waits on the list's lock, and the
// memory stays close to 8 bytes a value. The first block grows by doubling, so short series
// stay small; full blocks are 2 MiB, aligned so the kernel can back each with one huge page
// (one page fault per block instead of 512 while a run records). Not locked: the owning
// branch holds the lock.
#include <climits>
#include <cstddef>
#include <memory>
#include <vector>

class CSampleStore
{
public:
    static constexpr int BlockShift = 18;
    static constexpr int BlockSize = 1 << BlockShift;
    static constexpr int BlockMask = BlockSize - 1;
    // Upper bound on the number of values (8 GiB of doubles); appends beyond it are refused.
    static constexpr int MaxSize = 1 << 30;

    CSampleStore() = default;
    CSampleStore(const CSampleStore&) = delete;
    CSampleStore& operator=(const CSampleStore&) = delete;

    int size() const { return m_Size; }
    bool isEmpty() const { return m_Size == 0; }
    // Unchecked: 0 <= i < size().
    double at(int i) const { return m_Blocks[size_t(i >> BlockShift)].get()[i & BlockMask]; }
    void set(int i, double v) { m_Blocks[size_t(i >> BlockShift)].get()[i & BlockMask] = v; }

    // False when the value could not be stored (memory exhausted or MaxSize reached).
    bool append(double v)
    {
        if (m_Size == m_Capacity && !grow())
            return false;
        m_Blocks[size_t(m_Size >> BlockShift)].get()[m_Size & BlockMask] = v;
        ++m_Size;
        return true;
    }
    // Makes room for n more values without storing them; false when that is impossible.
    bool ensureRoom(int n)
    {
        if (n < 0 || n > MaxSize - m_Size)
            return false;
        while (m_Capacity - m_Size < n)
            if (!grow())
                return false;
        return true;
    }
    // Appends up to count values; returns how many were stored.
    int append(const double* values, int count);
    // Copies values [first, first + count) clamped to the stored range into out; returns the
    // number copied.
    int copy(int first, int count, double* out) const;
    void clear();
    // Bytes held for values (allocated capacity), for memory accounting.
    size_t bytesReserved() const;

private:
    struct FreeBlock
    {
        void operator()(double* p) const;
    };
    using Block = std::unique_ptr<double, FreeBlock>;
    static Block allocate(int values);
    bool grow();

    std::vector<Block> m_Blocks;
    int m_Size = 0;
    int m_Capacity = 0;
};

#pragma once
// A list of doubles that keeps each block in single precision while every value in it survives
// the trip to float and back bit for bit (the raw counts a logger sends always do), and in
// double precision from the first value that would not. A block is widened alone, so the cost
// of the change is bounded by one block whatever the length of the list, and a value is never
// altered: at() gives back exactly what was appended. Half the memory of a plain list for the
// usual raw values, at the price of a test per value on append and a branch per read; meant
// for lists that are written on every packet and seldom read. Fixed blocks as in CSampleStore
// (a full block is never copied again); the first block grows by doubling so a short list stays
// small. Not locked: the owner holds the lock.
#include "Core/Data/SampleStore.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

class CNarrowSampleStore
{
public:
    // The geometry of the series' stores.
    static constexpr int BlockShift = CSampleStore::BlockShift;
    static constexpr int BlockSize = CSampleStore::BlockSize;
    static constexpr int BlockMask = CSampleStore::BlockMask;
    static constexpr size_t PageBytes = CSampleStore::PageBytes;
    static constexpr int MaxSize = CSampleStore::MaxSize;

    CNarrowSampleStore() = default;
    CNarrowSampleStore(const CNarrowSampleStore&) = delete;
    CNarrowSampleStore& operator=(const CNarrowSampleStore&) = delete;

    int size() const { return m_Size; }
    // Unchecked: 0 <= i < size().
    double at(int i) const
    {
        const Block& b = m_Blocks[size_t(i >> BlockShift)];
        const int o = i & BlockMask;
        return b.wide ? static_cast<const double*>(b.data.get())[o]
                      : double(static_cast<const float*>(b.data.get())[o]);
    }
    // Appends up to count values; returns how many were stored (fewer only when memory ran
    // out or MaxSize was reached).
    int append(const double* values, int count);
    void clear();
    // Blocks kept in double precision (for tests and accounting).
    int wideBlocks() const;
    // Bytes held for values (allocated capacity) and the table of blocks.
    size_t bytesReserved() const;
    // Bytes the values occupy in memory: each block up to the last page written.
    size_t bytesInUse() const;

    // True when v comes back unchanged, bit for bit, from single precision.
    static bool fitsFloat(double v)
    {
        const double back = double(float(v));
        return std::memcmp(&back, &v, sizeof v) == 0;
    }

private:
    struct FreeBlock
    {
        void operator()(void* p) const;
    };
    struct Block
    {
        std::unique_ptr<void, FreeBlock> data;
        bool wide = false;
    };
    static std::unique_ptr<void, FreeBlock> allocate(int values, bool wide);
    // Capacity of the block that holds index i.
    int blockCapacity() const { return m_Capacity < BlockSize ? m_Capacity : BlockSize; }
    bool grow(bool wide);
    bool widen(Block& block, int stored);

    std::vector<Block> m_Blocks;
    int m_Size = 0;
    int m_Capacity = 0;
};

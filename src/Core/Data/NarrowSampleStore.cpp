#include "Core/Data/NarrowSampleStore.h"

#include <algorithm>
#include <cstdlib>

void CNarrowSampleStore::FreeBlock::operator()(void* p) const
{
    std::free(p);
}

std::unique_ptr<void, CNarrowSampleStore::FreeBlock> CNarrowSampleStore::allocate(int values, bool wide)
{
    const size_t bytes = size_t(values) * (wide ? sizeof(double) : sizeof(float));
    if (values < BlockSize)
        return std::unique_ptr<void, FreeBlock>(std::malloc(bytes));
    // Page-aligned, so that the pages a block occupies are exactly those its values touch.
    void* p = nullptr;
    if (posix_memalign(&p, PageBytes, bytes) != 0)
        return std::unique_ptr<void, FreeBlock>();
    return std::unique_ptr<void, FreeBlock>(p);
}

bool CNarrowSampleStore::grow(bool wide)
{
    if (m_Capacity >= MaxSize)
        return false;
    if (m_Blocks.size() <= 1 && m_Capacity < BlockSize) {
        // The first block keeps the width it has; an empty list takes the first value's.
        const bool keepWide = m_Blocks.empty() ? wide : m_Blocks[0].wide;
        const int newCap = m_Capacity == 0 ? 64 : std::min(m_Capacity * 2, int(BlockSize));
        auto data = allocate(newCap, keepWide);
        if (!data)
            return false;
        if (m_Size > 0)
            std::memcpy(data.get(), m_Blocks[0].data.get(), size_t(m_Size) * (keepWide ? sizeof(double) : sizeof(float)));
        if (m_Blocks.empty()) {
            try {
                m_Blocks.emplace_back();
            } catch (...) {
                return false;
            }
        }
        m_Blocks[0].data = std::move(data);
        m_Blocks[0].wide = keepWide;
        m_Capacity = newCap;
        return true;
    }
    Block block;
    block.data = allocate(BlockSize, wide);
    block.wide = wide;
    if (!block.data)
        return false;
    try {
        m_Blocks.push_back(std::move(block));
    } catch (...) {
        return false;
    }
    m_Capacity += BlockSize;
    return true;
}

bool CNarrowSampleStore::widen(Block& block, int stored)
{
    auto data = allocate(blockCapacity(), true);
    if (!data)
        return false;
    const float* from = static_cast<const float*>(block.data.get());
    double* to = static_cast<double*>(data.get());
    for (int k = 0; k < stored; ++k)
        to[k] = double(from[k]);
    block.data = std::move(data);
    block.wide = true;
    return true;
}

int CNarrowSampleStore::append(const double* values, int count)
{
    if (!values || count <= 0)
        return 0;
    int done = 0;
    while (done < count) {
        if (m_Size == m_Capacity && !grow(!fitsFloat(values[done])))
            break;
        Block& block = m_Blocks[size_t(m_Size >> BlockShift)];
        const int offset = m_Size & BlockMask;
        const int n = std::min(blockCapacity() - offset, count - done);
        int k = 0;
        if (block.wide) {
            std::memcpy(static_cast<double*>(block.data.get()) + offset, values + done, size_t(n) * sizeof(double));
            k = n;
        } else {
            float* to = static_cast<float*>(block.data.get()) + offset;
            for (; k < n; ++k) {
                const double v = values[done + k];
                if (!fitsFloat(v))
                    break;
                to[k] = float(v);
            }
        }
        m_Size += k;
        done += k;
        if (k < n && !widen(block, offset + k))
            break;
    }
    return done;
}

void CNarrowSampleStore::clear()
{
    std::vector<Block>().swap(m_Blocks);
    m_Size = 0;
    m_Capacity = 0;
}

int CNarrowSampleStore::wideBlocks() const
{
    return int(std::count_if(m_Blocks.begin(), m_Blocks.end(), [](const Block& b) { return b.wide; }));
}

size_t CNarrowSampleStore::bytesReserved() const
{
    size_t bytes = m_Blocks.capacity() * sizeof(Block);
    for (const Block& b : m_Blocks)
        bytes += size_t(blockCapacity()) * (b.wide ? sizeof(double) : sizeof(float));
    return bytes;
}

size_t CNarrowSampleStore::bytesInUse() const
{
    size_t bytes = m_Blocks.capacity() * sizeof(Block);
    if (m_Capacity < BlockSize) {
        // The growing first block, all of it written when it was copied into.
        if (!m_Blocks.empty())
            bytes += size_t(m_Capacity) * (m_Blocks[0].wide ? sizeof(double) : sizeof(float));
        return bytes;
    }
    for (size_t b = 0; b < m_Blocks.size(); ++b) {
        const size_t width = m_Blocks[b].wide ? sizeof(double) : sizeof(float);
        const long long first = (long long)(b) << BlockShift;
        const long long stored = std::min<long long>(BlockSize, std::max<long long>(0, m_Size - first));
        bytes += (size_t(stored) * width + PageBytes - 1) / PageBytes * PageBytes;
    }
    return bytes;
}

#include "Core/Data/SampleStore.h"

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <sys/mman.h>

void CSampleStore::FreeBlock::operator()(double* p) const
{
    std::free(p);
}

CSampleStore::Block CSampleStore::allocate(int values)
{
    const size_t bytes = size_t(values) * sizeof(double);
    if (values < BlockSize)
        return Block(static_cast<double*>(std::malloc(bytes)));
    void* p = nullptr;
    if (posix_memalign(&p, bytes, bytes) != 0)
        return Block();
#ifdef MADV_HUGEPAGE
    madvise(p, bytes, MADV_HUGEPAGE);   // a hint; without huge pages nothing changes
#endif
    return Block(static_cast<double*>(p));
}

bool CSampleStore::grow()
{
    if (m_Capacity >= MaxSize)
        return false;
    if (m_Blocks.size() <= 1 && m_Capacity < BlockSize) {
        const int newCap = m_Capacity == 0 ? 64 : std::min(m_Capacity * 2, int(BlockSize));
        Block block = allocate(newCap);
        if (!block)
            return false;
        if (m_Size > 0)
            std::memcpy(block.get(), m_Blocks[0].get(), size_t(m_Size) * sizeof(double));
        if (m_Blocks.empty()) {
            try {
                m_Blocks.emplace_back();
            } catch (...) {
                return false;
            }
        }
        m_Blocks[0] = std::move(block);
        m_Capacity = newCap;
        return true;
    }
    Block block = allocate(BlockSize);
    if (!block)
        return false;
    try {
        m_Blocks.push_back(std::move(block));
    } catch (...) {
        return false;
    }
    m_Capacity += BlockSize;
    return true;
}

int CSampleStore::append(const double* values, int count)
{
    if (!values || count <= 0)
        return 0;
    int done = 0;
    while (done < count) {
        if (m_Size == m_Capacity && !grow())
            break;
        const int offset = m_Size & BlockMask;
        const int room = std::min(m_Capacity - m_Size, BlockSize - offset);
        const int n = std::min(room, count - done);
        std::memcpy(m_Blocks[size_t(m_Size >> BlockShift)].get() + offset, values + done,
                    size_t(n) * sizeof(double));
        m_Size += n;
        done += n;
    }
    return done;
}

int CSampleStore::copy(int first, int count, double* out) const
{
    if (!out || count <= 0 || first >= m_Size)
        return 0;
    if (first < 0) {
        // Clamp to the stored range: a range starting before 0 starts at 0.
        const long long shortened = (long long)count + first;
        if (shortened <= 0)
            return 0;
        count = int(shortened);
        first = 0;
    }
    count = int(std::min<long long>(count, (long long)m_Size - first));
    int done = 0;
    while (done < count) {
        const int index = first + done;
        const int offset = index & BlockMask;
        const int n = std::min(BlockSize - offset, count - done);
        std::memcpy(out + done, m_Blocks[size_t(index >> BlockShift)].get() + offset,
                    size_t(n) * sizeof(double));
        done += n;
    }
    return done;
}

void CSampleStore::clear()
{
    std::vector<Block>().swap(m_Blocks);
    m_Size = 0;
    m_Capacity = 0;
}

size_t CSampleStore::bytesReserved() const
{
    return size_t(m_Capacity) * sizeof(double)
        + m_Blocks.capacity() * sizeof(Block);
}

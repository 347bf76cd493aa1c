#include "Core/Data/SampleStore.h"

#include <algorithm>
#include <cstring>
#include <cstdlib>

void CSampleStore::FreeBlock::operator()(double* p) const
{
    std::free(p);
}

CSampleStore::Block CSampleStore::allocate(int values)
{
    const size_t bytes = size_t(values) * sizeof(double);
    if (values < BlockSize)
        return Block(static_cast<double*>(std::malloc(bytes)));
    // Page-aligned, so that the pages a block occupies are exactly those its values touch.
    void* p = nullptr;
    if (posix_memalign(&p, PageBytes, bytes) != 0)
        return Block();
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
        for (int k = 0; k < n; ++k)
            noteAppended(m_Size + k, values[done + k]);
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
    std::vector<float>().swap(m_Min1);
    std::vector<float>().swap(m_Max1);
    std::vector<float>().swap(m_Min2);
    std::vector<float>().swap(m_Max2);
    m_bNonDecreasing = true;
    m_bSummaryLost = !m_bKeepSummary;
}

void CSampleStore::set(int i, double v)
{
    m_Blocks[size_t(i >> BlockShift)].get()[i & BlockMask] = v;
    // An edited value may break the order; it is not restored when a later edit mends it.
    if (std::isnan(v) || (i > 0 && v < at(i - 1)) || (i + 1 < m_Size && at(i + 1) < v))
        m_bNonDecreasing = false;
    rebuildSummary(i);
}

void CSampleStore::pushSummary(std::vector<float>& lo, std::vector<float>& hi)
{
    try {
        lo.push_back(std::numeric_limits<float>::infinity());
        hi.push_back(-std::numeric_limits<float>::infinity());
    } catch (...) {
        if (hi.size() < lo.size())
            lo.pop_back();
    }
}

void CSampleStore::rebuildSummary(int index)
{
    const size_t c = size_t(index >> SummaryShift);
    if (c < m_Min1.size()) {
        const int first = int(c) << SummaryShift;
        float lo = std::numeric_limits<float>::infinity(), hi = -lo;
        scanMinMax(first, std::min(first + SummarySize, m_Size), lo, hi);
        m_Min1[c] = lo;
        m_Max1[c] = hi;
    }
    const size_t c2 = size_t(index >> SummaryShift2);
    if (c2 < m_Min2.size()) {
        // Built from the finer summary, which is now current.
        float lo = std::numeric_limits<float>::infinity(), hi = -lo;
        const size_t from = c2 << (SummaryShift2 - SummaryShift);
        const size_t to = std::min(m_Min1.size(), from + (size_t(1) << (SummaryShift2 - SummaryShift)));
        for (size_t k = from; k < to; ++k) {
            lo = std::min(lo, m_Min1[k]);
            hi = std::max(hi, m_Max1[k]);
        }
        m_Min2[c2] = lo;
        m_Max2[c2] = hi;
    }
}

bool CSampleStore::scanMinMax(int first, int last, float& lo, float& hi) const
{
    // Block by block over plain pointers, without branches the compiler cannot turn into
    // vector minimum and maximum: a gap becomes a value neither extreme takes, and a NaN loses
    // every comparison.
    const float inf = std::numeric_limits<float>::infinity();
    float l = inf, h = -inf;
    for (int i = first; i < last;) {
        const int offset = i & BlockMask;
        const int n = std::min(last - i, BlockSize - offset);
        const double* p = m_Blocks[size_t(i >> BlockShift)].get() + offset;
        for (int k = 0; k < n; ++k) {
            const float f = float(p[k]);
            const bool gap = f == GapValue;
            const float a = gap ? inf : f;
            const float b = gap ? -inf : f;
            l = a < l ? a : l;
            h = b > h ? b : h;
        }
        i += n;
    }
    if (!(l <= h))
        return false;
    lo = std::min(lo, l);
    hi = std::max(hi, h);
    return true;
}

bool CSampleStore::minMax(int first, int last, float& lo, float& hi) const
{
    first = std::max(first, 0);
    last = std::min(last, m_Size);
    if (first >= last)
        return false;
    if (m_bSummaryLost || last - first < 2 * SummarySize)
        return scanMinMax(first, last, lo, hi);
    float l = std::numeric_limits<float>::infinity(), h = -l;
    int i = first;
    // Head up to a summary boundary, then the coarse runs, the fine runs and the tail.
    const int headEnd = std::min(last, (first + SummarySize - 1) & ~(SummarySize - 1));
    scanMinMax(i, headEnd, l, h);
    i = headEnd;
    while (i + SummarySize <= last && (i & (SummarySize2 - 1)) != 0) {
        l = std::min(l, m_Min1[size_t(i >> SummaryShift)]);
        h = std::max(h, m_Max1[size_t(i >> SummaryShift)]);
        i += SummarySize;
    }
    while (i + SummarySize2 <= last) {
        l = std::min(l, m_Min2[size_t(i >> SummaryShift2)]);
        h = std::max(h, m_Max2[size_t(i >> SummaryShift2)]);
        i += SummarySize2;
    }
    while (i + SummarySize <= last) {
        l = std::min(l, m_Min1[size_t(i >> SummaryShift)]);
        h = std::max(h, m_Max1[size_t(i >> SummaryShift)]);
        i += SummarySize;
    }
    scanMinMax(i, last, l, h);
    if (!(l <= h))
        return false;
    lo = std::min(lo, l);
    hi = std::max(hi, h);
    return true;
}

int CSampleStore::runExtremes(int firstRun, int count, float* lo, float* hi, bool coarse) const
{
    const int size = coarse ? SummarySize2 : SummarySize;
    const int runs = (m_Size + size - 1) / size;
    if (firstRun < 0 || count <= 0 || firstRun >= runs)
        return 0;
    const int n = std::min(count, runs - firstRun);
    const std::vector<float>& mins = coarse ? m_Min2 : m_Min1;
    const std::vector<float>& maxs = coarse ? m_Max2 : m_Max1;
    const float inf = std::numeric_limits<float>::infinity();
    for (int k = 0; k < n; ++k) {
        const int r = firstRun + k;
        if (!m_bSummaryLost) {
            lo[k] = mins[size_t(r)];
            hi[k] = maxs[size_t(r)];
        } else {
            lo[k] = inf;
            hi[k] = -inf;
            scanMinMax(r * size, (r + 1 < runs ? (r + 1) * size : m_Size), lo[k], hi[k]);
        }
    }
    return n;
}

int CSampleStore::firstValid(int first, int last) const
{
    first = std::max(first, 0);
    last = std::min(last, m_Size);
    int i = first;
    while (i < last) {
        // Whole runs of gaps are passed over by their summary.
        if (!m_bSummaryLost && (i & (SummarySize - 1)) == 0 && i + SummarySize <= last
            && !(m_Min1[size_t(i >> SummaryShift)] <= m_Max1[size_t(i >> SummaryShift)])) {
            i += SummarySize;
            continue;
        }
        if (!isGap(at(i)))
            return i;
        ++i;
    }
    return -1;
}

int CSampleStore::lastValid(int first, int last) const
{
    first = std::max(first, 0);
    last = std::min(last, m_Size);
    int i = last - 1;
    while (i >= first) {
        if (!m_bSummaryLost && ((i + 1) & (SummarySize - 1)) == 0 && i + 1 - SummarySize >= first
            && !(m_Min1[size_t(i >> SummaryShift)] <= m_Max1[size_t(i >> SummaryShift)])) {
            i -= SummarySize;
            continue;
        }
        if (!isGap(at(i)))
            return i;
        --i;
    }
    return -1;
}

size_t CSampleStore::bytesReserved() const
{
    return size_t(m_Capacity) * sizeof(double)
        + m_Blocks.capacity() * sizeof(Block);
}

size_t CSampleStore::bytesInUse() const
{
    size_t bytes = 0;
    if (m_Capacity < BlockSize) {
        bytes = size_t(m_Capacity) * sizeof(double);  // the growing first block, all copied into
    } else {
        const size_t full = size_t(m_Size >> BlockShift);
        const size_t tail = size_t(m_Size & BlockMask) * sizeof(double);
        bytes = full * BlockSize * sizeof(double) + (tail + PageBytes - 1) / PageBytes * PageBytes;
    }
    const size_t summary = m_Min1.capacity() + m_Max1.capacity() + m_Min2.capacity() + m_Max2.capacity();
    return bytes + summary * sizeof(float) + m_Blocks.capacity() * sizeof(Block);
}

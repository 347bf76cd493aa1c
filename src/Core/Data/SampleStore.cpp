#include "Core/Data/SampleStore.h"

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void CSampleStore::FreeBlock::operator()(double* p) const
{
    std::free(p);
}

CSampleStore::Values CSampleStore::allocate(int values)
{
    const size_t bytes = size_t(values) * sizeof(double);
    if (values < BlockSize)
        return Values(static_cast<double*>(std::malloc(bytes)));
    // Page-aligned, so that the pages a block occupies are exactly those its values touch.
    void* p = nullptr;
    if (posix_memalign(&p, PageBytes, bytes) != 0)
        return Values();
    return Values(static_cast<double*>(p));
}

CSampleStore::ExtremesList CSampleStore::newExtremes(size_t count)
{
    ExtremesList list(new (std::nothrow) Extremes[count]);
    if (list) {
        const float inf = std::numeric_limits<float>::infinity();
        std::fill(list.get(), list.get() + count, Extremes{inf, -inf});
    }
    return list;
}

bool CSampleStore::summarise(Block& block)
{
    const int capacity = blockCapacity();
    ExtremesList fine = newExtremes(fineCount(capacity));
    ExtremesList coarse = newExtremes(coarseCount(capacity));
    if (!fine || !coarse)
        return false;
    block.fine = std::move(fine);
    block.coarse = std::move(coarse);
    return true;
}

bool CSampleStore::grow()
{
    if (m_Capacity >= MaxSize)
        return false;
    if (m_Blocks.size() <= 1 && m_Capacity < BlockSize) {
        const int newCap = m_Capacity == 0 ? 64 : std::min(m_Capacity * 2, int(BlockSize));
        Values values = allocate(newCap);
        if (!values)
            return false;
        if (m_Size > 0)
            std::memcpy(values.get(), m_Blocks[0].values.get(), size_t(m_Size) * sizeof(double));
        if (m_Blocks.empty()) {
            try {
                m_Blocks.emplace_back();
            } catch (...) {
                return false;
            }
        }
        Block& first = m_Blocks[0];
        if (first.fine) {
            ExtremesList fine = newExtremes(fineCount(newCap));
            ExtremesList coarse = newExtremes(coarseCount(newCap));
            if (fine && coarse) {
                std::copy(first.fine.get(), first.fine.get() + fineCount(m_Capacity), fine.get());
                std::copy(first.coarse.get(), first.coarse.get() + coarseCount(m_Capacity), coarse.get());
            } else {
                m_bSummaryLost = true;
            }
            first.fine = std::move(fine);
            first.coarse = std::move(coarse);
        }
        first.values = std::move(values);
        m_Capacity = newCap;
        return true;
    }
    Block block;
    block.values = allocate(BlockSize);
    if (!block.values)
        return false;
    // Past the ordered start every block carries its summary.
    if (m_Ordered < m_Size && !m_bSummaryLost && !summarise(block))
        m_bSummaryLost = true;
    try {
        m_Blocks.push_back(std::move(block));
    } catch (...) {
        return false;
    }
    m_Capacity += BlockSize;
    return true;
}

double* CSampleStore::appendSpace(int want, int* room)
{
    *room = 0;
    if (want <= 0 || (m_Size == m_Capacity && !grow()))
        return nullptr;
    // The growing first block is grown to take the whole request (up to a full block) at once.
    while (m_Capacity < BlockSize && m_Capacity - m_Size < want && grow()) {
    }
    const int offset = m_Size & BlockMask;
    *room = std::min(std::min(want, m_Capacity - m_Size), BlockSize - offset);
    return m_Blocks[size_t(m_Size >> BlockShift)].values.get() + offset;
}

void CSampleStore::commitAppend(int count)
{
    if (count <= 0)
        return;
    noteAppendedBlock(m_Size, count);
    m_Size += count;
}

int CSampleStore::append(const double* values, int count)
{
    if (!values || count <= 0)
        return 0;
    int done = 0;
    while (done < count) {
        int room = 0;
        double* space = appendSpace(count - done, &room);
        if (!space)
            break;
        std::memcpy(space, values + done, size_t(room) * sizeof(double));
        commitAppend(room);
        done += room;
    }
    return done;
}

namespace {

#if defined(__SSE2__)
// Four values in single precision, and which of them are gaps (the marker or NaN).
inline __m128 fourAsFloat(const double* v, __m128* gap)
{
    const __m128 f = _mm_movelh_ps(_mm_cvtpd_ps(_mm_loadu_pd(v)), _mm_cvtpd_ps(_mm_loadu_pd(v + 2)));
    *gap = _mm_or_ps(_mm_cmpeq_ps(f, _mm_set1_ps(CSampleStore::GapValue)), _mm_cmpunord_ps(f, f));
    return f;
}
#endif

// Whether any of v[1..n) is below the value before it (or NaN), or any of v[0..n) is a gap.
bool breaksOrder(const double* v, int n)
{
    int k = 1;
    bool broken = false;
#if defined(__SSE2__)
    __m128d falls = _mm_setzero_pd();
    __m128 gaps = _mm_setzero_ps();
    for (; k + 4 <= n; k += 4) {
        falls = _mm_or_pd(falls, _mm_cmpnge_pd(_mm_loadu_pd(v + k), _mm_loadu_pd(v + k - 1)));
        falls = _mm_or_pd(falls, _mm_cmpnge_pd(_mm_loadu_pd(v + k + 2), _mm_loadu_pd(v + k + 1)));
        __m128 gap;
        fourAsFloat(v + k - 1, &gap);
        gaps = _mm_or_ps(gaps, gap);
    }
    broken = _mm_movemask_pd(falls) != 0 || _mm_movemask_ps(gaps) != 0;
#endif
    // The rest, and the value before the first of the vector steps when there were some.
    for (int j = (k == 1 ? 0 : k - 1); j < n; ++j)
        broken |= (j > 0 && !(v[j] >= v[j - 1])) || CSampleStore::isGap(v[j]);
    return broken;
}

} // namespace

int CSampleStore::orderedPrefix(const double* v, int n, double prev)
{
    // Whole runs are tested at once; the run that breaks the order is then searched value by
    // value.
    int k = 0;
    while (k < n) {
        const int end = std::min(n, k + SummarySize);
        if (!(v[k] >= prev) || breaksOrder(v + k, end - k))
            break;
        prev = v[end - 1];
        k = end;
    }
    while (k < n && v[k] >= prev && !isGap(v[k]))
        prev = v[k++];
    return k;
}

bool CSampleStore::nonDecreasing(const double* v, int n, double prev)
{
    bool falls = n > 0 && !(v[0] >= prev);   // false for NaN
    int k = 1;
#if defined(__SSE2__)
    __m128d mask = _mm_setzero_pd();
    for (; k + 2 <= n; k += 2)
        mask = _mm_or_pd(mask, _mm_cmpnge_pd(_mm_loadu_pd(v + k), _mm_loadu_pd(v + k - 1)));
    falls |= _mm_movemask_pd(mask) != 0;
#endif
    for (; k < n; ++k)
        falls |= !(v[k] >= v[k - 1]);
    return !falls;
}

bool CSampleStore::mergeExtremes(const double* v, int n, float& lo, float& hi)
{
    // As scanMinMax: a gap (or NaN) becomes a value neither extreme takes.
    const float inf = std::numeric_limits<float>::infinity();
    float l = lo, h = hi;
    bool gap = false;
    int k = 0;
#if defined(__SSE2__)
    if (n >= 4) {
        __m128 vl = _mm_set1_ps(inf), vh = _mm_set1_ps(-inf), gaps = _mm_setzero_ps();
        for (; k + 4 <= n; k += 4) {
            __m128 g;
            const __m128 f = fourAsFloat(v + k, &g);
            vl = _mm_min_ps(_mm_or_ps(_mm_and_ps(g, _mm_set1_ps(inf)), _mm_andnot_ps(g, f)), vl);
            vh = _mm_max_ps(_mm_or_ps(_mm_and_ps(g, _mm_set1_ps(-inf)), _mm_andnot_ps(g, f)), vh);
            gaps = _mm_or_ps(gaps, g);
        }
        float lanes[4], highs[4];
        _mm_storeu_ps(lanes, vl);
        _mm_storeu_ps(highs, vh);
        for (int j = 0; j < 4; ++j) {
            l = lanes[j] < l ? lanes[j] : l;
            h = highs[j] > h ? highs[j] : h;
        }
        gap = _mm_movemask_ps(gaps) != 0;
    }
#endif
    for (; k < n; ++k) {
        const float f = float(v[k]);
        const bool g = f == GapValue || f != f;
        const float a = g ? inf : f;
        const float b = g ? -inf : f;
        l = a < l ? a : l;
        h = b > h ? b : h;
        gap |= g;
    }
    lo = l;
    hi = h;
    return gap;
}

void CSampleStore::noteAppendedBlock(int first, int count)
{
    Block& block = m_Blocks[size_t(first >> BlockShift)];
    const double* v = block.values.get() + (first & BlockMask);
    const double prev = first > 0 ? at(first - 1) : -std::numeric_limits<double>::infinity();
    int k = 0;
    if (first == m_Ordered) {
        k = orderedPrefix(v, count, prev);
        m_Ordered += k;
        if (k == count)
            return;   // the ordered start goes on: no summary, no gap, still rising
        startSummary(m_Ordered, m_Ordered);
    }
    if (m_bNonDecreasing)
        m_bNonDecreasing = nonDecreasing(v + k, count - k, k > 0 ? v[k - 1] : prev);
    // From here on the summary: each run of SummarySize values in turn, merged into its fine
    // and coarse entries.
    bool gap = false;
    for (int i = first + k; i < first + count;) {
        const int end = std::min(first + count, (i | (SummarySize - 1)) + 1);
        const double* run = v + (i - first);
        if (m_bSummaryLost) {
            float lo = 0, hi = 0;
            gap |= mergeExtremes(run, end - i, lo, hi);
        } else {
            Extremes& e1 = fine(i);
            gap |= mergeExtremes(run, end - i, e1.lo, e1.hi);
            Extremes& e2 = coarse(i);
            e2.lo = std::min(e2.lo, e1.lo);
            e2.hi = std::max(e2.hi, e1.hi);
        }
        i = end;
    }
    if (gap)
        block.gapSeen = true;
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
        std::memcpy(out + done, m_Blocks[size_t(index >> BlockShift)].values.get() + offset,
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
    m_Ordered = 0;
    m_bNonDecreasing = true;
    m_bSummaryLost = !m_bKeepSummary;
}

void CSampleStore::set(int i, double v)
{
    m_Blocks[size_t(i >> BlockShift)].values.get()[i & BlockMask] = v;
    if (isGap(v))
        m_Blocks[size_t(i >> BlockShift)].gapSeen = true;
    // An edited value may break the order; it is not restored when a later edit mends it.
    if (std::isnan(v) || (i > 0 && v < at(i - 1)) || (i + 1 < m_Size && at(i + 1) < v))
        m_bNonDecreasing = false;
    if (i >= m_Ordered) {
        rebuildSummary(i);
        return;
    }
    const bool fallsBefore = i > 0 && !(v >= at(i - 1));
    if (!isGap(v) && !fallsBefore && (i + 1 >= m_Ordered || at(i + 1) >= v))
        return;  // the ordered start still holds
    const int oldOrdered = m_Ordered;
    m_Ordered = (isGap(v) || fallsBefore) ? i : i + 1;
    // The summary already covers the runs from the one that held the old end on.
    const int to = std::min(m_Size, (oldOrdered + SummarySize2 - 1) & ~(SummarySize2 - 1));
    startSummary(m_Ordered, to);
}

void CSampleStore::startSummary(int from, int to)
{
    if (m_bSummaryLost)
        return;
    for (size_t b = size_t(from >> BlockShift); b < m_Blocks.size(); ++b) {
        if (!m_Blocks[b].fine && !summarise(m_Blocks[b])) {
            m_bSummaryLost = true;
            return;
        }
    }
    rebuildRange(from & ~(SummarySize2 - 1), to);
}

void CSampleStore::rebuildRange(int from, int to)
{
    // Fine runs from the values, then the coarse runs from the fine ones; from is the start of
    // a coarse run, so each coarse run rebuilt finds all its fine runs current.
    const float inf = std::numeric_limits<float>::infinity();
    for (int i = from; i < to; i += SummarySize) {
        float lo = inf, hi = -inf;
        scanMinMax(i, std::min(i + SummarySize, to), lo, hi);
        fine(i) = Extremes{lo, hi};
    }
    for (int i = from; i < to; i += SummarySize2) {
        float lo = inf, hi = -inf;
        for (int k = i; k < std::min(i + SummarySize2, to); k += SummarySize) {
            lo = std::min(lo, fine(k).lo);
            hi = std::max(hi, fine(k).hi);
        }
        coarse(i) = Extremes{lo, hi};
    }
}

void CSampleStore::rebuildSummary(int index)
{
    if (m_bSummaryLost)
        return;
    // Only the runs that hold index change: its fine run from the values, its coarse run
    // from the fine ones (current from the run that holds the ordered end on).
    const int fineFirst = index & ~(SummarySize - 1);
    const float inf = std::numeric_limits<float>::infinity();
    float lo = inf, hi = -inf;
    scanMinMax(fineFirst, std::min(fineFirst + SummarySize, m_Size), lo, hi);
    fine(index) = Extremes{lo, hi};
    const int coarseFirst = index & ~(SummarySize2 - 1);
    lo = inf;
    hi = -inf;
    for (int k = coarseFirst; k < std::min(coarseFirst + SummarySize2, m_Size); k += SummarySize) {
        lo = std::min(lo, fine(k).lo);
        hi = std::max(hi, fine(k).hi);
    }
    coarse(index) = Extremes{lo, hi};
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
        const double* p = m_Blocks[size_t(i >> BlockShift)].values.get() + offset;
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
    float l = std::numeric_limits<float>::infinity(), h = -l;
    if (first < m_Ordered) {
        // Rising without gaps: the ends are the extremes (rounding keeps the order).
        const int end = std::min(last, m_Ordered);
        l = float(at(first));
        h = float(at(end - 1));
        first = end;
    }
    if (first < last && (m_bSummaryLost || last - first < 2 * SummarySize)) {
        scanMinMax(first, last, l, h);
    } else if (first < last) {
        int i = first;
        // Head up to a summary boundary, then the coarse runs, the fine runs and the tail.
        const int headEnd = std::min(last, (first + SummarySize - 1) & ~(SummarySize - 1));
        scanMinMax(i, headEnd, l, h);
        i = headEnd;
        // The fine runs of one coarse run, and the coarse runs of one block, lie side by side:
        // each stretch is read through one pointer.
        if (i + SummarySize <= last && (i & (SummarySize2 - 1)) != 0) {
            for (const Extremes* e = &fine(i); i + SummarySize <= last && (i & (SummarySize2 - 1)) != 0; ++e) {
                l = std::min(l, e->lo);
                h = std::max(h, e->hi);
                i += SummarySize;
            }
        }
        while (i + SummarySize2 <= last) {
            const int blockEnd = (i | BlockMask) + 1;
            for (const Extremes* e = &coarse(i); i + SummarySize2 <= last && i < blockEnd; ++e) {
                l = std::min(l, e->lo);
                h = std::max(h, e->hi);
                i += SummarySize2;
            }
        }
        if (i + SummarySize <= last) {
            for (const Extremes* e = &fine(i); i + SummarySize <= last; ++e) {
                l = std::min(l, e->lo);
                h = std::max(h, e->hi);
                i += SummarySize;
            }
        }
        scanMinMax(i, last, l, h);
    }
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
    const float inf = std::numeric_limits<float>::infinity();
    if (!m_bSummaryLost && firstRun * size >= m_Ordered) {
        // All inside the summary: the runs of one block lie side by side, read through one
        // pointer a block at a time.
        const int perBlock = BlockSize / size;
        for (int k = 0; k < n;) {
            const int first = (firstRun + k) * size;
            const Extremes* e = coarse ? &this->coarse(first) : &fine(first);
            const int stretch = std::min(n - k, perBlock - ((first & BlockMask) / size));
            for (int j = 0; j < stretch; ++j) {
                lo[k + j] = e[j].lo;
                hi[k + j] = e[j].hi;
            }
            k += stretch;
        }
        return n;
    }
    for (int k = 0; k < n; ++k) {
        const int first = (firstRun + k) * size;
        if (!m_bSummaryLost && first >= m_Ordered) {
            const Extremes& e = coarse ? this->coarse(first) : fine(first);
            lo[k] = e.lo;
            hi[k] = e.hi;
        } else {
            // Inside the ordered start (no summary kept there) or without a summary.
            lo[k] = inf;
            hi[k] = -inf;
            minMax(first, std::min(first + size, m_Size), lo[k], hi[k]);
        }
    }
    return n;
}

bool CSampleStore::mayHoldGap(int first, int last) const
{
    first = std::max(first, 0);
    last = std::min(last, m_Size);
    if (first >= last)
        return false;
    for (int b = first >> BlockShift; b <= (last - 1) >> BlockShift; ++b)
        if (m_Blocks[size_t(b)].gapSeen)
            return true;
    return false;
}

int CSampleStore::firstValid(int first, int last) const
{
    first = std::max(first, 0);
    last = std::min(last, m_Size);
    int i = first;
    while (i < last) {
        if (i < m_Ordered)
            return i;  // the ordered start holds no gap
        // Whole runs of gaps are passed over by their summary.
        if (!m_bSummaryLost && (i & (SummarySize - 1)) == 0 && i + SummarySize <= last
            && !(fine(i).lo <= fine(i).hi)) {
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
        if (i < m_Ordered)
            return i;
        if (!m_bSummaryLost && ((i + 1) & (SummarySize - 1)) == 0 && i + 1 - SummarySize >= first
            && !(fine(i).lo <= fine(i).hi)) {
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
    const size_t perBlock = (fineCount(blockCapacity()) + coarseCount(blockCapacity())) * sizeof(Extremes);
    for (const Block& b : m_Blocks)
        if (b.fine)
            bytes += perBlock;
    return bytes + m_Blocks.capacity() * sizeof(Block);
}

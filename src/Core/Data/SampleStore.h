#pragma once
// Compact storage of one list of doubles, kept in fixed blocks so that a long run never
// reallocates (and copies) its whole history while a reader waits on the list's lock, and the
// memory stays close to 8 bytes a value. The first block grows by doubling, so short series
// stay small; full blocks are 2 MiB of ordinary pages. Huge pages are not asked for: the first
// touch of a huge page clears 2 MiB at once and, with memory short, waits for the kernel to
// compact memory, so the packet that opened a block took tens of times longer than the others;
// ordinary pages spread that cost evenly over the packets that fill the block. Not locked: the
// owning branch holds the lock.
//
// A summary is kept as values arrive (unless the store is built without one): the smallest and
// largest value of every run of SummarySize values and of every run of SummarySize2 values
// (gaps and NaN left out), and whether the values never decrease. With it a drawing asks for
// the extremes of a pixel column, or finds where a column starts, without reading every value
// of a long run. The summary lives beside each block, so it never grows by copying either.
// While the values so far rise (or stay level) without a gap, as a run's time axis does, the
// extremes of a range are its two ends and no summary is kept: it starts at the first value
// that falls or is a gap, from the values just before it, and an edit that breaks that order
// further back builds it from there. A list that is never drawn goes without, which saves a
// quarter of a byte a value; its queries then read the values.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

class CSampleStore
{
public:
    static constexpr int BlockShift = 18;
    static constexpr int BlockSize = 1 << BlockShift;
    static constexpr int BlockMask = BlockSize - 1;
    static constexpr size_t PageBytes = 4096;
    // Upper bound on the number of values (8 GiB of doubles); appends beyond it are refused.
    static constexpr int MaxSize = 1 << 30;

    enum Summary { WithSummary, WithoutSummary };
    explicit CSampleStore(Summary summary = WithSummary) : m_bSummaryLost(summary == WithoutSummary) {}
    CSampleStore(const CSampleStore&) = delete;
    CSampleStore& operator=(const CSampleStore&) = delete;

    static constexpr int SummaryShift = 5;
    static constexpr int SummarySize = 1 << SummaryShift;
    static constexpr int SummaryShift2 = 10;
    static constexpr int SummarySize2 = 1 << SummaryShift2;
    // The gap marker of the data store, compared in single precision as the drawing does.
    static constexpr float GapValue = -9999999.0f;
    static bool isGap(double v) { return std::isnan(v) || float(v) == GapValue; }

    int size() const { return m_Size; }
    bool isEmpty() const { return m_Size == 0; }
    // Unchecked: 0 <= i < size().
    double at(int i) const { return m_Blocks[size_t(i >> BlockShift)].values.get()[i & BlockMask]; }
    // Asks the processor to start loading value i, for a reader that will want it soon and has
    // other work meanwhile; nothing outside the stored range.
    void prefetch(int i) const
    {
        if (i < 0 || i >= m_Size)
            return;
        const double* p = m_Blocks[size_t(i >> BlockShift)].values.get() + (i & BlockMask);
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
        // GCC drops __builtin_prefetch of an address it had to load first.
        asm volatile("prefetcht0 %0" : : "m"(*p));
#else
        __builtin_prefetch(p);
#endif
    }
    void set(int i, double v);

    // False when the value could not be stored (memory exhausted or MaxSize reached).
    bool append(double v)
    {
        if (m_Size == m_Capacity && !grow())
            return false;
        m_Blocks[size_t(m_Size >> BlockShift)].values.get()[m_Size & BlockMask] = v;
        ++m_Size;
        noteAppended(m_Size - 1, v);
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
    // Appends up to count values; returns how many were stored. The values are copied a block
    // at a time and each block's order, gaps and summary are worked out in one pass over it,
    // with the same result as appending the values one by one.
    int append(const double* values, int count);
    // For a reader that writes values straight into the store (a file loader): room at the end
    // for up to want values, all in one block (room receives how many, fewer when the block
    // ends first; null when no memory is left). The caller writes them there and then commits
    // how many it wrote; nothing past size() is seen before the commit, and nothing else may
    // append in between (the owner's lock is held throughout).
    double* appendSpace(int want, int* room);
    void commitAppend(int count);
    // Copies values [first, first + count) clamped to the stored range into out; returns the
    // number copied.
    int copy(int first, int count, double* out) const;
    void clear();
    // Bytes held for values (allocated capacity), for memory accounting.
    size_t bytesReserved() const;
    // Bytes the values occupy in memory: the part of each block up to the last page written
    // (the rest of a block is address space the kernel has not backed yet) plus the summary.
    size_t bytesInUse() const;

    // Smallest and largest value of [first, last) in single precision, gaps left out; false
    // (lo and hi untouched) when the range holds no value. Clamped to the stored range.
    bool minMax(int first, int last, float& lo, float& hi) const;
    // The extremes of runs [firstRun, firstRun + count) of SummarySize values (of SummarySize2
    // values when coarse; run r holds values r * size up to the next run), gaps left out, as
    // minMax gives them; a run without a value has lo > hi. Returns the number of runs
    // written: those holding values.
    int runExtremes(int firstRun, int count, float* lo, float* hi, bool coarse = false) const;
    // False when no value of [first, last) is a gap or NaN. Kept per block as values arrive, so
    // true may also mean a gap elsewhere in a block the range touches, or one since replaced.
    bool mayHoldGap(int first, int last) const;
    // Index of the first (or last) value of [first, last) that is not a gap; -1 when none.
    int firstValid(int first, int last) const;
    int lastValid(int first, int last) const;
    // True while no value is smaller than the one before it (and none is NaN).
    bool isNonDecreasing() const { return m_bNonDecreasing; }
    // The first index of [first, last) at which pred turns true, for a pred that is false up to
    // some point and true from there on (as a monotone test on non-decreasing values is).
    template <typename Pred>
    int partitionPoint(int first, int last, Pred pred) const
    {
        first = first < 0 ? 0 : first;
        last = last > m_Size ? m_Size : last;
        while (first < last) {
            const int mid = first + (last - first) / 2;
            if (pred(at(mid)))
                last = mid;
            else
                first = mid + 1;
        }
        return first;
    }
    // The same, searched outwards from hint (where the caller expects the answer), so a
    // guess that is nearly right costs a few reads instead of a whole binary search.
    template <typename Pred>
    int partitionPointNear(int first, int last, int hint, Pred pred) const
    {
        first = first < 0 ? 0 : first;
        last = last > m_Size ? m_Size : last;
        if (first >= last)
            return first;
        int h = hint < first ? first : (hint >= last ? last - 1 : hint);
        int lo, hi;
        if (pred(at(h))) {
            int upper = h, step = 1, probe = h - 1;
            while (probe >= first && pred(at(probe))) {
                upper = probe;
                step *= 2;
                probe = upper - step;
            }
            lo = probe + 1 < first ? first : probe + 1;
            hi = upper;
        } else {
            int lower = h, step = 1, probe = h + 1;
            while (probe < last && !pred(at(probe))) {
                lower = probe;
                step *= 2;
                probe = lower + step;
            }
            lo = lower + 1;
            hi = probe < last ? probe : last;
        }
        return partitionPoint(lo, hi, pred);
    }

private:
    struct FreeBlock
    {
        void operator()(double* p) const;
    };
    struct Extremes
    {
        float lo, hi;
    };
    using Values = std::unique_ptr<double, FreeBlock>;
    using ExtremesList = std::unique_ptr<Extremes[]>;
    struct Block
    {
        Values values;
        // One entry per run of SummarySize (fine) and of SummarySize2 (coarse) values of this
        // block; none while the block lies inside the ordered start.
        ExtremesList fine;
        ExtremesList coarse;
        bool gapSeen = false;   // a gap or NaN was stored in this block
    };
    static Values allocate(int values);
    static ExtremesList newExtremes(size_t count);
    // Capacity of every block: the growing first one, or a full block.
    int blockCapacity() const { return m_Capacity < BlockSize ? m_Capacity : BlockSize; }
    static size_t fineCount(int capacity) { return size_t(capacity) >> SummaryShift; }
    static size_t coarseCount(int capacity) { return std::max<size_t>(1, size_t(capacity) >> SummaryShift2); }
    Extremes& fine(int index) const
    {
        return m_Blocks[size_t(index >> BlockShift)].fine[size_t((index & BlockMask) >> SummaryShift)];
    }
    Extremes& coarse(int index) const
    {
        return m_Blocks[size_t(index >> BlockShift)].coarse[size_t((index & BlockMask) >> SummaryShift2)];
    }
    bool grow();
    bool summarise(Block& block);
    // Order, gaps and summary of the values [first, first + count) just written into one block.
    void noteAppendedBlock(int first, int count);
    // How many of v[0..n) continue the ordered start after prev (rising or level, no gap).
    static int orderedPrefix(const double* v, int n, double prev);
    // Whether v[0..n) never falls after prev (and holds no NaN).
    static bool nonDecreasing(const double* v, int n, double prev);
    // The extremes of v[0..n) in single precision, gaps and NaN left out, merged into lo and
    // hi; true when one of the values was a gap or NaN.
    static bool mergeExtremes(const double* v, int n, float& lo, float& hi);
    void noteAppended(int index, double v)
    {
        const bool inOrder = index == 0 || v >= at(index - 1);  // false for NaN
        if (!inOrder || std::isnan(v))
            m_bNonDecreasing = false;
        if (index == m_Ordered) {
            if (inOrder && !isGap(v)) {
                ++m_Ordered;
                return;
            }
            startSummary(index, index);
        }
        // A gap never extends the ordered start, so every gap comes this far.
        if (isGap(v)) {
            m_Blocks[size_t(index >> BlockShift)].gapSeen = true;
            return;
        }
        if (m_bSummaryLost)
            return;
        const float f = float(v);
        Extremes& e1 = fine(index);
        Extremes& e2 = coarse(index);
        if (f < e1.lo) e1.lo = f;
        if (f > e1.hi) e1.hi = f;
        if (f < e2.lo) e2.lo = f;
        if (f > e2.hi) e2.hi = f;
    }
    // Makes the summary cover [from rounded down to SummarySize2, to): allocates it for the
    // blocks from there on and builds its entries from the values.
    void startSummary(int from, int to);
    void rebuildRange(int from, int to);
    void rebuildSummary(int index);
    bool scanMinMax(int first, int last, float& lo, float& hi) const;

    std::vector<Block> m_Blocks;
    int m_Size = 0;
    int m_Capacity = 0;
    // The first m_Ordered values never decrease and hold no gap or NaN; the summary covers
    // the values from the SummarySize2 run that holds index m_Ordered on.
    int m_Ordered = 0;
    bool m_bNonDecreasing = true;
    // Memory ran out while the summary grew, or the store keeps none: the queries then read
    // every value past the ordered start.
    bool m_bSummaryLost = false;
    const bool m_bKeepSummary = !m_bSummaryLost;
};

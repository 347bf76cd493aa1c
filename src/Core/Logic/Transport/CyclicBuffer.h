#pragma once
// CCyclicBuffer: the receive ring of one logger link.
//
// The reader thread writes whatever the serial port delivered; the packet processor asks
// whether the next step of its receive machine has the bytes it needs (the expected length)
// and takes them as one contiguous block, even across the wrap, with the sum of their values.
// A block that lies in one piece in the ring is handed out where it lies, without a copy; its
// bytes stay reserved (the writer does not reuse them) until the next read. Only a block that
// wraps is copied into the read-out area.
//
// When the ring is full the unread bytes are kept and the newest bytes are dropped and
// counted: a receive machine can resynchronise after a gap, but not after its unread bytes
// were silently replaced by later ones.
//
// Threads: one writer and one consumer, and no lock. WriteCycliceBuffer belongs to the writer;
// ReadCycliceBuffer, MoveSerialBufferIndex and SomethingInCycliceBufferFunction to the consumer.
// Another thread may take either part over only after a hand-over that orders it after the
// last call of the thread before (a mutex both hold, a join). ClearCyclicCBuffer, AvailableBytes
// and the expected length may be used from any thread: a clear drops every byte written before
// it, and the consumer takes it up at its next call; the block it holds stays its own until then.
#include <QtGlobal>

#include <atomic>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

class CCyclicBuffer
{
public:
    static constexpr qint64 kRingSize = 0x200000;   // 2 MiB
    static constexpr int kReadOutSize = 0x40000;    // 256 KiB
    static constexpr int kMaxRead = kReadOutSize - 1;
    // Kept free for the bytes after a clear: a full ring cleared from another thread gets its
    // room back when the consumer next reads, and that needs something to read.
    static constexpr qint64 kClearReserve = 0x1000;
    // What the ring holds when full.
    static constexpr qint64 kCapacity = kRingSize - kClearReserve;

    // Sum of byte values, as a read reports it. The receive machine asks for it on every read,
    // so it must not cost more than the copy itself. Four blocks a turn with four partial sums:
    // the loop's own instructions are then a small part of its work, so its speed no longer
    // depends on where the linker happens to place it against the instruction fetch lines.
    static unsigned long ByteSum(const unsigned char* data, int count)
    {
        unsigned long total = 0;
        int i = 0;
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        __m128i acc0 = _mm_setzero_si128(), acc1 = acc0, acc2 = acc0, acc3 = acc0;
        const auto block = [data](int at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at)); };
        for (; i + 64 <= count; i += 64) {
            acc0 = _mm_add_epi64(acc0, _mm_sad_epu8(block(i), zero)); // two 64-bit partial sums each
            acc1 = _mm_add_epi64(acc1, _mm_sad_epu8(block(i + 16), zero));
            acc2 = _mm_add_epi64(acc2, _mm_sad_epu8(block(i + 32), zero));
            acc3 = _mm_add_epi64(acc3, _mm_sad_epu8(block(i + 48), zero));
        }
        for (; i + 16 <= count; i += 16)
            acc0 = _mm_add_epi64(acc0, _mm_sad_epu8(block(i), zero));
        const __m128i acc = _mm_add_epi64(_mm_add_epi64(acc0, acc1), _mm_add_epi64(acc2, acc3));
        total = static_cast<unsigned long>(_mm_cvtsi128_si64(acc)) +
                static_cast<unsigned long>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(acc, acc)));
#endif
        for (; i < count; ++i) total += data[i];
        return total;
    }

    CCyclicBuffer();
    virtual ~CCyclicBuffer();
    CCyclicBuffer(const CCyclicBuffer&) = delete;
    CCyclicBuffer& operator=(const CCyclicBuffer&) = delete;

    // Appends up to `count` bytes; what does not fit is dropped and counted. Returns the
    // number stored (0 for a count below 1 or a null pointer).
    int WriteCycliceBuffer(int count, const unsigned char* data);
    // True when at least the expected length is buffered (always true for an expected
    // length of 0, so a zero-length step runs).
    bool SomethingInCycliceBufferFunction();
    // `count` bytes as one block (valid until the next read), or null with nothing consumed
    // when fewer are buffered or count is outside 0..kMaxRead. `sum` is the sum of the byte
    // values (0 on failure). A read of 0 bytes succeeds with an empty block.
    const unsigned char* ReadCycliceBuffer(int count, long& sum);
    // Skips `count` buffered bytes; false (nothing skipped) when fewer are buffered.
    bool MoveSerialBufferIndex(int count);
    // Drops everything buffered and sets the expected length back to 1.
    void ClearCyclicCBuffer();

    void SetExpectedLength(qint64 count) { m_expectedLength.store(count); }
    qint64 ExpectedLength() const { return m_expectedLength.load(); }
    qint64 AvailableBytes() const;
    // Bytes dropped because the ring was full, since construction or the last clear.
    qint64 DroppedBytes() const { return m_droppedBytes.load(); }

protected:
    // The receive machine sets this directly before returning to the processor loop.
    std::atomic<qint64> m_expectedLength{1};

private:
    // The consumer's read position, with a clear it has not taken up yet taken up.
    qint64 readFrom() const;
    // Whether the consumer sees `count` bytes from position r (reading the writer's position
    // again only when its copy falls short).
    bool consumerHas(qint64 r, qint64 count);

    // Positions count every byte since construction (they never wrap: at 1 GB/s 2^63 bytes
    // last three centuries); a byte's place in the ring is its position modulo kRingSize.
    // Each side's own position and its copy of the other's share a cache line, away from
    // the other side's.
    alignas(64) std::atomic<qint64> m_write{0};   // the writer's: bytes written
    qint64 m_writerFreeFrom = 0;                   // the writer's copy of m_held
    alignas(64) std::atomic<qint64> m_read{0};    // the consumer's: bytes consumed
    // The first byte the consumer may still use: the block it holds, else m_read. The writer
    // writes up to kCapacity bytes beyond it.
    std::atomic<qint64> m_held{0};
    qint64 m_consumerSeen = 0;                     // the consumer's copy of m_write
    bool m_holding = false;                        // a block is handed out in place
    alignas(64) std::atomic<qint64> m_clearTo{0};   // bytes before it are dropped
    std::atomic<qint64> m_droppedBytes{0};
    std::unique_ptr<unsigned char[]> m_storage;   // ring followed by the read-out area, one allocation
};

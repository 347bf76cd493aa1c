#include "Core/Logic/CyclicBuffer.h"

#include "Core/Base/Diagnostics.h"

#include <QMutexLocker>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Sum of byte values; the receive machine asks for it on every read, so it must not cost
// more than the copy itself.
unsigned long byteSum(const unsigned char* data, int count)
{
    unsigned long total = 0;
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    __m128i acc = _mm_setzero_si128();
    for (; i + 16 <= count; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        acc = _mm_add_epi64(acc, _mm_sad_epu8(block, zero)); // two 64-bit partial sums
    }
    total = static_cast<unsigned long>(_mm_cvtsi128_si64(acc)) +
            static_cast<unsigned long>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(acc, acc)));
#endif
    for (; i < count; ++i) total += data[i];
    return total;
}

constexpr qint64 kIndexMask = CCyclicBuffer::kRingSize - 1;
static_assert((CCyclicBuffer::kRingSize & kIndexMask) == 0, "the ring size must be a power of two");

} // namespace

CCyclicBuffer::CCyclicBuffer() : m_storage(new unsigned char[size_t(kRingSize) + size_t(kReadOutSize)]) {}

CCyclicBuffer::~CCyclicBuffer() = default;

qint64 CCyclicBuffer::availableLocked() const
{
    const qint64 diff = m_writeIndex - m_readIndex;
    return diff >= 0 ? diff : diff + kRingSize;
}

qint64 CCyclicBuffer::AvailableBytes() const
{
    QMutexLocker lock(&m_lock);
    return availableLocked();
}

int CCyclicBuffer::WriteCycliceBuffer(int count, const unsigned char* data)
{
    if (count < 1 || !data) return 0;
    qint64 dropped = 0;
    int stored = 0;
    {
        QMutexLocker lock(&m_lock);
        const qint64 space = kCapacity - availableLocked() - m_heldBytes;
        stored = int(qMin<qint64>(count, space));
        dropped = count - stored;
        unsigned char* ring = m_storage.get();
        const qint64 first = qMin<qint64>(stored, kRingSize - m_writeIndex);
        std::memcpy(ring + m_writeIndex, data, size_t(first));
        if (stored > first) std::memcpy(ring, data + first, size_t(stored - first));
        m_writeIndex = (m_writeIndex + stored) & kIndexMask;
        if (dropped > 0) m_droppedBytes.fetch_add(dropped);
    }
    if (dropped > 0) MyOutputDebugString(QStringLiteral("ring full: %1 bytes dropped").arg(dropped), DiagCyclic);
    return stored;
}

bool CCyclicBuffer::SomethingInCycliceBufferFunction()
{
    QMutexLocker lock(&m_lock);
    return availableLocked() >= m_expectedLength.load();
}

const unsigned char* CCyclicBuffer::ReadCycliceBuffer(int count, long& sum)
{
    sum = 0;
    if (count < 0 || count > kMaxRead) return nullptr;
    QMutexLocker lock(&m_lock);
    // The previous block is no longer the caller's: its bytes may be written again.
    m_heldBytes = 0;
    unsigned char* out = m_storage.get() + kRingSize;
    if (count == 0) return out;
    if (availableLocked() < count) return nullptr;
    unsigned char* ring = m_storage.get();
    const qint64 first = qMin<qint64>(count, kRingSize - m_readIndex);
    const unsigned char* block = out;
    if (first == count) {
        block = ring + m_readIndex;
        m_heldBytes = count;
    } else {
        std::memcpy(out, ring + m_readIndex, size_t(first));
        std::memcpy(out + first, ring, size_t(count - first));
    }
    m_readIndex = (m_readIndex + count) & kIndexMask;
    sum = long(byteSum(block, count));
    return block;
}

bool CCyclicBuffer::MoveSerialBufferIndex(int count)
{
    if (count < 0) return false;
    QMutexLocker lock(&m_lock);
    if (availableLocked() < count) return false;
    m_readIndex = (m_readIndex + count) & kIndexMask;
    return true;
}

void CCyclicBuffer::ClearCyclicCBuffer()
{
    QMutexLocker lock(&m_lock);
    m_readIndex = 0;
    m_writeIndex = 0;
    m_heldBytes = 0;
    m_expectedLength.store(1);
    m_droppedBytes.store(0);
}

#include "Core/Logic/Transport/CyclicBuffer.h"

#include "Core/Base/Diagnostics.h"

#include <cstring>

namespace {

constexpr qint64 kIndexMask = CCyclicBuffer::kRingSize - 1;
static_assert((CCyclicBuffer::kRingSize & kIndexMask) == 0, "the ring size must be a power of two");
static_assert(CCyclicBuffer::kMaxRead < CCyclicBuffer::kCapacity, "a read must fit in the ring");

} // namespace

CCyclicBuffer::CCyclicBuffer() : m_storage(new unsigned char[size_t(kRingSize) + size_t(kReadOutSize)]) {}

CCyclicBuffer::~CCyclicBuffer() = default;

qint64 CCyclicBuffer::readFrom() const
{
    // The clear first: it never lies beyond what was written when it was made, so the writer's
    // position read after it is never behind it.
    const qint64 clearTo = m_clearTo.load(std::memory_order_acquire);
    const qint64 read = m_read.load(std::memory_order_relaxed);
    return read > clearTo ? read : clearTo;
}

bool CCyclicBuffer::consumerHas(qint64 r, qint64 count)
{
    if (m_consumerSeen - r >= count)
        return true;
    m_consumerSeen = m_write.load(std::memory_order_acquire);
    return m_consumerSeen - r >= count;
}

qint64 CCyclicBuffer::AvailableBytes() const
{
    // Read before the writer's position, which is never behind either.
    const qint64 clearTo = m_clearTo.load(std::memory_order_acquire);
    const qint64 read = m_read.load(std::memory_order_acquire);
    return m_write.load(std::memory_order_acquire) - (read > clearTo ? read : clearTo);
}

int CCyclicBuffer::WriteCycliceBuffer(int count, const unsigned char* data)
{
    if (count < 1 || !data) return 0;
    const qint64 w = m_write.load(std::memory_order_relaxed);
    qint64 room = kCapacity - (w - m_writerFreeFrom);
    if (room < count) {
        m_writerFreeFrom = m_held.load(std::memory_order_acquire);
        room = kCapacity - (w - m_writerFreeFrom);
        // A clear the consumer has not taken up yet frees its bytes only at the consumer's
        // next read: the reserve lets a full ring take the bytes that read needs.
        if (m_clearTo.load(std::memory_order_acquire) > m_writerFreeFrom) room += kClearReserve;
    }
    const int stored = int(qBound<qint64>(0, count, room));
    const qint64 dropped = count - stored;
    if (stored > 0) {
        unsigned char* ring = m_storage.get();
        const qint64 at = w & kIndexMask;
        const qint64 first = qMin<qint64>(stored, kRingSize - at);
        std::memcpy(ring + at, data, size_t(first));
        if (stored > first) std::memcpy(ring, data + first, size_t(stored - first));
        m_write.store(w + stored, std::memory_order_release);
    }
    if (dropped > 0) {
        m_droppedBytes.fetch_add(dropped);
        MyOutputDebugString(QStringLiteral("ring full: %1 bytes dropped").arg(dropped), DiagCyclic);
    }
    return stored;
}

bool CCyclicBuffer::SomethingInCycliceBufferFunction()
{
    const qint64 expected = m_expectedLength.load();
    return expected <= 0 || consumerHas(readFrom(), expected);
}

const unsigned char* CCyclicBuffer::ReadCycliceBuffer(int count, long& sum)
{
    sum = 0;
    if (count < 0 || count > kMaxRead) return nullptr;
    const qint64 r = readFrom();
    unsigned char* out = m_storage.get() + kRingSize;
    // The previous block is no longer the caller's: its bytes may be written again.
    m_holding = false;
    if (count == 0 || !consumerHas(r, count)) {
        m_read.store(r, std::memory_order_release);
        m_held.store(r, std::memory_order_release);
        return count == 0 ? out : nullptr;
    }
    unsigned char* ring = m_storage.get();
    const qint64 at = r & kIndexMask;
    const qint64 first = qMin<qint64>(count, kRingSize - at);
    const unsigned char* block = out;
    qint64 held = r + count;
    if (first == count) {
        block = ring + at;
        held = r;
        m_holding = true;
    } else {
        std::memcpy(out, ring + at, size_t(first));
        std::memcpy(out + first, ring, size_t(count - first));
    }
    m_read.store(r + count, std::memory_order_release);
    m_held.store(held, std::memory_order_release);
    sum = long(ByteSum(block, count));
    return block;
}

bool CCyclicBuffer::MoveSerialBufferIndex(int count)
{
    if (count < 0) return false;
    const qint64 r = readFrom();
    const bool enough = consumerHas(r, count);
    const qint64 to = enough ? r + count : r;
    m_read.store(to, std::memory_order_release);
    // The block handed out last stays the caller's: only a read gives it back.
    if (!m_holding)
        m_held.store(to, std::memory_order_release);
    return enough;
}

void CCyclicBuffer::ClearCyclicCBuffer()
{
    const qint64 written = m_write.load(std::memory_order_acquire);
    qint64 clearTo = m_clearTo.load(std::memory_order_relaxed);
    while (clearTo < written && !m_clearTo.compare_exchange_weak(clearTo, written, std::memory_order_acq_rel)) {
    }
    m_expectedLength.store(1);
    m_droppedBytes.store(0);
}

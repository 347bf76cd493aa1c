#pragma once
// CCyclicBuffer: the receive ring of one logger link.
//
// The reader thread writes whatever the serial port delivered; the packet processor asks
// whether the next step of its receive machine has the bytes it needs (the expected length)
// and takes them as one contiguous block, even across the wrap, with the sum of their values.
// A block that lies in one piece in the ring is handed out where it lies, without a copy; its
// bytes stay reserved (the writer does not reuse them) until the next read or clear. Only a
// block that wraps is copied into the read-out area.
//
// When the ring is full the unread bytes are kept and the newest bytes are dropped and
// counted: a receive machine can resynchronise after a gap, but not after its unread bytes
// were silently replaced by later ones.
#include <QMutex>
#include <QtGlobal>

#include <atomic>
#include <memory>

class CCyclicBuffer
{
public:
    static constexpr qint64 kRingSize = 0x200000;   // 2 MiB
    static constexpr int kReadOutSize = 0x40000;    // 256 KiB
    static constexpr int kMaxRead = kReadOutSize - 1;
    // The ring tells "full" from "empty" by keeping one slot free.
    static constexpr qint64 kCapacity = kRingSize - 1;

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
    qint64 availableLocked() const;

    mutable QMutex m_lock;
    std::unique_ptr<unsigned char[]> m_storage; // ring followed by the read-out area, one allocation
    qint64 m_readIndex = 0;
    qint64 m_writeIndex = 0;
    qint64 m_heldBytes = 0;  // the last block handed out in place, just behind the read index
    std::atomic<qint64> m_droppedBytes{0};
};

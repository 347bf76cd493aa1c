// CCyclicBuffer, the receive ring: availability against the expected length, reads across
// the wrap point with their byte sums, overflow that keeps the unread bytes, a clear of a full
// ring, and one writer with one consumer on two threads, meeting at the full and empty ring.
#include "Core/Logic/Transport/CyclicBuffer.h"

#include "common/TestMain.h"

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

std::vector<unsigned char> pattern(int count, int seed)
{
    std::vector<unsigned char> out(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) out[size_t(i)] = static_cast<unsigned char>((i * 7 + seed) & 0xFF);
    return out;
}

// Moves both indices forward by `count` bytes so a test can work near the wrap point.
void advance(CCyclicBuffer& ring, qint64 count)
{
    const auto filler = pattern(CCyclicBuffer::kMaxRead, 0);
    while (count > 0) {
        const int n = int(qMin<qint64>(count, CCyclicBuffer::kMaxRead));
        QCOMPARE(ring.WriteCycliceBuffer(n, filler.data()), n);
        QVERIFY(ring.MoveSerialBufferIndex(n));
        count -= n;
    }
}

} // namespace

class TestRing : public QObject
{
    Q_OBJECT
private slots:
    void availabilityFollowsTheExpectedLength()
    {
        auto ring = std::make_unique<CCyclicBuffer>();
        QCOMPARE(ring->ExpectedLength(), qint64(1));
        QVERIFY(!ring->SomethingInCycliceBufferFunction());
        const unsigned char one = 0x3D;
        QCOMPARE(ring->WriteCycliceBuffer(1, &one), 1);
        QVERIFY(ring->SomethingInCycliceBufferFunction());

        ring->ClearCyclicCBuffer();
        ring->SetExpectedLength(29);
        const auto bytes = pattern(29, 1);
        ring->WriteCycliceBuffer(28, bytes.data());
        QVERIFY(!ring->SomethingInCycliceBufferFunction());
        ring->WriteCycliceBuffer(1, bytes.data() + 28);
        QVERIFY(ring->SomethingInCycliceBufferFunction());
        QCOMPARE(ring->AvailableBytes(), qint64(29));
    }

    void zeroLengthStepsNeverStall()
    {
        auto ring = std::make_unique<CCyclicBuffer>();
        ring->SetExpectedLength(0);
        QVERIFY2(ring->SomethingInCycliceBufferFunction(), "an empty ring must satisfy a zero-length step");
        long sum = 99;
        const unsigned char* block = ring->ReadCycliceBuffer(0, sum);
        QVERIFY2(block != nullptr, "a read of zero bytes must succeed");
        QCOMPARE(sum, 0L);
        const auto bytes = pattern(5, 3);
        ring->WriteCycliceBuffer(5, bytes.data());
        QVERIFY(ring->ReadCycliceBuffer(0, sum) != nullptr);
        QCOMPARE(ring->AvailableBytes(), qint64(5)); // nothing consumed
    }

    void readStraddlingTheWrapComesOutInOrder()
    {
        auto ring = std::make_unique<CCyclicBuffer>();
        advance(*ring, CCyclicBuffer::kRingSize - 100);
        const auto bytes = pattern(300, 11);
        QCOMPARE(ring->WriteCycliceBuffer(300, bytes.data()), 300);
        long expectedSum = 0;
        for (unsigned char b : bytes) expectedSum += b;
        long sum = 0;
        const unsigned char* block = ring->ReadCycliceBuffer(300, sum);
        QVERIFY(block);
        QVERIFY(std::equal(bytes.begin(), bytes.end(), block));
        QCOMPARE(sum, expectedSum);
        QCOMPARE(ring->AvailableBytes(), qint64(0));
    }

    void sumIsOfUnsignedByteValues()
    {
        auto ring = std::make_unique<CCyclicBuffer>();
        const unsigned char bytes[] = {0xFF, 0x80, 0x01, 0x00};
        ring->WriteCycliceBuffer(4, bytes);
        long sum = 0;
        QVERIFY(ring->ReadCycliceBuffer(4, sum));
        QCOMPARE(sum, 255L + 128L + 1L);
        // Every length around the sum's blocks of 16 and 64 bytes, from an odd start.
        const auto run = pattern(400, 7);
        for (int n = 0; n <= 200; ++n) {
            unsigned long plain = 0;
            for (int i = 0; i < n; ++i) plain += run[size_t(i) + 3];
            QCOMPARE(CCyclicBuffer::ByteSum(run.data() + 3, n), plain);
        }
    }

    void shortOrOversizedReadsConsumeNothing()
    {
        auto ring = std::make_unique<CCyclicBuffer>();
        const auto bytes = pattern(10, 5);
        ring->WriteCycliceBuffer(10, bytes.data());
        long sum = 7;
        QVERIFY(!ring->ReadCycliceBuffer(11, sum));
        QCOMPARE(sum, 0L);
        QVERIFY(!ring->ReadCycliceBuffer(-1, sum));
        QVERIFY(!ring->ReadCycliceBuffer(CCyclicBuffer::kMaxRead + 1, sum));
        QCOMPARE(ring->AvailableBytes(), qint64(10));
        QVERIFY(!ring->MoveSerialBufferIndex(11));
        QVERIFY(!ring->MoveSerialBufferIndex(-3));
        QCOMPARE(ring->AvailableBytes(), qint64(10));
        QVERIFY(ring->MoveSerialBufferIndex(4));
        const unsigned char* block = ring->ReadCycliceBuffer(6, sum);
        QVERIFY(block);
        QVERIFY(std::equal(bytes.begin() + 4, bytes.end(), block));
        QCOMPARE(ring->WriteCycliceBuffer(0, bytes.data()), 0);
        QCOMPARE(ring->WriteCycliceBuffer(-5, bytes.data()), 0);
        QCOMPARE(ring->WriteCycliceBuffer(5, nullptr), 0);
        QCOMPARE(ring->AvailableBytes(), qint64(0));
    }

    void largestReadFits()
    {
        auto ring = std::make_unique<CCyclicBuffer>();
        advance(*ring, CCyclicBuffer::kRingSize - 1000);
        const auto bytes = pattern(CCyclicBuffer::kMaxRead, 9);
        QCOMPARE(ring->WriteCycliceBuffer(CCyclicBuffer::kMaxRead, bytes.data()), CCyclicBuffer::kMaxRead);
        long sum = 0;
        const unsigned char* block = ring->ReadCycliceBuffer(CCyclicBuffer::kMaxRead, sum);
        QVERIFY(block);
        QVERIFY(std::equal(bytes.begin(), bytes.end(), block));
    }

    void fullRingKeepsUnreadBytesAndCountsDrops()
    {
        auto ring = std::make_unique<CCyclicBuffer>();
        advance(*ring, 12345); // start off zero so the fill wraps
        qint64 stored = 0;
        int seed = 0;
        while (stored < CCyclicBuffer::kCapacity) {
            const int n = int(qMin<qint64>(100000, CCyclicBuffer::kCapacity - stored));
            const auto chunk = pattern(n, seed++);
            QCOMPARE(ring->WriteCycliceBuffer(n, chunk.data()), n);
            stored += n;
        }
        QCOMPARE(ring->AvailableBytes(), CCyclicBuffer::kCapacity);
        QCOMPARE(ring->DroppedBytes(), qint64(0));
        const auto extra = pattern(10, 200);
        QCOMPARE(ring->WriteCycliceBuffer(10, extra.data()), 0);
        QCOMPARE(ring->DroppedBytes(), qint64(10));
        // The first unread bytes are still the first ones written.
        long sum = 0;
        const auto first = pattern(100000, 0);
        const unsigned char* block = ring->ReadCycliceBuffer(8, sum);
        QVERIFY(block);
        QVERIFY(std::equal(first.begin(), first.begin() + 8, block));
        // The block lies in one piece, so it was handed out in place: its 8 bytes stay the
        // reader's until the next read, and a write finds no room yet.
        const auto more = pattern(12, 77);
        QCOMPARE(ring->WriteCycliceBuffer(12, more.data()), 0);
        QVERIFY(std::equal(first.begin(), first.begin() + 8, block));
        QCOMPARE(ring->DroppedBytes(), qint64(22));
        // The next read (of nothing) gives them back: of 12 new bytes 8 are kept, 4 dropped.
        QVERIFY(ring->ReadCycliceBuffer(0, sum));
        QCOMPARE(ring->WriteCycliceBuffer(12, more.data()), 8);
        QCOMPARE(ring->DroppedBytes(), qint64(26));
        QVERIFY(ring->MoveSerialBufferIndex(int(CCyclicBuffer::kCapacity - 8))); // the rest of the first fill
        block = ring->ReadCycliceBuffer(8, sum);
        QVERIFY(block);
        QVERIFY(std::equal(more.begin(), more.begin() + 8, block));
        QCOMPARE(ring->AvailableBytes(), qint64(0));
    }

    void contiguousBlocksAreHandedOutInPlace()
    {
        auto ring = std::make_unique<CCyclicBuffer>();
        const auto bytes = pattern(300, 9);
        ring->WriteCycliceBuffer(300, bytes.data());
        long sum = 0;
        const unsigned char* a = ring->ReadCycliceBuffer(100, sum);
        const unsigned char* b = ring->ReadCycliceBuffer(100, sum);
        // Two blocks in one piece come from consecutive places of the ring itself.
        QVERIFY(a && b);
        QCOMPARE(b, a + 100);
        QVERIFY(std::equal(bytes.begin() + 100, bytes.begin() + 200, b));
        // A block across the wrap still comes out whole and in order.
        auto wrapped = std::make_unique<CCyclicBuffer>();
        advance(*wrapped, CCyclicBuffer::kRingSize - 50);
        wrapped->WriteCycliceBuffer(300, bytes.data());
        const unsigned char* c = wrapped->ReadCycliceBuffer(120, sum);
        QVERIFY(c);
        QVERIFY(std::equal(bytes.begin(), bytes.begin() + 120, c));
        long expected = 0;
        for (int i = 0; i < 120; ++i) expected += bytes[size_t(i)];
        QCOMPARE(sum, expected);
    }

    void clearEmptiesAndResets()
    {
        auto ring = std::make_unique<CCyclicBuffer>();
        const auto bytes = pattern(50, 2);
        ring->WriteCycliceBuffer(50, bytes.data());
        ring->SetExpectedLength(29);
        ring->ClearCyclicCBuffer();
        QVERIFY(!ring->SomethingInCycliceBufferFunction());
        QCOMPARE(ring->ExpectedLength(), qint64(1));
        QCOMPARE(ring->AvailableBytes(), qint64(0));
        long sum = 0;
        QVERIFY(!ring->ReadCycliceBuffer(1, sum));
    }

    void oneWriterOneConsumerAcrossThreads()
    {
        auto ring = std::make_unique<CCyclicBuffer>();
        constexpr qint64 kTotal = 5 * 1024 * 1024; // wraps the ring more than twice
        std::atomic<bool> writerDone{false};
        std::thread writer([&] {
            unsigned char chunk[8192];
            qint64 sent = 0;
            int size = 1;
            while (sent < kTotal) {
                const int n = int(qMin<qint64>(size, kTotal - sent));
                for (int i = 0; i < n; ++i) chunk[i] = static_cast<unsigned char>((sent + i) % 251);
                const int stored = ring->WriteCycliceBuffer(n, chunk);
                sent += stored;
                if (stored < n) std::this_thread::yield(); // full: the rest is resent
                size = (size + 97) % 8192 + 1;
            }
            writerDone = true;
        });
        qint64 received = 0;
        bool inOrder = true;
        int want = 1;
        while (received < kTotal && inOrder) {
            const int n = int(qMin<qint64>(want, kTotal - received));
            ring->SetExpectedLength(n);
            if (!ring->SomethingInCycliceBufferFunction()) {
                std::this_thread::yield();
                continue;
            }
            long sum = 0;
            const unsigned char* block = ring->ReadCycliceBuffer(n, sum);
            if (!block) {
                inOrder = false;
                break;
            }
            for (int i = 0; i < n; ++i)
                if (block[i] != static_cast<unsigned char>((received + i) % 251)) inOrder = false;
            received += n;
            want = want % 5000 + 61;
        }
        writer.join();
        QVERIFY(inOrder);
        QCOMPARE(received, kTotal);
        QVERIFY(writerDone.load());
    }

    void clearingAFullRingFreesItAtTheNextRead()
    {
        // A full ring is cleared (as from another thread) while the consumer holds a block: the
        // next bytes still find room, the held block stays as it was, and the consumer's next read
        // takes the clear up and gives the whole ring back.
        auto ring = std::make_unique<CCyclicBuffer>();
        const auto fill = pattern(CCyclicBuffer::kMaxRead, 4);
        for (qint64 stored = 0; stored < CCyclicBuffer::kCapacity;) {
            const int n = int(qMin<qint64>(CCyclicBuffer::kMaxRead, CCyclicBuffer::kCapacity - stored));
            QCOMPARE(ring->WriteCycliceBuffer(n, fill.data()), n);
            stored += n;
        }
        long sum = 0;
        const unsigned char* held = ring->ReadCycliceBuffer(8, sum);
        QVERIFY(held && std::equal(fill.begin(), fill.begin() + 8, held));
        QVERIFY(ring->MoveSerialBufferIndex(16));   // skipping on keeps the held block the caller's
        QCOMPARE(ring->WriteCycliceBuffer(1, fill.data()), 0);
        ring->ClearCyclicCBuffer();
        QCOMPARE(ring->AvailableBytes(), qint64(0));
        const auto next = pattern(100, 5);
        QCOMPARE(ring->WriteCycliceBuffer(100, next.data()), 100);
        QVERIFY(std::equal(fill.begin(), fill.begin() + 8, held));
        QVERIFY(ring->SomethingInCycliceBufferFunction());
        const unsigned char* block = ring->ReadCycliceBuffer(100, sum);
        QVERIFY(block && std::equal(next.begin(), next.end(), block));
        QVERIFY(ring->ReadCycliceBuffer(0, sum));   // gives that block back too
        for (qint64 stored = 0; stored < CCyclicBuffer::kCapacity;) {
            const int n = int(qMin<qint64>(CCyclicBuffer::kMaxRead, CCyclicBuffer::kCapacity - stored));
            QCOMPARE(ring->WriteCycliceBuffer(n, fill.data()), n);
            stored += n;
        }
        QCOMPARE(ring->AvailableBytes(), CCyclicBuffer::kCapacity);
    }

    void writerAndConsumerMeetAtFullAndEmpty()
    {
        // Round after round the writer fills the ring while the consumer waits, and goes on
        // offering what was refused while the consumer drains it, down to empty. Every byte
        // arrives once, in order, with its sum.
        auto ring = std::make_unique<CCyclicBuffer>();
        constexpr int kRounds = 3;
        constexpr qint64 kPerRound = CCyclicBuffer::kCapacity + 300000;
        const auto byteAt = [](qint64 p) { return static_cast<unsigned char>((p * 13 + p / 251) & 0xFF); };
        std::atomic<int> filled{0}, emptied{0};
        std::thread writer([&] {
            std::vector<unsigned char> chunk(5000);
            qint64 sent = 0;
            for (int round = 0; round < kRounds; ++round) {
                while (emptied.load() < round)
                    std::this_thread::yield();
                for (int size = 1; sent < qint64(round + 1) * kPerRound; size = size % 4999 + 1) {
                    const int n = int(qMin<qint64>(size, qint64(round + 1) * kPerRound - sent));
                    for (int i = 0; i < n; ++i) chunk[size_t(i)] = byteAt(sent + i);
                    const int stored = ring->WriteCycliceBuffer(n, chunk.data());
                    sent += stored;
                    if (stored < n) {
                        filled = round + 1;   // full: the rest is offered again
                        std::this_thread::yield();
                    }
                }
            }
        });
        qint64 received = 0;
        bool intact = true, emptyAtEnd = true;
        for (int round = 0, want = 1; round < kRounds; ++round) {
            while (filled.load() <= round)
                std::this_thread::yield();
            while (received < qint64(round + 1) * kPerRound) {
                const int n = int(qMin<qint64>(want, qint64(round + 1) * kPerRound - received));
                long sum = 0, expected = 0;
                const unsigned char* block = ring->ReadCycliceBuffer(n, sum);
                if (!block) {
                    std::this_thread::yield();   // empty for now: the writer goes on
                    continue;
                }
                for (int i = 0; i < n; ++i) {
                    intact = intact && block[i] == byteAt(received + i);
                    expected += byteAt(received + i);
                }
                intact = intact && sum == expected;
                received += n;
                want = want % 6007 + 1;
            }
            long sum = 0;
            emptyAtEnd = emptyAtEnd && ring->AvailableBytes() == 0 && !ring->SomethingInCycliceBufferFunction()
                && !ring->ReadCycliceBuffer(1, sum);
            emptied = round + 1;
        }
        writer.join();
        QVERIFY(intact);
        QVERIFY(emptyAtEnd);
        QVERIFY(ring->DroppedBytes() > 0);   // writes did meet the full ring
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestRing)
#include "tst_ring.moc"

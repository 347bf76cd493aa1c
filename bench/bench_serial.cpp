// Transport figures: the receive ring's throughput (write then read, packets of 64 bytes to
// 4 KiB, with the byte sum the receive machine asks for) next to its partner, BM_MemcpySum: one
// memcpy of the same bytes (the ring copies once: its read hands out a pointer into itself) and
// the same sum of them; and round-trip frames per second through CSerialPort over a
// pseudo-terminal. BM_Memcpy, the copy alone, shows what the sum costs.
#include "Core/Logic/Transport/CyclicBuffer.h"
#include "platform/SerialPort.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::vector<unsigned char> makeBytes(size_t n)
{
    std::vector<unsigned char> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<unsigned char>(i * 31 + 7);
    return v;
}

void BM_RingWriteRead(benchmark::State& state)
{
    const int packet = int(state.range(0));
    auto ring = std::make_unique<CCyclicBuffer>();
    const auto src = makeBytes(size_t(packet));
    long total = 0;
    for (auto _ : state) {
        ring->WriteCycliceBuffer(packet, src.data());
        long sum = 0;
        const unsigned char* out = ring->ReadCycliceBuffer(packet, sum);
        benchmark::DoNotOptimize(out);
        total += sum;
    }
    benchmark::DoNotOptimize(total);
    state.SetBytesProcessed(int64_t(state.iterations()) * packet);
}

// The same bytes moved once, between two buffers as large as the ring and its read-out area,
// walking through them as the ring does so caches see the same footprint.
void BM_Memcpy(benchmark::State& state)
{
    const size_t packet = size_t(state.range(0));
    const auto src = makeBytes(packet);
    std::vector<unsigned char> ring(size_t(CCyclicBuffer::kRingSize));
    size_t at = 0;
    for (auto _ : state) {
        if (at + packet > ring.size()) at = 0;
        std::memcpy(ring.data() + at, src.data(), packet);
        benchmark::DoNotOptimize(ring.data() + at);
        benchmark::ClobberMemory();
        at += packet;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(packet));
}

// The ring's honest partner: the copy of BM_Memcpy and then the sum of the bytes just copied,
// read back from where they were written, as the ring sums the block it hands out.
void BM_MemcpySum(benchmark::State& state)
{
    const size_t packet = size_t(state.range(0));
    const auto src = makeBytes(packet);
    std::vector<unsigned char> ring(size_t(CCyclicBuffer::kRingSize));
    size_t at = 0;
    long total = 0;
    for (auto _ : state) {
        if (at + packet > ring.size()) at = 0;
        std::memcpy(ring.data() + at, src.data(), packet);
        benchmark::ClobberMemory();
        total += long(CCyclicBuffer::ByteSum(ring.data() + at, int(packet)));
        at += packet;
    }
    benchmark::DoNotOptimize(total);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(packet));
}

// The two copies a ring that copies out makes (into the ring, out to a contiguous block).
// Ours hands the reader a pointer into itself and copies once, so the ring is quoted against
// BM_MemcpySum, never against this: it only shows what a second copy would cost.
void BM_MemcpyInOut(benchmark::State& state)
{
    const size_t packet = size_t(state.range(0));
    const auto src = makeBytes(packet);
    std::vector<unsigned char> ring(size_t(CCyclicBuffer::kRingSize));
    std::vector<unsigned char> out(packet);
    size_t at = 0;
    for (auto _ : state) {
        if (at + packet > ring.size()) at = 0;
        std::memcpy(ring.data() + at, src.data(), packet);
        benchmark::ClobberMemory();
        std::memcpy(out.data(), ring.data() + at, packet);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
        at += packet;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(packet));
}

BENCHMARK(BM_RingWriteRead)->RangeMultiplier(4)->Range(64, 4096);
BENCHMARK(BM_MemcpySum)->RangeMultiplier(4)->Range(64, 4096);
BENCHMARK(BM_Memcpy)->RangeMultiplier(4)->Range(64, 4096);
BENCHMARK(BM_MemcpyInOut)->RangeMultiplier(4)->Range(64, 4096);

// One frame out through CSerialPort and its echo back, read by polling as the reader thread does.
void BM_PtyRoundTrip(benchmark::State& state)
{
    const int frameSize = int(state.range(0));
    struct termios raw;
    std::memset(&raw, 0, sizeof raw);
    cfmakeraw(&raw);
    int master = -1;
    int slave = -1;
    char name[256] = {0};
    if (::openpty(&master, &slave, name, &raw, nullptr) != 0) {
        state.SkipWithError("openpty failed");
        return;
    }
    std::atomic<bool> stop{false};
    std::thread echo([&] {
        char buffer[4096];
        while (!stop.load()) {
            struct pollfd pfd = {master, POLLIN, 0};
            if (::poll(&pfd, 1, 20) <= 0) continue;
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0 && ::write(master, buffer, size_t(n)) != n) break;
        }
    });
    CSerialPort port;
    port.setPortName(QString::fromLocal8Bit(name));
    if (!port.OpenPort(115200)) {
        state.SkipWithError("open failed");
    } else {
        QByteArray frame(frameSize, '\0');
        frame[0] = char(0xBC);
        frame[1] = char(0x9E);
        frame[2] = char(frameSize - 3);
        char buffer[4096];
        for (auto _ : state) {
            if (!port.SendToMulti(frame)) {
                state.SkipWithError("send failed");
                break;
            }
            int got = 0;
            while (got < frameSize) {
                const int n = port.Read(buffer, sizeof buffer);
                if (n < 0) break;
                if (n == 0) std::this_thread::yield();
                got += n;
            }
        }
        state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
        port.ClosePort();
    }
    stop = true;
    echo.join();
    ::close(master);
    ::close(slave);
}
BENCHMARK(BM_PtyRoundTrip)->Arg(5)->Arg(31)->Arg(255)->UseRealTime();

} // namespace

BENCHMARK_MAIN();

// The stores behind a run's series and raw lists: the summary's answers against a plain scan
// of the values over random ranges (ordered starts, falls, gaps, NaN, edits, block edges),
// and the raw list giving back every value bit for bit while it keeps what it can in 4 bytes.
#include "Core/Data/NarrowSampleStore.h"
#include "Core/Data/SampleStore.h"

#include "common/TestMain.h"
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

const double Gap = double(CSampleStore::GapValue);
const double NaN = std::numeric_limits<double>::quiet_NaN();

enum Shape { Rising, RisingThenFalls, RisingThenGap, Noisy, GapsOnly, FallsAtOnce };

std::vector<double> MakeValues(Shape shape, int n)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-50.0, 50.0);
    std::vector<double> v(size_t(n), 0.0);
    for (int i = 0; i < n; ++i) {
        double x = i * 0.25;
        switch (shape) {
        case Rising: break;
        case RisingThenFalls: x = i < n / 2 ? x : n - i * 0.5 + noise(random); break;
        case RisingThenGap: x = (i == n / 3 || (i > n / 3 && i % 500 == 0)) ? Gap : x; break;
        case Noisy: x = (i % 97 == 0) ? Gap : (i % 1001 == 0 ? NaN : noise(random)); break;
        case GapsOnly: x = Gap; break;
        case FallsAtOnce: x = -x; break;
        }
        v[size_t(i)] = x;
    }
    return v;
}

bool IsGap(double v) { return std::isnan(v) || float(v) == CSampleStore::GapValue; }

// Compares every query with a scan of the values over many ranges, random and at the edges
// of the summary's runs and of the blocks.
void CheckAgainstScan(const CSampleStore& store, const std::vector<double>& v, int ranges)
{
    const int n = int(v.size());
    QCOMPARE(store.size(), n);
    std::mt19937 random(11);
    std::uniform_int_distribution<int> at(-3, n + 3);
    std::uniform_int_distribution<int> span(0, 3000);
    std::vector<std::pair<int, int>> cases = {{0, n}, {-5, 40}, {31, 33}, {1023, 2049}, {n - 1, n + 2}};
    if (n > CSampleStore::BlockSize)
        cases.push_back({CSampleStore::BlockSize - 70, CSampleStore::BlockSize + 1030});
    for (int k = 0; k < ranges; ++k) {
        const int first = at(random);
        cases.push_back({first, k % 2 ? first + span(random) : at(random)});
    }
    for (const auto& r : cases) {
        const int a = std::max(r.first, 0), b = std::min(r.second, n);
        float wlo = std::numeric_limits<float>::infinity(), whi = -wlo;
        int wfirst = -1, wlast = -1;
        bool anyGap = false;
        for (int i = a; i < b; ++i) {
            if (IsGap(v[size_t(i)])) {
                anyGap = true;
                continue;
            }
            const float f = float(v[size_t(i)]);
            wlo = std::min(wlo, f);
            whi = std::max(whi, f);
            wfirst = wfirst < 0 ? i : wfirst;
            wlast = i;
        }
        float lo = std::numeric_limits<float>::infinity(), hi = -lo;
        const bool found = store.minMax(r.first, r.second, lo, hi);
        QVERIFY2(found == (wfirst >= 0), qPrintable(QString("range %1..%2").arg(r.first).arg(r.second)));
        if (found) {
            QVERIFY2(lo == wlo && hi == whi, qPrintable(QString("range %1..%2: %3..%4 against %5..%6")
                                                        .arg(r.first).arg(r.second).arg(lo).arg(hi).arg(wlo).arg(whi)));
        }
        // Never "no gap" where there is one.
        QVERIFY(!anyGap || store.mayHoldGap(r.first, r.second));
        QCOMPARE(store.firstValid(r.first, r.second), wfirst);
        QCOMPARE(store.lastValid(r.first, r.second), wlast);
    }
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

} // namespace

class TestSampleSummary : public QObject
{
    Q_OBJECT
private slots:
    void answersMatchAPlainScan_data()
    {
        QTest::addColumn<int>("shape");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("oneByOne");
        QTest::addColumn<bool>("summary");
        QTest::newRow("rising") << int(Rising) << 20000 << false << true;
        QTest::newRow("rising, then falls") << int(RisingThenFalls) << 30001 << true << true;
        QTest::newRow("rising, then gaps") << int(RisingThenGap) << 10000 << false << true;
        QTest::newRow("noisy with gaps and NaN") << int(Noisy) << 50000 << true << true;
        QTest::newRow("gaps only") << int(GapsOnly) << 5000 << false << true;
        QTest::newRow("falls from the second value") << int(FallsAtOnce) << 3000 << true << true;
        QTest::newRow("falls past the first block") << int(RisingThenFalls) << 3 * CSampleStore::BlockSize + 100 << false << true;
        QTest::newRow("noisy, without summary") << int(Noisy) << 20000 << false << false;
        QTest::newRow("rising then falls, without summary") << int(RisingThenFalls) << 20000 << true << false;
    }
    void answersMatchAPlainScan()
    {
        QFETCH(int, shape);
        QFETCH(int, count);
        QFETCH(bool, oneByOne);
        QFETCH(bool, summary);
        const std::vector<double> v = MakeValues(Shape(shape), count);
        CSampleStore store(summary ? CSampleStore::WithSummary : CSampleStore::WithoutSummary);
        if (oneByOne) {
            for (double x : v)
                QVERIFY(store.append(x));
        } else {
            // Uneven packets, so that breaks fall inside a packet as well as at its start.
            for (int done = 0; done < count;) {
                const int n = std::min(count - done, 777 + done % 1000);
                QCOMPARE(store.append(v.data() + done, n), n);
                done += n;
            }
        }
        CheckAgainstScan(store, v, 300);
        // A list of gaps only never falls either.
        QCOMPARE(store.isNonDecreasing(), Shape(shape) == Rising || Shape(shape) == GapsOnly);
    }

    // Random blocks, copied in or written in place, against the same values one by one: the
    // same values, order flag, gap flags and every fine and coarse run of the summary.
    void blocksEqualOneByOne_data()
    {
        QTest::addColumn<int>("shape");
        for (Shape s : {Rising, RisingThenFalls, RisingThenGap, Noisy, GapsOnly, FallsAtOnce})
            QTest::newRow(qPrintable(QString("shape %1").arg(int(s)))) << int(s);
    }
    void blocksEqualOneByOne()
    {
        QFETCH(int, shape);
        const int n = CSampleStore::BlockSize + 4321;
        const std::vector<double> v = MakeValues(Shape(shape), n);
        CSampleStore single, copied, inPlace;
        for (double x : v)
            single.append(x);
        std::mt19937 random{uint(shape)};
        std::uniform_int_distribution<int> length(1, 5000);
        for (int done = 0; done < n;) {
            const int block = std::min(n - done, random() % 8 ? length(random) : 100000);
            QCOMPARE(copied.append(v.data() + done, block), block);
            for (int put = 0; put < block;) {
                int room = 0;
                double* space = inPlace.appendSpace(block - put, &room);
                QVERIFY(space && room > 0);
                std::memcpy(space, v.data() + done + put, size_t(room) * sizeof(double));
                inPlace.commitAppend(room);
                put += room;
            }
            done += block;
        }
        std::vector<double> values(n);
        std::vector<float> ext[4];   // lo and hi one by one, then in blocks
        for (std::vector<float>& e : ext)
            e.resize(size_t(n / CSampleStore::SummarySize + 1));
        for (const CSampleStore* bulk : {&copied, &inPlace}) {
            QCOMPARE(bulk->copy(0, n, values.data()), n);
            QVERIFY(std::memcmp(values.data(), v.data(), v.size() * sizeof(double)) == 0);
            QCOMPARE(bulk->isNonDecreasing(), single.isNonDecreasing());
            for (int first = 0; first < n; first += CSampleStore::BlockSize)
                QCOMPARE(bulk->mayHoldGap(first, first + 1), single.mayHoldGap(first, first + 1));
            for (bool wide : {false, true}) {
                const int runs = single.runExtremes(0, n, ext[0].data(), ext[1].data(), wide);
                QCOMPARE(bulk->runExtremes(0, n, ext[2].data(), ext[3].data(), wide), runs);
                for (int r = 0; r < runs; ++r)
                    QVERIFY(ext[0][size_t(r)] == ext[2][size_t(r)] && ext[1][size_t(r)] == ext[3][size_t(r)]);
            }
        }
    }

    void editsBreakingTheOrderAreSummarised_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("appendedBefore");
        const int n = CSampleStore::BlockSize + 4000;
        // A rising list, edited so that it falls at the edit, after it, or holds a gap there.
        QTest::newRow("falls at the edit") << 5000 << -1.0 << n;
        QTest::newRow("falls after the edit") << 70000 << 1e9 << n;
        QTest::newRow("gap in the first block") << 1 << Gap << n;
        QTest::newRow("NaN near the block edge") << CSampleStore::BlockSize - 1 << NaN << n;
        QTest::newRow("first value raised") << 0 << 1e12 << 300;
        QTest::newRow("last value lowered") << n - 1 << 0.5 << n;
        QTest::newRow("within order, nothing breaks") << 100 << 100 * 0.25 + 0.1 << n;
    }
    void editsBreakingTheOrderAreSummarised()
    {
        QFETCH(int, index);
        QFETCH(double, value);
        QFETCH(int, appendedBefore);
        std::vector<double> v = MakeValues(Rising, appendedBefore);
        CSampleStore store;
        QCOMPARE(store.append(v.data(), appendedBefore), appendedBefore);
        store.set(index, value);
        v[size_t(index)] = value;
        CheckAgainstScan(store, v, 200);
        // Values appended after the edit, rising again and then falling, stay covered.
        for (int i = 0; i < 3000; ++i) {
            const double x = i < 1500 ? 1e10 + i : -double(i);
            QVERIFY(store.append(x));
            v.push_back(x);
        }
        CheckAgainstScan(store, v, 200);
        // A second edit, further back, rebuilds from there again.
        store.set(index / 2, Gap);
        v[size_t(index / 2)] = Gap;
        CheckAgainstScan(store, v, 200);
    }

    void gapsAreKnownByTheBlockTheyLieIn()
    {
        constexpr int B = CSampleStore::BlockSize;
        CSampleStore store;
        for (int i = 0; i < 3 * B + 100; ++i)
            store.append(i * 0.5);
        const int n = store.size();
        QVERIFY(!store.mayHoldGap(0, n));
        store.set(B + 5, Gap);
        store.set(2 * B + 7, NaN);
        QVERIFY(store.mayHoldGap(B + 5, B + 6));
        QVERIFY(store.mayHoldGap(B - 10, B + 1));   // touches the block of the gap
        QVERIFY(!store.mayHoldGap(0, B));
        QVERIFY(store.mayHoldGap(2 * B, 2 * B + 1));
        QVERIFY(!store.mayHoldGap(3 * B, n));
        QVERIFY(!store.mayHoldGap(n, n + 10));
        store.append(Gap);
        QVERIFY(store.mayHoldGap(n - 1, n + 1));
        store.clear();
        for (int i = 0; i < 100; ++i)
            store.append(i);
        QVERIFY(!store.mayHoldGap(0, 100));
    }

    void editsAfterTheOrderedStartKeepTheSummaryExact()
    {
        std::vector<double> v = MakeValues(RisingThenFalls, 40000);
        CSampleStore store;
        QCOMPARE(store.append(v.data(), int(v.size())), int(v.size()));
        // Raise then lower the same value: the runs holding it must shrink back.
        for (const double x : {1e7, Gap, -3.0, 25000.0}) {
            store.set(30001, x);
            v[30001] = x;
            CheckAgainstScan(store, v, 100);
        }
    }

    void anOrderedListKeepsNoSummary()
    {
        const int n = 2 * CSampleStore::BlockSize;
        CSampleStore ordered;
        CSampleStore falling;
        for (int i = 0; i < n; ++i) {
            QVERIFY(ordered.append(double(i)));
            QVERIFY(falling.append(double(i % 1000)));
        }
        const size_t values = size_t(n) * sizeof(double);
        QVERIFY(ordered.bytesInUse() <= values + 4096);
        // Two floats for every run of 32 values and of 1024 values.
        const size_t summary = size_t(n / CSampleStore::SummarySize + n / CSampleStore::SummarySize2) * 8;
        QVERIFY(falling.bytesInUse() >= values + summary);
        QVERIFY(falling.bytesInUse() <= values + summary + 4096);
        float lo = std::numeric_limits<float>::infinity(), hi = -lo;
        QVERIFY(ordered.minMax(10, n - 10, lo, hi));
        QCOMPARE(lo, 10.0f);
        QCOMPARE(hi, float(n - 11));
        ordered.clear();
        QVERIFY(ordered.append(5.0));
        QVERIFY(ordered.append(Gap));
        QCOMPARE(ordered.firstValid(1, 2), -1);
        QCOMPARE(ordered.lastValid(0, 2), 0);
    }

    void rawListGivesBackEveryValueExactly()
    {
        CNarrowSampleStore store;
        const int n = 2 * CNarrowSampleStore::BlockSize + 500;
        std::vector<double> v(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            v[size_t(i)] = double(i % 4096) - 2048.0;
        // The second block holds values that single precision cannot: it alone widens, in
        // the middle of a packet.
        const int odd = CNarrowSampleStore::BlockSize + 1234;
        const double specials[] = {0.1, 1e300, -0.0, std::numeric_limits<double>::denorm_min(), 16777217.0};
        for (size_t k = 0; k < sizeof specials / sizeof specials[0]; ++k)
            v[size_t(odd) + k * 3] = specials[k];
        v[10] = NaN;
        v[11] = std::numeric_limits<double>::infinity();
        v[12] = -0.0;
        for (int done = 0; done < n;) {
            const int count = std::min(n - done, 1000);
            QCOMPARE(store.append(v.data() + done, count), count);
            done += count;
        }
        QCOMPARE(store.size(), n);
        for (int i = 0; i < n; ++i)
            QVERIFY2(SameBits(store.at(i), v[size_t(i)]), qPrintable(QString::number(i)));
        QCOMPARE(store.wideBlocks(), 1);
        const size_t narrow = size_t(CNarrowSampleStore::BlockSize) * 4;
        QVERIFY(store.bytesInUse() >= 3 * narrow);
        QVERIFY(store.bytesInUse() <= 4 * narrow + 8192);
        store.clear();
        QCOMPARE(store.size(), 0);
        QCOMPARE(store.bytesReserved(), size_t(0));
    }

    void rawListStartsWideForAWideFirstValue()
    {
        // The first block grows by doubling; a wide value later widens it and the copies
        // made while it grows keep the width.
        CNarrowSampleStore store;
        std::vector<double> v;
        for (int i = 0; i < 5000; ++i)
            v.push_back(i == 700 ? 0.3 : double(i));
        for (double x : v)
            QCOMPARE(store.append(&x, 1), 1);
        for (int i = 0; i < 5000; ++i)
            QVERIFY(SameBits(store.at(i), v[size_t(i)]));
        QCOMPARE(store.wideBlocks(), 1);
        CNarrowSampleStore wide;
        const double first = 2.0 / 3.0;
        QCOMPARE(wide.append(&first, 1), 1);
        QCOMPARE(wide.wideBlocks(), 1);
        QCOMPARE(wide.at(0), first);
        QCOMPARE(wide.append(nullptr, 3), 0);
        QCOMPARE(wide.append(&first, 0), 0);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestSampleSummary)
#include "tst_sample_summary.moc"

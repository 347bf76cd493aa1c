// Sample storage of a data branch: per-sample and bulk access, range clamping, the lists
// staying paired, and a writer thread appending while a reader copies.
#include "Core/Data/DataBranch.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SafeArray.h"
#include "Core/Data/SafeSampleList.h"
#include "Core/Data/SampleStore.h"

#include <QThread>
#include "common/TestMain.h"
#include <atomic>
#include <cmath>
#include <limits>
#include <vector>

class TestDatastoreSamples : public QObject
{
    Q_OBJECT
private slots:
    void perSampleAccess()
    {
        CDataBranch b;
        QVERIFY(b.AddSample(0.0, 10.0));
        QVERIFY(b.AddSample(1.0, 20.0));
        QCOMPARE(b.GetXSize(), 2);
        QCOMPARE(b.GetYSize(), 2);
        QCOMPARE(b.GetNumSamples(), 2);
        QCOMPARE(b.GetXSample(1), 1.0);
        QCOMPARE(b.GetYSample(0), 10.0);
        // Outside the list: the missing value, nothing read beyond it.
        QCOMPARE(b.GetYSample(2), MissingValue);
        QCOMPARE(b.GetXSample(-1), MissingValue);
        QVERIFY(b.SetYSample(1, 25.0));
        QCOMPARE(b.GetYSample(1), 25.0);
        QVERIFY(!b.SetYSample(2, 1.0));
        QVERIFY(!b.SetXSample(-1, 1.0));
        b.ClearSamples();
        QCOMPARE(b.GetNumSamples(), 0);
    }

    void lastXIsTruncatedAndChecked()
    {
        CDataBranch b;
        QCOMPARE(b.GetLastXSample(), -1);
        b.AddSample(12.9, 0.0);
        QCOMPARE(b.GetLastXSample(), 12);
        b.AddSample(-0.5, 0.0);
        QCOMPARE(b.GetLastXSample(), 0);
        b.AddSample(std::nan(""), 0.0);
        QCOMPARE(b.GetLastXSample(), -1);
        b.AddSample(1e12, 0.0);
        QCOMPARE(b.GetLastXSample(), -1);
    }

    void blockAppendAndRangeCopy()
    {
        CDataBranch b;
        QVector<double> x(20000), y(20000);
        for (int i = 0; i < x.size(); ++i) {
            x[i] = i;
            y[i] = i * 0.5;
        }
        QCOMPARE(b.AppendSamples(x.constData(), y.constData(), 15000), 15000);
        QCOMPARE(b.AppendSamples(x.constData() + 15000, y.constData() + 15000, 5000), 5000);
        QCOMPARE(b.GetNumSamples(), 20000);
        QCOMPARE(b.GetYSample(16383), 16383 * 0.5);   // across the block boundaries
        QVector<double> cx, cy;
        QCOMPARE(b.CopyRange(8190, 5, cx, cy), 5);
        QCOMPARE(cx, QVector<double>({8190, 8191, 8192, 8193, 8194}));
        QCOMPARE(cy.last(), 8194 * 0.5);
        // Clamped at the end, at the start, and for empty ranges.
        QCOMPARE(b.CopyRange(19998, 10, cx, cy), 2);
        QCOMPARE(cx, QVector<double>({19998, 19999}));
        QCOMPARE(b.CopyRange(-3, 5, cx, cy), 2);
        QCOMPARE(cx, QVector<double>({0, 1}));
        QCOMPARE(b.CopyRange(20000, 5, cx, cy), 0);
        QVERIFY(cx.isEmpty() && cy.isEmpty());
        QCOMPARE(b.CopyRange(5, 0, cx, cy), 0);
        QCOMPARE(b.CopyRange(5, -4, cx, cy), 0);
        QCOMPARE(b.CopyRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), cx, cy), 0);
        QCOMPARE(b.CopyRange(19999, std::numeric_limits<int>::max(), cx, cy), 1);
        QCOMPARE(b.GetXSnapshot(), x);
        QCOMPARE(b.GetYSnapshot(), y);
        QCOMPARE(b.AppendSamples(nullptr, y.constData(), 3), 0);
        QCOMPARE(b.AppendSamples(x.constData(), y.constData(), -3), 0);
        QCOMPARE(b.GetNumSamples(), 20000);
    }

    void copyRangeOfLoneXValues()
    {
        // The repeat-last-value storage appends X before Y; a copy taken in between gives
        // only complete pairs.
        CDataBranch b;
        b.AddSample(0.0, 1.0);
        b.AddXSample(1.0);
        QVector<double> cx, cy;
        QCOMPARE(b.CopyRange(0, 10, cx, cy), 1);
        QCOMPARE(cx.size(), 1);
        QCOMPARE(b.GetNumSamples(), 1);
        b.AddYSample(1.0);
        QCOMPARE(b.CopyRange(0, 10, cx, cy), 2);
    }

    void storageStaysCompact()
    {
        CSampleStore store;
        for (int i = 0; i < 10; ++i)
            store.append(double(i));
        // A short list does not hold a whole block.
        QVERIFY(store.bytesReserved() < 2048);
        const int n = 3 * CSampleStore::BlockSize + 17;
        for (int i = 10; i < n; ++i)
            store.append(double(i));
        QCOMPARE(store.size(), n);
        QVERIFY(store.bytesReserved() <= size_t(n) * 8 + size_t(CSampleStore::BlockSize) * 8 + 1024);
        double out[3] = {};
        QCOMPARE(store.copy(n - 2, 3, out), 2);
        QCOMPARE(out[1], double(n - 1));
        QVERIFY(!store.ensureRoom(-1));
        QVERIFY(!store.ensureRoom(CSampleStore::MaxSize));
        store.clear();
        QCOMPARE(store.size(), 0);
        QCOMPARE(store.bytesReserved(), size_t(0));
    }

    void storeWithoutSummaryAnswersTheSame()
    {
        // Values with gaps, a NaN and a fall: the store without summary reads them all and
        // must give what the summarised one gives.
        CSampleStore kept;
        CSampleStore bare(CSampleStore::WithoutSummary);
        const int n = 5000;
        for (int i = 0; i < n; ++i) {
            double v = std::sin(i * 0.01) * 100.0;
            if (i % 97 == 0)
                v = double(CSampleStore::GapValue);
            if (i == 3001)
                v = std::numeric_limits<double>::quiet_NaN();
            QVERIFY(kept.append(v));
            QVERIFY(bare.append(v));
        }
        struct Range { int first, last; };
        for (const Range r : {Range{0, n}, Range{10, 2000}, Range{97, 98}, Range{3000, 3100}, Range{-5, 40}}) {
            float lo1 = 0, hi1 = 0, lo2 = 0, hi2 = 0;
            QCOMPARE(bare.minMax(r.first, r.last, lo2, hi2), kept.minMax(r.first, r.last, lo1, hi1));
            QCOMPARE(lo2, lo1);
            QCOMPARE(hi2, hi1);
            QCOMPARE(bare.firstValid(r.first, r.last), kept.firstValid(r.first, r.last));
            QCOMPARE(bare.lastValid(r.first, r.last), kept.lastValid(r.first, r.last));
        }
        QVERIFY(!bare.isNonDecreasing());
        bare.set(5, 1e6);
        float lo = 0, hi = 0;
        QVERIFY(bare.minMax(0, 10, lo, hi));
        QCOMPARE(hi, 1e6f);
        // The summary is a quarter of a byte a value; without it only the values remain.
        QVERIFY(bare.bytesInUse() + size_t(n) / 8 <= kept.bytesInUse());
        bare.clear();
        for (int i = 0; i < 10; ++i)
            QVERIFY(bare.append(double(i)));
        QVERIFY(bare.isNonDecreasing());
        // The extremes are merged into what lo and hi hold.
        lo = std::numeric_limits<float>::infinity();
        hi = -lo;
        QVERIFY(bare.minMax(0, 10, lo, hi));
        QCOMPARE(lo, 0.0f);
        QCOMPARE(hi, 9.0f);
    }

    void memoryInUseCountsWrittenPagesOnly()
    {
        CSampleStore store(CSampleStore::WithoutSummary);
        const int n = 2 * CSampleStore::BlockSize + 1;
        for (int i = 0; i < n; ++i)
            QVERIFY(store.append(double(i)));
        // Three blocks are held, but the third holds one value on one page.
        QCOMPARE(store.bytesReserved() / (size_t(CSampleStore::BlockSize) * 8), size_t(3));
        const size_t values = size_t(2 * CSampleStore::BlockSize) * 8 + CSampleStore::PageBytes;
        QVERIFY(store.bytesInUse() >= values);
        QVERIFY(store.bytesInUse() <= values + 256);
        // The work list of the data store keeps no summary either.
        CSafeSampleList list;
        std::vector<double> block(100000, 1.5);
        QCOMPARE(list.AddRange(block.data(), int(block.size())), 100000);
        // 1.5 is exact in single precision: 4 bytes a value, in the doubling first block.
        QVERIFY(list.BytesInUse() <= block.size() * 4 * 2);
        QVERIFY(list.BytesInUse() >= block.size() * 4);
        QCOMPARE(list.GetAt(99999), 1.5);
    }

    void safeArrayOperations()
    {
        CSafeArray<int> a;
        for (int v : {4, 7, 4, 9})
            a.Add(v);
        int seven = 7;
        a.RemoveValue(seven);
        QCOMPARE(a.Snapshot(), QVector<int>({4, 4, 9}));
        int absent = 42;
        a.RemoveValue(absent);
        QCOMPARE(a.Snapshot(), QVector<int>({4, 4, 9}));
        a.RemoveAt(-1);
        a.RemoveAt(3);
        QCOMPARE(a.GetSize(), 3);
        a.RemoveAt(0);
        QCOMPARE(a.Snapshot(), QVector<int>({4, 9}));
        QCOMPARE(a.GetAt(5), 0);
        QCOMPARE(a.Last(), 9);
        QCOMPARE(a.FindIndex([](int v) { return v > 5; }), 1);
        QVERIFY(!a.SetAt(2, 1));
        CSafeArray<CDataBranch*> pointers;
        QVERIFY(!pointers.GetAt(0));
        QVERIFY(!pointers.First());
        const int values[] = {1, 2, 3};
        a.AddRange(values, 3);
        QCOMPARE(a.TakeAll(), QVector<int>({4, 9, 1, 2, 3}));
        QVERIFY(a.IsEmpty());
    }

    void writerAndReaderThreadsSeeWholePairs()
    {
        // A writer appends pairs (i, -i) one by one and in blocks while this thread copies
        // ranges: every copied pair must belong together.
        CDataBranch b;
        std::atomic<bool> done{false};
        QThread* writer = QThread::create([&]() {
            double xs[64], ys[64];
            int next = 0;
            while (next < 200000) {
                if (next % 3 == 0) {
                    b.AddSample(next, -next);
                    ++next;
                } else {
                    for (int i = 0; i < 64; ++i) {
                        xs[i] = next + i;
                        ys[i] = -(next + i);
                    }
                    next += b.AppendSamples(xs, ys, 64);
                }
            }
            done = true;
        });
        writer->start();
        QVector<double> cx, cy;
        int checks = 0;
        bool paired = true;
        while (!done || checks == 0) {
            const int n = b.GetNumSamples();
            const int got = b.CopyRange(qMax(0, n - 100), 100, cx, cy);
            for (int i = 0; i < got; ++i)
                paired = paired && cx[i] == -cy[i];
            ++checks;
        }
        writer->wait();
        delete writer;
        QVERIFY(paired);
        QCOMPARE(b.GetXSize(), b.GetYSize());
        QVERIFY(b.GetNumSamples() >= 200000);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestDatastoreSamples)
#include "tst_datastore_samples.moc"

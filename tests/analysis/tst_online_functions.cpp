// Online functions fed block by block, as a run stores its samples.
#include "common/TestMain.h"
#include <atomic>
#include <thread>
#include <cmath>
#include <functional>
#include <memory>

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Logic/LogicManager.h"
#include "analysis/OnlineFunctions.h"

namespace {

struct Source
{
    std::unique_ptr<CDataBranch> branch{new CDataBranch};
    std::function<double(int)> f;
    int next = 0;
    Source(double interval, std::function<double(int)> fn) : f(std::move(fn))
    {
        branch->m_Interval = interval;
    }
    // Stores count more samples (X = sample number) in one block.
    void Feed(int count, double xOffset = 0.0)
    {
        QVector<double> x, y;
        for (int i = 0; i < count; ++i, ++next) {
            x.append(next + xOffset);
            y.append(f(next));
        }
        branch->AppendSamples(x.constData(), y.constData(), count);
    }
};

struct Table
{
    OnLineFunctionInfo records[MaxOnLineFunctions];
    short count = 0;
    CCalculateOnLineFunctions calc;
    std::vector<std::unique_ptr<CDataBranch>> outputs;
    Table() { calc.SetTable(records, &count); }
    // Registers a function and binds it as the run start does.
    OnLineFunctionInfo& Add(short id, CDataBranch* g1, CDataBranch* g2 = nullptr, double a = 1,
                            double b = 1, double c = 0, bool g1Time = false, bool g2Time = false)
    {
        const int index = count;
        if (!calc.AddOnLineFunction(1, g2 ? 1 : -1, 0, g2 ? 1 : -1, 7, 7, 0, 0, "f", "u", 0, id, a,
                                    b, c, 1, 2, g1Time, g2Time))
            qFatal("table full");
        OnLineFunctionInfo& r = records[index];
        outputs.emplace_back(new CDataBranch);
        r.m_pG1Branch = g1;
        r.m_pG2Branch = g2;
        r.m_pOutBranch = outputs.back().get();
        CCalculateOnLineFunctions::ResetRunProgress(r);
        return r;
    }
    CDataBranch* Out(int i) { return outputs[i].get(); }
};

QVector<double> Xs(const CDataBranch* b) { return b->GetXSnapshot(); }
QVector<double> Ys(const CDataBranch* b) { return b->GetYSnapshot(); }

QVector<double> Seq(double from, double to)
{
    QVector<double> v;
    for (double x = from; x <= to; x += 1.0)
        v.append(x);
    return v;
}

bool Near(double a, double b, double tol = 1e-12) { return std::fabs(a - b) <= tol; }

// Sine of period 40 samples whose amplitude steps up by one every period.
double SteppedSine(int i) { return (1 + i / 40) * std::sin(2.0 * M_PI * i / 40.0); }

} // namespace

class TestOnlineFunctions : public QObject
{
    Q_OBJECT
private slots:
    void registration()
    {
        Table t;
        for (int i = 0; i < 10; ++i)
            QVERIFY(t.calc.AddOnLineFunction(3, -1, 2, -1, 0x1A5, 0xFF, 1, 0, "n", "V", 2, 21, 1.5,
                                             2.5, 3.5, 40, -1, true, false));
        QVERIFY(!t.calc.AddOnLineFunction(3, -1, 2, -1, 0, 0, 1, 0, "n", "V", 2, 21, 1, 1, 1, 40,
                                          -1, true, false));
        QCOMPARE(t.count, short(10));
        const OnLineFunctionInfo& r = t.records[9];
        QCOMPARE(r.m_G1CatalogueValue, static_cast<unsigned char>(0xA5));
        QCOMPARE(r.m_FunctionId, short(21));
        QCOMPARE(r.m_G1Channel, 2);
        QCOMPARE(r.m_G2Channel, -1);
        QCOMPARE(r.m_G1Measurement, 1);
        QCOMPARE(r.m_B, 2.5);
        QCOMPARE(r.m_Unit, QString("V"));
        QCOMPARE(r.m_UnitPrefix, short(2));
        QCOMPARE(r.m_G1Key, 40);
        QVERIFY(r.m_bG1AsTime);
        QVERIFY(r.m_pOutBranch == nullptr);
        t.calc.ClearOnLineFunctions();
        QCOMPARE(t.count, short(0));
        QCOMPARE(t.calc.GetNumOnLineFunctions(), short(0));
        t.count = -3; // a count mangled from outside is not used as an index
        QVERIFY(!t.calc.AddOnLineFunction(3, -1, 2, -1, 0, 0, 1, 0, "n", "V", 2, 21, 1, 1, 1, 40,
                                          -1, true, false));
        t.calc.CalculateOnLineFunctions();
        CCalculateOnLineFunctions bare;
        QVERIFY(!bare.AddOnLineFunction(3, -1, 2, -1, 0, 0, 1, 0, "n", "V", 2, 21, 1, 1, 1, 40,
                                        -1, true, false));
        bare.CalculateOnLineFunctions();
    }

    void cosineAsTimeFromSampleZero()
    {
        Source s(0.1, [](int i) { return i * 10.0; });
        Table t;
        t.Add(4, s.branch.get(), nullptr, 2.0, 3.0, 0.5, true);
        s.Feed(5);
        t.calc.CalculateOnLineFunctions();
        QCOMPARE(Xs(t.Out(0)), Seq(0, 4));
        for (int i = 0; i <= 4; ++i)
            QVERIFY(Near(Ys(t.Out(0))[i], 2.0 * std::cos(3.0 * i * 0.1 + 0.5)));
        t.calc.CalculateOnLineFunctions(); // nothing new stored: nothing added
        QCOMPARE(t.Out(0)->GetNumSamples(), 5);
    }

    void pointWiseValuesAndUndefinedPoints()
    {
        Source s(0.5, [](int i) { return i - 2.0; }); // -2, -1, 0, 1, 2, 3
        Table t;
        t.Add(16, s.branch.get(), nullptr, 2.0, 1.0);       // 2 ln(y), only y > 0
        t.Add(3, s.branch.get(), nullptr, 1.0, 0.5);        // asin(y / 2), |y/2| <= 1
        t.Add(5, s.branch.get());                           // y - y(0)
        t.Add(20, s.branch.get(), nullptr, 1.0, 0.0, 4.0);  // 1 / y + 4, y != 0
        t.Add(14, s.branch.get(), nullptr, 3.0);            // 3 * 0.5 * y^2
        s.Feed(3);
        t.calc.CalculateOnLineFunctions();
        s.Feed(3);
        t.calc.CalculateOnLineFunctions();
        QCOMPARE(Xs(t.Out(0)), (QVector<double>{3, 4, 5}));
        QVERIFY(Near(Ys(t.Out(0))[1], 2.0 * std::log(2.0)));
        QCOMPARE(Xs(t.Out(1)), (QVector<double>{0, 1, 2, 3, 4}));
        QVERIFY(Near(Ys(t.Out(1))[4], std::asin(1.0)));
        QCOMPARE(Ys(t.Out(2)), (QVector<double>{0, 1, 2, 3, 4, 5}));
        QCOMPARE(Xs(t.Out(3)), (QVector<double>{0, 1, 3, 4, 5}));
        QCOMPARE(Ys(t.Out(3))[1], 3.0);
        QCOMPARE(Ys(t.Out(4)), (QVector<double>{6, 1.5, 0, 1.5, 6, 13.5}));
    }

    void derivativeFollowsTheRun()
    {
        Source s(0.5, [](int i) { return double(i) * i; });
        Table t;
        t.Add(6, s.branch.get());
        s.Feed(1);
        t.calc.CalculateOnLineFunctions();
        QCOMPARE(t.Out(0)->GetNumSamples(), 0);
        s.Feed(3);
        t.calc.CalculateOnLineFunctions();
        QCOMPARE(Xs(t.Out(0)), (QVector<double>{1, 2, 3}));
        // (i^2 - (i-1)^2) / 0.5 = 4i - 2, on the later sample of each step
        QCOMPARE(Ys(t.Out(0)), (QVector<double>{2, 6, 10}));
        s.Feed(1);
        t.calc.CalculateOnLineFunctions();
        QCOMPARE(Xs(t.Out(0)), (QVector<double>{1, 2, 3, 4}));
        QCOMPARE(Ys(t.Out(0)).last(), 14.0);
    }

    void derivativeSkipsEqualNeighbours()
    {
        CDataBranch g;
        g.m_Interval = 1.0;
        const double x[] = {0, 1, 1, 1, 2}, y[] = {0, 1, 2, 3, 4};
        g.AppendSamples(x, y, 5);
        Table t;
        t.Add(6, &g);
        t.calc.CalculateOnLineFunctions();
        // The steps to samples 1 and 4 divide by 1; those to 2 and 3 would divide by 0.
        QCOMPARE(Xs(t.Out(0)), (QVector<double>{1, 4}));
        QCOMPARE(Ys(t.Out(0)), (QVector<double>{1, 1}));
    }

    void integralAddsItsConstantOnce()
    {
        // A constant 3 every 0.5 s from 10: 10 at sample 0, then 11.5, 13, 14.5, 16, whatever
        // the block sizes.
        for (int first : {1, 2, 5}) {
            Source s(0.5, [](int) { return 3.0; });
            Table t;
            t.Add(13, s.branch.get(), nullptr, 10.0, 1.0);
            s.Feed(first);
            t.calc.CalculateOnLineFunctions();
            s.Feed(5 - first);
            t.calc.CalculateOnLineFunctions();
            QCOMPARE(Xs(t.Out(0)), Seq(0, 4));
            QCOMPARE(Ys(t.Out(0)), (QVector<double>{10, 11.5, 13, 14.5, 16}));
        }
        Source s(0.5, [](int) { return 3.0; });
        Table t;
        t.Add(13, s.branch.get(), nullptr, 0.0, 2.0);
        s.Feed(3);
        t.calc.CalculateOnLineFunctions();
        QCOMPARE(Ys(t.Out(0)), (QVector<double>{0, 3, 6}));
        // A single sample gives the start of the integral at once.
        Source one(0.5, [](int) { return 3.0; });
        Table single;
        single.Add(13, one.branch.get(), nullptr, 10.0, 1.0);
        one.Feed(1);
        single.calc.CalculateOnLineFunctions();
        QCOMPARE(Xs(single.Out(0)), QVector<double>{0});
    }

    void twoSourcesKeepPace()
    {
        Source a(0.1, [](int i) { return double(i); });
        Source b(0.1, [](int i) { return 100.0 + i; });
        Table t;
        t.Add(1, a.branch.get(), b.branch.get(), 2.0, 1.0);   // 2g + h
        t.Add(24, a.branch.get(), b.branch.get(), 1.0, 1.0);  // g - h
        t.Add(18, a.branch.get(), b.branch.get(), 1.0, 2.0);  // g * 2h
        for (int pass = 1; pass <= 3; ++pass) {
            a.Feed(10);
            b.Feed(10);
            t.calc.CalculateOnLineFunctions();
            QCOMPARE(t.Out(0)->GetNumSamples(), 10 * pass);
        }
        QCOMPARE(Xs(t.Out(0)), Seq(0, 29));
        QCOMPARE(Ys(t.Out(0))[7], 2.0 * 7 + 107);
        QCOMPARE(Ys(t.Out(1))[29], -100.0);
        QCOMPARE(Ys(t.Out(2))[3], 3.0 * 2.0 * 103);
    }

    void twoSourcesAlignOnX()
    {
        // The second source starts five samples later; the sum exists only where both do.
        Source a(1.0, [](int i) { return double(i); });
        Source b(1.0, [](int i) { return 10.0 * i; });
        Table t;
        t.Add(1, a.branch.get(), b.branch.get(), 1.0, 1.0);
        a.Feed(12);
        b.Feed(4, 5.0);
        t.calc.CalculateOnLineFunctions();
        b.Feed(6, 5.0);
        t.calc.CalculateOnLineFunctions();
        a.Feed(3);
        t.calc.CalculateOnLineFunctions();
        QCOMPARE(Xs(t.Out(0)), Seq(5, 14));
        QCOMPARE(Ys(t.Out(0))[0], 5.0);
        QCOMPARE(Ys(t.Out(0))[9], 14.0 + 90.0);
    }

    void divideSkipsZeroDivisors()
    {
        Source a(1.0, [](int i) { return 12.0 + i; });
        Source b(1.0, [](int i) { return double(i % 3); }); // 0, 1, 2, 0, 1, 2
        Table t;
        t.Add(7, a.branch.get(), b.branch.get(), 1.0, 2.0);
        a.Feed(6);
        b.Feed(6);
        t.calc.CalculateOnLineFunctions();
        QCOMPARE(Xs(t.Out(0)), (QVector<double>{1, 2, 4, 5}));
        QCOMPARE(Ys(t.Out(0)), (QVector<double>{13.0 / 2, 14.0 / 4, 16.0 / 2, 17.0 / 4}));
    }

    void upperEnvelopeJoinsPeaks()
    {
        Source s(0.01, SteppedSine);
        Table t;
        t.Add(9, s.branch.get(), nullptr, 10.0);
        s.Feed(200);
        t.calc.CalculateOnLineFunctions();
        // Peaks at 10, 50, 90, 130, 170 of heights 1..5, joined sample by sample.
        QCOMPARE(Xs(t.Out(0)), Seq(10, 170));
        const QVector<double> y = Ys(t.Out(0));
        QVERIFY(Near(y[0], 1.0));
        QVERIFY(y[20] >= 1.5 && y[20] < 1.501);  // halfway, lifted by sample 49 above the line
        QVERIFY(Near(y[40], 2.0, 1e-9));
        QVERIFY(Near(y[160], 5.0, 1e-9));
    }

    void envelopeDoesNotDependOnBlockSize()
    {
        for (short id : {8, 9, 12}) {
            for (double tolerance : {10.0, 50.0}) {
                Source whole(0.01, SteppedSine), pieces(0.01, SteppedSine);
                Table a, b;
                a.Add(id, whole.branch.get(), nullptr, tolerance);
                b.Add(id, pieces.branch.get(), nullptr, tolerance);
                whole.Feed(400);
                a.calc.CalculateOnLineFunctions();
                for (int fed = 0; fed < 400; fed += 7) {
                    pieces.Feed(std::min(7, 400 - fed));
                    b.calc.CalculateOnLineFunctions();
                }
                QVERIFY(a.Out(0)->GetNumSamples() > 0);
                QCOMPARE(Xs(b.Out(0)), Xs(a.Out(0)));
                QCOMPARE(Ys(b.Out(0)), Ys(a.Out(0)));
            }
        }
    }

    void toleranceAndLowerEnvelope()
    {
        Source s(0.01, SteppedSine);
        Table t;
        t.Add(9, s.branch.get(), nullptr, 50.0);
        t.Add(8, s.branch.get(), nullptr, 10.0);
        s.Feed(200);
        t.calc.CalculateOnLineFunctions();
        // Tolerance 50 takes every second peak: 10, 90, 170.
        QCOMPARE(Xs(t.Out(0)), Seq(10, 170));
        QVERIFY(Near(Ys(t.Out(0))[80], 3.0, 1e-9));
        // Valleys at 30, 70, 110, 150, 190 of depth -1..-5.
        QCOMPARE(Xs(t.Out(1)), Seq(30, 190));
        QVERIFY(Near(Ys(t.Out(1))[0], -1.0));
        QVERIFY(Near(Ys(t.Out(1))[160], -5.0, 1e-9));
    }

    void frequencyOfASine()
    {
        Source s(0.01, [](int i) { return std::sin(2.0 * M_PI * i / 40.0); });
        Table t;
        t.Add(12, s.branch.get(), nullptr, 10.0);
        s.Feed(30);
        t.calc.CalculateOnLineFunctions();
        QCOMPARE(t.Out(0)->GetNumSamples(), 0); // the first peak opens the first period
        s.Feed(170);
        t.calc.CalculateOnLineFunctions();
        QCOMPARE(Xs(t.Out(0)), (QVector<double>{50, 90, 130, 170}));
        for (double f : Ys(t.Out(0)))
            QVERIFY(Near(f, 2.5, 1e-9));
    }

    void nanSamplesDoNotStallTheWalk()
    {
        Source s(0.01, [](int i) { return i % 5 == 2 ? std::nan("") : std::sin(i / 3.0); });
        Table t;
        t.Add(9, s.branch.get(), nullptr, 2.0);
        t.Add(12, s.branch.get(), nullptr, 2.0);
        for (int k = 0; k < 20; ++k) {
            s.Feed(9);
            t.calc.CalculateOnLineFunctions();
        }
        QCOMPARE(t.records[0].m_G1Position, qint64(179));
    }

    void missingSourceSkipsOnlyItsRecord()
    {
        Source s(0.1, [](int i) { return double(i); });
        Table t;
        t.Add(15, nullptr, nullptr, 0.0, 2.0);          // source not recorded in this run
        t.Add(15, s.branch.get(), nullptr, 1.0, 2.0);   // y + 2
        t.Add(1, s.branch.get(), nullptr);              // sum without its second source
        s.Feed(4);
        t.calc.CalculateOnLineFunctions();
        QCOMPARE(t.Out(0)->GetNumSamples(), 0);
        QCOMPARE(Ys(t.Out(1)), (QVector<double>{2, 3, 4, 5}));
        QCOMPARE(t.Out(2)->GetNumSamples(), 0);
    }

    void deletedBranchesAreLetGo()
    {
        Source s(0.1, [](int i) { return double(i); });
        Table t;
        t.Add(15, s.branch.get());
        t.Add(22, s.branch.get());
        s.Feed(4);
        t.calc.CalculateOnLineFunctions();
        t.calc.BranchDeleted(t.Out(0));
        t.calc.BranchDeleted(nullptr);
        QVERIFY(t.records[0].m_pOutBranch == nullptr);
        QVERIFY(t.records[1].m_pG1Branch == s.branch.get());
        t.calc.BranchDeleted(s.branch.get());
        QVERIFY(t.records[1].m_pG1Branch == nullptr);
        s.Feed(4);
        t.calc.CalculateOnLineFunctions();
        QCOMPARE(t.Out(1)->GetNumSamples(), 4);
    }

    void tableChangesWhileALoggerThreadComputes()
    {
        Source s(0.1, [](int i) { return double(i % 50); });
        Table t;
        std::vector<std::unique_ptr<CDataBranch>> outputs;
        std::atomic<bool> done{false};
        std::atomic<int> passes{0};
        auto refill = [&] {
            t.calc.ClearOnLineFunctions();
            for (int k = 0; k < 3; ++k) {
                outputs.emplace_back(new CDataBranch);
                t.calc.AddOnLineFunction(1, -1, 0, -1, 0, 0, 0, 0, "l", "", 0, 15, 1.0, 2.0, 0, 1,
                                         -1, false, false);
                QMutexLocker lock(t.calc.TableMutex());
                OnLineFunctionInfo& r = t.records[t.count - 1];
                r.m_pG1Branch = s.branch.get();
                r.m_pOutBranch = outputs.back().get();
                CCalculateOnLineFunctions::ResetRunProgress(r);
            }
        };
        refill();
        std::thread logger([&] {
            for (int block = 0; block < 400; ++block) {
                s.Feed(25);
                t.calc.CalculateOnLineFunctions();
                ++passes;
            }
            done = true;
        });
        // The interface thread empties and refills the table meanwhile.
        while (passes == 0)
            std::this_thread::yield();
        while (!done)
            refill();
        logger.join();
        int points = 0;
        for (const auto& out : outputs) {
            const QVector<double> x = out->GetXSnapshot(), y = out->GetYSnapshot();
            QCOMPARE(x.size(), y.size());
            for (int i = 0; i < x.size(); ++i) {
                if (i > 0)
                    QCOMPARE(x[i], x[i - 1] + 1.0); // no sample twice, none skipped
                QCOMPARE(y[i], (static_cast<int>(x[i]) % 50) + 2.0);
            }
            points += x.size();
        }
        QVERIFY(points > 0);
    }

    void runStartForgetsThePreviousRun()
    {
        OnLineFunctionInfo r;
        r.m_G1Position = 55;
        r.m_G2Position = 66;
        r.m_Extremes.m_Last = 5000;
        r.m_bMatched = true;
        r.m_Extremes.m_Judged = 4999;
        CCalculateOnLineFunctions::ResetRunProgress(r);
        QCOMPARE(r.m_G1Position, qint64(-1));
        QCOMPARE(r.m_G2Position, qint64(-1));
        QCOMPARE(r.m_Extremes.m_Last, qint64(-1000));
        QVERIFY(!r.m_bMatched);
        QCOMPARE(r.m_Extremes.m_Judged, qint64(-1));
    }

    void logicManagerHoldsTheTable()
    {
        CLogicManager manager;
        QCOMPARE(manager.m_NumOnLineFunctions, short(0));
        for (const OnLineFunctionInfo& r : manager.m_OnLineFunctions) {
            QCOMPARE(r.m_FunctionId, short(-1));
            QCOMPARE(r.m_G1Channel, -1);
            QCOMPARE(r.m_G1CatalogueValue, static_cast<unsigned char>(255));
            QVERIFY(r.m_pG1Branch == nullptr);
        }
        CCalculateOnLineFunctions& calc = manager.m_CalculateOnLineFunctions;
        QVERIFY(calc.AddOnLineFunction(1, -1, 0, -1, 0, 0, 0, 0, "sq", "", 0, 22, 2.0, 1.0, 0, 1,
                                       -1, false, false));
        QCOMPARE(manager.m_NumOnLineFunctions, short(1));
        Source s(0.1, [](int i) { return double(i); });
        CDataBranch out;
        {
            QMutexLocker lock(calc.TableMutex());
            manager.m_OnLineFunctions[0].m_pG1Branch = s.branch.get();
            manager.m_OnLineFunctions[0].m_pOutBranch = &out;
            CCalculateOnLineFunctions::ResetRunProgress(manager.m_OnLineFunctions[0]);
        }
        s.Feed(3);
        manager.CalculateOnLineFunctions();
        QCOMPARE(out.GetYSnapshot(), (QVector<double>{0, 2, 8}));
    }

    void deletingAStoredBranchDetachesTheRecord()
    {
        CLogicManager manager;
        CDataManager& data = manager.m_DataManager;
        const int sourceKey = data.CreateDataBranch(-1, 0.1, -1, -1, -1);
        const int outKey = data.CreateDataBranch(-1, 0.1, -1, -1, -1);
        CDataBranch* source = data.GetDataBranch(sourceKey);
        QVERIFY(source && data.GetDataBranch(outKey));
        manager.m_CalculateOnLineFunctions.AddOnLineFunction(1, -1, 0, -1, 0, 0, 0, 0, "l", "", 0,
                                                             15, 0, 1, 0, sourceKey, -1, false,
                                                             false);
        OnLineFunctionInfo& r = manager.m_OnLineFunctions[0];
        r.m_pG1Branch = source;
        r.m_pOutBranch = data.GetDataBranch(outKey);
        CCalculateOnLineFunctions::ResetRunProgress(r);
        const double x[] = {0, 1, 2}, y[] = {5, 6, 7};
        source->AppendSamples(x, y, 3);
        manager.CalculateOnLineFunctions();
        QCOMPARE(data.GetDataBranch(outKey)->GetNumSamples(), 3);
        data.DeleteDataBranch(outKey);
        QVERIFY(r.m_pOutBranch == nullptr);
        QVERIFY(r.m_pG1Branch == source);
        data.DeleteDataBranch(sourceKey);
        QVERIFY(r.m_pG1Branch == nullptr);
        manager.CalculateOnLineFunctions(); // nothing left to read or write
    }

    void unknownIdsComputeNothing()
    {
        Source s(0.1, [](int i) { return double(i); });
        Table t;
        t.Add(11, s.branch.get());
        t.Add(26, s.branch.get());
        t.Add(-4, s.branch.get());
        s.Feed(20);
        t.calc.CalculateOnLineFunctions();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(t.Out(i)->GetNumSamples(), 0);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestOnlineFunctions)
#include "tst_online_functions.moc"

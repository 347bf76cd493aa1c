// Two-branch arithmetic: pairing by equal X inside the X window, the four operations, the
// zero-divisor rule of the division, empty and missing second branches.
#include "support/AnalysisFixture.h"

#include "common/TestMain.h"

using AnalysisTest::Fixture;

class TestAnalysisArithmetic : public QObject
{
    Q_OBJECT

private slots:
    void sameRun();
    void everySecondX();
    void windowStartsAtSmallerX();
    void repeatedXPairsWithSameSample();
    void multiplyOrder();
    void divideByZeroFactor();
    void divideLeadingZeros();
    void divideZeroBetween();
    void divideTrailingZeros();
    void divideExaminesSampleAfterZero();
    void firstAsTime();
    void emptySources();
    void resultCarriesFirstUnit();
};

void TestAnalysisArithmetic::sameRun()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 3, 4});
    CDataBranch* g2 = f.branch({10, 20, 30, 40});
    QCOMPARE(f.ys(f.functions.FunctionAdd2Functions(g1, false, g2, false, 1, 1, 0, -1, QString())),
             (QVector<double>{11, 22, 33, 44}));
    QCOMPARE(f.ys(f.functions.FunctionSub2Functions(g1, false, g2, false, 2, 0.5, 0, -1, QString())),
             (QVector<double>{-3, -6, -9, -12}));
    QCOMPARE(f.ys(f.functions.FunctionDiv2Functions(g1, false, g2, false, 10, 1, 0, -1, QString())),
             (QVector<double>{1, 1, 1, 1}));
    CDataBranch* part = f.functions.FunctionMul2Functions(g1, false, g2, false, 1, 1, 1, 2, QString());
    QCOMPARE(f.xs(part), (QVector<double>{1, 2}));
    QCOMPARE(f.ys(part), (QVector<double>{40, 90}));
    QVERIFY(f.sink.messages.isEmpty());
}

void TestAnalysisArithmetic::everySecondX()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 3, 4, 5});
    CDataBranch* g2 = f.branch({1, 1, 1, 1, 1}, 1.0, QStringLiteral("G2"), QStringLiteral("m"), 0,
                               {0, 2, 4, 6, 8});
    CDataBranch* r = f.functions.FunctionAdd2Functions(g1, false, g2, false, 1, 1, 0, -1, QString());
    QCOMPARE(f.xs(r), (QVector<double>{0, 2, 4}));
    QCOMPARE(f.ys(r), (QVector<double>{2, 4, 6}));
}

void TestAnalysisArithmetic::windowStartsAtSmallerX()
{
    Fixture f;
    CDataBranch* g1 = f.branch({0, 1, 2, 3, 4, 5});
    CDataBranch* g2 = f.branch({5, 5, 5, 5, 5, 5}, 1.0, QStringLiteral("G2"), QStringLiteral("m"),
                               0, {0, 0.5, 1, 1.5, 2, 2.5});
    // At index 2 G2's X (1) is smaller than G1's (2): G1 takes part from X 1 on; the window
    // ends at the smaller X of index 5 (2.5).
    CDataBranch* r = f.functions.FunctionSub2Functions(g1, false, g2, false, 1, 1, 2, 5, QString());
    QCOMPARE(f.xs(r), (QVector<double>{1, 2}));
    QCOMPARE(f.ys(r), (QVector<double>{-4, -3}));
}

void TestAnalysisArithmetic::repeatedXPairsWithSameSample()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 3, 4}, 1.0, QStringLiteral("G1"), QStringLiteral("m"), 0,
                               {0, 1, 1, 2});
    CDataBranch* g2 = f.branch({10, 20, 30, 40});
    CDataBranch* r = f.functions.FunctionAdd2Functions(g1, false, g2, false, 1, 1, 0, -1, QString());
    QCOMPARE(f.xs(r), (QVector<double>{0, 1, 1, 2}));
    QCOMPARE(f.ys(r), (QVector<double>{11, 22, 23, 34}));
}

void TestAnalysisArithmetic::multiplyOrder()
{
    Fixture f;
    CDataBranch* r = f.functions.FunctionMul2Functions(f.branch({1, 1}), false, f.branch({4, 4}),
                                                       false, 2, 3, 0, -1, QString());
    QCOMPARE(f.ys(r), (QVector<double>{24, 24}));
}

void TestAnalysisArithmetic::divideByZeroFactor()
{
    Fixture f;
    const int before = f.branchCount();
    QVERIFY(!f.functions.FunctionDiv2Functions(f.branch({1, 2, 3}), false, f.branch({1, 2, 3}),
                                               false, 1, 0, 0, -1, QString()));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Too few samples."));
    QCOMPARE(f.branchCount(), before + 2);
}

void TestAnalysisArithmetic::divideLeadingZeros()
{
    Fixture f;
    CDataBranch* r = f.functions.FunctionDiv2Functions(f.branch({6, 6, 6, 6, 6, 6}), false,
                                                       f.branch({0, 0, 0, 1, 2, 3}), false, 1, 1,
                                                       0, -1, QString());
    QVERIFY(r);
    QCOMPARE(f.xs(r), (QVector<double>{3, 4, 5}));
    QCOMPARE(f.ys(r), (QVector<double>{6, 3, 2}));
}

void TestAnalysisArithmetic::divideZeroBetween()
{
    Fixture f;
    const int before = f.branchCount();
    QVERIFY(!f.functions.FunctionDiv2Functions(f.branch({6, 6, 6, 6}), false,
                                               f.branch({1, 2, 0, 3}), false, 1, 1, 0, -1,
                                               QString()));
    QCOMPARE(f.sink.lastTitle(), QString());
    QCOMPARE(f.sink.lastText(), QStringLiteral("Invalid values."));
    QCOMPARE(f.branchCount(), before + 2);
}

void TestAnalysisArithmetic::divideTrailingZeros()
{
    Fixture f;
    CDataBranch* r = f.functions.FunctionDiv2Functions(f.branch({6, 6, 6, 6}), false,
                                                       f.branch({1, 2, 0, 0}), false, 1, 1, 0, -1,
                                                       QString());
    QCOMPARE(f.ys(r), (QVector<double>{6, 3}));
}

void TestAnalysisArithmetic::divideExaminesSampleAfterZero()
{
    Fixture f;
    // The sample right after a zero divisor is examined like every other one.
    CDataBranch* r = f.functions.FunctionDiv2Functions(f.branch({4, 4, 4, 4}), false,
                                                       f.branch({0, 2, 4, 8}), false, 1, 1, 0, -1,
                                                       QString());
    QVERIFY(r);
    QCOMPARE(f.xs(r), (QVector<double>{1, 2, 3}));
    QCOMPARE(f.ys(r), (QVector<double>{2, 1, 0.5}));
    // And a zero divisor followed directly by a valid one inside the data still fails.
    QVERIFY(!f.functions.FunctionDiv2Functions(f.branch({4, 4, 4, 4}), false, f.branch({1, 0, 2, 2}),
                                               false, 1, 1, 0, -1, QString()));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Invalid values."));
}

void TestAnalysisArithmetic::firstAsTime()
{
    Fixture f;
    CDataBranch* g1 = f.branch({100, 100, 100}, 0.5, QStringLiteral("G1"), QStringLiteral("mV"), 2);
    CDataBranch* g2 = f.branch({1, 2, 3});
    CDataBranch* r = f.functions.FunctionSub2Functions(g1, true, g2, false, 1, 1, 0, -1, QString());
    QCOMPARE(f.ys(r), (QVector<double>{-1, -1.5, -2}));
    QCOMPARE(r->m_UnitPrefix, short(2));
    CDataBranch* both = f.functions.FunctionAdd2Functions(g1, true, g2, true, 1, 1, 0, -1, QString());
    QCOMPARE(f.ys(both), (QVector<double>{0, 1.5, 3}));
}

void TestAnalysisArithmetic::emptySources()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 3});
    CDataBranch* empty = f.branch({});
    const int before = f.branchCount();
    QVERIFY(!f.functions.FunctionAdd2Functions(g1, false, empty, false, 1, 1, 0, -1, QString()));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Too few samples."));
    QVERIFY(!f.functions.FunctionDiv2Functions(empty, false, g1, false, 1, 1, 0, -1, QString()));
    QCOMPARE(f.sink.messages.size(), 2);
    // No overlap of the X windows: no pair.
    CDataBranch* later = f.branch({1, 2, 3}, 1.0, QStringLiteral("L"), QStringLiteral("m"), 0,
                                  {10, 11, 12});
    QVERIFY(!f.functions.FunctionAdd2Functions(g1, false, later, false, 1, 1, 0, -1, QString()));
    QCOMPARE(f.sink.messages.size(), 3);
    QCOMPARE(f.branchCount(), before + 1);
}

void TestAnalysisArithmetic::resultCarriesFirstUnit()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2}, 0.25, QStringLiteral("A"), QStringLiteral("kN"), 1);
    CDataBranch* g2 = f.branch({1, 2}, 1.0, QStringLiteral("B"), QStringLiteral("m"), 0);
    CDataBranch* r = f.functions.QuickFunctions(CFunctions::IdMul2Functions, g1->m_Key, false, 0,
                                                -1, g2->m_Key, false, -1, 1, 1, 0,
                                                QStringLiteral("Work"), QStringLiteral("J"));
    QCOMPARE(r->m_Name, QStringLiteral("Work"));
    QCOMPARE(r->m_Unit, QStringLiteral("kN"));
    QCOMPARE(r->m_UnitPrefix, short(1));
    QCOMPARE(r->m_Interval, 0.25);
    QCOMPARE(r->m_OwnerKey, g1->m_Key);
}

KORVANTA_TEST_GUILESS_MAIN(TestAnalysisArithmetic)
#include "tst_analysis_arithmetic.moc"

// The dispatcher by function id and the common frame of every derivation: range rule, time
// array, result branch, covariance helpers, "Too few samples.".
#include "support/AnalysisFixture.h"

#include "Core/Data/Globals.h"

#include "common/TestMain.h"
#include <cmath>

using AnalysisTest::Fixture;

class TestAnalysisFrame : public QObject
{
    Q_OBJECT

private slots:
    void validateRange_data();
    void validateRange();
    void timeArray();
    void functionBranchFromSafeArrays();
    void curveFitBranchIsListedAtItsSource();
    void covarianceAndVariance();
    void idsWithoutFunction_data();
    void idsWithoutFunction();
    void missingSourceIsSilent();
    void dispatcherRanges();
    void tooFewSamples();
    void dispatcherHandsOverCoefficients_data();
    void dispatcherHandsOverCoefficients();
    void resultAttributes();
    void noDataManager();
};

void TestAnalysisFrame::validateRange_data()
{
    QTest::addColumn<long>("start");
    QTest::addColumn<long>("end");
    QTest::addColumn<long>("n");
    QTest::addColumn<long>("s");
    QTest::addColumn<long>("e");
    QTest::newRow("whole") << 0L << -1L << 100L << 0L << 99L;
    QTest::newRow("whole from later start") << 5L << -1L << 10L << 0L << 9L;
    QTest::newRow("swapped") << 70L << 20L << 100L << 20L << 70L;
    QTest::newRow("outside both") << -5L << 500L << 100L << 0L << 99L;
    QTest::newRow("swapped then clamped") << 150L << 10L << 100L << 10L << 99L;
    QTest::newRow("empty") << 3L << 7L << 0L << 0L << -1L;
    QTest::newRow("empty whole") << 0L << -1L << 0L << 0L << -1L;
    QTest::newRow("inside") << 500L << 100L << 1000L << 100L << 500L;
}

void TestAnalysisFrame::validateRange()
{
    QFETCH(long, start);
    QFETCH(long, end);
    QFETCH(long, n);
    CFunctions::ValidateStartEndIndexes(start, end, n);
    QTEST(start, "s");
    QTEST(end, "e");
}

void TestAnalysisFrame::timeArray()
{
    Fixture f;
    CDataBranch* g1 = f.branch({5, 6, 7}, 0.01);
    CSafeArray<double> source;
    const double x[] = {0, 1, 2};
    source.AddRange(x, 3);
    CSafeArray<double> times;
    times.Add(42.0); // emptied first
    f.functions.CreateTimeArray(g1, false, &source, times);
    QCOMPARE(times.Snapshot(), (QVector<double>{0.0, 0.01, 0.02}));
}

void TestAnalysisFrame::functionBranchFromSafeArrays()
{
    Fixture f;
    CDataBranch* parent = f.branch({1, 2, 3});
    CSafeArray<double> x;
    CSafeArray<double> y;
    const double xs[] = {10, 11, 12, 13, 14};
    const double ys[] = {7, 8, 9};
    x.AddRange(xs, 5);
    y.AddRange(ys, 3);
    CDataBranch* result = f.functions.AddFunctionBranch(
        parent->m_Key, &x, &y, QStringLiteral("Name"), QStringLiteral("Text"), 0.25,
        QStringLiteral("V"), 2, CFunctions::FunctionResultIndex);
    QVERIFY(result);
    QCOMPARE(f.xs(result), (QVector<double>{10, 11, 12}));
    QCOMPARE(f.ys(result), (QVector<double>{7, 8, 9}));
    QCOMPARE(result->m_Name, QStringLiteral("Name"));
    QCOMPARE(result->m_FunctionText, QStringLiteral("Text"));
    QCOMPARE(result->m_Unit, QStringLiteral("V"));
    QCOMPARE(result->m_UnitPrefix, short(2));
    QCOMPARE(result->m_Interval, 0.25);
    QCOMPARE(result->m_SensorIndex, 20480);
    QCOMPARE(result->m_Channel, -1);
    QCOMPARE(result->m_Measurement, -1);
    QCOMPARE(result->m_OwnerKey, parent->m_Key);
    QCOMPARE(result->m_ParentKey, -1);
    QCOMPARE(parent->m_ChildKeys.Snapshot(), QVector<int>{result->m_Key});
    QVERIFY(parent->m_DerivedKeys.IsEmpty());
    // The caller's lists are only read.
    QCOMPARE(x.GetSize(), 5);
    QCOMPARE(y.GetSize(), 3);
}

void TestAnalysisFrame::curveFitBranchIsListedAtItsSource()
{
    Fixture f;
    CDataBranch* parent = f.branch({1, 2, 3});
    CDataBranch* fit = f.functions.AddFunctionBranch(parent->m_Key, QVector<double>{0, 1},
                                                     QVector<double>{4, 5}, QStringLiteral("F"),
                                                     QStringLiteral("T"), 1.0, QString(), 0,
                                                     CFunctions::CurveFitResultIndex);
    QVERIFY(fit);
    QCOMPARE(fit->m_ParentKey, parent->m_Key);
    QCOMPARE(parent->m_DerivedKeys.Snapshot(), QVector<int>{fit->m_Key});
    QCOMPARE(parent->m_ChildKeys.Snapshot(), QVector<int>{fit->m_Key});
    // A missing parent only leaves the lists alone.
    CDataBranch* orphan = f.functions.AddFunctionBranch(
        12345, QVector<double>{0}, QVector<double>{1}, QString(), QString(), 1.0, QString(), 0,
        CFunctions::CurveFitResultIndex);
    QVERIFY(orphan);
    QCOMPARE(orphan->m_ParentKey, 12345);
    QCOMPARE(f.ys(orphan), QVector<double>{1});
}

void TestAnalysisFrame::covarianceAndVariance()
{
    Fixture f;
    CSafeArray<double> a;
    CSafeArray<double> b;
    const double av[] = {10, 1, 2, 3};
    const double bv[] = {1, 2, 3};
    a.AddRange(av, 4);
    b.AddRange(bv, 3);
    // a from index 1, b from index 0: ((1-2)(1-2) + 0 + (3-2)(3-2)) / 2
    QCOMPARE(f.functions.Cov(&a, &b, 1, 3, 2.0, 2.0), 1.0);
    QCOMPARE(f.functions.Var(&a, 1, 3, 2.0), 1.0);
    // One sample has no spread; the division by zero is not made.
    QCOMPARE(f.functions.Cov(&a, &b, 1, 1, 2.0, 2.0), 0.0);
    QCOMPARE(f.functions.Var(&a, 2, 2, 2.0), 0.0);
    QCOMPARE(f.functions.Cov(&a, &b, 3, 1, 2.0, 2.0), 0.0);
    // Ranges past the lists stop at their ends.
    QCOMPARE(f.functions.Var(&a, 1, 9, 2.0), 2.0 / 8.0);
}

void TestAnalysisFrame::idsWithoutFunction_data()
{
    QTest::addColumn<int>("id");
    QTest::newRow("fourier") << 11;
    QTest::newRow("none") << 29;
    QTest::newRow("above") << 32;
    QTest::newRow("negative") << -1;
    QTest::newRow("large") << 1000;
}

void TestAnalysisFrame::idsWithoutFunction()
{
    QFETCH(int, id);
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 3, 4});
    const int before = f.branchCount();
    QVERIFY(!f.functions.QuickFunctions(short(id), g1->m_Key, false, 0, -1, g1->m_Key, false, -1,
                                        1, 1, 0, QString(), QString()));
    QCOMPARE(f.branchCount(), before);
    QVERIFY(f.sink.messages.isEmpty());
}

void TestAnalysisFrame::missingSourceIsSilent()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 3, 4});
    const int before = f.branchCount();
    for (short id : {0, 1, 4, 5, 6, 8, 12, 13, 15, 27, 30, 31}) {
        QVERIFY(!f.functions.QuickFunctions(id, 999, false, 0, -1, g1->m_Key, false, -1, 1, 1, 0,
                                            QString(), QString()));
    }
    // A missing second branch of a two-branch function: no result and no message either.
    for (short id : {1, 7, 18, 24}) {
        QVERIFY(!f.functions.QuickFunctions(id, g1->m_Key, false, 0, -1, -1, false, -1, 1, 1, 0,
                                            QString(), QString()));
        QVERIFY(!f.functions.QuickFunctions(id, g1->m_Key, false, 0, -1, 999, false, -1, 1, 1, 0,
                                            QString(), QString()));
    }
    QCOMPARE(f.branchCount(), before);
    QVERIFY(f.sink.messages.isEmpty());
}

void TestAnalysisFrame::dispatcherRanges()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    auto linear = [&](int start, int end) {
        return f.functions.QuickFunctions(CFunctions::IdLinear, g1->m_Key, false, start, end, -1,
                                          false, -1, 2, 1, 0, QStringLiteral("L"), QString());
    };
    CDataBranch* whole = linear(5, -1);
    QVERIFY(whole);
    QCOMPARE(f.xs(whole).size(), 10);
    QCOMPARE(f.ys(whole).first(), 3.0);
    CDataBranch* swapped = linear(8, 3);
    QCOMPARE(f.xs(swapped), (QVector<double>{3, 4, 5, 6, 7, 8}));
    QCOMPARE(f.ys(swapped).first(), 9.0);
    CDataBranch* beyond = linear(7, 50);
    QCOMPARE(f.xs(beyond), (QVector<double>{7, 8, 9}));
    CDataBranch* startBeyond = linear(50, 2);
    QCOMPARE(f.xs(startBeyond), (QVector<double>{2, 3, 4, 5, 6, 7, 8, 9}));
    QVERIFY(f.sink.messages.isEmpty());
}

void TestAnalysisFrame::tooFewSamples()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 3, 4});
    CDataBranch* empty = f.branch({});
    const int before = f.branchCount();
    QVERIFY(!f.functions.QuickFunctions(CFunctions::IdLinear, g1->m_Key, false, 2, 2, -1, false,
                                        -1, 1, 1, 0, QString(), QString()));
    QCOMPARE(f.sink.messages.size(), 1);
    QCOMPARE(f.sink.lastTitle(), QString());
    QCOMPARE(f.sink.lastText(), QStringLiteral("Too few samples."));
    QVERIFY(!f.functions.QuickFunctions(CFunctions::IdSin, empty->m_Key, false, 0, -1, -1, false,
                                        -1, 1, 1, 0, QString(), QString()));
    QCOMPARE(f.sink.messages.size(), 2);
    QCOMPARE(f.sink.lastText(), QStringLiteral("Too few samples."));
    QCOMPARE(f.branchCount(), before);
}

void TestAnalysisFrame::dispatcherHandsOverCoefficients_data()
{
    // A = 2, B = 0.5, C = 0.25 on a first value y = 0.2: the first Y of each result.
    QTest::addColumn<int>("id");
    QTest::addColumn<double>("first");
    QTest::newRow("0 absolute") << 0 << 2 * std::fabs(0.5 * 0.2);
    QTest::newRow("2 arccos") << 2 << 2 * std::acos(0.1);
    QTest::newRow("3 arcsin") << 3 << 2 * std::asin(0.1);
    QTest::newRow("4 cos") << 4 << 2 * std::cos(0.1 + 0.25);
    QTest::newRow("5 delta y") << 5 << 0.0;
    QTest::newRow("10 exp") << 10 << 2 * std::exp(0.1) + 0.25;
    QTest::newRow("14 kinetic") << 14 << 0.2 * 1.0 * 0.2;
    QTest::newRow("15 linear") << 15 << 0.9;
    QTest::newRow("16 ln") << 16 << 2 * std::log(0.1);
    QTest::newRow("17 log10") << 17 << -2.0;
    QTest::newRow("19 quadratic") << 19 << 0.1 + 0.08 + 0.25;
    QTest::newRow("20 reciprocal") << 20 << 2 / 0.7 + 0.25;
    QTest::newRow("21 sin") << 21 << 2 * std::sin(0.35);
    QTest::newRow("22 square") << 22 << 0.02;
    QTest::newRow("23 square root") << 23 << 2 * std::sqrt(0.35);
    QTest::newRow("25 tan") << 25 << 2 * std::tan(0.35);
}

void TestAnalysisFrame::dispatcherHandsOverCoefficients()
{
    QFETCH(int, id);
    QFETCH(double, first);
    Fixture f;
    CDataBranch* g1 = f.branch({0.2, 0.4, 0.6, 0.8});
    CDataBranch* result = f.functions.QuickFunctions(short(id), g1->m_Key, false, 0, -1, -1, false,
                                                     -1, 2, 0.5, 0.25, QStringLiteral("R"),
                                                     QStringLiteral("unused"));
    QVERIFY(result);
    QCOMPARE(f.ys(result).size(), 4);
    QCOMPARE(f.ys(result).first() + 1.0, first + 1.0);
    QCOMPARE(result->m_Name, QStringLiteral("R"));
    QCOMPARE(result->m_Unit, QStringLiteral("m"));
}

void TestAnalysisFrame::resultAttributes()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 3, 4}, 0.5, QStringLiteral("G1"), QStringLiteral("mV"), 2);
    CDataBranch* g2 = f.branch({1, 1, 1, 1}, 0.5, QStringLiteral("G2"), QStringLiteral("V"), 0);
    CDataBranch* plain = f.functions.QuickFunctions(CFunctions::IdSquareX, g1->m_Key, false, 0, -1,
                                                    -1, false, -1, 1, 1, 0, QStringLiteral("S"),
                                                    QString());
    QCOMPARE(plain->m_OwnerKey, g1->m_Key);
    QCOMPARE(plain->m_Interval, 0.5);
    QCOMPARE(plain->m_SensorIndex, 20480);
    QCOMPARE(plain->m_UnitPrefix, short(2));
    QCOMPARE(plain->m_FunctionText, QStringLiteral("S"));
    // Taken as time, a point-wise result has no prefix; its X stays on the sample numbers.
    CDataBranch* timed = f.functions.QuickFunctions(CFunctions::IdSquareX, g1->m_Key, true, 0, -1,
                                                    -1, false, -1, 1, 1, 0, QStringLiteral("S"),
                                                    QString());
    QCOMPARE(timed->m_UnitPrefix, short(0));
    QCOMPARE(f.ys(timed), (QVector<double>{0, 0.25, 1, 2.25}));
    QCOMPARE(f.xs(timed), (QVector<double>{0, 1, 2, 3}));
    // A two-branch result keeps G1's prefix even then.
    CDataBranch* sum = f.functions.QuickFunctions(CFunctions::IdAdd2Functions, g1->m_Key, true, 0,
                                                  -1, g2->m_Key, false, -1, 1, 1, 0,
                                                  QStringLiteral("T"), QStringLiteral("s"));
    QCOMPARE(sum->m_UnitPrefix, short(2));
    QCOMPARE(sum->m_Unit, QStringLiteral("mV"));
    QCOMPARE(sum->m_SensorIndex, 20480);
    // Fits record their source as parent.
    CDataBranch* fit = f.functions.QuickFunctions(CFunctions::IdLinearRegression, g1->m_Key, false,
                                                  0, -1, -1, false, -1, 1, 1, 0, QString(),
                                                  QString());
    QCOMPARE(fit->m_SensorIndex, 20481);
    QCOMPARE(fit->m_ParentKey, g1->m_Key);
    QCOMPARE(fit->m_Interval, 0.5);
    QVERIFY(f.sink.messages.isEmpty());
}

void TestAnalysisFrame::noDataManager()
{
    // An engine made without a store.
    CFunctions functions;
    QVERIFY(!functions.GetDataManager());
    QVERIFY(!functions.QuickFunctions(CFunctions::IdLinear, 0, false, 0, -1, -1, false, -1, 1, 1, 0,
                                      QString(), QString()));
    QVERIFY(!functions.AddFunctionBranch(0, QVector<double>{1}, QVector<double>{1}, QString(),
                                         QString(), 1, QString(), 0, 20480));
}

KORVANTA_TEST_GUILESS_MAIN(TestAnalysisFrame)
#include "tst_analysis_frame.moc"

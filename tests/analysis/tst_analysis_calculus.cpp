// Derivative (against time and against an X-axis branch, with its mid points) and integral.
#include "support/AnalysisFixture.h"

#include "common/TestMain.h"

using AnalysisTest::Fixture;

class TestAnalysisCalculus : public QObject
{
    Q_OBJECT

private slots:
    void derivativeOfLine();
    void derivativeNamedByCaller();
    void derivativeNeedsThreeSamples();
    void derivativeAgainstXAxis();
    void derivativeAgainstShorterXAxis();
    void derivativeWithoutInterval();
    void derivativeOfTime();
    void midPointsOfManualSCurve();
    void noMidPointsWhenNeverRising();
    void noMidPointsAtASampleRate();
    void integralOfConstant();
    void integralStartAndFactor();
    void integralOfTime();
    void integralFromLaterStart();
    void integralTooFew();
};

void TestAnalysisCalculus::derivativeOfLine()
{
    Fixture f;
    // y = 2t sampled every 0.1 s.
    QVector<double> y;
    for (int k = 0; k < 6; ++k)
        y.append(2 * (k * 0.1));
    CDataBranch* g1 = f.branch(y, 0.1, QStringLiteral("Position"), QStringLiteral("m"), 2);
    CDataBranch* d = f.functions.QuickFunctions(CFunctions::IdDerivative, g1->m_Key, false, 0, -1,
                                                -1, false, -1, 1, 1, 0, QString(), QString());
    QVERIFY(d);
    QCOMPARE(f.xs(d), (QVector<double>{1, 2, 3, 4, 5}));
    for (double v : f.ys(d))
        QCOMPARE(v, 2.0);
    QCOMPARE(d->m_Name, QStringLiteral("d(Position) / dt"));
    QCOMPARE(d->m_FunctionText, QStringLiteral("d(Position) / dt"));
    QCOMPARE(d->m_Unit, QStringLiteral("m/s"));
    QCOMPARE(d->m_UnitPrefix, short(2));
    QCOMPARE(d->m_Interval, 0.1);
    QCOMPARE(d->m_SensorIndex, 20480);
}

void TestAnalysisCalculus::derivativeNamedByCaller()
{
    Fixture f;
    CDataBranch* g1 = f.branch({0, 1, 4, 9}, 1.0, QStringLiteral("Position"));
    CDataBranch* d = f.functions.FunctionDerivative(g1, false, 0, -1, QStringLiteral("Speed"),
                                                    nullptr);
    QCOMPARE(d->m_Name, QStringLiteral("Speed"));
    QCOMPARE(d->m_Unit, QStringLiteral("m/s"));
    QCOMPARE(f.ys(d), (QVector<double>{1, 3, 5}));
}

void TestAnalysisCalculus::derivativeNeedsThreeSamples()
{
    Fixture f;
    CDataBranch* g1 = f.branch({0, 1, 4, 9});
    const int before = f.branchCount();
    QVERIFY(!f.functions.FunctionDerivative(g1, false, 1, 2, QString(), nullptr));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Too few samples."));
    QVERIFY(!f.functions.FunctionDerivative(f.branch({}), false, 0, -1, QString(), nullptr));
    QCOMPARE(f.branchCount(), before + 1); // only the empty source
}

void TestAnalysisCalculus::derivativeAgainstXAxis()
{
    Fixture f;
    // Recorded at 0.1 s: the slope along the axis is per unit of the axis, not per second.
    CDataBranch* g1 = f.branch({0, 2, 4, 6, 8}, 0.1, QStringLiteral("G1"), QStringLiteral("\u00b0C"));
    CDataBranch* axis = f.branch({0, 1, 1, 2, 3}, 0.1, QStringLiteral("Axis"), QStringLiteral("kPa"));
    CDataBranch* d = f.functions.QuickFunctions(CFunctions::IdDerivative, g1->m_Key, false, 0, -1,
                                                -1, false, axis->m_Key, 1, 1, 0, QString(),
                                                QString());
    QVERIFY(d);
    // The pair with equal axis values gives no point.
    QCOMPARE(f.xs(d), (QVector<double>{1, 3, 4}));
    QCOMPARE(f.ys(d), (QVector<double>{2, 2, 2}));
    QCOMPARE(d->m_Name, QStringLiteral("d(G1) / dx"));
    QCOMPARE(d->m_Unit, QStringLiteral("\u00b0C/kPa"));
    // Against an axis mid points are looked for; these values never fall.
    QVERIFY(d->m_MarkedPositions.isEmpty());
    QCOMPARE(d->m_RelatedKey, -1);
}

void TestAnalysisCalculus::derivativeAgainstShorterXAxis()
{
    Fixture f;
    CDataBranch* g1 = f.branch({0, 2, 4, 6, 8});
    CDataBranch* axis = f.branch({0, 1, 2});
    CDataBranch* d = f.functions.FunctionDerivative(g1, false, 0, -1, QString(), axis);
    QVERIFY(d);
    QCOMPARE(f.xs(d), (QVector<double>{1, 2}));
}

void TestAnalysisCalculus::derivativeWithoutInterval()
{
    Fixture f;
    CDataBranch* g1 = f.branch({0, 2, 4, 6, 8}, 0.0);
    QVERIFY(!f.functions.FunctionDerivative(g1, false, 0, -1, QString(), nullptr));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Too few samples."));
}

void TestAnalysisCalculus::derivativeOfTime()
{
    Fixture f;
    CDataBranch* g1 = f.branch({5, 1, 7, 2}, 0.5, QStringLiteral("G1"), QStringLiteral("m"), 1);
    CDataBranch* d = f.functions.FunctionDerivative(g1, true, 0, -1, QString(), nullptr);
    QCOMPARE(f.ys(d), (QVector<double>{1, 1, 1}));
    QCOMPARE(d->m_UnitPrefix, short(0));
}

void TestAnalysisCalculus::midPointsOfManualSCurve()
{
    Fixture f;
    // Flat, steep, flat: the slope rises to 2 and falls after result sample 2.
    CDataBranch* g1 = f.inRun(f.branch({0, 0, 1, 3, 4, 4}, 1.0, QStringLiteral("G1"), QStringLiteral("m"),
                                       0, {}, 0), true);
    CDataBranch* d = f.functions.FunctionDerivative(g1, false, 0, -1, QString(), nullptr);
    QCOMPARE(f.ys(d), (QVector<double>{0, 1, 2, 1, 0}));
    QCOMPARE(d->m_MarkedPositions, QList<int>{2});
    QCOMPARE(d->m_RelatedKey, g1->m_Key);
}

void TestAnalysisCalculus::noMidPointsWhenNeverRising()
{
    Fixture f;
    CDataBranch* g1 = f.inRun(f.branch({0, 3, 5, 6}, 1.0, QStringLiteral("G1"), QStringLiteral("m"), 0,
                                       {}, 0), true);
    CDataBranch* d = f.functions.FunctionDerivative(g1, false, 0, -1, QString(), nullptr);
    QCOMPARE(f.ys(d), (QVector<double>{3, 2, 1}));
    QVERIFY(d->m_MarkedPositions.isEmpty());
    QCOMPARE(d->m_RelatedKey, -1);
}

void TestAnalysisCalculus::noMidPointsAtASampleRate()
{
    // A timed run as recorded (rate code 9) and as a file keeps it (no rate code).
    for (int rateCode : {9, 0}) {
        Fixture f;
        CDataBranch* g1 = f.inRun(f.branch({0, 0, 1, 3, 4, 4}, 1.0, QStringLiteral("G1"), QStringLiteral("m"),
                                           0, {}, rateCode), false);
        CDataBranch* d = f.functions.FunctionDerivative(g1, false, 0, -1, QString(), nullptr);
        QVERIFY(d->m_MarkedPositions.isEmpty());
        QCOMPARE(d->m_RelatedKey, -1);
    }
}

void TestAnalysisCalculus::integralOfConstant()
{
    Fixture f;
    CDataBranch* g1 = f.branch({3, 3, 3, 3, 3}, 0.5, QStringLiteral("Force"), QStringLiteral("N"),
                               1);
    // Without a name from its caller the integral is named after its formula.
    CDataBranch* in = f.functions.QuickFunctions(CFunctions::IdIntegral, g1->m_Key, false, 0, -1,
                                                 -1, false, -1, 0, 1, 0, QString(), QString());
    QVERIFY(in);
    QCOMPARE(f.ys(in), (QVector<double>{0, 1.5, 3, 4.5, 6}));
    QCOMPARE(f.xs(in), (QVector<double>{0, 1, 2, 3, 4}));
    QCOMPARE(in->m_Name, QStringLiteral("Integral(Force)"));
    QCOMPARE(in->m_FunctionText, QStringLiteral("Integral(Force)"));
    QCOMPARE(in->m_Unit, QStringLiteral("N*s"));
    QCOMPARE(in->m_UnitPrefix, short(1));
}

void TestAnalysisCalculus::integralStartAndFactor()
{
    Fixture f;
    CDataBranch* g1 = f.branch({3, 3, 3, 3, 3}, 0.5);
    QCOMPARE(f.ys(f.functions.FunctionIntegral(g1, false, 0, -1, 10, 1)),
             (QVector<double>{10, 11.5, 13, 14.5, 16}));
    QCOMPARE(f.ys(f.functions.FunctionIntegral(g1, false, 0, -1, 0, 2)),
             (QVector<double>{0, 3, 6, 9, 12}));
}

void TestAnalysisCalculus::integralOfTime()
{
    Fixture f;
    CDataBranch* g1 = f.branch({9, 9, 9, 9}, 1.0, QStringLiteral("G1"), QStringLiteral("m"), 2);
    CDataBranch* in = f.functions.FunctionIntegral(g1, true, 0, -1, 0, 1);
    // A + sum of t_i x dt with t = 0, 1, 2, 3.
    QCOMPARE(f.ys(in), (QVector<double>{0, 1, 3, 6}));
    QCOMPARE(in->m_UnitPrefix, short(0));
}

void TestAnalysisCalculus::integralFromLaterStart()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 3, 4, 5}, 1.0, QStringLiteral("G1"), QStringLiteral("m"),
                               0, {0, 1, 2, 4, 8});
    CDataBranch* in = f.functions.FunctionIntegral(g1, false, 2, 4, 1, 1);
    // First point at the start's X with Y = A, then steps of (X[i] - X[i-1]) x Y[i].
    QCOMPARE(f.xs(in), (QVector<double>{2, 4, 8}));
    QCOMPARE(f.ys(in), (QVector<double>{1, 1 + 2 * 4, 1 + 2 * 4 + 4 * 5}));
}

void TestAnalysisCalculus::integralTooFew()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 3});
    CDataBranch* empty = f.branch({});
    const int before = f.branchCount();
    QVERIFY(!f.functions.FunctionIntegral(g1, false, 1, 1, 0, 1));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Too few samples."));
    // An empty branch has no first sample to start from; nothing is read from it.
    QVERIFY(!f.functions.FunctionIntegral(empty, false, 0, -1, 0, 1));
    QCOMPARE(f.sink.messages.size(), 2);
    QCOMPARE(f.branchCount(), before);
}

KORVANTA_TEST_GUILESS_MAIN(TestAnalysisCalculus)
#include "tst_analysis_calculus.moc"

// Point-wise transforms with coefficients: formulas, domains, the single-run and second-gap
// rules and their messages, the time operand.
#include "support/AnalysisFixture.h"

#include "common/TestMain.h"
#include <cmath>

using AnalysisTest::Fixture;

class TestAnalysisTransforms : public QObject
{
    Q_OBJECT

private slots:
    void linearKeepsSourceX();
    void simpleFormulas();
    void log10DropsLeadingAndTrailing();
    void log10FailsOnGap();
    void lnSecondGapRule();
    void lnFailsOnSecondGap();
    void logarithmsOutsideEverywhere();
    void logOfNotANumberIsOutside();
    void squareRoot();
    void reciprocal();
    void tangentAtQuarterTurn();
    void sineOfTime();
    void missingValueIsANumber();
    void overflowIsStored();
    void oneSampleRange();
};

void TestAnalysisTransforms::linearKeepsSourceX()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 3}, 1.0, QStringLiteral("G1"), QStringLiteral("V"), 3,
                               {10, 11, 12});
    CDataBranch* r = f.functions.FunctionLinear(g1, false, 2, 1, 0, -1, QStringLiteral("Lin"));
    QCOMPARE(f.ys(r), (QVector<double>{3, 5, 7}));
    QCOMPARE(f.xs(r), (QVector<double>{10, 11, 12}));
    QCOMPARE(r->m_Unit, QStringLiteral("V"));
    QCOMPARE(r->m_UnitPrefix, short(3));
    QCOMPARE(r->m_Name, QStringLiteral("Lin"));
    QCOMPARE(r->m_FunctionText, QStringLiteral("Lin"));
}

void TestAnalysisTransforms::simpleFormulas()
{
    Fixture f;
    CDataBranch* zero = f.branch({0, 0});
    QCOMPARE(f.ys(f.functions.FunctionCos(zero, false, 1, 1, 0, 0, -1, QString())).first(), 1.0);
    CDataBranch* g1 = f.branch({3, -2});
    QCOMPARE(f.ys(f.functions.FunctionQuadratic(g1, false, 1, 0, 0, 0, -1, QString())),
             (QVector<double>{9, 4}));
    QCOMPARE(f.ys(f.functions.FunctionQuadratic(g1, false, 2, 3, 1, 0, -1, QString())),
             (QVector<double>{28, 3}));
    QCOMPARE(f.ys(f.functions.FunctionSquareX(g1, false, 1, 2, 0, -1, QString())),
             (QVector<double>{36, 16}));
    QCOMPARE(f.ys(f.functions.FunctionExp(zero, false, 2, 5, 1, 0, -1, QString())),
             (QVector<double>{3, 3}));
    QCOMPARE(f.ys(f.functions.FunctionSin(zero, false, 2, 1, M_PI / 2, 0, -1, QString())),
             (QVector<double>{2, 2}));
    QVERIFY(f.sink.messages.isEmpty());
}

void TestAnalysisTransforms::log10DropsLeadingAndTrailing()
{
    Fixture f;
    CDataBranch* g1 = f.branch({-1, 10, 100, -5});
    CDataBranch* r = f.functions.FunctionLog10(g1, false, 1, 1, 0, -1, QString());
    QVERIFY(r);
    QCOMPARE(f.ys(r), (QVector<double>{1, 2}));
    QCOMPARE(f.xs(r), (QVector<double>{1, 2}));
    QVERIFY(f.sink.messages.isEmpty());
}

void TestAnalysisTransforms::log10FailsOnGap()
{
    Fixture f;
    CDataBranch* g1 = f.branch({10, -1, 100});
    const int before = f.branchCount();
    QVERIFY(!f.functions.FunctionLog10(g1, false, 1, 1, 0, -1, QString()));
    QCOMPARE(f.sink.lastTitle(), QString());
    QCOMPARE(f.sink.lastText(), QStringLiteral("Invalid values."));
    QCOMPARE(f.branchCount(), before);
}

void TestAnalysisTransforms::lnSecondGapRule()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, -1, -2, M_E, M_E * M_E});
    CDataBranch* r = f.functions.FunctionLn(g1, false, 1, 1, 0, -1, QString());
    QVERIFY(r);
    QCOMPARE(f.ys(r), (QVector<double>{0, 1, 2}));
    QCOMPARE(f.xs(r), (QVector<double>{0, 3, 4}));
    QVERIFY(f.sink.messages.isEmpty());
}

void TestAnalysisTransforms::lnFailsOnSecondGap()
{
    Fixture f;
    QVERIFY(!f.functions.FunctionLn(f.branch({1, -1, 2, -1}), false, 1, 1, 0, -1, QString()));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Invalid values."));
}

void TestAnalysisTransforms::logarithmsOutsideEverywhere()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 3});
    QVERIFY(!f.functions.FunctionLn(g1, false, 1, -1, 0, -1, QString()));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Too few samples."));
    QVERIFY(!f.functions.FunctionLog10(g1, false, 1, -1, 0, -1, QString()));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Invalid values."));
}

void TestAnalysisTransforms::logOfNotANumberIsOutside()
{
    Fixture f;
    CDataBranch* r = f.functions.FunctionLog10(f.branch({qQNaN(), 10, 1000}), false, 1, 1, 0, -1,
                                               QString());
    QVERIFY(r);
    QCOMPARE(f.ys(r), (QVector<double>{1, 3}));
}

void TestAnalysisTransforms::squareRoot()
{
    Fixture f;
    QVERIFY(!f.functions.FunctionSquareRoot(f.branch({4, -1, 9}), false, 1, 1, 0, 0, -1,
                                            QString()));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Out of range."));
    CDataBranch* r = f.functions.FunctionSquareRoot(f.branch({-4, 4, 9}), false, 3, 1, 4, 0, -1,
                                                    QString());
    QCOMPARE(f.ys(r), (QVector<double>{0, 3 * std::sqrt(8.0), 3 * std::sqrt(13.0)}));
}

void TestAnalysisTransforms::reciprocal()
{
    Fixture f;
    // With B = -2 a sample of exactly 2 lies outside; as the first sample it is dropped.
    CDataBranch* r = f.functions.Function1DevideByX(f.branch({2, 3, 4}), false, 1, -2, 1, 0, -1,
                                                    QString());
    QVERIFY(r);
    QCOMPARE(f.ys(r), (QVector<double>{2, 1.5}));
    QCOMPARE(f.xs(r), (QVector<double>{1, 2}));
    QVERIFY(!f.functions.Function1DevideByX(f.branch({3, 2, 4}), false, 1, -2, 0, 0, -1,
                                            QString()));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Invalid values."));
}

void TestAnalysisTransforms::tangentAtQuarterTurn()
{
    Fixture f;
    QVERIFY(std::sin(M_PI / 2) == 1.0);
    CDataBranch* r = f.functions.FunctionTan(f.branch({0.5, -M_PI / 2, 0, M_PI / 2}), false, 1, 1,
                                             0, 0, -1, QString());
    QVERIFY(r);
    QCOMPARE(f.xs(r), (QVector<double>{0, 1, 2}));
    QVERIFY(f.ys(r).at(1) < -1.6e16 && f.ys(r).at(1) > -1.7e16);
    QVERIFY(!f.functions.FunctionTan(f.branch({0, M_PI / 2, 1}), false, 1, 1, 0, 0, -1, QString()));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Invalid values"));
}

void TestAnalysisTransforms::sineOfTime()
{
    Fixture f;
    CDataBranch* g1 = f.branch({7, 7, 7, 7}, 1.0, QStringLiteral("G1"), QStringLiteral("V"), 2,
                               {0, 1, 2, 3});
    CDataBranch* r = f.functions.FunctionSin(g1, true, 1, 2 * M_PI / 10, 0, 0, -1, QString());
    QCOMPARE(f.xs(r), (QVector<double>{0, 1, 2, 3}));
    for (int t = 0; t < 4; ++t)
        QCOMPARE(f.ys(r).at(t) + 1.0, std::sin(2 * M_PI * t / 10) + 1.0);
    QCOMPARE(r->m_UnitPrefix, short(0));
    QCOMPARE(r->m_Unit, QStringLiteral("V"));
}

void TestAnalysisTransforms::missingValueIsANumber()
{
    Fixture f;
    CDataBranch* r = f.functions.FunctionLinear(f.branch({-9999999, 1}), false, 1, 0, 0, -1,
                                                QString());
    QCOMPARE(f.ys(r), (QVector<double>{-9999999, 1}));
}

void TestAnalysisTransforms::overflowIsStored()
{
    Fixture f;
    CDataBranch* r = f.functions.FunctionExp(f.branch({1, 2}), false, 1, 1000, 0, 0, -1, QString());
    QVERIFY(r);
    QVERIFY(std::isinf(f.ys(r).at(0)));
}

void TestAnalysisTransforms::oneSampleRange()
{
    Fixture f;
    CDataBranch* g1 = f.branch({10, 100, 1000});
    QVERIFY(!f.functions.FunctionSin(g1, false, 1, 1, 0, 1, 1, QString()));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Too few samples."));
    QVERIFY(!f.functions.FunctionLog10(g1, false, 1, 1, 1, 1, QString()));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Invalid values."));
}

KORVANTA_TEST_GUILESS_MAIN(TestAnalysisTransforms)
#include "tst_analysis_transforms.moc"

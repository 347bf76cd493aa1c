// Simple point-wise functions: absolute value, arccosine, arcsine, delta Y, kinetic energy.
#include "support/AnalysisFixture.h"

#include "common/TestMain.h"
#include <cmath>

using AnalysisTest::Fixture;

class TestAnalysisPointwise : public QObject
{
    Q_OBJECT

private slots:
    void absoluteValue();
    void kineticEnergy();
    void deltaYFromRangeStart();
    void arcCosBounds();
    void arcSinBounds();
    void inverseTrigOfNotANumber();
    void oneSampleRange();
    void emptyBranch();
    void resultKeepsSourceUnit();
};

void TestAnalysisPointwise::absoluteValue()
{
    Fixture f;
    CDataBranch* r = f.functions.FunctionAbsoluteValue(f.branch({1.5, -2}), 2, -3, 0, -1, QString());
    QCOMPARE(f.ys(r), (QVector<double>{9, 12}));
}

void TestAnalysisPointwise::kineticEnergy()
{
    Fixture f;
    CDataBranch* r = f.functions.FunctionKineticEnergy(f.branch({3, -1}), 2, 0, -1, QString());
    QCOMPARE(f.ys(r), (QVector<double>{9, 1}));
}

void TestAnalysisPointwise::deltaYFromRangeStart()
{
    Fixture f;
    QVector<double> y;
    for (int i = 0; i < 15; ++i)
        y.append(i * i);
    CDataBranch* g1 = f.branch(y);
    CDataBranch* whole = f.functions.FunctionDeltaY(g1, 0, -1, QString());
    QCOMPARE(f.ys(whole).first(), 0.0);
    QCOMPARE(f.ys(whole).last(), 196.0);
    CDataBranch* later = f.functions.FunctionDeltaY(g1, 10, 12, QString());
    QCOMPARE(f.xs(later), (QVector<double>{10, 11, 12}));
    QCOMPARE(f.ys(later), (QVector<double>{0, 21, 44}));
}

void TestAnalysisPointwise::arcCosBounds()
{
    Fixture f;
    CDataBranch* r = f.functions.FunctionArcCos(f.branch({0.5, -0.5}), 3, 2, 0, -1, QString());
    QVERIFY(r);
    QCOMPARE(f.ys(r).at(0) + 1.0, 1.0); // arccos(1) = 0
    QCOMPARE(f.ys(r).at(1), 3 * M_PI);
    const int before = f.branchCount();
    QVERIFY(!f.functions.FunctionArcCos(f.branch({0.5, 1.0000001}), 1, 1, 0, -1, QString()));
    QCOMPARE(f.sink.lastTitle(), QString());
    QCOMPARE(f.sink.lastText(), QStringLiteral("ArcCos defined between [-1 , 1]"));
    QCOMPARE(f.branchCount(), before + 1);
}

void TestAnalysisPointwise::arcSinBounds()
{
    Fixture f;
    CDataBranch* r = f.functions.FunctionArcSin(f.branch({1, -1}), 1, 1, 0, -1, QString());
    QCOMPARE(f.ys(r), (QVector<double>{M_PI / 2, -M_PI / 2}));
    QVERIFY(!f.functions.FunctionArcSin(f.branch({0, -2}), 1, 1, 0, -1, QString()));
    QCOMPARE(f.sink.lastText(), QStringLiteral("ArcSin defined between [-1 , 1]"));
}

void TestAnalysisPointwise::inverseTrigOfNotANumber()
{
    Fixture f;
    CDataBranch* r = f.functions.FunctionArcSin(f.branch({qQNaN(), 0}), 1, 1, 0, -1, QString());
    QVERIFY(r);
    QVERIFY(std::isnan(f.ys(r).at(0)));
}

void TestAnalysisPointwise::oneSampleRange()
{
    Fixture f;
    CDataBranch* g1 = f.branch({0.1, 0.2, 0.3});
    QVERIFY(!f.functions.FunctionAbsoluteValue(g1, 1, 1, 1, 1, QString()));
    QVERIFY(!f.functions.FunctionDeltaY(g1, 1, 1, QString()));
    QVERIFY(!f.functions.FunctionKineticEnergy(g1, 1, 1, 1, QString()));
    QCOMPARE(f.sink.messages.size(), 3);
    for (const auto& message : f.sink.messages)
        QCOMPARE(message.text, QStringLiteral("Too few samples."));
    CDataBranch* one = f.functions.FunctionArcCos(g1, 1, 1, 1, 1, QString());
    QVERIFY(one);
    QCOMPARE(f.xs(one), QVector<double>{1});
    QVERIFY(f.functions.FunctionArcSin(g1, 1, 1, 1, 1, QString()));
}

void TestAnalysisPointwise::emptyBranch()
{
    Fixture f;
    CDataBranch* empty = f.branch({});
    // Delta Y has no first value to subtract: it fails before reading one.
    QVERIFY(!f.functions.FunctionDeltaY(empty, 0, -1, QString()));
    QVERIFY(!f.functions.FunctionAbsoluteValue(empty, 1, 1, 0, -1, QString()));
    QVERIFY(!f.functions.FunctionKineticEnergy(empty, 1, 0, -1, QString()));
    QCOMPARE(f.sink.messages.size(), 3);
    CDataBranch* none = f.functions.FunctionArcCos(empty, 1, 1, 0, -1, QString());
    QVERIFY(none);
    QCOMPARE(none->GetNumSamples(), 0);
}

void TestAnalysisPointwise::resultKeepsSourceUnit()
{
    Fixture f;
    CDataBranch* g1 = f.branch({0.1, 0.2}, 0.5, QStringLiteral("V"), QStringLiteral("km/h"), 1);
    for (CDataBranch* r : {f.functions.FunctionKineticEnergy(g1, 2, 0, -1, QStringLiteral("E")),
                           f.functions.FunctionArcCos(g1, 1, 1, 0, -1, QStringLiteral("E"))}) {
        QCOMPARE(r->m_Unit, QStringLiteral("km/h"));
        QCOMPARE(r->m_UnitPrefix, short(1));
        QCOMPARE(r->m_Interval, 0.5);
        QCOMPARE(r->m_Name, QStringLiteral("E"));
        QCOMPARE(r->m_SensorIndex, 20480);
    }
}

KORVANTA_TEST_GUILESS_MAIN(TestAnalysisPointwise)
#include "tst_analysis_pointwise.moc"

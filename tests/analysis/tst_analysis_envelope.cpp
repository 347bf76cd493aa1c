// Envelope and frequency: the peak finder's distance and neighbour tests, the range end, flat
// tops, samples that are not numbers.
#include "support/AnalysisFixture.h"

#include "common/TestMain.h"
#include <cmath>

using AnalysisTest::Fixture;

namespace {

// A sine of 20 samples per period: maxima at 5, 25, 45, ...; minima at 15, 35, ...
QVector<double> sine(int count)
{
    QVector<double> y(count);
    for (int k = 0; k < count; ++k)
        y[k] = std::sin(2 * M_PI * k / 20);
    return y;
}

// Period 9 with a peak of 10 at 4 and a smaller bump of 5 two samples after it, then a long
// descent so that the last bump is not within 3 samples of the end.
QVector<double> bumpy()
{
    const double period[] = {0, 1, 2, 3, 10, 3, 5, 2, 1};
    QVector<double> y;
    for (int p = 0; p < 4; ++p)
        for (double v : period)
            y.append(v);
    for (int k = 0; k < 6; ++k)
        y.append(-k);
    return y;
}

} // namespace

class TestAnalysisEnvelope : public QObject
{
    Q_OBJECT

private slots:
    void upperEnvelopeOfSine();
    void lowerEnvelopeOfSine();
    void frequencyOfSine();
    void minimumDistanceHalvesFrequency();
    void distanceCountsFromMinusThousand();
    void distanceUsesBranchIndices();
    void bumpAfterPeak();
    void envelopeLinesBetweenExtremes();
    void flatTopTakesLastSample();
    void monotonicRise();
    void notANumberDoesNotStopTheScan();
    void frequencyWithoutInterval();
    void units();
    void envelopeBendsAtSamplesOutsideTheLine();
};

void TestAnalysisEnvelope::upperEnvelopeOfSine()
{
    Fixture f;
    CDataBranch* g1 = f.branch(sine(100), 0.01);
    CDataBranch* r = f.functions.QuickFunctions(CFunctions::IdUpperEnvelope, g1->m_Key, false, 0,
                                                -1, -1, false, -1, 5, 1, 0, QStringLiteral("Up"),
                                                QString());
    QVERIFY(r);
    // From the first to the last maximum; the rise cut off by the range end is no maximum.
    const QVector<double> x = f.xs(r);
    QCOMPARE(x.size(), 81);
    QCOMPARE(x.first(), 5.0);
    QCOMPARE(x.last(), 85.0);
    for (double v : f.ys(r))
        QVERIFY(std::fabs(v - 1.0) < 1e-9);
}

void TestAnalysisEnvelope::lowerEnvelopeOfSine()
{
    Fixture f;
    CDataBranch* g1 = f.branch(sine(100), 0.01);
    CDataBranch* r = f.functions.QuickFunctions(CFunctions::IdLowerEnvelope, g1->m_Key, false, 0,
                                                -1, -1, false, -1, 5, 1, 0, QStringLiteral("Lo"),
                                                QString());
    QVERIFY(r);
    const QVector<double> x = f.xs(r);
    QCOMPARE(x.first(), 15.0);
    QCOMPARE(x.last(), 95.0);
    QCOMPARE(x.size(), 81);
    for (double v : f.ys(r))
        QVERIFY(std::fabs(v + 1.0) < 1e-9);
}

void TestAnalysisEnvelope::frequencyOfSine()
{
    Fixture f;
    CDataBranch* g1 = f.branch(sine(100), 0.01);
    CDataBranch* r = f.functions.QuickFunctions(CFunctions::IdFrequency, g1->m_Key, false, 0, -1,
                                                -1, false, -1, 5, 1, 0, QStringLiteral("Freq"),
                                                QStringLiteral("Hz"));
    QVERIFY(r);
    QCOMPARE(f.xs(r), (QVector<double>{25, 45, 65, 85}));
    for (double v : f.ys(r))
        QCOMPARE(v, 5.0); // 1 / (20 x 0.01 s)
}

void TestAnalysisEnvelope::minimumDistanceHalvesFrequency()
{
    Fixture f;
    CDataBranch* g1 = f.branch(sine(100), 0.01);
    CDataBranch* r = f.functions.FunctionFrequency(g1, 30, 0, -1, QString(), QString());
    QVERIFY(r);
    QCOMPARE(f.xs(r), (QVector<double>{45, 85}));
    QCOMPARE(f.ys(r), (QVector<double>{2.5, 2.5}));
}

void TestAnalysisEnvelope::distanceCountsFromMinusThousand()
{
    Fixture f;
    CDataBranch* g1 = f.branch(sine(100), 0.01);
    const int before = f.branchCount();
    QVERIFY(!f.functions.FunctionEnvelope(g1, 2000, 0, -1, true, QString()));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Too few samples."));
    QVERIFY(!f.functions.FunctionFrequency(g1, 2000, 0, -1, QString(), QString()));
    QCOMPARE(f.branchCount(), before);
}

void TestAnalysisEnvelope::distanceUsesBranchIndices()
{
    Fixture f;
    CDataBranch* g1 = f.branch(sine(3600), 0.01);
    // The first extreme must lie beyond branch index -1000 + A = 100: 1205 qualifies although
    // it is only the sixth sample of the range; then every 1100 samples and a bit.
    CDataBranch* r = f.functions.FunctionEnvelope(g1, 1100, 1200, 3500, true, QString());
    QVERIFY(r);
    QCOMPARE(f.xs(r).first(), 1205.0);
    QCOMPARE(f.xs(r).last(), 3445.0);
    CDataBranch* freq = f.functions.FunctionFrequency(g1, 1100, 1200, 3500, QString(), QString());
    QVERIFY(freq);
    QCOMPARE(f.xs(freq), (QVector<double>{2325, 3445}));
}

void TestAnalysisEnvelope::bumpAfterPeak()
{
    Fixture f;
    CDataBranch* g1 = f.branch(bumpy(), 0.1);
    // The neighbour test rejects the bumps.
    CDataBranch* freq = f.functions.FunctionFrequency(g1, 1, 0, -1, QString(), QString());
    QVERIFY(freq);
    QCOMPARE(f.xs(freq), (QVector<double>{13, 22, 31}));
    for (double v : f.ys(freq))
        QCOMPARE(v, 1.0 / 0.9);
    // The envelope takes the maxima the frequency takes: the bump is no extreme, so the line
    // from peak to peak passes over it, whatever the minimum distance.
    CDataBranch* close = f.functions.FunctionEnvelope(g1, 1, 0, -1, true, QString());
    QVERIFY(close);
    QCOMPARE(f.xs(close).at(2), 6.0);
    QCOMPARE(f.ys(close).at(2), 10.0);
    CDataBranch* apart = f.functions.FunctionEnvelope(g1, 2, 0, -1, true, QString());
    QVERIFY(apart);
    QCOMPARE(f.xs(apart).at(2), 6.0);
    QCOMPARE(f.ys(apart).at(2), 10.0);
    QCOMPARE(f.xs(apart).last(), 31.0);
}

void TestAnalysisEnvelope::envelopeLinesBetweenExtremes()
{
    Fixture f;
    // Maxima 4 (at index 2) and 8 (at index 6): a line of slope 1 built from the first.
    CDataBranch* g1 = f.branch({0, 1, 4, 0, 0, 1, 8, 0, 0, 0, 0, 0, 0, 0});
    CDataBranch* r = f.functions.FunctionEnvelope(g1, 1, 0, -1, true, QString());
    QVERIFY(r);
    QCOMPARE(f.xs(r), (QVector<double>{2, 3, 4, 5, 6}));
    QCOMPARE(f.ys(r), (QVector<double>{4, 5, 6, 7, 8}));
}

void TestAnalysisEnvelope::flatTopTakesLastSample()
{
    Fixture f;
    CDataBranch* g1 = f.branch({0, 1, 3, 3, 1, 0, 1, 3, 3, 1, 0, -1, -2, -3, -4});
    CDataBranch* r = f.functions.FunctionEnvelope(g1, 1, 0, -1, true, QString());
    QVERIFY(r);
    QCOMPARE(f.xs(r).first(), 3.0);
    QCOMPARE(f.xs(r).last(), 8.0);
}

void TestAnalysisEnvelope::monotonicRise()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 3, 4, 5, 6, 7, 8});
    QVERIFY(!f.functions.FunctionEnvelope(g1, 1, 0, -1, true, QString()));
    QVERIFY(!f.functions.FunctionEnvelope(g1, 1, 0, -1, false, QString()));
    QVERIFY(!f.functions.FunctionFrequency(g1, 1, 0, -1, QString(), QString()));
    QCOMPARE(f.sink.messages.size(), 3);
    QCOMPARE(f.sink.lastText(), QStringLiteral("Too few samples."));
}

void TestAnalysisEnvelope::notANumberDoesNotStopTheScan()
{
    Fixture f;
    QVector<double> y = sine(100);
    y[50] = qQNaN();
    y[51] = qQNaN();
    CDataBranch* g1 = f.branch(y, 0.01);
    CDataBranch* freq = f.functions.FunctionFrequency(g1, 5, 0, -1, QString(), QString());
    QVERIFY(freq);
    // The maxima beyond the gap are still found.
    QCOMPARE(f.xs(freq).last(), 85.0);
    QVERIFY(f.functions.FunctionEnvelope(g1, 5, 0, -1, false, QString()));
    CDataBranch* allNaN = f.branch(QVector<double>(50, qQNaN()));
    QVERIFY(!f.functions.FunctionEnvelope(allNaN, 1, 0, -1, true, QString()));
}

void TestAnalysisEnvelope::frequencyWithoutInterval()
{
    Fixture f;
    CDataBranch* g1 = f.branch(sine(100), 0.0);
    QVERIFY(!f.functions.FunctionFrequency(g1, 5, 0, -1, QString(), QString()));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Too few samples."));
}

void TestAnalysisEnvelope::units()
{
    Fixture f;
    CDataBranch* g1 = f.branch(sine(100), 0.01, QStringLiteral("U"), QStringLiteral("mV"), 2);
    CDataBranch* freq = f.functions.FunctionFrequency(g1, 5, 0, -1, QStringLiteral("F"),
                                                      QStringLiteral("Hz"));
    QCOMPARE(freq->m_Unit, QStringLiteral("Hz"));
    QCOMPARE(freq->m_UnitPrefix, short(2));
    QCOMPARE(freq->m_Name, QStringLiteral("F"));
    CDataBranch* env = f.functions.FunctionEnvelope(g1, 5, 0, -1, true, QStringLiteral("E"));
    QCOMPARE(env->m_Unit, QStringLiteral("mV"));
    QCOMPARE(env->m_SensorIndex, 20480);
    QCOMPARE(env->m_FunctionText, QStringLiteral("E"));
}

void TestAnalysisEnvelope::envelopeBendsAtSamplesOutsideTheLine()
{
    // Maxima 8 at 2 and 4 at 7: sample 3 (7.9) stands above the line between them (7.2 there),
    // so the upper envelope bends at it rather than cut through it; the lower envelope of the
    // mirrored series mirrors it.
    const QVector<double> y = {0, 1, 8, 7.9, 0, 0, 1, 4, 0, 0, 0, 0, 0, 0};
    const QVector<double> expected = {8, 7.9, 6.925, 5.95, 4.975, 4};
    for (double sign : {1.0, -1.0}) {
        Fixture f;
        QVector<double> mirrored;
        for (double v : y)
            mirrored << sign * v;
        CDataBranch* r = f.functions.FunctionEnvelope(f.branch(mirrored), 1, 0, -1, sign > 0, QString());
        QVERIFY(r);
        QCOMPARE(f.xs(r), (QVector<double>{2, 3, 4, 5, 6, 7}));
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(f.ys(r).at(i), sign * expected.at(i));
    }
}

KORVANTA_TEST_GUILESS_MAIN(TestAnalysisEnvelope)
#include "tst_analysis_envelope.moc"

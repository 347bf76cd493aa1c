// Linear, power and exponential curve fits: fitted values, equation and quality texts, the
// failures and their messages; equations in the X the graph shows (seconds, or an X series).
#include "support/AnalysisFixture.h"

#include "Core/Data/Globals.h"
#include "analysis/XSeries.h"
#include "Core/Data/SensorInfo.h"

#include "common/FitEquationReader.h"
#include "common/TestMain.h"
#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <numeric>

using AnalysisTest::Fixture;

class TestAnalysisFits : public QObject
{
    Q_OBJECT

private slots:
    void linearExactLine();
    void linearSlopeOnly();
    void linearWithoutSpreadInTime();
    void linearAllZero();
    void powerOverLaterSamples();
    void powerLeavesSampleZeroOut();
    void powerQualityPairsTheRightSamples();
    void powerRejectsZero();
    void powerInDisplayedUnit();
    void exponentialExact();
    void exponentialSkipsLeadingAndTrailingZeros();
    void exponentialGap();
    void exponentialNoPositive();
    void exponentialOverManySamples_data();
    void exponentialOverManySamples();
    void everyFitNeedsTwoSamples();
    void linearAgainstAnXThatRepeatsAndFallsBack();
    void equationGivesTheFittedSeries_data();
    void equationGivesTheFittedSeries();
    void samplesWithoutAnXTakeNoPart();
    void printedEquationGivesTheFittedSeries_data();
    void printedEquationGivesTheFittedSeries();
    void fitAgainstAnXNamesIt();
};

namespace {

// An X that repeats and falls back, as a hand-moved piston or a warming that stalls gives it.
const QVector<double> s_BackAndForth{1.0, 1.5, 2.0, 2.0, 1.5, 2.5, 3.0, 3.0, 2.5, 3.5,
                                     4.0, 4.5, 4.0, 5.0, 5.5, 6.0, 5.5, 6.5, 7.0, 7.5};

CDataBranch* Fit(Fixture& f, int id, CDataBranch* g1, long start, long end, int xKey)
{
    return f.functions.QuickFunctions(short(id), g1->m_Key, false, int(start), int(end), xKey, false, -1, 1, 1, 0,
                                      QString(), QString());
}

} // namespace

void TestAnalysisFits::linearExactLine()
{
    Fixture f;
    // y = 3t + 1 with t = X x 0.5.
    CDataBranch* g1 = f.branch({1, 2.5, 4, 5.5, 7}, 0.5, QStringLiteral("Pos"), QStringLiteral("m"),
                               2);
    CDataBranch* fit = f.functions.QuickFunctions(CFunctions::IdLinearRegression, g1->m_Key, false,
                                                  0, -1, -1, false, -1, 1, 1, 0, QString(),
                                                  QString());
    QVERIFY(fit);
    QCOMPARE(fit->m_Name, QStringLiteral("Linear(Pos)"));
    QCOMPARE(fit->m_FunctionText, QStringLiteral("f(x) = 3X+1 ,  RI = 1"));
    QCOMPARE(f.xs(fit), (QVector<double>{0, 1, 2, 3, 4}));
    const QVector<double> fitted = f.ys(fit);
    const QVector<double> source = f.ys(g1);
    for (int i = 0; i < source.size(); ++i)
        QCOMPARE(fitted.at(i), source.at(i));
    QCOMPARE(fit->m_SensorIndex, 20481);
    QCOMPARE(fit->m_ParentKey, g1->m_Key);
    QCOMPARE(g1->m_DerivedKeys.Snapshot(), QVector<int>{fit->m_Key});
    QCOMPARE(fit->m_Unit, QStringLiteral("m"));
    QCOMPARE(fit->m_UnitPrefix, short(2));
    QCOMPARE(fit->m_Interval, 0.5);
}

void TestAnalysisFits::linearSlopeOnly()
{
    Fixture f;
    CDataBranch* g1 = f.branch({0, 2.5, 5, 7.5}, 0.5); // y = 5t
    CDataBranch* fit = f.functions.FunctionLinearRegression(g1, 0, -1);
    QCOMPARE(fit->m_FunctionText, QStringLiteral("f(x) = 5X ,  RI = 1"));
    // Negative slope with an intercept: the intercept keeps its sign.
    CDataBranch* falling = f.functions.FunctionLinearRegression(f.branch({4, 3, 2}, 1.0), 0, -1);
    QCOMPARE(falling->m_FunctionText, QStringLiteral("f(x) = -1X+4 ,  RI = 1"));
}

void TestAnalysisFits::linearWithoutSpreadInTime()
{
    Fixture f;
    // All samples at one X: no slope, the intercept is the average of Y.
    CDataBranch* g1 = f.branch({1, 2, 6}, 1.0, QStringLiteral("G1"), QStringLiteral("m"), 0,
                               {5, 5, 5});
    CDataBranch* fit = f.functions.FunctionLinearRegression(g1, 0, -1);
    QCOMPARE(f.ys(fit), (QVector<double>{3, 3, 3}));
    QVERIFY(fit->m_FunctionText.startsWith(QStringLiteral("f(x) = 3 ,  RI = ")));
    // Seconds per sample 0 has the same effect.
    CDataBranch* still = f.branch({1, 2, 6}, 0.0);
    QCOMPARE(f.ys(f.functions.FunctionLinearRegression(still, 0, -1)),
             (QVector<double>{3, 3, 3}));
}

void TestAnalysisFits::linearAllZero()
{
    Fixture f;
    CDataBranch* fit = f.functions.FunctionLinearRegression(f.branch({0, 0, 0}), 0, -1);
    QVERIFY(fit->m_FunctionText.startsWith(QStringLiteral("f(x) = 0,  ,  RI = ")));
}

void TestAnalysisFits::powerOverLaterSamples()
{
    Fixture f;
    QVector<double> y;
    for (int n = 0; n <= 12; ++n)
        y.append(3.0 * n * n);
    CDataBranch* g1 = f.branch(y, 0.1, QStringLiteral("Dist"), QStringLiteral("m"), 0, {}, 6,
                               20480);
    CDataBranch* fit = f.functions.QuickFunctions(CFunctions::IdPowerRegression, g1->m_Key, false,
                                                  1, 10, -1, false, -1, 1, 1, 0, QString(),
                                                  QString());
    QVERIFY(fit);
    // 3 n^2 at 0.1 s per sample is 300 t^2: the equation is in seconds, as the other fits'.
    QCOMPARE(fit->m_FunctionText, QStringLiteral("f(x) = 300X^(2) ,  RI = 1"));
    QCOMPARE(fit->m_Name, QStringLiteral("Power-Curve(Dist)"));
    QCOMPARE(f.xs(fit).size(), 10);
    QCOMPARE(f.xs(fit).first(), 1.0);
    QCOMPARE(f.ys(fit).last(), 300.0);
    QCOMPARE(fit->m_SensorIndex, 20481);
}

void TestAnalysisFits::powerLeavesSampleZeroOut()
{
    Fixture f;
    QVector<double> y;
    for (int n = 0; n <= 10; ++n)
        y.append(2.0 * std::pow(n, 1.5));
    CDataBranch* g1 = f.branch(y);
    CDataBranch* fit = f.functions.FunctionPowerRegression(g1, 0, -1);
    QVERIFY(fit);
    QVERIFY(f.sink.messages.isEmpty());
    QCOMPARE(f.xs(fit).first(), 1.0);
    QCOMPARE(f.xs(fit).size(), 10);
    QCOMPARE(fit->m_FunctionText, QStringLiteral("f(x) = 2X^(1.5) ,  RI = 1"));
}

void TestAnalysisFits::powerQualityPairsTheRightSamples()
{
    Fixture f;
    // Not an exact power law: RI below 1, computed from each fitted value and its own sample.
    const QVector<double> y{0, 1, 5, 8, 17, 24};
    CDataBranch* g1 = f.branch(y);
    CDataBranch* fit = f.functions.FunctionPowerRegression(g1, 0, -1);
    QVERIFY(fit);
    const QVector<double> fitted = f.ys(fit);
    QCOMPARE(fitted.size(), 5);
    double ym = 0, fm = 0;
    for (int i = 0; i < 5; ++i) {
        ym += y.at(i + 1) / 5;
        fm += fitted.at(i) / 5;
    }
    double syf = 0, syy = 0, sff = 0;
    for (int i = 0; i < 5; ++i) {
        syf += (y.at(i + 1) - ym) * (fitted.at(i) - fm);
        syy += (y.at(i + 1) - ym) * (y.at(i + 1) - ym);
        sff += (fitted.at(i) - fm) * (fitted.at(i) - fm);
    }
    const double ri = syf * syf / (syy * sff);
    QVERIFY(ri > 0.5 && ri < 0.9995);
    QVERIFY2(fit->m_FunctionText.endsWith(QStringLiteral("RI = ")
                                          + Double2String(ri, 3, false, false)),
             qPrintable(fit->m_FunctionText));
}

void TestAnalysisFits::powerRejectsZero()
{
    Fixture f;
    CDataBranch* g1 = f.branch({0, 1, 4, 0, 16, 25});
    const int before = f.branchCount();
    QVERIFY(!f.functions.FunctionPowerRegression(g1, 0, -1));
    QCOMPARE(f.sink.lastTitle(), QStringLiteral("Power Curve"));
    QCOMPARE(f.sink.lastText(), QStringLiteral("The data must be greater and not equal to zero"));
    QVERIFY(!f.functions.FunctionPowerRegression(f.branch({0, 1, -4, 9}), 0, -1));
    QCOMPARE(f.sink.messages.size(), 2);
    // A sample that is not a number has no logarithm either.
    QVERIFY(!f.functions.FunctionPowerRegression(f.branch({0, 1, qQNaN(), 9}), 0, -1));
    QCOMPARE(f.sink.messages.size(), 3);
    QCOMPARE(f.sink.lastText(), QStringLiteral("The data must be greater and not equal to zero"));
    QCOMPARE(f.branchCount(), before + 2);
}

void TestAnalysisFits::powerInDisplayedUnit()
{
    Fixture f;
    CSensorInfo catalogue;
    catalogue.LoadSensorInfo();
    f.manager.SetSensorCatalogue(&catalogue);
    int index = -1;
    for (int i = 1; i < CSensorInfo::s_NumOfSensors && index < 0; ++i) {
        const CSensorMeasuremntInfo* m0 = catalogue.GetMeasurementInfo(i, 0);
        if (m0 && m0->m_UnitPrefix == 2)
            index = i;
    }
    QVERIFY2(index > 0, "the catalogue has a sensor measured in milli-units");
    // Stored 0.003 n^2 V is 3 n^2 in the displayed mV: the equation shows a = 3, the fitted
    // values stay in the stored unit. Stored in mV already, the equation shows them as stored.
    QVector<double> y;
    for (int n = 0; n <= 6; ++n)
        y.append(0.003 * n * n);
    CDataBranch* g1 = f.branch(y, 1.0, QStringLiteral("G1"), QStringLiteral("V"), 0, {}, 6,
                               index);
    CDataBranch* fit = f.functions.FunctionPowerRegression(g1, 0, -1);
    QVERIFY(fit);
    QCOMPARE(fit->m_FunctionText, QStringLiteral("f(x) = 3X^(2) ,  RI = 1"));
    QCOMPARE(f.ys(fit).last(), 0.108);
    for (double& v : y)
        v *= 1000.0;
    g1 = f.branch(y, 1.0, QStringLiteral("G1"), QStringLiteral("mV"), 2, {}, 6, index);
    fit = f.functions.FunctionPowerRegression(g1, 0, -1);
    QVERIFY(fit);
    QCOMPARE(fit->m_FunctionText, QStringLiteral("f(x) = 3X^(2) ,  RI = 1"));
    f.manager.SetSensorCatalogue(nullptr);
}

void TestAnalysisFits::exponentialExact()
{
    Fixture f;
    QVector<double> y;
    for (int k = 0; k < 6; ++k)
        y.append(5 * std::exp(0.5 * k * 0.5));
    CDataBranch* g1 = f.branch(y, 0.5, QStringLiteral("Temp"), QStringLiteral("C"), 0);
    CDataBranch* fit = f.functions.QuickFunctions(CFunctions::IdExponentialRegression, g1->m_Key,
                                                  false, 0, -1, -1, false, -1, 1, 1, 0, QString(),
                                                  QString());
    QVERIFY(fit);
    QCOMPARE(fit->m_FunctionText, QStringLiteral("f(x) = 5e^(0.5X) ,  RI = 1"));
    QCOMPARE(fit->m_Name, QStringLiteral("Exponential-Curve(Temp)"));
    QCOMPARE(f.ys(fit).last(), y.last());
    QCOMPARE(fit->m_SensorIndex, 20481);
}

void TestAnalysisFits::exponentialSkipsLeadingAndTrailingZeros()
{
    Fixture f;
    QVector<double> y{0, 0};
    for (int k = 2; k < 7; ++k)
        y.append(5 * std::exp(0.5 * k));
    y.append(0);
    y.append(-1);
    CDataBranch* g1 = f.branch(y);
    CDataBranch* fit = f.functions.FunctionExponentialRegression(g1, 0, -1);
    QVERIFY(fit);
    QVERIFY(f.sink.messages.isEmpty());
    QVERIFY2(fit->m_FunctionText.startsWith(QStringLiteral("f(x) = 5e^(0.5X) ,  RI = ")),
             qPrintable(fit->m_FunctionText));
    // The fitted curve covers every sample of the range, skipped ones included.
    QCOMPARE(f.xs(fit).size(), y.size());
    QCOMPARE(f.ys(fit).first(), 5.0);
}

void TestAnalysisFits::exponentialGap()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 0, 4});
    QVERIFY(!f.functions.FunctionExponentialRegression(g1, 0, -1));
    QCOMPARE(f.sink.lastTitle(), QString());
    QCOMPARE(f.sink.lastText(), QStringLiteral("Exponential curve fit defined between (0 , Inf) "));
}

void TestAnalysisFits::exponentialNoPositive()
{
    Fixture f;
    QVERIFY(!f.functions.FunctionExponentialRegression(f.branch({0, 0, 0}), 0, -1));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Values must be greater than 0"));
    QVERIFY(!f.functions.FunctionExponentialRegression(f.branch({-1, qQNaN(), -3}), 0, -1));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Values must be greater than 0"));
}

// Long ranges against an X series, read a stretch at a time: the samples without an X
// (every 97th), the values not above zero before the first positive one and a gap among the
// positive ones count the same wherever a stretch ends.
void TestAnalysisFits::exponentialOverManySamples_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("leadingZeros");
    QTest::addColumn<int>("gapAt"); // -1: none
    QTest::newRow("255") << 255 << 0 << -1;
    QTest::newRow("256") << 256 << 0 << -1;
    QTest::newRow("257") << 257 << 0 << -1;
    QTest::newRow("700, zeros to past the first stretch") << 700 << 300 << -1;
    QTest::newRow("700, zeros to the first stretch's end") << 700 << 256 << -1;
    QTest::newRow("700, gap at a stretch's start") << 700 << 0 << 512;
    QTest::newRow("700, gap in the last stretch") << 700 << 10 << 690;
}

void TestAnalysisFits::exponentialOverManySamples()
{
    QFETCH(int, count);
    QFETCH(int, leadingZeros);
    QFETCH(int, gapAt);
    Fixture f;
    QVector<double> y(count), x(count);
    for (int i = 0; i < count; ++i) {
        x[i] = i % 97 == 50 ? MissingValue : 0.01 * i;
        y[i] = i < leadingZeros || i == gapAt ? 0.0 : 5 * std::exp(0.5 * 0.01 * i);
    }
    CDataBranch* g1 = f.branch(y, 1.0, QStringLiteral("Temp"));
    CDataBranch* fit = Fit(f, CFunctions::IdExponentialRegression, g1, 0, -1, f.branch(x)->m_Key);
    if (gapAt >= 0) {
        QVERIFY(!fit);
        QCOMPARE(f.sink.lastText(), QStringLiteral("Exponential curve fit defined between (0 , Inf) "));
        return;
    }
    // The quality takes in the zeros too, which the curve does not pass through.
    const QString equation = fit ? fit->m_FunctionText : QString();
    QVERIFY2(leadingZeros ? equation.startsWith(QStringLiteral("f(x) = 5e^(0.5X) ,  RI = 0.9"))
                          : equation == QStringLiteral("f(x) = 5e^(0.5X) ,  RI = 1"),
             qPrintable(equation));
    for (int i = 0; i < count; ++i) {
        if (x[i] == MissingValue)
            QCOMPARE(fit->GetYSample(i), MissingValue);
        else
            QVERIFY2(std::abs(fit->GetYSample(i) / (5 * std::exp(0.5 * x[i])) - 1) < 1e-9, qPrintable(QString::number(i)));
    }
}

void TestAnalysisFits::everyFitNeedsTwoSamples()
{
    Fixture f;
    CDataBranch* g1 = f.branch({1, 2, 3, 4, 5});
    const int before = f.branchCount();
    QVERIFY(!f.functions.FunctionLinearRegression(g1, 3, 3));
    QVERIFY(!f.functions.FunctionPowerRegression(g1, 3, 3));
    QVERIFY(!f.functions.FunctionExponentialRegression(g1, 3, 3));
    QCOMPARE(f.sink.messages.size(), 3);
    for (const auto& message : f.sink.messages) {
        QCOMPARE(message.title, QString());
        QCOMPARE(message.text, QStringLiteral("Too few samples."));
    }
    QCOMPARE(f.branchCount(), before);
}

void TestAnalysisFits::linearAgainstAnXThatRepeatsAndFallsBack()
{
    Fixture f;
    const QVector<double> y{20.1, 19.4, 18.2, 18.9, 19.9, 17.3, 16.8, 16.1, 17.7, 15.2,
                            14.9, 13.1, 14.6, 12.2, 12.8, 10.9, 11.5, 10.2, 8.8, 9.4};
    CDataBranch* g1 = f.branch(y, 0.5, QStringLiteral("Temp"), QStringLiteral("C"));
    CDataBranch* fit = Fit(f, CFunctions::IdLinearRegression, g1, 2, 17, f.branch(s_BackAndForth)->m_Key);
    QVERIFY(fit); // against our own least squares of the values on X over the range:
    const double xm = std::accumulate(&s_BackAndForth[2], &s_BackAndForth[18], 0.0) / 16;
    const double ym = std::accumulate(&y[2], &y[18], 0.0) / 16;
    double sxy = 0, sxx = 0, syy = 0;
    for (int i = 2; i <= 17; ++i) {
        sxy += (s_BackAndForth[i] - xm) * (y[i] - ym);
        sxx += (s_BackAndForth[i] - xm) * (s_BackAndForth[i] - xm);
        syy += (y[i] - ym) * (y[i] - ym);
    }
    const double a = sxy / sxx, b = ym - a * xm;
    // Slope and intercept to four significant digits at least.
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^f\\(x\\) = (\\S+)X(\\S+) ,  RI = (\\S+)$")).match(fit->m_FunctionText);
    QVERIFY2(m.hasMatch(), qPrintable(fit->m_FunctionText));
    QVERIFY(std::abs(m.captured(1).toDouble() / a - 1) < 5e-4 && std::abs(m.captured(2).toDouble() / b - 1) < 5e-4);
    QCOMPARE(m.captured(3), Double2String(sxy * sxy / (sxx * syy), 3, false, false));
    // One fitted value per sample, the line at that sample's X: no loop where X turns back.
    QCOMPARE(f.xs(fit), f.xs(g1).mid(2, 16));
    for (int i = 2; i <= 17; ++i)
        QVERIFY(std::abs(fit->GetYSample(i - 2) - (a * s_BackAndForth[i] + b)) < 1e-9);
}

void TestAnalysisFits::equationGivesTheFittedSeries_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("xy");
    QTest::addColumn<QString>("equation");
    const QStringList curves{"2.5X-4", "+0.5X^2-3X+2", "1.5X^(1.25)", "2e^(0.25X)"};
    const int ids[] = {CFunctions::IdLinearRegression, CFunctions::IdPolynomialRegression,
                       CFunctions::IdPowerRegression, CFunctions::IdExponentialRegression};
    for (int k = 0; k < 4; ++k)
        for (bool xy : {false, true})
            QTest::addRow("%s, %s", qPrintable(curves[k]), xy ? "XY" : "time") << ids[k] << xy << curves[k];
}

void TestAnalysisFits::equationGivesTheFittedSeries()
{
    QFETCH(int, id);
    QFETCH(bool, xy);
    QFETCH(QString, equation);
    Fixture f;
    // Samples 3..16 at 0.25 s, on the curve of the X the graph shows: seconds, which are not
    // sample numbers, or the X series that goes back and forth.
    auto along = [xy](int i) { return xy ? s_BackAndForth[i] : i * 0.25; };
    QVector<double> y(20, 1.0);
    for (int i = 3; i <= 16; ++i)
        y[i] = EvaluateFitEquation("f(x) = " + equation + " ,  RI = 1", along(i));
    CDataBranch* g1 = f.branch(y, 0.25);
    CDataBranch* xAxis = f.branch(s_BackAndForth);
    // The curve-fit dialog's polynomial of order 2 is called directly, the rest by id.
    CDataBranch* fit = id == CFunctions::IdPolynomialRegression
        ? f.functions.FunctionPolynomialRegression(g1, 3, 16, 3, xy ? xAxis : nullptr)
        : Fit(f, id, g1, 3, 16, xy ? xAxis->m_Key : -1);
    QVERIFY(fit);
    QCOMPARE(fit->m_FunctionText, "f(x) = " + equation + " ,  RI = 1");
    // The fit names the X its equation is in, so that graphs draw it against that X alone.
    QCOMPARE(FittedXKey(*fit), xy ? xAxis->m_Key : -1);
    for (int i : {3, 9, 16})
        QVERIFY(std::abs(EvaluateFitEquation(fit->m_FunctionText, along(i)) / fit->GetYSample(i - 3) - 1) < 1e-6);
}

void TestAnalysisFits::samplesWithoutAnXTakeNoPart()
{
    Fixture f;
    // y = 2x + 1 where the X series has a value (a gap at entry 4, its end at 8); elsewhere 100.
    QVector<double> y(10, 100.0);
    for (int i : {0, 1, 2, 3, 5, 6, 7})
        y[i] = 2.0 * i + 1.0;
    CDataBranch* g1 = f.branch(y, 1.0, QStringLiteral("Temp"));
    CDataBranch* x = f.branch({0, 1, 2, 3, MissingValue, 5, 6, 7});
    CDataBranch* fit = Fit(f, CFunctions::IdLinearRegression, g1, 0, -1, x->m_Key);
    QCOMPARE(fit ? fit->m_FunctionText : QString(), QStringLiteral("f(x) = 2X+1 ,  RI = 1"));
    for (int i = 0; i < 10; ++i)
        QCOMPARE(fit->GetYSample(i), y[i] == 100.0 ? MissingValue : y[i]);
    // No two samples of the range with an X.
    QVERIFY(!Fit(f, CFunctions::IdExponentialRegression, g1, 7, 9, x->m_Key));
    QCOMPARE(f.sink.lastText(), QStringLiteral("Too few samples."));
}

void TestAnalysisFits::printedEquationGivesTheFittedSeries_data()
{
    // The X the fits are made against (seconds, or an X series from low to high) and the size
    // of the values.
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("size");
    QTest::newRow("seconds, degrees") << 0.0 << 0.0 << 40.0;
    QTest::newRow("kPa, degrees") << 100.0 << 400.0 << 40.0;
    QTest::newRow("Pa, degrees") << 1.0e5 << 4.0e5 << 40.0;
    QTest::newRow("kPa near the air's, Pa") << 95.0 << 105.0 << 1.0e5;
    QTest::newRow("m, mV") << 0.002 << 0.009 << 0.5;
}

// Random rising data with noise, every kind of fit over it: the equation as printed, read back,
// gives the fitted series over the range it was fitted on.
void TestAnalysisFits::printedEquationGivesTheFittedSeries()
{
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(double, size);
    const bool xy = high > low;
    QRandomGenerator random(quint32(qHash(QString::fromLatin1(QTest::currentDataTag()))));
    for (int round = 0; round < 4; ++round) {
        Fixture f;
        const int n = 20 + int(random.bounded(200));
        const double interval = 0.01 + random.bounded(1.0);
        const double bend = random.bounded(2.0);
        QVector<double> x(n), y(n);
        for (int i = 0; i < n; ++i) {
            x[i] = xy ? low + (high - low) * random.generateDouble() : i * interval;
            const double u = xy ? (x[i] - low) / (high - low) : double(i) / n;
            y[i] = size * (1.0 + u + bend * u * u + 0.1 * random.generateDouble());
        }
        CDataBranch* g1 = f.branch(y, interval);
        CDataBranch* xSeries = xy ? f.branch(x) : nullptr;
        QList<CDataBranch*> fits;
        for (int id : {CFunctions::IdLinearRegression, CFunctions::IdPowerRegression, CFunctions::IdExponentialRegression})
            fits << Fit(f, id, g1, 0, -1, xy ? xSeries->m_Key : -1);
        for (short count = 3; count <= 7; ++count)
            fits << f.functions.FunctionPolynomialRegression(g1, 0, -1, count, xSeries);
        for (const CDataBranch* fit : fits) {
            QVERIFY2(fit, qPrintable(f.sink.lastText()));
            const QVector<double> fitted = f.ys(fit), at = f.xs(fit);
            const auto ends = std::minmax_element(fitted.begin(), fitted.end());
            const double tolerance = 0.005 * (*ends.second - *ends.first)
                + 0.0005 * std::max(std::abs(*ends.first), std::abs(*ends.second));
            for (int k = 0; k < fitted.size(); ++k) {
                const double along = x[int(at[k])];
                const double printed = EvaluateFitEquation(fit->m_FunctionText, along);
                QVERIFY2(std::abs(printed - fitted[k]) <= tolerance,
                         qPrintable(QStringLiteral("%1 at %2: %3, fitted %4").arg(fit->m_FunctionText).arg(along)
                                        .arg(printed).arg(fitted[k])));
            }
        }
    }
}

void TestAnalysisFits::fitAgainstAnXNamesIt()
{
    Fixture f;
    CDataBranch* g1 = f.branch({20.5, 22.0, 24.1, 25.9, 28.2, 30.0}, 0.5, QStringLiteral("Temperature"));
    CDataBranch* x = f.branch({101, 104, 108, 111, 115, 118}, 1.0, QStringLiteral("Pressure"));
    const QStringList names{"Linear(%1)", "Power-Curve(%1)", "Exponential-Curve(%1)", "Polynomial-Curve(%1)(3)"};
    const int ids[] = {CFunctions::IdLinearRegression, CFunctions::IdPowerRegression, CFunctions::IdExponentialRegression};
    for (int k = 0; k < names.size(); ++k) {
        for (CDataBranch* along : {static_cast<CDataBranch*>(nullptr), x}) {
            const CDataBranch* fit = k < 3 ? Fit(f, ids[k], g1, 1, -1, along ? along->m_Key : -1)
                                           : f.functions.FunctionPolynomialRegression(g1, 1, -1, 3, along);
            QVERIFY(fit);
            QCOMPARE(fit->m_Name, names[k].arg(along ? "Temperature vs Pressure" : "Temperature"));
        }
    }
}

// The catalogue loads its sensor icons, which needs a GUI application (offscreen).
KORVANTA_TEST_MAIN(TestAnalysisFits)
#include "tst_analysis_fits.moc"

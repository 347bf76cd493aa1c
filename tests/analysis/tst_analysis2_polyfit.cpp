// Least-squares routines and the polynomial fit core.
#include "common/TestMain.h"
#include <cmath>

#include "analysis/PolyFit.h"

class TestAnalysis2PolyFit : public QObject
{
    Q_OBJECT
private slots:
    void gaussjSolvesAndInverts()
    {
        // 2x + y = 5, x + 3y = 10 -> x = 1, y = 3; inverse of [[2,1],[1,3]] is [[3,-1],[-1,2]]/5.
        double** a = matrix(1, 2, 1, 2);
        double** b = matrix(1, 2, 1, 1);
        a[1][1] = 2; a[1][2] = 1; a[2][1] = 1; a[2][2] = 3;
        b[1][1] = 5; b[2][1] = 10;
        QVERIFY(gaussj(a, 2, b, 1));
        QVERIFY(std::fabs(b[1][1] - 1.0) < 1e-12);
        QVERIFY(std::fabs(b[2][1] - 3.0) < 1e-12);
        QVERIFY(std::fabs(a[1][1] - 0.6) < 1e-12);
        QVERIFY(std::fabs(a[1][2] + 0.2) < 1e-12);
        QVERIFY(std::fabs(a[2][2] - 0.4) < 1e-12);
        // Needs row swaps: [[0,1],[1,0]].
        a[1][1] = 0; a[1][2] = 1; a[2][1] = 1; a[2][2] = 0;
        b[1][1] = 7; b[2][1] = 9;
        QVERIFY(gaussj(a, 2, b, 1));
        QCOMPARE(b[1][1], 9.0);
        QCOMPARE(b[2][1], 7.0);
        QCOMPARE(a[1][2], 1.0);
        QCOMPARE(a[2][1], 1.0);
        // Singular and all-NaN systems fail instead of producing numbers.
        a[1][1] = 1; a[1][2] = 2; a[2][1] = 2; a[2][2] = 4;
        QVERIFY(!gaussj(a, 2, b, 1));
        a[1][1] = a[1][2] = a[2][1] = a[2][2] = std::nan("");
        QVERIFY(!gaussj(a, 2, b, 1));
        free_matrix(a, 1, 2, 1, 2);
        free_matrix(b, 1, 2, 1, 1);
    }

    void lfitHoldsCoefficientsAndReportsNoParameters()
    {
        double x[5] = {0, 0, 1, 2, 3}, y[5] = {0, 1, 3, 5, 7}, sig[5] = {0, 1, 1, 1, 1};
        double a[3] = {0, 1.0, 0.0};
        int ia[3] = {0, 0, 1}; // hold the constant at 1, fit the slope
        double** covar = matrix(1, 2, 1, 2);
        double chisq = -1;
        QVERIFY(lfit(x, y, sig, 4, a, ia, 2, covar, &chisq, funcs));
        QCOMPARE(a[1], 1.0);
        QVERIFY(std::fabs(a[2] - 2.0) < 1e-12);
        QVERIFY(chisq < 1e-20);
        QCOMPARE(covar[1][1], 0.0); // the held coefficient's row and column are zero
        QCOMPARE(covar[1][2], 0.0);
        QVERIFY(std::fabs(covar[2][2] - 1.0 / 14.0) < 1e-12); // 1 / sum(x^2)
        int none[3] = {0, 0, 0};
        QVERIFY(!lfit(x, y, sig, 4, a, none, 2, covar, &chisq, funcs));
        free_matrix(covar, 1, 2, 1, 2);
    }

    void allocatorsRefuseBadBounds()
    {
        QVERIFY(MyVector(1, 0) == nullptr);
        QVERIFY(iMyVector(-1, 3) == nullptr);
        QVERIFY(matrix(1, 3, 1, -2) == nullptr);
        double* v = MyVector(1, 3);
        QVERIFY(v);
        v[1] = 1; v[3] = 3;
        free_MyVector(v, 1, 3);
        free_matrix(nullptr, 1, 1, 1, 1);
    }

    void binomAndCoefficientShift()
    {
        QCOMPARE(PolyBinom(5, 2), 10);
        QCOMPARE(PolyBinom(4, 0), 1);
        QCOMPARE(PolyBinom(4, 4), 1);
        QCOMPARE(PolyBinom(6, 3), 20);
        QCOMPARE(PolyBinom(3, 5), 0);
        QCOMPARE(PolyBinom(-2, 1), 0);
        // p(u) = 1 + 2u + 3u^2 with u = t - 2: p = 3t^2 - 10t + 9.
        double c[4] = {0, 1, 2, 3};
        PolyFixCoef(c, 2, -2.0);
        QCOMPARE(c[1], 9.0);
        QCOMPARE(c[2], -10.0);
        QCOMPARE(c[3], 3.0);
        PolyFixCoef(c, -1, 5.0); // nothing for a negative order
        QCOMPARE(c[1], 9.0);
    }

    void straightLineFit()
    {
        // y = 3 + 2t, t = X * 0.5, over X = 4..13.
        QVector<double> xs, ys;
        for (int i = 4; i < 14; ++i) {
            xs.append(i);
            ys.append(3.0 + 2.0 * i * 0.5);
        }
        CPolyFitResult r;
        QCOMPARE(PolynomialFit(xs, ys, 0.5, 2, r), PolyFitOk);
        QCOMPARE(r.m_Coefficients.size(), 2);
        QVERIFY(std::fabs(r.m_Coefficients[0] - 3.0) < 1e-9);
        QVERIFY(std::fabs(r.m_Coefficients[1] - 2.0) < 1e-9);
        QVERIFY(std::fabs(r.m_RI - 1.0) < 1e-12);
        for (int k = 0; k < ys.size(); ++k)
            QVERIFY(std::fabs(r.m_Fitted[k] - ys[k]) < 1e-9);
    }

    void parabolaAwayFromTimeZeroAndLongRanges()
    {
        // y = t^2 from t = 5 s: the fit is made against t - 5 and expanded back.
        QVector<double> xs, ys;
        for (int i = 0; i < 50; ++i) {
            xs.append(500 + i);
            const double t = (500 + i) * 0.01;
            ys.append(t * t);
        }
        CPolyFitResult r;
        QCOMPARE(PolynomialFit(xs, ys, 0.01, 3, r), PolyFitOk);
        QVERIFY(std::fabs(r.m_Coefficients[2] - 1.0) < 1e-8);
        QVERIFY(std::fabs(r.m_Coefficients[1]) < 1e-6);
        QVERIFY(std::fabs(r.m_Coefficients[0]) < 1e-5);
        // Hours of data with order 6: single precision would overflow the normal equations.
        xs.clear();
        ys.clear();
        for (int i = 0; i < 200; ++i) {
            xs.append(i * 100.0);
            const double t = i * 100.0; // dt 1 s, up to 19900 s
            ys.append(1.0 + 1e-4 * t);
        }
        QCOMPARE(PolynomialFit(xs, ys, 1.0, 7, r), PolyFitOk);
        for (int k = 0; k < ys.size(); ++k)
            QVERIFY(std::fabs(r.m_Fitted[k] - ys[k]) < 1e-6 * std::fabs(ys[k]));
        QVERIFY(std::fabs(r.m_RI - 1.0) < 1e-9);
    }

    void degenerateInputs()
    {
        CPolyFitResult r;
        QCOMPARE(PolynomialFit({}, {}, 0.1, 2, r), PolyFitInvalid);
        QCOMPARE(PolynomialFit({3}, {5}, 0.1, 2, r), PolyFitInvalid);
        QCOMPARE(PolynomialFit({0, 1, 2}, {1, 2, 4}, 0.1, 4, r), PolyFitInvalid);
        QCOMPARE(PolynomialFit({0, 1, 2}, {1, 2, 4}, std::nan(""), 2, r), PolyFitInvalid);
        // Equal abscissas: no slope to solve for.
        QCOMPARE(PolynomialFit({4, 4, 4}, {1, 2, 3}, 0.1, 2, r), PolyFitInvalid);
        // Constant data: a perfect fit, no 0 / 0 in the determination index.
        QCOMPARE(PolynomialFit({0, 1, 2, 3}, {0.1, 0.1, 0.1, 0.1}, 0.1, 2, r), PolyFitOk);
        QCOMPARE(r.m_RI, 1.0);
        QVERIFY(std::fabs(r.m_Coefficients[0] - 0.1) < 1e-12);
        QVERIFY(std::fabs(r.m_Coefficients[1]) < 1e-9);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestAnalysis2PolyFit)
#include "tst_analysis2_polyfit.moc"

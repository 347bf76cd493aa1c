#pragma once
// Linear least squares by the normal equations, over 1-based vectors and matrices, in double
// precision (time ranges of hours raised to the sixth power overflow single precision). Every
// routine reports failure to its caller; none ends the program. Failure messages go to the
// standard error stream, one line each.
#include <QVector>

// 1-based allocators: MyVector(1, n)[1..n] is valid. Null (after a message) when the bounds are
// unusable or memory runs out. Release with the matching free_ call and the same bounds.
double* MyVector(long lo, long hi);
int* iMyVector(long lo, long hi);
double** matrix(long rlo, long rhi, long clo, long chi);
void free_MyVector(double* v, long lo, long hi);
void free_iMyVector(int* v, long lo, long hi);
void free_matrix(double** m, long rlo, long rhi, long clo, long chi);

// The power basis: p[1] = 1, p[j] = x^(j-1) for j = 2..np.
void funcs(double x, double* p, int np);
typedef void (*BasisFunction)(double, double*, int);

// Solves a x = b (a is n x n, b holds m right-hand sides) by Gauss-Jordan elimination with full
// pivoting; a becomes its inverse and b the solutions. False for a singular matrix.
bool gaussj(double** a, int n, double** b, int m);
// Spreads the mfit x mfit covariance of the fitted coefficients over all ma coefficients.
void covsrt(double** covar, int ma, int* ia, int mfit);
// Fits a[1..ma] (those with ia[j] != 0; the others are held) to (x[i], y[i]) with deviations
// sig[i], i = 1..ndat. Sets covar[1..ma][1..ma] and chisq.
bool lfit(double* x, double* y, double* sig, int ndat, double* a, int* ia, int ma,
          double** covar, double* chisq, BasisFunction basis);

// Binomial coefficient; 0 outside 0 <= k <= n.
int PolyBinom(int n, int k);
// Rewrites coef[1..order+1] of p(u) into the coefficients of p(t + shift) in powers of t.
void PolyFixCoef(double* coef, short order, double shift);

struct CPolyFitResult
{
    QVector<double> m_Fitted;       // the curve at every sample of the range
    QVector<double> m_Coefficients; // power j at index j, in the time t = X * dt itself
    double m_RI = 0.0;              // determination index
};

enum PolyFitStatus { PolyFitOk = 0, PolyFitInvalid = -1, PolyFitTooFew = -2 };

// Fits a polynomial of coefficientCount coefficients to the samples (xs: sample numbers, ys:
// values, equal lengths) against the time measured from the first sample, t = (X - X0) * dt.
PolyFitStatus PolynomialFit(const QVector<double>& xs, const QVector<double>& ys, double dt,
                            int coefficientCount, CPolyFitResult& result);

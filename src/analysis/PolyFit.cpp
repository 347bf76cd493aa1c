#include "analysis/PolyFit.h"

#include <cmath>
#include <cstdio>
#include <new>
#include <utility>

namespace {

void Complain(const char* text)
{
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
}

// Index 0 .. lo-1 stay unused, so a 1-based array needs no pointer before its block.
bool UsableBounds(long lo, long hi)
{
    return lo >= 0 && hi >= lo && hi < (1L << 28);
}

struct GaussWork
{
    int* indxc = nullptr;
    int* indxr = nullptr;
    int* ipiv = nullptr;
    int n = 0;
    ~GaussWork()
    {
        free_iMyVector(indxc, 1, n);
        free_iMyVector(indxr, 1, n);
        free_iMyVector(ipiv, 1, n);
    }
};

// The largest element among the rows and columns not yet pivoted; the last of equal ones wins.
bool FindPivot(double** a, int n, const int* ipiv, int& irow, int& icol)
{
    double big = 0.0;
    irow = icol = 0;
    for (int j = 1; j <= n; ++j) {
        if (ipiv[j] == 1)
            continue;
        for (int k = 1; k <= n; ++k) {
            if (ipiv[k] == 0) {
                if (std::fabs(a[j][k]) >= big) {
                    big = std::fabs(a[j][k]);
                    irow = j;
                    icol = k;
                }
            } else if (ipiv[k] > 1) {
                Complain("gaussj: Singular Matrix-1");
                return false;
            }
        }
    }
    // Nothing comparable found (NaN everywhere): no pivot at all.
    if (irow == 0) {
        Complain("gaussj: Singular Matrix-1");
        return false;
    }
    return true;
}

} // namespace

double* MyVector(long lo, long hi)
{
    double* v = UsableBounds(lo, hi) ? new (std::nothrow) double[hi + 1]() : nullptr;
    if (!v)
        Complain("allocation failure in vector()");
    return v;
}

int* iMyVector(long lo, long hi)
{
    int* v = UsableBounds(lo, hi) ? new (std::nothrow) int[hi + 1]() : nullptr;
    if (!v)
        Complain("allocation failure in ivector()");
    return v;
}

double** matrix(long rlo, long rhi, long clo, long chi)
{
    if (!UsableBounds(rlo, rhi) || !UsableBounds(clo, chi)
        || (rhi + 1) * (chi + 1) >= (1L << 28)) {
        Complain("allocation failure 1 in matrix()");
        return nullptr;
    }
    double** rows = new (std::nothrow) double*[rhi + 1];
    if (!rows) {
        Complain("allocation failure 1 in matrix()");
        return nullptr;
    }
    double* block = new (std::nothrow) double[(rhi + 1) * (chi + 1)]();
    if (!block) {
        Complain("allocation failure 2 in matrix()");
        delete[] rows;
        return nullptr;
    }
    for (long r = 0; r <= rhi; ++r)
        rows[r] = block + r * (chi + 1);
    return rows;
}

void free_MyVector(double* v, long, long) { delete[] v; }
void free_iMyVector(int* v, long, long) { delete[] v; }

void free_matrix(double** m, long, long, long, long)
{
    if (!m)
        return;
    delete[] m[0];
    delete[] m;
}

void funcs(double x, double* p, int np)
{
    p[1] = 1.0;
    if (np >= 2)
        p[2] = x;
    for (int j = 3; j <= np; ++j)
        p[j] = std::pow(x, j - 1);
}

bool gaussj(double** a, int n, double** b, int m)
{
    GaussWork work;
    work.n = n;
    work.indxc = iMyVector(1, n);
    work.indxr = iMyVector(1, n);
    work.ipiv = iMyVector(1, n);
    if (!work.indxc || !work.indxr || !work.ipiv)
        return false;
    for (int i = 1; i <= n; ++i) {
        int irow = 0, icol = 0;
        if (!FindPivot(a, n, work.ipiv, irow, icol))
            return false;
        ++work.ipiv[icol];
        if (irow != icol) {
            for (int l = 1; l <= n; ++l)
                std::swap(a[irow][l], a[icol][l]);
            for (int l = 1; l <= m; ++l)
                std::swap(b[irow][l], b[icol][l]);
        }
        work.indxr[i] = irow;
        work.indxc[i] = icol;
        if (a[icol][icol] == 0.0) {
            Complain("gaussj: Singular Matrix-2");
            return false;
        }
        const double pivinv = 1.0 / a[icol][icol];
        a[icol][icol] = 1.0;
        for (int l = 1; l <= n; ++l)
            a[icol][l] *= pivinv;
        for (int l = 1; l <= m; ++l)
            b[icol][l] *= pivinv;
        for (int ll = 1; ll <= n; ++ll) {
            if (ll == icol)
                continue;
            const double factor = a[ll][icol];
            a[ll][icol] = 0.0;
            for (int l = 1; l <= n; ++l)
                a[ll][l] -= a[icol][l] * factor;
            for (int l = 1; l <= m; ++l)
                b[ll][l] -= b[icol][l] * factor;
        }
    }
    for (int l = n; l >= 1; --l) {
        if (work.indxr[l] == work.indxc[l])
            continue;
        for (int k = 1; k <= n; ++k)
            std::swap(a[k][work.indxr[l]], a[k][work.indxc[l]]);
    }
    return true;
}

void covsrt(double** covar, int ma, int* ia, int mfit)
{
    for (int i = mfit + 1; i <= ma; ++i)
        for (int j = 1; j <= i; ++j)
            covar[i][j] = covar[j][i] = 0.0;
    int k = mfit;
    for (int j = ma; j >= 1; --j) {
        if (ia[j] == 0)
            continue;
        for (int i = 1; i <= ma; ++i)
            std::swap(covar[i][k], covar[i][j]);
        for (int i = 1; i <= ma; ++i)
            std::swap(covar[k][i], covar[j][i]);
        --k;
    }
}

namespace {

// Work arrays of lfit, released on every way out.
struct FitWork
{
    int ma = 0;
    double** beta = nullptr;
    double* basis = nullptr;
    ~FitWork()
    {
        free_matrix(beta, 1, ma, 1, 1);
        free_MyVector(basis, 1, ma);
    }
};

// The normal equations of the fitted coefficients into covar[1..mfit][1..mfit] and beta.
void AccumulateNormalEquations(const double* x, const double* y, const double* sig, int ndat,
                               const double* a, const int* ia, int ma, double** covar,
                               double** beta, double* p, BasisFunction basis)
{
    for (int i = 1; i <= ndat; ++i) {
        basis(x[i], p, ma);
        double ym = y[i];
        for (int j = 1; j <= ma; ++j)
            if (ia[j] == 0)
                ym -= a[j] * p[j];
        const double w = 1.0 / (sig[i] * sig[i]);
        int row = 0;
        for (int l = 1; l <= ma; ++l) {
            if (ia[l] == 0)
                continue;
            const double wt = p[l] * w;
            ++row;
            int col = 0;
            for (int m = 1; m <= l; ++m)
                if (ia[m] != 0)
                    covar[row][++col] += wt * p[m];
            beta[row][1] += ym * wt;
        }
    }
}

} // namespace

bool lfit(double* x, double* y, double* sig, int ndat, double* a, int* ia, int ma,
          double** covar, double* chisq, BasisFunction basis)
{
    int mfit = 0;
    for (int j = 1; j <= ma; ++j)
        if (ia[j] != 0)
            ++mfit;
    if (mfit == 0) {
        Complain("lfit: no parameters to be fitted");
        return false;
    }
    FitWork work;
    work.ma = ma;
    work.beta = matrix(1, ma, 1, 1);
    work.basis = MyVector(1, ma);
    if (!work.beta || !work.basis)
        return false;
    for (int j = 1; j <= mfit; ++j) {
        for (int k = 1; k <= mfit; ++k)
            covar[j][k] = 0.0;
        work.beta[j][1] = 0.0;
    }
    AccumulateNormalEquations(x, y, sig, ndat, a, ia, ma, covar, work.beta, work.basis, basis);
    for (int j = 2; j <= mfit; ++j)
        for (int k = 1; k < j; ++k)
            covar[k][j] = covar[j][k];
    if (!gaussj(covar, mfit, work.beta, 1))
        return false;
    for (int j = 1, l = 1; l <= ma; ++l)
        if (ia[l] != 0)
            a[l] = work.beta[j++][1];
    double sum = 0.0;
    for (int i = 1; i <= ndat; ++i) {
        basis(x[i], work.basis, ma);
        double fit = 0.0;
        for (int j = 1; j <= ma; ++j)
            fit += a[j] * work.basis[j];
        const double r = (y[i] - fit) / sig[i];
        sum += r * r;
    }
    *chisq = sum;
    covsrt(covar, ma, ia, mfit);
    return true;
}

int PolyBinom(int n, int k)
{
    if (n < 0 || k < 0 || k > n)
        return 0;
    // Pascal's triangle row by row: no recursion, exact in int for the orders used here.
    QVector<qint64> row(n + 1, 0);
    row[0] = 1;
    for (int i = 1; i <= n; ++i)
        for (int j = i; j >= 1; --j)
            row[j] += row[j - 1];
    return static_cast<int>(row[k]);
}

void PolyFixCoef(double* coef, short order, double shift)
{
    if (order < 0)
        return;
    QVector<double> result(order + 2, 0.0);
    for (int k = 0; k <= order; ++k) {
        double sum = 0.0;
        for (int j = k; j <= order; ++j)
            sum += PolyBinom(j, k) * coef[j + 1] * std::pow(shift, j - k);
        result[k + 1] = sum;
    }
    for (int k = 1; k <= order + 1; ++k)
        coef[k] = result[k];
}

#include "analysis/PolyFit.h"

#include <algorithm>
#include <cmath>

#include "Core/Data/DataBranch.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SeriesNames.h"
#include "analysis/FitEquation.h"
#include "analysis/Functions.h"
#include "analysis/FunctionsSupport.h"
#include "analysis/XSeries.h"

namespace {

struct CurveWork
{
    int ma = 0, ndat = 0;
    int* ia = nullptr;
    double* a = nullptr;
    double* x = nullptr;
    double* y = nullptr;
    double* sig = nullptr;
    double** covar = nullptr;
    bool Allocate()
    {
        ia = iMyVector(1, ma);
        a = MyVector(1, ma);
        x = MyVector(1, ndat);
        y = MyVector(1, ndat);
        sig = MyVector(1, ndat);
        covar = matrix(1, ma, 1, ma);
        return ia && a && x && y && sig && covar;
    }
    ~CurveWork()
    {
        free_iMyVector(ia, 1, ma);
        free_MyVector(a, 1, ma);
        free_MyVector(x, 1, ndat);
        free_MyVector(y, 1, ndat);
        free_MyVector(sig, 1, ndat);
        free_matrix(covar, 1, ma, 1, ma);
    }
};

// Squared correlation of data and curve. Constant data are explained entirely by the constant
// term (1); otherwise a curve without spread, or a non-finite quotient, explains nothing (0).
double DeterminationIndex(const QVector<double>& ys, const QVector<double>& fitted)
{
    const int n = ys.size();
    const auto range = std::minmax_element(ys.begin(), ys.end());
    if (*range.first == *range.second)
        return 1.0;
    double meanY = 0.0, meanFit = 0.0;
    for (int k = 0; k < n; ++k) {
        meanY += ys[k];
        meanFit += fitted[k];
    }
    meanY /= n;
    meanFit /= n;
    double cov = 0.0, varY = 0.0, varFit = 0.0;
    for (int k = 0; k < n; ++k) {
        const double dy = ys[k] - meanY;
        const double df = fitted[k] - meanFit;
        cov += dy * df;
        varY += dy * dy;
        varFit += df * df;
    }
    const double denominator = varY * varFit;
    if (!(denominator > 0.0))
        return 0.0;
    const double ri = cov * cov / denominator;
    return std::isfinite(ri) ? ri : 0.0;
}

} // namespace

PolyFitStatus PolynomialFit(const QVector<double>& xs, const QVector<double>& ys, double dt,
                            int coefficientCount, CPolyFitResult& result)
{
    const int ndat = std::min(xs.size(), ys.size());
    // An empty range has no sample to measure time from; fewer points than coefficients leave
    // the system underdetermined, whatever rounding makes of its pivots.
    if (ndat < 1 || coefficientCount < 1 || coefficientCount > 20 || ndat < coefficientCount
        || !std::isfinite(dt))
        return PolyFitInvalid;
    CurveWork work;
    work.ma = coefficientCount;
    work.ndat = ndat;
    if (!work.Allocate())
        return PolyFitInvalid;
    const double x0 = xs[0];
    for (int k = 0; k < ndat; ++k) {
        work.x[k + 1] = (xs[k] - x0) * dt;
        work.y[k + 1] = ys[k];
        work.sig[k + 1] = 1.0;
    }
    for (int j = 1; j <= work.ma; ++j)
        work.ia[j] = 1;
    double chisq = 0.0;
    if (!lfit(work.x, work.y, work.sig, ndat, work.a, work.ia, work.ma, work.covar, &chisq, funcs))
        return PolyFitInvalid;
    for (int j = 1; j <= work.ma; ++j)
        if (!std::isfinite(work.a[j]))
            return PolyFitInvalid;
    QVector<double> fitted(ndat);
    for (int k = 0; k < ndat; ++k) {
        const double t = work.x[k + 1];
        double f = 0.0, power = 1.0;
        for (int j = 1; j <= work.ma; ++j, power *= t)
            f += work.a[j] * power;
        fitted[k] = f;
    }
    if (ndat < 2)
        return PolyFitTooFew;
    PolyFixCoef(work.a, static_cast<short>(work.ma - 1), -x0 * dt);
    result.m_Coefficients.resize(work.ma);
    for (int j = 0; j < work.ma; ++j)
        result.m_Coefficients[j] = work.a[j + 1];
    result.m_RI = DeterminationIndex(ys.mid(0, ndat), fitted);
    result.m_Fitted = fitted;
    return PolyFitOk;
}

// ---- CFunctions ------------------------------------------------------------------------

namespace {

void ShowInvalidValues(const CFunctions& engine)
{
    AnalysisSupport::ShowCritical(engine, QString(), CFunctions::tr("Invalid values"));
}

} // namespace

void CFunctions::FixCoef(double* coef, short order, double shift)
{
    if (coef)
        PolyFixCoef(coef, order, shift);
}

int CFunctions::Binom(int n, int k)
{
    return PolyBinom(n, k);
}

CDataBranch* CFunctions::FunctionPolynomialRegression(CDataBranch* branch, long start, long end,
                                                      short coefficientCount,
                                                      const CDataBranch* xSeries)
{
    // No source is no user error: nothing to fit and nothing to say, as for every derivation.
    if (!branch)
        return nullptr;
    ValidateStartEndIndexes(start, end, branch->GetYSize());
    // A single sample (0..0) and an empty branch (0..-1) have nothing to fit.
    if ((start == 0 && end == 0) || end < start) {
        ShowInvalidValues(*this);
        return nullptr;
    }
    QVector<double> xs, ys;
    branch->CopyRange(static_cast<int>(start), static_cast<int>(end - start + 1), xs, ys);
    CPolyFitResult fit;
    PolyFitStatus status = PolyFitInvalid;
    QVector<double> fitted;
    QVector<double> fittedAt; // the X of each value of fit.m_Fitted, as the equation takes it
    if (!xSeries) {
        status = PolynomialFit(xs, ys, branch->m_Interval, coefficientCount, fit);
        fitted = fit.m_Fitted;
        for (double x : xs)
            fittedAt.append(x * branch->m_Interval);
    } else {
        // Against an X-axis series: the polynomial of its values (measured from the first for
        // the solution, as time is), fitted to the samples that stand on one. The others keep
        // their place in the curve with the missing mark.
        const QVector<double> along =
            XSeriesValues(*xSeries, branch->GetXSample(0), start, xs.size());
        QVector<double>& usedX = fittedAt;
        QVector<double> usedY;
        for (int i = 0; i < along.size() && i < ys.size(); ++i) {
            if (IsUsableX(along.at(i))) {
                usedX.append(along.at(i));
                usedY.append(ys.at(i));
            }
        }
        status = usedX.size() < 2 ? PolyFitTooFew
                                  : PolynomialFit(usedX, usedY, 1.0, coefficientCount, fit);
        if (status == PolyFitOk) {
            fitted.resize(along.size());
            for (int i = 0, used = 0; i < along.size(); ++i)
                fitted[i] = IsUsableX(along.at(i)) ? fit.m_Fitted.at(used++) : MissingValue;
        }
    }
    if (status == PolyFitTooFew) {
        AnalysisSupport::ShowTooFewSamples(*this);
        return nullptr;
    }
    if (status != PolyFitOk) {
        ShowInvalidValues(*this);
        return nullptr;
    }
    const QString name = tr("Polynomial-Curve(%1)(%2)")
                             .arg(FitSubject(*branch, xSeries), QString::number(coefficientCount));
    const QString formula =
        FittingEquationText(CFitCurve(CFitCurve::Polynomial, fit.m_Coefficients), fittedAt, fit.m_Fitted);
    const QString description =
        QString("%1 %2 ,  %3 %4")
            .arg(tr("f(x) ="), formula, tr("RI ="),
                 Double2String(fit.m_RI, 3, false, false));
    CDataBranch* made = AddFunctionBranch(branch->m_Key, xs.mid(0, fitted.size()), fitted, name,
                                          description, branch->m_Interval, SeriesNames::UnitOf(*branch),
                                          branch->m_UnitPrefix, CurveFitResultIndex);
    if (made)
        SetFittedX(*made, xSeries);
    return made;
}

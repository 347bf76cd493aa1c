// Least-squares curve fits of a range: a straight line against time, a power curve against the
// sample number and an exponential curve against time. Each writes the fitted values as a new
// branch beside its source, with the equation and the quality index RI as its formula text.
#include "analysis/Functions.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/Globals.h"
#include "analysis/FunctionsSupport.h"

#include <cmath>

using namespace AnalysisSupport;

namespace {

// Square of the correlation coefficient between the source values and the fitted values of
// the same samples.
double qualityIndex(const QVector<double>& y, const QVector<double>& f)
{
    const int n = qMin(y.size(), f.size());
    if (n == 0)
        return std::nan("");
    double ym = 0.0;
    double fm = 0.0;
    for (int i = 0; i < n; ++i) {
        ym += y.at(i);
        fm += f.at(i);
    }
    ym /= n;
    fm /= n;
    double syf = 0.0;
    double syy = 0.0;
    double sff = 0.0;
    for (int i = 0; i < n; ++i) {
        const double dy = y.at(i) - ym;
        const double df = f.at(i) - fm;
        syf += dy * df;
        syy += dy * dy;
        sff += df * df;
    }
    const double r = syf / std::sqrt(syy * sff);
    return r * r;
}

QString formulaText(const QString& equation, double ri)
{
    return QStringLiteral("%1 %2 ,  %3 %4")
        .arg(CFunctions::tr("f(x) ="), equation, CFunctions::tr("RI ="),
             Double2String(ri, 3, false, false));
}

CDataBranch* makeFit(CFunctions* engine, CDataBranch* g1, const QVector<double>& x,
                     const QVector<double>& fitted, const QString& name, const QString& text)
{
    return engine->AddFunctionBranch(g1->m_Key, x, fitted, name, text, g1->m_Interval,
                                     g1->m_Unit, g1->m_UnitPrefix,
                                     CFunctions::CurveFitResultIndex);
}

} // namespace

CDataBranch* CFunctions::FunctionLinearRegression(CDataBranch* g1, long start, long end)
{
    BranchRange range;
    if (!ReadRangeOfTwo(*this, g1, start, end, range))
        return nullptr;
    const int n = range.count();
    const double interval = g1->m_Interval;
    double st = 0.0, sy = 0.0, sty = 0.0, stt = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = range.x.at(i) * interval;
        const double y = range.y.at(i);
        st += t;
        sy += y;
        sty += t * y;
        stt += t * t;
    }
    const double d = n * stt - st * st;
    const double a = d == 0.0 ? 0.0 : (n * sty - st * sy) / d;
    const double b = (sy - a * st) / n;
    QVector<double> fitted(n);
    for (int i = 0; i < n; ++i)
        fitted[i] = a * range.x.at(i) * interval + b;

    QString equation;
    if (a != 0.0 && b != 0.0)
        equation = QStringLiteral("%1X%2").arg(Double2String(a, 2, false, false),
                                               Double2String(b, 2, true, false));
    else if (a != 0.0)
        equation = QStringLiteral("%1X").arg(Double2String(a, 3, false, false));
    else if (b != 0.0)
        equation = Double2String(b, 3, false, false);
    else
        equation = QStringLiteral("0, ");
    const QString name = QStringLiteral("%1(%2)").arg(tr("Linear"), g1->m_Name);
    return makeFit(this, g1, range.x, fitted, name,
                   formulaText(equation, qualityIndex(range.y, fitted)));
}

CDataBranch* CFunctions::FunctionPowerRegression(CDataBranch* g1, long start, long end)
{
    BranchRange range;
    if (!ReadRangeOfTwo(*this, g1, start, end, range))
        return nullptr;
    const double m = DisplayMultiplier(*this, g1);
    QVector<double> usedX;
    QVector<double> usedY; // the source values of the samples that get a fitted value
    double sx = 0.0, sy = 0.0, sxy = 0.0, sxx = 0.0;
    for (int i = 0; i < range.count(); ++i) {
        if (range.start + i == 0)
            continue; // sample 0 has no logarithm of its sample number
        const double x = range.x.at(i);
        const double y = range.y.at(i) * m;
        if (!(x > 0) || !(y > 0)) {
            ShowCritical(*this, tr("Power Curve"), tr("The data must be greater and not equal to zero"));
            return nullptr;
        }
        const double lx = std::log(x);
        const double ly = std::log(y);
        sx += lx;
        sy += ly;
        sxy += lx * ly;
        sxx += lx * lx;
        usedX.append(x);
        usedY.append(range.y.at(i));
    }
    const int n = usedX.size(); // at least 1: at most one sample of the range is sample 0
    const double d = n * sxx - sx * sx;
    const double b = d == 0.0 ? 0.0 : (n * sxy - sx * sy) / d;
    const double a = std::exp((sy - b * sx) / n);
    QVector<double> fitted(n);
    for (int i = 0; i < n; ++i)
        fitted[i] = a * std::pow(usedX.at(i), b) / m;

    QString equation;
    if (a != 0.0 && b != 0.0)
        equation = QStringLiteral("%1X^(%2)").arg(Double2String(a, 2, false, false),
                                                  Double2String(b, 3, false, false));
    else if (a != 0.0)
        equation = Double2String(a, 3, false, false);
    else
        equation = QStringLiteral("0 , ");
    const QString name = tr("Power-Curve(%1)").arg(g1->m_Name);
    return makeFit(this, g1, usedX, fitted, name,
                   formulaText(equation, qualityIndex(usedY, fitted)));
}

CDataBranch* CFunctions::FunctionExponentialRegression(CDataBranch* g1, long start, long end)
{
    BranchRange range;
    if (!ReadRangeOfTwo(*this, g1, start, end, range))
        return nullptr;
    const int count = range.count();
    const double interval = g1->m_Interval;
    enum { BeforePositive, InsidePositive, AfterPositive } state = BeforePositive;
    int n = 0;
    double st = 0.0, sy = 0.0, stt = 0.0, sty = 0.0;
    for (int i = 0; i < count; ++i) {
        const double y = range.y.at(i);
        const bool positive = y > 0; // a value that is not a number counts as not positive
        if (!positive) {
            if (state == InsidePositive)
                state = AfterPositive;
            continue;
        }
        if (state == AfterPositive) {
            ShowCritical(*this, QString(), tr("Exponential curve fit defined between (0 , Inf) "));
            return nullptr;
        }
        state = InsidePositive;
        const double ly = std::log(y);
        const double t = range.x.at(i) * interval;
        sy += ly;
        if (t > 0) {
            st += t;
            stt += t * t;
            sty += t * ly;
        }
        ++n;
    }
    if (n == 0) {
        ShowCritical(*this, QString(), tr("Values must be greater than 0"));
        return nullptr;
    }
    const double d = n * stt - st * st;
    const double b = d == 0.0 ? 0.0 : (n * sty - sy * st) / d;
    const double a = std::pow(2.718281828459045, (sy - st * b) / n);
    QVector<double> fitted(count);
    for (int i = 0; i < count; ++i)
        fitted[i] = a * std::exp(b * range.x.at(i) * interval);

    const QString equation =
        b != 0.0 ? QStringLiteral("%1e^(%2X)").arg(Double2String(a, 3, false, false),
                                                    Double2String(b, 3, false, false))
                 : Double2String(a, 3, false, false);
    const QString name = QStringLiteral("%1(%2)").arg(tr("Exponential-Curve"), g1->m_Name);
    return makeFit(this, g1, range.x, fitted, name,
                   formulaText(equation, qualityIndex(range.y, fitted)));
}

// Simple point-wise functions of the Y values: absolute value, arccosine, arcsine, difference
// from the first value of the range, kinetic energy.
#include "analysis/Functions.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/SeriesNames.h"
#include "analysis/FunctionsSupport.h"

#include <cmath>

using namespace AnalysisSupport;

namespace {

// Makes the result branch of these functions: G1's unit and prefix whatever the function.
CDataBranch* makeResult(CFunctions* engine, CDataBranch* g1, const QVector<double>& x,
                        const QVector<double>& y, const QString& name)
{
    return engine->AddFunctionBranch(g1->m_Key, x, y, name, name, g1->m_Interval, SeriesNames::UnitOf(*g1),
                                     g1->m_UnitPrefix, CFunctions::FunctionResultIndex);
}

// Y of every sample mapped by f; fails with "Too few samples." below two points.
template <typename F>
CDataBranch* mapRange(CFunctions* engine, CDataBranch* g1, long start, long end,
                      const QString& name, F f)
{
    BranchRange range;
    if (!ReadRangeOfTwo(*engine, g1, start, end, range))
        return nullptr;
    QVector<double> y(range.count());
    for (int i = 0; i < range.count(); ++i)
        y[i] = f(range.y.at(i));
    return makeResult(engine, g1, range.x, y, name);
}

// The inverse cosine or sine of B·y, times A. A B·y outside -1..1 fails the whole call; a
// branch is made with whatever points the range gave (none included).
CDataBranch* inverseTrig(CFunctions* engine, CDataBranch* g1, double A, double B, long start,
                         long end, const QString& name, double (*f)(double),
                         const QString& failure)
{
    if (!g1)
        return nullptr;
    BranchRange range;
    ReadRange(g1, start, end, range);
    QVector<double> y(range.count());
    for (int i = 0; i < range.count(); ++i) {
        const double u = B * range.y.at(i);
        if (u > 1.0 || u < -1.0) {
            ShowCritical(*engine, QString(), failure);
            return nullptr;
        }
        y[i] = A * f(u);
    }
    return makeResult(engine, g1, range.x, y, name);
}

} // namespace

CDataBranch* CFunctions::FunctionAbsoluteValue(CDataBranch* g1, double A, double B, long start,
                                               long end, QString name)
{
    return mapRange(this, g1, start, end, name,
                    [A, B](double y) { return A * std::fabs(B * y); });
}

CDataBranch* CFunctions::FunctionArcCos(CDataBranch* g1, double A, double B, long start,
                                        long end, QString name)
{
    return inverseTrig(this, g1, A, B, start, end, name, [](double u) { return std::acos(u); },
                       tr("ArcCos defined between [-1 , 1]"));
}

CDataBranch* CFunctions::FunctionArcSin(CDataBranch* g1, double A, double B, long start,
                                        long end, QString name)
{
    return inverseTrig(this, g1, A, B, start, end, name, [](double u) { return std::asin(u); },
                       tr("ArcSin defined between [-1 , 1]"));
}

CDataBranch* CFunctions::FunctionDeltaY(CDataBranch* g1, long start, long end, QString name)
{
    BranchRange range;
    // The first value is taken only once the range is known to hold samples.
    if (!ReadRangeOfTwo(*this, g1, start, end, range))
        return nullptr;
    const double y0 = range.y.at(0);
    QVector<double> y(range.count());
    for (int i = 0; i < range.count(); ++i)
        y[i] = range.y.at(i) - y0;
    return makeResult(this, g1, range.x, y, name);
}

CDataBranch* CFunctions::FunctionKineticEnergy(CDataBranch* g1, double A, long start, long end,
                                               QString name)
{
    const double halfMass = A * 0.5;
    return mapRange(this, g1, start, end, name,
                    [halfMass](double y) { return y * halfMass * y; });
}

// Point-wise transforms with the coefficients A, B and C: one formula applied to every sample
// (or to the time of every sample), with the domain rules of the logarithms, the reciprocal,
// the square root and the tangent.
#include "analysis/Functions.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SeriesNames.h"
#include "analysis/FunctionsSupport.h"

#include <cmath>

using namespace AnalysisSupport;

namespace {

// How points outside a function's domain are treated.
enum class GapRule {
    None,      // the function has no domain limit
    SingleRun, // leading and trailing outside points are dropped; one between kept points fails
    SecondGap  // the first run of outside points after a kept point is dropped too
};

struct Coefficients
{
    double a;
    double b;
    double c;
};

struct Transform
{
    GapRule rule;
    bool (*outside)(double v, const Coefficients& k); // null when rule is None
    double (*value)(double v, const Coefficients& k);
    const char* gapText;
    const char* tooFewText;
};

const char* const s_TooFew = QT_TRANSLATE_NOOP("CFunctions", "Too few samples.");
const char* const s_InvalidValues = QT_TRANSLATE_NOOP("CFunctions", "Invalid values.");
const char* const s_OutOfRange = QT_TRANSLATE_NOOP("CFunctions", "Out of range.");
const char* const s_InvalidValuesTan = QT_TRANSLATE_NOOP("CFunctions", "Invalid values");

bool logOutside(double v, const Coefficients& k)
{
    const double u = k.b * v;
    return !(u > 0); // u <= 0, or not a number
}

const Transform s_Cos = {GapRule::None, nullptr,
    [](double v, const Coefficients& k) { return k.a * std::cos(k.b * v + k.c); }, nullptr, s_TooFew};
const Transform s_Exp = {GapRule::None, nullptr,
    [](double v, const Coefficients& k) { return k.a * std::exp(k.b * v) + k.c; }, nullptr, s_TooFew};
const Transform s_Linear = {GapRule::None, nullptr,
    [](double v, const Coefficients& k) { return k.a * v + k.b; }, nullptr, s_TooFew};
const Transform s_Ln = {GapRule::SecondGap, logOutside,
    [](double v, const Coefficients& k) { return k.a * std::log(k.b * v); }, s_InvalidValues, s_TooFew};
const Transform s_Log10 = {GapRule::SingleRun, logOutside,
    [](double v, const Coefficients& k) { return k.a * std::log10(k.b * v); }, s_InvalidValues,
    s_InvalidValues};
const Transform s_Quadratic = {GapRule::None, nullptr,
    [](double v, const Coefficients& k) { return (k.b * v + (k.a * v) * v) + k.c; }, nullptr, s_TooFew};
const Transform s_Reciprocal = {GapRule::SingleRun,
    [](double v, const Coefficients& k) { return v + k.b == 0.0; },
    [](double v, const Coefficients& k) { return k.a / (v + k.b) + k.c; }, s_InvalidValues, s_TooFew};
const Transform s_Sin = {GapRule::None, nullptr,
    [](double v, const Coefficients& k) { return k.a * std::sin(k.b * v + k.c); }, nullptr, s_TooFew};
const Transform s_SquareX = {GapRule::None, nullptr,
    [](double v, const Coefficients& k) { return ((k.b * v) * k.a) * (k.b * v); }, nullptr, s_TooFew};
const Transform s_SquareRoot = {GapRule::SingleRun,
    [](double v, const Coefficients& k) { return !(k.b * v + k.c >= 0); },
    [](double v, const Coefficients& k) { return k.a * std::sqrt(k.b * v + k.c); }, s_OutOfRange,
    s_TooFew};
const Transform s_Tan = {GapRule::SingleRun,
    [](double v, const Coefficients& k) { return std::sin(k.b * v + k.c) == 1.0; },
    [](double v, const Coefficients& k) { return k.a * std::tan(k.b * v + k.c); }, s_InvalidValuesTan,
    s_TooFew};

const Transform* transformOf(int id)
{
    switch (id) {
    case CFunctions::IdCos: return &s_Cos;
    case CFunctions::IdExp: return &s_Exp;
    case CFunctions::IdLinear: return &s_Linear;
    case CFunctions::IdLn: return &s_Ln;
    case CFunctions::IdLog10: return &s_Log10;
    case CFunctions::IdQuadratic: return &s_Quadratic;
    case CFunctions::IdReciprocal: return &s_Reciprocal;
    case CFunctions::IdSin: return &s_Sin;
    case CFunctions::IdSquareX: return &s_SquareX;
    case CFunctions::IdSquareRoot: return &s_SquareRoot;
    case CFunctions::IdTan: return &s_Tan;
    default: return nullptr;
    }
}

// The walk shared by the eleven transforms.
CDataBranch* applyTransform(CFunctions* engine, const Transform& t, CDataBranch* g1,
                            bool asTime, const Coefficients& k, long start, long end,
                            const QString& name)
{
    if (!g1)
        return nullptr;
    BranchRange range;
    ReadRange(g1, start, end, range);
    const double interval = g1->m_Interval;

    QVector<double> outX;
    QVector<double> outY;
    outX.reserve(range.count());
    outY.reserve(range.count());
    int gapMark = 0; // 0: no gap open; else the number of points kept when it opened
    for (int i = 0; i < range.count(); ++i) {
        const double v = asTime ? range.x.at(i) * interval : range.y.at(i);
        if (t.rule != GapRule::None && t.outside(v, k)) {
            if (gapMark == 0)
                gapMark = outX.size();
            else if (t.rule == GapRule::SecondGap && outX.size() != gapMark) {
                ShowCritical(*engine, QString(), CFunctions::tr(t.gapText));
                return nullptr;
            }
            continue;
        }
        if (t.rule == GapRule::SingleRun && gapMark != 0) {
            ShowCritical(*engine, QString(), CFunctions::tr(t.gapText));
            return nullptr;
        }
        outX.append(range.x.at(i));
        outY.append(t.value(v, k));
    }
    if (outX.size() < 2) {
        ShowCritical(*engine, QString(), CFunctions::tr(t.tooFewText));
        return nullptr;
    }
    return engine->AddFunctionBranch(g1->m_Key, outX, outY, name, name, interval, SeriesNames::UnitOf(*g1),
                                     asTime ? short(0) : g1->m_UnitPrefix,
                                     CFunctions::FunctionResultIndex);
}

} // namespace

bool AnalysisSupport::TransformPoint(int id, double v, double a, double b, double c, double& out)
{
    const Transform* t = transformOf(id);
    const Coefficients k{a, b, c};
    if (!t || (t->rule != GapRule::None && t->outside(v, k)))
        return false;
    out = t->value(v, k);
    return true;
}

CDataBranch* CFunctions::FunctionCos(CDataBranch* g1, bool g1AsTime, double A, double B,
                                     double C, long start, long end, QString name)
{
    return applyTransform(this, s_Cos, g1, g1AsTime, {A, B, C}, start, end, name);
}

CDataBranch* CFunctions::FunctionExp(CDataBranch* g1, bool g1AsTime, double A, double B,
                                     double C, long start, long end, QString name)
{
    return applyTransform(this, s_Exp, g1, g1AsTime, {A, B, C}, start, end, name);
}

CDataBranch* CFunctions::FunctionLinear(CDataBranch* g1, bool g1AsTime, double A, double B,
                                        long start, long end, QString name)
{
    return applyTransform(this, s_Linear, g1, g1AsTime, {A, B, 0.0}, start, end, name);
}

CDataBranch* CFunctions::FunctionLn(CDataBranch* g1, bool g1AsTime, double A, double B,
                                    long start, long end, QString name)
{
    return applyTransform(this, s_Ln, g1, g1AsTime, {A, B, 0.0}, start, end, name);
}

CDataBranch* CFunctions::FunctionLog10(CDataBranch* g1, bool g1AsTime, double A, double B,
                                       long start, long end, QString name)
{
    return applyTransform(this, s_Log10, g1, g1AsTime, {A, B, 0.0}, start, end, name);
}

CDataBranch* CFunctions::FunctionQuadratic(CDataBranch* g1, bool g1AsTime, double A, double B,
                                           double C, long start, long end, QString name)
{
    return applyTransform(this, s_Quadratic, g1, g1AsTime, {A, B, C}, start, end, name);
}

CDataBranch* CFunctions::Function1DevideByX(CDataBranch* g1, bool g1AsTime, double A, double B,
                                            double C, long start, long end, QString name)
{
    return applyTransform(this, s_Reciprocal, g1, g1AsTime, {A, B, C}, start, end, name);
}

CDataBranch* CFunctions::FunctionSin(CDataBranch* g1, bool g1AsTime, double A, double B,
                                     double C, long start, long end, QString name)
{
    return applyTransform(this, s_Sin, g1, g1AsTime, {A, B, C}, start, end, name);
}

CDataBranch* CFunctions::FunctionSquareX(CDataBranch* g1, bool g1AsTime, double A, double B,
                                         long start, long end, QString name)
{
    return applyTransform(this, s_SquareX, g1, g1AsTime, {A, B, 0.0}, start, end, name);
}

CDataBranch* CFunctions::FunctionSquareRoot(CDataBranch* g1, bool g1AsTime, double A, double B,
                                            double C, long start, long end, QString name)
{
    return applyTransform(this, s_SquareRoot, g1, g1AsTime, {A, B, C}, start, end, name);
}

CDataBranch* CFunctions::FunctionTan(CDataBranch* g1, bool g1AsTime, double A, double B,
                                     double C, long start, long end, QString name)
{
    return applyTransform(this, s_Tan, g1, g1AsTime, {A, B, C}, start, end, name);
}

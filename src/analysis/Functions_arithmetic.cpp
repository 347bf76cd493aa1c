// Two-branch arithmetic: add, subtract, multiply and divide two branches whose samples are
// paired by equal X value inside the X window of the chosen range.
#include "analysis/Functions.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/SeriesNames.h"
#include "analysis/FunctionsSupport.h"

using namespace AnalysisSupport;

namespace {

enum class Operation { Add, Subtract, Multiply, Divide };

// One source copied whole: its X values and its operands (Y values, or times).
struct Source
{
    QVector<double> x;
    QVector<double> operand;
    int count() const { return x.size(); }
};

void readSource(const CDataBranch* branch, bool asTime, Source& source)
{
    QVector<double> y;
    branch->CopyRange(0, branch->GetYSize(), source.x, y);
    if (asTime) {
        const double interval = branch->m_Interval;
        source.operand.resize(source.x.size());
        for (int i = 0; i < source.x.size(); ++i)
            source.operand[i] = source.x.at(i) * interval;
    } else {
        source.operand = y;
    }
}

// The smaller of two bounds; G1's when they are equal or cannot be ordered.
double lowerBound(double g1Value, double g2Value)
{
    return g2Value < g1Value ? g2Value : g1Value;
}

CDataBranch* combine(CFunctions* engine, Operation operation, CDataBranch* g1, bool g1AsTime,
                     CDataBranch* g2, bool g2AsTime, double A, double B, long start, long end,
                     const QString& name)
{
    // Without a second branch there is nothing to pair; the callers take null as no result.
    if (!g1 || !g2)
        return nullptr;
    Source s1;
    Source s2;
    readSource(g1, g1AsTime, s1);
    readSource(g2, g2AsTime, s2);
    // An empty source has no X window at all; it would otherwise be read at index 0.
    if (s1.count() == 0 || s2.count() == 0) {
        ShowTooFewSamples(*engine);
        return nullptr;
    }
    long s = start;
    long e = end;
    CFunctions::ValidateStartEndIndexes(s, e, s1.count());
    CFunctions::ValidateStartEndIndexes(s, e, s2.count());
    const double xStart = lowerBound(s1.x.at(int(s)), s2.x.at(int(s)));
    const double xEnd = lowerBound(s1.x.at(int(e)), s2.x.at(int(e)));

    QVector<double> outX;
    QVector<double> outY;
    int gapMark = 0; // divide: 0 while no zero divisor follows a point
    int i = 0;
    while (i < s1.count() && s1.x.at(i) < xStart)
        ++i;
    int j = 0;
    bool g2Left = true; // false once G2 has no sample at or beyond the current X
    for (; i < s1.count(); ++i) {
        const double x1 = s1.x.at(i);
        if (x1 > xEnd)
            break;
        while (g2Left && s2.x.at(j) < x1)
            g2Left = ++j < s2.count();
        if (!g2Left)
            break;
        // j stays on a matched sample: the next G1 sample is compared with it first.
        if (s2.x.at(j) != x1)
            continue;
        const double g1v = s1.operand.at(i);
        const double g2v = s2.operand.at(j);
        double y = 0.0;
        switch (operation) {
        case Operation::Add: y = A * g1v + B * g2v; break;
        case Operation::Subtract: y = A * g1v - B * g2v; break;
        case Operation::Multiply: y = (A * g1v) * B * g2v; break;
        case Operation::Divide: {
            const double divisor = B * g2v;
            if (divisor == 0.0) {
                if (gapMark == 0)
                    gapMark = outX.size();
                continue; // the next G1 sample is examined like any other
            }
            if (gapMark != 0) {
                ShowCritical(*engine, QString(), CFunctions::tr("Invalid values."));
                return nullptr;
            }
            y = (A * g1v) / divisor;
            break;
        }
        }
        outX.append(x1);
        outY.append(y);
    }
    if (!HoldsTwo(*engine, outX.size()))
        return nullptr;
    return engine->AddFunctionBranch(g1->m_Key, outX, outY, name, name, g1->m_Interval,
                                     SeriesNames::UnitOf(*g1), g1->m_UnitPrefix,
                                     CFunctions::FunctionResultIndex);
}

} // namespace

CDataBranch* CFunctions::FunctionAdd2Functions(CDataBranch* g1, bool g1AsTime, CDataBranch* g2,
                                               bool g2AsTime, double A, double B, long start,
                                               long end, QString name, QString)
{
    return combine(this, Operation::Add, g1, g1AsTime, g2, g2AsTime, A, B, start, end, name);
}

CDataBranch* CFunctions::FunctionSub2Functions(CDataBranch* g1, bool g1AsTime, CDataBranch* g2,
                                               bool g2AsTime, double A, double B, long start,
                                               long end, QString name, QString)
{
    return combine(this, Operation::Subtract, g1, g1AsTime, g2, g2AsTime, A, B, start, end,
                   name);
}

CDataBranch* CFunctions::FunctionMul2Functions(CDataBranch* g1, bool g1AsTime, CDataBranch* g2,
                                               bool g2AsTime, double A, double B, long start,
                                               long end, QString name, QString)
{
    return combine(this, Operation::Multiply, g1, g1AsTime, g2, g2AsTime, A, B, start, end,
                   name);
}

CDataBranch* CFunctions::FunctionDiv2Functions(CDataBranch* g1, bool g1AsTime, CDataBranch* g2,
                                               bool g2AsTime, double A, double B, long start,
                                               long end, QString name, QString)
{
    return combine(this, Operation::Divide, g1, g1AsTime, g2, g2AsTime, A, B, start, end,
                   name);
}

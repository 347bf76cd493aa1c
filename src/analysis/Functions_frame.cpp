// The dispatcher by function id and the frame every derivation shares: range rule, time
// operand, result branch, covariance helpers, messages.
#include "analysis/Functions.h"

#include "Core/Base/Diagnostics.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "analysis/FunctionsSupport.h"
#include "analysis/IMessageSink.h"

namespace AnalysisSupport {

void ReadRange(const CDataBranch* branch, long start, long end, BranchRange& range)
{
    range.x.clear();
    range.y.clear();
    const long n = branch ? branch->GetYSize() : 0;
    CFunctions::ValidateStartEndIndexes(start, end, n);
    range.start = start;
    range.end = end;
    if (branch && end >= start)
        branch->CopyRange(int(start), int(end - start + 1), range.x, range.y);
}

bool ReadRangeOfTwo(const CFunctions& engine, const CDataBranch* branch, long start, long end,
                    BranchRange& range)
{
    if (!branch)
        return false;
    ReadRange(branch, start, end, range);
    return HoldsTwo(engine, range.count());
}

bool HoldsTwo(const CFunctions& engine, int count)
{
    if (count >= 2)
        return true;
    ShowTooFewSamples(engine);
    return false;
}

double DisplayMultiplier(const CFunctions& engine, const CDataBranch* branch)
{
    if (!branch || !CSensorInfo::IsValidIndex(branch->m_SensorIndex))
        return 1.0;
    const CSensorInfo* catalogue = engine.GetSensorCatalogue();
    if (!catalogue)
        return 1.0;
    // The branch's own measurement: the measurements of one sensor type may carry different
    // prefixes (kPa beside m), and a branch is labelled with its own.
    const CSensorMeasuremntInfo* shown = catalogue->GetMeasurementInfo(branch->m_SensorIndex, branch->m_Measurement);
    if (!shown)
        shown = catalogue->GetMeasurementInfo(branch->m_SensorIndex, 0);
    // Only the four prefix codes convert; a slot without one (some carry -1) keeps the values.
    const short to = shown ? shown->m_UnitPrefix : -1;
    const short from = branch->m_UnitPrefix;
    if (to < 0 || to > 3 || from < 0 || from > 3)
        return 1.0;
    return GetMultiplier(from, to);
}

void ShowCritical(const CFunctions& engine, const QString& title, const QString& text)
{
    MyOutputDebugString(QStringLiteral("CFunctions: ") + text, DiagGui);
    if (IMessageSink* sink = engine.GetMessageSink())
        sink->criticalMessage(title, text);
}

void ShowTooFewSamples(const CFunctions& engine)
{
    ShowCritical(engine, QString(), CFunctions::tr("Too few samples."));
}

} // namespace AnalysisSupport

CFunctions::CFunctions(CDataManager* data, IMessageSink* messages, CKorvantaSignals* hub)
    : m_pDataManager(data), m_pMessageSink(messages), m_pSignalHub(hub)
{
}

const CSensorInfo* CFunctions::GetSensorCatalogue() const
{
    return m_pDataManager ? m_pDataManager->GetSensorCatalogue() : nullptr;
}

CDataBranch* CFunctions::QuickFunctions(short id, int g1Key, bool g1AsTime, int start, int end,
                                        int g2Key, bool g2AsTime, int xKey, double A, double B,
                                        double C, QString name, QString unit)
{
    CDataManager* manager = GetDataManager();
    if (!manager)
        return nullptr;
    CDataBranch* g1 = manager->GetDataBranch(g1Key);
    CDataBranch* g2 = g2Key >= 0 ? manager->GetDataBranch(g2Key) : nullptr;
    CDataBranch* xAxis = xKey >= 0 ? manager->GetDataBranch(xKey) : nullptr;
    const long s = start;
    const long e = end;

    switch (id) {
    case IdAbsoluteValue: return FunctionAbsoluteValue(g1, A, B, s, e, name);
    case IdAdd2Functions: return FunctionAdd2Functions(g1, g1AsTime, g2, g2AsTime, A, B, s, e, name);
    case IdArcCos: return FunctionArcCos(g1, A, B, s, e, name);
    case IdArcSin: return FunctionArcSin(g1, A, B, s, e, name);
    case IdCos: return FunctionCos(g1, g1AsTime, A, B, C, s, e, name);
    case IdDeltaY: return FunctionDeltaY(g1, s, e, name);
    case IdDerivative: {
        // On an XY graph the slope is taken along the X-axis values of the source's own run, as
        // the graph draws it.
        CDataBranch* xSeries = nullptr;
        if (xAxis && (!g1 || !XAxisSeriesOf(g1, xKey, xSeries)))
            return nullptr;
        return FunctionDerivative(g1, g1AsTime, s, e, name, xSeries);
    }
    case IdDiv2Functions: return FunctionDiv2Functions(g1, g1AsTime, g2, g2AsTime, A, B, s, e, name);
    case IdLowerEnvelope: return FunctionEnvelope(g1, A, s, e, false, name);
    case IdUpperEnvelope: return FunctionEnvelope(g1, A, s, e, true, name);
    case IdExp: return FunctionExp(g1, g1AsTime, A, B, C, s, e, name);
    case IdFrequency: return FunctionFrequency(g1, A, s, e, name, unit);
    case IdIntegral: return FunctionIntegral(g1, g1AsTime, s, e, A, B, name);
    case IdKineticEnergy: return FunctionKineticEnergy(g1, A, s, e, name);
    case IdLinear: return FunctionLinear(g1, g1AsTime, A, B, s, e, name);
    case IdLn: return FunctionLn(g1, g1AsTime, A, B, s, e, name);
    case IdLog10: return FunctionLog10(g1, g1AsTime, A, B, s, e, name);
    case IdMul2Functions: return FunctionMul2Functions(g1, g1AsTime, g2, g2AsTime, A, B, s, e, name);
    case IdQuadratic: return FunctionQuadratic(g1, g1AsTime, A, B, C, s, e, name);
    case IdReciprocal: return Function1DevideByX(g1, g1AsTime, A, B, C, s, e, name);
    case IdSin: return FunctionSin(g1, g1AsTime, A, B, C, s, e, name);
    case IdSquareX: return FunctionSquareX(g1, g1AsTime, A, B, s, e, name);
    case IdSquareRoot: return FunctionSquareRoot(g1, g1AsTime, A, B, C, s, e, name);
    case IdSub2Functions: return FunctionSub2Functions(g1, g1AsTime, g2, g2AsTime, A, B, s, e, name);
    case IdTan: return FunctionTan(g1, g1AsTime, A, B, C, s, e, name);
    case IdBloodPressure: FunctionBloodPressure(g1); return nullptr;
    case IdLinearRegression:
    case IdPolynomialRegression:
    case IdPowerRegression:
    case IdExponentialRegression: {
        // The callers of the fits hand the graph's X-axis key over as the second source: a fit
        // on an XY graph is a fit against that axis.
        CDataBranch* xSeries = nullptr;
        if (!g1 || !XAxisSeriesOf(g1, g2Key, xSeries))
            return nullptr;
        if (id == IdLinearRegression)
            return FunctionLinearRegression(g1, s, e, xSeries);
        if (id == IdPolynomialRegression)
            return FunctionPolynomialRegression(g1, s, e, 2, xSeries);
        if (id == IdPowerRegression)
            return FunctionPowerRegression(g1, s, e, xSeries);
        return FunctionExponentialRegression(g1, s, e, xSeries);
    }
    default: return nullptr; // 11 (called directly by its dialog), 29, and unknown ids
    }
}

void CFunctions::ValidateStartEndIndexes(long& start, long& end, long n)
{
    if (end == -1) {
        start = 0;
        end = n;
    }
    if (end < start)
        std::swap(start, end);
    if (start < 0 || start >= n)
        start = 0;
    if (end < 0 || end >= n)
        end = n - 1;
}

void CFunctions::CreateTimeArray(CDataBranch* branch, bool, CSafeArray<double>* source,
                                 CSafeArray<double>& target)
{
    target.Clear();
    if (!branch || !source)
        return;
    QVector<double> times = source->Snapshot();
    const double interval = branch->m_Interval;
    for (double& value : times)
        value *= interval;
    target.AddRange(times.constData(), times.size());
}

CDataBranch* CFunctions::AddFunctionBranch(int parentKey, CSafeArray<double>* x,
                                           CSafeArray<double>* y, QString name, QString text,
                                           double secondsPerSample, QString unit,
                                           short unitPrefix, int sensorIndex)
{
    const QVector<double> xs = x ? x->Snapshot() : QVector<double>();
    const QVector<double> ys = y ? y->Snapshot() : QVector<double>();
    return AddFunctionBranch(parentKey, xs, ys, name, text, secondsPerSample, unit, unitPrefix,
                             sensorIndex);
}

CDataBranch* CFunctions::AddFunctionBranch(int parentKey, const QVector<double>& x,
                                           const QVector<double>& y, const QString& name,
                                           const QString& text, double secondsPerSample,
                                           const QString& unit, short unitPrefix,
                                           int sensorIndex)
{
    CDataManager* manager = GetDataManager();
    if (!manager)
        return nullptr;
    const int key = manager->CreateDataBranch(sensorIndex, secondsPerSample, -1, -1, parentKey);
    manager->AddChildBranch(key, parentKey);
    CDataBranch* branch = manager->GetDataBranch(key);
    if (!branch)
        return nullptr;
    branch->AppendSamples(x.constData(), y.constData(), qMin(x.size(), y.size()));
    branch->m_Measurement = -1;
    branch->m_SensorIndex = sensorIndex;
    branch->m_Channel = -1;
    branch->m_FunctionText = text;
    branch->m_Name = name;
    branch->m_Unit = unit;
    branch->m_UnitPrefix = unitPrefix;
    branch->m_Interval = secondsPerSample;
    if (sensorIndex == CurveFitResultIndex) {
        branch->m_ParentKey = parentKey;
        if (CDataBranch* parent = manager->GetDataBranch(parentKey))
            parent->m_DerivedKeys.Add(key);
    }
    return branch;
}

double CFunctions::Cov(CSafeArray<double>* a, CSafeArray<double>* b, long start, long end,
                       double meanA, double meanB)
{
    // With fewer than two samples there is no spread to divide by.
    if (!a || !b || end <= start || start < 0)
        return 0.0;
    const QVector<double> as = a->Snapshot();
    const QVector<double> bs = b->Snapshot();
    double sum = 0.0;
    for (long k = 0; k <= end - start; ++k) {
        if (start + k >= as.size() || k >= bs.size())
            break;
        sum += (as.at(int(start + k)) - meanA) * (bs.at(int(k)) - meanB);
    }
    return sum / double(end - start);
}

double CFunctions::Var(CSafeArray<double>* a, long start, long end, double mean)
{
    if (!a || end <= start || start < 0)
        return 0.0;
    const QVector<double> as = a->Snapshot();
    double sum = 0.0;
    for (long i = start; i <= end && i < as.size(); ++i) {
        const double d = as.at(int(i)) - mean;
        sum += d * d;
    }
    return sum / double(end - start);
}

#include "analysis/OnlineFunctions.h"

#include <QMutexLocker>
#include <algorithm>

#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "analysis/OnlineFunctionsCompute.h"

CCalculateOnLineFunctions::CCalculateOnLineFunctions(QObject* parent) : QObject(parent) {}

void CCalculateOnLineFunctions::SetTable(OnLineFunctionInfo* table, short* count)
{
    QMutexLocker lock(&m_TableMutex);
    m_pTable = table;
    m_pCount = count;
}

bool CCalculateOnLineFunctions::AddOnLineFunction(
    int g1SensorIndex, int g2SensorIndex, int g1Channel, int g2Channel, int g1CatalogueValue,
    int g2CatalogueValue, int g1Measurement, int g2Measurement, QString name, QString unit,
    short unitPrefix, short functionId, double a, double b, double c, int g1Key, int g2Key,
    bool g1AsTime, bool g2AsTime)
{
    QMutexLocker lock(&m_TableMutex);
    if (!m_pTable || !m_pCount)
        return false;
    // A count written from outside may be anything; anything out of range counts as full.
    const short count = *m_pCount;
    if (count < 0 || count >= MaxOnLineFunctions)
        return false;
    OnLineFunctionInfo& r = m_pTable[count];
    r.m_G1SensorIndex = g1SensorIndex;
    r.m_G2SensorIndex = g2SensorIndex;
    r.m_G1Channel = g1Channel;
    r.m_G2Channel = g2Channel;
    r.m_G1CatalogueValue = static_cast<unsigned char>(g1CatalogueValue & 0xFF);
    r.m_G2CatalogueValue = static_cast<unsigned char>(g2CatalogueValue & 0xFF);
    r.m_G1Measurement = g1Measurement;
    r.m_G2Measurement = g2Measurement;
    r.m_Name = name;
    r.m_Unit = unit;
    r.m_UnitPrefix = unitPrefix;
    r.m_FunctionId = functionId;
    r.m_A = a;
    r.m_B = b;
    r.m_C = c;
    r.m_G1Key = g1Key;
    r.m_G2Key = g2Key;
    r.m_bG1AsTime = g1AsTime;
    r.m_bG2AsTime = g2AsTime;
    r.m_pG1Branch = nullptr;
    r.m_pG2Branch = nullptr;
    r.m_pOutBranch = nullptr;
    *m_pCount = count + 1;
    return true;
}

void CCalculateOnLineFunctions::ClearOnLineFunctions()
{
    QMutexLocker lock(&m_TableMutex);
    if (m_pCount)
        *m_pCount = 0;
}

QStringList CCalculateOnLineFunctions::DropOnLineFunctions(const std::function<bool(const OnLineFunctionInfo&)>& drop)
{
    QStringList dropped;
    QMutexLocker lock(&m_TableMutex);
    if (!m_pTable || !m_pCount || !drop)
        return dropped;
    const int count = qBound(0, static_cast<int>(*m_pCount), static_cast<int>(MaxOnLineFunctions));
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (drop(m_pTable[i])) {
            dropped << m_pTable[i].m_Name;
            continue;
        }
        if (kept != i)
            m_pTable[kept] = m_pTable[i];
        ++kept;
    }
    *m_pCount = static_cast<short>(kept);
    return dropped;
}

short CCalculateOnLineFunctions::GetNumOnLineFunctions()
{
    QMutexLocker lock(&m_TableMutex);
    return m_pCount ? *m_pCount : 0;
}

void CCalculateOnLineFunctions::CalculateOnLineFunctions()
{
    QMutexLocker lock(&m_TableMutex);
    if (!m_pTable || !m_pCount)
        return;
    const int count = qBound(0, static_cast<int>(*m_pCount), static_cast<int>(MaxOnLineFunctions));
    // A record whose source this run does not record is skipped on its own; the records after
    // it are still computed.
    for (int i = 0; i < count; ++i)
        ComputeOnLineRecord(m_pTable[i]);
}

void CCalculateOnLineFunctions::BranchDeleted(const CDataBranch* branch)
{
    if (!branch)
        return;
    QMutexLocker lock(&m_TableMutex);
    if (!m_pTable)
        return;
    for (int i = 0; i < MaxOnLineFunctions; ++i) {
        OnLineFunctionInfo& r = m_pTable[i];
        if (r.m_pG1Branch == branch)
            r.m_pG1Branch = nullptr;
        if (r.m_pG2Branch == branch)
            r.m_pG2Branch = nullptr;
        if (r.m_pOutBranch == branch)
            r.m_pOutBranch = nullptr;
    }
}

void CCalculateOnLineFunctions::ResetRunProgress(OnLineFunctionInfo& record)
{
    // No sample dealt with yet: a run's first sample gets its point like every other.
    record.m_G1Position = -1;
    record.m_G2Position = -1;
    // A new run starts without the previous run's extreme and alignment.
    record.m_Extremes = ExtremeScanState();
    record.m_bMatched = false;
}

void CCalculateOnLineFunctions::BindRun(CDataManager& data, int folderKey,
                                        const int keyTable[IRunServices::NumKeyChannels][IRunServices::NumKeyMeasurements],
                                        double interval)
{
    if (!m_pTable || !m_pCount) return;
    QMutexLocker lock(&m_TableMutex);
    const int count = std::min<int>(std::max<int>(*m_pCount, 0), MaxOnLineFunctions);
    const CSensorInfo* catalogue = data.GetSensorCatalogue();
    const CSetupInfo* setup = data.GetSetupInfo();
    for (int f = 0; f < count; ++f) {
        OnLineFunctionInfo& e = m_pTable[f];
        const int key = data.CreateDataBranch(-1, interval, -1, -1, folderKey);
        CDataBranch* out = data.GetDataBranch(key);
        if (CDataFolder* folder = data.GetDataFolder(folderKey)) folder->AddBranchKey(key);
        if (!out) continue;
        out->m_Name = e.m_Name;
        out->m_Unit = e.m_Unit;
        out->m_UnitPrefix = e.m_UnitPrefix;
        ResetRunProgress(e);
        for (int s = 0; s < 2; ++s) {
            const int channel = s == 0 ? e.m_G1Channel : e.m_G2Channel;
            const int measurement = s == 0 ? e.m_G1Measurement : e.m_G2Measurement;
            if (channel == -1) continue;
            // The table is filled by the user interface; a source outside the key table has
            // no branch in this run.
            const bool inTable = channel >= 0 && channel < IRunServices::NumKeyChannels && measurement >= 0 &&
                                 measurement < IRunServices::NumKeyMeasurements;
            const int sourceKey = inTable ? keyTable[channel][measurement] : -1;
            CDataBranch* source = sourceKey >= 0 ? data.GetDataBranch(sourceKey) : nullptr;
            const CSesnorProperties* sensor = setup ? setup->GetSelectedSensor(channel) : nullptr;
            const CSensorParametersInfo* record = (sensor && catalogue) ? catalogue->GetSensorInfo(sensor->m_SensorIndex) : nullptr;
            const unsigned char kind = record ? static_cast<unsigned char>(record->m_DataKind & 0xFF) : 255;
            if (s == 0) {
                e.m_G1Key = sourceKey;
                e.m_pG1Branch = source;
                e.m_G1CatalogueValue = kind;
                // The output belongs to the run's folder; the series it is computed from is
                // named here, so that a graph draws the two on one scale and the workspace
                // file keeps the tie.
                out->m_ParentKey = source ? sourceKey : -1;
            } else {
                e.m_G2Key = sourceKey;
                e.m_pG2Branch = source;
                e.m_G2CatalogueValue = kind;
            }
            out->m_Measurement = measurement;
        }
        e.m_pOutBranch = out;
        out->m_SensorIndex = SensorIndexOnlineFunction;
    }
}

// Conversion and storage of the raw values of each data packet.
#include <algorithm>
#include <vector>

#include "Core/Base/Diagnostics.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"

using ConversionMarkers::s_NoSample;
using ConversionMarkers::s_RepeatLast;

namespace {
const int s_MaxTargets = CDataManager::NumPacketPositions * CDataManager::NumKeyMeasurements;

// What one packet position contributes: its sensor and the measurements converted for it.
struct PositionPlan
{
    int position = 0;
    int index = 0;
    bool store = false;
    int count = 0;
    int measurements[CDataManager::NumKeyMeasurements] = {};
    int firstTarget = 0;  // index of its first measurement among the run's stored branches
};

// Reused between packets of the storing thread so a packet costs no allocation.
struct Scratch
{
    std::vector<double> x;
    std::vector<double> y;
    std::vector<double> work;
};

Scratch& LocalScratch()
{
    thread_local Scratch scratch;
    return scratch;
}

// The sensors of the packet's positions, from the setup or (downloads) the logger's own list.
// Returns the number of branches the packet stores into.
int BuildPlans(const CSetupInfo* setup, const CSensorInfo* catalogue, const unsigned char* positions, int count,
               const unsigned char* loggerSensors, int loggerSensorCount, bool loggerList, PositionPlan* plans)
{
    int targetCount = 0;
    for (int i = 0; i < count; ++i) {
        PositionPlan& plan = plans[i];
        plan = PositionPlan();
        plan.position = positions ? positions[i] : i;
        plan.firstTarget = targetCount;
        if (loggerList) {
            if (plan.position >= loggerSensorCount) continue;
            plan.index = loggerSensors[plan.position];
            plan.store = true;
            plan.count = 1;
        } else {
            const CSesnorProperties* sensor = setup->GetSelectedSensor(plan.position);
            const CSensorParametersInfo* record = (sensor && catalogue) ? catalogue->GetSensorInfo(sensor->m_SensorIndex) : nullptr;
            if (!record) continue;
            plan.index = sensor->m_SensorIndex;
            plan.store = !record->m_HiddenSensor;
            const int measurements = std::min<int>(record->m_NumOfMeasurements, CDataManager::NumKeyMeasurements);
            for (int j = 0; j < measurements; ++j) {
                const CMeasurementSetup* ms = sensor->GetMeasurement(j);
                if (ms && ms->m_bActive) plan.measurements[plan.count++] = j;
            }
        }
        // The run's branches follow each other in this order; every active measurement of a
        // stored sensor owns one, whether or not this packet has a value for it.
        if (plan.store) targetCount += plan.count;
    }
    return targetCount;
}

// Each stored measurement owns the branch at its place in the run; a branch that turns out to
// belong to another sensor, measurement or run is left alone.
void FindTargets(const CDataManager& data, const CDataFolder* folder, int first, const PositionPlan* plans, int count,
                 CDataBranch** targets)
{
    for (int i = 0; i < count; ++i) {
        const PositionPlan& plan = plans[i];
        if (!plan.store) continue;
        for (int a = 0; a < plan.count; ++a) {
            CDataBranch* branch = data.GetDataBranchByIndex(first + plan.firstTarget + a);
            if (branch && branch->m_OwnerKey == folder->m_Key && branch->m_SensorIndex == plan.index &&
                branch->m_Measurement == plan.measurements[a])
                targets[plan.firstTarget + a] = branch;
        }
    }
}
}  // namespace

struct CDataManager::RunTargets
{
    CLoggerProtocolState* state = nullptr;
    int count = 0;        // packet positions, at most NumPacketPositions
    int targetCount = 0;  // branches the packet stores into
    PositionPlan plans[NumPacketPositions];
    CDataBranch* targets[s_MaxTargets] = {};
};

bool CDataManager::PrepareRunTargets(ILogger* logger, int count, const unsigned char* positions, bool loggerList,
                                     RunTargets& run)
{
    // A download stores the logger's own sensors: a setup with none active (none ticked, or no
    // status yet) must not leave the downloaded run empty.
    if (!m_pSetupInfo || (!loggerList && m_pSetupInfo->GetActiveSensorsCount() == 0)) return false;
    CDataFolder* folder = GetLastDataFolder();
    if (!folder) {
        MyOutputDebugString("ConvertAndStore Error No Folders", DiagDataManager);
        return false;
    }
    if (folder->GetNumberBranches() == 0) {
        MyOutputDebugString("ConvertAndStore Error No Branches", DiagDataManager);
        return false;
    }
    const int first = GetBranchPostion(folder->GetBranchKey(0));
    if (first < 0) return false;
    // Packet positions index 32-entry tables; a longer packet has nowhere to go.
    run.count = std::min(count, int(NumPacketPositions));

    unsigned char loggerSensors[SensorListRoom] = {};
    int loggerSensorCount = 0;
    if (loggerList) loggerSensorCount = std::min(std::max(logger->GetLoggerSensorList(loggerSensors), 0), SensorListRoom);

    run.state = RunState(logger);
    StartRunCounters(run.state, run.count);
    run.targetCount = BuildPlans(m_pSetupInfo, Catalogue(), positions, run.count, loggerSensors, loggerSensorCount,
                                 loggerList, run.plans);
    FindTargets(*this, folder, first, run.plans, run.count, run.targets);
    return true;
}

bool CDataManager::ConvertAndStore(ILogger* logger, double* samples, int count, unsigned char* positions, bool live,
                                   bool loggerList)
{
    return ConvertAndStoreBlock(logger, samples, 1, count, positions, live, loggerList);
}

bool CDataManager::ConvertAndStoreBlock(ILogger* logger, const double* samples, int rows, int count,
                                        const unsigned char* positions, bool live, bool loggerList)
{
    Q_UNUSED(live);
    if (!logger || !samples || rows <= 0 || count <= 0) return false;
    RunTargets run;
    if (!PrepareRunTargets(logger, count, positions, loggerList, run)) return false;
    WireConversion();
    count = run.count;
    CLoggerProtocolState* st = run.state;
    const PositionPlan* plans = run.plans;
    const int targetCount = run.targetCount;
    CDataBranch** targets = run.targets;
    int pending[s_MaxTargets] = {};

    Scratch& scratch = LocalScratch();
    const size_t needed = static_cast<size_t>(targetCount) * rows;
    if (scratch.x.size() < needed) {
        scratch.x.resize(needed);
        scratch.y.resize(needed);
    }
    if (scratch.work.size() < static_cast<size_t>(count) * rows) scratch.work.resize(static_cast<size_t>(count) * rows);
    const bool manual = m_pSetupInfo->m_bManualX && m_pSetupInfo->m_RateCode == 0;
    for (int r = 0; r < rows; ++r) {
        const double* row = samples + static_cast<size_t>(r) * count;
        for (int i = 0; i < count; ++i) {
            const PositionPlan& plan = plans[i];
            const double v = row[i];
            scratch.work[static_cast<size_t>(i) * rows + r] = v;
            const qint64 c = st->m_SampleCounter[i];
            for (int a = 0; a < plan.count; ++a) {
                short flag = 0;
                const double y = m_DataConversion.ConvertDataSample(logger, i, plan.position, plan.index, v, static_cast<long>(c),
                                                                    flag, static_cast<short>(plan.measurements[a]),
                                                                    a + 1 == plan.count, false);
                const int t = plan.firstTarget + a;
                if (!plan.store || y == s_NoSample || !targets[t]) continue;
                const size_t base = static_cast<size_t>(t) * rows;
                double value = y;
                if (y == s_RepeatLast) {
                    if (pending[t] > 0) value = scratch.y[base + pending[t] - 1];
                    else {
                        const int n = targets[t]->GetYSize();
                        value = n > 0 ? targets[t]->GetYSample(n - 1) : 0.0;
                    }
                }
                scratch.x[base + pending[t]] = static_cast<double>(c + flag);
                scratch.y[base + pending[t]] = value;
                ++pending[t];
            }
            st->m_SampleCounter[i] = c + 1;
        }
        if (manual) StoreManualSample(logger);
    }
    for (int i = 0; i < count; ++i) m_WorkLists[i].AddRange(&scratch.work[static_cast<size_t>(i) * rows], rows);
    for (int t = 0; t < targetCount; ++t)
        if (targets[t] && pending[t] > 0)
            targets[t]->AppendSamples(&scratch.x[static_cast<size_t>(t) * rows], &scratch.y[static_cast<size_t>(t) * rows], pending[t]);
    RunOnlineFunctions();
    return false;
}

void CDataManager::StartRunCounters(CLoggerProtocolState* st, int count)
{
    if (st->m_bFirstPacketDone) return;
    for (int i = 0; i < count; ++i) {
        st->m_SampleCounter[i] = 0;
        m_WorkLists[i].Clear();
    }
    st->m_ManualSampleCounter = 0;
    st->m_bFirstPacketDone = true;
}

bool CDataManager::StoreMissingRows(ILogger* logger, int rows, int count, const unsigned char* positions,
                                    bool loggerList)
{
    if (!logger || rows <= 0 || count <= 0) return false;
    RunTargets run;
    if (!PrepareRunTargets(logger, count, positions, loggerList, run)) return false;

    // The rows keep their places in the run: every later sample keeps its true time.
    std::vector<double> x(static_cast<size_t>(rows));
    const std::vector<double> gap(static_cast<size_t>(rows), MissingValue);
    for (int i = 0; i < run.count; ++i) {
        const PositionPlan& plan = run.plans[i];
        const qint64 c = run.state->m_SampleCounter[i];
        for (int r = 0; r < rows; ++r) x[static_cast<size_t>(r)] = static_cast<double>(c + r);
        for (int a = 0; a < plan.count && plan.store; ++a)
            if (CDataBranch* branch = run.targets[plan.firstTarget + a]) branch->AppendSamples(x.data(), gap.data(), rows);
        m_WorkLists[i].AddRange(gap.data(), rows);
        run.state->m_SampleCounter[i] = c + rows;
    }
    return true;
}

void CDataManager::RunOnlineFunctions()
{
    if (m_pRunServices) m_pRunServices->CalculateOnLineFunctions();
}

void CDataManager::StoreDataSample(ILogger* logger, double y, int branchPosition, int position, int flag)
{
    if (!logger || GetNumDataBranches() == 0 || position < 0 || position >= NumPacketPositions) return;
    CDataBranch* branch = GetDataBranchByIndex(branchPosition);
    if (!branch) return;
    const double x = static_cast<double>(RunState(logger)->m_SampleCounter[position] + flag);
    if (y == s_RepeatLast) {
        const int n = branch->GetYSize();
        branch->AddSample(x, n > 0 ? branch->GetYSample(n - 1) : 0.0);
        return;
    }
    branch->AddSample(x, y);
}

void CDataManager::ConvertAndStoreLastOnlineSamples(ILogger* logger, int count, unsigned char* positions)
{
    if (!logger || !m_pSetupInfo) return;
    count = std::min(std::max(count, 0), int(NumPacketPositions));
    CLoggerProtocolState* st = RunState(logger);
    CDataFolder* folder = GetLastDataFolder();
    const QVector<int> keys = folder ? folder->GetBranchKeys() : QVector<int>();
    for (int i = 0; i < count; ++i) {
        const int p = positions ? positions[i] : i;
        const CSesnorProperties* sensor = m_pSetupInfo->GetSelectedSensor(p);
        if (!sensor || sensor->m_SensorIndex != 25) continue;
        for (int j = 0; j < NumAverageMeasurements && j < sensor->GetNumMeasurements(); ++j) {
            const CMeasurementSetup* setup = sensor->GetMeasurement(j);
            if (!setup || !setup->m_bActive) continue;
            st->m_MeasurementCounter[i][j] = st->m_SampleCounter[i];
            CDataBranch* branch = nullptr;
            for (int key : keys) {
                CDataBranch* b = GetDataBranch(key);
                if (b && b->m_SensorIndex == 25 && b->m_Channel == sensor->m_Channel && b->m_Measurement == j) {
                    branch = b;
                    break;
                }
            }
            // Only what the averaging list still holds is converted: a counter that never
            // catches up cannot hold the end of the run.
            const int length = m_AverageLists[i][j].GetSize();
            while (m_AverageCounters[i][j] < length) {
                short flag = 0;
                const double y = ConvertDataSample(logger, i, p, 25, 0.0, static_cast<long>(st->m_SampleCounter[i]), flag,
                                                   static_cast<short>(j), false, false);
                if (y != s_NoSample && branch) branch->AddSample(static_cast<double>(m_AverageXCounters[i][j]), y);
                ++m_AverageCounters[i][j];
                ++m_AverageXCounters[i][j];
            }
        }
    }
}

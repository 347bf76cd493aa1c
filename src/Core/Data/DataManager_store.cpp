// Conversion and storage of the raw values of each data packet.
#include <QTime>
#include <algorithm>
#include <vector>

#include "Core/Data/DataManager.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/Diagnostics.h"
#include "Core/Logic/KorvantaSignals.h"
#include "Core/Logic/LogicManager.h"

using ConversionMarkers::s_NoSample;
using ConversionMarkers::s_RepeatLast;

namespace {
const int s_ManualXIndex = 20484;
const int s_ListRoom = 256;

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

// Values waiting for one branch; appended as one block at the end of the call.
struct Target
{
    CDataBranch* branch = nullptr;
    std::vector<double> x;
    std::vector<double> y;
};
}  // namespace

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
    if (!m_pSetupInfo || m_pSetupInfo->GetActiveSensorsCount() == 0) return false;
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
    WireConversion();
    // Packet positions index 32-entry tables; a longer packet has nowhere to go.
    count = std::min(count, int(NumPacketPositions));

    unsigned char loggerSensors[s_ListRoom] = {};
    int loggerSensorCount = 0;
    if (loggerList) loggerSensorCount = std::min(std::max(logger->GetLoggerSensorList(loggerSensors), 0), s_ListRoom);

    CLoggerProtocolState* st = RunState(logger);
    if (!st->m_bFirstPacketDone) {
        for (int i = 0; i < count; ++i) {
            st->m_SampleCounter[i] = 0;
            m_WorkLists[i].Clear();
        }
        st->m_ManualSampleCounter = 0;
        st->m_bFirstPacketDone = true;
    }

    const CSensorInfo* catalogue = Catalogue();
    std::vector<PositionPlan> plans(static_cast<size_t>(count));
    int targetCount = 0;
    for (int i = 0; i < count; ++i) {
        PositionPlan& plan = plans[i];
        plan.position = positions ? positions[i] : i;
        plan.firstTarget = targetCount;
        if (loggerList) {
            if (plan.position >= loggerSensorCount) continue;
            plan.index = loggerSensors[plan.position];
            plan.store = true;
            plan.count = 1;
            plan.measurements[0] = 0;
        } else {
            const CSesnorProperties* sensor = m_pSetupInfo->GetSelectedSensor(plan.position);
            const CSensorParametersInfo* record = (sensor && catalogue) ? catalogue->GetSensorInfo(sensor->m_SensorIndex) : nullptr;
            if (!record) continue;
            plan.index = sensor->m_SensorIndex;
            plan.store = !record->m_HiddenSensor;
            const int measurements = std::min<int>(record->m_NumOfMeasurements, NumKeyMeasurements);
            for (int j = 0; j < measurements; ++j) {
                const CMeasurementSetup* setup = sensor->GetMeasurement(j);
                if (setup && setup->m_bActive) plan.measurements[plan.count++] = j;
            }
        }
        if (plan.store) targetCount += plan.count;
    }

    // Each stored measurement owns the branch at its place in the run; a branch that turns
    // out to belong to another sensor, measurement or run is left alone.
    std::vector<Target> targets(static_cast<size_t>(targetCount));
    for (const PositionPlan& plan : plans) {
        if (!plan.store) continue;
        for (int a = 0; a < plan.count; ++a) {
            CDataBranch* branch = GetDataBranchByIndex(first + plan.firstTarget + a);
            if (branch && branch->m_OwnerKey == folder->m_Key && branch->m_SensorIndex == plan.index &&
                branch->m_Measurement == plan.measurements[a])
                targets[plan.firstTarget + a].branch = branch;
        }
    }

    const bool manual = m_pSetupInfo->m_bManualX && m_pSetupInfo->m_RateCode == 0;
    std::vector<std::vector<double>> work(static_cast<size_t>(count));
    for (auto& w : work) w.reserve(static_cast<size_t>(rows));
    for (Target& t : targets) {
        t.x.reserve(static_cast<size_t>(rows));
        t.y.reserve(static_cast<size_t>(rows));
    }
    for (int r = 0; r < rows; ++r) {
        const double* row = samples + static_cast<size_t>(r) * count;
        for (int i = 0; i < count; ++i) {
            const PositionPlan& plan = plans[i];
            const double v = row[i];
            work[i].push_back(v);
            const qint64 c = st->m_SampleCounter[i];
            for (int a = 0; a < plan.count; ++a) {
                short flag = 0;
                const double y = m_DataConversion.ConvertDataSample(logger, i, plan.position, plan.index, v, static_cast<long>(c),
                                                                    flag, static_cast<short>(plan.measurements[a]),
                                                                    a + 1 == plan.count, false);
                if (!plan.store || y == s_NoSample) continue;
                Target& t = targets[plan.firstTarget + a];
                if (!t.branch) continue;
                double value = y;
                if (y == s_RepeatLast) {
                    if (!t.y.empty()) value = t.y.back();
                    else {
                        const int n = t.branch->GetYSize();
                        value = n > 0 ? t.branch->GetYSample(n - 1) : 0.0;
                    }
                }
                t.x.push_back(static_cast<double>(c + flag));
                t.y.push_back(value);
            }
            st->m_SampleCounter[i] = c + 1;
        }
        if (manual) StoreManualSample(logger);
    }
    for (int i = 0; i < count; ++i) m_WorkLists[i].AddRange(work[i].data(), static_cast<int>(work[i].size()));
    for (Target& t : targets)
        if (t.branch && !t.x.empty()) t.branch->AppendSamples(t.x.data(), t.y.data(), static_cast<int>(t.x.size()));
    RunOnlineFunctions();
    return false;
}

void CDataManager::RunOnlineFunctions()
{
    if (m_pLogicManager) m_pLogicManager->CalculateOnLineFunctions();
}

void CDataManager::StoreManualSample(ILogger* logger)
{
    CDataBranch* branch = GetLastFolderDataBranch(s_ManualXIndex);
    if (!branch) return;
    CLoggerProtocolState* st = RunState(logger);
    const QTime now = QTime::currentTime();
    if (st->m_ManualSampleCounter == 0) {
        branch->m_ManualStartTime = now;
        branch->AddManualTime(0.0);
    } else {
        int ms = branch->m_ManualStartTime.isValid() ? branch->m_ManualStartTime.msecsTo(now) : 0;
        // A run that goes past midnight keeps counting forward.
        if (ms < 0) ms += 24 * 60 * 60 * 1000;
        branch->AddManualTime(ms / 1000.0);
    }
    branch->AddSample(static_cast<double>(st->m_ManualSampleCounter), m_pSetupInfo->m_ManualXValue);
    ++st->m_ManualSampleCounter;
    CKorvantaSignals* hub = m_pLogicManager ? m_pLogicManager->GetSignals() : nullptr;
    if (hub) hub->SingalUserAskXValue();
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

// A run's entries and the storage of its converted samples. Runs on the logger's packet thread.
#include <QCoreApplication>
#include <QTime>
#include <algorithm>
#include <vector>

#include "Core/Base/Diagnostics.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SeriesNames.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"

using ConversionMarkers::s_NoSample;
using ConversionMarkers::s_RepeatLast;


void CDataManager::WireConversion()
{
    if (m_Wired.done && m_Wired.catalogue == m_pCatalogue && m_Wired.setup == m_pSetupInfo
        && m_Wired.services == m_pRunServices)
        return;
    m_Wired = WiredParts{m_pCatalogue, m_pSetupInfo, m_pRunServices, true};
    m_DataConversion.SetSensorInfo(m_pCatalogue);
    m_DataConversion.SetSetupInfo(m_pSetupInfo);
    m_DataConversion.SetDataManager(this);
    if (m_pRunServices) {
        m_DataConversion.SetRunServices(m_pRunServices);
        m_DataConversion.SetCalibration(m_pRunServices->GetRunCalibration());
    }
}

CLoggerProtocolState* CDataManager::RunState(ILogger* logger)
{
    return (logger && logger->m_pProtocolState) ? logger->m_pProtocolState : &m_FallbackRunState;
}

double CDataManager::ConvertDataSample(ILogger* logger, int channel, int position, int index, double raw, long sample,
                                       short& flag, short measurement, bool lastMeasurement, bool plainReading)
{
    WireConversion();
    return m_DataConversion.ConvertDataSample(logger, channel, position, index, raw, sample, flag, measurement,
                                              lastMeasurement, plainReading);
}

void CDataManager::InitAverageRelatedArrays()
{
    for (int p = 0; p < 8; ++p) {
        for (int m = 0; m < NumAverageMeasurements; ++m) {
            m_AverageCounters[p][m] = 0;
            m_AverageLists[p][m].Clear();
        }
        m_WorkLists[p].Clear();
    }
}

int CDataManager::GetNumberOfInputViewsEntries(ILogger* logger)
{
    if (!logger) return 0;
    unsigned char positions[SensorListRoom] = {};
    const int n = std::min(std::max(logger->GetActiveSensorListIndex(positions), 0), int(NumPacketPositions));
    const CSensorInfo* catalogue = Catalogue();
    int count = 0;
    for (int k = 0; k < n; ++k) {
        const CSesnorProperties* sensor = m_pSetupInfo ? m_pSetupInfo->GetSelectedSensor(positions[k]) : nullptr;
        const CSensorParametersInfo* record = (sensor && catalogue) ? catalogue->GetSensorInfo(sensor->m_SensorIndex) : nullptr;
        if (!record) continue;
        const int measurements = std::min<int>(record->m_NumOfMeasurements, NumKeyMeasurements);
        for (int j = 0; j < measurements && count < MaxInputViews; ++j) {
            const CMeasurementSetup* setup = sensor->GetMeasurement(j);
            if (!setup || !setup->m_bActive) continue;
            m_InputViewPositions[count] = static_cast<short>(k);
            m_InputViewMeasurements[count] = static_cast<short>(j);
            ++count;
        }
    }
    m_InputViewCount = static_cast<short>(count);
    return count;
}

void CDataManager::CreateDataEntries(ILogger* logger, unsigned char mode)
{
    if (!logger) return;
    WireConversion();
    int keyTable[NumKeyChannels][NumKeyMeasurements];
    for (auto& row : keyTable) std::fill(std::begin(row), std::end(row), -1);
    m_RunMode = mode;

    GetNumberOfInputViewsEntries(logger);
    unsigned char list[SensorListRoom] = {};
    int n = (mode == 2) ? logger->GetLoggerSensorList(list) : logger->GetActiveSensorListIndex(list);
    n = std::min(std::max(n, 0), int(NumPacketPositions));
    if (mode == 2) m_InputViewCount = static_cast<short>(n);

    InitAverageRelatedArrays();
    CDataFolder* folder = CreateDataFolder();
    const int rate = m_pSetupInfo ? m_pSetupInfo->m_RateCode : 0;
    folder->m_bSampledByHand = (mode != 2 && mode != 3 && rate == 0);
    if (mode == 3) {
        m_RunInterval = ExperimentInterval{1.0, 1.0, 0};
    } else if (mode == 2) {
        m_RunInterval = logger->GetExperimentInterval(static_cast<short>(logger->GetUiRateCode(logger->GetSampleRateCode())),
                                                      static_cast<short>(n));
    } else {
        m_RunInterval = logger->GetExperimentInterval(static_cast<short>(rate), static_cast<short>(n));
    }
    const double interval = m_RunInterval.m_PeriodSec;
    m_DataConversion.SetSamplePeriod(interval);

    if (mode == 3) {
        const int key = CreateDataBranch(SensorIndexTimingResult, interval, 0, 0, folder->m_Key);
        if (CDataBranch* branch = GetDataBranch(key)) {
            static const char* const s_Names[3][2] = {{"Time", "s"}, {"Velocity", "m/s"}, {"Acceleration", "m/s\u00b2"}};
            const int kind = m_pSetupInfo ? m_pSetupInfo->m_TimingMeasurement : -1;
            if (kind >= 0 && kind < 3) {
                branch->m_Name = QCoreApplication::translate("CDataManager", s_Names[kind][0]);
                branch->m_Unit = QCoreApplication::translate("CDataManager", s_Names[kind][1]);
            }
            // A collision times one cart at each gate: its results take turns, and say so.
            const int approach = m_pSetupInfo ? m_pSetupInfo->m_TimingApproach : -1;
            if (TimingMethodOf(kind, approach) == TimingMethodId::Collision)
                branch->m_Name = QCoreApplication::translate("CDataManager", "%1 (gate 1, gate 2 in turn)").arg(branch->m_Name);
            branch->m_Interval = 1.0;
            branch->m_RateCode = 0;
        }
        folder->AddBranchKey(key);
    } else {
        const CSensorInfo* catalogue = Catalogue();
        for (int p = 0; p < n; ++p) {
            if (mode == 2) {
                folder->AddBranchKey(CreateDataBranch(list[p], interval, p, 0, folder->m_Key));
                continue;
            }
            const CSesnorProperties* sensor = m_pSetupInfo ? m_pSetupInfo->GetSelectedSensor(list[p]) : nullptr;
            const CSensorParametersInfo* record = (sensor && catalogue) ? catalogue->GetSensorInfo(sensor->m_SensorIndex) : nullptr;
            if (!record || record->m_HiddenSensor) continue;
            const int measurements = std::min<int>(record->m_NumOfMeasurements, NumKeyMeasurements);
            for (int j = 0; j < measurements; ++j) {
                const CMeasurementSetup* setup = sensor->GetMeasurement(j);
                if (!setup || !setup->m_bActive) continue;
                const int key = CreateDataBranch(sensor->m_SensorIndex, interval, sensor->m_Channel, j, folder->m_Key);
                folder->AddBranchKey(key);
                if (sensor->m_Channel >= 0 && sensor->m_Channel < NumKeyChannels) keyTable[sensor->m_Channel][j] = key;
            }
        }
    }
    NameRepeatedMeasurements(folder);
    if (mode == 2) return;

    if (m_pRunServices) m_pRunServices->BindOnlineFunctions(folder->m_Key, keyTable, interval);
    // Typed X values belong to runs sampled by hand; event timing asks for none.
    if (m_pSetupInfo && m_pSetupInfo->m_bManualX && folder->m_bSampledByHand) {
        const int key = CreateDataBranch(-1, interval, -1, -1, folder->m_Key);
        if (CDataBranch* branch = GetDataBranch(key)) {
            branch->m_SensorIndex = SensorIndexManualX;
            branch->m_Name = m_pSetupInfo->m_ManualXName;
            branch->m_Unit = m_pSetupInfo->m_ManualXUnit;
            branch->m_UnitPrefix = 0;
        }
        folder->AddBranchKey(key);
    }
    CKorvantaSignals* hub = m_pRunServices ? m_pRunServices->GetSignals() : nullptr;
    if (hub) hub->SignalLoggerStartedRun();
}


void CDataManager::NameRepeatedMeasurements(CDataFolder* folder)
{
    // Two sensors of one kind (two photogates, two thermometers) would give a run two series of
    // one name and unit: each then says the port its sensor is on. A thermometer's degrees
    // Celsius and Fahrenheit share a name but not a unit, and a port would tell them nothing.
    const QVector<int> keys = folder ? folder->GetBranchKeys() : QVector<int>();
    QVector<CDataBranch*> named;
    QVector<SeriesNames::Entry> entries;
    for (int key : keys) {
        CDataBranch* branch = GetDataBranch(key);
        if (!branch || !CSensorInfo::IsValidIndex(branch->m_SensorIndex) || branch->m_Channel < 0)
            continue;
        named.append(branch);
        entries.append({branch->m_Name, branch->m_Unit, branch->m_Channel});
    }
    const QVector<QString> names = SeriesNames::TellApart(entries);
    for (int i = 0; i < named.size(); ++i)
        named[i]->m_Name = names.at(i);
}

// What the conversion reads outside itself: the setup record, the logger's run counters, the
// data store's averaging lists and the logic manager. Every index taken from a channel or a
// position is checked here, so the formulas never reach past a table.
#include "Core/Data/DataConversion.h"

#include "Core/Base/ILogger.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/RunServices.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"

bool CDataConversion::SetupPair(int entry, float& a, float& b) const
{
    if (!m_pSetupInfo || entry < 0 || entry >= CSetupInfo::NumISEChannels) return false;
    a = m_pSetupInfo->m_CalibrationPairs[entry].m_A;
    b = m_pSetupInfo->m_CalibrationPairs[entry].m_B;
    return true;
}

int CDataConversion::IseId(int position) const
{
    return m_pSetupInfo ? m_pSetupInfo->GetISEId(position) : 0;
}

bool CDataConversion::ZeroOf(int position, int index, int measurement, double& zero) const
{
    Q_UNUSED(index);
    if (!m_pSetupInfo || position < 0 || position >= m_pSetupInfo->m_SelectedSensorList.size()) return false;
    const CSesnorProperties* sensor = m_pSetupInfo->GetSelectedSensor(position);
    const CMeasurementSetup* setup = sensor ? sensor->GetMeasurement(measurement) : nullptr;
    if (!setup || !setup->m_bZero) return false;
    zero = setup->m_ZeroLevel;
    return true;
}

int CDataConversion::ActiveSensorCount() const
{
    return m_pSetupInfo ? m_pSetupInfo->GetActiveSensorsCount() : 0;
}

void CDataConversion::ResetDistanceAveraging(ILogger* logger, int channel)
{
    if (channel < 0 || channel >= CDataManager::NumPacketPositions) return;
    if (m_pDataManager) {
        m_pDataManager->m_AverageLists[channel][0].Clear();
        m_pDataManager->m_AverageXCounters[channel][0] = 0;
    }
    if (logger && logger->m_pProtocolState && channel < CLoggerProtocolState::NumPositions)
        logger->m_pProtocolState->m_MeasurementCounter[channel][0] = -1;
}

void CDataConversion::MarkDistanceCounter(ILogger* logger, int channel, long sample)
{
    if (logger && logger->m_pProtocolState && channel >= 0 && channel < CLoggerProtocolState::NumPositions)
        logger->m_pProtocolState->m_MeasurementCounter[channel][0] = sample;
}

void CDataConversion::SendStop(ILogger* logger)
{
    if (m_pRunServices) m_pRunServices->SendStopCmd(logger, true);
}

CDataBranch* CDataConversion::FetchLastRunBranch(int position) const
{
    if (!m_pDataManager || !m_pSetupInfo) return nullptr;
    const CSesnorProperties* sensor = m_pSetupInfo->GetSelectedSensor(position);
    return sensor ? m_pDataManager->GetLastFolderDataBranch(sensor->m_SensorIndex) : nullptr;
}

void CDataConversion::ReadVersion(ILogger* logger, int* version) const
{
    for (int i = 0; i < 6; ++i) version[i] = 0;
    if (logger) logger->GetVersion(version[0], version[1], version[2], version[3], version[4], version[5]);
}

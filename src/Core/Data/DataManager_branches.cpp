// Creation of data branches.
#include "Core/Data/DataManager.h"

#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"

int CDataManager::CreateDataBranch(int sensorIndex, double interval, int channel, int measurement,
                                   int ownerKey)
{
    auto* branch = new CDataBranch;
    nameFromCatalogue(branch, sensorIndex, channel, measurement);
    branch->m_SensorIndex = sensorIndex;
    branch->m_Interval = interval;
    branch->m_RateCode = setupRateCode();
    branch->m_Channel = channel;
    branch->m_Measurement = measurement;
    branch->m_OwnerKey = ownerKey;
    branch->m_Color = GetNextGlobalColor();
    // A measured series has its measurement's setup colour, the colour its curves are drawn
    // in during the run, so that every window that shows it later agrees with them.
    const CMeasurementSetup* setup =
        (m_pSetupInfo && CSensorInfo::IsValidIndex(sensorIndex)) ? m_pSetupInfo->Measurement(channel, sensorIndex, measurement)
                                                                  : nullptr;
    if (setup && setup->m_Color.isValid())
        branch->m_Color = setup->m_Color;
    branch->m_Key = takeKey();
    const int key = branch->m_Key;
    addBranch(branch);
    return key;
}

int CDataManager::setupRateCode() const
{
    return m_pSetupInfo ? m_pSetupInfo->m_RateCode : 0;
}

void CDataManager::nameFromCatalogue(CDataBranch* branch, int sensorIndex, int channel,
                                     int measurement) const
{
    // Special codes and -1 name nothing here; their creators set name and unit.
    if (!m_pCatalogue || !CSensorInfo::IsValidIndex(sensorIndex))
        return;
    const CSensorMeasuremntInfo* info = m_pCatalogue->GetMeasurementInfo(sensorIndex, measurement);
    if (!info)
        return;
    branch->m_UnitPrefix = info->m_UnitPrefix;
    branch->m_Unit = GetUnitPrefix(info->m_UnitPrefix) + info->m_Unit;
    branch->m_Name = info->m_Name;
    if (CSensorInfo::IsISEIndex(sensorIndex) && m_pSetupInfo)
        branch->m_Name = m_pCatalogue->getISEName(m_pSetupInfo->GetISEId(channel));
}

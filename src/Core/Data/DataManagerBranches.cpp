// Creation of data branches.
#include "Core/Data/DataManager.h"

#include "Core/Data/Globals.h"
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
    branch->m_Key = takeKey();
    const int key = branch->m_Key;
    m_Branches.Add(branch);
    return key;
}

int CDataManager::setupRateCode() const
{
    return m_pSetupInfo ? m_pSetupInfo->m_RateCode : 0;
}

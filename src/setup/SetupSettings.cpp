#include "setup/SetupSettings.h"

#include "Core/Data/Settings.h"

bool CFileSetupSettings::IsMeasurementActive(int channel, int measurement) const
{
    return m_pSettings && m_pSettings->IsMeasurementActive(channel, measurement);
}

void CFileSetupSettings::SetMeasurementActive(int channel, int measurement, bool active)
{
    if (m_pSettings)
        m_pSettings->SetMeasurementActive(channel, measurement, active);
}

int CFileSetupSettings::GetSensorInfoIndex(int channel) const
{
    return m_pSettings ? m_pSettings->GetSensorInfoIndex(channel) : 0;
}

void CFileSetupSettings::SetSensorInfoIndex(int channel, int index)
{
    if (m_pSettings)
        m_pSettings->SetSensorInfoIndex(channel, index);
}

void CFileSetupSettings::RestoreChannelDefaults(int channel)
{
    if (m_pSettings)
        m_pSettings->RestoreChannelDefaults(channel);
}

bool CFileSetupSettings::SaveSettings()
{
    return m_pSettings && m_pSettings->SaveSettings();
}

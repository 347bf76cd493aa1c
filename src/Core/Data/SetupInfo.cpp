#include "Core/Data/SetupInfo.h"

#include "Core/Base/Diagnostics.h"

#include <cstring>

namespace {
bool isISEInput(int catalogueIndex)
{
    return catalogueIndex == 130 || catalogueIndex == 131;
}
} // namespace

CSesnorProperties::~CSesnorProperties()
{
    qDeleteAll(m_MeasurementList);
}

int CSesnorProperties::ActiveMeasurementCount() const
{
    int n = 0;
    for (const CMeasurementSetup* m : m_MeasurementList)
        if (m && m->m_bActive)
            ++n;
    return n;
}

bool CSesnorProperties::IsActive() const
{
    return ActiveMeasurementCount() > 0;
}

CMeasurementSetup* CSesnorProperties::GetMeasurement(int index) const
{
    return (index >= 0 && index < m_MeasurementList.size()) ? m_MeasurementList.at(index) : nullptr;
}

CSetupInfo::CSetupInfo(QObject* parent) : QObject(parent)
{
    m_LoggerStatusList.append(CCurrentLoggerStatus());
}

void CSetupInfo::Reset()
{
    MyOutputDebugString("Reset() --> m_SelectedSensorList cleared", DiagGui);
    m_SelectedSensorList.clear();
    m_RateCode = 0;
    m_NumberOfSamples = -1;
    m_TriggerType = 0;
    m_TriggerChannel = -1;
    m_TriggerLevel = -1;
    m_bTriggerFalls = false;
    m_bAutoDetect = true;
    m_XAxisChannel = -1;
    m_XAxisMeasurement = -1;
    m_bXAxisDefault = true;
    m_WriteIdChannel = 0;
    m_WriteIdValue = 0;
}

int CSetupInfo::RawTriggerType() const
{
    if (!m_bTriggerFalls)
        return m_TriggerType;
    if (m_TriggerType == 1)
        return 2;
    return m_TriggerType == 2 ? 1 : m_TriggerType;
}

CSesnorProperties* CSetupInfo::GetSelectedSensor(int position) const
{
    return (position >= 0 && position < m_SelectedSensorList.size())
        ? m_SelectedSensorList.at(position) : nullptr;
}

CSesnorProperties* CSetupInfo::GetSensorProperties(int catalogueIndex) const
{
    for (CSesnorProperties* s : m_SelectedSensorList)
        if (s && s->m_SensorIndex == catalogueIndex)
            return s;
    return nullptr;
}

CMeasurementSetup* CSetupInfo::Measurement(int channel, int catalogueIndex, int measurement) const
{
    for (CSesnorProperties* s : m_SelectedSensorList)
        if (s && s->m_Channel == channel && s->m_SensorIndex == catalogueIndex)
            return s->GetMeasurement(measurement);
    return nullptr;
}

int CSetupInfo::GetISEId(int channel) const
{
    return (channel >= 0 && channel < NumISEChannels) ? m_ISEId[channel] : 0;
}

// An ISE input counts all its measurement setups once an electrode is chosen for its channel.
bool CSetupInfo::countsAllMeasurements(int position, const CSesnorProperties* sensor) const
{
    return isISEInput(sensor->m_SensorIndex) && GetISEId(position) != 0;
}

int CSetupInfo::GetActiveMeasurementCount() const
{
    int n = 0;
    for (int i = 0; i < m_SelectedSensorList.size(); ++i) {
        const CSesnorProperties* s = m_SelectedSensorList.at(i);
        if (!s)
            continue;
        if (isISEInput(s->m_SensorIndex))
            n += countsAllMeasurements(i, s) ? s->GetNumMeasurements() : 0;
        else
            n += s->ActiveMeasurementCount();
    }
    return n;
}

int CSetupInfo::GetActiveSensorsCount() const
{
    int n = 0;
    for (const CSesnorProperties* s : m_SelectedSensorList)
        if (s && s->IsActive())
            ++n;
    return n;
}

int CSetupInfo::GetNumSelectedSensors() const
{
    int n = 0;
    for (const CSesnorProperties* s : m_SelectedSensorList)
        if (s && s->m_SensorIndex != 0 && s->IsActive())
            ++n;
    return n;
}

int CSetupInfo::GetSensorListIndex(unsigned char* out) const
{
    if (!out)
        return 0;
    std::memset(out, 0, 8);
    int n = 0;
    for (int i = 0; i < m_SelectedSensorList.size() && n < 8; ++i) {
        const CSesnorProperties* s = m_SelectedSensorList.at(i);
        if (s && s->m_SensorIndex != 0 && s->IsActive())
            out[n++] = static_cast<unsigned char>(i);
    }
    return n;
}

bool CSetupInfo::ISEHasSelections() const
{
    for (int i = 0; i < m_SelectedSensorList.size(); ++i) {
        const CSesnorProperties* s = m_SelectedSensorList.at(i);
        if (s && isISEInput(s->m_SensorIndex) && s->IsActive() && GetISEId(i) == 0)
            return false;
    }
    return true;
}

bool CSetupInfo::xManualRunEnabled() const
{
    if (!m_bManualX)
        return true;
    return !m_ManualXName.isEmpty() && !m_ManualXUnit.isEmpty();
}

#include "setup/LogicQueries.h"

#include "Core/Base/ILogger.h"
#include "Core/Logic/LogicManager.h"

CSensorInfo* CLogicManagerQueries::GetSensorCatalogue()
{
    return m_pManager ? &m_pManager->m_SensorInfo : nullptr;
}

CSensorsCalibration* CLogicManagerQueries::GetCalibration()
{
    return m_pManager ? &m_pManager->m_SensorsCalibration : nullptr;
}

ILogger* CLogicManagerQueries::GetActiveLogger()
{
    if (!m_pManager || !m_pManager->m_pLoggers[0])
        return nullptr;
    for (ILogger* logger : m_pManager->m_pLoggers)
        if (logger && logger->IsConnected())
            return logger;
    return nullptr;
}

ILogger* CLogicManagerQueries::GetCurrentLogger()
{
    return m_pManager ? m_pManager->m_pDetectedLogger.load() : nullptr;
}

bool CLogicManagerQueries::IsLoggerConnected()
{
    if (!m_pManager)
        return false;
    for (ILogger* logger : m_pManager->m_pLoggers)
        if (logger && logger->IsConnected())
            return true;
    return false;
}

double CLogicManagerQueries::GetConnectedLoggerType()
{
    if (!m_pManager)
        return 0.0;
    for (ILogger* logger : m_pManager->m_pLoggers)
        if (logger && logger->IsConnected())
            return logger->GetType();
    return 0.0;
}

double CLogicManagerQueries::GetDetectedLoggerType()
{
    ILogger* logger = GetCurrentLogger();
    return logger ? logger->GetType() : 0.0;
}

bool CLogicManagerQueries::IsConnectedViaBlueThooth()
{
    // The Bluetooth link is known only to the Pelorin manager, which reports it through the
    // logic manager once that exists; a USB link is the safe answer meanwhile.
    return false;
}

bool CLogicManagerQueries::IsLoggerAllowToRun()
{
    return true;
}

ExperimentInterval CLogicManagerQueries::GetExperimentInterval(short rate, short activeSensors, short loggerType)
{
    if (!m_pManager)
        return ExperimentInterval();
    for (ILogger* logger : m_pManager->m_pLoggers)
        if (logger && short(logger->GetType()) == loggerType)
            return logger->GetExperimentInterval(rate, activeSensors);
    return ExperimentInterval();
}

void CLogicManagerQueries::ClearOnlineFunctions()
{
    // Under the table's lock: a run start on the logic thread may be binding the table.
    if (m_pManager)
        m_pManager->m_CalculateOnLineFunctions.ClearOnLineFunctions();
}

void CLogicManagerQueries::SendStopCmd()
{
    if (m_pManager)
        m_pManager->SendStopCmd(m_pManager->m_pDetectedLogger, true);
}

void CLogicManagerQueries::SendManualSampleCmd()
{
    if (m_pManager)
        m_pManager->SendManualSampleCmd(m_pManager->m_pDetectedLogger, true);
}

void CLogicManagerQueries::GetTriggeringLevels(int channel, int sensorIndex, QList<TriggerLevel>* levels,
                                               QList<TriggerLevel>* sensorLevels)
{
    if (m_pManager)
        m_pManager->GetTriggeringLevels(channel, sensorIndex, levels, sensorLevels);
}

bool CLogicManagerQueries::GetTriggeringLevel(int channel, int sensorIndex, int code, float* level)
{
    return m_pManager && m_pManager->GetTriggeringLevel(channel, sensorIndex, code, level);
}

float CLogicManagerQueries::ConvertDataSample(int channel, int position, int index, int measurement, int raw)
{
    return m_pManager ? m_pManager->ConvertDataSample(channel, position, index, measurement, raw) : 0.0f;
}

bool CLogicManagerQueries::HoldSetupForReturn()
{
    return m_pManager && m_pManager->HoldSetupForReturn();
}

bool CLogicManagerQueries::IsSetupHeld()
{
    return m_pManager && m_pManager->IsSetupHeld();
}

CLoggerSetupHold::Verdict CLogicManagerQueries::ClaimHeldSetup(const CLoggerIdentity& found, QStringList* droppedFunctions)
{
    if (m_pManager)
        return m_pManager->ClaimHeldSetup(found, droppedFunctions);
    if (droppedFunctions)
        droppedFunctions->clear();
    return CLoggerSetupHold::Verdict::NothingHeld;
}

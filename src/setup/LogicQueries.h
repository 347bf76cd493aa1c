#pragma once
// The questions the setup and the shell ask of the logic layer, and the few commands they send
// through it. The real implementation answers from the logic manager; tests use it over fake
// loggers or replace it.
#include "Core/Base/CommandParameters.h"
#include "Core/Base/ExperimentInterval.h"
#include "Core/Logic/LoggerSetupHold.h"

#include <QList>
#include <QStringList>

class CSensorInfo;
class CSensorsCalibration;
class ILogger;
class CLogicManager;

class ILogicQueries
{
public:
    virtual ~ILogicQueries() = default;
    virtual CSensorInfo* GetSensorCatalogue() = 0;
    virtual CSensorsCalibration* GetCalibration() = 0;
    // The first slot whose logger reports a connection; null when none.
    virtual ILogger* GetActiveLogger() = 0;
    // The logger that stop, manual-sample and download commands go to.
    virtual ILogger* GetCurrentLogger() = 0;
    virtual bool IsLoggerConnected() = 0;
    virtual double GetConnectedLoggerType() = 0;
    virtual double GetDetectedLoggerType() = 0;
    virtual bool IsConnectedViaBlueThooth() = 0;
    virtual bool IsLoggerAllowToRun() = 0;
    virtual ExperimentInterval GetExperimentInterval(short rate, short activeSensors, short loggerType) = 0;
    virtual void ClearOnlineFunctions() = 0;
    virtual void SendStopCmd() = 0;
    virtual void SendManualSampleCmd() = 0;
    // The trigger thresholds offered for a sensor on a setup channel, appended to the list;
    // sensorLevels as in CLogicManager::GetTriggeringLevels.
    virtual void GetTriggeringLevels(int, int, QList<TriggerLevel>*, QList<TriggerLevel>* sensorLevels = nullptr)
    {
        (void)sensorLevels;
    }
    // The value one trigger code of that sensor reads as now; false when there is none.
    virtual bool GetTriggeringLevel(int, int, int, float*) { return false; }
    // One raw reading of a channel in the unit of a measurement of its sensor.
    virtual float ConvertDataSample(int, int, int, int, int) { return 0.0f; }
    // The teacher's setup across the logger's departures (CLoggerSetupHold): held for its
    // return when it goes (false: no logger of its own to wait for), then given back or
    // dropped by the first status of the logger found next (droppedFunctions, when given: the
    // online functions that went with it).
    virtual bool HoldSetupForReturn() { return false; }
    virtual bool IsSetupHeld() { return false; }
    virtual CLoggerSetupHold::Verdict ClaimHeldSetup(const CLoggerIdentity&, QStringList* droppedFunctions)
    {
        if (droppedFunctions)
            droppedFunctions->clear();
        return CLoggerSetupHold::Verdict::NothingHeld;
    }
};

// Answers from the logic manager's logger slots.
class CLogicManagerQueries : public ILogicQueries
{
public:
    explicit CLogicManagerQueries(CLogicManager* manager) : m_pManager(manager) {}

    CSensorInfo* GetSensorCatalogue() override;
    CSensorsCalibration* GetCalibration() override;
    ILogger* GetActiveLogger() override;
    ILogger* GetCurrentLogger() override;
    bool IsLoggerConnected() override;
    double GetConnectedLoggerType() override;
    double GetDetectedLoggerType() override;
    bool IsConnectedViaBlueThooth() override;
    bool IsLoggerAllowToRun() override;
    ExperimentInterval GetExperimentInterval(short rate, short activeSensors, short loggerType) override;
    void ClearOnlineFunctions() override;
    void SendStopCmd() override;
    void SendManualSampleCmd() override;
    void GetTriggeringLevels(int channel, int sensorIndex, QList<TriggerLevel>* levels,
                             QList<TriggerLevel>* sensorLevels = nullptr) override;
    bool GetTriggeringLevel(int channel, int sensorIndex, int code, float* level) override;
    float ConvertDataSample(int channel, int position, int index, int measurement, int raw) override;
    bool HoldSetupForReturn() override;
    bool IsSetupHeld() override;
    CLoggerSetupHold::Verdict ClaimHeldSetup(const CLoggerIdentity& found, QStringList* droppedFunctions) override;

private:
    CLogicManager* m_pManager;
};

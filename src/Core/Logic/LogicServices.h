#pragma once
// What the loggers' rooms and the device detection need of the logic manager: the objects it
// owns (the setup record, the data store, the catalogue, the settings, the hub) and the few
// services it gives them. The rooms see the logic manager through this alone, so that it
// stands above them and never beside them; CLogicManager implements it.
#include "Core/Base/ExperimentRunMode.h"
#include "Core/Base/LoggerModel.h"

#include <QList>
#include <QString>

class CDataManager;
class CKorvantaSignals;
class CSensorInfo;
class CSettings;
class CSetupInfo;
class ILogger;
class ILoggerFace;
class ILogicContext;
class QObject;

class ILogicServices
{
public:
    // ---- what the logic manager owns
    // The object that lives on the interface thread: work handed over to that thread is queued
    // to it.
    virtual QObject* InterfaceObject() = 0;
    virtual CKorvantaSignals* GetSignals() const = 0;
    virtual ILogicContext* GetContext() const = 0;
    virtual CSetupInfo* GetSetupInfo() const = 0;
    virtual ExperimentRunMode GetCurrentRunMode() const = 0;
    virtual CDataManager& DataStore() = 0;
    virtual CSensorInfo& SensorCatalogue() = 0;
    virtual CSettings& LoggerSettings() = 0;
    virtual QString GetFirmwareFileName() const = 0;

    // ---- what a logger tells it
    // The logger said what it is: it becomes the detected logger and its model the detected
    // model (a null logger changes the model alone).
    virtual void LoggerIdentified(ILogger* logger, LoggerModel model) = 0;
    virtual void SetTables(ILogger* logger) = 0;
    virtual void UpdateSenosrsInfo(ILogger* logger) = 0;
    virtual void UpdateSetupInfoFromCore(ILogger* logger, const QList<int>* channelStatus = nullptr) = 0;
    virtual void KeepAliveReplied() = 0;
    virtual void WaitHere(int ms) = 0;
    // A run started: the run counter goes up (a timing run keeps its number); the new count.
    virtual int CountRun(bool timingRun) = 0;
    virtual int RunCount() const = 0;
    // The run counted last is a timing run: its number is kept as the last timing run's.
    virtual void MarkTimingRun() = 0;
    // The relay state kept for loggers with a control relay.
    virtual bool IsControlRelayOn() const = 0;
    virtual void SetControlRelay(bool on) = 0;

    // ---- what the device detection asks and reports
    virtual bool IsShutDown() const = 0;
    virtual bool IsLoggerConnected() = 0;
    virtual bool IsLoggerRunning() = 0;
    virtual bool IsLoggerOnFirmwareUpdate() = 0;
    virtual QString GetConnectedPortName() = 0;
    // The face of the connected logger; null when none is connected or it has not said what it is.
    virtual ILoggerFace* ConnectedFace() = 0;
    // The live faces of the loggers (their managers), in the order a search tries them.
    virtual QList<ILoggerFace*> LiveFaces() const = 0;
    // Detection found a device of this logger: the logger becomes the one detected.
    virtual void LoggerFound(ILoggerFace* face) = 0;
    virtual void StartLoggersDetection() = 0;
    virtual void CancelLoggersDetection() = 0;

protected:
    ~ILogicServices() = default;
};

// The logic manager of the running program (null before it is made and after it is gone).
ILogicServices* CurrentLogicServices();

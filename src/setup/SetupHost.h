#pragma once
// What the setup controller needs of the window manager that owns it.
#include "Core/Base/ExperimentRunMode.h"

class CKorvantaSignals;
class ILogicQueries;
class IPrompter;
class ISetupSettings;
class QObject;

class ISetupHost
{
public:
    virtual ~ISetupHost() = default;
    virtual CKorvantaSignals* GetSignals() const = 0;
    virtual ILogicQueries* GetLogicQueries() const = 0;
    virtual ISetupSettings* GetSetupSettings() const = 0;
    // The object whose slots take the setup's logger requests; null when there is none.
    virtual QObject* GetLogicManagerObject() const = 0;
    virtual bool IsLoggerDetected() const = 0;
    // Where the setup's notices go; null: the shell's prompter.
    virtual IPrompter* GetPrompter() const { return nullptr; }
    virtual ExperimentRunMode GetCurrentRunMode() const = 0;
    virtual void SetRunButtonEnabled(bool enabled) = 0;
    virtual void ShowRunManualButton(bool show) = 0;
    // Blocks the caller for ms milliseconds while events keep being handled (a local event
    // loop), so a logger's late replies still arrive.
    virtual void WaitWhileHandlingEvents(int ms);
};

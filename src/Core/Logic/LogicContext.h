#pragma once
// What the logic layer needs of the windows above it, without reaching into them: the signal
// hub (created by the window manager), the main window's run mode and a few requests to the
// shell. The application implements it; tests use fakes.
#include "Core/Base/ExperimentRunMode.h"

#include <QCoreApplication>

class CKorvantaSignals;
class CSetupInfo;

class ILogicContext
{
public:
    virtual ~ILogicContext() = default;
    virtual CKorvantaSignals* GetSignals() = 0;
    // A context that keeps a setup record of its own (a test bench, a benchmark) hands it to the
    // logic manager with itself. In the program the record belongs to the setup window, whose
    // owner hands it over (CLogicManager::SetSetupInfo).
    virtual CSetupInfo* GetSetupInfo() = 0;
    virtual ExperimentRunMode GetCurrentRunMode() = 0;

    // Ends the application (the exit that waited for a logger detection to finish).
    virtual void QuitApplication() { QCoreApplication::exit(0); }
    // Whether the window manager holds a detected logger (asked when a reconnection after a
    // firmware update times out).
    virtual bool IsLoggerDetected() { return false; }
    // Stops the setup controller's polling timers (a logger announced its shutdown).
    virtual void StopSetupTimers() {}
};

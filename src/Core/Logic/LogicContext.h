#pragma once
// What the logic layer needs of the windows above it, without reaching into them: the signal
// hub (created by the window manager), the current setup record (owned by the setup
// controller) and the main window's run mode. The application implements it; tests use fakes.
class CKorvantaSignals;
class CSetupInfo;

class ILogicContext
{
public:
    virtual ~ILogicContext() = default;
    virtual CKorvantaSignals* GetSignals() = 0;
    virtual CSetupInfo* GetSetupInfo() = 0;
    // 0 normal sampling, 1 timing run.
    virtual int GetCurrentRunMode() = 0;
};

#pragma once
// Scripted stand-ins for the logic layer's tests: the shared fake logger, and the context the
// shell gives the logic manager.
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicContext.h"
#include "common/FakeLogger.h"

class CFakeLogicContext : public ILogicContext
{
public:
    CKorvantaSignals m_Hub{nullptr};
    CSetupInfo m_Setup{nullptr};
    int m_RunMode = 0;
    int m_Quits = 0;
    int m_SetupTimerStops = 0;
    bool m_bLoggerDetected = false;

    CKorvantaSignals* GetSignals() override { return &m_Hub; }
    CSetupInfo* GetSetupInfo() override { return &m_Setup; }
    ExperimentRunMode GetCurrentRunMode() override { return ExperimentRunMode(m_RunMode); }
    void QuitApplication() override { ++m_Quits; }
    bool IsLoggerDetected() override { return m_bLoggerDetected; }
    void StopSetupTimers() override { ++m_SetupTimerStops; }
};

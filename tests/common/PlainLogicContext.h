#pragma once
// The plainest logic context for tests and benchmarks that drive the core directly: a hub of its
// own, a setup record of its own, free-running mode.
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicContext.h"

class CPlainLogicContext : public ILogicContext
{
public:
    CKorvantaSignals m_Hub{nullptr};
    CSetupInfo m_Setup{nullptr};
    CKorvantaSignals* GetSignals() override { return &m_Hub; }
    CSetupInfo* GetSetupInfo() override { return &m_Setup; }
    ExperimentRunMode GetCurrentRunMode() override { return ExperimentRunMode::Sampling; }
};

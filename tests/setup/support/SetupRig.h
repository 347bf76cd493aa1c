#pragma once
// The setup controller on a test bench: a host standing in for the window manager, a real
// logic manager with one fake logger and in-memory settings.
#include "common/FakeLogger.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/LogicManager.h"
#include "setup/LogicQueries.h"
#include "setup/SetupHost.h"
#include "setup/SetupSettings.h"
#include "setup/SetupWindow.h"

#include <QMdiArea>
#include <QWidget>

// The logic manager's answers, with the trigger thresholds scripted when a test sets them.
class CRigQueries : public CLogicManagerQueries
{
public:
    using CLogicManagerQueries::CLogicManagerQueries;
    void GetTriggeringLevels(int channel, int sensorIndex, QList<TriggerLevel>* levels,
                             QList<TriggerLevel>* sensorLevels = nullptr) override
    {
        if (m_bScripted && levels)
            levels->append(m_Levels);
        else
            CLogicManagerQueries::GetTriggeringLevels(channel, sensorIndex, levels, sensorLevels);
    }
    // Level k in the unit 0.5 k, with the code 4095 - 64 k.
    void scriptLevels(int count)
    {
        m_bScripted = true;
        m_Levels.clear();
        for (int k = 0; k < count; ++k)
            m_Levels.append(TriggerLevel{4095 - 64 * k, 0.5f * float(k)});
    }
    bool m_bScripted = false;
    QList<TriggerLevel> m_Levels;
};

// The logic manager's way to the setup record, apart from the rig: on a window area that is
// also a child-window host, a GetSetupInfo declared in the rig would hide the host's own.
class CRigLogicContext : public ILogicContext
{
public:
    CSetupInfo* GetSetupInfo() override { return m_pController ? m_pController->getSetupInfo() : nullptr; }

    // Null until the rig has made its controller: the logic manager, built first, asks for the
    // record while it is built.
    CSetupWindow* m_pController = nullptr;
};

// On a plain widget the controller keeps the record alone; on a window area it makes its
// setup windows there.
template <class Base> class CFakeSetupHostOn : public Base, public ISetupHost, public CRigLogicContext
{
public:
    CFakeSetupHostOn() : m_Logic(nullptr, this), m_Queries(&m_Logic)
    {
        m_Logic.m_SensorInfo.LoadSensorInfo();
        m_pController = new CSetupWindow(this);
        m_Logic.SetContext(this);
    }
    ~CFakeSetupHostOn() override
    {
        m_Logic.m_pLoggers[0] = nullptr;
        m_Logic.m_pDetectedLogger = nullptr;
        delete m_pController;
    }
    void plugLogger(double type)
    {
        m_Logger.m_Type = type;
        m_Logic.m_pLoggers[0] = &m_Logger;
        m_Logic.m_pDetectedLogger = &m_Logger;
        m_bDetected = true;
    }

    CKorvantaSignals* GetSignals() const override { return const_cast<CKorvantaSignals*>(&m_Hub); }
    ILogicQueries* GetLogicQueries() const override { return const_cast<CRigQueries*>(&m_Queries); }
    ISetupSettings* GetSetupSettings() const override { return const_cast<CMemorySetupSettings*>(&m_Settings); }
    QObject* GetLogicManagerObject() const override { return nullptr; }
    bool IsLoggerDetected() const override { return m_bDetected; }
    ExperimentRunMode GetCurrentRunMode() const override { return ExperimentRunMode(m_RunMode); }
    void SetRunButtonEnabled(bool enabled) override { m_RunButtonEnabled = enabled ? 1 : 0; }
    void ShowRunManualButton(bool show) override { m_ManualShown = show ? 1 : 0; }
    void WaitWhileHandlingEvents(int ms) override { m_Waits << ms; }
    CKorvantaSignals* GetSignals() override { return &m_Hub; }
    ExperimentRunMode GetCurrentRunMode() override { return ExperimentRunMode(m_RunMode); }
    bool IsLoggerDetected() override { return m_bDetected; }

    CSetupInfo& setup() { return *m_pController->getSetupInfo(); }
    // Sets the status the logger reported: one catalogue index (and port) per channel.
    void setStatus(const QList<int>& indices, bool autoDetect = true)
    {
        CCurrentLoggerStatus status;
        for (int i = 0; i < indices.size(); ++i)
            status.m_SensorList.append(CLoggerChannel(10 + i, indices.at(i)));
        status.m_bAutoDetect = autoDetect;
        setup().m_LoggerStatusList = {status};
    }

    CKorvantaSignals m_Hub;
    CFakeLogger m_Logger;
    CLogicManager m_Logic;
    CRigQueries m_Queries;
    CMemorySetupSettings m_Settings;
    bool m_bDetected = false;
    int m_RunMode = 0;
    int m_RunButtonEnabled = -1;
    int m_ManualShown = -1;
    QList<int> m_Waits;
};

using CFakeSetupHost = CFakeSetupHostOn<QWidget>;
using CFakeAreaSetupHost = CFakeSetupHostOn<QMdiArea>;

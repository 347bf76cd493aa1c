#pragma once
// A window manager on a test bench: a frame with a Run button, a real logic manager with one
// fake logger in its first slot, in-memory settings and a prompter that answers for the user.
#include "app/shell/CustomRunButton.h"
#include "app/shell/ShellFrame.h"
#include "app/shell/WindowsManager.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicContext.h"
#include "Core/Logic/LogicManager.h"
#include "common/FakeLogger.h"
#include "common/ScriptedPrompter.h"
#include "setup/LogicQueries.h"
#include "setup/SetupSettings.h"
#include "setup/SetupWindow.h"

#include <QWidget>

class CFakeFrame : public QWidget, public IShellFrame, public ILogicContext
{
    Q_OBJECT
public:
    CFakeFrame()
    {
        m_Button.init();
        m_Button.AddManualButton();
    }
    CustomRunButton* GetRunButton() override { return &m_Button; }
    ExperimentRunMode GetCurrentRunMode() const override { return ExperimentRunMode(m_RunMode); }
    void SetCurrentRunMode(ExperimentRunMode mode) override { m_RunMode = int(mode); }
    void HideModallesMsgBox() override { ++m_Hides; }
    CKorvantaSignals* GetSignals() override { return m_pManager ? m_pManager->GetSignals() : nullptr; }
    CSetupInfo* GetSetupInfo() override
    {
        return m_pManager ? m_pManager->GetSetupWindow()->getSetupInfo() : nullptr;
    }
    ExperimentRunMode GetCurrentRunMode() override { return ExperimentRunMode(m_RunMode); }

    CustomRunButton m_Button;
    CWindowsManager* m_pManager = nullptr;
    int m_RunMode = 0;
    int m_Hides = 0;
    QStringList m_Messages;

public slots:
    void showModelessMessage(QString title, QString text, bool withBtn)
    {
        m_Messages << title + "|" + text + "|" + (withBtn ? "1" : "0");
    }
};

struct CShellRig
{
    CShellRig()
        : manager(&frame), logic(nullptr, &frame), queries(&logic)
    {
        frame.m_pManager = &manager;
        manager.SetFrame(&frame);
        manager.SetLogicQueries(&queries);
        manager.SetSetupSettings(&settings);
        manager.SetPrompter(&prompter);
        logic.SetContext(&frame);
        logic.m_SensorInfo.LoadSensorInfo();
        logic.m_pLoggers[0] = &logger;
        logic.m_pDetectedLogger = &logger;
        manager.resize(900, 600);
        manager.init();
    }
    ~CShellRig()
    {
        logic.m_pLoggers[0] = nullptr;
        logic.m_pDetectedLogger = nullptr;
    }
    CustomRunButton& button() { return frame.m_Button; }
    CSetupInfo& setup() { return *manager.GetSetupWindow()->getSetupInfo(); }
    CSetupWindow& controller() { return *manager.GetSetupWindow(); }
    int state() { return frame.m_Button.RunControlState; }
    CKorvantaSignals& hub() { return *manager.GetSignals(); }

    CScriptedPrompter prompter;
    CFakeFrame frame;
    CWindowsManager manager;
    CFakeLogger logger;
    CLogicManager logic;
    CLogicManagerQueries queries;
    CMemorySetupSettings settings;
};

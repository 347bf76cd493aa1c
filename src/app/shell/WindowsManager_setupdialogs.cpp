// The setup dialogs the window manager opens itself: the sampling-mode dialog of the main
// window's mode button and the next X value of a manual-X run.
#include "app/shell/WindowsManager.h"

#include "windowbase/Prompter.h"
#include "app/shell/ShellFrame.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/SetupInfo.h"
#include "setup/ExperimentModeDialog.h"
#include "setup/ManualXValueDialog.h"
#include "setup/SetupWindow.h"

void CWindowsManager::OnExperimentModeButton()
{
    // One dialog at a time: a second press brings the open one forward.
    if (m_pExperimentModeDialog) {
        m_pExperimentModeDialog->raise();
        m_pExperimentModeDialog->activateWindow();
        return;
    }
    const int count = TimingCapableChannels(true);
    CSetupInfo* setup = m_pSetupWindow ? m_pSetupWindow->getSetupInfo() : nullptr;
    auto* dialog = new CExperimentModeDialog(this);
    dialog->setPrompter(prompter());
    dialog->setModal(true);
    m_pExperimentModeDialog = dialog;
    m_bExperimentModeDialogOpen = true;
    if (setup) {
        dialog->measurement = setup->m_TimingMeasurement;
        dialog->method = setup->m_TimingApproach;
        dialog->width = float(setup->m_TimingWidth);
        dialog->distance = float(setup->m_TimingDistance);
    }
    dialog->status = count;
    // The dialog numbers its modes as the run mode does.
    connect(dialog, &CExperimentModeDialog::runModeAccepted, this, [this](int mode) {
        if (m_pFrame)
            m_pFrame->SetCurrentRunMode(static_cast<ExperimentRunMode>(mode));
    });
    connect(dialog, &CExperimentModeDialog::experimentModeClosed, this, &CWindowsManager::AcceptExperimentMode);
    dialog->Init(static_cast<int>(GetCurrentRunMode()));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->UpdateStatus(count);
    dialog->show();
}

void CWindowsManager::AcceptExperimentMode(bool acceptted)
{
    CExperimentModeDialog* dialog = m_pExperimentModeDialog;
    CSetupInfo* setup = m_pSetupWindow ? m_pSetupWindow->getSetupInfo() : nullptr;
    if (acceptted && dialog && setup) {
        setup->m_TimingMeasurement = dialog->measurement;
        setup->m_TimingApproach = dialog->method;
        setup->m_TimingWidth = double(dialog->width);
        setup->m_TimingDistance = double(dialog->distance);
    }
    if (dialog)
        dialog->deleteLater();
    m_pExperimentModeDialog = nullptr;
    m_bExperimentModeDialogOpen = false;
    // The summary tells what the next run will do, in the mode and with the timing now chosen.
    if (m_pSetupWindow)
        m_pSetupWindow->refreshSummary();
}

bool CWindowsManager::askManualXValue()
{
    CSetupInfo* setup = m_pSetupWindow->getSetupInfo();
    CManualXValueDialog dialog(this);
    dialog.setPrompter(prompter());
    dialog.setValueTitle(setup->m_ManualXName);
    // A box without a title would show the executable's name in lower case.
    dialog.setWindowTitle(window()->windowTitle());
    if (prompter()->runDialog(&dialog) != QDialog::Accepted)
        return false;
    setup->m_ManualXValue = dialog.getValue();
    // The store gives it to the run's next reading without a value.
    if (CDataManager* data = GetDataManager())
        data->AddManualXValue(setup->m_ManualXValue);
    return true;
}

CExperimentModeDialog* CWindowsManager::experimentModeDialog() const
{
    return m_pExperimentModeDialog;
}

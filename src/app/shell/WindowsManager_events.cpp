// The window manager's answers to logger reports other than run control: downloads and
// firmware updates in the shared progress dialog, the boot-loader, the logger status that
// keeps the sampling mode consistent, and the logger commands Connect and Download.
#include "app/shell/WindowsManager.h"

#include "Core/Logic/LoggerKinds.h"
#include "app/shell/ShellFrame.h"
#include "app/shell/ShellServices.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "setup/ExperimentModeDialog.h"
#include "setup/LogicQueries.h"
#include "setup/SetupWindow.h"

#include <QProgressDialog>

namespace {
const int s_TimingCatalogueIndex = 2;
const int s_PhotogateSensorId = 76;
const int s_DualSensorId = 74;
} // namespace

void CWindowsManager::connectShellEvents()
{
    // A logger that goes away ends whatever download the dialog was showing; a firmware update
    // sees the logger leave and come back on its way, and ends with its own result.
    connect(m_pSignals, &CKorvantaSignals::LoggerDisconnected, this, [this] {
        if (!(m_pShellLogic && m_pShellLogic->IsFirmwareUpdateUnderWay()))
            hideProgress();
    });
    connect(m_pSignals, &CKorvantaSignals::LoggerStoppedAnswering, this, &CWindowsManager::loggerStoppedAnswering);
}

void CWindowsManager::loggerStoppedAnswering()
{
    if (m_pFrame)
        m_pFrame->OfferToConnect(tr("The logger stopped answering. Check that it is switched on and plugged in, "
                                    "then connect to it again. The setup is kept for it."));
}

void CWindowsManager::hideProgress()
{
    if (!m_pProgressDialog)
        return;
    // A progress dialog that was given a value shows itself after its minimum duration unless
    // it is reset; hiding alone would let it come back.
    m_pProgressDialog->reset();
    m_pProgressDialog->hide();
    if (m_bProgressCancelOffered) {
        m_bProgressCancelOffered = false;
        m_pProgressDialog->setCancelButton(nullptr);
        m_pProgressDialog->setFixedHeight(s_ProgressHeight);
    }
}

void CWindowsManager::offerFirmwareWaitCancel()
{
    const bool offer = m_pShellLogic && m_pShellLogic->IsWaitingForUpdatedLogger();
    if (!m_pProgressDialog || offer == m_bProgressCancelOffered)
        return;
    m_bProgressCancelOffered = offer;
    if (offer)
        m_pProgressDialog->setCancelButtonText(tr("Cancel"));
    else
        m_pProgressDialog->setCancelButton(nullptr);
    // The dialog lays its parts out when it is resized: its fixed height grows by the button's
    // row, or the button would sit over its top corner.
    m_pProgressDialog->setFixedHeight(offer ? s_ProgressHeight + s_ProgressButtonRow : s_ProgressHeight);
}

void CWindowsManager::onProgressCanceled()
{
    if (!(m_pShellLogic && m_pShellLogic->IsWaitingForUpdatedLogger()))
        return;
    m_pShellLogic->StopWaitingForUpdatedLogger();
    hideProgress();
    if (m_pSignals)
        m_pSignals->SignalGuiModallessMsg(tr("Firmware update"),
                                          tr("The new firmware was written; the program no longer waits for the "
                                             "logger. Once it has restarted, connect it with Logger > Connect."),
                                          true);
}

void CWindowsManager::LoggerBootLoaderFinshed(int result)
{
    // A failed update sends no 100 percent step, and the dialog would otherwise stay on screen
    // for good. After a good transfer the logger restarts with its new firmware: the dialog
    // stays until it is found again ("Update successful.") or the wait for it gives up, and
    // meanwhile offers to give that wait up.
    if (result != 0) {
        offerFirmwareWaitCancel();
        return;
    }
    hideProgress();
    // A logger that is still connected (one that took no update) is polled again.
    if (m_pSetupWindow)
        m_pSetupWindow->stopTimers(false);
}

void CWindowsManager::FirmwareUpdateFailed()
{
    hideProgress();
}

void CWindowsManager::onLoggerConnect()
{
    if (m_pLogic && m_pLogic->IsLoggerConnected())
        return;
    if (m_pShellLogic)
        m_pShellLogic->StartLoggersDetection();
}

void CWindowsManager::onDownload()
{
    if (m_pShellLogic)
        m_pShellLogic->SendDownloadCmd();
}

int CWindowsManager::TimingCapableChannels(bool forDialog) const
{
    const CSetupInfo* setup = m_pSetupWindow ? m_pSetupWindow->getSetupInfo() : nullptr;
    // No logger has reported yet: nothing can time.
    if (!setup || setup->m_LoggerStatusList.isEmpty())
        return 0;
    const CCurrentLoggerStatus& status = setup->m_LoggerStatusList.first();
    const CSensorInfo* catalogue = m_pLogic ? m_pLogic->GetSensorCatalogue() : nullptr;
    using EventTiming = ILoggerFace::EventTiming;
    const EventTiming timing = LoggerFaceOf(LoggerModelOf(m_ConnectedLoggerType)).TimesEvents();
    int count = 0;
    for (int i = 0; i < status.m_SensorList.size(); ++i) {
        const int index = status.m_SensorList.at(i).m_SensorIndex;
        if (timing == EventTiming::TimerInput) {
            count += index == s_TimingCatalogueIndex ? 1 : 0;
            continue;
        }
        if (!forDialog && timing != EventTiming::Photogates)
            continue;
        const int id = (catalogue && CSensorInfo::IsValidIndex(index)) ? catalogue->m_Sensors[index].m_SensorId : -1;
        const CSesnorProperties* selected = i < setup->m_SelectedSensorList.size() ? setup->m_SelectedSensorList.at(i)
                                                                                     : nullptr;
        if (!forDialog && !(selected && selected->IsActive()))
            continue;
        if (id == s_PhotogateSensorId
            || (id == s_DualSensorId && selected && selected->m_SensorIndex == s_TimingCatalogueIndex))
            ++count;
    }
    return count;
}

void CWindowsManager::OnLoggerStatusArrived(int)
{
    const int count = TimingCapableChannels(false);
    if (m_pExperimentModeDialog && m_pExperimentModeDialog->isActiveWindow())
        m_pExperimentModeDialog->UpdateStatus(count);
    // Event timing without a channel able to time falls back to automatic sampling.
    if (count == 0 && GetCurrentRunMode() == ExperimentRunMode::Timing && m_pFrame) {
        m_pFrame->SetCurrentRunMode(ExperimentRunMode::Sampling);
        if (m_pSetupWindow)
            m_pSetupWindow->refreshSummary();
    }
}

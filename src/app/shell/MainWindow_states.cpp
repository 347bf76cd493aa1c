// The enabled and checked states of the main window's commands, recomputed every 500 ms from
// the flags of the window manager, the setup, the logic layer and the upload object.
#include "app/shell/MainWindow.h"

#include "Core/Logic/LoggerKinds.h"
#include "app/shell/CustomRunButton.h"
#include "app/shell/HistoryWindow.h"
#include "app/shell/ShellServices.h"
#include "graph/GraphWindow.h"
#include "setup/LogicQueries.h"
#include "setup/SetupWindow.h"

#include <QApplication>
#include <QPushButton>

QHash<int, bool> MainWindow::ComputeActionStates(const ActionInputs& in)
{
    QHash<int, bool> on;
    const bool busy = in.runInProgress || in.videoTracking;
    on[24] = in.videoWindows < 4;
    on[1] = on[2] = !busy;
    on[7] = on[9] = !in.historyEmpty && !busy;
    on[8] = in.hasDataToSave && !busy;
    for (int key : {28, 32, 33, 36, 37, 38, 39})
        on[key] = in.hasGraph && !busy && in.graphFunctions;
    on[16] = !busy && in.loggerDetected && LoggerFaceOf(LoggerModelOf(in.loggerType)).CanDownload();
    on[17] = !busy && !in.loggerDetected;
    on[18] = !busy && !in.bluetooth && (in.controlHeld || in.loggerDetected);
    if (in.uploadPresent) {
        on[51] = !busy;
        on[52] = in.loggedIn && !in.uploading && !busy;
        on[53] = in.uploading;
        on[54] = in.loggedIn && !busy;
    }
    for (int key = 11; key <= 15; ++key)
        on[key] = !busy;
    return on;
}

MainWindow::ActionInputs MainWindow::currentActionInputs() const
{
    const CWindowsManager& wm = m_WindowsManager;
    ActionInputs in;
    in.runButtonAllowed = runAllowed();
    in.runInProgress = wm.isRunInProgress();
    in.videoTracking = wm.isVideoTracking();
    in.loggerDetected = wm.IsLoggerDetected();
    in.loggerType = wm.connectedLoggerType();
    in.bluetooth = wm.isConnectedViaBluetooth();
    in.controlHeld = QApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
    in.historyEmpty = !wm.GetHistoryWindow() || wm.GetHistoryWindow()->isEmpty();
    in.hasDataToSave = wm.hasDataToSave();
    in.hasGraph = wm.GetCurrent(CWindowsManager::GraphKind) != nullptr;
    const auto* graph = qobject_cast<const CGraphWindow*>(wm.GetCurrent(CWindowsManager::GraphKind));
    in.graphFunctions = graph && graph->EnableFunctions();
    in.videoWindows = wm.videoWindowsCount();
    if (IUploadService* upload = wm.GetUploadService()) {
        in.uploadPresent = true;
        in.loggedIn = upload->IsLoggedIn();
        in.uploading = upload->IsUploading();
    }
    return in;
}

bool MainWindow::commandAvailable(MultiActionKeyType key) const
{
    const CWindowsManager& wm = m_WindowsManager;
    switch (key) {
    case 1: case 2: case 8: case 9:
        return wm.GetWorkspaceFiles() != nullptr;
    case 16:
        return m_pShellLogic != nullptr;
    case 17:
        return m_pShellLogic && m_pShellLogic->CanDetect();
    case 18:
        return m_pShellLogic && m_pShellLogic->CanUpdateFirmware();
    case 21: case 22: case 23: case 24: case 25: case 26:
        return true;
    case 51: case 52: case 53: case 54:
        return wm.GetUploadService() != nullptr;
    default:
        return true;
    }
}

void MainWindow::applyActionStates(const QHash<int, bool>& states)
{
    for (auto it = states.constBegin(); it != states.constEnd(); ++it) {
        // Without an upload object the online entries keep the state they have.
        const bool enabled = it.value() && commandAvailable(it.key());
        for (MultiAction* action : actionsWithKey(it.key()))
            action->setEnabled(enabled);
    }
}

void MainWindow::updateActions()
{
    const ActionInputs in = currentActionInputs();
    // The Run button stays live during a run (it stops it), except while a start or an end
    // is being confirmed.
    const bool run = in.runButtonAllowed;
    if (m_pRunButton->isEnabled() != run) {
        // A start that may be given up by a press keeps its button, whatever the rule says.
        const bool keep = m_pRunButton->RunControlState == RunControl::StartSent && m_pRunButton->isPlaying();
        if (!keep)
            m_pRunButton->setEnabled(run);
    }
    m_pExperimentModeButton->setEnabled(run);

    if (MultiAction* history = findAction(19))
        history->setChecked(m_WindowsManager.GetHistoryWindow() && m_WindowsManager.GetHistoryWindow()->m_bHistoryShown);
    if (MultiAction* setup = findAction(20))
        setup->setChecked(m_WindowsManager.GetSetupWindow() && m_WindowsManager.GetSetupWindow()->m_bSetupShown);
    if (MultiAction* align = findAction(27))
        align->setChecked(m_WindowsManager.AlignToGrid());
    applyActionStates(ComputeActionStates(in));
}

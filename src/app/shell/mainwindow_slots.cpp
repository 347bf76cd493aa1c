// The main window at run time: command states, notices, the run mode, keep-awake and exit.
#include "app/shell/MainWindow.h"

#include "app/shell/CustomRunButton.h"
#include "app/shell/Prompter.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicManager.h"
#include "platform/KeepAwake.h"
#include "setup/LogicQueries.h"
#include "setup/SetupWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

void MainWindow::showModelessMessage(QString title, QString text, bool withBtn)
{
    m_pModelessMsgBox->setWindowTitle(title.isEmpty() ? QStringLiteral("Pavix") : title);
    m_pModelessMsgBox->setText(text);
    m_pModelessMsgBox->setStandardButtons(withBtn ? QMessageBox::Ok : QMessageBox::NoButton);
    m_pModelessMsgBox->show();
}

void MainWindow::HideModallesMsgBox()
{
    if (m_pModelessMsgBox->isVisible())
        m_pModelessMsgBox->hide();
}

void MainWindow::SetCurrentRunMode(int mode)
{
    m_RunMode = mode;
    m_pRunButton->SetCurrentRunMode(mode);
    m_pRunButton->update();
}

bool MainWindow::runAllowed() const
{
    const CSetupWindow* setupWindow = const_cast<CWindowsManager&>(m_WindowsManager).GetSetupWindow();
    const CSetupInfo* setup = setupWindow ? setupWindow->getSetupInfo() : nullptr;
    if (!setup || setup->GetActiveMeasurementCount() <= 0)
        return false;
    const int state = m_pRunButton->RunControlState;
    if (state == RunControl::StartSent || state == RunControl::Finishing)
        return false;
    return !setupWindow->RatesListEmpty() && setup->ISEHasSelections() && setup->xManualRunEnabled()
           && m_WindowsManager.IsLoggerDetected() && !m_WindowsManager.isVideoTracking();
}

void MainWindow::updateActions()
{
    // The Run button stays live during a run (it stops it), except while a start or an end
    // is being confirmed.
    const bool run = runAllowed();
    if (m_pRunButton->isEnabled() != run) {
        // A start that may be given up by a press keeps its button, whatever the rule says.
        const bool keep = m_pRunButton->RunControlState == RunControl::StartSent && m_pRunButton->isPlaying();
        if (!keep)
            m_pRunButton->setEnabled(run);
    }
    m_pExperimentModeButton->setEnabled(run);
}

void MainWindow::OnPreventSleepTimer()
{
    ILogicQueries* logic = m_WindowsManager.GetLogicQueries();
    if (logic && logic->IsLoggerConnected() && m_pKeepAwake)
        m_pKeepAwake->UpdateSystemActivity();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    onExit(event);
}

void MainWindow::onExit(QCloseEvent* event)
{
    if (m_bShutDown) {
        if (event)
            event->accept();
        return;
    }
    if (m_WindowsManager.isVideoTracking()) {
        ShellPrompter()->information(this, m_TitleText, tr("Video tracking is in progress."));
        if (event)
            event->ignore();
        return;
    }
    if (m_pRunButton->isPlaying()) {
        if (ShellPrompter()->question(nullptr, QString(), tr("Logger is running, do you want to stop?"))
            && m_pRunButton->isPlaying())
            m_WindowsManager.OnRun();
        if (event)
            event->ignore();
        return;
    }
    shutDown();
    if (event)
        event->accept();
    QCoreApplication::exit(0);
}

void MainWindow::shutDown()
{
    m_bShutDown = true;
    m_pUpdateTimer->stop();
    m_pKeepAwakeTimer->stop();
    m_WindowsManager.SetLogicQueries(nullptr);
    m_WindowsManager.SetLogicManagerObject(nullptr);
    m_pLogicQueries.reset();
    delete m_pLogicManager;
    m_pLogicManager = nullptr;
}

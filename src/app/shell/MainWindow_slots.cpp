// The main window at run time: command states, notices, the run mode, keep-awake and exit.
#include "app/shell/MainWindow.h"

#include "app/shell/CustomRunButton.h"
#include "app/shell/HistoryWindow.h"
#include "windowbase/Prompter.h"
#include "app/shell/ShellServices.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LogicManager.h"
#include "analysis/Functions.h"
#include "platform/KeepAwake.h"
#include "setup/LogicQueries.h"
#include "setup/SetupSettings.h"
#include "setup/SetupWindow.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QApplication>
#include <QCoreApplication>
#include <QThread>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

// Some platforms (the offscreen one among them) make every window they show the active one,
// whatever its flags ask. A notice that is to leave the keyboard alone hands the activation
// straight back to the window that had it, with its focus where it was.
class CNoticeFocusReturn : public QObject
{
public:
    using QObject::QObject;
    void setReturnTo(QWidget* window) { m_pReturnTo = window; }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* notice = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::WindowActivate && notice
            && notice->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus) && m_pReturnTo
            && m_pReturnTo != notice && m_pReturnTo->isVisible())
            m_pReturnTo->activateWindow();
        return false;
    }

private:
    QPointer<QWidget> m_pReturnTo;
};

void MainWindow::showModelessMessage(QString title, QString text, bool withBtn)
{
    // The same notice again (a logger repeating itself) leaves the box as it is.
    if (m_pModelessMsgBox->isVisible() && m_pModelessMsgBox->text() == text)
        return;
    // During a firmware update the progress dialog says what the search notices would say
    // (and offers to give up the wait for the logger): a second box would only stack on it.
    if (!withBtn && m_pShellLogic && m_pShellLogic->IsFirmwareUpdateUnderWay())
        return;
    if (m_pModelessMsgBox->isVisible())
        m_pModelessMsgBox->hide();
    m_bLastingShown = false;
    // A search for the logger may take long with a device that does not answer: its notice
    // offers Cancel, which gives the search up (as do Escape and the box's close button).
    m_bSearchNotice = !withBtn && m_pShellLogic && m_pShellLogic->IsSearchUnderWay();
    m_pModelessMsgBox->setStandardButtons(withBtn ? QMessageBox::Ok
                                                  : (m_bSearchNotice ? QMessageBox::Cancel : QMessageBox::NoButton));
    const QString shownTitle = title.isEmpty() ? m_TitleText : title;
    m_pModelessMsgBox->setWindowTitle(shownTitle);
    m_pModelessMsgBox->setText(text);
    // A short notice makes a narrow box, whose title bar would cut its title short.
    if (!m_pNoticeWidth) {
        if (auto* grid = qobject_cast<QGridLayout*>(m_pModelessMsgBox->layout())) {
            m_pNoticeWidth = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Minimum);
            grid->addItem(m_pNoticeWidth, grid->rowCount(), 0, 1, grid->columnCount());
        }
    }
    if (m_pNoticeWidth) {
        m_pNoticeWidth->changeSize(NoticeTitleWidth(m_pModelessMsgBox->font(), shownTitle), 0, QSizePolicy::Minimum,
                                   QSizePolicy::Minimum);
        m_pModelessMsgBox->layout()->invalidate();
    }
    m_pModelessMsgBox->setModal(false);
    // A notice to be read and answered takes the keyboard: Return or Escape closes it. A search
    // notice leaves the keyboard where it is, so the main window's keys keep working meanwhile
    // and a key pressed for the main window never presses its Cancel: it neither becomes the
    // active window when shown nor accepts the focus from the window manager.
    m_pModelessMsgBox->setAttribute(Qt::WA_ShowWithoutActivating, !withBtn);
    m_pModelessMsgBox->setWindowFlag(Qt::WindowDoesNotAcceptFocus, !withBtn);
    if (!m_pNoticeFocusReturn) {
        m_pNoticeFocusReturn = new CNoticeFocusReturn(m_pModelessMsgBox);
        m_pModelessMsgBox->installEventFilter(m_pNoticeFocusReturn);
    }
    m_pNoticeFocusReturn->setReturnTo(withBtn ? nullptr : QApplication::activeWindow());
    m_pModelessMsgBox->show();
    if (withBtn) {
        m_pModelessMsgBox->raise();
        m_pModelessMsgBox->activateWindow();
        if (QAbstractButton* ok = m_pModelessMsgBox->button(QMessageBox::Ok))
            ok->setFocus();
    }
}

void MainWindow::showLastingMessage(QString title, QString text)
{
    m_LastingTitle = title;
    m_LastingText = text;
    showModelessMessage(title, text, true);
    m_bLastingShown = true;
}

void MainWindow::showLastingAgain()
{
    if (m_LastingText.isEmpty() || m_pModelessMsgBox->isVisible())
        return;
    showModelessMessage(m_LastingTitle, m_LastingText, true);
    m_bLastingShown = true;
}

int MainWindow::NoticeTitleWidth(const QFont& font, const QString& title)
{
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    // The icon and up to three buttons of a title bar, each about two lines high, and margins.
    return metrics.horizontalAdvance(title) + 8 * metrics.height();
}

void MainWindow::OfferToConnect(const QString& text)
{
    showModelessMessage(QString(), text, true);
    // The box's own standard buttons, so the next notice's buttons replace them.
    m_pModelessMsgBox->setStandardButtons(QMessageBox::Retry | QMessageBox::Close);
    m_pModelessMsgBox->button(QMessageBox::Retry)->setText(tr("Connect"));
    m_pModelessMsgBox->setDefaultButton(QMessageBox::Retry);
}

void MainWindow::modelessMessageClosed(int result)
{
    if (m_bLastingShown) {
        // Read and closed: it is done with.
        m_bLastingShown = false;
        m_LastingText.clear();
        return;
    }
    if (result == QMessageBox::Retry) {
        m_WindowsManager.onLoggerConnect();
    } else if (m_bSearchNotice) {
        m_bSearchNotice = false;
        if (m_pShellLogic)
            m_pShellLogic->CancelSearch();
    }
    showLastingAgain();
}

void MainWindow::HideModallesMsgBox()
{
    // A lasting notice waits for the teacher, whoever else is done with the box.
    if (m_bLastingShown)
        return;
    if (m_pModelessMsgBox->isVisible())
        m_pModelessMsgBox->hide();
    showLastingAgain();
}

void MainWindow::SetCurrentRunMode(ExperimentRunMode mode)
{
    m_RunMode = mode;
    m_pRunButton->SetCurrentRunMode(static_cast<int>(mode));
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

int MainWindow::exit_loggerIsRunning()
{
    const bool stop = ShellPrompter()->question(nullptr, MessageBoxTitle(), tr("Logger is running, do you want to stop?"));
    if (stop && m_pRunButton->isPlaying())
        m_WindowsManager.OnRun();
    return stop ? QMessageBox::Yes : QMessageBox::No;
}

int MainWindow::exit_hasDataToSave()
{
    return ShellPrompter()->askSaveChanges(this, m_TitleText, tr("Do you want to save your changes?"));
}

void MainWindow::onExit(QCloseEvent* event)
{
    const auto stayOpen = [event]() {
        if (event)
            event->ignore();
    };
    if (m_bShutDown) {
        if (event)
            event->accept();
        return;
    }
    if (m_WindowsManager.isVideoTracking()) {
        ShellPrompter()->information(this, MessageBoxTitle(), tr("Video tracking is in progress."));
        return stayOpen();
    }
    if (m_pRunButton->isPlaying()) {
        exit_loggerIsRunning();
        return stayOpen();
    }
    // The unsaved-data question comes before the wait for a detection: the deferred quit
    // asks nothing, and would otherwise drop the changes.
    if (m_WindowsManager.hasDataToSave()) {
        const int answer = exit_hasDataToSave();
        if (answer == IPrompter::SaveCancel)
            return stayOpen();
        if (answer == IPrompter::SaveYes) {
            const int result = m_WindowsManager.OnSave();
            // A save that failed or was cancelled keeps the program open: leaving would lose
            // the very data the user asked to keep.
            if (result != 0) {
                if (result != -1)
                    ShellPrompter()->warning(nullptr, MessageBoxTitle(), tr("Save failed"));
                return stayOpen();
            }
        }
    }
    if (m_pShellLogic && m_pShellLogic->IsDetectionInProgress()) {
        if (!QApplication::overrideCursor())
            QApplication::setOverrideCursor(Qt::WaitCursor);
        m_pShellLogic->DetectExitLogicManager();
        return stayOpen();
    }
    if (m_pShellLogic)
        m_pShellLogic->ExitLogicManager();
    QThread::msleep(200);
    shutDown();
    if (event)
        event->accept();
    QCoreApplication::exit(0);
}

void MainWindow::shutDown()
{
    m_bShutDown = true;
    exitUpload();
    m_pUpdateTimer->stop();
    m_pKeepAwakeTimer->stop();
    m_WindowsManager.SetLogicQueries(nullptr);
    m_WindowsManager.SetLogicManagerObject(nullptr);
    m_WindowsManager.SetShellLogic(nullptr);
    if (CHistoryWindow* history = m_WindowsManager.GetHistoryWindow())
        history->SetDataManager(nullptr);
    m_WindowsManager.GetFunctions()->SetDataManager(nullptr);
    m_pShellLogic = nullptr;
    m_pOwnShellLogic.reset();
    m_pLogicQueries.reset();
    m_WindowsManager.SetSetupSettings(nullptr);
    m_pSetupSettings.reset();
    delete m_pLogicManager;
    m_pLogicManager = nullptr;
}

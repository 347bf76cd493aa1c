#include "app/shell/WindowsManager.h"

#include "app/shell/CustomRunButton.h"
#include "app/shell/HistoryWindow.h"
#include "windowbase/KorvantaWindow.h"
#include "windowbase/Prompter.h"
#include "app/shell/ShellFrame.h"
#include "app/shell/ShellServices.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Logic/LogicManager.h"
#include "setup/SetupWindow.h"

#include <QEventLoop>
#include <QMdiSubWindow>
#include <QProgressDialog>
#include <QTimer>
#include <QVariant>

#include <algorithm>

namespace {
const char* const s_KindProperty = "korvantaWindowKind";
}

CWindowsManager::CWindowsManager(QWidget* parent) : QMdiArea(parent)
{
    m_pHistoryWindow = new CHistoryWindow(this, Qt::SubWindow);
    addSubWindow(m_pHistoryWindow);
    m_pSetupWindow = new CSetupWindow(this);
    m_pSignals = new CKorvantaSignals(nullptr);
    m_pLoggerProtectionTimer = new QTimer(this);
    m_pLoggerProtectionTimer->setObjectName(QStringLiteral("m_pLoggerProtectionTimer"));
    connect(m_pSignals, &CKorvantaSignals::HasNewDataToSave, this, &CWindowsManager::onHasNewDataToSave);
    installAnalysisServices();
}

CWindowsManager::~CWindowsManager()
{
    // The setup controller and the child windows go with the area; they may still hear the
    // hub while they go, so it is deleted last.
    removeAnalysisServices();
    if (m_pSetupReader)
        m_pSetupReader->SetSetupInfo(nullptr);
    delete m_pSetupWindow;
    m_pSetupWindow = nullptr;
    delete m_pSignals;
    m_pSignals = nullptr;
}

void CWindowsManager::SetLogicManagerObject(CLogicManager* logic)
{
    m_pLogicObject = logic;
    if (!logic)
        return;
    m_pSetupReader = logic;
    logic->SetSetupInfo(m_pSetupWindow->getSetupInfo());
}

void CWindowsManager::init()
{
    ShowGraphWindow();
    setBackground(QBrush(QColor(96, 96, 96, 255)));
    if (m_pSetupWindow->m_bSetupShown) {
        m_pSetupWindow->initWindow();
        m_pSetupWindow->show();
    } else {
        m_pSetupWindow->hide();
    }
    if (m_pHistoryWindow->m_bHistoryShown) {
        m_pHistoryWindow->initWindow();
        m_pHistoryWindow->show();
    } else {
        m_pHistoryWindow->hide();
    }
    m_pSetupWindow->disableSetup(false);
    m_bLoggerDetected = false;
    if (CustomRunButton* b = runButton())
        b->setEnabled(false);
    connectHub();

    m_pProgressDialog = new QProgressDialog(this);
    // Titled with the product's name, not the executable's.
    m_pProgressDialog->setWindowTitle(window()->windowTitle());
    m_pProgressDialog->setLabelText(tr("Downloading...", "Download"));
    m_pProgressDialog->setCancelButton(nullptr);
    m_pProgressDialog->setRange(0, 0);
    m_pProgressDialog->setFixedHeight(s_ProgressHeight);
    m_pProgressDialog->setFixedWidth(600);
    m_pProgressDialog->setModal(false);
    m_pProgressDialog->setWindowModality(Qt::WindowModal);
    // A progress dialog shows itself after its minimum duration unless told otherwise.
    m_pProgressDialog->reset();
    m_pProgressDialog->hide();
    connect(m_pProgressDialog, &QProgressDialog::canceled, this, &CWindowsManager::onProgressCanceled);

    QTimer::singleShot(20, this, &CWindowsManager::InitWindowsArrangement);
}

void CWindowsManager::connectHub()
{
    CKorvantaSignals* hub = m_pSignals;
    connect(hub, &CKorvantaSignals::LoggerEndDtetection, this, &CWindowsManager::loggerDetected);
    connect(hub, &CKorvantaSignals::LoggerDisconnected, this, &CWindowsManager::loggerDisconnected);
    connect(hub, &CKorvantaSignals::LoggerExperimentEnd, this, &CWindowsManager::loggerFinishedRunning);
    connect(hub, &CKorvantaSignals::LoggerStartedRun, this, &CWindowsManager::loggerStartedRunning);
    connect(hub, &CKorvantaSignals::LoggerEnteredBootLoaderMode, this, &CWindowsManager::LoggerEnteredBootLoaderMode);
    connect(hub, &CKorvantaSignals::LoggerBootLoaderProgUpdate, this, &CWindowsManager::LoggerBootLoaderProgUpdate);
    connect(hub, &CKorvantaSignals::LoggerBootLoaderFinshed, this, &CWindowsManager::LoggerBootLoaderFinshed);
    connect(m_pLoggerProtectionTimer, &QTimer::timeout, this, &CWindowsManager::OnRun);
    QObject* frame = dynamic_cast<QObject*>(m_pFrame);
    if (frame && frame->metaObject()->indexOfSlot("showModelessMessage(QString,QString,bool)") >= 0)
        connect(hub, SIGNAL(GuiModallessMsg(QString,QString,bool)), frame,
                SLOT(showModelessMessage(QString,QString,bool)));
    if (frame && frame->metaObject()->indexOfSlot("showLastingMessage(QString,QString)") >= 0)
        connect(hub, SIGNAL(GuiLastingMsg(QString,QString)), frame, SLOT(showLastingMessage(QString,QString)));
    // The setup window owns the delay of a delayed trigger; its end starts the run here.
    if (m_pSetupWindow)
        connect(m_pSetupWindow->triggerDelayTimer(), &QTimer::timeout, this, &CWindowsManager::TriggerDelayTimout);
    connect(hub, &CKorvantaSignals::LoggerDownloadStarted, this, &CWindowsManager::LoggerDownloadStarted);
    connect(hub, &CKorvantaSignals::LoggerDownloadFinshed, this, &CWindowsManager::LoggerDownloadFinshed);
    connect(hub, &CKorvantaSignals::UserStartedRun, this, &CWindowsManager::userStartedRun);
    m_bHasDataToSave = false;
    connect(hub, &CKorvantaSignals::VideoAnalysisStart, this, &CWindowsManager::VideoTrackingOn);
    connect(hub, &CKorvantaSignals::VideoAnalysisStop, this, &CWindowsManager::VideoTrackingOff);
    connect(hub, &CKorvantaSignals::UserAskXvalue, this, &CWindowsManager::OnUserAskXvalue);
    connect(hub, &CKorvantaSignals::LoggerStatusArrived, this, &CWindowsManager::OnLoggerStatusArrived);
    connectShellEvents();
}

ExperimentRunMode CWindowsManager::GetCurrentRunMode() const
{
    return m_pFrame ? m_pFrame->GetCurrentRunMode() : ExperimentRunMode::Sampling;
}

CustomRunButton* CWindowsManager::runButton() const
{
    return m_pFrame ? m_pFrame->GetRunButton() : nullptr;
}

IPrompter* CWindowsManager::prompter() const
{
    return m_pPrompter ? m_pPrompter : ShellPrompter();
}

IPrompter* CWindowsManager::GetPrompter() const
{
    return prompter();
}

CDataManager* CWindowsManager::GetDataManager() const
{
    return m_pHistoryWindow ? m_pHistoryWindow->dataManager() : nullptr;
}

void CWindowsManager::SetRunButtonEnabled(bool enabled)
{
    if (CustomRunButton* b = runButton())
        b->setEnabled(enabled);
}

void CWindowsManager::ShowRunManualButton(bool show)
{
    if (CustomRunButton* b = runButton())
        b->ShowManualButton(show);
}

void CWindowsManager::resizeEvent(QResizeEvent* event)
{
    QMdiArea::resizeEvent(event);
}

void CWindowsManager::WaitHere(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(std::max(ms, 0), &loop, &QEventLoop::quit);
    loop.exec();
}

// ---- window records ----

void CWindowsManager::AddChildWindow(CKorvantaWindow* window, WindowKind kind)
{
    if (!window || kind < 0 || kind >= NumWindowKinds)
        return;
    window->setProperty(s_KindProperty, int(kind));
    // While it joins the area the sub-window works out its frame's regions and sizes a dozen
    // times, and each time it lays out its title anew to elide it: it joins untitled, which
    // it skips, and takes its title once it is in.
    const QString title = window->windowTitle();
    window->setWindowTitle(QString());
    addSubWindow(window);
    window->setWindowTitle(title);
    m_pLastMade[kind] = window;
    if (kind == GraphKind)
        m_pCurrent[kind] = window;
}

void CWindowsManager::PlaceInsideArea(QMdiSubWindow* window)
{
    const QSize area = viewport()->size();
    if (!window || area.isEmpty())
        return;
    QRect inside(window->geometry().topLeft(), window->geometry().size().boundedTo(area));
    inside.moveLeft(std::max(0, std::min(inside.left(), area.width() - inside.width())));
    inside.moveTop(std::max(0, std::min(inside.top(), area.height() - inside.height())));
    if (inside != window->geometry())
        window->setGeometry(inside);
}

CKorvantaWindow* CWindowsManager::GetLastMade(WindowKind kind) const
{
    return (kind >= 0 && kind < NumWindowKinds) ? m_pLastMade[kind].data() : nullptr;
}

CKorvantaWindow* CWindowsManager::GetCurrent(WindowKind kind) const
{
    return (kind >= 0 && kind < NumWindowKinds) ? m_pCurrent[kind].data() : nullptr;
}

CKorvantaWindow* CWindowsManager::GetLastOfKind(WindowKind kind, const CKorvantaWindow* except) const
{
    const QList<QMdiSubWindow*> windows = subWindowList(QMdiArea::CreationOrder);
    for (int i = windows.size() - 1; i >= 0; --i) {
        auto* w = qobject_cast<CKorvantaWindow*>(windows.at(i));
        if (w && w != except && w->property(s_KindProperty).isValid()
            && w->property(s_KindProperty).toInt() == int(kind))
            return w;
    }
    return nullptr;
}

void CWindowsManager::SetLastActive(WindowKind kind, CKorvantaWindow* closing)
{
    if (kind >= 0 && kind < NumWindowKinds)
        m_pCurrent[kind] = GetLastOfKind(kind, closing);
}

// ---- arrangement ----

CWindowsManager::Arrangement CWindowsManager::InitialArrangement(int w, int h)
{
    Arrangement a;
    const double third = h / 3.0;
    const int twoThirds = int(third + third);
    a.setup = QRect(0, 0, s_SideWidth, twoThirds);
    a.history = QRect(0, twoThirds, s_SideWidth, int(third));
    // A narrow area must not give the graph a negative width.
    a.graph = QRect(s_SideWidth, 0, std::max(w - s_SideWidth, CKorvantaWindow::s_MinWindowSize), h);
    return a;
}

CWindowsManager::Arrangement CWindowsManager::UpdatedArrangement(int w, int h, bool setupVisible,
                                                                 bool historyVisible, QRect graph)
{
    Arrangement a;
    const int t = h / 3;
    if (!setupVisible && historyVisible) {
        a.history = QRect(0, 0, s_SideWidth, h);
    } else if (setupVisible && historyVisible) {
        a.setup = QRect(0, 0, s_SideWidth, 2 * t);
        a.history = QRect(0, 2 * t, s_SideWidth, t);
    } else if (setupVisible) {
        a.setup = QRect(0, 0, s_SideWidth, h);
    }
    if (graph.isNull())
        return a;
    if (!setupVisible && !historyVisible)
        a.graph = QRect(0, 0, w, h);
    else if (graph.x() >= s_SideWidth)
        a.graph = graph;
    else
        a.graph = QRect(s_SideWidth, graph.y(), std::max(graph.width() - s_SideWidth, CKorvantaWindow::s_MinWindowSize),
                        graph.height());
    return a;
}

void CWindowsManager::InitWindowsArrangement()
{
    const Arrangement a = InitialArrangement(width(), height());
    for (QWidget* setup : {m_pSetupWindow->currentWindow(), m_pSetupWindow->summaryWidget()}) {
        if (setup) {
            setup->resize(a.setup.size());
            setup->move(a.setup.topLeft());
        }
    }
    m_pSetupWindow->displaySetupWindow(0);
    m_pHistoryWindow->resize(a.history.size());
    m_pHistoryWindow->move(a.history.topLeft());
    // A history the user closed stays closed; its entry in the ribbon follows the flag.
    if (m_pHistoryWindow->m_bHistoryShown)
        m_pHistoryWindow->show();
    if (CKorvantaWindow* graph = GetCurrent(GraphKind)) {
        graph->move(a.graph.topLeft());
        graph->resize(a.graph.size());
    }
}

void CWindowsManager::UpdateWindowsArrangement()
{
    QWidget* setup = m_pSetupWindow->currentWindow();
    // Whether the windows are shown, not whether the screen shows them now: the arrangement
    // may run while the main window is minimized.
    const bool setupVisible = setup && !setup->isHidden();
    CKorvantaWindow* graph = GetCurrent(GraphKind);
    const bool historyVisible = !m_pHistoryWindow->isHidden();
    const Arrangement a = UpdatedArrangement(width(), height(), setupVisible, historyVisible,
                                             graph ? graph->geometry() : QRect());
    if (setup && setupVisible) {
        setup->setGeometry(a.setup);
        if (QWidget* summary = m_pSetupWindow->summaryWidget())
            summary->setGeometry(a.setup);
    }
    if (historyVisible)
        m_pHistoryWindow->setGeometry(a.history);
    // A maximized graph is the user's choice to see it alone; it keeps the whole area.
    if (graph && !a.graph.isNull() && !graph->isMaximized())
        graph->setGeometry(a.graph);
}

void CWindowsManager::toggleSideWindow(const std::function<void()>& show)
{
    // The area hands the maximized state on to the window it activates: the history or the
    // setup would open maximized in its narrow place and the graph would fall back to a
    // normal window.
    const bool keep = testOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    setOption(QMdiArea::DontMaximizeSubWindowOnActivation, true);
    show();
    setOption(QMdiArea::DontMaximizeSubWindowOnActivation, keep);
    UpdateWindowsArrangement();
}

void CWindowsManager::ShowSetupWindow(bool show)
{
    m_pSetupWindow->m_bSetupShown = show;
    if (show) {
        m_pSetupWindow->initWindow();
        m_pSetupWindow->show();
        // Asked for, it comes to the front of any window that was opened over it.
        if (QWidget* setup = m_pSetupWindow->currentWindow())
            setup->raise();
    } else {
        m_pSetupWindow->hide();
    }
}

void CWindowsManager::onOpenSetupWindow(bool)
{
    // The command brings the setup the user last chose (summary or full) into view; the
    // window's own close hides it. A click on the ticked entry unticks it, yet the user asks to
    // see the setup: taking that as "hide" left the side band empty.
    toggleSideWindow([this] { ShowSetupWindow(true); });
}

// ---- downloads and firmware ----

void CWindowsManager::LoggerEnteredBootLoaderMode()
{
    m_pSetupWindow->stopTimers(true);
}

void CWindowsManager::LoggerBootLoaderProgUpdate(int percentage, QString text)
{
    if (!m_pProgressDialog)
        return;
    m_pProgressDialog->setRange(0, 100);
    m_pProgressDialog->setLabelText(text);
    m_pProgressDialog->setValue(std::clamp(percentage, 0, 100));
    m_pProgressDialog->show();
    offerFirmwareWaitCancel();
    if (percentage >= 100) {
        WaitHere(100);
        if (m_pSignals)
            m_pSignals->SignalGuiModallessMsg(tr("Firmware update"), tr("Update successful."), true);
        hideProgress();
    }
}

void CWindowsManager::LoggerDownloadStarted()
{
    m_pSetupWindow->stopTimers(true);
    if (m_pProgressDialog) {
        m_pProgressDialog->setRange(0, 0);
        m_pProgressDialog->setLabelText(tr("Downloading...", "Download"));
        m_pProgressDialog->show();
    }
}

void CWindowsManager::LoggerDownloadFinshed(bool)
{
    if (!m_bLoggerDetected && m_pShellLogic)
        m_pShellLogic->StartLoggersDetection();
    hideProgress();
    m_pSetupWindow->stopTimers(false);
}

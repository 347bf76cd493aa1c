#include "app/shell/MainWindow.h"

#include "app/shell/ShellWorkspaceFiles.h"

#include "app/shell/CustomRunButton.h"
#include "app/shell/HistoryWindow.h"
#include "windowbase/Prompter.h"
#include "app/shell/ShellLogic.h"
#include "app/shell/UploadService.h"
#include "upload/XMLRPC.h"
#include "Core/Logic/LogicManager.h"
#include "analysis/Functions.h"
#include "platform/KeepAwake.h"
#include "setup/LogicQueries.h"
#include "setup/SetupSettings.h"
#include "setup/SetupWindow.h"
#include "video/VideoAnlysisWindow.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

MainWindow* p_MainWindow = nullptr;

namespace {
// The Run button's place in the header is as wide as the button with its Manual sub-button
// whether the sub-button shows or not, so the buttons to its right never move under the
// pointer when the sampling mode changes.
class CRunButtonPlace : public QWidgetItem
{
public:
    explicit CRunButtonPlace(QWidget* button) : QWidgetItem(button) {}
    QSize sizeHint() const override { return widen(QWidgetItem::sizeHint()); }
    QSize minimumSize() const override { return widen(QWidgetItem::minimumSize()); }
    QSize maximumSize() const override { return widen(QWidgetItem::maximumSize()); }

private:
    QSize widen(const QSize& s) const
    {
        return QSize(std::max(s.width(), int(CustomRunButton::s_WidthWithManual)), s.height());
    }
};
} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QAbstractScrollArea(parent), m_Languages(nullptr), m_WindowsManager(this), m_MenuBar(this)
{
    m_TitleText = tr("Pavix");
    p_MainWindow = this;
    m_WindowsManager.SetFrame(this);

    m_pMainLayout = new QVBoxLayout(this);
    m_pInnerWidget = new QWidget(this);
    m_pInnerLayout = new QVBoxLayout(m_pInnerWidget);
    m_pHeaderWidget = new QWidget(m_pInnerWidget);
    m_pHeaderLayout = new QHBoxLayout(m_pHeaderWidget);

    m_pBasicToolBar = new QToolBar(tr("Basic Tools"), this);
    m_pWorkSpaceToolBar = new QToolBar(tr("Work Space"), this);
    m_pAnalysisToolBar = new QToolBar(tr("Analysis"), this);
    m_pRunButton = new CustomRunButton(this);
    m_pRunButton->setObjectName(QStringLiteral("m_pRunButton"));
    m_pTabWidget = new QTabWidget(this);
    m_pExitAction = new QAction(tr("E&xit"), this);

    m_pUpdateTimer = new QTimer(this);
    m_pModelessMsgBox = new QMessageBox(this);
    m_pKeepAwakeTimer = new QTimer(this);
    m_pModelessMsgBox->setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint);
    m_pModelessMsgBox->setModal(false);
    connect(m_pModelessMsgBox, &QDialog::finished, this, &MainWindow::modelessMessageClosed);

    // The window manager and p_MainWindow exist before the logic manager, which reaches the
    // hub through this window and is handed the setup record by the window manager.
    m_pLogicManager = new CLogicManager(nullptr, this);
    m_pLogicQueries.reset(new CLogicManagerQueries(m_pLogicManager));
    m_pSetupSettings.reset(new CFileSetupSettings(&m_pLogicManager->m_Settings));
    m_pOwnKeepAwake.reset(new CLinuxKeepAwake);
    m_pKeepAwake = m_pOwnKeepAwake.get();
    m_WindowsManager.SetLogicQueries(m_pLogicQueries.get());
    m_WindowsManager.SetLogicManagerObject(m_pLogicManager);
    m_WindowsManager.SetSetupSettings(m_pSetupSettings.get());
    m_pOwnShellLogic.reset(new CLogicManagerShell(m_pLogicManager, m_pLogicQueries.get()));
    SetShellLogic(m_pOwnShellLogic.get());
    m_pOwnWorkspaceFiles.reset(new CShellWorkspaceFiles(m_pLogicManager->m_DataManager));
    m_WindowsManager.SetWorkspaceFiles(m_pOwnWorkspaceFiles.get());
    m_WindowsManager.SetLanguages(&m_Languages);
    m_WindowsManager.SetApplicationTitle(m_TitleText);
    if (CHistoryWindow* history = m_WindowsManager.GetHistoryWindow())
        history->SetDataManager(&m_pLogicManager->m_DataManager);
    m_WindowsManager.InstallBloodPressureEvaluator(&m_pLogicManager->m_DataManager);
    CVideoAnlysisWindow::CountLoadedRuns(m_pLogicManager->m_DataManager);
    m_WindowsManager.GetFunctions()->SetDataManager(&m_pLogicManager->m_DataManager);

    // Maximising is a request to the window manager; without one (a bare X server, a kiosk
    // session) it is ignored and the window would open at its small default size. The normal
    // geometry therefore covers the screen's free area as well.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_RunMode = ExperimentRunMode::Sampling;
    setMinimumSize(500, 500);
}

MainWindow::~MainWindow()
{
    // Exit deletes the logic manager; a window closed any other way (tests) does it here,
    // while the hub and the setup record it points at still exist. The upload worker reads
    // the data store, so it ends first.
    exitUpload();
    m_WindowsManager.SetWorkspaceFiles(nullptr);
    m_WindowsManager.SetLogicQueries(nullptr);
    m_WindowsManager.SetSetupSettings(nullptr);
    m_WindowsManager.SetLogicManagerObject(nullptr);
    m_pSetupSettings.reset();
    m_pLogicQueries.reset();
    m_WindowsManager.GetFunctions()->SetDataManager(nullptr);
    delete m_pLogicManager;
    m_pLogicManager = nullptr;
    if (p_MainWindow == this)
        p_MainWindow = nullptr;
}

void MainWindow::SetShellLogic(IShellLogic* logic)
{
    m_pShellLogic = logic;
    m_WindowsManager.SetShellLogic(logic);
}

CKorvantaSignals* MainWindow::GetSignals()
{
    return m_WindowsManager.GetSignals();
}

CSetupInfo* MainWindow::GetSetupInfo()
{
    // The window manager hands the setup window's record to the logic manager.
    return m_pLogicManager ? m_pLogicManager->GetSetupInfo() : nullptr;
}

void MainWindow::init(bool searchLoggersNow)
{
    m_pLogicManager->m_SensorInfo.LoadSensorInfo();
    initButtons();
    initLayouts();
    m_WindowsManager.init();
    m_Languages.init();
    // Made before the actions so their first states know the service, and before the action
    // timer starts.
    initUpload();
    CreateActions();
    AddWidgetsToLayouts();
    initMenus();
    initTabs();
    m_pLogicManager->InitLogicManager();
    if (searchLoggersNow)
        m_pLogicManager->StartLoggersDetection();
    else
        searchLoggersAfterFirstPaint();
}

namespace {

// Starts the logger search once the watched window's first paint is done: the port
// listing runs on other threads and would share the processors with that paint.
class CFirstPaintSearch : public QObject
{
public:
    CFirstPaintSearch(QObject* parent, CLogicManager* logic) : QObject(parent), m_pLogic(logic) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            CLogicManager* logic = m_pLogic;
            QTimer::singleShot(0, logic, [logic] { logic->StartLoggersDetection(); });
            deleteLater();
        }
        return false;
    }

private:
    CLogicManager* m_pLogic;
};

} // namespace

void MainWindow::searchLoggersAfterFirstPaint()
{
    installEventFilter(new CFirstPaintSearch(this, m_pLogicManager));
}

void MainWindow::initButtons()
{
    m_pRunButton->init();
    m_pRunButton->AddManualButton();
    m_pRunButton->ShowManualButton(false);

    m_pExperimentModeButton = new QPushButton(this);
    m_pExperimentModeButton->setStyleSheet(QStringLiteral(
        "QPushButton  {                           background-image: url(://images/RunModes/settings_normal.png);"
        "                           border: 0px;                           background-repeat: none;"
        "                   }                   QPushButton:pressed {"
        "                            background-image: url(://images/RunModes/settings_press.png);"
        "                            background-repeat: none;                   }"
        "                   QPushButton:hover {"
        "                           background-image: url(://images/RunModes/settings_rollover.png);"
        "                            background-repeat: none;                    }"
        "                   QPushButton:disabled   {"
        "                           background-image: url(://images/RunModes/settings_disable.png);"
        "                            background-repeat: none;                   }"));
    m_pExperimentModeButton->setToolTip(tr("Experiment Mode"));
    m_pExperimentModeButton->setFixedSize(32, 32);
    m_pExperimentModeButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

void MainWindow::initLayouts()
{
    m_pMainLayout->setContentsMargins(0, 0, 0, 0);
    m_pInnerLayout->setMenuBar(&m_MenuBar);
    m_pInnerLayout->setSpacing(0);
    m_pInnerLayout->setContentsMargins(0, 0, 0, 0);
    m_pInnerWidget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_pHeaderWidget->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_pHeaderWidget->setStyleSheet(QStringLiteral(
        "background-color: qlineargradient(spread:pad, x1:0.99435, y1:0.534, x2:1, y2:0, stop:0 rgba(246, 246, "
        "246, 255), stop:0.363636 rgba(195, 195, 195, 255));"));
    m_pHeaderLayout->setContentsMargins(0, 0, 0, 0);
}

void MainWindow::AddWidgetsToLayouts()
{
    m_pMainLayout->addWidget(m_pInnerWidget);
    m_pInnerLayout->insertWidget(0, m_pHeaderWidget);
    m_pInnerLayout->insertWidget(1, &m_WindowsManager);
    m_pHeaderLayout->insertWidget(0, m_pRunButton);
    delete m_pHeaderLayout->takeAt(0);
    m_pHeaderLayout->insertItem(0, new CRunButtonPlace(m_pRunButton));
    m_pHeaderLayout->insertSpacing(1, 5);
    m_pHeaderLayout->insertWidget(2, m_pExperimentModeButton);
    m_pHeaderLayout->insertWidget(3, m_pTabWidget);
}

void MainWindow::initTabs()
{
    initToolBars();
    const QString barStyle = QStringLiteral(
        "QToolBar {background-color: qlineargradient(spread:pad, x1:0.99435, y1:0.534, x2:1, y2:0, "
        "stop:0.505682 rgba(246, 246, 246, 255), stop:1 rgba(215, 215, 215, 255)); padding: 0px; spacing: 2px;}"
        "QToolBar QToolButton {padding: 1px; margin: 0px;}");
    // The ribbon's pictures are drawn at 32 pixels; shown at that size they stay sharp.
    for (QToolBar* bar : {m_pBasicToolBar, m_pWorkSpaceToolBar, m_pAnalysisToolBar}) {
        bar->setStyleSheet(barStyle);
        bar->setIconSize(QSize(32, 32));
    }
    m_pTabWidget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_pTabWidget->setDocumentMode(true);
    m_pTabWidget->setStyleSheet(QStringLiteral(
        "QTabBar::tab { height: 20px; width: 150px; background-color: rgb(141,141,141); color: white}QTabBar "
        "{background-color: rgb(190,190,190)}QTabBar::tab:selected {background-color: rgb(238,238,238); color: "
        "black} "));
    m_pTabWidget->addTab(m_pBasicToolBar, tr("Basic Tools"));
    m_pTabWidget->addTab(m_pWorkSpaceToolBar, tr("Work Space"));
    m_pTabWidget->addTab(m_pAnalysisToolBar, tr("Analysis"));
}

void MainWindow::initToolBars()
{
    const QList<QPair<QToolBar*, QList<MultiAction*>*>> bars = {{m_pBasicToolBar, &m_BasicToolsList},
                                                                 {m_pWorkSpaceToolBar, &m_WorkSpaceList},
                                                                 {m_pAnalysisToolBar, &m_AnalysisList}};
    for (const auto& bar : bars) {
        for (MultiAction* action : *bar.second) {
            bar.first->addAction(action);
            if (QWidget* button = bar.first->widgetForAction(action)) {
                action->setAssociatedWidget(button);
                button->installEventFilter(action);
            }
        }
    }
}

#pragma once
// The program's one top-level window: menu bar, a header strip with the Run button, the
// experiment-mode button and the ribbon, and the window manager's document area below. It
// creates the logic manager and is what the core reaches the windows through.
#include "windowbase/MultiAction.h"
#include "app/shell/MultiLanguage.h"
#include "app/shell/ShellFrame.h"
#include "app/shell/WindowsManager.h"
#include "Core/Logic/LogicContext.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QList>
#include <QMenuBar>
#include <memory>

class CLogicManager;
class CLogicManagerQueries;
class CustomRunButton;
class IKeepAwake;
class IShellLogic;
class IUploadService;
class XMLRPC;
class ISetupSettings;
class CNoticeFocusReturn;
class QHBoxLayout;
class QMessageBox;
class QSpacerItem;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolBar;
class QVBoxLayout;
struct RibbonActionEntry;

class MainWindow : public QAbstractScrollArea, public ILogicContext, public IShellFrame
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Builds the windows and starts the logger search; start-up passes false and the search
    // begins once the window has been painted, so that the first picture does not wait for it.
    void init(bool searchLoggersNow = true);

    // ILogicContext
    CKorvantaSignals* GetSignals() override;
    CSetupInfo* GetSetupInfo() override;
    ExperimentRunMode GetCurrentRunMode() override { return m_RunMode; }
    // IShellFrame
    CustomRunButton* GetRunButton() override { return m_pRunButton; }
    ExperimentRunMode GetCurrentRunMode() const override { return m_RunMode; }
    void HideModallesMsgBox() override;
    void OfferToConnect(const QString& text) override;
    int exit_hasDataToSave() override;
    void SetWindowTitleText(const QString& title) override { setWindowTitle(title); }

    void SetCurrentRunMode(ExperimentRunMode mode) override;
    int exit_loggerIsRunning();
    void SetCheckedMenuItem(bool checked, MultiActionKeyType key);
    // Replaces the logger services (tests script detection and shut-down).
    void SetShellLogic(IShellLogic* logic);

    // What the action states are computed from, gathered once per tick.
    struct ActionInputs
    {
        bool runButtonAllowed = false;
        bool runInProgress = false;
        bool videoTracking = false;
        bool loggerDetected = false;
        double loggerType = 0.0;
        bool bluetooth = false;
        bool controlHeld = false;
        bool historyEmpty = true;
        bool hasDataToSave = false;
        bool hasGraph = false;
        bool graphFunctions = false;
        int videoWindows = 0;
        bool uploadPresent = false;
        bool loggedIn = false;
        bool uploading = false;
    };
    // The enabled state each rule gives, by key (keys without a rule are absent).
    static QHash<int, bool> ComputeActionStates(const ActionInputs& in);
    ActionInputs currentActionInputs() const;
    // Whether the command behind a key exists in this program at present.
    bool commandAvailable(MultiActionKeyType key) const;
    // Every action of the menus and the ribbon that carries the key.
    QList<MultiAction*> actionsWithKey(MultiActionKeyType key) const;
    QMenuBar* menuBar() { return &m_MenuBar; }
    QAction* exitAction() const { return m_pExitAction; }
    // Replaces the keep-awake service (tests count its calls).
    void SetKeepAwake(IKeepAwake* keepAwake) { m_pKeepAwake = keepAwake; }

    CWindowsManager* windowsManager() { return &m_WindowsManager; }
    MultiLanguage* languages() { return &m_Languages; }
    CLogicManager* logicManager() const { return m_pLogicManager; }
    XMLRPC* uploadController() const { return m_pUploadController.get(); }
    QPushButton* experimentModeButton() const { return m_pExperimentModeButton; }
    QTabWidget* tabs() const { return m_pTabWidget; }
    QMessageBox* modelessMessageBox() const { return m_pModelessMsgBox; }
    // The width a notice box takes so that the window's title bar shows its whole title: the
    // title in bold and room for the window's icon and buttons.
    static int NoticeTitleWidth(const QFont& font, const QString& title);
    const QString& applicationTitle() const { return m_TitleText; }
    QTimer* updateTimer() const { return m_pUpdateTimer; }
    QTimer* keepAwakeTimer() const { return m_pKeepAwakeTimer; }
    // The first action of the ribbon or the menus that carries the key; null when none.
    MultiAction* findAction(MultiActionKeyType key) const;

public slots:
    void showModelessMessage(QString title, QString text, bool withBtn = true);
    // A notice that stays until it is closed: a hide leaves it, and a notice shown over it gives
    // way to it again when that one goes.
    void showLastingMessage(QString title, QString text);
    void onExit(QCloseEvent* event = nullptr);
    void updateActions();

private slots:
    void OnPreventSleepTimer();
    // The user closed the notice box: with Cancel, Escape or its close button, or with the
    // Connect button of a notice that offers it.
    void modelessMessageClosed(int result);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void searchLoggersAfterFirstPaint();
    void initButtons();
    void initLayouts();
    void CreateActions();
    void AddWidgetsToLayouts();
    void initMenus();
    void initTabs();
    void initToolBars();
    void initBasicActionsList();
    void initFileMenuActionList();
    void initEditMenuActionList();
    void initLoggerMenuActionList();
    void initHelpMenuActionList();
    void initWorkSpaceActionsList();
    void initAnalysisActionsList();
    void initOpenMenuActionList();
    void initTerravoxMenuActionList();
    void applyActionStates(const QHash<int, bool>& states);
    MultiAction* makeRibbonAction(const RibbonActionEntry& entry);
    MultiAction* makeMenuAction(const char* text, MultiActionKeyType key, QList<MultiAction*>& list);
    bool runAllowed() const;
    void shutDown();
    // The online-service upload controller (MainWindow_upload.cpp).
    void initUpload();
    void exitUpload();

    CLogicManager* m_pLogicManager = nullptr;
    MultiLanguage m_Languages;
    CWindowsManager m_WindowsManager;
    CustomRunButton* m_pRunButton = nullptr;
    QString m_TitleText;
    QPushButton* m_pExperimentModeButton = nullptr;
    ExperimentRunMode m_RunMode = ExperimentRunMode::Sampling;
    QMessageBox* m_pModelessMsgBox = nullptr;
    // The box shows the notice of a search for loggers, which its Cancel gives up.
    bool m_bSearchNotice = false;
    // The lasting notice not closed yet (empty when none), and whether the box shows it now.
    QString m_LastingTitle;
    QString m_LastingText;
    bool m_bLastingShown = false;
    void showLastingAgain();
    // Keeps the notice box as wide as its title needs.
    QSpacerItem* m_pNoticeWidth = nullptr;
    // Hands the activation back when a notice that leaves the keyboard alone is given it.
    CNoticeFocusReturn* m_pNoticeFocusReturn = nullptr;
    QVBoxLayout* m_pMainLayout = nullptr;
    QWidget* m_pInnerWidget = nullptr;
    QVBoxLayout* m_pInnerLayout = nullptr;
    QWidget* m_pHeaderWidget = nullptr;
    QHBoxLayout* m_pHeaderLayout = nullptr;
    QMenuBar m_MenuBar;
    QTabWidget* m_pTabWidget = nullptr;
    QToolBar* m_pBasicToolBar = nullptr;
    QToolBar* m_pWorkSpaceToolBar = nullptr;
    QToolBar* m_pAnalysisToolBar = nullptr;
    QTimer* m_pUpdateTimer = nullptr;
    QTimer* m_pKeepAwakeTimer = nullptr;
    QAction* m_pExitAction = nullptr;
    // F10: the first menu opens.
    QAction* m_pMenuKeyAction = nullptr;
    MultiAction* m_pHelpAction = nullptr;
    QList<MultiAction*> m_BasicToolsList;
    QList<MultiAction*> m_WorkSpaceList;
    QList<MultiAction*> m_AnalysisList;
    QList<MultiAction*> m_FileMenuList;
    QList<MultiAction*> m_EditMenuList;
    QList<MultiAction*> m_LoggerMenuList;
    QList<MultiAction*> m_OnlineServiceList;
    QList<MultiAction*> m_OpenMenuList;
    MultiAction* m_pAboutAction = nullptr;
    std::unique_ptr<IShellLogic> m_pOwnShellLogic;
    std::unique_ptr<IWorkspaceFiles> m_pOwnWorkspaceFiles;
    IShellLogic* m_pShellLogic = nullptr;
    std::unique_ptr<CLogicManagerQueries> m_pLogicQueries;
    std::unique_ptr<ISetupSettings> m_pSetupSettings;
    std::unique_ptr<IKeepAwake> m_pOwnKeepAwake;
    IKeepAwake* m_pKeepAwake = nullptr;
    bool m_bShutDown = false;
    std::unique_ptr<XMLRPC> m_pUploadController;
    std::unique_ptr<IUploadService> m_pOwnUpload;
};

extern MainWindow* p_MainWindow;

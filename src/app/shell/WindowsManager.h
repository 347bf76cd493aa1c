#pragma once
// The multiple-document area of the main window: hosts every child window, keeps the record of
// the current window of each kind the commands act on, lays out the setup and history windows
// beside the graph, owns the signal hub, and runs the run-control state machine.
#include "analysis/Functions.h"
#include "analysis_dialogs/AnalysisHost.h"
#include "windowbase/ChildWindowHost.h"
#include "setup/SetupHost.h"
#include "workspace/WorkspaceHost.h"

#include <QElapsedTimer>
#include <QMdiArea>
#include <QPointer>
#include <QRect>
#include <QVector>

#include <functional>
#include <memory>

class CHistoryWindow;
class CKorvantaSignals;
class CKorvantaWindow;
class CLogicManager;
class IShellLogic;
class IUploadService;
class IWorkspaceFiles;
class MultiLanguage;
class CSetupWindow;
class CVideoAnlysisWindow;
class cnoteswindow;
class CustomRunButton;
class ILogicQueries;
class IPrompter;
class IShellFrame;
class ISetupSettings;
class QProgressDialog;
class QTimer;

class CExperimentModeDialog;
class CEngineMessages;

class CWindowsManager : public QMdiArea, public IChildWindowHost, public ISetupHost, public IWorkspaceHost,
                        public IAnalysisHost
{
    Q_OBJECT
public:
    // The kinds of child window whose last-made and current window are recorded.
    // A fixed underlying type: kinds arrive as plain integers (window records, properties).
    enum WindowKind : int { GraphKind = 0, TableKind, MetersKind, CalculatorKind, NotesKind, VideoKind, NumWindowKinds };

    static constexpr int s_SideWidth = 380;
    static constexpr int s_StartWatchdogMs = 7000;
    static constexpr int s_FinishingMs = 500;

    explicit CWindowsManager(QWidget* parent);
    ~CWindowsManager() override;

    // The pieces the main window hands over before init (the logic layer and the frame may be
    // fakes in tests).
    void SetFrame(IShellFrame* frame) { m_pFrame = frame; }
    void SetLogicQueries(ILogicQueries* logic) { m_pLogic = logic; }
    // The logic manager also gets the setup window's record, and gives it back before the
    // setup window goes. One detached (null) keeps it while it shuts its loggers down.
    void SetLogicManagerObject(CLogicManager* logic);
    void SetSetupSettings(ISetupSettings* settings) { m_pSettings = settings; }
    void SetPrompter(IPrompter* prompter) { m_pPrompter = prompter; }
    // The start watchdog's interval; tests shorten it.
    void SetStartWatchdogInterval(int ms) { m_StartWatchdogMs = ms; }
    // How long a workspace load runs before its progress dialog shows; tests shorten it.
    void SetLoadProgressDelay(int ms) { m_LoadProgressDelayMs = ms; }

    void init();

    // IChildWindowHost
    bool AlignToGrid() const override { return m_bAlignToGrid; }
    CKorvantaSignals* GetSignals() const override { return m_pSignals; }
    CDataManager* GetDataManager() const override;
    IPrompter* GetPrompter() const override;
    // IWorkspaceHost (WindowsManager_workspace.cpp)
    QString WorkspaceFolder() override { return getKV4FolderPath(); }
    QString ChooseSaveFile(const QString& title, const QString& start, const QString& filter) override;
    QString ChooseOpenFile(const QString& title, const QString& start, const QString& filter) override;
    void Warn(const QString& title, const QString& text) override;
    void ClearForLoad() override;
    // Shows a progress dialog once a load has taken longer than the delay, and lets the
    // window paint now and then; false once the user cancelled.
    bool LoadProgress(qint64 done, qint64 total) override;
    QVector<SavedWindow> WindowsToSave() override;
    int LoadWindowRecord(quint16 tag, QDataStream* stream, bool* handled) override;
    void ShowGraphOfBranches(const QVector<int>& keys) override;
    void ShowNotesWithText(const QString& text) override;
    // ISetupHost
    ILogicQueries* GetLogicQueries() const override { return m_pLogic; }
    ISetupSettings* GetSetupSettings() const override { return m_pSettings; }
    QObject* GetLogicManagerObject() const override { return m_pLogicObject; }
    bool IsLoggerDetected() const override { return m_bLoggerDetected; }
    ExperimentRunMode GetCurrentRunMode() const override;
    void SetRunButtonEnabled(bool enabled) override;
    void ShowRunManualButton(bool show) override;
    // IChildWindowHost, graph windows (WindowsManager_graph.cpp)
    CKorvantaWindow* GetLastActiveGraph() const override;
    void SetLastActiveGraph(CKorvantaWindow* graph) override;
    void GraphWindowClosing(CKorvantaWindow* graph) override { SetLastGraphActive(graph); }
    CSetupInfo* GetSetupInfo() const override;
    CSensorInfo* GetSensorCatalogue() const override;
    ExperimentInterval GetExperimentInterval(short rate, short samples, short loggerType) const override;
    void RequestVideoWindow(const QString& path, int folderKey) override { OpenVideoWindow(path, folderKey); }
    void ShowInGraphOfItsOwn(int key) override;

    // Graph windows (WindowsManager_graph.cpp).
    CKorvantaWindow* ShowGraphWindow();
    CKorvantaWindow* GetLastGraphWindow() const;
    void SetLastGraphActive(CKorvantaWindow* closing);

    CSetupWindow* GetSetupWindow() const { return m_pSetupWindow; }
    CHistoryWindow* GetHistoryWindow() const { return m_pHistoryWindow; }

    // Logger, workspace, upload and language services of the commands (null: unavailable).
    void SetShellLogic(IShellLogic* logic) { m_pShellLogic = logic; }
    IShellLogic* GetShellLogic() const { return m_pShellLogic; }
    void SetWorkspaceFiles(IWorkspaceFiles* files) { m_pWorkspaceFiles = files; }
    IWorkspaceFiles* GetWorkspaceFiles() const { return m_pWorkspaceFiles; }
    void SetUploadService(IUploadService* upload) { m_pUpload = upload; }
    IUploadService* GetUploadService() const { return m_pUpload; }
    void SetLanguages(MultiLanguage* languages) { m_pLanguages = languages; }
    // The application title the window title is made from (the main window's).
    void SetApplicationTitle(const QString& title) { m_AppTitle = title; }

    // Commands (WindowsManager_commands.cpp).
    QString getKV4FolderPath();
    // The help page for a language under appDir, English when that language has none.
    static QString HelpFilePath(const QString& appDir, const QString& code);
    // The version a firmware file's name carries ("logger_ver1.25.bin" gives "1.25").
    static QString FirmwareVersionText(const QString& path);
    // Channels able to run event timing in the first logger status (forDialog: the count the
    // sampling-mode button uses, otherwise the one a status report uses).
    int TimingCapableChannels(bool forDialog) const;
    int videoWindowsCount() const;
    void SetVideoWindowsCount(int count) { m_VideoWindowsOpen = count; }
    bool isExperimentModeDialogOpen() const { return m_bExperimentModeDialogOpen; }
    CExperimentModeDialog* experimentModeDialog() const;
    QTimer* protectionTimer() const { return m_pLoggerProtectionTimer; }
    QProgressDialog* progressDialog() const { return m_pProgressDialog; }
    bool hasDataToSave() const { return m_bHasDataToSave; }
    bool isRunInProgress() const { return m_bRunInProgress; }
    bool isConnectedViaBluetooth() const { return m_bConnectedViaBluetooth; }
    bool isVideoTracking() const { return m_bVideoTracking; }
    double connectedLoggerType() const { return m_ConnectedLoggerType; }

    // Window records. A window of a kind is added as a sub-window and remembered; the records
    // are guarded, so a closed and deleted window reads as none.
    void AddChildWindow(CKorvantaWindow* window, WindowKind kind);
    // Shrinks a new window to the area and moves it in where it reaches past an edge, so all of
    // it, title bar included, shows; called once it has its first size.
    void PlaceInsideArea(QMdiSubWindow* window);
    CKorvantaWindow* GetLastMade(WindowKind kind) const;
    CKorvantaWindow* GetCurrent(WindowKind kind) const;
    CKorvantaWindow* GetLastOfKind(WindowKind kind, const CKorvantaWindow* except = nullptr) const;
    // Called by a window of that kind when it closes.
    void SetLastActive(WindowKind kind, CKorvantaWindow* closing);
    // Tables (WindowsManager_table.cpp).
    void SetLastActiveTable(CKorvantaWindow* table) override;
    CKorvantaWindow* GetLastActiveTable() const override;
    void SetLastTableActive(CKorvantaWindow* closing) override;
    CKorvantaWindow* ShowTableWindow();

    // The arrangement of the setup, history and graph windows for an area of w x h.
    struct Arrangement
    {
        QRect setup;
        QRect history;
        QRect graph;
    };
    static Arrangement InitialArrangement(int w, int h);
    // graph is the current graph window's geometry (ignored when null).
    static Arrangement UpdatedArrangement(int w, int h, bool setupVisible, bool historyVisible, QRect graph);
    // Where a window of the given size opens in an area: right of the side band (the visible
    // setup and history windows, null when none shows), never over it, at the top, stepped
    // down and right past the corners of the windows already there so that no title bar is
    // covered. A free part narrower than the window's minimum, or than the side column where
    // the window is wider, leaves it the whole area.
    static QRect FreePlacement(QSize area, QRect band, QSize window, QSize minimum, const QVector<QPoint>& corners);
    // Two steps of the windows' 20-pixel grid: snapping a place down never lands it on the last.
    static constexpr int s_CascadeStep = 40;
    // Moves a window made on command into the free part of the area (WindowsManager_placement.cpp).
    void PlaceInFreeArea(QMdiSubWindow* window);

    void WaitHere(int ms);

    // Video analysis (WindowsManager_video.cpp).
    CVideoAnlysisWindow* ShowVideoWindow(bool fileFollows);
    // Shows path for the run folderKey, in a new window unless one already shows it.
    void OpenVideoWindow(const QString& path, int folderKey);
    CVideoAnlysisWindow* GetLastVideoWindow() const;
    CKorvantaWindow* GetActiveVideoWindow() const override { return GetCurrent(VideoKind); }
    void SetActiveVideoWindow(CKorvantaWindow* window) override;
    void SetLastVideoWindowActive(CKorvantaWindow* closing) override { SetLastActive(VideoKind, closing); }
    void HistoryNewFolder() override;
    void HistoryRestore(bool allowDelete) override;
    bool isVideoRecordArmed() const { return m_bVideoRecordArmed; }

    // The analysis engine and what the analysis dialogs ask of the window manager
    // (WindowsManager_analysis.cpp).
    CFunctions* GetFunctions() { return m_pFunctions.get(); }
    CFunctions* AnalysisEngine() override { return m_pFunctions.get(); }
    CDataManager* AnalysisData() override { return GetDataManager(); }
    CSetupInfo* AnalysisSetup() override { return GetSetupInfo(); }
    const CSensorInfo* AnalysisCatalogue() override { return GetSensorCatalogue(); }
    CKorvantaSignals* AnalysisHub() override { return m_pSignals; }
    IPrompter* AnalysisPrompter() override { return prompter(); }
    CCalculateOnLineFunctions* OnlineFunctions() override;
    bool HasCurrentGraph() override { return GetCurrent(GraphKind) != nullptr; }
    int CurrentGraphCursors(int& cursor1, int& cursor2, int& xAxisKey) override;
    int CurrentGraphAnalysisRange(int& start, int& end, int& xAxisKey) override;
    int CurrentGraphXAxisKey() override;
    QList<int> CurrentGraphPlotKeys() override;
    void HistoryInsertChild(int parentKey, int childKey, bool deleteEnabled) override;
    void HistoryExpandLastBranch() override;
    QString MessageTitle() override { return m_AppTitle.isEmpty() ? tr("Pavix") : m_AppTitle; }
    // Hands every cuff-pressure run that the conversion sees deflated to the engine's blood-
    // pressure evaluation, on the user-interface thread.
    void InstallBloodPressureEvaluator(CDataManager* data);
    void EvaluateBloodPressure(int branchKey);

signals:
    void runBtns_play();
    void runBtns_delayPlay(int);
    void runBtns_stop();

public slots:
    // Run control.
    void OnRun();
    void OnManual();
    void TriggerDelayTimout();
    void loggerStartedRunning();
    void loggerFinishedRunning();
    void loggerDetected(bool detected);
    void loggerDisconnected();
    // The logger fell silent while idle (it is gone by now): the user is told and offered to
    // connect again.
    void loggerStoppedAnswering();
    void userStartedRun();
    void OnUserAskXvalue();

    void InitWindowsArrangement();
    void UpdateWindowsArrangement();
    void ShowSetupWindow(bool show);
    void onOpenSetupWindow(bool toggled);
    void onAlign2Grid(bool toggled) { m_bAlignToGrid = toggled; }
    void VideoTrackingOn(int) { m_bVideoTracking = true; }
    void VideoTrackingOff() { m_bVideoTracking = false; }
    void onHasNewDataToSave() { m_bHasDataToSave = true; }
    void LoggerEnteredBootLoaderMode();
    void LoggerBootLoaderProgUpdate(int percentage, QString text);
    void LoggerBootLoaderFinshed(int result);
    void LoggerDownloadStarted();
    void LoggerDownloadFinshed(bool);
    void OnLoggerStatusArrived(int source);

    // Logger commands and events (WindowsManager_events.cpp).
    void FirmwareUpdateFailed();
    void onLoggerConnect();
    void onDownload();
    void OnExperimentModeButton();
    void AcceptExperimentMode(bool acceptted);

    // Workspace, help, firmware and window commands (WindowsManager_commands.cpp).
    void OnNew();
    void OnOpen();
    // The Save command: a failure is reported to the user.
    void OnSaveCommand();
    int OnSave();
    void OnSaveAs();
    void onNoMoredataToSave();
    void clearWorkSpace();
    void CleanWorkspace();
    void ShowHelp();
    void onFirmWareUpdate();
    void ShowHistoryWindow(bool show);
    void onOpenHisoryWindow(bool toggled);
    // Meters, calculator and notes windows, and the edit commands of the notes editor
    // (WindowsManager_meters.cpp).
    void ShowMetersWindow();
    void ShowCalcWindow();
    cnoteswindow* ShowNotesWindow();
    void ShowNotesWindowWithText(QString& text);
    void onUndo();
    void onRedo();
    void onCut();
    void onCopy();
    void onPaste();
    void onAbout();
    void onOpenGraphWindow();
    void onOpenRecent() {}
    void onOpenSamples() {}
    void onHome() {}
    void OnPrint() {}
    void onManualCurveFitFunc() {}
    void onOpenTableWindow();
    void onOpenVideoWindow() { ShowVideoWindow(false); }
    void OnVideoRecord() {}
    void OnVideoLock() {}
    void OnVideoRecordButton();
    void OnVideoRecordButtonTimer();

    // Analysis and upload commands (WindowsManager_analysis.cpp).
    void onMathFunc();
    void onCurveFitFunc();
    void onPhotogateFunc();
    void onStatisticsFunc();
    void onSlopeFunc();
    void onAreaFunc();
    void onAveragingFunc();
    void onLinearCurveFitFunc();
    void onQuadraticCurveFitFunc();
    void onDerivativeMathFunc();
    void onIntegralMathFunc();
    void onStopUpload2Terravox();
    void onOnlineUpload2Terravox();
    // Login and the upload of the current graph's series (WindowsManager_upload.cpp).
    void onEnableTerravox();
    void onUpload2Terravox();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Shows or hides the setup or the history (show) and lays the side out again; a maximized
    // window stays maximized behind them.
    void toggleSideWindow(const std::function<void()>& show);
    CustomRunButton* runButton() const;
    IPrompter* prompter() const;
    // Makes the window a workspace record's begin tag stands for (null: none of that kind).
    CKorvantaWindow* windowForRecord(quint16 tag);
    void startFromIdle();
    void requestRun();
    void startWatchdog(int ms);
    void failedToStart();
    void cancelUnconfirmedStart();
    void giveBackIdleButton();
    void stopUnconfirmed();
    void stopSent();
    void connectHub();
    void connectShellEvents();
    void hideProgress();
    // The progress dialog offers Cancel while the program waits for a logger to come back with
    // its new firmware, the one wait of an update the user may give up; no other time.
    void offerFirmwareWaitCancel();
    void onProgressCanceled();
    // The clearing steps of New and Open, and the fresh start of New.
    void clearForNewWorkspace();
    void freshStart();
    // Open's load (WindowsManager_workspace.cpp): windows made while a file is read are held
    // back and shown only once the whole file was read; a failed open leaves none of them.
    // The workspace the file is to replace waits aside meanwhile and comes back when it fails.
    void beginLoad();
    void endLoad(bool loaded);
    void setAsidePrevious();
    void restorePrevious();
    void dropPrevious();
    // Removes the windows a load made so far.
    void discardLoaded();
    int previousVideoWindows() const;
    void showMadeWindow(QMdiSubWindow* window);
    void reportFailedOpen(int result);
    // Every window of the area but the setup and history windows, which live as long as the
    // program.
    QList<QMdiSubWindow*> dataWindows() const;
    // Asks about unsaved changes before New or Open; false when the command is to stop.
    bool settleUnsavedChanges();
    int saveWorkspace(const QString& path);
    void reportSaveFailure(int result);
    // Reads the current graph's cursors; false (and all -1) without a graph.
    int cursorInfo(int* cursor1, int* cursor2, int* xAxisKey) const;
    void quickFunction(int id);
    // The live upload's share of the run control (WindowsManager_upload.cpp).
    void uploadRunStarted();
    void uploadRunFinished();
    cnoteswindow* activeNotesWindow() const;

    CSetupWindow* m_pSetupWindow = nullptr;
    QPointer<CKorvantaWindow> m_pLastMade[NumWindowKinds];
    QPointer<CKorvantaWindow> m_pCurrent[NumWindowKinds];
    IShellFrame* m_pFrame = nullptr;
    CKorvantaSignals* m_pSignals = nullptr;
    QProgressDialog* m_pProgressDialog = nullptr;
    bool m_bProgressCancelOffered = false;
    static constexpr int s_ProgressHeight = 100;
    static constexpr int s_ProgressButtonRow = 40;
    QPointer<QProgressDialog> m_pLoadProgress;
    bool m_bLoadingWorkspace = false;
    QVector<QPointer<QMdiSubWindow>> m_HeldBackWindows;
    struct PreviousWorkspace
    {
        bool held = false;
        QVector<QPointer<QMdiSubWindow>> windows;   // hidden, in creation order
        QPointer<QMdiSubWindow> active;
        QPointer<CKorvantaWindow> lastMade[NumWindowKinds];
        QPointer<CKorvantaWindow> current[NumWindowKinds];
        bool unsaved = false;
    };
    PreviousWorkspace m_Previous;
    QElapsedTimer m_LoadClock;
    QElapsedTimer m_LoadPaintClock;
    int m_LoadProgressDelayMs = 500;
    bool m_bAlignToGrid = true;
    bool m_bLoggerDetected = false;
    bool m_bRunInProgress = false;
    bool m_bConnectedViaBluetooth = false;
    bool m_bVideoTracking = false;
    double m_ConnectedLoggerType = 0.0;
    bool m_bHasDataToSave = false;
    // Set while a requested start has not been confirmed and a press of the Run button is to
    // cancel it (after a trigger delay, or once the watchdog gave up on an event-timing start).
    bool m_bPressCancelsStart = false;
    QTimer* m_pLoggerProtectionTimer = nullptr;
    int m_StartWatchdogMs = s_StartWatchdogMs;
    ILogicQueries* m_pLogic = nullptr;
    QObject* m_pLogicObject = nullptr;
    QPointer<CLogicManager> m_pSetupReader;
    ISetupSettings* m_pSettings = nullptr;
    IPrompter* m_pPrompter = nullptr;
    CHistoryWindow* m_pHistoryWindow = nullptr;
    IShellLogic* m_pShellLogic = nullptr;
    IWorkspaceFiles* m_pWorkspaceFiles = nullptr;
    IUploadService* m_pUpload = nullptr;
    MultiLanguage* m_pLanguages = nullptr;
    QString m_AppTitle;
    int m_VideoWindowsOpen = 0;
    bool m_bExperimentModeDialogOpen = false;
    bool m_bVideoRecordArmed = true;
    QPointer<CExperimentModeDialog> m_pExperimentModeDialog;
    // The engine's messages shown to the user; made by the constructor with the engine, which
    // is given them and the hub. Its store comes with the logic manager (SetDataManager).
    CEngineMessages* m_pEngineMessages = nullptr;
    std::unique_ptr<CFunctions> m_pFunctions;
    void installAnalysisServices();
    void removeAnalysisServices();
    // The next X value of a manual-X run into the setup record; false when the user cancels.
    bool askManualXValue();
    // The first X value of a hand-sampled run with typed X values, before the run starts;
    // false when the user refused it (nothing starts).
    bool askFirstManualXValue();
};

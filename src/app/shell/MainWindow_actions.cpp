// The main window's commands: the Run button's wiring, the ribbon's and the menus' actions with
// their keys, texts, pictures and shortcuts, and the menus themselves.
#include "app/shell/MainWindow.h"
#include "windowbase/DeferredIcon.h"

#include "app/shell/CustomRunButton.h"
#include "app/shell/RibbonActions.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

namespace {
// The platform's key for a standard command; where the desktop defines none (Save As, and Quit
// outside X11, have none in Qt's plain keyboard scheme), the key the common desktops give it.
QKeySequence StandardOr(QKeySequence::StandardKey key, const char* usual)
{
    const QKeySequence platform(key);
    return platform.isEmpty() ? QKeySequence(QString::fromLatin1(usual)) : platform;
}
} // namespace

MultiAction* MainWindow::makeRibbonAction(const RibbonActionEntry& entry)
{
    const QIcon normal = KorvantaIcons::Deferred(entry.normal);
    MultiAction* action = new MultiAction(normal, QCoreApplication::translate("MainWindow", entry.text), this);
    action->setPressedIcon(KorvantaIcons::Deferred(QString::fromLatin1(entry.pressed)));
    action->setHoverIcon(KorvantaIcons::Deferred(QString::fromLatin1(entry.hover)));
    action->setNormalIcon(normal);
    action->setDisabledIcon(KorvantaIcons::Deferred(QString::fromLatin1(entry.disabled)));
    action->setKey(entry.key);
    action->setEnabled(commandAvailable(entry.key));
    return action;
}

MultiAction* MainWindow::makeMenuAction(const char* text, MultiActionKeyType key, QList<MultiAction*>& list)
{
    MultiAction* action = new MultiAction(QCoreApplication::translate("MainWindow", text), this);
    action->setKey(key);
    action->setEnabled(commandAvailable(key));
    list.append(action);
    return action;
}

void MainWindow::CreateActions()
{
    connect(m_pRunButton, &QPushButton::released, &m_WindowsManager, &CWindowsManager::OnRun);
    if (QPushButton* manual = m_pRunButton->manualButton())
        connect(manual, &QPushButton::released, &m_WindowsManager, &CWindowsManager::OnManual);
    m_pExitAction->setShortcut(StandardOr(QKeySequence::Quit, "Ctrl+Q"));
    connect(m_pExitAction, &QAction::triggered, this, [this]() { onExit(nullptr); });

    initBasicActionsList();
    initFileMenuActionList();
    initEditMenuActionList();
    initLoggerMenuActionList();
    initHelpMenuActionList();
    initWorkSpaceActionsList();
    initAnalysisActionsList();
    initOpenMenuActionList();
    initTerravoxMenuActionList();

    connect(m_pUpdateTimer, &QTimer::timeout, this, &MainWindow::updateActions);
    m_pUpdateTimer->start(500);
    connect(m_pKeepAwakeTimer, &QTimer::timeout, this, &MainWindow::OnPreventSleepTimer);
    m_pKeepAwakeTimer->start(30000);
    connect(m_pExperimentModeButton, &QPushButton::released, &m_WindowsManager,
            &CWindowsManager::OnExperimentModeButton);
}

void MainWindow::initBasicActionsList()
{
    CWindowsManager* wm = &m_WindowsManager;
    for (const RibbonActionEntry& entry : s_BasicToolsEntries)
        m_BasicToolsList.append(makeRibbonAction(entry));
    // New and Save also sit in the File menu, which keeps their shortcuts: one key sequence on
    // two actions of one window is ambiguous and would trigger neither.
    connect(m_BasicToolsList.at(0), &QAction::triggered, wm, &CWindowsManager::OnNew);
    connect(m_BasicToolsList.at(1), &QAction::triggered, wm, &CWindowsManager::OnOpen);
    m_BasicToolsList.at(1)->setShortcut(QKeySequence::Open);
    // A ribbon button's shortcut works only while its tab shows; held by the main window too,
    // Open answers its key on every tab and in every child window.
    addAction(m_BasicToolsList.at(1));
    connect(m_BasicToolsList.at(2), &QAction::triggered, wm, &CWindowsManager::OnSaveCommand);
}

void MainWindow::initFileMenuActionList()
{
    CWindowsManager* wm = &m_WindowsManager;
    MultiAction* fileNew = makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "&New"), 7, m_FileMenuList);
    fileNew->setShortcut(QKeySequence::New);
    connect(fileNew, &QAction::triggered, wm, &CWindowsManager::OnNew);
    MultiAction* save = makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "&Save"), 8, m_FileMenuList);
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, wm, &CWindowsManager::OnSaveCommand);
    MultiAction* saveAs = makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "Save &As"), 9, m_FileMenuList);
    saveAs->setShortcut(StandardOr(QKeySequence::SaveAs, "Ctrl+Shift+S"));
    connect(saveAs, &QAction::triggered, wm, &CWindowsManager::OnSaveAs);
}

void MainWindow::initEditMenuActionList()
{
    const char* const texts[] = {QT_TRANSLATE_NOOP("MainWindow", "&Undo"), QT_TRANSLATE_NOOP("MainWindow", "&Redo"),
                                 QT_TRANSLATE_NOOP("MainWindow", "Cu&t"), QT_TRANSLATE_NOOP("MainWindow", "&Copy"),
                                 QT_TRANSLATE_NOOP("MainWindow", "&Paste")};
    const QKeySequence::StandardKey keys[] = {QKeySequence::Undo, QKeySequence::Redo, QKeySequence::Cut,
                                              QKeySequence::Copy, QKeySequence::Paste};
    void (CWindowsManager::*const handlers[])() = {&CWindowsManager::onUndo, &CWindowsManager::onRedo,
                                                &CWindowsManager::onCut, &CWindowsManager::onCopy,
                                                &CWindowsManager::onPaste};
    for (int i = 0; i < 5; ++i) {
        MultiAction* action = makeMenuAction(texts[i], 11 + i, m_EditMenuList);
        action->setShortcut(keys[i]);
        connect(action, &QAction::triggered, &m_WindowsManager, handlers[i]);
    }
}

void MainWindow::initLoggerMenuActionList()
{
    CWindowsManager* wm = &m_WindowsManager;
    connect(makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "&Download"), 16, m_LoggerMenuList), &QAction::triggered,
            wm, &CWindowsManager::onDownload);
    connect(makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "&Connect"), 17, m_LoggerMenuList), &QAction::triggered,
            wm, &CWindowsManager::onLoggerConnect);
    connect(makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "&Firmware update"), 18, m_LoggerMenuList),
            &QAction::triggered, wm, &CWindowsManager::onFirmWareUpdate);
}

void MainWindow::initHelpMenuActionList()
{
    QList<MultiAction*> help;
    m_pHelpAction = makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "&Help"), 50, help);
    connect(m_pHelpAction, &QAction::triggered, &m_WindowsManager, &CWindowsManager::ShowHelp);
}

void MainWindow::initWorkSpaceActionsList()
{
    for (const RibbonActionEntry& entry : s_WorkSpaceEntries) {
        MultiAction* action = makeRibbonAction(entry);
        if (entry.key == 19 || entry.key == 20 || entry.key == 27)
            action->setCheckable(true);
        m_WorkSpaceList.append(action);
    }
    // Only the user's clicks reach the window slots; the ticks that tick these entries to
    // match the windows do not.
    if (MultiAction* history = findAction(19)) {
        history->setChecked(true);
        connect(history, &QAction::triggered, &m_WindowsManager, &CWindowsManager::onOpenHisoryWindow);
    }
    if (MultiAction* setup = findAction(20)) {
        setup->setChecked(true);
        connect(setup, &QAction::triggered, &m_WindowsManager, &CWindowsManager::onOpenSetupWindow);
        // The command only shows the setup: its mark stays on after a click.
        connect(setup, &QAction::triggered, setup, [setup] { setup->setChecked(true); });
    }
    if (MultiAction* table = findAction(21))
        connect(table, &QAction::triggered, &m_WindowsManager, &CWindowsManager::onOpenTableWindow);
    if (MultiAction* graph = findAction(22))
        connect(graph, &QAction::triggered, &m_WindowsManager, &CWindowsManager::onOpenGraphWindow);
    connect(findAction(23), &QAction::triggered, &m_WindowsManager, &CWindowsManager::ShowMetersWindow);
    connect(findAction(25), &QAction::triggered, &m_WindowsManager, &CWindowsManager::ShowCalcWindow);
    connect(findAction(26), &QAction::triggered, &m_WindowsManager, [this]() { m_WindowsManager.ShowNotesWindow(); });
    if (MultiAction* video = findAction(24))
        connect(video, &QAction::triggered, &m_WindowsManager, &CWindowsManager::onOpenVideoWindow);
    if (MultiAction* align = findAction(27)) {
        align->setChecked(m_WindowsManager.AlignToGrid());
        connect(align, &QAction::toggled, &m_WindowsManager, &CWindowsManager::onAlign2Grid);
    }
}

void MainWindow::initAnalysisActionsList()
{
    for (const RibbonActionEntry& entry : s_AnalysisEntries) {
        MultiAction* action = makeRibbonAction(entry);
        if (entry.key == 36 || entry.key == 37)
            action->setCheckable(true);
        m_AnalysisList.append(action);
    }
    CWindowsManager* wm = &m_WindowsManager;
    connect(findAction(28), &QAction::triggered, wm, &CWindowsManager::onCurveFitFunc);
    connect(findAction(33), &QAction::triggered, wm, &CWindowsManager::onMathFunc);
    connect(findAction(39), &QAction::triggered, wm, &CWindowsManager::onPhotogateFunc);
    connect(findAction(32), &QAction::triggered, wm, &CWindowsManager::onStatisticsFunc);
    connect(findAction(36), &QAction::triggered, wm, &CWindowsManager::onSlopeFunc);
    connect(findAction(37), &QAction::triggered, wm, &CWindowsManager::onAreaFunc);
    connect(findAction(38), &QAction::triggered, wm, &CWindowsManager::onAveragingFunc);
}

void MainWindow::initOpenMenuActionList()
{
    const char* const texts[] = {QT_TRANSLATE_NOOP("MainWindow", "Open &file"), QT_TRANSLATE_NOOP("MainWindow", "&Samples")};
    for (int i = 0; i < 2; ++i) {
        MultiAction* action = new MultiAction(QCoreApplication::translate("MainWindow", texts[i]), this);
        action->setKey(i + 1);
        action->setEnabled(commandAvailable(i + 1));
        connect(action, &QAction::triggered, &m_WindowsManager, &CWindowsManager::OnOpen);
        m_OpenMenuList.append(action);
    }
}

void MainWindow::initTerravoxMenuActionList()
{
    MultiAction* login = makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "&Login to Terravox"), 51, m_OnlineServiceList);
    login->setCheckable(true);
    connect(login, &QAction::triggered, &m_WindowsManager, &CWindowsManager::onEnableTerravox);
    connect(makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "&Upload to Terravox"), 52, m_OnlineServiceList),
            &QAction::triggered, &m_WindowsManager, &CWindowsManager::onUpload2Terravox);
    connect(makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "&Stop uploading to Terravox"), 53, m_OnlineServiceList),
            &QAction::triggered, &m_WindowsManager, &CWindowsManager::onStopUpload2Terravox);
    MultiAction* separator = new MultiAction(this);
    separator->setSeparator(true);
    m_OnlineServiceList.append(separator);
    MultiAction* live = makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "&Online Upload to Terravox"), 54,
                                       m_OnlineServiceList);
    live->setCheckable(true);
    connect(live, &QAction::triggered, &m_WindowsManager, &CWindowsManager::onOnlineUpload2Terravox);
}

void MainWindow::initMenus()
{
    m_MenuBar.setStyleSheet(QStringLiteral(
        "QMenuBar {background-color: rgb(95, 95, 95); color: white }QMenuBar::item {background-color: rgb(95, 95, "
        "95); color: white}QMenu {background-color: white; color: black}QMenu::item:selected {background-color: "
        "rgb(95, 95, 95); color: white}QMenu::item:disabled {background-color: white; color: rgb(192, 192, 192)}"
        // The menu the keyboard is on (after Alt alone or F10) stands out: drawn as the others,
        // Alt seemed to do nothing.
        "QMenuBar::item:selected {background-color: white; color: black}"));
    // Every menu and entry has its mnemonic, unique in its menu: Alt+L opens the Logger menu,
    // C then reaches Connect.
    QMenu* file = m_MenuBar.addMenu(tr("&File"));
    QMenu* edit = m_MenuBar.addMenu(tr("&Edit"));
    QMenu* logger = m_MenuBar.addMenu(tr("&Logger"));
    QMenu* helpMenu = m_MenuBar.addMenu(tr("&Help"));
    for (MultiAction* action : m_FileMenuList) {
        file->addAction(action);
        if (action->getKey() == 7) {
            QMenu* open = file->addMenu(tr("&Open"));
            open->addActions(QList<QAction*>(m_OpenMenuList.begin(), m_OpenMenuList.end()));
        }
    }
    QMenu* language = file->addMenu(tr("&Language"));
    language->addActions(m_Languages.m_pActionGroup->actions());
    // The greyed languages say why they are greyed.
    language->setToolTipsVisible(true);
    m_pAboutAction = new MultiAction(tr("A&bout"), this);
    m_pAboutAction->setKey(6);
    connect(m_pAboutAction, &QAction::triggered, &m_WindowsManager, &CWindowsManager::onAbout);
    file->addAction(m_pAboutAction);
    file->addSeparator();
    file->addAction(m_pExitAction);
    edit->addActions(QList<QAction*>(m_EditMenuList.begin(), m_EditMenuList.end()));
    logger->addActions(QList<QAction*>(m_LoggerMenuList.begin(), m_LoggerMenuList.end()));
    QMenu* terravox = logger->addMenu(tr("&Terravox"));
    terravox->addActions(QList<QAction*>(m_OnlineServiceList.begin(), m_OnlineServiceList.end()));
    helpMenu->addAction(m_pHelpAction);
    m_pExitAction->setText(tr("E&xit"));
    // F10 opens the first menu, from any child window.
    m_pMenuKeyAction = new QAction(this);
    m_pMenuKeyAction->setShortcut(QKeySequence(Qt::Key_F10));
    m_pMenuKeyAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_pMenuKeyAction, &QAction::triggered, this, [this] {
        const QList<QAction*> menus = m_MenuBar.actions();
        if (!menus.isEmpty())
            m_MenuBar.setActiveAction(menus.first());
    });
    addAction(m_pMenuKeyAction);
}

QList<MultiAction*> MainWindow::actionsWithKey(MultiActionKeyType key) const
{
    QList<MultiAction*> found;
    for (const QList<MultiAction*>* list : {&m_BasicToolsList, &m_WorkSpaceList, &m_AnalysisList, &m_FileMenuList,
                                             &m_EditMenuList, &m_LoggerMenuList, &m_OpenMenuList, &m_OnlineServiceList})
        for (MultiAction* action : *list)
            if (action->getKey() == key && !action->isSeparator())
                found << action;
    for (MultiAction* single : {m_pHelpAction, m_pAboutAction})
        if (single && single->getKey() == key)
            found << single;
    return found;
}

MultiAction* MainWindow::findAction(MultiActionKeyType key) const
{
    const QList<MultiAction*> found = actionsWithKey(key);
    return found.isEmpty() ? nullptr : found.first();
}

void MainWindow::SetCheckedMenuItem(bool checked, MultiActionKeyType key)
{
    for (MultiAction* action : m_OnlineServiceList)
        if (action->getKey() == key && !action->isSeparator())
            action->setChecked(checked);
}

// The main window's commands: the Run button's wiring, the ribbon's and the menus' actions.
// Commands whose windows or logger functions are not part of the program yet stay disabled.
#include "app/shell/MainWindow.h"

#include "app/shell/CustomRunButton.h"
#include "app/shell/RibbonActions.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

namespace {
// Keys of the commands that work today; every other command waits for its part.
bool available(MultiActionKeyType key)
{
    return key == 27; // Align to Grid
}
} // namespace

MultiAction* MainWindow::makeRibbonAction(const RibbonActionSpec& spec)
{
    const QIcon normal{QString::fromLatin1(spec.normal)};
    MultiAction* action = new MultiAction(normal, QCoreApplication::translate("MainWindow", spec.text), this);
    action->setPressedIcon(QIcon(QString::fromLatin1(spec.pressed)));
    action->setHoverIcon(QIcon(QString::fromLatin1(spec.hover)));
    action->setNormalIcon(normal);
    action->setDisabledIcon(QIcon(QString::fromLatin1(spec.disabled)));
    action->setKey(spec.key);
    action->setEnabled(available(spec.key));
    return action;
}

MultiAction* MainWindow::makeMenuAction(const char* text, MultiActionKeyType key, QList<MultiAction*>& list)
{
    MultiAction* action = new MultiAction(QCoreApplication::translate("MainWindow", text), this);
    action->setKey(key);
    action->setEnabled(available(key));
    list.append(action);
    return action;
}

void MainWindow::CreateActions()
{
    connect(m_pRunButton, &QPushButton::released, &m_WindowsManager, &CWindowsManager::OnRun);
    if (QPushButton* manual = m_pRunButton->manualButton())
        connect(manual, &QPushButton::released, &m_WindowsManager, &CWindowsManager::OnManual);
    m_pExitAction->setShortcut(QKeySequence::Quit);
    connect(m_pExitAction, &QAction::triggered, this, [this]() { onExit(nullptr); });

    for (const RibbonActionSpec& spec : s_BasicToolsSpecs)
        m_BasicToolsList.append(makeRibbonAction(spec));
    makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "&New"), 7, m_FileMenuList)->setShortcut(QKeySequence::New);
    makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "&Save"), 8, m_FileMenuList)->setShortcut(QKeySequence::Save);
    makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "&Save As"), 9, m_FileMenuList)->setShortcut(QKeySequence::SaveAs);
    const char* const edits[] = {QT_TRANSLATE_NOOP("MainWindow", "Undo"), QT_TRANSLATE_NOOP("MainWindow", "Redo"),
                                 QT_TRANSLATE_NOOP("MainWindow", "Cut"), QT_TRANSLATE_NOOP("MainWindow", "Copy"),
                                 QT_TRANSLATE_NOOP("MainWindow", "Paste")};
    const QKeySequence::StandardKey editKeys[] = {QKeySequence::Undo, QKeySequence::Redo, QKeySequence::Cut,
                                                  QKeySequence::Copy, QKeySequence::Paste};
    for (int i = 0; i < 5; ++i)
        makeMenuAction(edits[i], 11 + i, m_EditMenuList)->setShortcut(editKeys[i]);
    makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "Download"), 16, m_LoggerMenuList);
    makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "Connect"), 17, m_LoggerMenuList);
    makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "Firmware update"), 18, m_LoggerMenuList);
    QList<MultiAction*> help;
    m_pHelpAction = makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "Help"), 50, help);

    for (const RibbonActionSpec& spec : s_WorkSpaceSpecs) {
        MultiAction* action = makeRibbonAction(spec);
        if (spec.key == 19 || spec.key == 20 || spec.key == 27)
            action->setCheckable(true);
        m_WorkSpaceList.append(action);
    }
    if (MultiAction* setup = findAction(20))
        connect(setup, &QAction::triggered, &m_WindowsManager, &CWindowsManager::onOpenSetupWindow);
    if (MultiAction* align = findAction(27)) {
        align->setChecked(m_WindowsManager.AlignToGrid());
        connect(align, &QAction::toggled, &m_WindowsManager, &CWindowsManager::onAlign2Grid);
    }
    for (const RibbonActionSpec& spec : s_AnalysisSpecs) {
        MultiAction* action = makeRibbonAction(spec);
        if (spec.key == 36 || spec.key == 37)
            action->setCheckable(true);
        m_AnalysisList.append(action);
    }
    makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "Login to Terravox"), 51, m_OnlineServiceList)->setCheckable(true);
    makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "Upload to Terravox"), 52, m_OnlineServiceList);
    makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "Stop uploading to Terravox"), 53, m_OnlineServiceList);
    MultiAction* separator = new MultiAction(this);
    separator->setSeparator(true);
    m_OnlineServiceList.append(separator);
    makeMenuAction(QT_TRANSLATE_NOOP("MainWindow", "Online Upload to Terravox"), 54, m_OnlineServiceList)
        ->setCheckable(true);

    connect(m_pUpdateTimer, &QTimer::timeout, this, &MainWindow::updateActions);
    m_pUpdateTimer->start(500);
    connect(m_pKeepAwakeTimer, &QTimer::timeout, this, &MainWindow::OnPreventSleepTimer);
    m_pKeepAwakeTimer->start(30000);
}

void MainWindow::initMenus()
{
    m_MenuBar.setStyleSheet(QStringLiteral(
        "QMenuBar {background-color: rgb(95, 95, 95); color: white }QMenuBar::item {background-color: rgb(95, 95, "
        "95); color: white}QMenu {background-color: white; color: black}QMenu::item:selected {background-color: "
        "rgb(95, 95, 95); color: white}QMenu::item:disabled {background-color: white; color: rgb(192, 192, 192)}"));
    QMenu* file = m_MenuBar.addMenu(tr("File"));
    QMenu* edit = m_MenuBar.addMenu(tr("Edit"));
    QMenu* logger = m_MenuBar.addMenu(tr("Logger"));
    QMenu* helpMenu = m_MenuBar.addMenu(tr("Help"));
    for (MultiAction* action : m_FileMenuList) {
        file->addAction(action);
        if (action->getKey() == 7) {
            // Opening a workspace comes with the workspace files.
            QMenu* open = file->addMenu(tr("Open"));
            open->setEnabled(false);
        }
    }
    QMenu* language = file->addMenu(tr("Language"));
    language->addActions(m_Languages.m_pActionGroup->actions());
    MultiAction* about = new MultiAction(tr("About"), this);
    about->setKey(6);
    about->setEnabled(false);
    file->addAction(about);
    file->addSeparator();
    file->addAction(m_pExitAction);
    edit->addActions(QList<QAction*>(m_EditMenuList.begin(), m_EditMenuList.end()));
    logger->addActions(QList<QAction*>(m_LoggerMenuList.begin(), m_LoggerMenuList.end()));
    QMenu* terravox = logger->addMenu(tr("Terravox"));
    terravox->addActions(QList<QAction*>(m_OnlineServiceList.begin(), m_OnlineServiceList.end()));
    helpMenu->addAction(m_pHelpAction);
    m_pExitAction->setText(tr("Exit"));
}

MultiAction* MainWindow::findAction(MultiActionKeyType key) const
{
    for (const QList<MultiAction*>* list : {&m_BasicToolsList, &m_WorkSpaceList, &m_AnalysisList, &m_FileMenuList,
                                             &m_EditMenuList, &m_LoggerMenuList, &m_OnlineServiceList})
        for (MultiAction* action : *list)
            if (action->getKey() == key && !action->isSeparator())
                return action;
    if (m_pHelpAction && m_pHelpAction->getKey() == key)
        return m_pHelpAction;
    return nullptr;
}

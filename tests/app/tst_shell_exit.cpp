// Leaving the program with scripted answers, the shared notice box, the save question of New
// and Open, the About labels, the help page, the firmware command and its progress dialog, and
// the sampling-mode fallback.
#include "app/shell/AboutDialog.h"
#include "app/shell/CustomRunButton.h"
#include "app/shell/HistoryTreeModel.h"
#include "app/shell/HistoryWindow.h"
#include "app/shell/MainWindow.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Logic/LogicManager.h"
#include "common/FakeLogger.h"
#include "common/ScriptedPrompter.h"
#include "support/ScriptedServices.h"
#include "common/RecordingPlatform.h"
#include "setup/FullSetupWindow.h"
#include "setup/SetupSummary.h"
#include "setup/SetupWindow.h"

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include "common/TestMain.h"

namespace {
// A main window with scripted logger and workspace services and one run in the data store.
struct Rig
{
    Rig()
    {
        window.SetShellLogic(&logic);
        window.windowsManager()->SetWorkspaceFiles(&files);
        window.init();
        CDataFolder* run = window.logicManager()->m_DataManager.CreateDataFolder();
        window.windowsManager()->GetHistoryWindow()->insertFolder(run->m_Key, true);
    }
    ~Rig() { QApplication::restoreOverrideCursor(); }
    CKorvantaSignals* hub() { return window.windowsManager()->GetSignals(); }
    void makeUnsaved() { hub()->SignalHasNewDataToSave(); }
    bool exited() { return window.logicManager() == nullptr; }

    CScriptedPrompter prompter;
    CScriptedLogic logic;
    CScriptedWorkspace files;
    MainWindow window;
};
} // namespace

class TestShellExit : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void exitWithoutQuestions();
    void exitUnsaved_data();
    void exitUnsaved();
    void exitWithoutWorkspaceFilesStays();
    void exitDuringDetectionAsksFirst();
    void exitWhileTracking();
    void modelessMessageRepeats();
    void newAndOpenSettleChanges();
    void aboutLabels();
    void helpPathFallsBackToEnglish();
    void helpOpensTheShippedGuide();
    void firmwareVersionFromFileName();
    void firmwareCommandAndProgress();
    void downloadProgress();
    void samplingModeFallsBack();
    void historyArrangedAndToggled();
    void setupComesBackAfterEitherWindowIsClosed();
    void setupCommandShowsTheChosenSetup();
};

void TestShellExit::exitWithoutQuestions()
{
    Rig r;
    QVERIFY(r.window.close());
    QVERIFY(r.exited());
    QCOMPARE(r.logic.m_Log, QStringList{"exit"});
    QVERIFY(r.prompter.m_Log.isEmpty());
}

void TestShellExit::exitUnsaved_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("saveResult");
    QTest::addColumn<bool>("exits");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("message");
    QTest::newRow("cancel") << int(IPrompter::SaveCancel) << 0 << false << QStringList() << QString();
    QTest::newRow("no") << int(IPrompter::SaveNo) << 0 << true << QStringList() << QString();
    QTest::newRow("yes, saved") << int(IPrompter::SaveYes) << 0 << true << QStringList{"save|/w/a.kvb"} << QString();
    QTest::newRow("yes, no file chosen") << int(IPrompter::SaveYes) << -1 << false << QStringList{"save|/w/a.kvb"}
                                         << QString();
    QTest::newRow("yes, save failed") << int(IPrompter::SaveYes) << -2 << false << QStringList{"save|/w/a.kvb"}
                                      << QString("warn|Pavix|Save failed");
}

void TestShellExit::exitUnsaved()
{
    QFETCH(int, answer);
    QFETCH(int, saveResult);
    QFETCH(bool, exits);
    QFETCH(QStringList, files);
    QFETCH(QString, message);
    Rig r;
    r.files.m_SavePath = "/w/a.kvb";
    r.files.m_SaveResult = saveResult;
    r.prompter.m_SaveAnswer = answer;
    r.makeUnsaved();
    QCOMPARE(r.window.close(), exits);
    QCOMPARE(r.exited(), exits);
    QCOMPARE(r.prompter.m_Log.first(), QString("save?|Pavix|Do you want to save your changes?"));
    QCOMPARE(r.files.m_Log, files);
    QCOMPARE(r.prompter.m_Log.size(), message.isEmpty() ? 1 : 2);
    if (!message.isEmpty())
        QCOMPARE(r.prompter.m_Log.last(), message);
    QCOMPARE(r.logic.m_Log.contains("exit"), exits);
    if (!exits)
        QVERIFY(r.window.windowsManager()->hasDataToSave());
}

void TestShellExit::exitWithoutWorkspaceFilesStays()
{
    Rig r;
    r.window.windowsManager()->SetWorkspaceFiles(nullptr);
    r.makeUnsaved();
    r.prompter.m_SaveAnswer = IPrompter::SaveYes;
    QVERIFY(!r.window.close());
    QVERIFY(!r.exited());
    QCOMPARE(r.prompter.m_Log.last(), QString("warn|Pavix|Save failed"));
}

void TestShellExit::exitDuringDetectionAsksFirst()
{
    Rig r;
    r.logic.m_bDetecting = true;
    r.makeUnsaved();
    r.prompter.m_SaveAnswer = IPrompter::SaveCancel;
    QVERIFY(!r.window.close());
    QVERIFY(r.logic.m_Log.isEmpty());
    QCOMPARE(r.prompter.m_Log.size(), 1);
    r.prompter.m_SaveAnswer = IPrompter::SaveNo;
    QVERIFY(!r.window.close()); // the logic manager quits once detection has ended
    QCOMPARE(r.logic.m_Log, QStringList{"deferred-exit"});
    QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    QVERIFY(!r.exited());
    // Without unsaved data the exit command only defers.
    QApplication::restoreOverrideCursor();
    Rig clean;
    clean.logic.m_bDetecting = true;
    QMetaObject::invokeMethod(&clean.window, "onExit", Q_ARG(QCloseEvent*, nullptr));
    QCOMPARE(clean.logic.m_Log, QStringList{"deferred-exit"});
    QVERIFY(clean.prompter.m_Log.isEmpty());
}

void TestShellExit::exitWhileTracking()
{
    Rig r;
    r.hub()->SignalVideoAnalysisStart(3);
    r.makeUnsaved();
    QVERIFY(!r.window.close());
    QCOMPARE(r.prompter.m_Log, QStringList{"info|Pavix|Video tracking is in progress."});
    r.hub()->SignalVideoAnalysisStop();
    r.prompter.m_SaveAnswer = IPrompter::SaveNo;
    QVERIFY(r.window.close());
}

void TestShellExit::modelessMessageRepeats()
{
    Rig r;
    QMessageBox* box = r.window.modelessMessageBox();
    r.window.showModelessMessage("Logger", "Battery low", true);
    QVERIFY(box->isVisible());
    QCOMPARE(box->windowTitle(), QString("Logger"));
    QCOMPARE(box->standardButtons(), QMessageBox::Ok);
    // The same text again leaves the box untouched, title and buttons included.
    r.window.showModelessMessage("Other", "Battery low", false);
    QCOMPARE(box->windowTitle(), QString("Logger"));
    QCOMPARE(box->standardButtons(), QMessageBox::Ok);
    r.window.showModelessMessage(QString(), "Sensor removed", false);
    QCOMPARE(box->windowTitle(), QString("Pavix"));
    QCOMPARE(box->text(), QString("Sensor removed"));
    QCOMPARE(box->standardButtons(), QMessageBox::NoButton);
    box->hide();
    r.window.showModelessMessage("Again", "Sensor removed", true);
    QVERIFY(box->isVisible());
    QCOMPARE(box->windowTitle(), QString("Again"));
    QVERIFY(!box->isModal());
}

void TestShellExit::newAndOpenSettleChanges()
{
    Rig r;
    CWindowsManager* wm = r.window.windowsManager();
    CDataManager& data = r.window.logicManager()->m_DataManager;
    r.makeUnsaved();
    r.prompter.m_SaveAnswer = IPrompter::SaveYes;
    r.files.m_SaveResult = -1;
    wm->OnNew();
    QCOMPARE(data.GetNumDataFolders(), 1);
    QCOMPARE(r.prompter.m_Log.size(), 1);
    r.files.m_SaveResult = -3;
    wm->OnNew();
    QCOMPARE(data.GetNumDataFolders(), 1);
    QCOMPARE(r.prompter.m_Log.last(), QString("warn|Pavix|Save failed"));
    r.prompter.m_SaveAnswer = IPrompter::SaveCancel;
    wm->OnNew();
    QCOMPARE(data.GetNumDataFolders(), 1);
    r.files.m_SaveResult = 0;
    r.files.m_SavePath = "/w/first.kvb";
    r.prompter.m_SaveAnswer = IPrompter::SaveYes;
    wm->OnNew();
    QCOMPARE(data.GetNumDataFolders(), 0);
    QVERIFY(wm->GetHistoryWindow()->isEmpty());
    QCOMPARE(r.window.windowTitle(), QString("Pavix"));
    QVERIFY(r.files.m_SavePath.isEmpty());
    QVERIFY(!wm->hasDataToSave());
    // Open: a workspace read back restores the history and names the window after the file.
    data.CreateDataFolder();
    r.files.m_LoadResult = 0;
    wm->OnOpen();
    QCOMPARE(r.files.m_SavePath, QString("/tmp/lab/pendulum.kvb"));
    QCOMPARE(r.window.windowTitle(), QString("Pavix-pendulum"));
    QCOMPARE(wm->GetHistoryWindow()->model()->rowCount(), 1);
    QVERIFY(!wm->hasDataToSave());
    // A failed load leaves the title alone.
    r.files.m_LoadResult = -2;
    r.files.m_ChosenPath = "/tmp/other.kvb";
    wm->OnOpen();
    QCOMPARE(r.window.windowTitle(), QString("Pavix-pendulum"));
}

void TestShellExit::aboutLabels()
{
    CSetupInfo setup;
    setup.m_LoggerStatusList.clear();
    aboutDialog empty(nullptr, &setup);
    QCOMPARE(empty.appVersionText(), QString("v4.17.03"));
    QCOMPARE(empty.firmwareText(), QString("Firmware Version: 0.00"));
    QCOMPARE(empty.bootLoaderText(), QString("Boot-Loader Version: 0.00"));
    QCOMPARE(empty.size(), QSize(422, 340));
    QCOMPARE(empty.windowTitle(), QString("About"));
    aboutDialog none(nullptr, nullptr);
    QCOMPARE(none.firmwareText(), QString("Firmware Version: 0.00"));
    CCurrentLoggerStatus status;
    const int versions[6] = {1, 5, 9, 9, 2, 100};
    std::copy(versions, versions + 6, status.m_Version);
    setup.m_LoggerStatusList << status;
    CCurrentLoggerStatus second;
    second.m_Version[0] = 7;
    setup.m_LoggerStatusList << second;
    aboutDialog about(nullptr, &setup);
    QCOMPARE(about.firmwareText(), QString("Firmware Version: 1.05"));
    QCOMPARE(about.bootLoaderText(), QString("Boot-Loader Version: 2.100"));
    QCOMPARE(aboutDialog::FormatVersion(3, 12), QString("3.12"));
    QCOMPARE(aboutDialog::FormatVersion(65535, 3), QString("-1.03"));
    auto* ok = about.findChild<QPushButton*>("okBtn");
    QVERIFY(ok);
    about.show();
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(about.result(), int(QDialog::Accepted));
    // The About command runs the dialog over the setup the window manager keeps.
    Rig r;
    r.window.findAction(6)->trigger();
    QCOMPARE(r.prompter.m_Log, QStringList{"dialog|aboutDialog"});
}

void TestShellExit::helpPathFallsBackToEnglish()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("Help/de"));
    QFile page(dir.path() + "/Help/de/index.html");
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.close();
    QCOMPARE(CWindowsManager::HelpFilePath(dir.path(), "de"), dir.path() + "/Help/de/index.html");
    QCOMPARE(CWindowsManager::HelpFilePath(dir.path(), "fr"), dir.path() + "/Help/en/index.html");
}

void TestShellExit::helpOpensTheShippedGuide()
{
    // Opened quietly when a browser takes it; otherwise the user is told where the guide is.
    CRecordingPlatform opened;
    SetWindowPlatformServices(&opened);
    for (const bool browser : {true, false}) {
        opened.m_bAnswer = browser;
        Rig r;
        r.window.findAction(50)->trigger();
        QCOMPARE(r.prompter.m_Log.size(), browser ? 0 : 1);
        if (!browser)
            QVERIFY2(r.prompter.m_Log.first().contains("Help/en/index.html"), qPrintable(r.prompter.m_Log.first()));
    }
    SetWindowPlatformServices(nullptr);
    const QString en = CWindowsManager::HelpFilePath(QCoreApplication::applicationDirPath(), "en");
    QCOMPARE(opened.m_Opened, (QStringList{en, en}));

    // The build puts the guide beside the program, where the same rule finds it: a page with
    // text whose every picture loads.
    const QString page = CWindowsManager::HelpFilePath(QStringLiteral(KORVANTA_BIN_DIR), "en");
    QVERIFY2(QFileInfo::exists(page), qPrintable(page));
    QTextBrowser browser;
    browser.setSource(QUrl::fromLocalFile(page));
    QVERIFY(browser.toPlainText().contains("Set up the experiment"));
    int pictures = 0;
    for (QTextBlock b = browser.document()->begin(); b.isValid(); b = b.next())
        for (auto f = b.begin(); !f.atEnd(); ++f)
            if (f.fragment().charFormat().isImageFormat()) {
                const QString name = f.fragment().charFormat().toImageFormat().name();
                const QVariant image = browser.document()->resource(QTextDocument::ImageResource, QUrl(name));
                QVERIFY2(!image.isNull(), qPrintable(name));
                ++pictures;
            }
    QVERIFY(pictures >= 3);
}

void TestShellExit::firmwareVersionFromFileName()
{
    QCOMPARE(CWindowsManager::FirmwareVersionText("/home/user/fw/logger_ver1.25.bin"), QString("1.25"));
    // A folder containing "ver" is not the version.
    QCOMPARE(CWindowsManager::FirmwareVersionText("/srv/server/fw/logger_ver2.07.bin"), QString("2.07"));
    QCOMPARE(CWindowsManager::FirmwareVersionText("/srv/server/fw/logger.bin"), QString());
    QCOMPARE(CWindowsManager::FirmwareVersionText("ver"), QString());
}

void TestShellExit::firmwareCommandAndProgress()
{
    Rig r;
    CWindowsManager* wm = r.window.windowsManager();
    QSignalSpy update(r.hub(), &CKorvantaSignals::UserFirmwareUpdate);
    r.prompter.m_File.clear();
    wm->onFirmWareUpdate();
    QCOMPARE(update.count(), 0);
    QVERIFY(r.prompter.m_Log.last().endsWith("|Firmware Files (*.bin)"));
    QVERIFY(r.prompter.m_LastDir.endsWith("/Korvanta"));
    QTemporaryDir dir;
    r.prompter.m_File = dir.filePath("logger_ver3.04.bin");
    QFile image(r.prompter.m_File);
    // A file that cannot be firmware is refused, saying why, before the logger hears of it.
    QVERIFY(image.open(QIODevice::WriteOnly));
    wm->onFirmWareUpdate();
    QCOMPARE(update.count(), 0);
    QVERIFY(!wm->progressDialog()->isVisible());
    QCOMPARE(r.prompter.m_Log.last(),
             QString("warn|Firmware update|The firmware file is empty.\nNothing was sent to the logger."));
    QVERIFY(image.write(QByteArray(5000, '\x5a')) == 5000);
    image.close();
    // No logger takes the update (the command is reached with Control held): it ends at once.
    QTRY_VERIFY_WITH_TIMEOUT(!r.window.logicManager()->IsSearchUnderWay(), 10000);
    wm->onFirmWareUpdate();
    QVERIFY(!wm->progressDialog()->isVisible());
    QVERIFY(r.window.modelessMessageBox()->text().startsWith("No logger is connected, so no firmware was sent."));
    // The window's part alone from here: the logger's answers are tested with the simulators.
    QObject::disconnect(r.hub(), &CKorvantaSignals::UserFirmwareUpdate, r.window.logicManager(), nullptr);
    wm->onFirmWareUpdate();
    QCOMPARE(update.count(), 2);
    QCOMPARE(r.logic.m_Log.last(), "firmware|" + r.prompter.m_File);
    QProgressDialog* progress = wm->progressDialog();
    QVERIFY(progress->isVisible());
    QCOMPARE(progress->labelText(),
             QString("Updating firmware to version 3.04, please do not turn off or disconnect your logger"));
    QCOMPARE(progress->maximum(), 100);
    // A good transfer leaves the dialog up while the logger restarts with its new firmware.
    progress->setMinimumDuration(20);
    r.hub()->SignalLoggerBootLoaderProgUpdate(40, "Writing");
    QCOMPARE(progress->value(), 40);
    r.hub()->SignalLoggerBootLoaderFinshed(1);
    QVERIFY(progress->isVisible());
    QCOMPARE(progress->value(), 40);
    // A failed update ends the dialog, and it does not come back by itself.
    r.hub()->SignalLoggerBootLoaderFinshed(0);
    QVERIFY(!progress->isVisible());
    QTest::qWait(80);
    QVERIFY(!progress->isVisible());
    // So does a logger that goes away in the middle.
    r.hub()->SignalLoggerBootLoaderProgUpdate(10, "Writing");
    QVERIFY(progress->isVisible());
    r.hub()->SignalLoggerDisconnected();
    QVERIFY(!progress->isVisible());
    // 100 percent: the success notice and the dialog gone.
    r.hub()->SignalLoggerBootLoaderProgUpdate(100, "Done");
    QVERIFY(!progress->isVisible());
    QCOMPARE(r.window.modelessMessageBox()->text(), QString("Update successful."));
    QCOMPARE(r.window.modelessMessageBox()->windowTitle(), QString("Firmware update"));
}

void TestShellExit::downloadProgress()
{
    Rig r;
    QProgressDialog* progress = r.window.windowsManager()->progressDialog();
    QVERIFY(!progress->isVisible());
    r.hub()->SignalLoggerDownloadStarted();
    QVERIFY(progress->isVisible());
    QCOMPARE(progress->labelText(), QString("Downloading..."));
    QCOMPARE(progress->maximum(), 0);
    // The download ends without a detected logger: detection starts again.
    r.hub()->SignalLoggerDownloadFinshed(true);
    QVERIFY(!progress->isVisible());
    QCOMPARE(r.logic.m_Log, QStringList{"detect"});
}

void TestShellExit::samplingModeFallsBack()
{
    Rig r;
    CFakeLogger logger;
    logger.m_Type = 12.0;
    r.window.logicManager()->m_pLoggers[0] = &logger;
    r.window.logicManager()->m_pDetectedLogger = &logger;
    r.hub()->SignalLoggerEndDtetection(true);
    QCOMPARE(r.window.windowsManager()->connectedLoggerType(), 12.0);
    CSetupInfo* setup = r.window.windowsManager()->GetSetupWindow()->getSetupInfo();
    setup->m_LoggerStatusList.clear();
    r.window.SetCurrentRunMode(ExperimentRunMode::Timing);
    // A Dravlet channel with catalogue index 2 can time: event timing stays.
    CCurrentLoggerStatus status;
    status.m_SensorList << CLoggerChannel(0, 5) << CLoggerChannel(0, 2);
    setup->m_LoggerStatusList << status;
    r.hub()->SignalLoggerStatusArrived(0);
    QCOMPARE(r.window.GetCurrentRunMode(), ExperimentRunMode::Timing);
    QCOMPARE(r.window.windowsManager()->TimingCapableChannels(false), 1);
    setup->m_LoggerStatusList.first().m_SensorList.removeLast();
    r.hub()->SignalLoggerStatusArrived(0);
    QCOMPARE(r.window.GetCurrentRunMode(), ExperimentRunMode::Sampling);
    // No status at all counts as no timing channel.
    r.window.SetCurrentRunMode(ExperimentRunMode::Timing);
    setup->m_LoggerStatusList.clear();
    QCOMPARE(r.window.windowsManager()->TimingCapableChannels(true), 0);
    r.hub()->SignalLoggerStatusArrived(0);
    QCOMPARE(r.window.GetCurrentRunMode(), ExperimentRunMode::Sampling);
    r.window.logicManager()->m_pLoggers[0] = nullptr;
    r.window.logicManager()->m_pDetectedLogger = nullptr;
}

void TestShellExit::historyArrangedAndToggled()
{
    Rig r;
    CWindowsManager* wm = r.window.windowsManager();
    wm->resize(900, 600);
    wm->onAlign2Grid(false);
    wm->InitWindowsArrangement();
    CHistoryWindow* history = wm->GetHistoryWindow();
    QCOMPARE(history->geometry(), QRect(0, 400, 380, 200));
    wm->onOpenHisoryWindow(false);
    QVERIFY(!history->m_bHistoryShown);
    QVERIFY(history->isHidden());
    wm->onOpenHisoryWindow(true);
    QVERIFY(!history->isHidden());
    const bool setupVisible = wm->GetSetupWindow()->currentWindow()
                              && !wm->GetSetupWindow()->currentWindow()->isHidden();
    QCOMPARE(history->geometry(), setupVisible ? QRect(0, 400, 380, 200) : QRect(0, 0, 380, 600));
}

void TestShellExit::setupComesBackAfterEitherWindowIsClosed()
{
    Rig r;
    r.window.updateTimer()->stop();
    CSetupWindow* setup = r.window.windowsManager()->GetSetupWindow();
    MultiAction* command = r.window.findAction(20);
    QVERIFY(command->isChecked());
    // Closing the full setup goes back to the summary.
    setup->displaySetupWindow(1);
    QWidget* full = setup->fullSetupWindow();
    QWidget* summary = setup->summaryWindow();
    full->close();
    QVERIFY(full->isHidden() && !summary->isHidden());
    // Closed before the next state tick: the check mark is still on, and a click takes it off.
    QVERIFY(summary->close());
    command->trigger();
    QVERIFY(!summary->isHidden());
    // Closed and ticked: the mark is off, and a click puts it on.
    QVERIFY(summary->close());
    r.window.updateActions();
    QVERIFY(!command->isChecked());
    command->trigger();
    QVERIFY(!summary->isHidden() && full->isHidden());
}

void TestShellExit::setupCommandShowsTheChosenSetup()
{
    Rig r;
    r.window.updateTimer()->stop();
    CWindowsManager* wm = r.window.windowsManager();
    wm->resize(900, 600);
    wm->InitWindowsArrangement();
    CSetupWindow* setup = wm->GetSetupWindow();
    const QRect historyPlace = wm->GetHistoryWindow()->geometry();
    // Pressed twice while the summary or the full setup shows: it stays, in front, with its
    // mark, and the history stays below it.
    for (QWidget* chosen : {setup->summaryWidget(), static_cast<QWidget*>(setup->fullSetupWindow())}) {
        setup->displaySetupWindow(chosen == setup->summaryWidget() ? 0 : 1);
        for (int press = 0; press < 2; ++press) {
            r.window.findAction(20)->trigger();
            QVERIFY(!chosen->isHidden() && r.window.findAction(20)->isChecked());
            QCOMPARE(wm->GetHistoryWindow()->geometry(), historyPlace);
        }
        QCOMPARE(wm->subWindowList(QMdiArea::StackingOrder).last(), chosen);
    }
}

KORVANTA_TEST_MAIN(TestShellExit)
#include "tst_shell_exit.moc"

// The shell's meters, calculator and notes commands: each opens one more window of its kind,
// the notes text of an older file opens a window only when there is text, and the edit commands
// reach the active notes editor and nothing else.
#include "app/shell/MainWindow.h"
#include "app/shell/ShellServices.h"
#include "common/ScriptedPrompter.h"
#include "support/ScriptedServices.h"
#include "support/ShellRig.h"
#include "table/Calculator.h"
#include "table/MetersWindow.h"
#include "table/NotesWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextEdit>
#include "common/TestMain.h"

class TestMetersShell : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void everyCommandOpensOneMoreWindow()
    {
        CShellRig rig;
        const int before = rig.manager.subWindowList().size();
        rig.manager.ShowMetersWindow();
        rig.manager.ShowMetersWindow();
        rig.manager.ShowCalcWindow();
        cnoteswindow* notes = rig.manager.ShowNotesWindow();
        QCOMPARE(rig.manager.subWindowList().size(), before + 4);
        QVERIFY(qobject_cast<CMetersWindow*>(rig.manager.GetLastMade(CWindowsManager::MetersKind)));
        QVERIFY(qobject_cast<CCalculator*>(rig.manager.GetLastMade(CWindowsManager::CalculatorKind)));
        QCOMPARE(rig.manager.GetLastMade(CWindowsManager::NotesKind), notes);
        QCOMPARE(notes->windowTitle(), QStringLiteral("Notes"));
        QVERIFY(!notes->isHidden());
    }

    void metersWindowSeesTheShellsDataStore()
    {
        CShellRig rig;
        rig.manager.ShowMetersWindow();
        auto* meters = qobject_cast<CMetersWindow*>(rig.manager.GetLastMade(CWindowsManager::MetersKind));
        QVERIFY(meters);
        // The setup starts with the sensors the controller selected: one entry per active
        // measurement, as the data store will make branches for them.
        QCOMPARE(meters->findChild<QComboBox*>(QStringLiteral("cb_sensors"))->count(),
                 CMetersWindow::MeasurementTexts(&rig.setup(), &rig.logic.m_SensorInfo).size());
    }

    void notesFromAnOlderFileOpenOnlyWithText()
    {
        CShellRig rig;
        const int before = rig.manager.subWindowList().size();
        QString empty;
        rig.manager.ShowNotesWindowWithText(empty);
        QCOMPARE(rig.manager.subWindowList().size(), before);
        QString text = QStringLiteral("Run 1: the cart rolled 2 m");
        rig.manager.ShowNotesWindowWithText(text);
        auto* notes = qobject_cast<cnoteswindow*>(rig.manager.GetLastMade(CWindowsManager::NotesKind));
        QVERIFY(notes);
        QCOMPARE(notes->findChild<QTextEdit*>()->toPlainText(), text);
    }

    void editCommandsReachTheActiveNotes()
    {
        CShellRig rig;
        cnoteswindow* notes = rig.manager.ShowNotesWindow();
        QTextEdit* edit = notes->findChild<QTextEdit*>();
        edit->setPlainText(QStringLiteral("copied"));
        edit->selectAll();
        rig.manager.setActiveSubWindow(notes);
        QApplication::clipboard()->clear();
        rig.manager.onCopy();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("copied"));
        rig.manager.onCut();
        QCOMPARE(edit->toPlainText(), QString());
        rig.manager.onUndo();
        QCOMPARE(edit->toPlainText(), QStringLiteral("copied"));
        rig.manager.onRedo();
        QCOMPARE(edit->toPlainText(), QString());
        rig.manager.onPaste();
        QCOMPARE(edit->toPlainText(), QStringLiteral("copied"));

        // With a calculator active the commands touch no notes.
        rig.manager.ShowCalcWindow();
        rig.manager.setActiveSubWindow(rig.manager.GetLastMade(CWindowsManager::CalculatorKind));
        rig.manager.onUndo();
        QCOMPARE(edit->toPlainText(), QStringLiteral("copied"));
    }

    void notesAreKeptInTheWorkspaceFile()
    {
        CScriptedPrompter prompter;
        CScriptedLogic logic;
        MainWindow window;
        window.SetShellLogic(&logic);
        window.init();
        CWindowsManager* wm = window.windowsManager();
        cnoteswindow* notes = wm->ShowNotesWindow();
        notes->findChild<QTextEdit*>()->setPlainText(QStringLiteral("g = 9.81 m/s2"));
        notes->findChild<QPushButton*>(QStringLiteral("btn_italic"))->setChecked(true);
        wm->ShowMetersWindow(); // keeps no record
        QTemporaryDir dir;
        prompter.m_SaveFile = dir.filePath(QStringLiteral("notes"));
        wm->OnSaveAs();
        const QString path = dir.filePath(QStringLiteral("notes.kvb"));
        QVERIFY(QFileInfo::exists(path));

        wm->OnNew();
        QVERIFY(!wm->GetLastMade(CWindowsManager::NotesKind));
        prompter.m_File = path;
        wm->OnOpen();
        auto* loaded = qobject_cast<cnoteswindow*>(wm->GetLastMade(CWindowsManager::NotesKind));
        QVERIFY(loaded);
        QCOMPARE(loaded->findChild<QTextEdit*>()->toPlainText(), QStringLiteral("g = 9.81 m/s2"));
        QVERIFY(loaded->findChild<QPushButton*>(QStringLiteral("btn_italic"))->isChecked());
        QCOMPARE(loaded->chosenBackgroundColor().alpha(), 0);
        QVERIFY(!wm->GetLastMade(CWindowsManager::MetersKind));
    }
};

KORVANTA_TEST_MAIN(TestMetersShell)
#include "tst_meters_shell.moc"

// The main window's sampling-mode button opens the sampling-mode dialog with the setup record's
// timing choice; Done copies the dialog's choice back and sets the run mode, Cancel leaves both;
// logger statuses reach the dialog while it is the active window.
#include "support/ShellRig.h"

#include "Core/Base/KorvantaSignals.h"
#include "setup/ExperimentModeDialog.h"
#include "setup/ManualXValueDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include "common/TestMain.h"

class TestShellSamplingMode : public QObject
{
    Q_OBJECT
private slots:
    void opensWithTheSetupChoice();
    void doneCopiesTheChoiceAndRunMode();
    void cancelLeavesTheSetup();
    void secondPressKeepsOneDialog();
    void dialogsAskThroughTheManagersPrompter();
};

namespace {
// A Dravlet with two channels able to time (catalogue index 2) and one that is not.
void detectDravletWithGates(CShellRig& rig)
{
    rig.logger.m_Type = 12.0;
    rig.hub().SignalLoggerEndDtetection(true);
    CCurrentLoggerStatus status;
    status.m_SensorList << CLoggerChannel(0, 2) << CLoggerChannel(0, 5) << CLoggerChannel(0, 2);
    rig.setup().m_LoggerStatusList.clear();
    rig.setup().m_LoggerStatusList << status;
}
} // namespace

void TestShellSamplingMode::opensWithTheSetupChoice()
{
    CShellRig rig;
    detectDravletWithGates(rig);
    rig.setup().m_TimingMeasurement = 1;
    rig.setup().m_TimingApproach = 1;
    rig.setup().m_TimingWidth = 4.5;
    rig.setup().m_TimingDistance = 30.0;
    rig.frame.m_RunMode = 1;
    rig.manager.OnExperimentModeButton();
    CExperimentModeDialog* dialog = rig.manager.experimentModeDialog();
    QVERIFY(dialog);
    QVERIFY(rig.manager.isExperimentModeDialogOpen());
    QVERIFY(dialog->isModal());
    QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(dialog->status, 2);
    QCOMPARE(dialog->runMode(), 1);
    QCOMPARE(dialog->form()->methodComboBox->currentText(), QString("Between gates"));
    QCOMPARE(dialog->form()->timingParameterEdit->text(), QString("30"));
    QVERIFY(dialog->form()->okButton->isEnabled());
}

void TestShellSamplingMode::doneCopiesTheChoiceAndRunMode()
{
    CShellRig rig;
    detectDravletWithGates(rig);
    rig.manager.OnExperimentModeButton();
    QPointer<CExperimentModeDialog> dialog = rig.manager.experimentModeDialog();
    dialog->form()->timingRunButton->click();
    dialog->form()->measurementComboBox->setCurrentIndex(3); // Acceleration
    dialog->form()->methodComboBox->setCurrentIndex(1);      // At one gate
    dialog->form()->timingParameterEdit->setText("2.5");
    QMetaObject::invokeMethod(dialog->form()->timingParameterEdit, "textEdited", Q_ARG(QString, "2.5"));
    QCOMPARE(rig.frame.m_RunMode, 0); // nothing reaches the main window before Done
    dialog->form()->okButton->click();
    QCOMPARE(rig.frame.m_RunMode, 1);
    QCOMPARE(rig.setup().m_TimingMeasurement, 2);
    QCOMPARE(rig.setup().m_TimingApproach, 0);
    QCOMPARE(rig.setup().m_TimingWidth, 2.5);
    QCOMPARE(rig.setup().m_TimingDistance, 20.0);
    QVERIFY(!rig.manager.isExperimentModeDialogOpen());
    QVERIFY(!rig.manager.experimentModeDialog());
    QTRY_VERIFY(dialog.isNull());

    // A status without any timing channel now falls back to automatic sampling.
    rig.setup().m_LoggerStatusList.first().m_SensorList = {CLoggerChannel(0, 5)};
    rig.hub().SignalLoggerStatusArrived(0);
    QCOMPARE(rig.frame.m_RunMode, 0);
}

void TestShellSamplingMode::cancelLeavesTheSetup()
{
    CShellRig rig;
    detectDravletWithGates(rig);
    rig.manager.OnExperimentModeButton();
    CExperimentModeDialog* dialog = rig.manager.experimentModeDialog();
    dialog->form()->timingRunButton->click();
    dialog->form()->measurementComboBox->setCurrentIndex(1);
    dialog->form()->cancelButton->click();
    QCOMPARE(rig.frame.m_RunMode, 0);
    QCOMPARE(rig.setup().m_TimingMeasurement, -1);
    QVERIFY(!rig.manager.isExperimentModeDialogOpen());
}

void TestShellSamplingMode::secondPressKeepsOneDialog()
{
    CShellRig rig;
    detectDravletWithGates(rig);
    rig.manager.OnExperimentModeButton();
    CExperimentModeDialog* first = rig.manager.experimentModeDialog();
    rig.manager.OnExperimentModeButton();
    QCOMPARE(rig.manager.experimentModeDialog(), first);
    QCOMPARE(rig.manager.findChildren<CExperimentModeDialog*>().size(), 1);
    first->close();
    QVERIFY(!rig.manager.isExperimentModeDialogOpen());
}

void TestShellSamplingMode::dialogsAskThroughTheManagersPrompter()
{
    CShellRig rig;
    detectDravletWithGates(rig);
    // A prompter of the window manager's own, not the shell's.
    CScriptedPrompter own(false);
    rig.manager.SetPrompter(&own);
    rig.manager.OnExperimentModeButton();
    CExperimentModeDialog* mode = rig.manager.experimentModeDialog();
    mode->form()->timingRunButton->click();
    mode->form()->measurementComboBox->setCurrentIndex(3); // Acceleration
    mode->form()->methodComboBox->setCurrentIndex(1);      // At one gate
    mode->form()->timingParameterEdit->setText("-2");
    mode->form()->okButton->click();
    QCOMPARE(own.said(), QStringList{"Paramter cannot be negative."});
    mode->close();

    // The next manual X value: a word typed is refused, then the run is given up.
    rig.setup().m_ManualXName = QStringLiteral("Volume");
    own.m_DialogHook = [&own](QDialog* dialog) {
        auto* x = qobject_cast<CManualXValueDialog*>(dialog);
        QVERIFY(x);
        x->form()->valueLineEdit->setText("abc");
        x->accept();
        own.m_DialogResult = x->result();
    };
    rig.manager.OnUserAskXvalue();
    QCOMPARE(own.said().size(), 2);
    QVERIFY2(own.said().last().contains("Volume"), qPrintable(own.said().last()));
    QCOMPARE(rig.prompter.boxes("warn crit"), QStringList());
}

KORVANTA_TEST_MAIN(TestShellSamplingMode)
#include "tst_shell_sampling_mode.moc"

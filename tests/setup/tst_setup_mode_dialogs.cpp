// The sampling-mode dialog and the manual X value dialog, offscreen: the choices offered for
// the connected logger, what Done and Cancel report, the lengths typed, the pictures shown and
// the value read back from the typed text.
#include "common/ScriptedPrompter.h"

#include "setup/ExperimentModeDialog.h"
#include "setup/ManualXValueDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include "common/TestMain.h"

namespace {
QStringList items(QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}
} // namespace

class TestSetupModeDialogs : public QObject
{
    Q_OBJECT
private slots:
    void methodsFollowTheGateCount_data();
    void methodsFollowTheGateCount();
    void choosingMeasurementAndMethod();
    void lengthsByMeasurementAndMethod_data();
    void lengthsByMeasurementAndMethod();
    void doneReportsModeAndFoldsBetweenGatesOnOneGate();
    void negativeLengthKeepsTheDialogOpen();
    void cancelAndCloseReportOnce();
    void statusWithoutGatesFallsBackToAuto();
    void everyPictureIsThere();
    void modeButtonStylesParse();
    void manualXLabelAndValue_data();
    void manualXLabelAndValue();
    void manualXValidatorRefusesLetters();
};

void TestSetupModeDialogs::methodsFollowTheGateCount_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("methods");
    QTest::addColumn<bool>("timingEnabled");
    QTest::newRow("no gate") << 0 << QStringList{"Method", "At one gate", "Pendulum (one gate)"} << false;
    QTest::newRow("one gate") << 1 << QStringList{"Method", "At one gate", "Pendulum (one gate)"} << true;
    QTest::newRow("two gates") << 2 << QStringList{"Method", "At one gate", "Between gates", "Pendulum (one gate)"}
                               << true;
}

void TestSetupModeDialogs::methodsFollowTheGateCount()
{
    QFETCH(int, status);
    QFETCH(QStringList, methods);
    QFETCH(bool, timingEnabled);
    CExperimentModeDialog dialog;
    dialog.status = status;
    dialog.Init(0);
    dialog.UpdateStatus(status);
    QCOMPARE(dialog.windowTitle(), QString("Sampling Mode"));
    QCOMPARE(items(dialog.form()->measurementComboBox), (QStringList{"Measurement", "Time", "Velocity", "Acceleration"}));
    QCOMPARE(items(dialog.form()->methodComboBox), methods);
    QCOMPARE(dialog.form()->timingRunButton->isEnabled(), timingEnabled);
    QVERIFY(!dialog.form()->methodComboBox->isEnabled()); // no measurement yet
    QVERIFY(dialog.form()->normalRunButton->isChecked());
    QVERIFY(dialog.form()->okButton->isEnabled());
}

void TestSetupModeDialogs::choosingMeasurementAndMethod()
{
    CExperimentModeDialog dialog;
    dialog.status = 2;
    dialog.Init(0);
    dialog.UpdateStatus(2);
    dialog.form()->timingRunButton->click();
    QVERIFY(dialog.form()->timingRunButton->isChecked());
    QCOMPARE(dialog.form()->modesTab->currentIndex(), 1);
    QVERIFY(!dialog.form()->okButton->isEnabled());

    dialog.form()->measurementComboBox->setCurrentIndex(2); // Velocity, under the placeholder
    QCOMPARE(dialog.measurement, 1);
    QCOMPARE(dialog.method, -1);
    QCOMPARE(items(dialog.form()->measurementComboBox), (QStringList{"Time", "Velocity", "Acceleration"}));
    QCOMPARE(dialog.form()->measurementComboBox->currentIndex(), 1);
    QVERIFY(dialog.form()->methodComboBox->isEnabled());
    QVERIFY(!dialog.form()->okButton->isEnabled());

    dialog.form()->methodComboBox->setCurrentIndex(2); // Between gates, under the placeholder
    QCOMPARE(dialog.method, 1);
    QCOMPARE(items(dialog.form()->methodComboBox), (QStringList{"At one gate", "Between gates", "Collision (two gates)"}));
    QCOMPARE(dialog.form()->methodComboBox->currentIndex(), 1);
    QVERIFY(dialog.form()->okButton->isEnabled());

    // Another measurement forgets the arrangement.
    dialog.form()->measurementComboBox->setCurrentIndex(0);
    QCOMPARE(dialog.measurement, 0);
    QCOMPARE(dialog.method, -1);
    QVERIFY(!dialog.form()->okButton->isEnabled());
}

void TestSetupModeDialogs::lengthsByMeasurementAndMethod_data()
{
    QTest::addColumn<int>("measurement");
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("typedToWidth");
    QTest::addColumn<float>("typedToDistance");
    QTest::newRow("time") << 0 << 0 << false << QString() << QString() << 3.0f << 20.0f;
    QTest::newRow("velocity one gate") << 1 << 0 << true << "Width" << "3.5" << 7.25f << 20.0f;
    QTest::newRow("velocity between") << 1 << 1 << true << "Distance" << "20" << 3.5f << 7.25f;
    // Between the gates an acceleration is computed from the flag's width.
    QTest::newRow("acceleration between") << 2 << 1 << true << "Width" << "3.5" << 7.25f << 20.0f;
    QTest::newRow("acceleration pendulum") << 2 << 2 << true << QString() << "3.5" << 7.25f << 20.0f;
}

void TestSetupModeDialogs::lengthsByMeasurementAndMethod()
{
    QFETCH(int, measurement);
    QFETCH(int, method);
    QFETCH(bool, shown);
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(float, typedToWidth);
    QFETCH(float, typedToDistance);
    CExperimentModeDialog dialog;
    dialog.measurement = measurement;
    dialog.method = method;
    dialog.width = measurement == 0 ? 3.0f : 3.5f;
    dialog.distance = 20.0f;
    dialog.status = 2;
    dialog.Init(1);
    dialog.show();
    QCOMPARE(dialog.form()->timingParameterEdit->isVisible(), shown);
    QVERIFY(dialog.form()->timingImage->isVisible());
    if (!shown) {
        QVERIFY(!dialog.form()->parameterLabel->isVisible());
        return;
    }
    if (!label.isEmpty())
        QCOMPARE(dialog.form()->parameterLabel->text(), label);
    QCOMPARE(dialog.form()->unitLabel->text(), QString("cm"));
    QCOMPARE(dialog.form()->timingParameterEdit->text(), text);
    dialog.form()->timingParameterEdit->clear();
    QTest::keyClicks(dialog.form()->timingParameterEdit, "7.25");
    QCOMPARE(dialog.width, typedToWidth);
    QCOMPARE(dialog.distance, typedToDistance);
}

void TestSetupModeDialogs::doneReportsModeAndFoldsBetweenGatesOnOneGate()
{
    CScriptedPrompter prompter;
    CExperimentModeDialog dialog;
    dialog.measurement = 1;
    dialog.method = 1;
    dialog.status = 1;
    dialog.Init(1);
    QSignalSpy mode(&dialog, &CExperimentModeDialog::runModeAccepted);
    QSignalSpy closed(&dialog, &CExperimentModeDialog::experimentModeClosed);
    QCOMPARE(dialog.form()->parameterLabel->text(), QString("Width"));
    dialog.form()->okButton->click();
    QCOMPARE(mode.count(), 1);
    QCOMPARE(mode.at(0).at(0).toInt(), 1);
    QCOMPARE(closed.count(), 1);
    QCOMPARE(closed.at(0).at(0).toBool(), true);
    // A velocity is then taken at the one gate, not as a collision that needs two.
    QCOMPARE(dialog.method, 0);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void TestSetupModeDialogs::negativeLengthKeepsTheDialogOpen()
{
    CScriptedPrompter prompter;
    CExperimentModeDialog dialog;
    dialog.measurement = 1;
    dialog.method = 0;
    dialog.status = 1;
    dialog.Init(1);
    dialog.show();
    dialog.form()->timingParameterEdit->clear();
    QTest::keyClicks(dialog.form()->timingParameterEdit, "-2");
    QSignalSpy closed(&dialog, &CExperimentModeDialog::experimentModeClosed);
    dialog.form()->okButton->click();
    QCOMPARE(closed.count(), 0);
    QVERIFY(dialog.isVisible());
    QCOMPARE(prompter.m_Log.last(), QString("crit|Pavix|Paramter cannot be negative."));
}

void TestSetupModeDialogs::cancelAndCloseReportOnce()
{
    CExperimentModeDialog dialog;
    dialog.Init(0);
    dialog.show();
    QSignalSpy closed(&dialog, &CExperimentModeDialog::experimentModeClosed);
    QSignalSpy mode(&dialog, &CExperimentModeDialog::runModeAccepted);
    dialog.form()->cancelButton->click();
    dialog.close();
    QCOMPARE(closed.count(), 1);
    QCOMPARE(closed.at(0).at(0).toBool(), false);
    QCOMPARE(mode.count(), 0);
}

void TestSetupModeDialogs::statusWithoutGatesFallsBackToAuto()
{
    CExperimentModeDialog dialog;
    dialog.status = 1;
    dialog.Init(1);
    dialog.UpdateStatus(1);
    QVERIFY(dialog.form()->timingRunButton->isChecked());
    dialog.UpdateStatus(0);
    QCOMPARE(dialog.runMode(), 0);
    QVERIFY(dialog.form()->normalRunButton->isChecked());
    QVERIFY(!dialog.form()->timingRunButton->isEnabled());
    QCOMPARE(dialog.form()->modesTab->currentIndex(), 0);
}

QStringList g_Warnings;

void TestSetupModeDialogs::modeButtonStylesParse()
{
    // Qt drops a style sheet it cannot parse with a warning: the buttons would keep their frame.
    g_Warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { g_Warnings << text; });
    {
        CExperimentModeDialog dialog;
        dialog.Init(0);
        dialog.show();
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            button->ensurePolished();
    }
    qInstallMessageHandler(previous);
    QVERIFY2(g_Warnings.filter("style").isEmpty(), qPrintable(g_Warnings.join('\n')));
}

void TestSetupModeDialogs::everyPictureIsThere()
{
    for (const char* path : {":/images/RunModes/Auto_disable.png", ":/images/RunModes/Auto_play.png",
                             ":/images/RunModes/Event_disable.png", ":/images/RunModes/Event_play.png",
                             ":/images/TimingWizard/timming-wizard2.png"})
        QVERIFY2(!QPixmap(QString::fromLatin1(path)).isNull(), path);
    int empty = 0;
    for (int m = 0; m < 3; ++m)
        for (int g = 0; g < 3; ++g) {
            const QString path = CExperimentModeDialog::TimingPicture(m, g);
            if (path.isEmpty())
                ++empty;
            else
                QVERIFY2(!QPixmap(path).isNull(), qPrintable(path));
        }
    QCOMPARE(empty, 1); // acceleration with a pendulum has no picture
    QVERIFY(CExperimentModeDialog::TimingPicture(3, 0).isEmpty());
    QVERIFY(CExperimentModeDialog::TimingPicture(0, -1).isEmpty());
}

void TestSetupModeDialogs::manualXLabelAndValue_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("label");
    QTest::addColumn<double>("value");
    QTest::newRow("distance") << "Distance" << "12.5" << "Enter next Distance value" << 12.5;
    QTest::newRow("empty name, empty edit") << "" << "" << "Enter next  value" << 0.0;
    QTest::newRow("negative exponent") << "Volume" << "-1.5e2" << "Enter next Volume value" << -150.0;
    QTest::newRow("lone minus") << "Volume" << "-" << "Enter next Volume value" << 0.0;
}

void TestSetupModeDialogs::manualXLabelAndValue()
{
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(QString, label);
    QFETCH(double, value);
    CManualXValueDialog dialog;
    QCOMPARE(dialog.form()->nextvalueLabel->text(), QString("Enter Next"));
    dialog.setValueTitle(name);
    QCOMPARE(dialog.form()->nextvalueLabel->text(), label);
    QTest::keyClicks(dialog.form()->valueLineEdit, typed);
    QCOMPARE(dialog.getValue(), value);
    QCOMPARE(dialog.form()->buttonBox->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
}

void TestSetupModeDialogs::manualXValidatorRefusesLetters()
{
    CManualXValueDialog dialog;
    QTest::keyClicks(dialog.form()->valueLineEdit, "4x2");
    QCOMPARE(dialog.form()->valueLineEdit->text(), QString("42"));
    QCOMPARE(dialog.getValue(), 42.0);
}

KORVANTA_TEST_MAIN(TestSetupModeDialogs)
#include "tst_setup_mode_dialogs.moc"

// Return and Escape in every dialog of the program. The dialogs are found by reading the
// sources, so a new one fails here until it is opened below. In each: at most the accepting
// button is a default or auto-default button; Return in any field, or on any other button,
// presses only the accepting button (or nothing where a dialog has none); Escape closes it and
// leaves the setup, the calibrations, the settings, the data store and the windows as they were.
#include "support/ShellRig.h"

#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "analysis_dialogs/AverageDialog.h"
#include "analysis_dialogs/CurveFitDialog.h"
#include "analysis_dialogs/FunctionsDialog.h"
#include "analysis_dialogs/StatisticsDialog.h"
#include "app/shell/AboutDialog.h"
#include "app/shell/HistoryWindow.h"
#include "graph/AnnotationTextDialog.h"
#include "graph/GraphProperties.h"
#include "graph/GraphWindow.h"
#include "setup/CalibrationDialog.h"
#include "setup/DropCounterCalibration.h"
#include "setup/ExperimentModeDialog.h"
#include "setup/ManualXValueDialog.h"
#include "setup/TriggerDialog.h"
#include "table/TablePrintDialog.h"
#include "upload/XMLRPC.h"
#include "upload_dialogs/TerravoxDialog.h"

#include <QComboBox>
#include <QDataStream>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <memory>
#include "common/TestMain.h"

namespace {
// One opening of a dialog: the dialog as its opener leaves it, and its accepting button.
struct Opened
{
    QPointer<QDialog> dialog;
    QPointer<QPushButton> accepting;
    std::unique_ptr<QDialog> owned; // null where the program owns the dialog
};

struct DialogCase
{
    const char* className;
    const char* face; // which face of the dialog, where it has more than one
    std::function<Opened(CShellRig&)> open;
};

// A run with one series of 20 samples, shown in the rig's graph; its key.
int addSeries(CShellRig& rig)
{
    CDataManager* data = rig.manager.GetDataManager();
    CDataFolder* run = data->CreateDataFolder();
    const int key = data->CreateDataBranch(SensorIndexOnlineFunction, 0.1, -1, -1, run->m_Key);
    run->AddBranchKey(key);
    CDataBranch* series = data->GetDataBranch(key);
    for (int i = 0; i < 20; ++i)
        series->AddSample(0.1 * i, i * i);
    emit rig.hub().newFunctionData(key, -1, -1);
    return key;
}

// A catalogue sensor calibrated on two points with more than one measurement.
int twoPointSensor(const CShellRig& rig)
{
    const CSensorInfo& c = rig.logic.m_SensorInfo;
    for (int i = 1; i < CSensorInfo::s_NumOfSensors; ++i)
        if (c.m_Sensors[i].m_CalibrationKind == 2 && !CSensorInfo::IsISEIndex(i) && c.m_Sensors[i].m_NumOfMeasurements > 1)
            return i;
    return -1;
}

Opened owned(QDialog* dialog, QPushButton* accepting)
{
    Opened o;
    o.dialog = dialog;
    o.accepting = accepting;
    o.owned.reset(dialog);
    return o;
}

// The program hands the history its store as it starts.
Opened openCase(CShellRig& rig, const DialogCase& c)
{
    rig.manager.GetHistoryWindow()->SetDataManager(&rig.logic.m_DataManager);
    return c.open(rig);
}

QList<DialogCase> dialogCases()
{
    return {
        {"AverageDialog", "", [](CShellRig& rig) {
             const int key = addSeries(rig);
             auto* d = new AverageDialog(&rig.manager, &rig.manager);
             d->init(key, 2, 15);
             return owned(d, d->form()->OKButton);
         }},
        {"CurveFitDialog", "", [](CShellRig& rig) {
             addSeries(rig);
             auto* d = new CurveFitDialog(&rig.manager, &rig.manager);
             d->init();
             return owned(d, d->form()->okButton);
         }},
        {"StatisticsDialog", "", [](CShellRig& rig) {
             const int key = addSeries(rig);
             auto* d = new StatisticsDialog(&rig.manager, &rig.manager);
             d->init(key, 0, 19);
             return owned(d, d->form()->closeButton);
         }},
        {"FunctionsDialog", "", [](CShellRig& rig) {
             addSeries(rig);
             auto* d = new FunctionsDialog(&rig.manager, &rig.manager);
             d->init();
             return owned(d, d->form()->OkButton);
         }},
        {"aboutDialog", "", [](CShellRig& rig) {
             auto* d = new aboutDialog(nullptr, &rig.setup());
             return owned(d, d->findChild<QPushButton*>("okBtn"));
         }},
        {"CGraphProperties", "", [](CShellRig& rig) {
             addSeries(rig);
             auto* d = new CGraphProperties;
             d->Init(qobject_cast<CGraphWindow*>(rig.manager.GetCurrent(CWindowsManager::GraphKind)));
             return owned(d, d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
         }},
        {"CAddAnnotationDialog", "", [](CShellRig&) {
             auto* d = new CAddAnnotationDialog;
             return owned(d, d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
         }},
        {"CalibrationDialog", "", [](CShellRig& rig) {
             const int sensor = twoPointSensor(rig);
             auto* d = new CalibrationDialog(nullptr, sensor);
             d->setSetupWindow(&rig.controller());
             d->setPrompter(&rig.prompter);
             d->setSensorID(sensor, 0);
             d->prepareOpening();
             d->setReading(1.0, 1000, 0);
             // Calibrate is not its only action: Return presses no button.
             return owned(d, nullptr);
         }},
        {"DropCounterCalibration", "", [](CShellRig& rig) {
             auto* d = new DropCounterCalibration;
             d->setSetupWindow(&rig.controller());
             d->setPrompter(&rig.prompter);
             return owned(d, d->form()->okButton);
         }},
        {"CExperimentModeDialog", "velocity between gates", [](CShellRig& rig) {
             // Two gates on a Dravlet; the program opens the dialog itself.
             rig.logger.m_Type = 12.0;
             rig.hub().SignalLoggerEndDtetection(true);
             CCurrentLoggerStatus status;
             status.m_SensorList << CLoggerChannel(0, 2) << CLoggerChannel(0, 2);
             rig.setup().m_LoggerStatusList = {status};
             rig.manager.OnExperimentModeButton();
             Opened o;
             o.dialog = rig.manager.experimentModeDialog();
             if (!o.dialog)
                 return o;
             Ui_CExperimentModeDialog* f = rig.manager.experimentModeDialog()->form();
             f->timingRunButton->click();
             f->measurementComboBox->setCurrentIndex(2); // Velocity
             f->methodComboBox->setCurrentIndex(2);      // Between gates
             o.accepting = f->okButton;
             return o;
         }},
        {"TriggerDialog", "", [](CShellRig& rig) {
             auto* d = new TriggerDialog(nullptr, 0, 1, &rig.controller());
             d->init();
             return owned(d, d->form()->OkButton);
         }},
        {"CManualXValueDialog", "", [](CShellRig&) {
             auto* d = new CManualXValueDialog;
             return owned(d, d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
         }},
        {"Dialog_printTable", "", [](CShellRig&) {
             auto* d = new Dialog_printTable;
             d->setPrintLineValidatorLimits(1, 20);
             // Lines: the two line fields take entries.
             d->findChild<QRadioButton*>("RB_printLines")->click();
             return owned(d, d->printButton());
         }},
        {"TerravoxDialog", "login", [](CShellRig&) {
             auto* d = new TerravoxDialog(nullptr, nullptr);
             d->init();
             return owned(d, d->findChild<QPushButton*>("okButton"));
         }},
    };
}

// The classes deriving from QDialog in the program's sources, directly or through another.
QSet<QString> dialogClassesInSources(QSet<QString>* wizards)
{
    const QRegularExpression derives(QStringLiteral(R"(class\s+(\w+)\s*(?:final\s*)?:\s*public\s+(\w+))"));
    QMap<QString, QString> bases;
    QDirIterator it(QStringLiteral(KORVANTA_SOURCE_DIR "/src"), {"*.h", "*.cpp"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        auto matches = derives.globalMatch(QString::fromUtf8(file.readAll()));
        while (matches.hasNext()) {
            const auto m = matches.next();
            bases.insert(m.captured(1), m.captured(2));
        }
    }
    QSet<QString> dialogs;
    for (auto i = bases.cbegin(); i != bases.cend(); ++i) {
        QString base = i.value();
        for (int depth = 0; depth < 8 && bases.contains(base); ++depth)
            base = bases.value(base);
        if (base == "QDialog")
            dialogs.insert(i.key());
        else if (base == "QWizard")
            wizards->insert(i.key());
    }
    return dialogs;
}

// What a dialog could change that Escape must leave alone.
QByteArray fingerprint(CShellRig& rig)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    const CSetupInfo& s = rig.setup();
    out << s.m_RateCode << s.m_NumberOfSamples << s.m_TriggerType << s.m_TriggerChannel << s.m_TriggerLevel
        << s.m_TriggerValue << s.m_bTriggerFalls << s.m_XAxisChannel << s.m_XAxisMeasurement << s.m_bXAxisDefault
        << s.m_TimingMeasurement << s.m_TimingApproach << s.m_TimingWidth << s.m_TimingDistance << s.m_bManualX
        << s.m_ManualXName << s.m_ManualXUnit << s.m_ManualXValue << rig.frame.m_RunMode;
    for (int id : s.m_ISEId)
        out << id;
    for (const CSesnorProperties* sensor : s.m_SelectedSensorList) {
        out << sensor->m_SensorIndex << sensor->m_Channel;
        for (const CMeasurementSetup* m : sensor->m_MeasurementList)
            out << m->m_bActive << m->m_Color << m->m_PlotStyle << m->m_ScaleType << m->m_Min << m->m_Max
                << m->m_bZero << m->m_ZeroLevel;
    }
    CSensorsCalibration* table = rig.controller().calibrationTable();
    for (int i = 0; table && i < CSensorInfo::s_NumOfSensors; ++i) {
        const SensorCalibrationInfo c = table->GetCalibration(i);
        out << c.type << c.real1 << c.measured1 << c.raw1 << c.real2 << c.measured2 << c.raw2 << c.factor
            << c.measurement;
    }
    for (int ch = 0; ch < CMemorySetupSettings::s_NumOfChannels; ++ch) {
        out << rig.settings.GetSensorInfoIndex(ch);
        for (int m = 0; m < CMemorySetupSettings::s_NumOfMeasurements; ++m)
            out << rig.settings.IsMeasurementActive(ch, m);
    }
    rig.logic.m_DataManager.SaveAllBranchesAndFoldersToFile(&out);
    for (const IWorkspaceHost::SavedWindow& window : rig.manager.WindowsToSave()) {
        out << window.tag;
        if (window.save)
            window.save(&out);
    }
    return bytes;
}

// Shown as the program shows it, so the dialog settles its default button as it does on screen.
bool showOpened(Opened& o)
{
    if (!o.dialog)
        return false;
    if (!o.dialog->isVisible())
        o.dialog->show();
    QCoreApplication::processEvents();
    return o.dialog->isVisible();
}

QString nameOf(const QWidget* w)
{
    QString name = w->objectName();
    if (const auto* b = qobject_cast<const QPushButton*>(w))
        name += " \"" + b->text() + "\"";
    return name;
}

bool takesReturn(const QLineEdit* e)
{
    return e->isVisible() && e->isEnabled() && !e->isReadOnly();
}

// Every push button but the accepting one, each with a spy on its presses.
struct OtherButtons
{
    explicit OtherButtons(const Opened& o)
    {
        for (QPushButton* b : o.dialog->findChildren<QPushButton*>())
            if (b != o.accepting)
                spies.emplace_back(b, std::make_unique<QSignalSpy>(b, &QAbstractButton::pressed));
    }
    QString pressed() const
    {
        QStringList names;
        for (const auto& s : spies)
            if (s.first && s.second->count() > 0)
                names << nameOf(s.first);
        return names.join(", ");
    }
    std::vector<std::pair<QPointer<QPushButton>, std::unique_ptr<QSignalSpy>>> spies;
};
} // namespace

class TestDialogKeys : public QObject
{
    Q_OBJECT
private slots:
    void everyDialogIsOpenedHere();
    void onlyTheAcceptingButtonIsDefault_data() { cases(); }
    void onlyTheAcceptingButtonIsDefault();
    void returnPressesOnlyTheAcceptingButton_data() { cases(); }
    void returnPressesOnlyTheAcceptingButton();
    void escapeLeavesEverythingAsItWas_data() { cases(); }
    void escapeLeavesEverythingAsItWas();

private:
    void cases()
    {
        QTest::addColumn<int>("index");
        const QList<DialogCase> all = dialogCases();
        for (int i = 0; i < all.size(); ++i)
            QTest::newRow(qPrintable(QString::fromLatin1(all[i].className) + " " + all[i].face)) << i;
    }
};

void TestDialogKeys::everyDialogIsOpenedHere()
{
    QSet<QString> wizards;
    const QSet<QString> inSources = dialogClassesInSources(&wizards);
    QVERIFY2(inSources.size() >= 10, "the sources were not found");
    QSet<QString> opened;
    for (const DialogCase& c : dialogCases())
        opened.insert(QString::fromLatin1(c.className));
    const QSet<QString> missing = inSources - opened;
    QVERIFY2(missing.isEmpty(), qPrintable("dialogs not opened by this test: " + missing.values().join(", ")));
    QVERIFY2((opened - inSources).isEmpty(), qPrintable("no such dialog: " + (opened - inSources).values().join(", ")));
    // A wizard keeps its own keys: Return goes to Next or Finish.
    QCOMPARE(wizards, QSet<QString>{"TimingWizard"});
}

void TestDialogKeys::onlyTheAcceptingButtonIsDefault()
{
    QFETCH(int, index);
    CShellRig rig;
    Opened o = openCase(rig, dialogCases().at(index));
    QVERIFY(showOpened(o));
    for (QPushButton* b : o.dialog->findChildren<QPushButton*>()) {
        if (b == o.accepting)
            QVERIFY2(b->isDefault(), qPrintable(nameOf(b) + " accepts but is not the default button"));
        else
            QVERIFY2(!b->isDefault() && !b->autoDefault(),
                     qPrintable(nameOf(b) + " does not accept, yet Return may press it"));
    }
}

// The widgets Return is tried on: the dialog itself, each field, and each other button as if
// it had been clicked before; found again by position in a fresh opening.
QList<QWidget*> returnTargets(const Opened& o)
{
    QList<QWidget*> targets{o.dialog.data()};
    for (QLineEdit* e : o.dialog->findChildren<QLineEdit*>())
        targets << e;
    for (QPushButton* b : o.dialog->findChildren<QPushButton*>())
        if (b != o.accepting)
            targets << b;
    return targets;
}

bool takesKeys(const QWidget* w)
{
    if (const auto* e = qobject_cast<const QLineEdit*>(w))
        return takesReturn(e);
    return w->isVisible() && w->isEnabled();
}

void TestDialogKeys::returnPressesOnlyTheAcceptingButton()
{
    QFETCH(int, index);
    const DialogCase dialogCase = dialogCases().at(index);
    int count = 0;
    {
        CShellRig rig;
        Opened o = openCase(rig, dialogCase);
        QVERIFY(showOpened(o));
        count = returnTargets(o).size();
    }
    for (int t = 0; t < count; ++t) {
        CShellRig rig;
        Opened o = openCase(rig, dialogCase);
        QVERIFY(showOpened(o));
        QWidget* widget = returnTargets(o).value(t);
        QVERIFY(widget);
        if (!takesKeys(widget))
            continue;
        const QString target = nameOf(widget);
        widget->setFocus(Qt::MouseFocusReason);
        const bool accepts = o.accepting && o.accepting->isEnabled();
        const QByteArray before = fingerprint(rig);
        OtherButtons others(o);
        QSignalSpy accepted(o.accepting ? static_cast<QObject*>(o.accepting.data()) : o.dialog.data(),
                            o.accepting ? SIGNAL(clicked(bool)) : SIGNAL(accepted()));
        QTest::keyClick(widget, Qt::Key_Return);
        QVERIFY2(others.pressed().isEmpty(), qPrintable("Return in " + target + " pressed " + others.pressed()));
        if (accepts) {
            QVERIFY2(accepted.count() == 1, qPrintable("Return in " + target + " did not press the accepting button"));
        } else {
            QCOMPARE(accepted.count(), 0);
            QVERIFY2(fingerprint(rig) == before, qPrintable("Return in " + target + " changed the setup or the data"));
        }
    }
}

void TestDialogKeys::escapeLeavesEverythingAsItWas()
{
    QFETCH(int, index);
    CShellRig rig;
    Opened o = openCase(rig, dialogCases().at(index));
    QVERIFY(showOpened(o));
    const QByteArray before = fingerprint(rig);
    // The user typed into every field first.
    for (QLineEdit* e : o.dialog->findChildren<QLineEdit*>())
        if (takesReturn(e))
            QTest::keyClicks(e, QStringLiteral("7"));
    QSignalSpy finished(o.dialog.data(), &QDialog::finished);
    QTest::keyClick(o.dialog.data(), Qt::Key_Escape);
    QVERIFY(!o.dialog || !o.dialog->isVisible());
    QVERIFY2(fingerprint(rig) == before, "Escape changed the setup, a calibration, the settings or the data");
}

KORVANTA_TEST_MAIN(TestDialogKeys)
#include "tst_dialog_keys.moc"

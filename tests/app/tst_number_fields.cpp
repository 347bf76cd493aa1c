// Every dialog that takes a number, with a text that is none, or lies outside the field's
// range, typed into its field: OK leaves the dialog open and the message names the field.
#include "analysis_dialogs/TimingWizard.h"
#include "common/GraphTestHost.h"
#include "graph/GraphProperties.h"
#include "graph/GraphWindow.h"
#include "setup/ExperimentModeDialog.h"
#include "setup/ManualXValueDialog.h"
#include "support/ScriptedPrompter.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include "common/TestMain.h"

namespace {
enum Field { FlagWidth, GateDistance, WizardLength, ManualX, GraphMinimum };

// A graph with one plot that does not scale itself.
struct GraphBench
{
    CGraphTestHost host;
    CGraphWindow* graph = new CGraphWindow(&host);
    GraphBench()
    {
        CDataBranch* b = host.addBranch(host.addRun());
        CGraphTestHost::fill(b, 3, [](int i) { return double(i); });
        graph->AddPlotsFromKeyArray({b->m_Key});
    }
};
} // namespace

class TestNumberFields : public QObject
{
    Q_OBJECT
private slots:
    void okRefusesWhatIsNoNumberOfTheField_data();
    void okRefusesWhatIsNoNumberOfTheField();
};

void TestNumberFields::okRefusesWhatIsNoNumberOfTheField_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("flag width, letters") << int(FlagWidth) << "abc" << "Width must be a number from 0.1 to 1000.";
    QTest::newRow("gate distance, zero") << int(GateDistance) << "0" << "Distance must be a number from 0.1 to 1000.";
    QTest::newRow("wizard length, zero") << int(WizardLength) << "0"
                                         << "Distance must be a whole number from 1 to 1000.";
    QTest::newRow("manual X, a lone sign") << int(ManualX) << "-" << "Volume must be a number.";
    QTest::newRow("graph minimum, letters") << int(GraphMinimum) << "abc"
                                            << "Min must be a number from -1e+30 to 1e+30.";
}

void TestNumberFields::okRefusesWhatIsNoNumberOfTheField()
{
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    CScriptedPrompter prompter;
    GraphBench bench;
    std::unique_ptr<QDialog> dialog;
    QLineEdit* edit = nullptr;
    QAbstractButton* ok = nullptr;
    if (field == FlagWidth || field == GateDistance) {
        auto* d = new CExperimentModeDialog;
        dialog.reset(d);
        d->measurement = 1;
        d->method = field == FlagWidth ? 0 : 1;
        d->status = 2;
        d->Init(1);
        edit = d->form()->timingParameterEdit;
        ok = d->form()->okButton;
    } else if (field == WizardLength) {
        auto* w = new TimingWizard(nullptr, nullptr);
        dialog.reset(w);
        w->init();
        w->show();
        w->form()->velocityRadioButton->click();
        w->button(QWizard::NextButton)->click();
        edit = w->form()->lengthLineEdit;
        ok = w->button(QWizard::FinishButton);
    } else if (field == ManualX) {
        auto* d = new CManualXValueDialog;
        dialog.reset(d);
        d->setValueTitle("Volume");
        edit = d->form()->valueLineEdit;
        ok = d->form()->buttonBox->button(QDialogButtonBox::Ok);
    } else {
        auto* d = new CGraphProperties;
        dialog.reset(d);
        d->SetPrompter(&prompter);
        d->Init(bench.graph);
        auto* automatic = d->findChild<QCheckBox*>("autoScaleCheckBox");
        if (automatic->isChecked())
            automatic->click();
        edit = d->findChild<QLineEdit*>("minEdit");
        ok = d->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok);
    }
    dialog->show();
    edit->clear();
    QTest::keyClicks(edit, typed);
    ok->click();
    QVERIFY(dialog->isVisible());
    QVERIFY(!prompter.m_Log.isEmpty());
    QVERIFY2(prompter.m_Log.last().endsWith("|" + message), qPrintable(prompter.m_Log.join('\n')));
}

KORVANTA_TEST_MAIN(TestNumberFields)
#include "tst_number_fields.moc"

// Every dialog that takes a number, with a text that is none, or lies outside the field's
// range, typed into its field: OK leaves the dialog open and the message names the field.
#include "analysis_dialogs/TimingWizard.h"
#include "common/GraphTestHost.h"
#include "graph/GraphProperties.h"
#include "graph/GraphWindow.h"
#include "setup/ExperimentModeDialog.h"
#include "setup/ManualXValueDialog.h"
#include "common/ScriptedPrompter.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include "common/TestMain.h"

class TestNumberFields : public QObject
{
    Q_OBJECT
private slots:
    void okRefusesWhatIsNoNumberOfTheField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("flag width, letters") << "width" << "abc" << "Width must be a number from 0.1 to 1000.";
        QTest::newRow("gate distance, zero") << "distance" << "0" << "Distance must be a number from 0.1 to 1000.";
        QTest::newRow("wizard length") << "wizard" << "0" << "Width must be a number from 0.1 to 1000.";
        QTest::newRow("manual X, a lone sign") << "x" << "-" << "Volume must be a number.";
        QTest::newRow("graph minimum") << "graph" << "abc" << "Min must be a number from -1e+30 to 1e+30.";
    }
    void okRefusesWhatIsNoNumberOfTheField();
};

void TestNumberFields::okRefusesWhatIsNoNumberOfTheField()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    CScriptedPrompter prompter;
    CGraphTestHost host;
    auto* graph = new CGraphWindow(&host);
    CDataBranch* series = host.addBranch(host.addRun());
    CGraphTestHost::fill(series, 3, [](int i) { return double(i); });
    graph->AddPlotsFromKeyArray({series->m_Key});
    CGraphPlot plot = graph->GetPlot(0);
    plot.m_bAutoScale = false;
    graph->UpdatePlot(plot, 0);
    QDialog* d = nullptr;
    QLineEdit* edit = nullptr;
    QAbstractButton* ok = nullptr;
    if (field == "width" || field == "distance") {
        auto* mode = new CExperimentModeDialog;
        mode->measurement = 1;
        mode->method = field == "width" ? 0 : 1;
        mode->status = 2;
        mode->Init(1);
        d = mode;
        edit = mode->form()->timingParameterEdit;
        ok = mode->form()->okButton;
    } else if (field == "wizard") {
        auto* w = new TimingWizard(nullptr, nullptr);
        w->init();
        w->show();
        w->form()->velocityRadioButton->click();
        w->button(QWizard::NextButton)->click();
        d = w;
        edit = w->form()->lengthLineEdit;
        ok = w->button(QWizard::FinishButton);
    } else if (field == "x") {
        auto* x = new CManualXValueDialog;
        x->setValueTitle("Volume");
        d = x;
        edit = x->form()->valueLineEdit;
        ok = x->form()->buttonBox->button(QDialogButtonBox::Ok);
    } else {
        auto* properties = new CGraphProperties;
        properties->Init(graph);
        d = properties;
        edit = d->findChild<QLineEdit*>("minEdit");
        ok = d->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok);
    }
    const std::unique_ptr<QDialog> dialog(d);
    dialog->show();
    edit->clear();
    QTest::keyClicks(edit, typed);
    ok->click();
    QVERIFY(dialog->isVisible());
    QVERIFY2(prompter.m_Log.join('\n').endsWith("|" + message), qPrintable(prompter.m_Log.join('\n')));
}

KORVANTA_TEST_MAIN(TestNumberFields)
#include "tst_number_fields.moc"

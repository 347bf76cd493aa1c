// The timing wizard on a graph with two photogate series: the text of each method, the length
// rules, Retry and Close, and a wizard opened without a graph.
#include "analysis_dialogs/TimingWizard.h"
#include "support/AnalysisHostFake.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include "common/TestMain.h"

namespace {

// Gate 1 is blocked over samples 2..5, 10..13 and 18..19, gate 2 over 4..6 and 12..14 (5 V
// blocked), one sample per millisecond.
const QVector<double> kGate1{0, 0, 5, 5, 5, 5, 0, 0, 0, 0, 5, 5, 5, 5, 0, 0, 0, 0, 5, 5, 0};
const QVector<double> kGate2{0, 0, 0, 0, 5, 5, 5, 0, 0, 0, 0, 0, 5, 5, 5, 0, 0, 0, 0, 0, 0};

struct Bench
{
    CAnalysisHostFake host;
    CDataBranch* gate1 = nullptr;
    CDataBranch* gate2 = nullptr;
    explicit Bench(bool withGraph = true)
    {
        host.m_bGraph = withGraph;
        CDataFolder* run = host.run();
        // A series of another sensor first: only the photogates (catalogue 2 and 111) count.
        host.series(run, "Temperature", "°C", {20, 20, 20}, 0.001, 72);
        gate1 = host.series(run, "Gate 1", "V", kGate1, 0.001, 2);
        gate2 = host.series(run, "Gate 2", "V", kGate2, 0.001, 111);
    }
};

// Picks a measurement, goes to page 2, picks a method and presses Finish; the shown result.
QString Evaluate(TimingWizard& w, CAnalysisHostFake& host, int measurement, int method, const QString& length)
{
    w.restart();
    QRadioButton* measurementButtons[] = {w.form()->timeRadioButton, w.form()->velocityRadioButton,
                                          w.form()->accelerationRadioButton};
    measurementButtons[measurement]->click();
    w.button(QWizard::NextButton)->click();
    QRadioButton* byId = nullptr;
    const char* names[] = {"timeOneGateRadioButton", "velocityOneGateRadioButton", "accelerationOneGateRadioButton"};
    if (method < 10)
        byId = w.findChild<QRadioButton*>(names[method]);
    else if (method == 10)
        byId = w.form()->timeBetweenGatesRadionButton;
    else if (method == 11)
        byId = w.form()->velocityBetweenGatesRadionButton;
    else if (method == 12)
        byId = w.form()->accelerationBetweenGatesRadionButton;
    else if (method == 20)
        byId = w.form()->timePendulumRadioButton;
    else
        byId = w.form()->velocityColissionRadioButton;
    byId->click();
    w.form()->lengthLineEdit->setText(length);
    const int before = host.m_Prompter.m_Log.size();
    w.button(QWizard::FinishButton)->click();
    return host.m_Prompter.m_Log.size() > before ? host.m_Prompter.m_Log.last() : QString();
}

} // namespace

class TestTimingWizard : public QObject
{
    Q_OBJECT
private slots:
    void pagesShowTheMethodsOfTheMeasurement();
    void methodTexts_data();
    void methodTexts();
    void gatesAreTheFirstAndLastPhotogate();
    void lengthFollowsTheArrangement_data();
    void lengthFollowsTheArrangement();
    void lengthIsCheckedAndKept();
    void retryKeepsTheWizardOpenCloseEndsIt();
    void withoutAGraphNoSuitablePlot();
    void wizardsOwnButtonsDoNotCloseIt();
};

void TestTimingWizard::pagesShowTheMethodsOfTheMeasurement()
{
    Bench b;
    TimingWizard w(&b.host, &b.host);
    w.init();
    w.show();
    QCOMPARE(w.windowTitle(), QString("Timing Wizard: Step 1 of 2 - Measurement"));
    QVERIFY(w.form()->timeRadioButton->isChecked());
    w.form()->velocityRadioButton->click();
    w.button(QWizard::NextButton)->click();
    QCOMPARE(w.windowTitle(), QString("Timing Wizard : Step 2 of 2 - Method"));
    QVERIFY(w.form()->velocityOneGateRadioButton->isChecked());
    QCOMPARE(w.methodId(), 1);
    QVERIFY(!w.form()->timeOneGateRadioButton->isVisibleTo(&w));
    QVERIFY(w.form()->velocityColissionRadioButton->isVisibleTo(&w));
    QVERIFY(w.form()->lengthLineEdit->isVisibleTo(&w));
    w.form()->velocityBetweenGatesRadionButton->click();
    QCOMPARE(w.methodId(), 11);
    QCOMPARE(w.form()->TimingTypeIconLable->pixmap(Qt::ReturnByValue).toImage(),
             QPixmap(":/images/TimingWizard/timming-wizard3.png").toImage());
    w.button(QWizard::BackButton)->click();
    QCOMPARE(w.windowTitle(), QString("Timing Wizard: Step 1 of 2 - Measurement"));
    w.form()->timeRadioButton->click();
    QVERIFY(!w.form()->lengthLineEdit->isVisibleTo(&w));
    QCOMPARE(TimingWizard::MethodsOf(2), (QList<int>{2, 12}));
}

void TestTimingWizard::methodTexts_data()
{
    QTest::addColumn<int>("measurement");
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("length");
    QTest::addColumn<QString>("text");
    // Pulses of 4, 4 and 2 ms at gate 1 (edges 2..6, 10..14, 18..20) and of 3 ms at gate 2
    // (4..7 and 12..15); the gates open 2 ms apart.
    QTest::newRow("time one gate") << 0 << 0 << "3" << "t = 0.004 s,  0.004 s,  0.002 s";
    QTest::newRow("velocity one gate") << 1 << 1 << "3" << "v = 7.5 m/s,  7.5 m/s,  15 m/s";
    QTest::newRow("a flag of 2,5 cm") << 1 << 1 << "2,5" << "v = 6.25 m/s,  6.25 m/s,  12.5 m/s";
    // Two pulses of equal length: no change of speed.
    QTest::newRow("acceleration one gate") << 2 << 2 << "3" << "a = 0 m/s²";
    QTest::newRow("time between gates") << 0 << 10 << "" << "t = 0.002 s,  0.002 s";
    QTest::newRow("velocity between gates") << 1 << 11 << "20" << "v = 100 m/s,  100 m/s";
    // 7.5 m/s at gate 1, 10 m/s at gate 2, their pulse middles 1.5 ms apart.
    QTest::newRow("acceleration between gates") << 2 << 12 << "3" << "a = 1666.667 m/s²,  1666.667 m/s²";
    // A swing is three passes through the gate: rising edges 2 and 18.
    QTest::newRow("pendulum without length") << 0 << 20 << "" << "t = 0.016 s";
    QTest::newRow("collision") << 1 << 21 << "3" << "v1 = 7.5 m/s,  7.5 m/s,  15 m/s\nv2 = 10 m/s,  10 m/s";
}

void TestTimingWizard::methodTexts()
{
    QFETCH(int, measurement);
    QFETCH(int, method);
    QFETCH(QString, length);
    QFETCH(QString, text);
    Bench b;
    TimingWizard w(&b.host, &b.host);
    w.init();
    w.show();
    QCOMPARE(Evaluate(w, b.host, measurement, method, length), QStringLiteral("result|Pavix|") + text);
    QCOMPARE(w.methodId(), method);
}

void TestTimingWizard::gatesAreTheFirstAndLastPhotogate()
{
    Bench b;
    TimingWizard w(&b.host, &b.host);
    w.init();
    w.show();
    Evaluate(w, b.host, 0, 0, "3");
    QCOMPARE(w.firstGateKey(), b.gate1->m_Key);
    QCOMPARE(w.secondGateKey(), b.gate2->m_Key);
    // Cursor 1 on gate 2 makes it the first gate; the last photogate is the second.
    b.host.cursors(b.gate2->m_Key, 0, 20);
    Evaluate(w, b.host, 0, 0, "3");
    QCOMPARE(w.firstGateKey(), b.gate2->m_Key);
    QCOMPARE(w.secondGateKey(), b.gate2->m_Key);
    QCOMPARE(b.host.m_Prompter.m_Log.last(), QString("result|Pavix|t = 0.003 s,  0.003 s"));
}

void TestTimingWizard::lengthFollowsTheArrangement_data()
{
    QTest::addColumn<int>("measurement");
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("shown");   // label and value; empty: no length row
    // The setup keeps a flag of 4.5 cm and gates 30 cm apart.
    QTest::newRow("velocity at one gate") << 1 << 1 << "Width 4.5";
    QTest::newRow("velocity between gates") << 1 << 11 << "Distance 30";
    QTest::newRow("collision") << 1 << 21 << "Width 4.5";
    QTest::newRow("acceleration between gates") << 2 << 12 << "Width 4.5";
    QTest::newRow("pendulum") << 0 << 20 << "";
}

void TestTimingWizard::lengthFollowsTheArrangement()
{
    QFETCH(int, measurement);
    QFETCH(int, method);
    QFETCH(QString, shown);
    Bench b;
    b.host.m_Setup.m_TimingWidth = 4.5;
    b.host.m_Setup.m_TimingDistance = 30.0;
    TimingWizard w(&b.host, &b.host);
    w.init();
    w.show();
    QRadioButton* measurements[] = {w.form()->timeRadioButton, w.form()->velocityRadioButton,
                                    w.form()->accelerationRadioButton};
    measurements[measurement]->click();
    w.button(QWizard::NextButton)->click();
    w.form()->timeOneGateRadioButton->group()->button(method)->click();
    const Ui_TimingWizard* f = w.form();
    QCOMPARE(f->lengthLineEdit->isVisibleTo(&w) ? f->lengthTypeLabel->text() + " " + f->lengthLineEdit->text() : "", shown);
}

void TestTimingWizard::lengthIsCheckedAndKept()
{
    Bench b;
    TimingWizard w(&b.host, &b.host);
    w.init();
    w.show();
    b.host.m_Prompter.m_bRetry = true;
    Evaluate(w, b.host, 1, 1, "2.5");
    QCOMPARE(b.host.m_Setup.m_TimingWidth, 2.5);
    // A length typed and left for another arrangement comes back with it; only Finish keeps it.
    w.form()->lengthLineEdit->selectAll();
    QTest::keyClicks(w.form()->lengthLineEdit, "7");
    w.form()->velocityBetweenGatesRadionButton->click();
    QCOMPARE(w.form()->lengthLineEdit->text(), QString("20"));
    w.form()->velocityOneGateRadioButton->click();
    QCOMPARE(w.form()->lengthLineEdit->text(), QString("7"));
    QCOMPARE(b.host.m_Setup.m_TimingWidth, 2.5);
    // One outside 0.1 to 1000 is refused and selected for the user to mend.
    QCOMPARE(Evaluate(w, b.host, 1, 11, "0.05"), QString("crit|Pavix|Distance must be a number from 0.1 to 1000."));
    QVERIFY(w.isVisible() && w.form()->lengthLineEdit->selectedText() == "0.05");
}

void TestTimingWizard::retryKeepsTheWizardOpenCloseEndsIt()
{
    Bench b;
    TimingWizard w(&b.host, &b.host);
    w.init();
    w.show();
    b.host.m_Prompter.m_bRetry = true;
    Evaluate(w, b.host, 0, 0, "3");
    QVERIFY(w.isVisible());
    QCOMPARE(w.currentPage(), w.form()->wizardPage2);
    b.host.m_Prompter.m_bRetry = false;
    w.button(QWizard::FinishButton)->click();
    QVERIFY(!w.isVisible());
}

void TestTimingWizard::withoutAGraphNoSuitablePlot()
{
    Bench b(false);
    TimingWizard w(&b.host, &b.host);
    w.init();
    w.show();
    QCOMPARE(Evaluate(w, b.host, 0, 0, "3"), QString("result|Pavix|No suitable plot !"));
    QCOMPARE(w.firstGateKey(), -1);
    // A graph without photogates says the same.
    Bench other;
    other.host.m_PlotKeys = {other.host.m_PlotKeys.first()};
    TimingWizard w2(&other.host, &other.host);
    w2.init();
    w2.show();
    QCOMPARE(Evaluate(w2, other.host, 0, 20, ""), QString("result|Pavix|No suitable plot !"));
}

void TestTimingWizard::wizardsOwnButtonsDoNotCloseIt()
{
    Bench b;
    TimingWizard w(&b.host, &b.host);
    w.init();
    w.show();
    w.accept();
    QVERIFY(w.isVisible());
    w.reject();
    QVERIFY(w.isVisible());
    w.button(QWizard::CancelButton)->click();
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), TimingWizard::s_CancelCode);
    w.show();
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
}

KORVANTA_TEST_MAIN(TestTimingWizard)
#include "tst_timing_wizard.moc"

// The Math Function dialog's OK: a function of recorded series computed over the cursor range,
// announced to the history and the graphs; a function of live inputs registered for the next
// runs, refused past ten, and computed while recording as on the finished run; a Fourier
// transform of a run sampled by hand refused; a recorded series never paired with a live input; bad coefficients;
// Reset, and Return as Ok.
#include "analysis_dialogs/FunctionsDialog.h"
#include "support/AnalysisHostFake.h"
#include "common/FakeLogger.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include "common/TestMain.h"

namespace {

void PressOk(FunctionsDialog& d)
{
    d.findChild<QPushButton*>("OkButton")->click();
}

} // namespace

class TestFunctionsDialog : public QObject
{
    Q_OBJECT
private slots:
    void linearOfTheCursorRangeBecomesAChildBranch();
    void twoRecordedSeriesAreAdded();
    void liveInputRegistersAnOnlineFunction();
    void eleventhOnlineFunctionIsRefused();
    void recordedAndLiveInputAreNotPaired();
    void invalidCoefficientKeepsTheDialogOpen();
    void resetForgetsOnlineFunctions();
    void returnMeansOk_data();
    void returnMeansOk();
    void noSourcesDisableOk();
    void fourierAddsTwoBranches();
    void withoutCursorG1IsAMeasuredSeries();
    void onlineFunctionsMatchTheFinishedRun();
};

void TestFunctionsDialog::linearOfTheCursorRangeBecomesAChildBranch()
{
    CAnalysisHostFake host;
    CDataFolder* run = host.run();
    CDataBranch* t = host.series(run, "Temperature", "°C", {10, 11, 12, 13, 14, 15, 16, 17});
    // The cursors stand the other way round: the engine takes the range 2..5 either way.
    host.cursors(t->m_Key, 5, 2);
    QSignalSpy announced(&host.m_Hub, &CKorvantaSignals::newFunctionData);
    FunctionsDialog d(&host, &host);
    d.init();
    QCOMPARE(d.startIndex(), 5);
    QCOMPARE(d.endIndex(), 2);
    ChooseFunction(d, 15);
    Combo(d, "G1_Combo")->setCurrentIndex(1);  // Temperature values (the time row comes first)
    Edit(d, "A_Edit")->setText("2");
    Edit(d, "B_Edit")->setText("-3");
    QCOMPARE(Edit(d, "FunctionNameEdit")->text(), QString("2 * Temperature - 3"));
    const int before = host.m_Data.GetNumDataBranches();
    PressOk(d);
    QCOMPARE(d.result(), 0);
    QCOMPARE(host.m_Data.GetNumDataBranches(), before + 1);
    QCOMPARE(announced.count(), 1);
    const int made = announced.at(0).at(0).toInt();
    QCOMPARE(announced.at(0).at(1).toInt(), t->m_Key);
    QCOMPARE(host.m_History, QStringList{QStringLiteral("%1>%2").arg(t->m_Key).arg(made)});
    CDataBranch* b = host.m_Data.GetDataBranch(made);
    QVERIFY(b);
    QCOMPARE(b->m_Name, QString("2 * Temperature - 3"));
    QCOMPARE(b->m_Unit, QString());
    QCOMPARE(b->GetNumSamples(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(b->GetXSample(i), double(2 + i));
        QCOMPARE(b->GetYSample(i), 2.0 * (12 + i) - 3.0);
    }
    QVERIFY(host.m_Prompter.m_Log.isEmpty());
}

void TestFunctionsDialog::twoRecordedSeriesAreAdded()
{
    CAnalysisHostFake host;
    CDataFolder* run = host.run();
    CDataBranch* a = host.series(run, "A", "V", {1, 2, 3, 4});
    CDataBranch* b = host.series(run, "B", "V", {10, 20, 30, 40});
    host.cursors(a->m_Key, 0, 3, b->m_Key);
    QSignalSpy announced(&host.m_Hub, &CKorvantaSignals::newFunctionData);
    FunctionsDialog d(&host, &host);
    d.init();
    // G1 on the cursor's plot, G2 on the X-axis branch.
    QCOMPARE(d.sources().at(Combo(d, "G1_Combo")->currentIndex()).key, a->m_Key);
    QCOMPARE(d.sources().at(Combo(d, "G2_Combo")->currentIndex()).key, b->m_Key);
    ChooseFunction(d, 1);
    // The function change put G2 back on its first row and G1 on the cursor's series again,
    // not on a time row.
    QCOMPARE(Combo(d, "G2_Combo")->currentIndex(), 0);
    QCOMPARE(Combo(d, "G1_Combo")->currentIndex(), 1);
    Combo(d, "G2_Combo")->setCurrentIndex(3);
    PressOk(d);
    QCOMPARE(announced.count(), 1);
    QCOMPARE(announced.at(0).at(2).toInt(), b->m_Key);
    CDataBranch* sum = host.m_Data.GetDataBranch(announced.at(0).at(0).toInt());
    QVERIFY(sum);
    QCOMPARE(sum->m_Name, QString("Add(A + B)"));
    QCOMPARE(sum->GetYSnapshot(), (QVector<double>{11, 22, 33, 44}));
}

void TestFunctionsDialog::liveInputRegistersAnOnlineFunction()
{
    CAnalysisHostFake host;
    host.sensor(1, "Voltage", 0, {{"Voltage", true}, {"Unused", false}});
    FunctionsDialog d(&host, &host);
    d.init();
    ChooseFunction(d, 22);   // Square: with time rows
    QCOMPARE(Combo(d, "G1_Combo")->count(), 2);
    Combo(d, "G1_Combo")->setCurrentIndex(1);
    Edit(d, "A_Edit")->setText("3");
    PressOk(d);
    QCOMPARE(host.m_OnlineCount, short(1));
    const OnLineFunctionInfo& f = host.m_Table[0];
    QCOMPARE(f.m_FunctionId, short(22));
    QCOMPARE(f.m_G1SensorIndex, 1);
    QCOMPARE(f.m_G1Channel, 0);
    QCOMPARE(f.m_G1Measurement, 0);
    QCOMPARE(f.m_G2Channel, -1);
    QCOMPARE(f.m_A, 3.0);
    QCOMPARE(f.m_B, 1.0);
    QCOMPARE(f.m_C, 0.0);
    QCOMPARE(f.m_Name, QString("3 * (Voltage)²"));
    QCOMPARE(f.m_Unit, QString("(V)²"));
    QVERIFY(!f.m_bG1AsTime);
    QCOMPARE(host.m_Data.GetNumDataBranches(), 0);
}

void TestFunctionsDialog::eleventhOnlineFunctionIsRefused()
{
    CAnalysisHostFake host;
    host.sensor(1, "Voltage", 0, {{"Voltage", true}});
    for (int i = 0; i < 10; ++i) {
        FunctionsDialog d(&host, &host);
        d.init();
        PressOk(d);
        QCOMPARE(host.m_OnlineCount, short(i + 1));
    }
    FunctionsDialog d(&host, &host);
    d.init();
    d.show();
    PressOk(d);
    QCOMPARE(host.m_OnlineCount, short(10));
    QCOMPARE(host.m_Prompter.m_Log,
             QStringList{"crit|Online function|You are already displaying the maximum allowable amount of 10 online functions!"});
    QVERIFY(d.isVisible());
}

void TestFunctionsDialog::recordedAndLiveInputAreNotPaired()
{
    CAnalysisHostFake host;
    CDataBranch* t = host.series(host.run(), "Temperature", "°C", {1, 2, 3});
    host.sensor(1, "Voltage", 0, {{"Voltage", true}});
    host.cursors(t->m_Key, 0, 2);
    FunctionsDialog d(&host, &host);
    d.init();
    d.show();
    ChooseFunction(d, 24);
    Combo(d, "G1_Combo")->setCurrentIndex(1);  // recorded
    Combo(d, "G2_Combo")->setCurrentIndex(3);  // live
    const int branches = host.m_Data.GetNumDataBranches();
    PressOk(d);
    QCOMPARE(host.m_Prompter.m_Log.size(), 1);
    QVERIFY(host.m_Prompter.m_Log.first().startsWith("crit|Math Function|A recorded series cannot be combined"));
    QCOMPARE(host.m_OnlineCount, short(0));
    QCOMPARE(host.m_Data.GetNumDataBranches(), branches);
    QVERIFY(d.isVisible());
    // A function of one source is decided by G1 alone: a recorded G1 computes at once even
    // with G2 on the live row.
    ChooseFunction(d, 5);
    Combo(d, "G1_Combo")->setCurrentIndex(0);
    Combo(d, "G2_Combo")->setCurrentIndex(1);
    PressOk(d);
    QCOMPARE(host.m_Data.GetNumDataBranches(), branches + 1);
    QCOMPARE(host.m_OnlineCount, short(0));
}

void TestFunctionsDialog::invalidCoefficientKeepsTheDialogOpen()
{
    CAnalysisHostFake host;
    CDataBranch* t = host.series(host.run(), "Temperature", "°C", {1, 2, 3});
    host.cursors(t->m_Key, 0, 2);
    FunctionsDialog d(&host, &host);
    d.init();
    d.show();
    ChooseFunction(d, 21);
    Combo(d, "G1_Combo")->setCurrentIndex(1);
    Edit(d, "C_Edit")->setText("abc");
    PressOk(d);
    QCOMPARE(host.m_Prompter.m_Log, QStringList{"warn|Invalid input|Valid input '0'-'9', '.' ,'-'"});
    // Reset to 1, not to its default 0.
    QCOMPARE(Edit(d, "C_Edit")->text(), QString("1"));
    QVERIFY(d.isVisible());
    QCOMPARE(host.m_Data.GetNumDataBranches(), 1);
    // A disabled field with no number does not block OK.
    ChooseFunction(d, 5);
    Edit(d, "A_Edit")->setText("x");
    PressOk(d);
    QCOMPARE(host.m_Data.GetNumDataBranches(), 2);
}

void TestFunctionsDialog::resetForgetsOnlineFunctions()
{
    CAnalysisHostFake host;
    host.sensor(1, "Voltage", 0, {{"Voltage", true}});
    host.m_OnlineCount = 4;
    FunctionsDialog d(&host, &host);
    d.init();
    ChooseFunction(d, 13);
    Edit(d, "B_Edit")->setText("7");
    d.findChild<QPushButton*>("resetButton")->click();
    QCOMPARE(host.m_OnlineCount, short(0));
    QCOMPARE(Combo(d, "FunctionCombo")->currentIndex(), 0);
    QCOMPARE(Edit(d, "A_Edit")->text(), QString("1"));
    QCOMPARE(Edit(d, "B_Edit")->text(), QString("1"));
    QCOMPARE(Edit(d, "C_Edit")->text(), QString("0"));
}

void TestFunctionsDialog::returnMeansOk_data()
{
    QTest::addColumn<QByteArray>("field");   // where the cursor is; empty: where the dialog put it
    QTest::newRow("as opened") << QByteArray();
    QTest::newRow("cursor in A") << QByteArray("A_Edit");
    QTest::newRow("cursor in B") << QByteArray("B_Edit");
}

// Return takes what was typed and keeps the online functions made before: it is Ok, never the reset.
void TestFunctionsDialog::returnMeansOk()
{
    QFETCH(QByteArray, field);
    CAnalysisHostFake host;
    host.sensor(1, "Voltage", 0, {{"Voltage", true}});
    host.m_OnlineCount = 2;
    FunctionsDialog d(&host, &host);
    d.init();
    d.show();
    QApplication::setActiveWindow(&d);
    QVERIFY(QTest::qWaitForWindowActive(&d));
    ChooseFunction(d, 22);
    Combo(d, "G1_Combo")->setCurrentIndex(1);
    Edit(d, "A_Edit")->setText("2");
    Edit(d, "B_Edit")->setText("3");
    if (!field.isEmpty())
        Edit(d, field.constData())->setFocus();
    QWidget* target = QApplication::focusWidget();
    QVERIFY(target);
    QTest::keyClick(target, Qt::Key_Return);
    QCOMPARE(host.m_OnlineCount, short(3));
    QCOMPARE(host.m_Table[2].m_FunctionId, short(22));
    QCOMPARE(host.m_Table[2].m_A, 2.0);
    QCOMPARE(host.m_Table[2].m_B, 3.0);
    QVERIFY(!d.isVisible());
}

void TestFunctionsDialog::noSourcesDisableOk()
{
    CAnalysisHostFake host;
    host.m_bGraph = false;
    FunctionsDialog d(&host, &host);
    d.init();
    QCOMPARE(Combo(d, "G1_Combo")->count(), 0);
    QVERIFY(!d.findChild<QPushButton*>("OkButton")->isEnabled());
}

void TestFunctionsDialog::fourierAddsTwoBranches()
{
    CAnalysisHostFake host;
    QVector<double> y;
    for (int i = 0; i < 64; ++i)
        y << std::sin(2 * M_PI * i / 8.0);
    CDataBranch* s = host.series(host.run(), "Signal", "V", y, 0.01);
    QSignalSpy announced(&host.m_Hub, &CKorvantaSignals::newFunctionData);
    FunctionsDialog d(&host, &host);
    d.init();
    ChooseFunction(d, 11);
    QCOMPARE(Edit(d, "FunctionNameEdit")->text(), QString("FFT Signal"));
    PressOk(d);
    QCOMPARE(announced.count(), 2);
    QCOMPARE(host.m_History.size(), 2);
    for (const QList<QVariant>& call : announced)
        QCOMPARE(call.at(1).toInt(), s->m_Key);
    // A run sampled by hand has no time between its samples, so no frequencies: refused.
    CFakeLogger logger;
    host.m_Setup.m_RateCode = 0;
    host.m_Data.CreateDataEntries(&logger, 1);
    host.cursors(host.series(host.m_Data.GetLastDataFolder(), "Manual", "V", y, 1.0)->m_Key, 0, -1);
    const int branches = host.m_Data.GetNumDataBranches();
    FunctionsDialog manual(&host, &host);
    manual.init();
    ChooseFunction(manual, 11);
    PressOk(manual);
    QCOMPARE(host.m_Data.GetNumDataBranches(), branches);
    QVERIFY(host.m_Prompter.m_Log.last().contains("fixed rate"));
}

void TestFunctionsDialog::withoutCursorG1IsAMeasuredSeries()
{
    CAnalysisHostFake host;
    CDataFolder* run = host.run();
    host.series(run, "Temperature", "°C", {20, 21, 22, 23});
    host.sensor(1, "Voltage", 0, {{"Voltage", true}});
    FunctionsDialog d(&host, &host);
    d.init();
    ChooseFunction(d, 6);   // Derivative: time rows come first
    const FunctionSourceInfo g1 = d.sources().at(Combo(d, "G1_Combo")->currentIndex());
    QCOMPARE(g1.type, int(SourceStoredValues));
    // Each row says where it comes from.
    QVERIFY(!Combo(d, "G1_Combo")->itemData(0, Qt::ToolTipRole).toString().isEmpty());
    QVERIFY(Combo(d, "G1_Combo")->itemData(3, Qt::ToolTipRole).toString().contains("next runs"));
    // Without a recorded series the setup's measurement is proposed.
    CAnalysisHostFake live;
    live.sensor(1, "Voltage", 0, {{"Voltage", true}});
    FunctionsDialog e(&live, &live);
    e.init();
    ChooseFunction(e, 6);
    QCOMPARE(e.sources().at(Combo(e, "G1_Combo")->currentIndex()).type, int(SourceLiveValues));
}

KORVANTA_TEST_MAIN(TestFunctionsDialog)
#include "tst_functions_dialog.moc"

void TestFunctionsDialog::onlineFunctionsMatchTheFinishedRun()
{
    // Every kind registered on two inputs in the dialog and computed while a run stores its
    // samples (one at a time first, as manual sampling does, then in blocks) gives what the same
    // function gives on the finished run; on smooth inputs, then on inputs read to a twentieth
    // with noise, whose flat tops and small bumps try the envelopes' and frequency's extremes.
    struct Case { int id; bool g1Time, g2Time; double a, b, c; };
    const QVector<Case> cases = {
        {0, 0, 0, 2, -1.5, 0}, {1, 0, 0, 2, 3, 0}, {2, 0, 0, 1.5, .19, 0}, {3, 0, 0, 1.5, .19, 0},
        {4, 0, 0, 2, .7, .3}, {4, 1, 0, 1, 3, 0}, {5, 0, 0, 1, 1, 0}, {6, 0, 0, 1, 1, 0}, {7, 0, 0, 2, .5, 0},
        {8, 0, 0, 10, 1, 0}, {9, 0, 0, 10, 1, 0}, {10, 0, 0, .5, .3, 1}, {12, 0, 0, 10, 1, 0},
        {13, 0, 0, 4, 2, 0}, {13, 1, 0, 0, 1, 0}, {14, 0, 0, 3, 1, 0}, {15, 0, 0, 1.8, 32, 0},
        {16, 0, 0, 2, 1.5, 0}, {17, 0, 0, 2, 1.5, 0}, {18, 0, 0, 2, 3, 0}, {19, 0, 0, 1.5, -2, .5},
        {20, 0, 0, 2, 1, .5}, {21, 0, 0, 2, .7, .3}, {22, 0, 0, 2, 1.5, 0}, {23, 0, 0, 2, 1.5, 1},
        {24, 0, 1, 2, 3, 0}, {25, 0, 0, 1, .1, .2}, {8, 0, 0, 1, 1, 0}, {9, 0, 0, 1, 1, 0}, {12, 0, 0, 1, 1, 0}};
    CAnalysisHostFake host;
    host.m_bGraph = false;
    host.sensor(1, "Voltage", 0, {{"Voltage", true}});
    host.sensor(1, "Current", 1, {{"Current", true}});
    for (int first = 0; first < 2 * cases.size(); first += MaxOnLineFunctions) {
        const bool noisy = first >= cases.size();
        host.m_Online.ClearOnLineFunctions();
        for (const Case& c : cases.mid(first % cases.size(), MaxOnLineFunctions)) {
            FunctionsDialog d(&host, &host);
            d.init();
            ChooseFunction(d, c.id);
            // Each input has a row of values, after a row of times where the function offers one.
            const int rows = Combo(d, "G1_Combo")->count() / 2;
            Combo(d, "G1_Combo")->setCurrentIndex(rows - 1 - c.g1Time);
            Combo(d, "G2_Combo")->setCurrentIndex(2 * rows - 1 - c.g2Time);
            Edit(d, "A_Edit")->setText(QString::number(c.a));
            Edit(d, "B_Edit")->setText(QString::number(c.b));
            Edit(d, "C_Edit")->setText(QString::number(c.c));
            PressOk(d);
        }
        CDataFolder* run = host.run();
        int keys[IRunServices::NumKeyChannels][IRunServices::NumKeyMeasurements];
        std::fill(&keys[0][0], &keys[0][0] + sizeof(keys) / sizeof(int), -1);
        CDataBranch* in[2];
        for (int channel = 0; channel < 2; ++channel) {
            run->AddBranchKey(keys[channel][0] = host.m_Data.CreateDataBranch(1, 0.05, channel, 0, run->m_Key));
            in[channel] = host.m_Data.GetDataBranch(keys[channel][0]);
        }
        host.m_Online.BindRun(host.m_Data, run->m_Key, keys, 0.05);
        for (int i = 0, block = 1; i < 200; block = i < 4 ? 1 : block + 3) {
            for (const int end = std::min(200, i + block); i < end; ++i) {
                const double n = noisy ? (i * 7919 + 13) % 101 / 50.0 - 1.0 : 0.0;
                auto read = [noisy](double value) { return noisy ? std::round(20 * value) / 20 : value; };
                const double x = i, v = read(3 + 2 * std::sin(M_PI * i / 20) + 0.25 * n), w = read(2 + std::cos(M_PI * i / 12.5) + 0.1 * n);
                in[0]->AppendSamples(&x, &v, 1);
                in[1]->AppendSamples(&x, &w, 1);
            }
            host.m_Online.CalculateOnLineFunctions();
        }
        for (int k = 0; k < host.m_OnlineCount; ++k) {
            const OnLineFunctionInfo& f = host.m_Table[k];
            CDataBranch* stored = host.m_Engine.QuickFunctions(f.m_FunctionId, in[0]->m_Key, f.m_bG1AsTime, 0, -1,
                                                               f.m_G2Key, f.m_bG2AsTime, -1, f.m_A, f.m_B, f.m_C, f.m_Name, f.m_Unit);
            QVERIFY2(stored && stored->GetNumSamples() > 3 && f.m_G1Channel == 0, qPrintable(f.m_Name));
            QCOMPARE(f.m_pOutBranch->GetXSnapshot(), stored->GetXSnapshot());
            QCOMPARE(f.m_pOutBranch->GetYSnapshot(), stored->GetYSnapshot());
        }
    }
    QCOMPARE(host.m_Prompter.m_Log.size(), 0);
}

// The Math Function dialog's OK: a function of recorded series computed over the cursor range,
// announced to the history and the graphs; a function of live inputs registered for the next
// runs, refused past ten, and computed while recording as the finished run computes it; a
// recorded series never paired with a live input; bad coefficients;
// Reset.
#include "analysis_dialogs/FunctionsDialog.h"
#include "support/AnalysisHostFake.h"
#include "common/FakeLogger.h"
#include "Core/Data/Globals.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include <algorithm>
#include <cmath>
#include "common/TestMain.h"

namespace {

void PressOk(FunctionsDialog& d)
{
    d.findChild<QPushButton*>("OkButton")->click();
}

// The row of the dialog's source lists that offers a live input's values or times.
int LiveRow(const FunctionsDialog& d, int sensor, bool time)
{
    const QList<FunctionSourceInfo>& rows = d.sources();
    for (int r = 0; r < rows.size(); ++r)
        if (rows.at(r).sensorListIndex == sensor && rows.at(r).type == (time ? SourceLiveTime : SourceLiveValues))
            return r;
    return -1;
}

bool SameSamples(const QVector<double>& a, const QVector<double>& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (!(std::fabs(a[i] - b[i]) <= 1e-12 * std::max(1.0, std::fabs(b[i]))))
            return false;
    return true;
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
    void noSourcesDisableOk();
    void fourierAddsTwoBranches();
    void fourierOfAHandSampledRunIsRefused_data();
    void fourierOfAHandSampledRunIsRefused();
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
}

void TestFunctionsDialog::fourierOfAHandSampledRunIsRefused_data()
{
    QTest::addColumn<bool>("recorded");
    QTest::newRow("recorded by hand") << true;
    QTest::newRow("manual X values from a file") << false;
}

void TestFunctionsDialog::fourierOfAHandSampledRunIsRefused()
{
    QFETCH(bool, recorded);
    CAnalysisHostFake host;
    CDataFolder* run = nullptr;
    if (recorded) {
        // The data store makes the run as the logger starts it, sampled by hand.
        CFakeLogger logger;
        host.m_Setup.m_RateCode = 0;
        host.m_Data.CreateDataEntries(&logger, 1);
        run = host.m_Data.GetLastDataFolder();
    } else {
        run = host.run();
        host.series(run, "Mass", "g", {0, 1, 2, 3, 4, 5, 6, 7}, 1.0, SensorIndexManualX, false);
    }
    QVERIFY(run);
    QVector<double> y;
    for (int i = 0; i < 32; ++i)
        y << std::sin(2 * M_PI * i / 8.0);
    // Its series carry the period of no rate, one second.
    host.series(run, "Signal", "V", y, 1.0);
    QSignalSpy announced(&host.m_Hub, &CKorvantaSignals::newFunctionData);
    const int branches = host.m_Data.GetNumDataBranches();
    FunctionsDialog d(&host, &host);
    d.init();
    ChooseFunction(d, 11);
    PressOk(d);
    QCOMPARE(announced.count(), 0);
    QCOMPARE(host.m_Data.GetNumDataBranches(), branches);
    QCOMPARE(host.m_Prompter.m_Log.size(), 1);
    QVERIFY(host.m_Prompter.m_Log.first().contains("fixed rate"));
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
    // Every kind registered on the setup's inputs in the dialog, computed while a run stores its
    // samples (one at a time at first, as manual sampling does, then in blocks), against the
    // same function of the finished run.
    struct Case
    {
        int id;
        bool g1Time, g2Time;
        const char *a, *b, *c;
    };
    const Case cases[] = {
        {0, false, false, "2", "-1.5", "0"},   {1, false, false, "2", "3", "0"},
        {2, false, false, "1.5", "0.19", "0"}, {3, false, false, "1.5", "0.19", "0"},
        {4, false, false, "2", "0.7", "0.3"},  {4, true, false, "1", "3", "0"},
        {5, false, false, "1", "1", "0"},      {6, false, false, "1", "1", "0"},
        {7, false, false, "2", "0.5", "0"},    {8, false, false, "10", "1", "0"},
        {9, false, false, "10", "1", "0"},     {10, false, false, "0.5", "0.3", "1"},
        {12, false, false, "10", "1", "0"},    {13, false, false, "4", "2", "0"},
        {13, true, false, "0", "1", "0"},      {14, false, false, "3", "1", "0"},
        {15, false, false, "1.8", "32", "0"},  {16, false, false, "2", "1.5", "0"},
        {17, false, false, "2", "1.5", "0"},   {18, false, false, "2", "3", "0"},
        {19, false, false, "1.5", "-2", "0.5"}, {20, false, false, "2", "1", "0.5"},
        {21, false, false, "2", "0.7", "0.3"}, {22, false, false, "2", "1.5", "0"},
        {23, false, false, "2", "1.5", "1"},   {24, false, true, "2", "3", "0"},
        {25, false, false, "1", "0.1", "0.2"},
    };
    CAnalysisHostFake host;
    host.m_bGraph = false;
    host.sensor(1, "Voltage", 0, {{"Voltage", true}});
    host.sensor(1, "Current", 1, {{"Current", true}});
    const int count = int(sizeof(cases) / sizeof(cases[0]));
    for (int first = 0; first < count; first += MaxOnLineFunctions) {
        const int last = std::min(count, first + int(MaxOnLineFunctions));
        host.m_Online.ClearOnLineFunctions();
        for (int k = first; k < last; ++k) {
            FunctionsDialog d(&host, &host);
            d.init();
            ChooseFunction(d, cases[k].id);
            Combo(d, "G1_Combo")->setCurrentIndex(LiveRow(d, 0, cases[k].g1Time));
            Combo(d, "G2_Combo")->setCurrentIndex(LiveRow(d, 1, cases[k].g2Time));
            Edit(d, "A_Edit")->setText(cases[k].a);
            Edit(d, "B_Edit")->setText(cases[k].b);
            Edit(d, "C_Edit")->setText(cases[k].c);
            PressOk(d);
        }
        QCOMPARE(int(host.m_OnlineCount), last - first);

        // The run: two inputs, bound as the data store binds them when a run starts.
        CDataFolder* run = host.run();
        int keys[IRunServices::NumKeyChannels][IRunServices::NumKeyMeasurements];
        for (auto& row : keys)
            std::fill(std::begin(row), std::end(row), -1);
        CDataBranch* source[2];
        for (int channel = 0; channel < 2; ++channel) {
            keys[channel][0] = host.m_Data.CreateDataBranch(1, 0.05, channel, 0, run->m_Key);
            run->AddBranchKey(keys[channel][0]);
            source[channel] = host.m_Data.GetDataBranch(keys[channel][0]);
        }
        host.m_Online.BindRun(host.m_Data, run->m_Key, keys, 0.05);
        for (int stored = 0, block = 1; stored < 200; stored += block, block = stored < 4 ? 1 : block + 3) {
            block = std::min(block, 200 - stored);
            for (int i = stored; i < stored + block; ++i) {
                const double x = i;
                const double v = 3.0 + 2.0 * std::sin(2.0 * M_PI * i / 40.0), c = 2.0 + std::cos(2.0 * M_PI * i / 25.0);
                source[0]->AppendSamples(&x, &v, 1);
                source[1]->AppendSamples(&x, &c, 1);
            }
            host.m_Online.CalculateOnLineFunctions();
        }
        for (int k = first; k < last; ++k) {
            const OnLineFunctionInfo& f = host.m_Table[k - first];
            const bool twoSources = f.m_FunctionId == 1 || f.m_FunctionId == 7 || f.m_FunctionId == 18 || f.m_FunctionId == 24;
            CDataBranch* stored = host.m_Engine.QuickFunctions(f.m_FunctionId, source[0]->m_Key, f.m_bG1AsTime, 0, -1,
                                                               twoSources ? source[1]->m_Key : -1, f.m_bG2AsTime, -1,
                                                               f.m_A, f.m_B, f.m_C, f.m_Name, f.m_Unit);
            const QString which = QStringLiteral("function %1 (%2)").arg(f.m_FunctionId).arg(f.m_Name);
            QVERIFY2(stored && f.m_pOutBranch, qPrintable(which));
            QVERIFY2(stored->GetNumSamples() > 3, qPrintable(which));
            QVERIFY2(SameSamples(f.m_pOutBranch->GetXSnapshot(), stored->GetXSnapshot()), qPrintable(which));
            QVERIFY2(SameSamples(f.m_pOutBranch->GetYSnapshot(), stored->GetYSnapshot()), qPrintable(which));
        }
    }
    QVERIFY(host.m_Prompter.m_Log.isEmpty());
}

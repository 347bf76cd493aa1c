// The name and unit the Math Function dialog proposes for each function: the builder alone on
// a table of hand-worked cases, then the dialog's own refresh on a graph and a setup.
#include "analysis_dialogs/FunctionNames.h"
#include "analysis_dialogs/FunctionsDialog.h"
#include "support/AnalysisHostFake.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include "common/TestMain.h"

using FunctionNames::Compose;
using FunctionNames::GetString;

class TestAnalysisDialogNames : public QObject
{
    Q_OBJECT
private slots:
    void coefficientTexts_data();
    void coefficientTexts();
    void namesAndUnits_data();
    void namesAndUnits();
    void unknownIdWritesNothing();
    void dialogProposesForTheChosenRows();
    void timeRowIsNamedAfterTime();
    void bothPathsNameTheirSeriesAlike_data();
    void bothPathsNameTheirSeriesAlike();
    void liveInputIsNamedBySetupSensor();
    void rowsThatReadAlikeSayWhatTellsThemApart();
    void typingACoefficientRewritesTheName();
    void disabledCoefficientCountsZero();
};

void TestAnalysisDialogNames::coefficientTexts_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::newRow("factor 1 vanishes") << 1.0 << 6 << "";
    QTest::newRow("factor 0 stays") << 0.0 << 6 << "0 * ";
    QTest::newRow("factor 2") << 2.0 << 6 << "2 * ";
    QTest::newRow("factor -1 bracketed") << -1.0 << 6 << "(-1) * ";
    QTest::newRow("factor rounded") << 0.1234567 << 6 << "0.12346 * ";
    QTest::newRow("factor tiny") << 0.0000005 << 6 << "5.00000E-07 * ";
    QTest::newRow("term after 0") << 0.0 << 1 << "";
    QTest::newRow("term after +") << 0.5 << 1 << " + 0.5";
    QTest::newRow("term after - magnitude") << -3.0 << 1 << " - 3";
    QTest::newRow("term before 0") << 0.0 << 2 << "";
    QTest::newRow("term before +") << 5.0 << 2 << "5 + ";
    QTest::newRow("term before -") << -5.0 << 2 << "(-5) + ";
    QTest::newRow("plain 0") << 0.0 << 0 << "0";
    QTest::newRow("plain negative") << -2.0 << 0 << "(-2)";
    QTest::newRow("plain") << 2.5 << 0 << "2.5";
    QTest::newRow("mode 3") << 7.0 << 3 << "";
    QTest::newRow("mode 9") << 7.0 << 9 << "";
}

void TestAnalysisDialogNames::coefficientTexts()
{
    QFETCH(double, value);
    QFETCH(int, mode);
    QFETCH(QString, text);
    QCOMPARE(GetString(value, static_cast<unsigned char>(mode)), text);
}

void TestAnalysisDialogNames::namesAndUnits_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("c");
    QTest::addColumn<bool>("timeAxis");
    QTest::addColumn<QString>("u2");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unit");
    // G1 is Temperature in °C, G2 Pressure in kPa unless u2 says otherwise.
    const QString kPa = QStringLiteral("kPa");
    QTest::newRow("sin plain") << 21 << 1.0 << 1.0 << 0.0 << true << kPa << "Sin(Temperature)" << "";
    QTest::newRow("sin coefficients") << 21 << 2.0 << -1.0 << 0.5 << true << kPa << "2 * Sin((-1) * Temperature + 0.5)" << "";
    QTest::newRow("sin zero factor") << 21 << 0.0 << 1.0 << 0.0 << true << kPa << "0 * Sin(Temperature)" << "";
    QTest::newRow("linear") << 15 << 2.0 << -3.0 << 0.0 << true << kPa << "2 * Temperature - 3" << "";
    QTest::newRow("integral default") << 13 << 0.0 << 1.0 << 0.0 << true << kPa << "Integral(Temperature)" << "°C*s";
    QTest::newRow("integral coefficients") << 13 << -5.0 << 2.0 << 0.0 << true << kPa << "(-5) + Integral(2 * Temperature)" << "°C*s";
    QTest::newRow("derivative on time") << 6 << 0.0 << 0.0 << 0.0 << true << kPa << "d(Temperature) / dt" << "°C/s";
    QTest::newRow("derivative on XY") << 6 << 0.0 << 0.0 << 0.0 << false << kPa << "d(Temperature) / dx" << "°C/kPa";
    QTest::newRow("multiply units") << 18 << 1.0 << 1.0 << 0.0 << true << kPa << "Mul(Temperature * Pressure)" << "°C*kPa";
    QTest::newRow("multiply same unit") << 18 << 1.0 << 1.0 << 0.0 << true << "°C" << "Mul(Temperature * Pressure)" << "°C²";
    QTest::newRow("quadratic") << 19 << 1.0 << 1.0 << 0.0 << true << kPa << "Temperature² + Temperature" << "";
    QTest::newRow("reciprocal") << 20 << 1.0 << 0.0 << 0.0 << true << kPa << "1 / (Temperature)" << "1/°C";
    QTest::newRow("reciprocal negative") << 20 << -2.0 << 0.0 << 0.0 << true << kPa << "(-2) / (Temperature)" << "1/°C";
    QTest::newRow("lower envelope") << 8 << 5.0 << 0.0 << 0.0 << true << kPa << "LowerEnvelope(Temperature , 5)" << "°C";
    QTest::newRow("kinetic energy") << 14 << 1.0 << 0.0 << 0.0 << true << kPa << "0.5 * (Temperature)²" << "";
    QTest::newRow("square") << 22 << 1.0 << 1.0 << 0.0 << true << kPa << "(Temperature)²" << "(°C)²";
    QTest::newRow("exp") << 10 << 1.0 << 2.0 << -1.0 << true << kPa << "e^(2 * Temperature) - 1" << "";
    QTest::newRow("add") << 1 << 1.0 << 1.0 << 0.0 << true << kPa << "Add(Temperature + Pressure)" << "°C";
    QTest::newRow("divide") << 7 << 2.0 << 1.0 << 0.0 << true << kPa << "Div(2 * Temperature / Pressure)" << "°C/kPa";
    QTest::newRow("subtract") << 24 << 1.0 << 3.0 << 0.0 << true << kPa << "Sub(Temperature - 3 * Pressure)" << "°C";
    QTest::newRow("arccos") << 2 << 1.0 << 1.0 << 0.0 << true << kPa << "ArcCos(Temperature)" << "rad";
    QTest::newRow("fourier") << 11 << 0.0 << 0.0 << 0.0 << true << kPa << "FFT Temperature" << "°C";
    QTest::newRow("frequency") << 12 << 3.0 << 0.0 << 0.0 << true << kPa << "Frequency(Temperature)" << "Hz";
    QTest::newRow("blood pressure") << 26 << 0.0 << 0.0 << 0.0 << true << kPa << "Blood pressure (Temperature)" << "°C";
    QTest::newRow("square root") << 23 << 1.0 << 1.0 << -4.0 << true << kPa << "sqrt(Temperature - 4)" << "";
    QTest::newRow("tan") << 25 << 3.0 << 1.0 << 0.0 << true << kPa << "3 * tan(Temperature)" << "";
    QTest::newRow("abs") << 0 << -1.0 << 2.0 << 0.0 << true << kPa << "(-1) * abs(2 * Temperature)" << "°C";
    QTest::newRow("delta y") << 5 << 0.0 << 0.0 << 0.0 << true << kPa << "DeltaY(Temperature)" << "°C";
}

void TestAnalysisDialogNames::namesAndUnits()
{
    QFETCH(int, id);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, c);
    QFETCH(bool, timeAxis);
    QFETCH(QString, u2);
    QFETCH(QString, name);
    QFETCH(QString, unit);
    const FunctionNames::Sources s{QStringLiteral("Temperature"), QStringLiteral("°C"), QStringLiteral("Pressure"), u2,
                                   timeAxis ? QString() : u2};   // on an XY graph X is the pressure
    QString builtName, builtUnit = QStringLiteral("stale");
    QVERIFY(Compose(id, s, a, b, c, timeAxis, builtName, builtUnit));
    QCOMPARE(builtName, name);
    QCOMPARE(builtUnit, unit);
}

void TestAnalysisDialogNames::unknownIdWritesNothing()
{
    QString name = QStringLiteral("kept"), unit = QStringLiteral("kept");
    QVERIFY(!Compose(27, FunctionNames::Sources{}, 1, 1, 0, true, name, unit));
    QVERIFY(!Compose(-1, FunctionNames::Sources{}, 1, 1, 0, true, name, unit));
    QCOMPARE(name, QString("kept"));
    QCOMPARE(unit, QString("kept"));
    // An empty source unit leaves only the function's own part.
    const FunctionNames::Sources empty{QStringLiteral("X"), QString(), QStringLiteral("Y"), QString(), QString()};
    QVERIFY(Compose(6, empty, 0, 0, 0, true, name, unit));
    QCOMPARE(unit, QString("/s"));
    QVERIFY(Compose(18, empty, 1, 1, 0, true, name, unit));
    QCOMPARE(unit, QString("²"));
    QVERIFY(Compose(22, empty, 1, 1, 0, true, name, unit));
    QCOMPARE(unit, QString("()²"));
}


void TestAnalysisDialogNames::dialogProposesForTheChosenRows()
{
    CAnalysisHostFake host;
    CDataFolder* run = host.run();
    CDataBranch* t = host.series(run, "Temperature", "°C", {20, 21, 22, 23});
    CDataBranch* p = host.series(run, "Pressure", "kPa", {100, 101, 102, 103});
    host.cursors(t->m_Key, 1, 3, -1);
    FunctionsDialog d(&host, &host);
    d.init();
    // Absolute (row 0) offers no time rows: one row per plot, G1 on the cursor's plot.
    QCOMPARE(Combo(d, "G1_Combo")->count(), 2);
    QCOMPARE(Combo(d, "G1_Combo")->itemText(1), QString("Run1: Pressure"));
    QCOMPARE(Combo(d, "G1_Combo")->currentIndex(), 0);
    QCOMPARE(Edit(d, "FunctionNameEdit")->text(), QString("abs(Temperature)"));
    QCOMPARE(Edit(d, "UnitEdit")->text(), QString("°C"));

    ChooseFunction(d, 18);
    // Multiply offers time rows: each plot's time row comes before its value row.
    QCOMPARE(Combo(d, "G1_Combo")->count(), 4);
    QCOMPARE(Combo(d, "G1_Combo")->itemText(0), QString("Run1(Temperature): Time"));
    Combo(d, "G1_Combo")->setCurrentIndex(1);
    Combo(d, "G2_Combo")->setCurrentIndex(3);
    QCOMPARE(Edit(d, "FunctionNameEdit")->text(), QString("Mul(Temperature * Pressure)"));
    QCOMPARE(Edit(d, "UnitEdit")->text(), QString("°C*kPa"));
    QCOMPARE(d.sources().at(3).key, p->m_Key);
}

void TestAnalysisDialogNames::timeRowIsNamedAfterTime()
{
    // The time row of a series feeds the function its sample times: the derivative of it is
    // that of time, in s/s, whatever the series holds.
    CAnalysisHostFake host;
    CDataFolder* run = host.run();
    host.series(run, "Temperature", "°C", {20, 21, 22});
    FunctionsDialog d(&host, &host);
    d.init();
    ChooseFunction(d, 6);
    QCOMPARE(d.sources().at(0).type, int(SourceStoredTime));
    Combo(d, "G1_Combo")->setCurrentIndex(0);
    QCOMPARE(Edit(d, "FunctionNameEdit")->text(), QString("d(Time) / dt"));
    QCOMPARE(Edit(d, "UnitEdit")->text(), QString("s/s"));
}

void TestAnalysisDialogNames::bothPathsNameTheirSeriesAlike_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("row");   // of G1: 0 the time row, 1 the value row
    QTest::addColumn<QStringList>("ab");
    QTest::addColumn<QStringList>("named");
    QTest::newRow("linear of time") << 15 << 0 << QStringList{"1", "0"} << QStringList{"Time", ""};
    QTest::newRow("integral with a start and a factor")
        << 13 << 1 << QStringList{"5", "2"} << QStringList{"5 + Integral(2 * Temperature)", "°C*s"};
}

void TestAnalysisDialogNames::bothPathsNameTheirSeriesAlike()
{
    QFETCH(int, id);
    QFETCH(int, row);
    QFETCH(QStringList, ab);
    QFETCH(QStringList, named);
    // The finished run (a recorded Temperature series) and its online twin (a live input).
    CAnalysisHostFake recorded, live;
    recorded.series(recorded.run(), "Temperature", "°C", {20, 21, 23, 26, 30, 35});
    live.m_bGraph = false;
    live.sensor(1, "Temperature", 0, {{"Temperature", true}}, "°C");
    QSignalSpy announced(&recorded.m_Hub, &CKorvantaSignals::newFunctionData);
    for (CAnalysisHostFake* host : {&recorded, &live}) {
        FunctionsDialog d(host, host);
        d.init();
        ChooseFunction(d, id);
        Combo(d, "G1_Combo")->setCurrentIndex(row);
        Edit(d, "A_Edit")->setText(ab.at(0));
        Edit(d, "B_Edit")->setText(ab.at(1));
        d.findChild<QPushButton*>("OkButton")->click();
    }
    const CDataBranch* made = recorded.m_Data.GetDataBranch(announced.value(0).value(0).toInt());
    QVERIFY(made && live.m_OnlineCount == 1);
    QCOMPARE((QStringList{made->m_Name, made->m_Unit}), named);
    QCOMPARE((QStringList{live.m_Table[0].m_Name, live.m_Table[0].m_Unit}), named);
}

void TestAnalysisDialogNames::liveInputIsNamedBySetupSensor()
{
    CAnalysisHostFake host;
    CDataFolder* run = host.run();
    host.series(run, "Temperature", "°C", {20, 21, 22});
    // An electrode input (catalogue 130) on channel 1 with electrode 5002 ("Calcium").
    host.sensor(130, "ISE Amplifier", 1, {{"Voltage", true}}, "mV");
    host.m_Setup.m_ISEId[1] = 5002;
    FunctionsDialog d(&host, &host);
    d.init();
    QCOMPARE(Combo(d, "G1_Combo")->count(), 2);
    QCOMPARE(Combo(d, "G1_Combo")->itemText(1), QString("input:Calcium"));
    Combo(d, "G1_Combo")->setCurrentIndex(1);
    QCOMPARE(Edit(d, "FunctionNameEdit")->text(), QString("abs(ISE Amplifier)"));
    QCOMPARE(Edit(d, "UnitEdit")->text(), QString("mV"));
    // A mixed pair names both sides.
    ChooseFunction(d, 1);
    Combo(d, "G1_Combo")->setCurrentIndex(1);   // Temperature values
    Combo(d, "G2_Combo")->setCurrentIndex(3);   // the live input's values
    QCOMPARE(Edit(d, "FunctionNameEdit")->text(), QString("Add(Temperature + ISE Amplifier)"));
    QCOMPARE(Edit(d, "UnitEdit")->text(), QString("°C"));
}

void TestAnalysisDialogNames::rowsThatReadAlikeSayWhatTellsThemApart()
{
    // Rows alike take their units, and ports where those are alike too (entry 15: °C, °F).
    CAnalysisHostFake host;
    CDataFolder* run = host.run();
    for (const char* unit : {"°C", "°F"})
        host.series(run, "Temperature", unit, {20, 21});
    host.sensor(15, "Temperature", 0, {{"Temperature", true}, {"Temperature", true}});
    host.sensor(15, "Temperature", 1, {{"Temperature", true}, {"Temperature", false}});
    FunctionsDialog d(&host, &host);
    d.init();
    QStringList rows;
    for (int i = 0; i < Combo(d, "G1_Combo")->count(); ++i)
        rows << Combo(d, "G1_Combo")->itemText(i);
    QCOMPARE(rows, (QStringList{"Run1: Temperature (°C)", "Run1: Temperature (°F)", "input:Temperature (port 1) (°C)",
                                "input:Temperature (°F)", "input:Temperature (port 2) (°C)"}));
}

void TestAnalysisDialogNames::typingACoefficientRewritesTheName()
{
    CAnalysisHostFake host;
    host.series(host.run(), "Temperature", "°C", {20, 21, 22});
    FunctionsDialog d(&host, &host);
    d.init();
    ChooseFunction(d, 21);
    Edit(d, "FunctionNameEdit")->setText("typed by the user");
    QLineEdit* a = Edit(d, "A_Edit");
    a->clear();
    QTest::keyClicks(a, "2.");
    QCOMPARE(Edit(d, "FunctionNameEdit")->text(), QString("2 * Sin(Temperature)"));
    QTest::keyClicks(a, "5");
    QCOMPARE(Edit(d, "FunctionNameEdit")->text(), QString("2.5 * Sin(Temperature)"));
    // A text that is no number yet counts 0.
    a->setText("-");
    QCOMPARE(Edit(d, "FunctionNameEdit")->text(), QString("0 * Sin(Temperature)"));
}

void TestAnalysisDialogNames::disabledCoefficientCountsZero()
{
    CAnalysisHostFake host;
    host.series(host.run(), "Temperature", "°C", {20, 21, 22});
    FunctionsDialog d(&host, &host);
    d.init();
    // Envelope enables only A: B and C count 0 whatever they hold.
    ChooseFunction(d, 9);
    QVERIFY(!Edit(d, "B_Edit")->isEnabled());
    Edit(d, "A_Edit")->setText("4");
    QCOMPARE(Edit(d, "FunctionNameEdit")->text(), QString("UpperEnvelope(Temperature , 4)"));
    // Integral's default A is 0.
    ChooseFunction(d, 13);
    QCOMPARE(Edit(d, "A_Edit")->text(), QString("0"));
    QCOMPARE(Edit(d, "FunctionNameEdit")->text(), QString("Integral(Temperature)"));
}

KORVANTA_TEST_MAIN(TestAnalysisDialogNames)
#include "tst_analysis_dialog_names.moc"

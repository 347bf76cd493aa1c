// The curve-fit, statistics and averaging dialogs over a cursor range of known data: the new
// series with its name, unit and values, the history row and the announcement; the statistics
// shown, and a statistics task that ends after its dialog was closed or destroyed.
#include "analysis_dialogs/AverageDialog.h"
#include "analysis_dialogs/CurveFitDialog.h"
#include "analysis_dialogs/StatisticsDialog.h"
#include "support/AnalysisHostFake.h"

#include <QApplication>
#include <QFontMetrics>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QThreadPool>
#include "common/TestMain.h"

class TestRangeDialogs : public QObject
{
    Q_OBJECT
private slots:
    void linearFitOfTheRange();
    void polynomialOrderAsksForCoefficients();
    void fitWithoutPlotKeepsTheDialogOpen();
    void refusedFitAddsNothing();
    void statisticsOfTheRange();
    void statisticsTitleIsWhole();
    void statisticsAlongTheXAxis();
    void statisticsTextForm_data();
    void statisticsTextForm();
    void statisticsAfterTheDialogClosed();
    void statisticsAfterTheDialogIsDestroyed();
    void averagingOpensOnMinimal();
    void averagingCustomWindow();
    void averagingRangeInEitherOrder();
    void averagingPresetsFollowTheLength();
};

namespace {

QVector<double> Line(int n, double slope, double intercept)
{
    QVector<double> y;
    for (int i = 0; i < n; ++i)
        y << slope * i + intercept;
    return y;
}

} // namespace

void TestRangeDialogs::linearFitOfTheRange()
{
    CAnalysisHostFake host;
    CDataBranch* s = host.series(host.run(), "Position", "m", Line(20, 2.0, 1.0));
    host.cursors(s->m_Key, 4, 12, -1);
    QSignalSpy announced(&host.m_Hub, &CKorvantaSignals::newFunctionData);
    CurveFitDialog d(&host, &host);
    d.init();
    QVERIFY(!d.form()->orderCombo->isEnabled());
    d.form()->okButton->click();
    QCOMPARE(announced.count(), 1);
    const int made = announced.at(0).at(0).toInt();
    QCOMPARE(announced.at(0).at(1).toInt(), s->m_Key);
    QCOMPARE(announced.at(0).at(2).toInt(), -1);
    QCOMPARE(host.m_History, QStringList{QStringLiteral("%1>%2 locked").arg(s->m_Key).arg(made)});
    QCOMPARE(host.m_Expanded, 1);
    CDataBranch* fit = host.m_Data.GetDataBranch(made);
    QVERIFY(fit);
    QCOMPARE(fit->m_Name, QString("Linear(Position)"));
    QCOMPARE(fit->m_Unit, QString("m"));
    QCOMPARE(fit->m_SensorIndex, int(CFunctions::CurveFitResultIndex));
    QVERIFY(fit->GetNumSamples() >= 2);
    for (int i = 0; i < fit->GetNumSamples(); ++i) {
        const double x = fit->GetXSample(i);
        QVERIFY2(x >= 4 && x <= 12, qPrintable(QString::number(x)));
        QVERIFY(qAbs(fit->GetYSample(i) - (2.0 * x + 1.0)) < 1e-6);
    }
}

void TestRangeDialogs::polynomialOrderAsksForCoefficients()
{
    CAnalysisHostFake host;
    QVector<double> y;
    for (int i = 0; i < 30; ++i)
        y << 0.5 * i * i - i + 3;
    CDataBranch* s = host.series(host.run(), "Height", "m", y);
    host.cursors(s->m_Key, 0, 29, -1);
    QSignalSpy announced(&host.m_Hub, &CKorvantaSignals::newFunctionData);
    CurveFitDialog d(&host, &host);
    d.init();
    d.form()->curveFitCombo->setCurrentIndex(1);
    emit d.form()->curveFitCombo->activated(1);
    QVERIFY(d.form()->orderCombo->isEnabled());
    d.form()->orderCombo->setCurrentIndex(2);   // order 3: four coefficients
    d.form()->okButton->click();
    QCOMPARE(announced.count(), 1);
    CDataBranch* fit = host.m_Data.GetDataBranch(announced.at(0).at(0).toInt());
    QVERIFY(fit);
    QCOMPARE(fit->m_Name, QString("Polynomial-Curve(Height)(4)"));
    for (int i = 0; i < fit->GetNumSamples(); ++i) {
        const double x = fit->GetXSample(i);
        QVERIFY(qAbs(fit->GetYSample(i) - (0.5 * x * x - x + 3)) < 1e-6);
    }
    // Another kind leaves the order alone but disables it.
    emit d.form()->curveFitCombo->activated(2);
    QVERIFY(!d.form()->orderCombo->isEnabled());
    QCOMPARE(d.form()->orderCombo->currentIndex(), 2);
}

void TestRangeDialogs::fitWithoutPlotKeepsTheDialogOpen()
{
    CAnalysisHostFake host;
    host.series(host.run(), "Position", "m", Line(10, 1, 0));
    CurveFitDialog d(&host, &host);
    d.init();
    d.show();
    d.form()->okButton->click();
    QCOMPARE(host.m_Prompter.m_Log, QStringList{"warn|Error|" + IAnalysisHost::NoCurveText()});
    QVERIFY(d.isVisible());
    d.form()->cancelButton->click();
    QVERIFY(!d.isVisible());
    QVERIFY(host.m_History.isEmpty());
}

void TestRangeDialogs::refusedFitAddsNothing()
{
    CAnalysisHostFake host;
    CDataBranch* s = host.series(host.run(), "Position", "m", Line(10, 1, -5));
    host.cursors(s->m_Key, 0, 9, -1);
    CurveFitDialog d(&host, &host);
    d.init();
    d.show();
    d.form()->curveFitCombo->setCurrentIndex(2);   // power: needs values above zero
    d.form()->okButton->click();
    QCOMPARE(host.m_Prompter.m_Log, QStringList{"engine|Power Curve|The data must be greater and not equal to zero"});
    QVERIFY(host.m_History.isEmpty());
    QVERIFY(!d.isVisible());
}

void TestRangeDialogs::statisticsOfTheRange()
{
    CAnalysisHostFake host;
    // The range 1..5 holds 2, 4, 4, 4, 5, 5, 7, 9 shifted: take the values 1..5 of this list.
    CDataBranch* s = host.series(host.run(), "Mass", "g", {100, 2, 4, 4, 4, 5, 5, 7, 9, 100}, 0.5);
    StatisticsDialog d(&host, &host);
    d.init(s->m_Key, 1, 8);
    QVERIFY(!d.form()->progressBar->isHidden());
    QVERIFY(d.form()->resultGrid->isHidden());
    QCOMPARE(d.form()->progressBar->maximum(), 0);
    QTRY_VERIFY(!d.form()->resultGrid->isHidden());
    QVERIFY(d.form()->progressBar->isHidden());
    QCOMPARE(d.form()->averageLabel->text(), QString("5"));
    QCOMPARE(d.form()->medianLabel->text(), QString("4.5"));
    QCOMPARE(d.form()->stdevLabel->text(), QString("2"));
    QCOMPARE(d.form()->minLabel->text(), QString("2"));
    QCOMPARE(d.form()->maxLabel->text(), QString("9"));
    QCOMPARE(d.form()->sumLabel->text(), QString("40"));
    // Right-end rectangles: (4 + 4 + 4 + 5 + 5 + 7 + 9) x 0.5.
    QCOMPARE(d.form()->areaLabel->text(), QString("19"));
    QCOMPARE(d.form()->samplesLabel->text(), QString("8"));
    QCOMPARE(d.form()->rateLabel->text(), QString("2 Samples per second"));
}

void TestRangeDialogs::statisticsTitleIsWhole()
{
    CAnalysisHostFake host;
    CDataBranch* s = host.series(host.run(QStringLiteral("Run 12")), "Sub(Temperature (port 1) - 2 * Temperature (port 2))", "°C", {1, 2});
    StatisticsDialog d(&host, &host);
    d.init(s->m_Key, 0, 1);
    QCOMPARE(d.windowTitle(), "Statistics - Run 12: " + s->m_Name + " (°C)");
    QVERIFY(d.minimumWidth() >= QFontMetrics(QApplication::font()).horizontalAdvance(d.windowTitle()) + 100);
}

void TestRangeDialogs::statisticsAlongTheXAxis()
{
    CAnalysisHostFake host;
    CDataFolder* run = host.run();
    CDataBranch* x = host.series(run, "Volume", "mL", {7, 0, 1, 3, -9999999.0, 2, 1, 6});
    CDataBranch* p = host.series(run, "Pressure", "kPa", {7, 9, 4, 2, 5, 3, 2, 1}, 0.5);
    StatisticsDialog d(&host, &host);
    d.init(p->m_Key, 1, 7, x->m_Key);
    QTRY_VERIFY(!d.form()->resultGrid->isHidden());
    // Each value times its signed step along the volume (none to or from the gap): 4 + 4 - 2 + 5.
    QCOMPARE(d.form()->areaLabel->text(), QString("11"));
    QCOMPARE(d.form()->rateLabel->text(), QString("2 Samples per second"));
    run->m_bSampledByHand = true;
    StatisticsDialog byHand(&host, &host);
    byHand.init(p->m_Key, 1, 7, x->m_Key);
    QTRY_COMPARE(byHand.form()->rateLabel->text(), QString("Manual: a sample per press"));
}

void TestRangeDialogs::statisticsTextForm_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("half") << 2.5 << "2.5";
    QTest::newRow("millions") << 2500000.0 << "2.5e+06";
    QTest::newRow("small") << 0.00001 << "1e-05";
    QTest::newRow("six digits") << 1.2345678 << "1.23457";
    QTest::newRow("billions") << 1250000000.0 << "1.25e+09";
    QTest::newRow("half rate") << 0.5 << "0.5";
}

void TestRangeDialogs::statisticsTextForm()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(StatisticsDialog::FigureText(value), text);
}

void TestRangeDialogs::statisticsAfterTheDialogClosed()
{
    CAnalysisHostFake host;
    CDataBranch* s = host.series(host.run(), "Long", "V", Line(400000, 0.001, 0));
    StatisticsDialog d(&host, &host);
    d.init(s->m_Key, -1, -1);
    d.show();
    d.form()->closeButton->click();
    QVERIFY(!d.isVisible());
    // The task ends on its own; its result must not reach the closed dialog.
    QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
    QCoreApplication::processEvents();
    QTest::qWait(50);
    QCOMPARE(d.form()->averageLabel->text(), QString("TextLabel"));
    QVERIFY(d.form()->resultGrid->isHidden());
    // The series it read can go at once.
    const int key = s->m_Key;
    host.m_Data.DeleteDataBranch(key);
    QVERIFY(!host.m_Data.GetDataBranch(key));
}

void TestRangeDialogs::statisticsAfterTheDialogIsDestroyed()
{
    CAnalysisHostFake host;
    CDataBranch* s = host.series(host.run(), "Long", "V", Line(400000, 0.001, 0));
    QFuture<CStatisticsInfo> running;
    {
        StatisticsDialog d(&host, &host);
        d.init(s->m_Key, -1, -1);
        running = d.future();
    }
    QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
    QCoreApplication::processEvents();
    // The task still computed on its own copy of the range.
    QVERIFY(running.isFinished());
    QCOMPARE(running.result().m_samples, 400000);
}

void TestRangeDialogs::averagingOpensOnMinimal()
{
    CAnalysisHostFake host;
    CDataBranch* s = host.series(host.run(), "Temperature", "°C", {1, 3, 5, 7, 9, 11, 13, 15}, 0.2);
    host.cursors(s->m_Key, 2, 5);
    QSignalSpy announced(&host.m_Hub, &CKorvantaSignals::newFunctionData);
    AverageDialog d(&host, &host);
    d.init(s->m_Key, 2, 5);
    QCOMPARE(d.form()->nameEdit->text(), QString("Average(Temperature)"));
    QCOMPARE(d.windowSize(), 2);
    QVERIFY(!d.form()->pointsCombo->isEnabled());
    QCOMPARE(d.form()->pointsCombo->value(), 1);
    for (QRadioButton* b : d.findChildren<QRadioButton*>())
        QVERIFY(!b->isChecked());
    d.form()->OKButton->click();
    QCOMPARE(announced.count(), 1);
    QCOMPARE(announced.at(0).at(2).toInt(), -1);
    const int made = announced.at(0).at(0).toInt();
    QCOMPARE(host.m_History, QStringList{QStringLiteral("%1>%2 locked").arg(s->m_Key).arg(made)});
    CDataBranch* avg = host.m_Data.GetDataBranch(made);
    QCOMPARE(avg->m_Name, QString("Average(Temperature)"));
    QCOMPARE(avg->m_Unit, QString("°C"));
    QCOMPARE(avg->m_Interval, 0.2);
    // A window of 2: each point is the mean of a sample and the next one.
    QCOMPARE(avg->GetXSnapshot(), (QVector<double>{2, 3, 4, 5}));
    QCOMPARE(avg->GetYSnapshot(), (QVector<double>{6, 8, 10, 12}));
}

void TestRangeDialogs::averagingCustomWindow()
{
    CAnalysisHostFake host;
    QVector<double> y(100, 0.0);
    y[50] = 7.0;
    CDataBranch* s = host.series(host.run(), "Spike", "V", y);
    AverageDialog d(&host, &host);
    d.init(s->m_Key, 40, 60);
    QCOMPARE(d.form()->customRadioButton->text(), QString("Custom  (0 - 25)"));
    QCOMPARE(d.form()->pointsCombo->maximum(), 25);
    QCOMPARE(d.form()->pointsCombo->minimum(), 1);
    d.form()->customRadioButton->click();
    QVERIFY(d.form()->pointsCombo->isEnabled());
    d.form()->pointsCombo->setValue(3);
    d.form()->nameEdit->clear();
    QSignalSpy announced(&host.m_Hub, &CKorvantaSignals::newFunctionData);
    d.form()->OKButton->click();
    QCOMPARE(announced.count(), 1);
    CDataBranch* avg = host.m_Data.GetDataBranch(announced.at(0).at(0).toInt());
    // Window 7: the spike spreads over 47..53 as 1 each; the engine names an empty name.
    QCOMPARE(avg->m_Name, QString("Avg(Spike)"));
    QCOMPARE(avg->GetNumSamples(), 21);
    for (int i = 0; i < 21; ++i) {
        const int x = 40 + i;
        QCOMPARE(avg->GetYSample(i), (x >= 47 && x <= 53) ? 1.0 : 0.0);
    }
}

void TestRangeDialogs::averagingRangeInEitherOrder()
{
    CAnalysisHostFake host;
    CDataBranch* s = host.series(host.run(), "Temperature", "°C", {1, 3, 5, 7, 9, 11, 13, 15});
    QSignalSpy announced(&host.m_Hub, &CKorvantaSignals::newFunctionData);
    AverageDialog d(&host, &host);
    // The second cursor stands left of the first.
    d.init(s->m_Key, 6, 1);
    d.form()->OKButton->click();
    QVERIFY(host.m_Prompter.m_Log.isEmpty());
    QCOMPARE(announced.count(), 1);
    CDataBranch* avg = host.m_Data.GetDataBranch(announced.at(0).at(0).toInt());
    QCOMPARE(avg->GetXSnapshot(), (QVector<double>{1, 2, 3, 4, 5, 6}));
    QCOMPARE(avg->GetYSnapshot(), (QVector<double>{4, 6, 8, 10, 12, 14}));
}

void TestRangeDialogs::averagingPresetsFollowTheLength()
{
    CAnalysisHostFake host;
    CDataFolder* run = host.run();
    struct Case
    {
        int n;
        bool low, medium, high;
    };
    for (const Case& c : {Case{3, false, false, false}, Case{5, true, false, false}, Case{11, true, true, false},
                          Case{41, true, true, true}}) {
        CDataBranch* s = host.series(run, "S", "V", Line(c.n, 1, 0));
        AverageDialog d(&host, &host);
        d.init(s->m_Key, 0, c.n - 1);
        QVERIFY(d.form()->minimalRadioButton->isEnabled());
        QCOMPARE(d.form()->lowRadioButton->isEnabled(), c.low);
        QCOMPARE(d.form()->mediumRadioButton->isEnabled(), c.medium);
        QCOMPARE(d.form()->highRadioButton->isEnabled(), c.high);
        QCOMPARE(d.form()->customRadioButton->isEnabled(), c.low);
        if (c.n < 4)
            QCOMPARE(d.form()->pointsCombo->maximum(), 1);
        if (c.high) {
            d.form()->highRadioButton->click();
            QCOMPARE(d.windowSize(), 41);
            QCOMPARE(d.form()->pointsCombo->value(), 10);   // clamped to n / 4
        }
    }
}

KORVANTA_TEST_MAIN(TestRangeDialogs)
#include "tst_range_dialogs.moc"

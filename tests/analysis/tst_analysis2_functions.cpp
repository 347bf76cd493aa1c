// The range evaluations as the dialogs and the data store call them: new branches, names,
// units, messages and hub signals.
#include <QSignalSpy>
#include "common/TestMain.h"
#include <cmath>

#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/SensorInfo.h"
#include "analysis/FourierSpectrum.h"
#include "support/AnalysisFixture.h"

using AnalysisTest::Fixture;

namespace {

QVector<double> Ramp(int n, double from = 0.0)
{
    QVector<double> v;
    for (int i = 0; i < n; ++i)
        v.append(from + i);
    return v;
}

// A cuff recording at 100 samples per second: pumped to 180 mmHg, let down at 3 mmHg/s with a
// 1.2 Hz pulse whose amplitude peaks at 95 mmHg.
QVector<double> CuffRecording()
{
    QVector<double> y;
    for (int i = 0; i <= 500; ++i)
        y.append(180.0 * i / 500);
    for (int i = 1;; ++i) {
        const double t = i * 0.01, p = 175.0 - 3.0 * t;
        if (p < 40.0)
            break;
        y.append(p + 3.0 * std::exp(-std::pow((p - 95.0) / 20.0, 2)) * std::sin(2.0 * M_PI * 1.2 * t));
    }
    return y;
}

} // namespace

class TestAnalysis2Functions : public QObject
{
    Q_OBJECT
private slots:
    void fourierBranches()
    {
        Fixture f;
        QVector<double> y;
        for (int i = 0; i < 100; ++i)
            y.append(3.0 + 2.0 * std::sin(2.0 * M_PI * 5.0 * i / 100.0));
        CDataBranch* src = f.branch(y, 0.01, "Voltage", "V", 2);
        CDataBranch* axis = nullptr;
        CDataBranch* spectrum = f.functions.FunctionFourier(src, 0, -1, "Spectrum", "kV", &axis);
        QVERIFY(spectrum && axis);
        QCOMPARE(axis->m_Name, QString("Frequency(0 - 50Hz) for Spectrum"));
        QCOMPARE(axis->m_FunctionText, axis->m_Name);
        // One frequency per magnitude, 1 Hz apart, in hertz.
        QCOMPARE(f.ys(axis), Ramp(50));
        QCOMPARE(f.xs(axis), Ramp(50));
        QCOMPARE(axis->m_Unit, QString("Hz"));
        QCOMPARE(spectrum->m_Name, QString("Spectrum"));
        QCOMPARE(spectrum->GetNumSamples(), 50);
        QCOMPARE(f.xs(spectrum), Ramp(50));
        const QVector<double> mag = f.ys(spectrum);
        QVERIFY(std::fabs(mag[0] - 3.0) < 1e-12);
        QVERIFY(std::fabs(mag[5] - 1.0) < 1e-12);
        QVERIFY(mag[4] < 1e-12 && mag[6] < 1e-12);
        QCOMPARE(spectrum->m_Unit, QString("V"));
        for (CDataBranch* b : {axis, spectrum}) {
            QCOMPARE(b->m_UnitPrefix, short(0));
            QCOMPARE(b->m_SensorIndex, 20480);
            QCOMPARE(b->m_Interval, 1.0);   // the bin's X times this is its frequency
            QVERIFY(IsFourierResult(&f.manager, b));
            QCOMPARE(b->m_OwnerKey, src->m_Key);
            QCOMPARE(b->m_ParentKey, -1);
        }
        QVERIFY(axis->m_Key < spectrum->m_Key);
        QCOMPARE(src->m_ChildKeys.Snapshot(), (QVector<int>{axis->m_Key, spectrum->m_Key}));
    }

    void fourierRanges()
    {
        Fixture f;
        QVector<double> y;
        for (int i = 0; i < 1000; ++i)
            y.append(std::cos(2.0 * M_PI * 7.0 * i / 100.0));
        CDataBranch* src = f.branch(y, 0.01, "Wave", "V", 0, Ramp(1000, 40.0));
        CDataBranch* axis = nullptr;
        CDataBranch* spectrum = f.functions.FunctionFourier(src, 200, 299, "S", "", &axis);
        QVERIFY(spectrum);
        QCOMPARE(f.xs(spectrum), Ramp(50)); // bins, whatever the source's X values
        QCOMPARE(f.ys(axis)[1], 1.0);
        QVERIFY(std::fabs(f.ys(spectrum)[7] - 0.5) < 1e-12);
        // Reversed bounds: samples 10..50, 41 samples, 21 bins.
        spectrum = f.functions.FunctionFourier(src, 50, 10, "S", "", &axis);
        QCOMPARE(axis->GetNumSamples(), 21);
        QCOMPARE(spectrum->GetNumSamples(), 21);
        spectrum = f.functions.FunctionFourier(src, 10, 12, "S", "", &axis);
        QCOMPARE(spectrum->GetNumSamples(), 2);
    }

    void fourierRefusalsCreateNothing()
    {
        Fixture f;
        CDataBranch* src = f.branch(Ramp(100), 0.01);
        CDataBranch* manual = f.branch(Ramp(100), 0.0);
        const int before = f.branchCount();
        CDataBranch* axis = src;
        QVERIFY(!f.functions.FunctionFourier(src, 10, 11, "S", "", &axis));
        QVERIFY(axis == nullptr);
        QVERIFY(!f.functions.FunctionFourier(f.branch({}, 0.01), 0, -1, "S", "", &axis));
        // Each refusal of a series says why.
        QCOMPARE(f.sink.messages.size(), 2);
        QCOMPARE(f.sink.lastText(), QString("Too few samples."));
        QVERIFY(!f.functions.FunctionFourier(nullptr, 0, -1, "S", "", &axis));
        QCOMPARE(f.sink.messages.size(), 2);
        // A manually sampled series without a sample interval has no frequencies.
        QVERIFY(!f.functions.FunctionFourier(manual, 0, -1, "S", "", &axis));
        QCOMPARE(f.sink.messages.size(), 3);
        QVERIFY(f.sink.lastText().contains("fixed rate"));
        QCOMPARE(f.branchCount(), before + 1); // only the empty source made above
        QVERIFY(src->m_ChildKeys.Snapshot().isEmpty());
    }

    void statisticsOfABranch()
    {
        Fixture f;
        CKorvantaSignals hub;
        f.functions.SetSignalHub(&hub);
        QSignalSpy keepAlive(&hub, SIGNAL(UserStopKeepAliveTimer()));
        CDataBranch* b = f.branch({9, 2, 4, 4, 4, 5, 5, 7, 9, 1}, 0.5);
        CStatisticsInfo s = f.functions.FunctionStatistics(b->m_Key, 8, 1); // swapped to 1..8
        QCOMPARE(s.m_samples, 8);
        QCOMPARE(s.m_average, 5.0);
        QCOMPARE(s.m_stdev, 2.0);
        QCOMPARE(s.m_median, 4.5);
        QCOMPARE(s.m_area, 19.0);
        QCOMPARE(s.m_rate, 2.0);
        QCOMPARE(keepAlive.count(), 1);
        s = f.functions.FunctionStatistics(b->m_Key, 0, -1);
        QCOMPARE(s.m_samples, 10);
        QCOMPARE(s.m_max, 9.0);
        QCOMPARE(s.m_min, 1.0);
        s = f.functions.FunctionStatistics(b->m_Key + 1000, 0, -1);
        QCOMPARE(s.m_samples, 0);
        QCOMPARE(s.m_rate, 0.0);
        QCOMPARE(f.functions.FunctionStatistics(f.branch({})->m_Key, 0, -1).m_samples, 0);
        QCOMPARE(keepAlive.count(), 2); // none for a missing or empty branch
        f.functions.SetSignalHub(nullptr);
    }

    // Figures in the unit the series is labelled with: its catalogue measurement's prefix.
    void statisticsInTheLabelledUnit_data()
    {
        QTest::addColumn<int>("sensor");
        QTest::addColumn<int>("measurement");
        QTest::addColumn<int>("storedPrefix");
        QTest::addColumn<int>("labelPrefix"); // what the catalogue gives that measurement
        QTest::addColumn<double>("factor");
        QTest::newRow("kPa series stored in kPa") << 41 << 0 << 1 << 1 << 1.0;
        QTest::newRow("same sensor, measurement without prefix") << 41 << 2 << 0 << 0 << 1.0;
        QTest::newRow("stored in V, labelled mV") << 4 << 0 << 0 << 2 << 1000.0;
        QTest::newRow("function result") << 20480 << 0 << 1 << -1 << 1.0;
    }

    void statisticsInTheLabelledUnit()
    {
        QFETCH(int, sensor);
        QFETCH(int, measurement);
        QFETCH(int, storedPrefix);
        QFETCH(int, labelPrefix);
        QFETCH(double, factor);
        Fixture f;
        CSensorInfo catalogue;
        catalogue.LoadSensorInfo();
        f.manager.SetSensorCatalogue(&catalogue);
        const CSensorMeasuremntInfo* label = catalogue.GetMeasurementInfo(sensor, measurement);
        QCOMPARE(label ? int(label->m_UnitPrefix) : -1, labelPrefix);
        CDataBranch* b = f.branch({18.5, 20.0, 19.0, 18.5}, 0.1, "G1", "Pa", short(storedPrefix), {}, 6, sensor);
        b->m_Measurement = measurement;
        const CStatisticsInfo s = f.functions.FunctionStatistics(b->m_Key, 0, -1);
        QCOMPARE(s.m_min, 18.5 * factor);
        QCOMPARE(s.m_max, 20.0 * factor);
        QCOMPARE(s.m_average, 19.0 * factor);
        QCOMPARE(s.m_median, 18.75 * factor);
        QCOMPARE(s.m_area, 5.75); // stored values times seconds, never scaled
        f.manager.SetSensorCatalogue(nullptr);
    }

    void statisticsTaskSurvivesDeletion()
    {
        Fixture f;
        QVector<double> y;
        for (int i = 0; i < 200000; ++i)
            y.append(i % 100);
        CDataBranch* b = f.branch(y, 0.001);
        const int key = b->m_Key;
        QFuture<CStatisticsInfo> task = f.functions.StartStatistics(key, 0, -1);
        f.manager.DeleteDataBranch(key); // the user deletes it while the task runs
        task.waitForFinished();
        const CStatisticsInfo s = task.result();
        QCOMPARE(s.m_samples, 200000);
        QCOMPARE(s.m_average, 49.5);
        QCOMPARE(s.m_median, 49.5);
        QCOMPARE(s.m_rate, 1000.0);
        QFuture<CStatisticsInfo> none = f.functions.StartStatistics(key, 0, -1);
        none.waitForFinished();
        QCOMPARE(none.result().m_samples, 0);
    }

    void movingAverageBranch()
    {
        Fixture f;
        CDataBranch* src = f.branch(Ramp(10, 1.0), 0.5, "Temperature", "C", 2);
        CDataBranch* avg = f.functions.CalculateArraysAverage(src, 5, 0, -1, QString());
        QVERIFY(avg);
        QCOMPARE(avg->m_Name, QString("Avg(Temperature)"));
        QCOMPARE(avg->m_FunctionText, QString("Avg(Temperature)"));
        QCOMPARE(f.ys(avg), (QVector<double>{2, 2.5, 3, 4, 5, 6, 7, 8, 8.5, 9}));
        QCOMPARE(f.xs(avg), Ramp(10));
        QCOMPARE(avg->m_Unit, QString("C"));
        QCOMPARE(avg->m_UnitPrefix, short(2));
        QCOMPARE(avg->m_Interval, 0.5);
        QCOMPARE(avg->m_SensorIndex, 20480);
        QVERIFY(src->m_ChildKeys.Contains(avg->m_Key));
        // A window larger than half the branch is cut to half of it (41 -> 5).
        QCOMPARE(f.ys(f.functions.CalculateArraysAverage(src, 41, 0, -1, "w")), f.ys(avg));
        // Range 3..5 reaches samples 1..7 outside it.
        avg = f.functions.CalculateArraysAverage(src, 5, 3, 5, "r");
        QCOMPARE(f.ys(avg), (QVector<double>{4, 5, 6}));
        QCOMPARE(f.xs(avg), (QVector<double>{3, 4, 5}));
        QCOMPARE(avg->m_Name, QString("r"));
        // A range beyond the branch is clipped, a reversed one put in order.
        QCOMPARE(f.xs(f.functions.CalculateArraysAverage(src, 1, 7, 50, "c")), (QVector<double>{7, 8, 9}));
        QCOMPARE(f.xs(f.functions.CalculateArraysAverage(src, 1, 9, 7, "c")), (QVector<double>{7, 8, 9}));
        QVERIFY(f.sink.messages.isEmpty());
    }

    void movingAverageTooFew()
    {
        Fixture f;
        CDataBranch* one = f.branch({4.0});
        const int before = f.branchCount();
        QVERIFY(!f.functions.CalculateArraysAverage(one, 3, 0, -1, QString()));
        QCOMPARE(f.sink.lastText(), QString("Too few samples."));
        QCOMPARE(f.sink.lastTitle(), QString());
        QVERIFY(!f.functions.CalculateArraysAverage(f.branch(Ramp(10)), 3, 20, 30, "x"));
        QVERIFY(!f.functions.CalculateArraysAverage(nullptr, 3, 0, -1, "x"));
        QCOMPARE(f.sink.messages.size(), 2);
        QCOMPARE(f.branchCount(), before + 1);
    }

    void averageAtOneIndexAndSmoothing()
    {
        Fixture f;
        CSafeArray<double> list;
        for (double v : Ramp(10, 1.0))
            list.Add(v);
        QCOMPARE(f.functions.FunctionAverage(&list, 0, 5), 2.0);
        QCOMPARE(f.functions.FunctionAverage(&list, 1, 5), 2.5);
        QCOMPARE(f.functions.FunctionAverage(&list, 9, 2), 10.0);
        QCOMPARE(f.functions.FunctionAverage(&list, 4, 1), 5.0);
        QCOMPARE(f.functions.FunctionAverage(nullptr, 4, 1), 0.0);
        CSafeArray<double>* smooth = f.functions.SmoothGraphWithMovingAvarage(&list, 3);
        QCOMPARE(smooth->Snapshot(), (QVector<double>{3, 3, 3, 4, 5, 6, 7, 8, 8, 8}));
        QCOMPARE(list.Snapshot(), Ramp(10, 1.0));
        delete smooth;
        smooth = f.functions.SmoothGraphWithMovingAvarage(&list, 40); // too short: a copy
        QCOMPARE(smooth->Snapshot(), Ramp(10, 1.0));
        delete smooth;
        smooth = f.functions.SmoothGraphWithMovingAvarage(nullptr, 3);
        QCOMPARE(smooth->GetSize(), 0);
        delete smooth;
    }

    void polynomialFitBranch()
    {
        Fixture f;
        QVector<double> y;
        for (int i = 0; i < 20; ++i)
            y.append(3.0 + 2.0 * i * 0.1);
        CDataBranch* src = f.branch(y, 0.1, "Temp", "m", 1);
        CDataBranch* fit = f.functions.FunctionPolynomialRegression(src, 0, -1, 2);
        QVERIFY(fit);
        QCOMPARE(fit->m_Name, QString("Polynomial-Curve(Temp)(2)"));
        QCOMPARE(fit->m_FunctionText, QString("f(x) = +2X+3 ,  RI = 1"));
        QCOMPARE(fit->m_SensorIndex, 20481);
        QCOMPARE(fit->m_ParentKey, src->m_Key);
        QVERIFY(src->m_DerivedKeys.Contains(fit->m_Key));
        QVERIFY(src->m_ChildKeys.Contains(fit->m_Key));
        QCOMPARE(fit->m_Unit, QString("m"));
        QCOMPARE(fit->m_UnitPrefix, short(1));
        QCOMPARE(f.xs(fit), Ramp(20));
        for (int i = 0; i < 20; ++i)
            QVERIFY(std::fabs(f.ys(fit)[i] - y[i]) < 1e-9);
        QCOMPARE(f.functions.FunctionPolynomialRegression(src, 5, 9, 3)->m_Name,
                 QString("Polynomial-Curve(Temp)(3)"));
    }

    void polynomialFitReexpandsFromTheRangeStart()
    {
        Fixture f;
        QVector<double> y;
        for (int i = 0; i < 100; ++i)
            y.append(std::pow(i * 0.1, 2));
        CDataBranch* src = f.branch(y, 0.1, "Pos");
        CDataBranch* fit = f.functions.FunctionPolynomialRegression(src, 50, 99, 3);
        QVERIFY(fit);
        QVERIFY2(fit->m_FunctionText.startsWith("f(x) = +1X^2"), qPrintable(fit->m_FunctionText));
        QVERIFY(fit->m_FunctionText.endsWith(" ,  RI = 1"));
        // Constant data: the fit is the constant and the index is 1, not 0 / 0.
        fit = f.functions.FunctionPolynomialRegression(f.branch(QVector<double>(8, 0.5)), 0, -1, 2);
        QVERIFY(fit);
        QVERIFY2(fit->m_FunctionText.endsWith("RI = 1"), qPrintable(fit->m_FunctionText));
    }

    void polynomialFitRefusals()
    {
        Fixture f;
        const int before = f.branchCount();
        QVERIFY(!f.functions.FunctionPolynomialRegression(f.branch({5.0}), 0, -1, 2));
        QCOMPARE(f.sink.lastText(), QString("Invalid values"));
        QCOMPARE(f.sink.lastTitle(), QString());
        QVERIFY(!f.functions.FunctionPolynomialRegression(f.branch({}), 0, -1, 2));
        QVERIFY(!f.functions.FunctionPolynomialRegression(f.branch({1, 4, 2}), 0, -1, 4));
        QCOMPARE(f.sink.messages.size(), 3);
        // A missing source gives nothing and says nothing, called directly or by its id (28).
        QVERIFY(!f.functions.FunctionPolynomialRegression(nullptr, 0, -1, 2));
        QVERIFY(!f.functions.QuickFunctions(28, 987654, false, 0, -1, -1, false, -1, 1, 1, 0, QString(), QString()));
        QCOMPARE(f.sink.messages.size(), 3);
        for (const auto& m : f.sink.messages)
            QCOMPARE(m.text, QString("Invalid values"));
        QCOMPARE(f.branchCount(), before + 3); // the three sources only
        QCOMPARE(f.functions.Binom(5, 2), 10);
        double c[3] = {0, 1, 1}; // 1 + u with u = t - 3
        f.functions.FixCoef(c, 1, -3.0);
        QCOMPARE(c[1], -2.0);
        QCOMPARE(c[2], 1.0);
    }

    void bloodPressureReachesTheHub()
    {
        Fixture f;
        CKorvantaSignals hub;
        f.functions.SetSignalHub(&hub);
        QSignalSpy spy(&hub, SIGNAL(GuiModallessMsg(QString, QString, bool)));
        f.functions.FunctionBloodPressure(nullptr);
        QCOMPARE(spy.count(), 0);
        CDataBranch* good = f.branch(CuffRecording(), 0.01, "Cuff", "mmHg");
        const int before = f.branchCount();
        f.functions.FunctionBloodPressure(good);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QString("Blood Pressure"));
        const QStringList lines = spy.at(0).at(1).toString().split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith("Systolic Pressure  ") && lines[0].endsWith("[mmHg]"));
        QVERIFY(lines[1].startsWith("Diastolic Pressure  "));
        QVERIFY(lines[2].startsWith("MAP (Mean Arterial Pressure)  "));
        QVERIFY(lines[3].startsWith("Pulse:  ") && lines[3].endsWith("[bpm]"));
        QCOMPARE(spy.at(0).at(2).toBool(), true);
        QCOMPARE(f.branchCount(), before);
        // A zero interval and a branch without peaks both give the failure text.
        CDataBranch* noInterval = f.branch(CuffRecording(), 0.0);
        f.functions.FunctionBloodPressure(noInterval);
        CDataBranch* flat = f.branch(QVector<double>(3000, 120.0), 0.01);
        f.functions.FunctionBloodPressure(flat);
        QCOMPARE(spy.count(), 3);
        for (int i = 1; i < 3; ++i) {
            QCOMPARE(spy.at(i).at(0).toString(), QString("Blood Pressure"));
            QCOMPARE(spy.at(i).at(1).toString(), QString("Improper blood pressure measurement."));
            QCOMPARE(spy.at(i).at(2).toBool(), true);
        }
        // Through the dispatcher: no branch, one message.
        QVERIFY(!f.functions.QuickFunctions(26, good->m_Key, false, 5, 10, -1, false, -1, 1, 1, 0,
                                            "x", ""));
        QCOMPARE(spy.count(), 4);
        QVERIFY(f.sink.messages.isEmpty());
        f.functions.SetSignalHub(nullptr);
    }

    void timingOnBranches()
    {
        Fixture f;
        CDataBranch* g1 = f.branch({0, 0, 5, 5, 5, 0, 0, 0, 0, 0}, 0.01);
        CDataBranch* g2 = f.branch({0, 0, 0, 0, 0, 0, 5, 5, 0, 0}, 0.01);
        CDataBranch* shortGate = f.branch({0, 5, 0}, 0.01);
        const QString message = "Please verify data displayed matches selected measurement and/or method";
        QCOMPARE(f.functions.FunctionTiming(g1, nullptr, 0, -1, 0, 5, 5), QString("t = 0.03 s"));
        QCOMPARE(f.functions.FunctionTiming(g1, g2, 0, -1, 10, 5, 5), QString("t = 0.04 s"));
        QCOMPARE(f.functions.FunctionTiming(g1, g2, 9, 0, 10, 5, 5), QString("t = 0.04 s"));
        // Starting inside the pulse: its first sample counts as the rise.
        QCOMPARE(f.functions.FunctionTiming(g1, nullptr, 3, 9, 0, 5, 5), QString("t = 0.02 s"));
        QCOMPARE(f.functions.FunctionTiming(g1, nullptr, 0, -1, 10, 5, 5), message);
        QCOMPARE(f.functions.FunctionTiming(g1, shortGate, 0, -1, 10, 5, 5), message);
        QCOMPARE(f.functions.FunctionTiming(nullptr, g2, 0, -1, 0, 5, 5), message);
        QCOMPARE(f.functions.FunctionTiming(f.branch({}), nullptr, 0, -1, 0, 5, 5), message);
    }
};

// The sensor catalogue draws its icons, which needs a (offscreen) GUI application.
KORVANTA_TEST_MAIN(TestAnalysis2Functions)
#include "tst_analysis2_functions.moc"

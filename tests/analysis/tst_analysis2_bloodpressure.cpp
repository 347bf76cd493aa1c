// Oscillometric blood-pressure evaluation on synthetic cuff recordings.
#include "common/TestMain.h"
#include <cmath>

#include "analysis/BloodPressure.h"

namespace {

// Pump up to top mmHg in 5 s, then deflate at 3 mmHg/s to 40 mmHg with a pulse of the given
// rate whose amplitude peaks (3 mmHg) at 95 mmHg.
void Cuff(double dt, double top, double pulseHz, QVector<double>& xs, QVector<double>& ys,
          double amplitude = 3.0)
{
    xs.clear();
    ys.clear();
    const int pump = static_cast<int>(5.0 / dt);
    for (int i = 0; i <= pump; ++i) {
        xs.append(xs.size());
        ys.append(top * i / pump);
    }
    const double start = top - 5.0;
    for (int i = 1;; ++i) {
        const double t = i * dt;
        const double p = start - 3.0 * t;
        if (p < 40.0)
            break;
        const double a = amplitude * std::exp(-std::pow((p - 95.0) / 20.0, 2));
        xs.append(xs.size());
        ys.append(p + a * std::sin(2.0 * M_PI * pulseHz * t));
    }
}

} // namespace

class TestAnalysis2BloodPressure : public QObject
{
    Q_OBJECT
private slots:
    void evaluatesSyntheticRecording()
    {
        QVector<double> xs, ys;
        Cuff(0.01, 170.0, 1.2, xs, ys);
        CBloodPressureResult r;
        QVERIFY(EvaluateBloodPressure(xs, ys, 0.01, r));
        // Envelope 0.55 and 0.6 points of the amplitude curve lie near 110 and 81 mmHg; the
        // smoothing of the envelope widens them a little.
        QVERIFY2(r.m_Systolic > 105 && r.m_Systolic < 125, qPrintable(QString::number(r.m_Systolic)));
        QVERIFY2(r.m_Diastolic > 68 && r.m_Diastolic < 88, qPrintable(QString::number(r.m_Diastolic)));
        QCOMPARE(r.m_MeanArterial, static_cast<int>((r.m_Systolic + 2 * r.m_Diastolic) / 3.0));
        QVERIFY2(r.m_Pulse >= 70 && r.m_Pulse <= 74, qPrintable(QString::number(r.m_Pulse)));
    }

    void peakThreshold()
    {
        QVector<double> xs, ys;
        Cuff(0.01, 169.9, 1.2, xs, ys);
        CBloodPressureResult r;
        QVERIFY(!EvaluateBloodPressure(xs, ys, 0.01, r));
        Cuff(0.01, 170.0, 1.2, xs, ys); // exactly 170.0 passes
        QVERIFY(EvaluateBloodPressure(xs, ys, 0.01, r));
    }

    void failures()
    {
        QVector<double> xs, ys;
        Cuff(0.01, 180.0, 0.2, xs, ys, 10.0); // a dozen slow waves: too few oscillations
        CBloodPressureResult r;
        QVERIFY(!EvaluateBloodPressure(xs, ys, 0.01, r));
        Cuff(0.01, 180.0, 1.2, xs, ys);
        QVERIFY(!EvaluateBloodPressure(xs, ys, 0.0, r));    // zero interval
        QVERIFY(!EvaluateBloodPressure(xs, ys, -0.01, r));  // negative interval
        QVERIFY(!EvaluateBloodPressure(xs, ys, 2.0, r));    // under one sample per second
        QVERIFY(!EvaluateBloodPressure(xs, ys, std::nan(""), r));
        QVERIFY(!EvaluateBloodPressure({}, {}, 0.01, r));
        // Tail too short: the recording stops 5 s after the peak (tail <= 9 R).
        QVERIFY(!EvaluateBloodPressure(xs.mid(0, 1000), ys.mid(0, 1000), 0.01, r));
    }

    void nanSamplesDoNotHang()
    {
        QVector<double> xs, ys;
        Cuff(0.01, 180.0, 1.2, xs, ys);
        for (int i = 1500; i < ys.size(); i += 7)
            ys[i] = std::nan("");
        CBloodPressureResult r;
        // Whatever comes out, the evaluation returns, and a NaN result is never reported.
        if (EvaluateBloodPressure(xs, ys, 0.01, r)) {
            QVERIFY(std::isfinite(r.m_Systolic));
            QVERIFY(std::isfinite(r.m_Diastolic));
        }
    }

    void resultText()
    {
        CBloodPressureResult r;
        r.m_Systolic = 121.7;
        r.m_Diastolic = 79.9;
        r.m_MeanArterial = static_cast<int>((121.7 + 2 * 79.9) / 3.0);
        r.m_Pulse = static_cast<int>(120.0 / (150 * 0.01));
        QCOMPARE(BloodPressureResultText(r),
                 QString("Systolic Pressure  121[mmHg]\nDiastolic Pressure  79[mmHg]\n"
                         "MAP (Mean Arterial Pressure)  93[mmHg]\nPulse:  80[bpm]"));
        QCOMPARE(BloodPressureFailureText(), QString("Improper blood pressure measurement."));
        QCOMPARE(BloodPressureTitle(), QString("Blood Pressure"));
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestAnalysis2BloodPressure)
#include "tst_analysis2_bloodpressure.moc"

// Photogate timing evaluation on hand-made gate signals.
#include "common/TestMain.h"

#include "analysis/PhotogateTiming.h"

namespace {

// '1' high (5 V), '0' low, '=' exactly on the threshold.
QVector<double> Gate(const char* pattern)
{
    QVector<double> v;
    for (const char* p = pattern; *p; ++p)
        v.append(*p == '1' ? 5.0 : (*p == '=' ? 2.5 : 0.0));
    return v;
}

QString Run(const char* g1, const char* g2, int method, double dt = 0.01, double flag = 5,
            double distance = 5, qint64 first = 0, qint64 last = -1)
{
    const QVector<double> a = Gate(g1);
    const QVector<double> b = Gate(g2 ? g2 : "");
    if (last < 0)
        last = a.size() - 1;
    return EvaluatePhotogateTiming(a, g2 ? &b : nullptr, first, last,
                                   static_cast<unsigned char>(method), flag, distance, dt);
}

const QString kMessage = "Please verify data displayed matches selected measurement and/or method";

} // namespace

class TestAnalysis2Timing : public QObject
{
    Q_OBJECT
private slots:
    void oneGate()
    {
        QCOMPARE(Run("0011100", nullptr, 0), QString("t = 0.03 s"));
        // Pulses of 12 and 10 samples print with the trailing zero cut.
        QCOMPARE(Run("0111111111111000111111111100", nullptr, 0), QString("t = 0.12 s,  0.1 s"));
        // 5 cm flag over 0.05 s: 1 m/s.
        QCOMPARE(Run("00111110", nullptr, 1), QString("v = 1 m/s"));
        // A range that starts inside a pulse takes its first sample as the rise; an unfinished
        // pulse at the end gives nothing.
        QCOMPARE(Run("1110001", nullptr, 0), QString("t = 0.03 s"));
        // The threshold value itself neither starts nor ends a pulse.
        QCOMPARE(Run("0=11=00", nullptr, 0), QString("t = 0.03 s"));
    }

    void decimalsFollowTheInterval()
    {
        QCOMPARE(Run("0110", nullptr, 0, 0.1), QString("t = 0.2 s"));
        QCOMPARE(Run("0111111111110", nullptr, 0, 0.001), QString("t = 0.011 s"));
        QCOMPARE(Run("0110", nullptr, 0, 0.0004), QString("t = 0.0008 s"));
        QCOMPARE(Run("01111110", nullptr, 0, 0.00013), QString("t = 0.00078 s"));
    }

    void accelerationAtOneGate()
    {
        // Pulses of 5 and 4 samples at dt 0.01, middles (1+6)/2 and (9+13)/2 samples, 0.075 s apart:
        // v1 = 0.05 / 0.05 = 1, v2 = 0.05 / 0.04 = 1.25, a = 0.25 / 0.075 = 3.33.
        QCOMPARE(Run("0111110001111000", nullptr, 2), QString("a = 3.33 m/s²"));
        // A third, unpaired pulse adds nothing.
        QCOMPARE(Run("01111100011110001100", nullptr, 2), QString("a = 3.33 m/s²"));
        QCOMPARE(Run("0111110", nullptr, 2), kMessage);
    }

    void betweenGates()
    {
        const char* g1 = "0011000000";
        const char* g2 = "0000001100";
        QCOMPARE(Run(g1, g2, 10), QString("t = 0.04 s"));
        QCOMPARE(Run(g1, g2, 11, 0.01, 5, 20), QString("v = 5 m/s"));
        // The second gate first: the time stays positive, the velocity turns negative.
        QCOMPARE(Run(g2, g1, 10), QString("t = 0.04 s"));
        QCOMPARE(Run(g2, g1, 11, 0.01, 5, 20), QString("v = -5 m/s"));
        // The range ends while both gates are high: still one value from the two rises.
        QCOMPARE(Run("00111", "01111", 10), QString("t = 0.01 s"));
        // Both rising on the same sample: no finite velocity, so no value.
        QCOMPARE(Run("00111", "00111", 11), kMessage);
    }

    void accelerationBetweenGates()
    {
        // Gate 1: 5 samples from 1, gate 2: 4 samples from 9; middles (1+6)/2 and (9+13)/2.
        QCOMPARE(Run("01111100000000", "00000000011110", 12), QString("a = 3.33 m/s²"));
        // Ending before the second pulse fell: nothing.
        QCOMPARE(Run("011111000000", "000000000111", 12), kMessage);
    }

    void pendulumAndCollision()
    {
        // Rising edges at 1, 4, 7, 10, 13: periods 1..7 and 7..13.
        QCOMPARE(Run("01101101101101", nullptr, 20), QString("t = 0.06 s,  0.06 s"));
        QCOMPARE(Run("0110110", nullptr, 20), kMessage);
        QCOMPARE(Run("00111110", "00000000", 21), QString("v1 = 1 m/s\n"));
        QCOMPARE(Run("00111110", "01111100", 21), QString("v1 = 1 m/s\nv2 = 1 m/s"));
        QCOMPARE(Run("00000000", "00000000", 21), kMessage);
    }

    void refusals()
    {
        QCOMPARE(Run("0011100", nullptr, 10), kMessage);        // second gate missing
        QCOMPARE(Run("0011100", "00111", 10), kMessage);         // second gate shorter
        QCOMPARE(Run("0011100", nullptr, 7), kMessage);          // unknown method
        QCOMPARE(Run("0000000", nullptr, 0), kMessage);          // no pulse
        QCOMPARE(Run("0011100", nullptr, 0, 0.0), kMessage);     // no interval
        QCOMPARE(Run("0011100", nullptr, 0, 0.01, 5, 5, 3, 2), kMessage);
        QCOMPARE(Run("0011100", nullptr, 0, 0.01, 5, 5, 0, 7), kMessage);
        QCOMPARE(PhotogateTimingMessage(), kMessage);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestAnalysis2Timing)
#include "tst_analysis2_timing.moc"

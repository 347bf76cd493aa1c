// Numeric cores of the range analyses: smoothing, moving average, statistics, Fourier spectrum.
#include "common/TestMain.h"
#include <QFile>
#include <cmath>
#include <limits>
#include <random>

#include "analysis/FourierSpectrum.h"
#include "opencv/OpenCvLibrary.h"
#include "analysis/MovingAverage.h"
#include "analysis/Smoothing.h"
#include "analysis/Statistics.h"

namespace {

QVector<double> Ramp(int n, double from = 0.0)
{
    QVector<double> v;
    for (int i = 0; i < n; ++i)
        v.append(from + i);
    return v;
}

// The spectrum by its definition, summed directly, as a reference.
QVector<double> DirectSpectrum(const QVector<double>& y)
{
    const int n = y.size();
    QVector<double> out;
    for (int m = 0; m < (n - 1) / 2 + 1; ++m) {
        long double re = 0, im = 0;
        for (int r = 0; r < n; ++r) {
            const long double angle = 2.0L * M_PIl * ((static_cast<long long>(m) * r) % n) / n;
            re += y[r] * cosl(angle);
            im -= y[r] * sinl(angle);
        }
        out.append(static_cast<double>(sqrtl(re * re + im * im) / n));
    }
    return out;
}

void CompareSpectra(const QVector<double>& y)
{
    QVector<double> fast;
    QVERIFY(FourierMagnitudes(y.constData(), y.size(), fast));
    const QVector<double> direct = DirectSpectrum(y);
    QCOMPARE(fast.size(), direct.size());
    double scale = 0.0;
    for (double d : direct)
        scale = std::max(scale, std::fabs(d));
    for (int m = 0; m < direct.size(); ++m) {
        if (std::fabs(fast[m] - direct[m]) > 1e-9 * std::max(scale, 1e-300))
            QFAIL(qPrintable(QString("N %1 bin %2: %3 vs %4")
                                 .arg(y.size()).arg(m).arg(fast[m], 0, 'g', 17)
                                 .arg(direct[m], 0, 'g', 17)));
    }
}

} // namespace

class TestAnalysis2Core : public QObject
{
    Q_OBJECT
private slots:
    void smoothingWorkedExamples()
    {
        QVector<double> out;
        QVERIFY(SmoothMovingAverageValues(Ramp(10), 3, out));
        QCOMPARE(out, (QVector<double>{2, 2, 2, 3, 4, 5, 6, 7, 7, 7}));
        QVector<double> even;
        QVERIFY(SmoothMovingAverageValues(Ramp(10), 2, even));
        QCOMPARE(even, out);
        QVector<double> one;
        QVERIFY(SmoothMovingAverageValues(Ramp(10), 1, one));
        QCOMPARE(one, (QVector<double>{1, 1, 2, 3, 4, 5, 6, 7, 8, 8}));
        QVERIFY(SmoothMovingAverageValues(Ramp(10), 0, one));
        QCOMPARE(one, (QVector<double>{1, 1, 2, 3, 4, 5, 6, 7, 8, 8}));
        // 2h + 3 values: one computed position, copied everywhere.
        const QVector<double> seven{1, 2, 3, 4, 5, 6, 100};
        QVERIFY(SmoothMovingAverageValues(seven, 4, out));
        QCOMPARE(out, QVector<double>(7, 4.0));
    }

    void smoothingRefusesShortListsAndNegativeWidths()
    {
        QVector<double> out{42};
        QVERIFY(!SmoothMovingAverageValues(Ramp(6), 4, out));
        QVERIFY(!SmoothMovingAverageValues(Ramp(2), 0, out));
        QVERIFY(!SmoothMovingAverageValues(Ramp(10), -3, out));
        QVERIFY(!SmoothMovingAverageValues(Ramp(10), 2000000000, out));
        QCOMPARE(out, QVector<double>{42});
    }

    void movingAverageWorkedExamples()
    {
        const QVector<double> y = Ramp(10, 1.0);
        QVector<double> out;
        QVERIFY(MovingAverageOfRange(y, 0, 10, 0, 9, 5, out));
        QCOMPARE(out, (QVector<double>{2, 2.5, 3, 4, 5, 6, 7, 8, 8.5, 9}));
        QVERIFY(MovingAverageOfRange(y, 0, 10, 0, 9, 2, out));
        QCOMPARE(out, (QVector<double>{1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5, 8.5, 9.5, 10}));
        QVERIFY(MovingAverageOfRange(y, 0, 10, 0, 9, 1, out));
        QCOMPARE(out, y);
        // Range 3..5: the window reaches samples 1..7 outside the range.
        QVERIFY(MovingAverageOfRange(y, 0, 10, 3, 5, 5, out));
        QCOMPARE(out, (QVector<double>{4, 5, 6}));
        qint64 lo = 0, hi = 0;
        MovingAverageSpan(3, 5, 5, 10, lo, hi);
        QCOMPARE(lo, qint64(1));
        QCOMPARE(hi, qint64(7));
        // A slice holding just that span gives the same values.
        QVERIFY(MovingAverageOfRange(y.mid(1, 7), 1, 10, 3, 5, 5, out));
        QCOMPARE(out, (QVector<double>{4, 5, 6}));
    }

    void movingAverageRejectsBadArguments()
    {
        const QVector<double> y = Ramp(10);
        QVector<double> out{7};
        QVERIFY(!MovingAverageOfRange(y, 0, 10, -1, 3, 3, out));
        QVERIFY(!MovingAverageOfRange(y, 0, 10, 5, 3, 3, out));
        QVERIFY(!MovingAverageOfRange(y, 0, 10, 0, 10, 3, out));
        QVERIFY(!MovingAverageOfRange(y, 0, 10, 0, 3, 0, out));
        QVERIFY(!MovingAverageOfRange(y.mid(3), 3, 10, 3, 5, 5, out)); // slice too short
        QCOMPARE(out, QVector<double>{7});
    }

    void movingAverageMatchesDirectSumsOnLongNoisyData()
    {
        std::mt19937 gen(7);
        std::uniform_real_distribution<double> d(-1e6, 1e6);
        QVector<double> y;
        for (int i = 0; i < 5000; ++i)
            y.append(1e8 + d(gen));
        QVector<double> out;
        QVERIFY(MovingAverageOfRange(y, 0, y.size(), 0, y.size() - 1, 101, out));
        for (int i = 0; i < y.size(); i += 37) {
            const int lo = std::max(0, i - 50), hi = std::min(y.size() - 1, i + 50);
            double sum = 0;
            for (int k = lo; k <= hi; ++k)
                sum += y[k];
            QVERIFY(std::fabs(out[i] - sum / (hi - lo + 1)) < 1e-6);
        }
    }

    void statisticsOfKnownSets()
    {
        const CStatisticsInfo s = ComputeStatistics({2, 4, 4, 4, 5, 5, 7, 9}, 1.0, 0.5);
        QCOMPARE(s.m_sum, 40.0);
        QCOMPARE(s.m_average, 5.0);
        QCOMPARE(s.m_stdev, 2.0);
        QCOMPARE(s.m_median, 4.5);
        QCOMPARE(s.m_min, 2.0);
        QCOMPARE(s.m_max, 9.0);
        QCOMPARE(s.m_area, 19.0); // (4+4+5+5+7+9+4) * 0.5, first sample excluded
        QCOMPARE(s.m_samples, 8);
        QCOMPARE(s.m_rate, 2.0);
        QCOMPARE(ComputeStatistics({3, 2, 1}, 1.0, 1.0).m_median, 2.0);
        QCOMPARE(ComputeStatistics({1, 2, 3, 4}, 1.0, 1.0).m_median, 2.5);
        const CStatisticsInfo neg = ComputeStatistics({-5, -1, -3}, 1.0, 1.0);
        QCOMPARE(neg.m_max, -1.0);
        QCOMPARE(neg.m_min, -5.0);
    }

    void statisticsScaleEverythingButAreaSamplesAndRate()
    {
        const CStatisticsInfo s = ComputeStatistics({2, 4, 4, 4, 5, 5, 7, 9}, 1000.0, 0.5);
        QCOMPARE(s.m_sum, 40000.0);
        QCOMPARE(s.m_average, 5000.0);
        QCOMPARE(s.m_stdev, 2000.0);
        QCOMPARE(s.m_median, 4500.0);
        QCOMPARE(s.m_min, 2000.0);
        QCOMPARE(s.m_max, 9000.0);
        QCOMPARE(s.m_area, 19.0);
        QCOMPARE(s.m_samples, 8);
        QCOMPARE(s.m_rate, 2.0);
    }

    void statisticsOfOneSampleAndOfNothing()
    {
        const CStatisticsInfo one = ComputeStatistics({3.5}, 2.0, 0.1);
        QCOMPARE(one.m_sum, 7.0);
        QCOMPARE(one.m_median, 7.0);
        QCOMPARE(one.m_min, 7.0);
        QCOMPARE(one.m_max, 7.0);
        QCOMPARE(one.m_stdev, 0.0);
        QCOMPARE(one.m_area, 0.0);
        QCOMPARE(one.m_samples, 1);
        const CStatisticsInfo none = ComputeStatistics({}, 1.0, 0.1);
        QCOMPARE(none.m_samples, 0);
        QCOMPARE(none.m_rate, 0.0);
        QCOMPARE(none.m_sum, 0.0);
        // A NaN among the values neither crashes the median nor hides the ordinary ones.
        const CStatisticsInfo nan = ComputeStatistics({1, std::nan(""), 3}, 1.0, 1.0);
        QCOMPARE(nan.m_median, 2.0);
    }

    // Minimum, maximum and median of 1, 2, 4 (scaled by 10) with missing samples anywhere.
    void statisticsPassOverMissingSamplesWhereverTheySit_data()
    {
        QTest::addColumn<QVector<double>>("values");
        const double gaps[] = {std::nan(""), -9999999.0};
        for (double gap : gaps) {
            for (int at = 0; at <= 3; ++at) {
                QVector<double> v{1, 2, 4};
                v.insert(at, gap);
                QTest::addRow("%s at %d", std::isnan(gap) ? "NaN" : "missing", at) << v;
            }
        }
        QTest::newRow("both, twice") << QVector<double>{std::nan(""), 4, -9999999.0, 1, std::nan(""), 2, -9999999.0};
    }

    void statisticsPassOverMissingSamplesWhereverTheySit()
    {
        QFETCH(QVector<double>, values);
        const CStatisticsInfo s = ComputeStatistics(values, 10.0, 1.0);
        QCOMPARE(s.m_min, 10.0);
        QCOMPARE(s.m_max, 40.0);
        QCOMPARE(s.m_median, 20.0);
        QCOMPARE(s.m_sum, 70.0);
        QCOMPARE(s.m_average, 70.0 / 3);
        QCOMPARE(s.m_samples, values.size());
    }

    void statisticsMedianOfHugeValuesAndOfNoReading()
    {
        const double big = std::numeric_limits<double>::max();
        QCOMPARE(ComputeStatistics({big, big}, 1.0, 1.0).m_median, big);
        QCOMPARE(ComputeStatistics({big, big / 2, -1.0, big}, 1.0, 1.0).m_median, big * 0.75);
        QCOMPARE(ComputeStatistics({-big, -big}, 1.0, 1.0).m_median, -big);
        const CStatisticsInfo none = ComputeStatistics({std::nan(""), -9999999.0}, 1.0, 1.0);
        QCOMPARE(none.m_min, -9999999.0);
        QCOMPARE(none.m_max, -9999999.0);
        QCOMPARE(none.m_median, -9999999.0);
        QCOMPARE(none.m_average, -9999999.0);
    }

    void fourierOfPureSineHasOneBin()
    {
        QVector<double> y;
        for (int i = 0; i < 100; ++i)
            y.append(2.0 * std::sin(2.0 * M_PI * 5.0 * i / 100.0));
        QVector<double> mag;
        QVERIFY(FourierMagnitudes(y.constData(), y.size(), mag));
        QCOMPARE(mag.size(), 50);
        for (int m = 0; m < mag.size(); ++m)
            QVERIFY2(std::fabs(mag[m] - (m == 5 ? 1.0 : 0.0)) < 1e-12, qPrintable(QString::number(m)));
        QVERIFY(FourierMagnitudes(QVector<double>(101, 3.0).constData(), 101, mag));
        QCOMPARE(mag.size(), 51);
        QVERIFY(std::fabs(mag[0] - 3.0) < 1e-12);
        for (int m = 1; m < mag.size(); ++m)
            QVERIFY(mag[m] < 1e-12);
        // A spectrum loads OpenCV's core plugin only, not the video reader with its codecs.
        QVERIFY(KorvantaOpenCv::Loaded(s_OpenCvLibrary));
        QVERIFY(!KorvantaOpenCv::Loaded(s_VideoReaderLibrary));
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY(!maps.readAll().contains("opencv_videoio"));
    }

    void fourierMatchesTheDirectSum()
    {
        std::mt19937 gen(11);
        std::normal_distribution<double> d(5.0, 3.0);
        // Tiny lengths, smooth lengths (direct route) and lengths with a large prime factor
        // (chirp route: 67, 101, 2 * 97, 1009).
        for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 16, 60, 64, 67, 100, 101, 194, 1000, 1009}) {
            QVector<double> y;
            for (int i = 0; i < n; ++i)
                y.append(d(gen));
            CompareSpectra(y);
        }
    }

    void fourierOfLongPrimeLengthSine()
    {
        // 65,537 is prime: the chirp route. A sine on bin 100 stays a single bin.
        const int n = 65537;
        QVector<double> y(n);
        for (int i = 0; i < n; ++i)
            y[i] = 2.0 * std::sin(2.0 * M_PI * ((100LL * i) % n) / n) + 0.5;
        QVector<double> mag;
        QVERIFY(FourierMagnitudes(y.constData(), n, mag));
        QCOMPARE(mag.size(), 32769);
        QVERIFY(std::fabs(mag[0] - 0.5) < 1e-9);
        QVERIFY(std::fabs(mag[100] - 1.0) < 1e-9);
        double rest = 0.0;
        for (int m = 1; m < mag.size(); ++m)
            if (m != 100)
                rest = std::max(rest, mag[m]);
        QVERIFY2(rest < 1e-9, qPrintable(QString::number(rest)));
    }

    void fourierRefusesNothing()
    {
        QVector<double> mag{1};
        QVERIFY(!FourierMagnitudes(nullptr, 5, mag));
        const double one = 1.0;
        QVERIFY(!FourierMagnitudes(&one, 0, mag));
        QCOMPARE(mag, QVector<double>{1});
        QCOMPARE(FourierBinCount(2), 1);
        QCOMPARE(FourierBinCount(3), 2);
        QCOMPARE(FourierBinCount(100), 50);
        QCOMPARE(FourierBinCount(101), 51);
        QCOMPARE(FourierBinCount(0), 0);
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestAnalysis2Core)
#include "tst_analysis2_core.moc"

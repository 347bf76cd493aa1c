// CGlobalTable: sample-count codes and the interval of every rate code.
#include "Core/Base/GlobalTable.h"

#include "common/TestMain.h"

#include <cmath>

class TestGlobalTable : public QObject
{
    Q_OBJECT
private:
    static void checkInterval(short rate, short samples, double seconds, double display, short unit)
    {
        const ExperimentInterval iv = CGlobalTable::GlobalExperimentInterval(rate, samples);
        QVERIFY2(qFuzzyCompare(iv.m_PeriodSec, seconds), qPrintable(QString("rate %1 seconds %2").arg(rate).arg(iv.m_PeriodSec)));
        QVERIFY2(qFuzzyCompare(iv.m_PeriodDisplay, display), qPrintable(QString("rate %1 display %2").arg(rate).arg(iv.m_PeriodDisplay)));
        QCOMPARE(iv.m_UnitCode, unit);
    }

private slots:
    void sampleCountsByCode()
    {
        const qint64 expected[] = {10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 15000, 20000, 32000, 40000, 50000, 100000, 89};
        for (int code = 0; code < 17; ++code) {
            QCOMPARE(CGlobalTable::GetNumberOfSamples((unsigned char)code), expected[code]);
            QCOMPARE(CGlobalTable::GetNumberOfSamplesCode(long(expected[code])), code);
        }
        QCOMPARE(CGlobalTable::GetNumberOfSamples(17), qint64(0));
        QCOMPARE(CGlobalTable::GetNumberOfSamples(255), qint64(0));
    }

    void unknownSampleCountsGiveCode3()
    {
        QCOMPARE(CGlobalTable::GetNumberOfSamplesCode(89), 16);
        QCOMPARE(CGlobalTable::GetNumberOfSamplesCode(300), 3);
        QCOMPARE(CGlobalTable::GetNumberOfSamplesCode(0), 3);
        QCOMPARE(CGlobalTable::GetNumberOfSamplesCode(-10), 3);
        QCOMPARE(CGlobalTable::GetNumberOfSamplesCode(99999), 3);
    }

    void intervalsOfTheCommonRates()
    {
        checkInterval(1, 0, 3600, 1, 3);
        checkInterval(2, 0, 1800, 30, 2);
        checkInterval(3, 0, 600, 10, 2);
        checkInterval(4, 0, 60, 1, 2);
        checkInterval(5, 0, 10, 10, 1);
        checkInterval(6, 0, 1, 1, 1);
        checkInterval(7, 0, 0.1, 0.1, 1);
        checkInterval(8, 0, 0.04, 40, 0);
        checkInterval(9, 0, 0.02, 20, 0);
        checkInterval(10, 0, 0.01, 10, 0);
        checkInterval(11, 0, 0.002, 2, 0);
        checkInterval(12, 0, 0.001, 1, 0);
        checkInterval(13, 0, 0.0001, 0.1, 0);
        checkInterval(14, 0, 0.00001, 0.01, 0);
    }

    void intervalsOfTheModelRates()
    {
        checkInterval(66, 0, 1.0 / 20800, 0.04807692307692308, 0);
        checkInterval(68, 0, 1200, 20, 2);
        checkInterval(69, 0, 900, 15, 2);
        checkInterval(70, 0, 300, 5, 2);
        checkInterval(71, 0, 30, 30, 1);
        checkInterval(72, 0, 20, 20, 1);
        checkInterval(73, 0, 15, 15, 1);
        checkInterval(74, 0, 5, 5, 1);
        checkInterval(75, 0, 0.05, 50, 0);
        checkInterval(76, 0, 0.033333, 33.333333333333336, 0);
        checkInterval(77, 0, 0.025, 25, 0);
        checkInterval(78, 0, 0.016667, 16.666666666666668, 0);
        checkInterval(79, 0, 0.014286, 14.285714285714286, 0);
        checkInterval(80, 0, 0.0125, 12.5, 0);
        checkInterval(81, 0, 0.011111, 11.111111111111111, 0);
        checkInterval(82, 0, 0.008, 8, 0);
        checkInterval(83, 0, 0.006667, 6.666666666666667, 0);
        checkInterval(84, 0, 0.005, 5, 0);
        checkInterval(85, 0, 0.0025, 2.5, 0);
        checkInterval(86, 0, 1.0 / 600, 1.0 / 600, 1);
    }

    void rate16ScalesWithTheSampleCount()
    {
        checkInterval(16, 5720, 1, 1000, 0);
        checkInterval(16, 1, 1.0 / 5720, 0.17482517482517482, 0);
        checkInterval(16, 2860, 0.5, 500, 0);
    }

    void rate16WithoutSamplesIsNotAZeroPeriod()
    {
        // A zero period would become a division by zero wherever a frequency is derived.
        checkInterval(16, 0, 1, 1, 6);
        checkInterval(16, -5, 1, 1, 6);
    }

    void unknownRatesGiveTheUnknownRecord()
    {
        const short unknown[] = {0, 15, 17, 40, 65, 67, 87, 200, -1, -32768, 32767};
        for (short rate : unknown) checkInterval(rate, 100, 1, 1, 6);
    }

    void everyPeriodIsPositiveAndFinite()
    {
        for (int rate = -2; rate < 100; ++rate) {
            const ExperimentInterval iv = CGlobalTable::GlobalExperimentInterval(short(rate), 0);
            QVERIFY2(std::isfinite(iv.m_PeriodSec) && iv.m_PeriodSec > 0, qPrintable(QString::number(rate)));
            QVERIFY2(std::isfinite(iv.m_PeriodDisplay) && iv.m_PeriodDisplay > 0, qPrintable(QString::number(rate)));
        }
    }
};

KORVANTA_TEST_GUILESS_MAIN(TestGlobalTable)
#include "tst_globaltable.moc"

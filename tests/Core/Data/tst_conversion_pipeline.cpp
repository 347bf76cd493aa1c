// The conversion pipeline (filter, formula, calibration, clamp, zero) and the stateful signal
// processing behind it: low-pass filter, beat detector, wind speed, sound level, true RMS,
// rotary motion.
#include "common/TestMain.h"
#include <cmath>
#include <memory>

#include "Core/Data/DataConversion.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SensorsCalibration.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Data/SignalProcessing.h"
#include "common/FakeLogger.h"

using ConversionMarkers::s_Missing;
using ConversionMarkers::s_NoSample;

class TestConversionPipeline : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CSensorInfo> m_info;
    std::unique_ptr<CSensorsCalibration> m_cal;
    std::unique_ptr<CDataConversion> m_conv;
    std::unique_ptr<CSetupInfo> m_setup;
    std::vector<std::unique_ptr<CSesnorProperties>> m_sensors;
    std::unique_ptr<CFakeLogger> m_logger;

    double C(int index, double raw, long s = 1, int m = 0, int channel = 0, bool plain = false)
    {
        short flag = 0;
        return m_conv->ConvertDataSample(m_logger.get(), channel, channel, index, raw, s, flag, static_cast<short>(m), true, plain);
    }

    CMeasurementSetup* AddSensor(int index, int measurements)
    {
        auto sensor = std::make_unique<CSesnorProperties>();
        sensor->m_SensorIndex = index;
        sensor->m_Channel = m_setup->m_SelectedSensorList.size();
        for (int j = 0; j < measurements; ++j) {
            auto* ms = new CMeasurementSetup;
            ms->m_bActive = true;
            sensor->m_MeasurementList.append(ms);
        }
        m_setup->m_SelectedSensorList.append(sensor.get());
        CMeasurementSetup* first = sensor->m_MeasurementList.first();
        m_sensors.push_back(std::move(sensor));
        return first;
    }

    // The sensor's formula alone: its reading before the limits, the calibration and the zero.
    double Formula(int index, double raw, int m, bool plain)
    {
        short flag = 0;
        int zero = 0;
        return m_conv->ConvertDefaultSample(m_logger.get(), 0, 0, index, raw, 1, flag, static_cast<short>(m), true, plain, zero);
    }

private slots:
    void init()
    {
        m_info.reset(new CSensorInfo);
        m_info->LoadSensorInfo();
        m_cal.reset(new CSensorsCalibration(m_info.get()));
        m_setup.reset(new CSetupInfo);
        m_sensors.clear();
        m_conv.reset(new CDataConversion);
        m_conv->SetSensorInfo(m_info.get());
        m_conv->SetCalibration(m_cal.get());
        m_conv->SetSetupInfo(m_setup.get());
        m_conv->SetSamplePeriod(0.1);
        m_logger = CFakeLogger::Running();
    }

    void calibrationTypes()
    {
        // Type 1 adds the offset: real 10, reading 9.5 -> +0.5 V.
        CalibrationValues one;
        one.type = 1;
        one.real1 = 10.0;
        one.measured1 = 9.5;
        m_cal->setCalibrationValues(one, 1);
        QVERIFY(qAbs(C(1, 3048) - 12.75) < 1e-5);
        // Type 2 replaces the catalogue line by the calibrated one: 0.01 V per count from 0 at 2048.
        CalibrationValues two;
        two.type = 2;
        two.real1 = 0.0;
        two.raw1 = 2048;
        two.real2 = 10.0;
        two.raw2 = 3048;
        m_cal->setCalibrationValues(two, 1);
        QVERIFY(qAbs(C(1, 2548) - 5.0) < 1e-5);
        // At the zero count the catalogue line is 0: the calibrated line answers, not 0/0.
        two.real1 = 1.0;
        two.real2 = 11.0;
        m_cal->setCalibrationValues(two, 1);
        QVERIFY(qAbs(C(1, 2048) - 1.0) < 1e-9);
        QVERIFY(std::isfinite(C(1, 2048)));
    }

    void twoPointCalibrationReadsBackEverywhere()
    {
        // Every two-point sensor whose measurements derive from one raw line (not the curves,
        // the compensated chemistry, the electrodes), calibrated on any of its measurements:
        // each locked point reads back as typed there, and every measurement keeps its line to it.
        const QList<int> notLines = {31, 108, 130, 131, 134, 136, 145};
        for (int index = 1; index < CSensorInfo::s_NumOfSensors; ++index) {
            const CSensorParametersInfo* record = m_info->GetSensorInfo(index);
            const int count = record->m_NumOfMeasurements;
            for (int c = 0; record->m_CalibrationKind == 2 && !notLines.contains(index) && c < count; ++c) {
                const auto within = [&](int m, bool plain, int r) {
                    const double v = Formula(index, r, m, plain);
                    return v >= record->m_Measurements[m].m_Min && v <= record->m_Measurements[m].m_Max;
                };
                QList<int> usable;  // raws at which no reading is at a limit
                for (int r = 0; r <= 4095; ++r) {
                    bool inside = within(c, true, r);
                    for (int m = 0; m < count; ++m) inside = inside && within(m, false, r);
                    if (inside) usable << r;
                }
                if (usable.size() < 3) continue;  // a live reading stuck at a limit cannot be calibrated
                CalibrationValues v;
                v.type = 2;
                v.measurement = c;
                v.raw1 = usable.at(usable.size() / 3), v.raw2 = usable.at(usable.size() * 2 / 3);
                v.measured1 = Formula(index, v.raw1, c, true), v.measured2 = Formula(index, v.raw2, c, true);
                const CSensorMeasuremntInfo& unit = record->m_Measurements[c];
                v.real1 = unit.m_Min + 0.8 * (unit.m_Max - unit.m_Min), v.real2 = unit.m_Min + 0.1 * (unit.m_Max - unit.m_Min);
                QVector<double> at1, at2;  // each stored measurement before calibrating
                for (int m = 0; m < count; ++m) at1 << Formula(index, v.raw1, m, false), at2 << Formula(index, v.raw2, m, false);
                m_cal->setCalibrationValues(v, index);
                for (int p = 0; p < 2; ++p) {
                    const QString where = QString("sensor %1 on measurement %2, point %3").arg(index).arg(c).arg(p + 1);
                    const double real = p ? v.real2 : v.real1;
                    QVERIFY2(qAbs(C(index, p ? v.raw2 : v.raw1, 1, c, 0, true) - real) < 1e-5 * (qAbs(real) + 1), qPrintable(where));
                    for (int m = 0; m < count; ++m) {
                        const double expected = at1[m] + (at2[m] - at1[m]) * (real - v.measured1) / (v.measured2 - v.measured1);
                        QVERIFY2(qAbs(C(index, p ? v.raw2 : v.raw1, 1, m) - expected) < 1e-5 * (qAbs(expected) + 1), qPrintable(where));
                    }
                }
                m_cal->RestoreDefaults();
            }
        }
    }

    void calibratedValuesPassTheSensorLimits()
    {
        // Dravlet voltage (±25 V) 0 at raw 3060 (12.397 V), -10 at 2710 (8.109 V); Pelorin
        // pressure (0..400 kPa, ×10 in measurement 1) 1000 at raw 1000, 3000 at 2000. Calibrated
        // values pass the uncalibrated limits, and are cut where the sensor itself is at its end.
        struct Case { double logger; int index, m, raw1, real1, raw2, real2; double raw, beyond, end, limit; };
        const Case cases[] = {{12.0, 1, 0, 3060, 0, 2710, -10, 1000, 0, 2048 - 25 / double(0.01225f), -25},
                              {70.0, 71, 1, 1000, 1000, 2000, 3000, 3800, 4095, 400 / double(0.100908175f) - 34, 4000}};
        for (const Case& k : cases) {
            m_logger->m_Type = k.logger;
            CalibrationValues v;
            v.type = 2;
            v.measurement = k.m;
            v.raw1 = k.raw1, v.real1 = k.real1, v.raw2 = k.raw2, v.real2 = k.real2;
            m_cal->setCalibrationValues(v, k.index);
            const auto line = [&](double raw) { return k.real1 + (raw - k.raw1) * (k.real2 - k.real1) / (k.raw2 - k.raw1); };
            QVERIFY(qAbs(C(k.index, k.raw, 1, k.m) - line(k.raw)) < 1e-6 * qAbs(line(k.raw)));
            QVERIFY(qAbs(C(k.index, k.beyond, 1, k.m) - line(k.end)) < 1e-6 * qAbs(line(k.end)));
            // Uncalibrated, the sensor's limit as before.
            m_cal->RestoreDefaults();
            QCOMPARE(C(k.index, k.beyond, 1, k.m), k.limit);
        }
    }

    void dropVolumeCalibration()
    {
        CalibrationValues three;
        three.type = 3;
        m_cal->setCalibrationValues(three, 33);
        m_cal->GetRecord(33)->factor = 0.05;
        m_logger->m_Type = 70.0;
        C(33, 0, 0, 0);
        C(33, 4, 1, 0);
        QVERIFY(qAbs(C(33, 6, 2, 1) - 0.5) < 1e-12);  // 10 drops x 0.05 mL
        QCOMPARE(C(33, 6, 2, 0), 10.0);               // measurement 0 keeps the count
    }

    void electrodeCalibrationAppliedOnce()
    {
        // A two-point ammonium calibration: 10 ppm at raw 2000, 100 ppm at raw 2400.
        m_setup->m_ISEId[0] = 5000;
        CalibrationValues v;
        v.type = 2;
        v.real1 = 1.0;
        v.measured1 = 10.0;
        v.raw1 = 2000;
        v.real2 = 2.0;
        v.measured2 = 100.0;
        v.raw2 = 2400;
        v.iseId = 5000;
        m_cal->setCalibrationValues(v, 130);
        // The fit lives in the concentration formula (slope k1 x 400 mV per decade); the
        // generic two-point rescale must not be applied on top of it.
        const double k1 = 0.147923372;
        const double slope = k1 * 400;
        const double offset = k1 * 2000 - slope;
        const double expected = std::pow(10.0, (k1 * 2200 - 302.873 - offset) / slope);
        QVERIFY(qAbs(C(130, 2200) - expected) < 1e-9 * expected);
    }

    void clampThenZero()
    {
        CMeasurementSetup* setup = AddSensor(1, 1);
        // 0.01225 x 4000 = 49 V is clamped to the catalogue's 25 V ...
        QCOMPARE(C(1, 6048), 25.0);
        // ... and the zero comes after the clamp, so a zeroed value may leave the range.
        setup->m_bZero = true;
        setup->m_ZeroLevel = 30.0;
        QCOMPARE(C(1, 6048), -5.0);
        QVERIFY(qAbs(C(1, 3048) - (12.25 - 30.0)) < 1e-5);
        // Index 4 does not allow zeroing: the switch is ignored.
        m_setup->m_SelectedSensorList.clear();
        m_sensors.clear();
        CMeasurementSetup* four = AddSensor(4, 1);
        four->m_bZero = true;
        four->m_ZeroLevel = 1.0;
        QVERIFY(qAbs(C(4, 2148) - 0.0024375) < 1e-8);
        // A position beyond the setup's list skips the zero step.
        short flag = 0;
        QCOMPARE(m_conv->ConvertDataSample(m_logger.get(), 0, 5, 1, 6048, 1, flag, 0, true, false), 25.0);
    }

    void markersPassUnchanged()
    {
        CMeasurementSetup* setup = AddSensor(36, 3);
        setup->m_bZero = true;
        setup->m_ZeroLevel = 3.0;
        CalibrationValues one;
        one.type = 1;
        one.real1 = 5;
        one.measured1 = 0;
        m_cal->setCalibrationValues(one, 36);
        // The pulley's acceleration has no value before sample 2 whatever the calibration,
        // limits (0..12) and zero.
        QCOMPARE(C(36, 100, 1, 2), s_NoSample);
        // A formula without a result stays missing: not clamped into range.
        m_setup->m_ISEId[0] = 0;
        QCOMPARE(C(130, 2048), s_Missing);
    }

    void impossibleReadingIsMissing()
    {
        // A thermistor read beyond full scale has no logarithm: stored as a gap, never NaN.
        QCOMPARE(C(15, 5000), s_Missing);
        // An infinite value is still clamped where the catalogue clamps (pulse timer,
        // compensated chemistry at raw 0 -> clamped to the top of the range).
        QCOMPARE(C(136, 0, 0), 80.0);
    }

    void filterRestartsAtSampleZero()
    {
        // Index 72 filters at 5 Hz; with 0.01 s samples (100 Hz) the filter is on.
        m_conv->SetSamplePeriod(0.01);
        const double first = C(72, 2000, 0);
        short flag = 0;
        int zero = 0;
        const double unfiltered = m_conv->ConvertDefaultSample(m_logger.get(), 0, 0, 72, 2000, 0, flag, 0, true, false, zero);
        QCOMPARE(first, unfiltered);
        // A step is smoothed: the next value lies between the two readings' temperatures.
        const double next = C(72, 3000, 1);
        const double stepped = m_conv->ConvertDefaultSample(m_logger.get(), 0, 0, 72, 3000, 1, flag, 0, true, false, zero);
        QVERIFY(next != stepped);
        QVERIFY((next - first) * (stepped - first) > 0.0);
    }

    void butterworthFilter()
    {
        CButterWorthFilter f;
        f.initButterWorthFilter(10.0, 15.0);  // above half the sampling frequency
        QVERIFY(!f.IsEnabled());
        f.initButterWorthFilter(-1.0, 100.0);
        QVERIFY(!f.IsEnabled());
        f.initButterWorthFilter(0.0, 100.0);  // cutoff 0 holds the first value
        QVERIFY(f.IsEnabled());
        QCOMPARE(f.filter(5.0), 5.0);
        QCOMPARE(f.filter(100.0), 5.0);
        f.initButterWorthFilter(5.0, 100.0);
        QCOMPARE(f.filter(1.0), 1.0);
        double y = 0;
        for (int i = 0; i < 400; ++i) y = f.filter(2.0);
        QVERIFY(qAbs(y - 2.0) < 1e-6);  // unity gain at DC
        for (int i = 0; i < 400; ++i) f.filter(i % 2 ? 1.0 : -1.0);  // let the step from 2 settle
        double peak = 0;
        for (int i = 0; i < 100; ++i) peak = std::max(peak, std::abs(f.filter(i % 2 ? 1.0 : -1.0)));
        QVERIFY(peak < 0.05);  // the Nyquist tone is stopped
    }

    void windSpeedFirstSecond()
    {
        CSensor_WindSpeed w;
        // 10 samples per second: zero until the window has been filled once.
        for (long s = 0; s < 10; ++s) QCOMPARE(w.calcWindSpeed(1.0, s, 0, 10.0), 0.0);
        const double v = w.calcWindSpeed(1.0, 10, 0, 10.0);
        QVERIFY(qAbs(v - 1.0058 * 10) < 1e-4);
        QVERIFY(qAbs(w.calcWindSpeed(1.0, 10, 1, 10.0) - v * 5.003778457641602) < 1e-3);  // repeated sample
        QCOMPARE(w.calcWindSpeed(1.0, 10, 7, 10.0), 0.0);
        // Period above half a second: no window, the reading is used at once.
        CSensor_WindSpeed slow;
        QVERIFY(qAbs(slow.calcWindSpeed(2.0, 0, 0, 1.0) - 2.0 * 1.0058) < 1e-5);
        QCOMPARE(slow.calcWindSpeed(0.005, 1, 0, 1.0), 0.0);  // below the 0.01 floor
    }

    void heartRateBeats()
    {
        CPelorinHeartRateCalc h;
        // A 1 Hz pulse of amplitude 1000 sampled at 100 Hz: 60 beats per minute once four
        // beats have been seen; before that the rate is 0.
        int rate = 0;
        int firstRateAt = -1;
        for (int i = 0; i < 1500; ++i) {
            const double r = (i % 100) < 10 ? 1000.0 : 0.0;
            rate = h.CalcNewVersion(r, 0.01);
            if (rate != 0 && firstRateAt < 0) firstRateAt = i;
        }
        QVERIFY(firstRateAt > 400 && firstRateAt < 420);  // the 4th beat (the first pulse only arms)
        QVERIFY(rate >= 59 && rate <= 60);
        // A gap of more than 3 s restarts the count.
        for (int i = 0; i < 500; ++i) rate = h.CalcNewVersion(0.0, 0.01);
        QCOMPARE(rate, 0);
    }

    void soundLevelWindow()
    {
        // 1 ms samples: an eighth of a second is 125 values; silence gives -inf -> clamp 45.
        m_conv->SetSamplePeriod(0.001);
        for (long s = 0; s <= 125; ++s) QCOMPARE(C(83, 2048, s), 45.0);
        // Not running: 0 (clamped to the range's 45).
        m_logger->m_bRunning = false;
        QCOMPARE(C(83, 4095, 126), 45.0);
        m_logger->m_bRunning = true;
        // A tone of ±1 V around the mean after the silent frame: the sum of squares grows by
        // one square (1 V²) per new value; after 125 values 10 log10(1) + 94 - 15 = 79 dB.
        double v = 0;
        for (long s = 126; s < 251; ++s) v = C(83, (s % 2) ? 2048 + 1365 : 2048 - 1365, s);
        QVERIFY(qAbs(v - 79.0) < 0.05);
    }

    void trueRmsOnlyWhenNeeded()
    {
        // 1 ms samples: window 300 values. A constant 1 V gives 1 V RMS once the window runs.
        m_conv->SetSamplePeriod(0.001);
        m_setup->m_CalibrationPairs[0].m_A = 1.0f;
        // (b + r - 2047.5) / 0.04704 x a x 0.00073260 = 1 -> r = 2047.5 + 64.2096
        const double raw = 2047.5 + 0.04704 / 0.0007326007326007326;
        double v = 0;
        for (long s = 0; s <= 300; ++s) QCOMPARE(C(121, raw, s, 1), 0.0);
        v = C(121, raw, 301, 1);
        QVERIFY(qAbs(v - 1.0) < 1e-5);
        QVERIFY(qAbs(C(121, raw, 302, 0) - 1.0) < 1e-5);
    }

    void rotaryTurnsAndMarkers()
    {
        // Index 48 at 10 ms; raw jumps from near full scale to near 0 = one turn up.
        m_conv->SetSamplePeriod(0.01);
        QCOMPARE(C(48, 4000, 0, 0), 0.0);
        QCOMPARE(C(48, 4000, 0, 4), s_NoSample);
        for (long s = 1; s < 40; ++s) QCOMPARE(C(48, 4000, s, 6), s_NoSample);
        QVERIFY(std::isfinite(C(48, 4000, 40, 5)));
        CRotaryState st;
        SignalProcessing::CalcRotary(st, 7, 4000, 0.06525, 2048, 0, 0.01, 0.025, 4096);
        SignalProcessing::CalcRotary(st, 7, 4000, 0.06525, 2048, 1, 0.01, 0.025, 4096);
        SignalProcessing::CalcRotary(st, 7, 100, 0.06525, 2048, 2, 0.01, 0.025, 4096);
        QCOMPARE(st.m_Turns, 1);
        // position = 0.06525 x 100 - 0.06525 x 2048 + 256 - start (0.06525 x 4000 - ...)
        const double expected = 0.06525f * 100.0 + 256.0 - 0.06525f * 4000.0;
        QVERIFY(qAbs(st.m_Position - expected) < 1e-3);
    }

    void rotaryAdvancesOncePerSample()
    {
        // The angle must not depend on how many of the sensor's measurements are converted.
        CRotaryState one;
        CRotaryState two;
        for (long s = 0; s < 30; ++s) {
            const double raw = 2048 + 20.0 * s;
            const double a = SignalProcessing::CalcRotary(one, 0, raw, 0.06525, 2048, s, 0.01, 0.025, 4096);
            const double b = SignalProcessing::CalcRotary(two, 0, raw, 0.06525, 2048, s, 0.01, 0.025, 4096);
            SignalProcessing::CalcRotary(two, 3, raw, 0.06525, 2048, s, 0.01, 0.025, 4096);
            QCOMPARE(a, b);
        }
        QVERIFY(one.m_Angle > 0.0);
    }

    void rotaryOnAnyChannel()
    {
        m_conv->SetSamplePeriod(0.01);
        // Channels 8 and above have their own state too.
        QCOMPARE(C(127, 2048, 0, 0, 12), 0.0);
        QVERIFY(std::isfinite(C(127, 3000, 1, 0, 12)));
    }
};

KORVANTA_TEST_MAIN(TestConversionPipeline)
#include "tst_conversion_pipeline.moc"

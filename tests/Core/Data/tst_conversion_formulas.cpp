// Per-sensor formulas on worked raw values. Constants are those of the catalogue; each
// expected value was worked out by hand (calculator) from the formula of the sensor type.
#include "common/TestMain.h"
#include <cmath>
#include <memory>

#include "Core/Data/ConversionFormulas.h"
#include "Core/Data/DataConversion.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SensorsCalibration.h"
#include "Core/Data/SetupInfo.h"
#include "common/FakeLogger.h"

using ConversionMarkers::s_Missing;
using ConversionMarkers::s_NoSample;

class TestConversionFormulas : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CSensorInfo> m_info;
    std::unique_ptr<CSensorsCalibration> m_cal;
    std::unique_ptr<CDataConversion> m_conv;
    CSetupInfo m_setup;
    std::unique_ptr<CFakeLogger> m_logger;

    // Formula step alone, sample s, measurement m.
    double F(int index, double raw, long s = 1, int m = 0, bool plain = false, int channel = 0, bool last = true)
    {
        short flag = 0;
        int zero = 0;
        return m_conv->ConvertDefaultSample(m_logger.get(), channel, channel, index, raw, s, flag, static_cast<short>(m),
                                            last, plain, zero);
    }

private slots:
    void init()
    {
        m_info.reset(new CSensorInfo);
        m_info->LoadSensorInfo();
        m_cal.reset(new CSensorsCalibration(m_info.get()));
        m_conv.reset(new CDataConversion);
        m_conv->SetSensorInfo(m_info.get());
        m_conv->SetCalibration(m_cal.get());
        m_conv->SetSetupInfo(&m_setup);
        m_conv->SetSamplePeriod(0.1);
        m_logger = CFakeLogger::Running();
        for (SetupCalibrationPair& pair : m_setup.m_CalibrationPairs) pair = SetupCalibrationPair();
        for (int& id : m_setup.m_ISEId) id = 0;
    }

    void catalogueConstantsUsed()
    {
        // The worked values below rely on these catalogue entries.
        QCOMPARE(m_info->m_Sensors[1].m_Gain, 0.01225f);
        QCOMPARE(m_info->m_Sensors[1].m_Zero, 2048);
        QCOMPARE(m_info->m_Sensors[13].m_Gain, 0.005125f);
        QCOMPARE(m_info->m_Sensors[13].m_Zero, 682);
        QCOMPARE(m_info->m_Sensors[23].m_Gain, 0.27174f);
        QCOMPARE(m_info->m_Sensors[36].m_Gain, 0.0396f);
        QCOMPARE(m_info->m_Sensors[4].m_Gain, 0.024375f);
    }

    void linearFamily()
    {
        // 0.01225 x (3048 - 2048) = 12.25 V
        QVERIFY(qAbs(F(1, 3048) - 12.25) < 1e-5);
        QVERIFY(qAbs(F(1, 2048)) < 1e-6);
        // index 4: 0.024375 x 100 / 1000
        QVERIFY(qAbs(F(4, 2148) - 0.0024375) < 1e-8);
        // pH: 0.005125 x 1000 = 5.125; Fahrenheit 5.125 x 1.8 + 32 = 41.225
        QVERIFY(qAbs(F(13, 1682) - 5.125) < 1e-5);
        QVERIFY(qAbs(F(13, 1682, 1, 1) - 41.225) < 1e-4);
        // Temperature 14: 0.04 x (1624 - 624) = 40 °C, 104 °F; 17: 0.069375 x 1440 = 99.9 °C, 211.82 °F
        QVERIFY(qAbs(F(14, 1624) - 40.0) < 1e-4 && qAbs(F(14, 1624, 1, 1) - 104.0) < 1e-4);
        QVERIFY(qAbs(F(17, 1700) - 99.9) < 1e-4 && qAbs(F(17, 1700, 1, 1) - 211.82) < 1e-4);
    }

    void outOfCatalogueGivesZeroAndEmptyPassesRaw()
    {
        QCOMPARE(F(0, 1234), 0.0);
        QCOMPARE(F(149, 1234), 0.0);
        QCOMPARE(F(-3, 1234), 0.0);
        QCOMPARE(F(80, 1234.5), 1234.5);
        QCOMPARE(F(122, 7.0), 7.0);
    }

    void measurementVariants()
    {
        // Light 5: m1 = L / 0.683 unless plain; 0.03375 x 683 = 23.05125 -> 33.75
        QVERIFY(qAbs(F(5, 683, 1, 1) - 33.75) < 1e-4);
        QVERIFY(qAbs(F(5, 683, 1, 1, true) - 23.05125) < 1e-4);
        // Acceleration 8: 100 x 108 / 28 / 10 / 100 = 0.385714 g; x 9.81 = 3.783857
        QVERIFY(qAbs(F(8, 2148) - 0.3857142857) < 1e-9);
        QVERIFY(qAbs(F(8, 2148, 1, 1) - 3.7838571429) < 1e-9);
        // Pressure 23: 0.27174 x 100 + 106 = 133.174 mbar-ish; /1013.25 atm; /10 kPa
        QVERIFY(qAbs(F(23, 100) - 133.174) < 1e-4);
        QVERIFY(qAbs(F(23, 100, 1, 1) - 0.13143252) < 1e-7);
        QVERIFY(qAbs(F(23, 100, 1, 2) - 13.3174) < 1e-5);
        QVERIFY(qAbs(F(23, 100, 1, 1, true) - 133.174) < 1e-4);
        // Force 38: pull positive is the negated line
        QVERIFY(qAbs(F(38, 3048) + 5.95) < 1e-5);
        QVERIFY(qAbs(F(38, 3048, 1, 1) - 5.95) < 1e-5);
        // Oxygen 28: r x 0.06125
        QCOMPARE(F(28, 400), 24.5);
        // Microphone 89: 2048 x 0.00048828125 x 1.5 - 1.5 = 0
        QCOMPARE(F(89, 2048), 0.0);
        // Photogate 111: blocked when r / 2048 truncates above 0
        QCOMPARE(F(111, 2047), 0.0);
        QCOMPARE(F(111, 2048), 3.0);
        // Flow 22 divides by the period 0.1 s: 0.00725 x 100 / 0.1 = 7.25
        QVERIFY(qAbs(F(22, 100) - 7.25) < 1e-5);
    }

    void temperatureCurves()
    {
        // Thermistor A at mid-scale: R ratio 0.47 -> 3977 / (ln 0.47 + 13.33892336) - 273.15
        QVERIFY(qAbs(F(15, 2047.5) - 42.8887284) < 1e-6);
        QVERIFY(qAbs(F(15, 2047.5, 1, 1) - (42.8887284 * 1.7999999523162842 + 32)) < 1e-5);
        // Platinum below 100 ohm iterates: r 1000 -> q 86.4458 ohm -> -34.5088 degC
        QVERIFY(qAbs(F(18, 1000) + 34.5087810) < 1e-6);
        // Thermocouple 19, x = 1000 / 74.76
        QVERIFY(qAbs(F(19, 1000) - 247.0605621) < 1e-6);
        // High-temperature probe: x = 10 stays on the first polynomial (245.36) ...
        QVERIFY(qAbs(ConversionFormulas::HighTemperature(10.0) - 245.36) < 1e-9);
        // ... x = 3000/66 leaves 0..500 and takes the second one
        QVERIFY(qAbs(F(20, 3000) - 1095.8968379) < 1e-6);
    }

    void spirometerLineAndGap()
    {
        QVERIFY(qAbs(F(31, 1000) - (1000 * 0.102 - 342.85)) < 1e-9);
        QVERIFY(qAbs(F(31, 1000, 1, 1) - (-240.85 / 60)) < 1e-9);
        QCOMPARE(F(31, 1392.5), 0.0);
        QCOMPARE(F(108, 5000), 0.0);
        QVERIFY(qAbs(F(108, 3000) - (3000 * 0.102 - 75.102)) < 1e-9);
    }

    void counterFamily()
    {
        m_logger->m_Type = 70.0;
        // Sample 0 restarts the total without counting; then 2, 3, 5 drops arrive.
        QCOMPARE(F(33, 9, 0, 0), 0.0);
        QCOMPARE(F(33, 2, 1, 0), 2.0);
        QCOMPARE(F(33, 2, 1, 1), 0.4);   // same sample: counted once, x 0.2
        QCOMPARE(F(33, 3, 2, 0), 5.0);
        QCOMPARE(F(33, 5, 3, 2), 0.0);   // base value is 0 on the Pelorin logger
        QCOMPARE(F(109, 0, 0, 0), 0.0);
        QCOMPARE(F(109, 4, 1, 1), 4 * 0.04);
        QCOMPARE(F(47, 0, 0), 0.0);
        QVERIFY(qAbs(F(47, 10, 1) - 2.0) < 1e-12);
    }

    void distanceMotion()
    {
        m_logger->m_Type = 12.0;  // the Dravlet interface reports metres directly
        QCOMPARE(F(25, 1.0, 0, 0, false, 0, false), 1.0);
        QCOMPARE(F(25, 1.0, 0, 1, false, 0, true), 10.0);  // (1 - 0) / 0.1
        QCOMPARE(F(25, 1.5, 1, 0, false, 0, false), 1.5);
        QVERIFY(qAbs(F(25, 1.5, 1, 1, false, 0, false) - 5.0) < 1e-12);
        QVERIFY(qAbs(F(25, 1.5, 1, 2, false, 0, false) + 50.0) < 1e-9);
        QVERIFY(qAbs(F(25, 1.5, 1, 3, false, 0, true) + 5.0) < 1e-12);
        // No echo: the marker comes back and nothing is stored for it.
        QCOMPARE(F(25, s_NoSample, 2, 0), s_NoSample);
        // A live reading reports the distance without moving the run's state.
        QCOMPARE(F(25, 2.25, 0, 0, true), 2.25);
        // On the Pelorin logger index 103 reports centimetres before firmware 14.
        m_logger->m_Type = 70.0;
        m_logger->m_Version[1] = 13;
        QCOMPARE(F(103, 250, 0, 0, true), 2.5);
        m_logger->m_Version[1] = 14;
        QCOMPARE(F(103, 2500, 0, 0, true), 2.5);
    }

    void countedDistance()
    {
        QCOMPARE(F(142, 800.7, 0, 0), 2.0);
        QCOMPARE(F(142, 800.7, 0, 1), 200.0);
        F(142, 1200, 1, 0);
        QVERIFY(qAbs(F(142, 1200, 1, 2) - 10.0) < 1e-9);  // (3 - 2) / 0.1
    }

    void pulleys()
    {
        QCOMPARE(F(36, 0, 5, 0), 0.0);
        QVERIFY(qAbs(F(36, 100, 5, 0) - 0.0396f * 0.20475 / 100) < 1e-12);
        QCOMPARE(F(36, 100, 1, 2), s_NoSample);
        // Pulse timer 110: code 3 (ms), count 20 -> 0.02 s -> 1 m/s
        QCOMPARE(F(110, (3 << 14) | 20, 3, 0), 1.0);
        QCOMPARE(F(110, 0, 3, 0), 0.0);
        QCOMPARE(F(110, 0, 0, 1), 0.0);
        QCOMPARE(F(110, 0, 3, 1), 0.0);  // no time, no distance added
        QCOMPARE(F(110, (3 << 14) | 20, 4, 1), 0.02);
    }

    void co2WarmUp()
    {
        m_setup.m_CalibrationPairs[0].m_B = 200.0f;
        QCOMPARE(F(104, 1500, 0), 0.0);
        QCOMPARE(F(104, 1999, 1), 0.0);
        // Ready: 390 x 10^((200 x 16 + 8 - 2100) x 0.002067)
        QVERIFY(qAbs(F(104, 2100, 2) - 76085.2736636) < 1e-3);
        QCOMPARE(F(104, 4000, 3), 350.0);  // 390 x 10^(-1.637) = 9 ppm is reported as 350
        QVERIFY(F(104, 1500, 4) > 1e6);     // once ready, low raw values are converted too
        QCOMPARE(F(104, 1500, 0), 0.0);    // sample 0 starts a new warm-up
        // A negative offset b stands for 128 - b: b = -72 behaves as 200.
        m_setup.m_CalibrationPairs[0].m_B = -72.0f;
        QVERIFY(qAbs(F(104, 2100, 1) - 76085.2736636) < 1e-3);
    }

    void iseConcentration()
    {
        m_setup.m_ISEId[0] = 5000;  // ammonium
        // 10^((0.147923372 x 2048 - 302.873) / 56)
        QVERIFY(qAbs(F(130, 2048) - 1.0030500515) < 1e-8);
        // No electrode chosen: the generic record has no slope, so there is no concentration.
        m_setup.m_ISEId[0] = 0;
        QCOMPARE(F(130, 2048), s_Missing);
    }

    void compensatedChemistry()
    {
        // Conductivity on channel 0, its temperature on channel 1.
        QVERIFY(qAbs(F(136, 1000, 0, 0, false, 0) - 2.549) < 1e-12);
        // R = (12285 / 4095 - 1) x 10000 = 20000 ohm -> 9.8989327 degC
        QVERIFY(qAbs(F(137, 1365, 0, 0, false, 1) - 9.8989327435) < 1e-8);
        QVERIFY(qAbs(F(136, 1000, 1, 0, false, 0) - 3.6519741431) < 1e-8);
        // A temperature sensor on channel 0 has no partner: it reports and stores nothing.
        QVERIFY(qAbs(F(137, 1365, 1, 0, false, 0) - 9.8989327435) < 1e-8);
        QVERIFY(qAbs(F(136, 1000, 2, 0, false, 0) - 3.6519741431) < 1e-8);
    }

    void dualAxisUsesLoggerZero()
    {
        m_logger->m_ZeroConst = 2000.0;
        short flag = 0;
        int zero = 0;
        m_conv->ConvertDefaultSample(m_logger.get(), 0, 0, 62, 2100, 1, flag, 0, true, false, zero);
        QCOMPARE(zero, 2000);
        // A logger reporting NaN as its zero constant gives zero 0, not undefined behaviour.
        m_logger->m_ZeroConst = std::nan("");
        m_conv->ConvertDefaultSample(m_logger.get(), 0, 0, 62, 2100, 1, flag, 0, true, false, zero);
        QCOMPARE(zero, 0);
    }

    void setupPairsAndBounds()
    {
        // Force 98 with the pair of its channel: a x (0.00595... x (r - b) - z x g).
        const float g = m_info->m_Sensors[98].m_Gain;
        const int z = m_info->m_Sensors[98].m_Zero;
        m_setup.m_CalibrationPairs[1].m_A = 2.0f;
        m_setup.m_CalibrationPairs[1].m_B = 10.0f;
        const double expected = 2.0 * (double(g) * 2990.0 - double(float(z) * g));
        QVERIFY(qAbs(F(98, 3000, 1, 1, false, 1) - expected) < 1e-3);
        // Channel 12 has no pair in the setup: the identity pair (1, 0) is used.
        const double plain = double(g) * 3000.0 - double(float(z) * g);
        QVERIFY(qAbs(F(98, 3000, 1, 1, false, 12) - plain) < 1e-3);
        // CO2 at a position the warm-up table does not have reports nothing.
        short flag = 0;
        int zero = 0;
        QCOMPARE(m_conv->ConvertDefaultSample(m_logger.get(), 0, 40, 104, 2500, 1, flag, 0, true, false, zero), 0.0);
    }

    void platinumCannotHang()
    {
        QVERIFY(std::isnan(ConversionFormulas::Platinum(std::nan(""))));
        // Through the pipeline the reading becomes a gap.
        short flag = 0;
        QCOMPARE(m_conv->ConvertDataSample(m_logger.get(), 0, 0, 18, std::nan(""), 1, flag, 0, true, false), s_Missing);
    }

    void syringeVolumeUsesCalibrationFactor()
    {
        // Index 49: gain 0.0025, zero 124 -> raw 1124 is 2.5; m3 x 10.19784; m4 the volume
        // term with the calibration factor (1.0 by default, 0.02 after the user's choice).
        QCOMPARE(m_info->m_Sensors[49].m_Zero, 124);
        QVERIFY(qAbs(F(49, 1124, 1, 3) - 25.4946) < 1e-4);
        QVERIFY(qAbs(F(49, 1124, 1, 4) - 0.0200234120) < 1e-8);
        m_cal->GetRecord(49)->factor = 0.02;
        QVERIFY(qAbs(F(49, 1124, 1, 4) - 8.0093648e-06) < 1e-11);
        QVERIFY(qAbs(F(49, 1124, 1, 4, true) - 2.5) < 1e-6);
    }

    void channelOutsideStateGivesZero()
    {
        QCOMPARE(F(1, 3048, 1, 0, false, 32), 0.0);
        QCOMPARE(F(1, 3048, 1, 0, false, -1), 0.0);
    }
};

KORVANTA_TEST_MAIN(TestConversionFormulas)
#include "tst_conversion_formulas.moc"

// Catalogue entries 127 to 148: the multi-entry devices, electrode inputs and anemometer.
#include "Core/Data/SensorTables.h"

namespace SensorTables {

namespace {

// clang-format off
const SensorVariantRow kFamily130 = {2, {1792, 1793, 0, 0}, 1, {1792, 0, 0, 0}, {QT_TRANSLATE_NOOP3("CSensorInfo", "ISE0", ""), QT_TRANSLATE_NOOP3("CSensorInfo", "ISE1", ""), {}, {}}};
const SensorVariantRow kFamily132 = {2, {1536, 1537, 0, 0}, 1, {1536, 0, 0, 0}, {QT_TRANSLATE_NOOP3("CSensorInfo", "±250nC", ""), QT_TRANSLATE_NOOP3("CSensorInfo", "±25nC", ""), {}, {}}};
const SensorVariantRow kFamily134 = {0, {0, 0, 0, 0}, 2, {768, 928, 0, 0}, {{}, {}, {}, {}}};
const SensorVariantRow kFamily136 = {0, {0, 0, 0, 0}, 2, {512, 672, 0, 0}, {{}, {}, {}, {}}};
const SensorVariantRow kFamily139 = {0, {0, 0, 0, 0}, 3, {1024, 1184, 1200, 0}, {{}, {}, {}, {}}};
const SensorVariantRow kFamily142 = {0, {0, 0, 0, 0}, 1, {1280, 0, 0, 0}, {{}, {}, {}, {}}};
const SensorVariantRow kFamily143 = {0, {0, 0, 0, 0}, 2, {2304, 2464, 0, 0}, {{}, {}, {}, {}}};
const SensorVariantRow kFamily145 = {0, {0, 0, 0, 0}, 2, {2048, 2208, 0, 0}, {{}, {}, {}, {}}};

// index, name, id, class, fastest/slowest rate, measurements, data kind, input option, input flag,
// logger calibration, id windows, gain, zero, calibration, zero allowed, icon,
// [trigger allowed, filter cut-off, secondary id, ISE flag, hidden, range family]
const SensorEntryRow kEntries[] = {
    {127, G(QT_TRANSLATE_NOOP3("QObject", "Rotary", "Sensors List")), 82, 3, 15, 12, 7, 0, 0, false, false, {0, 0, 0, 0}, 0.06525f, 2048, 4, false, ":/images/Sensors/Rotary-Motion.png", false},
    {128, G(QT_TRANSLATE_NOOP3("QObject", "Exercise Heart Rate", "Sensors List")), 83, 3, 15, 8, 1, 0, 0, false, false, {0, 0, 0, 0}, 0.0f, 0, 0, false, ":/images/Sensors/Heart-Rate.png"},
    {129, G(QT_TRANSLATE_NOOP3("QObject", "Exercise Heart Rate", "Sensors List")), 21, 3, 15, 8, 1, 1, 0, false, false, {0, 0, 0, 0}, 0.0f, 0, 0, false, ":/images/Sensors/Heart-Rate.png"},
    {130, G(QT_TRANSLATE_NOOP3("QObject", "ISE Amplifier", "Sensors List")), 1792, 7, 15, 1, 1, 4, 0, false, false, {0, 0, 0, 0}, 1.0f, 2048, 2, false, ":/images/Sensors/Chloride.png", false, 10, -1, true, false, &kFamily130},
    {131, G(QT_TRANSLATE_NOOP3("QObject", "ISE Amplifier", "Sensors List")), 1793, 7, 15, 1, 1, 4, 0, false, false, {0, 0, 0, 0}, 1.0f, 2048, 2, false, ":/images/Sensors/Chloride.png", false, 10, -1, true, false, &kFamily130},
    {132, G(QT_TRANSLATE_NOOP3("QObject", "Electrostatic Charge", "Sensors List")), 1536, 7, 15, 1, 1, 4, 0, false, false, {0, 0, 0, 0}, 0.1222f, 2048, 0, true, ":/images/Sensors/Electrostatic-Charge.png", false, 10, -1, false, false, &kFamily132},
    {133, G(QT_TRANSLATE_NOOP3("QObject", "Electrostatic Charge", "Sensors List")), 1537, 7, 15, 1, 1, 4, 0, false, false, {0, 0, 0, 0}, 0.013064f, 2048, 0, true, ":/images/Sensors/Electrostatic-Charge.png", false, -1, -1, false, false, &kFamily132},
    {134, G(QT_TRANSLATE_NOOP3("QObject", "Dissolved Oxygen", "Sensors List")), 768, 7, 15, 1, 1, 4, 0, false, false, {0, 0, 0, 0}, 1.0f, 0, 2, true, ":/images/Sensors/Oxygen.png", false, 10, -1, false, false, &kFamily134},
    {135, G(QT_TRANSLATE_NOOP3("QObject", "Dissolved Oxygen Temperature", "Sensors List")), 928, 7, 15, 1, 1, 4, 0, false, false, {0, 0, 0, 0}, 1.0f, 0, 0, false, ":/images/Sensors/Temperature.png", false, 5, -1, false, true, &kFamily134},
    {136, G(QT_TRANSLATE_NOOP3("QObject", "Conductivity ", "Sensors List")), 512, 7, 15, 1, 1, 4, 0, false, false, {0, 0, 0, 0}, 1.0f, 0, 2, true, ":/images/Sensors/Conductivity.png", false, 6, -1, false, false, &kFamily136},
    {137, G(QT_TRANSLATE_NOOP3("QObject", "Conductivity Temperature", "Sensors List")), 672, 7, 15, 1, 1, 4, 0, false, false, {0, 0, 0, 0}, 1.0f, 0, 0, false, ":/images/Sensors/Temperature.png", false, 5, -1, false, true, &kFamily136},
    {138, G(QT_TRANSLATE_NOOP3("QObject", "EKG", "Sensors List")), 36, 7, 15, 9, 1, 0, 0, false, false, {0, 0, 0, 0}, 0.00073260075f, 0, 0, true, ":/images/Sensors/EKG.png", false, 20},
    {139, G(QT_TRANSLATE_NOOP3("QObject", "Accelerometer X axis ", "Sensors List")), 1024, 7, 15, 1, 1, 4, 0, false, false, {0, 0, 0, 0}, -0.002930403f, 2048, 0, true, ":/images/Sensors/Acceleration.png", false, -1, -1, false, false, &kFamily139},
    {140, G(QT_TRANSLATE_NOOP3("QObject", "Accelerometer Y axis ", "Sensors List")), 1184, 7, 15, 1, 1, 4, 0, false, false, {0, 0, 0, 0}, -0.002930403f, 2048, 0, true, ":/images/Sensors/Acceleration.png", false, -1, -1, false, false, &kFamily139},
    {141, G(QT_TRANSLATE_NOOP3("QObject", "Accelerometer Z axis ", "Sensors List")), 1200, 7, 15, 1, 1, 4, 0, false, false, {0, 0, 0, 0}, 0.002930403f, 2048, 0, true, ":/images/Sensors/Acceleration.png", false, -1, -1, false, false, &kFamily139},
    {142, G(QT_TRANSLATE_NOOP3("QObject", "Distance", "Sensors List")), 1280, 7, 15, 1, 4, 4, 0, false, false, {0, 0, 0, 0}, 0.0025f, 0, 0, true, ":/images/Sensors/Distance.png", false, 20, -1, false, false, &kFamily142},
    {143, G(QT_TRANSLATE_NOOP3("QObject", "Humidity", "Sensors List")), 2304, 7, 15, 1, 1, 4, 0, false, false, {0, 0, 0, 0}, 0.030517578f, 197, 2, true, ":/images/Sensors/Humidity.png", false, 5, -1, false, false, &kFamily143},
    {144, G(QT_TRANSLATE_NOOP3("QObject", "Temperature", "Sensors List")), 2464, 7, 15, 1, 1, 4, 0, false, false, {0, 0, 0, 0}, 0.04290039f, 1092, 0, false, ":/images/Sensors/Temperature.png", false, 5, -1, false, false, &kFamily143},
    {145, G(QT_TRANSLATE_NOOP3("QObject", "Salinity ", "Sensors List")), 2048, 7, 15, 1, 1, 4, 0, false, false, {0, 0, 0, 0}, 1.0f, 0, 2, true, ":/images/Sensors/salinity.png", false, 6, -1, false, false, &kFamily145},
    {146, G(QT_TRANSLATE_NOOP3("QObject", "Salinity Temperature", "Sensors List")), 2208, 7, 15, 1, 1, 4, 0, false, false, {0, 0, 0, 0}, 1.0f, 0, 0, false, ":/images/Sensors/Temperature.png", false, 5, -1, false, true, &kFamily145},
    {147, G(QT_TRANSLATE_NOOP3("QObject", "Anemometer", "Sensors List")), 43, 5, 15, 1, 3, 2, 0, false, false, {0, 0, 0, 0}, 1.1538461f, 0, 0, false, ":/images/Sensors/Anemometer.png"},
    {148, G(QT_TRANSLATE_NOOP3("QObject", "Anemometer", "Sensors List")), 44, 5, 15, 1, 1, 0, 0, false, false, {0, 0, 0, 0}, 0.08791f, 0, 1, true, ":/images/Sensors/Anemometer.png"},
};

// index, slot, name, unit, prefix, range text, min, max, [clamp max, clamp min, fastest, slowest,
// default active]
const SensorSlotRow kMeasurements[] = {
    {127, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Angle", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "deg", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0-360°", "Sensors List"), 0, 360},
    {127, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Angle", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "rad", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "", "Sensors List"), 0, 6.28},
    {127, 2, QT_TRANSLATE_NOOP3("CSensorInfo", "Distance", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "", "Sensors List"), -1000, 1000},
    {127, 3, QT_TRANSLATE_NOOP3("CSensorInfo", "Angular velocity", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "rad/s", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±6rad/s", "Sensors List"), -1000, 1000},
    {127, 4, QT_TRANSLATE_NOOP3("CSensorInfo", "Angular acceleration", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "rad/s²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±3rad/s²", "Sensors List"), -1000, 1000},
    {127, 5, QT_TRANSLATE_NOOP3("CSensorInfo", "Velocity", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±6m/s", "Sensors List"), -10, 10},
    {127, 6, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±3m/s²", "Sensors List"), -10, 10},
    {127, 7, {}, QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±2.5V", "Sensors List"), -3, 3},
    {128, 0, G(QT_TRANSLATE_NOOP3("QObject", "Exercise Heart Rate", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "bpm", "Sensors List")), 0, 250},
    {129, 0, G(QT_TRANSLATE_NOOP3("QObject", "Exercise Heart Rate", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "bpm", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "", "Sensors List")), 0, 250},
    {130, 0, G(QT_TRANSLATE_NOOP3("QObject", "ISE Amplifier", "ensors List")), G(QT_TRANSLATE_NOOP3("QObject", "ppm", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "", "sensors List")), 0, 1000000},
    {131, 0, G(QT_TRANSLATE_NOOP3("QObject", "ISE Amplifier", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "ppm", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "", "sensors List")), 0, 1000000},
    {132, 0, G(QT_TRANSLATE_NOOP3("QObject", "Electrostatic Charge", "ensors List")), G(QT_TRANSLATE_NOOP3("QObject", "nC", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "", "sensors List")), -250, 250},
    {133, 0, G(QT_TRANSLATE_NOOP3("QObject", "Electrostatic Charge", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "nC", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "", "sensors List")), -25, 25},
    {134, 0, G(QT_TRANSLATE_NOOP3("QObject", "Dissolved Oxygen", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "mg/L", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "0 - 14mg/L", "sensors List")), 0, 14},
    {135, 0, G(QT_TRANSLATE_NOOP3("QObject", "Dissolved Oxygen Temperature", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "°C", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "-40 - 140°C", "sensors List")), -40, 140},
    {136, 0, G(QT_TRANSLATE_NOOP3("QObject", "Conductivity", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "mS", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "0.05 - 80mS", "sensors List")), 0.05, 80},
    {137, 0, G(QT_TRANSLATE_NOOP3("QObject", "Conductivity Temperature", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "°C", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "-40 - 140°C", "sensors List")), -40, 140},
    {138, 0, G(QT_TRANSLATE_NOOP3("QObject", "EKG", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "V", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "0 - 3V", "sensors List")), 0, 3},
    {139, 0, G(QT_TRANSLATE_NOOP3("QObject", "Accelerometer X axis", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "g", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "-6 - 6g", "sensors List")), -6, 6},
    {140, 0, G(QT_TRANSLATE_NOOP3("QObject", "Accelerometer Y axis", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "g", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "-6 - 6g", "sensors List")), -6, 6},
    {141, 0, G(QT_TRANSLATE_NOOP3("QObject", "Accelerometer Z axis", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "g", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "-6 - 6g", "sensors List")), -6, 6},
    {142, 0, G(QT_TRANSLATE_NOOP3("QObject", "Distance m", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "m", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "0.2 - 10m", "sensors List")), 0.2, 10},
    {142, 1, G(QT_TRANSLATE_NOOP3("QObject", "Distance cm", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "cm", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "20 - 1000cm", "sensors List")), 20, 1000},
    {142, 2, G(QT_TRANSLATE_NOOP3("QObject", "Velocity", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "m/s", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "-15 - 15m/s", "sensors List")), -15, 15},
    {142, 3, G(QT_TRANSLATE_NOOP3("QObject", "Acceleration", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "m/s²", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "-24 - 24m/s²", "sensors List")), -24, 24},
    {143, 0, G(QT_TRANSLATE_NOOP3("QObject", "Humidity", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "%", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "0 - 100%", "sensors List")), 0, 100},
    {144, 0, G(QT_TRANSLATE_NOOP3("QObject", "Temperature", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "°C", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "-40 - 125°C", "sensors List")), -40, 125},
    {145, 0, G(QT_TRANSLATE_NOOP3("QObject", "Salinity", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "ppm", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "24 - 52000ppm", "sensors List")), 24, 52000},
    {146, 0, G(QT_TRANSLATE_NOOP3("QObject", "Salinity Temperature", "sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "°C", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "-40 - 140°C", "sensors List")), -40, 140},
    {147, 0, G(QT_TRANSLATE_NOOP3("QObject", "Wind speed", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "kph", "Sensors List")), 1, G(QT_TRANSLATE_NOOP3("QObject", "Speed 4 - 280km/h", "Sensors List")), 0, 322},
    {147, 1, G(QT_TRANSLATE_NOOP3("QObject", "Wind speed", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "mph", "Sensors List")), 1, G(QT_TRANSLATE_NOOP3("QObject", "Speed 4 - 280km/h", "Sensors List")), 0, 200},
    {147, 2, G(QT_TRANSLATE_NOOP3("QObject", "Wind speed", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "knots", "Sensors List")), 1, G(QT_TRANSLATE_NOOP3("QObject", "Speed 4 - 280km/h", "Sensors List")), 0, 173},
    {148, 0, G(QT_TRANSLATE_NOOP3("QObject", "Wind direction", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "deg", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "Direction 0 - 360°", "Sensors List")), 0, 360},
};

// clang-format on

} // namespace

SensorTableBlock block127to148()
{
    return {kEntries, int(sizeof(kEntries) / sizeof(kEntries[0])), kMeasurements,
            int(sizeof(kMeasurements) / sizeof(kMeasurements[0]))};
}

} // namespace SensorTables

// Catalogue entries 38 to 84: the rest of the first part and the start of the second.
#include "Core/Data/SensorTables.h"

namespace SensorTables {

namespace {

// clang-format off
const SensorVariantRow kFamily74 = {3, {4, 5, 6, 0}, 0, {0, 0, 0, 0}, {QT_TRANSLATE_NOOP3("CSensorInfo", "0-150klx", "Light Sensor range"), QT_TRANSLATE_NOOP3("CSensorInfo", "0-6000lx", "Light Sensor range"), QT_TRANSLATE_NOOP3("CSensorInfo", "0-600lx", "Light Sensor range"), {}}};
const SensorVariantRow kFamily77 = {2, {7, 8, 0, 0}, 0, {0, 0, 0, 0}, {QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 10[W/m²]", "UVA Sensor range"), QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 200[W/m²]", "UVA Sensor range"), {}, {}}};
const SensorVariantRow kFamily83 = {2, {60, 59, 0, 0}, 0, {0, 0, 0, 0}, {QT_TRANSLATE_NOOP3("CSensorInfo", "65-110dB", "Sound range"), QT_TRANSLATE_NOOP3("CSensorInfo", "45-80dB", "Sound range"), {}, {}}};
const SensorVariantRow kFamily84 = {3, {63, 64, 65, 0}, 0, {0, 0, 0, 0}, {QT_TRANSLATE_NOOP3("CSensorInfo", "0-150klx", "Light Sensor range"), QT_TRANSLATE_NOOP3("CSensorInfo", "0-6000lx", "Light Sensor range"), QT_TRANSLATE_NOOP3("CSensorInfo", "0-600lx", "Light Sensor range"), {}}};

// index, name, id, class, fastest/slowest rate, measurements, data kind, input option, input flag,
// logger calibration, id windows, gain, zero, calibration, zero allowed, icon,
// [trigger allowed, filter cut-off, secondary id, ISE flag, hidden, range family]
const SensorEntryRow kEntries[] = {
    {38, QT_TRANSLATE_NOOP3("CSensorInfo", "Force", "Sensors List"), 218, 8, 15, 1, 2, 4096, 0, true, false, {2374, 2434, 2367, 2438}, 0.00595f, 2048, 2, true, ":/images/Sensors/Force.png", true, -1, -10030},
    {39, QT_TRANSLATE_NOOP3("CSensorInfo", "Magnetic field", "Sensors List"), 219, 7, 15, 1, 2, 4096, 0, false, true, {2442, 2500, 2439, 2508}, 0.0049f, 2041, 2, false, ":/images/Sensors/Magnetic-Field.png", true, -1, -10031},
    {40, QT_TRANSLATE_NOOP3("CSensorInfo", "Humidity 2%", "Sensors List"), 220, 5, 15, 1, 1, 4096, 0, true, false, {2502, 2504, 2918, 2918}, 0.12115385f, 0, 2, false, ":/images/Sensors/Humidity.png"},
    {41, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), 221, 5, 15, 1, 3, 4096, 0, true, false, {2556, 2613, 2548, 2618}, 0.17857143f, 208, 2, true, ":/images/Sensors/Pressure.png", true, -1, -10032},
    {42, QT_TRANSLATE_NOOP3("CSensorInfo", "Force", "Sensors List"), 222, 8, 15, 1, 2, 4096, 0, true, true, {2626, 2682, 2619, 2688}, 0.029583333f, 2048, 2, true, ":/images/Sensors/Force.png", true, -1, -10033},
    {43, QT_TRANSLATE_NOOP3("CSensorInfo", "Magnetic field", "Sensors List"), 223, 7, 15, 1, 2, 4096, 0, false, true, {2694, 2749, 2689, 2752}, 0.000097656f, 2575, 2, false, ":/images/Sensors/Magnetic-Field.png", true, -1, -10034},
    {44, QT_TRANSLATE_NOOP3("CSensorInfo", "Light", "Sensors List"), 224, 6, 15, 1, 2, 4096, 0, true, false, {2756, 2810, 2753, 2813}, 0.073529415f, 0, 2, false, ":/images/Sensors/Light.png"},
    {45, QT_TRANSLATE_NOOP3("CSensorInfo", "Oxygen DO2", "Sensors List"), 225, 6, 15, 1, 1, 4096, 0, false, false, {2821, 2873, 2814, 2881}, 0.003125f, 0, 2, false, ":/images/Sensors/Oxygen.png"},
    {46, QT_TRANSLATE_NOOP3("CSensorInfo", "Oxygen O2", "Sensors List"), 226, 6, 15, 1, 1, 4096, 0, false, false, {2874, 2876, 2912, 2912}, 0.007575758f, 0, 2, false, ":/images/Sensors/Oxygen.png", true, -1, -10035},
    {47, QT_TRANSLATE_NOOP3("CSensorInfo", "Rain", "Sensors List"), 0, 5, 15, 1, 1, 12288, 0, false, false, {19, 20, 0, 0}, 0.2f, 0, 0, false, ":/images/Sensors/Rain-Collector.png", true, -1, -10060},
    {48, QT_TRANSLATE_NOOP3("CSensorInfo", "Rotary motion", "Sensors List"), 228, 6, 15, 12, 7, 4096, 0, false, false, {3019, 3066, 3011, 3074}, 0.06525f, 2048, 4, false, ":/images/Sensors/Rotary-Motion.png", false, -1, -10037},
    {49, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), 229, 5, 15, 1, 5, 4096, 0, true, false, {3076, 3122, 2928, 2928}, 0.0025f, 124, 0, true, ":/images/Sensors/Pressure.png"},
    {50, QT_TRANSLATE_NOOP3("CSensorInfo", "Magnetic field", "Sensors List"), 230, 7, 15, 1, 2, 4096, 0, false, true, {3123, 3125, 2921, 2921}, 0.99f, 2048, 2, false, ":/images/Sensors/Magnetic-Field.png"},
    {51, QT_TRANSLATE_NOOP3("CSensorInfo", "Sound", "Sensors List"), 231, 5, 15, 13, 1, 4096, 0, false, false, {3214, 3255, 3206, 3263}, 0.1221f, 0, 2, true, ":/images/Sensors/Sound-Level.png", true, -1, -10038},
    {52, QT_TRANSLATE_NOOP3("CSensorInfo", "CO2", "Sensors List"), 232, 5, 15, 1, 1, 4096, 0, false, false, {3279, 3318, 3271, 3326}, 2.4411764f, 0, 1, false, ":/images/Sensors/CO2.png", true, -1, -10039},
    {53, QT_TRANSLATE_NOOP3("CSensorInfo", "Charge", "Sensors List"), 233, 5, 15, 1, 1, 4096, 0, false, false, {3339, 3375, 3331, 3383}, 0.00036619717f, 2048, 0, false, ":/images/Sensors/Electrostatic-Charge.png", true, -1, -10040},
    {54, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-150K", "Sensors List"), 234, 5, 15, 1, 1, 4096, 0, false, false, {3389, 3431, 3389, 3440}, 0.0366f, 0, 2, false, ":/images/Sensors/Light.png", true, -1, -10043},
    {55, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-6000", "Sensors List"), 235, 5, 15, 1, 1, 4096, 0, false, false, {3476, 3507, 3468, 3515}, 1.4651163f, 0, 2, false, ":/images/Sensors/Light.png", true, -1, -10042},
    {56, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-600", "Sensors List"), 236, 5, 15, 1, 1, 4096, 0, false, false, {3536, 3564, 3519, 3583}, 0.14651163f, 0, 2, false, ":/images/Sensors/Light.png", true, -1, -10043},
    {57, QT_TRANSLATE_NOOP3("CSensorInfo", "Turbidity", "Sensors List"), 237, 5, 15, 1, 1, 4096, 0, false, false, {3598, 3625, 3594, 3635}, 0.06103896f, 200, 2, true, ":/images/Sensors/Turbidity.png", true, -1, -10044},
    {58, QT_TRANSLATE_NOOP3("CSensorInfo", "ISE", "Sensors List"), 238, 5, 15, 1, 1, 4096, 0, false, false, {3659, 3692, 3648, 3696}, 0.0000757f, 0, 2, true, ":/images/Sensors/Chloride.png", true, -1, -10045},
    {59, QT_TRANSLATE_NOOP3("CSensorInfo", "Soil moisture", "Sensors List"), 239, 5, 15, 1, 1, 4096, 0, false, false, {3708, 3734, 3698, 3742}, 0.09863f, 2063, 2, false, ":/images/Sensors/Soil-Moisture.png", true, -1, -10046},
    {60, QT_TRANSLATE_NOOP3("CSensorInfo", "Charge", "Sensors List"), 240, 5, 15, 1, 1, 4096, 0, false, false, {3801, 3817, 3776, 3825}, 1.2195122e-05f, 2048, 0, false, ":/images/Sensors/Electrostatic-Charge.png", true, -1, -10047},
    {61, QT_TRANSLATE_NOOP3("CSensorInfo", "Blood Pressure", "Sensors List"), 241, 8, 12, 8, 1, 4096, 0, true, true, {2504, 2562, 2504, 2562}, 82.0f, 0, 0, false, ":/images/Sensors/Blood-Pressure.png", false, -1, -10048},
    {62, QT_TRANSLATE_NOOP3("CSensorInfo", "Dual Axis Magnetic", "Sensors List"), 242, 7, 15, 1, 1, 4096, 0, false, false, {1, 2, 1, 2}, 9.774436e-05f, 2048, 2, false, ":/images/Sensors/Magnetic-Field-Dual-Axis.png", true, -1, -10049},
    {63, QT_TRANSLATE_NOOP3("CSensorInfo", "Dual Axis Magnetic", "Sensors List"), 243, 7, 15, 1, 1, 4096, 0, false, true, {3, 4, 3, 4}, 0.019545455f, 2048, 2, false, ":/images/Sensors/Magnetic-Field-Dual-Axis.png", true, -1, -10050},
    {64, QT_TRANSLATE_NOOP3("CSensorInfo", "Dual Axis Magnetic", "Sensors List"), 244, 7, 15, 1, 1, 4096, 0, false, true, {5, 6, 5, 6}, 0.040686276f, 1707, 2, false, ":/images/Sensors/Magnetic-Field-Dual-Axis.png", true, -1, -10051},
    {65, QT_TRANSLATE_NOOP3("CSensorInfo", "UVA", "Sensors List"), 245, 7, 15, 1, 1, 4096, 0, false, true, {7, 8, 7, 8}, 0.047922f, 0, 2, true, ":/images/Sensors/UVA.png"},
    {66, QT_TRANSLATE_NOOP3("CSensorInfo", "UVA", "Sensors List"), 246, 7, 15, 1, 1, 4096, 0, false, true, {9, 10, 9, 10}, 0.00244f, 0, 2, true, ":/images/Sensors/UVA.png"},
    {67, QT_TRANSLATE_NOOP3("CSensorInfo", "UVA", "Sensors List"), 247, 7, 15, 1, 1, 4096, 0, false, true, {11, 12, 11, 12}, 0.000244f, 0, 2, true, ":/images/Sensors/UVA.png"},
    {68, QT_TRANSLATE_NOOP3("CSensorInfo", "UVB", "Sensors List"), 248, 7, 15, 1, 1, 4096, 0, false, true, {13, 14, 13, 14}, 0.0121512f, 0, 2, true, ":/images/Sensors/UVA.png"},
    {69, QT_TRANSLATE_NOOP3("CSensorInfo", "UVB", "Sensors List"), 249, 7, 15, 1, 1, 4096, 0, false, true, {15, 16, 15, 16}, 0.000244f, 0, 2, true, ":/images/Sensors/UVA.png"},
    {70, QT_TRANSLATE_NOOP3("CSensorInfo", "UVB", "Sensors List"), 0, 7, 15, 1, 1, 0, 0, false, true, {17, 18, 17, 18}, 2.4390243e-05f, 0, 2, true, ":/images/Sensors/UVA.png"},
    {71, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), 1, 5, 15, 1, 3, 0, 0, true, false, {2556, 2613, 2548, 2618}, 0.100908175f, -34, 2, true, ":/images/Sensors/Pressure.png", true, 20},
    {72, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), 2, 5, 15, 1, 2, 0, 0, false, false, {880, 882, 2929, 2929}, 0.04f, 624, 0, false, ":/images/Sensors/Temperature.png", true, 5},
    {73, QT_TRANSLATE_NOOP3("CSensorInfo", "Humidity 5%", "Sensors List"), 3, 5, 15, 1, 1, 0, 0, true, false, {1547, 1605, 1539, 1613}, 0.03488575f, 682, 2, false, ":/images/Sensors/Humidity.png", true, 5},
    {74, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-150K", "Sensors List"), 4, 5, 15, 1, 1, 0, 0, false, false, {3389, 3431, 3389, 3440}, 0.03663004f, 0, 2, false, ":/images/Sensors/Light.png", true, 150, -1, false, false, &kFamily74},
    {75, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-6000", "Sensors List"), 5, 5, 15, 1, 1, 0, 0, false, false, {3476, 3507, 3468, 3515}, 1.4652015f, 0, 2, false, ":/images/Sensors/Light.png", true, 150, -1, false, false, &kFamily74},
    {76, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-600", "Sensors List"), 6, 5, 15, 1, 1, 0, 0, false, false, {3536, 3564, 3519, 3583}, 0.14652015f, 0, 2, false, ":/images/Sensors/Light.png", true, 150, -1, false, false, &kFamily74},
    {77, QT_TRANSLATE_NOOP3("CSensorInfo", "UV", "Sensors List internal UV"), 7, 7, 15, 1, 1, 0, 0, false, true, {9, 10, 9, 10}, 0.0024420025f, 0, 2, true, ":/images/Sensors/UVA.png", true, 5, -1, false, false, &kFamily77},
    {78, QT_TRANSLATE_NOOP3("CSensorInfo", "UV", "Sensors List internal UV"), 8, 7, 15, 1, 1, 0, 0, false, true, {7, 8, 7, 8}, 0.04884005f, 0, 2, true, ":/images/Sensors/UVA.png", true, 5, -1, false, false, &kFamily77},
    {79, QT_TRANSLATE_NOOP3("CSensorInfo", "Heart rate", "Sensors List"), 38, 8, 13, 8, 1, 0, 0, false, false, {1730, 1790, 1722, 1795}, 0.0012205882f, 0, 0, false, ":/images/Sensors/Heart-Rate.png", false},
    {80, QT_TRANSLATE_NOOP3("CSensorInfo", "Empty", "Sensors List"), 74, 3, 15, 1, 1, 153, 0, false, false, {0, 0, 0, 0}, 0.0f, 0, 0, false, ":/images/Sensors/Sensor-Icon.png"},
    {81, QT_TRANSLATE_NOOP3("CSensorInfo", "Humidity 5%", "Sensors List"), 35, 5, 15, 1, 1, 0, 0, true, false, {0, 0, 0, 0}, 0.03488575f, 682, 2, false, ":/images/Sensors/Humidity.png", true, 5},
    {82, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), 50, 5, 15, 1, 3, 0, 0, true, false, {0, 0, 0, 0}, 0.100908175f, 34, 2, true, ":/images/Sensors/Pressure.png", true, 20},
    {83, QT_TRANSLATE_NOOP3("CSensorInfo", "Sound 45-80db", "Sensors List"), 59, 5, 15, 13, 1, 0, 0, false, false, {3214, 3255, 3206, 3263}, 0.1221f, 0, 0, false, ":/images/Sensors/Sound-Level.png", true, -1, -1, false, false, &kFamily83},
    {84, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-600", "Sensors List"), 65, 5, 15, 1, 1, 0, 0, false, false, {0, 0, 0, 0}, 0.14652015f, 0, 2, false, ":/images/Sensors/Light.png", true, 150, -1, false, false, &kFamily84},
};

// index, slot, name, unit, prefix, range text, min, max, [clamp max, clamp min, fastest, slowest,
// default active]
const SensorSlotRow kMeasurements[] = {
    {38, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Force, Pull - positive", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "N", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "± 10N", "Sensors List"), -10, 10},
    {38, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Force, Push - positive", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "N", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "± 10N", "Sensors List"), -10, 10},
    {39, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Magnetic", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "T", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "± 10mT", "Sensors List"), -10, 10},
    {39, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Magnetic", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "gauss", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "± 100gauss", "Sensors List"), -100, 100},
    {40, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Humidity", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "%", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 100%", "Sensors List"), 0, 100},
    {41, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "Pa", "Sensors List"), 1, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 700kPa", "Sensors List"), 0, 700},
    {41, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "bar", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 7000mbar", "Sensors List"), 0, 7000},
    {41, 2, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "atm", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 6.9atm", "Sensors List"), 0, 6.9},
    {42, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Force, Push - positive", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "N", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "± 50N", "Sensors List"), -50, 50},
    {42, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Force, Pull - positive", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "N", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "± 50N", "Sensors List"), -50, 50},
    {43, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Magnetic", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "T", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "± 0.2mT", "Sensors List"), -0.2, 0.2},
    {43, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Magnetic", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "gauss", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "± 2gauss", "Sensors List"), -2, 2},
    {44, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Light", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "lx", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 300lx", "Sensors List"), 0, 300},
    {44, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Light", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 0.44W/m²", "Sensors List"), 0, 0.44},
    {45, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Oxygen DO2", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "g/L", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 12.5mg/L", "Sensors List"), 0, 14},
    {46, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Oxygen O2", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "%", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 25%", "Sensors List"), 0, 25},
    {47, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Rain", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "mm", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0-204mm", "Sensors List"), 0, 204},
    {48, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Angle", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "deg", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0-360°", "Sensors List"), 0, 360},
    {48, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Angle", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "rad", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±8", "Sensors List"), 0, 6.28},
    {48, 2, QT_TRANSLATE_NOOP3("CSensorInfo", "Distance", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±8", "Sensors List"), -1000, 1000},
    {48, 3, QT_TRANSLATE_NOOP3("CSensorInfo", "Angular velocity", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "rad/s", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±6rad/s", "Sensors List"), -1000, 1000},
    {48, 4, QT_TRANSLATE_NOOP3("CSensorInfo", "Angular acceleration", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "rad/s²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±3rad/s²", "Sensors List"), -1000, 1000},
    {48, 5, QT_TRANSLATE_NOOP3("CSensorInfo", "Velocity", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±6m/s", "Sensors List"), -1000, 1000},
    {48, 6, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±3m/s²", "Sensors List"), -1000, 1000},
    {48, 7, {}, QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±2.5V", "Sensors List"), -2.5, 2.5},
    {49, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "Pa", "Sensors List"), 1, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 10kPa", "Sensors List"), 0, 10},
    {49, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "bar", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 100mbar", "Sensors List"), 0, 100},
    {49, 2, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "atm", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 0.1atm", "Sensors List"), 0, 0.1},
    {49, 3, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "cm H2O", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 100cm", "Sensors List"), 0, 100},
    {49, 4, QT_TRANSLATE_NOOP3("CSensorInfo", "Volume", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "L", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 0.0785 * Diameter²", "Sensors List"), 0, 0.0625},
    {50, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Magnetic", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "gauss", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "± 2000gauss", "Sensors List"), -2000, 2000},
    {50, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Magnetic", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "T", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±0.2T", "Sensors List"), -0.2, 0.2},
    {51, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Sound", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "dB", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "40-110dB", "Sensors List"), 40, 110},
    {52, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "CO2", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "ppm", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0-5000ppm", "Sensors List"), 0, 5000},
    {53, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Charge ±0.25", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "C", "Sensors List"), 3, QT_TRANSLATE_NOOP3("CSensorInfo", "±0.25uC", "Sensors List"), -0.25, 0.25},
    {54, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-150K", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "lx", "Sensors List"), 1, QT_TRANSLATE_NOOP3("CSensorInfo", "0-150Klx", "Sensors List"), 0, 150},
    {55, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-6000", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "lx", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0-6000lx", "Sensors List"), 0, 6000},
    {56, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-600", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "lx", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0-600lx", "Sensors List"), 0, 600},
    {57, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Turbidity", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "NTU", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0-200NTU", "Sensors List"), 0, 200},
    {58, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "ISE", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0-5V", "Sensors List"), 0, 0.31, false},
    {59, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Soil moisture", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "CB", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0-200CB", "Sensors List"), 0, 200},
    {60, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Charge ±0.025", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "C", "Sensors List"), 3, QT_TRANSLATE_NOOP3("CSensorInfo", "±0.025uC", "Sensors List"), -0.025, 0.025},
    {61, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Cuff Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "mmHg", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 250 mmHg", "Sensors List"), 0, 250},
    {62, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Dual Axis Magnetic", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "T", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "±0.2mT", "Sensors List"), -0.2, 0.2},
    {63, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Dual Axis Magnetic", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "T", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "±40mT", "Sensors List"), -40, 40},
    {64, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Dual Axis Magnetic", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "T", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "±100mT", "Sensors List"), -100, 100},
    {65, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "UVA", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 200[W/m²]", "Sensors List"), 0, 200},
    {66, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "UVA", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 10[W/m²]", "Sensors List"), 0, 10},
    {67, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "UVA", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 1[W/m²]", "Sensors List"), 0, 1},
    {68, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "UVB", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 10[W/m²]", "Sensors List"), 0, 10},
    {69, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "UVB", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 1[W/m²]", "Sensors List"), 0, 1},
    {70, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "UVB", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 0.1[W/m²]", "Sensors List"), 0, 0.1},
    // Its clamp and its bar and atm twins start at 0, so its range text does too (entry 82,
    // the sensor that starts at 20 kPa, keeps 20 everywhere).
    {71, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "Pa", "Sensors List"), 1, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 400kPa", "Sensors List"), 0, 400},
    {71, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "bar", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 4000mbar", "Sensors List"), 0, 4000},
    {71, 2, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "atm", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 3.95atm", "Sensors List"), 0, 3.95},
    {72, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°C", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-30 - 50°C", "Sensors List"), -30, 50},
    {72, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°F", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-22 - 122°F", "Sensors List"), -22, 122},
    {73, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Humidity", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "%", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 100%", "Sensors List"), 0, 100},
    {74, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-150K", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "lx", "Sensors List"), 1, QT_TRANSLATE_NOOP3("CSensorInfo", "0-150Klx", "Sensors List"), 0, 150},
    {75, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-6000", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "lx", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0-6000lx", "Sensors List"), 0, 6000},
    {76, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-600", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "lx", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0-600lx", "Sensors List"), 0, 600},
    {77, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "UVA", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 10[W/m²]", "Sensors List"), 0, 10},
    {78, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "UVA", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 200[W/m²]", "Sensors List"), 0, 200},
    {79, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Heart rate", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "bpm", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 200bpm", "Sensors List"), 0, 200},
    {79, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Heart rate", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), -1, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 5V", "Sensors List"), 0, 5},
    {80, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Empty", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "", "Sensors List"), 0, 0},
    {81, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Humidity", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "%", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 100%", "Sensors List"), 0, 100},
    {82, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "Pa", "Sensors List"), 1, QT_TRANSLATE_NOOP3("CSensorInfo", "20 - 400kPa", "Sensors List"), 20, 400},
    {82, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "bar", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "200 - 4000mbar", "Sensors List"), 200, 4000},
    {82, 2, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "atm", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0.19 - 3.95atm", "Sensors List"), 0.19, 3.95},
    {83, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Sound", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "dB", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "45-80dB", "Sensors List"), 45, 80},
    {84, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-600", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "lx", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0-600lx", "Sensors List"), 0, 600},
};

// clang-format on

} // namespace

SensorTableBlock block38to84()
{
    return {kEntries, int(sizeof(kEntries) / sizeof(kEntries[0])), kMeasurements,
            int(sizeof(kMeasurements) / sizeof(kMeasurements[0]))};
}

} // namespace SensorTables

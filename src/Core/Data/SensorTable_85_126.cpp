// Catalogue entries 85 to 126.
#include "Core/Data/SensorTables.h"

namespace SensorTables {

namespace {

// clang-format off
const SensorVariantRow kFamily85 = {3, {63, 64, 65, 0}, 0, {0, 0, 0, 0}, {QT_TRANSLATE_NOOP3("CSensorInfo", "0-150klx", "Light Sensor range"), QT_TRANSLATE_NOOP3("CSensorInfo", "0-6000lx", "Light Sensor range"), QT_TRANSLATE_NOOP3("CSensorInfo", "0-600lx", "Light Sensor range"), {}}};
const SensorVariantRow kFamily89 = {2, {58, 15, 0, 0}, 0, {0, 0, 0, 0}, {QT_TRANSLATE_NOOP3("CSensorInfo", "Normal", "Microphone"), QT_TRANSLATE_NOOP3("CSensorInfo", "Sensitive", "Microphone"), {}, {}}};
const SensorVariantRow kFamily98 = {2, {51, 47, 0, 0}, 0, {0, 0, 0, 0}, {QT_TRANSLATE_NOOP3("CSensorInfo", "± 50N", "force range"), QT_TRANSLATE_NOOP3("CSensorInfo", "± 10N", "force range"), {}, {}}};
const SensorVariantRow kFamily100 = {2, {60, 59, 0, 0}, 0, {0, 0, 0, 0}, {QT_TRANSLATE_NOOP3("CSensorInfo", "65-110dB", "Sound range"), QT_TRANSLATE_NOOP3("CSensorInfo", "45-80dB", "Sound range"), {}, {}}};
const SensorVariantRow kFamily112 = {3, {30, 78, 77, 0}, 0, {0, 0, 0, 0}, {QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 200[W/m²]", "UVA Sensor range"), QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 10[W/m²]", "UVA Sensor range"), QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 1[W/m²]", "UVA Sensor range"), {}}};
const SensorVariantRow kFamily115 = {3, {28, 26, 25, 0}, 0, {0, 0, 0, 0}, {QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 10[W/m²]", "UVB Sensor range"), QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 1[W/m²]", "UVB Sensor range"), QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 0.1[W/m²]", "UVB Sensor range"), {}}};
const SensorVariantRow kFamily119 = {2, {52, 48, 0, 0}, 0, {0, 0, 0, 0}, {G(QT_TRANSLATE_NOOP3("QObject", "± 0.2mT", "Microphone")), G(QT_TRANSLATE_NOOP3("QObject", "± 10mT", "Microphone")), {}, {}}};
const SensorVariantRow kFamily120 = {2, {52, 48, 0, 0}, 0, {0, 0, 0, 0}, {G(QT_TRANSLATE_NOOP3("QObject", "± 0.2mT", "Magnetic-Field")), G(QT_TRANSLATE_NOOP3("QObject", "± 10mT", "Magnetic-Field")), {}, {}}};
const SensorVariantRow kFamily123 = {3, {256, 257, 258, 0}, 1, {256, 0, 0, 0}, {QT_TRANSLATE_NOOP3("CSensorInfo", "± 25V", "Voltage Multi-Range"), QT_TRANSLATE_NOOP3("CSensorInfo", "± 10V", "Voltage Multi-Range"), QT_TRANSLATE_NOOP3("CSensorInfo", "± 1V", "Voltage Multi-Range"), {}}};

// index, name, id, class, fastest/slowest rate, measurements, data kind, input option, input flag,
// logger calibration, id windows, gain, zero, calibration, zero allowed, icon,
// [trigger allowed, filter cut-off, secondary id, ISE flag, hidden, range family]
const SensorEntryRow kEntries[] = {
    {85, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-6000", "Sensors List"), 64, 5, 15, 1, 1, 0, 0, false, false, {3476, 3507, 3468, 3515}, 1.4652015f, 0, 2, false, ":/images/Sensors/Light.png", true, 150, -1, false, false, &kFamily85},
    {86, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-150K", "Sensors List"), 63, 5, 15, 1, 1, 0, 0, false, false, {3389, 3431, 3389, 3440}, 0.03663004f, 0, 2, false, ":/images/Sensors/Light.png", true, 150, -1, false, false, &kFamily85},
    {87, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), 11, 3, 15, 1, 1, 0, 0, true, true, {208, 261, 203, 231}, 0.001221f, 2048, 2, true, ":/images/Sensors/Voltage.png", true, 100},
    {88, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), 9, 3, 15, 1, 1, 0, 0, true, true, {86, 104, 85, 107}, 0.01221f, 2048, 2, true, ":/images/Sensors/Voltage.png", true, 100},
    {89, QT_TRANSLATE_NOOP3("CSensorInfo", "Microphone", "Sensors List"), 15, 12, 15, 13, 1, 0, 0, false, false, {448, 480, 447, 488}, 0.0012205882f, 2048, 0, false, ":/images/Sensors/Microphone.png", true, -1, -1, false, false, &kFamily89},
    {90, QT_TRANSLATE_NOOP3("CSensorInfo", "Current", "Sensors List"), 20, 8, 15, 1, 1, 0, 0, true, true, {0, 0, 0, 0}, 0.001221f, 2048, 2, true, ":/images/Sensors/Current.png", true, 100},
    {91, QT_TRANSLATE_NOOP3("CSensorInfo", "Oxygen", "Sensors List"), 37, 6, 15, 1, 2, 0, 0, false, false, {0, 0, 0, 0}, 0.003137f, 0, 2, false, ":/images/Sensors/Oxygen.png", true, 5},
    {92, QT_TRANSLATE_NOOP3("CSensorInfo", "pH", "Sensors List"), 22, 5, 15, 1, 1, 0, 0, true, false, {0, 0, 0, 0}, -0.0037313432f, 3923, 2, false, ":/images/Sensors/pH.png"},
    {93, QT_TRANSLATE_NOOP3("CSensorInfo", "Heart rate", "Sensors List"), 38, 8, 13, 8, 1, 0, 0, false, false, {0, 0, 0, 0}, 0.0012205882f, 0, 0, false, ":/images/Sensors/Heart-Rate.png", false},
    {94, QT_TRANSLATE_NOOP3("CSensorInfo", "Blood Pressure", "Sensors List"), 69, 8, 11, 7, 1, 0, 0, true, true, {0, 0, 0, 0}, 82.0f, 0, 0, false, ":/images/Sensors/Blood-Pressure.png", false},
    {95, QT_TRANSLATE_NOOP3("CSensorInfo", "Current", "Sensors List"), 19, 8, 15, 1, 1, 0, 0, true, true, {0, 0, 0, 0}, 0.1221f, 2048, 2, true, ":/images/Sensors/Current.png", true, 100},
    {96, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), 32, 5, 15, 1, 3, 0, 0, true, false, {0, 0, 0, 0}, 0.2713336f, -389, 2, true, ":/images/Sensors/Pressure.png", true, 5},
    {97, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), 29, 6, 15, 1, 2, 0, 0, false, false, {0, 0, 0, 0}, 0.0814433f, 0, 0, false, ":/images/Sensors/Temperature.png", true, 10},
    {98, QT_TRANSLATE_NOOP3("CSensorInfo", "Force", "Sensors List"), 47, 8, 15, 1, 2, 0, 0, true, false, {0, 0, 0, 0}, 0.0054975236f, 2048, 2, true, ":/images/Sensors/Force.png", true, 100, -1, false, false, &kFamily98},
    {99, QT_TRANSLATE_NOOP3("CSensorInfo", "Force", "Sensors List"), 51, 8, 15, 1, 2, 0, 0, true, false, {2626, 2682, 2619, 2688}, 0.027487619f, 2048, 2, true, ":/images/Sensors/Force.png", true, 100, -1, false, false, &kFamily98},
    {100, QT_TRANSLATE_NOOP3("CSensorInfo", "Sound 65-110db", "Sensors List"), 60, 5, 15, 13, 1, 0, 0, false, false, {0, 0, 0, 0}, 0.1221f, 0, 0, false, ":/images/Sensors/Sound-Level.png", true, -1, -1, false, false, &kFamily100},
    {101, QT_TRANSLATE_NOOP3("CSensorInfo", "Surface Temperature", "Sensors List"), 23, 5, 15, 1, 2, 0, 0, false, false, {0, 0, 0, 0}, 0.021785714f, 0, 0, false, ":/images/Sensors/Temperature.png", false, 5},
    {102, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), 24, 5, 15, 1, 2, 0, 0, false, false, {1922, 1984, 1914, 1992}, 0.021785714f, 0, 0, false, ":/images/Sensors/Temperature.png", false, 5},
    {103, QT_TRANSLATE_NOOP3("CSensorInfo", "Distance", "Sensors List"), 34, 6, 8, 1, 5, 3, 1, false, false, {0, 0, 0, 0}, 0.0024390244f, 0, 0, true, ":/images/Sensors/Distance.png", true, 15},
    {104, QT_TRANSLATE_NOOP3("CSensorInfo", "CO2", "Sensors List"), 61, 5, 15, 1, 1, 0, 0, false, false, {0, 0, 0, 0}, 705.5f, 0, 1, false, ":/images/Sensors/CO2.png", true, 10},
    {105, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), 27, 5, 15, 1, 2, 0, 0, false, false, {0, 0, 0, 0}, 0.0056666667f, 0, 0, false, ":/images/Sensors/Temperature.png", false, 10},
    {106, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration X", "Sensors List"), 16, 8, 15, 1, 2, 0, 0, false, true, {0, 0, 0, 0}, 0.0031410255f, 2048, 0, true, ":/images/Sensors/Acceleration.png"},
    {107, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration Y", "Sensors List"), 17, 8, 15, 1, 2, 0, 0, false, true, {526, 554, 518, 562}, 0.0031410255f, 2048, 0, true, ":/images/Sensors/Acceleration.png"},
    {108, QT_TRANSLATE_NOOP3("CSensorInfo", "Spirometer", "Sensors List"), 40, 8, 15, 1, 2, 0, 0, false, true, {0, 0, 0, 0}, 0.30357143f, 2048, 2, true, ":/images/Sensors/Spirometer.png"},
    {109, QT_TRANSLATE_NOOP3("CSensorInfo", "Drop Counter", "Sensors List"), 75, 4, 15, 1, 2, 2, 7, false, false, {0, 0, 0, 0}, 0.2f, 0, 3, false, ":/images/Sensors/Rain-Collector.png", false},
    {110, QT_TRANSLATE_NOOP3("CSensorInfo", "Smart pulley", "Sensors List"), 45, 6, 15, 1, 3, 1, 0, false, false, {0, 0, 0, 0}, 0.0396f, 0, 0, false, ":/images/Sensors/Smart-Pulley.png", false},
    {111, QT_TRANSLATE_NOOP3("CSensorInfo", "PhotoGate", "Sensors List"), 76, 6, 15, 1, 1, 0, 0, false, false, {0, 0, 0, 0}, 0.0396f, 0, 0, false, ":/images/Sensors/Photo-Gate.png", false},
    {112, QT_TRANSLATE_NOOP3("CSensorInfo", "UVA", "Sensors List"), 30, 7, 15, 1, 1, 0, 0, false, true, {0, 0, 0, 0}, 0.04884005f, 0, 2, true, ":/images/Sensors/UVA.png", true, 5, -1, false, false, &kFamily112},
    {113, QT_TRANSLATE_NOOP3("CSensorInfo", "UVA", "Sensors List"), 78, 7, 15, 1, 1, 0, 0, false, true, {0, 0, 0, 0}, 0.0024420025f, 0, 2, true, ":/images/Sensors/UVA.png", true, 5, -1, false, false, &kFamily112},
    {114, QT_TRANSLATE_NOOP3("CSensorInfo", "UVA", "Sensors List"), 77, 7, 15, 1, 1, 0, 0, false, true, {0, 0, 0, 0}, 0.00024420026f, 0, 2, true, ":/images/Sensors/UVA.png", true, 5, -1, false, false, &kFamily112},
    {115, QT_TRANSLATE_NOOP3("CSensorInfo", "UVB", "Sensors List"), 28, 7, 15, 1, 1, 0, 0, false, true, {0, 0, 0, 0}, 0.0024420025f, 0, 2, true, ":/images/Sensors/UVA.png", true, 5, -1, false, false, &kFamily115},
    {116, QT_TRANSLATE_NOOP3("CSensorInfo", "UVB", "Sensors List"), 26, 7, 15, 1, 1, 0, 0, false, true, {0, 0, 0, 0}, 0.00024420026f, 0, 2, true, ":/images/Sensors/UVA.png", true, 5, -1, false, false, &kFamily115},
    {117, QT_TRANSLATE_NOOP3("CSensorInfo", "UVB", "Sensors List"), 25, 7, 15, 1, 1, 0, 0, false, true, {0, 0, 0, 0}, 0.00024420026f, 0, 2, true, ":/images/Sensors/UVA.png", true, 5, -1, false, false, &kFamily115},
    {118, QT_TRANSLATE_NOOP3("CSensorInfo", "Microphone", "Sensors List"), 58, 12, 15, 13, 1, 0, 0, false, false, {0, 0, 0, 0}, 0.0012205882f, 2048, 0, false, ":/images/Sensors/Microphone.png", true, -1, -1, false, false, &kFamily89},
    {119, G(QT_TRANSLATE_NOOP3("QObject", "Magnetic field", "Sensors List")), 48, 7, 15, 1, 2, 0, 0, false, true, {2442, 2500, 2439, 2508}, 0.0049f, 2048, 2, false, ":/images/Sensors/Magnetic-Field.png", true, -1, -1, false, false, &kFamily119},
    {120, G(QT_TRANSLATE_NOOP3("QObject", "Magnetic field", "Sensors List")), 52, 7, 15, 1, 2, 0, 0, false, true, {2694, 2749, 2689, 2752}, 0.000097656f, 2048, 2, false, ":/images/Sensors/Magnetic-Field.png", true, -1, -1, false, false, &kFamily120},
    {121, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage ±30V", "Sensors List"), 53, 3, 15, 1, 2, 0, 0, true, false, {0, 0, 0, 0}, 1.0f, 2048, 0, true, ":/images/Sensors/Voltage.png", true, 150},
    {122, G(QT_TRANSLATE_NOOP3("QObject", "Empty", "Sensors List")), 79, 7, 15, 1, 1, 153, 0, false, false, {2694, 2749, 2689, 2752}, 0.0f, 2048, 0, false, ":/images/Sensors/Sensor-Icon.png"},
    {123, G(QT_TRANSLATE_NOOP3("QObject", "Voltage", "Sensors List")), 256, 7, 15, 1, 1, 0, 0, false, false, {0, 0, 0, 0}, 0.012207031f, 2048, 2, true, ":/images/Sensors/Voltage.png", true, 150, -1, false, false, &kFamily123},
    {124, G(QT_TRANSLATE_NOOP3("QObject", "Voltage", "Sensors List")), 257, 7, 15, 1, 1, 0, 0, false, false, {0, 0, 0, 0}, 0.0048828125f, 2048, 2, true, ":/images/Sensors/Voltage.png", true, 150, -1, false, false, &kFamily123},
    {125, G(QT_TRANSLATE_NOOP3("QObject", "Voltage", "Sensors List")), 258, 7, 15, 1, 1, 0, 0, false, false, {0, 0, 0, 0}, 0.00048828125f, 2048, 2, true, ":/images/Sensors/Voltage.png", true, 150, -1, false, false, &kFamily123},
    {126, QT_TRANSLATE_NOOP3("CSensorInfo", "Heart rate", "Sensors List"), 84, 8, 13, 8, 1, 0, 0, false, false, {0, 0, 0, 0}, 0.0012205882f, 0, 0, false, ":/images/Sensors/Heart-Rate.png", false},
};

// index, slot, name, unit, prefix, range text, min, max, [clamp max, clamp min, fastest, slowest,
// default active]
const SensorSlotRow kMeasurements[] = {
    {85, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-6000", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "lx", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0-6000lx", "Sensors List"), 0, 6000},
    {86, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Light-150K", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "lx", "Sensors List"), 1, QT_TRANSLATE_NOOP3("CSensorInfo", "0-150Klx", "Sensors List"), 0, 150},
    {87, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±2.5V", "Sensors List"), -2.5, 2.5},
    {88, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±25V", "Sensors List"), -25, 25},
    {89, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Microphone", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±1.5V", "Sensors List"), -1.5, 1.5},
    {90, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Current", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "A", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±2.5A", "Sensors List"), -2.5, 2.5},
    {91, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Oxygen DO2", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "g/L", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 12.5mg/L", "Sensors List"), 0, 12.5},
    {91, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Oxygen O2", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "%", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 25%", "Sensors List"), 0, 25},
    {92, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "pH", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "pH", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 14pH", "Sensors List"), 0, 14},
    {93, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Heart rate", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "bpm", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 200bpm", "Sensors List"), 0, 200},
    {93, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Heart rate", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), -1, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 5V", "Sensors List"), 0, 5},
    {94, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Cuff Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "mmHg", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 250 mmHg", "Sensors List"), 0, 250},
    {95, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Current", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "A", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "±250mA", "Sensors List"), -250, 250},
    {96, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "bar", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "150 - 1150mbar", "Sensors List"), 150, 1150},
    {96, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "atm", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0.148 - 1.135atm", "Sensors List"), 0.148, 1.135},
    {96, 2, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "Pa", "Sensors List"), 1, QT_TRANSLATE_NOOP3("CSensorInfo", "15 - 115kPa", "Sensors List"), 15, 115},
    // Kept within the 1200 °C its range text names, as its Fahrenheit twin is (2192 °F).
    {97, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°C", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 1200°C", "Sensors List"), 0, 1200},
    {97, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°F", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "32 - 2192°F", "Sensors List"), 32, 2192},
    {98, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Force, Pull - positive", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "N", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "± 10N", "Sensors List"), -10, 10},
    {98, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Force, Push - positive", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "N", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "± 10N", "Sensors List"), -10, 10},
    {99, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Force, Pull - positive", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "N", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "± 50N", "Sensors List"), -50, 50},
    {99, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Force, Push - positive", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "N", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "± 50N", "Sensors List"), -50, 50},
    {100, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Sound", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "dB", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "65-110dB", "Sensors List"), 65, 110},
    {101, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Surface Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°C", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-40 - 140°C", "Sensors List"), -40, 140},
    {101, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Surface Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°F", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-40 - 284°F", "Sensors List"), -40, 284},
    {102, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°C", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-40 - 140°C", "Sensors List"), -40, 140},
    {102, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°F", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-40 - 284°F", "Sensors List"), -40, 284},
    {103, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Distance", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0.4 - 10m", "Sensors List"), 0.2, 10},
    {103, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Velocity (Outgoing)", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±10m/s", "Sensors List"), -10, 10},
    {103, 2, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration (Outgoing)", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±12m/s²         |  ±12m/s²", "Sensors List"), -12, 12},
    {103, 3, QT_TRANSLATE_NOOP3("CSensorInfo", "Velocity (Incoming)", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±10m/s        |  ±10m/s", "Sensors List"), -10, 10},
    {103, 4, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration (Incoming)", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±12m/s²         |  ±12m/s²", "Sensors List"), -12, 12},
    {104, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "CO2", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "ppm", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "350-10000ppm", "Sensors List"), 350, 10000, true, false},
    {105, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°C", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-200 - 400°C", "Sensors List"), -200, 400},
    {105, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°F", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-328 - 752°F", "Sensors List"), -328, 752},
    {106, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "g", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±6g", "Sensors List"), -6, 6},
    {106, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±5m/s²", "Sensors List"), -50, 50},
    {107, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "g", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±6g", "Sensors List"), -6, 6},
    {107, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±5m/s²", "Sensors List"), -50, 50},
    {108, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Spirometer", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "L/min", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±315L/min", "Sensors List"), -315, 315},
    {108, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Spirometer", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "L/sec", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±5.25L/sec", "Sensors List"), -5.25, 5.25},
    {109, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Drop Counter", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "", "Sensors List"), 0, 12500000, false, false},
    {109, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Volume", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "L", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 1023 * Drop Volume", "Sensors List"), 0, 5000, true, false},
    {110, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Velocity", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 6m/s", "Sensors List"), 0, 6},
    {110, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Distance", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "infinite", "Sensors List"), 0, 1000},
    {110, 2, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 12m/s²", "Sensors List"), -12, 12},
    {111, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "PhotoGate", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 5", "Sensors List"), 0, 5},
    {112, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "UVA", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 200[W/m²]", "Sensors List"), 0, 200},
    {113, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "UVA", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 10[W/m²]", "Sensors List"), 0, 10},
    {114, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "UVA", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 1[W/m²]", "Sensors List"), 0, 1},
    {115, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "UVB", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 10[W/m²]", "Sensors List"), 0, 10},
    {116, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "UVB", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 1[W/m²]", "Sensors List"), 0, 1},
    {117, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "UVB", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 0.1[W/m²]", "Sensors List"), 0, 0.1},
    {118, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Microphone", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±1.5V", "Sensors List"), -1.5, 1.5},
    {119, 0, G(QT_TRANSLATE_NOOP3("QObject", "Magnetic", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "T", "Sensors List")), 2, G(QT_TRANSLATE_NOOP3("QObject", "± 10mT", "Sensors List")), -10, 10},
    {119, 1, G(QT_TRANSLATE_NOOP3("QObject", "Magnetic", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "gauss", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "± 100gauss", "Sensors List")), -100, 100},
    {120, 0, G(QT_TRANSLATE_NOOP3("QObject", "Magnetic", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "T", "Sensors List")), 2, G(QT_TRANSLATE_NOOP3("QObject", "± 0.2mT", "Sensors List")), -0.2, 0.2},
    {120, 1, G(QT_TRANSLATE_NOOP3("QObject", "Magnetic", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "gauss", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "± 2gauss", "Sensors List")), -2, 2},
    {121, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±30V", "Sensors List"), -30, 30, true, true, 15, 1},
    {121, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "TRMS", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0-20V", "Sensors List"), 0, 20, true, true, 15, 12, true},
    {122, 0, G(QT_TRANSLATE_NOOP3("QObject", "Empty", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "", "Sensors List")), -25, 25},
    {123, 0, G(QT_TRANSLATE_NOOP3("QObject", "Voltage ±25", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "V", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "± 25V", "Sensors List")), -25, 25},
    {124, 0, G(QT_TRANSLATE_NOOP3("QObject", "Voltage ±10", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "V", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "± 10V", "Sensors List")), -10, 10},
    {125, 0, G(QT_TRANSLATE_NOOP3("QObject", "Voltage ±1", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "V", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "± 1V", "Sensors List")), -1, 1},
    {126, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Heart rate", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "bpm", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 200bpm", "Sensors List"), 0, 200},
    {126, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Heart rate", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), -1, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 5V", "Sensors List"), 0, 5},
};

// clang-format on

} // namespace

SensorTableBlock block85to126()
{
    return {kEntries, int(sizeof(kEntries) / sizeof(kEntries[0])), kMeasurements,
            int(sizeof(kMeasurements) / sizeof(kMeasurements[0]))};
}

} // namespace SensorTables

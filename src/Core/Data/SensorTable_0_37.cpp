// Catalogue entries 0 to 37: the first-generation analog sensors.
#include "Core/Data/SensorTables.h"

namespace SensorTables {

namespace {

// clang-format off
// index, name, id, class, fastest/slowest rate, measurements, data kind, input option, input flag,
// logger calibration, id windows, gain, zero, calibration, zero allowed, icon,
// [trigger allowed, filter cut-off, secondary id, ISE flag, hidden, range family]
const SensorEntryRow kEntries[] = {
    {0, QT_TRANSLATE_NOOP3("CSensorInfo", "Empty", "Sensors List"), 180, 3, 15, 1, 1, 0, 0, false, false, {0, 0, 0, 0}, 0.0f, 0, 0, false, ":/images/Sensors/Sensor-Icon.png"},
    {1, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), 181, 3, 15, 1, 1, 4096, 0, true, true, {86, 104, 85, 107}, 0.01225f, 2048, 2, true, ":/images/Sensors/Voltage.png", true, -1, -10007},
    {2, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), 182, 3, 15, 1, 1, 4096, 0, true, true, {151, 179, 143, 185}, 0.0012205882f, 0, 2, false, ":/images/Sensors/Voltage.png", true, -1, -10002},
    {3, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), 183, 3, 15, 1, 1, 4096, 0, true, true, {208, 261, 203, 231}, 0.0012205882f, 2048, 2, true, ":/images/Sensors/Voltage.png", true, -1, -10003},
    {4, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), 184, 3, 15, 1, 1, 4096, 0, true, true, {266, 286, 263, 294}, 0.024375f, 2048, 2, false, ":/images/Sensors/Voltage.png"},
    {5, QT_TRANSLATE_NOOP3("CSensorInfo", "Light", "Sensors List"), 185, 5, 15, 1, 2, 4096, 0, false, false, {336, 372, 2919, 2919}, 0.03375f, 0, 2, false, ":/images/Sensors/Light.png"},
    {6, QT_TRANSLATE_NOOP3("CSensorInfo", "Light", "Sensors List"), 186, 5, 15, 1, 2, 4096, 0, true, false, {388, 427, 2920, 2920}, 0.001617647f, 0, 2, false, ":/images/Sensors/Light.png"},
    {7, QT_TRANSLATE_NOOP3("CSensorInfo", "Microphone", "Sensors List"), 187, 12, 15, 13, 1, 4096, 0, false, false, {448, 480, 447, 488}, 0.0012205882f, 2048, 0, false, ":/images/Sensors/Microphone.png", true, -1, -10005},
    {8, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration", "Sensors List"), 188, 8, 15, 1, 2, 4096, 0, false, true, {526, 554, 518, 562}, 0.0031410255f, 2048, 0, true, ":/images/Sensors/Acceleration.png", true, -1, -10006},
    {9, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), 189, 3, 15, 1, 1, 4096, 0, true, true, {559, 640, 577, 624}, 0.004875f, 2048, 2, true, ":/images/Sensors/Voltage.png", true, -1, -10007},
    {10, QT_TRANSLATE_NOOP3("CSensorInfo", "Current", "Sensors List"), 190, 8, 15, 1, 1, 4096, 0, true, true, {654, 688, 646, 692}, 0.12205882f, 2048, 2, true, ":/images/Sensors/Current.png", true, -1, -10008},
    {11, QT_TRANSLATE_NOOP3("CSensorInfo", "Current", "Sensors List"), 191, 8, 15, 1, 1, 4096, 0, true, true, {701, 737, 693, 745}, 0.0012205882f, 2048, 2, true, ":/images/Sensors/Current.png", true, -1, -10009},
    {12, QT_TRANSLATE_NOOP3("CSensorInfo", "Current", "Sensors List"), 192, 8, 15, 1, 1, 4096, 0, true, true, {781, 820, 2913, 2913}, 0.004875f, 0, 2, true, ":/images/Sensors/Current.png"},
    {13, QT_TRANSLATE_NOOP3("CSensorInfo", "pH", "Sensors List"), 193, 5, 15, 1, 1, 4096, 0, true, false, {837, 878, 829, 886}, 0.005125f, 682, 2, false, ":/images/Sensors/pH.png", true, -1, -10010},
    {14, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), 194, 5, 15, 1, 2, 4096, 0, false, false, {880, 882, 2929, 2929}, 0.04f, 624, 0, false, ":/images/Sensors/Temperature.png", false, -1, -10012},
    {15, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), 195, 5, 15, 1, 2, 4096, 0, false, false, {1922, 1984, 1914, 1992}, 0.021785714f, 0, 0, false, ":/images/Sensors/Temperature.png", false, -1, -10012},
    {16, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), 196, 3, 15, 1, 1, 4096, 0, true, true, {996, 1028, 987, 1049}, 0.000488f, 2048, 2, false, ":/images/Sensors/Voltage.png", true, -1, -10013},
    {17, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), 197, 5, 15, 1, 2, 4096, 0, false, false, {1990, 1992, 2930, 2930}, 0.069375f, 260, 0, false, ":/images/Sensors/Temperature.png", false},
    {18, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), 198, 5, 15, 1, 2, 4096, 0, false, false, {1096, 1145, 1088, 1153}, 0.0056666667f, 0, 0, false, ":/images/Sensors/Temperature.png", false, -1, -10014},
    {19, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), 199, 6, 15, 1, 2, 4096, 0, false, false, {1155, 1205, 2931, 0}, 0.275f, 0, 0, false, ":/images/Sensors/Temperature.png", false},
    {20, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), 200, 6, 15, 1, 2, 4096, 0, false, false, {1213, 1265, 1205, 1273}, 0.395f, 0, 0, false, ":/images/Sensors/Temperature.png", false, -1, -10015},
    {21, QT_TRANSLATE_NOOP3("CSensorInfo", "Heart rate (Exercise)", "Sensors List"), 201, 8, 15, 8, 1, 4096, 0, false, false, {1730, 1790, 1722, 1795}, 0.0012205882f, 0, 0, false, ":/images/Sensors/Heart-Rate.png", false, -1, -10059},
    {22, QT_TRANSLATE_NOOP3("CSensorInfo", "Flow", "Sensors List"), 202, 5, 15, 1, 1, 12288, 0, false, false, {1271, 1273, 1271, 1273}, 0.00725f, 0, 0, false, ":/images/Sensors/Flow-Rate.png", false, -1, -10016},
    {23, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), 203, 5, 15, 1, 3, 4096, 0, true, false, {1354, 1408, 1346, 1412}, 0.27174f, 0, 2, true, ":/images/Sensors/Pressure.png", true, -1, -10017},
    {24, QT_TRANSLATE_NOOP3("CSensorInfo", "ECG/EKG", "Sensors List"), 204, 8, 15, 1, 1, 4096, 0, false, false, {1416, 1471, 1413, 1462}, 0.0012205882f, 0, 0, false, ":/images/Sensors/EKG.png"},
    {25, QT_TRANSLATE_NOOP3("CSensorInfo", "Distance", "Sensors List"), 205, 6, 8, 1, 5, 16384, 1, false, false, {1472, 1539, 1463, 1536}, 0.0024390244f, 0, 0, true, ":/images/Sensors/Distance.png", true, 15, -10019},
    {26, QT_TRANSLATE_NOOP3("CSensorInfo", "Humidity 5%", "Sensors List"), 206, 5, 15, 1, 1, 4096, 0, true, false, {1547, 1605, 1539, 1613}, 0.0392f, 0, 2, false, ":/images/Sensors/Humidity.png", true, -1, -10020},
    {27, QT_TRANSLATE_NOOP3("CSensorInfo", "EEG", "Sensors List"), 207, 8, 15, 1, 1, 4096, 0, false, false, {1607, 1609, 2914, 2914}, 0.0012205882f, 0, 2, false, ":/images/Sensors/EKG.png"},
    {28, QT_TRANSLATE_NOOP3("CSensorInfo", "Oxygen DO2", "Sensors List"), 208, 8, 15, 1, 1, 4096, 0, false, false, {1792, 1794, 2911, 2911}, 0.06125f, 0, 2, false, ":/images/Sensors/Oxygen.png"},
    {29, QT_TRANSLATE_NOOP3("CSensorInfo", "Heart rate", "Sensors List"), 209, 8, 15, 8, 1, 4096, 0, false, false, {1730, 1790, 1722, 1795}, 0.0012205882f, 0, 0, false, ":/images/Sensors/Heart-Rate.png", false, -1, -10021},
    {30, QT_TRANSLATE_NOOP3("CSensorInfo", "Conductivity", "Sensors List"), 210, 6, 15, 1, 1, 4096, 0, true, false, {1801, 1847, 1796, 1838}, 0.0054347827f, 152, 2, false, ":/images/Sensors/Conductivity.png", true, -1, -10022},
    {31, QT_TRANSLATE_NOOP3("CSensorInfo", "Spirometer", "Sensors List"), 211, 8, 15, 1, 2, 4096, 0, false, true, {1861, 1908, 1839, 1913}, 0.30357143f, 2048, 2, true, ":/images/Sensors/Spirometer.png", true, -1, -10023},
    {32, QT_TRANSLATE_NOOP3("CSensorInfo", "GM counter", "Sensors List"), 212, 5, 15, 1, 1, 12288, 8, false, false, {1910, 1912, 2916, 2916}, 0.0048828125f, 0, 0, false, ":/images/Sensors/Geiger-Muller-Counter.png", false, -1, -10024},
    {33, QT_TRANSLATE_NOOP3("CSensorInfo", "Drop Counter", "Sensors List"), 213, 5, 15, 1, 2, 12288, 7, false, false, {2048, 2096, 2037, 2096}, 0.2f, 0, 3, false, ":/images/Sensors/Rain-Collector.png", false, -1, -10025},
    {34, QT_TRANSLATE_NOOP3("CSensorInfo", "Wind speed", "Sensors List"), 214, 5, 15, 1, 3, 12288, 0, false, false, {3821, 3823, 3821, 3823}, 1.1538461f, 0, 0, false, ":/images/Sensors/Anemometer.png", false, -1, -10026},
    {35, QT_TRANSLATE_NOOP3("CSensorInfo", "Wind direction", "Sensors List"), 215, 5, 15, 1, 1, 4096, 0, false, false, {3824, 3826, 3824, 3826}, 0.08791f, 0, 1, true, ":/images/Sensors/Anemometer.png", true, -1, -10027},
    {36, QT_TRANSLATE_NOOP3("CSensorInfo", "Smart pulley", "Sensors List"), 216, 6, 15, 1, 3, 8192, 7, false, false, {185, 186, 771, 772}, 0.0396f, 0, 0, false, ":/images/Sensors/Smart-Pulley.png", false, -1, -10028},
    {37, QT_TRANSLATE_NOOP3("CSensorInfo", "Colorimeter", "Sensors List"), 217, 8, 15, 1, 1, 4096, 0, false, false, {2301, 2361, 2293, 2366}, 0.03f, 0, 0, false, ":/images/Sensors/Colorimeter.png", true, -1, -10029},
};

// index, slot, name, unit, prefix, range text, min, max, [clamp max, clamp min, fastest, slowest,
// default active]
const SensorSlotRow kMeasurements[] = {
    {0, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Empty", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "", "Sensors List"), 0, 0},
    {1, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±25V", "Sensors List"), -25, 25},
    {2, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 5V", "Sensors List"), 0, 5},
    {3, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±2.5V", "Sensors List"), -2.5, 2.5},
    {4, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "±50mV", "Sensors List"), -50, 50},
    {5, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Light", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "lx", "Sensors List"), 1, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 130Klx", "Sensors List"), 0, 130},
    {5, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Light", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 190W/m²", "Sensors List"), 0, 190},
    {6, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Light", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "lx", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 6.6lx", "Sensors List"), 0, 6.6},
    {6, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Light", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "W/m²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 0.01W/m²", "Sensors List"), 0, 0.01},
    {7, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Microphone", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±2.5V", "Sensors List"), -2.5, 2.5},
    {8, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "g", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±5g", "Sensors List"), -5, 5},
    {8, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±5m/s²", "Sensors List"), -50, 50},
    {9, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-10 - 10V", "Sensors List"), -10, 10},
    {10, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Current", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "A", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "±250mA", "Sensors List"), -250, 250},
    {11, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Current", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "A", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±2.5A", "Sensors List"), -2.5, 2.5},
    {12, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Current", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "A", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 20mA", "Sensors List"), 0, 20},
    {13, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "pH", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "pH", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 14pH", "Sensors List"), 0, 14},
    {14, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°C", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-25 - 125°C", "Sensors List"), -25, 125},
    {14, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°F", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-13 - 257°F", "Sensors List"), -13, 257},
    {15, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°C", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-40 - 140°C", "Sensors List"), -40, 140},
    {15, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°F", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-40 - 284°F", "Sensors List"), -40, 284},
    {16, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Voltage", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±1", "Sensors List"), -1, 1},
    {17, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°C", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-5 - 110°C", "Sensors List"), -5, 110},
    {17, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°F", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "23 - 230°F", "Sensors List"), 23, 230},
    {18, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°C", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-200 - 400°C", "Sensors List"), -200, 400},
    {18, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°F", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "-328 - 752°F", "Sensors List"), -328, 752},
    {19, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°C", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 750°C", "Sensors List"), 0, 750},
    {19, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°F", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "32 - 1382°F", "Sensors List"), 32, 1382},
    {20, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°C", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 1200°C", "Sensors List"), 0, 1200},
    {20, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Temperature", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "°F", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "32 - 2192°F", "Sensors List"), 32, 2192},
    {21, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Heart rate (Exercise)", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "bpm", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 200bpm", "Sensors List"), 0, 200},
    {21, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Heart rate (Exercise)", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), -1, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 5V", "Sensors List"), 0, 5},
    {22, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Flow", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 3m/s", "Sensors List"), 0, 1023},
    {23, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "bar", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "150 - 1150mbar", "Sensors List"), 150, 1150},
    {23, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "atm", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0.148 - 1.135atm", "Sensors List"), 0.148, 1.135},
    {23, 2, QT_TRANSLATE_NOOP3("CSensorInfo", "Pressure", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "Pa", "Sensors List"), 1, QT_TRANSLATE_NOOP3("CSensorInfo", "15 - 115kPa", "Sensors List"), 15, 115},
    {24, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "ECG/EKG", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 5V", "Sensors List"), 0, 5},
    {25, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Distance", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0.4 - 10m", "Sensors List"), 0.2, 10},
    {25, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Velocity (Outgoing)", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±10m/s", "Sensors List"), -10, 10},
    {25, 2, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration (Outgoing)", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±12m/s²         |  ±12m/s²", "Sensors List"), -12, 12},
    {25, 3, QT_TRANSLATE_NOOP3("CSensorInfo", "Velocity (Incoming)", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±10m/s        |  ±10m/s", "Sensors List"), -10, 10},
    {25, 4, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration (Incoming)", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±12m/s²         |  ±12m/s²", "Sensors List"), -12, 12},
    {26, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Humidity", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "%", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 100%", "Sensors List"), 0, 100},
    {27, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "EEG", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 5V", "Sensors List"), 0, 5},
    {28, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Oxygen DO2", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "%", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 25%", "Sensors List"), 0, 100},
    {29, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Heart rate", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "bpm", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 200bpm", "Sensors List"), 0, 200},
    {29, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Heart rate", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "V", "Sensors List"), -1, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 5V", "Sensors List"), 0, 5},
    {30, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Conductivity", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "S", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 20mS", "Sensors List"), 0, 20},
    {31, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Spirometer", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "L/min", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±315L/min", "Sensors List"), -315, 315},
    {31, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Spirometer", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "L/sec", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "±5.25L/sec", "Sensors List"), -5.25, 5.25},
    {32, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "GM counter", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "Bq", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 1024Bq", "Sensors List"), 0, 1023},
    {33, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Drop Counter", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "", "Sensors List"), 0, 12500000, false, false},
    {33, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Volume", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "L", "Sensors List"), 2, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 1023 * Drop Volume", "Sensors List"), 0, 5000, true, false},
    {34, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Wind speed", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "kph", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "4 - 280km/h", "Sensors List"), 0, 200},
    {34, 1, G(QT_TRANSLATE_NOOP3("QObject", "Wind speed", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "mph", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "Speed 4 - 280km/h", "Sensors List")), 0, 200},
    {34, 2, G(QT_TRANSLATE_NOOP3("QObject", "Wind speed", "Sensors List")), G(QT_TRANSLATE_NOOP3("QObject", "knots", "Sensors List")), 0, G(QT_TRANSLATE_NOOP3("QObject", "Speed 4 - 280km/h", "Sensors List")), 0, 173},
    {35, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Wind direction", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "deg", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 360°", "Sensors List"), 0, 360},
    {36, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Velocity", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 6m/s", "Sensors List"), 0, 6},
    {36, 1, QT_TRANSLATE_NOOP3("CSensorInfo", "Distance", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "infinite", "Sensors List"), 0, 2},
    {36, 2, QT_TRANSLATE_NOOP3("CSensorInfo", "Acceleration", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "m/s²", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 12m/s²", "Sensors List"), 0, 12},
    {37, 0, QT_TRANSLATE_NOOP3("CSensorInfo", "Colorimeter", "Sensors List"), QT_TRANSLATE_NOOP3("CSensorInfo", "%", "Sensors List"), 0, QT_TRANSLATE_NOOP3("CSensorInfo", "0 - 100%", "Sensors List"), 20, 90},
};

// clang-format on

} // namespace

SensorTableBlock block0to37()
{
    return {kEntries, int(sizeof(kEntries) / sizeof(kEntries[0])), kMeasurements,
            int(sizeof(kMeasurements) / sizeof(kMeasurements[0]))};
}

} // namespace SensorTables

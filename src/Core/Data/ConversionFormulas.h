#pragma once
// The fixed curves of the sensor types: pure functions of the raw reading, shared by the
// conversion and its tests.
namespace ConversionFormulas {
// gain × raw + (−zero × gain), the second product in single precision as the loggers' own
// firmware forms it.
double Linear(float gain, double raw, int zero);
// Celsius to Fahrenheit with the single-precision 1.8.
double Fahrenheit(double celsius);
// NTC thermistor on the 4.7 kΩ divider of the 12-bit input.
double ThermistorA(double raw);
// The same thermistor behind the 3 V divider of the later sensors.
double ThermistorA3V(double raw);
// 10 kΩ thermistor of the Pelorin temperature sensor; c is the firmware correction (0 or 1).
double ThermistorB(double raw, int correction);
// Platinum resistance thermometer, q the resistance in ohms.
double Platinum(double q);
// Thermocouple polynomial, x in millivolts.
double Thermocouple(double x);
// High-temperature probe: two polynomials, the second outside 0..500 °C.
double HighTemperature(double x);
// Spirometer flow line (L/s); 0 outside the table, including the gap at 1392..1393.
double Spirometer(double raw);
// Steinhart–Hart temperature of a thermistor from ln R.
double SteinhartHart(double lnR);
// CO2 concentration from the raw reading and the sensor's offset pair value b.
double CarbonDioxide(double raw, float b);
}  // namespace ConversionFormulas

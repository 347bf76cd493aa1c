#pragma once
// Number formatting, unit prefixes, the series colour palette and sensor icons shared by the
// data store, the setup and every data window.
#include <QColor>
#include <QPixmap>
#include <QString>
#include <atomic>

class QPainter;
class CSensorInfo;

// Sensor-index values of a data branch that are not catalogue indices.
enum SpecialSensorIndex {
    SensorIndexNone = -1,
    SensorIndexOnlineFunction = 20480,
    SensorIndexDerivedFunction = 20481,
    SensorIndexVideoTrack = 20482,
    SensorIndexTimingResult = 20483,
    SensorIndexManualX = 20484
};

// Marks a gap in a branch or a missing result.
constexpr double MissingValue = -9999999.0;

// Unit-prefix codes: 0 none, 1 kilo, 2 milli, 3 micro. Time-unit codes: 0 ms, 1 s, 2 min, 3 h.
QString Double2String(double value, int decimals, bool plusSign = false, bool scientific = false);
double GetMultiplier(short fromPrefix, short toPrefix);
double GetTimeMultiplier(short timeUnit, short toSeconds);
QString GetUnitPrefix(short code);
float GetRoundVal(float value, float step);
int StringWidth(QPainter* painter, const QString& text);

// Converts a double to int when it is finite and inside the int range (after truncation
// towards zero); otherwise stores fallback and returns false.
bool SafeDoubleToInt(double value, int& out, int fallback = 0);

// The series palette and the fixed interface colours; InitGlobalColors() restores them and
// rewinds the palette cursor (they are also set up before main runs).
constexpr int colorTableSize = 12;
extern QColor colorsTable[colorTableSize];
extern std::atomic<int> globalColorIndex;
extern QColor gridBlue;
extern QColor gridOrange;
extern QColor xScaleTextColor;
extern QColor xScaleColor;
extern QColor toolbarBackColor;
extern QColor topBarColor;
void InitGlobalColors();
QColor GetColorAtIndex(int i);
QColor GetNextGlobalColor();
QColor GetCurrentGlobalColor();

// Icon of a sensor or data branch. The two-argument form uses the logic manager's catalogue.
QString GetSpecialSensorIconPath(int sensorIndex);
QPixmap GetSensorIcon(int sensorIndex, int sensorId, const CSensorInfo* catalogue);

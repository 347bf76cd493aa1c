#pragma once
// The rules behind the setup columns and their dialogs, kept apart from the widgets so that they
// can be checked without a window: the sensor choice of a channel, the range display, the zero
// reading text, the trigger a row reports, typed numbers under the user's locale, the
// calibration capture and the drop volume.
#include "Core/Base/CommandParameters.h"
#include "Core/Data/SensorsCalibration.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

class CSensorInfo;
class CSensorParametersInfo;
class CSetupInfo;

namespace SetupColumnRules {

// ---- sensor and range columns

// The sensors a channel offers in manual detection, sorted by name: "Empty" first, then the
// catalogue's entries 1 to 70 in case-insensitive name order. Position k is combo item k.
struct SensorNameMap
{
    QStringList m_Names;
    QList<int> m_Indices;
};
// `names` is indexed by catalogue index; `loggerType` is the detected logger's type (0 for
// none); `keep` keeps the entries the Pelorin logger drops when it reports the sensor 122.
SensorNameMap BuildSensorNameMap(const QStringList& names, double loggerType, bool keep);

// What the range column shows for a sensor: a label with the range text, or a choice of ranges.
struct RangeDisplay
{
    bool m_bCombo = false;
    QString m_Label;
    QStringList m_Items;
    int m_Selected = -1;
    QString m_ToolTip;
};
RangeDisplay BuildRangeDisplay(const CSensorInfo* catalogue, int sensorIndex, int iseId);

// ---- zero column

// The unit the zero column shows beside a reading of a measurement of the channel's sensor.
QString ZeroReadingUnit(const CSetupInfo* setup, int channel, int measurement);
// "1.500 (m)", or the number alone when the unit is empty.
QString ZeroReadingText(double value, const QString& unit);

// ---- trigger

enum TriggerKind { TriggerNone = 0, TriggerAbove = 1, TriggerBelow = 2, TriggerDelay = 5 };

// What a trigger row reports to the setup controller.
struct TriggerReport
{
    bool m_bActive = false;
    int m_LevelIndex = -1;  // the level entry, or the delay in ms for a delay trigger
    int m_Value = -1;       // the level entry's code
    int m_Type = TriggerNone;

    bool operator==(const TriggerReport& o) const
    {
        return m_bActive == o.m_bActive && m_LevelIndex == o.m_LevelIndex && m_Value == o.m_Value
               && m_Type == o.m_Type;
    }
};
// The report of a row whose trigger button has just been selected. A level trigger needs an
// entry of the sensor's level list: without one no trigger is set.
TriggerReport TriggerOnSelection(bool allowed, int kind, int levelIndex, int delayMs,
                                 const QList<TriggerLevel>& levels);
// The report of a row that is no longer the trigger.
TriggerReport TriggerCleared();
// The delay typed in the trigger dialog, in milliseconds: unit 0 milliseconds, 1 seconds; a
// text that ReadTriggerDelay refuses gives 0.
int ConvertToMillisecond(const QString& text, int unitIndex);
// The trigger dialog's delay entry holds at most this many of its unit.
constexpr int s_MaxDelayInUnit = 99999;
// The delay typed in the trigger dialog in milliseconds: from 0 to s_MaxDelayInUnit of the
// unit (0 milliseconds, 1 seconds), with a decimal point or comma, exact to the millisecond (a
// finer delay cannot be kept and is refused rather than rounded); an empty entry is no delay.
bool ReadTriggerDelay(const QString& text, int unitIndex, int* ms);
// What the delay entry takes in that unit, for the refusal of an entry ReadTriggerDelay refused.
QString TriggerDelayRefusal(int unitIndex);
// The entry and unit that show a delay of ms milliseconds, so that OK reads it back unchanged:
// milliseconds while they fit the entry, else seconds.
QString TriggerDelayText(int ms, int* unitIndex);
QString TriggerLevelText(float level);
// The entry of the level list whose level is nearest value (the first of two as near); -1 for
// an empty list.
int NearestTriggerLevel(const QList<TriggerLevel>& levels, float value);
// The entry of the level list with this code; -1 when none has it.
int TriggerLevelWithCode(const QList<TriggerLevel>& levels, int code);
// Whether the level list reads lower values at higher codes about `code`: the logger compares
// codes, so a trigger there must compare them the other way round. Neighbours of equal value
// (a clamped end) are looked past; a list that tells nothing counts as rising.
bool TriggerLevelFalls(const QList<TriggerLevel>& levels, int code);
// Why a row's trigger button is greyed, for its tooltip: empty for a row that can trigger and
// for a row without a sensor.
QString TriggerRefusal(const CSensorParametersInfo* record, int sensorIndex);

// ---- typed numbers

// Reads a number the user typed, in the locale the entry was offered in (the C locale's form is
// accepted as well); false when the text is not a number.
bool ParseNumber(const QLocale& locale, const QString& text, double* value);
// Writes a number for an entry read back with ParseNumber in the same locale.
QString FormatNumber(const QLocale& locale, double value, char format = 'g', int precision = 6);

// ---- calibration

// The lowest value the real-value entries accept: the sensor's range minimum when it is
// negative, so a negative reference stays possible where the sensor reads negative values.
double CalibrationValidatorBottom(double rangeMinimum);
bool RealValueInRange(double value, double minimum, double maximum);
// The text of the out-of-range message.
QString OutOfRangeText(double minimum, double maximum);

// Whether Calibrate may be pressed once a point's lock changed. `point` is 1 or 2; false in
// `*changes` means the button keeps its state.
bool CalibrateEnabledAfterLock(int kind, int point, bool checked, bool otherLocked, bool* changes);

enum CalibrationRefusal { CalibrationAccepted = 0, CalibrationMissingValue, CalibrationEqualReadings };
// The texts of the four entries of a calibration as they stand when Calibrate is pressed.
struct CalibrationEntries
{
    QString m_Real1;
    QString m_Measured1;
    QString m_Real2;
    QString m_Measured2;
};
// Builds the record the calibration table stores; refuses a point whose numbers do not read
// and a two-point calibration whose two readings are equal. The raw values, the electrode and
// the time are the caller's.
CalibrationRefusal BuildCalibration(int kind, const CalibrationEntries& entries, const QLocale& locale,
                                    CalibrationValues* values);

// The part of a calibration table record that the calibration dialog works on.
CalibrationValues CalibrationValuesOf(const SensorCalibrationInfo& record);

// The measurement of a row that a new calibration goes on: the one the row shows (its last
// "Set >") when it is ticked, else the first ticked one; the shown one when none is ticked.
int CalibrationMeasurement(const CSetupInfo* setup, int channel, int shown);

// The wheel radii offered for a rotary sensor, in mm, in list order.
constexpr int s_NumOfRadii = 3;
double RadiusMm(int item);
// The list item within 0.1 mm of a radius stored in metres; -1 when none is that close.
int RadiusItemForMetres(double metres);

// A drop volume typed in mL: true when it reads as a number above 0.
bool ParseDropVolume(const QLocale& locale, const QString& text, double* volume);

} // namespace SetupColumnRules

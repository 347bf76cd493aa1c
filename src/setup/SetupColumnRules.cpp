#include "setup/SetupColumnRules.h"

#include "Core/Data/Globals.h"
#include "Core/Data/SensorInfo.h"
#include "Core/Data/SetupInfo.h"
#include "Core/Logic/LoggerKinds.h"
#include "windowbase/NumberField.h"

#include <QCoreApplication>

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace SetupColumnRules {

namespace {
constexpr int kLastLegacySensor = 70;
constexpr int kHeartRateA = 79;
constexpr int kHeartRateB = 93;
const double kRadiiMm[s_NumOfRadii] = {5.0, 15.0, 25.0};

} // namespace

SensorNameMap BuildSensorNameMap(const QStringList& names, double loggerType, bool keep)
{
    SensorNameMap map;
    if (names.size() > 1) {
        map.m_Names.append(names.at(1));
        map.m_Indices.append(1);
    }
    const ILoggerFace& face = LoggerFaceOf(LoggerModelOf(loggerType));
    const int last = std::min(kLastLegacySensor, int(names.size()) - 1);
    for (int i = 2; i <= last; ++i) {
        if (!face.OffersLegacySensor(i, keep))
            continue;
        const QString upper = names.at(i).toUpper();
        int p = 0;
        while (p < map.m_Names.size() && map.m_Names.at(p).toUpper() < upper)
            ++p;
        map.m_Names.insert(p, names.at(i));
        map.m_Indices.insert(p, i);
    }
    if (!names.isEmpty()) {
        map.m_Names.prepend(names.at(0));
        map.m_Indices.prepend(0);
    }
    return map;
}

RangeDisplay BuildRangeDisplay(const CSensorInfo* catalogue, int sensorIndex, int iseId)
{
    RangeDisplay display;
    const CSensorParametersInfo* record = catalogue ? catalogue->GetSensorInfo(sensorIndex) : nullptr;
    if (!record)
        return display;
    const int count = std::clamp(record->m_NumOfRanges, 0, CSensorParametersInfo::s_MaxVariants);
    if (count < 2) {
        const CSensorMeasuremntInfo* first = record->GetMeasurement(0);
        display.m_Label = first ? first->m_RangeText : QString();
        return display;
    }
    if (CSensorInfo::IsISEIndex(sensorIndex)) {
        // An id outside the electrode table reads as "no electrode chosen".
        const ISEInfo ise = catalogue->getISEInfo(iseId <= CSensorInfo::s_LastISEId ? iseId : 0);
        display.m_Label = Double2String(ise.m_MinConcentration, 3, false, false) + " - "
                          + Double2String(ise.m_MaxConcentration, 3, false, false);
        return display;
    }
    display.m_bCombo = true;
    for (int k = 0; k < count; ++k) {
        display.m_Items.append(record->m_RangeNames[k]);
        if (record->m_RangeIds[k] == int(record->m_SensorId)) {
            display.m_Selected = k;
            display.m_ToolTip = record->m_RangeNames[k];
        }
    }
    return display;
}

QString ZeroReadingUnit(const CSetupInfo* setup, int channel, int measurement)
{
    const CSesnorProperties* sensor = setup ? setup->GetSelectedSensor(channel) : nullptr;
    if (!sensor)
        return QString();
    if (sensor->m_SensorIndex == kHeartRateA || sensor->m_SensorIndex == kHeartRateB)
        return QCoreApplication::translate("FullSetupSetZeroColumn", "V");
    const CMeasurementSetup* m = sensor->GetMeasurement(measurement);
    return m ? m->m_Unit : QString();
}

QString ZeroReadingText(double value, const QString& unit)
{
    QString text = QString("%1").arg(value, 0, 'f', 3);
    if (!unit.isEmpty())
        text += " (" + unit + ")";
    return text;
}

TriggerReport TriggerOnSelection(bool allowed, int kind, int levelIndex, int delayMs,
                                 const QList<TriggerLevel>& levels)
{
    if (!allowed)
        return TriggerCleared();
    TriggerReport report;
    if (kind == TriggerDelay) {
        report.m_bActive = true;
        report.m_LevelIndex = delayMs;
        report.m_Value = -1;
        report.m_Type = TriggerDelay;
    } else if (kind != TriggerNone) {
        if (levelIndex < 0 || levelIndex >= levels.size())
            return TriggerCleared();
        report.m_bActive = true;
        report.m_LevelIndex = levelIndex;
        report.m_Value = levels.at(levelIndex).m_Code;
        report.m_Type = kind;
    } else {
        report.m_LevelIndex = 0;
        report.m_Value = 0;
    }
    return report;
}

TriggerReport TriggerCleared()
{
    return TriggerReport();
}

int ConvertToMillisecond(const QString& text, int unitIndex)
{
    int ms = 0;
    return ReadTriggerDelay(text, unitIndex, &ms) ? ms : 0;
}

bool ReadTriggerDelay(const QString& text, int unitIndex, int* ms)
{
    if (unitIndex != 0 && unitIndex != 1)
        return false;
    int result = 0;
    if (!text.trimmed().isEmpty()) {
        CNumberRange range;
        range.minimum = 0.0;
        range.maximum = s_MaxDelayInUnit;
        range.wholeNumber = unitIndex == 0;
        double value = 0.0;
        if (!NumberField::Read(text, range, &value))
            return false;
        const double inMs = unitIndex == 1 ? value * 1000.0 : value;
        const double whole = std::round(inMs);
        // Seconds typed to the millisecond may carry a binary representation error, no more.
        if (std::abs(inMs - whole) > 1e-6)
            return false;
        result = int(whole);
    }
    if (ms)
        *ms = result;
    return true;
}

QString TriggerDelayRefusal(int unitIndex)
{
    const auto tr = [](const char* s) { return QCoreApplication::translate("TriggerDialog", s); };
    CNumberRange range;
    range.minimum = 0.0;
    range.maximum = s_MaxDelayInUnit;
    if (unitIndex == 0) {
        range.wholeNumber = true;
        return NumberField::RefusalText(tr("The delay in milliseconds"), range);
    }
    return NumberField::RefusalText(tr("The delay in seconds"), range) + QLatin1Char(' ')
           + tr("It counts whole milliseconds: at most three decimals.");
}

QString TriggerDelayText(int ms, int* unitIndex)
{
    const int shown = std::max(ms, 0);
    const bool seconds = shown > s_MaxDelayInUnit;
    if (unitIndex)
        *unitIndex = seconds ? 1 : 0;
    if (!seconds)
        return QString::number(shown);
    // At most three decimals, without trailing zeros: 123456 ms reads 123.456 s.
    QString text = QString::number(shown / 1000.0, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

QString TriggerLevelText(float level)
{
    return QString("%1").arg(double(level), 0, 'f', 3);
}

int NearestTriggerLevel(const QList<TriggerLevel>& levels, float value)
{
    int best = -1;
    for (int i = 0; i < levels.size(); ++i)
        if (best < 0 || std::abs(levels.at(i).m_Level - value) < std::abs(levels.at(best).m_Level - value))
            best = i;
    return best;
}

int TriggerLevelWithCode(const QList<TriggerLevel>& levels, int code)
{
    for (int i = 0; i < levels.size(); ++i)
        if (levels.at(i).m_Code == code)
            return i;
    return -1;
}

bool TriggerLevelFalls(const QList<TriggerLevel>& levels, int code)
{
    QList<TriggerLevel> byCode = levels;
    std::stable_sort(byCode.begin(), byCode.end(),
                     [](const TriggerLevel& a, const TriggerLevel& b) { return a.m_Code < b.m_Code; });
    const int n = byCode.size();
    if (n < 2)
        return false;
    // The entries either side of the code, widened one step at a time while they read alike.
    const auto above = std::upper_bound(byCode.begin(), byCode.end(), code,
                                        [](int c, const TriggerLevel& l) { return c < l.m_Code; });
    int hi = std::clamp(int(above - byCode.begin()), 1, n - 1);
    int lo = hi - 1;
    bool widenHigh = true;
    while (byCode.at(lo).m_Level == byCode.at(hi).m_Level) {
        const bool canLow = lo > 0, canHigh = hi < n - 1;
        if (!canLow && !canHigh)
            return false;
        if (canHigh && (widenHigh || !canLow))
            ++hi;
        else
            --lo;
        widenHigh = !widenHigh;
    }
    return byCode.at(hi).m_Level < byCode.at(lo).m_Level;
}

QString TriggerRefusal(const CSensorParametersInfo* record, int sensorIndex)
{
    if (sensorIndex == 0 || !record || record->m_TriggerAllowed)
        return QString();
    return QCoreApplication::translate("FullSetupTriggerColumn",
                                       "This sensor cannot start a run by its reading: it offers no trigger level.");
}

bool ParseNumber(const QLocale& locale, const QString& text, double* value)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    QLocale strict = locale;
    // "1.500" must not read as fifteen hundred where the point groups thousands.
    strict.setNumberOptions(strict.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    double v = strict.toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    if (value)
        *value = v;
    return true;
}

QString FormatNumber(const QLocale& locale, double value, char format, int precision)
{
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return plain.toString(value, format, precision);
}

double CalibrationValidatorBottom(double rangeMinimum)
{
    return std::isfinite(rangeMinimum) && rangeMinimum < -DBL_MIN ? rangeMinimum : -DBL_MIN;
}

bool RealValueInRange(double value, double minimum, double maximum)
{
    return value >= minimum && value <= maximum;
}

QString OutOfRangeText(double minimum, double maximum)
{
    const auto tr = [](const char* s) { return QCoreApplication::translate("CalibrationDialog", s); };
    return tr("The value is out of range") + "\r\n" + tr("Sensor Range is:") + "\r\n"
           + QString("%1 ").arg(minimum, 0, 'g') + tr("to") + QString(" %1").arg(maximum, 0, 'g');
}

bool CalibrateEnabledAfterLock(int kind, int point, bool checked, bool otherLocked, bool* changes)
{
    if (changes)
        *changes = true;
    if (point == 2)
        return checked && otherLocked;
    if (kind == 1)
        return checked;
    if (kind == 2)
        return checked && otherLocked;
    if (changes)
        *changes = false;
    return false;
}

CalibrationRefusal BuildCalibration(int kind, const CalibrationEntries& entries, const QLocale& locale,
                                    CalibrationValues* values)
{
    CalibrationValues v = values ? *values : CalibrationValues();
    v.type = kind;
    if (kind == 1 || kind == 2) {
        if (!ParseNumber(locale, entries.m_Real1, &v.real1) || !ParseNumber(locale, entries.m_Measured1, &v.measured1))
            return CalibrationMissingValue;
    }
    if (kind == 2) {
        if (!ParseNumber(locale, entries.m_Real2, &v.real2) || !ParseNumber(locale, entries.m_Measured2, &v.measured2))
            return CalibrationMissingValue;
        if (v.measured1 == v.measured2)
            return CalibrationEqualReadings;
    }
    if (values)
        *values = v;
    return CalibrationAccepted;
}

int CalibrationMeasurement(const CSetupInfo* setup, int channel, int shown)
{
    const CSesnorProperties* sensor = setup ? setup->GetSelectedSensor(channel) : nullptr;
    if (!sensor)
        return shown;
    const CMeasurementSetup* current = sensor->GetMeasurement(shown);
    if (current && current->m_bActive)
        return shown;
    for (int m = 0; m < sensor->GetNumMeasurements(); ++m)
        if (const CMeasurementSetup* measurement = sensor->GetMeasurement(m))
            if (measurement->m_bActive)
                return m;
    return shown;
}

CalibrationValues CalibrationValuesOf(const SensorCalibrationInfo& record)
{
    CalibrationValues values;
    values.type = record.type;
    values.real1 = record.real1;
    values.measured1 = record.measured1;
    values.raw1 = record.raw1;
    values.real2 = record.real2;
    values.measured2 = record.measured2;
    values.raw2 = record.raw2;
    values.dateTime = record.dateTime;
    values.iseId = record.iseId;
    values.measurement = record.measurement;
    return values;
}

double RadiusMm(int item)
{
    return item >= 0 && item < s_NumOfRadii ? kRadiiMm[item] : 0.0;
}

int RadiusItemForMetres(double metres)
{
    const double mm = metres * 1000.0;
    for (int k = 0; k < s_NumOfRadii; ++k)
        if (std::fabs(mm - kRadiiMm[k]) < 0.1)
            return k;
    return -1;
}

bool ParseDropVolume(const QLocale& locale, const QString& text, double* volume)
{
    double v = 0.0;
    if (!ParseNumber(locale, text, &v) || !(v > 0.0))
        return false;
    if (volume)
        *volume = v;
    return true;
}

} // namespace SetupColumnRules

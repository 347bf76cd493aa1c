#include "Core/Data/SensorInfo.h"

#include "Core/Data/SensorTables.h"

#include <QCoreApplication>

using namespace SensorTables;

namespace {

const char* const kContext = "CSensorInfo";
const char* const kGeneralContext = "QObject";
const char* const kSensorsList = "Sensors List";

// An empty comment in the tables means "no disambiguation".
QString translateText(const CatalogueText& text)
{
    const char* comment = (text.comment && *text.comment) ? text.comment : nullptr;
    return QCoreApplication::translate(text.general ? kGeneralContext : kContext, text.source, comment);
}

void storeText(QString& field, const CatalogueText& text)
{
    if (text.source) field = translateText(text);
}

void applyEntry(CSensorParametersInfo& s, const SensorEntryRow& row)
{
    storeText(s.m_Name, row.name);
    s.m_SensorId = row.sensorId;
    s.m_ClassCode = row.classCode;
    s.m_FastestRateCode = row.fastestRate;
    s.m_SlowestRateCode = row.slowestRate;
    s.m_NumOfMeasurements = row.numOfMeasurements;
    s.m_DataKind = row.dataKind;
    s.m_InputOption = row.inputOption;
    s.m_InputFlag = row.inputFlag;
    s.m_UseLoggerCalibration = row.useLoggerCalibration;
    s.m_IdWindowLow = row.windows[0];
    s.m_IdWindowHigh = row.windows[1];
    s.m_IdWindow2Low = row.windows[2];
    s.m_IdWindow2High = row.windows[3];
    s.m_Gain = row.gain;
    s.m_Zero = row.zero;
    s.m_CalibrationKind = row.calibrationKind;
    s.m_ZeroAllowed = row.zeroAllowed;
    s.m_Icon = CSensorPicture(QString::fromLatin1(row.icon));
    s.m_TriggerAllowed = row.triggerAllowed;
    s.m_FilterCutoff = row.filterCutoff;
    s.m_AltId = row.altId;
    s.m_IseFlag = row.iseFlag;
    s.m_HiddenSensor = row.hidden;
    if (const SensorVariantRow* v = row.variants) {
        s.m_NumOfRanges = v->numRanges;
        s.m_NumOfSiblings = v->numSiblings;
        for (int i = 0; i < CSensorParametersInfo::s_MaxVariants; ++i) {
            s.m_RangeIds[i] = v->rangeIds[i];
            s.m_SiblingIds[i] = v->siblingIds[i];
            storeText(s.m_RangeNames[i], v->rangeNames[i]);
        }
    }
}

void applySlot(CSensorMeasuremntInfo& m, const SensorSlotRow& row)
{
    storeText(m.m_Name, row.name);
    storeText(m.m_Unit, row.unit);
    m.m_UnitPrefix = row.unitPrefix;
    storeText(m.m_RangeText, row.range);
    m.m_Comment = QString::fromLatin1(kSensorsList);
    m.m_Min = row.min;
    m.m_Max = row.max;
    m.m_ClampToMax = row.clampToMax;
    m.m_ClampToMin = row.clampToMin;
    m.m_FastestRateCode = row.fastestRate;
    m.m_SlowestRateCode = row.slowestRate;
    if (row.defaultActive) m.m_DefaultActive = true;
}

struct IseRow
{
    const char* name;
    double minConcentration, maxConcentration, mvPerCount, mvAtZeroCount, slope, offset;
};

const IseRow kIseRows[CSensorInfo::s_NumOfISE] = {
    {QT_TRANSLATE_NOOP("CSensorInfo", "Ammonium"), 0.1, 14000, 0.147923372, -302.873, 56, 0},
    {QT_TRANSLATE_NOOP("CSensorInfo", "Bromide"), 0.4, 79000, 0.147923372, -302.873, -56, 169.715},
    {QT_TRANSLATE_NOOP("CSensorInfo", "Calcium"), 0.02, 40000, 0.09165521, -187.664, 28, 2},
    {QT_TRANSLATE_NOOP("CSensorInfo", "Chloride"), 1.8, 35000, 0.147923372, -302.873, -56, 286},
    {QT_TRANSLATE_NOOP("CSensorInfo", "Fluoride"), 0.02, 1000000, 0.147923372, -302.873, -56, 120},
    {QT_TRANSLATE_NOOP("CSensorInfo", "Lead"), 0.2, 1000000, 0.09165521, -187.664, 28, -136.428},
    {QT_TRANSLATE_NOOP("CSensorInfo", "Nitrate"), 0.1, 14000, 0.147923372, -302.873, -56, 168},
    {QT_TRANSLATE_NOOP("CSensorInfo", "Potassium"), 0.04, 36000, 0.147923372, -302.873, 56, -6},
    {QT_TRANSLATE_NOOP("CSensorInfo", "Sodium"), 0.1, 23000, 0.147923372, -302.873, 56, -12},
};

const CatalogueText kIseAmplifier = QT_TRANSLATE_NOOP3("CSensorInfo", "ISE Amplifier", "ISE sensor");

} // namespace

// ---------------------------------------------------------------------------------------------

CSensorMeasuremntInfo::CSensorMeasuremntInfo()
    : m_UnitPrefix(0), m_Min(0), m_Max(0), m_ClampToMax(true), m_ClampToMin(true), m_FastestRateCode(999),
      m_SlowestRateCode(999), m_DefaultActive(false)
{
}

CSensorMeasuremntInfo::~CSensorMeasuremntInfo() = default;

CSensorParametersInfo::CSensorParametersInfo()
    : m_ClassCode(0), m_FastestRateCode(0), m_SlowestRateCode(0), m_NumOfMeasurements(0), m_ExtraSamplesA(0),
      m_ExtraSamplesB(0), m_IdWindowLow(0), m_IdWindowHigh(0), m_IdWindow2Low(0), m_IdWindow2High(0),
      m_DataKind(0), m_InputOption(0), m_InputFlag(false), m_UseLoggerCalibration(false), m_SensorId(0),
      m_Gain(0), m_Zero(0), m_CalibrationKind(0), m_ZeroAllowed(false), m_NumOfRanges(0),
      m_NumOfSiblings(0), m_SiblingIds{0, 0, 0, 0}, m_RangeIds{0, 0, 0, 0}, m_TriggerAllowed(true),
      m_IseFlag(false), m_HiddenSensor(false), m_FilterCutoff(-1), m_AltId(-1)
{
}

CSensorParametersInfo::CSensorParametersInfo(const CSensorParametersInfo& other) = default;
CSensorParametersInfo& CSensorParametersInfo::operator=(const CSensorParametersInfo& other) = default;
CSensorParametersInfo::~CSensorParametersInfo() = default;

const CSensorMeasuremntInfo* CSensorParametersInfo::GetMeasurement(int slot) const
{
    if (slot < 0 || slot >= s_MaxMeasurements) return nullptr;
    return &m_Measurements[slot];
}

ISEInfo::ISEInfo()
    : m_MinConcentration(0), m_MaxConcentration(0), m_MvPerCount(0), m_MvAtZeroCount(0), m_Slope(0),
      m_Offset(0)
{
}

// ---------------------------------------------------------------------------------------------

CSensorInfo::CSensorInfo() : m_SensorCount(0), m_SensorCount2(0) {}

CSensorInfo::~CSensorInfo() = default;

const CSensorParametersInfo* CSensorInfo::GetSensorInfo(int index) const
{
    return IsValidIndex(index) ? &m_Sensors[index] : nullptr;
}

const CSensorMeasuremntInfo* CSensorInfo::GetMeasurementInfo(int index, int slot) const
{
    const CSensorParametersInfo* sensor = GetSensorInfo(index);
    return sensor ? sensor->GetMeasurement(slot) : nullptr;
}

void CSensorInfo::LoadSensorInfo()
{
    for (CSensorParametersInfo& sensor : m_Sensors)
        sensor.m_Measurements[0].m_DefaultActive = true;

    const SensorTableBlock blocks[] = {block0to37(), block38to84(), block85to126(), block127to148()};
    for (const SensorTableBlock& block : blocks) {
        int slot = 0;
        for (int e = 0; e < block.entryCount; ++e) {
            const SensorEntryRow& row = block.entries[e];
            if (!IsValidIndex(row.index)) continue;
            CSensorParametersInfo& sensor = m_Sensors[row.index];
            applyEntry(sensor, row);
            // The measurement rows follow their entries in the same order.
            for (; slot < block.measurementCount && block.measurements[slot].index == row.index; ++slot) {
                const SensorSlotRow& s = block.measurements[slot];
                if (s.slot >= 0 && s.slot < CSensorParametersInfo::s_MaxMeasurements)
                    applySlot(sensor.m_Measurements[s.slot], s);
            }
            if (row.index == 131) initISE();
        }
    }
}

void CSensorInfo::initISE()
{
    for (int k = 0; k < s_NumOfISE; ++k) {
        const IseRow& row = kIseRows[k];
        ISEInfo& ise = m_ISEInfo[k];
        ise.m_Name = getISEName(s_FirstISEId + k);
        ise.m_MinConcentration = row.minConcentration;
        ise.m_MaxConcentration = row.maxConcentration;
        ise.m_MvPerCount = row.mvPerCount;
        ise.m_MvAtZeroCount = row.mvAtZeroCount;
        ise.m_Slope = row.slope;
        ise.m_Offset = row.offset;
    }
}

QString CSensorInfo::getISEName(int id) const
{
    if (id >= s_FirstISEId && id <= s_LastISEId)
        return QCoreApplication::translate(kContext, kIseRows[id - s_FirstISEId].name);
    return translateText(kIseAmplifier);
}

ISEInfo CSensorInfo::getISEInfo(int id) const
{
    if (id >= s_FirstISEId && id <= s_LastISEId) return m_ISEInfo[id - s_FirstISEId];
    // No electrode chosen (or an id from a damaged setup): the amplifier's plain 0..5 range,
    // never a read past the table.
    ISEInfo none;
    none.m_MinConcentration = 0;
    none.m_MaxConcentration = 5;
    return none;
}

int CSensorInfo::GetIndexbyID(int id) const
{
    for (int k = 0; k < s_NumOfSensors; ++k)
        if (int(m_Sensors[k].m_SensorId) == id) return k;
    return -1;
}

QPixmap CSensorInfo::GetIconByID(int id) const
{
    QPixmap icon(QStringLiteral(":/images/Sensors/Sensor-Icon.png"));
    if (id >= 0) {
        for (int k = 71; k < s_NumOfSensors; ++k)
            if (int(m_Sensors[k].m_SensorId) == id) return m_Sensors[k].m_Icon;
        return icon;
    }
    if (id == -103 || id == -102) return icon;
    if (id == -101) return QPixmap(QStringLiteral(":/images/Sensors/Microphone.png"));
    if (id == -100) return QPixmap(QStringLiteral(":/images/Sensors/Acceleration.png"));
    for (int k = 0; k <= 70; ++k)
        if (m_Sensors[k].m_AltId == id) return m_Sensors[k].m_Icon;
    return icon;
}

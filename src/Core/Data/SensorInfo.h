#pragma once
// The built-in sensor catalogue: every sensor type a logger can report, addressed by catalogue
// index 0..148 (index 0 "Empty" means no sensor), plus the nine ion-selective electrodes.
// Filled once at start-up by LoadSensorInfo and read without locks afterwards.
#include <QPixmap>
#include <QString>

// A sensor's picture, decoded when first drawn: the catalogue is filled at start-up and most
// of its pictures are never shown in a session. Used on the interface thread only.
class CSensorPicture
{
public:
    CSensorPicture() = default;
    explicit CSensorPicture(const QString& path) : m_Path(path) {}
    const QPixmap& pixmap() const
    {
        if (!m_bLoaded) {
            m_bLoaded = true;
            if (!m_Path.isEmpty())
                m_Pixmap.load(m_Path);
        }
        return m_Pixmap;
    }
    operator const QPixmap&() const { return pixmap(); }
    bool isNull() const { return pixmap().isNull(); }
    QImage toImage() const { return pixmap().toImage(); }

private:
    QString m_Path;
    mutable QPixmap m_Pixmap;
    mutable bool m_bLoaded = false;
};

// One measurement of a sensor type.
class CSensorMeasuremntInfo
{
public:
    CSensorMeasuremntInfo();
    ~CSensorMeasuremntInfo();

    QString m_Name;
    QString m_Unit;
    short m_UnitPrefix; // 0 none, 1 "k", 2 "m", 3 micro (-1 on a few slots nobody counts)
    QString m_RangeText;
    QString m_Comment;
    double m_Min; // in the unit as the prefix scales it
    double m_Max;
    bool m_ClampToMax;
    bool m_ClampToMin;
    short m_FastestRateCode; // 999: no limit of its own
    short m_SlowestRateCode; // 999: no limit of its own
    bool m_DefaultActive;
};

// One sensor type.
class CSensorParametersInfo
{
public:
    static constexpr int s_MaxMeasurements = 8;
    static constexpr int s_MaxVariants = 4;

    CSensorParametersInfo();
    CSensorParametersInfo(const CSensorParametersInfo& other);
    CSensorParametersInfo& operator=(const CSensorParametersInfo& other);
    ~CSensorParametersInfo();

    // The slot of a measurement, or null when the slot number lies outside 0..7. Slots at or
    // above m_NumOfMeasurements exist but are not in use.
    const CSensorMeasuremntInfo* GetMeasurement(int slot) const;

    QString m_Name;
    short m_ClassCode;
    short m_FastestRateCode;
    short m_SlowestRateCode;
    short m_NumOfMeasurements;
    CSensorMeasuremntInfo m_Measurements[s_MaxMeasurements];
    short m_ExtraSamplesA;
    short m_ExtraSamplesB;
    short m_IdWindowLow;
    short m_IdWindowHigh;
    short m_IdWindow2Low;
    short m_IdWindow2High;
    unsigned short m_DataKind;
    unsigned char m_InputOption;
    bool m_InputFlag;
    bool m_UseLoggerCalibration;
    short m_SensorId;
    float m_Gain;
    int m_Zero;
    CSensorPicture m_Icon;
    int m_CalibrationKind; // 0 none, 1 one point, 2 two points, 3 factor, 4 wheel radius
    bool m_ZeroAllowed;
    int m_NumOfRanges;
    int m_NumOfSiblings;
    int m_SiblingIds[s_MaxVariants];
    int m_RangeIds[s_MaxVariants];
    QString m_RangeNames[s_MaxVariants];
    bool m_TriggerAllowed;
    bool m_IseFlag;
    bool m_HiddenSensor;
    double m_FilterCutoff; // Hz; negative: no filter
    int m_AltId;           // secondary (negative) id; -1 none
};

// One ion-selective electrode (ISE id 5000 + record number).
class ISEInfo
{
public:
    ISEInfo();

    QString m_Name;
    double m_MinConcentration; // ppm
    double m_MaxConcentration; // ppm
    double m_MvPerCount;
    double m_MvAtZeroCount;
    double m_Slope;  // mV per decade of concentration
    double m_Offset; // mV at 1 ppm
};

class CSensorInfo
{
public:
    static constexpr int s_NumOfSensors = 149;
    static constexpr int s_NumOfISE = 9;
    static constexpr int s_FirstISEId = 5000;
    static constexpr int s_LastISEId = s_FirstISEId + s_NumOfISE - 1;
    static constexpr const char* s_DefaultIconPath = ":/images/Sensors/Sensor-Icon.png";

    CSensorInfo();
    virtual ~CSensorInfo();

    // Fills all 149 sensor types (and, between entries 131 and 132, the electrode table),
    // translating the texts with the translators installed now. Call once, before any reader.
    void LoadSensorInfo();

    // Electrode table.
    void initISE();
    QString getISEName(int id) const;
    ISEInfo getISEInfo(int id) const;

    // Lookups by the id a logger reports (or by a secondary id for the icon).
    int GetIndexbyID(int id) const;
    QPixmap GetIconByID(int id) const;

    // Translates again the texts written with "²" (light and UV entries).
    void FixStringTranslation();

    // Catalogue indices come back from settings, workspace files and loggers. Every reader of
    // such a stored index goes through these: an index outside 0..148 gives null (or false)
    // and never reaches past the table.
    static bool IsValidIndex(int index) { return index >= 0 && index < s_NumOfSensors; }
    const CSensorParametersInfo* GetSensorInfo(int index) const;
    const CSensorMeasuremntInfo* GetMeasurementInfo(int index, int slot) const;

    // The indices of the two electrode inputs (130, 131).
    static bool IsISEIndex(int index) { return (index & ~1) == 130; }

    CSensorParametersInfo m_Sensors[s_NumOfSensors];
    unsigned char m_SensorCount;
    unsigned char m_SensorCount2;
    ISEInfo m_ISEInfo[s_NumOfISE];

private:
    CSensorInfo(const CSensorInfo&) = delete;
    CSensorInfo& operator=(const CSensorInfo&) = delete;
};

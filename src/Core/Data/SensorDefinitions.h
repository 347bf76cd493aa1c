#pragma once
// A small persistent table of up to ten user-defined analog sensors, kept in the file
// "Defined Sensors.ds" in the working directory. Each entry turns two calibration points into
// the integer conversion parameters (fraction, decimal scale, offset) the Quasel logger uses.
#include <QByteArray>
#include <QMutex>
#include <QString>

class QDataStream;

struct DefinedSensorsInfoStruct
{
    QString m_Name;
    QString m_Unit;
    double m_Voltage1 = 0;
    double m_Voltage2 = 0;
    double m_Value1 = 0;
    double m_Value2 = 0;
    int m_Multiplier = 0;
    int m_Divider = 1;
    int m_DecimalScale = 0;
    int m_CountOffset = 0;
};

class CSensorsDefinition
{
public:
    static constexpr int s_MaxDefined = 10;
    // Larger files are refused unread: ten entries take a few hundred bytes.
    static constexpr qint64 s_MaxFileSize = 1 << 20;

    CSensorsDefinition();
    virtual ~CSensorsDefinition();

    void Initialize();
    // Reads the file (true on a clean read); a missing file is created with the defaults.
    // A damaged or foreign file leaves the table as it was.
    bool Load();
    // Writes the file through a temporary file whose every write is checked, so a failed
    // write (full disk, read-only folder) returns false and keeps the previous file.
    bool Save();
    // The reading and writing of Load and Save on bytes in memory (Load's size cap included).
    bool LoadFromBytes(const QByteArray& bytes);
    QByteArray SaveToBytes();
    // True when the table may be written over the file: it was read cleanly, started from the
    // defaults for a missing file, or was changed here. A refused file is never overwritten on
    // destruction.
    bool MaySaveOnExit() const { return m_bReadCleanly || m_bChanged; }
    // Reads or writes the file body depending on the direction set by Load and Save. Reading
    // fills a scratch table and replaces the current one only when the whole body was read.
    bool Serialize(QDataStream& stream);
    void RestoreDefaults();

    QString GetFileName() const { return m_FileName; }
    short GetTotalNewDefinedSensors() const { return m_TotalDefined; }
    bool HaveMoreRoom() const { return m_TotalDefined < s_MaxDefined; }
    bool AddNewSensor(QString name);
    void SetSensorInfo(short index, QString& name, QString& unit, double voltage1, double voltage2,
                       double value1, double value2);
    QString GetSensorName(short index) const;
    DefinedSensorsInfoStruct GetDefinedSensorInfo(short index) const;
    DefinedSensorsInfoStruct* GetDefinedSensorsInfo(short index);

    // Both recompute the entry's four integers; false (with the neutral parameters 1/255, scale
    // 0, offset 0) when the points give no usable conversion or the index is outside 0..9.
    bool CalculateSensorsParameters(short index);
    bool CalculateQuaselSensorsParameters(short index);
    static void FindClosestMulDiv(double target, int& multiplier, int& divider);

private:
    bool ReadBody(QDataStream& stream);
    void WriteBody(QDataStream& stream);

    QString m_FileName;
    short m_TotalDefined;
    DefinedSensorsInfoStruct m_DefinedSensors[s_MaxDefined];
    bool m_Storing;
    bool m_bReadCleanly = false;
    bool m_bChanged = false;
    bool m_bOlderLayout = false;  // the last read met a file of the first versions
    QMutex m_Mutex;

    CSensorsDefinition(const CSensorsDefinition&) = delete;
    CSensorsDefinition& operator=(const CSensorsDefinition&) = delete;
};

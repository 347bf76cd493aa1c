#pragma once
#include <QRecursiveMutex>
// User calibration per catalogue index. Lives in memory only and is put back to its defaults
// whenever a logger's detection refreshes the sensor information.
#include <QDateTime>
#include <QMetaType>
#include <QString>

class CSensorInfo;

// What the calibration dialog hands over. A default-built record is "no calibration".
struct CalibrationValues
{
    int type = 0;
    double real1 = -1.0;      // value typed for point 1
    double measured1 = -1.0;  // reading shown when point 1 was locked
    int raw1 = -1;
    double real2 = -1.0;
    double measured2 = -1.0;
    int raw2 = -1;
    QDateTime dateTime;
    int iseId = -1;
    // The measurement whose readings the points were locked on; the real values are in its unit.
    int measurement = 0;
};
Q_DECLARE_METATYPE(CalibrationValues)

// One record of the table: the dialog's fields, then what the conversion uses.
struct SensorCalibrationInfo
{
    int type = 0;  // 0 none, 1 offset, 2 two-point line, 3 drop volume, 4 wheel radius
    double real1 = -1.0;
    double measured1 = -1.0;
    int raw1 = -1;
    double real2 = -1.0;
    double measured2 = -1.0;
    int raw2 = -1;
    QDateTime dateTime;
    int iseId = -1;
    double factor = 0.0;  // drop volume (type 3) or wheel radius in metres (type 4)
    double slope = 0.0;
    double offset = 0.0;
    // The measurement the two-point line is in (see CalibrationValues).
    int measurement = 0;
};

class CSensorsCalibration
{
public:
    static constexpr int s_NumOfRecords = 149;

    // The catalogue gives the calibration kinds and the electrode constants; it may be set
    // later (SetSensorInfo) but must be there before the ISE fit or a per-sensor restore.
    explicit CSensorsCalibration(const CSensorInfo* sensorInfo = nullptr);
    virtual ~CSensorsCalibration();

    void SetSensorInfo(const CSensorInfo* sensorInfo) { m_pSensorInfo = sensorInfo; }

    // Registers CalibrationValues with the meta-type system (idempotent).
    static void RegisterMetaType();

    void setCalibrationValues(const CalibrationValues& values, int index);
    void setISECalibration(int index, int electrodeId);
    void RestoreSensorDefault(int index);
    void RestoreDefaults();

    void LoadSensorsCalibrationInfo() { RestoreDefaults(); }
    void SaveSensorsCalibrationInfo() {}
    void init() {}
    void setUseCalibration(bool, int) {}

    // The record of a catalogue index, or null outside 0..148.
    SensorCalibrationInfo* GetRecord(int index);
    const SensorCalibrationInfo* GetRecord(int index) const;
    // A copy of the record; an index outside the table gives a default record (type 0).
    SensorCalibrationInfo GetCalibration(int index) const;

    const QString& GetFilePath() const { return m_FilePath; }
    int GetNumOfRecords() const { return m_NumOfRecords; }
    void SetNumOfRecords(int count) { m_NumOfRecords = count; }

private:
    const CSensorInfo* m_pSensorInfo;
    QString m_FilePath;
    int m_NumOfRecords;
    SensorCalibrationInfo m_Records[s_NumOfRecords];
    // The records change on the interface thread (calibration dialog, sensor updates) while a
    // logger thread converts with them: the changes and GetCalibration's copy go under it.
    mutable QRecursiveMutex m_Lock;
};

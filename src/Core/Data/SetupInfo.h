#pragma once
// The current experiment setup: the sensors selected on the logger's channels with the setup
// of each of their measurements, rate, samples, trigger, detection mode, timing and manual-X
// values and the connected loggers' statuses. The setup controller owns the one record.
#include "Core/Base/LoggerStatus.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>

// The setup of one measurement of a selected sensor.
class CMeasurementSetup
{
public:
    bool m_bActive = false;
    QColor m_Color;
    int m_PlotStyle = 0;      // 0 solid, 1 dashed, 2 line with dots, 3 dots only
    int m_ScaleType = 0;      // 0 automatic, 1 fixed from minimum to maximum
    double m_Min = 0.0;
    double m_Max = 0.0;
    QString m_Name;
    QString m_Unit;
    bool m_bZero = false;     // subtract m_ZeroLevel from every converted value
    double m_ZeroLevel = 0.0;
};

// One selected sensor on a channel. It owns its measurement setups.
class CSesnorProperties
{
public:
    CSesnorProperties() = default;
    ~CSesnorProperties();
    CSesnorProperties(const CSesnorProperties&) = delete;
    CSesnorProperties& operator=(const CSesnorProperties&) = delete;

    int GetNumMeasurements() const { return m_MeasurementList.size(); }
    int ActiveMeasurementCount() const;
    bool IsActive() const;
    CMeasurementSetup* GetMeasurement(int index) const;

    QString m_Name;
    int m_Channel = -1;        // its position in the selected-sensor list
    int m_Port = -1;           // the logger port reported for it; -1 without a status
    int m_SensorIndex = 0;     // catalogue index; 0 = "Empty"
    bool m_bPlaceholder = false;   // catalogue data kind 153
    QList<CMeasurementSetup*> m_MeasurementList;
};

// An entry of the set-calibration request.
struct SensorSetCalibrationList
{
    unsigned char m_Channel = 0;
    unsigned char m_Index = 0;
    float m_Gain = 0.0f;
    float m_Offset = 0.0f;
};

// Factor and offset per list position, written by the Pelorin handler for each sample.
struct SetupCalibrationPair
{
    float m_A = 1.0f;
    float m_B = 0.0f;
};

class CSetupInfo : public QObject
{
    Q_OBJECT
public:
    static constexpr int NumISEChannels = 8;

    explicit CSetupInfo(QObject* parent = nullptr);

    void Reset();
    CSesnorProperties* GetSelectedSensor(int position) const;
    CSesnorProperties* GetSensorProperties(int catalogueIndex) const;
    CMeasurementSetup* Measurement(int channel, int catalogueIndex, int measurement) const;
    int GetActiveMeasurementCount() const;
    int GetActiveSensorsCount() const;
    int GetNumSelectedSensors() const;
    int GetSensorListIndex(unsigned char* out) const;
    bool ISEHasSelections() const;
    bool xManualRunEnabled() const;
    // The ISE id chosen for a channel; 0 (none) outside the table.
    int GetISEId(int channel) const;
    // The trigger kind the logger is told and tests in raw codes: above and below swap places
    // where the level's value runs against the codes as the logger compares them (a falling
    // calibration; on a logger that compares codes as they come, any falling sensor too).
    int RawTriggerType() const;

    // The list does not own its entries (the setup controller does).
    QList<CSesnorProperties*> m_SelectedSensorList;
    int m_RateCode = 0;
    int m_NumberOfSamples = -1;
    int m_TriggerType = 0;
    int m_TriggerChannel = -1;
    int m_TriggerLevel = -1;         // level entry index, or the delay in ms for type 5
    int m_TriggerValue = 0;
    // The trigger's kind is sent turned round (RawTriggerType); kept by the setup controller.
    bool m_bTriggerFalls = false;
    bool m_bAutoDetect = true;
    unsigned char m_RangeChannel = 0;
    unsigned char m_RangeValue = 0;
    unsigned char m_WriteIdChannel = 0;
    short m_WriteIdValue = 0;
    int m_XAxisChannel = -1;
    int m_XAxisMeasurement = -1;
    bool m_bXAxisDefault = true;
    int m_TimingMeasurement = -1;    // 0 time, 1 velocity, 2 acceleration
    int m_TimingApproach = -1;       // 0 one gate, 1 between gates, 2 pendulum or collision
    double m_TimingWidth = 3.0;      // cm
    double m_TimingDistance = 20.0;  // cm
    int m_ISEId[NumISEChannels] = {0, 0, 0, 0, 0, 0, 0, 0};
    bool m_bManualX = false;
    QString m_ManualXName;
    QString m_ManualXUnit;
    QList<CCurrentLoggerStatus> m_LoggerStatusList;
    QList<SensorSetCalibrationList> m_CalibrationList;
    double m_ManualXValue = 0.0;
    SetupCalibrationPair m_CalibrationPairs[NumISEChannels];

private:
    bool countsAllMeasurements(int position, const CSesnorProperties* sensor) const;
};

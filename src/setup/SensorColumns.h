#pragma once
// The sensor and range cells of a full-setup row. The sensor cell shows the sensor the logger
// reported, or lets the user pick one in manual detection (and the electrode of the amplifier
// inputs); the range cell shows the sensor's range and switches it on the logger, asking again
// until the logger confirms.
#include "setup/SetupColumnRules.h"
#include "setup/SetupColumns.h"

#include <QStringList>

class CSetupWindow;
class QLabel;

class FullSetupSensorNameColumn : public VerticalLayoutWidget
{
    Q_OBJECT
public:
    FullSetupSensorNameColumn(int channel, QWidget* parent = nullptr);
    // The controller answers which logger is detected; without one no logger rule applies.
    void setSetupWindow(CSetupWindow* setup) { m_pSetupWindow = setup; }
    void init();
    void setNames(const QStringList& names, int reportedSensor, int iseId);
    void setAuto(int sensorIndex);
    void setManual(int sensorIndex);
    int currentSensor() const { return m_CurrentSensor; }
    int channel() const { return m_Channel; }

    QComboBox* mainCombo() const { return m_pMainCombo; }
    QComboBox* subCombo() const { return m_pSubCombo; }
    QLabel* label() const { return m_pLabel; }
    const SetupColumnRules::SensorNameMap& sensorMap() const { return m_Map; }

signals:
    void sensorModified(int newComboIndex, int index);
    void subSensorModified(int itemId, int sourceChannel);

public slots:
    void ComboModified(int comboIndex);
    void subSensorsComboModified(int comboIndex);

private:
    QComboBox* m_pMainCombo;
    QComboBox* m_pSubCombo;
    QLabel* m_pLabel;
    int m_Channel;
    int m_CurrentSensor = 0;
    QStringList m_Names;
    SetupColumnRules::SensorNameMap m_Map;
    CSetupWindow* m_pSetupWindow = nullptr;
};

class Ui_FullSetupSensorRangeColumn
{
public:
    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

class FullSetupSensorRangeColumn : public VerticalLayoutWidget
{
    Q_OBJECT
public:
    static constexpr int s_RangeResendMs = 5000;

    FullSetupSensorRangeColumn(int channel, int sensorIndex, QWidget* parent = nullptr);
    ~FullSetupSensorRangeColumn() override;
    void setSetupWindow(CSetupWindow* setup) { m_pSetupWindow = setup; }
    void init();
    void update(int sensorIndex);

    bool isPending() const { return m_bPending; }
    QComboBox* combo() const { return m_pCombo; }
    QLabel* label() const { return m_pLabel; }

signals:
    void sensorRangeModified(int newRangeIndex, int index);

public slots:
    void rangeComboModified(int index);
    void onChangeRangeTimer();
    void onLoggerSetRangeFinished();

private:
    void showRange();

    Ui_FullSetupSensorRangeColumn* ui;
    QLabel* m_pLabel;
    QComboBox* m_pCombo;
    int m_SensorIndex;
    int m_Channel;
    CSetupWindow* m_pSetupWindow = nullptr;
    bool m_bPending = false;
    int m_PendingRangeIndex = 0;
    int m_PendingChannel = 0;
};

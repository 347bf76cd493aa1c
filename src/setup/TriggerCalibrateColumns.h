#pragma once
// The trigger and calibration cells of a full-setup row. The trigger cell makes the row's
// sensor the trigger of the run (one row of the table at a time) and opens the trigger dialog;
// the calibration cell shows whether the sensor is calibrated and opens the dialog that suits
// it: the drop volume for the drop counters, the calibration dialog for every other sensor.
#include "Core/Data/SensorsCalibration.h"

#include <QStringList>
#include <QWidget>

class CalibrationDialog;
class CSetupWindow;
class DropCounterCalibration;
class IPrompter;
class QCheckBox;
class QHBoxLayout;
class QPushButton;
class QRadioButton;
class QSpacerItem;
class QVBoxLayout;
class TriggerDialog;

class Ui_FullSetupTriggerColumn
{
public:
    QHBoxLayout* horizontalLayout_2 = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QRadioButton* TriggerRadioButton = nullptr;
    QPushButton* SetButton = nullptr;
    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

class FullSetupTriggerColumn : public QWidget
{
    Q_OBJECT
public:
    FullSetupTriggerColumn(int channel, int sensorIndex, CSetupWindow* setup, QWidget* parent = nullptr);
    ~FullSetupTriggerColumn() override;

    void init();
    // Its dialog runs through the prompter of the window that made it (the shell's until then).
    void setPrompter(IPrompter* prompter);

    QRadioButton* getTriggerRadioButton() const;
    QPushButton* setButton() const;
    void setDisabled(bool disabled);
    void updateTriggerList(int sensorIndex);
    // The level list built again after a calibration or a zero of the row's sensor; the row's
    // trigger, when it is the run's, is reported again when its raw code changed.
    void refreshLevels();
    // Greyed for a row whose sensor cannot trigger, with the reason as its tooltip.
    void setTriggerAllowed(bool hasSensor, const QString& refusal);
    TriggerDialog* dialog() const { return m_pTriggerDialog; }
    bool isSelected() const { return m_bSelected; }

signals:
    void sensorTriggerModified(bool triggerActive, int index, int triggerLevelIndex, int triggerLevelValue,
                               int triggerType);

public slots:
    void TriggerToggled(bool checked);
    void TriggerClicked(bool);
    void on_SetButton_released();

private:
    void uncheckRadioButton();

    int m_Channel;
    CSetupWindow* m_pSetupWindow;
    int m_SensorIndex;
    TriggerDialog* m_pTriggerDialog;
    IPrompter* m_pPrompter = nullptr;
    bool m_bSelected = false;
    Ui_FullSetupTriggerColumn* ui;
};

class Ui_FullSetupCalibrateColumn
{
public:
    QVBoxLayout* verticalLayout_3 = nullptr;
    QVBoxLayout* verticalLayout_2 = nullptr;
    QHBoxLayout* horizontalLayout_2 = nullptr;
    QCheckBox* useCheckBox = nullptr;
    QPushButton* setButton = nullptr;
    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

class FullSetupCalibrateColumn : public QWidget
{
    Q_OBJECT
public:
    FullSetupCalibrateColumn(int channel, CSetupWindow* setup, QWidget* parent = nullptr);
    ~FullSetupCalibrateColumn() override;

    void init();
    // Its questions and those of its dialogs go to the prompter of the window that made it
    // (the shell's until then).
    void setPrompter(IPrompter* prompter);

    void setCalibrationValues(const CalibrationValues& values);
    void setSensorID(int sensorIndex, int iseId);
    void setReading(double reading, int raw, int measurement = 0);
    // The measurement the row shows (its last "Set >"); a new calibration goes on it when ticked.
    void setShownMeasurement(int measurement) { m_ShownMeasurement = measurement; }
    // The measurement a calibration opened now goes on, and whose readings it wants.
    int calibrationMeasurement() const;
    void setDisabled(bool disabled);
    QCheckBox* useCheckBox() const;
    QPushButton* setButton() const;
    CalibrationDialog* calibrationDialog() const { return m_pCalibrationDialog; }
    DropCounterCalibration* dropCounterDialog() const { return m_pDropCounter; }

signals:
    void calibrationChanged(CalibrationValues calibrationValues, int index);
    void UseCalibrationChanged(bool use, int index);
    // The dialog closed with the conversion as it was (cancelled): the zero it switched off
    // for the calibration may come back.
    void calibrationLeftAsItWas(int index);

public slots:
    void setCalibration(const CalibrationValues& values);
    void UseChecked(bool use);
    void on_setButton_clicked();

private:
    // The names of the row's measurements whose zero is on.
    QStringList zeroedMeasurements() const;

    int m_Channel;
    CSetupWindow* m_pSetupWindow;
    Ui_FullSetupCalibrateColumn* ui;
    CalibrationDialog* m_pCalibrationDialog;
    DropCounterCalibration* m_pDropCounter;
    IPrompter* m_pPrompter = nullptr;
    int m_SensorIndex = -1;
    int m_IseId = 0;
    int m_ShownMeasurement = 0;
};

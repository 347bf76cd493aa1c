#pragma once
// Sets the volume of one drop for a drop counter; it writes the calibration table itself.
#include "Core/Data/SensorsCalibration.h"

#include <QDialog>

class CSetupWindow;
class IPrompter;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class Ui_DropCounterCalibration
{
public:
    QGroupBox* groupBox = nullptr;
    QLabel* label = nullptr;
    QLineEdit* VolumeLineEdit = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* defaultButton = nullptr;
    void setupUi(QDialog* dialog);
    void retranslateUi(QDialog* dialog);
};

class DropCounterCalibration : public QDialog
{
    Q_OBJECT
public:
    explicit DropCounterCalibration(QWidget* parent = nullptr);
    ~DropCounterCalibration() override;
    void setSetupWindow(CSetupWindow* setup) { m_pSetupWindow = setup; }
    // Its questions go to the prompter of the window that made it (the shell's until then).
    void setPrompter(IPrompter* prompter) { m_pPrompter = prompter; }
    void setSensorID(int sensorIndex);
    int sensorIndex() const { return m_SensorIndex; }
    Ui_DropCounterCalibration* form() const { return ui; }

signals:
    void calibrationModified(CalibrationValues calibrationValues);
    void CalibrationIsOn(bool on);

private slots:
    void onOK();
    void onCancel();
    void onDefaults();

private:
    SensorCalibrationInfo* record() const;
    void showVolume();

    Ui_DropCounterCalibration* ui;
    CSetupWindow* m_pSetupWindow = nullptr;
    IPrompter* m_pPrompter = nullptr;
    int m_SensorIndex = -1;
};

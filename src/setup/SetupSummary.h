#pragma once
// The setup summary: the compact view of the current setup shown first, one line per sensor
// with its active measurements below it, the sampling rate and the run's duration. A sensor is
// switched on or off and a measurement removed from here; during a run it is read-only.
#include "windowbase/KorvantaWindow.h"

#include <QColor>
#include <QWidget>

class CSensorInfo;
class CSensorsCalibration;
class CSetupInfo;
class CSetupWindow;
class QCheckBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QTableWidget;
class QVBoxLayout;

class Ui_CSetupSummaryRow
{
public:
    QCheckBox* sesnorCheckBox = nullptr;
    QLabel* sensorIconLabel = nullptr;
    QLabel* sensorNameLabel = nullptr;
    QLabel* calibratedIconLabel = nullptr;
    QLabel* zeroIconLabel = nullptr;
    QLabel* portLabel = nullptr;
    QLabel* portNumberLabel = nullptr;
    void setupUi(QWidget* form);
};

class CSetupSummaryRow : public QWidget
{
    Q_OBJECT
public:
    explicit CSetupSummaryRow(QWidget* parent = nullptr);
    ~CSetupSummaryRow() override;
    void setSetup(CSetupInfo* setup, const CSensorInfo* catalogue, const CSensorsCalibration* calibration);
    void SetSensorIndexes(int sensorIndex, int measurementIndex);
    void UpdatePortLabel();
    void SetActive(bool active);
    void SetCheckEnabled(bool enabled);
    void setPairedPort(bool paired) { m_bPairedPort = paired; }
    int port() const;
    Ui_CSetupSummaryRow* form() const { return ui; }

signals:
    void activeSensorCheckboxClicked(int sensorIndex, int measurementIndex, bool checked);
    void propertiesButtonClicked();

public slots:
    void on_sesnorCheckBox_clicked();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Ui_CSetupSummaryRow* ui;
    QString m_Name;
    int m_SensorIndex = 0;
    int m_MeasurementIndex = 0;
    CSetupInfo* m_pSetup = nullptr;
    const CSensorInfo* m_pCatalogue = nullptr;
    const CSensorsCalibration* m_pCalibration = nullptr;
    bool m_bPairedPort = false;
};

class Ui_CSetupSummaryMeasurement
{
public:
    QLabel* measurementLabel = nullptr;
    QLabel* zeroIconLabel = nullptr;
    QLabel* triggerIconLabel = nullptr;
    void setupUi(QWidget* form);
};

class CSetupSummaryMeasurement : public QWidget
{
    Q_OBJECT
public:
    explicit CSetupSummaryMeasurement(QWidget* parent = nullptr);
    ~CSetupSummaryMeasurement() override;
    void setSetup(CSetupInfo* setup, const CSensorInfo* catalogue);
    void setMarks(bool trigger, bool zero);
    void SetSensorIndexes(int sensorIndex, int measurementIndex);
    QColor colour() const { return m_Colour; }
    Ui_CSetupSummaryMeasurement* form() const { return ui; }

signals:
    void closeMeasurementClicked(int sensorIndex, int measurementIndex);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Ui_CSetupSummaryMeasurement* ui;
    CSetupInfo* m_pSetup = nullptr;
    const CSensorInfo* m_pCatalogue = nullptr;
    int m_SensorIndex = 0;
    int m_MeasurementIndex = 0;
    QString m_Text;
    QColor m_Colour;
    bool m_bTrigger = false;
    bool m_bZero = false;
};

class Ui_CMinimalSetupWindow
{
public:
    QVBoxLayout* verticalLayout = nullptr;
    QTableWidget* SensorsTable = nullptr;
    QLabel* RateTitleLabel = nullptr;
    QLabel* RateLabel = nullptr;
    QLabel* DurationTitleLabel = nullptr;
    QLabel* DurationLabel = nullptr;
    QLabel* SetupIconLabel = nullptr;
    QPushButton* FullSetupButton = nullptr;
    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

class CMinimalSetupWindow : public CKorvantaWindow
{
    Q_OBJECT
public:
    CMinimalSetupWindow(QWidget* parent, Qt::WindowFlags flags);
    ~CMinimalSetupWindow() override;
    void setSetupWindow(CSetupWindow* setup) { m_pSetupWindow = setup; }
    void initWindow() override;
    int saveToFile(QDataStream*) override { return 0; }
    int loadFromFile(QDataStream*) override { return 0; }
    void updateMinimalSetupWindow();
    void removeAllRows();
    void addSeperator(int row);
    QLabel* rateLabel() const;
    QLabel* durationLabel() const;
    QTableWidget* table() const;
    Ui_CMinimalSetupWindow* form() const { return ui; }
    bool isRunning() const { return m_bRunning; }
    // A setup held for a logger that is away takes no edits here, as during a run: the
    // summary never differs from the greyed Full Setup.
    void setSetupHeld(bool held);
    bool takesEdits() const { return !m_bRunning && !m_bSetupHeld; }

public slots:
    void on_FullSetupButton_clicked();
    void SensorActiveCheckBoxClicked(int sensorIndex, int measrementIndex, bool checked);
    void SensorMeasurementClosed(int sensorIndex, int measrementIndex);
    void StartRunning();
    void EndRunning();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setRowsCheckEnabled(bool enabled);
    void statusChanged();

    Ui_CMinimalSetupWindow* ui;
    QWidget* m_pContent = nullptr;
    CSetupWindow* m_pSetupWindow = nullptr;
    bool m_bRunning = false;
    bool m_bSetupHeld = false;
};

#pragma once
// The full setup window: one row per logger channel made of the setup cells (port, sensor,
// range, icon, measurements, colour, plot style, scale, current reading, trigger,
// calibration), and below it the controls of the run as a whole (detection, sampling, rate,
// number of samples, duration, manual X values, X axis). It keeps no setup of its own: every
// edit goes to the setup controller, which stores it in the setup record.
#include "windowbase/KorvantaWindow.h"

#include <QColor>

class CSetupInfo;
class CSetupWindow;
class IPrompter;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class CSensorParametersInfo;

class Ui_CFullSetupWindow
{
public:
    QTableWidget* SensorsTable = nullptr;
    QLabel* DetectionModeLabel = nullptr;
    QComboBox* DetectionModeCombo = nullptr;
    QGroupBox* RateGroupBox = nullptr;
    QLabel* samplingLabel = nullptr;
    QComboBox* SamplingTypeCombo = nullptr;
    QLabel* label_2 = nullptr;
    QComboBox* RateComboBox = nullptr;
    QLabel* label_3 = nullptr;
    QComboBox* DurationComboBox = nullptr;
    QLabel* label_4 = nullptr;
    QLabel* DurationLabel = nullptr;
    QCheckBox* manualValuesCheckbox = nullptr;
    QLabel* xAxisTitleLabel = nullptr;
    QLineEdit* xaxisTitleLineEdit = nullptr;
    QLabel* xAxisUnitLabel = nullptr;
    QLineEdit* xAxisUnitLineEdit = nullptr;
    QGroupBox* groupBox = nullptr;
    QLabel* label_5 = nullptr;
    QComboBox* XAxisTypeCombo = nullptr;
    QPushButton* MinimalSetupButton = nullptr;
    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

class CFullSetupWindow : public CKorvantaWindow
{
    Q_OBJECT
public:
    enum Column {
        PortColumn = 0, NameColumn, RangeColumn, IconColumn, MeasurementColumn, ColorColumn, PlotColumn,
        ScaleColumn, ZeroColumn, TriggerColumn, CalibrateColumn, NumColumns
    };
    static constexpr int s_RowHeightPerMeasurement = 37;
    static constexpr int s_MinRowHeight = 70;
    static constexpr int s_ManualRows = 8;

    CFullSetupWindow(QWidget* parent, Qt::WindowFlags flags);
    ~CFullSetupWindow() override;

    void setSetupWindow(CSetupWindow* setup) { m_pSetupWindow = setup; }
    void initWindow() override;
    int saveToFile(QDataStream*) override { return 0; }
    int loadFromFile(QDataStream*) override { return 0; }
    Ui_CFullSetupWindow* form() const { return ui; }
    QTableWidget* table() const;
    // The prompter of the window's questions, its cells' and their dialogs': the host's.
    IPrompter* prompter() const;

    // Rows: a channel's row is found by the channel its sensor cell was built for.
    int findTableRow(int channel) const;
    void insertSourceChannel(int channel);
    void removeAllRows();
    void setPortColumn(int channel);
    void setNameColumn(int channel, bool autoChoice);
    void setRangeColumn(int channel);
    void setIconColumn(int channel);
    void setMeasurementColumn(int channel);
    void setColorColumn(int channel);
    void setPlotColumn(int channel);
    void setScaleColumn(int channel);
    void setZeroColumn(int channel);
    void setTriggerColumn(int channel);
    void setCalibrateColumn(int channel);
    void autoDetect();
    void manualDetect();
    void initDetectionType();

    // The controls of the run as a whole.
    void initSamplingType();
    void initRateAndDuration();
    int getCurrentRate() const;
    void updateDurationLabel();
    // Outside a run the controls take edits; during one they are held.
    void setRunControlsEnabled(bool enabled);
    void setRateEnabled(bool enabled);
    void setManualValuesEnabled(bool enabled);

    // Reloading a row for another sensor or another measurement.
    void updateNameColumn(int channel, int sensorIndex, bool autoDetect);
    void updateRangeColumn(int channel, int sensorIndex);
    void updateIconColumn(int channel, int sensorIndex);
    void updateMeasurementColumn(int channel, int sensorIndex);
    void updateColorColumn(int channel, int sensorIndex, int measurementIndex);
    void updatePlotColumn(int channel, int sensorIndex, int measurementIndex);
    void updateScaleColumn(int channel, int sensorIndex, int measurementIndex);
    void updateZeroColumn(int channel, int sensorIndex, int measurementIndex);
    void updateTriggerColumn(int channel, int sensorIndex);
    // Every row's trigger levels again: a calibration or a zero changed what the raw codes read as.
    void refreshTriggerLevels();
    void updateCalibrateColumn(int channel, int sensorIndex);
    void updatePortColumn(int) {}
    void UpdateMeasurements(int channel, int sensorIndex, bool first);
    void UpdateMeasurementCheck(int channel, int measurementIndex, bool checked);
    int getSensorIdAtSourceChannel(int channel) const;
    // The reading columns say "N/A" again: no live readings come any more.
    void showReadingsUnavailable();
    QColor getColorAtSourceChannel(int channel) const;
    int getPlotTypeAtSourceChannel(int channel) const;

    // The widget of a cell of the channel's row, or null.
    template <class T> T* cell(int channel, int column) const { return qobject_cast<T*>(cellWidget(channel, column)); }

public slots:
    void updateFullSetupWindow(int SensorID, int SourceChannel);
    void highlightMeasurementInfo(int SourceChannel, int measurementIndex);
    void snapshotHasArrived();
    void updateXAxisCombo();
    void updateManualX(bool manualMode);
    void subSensorChanged(int, int) {}
    void on_manualValuesCheckbox_clicked();
    void on_manualValuesCheckbox_stateChanged(int) {}
    void on_manualTitleEditted(const QString& newText);
    void on_manualUnitEditted(const QString& newText);
    void on_MinimalSetupButton_pressed();

    // Every control that takes the keyboard by Tab, in the order Tab visits them: the
    // detection mode, the sensor table row by row and cell by cell, then the controls below it.
    QList<QWidget*> tabChain() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QWidget* cellWidget(int channel, int column) const;
    int buildRow(int channel) const;
    void placeWidget(int channel, int column, QWidget* widget, int width);
    void setCellColour(int channel, int column, const QColor& colour);
    QColor cellColour(int channel, int column) const;
    QColor parityColour(int channel) const { return (channel & 1) ? m_OddColor : m_EvenColor; }
    int rowSensor(int channel) const;
    bool rowHasSensor(int channel) const;
    const CSensorParametersInfo* record(int sensorIndex) const;
    CSetupInfo* setup() const;
    int reportedSensor(int channel) const;
    double currentLoggerType() const;
    double activeLoggerType() const;
    void buildRowColumns(int channel, bool autoChoice);
    void addMeasurementEntries(int channel, int sensorIndex, bool fromSettings);
    void fixCursor();
    template <class T> T* activateCell(int channel, int column, int sensorIndex, int m);

    Ui_CFullSetupWindow* ui;
    QWidget* m_pCentralWidget = nullptr;
    QButtonGroup* m_pTriggerGroup;
    QColor m_OddColor;
    QColor m_EvenColor;
    QColor m_ActiveColor;
    CSetupWindow* m_pSetupWindow = nullptr;
    // The row being built: its sensor cell, which names its channel, is placed after the port.
    int m_BuildRow = -1;
    // False while the setup is held (a run, a logger away): its controls take no edits.
    bool m_bRunControlsEnabled = true;

public:
    // Only the first refill of the program run takes rate and samples from the logger.
    static bool s_bRateChosenOnce;
};

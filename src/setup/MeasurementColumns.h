#pragma once
// The measurement cells of a full-setup row: which measurements of the sensor are recorded and
// which one the row's other cells edit, the zero of that measurement, and its graph scale.
#include <QList>
#include <QWidget>

class CSetupWindow;
class QButtonGroup;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSignalMapper;
class QTableWidget;
class QVBoxLayout;

class Ui_FullSetupMeasurementsColumn
{
public:
    QVBoxLayout* verticalLayout = nullptr;
    QTableWidget* MeasurementTable = nullptr;
    void setupUi(QWidget* form);
};

class FullSetupMeasurementsColumn : public QWidget
{
    Q_OBJECT
public:
    FullSetupMeasurementsColumn(int channel, QWidget* parent = nullptr);
    ~FullSetupMeasurementsColumn() override;

    void addMeasurement(int measurementIndex, const QString& name);
    void addSeperators();
    void clearMeasurements();
    void setMeasurement(int measurementIndex, bool active);
    const QList<bool>& measurements() const { return m_Active; }
    QTableWidget* table() const;
    QButtonGroup* setButtonGroup() const { return m_pSetButtonGroup; }

signals:
    void measurementModified(QList<bool> Measurements, int sourceChannel);
    void configureMeasurement(int sourceChannel, int measurementIndex);

public slots:
    void measurmentSelected(int measurementIndex);
    void setMeasurementClicked(int measurementIndex);

private:
    Ui_FullSetupMeasurementsColumn* ui;
    QList<bool> m_Active;
    int m_Channel;
    QSignalMapper* m_pMapper;
    QButtonGroup* m_pSetButtonGroup;
};

class Ui_FullSetupSetZeroColumn
{
public:
    QHBoxLayout* horizontalLayout = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QLabel* currentReadingLabel = nullptr;
    QPushButton* setButton = nullptr;
    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

class FullSetupSetZeroColumn : public QWidget
{
    Q_OBJECT
public:
    FullSetupSetZeroColumn(int channel, CSetupWindow* setup, QWidget* parent = nullptr);
    ~FullSetupSetZeroColumn() override;
    void init();
    void setMeasurementIndex(int index);
    void UnsupportShowReading();
    void setDisabled(bool disabled);
    bool hasReading() const { return m_bHasReading; }
    int measurementIndex() const { return m_MeasurementIndex; }
    QPushButton* setButton() const;
    QLabel* readingLabel() const;

signals:
    void zeroModified(bool zeroEnabled, double zeroLevel, int index, int measurementIndex);

public slots:
    void setReading(double value);
    void setPressed(bool checked);
    void UsingCalibration(bool Use, int SourceChannel);
    // The calibration that switched the zero off was not made: the zero is on again as it was.
    void restoreZero();

private:
    void updateButtonState();

    int m_Channel;
    int m_MeasurementIndex = 0;
    bool m_bZeroEnabled = false;
    double m_LastReading = 0.0;
    CSetupWindow* m_pSetupWindow;
    Ui_FullSetupSetZeroColumn* ui;
    // Until a reading of the shown measurement has arrived there is nothing to take as zero.
    bool m_bHasReading = false;
    bool m_bDisabled = false;
    // The zero switched off for a calibration: its measurement and level, until one is made.
    bool m_bZeroHeld = false;
    int m_HeldMeasurement = 0;
    double m_HeldLevel = 0.0;
};

class Ui_SensorScaleSetupColumn
{
public:
    QHBoxLayout* horizontalLayout_2 = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QComboBox* ScaleTypeCombo = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QLineEdit* MinTextEdit = nullptr;
    QLineEdit* MaxTextEdit = nullptr;
    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

class FullSetupSensorScaleColumn : public QWidget
{
    Q_OBJECT
public:
    FullSetupSensorScaleColumn(int channel, QWidget* parent = nullptr);
    ~FullSetupSensorScaleColumn() override;
    void init();
    void setScaleType(int type);
    void setScale(double min, double max);
    void setUnit(const QString&) {}
    void setDisabled(bool disabled);
    void setMeasurementIndex(int index) { m_MeasurementIndex = index; }
    double minimum() const { return m_Min; }
    double maximum() const { return m_Max; }
    int scaleType() const { return m_ScaleType; }
    QComboBox* typeCombo() const;
    QLineEdit* minEdit() const;
    QLineEdit* maxEdit() const;

signals:
    void sensorScaleModified(double min, double max, int index, int measurementIndex);
    void sensorScaleTypeChanged(int type, int index, int measurementIndex);

public slots:
    void typeChanged(int type);
    void minChanged(const QString& text);
    void maxChanged(const QString& text);

private:
    int m_Channel;
    int m_MeasurementIndex = 0;
    int m_ScaleType = 0;
    double m_Min = 0.0;
    double m_Max = 0.0;
    Ui_SensorScaleSetupColumn* ui;
};

#pragma once
// Calibrates the sensor of one setup row: one or two points where a live reading is locked
// against a real value the user types, or the wheel radius of a rotary sensor. The result leaves
// as a CalibrationValues record; "Remove calibration" puts the table's record back to default.
#include "Core/Data/SensorsCalibration.h"

#include <QDialog>
#include <QStringList>

class CSetupWindow;
class IPrompter;
class QComboBox;
class QDoubleValidator;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

class Ui_CalibrationDialog
{
public:
    QGridLayout* gridLayout = nullptr;
    QLabel* sensorIconLabel = nullptr;
    QLabel* sensorNameLabel = nullptr;
    QLabel* label_3 = nullptr;
    QLabel* label_4 = nullptr;
    QLabel* point1Label = nullptr;
    QLabel* point2Label = nullptr;
    QLineEdit* firstRealValueEdit = nullptr;
    QLineEdit* secondRealValueEdit = nullptr;
    QLineEdit* currentReadingEdit1 = nullptr;
    QLineEdit* currentReadingEdit2 = nullptr;
    QLabel* unitLabel1 = nullptr;
    QLabel* unitLabel2 = nullptr;
    QLabel* unitLabel3 = nullptr;
    QLabel* unitLabel4 = nullptr;
    QPushButton* set1Button = nullptr;
    QPushButton* set2Button = nullptr;
    QPushButton* calibrateButton = nullptr;
    QLabel* timeStempLabel = nullptr;
    QPushButton* defaultButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QLabel* rotaryLabel = nullptr;
    QComboBox* radiusComboBox = nullptr;
    QLabel* zeroNoteLabel = nullptr;
    void setupUi(QDialog* dialog);
    void retranslateUi(QDialog* dialog);
};

class CalibrationDialog : public QDialog
{
    Q_OBJECT
public:
    // The reading before any arrived.
    static constexpr double s_NoReading = -2.2250738585072014e-308;
    static constexpr int s_Width = 532;
    static constexpr int s_Height = 240;
    // Room for the note on a zero switched off for the calibration.
    static constexpr int s_NoteHeight = 50;

    CalibrationDialog(QWidget* parent, int sensorIndex);
    ~CalibrationDialog() override;

    // The controller through which the catalogue, the calibration table and the logger are
    // reached; set by the column right after construction.
    void setSetupWindow(CSetupWindow* setup) { m_pSetupWindow = setup; }
    // Its questions go to the prompter of the window that made it (the shell's until then).
    void setPrompter(IPrompter* prompter) { m_pPrompter = prompter; }
    // measurement: the one the line goes on; the dialog names it and takes its unit.
    void setSensorID(int sensorIndex, int iseId, int measurement = 0);
    void setSourceChannel(int channel) { m_SourceChannel = channel; }
    // A live reading of the given measurement of the channel (the one its row shows) and its raw value.
    void setReading(double reading, int raw, int measurement = 0);
    void setCalibrationValues(const CalibrationValues& values) { m_Values = values; }
    // The measurements whose zero was switched off for this opening; the dialog says so.
    void setZeroRemoved(const QStringList& measurements);
    const CalibrationValues& calibrationValues() const { return m_Values; }
    // Sets the form up for one opening; exec runs it before the modal loop.
    void prepareOpening();
    Ui_CalibrationDialog* form() const { return ui; }
    // The form's size, larger where its texts need it; with room for the zero note when shown.
    void fitSize();
    const QDoubleValidator* validator() const { return m_pValidator; }

signals:
    void calibrationModified(CalibrationValues calibrationValues);
    void FirstReadingHasArrived(bool arrived);
    void CalibrationIsOn(bool on);

public slots:
    int exec() override;

private slots:
    void CalibrateReleased();
    void on_cancelButton_released();
    void on_defaultButton_released();
    void Set1Checked(bool checked);
    void Set2Checked(bool checked);
    void ShowRotary(bool show);
    void valueEditFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    int catalogueKind() const;
    bool sensorRange(double* minimum, double* maximum) const;
    void showMeasurement(int measurement);
    bool readsOnlyWhileCalibrating() const;
    void stopLiveReadings();
    void setPointRowEnabled(int point, bool enabled);
    void setPointRowVisible(int point, bool visible);
    void lockPoint(int point, bool checked);
    void lockOnReturn(int point);
    QString readingText(double value) const;

    Ui_CalibrationDialog* ui;
    CSetupWindow* m_pSetupWindow = nullptr;
    IPrompter* m_pPrompter = nullptr;
    CalibrationValues m_Values;
    int m_SensorIndex;
    int m_IseId = 0;
    int m_SourceChannel = -1;
    double m_LastReading = s_NoReading;
    int m_LastRaw = -1;
    int m_LastMeasurement = 0;
    bool m_bCancelIntent = false;
    bool m_bOutOfRange = false;
    QDoubleValidator* m_pValidator;
};

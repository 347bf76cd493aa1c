#pragma once
// The "Triggering" dialog of a trigger row: start sampling when the channel's reading is above
// or below a level, or delay the sampling by a time after the Run button.
#include "Core/Base/CommandParameters.h"

#include <QDialog>
#include <QList>

class CSetupWindow;
class IPrompter;
class FullSetupTriggerColumn;
class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;

class Ui_TriggerDialog
{
public:
    QGridLayout* gridLayout = nullptr;
    QRadioButton* DelayRadioButton = nullptr;
    QLineEdit* DelaySamplingEdit = nullptr;
    QComboBox* DelayUnitCombo = nullptr;
    QRadioButton* TriggerLevelRadioButton = nullptr;
    QComboBox* TriggerTypeCombo = nullptr;
    QComboBox* TriggerLevelCombo = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    void setupUi(QDialog* dialog);
    void retranslateUi(QDialog* dialog);
};

class TriggerDialog : public QDialog
{
    Q_OBJECT
public:
    TriggerDialog(QWidget* parent, int channel, int sensorIndex, CSetupWindow* setupWindow);
    ~TriggerDialog() override;

    void init();
    // Its refusals go through this prompter (the shell's until one is given).
    void setPrompter(IPrompter* prompter) { m_pPrompter = prompter; }
    void updateTriggerValues(int channel, int sensorIndex);
    // The levels built again for the same sensor, after a calibration or a zero changed the value
    // each raw code reads as: the list shows what the teacher now reads, the logger still
    // compares raw codes. The confirmed kind, delay and level code stay; that entry is shown in
    // the new units. True when its place in the list changed.
    bool refreshLevels();
    int ConvertToMillisecond(int unitIndex) const;

    int triggerType() const { return m_TriggerType; }
    int levelIndex() const { return m_LevelIndex; }
    int delayMs() const { return m_DelayMs; }
    const QList<TriggerLevel>& triggerLevels() const { return m_TriggerLevels; }
    Ui_TriggerDialog* form() const { return ui; }

public slots:
    void onTimeDelayRadioButton(bool checked);
    void onTriggerRadioButton(bool checked);
    void onOk();
    void onCancel();
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The setup record takes the trigger; then the column tells whoever listens.
    void recordTrigger(bool active, int levelIndex, int value, int type);
    void reportTrigger(bool active, int levelIndex, int value, int type);
    // The level list and combo of the sensor, when its catalogue record lets it trigger.
    bool fillLevels();
    // The entry and unit show the confirmed delay.
    void showDelay();
    // Puts a confirmed level the new list lacks back into it; its place.
    int keepLevel(const TriggerLevel& chosen);

    Ui_TriggerDialog* ui;
    int m_Channel;
    int m_SensorIndex;
    int m_TriggerType = 0;
    int m_LevelIndex = 0;
    int m_DelayMs = 0;
    QList<TriggerLevel> m_TriggerLevels;
    CSetupWindow* m_pSetupWindow;
    FullSetupTriggerColumn* m_pColumn;
    IPrompter* m_pPrompter = nullptr;
    bool m_bInitialised = false;
};

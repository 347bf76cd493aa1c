#pragma once
// The "Sampling Mode" dialog: automatic sampling, or event timing with photogates with its
// measurement (time, velocity, acceleration), gate arrangement and length. The dialog knows
// nothing of the shell: the run mode chosen and the close leave it as signals.
#include <QDialog>

class IPrompter;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

class Ui_CExperimentModeDialog
{
public:
    QPushButton* normalRunButton = nullptr;
    QLabel* mormalSamplingLabel = nullptr;
    QPushButton* timingRunButton = nullptr;
    QLabel* timingSamplingLabel = nullptr;
    QTabWidget* modesTab = nullptr;
    QWidget* tab = nullptr;
    QWidget* tab_2 = nullptr;
    QComboBox* measurementComboBox = nullptr;
    QComboBox* methodComboBox = nullptr;
    QLabel* photogatesLabel = nullptr;
    QLabel* timingImage = nullptr;
    QLabel* parameterLabel = nullptr;
    QLineEdit* timingParameterEdit = nullptr;
    QLabel* unitLabel = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    void setupUi(QDialog* dialog);
    void retranslateUi(QDialog* dialog);
};

class CExperimentModeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CExperimentModeDialog(QWidget* parent = nullptr);
    ~CExperimentModeDialog() override;
    // Its questions go to the prompter of the window that made it (the shell's until then).
    void setPrompter(IPrompter* prompter) { m_pPrompter = prompter; }

    // runMode: 0 automatic sampling, 1 event timing, as the main window has it now.
    void Init(int runMode);
    // status: the connected logger's channels able to time events.
    void UpdateStatus(int status);

    int runMode() const { return m_RunMode; }
    const int* methodIds() const { return m_MethodIds; }
    Ui_CExperimentModeDialog* form() const { return ui; }

    int status = 0;
    int measurement = -1; // -1 none chosen, 0 time, 1 velocity, 2 acceleration
    int method = -1;      // -1 none chosen, 0 at one gate, 1 between gates, 2 pendulum
    float distance = 20.0f;
    float width = 3.0f;

    // The picture of a measurement and arrangement; empty where there is none.
    static QString TimingPicture(int measurement, int method);

    // The arrangement a Done confirms: one the connected gates can time, the one shown when the
    // stored one is not offered.
    static int OfferedMethod(int measurement, int method, int status);

signals:
    // Done: the run mode for the main window, before experimentModeClosed(true).
    void runModeAccepted(int runMode);
    // Done (true) or Cancel and close (false); the dialog is gone afterwards when it deletes
    // itself on close.
    void experimentModeClosed(bool accepted);

public slots:
    // Cancel, Escape and closing all leave without a choice.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void on_okButton_clicked();
    void on_cancelButton_clicked();
    void on_normalRunButton_clicked();
    void on_timingRunButton_clicked();
    void OnMeasurementComboBoxIndexChanged(int index);
    void OnMethodComboBoxIndexChanged(int index);
    void on_timingParameterEdit_textEdited(const QString& arg1);

private:
    void UpdateModeButtons();
    void UpdateControls();
    void UpdateTimingParameterControls();
    void afterComboChange();
    bool lengthAccepted();
    void finish(bool accepted);

    Ui_CExperimentModeDialog* ui;
    IPrompter* m_pPrompter = nullptr;
    int m_RunMode = 0;
    int m_MethodIds[4] = {-1, -1, -1, -1};
    bool m_bFinished = false;
};

#pragma once
// The timing wizard: evaluates photogate series already recorded and plotted. Page 1 picks
// what to measure, page 2 the arrangement of the gates and a length; Finish evaluates the
// photogate series of the current graph between its cursors and shows the result, which the
// user may retry with other choices or close.
#include "windowbase/TimingLength.h"

#include <QWizard>

class IAnalysisHost;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWizardPage;

class Ui_TimingWizard
{
public:
    void setupUi(QWizard* wizard);
    void retranslateUi(QWizard* wizard);

    QWizardPage* wizardPage1 = nullptr;
    QLabel* questionLabel = nullptr;
    QLabel* pictureLabel = nullptr;
    QRadioButton* timeRadioButton = nullptr;
    QRadioButton* velocityRadioButton = nullptr;
    QRadioButton* accelerationRadioButton = nullptr;
    QWizardPage* wizardPage2 = nullptr;
    QLabel* TimingTypeIconLable = nullptr;
    QRadioButton* timeOneGateRadioButton = nullptr;
    QRadioButton* velocityOneGateRadioButton = nullptr;
    QRadioButton* accelerationOneGateRadioButton = nullptr;
    QRadioButton* timeBetweenGatesRadionButton = nullptr;
    QRadioButton* velocityBetweenGatesRadionButton = nullptr;
    QRadioButton* accelerationBetweenGatesRadionButton = nullptr;
    QRadioButton* timePendulumRadioButton = nullptr;
    QRadioButton* velocityColissionRadioButton = nullptr;
    QLabel* lengthTypeLabel = nullptr;
    QLineEdit* lengthLineEdit = nullptr;
    QLabel* lengthUnit = nullptr;
};

class TimingWizard : public QWizard
{
    Q_OBJECT
public:
    // The code with which the wizard's own Cancel and the close of its window end it.
    static constexpr int s_CancelCode = 4;

    explicit TimingWizard(QWidget* parent, IAnalysisHost* host = nullptr);
    ~TimingWizard() override;

    void init();
    Ui_TimingWizard* form() const { return ui; }
    int methodId() const { return m_MethodId; }
    int firstGateKey() const { return m_FirstKey; }
    int secondGateKey() const { return m_SecondKey; }
    // The picture of a method's arrangement.
    static QString MethodPicture(int id);
    // The method buttons shown for a measurement (0 time, 1 velocity, 2 acceleration).
    static QList<int> MethodsOf(int measurement);
    // The length the method evaluates with, as the field shows it (label, value); 0 for none.
    double length() const { return m_Length; }

public slots:
    void done(int code) override;

private slots:
    void timingType(int id);
    void timingMethod(int id);
    void onNext();
    void onBack();
    void onCancel();
    void onFinish();
    void lengthEdited(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The length row for a method: the length it computes with, named and valued as the
    // sampling-mode dialog keeps it; hidden for a method that needs none.
    void showLength(int methodId);
    double* keptLength(TimingLength::Kind kind);
    Ui_TimingWizard* ui = nullptr;
    IAnalysisHost* m_pWindowsManager = nullptr;
    QButtonGroup* m_pMeasurementGroup = nullptr;
    QButtonGroup* m_pMethodGroup = nullptr;
    int m_FirstKey = -1;
    int m_SecondKey = -1;
    int m_Cursor1 = -1;
    int m_Cursor2 = -1;
    int m_Measurement = -1;
    int m_MethodId = 0;
    double m_Length = -1.0;
    // The flag's width and the gates' distance (cm) the wizard shows and computes with.
    double m_Width = 3.0;
    double m_Distance = 20.0;
};

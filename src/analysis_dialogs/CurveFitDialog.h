#pragma once
// The "Curve Fit" dialog: a straight line, a polynomial of order 1 to 6, a power or an
// exponential curve fitted to the series under the current graph's first cursor, over the
// range between the cursors, added as a new series under its source.
#include <QDialog>

class IAnalysisHost;
class QComboBox;
class QLabel;
class QPushButton;

class Ui_CurveFitDialog
{
public:
    void setupUi(QDialog* dialog);
    void retranslateUi(QDialog* dialog);

    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QComboBox* curveFitCombo = nullptr;
    QLabel* label = nullptr;
    QComboBox* orderCombo = nullptr;
    QLabel* label_2 = nullptr;
};

class CurveFitDialog : public QDialog
{
    Q_OBJECT
public:
    enum Kind { Linear = 0, Polynomial = 1, Power = 2, Exponential = 3 };

    explicit CurveFitDialog(QWidget* parent, IAnalysisHost* host = nullptr);
    ~CurveFitDialog() override;

    void init();
    Ui_CurveFitDialog* form() const { return ui; }

private slots:
    void onOK();
    void curveComboChanged(int index);
    void onCancel();

private:
    Ui_CurveFitDialog* ui = nullptr;
    IAnalysisHost* m_pWindowsManager = nullptr;
};

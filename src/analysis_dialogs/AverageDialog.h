#pragma once
// The "Averaging" dialog: a moving average of the series under the current graph's first
// cursor, over the range between the cursors, with a preset or custom window, added as a new
// series under its source.
#include <QDialog>

class IAnalysisHost;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QSplitter;
class QVBoxLayout;
class QWidget;

class Ui_AverageDialog
{
public:
    void setupUi(QDialog* dialog);
    void retranslateUi(QDialog* dialog);

    QVBoxLayout* verticalLayout_2 = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QSplitter* splitter = nullptr;
    QLabel* label = nullptr;
    QLineEdit* nameEdit = nullptr;
    QRadioButton* minimalRadioButton = nullptr;
    QRadioButton* lowRadioButton = nullptr;
    QRadioButton* mediumRadioButton = nullptr;
    QRadioButton* highRadioButton = nullptr;
    QRadioButton* customRadioButton = nullptr;
    QSplitter* splitter_2 = nullptr;
    QLabel* label_2 = nullptr;
    QSpinBox* pointsCombo = nullptr;
    QWidget* horizontalWidget = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* OKButton = nullptr;
};

class AverageDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AverageDialog(QWidget* parent, IAnalysisHost* host = nullptr);
    ~AverageDialog() override;

    void init(int key, int start, int end);
    Ui_AverageDialog* form() const { return ui; }
    int windowSize() const { return m_WindowSize; }

    // Which presets a branch of n samples offers: each one exactly when the branch holds at
    // least as many samples as its window (Minimal always).
    struct Presets
    {
        bool low, medium, high, custom;
    };
    static Presets PresetsFor(int samples);

private slots:
    void onOK();
    void onCancel();
    void onMinimal();
    void onLow();
    void onMedium();
    void onHigh();
    void onCustom();

private:
    void preset(int window, int points);

    Ui_AverageDialog* ui = nullptr;
    IAnalysisHost* m_pWindowsManager = nullptr;
    int m_Key = -1;
    int m_Start = -1;
    int m_End = -1;
    int m_WindowSize = -1;
};

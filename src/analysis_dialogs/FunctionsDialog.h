#pragma once
// The "Math Function" dialog: derives a new series from one or two sources by one of 27
// functions. Stored sources (series plotted in the current graph) are computed at once over
// the cursor range; live inputs (active measurements of the setup) register a function that
// is computed while the next runs record.
#include <QDialog>
#include <QList>
#include <QString>

class IAnalysisHost;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// One row of the G1 and G2 source lists.
struct FunctionSourceInfo
{
    int type = 0;
    int key = -1;
    int sensorListIndex = -1;
    int measurementIndex = -1;
    int sensorInfoIndex = -1;
};

enum FunctionSourceType {
    SourceLiveTime = 1,
    SourceStoredTime = 2,
    SourceStoredValues = 3,
    SourceLiveValues = 4
};

// The dialog's form, built in code with the object names the dialog and its tests use.
class Ui_FunctionsDialog
{
public:
    void setupUi(QDialog* dialog);
    void retranslateUi(QDialog* dialog);

    QGridLayout* gridLayout = nullptr;
    QLabel* FunctionLabel = nullptr;
    QComboBox* FunctionCombo = nullptr;
    QLabel* NameLabel = nullptr;
    QLineEdit* FunctionNameEdit = nullptr;
    QLabel* UnitLabel = nullptr;
    QLineEdit* UnitEdit = nullptr;
    QLabel* functionDiscriptionLabel = nullptr;
    QLabel* G1_Label = nullptr;
    QComboBox* G1_Combo = nullptr;
    QLabel* G2_Label = nullptr;
    QComboBox* G2_Combo = nullptr;
    QLabel* A_Label = nullptr;
    QLineEdit* A_Edit = nullptr;
    QLabel* B_Label = nullptr;
    QLineEdit* B_Edit = nullptr;
    QLabel* C_Label = nullptr;
    QLineEdit* C_Edit = nullptr;
    QPushButton* resetButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OkButton = nullptr;
};

class FunctionsDialog : public QDialog
{
    Q_OBJECT
public:
    // The parent is the window manager; host defaults to it when it answers the analysis host.
    explicit FunctionsDialog(QWidget* parent, IAnalysisHost* host = nullptr);
    ~FunctionsDialog() override;

    void init();

    // Ids 0..26 in row order, and whether a function takes the sample times of a source.
    static constexpr int s_NumFunctions = 27;
    static bool IsFunctionAsTimeSupport(int id);
    // The controls a function enables (bits of G2, A, B, C) and its default A.
    enum { UsesG2 = 1, UsesA = 2, UsesB = 4, UsesC = 8 };
    static int EnabledControls(int id);

    Ui_FunctionsDialog* form() const { return ui; }
    const QList<FunctionSourceInfo>& sources() const { return m_sources; }
    int startIndex() const { return m_startIndex; }
    int endIndex() const { return m_endIndex; }

private slots:
    void A_B_C_Changed(QString str);
    void functionComboChanged(int comboIndex);
    void openTypeComboChanged(int) {}
    void G1ComboChanged(int comboIndex);
    void G2ComboChanged(int comboIndex);
    int getFolderKey(int branchKey);
    void onOk();
    void onCancel();
    void onReset();

private:
    void initFunctionList();
    void initG1AndG2();
    void addSourceRow(const FunctionSourceInfo& info, const QString& text);
    // G1 starts on a measured series, never on a time row: the values of the cursor's plot,
    // else the first recorded series, else the first measurement of the setup.
    void proposeG1();
    void updateCoefficients(int comboIndex);
    void updateFunctionNameAndUnit(int comboIndex);
    // The name and unit of one source row; false when the row names nothing.
    bool sourceNameAndUnit(const FunctionSourceInfo& info, QString& name, QString& unit) const;
    static void nameTimeRow(const FunctionSourceInfo& info, QString& name, QString& unit);
    bool IsStringValidDouble(QString text);
    void CalculateBranchFunction(bool g1AsTime, bool g2AsTime, double A, double B, double C);
    int currentFunctionId() const;
    const FunctionSourceInfo* currentSource(const QComboBox* combo) const;

    Ui_FunctionsDialog* ui = nullptr;
    IAnalysisHost* m_pWindowsManager = nullptr;
    QList<short> m_functionIds;
    QStringList m_descriptions;
    QString m_defaultName;
    QString m_G1Name;
    QString m_G1Unit;
    QString m_G2Name;
    QString m_G2Unit;
    QList<FunctionSourceInfo> m_sources;
    int m_G1Key = -1;
    int m_G2Key = -1;
    int m_startIndex = -1;
    int m_endIndex = -1;
};

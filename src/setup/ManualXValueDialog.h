#pragma once
// Asks for the next X value of a run whose X axis the user types in (a volume poured, a
// distance moved): once before the run starts and once for every sample the logger takes.
#include <QDialog>

class IPrompter;
class QDialogButtonBox;
class QLabel;
class QLineEdit;

class Ui_CManualXValueDialog
{
public:
    QLabel* nextvalueLabel = nullptr;
    QLineEdit* valueLineEdit = nullptr;
    QDialogButtonBox* buttonBox = nullptr;
    void setupUi(QDialog* dialog);
    void retranslateUi(QDialog* dialog);
};

class CManualXValueDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CManualXValueDialog(QWidget* parent = nullptr);
    ~CManualXValueDialog() override;
    // Its questions go to the prompter of the window that made it (the shell's until then).
    void setPrompter(IPrompter* prompter) { m_pPrompter = prompter; }

    // The label names the X quantity: "Enter next Distance value".
    void setValueTitle(const QString& title);
    // The typed value; 0 when the edit holds no number.
    double getValue() const;

    Ui_CManualXValueDialog* form() const { return ui; }

public slots:
    // OK takes a number only; anything else is refused with a message naming the quantity.
    void accept() override;

private:
    bool readValue(double* value) const;

    Ui_CManualXValueDialog* ui;
    IPrompter* m_pPrompter = nullptr;
    QString m_Name;
};

#pragma once
// The calculator window: a formula built by typing or with the keypad, evaluated by the
// program's formula evaluator, with the value or the evaluator's error text on a second line.
//
// The evaluator is one object for the whole program; each calculator keeps its own angle mode
// and hands it to the evaluator before every evaluation, so two open calculators never
// change each other's results.
#include "windowbase/KorvantaWindow.h"

#include <QString>

class QRegularExpressionValidator;
namespace Ui {
class CCalculator;
}

struct CalcAnswer
{
    double value = 0.0;
    bool valid = false;
    QString errorText; // untranslated
};

class CCalculator : public CKorvantaWindow
{
    Q_OBJECT
public:
    CCalculator(QWidget* parent, Qt::WindowFlags flags);
    ~CCalculator() override;

    void initWindow() override;

    void addTextToExcerciseDisplayOnCursorPosition(QString text, bool focus);
    CalcAnswer extractAnswerFromText(QString text);
    QString getErrorText(int code);

    // The result line's text of a successful evaluation.
    static QString ValueText(double value);

    bool isRadians() const { return m_bRadians; }
    const CalcAnswer& lastAnswer() const { return m_LastAnswer; }

private slots:
    void on_btn_equal_clicked();
    void on_btn_clear_clicked();
    void on_btn_back_clicked();
    void on_rb_radians_clicked(bool checked);
    void on_rb_degrees_clicked(bool checked);

private:
    CalcAnswer m_LastAnswer;
    Ui::CCalculator* m_pUi = nullptr;
    QRegularExpressionValidator* m_pValidator = nullptr;
    bool m_bRadians = false;
};

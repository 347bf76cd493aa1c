#pragma once
// Numbers typed into dialog fields. While typing, a field takes only what can become a number;
// the dialog's OK reads each field against its range and, at the first one that is wrong, says
// which field it is and what it takes, and stays open with that field selected.
#include <QString>

#include <limits>

class IPrompter;
class QLineEdit;
class QWidget;

struct CNumberRange
{
    double minimum = -std::numeric_limits<double>::max();
    double maximum = std::numeric_limits<double>::max();
    bool wholeNumber = false;
};

namespace NumberField {

// The edit takes digits, a sign, one decimal point (a comma counts as one) and an exponent.
void Restrict(QLineEdit* edit);
// The number in text, "." or "," as its decimal point; false when the text is no number or
// lies outside the range.
bool Read(const QString& text, const CNumberRange& range, double* value);
// What the field takes, for example "Width must be a number from 0.1 to 1000."
QString RefusalText(const QString& field, const CNumberRange& range);
// Read on the edit's text. On refusal the prompter shows RefusalText under the title, the edit
// takes the focus with its text selected, and the result is false.
bool Check(IPrompter* prompter, QWidget* parent, const QString& title, QLineEdit* edit, const QString& field,
           const CNumberRange& range, double* value);

} // namespace NumberField

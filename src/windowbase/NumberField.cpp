#include "windowbase/NumberField.h"

#include "windowbase/Prompter.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <cmath>

namespace NumberField {

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("NumberField", text);
}

bool Unbounded(const CNumberRange& range)
{
    const double most = std::numeric_limits<double>::max();
    return range.minimum <= -most && range.maximum >= most;
}
} // namespace

void Restrict(QLineEdit* edit)
{
    if (!edit)
        return;
    // Every prefix of a number is let through, so that one can be typed from the start.
    static const QRegularExpression s_Number(QStringLiteral("[+-]?[0-9]*([.,][0-9]*)?([eE][+-]?[0-9]*)?"));
    edit->setValidator(new QRegularExpressionValidator(s_Number, edit));
}

bool Read(const QString& text, const CNumberRange& range, double* value)
{
    QString t = text.trimmed();
    // Teachers write a decimal comma as often as a point; nobody groups the digits of a length.
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    if (t.isEmpty())
        return false;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v) || v < range.minimum || v > range.maximum)
        return false;
    if (range.wholeNumber && std::trunc(v) != v)
        return false;
    if (value)
        *value = v;
    return true;
}

QString RefusalText(const QString& field, const CNumberRange& range)
{
    if (Unbounded(range))
        return tr("%1 must be a number.").arg(field);
    const QString low = QString::number(range.minimum, 'g', 6);
    const QString high = QString::number(range.maximum, 'g', 6);
    if (range.wholeNumber)
        return tr("%1 must be a whole number from %2 to %3.").arg(field, low, high);
    return tr("%1 must be a number from %2 to %3.").arg(field, low, high);
}

bool Check(IPrompter* prompter, QWidget* parent, const QString& title, QLineEdit* edit, const QString& field,
           const CNumberRange& range, double* value)
{
    if (!edit)
        return false;
    if (Read(edit->text(), range, value))
        return true;
    if (prompter)
        prompter->critical(parent, title, RefusalText(field, range));
    edit->setFocus();
    edit->selectAll();
    return false;
}

} // namespace NumberField

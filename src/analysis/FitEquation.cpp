#include "analysis/FitEquation.h"

#include "Core/Data/Globals.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

constexpr int s_FewestDigits = 4;
// Beyond this a double holds no more digits to print.
constexpr int s_MostDigits = 17;
// The equation is checked at this many samples at most (the ends of the X range among them).
constexpr int s_CheckedSamples = 2048;

// The text of one coefficient and the value a reader takes from it.
struct Printed
{
    QString text;
    double value = 0.0;
};

Printed Print(double value, int decimals, int digits, bool plusSign)
{
    Printed p;
    p.text = FitNumber(value, decimals, digits, plusSign);
    bool ok = false;
    p.value = p.text.toDouble(&ok);
    if (!ok)
        p.value = value;
    return p;
}

// The equation and the curve a reader of it gets.
QString PrintCurve(const CFitCurve& curve, int digits, CFitCurve* shown)
{
    const QVector<double>& c = curve.m_Coefficients;
    QVector<double> read(c.size(), 0.0);
    QString text;
    auto pair = [&](int decimalsA, bool signA, int decimalsB, bool signB, Printed& a, Printed& b) {
        a = Print(c.value(0), decimalsA, digits, signA);
        b = Print(c.value(1), decimalsB, digits, signB);
    };
    Printed a, b;
    switch (curve.m_Kind) {
    case CFitCurve::Linear:
        if (c.value(0) != 0.0 && c.value(1) != 0.0) {
            pair(2, false, 2, true, a, b);
            text = a.text + QLatin1Char('X') + b.text;
        } else if (c.value(0) != 0.0) {
            pair(3, false, 3, false, a, b);
            b.value = 0.0;
            text = a.text + QLatin1Char('X');
        } else if (c.value(1) != 0.0) {
            pair(3, false, 3, false, a, b);
            a.value = 0.0;
            text = b.text;
        } else {
            text = QStringLiteral("0, ");
        }
        read = {a.value, b.value};
        break;
    case CFitCurve::Power:
        if (c.value(0) != 0.0 && c.value(1) != 0.0) {
            pair(2, false, 3, false, a, b);
            text = QStringLiteral("%1X^(%2)").arg(a.text, b.text);
        } else if (c.value(0) != 0.0) {
            pair(3, false, 3, false, a, b);
            b.value = 0.0;
            text = a.text;
        } else {
            text = QStringLiteral("0 , ");
        }
        read = {a.value, b.value};
        break;
    case CFitCurve::Exponential:
        pair(3, false, 3, false, a, b);
        if (c.value(1) != 0.0) {
            text = QStringLiteral("%1e^(%2X)").arg(a.text, b.text);
        } else {
            b.value = 0.0;
            text = a.text;
        }
        read = {a.value, b.value};
        break;
    case CFitCurve::Polynomial:
        // Highest power first; each term carries its sign, a zero coefficient leaves no term.
        for (int j = 0; j < c.size(); ++j) {
            if (c.at(j) == 0.0)
                continue;
            const Printed term = Print(c.at(j), 2, digits, true);
            read[j] = term.value;
            if (j == 0)
                text.prepend(term.text);
            else if (j == 1)
                text.prepend(term.text + QLatin1Char('X'));
            else
                text.prepend(QStringLiteral("%1X^%2").arg(term.text).arg(j));
        }
        break;
    }
    if (shown)
        *shown = CFitCurve(curve.m_Kind, read);
    return text;
}

// The significant digits a number text was written with ("0.0350" and "3.50E-02" three).
int DigitsOf(const QString& number)
{
    int digits = 0;
    bool leading = true;
    for (const QChar ch : number) {
        if (ch == QLatin1Char('E') || ch == QLatin1Char('e'))
            break;
        if (!ch.isDigit())
            continue;
        if (leading && ch == QLatin1Char('0'))
            continue;
        leading = false;
        ++digits;
    }
    return std::max(digits, 1);
}

QString Rescaled(const QString& number, double factor, int extraDigits = 0)
{
    return FitNumber(number.toDouble() * factor, 2, DigitsOf(number) + extraDigits,
                     number.startsWith(QLatin1Char('+')));
}

const QString& NumberPattern()
{
    static const QString pattern = QStringLiteral("([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:E[+-]?\\d+)?)");
    return pattern;
}

// A sum of terms cX^n, cX and c, as the linear and the polynomial fits print it; empty when
// the text is no such sum.
QString RescaledSum(const QString& equation, double xFactor, double yFactor)
{
    static const QRegularExpression term(NumberPattern() + QStringLiteral("(X(?:\\^(\\d+))?)?"));
    QString out;
    int at = 0;
    auto it = term.globalMatch(equation);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedStart() != at)
            return QString();
        at = m.capturedEnd();
        const int power = m.captured(2).isEmpty() ? 0 : (m.captured(3).isEmpty() ? 1 : m.captured(3).toInt());
        out += Rescaled(m.captured(1), yFactor / std::pow(xFactor, power)) + m.captured(2);
    }
    return at == equation.size() && at > 0 ? out : QString();
}

QString RescaledEquation(const QString& equation, double xFactor, double yFactor)
{
    static const QRegularExpression power(QStringLiteral("^%1X\\^\\(%1\\)$").arg(NumberPattern()));
    static const QRegularExpression exponential(QStringLiteral("^%1e\\^\\(%1X\\)$").arg(NumberPattern()));
    QRegularExpressionMatch m = power.match(equation);
    if (m.hasMatch()) {
        // The factor of X^b is no power of ten: two more digits keep the curve the text gave.
        const double b = m.captured(2).toDouble();
        return QStringLiteral("%1X^(%2)").arg(Rescaled(m.captured(1), yFactor / std::pow(xFactor, b), 2),
                                              m.captured(2));
    }
    m = exponential.match(equation);
    if (m.hasMatch())
        return QStringLiteral("%1e^(%2X)").arg(Rescaled(m.captured(1), yFactor), Rescaled(m.captured(2), 1.0 / xFactor));
    return RescaledSum(equation, xFactor, yFactor);
}

bool IsShownValue(double v)
{
    return std::isfinite(v) && v != MissingValue;
}

} // namespace

double CFitCurve::ValueAt(double x) const
{
    const QVector<double>& c = m_Coefficients;
    switch (m_Kind) {
    case Linear:
        return c.value(0) * x + c.value(1);
    case Power:
        return c.value(0) * std::pow(x, c.value(1));
    case Exponential:
        return c.value(0) * std::exp(c.value(1) * x);
    case Polynomial:
        break;
    }
    double sum = 0.0;
    for (int j = c.size() - 1; j >= 0; --j)
        sum = sum * x + c.at(j);
    return sum;
}

QString FitNumber(double value, int decimals, int digits, bool plusSign)
{
    if (value == 0.0 || !std::isfinite(value))
        return Double2String(value, decimals, plusSign, false);
    digits = std::clamp(digits, 1, s_MostDigits);
    const int exponent = int(std::floor(std::log10(std::fabs(value))));
    if (exponent + 1 + decimals >= digits)
        return Double2String(value, decimals, plusSign, false);
    // A fixed text for values down to 0.0001; its trailing zeros are cut through a 32-bit
    // integer of value x 10^decimals, which holds nine digits.
    if (exponent >= -4 && digits <= 9)
        return Double2String(value, digits - 1 - exponent, plusSign, false);
    return Double2String(value, digits - 1, plusSign, true);
}

QString FitEquationText(const CFitCurve& curve, int digits)
{
    return PrintCurve(curve, digits, nullptr);
}

namespace {

// The X of a fit given as values.
struct VectorX
{
    const double* values;
    int count;
    double at(int i) const { return values[i]; }
};

// X is read through x.at(i) and counted by x.count: a vector of X values or a FitTimeX.
template <typename XValues>
QString EquationText(const CFitCurve& curve, const XValues& x, const QVector<double>& fitted, const FitXEnds* ends)
{
    // The samples to check: a spread of them, and those at the ends of the X range, where a
    // polynomial read with too few digits parts furthest from the curve.
    QVector<double> xs, ys;
    const int n = fitted.isEmpty() ? x.count : std::min(x.count, fitted.size());
    const int stride = std::max(1, n / s_CheckedSamples);
    int lowest = -1, highest = -1;
    auto take = [&](int i) {
        const double y = fitted.isEmpty() ? curve.ValueAt(x.at(i)) : fitted.at(i);
        if (IsShownValue(x.at(i)) && IsShownValue(y)) {
            xs.append(x.at(i));
            ys.append(y);
        }
    };
    // A fit may have a million samples: the ends are found in a loop of their own, and the
    // spread is stepped through rather than every index divided.
    int first = 0;
    while (!ends && first < n && !IsShownValue(x.at(first)))
        ++first;
    if (ends) {
        lowest = ends->lowest;
        highest = ends->highest;
    } else if (first < n) {
        lowest = highest = first;
        double lowX = x.at(first), highX = x.at(first);
        for (int i = first + 1; i < n; ++i) {
            const double v = x.at(i);
            if (!IsShownValue(v))
                continue;
            if (v < lowX) {
                lowest = i;
                lowX = v;
            }
            if (v > highX) {
                highest = i;
                highX = v;
            }
        }
    }
    for (qint64 i = 0; i < n; i += stride)
        if (IsShownValue(x.at(int(i))))
            take(int(i));
    if (lowest >= 0) {
        take(lowest);
        take(highest);
    }
    double low = 0.0, high = 0.0, largest = 0.0;
    if (!ys.isEmpty()) {
        const auto range = std::minmax_element(ys.begin(), ys.end());
        low = *range.first;
        high = *range.second;
        largest = std::max(std::fabs(low), std::fabs(high));
    }
    const double tolerance = 2.5e-3 * (high - low) + 2.5e-4 * largest;
    QString text;
    for (int digits = s_FewestDigits; digits <= s_MostDigits; ++digits) {
        CFitCurve shown = curve;
        text = PrintCurve(curve, digits, &shown);
        bool close = true;
        for (int i = 0; i < xs.size() && close; ++i)
            close = std::fabs(shown.ValueAt(xs.at(i)) - ys.at(i)) <= tolerance;
        if (close)
            break;
    }
    return text;
}

} // namespace

QString FittingEquationText(const CFitCurve& curve, const QVector<double>& x, const QVector<double>& fitted,
                            const FitXEnds* ends)
{
    return EquationText(curve, VectorX{x.constData(), x.size()}, fitted, ends);
}

QString FittingEquationText(const CFitCurve& curve, const FitTimeX& x, const QVector<double>& fitted,
                            const FitXEnds* ends)
{
    return EquationText(curve, x, fitted, ends);
}

QString RescaledFormulaText(const QString& text, double xFactor, double yFactor)
{
    if ((xFactor == 1.0 && yFactor == 1.0) || !std::isfinite(xFactor) || !std::isfinite(yFactor) || xFactor <= 0.0
        || yFactor <= 0.0)
        return text;
    // "<f(x) => <equation> ,  <RI => <index>": the equation is the word before the last
    // separator (it holds no blank; the translated words around it may).
    const int separator = text.lastIndexOf(QStringLiteral(" ,  "));
    if (separator <= 0)
        return text;
    const int start = text.lastIndexOf(QLatin1Char(' '), separator - 1) + 1;
    if (start <= 0)
        return text;
    const QString equation = RescaledEquation(text.mid(start, separator - start), xFactor, yFactor);
    return equation.isEmpty() ? text : text.left(start) + equation + text.mid(separator);
}

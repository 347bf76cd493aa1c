#pragma once
// A fit's equation read back from its formula text and evaluated at x, as a reader of the
// legend would: aX^(b) (power), ae^(bX) (exponential) or a sum of cX^n terms. NaN for any
// other text. Written apart from the program's own reading, so that the two check each other.
#include <QRegularExpression>
#include <QString>
#include <QtGlobal>

#include <cmath>

inline double EvaluateFitEquation(const QString& text, double x)
{
    const QString eq = text.section(QStringLiteral("f(x) = "), 1).section(QStringLiteral(" ,  RI"), 0, 0);
    const QString num = QStringLiteral("([+-]?[0-9.]+(?:E[+-]?\\d+)?)");
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^%1(X|e)\\^\\(%1X?\\)$").arg(num)).match(eq);
    if (m.hasMatch())
        return m.captured(1).toDouble() * (m.captured(2) == "X" ? std::pow(x, m.captured(3).toDouble())
                                                                : std::exp(m.captured(3).toDouble() * x));
    double sum = 0.0;
    int at = 0;
    for (auto it = QRegularExpression(num + QStringLiteral("(X(?:\\^(\\d))?)?")).globalMatch(eq); it.hasNext();) {
        const QRegularExpressionMatch t = it.next();
        at = t.capturedStart() == at ? t.capturedEnd() : -1;
        sum += t.captured(1).toDouble() * std::pow(x, t.captured(2).isEmpty() ? 0 : qMax(1, t.captured(3).toInt()));
    }
    return at == eq.size() && at > 0 ? sum : qQNaN();
}

#pragma once
// The name and unit the Math Function dialog proposes for a derived series: the function's
// formula with the source names in place of its variables and the coefficients written in
// (a factor of 1 and a term of 0 vanish), and the unit that follows from the function.
#include <QString>

namespace FunctionNames {

// The text of one coefficient: mode 0 a plain number, 1 a term added after ("+ 2", "- 3"),
// 2 a term added before ("2 + "), 6 a factor before a term ("2 * ", nothing for 1); other
// modes give nothing.
QString GetString(double value, unsigned char mode);

struct Sources
{
    QString g1Name, g1Unit, g2Name, g2Unit;
    // On an XY graph, the unit of its X axis, along which the derivative is taken.
    QString xUnit;
};

// The proposal for function id 0..26; false for any other id. timeAxis: the graph shows time
// (or sample numbers) on its X axis, which names the derivative "dt" instead of "dx" and gives
// it a unit per second instead of per unit of X.
bool Compose(int id, const Sources& s, double a, double b, double c, bool timeAxis, QString& name,
             QString& unit);

// A coefficient's text read as the builder reads it: a number with a point, else 0.
double CoefficientValue(const QString& text);

} // namespace FunctionNames

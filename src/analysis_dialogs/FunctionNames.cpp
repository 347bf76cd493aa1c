#include "analysis_dialogs/FunctionNames.h"

#include "Core/Data/Globals.h"

#include <QCoreApplication>

#include <cmath>

namespace FunctionNames {

namespace {

QString T(const char* text)
{
    return QCoreApplication::translate("FunctionsDialog", text);
}

QString D(double value)
{
    return Double2String(value, 5, false, false);
}

} // namespace

QString GetString(double value, unsigned char mode)
{
    switch (mode) {
    case 0:
        return value < 0.0 ? QStringLiteral("(") + D(value) + QStringLiteral(")") : D(value);
    case 1:
        if (value == 0.0)
            return QString();
        return value > 0.0 ? QStringLiteral(" + ") + D(value) : QStringLiteral(" - ") + D(std::fabs(value));
    case 2:
        if (value == 0.0)
            return QString();
        return value > 0.0 ? D(value) + QStringLiteral(" + ") : QStringLiteral("(") + D(value) + QStringLiteral(") + ");
    case 6:
        if (value == 1.0)
            return QString();
        if (value == 0.0)
            return QStringLiteral("0 * ");
        return value > 0.0 ? D(value) + QStringLiteral(" * ") : QStringLiteral("(") + D(value) + QStringLiteral(") * ");
    default:
        return QString();
    }
}

double CoefficientValue(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

bool Compose(int id, const Sources& s, double a, double b, double c, bool timeAxis, QString& name,
             QString& unit)
{
    const QString& g1 = s.g1Name;
    const QString& g2 = s.g2Name;
    const QString& u1 = s.g1Unit;
    const QString& u2 = s.g2Unit;
    const QString open = QStringLiteral("(");
    const QString close = QStringLiteral(")");
    const QString sq = T("²");
    // The shape shared by the one-source functions with a factor and an inner factor.
    auto wrapped = [&](const char* word) {
        return GetString(a, 6) + T(word) + open + GetString(b, 6) + g1 + close;
    };
    auto wrappedWithTerm = [&](const char* word) {
        return GetString(a, 6) + T(word) + open + GetString(b, 6) + g1 + GetString(c, 1) + close;
    };
    auto twoSources = [&](const char* word, const char* op) {
        return T(word) + open + GetString(a, 6) + g1 + QLatin1String(op) + GetString(b, 6) + g2 + close;
    };
    switch (id) {
    case 0: name = wrapped("abs"); unit = u1; break;
    case 1: name = twoSources("Add", " + "); unit = u1; break;
    case 2: name = wrapped("ArcCos"); unit = T("rad"); break;
    case 3: name = wrapped("ArcSin"); unit = T("rad"); break;
    case 4: name = wrappedWithTerm("Cos"); unit.clear(); break;
    case 5: name = T("DeltaY") + open + g1 + close; unit = u1; break;
    case 6:
        name = QStringLiteral("%1(%2) / %3").arg(T("d"), g1, timeAxis ? T("dt") : T("dx"));
        if (timeAxis)
            unit = u1 + QStringLiteral("/") + T("s");
        else
            unit = s.xUnit.isEmpty() ? u1 : u1 + QStringLiteral("/") + s.xUnit;
        break;
    case 7: name = twoSources("Div", " / "); unit = u1 + QStringLiteral("/") + u2; break;
    case 8: name = T("LowerEnvelope") + open + g1 + QStringLiteral(" , ") + GetString(a, 0) + close; unit = u1; break;
    case 9: name = T("UpperEnvelope") + open + g1 + QStringLiteral(" , ") + GetString(a, 0) + close; unit = u1; break;
    case 10:
        name = GetString(a, 6) + T("e^") + open + GetString(b, 6) + g1 + close + GetString(c, 1);
        unit.clear();
        break;
    case 11: name = T("FFT") + QStringLiteral(" ") + g1; unit = u1; break;
    case 12: name = T("Frequency") + open + g1 + close; unit = T("Hz"); break;
    case 13: name = GetString(a, 2) + T("Integral") + open + GetString(b, 6) + g1 + close; unit = u1 + QStringLiteral("*") + T("s"); break;
    case 14: name = QStringLiteral("0.5 * ") + GetString(a, 6) + open + g1 + close + sq; unit.clear(); break;
    case 15: name = GetString(a, 6) + g1 + GetString(b, 1); unit.clear(); break;
    case 16: name = wrapped("Ln"); unit.clear(); break;
    case 17: name = wrapped("Log10"); unit.clear(); break;
    case 18:
        name = twoSources("Mul", " * ");
        unit = u1 == u2 ? u1 + sq : u1 + QStringLiteral("*") + u2;
        break;
    case 19:
        name = GetString(a, 6) + g1 + sq + QStringLiteral(" + ") + GetString(b, 6) + g1 + GetString(c, 1);
        unit.clear();
        break;
    case 20:
        name = GetString(a, 0) + QStringLiteral(" / ") + open + g1 + GetString(b, 1) + close + GetString(c, 1);
        unit = QStringLiteral("1/") + u1;
        break;
    case 21: name = wrappedWithTerm("Sin"); unit.clear(); break;
    case 22: name = GetString(a, 6) + open + GetString(b, 6) + g1 + close + sq; unit = open + u1 + close + sq; break;
    case 23: name = wrappedWithTerm("sqrt"); unit.clear(); break;
    case 24: name = twoSources("Sub", " - "); unit = u1; break;
    case 25: name = wrappedWithTerm("tan"); unit.clear(); break;
    case 26: name = T("Blood pressure") + QStringLiteral(" ") + open + g1 + close; unit = u1; break;
    default: return false;
    }
    return true;
}

} // namespace FunctionNames

#pragma once
// The equations the curve fits write into their formula text, and the reading of them back.
// Each coefficient carries four significant digits at least, and more where the printed
// equation would otherwise part from the fitted curve: against an X far from zero (a pressure
// in Pa) the terms of a polynomial nearly cancel, and two decimals of a slope per kPa say
// nothing. Where two decimals already give the digits, the number reads as it always has.
#include <QString>
#include <QVector>

class CFitCurve
{
public:
    enum Kind { Linear, Polynomial, Power, Exponential };

    // Linear: a, b of aX+b. Polynomial: c0, c1, ... of c0+c1X+c2X^2... Power: a, b of aX^(b).
    // Exponential: a, b of ae^(bX).
    CFitCurve(Kind kind, const QVector<double>& coefficients)
        : m_Kind(kind), m_Coefficients(coefficients)
    {
    }

    double ValueAt(double x) const;

    Kind m_Kind;
    QVector<double> m_Coefficients;
};

// A coefficient with `digits` significant digits at least: Double2String with `decimals` where
// that gives them, else with the decimals they need, or in E notation when a fixed text would
// run to many zeros.
QString FitNumber(double value, int decimals, int digits, bool plusSign);

// The equation of the curve with `digits` significant digits per coefficient, in the forms the
// fits have always printed ("2.5X-4", "+0.5X^2-3X+2", "1.5X^(1.25)", "2e^(0.25X)").
QString FitEquationText(const CFitCurve& curve, int digits);

// The equation with the fewest digits (four at least) that gives the fitted values at x: within
// a quarter of a percent of their spread plus a fortieth of a percent of the largest, as far as
// double precision allows (a polynomial of high order far from X = 0 may need all). Without
// fitted values the curve's own values at x are taken. Samples with a missing value are
// passed over.
// A caller that went over x already may give where its lowest and highest shown X stand (the
// first of equal ones; -1 for none), which spares a pass over a fit of a million samples.
struct FitXEnds
{
    int lowest = -1;
    int highest = -1;
};
QString FittingEquationText(const CFitCurve& curve, const QVector<double>& x,
                            const QVector<double>& fitted = QVector<double>(), const FitXEnds* ends = nullptr);

// The X of a fit's samples on a time axis, made as it is read: sample number times interval.
// A fit of a million samples against time then needs no vector of them.
struct FitTimeX
{
    const double* sampleNumbers = nullptr;
    int count = 0;
    double interval = 0.0;
    double at(int i) const { return sampleNumbers[i] * interval; }
};
QString FittingEquationText(const CFitCurve& curve, const FitTimeX& x, const QVector<double>& fitted,
                            const FitXEnds* ends);

// A fit's formula text ("f(x) = <equation> ,  RI = <index>") with its equation written for an X
// xFactor times and a Y yFactor times the X and Y it was fitted in, as a graph shows them after
// a change of unit prefix. Each number keeps the digits it was written with. A text that holds
// no equation of a fit comes back as it is.
QString RescaledFormulaText(const QString& text, double xFactor, double yFactor);

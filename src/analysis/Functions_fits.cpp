// Least-squares curve fits of a range: a straight line, a power curve and an exponential curve
// against the X the graph shows, the time in seconds on a time graph or the X-axis series on an
// XY graph, so that each equation gives the drawn curve's value at every X. Each writes the
// fitted values as a new branch beside its source, with the equation and the quality index RI
// as its formula text.
#include "analysis/Functions.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SeriesNames.h"
#include "analysis/FitEquation.h"
#include "analysis/FunctionsSupport.h"
#include "analysis/XSeries.h"

#include <algorithm>
#include <cmath>

using namespace AnalysisSupport;

namespace {

// Square of the correlation coefficient between the source values and the fitted values of
// the same samples, given the sums of both (each added up from the first to the last) where
// the caller took them on its own passes over the samples, which spares a pass here.
double qualityIndex(const QVector<double>& y, const QVector<double>& f, double ySum, double fSum)
{
    const int n = qMin(y.size(), f.size());
    if (n == 0)
        return std::nan("");
    const double ym = ySum / n;
    const double fm = fSum / n;
    double syf = 0.0;
    double syy = 0.0;
    double sff = 0.0;
    for (int i = 0; i < n; ++i) {
        const double dy = y.at(i) - ym;
        const double df = f.at(i) - fm;
        syf += dy * df;
        syy += dy * dy;
        sff += df * df;
    }
    const double r = syf / std::sqrt(syy * sff);
    return r * r;
}

double qualityIndex(const QVector<double>& y, const QVector<double>& f)
{
    const int n = qMin(y.size(), f.size());
    double ym = 0.0;
    double fm = 0.0;
    for (int i = 0; i < n; ++i) {
        ym += y.at(i);
        fm += f.at(i);
    }
    return qualityIndex(y, f, ym, fm);
}

QString formulaText(const QString& equation, double ri)
{
    return QStringLiteral("%1 %2 ,  %3 %4")
        .arg(CFunctions::tr("f(x) ="), equation, CFunctions::tr("RI ="),
             Double2String(ri, 3, false, false));
}

CDataBranch* makeFit(CFunctions* engine, CDataBranch* g1, const CDataBranch* xSeries,
                     const QVector<double>& x, const QVector<double>& fitted, const QString& name,
                     const QString& text)
{
    CDataBranch* fit = engine->AddFunctionBranch(g1->m_Key, x, fitted, name, text, g1->m_Interval,
                                                 SeriesNames::UnitOf(*g1), g1->m_UnitPrefix,
                                                 CFunctions::CurveFitResultIndex);
    if (fit)
        SetFittedX(*fit, xSeries);
    return fit;
}

// The samples of a fit's range and the X each stands at. A sample without an X (beyond the
// X-axis series' values, or on a gap of them) takes no part in the fit, and its fitted value
// is the missing mark, so that the fitted series keeps one entry per sample of the range and
// the graph draws each against the X it was fitted at.
// The count of the samples with a usable X and where the lowest and the highest stand (the
// first of equal ones), taken sample by sample in the order of the range.
struct XTally
{
    int withX = 0;
    FitXEnds ends;
    double low = 0.0;
    double high = 0.0;
    void take(int i, double v)
    {
        if (withX++ == 0) {
            ends.lowest = ends.highest = i;
            low = high = v;
            return;
        }
        if (v < low) {
            ends.lowest = i;
            low = v;
        }
        if (v > high) {
            ends.highest = i;
            high = v;
        }
    }
};

// Against an X-axis series the X are held in x; on a time axis each is made as it is read from
// the sample number (time), and no vector of them is built.
struct FitSamples
{
    BranchRange range;
    QVector<double> x;  // against an X-axis series only
    FitTimeX time;      // on a time axis only
    bool onTime = false;
    int withX = 0;  // how many samples have a usable X
    FitXEnds ends;  // where the lowest and the highest of them stand
    int count() const { return range.count(); }
    double xAt(int i) const { return onTime ? time.at(i) : x.at(i); }
    // Every sample has an X (as on a time axis): the samples used are the range itself.
    bool allHaveX() const { return withX == count(); }
};

// Reads the range. Against an X-axis series its X are counted here; on a time axis with
// countOnTime false the caller counts them in its own pass over the samples (taken in order
// through an XTally) and calls Counted before it uses withX.
bool ReadFitSamples(const CFunctions& engine, const CDataBranch* g1, long start, long end,
                    const CDataBranch* xSeries, FitSamples& s, bool countOnTime = true)
{
    if (!ReadRangeOfTwo(engine, g1, start, end, s.range))
        return false;
    s.onTime = !xSeries;
    s.time = FitTimeX{s.range.x.constData(), s.range.count(), g1->m_Interval};
    if (xSeries)
        s.x = XSeriesValues(*xSeries, g1->GetXSample(0), s.range.start, s.range.count());
    if (s.onTime && !countOnTime)
        return true;
    XTally tally;
    for (int i = 0; i < s.count(); ++i) {
        const double v = s.xAt(i);
        if (IsUsableX(v))
            tally.take(i, v);
    }
    s.withX = tally.withX;
    s.ends = tally.ends;
    return HoldsTwo(engine, s.withX);
}

// The caller's count of a time axis's X, as ReadFitSamples would have taken it.
bool Counted(const CFunctions& engine, const XTally& tally, FitSamples& s)
{
    s.withX = tally.withX;
    s.ends = tally.ends;
    return HoldsTwo(engine, s.withX);
}

// The X of a fit read from an X-axis series' values.
struct SeriesXAt
{
    const double* values;
    double at(int i) const { return values[i]; }
};

// The sums of an exponential fit over the samples with an X and a value above zero.
struct ExponentialSums
{
    int n = 0;
    double st = 0.0, sy = 0.0, stt = 0.0, sty = 0.0;
    double withXSum = 0.0; // the source values of every sample with an X, for RI
};

// The sums over the samples; false where the values above zero are not one run of them (a
// positive value follows one that is not). A block of samples at a time: the first loop of a
// block checks each sample and sums what needs no logarithm, keeping the values of the fit in
// a small buffer; the second takes their logarithms. Every double still live across a call of
// log is kept in memory, so that loop holds as few as it can. Each sum still adds its samples
// in their order.
template <typename X>
Q_NEVER_INLINE bool SumExponential(const double* ys, int count, X x, XTally& tallyOut, ExponentialSums& out)
{
    enum { BeforePositive, InsidePositive, AfterPositive } state = BeforePositive;
    constexpr int Block = 256;
    double blockT[Block];
    double blockY[Block];
    XTally tally;
    int n = 0;
    double st = 0.0, sy = 0.0, stt = 0.0, sty = 0.0, withXSum = 0.0;
    for (int first = 0; first < count; first += Block) {
        const int last = std::min(count, first + Block);
        int used = 0;
        for (int i = first; i < last; ++i) {
            const double t = x.at(i);
            if (!IsUsableX(t))
                continue;
            tally.take(i, t);
            const double y = ys[i];
            withXSum += y;
            const bool positive = y > 0; // a value that is not a number counts as not positive
            if (!positive) {
                if (state == InsidePositive)
                    state = AfterPositive;
                continue;
            }
            if (state == AfterPositive)
                return false;
            state = InsidePositive;
            // Every X counts, those below zero too (an X-axis series may well be negative).
            st += t;
            stt += t * t;
            blockT[used] = t;
            blockY[used] = y;
            ++used;
        }
        for (int k = 0; k < used; ++k) {
            const double ly = std::log(blockY[k]);
            sy += ly;
            sty += blockT[k] * ly;
        }
        n += used;
    }
    tallyOut = tally;
    out.n = n;
    out.st = st;
    out.sy = sy;
    out.stt = stt;
    out.sty = sty;
    out.withXSum = withXSum;
    return true;
}

// The sums of a straight line's fit over the samples with an X.
struct LineSums
{
    double st = 0.0, sy = 0.0, sty = 0.0, stt = 0.0;
};

// One pass over count samples. With Count each X is checked and counted into tally (on a time
// axis, whose X nobody counted yet); without, checkX says whether some X are unusable. Out of
// line, so that the four sums stay in registers.
template <bool Count, typename X>
Q_NEVER_INLINE LineSums SumLine(const double* ys, int count, X x, bool checkX, XTally* tallyOut)
{
    XTally tally;
    double st = 0.0, sy = 0.0, sty = 0.0, stt = 0.0;
    for (int i = 0; i < count; ++i) {
        const double t = x.at(i);
        if ((Count || checkX) && !IsUsableX(t))
            continue;
        if (Count)
            tally.take(i, t);
        st += t;
        sy += ys[i];
        sty += t * ys[i];
        stt += t * t;
    }
    if (Count)
        *tallyOut = tally;
    return {st, sy, sty, stt};
}

template <typename Curve>
QVector<double> fittedAt(const QVector<double>& x, Curve curve)
{
    QVector<double> fitted(x.size());
    double* out = fitted.data();
    const double* in = x.constData();
    for (int i = 0; i < x.size(); ++i)
        out[i] = IsUsableX(in[i]) ? curve(in[i]) : MissingValue;
    return fitted;
}

// The values of a fit at every sample of its range, and where every sample has an X their sum,
// first to last.
struct FittedValues
{
    QVector<double> values;
    double sum = 0.0;
};

// The curve at each of count X and the sum of its values, first to last. Out of line: inlined
// into a fit, the sum was kept in memory rather than in a register, each add waiting on the
// store of the one before.
template <typename X, typename Curve>
Q_NEVER_INLINE FittedValues fittedAtAll(X x, int count, Curve at)
{
    FittedValues fitted;
    fitted.values.resize(count);
    double* out = fitted.values.data();
    double sum = 0.0;
    for (int i = 0; i < count; ++i) {
        const double v = at(x.at(i));
        out[i] = v;
        sum += v;
    }
    fitted.sum = sum;
    return fitted;
}

// The curve at every sample of the range, the missing mark where a sample has no X.
template <typename Curve>
FittedValues fittedAt(const FitSamples& s, Curve curve)
{
    const int count = s.count();
    const Curve at = curve;
    if (s.allHaveX())
        return s.onTime ? fittedAtAll(s.time, count, at) : fittedAtAll(SeriesXAt{s.x.constData()}, count, at);
    if (!s.onTime)
        return {fittedAt(s.x, curve)};
    // Locals, which the stores into the result cannot alias.
    const double* number = s.time.sampleNumbers;
    const double interval = s.time.interval;
    QVector<double> fitted(count);
    double* out = fitted.data();
    for (int i = 0; i < count; ++i) {
        const double t = number[i] * interval;
        out[i] = IsUsableX(t) ? at(t) : MissingValue;
    }
    return {fitted};
}

// The equation of a fit whose every sample has an X.
QString equationOfAll(const CFitCurve& curve, const FitSamples& s)
{
    return s.onTime ? FittingEquationText(curve, s.time, {}, &s.ends) : FittingEquationText(curve, s.x, {}, &s.ends);
}

} // namespace

bool CFunctions::XAxisSeriesOf(const CDataBranch* g1, int xAxisKey, CDataBranch*& xSeries)
{
    xSeries = nullptr;
    if (!g1 || xAxisKey < 0)
        return true;
    CDataManager* manager = GetDataManager();
    xSeries = manager ? manager->GetOwnXBranch(g1->m_Key, xAxisKey) : nullptr;
    if (xSeries)
        return true;
    ShowCritical(*this, QString(), tr("The run of %1 holds no values of the graph's X axis.").arg(g1->m_Name));
    return false;
}

CDataBranch* CFunctions::FunctionLinearRegression(CDataBranch* g1, long start, long end,
                                                  const CDataBranch* xSeries)
{
    FitSamples s;
    if (!ReadFitSamples(*this, g1, start, end, xSeries, s, false))
        return nullptr;
    const double* ys = s.range.y.constData();
    const int count = s.count();
    // The sums over the samples with an X; on a time axis the X are counted in the same pass.
    LineSums sums;
    if (s.onTime) {
        XTally tally;
        sums = SumLine<true>(ys, count, s.time, true, &tally);
        if (!Counted(*this, tally, s))
            return nullptr;
    } else {
        sums = SumLine<false>(ys, count, SeriesXAt{s.x.constData()}, !s.allHaveX(), nullptr);
    }
    const double st = sums.st, sy = sums.sy, sty = sums.sty, stt = sums.stt;
    // The samples with an X, copied only where some have none.
    const bool all = s.allHaveX();
    QVector<double> usedY, usedX;
    if (!all) {
        usedX.reserve(s.withX);
        usedY.reserve(s.withX);
        for (int i = 0; i < s.count(); ++i) {
            const double t = s.xAt(i);
            if (IsUsableX(t)) {
                usedX.append(t);
                usedY.append(ys[i]);
            }
        }
    }
    const int n = s.withX;
    const double d = n * stt - st * st;
    const double a = d == 0.0 ? 0.0 : (n * sty - st * sy) / d;
    const double b = (sy - a * st) / n;
    auto line = [a, b](double t) { return a * t + b; };

    const FittedValues fitted = fittedAt(s, line);
    const CFitCurve curve(CFitCurve::Linear, {a, b});
    const QString equation = all ? equationOfAll(curve, s) : FittingEquationText(curve, usedX);
    const QString name = QStringLiteral("%1(%2)").arg(tr("Linear"), FitSubject(*g1, xSeries));
    // With every sample used, sy is the sum of the source values.
    const double ri =
        all ? qualityIndex(s.range.y, fitted.values, sy, fitted.sum) : qualityIndex(usedY, fittedAt(usedX, line));
    return makeFit(this, g1, xSeries, s.range.x, fitted.values, name, formulaText(equation, ri));
}

CDataBranch* CFunctions::FunctionPowerRegression(CDataBranch* g1, long start, long end,
                                                 const CDataBranch* xSeries)
{
    FitSamples s;
    if (!ReadFitSamples(*this, g1, start, end, xSeries, s))
        return nullptr;
    const double m = DisplayMultiplier(*this, g1);
    QVector<double> usedX;
    QVector<double> usedY; // the source values of the samples that get a fitted value
    QVector<double> sampleNumbers;
    usedX.reserve(s.withX);
    usedY.reserve(s.withX);
    sampleNumbers.reserve(s.withX);
    double sx = 0.0, sy = 0.0, sxy = 0.0, sxx = 0.0;
    for (int i = 0; i < s.range.count(); ++i) {
        // On a time axis sample 0 stands at time 0, which has no logarithm.
        if (!xSeries && s.range.start + i == 0)
            continue;
        const double x = s.xAt(i);
        if (xSeries && !IsUsableX(x))
            continue;
        const double y = s.range.y.at(i) * m;
        if (!(x > 0) || !(y > 0)) {
            ShowCritical(*this, tr("Power Curve"), tr("The data must be greater and not equal to zero"));
            return nullptr;
        }
        const double lx = std::log(x);
        const double ly = std::log(y);
        sx += lx;
        sy += ly;
        sxy += lx * ly;
        sxx += lx * lx;
        usedX.append(x);
        usedY.append(s.range.y.at(i));
        sampleNumbers.append(s.range.x.at(i));
    }
    // At least one sample is used: the range holds two with an X, and only one of them can
    // be sample 0.
    const int n = usedX.size();
    const double d = n * sxx - sx * sx;
    const double b = d == 0.0 ? 0.0 : (n * sxy - sx * sy) / d;
    const double a = std::exp((sy - b * sx) / n);
    auto curve = [a, b, m](double x) { return a * std::pow(x, b) / m; };

    // The equation gives the values in the displayed unit, as the sums were made in it.
    const QString equation = FittingEquationText(CFitCurve(CFitCurve::Power, {a, b}), usedX);
    const QString name = tr("Power-Curve(%1)").arg(FitSubject(*g1, xSeries));
    const QString text = formulaText(equation, qualityIndex(usedY, fittedAt(usedX, curve)));
    // Against a series the curve keeps a place for every sample of the range; on a time axis
    // it leaves sample 0 out.
    if (xSeries)
        return makeFit(this, g1, xSeries, s.range.x, fittedAt(s.x, curve), name, text);
    return makeFit(this, g1, xSeries, sampleNumbers, fittedAt(usedX, curve), name, text);
}

CDataBranch* CFunctions::FunctionExponentialRegression(CDataBranch* g1, long start, long end,
                                                       const CDataBranch* xSeries)
{
    FitSamples s;
    if (!ReadFitSamples(*this, g1, start, end, xSeries, s, false))
        return nullptr;
    // On a time axis the X are counted in this pass. The fit cannot fail below before it has
    // met three samples with an X, so the count's "too few" comes first as ever.
    XTally tally;
    ExponentialSums sums;
    const double* ys = s.range.y.constData();
    const bool inside = s.onTime ? SumExponential(ys, s.count(), s.time, tally, sums)
                                 : SumExponential(ys, s.count(), SeriesXAt{s.x.constData()}, tally, sums);
    if (!inside) {
        ShowCritical(*this, QString(), tr("Exponential curve fit defined between (0 , Inf) "));
        return nullptr;
    }
    const int n = sums.n;
    const double st = sums.st, sy = sums.sy, stt = sums.stt, sty = sums.sty;
    if (s.onTime && !Counted(*this, tally, s))
        return nullptr;
    if (n == 0) {
        ShowCritical(*this, QString(), tr("Values must be greater than 0"));
        return nullptr;
    }
    // Every sample with an X gets a fitted value; they are copied only where some have none.
    const bool all = s.allHaveX();
    QVector<double> withXY, withX;
    if (!all) {
        withX.reserve(s.withX);
        withXY.reserve(s.withX);
        for (int i = 0; i < s.count(); ++i) {
            const double t = s.xAt(i);
            if (IsUsableX(t)) {
                withX.append(t);
                withXY.append(s.range.y.at(i));
            }
        }
    }
    const double d = n * stt - st * st;
    const double b = d == 0.0 ? 0.0 : (n * sty - sy * st) / d;
    const double a = std::pow(2.718281828459045, (sy - st * b) / n);
    auto curve = [a, b](double t) { return a * std::exp(b * t); };

    const FittedValues fitted = fittedAt(s, curve);
    const CFitCurve equationCurve(CFitCurve::Exponential, {a, b});
    const QString equation = all ? equationOfAll(equationCurve, s) : FittingEquationText(equationCurve, withX);
    const QString name = QStringLiteral("%1(%2)").arg(tr("Exponential-Curve"), FitSubject(*g1, xSeries));
    // Every sample of the range with an X has a fitted value, skipped ones included, and counts
    // in RI.
    const double ri = all ? qualityIndex(s.range.y, fitted.values, sums.withXSum, fitted.sum)
                          : qualityIndex(withXY, fittedAt(withX, curve));
    return makeFit(this, g1, xSeries, s.range.x, fitted.values, name, formulaText(equation, ri));
}

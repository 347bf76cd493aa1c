#include "graph/GraphRules.h"

#include "Core/Data/Globals.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace GraphRules {

QFont ScaleFont()
{
    // Helvetica is rarely installed on Linux; its packaged metric twin is named outright.
    QFont f(QStringLiteral("Liberation Sans"), 10);
    f.setWeight(QFont::Normal);
    f.setItalic(false);
    return f;
}

namespace {

int ClampPixel(float v)
{
    if (std::isnan(v))
        return 0;
    v = std::clamp(v, float(-PixelLimit), float(PixelLimit));
    return int(v);
}

bool Usable(float min, float max)
{
    const float span = max - min;
    return std::isfinite(span) && span != 0.0f;
}

} // namespace

int ToPixelX(float x, float min, float max, const QRect& rect)
{
    if (!Usable(min, max))
        return std::clamp(rect.left(), -PixelLimit, PixelLimit);
    const float w = float(rect.right() - rect.left());
    return ClampPixel((x - min) / (max - min) * w + float(rect.left()));
}

int ToPixelY(float y, float min, float max, const QRect& rect)
{
    if (!Usable(min, max))
        return std::clamp(rect.bottom(), -PixelLimit, PixelLimit);
    const float h = float(rect.bottom() - rect.top());
    const float part = (y - min) / (max - min) * h;
    // The product is truncated first, then taken from the bottom; the clamp keeps the
    // subtraction inside the int range.
    const int t = ClampPixel(part);
    return std::clamp(rect.bottom() - t, -PixelLimit, PixelLimit);
}

double FirstStep(double range)
{
    if (!(range > 0.0) || !std::isfinite(range))
        return 0.0;
    const double lg = std::log10(range);
    const double f = lg - std::trunc(lg);
    const double e = std::floor(lg) + (f > 0.5 ? 1.0 : 0.0) - 1.0;
    const double s = std::pow(10.0, e);
    return (s > 0.0 && std::isfinite(s)) ? s : 0.0;
}

double RoundStep(double rough)
{
    if (!(rough > 0.0) || !std::isfinite(rough))
        return 0.0;
    const double decade = std::pow(10.0, std::floor(std::log10(rough)));
    // A hair of tolerance, so a step that is already round is not pushed to the next one.
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (m * decade >= rough * (1.0 - 1e-9))
            return m * decade;
    return 10.0 * decade;
}

namespace {

// The round step after this one: 1, 2, 2.5, 5, 10, ...
double NextRoundStep(double step)
{
    return RoundStep(step * (1.0 + 1e-6));
}

// The smallest round step, not below rough, whose multiples cover [min, max] in at most limit
// steps; the ends are the multiples just outside the range. A limit below 2 could never be met
// by a range across zero (its ends lie a step either side), so it counts as 2.
TickPlan Plan(double min, double max, double rough, int limit)
{
    TickPlan p;
    const double range = max - min;
    if (!(range > 0.0) || !std::isfinite(range) || !std::isfinite(min) || !std::isfinite(max))
        return p;
    const double n = std::max(limit, 2);
    p.step = RoundStep(std::max(rough, range / n));
    for (int k = 0; k < MaxThinning && p.step > 0.0 && std::isfinite(p.step); ++k) {
        p.lo = std::floor(min / p.step) * p.step;
        p.hi = std::ceil(max / p.step) * p.step;
        if ((p.hi - p.lo) / p.step <= n + 1e-9) {
            p.ok = std::isfinite(p.lo) && std::isfinite(p.hi);
            return p;
        }
        p.step = NextRoundStep(p.step);
    }
    return TickPlan{};
}

} // namespace

TickPlan PlanYTicks(double min, double max, int limit)
{
    return Plan(min, max, FirstStep(max - min), limit);
}

TickPlan PlanXTicks(double min, double max, double labelSpan, int limit)
{
    const double span = (labelSpan > 0.0 && std::isfinite(labelSpan)) ? labelSpan : 0.0;
    return Plan(min, max, std::max(FirstStep(max - min), span), limit);
}

int LabelDecimals(int start, double step, double multiplier)
{
    int d = start;
    while (d < 6 && std::pow(10.0, -d) > step * multiplier)
        ++d;
    return d;
}

Range YAutoscale(bool empty, float lo, float hi, bool barGraph)
{
    double mn = empty ? 0.0 : lo;
    double mx = empty ? 0.0 : hi;
    if (mn == 0.0 && mx == 0.0) {
        mn = -1.0;
        mx = 1.0;
    }
    mn *= mn < 0.0 ? 1.3 : 0.7;
    mx *= mx < 0.0 ? 0.7 : 1.3;
    if (mn > mx)
        std::swap(mn, mx);
    Range r{float(mn), float(mx)};
    if (barGraph)
        r.min = 0.0f;
    return r;
}

bool ScrollXRange(long long lastPos, long long span, bool timingRun, float xMin, Range& out, bool& autoOn)
{
    bool changed = false;
    if (lastPos < span) {
        out = Range{0.0f, float(span)};
        autoOn = true;
        xMin = 0.0f;
        changed = true;
    }
    if (float(lastPos) < xMin)
        return changed;
    if (timingRun) {
        out = lastPos > span ? Range{float(lastPos - 1 - span), float(lastPos - 1)} : Range{0.0f, float(span)};
        autoOn = true;
    } else if (lastPos > 0) {
        out = Range{0.0f, float(7 * lastPos)};
    } else {
        // No sample past the start yet: seven times nothing would be an axis without length.
        out = Range{0.0f, float(std::max(span, 1LL))};
    }
    return true;
}

QString TimeLabel(double position, double secondsPerSample)
{
    return Double2String(position * secondsPerSample * GetTimeMultiplier(1, 1), 5, false, false);
}

XAxisContent TimeAxisContent(bool barGraph, int sensorIndex, bool fourierResult, Sampling sampling, double interval)
{
    if (barGraph || sensorIndex == SensorIndexTimingResult)
        return XAxisContent::Events;
    // Without a step between positions there is no time or frequency to show: they are counted.
    if (!(interval > 0.0) || !std::isfinite(interval))
        return XAxisContent::Samples;
    if (fourierResult)
        return XAxisContent::Frequency;
    if (sensorIndex == SensorIndexVideoTrack)
        return XAxisContent::Time;
    return sampling == Sampling::ByHand ? XAxisContent::Samples : XAxisContent::Time;
}

namespace {

QString GraphText(const char* text)
{
    return QCoreApplication::translate("CGraphWindow", text);
}

} // namespace

QString TimeAxisName(XAxisContent content)
{
    switch (content) {
    case XAxisContent::Events:
        return GraphText("Event");
    case XAxisContent::Frequency:
        return GraphText("Frequency");
    case XAxisContent::Samples:
        return GraphText("Samples");
    case XAxisContent::Time:
    default:
        return GraphText("Time");
    }
}

QString TimeAxisUnit(XAxisContent content)
{
    switch (content) {
    case XAxisContent::Time:
        return GraphText("s");
    case XAxisContent::Frequency:
        return GraphText("Hz");
    default:
        return QString();
    }
}

QString TimeAxisTitle(XAxisContent content)
{
    const QString unit = TimeAxisUnit(content);
    return unit.isEmpty() ? TimeAxisName(content) : TimeAxisName(content) + QStringLiteral(" (") + unit + QLatin1Char(')');
}

QString TimeAxisCsvTitle(XAxisContent content)
{
    const QString unit = TimeAxisUnit(content);
    return unit.isEmpty() ? TimeAxisName(content) : TimeAxisName(content) + QLatin1Char('(') + unit + QLatin1Char(')');
}

double PositionStep(XAxisContent content, double interval)
{
    if (content == XAxisContent::Samples || content == XAxisContent::Events)
        return 1.0;
    return (interval > 0.0 && std::isfinite(interval)) ? interval : 1.0;
}

QString PositionText(double positions, XAxisContent content, double interval)
{
    return Double2String(positions * PositionStep(content, interval), 2, false, false) + TimeAxisUnit(content);
}

double PositionsPerSample(XAxisContent axis, double axisInterval, XAxisContent own, double ownInterval)
{
    if (axis != own || (own != XAxisContent::Time && own != XAxisContent::Frequency))
        return 1.0;
    const auto usable = [](double v) { return v > 0.0 && std::isfinite(v); };
    if (!usable(axisInterval) || !usable(ownInterval))
        return 1.0;
    const double ratio = ownInterval / axisInterval;
    // A ratio no float axis can carry would only put the curve out of sight.
    return (ratio > 1.0e-6 && ratio < 1.0e6) ? ratio : 1.0;
}

bool SameTimeAxis(XAxisContent a, XAxisContent b)
{
    auto counted = [](XAxisContent c) { return c == XAxisContent::Time || c == XAxisContent::Samples; };
    return a == b || (counted(a) && counted(b));
}

QColor UnusedPaletteColor(const QList<QColor>& shown, int start)
{
    const int first = ((start % colorTableSize) + colorTableSize) % colorTableSize;
    // A strong colour first: the palette's pale ones are hard to follow on the white area.
    for (bool strongOnly : {true, false}) {
        for (int k = 0; k < colorTableSize; ++k) {
            const QColor c = colorsTable[(first + k) % colorTableSize];
            bool taken = strongOnly && !StandsOutOnPlotArea(c);
            for (const QColor& s : shown)
                taken = taken || s.rgb() == c.rgb();
            if (!taken)
                return c;
        }
    }
    return colorsTable[first];
}

QRect FitLabelRect(const QRect& plotArea, int row, int textWidth, int rowHeight)
{
    const int swatch = 22;
    return QRect(plotArea.left() + 6, plotArea.top() + 6 + row * (rowHeight + 4), swatch + std::max(0, textWidth) + 8,
                 rowHeight + 2);
}

QRect FitSwatchRect(const QRect& label)
{
    return QRect(label.left() + 4, label.center().y() - 1, 14, 3);
}

namespace {

// Relative luminance of an sRGB colour (0 black, 1 white).
double Luminance(const QColor& c)
{
    auto linear = [](int part) {
        const double v = part / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

} // namespace

double Contrast(const QColor& a, const QColor& b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadoutTextColor(const QColor& box, int alpha)
{
    const double a = std::clamp(alpha, 0, 255) / 255.0;
    auto over = [a](int part) { return int(std::lround(part * a + 255.0 * (1.0 - a))); };
    const QColor shown(over(box.red()), over(box.green()), over(box.blue()));
    return Contrast(shown, Qt::white) > Contrast(shown, Qt::black) ? QColor(Qt::white) : QColor(Qt::black);
}

bool StandsOutOnPlotArea(const QColor& color)
{
    // The grid's blue and tan reach about 1.5 : 1 on white, the palette's pale yellows and
    // light blue 2 : 1 at most; the strong colours 2.4 : 1 and more.
    return Contrast(color, Qt::white) >= 2.25;
}

int TruncClamped(double v)
{
    if (std::isnan(v))
        return 0;
    return int(std::clamp(v, -1.0e9, 1.0e9));
}

int ClampSample(long long sample, int count)
{
    if (count <= 0)
        return 0;
    return int(std::clamp<long long>(sample, 0, count - 1));
}

} // namespace GraphRules

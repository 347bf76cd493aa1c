#include "graph/GraphRules.h"

#include "Core/Data/Globals.h"

#include <algorithm>
#include <cmath>

namespace GraphRules {

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

namespace {

void SpreadEqualEnds(TickPlan& p)
{
    if (p.lo != p.hi)
        return;
    const double v = p.lo;
    p.lo = std::min(0.9 * v, 1.1 * v);
    p.hi = std::max(0.9 * v, 1.1 * v);
}

// Doubles the step until the rounded ends hold at most limit steps; the test looks one
// doubling ahead while the ends keep the step before it. A limit below 2 could never be met
// by a range across zero (its rounded ends lie a step either side), so it counts as 2, and
// the doubling is bounded as well.
bool Thin(double min, double max, int limit, TickPlan& p)
{
    const double n = std::max(limit, 2);
    for (int k = 0; k < MaxThinning && (p.hi - p.lo) / p.step > n; ++k) {
        p.lo = GetRoundVal(float(min), float(p.step));
        p.hi = GetRoundVal(float(max), float(p.step));
        p.step *= 2.0;
        if (!std::isfinite(p.step))
            return false;
    }
    p.ok = std::isfinite(p.lo) && std::isfinite(p.hi);
    return p.ok;
}

} // namespace

TickPlan PlanYTicks(double min, double max, int limit)
{
    TickPlan p;
    p.step = FirstStep(max - min);
    if (p.step <= 0.0)
        return p;
    p.lo = GetRoundVal(float(min), float(p.step));
    p.hi = GetRoundVal(float(max), float(p.step));
    SpreadEqualEnds(p);
    return Thin(min, max, limit, p) ? p : TickPlan{};
}

TickPlan PlanXTicks(double min, double max, double labelSpan, int limit)
{
    TickPlan p;
    p.step = FirstStep(max - min);
    if (p.step <= 0.0)
        return p;
    const float span = (labelSpan > 0.0 && std::isfinite(labelSpan)) ? float(labelSpan) : float(p.step);
    p.lo = GetRoundVal(float(min), span);
    p.hi = GetRoundVal(float(max), span);
    SpreadEqualEnds(p);
    return Thin(min, max, limit, p) ? p : TickPlan{};
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

} // namespace GraphRules

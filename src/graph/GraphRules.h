#pragma once
// The arithmetic of the graph that needs no window: the pixel transforms, the tick steps of
// the scales, the label decimals, the autoscale margins and the time labels. The window
// calls these; the tests check them on worked cases.
#include <QColor>
#include <QFont>
#include <QList>
#include <QRect>
#include <QString>

namespace GraphRules {

// The font of the scales and titles.
QFont ScaleFont();

// Pixel rows and columns are kept inside this bound before they are used.
constexpr int PixelLimit = 32000;
// A scale never walks more ticks than this, whatever its range and step.
constexpr int MaxTicks = 4000;
// The thinning of a scale's step ends after this many doublings.
constexpr int MaxThinning = 200;

// Value to pixel, single precision, truncated towards zero and clamped; an empty or
// non-finite range puts every value on the rectangle's left (bottom) edge.
int ToPixelX(float x, float min, float max, const QRect& rect);
int ToPixelY(float y, float min, float max, const QRect& rect);

// A double taken as a pixel or sample number: truncated, NaN as 0, kept within +-1e9 so that
// the conversion is defined whatever a series holds.
int TruncClamped(double v);
// A sample number kept inside a series of count samples (0 when the series is empty).
int ClampSample(long long sample, int count);

// The first step of a scale for a range: 10 to the power floor(lg) + (frac(lg) > 0.5) - 1.
// 0 for a range that is not a positive finite number.
double FirstStep(double range);

struct TickPlan
{
    double lo = 0.0;
    double hi = 0.0;
    double step = 0.0;
    bool ok = false;   // false: no ticks at all (empty or non-finite range)
};

// The smallest round step (1, 2, 2.5 or 5 times a power of ten) not below rough; 0 for a
// rough step that is not a positive finite number.
double RoundStep(double rough);

// The numbered ticks of a Y scale over [min, max] for at most limit label rows: a round step,
// never finer than the first step, and the ends at the multiples of the step just outside
// the range, so every numbered value is a whole multiple of the step.
TickPlan PlanYTicks(double min, double max, int limit);
// The same for the X scale, whose step is also at least the span one label needs.
TickPlan PlanXTicks(double min, double max, double labelSpan, int limit);

// The fewest decimals that show a step of step x multiplier, starting from start.
int LabelDecimals(int start, double step, double multiplier);

// Y range of an autoscale from the extremes of the data (already scaled to display units);
// found false for a branch without samples.
struct Range
{
    float min = 0.0f;
    float max = 0.0f;
};
Range YAutoscale(bool empty, float lo, float hi, bool barGraph);

// The scrolling X range of a time or bar graph while a run is drawn. lastPos is the newest
// sample position (already raised for bar graphs), span the window of samples, xMin the
// current minimum. Returns false when the range stays as it is.
bool ScrollXRange(long long lastPos, long long span, bool timingRun, float xMin, Range& out, bool& autoOn);

// Time label of a sample position: seconds with at most five decimals.
QString TimeLabel(double position, double secondsPerSample);

// What the X axis of a time or bar graph counts, by the series that sets its labels: the bars of
// timing results count events, a Fourier transform's bins count hertz, a video track's frames
// and a timed run's samples are seconds apart, and a run sampled by hand, or a series without a
// time between its samples (interval 0), counts samples. How a run was sampled is what its
// record says (CDataManager::IsSampledByHand), not its rate code, which no file keeps.
enum class XAxisContent { Time, Samples, Events, Frequency };
enum class Sampling { Timed, ByHand };
XAxisContent TimeAxisContent(bool barGraph, int sensorIndex, bool fourierResult, Sampling sampling, double interval = 1.0);
// The one rule by which the axis, the cursors and the CSV export say what a position is: its
// name in the X-axis picker ("Time", "Samples", "Event", "Frequency"), its unit ("s", "Hz", none
// for counts), its title under the axis ("Time (s)", "Samples", "Event", "Frequency (Hz)") and
// the title as a CSV header cell, written as the plots' cells are ("Time(s)").
QString TimeAxisName(XAxisContent content);
QString TimeAxisUnit(XAxisContent content);
QString TimeAxisTitle(XAxisContent content);
QString TimeAxisCsvTitle(XAxisContent content);
// What one position step is worth in that unit: the series' interval (seconds per sample, hertz
// per bin), or 1 for positions that count samples or events.
double PositionStep(XAxisContent content, double interval);
// Positions (a distance or an X value) as a cursor reads them: in the unit, two decimals.
QString PositionText(double positions, XAxisContent content, double interval);
// Positions of a time graph's X axis that one sample of a series spans. The axis counts
// positions of the series that sets its labels; a series of the same kind at another interval
// (a run at another rate, a spectrum of another step) stands at its own times, so its sample
// k is at k times this. Series counted in samples or events, or without a usable interval,
// stand one sample a position.
double PositionsPerSample(XAxisContent axis, double axisInterval, XAxisContent own, double ownInterval);
// Whether series of these contents can be drawn against one time axis: positions of samples
// (timed or counted by hand) stand together; events and frequency bins only with their own kind.
bool SameTimeAxis(XAxisContent a, XAxisContent b);

// The colour of a new curve: the first palette entry from start on (wrapping round) that no
// colour in shown has, one that stands out on the plot area where there is one left; the
// entry at start when every one is taken.
QColor UnusedPaletteColor(const QList<QColor>& shown, int start);

// Where the equation of the row-th fit shown in a plot area is written: rows from the area's
// top left, each rowHeight high and as wide as its text plus the colour swatch before it.
QRect FitLabelRect(const QRect& plotArea, int row, int textWidth, int rowHeight);
// The swatch in the fit's colour at the start of that rectangle.
QRect FitSwatchRect(const QRect& label);

// Contrast ratio of two opaque colours, 1 (none) to 21 (black on white).
double Contrast(const QColor& a, const QColor& b);
// Black or white, whichever reads better on a box of this colour laid at alpha over the white
// plot area.
QColor ReadoutTextColor(const QColor& box, int alpha);
// A curve of this colour stands out on the white plot area and from its pale grid lines.
bool StandsOutOnPlotArea(const QColor& color);

} // namespace GraphRules

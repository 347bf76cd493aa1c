#pragma once
// Where a sample of a series stands along a graph's X axis. On a time graph it stands at its
// time: its sample number times the series' seconds per sample. On an XY graph it stands on a
// value of the X-axis series of its own run: sample i of a series whose first X value is k is
// drawn against entry i + k of that series' values (entry i for a recorded series, entry
// i + start for a result that begins at sample start). The curve fits, the statistics' area and
// the graph's slope and cursors take their X the same way, so that what they report is what the
// graph draws.
#include "Core/Data/Globals.h"

#include <QString>
#include <QVector>

#include <cmath>

class CDataBranch;

// The entry of the X-axis series' values that sample 0 of a series whose first X value is
// firstX stands on (entry i + offset for sample i); false when firstX is no usable index.
bool XSeriesOffset(double firstX, long long& offset);
// The entry that sample `sample` stands on; -1 when there is none.
long long XSeriesIndex(double firstX, long long sample);

// The X-axis series' values that samples first .. first + count - 1 of a series whose first X
// value is firstX stand on, copied under one lock; NaN for a sample that stands on no value.
QVector<double> XSeriesValues(const CDataBranch& xSeries, double firstX, long first, int count);

// Whether a value can serve as a sample's X: a finite number that is not the missing mark.
// Asked of every sample a fit reads, so it is inline.
inline bool IsUsableX(double x)
{
    return std::isfinite(x) && x != MissingValue;
}

// A curve fitted against an X-axis series (on an XY graph) names that series, so that a graph
// draws it against that series alone: its equation's X is that series, and drawn against time
// or another series the curve would not be the curve of its equation. The key of that series,
// or -1 for a fit against time and for every series that is no fit. The name is kept as the
// series' related key, which the workspace file keeps.
int FittedXKey(const CDataBranch& series);
void SetFittedX(CDataBranch& fit, const CDataBranch* xSeries);

// What a fit is named after: its source, and for a fit against an X-axis series that series as
// well ("Temperature vs Pressure"), so that it and a fit of the same source against time are
// told apart wherever curves are listed.
QString FitSubject(const CDataBranch& source, const CDataBranch* xSeries);

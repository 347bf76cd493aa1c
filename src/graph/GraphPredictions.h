#pragma once
// The user's prediction curves without the window: whether predict mode is on, the curves
// sketched so far (each with a plot head for its range and colour) and what adding and erasing
// points does to them. The graph window turns presses into values and draws what this holds.
#include "graph/GraphPlot.h"

#include <QList>
#include <QPoint>
#include <QRect>

class CGraphPredictions
{
public:
    const QList<CPredictPlot>& Curves() const { return m_Curves; }
    // Predict mode holds the data plots where they were and takes presses as points; the
    // curves outlive it.
    bool IsOn() const { return m_bOn; }
    void SetOn(bool on) { m_bOn = on; }

    // A new curve, the one later points go to, over the Y range min..max, in the next palette
    // colour that stands out on the plot area.
    void AddCurve(float min, float max);
    // A point of the last curve at (x, y); every whole X position from the curve's end up to x
    // gets a gap first, so that X indexes the curve. Refused (false): no curve, x left of 0 or
    // past the fillers a machine can hold, or a value that is not a number.
    bool AddPoint(double x, double y);
    // Removes the curve with a point drawn nearest p, within 4 pixels across and 4 down, the
    // points drawn on area with X running xMin..xMax and Y over each curve's range; false for none.
    bool EraseNear(QPoint p, float xMin, float xMax, const QRect& area);
    // A stretched Y scale: every curve with points takes its drag-start maximum times ratio.
    void StretchMaxima(float ratio);

private:
    QList<CPredictPlot> m_Curves;
    bool m_bOn = false;
};

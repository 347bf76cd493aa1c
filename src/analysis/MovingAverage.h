#pragma once
// Moving average of a range whose window may reach outside the range (but not outside the
// list), with the window cut short at the list's ends. Prefix sums make the cost independent of
// the window width.
#include <QVector>

// The window of sample i spans i - (w - 1) / 2 .. i + w / 2, clipped to 0 .. listSize - 1
// (no samples before i when w < 3).
// The span of samples that the windows of first..last read; first <= last, both inside the list.
void MovingAverageSpan(qint64 first, qint64 last, qint64 width, qint64 listSize, qint64& lo,
                       qint64& hi);

// The averages for first..last. slice holds the list's samples from index offset on and must
// cover MovingAverageSpan(first, last, width, listSize). False when it does not.
bool MovingAverageOfRange(const QVector<double>& slice, qint64 offset, qint64 listSize,
                          qint64 first, qint64 last, qint64 width, QVector<double>& out);

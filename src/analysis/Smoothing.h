#pragma once
// Centred moving average of odd width over a plain list, by a running sum: the cost is linear
// in the list length whatever the width.
#include <QVector>

// Smooths values with the window 2*(width/2)+1. The first (width/2)+1 results copy the first
// full-window mean and the last (width/2)+1 the last one. Fails (false, out untouched) for a
// negative width or a list shorter than 2*(width/2)+3 values, which has no full window away
// from both edges.
bool SmoothMovingAverageValues(const QVector<double>& values, int width, QVector<double>& out);

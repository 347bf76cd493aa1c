#pragma once
// Photogate pulse evaluation over plain sample lists.
#include <QString>
#include <QVector>

// Evaluates gate1 (and gate2 for the two-gate methods) over first..last (inclusive, already
// inside gate1) with the method code, the flag length and gate distance in centimetres and the
// sample interval dt. Returns the result lines, or the "Please verify ..." message when no value
// was found, the method is unknown, a needed second gate is missing or shorter than the range,
// or dt is not a positive finite number.
QString EvaluatePhotogateTiming(const QVector<double>& gate1, const QVector<double>* gate2,
                                qint64 first, qint64 last, unsigned char method,
                                double flagLengthCm, double gateDistanceCm, double dt);

// The message for "nothing found", translated.
QString PhotogateTimingMessage();

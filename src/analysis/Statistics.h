#pragma once
// Descriptive statistics of a range of a data branch.
#include <QVector>

struct CStatisticsInfo
{
    double m_sum = 0.0;
    double m_average = 0.0;
    double m_median = 0.0;
    double m_min = 0.0;
    double m_max = 0.0;
    double m_stdev = 0.0;
    double m_area = 0.0;
    int m_samples = 0;
    double m_rate = 0.0;
    // The samples were taken by hand: they have no rate, whatever the series' interval says.
    bool m_bByHand = false;
};

// The statistics of values (the stored Y values of the range, in order). Every value but the
// area is scaled by multiplier; the area is the right-end rectangle sum of the stored values
// times the step to each from the one before: secondsPerSample on a time graph, or, given the
// X each sample stands at on an XY graph (xs, one per value), the difference of those X values,
// signed, so that a curve that goes back along X takes its area back (the work of a cycle).
// Missing samples (the missing mark, NaN) count only in the number of samples, and a step from
// or to a sample without an X adds nothing. An empty list gives the all-zero record.
CStatisticsInfo ComputeStatistics(const QVector<double>& values, double multiplier,
                                  double secondsPerSample,
                                  const QVector<double>& xs = QVector<double>());

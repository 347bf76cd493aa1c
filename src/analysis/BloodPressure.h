#pragma once
// Oscillometric evaluation of a cuff-pressure recording.
#include <QString>
#include <QVector>

struct CBloodPressureResult
{
    double m_Systolic = 0.0;
    double m_Diastolic = 0.0;
    int m_MeanArterial = 0;
    int m_Pulse = 0;
};

// Evaluates the pressures ys (mmHg) at the sample numbers xs, sampled every dt seconds. False
// for every recording that does not hold a usable measurement, including a rate below one
// sample per second, a zero or non-finite interval, too few oscillations and results that are
// not finite numbers.
bool EvaluateBloodPressure(const QVector<double>& xs, const QVector<double>& ys, double dt,
                           CBloodPressureResult& result);

// The four result lines shown to the user.
QString BloodPressureResultText(const CBloodPressureResult& result);
// "Improper blood pressure measurement." and "Blood Pressure", translated.
QString BloodPressureFailureText();
QString BloodPressureTitle();

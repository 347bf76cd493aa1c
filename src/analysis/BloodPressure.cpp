#include "analysis/BloodPressure.h"

#include <QCoreApplication>
#include <cmath>

#include "Core/Base/Diagnostics.h"
#include "Core/Base/KorvantaSignals.h"
#include "Core/Data/DataBranch.h"
#include "analysis/Functions.h"
#include "analysis/Smoothing.h"

namespace {

struct Beats
{
    QVector<double> peakValues;
    QVector<double> peakSamples;
    QVector<double> troughValues;
};

// Peaks and troughs of the beat curve; values come from the fine oscillation. The fall walk
// takes every step that does not rise, so each sample belongs to exactly one of the two walks
// and the cursor always moves on, NaN samples included.
Beats FindBeats(const QVector<double>& beat, const QVector<double>& fine,
                const QVector<double>& samples)
{
    Beats beats;
    const int length = beat.size();
    int i = 1;
    while (i < length) {
        while (i < length && beat[i] > beat[i - 1])
            ++i;
        if (i >= length)
            break;
        beats.peakValues.append(fine[i]);
        beats.peakSamples.append(samples[i]);
        while (i < length && !(beat[i] > beat[i - 1]))
            ++i;
        if (i >= length)
            break;
        beats.troughValues.append(fine[i]);
    }
    return beats;
}

bool FitsInt(double value)
{
    return std::isfinite(value) && std::fabs(value) < 2.0e9;
}

// The first trend value at or after the sample number t of the tail.
bool TrendAt(const QVector<double>& trend, const QVector<double>& tailSamples, double t,
             double& value)
{
    for (int i = 0; i < tailSamples.size() && i < trend.size(); ++i) {
        if (tailSamples[i] >= t) {
            value = trend[i];
            return true;
        }
    }
    return false;
}

// The envelope's maximum k and the systolic and diastolic peak indices around it.
void EnvelopePoints(const QVector<double>& envelope, int& k, int& systolic, int& diastolic)
{
    double largest = 0.0;
    k = 0;
    for (int j = 0; j < envelope.size(); ++j) {
        if (envelope[j] > largest) {
            largest = envelope[j];
            k = j;
        }
    }
    int j = k;
    while (envelope[j] > 0.55 * largest && j > 0)
        --j;
    systolic = j;
    j = k;
    while (envelope[j] > 0.6 * largest && j + 1 < envelope.size())
        ++j;
    diastolic = j;
}

} // namespace

bool EvaluateBloodPressure(const QVector<double>& xs, const QVector<double>& ys, double dt,
                           CBloodPressureResult& result)
{
    const double rate = 1.0 / dt;
    // A zero, negative or non-finite interval, or less than one sample per second, leaves
    // the smoothing widths meaningless.
    if (!(dt > 0.0) || !std::isfinite(rate) || rate < 1.0 || rate > 1.0e6)
        return false;
    const int R = static_cast<int>(rate);
    const int n = std::min(xs.size(), ys.size());
    double peak = 0.0;
    int peakIndex = -1;
    for (int i = 0; i < n; ++i) {
        if (ys[i] > peak) {
            peak = ys[i];
            peakIndex = i;
        }
    }
    if (peakIndex < 0 || peak < 170.0)
        return false;
    const int start = peakIndex + R;
    if (start >= n || n - start <= 9 * R)
        return false;
    const QVector<double> tail = ys.mid(start, n - start);
    const QVector<double> tailSamples = xs.mid(start, n - start);
    QVector<double> trend;
    if (!SmoothMovingAverageValues(tail, 3 * R, trend))
        return false;
    const int h = (3 * R) / 2;
    QVector<double> trimmed, trimmedSamples;
    for (int i = 0; i < tail.size() - h; ++i) {
        trimmed.append(tail[h + i] - trend[h + i]);
        trimmedSamples.append(tailSamples[h + i]);
    }
    const int fineWidth = static_cast<int>(0.1 * R);
    const int beatWidth = static_cast<int>(0.3 * R);
    if (trimmed.size() <= 3 * fineWidth)
        return false;
    QVector<double> fine, beat;
    if (!SmoothMovingAverageValues(trimmed, fineWidth, fine)
        || !SmoothMovingAverageValues(fine, beatWidth, beat))
        return false;
    const Beats beats = FindBeats(beat, fine, trimmedSamples);
    QVector<double> amplitudes;
    const int pairs = std::min(beats.peakValues.size(), beats.troughValues.size());
    for (int m = 0; m < pairs; ++m)
        amplitudes.append(beats.peakValues[m] - beats.troughValues[m]);
    if (amplitudes.size() <= 20)
        return false;
    QVector<double> envelope;
    if (!SmoothMovingAverageValues(amplitudes, 10, envelope))
        return false;
    int k = 0, systolicIndex = 0, diastolicIndex = 0;
    EnvelopePoints(envelope, k, systolicIndex, diastolicIndex);
    double systolic = 0.0, diastolic = 0.0;
    if (k + 2 >= beats.peakSamples.size()
        || !TrendAt(trend, tailSamples, beats.peakSamples[systolicIndex], systolic)
        || !TrendAt(trend, tailSamples, beats.peakSamples[diastolicIndex], diastolic))
        return false;
    const double mean = (systolic + 2.0 * diastolic) / 3.0;
    const double pulse = 120.0 / (beats.peakSamples[k + 2] * dt - beats.peakSamples[k] * dt);
    if (!FitsInt(systolic) || !FitsInt(diastolic) || !FitsInt(mean) || !FitsInt(pulse))
        return false;
    result.m_Systolic = systolic;
    result.m_Diastolic = diastolic;
    result.m_MeanArterial = static_cast<int>(mean);
    result.m_Pulse = static_cast<int>(pulse);
    return true;
}

QString BloodPressureResultText(const CBloodPressureResult& result)
{
    const QString mmHg = QCoreApplication::translate("CFunctions", "mmHg");
    return QString("%1  %2[%3]\n%4  %5[%6]\n%7  %8[%9]\n%10  %11[%12]")
        .arg(QCoreApplication::translate("CFunctions", "Systolic Pressure"))
        .arg(static_cast<int>(result.m_Systolic))
        .arg(mmHg)
        .arg(QCoreApplication::translate("CFunctions", "Diastolic Pressure"))
        .arg(static_cast<int>(result.m_Diastolic))
        .arg(mmHg)
        .arg(QCoreApplication::translate("CFunctions", "MAP (Mean Arterial Pressure)"))
        .arg(result.m_MeanArterial)
        .arg(mmHg)
        .arg(QCoreApplication::translate("CFunctions", "Pulse:"))
        .arg(result.m_Pulse)
        .arg(QCoreApplication::translate("CFunctions", "bpm"));
}

QString BloodPressureFailureText()
{
    return QCoreApplication::translate("CFunctions", "Improper blood pressure measurement.");
}

QString BloodPressureTitle()
{
    return QCoreApplication::translate("CFunctions", "Blood Pressure");
}

// ---- CFunctions ------------------------------------------------------------------------

void CFunctions::FunctionBloodPressure(CDataBranch* branch)
{
    if (!branch)
        return;
    // One copy of the whole branch under its locks: during a run the branch may still grow,
    // and the evaluation works on what was stored when it began.
    QVector<double> xs, ys;
    branch->CopyRange(0, branch->GetNumSamples(), xs, ys);
    CBloodPressureResult result;
    const QString text = EvaluateBloodPressure(xs, ys, branch->m_Interval, result)
                             ? BloodPressureResultText(result)
                             : BloodPressureFailureText();
    if (CKorvantaSignals* hub = GetSignalHub())
        hub->SignalGuiModallessMsg(BloodPressureTitle(), text, true);
    else
        MyOutputDebugString(QStringLiteral("CFunctions: blood pressure: ") + text, DiagGui);
}

#include "analysis/FourierSpectrum.h"

#include <algorithm>
#include <cmath>

#include "opencv/OpenCvLibrary.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
#include "Core/Data/SeriesNames.h"
#include "analysis/Functions.h"
#include "analysis/FunctionsSupport.h"

int FourierBinCount(int count)
{
    return count < 1 ? 0 : (count - 1) / 2 + 1;
}

bool FourierMagnitudes(const double* values, int count, QVector<double>& magnitudes)
{
    if (!values || count < 1 || count > (1 << 29))
        return false;
    static const auto transform = KorvantaOpenCv::Entry<KorvantaFourierFunction>(s_OpenCvLibrary, s_FourierSymbol);
    if (!transform)
        return false;
    QVector<double> result(FourierBinCount(count));
    if (!transform(values, count, result.size(), result.data()))
        return false;
    magnitudes = result;
    return true;
}

// ---- CFunctions ------------------------------------------------------------------------

CDataBranch* CFunctions::FunctionFourier(CDataBranch* branch, long start, long end, QString name,
                                         QString, CDataBranch** frequencyBranch)
{
    if (frequencyBranch)
        *frequencyBranch = nullptr;
    if (!branch)
        return nullptr;
    long lo = start, hi = end;
    ValidateStartEndIndexes(lo, hi, branch->GetYSize());
    const long count = hi - lo + 1;
    const double dt = branch->m_Interval;
    // Everything is checked before anything is created, so a refused range leaves no branch.
    // A refusal says why: a dialog that asked for the spectrum would otherwise just close.
    if (count < 3) {
        AnalysisSupport::ShowTooFewSamples(*this);
        return nullptr;
    }
    if (count > (1 << 29))
        return nullptr;
    const CDataManager* data = GetDataManager();
    if (!(dt > 0.0) || !std::isfinite(1.0 / dt) || (data && data->IsSampledByHand(branch->m_Key))) {
        // Frequencies need the time between samples, which manual sampling does not have.
        AnalysisSupport::ShowCritical(*this, QString(), tr("A Fourier transform needs samples taken at a fixed rate; "
                                                    "this series was sampled by hand."));
        return nullptr;
    }
    QVector<double> xs, ys;
    if (branch->CopyRange(static_cast<int>(lo), static_cast<int>(count), xs, ys) != count)
        return nullptr;
    QVector<double> magnitudes;
    if (!FourierMagnitudes(ys.constData(), static_cast<int>(count), magnitudes)) {
        AnalysisSupport::ShowCritical(*this, QString(), tr("The Fourier transform could not be computed."));
        return nullptr;
    }
    // Both results count bins: X is the bin number, and the interval is the frequency step, so
    // X times the interval is the bin's frequency wherever a series is shown against its own X.
    // The frequency axis has one value per magnitude, 0 up to half the sampling rate.
    const double step = 1.0 / (dt * count);
    QVector<double> bins(magnitudes.size()), frequencies(magnitudes.size());
    for (int i = 0; i < bins.size(); ++i) {
        bins[i] = i;
        frequencies[i] = step * i;
    }
    const QString frequencyName =
        QString("%1(0 - %2%3) %4 %5")
            .arg(tr("Frequency"), Double2String(1.0 / (dt + dt), 3, false, false), tr("Hz"),
                 tr("for"), name);
    CDataBranch* axis = AddFunctionBranch(branch->m_Key, bins, frequencies, frequencyName,
                                          frequencyName, step, tr("Hz"), 0, FunctionResultIndex);
    CDataBranch* spectrum = AddFunctionBranch(branch->m_Key, bins, magnitudes, name, name, step,
                                              SeriesNames::UnitOf(*branch), 0, FunctionResultIndex);
    if (axis && spectrum) {
        axis->m_RelatedKey = spectrum->m_Key;
        spectrum->m_RelatedKey = axis->m_Key;
    }
    if (frequencyBranch)
        *frequencyBranch = axis;
    return spectrum;
}

bool IsFourierResult(const CDataManager* data, const CDataBranch* branch)
{
    if (!data || !branch || branch->m_RelatedKey < 0 || branch->m_RelatedKey == branch->m_Key
        || !branch->m_MarkedPositions.isEmpty())
        return false;
    const CDataBranch* other = data->GetDataBranch(branch->m_RelatedKey);
    return other && other->m_RelatedKey == branch->m_Key;
}

bool IsFourierFrequencyAxis(const CDataManager* data, const CDataBranch* branch)
{
    if (!IsFourierResult(data, branch))
        return false;
    const double step = branch->m_Interval;
    const int count = std::min(branch->GetXSize(), branch->GetYSize());
    if (!(step > 0.0) || !std::isfinite(step) || count < 2)
        return false;
    // The spectrum holds amplitudes; only the axis rises by one step a bin, from 0 on. Three
    // bins tell them apart, the last of a long axis included.
    for (const int i : {0, 1, count - 1}) {
        const double expected = branch->GetXSample(i) * step;
        if (std::fabs(branch->GetYSample(i) - expected) > 1.0e-9 * std::max(1.0, std::fabs(expected)))
            return false;
    }
    return true;
}

#include "analysis/FourierSpectrum.h"

#include <cmath>

#include "opencv/OpenCvLibrary.h"

#include "Core/Data/DataBranch.h"
#include "Core/Data/DataFolder.h"
#include "Core/Data/DataManager.h"
#include "Core/Data/Globals.h"
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

namespace {

// Whether the branch, or the branch it was derived from, belongs to a run sampled by hand. Such
// a run's branches carry the period of no rate (one second), not a time between samples. A run
// read from a file is known by its manual X series.
bool SampledByHand(const CDataManager* data, const CDataBranch* branch)
{
    if (!data || !branch)
        return false;
    int key = branch->m_OwnerKey;
    // Owner keys come from files too: the walk is bounded rather than trusted to end.
    for (int step = 0; step < 64 && key >= 0; ++step) {
        if (const CDataFolder* folder = data->GetDataFolder(key)) {
            if (folder->m_bSampledByHand)
                return true;
            for (int k : folder->GetBranchKeys()) {
                const CDataBranch* b = data->GetDataBranch(k);
                if (b && b->m_SensorIndex == SensorIndexManualX)
                    return true;
            }
            return false;
        }
        const CDataBranch* owner = data->GetDataBranch(key);
        if (!owner)
            return false;
        key = owner->m_OwnerKey;
    }
    return false;
}

} // namespace

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
    if (!(dt > 0.0) || !std::isfinite(1.0 / dt) || SampledByHand(GetDataManager(), branch)) {
        // Frequencies need the time between samples, which manual sampling does not have.
        AnalysisSupport::ShowCritical(*this, QString(), tr("A Fourier transform needs samples taken at a fixed rate; "
                                                    "this series was sampled by hand."));
        return nullptr;
    }
    QVector<double> xs, ys, positions, unused;
    if (branch->CopyRange(static_cast<int>(lo), static_cast<int>(count), xs, ys) != count)
        return nullptr;
    // Both results carry the X values of the source's first positions, whatever the range.
    branch->CopyRange(0, static_cast<int>(count), positions, unused);
    QVector<double> magnitudes;
    if (!FourierMagnitudes(ys.constData(), static_cast<int>(count), magnitudes)) {
        AnalysisSupport::ShowCritical(*this, QString(), tr("The Fourier transform could not be computed."));
        return nullptr;
    }
    const double step = 1.0 / (dt * count);
    QVector<double> frequencies(static_cast<int>(count));
    for (int i = 0; i < frequencies.size(); ++i)
        frequencies[i] = step * i;
    const QString frequencyName =
        QString("%1(0 - %2%3) %4 %5")
            .arg(tr("Frequency"), Double2String(1.0 / (dt + dt), 3, false, false), tr("Hz"),
                 tr("for"), name);
    CDataBranch* axis = AddFunctionBranch(branch->m_Key, positions, frequencies, frequencyName,
                                          frequencyName, dt, branch->m_Unit, 0,
                                          FunctionResultIndex);
    if (frequencyBranch)
        *frequencyBranch = axis;
    return AddFunctionBranch(branch->m_Key, positions.mid(0, magnitudes.size()), magnitudes,
                             name, name, dt, branch->m_Unit, 0, FunctionResultIndex);
}

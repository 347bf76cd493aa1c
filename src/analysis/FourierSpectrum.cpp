#include "analysis/FourierSpectrum.h"

#include <cmath>
#include <opencv2/core.hpp>

#include "Core/Data/DataBranch.h"
#include "Core/Data/Globals.h"
#include "analysis/Functions.h"
#include "analysis/FunctionsSupport.h"

namespace {

// OpenCV's mixed-radix transform costs about N * p per prime factor p of N; above this factor
// the chirp route (three transforms of a smooth length) is the faster one.
const int kLargestDirectFactor = 61;

int LargestPrimeFactor(int n)
{
    int largest = 1;
    for (int p = 2; static_cast<qint64>(p) * p <= n; ++p) {
        while (n % p == 0) {
            largest = p;
            n /= p;
        }
    }
    return n > 1 ? n : largest;
}

void MagnitudesFromComplex(const cv::Mat& spectrum, int count, int bins, QVector<double>& out)
{
    out.resize(bins);
    const cv::Vec2d* row = spectrum.ptr<cv::Vec2d>(0);
    for (int m = 0; m < bins; ++m)
        out[m] = std::sqrt(row[m][0] * row[m][0] + row[m][1] * row[m][1]) / count;
}

bool DirectTransform(const double* values, int count, int bins, QVector<double>& out)
{
    cv::Mat input(1, count, CV_64F, const_cast<double*>(values));
    cv::Mat spectrum;
    cv::dft(input, spectrum, cv::DFT_COMPLEX_OUTPUT);
    if (spectrum.type() != CV_64FC2 || spectrum.cols < bins)
        return false;
    MagnitudesFromComplex(spectrum, count, bins, out);
    return true;
}

// Bluestein: m*r = (m^2 + r^2 - (m - r)^2) / 2 turns the transform into a convolution with the
// chirp exp(i*pi*k^2/N), done with transforms of a padded length L >= 2N - 1.
bool ChirpTransform(const double* values, int count, int bins, QVector<double>& out)
{
    const int length = cv::getOptimalDFTSize(2 * count - 1);
    const qint64 period = 2 * static_cast<qint64>(count);
    std::vector<double> chirpCos(count), chirpSin(count);
    for (int k = 0; k < count; ++k) {
        // k^2 mod 2N keeps the angle small, so it stays exact for long series.
        const qint64 q = (static_cast<qint64>(k) * k) % period;
        const double angle = M_PI * static_cast<double>(q) / count;
        chirpCos[k] = std::cos(angle);
        chirpSin[k] = std::sin(angle);
    }
    cv::Mat a = cv::Mat::zeros(1, length, CV_64FC2);
    cv::Mat b = cv::Mat::zeros(1, length, CV_64FC2);
    cv::Vec2d* pa = a.ptr<cv::Vec2d>(0);
    cv::Vec2d* pb = b.ptr<cv::Vec2d>(0);
    for (int k = 0; k < count; ++k) {
        // a_k = y_k * exp(-i*pi*k^2/N); b_k = exp(+i*pi*k^2/N), mirrored for negative k.
        pa[k] = cv::Vec2d(values[k] * chirpCos[k], -values[k] * chirpSin[k]);
        pb[k] = cv::Vec2d(chirpCos[k], chirpSin[k]);
        if (k > 0)
            pb[length - k] = pb[k];
    }
    cv::Mat fa, fb, product, conv;
    cv::dft(a, fa);
    cv::dft(b, fb);
    cv::mulSpectrums(fa, fb, product, 0);
    cv::dft(product, conv, cv::DFT_INVERSE | cv::DFT_SCALE);
    if (conv.type() != CV_64FC2 || conv.cols < bins)
        return false;
    out.resize(bins);
    const cv::Vec2d* pc = conv.ptr<cv::Vec2d>(0);
    for (int m = 0; m < bins; ++m) {
        // The outer chirp factor has modulus 1, so the magnitude is that of the convolution.
        out[m] = std::sqrt(pc[m][0] * pc[m][0] + pc[m][1] * pc[m][1]) / count;
    }
    return true;
}

} // namespace

int FourierBinCount(int count)
{
    return count < 1 ? 0 : (count - 1) / 2 + 1;
}

bool FourierMagnitudes(const double* values, int count, QVector<double>& magnitudes)
{
    // 2N - 1 of the chirp route must stay an int.
    if (!values || count < 1 || count > (1 << 29))
        return false;
    const int bins = FourierBinCount(count);
    QVector<double> result;
    bool ok = false;
    try {
        if (LargestPrimeFactor(count) <= kLargestDirectFactor)
            ok = DirectTransform(values, count, bins, result);
        else
            ok = ChirpTransform(values, count, bins, result);
    } catch (const cv::Exception&) {
        ok = false;
    } catch (const std::exception&) {
        ok = false;
    }
    if (ok)
        magnitudes = result;
    return ok;
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
        AnalysisSupport::ShowTooFewSamples();
        return nullptr;
    }
    if (count > (1 << 29))
        return nullptr;
    if (!(dt > 0.0) || !std::isfinite(1.0 / dt)) {
        // Frequencies need the time between samples, which manual sampling does not have.
        AnalysisSupport::ShowCritical(QString(), tr("A Fourier transform needs samples taken at a fixed rate; "
                                                    "this series was sampled by hand."));
        return nullptr;
    }
    QVector<double> xs, ys, positions, unused;
    if (branch->CopyRange(static_cast<int>(lo), static_cast<int>(count), xs, ys) != count)
        return nullptr;
    // Both results carry the X values of the source's first positions, whatever the range.
    branch->CopyRange(0, static_cast<int>(count), positions, unused);
    QVector<double> magnitudes;
    if (!FourierMagnitudes(ys.constData(), static_cast<int>(count), magnitudes))
        return nullptr;
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

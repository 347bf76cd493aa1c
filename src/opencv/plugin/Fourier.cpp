// The magnitudes of a real series' discrete Fourier transform, with OpenCV's transform: the
// direct mixed-radix one where the length's prime factors are small, Bluestein's chirp route
// otherwise. For FourierMagnitudes (analysis/FourierSpectrum.cpp).
#include "opencv/OpenCvPlugin.h"

#include <opencv2/core.hpp>

#include <QVector>
#include <QtGlobal>

#include <cmath>
#include <vector>

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

extern "C" __attribute__((visibility("default"))) int korvanta_fourier_magnitudes(const double* values, int count,
                                                                                  int bins, double* out)
{
    // 2N - 1 of the chirp route must stay an int.
    if (!values || !out || count < 1 || count > (1 << 29) || bins < 1 || bins > count)
        return 0;
    QVector<double> result;
    bool ok = false;
    try {
        if (LargestPrimeFactor(count) <= kLargestDirectFactor)
            ok = DirectTransform(values, count, bins, result);
        else
            ok = ChirpTransform(values, count, bins, result);
    } catch (...) {
        ok = false;
    }
    if (!ok || result.size() < bins)
        return 0;
    std::copy(result.constBegin(), result.constBegin() + bins, out);
    return 1;
}

#pragma once
// Amplitude spectrum of a real series: for bin m, |sum_r y[r] * exp(-2*pi*i*m*r/N)| / N, the
// value of the direct sum, computed by a fast transform.
#include <QVector>

class CDataBranch;
class CDataManager;

// Number of bins from frequency 0 up to half of N: (N - 1) / 2 + 1, 0 for N < 1.
int FourierBinCount(int count);

// Fills magnitudes with FourierBinCount(count) values. Lengths whose factors OpenCV's transform
// handles well go to it directly; a length with a large prime factor goes through a chirp
// transform of a convenient padded length, so no length takes quadratic time. False (nothing
// written) for count < 1 or when the transform fails.
bool FourierMagnitudes(const double* values, int count, QVector<double>& magnitudes);

// Whether a branch is one of the two a Fourier transform makes, the spectrum or its frequency
// axis: each names the other as its related branch. Both count frequency bins: X is the bin
// number and X times the sample interval is the bin's frequency in hertz.
bool IsFourierResult(const CDataManager* data, const CDataBranch* branch);
// Whether a branch is the frequency axis of a Fourier transform: the one of the two whose values
// are its bins' frequencies (bin number times the frequency step). It is the spectrum's X, not a
// series to draw or to give a scale.
bool IsFourierFrequencyAxis(const CDataManager* data, const CDataBranch* branch);

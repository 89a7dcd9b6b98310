// Radix-2 FFT and Hann-framed average spectra.
#include "tools/plot/Spectrum.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

bool IsPowerOfTwo(size_t n)
{
  return n != 0 && (n & (n - 1)) == 0;
}

double PowerToDb(double power, double floorDb)
{
  if (!(power > 0)) return floorDb;
  return std::max(floorDb, 10.0 * std::log10(power));
}

} // namespace

bool FastFourierTransform(std::vector<std::complex<double>>& data)
{
  const size_t n = data.size();
  if (!IsPowerOfTwo(n)) return false;
  // Bit-reversal permutation, then butterflies of growing span.
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j |= bit;
    if (i < j) std::swap(data[i], data[j]);
  }
  for (size_t span = 2; span <= n; span <<= 1) {
    const double angle = -2.0 * kPi / static_cast<double>(span);
    for (size_t start = 0; start < n; start += span) {
      for (size_t k = 0; k < span / 2; ++k) {
        // Twiddles straight from sin/cos rather than by repeated multiplication, so large
        // transforms do not accumulate rounding.
        const std::complex<double> w(std::cos(angle * k), std::sin(angle * k));
        const std::complex<double> odd = w * data[start + k + span / 2];
        data[start + k + span / 2] = data[start + k] - odd;
        data[start + k] += odd;
      }
    }
  }
  return true;
}

double AverageSpectrum::LevelDbAt(double hz, double floorDb) const
{
  if (magnitude.empty() || !(hz >= 0) || hz > sampleRate / 2) return floorDb;
  const double pos = hz * fftSize / sampleRate;
  const size_t k = std::min(static_cast<size_t>(pos), magnitude.size() - 1);
  const size_t k1 = std::min(k + 1, magnitude.size() - 1);
  const double t = pos - static_cast<double>(k);
  const double mag = magnitude[k] + (magnitude[k1] - magnitude[k]) * t;
  return PowerToDb(mag * mag, floorDb);
}

double AverageSpectrum::BandLevelDb(double loHz, double hiHz, double floorDb) const
{
  if (magnitude.empty()) return floorDb;
  const double binHz = sampleRate / fftSize;
  const size_t first = static_cast<size_t>(std::max(0.0, std::ceil(loHz / binHz)));
  double power = 0;
  size_t bins = 0;
  for (size_t k = first; k < magnitude.size() && BinFrequency(k) < hiHz; ++k, ++bins)
    power += magnitude[k] * magnitude[k];
  if (bins == 0) return LevelDbAt(0.5 * (loHz + hiHz), floorDb);
  return PowerToDb(power / static_cast<double>(bins), floorDb);
}

AverageSpectrum ComputeAverageSpectrum(const float* samples, size_t count, double sampleRate, int fftSize)
{
  AverageSpectrum result;
  if (fftSize < 2 || !IsPowerOfTwo(static_cast<size_t>(fftSize))) return result;
  const size_t n = static_cast<size_t>(fftSize);
  result.fftSize = fftSize;
  result.sampleRate = sampleRate;

  // Periodic Hann: its transform is exactly N/2 at bin 0 and -N/4 at bins +-1.
  std::vector<double> window(n);
  double windowSum = 0;
  for (size_t i = 0; i < n; ++i) {
    window[i] = 0.5 - 0.5 * std::cos(2.0 * kPi * static_cast<double>(i) / static_cast<double>(n));
    windowSum += window[i];
  }
  // A one-sided bin of a sine of amplitude A holds A/2 * windowSum; twice that over the sum gives A.
  const double scale = 2.0 / windowSum;

  std::vector<double> power(n / 2 + 1, 0.0);
  std::vector<std::complex<double>> frame(n);
  const size_t hop = n / 2;
  size_t frames = 0;
  for (size_t start = 0; frames == 0 || start + n <= count; start += hop) {
    for (size_t i = 0; i < n; ++i) {
      const double x = start + i < count && samples ? samples[start + i] : 0.0;
      frame[i] = std::complex<double>(x * window[i], 0.0);
    }
    FastFourierTransform(frame);
    for (size_t k = 0; k < power.size(); ++k) {
      // DC and the Nyquist bin have no mirror image to fold in.
      const double binScale = k == 0 || k == n / 2 ? 0.5 * scale : scale;
      power[k] += std::norm(frame[k] * binScale);
    }
    ++frames;
  }
  result.magnitude.resize(power.size());
  for (size_t k = 0; k < power.size(); ++k) result.magnitude[k] = std::sqrt(power[k] / static_cast<double>(frames));
  return result;
}

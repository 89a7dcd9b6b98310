// Frequency analysis for the brindle plots: an in-place radix-2 FFT and the long-term average
// spectrum of a signal (periodic Hann frames at 50 % overlap, power averaged over all frames).
//
// Levels are scaled so that a sine of amplitude A centred on a bin reads A at that bin (and A/2 at
// each neighbour, the Hann main lobe), which makes a full-scale sine 0 dBFS.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

// Transforms data in place (forward, no scaling). The size must be a power of two (1 included);
// false, with data untouched, otherwise.
bool FastFourierTransform(std::vector<std::complex<double>>& data);

struct AverageSpectrum
{
  int fftSize = 0;
  double sampleRate = 0;
  std::vector<double> magnitude; // fftSize / 2 + 1 bins, bin k at k * sampleRate / fftSize Hz

  double BinFrequency(size_t k) const { return static_cast<double>(k) * sampleRate / fftSize; }
  // The level at a frequency in dB (20 log10), interpolated between bins; floorDb for silence and
  // for frequencies outside 0 .. sampleRate / 2.
  double LevelDbAt(double hz, double floorDb) const;
  // The mean power over [loHz, hiHz) in dB when that band holds bins; else LevelDbAt its centre.
  double BandLevelDb(double loHz, double hiHz, double floorDb) const;
};

// A signal shorter than one frame is zero-padded into a single frame. fftSize must be a power of
// two of at least 2; an empty result (no bins) otherwise.
AverageSpectrum ComputeAverageSpectrum(const float* samples, size_t count, double sampleRate, int fftSize);

// Filter design and the non-inline waveshapers of AuDSP.
#include "effect/AuDSP.h"

#include <cmath>
#include <cstring>

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfLn2 = 0.34657359027997264; // makes the bandwidth argument octaves
} // namespace

void AuDSP::dspFullReset()
{
  // Every field is a double array, so the object is trivially zeroable.
  std::memset(static_cast<void*>(this), 0, sizeof(*this));
}

void AuDSP::biquadFilterReset()
{
  for (int i = 0; i < kNumBiquads; ++i) x1[i] = x2[i] = y1[i] = y2[i] = 0.0;
}

void AuDSP::biquadFilterInit(int slot, int type, double frequency, double bandwidth, double gainDB, double sampleRate)
{
  const double w = frequency * kTwoPi / sampleRate;
  const double s = std::sin(w);
  const double c = std::cos(w);
  const double alpha = s * std::sinh(kHalfLn2 * bandwidth * w / s);
  const double A = std::pow(10.0, gainDB / 40.0);

  double nb0, nb1, nb2, na0, na1, na2;
  switch (type) {
  case kHighPass:
    nb0 = (1.0 + c) / 2.0;
    nb1 = -(1.0 + c);
    nb2 = (1.0 + c) / 2.0;
    na0 = 1.0 + alpha;
    na1 = -2.0 * c;
    na2 = 1.0 - alpha;
    break;
  case kBandPass:
    nb0 = alpha;
    nb1 = 0.0;
    nb2 = -alpha;
    na0 = 1.0 + alpha;
    na1 = -2.0 * c;
    na2 = 1.0 - alpha;
    break;
  case kNotch:
    nb0 = 1.0;
    nb1 = -2.0 * c;
    nb2 = 1.0;
    na0 = 1.0 + alpha;
    na1 = -2.0 * c;
    na2 = 1.0 - alpha;
    break;
  case kPeaking:
    nb0 = 1.0 + alpha * A;
    nb1 = -2.0 * c;
    nb2 = 1.0 - alpha * A;
    na0 = 1.0 + alpha / A;
    na1 = -2.0 * c;
    na2 = 1.0 - alpha / A;
    break;
  case kLowShelf: {
    // The low shelf bends its corner with a warped cosine and a narrower beta.
    const double P = A + 1.0, M = A - 1.0;
    const double cw = std::cos(0.41 * w);
    const double beta = (std::sqrt(A) / 1.41) * s;
    nb0 = A * (P - M * cw + beta);
    nb1 = 2.0 * A * (M - P * cw);
    nb2 = A * (P - M * cw - beta);
    na0 = P + M * cw + beta;
    na1 = -2.0 * (M + P * cw);
    na2 = P + M * cw - beta;
    break;
  }
  case kHighShelf: {
    const double P = A + 1.0, M = A - 1.0;
    const double gamma = std::sqrt(2.0 * A) * s;
    nb0 = A * (P + M * c + gamma);
    nb1 = -2.0 * A * (M + P * c);
    nb2 = A * (P + M * c - gamma);
    na0 = P - M * c + gamma;
    na1 = 2.0 * (M - P * c);
    na2 = P - M * c - gamma;
    break;
  }
  default: // kLowPass and every unknown type number
    nb0 = (1.0 - c) / 2.0;
    nb1 = 1.0 - c;
    nb2 = (1.0 - c) / 2.0;
    na0 = 1.0 + alpha;
    na1 = -2.0 * c;
    na2 = 1.0 - alpha;
    break;
  }
  b0[slot] = nb0 / na0;
  b1[slot] = nb1 / na0;
  b2[slot] = nb2 / na0;
  a1[slot] = na1 / na0;
  a2[slot] = na2 / na0;
}

void AuDSP::OnePoleLPFilterInit(int slot, double frequency, double sampleRate)
{
  const double k = std::exp(-kTwoPi * frequency / sampleRate);
  lpGain[slot] = 1.0 - k;
  lpPole[slot] = -k;
}

void AuDSP::OnePoleHPFilterInit(int slot, double frequency, double sampleRate)
{
  const double k = std::exp(-kTwoPi * frequency / sampleRate);
  hpGain[slot] = 1.0 - k;
  hpPole[slot] = -k;
}

void AuDSP::distortion(double input, double level, double drive, double& output)
{
  output = level * std::tanh(10.0 * input * drive);
}

void AuDSP::fuzzdrive(double input, double level, double drive, double& output)
{
  const double x = input * drive;
  output = Clamp(level * std::tanh(10.0 * x), 0.0, 0.5) + Clamp(0.1 * x, -0.5, 0.0);
}

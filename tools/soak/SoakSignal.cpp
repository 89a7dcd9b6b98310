#include "tools/soak/SoakSignal.h"

#include <cmath>

SoakSignal::SoakSignal(std::uint32_t seed, double sampleRate) : mRandom(seed), mRate(sampleRate) {}

void SoakSignal::StartSegment()
{
  mKind = static_cast<Kind>(mRandom.Next() % kKindCount);
  switch (mKind) {
  case kNoise:
    // Anything from a whisper to full scale.
    mLevel = std::pow(10.0, mRandom.Range(-4.0, 0.0));
    mLeft = static_cast<long>(mRandom.Range(0.05, 1.0) * mRate);
    break;
  case kSweep: {
    // 20 Hz to just under Nyquist (or back down), in 0.1 to 2 s.
    const double seconds = mRandom.Range(0.1, 2.0);
    const double low = 20.0, high = 0.45 * mRate;
    const bool up = mRandom.Unit() < 0.5;
    mLeft = static_cast<long>(seconds * mRate);
    mFrequency = up ? low : high;
    mGrowth = std::pow(up ? high / low : low / high, 1.0 / static_cast<double>(mLeft > 0 ? mLeft : 1));
    mLevel = mRandom.Range(0.05, 1.0);
    mPhase = 0.0;
    break;
  }
  case kSilence:
    mLevel = 0.0;
    mLeft = static_cast<long>(mRandom.Range(0.01, 0.5) * mRate);
    break;
  case kBurst:
    // Short and hot: +6 to +30 dB over full scale.
    mLevel = std::pow(10.0, mRandom.Range(0.3, 1.5));
    mLeft = static_cast<long>(mRandom.Range(0.002, 0.1) * mRate);
    break;
  case kKindCount:
    break;
  }
  if (mLeft < 1) mLeft = 1;
}

float SoakSignal::Sample(int channel)
{
  switch (mKind) {
  case kNoise:
  case kBurst:
    return static_cast<float>(mLevel * (2.0 * mRandom.Unit() - 1.0));
  case kSweep:
    // The right channel runs a quarter turn behind.
    return static_cast<float>(mLevel * std::sin(mPhase - (channel ? 1.5707963267948966 : 0.0)));
  default:
    return 0.0f;
  }
}

void SoakSignal::Fill(float* left, float* right, int frames)
{
  for (int i = 0; i < frames; ++i) {
    if (mLeft <= 0) StartSegment();
    left[i] = Sample(0);
    if (right) right[i] = Sample(1);
    if (mKind == kSweep) {
      mPhase = std::fmod(mPhase + 6.283185307179586 * mFrequency / mRate, 6.283185307179586);
      mFrequency *= mGrowth;
    }
    --mLeft;
  }
}

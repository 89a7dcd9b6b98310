// SoakSignal: the varied input a soak run feeds both plug-ins, segment after segment, each of a
// random length and kind: noise at any level, logarithmic sine sweeps, silence, and loud bursts
// well above full scale. Every sample is finite; the second channel differs from the first so
// that a plug-in summing or mixing channels sees real stereo.
#pragma once

#include <cstdint>

// xorshift32: cheap, deterministic and the same everywhere, so a seed replays a run's input.
class SoakRandom
{
public:
  explicit SoakRandom(std::uint32_t seed) : mState(seed ? seed : 0x9E3779B9u) {}
  std::uint32_t Next()
  {
    mState ^= mState << 13;
    mState ^= mState >> 17;
    mState ^= mState << 5;
    return mState;
  }
  // Uniform in [0, 1).
  double Unit() { return (Next() >> 8) * (1.0 / 16777216.0); }
  double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }
  // Uniform in [lo, hi].
  int Between(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<std::uint32_t>(hi - lo + 1)); }

private:
  std::uint32_t mState;
};

class SoakSignal
{
public:
  enum Kind { kNoise, kSweep, kSilence, kBurst, kKindCount };

  SoakSignal(std::uint32_t seed, double sampleRate);
  // Fills `frames` samples of up to two channels (out[1] may be null for mono).
  void Fill(float* left, float* right, int frames);

private:
  void StartSegment();
  float Sample(int channel);

  SoakRandom mRandom;
  double mRate;
  Kind mKind = kSilence;
  long mLeft = 0; // frames left in the segment
  double mLevel = 0.0;
  double mPhase = 0.0, mFrequency = 0.0, mGrowth = 1.0; // sweep
};

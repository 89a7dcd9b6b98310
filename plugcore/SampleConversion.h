#pragma once
// Sample conversions of the audio path: the host's single-precision buffers into
// the plug-in's double-precision buffers and back.
//
// Every variant gives exactly what the plain casts give, sample for sample and
// bit for bit: widening is exact, narrowing rounds in the current rounding mode
// (nearest-even unless the caller changed it), NaNs come out quiet with their
// payloads kept, infinities and signed zeros pass, denormals are kept unless the
// caller set flush-to-zero. The vector variants use the same instructions the
// scalar casts compile to, only wider; the widest the CPU supports is chosen once,
// on first use. Source and destination must not overlap. Nothing here allocates
// or locks, so all of it may run on the audio thread.

// The instruction-set levels a conversion can run at, narrowest first.
enum ESampleConversionLevel {
  kConversionScalar = 0,
  kConversionSse2,
  kConversionAvx2,
  kConversionAvx512,
  kNumConversionLevels
};

// One level's three conversions, each over n samples (nothing for n <= 0).
struct SampleConversionFuncs
{
  // dst[i] = src[i]
  void (*mFloatToDouble)(const float* src, double* dst, int n);
  // dst[i] = static_cast<float>(src[i])
  void (*mDoubleToFloat)(const double* src, float* dst, int n);
  // dst[i] += static_cast<float>(src[i])
  void (*mAddDoubleToFloat)(const double* src, float* dst, int n);
};

// True when this build has the level and the CPU can run it.
bool SampleConversionAvailable(ESampleConversionLevel level);
// The conversions of one level, or null when it is not available.
const SampleConversionFuncs* SampleConversionsAt(ESampleConversionLevel level);
// The level the functions below use: the widest available.
ESampleConversionLevel BestSampleConversionLevel();

// The conversions at the best level.
void ConvertFloatToDouble(const float* src, double* dst, int n);
void ConvertDoubleToFloat(const double* src, float* dst, int n);
void AddDoubleToFloat(const double* src, float* dst, int n);

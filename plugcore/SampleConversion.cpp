// The sample conversions at each instruction-set level and the choice between them.
// The vector loops use the packed forms of the very instructions the scalar casts
// compile to (cvtps2pd, cvtpd2ps, addps), which round and treat NaNs, infinities
// and denormals exactly as their scalar forms do; tails shorter than one vector go
// through the plain casts.
#include "plugcore/SampleConversion.h"

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define BRINDLE_X86_CONVERSIONS 1
#endif

namespace {
// ---- Plain casts: the reference, and the fallback on other CPUs ----

void FloatToDoubleScalar(const float* __restrict src, double* __restrict dst, int n)
{
  for (int s = 0; s < n; ++s) dst[s] = src[s];
}

void DoubleToFloatScalar(const double* __restrict src, float* __restrict dst, int n)
{
  for (int s = 0; s < n; ++s) dst[s] = static_cast<float>(src[s]);
}

void AddDoubleToFloatScalar(const double* __restrict src, float* __restrict dst, int n)
{
  for (int s = 0; s < n; ++s) dst[s] += static_cast<float>(src[s]);
}

#if BRINDLE_X86_CONVERSIONS
bool IsAligned(const void* p, std::uintptr_t alignment)
{
  return (reinterpret_cast<std::uintptr_t>(p) & (alignment - 1)) == 0;
}

// ---- SSE2: two doubles per register ----

__attribute__((target("sse2"))) void FloatToDoubleSse2(const float* __restrict src, double* __restrict dst, int n)
{
  int s = 0;
  for (; s + 4 <= n; s += 4) {
    const __m128 v = _mm_loadu_ps(src + s);
    _mm_storeu_pd(dst + s, _mm_cvtps_pd(v));
    _mm_storeu_pd(dst + s + 2, _mm_cvtps_pd(_mm_movehl_ps(v, v)));
  }
  for (; s < n; ++s) dst[s] = src[s];
}

__attribute__((target("sse2"))) __m128 NarrowFourSse2(const double* src)
{
  return _mm_movelh_ps(_mm_cvtpd_ps(_mm_loadu_pd(src)), _mm_cvtpd_ps(_mm_loadu_pd(src + 2)));
}

__attribute__((target("sse2"))) void DoubleToFloatSse2(const double* __restrict src, float* __restrict dst, int n)
{
  int s = 0;
  for (; s + 4 <= n; s += 4) _mm_storeu_ps(dst + s, NarrowFourSse2(src + s));
  for (; s < n; ++s) dst[s] = static_cast<float>(src[s]);
}

__attribute__((target("sse2"))) void AddDoubleToFloatSse2(const double* __restrict src, float* __restrict dst, int n)
{
  int s = 0;
  for (; s + 4 <= n; s += 4) _mm_storeu_ps(dst + s, _mm_add_ps(_mm_loadu_ps(dst + s), NarrowFourSse2(src + s)));
  for (; s < n; ++s) dst[s] += static_cast<float>(src[s]);
}

// ---- AVX2: four doubles per register, two registers per step ----
// A store that straddles two cache lines costs about twice as much, so the first
// few samples go singly until the destination is aligned to the store width.

__attribute__((target("avx2"))) void FloatToDoubleAvx2(const float* __restrict src, double* __restrict dst, int n)
{
  int s = 0;
  for (; s < n && !IsAligned(dst + s, 32); ++s) dst[s] = src[s];
  for (; s + 8 <= n; s += 8) {
    _mm256_storeu_pd(dst + s, _mm256_cvtps_pd(_mm_loadu_ps(src + s)));
    _mm256_storeu_pd(dst + s + 4, _mm256_cvtps_pd(_mm_loadu_ps(src + s + 4)));
  }
  if (s + 4 <= n) {
    _mm256_storeu_pd(dst + s, _mm256_cvtps_pd(_mm_loadu_ps(src + s)));
    s += 4;
  }
  for (; s < n; ++s) dst[s] = src[s];
}

__attribute__((target("avx2"))) void DoubleToFloatAvx2(const double* __restrict src, float* __restrict dst, int n)
{
  int s = 0;
  for (; s < n && !IsAligned(dst + s, 16); ++s) dst[s] = static_cast<float>(src[s]);
  for (; s + 8 <= n; s += 8) {
    _mm_storeu_ps(dst + s, _mm256_cvtpd_ps(_mm256_loadu_pd(src + s)));
    _mm_storeu_ps(dst + s + 4, _mm256_cvtpd_ps(_mm256_loadu_pd(src + s + 4)));
  }
  if (s + 4 <= n) {
    _mm_storeu_ps(dst + s, _mm256_cvtpd_ps(_mm256_loadu_pd(src + s)));
    s += 4;
  }
  for (; s < n; ++s) dst[s] = static_cast<float>(src[s]);
}

__attribute__((target("avx2"))) void AddDoubleToFloatAvx2(const double* __restrict src, float* __restrict dst, int n)
{
  int s = 0;
  for (; s < n && !IsAligned(dst + s, 16); ++s) dst[s] += static_cast<float>(src[s]);
  for (; s + 4 <= n; s += 4)
    _mm_storeu_ps(dst + s, _mm_add_ps(_mm_loadu_ps(dst + s), _mm256_cvtpd_ps(_mm256_loadu_pd(src + s))));
  for (; s < n; ++s) dst[s] += static_cast<float>(src[s]);
}

// ---- AVX-512: eight doubles per register, two registers per step ----
// Aligned the same way as the AVX2 loops.

// GCC 12's 512-bit conversion intrinsics start from a self-initialised "undefined"
// register, which its flow analysis reports as maybe uninitialised.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

__attribute__((target("avx512f"))) void FloatToDoubleAvx512(const float* __restrict src, double* __restrict dst, int n)
{
  int s = 0;
  for (; s < n && !IsAligned(dst + s, 64); ++s) dst[s] = src[s];
  for (; s + 16 <= n; s += 16) {
    _mm512_storeu_pd(dst + s, _mm512_cvtps_pd(_mm256_loadu_ps(src + s)));
    _mm512_storeu_pd(dst + s + 8, _mm512_cvtps_pd(_mm256_loadu_ps(src + s + 8)));
  }
  if (s + 8 <= n) {
    _mm512_storeu_pd(dst + s, _mm512_cvtps_pd(_mm256_loadu_ps(src + s)));
    s += 8;
  }
  if (s + 4 <= n) {
    _mm256_storeu_pd(dst + s, _mm256_cvtps_pd(_mm_loadu_ps(src + s)));
    s += 4;
  }
  for (; s < n; ++s) dst[s] = src[s];
}

__attribute__((target("avx512f"))) void DoubleToFloatAvx512(const double* __restrict src, float* __restrict dst, int n)
{
  int s = 0;
  for (; s < n && !IsAligned(dst + s, 32); ++s) dst[s] = static_cast<float>(src[s]);
  for (; s + 16 <= n; s += 16) {
    _mm256_storeu_ps(dst + s, _mm512_cvtpd_ps(_mm512_loadu_pd(src + s)));
    _mm256_storeu_ps(dst + s + 8, _mm512_cvtpd_ps(_mm512_loadu_pd(src + s + 8)));
  }
  if (s + 8 <= n) {
    _mm256_storeu_ps(dst + s, _mm512_cvtpd_ps(_mm512_loadu_pd(src + s)));
    s += 8;
  }
  if (s + 4 <= n) {
    _mm_storeu_ps(dst + s, _mm256_cvtpd_ps(_mm256_loadu_pd(src + s)));
    s += 4;
  }
  for (; s < n; ++s) dst[s] = static_cast<float>(src[s]);
}

__attribute__((target("avx512f"))) void AddDoubleToFloatAvx512(const double* __restrict src, float* __restrict dst,
                                                               int n)
{
  int s = 0;
  for (; s < n && !IsAligned(dst + s, 32); ++s) dst[s] += static_cast<float>(src[s]);
  for (; s + 8 <= n; s += 8)
    _mm256_storeu_ps(dst + s, _mm256_add_ps(_mm256_loadu_ps(dst + s), _mm512_cvtpd_ps(_mm512_loadu_pd(src + s))));
  if (s + 4 <= n) {
    _mm_storeu_ps(dst + s, _mm_add_ps(_mm_loadu_ps(dst + s), _mm256_cvtpd_ps(_mm256_loadu_pd(src + s))));
    s += 4;
  }
  for (; s < n; ++s) dst[s] += static_cast<float>(src[s]);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

const SampleConversionFuncs kConversions[kNumConversionLevels] = {
    {FloatToDoubleScalar, DoubleToFloatScalar, AddDoubleToFloatScalar},
#if BRINDLE_X86_CONVERSIONS
    {FloatToDoubleSse2, DoubleToFloatSse2, AddDoubleToFloatSse2},
    {FloatToDoubleAvx2, DoubleToFloatAvx2, AddDoubleToFloatAvx2},
    {FloatToDoubleAvx512, DoubleToFloatAvx512, AddDoubleToFloatAvx512},
#else
    {nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr},
#endif
};

const SampleConversionFuncs& BestConversions()
{
  // Chosen once; after that each call costs one indirect jump.
  static const SampleConversionFuncs& best = kConversions[BestSampleConversionLevel()];
  return best;
}
} // namespace

bool SampleConversionAvailable(ESampleConversionLevel level)
{
  switch (level) {
  case kConversionScalar:
    return true;
#if BRINDLE_X86_CONVERSIONS
  case kConversionSse2:
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
  case kConversionAvx2:
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
  case kConversionAvx512:
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f");
#endif
  default:
    return false;
  }
}

const SampleConversionFuncs* SampleConversionsAt(ESampleConversionLevel level)
{
  return SampleConversionAvailable(level) ? &kConversions[level] : nullptr;
}

ESampleConversionLevel BestSampleConversionLevel()
{
  for (int level = kNumConversionLevels - 1; level > kConversionScalar; --level)
    if (SampleConversionAvailable(static_cast<ESampleConversionLevel>(level)))
      return static_cast<ESampleConversionLevel>(level);
  return kConversionScalar;
}

void ConvertFloatToDouble(const float* src, double* dst, int n)
{
  BestConversions().mFloatToDouble(src, dst, n);
}

void ConvertDoubleToFloat(const double* src, float* dst, int n)
{
  BestConversions().mDoubleToFloat(src, dst, n);
}

void AddDoubleToFloat(const double* src, float* dst, int n)
{
  BestConversions().mAddDoubleToFloat(src, dst, n);
}

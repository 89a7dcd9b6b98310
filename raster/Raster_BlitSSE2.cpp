// SSE2 versions of the blit inner loops (see Raster_BlitSIMD.h). Each reproduces the integer arithmetic of
// the scalar kernel exactly; where SSE2 is not available (or BRINDLE_RASTER_NO_SIMD is defined) the same
// entry points run plain scalar code and the switch stays off.

#include "raster/Raster_BlitAVX2.h"
#include "raster/Raster_BlitSIMD.h"
#include "raster/Raster_BlitSSE2Config.h"
#include "raster/Raster_Template_Blit2.h"

namespace {

bool gSimdOn = RASTER_BLIT_SSE2 != 0;

// --- scalar forms, used for tails and when SSE2 is missing: the combine kernels themselves ---

inline void copySourceAlphaPixel(Raster_PixelWord* d, Raster_PixelWord s)
{
  Raster_BlitDetail::offer<_Raster_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(d, s, 256);
}

inline void copySourceAlphaWeightedPixel(Raster_PixelWord* d, Raster_PixelWord s, int alpha)
{
  Raster_BlitDetail::offer<_Raster_CombinePixelsCopySourceAlphaNoClamp>(d, s, alpha);
}

} // namespace

bool Raster_BlitSimdEnabled()
{
  return gSimdOn;
}

void Raster_SetBlitSimdEnabled(bool on)
{
  gSimdOn = on && RASTER_BLIT_SSE2;
}

#if RASTER_BLIT_SSE2

namespace {

// Source-alpha copy of four pixels. The per-pixel weight w moves the colour by (d - s) * inv / 256 with
// inv = 255 - sa at full weight (and w = sa), or inv = 256 - w with w = weight * (sa + 1) / 256 below it;
// the alpha byte becomes min(255, d + w); pixels with sa = 0 are left alone.
template <bool kWeighted>
inline __m128i copySourceAlpha4(__m128i sv, __m128i dv, __m128i weight)
{
  const __m128i zero = _mm_setzero_si128();
  const __m128i alphaByte = _mm_set1_epi32(0xFF);
  const __m128i sa = _mm_and_si128(sv, alphaByte);
  __m128i w, inv1;
  if (kWeighted) {
    // weight < 256 and sa + 1 <= 256, so the product fits the low 16-bit lane.
    w = _mm_srli_epi32(_mm_mullo_epi16(_mm_add_epi32(sa, _mm_set1_epi32(1)), weight), 8);
    inv1 = _mm_sub_epi32(_mm_set1_epi32(256), w);
  } else {
    w = sa;
    inv1 = _mm_xor_si128(sa, alphaByte);
  }
  const __m128i inv = _mm_or_si128(inv1, _mm_slli_epi32(inv1, 16)); // in both 16-bit lanes

  // (d - s) * inv / 256 truncates toward zero: the magnitude is |d - s| * inv >> 8, its sign that of
  // d - s. Even and odd bytes are multiplied in place in 16-bit lanes (the products stay below 65536).
  const __m128i sOver = _mm_subs_epu8(sv, dv);
  const __m128i dOver = _mm_subs_epu8(dv, sv);
  const __m128i diff = _mm_or_si128(sOver, dOver);
  const __m128i qEven = _mm_srli_epi16(_mm_mullo_epi16(_mm_and_si128(diff, _mm_set1_epi16(0x00FF)), inv), 8);
  const __m128i qOdd = _mm_and_si128(_mm_mullo_epi16(_mm_srli_epi16(diff, 8), inv), _mm_set1_epi16((short)0xFF00));
  const __m128i q = _mm_or_si128(qEven, qOdd);
  const __m128i dBelow = _mm_cmpeq_epi8(dOver, zero); // d <= s: the change is subtracted
  const __m128i colour = _mm_sub_epi8(_mm_add_epi8(sv, _mm_andnot_si128(dBelow, q)), _mm_and_si128(dBelow, q));

  const __m128i alpha = _mm_and_si128(_mm_adds_epu8(dv, w), alphaByte); // min(255, d + w)
  const __m128i out = _mm_or_si128(_mm_andnot_si128(alphaByte, colour), alpha);
  const __m128i keep = _mm_cmpeq_epi32(sa, zero);
  return _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, out));
}

} // namespace

void Raster_SIMD_CopySourceAlphaRow(Raster_PixelWord* d, const Raster_PixelWord* s, int n)
{
  int i = Raster_BlitAvx2Active() ? Raster_AVX2_CopySourceAlphaRow(d, s, n) : 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i sv = _mm_loadu_si128((const __m128i*)(s + i));
    const __m128i dv = _mm_loadu_si128((const __m128i*)(d + i));
    _mm_storeu_si128((__m128i*)(d + i), copySourceAlpha4<false>(sv, dv, sv));
  }
  for (; i < n; i++) copySourceAlphaPixel(d + i, s[i]);
}

void Raster_SIMD_CopySourceAlphaWeightedRow(Raster_PixelWord* d, const Raster_PixelWord* s, int n, int alpha)
{
  const __m128i weight = _mm_set1_epi32(alpha);
  int i = Raster_BlitAvx2Active() ? Raster_AVX2_CopySourceAlphaWeightedRow(d, s, n, alpha) : 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i sv = _mm_loadu_si128((const __m128i*)(s + i));
    const __m128i dv = _mm_loadu_si128((const __m128i*)(d + i));
    _mm_storeu_si128((__m128i*)(d + i), copySourceAlpha4<true>(sv, dv, weight));
  }
  for (; i < n; i++) copySourceAlphaWeightedPixel(d + i, s[i], alpha);
}

void Raster_SIMD_HalfMixRow(Raster_PixelWord* d, const Raster_PixelWord* s, int n)
{
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i sv = _mm_loadu_si128((const __m128i*)(s + i));
    const __m128i dv = _mm_loadu_si128((const __m128i*)(d + i));
    _mm_storeu_si128((__m128i*)(d + i), _Raster_CombinePixelsHalfMixFAST::combine4(dv, sv));
  }
  for (; i < n; i++) d[i] = _Raster_CombinePixelsHalfMixFAST::combine(d[i], s[i]);
}

#else // scalar stand-ins when SSE2 is not compiled in

void Raster_SIMD_CopySourceAlphaRow(Raster_PixelWord* d, const Raster_PixelWord* s, int n)
{
  for (int i = 0; i < n; i++) copySourceAlphaPixel(d + i, s[i]);
}

void Raster_SIMD_CopySourceAlphaWeightedRow(Raster_PixelWord* d, const Raster_PixelWord* s, int n, int alpha)
{
  for (int i = 0; i < n; i++) copySourceAlphaWeightedPixel(d + i, s[i], alpha);
}

void Raster_SIMD_HalfMixRow(Raster_PixelWord* d, const Raster_PixelWord* s, int n)
{
  for (int i = 0; i < n; i++) d[i] = _Raster_CombinePixelsHalfMixFAST::combine(d[i], s[i]);
}

#endif

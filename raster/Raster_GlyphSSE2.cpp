// The SSE2 row behind opaque copy of glyph masks (Raster_BlitSIMD.h), four pixels at a time.
//
// The copy kernel s + (d - s) * k / 256 (k = 255 - m) truncates toward zero, so it is worked out on the
// magnitude |d - s|, whose product with k stays below 65536 in an unsigned 16-bit lane, and the result
// steps from s up or down by the quotient: the same integers as the scalar kernel.

#include "raster/Raster_BlitSIMD.h"
#include "raster/Raster_BlitSSE2Config.h"
#include "raster/Raster_Kernels.h"

#include <cstring>

namespace {

inline void glyphCopyPixel(Raster_PixelWord* d, unsigned char m, Raster_PixelWord c)
{
  if (m == 255)
    *d = c;
  else if (m)
    _Raster_CombinePixelsCopyNoClamp::doPix((unsigned char*)d, Raster_GetR(c), Raster_GetG(c), Raster_GetB(c), 255,
                                            m + 1);
}

} // namespace

#if RASTER_BLIT_SSE2
namespace {

// Four pixels from their coverage word. k = 256 - weight per byte lane (weight m + 1, or 0 where m = 0,
// which leaves the pixel: s + (d - s) * 256 / 256 = d), kept in 16-bit lanes where 256 fits.
inline __m128i glyphCopy4(__m128i dv, uint32_t mw, __m128i s)
{
  const __m128i zero = _mm_setzero_si128();
  __m128i m = _mm_unpacklo_epi8(_mm_cvtsi32_si128((int)mw), zero); // 4 x 16-bit
  m = _mm_unpacklo_epi16(m, m);                                    // p0 p0 p1 p1 p2 p2 p3 p3
  __m128i m01 = _mm_unpacklo_epi32(m, m), m23 = _mm_unpackhi_epi32(m, m);
  const __m128i c255 = _mm_set1_epi16(255);
  const __m128i k01 = _mm_sub_epi16(_mm_sub_epi16(c255, m01), _mm_cmpeq_epi16(m01, zero));
  const __m128i k23 = _mm_sub_epi16(_mm_sub_epi16(c255, m23), _mm_cmpeq_epi16(m23, zero));
  const __m128i down = _mm_subs_epu8(s, dv);
  const __m128i diff = _mm_or_si128(_mm_subs_epu8(dv, s), down);
  // (diff << 8) * k >> 16 = floor(diff * k / 256)
  const __m128i q = _mm_packus_epi16(_mm_mulhi_epu16(_mm_unpacklo_epi8(zero, diff), k01),
                                     _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, diff), k23));
  const __m128i above = _mm_cmpeq_epi8(down, zero); // d >= s
  return _mm_or_si128(_mm_and_si128(above, _mm_adds_epu8(s, q)), _mm_andnot_si128(above, _mm_subs_epu8(s, q)));
}

} // namespace
#endif

namespace {

inline void glyphCopyRow(Raster_PixelWord* d, const unsigned char* mask, int n, Raster_PixelWord c)
{
  int x = 0;
#if RASTER_BLIT_SSE2
  const __m128i s = _mm_set1_epi32((int)c);
  for (; x + 4 <= n; x += 4) {
    uint32_t mw;
    std::memcpy(&mw, mask + x, 4);
    if (mw == 0) continue;
    __m128i* p = (__m128i*)(d + x);
    if (mw == 0xFFFFFFFFu)
      _mm_storeu_si128(p, s);
    else
      _mm_storeu_si128(p, glyphCopy4(_mm_loadu_si128(p), mw, s));
  }
  const int rest = n - x;
  if (rest > 0) {
    // The last one to three pixels gathered into lanes, so nothing past the row is read or written.
    uint32_t mw = mask[x];
    if (rest > 1) mw |= (uint32_t)mask[x + 1] << 8;
    if (rest > 2) mw |= (uint32_t)mask[x + 2] << 16;
    if (mw == 0) return;
    const int d1 = rest > 1 ? (int)d[x + 1] : 0, d2 = rest > 2 ? (int)d[x + 2] : 0;
    const __m128i out = glyphCopy4(_mm_set_epi32(0, d2, d1, (int)d[x]), mw, s);
    d[x] = (Raster_PixelWord)_mm_cvtsi128_si32(out);
    if (rest > 1) d[x + 1] = (Raster_PixelWord)_mm_cvtsi128_si32(_mm_srli_si128(out, 4));
    if (rest > 2) d[x + 2] = (Raster_PixelWord)_mm_cvtsi128_si32(_mm_srli_si128(out, 8));
    return;
  }
#endif
  for (; x < n; ++x) glyphCopyPixel(d + x, mask[x], c);
}

} // namespace

void Raster_SIMD_GlyphCopyBlock(unsigned char* d, long destStep, const unsigned char* mask, int maskSpan, int w, int h,
                                Raster_PixelWord c)
{
  for (int y = 0; y < h; ++y, d += destStep, mask += maskSpan) glyphCopyRow((Raster_PixelWord*)d, mask, w, c);
}

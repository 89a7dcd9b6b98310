#pragma once
// Whole-word loops: each destination word becomes K::combine(D, c) for a whole-word kernel K
// (Raster_Kernels.h). Used for the special weights that have exact word formulas (opaque and half
// copies, quarter mixes), where per-byte arithmetic would only cost time.

#include "raster/Raster_FixedPoint.h"
#include "raster/Raster_Kernels.h"

#include <cstdint>

template <class K>
struct _Raster_Template_Blit0
{
  // Solid fill of a w x h block; rowSpan in pixels (negative walks a flipped bitmap upward).
  static void solidBlitFAST(Raster_PixelWord* dest, int w, int h, Raster_PixelWord color, int rowSpan)
  {
    while (h-- > 0) {
      solidRowFAST(dest, w, color);
      dest += rowSpan;
    }
  }

  // One row of a solid fill; four words at a time where SSE2 is there (same integers as the word loop).
  static inline void solidRowFAST(Raster_PixelWord* dest, int w, Raster_PixelWord color)
  {
    int x = 0;
#if RASTER_HAVE_SSE2
    const __m128i c4 = _mm_set1_epi32((int)color);
    for (; x < w && ((uintptr_t)(dest + x) & 15) != 0; ++x) dest[x] = K::combine(dest[x], color);
    for (; x + 8 <= w; x += 8) {
      __m128i* p = (__m128i*)(dest + x);
      const __m128i d0 = _mm_load_si128(p), d1 = _mm_load_si128(p + 1);
      _mm_store_si128(p, K::combine4(d0, c4));
      _mm_store_si128(p + 1, K::combine4(d1, c4));
    }
    for (; x + 4 <= w; x += 4) {
      __m128i* p = (__m128i*)(dest + x);
      _mm_store_si128(p, K::combine4(_mm_load_si128(p), c4));
    }
#endif
    for (; x < w; ++x) dest[x] = K::combine(dest[x], color);
  }

  // Nearest-pixel scaling in 16.16: destination pixel (x, y) takes source (u / 65536, v / 65536) with u
  // starting at uStart and stepping du per pixel, v at vStart stepping dv per row. Pixels whose sample
  // falls outside 0..clampw-1 x 0..clamph-1 are left alone. Row steps are in bytes.
  static void scaleBlitFAST(Raster_PixelWord* dest, const Raster_PixelWord* src, int w, int h, int uStart, int vStart,
                            int du, int dv, int clampw, int clamph, long srcRowStep, long destRowStep)
  {
    long long v = vStart;
    for (; h > 0; --h, v += dv, dest = (Raster_PixelWord*)((char*)dest + destRowStep)) {
      if (v < -65535) continue;
      const long long cy = v / 65536;
      if (cy >= clamph) continue;
      const Raster_PixelWord* row = (const Raster_PixelWord*)((const char*)src + srcRowStep * cy);
      long long u = uStart;
      for (int x = 0; x < w; ++x, u += du) {
        if (u < -65535) continue;
        const long long cx = u / 65536;
        if (cx >= clampw) continue;
        dest[x] = K::combine(dest[x], row[cx]);
      }
    }
  }
};

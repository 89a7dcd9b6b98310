#pragma once
// Whole-word loops: each destination word becomes K::combine(D, c) for a whole-word kernel K
// (Raster_Kernels.h). Used for the special weights that have exact word formulas (opaque and half
// copies, quarter mixes), where per-byte arithmetic would only cost time.

#include "raster/Raster_FixedPoint.h"
#include "raster/Raster_Kernels.h"

template <class K> struct _Raster_Template_Blit0
{
  // Solid fill of a w x h block; rowSpan in pixels (negative walks a flipped bitmap upward).
  static void solidBlitFAST(Raster_PixelWord *dest, int w, int h, Raster_PixelWord color, int rowSpan)
  {
    while (h-- > 0) {
      for (int x = 0; x < w; ++x) dest[x] = K::combine(dest[x], color);
      dest += rowSpan;
    }
  }

  // Nearest-pixel scaling in 16.16: destination pixel (x, y) takes source (u / 65536, v / 65536) with u
  // starting at uStart and stepping du per pixel, v at vStart stepping dv per row. Pixels whose sample
  // falls outside 0..clampw-1 x 0..clamph-1 are left alone. Row steps are in bytes.
  static void scaleBlitFAST(Raster_PixelWord *dest, const Raster_PixelWord *src, int w, int h, int uStart,
                            int vStart, int du, int dv, int clampw, int clamph, long srcRowStep,
                            long destRowStep)
  {
    long long v = vStart;
    for (; h > 0; --h, v += dv, dest = (Raster_PixelWord *)((char *)dest + destRowStep)) {
      if (v < -65535) continue;
      const long long cy = v / 65536;
      if (cy >= clamph) continue;
      const Raster_PixelWord *row = (const Raster_PixelWord *)((const char *)src + srcRowStep * cy);
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

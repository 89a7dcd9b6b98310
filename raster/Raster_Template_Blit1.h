#pragma once
// Solid and gradient fill loops, written once and instantiated per combine kernel K (Raster_Kernels.h).
// Row steps are in bytes; a negative step walks a flipped bitmap's memory upward.

#include "raster/Raster_FixedPoint.h"
#include "raster/Raster_Kernels.h"

template <class K> struct _Raster_Template_Blit1
{
  // Every pixel of a w x h block combines the colour (r, g, b) at weight alpha; the value offered to the
  // alpha byte is the weight itself.
  static void solidBlit(unsigned char *dest, int w, int h, int r, int g, int b, int alpha, long rowStep)
  {
    for (; h > 0; --h, dest += rowStep) {
      unsigned char *p = dest;
      for (int x = 0; x < w; ++x, p += 4) K::doPix(p, r, g, b, alpha, alpha);
    }
  }

  // Gradient: r, g, b, a run in 16.16 from their start values, stepping per pixel and per row. Each pixel
  // gets the channels' integer parts and the weight a >> 16, which is also the value for the alpha byte.
  // Pixels whose weight is 0 or below are left alone, like every other zero-weight draw.
  static void gradBlit(unsigned char *dest, int w, int h, int r, int g, int b, int a, int drdx, int dgdx,
                       int dbdx, int dadx, int drdy, int dgdy, int dbdy, int dady, long rowStep)
  {
    // 64-bit running values: long or steep gradients must not overflow on the way.
    long long rowR = r, rowG = g, rowB = b, rowA = a;
    for (; h > 0; --h, dest += rowStep) {
      long long R = rowR, G = rowG, B = rowB, A = rowA;
      unsigned char *p = dest;
      for (int x = 0; x < w; ++x, p += 4) {
        const long long wt = A >> 16;
        if (wt > 0) {
          const int alpha = wt > kRaster_WeightLimit ? kRaster_WeightLimit : (int)wt;
          K::doPix(p, channel(R), channel(G), channel(B), alpha, alpha);
        }
        R += drdx;
        G += dgdx;
        B += dbdx;
        A += dadx;
      }
      rowR += drdy;
      rowG += dgdy;
      rowB += dbdy;
      rowA += dady;
    }
  }

private:
  // Integer part, held within the range the kernels' int arithmetic is safe for.
  static inline int channel(long long v)
  {
    const long long c = v >> 16;
    return c < -kRaster_ChannelLimit ? -kRaster_ChannelLimit
                                     : (c > kRaster_ChannelLimit ? kRaster_ChannelLimit : (int)c);
  }
};

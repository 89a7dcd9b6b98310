#pragma once
// Solid and gradient fill loops, written once and instantiated per combine kernel K (Raster_Kernels.h).
// Row steps are in bytes; a negative step walks a flipped bitmap's memory upward.

#include "raster/Raster_FixedPoint.h"
#include "raster/Raster_Kernels.h"

#include <type_traits>

// True for kernels whose every output byte depends only on that byte of the destination (given fixed
// offered values and weight) - all but HSV adjust, which works on the three colour bytes together.
template <class K>
struct Raster_KernelIsPerChannel
    : std::integral_constant<bool, !std::is_same<K, _Raster_CombinePixelsHSVAdjust>::value &&
                                       !std::is_same<K, _Raster_CombinePixelsHSVAdjustSourceAlpha>::value>
{};

template <class K>
struct _Raster_Template_Blit1
{
  // Every pixel of a w x h block combines the colour (r, g, b) at weight alpha; the value offered to the
  // alpha byte is the weight itself.
  //
  // With a solid colour a per-channel kernel maps each destination byte value to one result, so larger
  // blocks first run the kernel over all 256 values of each byte and then only look results up: the
  // integers are the kernel's own, at a fraction of the cost.
  static void solidBlit(unsigned char* dest, int w, int h, int r, int g, int b, int alpha, long rowStep)
  {
    if (Raster_KernelIsPerChannel<K>::value && (long long)w * h >= kTableMinPixels) {
      solidBlitByTable(dest, w, h, r, g, b, alpha, rowStep);
      return;
    }
    for (; h > 0; --h, dest += rowStep) {
      unsigned char* p = dest;
      for (int x = 0; x < w; ++x, p += 4) K::doPix(p, r, g, b, alpha, alpha);
    }
  }

  // Gradient: r, g, b, a run in 16.16 from their start values, stepping per pixel and per row. Each pixel
  // gets the channels' integer parts and the weight a >> 16, which is also the value for the alpha byte.
  // Pixels whose weight is 0 are left alone, like every other zero-weight draw; a weight that has run past
  // zero goes to the kernel (add subtracts), which clamps.
  static void gradBlit(unsigned char* dest, int w, int h, int r, int g, int b, int a, int drdx, int dgdx, int dbdx,
                       int dadx, int drdy, int dgdy, int dbdy, int dady, long rowStep)
  {
    // 64-bit running values: long or steep gradients must not overflow on the way.
    long long rowR = r, rowG = g, rowB = b, rowA = a;
    for (; h > 0; --h, dest += rowStep) {
      long long R = rowR, G = rowG, B = rowB, A = rowA;
      unsigned char* p = dest;
      for (int x = 0; x < w; ++x, p += 4) {
        const long long wt = A >> 16;
        if (wt != 0) {
          const int alpha = wt > kRaster_WeightLimit ? kRaster_WeightLimit
                                                     : (wt < -kRaster_WeightLimit ? -kRaster_WeightLimit : (int)wt);
          K::doPix(p, Raster_LimitChannel(R >> 16, alpha), Raster_LimitChannel(G >> 16, alpha),
                   Raster_LimitChannel(B >> 16, alpha), alpha, alpha);
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
  enum { kTableMinPixels = 512 };

  static void solidBlitByTable(unsigned char* dest, int w, int h, int r, int g, int b, int alpha, long rowStep)
  {
    Raster_PixelWord tab[4][256];
    for (int v = 0; v < 256; ++v) {
      unsigned char px[4] = {(unsigned char)v, (unsigned char)v, (unsigned char)v, (unsigned char)v};
      K::doPix(px, r, g, b, alpha, alpha);
      tab[0][v] = px[0];
      tab[1][v] = (Raster_PixelWord)px[1] << 8;
      tab[2][v] = (Raster_PixelWord)px[2] << 16;
      tab[3][v] = (Raster_PixelWord)px[3] << 24;
    }
    for (; h > 0; --h, dest += rowStep) {
      Raster_PixelWord* row = (Raster_PixelWord*)dest;
      for (int x = 0; x < w; ++x) {
        const Raster_PixelWord D = row[x];
        row[x] = tab[0][D & 0xFF] | tab[1][(D >> 8) & 0xFF] | tab[2][(D >> 16) & 0xFF] | tab[3][D >> 24];
      }
    }
  }
};

#pragma once
// The affine ("delta") inner loop behind the rotated, delta and grid-warp blits. Unlike the other blit
// loops it is not instantiated per kernel: its per-pixel cost is dominated by the stepping and the
// bounds tests, so the kernel's doPix is called through a pointer.
//
// Positions run in 16.16 but are carried in 64-bit accumulators: a long row of large steps cannot
// overflow, and within the int range the values are exactly those of 32-bit stepping.

#include "raster/Raster_Template_Blit2.h"

typedef void (*Raster_DoPixFn)(unsigned char* dest, int r, int g, int b, int a, int alpha);

struct _Raster_Template_Blit3
{
  // Per row: u, v start at the row's start and move by (dudx, dvdx) per pixel; after the row the start
  // moves by (dudy, dvdy) and dudx, dvdx change by (dudxPerRow, dvdxPerRow). Samples outside
  // [minx, maxx) x [miny, maxy) are not drawn; bilinear samples need their taps inside too, and fall back
  // to the vertical pair, horizontal pair or single pixel at the last column and row.
  static void deltaBlit(Raster_PixelWord* dest, const Raster_PixelWord* src, int w, int h, int u, int v, int dudx,
                        int dvdx, int dudy, int dvdy, int dudxPerRow, int dvdxPerRow, int minx, int miny, int maxx,
                        int maxy, long srcRowStep, long destRowStep, int alpha, int filter, Raster_DoPixFn doPix)
  {
    using namespace Raster_BlitDetail;
    long long rowU = u, rowV = v, stepU = dudx, stepV = dvdx;
    for (int y = 0; y < h; y++) {
      Raster_PixelWord* d = rowAt(dest, destRowStep, y);
      long long pu = rowU, pv = rowV;
      for (int x = 0; x < w; x++, pu += stepU, pv += stepV) {
        const long long cx = pu / 65536, cy = pv / 65536;
        if (cx < minx || cx >= maxx || cy < miny || cy >= maxy) continue;
        const Raster_PixelWord* row = rowAt(src, srcRowStep, cy);
        Raster_PixelWord p;
        if (filter != RASTER_BLEND_FILTER_BILINEAR) {
          p = row[cx];
        } else {
          const unsigned xf = (unsigned)(pu & 0xFFFF), yf = (unsigned)(pv & 0xFFFF);
          if (cy < maxy - 1) {
            const Raster_PixelWord* below = rowAt(src, srcRowStep, cy + 1);
            p = cx < maxx - 1 ? mix4(row[cx], row[cx + 1], below[cx], below[cx + 1], xf, yf)
                              : mix2(row[cx], below[cx], yf);
          } else {
            p = cx < maxx - 1 ? mix2(row[cx], row[cx + 1], xf) : row[cx];
          }
        }
        doPix((unsigned char*)(d + x), (int)((p >> 8) & 0xFF), (int)((p >> 16) & 0xFF), (int)(p >> 24), (int)(p & 0xFF),
              alpha);
      }
      rowU += dudy;
      rowV += dvdy;
      stepU += dudxPerRow;
      stepV += dvdxPerRow;
    }
  }
};

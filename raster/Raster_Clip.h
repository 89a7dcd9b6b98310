#pragma once
// The clip rule shared by the rectangle operations, resolved to memory: the first pixel of the clipped
// block in image order and the byte step between its rows (negative on a flipped bitmap).

#include "raster/Raster_IBitmap.h"

struct Raster_ClippedBlock
{
  Raster_PixelWord* first = nullptr; // image row y0, column x0
  long rowStep = 0;                  // bytes from one image row to the next
  int x0 = 0, y0 = 0, w = 0, h = 0;
};

// False when nothing remains to draw (null bitmap, no bits, empty or outside rectangle). The rectangle's
// far edges are computed in 64 bits so huge coordinates cannot wrap around into the bitmap.
inline bool Raster_ClipBlock(Raster_IBitmap* bm, int x, int y, int w, int h, Raster_ClippedBlock* out)
{
  if (!bm) return false;
  Raster_PixelWord* bits = bm->getBits();
  const int W = bm->getWidth(), H = bm->getHeight();
  if (!bits || W <= 0 || H <= 0) return false;

  const long long x0 = x > 0 ? x : 0;
  const long long cw = ((long long)x + w > W) ? W - x0 : (long long)w + (x < 0 ? x : 0);
  const long long y0 = y > 0 ? y : 0;
  const long long ch = ((long long)y + h > H) ? H - y0 : (long long)h + (y < 0 ? y : 0);
  if (cw < 1 || ch < 1) return false;

  out->x0 = (int)x0;
  out->y0 = (int)y0;
  out->w = (int)cw;
  out->h = (int)ch;
  out->first = Raster_ImageRow(bm, bits, (int)y0) + x0;
  out->rowStep = Raster_ImageRowStep(bm);
  return true;
}

inline Raster_PixelWord* Raster_NextRow(Raster_PixelWord* row, long rowStep)
{
  return (Raster_PixelWord*)((char*)row + rowStep);
}

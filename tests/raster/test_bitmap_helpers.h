#pragma once
// Small bitmaps for the raster tests: a flipped one (rows stored bottom-up) and helpers to read image
// rows regardless of the flag.

#include "raster/Raster_IBitmap.h"
#include "raster/Raster_MemBitmap.h"
#include "tests/raster/test_blit_support.h"

// A bitmap that stores its rows bottom-up, with a guard word after every row so writes past the right
// edge show up as changed guards: the blit tests' bitmap with one padding word.
class FlippedTestBitmap : public BlitTest::TestBitmap
{
public:
  FlippedTestBitmap(int w, int h) : TestBitmap(w, h, true, 1) {}
  bool guardsIntact() const { return padIntact(); }
};

inline Raster_PixelWord& PixelOf(Raster_MemBitmap& bm, int x, int y)
{
  return bm.getBits()[(size_t)y * bm.getRowSpan() + x];
}

inline void FillAll(Raster_IBitmap& bm, Raster_PixelWord c)
{
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) bm.getBits()[(size_t)y * bm.getRowSpan() + x] = c;
}

#pragma once
// Small bitmaps for the raster tests: a flipped one (rows stored bottom-up) and helpers to read image
// rows regardless of the flag.

#include "raster/Raster_IBitmap.h"
#include "raster/Raster_MemBitmap.h"

#include <vector>

// A heap bitmap that stores its rows bottom-up, with a guard word after every row so writes past the
// right edge show up as changed guards.
class FlippedTestBitmap : public Raster_IBitmap
{
public:
  FlippedTestBitmap(int w, int h) : mW(w), mH(h), mPixels((size_t)(w + 1) * h, 0u) { fillGuards(); }
  Raster_PixelWord *getBits() override { return mPixels.data(); }
  int getWidth() override { return mW; }
  int getHeight() override { return mH; }
  int getRowSpan() override { return mW + 1; }
  bool isFlipped() override { return true; }
  bool resize(int, int) override { return false; }

  // Image row y, column x (row 0 is the last memory row).
  Raster_PixelWord &at(int x, int y) { return mPixels[(size_t)(mH - 1 - y) * (mW + 1) + x]; }
  bool guardsIntact() const
  {
    for (int y = 0; y < mH; ++y)
      if (mPixels[(size_t)y * (mW + 1) + mW] != kGuard) return false;
    return true;
  }
  static constexpr Raster_PixelWord kGuard = 0xDEADBEEFu;

private:
  void fillGuards()
  {
    for (int y = 0; y < mH; ++y) mPixels[(size_t)y * (mW + 1) + mW] = kGuard;
  }
  int mW, mH;
  std::vector<Raster_PixelWord> mPixels;
};

inline Raster_PixelWord &PixelOf(Raster_MemBitmap &bm, int x, int y)
{
  return bm.getBits()[(size_t)y * bm.getRowSpan() + x];
}

inline void FillAll(Raster_IBitmap &bm, Raster_PixelWord c)
{
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) bm.getBits()[(size_t)y * bm.getRowSpan() + x] = c;
}

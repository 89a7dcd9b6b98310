#pragma once
// Test bitmaps for the blit tests: exact-size storage (so the sanitizer sees any stray access), a row
// span wider than the width whose padding must never change, and an optional bottom-up row order.

#include "raster/Raster_BlitSIMD.h"
#include "raster/Raster_IBitmap.h"

#include <gtest/gtest.h>

#include <vector>

// In their own namespace so that other raster tests in the same binary can have helpers of these names.
namespace BlitTest {

class TestBitmap : public Raster_IBitmap
{
public:
  static constexpr Raster_PixelWord kPad = 0xDEADBEEF;

  TestBitmap(int w, int h, bool flipped = false, int pad = 3)
      : mWidth(w), mHeight(h), mSpan(w + pad), mFlipped(flipped), mPixels((size_t)(w + pad) * h, kPad)
  {
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) set(x, y, 0);
  }

  Raster_PixelWord* getBits() override { return mPixels.empty() ? nullptr : mPixels.data(); }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mSpan; }
  bool isFlipped() override { return mFlipped; }
  bool resize(int, int) override { return false; }

  // Image coordinates (row 0 at the top whatever the memory order).
  Raster_PixelWord& at(int x, int y) { return mPixels[(size_t)memRow(y) * mSpan + x]; }
  Raster_PixelWord get(int x, int y) { return at(x, y); }
  void set(int x, int y, Raster_PixelWord p) { at(x, y) = p; }
  void fill(Raster_PixelWord p)
  {
    for (int y = 0; y < mHeight; y++)
      for (int x = 0; x < mWidth; x++) set(x, y, p);
  }
  // True when no padding word changed.
  bool padIntact() const
  {
    for (int y = 0; y < mHeight; y++)
      for (int x = mWidth; x < mSpan; x++)
        if (mPixels[(size_t)y * mSpan + x] != kPad) return false;
    return true;
  }
  std::vector<Raster_PixelWord> snapshot() const { return mPixels; }

private:
  int memRow(int y) const { return mFlipped ? mHeight - 1 - y : y; }

  int mWidth, mHeight, mSpan;
  bool mFlipped;
  std::vector<Raster_PixelWord> mPixels;
};

// A bitmap that reports a size but has no storage.
class NoBitsBitmap : public Raster_IBitmap
{
public:
  Raster_PixelWord* getBits() override { return nullptr; }
  int getWidth() override { return 8; }
  int getHeight() override { return 8; }
  int getRowSpan() override { return 8; }
  bool resize(int, int) override { return false; }
};

// Colour from channels, as the pixel word lays them out (alpha lowest).
inline Raster_PixelWord px(int r, int g, int b, int a)
{
  return Raster_RGBA(r, g, b, a);
}

// Runs a test body with the vectorised paths on and off, restoring the switch afterwards.
struct SimdSwitch
{
  explicit SimdSwitch(bool on) : mWas(Raster_BlitSimdEnabled()) { Raster_SetBlitSimdEnabled(on); }
  ~SimdSwitch() { Raster_SetBlitSimdEnabled(mWas); }
  bool mWas;
};

// The same for the AVX2 forms (which run only where the CPU has AVX2): off, the SSE2 forms run alone.
struct Avx2Switch
{
  explicit Avx2Switch(bool on) : mWas(Raster_BlitAvx2Enabled()) { Raster_SetBlitAvx2Enabled(on); }
  ~Avx2Switch() { Raster_SetBlitAvx2Enabled(mWas); }
  bool mWas;
};

} // namespace BlitTest

using namespace BlitTest;

// Raster_ScaledBlit: the same-size shortcut, nearest and bilinear sampling with their edge cases, the
// box filter for reductions, mirroring, clipping against both bitmaps and the clamp extents. Expected
// values are worked out from the 16.16 arithmetic in the comments beside them.

#include "raster/Raster_Blit.h"

#include "tests/raster/test_blit_support.h"

#include <climits>
#include <cmath>

namespace {

const int kBilinear = RASTER_BLEND_FILTER_BILINEAR;

// R = 10x + y and G = x * y: the box average of R over a full window is the centre's value, of G the
// product of the column and row averages.
void fillLinear(TestBitmap& bm)
{
  for (int y = 0; y < bm.getHeight(); y++)
    for (int x = 0; x < bm.getWidth(); x++) bm.set(x, y, px(10 * x + y, x * y, 7, 255));
}

} // namespace

TEST(RasterScaledBlit, SameSizeIsAPlainBlitUnlessFilteredAtAFraction)
{
  TestBitmap src(8, 1);
  for (int x = 0; x < 8; x++) src.set(x, 0, px(10 * x, 9, 7, 255));

  TestBitmap plain(4, 1);
  Raster_ScaledBlit(&plain, &src, 0, 0, 4, 1, 2.4f, 0, 4, 1, 1.0f, RASTER_BLEND_COPY);
  for (int x = 0; x < 4; x++) EXPECT_EQ(plain.get(x, 0), src.get(x + 2, 0)) << x; // left = (int)(2.4 + 0.5)

  // Filtered: u starts at (int)(2.4f * 65536) = 157286, so xf = 26214 and the pair (20, 30) gives
  // (20 * 39322 + 30 * 26214) >> 16 = 1572860 >> 16 = 23. The last row takes horizontal pairs only.
  for (bool simd : {false, true}) {
    SimdSwitch sw(simd);
    TestBitmap filtered(4, 1);
    Raster_ScaledBlit(&filtered, &src, 0, 0, 4, 1, 2.4f, 0, 4, 1, 1.0f, kBilinear);
    EXPECT_EQ(filtered.get(0, 0), px(23, 9, 7, 255));
    EXPECT_EQ(filtered.get(1, 0), px(33, 9, 7, 255));
    EXPECT_EQ(filtered.get(3, 0), px(53, 9, 7, 255));
  }
}

TEST(RasterScaledBlit, BilinearDoublingInterpolatesTheLastColumnAndRowAlongOneAxisOnly)
{
  for (int flips = 0; flips < 4; flips++) {
    for (bool simd : {false, true}) {
      SimdSwitch sw(simd);
      TestBitmap src(2, 2, flips & 1), dest(4, 4, flips & 2);
      src.set(0, 0, px(0, 0, 0, 255));
      src.set(1, 0, px(100, 0, 0, 255));
      src.set(0, 1, px(200, 0, 0, 255));
      src.set(1, 1, px(51, 0, 0, 255));
      Raster_ScaledBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 2, 2, 1.0f, kBilinear);
      // du = dv = 32768: fractions alternate 0 and 1/2; four equal weights of 16384 in the middle.
      const int want[4][4] = {{0, 50, 100, 100}, {100, 87, 75, 75}, {200, 125, 51, 51}, {200, 125, 51, 51}};
      for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++)
          EXPECT_EQ(dest.get(x, y), px(want[y][x], 0, 0, 255)) << flips << " " << simd << " at " << x << "," << y;
      EXPECT_TRUE(dest.padIntact());
    }
  }
}

TEST(RasterScaledBlit, WideBilinearRowsMatchTheirWorkedValues)
{
  // Long enough for the vectorised rows: R = 20x, G = 100 on the lower row.
  for (bool simd : {false, true}) {
    SimdSwitch sw(simd);
    TestBitmap src(9, 2), dest(18, 4);
    for (int x = 0; x < 9; x++) {
      src.set(x, 0, px(20 * x, 0, 0, 255));
      src.set(x, 1, px(20 * x, 100, 0, 255));
    }
    Raster_ScaledBlit(&dest, &src, 0, 0, 18, 4, 0, 0, 9, 2, 1.0f, kBilinear);
    for (int x = 0; x < 18; x++) {
      const int r = x >= 16 ? 160 : 10 * x; // odd columns: the pair's midpoint; the last source column alone
      EXPECT_EQ(dest.get(x, 0), px(r, 0, 0, 255)) << simd << " " << x;
      EXPECT_EQ(dest.get(x, 1), px(r, 50, 0, 255)) << simd << " " << x;
      EXPECT_EQ(dest.get(x, 3), px(r, 100, 0, 255)) << simd << " " << x;
    }
  }
}

TEST(RasterScaledBlit, SamplingStopsAtTheSourceRectanglesFarEdge)
{
  TestBitmap src(8, 1);
  for (int x = 0; x < 8; x++) src.set(x, 0, px(10 * x, 0, 0, 255));
  TestBitmap dest(4, 1);
  // Columns 0-1 doubled: clampw = (int)(0 + 2 + 0.999999) = 2, so column 2 (value 20) is never read.
  Raster_ScaledBlit(&dest, &src, 0, 0, 4, 1, 0, 0, 2, 1, 1.0f, kBilinear);
  EXPECT_EQ(dest.get(0, 0), px(0, 0, 0, 255));
  EXPECT_EQ(dest.get(1, 0), px(5, 0, 0, 255));
  EXPECT_EQ(dest.get(2, 0), px(10, 0, 0, 255));
  EXPECT_EQ(dest.get(3, 0), px(10, 0, 0, 255));
}

TEST(RasterScaledBlit, ShrinkingAveragesABoxOfThreeOrFive)
{
  for (bool simd : {false, true}) {
    SimdSwitch sw(simd);
    {
      // 6 -> 3: du = 0x20000, a 3 x 3 box around (2x, 2y), cut at the source's edges.
      TestBitmap src(6, 6, true), dest(3, 3);
      fillLinear(src);
      Raster_ScaledBlit(&dest, &src, 0, 0, 3, 3, 0, 0, 6, 6, 1.0f, kBilinear);
      EXPECT_EQ(dest.get(0, 0), px(22 / 4, 1 / 4, 7, 255));  // columns 0-1, rows 0-1
      EXPECT_EQ(dest.get(1, 0), px(123 / 6, 6 / 6, 7, 255)); // columns 1-3, rows 0-1
      EXPECT_EQ(dest.get(1, 1), px(22, 36 / 9, 7, 255));     // the full box around (2, 2)
      EXPECT_EQ(dest.get(2, 1), px(42, 72 / 9, 7, 255));     // columns 3-5, rows 1-3
      EXPECT_EQ(dest.get(2, 2), px(44, 144 / 9, 7, 255));    // columns 3-5, rows 3-5
    }
    {
      // 20 -> 5: du = 0x40000 > 0x30000, a 5 x 5 box around (4x, 4y).
      TestBitmap src(20, 20), dest(5, 5, true);
      fillLinear(src);
      Raster_ScaledBlit(&dest, &src, 0, 0, 5, 5, 0, 0, 20, 20, 1.0f, kBilinear);
      EXPECT_EQ(dest.get(0, 0), px(11, 9 / 9, 7, 255));    // columns 0-2, rows 0-2
      EXPECT_EQ(dest.get(1, 1), px(44, 400 / 25, 7, 255)); // columns 2-6, rows 2-6
      EXPECT_EQ(dest.get(4, 2), px(168, 16 * 8, 7, 255));  // columns 14-18, rows 6-10
    }
  }
}

TEST(RasterScaledBlit, NegativeWidthMirrors)
{
  for (int flips = 0; flips < 4; flips++) {
    TestBitmap src(4, 2, flips & 1), dest(4, 2, flips & 2);
    for (int x = 0; x < 4; x++) {
      src.set(x, 0, px(x + 1, 0, 0, 255));
      src.set(x, 1, px(x + 1, 1, 0, 255));
    }
    // srcx becomes 4 and du -65536: the first destination pixel samples column 4, past clampw = 4,
    // and stays as it was; the rest read columns 3, 2, 1. Rows are not mirrored.
    Raster_ScaledBlit(&dest, &src, 4, 0, -4, 2, 0, 0, 4, 2, 1.0f, RASTER_BLEND_COPY);
    for (int y = 0; y < 2; y++) {
      EXPECT_EQ(dest.get(0, y), 0u) << flips;
      EXPECT_EQ(dest.get(1, y), src.get(3, y)) << flips;
      EXPECT_EQ(dest.get(2, y), src.get(2, y)) << flips;
      EXPECT_EQ(dest.get(3, y), src.get(1, y)) << flips;
    }
  }
}

TEST(RasterScaledBlit, BoxAverageGoesThroughTheModesKernel)
{
  for (bool simd : {false, true}) {
    SimdSwitch sw(simd);
    TestBitmap src(6, 6), dest(3, 3);
    src.fill(0x64646464);  // 100 in every byte
    dest.fill(0x32323232); // 50
    Raster_ScaledBlit(&dest, &src, 0, 0, 3, 3, 0, 0, 6, 6, 1.0f, kBilinear | RASTER_BLEND_ADD);
    for (int y = 0; y < 3; y++)
      for (int x = 0; x < 3; x++) EXPECT_EQ(dest.get(x, y), 0x96969696u) << x << "," << y; // 50 + 100
  }
}

TEST(RasterScaledBlit, SaturatedWeightsStayDefined)
{
  // Alphas far beyond 1 saturate to a bounded weight: the kernels' integers then stay in range.
  TestBitmap src(5, 5), dest(7, 7, true);
  for (int y = 0; y < 5; y++)
    for (int x = 0; x < 5; x++) src.set(x, y, px(50 * x, 40 * y, 255, 60 * x));
  for (float alpha : {1e30f, -1e30f, 17.0f})
    for (int mode = 0; mode <= RASTER_BLEND_HSVADJ; mode++)
      for (int flags : {0, RASTER_BLEND_USE_SOURCE_ALPHA, kBilinear, kBilinear | RASTER_BLEND_USE_SOURCE_ALPHA}) {
        Raster_ScaledBlit(&dest, &src, 0, 0, 7, 7, 0, 0, 5, 5, alpha, mode | flags);
        Raster_Blit(&dest, &src, 1, 1, nullptr, alpha, mode | flags);
        Raster_RotatedBlit(&dest, &src, 0, 0, 7, 7, 0, 0, 5, 5, 0.3f, false, alpha, mode | flags, 0, 0);
      }
  EXPECT_TRUE(dest.padIntact());
}

TEST(RasterScaledBlit, NearestClipsAgainstTheSourceAndMixesHalfWords)
{
  TestBitmap src(4, 1);
  for (int x = 0; x < 4; x++) src.set(x, 0, px(10 * x + 1, 0, 0, 255));
  {
    // srcx = -1 at 2x: uStart = -65536, k = (32768 - 1 + 65536) / 32768 = 2 columns skipped.
    TestBitmap dest(6, 1);
    Raster_ScaledBlit(&dest, &src, 0, 0, 6, 1, -1, 0, 3, 1, 1.0f, RASTER_BLEND_COPY);
    const Raster_PixelWord want[6] = {0, 0, src.get(0, 0), src.get(0, 0), src.get(1, 0), src.get(1, 0)};
    for (int x = 0; x < 6; x++) EXPECT_EQ(dest.get(x, 0), want[x]) << x;
  }
  {
    TestBitmap dest(8, 1);
    dest.fill(0x02020202);
    Raster_ScaledBlit(&dest, &src, 0, 0, 8, 1, 0, 0, 4, 1, 0.5f, RASTER_BLEND_COPY);
    EXPECT_EQ(dest.get(7, 0), ((0x02020202u >> 1) & 0x7F7F7F7Fu) + ((src.get(3, 0) >> 1) & 0x7F7F7F7Fu));
  }
}

TEST(RasterScaledBlit, BadInputDrawsNothing)
{
  TestBitmap src(4, 4), dest(4, 4, true);
  fillLinear(src);
  dest.fill(0x33333333);
  const auto before = dest.snapshot();
  NoBitsBitmap empty;
  const float nan = std::nanf(""), inf = INFINITY;
  for (int mode : {RASTER_BLEND_COPY, kBilinear, kBilinear | RASTER_BLEND_USE_SOURCE_ALPHA}) {
    Raster_ScaledBlit(nullptr, &src, 0, 0, 4, 4, 0, 0, 2, 2, 1.0f, mode);
    Raster_ScaledBlit(&dest, nullptr, 0, 0, 4, 4, 0, 0, 2, 2, 1.0f, mode);
    Raster_ScaledBlit(&dest, &empty, 0, 0, 4, 4, 0, 0, 2, 2, 1.0f, mode);
    Raster_ScaledBlit(&dest, &src, 0, 0, 0, 4, 0, 0, 2, 2, 1.0f, mode);
    Raster_ScaledBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 2, 2, 0.0f, mode);
    Raster_ScaledBlit(&dest, &src, 0, 0, 4, 4, nan, 0, 2, 2, 1.0f, mode);
    Raster_ScaledBlit(&dest, &src, 0, 0, 4, 4, 0, 0, inf, 2, 1.0f, mode);
    Raster_ScaledBlit(&dest, &src, 0, 0, 4, 4, 1e30f, 0, 2, 2, 1.0f, mode);
    Raster_ScaledBlit(&dest, &src, 0, 0, 4, 4, -1e30f, 0, 2, 2, 1.0f, mode);
    Raster_ScaledBlit(&dest, &src, INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0, 0, 2, 2, 1.0f, mode);
    Raster_ScaledBlit(&dest, &src, INT_MIN, 0, INT_MIN, 4, 0, 0, 2, 2, 1.0f, mode);
    Raster_ScaledBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 2, 2, 1.0f, mode | 9);
  }
  EXPECT_EQ(dest.snapshot(), before);

  // Enormous steps still sample only inside the source.
  Raster_ScaledBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 1e30f, 1e30f, 1.0f, kBilinear);
  Raster_ScaledBlit(&dest, &src, 0, 0, 4, 4, 3.5f, 3.5f, -1e30f, -1e30f, 1.0f, kBilinear);
  Raster_ScaledBlit(&dest, &src, -3, -3, 4, 4, 0, 0, 1e-30f, 1e-30f, 1.0f, RASTER_BLEND_COPY);
  EXPECT_TRUE(dest.padIntact());
}

// The affine blits (rotated, delta, grid warp), the 2:1 reduction and the blur.

#include "raster/Raster_Blit.h"

#include "tests/raster/test_blit_support.h"

#include <climits>
#include <cmath>

namespace {

void fillPattern(TestBitmap& bm)
{
  for (int y = 0; y < bm.getHeight(); y++)
    for (int x = 0; x < bm.getWidth(); x++) bm.set(x, y, px(16 * x + 1, 16 * y + 2, x ^ y, 255));
}

// A word with the same value in every byte.
Raster_PixelWord grey(int v)
{
  return 0x01010101u * (Raster_PixelWord)v;
}

} // namespace

TEST(RasterRotatedBlit, ZeroAngleAtEqualSizeMapsEachPixelOntoItself)
{
  for (int flips = 0; flips < 4; flips++) {
    TestBitmap src(5, 4, flips & 1), dest(5, 4, flips & 2);
    fillPattern(src);
    Raster_RotatedBlit(&dest, &src, 0, 0, 5, 4, 0, 0, 5, 4, 0.0f, false, 1.0f, RASTER_BLEND_COPY, 0, 0);
    for (int y = 0; y < 4; y++)
      for (int x = 0; x < 5; x++) EXPECT_EQ(dest.get(x, y), src.get(x, y)) << flips << " " << x << "," << y;
  }
}

TEST(RasterRotatedBlit, QuarterTurnWalksSourceColumnsDownward)
{
  // At pi/2 (as a float) the 16.16 steps truncate to du/dx = 0, dv/dx = -65535, du/dy = 65535, dv/dy = 0; with
  // the centre moved by half a pixel the start is (0.5, 4.5), so pixel (x, y) samples (y, 4 - x) and
  // column 0 (row 4) falls outside the source.
  TestBitmap src(4, 4), dest(4, 4);
  fillPattern(src);
  dest.fill(0x55555555);
  Raster_RotatedBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 4, 4, (float)(3.14159265358979323846 / 2), false, 1.0f,
                     RASTER_BLEND_COPY, 0.5f, 0.5f);
  for (int y = 0; y < 4; y++) {
    EXPECT_EQ(dest.get(0, y), 0x55555555u);
    for (int x = 1; x < 4; x++) EXPECT_EQ(dest.get(x, y), src.get(y, 4 - x)) << x << "," << y;
  }
}

TEST(RasterRotatedBlit, ClipToSourceKeepsSamplesInsideTheSourceRectangle)
{
  TestBitmap src(6, 6);
  fillPattern(src);
  // The 2 x 2 rectangle at (2, 2) stretched over 6 x 6: du = (int)(65536 / 3) = 21845, so three steps
  // reach 65535 and column 3 of the destination still samples source column 2.
  TestBitmap dest(6, 6);
  Raster_RotatedBlit(&dest, &src, 0, 0, 6, 6, 2, 2, 2, 2, 0.0f, true, 1.0f, RASTER_BLEND_COPY, 0, 0);
  EXPECT_EQ(dest.get(0, 0), src.get(2, 2));
  EXPECT_EQ(dest.get(3, 0), src.get(2, 2));
  EXPECT_EQ(dest.get(5, 5), src.get(3, 3));

  // Moved one source pixel right, samples from x = 4 on (column 4 of the destination) leave the
  // rectangle: not drawn with the clip, drawn from the rest of the source without it.
  for (bool clip : {true, false}) {
    TestBitmap moved(6, 6);
    moved.fill(0x55555555);
    Raster_RotatedBlit(&moved, &src, 0, 0, 6, 6, 2, 2, 2, 2, 0.0f, clip, 1.0f, RASTER_BLEND_COPY, 1.0f, 0);
    EXPECT_EQ(moved.get(3, 0), src.get(3, 2));
    EXPECT_EQ(moved.get(4, 0), clip ? 0x55555555u : src.get(4, 2));
    EXPECT_EQ(moved.get(5, 5), clip ? 0x55555555u : src.get(4, 3));
  }
}

TEST(RasterDeltaBlit, StepsShearAndClip)
{
  TestBitmap src(6, 3), dest(4, 3);
  fillPattern(src);
  // u = x + y / 2: rows 0 and 1 start at column 0, row 2 at column 1.
  Raster_DeltaBlit(&dest, &src, 0, 0, 4, 3, 0, 0, 6, 3, 1, 0, 0.5, 1, 0, 0, false, 1.0f, RASTER_BLEND_COPY);
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 4; x++) EXPECT_EQ(dest.get(x, y), src.get(x + (y == 2), y)) << x << "," << y;

  // Cut at the left: the start moves two steps along the row.
  TestBitmap d2(4, 1);
  Raster_DeltaBlit(&d2, &src, -2, 0, 4, 1, 0, 0, 6, 1, 1, 0, 0, 1, 0, 0, false, 1.0f, RASTER_BLEND_COPY);
  EXPECT_EQ(d2.get(0, 0), src.get(2, 0));
  EXPECT_EQ(d2.get(1, 0), src.get(3, 0));
  EXPECT_EQ(d2.get(2, 0), 0u);
}

TEST(RasterDeltaBlit, CuttingRowsOffTheTopKeepsTheWarpOfTheRowsLeft)
{
  // A warp whose per-pixel step grows by 1/4 per row, with values exact in 16.16: drawing it two rows
  // above and one column left of the bitmap must show the same pixels as drawing it whole.
  TestBitmap src(32, 8);
  fillPattern(src);
  TestBitmap whole(6, 6), cut(5, 4);
  Raster_DeltaBlit(&whole, &src, 0, 0, 6, 6, 0, 0, 0, 0, 1.0, 0, 0.5, 1.0, 0.25, 0, false, 1.0f, RASTER_BLEND_COPY);
  Raster_DeltaBlit(&cut, &src, -1, -2, 6, 6, 0, 0, 0, 0, 1.0, 0, 0.5, 1.0, 0.25, 0, false, 1.0f, RASTER_BLEND_COPY);
  for (int y = 0; y < 4; y++)
    for (int x = 0; x < 5; x++) EXPECT_EQ(cut.get(x, y), whole.get(x + 1, y + 2)) << x << "," << y;
  // Row 2 of the whole warp steps 1.5 per pixel from u = 1: columns 1, 2, 4, 5, 7.
  EXPECT_EQ(whole.get(2, 2), src.get(4, 2));
}

TEST(RasterDeltaBlit, ClippedStartMovesAlongTheRowFirst)
{
  // Cut one column and one row: the start moves by the x step first, then by the y step:
  // (0.5 + 0.08) + 0.42 = 1.0 exactly -> column 1 (the other order gives 0.9999999999999999).
  TestBitmap src(4, 4), dest(2, 2);
  fillPattern(src);
  Raster_DeltaBlit(&dest, &src, -1, -1, 3, 3, 0.5f, 0, 4, 4, 0.08, 0, 0.42, 1, 0, 0, false, 1.0f, RASTER_BLEND_COPY);
  EXPECT_EQ(dest.get(0, 0), src.get(1, 1));
}

TEST(RasterTransformBlit, AnEvenGridCopiesAndBothPointTypesAgree)
{
  TestBitmap src(8, 8, true);
  fillPattern(src);
  float fpts[18];
  double dpts[18];
  for (int r = 0; r < 3; r++)
    for (int c = 0; c < 3; c++) {
      fpts[2 * (r * 3 + c)] = (float)(dpts[2 * (r * 3 + c)] = 4.0 * c);
      fpts[2 * (r * 3 + c) + 1] = (float)(dpts[2 * (r * 3 + c) + 1] = 4.0 * r);
    }
  TestBitmap a(8, 8), b(8, 8, true);
  Raster_TransformBlit(&a, &src, 0, 0, 8, 8, fpts, 3, 3, 1.0f, RASTER_BLEND_COPY);
  Raster_TransformBlit2(&b, &src, 0, 0, 8, 8, dpts, 3, 3, 1.0f, RASTER_BLEND_COPY);
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 8; x++) {
      EXPECT_EQ(a.get(x, y), src.get(x, y)) << x << "," << y;
      EXPECT_EQ(b.get(x, y), src.get(x, y)) << x << "," << y;
    }

  // Degenerate grids and sizes draw nothing.
  TestBitmap c(8, 8);
  const auto before = c.snapshot();
  Raster_TransformBlit(&c, &src, 0, 0, 8, 8, fpts, 1, 3, 1.0f, RASTER_BLEND_COPY);
  Raster_TransformBlit(&c, &src, 0, 0, 8, 8, fpts, 3, 0, 1.0f, RASTER_BLEND_COPY);
  Raster_TransformBlit(&c, &src, 0, 0, 0, 8, fpts, 3, 3, 1.0f, RASTER_BLEND_COPY);
  Raster_TransformBlit(&c, &src, 0, 0, 8, 8, nullptr, 3, 3, 1.0f, RASTER_BLEND_COPY);
  Raster_TransformBlit2(&c, nullptr, 0, 0, 8, 8, dpts, 3, 3, 1.0f, RASTER_BLEND_COPY);
  Raster_TransformBlit(&c, &src, INT_MAX - 2, INT_MAX - 2, INT_MAX, INT_MAX, fpts, 3, 3, 1.0f, RASTER_BLEND_COPY);
  EXPECT_EQ(c.snapshot(), before);
}

TEST(RasterTransformBlit, CellStartsArriveAsFloats)
{
  // Each cell is a delta blit whose start is a float: 1.9999999999 becomes 2.0f, so the one-pixel
  // cell samples column 2 (as a double it would give 131071 in 16.16, column 1).
  TestBitmap src(4, 1);
  fillPattern(src);
  double pts[8] = {1.9999999999, 0, 2.9999999999, 0, 1.9999999999, 1, 2.9999999999, 1};
  TestBitmap dest(1, 1);
  Raster_TransformBlit2(&dest, &src, 0, 0, 1, 1, pts, 2, 2, 1.0f, RASTER_BLEND_COPY);
  EXPECT_EQ(dest.get(0, 0), src.get(2, 0));
}

TEST(RasterAffineBlits, WildDerivativesStayInsideBothBitmaps)
{
  TestBitmap src(5, 5), dest(7, 7, true);
  fillPattern(src);
  const double big = 1e12;
  for (int mode : {RASTER_BLEND_COPY, RASTER_BLEND_FILTER_BILINEAR, RASTER_BLEND_ADD | RASTER_BLEND_USE_SOURCE_ALPHA}) {
    Raster_DeltaBlit(&dest, &src, -3, -3, 20, 20, 4.9f, 4.9f, 5, 5, 0.37, -0.2, big, -big, 3.1, 0.1, false, 1.0f, mode);
    Raster_DeltaBlit(&dest, &src, 0, 0, 7, 7, 0, 0, 5, 5, NAN, 0, 0, 1, 0, 0, false, 1.0f, mode);
    Raster_DeltaBlit(&dest, &src, 0, 0, -7, -7, -1, -1, 5, 5, -0.9, 0.7, 0.7, 0.9, 0, 0, true, 0.7f, mode);
    Raster_RotatedBlit(&dest, &src, 1, 1, 9, 9, 0, 0, 5, 5, 0.7f, true, 1.0f, mode, 30.0f, -30.0f);
    Raster_RotatedBlit(&dest, &src, 0, 0, -7, 7, 0, 0, 1e30f, 5, 2.0f, false, 0.5f, mode, 0, 0);
    Raster_RotatedBlit(&dest, &src, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, 5, 5, 1.0f, false, 1.0f, mode, 0, 0);
  }
  EXPECT_TRUE(dest.padIntact());
}

TEST(RasterHalveBlitAA, SumsQuarterWordsOfEachBlock)
{
  // Memory rows on both sides: the flipped flag plays no part. Image rows 3 and 2 of this flipped
  // source are its memory rows 0 and 1, which make destination memory row 0 (image row 2 of dest).
  TestBitmap src(4, 4, true), dest(2, 3, true);
  src.set(0, 3, grey(4));
  src.set(1, 3, grey(8));
  src.set(0, 2, grey(12));
  src.set(1, 2, grey(16));
  for (int y = 0; y < 2; y++)
    for (int x = 2; x < 4; x++) src.set(x, y, grey(3)); // 3 >> 2 is 0: the low bits are dropped
  src.set(0, 1, grey(255));
  Raster_HalveBlitAA(&dest, &src);
  EXPECT_EQ(dest.get(0, 2), grey(1 + 2 + 3 + 4));
  EXPECT_EQ(dest.get(1, 1), 0u);
  EXPECT_EQ(dest.get(0, 1), grey(63));
  EXPECT_EQ(dest.get(0, 0), 0u); // only source height / 2 rows
  Raster_HalveBlitAA(nullptr, &src);
  Raster_HalveBlitAA(&dest, nullptr);
}

TEST(RasterBlur, WeighsCentreNeighboursAndEdges)
{
  TestBitmap src(3, 3);
  const int v[3][3] = {{0, 64, 0}, {32, 128, 96}, {0, 16, 0}};
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 3; x++) src.set(x, y, grey(v[y][x]));
  TestBitmap dest(3, 3, true);
  Raster_Blur(&dest, &src, 0, 0, 0, 0, 3, 3);
  EXPECT_EQ(dest.get(1, 1), grey(64 + 4 + 12 + 8 + 2)); // 1/2 centre, 1/8 of each neighbour
  EXPECT_EQ(dest.get(0, 0), grey(0 + 16 + 8));          // corner: 1/4 right, 1/4 below
  EXPECT_EQ(dest.get(1, 0), grey(32 + 0 + 0 + 32));     // first row: 1/4 from below
  EXPECT_EQ(dest.get(2, 1), grey(48 + 32));             // last column: 1/4 from the left
  EXPECT_EQ(dest.get(1, 2), grey(8 + 32));              // last row: 1/4 from above
  EXPECT_EQ(dest.get(0, 1), grey(16 + 32));

  // In place gives the same as into another bitmap, over the same rectangle or shifted.
  TestBitmap same(3, 3, true);
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 3; x++) same.set(x, y, src.get(x, y));
  Raster_Blur(&same, &same, 0, 0, 0, 0, 3, 3);
  EXPECT_EQ(same.snapshot(), dest.snapshot());

  TestBitmap wide(5, 4), shifted(5, 4);
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 3; x++) wide.set(x, y, src.get(x, y));
  Raster_Blur(&shifted, &wide, 1, 1, 0, 0, 3, 3);
  Raster_Blur(&wide, &wide, 1, 1, 0, 0, 3, 3);
  for (int y = 1; y < 4; y++)
    for (int x = 1; x < 4; x++) EXPECT_EQ(wide.get(x, y), shifted.get(x, y)) << x << "," << y;

  // One row high, or nothing at all: nothing drawn.
  TestBitmap flat(3, 3);
  Raster_Blur(&flat, &src, 0, 0, 0, 0, 3, 1);
  Raster_Blur(&flat, &src, 0, 0, 2, 2, 3, 3);
  Raster_Blur(&flat, &src, INT_MAX, 0, INT_MIN, 0, INT_MAX, 3);
  Raster_Blur(&flat, nullptr, 0, 0, 0, 0, 3, 3);
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 3; x++) EXPECT_EQ(flat.get(x, y), 0u);
}

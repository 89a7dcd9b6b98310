// Rectangle fills, gradients and multiply-add, against words and channels worked out by hand.

#include "raster/Raster_Fill.h"
#include "raster/Raster_MemBitmap.h"

#include "tests/raster/test_bitmap_helpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

const Raster_PixelWord kD = 0x80402010u; // destination
const Raster_PixelWord kC = 0xFF00FF00u; // colour

} // namespace

TEST(RasterFillRect, CopyWeightsWithWordFormulas)
{
  Raster_MemBitmap bm(4, 1, 4);
  struct Case
  {
    float alpha;
    Raster_PixelWord want;
  } cases[] = {
      {0.25f, 0x3F003F00u + 0x40201008u + 0x20100804u}, // c/4 + D/2 + D/4
      {0.5f, 0x7F007F00u + 0x40201008u},                // c/2 + D/2: alpha byte 0x08, not the kernel's 72
      {0.75f, 0x7F007F00u + 0x3F003F00u + 0x20100804u}, // c/2 + c/4 + D/4
      {1.0f, kC},
  };
  for (const Case& c : cases) {
    FillAll(bm, kD);
    Raster_FillRect(&bm, 0, 0, 4, 1, kC, c.alpha, RASTER_BLEND_COPY);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelOf(bm, x, 0), c.want) << c.alpha;
  }
}

TEST(RasterFillRect, HalfWeightIsExactOverLongUnalignedRows)
{
  // Long rows exercise the four-at-a-time path, odd offsets its head and tail.
  Raster_MemBitmap bm(67, 3, 4);
  FillAll(bm, kD);
  Raster_FillRect(&bm, 1, 1, 65, 1, kC, 0.5f, RASTER_BLEND_COPY);
  for (int x = 0; x < 67; ++x) {
    EXPECT_EQ(PixelOf(bm, x, 0), kD);
    EXPECT_EQ(PixelOf(bm, x, 2), kD);
    EXPECT_EQ(PixelOf(bm, x, 1), (x >= 1 && x <= 65) ? 0xBF208F08u : kD) << x;
  }
}

TEST(RasterFillRect, OtherCopyWeightsOfferTheWeightToTheAlphaByte)
{
  Raster_MemBitmap bm(1, 1, 4);
  PixelOf(bm, 0, 0) = Raster_RGBA(100, 50, 0, 0);
  // 0.3 -> 76: R 200 + (-100*180)/256 = 130; G 0 + 50*180/256 = 35; alpha 76 + (-76*180)/256 = 23.
  Raster_FillRect(&bm, 0, 0, 1, 1, Raster_RGBA(200, 0, 0, 255), 0.3f, RASTER_BLEND_COPY);
  EXPECT_EQ(PixelOf(bm, 0, 0), Raster_RGBA(130, 35, 0, 23));
}

TEST(RasterFillRect, SourceAlphaScalesTheWeight)
{
  Raster_MemBitmap bm(2, 1, 4);
  FillAll(bm, kD);
  Raster_FillRect(&bm, 0, 0, 2, 1, 0xFFFFFF00u, 1.0f, RASTER_BLEND_COPY | RASTER_BLEND_USE_SOURCE_ALPHA);
  EXPECT_EQ(PixelOf(bm, 0, 0), kD); // colour alpha 0 draws nothing
  // Colour alpha 0x80: weight 128/255 -> (int)(128.5) = 128, the half-mix word.
  const Raster_PixelWord c = 0xFF00FF80u;
  Raster_FillRect(&bm, 0, 0, 2, 1, c, 1.0f, RASTER_BLEND_COPY | RASTER_BLEND_USE_SOURCE_ALPHA);
  EXPECT_EQ(PixelOf(bm, 1, 0), ((kD >> 1) & 0x7F7F7F7Fu) + ((c >> 1) & 0x7F7F7F7Fu));
}

TEST(RasterFillRect, BlendModesUseTheirKernels)
{
  Raster_MemBitmap bm(1, 1, 4);
  PixelOf(bm, 0, 0) = Raster_RGBA(200, 250, 0, 100);
  // Add at full weight: R 255, G 255, B 0 + 7, alpha 100 + 256 -> 255.
  Raster_FillRect(&bm, 0, 0, 1, 1, Raster_RGBA(100, 10, 7, 0), 1.0f, RASTER_BLEND_ADD);
  EXPECT_EQ(PixelOf(bm, 0, 0), Raster_RGBA(255, 255, 7, 255));

  // Multiply at 0.5: 200*(100*128 + 128*256)/65536 = 139; alpha (s = 128) 100*(128*128 + 32768)/65536 = 75.
  PixelOf(bm, 0, 0) = Raster_RGBA(200, 0, 0, 100);
  Raster_FillRect(&bm, 0, 0, 1, 1, Raster_RGBA(100, 0, 0, 0), 0.5f, RASTER_BLEND_MUL);
  EXPECT_EQ(PixelOf(bm, 0, 0), Raster_RGBA(139, 0, 0, 75));
}

TEST(RasterFillRect, ClipsAndHonoursFlippedRows)
{
  Raster_MemBitmap bm(100, 2, 4);
  FillAll(bm, 0);
  Raster_FillRect(&bm, -5, 0, 10, 1, kC, 1.0f, RASTER_BLEND_COPY);
  for (int x = 0; x < 100; ++x) EXPECT_EQ(PixelOf(bm, x, 0), x < 5 ? kC : 0u) << x;
  for (int x = 0; x < 100; ++x) EXPECT_EQ(PixelOf(bm, x, 1), 0u);

  FlippedTestBitmap fl(4, 4);
  Raster_FillRect(&fl, 1, 0, 2, 2, kC, 1.0f, RASTER_BLEND_COPY);
  Raster_FillRect(&fl, 0, 3, 1, 5, 0x11u, 0.5f, RASTER_BLEND_ADD); // clipped to the last image row
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      Raster_PixelWord want = (y < 2 && x >= 1 && x <= 2) ? kC : 0u;
      if (x == 0 && y == 3) want = Raster_RGBA(0, 0, 0, 64); // alpha byte 0 + 128*128/256
      EXPECT_EQ(fl.at(x, y), want) << x << "," << y;
    }
  EXPECT_TRUE(fl.guardsIntact());
}

TEST(RasterFillRect, BadInputDrawsNothing)
{
  FlippedTestBitmap fl(4, 3);
  Raster_FillRect(&fl, 0, 0, 4, 3, kC, 0.0f, RASTER_BLEND_COPY);
  Raster_FillRect(&fl, 0, 0, 4, 3, kC, -1.0f, RASTER_BLEND_COPY);
  Raster_FillRect(&fl, 0, 0, 4, 3, kC, std::nanf(""), RASTER_BLEND_COPY);
  Raster_FillRect(&fl, 0, 0, 4, 3, kC, 1.0f, 6);
  Raster_FillRect(&fl, 0, 0, 4, 3, kC, 1.0f, RASTER_BLEND_CHANCOPY);
  Raster_FillRect(&fl, 0, 0, -4, 3, kC, 1.0f, RASTER_BLEND_COPY);
  Raster_FillRect(&fl, 0, 0, 4, 0, kC, 1.0f, RASTER_BLEND_COPY);
  Raster_FillRect(&fl, 4, 0, 4, 3, kC, 1.0f, RASTER_BLEND_COPY);
  Raster_FillRect(&fl, INT_MAX, INT_MAX, INT_MAX, INT_MAX, kC, 1.0f, RASTER_BLEND_COPY);
  Raster_FillRect(&fl, INT_MIN, 0, INT_MAX, 3, kC, 1.0f, RASTER_BLEND_COPY);
  Raster_FillRect(&fl, 0, INT_MIN, 4, INT_MIN, kC, 1.0f, RASTER_BLEND_COPY);
  Raster_FillRect(nullptr, 0, 0, 4, 3, kC, 1.0f, RASTER_BLEND_COPY);
  Raster_MemBitmap empty;
  Raster_FillRect(&empty, 0, 0, 4, 3, kC, 1.0f, RASTER_BLEND_COPY);
  Raster_Clear(&empty, kC);
  Raster_Clear(nullptr, kC);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(fl.at(x, y), 0u);

  // The widest rectangle there is fills exactly the bitmap.
  Raster_FillRect(&fl, INT_MIN, INT_MIN, INT_MAX, INT_MAX, kC, 1.0f, RASTER_BLEND_COPY);
  EXPECT_EQ(fl.at(0, 0), 0u); // INT_MIN + INT_MAX = -1: nothing
  Raster_FillRect(&fl, -10, -10, INT_MAX, INT_MAX, kC, 1.0f, RASTER_BLEND_COPY);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(fl.at(x, y), kC);
  EXPECT_TRUE(fl.guardsIntact());
}

TEST(RasterClear, ClearAndMaskedClear)
{
  FlippedTestBitmap fl(3, 2);
  Raster_Clear(&fl, 0x11223344u);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(fl.at(x, y), 0x11223344u);
  EXPECT_TRUE(fl.guardsIntact());

  Raster_ClearRect(&fl, 1, 1, 9, 9, 0xFFFFFF00u, 0); // alpha bytes only, clipped
  EXPECT_EQ(fl.at(0, 1), 0x11223344u);
  EXPECT_EQ(fl.at(1, 1), 0x11223300u);
  EXPECT_EQ(fl.at(2, 1), 0x11223300u);
  EXPECT_EQ(fl.at(1, 0), 0x11223344u);
  Raster_ClearRect(&fl, 0, 0, 1, 1, 0x000000FFu, 0xAB000000u);
  EXPECT_EQ(fl.at(0, 0), 0xAB000044u);
  EXPECT_TRUE(fl.guardsIntact());
}

TEST(RasterGradRect, OpaqueRampClobbersWithClampedChannels)
{
  Raster_MemBitmap bm(4, 1, 4);
  FillAll(bm, 0x12345678u);
  // dRdx 4/256 -> 3.984375 per pixel: R = 0, 3, 7, 11. G 1.0 -> 255. B 0.5 -> 127.5 -> 127. Alpha 256 -> 255.
  Raster_GradRect(&bm, 0, 0, 4, 1, 0.0f, 1.0f, 0.5f, 1.0f, 4 / 256.0f, 0, 0, 0, 0, 0, 0, 0, RASTER_BLEND_COPY);
  const int wantR[] = {0, 3, 7, 11};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelOf(bm, x, 0), Raster_RGBA(wantR[x], 255, 127, 255)) << x;

  // Past the top: channels clamp to 255 (g0 = 2.0 -> 510).
  Raster_GradRect(&bm, 0, 0, 1, 1, 0.0f, 2.0f, -1.0f, 1.0f, 0, 0, 0, 0, 0, 0, 0, 0, RASTER_BLEND_COPY);
  EXPECT_EQ(PixelOf(bm, 0, 0), Raster_RGBA(0, 255, 0, 255));
}

TEST(RasterGradRect, ClippedStartsMoveAlongTheRamp)
{
  Raster_MemBitmap bm(3, 2, 4);
  FillAll(bm, 0);
  // Starting two columns left of the bitmap: column 0 shows the third value, 7.
  Raster_GradRect(&bm, -2, 0, 4, 1, 0.0f, 0, 0, 1.0f, 4 / 256.0f, 0, 0, 0, 0, 0, 0, 0, RASTER_BLEND_COPY);
  EXPECT_EQ(Raster_GetR(PixelOf(bm, 0, 0)), 7);
  EXPECT_EQ(Raster_GetR(PixelOf(bm, 1, 0)), 11);
  EXPECT_EQ(PixelOf(bm, 2, 0), 0u); // width 4 - 2 ends at column 1
  EXPECT_EQ(PixelOf(bm, 0, 1), 0u);
}

TEST(RasterGradRect, WeightedRowsOnAFlippedBitmap)
{
  FlippedTestBitmap fl(1, 2);
  fl.at(0, 0) = fl.at(0, 1) = Raster_RGBA(100, 0, 0, 0);
  // Weight 0.5 on row 0, 0.25 on row 1 (alpha steps -64 per row), colour R = 1.0 -> 255.
  // Row 0: 255 + (100 - 255)*128/256 = 178 (-77.5 -> -77); alpha 128 + (-128*128)/256 = 64.
  // Row 1: weight 64: 255 + (-155*192)/256 = 139 (-116.25 -> -116); alpha 64 + (-64*192)/256 = 16.
  Raster_GradRect(&fl, 0, 0, 1, 2, 1.0f, 0, 0, 0.5f, 0, 0, 0, 0, 0, 0, 0, -0.25f, RASTER_BLEND_COPY);
  EXPECT_EQ(fl.at(0, 0), Raster_RGBA(178, 0, 0, 64));
  EXPECT_EQ(fl.at(0, 1), Raster_RGBA(139, 0, 0, 16));
  EXPECT_TRUE(fl.guardsIntact());
}

TEST(RasterGradRect, NothingForBadInput)
{
  Raster_MemBitmap bm(2, 2, 4);
  FillAll(bm, 0x01020304u);
  Raster_GradRect(&bm, 0, 0, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 6);
  Raster_GradRect(&bm, 2, 0, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, RASTER_BLEND_COPY);
  Raster_GradRect(&bm, -3, 0, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, RASTER_BLEND_COPY);
  Raster_GradRect(nullptr, 0, 0, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, RASTER_BLEND_COPY);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(PixelOf(bm, x, y), 0x01020304u);
  // Absurd steps stay within integer arithmetic (UBSan watches this) and keep channels in range.
  Raster_GradRect(&bm, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 1e30f, -1e30f, 0, 1e30f, 1e30f, 0, 0, 1e30f, 0, 0, 0, 1e30f,
                  RASTER_BLEND_OVERLAY);
  Raster_GradRect(&bm, -100000, 0, INT_MAX, 2, 0, 0, 0, 1, 1e6f, 1e6f, 1e6f, 0, 0, 0, 0, 0, RASTER_BLEND_MUL);
}

TEST(RasterMultiplyAddRect, ScalesAndAddsPerChannel)
{
  FlippedTestBitmap fl(2, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) fl.at(x, y) = Raster_RGBA(200, 200, 100, 10);
  // R: (200*128 + 2560) >> 8 = 110; G: 200*512 >> 8 = 400 -> 255; B: -25600 >> 8 -> 0;
  // A: (10*256 + 128) >> 8 = 10.
  Raster_MultiplyAddRect(&fl, 1, 0, 5, 1, 0.5f, 2.0f, -1.0f, 1.0f, 10.0f, 0, 0, 0.5f);
  EXPECT_EQ(fl.at(1, 0), Raster_RGBA(110, 255, 0, 10));
  EXPECT_EQ(fl.at(0, 0), Raster_RGBA(200, 200, 100, 10));
  EXPECT_EQ(fl.at(1, 1), Raster_RGBA(200, 200, 100, 10));
  Raster_MultiplyAddRect(&fl, 0, 0, 2, 2, 1e30f, -1e30f, 0, 1, 1e30f, 1e30f, -1e30f, 0);
  EXPECT_EQ(fl.at(0, 1), Raster_RGBA(255, 0, 0, 10));
  EXPECT_TRUE(fl.guardsIntact());
}

TEST(RasterProcessRect, VisitsTheClippedRectangleRowByRow)
{
  FlippedTestBitmap fl(3, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) fl.at(x, y) = (Raster_PixelWord)(y * 3 + x);
  struct Seen
  {
    Raster_PixelWord values[16];
    int n;
  } seen{{}, 0};
  Raster_ProcessRect(
      &fl, 1, 1, 10, 10,
      [](Raster_PixelWord* p, void* ctx) {
        Seen* s = (Seen*)ctx;
        if (s->n < 16) s->values[s->n++] = *p;
        *p = 0xFFu;
      },
      &seen);
  ASSERT_EQ(seen.n, 4);
  EXPECT_EQ(seen.values[0], 4u);
  EXPECT_EQ(seen.values[1], 5u);
  EXPECT_EQ(seen.values[2], 7u);
  EXPECT_EQ(seen.values[3], 8u);
  EXPECT_EQ(fl.at(2, 2), 0xFFu);
  EXPECT_EQ(fl.at(0, 2), 6u);
  Raster_ProcessRect(&fl, 0, 0, 3, 3, nullptr, nullptr);
  EXPECT_TRUE(fl.guardsIntact());
}

TEST(RasterFillRect, LargeBlocksMatchSinglePixelFillsInEveryMode)
{
  // Large fills look results up per byte value; each pixel must equal the same fill done on it alone,
  // over every byte value in every channel.
  Raster_MemBitmap big(64, 16, 4), one(1, 1, 4);
  auto source = [](int x, int y) {
    const int v = y * 64 + x; // 0..1023
    return Raster_RGBA(v & 0xFF, (v * 7 + 3) & 0xFF, (v * 13 + 1) & 0xFF, (255 - v) & 0xFF);
  };
  const Raster_PixelWord colour = Raster_RGBA(200, 17, 128, 99);
  for (int mode = RASTER_BLEND_COPY; mode <= RASTER_BLEND_HSVADJ; ++mode) {
    for (float alpha : {0.3f, 0.9f, 1.0f}) {
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x) PixelOf(big, x, y) = source(x, y);
      Raster_FillRect(&big, 0, 0, 64, 16, colour, alpha, mode);
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x) {
          PixelOf(one, 0, 0) = source(x, y);
          Raster_FillRect(&one, 0, 0, 1, 1, colour, alpha, mode);
          ASSERT_EQ(PixelOf(big, x, y), PixelOf(one, 0, 0))
              << "mode " << mode << " alpha " << alpha << " at " << x << "," << y;
        }
    }
  }
  // And one worked value inside a large block: copy at 0.3 (weight 76) of R 200 over R 100 gives 130.
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 64; ++x) PixelOf(big, x, y) = Raster_RGBA(100, 0, 0, 0);
  Raster_FillRect(&big, 0, 0, 64, 16, Raster_RGBA(200, 0, 0, 255), 0.3f, RASTER_BLEND_COPY);
  EXPECT_EQ(PixelOf(big, 63, 15), Raster_RGBA(130, 0, 0, 23));
}

TEST(RasterFillRect, NegativeWeightsByMode)
{
  // Copy at a negative weight draws nothing; add subtracts: 200 + 100 * -128 / 256 = 150, and the alpha
  // byte, offered the weight itself, 200 + (-128 * -128) / 256 = 264 -> 255. Multiply at -128:
  // 200 * (100 * -128 + 384 * 256) / 65536 = 260 -> low byte 4 (multiply does not clamp).
  const struct
  {
    int mode;
    Raster_PixelWord want;
  } cases[] = {
      {RASTER_BLEND_COPY, Raster_RGBA(200, 200, 200, 200)},
      {RASTER_BLEND_ADD, Raster_RGBA(150, 150, 150, 255)},
      {RASTER_BLEND_MUL, Raster_RGBA(4, 4, 4, (200 * (-128 * -128 + 384 * 256) / 65536) & 0xFF)},
  };
  for (const auto& c : cases) {
    Raster_MemBitmap bm(2, 1, 4);
    FillAll(bm, Raster_RGBA(200, 200, 200, 200));
    Raster_FillRect(&bm, 0, 0, 2, 1, Raster_RGBA(100, 100, 100, 100), -0.5f, c.mode);
    EXPECT_EQ(PixelOf(bm, 1, 0), c.want) << c.mode;
  }
  // A gradient whose weight runs from 0.5 down past zero: add subtracts where the weight is negative.
  Raster_MemBitmap g(3, 1, 4);
  FillAll(g, Raster_RGBA(100, 100, 100, 100));
  Raster_GradRect(&g, 0, 0, 3, 1, 0.2f, 0.2f, 0.2f, 0.5f, 0, 0, 0, -0.5f, 0, 0, 0, 0, RASTER_BLEND_ADD);
  EXPECT_EQ(Raster_GetR(PixelOf(g, 0, 0)), 100 + 51 * 128 / 256);
  EXPECT_EQ(PixelOf(g, 1, 0), Raster_RGBA(100, 100, 100, 100)); // weight 0
  EXPECT_EQ(Raster_GetR(PixelOf(g, 2, 0)), 100 + 51 * -128 / 256);
}

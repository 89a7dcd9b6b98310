// Single-pixel reads and writes, the span fill, colour-key alpha and bitmap comparison.

#include "raster/Raster_Fill.h"
#include "raster/Raster_MemBitmap.h"

#include "tests/raster/test_bitmap_helpers.h"

#include <gtest/gtest.h>

#include <climits>

TEST(RasterPixel, GetAndPutStayInside)
{
  Raster_MemBitmap bm(3, 2, 4);
  FillAll(bm, 0x01010101u);
  PixelOf(bm, 3, 0) = 0x01010101u;                                  // padding column
  Raster_PutPixel(&bm, 3, 0, 0xFFFFFFFFu, 1.0f, RASTER_BLEND_COPY); // at the width: nothing
  Raster_PutPixel(&bm, -1, 0, 0xFFFFFFFFu, 1.0f, RASTER_BLEND_COPY);
  Raster_PutPixel(&bm, 0, 2, 0xFFFFFFFFu, 1.0f, RASTER_BLEND_COPY);
  Raster_PutPixel(&bm, INT_MIN, INT_MAX, 0xFFFFFFFFu, 1.0f, RASTER_BLEND_COPY);
  Raster_PutPixel(nullptr, 0, 0, 0xFFFFFFFFu, 1.0f, RASTER_BLEND_COPY);
  EXPECT_EQ(PixelOf(bm, 3, 0), 0x01010101u); // the padding column stays as it was
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(Raster_GetPixel(&bm, x, y), 0x01010101u);
  EXPECT_EQ(Raster_GetPixel(&bm, 3, 0), 0u);
  EXPECT_EQ(Raster_GetPixel(&bm, 0, -1), 0u);
  EXPECT_EQ(Raster_GetPixel(nullptr, 0, 0), 0u);
  Raster_MemBitmap empty;
  EXPECT_EQ(Raster_GetPixel(&empty, 0, 0), 0u);
}

TEST(RasterPixel, PutPixelWeights)
{
  Raster_MemBitmap bm(1, 1, 4);
  const Raster_PixelWord D = 0x80402010u, c = 0xFF00FF00u;
  PixelOf(bm, 0, 0) = D;
  Raster_PutPixel(&bm, 0, 0, c, 0.5f, RASTER_BLEND_COPY);
  EXPECT_EQ(PixelOf(bm, 0, 0), 0xBF208F08u);
  PixelOf(bm, 0, 0) = D;
  Raster_PutPixel(&bm, 0, 0, c, 0.25f, RASTER_BLEND_COPY);
  EXPECT_EQ(PixelOf(bm, 0, 0), 0x3F003F00u + 0x40201008u + 0x20100804u);
  // Weight 76: the colour's own alpha is offered: 255 + (-255*180)/256 = 76; R 200 + (-100*180)/256 = 130.
  PixelOf(bm, 0, 0) = Raster_RGBA(100, 0, 0, 0);
  Raster_PutPixel(&bm, 0, 0, Raster_RGBA(200, 0, 0, 255), 0.3f, RASTER_BLEND_COPY);
  EXPECT_EQ(PixelOf(bm, 0, 0), Raster_RGBA(130, 0, 0, 76));
  // Add offers the colour's alpha too: 76 + 10 = 86.
  Raster_PutPixel(&bm, 0, 0, Raster_RGBA(10, 0, 0, 10), 1.0f, RASTER_BLEND_ADD);
  EXPECT_EQ(PixelOf(bm, 0, 0), Raster_RGBA(140, 0, 0, 86));
  // Nothing for zero, negative copy, unknown.
  Raster_PutPixel(&bm, 0, 0, 0xFFFFFFFFu, 0.0f, RASTER_BLEND_COPY);
  Raster_PutPixel(&bm, 0, 0, 0xFFFFFFFFu, -0.5f, RASTER_BLEND_COPY);
  Raster_PutPixel(&bm, 0, 0, 0xFFFFFFFFu, 1.0f, 9);
  EXPECT_EQ(PixelOf(bm, 0, 0), Raster_RGBA(140, 0, 0, 86));
  // Add at -0.5 subtracts half the colour: 140 - 20 * 128 / 256 = 130, alpha 86 - 5.
  Raster_PutPixel(&bm, 0, 0, Raster_RGBA(20, 0, 0, 10), -0.5f, RASTER_BLEND_ADD);
  EXPECT_EQ(PixelOf(bm, 0, 0), Raster_RGBA(130, 0, 0, 81));
}

TEST(RasterPixel, FlippedBitmapsUseImageRows)
{
  FlippedTestBitmap fl(2, 3);
  Raster_PutPixel(&fl, 1, 0, 0xABCDEF01u, 1.0f, RASTER_BLEND_COPY);
  EXPECT_EQ(fl.at(1, 0), 0xABCDEF01u);
  EXPECT_EQ(fl.getBits()[2 * 3 + 1], 0xABCDEF01u); // memory row 2 of a 3-row bitmap
  EXPECT_EQ(Raster_GetPixel(&fl, 1, 0), 0xABCDEF01u);
  EXPECT_TRUE(fl.guardsIntact());
}

TEST(RasterSimpleFill, FillsRunsTouchingTheSeedColumn)
{
  // U shape of A (left arm, right arm, bottom bar) in B; seeded in the left arm.
  const Raster_PixelWord A = 0x11111111u, B = 0x22222222u, F = 0xF0000000u;
  const char* rows[] = {"ABBBA", "ABBBA", "AAAAA", "BBBBB"};
  FlippedTestBitmap fl(5, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) fl.at(x, y) = rows[y][x] == 'A' ? A : B;
  Raster_SimpleFill(&fl, 0, 0, F, 0xFFFFFFFFu, 0x000000FFu);
  const char* want[] = {"FBBBA", "FBBBA", "FFFFF", "BBBBB"};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      const Raster_PixelWord w = want[y][x] == 'F' ? (F | 0x11u) : (want[y][x] == 'A' ? A : B);
      EXPECT_EQ(fl.at(x, y), w) << x << "," << y;
    }
  EXPECT_TRUE(fl.guardsIntact());

  // Seeded in the bar's middle column, the run goes both ways and upward stops at the first mismatch.
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) fl.at(x, y) = rows[y][x] == 'A' ? A : B;
  Raster_SimpleFill(&fl, 2, 2, F, 0xFFFFFFFFu, 0);
  for (int x = 0; x < 5; ++x) EXPECT_EQ(fl.at(x, 2), F);
  EXPECT_EQ(fl.at(0, 1), A);
  EXPECT_EQ(fl.at(2, 1), B);

  Raster_SimpleFill(&fl, 5, 0, F, 0xFFFFFFFFu, 0);
  Raster_SimpleFill(&fl, 0, -1, F, 0xFFFFFFFFu, 0);
  Raster_SimpleFill(nullptr, 0, 0, F, 0xFFFFFFFFu, 0);
}

TEST(RasterSimpleFill, CompareMaskSelectsChannels)
{
  Raster_MemBitmap bm(3, 1, 4);
  PixelOf(bm, 0, 0) = 0x00000001u;
  PixelOf(bm, 1, 0) = 0x000000FFu; // same apart from alpha
  PixelOf(bm, 2, 0) = 0x00000100u;
  Raster_SimpleFill(&bm, 0, 0, 0xAA000000u, 0xFFFFFF00u, 0xFFu);
  EXPECT_EQ(PixelOf(bm, 0, 0), 0xAA000001u);
  EXPECT_EQ(PixelOf(bm, 1, 0), 0xAA0000FFu);
  EXPECT_EQ(PixelOf(bm, 2, 0), 0x00000100u);
}

TEST(RasterSetAlphaFromColorMask, KeyColourTransparentRestOpaque)
{
  FlippedTestBitmap fl(3, 1);
  fl.at(0, 0) = 0x33221177u;
  fl.at(1, 0) = 0x33221200u;
  fl.at(2, 0) = 0x33221100u;
  Raster_SetAlphaFromColorMask(&fl, 0x33221100u);
  EXPECT_EQ(fl.at(0, 0), 0x33221100u);
  EXPECT_EQ(fl.at(1, 0), 0x332212FFu);
  EXPECT_EQ(fl.at(2, 0), 0x33221100u);
  EXPECT_TRUE(fl.guardsIntact());
  Raster_SetAlphaFromColorMask(nullptr, 0);
}

TEST(RasterBitmapCmp, NullsAndSizes)
{
  Raster_MemBitmap a(4, 3, 4), b(6, 3, 4), c(4, 5, 4);
  EXPECT_EQ(Raster_BitmapCmp(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(Raster_BitmapCmp(&a, nullptr, nullptr), 1);
  EXPECT_EQ(Raster_BitmapCmp(nullptr, &a, nullptr), -1);
  EXPECT_EQ(Raster_BitmapCmp(&a, &b, nullptr), 2);
  EXPECT_EQ(Raster_BitmapCmp(&b, &a, nullptr), -2);
  EXPECT_EQ(Raster_BitmapCmp(&a, &c, nullptr), 2);
}

TEST(RasterBitmapCmp, ContentAndDifferenceBox)
{
  Raster_MemBitmap a(8, 6, 4);
  FlippedTestBitmap b(8, 6);
  FillAll(a, 0x01020304u);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) b.at(x, y) = 0x01020304u;
  PixelOf(a, 7, 5) = 0xFFu; // padding beyond the width would not count anyway; this is inside
  b.at(7, 5) = 0xFFu;

  int box[4] = {9, 9, 9, 9};
  EXPECT_EQ(Raster_BitmapCmp(&a, &b, nullptr), 0);
  EXPECT_EQ(Raster_BitmapCmp(&a, &b, box), 0);
  EXPECT_EQ(box[0], 0);
  EXPECT_EQ(box[1], 0);
  EXPECT_EQ(box[2], 0);
  EXPECT_EQ(box[3], 0);

  b.at(3, 4) = 0x01020305u; // first byte differs: a's 0x04 < b's 0x05
  EXPECT_LT(Raster_BitmapCmp(&a, &b, nullptr), 0);
  EXPECT_GT(Raster_BitmapCmp(&b, &a, nullptr), 0);
  EXPECT_EQ(Raster_BitmapCmp(&a, &b, box), 1);
  EXPECT_EQ(box[0], 3);
  EXPECT_EQ(box[1], 4);
  EXPECT_EQ(box[2], 1);
  EXPECT_EQ(box[3], 1);

  b.at(1, 2) = 0u;
  b.at(5, 3) = 0u;
  EXPECT_EQ(Raster_BitmapCmp(&a, &b, box), 1);
  EXPECT_EQ(box[0], 1);
  EXPECT_EQ(box[1], 2);
  EXPECT_EQ(box[2], 5);
  EXPECT_EQ(box[3], 3);
}

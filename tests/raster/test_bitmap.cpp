// Heap and drawing-context bitmaps: spans, alignment, the storage growth policy, bad sizes.

#include "raster/Raster_Fill.h"
#include "raster/Raster_MemBitmap.h"
#include "raster/Raster_SysBitmap.h"

#include "gdi/gdi.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

TEST(RasterMemBitmap, EmptyUntilResized)
{
  Raster_MemBitmap bm(0, 0, 4);
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 0);
  EXPECT_FALSE(bm.isFlipped());
  EXPECT_EQ(bm.getDC(), nullptr);
  EXPECT_EQ(bm.Extended(1, nullptr), 0);
}

TEST(RasterMemBitmap, SpanPaddedAndBitsOn64ByteBoundary)
{
  Raster_MemBitmap bm(0, 0, 4);
  EXPECT_TRUE(bm.resize(5, 2));
  EXPECT_EQ(bm.getRowSpan(), 8);
  EXPECT_EQ(bm.getAllocatedSize(), 64u); // 8 * 2 * 4 bytes
  ASSERT_NE(bm.getBits(), nullptr);
  EXPECT_EQ((uintptr_t)bm.getBits() % 64, 0u);
  // Every byte of the padded rows is usable (ASan would object otherwise).
  for (int i = 0; i < 16; ++i) bm.getBits()[i] = 0xFFFFFFFFu;

  Raster_PixelWord* before = bm.getBits();
  EXPECT_TRUE(bm.resize(3, 2)); // fits: storage stays in place
  EXPECT_EQ(bm.getBits(), before);
  EXPECT_EQ(bm.getRowSpan(), 4);
  EXPECT_EQ(bm.getAllocatedSize(), 64u);
  EXPECT_FALSE(bm.resize(3, 2)); // same size: no change
}

TEST(RasterMemBitmap, GrowsWithQuarterSlackNeverShrinks)
{
  Raster_MemBitmap bm(4, 1, 4); // 16 bytes
  EXPECT_EQ(bm.getAllocatedSize(), 16u);
  EXPECT_TRUE(bm.resize(8, 10)); // needs 320 -> 320 + 80
  EXPECT_EQ(bm.getAllocatedSize(), 400u);
  EXPECT_EQ((uintptr_t)bm.getBits() % 64, 0u);
  for (int i = 0; i < 100; ++i) bm.getBits()[i] = 1; // the slack is real storage
  EXPECT_TRUE(bm.resize(4, 4));
  EXPECT_EQ(bm.getAllocatedSize(), 400u);
  EXPECT_TRUE(bm.resize(0, 4)); // nothing to hold: storage freed
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 0);
  EXPECT_EQ(bm.getAllocatedSize(), 0u);
}

TEST(RasterMemBitmap, LineAlignment)
{
  EXPECT_EQ(Raster_MemBitmap(5, 1, 1).getRowSpan(), 5);
  EXPECT_EQ(Raster_MemBitmap(5, 1, 0).getRowSpan(), 5);
  EXPECT_EQ(Raster_MemBitmap(5, 1, 2).getRowSpan(), 6);
  EXPECT_EQ(Raster_MemBitmap(5, 1, 12).getRowSpan(), 8); // lowest set bit of 12 is 4
  EXPECT_EQ(Raster_MemBitmap(17, 1, 16).getRowSpan(), 32);
}

TEST(RasterMemBitmap, NegativeAndAbsurdSizesHoldNothing)
{
  Raster_MemBitmap bm(0, 0, 4);
  EXPECT_TRUE(bm.resize(-5, -2));
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_TRUE(bm.resize(100000, 100000)); // 40 GB: refused, not attempted
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 0);
  EXPECT_TRUE(bm.resize(INT_MAX, 1));
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_TRUE(bm.resize(7, 3)); // and it still works afterwards
  ASSERT_NE(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getRowSpan(), 8);
}

TEST(RasterSysBitmap, FrameBufferOfMemoryContext)
{
  Raster_SysBitmap bm(301, 200);
  ASSERT_NE(bm.getDC(), nullptr);
  ASSERT_NE(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 301);
  EXPECT_EQ(bm.getHeight(), 200);
  EXPECT_EQ(bm.getRowSpan(), 304);
  EXPECT_EQ((void*)bm.getBits(), GDI_GetCtxFrameBuffer(bm.getDC()));
  EXPECT_EQ(GDI_GetCtxRowSpan(bm.getDC()), 304);
  EXPECT_EQ((uintptr_t)bm.getBits() % 64, 0u);
  bm.getBits()[304 * 200 - 1] = 0x01020304u; // the last padded pixel is inside the buffer

  Raster_PixelWord* bits = bm.getBits();
  HDC__* dc = bm.getDC();
  EXPECT_TRUE(bm.resize(300, 150)); // fits: same context, the wider span stays
  EXPECT_EQ(bm.getBits(), bits);
  EXPECT_EQ(bm.getDC(), dc);
  EXPECT_EQ(bm.getRowSpan(), 304);
  EXPECT_FALSE(bm.resize(300, 150));

  EXPECT_TRUE(bm.resize(400, 150)); // wider: a new context
  EXPECT_EQ(bm.getRowSpan(), 400);
  ASSERT_NE(bm.getBits(), nullptr);
}

TEST(RasterSysBitmap, EmptyAndBadSizes)
{
  Raster_SysBitmap empty;
  EXPECT_EQ(empty.getBits(), nullptr);
  EXPECT_EQ(empty.getDC(), nullptr);

  Raster_SysBitmap bm(8, 8);
  EXPECT_FALSE(bm.resize(0, 8)); // no storage for an empty size
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getDC(), nullptr);
  EXPECT_FALSE(bm.resize(-3, 4));
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);

  EXPECT_TRUE(bm.resize(100000, 100000)); // the context refuses: an empty bitmap, not a crash
  EXPECT_EQ(bm.getBits(), nullptr);
  EXPECT_EQ(bm.getWidth(), 0);
  EXPECT_EQ(bm.getHeight(), 0);
}

TEST(RasterSysBitmap, PlatformAndRasterDrawingShareThePixels)
{
  Raster_SysBitmap bm(5, 3);
  ASSERT_NE(bm.getDC(), nullptr);
  Raster_Clear(&bm, 0);
  // A context colour 0xRRGGBB set through the drawing context reads back as the raster word's R, G, B.
  GDI_SetPixel(bm.getDC(), 2, 1, 0x112233);
  EXPECT_EQ(Raster_GetPixel(&bm, 2, 1) & 0xFFFFFF00u, Raster_RGBA(0x11, 0x22, 0x33, 0));
  EXPECT_EQ(Raster_GetPixel(&bm, 1, 1), 0u);
}

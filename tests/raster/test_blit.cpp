// Raster_Blit and Raster_Copy: clipping, flipped bitmaps, the whole-row and half-mix fast paths, the
// kernel path's arithmetic, channel copies, and input that must draw nothing.

#include "raster/Raster_Blit.h"
#include "raster/Raster_MemBitmap.h"

#include "tests/raster/test_blit_support.h"

#include <climits>
#include <cmath>
#include <vector>

namespace {

void fillPattern(TestBitmap& bm)
{
  for (int y = 0; y < bm.getHeight(); y++)
    for (int x = 0; x < bm.getWidth(); x++) bm.set(x, y, px(10 * x + 1, 10 * y + 2, x + y, 200 + x));
}

} // namespace

TEST(RasterBlit, OpaqueCopyLandsInImageCoordinatesWhateverTheRowOrder)
{
  for (int flips = 0; flips < 4; flips++) {
    TestBitmap src(3, 2, flips & 1), dest(5, 4, flips & 2);
    fillPattern(src);
    Raster_Blit(&dest, &src, 1, 1, nullptr, 1.0f, RASTER_BLEND_COPY);
    for (int y = 0; y < 4; y++)
      for (int x = 0; x < 5; x++) {
        const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
        EXPECT_EQ(dest.get(x, y), inside ? src.get(x - 1, y - 1) : 0u) << "flips " << flips << " at " << x << "," << y;
      }
    EXPECT_TRUE(dest.padIntact());
  }
}

TEST(RasterBlit, SourceRectangleAndDestinationAreClippedAgainstEachOther)
{
  TestBitmap src(4, 2);
  fillPattern(src);
  {
    // A left edge of -3 is raised to 0 and the drawing moves 3 pixels right.
    TestBitmap dest(8, 2);
    RECT r = {-3, 0, 2, 2};
    Raster_Blit(&dest, &src, 1, 0, &r, 1.0f, RASTER_BLEND_COPY);
    for (int x = 0; x < 8; x++) EXPECT_EQ(dest.get(x, 1), x == 4 || x == 5 ? src.get(x - 4, 1) : 0u) << x;
  }
  {
    // Left of the destination: the source start moves right instead.
    TestBitmap dest(4, 2);
    Raster_Blit(&dest, &src, -2, 0, nullptr, 1.0f, RASTER_BLEND_COPY);
    EXPECT_EQ(dest.get(0, 0), src.get(2, 0));
    EXPECT_EQ(dest.get(1, 0), src.get(3, 0));
    EXPECT_EQ(dest.get(2, 0), 0u);
  }
  {
    // Past the right and bottom edges: cut.
    TestBitmap dest(4, 2);
    Raster_Blit(&dest, &src, 3, 1, 0, 0, 4, 2, 1.0f, RASTER_BLEND_COPY);
    EXPECT_EQ(dest.get(3, 1), src.get(0, 0));
    EXPECT_EQ(dest.get(2, 1), 0u);
    EXPECT_EQ(dest.get(3, 0), 0u);
    EXPECT_TRUE(dest.padIntact());
  }
}

TEST(RasterBlit, HalfWeightCopyMixesWholeWords)
{
  TestBitmap src(9, 1);
  src.fill(0xF0E0D0C0);
  src.set(8, 0, 0x01010101);
  for (bool simd : {false, true}) {
    SimdSwitch sw(simd);
    TestBitmap d2(9, 1, true);
    d2.fill(0x10203040);
    d2.set(8, 0, 0x01010101);
    Raster_Blit(&d2, &src, 0, 0, nullptr, 0.5f, RASTER_BLEND_COPY);
    // Each byte: (d >> 1) + (s >> 1); the low bits are lost, so 1 and 1 give 0 (the kernel would keep 1).
    for (int x = 0; x < 8; x++) EXPECT_EQ(d2.get(x, 0), 0x80808080u);
    EXPECT_EQ(d2.get(8, 0), 0u);
  }
}

TEST(RasterBlit, OtherWeightsGoThroughTheCopyKernel)
{
  TestBitmap src(2, 1), dest(2, 1);
  src.set(0, 0, px(200, 201, 0, 255));
  dest.set(0, 0, px(100, 100, 0, 0));
  Raster_Blit(&dest, &src, 0, 0, nullptr, 0.6f, RASTER_BLEND_COPY); // weight 153
  // s + (d - s) * (256 - 153) / 256, truncated toward zero.
  EXPECT_EQ(dest.get(0, 0), px(200 - 40, 201 - 40, 0, 255 - 102));
}

TEST(RasterBlit, SourceAlphaCopyWeightsEachPixelByItsAlpha)
{
  for (bool simd : {false, true}) {
    SimdSwitch sw(simd);
    TestBitmap src(11, 1, true), dest(11, 1);
    for (int x = 0; x < 11; x++) {
      src.set(x, 0, px(200, 10, 0, 128));
      dest.set(x, 0, px(100, 250, 0, 50));
    }
    src.set(3, 0, px(1, 2, 3, 0));   // transparent: untouched
    src.set(6, 0, px(9, 8, 7, 255)); // opaque: its colour and alpha 255
    src.set(10, 0, px(1, 2, 3, 0));  // in the scalar tail as well
    Raster_Blit(&dest, &src, 0, 0, nullptr, 1.0f, RASTER_BLEND_COPY | RASTER_BLEND_USE_SOURCE_ALPHA);
    // R: 200 + (-100 * 127) / 256 = 151; G: 10 + (240 * 127) / 256 = 129; A: 50 + 128.
    const Raster_PixelWord mixed = px(151, 129, 0, 178);
    for (int x = 0; x < 11; x++) {
      const Raster_PixelWord want = x == 3 || x == 10 ? px(100, 250, 0, 50) : x == 6 ? px(9, 8, 7, 255) : mixed;
      EXPECT_EQ(dest.get(x, 0), want) << "simd " << simd << " x " << x;
    }

    // At alpha 0.5 the weight is 128 * (128 + 1) / 256 = 64: R 200 + (-100 * 192) / 256 = 125, A 50 + 64.
    // The opaque pixel weighs 128 * 256 / 256 = 128: B 7 + (-7 * 128) / 256 = 7 - 3.
    TestBitmap d2(11, 1);
    d2.fill(px(100, 250, 0, 50));
    Raster_Blit(&d2, &src, 0, 0, nullptr, 0.5f, RASTER_BLEND_COPY | RASTER_BLEND_USE_SOURCE_ALPHA);
    for (int x = 0; x < 11; x++) {
      const Raster_PixelWord want = x == 3 || x == 10 ? px(100, 250, 0, 50)
                                    : x == 6          ? px(9 + 91 * 128 / 256, 8 + 242 * 128 / 256, 4, 178)
                                                      : px(125, 10 + 240 * 192 / 256, 0, 114);
      EXPECT_EQ(d2.get(x, 0), want) << "simd " << simd << " x " << x;
    }
  }
}

TEST(RasterBlit, AddModeClampsAndChannelCopyMovesOneByte)
{
  TestBitmap src(1, 1), dest(1, 1);
  src.set(0, 0, px(100, 20, 0, 10));
  dest.set(0, 0, px(200, 30, 7, 250));
  Raster_Blit(&dest, &src, 0, 0, nullptr, 1.0f, RASTER_BLEND_ADD);
  EXPECT_EQ(dest.get(0, 0), px(255, 50, 7, 255));

  // 0xF9: source byte 1 (R) into destination byte 2 (G); the weight does not matter.
  dest.set(0, 0, px(1, 2, 3, 4));
  Raster_Blit(&dest, &src, 0, 0, nullptr, 0.3f, 0xF9);
  EXPECT_EQ(dest.get(0, 0), px(1, 100, 3, 4));
}

TEST(RasterBlit, BadInputDrawsNothing)
{
  TestBitmap src(4, 4), dest(4, 4, true);
  fillPattern(src);
  dest.fill(0x11111111);
  const auto before = dest.snapshot();
  NoBitsBitmap empty;
  RECT inverted = {3, 3, 1, 1};
  RECT huge = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};

  Raster_Blit(nullptr, &src, 0, 0, nullptr, 1.0f, RASTER_BLEND_COPY);
  Raster_Blit(&dest, nullptr, 0, 0, nullptr, 1.0f, RASTER_BLEND_COPY);
  Raster_Blit(&dest, &empty, 0, 0, nullptr, 1.0f, RASTER_BLEND_COPY);
  Raster_Blit(&empty, &src, 0, 0, nullptr, 1.0f, RASTER_BLEND_COPY);
  Raster_Blit(&dest, &src, 0, 0, nullptr, 0.0f, RASTER_BLEND_COPY);
  Raster_Blit(&dest, &src, 0, 0, nullptr, -1.0f, RASTER_BLEND_COPY);
  Raster_Blit(&dest, &src, 0, 0, nullptr, std::nanf(""), RASTER_BLEND_COPY);
  Raster_Blit(&dest, &src, 0, 0, nullptr, 1.0f, 6);
  Raster_Blit(&dest, &src, 0, 0, nullptr, 0.7f, 0x80 | RASTER_BLEND_USE_SOURCE_ALPHA);
  Raster_Blit(&dest, &src, 0, 0, &inverted, 1.0f, RASTER_BLEND_COPY);
  Raster_Blit(&dest, &src, INT_MAX, INT_MAX, &huge, 1.0f, RASTER_BLEND_COPY);
  Raster_Blit(&dest, &src, INT_MIN, 0, nullptr, 1.0f, RASTER_BLEND_COPY);
  Raster_Blit(&dest, &src, 0, 0, INT_MAX, INT_MAX, INT_MAX, INT_MAX, 1.0f, RASTER_BLEND_COPY);
  Raster_Blit(&dest, &src, 0, 0, 0, 0, -4, 4, 1.0f, RASTER_BLEND_COPY);
  Raster_Blit(&dest, &src, 4, 0, nullptr, 1.0f, RASTER_BLEND_COPY);
  EXPECT_EQ(dest.snapshot(), before);

  // A rectangle reaching far past the source draws only what both bitmaps hold; one row and column above
  // and left of it shift the drawing back onto (0, 0).
  RECT wide = {-1, -1, INT_MAX, INT_MAX};
  Raster_Blit(&dest, &src, -1, -1, &wide, 1.0f, RASTER_BLEND_COPY);
  EXPECT_EQ(dest.get(0, 0), src.get(0, 0));
  EXPECT_EQ(dest.get(3, 3), src.get(3, 3));
  EXPECT_TRUE(dest.padIntact());
}

TEST(RasterBlit, CopyTakesTheSourceSize)
{
  TestBitmap src(5, 3, true);
  fillPattern(src);
  Raster_MemBitmap dest(1, 1, 4);
  Raster_Copy(&dest, &src);
  ASSERT_EQ(dest.getWidth(), 5);
  ASSERT_EQ(dest.getHeight(), 3);
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 5; x++) EXPECT_EQ(dest.getBits()[y * dest.getRowSpan() + x], src.get(x, y));
  Raster_Copy(nullptr, &src);
  Raster_Copy(&dest, nullptr);
}

TEST(RasterBlit, OpaqueCopyOfWholeRowsMatchesRowByRow)
{
  // Rows back to back on both sides go as one copy; every case must give what copying row after row
  // from the top gives: separate bitmaps, the same bitmap one row up and one row down (overlapping),
  // and a narrower rectangle (rows not back to back).
  struct Case
  {
    bool same;
    int dstx, dsty, left, top, right, bottom;
  };
  const Case cases[] = {{false, 0, 0, 0, 0, 6, 5}, {true, 0, 0, 0, 1, 6, 5},  {true, 0, 1, 0, 0, 6, 4},
                        {false, 0, 0, 0, 0, 6, 3}, {false, 0, 2, 0, 0, 6, 5}, {false, 1, 0, 0, 0, 5, 5}};
  for (const Case& c : cases) {
    Raster_MemBitmap src(6, 5, 1), other(6, 5, 1);
    ASSERT_EQ(src.getRowSpan(), 6);
    for (int i = 0; i < 30; i++) {
      src.getBits()[i] = 0x01020304u * (Raster_PixelWord)(i + 1);
      other.getBits()[i] = 0xEEu + (Raster_PixelWord)i;
    }
    Raster_MemBitmap& dest = c.same ? src : other;
    std::vector<Raster_PixelWord> want(dest.getBits(), dest.getBits() + 30);
    const std::vector<Raster_PixelWord> from(src.getBits(), src.getBits() + 30);
    // Row after row from the top, reading the source as the rows before left it.
    const std::vector<Raster_PixelWord>& reads = c.same ? want : from;
    for (int y = 0; y < c.bottom - c.top && c.dsty + y < 5; y++)
      for (int x = 0; x < c.right - c.left && c.dstx + x < 6; x++)
        want[(c.dsty + y) * 6 + c.dstx + x] = reads[(c.top + y) * 6 + c.left + x];
    Raster_Blit(&dest, &src, c.dstx, c.dsty, c.left, c.top, c.right - c.left, c.bottom - c.top, 1.0f,
                RASTER_BLEND_COPY);
    EXPECT_EQ(std::vector<Raster_PixelWord>(dest.getBits(), dest.getBits() + 30), want)
        << c.same << " " << c.dstx << "," << c.dsty << " from " << c.left << "," << c.top;
  }
}

TEST(RasterBlit, OverlappingOpaqueCopyWalksRowsTopDown)
{
  // A bitmap blitted one row down onto itself: rows copied from the top repeat the first row, also when
  // rows follow each other without padding.
  Raster_MemBitmap bm(4, 4, 4);
  for (int y = 0; y < 4; y++)
    for (int x = 0; x < 4; x++) bm.getBits()[y * 4 + x] = (Raster_PixelWord)(y + 1);
  Raster_Blit(&bm, &bm, 0, 1, 0, 0, 4, 3, 1.0f, RASTER_BLEND_COPY);
  for (int y = 0; y < 4; y++) EXPECT_EQ(bm.getBits()[y * 4 + 2], 1u) << y;
}

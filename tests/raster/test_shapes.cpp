// Lines, circles, polygons and curves against values worked out by hand.

#include "raster/Raster_Line.h"
#include "raster/Raster_Shapes.h"
#include "tests/raster/test_blit_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>
#include <utility>

namespace {

const Raster_PixelWord kWhite = 0xFFFFFFFFu;
using Points = std::set<std::pair<int, int>>;

Points touched(TestBitmap& bm)
{
  Points p;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x)
      if (bm.get(x, y)) p.insert({x, y});
  return p;
}

// Red channel of a pixel.
int red(TestBitmap& bm, int x, int y)
{
  return Raster_GetR(bm.get(x, y));
}

} // namespace

TEST(Lines, PixelsAndWeights)
{
  {
    TestBitmap bm(16, 8);
    Raster_Line(&bm, 0, 0, 10, 3, kWhite, 1.0f, RASTER_BLEND_COPY, false);
    // Error step (int)(3 / 10 * 65536) = 19660 from both ends; the minor axis moves at half a pixel.
    EXPECT_EQ(touched(bm),
              (Points{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 2}, {7, 2}, {8, 2}, {9, 3}, {10, 3}}));
  }
  {
    TestBitmap bm(16, 8);
    Raster_Line(&bm, 3, 2, 0, 2, kWhite, 1.0f, RASTER_BLEND_COPY, false);
    EXPECT_EQ(touched(bm), (Points{{0, 2}, {1, 2}, {2, 2}, {3, 2}}));
  }
  // Anti-aliased (0,0)-(10,3), white on black: end points at full weight; the inner pixel at x = 1 has
  // error 19660, so weights 255 - 76 = 179 on the line and 76 below, each through the copy kernel:
  // 255 + (0 - 255) * 77 / 256 = 179 and 255 - 255 * 180 / 256 = 76. At x = 2 the error is 39320:
  // weights 102 and 153 give 102 and 153.
  {
    TestBitmap bm(16, 8);
    Raster_Line(&bm, 0, 0, 10, 3, kWhite, 1.0f, RASTER_BLEND_COPY, true);
    const struct
    {
      int x, y, r;
    } want[] = {{0, 0, 255}, {10, 3, 255}, {1, 0, 179}, {1, 1, 76}, {2, 0, 102},
                {2, 1, 153}, {9, 3, 179},  {9, 2, 76},  {1, 2, 0}};
    for (const auto& w : want) EXPECT_EQ(red(bm, w.x, w.y), w.r) << w.x << "," << w.y;
  }
  // An exact anti-aliased diagonal at alpha 1.0: three-quarter words on it (0x7F + 0x3F = 190), quarter
  // words (63) on both pixels of each step, nothing else.
  {
    TestBitmap bm(8, 8);
    Raster_Line(&bm, 1, 1, 3, 3, kWhite, 1.0f, RASTER_BLEND_COPY, true);
    EXPECT_EQ(bm.get(1, 1), 0xBEBEBEBEu);
    EXPECT_EQ(bm.get(3, 3), 0xBEBEBEBEu);
    EXPECT_EQ(bm.get(2, 1), 0x3F3F3F3Fu);
    EXPECT_EQ(bm.get(1, 2), 0x3F3F3F3Fu);
    EXPECT_EQ(touched(bm).size(), 7u);
  }
  // Half alpha on a horizontal line is the half-mix word; at 0.6 the copy kernel at weight 153.
  {
    TestBitmap bm(8, 2);
    bm.fill(px(101, 101, 101, 101));
    Raster_Line(&bm, 0, 0, 7, 0, px(201, 201, 201, 201), 0.5f, RASTER_BLEND_COPY, false);
    Raster_Line(&bm, 0, 1, 7, 1, px(201, 201, 201, 201), 0.6f, RASTER_BLEND_COPY, false);
    EXPECT_EQ(red(bm, 3, 0), 50 + 100);
    EXPECT_EQ(red(bm, 3, 1), 201 + (-100 * 103) / 256);
  }
}

TEST(Lines, ClippingAndHostileEndPoints)
{
  const struct
  {
    int x1, y1, x2, y2;
    size_t pixels;
  } cases[] = {
      {-5, 3, 40, 3, 20},                  // crosses the whole width
      {-1000000000, 4, 1000000000, 4, 20}, // end points at +-1e9
      {5, -1000000000, 5, 1000000000, 10}, // the same vertically
      // The bottom edge moves y to h - 1 but takes x where the line meets row h: x = 10, so 11 pixels.
      {-1000000000, -1000000000, 1000000000, 1000000000, 11},
      {30, 30, 40, 40, 0}, // wholly outside
      {-10, -10, -1, 50, 0},
      {INT_MIN, INT_MIN, INT_MAX, INT_MAX, 11},
  };
  for (const auto& c : cases) {
    for (bool aa : {false, true}) {
      TestBitmap bm(20, 10);
      Raster_Line(&bm, c.x1, c.y1, c.x2, c.y2, kWhite, 1.0f, RASTER_BLEND_COPY, aa);
      if (!aa) {
        EXPECT_EQ(touched(bm).size(), c.pixels) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
      }
      EXPECT_TRUE(bm.padIntact());
    }
  }
  const float nan = NAN, inf = INFINITY;
  const float fcases[][4] = {{nan, 1, 5, 5}, {1, 1, inf, 5}, {-inf, -inf, inf, inf}, {1e30f, 2, -1e30f, 3}};
  for (const auto& f : fcases) {
    TestBitmap bm(20, 10);
    Raster_FLine(&bm, f[0], f[1], f[2], f[3], kWhite, 1.0f, RASTER_BLEND_ADD, true);
    Raster_FLine(&bm, f[0], f[1], f[2], f[3], kWhite, 1.0f, RASTER_BLEND_ADD, false);
    EXPECT_TRUE(bm.padIntact());
  }
  int x1 = -10, y1 = 5, x2 = 30, y2 = 5;
  EXPECT_TRUE(ClipLine(&x1, &y1, &x2, &y2, 20, 10));
  EXPECT_EQ(x1, 0);
  EXPECT_EQ(x2, 19);
  EXPECT_FALSE(Raster_ClipLine(&x1, &y1, &x2, &y2, 0, 6, 20, 10));
}

TEST(Lines, DashPhaseRectanglesAndFlipping)
{
  const struct
  {
    int x1, y1, x2, y2, on, off;
    Points want;
  } dashes[] = {
      {0, 0, 0, 3, 1, 1, {{0, 0}, {0, 2}}},
      {0, 0, 0, 2, 1, 1, {{0, 0}}},
      {7, 1, 0, 1, 2, 1, {{0, 1}, {1, 1}, {3, 1}, {4, 1}, {6, 1}}},
      {0, 0, 3, 3, 1, 1, {}}, // diagonal: nothing
      {0, 0, 5, 0, 0, 0, {}}, // no drawn run
  };
  for (const auto& d : dashes) {
    TestBitmap bm(8, 4);
    Raster_DashedLine(&bm, d.x1, d.y1, d.x2, d.y2, d.on, d.off, kWhite, 1.0f, RASTER_BLEND_COPY, false);
    EXPECT_EQ(touched(bm), d.want) << d.x1 << "," << d.y1 << "-" << d.x2 << "," << d.y2;
  }
  TestBitmap rect(12, 7);
  Raster_DrawRect(&rect, 0, 0, 10, 5, kWhite, 1.0f, RASTER_BLEND_COPY);
  EXPECT_EQ(touched(rect).size(), 2u * 11 + 2u * 4);
  EXPECT_TRUE(rect.get(10, 5) && rect.get(0, 5) && !rect.get(11, 0) && !rect.get(5, 6));

  // A flipped bitmap mirrors y before drawing: its memory holds what an upright bitmap holds after
  // drawing at y' = height - 1 - y.
  TestBitmap up(20, 12), down(20, 12, true);
  for (TestBitmap* bm : {&up, &down}) {
    const bool upright = bm == &up;
    auto Y = [upright](float y) { return upright ? 11 - y : y; };
    Raster_Line(bm, 1, (int)Y(2), 17, (int)Y(9), kWhite, 0.7f, RASTER_BLEND_COPY, true);
    Raster_FLine(bm, 0.5f, Y(10.25f), 19.0f, Y(1.5f), kWhite, 1.0f, RASTER_BLEND_ADD, true);
    Raster_FillCircle(bm, 10, Y(5), 3.3f, kWhite, 0.5f, RASTER_BLEND_ADD, true);
    // Mirroring turns the angle a into pi - a.
    Raster_Arc(bm, 10, Y(6), 4.0f, upright ? 3.1415927f - 2.0f : 0.3f, upright ? 3.1415927f - 0.3f : 2.0f, kWhite, 0.5f,
               RASTER_BLEND_ADD, false);
    Raster_FillTriangle(bm, 2, (int)Y(11), 6, (int)Y(3), 9, (int)Y(10), kWhite, 0.3f, RASTER_BLEND_ADD);
  }
  EXPECT_EQ(up.snapshot(), down.snapshot());
}

TEST(Circles, RingsSymmetryAndSingleCoverage)
{
  // The stored 4 x 4 ring for radius 1.5 at (int)(cx - r).
  {
    TestBitmap bm(6, 6);
    Raster_Circle(&bm, 2.5f, 2.5f, 1.5f, kWhite, 1.0f, RASTER_BLEND_COPY, false);
    EXPECT_EQ(touched(bm), (Points{{2, 1}, {3, 1}, {1, 2}, {4, 2}, {1, 3}, {4, 3}, {2, 4}, {3, 4}}));
  }
  // Radius 3 by the midpoint rule: one octant is (0,3) (1,3) (2,2), the rest by symmetry.
  {
    TestBitmap bm(9, 9);
    Raster_Circle(&bm, 4, 4, 3.0f, kWhite, 1.0f, RASTER_BLEND_COPY, false);
    Points want;
    for (auto [a, b] : {std::pair{0, 3}, {1, 3}, {2, 2}})
      for (int sx : {-1, 1})
        for (int sy : {-1, 1}) {
          want.insert({4 + sx * a, 4 + sy * b});
          want.insert({4 + sx * b, 4 + sy * a});
        }
    EXPECT_EQ(touched(bm), want);
  }
  // Octant symmetry of larger circles, plain and anti-aliased.
  for (bool aa : {false, true}) {
    TestBitmap bm(41, 41);
    Raster_Circle(&bm, 20, 20, 13.4f, kWhite, 1.0f, RASTER_BLEND_COPY, aa);
    for (int y = 0; y < 41; ++y)
      for (int x = 0; x < 41; ++x) {
        ASSERT_EQ(bm.get(x, y), bm.get(y, x)) << aa;
        ASSERT_EQ(bm.get(x, y), bm.get(40 - x, y)) << aa;
      }
  }
  // Filled circles touch every pixel once: adding 10 leaves no pixel at 20. Radius 2: the 5 x 5 square
  // without its corners; radius 6.6 within its radius plus the anti-aliased edge.
  {
    TestBitmap bm(7, 7);
    Raster_FillCircle(&bm, 3, 3, 2.0f, px(10, 10, 10, 10), 1.0f, RASTER_BLEND_ADD, false);
    EXPECT_EQ(touched(bm).size(), 21u);
    for (bool aa : {false, true}) {
      TestBitmap big(20, 20);
      Raster_FillCircle(&big, 10, 10, 6.6f, px(10, 10, 10, 10), 1.0f, RASTER_BLEND_ADD, aa);
      for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_LE(red(big, x, y), 10) << x << "," << y << " aa " << aa;
      EXPECT_EQ(red(big, 10, 10), 10);
      // Row 3, at distance 7: the plain circle rounds the radius to 7; the smooth one gives the pixel
      // past 6.6 the weight (int)(0.6 * 256) = 153, and 10 * 153 / 256 = 5.
      EXPECT_EQ(red(big, 10, 3), aa ? 5 : 10);
    }
  }
  // Filled circles leave no gaps: every pixel a pixel or more inside the radius is covered fully, nothing
  // a pixel and a half outside it is touched.
  for (float r : {3.3f, 7.5f, 12.0f, 20.7f})
    for (bool aa : {false, true}) {
      TestBitmap bm(50, 50);
      Raster_FillCircle(&bm, 24, 25, r, px(10, 10, 10, 10), 1.0f, RASTER_BLEND_ADD, aa);
      for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x) {
          const double d = std::hypot(x - 24, y - 25);
          const int want = d <= r - 1 ? 10 : (d >= r + 1.5 ? 0 : -1);
          if (want >= 0) {
            ASSERT_EQ(red(bm, x, y), want) << r << " " << x << "," << y;
          }
        }
    }
  // A whole-turn arc is the circle; a rounded rectangle of radius 1 is the plain outline.
  for (bool aa : {false, true}) {
    TestBitmap a(30, 30), b(30, 30);
    Raster_Arc(&a, 15, 14, 9.0f, 0.0f, 6.2832f, kWhite, 1.0f, RASTER_BLEND_COPY, aa);
    Raster_Circle(&b, 15, 14, 9.0f, kWhite, 1.0f, RASTER_BLEND_COPY, aa);
    EXPECT_EQ(a.snapshot(), b.snapshot());
  }
  TestBitmap rr(20, 20), plain(20, 20);
  Raster_RoundRect(&rr, 2, 3, 10, 8, 1, kWhite, 1.0f, RASTER_BLEND_COPY, false);
  Raster_DrawRect(&plain, 2, 3, 10, 8, kWhite, 1.0f, RASTER_BLEND_COPY);
  EXPECT_EQ(rr.snapshot(), plain.snapshot());
  // Quarter arcs together cover the circle without gaps: the four pieces of a whole turn drawn one by one.
  TestBitmap quarters(30, 30), circle(30, 30);
  for (int q = 0; q < 4; ++q)
    Raster_Arc(&quarters, 15, 14, 9.0f, q * 1.5707964f, (q + 1) * 1.5707964f, kWhite, 1.0f, RASTER_BLEND_COPY, false);
  Raster_Circle(&circle, 15, 14, 9.0f, kWhite, 1.0f, RASTER_BLEND_COPY, false);
  EXPECT_EQ(quarters.snapshot(), circle.snapshot());
}

TEST(Polygons, EdgeCoverage)
{
  const Raster_PixelWord ten = px(10, 10, 10, 10);
  // Right triangle (0,0) (6,0) (0,6): row y covers columns 0..6 - y, each once.
  TestBitmap tri(10, 10);
  Raster_FillTriangle(&tri, 0, 0, 6, 0, 0, 6, ten, 1.0f, RASTER_BLEND_ADD);
  Points want;
  for (int y = 0; y <= 6; ++y)
    for (int x = 0; x <= 6 - y; ++x) want.insert({x, y});
  EXPECT_EQ(touched(tri), want);
  for (auto [x, y] : want) EXPECT_EQ(red(tri, x, y), 10);

  // A square given in scrambled order, and a diamond whose chains change at the middle row.
  const int sx[] = {7, 2, 7, 2}, sy[] = {6, 1, 1, 6};
  TestBitmap sq(10, 10);
  Raster_FillConvexPolygon(&sq, sx, sy, 4, ten, 1.0f, RASTER_BLEND_ADD);
  EXPECT_EQ(touched(sq).size(), 36u);
  const int dx[] = {4, 8, 4, 0}, dy[] = {0, 4, 8, 4};
  TestBitmap dia(10, 10);
  Raster_FillConvexPolygon(&dia, dx, dy, 4, ten, 1.0f, RASTER_BLEND_ADD);
  EXPECT_EQ(touched(dia).size(), 1u + 3 + 5 + 7 + 9 + 7 + 5 + 3 + 1);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_LE(red(dia, x, y), 10);

  // Collinear points on one row fill that row's span; two points draw nothing.
  TestBitmap row(10, 4);
  Raster_FillTriangle(&row, 1, 2, 7, 2, 4, 2, kWhite, 1.0f, RASTER_BLEND_COPY);
  EXPECT_EQ(touched(row).size(), 7u);
  Raster_FillConvexPolygon(&row, sx, sy, 2, kWhite, 1.0f, RASTER_BLEND_COPY);
  EXPECT_EQ(touched(row).size(), 7u);

  // Trapezoid: top 2..5 at row 1, bottom 0..9 at row 4, clipped at the right edge of an 8-wide bitmap.
  TestBitmap trap(8, 6);
  Raster_FillTrapezoid(&trap, 2, 5, 1, 0, 9, 4, kWhite, 1.0f, RASTER_BLEND_COPY);
  EXPECT_TRUE(trap.get(2, 1) && trap.get(5, 1) && !trap.get(1, 1) && !trap.get(6, 1));
  EXPECT_TRUE(trap.get(0, 4) && trap.get(7, 4) && !trap.get(0, 5));
  EXPECT_TRUE(trap.padIntact());
}

TEST(Curves, EndPointsAndFill)
{
  // Curves begin and end on their end points (non-anti-aliased segments truncate to whole pixels).
  TestBitmap q(40, 30), c(40, 30);
  Raster_DrawQBezier(&q, 3, 4, 20, 28, 35, 6, kWhite, 1.0f, RASTER_BLEND_COPY, false, 1.0f);
  Raster_DrawCBezier(&c, 35, 25, 30, 0, 5, 0, 2, 20, kWhite, 1.0f, RASTER_BLEND_COPY, false, 1.0f);
  EXPECT_TRUE(q.get(3, 4) && q.get(35, 6));
  EXPECT_TRUE(c.get(35, 25) && c.get(2, 20));
  // The quadratic's midpoint B(1/2) = (P0 + 2 P1 + P2) / 4 = (19.5, 16.5).
  EXPECT_TRUE(q.get(19, 16) || q.get(19, 17) || q.get(20, 16) || q.get(20, 17));

  // A straight "curve" from (0, 2) to (19, 2) filled down to row 8 is the rectangle of rows 2..8, each
  // pixel once.
  TestBitmap f(20, 10);
  Raster_FillCBezier(&f, 0, 2, 6, 2, 13, 2, 19, 2, 8, px(10, 10, 10, 10), 1.0f, RASTER_BLEND_ADD, 1.0f);
  EXPECT_EQ(touched(f).size(), 20u * 7);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(red(f, x, y), (y >= 2 && y <= 8) ? 10 : 0) << x << "," << y;
  // The X twin fills to a column.
  TestBitmap fx(10, 20);
  Raster_FillCBezierX(&fx, 2, 0, 2, 6, 2, 13, 2, 19, 8, px(10, 10, 10, 10), 1.0f, RASTER_BLEND_ADD, 1.0f);
  EXPECT_EQ(touched(fx).size(), 20u * 7);
}

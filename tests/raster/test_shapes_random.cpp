// Thousands of random shapes into a bitmap with guard words: nothing outside the bitmap is touched
// (the guards hold, and the sanitizers see every stray access). Each iteration draws from its own seed;
// RASTER_SHAPE_SEED=n replays iteration n alone.

#include "raster/Raster_Line.h"
#include "raster/Raster_Shapes.h"
#include "tests/raster/test_blit_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <random>

namespace {

struct ShapeRandom
{
  std::mt19937 mRng;
  explicit ShapeRandom(unsigned seed) : mRng(seed) {}

  int pick(int n) { return (int)(mRng() % (unsigned)n); }
  // Mostly near the bitmap, sometimes far outside or at the int limits.
  int coord()
  {
    switch (pick(8)) {
    case 0:
      return pick(2) ? 1000000000 : -1000000000;
    case 1:
      return pick(2) ? INT_MAX : INT_MIN;
    case 2:
      return pick(200) - 100;
    default:
      return pick(40) - 4;
    }
  }
  float fcoord()
  {
    switch (pick(10)) {
    case 0:
      return NAN;
    case 1:
      return pick(2) ? INFINITY : -INFINITY;
    case 2:
      return pick(2) ? 1e9f : -1e9f;
    case 3:
      return 1e30f;
    default:
      return (float)(mRng() % 4800) / 100.0f - 6.0f;
    }
  }
  float alpha()
  {
    const float set[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.0f, -0.5f, 3.9f, 1e9f, NAN};
    return pick(3) ? (float)(mRng() % 300) / 256.0f : set[pick(9)];
  }
  int mode() { return pick(7) | (pick(4) == 0 ? RASTER_BLEND_USE_SOURCE_ALPHA : 0); }
};

void drawOne(Raster_IBitmap* bm, ShapeRandom& r)
{
  const unsigned c = (unsigned)r.mRng();
  const float a = r.alpha();
  const int m = r.mode();
  const bool aa = r.pick(2);
  switch (r.pick(16)) {
  case 0:
    Raster_Line(bm, r.coord(), r.coord(), r.coord(), r.coord(), c, a, m, aa);
    break;
  case 1:
    Raster_FLine(bm, r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), c, a, m, aa);
    break;
  case 2: {
    const int x = r.coord(), y = r.coord(), e = r.coord();
    if (r.pick(2))
      Raster_DashedLine(bm, x, y, e, y, r.pick(5) - 1, r.pick(5) - 1, c, a, m, aa);
    else
      Raster_DashedLine(bm, x, y, x, e, r.pick(5) - 1, r.pick(5) - 1, c, a, m, aa);
    break;
  }
  case 3:
    Raster_DrawRect(bm, r.coord(), r.coord(), r.coord(), r.coord(), c, a, m);
    break;
  case 4:
    Raster_BorderedRect(bm, r.coord(), r.coord(), r.coord(), r.coord(), c, ~c, a, m);
    break;
  case 5:
    Raster_Circle(bm, r.fcoord(), r.fcoord(), r.fcoord(), c, a, m, aa);
    break;
  case 6:
    Raster_FillCircle(bm, r.fcoord(), r.fcoord(), r.fcoord(), c, a, m, aa);
    break;
  case 7:
    Raster_Arc(bm, r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), c, a, m, aa);
    break;
  case 8:
    Raster_RoundRect(bm, r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), r.coord(), c, a, m, aa);
    break;
  case 9:
    Raster_FillTrapezoid(bm, r.coord(), r.coord(), r.coord(), r.coord(), r.coord(), r.coord(), c, a, m);
    break;
  case 10: {
    int xs[7], ys[7];
    const int n = r.pick(8);
    for (int i = 0; i < n; ++i) {
      xs[i] = r.coord();
      ys[i] = r.coord();
    }
    Raster_FillConvexPolygon(bm, xs, ys, n, c, a, m);
    break;
  }
  case 11:
    Raster_FillTriangle(bm, r.coord(), r.coord(), r.coord(), r.coord(), r.coord(), r.coord(), c, a, m);
    break;
  case 12:
    Raster_DrawQBezier(bm, r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), c, a, m, aa,
                       r.pick(3) - 0.5f);
    break;
  case 13:
    Raster_DrawCBezier(bm, r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(),
                       r.fcoord(), c, a, m, aa, r.pick(3) - 0.5f);
    break;
  case 14:
    Raster_FillCBezier(bm, r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(),
                       r.fcoord(), r.coord(), c, a, m, r.pick(3) - 0.5f);
    break;
  default:
    Raster_FillCBezierX(bm, r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(), r.fcoord(),
                        r.fcoord(), r.coord(), c, a, m, r.pick(3) - 0.5f);
    break;
  }
}

} // namespace

TEST(ShapesRandom, NeverTouchOutsideTheBitmap)
{
  const char* replay = std::getenv("RASTER_SHAPE_SEED");
  const unsigned first = replay ? (unsigned)std::strtoul(replay, nullptr, 10) : 1;
  const unsigned count = replay ? 1 : 2500;
  for (unsigned seed = first; seed < first + count; ++seed) {
    ShapeRandom r(seed);
    TestBitmap bm(17 + r.pick(20), 9 + r.pick(20), r.pick(2) == 1, 2);
    for (int i = 0; i < 4; ++i) drawOne(&bm, r);
    ASSERT_TRUE(bm.padIntact()) << "replay with RASTER_SHAPE_SEED=" << seed;
  }
}

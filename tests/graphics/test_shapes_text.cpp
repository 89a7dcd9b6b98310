// Lines, shapes and text of the editor, checked against pixels and sizes worked out by hand.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>

#include "graphics/FontStorage.h"
#include "raster/Raster_Font.h"
#include "tests/graphics/GraphicsTestSupport.h"

namespace {

constexpr unsigned int kClear = 0x00000000u;
const unsigned int kRed = COLOR_RED.ToPixelWord();

// A control that runs a drawing function inside a draw pass (so that bitmap blits see a clip rectangle).
struct DrawFn : IControl
{
  DrawFn(IEffectBase* plug, const IRECT& r, std::function<void(IGraphics*)> f) : IControl(plug, r), mF(std::move(f)) {}
  bool Draw(IGraphics* g) override
  {
    mF(g);
    return true;
  }
  std::function<void(IGraphics*)> mF;
};

void Clear(TestGraphics* g)
{
  IRECT all(0, 0, g->Width(), g->Height());
  g->FillIRect(&COLOR_TRANSPARENT, &all, nullptr);
  IChannelBlend copy(kBlendCopy);
  g->FillIRect(&COLOR_TRANSPARENT, &all, &copy);
}

int CountSet(TestGraphics* g)
{
  int n = 0;
  for (int y = 0; y < g->Height(); ++y)
    for (int x = 0; x < g->Width(); ++x) n += g->Pixel(x, y) != kClear;
  return n;
}

} // namespace

TEST(IGraphicsShapes, LinesAndOutlinesLandOnTheHandComputedPixels)
{
  EditorFixture f(32, 32);
  TestGraphics* g = f.graphics;
  struct Case
  {
    const char* what;
    std::function<void()> draw;
    std::vector<std::pair<int, int>> set, unset;
    int count;
  };
  IRECT box(2, 3, 8, 6), tall(0, 0, 10, 20), wide(4, 0, 14, 10);
  const Case cases[] = {
      // The outline's right and bottom edges lie on the rectangle's right and bottom: 7 x 4 pixels around.
      {"rect",
       [&] { g->DrawRect(&COLOR_RED, &box); },
       {{2, 3}, {8, 3}, {2, 6}, {8, 6}, {5, 6}},
       {{5, 4}, {9, 3}, {2, 7}},
       18},
      // y = bottom - (int)(20 * 0.25) = 15, from x 0 to 10 inclusive.
      {"hline 0.25",
       [&] { g->DrawHorizontalLine(&COLOR_RED, &tall, 0.25f); },
       {{0, 15}, {10, 15}},
       {{0, 14}, {11, 15}},
       11},
      {"hline clamps f above 1 to the top",
       [&] { g->DrawHorizontalLine(&COLOR_RED, &tall, 7.0f); },
       {{0, 0}},
       {{0, 1}},
       11},
      {"hline clamps f below 0 to the bottom edge",
       [&] { g->DrawHorizontalLine(&COLOR_RED, &tall, -1.0f); },
       {{3, 20}},
       {{3, 19}},
       11},
      // x = left + (int)(10 * 0.5) = 9, rows 0..10.
      {"vline 0.5", [&] { g->DrawVerticalLine(&COLOR_RED, &wide, 0.5f); }, {{9, 0}, {9, 10}}, {{8, 5}, {9, 11}}, 11},
      // Angle 0 points up: (10, 10 - 2) to (10, 10 - 5).
      {"radial up",
       [&] { g->DrawRadialLine(&COLOR_RED, 10, 10, 0.0f, 2, 5); },
       {{10, 5}, {10, 8}},
       {{10, 4}, {10, 9}},
       4},
      // Positive angles turn clockwise: pi/2 points right, (12, 10) to (15, 10).
      {"radial right",
       [&] { g->DrawRadialLine(&COLOR_RED, 10, 10, 1.5707964f, 2, 5); },
       {{12, 10}, {15, 10}},
       {{11, 10}, {16, 10}},
       4},
      {"line truncates",
       [&] { g->DrawLine(&COLOR_RED, 1.9f, 1.2f, 4.7f, 1.9f); },
       {{1, 1}, {4, 1}},
       {{5, 1}, {1, 2}},
       4},
      {"NaN line draws nothing", [&] { EXPECT_FALSE(g->DrawLine(&COLOR_RED, NAN, 1, 4, 1)); }, {}, {}, 0},
      {"infinite radial draws nothing", [&] { g->DrawRadialLine(&COLOR_RED, 5, 5, 0, 0, INFINITY); }, {}, {}, 0},
      {"far lines are clipped", [&] { g->DrawLine(&COLOR_RED, -1e9f, 3, 1e9f, 3); }, {{0, 3}, {31, 3}}, {}, 32},
      {"null colour", [&] { EXPECT_FALSE(g->DrawRect(nullptr, &box)); }, {}, {}, 0},
  };
  for (const Case& c : cases) {
    Clear(g);
    c.draw();
    for (auto p : c.set) EXPECT_EQ(g->Pixel(p.first, p.second), kRed) << c.what << " at " << p.first << "," << p.second;
    for (auto p : c.unset)
      EXPECT_EQ(g->Pixel(p.first, p.second), kClear) << c.what << " at " << p.first << "," << p.second;
    EXPECT_EQ(CountSet(g), c.count) << c.what;
  }
}

TEST(IGraphicsShapes, FilledShapesCoverTheirAreaAndSurviveHostileSizes)
{
  EditorFixture f(32, 32);
  TestGraphics* g = f.graphics;
  Clear(g);
  // Bands: top (2..7, 0..7), sides (0..1 and 8..9, 2..5); corner circles of radius 2 at (2,2), (7,5), (7,2), (2,5).
  IRECT r(0, 0, 10, 8);
  g->FillRoundRect(&COLOR_RED, &r, nullptr, 2, false);
  for (auto p : std::vector<std::pair<int, int>>{{2, 0}, {7, 7}, {0, 2}, {0, 5}, {9, 2}, {9, 5}, {5, 4}, {1, 1}})
    EXPECT_EQ(g->Pixel(p.first, p.second), kRed) << p.first << "," << p.second;
  for (auto p : std::vector<std::pair<int, int>>{{0, 0}, {9, 0}, {0, 7}, {9, 7}, {10, 4}, {5, 8}})
    EXPECT_EQ(g->Pixel(p.first, p.second), kClear) << p.first << "," << p.second;

  Clear(g);
  g->FillTriangle(&COLOR_RED, 0, 0, 4, 0, 0, 4);
  EXPECT_EQ(g->Pixel(0, 4), kRed);
  EXPECT_EQ(g->Pixel(2, 2), kRed);
  EXPECT_EQ(g->Pixel(4, 4), kClear);
  int xs[] = {20, 24, 24, 20}, ys[] = {20, 20, 24, 24};
  Clear(g);
  g->FillIConvexPolygon(&COLOR_RED, xs, ys, 4);
  EXPECT_EQ(CountSet(g), 25); // edges included
  EXPECT_FALSE(g->FillIConvexPolygon(&COLOR_RED, xs, ys, 2));

  // Hostile radii and rectangles stay on the canvas (the sanitizer build checks the memory).
  IRECT huge(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  const int radii[] = {0, -5, 1, INT_MAX, INT_MIN};
  for (int cr : radii) {
    g->FillRoundRect(&COLOR_RED, &huge, nullptr, cr, true);
    g->FillRoundRect(&COLOR_RED, &r, nullptr, cr, false);
    g->RoundRect(&COLOR_RED, &r, nullptr, cr, true);
  }
  g->DrawCircle(&COLOR_RED, 16, 16, 1e30f);
  g->FillCircle(&COLOR_RED, INT_MAX, INT_MIN, 3.0f);
  g->DrawArc(&COLOR_RED, 16, 16, 8, NAN, 1.0f);
}

TEST(IGraphicsText, StylesShareFontsByFaceSizeStyleAndOrientation)
{
  EditorFixture f;
  IText a(13, &COLOR_RED), b(13, &COLOR_BLUE), c(14, &COLOR_RED), d(13, &COLOR_RED, nullptr, IText::kStyleBold);
  const int before = FontStorage::Instance().Count();
  Raster_IFont* fa = f.graphics->CacheFont(&a);
  ASSERT_NE(fa, nullptr);
  EXPECT_EQ(f.graphics->CacheFont(&b), fa); // colour is not part of the key
  EXPECT_NE(f.graphics->CacheFont(&c), fa);
  EXPECT_NE(f.graphics->CacheFont(&d), fa);
  EXPECT_EQ(FontStorage::Instance().Count(), before + 3);
  EXPECT_EQ(a.mCachedFont, fa);
  // The pixel size asked for becomes the line height (within the one retry's rounding).
  EXPECT_NEAR(fa->GetLineHeight(), 13, 1);

  // A second editor draws from the same font.
  EditorFixture other;
  IText e(13, &COLOR_GREEN);
  EXPECT_EQ(other.graphics->CacheFont(&e), fa);
}

TEST(IGraphicsText, MeasuringPlacesTheTextBoxByAlignment)
{
  EditorFixture f(200, 60);
  char str[] = "Fuzz 42";
  IText left(12, &COLOR_BLACK, nullptr, IText::kStyleNormal, IText::kAlignLeft);
  IRECT ref(10, 10, 200, 30);
  ASSERT_TRUE(f.graphics->MeasureIText(&left, str, &ref));
  const int w = ref.Width(), h = ref.Height();
  EXPECT_EQ(ref.left, 10);
  EXPECT_GT(w, 20);
  EXPECT_GE(h, 10);
  struct Case
  {
    IText::EAlign align;
    IRECT in, out;
  };
  const Case cases[] = {
      {IText::kAlignLeft, {10, 10, 200, 30}, {10, 10, 10 + w, 10 + h}},
      {IText::kAlignCenter, {10, 10, 200, 30}, {105 - w / 2, 10, 105 - w / 2 + w, 10 + h}},
      {IText::kAlignRight, {10, 10, 200, 30}, {200 - w, 10, 200, 10 + h}},
      {IText::kAlignCenter, {0, 5, 7, 9}, {3 - w / 2, 5, 3 - w / 2 + w, 5 + h}}, // CenterX 3.5 truncates to 3
  };
  for (const Case& c : cases) {
    IText style(12, &COLOR_BLACK, nullptr, IText::kStyleNormal, c.align);
    IRECT r = c.in;
    EXPECT_TRUE(f.graphics->DrawIText(&style, str, &r, true));
    EXPECT_EQ(r, c.out) << c.align;
  }
  char empty[] = "";
  IRECT unchanged(1, 2, 3, 4);
  EXPECT_TRUE(f.graphics->DrawIText(&left, empty, &unchanged, true));
  EXPECT_EQ(unchanged, IRECT(1, 2, 3, 4));
}

TEST(IGraphicsText, DrawnTextStaysNearItsMeasuredBoxInBothColourPaths)
{
  EditorFixture f(120, 40);
  char str[] = "Level";
  for (int alpha : {255, 128}) {
    IColor color(alpha, 0, 0, 0);
    IText style(12, &color, nullptr, IText::kStyleNormal, IText::kAlignCenter);
    Clear(f.graphics);
    IRECT box(0, 10, 120, 30);
    f.graphics->MeasureIText(&style, str, &box);
    IRECT r(0, 10, 120, 30);
    EXPECT_TRUE(f.graphics->DrawIText(&style, str, &r));
    int inside = 0, outside = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 120; ++x)
        if (f.graphics->Pixel(x, y) != kClear)
          (x >= box.left - 2 && x < box.right + 2 && y >= box.top - 2 && y < box.bottom + 2 ? inside : outside)++;
    EXPECT_GT(inside, 20) << alpha;
    EXPECT_EQ(outside, 0) << alpha;
  }
}

TEST(IGraphicsText, BitmapFontCellsPickFramesByCharacterCode)
{
  EditorFixture f(64, 16);
  // 60 frames of 4 x 4: frame k reads source rows 4k..4k+3, so a pixel's row tells its frame.
  f.graphics->mImages[77] = {4, 240};
  IBitmap glyphs = f.graphics->LoadIBitmap(77, "font.png", 60);
  struct Case
  {
    const char* str;
    IText::EAlign align;
    bool vCenter;
    IRECT rect;
    std::vector<std::pair<int, int>> cells; // (x, y) of a cell's top-left and the frame expected there (-1: blank)
    std::vector<int> frames;
  };
  const Case cases[] = {
      // Left: one character's margin, A (65) is frame 33 and B frame 34.
      {"AB", IText::kAlignLeft, false, {0, 0, 40, 4}, {{4, 0}, {8, 0}, {0, 0}}, {33, 34, -1}},
      // Centre: x0 = (40 - 4 * 3) / 2 = 14; a space is frame 0.
      {"A B", IText::kAlignCenter, false, {0, 0, 40, 4}, {{14, 0}, {18, 0}, {22, 0}}, {33, 0, 34}},
      // Right alignment draws as left; vertical centring: y0 = (10 - 4) / 2 = 3.
      {"A", IText::kAlignRight, true, {0, 0, 40, 10}, {{4, 3}}, {33}},
      // Codes without a frame (200 > 32 + 59) stay blank and still advance.
      {"\xC8"
       "A",
       IText::kAlignLeft,
       false,
       {0, 0, 40, 4},
       {{4, 0}, {8, 0}},
       {-1, 33}},
      // Only what fits on the line: (12 - 8) / 4 = 1 character.
      {"AB", IText::kAlignLeft, false, {0, 0, 12, 4}, {{4, 0}, {8, 0}}, {33, -1}},
  };
  for (const Case& c : cases) {
    Clear(f.graphics);
    IText style(10, nullptr, nullptr, IText::kStyleNormal, c.align);
    auto* control = f.Add<DrawFn>(IRECT(0, 0, 64, 16), [&](IGraphics* g) {
      DrawBitmapedText(g, &glyphs, const_cast<IRECT*>(&c.rect), &style, nullptr, c.str, c.vCenter, false, 4, 4, 0);
    });
    IRECT all(0, 0, 64, 16);
    f.graphics->Draw(&all);
    for (size_t i = 0; i < c.cells.size(); ++i) {
      const unsigned int want = c.frames[i] < 0 ? kClear : StripePixel(0, 4 * c.frames[i]);
      EXPECT_EQ(f.graphics->Pixel(c.cells[i].first, c.cells[i].second), want) << c.str << " cell " << i;
    }
    control->Hide(true);
  }
  // Cells without a size, and rectangles too small for a margin, draw nothing.
  for (int cw : {0, -4, INT_MIN})
    DrawBitmapedText(f.graphics, &glyphs, nullptr, nullptr, nullptr, "A", false, true, cw, 4, 0);
  IRECT narrow(0, 0, 7, 4);
  DrawBitmapedText(f.graphics, &glyphs, &narrow, nullptr, nullptr, "AAAA", false, true, 4, 4, 0);
}

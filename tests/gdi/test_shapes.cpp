// Shapes, lines, curves, pixels and clip regions drawn into a memory context. Shapes on whole
// pixels come out exact; partial pixels get their covered area (0.5 of a pixel -> 128 of 255).

#include "tests/gdi/GdiTestUtil.h"

#include <climits>

namespace {
HGDIOBJ__* const kNoPen = reinterpret_cast<HGDIOBJ__*>(1);
HGDIOBJ__* const kNoBrush = reinterpret_cast<HGDIOBJ__*>(2);

// Selected pen and brush for the length of a test.
class ShapeTest : public ::testing::Test
{
protected:
  void SetPen(int width, int color, float alpha = 1.0f)
  {
    SelectObject(m.dc(), kNoPen);
    DeleteObject(mPen);
    mPen = CreatePenAlpha(PS_SOLID, width, color, alpha);
    SelectObject(m.dc(), mPen);
  }
  void SetBrush(int color, float alpha = 1.0f)
  {
    SelectObject(m.dc(), kNoBrush);
    DeleteObject(mBrush);
    mBrush = CreateSolidBrushAlpha(color, alpha);
    SelectObject(m.dc(), mBrush);
  }
  void TearDown() override
  {
    SelectObject(m.dc(), kNoPen);
    SelectObject(m.dc(), kNoBrush);
    DeleteObject(mPen);
    DeleteObject(mBrush);
  }
  long coverageSum(int c) const { return m.sum(c); }

  MemContext m{40, 40};
  HGDIOBJ__ *mPen = nullptr, *mBrush = nullptr;
};

const int kRed = GDI_RGB(255, 0, 0), kGreen = GDI_RGB(0, 255, 0), kBlue = GDI_RGB(0, 0, 255);
} // namespace

TEST_F(ShapeTest, FillRectCoversExactlyItsPixels)
{
  HGDIOBJ__* brush = CreateSolidBrush(GDI_RGB(0x10, 0x20, 0x30));
  RECT r = {2, 3, 6, 5};
  GDI_FillRect(m.dc(), &r, brush);
  EXPECT_EQ(m.countTouched(), 4 * 2);
  EXPECT_EQ(m.at(2, 3, 0), 255);
  EXPECT_EQ(m.at(5, 4, 1), 0x10);
  EXPECT_EQ(m.at(5, 4, 2), 0x20);
  EXPECT_EQ(m.at(5, 4, 3), 0x30);
  EXPECT_FALSE(m.touched(6, 4));
  EXPECT_FALSE(m.touched(2, 5));

  // Nothing for empty or inverted rectangles, non-brushes, the null brush, deleted brushes.
  RECT empty = {5, 5, 5, 9}, inverted = {9, 9, 5, 5};
  RECT other = {20, 20, 30, 30};
  HGDIOBJ__* pen = CreatePen(PS_SOLID, 1, kRed);
  GDI_FillRect(m.dc(), &empty, brush);
  GDI_FillRect(m.dc(), &inverted, brush);
  GDI_FillRect(m.dc(), &other, pen);
  GDI_FillRect(m.dc(), &other, GetStockObject(NULL_BRUSH));
  GDI_FillRect(m.dc(), nullptr, brush);
  GDI_FillRect(nullptr, &other, brush);
  DeleteObject(pen);
  DeleteObject(brush);
  GDI_FillRect(m.dc(), &other, brush);
  EXPECT_EQ(m.countTouched(), 8);
}

TEST_F(ShapeTest, RectangleFillsThenFramesInside)
{
  SetPen(1, kRed);
  SetBrush(kBlue);
  Rectangle(m.dc(), 2, 2, 8, 6);
  EXPECT_EQ(m.countTouched(), 6 * 4);
  for (int y = 2; y < 6; y++)
    for (int x = 2; x < 8; x++) {
      const bool border = x == 2 || x == 7 || y == 2 || y == 5;
      EXPECT_EQ(m.at(x, y, 1), border ? 255 : 0) << x << "," << y;
      EXPECT_EQ(m.at(x, y, 3), border ? 0 : 255) << x << "," << y;
    }

  // A 2-pixel pen: two rows and columns of border, no brush when the null brush is selected.
  SelectObject(m.dc(), GetStockObject(NULL_BRUSH));
  SetPen(2, kGreen);
  Rectangle(m.dc(), 10, 10, 20, 20);
  EXPECT_EQ(m.at(11, 15, 2), 255);
  EXPECT_EQ(m.at(18, 15, 2), 255);
  EXPECT_FALSE(m.touched(12, 12));
  EXPECT_FALSE(m.touched(9, 15));
  EXPECT_FALSE(m.touched(20, 15));

  // The null pen: fill only.
  SelectObject(m.dc(), GetStockObject(NULL_PEN));
  SetBrush(kGreen);
  Rectangle(m.dc(), 30, 30, 33, 33);
  EXPECT_EQ(m.at(30, 30, 2), 255);
  EXPECT_EQ(m.at(30, 30, 1), 0);
}

TEST_F(ShapeTest, EllipseCoversItsArea)
{
  SetBrush(kGreen);
  SelectObject(m.dc(), kNoPen);
  Ellipse(m.dc(), 0, 0, 20, 20);
  // Radius 10: area pi * 100 = 314.2; the 32-sided outline used has 16 * 100 * sin(pi / 16) = 312.1.
  const double area = coverageSum(2) / 255.0;
  EXPECT_NEAR(area, 312.1, 1.0);
  EXPECT_EQ(m.at(10, 10, 2), 255);
  EXPECT_FALSE(m.touched(0, 0));
  EXPECT_FALSE(m.touched(19, 19));
  EXPECT_GT(m.at(0, 10, 2), 200); // the left edge pixel on the axis is nearly covered
  for (int y = 0; y < 20; y++)
    for (int x = 0; x < 20; x++) EXPECT_NEAR(m.at(x, y, 2), m.at(19 - x, 19 - y, 2), 2);
  EXPECT_FALSE(m.touched(20, 10));
  EXPECT_FALSE(m.touched(10, 20));
}

TEST_F(ShapeTest, PolygonAndRoundRect)
{
  SetBrush(kBlue);
  SelectObject(m.dc(), kNoPen);
  const POINT tri[3] = {{0, 0}, {10, 0}, {0, 10}};
  GDI_Polygon(m.dc(), tri, 3);
  EXPECT_NEAR(coverageSum(3) / 255.0, 50.0, 0.5); // half of 10 x 10
  EXPECT_EQ(m.at(2, 2, 3), 255);
  EXPECT_FALSE(m.touched(8, 8));
  EXPECT_EQ(m.at(5, 4, 3), 128); // on the diagonal: half covered

  GDI_Polygon(m.dc(), tri, 1); // too few points
  GDI_Polygon(m.dc(), nullptr, 3);
  SelectObject(m.dc(), kNoBrush);
  const POINT other[3] = {{20, 20}, {30, 20}, {20, 30}};
  GDI_Polygon(m.dc(), other, 3); // neither brush nor pen
  EXPECT_FALSE(m.touched(22, 22));

  // RoundRect: an octagon with corners cut by 9 / 3 = 3 pixels: 30 * 30 - 4 * 4.5 = 882.
  MemContext r(32, 32);
  HGDIOBJ__* brush = CreateSolidBrush(kRed);
  SelectObject(r.dc(), brush);
  RoundRect(r.dc(), 0, 0, 30, 30, 9, 9);
  EXPECT_NEAR(r.sum(1) / 255.0, 882.0, 0.5);
  EXPECT_FALSE(r.touched(0, 0));
  EXPECT_EQ(r.at(1, 1, 1), 128); // the cut passes through the pixel's corners
  EXPECT_EQ(r.at(15, 0, 1), 255);
  SelectObject(r.dc(), kNoBrush);
  DeleteObject(brush);
}

TEST_F(ShapeTest, LinesAreOffsetByHalfThePenWidth)
{
  SetPen(1, kRed);
  POINT prev = {-1, -1};
  MoveToEx(m.dc(), 2, 5, &prev);
  EXPECT_EQ(prev.x, 0);
  EXPECT_EQ(prev.y, 0);
  GDI_LineTo(m.dc(), 8, 5);
  // (2.5, 5.5) to (8.5, 5.5), one pixel wide: row 5 from x = 2.5 to 8.5.
  EXPECT_EQ(m.at(2, 5, 1), 128);
  for (int x = 3; x <= 7; x++) EXPECT_EQ(m.at(x, 5, 1), 255) << x;
  EXPECT_EQ(m.at(8, 5, 1), 128);
  EXPECT_EQ(m.countTouched(), 7);
  MoveToEx(m.dc(), 0, 0, &prev);
  EXPECT_EQ(prev.x, 8); // the position moved to the line's end
  EXPECT_EQ(prev.y, 5);

  // Three wide: (3.5, 6.5) to (9.5, 6.5) covers rows 5-7.
  SetPen(3, kGreen);
  MoveToEx(m.dc(), 2, 25, nullptr);
  GDI_LineTo(m.dc(), 8, 25);
  for (int y = 25; y <= 27; y++) EXPECT_EQ(m.at(5, y, 2), 255);
  EXPECT_FALSE(m.touched(5, 24));
  EXPECT_FALSE(m.touched(5, 28));
  EXPECT_EQ(m.at(3, 26, 2), 128);
  EXPECT_EQ(m.at(9, 26, 2), 128);

  // No pen: no line, but the position still moves.
  SelectObject(m.dc(), kNoPen);
  const int before = m.countTouched();
  GDI_LineTo(m.dc(), 30, 30);
  EXPECT_EQ(m.countTouched(), before);
  MoveToEx(m.dc(), 0, 0, &prev);
  EXPECT_EQ(prev.x, 30);
}

TEST_F(ShapeTest, PenAlphaBlends)
{
  SetPen(1, kRed, 0.5f);
  MoveToEx(m.dc(), 0, 0, nullptr);
  GDI_LineTo(m.dc(), 10, 0);
  // Opacity 0.5 -> 128 of 255 over black: (255 * 128 + 127) / 255 = 128.
  EXPECT_EQ(m.at(5, 0, 1), 128);
  SetBrush(kBlue, 0.25f); // 64 of 255
  Rectangle(m.dc(), 0, 10, 4, 14);
  SelectObject(m.dc(), kNoPen);
  Rectangle(m.dc(), 20, 20, 24, 24);
  EXPECT_EQ(m.at(21, 21, 3), 64);
}

TEST_F(ShapeTest, BezierAndPolyPolyline)
{
  SetPen(1, kRed);
  MoveToEx(m.dc(), 0, 5, nullptr);
  const POINT straight[3] = {{3, 5}, {6, 5}, {9, 5}};
  PolyBezierTo(m.dc(), straight, 3);
  // Not offset: centred on y = 5, so rows 4 and 5 are half covered.
  EXPECT_EQ(m.at(4, 4, 1), 128);
  EXPECT_EQ(m.at(4, 5, 1), 128);
  EXPECT_FALSE(m.touched(4, 6));
  POINT prev;
  MoveToEx(m.dc(), 0, 0, &prev);
  EXPECT_EQ(prev.x, 9);
  EXPECT_EQ(prev.y, 5);
  PolyBezierTo(m.dc(), straight, 2); // too few points: nothing, position kept
  MoveToEx(m.dc(), 0, 0, &prev);
  EXPECT_EQ(prev.x, 0);

  // A curve bulges between its ends.
  MemContext c(40, 40);
  SelectObject(c.dc(), mPen);
  MoveToEx(c.dc(), 0, 30, nullptr);
  const POINT arch[3] = {{10, 0}, {30, 0}, {39, 30}};
  PolyBezierTo(c.dc(), arch, 3);
  EXPECT_LE(c.inkBox().top, 9); // the curve's top is at y = 30 - 0.75 * 30 = 7.5
  EXPECT_GE(c.inkBox().top, 6);
  SelectObject(c.dc(), kNoPen);

  // Counts 2, 1, 2: a horizontal line, a skipped point, a vertical line.
  MemContext p(20, 20);
  SelectObject(p.dc(), mPen);
  const POINT pts[5] = {{0, 2}, {10, 2}, {15, 15}, {5, 5}, {5, 12}};
  const int counts[3] = {2, 1, 2};
  PolyPolyline(p.dc(), pts, counts, 3);
  EXPECT_EQ(p.at(5, 2, 1), 255);
  EXPECT_EQ(p.at(5, 8, 1), 255);
  EXPECT_FALSE(p.touched(15, 15));
  EXPECT_FALSE(p.touched(12, 10));
  SelectObject(p.dc(), kNoPen);
}

TEST_F(ShapeTest, SetPixelSetsExactlyOnePixel)
{
  GDI_SetPixel(m.dc(), 3, 4, kGreen);
  EXPECT_EQ(m.countTouched(), 1);
  EXPECT_EQ(m.at(3, 4, 0), 255);
  EXPECT_EQ(m.at(3, 4, 2), 255);
  GDI_SetPixel(m.dc(), 3, 4, GDI_RGB(1, 2, 3)); // replaces, no blending
  EXPECT_EQ(m.at(3, 4, 2), 2);
  GDI_SetPixel(m.dc(), -1, 0, kGreen);
  GDI_SetPixel(m.dc(), 40, 39, kGreen);
  GDI_SetPixel(m.dc(), INT_MAX, INT_MIN, kGreen);
  GDI_SetPixel(m.dc(), INT_MIN, INT_MAX, kGreen);
  GDI_SetPixel(nullptr, 0, 0, kGreen);
  EXPECT_EQ(m.countTouched(), 1);
}

TEST_F(ShapeTest, ClipRegionsNestAndRestore)
{
  SetBrush(kBlue);
  SelectObject(m.dc(), kNoPen);
  GDI_PushClipRegion(m.dc());
  const RECT clip = {2, 2, 6, 6}, inner = {4, 0, 40, 40};
  GDI_SetClipRegion(m.dc(), &clip);
  GDI_PushClipRegion(m.dc());
  GDI_SetClipRegion(m.dc(), &inner); // intersects: (4, 2) to (6, 6)
  Rectangle(m.dc(), 0, 0, 40, 40);
  EXPECT_EQ(m.countTouched(), 2 * 4);
  EXPECT_TRUE(m.touched(4, 2));
  GDI_PopClipRegion(m.dc());
  Rectangle(m.dc(), 0, 0, 40, 40);
  EXPECT_EQ(m.countTouched(), 4 * 4);
  GDI_PopClipRegion(m.dc());
  GDI_PopClipRegion(m.dc()); // unmatched: ignored
  SetBrush(kRed);
  Rectangle(m.dc(), 0, 0, 40, 40);
  EXPECT_EQ(m.countTouched(), 40 * 40);

  const RECT outside = {100, 100, 200, 200};
  GDI_PushClipRegion(m.dc());
  GDI_SetClipRegion(m.dc(), &outside);
  SetBrush(kGreen);
  Rectangle(m.dc(), 0, 0, 40, 40);
  EXPECT_EQ(m.sum(2), 0);
  GDI_PopClipRegion(m.dc());
}

TEST_F(ShapeTest, HugeCoordinatesStayInsideTheFrame)
{
  SetPen(3, kRed);
  SetBrush(kGreen);
  Rectangle(m.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  // The whole frame is interior: the border lies far outside.
  EXPECT_EQ(m.countTouched(), 40 * 40);
  EXPECT_EQ(m.at(0, 0, 2), 255);
  EXPECT_EQ(m.at(39, 39, 2), 255);
  EXPECT_EQ(m.sum(1), 0);

  MemContext e(30, 30);
  SelectObject(e.dc(), mPen);
  SelectObject(e.dc(), mBrush);
  Ellipse(e.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  Ellipse(e.dc(), INT_MAX - 5, 0, INT_MAX, 5);
  const POINT wild[4] = {{INT_MIN, 0}, {INT_MAX, 10}, {0, INT_MAX}, {15, INT_MIN}};
  GDI_Polygon(e.dc(), wild, 4);
  RoundRect(e.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MIN);
  MoveToEx(e.dc(), INT_MIN, INT_MIN, nullptr);
  GDI_LineTo(e.dc(), INT_MAX, INT_MAX);
  const POINT curve[3] = {{INT_MAX, INT_MIN}, {INT_MIN, INT_MAX}, {INT_MAX, INT_MAX}};
  PolyBezierTo(e.dc(), curve, 3);
  const int counts[2] = {2, -1};
  PolyPolyline(e.dc(), wild, counts, 2);
  Rectangle(e.dc(), 5, 5, 5, 20);  // empty
  Rectangle(e.dc(), 20, 20, 5, 5); // inverted
  SelectObject(e.dc(), kNoPen);
  SelectObject(e.dc(), kNoBrush);
  EXPECT_GT(e.countTouched(), 0);
}

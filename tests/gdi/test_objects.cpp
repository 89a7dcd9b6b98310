// Pens, brushes, fonts and stock objects: selection, deletion, cloning and font sizes.

#include "gdi/GDI_Font.h"
#include "tests/gdi/GdiTestUtil.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {
HGDIOBJ__* AsHandle(unsigned long v)
{
  return reinterpret_cast<HGDIOBJ__*>(v);
}

// Measured height of "Hi" in the selected font; DejaVu Sans size s measures
// floor((1901 + 483) * s / 2048 + 1.5) + 1.
int MeasureHeight(HDC__* dc, RECT* r)
{
  *r = RECT{0, 0, 0, 0};
  return GDI_DrawText(dc, "Hi", -1, r, TEXT_CALCRECT);
}
} // namespace

TEST(GdiObjects, SelectAnswersPreviousOrTypeNumber)
{
  MemContext m(4, 4);
  HGDIOBJ__ *font1 = MakeFont(12), *font2 = MakeFont(14);
  HGDIOBJ__ *pen = CreatePen(PS_SOLID, 1, 0), *brush = CreateSolidBrush(0);

  EXPECT_EQ(SelectObject(m.dc(), font1), AsHandle(3)); // no font before
  EXPECT_EQ(SelectObject(m.dc(), pen), AsHandle(1));
  EXPECT_EQ(SelectObject(m.dc(), brush), AsHandle(2));
  HGDIOBJ__* previous = SelectObject(m.dc(), font2);
  EXPECT_EQ(previous, font1);
  EXPECT_EQ(SelectObject(m.dc(), previous), font2); // restores font1

  // 1, 2, 3 empty the slots and answer what was there, or the number for an empty slot.
  EXPECT_EQ(SelectObject(m.dc(), AsHandle(3)), font1);
  EXPECT_EQ(SelectObject(m.dc(), AsHandle(3)), AsHandle(3));
  EXPECT_EQ(SelectObject(m.dc(), AsHandle(1)), pen);
  EXPECT_EQ(SelectObject(m.dc(), AsHandle(2)), brush);
  EXPECT_EQ(SelectObject(m.dc(), AsHandle(2)), AsHandle(2));

  // Not selectable: null, 4, images.
  EXPECT_EQ(SelectObject(m.dc(), nullptr), nullptr);
  EXPECT_EQ(SelectObject(m.dc(), AsHandle(4)), nullptr);
  HGDIOBJ__* image = CreateBitmap(1, 1, 1, 32, nullptr);
  EXPECT_EQ(SelectObject(m.dc(), image), nullptr);
  EXPECT_EQ(SelectObject(nullptr, pen), nullptr);

  for (HGDIOBJ__* o : {font1, font2, pen, brush, image}) DeleteObject(o);
}

TEST(GdiObjects, DeleteHonoursClonesAndIgnoresStockAndDeleted)
{
  MemContext m(4, 4);
  HGDIOBJ__* brush = CreateSolidBrush(GDI_RGB(0, 0, 255));
  EXPECT_EQ(GDI_CloneGDIObject(brush), brush);
  DeleteObject(brush); // drops the extra reference only
  EXPECT_EQ(SelectObject(m.dc(), brush), AsHandle(2));
  Rectangle(m.dc(), 0, 0, 1, 1);
  EXPECT_EQ(m.at(0, 0, 3), 255); // still drawable
  SelectObject(m.dc(), AsHandle(2));
  DeleteObject(brush); // now gone
  EXPECT_EQ(SelectObject(m.dc(), brush), nullptr);
  DeleteObject(brush); // deleted twice: ignored
  EXPECT_EQ(GDI_CloneGDIObject(brush), nullptr);

  HGDIOBJ__ *nullPen = GetStockObject(NULL_PEN), *nullBrush = GetStockObject(NULL_BRUSH);
  ASSERT_NE(nullPen, nullptr);
  ASSERT_NE(nullBrush, nullptr);
  EXPECT_EQ(GetStockObject(3), nullptr);
  DeleteObject(nullPen);
  DeleteObject(nullBrush);
  EXPECT_EQ(GetStockObject(NULL_PEN), nullPen);
  EXPECT_EQ(SelectObject(m.dc(), nullPen), AsHandle(1)); // still a live pen
  for (unsigned long h = 0; h < 5; h++) DeleteObject(AsHandle(h));
}

TEST(GdiObjects, FontSizeFromHeightOrWidth)
{
  MemContext m(4, 4);
  RECT r;
  struct Case
  {
    int height, width, expectedHeight;
  } cases[] = {
      {0, 0, 14},                    // size 10: floor(11.64 + 1.5) + 1
      {-20, 0, 25},                  // |height| = 20: floor(23.28 + 1.5) + 1
      {20, 0, 25},     {0, -20, 25}, // width when height is 0
      {9000, 0, 14},                 // above 8192: 10
      {1, 0, 14},                    // below 2: 10
      {INT_MIN, 0, 14}               // magnitude far above 8192
  };
  for (const Case& c : cases) {
    HGDIOBJ__* f = CreateFont(c.height, c.width, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
    ASSERT_NE(f, nullptr);
    SelectObject(m.dc(), f);
    EXPECT_EQ(MeasureHeight(m.dc(), &r), c.expectedHeight) << c.height << "/" << c.width;
    SelectObject(m.dc(), AsHandle(3));
    DeleteObject(f);
  }
}

TEST(GdiObjects, FontFromLogfontWithUnterminatedFace)
{
  MemContext m(4, 4);
  LOGFONT lf;
  std::memset(&lf, 0, sizeof(lf));
  lf.lfHeight = 20;
  lf.lfWeight = FW_NORMAL;
  std::memset(lf.lfFaceName, 'x', sizeof(lf.lfFaceName)); // no terminator
  HGDIOBJ__* f = CreateFontIndirect(&lf);
  ASSERT_NE(f, nullptr);
  SelectObject(m.dc(), f);
  RECT r;
  EXPECT_EQ(MeasureHeight(m.dc(), &r), 25); // an unknown face falls back, size 20 is kept
  SelectObject(m.dc(), AsHandle(3));
  DeleteObject(f);
  EXPECT_EQ(CreateFontIndirect(nullptr), nullptr);
}

TEST(GdiObjects, TextMetrics)
{
  TEXTMETRIC tm;
  std::memset(&tm, 0, sizeof(tm));
  EXPECT_EQ(GetTextMetrics(nullptr, &tm), 0);
  EXPECT_EQ(tm.tmHeight, 16); // defaults are filled even without a context
  EXPECT_EQ(tm.tmAscent, 12);
  EXPECT_EQ(tm.tmDescent, 4);
  EXPECT_EQ(tm.tmInternalLeading, 3);
  EXPECT_EQ(tm.tmAveCharWidth, 10);
  EXPECT_EQ(GetTextMetrics(nullptr, nullptr), 0);

  MemContext m(4, 4);
  // No font selected: the default font, a sans face at size 10. DejaVu Sans: ascent 1901 * 10 / 2048
  // = 9.28, descent 483 * 10 / 2048 = 2.36, no line gap; height 9 + 2 + 0 = 11, average 11 * 2 / 3.
  EXPECT_EQ(GetTextMetrics(m.dc(), &tm), 1);
  EXPECT_EQ(tm.tmHeight, 12);
  EXPECT_EQ(tm.tmAscent, 9);
  EXPECT_EQ(tm.tmDescent, 2);
  EXPECT_EQ(tm.tmInternalLeading, 0);
  EXPECT_EQ(tm.tmAveCharWidth, 7);

  // Size 20: ascent 18.56, descent 4.72; height 22 (+1), average 14.
  HGDIOBJ__* f = MakeFont(20);
  SelectObject(m.dc(), f);
  EXPECT_EQ(GetTextMetrics(m.dc(), &tm), 1);
  EXPECT_EQ(tm.tmHeight, 23);
  EXPECT_EQ(tm.tmAscent, 18);
  EXPECT_EQ(tm.tmDescent, 4);
  EXPECT_EQ(tm.tmAveCharWidth, 14);
  SelectObject(m.dc(), AsHandle(3));
  DeleteObject(f);
}

TEST(GdiObjects, StaleFontSlotFallsBackToDefaultFont)
{
  MemContext m(4, 4);
  HGDIOBJ__* f = MakeFont(20);
  SelectObject(m.dc(), f);
  DeleteObject(f); // deleted while selected: the slot is stale
  TEXTMETRIC tm;
  EXPECT_EQ(GetTextMetrics(m.dc(), &tm), 1);
  EXPECT_EQ(tm.tmHeight, 12); // the default size-10 font, not the freed one
  EXPECT_EQ(SelectObject(m.dc(), AsHandle(3)), AsHandle(3));
}

TEST(GdiObjects, FaceNamesResolveOncePerStyle)
{
  // A new font may also resolve the sans-serif face it borrows missing characters from; resolve
  // that first so that only the named faces are counted.
  GDI_ResolveFontName("sans-serif", false, false);
  const int before = GDI_FontNameCacheSize();
  for (int i = 0; i < 3; i++) DeleteObject(MakeFont(12, "DejaVu Serif"));
  EXPECT_EQ(GDI_FontNameCacheSize(), before + 1);
  DeleteObject(MakeFont(30, "DejaVu Serif")); // another size, same name
  EXPECT_EQ(GDI_FontNameCacheSize(), before + 1);
  DeleteObject(MakeFont(12, "DejaVu Serif", FW_BOLD));
  DeleteObject(MakeFont(12, "DejaVu Serif", FW_BOLD, 1));
  EXPECT_EQ(GDI_FontNameCacheSize(), before + 3);
}

TEST(GdiObjects, FontsFromManyThreads)
{
  // Widths of "Hi" at size 20: 21 in the sans face (also the fallback for unknown names), and
  // 2 * 1233 * 20 / 2048 = 24.1 -> 24 in the monospaced face "Monaco" falls back to.
  auto worker = [](int id, int* failures) {
    MemContext m(4, 4);
    for (int i = 0; i < 40; i++) {
      const std::string unknown = "Unknown Face " + std::to_string(id * 1000 + i % 5);
      const char* faces[3] = {"DejaVu Sans", "Monaco", unknown.c_str()};
      const int expected[3] = {21, 24, 21};
      const int k = (i + id) % 3;
      HGDIOBJ__* f = MakeFont(20, faces[k]);
      SelectObject(m.dc(), f);
      RECT r = {0, 0, 0, 0};
      GDI_DrawText(m.dc(), "Hi", -1, &r, TEXT_CALCRECT);
      if (r.right != expected[k]) (*failures)++;
      SelectObject(m.dc(), AsHandle(3));
      DeleteObject(f);
    }
  };
  int failures[4] = {0, 0, 0, 0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; t++) threads.emplace_back(worker, t, &failures[t]);
  for (std::thread& t : threads) t.join();
  for (int f : failures) EXPECT_EQ(f, 0);
}

TEST(GdiObjects, FontsFromFilePaths)
{
  MemContext m(4, 4);
  const std::string dir = "/usr/share/fonts/truetype/dejavu/";
  char junk[] = "/tmp/gdi-notafont-XXXXXX";
  const int fd = mkstemp(junk);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, "not a font at all", 17), 17);
  close(fd);
  // "Hi" at 20 pixels: regular H 1540 + i 569, bold 1714 + 702 font units of 2048.
  struct Case
  {
    std::string path;
    int height;
    int expectedWidth; // 0: no font
    int expectedHeight;
  } cases[] = {
      {dir + "DejaVuSans.ttf", 20, 21, 25},
      {dir + "DejaVuSans-Bold.ttf", -20, 24, 25},
      {dir + "DejaVuSans.ttf", 1, 10, 14},      // below 2: 10
      {dir + "DejaVuSans.ttf|0|1|1", 20, 0, 0}, // '|' would smuggle in a style
      {dir + "NoSuchFace.ttf", 20, 0, 0},
      {dir, 20, 0, 0},  // a folder
      {junk, 20, 0, 0}, // not a font
      {"", 20, 0, 0},
  };
  for (const Case& c : cases) {
    HGDIOBJ__* f = GDI_CreateFontFromFile(c.path.c_str(), c.height, ANTIALIASED_QUALITY);
    EXPECT_EQ(f != nullptr, c.expectedWidth != 0) << c.path;
    if (!f) continue;
    SelectObject(m.dc(), f);
    RECT r;
    EXPECT_EQ(MeasureHeight(m.dc(), &r), c.expectedHeight) << c.path;
    EXPECT_EQ(r.right, c.expectedWidth) << c.path;
    SelectObject(m.dc(), AsHandle(3));
    DeleteObject(f);
  }
  EXPECT_EQ(GDI_CreateFontFromFile(nullptr, 20, 0), nullptr);
  unlink(junk);
}

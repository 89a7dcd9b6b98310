// Drawing and measuring text: measurement arithmetic, format flags, ink placement, styles and
// fallback faces. Reference values come from DejaVu Sans (2048 units per em): ascent 1901,
// descent 483, no line gap; advances H 1540, i 569, a 1255, b 1300, & 1597, space 651, W 2025;
// DejaVu Sans Bold H 1714, i 702; every glyph of DejaVu Sans Mono 1233. At size 20 a line measures
// floor((1901 + 483) * 20 / 2048 + 1.5) = 24, so one line answers 25.

#include "gdi/GDI_Font.h"
#include "gdi/GDI_UTF8.h"
#include "tests/gdi/GdiTestUtil.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <string>

namespace {
HGDIOBJ__* const kNoFont = reinterpret_cast<HGDIOBJ__*>(3);

struct Measured
{
  int h, w;
};

Measured Measure(HDC__* dc, const char* text, int format = 0, int len = -1)
{
  RECT r = {7, 9, 7, 9};
  const int h = GDI_DrawText(dc, text, len, &r, format | TEXT_CALCRECT);
  EXPECT_EQ(r.left, 7);
  EXPECT_EQ(r.top, 9);
  if (h) {
    EXPECT_EQ(r.bottom, 9 + h);
  }
  return {h, r.right - 7};
}

// A black frame with one selected font and white text.
class TextTest : public ::testing::Test
{
protected:
  void Use(HGDIOBJ__* font)
  {
    SelectObject(m.dc(), font);
    DeleteObject(mFont);
    mFont = font;
  }
  void SetUp() override
  {
    Use(MakeFont(20));
    SetTextColor(m.dc(), GDI_RGB(255, 255, 255));
  }
  void TearDown() override
  {
    SelectObject(m.dc(), kNoFont);
    DeleteObject(mFont);
  }
  int Draw(const char* text, RECT r, int format = 0) { return GDI_DrawText(m.dc(), text, -1, &r, format); }

  MemContext m{120, 60};
  HGDIOBJ__* mFont = nullptr;
};
} // namespace

TEST_F(TextTest, MeasuresWidthAndHeightWithoutDrawing)
{
  // "Hi": (1540 + 569) * 20 / 2048 = 20.59 -> 21.
  const Measured hi = Measure(m.dc(), "Hi");
  EXPECT_EQ(hi.h, 25);
  EXPECT_EQ(hi.w, 21);
  EXPECT_EQ(m.countTouched(), 0);

  EXPECT_EQ(Measure(m.dc(), "").h, 0);
  EXPECT_EQ(Measure(m.dc(), "Hiab", 0, 0).h, 0);
  EXPECT_EQ(Measure(m.dc(), "Hiab", 0, 2).w, 21); // only len bytes
  EXPECT_EQ(Measure(m.dc(), "H\ri\r").w, 21);     // carriage returns dropped
  EXPECT_EQ(Measure(m.dc(), "&").h, 0);           // the prefix alone leaves nothing

  // An embedded terminator ends the text even when len reaches past it.
  EXPECT_EQ(Measure(m.dc(), "Hi\0ab", 0, 5).w, 21);
}

TEST_F(TextTest, PrefixCharacters)
{
  // Without TEXT_NOPREFIX "a&b" is "ab": (1255 + 1300) * 20 / 2048 = 24.95 -> 25;
  // with it all three: (1255 + 1597 + 1300) * 20 / 2048 = 40.55 -> 41.
  EXPECT_EQ(Measure(m.dc(), "a&b").w, 25);
  EXPECT_EQ(Measure(m.dc(), "a&b", TEXT_NOPREFIX).w, 41);
  // "&&" is one literal '&': 1597 * 20 / 2048 = 15.6 -> 16.
  EXPECT_EQ(Measure(m.dc(), "&&").w, 16);

  // Drawn, the ink matches: wider with the '&' than without.
  Draw("a&b", RECT{0, 0, 120, 30});
  const RECT without = m.inkBox();
  MemContext other(120, 60);
  SetTextColor(other.dc(), GDI_RGB(255, 255, 255));
  SelectObject(other.dc(), mFont);
  RECT r = {0, 0, 120, 30};
  GDI_DrawText(other.dc(), "a&b", -1, &r, TEXT_NOPREFIX);
  const RECT with = other.inkBox();
  EXPECT_LE(without.right, 25 + 1);
  EXPECT_GT(with.right, 35);
  SelectObject(other.dc(), kNoFont);
}

TEST_F(TextTest, LineFeeds)
{
  // Two lines: heights add (24 + 24, then + 1), the width is the wider line ("ab", 25).
  const Measured two = Measure(m.dc(), "Hi\nab");
  EXPECT_EQ(two.h, 49);
  EXPECT_EQ(two.w, 25);
  // A trailing line feed does not start another line.
  EXPECT_EQ(Measure(m.dc(), "Hi\n").h, 25);
  // Single line: the line feed is a space. (1540 + 569 + 651 + 1255 + 1300) * 20 / 2048 = 51.9 -> 52.
  const Measured one = Measure(m.dc(), "Hi\nab", TEXT_SINGLELINE);
  EXPECT_EQ(one.h, 25);
  EXPECT_EQ(one.w, 52);

  // Drawn on two lines, ink reaches into the second line (its top at 0 + floor(23.28 + 0.5) = 23).
  Draw("Hi\nab", RECT{0, 0, 120, 60});
  const RECT ink = m.inkBox();
  EXPECT_GT(ink.bottom, 30);
  EXPECT_LE(ink.bottom, 49);
  EXPECT_LE(ink.right, 25);
}

TEST_F(TextTest, InkLandsInsideTheMeasuredBox)
{
  RECT box = {10, 10, 10, 10};
  const int h = GDI_DrawText(m.dc(), "Hi", -1, &box, TEXT_CALCRECT);
  ASSERT_EQ(h, 25);
  EXPECT_EQ(Draw("Hi", RECT{10, 10, 110, 50}), 25);
  const RECT ink = m.inkBox();
  ASSERT_GT(m.countTouched(), 20);
  EXPECT_GE(ink.left, box.left);
  EXPECT_GE(ink.top, box.top);
  EXPECT_LE(ink.right, box.right);
  EXPECT_LE(ink.bottom, box.bottom);
  // Stems are fully covered somewhere: exactly the text colour.
  bool full = false;
  for (int y = ink.top; y < ink.bottom; y++)
    for (int x = ink.left; x < ink.right; x++)
      full |= m.at(x, y, 1) == 255 && m.at(x, y, 2) == 255 && m.at(x, y, 3) == 255;
  EXPECT_TRUE(full);
}

TEST_F(TextTest, AlignmentFlagsMoveTheText)
{
  const RECT area = {0, 0, 100, 50};
  Draw("Hi", area);
  const RECT left = m.inkBox();
  auto inkWith = [&](int format) {
    MemContext o(120, 60);
    SetTextColor(o.dc(), GDI_RGB(255, 255, 255));
    SelectObject(o.dc(), mFont);
    RECT r = area;
    GDI_DrawText(o.dc(), "Hi", -1, &r, format);
    SelectObject(o.dc(), kNoFont);
    return o.inkBox();
  };
  // Right: x = 100 - 21 = 79. Centre: x = 100 / 2 - 21 / 2 = 40. Bottom: y = 50 - 25 = 25.
  // Vertical centre: y = 50 / 2 - 25 / 2 = 13. Whole-pixel moves keep the ink's shape.
  const RECT right = inkWith(TEXT_RIGHT), centre = inkWith(TEXT_CENTER);
  const RECT bottom = inkWith(TEXT_BOTTOM), vcentre = inkWith(TEXT_VCENTER);
  EXPECT_EQ(right.left - left.left, 79);
  EXPECT_EQ(right.right - left.right, 79);
  EXPECT_EQ(centre.left - left.left, 40);
  EXPECT_EQ(bottom.top - left.top, 25);
  EXPECT_EQ(bottom.left, left.left);
  EXPECT_EQ(vcentre.top - left.top, 13);
  const RECT both = inkWith(TEXT_RIGHT | TEXT_BOTTOM);
  EXPECT_EQ(both.left - left.left, 79);
  EXPECT_EQ(both.top - left.top, 25);
}

TEST_F(TextTest, ClipsToTheRectangleUnlessNoClip)
{
  Draw("Hi", RECT{0, 0, 8, 40});
  EXPECT_GT(m.countTouched(), 0);
  EXPECT_LE(m.inkBox().right, 8);
  Draw("Hi", RECT{0, 30, 8, 60}, TEXT_NOCLIP);
  EXPECT_GT(m.inkBox().right, 15);
}

TEST_F(TextTest, OpaqueBackgroundFillsTheTextBox)
{
  SetBkMode(m.dc(), OPAQUE);
  SetBkColor(m.dc(), GDI_RGB(0, 0, 200));
  SetTextColor(m.dc(), GDI_RGB(255, 0, 0));
  Draw("Hi", RECT{10, 10, 110, 50});
  // The box is (10, 10) to (10 + 21, 10 + 25): every pixel in it is background or text.
  const RECT ink = m.inkBox();
  EXPECT_EQ(ink.left, 10);
  EXPECT_EQ(ink.top, 10);
  EXPECT_EQ(ink.right, 31);
  EXPECT_EQ(ink.bottom, 35);
  EXPECT_EQ(m.countTouched(), 21 * 25);
  EXPECT_EQ(m.at(10, 10, 3), 200);
  EXPECT_EQ(m.at(10, 10, 1), 0);
  SetBkMode(m.dc(), TRANSPARENT);
}

TEST_F(TextTest, OpaqueBackgroundPerLine)
{
  SetBkMode(m.dc(), OPAQUE);
  SetBkColor(m.dc(), GDI_RGB(0, 0, 200));
  SetTextColor(m.dc(), GDI_RGB(255, 0, 0));
  Draw("Hi\nab", RECT{0, 0, 120, 60});
  // Each line's box is as wide as that line: "Hi" 21, "ab" 25. The second starts at
  // floor(23.28 + 0.5) = 23 and reaches 23 + 23.28.
  EXPECT_FALSE(m.touched(22, 5));
  EXPECT_EQ(m.at(22, 30, 3), 200);
  EXPECT_EQ(m.at(0, 0, 3), 200);
  EXPECT_FALSE(m.touched(26, 30));
  EXPECT_FALSE(m.touched(5, 47));
  EXPECT_EQ(m.inkBox().right, 25);
  SetBkMode(m.dc(), TRANSPARENT);
}

TEST_F(TextTest, TrailingLineFeedKeepsTheLineBackground)
{
  // "Hi\n" is multi-line text of one line: it measures as one line (25) but its background is the
  // line's box, 23.28 rows high, not the whole answered height.
  SetBkMode(m.dc(), OPAQUE);
  SetBkColor(m.dc(), GDI_RGB(0, 0, 200));
  EXPECT_EQ(Measure(m.dc(), "Hi\n").h, 25);
  Draw("Hi\n", RECT{10, 10, 110, 50});
  EXPECT_EQ(m.at(10, 32, 3), 200);
  EXPECT_FALSE(m.touched(10, 34));
  EXPECT_EQ(m.inkBox().bottom, 34);
  SetBkMode(m.dc(), TRANSPARENT);
}

TEST_F(TextTest, BoldIsWiderAndHeavier)
{
  Draw("Hi", RECT{0, 0, 120, 30});
  const long regularInk = m.sum(1);
  const int regularWidth = Measure(m.dc(), "Hi").w;
  Use(MakeFont(20, "DejaVu Sans", FW_BOLD));
  // DejaVu Sans Bold: (1714 + 702) * 20 / 2048 = 23.6 -> 24.
  EXPECT_EQ(Measure(m.dc(), "Hi").w, 24);
  EXPECT_GT(24, regularWidth);
  MemContext o(120, 60);
  SetTextColor(o.dc(), GDI_RGB(255, 255, 255));
  SelectObject(o.dc(), mFont);
  RECT r = {0, 0, 120, 30};
  GDI_DrawText(o.dc(), "Hi", -1, &r, 0);
  EXPECT_GT(o.sum(1), regularInk * 5 / 4);
  SelectObject(o.dc(), kNoFont);
}

TEST_F(TextTest, ItalicSlantsTheInk)
{
  // An upright "l" has a vertical stem: the ink's top and bottom rows start at the same column.
  // Italic (or a synthetic slant) moves the top to the right.
  auto topAndBottomStart = [&](HDC__* dc, const MemContext& c, int* topX, int* bottomX) {
    RECT r = {0, 0, 120, 40};
    GDI_DrawText(dc, "l", -1, &r, 0);
    const RECT ink = c.inkBox();
    *topX = *bottomX = -1;
    for (int x = ink.left; x < ink.right && *topX < 0; x++)
      if (c.at(x, ink.top, 1) > 128) *topX = x;
    for (int x = ink.left; x < ink.right && *bottomX < 0; x++)
      if (c.at(x, ink.bottom - 1, 1) > 128) *bottomX = x;
  };
  int top = 0, bottom = 0;
  topAndBottomStart(m.dc(), m, &top, &bottom);
  EXPECT_EQ(top, bottom);
  Use(MakeFont(20, "DejaVu Sans", FW_NORMAL, 1));
  MemContext o(120, 60);
  SetTextColor(o.dc(), GDI_RGB(255, 255, 255));
  SelectObject(o.dc(), mFont);
  topAndBottomStart(o.dc(), o, &top, &bottom);
  EXPECT_GE(top - bottom, 2);
  SelectObject(o.dc(), kNoFont);
}

TEST_F(TextTest, MissingFacesFallBack)
{
  // An unknown face measures like the sans face.
  Use(MakeFont(20, "No Such Face Anywhere"));
  EXPECT_EQ(Measure(m.dc(), "Hi").w, 21);
  // A monospaced name falls back to a monospaced face: DejaVu Sans Mono, 4 * 1233 * 20 / 2048 = 48.2.
  Use(MakeFont(20, "Monaco"));
  EXPECT_EQ(Measure(m.dc(), "iiii").w, 48);
  EXPECT_EQ(Measure(m.dc(), "WWWW").w, 48);
  // An empty name gives the sans face too.
  Use(MakeFont(20, ""));
  EXPECT_EQ(Measure(m.dc(), "iiii").w, 22); // 4 * 569 * 20 / 2048 = 22.2
  Use(CreateFont(20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, nullptr));
  EXPECT_EQ(Measure(m.dc(), "Hi").w, 21);
}

TEST_F(TextTest, MissingCharactersComeFromTheLabelFace)
{
  // U+01C4 is not in DejaVu Sans Mono (what "Monaco" becomes) but is in DejaVu Sans, 2912 units
  // wide: "i" + U+01C4 = (1233 + 2912) * 20 / 2048 = 40.5 -> 40 (not 24 for two monospaced cells).
  Use(MakeFont(20, "Monaco"));
  EXPECT_EQ(Measure(m.dc(), "i\xC7\x84").w, 40);
  Draw("i\xC7\x84", RECT{0, 0, 120, 60});
  EXPECT_GT(m.inkBox().right, 30);
  EXPECT_LE(m.inkBox().right, 41);
}

TEST_F(TextTest, QualitySwitchesAntiAliasing)
{
  auto countPartial = [](const MemContext& c) {
    int n = 0;
    for (int y = 0; y < c.h(); y++)
      for (int x = 0; x < c.w(); x++) n += c.at(x, y, 1) > 0 && c.at(x, y, 1) < 255;
    return n;
  };
  Use(MakeFont(20, "DejaVu Sans", FW_NORMAL, 0, NONANTIALIASED_QUALITY));
  Draw("Hi&ab", RECT{0, 0, 120, 30}, TEXT_NOPREFIX);
  EXPECT_GT(m.countTouched(), 30);
  EXPECT_EQ(countPartial(m), 0);
  Use(MakeFont(20, "DejaVu Sans", FW_NORMAL, 0, ANTIALIASED_QUALITY));
  Draw("Hi&ab", RECT{0, 30, 120, 60}, TEXT_NOPREFIX);
  EXPECT_GT(countPartial(m), 10);
}

TEST_F(TextTest, DefaultFontWithoutSelection)
{
  SelectObject(m.dc(), kNoFont);
  // Size 10: (1540 + 569) * 10 / 2048 = 10.3 -> 10; floor(11.64 + 1.5) + 1 = 14.
  const Measured hi = Measure(m.dc(), "Hi");
  EXPECT_EQ(hi.w, 10);
  EXPECT_EQ(hi.h, 14);
  SelectObject(m.dc(), mFont);
}

TEST_F(TextTest, BadInputTouchesNothingOutside)
{
  EXPECT_EQ(GDI_DrawText(nullptr, "Hi", -1, nullptr, 0), 0);
  EXPECT_EQ(GDI_DrawText(m.dc(), nullptr, -1, nullptr, 0), 0);
  EXPECT_EQ(GDI_DrawText(m.dc(), "Hi", -1, nullptr, TEXT_CALCRECT), 25);

  RECT far = {INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX};
  EXPECT_EQ(GDI_DrawText(m.dc(), "Hi", -1, &far, TEXT_CALCRECT), 25);
  EXPECT_EQ(far.right, INT_MAX); // clamped, not wrapped
  EXPECT_EQ(far.bottom, INT_MAX);
  far = RECT{INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX};
  Draw("Hi", far, TEXT_RIGHT | TEXT_BOTTOM);
  Draw("Hi", RECT{INT_MIN, INT_MIN, INT_MIN + 5, INT_MIN + 5}, TEXT_NOCLIP);
  Draw("Hi", RECT{50, 50, 10, 10}); // inverted: clipped away
  EXPECT_EQ(m.countTouched(), 0);
  // Centred in the whole int range: x = INT_MIN + 4294967295 / 2 - 21 / 2 = -11, y = -1 - 25 / 2 = -13,
  // so the baseline is at 5.56 and the capitals poke into the frame's corner.
  Draw("Hi", RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, TEXT_CENTER | TEXT_VCENTER);
  const RECT ink = m.inkBox();
  EXPECT_GT(m.countTouched(), 0);
  EXPECT_EQ(ink.left, 0);
  EXPECT_EQ(ink.top, 0);
  EXPECT_LE(ink.bottom, 6);
  EXPECT_LE(ink.right, 11);

  // Text beyond the 4095-byte buffer is cut: 4095 * 569 * 20 / 2048 = 22754.4 -> 22754.
  const std::string many(6000, 'i');
  EXPECT_EQ(Measure(m.dc(), many.c_str()).w, 22754);
  Draw(many.c_str(), RECT{0, 0, 120, 60});
}

TEST_F(TextTest, Utf8AndControlBytes)
{
  // "é" (two bytes) and an incomplete sequence both draw without reading past the text.
  EXPECT_GT(Measure(m.dc(), "\xC3\xA9").w, 0);
  EXPECT_GT(Measure(m.dc(), "\xC3").w, 0);
  EXPECT_EQ(Measure(m.dc(), "\xE2\x82", 0, 2).h, 25);
  Draw("\xC3\xA9\xF0\x9F\x98\x80", RECT{0, 0, 120, 60});
  EXPECT_GT(m.countTouched(), 0);
}

TEST(GdiSyntheticStyles, FaceWithoutBoldOrItalicAndWithLineGap)
{
  // DejaVu Math TeX Gyre has one upright, regular style: bold and italic are made up. Units per em
  // 1000, ascent 792, descent 208, line gap 200; H 872, i 319.
  const char* face = "DejaVu Math TeX Gyre";
  if (GDI_ResolveFontName(face, false, false).find("MathTeXGyre") == std::string::npos)
    GTEST_SKIP() << "face not installed";
  MemContext m(120, 50);
  SetTextColor(m.dc(), GDI_RGB(255, 255, 255));
  HGDIOBJ__ *regular = MakeFont(24, face), *bold = MakeFont(24, face, FW_BOLD);

  // Size 24: ascent 19.01, descent 4.99, leading 4.8 -> 19 + 4 + 4 = 27 (+1), average 27 * 2 / 3.
  SelectObject(m.dc(), regular);
  TEXTMETRIC tm;
  GetTextMetrics(m.dc(), &tm);
  EXPECT_EQ(tm.tmHeight, 28);
  EXPECT_EQ(tm.tmAscent, 19);
  EXPECT_EQ(tm.tmDescent, 4);
  EXPECT_EQ(tm.tmInternalLeading, 4);
  EXPECT_EQ(tm.tmAveCharWidth, 18);
  // A line: floor(19.01 + 4.99 + 4.8 + 1.5) = 30 (+1). Width (872 + 319) * 24 / 1000 = 28.6 -> 29.
  RECT r = {0, 0, 0, 0};
  EXPECT_EQ(GDI_DrawText(m.dc(), "Hi", -1, &r, TEXT_CALCRECT), 31);
  EXPECT_EQ(r.right, 29);
  RECT area = {0, 0, 120, 50};
  GDI_DrawText(m.dc(), "Hi", -1, &area, 0);
  const long regularInk = m.sum(1);

  // Synthetic bold thickens by 24 / 24 = 1 pixel per glyph: 30.6 -> 31.
  SelectObject(m.dc(), bold);
  r = RECT{0, 0, 0, 0};
  GDI_DrawText(m.dc(), "Hi", -1, &r, TEXT_CALCRECT);
  EXPECT_EQ(r.right, 31);
  MemContext b(120, 50);
  SetTextColor(b.dc(), GDI_RGB(255, 255, 255));
  SelectObject(b.dc(), bold);
  GDI_DrawText(b.dc(), "Hi", -1, &area, 0);
  EXPECT_GT(b.sum(1), regularInk * 5 / 4);

  // Synthetic italic: the stem of an "l" leans right. Between rows at a fifth and four fifths of
  // the ink's height (clear of the serifs) a 0.2 shear moves it by about 0.2 * 0.6 * 28 = 3.4 pixels.
  auto lean = [&](char italicFlag) {
    MemContext c(80, 60);
    HGDIOBJ__* font = MakeFont(40, face, FW_NORMAL, italicFlag);
    SetTextColor(c.dc(), GDI_RGB(255, 255, 255));
    SelectObject(c.dc(), font);
    RECT lr = {20, 0, 80, 60};
    GDI_DrawText(c.dc(), "l", -1, &lr, 0);
    SelectObject(c.dc(), kNoFont);
    DeleteObject(font);
    const RECT ink = c.inkBox();
    const int high = ink.top + (ink.bottom - ink.top) / 5, low = ink.bottom - 1 - (ink.bottom - ink.top) / 5;
    int top = -1, bottom = -1;
    for (int x = ink.left; x < ink.right && top < 0; x++)
      if (c.at(x, high, 1) > 128) top = x;
    for (int x = ink.left; x < ink.right && bottom < 0; x++)
      if (c.at(x, low, 1) > 128) bottom = x;
    return top - bottom;
  };
  EXPECT_LE(lean(0), 1);
  EXPECT_GE(lean(1), 2);

  SelectObject(m.dc(), kNoFont);
  SelectObject(b.dc(), kNoFont);
  DeleteObject(regular);
  DeleteObject(bold);
}

// The shared reader at the edges of each sequence length and of the ranges it refuses; every case sits
// in storage of exactly its size, so a read past the end shows under the sanitizer.
TEST(GdiUTF8, WellFormedSequencesOnlyElseTheFirstByte)
{
  const struct
  {
    const char* bytes;
    int avail, used;
    unsigned int code;
  } cases[] = {
      {"\x7F", 1, 1, 0x7F},
      {"\xC2\x80", 2, 2, 0x80},
      {"\xDF\xBF", 2, 2, 0x7FF},
      {"\xE0\xA0\x80", 3, 3, 0x800},
      {"\xED\x9F\xBF", 3, 3, 0xD7FF},
      {"\xEE\x80\x80", 3, 3, 0xE000},
      {"\xEF\xBF\xBF", 3, 3, 0xFFFF},
      {"\xF0\x90\x80\x80", 4, 4, 0x10000},
      {"\xF0\x9F\x98\x80", 4, 4, 0x1F600},
      {"\xF4\x8F\xBF\xBF", 4, 4, 0x10FFFF},
      {"\xC1\xBF", 2, 1, 0xC1},         // overlong
      {"\xE0\x9F\xBF", 3, 1, 0xE0},     // overlong
      {"\xF0\x8F\xBF\xBF", 4, 1, 0xF0}, // overlong
      {"\xED\xA0\x80", 3, 1, 0xED},     // surrogate half
      {"\xF4\x90\x80\x80", 4, 1, 0xF4}, // past U+10FFFF
      {"\xF0\x9F\x98\x80", 3, 1, 0xF0}, // cut short by the end
      {"\xE2\x28\xA1", 3, 1, 0xE2},     // cut short by a byte that does not continue it
      {"\xE2\x82\x28", 3, 1, 0xE2},
      {"\xBF", 1, 1, 0xBF},
      {"\xF8\x88\x80\x80\x80", 5, 1, 0xF8},
      {"", 1, 1, 0},
      {"A", 0, 0, 0},
  };
  for (const auto& c : cases) {
    std::unique_ptr<char[]> buf(new char[c.avail > 0 ? c.avail : 1]);
    std::copy(c.bytes, c.bytes + c.avail, buf.get());
    unsigned int code = 0xBEEF;
    EXPECT_EQ(GDI_DecodeUTF8(buf.get(), c.avail, &code), c.used) << c.bytes;
    EXPECT_EQ(code, c.code) << c.bytes;
  }
}

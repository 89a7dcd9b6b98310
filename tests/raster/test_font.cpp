// Cached fonts: UTF-8 reading, the glyph cache, measuring, alignment and clipping, the two drawing
// paths, and glyph blending.

#include "gdi/GDI_Font.h"
#include "raster/Raster_BlitSIMD.h"
#include "raster/Raster_Fill.h"
#include "raster/Raster_Font.h"
#include "raster/Raster_Glyph.h"
#include "raster/Raster_MemBitmap.h"
#include "raster/Raster_SysBitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const unsigned int kWhite = 0xFFFFFFFFu, kBlack = 0x000000FFu;

std::unique_ptr<Raster_CachedFont> MakeFont(int flags, int height = 12)
{
  auto f = std::make_unique<Raster_CachedFont>();
  f->SetFromHFont(CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans"),
                  flags | FONT_OWNS_HFONT);
  f->SetTextColor(kWhite);
  return f;
}

RECT Measure(Raster_CachedFont& f, const char* s, unsigned int format = TEXT_NONATIVE)
{
  RECT r = {0, 0, 0, 0};
  f.DrawText(nullptr, s, -1, &r, format | TEXT_CALCRECT);
  return r;
}

// Box (left, top, right, bottom) of the pixels whose red byte is not 0; right < left when there are none.
RECT InkBox(Raster_IBitmap& bm)
{
  RECT b = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x)
      if (Raster_GetR(bm.getBits()[y * bm.getRowSpan() + x])) {
        b.left = std::min(b.left, x);
        b.top = std::min(b.top, y);
        b.right = std::max(b.right, x + 1);
        b.bottom = std::max(b.bottom, y + 1);
      }
  return b;
}

} // namespace

TEST(RasterUTF8, DecodesAndNeverReadsPastTheEnd)
{
  const struct
  {
    const char* bytes;
    int avail, used;
    unsigned short code;
  } cases[] = {
      {"A", 1, 1, 'A'},
      {"\xC3\xA9", 2, 2, 0xE9},
      {"\xE2\x82\xAC", 3, 3, 0x20AC},
      {"\xF0\x9F\x98\x80", 4, 4, 32}, // beyond 16 bits: a space
      {"\x80", 1, 1, 0x80},           // stray continuation byte
      {"\xC3\xA9", 1, 1, 0xC3},       // cut short by the count
      {"\xE2\x82\xAC", 2, 1, 0xE2},
      {"\xF0\x9F\x98\x80", 3, 1, 0xF0},
      {"\xC3(", 2, 1, 0xC3},        // bad continuation
      {"\xC0\x80", 2, 1, 0xC0},     // overlong 2-byte form
      {"\xE0\x80\x80", 3, 1, 0xE0}, // overlong 3-byte form (would be a NUL)
      {"\xED\xA0\x80", 3, 1, 0xED}, // surrogate half
      {"\xF5\x80\x80\x80", 4, 1, 0xF5},
      {"\xF8\x88\x80\x80\x80", 5, 1, 0xF8},
      {"\xFF", 1, 1, 0xFF},
      {"", 1, 0, 0},
  };
  for (const auto& c : cases) {
    // Copy into exact-size storage so a read past avail shows under the sanitizer.
    std::unique_ptr<char[]> buf(new char[c.avail]);
    std::copy(c.bytes, c.bytes + c.avail, buf.get());
    unsigned short code = 0xBEEF;
    EXPECT_EQ(Raster_UTF8Char(buf.get(), c.avail, &code), c.used) << c.bytes;
    EXPECT_EQ(code, c.code) << c.bytes;
  }
  unsigned short code;
  EXPECT_EQ(utf8char("\xE2\x82\xAC!", &code), 3);
  EXPECT_EQ(code, 0x20AC);
}

// Malformed UTF-8 reads as the same characters on the cached-font path and on the drawing-context path:
// whatever is not a well-formed sequence (overlong forms, surrogate halves, code points past U+10FFFF,
// sequences cut short, bytes that never start one) is its first byte standing for itself, and the walk
// goes on with the next byte. The context's layout of the bad text must equal its layout of the
// characters the cache reads, written out well-formed.
TEST(RasterUTF8, BadSequencesReadTheSameOnBothPaths)
{
  const struct
  {
    const char* bytes;
    std::vector<unsigned> codes; // between the 'a' and 'z' around each case
  } cases[] = {
      {"\xC0\x80", {0xC0, 0x80}},                     // overlong NUL
      {"\xC1\xBF", {0xC1, 0xBF}},                     // overlong 2-byte form
      {"\xE0\x80\x80", {0xE0, 0x80, 0x80}},           // overlong 3-byte form
      {"\xE0\x9F\xBF", {0xE0, 0x9F, 0xBF}},           // overlong U+07FF
      {"\xED\xA0\x80", {0xED, 0xA0, 0x80}},           // surrogate halves
      {"\xED\xBF\xBF", {0xED, 0xBF, 0xBF}},           //
      {"\xF0\x80\x80\x80", {0xF0, 0x80, 0x80, 0x80}}, // overlong 4-byte forms
      {"\xF0\x8F\xBF\xBF", {0xF0, 0x8F, 0xBF, 0xBF}}, //
      {"\xF4\x90\x80\x80", {0xF4, 0x90, 0x80, 0x80}}, // past U+10FFFF
      {"\xF5\x80\x80\x80", {0xF5, 0x80, 0x80, 0x80}}, // no lead byte at all
      {"\xE2\x82", {0xE2, 0x82}},                     // cut short by the next character
      {"\x80\xBF\xFE\xFF", {0x80, 0xBF, 0xFE, 0xFF}}, // strays
      {"\xC3\xA9\xE2\x82\xAC", {0xE9, 0x20AC}},       // well-formed, for contrast
      {"\xEF\xBF\xBD\xED\x9F\xBF", {0xFFFD, 0xD7FF}}, // the last 3-byte forms before and after the gap
  };
  std::unique_ptr<GDI_Font, void (*)(GDI_Font*)> font(GDI_FontOpenLabel(14), GDI_FontRelease);
  if (!font) GTEST_SKIP() << "no font installed";
  const auto encode = [](const std::vector<unsigned>& codes) {
    std::string out;
    for (unsigned c : codes) {
      if (c < 0x80) {
        out += static_cast<char>(c);
      } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    return out;
  };
  const auto layout = [&font](const std::string& text) {
    GDI_LineLayout line;
    GDI_FontLayoutLine(font.get(), text.data(), static_cast<int>(text.size()), &line);
    std::vector<std::pair<GDI_Font*, unsigned>> glyphs;
    for (const GDI_PlacedGlyph& g : line.mGlyphs) glyphs.push_back({g.mFont, g.mGlyph});
    return glyphs;
  };
  for (const auto& c : cases) {
    const std::string text = std::string("a") + c.bytes + "z";
    SCOPED_TRACE(text);
    std::vector<unsigned> read;
    for (size_t at = 0; at < text.size();) {
      unsigned short code = 0;
      const int n = Raster_UTF8Char(text.data() + at, static_cast<int>(text.size() - at), &code);
      ASSERT_GT(n, 0);
      at += static_cast<size_t>(n);
      read.push_back(code);
    }
    std::vector<unsigned> want = {'a'};
    want.insert(want.end(), c.codes.begin(), c.codes.end());
    want.push_back('z');
    EXPECT_EQ(read, want);
    EXPECT_EQ(layout(text), layout(encode(want)));
  }
}

TEST(RasterCachedFont, MeasuresAndCachesEachGlyphOnce)
{
  auto f = MakeFont(0);
  ASSERT_GT(f->GetLineHeight(), 10);
  RECT r = Measure(*f, "");
  EXPECT_EQ(r.right, 0);
  EXPECT_EQ(r.bottom, 0);
  EXPECT_EQ(f->DrawText(nullptr, "", -1, &r, TEXT_CALCRECT), 0);

  const RECT one = Measure(*f, "AB");
  EXPECT_GT(one.right, 10);
  const RECT two = Measure(*f, "AB\nAB");
  EXPECT_EQ(two.right, one.right);
  EXPECT_EQ(two.bottom, one.bottom + f->GetLineHeight());
  // Single line: the line feed is a space; a 4-byte sequence is a space; carriage returns are nothing.
  const RECT spaced = Measure(*f, "AB AB");
  EXPECT_EQ(Measure(*f, "AB\nAB", TEXT_NONATIVE | TEXT_SINGLELINE).right, spaced.right);
  EXPECT_EQ(Measure(*f, "AB\xF0\x9F\x98\x80"
                        "AB")
                .right,
            spaced.right);
  EXPECT_EQ(Measure(*f, "A\rB").right, one.right);
  // The count limits the bytes read.
  RECT cut = {0, 0, 0, 0};
  f->DrawText(nullptr, "ABAB", 2, &cut, TEXT_CALCRECT | TEXT_NONATIVE);
  EXPECT_EQ(cut.right, one.right);

  // Each glyph is rendered once, whatever the number of draws.
  Raster_MemBitmap bm(120, 40, 4);
  RECT at = {0, 0, 120, 40};
  f->DrawText(&bm, "AAA", -1, &at, TEXT_NONATIVE);
  const size_t size = f->GetCoverageSize();
  const Raster_CachedFont::GlyphRecord* a = f->GetGlyph('A');
  ASSERT_TRUE(a && a->mPos > 0);
  const int pos = a->mPos;
  f->DrawText(&bm, "AAAA\xC3\xA9", -1, &at, TEXT_NONATIVE);
  const size_t withE = f->GetCoverageSize();
  f->DrawText(&bm,
              "\xC3\xA9\xC3\xA9"
              "A",
              -1, &at, TEXT_NONATIVE);
  EXPECT_EQ(f->GetGlyph('A')->mPos, pos);
  EXPECT_GT(withE, size);
  EXPECT_EQ(f->GetCoverageSize(), withE);

  // FONT_PRECALCALL renders 0-127 up front and never caches others: they are skipped.
  auto pre = MakeFont(FONT_PRECALCALL);
  const size_t all = pre->GetCoverageSize();
  EXPECT_GT(all, 0u);
  EXPECT_EQ(Measure(*pre, "\xC3\xA9").right, 0);
  EXPECT_EQ(pre->GetCoverageSize(), all);
}

TEST(RasterCachedFont, AlignmentAndClipping)
{
  auto f = MakeFont(0);
  const RECT size = Measure(*f, "Hg");
  const int w = size.right, h = size.bottom;
  const RECT box = {10, 5, 70, 45};
  const struct
  {
    unsigned int flags;
    int x, y;
  } cases[] = {
      {0, 10, 5},
      {TEXT_CENTER, 10 + (60 - w) / 2, 5},
      {TEXT_RIGHT, 70 - w, 5},
      {TEXT_VCENTER, 10, 5 + (40 - h) / 2},
      {TEXT_BOTTOM | TEXT_RIGHT, 70 - w, 45 - h},
      {TEXT_CENTER | TEXT_VCENTER, 10 + (60 - w) / 2, 5 + (40 - h) / 2},
  };
  for (const auto& c : cases) {
    Raster_MemBitmap bm(100, 60, 4);
    Raster_Clear(&bm, kBlack);
    RECT r = box;
    const int answer = f->DrawText(&bm, "Hg", -1, &r, c.flags | TEXT_NONATIVE);
    const RECT ink = InkBox(bm);
    // The ink lies in the text box placed at (x, y) and fills most of its width.
    EXPECT_GE(ink.left, c.x) << c.flags;
    EXPECT_LE(ink.right, c.x + w) << c.flags;
    EXPECT_GE(ink.top, c.y) << c.flags;
    EXPECT_LE(ink.bottom, c.y + h) << c.flags;
    EXPECT_LE(ink.left, c.x + 2) << c.flags;
    EXPECT_GT(answer, 0);
  }
  // Clipped to the rectangle unless TEXT_NOCLIP, and always to the bitmap.
  for (unsigned int clip : {0u, (unsigned)TEXT_NOCLIP}) {
    Raster_MemBitmap bm(100, 60, 4);
    Raster_Clear(&bm, kBlack);
    RECT small = {20, 20, 24, 24};
    f->DrawText(&bm, "WWW", -1, &small, clip | TEXT_NONATIVE);
    const RECT ink = InkBox(bm);
    if (clip)
      EXPECT_GT(ink.right, 24);
    else
      EXPECT_TRUE(ink.left >= 20 && ink.right <= 24 && ink.top >= 20 && ink.bottom <= 24);
    RECT off = {-5, -8, 3, 2};
    f->DrawText(&bm, "WWW", -1, &off, clip | TEXT_NONATIVE | TEXT_RIGHT | TEXT_BOTTOM);
  }
}

TEST(RasterCachedFont, BothPathsDrawTheSameGlyphs)
{
  // Per character: whole strings differ by layout (the platform places glyphs at fractional pens
  // with kerning, the cache at whole-pixel advances).
  auto f = MakeFont(FONT_USE_NATIVE);
  f->SetTextColor(Raster_RGBA(250, 220, 40, 255));
  long long sum = 0, count = 0;
  int worst = 0;
  for (const char* s : {"A", "g", "W", "#", "@", "\xC3\xA9", "y", "1"}) {
    Raster_SysBitmap native(30, 30), cached(30, 30);
    Raster_Clear(&native, Raster_RGBA(20, 40, 90, 255));
    Raster_Clear(&cached, Raster_RGBA(20, 40, 90, 255));
    RECT r1 = {3, 2, 30, 30}, r2 = r1;
    f->DrawText(&native, s, -1, &r1, 0);
    f->DrawText(&cached, s, -1, &r2, TEXT_NONATIVE);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x) {
        const unsigned a = native.getBits()[y * native.getRowSpan() + x],
                       b = cached.getBits()[y * cached.getRowSpan() + x];
        for (int shift : {8, 16, 24}) {
          const int d = std::abs((int)((a >> shift) & 0xFF) - (int)((b >> shift) & 0xFF));
          worst = std::max(worst, d);
          sum += d;
          ++count;
        }
      }
  }
  EXPECT_LE(worst, 2);
  EXPECT_LE((double)sum / (double)count, 0.5);
}

TEST(RasterCachedFont, PathChoiceWeightsAndEffects)
{
  // A translucent text colour with TEXT_USEFGALPHA takes the cache at weight (int)(128/255 * 256) = 128:
  // a fully covered pixel is min(128 * 255 / 256, 256) = 127 of white over black:
  // 255 + (0 - 255) * 129 / 256 = 127.
  auto f = MakeFont(FONT_USE_NATIVE, 40);
  f->SetTextColor(Raster_RGBA(255, 255, 255, 128));
  Raster_SysBitmap bm(60, 60);
  Raster_Clear(&bm, kBlack);
  RECT r = {0, 0, 60, 60};
  f->DrawText(&bm, "I", -1, &r, TEXT_USEFGALPHA);
  const Raster_CachedFont::GlyphRecord* g = f->GetGlyph('I');
  ASSERT_TRUE(g && g->mPos > 0);
  const unsigned char* mask = f->GetCoverage(*g);
  int full = -1;
  for (int i = 0; i < g->mWidth * g->mHeight && full < 0; ++i)
    if (mask[i] == 255) full = i;
  ASSERT_GE(full, 0);
  EXPECT_EQ(Raster_GetR(bm.getBits()[(full / g->mWidth) * bm.getRowSpan() + full % g->mWidth]), 127);

  // Mono masks hold only 0 and 255; outline adds 128 around them; vertical fonts swap the box.
  auto mono = MakeFont(FONT_FX_MONO), outline = MakeFont(FONT_FX_OUTLINE), vert = MakeFont(FONT_VERTICAL);
  auto plain = MakeFont(0);
  const auto* gm = mono->GetGlyph('O');
  const auto* go = outline->GetGlyph('O');
  ASSERT_TRUE(gm && go);
  bool only = true, edge = false;
  for (int i = 0; i < gm->mWidth * gm->mHeight; ++i) only &= mono->GetCoverage(*gm)[i] % 255 == 0;
  for (int i = 0; i < go->mWidth * go->mHeight; ++i) edge |= outline->GetCoverage(*go)[i] == 128;
  EXPECT_TRUE(only);
  EXPECT_TRUE(edge);
  const RECT hz = Measure(*plain, "AB"), vt = Measure(*vert, "AB");
  EXPECT_EQ(vt.bottom, hz.right);
  EXPECT_EQ(vert->GetGlyph('A')->mWidth, plain->GetGlyph('A')->mHeight);
  // Vertical text runs down from the rectangle's top; bottom-up text runs up from top + its length.
  auto up = MakeFont(FONT_VERTICAL | FONT_BOTTOMUP);
  for (Raster_CachedFont* font : {vert.get(), up.get()}) {
    Raster_MemBitmap canvas(40, 80, 4);
    Raster_Clear(&canvas, kBlack);
    RECT at = {5, 10, 40, 80};
    EXPECT_EQ(font->DrawText(&canvas, "AB", -1, &at, TEXT_NONATIVE), vt.right);
    const RECT ink = InkBox(canvas);
    EXPECT_TRUE(ink.left >= 5 && ink.right <= 5 + vt.right && ink.top >= 10 && ink.bottom <= 10 + vt.bottom)
        << ink.left << "," << ink.top << "," << ink.right << "," << ink.bottom << " of " << vt.right << "x"
        << vt.bottom;
  }
  // Blur softens the mask: the same glyph holds more partly covered pixels.
  auto blur = MakeFont(FONT_FX_BLUR);
  auto partial = [](Raster_CachedFont& font) {
    const auto* glyph = font.GetGlyph('H');
    int n = 0;
    for (int i = 0; glyph && i < glyph->mWidth * glyph->mHeight; ++i)
      n += font.GetCoverage(*glyph)[i] > 0 && font.GetCoverage(*glyph)[i] < 255;
    return n;
  };
  EXPECT_GT(partial(*blur), partial(*plain));
}

TEST(RasterGlyph, BlendsCoverageByMode)
{
  // Coverage 0, 128, 255 of white at alpha 1.0: copy weights 0, 128, 255 over black give
  // 0, 255 - 255 * 128 / 256 = 128 and 255 - 255 / 256 = 255; add of 100 at those weights over 100
  // gives 100, 150, 199.
  const unsigned char mask[3] = {0, 128, 255};
  const struct
  {
    int mode;
    unsigned int color, bg;
    int want[3];
  } cases[] = {
      {RASTER_BLEND_COPY, kWhite, kBlack, {0, 128, 255}},
      {RASTER_BLEND_ADD, Raster_RGBA(100, 100, 100, 100), Raster_RGBA(100, 0, 0, 0), {100, 150, 199}},
      {9, kWhite, kBlack, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    Raster_MemBitmap bm(4, 2, 4);
    Raster_Clear(&bm, c.bg);
    Raster_DrawGlyph(&bm, 0, 1, c.color, mask, 3, 1, 1.0f, c.mode);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Raster_GetR(bm.getBits()[4 + i]), c.want[i]) << c.mode << " " << i;
    EXPECT_EQ(bm.getBits()[3], c.bg);
  }
  // Clipped at every edge.
  Raster_MemBitmap bm(2, 2, 4);
  Raster_Clear(&bm, 0);
  Raster_DrawGlyph(&bm, -1, -1, kWhite, mask, 3, 1, 1.0f, RASTER_BLEND_COPY);
  Raster_DrawGlyph(&bm, 1, 1, kWhite, mask, 3, 1, 1.0f, RASTER_BLEND_COPY);
  Raster_DrawGlyph(&bm, INT_MAX, INT_MIN, kWhite, mask, 3, 1, 1.0f, RASTER_BLEND_COPY);
  EXPECT_EQ(Raster_GetR(bm.getBits()[bm.getRowSpan() + 1]), 0);
}

TEST(RasterCachedFont, VectorGlyphRowsMatchTheKernel)
{
  // Opaque copy of glyph masks over a varied background, with the vectorised rows on and off: every
  // width from 1 up (tails included) must give the scalar kernel's integers.
  auto f = MakeFont(0, 13);
  f->SetTextColor(Raster_RGBA(200, 30, 120, 255));
  Raster_MemBitmap on(160, 24, 4), off(160, 24, 4);
  for (Raster_MemBitmap* bm : {&on, &off}) {
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 160; ++x) bm->getBits()[y * bm->getRowSpan() + x] = (unsigned)(x * 2654435761u ^ y * 40503u);
    const bool was = Raster_BlitSimdEnabled();
    Raster_SetBlitSimdEnabled(bm == &on);
    RECT r = {1, 2, 160, 24};
    f->DrawText(bm, "il.,Wm@#gQ|_-AVfj", -1, &r, TEXT_NONATIVE);
    Raster_SetBlitSimdEnabled(was);
  }
  for (int i = 0; i < 160 * 24; ++i) ASSERT_EQ(on.getBits()[i], off.getBits()[i]) << i;
}

TEST(RasterCachedFont, PlatformPathIntoBitmapsWithoutContext)
{
  // The editor's fonts draw through the platform renderer. A bitmap without a drawing context gets the
  // text through the scratch bitmap: the same pixels as drawing into a context's own frame, at the
  // font's combine alpha, and clipped to the rectangle unless TEXT_NOCLIP.
  auto f = MakeFont(FONT_USE_NATIVE);
  f->SetTextColor(Raster_RGBA(240, 200, 10, 255));
  for (unsigned int flags : {0u, (unsigned)TEXT_NOCLIP}) {
    Raster_SysBitmap frame(60, 30);
    Raster_MemBitmap plain(60, 30, 4);
    Raster_Clear(&frame, Raster_RGBA(10, 20, 30, 255));
    Raster_Clear(&plain, Raster_RGBA(10, 20, 30, 255));
    RECT a = {4, 3, 40, 30}, b = a;
    EXPECT_EQ(f->DrawText(&frame, "Wg", -1, &a, flags), f->DrawText(&plain, "Wg", -1, &b, flags));
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 60; ++x)
        ASSERT_EQ(frame.getBits()[y * frame.getRowSpan() + x] & 0xFFFFFF00u, plain.getBits()[y * 60 + x] & 0xFFFFFF00u)
            << x << "," << y << " flags " << flags;
  }
  // Measuring answers the platform's size on both.
  RECT m1 = {0, 0, 0, 0}, m2 = m1;
  Raster_MemBitmap any(4, 4, 4);
  f->DrawText(nullptr, "Wg", -1, &m1, TEXT_CALCRECT);
  f->DrawText(&any, "Wg", -1, &m2, TEXT_CALCRECT);
  EXPECT_EQ(m1.right, m2.right);
  EXPECT_GT(m1.bottom, 0);

  // Background mode 1 on the glyph cache fills each glyph's box first.
  auto c = MakeFont(0);
  c->SetBkMode(OPAQUE);
  c->SetBkColor(Raster_RGBA(0, 0, 255, 255));
  Raster_MemBitmap bm(40, 30, 4);
  Raster_Clear(&bm, kBlack);
  RECT r = {0, 0, 40, 30};
  c->DrawText(&bm, " ", -1, &r, TEXT_NONATIVE);
  const Raster_CachedFont::GlyphRecord* space = c->GetGlyph(' ');
  ASSERT_TRUE(space && space->mPos > 0);
  EXPECT_EQ(bm.getBits()[0], Raster_RGBA(0, 0, 255, 255));
  EXPECT_EQ(bm.getBits()[(space->mHeight - 1) * 40 + space->mWidth - 1], Raster_RGBA(0, 0, 255, 255));
  EXPECT_EQ(bm.getBits()[space->mWidth], kBlack);
}

// The glyph cache of Raster_CachedFont: setting the platform font, finding and rendering glyph records.

#include "raster/Raster_Font.h"

#include "raster/Raster_Blit.h"
#include "raster/Raster_Fill.h"
#include "raster/Raster_FontScratch.h"
#include "raster/Raster_SysBitmap.h"

#include <algorithm>
#include <new>
#include <utility>

namespace {

Raster_SysBitmap* s_tempbitmap = nullptr;
Raster_SysBitmap* s_nativerender_tempbitmap = nullptr;
int s_tempbitmap_refcnt = 0;

// Grows bm to at least w x h (never shrinks); true when it was resized.
bool atLeast(Raster_SysBitmap* bm, int w, int h)
{
  const int nw = std::max(bm->getWidth(), w), nh = std::max(bm->getHeight(), h);
  if (nw == bm->getWidth() && nh == bm->getHeight() && bm->getBits()) return false;
  bm->resize(nw, nh);
  return true;
}

// Characters 0..0xFFFF as UTF-8; answers the length.
int encodeUTF8(unsigned short ch, char* out)
{
  if (ch < 0x80) {
    out[0] = (char)ch;
    return 1;
  }
  if (ch < 0x800) {
    out[0] = (char)(0xC0 | (ch >> 6));
    out[1] = (char)(0x80 | (ch & 0x3F));
    return 2;
  }
  out[0] = (char)(0xE0 | (ch >> 12));
  out[1] = (char)(0x80 | ((ch >> 6) & 0x3F));
  out[2] = (char)(0x80 | (ch & 0x3F));
  return 3;
}

} // namespace

Raster_SysBitmap* Raster_FontGlyphScratch(int size)
{
  if (!s_tempbitmap) s_tempbitmap = new Raster_SysBitmap();
  if (atLeast(s_tempbitmap, size, size) && s_tempbitmap->getDC()) {
    HDC__* dc = s_tempbitmap->getDC();
    SetTextColor(dc, 0xFFFFFF);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, 0);
  }
  return s_tempbitmap->getDC() ? s_tempbitmap : nullptr;
}

Raster_SysBitmap* Raster_FontNativeScratch(int w, int h)
{
  if (!s_nativerender_tempbitmap) s_nativerender_tempbitmap = new Raster_SysBitmap();
  atLeast(s_nativerender_tempbitmap, std::max(w, 4), std::max(h, 4));
  return s_nativerender_tempbitmap->getDC() ? s_nativerender_tempbitmap : nullptr;
}

void Raster_FontScratchAcquire()
{
  ++s_tempbitmap_refcnt;
}

void Raster_FontScratchRelease()
{
  if (--s_tempbitmap_refcnt > 0) return;
  s_tempbitmap_refcnt = 0;
  delete s_tempbitmap;
  delete s_nativerender_tempbitmap;
  s_tempbitmap = s_nativerender_tempbitmap = nullptr;
}

Raster_CachedFont::Raster_CachedFont()
{
  Raster_FontScratchAcquire();
}

Raster_CachedFont::~Raster_CachedFont()
{
  if ((mFlags & FONT_OWNS_HFONT) && mFont) DeleteObject(mFont);
  Raster_FontScratchRelease();
}

unsigned int Raster_CachedFont::SetTextColor(unsigned int color)
{
  return std::exchange(mTextColor, color);
}
unsigned int Raster_CachedFont::SetBkColor(unsigned int color)
{
  return std::exchange(mBkColor, color);
}
unsigned int Raster_CachedFont::SetEffectColor(unsigned int color)
{
  return std::exchange(mEffectColor, color);
}
int Raster_CachedFont::SetBkMode(int mode)
{
  return std::exchange(mBkMode, mode);
}

void Raster_CachedFont::SetCombineMode(int mode, float alpha)
{
  mCombineMode = mode;
  mCombineAlpha = alpha;
}

void Raster_CachedFont::SetFromHFont(HGDIOBJ__* font, int flags)
{
  if ((mFlags & FONT_OWNS_HFONT) && mFont && mFont != font) DeleteObject(mFont);
  mFlags = flags;
  mFont = font;
  mLineHeight = 0;
  if (font) {
    if (Raster_SysBitmap* tmp = Raster_FontGlyphScratch(256)) {
      HDC__* dc = tmp->getDC();
      HGDIOBJ__* old = SelectObject(dc, font);
      TEXTMETRIC tm;
      GetTextMetrics(dc, &tm);
      SelectObject(dc, old);
      mLineHeight = tm.tmHeight;
    }
  }
  for (GlyphRecord& g : mLowChars) g = GlyphRecord();
  mExtChars.clear();
  mCoverage.clear();
  if (font && (flags & FONT_PRECALCALL))
    for (int ch = 0; ch < 128; ++ch) RenderGlyph((unsigned short)ch);
}

Raster_CachedFont::GlyphRecord* Raster_CachedFont::FindRecord(unsigned short ch, bool create)
{
  if (ch < 128) return &mLowChars[ch];
  auto byCode = [](const GlyphRecord& g, unsigned short c) { return g.mChar < c; };
  auto it = std::lower_bound(mExtChars.begin(), mExtChars.end(), ch, byCode);
  if (it != mExtChars.end() && it->mChar == ch) return &*it;
  if (!create || (mFlags & FONT_PRECALCALL)) return nullptr;
  GlyphRecord g;
  g.mChar = ch;
  return &*mExtChars.insert(it, g); // inserted in place, so the list stays sorted
}

const Raster_CachedFont::GlyphRecord* Raster_CachedFont::GetGlyph(unsigned short ch)
{
  const GlyphRecord* g = FindRecord(ch, false);
  if (g && g->mPos != 0) return g;
  if (!RenderGlyph(ch)) return nullptr;
  return FindRecord(ch, false);
}

bool Raster_CachedFont::RenderGlyph(unsigned short ch)
{
  if (!mFont || mLineHeight > 1023) return false;
  GlyphRecord* g = FindRecord(ch, true);
  if (!g) return false;
  const int a = mLineHeight < 1 ? 10 : 2 * mLineHeight + 8;
  Raster_SysBitmap* tmp = Raster_FontGlyphScratch(a);
  if (!tmp) return false;
  HDC__* dc = tmp->getDC();
  HGDIOBJ__* old = SelectObject(dc, mFont);

  char text[4];
  const int n = encodeUTF8(ch, text);
  RECT r = {0, 0, 0, 0};
  GDI_DrawText(dc, text, n, &r, TEXT_CALCRECT | TEXT_SINGLELINE | TEXT_NOPREFIX);
  int advance = r.right - r.left;
  int boxW = advance + (mLineHeight < 16 ? 2 : mLineHeight / 16 + 2);
  int boxH = r.bottom - r.top;
  Raster_FillRect(tmp, 0, 0, boxW, boxH, 0, 1.0f, RASTER_BLEND_COPY);
  RECT box = {0, 0, boxW, boxH};
  GDI_DrawText(dc, text, n, &box, TEXT_SINGLELINE | TEXT_NOPREFIX);
  advance = std::min(advance, tmp->getWidth());
  boxW = std::min(boxW, tmp->getWidth());
  boxH = std::min(boxH, tmp->getHeight());
  SelectObject(dc, old);

  if (advance < 1 || boxH < 1) {
    *g = GlyphRecord{-1, 0, 0, 0, ch};
    return true;
  }
  if (mFlags & FONT_FX_BLUR) Raster_Blur(tmp, tmp, 0, 0, 0, 0, boxW, boxH);
  FinishMask(g, advance, boxW, boxH);
  return true;
}

// Takes the coverage (the red byte) of the scratch's top-left boxW x boxH into the cache, trimmed,
// turned and thresholded as the flags ask.
void Raster_CachedFont::FinishMask(GlyphRecord* g, int advance, int boxW, int boxH)
{
  const bool invert = (mFlags & FONT_FX_INVERT) != 0;
  std::vector<unsigned char> m((size_t)boxW * boxH);
  int width = advance;
  for (int y = 0; y < boxH; ++y) {
    const unsigned char* row = (const unsigned char*)(s_tempbitmap->getBits() + (size_t)y * s_tempbitmap->getRowSpan());
    for (int x = 0; x < boxW; ++x) {
      const unsigned char c = invert ? (unsigned char)(255 - row[4 * x + 1]) : row[4 * x + 1];
      m[(size_t)y * boxW + x] = c;
      if (c && x >= width) width = x + 1;
    }
  }
  int w = std::min(width, boxW), h = boxH;
  if (w < boxW)
    for (int y = 1; y < h; ++y) std::copy_n(&m[(size_t)y * boxW], w, &m[(size_t)y * w]);
  m.resize((size_t)w * h);

  if (mFlags & FONT_VERTICAL) {
    // Clockwise: source (x, y) goes to (h - 1 - y, x); counter-clockwise to (y, w - 1 - x).
    std::vector<unsigned char> t(m.size());
    const bool ccw = (mFlags & FONT_BOTTOMUP) != 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int nx = ccw ? y : h - 1 - y, ny = ccw ? w - 1 - x : x;
        t[(size_t)ny * h + nx] = m[(size_t)y * w + x];
      }
    m.swap(t);
    std::swap(w, h);
  }

  if (mFlags & (FONT_FX_MONO | FONT_FX_SHADOW | FONT_FX_OUTLINE)) {
    for (unsigned char& c : m) c = c > 130 ? 255 : 0;
    if (mFlags & (FONT_FX_SHADOW | FONT_FX_OUTLINE)) {
      const std::vector<unsigned char> full = m;
      auto isFull = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && full[(size_t)y * w + x] == 255; };
      const bool shadow = (mFlags & FONT_FX_SHADOW) != 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          if (full[(size_t)y * w + x]) continue;
          const bool edge = shadow ? isFull(x - 1, y) || isFull(x - 1, y - 1) || isFull(x, y - 1)
                                   : isFull(x, y - 1) || isFull(x, y + 1) || isFull(x - 1, y) || isFull(x + 1, y);
          if (edge) m[(size_t)y * w + x] = 128;
        }
    }
  }

  try {
    const size_t at = mCoverage.size();
    mCoverage.insert(mCoverage.end(), m.begin(), m.end());
    *g = GlyphRecord{(int)at + 1, w, h, advance, g->mChar};
  } catch (const std::bad_alloc&) {
    *g = GlyphRecord{-1, 0, 0, 0, g->mChar}; // the cache could not grow: nothing to show
  }
}

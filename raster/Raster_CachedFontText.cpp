// Raster_CachedFont's text: choosing the platform or the glyph-cache path, layout, measuring,
// alignment and clipping, and blending each glyph.

#include "raster/Raster_Font.h"

#include "raster/Raster_Blit.h"
#include "raster/Raster_Fill.h"
#include "raster/Raster_FontScratch.h"
#include "raster/Raster_GlyphRenderer.h"
#include "raster/Raster_KernelChoice.h"
#include "raster/Raster_ShapeTarget.h"
#include "raster/Raster_SysBitmap.h"

#include <algorithm>
#include <climits>

namespace {

const unsigned int kAlignFlags = TEXT_VCENTER | TEXT_CENTER | TEXT_BOTTOM | TEXT_RIGHT;
const int kNeedsMasks = 0x1F7; // vertical, bottom-up, precalc, blur, invert, mono, shadow, outline
const unsigned short kLineFeed = 10;

// A pixel word as a context colour (red in bits 16-23, green 8-15, blue 0-7).
int contextColor(unsigned int c)
{
  return (Raster_GetR(c) << 16) | (Raster_GetG(c) << 8) | Raster_GetB(c);
}

// Calls fn(ch) for each character of count bytes (count < 0: to the terminator), never reading past
// either: carriage returns are dropped, a line feed reaches fn as kLineFeed, or as a space on a single
// line.
template <class Fn>
void walkString(const char* str, int count, bool singleLine, Fn&& fn)
{
  int left = count < 0 ? INT_MAX : count;
  while (left > 0 && *str) {
    unsigned short ch;
    const int n = Raster_UTF8Char(str, left, &ch);
    if (n <= 0) break;
    str += n;
    left -= n;
    if (ch == '\r') continue;
    if (ch == '\n' && singleLine) ch = ' ';
    fn(ch);
  }
}

long long clampInt(long long v)
{
  return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : v);
}

} // namespace

int Raster_CachedFont::DrawText(Raster_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int format)
{
  if (!str) return 0;
  if (!bm && !(format & TEXT_CALCRECT)) return 0;
  const bool native =
      mLineHeight > 255 || ((mFlags & FONT_USE_NATIVE) && mFont && !(format & (TEXT_NONATIVE | TEXT_USEFGALPHA)) &&
                            !(mFlags & kNeedsMasks) && (mExtraLineSpacing == 0 || (format & TEXT_SINGLELINE)));
  if (native) return DrawNative(bm, str, count, rect, format);
  if (format & TEXT_CALCRECT) {
    int w = 0, h = 0;
    const int answer = MeasureCached(str, count, format, &w, &h);
    if (rect) {
      rect->right = (int)clampInt((long long)rect->left + w);
      rect->bottom = (int)clampInt((long long)rect->top + h);
    }
    return answer;
  }
  return DrawCached(bm, str, count, rect, format);
}

int Raster_CachedFont::DrawNative(Raster_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int format)
{
  auto setUp = [&](HDC__* dc) {
    ::SetTextColor(dc, contextColor(mTextColor));
    ::SetBkMode(dc, mBkMode);
    if (mBkMode == OPAQUE) ::SetBkColor(dc, contextColor(mBkColor));
  };
  if (HDC__* dc = bm ? bm->getDC() : nullptr) {
    HGDIOBJ__* old = SelectObject(dc, mFont);
    setUp(dc);
    const int answer = GDI_DrawText(dc, str, count, rect, (int)(format | TEXT_NOPREFIX));
    SelectObject(dc, old);
    return answer;
  }

  // No context behind the bitmap: measure in the scratch, draw there over a copy of the destination's
  // pixels, and blit the box back.
  Raster_SysBitmap* scratch = Raster_FontNativeScratch(4, 4);
  if (!scratch) return 0;
  RECT m = {0, 0, 0, 0};
  HGDIOBJ__* old = SelectObject(scratch->getDC(), mFont);
  const int answer =
      GDI_DrawText(scratch->getDC(), str, count, &m, (int)((format & 0x7FFFFF48) | TEXT_CALCRECT | TEXT_NOPREFIX));
  SelectObject(scratch->getDC(), old);
  const long long tw = (long long)m.right - m.left, th = (long long)m.bottom - m.top;
  if (format & TEXT_CALCRECT) {
    if (rect) {
      rect->right = (int)clampInt(rect->left + tw);
      rect->bottom = (int)clampInt(rect->top + th);
    }
    return answer;
  }
  if (!rect) return 0;

  const long long tx = (format & TEXT_RIGHT)    ? rect->right - tw
                       : (format & TEXT_CENTER) ? ((long long)rect->left + rect->right - tw) / 2
                                                : rect->left;
  const long long ty = (format & TEXT_BOTTOM)    ? rect->bottom - th
                       : (format & TEXT_VCENTER) ? ((long long)rect->top + rect->bottom - th) / 2
                                                 : rect->top;
  long long l = std::max(tx, 0LL), t = std::max(ty, 0LL);
  long long r = std::min(tx + tw, (long long)bm->getWidth()), b = std::min(ty + th, (long long)bm->getHeight());
  if (!(format & TEXT_NOCLIP)) {
    l = std::max(l, (long long)rect->left);
    t = std::max(t, (long long)rect->top);
    r = std::min(r, (long long)rect->right);
    b = std::min(b, (long long)rect->bottom);
  }
  if (r <= l || b <= t) return answer;
  const int bw = (int)(r - l), bh = (int)(b - t);
  scratch = Raster_FontNativeScratch(bw, bh);
  if (!scratch) return 0;
  HDC__* dc = scratch->getDC();
  Raster_Blit(scratch, bm, 0, 0, (int)l, (int)t, bw, bh, 1.0f, RASTER_BLEND_COPY);
  old = SelectObject(dc, mFont);
  setUp(dc);
  RECT at = {(int)(tx - l), (int)(ty - t), (int)clampInt(tx - l + tw), (int)clampInt(ty - t + th)};
  GDI_DrawText(
      dc, str, count, &at,
      (int)((format & ~(kAlignFlags | TEXT_NOCLIP | TEXT_CALCRECT | TEXT_USEFGALPHA | TEXT_NONATIVE)) | TEXT_NOPREFIX));
  SelectObject(dc, old);
  Raster_Blit(bm, scratch, (int)l, (int)t, 0, 0, bw, bh, mCombineAlpha, RASTER_BLEND_COPY);
  return answer;
}

int Raster_CachedFont::MeasureCached(const char* str, int count, unsigned int format, int* width, int* height)
{
  const bool vertical = (mFlags & FONT_VERTICAL) != 0;
  long long pen = 0, line = 0, along = 0, across = 0; // along the text, and across its lines
  walkString(str, count, (format & TEXT_SINGLELINE) != 0, [&](unsigned short ch) {
    if (ch == kLineFeed) {
      line += mLineHeight + mExtraLineSpacing;
      pen = 0;
      return;
    }
    const GlyphRecord* g = GetGlyph(ch);
    if (!g || g->mPos < 0) return;
    const int alongSize = vertical ? g->mHeight : g->mWidth, acrossSize = vertical ? g->mWidth : g->mHeight;
    along = std::max(along, pen + std::max(alongSize, g->mAdvance));
    across = std::max(across, line + acrossSize);
    pen += g->mAdvance;
  });
  *width = (int)clampInt(vertical ? across : along);
  *height = (int)clampInt(vertical ? along : across);
  return vertical ? *width : *height;
}

int Raster_CachedFont::DrawCached(Raster_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int format)
{
  if (!bm || !rect || !bm->getBits()) return 0;
  float alpha = mCombineAlpha;
  if (format & TEXT_USEFGALPHA) alpha *= (float)(mTextColor & 0xFF) / 255.0f;
  if (Raster_WeightFromAlpha(alpha) == 0) return 0;

  const bool vertical = (mFlags & FONT_VERTICAL) != 0;
  const bool bottomUp = vertical && (mFlags & FONT_BOTTOMUP);
  long long x = rect->left, y = rect->top;
  if ((format & kAlignFlags) || bottomUp) {
    int w = 0, h = 0;
    MeasureCached(str, count, format & (TEXT_SINGLELINE | TEXT_NONATIVE), &w, &h);
    if (format & TEXT_CENTER)
      x = rect->left + ((long long)rect->right - rect->left - w) / 2;
    else if (format & TEXT_RIGHT)
      x = (long long)rect->right - w;
    if (format & TEXT_VCENTER)
      y = rect->top + ((long long)rect->bottom - rect->top - h) / 2;
    else if (format & TEXT_BOTTOM)
      y = (long long)rect->bottom - h;
    if (bottomUp) y += h;
  }

  RECT clip = {0, 0, bm->getWidth(), bm->getHeight()};
  if (!(format & TEXT_NOCLIP)) {
    clip.left = std::max(clip.left, rect->left);
    clip.top = std::max(clip.top, rect->top);
    clip.right = std::min(clip.right, rect->right);
    clip.bottom = std::min(clip.bottom, rect->bottom);
  }
  if (clip.right <= clip.left || clip.bottom <= clip.top) return 0;

  Raster_ShapeTarget target;
  if (!Raster_GetShapeTarget(bm, &target)) return 0;
  const long long startX = x, startY = y;
  long long lowest = startY, rightmost = startX;
  walkString(str, count, (format & TEXT_SINGLELINE) != 0, [&](unsigned short ch) {
    if (ch == kLineFeed) {
      if (vertical) {
        x += mLineHeight + mExtraLineSpacing;
        y = startY;
      } else {
        y += mLineHeight + mExtraLineSpacing;
        x = startX;
      }
      return;
    }
    const GlyphRecord* g = GetGlyph(ch);
    if (!g || g->mPos <= 0 || (size_t)g->mPos - 1 + (size_t)g->mWidth * g->mHeight > mCoverage.size()) return;
    if (bottomUp) y -= g->mHeight;
    DrawGlyph(bm, target, *g, x, y, clip, alpha);
    lowest = std::max(lowest, y + g->mHeight);
    rightmost = std::max(rightmost, x + g->mWidth);
    if (!vertical)
      x += g->mAdvance;
    else if (bottomUp)
      y += g->mHeight - g->mAdvance;
    else
      y += g->mAdvance;
  });
  return (int)clampInt(vertical ? rightmost - startX : lowest - startY);
}

void Raster_CachedFont::DrawGlyph(Raster_IBitmap* bm, const Raster_ShapeTarget& target, const GlyphRecord& g,
                                  long long x, long long y, const RECT& clip, float alpha)
{
  const long long l = std::max<long long>(x, clip.left), t = std::max<long long>(y, clip.top);
  const long long r = std::min<long long>(x + g.mWidth, clip.right),
                  b = std::min<long long>(y + g.mHeight, clip.bottom);
  if (r <= l || b <= t) return;
  const int bx = (int)l, by = (int)t, bw = (int)(r - l), bh = (int)(b - t);
  if (mBkMode == OPAQUE)
    Raster_FillRect(bm, bx, by, bw, bh, mBkColor, alpha, mCombineMode & ~RASTER_BLEND_USE_SOURCE_ALPHA);

  Raster_GlyphBlock block;
  block.mMask = GetCoverage(g) + (by - y) * g.mWidth + (bx - x);
  block.mMaskSpan = g.mWidth;
  block.mDest = (unsigned char*)target.at(bx, target.mirrorY(by));
  block.mDestStep = (target.mFlipped ? -target.mSpan : target.mSpan) * (long)sizeof(Raster_PixelWord);
  block.mWidth = bw;
  block.mHeight = bh;

  const int weight = Raster_WeightFromAlpha(alpha);
  const int mode = mCombineMode & RASTER_BLEND_MODE_MASK;
  const bool effect = (mFlags & (FONT_FX_SHADOW | FONT_FX_OUTLINE)) != 0, mono = (mFlags & FONT_FX_MONO) != 0;
  if ((effect || mono) && alpha == 1.0f && mode == RASTER_BLEND_COPY) {
    // Opaque copy of two-level masks: whole words.
    const unsigned char* m = block.mMask;
    unsigned char* d = block.mDest;
    for (int j = 0; j < bh; ++j, m += block.mMaskSpan, d += block.mDestStep)
      for (int i = 0; i < bw; ++i)
        if (m[i]) ((Raster_PixelWord*)d)[i] = (effect && m[i] != 255) ? mEffectColor : mTextColor;
    return;
  }
  Raster_WithShapeVaryingKernel(mode, weight, [&](auto kernel) {
    using R = GlyphRenderer<decltype(kernel)>;
    const Raster_GlyphBlock& blk = block;
    const int capped = std::min(weight, 256);
    if (effect)
      R::Effect(blk, mTextColor, mEffectColor, capped);
    else if (mono)
      R::Mono(blk, mTextColor, capped);
    else
      R::Normal(blk, mTextColor, weight);
  });
}

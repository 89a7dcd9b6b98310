// Text colours and modes, text metrics, and drawing and measuring text in a context.

#include "gdi/GDI_Font.h"
#include "gdi/GDI_Path.h"
#include "gdi/GDI_Records.h"
#include "gdi/GDI_Surface.h"

#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace {
const int kMaxTextBytes = 4095;

GDI_Font* ContextFont(HDC__* ctx, HGDIOBJ__** fontObject)
{
  HGDIOBJ__* f = ctx->mCurFont;
  if (GDI_IsLiveObject(f) && f->mType == GDI_OBJ_FONT) {
    *fontObject = f;
    if (f->mFont) return f->mFont;
  } else
    *fontObject = nullptr;
  return GDI_DefaultFont();
}

int ClampToInt(long long v)
{
  return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : (int)v;
}

// The text as it will be laid out: carriage returns dropped, '&' prefixes resolved, line feeds
// kept (multi-line) or turned into spaces (single line).
std::string PrepareText(const char* text, int len, int format, bool* multiLine)
{
  std::string out;
  *multiLine = false;
  const bool noPrefix = (format & TEXT_NOPREFIX) != 0;
  const bool singleLine = (format & TEXT_SINGLELINE) != 0;
  for (int i = 0; (len < 0 || i < len) && text[i] && (int)out.size() < kMaxTextBytes; i++) {
    char c = text[i];
    if (c == '\r') continue;
    if (c == '&' && !noPrefix) {
      // The next character is taken literally (so "&&" is one '&').
      if ((len >= 0 && i + 1 >= len) || !text[i + 1]) break;
      c = text[++i];
      if (c == '\r') continue;
    }
    if (c == '\n') {
      if (singleLine)
        c = ' ';
      else
        *multiLine = true;
    }
    out.push_back(c);
  }
  return out;
}
} // namespace

void SetTextColor(HDC__* ctx, int color)
{
  if (!GDI_IsLiveContext(ctx)) return;
  ctx->mTextColor = color;
  ctx->mTextColorObj = GDI_MakeColor(color, 1.0f);
}

int GetTextColor(HDC__* ctx)
{
  return GDI_IsLiveContext(ctx) ? ctx->mTextColor : 0;
}

void SetBkColor(HDC__* ctx, int color)
{
  if (GDI_IsLiveContext(ctx)) ctx->mBkColor = color;
}

void SetBkMode(HDC__* ctx, int mode)
{
  if (GDI_IsLiveContext(ctx)) ctx->mBkMode = mode;
}

int GetTextMetrics(HDC__* ctx, TEXTMETRIC* tm)
{
  if (!tm) return 0;
  tm->tmHeight = 16;
  tm->tmAscent = 12;
  tm->tmDescent = 4;
  tm->tmInternalLeading = 3;
  tm->tmAveCharWidth = 10;
  if (!GDI_IsLiveContext(ctx)) return 0;
  HGDIOBJ__* fontObject = nullptr;
  GDI_Font* font = ContextFont(ctx, &fontObject);
  if (!font) return 1;
  const GDI_FontMetrics m = GDI_FontGetMetrics(font);
  tm->tmInternalLeading = (int)m.mLeading;
  tm->tmAscent = (int)m.mAscent;
  tm->tmDescent = (int)m.mDescent;
  tm->tmHeight = tm->tmAscent + tm->tmDescent + tm->tmInternalLeading;
  tm->tmAveCharWidth = tm->tmHeight * 2 / 3;
  if (tm->tmHeight) tm->tmHeight++;
  return 1;
}

int GDI_DrawText(HDC__* ctx, const char* text, int len, RECT* r, int format)
{
  if (!GDI_IsLiveContext(ctx) || !text) return 0;
  bool multiLine = false;
  const std::string str = PrepareText(text, len, format, &multiLine);
  if (str.empty()) return 0;

  HGDIOBJ__* fontObject = nullptr;
  GDI_Font* font = ContextFont(ctx, &fontObject);
  if (!font) return 0;
  const GDI_FontMetrics m = GDI_FontGetMetrics(font);
  const double lineExtent = m.mAscent + m.mDescent + m.mLeading;

  // Lay out and measure.
  std::vector<GDI_LineLayout> lines;
  long long width = 0, height = 0;
  size_t start = 0;
  while (start < str.size() || lines.empty()) {
    size_t end = multiLine ? str.find('\n', start) : std::string::npos;
    if (end == std::string::npos) end = str.size();
    lines.emplace_back();
    GDI_FontLayoutLine(font, str.data() + start, (int)(end - start), &lines.back());
    width = std::max(width, (long long)std::floor(lines.back().mWidth + 0.5));
    height += (long long)std::floor(lineExtent + 1.5);
    start = end + 1;
  }
  const int h = height ? ClampToInt(height + 1) : 0;

  if (format & TEXT_CALCRECT) {
    if (r) {
      r->right = ClampToInt((long long)r->left + width);
      r->bottom = ClampToInt((long long)r->top + h);
    }
    return h;
  }
  GDI_Surface* surface = GDI_DrawableSurface(ctx);
  if (!r || !surface) return h;

  long long x = r->left, y = r->top;
  if (format & TEXT_RIGHT)
    x = (long long)r->right - width;
  else if (format & TEXT_CENTER)
    x += ((long long)r->right - r->left) / 2 - width / 2;
  if (format & TEXT_BOTTOM)
    y = (long long)r->bottom - h;
  else if (format & TEXT_VCENTER)
    y += ((long long)r->bottom - r->top) / 2 - h / 2;

  surface->SaveState();
  if (!(format & TEXT_NOCLIP)) surface->ClipToRect(r->left, r->top, r->right, r->bottom);
  const bool background = ctx->mBkMode == OPAQUE;
  const GDI_Color bkColor = GDI_MakeColor(ctx->mBkColor, 1.0f);
  bool antiAlias = surface->mState.mAntiAlias;
  if (fontObject && fontObject->mQuality == ANTIALIASED_QUALITY) antiAlias = true;
  if (fontObject && fontObject->mQuality == NONANTIALIASED_QUALITY) antiAlias = false;
  const GDI_Color textColor = ctx->mTextColorObj.mValid ? ctx->mTextColorObj : GDI_MakeColor(0, 1.0f);

  // Device coordinates for the glyph drawing (paths apply the origin themselves).
  const double ox = surface->mState.mOriginX, oy = surface->mState.mOriginY;
  // Text with a line feed is laid out line by line even when it holds a single line ("ab\n"):
  // its background is then the line's box, not the whole answered height.
  if (!multiLine) {
    if (background) GDI_FillRectF(surface, (double)x, (double)y, (double)x + width, (double)y + h, bkColor, true);
    GDI_FontDrawLine(font, lines[0], surface, ox + x, oy + y + m.mAscent, textColor, antiAlias);
  } else {
    double lineY = (double)y;
    for (const GDI_LineLayout& line : lines) {
      if (background)
        GDI_FillRectF(surface, (double)x, lineY, (double)x + std::floor(line.mWidth + 0.5), lineY + lineExtent, bkColor,
                      true);
      GDI_FontDrawLine(font, line, surface, ox + x, oy + lineY + m.mAscent, textColor, antiAlias);
      lineY += std::floor(lineExtent + 0.5);
    }
  }
  surface->RestoreState();
  return h;
}

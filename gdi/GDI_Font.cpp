// FreeType faces at a size: metrics, line layout and glyph drawing into a surface.

#include "gdi/GDI_Font.h"

#include "gdi/GDI_Lock.h"
#include "gdi/GDI_Paint.h"
#include "gdi/GDI_Surface.h"
#include "gdi/GDI_UTF8.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>
#include <cstdlib>
#include <new>

struct GDI_Font
{
  FT_Face mFace = nullptr;
  float mSize = 10.0f;
  bool mEmbolden = false;
  bool mOblique = false;
  double mUnitScale = 0.0; // pixels per font unit
  GDI_FontMetrics mMetrics = {0.0, 0.0, 0.0};
  std::string mPlatformName;
  // The label face at the same size, for characters this face lacks; opened on first need.
  GDI_Font* mFallback = nullptr;
  bool mFallbackTried = false;
};

namespace {
FT_Library Library()
{
  // Created once under the FreeType lock; lives for the process.
  static FT_Library library = nullptr;
  static bool tried = false;
  if (!tried) {
    tried = true;
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
  return library;
}

// Synthetic bold thickens outlines by this many pixels.
double EmboldenStrength(const GDI_Font* font)
{
  return font->mSize / 24.0;
}

bool LoadGlyph(GDI_Font* font, unsigned int glyph)
{
  return FT_Load_Glyph(font->mFace, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0;
}

void ApplySyntheticStyle(GDI_Font* font)
{
  FT_GlyphSlot slot = font->mFace->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return;
  if (font->mEmbolden) {
    const FT_Pos strength = (FT_Pos)(EmboldenStrength(font) * 64.0 + 0.5);
    FT_Outline_Embolden(&slot->outline, strength);
    // Keep the glyph centred on its advance.
    FT_Outline_Translate(&slot->outline, -strength / 2, 0);
  }
  if (font->mOblique) {
    FT_Matrix shear;
    shear.xx = 0x10000;
    shear.xy = 0x3333; // about 11 degrees
    shear.yx = 0;
    shear.yy = 0x10000;
    FT_Outline_Transform(&slot->outline, &shear);
  }
}

// The face characters missing from font are taken from, or null (none, or font is that face).
// Called with the FreeType lock held.
GDI_Font* Fallback(GDI_Font* font)
{
  if (!font->mFallbackTried) {
    font->mFallbackTried = true;
    std::string name = GDI_ResolveFontName("sans-serif", false, false);
    // Same file: no point. Otherwise the main face's synthetic style carries over.
    if (!name.empty() &&
        name.substr(0, name.find('|')) != font->mPlatformName.substr(0, font->mPlatformName.find('|'))) {
      const size_t flags = name.find('|', name.find('|') + 1);
      name = name.substr(0, flags) + (font->mEmbolden ? "|1" : "|0") + (font->mOblique ? "|1" : "|0");
      font->mFallback = GDI_FontOpen(name, font->mSize);
    }
  }
  return font->mFallback;
}

// Blends a rendered glyph bitmap whose top-left pixel lands at (left, top).
void BlendBitmap(const FT_Bitmap& bm, int left, int top, GDI_Surface* surface, const GDI_Color& color)
{
  const GDI_SurfaceState& st = surface->mState;
  const int opacity = GDI_ColorOpacity255(color);
  const bool mono = bm.pixel_mode == FT_PIXEL_MODE_MONO;
  if (!mono && bm.pixel_mode != FT_PIXEL_MODE_GRAY) return;
  for (unsigned int row = 0; row < bm.rows; row++) {
    const long y = (long)top + row;
    if (y < st.mClipTop || y >= st.mClipBottom) continue;
    const unsigned char* src = bm.buffer + (long)row * bm.pitch;
    for (unsigned int col = 0; col < bm.width; col++) {
      const long x = (long)left + col;
      if (x < st.mClipLeft || x >= st.mClipRight) continue;
      int cov = mono ? (((src[col >> 3] >> (7 - (col & 7))) & 1) ? 255 : 0) : src[col];
      if (!cov) continue;
      GDI_BlendPixel(surface->Pixel((int)x, (int)y), color, GDI_ScaleCoverage(cov, opacity));
    }
  }
}
} // namespace

GDI_Font* GDI_FontOpen(const std::string& platformName, float size)
{
  // "<file>|<index>|<embolden>|<oblique>"
  const size_t a = platformName.find('|');
  const size_t b = a == std::string::npos ? a : platformName.find('|', a + 1);
  const size_t c = b == std::string::npos ? b : platformName.find('|', b + 1);
  if (c == std::string::npos || !(size > 0.0f) || size > 8192.0f) return nullptr;
  const std::string file = platformName.substr(0, a);
  const long index = std::strtol(platformName.c_str() + a + 1, nullptr, 10);

  GDI_Lock lock(GDI_FreeTypeMutex());
  FT_Library lib = Library();
  if (!lib) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(lib, file.c_str(), index, &face) != 0) return nullptr;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0 ||
      FT_Set_Char_Size(face, 0, (FT_F26Dot6)(size * 64.0f + 0.5f), 72, 72) != 0) {
    FT_Done_Face(face);
    return nullptr;
  }
  GDI_Font* font = new (std::nothrow) GDI_Font;
  if (!font) {
    FT_Done_Face(face);
    return nullptr;
  }
  font->mFace = face;
  font->mSize = size;
  font->mPlatformName = platformName;
  font->mEmbolden = platformName[b + 1] == '1';
  font->mOblique = platformName[c + 1] == '1';
  font->mUnitScale = (double)size / face->units_per_EM;
  font->mMetrics.mAscent = face->ascender * font->mUnitScale;
  font->mMetrics.mDescent = -face->descender * font->mUnitScale;
  const double gap = (double)face->height - face->ascender + face->descender;
  font->mMetrics.mLeading = gap > 0 ? gap * font->mUnitScale : 0.0;
  return font;
}

GDI_Font* GDI_FontOpenLabel(float size)
{
  const std::string name = GDI_ResolveFontName("sans-serif", false, false);
  return name.empty() ? nullptr : GDI_FontOpen(name, size);
}

GDI_Font* GDI_DefaultFont()
{
  static GDI_Font* font = GDI_FontOpenLabel(10.0f);
  return font;
}

void GDI_FontRelease(GDI_Font* font)
{
  if (!font || font == GDI_DefaultFont()) return;
  GDI_Lock lock(GDI_FreeTypeMutex());
  if (font->mFallback) {
    FT_Done_Face(font->mFallback->mFace);
    delete font->mFallback;
  }
  FT_Done_Face(font->mFace);
  delete font;
}

GDI_FontMetrics GDI_FontGetMetrics(const GDI_Font* font)
{
  return font->mMetrics;
}

float GDI_FontGetSize(const GDI_Font* font)
{
  return font->mSize;
}

std::string GDI_FontFamilyName(const GDI_Font* font)
{
  return font && font->mFace->family_name ? font->mFace->family_name : "";
}

bool GDI_FontIsSyntheticBold(const GDI_Font* font)
{
  return font && font->mEmbolden;
}

void GDI_FontLayoutLine(GDI_Font* font, const char* text, int len, GDI_LineLayout* out)
{
  out->mGlyphs.clear();
  out->mWidth = 0.0;
  if (!font || !text || len <= 0) return;
  // Resolving the fallback face may consult fontconfig, which takes this lock too (it is recursive).
  GDI_Lock lock(GDI_FreeTypeMutex());
  double pen = 0.0;
  GDI_Font* previousFont = nullptr;
  unsigned int previous = 0;
  for (int i = 0; i < len;) {
    unsigned int cp = 0;
    i += GDI_DecodeUTF8(text + i, len - i, &cp);
    if (cp == '\t') cp = ' ';
    GDI_Font* from = font;
    unsigned int glyph = FT_Get_Char_Index(font->mFace, cp);
    if (!glyph && cp >= 0x20)
      if (GDI_Font* fb = Fallback(font))
        if (const unsigned int g = FT_Get_Char_Index(fb->mFace, cp)) {
          from = fb;
          glyph = g;
        }
    if (from == previousFont && previous && glyph && FT_HAS_KERNING(from->mFace)) {
      FT_Vector delta;
      if (FT_Get_Kerning(from->mFace, previous, glyph, FT_KERNING_UNSCALED, &delta) == 0)
        pen += delta.x * from->mUnitScale;
    }
    out->mGlyphs.push_back({from, glyph, pen});
    if (LoadGlyph(from, glyph))
      pen += from->mFace->glyph->linearHoriAdvance / 65536.0 + (from->mEmbolden ? EmboldenStrength(from) : 0.0);
    previousFont = from;
    previous = glyph;
  }
  out->mWidth = pen;
}

void GDI_FontDrawLine(GDI_Font* font, const GDI_LineLayout& line, GDI_Surface* surface, double x, double y,
                      const GDI_Color& color, bool antiAlias)
{
  if (!font || !surface || surface->ClipIsEmpty() || !color.mValid) return;
  // Glyphs entirely outside the clip are skipped before rendering; this bounds the work for text
  // placed far off the surface.
  const GDI_SurfaceState& st = surface->mState;
  const double reach = font->mSize * 4.0 + 64.0;
  if (!(y + reach >= st.mClipTop && y - reach <= st.mClipBottom)) return;

  GDI_Lock lock(GDI_FreeTypeMutex());
  for (const GDI_PlacedGlyph& g : line.mGlyphs) {
    const double gx = x + g.mX;
    if (!(gx + reach >= st.mClipLeft && gx - reach <= st.mClipRight)) continue;
    GDI_Font* from = g.mFont ? g.mFont : font;
    if (!LoadGlyph(from, g.mGlyph)) continue;
    ApplySyntheticStyle(from);
    FT_GlyphSlot slot = from->mFace->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) continue;
    // Whole-pixel origin plus a sub-pixel shift of the outline (FreeType's y axis points up).
    const double ox = std::floor(gx), oy = std::floor(y);
    FT_Outline_Translate(&slot->outline, (FT_Pos)((gx - ox) * 64.0 + 0.5), -(FT_Pos)((y - oy) * 64.0 + 0.5));
    if (FT_Render_Glyph(slot, antiAlias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) continue;
    BlendBitmap(slot->bitmap, (int)ox + slot->bitmap_left, (int)oy - slot->bitmap_top, surface, color);
  }
}

#pragma once
// Platform fonts of this layer: a FreeType face at a size, with synthetic bold or slant when the
// installed face lacks the style, plus the layout and glyph drawing that text needs. Faces are
// found by name through fontconfig; GDI_ResolveFontName caches each face-and-style once.

#include <string>
#include <vector>

struct GDI_Color;
struct GDI_Surface;

struct GDI_FontMetrics
{
  double mAscent;  // above the baseline, pixels
  double mDescent; // below the baseline, positive
  double mLeading; // extra gap between lines
};

struct GDI_Font;

// One glyph placed on a line: the font it comes from (the line's font, or the fallback face for
// characters that font lacks), its index there and its pen position from the line's start.
struct GDI_PlacedGlyph
{
  GDI_Font* mFont;
  unsigned int mGlyph;
  double mX;
};

struct GDI_LineLayout
{
  std::vector<GDI_PlacedGlyph> mGlyphs;
  double mWidth = 0.0; // typographic width: the sum of advances and kerning
};

// The platform font name for a face and style ("<file>|<index>|<embolden>|<oblique>"), resolved
// through fontconfig once per face and style; faces that are not installed fall back to an
// installed face of the same kind (monospaced, serif or sans). Empty when nothing is installed.
std::string GDI_ResolveFontName(const char* face, bool bold, bool italic);
// Number of names resolved so far (for tests).
int GDI_FontNameCacheSize();

// Opens a platform font name at a size in pixels; null on failure.
GDI_Font* GDI_FontOpen(const std::string& platformName, float size);
// The face of system labels (sans) at a size; null when no font is installed.
GDI_Font* GDI_FontOpenLabel(float size);
// The process-wide default font: the label face at size 10, made on first use, never freed.
GDI_Font* GDI_DefaultFont();
void GDI_FontRelease(GDI_Font* font);

GDI_FontMetrics GDI_FontGetMetrics(const GDI_Font* font);
float GDI_FontGetSize(const GDI_Font* font);
// The face's family name as installed (for tests and diagnostics).
std::string GDI_FontFamilyName(const GDI_Font* font);
bool GDI_FontIsSyntheticBold(const GDI_Font* font);

// Lays out UTF-8 text (len bytes) on one line.
void GDI_FontLayoutLine(GDI_Font* font, const char* text, int len, GDI_LineLayout* out);
// Draws a laid-out line with its origin (pen start, baseline) at device position (x, y), blending
// the colour by glyph coverage inside the surface's clip.
void GDI_FontDrawLine(GDI_Font* font, const GDI_LineLayout& line, GDI_Surface* surface, double x, double y,
                      const GDI_Color& color, bool antiAlias);

#pragma once
// Fonts of the raster library: text drawn into any bitmap, either handed to the platform text renderer
// (gdi/gdi.h) or rendered once per character into an 8-bit coverage mask, cached, and blended into the
// bitmap in any blend mode.
//
// Raster_CachedFont keeps the masks of characters 0-127 in a table indexed by code and the others in a
// list sorted by code; all masks live one after another in one coverage cache. DrawText takes the
// platform path when the font asks for it (FONT_USE_NATIVE) and nothing needs the masks (effects,
// vertical text, a translucent colour, TEXT_NONATIVE), else the glyph cache. Fonts are used from the
// editor's thread only: the scratch bitmaps they share are not locked.

#include "gdi/gdi.h"
#include "raster/Raster_IBitmap.h"

#include <cstddef>
#include <vector>

// Font flags (SetFromHFont).
#define FONT_VERTICAL 0x1     // glyphs turned 90 degrees clockwise, text runs downward
#define FONT_BOTTOMUP 0x2     // with FONT_VERTICAL: turned counter-clockwise, text runs upward
#define FONT_PRECALCALL 0x4   // render characters 0-127 at once; never cache others
#define FONT_FX_BLUR 0x10     // blur each glyph before taking its coverage
#define FONT_FX_INVERT 0x20   // invert coverage
#define FONT_FX_MONO 0x40     // coverage above 130 becomes 255, the rest 0
#define FONT_FX_SHADOW 0x80   // mono, plus 128 where the left, upper-left or upper neighbour is full
#define FONT_FX_OUTLINE 0x100 // mono, plus 128 where a neighbour above, below, left or right is full
#define FONT_OWNS_HFONT 0x200 // the font deletes its platform font when replaced or destroyed
#define FONT_USE_NATIVE 0x400 // draw through the platform renderer when nothing needs the masks

class Raster_IFont
{
public:
  virtual ~Raster_IFont() {}
  virtual void SetFromHFont(HGDIOBJ__* font, int flags) = 0;
  // The setters answer the previous value.
  virtual unsigned int SetTextColor(unsigned int color) = 0;
  virtual unsigned int SetBkColor(unsigned int color) = 0;
  virtual unsigned int SetEffectColor(unsigned int color) = 0;
  virtual int SetBkMode(int mode) = 0;
  virtual void SetCombineMode(int mode, float alpha) = 0;
  // Draws (or with TEXT_CALCRECT measures) count bytes of UTF-8 (count < 0: up to the terminator) in
  // rect with the TEXT_ format flags; answers the text's height (width for vertical fonts).
  virtual int DrawText(Raster_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int format) = 0;
  virtual unsigned int GetTextColor() = 0;
  virtual HGDIOBJ__* GetHFont() = 0;
  virtual int GetLineHeight() = 0;
};

// Reads one character with GDI_DecodeUTF8 (gdi/GDI_UTF8.h): well-formed 2- and 3-byte sequences give
// their code, a well-formed 4-byte sequence gives a space (the cache keeps 16-bit codes); anything else -
// ASCII, stray continuation bytes, overlong or surrogate forms, code points past U+10FFFF, sequences cut
// short, bytes 0xC0, 0xC1 and 0xF5 up - is one character equal to its first byte. Answers the bytes
// consumed (0 only at the terminating zero).
int utf8char(const char* p, unsigned short* out);
// The same reading at most avail bytes: a sequence the end cuts short is its first byte alone.
int Raster_UTF8Char(const char* p, int avail, unsigned short* out);

struct Raster_ShapeTarget;

class Raster_CachedFont : public Raster_IFont
{
public:
  Raster_CachedFont();
  ~Raster_CachedFont() override;
  Raster_CachedFont(const Raster_CachedFont&) = delete;
  Raster_CachedFont& operator=(const Raster_CachedFont&) = delete;

  void SetFromHFont(HGDIOBJ__* font, int flags) override;
  unsigned int SetTextColor(unsigned int color) override;
  unsigned int SetBkColor(unsigned int color) override;
  unsigned int SetEffectColor(unsigned int color) override;
  int SetBkMode(int mode) override;
  void SetCombineMode(int mode, float alpha) override;
  int DrawText(Raster_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int format) override;
  unsigned int GetTextColor() override { return mTextColor; }
  HGDIOBJ__* GetHFont() override { return mFont; }
  int GetLineHeight() override { return mLineHeight; }

  // One character's mask: position is 1 + its offset in the coverage cache, 0 before rendering, -1 for
  // a character with nothing to show.
  struct GlyphRecord
  {
    int mPos = 0;
    int mWidth = 0;
    int mHeight = 0;
    int mAdvance = 0;
    unsigned short mChar = 0;
  };
  // The record of ch, rendering it first when needed; null when ch cannot be rendered.
  const GlyphRecord* GetGlyph(unsigned short ch);
  const unsigned char* GetCoverage(const GlyphRecord& g) const { return mCoverage.data() + g.mPos - 1; }
  size_t GetCoverageSize() const { return mCoverage.size(); }

private:
  GlyphRecord* FindRecord(unsigned short ch, bool create);
  bool RenderGlyph(unsigned short ch);
  void FinishMask(GlyphRecord* g, int advance, int boxW, int boxH);
  int DrawNative(Raster_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int format);
  int MeasureCached(const char* str, int count, unsigned int format, int* width, int* height);
  int DrawCached(Raster_IBitmap* bm, const char* str, int count, RECT* rect, unsigned int format);
  void DrawGlyph(Raster_IBitmap* bm, const Raster_ShapeTarget& t, const GlyphRecord& g, long long x, long long y,
                 const RECT& clip, float alpha);

  unsigned int mTextColor = 0;
  unsigned int mBkColor = 0xFFFFFFFFu;
  unsigned int mEffectColor = 0xFFFFFFFFu;
  int mCombineMode = 0;
  float mCombineAlpha = 1.0f;
  int mBkMode = 0;
  HGDIOBJ__* mFont = nullptr;
  int mFlags = 0;
  int mLineHeight = 0;
  int mExtraLineSpacing = 0; // added at line feeds; nothing sets it
  GlyphRecord mLowChars[128];
  std::vector<GlyphRecord> mExtChars; // sorted by code
  std::vector<unsigned char> mCoverage;
};

#pragma once
// Blending one cached glyph mask into a bitmap, written once over a combine kernel K and instantiated
// per blend mode. Every routine offers the colour's R, G, B and 255 for the alpha byte, so in copy mode
// a fully covered pixel at weight 256 becomes exactly the colour, opaque.

#include "raster/Raster_BlitSIMD.h"
#include "raster/Raster_Kernels.h"

#include <type_traits>

// A w x h block of the mask (rows maskSpan apart) onto dest (rows destStep bytes apart).
struct Raster_GlyphBlock
{
  const unsigned char* mMask;
  int mMaskSpan;
  unsigned char* mDest;
  long mDestStep;
  int mWidth, mHeight;
};

template <class K>
struct GlyphRenderer
{
  using Block = Raster_GlyphBlock;

  // Coverage c > 0 at weight c + 1 when alpha is 256, else min(alpha * c / 256, 256).
  static void Normal(const Block& b, unsigned int color, int alpha)
  {
    const int r = Raster_GetR(color), g = Raster_GetG(color), bl = Raster_GetB(color);
    if constexpr (std::is_same<K, _Raster_CombinePixelsCopyNoClamp>::value) {
      // Opaque copy, the editor's text: rows at a time (full coverage gives the colour word itself).
      if (alpha == 256) {
        const Raster_PixelWord word = Raster_RGBA(r, g, bl, 255);
        if (Raster_BlitSimdEnabled()) {
          Raster_SIMD_GlyphCopyBlock(b.mDest, b.mDestStep, b.mMask, b.mMaskSpan, b.mWidth, b.mHeight, word);
          return;
        }
        forEach(b, [&](unsigned char* d, int c) {
          if (c == 255)
            *(Raster_PixelWord*)d = word;
          else
            K::doPix(d, r, g, bl, 255, c + 1);
        });
        return;
      }
    }
    forEach(b, [&](unsigned char* d, int c) {
      int w = alpha == 256 ? c + 1 : alpha * c / 256;
      if (w > 256) w = 256;
      if (w) K::doPix(d, r, g, bl, 255, w);
    });
  }
  // Every covered pixel at the one weight.
  static void Mono(const Block& b, unsigned int color, int alpha)
  {
    const int r = Raster_GetR(color), g = Raster_GetG(color), bl = Raster_GetB(color);
    forEach(b, [&](unsigned char* d, int) { K::doPix(d, r, g, bl, 255, alpha); });
  }
  // Full coverage in the text colour, the effect pixels (any other coverage) in the effect colour.
  static void Effect(const Block& b, unsigned int color, unsigned int effect, int alpha)
  {
    forEach(b, [&](unsigned char* d, int c) {
      const unsigned int col = c == 255 ? color : effect;
      K::doPix(d, Raster_GetR(col), Raster_GetG(col), Raster_GetB(col), 255, alpha);
    });
  }

private:
  template <class Fn>
  static void forEach(const Block& b, Fn&& fn)
  {
    const unsigned char* m = b.mMask;
    unsigned char* d = b.mDest;
    for (int y = 0; y < b.mHeight; ++y, m += b.mMaskSpan, d += b.mDestStep)
      for (int x = 0; x < b.mWidth; ++x)
        if (m[x]) fn(d + 4 * x, m[x]);
  }
};

#pragma once
// Blending one colour into surface pixels by coverage. Every drawing routine of this layer ends
// here, so the pixel byte order (X, R, G, B) and the rounding live in one place.

#include "gdi/GDI_Records.h"

// Coverage 0..255 already multiplied by the colour's opacity. Full coverage writes the colour exactly
// and makes the pixel opaque (byte 0 = 255).
inline void GDI_BlendPixel(unsigned char* p, const GDI_Color& c, int cov)
{
  if (cov <= 0) return;
  if (cov >= 255) {
    p[0] = 255;
    p[1] = c.mRed;
    p[2] = c.mGreen;
    p[3] = c.mBlue;
    return;
  }
  const int inv = 255 - cov;
  p[0] = (unsigned char)((255 * cov + p[0] * inv + 127) / 255);
  p[1] = (unsigned char)((c.mRed * cov + p[1] * inv + 127) / 255);
  p[2] = (unsigned char)((c.mGreen * cov + p[2] * inv + 127) / 255);
  p[3] = (unsigned char)((c.mBlue * cov + p[3] * inv + 127) / 255);
}

// The colour's opacity as a 0..255 factor.
inline int GDI_ColorOpacity255(const GDI_Color& c)
{
  return (int)(c.mAlpha * 255.0f + 0.5f);
}

// Scales a coverage 0..255 by an opacity 0..255.
inline int GDI_ScaleCoverage(int cov, int opacity255)
{
  return (cov * opacity255 + 127) / 255;
}

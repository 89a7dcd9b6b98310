#pragma once
// What the line, curve and shape loops draw into: a bitmap's memory seen as rows top to bottom of
// memory, with a flipped bitmap's y already mirrored by the public entry point. Keeping the loops in
// memory coordinates lets one shape build on another (polygons on trapezoids, arcs on the circle
// drawer) without mirroring twice.

#include "raster/Raster_FixedPoint.h"
#include "raster/Raster_IBitmap.h"
#include "raster/Raster_Pixel.h"

#include <climits>
#include <cmath>

struct Raster_ShapeTarget
{
  Raster_PixelWord* mBits = nullptr;
  int mWidth = 0, mHeight = 0;
  long mSpan = 0; // pixels per memory row
  bool mFlipped = false;

  Raster_PixelWord* at(int x, int y) const { return mBits + (long)y * mSpan + x; }
  bool contains(long long x, long long y) const { return x >= 0 && y >= 0 && x < mWidth && y < mHeight; }
  // Image row to memory row (its own inverse).
  int mirrorY(int y) const { return mFlipped ? mHeight - 1 - y : y; }
  double mirrorY(double y) const { return mFlipped ? mHeight - 1 - y : y; }
};

// False when there is nothing to draw into.
inline bool Raster_GetShapeTarget(Raster_IBitmap* bm, Raster_ShapeTarget* t)
{
  if (!bm) return false;
  t->mBits = bm->getBits();
  t->mWidth = bm->getWidth();
  t->mHeight = bm->getHeight();
  t->mSpan = bm->getRowSpan();
  t->mFlipped = bm->isFlipped();
  return t->mBits && t->mWidth > 0 && t->mHeight > 0;
}

// The alpha a shape draws at: with RASTER_BLEND_USE_SOURCE_ALPHA it is scaled by the colour's own alpha
// byte, in single precision like the float the caller gave.
inline float Raster_ShapeAlpha(unsigned int color, float alpha, int mode)
{
  if (mode & RASTER_BLEND_USE_SOURCE_ALPHA) alpha *= (float)(color & 0xFF) / 255.0f;
  return alpha;
}

// Copy-mode weights that have a whole-word formula (colour, half, quarter, three-quarter word), as
// 256, 128, 64 and 192; 0 for every other alpha. Only exact alphas qualify.
inline int Raster_ShapeWordWeight(float alpha, int mode)
{
  if ((mode & RASTER_BLEND_MODE_MASK) != RASTER_BLEND_COPY) return 0;
  if (alpha == 1.0f) return 256;
  if (alpha == 0.5f) return 128;
  if (alpha == 0.25f) return 64;
  if (alpha == 0.75f) return 192;
  return 0;
}

inline bool Raster_AllFinite(double a, double b, double c, double d)
{
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// a + b held within the int range, for corners of shapes given near it.
inline int Raster_SatAdd(long long a, long long b)
{
  const long long s = a + b;
  return (int)(s > INT_MAX ? INT_MAX : (s < INT_MIN ? INT_MIN : s));
}

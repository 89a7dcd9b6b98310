// Sub-pixel anti-aliased lines and the float line clippers.

#include "raster/Raster_Line.h"

#include "raster/Raster_LineClass.h"
#include "raster/Raster_LineClip.h"

#include <cmath>

bool ClipFLine(float* x1, float* y1, float* x2, float* y2, int w, int h)
{
  return Raster_ClipFLine(x1, y1, x2, y2, 0, 0, w, h);
}

bool Raster_ClipFLine(float* x1, float* y1, float* x2, float* y2, int left, int top, int right, int bottom)
{
  if (!x1 || !y1 || !x2 || !y2 || !Raster_AllFinite(*x1, *y1, *x2, *y2)) return false;
  double X1 = (double)*x1 - left, Y1 = (double)*y1 - top, X2 = (double)*x2 - left, Y2 = (double)*y2 - top;
  if (!Raster_ClipLineT<double>(X1, Y1, X2, Y2, (double)right - left, (double)bottom - top)) return false;
  *x1 = (float)(X1 + left);
  *y1 = (float)(Y1 + top);
  *x2 = (float)(X2 + left);
  *y2 = (float)(Y2 + top);
  return true;
}

namespace {

// The integer line of truncated float coordinates; values beyond the int range saturate, which the
// clipper then treats as lying far outside.
int truncated(float v)
{
  if (v >= 2147483520.0f) return INT_MAX;
  if (v <= -2147483648.0f) return INT_MIN;
  return (int)v;
}

} // namespace

void Raster_FLine(Raster_IBitmap* dest, float x1, float y1, float x2, float y2, unsigned int color, float alpha,
                  int mode, bool aa)
{
  if (!Raster_AllFinite(x1, y1, x2, y2)) return;
  if (!aa) {
    Raster_Line(dest, truncated(x1), truncated(y1), truncated(x2), truncated(y2), color, alpha, mode, false);
    return;
  }
  Raster_ShapeTarget t;
  if (!Raster_GetShapeTarget(dest, &t)) return;
  alpha = Raster_ShapeAlpha(color, alpha, mode);
  const int weight = Raster_WeightFromAlpha(alpha);
  if (weight == 0) return;
  double X1 = x1, Y1 = t.mirrorY((double)y1), X2 = x2, Y2 = t.mirrorY((double)y2);
  if (!Raster_ClipLineT<double>(X1, Y1, X2, Y2, t.mWidth, t.mHeight)) return;
  if (X1 == X2 && Y1 == Y2) return;
  const Raster_LineColor c(color);
  Raster_WithShapeVaryingKernel(mode, weight, [&](auto kernel) {
    __Raster_LineClass<decltype(kernel)>::Raster_FLineImpl(t, X1, Y1, X2, Y2, c, weight);
  });
}

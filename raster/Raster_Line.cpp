// Integer lines, dashed lines and rectangle outlines, and the integer line clippers.

#include "raster/Raster_Line.h"

#include "raster/Raster_Fill.h"
#include "raster/Raster_LineClass.h"
#include "raster/Raster_LineClip.h"

#include <utility>

bool ClipLine(int* x1, int* y1, int* x2, int* y2, int w, int h)
{
  return Raster_ClipLine(x1, y1, x2, y2, 0, 0, w, h);
}

bool Raster_ClipLine(int* x1, int* y1, int* x2, int* y2, int left, int top, int right, int bottom)
{
  if (!x1 || !y1 || !x2 || !y2) return false;
  long long X1 = (long long)*x1 - left, Y1 = (long long)*y1 - top, X2 = (long long)*x2 - left,
            Y2 = (long long)*y2 - top;
  if (!Raster_ClipLineT<long long>(X1, Y1, X2, Y2, (long long)right - left, (long long)bottom - top)) return false;
  *x1 = (int)(X1 + left);
  *y1 = (int)(Y1 + top);
  *x2 = (int)(X2 + left);
  *y2 = (int)(Y2 + top);
  return true;
}

namespace {

// Mirrors y for a flipped bitmap and clips to it; the result is in memory coordinates.
bool clipToTarget(const Raster_ShapeTarget& t, int& x1, int& y1, int& x2, int& y2)
{
  long long X1 = x1, X2 = x2, Y1 = y1, Y2 = y2;
  if (t.mFlipped) {
    Y1 = t.mHeight - 1 - Y1;
    Y2 = t.mHeight - 1 - Y2;
  }
  if (!Raster_ClipLineT<long long>(X1, Y1, X2, Y2, t.mWidth, t.mHeight)) return false;
  x1 = (int)X1;
  y1 = (int)Y1;
  x2 = (int)X2;
  y2 = (int)Y2;
  return true;
}

// An exact diagonal, anti-aliased: 3/4 of the weight on the line, 1/4 on each pixel of the steps
// between; in copy mode at alpha 1.0 with the three-quarter and quarter words.
void diagonalAA(const Raster_ShapeTarget& t, int x1, int y1, int x2, int y2, const Raster_LineColor& c, float alpha,
                int mode, int weight)
{
  const int n = x2 > x1 ? x2 - x1 : x1 - x2;
  const long xStep = x2 > x1 ? 1 : -1, yStep = y2 > y1 ? t.mSpan : -t.mSpan;
  Raster_PixelWord* p = t.at(x1, y1);
  if (Raster_ShapeWordWeight(alpha, mode) == 256) {
    __Raster_LineClassSimple<Raster_WordKernel<_Raster_CombinePixelsThreeQuarterMix2FAST>>::Raster_DiagLineAA<
        Raster_WordKernel<_Raster_CombinePixelsQuarterMix2FAST>>(p, xStep, yStep, n, c, 192, 64);
    return;
  }
  Raster_WithShapeVaryingKernel(mode, weight, [&](auto kernel) {
    using K = decltype(kernel);
    __Raster_LineClassSimple<K>::template Raster_DiagLineAA<K>(p, xStep, yStep, n, c, 3 * weight / 4, weight / 4);
  });
}

} // namespace

void Raster_Line(Raster_IBitmap* dest, int x1, int y1, int x2, int y2, unsigned int color, float alpha, int mode,
                 bool aa)
{
  Raster_ShapeTarget t;
  if (!Raster_GetShapeTarget(dest, &t)) return;
  alpha = Raster_ShapeAlpha(color, alpha, mode);
  const int weight = Raster_WeightFromAlpha(alpha);
  if (weight == 0 || !clipToTarget(t, x1, y1, x2, y2)) return;
  const Raster_LineColor c(color);

  if (y1 == y2 || x1 == x2) {
    if (y1 == y2 && x2 < x1) std::swap(x1, x2);
    if (x1 == x2 && y2 < y1) std::swap(y1, y2);
    Raster_PixelWord* p = t.at(x1, y1);
    Raster_WithShapeWordKernel(alpha, mode, weight, [&](auto kernel) {
      using L = __Raster_LineClassSimple<decltype(kernel)>;
      if (y1 == y2)
        L::Raster_HorizLine(p, x2 - x1 + 1, c, weight);
      else
        L::Raster_VertLine(p, t.mSpan, y2 - y1 + 1, c, weight);
    });
    return;
  }

  const int adx = x2 > x1 ? x2 - x1 : x1 - x2, ady = y2 > y1 ? y2 - y1 : y1 - y2;
  if (adx == ady) {
    if (aa) {
      diagonalAA(t, x1, y1, x2, y2, c, alpha, mode, weight);
      return;
    }
    const long step = (x2 > x1 ? 1 : -1) + (y2 > y1 ? t.mSpan : -t.mSpan);
    Raster_WithShapeWordKernel(alpha, mode, weight, [&](auto kernel) {
      __Raster_LineClassSimple<decltype(kernel)>::Raster_DiagLine(t.at(x1, y1), step, adx + 1, c, weight);
    });
    return;
  }

  auto draw = [&](auto kernel) {
    __Raster_LineClass<decltype(kernel)>::Raster_LineImpl(t, x1, y1, x2, y2, c, weight, aa);
  };
  if (aa)
    Raster_WithShapeVaryingKernel(mode, weight, draw);
  else
    Raster_WithShapeKernel(mode, weight, draw);
}

void Raster_DashedLine(Raster_IBitmap* dest, int x1, int y1, int x2, int y2, int onLength, int offLength,
                       unsigned int color, float alpha, int mode, bool aa)
{
  (void)aa; // horizontal and vertical lines have nothing to smooth
  if ((x1 != x2 && y1 != y2) || onLength <= 0) return;
  if (offLength < 0) offLength = 0;
  Raster_ShapeTarget t;
  if (!Raster_GetShapeTarget(dest, &t)) return;
  alpha = Raster_ShapeAlpha(color, alpha, mode);
  const int weight = Raster_WeightFromAlpha(alpha);
  if (weight == 0 || !clipToTarget(t, x1, y1, x2, y2)) return;
  if (y1 == y2 && x2 < x1) std::swap(x1, x2);
  if (x1 == x2 && y2 < y1) std::swap(y1, y2);
  const Raster_LineColor c(color);
  const bool horizontal = y1 == y2;
  const int n = horizontal ? x2 - x1 : y2 - y1;
  const long step = horizontal ? 1 : t.mSpan;
  Raster_WithShapeKernel(mode, weight, [&](auto kernel) {
    __Raster_LineClass<decltype(kernel)>::DashedLine(t.at(x1, y1), step, n, onLength, offLength, c, weight);
  });
}

void Raster_DrawRect(Raster_IBitmap* dest, int x, int y, int w, int h, unsigned int color, float alpha, int mode)
{
  // Corners past the int range saturate rather than wrap round to the far side.
  const int r = Raster_SatAdd(x, w), b = Raster_SatAdd(y, h);
  Raster_Line(dest, x, y, r, y, color, alpha, mode, false);
  Raster_Line(dest, r, y, r, b, color, alpha, mode, false);
  Raster_Line(dest, r, b, x, b, color, alpha, mode, false);
  Raster_Line(dest, x, b, x, y, color, alpha, mode, false);
}

void Raster_BorderedRect(Raster_IBitmap* dest, int x, int y, int w, int h, unsigned int fillColor,
                         unsigned int lineColor, float alpha, int mode)
{
  Raster_FillRect(dest, Raster_SatAdd(x, 1), Raster_SatAdd(y, 1), Raster_SatAdd(w, -1), Raster_SatAdd(h, -1), fillColor,
                  alpha, mode);
  Raster_DrawRect(dest, x, y, w, h, lineColor, alpha, mode);
}

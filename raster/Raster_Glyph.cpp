// Coverage-mask blending in one colour.

#include "raster/Raster_Glyph.h"

#include "raster/Raster_KernelChoice.h"

void Raster_DrawGlyph(Raster_IBitmap* dest, int x, int y, unsigned int color, const unsigned char* mask, int maskWidth,
                      int maskHeight, float alpha, int mode)
{
  Raster_DrawGlyphEx(dest, x, y, color, mask, maskWidth, maskWidth, maskHeight, alpha, mode);
}

void Raster_DrawGlyphEx(Raster_IBitmap* dest, int x, int y, unsigned int color, const unsigned char* mask,
                        int maskWidth, int maskSpan, int maskHeight, float alpha, int mode)
{
  if (!dest || !mask || maskWidth <= 0 || maskHeight <= 0) return;
  Raster_PixelWord* bits = dest->getBits();
  const int W = dest->getWidth(), H = dest->getHeight();
  if (!bits || W <= 0 || H <= 0) return;

  // Left and top overhang skip mask columns and rows; the far edges are worked out in 64 bits.
  long long x0 = x, y0 = y, mx = 0, my = 0, w = maskWidth, h = maskHeight;
  if (x0 < 0) {
    mx = -x0;
    w += x0;
    x0 = 0;
  }
  if (y0 < 0) {
    my = -y0;
    h += y0;
    y0 = 0;
  }
  if (x0 + w > W) w = W - x0;
  if (y0 + h > H) h = H - y0;
  if (w <= 0 || h <= 0) return;

  const int weight = Raster_WeightFromAlpha(alpha);
  const int r = Raster_GetR(color), g = Raster_GetG(color), b = Raster_GetB(color), a = Raster_GetA(color);
  const unsigned char* mrow = mask + my * maskSpan + mx;
  Raster_PixelWord* drow = Raster_ImageRow(dest, bits, (int)y0) + x0;
  const long rowStep = Raster_ImageRowStep(dest);
  Raster_WithShapeVaryingKernel(mode, weight, [&](auto kernel) {
    using K = decltype(kernel);
    const unsigned char* m = mrow;
    unsigned char* d = (unsigned char*)drow;
    for (long long j = 0; j < h; ++j, m += maskSpan, d += rowStep) {
      for (long long i = 0; i < w; ++i) {
        const int pw = weight * m[i] / 256;
        if (pw) K::doPix(d + 4 * i, r, g, b, a, pw);
      }
    }
  });
}

// Single-pixel reads and writes, the span fill, colour-key alpha and bitmap comparison.

#include "raster/Raster_Fill.h"

#include "raster/Raster_Clip.h"
#include "raster/Raster_FixedPoint.h"
#include "raster/Raster_KernelChoice.h"

#include <cstring>

namespace {

// Address of pixel (x, y) in image coordinates, or null when outside the bitmap or without bits.
Raster_PixelWord* pixelAt(Raster_IBitmap* bm, int x, int y)
{
  if (!bm) return nullptr;
  Raster_PixelWord* bits = bm->getBits();
  if (!bits || x < 0 || y < 0 || x >= bm->getWidth() || y >= bm->getHeight()) return nullptr;
  return Raster_ImageRow(bm, bits, y) + x;
}

} // namespace

unsigned int Raster_GetPixel(Raster_IBitmap* bm, int x, int y)
{
  const Raster_PixelWord* p = pixelAt(bm, x, y);
  return p ? *p : 0;
}

void Raster_PutPixel(Raster_IBitmap* bm, int x, int y, unsigned int color, float alpha, int mode)
{
  Raster_PixelWord* p = pixelAt(bm, x, y);
  if (!p) return;
  const int a = Raster_WeightFromAlpha(alpha);
  if (a == 0) return;
  const int m = mode & RASTER_BLEND_MODE_MASK;
  if (m == RASTER_BLEND_COPY) {
    switch (a) {
    case 64:
      _Raster_CombinePixelsQuarterMix2FAST::doPix(p, color);
      return;
    case 128:
      _Raster_CombinePixelsHalfMixFAST::doPix(p, color);
      return;
    case 192:
      _Raster_CombinePixelsThreeQuarterMix2FAST::doPix(p, color);
      return;
    case 256:
      *p = color;
      return;
    default:
      break;
    }
  }
  // The source-alpha flag plays no part for single pixels; the colour's own alpha is the offered value.
  Raster_WithKernel(m, a, [&](auto kernel) {
    decltype(kernel)::doPix((unsigned char*)p, Raster_GetR(color), Raster_GetG(color), Raster_GetB(color),
                            Raster_GetA(color), a);
  });
}

void Raster_SimpleFill(Raster_IBitmap* dest, int x, int y, unsigned int fillColor, unsigned int compareMask,
                       unsigned int keepMask)
{
  Raster_PixelWord* seed = pixelAt(dest, x, y);
  if (!seed) return;
  Raster_PixelWord* bits = dest->getBits();
  const int W = dest->getWidth(), H = dest->getHeight();
  const Raster_PixelWord ref = *seed & compareMask;
  auto matches = [&](Raster_PixelWord p) { return (p & compareMask) == ref; };
  auto fill = [&](Raster_PixelWord& p) { p = fillColor | (p & keepMask); };

  // One row: stop (false) when column x does not match, else fill the run through x.
  auto fillRow = [&](int row) {
    Raster_PixelWord* line = Raster_ImageRow(dest, bits, row);
    if (!matches(line[x])) return false;
    fill(line[x]);
    for (int i = x + 1; i < W && matches(line[i]); ++i) fill(line[i]);
    for (int i = x - 1; i >= 0 && matches(line[i]); --i) fill(line[i]);
    return true;
  };
  for (int row = y; row < H && fillRow(row); ++row) {}
  for (int row = y - 1; row >= 0 && fillRow(row); --row) {}
}

void Raster_SetAlphaFromColorMask(Raster_IBitmap* dest, unsigned int color)
{
  Raster_ClippedBlock blk;
  if (!dest || !Raster_ClipBlock(dest, 0, 0, dest->getWidth(), dest->getHeight(), &blk)) return;
  Raster_PixelWord* row = blk.first;
  for (int j = 0; j < blk.h; ++j, row = Raster_NextRow(row, blk.rowStep)) {
    for (int i = 0; i < blk.w; ++i) {
      const Raster_PixelWord rgb = row[i] & 0xFFFFFF00u;
      row[i] = rgb == color ? rgb : (rgb | 0xFFu);
    }
  }
}

int Raster_BitmapCmp(Raster_IBitmap* a, Raster_IBitmap* b, int* diffBox)
{
  if (diffBox) diffBox[0] = diffBox[1] = diffBox[2] = diffBox[3] = 0;
  if (!a && !b) return 0;
  if (!b) return 1;
  if (!a) return -1;
  const int w = a->getWidth(), h = a->getHeight();
  if (w != b->getWidth()) return b->getWidth() - w;
  if (h != b->getHeight()) return b->getHeight() - h;
  if (w <= 0 || h <= 0) return 0;

  Raster_PixelWord *abits = a->getBits(), *bbits = b->getBits();
  // A bitmap without storage sorts before one with it; two without are equal.
  if (!abits || !bbits) return abits == bbits ? 0 : (abits ? 1 : -1);

  if (!diffBox) {
    for (int y = 0; y < h; ++y) {
      const int c =
          std::memcmp(Raster_ImageRow(a, abits, y), Raster_ImageRow(b, bbits, y), (size_t)w * sizeof(Raster_PixelWord));
      if (c) return c;
    }
    return 0;
  }

  int top = -1, bottom = -1;
  for (int y = 0; y < h; ++y) {
    if (std::memcmp(Raster_ImageRow(a, abits, y), Raster_ImageRow(b, bbits, y), (size_t)w * 4)) {
      if (top < 0) top = y;
      bottom = y;
    }
  }
  if (top < 0) return 0;

  int left = w, right = -1;
  for (int y = top; y <= bottom; ++y) {
    const Raster_PixelWord *pa = Raster_ImageRow(a, abits, y), *pb = Raster_ImageRow(b, bbits, y);
    for (int x = 0; x < w; ++x) {
      if (pa[x] != pb[x]) {
        if (x < left) left = x;
        if (x > right) right = x;
      }
    }
  }
  diffBox[0] = left;
  diffBox[1] = top;
  diffBox[2] = right - left + 1;
  diffBox[3] = bottom - top + 1;
  return 1;
}

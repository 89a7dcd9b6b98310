// Clearing, solid fills, gradients, multiply-add and per-pixel callbacks over a clipped rectangle.

#include "raster/Raster_Fill.h"

#include "raster/Raster_Clip.h"
#include "raster/Raster_FixedPoint.h"
#include "raster/Raster_KernelChoice.h"
#include "raster/Raster_Template_Blit0.h"
#include "raster/Raster_Template_Blit1.h"

#include <climits>

namespace {

template <class K>
void fillWords(const Raster_ClippedBlock& blk, Raster_PixelWord color)
{
  _Raster_Template_Blit0<K>::solidBlitFAST(blk.first, blk.w, blk.h, color, (int)(blk.rowStep / 4));
}

// A gradient start left of (or above) the image: move it to 0 and advance the four channels by the
// steps skipped, so the visible part keeps its colours.
void clipLeadingEdge(long long& pos, long long& len, double& r, double& g, double& b, double& a, double dr, double dg,
                     double db, double da)
{
  if (pos >= 0) return;
  r -= pos * dr;
  g -= pos * dg;
  b -= pos * db;
  a -= pos * da;
  len += pos;
  pos = 0;
}

// Copy-mode weights with an exact whole-word formula; false for the others.
bool fillCopyWords(const Raster_ClippedBlock& blk, Raster_PixelWord color, int alpha)
{
  switch (alpha) {
  case 64:
    fillWords<_Raster_CombinePixelsQuarterMix2FAST>(blk, color);
    return true;
  case 128:
    fillWords<_Raster_CombinePixelsHalfMixFAST>(blk, color);
    return true;
  case 192:
    fillWords<_Raster_CombinePixelsThreeQuarterMix2FAST>(blk, color);
    return true;
  case 256:
    fillWords<_Raster_CombinePixelsClobberFAST>(blk, color);
    return true;
  default:
    return false;
  }
}

// (int)(v * 256) for the multiply-add factors, held where channel * scale + add stays inside an int.
int scaleFactor(float v)
{
  const double f = (double)v * 256.0;
  const double lim = (double)(1 << 22);
  if (!(f == f)) return 0;
  if (f > lim) return 1 << 22;
  if (f < -lim) return -(1 << 22);
  return (int)f;
}

inline unsigned char mulAdd(unsigned char c, int scale, int add)
{
  return (unsigned char)Raster_Clamp255((c * scale + add) >> 8);
}

} // namespace

void Raster_Clear(Raster_IBitmap* dest, unsigned int color)
{
  Raster_ClippedBlock blk;
  if (!dest || !Raster_ClipBlock(dest, 0, 0, dest->getWidth(), dest->getHeight(), &blk)) return;
  fillWords<_Raster_CombinePixelsClobberFAST>(blk, color);
}

void Raster_ClearRect(Raster_IBitmap* dest, int x, int y, int w, int h, unsigned int mask, unsigned int orBits)
{
  Raster_ClippedBlock blk;
  if (!Raster_ClipBlock(dest, x, y, w, h, &blk)) return;
  Raster_PixelWord* row = blk.first;
  for (int j = 0; j < blk.h; ++j, row = Raster_NextRow(row, blk.rowStep))
    for (int i = 0; i < blk.w; ++i) row[i] = (row[i] & mask) | orBits;
}

void Raster_FillRect(Raster_IBitmap* dest, int x, int y, int w, int h, unsigned int color, float alpha, int mode)
{
  // Single precision, like the caller's alpha: (int)(0.6f * (128 / 255.0f) * 256) is what callers see.
  float weight = alpha;
  if (mode & RASTER_BLEND_USE_SOURCE_ALPHA) weight *= (float)(color & 0xFF) / 255.0f;
  if (weight == 0.0f) return;

  Raster_ClippedBlock blk;
  if (!Raster_ClipBlock(dest, x, y, w, h, &blk)) return;
  const int a = Raster_WeightFromAlpha(weight);
  if (a == 0) return;

  const int m = mode & RASTER_BLEND_MODE_MASK;
  if (m > RASTER_BLEND_HSVADJ) return;
  if (m == RASTER_BLEND_COPY && fillCopyWords(blk, color, a)) return;

  const int r = Raster_GetR(color), g = Raster_GetG(color), b = Raster_GetB(color);
  // Fills weight by the colour's alpha through the weight alone; the kernels are the plain ones.
  Raster_WithKernel(m, a, [&](auto kernel) {
    using K = decltype(kernel);
    _Raster_Template_Blit1<K>::solidBlit((unsigned char*)blk.first, blk.w, blk.h, r, g, b, a, blk.rowStep);
  });
}

void Raster_GradRect(Raster_IBitmap* dest, int dstx, int dsty, int dstw, int dsth, float r0, float g0, float b0,
                     float a0, float dRdx, float dGdx, float dBdx, float dAdx, float dRdy, float dGdy, float dBdy,
                     float dAdy, int mode)
{
  if (!dest || !dest->getBits()) return;
  const int m = mode & RASTER_BLEND_MODE_MASK;
  if (m > RASTER_BLEND_HSVADJ) return;

  const bool opaque = m == RASTER_BLEND_COPY && a0 == 1.0f && dAdx == 0.0f && dAdy == 0.0f;

  // Channel units: colours 0..255, alpha 0..256 (the weight).
  double r = r0 * 255.0, g = g0 * 255.0, b = b0 * 255.0, a = a0 * 256.0;
  const double rx = dRdx * 255.0, gx = dGdx * 255.0, bx = dBdx * 255.0, ax = dAdx * 256.0;
  const double ry = dRdy * 255.0, gy = dGdy * 255.0, by = dBdy * 255.0, ay = dAdy * 256.0;

  const int W = dest->getWidth(), H = dest->getHeight();
  long long x = dstx, y = dsty, w = dstw, h = dsth;
  clipLeadingEdge(x, w, r, g, b, a, rx, gx, bx, ax);
  if (w > W - x) w = W - x;
  clipLeadingEdge(y, h, r, g, b, a, ry, gy, by, ay);
  if (h > H - y) h = H - y;
  if (w < 1 || h < 1) return;

  Raster_ClippedBlock blk;
  if (!Raster_ClipBlock(dest, (int)x, (int)y, (int)w, (int)h, &blk)) return;

  const int R = Raster_ToFixed16(r), G = Raster_ToFixed16(g), B = Raster_ToFixed16(b), A = Raster_ToFixed16(a);
  const int RX = Raster_ToFixed16(rx), GX = Raster_ToFixed16(gx), BX = Raster_ToFixed16(bx), AX = Raster_ToFixed16(ax);
  const int RY = Raster_ToFixed16(ry), GY = Raster_ToFixed16(gy), BY = Raster_ToFixed16(by), AY = Raster_ToFixed16(ay);
  unsigned char* first = (unsigned char*)blk.first;

  auto run = [&](auto kernel) {
    using K = decltype(kernel);
    _Raster_Template_Blit1<K>::gradBlit(first, blk.w, blk.h, R, G, B, A, RX, GX, BX, AX, RY, GY, BY, AY, blk.rowStep);
  };
  if (opaque)
    run(_Raster_CombinePixelsClobberClamp{});
  else
    Raster_WithVaryingWeightClampKernel(m, run);
}

void Raster_MultiplyAddRect(Raster_IBitmap* dest, int x, int y, int w, int h, float rScale, float gScale, float bScale,
                            float aScale, float rAdd, float gAdd, float bAdd, float aAdd)
{
  Raster_ClippedBlock blk;
  if (!Raster_ClipBlock(dest, x, y, w, h, &blk)) return;
  const int rs = scaleFactor(rScale), gs = scaleFactor(gScale), bs = scaleFactor(bScale), as = scaleFactor(aScale);
  const int ra = scaleFactor(rAdd), ga = scaleFactor(gAdd), ba = scaleFactor(bAdd), aa = scaleFactor(aAdd);
  Raster_PixelWord* row = blk.first;
  for (int j = 0; j < blk.h; ++j, row = Raster_NextRow(row, blk.rowStep)) {
    unsigned char* p = (unsigned char*)row;
    for (int i = 0; i < blk.w; ++i, p += 4) {
      p[kRaster_ByteR] = mulAdd(p[kRaster_ByteR], rs, ra);
      p[kRaster_ByteG] = mulAdd(p[kRaster_ByteG], gs, ga);
      p[kRaster_ByteB] = mulAdd(p[kRaster_ByteB], bs, ba);
      p[kRaster_ByteA] = mulAdd(p[kRaster_ByteA], as, aa);
    }
  }
}

void Raster_ProcessRect(Raster_IBitmap* dest, int x, int y, int w, int h, void (*fn)(Raster_PixelWord* p, void* ctx),
                        void* ctx)
{
  Raster_ClippedBlock blk;
  if (!fn || !Raster_ClipBlock(dest, x, y, w, h, &blk)) return;
  Raster_PixelWord* row = blk.first;
  for (int j = 0; j < blk.h; ++j, row = Raster_NextRow(row, blk.rowStep))
    for (int i = 0; i < blk.w; ++i) fn(row + i, ctx);
}

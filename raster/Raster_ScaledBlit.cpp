// Raster_ScaledBlit: mirroring, clipping in both bitmaps, the 16.16 set-up and the choice between the
// whole-word nearest loop, the box filter for strong reductions and the nearest/bilinear loop.

#include "raster/Raster_Blit.h"

#include "raster/Raster_BlitInternal.h"
#include "raster/Raster_KernelChoice.h"
#include "raster/Raster_Template_Blit0.h"
#include "raster/Raster_Template_Blit2.h"

#include <algorithm>
#include <cmath>

using namespace Raster_BlitDetail;

std::vector<ColumnRun> Raster_BlitDetail::bilinearColumnRuns(int w, long long uStart, int du, int clampw)
{
  std::vector<ColumnRun> runs;
  long long u = uStart;
  for (int x = 0; x < w; x++, u += du) {
    const bool interior = u >= -65535 && u / 65536 < clampw - 1;
    if (runs.empty() || runs.back().mInterior != interior)
      runs.push_back(ColumnRun{x, x + 1, interior});
    else
      runs.back().mEnd = x + 1;
  }
  return runs;
}

namespace {

// Truncation toward zero of a value that may be far outside any bitmap; held within +-2^40 so that
// the wide clip arithmetic downstream stays exact and finite.
long long truncWide(double v)
{
  const double limit = 1099511627776.0;
  if (v > limit) return (long long)limit;
  if (v < -limit) return -(long long)limit;
  return (long long)v;
}

bool nearWhole(double v)
{
  return std::fabs(v - std::floor(v + 0.5)) < 0.03;
}

// Box weights of the reduction filter: all taps weigh the same.
const int kBox3[9] = {65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536};
const int kBox5[25] = {65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536,
                       65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536, 65536};

// Source clip along one axis for a positive step: skip destination pixels that sample left of (above)
// the source, and stop before the first one past its far edge. Wide arithmetic throughout.
void clipToSourceAxis(long long* dst, long long* len, long long* start, long long step, long long srcSize)
{
  if (step <= 0) return;
  if (*start < 0) {
    const long long k = (step - 1 - *start) / step;
    *dst += k;
    *len -= k;
    *start += k * step;
  }
  if ((*start + (*len - 1) * step) / 65536 >= srcSize) *len = std::min(*len, (srcSize * 65536 - 65536 - *start) / step);
}

} // namespace

void Raster_ScaledBlit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                       float srcy, float srcw, float srch, float alpha, int mode)
{
  if (alpha == 0.0f || !dest || !src || dstw == 0 || dsth == 0) return;
  if (!std::isfinite(srcx) || !std::isfinite(srcy) || !std::isfinite(srcw) || !std::isfinite(srch)) return;
  const bool bilinear = (mode & RASTER_BLEND_FILTER_MASK) == RASTER_BLEND_FILTER_BILINEAR;

  // Same size: a plain blit, unless bilinear sampling at a fractional offset would make a difference.
  if (std::fabs((double)srcw - dstw) < 0.001 && std::fabs((double)srch - dsth) < 0.001 &&
      (!bilinear || (nearWhole(srcx) && nearWhole(srcy)))) {
    const long long left = truncWide((double)srcx + 0.5), top = truncWide((double)srcy + 0.5);
    Raster_BlitRect(dest, src, dstx, dsty, left, top, left + dstw, top + dsth, alpha, mode);
    return;
  }

  long long dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  if (dw < 0) {
    srcx += srcw;
    srcw = -srcw;
    dx += dw;
    dw = -dw;
  }
  if (dh < 0) {
    srcy += srch;
    srch = -srch;
    dy += dh;
    dh = -dh;
  }

  const double xadv = (double)srcw / (double)dw, yadv = (double)srch / (double)dh;
  if (dx < 0) {
    srcx = (float)(srcx - dx * xadv);
    dw += dx;
    dx = 0;
  }
  if (dy < 0) {
    srcy = (float)(srcy - dy * yadv);
    dh += dy;
    dy = 0;
  }
  dw = std::min(dw, (long long)dest->getWidth() - dx);
  dh = std::min(dh, (long long)dest->getHeight() - dy);
  if (dw < 1 || dh < 1) return;

  const int du = Raster_ToFixed16(xadv), dv = Raster_ToFixed16(yadv);
  long long uStart = Raster_ToFixed16(srcx), vStart = Raster_ToFixed16(srcy);
  const long long srcW = src->getWidth(), srcH = src->getHeight();
  clipToSourceAxis(&dx, &dw, &uStart, du, srcW);
  clipToSourceAxis(&dy, &dh, &vStart, dv, srcH);
  if (dw < 1 || dh < 1) return;

  // Sampling stays inside the source rectangle's far edges (rounded out) and the source.
  const double farX = (double)srcx + std::max(srcw, 0.0f) + 0.999999;
  const double farY = (double)srcy + std::max(srch, 0.0f) + 0.999999;
  const int clampw = farX >= (double)srcW ? (int)srcW : (farX < 1.0 ? 0 : (int)farX);
  const int clamph = farY >= (double)srcH ? (int)srcH : (farY < 1.0 ? 0 : (int)farY);
  if (clampw < 1 || clamph < 1) return;

  Raster_PixelWord* dbits = dest->getBits();
  Raster_PixelWord* sbits = src->getBits();
  if (!dbits || !sbits) return;
  Raster_PixelWord* d = Raster_ImageRow(dest, dbits, (int)dy) + dx;
  const Raster_PixelWord* s = Raster_ImageRow(src, sbits, 0);
  const long destStep = Raster_ImageRowStep(dest), srcStep = Raster_ImageRowStep(src);
  const int w = (int)dw, h = (int)dh, u0 = (int)uStart, v0 = (int)vStart;

  const int weight = Raster_WeightFromAlpha(alpha);
  // Nearest-pixel opaque or half copies without the source-alpha flag go as whole words.
  const int modeBits = RASTER_BLEND_MODE_MASK | RASTER_BLEND_FILTER_MASK | RASTER_BLEND_USE_SOURCE_ALPHA;
  if ((mode & modeBits) == RASTER_BLEND_COPY) {
    if (weight == 256) {
      _Raster_Template_Blit0<_Raster_CombinePixelsClobberFAST>::scaleBlitFAST(d, s, w, h, u0, v0, du, dv, clampw,
                                                                              clamph, srcStep, destStep);
      return;
    }
    if (weight == 128) {
      _Raster_Template_Blit0<_Raster_CombinePixelsHalfMixFAST>::scaleBlitFAST(d, s, w, h, u0, v0, du, dv, clampw,
                                                                              clamph, srcStep, destStep);
      return;
    }
  }

  if (bilinear && xadv >= 1.7 && yadv >= 1.7) {
    const bool small = std::max(du, dv) <= 0x30000;
    const int* box = small ? kBox3 : kBox5;
    const int first = small ? -1 : -2, size = small ? 3 : 5;
    Raster_WithKernel(mode, weight, [&](auto kernel) {
      _Raster_Template_Blit2<decltype(kernel)>::scaleBlitFilterDown(d, s, w, h, u0, v0, du, dv, clampw, clamph, srcStep,
                                                                    destStep, weight, box, first, size);
    });
    return;
  }

  const int filter = mode & RASTER_BLEND_FILTER_MASK;
  Raster_WithKernel(mode, weight, [&](auto kernel) {
    _Raster_Template_Blit2<decltype(kernel)>::scaleBlit(d, s, w, h, u0, v0, du, dv, clampw, clamph, srcStep, destStep,
                                                        weight, filter);
  });
}

// The affine blits: rotated, delta (caller's derivatives) and the grid warp, all ending in one clipped
// delta blit.

#include "raster/Raster_Blit.h"

#include "raster/Raster_BlitInternal.h"
#include "raster/Raster_KernelChoice.h"
#include "raster/Raster_Template_Blit3.h"

#include <algorithm>
#include <cmath>

namespace {

bool allFinite(std::initializer_list<double> values)
{
  for (double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

// v rounded to float. Through a volatile: GCC 12's SLP vectoriser drops the rounding when two
// neighbouring double -> float -> double conversions are stored side by side.
double asFloat(double v)
{
  volatile float f = (float)v;
  return f;
}

// Clamp-rectangle edge: truncation toward zero of a value already limited to [0, limit].
int edge(double v, int limit)
{
  if (v <= 0.0) return 0;
  if (v >= (double)limit) return limit;
  return (int)v;
}

} // namespace

bool Raster_SourceClamp(Raster_IBitmap* src, float srcx, float srcy, float srcw, float srch, bool clipToSource,
                        int* minx, int* miny, int* maxx, int* maxy)
{
  const int W = src->getWidth(), H = src->getHeight();
  if (!clipToSource) {
    *minx = 0;
    *miny = 0;
    *maxx = W;
    *maxy = H;
  } else {
    if (!allFinite({srcx, srcy, srcw, srch})) return false;
    *minx = edge(srcx, W);
    *miny = edge(srcy, H);
    // The far edges are summed in single precision, like the caller's floats.
    const float right = srcx + srcw, bottom = srcy + srch;
    *maxx = edge(right, W);
    *maxy = edge(bottom, H);
  }
  return *maxx > *minx && *maxy > *miny;
}

void Raster_DeltaBlitClipped(Raster_IBitmap* dest, Raster_IBitmap* src, const Raster_DeltaPlan& plan, float alpha,
                             int mode)
{
  if (!allFinite(
          {plan.mU, plan.mV, plan.mDuDx, plan.mDvDx, plan.mDuDy, plan.mDvDy, plan.mDuDxPerRow, plan.mDvDxPerRow}))
    return;
  long long dx = plan.mDstX, dy = plan.mDstY, w = plan.mDstW, h = plan.mDstH;
  // Pixels cut off at the left and rows cut off at the top are stepped over. Each skipped row also
  // changes the per-pixel steps, and the skipped columns of every later row then cover a different
  // source distance, so the row-start step takes that change along too.
  const double skipX = dx < 0 ? (double)-dx : 0.0, skipY = dy < 0 ? (double)-dy : 0.0;
  const double dudx = plan.mDuDx + skipY * plan.mDuDxPerRow, dvdx = plan.mDvDx + skipY * plan.mDvDxPerRow;
  // The start moves along the row first, then down the rows (the order matters to the last bit).
  const double u = plan.mU + skipX * dudx + skipY * plan.mDuDy, v = plan.mV + skipX * dvdx + skipY * plan.mDvDy;
  const double dudy = plan.mDuDy + skipX * plan.mDuDxPerRow, dvdy = plan.mDvDy + skipX * plan.mDvDxPerRow;
  if (dx < 0) {
    w += dx;
    dx = 0;
  }
  if (dy < 0) {
    h += dy;
    dy = 0;
  }
  w = std::min(w, (long long)dest->getWidth() - dx);
  h = std::min(h, (long long)dest->getHeight() - dy);
  if (w < 1 || h < 1) return;
  Raster_PixelWord* dbits = dest->getBits();
  Raster_PixelWord* sbits = src->getBits();
  if (!dbits || !sbits) return;

  const int weight = Raster_WeightFromAlpha(alpha);
  Raster_DoPixFn doPix = nullptr;
  Raster_WithKernel(mode, weight, [&](auto kernel) { doPix = &decltype(kernel)::doPix; });
  if (!doPix) return;

  _Raster_Template_Blit3::deltaBlit(Raster_ImageRow(dest, dbits, (int)dy) + dx, Raster_ImageRow(src, sbits, 0), (int)w,
                                    (int)h, Raster_ToFixed16(u), Raster_ToFixed16(v), Raster_ToFixed16(dudx),
                                    Raster_ToFixed16(dvdx), Raster_ToFixed16(dudy), Raster_ToFixed16(dvdy),
                                    Raster_ToFixed16(plan.mDuDxPerRow), Raster_ToFixed16(plan.mDvDxPerRow), plan.mMinX,
                                    plan.mMinY, plan.mMaxX, plan.mMaxY, Raster_ImageRowStep(src),
                                    Raster_ImageRowStep(dest), weight, mode & RASTER_BLEND_FILTER_MASK, doPix);
}

namespace {

// The start shared by the rotated and delta blits: the source clamp rectangle and the destination. A negative
// destination extent is mirrored into a positive one, the source start moving to its far edge and the source
// span (sw, sh) reversing. False when the source leaves nothing to draw.
bool beginPlan(Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx, float srcy, float srcw,
               float srch, bool clipToSource, Raster_DeltaPlan& plan, double& sx, double& sy, double& sw, double& sh)
{
  if (!Raster_SourceClamp(src, srcx, srcy, srcw, srch, clipToSource, &plan.mMinX, &plan.mMinY, &plan.mMaxX,
                          &plan.mMaxY))
    return false;
  plan.mDstX = dstx;
  plan.mDstY = dsty;
  plan.mDstW = dstw;
  plan.mDstH = dsth;
  sx = srcx;
  sy = srcy;
  sw = srcw;
  sh = srch;
  if (plan.mDstW < 0) {
    plan.mDstX += plan.mDstW;
    plan.mDstW = -plan.mDstW;
    sx += sw;
    sw = -sw;
  }
  if (plan.mDstH < 0) {
    plan.mDstY += plan.mDstH;
    plan.mDstH = -plan.mDstH;
    sy += sh;
    sh = -sh;
  }
  return true;
}

} // namespace

void Raster_RotatedBlit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                        float srcy, float srcw, float srch, float angle, bool clipToSource, float alpha, int mode,
                        float centerDx, float centerDy)
{
  if (!dest || !src || dstw == 0 || dsth == 0) return;
  Raster_DeltaPlan plan;
  double sx, sy, sw, sh;
  if (!beginPlan(src, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, clipToSource, plan, sx, sy, sw, sh)) return;
  const double s = std::sin((double)angle), c = std::cos((double)angle);
  const double xs = sw / (double)plan.mDstW, ys = sh / (double)plan.mDstH;
  plan.mDuDx = xs * c;
  plan.mDvDx = -s * ys;
  plan.mDuDy = s * xs;
  plan.mDvDy = ys * c;
  plan.mDuDxPerRow = 0.0;
  plan.mDvDxPerRow = 0.0;
  plan.mU = sx - ((plan.mDstW * plan.mDuDx + plan.mDstH * plan.mDuDy - sw) * 0.5 - centerDx);
  plan.mV = sy - ((plan.mDstH * plan.mDvDy + plan.mDstW * plan.mDvDx - sh) * 0.5 - centerDy);
  Raster_DeltaBlitClipped(dest, src, plan, alpha, mode);
}

void Raster_DeltaBlit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                      float srcy, float srcw, float srch, double dudx, double dvdx, double dudy, double dvdy,
                      double dudxPerRow, double dvdxPerRow, bool clipToSource, float alpha, int mode)
{
  if (!dest || !src || dstw == 0 || dsth == 0) return;
  Raster_DeltaPlan plan;
  double sx, sy, sw, sh;
  if (!beginPlan(src, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, clipToSource, plan, sx, sy, sw, sh)) return;
  plan.mU = sx;
  plan.mV = sy;
  plan.mDuDx = dudx;
  plan.mDvDx = dvdx;
  plan.mDuDy = dudy;
  plan.mDvDy = dvdy;
  plan.mDuDxPerRow = dudxPerRow;
  plan.mDvDxPerRow = dvdxPerRow;
  Raster_DeltaBlitClipped(dest, src, plan, alpha, mode);
}

// The grid warp, for float and double point tables.
template <class T>
struct Raster_TransformBlit_class
{
  static void blit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth, const T* points,
                   int columns, int rows, float alpha, int mode)
  {
    if (!dest || !src || !points || dstw <= 0 || dsth <= 0 || columns <= 1 || rows <= 1) return;
    const float yStep = (float)dsth / (float)(rows - 1), xStep = (float)dstw / (float)(columns - 1);
    double ypos = dsty;
    long long y0 = dsty;
    for (int r = 0; r < rows - 1; r++) {
      ypos += yStep;
      const long long y1 = (long long)ypos;
      const long long ch = y1 - y0;
      double xpos = dstx;
      long long x0 = dstx;
      for (int c = 0; c < columns - 1; c++) {
        xpos += xStep;
        const long long x1 = (long long)xpos;
        const long long cw = x1 - x0;
        if (cw > 0 && ch > 0) drawCell(dest, src, x0, y0, cw, ch, points, columns, r, c, alpha, mode);
        x0 = x1;
      }
      y0 = y1;
    }
  }

private:
  static void drawCell(Raster_IBitmap* dest, Raster_IBitmap* src, long long x, long long y, long long w, long long h,
                       const T* points, int columns, int r, int c, float alpha, int mode)
  {
    const T* tl = points + 2 * ((long long)r * columns + c);
    const T* bl = points + 2 * ((long long)(r + 1) * columns + c);
    const double topDu = (double)tl[2] - tl[0], topDv = (double)tl[3] - tl[1];
    const double bottomDu = (double)bl[2] - bl[0], bottomDv = (double)bl[3] - bl[1];
    Raster_DeltaPlan plan;
    plan.mDstX = x;
    plan.mDstY = y;
    plan.mDstW = w;
    plan.mDstH = h;
    // The start goes in as a delta blit's float source position, whatever the point type.
    plan.mU = asFloat((double)tl[0]);
    plan.mV = asFloat((double)tl[1]);
    plan.mDuDx = topDu / (double)w;
    plan.mDvDx = topDv / (double)w;
    plan.mDuDy = ((double)bl[0] - tl[0]) / (double)h;
    plan.mDvDy = ((double)bl[1] - tl[1]) / (double)h;
    plan.mDuDxPerRow = (bottomDu - topDu) / ((double)w * (double)h);
    plan.mDvDxPerRow = (bottomDv - topDv) / ((double)w * (double)h);
    plan.mMinX = 0;
    plan.mMinY = 0;
    plan.mMaxX = src->getWidth();
    plan.mMaxY = src->getHeight();
    if (plan.mMaxX < 1 || plan.mMaxY < 1) return;
    Raster_DeltaBlitClipped(dest, src, plan, alpha, mode);
  }
};

void Raster_TransformBlit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                          float* points, int columns, int rows, float alpha, int mode)
{
  Raster_TransformBlit_class<float>::blit(dest, src, dstx, dsty, dstw, dsth, points, columns, rows, alpha, mode);
}

void Raster_TransformBlit2(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                           double* points, int columns, int rows, float alpha, int mode)
{
  Raster_TransformBlit_class<double>::blit(dest, src, dstx, dsty, dstw, dsth, points, columns, rows, alpha, mode);
}

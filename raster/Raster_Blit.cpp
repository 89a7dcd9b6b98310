// Raster_Copy and the clipped rectangle blit.

#include "raster/Raster_Blit.h"

#include "raster/Raster_BlitInternal.h"
#include "raster/Raster_BlitSIMD.h"
#include "raster/Raster_KernelChoice.h"
#include "raster/Raster_Template_Blit2.h"

#include <cstring>

using namespace Raster_BlitDetail;

namespace {

void copyChannel(Raster_PixelWord* dest, const Raster_PixelWord* src, int w, int h, long srcStep, long destStep,
                 int mode)
{
  const int from = mode & 3, to = (mode >> 2) & 3;
  for (int y = 0; y < h; y++) {
    unsigned char* d = (unsigned char*)rowAt(dest, destStep, y);
    const unsigned char* s = (const unsigned char*)rowAt(src, srcStep, y);
    for (int x = 0; x < w; x++) d[4 * x + to] = s[4 * x + from];
  }
}

void halfMixRows(Raster_PixelWord* dest, const Raster_PixelWord* src, int w, int h, long srcStep, long destStep)
{
  const bool simd = Raster_BlitSimdEnabled();
  for (int y = 0; y < h; y++) {
    Raster_PixelWord* d = rowAt(dest, destStep, y);
    const Raster_PixelWord* s = rowAt(src, srcStep, y);
    if (simd)
      Raster_SIMD_HalfMixRow(d, s, w);
    else
      for (int x = 0; x < w; x++) d[x] = _Raster_CombinePixelsHalfMixFAST::combine(d[x], s[x]);
  }
}

// A start below 0 (in the source or the destination) moves to 0, and the matching start on the other
// side moves on by as much.
void clipStart(long long& start, long long& other)
{
  if (start >= 0) return;
  other -= start;
  start = 0;
}

} // namespace

bool Raster_ClipBlit(Raster_IBitmap* dest, Raster_IBitmap* src, long long dstx, long long dsty, long long left,
                     long long top, long long right, long long bottom, int minSize, Raster_ClippedBlit* out)
{
  const long long srcW = src->getWidth(), srcH = src->getHeight();
  const long long dstW = dest->getWidth(), dstH = dest->getHeight();

  // Source bounds.
  clipStart(left, dstx);
  clipStart(top, dsty);
  if (right > srcW) right = srcW;
  if (bottom > srcH) bottom = srcH;

  // Destination clip.
  clipStart(dstx, left);
  clipStart(dsty, top);
  if (dstx + (right - left) > dstW) right = left + dstW - dstx;
  if (dsty + (bottom - top) > dstH) bottom = top + dstH - dsty;
  if (right - left < minSize || bottom - top < minSize) return false;

  Raster_PixelWord* dbits = dest->getBits();
  Raster_PixelWord* sbits = src->getBits();
  if (!dbits || !sbits) return false;

  out->mDstX = dstx;
  out->mDstY = dsty;
  out->mSrcX = left;
  out->mSrcY = top;
  out->mW = (int)(right - left);
  out->mH = (int)(bottom - top);
  out->mDest = Raster_ImageRow(dest, dbits, (int)dsty) + dstx;
  out->mSrc = Raster_ImageRow(src, sbits, (int)top) + left;
  out->mDestStep = Raster_ImageRowStep(dest);
  out->mSrcStep = Raster_ImageRowStep(src);
  return true;
}

void Raster_BlitRect(Raster_IBitmap* dest, Raster_IBitmap* src, long long dstx, long long dsty, long long left,
                     long long top, long long right, long long bottom, float alpha, int mode)
{
  if (!dest || !src || alpha == 0.0f) return;
  Raster_ClippedBlit clip;
  if (!Raster_ClipBlit(dest, src, dstx, dsty, left, top, right, bottom, 1, &clip)) return;
  const int w = clip.mW, h = clip.mH;
  Raster_PixelWord* d = clip.mDest;
  const Raster_PixelWord* s = clip.mSrc;
  const long destStep = clip.mDestStep, srcStep = clip.mSrcStep;

  if ((mode & RASTER_BLEND_CHANCOPY) == RASTER_BLEND_CHANCOPY) {
    copyChannel(d, s, w, h, srcStep, destStep, mode);
    return;
  }
  if ((mode & (RASTER_BLEND_MODE_MASK | RASTER_BLEND_USE_SOURCE_ALPHA)) == RASTER_BLEND_COPY) {
    if (alpha == 1.0f) {
      // Whole rows back to back on both sides, in separate memory: one copy, which is what the rows
      // one after another amount to.
      const size_t rowBytes = (size_t)w * 4;
      const long contiguous = (long)rowBytes;
      if (destStep == contiguous && srcStep == contiguous) {
        const size_t bytes = rowBytes * (size_t)h;
        const uintptr_t from = (uintptr_t)s, to = (uintptr_t)d;
        if (to + bytes <= from || from + bytes <= to) {
          memcpy(d, s, bytes);
          return;
        }
      }
      // Row by row from the top, like every other mode, also where source and destination overlap;
      // memmove because a bitmap blitted onto itself may overlap within a row.
      for (int y = 0; y < h; y++) memmove(rowAt(d, destStep, y), rowAt(s, srcStep, y), rowBytes);
      return;
    }
    if (alpha == 0.5f) {
      halfMixRows(d, s, w, h, srcStep, destStep);
      return;
    }
  }
  const int weight = Raster_WeightFromAlpha(alpha);
  Raster_WithKernel(mode, weight, [&](auto kernel) {
    _Raster_Template_Blit2<decltype(kernel)>::blit(d, s, w, h, srcStep, destStep, weight);
  });
}

void Raster_Copy(Raster_IBitmap* dest, Raster_IBitmap* src)
{
  if (!dest || !src) return;
  dest->resize(src->getWidth(), src->getHeight());
  Raster_Blit(dest, src, 0, 0, nullptr, 1.0f, RASTER_BLEND_COPY);
}

void Raster_Blit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, RECT* srcrect, float alpha, int mode)
{
  if (!src) return;
  if (!srcrect) {
    Raster_BlitRect(dest, src, dstx, dsty, 0, 0, src->getWidth(), src->getHeight(), alpha, mode);
    return;
  }
  Raster_BlitRect(dest, src, dstx, dsty, srcrect->left, srcrect->top, srcrect->right, srcrect->bottom, alpha, mode);
}

void Raster_Blit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
                 float alpha, int mode)
{
  Raster_BlitRect(dest, src, dstx, dsty, srcx, srcy, (long long)srcx + srcw, (long long)srcy + srch, alpha, mode);
}

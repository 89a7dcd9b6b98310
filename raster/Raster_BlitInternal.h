#pragma once
// Shared entry points between the blit files: the rectangle blit and the clipped affine blit in wide
// arithmetic, so that callers can hand over coordinates that would overflow an int (a rectangle's right
// edge computed from a huge left and width, a mirrored start) without any undefined arithmetic.

#include "raster/Raster_IBitmap.h"

// A source rectangle clipped against both bitmaps, ready for row loops: the corners where drawing starts,
// the size, and the first rows with their steps.
struct Raster_ClippedBlit
{
  long long mDstX, mDstY, mSrcX, mSrcY;
  int mW, mH;
  Raster_PixelWord* mDest;
  const Raster_PixelWord* mSrc;
  long mDestStep, mSrcStep;
};
// Clips [left, right) x [top, bottom) of src drawn at (dstx, dsty): what lies left of or above the source
// moves the drawing right or down instead, then the destination edges cut. False when fewer than minSize
// pixels remain across or down, or a bitmap has no pixels.
bool Raster_ClipBlit(Raster_IBitmap* dest, Raster_IBitmap* src, long long dstx, long long dsty, long long left,
                     long long top, long long right, long long bottom, int minSize, Raster_ClippedBlit* out);

// Raster_Blit with the source rectangle [left, right) x [top, bottom).
void Raster_BlitRect(Raster_IBitmap* dest, Raster_IBitmap* src, long long dstx, long long dsty, long long left,
                     long long top, long long right, long long bottom, float alpha, int mode);

// The affine blit after mirroring: the destination rectangle (w, h > 0 once here) samples (u, v) at its
// top-left, with the given derivatives in source pixels; samples stay within [minx, maxx) x [miny, maxy).
struct Raster_DeltaPlan
{
  long long mDstX, mDstY, mDstW, mDstH;
  double mU, mV;
  double mDuDx, mDvDx, mDuDy, mDvDy, mDuDxPerRow, mDvDxPerRow;
  int mMinX, mMinY, mMaxX, mMaxY;
};
void Raster_DeltaBlitClipped(Raster_IBitmap* dest, Raster_IBitmap* src, const Raster_DeltaPlan& plan, float alpha,
                             int mode);

// The clamp rectangle of the rotated and delta blits: the source rectangle within the source when
// clipToSource, else the whole source. False when nothing can be sampled.
bool Raster_SourceClamp(Raster_IBitmap* src, float srcx, float srcy, float srcw, float srch, bool clipToSource,
                        int* minx, int* miny, int* maxx, int* maxy);

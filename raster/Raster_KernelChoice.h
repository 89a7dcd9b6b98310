#pragma once
// Choosing the combine kernel from a blend-mode word and an integer weight - the same choice in every
// blit, fill, line and glyph routine. A routine writes its loop once as a generic lambda and lets the
// choice instantiate it per kernel:
//
//   Raster_WithKernel(mode, alpha, [&](auto kernel) {
//     using K = decltype(kernel);
//     for (...) K::doPix(p, r, g, b, a, alpha);
//   });
//
// Each returns true when a kernel was chosen, false when nothing is to be drawn: a weight of 0, copy at a
// negative weight (it would extrapolate past both colours and wrap the bytes), or a mode outside 0..5.
// The other modes take a negative weight as it is (add at a negative weight subtracts). The filter bits
// and the channel-copy modes are for the caller to handle before asking.

#include "raster/Raster_Kernels.h"
#include "raster/Raster_Pixel.h"

// Plain kernels, or with RASTER_BLEND_USE_SOURCE_ALPHA the source-alpha kernels. Copy at weight 256
// clobbers (plain) or copies by the source's alpha alone (source alpha).
template <class Fn>
bool Raster_WithKernel(int mode, int alpha, Fn&& fn)
{
  if (alpha == 0) return false;
  const int m = mode & RASTER_BLEND_MODE_MASK;
  if (m == RASTER_BLEND_COPY && alpha < 0) return false;
  if (mode & RASTER_BLEND_USE_SOURCE_ALPHA) {
    switch (m) {
    case RASTER_BLEND_COPY:
      if (alpha == 256)
        fn(_Raster_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp{});
      else
        fn(_Raster_CombinePixelsCopySourceAlphaNoClamp{});
      return true;
    case RASTER_BLEND_ADD:
      fn(_Raster_CombinePixelsAddSourceAlpha{});
      return true;
    case RASTER_BLEND_DODGE:
      fn(_Raster_CombinePixelsColorDodgeSourceAlpha{});
      return true;
    case RASTER_BLEND_MUL:
      fn(_Raster_CombinePixelsMulSourceAlphaNoClamp{});
      return true;
    case RASTER_BLEND_OVERLAY:
      fn(_Raster_CombinePixelsOverlaySourceAlpha{});
      return true;
    case RASTER_BLEND_HSVADJ:
      fn(_Raster_CombinePixelsHSVAdjustSourceAlpha{});
      return true;
    default:
      return false;
    }
  }
  switch (m) {
  case RASTER_BLEND_COPY:
    if (alpha == 256)
      fn(_Raster_CombinePixelsClobberNoClamp{});
    else
      fn(_Raster_CombinePixelsCopyNoClamp{});
    return true;
  case RASTER_BLEND_ADD:
    fn(_Raster_CombinePixelsAdd{});
    return true;
  case RASTER_BLEND_DODGE:
    fn(_Raster_CombinePixelsColorDodge{});
    return true;
  case RASTER_BLEND_MUL:
    fn(_Raster_CombinePixelsMulNoClamp{});
    return true;
  case RASTER_BLEND_OVERLAY:
    fn(_Raster_CombinePixelsOverlay{});
    return true;
  case RASTER_BLEND_HSVADJ:
    fn(_Raster_CombinePixelsHSVAdjust{});
    return true;
  default:
    return false;
  }
}

// As Raster_WithKernel for channel values that may lie outside 0..255 (gradients): copy, clobber and
// multiply in their clamping forms. With the source-alpha flag the opaque copy clamps too.
template <class Fn>
bool Raster_WithClampKernel(int mode, int alpha, Fn&& fn)
{
  if (alpha == 0 || ((mode & RASTER_BLEND_MODE_MASK) == RASTER_BLEND_COPY && alpha < 0)) return false;
  const int m = mode & RASTER_BLEND_MODE_MASK;
  if (mode & RASTER_BLEND_USE_SOURCE_ALPHA) {
    if (m == RASTER_BLEND_COPY && alpha == 256) {
      fn(_Raster_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp{});
      return true;
    }
    return Raster_WithKernel(mode, alpha, fn);
  }
  switch (m) {
  case RASTER_BLEND_COPY:
    if (alpha == 256)
      fn(_Raster_CombinePixelsClobberClamp{});
    else
      fn(_Raster_CombinePixelsCopyClamp{});
    return true;
  case RASTER_BLEND_MUL:
    fn(_Raster_CombinePixelsMulClamp{});
    return true;
  default:
    return Raster_WithKernel(mode, alpha, fn);
  }
}

// The kernel for one mode at a weight that varies per pixel (gradients): the opaque shortcut cannot be
// chosen up front, so copy always uses the mixing form. Every kernel here clamps, so a weight that runs
// past zero is safe in every mode and the loop passes it on.
template <class Fn>
bool Raster_WithVaryingWeightClampKernel(int mode, Fn&& fn)
{
  const int m = mode & RASTER_BLEND_MODE_MASK;
  switch (m) {
  case RASTER_BLEND_COPY:
    fn(_Raster_CombinePixelsCopyClamp{});
    return true;
  case RASTER_BLEND_ADD:
    fn(_Raster_CombinePixelsAdd{});
    return true;
  case RASTER_BLEND_DODGE:
    fn(_Raster_CombinePixelsColorDodge{});
    return true;
  case RASTER_BLEND_MUL:
    fn(_Raster_CombinePixelsMulClamp{});
    return true;
  case RASTER_BLEND_OVERLAY:
    fn(_Raster_CombinePixelsOverlay{});
    return true;
  case RASTER_BLEND_HSVADJ:
    fn(_Raster_CombinePixelsHSVAdjust{});
    return true;
  default:
    return false;
  }
}

// Lines, curves and shapes: plain kernels only (the source-alpha flag has already scaled the weight by
// the colour's alpha). Copy at weight 256 clobbers and at 128 takes the byte half-mix (d + s) >> 1;
// copy at a weight of 0 or below draws nothing, while the other modes take a negative weight as it is.
template <class Fn>
bool Raster_WithShapeKernel(int mode, int alpha, Fn&& fn)
{
  if (alpha == 0) return false;
  switch (mode & RASTER_BLEND_MODE_MASK) {
  case RASTER_BLEND_COPY:
    if (alpha < 0) return false;
    if (alpha == 256)
      fn(_Raster_CombinePixelsClobberNoClamp{});
    else if (alpha == 128)
      fn(_Raster_CombinePixelsHalfMixNoClamp{});
    else
      fn(_Raster_CombinePixelsCopyNoClamp{});
    return true;
  case RASTER_BLEND_ADD:
    fn(_Raster_CombinePixelsAdd{});
    return true;
  case RASTER_BLEND_DODGE:
    fn(_Raster_CombinePixelsColorDodge{});
    return true;
  case RASTER_BLEND_MUL:
    fn(_Raster_CombinePixelsMulNoClamp{});
    return true;
  case RASTER_BLEND_OVERLAY:
    fn(_Raster_CombinePixelsOverlay{});
    return true;
  case RASTER_BLEND_HSVADJ:
    fn(_Raster_CombinePixelsHSVAdjust{});
    return true;
  default:
    return false;
  }
}

// As Raster_WithShapeKernel for anti-aliased drawing, whose weight changes from pixel to pixel: copy
// always takes the mixing kernel (which at weight 256 gives the colour exactly, like the clobber).
template <class Fn>
bool Raster_WithShapeVaryingKernel(int mode, int alpha, Fn&& fn)
{
  if (alpha == 0) return false;
  if ((mode & RASTER_BLEND_MODE_MASK) == RASTER_BLEND_COPY) {
    if (alpha < 0) return false;
    fn(_Raster_CombinePixelsCopyNoClamp{});
    return true;
  }
  return Raster_WithShapeKernel(mode, alpha, fn);
}

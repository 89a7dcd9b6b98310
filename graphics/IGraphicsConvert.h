#pragma once
// Conversions the editor's drawing and event code share: turning a floating-point position or frame
// offset into a pixel coordinate without undefined behaviour, and translating an editor blend into the
// raster library's blend-mode word and weight.

#include <climits>
#include <cmath>

#include "graphics/IGraphicsTypes.h"
#include "raster/Raster_Pixel.h"

// (int)v truncating toward zero, with NaN as 0 and values beyond the int range held at its ends (a plain
// cast of those is undefined).
inline int GraphicsToInt(double v)
{
  if (std::isnan(v)) return 0;
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(v);
}

// A 64-bit coordinate held inside the int range.
inline int GraphicsClampToInt(long long v)
{
  return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

// Bitmap blits and fills weigh each pixel by its own alpha unless the blend says copy.
inline int GraphicsFillMode(const IChannelBlend* blend)
{
  if (!blend) return RASTER_BLEND_COPY | RASTER_BLEND_USE_SOURCE_ALPHA;
  switch (blend->method) {
  case kBlendCopy:
    return RASTER_BLEND_COPY;
  case kBlendAdd:
    return RASTER_BLEND_ADD | RASTER_BLEND_USE_SOURCE_ALPHA;
  case kBlendDodge:
    return RASTER_BLEND_DODGE | RASTER_BLEND_USE_SOURCE_ALPHA;
  case kBlendAlpha:
  default:
    return RASTER_BLEND_COPY | RASTER_BLEND_USE_SOURCE_ALPHA;
  }
}

// Points and lines never weigh by the colour's alpha.
inline int GraphicsLineMode(const IChannelBlend* blend)
{
  if (!blend) return RASTER_BLEND_COPY;
  switch (blend->method) {
  case kBlendAdd:
    return RASTER_BLEND_ADD;
  case kBlendDodge:
    return RASTER_BLEND_DODGE;
  default:
    return RASTER_BLEND_COPY;
  }
}

inline float GraphicsWeight(const IChannelBlend* blend)
{
  return blend ? blend->weight : 1.0f;
}

// a - b held inside the int range.
inline int GraphicsDelta(int a, int b)
{
  return GraphicsClampToInt(static_cast<long long>(a) - b);
}

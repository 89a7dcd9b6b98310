#pragma once
// Fixed-point conventions shared by every raster routine.
//
// Per-pixel arithmetic is integer, and its rounding is part of the look of the editor, so it is fixed here:
//  - Weights: a float alpha becomes an integer weight alpha * 256 truncated toward zero (1.0 -> 256,
//    0.5 -> 128, 0.6 -> 153). A weight of 0 draws nothing; so does a negative one.
//  - Divisions in the combine formulas are C++ signed divisions: they truncate toward zero, not floor
//    (201 + (-101 * 128) / 256 is 201 - 50 = 151). Shifts are used only where the value cannot be negative.
//  - Positions and steps in scaled, rotated and gradient loops are 16.16: 65536 is one pixel (or one
//    channel unit); the integer part is u / 65536 (truncating toward zero), the fraction u & 0xFFFF.
//  - Float-to-integer conversions saturate instead of overflowing, but only where the 32-bit arithmetic
//    would otherwise overflow: a weight saturates at +-kRaster_WeightLimit, the largest at which the
//    source-alpha weight alpha * (sa + 1) and the copy, add, dodge and HSV formulas stay inside an int
//    for channels 0..255; multiply and overlay, whose products are larger, hold their own weight lower
//    (Raster_Kernels.h); channel values outside 0..255 (gradients) are held by Raster_LimitChannel.
//    Ordinary values convert exactly as a plain (int) cast.

#include <cmath>
#include <climits>

enum {
  kRaster_WeightOne = 256,       // the weight of an opaque draw
  kRaster_WeightLimit = 8388607, // 2^23 - 1: 256 * this and 255 * (256 + this) fit an int
  kRaster_FixedOne = 65536,      // one pixel in 16.16
};

// A channel value outside 0..255 offered at weight alpha, held where every kernel's products stay
// inside an int: (|value| + 256) * max(|alpha|, 256) within about 2^22, which a byte factor (multiply,
// overlay) keeps below 2^31. Values within 0..255 are never changed.
inline int Raster_LimitChannel(long long v, int alpha)
{
  const long long a = alpha < 0 ? -(long long)alpha : alpha;
  const long long lim = 4160000 / (a > 256 ? a : 256) - 256;
  const long long lo = lim > 0 ? -lim : 0, hi = lim > 255 ? lim : 255;
  return (int)(v < lo ? lo : (v > hi ? hi : v));
}

// Integer weight of a float alpha: truncation toward zero, saturated, NaN -> 0.
inline int Raster_WeightFromAlpha(double alpha)
{
  double w = alpha * 256.0;
  if (!(w == w)) return 0;
  if (w > (double)kRaster_WeightLimit) return kRaster_WeightLimit;
  if (w < -(double)kRaster_WeightLimit) return -kRaster_WeightLimit;
  return (int)w;
}

// 16.16 value of v (already in the unit being stepped): (int)(v * 65536), saturated to the int range.
inline int Raster_ToFixed16(double v)
{
  double f = v * 65536.0;
  if (!(f == f)) return 0;
  if (f >= (double)INT_MAX) return INT_MAX;
  if (f <= (double)INT_MIN) return INT_MIN;
  return (int)f;
}

// Integer part of a 16.16 value, truncating toward zero like every other division here.
inline int Raster_FixedInt(int u)
{
  return u / 65536;
}
inline int Raster_FixedFrac(int u)
{
  return u & 0xFFFF;
}

inline int Raster_Clamp255(int v)
{
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}
